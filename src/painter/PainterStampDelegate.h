#pragma once

namespace zt {
class PainterStampViewController;

// Told when the user confirms a stamp's placement; reads the overlay's
// size, position and rotation.
class PainterStampDelegate {
public:
    virtual ~PainterStampDelegate() = default;
    virtual void PainterStampDelegateDidFinish(PainterStampViewController& stamp) = 0;
};

}  // namespace zt
