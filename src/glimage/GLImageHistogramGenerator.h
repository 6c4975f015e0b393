#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Draws a histogram texture as a bar graph: column x is lit in each channel
// up to that channel's bin value, and shows the background colour where no
// channel reaches. Setters from any thread; frames on the context queue.
class GLImageHistogramGenerator : public GLImageFilter {
public:
    GLImageHistogramGenerator();  // transparent background

    // The colour behind the bars (a uniform of the shader, not the clear colour).
    void setBackgroundColorRed(
        float redComponent, float greenComponent, float blueComponent, float alphaComponent) override;

private:
    int32_t backgroundColorUniform = -1;
};

}  // namespace zt
