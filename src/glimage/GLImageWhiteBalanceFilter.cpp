#include "glimage/GLImageWhiteBalanceFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

// GLSL fills a mat3 column by column: each matrix below is the transpose of
// the table its nine numbers are usually printed as, and acts as such.
const char* const kWhiteBalanceFragmentShaderString = R"(
uniform sampler2D inputImageTexture;
varying highp vec2 textureCoordinate;

uniform lowp float temperature;
uniform lowp float tint;

const lowp vec3 warmFilter = vec3(0.93, 0.54, 0.0);

const mediump mat3 RGBtoYIQ = mat3(0.299, 0.587, 0.114, 0.596, -0.274, -0.322, 0.212, -0.523, 0.311);
const mediump mat3 YIQtoRGB = mat3(1.0, 0.956, 0.621, 1.0, -0.272, -0.647, 1.0, -1.105, 1.702);

void main()
{
    lowp vec4 source = texture2D(inputImageTexture, textureCoordinate);

    mediump vec3 yiq = RGBtoYIQ * source.rgb;
    yiq.b = clamp(yiq.b + tint * 0.5226 * 0.1, -0.5226, 0.5226);
    lowp vec3 rgb = YIQtoRGB * yiq;

    lowp vec3 processed = vec3(
        (rgb.r < 0.5 ? (2.0 * rgb.r * warmFilter.r) : (1.0 - 2.0 * (1.0 - rgb.r) * (1.0 - warmFilter.r))),
        (rgb.g < 0.5 ? (2.0 * rgb.g * warmFilter.g) : (1.0 - 2.0 * (1.0 - rgb.g) * (1.0 - warmFilter.g))),
        (rgb.b < 0.5 ? (2.0 * rgb.b * warmFilter.b) : (1.0 - 2.0 * (1.0 - rgb.b) * (1.0 - warmFilter.b))));

    gl_FragColor = vec4(mix(rgb, processed, temperature), source.a);
}
)";

constexpr int32_t kNeutralTemperature = 5000;
constexpr float kCoolingPerKelvin = 0.0004f;
constexpr float kWarmingPerKelvin = 0.00006f;

}  // namespace

GLImageWhiteBalanceFilter::GLImageWhiteBalanceFilter()
    : GLImageFilter(kWhiteBalanceFragmentShaderString)
{
    temperatureUniform = filterProgram->uniformIndex("temperature");
    tintUniform = filterProgram->uniformIndex("tint");
    setTemperature(kNeutralTemperature);
    setTint(0);
}

float GLImageWhiteBalanceFilter::temperatureUniformValue(int32_t temperature)
{
    const float shift = float(double(temperature) - double(kNeutralTemperature));
    return temperature < kNeutralTemperature ? shift * kCoolingPerKelvin : shift * kWarmingPerKelvin;
}

float GLImageWhiteBalanceFilter::tintUniformValue(int32_t tint)
{
    return float(tint) / 100.0f;
}

void GLImageWhiteBalanceFilter::setTemperature(int32_t newValue)
{
    _temperature = newValue;
    setFloat(temperatureUniformValue(newValue), temperatureUniform, filterProgram);
}

void GLImageWhiteBalanceFilter::setTint(int32_t newValue)
{
    _tint = newValue;
    setFloat(tintUniformValue(newValue), tintUniform, filterProgram);
}

}  // namespace zt
