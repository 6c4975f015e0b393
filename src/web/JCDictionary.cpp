#include "web/JCDictionary.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>

#include "web/JCArena.h"
#include "web/JCInternal.h"

namespace zt {

namespace {

// Table sizes: primes, so that hashes spread over the whole table.
constexpr size_t kCapacities[] = {0, 3, 7, 13, 23, 41, 71, 127, 191, 251, 383, 631, 1087, 1723, 2803, 4523, 7351, 11959,
    19447, 31231, 50683, 81919, 132607, 214519, 346607, 561109, 907759, 1468927, 2376191, 3845119, 6221311, 10066421,
    16287743, 26354171, 42641881, 68996069, 111638519, 180634607, 292272623, 472907251};

size_t alignTo8(size_t bytes)
{
    return (bytes + 7) & ~size_t(7);
}

// Most dictionaries are small: their sizes come from a table made at
// compile time. floor(n x 1.33) is n x 133 / 100 for every n here.
constexpr size_t kSmallCountLimit = 64;
constexpr auto kSmallCapacities = [] {
    std::array<uint32_t, kSmallCountLimit> capacities {};
    for (size_t pairs = 0; pairs < kSmallCountLimit; ++pairs) {
        const size_t target = pairs * 133 / 100;
        size_t index = 0;
        while (kCapacities[index] < target)
            ++index;
        capacities[pairs] = static_cast<uint32_t>(kCapacities[index]);
    }
    return capacities;
}();

}  // namespace

std::optional<size_t> JCDictionary::capacityForCount(size_t count)
{
    if (count < kSmallCountLimit)
        return kSmallCapacities[count];
    const auto target = static_cast<size_t>(std::lround(std::floor(static_cast<double>(count) * 1.33)));
    const auto* found = std::lower_bound(std::begin(kCapacities), std::end(kCapacities), target);
    if (found == std::end(kCapacities))
        return std::nullopt;
    return *found;
}

size_t JCDictionary::storageBytes(size_t room, size_t capacity)
{
    return room * sizeof(Entry) + alignTo8(room * sizeof(uint32_t)) + capacity * sizeof(uint32_t);
}

void JCDictionary::useStorage(char* storage, size_t room, size_t capacity)
{
    _entries = reinterpret_cast<Entry*>(storage);
    _keyHashes = reinterpret_cast<uint32_t*>(storage + room * sizeof(Entry));
    _slots = reinterpret_cast<uint32_t*>(storage + room * sizeof(Entry) + alignTo8(room * sizeof(uint32_t)));
    std::memset(static_cast<void*>(_slots), 0, capacity * sizeof(uint32_t));
    _room = room;
    _capacity = capacity;
    _capacityReciprocal = capacity == 0 ? 0 : UINT64_MAX / capacity + 1;
}

JCDictionary* JCDictionary::make(
    JCValue* keys, const uint64_t* keyHashes, JCValue* values, size_t count, bool isMutable, detail::JCArena* arena)
{
    const auto capacity = capacityForCount(count);
    if (!capacity)
        return nullptr;
    // One block: the dictionary, its pairs, their hashes and its slots.
    const size_t size = sizeof(JCDictionary) + storageBytes(count, *capacity);
    void* memory = arena != nullptr ? arena->allocateObject(size) : std::malloc(size);
    if (memory == nullptr)
        return nullptr;
    auto* dictionary = new (memory) JCDictionary();
    dictionary->_arena = arena;
    dictionary->useStorage(reinterpret_cast<char*>(dictionary + 1), count, *capacity);
    for (size_t i = 0; i < count; ++i)
        dictionary->adoptPair(static_cast<uint32_t>(keyHashes[i]), keys[i], values[i]);
    dictionary->_mutations = isMutable ? 1 : 0;
    return dictionary;
}

void JCDictionary::adoptPair(uint32_t keyHash, JCValue& key, JCValue& object)
{
    // The decoder's pairs seldom repeat a key: most find a free slot at
    // once, and the pair's bits move in without the steps of a move.
    size_t slot = homeSlot(keyHash);
    for (size_t probe = 0; probe < _capacity; ++probe) {
        const uint32_t reference = _slots[slot];
        if (reference == 0) {
            std::memcpy(static_cast<void*>(&_entries[_count].key), static_cast<const void*>(&key), sizeof(JCValue));
            std::memcpy(
                static_cast<void*>(&_entries[_count].object), static_cast<const void*>(&object), sizeof(JCValue));
            std::memset(static_cast<void*>(&key), 0, sizeof(JCValue));  // moved out: null again
            std::memset(static_cast<void*>(&object), 0, sizeof(JCValue));
            _keyHashes[_count] = keyHash;
            _slots[slot] = static_cast<uint32_t>(++_count);
            return;
        }
        if (_keyHashes[reference - 1] == keyHash) {
            // A repeated key: the general path replaces the earlier pair.
            addEntry(keyHash, std::move(key), std::move(object));
            return;
        }
        slot = nextSlot(slot);
    }
}

void JCDictionary::destroy(JCDictionary* dictionary)
{
    detail::JCArena* arena = dictionary->_arena;
    dictionary->~JCDictionary();
    if (arena != nullptr)
        arena->objectDied();
    else
        std::free(dictionary);
}

JCDictionary::~JCDictionary()
{
    for (size_t i = 0; i < _count; ++i)
        _entries[i].~Entry();
    if (_heapStorage != nullptr)
        std::free(_heapStorage);
}

size_t JCDictionary::findSlot(uint64_t keyHash, std::string_view key) const
{
    if (_capacity == 0)
        return _capacity;
    size_t slot = homeSlot(keyHash);
    for (size_t probe = 0; probe < _capacity; ++probe) {
        const uint32_t reference = _slots[slot];
        if (reference == 0)
            return _capacity;
        if (_keyHashes[reference - 1] == keyHash && *_entries[reference - 1].key.stringValue() == key)
            return slot;
        slot = nextSlot(slot);
    }
    return _capacity;
}

void JCDictionary::addEntry(uint64_t keyHash, JCValue key, JCValue object)
{
    if (_capacity == 0 || _count == _room)
        return;
    size_t slot = homeSlot(keyHash);
    for (size_t probe = 0; probe < _capacity; ++probe) {
        const uint32_t reference = _slots[slot];
        if (reference == 0) {
            new (&_entries[_count]) Entry {std::move(key), std::move(object)};
            _keyHashes[_count] = static_cast<uint32_t>(keyHash);
            _slots[slot] = static_cast<uint32_t>(++_count);
            return;
        }
        const Entry& entry = _entries[reference - 1];
        if (_keyHashes[reference - 1] == keyHash
            && (entry.key.isSameObject(key) || *entry.key.stringValue() == *key.stringValue())) {
            // The slot may be refilled by a later pair of the run: look at it
            // again, with a whole table of probes, as the table now has a gap.
            removeSlot(slot);
            probe = static_cast<size_t>(-1);
            continue;
        }
        slot = nextSlot(slot);
    }
    // No free slot: key and object are released with the arguments.
}

void JCDictionary::removeSlot(size_t slot)
{
    const uint32_t removed = _slots[slot] - 1;
    _slots[slot] = 0;
    _entries[removed].~Entry();
    // Keep the pairs dense: the last one moves into the gap, and the slot
    // that refers to it follows.
    const auto last = static_cast<uint32_t>(_count - 1);
    if (removed != last) {
        new (&_entries[removed]) Entry {std::move(_entries[last].key), std::move(_entries[last].object)};
        _entries[last].~Entry();
        _keyHashes[removed] = _keyHashes[last];
        size_t referring = homeSlot(_keyHashes[removed]);
        while (_slots[referring] != last + 1)
            referring = nextSlot(referring);
        _slots[referring] = removed + 1;
    }
    --_count;
    // Slots after the gap may have probed past it: put each back where a
    // search from its own hash finds it first.
    size_t next = nextSlot(slot);
    for (size_t step = 0; step < _capacity; ++step) {
        const uint32_t reference = _slots[next];
        if (reference == 0)
            break;
        _slots[next] = 0;
        size_t target = homeSlot(_keyHashes[reference - 1]);
        while (_slots[target] != 0)
            target = nextSlot(target);
        _slots[target] = reference;
        next = nextSlot(next);
    }
}

const JCValue* JCDictionary::objectForKey(std::string_view key) const
{
    if (_capacity == 0)
        return nullptr;
    const size_t slot = findSlot(detail::jcKeyHash(key), key);
    return slot == _capacity ? nullptr : &_entries[_slots[slot] - 1].object;
}

void JCDictionary::getObjects(JCValue* objects, JCValue* keys) const
{
    size_t index = 0;
    forEachPair([&](const JCValue& key, const JCValue& object) {
        if (objects != nullptr)
            objects[index] = object;
        if (keys != nullptr)
            keys[index] = key;
        ++index;
    });
}

size_t JCDictionary::nextOccupiedSlot(size_t slot) const
{
    while (slot < _capacity && _slots[slot] == 0)
        ++slot;
    return slot;
}

JCDictionary::Iterator::Iterator(const JCDictionary* dictionary, size_t slot)
    : _dictionary(dictionary)
    , _slot(dictionary->nextOccupiedSlot(slot))
    , _mutations(dictionary->_mutations)
{
}

const JCValue& JCDictionary::Iterator::operator*() const
{
    if (_dictionary->_mutations != _mutations)
        detail::raiseJCException("NSGenericException",
            detail::formatJC("*** Collection <JCDictionary: %p> was mutated while being enumerated.",
                static_cast<const void*>(_dictionary)));
    return _dictionary->_entries[_dictionary->_slots[_slot] - 1].key;
}

JCDictionary::Iterator& JCDictionary::Iterator::operator++()
{
    _slot = _dictionary->nextOccupiedSlot(_slot + 1);
    return *this;
}

JCDictionaryEnumerator JCDictionary::keyEnumerator() const
{
    return JCDictionaryEnumerator(*this);
}

void JCDictionary::requireMutable(const char* operation) const
{
    if (_mutations == 0)
        detail::raiseJCException("NSInternalInconsistencyException",
            detail::formatJC("*** -[JCDictionary %s]: mutating method sent to immutable object", operation));
}

void JCDictionary::stepMutations()
{
    if (++_mutations == 0)
        _mutations = 1;
}

void JCDictionary::setObject(JCValue object, std::string_view key)
{
    requireMutable("setObject:forKey:");
    const auto capacity = capacityForCount(_count + 1);
    if (!capacity)
        detail::raiseJCException("NSMallocException", "Unable to allocate memory for hash table.");
    if (*capacity > _capacity || _count == _room) {
        // New storage with room for a full table; a larger table takes the
        // old pairs again in their old slot order.
        const size_t newCapacity = *capacity > _capacity ? *capacity : _capacity;
        auto* storage = static_cast<char*>(std::malloc(storageBytes(newCapacity, newCapacity)));
        if (storage == nullptr)
            detail::raiseJCException("NSMallocException", "Unable to allocate memory for hash table.");
        std::vector<uint32_t> order;
        order.reserve(_count);
        for (size_t slot = 0; slot < _capacity; ++slot)
            if (_slots[slot] != 0)
                order.push_back(_slots[slot] - 1);
        Entry* oldEntries = _entries;
        uint32_t* oldHashes = _keyHashes;
        uint32_t* oldSlots = _slots;
        char* oldHeapStorage = _heapStorage;
        const size_t oldCount = _count;
        const size_t oldCapacity = _capacity;
        useStorage(storage, newCapacity, newCapacity);
        _heapStorage = storage;
        if (newCapacity == oldCapacity) {
            // Only the pairs' room grew: every pair keeps its slot.
            for (size_t i = 0; i < oldCount; ++i) {
                new (&_entries[i]) Entry {std::move(oldEntries[i].key), std::move(oldEntries[i].object)};
                _keyHashes[i] = oldHashes[i];
            }
            std::memcpy(_slots, oldSlots, oldCapacity * sizeof(uint32_t));
        } else {
            _count = 0;
            for (const uint32_t index : order)
                addEntry(oldHashes[index], std::move(oldEntries[index].key), std::move(oldEntries[index].object));
        }
        for (size_t i = 0; i < oldCount; ++i)
            oldEntries[i].~Entry();
        std::free(oldHeapStorage);
    }
    addEntry(detail::jcKeyHash(key), JCValue(key), std::move(object));
    stepMutations();
}

void JCDictionary::removeObjectForKey(std::string_view key)
{
    requireMutable("removeObjectForKey:");
    if (_capacity == 0)
        return;
    const size_t slot = findSlot(detail::jcKeyHash(key), key);
    if (slot == _capacity)
        return;
    removeSlot(slot);
    stepMutations();
}

namespace {

JCValue copyOfDictionary(const JCDictionary& source, bool isMutable)
{
    std::vector<JCValue> keys;
    std::vector<uint64_t> hashes;
    std::vector<JCValue> values;
    keys.reserve(source.count());
    hashes.reserve(source.count());
    values.reserve(source.count());
    source.forEachPair([&](const JCValue& key, const JCValue& object) {
        keys.push_back(key);
        hashes.push_back(detail::jcKeyHash(*key.stringValue()));
        values.push_back(object);
    });
    JCDictionary* copy = JCDictionary::make(keys.data(), hashes.data(), values.data(), keys.size(), isMutable);
    if (copy == nullptr)
        throw std::bad_alloc();
    return JCValue::adoptDictionary(copy);
}

}  // namespace

JCValue JCDictionary::copy() const
{
    if (_mutations == 0) {
        retain();
        return JCValue::adoptDictionary(const_cast<JCDictionary*>(this));
    }
    return copyOfDictionary(*this, false);
}

JCValue JCDictionary::mutableCopy() const
{
    return copyOfDictionary(*this, true);
}

JCDictionaryEnumerator::JCDictionaryEnumerator(const JCDictionary& dictionary)
    : _dictionary(&dictionary)
{
    dictionary.retain();
    _collection = JCValue::adoptDictionary(const_cast<JCDictionary*>(&dictionary));
}

std::optional<JCValue> JCDictionaryEnumerator::nextObject()
{
    const JCDictionary& dictionary = *_dictionary;
    const size_t slot = dictionary.nextOccupiedSlot(_nextObject);
    if (slot >= dictionary.capacity()) {
        _nextObject = dictionary.capacity();
        return std::nullopt;
    }
    _nextObject = slot + 1;
    return dictionary._entries[dictionary._slots[slot] - 1].key;
}

std::vector<JCValue> JCDictionaryEnumerator::allObjects()
{
    std::vector<JCValue> keys;
    while (auto key = nextObject())
        keys.push_back(std::move(*key));
    return keys;
}

}  // namespace zt
