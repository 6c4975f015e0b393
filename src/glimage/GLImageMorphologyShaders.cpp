#include "glimage/GLImageMorphologyShaders.h"

#include <array>
#include <vector>

namespace zt::detail {

namespace {

constexpr uint32_t kMaximumSteps = 4;
constexpr std::array<const char*, kMaximumSteps> kStepNames = {"oneStep", "twoSteps", "threeSteps", "fourSteps"};

// The coordinate names in reading order: the centre, then each step's
// positive and negative one.
std::vector<std::string> coordinateNames(uint32_t steps)
{
    std::vector<std::string> names = {"centerTextureCoordinate"};
    for (uint32_t s = 0; s < steps; ++s) {
        names.push_back(std::string(kStepNames[s]) + "PositiveTextureCoordinate");
        names.push_back(std::string(kStepNames[s]) + "NegativeTextureCoordinate");
    }
    return names;
}

}  // namespace

uint32_t morphologyStepsForRadius(uint32_t radius)
{
    if (radius <= 1)
        return 1;
    return radius < kMaximumSteps ? radius : kMaximumSteps;
}

std::string morphologyVertexShader(uint32_t steps)
{
    const auto names = coordinateNames(steps);
    std::string source = R"(
attribute vec4 position;
attribute vec2 inputTextureCoordinate;

uniform float texelWidthOffset;
uniform float texelHeightOffset;

)";
    for (const auto& name : names)
        source += "varying vec2 " + name + ";\n";
    source += R"(
void main()
{
    gl_Position = position;
    vec2 offset = vec2(texelWidthOffset, texelHeightOffset);
    centerTextureCoordinate = inputTextureCoordinate;
)";
    for (uint32_t s = 0; s < steps; ++s) {
        const std::string multiple = s == 0 ? "offset" : "(offset * " + std::to_string(s + 1) + ".0)";
        source += "    " + names[2 * s + 1] + " = inputTextureCoordinate + " + multiple + ";\n";
        source += "    " + names[2 * s + 2] + " = inputTextureCoordinate - " + multiple + ";\n";
    }
    source += "}\n";
    return source;
}

std::string morphologyFragmentShader(uint32_t steps, MorphologyOperation operation, MorphologyChannels channels)
{
    const auto names = coordinateNames(steps);
    const bool grey = channels == MorphologyChannels::Red;
    // The grey filters compute in low precision; the colour ones in high
    // precision with low-precision samples. Coordinates stay high either way.
    std::string source = grey ? "precision lowp float;\n\n" : "precision highp float;\n\n";
    for (const auto& name : names)
        source += "varying highp vec2 " + name + ";\n";
    source += "\nuniform sampler2D inputImageTexture;\n\nvoid main()\n{\n";
    const char* type = grey ? "float" : "lowp vec4";
    const char* swizzle = grey ? ".r" : "";
    for (size_t i = 0; i < names.size(); ++i) {
        source += "    " + std::string(type) + " sample" + std::to_string(i) + " = texture2D(inputImageTexture, "
            + names[i] + ")" + swizzle + ";\n";
    }
    const char* function = operation == MorphologyOperation::Dilation ? "max" : "min";
    source += "    " + std::string(type) + " result = sample0;\n";
    for (size_t i = 1; i < names.size(); ++i)
        source += "    result = " + std::string(function) + "(result, sample" + std::to_string(i) + ");\n";
    source += grey ? "    gl_FragColor = vec4(vec3(result), 1.0);\n" : "    gl_FragColor = result;\n";
    source += "}\n";
    return source;
}

}  // namespace zt::detail
