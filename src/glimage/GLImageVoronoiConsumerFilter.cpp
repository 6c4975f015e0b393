#include "glimage/GLImageVoronoiConsumerFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLImageVoronoiShaders.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

std::string voronoiConsumerFragmentShader()
{
    return std::string(R"(
precision highp float;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;
uniform vec2 size;

varying vec2 textureCoordinate;
)") + detail::kVoronoiColorDecodingFunction
        + R"(
void main()
{
    vec4 colorLoc = texture2D(inputImageTexture2, textureCoordinate);
    gl_FragColor = texture2D(inputImageTexture, getCoordFromColor(colorLoc));
}
)";
}

}  // namespace

GLImageVoronoiConsumerFilter::GLImageVoronoiConsumerFilter()
    : GLImageTwoInputFilter(voronoiConsumerFragmentShader())
{
    sizeUniform = filterProgram->uniformIndex("size");
}

void GLImageVoronoiConsumerFilter::setSizeInPixels(plat::Size newValue)
{
    runSynchronouslyOnContextQueue([&] {
        if (!detail::isUsableVoronoiSize(newValue, detail::VoronoiSizeMessage::WithoutColon))
            return;
        _sizeInPixels = newValue;
        setSize(newValue, sizeUniform, filterProgram);
    });
}

}  // namespace zt
