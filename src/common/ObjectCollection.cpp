#include "common/ObjectCollection.h"

#include <cxxabi.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <typeinfo>
#include <utility>

namespace kalvero {
namespace {

// The text-to-integer routine of the keys: optional sign, decimal digits, 32-bit range.
int32_t KeyToInt(const std::string& aKey) {
    size_t pos = 0;
    bool negative = false;
    if (pos < aKey.size() && (aKey[pos] == '+' || aKey[pos] == '-')) negative = aKey[pos++] == '-';
    int64_t value = 0;
    bool valid = pos < aKey.size();
    for (; valid && pos < aKey.size(); ++pos) {
        const char c = aKey[pos];
        if (c < '0' || c > '9') {
            valid = false;
        } else {
            value = value * 10 + (c - '0');
            if (value > int64_t{INT32_MAX} + 1) valid = false;
        }
    }
    if (negative) value = -value;
    if (!valid || value > INT32_MAX || value < INT32_MIN) {
        throw std::invalid_argument("'" + aKey + "' is not a valid integer value");
    }
    return static_cast<int32_t>(value);
}

std::mt19937 SeededGenerator() {
    std::random_device device;
    const auto ticks = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::seed_seq seed{device(), device(), static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
    return std::mt19937(seed);
}

// "kalvero::TPeak" -> "TPeak"; qualifiers inside template arguments are kept.
std::string StripNamespace(const std::string& aName) {
    size_t start = 0;
    int depth = 0;
    for (size_t i = 0; i < aName.size(); ++i) {
        const char c = aName[i];
        if (c == '<') ++depth;
        if (c == '>') --depth;
        if (depth == 0 && c == ':' && i + 1 < aName.size() && aName[i + 1] == ':') start = i + 2;
    }
    return aName.substr(start);
}

}  // namespace

std::string TObject::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
    return StripNamespace(status == 0 && demangled ? demangled.get() : mangled);
}

TObjectCollection::TObjectCollection(TObjectCollectionType aType)
    : fType(aType), fRandom(SeededGenerator()) {}

TObjectCollection::~TObjectCollection() {
    Clear();
}

TObjectCollection::TObjectCollection(TObjectCollection&& aOther) noexcept
    : fType(aOther.fType), fItems(std::move(aOther.fItems)), fRandom(aOther.fRandom) {
    aOther.fItems.clear();
}

TObjectCollection& TObjectCollection::operator=(TObjectCollection&& aOther) noexcept {
    if (this != &aOther) {
        Clear();
        fType = aOther.fType;
        fItems = std::move(aOther.fItems);
        aOther.fItems.clear();
    }
    return *this;
}

int TObjectCollection::IndexOf(const std::string& aKey) const {
    for (size_t i = 0; i < fItems.size(); ++i) {
        if (fItems[i].key == aKey) return static_cast<int>(i);
    }
    return -1;
}

void TObjectCollection::AddItem(const std::string& aKey, TObject* aValue) {
    if (fType == octSet) {
        const int index = IndexOf(aKey);
        if (index >= 0) {
            fItems[index].value = aValue;
            return;
        }
    }
    fItems.push_back({aKey, aValue});
}

void TObjectCollection::AddItem(TObject* aValue) {
    // Removal by key takes every entry with that key, so an anonymous key must not repeat.
    std::uniform_int_distribution<int32_t> draw(0, 2147483646);
    std::string key;
    do {
        key = "object" + std::to_string(draw(fRandom));
    } while (IndexOf(key) >= 0);
    AddItem(key, aValue);
}

void TObjectCollection::PutItem(int aIndex, TObject* aValue) {
    if (aIndex < 0 || aIndex >= GetItemCount()) {
        throw EObjectCollectionException("Incorrect collection item index: " + std::to_string(aIndex));
    }
    fItems[aIndex].value = aValue;
}

TObject* TObjectCollection::GetItemByKey(const std::string& aKey) const {
    const int index = IndexOf(aKey);
    return index >= 0 ? fItems[index].value : nullptr;
}

TObjectCollectionItem TObjectCollection::GetItemByIndex(int aIndex) const {
    if (aIndex < 0 || aIndex >= GetItemCount()) {
        throw EObjectCollectionException("Item with such index was not found");
    }
    return fItems[aIndex];
}

void TObjectCollection::RemoveAt(size_t aIndex) {
    // Unlink first, so the object's destructor never sees itself in the collection.
    TObject* value = fItems[aIndex].value;
    fItems.erase(fItems.begin() + static_cast<std::ptrdiff_t>(aIndex));
    delete value;
}

void TObjectCollection::RemoveItemByIndex(int aIndex) {
    if (aIndex < 0 || aIndex >= GetItemCount()) {
        throw EObjectCollectionException("Incorrect collection item index: " + std::to_string(aIndex));
    }
    RemoveAt(static_cast<size_t>(aIndex));
}

void TObjectCollection::RemoveItemByKey(const std::string& aKey) {
    int index = IndexOf(aKey);
    if (index < 0) throw EObjectCollectionException("Item with such key was not found");
    while (index >= 0) {
        RemoveAt(static_cast<size_t>(index));
        index = IndexOf(aKey);
    }
}

bool TObjectCollection::RemoveOneItemByKey(const std::string& aKey) {
    const int index = IndexOf(aKey);
    if (index < 0) return false;
    RemoveAt(static_cast<size_t>(index));
    return true;
}

void TObjectCollection::Clear() {
    std::vector<TObjectCollectionItem> items = std::move(fItems);
    fItems.clear();
    for (TObjectCollectionItem& item : items)
        delete item.value;
}

template <typename Before>
void TObjectCollection::SortBy(Before aMustSwap) {
    const size_t n = fItems.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        for (size_t j = n - 1; j > i; --j) {
            if (aMustSwap(fItems[i].key, fItems[j].key)) std::swap(fItems[i], fItems[j]);
        }
    }
}

void TObjectCollection::SortAsStrings() {
    SortBy([](const std::string& a, const std::string& b) { return a.compare(b) > 0; });
}

void TObjectCollection::SortAsNumbers() {
    SortBy([](const std::string& a, const std::string& b) {
        const int32_t later = KeyToInt(b);  // the later key is converted first
        return later < KeyToInt(a);
    });
}

std::string TObjectCollection::ToString() const {
    if (fItems.empty()) return "Empty collection";
    std::string result;
    for (size_t i = 0; i < fItems.size(); ++i) {
        result += std::to_string(i) + ":'" + fItems[i].key + "' - ";
        result += fItems[i].value ? "Object(" + fItems[i].value->ClassName() + ")" : std::string("NULL");
        result += ", ";
    }
    return result;
}

}  // namespace kalvero
