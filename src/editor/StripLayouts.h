#pragma once

namespace zt {

// Registers the layouts of the strip and its panels: "PlayerViewController"
// (and "_iPad"), "DuplicateFramesView", "TimelineViewController" (and
// "_iPad"), "ConfigurationCell" and "SpeedViewController". Main thread.
void registerStripLayouts();

namespace detail {
void registerPlayerLayouts();
void registerPlaybackOptionLayouts();
}  // namespace detail

}  // namespace zt
