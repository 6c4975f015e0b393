#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "web/JCValue.h"

namespace zt {
namespace detail {
class JCArena;
}
class JCDictionaryEnumerator;

// The compact dictionary the JSON decoder returns: string keys in an
// open-addressing table (linear probing, no deletion markers) whose sizes are
// primes, so probe runs stay short. The table's slots refer to the pairs,
// which are kept densely with their key hashes in the same block: a slot
// costs 4 bytes rather than a whole pair. Keys and iteration come in slot
// order. Immutability and misuse as for JCArray; only the decoder creates
// dictionaries. Thread: one at a time while mutable.
class JCDictionary final : public detail::JCObject {
public:
    struct Entry {
        JCValue key;  // a string
        JCValue object;
    };

    // Iterates over the keys, checking for mutation as JCArray's iterator does.
    class Iterator {
    public:
        using value_type = JCValue;
        using difference_type = std::ptrdiff_t;
        Iterator() = default;
        const JCValue& operator*() const;
        const JCValue* operator->() const { return &**this; }
        Iterator& operator++();
        friend bool operator==(const Iterator& left, const Iterator& right) { return left._slot == right._slot; }

    private:
        friend class JCDictionary;
        Iterator(const JCDictionary* dictionary, size_t slot);
        const JCDictionary* _dictionary = nullptr;
        size_t _slot = 0;
        uint64_t _mutations = 0;
    };

    size_t count() const { return _count; }
    size_t capacity() const { return _capacity; }
    uint64_t mutations() const { return _mutations; }
    bool isMutable() const { return _mutations != 0; }

    // The value for key, or nullptr when absent; valid until the dictionary changes.
    const JCValue* objectForKey(std::string_view key) const;
    // Fills whichever of the two is given, count() entries each, in slot order.
    void getObjects(JCValue* objects, JCValue* keys) const;
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, _capacity); }
    JCDictionaryEnumerator keyEnumerator() const;

    void setObject(JCValue object, std::string_view key);
    void removeObjectForKey(std::string_view key);

    // As JCArray's copies.
    JCValue copy() const;
    JCValue mutableCopy() const;

    // Calls visit(key, object) for each pair in slot order.
    template <typename Visit> void forEachPair(Visit&& visit) const
    {
        for (size_t slot = 0; slot < _capacity; ++slot) {
            if (_slots[slot] != 0) {
                const Entry& entry = _entries[_slots[slot] - 1];
                visit(entry.key, entry.object);
            }
        }
    }

    // The table size for count pairs: at least floor(1.33 x count) slots,
    // from the prime capacity table; empty beyond the table's last entry.
    static std::optional<size_t> capacityForCount(size_t count);

    // For the decoder: a dictionary of the count pairs (keys with their
    // hashes), later duplicate keys replacing earlier ones. Takes over the
    // keys and values (left null); in arena when given; nullptr when memory
    // runs out.
    static JCDictionary* make(JCValue* keys, const uint64_t* keyHashes, JCValue* values, size_t count, bool isMutable,
        detail::JCArena* arena = nullptr);
    static void destroy(JCDictionary* dictionary);

private:
    friend class JCDictionaryEnumerator;
    JCDictionary() = default;
    ~JCDictionary();

    // keyHash mod capacity, by multiplication (key hashes have 32 bits).
    size_t homeSlot(uint64_t keyHash) const
    {
        __extension__ using Wide = unsigned __int128;
        const uint64_t low = _capacityReciprocal * keyHash;
        return static_cast<size_t>((static_cast<Wide>(low) * _capacity) >> 64);
    }
    size_t nextSlot(size_t slot) const { return slot + 1 == _capacity ? 0 : slot + 1; }
    // Points the storage at memory laid out for room pairs and capacity slots.
    void useStorage(char* storage, size_t room, size_t capacity);
    static size_t storageBytes(size_t room, size_t capacity);
    size_t findSlot(uint64_t keyHash, std::string_view key) const;  // _capacity when absent
    void addEntry(uint64_t keyHash, JCValue key, JCValue object);
    // addEntry for the decoder: takes over key and object, leaving them null.
    void adoptPair(uint32_t keyHash, JCValue& key, JCValue& object);
    void removeSlot(size_t slot);
    void stepMutations();
    void requireMutable(const char* operation) const;
    size_t nextOccupiedSlot(size_t slot) const;

    uint64_t _count = 0;
    uint64_t _capacity = 0;
    uint64_t _mutations = 0;
    uint64_t _capacityReciprocal = 0;
    uint64_t _room = 0;  // pairs the storage holds
    Entry* _entries = nullptr;  // _count pairs, densely
    uint32_t* _keyHashes = nullptr;  // beside the pairs
    uint32_t* _slots = nullptr;  // each 0 (empty) or a pair's index + 1
    char* _heapStorage = nullptr;  // once the storage outgrows the dictionary's own block
    detail::JCArena* _arena = nullptr;
};

// Walks the keys of a dictionary in slot order, keeping the dictionary alive.
class JCDictionaryEnumerator {
public:
    explicit JCDictionaryEnumerator(const JCDictionary& dictionary);
    // The next key, or empty at the end of the table.
    std::optional<JCValue> nextObject();
    // The keys not yet returned.
    std::vector<JCValue> allObjects();

private:
    JCValue _collection;  // holds the dictionary's reference
    const JCDictionary* _dictionary;
    size_t _nextObject = 0;
};

}  // namespace zt
