#pragma once
// TCustomCollection: the reference points of a calibration table, each filed under an integer,
// text or real key, kept in insertion order. Duplicate keys are allowed; lookups take the first.

#include <cstdint>
#include <string>
#include <vector>

namespace kalvero {

enum TKeyType : uint8_t { ktInt = 0, ktString = 1, ktReal = 2 };

// A calibration reference point; which of the overlaid pairs counts depends on the table kind.
struct TRefPoint {
    std::string description;  // at most 255 Windows-1251 characters in the files
    int32_t unitValue = 0;    // instrument reading, converter counts
    float realValue = 0;      // physical value the reading stands for
    union {
        struct {  // temperature and differential-temperature tables
            uint32_t peakHeight;
            float diffTemperature;
        };
        struct {  // heat tables
            float weight;
            float specificHeat;
        };
    };
    uint32_t area = 0;
    bool virtualPoint = false;  // derived, not measured

    TRefPoint() : peakHeight(0), diffTemperature(0) {}
    // Sets the reading and clears the description; everything else stays as it was.
    void Create(int32_t aUnitValue);
};

struct TCustomCollectionItem {
    TRefPoint value;
    TKeyType keyType = ktInt;
    // Only the key selected by keyType is meaningful.
    int32_t keyInt = 0;
    std::string keyStr;
    float keyReal = 0;
};

class TCustomCollection {
public:
    std::vector<TCustomCollectionItem> items;

    void AddItem(int32_t aKey, const TRefPoint& aValue);
    // The key is cut to 255 characters.
    void AddItem(const std::string& aKey, const TRefPoint& aValue);
    void AddItem(float aKey, const TRefPoint& aValue);

    // std::runtime_error "Item with such index was not found" for a bad index.
    TRefPoint GetItem(int aIndex) const;
    // Overwrites the point, keeping its key.
    void SetItem(int aIndex, const TRefPoint& aValue);

    // First item with a key of the same kind equal to aKey; std::runtime_error
    // "Item with such key was not found" when there is none.
    TRefPoint GetItemByKey(int32_t aKey) const;
    TRefPoint GetItemByKey(const std::string& aKey) const;
    TRefPoint GetItemByKey(float aKey) const;

    int GetItemCount() const { return static_cast<int>(items.size()); }
    // std::runtime_error "index not in range" for a bad index.
    void RemoveItem(int aIndex);
    // Removes the first item with the integer key; raises when there is none.
    void RemoveItemByKey(int32_t aKey);
    void Clear() { items.clear(); }

    // Ascending by integer key or by text key (byte order of the Windows-1251 form, as stored
    // in the table files); real keys stay where they are.
    void Sort();
    // "<key>-<unitValue>:277, " for every item.
    std::string ToString() const;

private:
    template <typename Match>
    const TCustomCollectionItem& FindFirst(Match aMatch) const;
};

}  // namespace kalvero
