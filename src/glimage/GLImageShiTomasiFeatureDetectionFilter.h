#pragma once
#include "glimage/GLImageHarrisCornerDetectionFilter.h"

namespace zt {

// Features by the Shi-Tomasi measure, the smaller eigenvalue of M (doubled);
// sensitivity 1.5.
class GLImageShiTomasiFeatureDetectionFilter : public GLImageHarrisCornerDetectionFilter {
public:
    GLImageShiTomasiFeatureDetectionFilter();
};

}  // namespace zt
