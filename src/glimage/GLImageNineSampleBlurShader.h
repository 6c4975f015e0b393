#pragma once

namespace zt {

// The vertex shader of the fixed nine-tap blurs: "textureCoordinate" and
// nine "blurCoordinates" four texel offsets either side of it.
extern const char* const kGLImageNineSampleBlurVertexShaderString;

}  // namespace zt
