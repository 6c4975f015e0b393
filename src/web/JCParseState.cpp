#include "web/JCParseState.h"

#include <cstring>
#include <new>

namespace zt::detail {

namespace {

// The token buffer starts this long and grows in multiples of its growth step.
constexpr size_t kTokenBufferFixedLength = 2048;
constexpr size_t kTokenBufferSizeMultiple = 4096;
// The object stack grows by at least this many slots, in multiples of its step.
constexpr size_t kObjectStackHeadroom = 128;
constexpr size_t kObjectStackSizeMultiple = 2048;

size_t roundUp(size_t value, size_t multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

}  // namespace

bool JCManagedBuffer::growTo(size_t length)
{
    if (length <= _length)
        return true;
    // Doubling keeps long strings linear to decode; the multiple keeps small
    // growth steps from reallocating often.
    size_t target = roundUp(length, kTokenBufferSizeMultiple);
    if (target < _length * 2)
        target = _length * 2;
    if (_bytes == _fixed.get()) {
        auto* heap = static_cast<uint8_t*>(std::malloc(target));
        if (heap == nullptr)
            return false;
        std::memcpy(heap, _bytes, _length);
        _bytes = heap;
    } else {
        auto* grown = static_cast<uint8_t*>(std::realloc(_bytes, target));
        if (grown == nullptr) {
            std::free(_bytes);
            _bytes = _fixed.get();
            _length = _fixedLength;
            return false;
        }
        _bytes = grown;
    }
    _length = target;
    return true;
}

void JCManagedBuffer::releaseHeap()
{
    if (_bytes != _fixed.get())
        std::free(_bytes);
    _bytes = _fixed.get();
    _length = _fixedLength;
}

JCTokenCache::JCTokenCache()
    : _items(std::make_unique<JCTokenCacheItem[]>(kCount))
    , _age(std::make_unique<uint8_t[]>(kCount))
{
}

void JCTokenCache::clear()
{
    for (size_t i = 0; i < kCount; ++i) {
        _items[i] = JCTokenCacheItem();
        _age[i] = 0;
    }
}

uint32_t JCTokenCache::nextRandom()
{
    _randomState = (_randomState >> 1) ^ ((_randomState & 1) != 0 ? 0x80200003u : 0u);
    return _randomState;
}

bool JCTokenCache::stringForValue(JCTokenValue& value, JCValue& out, JCArena* arena)
{
    value.cacheItem = nullptr;
    // Short strings live in the value itself: nothing to share.
    if (value.size <= JCValue::kInlineStringCapacity) {
        out = JCValue::inlineString(reinterpret_cast<const char*>(value.bytes), value.size, Utf8Form::WellFormed);
        return true;
    }
    constexpr size_t kMask = kCount - 1;
    constexpr int kProbes = 4;
    const auto typeCode = static_cast<uint64_t>(value.type);
    size_t chosen = kCount;
    size_t bucket = value.hash & kMask;
    for (int probe = 0; probe < kProbes; ++probe) {
        JCTokenCacheItem& item = _items[bucket];
        if (item.object.isNull()) {
            if (chosen == kCount)
                chosen = bucket;
            break;
        }
        if (item.hash == value.hash && item.size == value.size && item.type == value.type
            && std::memcmp(item.object.stringValue()->data(), value.bytes, value.size) == 0) {
            if (_age[bucket] < 255)
                ++_age[bucket];
            value.cacheItem = &item;
            out = item.object;
            return true;
        }
        if (chosen == kCount) {
            if (_age[bucket] == 0) {
                chosen = bucket;
            } else {
                // Busy items fade, so that strings no longer seen make room.
                _age[bucket] >>= 1;
                _age[nextRandom() & kMask] >>= 1;
                _age[nextRandom() & kMask] >>= 1;
            }
        }
        bucket = (value.hash + (value.size + typeCode + 3) * static_cast<uint64_t>(probe + 1)) & kMask;
    }

    // The decoder makes only well-formed strings.
    JCString* string
        = JCString::make(reinterpret_cast<const char*>(value.bytes), value.size, Utf8Form::WellFormed, arena);
    if (string == nullptr)
        return false;
    out = JCValue::adoptString(string);
    if (chosen != kCount) {
        JCTokenCacheItem& item = _items[chosen];
        item.object = out;
        item.hash = value.hash;
        item.size = value.size;
        item.type = value.type;
        _age[chosen] = 0;
        value.cacheItem = &item;
    }
    return true;
}

JCStackColumn::JCStackColumn(size_t elementSize, size_t fixedCount)
    : _elementSize(elementSize)
    , _fixed(std::calloc(fixedCount, elementSize))
    , _fixedCount(fixedCount)
    , _slots(_fixed)
    , _count(fixedCount)
{
    if (_fixed == nullptr)
        throw std::bad_alloc();
}

JCStackColumn::~JCStackColumn()
{
    releaseHeap();
    std::free(_fixed);
}

bool JCStackColumn::growTo(size_t count)
{
    if (count <= _count)
        return true;
    // Doubling: the multiple alone would copy the whole stack every 2048 values.
    size_t target = roundUp(count + kObjectStackHeadroom, kObjectStackSizeMultiple);
    if (target < _count * 2)
        target = _count * 2;
    void* grown = nullptr;
    if (_slots == _fixed) {
        grown = std::malloc(target * _elementSize);
        if (grown != nullptr) {
            std::memcpy(grown, _fixed, _count * _elementSize);
            std::memset(_fixed, 0, _count * _elementSize);  // the values moved out
        }
    } else {
        grown = std::realloc(_slots, target * _elementSize);
    }
    if (grown == nullptr)
        return false;
    std::memset(static_cast<char*>(grown) + _count * _elementSize, 0, (target - _count) * _elementSize);
    _slots = grown;
    _count = target;
    return true;
}

void JCStackColumn::releaseHeap()
{
    if (_slots != _fixed)
        std::free(_slots);
    _slots = _fixed;
    _count = _fixedCount;
}

JCObjectStack::JCObjectStack()
    : _objects(sizeof(JCValue), kInitialCount)
    , _keys(sizeof(JCValue), kInitialCount)
    , _keyHashes(sizeof(uint64_t), kInitialCount)
{
}

bool JCObjectStack::growPairs()
{
    if (!reserveValues())
        return false;
    if (index + 4 <= _keys.count())
        return true;
    return _keys.growTo(_objects.count()) && _keyHashes.growTo(_objects.count());
}

void JCObjectStack::unwindTo(size_t start)
{
    JCValue* values = objects();
    const size_t keyCount = _keys.count();
    for (size_t i = start; i < index; ++i) {
        values[i] = JCValue();
        if (i < keyCount)
            keys()[i] = JCValue();
    }
    index = start;
}

void JCObjectStack::reset()
{
    unwindTo(0);
    _objects.releaseHeap();
    _keys.releaseHeap();
    _keyHashes.releaseHeap();
}

JCParseState::JCParseState(uint64_t options)
    : parseOptionFlags(options)
    , tokenBuffer(kTokenBufferFixedLength)
{
}

}  // namespace zt::detail
