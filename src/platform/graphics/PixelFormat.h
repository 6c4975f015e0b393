#pragma once
#include <cstdint>

namespace plat {

// The platform's pixel-format codes that pixel buffers take: 32-bit pixels
// in ARGB or BGRA byte order.
inline constexpr uint32_t kPixelFormatType_32ARGB = 0x00000020;
inline constexpr uint32_t kPixelFormatType_32BGRA = 0x42475241;  // 'BGRA'

// Status codes of pixel-buffer and texture-cache failures, as the platform numbers them.
inline constexpr int64_t kCVReturnError = -6660;
inline constexpr int64_t kCVReturnInvalidArgument = -6661;
inline constexpr int64_t kCVReturnAllocationFailed = -6662;
inline constexpr int64_t kCVReturnInvalidPixelFormat = -6680;
inline constexpr int64_t kCVReturnInvalidSize = -6681;
inline constexpr const char* kCVReturnErrorDomain = "plat.CVReturn";

}  // namespace plat
