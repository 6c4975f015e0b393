#pragma once
// Records on which queue the pipeline makes its GL calls. The test binary
// defines the GL entry points below itself, so every call the pipeline
// makes to them passes here first (the real ones are looked up in the GL
// library and called on). A call counts as off the queue when the context
// queue is not the current one.
#include <cstdint>
#include <string>
#include <vector>

namespace zt::test {

class GLCallRecorder {
public:
    // Starts counting afresh; the counts are kept until the recorder goes.
    GLCallRecorder();
    ~GLCallRecorder();
    GLCallRecorder(const GLCallRecorder&) = delete;
    GLCallRecorder& operator=(const GLCallRecorder&) = delete;

    uint64_t callsOnTheContextQueue() const;
    // The names of the calls made elsewhere, in order.
    std::vector<std::string> callsOffTheContextQueue() const;
    // How many times a sampler object (not 0) was bound to a unit.
    uint64_t samplerObjectBindings() const;
};

}  // namespace zt::test
