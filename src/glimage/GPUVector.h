#pragma once

namespace zt {

struct GPUVector3 {
    float one = 0;
    float two = 0;
    float three = 0;
};

struct GPUVector4 {
    float one = 0;
    float two = 0;
    float three = 0;
    float four = 0;
};

// Rows, sent to shaders row one first.
struct GPUMatrix3x3 {
    GPUVector3 one;
    GPUVector3 two;
    GPUVector3 three;
};

struct GPUMatrix4x4 {
    GPUVector4 one;
    GPUVector4 two;
    GPUVector4 three;
    GPUVector4 four;
};

constexpr GPUMatrix4x4 kGPUMatrix4x4Identity
    = {{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}};

}  // namespace zt
