#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/foundation/Text.h"
#include "web/JCValue.h"

namespace zt {
namespace detail {
class JCArena;
}

// The compact array the JSON decoder returns: its elements in one store of
// its own. Immutable unless the decoder made it mutable (mutations() != 0);
// mutating an immutable array, a bad index and changing the array while
// iterating over it are programmer errors and abort, as the platform raises.
// Only the decoder creates arrays; callers reach them through a JCValue.
// Thread: one at a time while mutable; immutable arrays are only read.
class JCArray final : public detail::JCObject {
public:
    // Iteration checks the array is not mutated underneath it, as the
    // platform's fast enumeration does.
    class Iterator {
    public:
        using value_type = JCValue;
        using difference_type = std::ptrdiff_t;
        Iterator() = default;
        const JCValue& operator*() const;
        const JCValue* operator->() const { return &**this; }
        Iterator& operator++()
        {
            ++_index;
            return *this;
        }
        friend bool operator==(const Iterator& left, const Iterator& right) { return left._index == right._index; }

    private:
        friend class JCArray;
        Iterator(const JCArray* array, size_t index)
            : _array(array)
            , _index(index)
            , _mutations(array->_mutations)
        {
        }
        const JCArray* _array = nullptr;
        size_t _index = 0;
        uint64_t _mutations = 0;
    };

    size_t count() const { return _count; }
    size_t capacity() const { return _capacity; }
    uint64_t mutations() const { return _mutations; }
    bool isMutable() const { return _mutations != 0; }

    const JCValue& objectAtIndex(size_t index) const;
    // Copies the elements of range into objects.
    void getObjects(JCValue* objects, plat::Range range) const;
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, _count); }

    void insertObject(JCValue object, size_t index);
    void removeObjectAtIndex(size_t index);
    void replaceObjectAtIndex(size_t index, JCValue object);

    // copyWithZone: an immutable array is its own copy; a mutable one gives a
    // new immutable array. mutableCopyWithZone: always a new mutable array.
    JCValue copy() const;
    JCValue mutableCopy() const;

    // For the decoder: an array that takes over the count values at values
    // (left null), in arena when given; nullptr when memory runs out.
    static JCArray* make(JCValue* values, size_t count, bool isMutable, detail::JCArena* arena = nullptr);
    static void destroy(JCArray* array);

private:
    JCArray() = default;
    ~JCArray();
    void stepMutations();
    void requireMutable(const char* operation) const;
    JCValue* inlineStore() { return reinterpret_cast<JCValue*>(this + 1); }

    JCValue* _objects = nullptr;  // after the array itself until it grows
    uint64_t _count = 0;
    uint64_t _capacity = 0;
    uint64_t _mutations = 0;
    detail::JCArena* _arena = nullptr;
};

}  // namespace zt
