#pragma once
// The product version of the program, written into the files it makes.

#include <string>

namespace kalvero {
std::string ProductVersion();
}
