// Containers - the ordered list and string-keyed map the game's classes build on.
#pragma once

#include <algorithm>
#include <list>
#include <map>
#include <memory>
#include <string>

// Ordered list of object references.
template <typename T>
class TList {
public:
    using Ref = std::shared_ptr<T>;
    void AddLast(const Ref& item) { items.push_back(item); }
    Ref Last() const { return items.empty() ? nullptr : items.back(); }
    void RemoveLast() { if (!items.empty()) items.pop_back(); }
    // Removes the first element that is this very object.
    void Remove(const Ref& item)
    {
        auto it = std::find(items.begin(), items.end(), item);
        if (it != items.end()) items.erase(it);
    }
    bool IsEmpty() const { return items.empty(); }
    int Count() const { return static_cast<int>(items.size()); }
    void Clear() { items.clear(); }
    auto begin() { return items.begin(); }
    auto end() { return items.end(); }
    auto begin() const { return items.begin(); }
    auto end() const { return items.end(); }

    std::list<Ref> items;
};

// Ordered map from case-sensitive string keys to object references. Inserting under a key that is
// present replaces its value.
template <typename T>
class TMap {
public:
    using Ref = std::shared_ptr<T>;
    void Insert(const std::string& key, const Ref& value) { entries[key] = value; }
    Ref ValueForKey(const std::string& key) const
    {
        auto it = entries.find(key);
        return it == entries.end() ? nullptr : it->second;
    }
    // Removes the key and its value; nothing when the key is absent.
    void Remove(const std::string& key) { entries.erase(key); }
    int Count() const { return static_cast<int>(entries.size()); }
    auto begin() const { return entries.begin(); }
    auto end() const { return entries.end(); }

    std::map<std::string, Ref> entries;
};
