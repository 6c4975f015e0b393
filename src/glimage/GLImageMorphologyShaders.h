#pragma once
#include <cstdint>
#include <string>

// Generated GLSL ES sources of the morphology filters: the same vertex and
// fragment shader for both passes, sampling the centre and k steps either
// side along the pass's axis.
namespace zt::detail {

enum class MorphologyOperation { Dilation, Erosion };
// Red only into opaque grey, or each of the four channels on its own.
enum class MorphologyChannels { Red, RGBA };

// Radius 0 and 1 take one step, 2 two, 3 three, anything else four.
uint32_t morphologyStepsForRadius(uint32_t radius);
std::string morphologyVertexShader(uint32_t steps);
std::string morphologyFragmentShader(uint32_t steps, MorphologyOperation operation, MorphologyChannels channels);

}  // namespace zt::detail
