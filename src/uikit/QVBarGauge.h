#pragma once
#include <cstdint>
#include <optional>

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

namespace zt {

// A segmented level meter: a row (wider than high) or column of equal bars
// that light from one end in proportion to the value, green, then yellow
// from the warning threshold and red from the danger threshold (shares of
// the bars), with an optional held peak bar and an optional lit look in
// which lit bars glow as a radial gradient. Main thread.
class QVBarGauge : public plat::View {
public:
    explicit QVBarGauge(plat::Rect frame);  // initWithFrame:

    float value() const { return _value; }
    // Lights the bars for the value; redraws only when the lit bars change.
    void setValue(float value);
    float minLimit() const { return _minLimit; }
    void setMinLimit(float limit) { _minLimit = limit; }
    float maxLimit() const { return _maxLimit; }
    void setMaxLimit(float limit) { _maxLimit = limit; }
    int32_t numBars() const { return _numBars; }
    // Forgets the peak; the lit bars and zones follow the new count. A count
    // below 1 is refused.
    void setNumBars(int32_t count);
    float warnThreshold() const { return _warnThreshold; }
    // 0 or below turns the zone off.
    void setWarnThreshold(float threshold);
    float dangerThreshold() const { return _dangerThreshold; }
    void setDangerThreshold(float threshold);
    float peakValue() const { return _peakValue; }
    void resetPeak();
    bool holdPeak() const { return _holdPeak; }
    void setHoldPeak(bool hold) { _holdPeak = hold; }
    bool litEffect() const { return _litEffect; }
    void setLitEffect(bool lit) { _litEffect = lit; }
    bool reverse() const { return _reverse; }
    void setReverse(bool reverse) { _reverse = reverse; }

    // Colours are plain stores: they show at the next redraw.
    const plat::Color& outerBorderColor() const { return _outerBorderColor; }
    void setOuterBorderColor(plat::Color color) { _outerBorderColor = std::move(color); }
    const plat::Color& innerBorderColor() const { return _innerBorderColor; }
    void setInnerBorderColor(plat::Color color) { _innerBorderColor = std::move(color); }
    // The gauge's own background (behind the bars and in unlit bars); it
    // hides the view's, which stays unset so nothing is filled behind the gauge.
    const plat::Color& backgroundColor() const { return _backgroundColor; }
    void setBackgroundColor(std::optional<plat::Color> color) override;
    const plat::Color& normalBarColor() const { return _normalBarColor; }
    void setNormalBarColor(plat::Color color) { _normalBarColor = std::move(color); }
    const plat::Color& warningBarColor() const { return _warningBarColor; }
    void setWarningBarColor(plat::Color color) { _warningBarColor = std::move(color); }
    const plat::Color& dangerBarColor() const { return _dangerBarColor; }
    void setDangerBarColor(plat::Color color) { _dangerBarColor = std::move(color); }

    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;
    void drawBar(plat::GraphicsContext& context, plat::Rect rect, const plat::Color& color, bool lit) const;

    // The bar indices the value lights: [onIndex, offIndex), and the peak bar (-1 for none).
    int32_t onIndex() const { return _onIdx; }
    int32_t offIndex() const { return _offIdx; }
    int32_t peakBarIndex() const { return _peakBarIdx; }

private:
    void setDefaults();
    static int32_t firstBarOfZone(float threshold, int32_t bars);

    float _value = 0;
    float _minLimit = 0;
    float _maxLimit = 1;
    int32_t _numBars = 10;
    float _warnThreshold = 0.6f;
    float _dangerThreshold = 0.8f;
    float _peakValue = 0;
    bool _holdPeak = false;
    bool _litEffect = true;
    bool _reverse = false;
    plat::Color _outerBorderColor;
    plat::Color _innerBorderColor;
    plat::Color _backgroundColor;
    plat::Color _normalBarColor;
    plat::Color _warningBarColor;
    plat::Color _dangerBarColor;
    int32_t _onIdx = 0;
    int32_t _offIdx = 0;
    int32_t _peakBarIdx = -1;
    int32_t _warningBarIdx = -1;
    int32_t _dangerBarIdx = -1;
};

}  // namespace zt
