#pragma once
// Records what the core shows the operator, for tests that check message boxes.

#include <string>
#include <vector>

#include "common/UiHooks.h"

namespace kalvero::test {

class TFakeUiHooks : public TUiHooks {
public:
    std::vector<std::string> messages, errors, questions;
    bool answer = false;

    void MsgBox(const std::string& aText) override { messages.push_back(aText); }
    void ErrBox(const std::string& aText) override { errors.push_back(aText); }
    bool MsgBoxYN(const std::string& aText) override { return questions.push_back(aText), answer; }
    bool MsgBoxOC(const std::string& aText) override { return questions.push_back(aText), answer; }
    void ProgressStart(const std::string&, int) override {}
    void ProgressStep(int) override {}
    void ProgressFinish() override {}
    void BeginBusy() override {}
    void EndBusy() override {}
};

// Installs fake hooks for the lifetime of the object.
class TFakeUiScope {
public:
    TFakeUiScope() : fHooks(std::make_shared<TFakeUiHooks>()), fPrevious(SetUiHooks(fHooks)) {}
    ~TFakeUiScope() { SetUiHooks(fPrevious); }
    TFakeUiHooks& operator*() { return *fHooks; }
    TFakeUiHooks* operator->() { return fHooks.get(); }

private:
    std::shared_ptr<TFakeUiHooks> fHooks;
    std::shared_ptr<TUiHooks> fPrevious;
};

}  // namespace kalvero::test
