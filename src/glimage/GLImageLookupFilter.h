#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Recolours the first input through a colour table, the second input: a
// 512 x 512 image of 8 x 8 tiles of 64 x 64 pixels, tile k (row k / 8,
// column k % 8, from the texture's origin) for blue level k, with red along
// x and green along y inside the tile. Between blue levels the two nearest
// tiles are mixed. Context queue, as GLImageFilter.
class GLImageLookupFilter : public GLImageTwoInputFilter {
public:
    GLImageLookupFilter();
};

}  // namespace zt
