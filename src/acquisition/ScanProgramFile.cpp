// Program files (*.prg): one INI section "STEP_<index>" per step with stepType, stepParam and
// keepData.

#include <strings.h>

#include <filesystem>

#include "acquisition/ScanProgram.h"
#include "common/Cp1251.h"
#include "common/FileUtil.h"
#include "common/IniFile.h"

namespace kalvero {

void TScanProgram::LoadFromFile(const std::string& aFileName) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(aFileName, ec))
        throw EScanProgramException("Невозможно загрузить файл - файл не найден.");
    std::lock_guard lock(fLock);
    CheckStopped();

    std::vector<RScanProgramStep> steps;
    try {
        const TIniFile ini(aFileName);
        // Sections in file order; the number in the name means nothing.
        for (const std::string& section : ini.Sections()) {
            if (strncasecmp(section.c_str(), "STEP", 4) != 0) continue;
            RScanProgramStep step;
            step.stepNo = static_cast<int32_t>(steps.size()) + 1;
            const int32_t type = ini.ReadInteger(section, "stepType", 0);
            step.stepParam = ini.ReadInteger(section, "stepParam", 0);
            step.storeScannedData = ini.ReadBool(section, "keepData", true);
            CheckStepValues(step.stepNo, type, step.stepParam);
            step.stepType = static_cast<TScanProgramStepType>(type);
            steps.push_back(step);
        }
    } catch (const EScanProgramException& e) {
        throw EScanProgramException("Некорректный файл программы " + aFileName + ". " + e.what());
    } catch (const EFileError& e) {
        throw EScanProgramException(e.what());
    }
    // Nothing changes before the whole file has been read.
    fItems = std::move(steps);
    fProgramSaved = true;
}

void TScanProgram::SaveToFile(const std::string& aFileName) {
    std::lock_guard lock(fLock);
    Validate();
    TIniFile ini{std::filesystem::path()};
    for (size_t i = 0; i < fItems.size(); ++i) {
        const std::string section = "STEP_" + std::to_string(i);
        ini.WriteInteger(section, "stepType", fItems[i].stepType);
        ini.WriteInteger(section, "stepParam", fItems[i].stepParam);
        ini.WriteBool(section, "keepData", fItems[i].storeScannedData);
    }
    std::string text;
    for (char c : ini.ToText()) {
        if (c == '\n') text += '\r';
        text += c;
    }
    // The old file is replaced in one rename, so a failure leaves it as it was.
    try {
        WriteFileAtomic(aFileName, Utf8ToCp1251(text));
    } catch (const EFileError&) {
        throw EScanProgramException("Невозможно сохранить этот файл. Возможно он занять другим приложением");
    }
    fProgramSaved = true;
}

}  // namespace kalvero
