#pragma once
// Settings of the simulated instrument: the section [SIMULATED_CELL] of "Devices.ini". The
// program names the file in the environment variable KALVERO_DEVICES_FILE before it connects;
// without it (or without the section) every setting keeps its default.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kalvero::sim {

inline constexpr const char* DEVICES_FILE_VARIABLE = "KALVERO_DEVICES_FILE";
inline constexpr const char* SECTION = "SIMULATED_CELL";
// The reference substances the cell can melt, beside the devices file (else the shipped ones).
inline constexpr const char* REFERENCES_FILE = "ReferenceSubstances.ini";

// A setting that cannot be used; the driver reports it instead of guessing.
class ESimConfig : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TSampleKind { Melting, Reaction };

struct TSimFaults {
    bool absent = false;     // the module does not answer
    bool timeout = false;    // the converter stops delivering buffers
    bool shortRead = false;  // reads return fewer samples than asked
    bool portWrite = false;  // digital port writes fail
    bool operator==(const TSimFaults&) const = default;
};

// One substance melting in the sample pan.
struct TSimSubstance {
    std::string name;        // section of the reference file, or "" for the one set by the Melting* keys
    double meltingTemp = 0;  // °C
    double meltingHeat = 0;  // J/g
    double mass = 0;         // mg
    bool operator==(const TSimSubstance&) const = default;
};

struct TSimConfig {
    double speed = 1;         // simulated seconds per real second
    double heatingRate = 10;  // °C/min the heater reaches
    double roomTemp = 25;     // °C
    TSampleKind sample = TSampleKind::Melting;
    double meltingTemp = 156.6;    // °C
    double meltingHeat = 28.6;     // J/g
    double sampleMass = 5;         // mg
    double activationEnergy = 80;  // kJ/mol
    double preExponential = 1e8;   // 1/s
    double reactionHeat = 250;     // J/g, released; below 0 the reaction takes it up
    // Substances=indium:5,zinc:4 melts these reference substances (mg each, SampleMass when not
    // given) together in the pan instead of the one of MeltingTemp, MeltingHeat and SampleMass.
    std::vector<TSimSubstance> substances;
    TSimFaults faults;
    double faultAfter = 0;  // s of simulated time after the converter starts
    uint32_t seed = 1;      // noise generator
    std::string portLog;    // file that receives every digital port write, when set
    bool operator==(const TSimConfig&) const = default;
};

// The reference substances the program ships (an INI text: one section per substance with
// MeltingTemp and MeltingHeat).
const std::string& ShippedReferences();

// Parses the section from an INI text, the substances named from aReferences; raises ESimConfig
// on a value that cannot be used or a substance that is not there.
TSimConfig ParseSimConfig(const std::string& aIniText, const std::string& aReferences = ShippedReferences());
// The file named by KALVERO_DEVICES_FILE with the reference file beside it; defaults when it is
// not set or cannot be read.
TSimConfig LoadSimConfig();

// What melts in the pan of a melting sample: the substances, or the one of the Melting* keys.
std::vector<TSimSubstance> MeltingSubstances(const TSimConfig& aConfig);

}  // namespace kalvero::sim
