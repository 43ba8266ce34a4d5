#pragma once
// Files of the program that the simulated cell carries, compiled in from data/defaults/.

#include <map>
#include <string>

namespace kalvero::sim::shipped {
const std::map<std::string, std::string>& EmbeddedFiles();
}
