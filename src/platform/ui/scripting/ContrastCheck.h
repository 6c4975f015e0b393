#pragma once
#include <string>
#include <vector>

namespace plat {
class Window;
}

namespace plat::scripting {

// The texts on the screen as it is that a person cannot read, one line a
// text: each stands out from what lies behind it by less than 4.5:1, or 3:1
// for large text (18 points, or 14 points bold), in contrast ratio, the
// usual rule for readable text (WCAG 2). A text is measured on two pictures
// of the screen, with and without the texts: its strokes are where they
// differ most, what lies behind them is the second picture there; each
// piece of the text about a letter wide is measured apart, so that a word
// that runs from a dark sky onto a white cloud is measured on the cloud
// too. Where the screen shows a picture of what a person films or makes (a
// camera's, a frame, a photo), the texts are measured with a light and with
// a dark picture in its place. Texts of disabled controls, and what lies
// behind a backdrop across the whole screen, are left alone. Main thread.
std::vector<std::string> contrastFaults(Window& window);

}  // namespace plat::scripting
