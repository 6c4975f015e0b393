#pragma once
// The decoder's private state: scanner position, current token, buffers,
// pending values and the token cache.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/Error.h"
#include "web/JCArena.h"
#include "web/JCValue.h"

namespace zt::detail {

enum class JCTokenType : uint8_t {
    None = 0,
    Number = 1,
    String = 2,
    ObjectBegin = 3,
    ObjectEnd = 4,
    ArrayBegin = 5,
    ArrayEnd = 6,
    Separator = 7,
    Comma = 8,
    True = 9,
    False = 10,
    Null = 11,
};

enum class JCValueType : uint8_t { None = 0, String = 5, SignedInteger = 7, UnsignedInteger = 11, Double = 13 };

// A byte buffer that starts in fixed memory and moves to the heap when it
// must grow; it never shrinks until released.
class JCManagedBuffer {
public:
    explicit JCManagedBuffer(size_t fixedLength)
        : _fixed(std::make_unique<uint8_t[]>(fixedLength))
        , _bytes(_fixed.get())
        , _length(fixedLength)
        , _fixedLength(fixedLength)
    {
    }
    ~JCManagedBuffer() { releaseHeap(); }
    JCManagedBuffer(const JCManagedBuffer&) = delete;
    JCManagedBuffer& operator=(const JCManagedBuffer&) = delete;

    uint8_t* bytes() { return _bytes; }
    size_t length() const { return _length; }

    // Makes the buffer at least length bytes long, keeping its contents;
    // false when memory runs out (the old contents are then lost).
    bool growTo(size_t length);
    // Back to the fixed memory.
    void releaseHeap();

private:
    std::unique_ptr<uint8_t[]> _fixed;
    uint8_t* _bytes;
    size_t _length;
    size_t _fixedLength;
};

struct JCTokenCacheItem {
    JCValue object;  // a string; null while the item is empty
    uint64_t hash = 0;  // the string's dictionary key hash, so a cached key is hashed once
    size_t size = 0;
    JCValueType type = JCValueType::None;
};

struct JCTokenValue {
    const uint8_t* bytes = nullptr;  // a string's UTF-8, in the input or the token buffer
    size_t size = 0;
    JCValueType type = JCValueType::None;
    uint64_t hash = 0;  // a string's key hash (jcKeyHash), set before it goes through the cache
    union {
        int64_t signedInteger;
        uint64_t unsignedInteger;
        double real;
    } number {};
    JCTokenCacheItem* cacheItem = nullptr;
};

struct JCParseToken {
    const uint8_t* text = nullptr;  // the token as it stands in the input
    size_t textLength = 0;
    JCTokenType type = JCTokenType::None;
    JCTokenValue value;
};

// Recently decoded strings, shared by later tokens with the same bytes. It
// keeps its objects across parses until cleared. Only strings that need an
// object of their own pass through it: numbers and short strings live in
// the value itself, where sharing would save nothing, and the longest
// strings seldom repeat. An item compares against its string's own bytes,
// which are the decoded bytes, so it needs no copy of them.
class JCTokenCache {
public:
    static constexpr size_t kCount = 1024;

    JCTokenCache();
    void clear();
    // Stores in out the string object for value (from the cache or new, in
    // arena when given); false when memory runs out. Sets value.cacheItem to
    // the item that holds it. (Storing in place keeps the value in registers
    // and memory words the processor can forward.)
    bool stringForValue(JCTokenValue& value, JCValue& out, JCArena* arena);

private:
    uint32_t nextRandom();
    std::unique_ptr<JCTokenCacheItem[]> _items;
    std::unique_ptr<uint8_t[]> _age;
    uint32_t _randomState = 1;
};

// One column of the object stack: slots of 16-byte values or hashes, all
// zero (null) unless a parse is using them. Values move by their bytes.
class JCStackColumn {
public:
    JCStackColumn(size_t elementSize, size_t fixedCount);
    ~JCStackColumn();
    JCStackColumn(const JCStackColumn&) = delete;
    JCStackColumn& operator=(const JCStackColumn&) = delete;

    void* data() const { return _slots; }
    size_t count() const { return _count; }
    // Room for at least count slots; false when memory runs out.
    bool growTo(size_t count);
    // Back to the fixed slots; every slot must be zero again.
    void releaseHeap();

private:
    size_t _elementSize;
    void* _fixed;
    size_t _fixedCount;
    void* _slots;
    size_t _count;
};

// Every pending value of every open container, in three parallel columns
// (values, keys, key hashes). Arrays use the value column only, so the key
// columns grow only as far as objects need them.
struct JCObjectStack {
    static constexpr size_t kInitialCount = 1024;

    JCObjectStack();
    // Room for pending values (and keys) up to index + 4; false when memory runs out.
    bool reserveValues() { return index + 4 <= _objects.count() || _objects.growTo(index + 4); }
    bool reservePairs() { return (index + 4 <= _keys.count() && index + 4 <= _objects.count()) || growPairs(); }
    // Drops the pending entries from start up to index, and returns to start.
    void unwindTo(size_t start);
    // Back to the fixed columns, with nothing pending.
    void reset();

    JCValue* objects() const { return static_cast<JCValue*>(_objects.data()); }
    JCValue* keys() const { return static_cast<JCValue*>(_keys.data()); }
    uint64_t* keyHashes() const { return static_cast<uint64_t*>(_keyHashes.data()); }
    size_t count() const { return _objects.count(); }

    size_t index = 0;

private:
    bool growPairs();
    JCStackColumn _objects;
    JCStackColumn _keys;
    JCStackColumn _keyHashes;
};

struct JCParseState {
    explicit JCParseState(uint64_t options);

    uint64_t parseOptionFlags;
    const uint8_t* input = nullptr;
    size_t length = 0;
    size_t atIndex = 0;
    size_t lineNumber = 1;
    size_t lineStartIndex = 0;
    JCParseToken token;
    JCManagedBuffer tokenBuffer;
    JCObjectStack objectStack;
    JCTokenCache cache;
    std::optional<plat::Error> error;
    bool mutableCollections = false;
    size_t depth = 0;
    // Made at the first container of a parse, sealed when the parse ends.
    JCArena* arena = nullptr;
    // The decoder serves this one parse: its cache may keep strings in the arena.
    bool cacheDiesWithParse = false;
};

// Decodes the state's input (set up by the caller) into its top-level value;
// records the first error in state.error.
std::optional<JCValue> parseJSON(JCParseState& state);

}  // namespace zt::detail
