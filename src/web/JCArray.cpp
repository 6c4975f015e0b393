#include "web/JCArray.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "web/JCArena.h"
#include "web/JCInternal.h"

namespace zt {

namespace {

// A mutable array's store grows by this many slots at a time.
constexpr size_t kGrowthSlots = 16;

[[noreturn]] void raiseBeyondBounds(const char* operation, uint64_t index, uint64_t bound)
{
    detail::raiseJCException("NSRangeException",
        detail::formatJC("*** -[JCArray %s]: index (%lu) beyond bounds (%lu)", operation,
            static_cast<unsigned long>(index), static_cast<unsigned long>(bound)));
}

// The store is relocated with memmove and realloc: a JCValue is its bits,
// with no pointer into itself, so moving them moves the value.
void relocate(JCValue* to, JCValue* from, size_t count)
{
    if (count != 0)
        std::memmove(static_cast<void*>(to), static_cast<const void*>(from), count * sizeof(JCValue));
}

}  // namespace

const JCValue& JCArray::Iterator::operator*() const
{
    if (_array->_mutations != _mutations)
        detail::raiseJCException("NSGenericException",
            detail::formatJC(
                "*** Collection <JCArray: %p> was mutated while being enumerated.", static_cast<const void*>(_array)));
    return _array->_objects[_index];
}

JCArray* JCArray::make(JCValue* values, size_t count, bool isMutable, detail::JCArena* arena)
{
    // One block: the array, then its store.
    const size_t size = sizeof(JCArray) + count * sizeof(JCValue);
    void* memory = arena != nullptr ? arena->allocateObject(size) : std::malloc(size);
    if (memory == nullptr)
        return nullptr;
    auto* array = new (memory) JCArray();
    array->_arena = arena;
    array->_objects = array->inlineStore();
    relocate(array->_objects, values, count);
    std::memset(static_cast<void*>(values), 0, count * sizeof(JCValue));  // moved out: null again
    array->_count = count;
    array->_capacity = count;
    array->_mutations = isMutable ? 1 : 0;
    return array;
}

void JCArray::destroy(JCArray* array)
{
    detail::JCArena* arena = array->_arena;
    array->~JCArray();
    if (arena != nullptr)
        arena->objectDied();
    else
        std::free(array);
}

JCArray::~JCArray()
{
    for (size_t i = 0; i < _count; ++i)
        _objects[i].~JCValue();
    if (_objects != inlineStore())
        std::free(_objects);
}

const JCValue& JCArray::objectAtIndex(size_t index) const
{
    if (index >= _count)
        raiseBeyondBounds("objectAtIndex:", index, _count);
    return _objects[index];
}

void JCArray::getObjects(JCValue* objects, plat::Range range) const
{
    const auto location = static_cast<uint64_t>(range.location);
    const uint64_t rangeEnd = location + static_cast<uint64_t>(range.length);
    if (objects == nullptr && rangeEnd != 0)
        detail::raiseJCException("NSRangeException",
            detail::formatJC(
                "*** -[JCArray getObjects:range:]: pointer to objects array is NULL but range length is %lu",
                static_cast<unsigned long>(rangeEnd)));
    if (location > _count || rangeEnd > _count || rangeEnd < location)
        raiseBeyondBounds("getObjects:range:", rangeEnd, _count);
    for (uint64_t i = location; i < rangeEnd; ++i)
        objects[i - location] = _objects[i];
}

void JCArray::requireMutable(const char* operation) const
{
    if (_mutations == 0)
        detail::raiseJCException("NSInternalInconsistencyException",
            detail::formatJC("*** -[JCArray %s]: mutating method sent to immutable object", operation));
}

void JCArray::stepMutations()
{
    if (++_mutations == 0)
        _mutations = 1;
}

void JCArray::insertObject(JCValue object, size_t index)
{
    requireMutable("insertObject:atIndex:");
    if (index > _count)
        raiseBeyondBounds("insertObject:atIndex:", index, _count + 1);
    if (_count + 1 >= _capacity) {
        const size_t capacity = _capacity + kGrowthSlots;
        void* grown = nullptr;
        if (_objects == inlineStore()) {
            grown = std::malloc(capacity * sizeof(JCValue));
            if (grown != nullptr)
                relocate(static_cast<JCValue*>(grown), _objects, _count);
        } else {
            grown = std::realloc(static_cast<void*>(_objects), capacity * sizeof(JCValue));
        }
        if (grown == nullptr)
            detail::raiseJCException("NSMallocException", "Unable to resize objects array.");
        _objects = static_cast<JCValue*>(grown);
        for (size_t i = _capacity; i < capacity; ++i)
            new (&_objects[i]) JCValue();
        _capacity = capacity;
    }
    relocate(_objects + index + 1, _objects + index, _count - index);
    new (&_objects[index]) JCValue(std::move(object));
    ++_count;
    stepMutations();
}

void JCArray::removeObjectAtIndex(size_t index)
{
    requireMutable("removeObjectAtIndex:");
    if (index >= _count)
        raiseBeyondBounds("removeObjectAtIndex:", index, _count);
    _objects[index].~JCValue();
    relocate(_objects + index, _objects + index + 1, _count - index - 1);
    new (&_objects[_count - 1]) JCValue();
    --_count;
    stepMutations();
}

void JCArray::replaceObjectAtIndex(size_t index, JCValue object)
{
    requireMutable("replaceObjectAtIndex:withObject:");
    if (index >= _count)
        raiseBeyondBounds("replaceObjectAtIndex:withObject:", index, _count);
    _objects[index] = std::move(object);
    stepMutations();
}

JCValue JCArray::copy() const
{
    if (_mutations == 0) {
        retain();
        return JCValue::adoptArray(const_cast<JCArray*>(this));
    }
    std::vector<JCValue> elements(_objects, _objects + _count);
    JCArray* array = make(elements.data(), elements.size(), false);
    if (array == nullptr)
        throw std::bad_alloc();
    return JCValue::adoptArray(array);
}

JCValue JCArray::mutableCopy() const
{
    std::vector<JCValue> elements(_objects, _objects + _count);
    JCArray* array = make(elements.data(), elements.size(), true);
    if (array == nullptr)
        throw std::bad_alloc();
    return JCValue::adoptArray(array);
}

}  // namespace zt
