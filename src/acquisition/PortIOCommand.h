#pragma once
// Commands for the instrument's digital port and the queue that carries them from the heating
// program and the user interface to the acquisition thread, which alone writes the port.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace kalvero {

enum TPortIOCommandType : uint8_t { pcmdNone = 0, pcmdRead = 1, pcmdWrite = 2 };

// duration 0: set the level and leave it; otherwise set it, wait duration ms and restore the
// previous steady level (a pulse).
struct TPortIOCommand {
    TPortIOCommandType command = pcmdNone;
    uint8_t value = 0;
    uint16_t duration = 0;

    bool operator==(const TPortIOCommand&) const = default;
};

// First in, first out. Filled from the user-interface thread and the acquisition thread at once,
// drained by the acquisition thread, hence the lock.
class TPortIOCommandQueue {
public:
    void Enqueue(const TPortIOCommand& aCommand);
    // False when the queue is empty.
    bool Dequeue(TPortIOCommand& aCommand);
    // Everything queued so far, oldest first; the queue is left empty.
    std::vector<TPortIOCommand> DequeueAll();
    // A copy of what waits, oldest first; the queue is left as it is.
    std::vector<TPortIOCommand> Snapshot() const;
    size_t Count() const;
    void Clear();

private:
    mutable std::mutex fLock;
    std::deque<TPortIOCommand> fItems;
};

}  // namespace kalvero
