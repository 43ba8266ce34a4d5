#pragma once
// TPairArray: an ordered list of text key/value pairs, passed around by value.
// Integer keys are filed under their decimal text, so 5 and "5" are the same key.

#include <string>
#include <vector>

namespace kalvero {

struct TPair {
    std::string Key;
    std::string Value;
};

struct TPairArray {
    std::vector<TPair> items;

    // Appends; duplicate keys are allowed.
    void Add(const std::string& aKey, const std::string& aValue);
    void Add(int aKey, const std::string& aValue);
    // Overwrites the value of the first pair with the key, appends when there is none.
    void AddUniq(const std::string& aKey, const std::string& aValue);
    void AddUniq(int aKey, const std::string& aValue);
    // Overwrites the value of every pair with the key; std::out_of_range "Incorrect key" if none.
    void Update(const std::string& aKey, const std::string& aValue);

    bool ContainsKey(const std::string& aKey) const;
    bool ContainsKey(int aKey) const;
    // Value of the first pair with the key, empty when absent.
    std::string GetValue(const std::string& aKey) const;
    std::string GetValue(int aKey) const;
    // aValue is emptied first; returns whether the key was found.
    bool GetValue(int aKey, std::string& aValue) const;

    // std::out_of_range "Incorrect index" outside 0..Count()-1.
    std::string GetKeyByIndex(int aIndex) const;
    std::string GetValueByIndex(int aIndex) const;

    int Count() const { return static_cast<int>(items.size()); }
    void Clear() { items.clear(); }

    // Ascending by key, byte order; equal keys keep their order.
    void Sort();
    // "key<delimiter>value\r\n" for every pair.
    std::string ToString(const std::string& aDelimiter) const;

private:
    // Index of the first pair with the key, -1 when absent.
    int IndexOf(const std::string& aKey) const;
    void CheckIndex(int aIndex) const;
};

}  // namespace kalvero
