#pragma once
// The runs a dialog offers to choose from: the experiments of the open data windows and files the
// operator opens from the dialog (experiment files or text exports of other instruments, kept by
// the dialog for as long as it lives).

#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace kalvero {
class TDataClass;
}

namespace kalvero::app {

class TKalveroForm;
class TfrmDataWindow;

class TRunSources {
public:
    // The data windows open now, in the order they were made.
    explicit TRunSources(const TKalveroForm& aMain);
    ~TRunSources();

    int Count() const { return static_cast<int>(fRuns.size()); }
    const std::string& Name(int aIndex) const { return fRuns.at(static_cast<size_t>(aIndex)).name; }
    // Null once the run's window has closed.
    const TDataClass* Data(int aIndex) const;
    // Reads a file (errors propagate); its index.
    int AddFile(const std::string& aFileName);
    // Asks for a file and reads it; its index, or -1 when none was chosen or it could not be read
    // (the error shown).
    int AskFile(QWidget* aParent);

private:
    struct RRun {
        std::string name;
        QPointer<TfrmDataWindow> window;
        std::unique_ptr<TDataClass> file;
    };
    std::vector<RRun> fRuns;
};

}  // namespace kalvero::app
