// Writes the seed corpora of the fuzz targets: valid files of every kind made through the same
// classes the program saves with. Usage: kalvero-fuzz-seeds FOLDER (one subfolder per target).

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>

#include "FuzzSupport.h"
#include "acquisition/ScanProgram.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"
#include "common/BinaryIO.h"
#include "common/Cp1251.h"
#include "common/FileUtil.h"
#include "data/DataClass.h"
#include "data/DataFileHeader.h"

using namespace kalvero;
namespace fs = std::filesystem;

namespace {

void Write(const fs::path& aFile, const std::string& aBytes) {
    fs::create_directories(aFile.parent_path());
    std::ofstream(aFile, std::ios::binary | std::ios::trunc) << aBytes;
}

// A short heating run with a melting peak on aChannels channels.
void Experiments(const fs::path& aDir, TAppConfig& aConfig) {
    fs::create_directories(aDir);
    for (const char* version : {"1.0", "1.2"}) {
        aConfig.fileVersion = version;
        TDataClass d;
        d.SetItemsLength(64, true);
        d.SetNumChannels(3);
        for (int i = 0; i < 64; ++i)
            for (int ch = 0; ch < d.GetChannelCount(); ++ch) {
                d.items[i][ch].t = 1000 + 10 * i + ch;
                d.items[i][ch].dt = static_cast<int32_t>(500 * std::exp(-0.05 * (i - 32) * (i - 32)));
            }
        d.SaveToFile((aDir / ("v" + std::string(version) + ".dsc")).string(), false);
    }
    // The older layout: the header, records from byte 8000.
    TOldDtaFileHeader h;
    h.ItemCount = 16, h.NumberOfChannels = 1, h.EndX = 15;
    std::string old = EncodeHeader(h);
    old.resize(DATAFILE_OLD_DATA_OFFSET, '\0');
    TBinaryWriter w;
    for (int i = 0; i < 16; ++i)
        w.Write<int32_t>(1000 + i), w.Write<int32_t>(i * i);
    Write(aDir / "old.dsc", old + w.Data());
}

void BinFiles(const fs::path& aDir) {
    TBinaryWriter w;
    for (int i = 0; i < 32; ++i)
        w.Write<int16_t>(static_cast<int16_t>(i * 7 - 100));
    Write(aDir / "run.bin", w.Data());
}

void Tables(const fs::path& aDir) {
    fs::create_directories(aDir);
    TTempCalibrationTable temp(0, 4096);
    temp.AddTempRefPoint(0, -20, "");
    temp.AddTempRefPoint(2000, 150, "");
    temp.AddTempRefPoint(4096, 420, "");
    temp.Calc();
    temp.SaveToFile((aDir / "temp.tbl").string());
    TDiffTempCalibrationTable diff(-150, 700);
    diff.AddDiffTempRefPoint(157, 2.0f, 400, "");
    diff.AddDiffTempRefPoint(232, 2.0f, 380, "");
    diff.AddDiffTempRefPoint(420, 2.0f, 330, "");
    diff.Calc();
    diff.SaveToFile((aDir / "dt.tbl").string());
    THeatCalibrationTable heat(20, 620);
    heat.AddHeatRefPoint(20, 0, 0, 0, 1e-7f, true, "start");
    heat.AddHeatRefPoint(157, 2000000, 10.0f, 28.45f, false, "In");
    heat.AddHeatRefPoint(232, 1500000, 10.0f, 60.2f, false, "Sn");
    heat.AddHeatRefPoint(619, 0, 0, 0, 5e-7f, true, "end");
    heat.Calc();
    heat.SaveToFile((aDir / "heat.tbl").string());
}

void Programs(const fs::path& aDir) {
    fs::create_directories(aDir);
    TScanProgram p;
    p.AddStep(spstHeating, 200, true);
    p.AddStep(spstSustain, 2, true);
    p.AddStep(spstFree, 2, false);
    p.SaveToFile((aDir / "indium.prg").string());
}

void Texts(const fs::path& aDir, std::initializer_list<const char*> aTexts) {
    int n = 0;
    for (const char* text : aTexts)
        Write(aDir / (std::to_string(n++) + ".txt"), text);
}

// Rows of a short heating with a melting peak: aCells(time s, temperature °C, heat flow mW).
std::string ExportRows(int aRows, const std::function<std::string(double, double, double)>& aCells) {
    std::string rows;
    for (int i = 0; i < aRows; ++i) {
        const double t = 6.0 * i, temp = 30 + t / 6, z = (temp - 156.6) / 3;
        rows += aCells(t, temp, -0.5 + 0.004 * temp + 20 * std::exp(-0.5 * z * z));
    }
    return rows;
}

std::string Fixed(double aValue, int aDecimals, char aDecimal = '.') {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", aDecimals, aValue);
    for (char* c = text; *c; ++c)
        if (*c == '.') *c = aDecimal;
    return text;
}

std::string ToUtf16Le(const std::string& aUtf8) {
    std::string out = "\xFF\xFE";
    for (const char16_t u : Utf8ToUtf16(aUtf8))
        out += static_cast<char>(u & 0xFF), out += static_cast<char>(u >> 8);
    return out;
}

// Text exports of other instruments in the four layouts the importers read, a few variants each.
void ForeignExports(const fs::path& aOut) {
    const auto csv = [](double t, double temp, double hf) {
        return Fixed(t / 60, 4) + "," + Fixed(temp, 3) + "," + Fixed(hf, 5) + "\n";
    };
    Write(aOut / "import-delimited" / "comma.csv",
          "Sample: PE film\nMass: 5.2 mg\nHeating rate: 10 K/min\nExotherm Up\n\n"
          "Time (min),Temperature (°C),Heat Flow (mW)\n" +
              ExportRows(160, csv));
    Write(aOut / "import-delimited" / "cp1251.csv",
          Utf8ToCp1251(
              "Образец: Индий\r\nМасса, мг: 4,87\r\nВремя, мин;Температура, °С;Тепловой поток, мВт\r\n" +
              ExportRows(120, [](double t, double temp, double hf) {
                  return Fixed(t / 60, 4, ',') + ";" + Fixed(temp, 3, ',') + ";" + Fixed(hf, 5, ',') + "\r\n";
              })));
    Write(
        aOut / "import-delimited" / "utf16.txt",
        ToUtf16Le("t [s]\tTs [°C]\tDSC [µW]\tdT [K]\n" + ExportRows(60, [](double t, double temp, double hf) {
                      return Fixed(t, 1) + "\t" + Fixed(temp, 3) + "\t" + Fixed(hf * 1000, 2) + "\t0.01\n";
                  })));
    Write(aOut / "import-delimited" / "blanks.txt",
          "Time   Temperature   Heat Flow\n  s      K            W\n" +
              ExportRows(100, [](double t, double temp, double hf) {
                  return "  " + Fixed(t, 1) + "   " + Fixed(temp + 273.15, 3) + "   " + Fixed(hf / 1000, 8) +
                         "\n";
              }));
    Write(aOut / "import-delimited" / "damaged.csv",
          "Time/s;T/°C;HF/mW\n0;0;0\n0;0;0\n" + ExportRows(80, [](double t, double temp, double hf) {
              return Fixed(t, 1) + ";" +
                     (t == 60   ? "nan"
                      : t == 66 ? ""
                                : Fixed(temp, 3)) +
                     ";" + Fixed(hf, 4) + "\n";
          }) + "480;110;0,3;\n486;11");
    Write(aOut / "import-keyvalue" / "export.txt",
          "Operator\tA. Petrova\nRun Date\t2024-03-15\nSample\tPE film\nSize\t9.0 mg\nExotherm Up\n"
          "OrgMethod1\tRamp 10.00 °C/min to 230.00 °C\nSig1\tTime (min)\nSig2\tTemperature (°C)\n"
          "Sig3\tHeat Flow (W/g)\nStartOfData\n" +
              ExportRows(150, [](double t, double temp, double hf) {
                  return Fixed(t / 60, 5) + "\t" + Fixed(temp, 3) + "\t" + Fixed(hf / 9, 6) + "\n";
              }));
    Write(aOut / "import-twoline" / "indium.txt",
          "Sample: Indium\nMass: 6.12 mg\nExo: down\n\nIndex  t  Ts  Tr  Value\n[s]  [°C]  [°C]  [mW]\n" +
              ExportRows(150,
                         [](double t, double temp, double hf) {
                             return std::to_string(static_cast<int>(t / 6) + 1) + "  " + Fixed(t, 1) + "  " +
                                    Fixed(temp, 3) + "  " + Fixed(temp + 0.5, 3) + "  " + Fixed(hf, 5) + "\n";
                         }) +
              "!& end of data\n1 2 3\n");
    std::string hash =
        "#FORMAT:TEXT EXPORT 2\n#SAMPLE:Polyamide 6\n#SAMPLE MASS /mg:5,12\n#EXO:-1\n#DECIMAL:COMMA\n"
        "#SEPARATOR:;\n#SEG. 1:30°C/10.0(K/min)/130°C\n#SEG. 2:130°C/10.0(K/min)/30°C\n"
        "##Temp./°C;Time/min;DSC/(mW/mg);Segment\n";
    hash += ExportRows(150, [](double t, double temp, double hf) {
        const bool heating = t < 600;
        return Fixed(heating ? temp : 130 - (t - 600) / 6, 3, ',') + ";" + Fixed(t / 60, 5, ',') + ";" +
               Fixed(hf / 5.12, 6, ',') + ";" + (heating ? "1" : "2") + "\n";
    });
    Write(aOut / "import-hashkey" / "pa6.txt", hash);
    std::string json =
        "{\"format\": \"Kalvero export\", \"sample\": \"Индий\", \"mass_mg\": \"5\", "
        "\"endothermic\": \"up\", \"signal_quantity\": \"heatFlow\", \"signal_unit\": \"mW\", ";
    std::string times, temps, signals;
    ExportRows(150, [&](double t, double temp, double hf) {
        times += (times.empty() ? "" : ",") + Fixed(t, 3);
        temps += (temps.empty() ? "" : ",") + Fixed(temp, 4);
        signals += (signals.empty() ? "" : ",") + Fixed(hf, 6);
        return std::string();
    });
    json +=
        "\"time_s\": [" + times + "], \"temperature_C\": [" + temps + "], \"signal\": [" + signals + "]}\n";
    Write(aOut / "import-json" / "export.json", json);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kalvero-fuzz-seeds FOLDER\n";
        return 2;
    }
    const fs::path out = argv[1];
    try {
        TAppConfig& config = fuzz::Config();
        Experiments(out / "dsc", config);
        BinFiles(out / "bin");
        Tables(out / "tbl");
        Programs(out / "prg");
        Write(out / "settings" / "Settings.ini", ReadWholeFile(config.SettingsFileName()));
        Write(out / "devices" / "Devices.ini", ReadWholeFile(config.DevicesFileName()));
        Texts(out / "plugins",
              {"kinetics.so=TKinetics", "a.so=TA;b.so=TB=x;;c.so=",
               "[Software\\Kalvero\\Kalvero]\ninstalledPlugins=kinetics.so=TKinetics;b.so=TB\n"});
        Texts(out / "real", {"3.14", "-1,5e3", " 42 ", "1e308", "0x10", "-.5", "1.2.3", "inf"});
        ForeignExports(out);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
