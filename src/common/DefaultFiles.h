#pragma once
// The default files the program ships with, compiled in from data/defaults/ (file name to bytes).

#include <map>
#include <string>

namespace kalvero::defaults {
const std::map<std::string, std::string>& EmbeddedFiles();
}
