#include "glimage/GLImageBlurShaders.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <regex>

namespace zt::detail {

namespace {

constexpr double kOutermostTapShare = 256.0;

uint32_t pairCountForRadius(uint32_t radius)
{
    return (radius + 1) / 2;
}

}  // namespace

std::string shaderFloat(double value)
{
    if (!std::isfinite(value))
        value = 0.0;
    char text[64];
    auto [end, error] = std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed, 6);
    if (error != std::errc())
        return "0.0";
    return std::string(text, end);
}

std::vector<float> gaussianBlurWeights(uint32_t radius, double sigma)
{
    radius = std::min(radius, kMaximumBlurSampleRadius);
    std::vector<float> weights(radius + 1, 0.0f);
    if (!(sigma > 0)) {
        weights[0] = 1.0f;
        return weights;
    }
    // The Gaussian's own factor 1/sqrt(2 pi sigma^2) cancels in the
    // normalisation; left out, a huge sigma cannot underflow every weight
    // to 0 and make the sum 0.
    std::vector<double> shape(radius + 1);
    double sum = 0;
    for (uint32_t i = 0; i <= radius; ++i) {
        shape[i] = std::exp(-double(i) * double(i) / (2.0 * sigma * sigma));
        sum += i == 0 ? shape[i] : 2.0 * shape[i];
    }
    for (uint32_t i = 0; i <= radius; ++i)
        weights[i] = float(shape[i] / sum);
    return weights;
}

uint32_t gaussianSampleRadiusForBlurRadius(double r)
{
    if (!(r > 0) || !std::isfinite(r))
        return 0;
    const double squared = -2.0 * r * r * std::log(std::sqrt(2.0 * std::numbers::pi * r * r) / kOutermostTapShare);
    if (!(squared > 0))
        return 0;
    auto radius = uint32_t(std::floor(std::sqrt(squared)));
    if (radius % 2 == 1)
        ++radius;
    return std::min(radius, kMaximumBlurSampleRadius);
}

std::vector<BlurTapPair> pairedBlurTaps(const std::vector<float>& weights)
{
    const uint32_t radius = uint32_t(weights.size()) - 1;
    auto weightAt = [&](uint32_t i) { return i <= radius ? weights[i] : 0.0f; };
    std::vector<BlurTapPair> pairs;
    for (uint32_t j = 0; j < pairCountForRadius(radius); ++j) {
        const uint32_t near = 2 * j + 1;
        const uint32_t far = 2 * j + 2;
        const float combined = weightAt(near) + weightAt(far);
        // Taps too light to count: the pair reads between them with no weight.
        const float offset = combined > 0.0f ? (weightAt(near) * float(near) + weightAt(far) * float(far)) / combined
                                             : float(near) + 0.5f;
        pairs.push_back({offset, combined});
    }
    return pairs;
}

std::string pairedBlurVertexShader(const std::vector<BlurTapPair>& pairs)
{
    const size_t varyingPairs = std::min<size_t>(pairs.size(), kMaximumBlurVaryingPairs);
    std::string shader = "attribute vec4 position;\n"
                         "attribute vec4 inputTextureCoordinate;\n"
                         "\n"
                         "uniform float texelWidthOffset;\n"
                         "uniform float texelHeightOffset;\n"
                         "\n"
                         "varying vec2 blurCoordinates["
        + std::to_string(1 + varyingPairs * 2)
        + "];\n"
          "\n"
          "void main()\n"
          "{\n"
          "    gl_Position = position;\n"
          "\n"
          "    vec2 singleStepOffset = vec2(texelWidthOffset, texelHeightOffset);\n"
          "    blurCoordinates[0] = inputTextureCoordinate.xy;\n";
    for (size_t j = 0; j < varyingPairs; ++j) {
        const std::string offset = shaderFloat(pairs[j].offset);
        shader += "    blurCoordinates[" + std::to_string(j * 2 + 1)
            + "] = inputTextureCoordinate.xy + singleStepOffset * " + offset + ";\n";
        shader += "    blurCoordinates[" + std::to_string(j * 2 + 2)
            + "] = inputTextureCoordinate.xy - singleStepOffset * " + offset + ";\n";
    }
    shader += "}\n";
    return shader;
}

std::string pairedBlurFragmentShader(float centreWeight, const std::vector<BlurTapPair>& pairs, BlurChannels channels)
{
    const size_t varyingPairs = std::min<size_t>(pairs.size(), kMaximumBlurVaryingPairs);
    const bool redOnly = channels == BlurChannels::RedOnly;
    const std::string sample = redOnly ? ").r * " : ") * ";
    std::string shader = "precision highp float;\n"
                         "\n"
                         "uniform sampler2D inputImageTexture;\n"
                         "uniform highp float texelWidthOffset;\n"
                         "uniform highp float texelHeightOffset;\n"
                         "\n"
                         "varying highp vec2 blurCoordinates["
        + std::to_string(1 + varyingPairs * 2)
        + "];\n"
          "\n"
          "void main()\n"
          "{\n";
    shader += redOnly ? "    mediump float sum = 0.0;\n" : "    mediump vec4 sum = vec4(0.0);\n";
    shader += "    sum += texture2D(inputImageTexture, blurCoordinates[0]" + sample + shaderFloat(centreWeight) + ";\n";
    for (size_t j = 0; j < varyingPairs; ++j) {
        const std::string weight = shaderFloat(pairs[j].weight);
        shader += "    sum += texture2D(inputImageTexture, blurCoordinates[" + std::to_string(j * 2 + 1) + "]" + sample
            + weight + ";\n";
        shader += "    sum += texture2D(inputImageTexture, blurCoordinates[" + std::to_string(j * 2 + 2) + "]" + sample
            + weight + ";\n";
    }
    if (pairs.size() > varyingPairs) {
        shader += "    highp vec2 singleStepOffset = vec2(texelWidthOffset, texelHeightOffset);\n";
        for (size_t j = varyingPairs; j < pairs.size(); ++j) {
            const std::string offset = shaderFloat(pairs[j].offset);
            const std::string weight = shaderFloat(pairs[j].weight);
            shader += "    sum += texture2D(inputImageTexture, blurCoordinates[0] + singleStepOffset * " + offset
                + sample + weight + ";\n";
            shader += "    sum += texture2D(inputImageTexture, blurCoordinates[0] - singleStepOffset * " + offset
                + sample + weight + ";\n";
        }
    }
    shader += redOnly ? "    gl_FragColor = vec4(sum, sum, sum, 1.0);\n" : "    gl_FragColor = sum;\n";
    shader += "}\n";
    return shader;
}

std::string standardBlurVertexShader(uint32_t radius)
{
    radius = std::min(radius, kMaximumBlurSampleRadius);
    const uint32_t varyingRadius = std::min(radius, kMaximumBlurVaryingPairs);
    std::string shader = "attribute vec4 position;\n"
                         "attribute vec4 inputTextureCoordinate;\n"
                         "\n"
                         "uniform float texelWidthOffset;\n"
                         "uniform float texelHeightOffset;\n"
                         "\n"
                         "varying vec2 blurCoordinates["
        + std::to_string(varyingRadius * 2 + 1)
        + "];\n"
          "\n"
          "void main()\n"
          "{\n"
          "    gl_Position = position;\n"
          "\n"
          "    vec2 singleStepOffset = vec2(texelWidthOffset, texelHeightOffset);\n";
    for (uint32_t i = 0; i <= varyingRadius * 2; ++i) {
        const int step = int(i) - int(varyingRadius);
        shader += "    blurCoordinates[" + std::to_string(i) + "] = inputTextureCoordinate.xy + singleStepOffset * "
            + shaderFloat(step) + ";\n";
    }
    shader += "}\n";
    return shader;
}

std::string standardBlurFragmentShader(const std::vector<float>& weights)
{
    const uint32_t radius = uint32_t(weights.size()) - 1;
    const uint32_t varyingRadius = std::min(radius, kMaximumBlurVaryingPairs);
    std::string shader = "precision highp float;\n"
                         "\n"
                         "uniform sampler2D inputImageTexture;\n"
                         "uniform highp float texelWidthOffset;\n"
                         "uniform highp float texelHeightOffset;\n"
                         "\n"
                         "varying highp vec2 blurCoordinates["
        + std::to_string(varyingRadius * 2 + 1)
        + "];\n"
          "\n"
          "void main()\n"
          "{\n"
          "    mediump vec4 sum = vec4(0.0);\n";
    for (uint32_t i = 0; i <= varyingRadius * 2; ++i) {
        const uint32_t distance = uint32_t(std::abs(int(i) - int(varyingRadius)));
        shader += "    sum += texture2D(inputImageTexture, blurCoordinates[" + std::to_string(i) + "]) * "
            + shaderFloat(weights[distance]) + ";\n";
    }
    if (radius > varyingRadius) {
        shader += "    highp vec2 singleStepOffset = vec2(texelWidthOffset, texelHeightOffset);\n";
        const std::string centre = "blurCoordinates[" + std::to_string(varyingRadius) + "]";
        for (uint32_t distance = varyingRadius + 1; distance <= radius; ++distance) {
            const std::string steps = shaderFloat(distance);
            const std::string weight = shaderFloat(weights[distance]);
            shader += "    sum += texture2D(inputImageTexture, " + centre + " + singleStepOffset * " + steps + ") * "
                + weight + ";\n";
            shader += "    sum += texture2D(inputImageTexture, " + centre + " - singleStepOffset * " + steps + ") * "
                + weight + ";\n";
        }
    }
    shader += "    gl_FragColor = sum;\n"
              "}\n";
    return shader;
}

bool areStandardBlurShaders(const std::string& vertex, const std::string& fragment)
{
    // Weights end each tap's line, after the read; the steps stay inside the
    // read and are compared as written.
    static const std::regex weight(R"(\) \* -?[0-9]+\.[0-9]+;)");
    const std::string maskedFragment = std::regex_replace(fragment, weight, ") * w;");
    for (uint32_t radius = 1; radius <= kMaximumBlurSampleRadius; ++radius) {
        if (vertex != standardBlurVertexShader(radius))
            continue;
        const std::vector<float> anyWeights(radius + 1, 0.0f);
        if (maskedFragment == std::regex_replace(standardBlurFragmentShader(anyWeights), weight, ") * w;"))
            return true;
    }
    return false;
}

}  // namespace zt::detail
