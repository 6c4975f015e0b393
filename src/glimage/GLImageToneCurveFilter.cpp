#include "glimage/GLImageToneCurveFilter.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageACVFile.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageToneCurve.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/URL.h"

namespace zt {

namespace {

// The table is sampled at the centre of entry v for the input value v, so
// that neighbouring entries are not blended.
const char* const kToneCurveFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform sampler2D toneCurveTexture;

highp float entry(highp float value)
{
    return (value * 255.0 + 0.5) / 256.0;
}

void main()
{
    lowp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    lowp float redCurveValue = texture2D(toneCurveTexture, vec2(entry(textureColor.r), 0.0)).r;
    lowp float greenCurveValue = texture2D(toneCurveTexture, vec2(entry(textureColor.g), 0.0)).g;
    lowp float blueCurveValue = texture2D(toneCurveTexture, vec2(entry(textureColor.b), 0.0)).b;

    gl_FragColor = vec4(redCurveValue, greenCurveValue, blueCurveValue, textureColor.a);
}
)";

constexpr const char* kToneCurveErrorDomain = "GLImageToneCurveFilter";
constexpr int64_t kErrorNoSuchCurveFile = 1;
// Tone-curve files are a few hundred bytes; anything past this is not one.
constexpr int64_t kLargestCurveFileBytes = 1 << 20;
constexpr size_t kTableEntries = 256;

const std::vector<plat::Point> kIdentityPoints = {{0.0, 0.0}, {0.5, 0.5}, {1.0, 1.0}};

plat::Result<plat::Data> readCurveFile(const plat::URL& curveFileURL)
{
    return plat::readFile(curveFileURL.path(), kLargestCurveFileBytes);
}

plat::Result<plat::URL> curveFileURLNamed(const std::string& curveFilename)
{
    auto path = plat::Bundle::mainBundle().pathForResource(curveFilename, "acv");
    if (!path)
        return plat::Error(kToneCurveErrorDomain, kErrorNoSuchCurveFile,
            "The app has no tone curve file named " + curveFilename + ".acv");
    return plat::URL::fileURLWithPath(*path);
}

}  // namespace

GLImageToneCurveFilter::GLImageToneCurveFilter()
    : GLImageFilter(kToneCurveFragmentShaderString)
{
    toneCurveTextureUniform = filterProgram->uniformIndex("toneCurveTexture");
    setAllControlPoints(kIdentityPoints, kIdentityPoints, kIdentityPoints, kIdentityPoints);
}

GLImageToneCurveFilter::~GLImageToneCurveFilter()
{
    runSynchronouslyOnContextQueue([this] { toneCurveTexture.reset(); });
}

plat::Result<std::shared_ptr<GLImageToneCurveFilter>> GLImageToneCurveFilter::initWithACVData(const plat::Data& data)
{
    auto file = GLImageACVFile::initWithACVFileData(data);
    if (!file.ok())
        return file.error();
    auto filter = std::make_shared<GLImageToneCurveFilter>();
    filter->setAllControlPoints(file.value().rgbCompositeCurvePoints(), file.value().redCurvePoints(),
        file.value().greenCurvePoints(), file.value().blueCurvePoints());
    return filter;
}

plat::Result<std::shared_ptr<GLImageToneCurveFilter>> GLImageToneCurveFilter::initWithACVURL(
    const plat::URL& curveFileURL)
{
    auto data = readCurveFile(curveFileURL);
    if (!data.ok())
        return data.error();
    return initWithACVData(data.value());
}

plat::Result<std::shared_ptr<GLImageToneCurveFilter>> GLImageToneCurveFilter::initWithACV(
    const std::string& curveFilename)
{
    auto url = curveFileURLNamed(curveFilename);
    if (!url.ok())
        return url.error();
    return initWithACVURL(url.value());
}

plat::Result<void> GLImageToneCurveFilter::setPointsWithACVData(const plat::Data& data)
{
    auto file = GLImageACVFile::initWithACVFileData(data);
    if (!file.ok())
        return file.error();
    setAllControlPoints(file.value().rgbCompositeCurvePoints(), file.value().redCurvePoints(),
        file.value().greenCurvePoints(), file.value().blueCurvePoints());
    return {};
}

plat::Result<void> GLImageToneCurveFilter::setPointsWithACVURL(const plat::URL& curveFileURL)
{
    auto data = readCurveFile(curveFileURL);
    if (!data.ok())
        return data.error();
    return setPointsWithACVData(data.value());
}

plat::Result<void> GLImageToneCurveFilter::setPointsWithACV(const std::string& curveFilename)
{
    auto url = curveFileURLNamed(curveFilename);
    if (!url.ok())
        return url.error();
    return setPointsWithACVURL(url.value());
}

std::vector<plat::Point> GLImageToneCurveFilter::rgbCompositeControlPoints() const
{
    std::vector<plat::Point> points;
    runSynchronouslyOnContextQueue([&] { points = _rgbCompositeControlPoints; });
    return points;
}

std::vector<plat::Point> GLImageToneCurveFilter::redControlPoints() const
{
    std::vector<plat::Point> points;
    runSynchronouslyOnContextQueue([&] { points = _redControlPoints; });
    return points;
}

std::vector<plat::Point> GLImageToneCurveFilter::greenControlPoints() const
{
    std::vector<plat::Point> points;
    runSynchronouslyOnContextQueue([&] { points = _greenControlPoints; });
    return points;
}

std::vector<plat::Point> GLImageToneCurveFilter::blueControlPoints() const
{
    std::vector<plat::Point> points;
    runSynchronouslyOnContextQueue([&] { points = _blueControlPoints; });
    return points;
}

void GLImageToneCurveFilter::setAllControlPoints(std::vector<plat::Point> composite, std::vector<plat::Point> red,
    std::vector<plat::Point> green, std::vector<plat::Point> blue)
{
    runSynchronouslyOnContextQueue([&] {
        _rgbCompositeControlPoints = std::move(composite);
        _redControlPoints = std::move(red);
        _greenControlPoints = std::move(green);
        _blueControlPoints = std::move(blue);
        _rgbCompositeCurve = detail::getPreparedSplineCurve(_rgbCompositeControlPoints);
        _redCurve = detail::getPreparedSplineCurve(_redControlPoints);
        _greenCurve = detail::getPreparedSplineCurve(_greenControlPoints);
        _blueCurve = detail::getPreparedSplineCurve(_blueControlPoints);
        updateToneCurveTexture();
    });
}

void GLImageToneCurveFilter::setRgbCompositeControlPoints(std::vector<plat::Point> newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _rgbCompositeControlPoints = std::move(newValue);
        _rgbCompositeCurve = detail::getPreparedSplineCurve(_rgbCompositeControlPoints);
        updateToneCurveTexture();
    });
}

void GLImageToneCurveFilter::setRedControlPoints(std::vector<plat::Point> newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _redControlPoints = std::move(newValue);
        _redCurve = detail::getPreparedSplineCurve(_redControlPoints);
        updateToneCurveTexture();
    });
}

void GLImageToneCurveFilter::setGreenControlPoints(std::vector<plat::Point> newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _greenControlPoints = std::move(newValue);
        _greenCurve = detail::getPreparedSplineCurve(_greenControlPoints);
        updateToneCurveTexture();
    });
}

void GLImageToneCurveFilter::setBlueControlPoints(std::vector<plat::Point> newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _blueControlPoints = std::move(newValue);
        _blueCurve = detail::getPreparedSplineCurve(_blueControlPoints);
        updateToneCurveTexture();
    });
}

void GLImageToneCurveFilter::setRGBControlPoints(const std::vector<plat::Point>& points)
{
    runSynchronouslyOnContextQueue([&] {
        _redControlPoints = points;
        _greenControlPoints = points;
        _blueControlPoints = points;
        _redCurve = detail::getPreparedSplineCurve(points);
        _greenCurve = _redCurve;
        _blueCurve = _redCurve;
        updateToneCurveTexture();
    });
}

void GLImageToneCurveFilter::updateToneCurveTexture()
{
    GLImageContext::useImageProcessingContext();
    glActiveTexture(GL_TEXTURE3);
    if (!toneCurveTexture) {
        toneCurveTexture = GLTexture::generate();
        glBindTexture(GL_TEXTURE_2D, toneCurveTexture.name());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    } else {
        glBindTexture(GL_TEXTURE_2D, toneCurveTexture.name());
    }
    const auto bytes = detail::toneCurveBytes(_rgbCompositeCurve, _redCurve, _greenCurve, _blueCurve);
    if (bytes) {
        toneCurveByteArray.assign(bytes->begin(), bytes->end());
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, GLsizei(kTableEntries), 1, 0, GL_RGBA, GL_UNSIGNED_BYTE,
            toneCurveByteArray.data());
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void GLImageToneCurveFilter::bindFurtherInputs()
{
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, toneCurveTexture.name());
    glUniform1i(toneCurveTextureUniform, 3);
}

std::vector<uint8_t> GLImageToneCurveFilter::toneCurveBytesForTesting() const
{
    std::vector<uint8_t> bytes;
    runSynchronouslyOnContextQueue([&] { bytes = toneCurveByteArray; });
    return bytes;
}

}  // namespace zt
