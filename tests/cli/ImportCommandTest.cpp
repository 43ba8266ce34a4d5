// Text exports of other instruments on the command line: imported into experiment files, read
// directly by every command, evaluated with their own units, exported openly and imported back.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

#include "support/RunCli.h"

using namespace kalvero::test;
using nlohmann::json;

namespace {

// A heating at 10 K/min from 30 °C with a Gaussian melting of 150 mJ (σ 12 s at 760 s) on a sloped
// base line: 30 J/g of a 5 mg sample, onset two widths before the top.
struct TModel {
    double Temp(double t) const { return 30 + t / 6; }
    double HeatFlow(double t) const {
        const double g = std::exp(-0.5 * std::pow((t - 760) / 12, 2)) / (12 * std::sqrt(2 * M_PI));
        return 0.2 + 2e-4 * t + 150 * g;
    }
};

std::string Number(double aValue, int aDecimals, char aDecimal = '.') {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.*f", aDecimals, aValue);
    std::string s = buffer;
    for (char& c : s)
        if (c == '.') c = aDecimal;
    return s;
}

class CliImport : public ::testing::Test {
protected:
    TTempDir dir;
    std::string data = MakeCliDataDir(dir);
    TModel model;

    json Run(const std::string& aArgs) {
        const RCliResult r = RunCli("--data-dir " + data + " --json " + aArgs);
        EXPECT_EQ(r.exitCode, 0) << aArgs << "\n" << r.err;
        return r.exitCode == 0 ? json::parse(r.out) : json();
    }
    // A semicolon-separated export with decimal commas and minutes; no mass, no direction.
    std::string DelimitedFile() {
        std::string text = "Time (min);Temperature (°C);Heat Flow (mW)\n";
        for (int i = 0; i <= 2400; ++i) {
            const double t = i * 0.5;
            text += Number(t / 60, 6, ',') + ";" + Number(model.Temp(t), 4, ',') + ";" +
                    Number(model.HeatFlow(t), 6, ',') + "\n";
        }
        const std::string file = dir.Str() + "run.csv";
        WriteFileBytes(file, text);
        return file;
    }
    // A key/value header ending at StartOfData, which says the sample, its mass and the direction.
    std::string KeyValueFile() {
        std::string text =
            "Sample\tPE film\nSize\t5.0 mg\nExotherm Up\nSig1\tTime (min)\nSig2\tTemperature (°C)\n"
            "Sig3\tHeat Flow (mW)\nStartOfData\n";
        for (int i = 0; i <= 2400; ++i) {
            const double t = i * 0.5;
            text += Number(t / 60, 6) + "\t" + Number(model.Temp(t), 4) + "\t" +
                    Number(model.HeatFlow(t), 6) + "\n";
        }
        const std::string file = dir.Str() + "run.txt";
        WriteFileBytes(file, text);
        return file;
    }
};

TEST_F(CliImport, AnExportIsEvaluatedDirectlyAndAfterItsImportAlike) {
    const std::string txt = KeyValueFile();
    const json direct = Run("peaks " + ShellQuote(txt));
    ASSERT_EQ(direct["peaks"].size(), 1u) << direct.dump();
    const json& p = direct["peaks"][0];
    // Endothermic effects point down in this file ("Exotherm Up"): the effect up is exothermic.
    EXPECT_EQ(p["effect"], "exothermic");
    EXPECT_NEAR(p["specificHeat"].get<double>(), 30, 30 * 0.005);
    EXPECT_NEAR(p["heat"].get<double>(), 0.150, 0.150 * 0.005);
    EXPECT_NEAR(p["topTemp"].get<double>(), model.Temp(760), 0.1);
    EXPECT_NEAR(p["onsetTemp"].get<double>(), model.Temp(760 - 24), 0.3);
    EXPECT_NEAR(p["endsetTemp"].get<double>(), model.Temp(760 + 24), 0.3);
    EXPECT_NEAR(p["topTime"].get<double>(), 760, 0.5);

    const std::string dsc = dir.Str() + "run.dsc";
    const json imported = Run("import " + ShellQuote(txt) + " --out " + ShellQuote(dsc));
    EXPECT_EQ(imported["layout"], "keyvalue");
    EXPECT_EQ(imported["sampleName"], "PE film");
    EXPECT_EQ(imported["sampleWeight"], 5.0);
    EXPECT_EQ(imported["endothermic"], "down");
    EXPECT_EQ(imported["signal"]["quantity"], "heatFlow");
    EXPECT_EQ(imported["signal"]["unit"], "mW");
    EXPECT_EQ(imported["itemCount"], 2401);
    const json again = Run("peaks " + ShellQuote(dsc));
    ASSERT_EQ(again["peaks"].size(), 1u);
    for (const char* key : {"begX", "endX", "topX", "specificHeat", "onsetTemp", "endsetTemp", "effect"})
        EXPECT_EQ(again["peaks"][0][key], p[key]) << key;
}

TEST_F(CliImport, WhatTheFileDoesNotSayIsSetOrListed) {
    const std::string csv = DelimitedFile();
    const json info = Run("info " + ShellQuote(csv));
    EXPECT_EQ(info["sampleWeight"], 0.0);
    const std::string warnings = info["warnings"].dump();
    EXPECT_NE(warnings.find("Масса навески"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("Направление"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("Скорость нагрева"), std::string::npos) << warnings;
    EXPECT_NEAR(info["heatSpeed"].get<double>(), 10, 0.01);  // measured on the temperature curve
    // Without a mass a heat in J, no J/g; the options give the mass and the direction.
    const json j = Run("peaks " + ShellQuote(csv));
    ASSERT_EQ(j["peaks"].size(), 1u);
    EXPECT_TRUE(j["peaks"][0]["specificHeat"].is_null());
    EXPECT_NEAR(j["peaks"][0]["heat"].get<double>(), 0.150, 0.150 * 0.005);
    const std::string dsc = dir.Str() + "set.dsc";
    const json set = Run("import " + ShellQuote(csv) + " --mass 5 --endo up --out " + ShellQuote(dsc));
    EXPECT_EQ(set["sampleWeight"], 5.0);
    EXPECT_EQ(set["endothermic"], "up");
    const json p = Run("peaks " + ShellQuote(dsc))["peaks"][0];
    EXPECT_EQ(p["effect"], "endothermic");
    EXPECT_NEAR(p["specificHeat"].get<double>(), 30, 30 * 0.005);
}

TEST_F(CliImport, RangesInSecondsMinutesAndDegreesNameTheSameItems) {
    const std::string txt = KeyValueFile();
    const json bySeconds = Run("peaks " + ShellQuote(txt) + " --manual 700s:820s");
    const json byMinutes = Run("peaks " + ShellQuote(txt) + " --manual 11.6667min:13.6667min");
    const json byDegrees = Run("peaks " + ShellQuote(txt) + " --manual " + Number(model.Temp(700), 4) +
                               "C:" + Number(model.Temp(820), 4) + "C");
    const json byItems = Run("peaks " + ShellQuote(txt) + " --manual 1400:1640");
    for (const json* j : {&bySeconds, &byMinutes, &byDegrees}) {
        ASSERT_EQ((*j)["peaks"].size(), 1u);
        EXPECT_NEAR((*j)["peaks"][0]["begX"].get<int>(), 1400, 1);
        EXPECT_NEAR((*j)["peaks"][0]["endX"].get<int>(), 1640, 1);
    }
    EXPECT_NEAR(byItems["peaks"][0]["specificHeat"].get<double>(), 30, 0.15);
    // A range that is no range is a usage error; a temperature never reached is the data's.
    EXPECT_EQ(RunCli("--data-dir " + data + " peaks " + ShellQuote(txt) + " --manual 700x:800x").exitCode, 2);
    const RCliResult never =
        RunCli("--data-dir " + data + " peaks " + ShellQuote(txt) + " --manual 500C:600C");
    EXPECT_EQ(never.exitCode, 1);
    EXPECT_NE(never.err.find("не достигается"), std::string::npos) << never.err;
}

TEST_F(CliImport, TheOpenExportImportsBackToTheSameValues) {
    const std::string dsc = dir.Str() + "run.dsc";
    Run("import " + ShellQuote(KeyValueFile()) + " --out " + ShellQuote(dsc));
    const std::string csv = dir.Str() + "export.csv", js = dir.Str() + "export.json";
    EXPECT_EQ(Run("export " + ShellQuote(dsc) + " --format csv --out " + ShellQuote(csv))["rows"], 2401);
    Run("export " + ShellQuote(dsc) + " --format json --out " + ShellQuote(js));
    const std::string header = ReadFileBytes(csv).substr(0, 600);
    EXPECT_NE(header.find("# sample: PE film"), std::string::npos) << header;
    EXPECT_NE(header.find("# sample mass (mg): 5"), std::string::npos) << header;
    EXPECT_NE(header.find("heat flow (mW)"), std::string::npos) << header;

    // Exported, imported back, saved and loaded: every value within 1e-6 relative.
    const std::string back = dir.Str() + "back.dsc";
    Run("import " + ShellQuote(csv) + " --out " + ShellQuote(back));
    const json a = Run("dump " + ShellQuote(dsc)), b = Run("dump " + ShellQuote(back));
    ASSERT_EQ(a["tc"].size(), b["tc"].size());
    for (size_t i = 0; i < a["tc"].size(); i += 7) {
        for (const char* key : {"tc", "dtc"}) {
            const double x = a[key][i].get<double>(), y = b[key][i].get<double>();
            ASSERT_NEAR(x, y, 1e-6 * std::max(1.0, std::fabs(x))) << key << " " << i;
        }
    }
    // The description comes back with the samples, from the text and from the JSON alike.
    for (const std::string& file : {csv, js}) {
        const json info = Run("info " + ShellQuote(file));
        EXPECT_EQ(info["sampleName"], "PE film") << file;
        EXPECT_EQ(info["sampleWeight"], 5.0) << file;
        EXPECT_EQ(info["endothermic"], "down") << file;
        EXPECT_EQ(info["itemCount"], 2401) << file;
    }
    const std::string fromJson = dir.Str() + "json.dsc";
    Run("import " + ShellQuote(js) + " --out " + ShellQuote(fromJson));
    const json c = Run("dump " + ShellQuote(fromJson));
    for (size_t i = 0; i < a["dtc"].size(); i += 11)
        ASSERT_EQ(a["dtc"][i], c["dtc"][i]) << i;
    const json exported = json::parse(ReadFileBytes(js));
    EXPECT_EQ(exported["signal_unit"], "mW");
    EXPECT_EQ(exported["endothermic"], "down");
    EXPECT_EQ(exported["time_s"].size(), 2401u);
    EXPECT_DOUBLE_EQ(exported["time_s"][2].get<double>(), 1.0);
}

TEST_F(CliImport, AFileWithoutDataIsRefusedInTheSystemsWords) {
    const std::string empty = dir.Str() + "notes.txt";
    WriteFileBytes(empty, "Это не данные прибора\nи чисел здесь нет\n");
    const RCliResult r = RunCli("--data-dir " + data + " import " + ShellQuote(empty) + " --out " +
                                ShellQuote(dir.Str() + "x.dsc"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x.dsc"));
}

}  // namespace
