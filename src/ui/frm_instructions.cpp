#include "ui/frm_instructions.h"

namespace ui {

FrmInstructions::FrmInstructions() {
    Command1.onClick = [this] { Command1_Click(); };
}

void FrmInstructions::Form_Load() {
    Label2.caption =
        "Snail Bonus: Slows down the\r\nbars for 10 seconds, giving\r\nyou a chance to relax "
        "and\r\ngather your wits.";
    Label3.caption =
        "Ghost Bonus: Allows the ball\r\nto pass harmlessly through\r\nthe bars for 10 "
        "seconds,\r\nslightly extending your\r\ninevitable demise.";
    Label13.caption = "W\r\nASD";
    Label14.caption = "Arrow\r\nKeys";
    Label15.caption = "ESC\r\nto\r\nPause";
}

// Hiding the window ends its modal display.
void FrmInstructions::Command1_Click() {
    visible = false;
}

}  // namespace ui
