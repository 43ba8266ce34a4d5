#include "common/UiHooks.h"

#include <iostream>
#include <mutex>

namespace kalvero {
namespace {

std::mutex gHooksMutex;
std::shared_ptr<TUiHooks> gHooks;

std::shared_ptr<TUiHooks> Current() {
    std::lock_guard lock(gHooksMutex);
    if (!gHooks) gHooks = std::make_shared<THeadlessUiHooks>();
    return gHooks;
}

}  // namespace

void THeadlessUiHooks::MsgBox(const std::string& aText) {
    std::cerr << "Сообщение: " << aText << std::endl;
}

void THeadlessUiHooks::ErrBox(const std::string& aText) {
    std::cerr << "Произошла ошибка: " << aText << std::endl;
}

bool THeadlessUiHooks::MsgBoxYN(const std::string& aText) {
    std::cerr << "Сообщение: " << aText << (fAnswer ? " [Да]" : " [Нет]") << std::endl;
    return fAnswer;
}

bool THeadlessUiHooks::MsgBoxOC(const std::string& aText) {
    std::cerr << "Сообщение: " << aText << (fAnswer ? " [OK]" : " [Отмена]") << std::endl;
    return fAnswer;
}

void TCurrentUiHooks::MsgBox(const std::string& aText) {
    Current()->MsgBox(aText);
}

void TCurrentUiHooks::ErrBox(const std::string& aText) {
    Current()->ErrBox(aText);
}

bool TCurrentUiHooks::MsgBoxYN(const std::string& aText) {
    return Current()->MsgBoxYN(aText);
}

bool TCurrentUiHooks::MsgBoxOC(const std::string& aText) {
    return Current()->MsgBoxOC(aText);
}

void TCurrentUiHooks::ProgressStart(const std::string& aCaption, int aMax) {
    Current()->ProgressStart(aCaption, aMax);
}

void TCurrentUiHooks::ProgressStep(int aPosition) {
    Current()->ProgressStep(aPosition);
}

void TCurrentUiHooks::ProgressFinish() {
    Current()->ProgressFinish();
}

void TCurrentUiHooks::BeginBusy() {
    Current()->BeginBusy();
}

void TCurrentUiHooks::EndBusy() {
    Current()->EndBusy();
}

TUiHooks& CurrentUiHooks() {
    static TCurrentUiHooks hooks;
    return hooks;
}

TUiHooks& UiHooks() {
    // The shared pointer is kept alive by the global; replacing hooks happens on the UI thread
    // between operations, so handing out a reference is safe.
    return *Current();
}

std::shared_ptr<TUiHooks> SetUiHooks(std::shared_ptr<TUiHooks> aHooks) {
    std::lock_guard lock(gHooksMutex);
    auto previous = gHooks;
    gHooks = aHooks ? std::move(aHooks) : std::make_shared<THeadlessUiHooks>();
    return previous;
}

}  // namespace kalvero
