#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Paints a picture (input 0) through a Voronoi map (input 1, as the
// Voronoi filter makes it): each cell takes the picture's colour at its
// seed. sizeInPixels is the map's seed size. Setters from any thread;
// frames on the context queue.
class GLImageVoronoiConsumerFilter : public GLImageTwoInputFilter {
public:
    GLImageVoronoiConsumerFilter();

    plat::Size sizeInPixels() const { return _sizeInPixels; }
    // Logs and keeps the last usable size when not square or not a power of two.
    void setSizeInPixels(plat::Size newValue);

private:
    int32_t sizeUniform = -1;
    plat::Size _sizeInPixels;
};

}  // namespace zt
