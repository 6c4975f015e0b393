#include "glimage/GLImageColorInvertFilter.h"

namespace zt {

namespace {

const char* const kColorInvertFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

void main()
{
    lowp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4((1.0 - textureColor.rgb), textureColor.a);
}
)";

}  // namespace

GLImageColorInvertFilter::GLImageColorInvertFilter()
    : GLImageFilter(kColorInvertFragmentShaderString)
{
}

}  // namespace zt
