#pragma once
// The one door through which the core talks to the operator: message boxes, progress and the
// busy cursor. The core never uses a GUI library; the desktop program installs its own hooks,
// everything else (the CLI, tests, plug-in hosts without a window) runs on the headless default.

#include <memory>
#include <string>

namespace kalvero {

class TUiHooks {
public:
    virtual ~TUiHooks() = default;

    // Information box, caption "Сообщение".
    virtual void MsgBox(const std::string& aText) = 0;
    // Error box, caption "Произошла ошибка".
    virtual void ErrBox(const std::string& aText) = 0;
    // Yes/No question; true for Yes.
    virtual bool MsgBoxYN(const std::string& aText) = 0;
    // OK/Cancel question; true for OK.
    virtual bool MsgBoxOC(const std::string& aText) = 0;

    // A long operation: shown with a caption, moved on as it goes, closed at the end.
    virtual void ProgressStart(const std::string& aCaption, int aMax) = 0;
    virtual void ProgressStep(int aPosition) = 0;
    virtual void ProgressFinish() = 0;

    // Busy cursor while an operation runs.
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
};

// Headless hooks: boxes are written to stderr ("Сообщение: text", "Произошла ошибка: text"),
// questions take the answer given at construction (No/Cancel by default, so that nothing is
// destroyed without a person saying so), progress and the busy cursor are silent.
class THeadlessUiHooks : public TUiHooks {
public:
    explicit THeadlessUiHooks(bool aAnswer = false) : fAnswer(aAnswer) {}

    void MsgBox(const std::string& aText) override;
    void ErrBox(const std::string& aText) override;
    bool MsgBoxYN(const std::string& aText) override;
    bool MsgBoxOC(const std::string& aText) override;
    void ProgressStart(const std::string&, int) override {}
    void ProgressStep(int) override {}
    void ProgressFinish() override {}
    void BeginBusy() override {}
    void EndBusy() override {}

private:
    bool fAnswer;
};

// Passes every call to the hooks in force at the time of the call: for objects that keep a hooks
// pointer (a peak detector's progress window) longer than one installation of hooks lasts.
class TCurrentUiHooks : public TUiHooks {
public:
    void MsgBox(const std::string& aText) override;
    void ErrBox(const std::string& aText) override;
    bool MsgBoxYN(const std::string& aText) override;
    bool MsgBoxOC(const std::string& aText) override;
    void ProgressStart(const std::string& aCaption, int aMax) override;
    void ProgressStep(int aPosition) override;
    void ProgressFinish() override;
    void BeginBusy() override;
    void EndBusy() override;
};
// One process-wide instance.
TUiHooks& CurrentUiHooks();

// The hooks in force; never null (the headless default until another is installed).
TUiHooks& UiHooks();
// Installs hooks and returns the previous ones; null restores the headless default.
std::shared_ptr<TUiHooks> SetUiHooks(std::shared_ptr<TUiHooks> aHooks);

// Keeps the busy cursor on for a scope.
class TBusyScope {
public:
    TBusyScope() { UiHooks().BeginBusy(); }
    ~TBusyScope() { UiHooks().EndBusy(); }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;
};

}  // namespace kalvero
