#pragma once
// TObjectCollection: an ordered list of keyed objects that the collection owns (the experiment's
// peaks, tangents and bubbles). Removing an entry destroys its object; replacing an object
// (PutItem, adding to a set under an existing key) does not, the caller keeps the old one.

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Object.h"

namespace kalvero {

class EObjectCollectionException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TObjectCollectionType : uint8_t {
    octArray = 0,  // duplicate keys allowed, adding always appends
    octSet = 1,    // adding under an existing key replaces that entry's object
};

struct TObjectCollectionItem {
    std::string key;
    TObject* value = nullptr;
};

class TObjectCollection {
public:
    explicit TObjectCollection(TObjectCollectionType aType);
    ~TObjectCollection();
    TObjectCollection(const TObjectCollection&) = delete;
    TObjectCollection& operator=(const TObjectCollection&) = delete;
    TObjectCollection(TObjectCollection&& aOther) noexcept;
    TObjectCollection& operator=(TObjectCollection&& aOther) noexcept;

    // Takes ownership of aValue (may be null).
    void AddItem(const std::string& aKey, TObject* aValue);
    // Files aValue under a fresh key "object<number>" not yet used in this collection.
    void AddItem(TObject* aValue);
    // Replaces the object at aIndex without destroying the old one.
    void PutItem(int aIndex, TObject* aValue);

    // Object of the first entry with the key, null when absent.
    TObject* GetItemByKey(const std::string& aKey) const;
    TObjectCollectionItem GetItemByIndex(int aIndex) const;
    int GetItemCount() const { return static_cast<int>(fItems.size()); }

    void RemoveItemByIndex(int aIndex);
    // Removes every entry with the key; raises when there is none.
    void RemoveItemByKey(const std::string& aKey);
    // Removes the first entry with the key; returns whether there was one.
    bool RemoveOneItemByKey(const std::string& aKey);
    void Clear();

    // Ascending by key: byte order of the texts, or their values as 32-bit integers. A key
    // that is not an integer raises std::invalid_argument with the collection partly sorted.
    void SortAsStrings();
    void SortAsNumbers();

    // "0:'key' - Object(TPeak), 1:'k2' - NULL, " or "Empty collection".
    std::string ToString() const;

private:
    TObjectCollectionType fType;
    std::vector<TObjectCollectionItem> fItems;
    std::mt19937 fRandom;

    int IndexOf(const std::string& aKey) const;
    void RemoveAt(size_t aIndex);
    template <typename Before>
    void SortBy(Before aMustSwap);
};

}  // namespace kalvero
