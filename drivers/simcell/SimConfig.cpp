#include "simcell/SimConfig.h"

#include "simcell/ShippedFiles.h"

#include <strings.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace kalvero::sim {
namespace {

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Keys of the section aSection, lower-cased; the last occurrence of a key wins.
std::map<std::string, std::string> ReadSection(const std::string& aText, const std::string& aSection) {
    std::map<std::string, std::string> keys;
    std::istringstream in(aText);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            inside = close != std::string::npos &&
                     strcasecmp(Trim(line.substr(1, close - 1)).c_str(), aSection.c_str()) == 0;
            continue;
        }
        const size_t eq = line.find('=');
        if (inside && eq != std::string::npos)
            keys[Lower(Trim(line.substr(0, eq)))] = Trim(line.substr(eq + 1));
    }
    return keys;
}

double Number(const std::map<std::string, std::string>& aKeys, const std::string& aKey, double aDefault,
              double aMin, double aMax) {
    const auto it = aKeys.find(Lower(aKey));
    if (it == aKeys.end() || it->second.empty()) return aDefault;
    std::string text = it->second;
    for (char& c : text)
        if (c == ',') c = '.';
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(v) || v < aMin || v > aMax) {
        throw ESimConfig("simulated cell: " + aKey + "=" + it->second + " is not a number in " +
                         std::to_string(aMin) + ".." + std::to_string(aMax));
    }
    return v;
}

TSimFaults ParseFaults(const std::string& aText) {
    TSimFaults f;
    std::istringstream in(aText);
    std::string item;
    while (std::getline(in, item, ',')) {
        item = Lower(Trim(item));
        if (item.empty()) continue;
        if (item == "absent") {
            f.absent = true;
        } else if (item == "timeout") {
            f.timeout = true;
        } else if (item == "short_read") {
            f.shortRead = true;
        } else if (item == "port_write") {
            f.portWrite = true;
        } else {
            throw ESimConfig("simulated cell: unknown fault '" + item + "'");
        }
    }
    return f;
}

// "indium:5, zinc" with the melting data of each from aReferences; aMass for one without mass.
std::vector<TSimSubstance> ParseSubstances(const std::string& aText, const std::string& aReferences,
                                           double aMass) {
    std::vector<TSimSubstance> substances;
    std::istringstream in(aText);
    std::string item;
    while (std::getline(in, item, ',')) {
        item = Trim(item);
        if (item.empty()) continue;
        const size_t colon = item.find(':');
        TSimSubstance s;
        s.name = Lower(Trim(item.substr(0, colon)));
        const auto data = ReadSection(aReferences, s.name);
        if (data.empty()) throw ESimConfig("simulated cell: unknown substance '" + s.name + "'");
        s.meltingTemp = Number(data, "MeltingTemp", 0, -50, 1000);
        s.meltingHeat = Number(data, "MeltingHeat", 0, 0, 10000);
        s.mass = colon == std::string::npos
                     ? aMass
                     : Number({{"mass", Trim(item.substr(colon + 1))}}, "mass", aMass, 0, 1000);
        substances.push_back(s);
    }
    return substances;
}

}  // namespace

const std::string& ShippedReferences() {
    return shipped::EmbeddedFiles().at(REFERENCES_FILE);
}

std::vector<TSimSubstance> MeltingSubstances(const TSimConfig& c) {
    if (!c.substances.empty()) return c.substances;
    return {{"", c.meltingTemp, c.meltingHeat, c.sampleMass}};
}

TSimConfig ParseSimConfig(const std::string& aIniText, const std::string& aReferences) {
    const auto keys = ReadSection(aIniText, SECTION);
    TSimConfig c;
    c.speed = Number(keys, "Speed", c.speed, 1, 1e6);
    c.heatingRate = Number(keys, "HeatingRate", c.heatingRate, 0.01, 500);
    c.roomTemp = Number(keys, "RoomTemp", c.roomTemp, -50, 100);
    c.meltingTemp = Number(keys, "MeltingTemp", c.meltingTemp, -50, 1000);
    c.meltingHeat = Number(keys, "MeltingHeat", c.meltingHeat, 0, 10000);
    c.sampleMass = Number(keys, "SampleMass", c.sampleMass, 0, 1000);
    c.activationEnergy = Number(keys, "ActivationEnergy", c.activationEnergy, 1, 1000);
    c.preExponential = Number(keys, "PreExponential", c.preExponential, 1e-6, 1e30);
    c.reactionHeat = Number(keys, "ReactionHeat", c.reactionHeat, -100000, 100000);
    c.faultAfter = Number(keys, "FaultAfter", c.faultAfter, 0, 1e9);
    c.seed = static_cast<uint32_t>(Number(keys, "Seed", c.seed, 0, 4294967295.0));
    if (const auto it = keys.find("sample"); it != keys.end() && !it->second.empty()) {
        const std::string kind = Lower(it->second);
        if (kind == "melting") {
            c.sample = TSampleKind::Melting;
        } else if (kind == "reaction") {
            c.sample = TSampleKind::Reaction;
        } else {
            throw ESimConfig("simulated cell: Sample=" + it->second + " (melting or reaction)");
        }
    }
    if (const auto it = keys.find("substances"); it != keys.end())
        c.substances = ParseSubstances(it->second, aReferences, c.sampleMass);
    if (const auto it = keys.find("faults"); it != keys.end()) c.faults = ParseFaults(it->second);
    if (const auto it = keys.find("portlog"); it != keys.end()) c.portLog = it->second;
    return c;
}

namespace {

bool ReadText(const std::filesystem::path& aFile, std::string& aText) {
    std::ifstream in(aFile, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    aText = text.str();
    return true;
}

}  // namespace

TSimConfig LoadSimConfig() {
    const char* file = std::getenv(DEVICES_FILE_VARIABLE);
    if (!file || !*file) return {};
    std::string devices, references;
    if (!ReadText(file, devices)) return {};
    if (!ReadText(std::filesystem::path(file).parent_path() / REFERENCES_FILE, references))
        references = ShippedReferences();
    return ParseSimConfig(devices, references);
}

}  // namespace kalvero::sim
