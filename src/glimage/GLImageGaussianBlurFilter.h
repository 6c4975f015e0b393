#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "glimage/GLImageTwoPassTextureSamplingFilter.h"

namespace zt {

// A separable Gaussian blur whose shaders are generated for its radius:
// normalised weights, neighbouring taps paired into one linearly filtered
// read, the same program for the vertical and the horizontal pass. Frames
// on the context queue; the properties may be set from any thread (a new
// radius builds its program synchronously on the context queue).
class GLImageGaussianBlurFilter : public GLImageTwoPassTextureSamplingFilter {
public:
    GLImageGaussianBlurFilter();  // sample radius 4, sigma 2
    GLImageGaussianBlurFilter(const std::string& firstStageVertexShaderString,
        const std::string& firstStageFragmentShaderString, const std::string& secondStageVertexShaderString,
        const std::string& secondStageFragmentShaderString);

    // One read per tap (2 * radius + 1 reads).
    static std::string vertexShaderForStandardBlurOfRadius(uint32_t blurRadius, double sigma);
    static std::string fragmentShaderForStandardBlurOfRadius(uint32_t blurRadius, double sigma);
    // Taps read in pairs (radius + 1 reads), the blur's own. A radius of 0
    // gives the pass-through shaders.
    static std::string vertexShaderForOptimizedBlurOfRadius(uint32_t blurRadius, double sigma);
    static std::string fragmentShaderForOptimizedBlurOfRadius(uint32_t blurRadius, double sigma);

    void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture) override;
    // Both passes take the pair of sources; uniform values set for the old
    // program do not carry over.
    void switchToVertexShader(const std::string& newVertexShader, const std::string& newFragmentShader);

    double texelSpacingMultiplier() const { return _texelSpacingMultiplier; }
    void setTexelSpacingMultiplier(double newValue);
    // The blur's sigma in pixels; rounded to a whole number, and a new one
    // builds new shaders. Not a positive number (or 103 and up): no blur.
    double blurRadiusInPixels() const { return _blurRadiusInPixels; }
    virtual void setBlurRadiusInPixels(double newValue);
    // Kept for callers; nothing reads them.
    double blurRadiusAsFractionOfImageWidth() const { return _blurRadiusAsFractionOfImageWidth; }
    void setBlurRadiusAsFractionOfImageWidth(double newValue) { _blurRadiusAsFractionOfImageWidth = newValue; }
    double blurRadiusAsFractionOfImageHeight() const { return _blurRadiusAsFractionOfImageHeight; }
    void setBlurRadiusAsFractionOfImageHeight(double newValue) { _blurRadiusAsFractionOfImageHeight = newValue; }
    // Runs of the whole two-pass blur per frame; 0 and 1 both mean one.
    uint64_t blurPasses() const { return _blurPasses; }
    void setBlurPasses(uint64_t newValue) { _blurPasses = newValue; }

    // The sources of the program both passes run.
    std::pair<std::string, std::string> shaderSourcesForTesting() const;

protected:
    // The generators of the filter's own class, for a new radius.
    virtual std::string optimizedVertexShader(uint32_t sampleRadius, double sigma) const;
    virtual std::string optimizedFragmentShader(uint32_t sampleRadius, double sigma) const;

    bool shouldResizeBlurRadiusWithImageSize = false;
    double _blurRadiusInPixels = 2.0;
    double _texelSpacingMultiplier = 1.0;
    double _blurRadiusAsFractionOfImageWidth = 0;
    double _blurRadiusAsFractionOfImageHeight = 0;
    std::atomic<uint64_t> _blurPasses = 0;  // read on the context queue

private:
    std::string _vertexShaderString;  // context queue
    std::string _fragmentShaderString;  // context queue
};

}  // namespace zt
