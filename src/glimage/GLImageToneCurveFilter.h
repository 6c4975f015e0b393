#pragma once
#include <memory>
#include <string>
#include <vector>

#include "glimage/GLImageFilter.h"
#include "platform/foundation/Result.h"

namespace plat {
class URL;
}

namespace zt {

// Remaps tones through four curves given by control points (fractions
// 0..1): one per colour channel, then one for all three. The curves become
// a 256 x 1 lookup texture by natural cubic spline. The control points may
// come from a tone-curve file (GLImageACVFile); a file that cannot be read
// gives an error and changes nothing. Setters may be called from any
// thread and return once the texture is rebuilt; frames on the context queue.
class GLImageToneCurveFilter : public GLImageFilter {
public:
    GLImageToneCurveFilter();  // identity curves
    ~GLImageToneCurveFilter() override;

    static plat::Result<std::shared_ptr<GLImageToneCurveFilter>> initWithACVData(const plat::Data& data);
    static plat::Result<std::shared_ptr<GLImageToneCurveFilter>> initWithACVURL(const plat::URL& curveFileURL);
    // The resource "<name>.acv" of the app.
    static plat::Result<std::shared_ptr<GLImageToneCurveFilter>> initWithACV(const std::string& curveFilename);

    plat::Result<void> setPointsWithACVData(const plat::Data& data);
    plat::Result<void> setPointsWithACVURL(const plat::URL& curveFileURL);
    plat::Result<void> setPointsWithACV(const std::string& curveFilename);

    // A list without two distinct inputs gives no curve, and the texture
    // is then left as it was.
    std::vector<plat::Point> rgbCompositeControlPoints() const;
    void setRgbCompositeControlPoints(std::vector<plat::Point> newValue);
    std::vector<plat::Point> redControlPoints() const;
    void setRedControlPoints(std::vector<plat::Point> newValue);
    std::vector<plat::Point> greenControlPoints() const;
    void setGreenControlPoints(std::vector<plat::Point> newValue);
    std::vector<plat::Point> blueControlPoints() const;
    void setBlueControlPoints(std::vector<plat::Point> newValue);
    // The same points for red, green and blue.
    void setRGBControlPoints(const std::vector<plat::Point>& points);

    void bindFurtherInputs() override;

    // The texture's 256 RGBA pixels as last uploaded; empty before the first.
    std::vector<uint8_t> toneCurveBytesForTesting() const;

private:
    // Context queue: uploads the four prepared curves as the lookup texture.
    void updateToneCurveTexture();
    void setAllControlPoints(std::vector<plat::Point> composite, std::vector<plat::Point> red,
        std::vector<plat::Point> green, std::vector<plat::Point> blue);

    std::vector<plat::Point> _rgbCompositeControlPoints;
    std::vector<plat::Point> _redControlPoints;
    std::vector<plat::Point> _greenControlPoints;
    std::vector<plat::Point> _blueControlPoints;
    std::vector<float> _rgbCompositeCurve;  // context queue
    std::vector<float> _redCurve;  // context queue
    std::vector<float> _greenCurve;  // context queue
    std::vector<float> _blueCurve;  // context queue
    GLTexture toneCurveTexture;  // context queue
    int32_t toneCurveTextureUniform = -1;
    std::vector<uint8_t> toneCurveByteArray;  // context queue
};

}  // namespace zt
