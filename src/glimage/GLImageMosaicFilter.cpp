#include "glimage/GLImageMosaicFilter.h"

#include <algorithm>

#include "glimage/GLImagePicture.h"
#include "glimage/GLImageWeakTarget.h"
#include "glimage/GLProgram.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"

namespace zt {

namespace {

// The tile index stops at the last tile that is both counted and in the
// set: the darkest colour would otherwise ask for tile numTiles, one past
// the end. At least one tile, and tiles no smaller than a texel of a large
// texture, so that no division is by zero.
const char* const kMosaicFragmentShaderString = R"(
precision highp float;

varying vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

uniform vec2 inputTileSize;
uniform vec2 displayTileSize;
uniform float numTiles;
uniform int colorOn;

void main()
{
    vec2 displaySize = max(displayTileSize, vec2(1.0 / 4096.0));
    vec2 xy = textureCoordinate;
    xy = xy - mod(xy, displaySize);

    vec4 lumcoeff = vec4(0.299, 0.587, 0.114, 0.0);
    vec4 inputColor = texture2D(inputImageTexture2, xy);
    float lum = 1.0 - dot(inputColor, lumcoeff);

    float tileCount = max(floor(numTiles), 1.0);
    vec2 tileSize = max(inputTileSize, vec2(1.0 / 4096.0));
    float tilesPerRow = max(floor(1.0 / tileSize.x + 0.001), 1.0);
    float tilesPerColumn = max(floor(1.0 / tileSize.y + 0.001), 1.0);
    float lastTile = min(tileCount, tilesPerRow * tilesPerColumn) - 1.0;
    float tile = clamp(floor(lum * tileCount + 0.001), 0.0, lastTile);

    float column = mod(tile, tilesPerRow);
    float row = floor(tile / tilesPerRow);
    vec2 startCoord = vec2(column * tileSize.x, row * tileSize.y);
    vec2 finalCoord = startCoord + ((textureCoordinate - xy) * (tileSize / displaySize));

    vec4 color = texture2D(inputImageTexture, finalCoord);
    if (colorOn == 1)
        color = color * inputColor;
    gl_FragColor = color;
}
)";

plat::Size clampedToUnit(plat::Size size)
{
    return {std::clamp(size.width, 0.0, 1.0), std::clamp(size.height, 0.0, 1.0)};
}

}  // namespace

GLImageMosaicFilter::GLImageMosaicFilter()
    : GLImageTwoInputFilter(kMosaicFragmentShaderString)
{
    inputTileSizeUniform = filterProgram->uniformIndex("inputTileSize");
    numTilesUniform = filterProgram->uniformIndex("numTiles");
    displayTileSizeUniform = filterProgram->uniformIndex("displayTileSize");
    colorOnUniform = filterProgram->uniformIndex("colorOn");
    setDisplayTileSize({0.025, 0.025});
    setInputTileSize({0.125, 0.125});
    setNumTiles(64.0f);
    setColorOn(true);
    // The tile set is sent once and kept: each picture frame renders alone.
    disableFirstFrameCheck();
}

void GLImageMosaicFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    if (textureIndex == 0) {
        // The tile set's source went away: the next source added takes its place.
        if (newSize.width == 0 && newSize.height == 0)
            hasSetFirstTexture = false;
        return;
    }
    GLImageFilter::setInputSize(newSize, textureIndex);
}

void GLImageMosaicFilter::setTileSet(const std::string& tileSetName)
{
    auto image = plat::Image::imageNamed(tileSetName);
    if (!image) {
        plat::log("GLImageMosaicFilter: no tile set image named {}", tileSetName);
        return;
    }
    setTileSetImage(*image);
}

void GLImageMosaicFilter::setTileSetImage(const plat::Image& tileSet)
{
    if (pic)
        pic->removeAllTargets();
    pic = std::make_shared<GLImagePicture>(tileSet, SmoothlyScaleOutput::Yes);
    picTarget = std::make_shared<GLImageWeakTarget>(std::dynamic_pointer_cast<GLImageInput>(shared_from_this()));
    pic->addTarget(picTarget);
    pic->processImage();
}

void GLImageMosaicFilter::setInputTileSize(plat::Size newValue)
{
    _inputTileSize = clampedToUnit(newValue);
    setSize(_inputTileSize, inputTileSizeUniform, filterProgram);
}

void GLImageMosaicFilter::setDisplayTileSize(plat::Size newValue)
{
    _displayTileSize = clampedToUnit(newValue);
    setSize(_displayTileSize, displayTileSizeUniform, filterProgram);
}

void GLImageMosaicFilter::setNumTiles(float newValue)
{
    _numTiles = newValue;
    setFloat(newValue, "numTiles");
}

void GLImageMosaicFilter::setColorOn(bool newValue)
{
    _colorOn = newValue;
    setInteger(newValue ? 1 : 0, colorOnUniform, filterProgram);
}

}  // namespace zt
