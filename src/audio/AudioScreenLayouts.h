#pragma once

namespace zt {

// Registers the layouts of the audio screens: "AudioRecorderViewController"
// (the recorder panel: status label, level meter and slider, record and
// cancel buttons) and "AudioConfigurationViewController" (the clip editor:
// the waveform area the trim control lies over, volume, play and stop).
// Main thread.
void registerAudioScreenLayouts();

}  // namespace zt
