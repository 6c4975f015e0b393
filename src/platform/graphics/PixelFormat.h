#pragma once
#include <cstdint>

namespace plat {

// The platform's pixel-format codes that pixel buffers take: 32-bit pixels
// in ARGB or BGRA byte order, and bi-planar 4:2:0 YCbCr (a luminance plane,
// then a plane of interleaved Cb, Cr pairs at half width and height) in
// video range (Y 16..235) or full range (0..255).
inline constexpr uint32_t kPixelFormatType_32ARGB = 0x00000020;
inline constexpr uint32_t kPixelFormatType_32BGRA = 0x42475241;  // 'BGRA'
inline constexpr uint32_t kPixelFormatType_420YpCbCr8BiPlanarVideoRange = 0x34323076;  // '420v'
inline constexpr uint32_t kPixelFormatType_420YpCbCr8BiPlanarFullRange = 0x34323066;  // '420f'

// The colour matrix a YCbCr buffer's pixels were made with (the buffer's
// YCbCr-matrix attachment).
inline constexpr const char* kCVImageBufferYCbCrMatrix_ITU_R_709_2 = "ITU_R_709_2";
inline constexpr const char* kCVImageBufferYCbCrMatrix_ITU_R_601_4 = "ITU_R_601_4";

// Status codes of pixel-buffer and texture-cache failures, as the platform numbers them.
inline constexpr int64_t kCVReturnError = -6660;
inline constexpr int64_t kCVReturnInvalidArgument = -6661;
inline constexpr int64_t kCVReturnAllocationFailed = -6662;
inline constexpr int64_t kCVReturnInvalidPixelFormat = -6680;
inline constexpr int64_t kCVReturnInvalidSize = -6681;
inline constexpr const char* kCVReturnErrorDomain = "plat.CVReturn";

}  // namespace plat
