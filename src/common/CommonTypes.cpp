#include "common/CommonTypes.h"

#include <stdexcept>
#include <utility>

namespace kalvero {

int TPairArray::IndexOf(const std::string& aKey) const {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].Key == aKey) return static_cast<int>(i);
    }
    return -1;
}

void TPairArray::CheckIndex(int aIndex) const {
    if (aIndex < 0 || aIndex >= Count()) throw std::out_of_range("Incorrect index");
}

void TPairArray::Add(const std::string& aKey, const std::string& aValue) {
    items.push_back({aKey, aValue});
}

void TPairArray::Add(int aKey, const std::string& aValue) {
    Add(std::to_string(aKey), aValue);
}

void TPairArray::AddUniq(const std::string& aKey, const std::string& aValue) {
    const int index = IndexOf(aKey);
    if (index >= 0) {
        items[index].Value = aValue;
    } else {
        Add(aKey, aValue);
    }
}

void TPairArray::AddUniq(int aKey, const std::string& aValue) {
    AddUniq(std::to_string(aKey), aValue);
}

void TPairArray::Update(const std::string& aKey, const std::string& aValue) {
    if (!ContainsKey(aKey)) throw std::out_of_range("Incorrect key");
    for (TPair& pair : items) {
        if (pair.Key == aKey) pair.Value = aValue;
    }
}

bool TPairArray::ContainsKey(const std::string& aKey) const {
    return IndexOf(aKey) >= 0;
}

bool TPairArray::ContainsKey(int aKey) const {
    return ContainsKey(std::to_string(aKey));
}

std::string TPairArray::GetValue(const std::string& aKey) const {
    const int index = IndexOf(aKey);
    return index >= 0 ? items[index].Value : std::string();
}

std::string TPairArray::GetValue(int aKey) const {
    return GetValue(std::to_string(aKey));
}

bool TPairArray::GetValue(int aKey, std::string& aValue) const {
    aValue.clear();
    const int index = IndexOf(std::to_string(aKey));
    if (index >= 0) aValue = items[index].Value;
    return index >= 0;
}

std::string TPairArray::GetKeyByIndex(int aIndex) const {
    CheckIndex(aIndex);
    return items[aIndex].Key;
}

std::string TPairArray::GetValueByIndex(int aIndex) const {
    CheckIndex(aIndex);
    return items[aIndex].Value;
}

void TPairArray::Sort() {
    // Bubble passes from the back: the smallest key rises to the front, ties never swap.
    const size_t n = items.size();
    for (size_t settled = 0; settled + 1 < n; ++settled) {
        bool swapped = false;
        for (size_t j = n - 1; j > settled; --j) {
            if (items[j - 1].Key.compare(items[j].Key) > 0) {
                std::swap(items[j - 1], items[j]);
                swapped = true;
            }
        }
        if (!swapped) break;
    }
}

std::string TPairArray::ToString(const std::string& aDelimiter) const {
    std::string result;
    for (const TPair& pair : items) {
        result += pair.Key;
        result += aDelimiter;
        result += pair.Value;
        result += "\r\n";
    }
    return result;
}

}  // namespace kalvero
