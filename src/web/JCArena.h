#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace zt::detail {

// The memory of the containers and long strings that one parse makes,
// handed out from chunks and freed all at once when the last object made in
// it dies. A decoded tree thus costs no allocation per container, and a
// container kept from a large document keeps that document's memory.
// Allocation happens on the parsing thread; objects die on any thread.
class JCArena {
public:
    // nullptr when memory runs out. firstChunkBytes sizes the first chunk,
    // so that small documents take little memory.
    static JCArena* create(size_t firstChunkBytes);
    JCArena(const JCArena&) = delete;
    JCArena& operator=(const JCArena&) = delete;

    // 16-byte aligned memory for one object; nullptr when memory runs out.
    // Counts the object as alive. Parsing thread only.
    void* allocateObject(size_t bytes);
    // One object made here has died. Any thread.
    void objectDied();
    // While one lives, the deaths of objects on this thread are counted
    // locally and handed to their arena together when the outermost scope
    // ends: a tree that dies costs its arena one atomic step, not one per
    // object. Scopes nest; the arena cannot die while deaths are pending.
    class DeathBatch {
    public:
        DeathBatch();
        ~DeathBatch();
        DeathBatch(const DeathBatch&) = delete;
        DeathBatch& operator=(const DeathBatch&) = delete;
    };
    // The parse is over: from now on the arena goes with its last object.
    void seal();

private:
    struct Chunk {
        Chunk* previous;
        bool isFullSize;  // pooled for reuse when the arena dies
    };
    explicit JCArena(size_t firstChunkBytes);
    ~JCArena();
    bool addChunk(size_t bytes);
    void objectsDied(uint64_t count);
    void destroy();

    // Objects alive, plus a guard while the parse may still make more.
    std::atomic<uint64_t> _live;
    uint64_t _made = 0;
    Chunk* _chunks = nullptr;
    char* _next = nullptr;
    char* _limit = nullptr;
    size_t _nextChunkBytes;
};

}  // namespace zt::detail
