// Writes the seed corpora of the fuzz targets: valid files of every kind made through the same
// classes the program saves with. Usage: kalvero-fuzz-seeds FOLDER (one subfolder per target).

#include <cmath>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "FuzzSupport.h"
#include "acquisition/ScanProgram.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"
#include "common/BinaryIO.h"
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
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
