#pragma once

#include "platform/controls.h"
#include "platform/form.h"

namespace ui {

// The focus-mode window as it is designed: black over the whole screen
// around the game, with one reminder of how to leave it. It has no code of
// its own; the main window shows and hides it, and draws it around itself.
class FullscreenDesign : public platform::Form {
public:
    FullscreenDesign();

    platform::Label Label1{"Label1", "Press Ctrl+F to exit Focus Mode", 120, 120, 3045, 255};
};

}  // namespace ui
