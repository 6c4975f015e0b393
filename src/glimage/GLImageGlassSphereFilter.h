#pragma once
#include "glimage/GLImageSphereRefractionFilter.h"

namespace zt {

// A lit glass ball: the refracted picture upright, darkened towards the rim
// and with a highlight at the top left; transparent black outside.
class GLImageGlassSphereFilter : public GLImageSphereRefractionFilter {
public:
    GLImageGlassSphereFilter();
};

}  // namespace zt
