#include "acquisition/PortIOCommand.h"

namespace kalvero {

void TPortIOCommandQueue::Enqueue(const TPortIOCommand& aCommand) {
    std::lock_guard lock(fLock);
    fItems.push_back(aCommand);
}

bool TPortIOCommandQueue::Dequeue(TPortIOCommand& aCommand) {
    std::lock_guard lock(fLock);
    if (fItems.empty()) return false;
    aCommand = fItems.front();
    fItems.pop_front();
    return true;
}

std::vector<TPortIOCommand> TPortIOCommandQueue::DequeueAll() {
    std::lock_guard lock(fLock);
    std::vector<TPortIOCommand> all(fItems.begin(), fItems.end());
    fItems.clear();
    return all;
}

std::vector<TPortIOCommand> TPortIOCommandQueue::Snapshot() const {
    std::lock_guard lock(fLock);
    return {fItems.begin(), fItems.end()};
}

size_t TPortIOCommandQueue::Count() const {
    std::lock_guard lock(fLock);
    return fItems.size();
}

void TPortIOCommandQueue::Clear() {
    std::lock_guard lock(fLock);
    fItems.clear();
}

}  // namespace kalvero
