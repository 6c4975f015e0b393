#pragma once
#include <memory>
#include <string>

#include "glimage/GLImageTwoInputFilter.h"

namespace plat {
class Image;
}

namespace zt {
class GLImagePicture;
class GLImageWeakTarget;

// Rebuilds a picture from the tiles of a tile set: each display tile of the
// picture (input 1) shows the tile set's tile (input 0) picked by the
// darkness of the picture there, tinted with its colour unless colorOn is
// off. The tile set is a grid of tiles inputTileSize (fractions of the set)
// each, counted along rows; numTiles of them are used, never more than the
// set holds. The output takes the picture's size, not the tile set's, and
// the tile set, a still image, serves every frame of the picture. Setters
// from any thread; frames on the context queue.
class GLImageMosaicFilter : public GLImageTwoInputFilter {
public:
    GLImageMosaicFilter();  // display tiles 0.025, set tiles 0.125, 64 tiles, colour on

    void setInputSize(plat::Size newSize, int64_t textureIndex) override;

    // The tile set from an image resource of the app; a name that loads no
    // image is logged and leaves the tiles as they were.
    void setTileSet(const std::string& tileSetName);
    // The tile set from an image. The picture is taken as the filter's first
    // input: set it before a source is attached.
    void setTileSetImage(const plat::Image& tileSet);

    plat::Size inputTileSize() const { return _inputTileSize; }
    // Each side is clamped to 0..1.
    void setInputTileSize(plat::Size newValue);
    plat::Size displayTileSize() const { return _displayTileSize; }
    // Each side is clamped to 0..1.
    void setDisplayTileSize(plat::Size newValue);
    float numTiles() const { return _numTiles; }
    void setNumTiles(float newValue);
    bool colorOn() const { return _colorOn; }
    void setColorOn(bool newValue);

private:
    int32_t inputTileSizeUniform = -1;
    int32_t numTilesUniform = -1;
    int32_t displayTileSizeUniform = -1;
    int32_t colorOnUniform = -1;
    std::shared_ptr<GLImagePicture> pic;
    // The picture's link to us: the picture must not keep us alive while we keep it.
    std::shared_ptr<GLImageWeakTarget> picTarget;
    plat::Size _inputTileSize {0.125, 0.125};
    plat::Size _displayTileSize {0.025, 0.025};
    float _numTiles = 64.0f;
    bool _colorOn = true;
};

}  // namespace zt
