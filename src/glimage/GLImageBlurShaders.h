#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Generated GLSL ES sources of the separable blurs. Every source stays valid
// for any radius and sigma: radii are capped at the largest sample radius a
// blur radius can give, weights are normalised whatever the sigma, and
// numbers are written with six decimals whatever the process locale.
namespace zt::detail {

// The largest sample radius the Gaussian blur reaches from any blur radius
// (a blur radius of 60 gives 62; from 103 on there is no blur at all).
constexpr uint32_t kMaximumBlurSampleRadius = 62;
// Coordinates the vertex shader hands on: the centre and seven pairs, eight
// varying vectors, all that OpenGL ES 2.0 promises. Further taps are read
// at coordinates the fragment shader computes.
constexpr uint32_t kMaximumBlurVaryingPairs = 7;

// w[0..radius] of a Gaussian of sigma whose full symmetric kernel sums to
// 1. A sigma that is not a positive number gives the identity kernel (all
// weight in the centre), an infinite one a box.
std::vector<float> gaussianBlurWeights(uint32_t radius, double sigma);

// The sample radius the Gaussian blur uses for a blur radius r (a whole
// number): wide enough that the outermost tap keeps about 1/256 of the
// centre's weight, rounded up to even; 0 when r gives no blur.
uint32_t gaussianSampleRadiusForBlurRadius(double r);

// A pair of neighbouring taps read as one linearly interpolated sample:
// at offset texels either side of the centre, each with weight.
struct BlurTapPair {
    float offset;
    float weight;
};

// The pairs of taps 1..radius of a symmetric kernel w[0..radius]; an odd
// radius pairs its last tap with an empty one.
std::vector<BlurTapPair> pairedBlurTaps(const std::vector<float>& weights);

enum class BlurChannels { Colour, RedOnly };

// Vertex shader of a paired blur: the centre and up to seven pairs.
std::string pairedBlurVertexShader(const std::vector<BlurTapPair>& pairs);
// Fragment shader of a paired blur; pairs beyond seven are dependent reads.
std::string pairedBlurFragmentShader(float centreWeight, const std::vector<BlurTapPair>& pairs, BlurChannels channels);

// One read per tap, taps within seven of the centre from the vertex shader.
std::string standardBlurVertexShader(uint32_t radius);
std::string standardBlurFragmentShader(const std::vector<float>& weights);

// Six decimals, a point whatever the locale; never "nan" or "inf".
std::string shaderFloat(double value);

// Whether vertex and fragment are the standard blur's shaders of some
// radius, whatever their weights: such a pass reads its input only at whole
// multiples of its offset beside the pixel.
bool areStandardBlurShaders(const std::string& vertex, const std::string& fragment);

}  // namespace zt::detail
