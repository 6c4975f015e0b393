#include "glimage/GLImageLaplacianFilter.h"

namespace zt {

GLImageLaplacianFilter::GLImageLaplacianFilter()
    // The kernel sums to zero: mid-grey marks no change.
    : GLImage3x3ConvolutionFilter(convolutionFragmentShader("    resultColor += 0.5;\n"))
{
    readsOnlyTheNinePoints = true;
    setConvolutionKernel({{0.5f, 1.0f, 0.5f}, {1.0f, -6.0f, 1.0f}, {0.5f, 1.0f, 0.5f}});
}

}  // namespace zt
