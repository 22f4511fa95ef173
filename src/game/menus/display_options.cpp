#include <cmath>

#include "game/frm_tumbrix.h"

// The main window's Special menu: focus mode, round or square balls and
// trippy colours. None of them touches the game state.
namespace game {

namespace {

constexpr platform::Color kBall1Colour = platform::rgb(0, 192, 0);
constexpr platform::Color kBall2Colour = platform::rgb(255, 0, 0);

// A random colour value below 10,000,000 (red in the low byte), so blue
// never exceeds 152.
platform::Color trippyColour(float draw) {
    return static_cast<platform::Color>(std::floor(double(draw) * 10000000.0));
}

}  // namespace

ui::FullscreenDesign& FrmTumbrix::frmFullscreen() {
    return loadedOnFirstUse(frmFullscreen_);
}

void FrmTumbrix::mnuFocus_Click() {
    mnuFocus.checked = !mnuFocus.checked;
    ToggleFocusMode();
}

// The black cover goes behind the game: the main window comes to the front.
void FrmTumbrix::ToggleFocusMode() {
    frmFullscreen().visible = !frmFullscreen().visible;
    runtime_.bringToFront(*this);
}

// Ball 1 decides; both balls always end with the same kind.
void FrmTumbrix::mnuShape_Click() {
    const platform::ShapeKind kind = shpDot1.shape == platform::ShapeKind::Circle
                                         ? platform::ShapeKind::RoundedRectangle
                                         : platform::ShapeKind::Circle;
    shpDot1.shape = kind;
    shpDot2.shape = kind;
}

// The normal colours show at once, both when the mode starts (until its
// first tick) and when it ends.
void FrmTumbrix::mnuTrippy_Click() {
    mnuTrippy.checked = !mnuTrippy.checked;
    tmrTrippyMode.setEnabled(!tmrTrippyMode.enabled());
    shpDot1.fillColor = kBall1Colour;
    shpDot2.fillColor = kBall2Colour;
}

void FrmTumbrix::tmrTrippyMode_Timer() {
    shpDot1.fillColor = trippyColour(runtime_.rnd());
    shpDot2.fillColor = trippyColour(runtime_.rnd());
}

}  // namespace game
