#include "ui/fullscreen_design.h"

#include "platform/color.h"

namespace ui {

using platform::rgb;

// The client size is nominal: the backdrop reaches over the whole screen,
// and what is on it keeps its design size.
FullscreenDesign::FullscreenDesign() : Form("", 9600, 7200) {
    style = platform::WindowStyle::ScreenBackdrop;
    backColor = rgb(0, 0, 0);

    Label1.font = {"Arial", 9.75f, true, false};
    Label1.foreColor = rgb(255, 255, 0);
    Label1.opaque = true;
    Label1.backColor = rgb(0, 0, 0);
    controls = {&Label1};
}

}  // namespace ui
