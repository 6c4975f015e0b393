#include "web/JCArena.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <new>

namespace zt::detail {

namespace {

// Keeps the count above zero while the parse runs: objects that die during
// it (when a parse fails) cannot free the arena early.
constexpr uint64_t kParseGuard = uint64_t(1) << 62;
constexpr size_t kAlignment = 16;
constexpr size_t kSmallestChunkBytes = 256;
constexpr size_t kLargestChunkBytes = 64 * 1024;
// A request this large gets a block of its own instead of a chunk's tail.
constexpr size_t kLargestSharedBytes = kLargestChunkBytes / 4;
constexpr size_t kChunkHeaderBytes = 16;

size_t alignUp(size_t bytes)
{
    return (bytes + kAlignment - 1) / kAlignment * kAlignment;
}

// Full-size chunks of arenas that died, kept for the next parses: a stream
// of parses would otherwise hand its memory back to the system after each
// document and fault it in again for the next. Bounded, so an idle process
// keeps at most kPooledChunks x 64 KB.
class ChunkPool {
public:
    static ChunkPool& shared()
    {
        // Never destroyed: arenas may die during the program's exit.
        alignas(ChunkPool) static unsigned char storage[sizeof(ChunkPool)];
        static ChunkPool* const pool = new (storage) ChunkPool();
        return *pool;
    }

    void* take()
    {
        std::lock_guard<std::mutex> guard(_lock);  // guards _count and _chunks
        return _count == 0 ? nullptr : _chunks[--_count];
    }

    // False when the pool is full and the caller must free the chunk.
    bool give(void* chunk)
    {
        std::lock_guard<std::mutex> guard(_lock);
        if (_count == kPooledChunks)
            return false;
        _chunks[_count++] = chunk;
        return true;
    }

private:
    static constexpr size_t kPooledChunks = 128;
    std::mutex _lock;
    void* _chunks[kPooledChunks] = {};
    size_t _count = 0;
};

}  // namespace

JCArena* JCArena::create(size_t firstChunkBytes)
{
    void* memory = std::malloc(sizeof(JCArena));
    if (memory == nullptr)
        return nullptr;
    return new (memory) JCArena(firstChunkBytes);
}

JCArena::JCArena(size_t firstChunkBytes)
    : _live(kParseGuard)
    , _nextChunkBytes(std::clamp(alignUp(firstChunkBytes), kSmallestChunkBytes, kLargestChunkBytes))
{
}

JCArena::~JCArena()
{
    while (_chunks != nullptr) {
        Chunk* previous = _chunks->previous;
        if (!_chunks->isFullSize || !ChunkPool::shared().give(_chunks))
            std::free(_chunks);
        _chunks = previous;
    }
}

bool JCArena::addChunk(size_t bytes)
{
    const bool isFullSize = bytes == kLargestChunkBytes;
    void* memory = isFullSize ? ChunkPool::shared().take() : nullptr;
    if (memory == nullptr)
        memory = std::malloc(kChunkHeaderBytes + bytes);
    if (memory == nullptr)
        return false;
    auto* chunk = static_cast<Chunk*>(memory);
    chunk->previous = _chunks;
    chunk->isFullSize = isFullSize;
    _chunks = chunk;
    return true;
}

void* JCArena::allocateObject(size_t bytes)
{
    bytes = alignUp(bytes);
    if (static_cast<size_t>(_limit - _next) < bytes) {
        if (bytes > kLargestSharedBytes) {
            // A block of its own, behind the current chunk so its tail stays in use.
            auto* block = static_cast<Chunk*>(std::malloc(kChunkHeaderBytes + bytes));
            if (block == nullptr)
                return nullptr;
            block->isFullSize = false;
            if (_chunks != nullptr) {
                block->previous = _chunks->previous;
                _chunks->previous = block;
            } else {
                block->previous = nullptr;
                _chunks = block;
            }
            ++_made;
            return reinterpret_cast<char*>(block) + kChunkHeaderBytes;
        }
        const size_t chunkBytes = bytes > _nextChunkBytes ? bytes : _nextChunkBytes;
        if (!addChunk(chunkBytes))
            return nullptr;
        _next = reinterpret_cast<char*>(_chunks) + kChunkHeaderBytes;
        _limit = _next + chunkBytes;
        if (_nextChunkBytes < kLargestChunkBytes)
            _nextChunkBytes = _nextChunkBytes * 2 < kLargestChunkBytes ? _nextChunkBytes * 2 : kLargestChunkBytes;
    }
    void* object = _next;
    _next += bytes;
    ++_made;
    return object;
}

namespace {

// The deaths this thread has counted inside DeathBatch scopes, for one arena at a time.
struct PendingDeaths {
    JCArena* arena = nullptr;
    uint64_t count = 0;
    int depth = 0;
};

thread_local PendingDeaths tPending;

}  // namespace

void JCArena::objectDied()
{
    PendingDeaths& pending = tPending;
    if (pending.depth == 0) {
        objectsDied(1);
        return;
    }
    if (pending.arena != this) {
        if (pending.arena != nullptr)
            pending.arena->objectsDied(pending.count);
        pending.arena = this;
        pending.count = 0;
    }
    ++pending.count;
}

void JCArena::objectsDied(uint64_t count)
{
    if (_live.fetch_sub(count, std::memory_order_acq_rel) == count)
        destroy();
}

JCArena::DeathBatch::DeathBatch()
{
    ++tPending.depth;
}

JCArena::DeathBatch::~DeathBatch()
{
    PendingDeaths& pending = tPending;
    if (--pending.depth != 0 || pending.arena == nullptr)
        return;
    JCArena* arena = pending.arena;
    const uint64_t count = pending.count;
    pending.arena = nullptr;
    pending.count = 0;
    arena->objectsDied(count);
}

void JCArena::seal()
{
    const uint64_t change = _made - kParseGuard;  // wraps: subtracts the guard, adds the objects
    if (_live.fetch_add(change, std::memory_order_acq_rel) + change == 0)
        destroy();
}

void JCArena::destroy()
{
    this->~JCArena();
    std::free(this);
}

}  // namespace zt::detail
