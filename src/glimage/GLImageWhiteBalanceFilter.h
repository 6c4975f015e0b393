#pragma once
#include <cstdint>

#include "glimage/GLImageFilter.h"

namespace zt {

// Shifts the colour temperature (kelvin; 5000 leaves it, lower is cooler,
// higher warmer through an overlay of a warm orange) and the tint (-200 to
// 200, along the third axis of the shader's colour space). Setters from
// any thread; frames on the context queue.
class GLImageWhiteBalanceFilter : public GLImageFilter {
public:
    GLImageWhiteBalanceFilter();  // 5000, tint 0

    int32_t temperature() const { return _temperature; }
    void setTemperature(int32_t newValue);
    int32_t tint() const { return _tint; }
    void setTint(int32_t newValue);

    // The uniform values sent for a temperature and a tint.
    static float temperatureUniformValue(int32_t temperature);
    static float tintUniformValue(int32_t tint);

private:
    int32_t temperatureUniform = -1;
    int32_t tintUniform = -1;
    int32_t _temperature = 5000;
    int32_t _tint = 0;
};

}  // namespace zt
