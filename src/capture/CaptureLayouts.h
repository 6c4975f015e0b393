#pragma once

namespace zt {

// Registers the capture screen's layouts: "CaptureView_568" (the phone's
// full screen), "CaptureView-iPad" (the tablet's, filling the area it is
// given) and the interval timer's settings "TimerConfigurationViewController".
// Main thread.
void registerCaptureLayouts();

}  // namespace zt
