#pragma once
#include "glimage/GLImageFilter.h"
#include "glimage/GPUVector.h"

namespace zt {

// Levels per channel: input black point, gamma and white point, and the
// output range the result is stretched into.
class GLImageLevelsFilter : public GLImageFilter {
public:
    GLImageLevelsFilter();

    void setMin(double min, double gamma, double max, double minOut, double maxOut);
    void setMin(double min, double gamma, double max);
    void setRedMin(double min, double gamma, double max, double minOut, double maxOut);
    void setRedMin(double min, double gamma, double max);
    void setGreenMin(double min, double gamma, double max, double minOut, double maxOut);
    void setGreenMin(double min, double gamma, double max);
    void setBlueMin(double min, double gamma, double max, double minOut, double maxOut);
    void setBlueMin(double min, double gamma, double max);

private:
    void setChannel(int channel, double min, double gamma, double max, double minOut, double maxOut);
    void updateUniforms();

    int32_t minUniform = 0;
    int32_t midUniform = 0;
    int32_t maxUniform = 0;
    int32_t minOutputUniform = 0;
    int32_t maxOutputUniform = 0;
    GPUVector3 minVector;
    GPUVector3 midVector;
    GPUVector3 maxVector;
    GPUVector3 minOutputVector;
    GPUVector3 maxOutputVector;
};

}  // namespace zt
