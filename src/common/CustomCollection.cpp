#include "common/CustomCollection.h"

#include <stdexcept>
#include <utility>

#include "common/Cp1251.h"

namespace kalvero {
namespace {

constexpr size_t kMaxKeyLength = 255;

}  // namespace

void TRefPoint::Create(int32_t aUnitValue) {
    unitValue = aUnitValue;
    description.clear();
}

void TCustomCollection::AddItem(int32_t aKey, const TRefPoint& aValue) {
    TCustomCollectionItem item;
    item.value = aValue;
    item.keyType = ktInt;
    item.keyInt = aKey;
    items.push_back(std::move(item));
}

void TCustomCollection::AddItem(const std::string& aKey, const TRefPoint& aValue) {
    TCustomCollectionItem item;
    item.value = aValue;
    item.keyType = ktString;
    item.keyStr = Utf8Left(aKey, kMaxKeyLength);
    items.push_back(std::move(item));
}

void TCustomCollection::AddItem(float aKey, const TRefPoint& aValue) {
    TCustomCollectionItem item;
    item.value = aValue;
    item.keyType = ktReal;
    item.keyReal = aKey;
    items.push_back(std::move(item));
}

TRefPoint TCustomCollection::GetItem(int aIndex) const {
    if (aIndex < 0 || aIndex >= GetItemCount())
        throw std::runtime_error("Item with such index was not found");
    return items[aIndex].value;
}

void TCustomCollection::SetItem(int aIndex, const TRefPoint& aValue) {
    if (aIndex < 0 || aIndex >= GetItemCount())
        throw std::runtime_error("Item with such index was not found");
    items[aIndex].value = aValue;
}

template <typename Match>
const TCustomCollectionItem& TCustomCollection::FindFirst(Match aMatch) const {
    for (const TCustomCollectionItem& item : items) {
        if (aMatch(item)) return item;
    }
    throw std::runtime_error("Item with such key was not found");
}

// Keys of another kind never match: their slots hold nothing comparable.
TRefPoint TCustomCollection::GetItemByKey(int32_t aKey) const {
    return FindFirst([&](const TCustomCollectionItem& i) { return i.keyType == ktInt && i.keyInt == aKey; })
        .value;
}

TRefPoint TCustomCollection::GetItemByKey(const std::string& aKey) const {
    // Stored keys are cut on the way in, so a long key must be cut the same way to find itself.
    const std::string key = Utf8Left(aKey, kMaxKeyLength);
    return FindFirst([&](const TCustomCollectionItem& i) { return i.keyType == ktString && i.keyStr == key; })
        .value;
}

TRefPoint TCustomCollection::GetItemByKey(float aKey) const {
    return FindFirst([&](const TCustomCollectionItem& i) { return i.keyType == ktReal && i.keyReal == aKey; })
        .value;
}

void TCustomCollection::RemoveItem(int aIndex) {
    if (aIndex < 0 || aIndex >= GetItemCount()) throw std::runtime_error("index not in range");
    items.erase(items.begin() + aIndex);
}

void TCustomCollection::RemoveItemByKey(int32_t aKey) {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].keyType == ktInt && items[i].keyInt == aKey) {
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
    throw std::runtime_error("Item with such key was not found");
}

void TCustomCollection::Sort() {
    // Text keys compare as the Windows-1251 bytes of the files; converted once, swapped along.
    std::vector<std::string> ansiKeys(items.size());
    for (size_t k = 0; k < items.size(); ++k) {
        if (items[k].keyType == ktString) ansiKeys[k] = Utf8ToCp1251(items[k].keyStr);
    }
    auto mustSwap = [&](size_t i, size_t j) {
        const TCustomCollectionItem& a = items[i];
        const TCustomCollectionItem& b = items[j];
        if (a.keyType != b.keyType) return false;
        if (a.keyType == ktInt) return a.keyInt > b.keyInt;
        if (a.keyType == ktString) return ansiKeys[i].compare(ansiKeys[j]) > 0;
        return false;
    };
    const size_t n = items.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        for (size_t j = n - 1; j > i; --j) {
            if (mustSwap(i, j)) {
                std::swap(items[i], items[j]);
                std::swap(ansiKeys[i], ansiKeys[j]);
            }
        }
    }
}

std::string TCustomCollection::ToString() const {
    std::string result;
    for (const TCustomCollectionItem& item : items) {
        if (item.keyType == ktInt) result += std::to_string(item.keyInt);
        if (item.keyType == ktString) result += item.keyStr;
        result += "-" + std::to_string(item.value.unitValue) + ":" + "277" + ", ";
    }
    return result;
}

}  // namespace kalvero
