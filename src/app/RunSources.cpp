#include "app/RunSources.h"

#include <filesystem>

#include "app/DataWindow.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "data/DataClass.h"
#include "import/ExperimentImport.h"

namespace kalvero::app {
namespace {

std::string FileName(const std::string& aPath) {
    return std::filesystem::path(aPath).filename().string();
}

}  // namespace

TRunSources::TRunSources(const TKalveroForm& aMain) {
    for (TfrmDataWindow* w : aMain.DataWindows())
        fRuns.push_back({FileName(S(w->windowTitle())), w, nullptr});
}

TRunSources::~TRunSources() = default;

const TDataClass* TRunSources::Data(int aIndex) const {
    const RRun& r = fRuns.at(static_cast<size_t>(aIndex));
    if (r.file) return r.file.get();
    return r.window ? r.window->Experiment() : nullptr;
}

int TRunSources::AddFile(const std::string& aFileName) {
    auto d = std::make_unique<TDataClass>();
    LoadAnyExperimentFile(*d, aFileName);
    fRuns.push_back({FileName(aFileName), nullptr, std::move(d)});
    return Count() - 1;
}

int TRunSources::AskFile(QWidget* aParent) {
    const std::string ext = gConfig ? gConfig->workFileExt : "dsc";
    const std::string patterns = "*." + ext + ";*.txt;*.csv;*.tsv;*.dat;*.asc;*.exp";
    const auto chosen = AskOpenFile(aParent, gConfig ? gConfig->appUserDataPath : "",
                                    "Опыты (" + patterns + ")|" + patterns + "|Все файлы (*.*)|*");
    if (!chosen) return -1;
    try {
        return AddFile(chosen->fileName);
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TRunSources", e.what());
        return -1;
    }
}

}  // namespace kalvero::app
