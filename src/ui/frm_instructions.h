#pragma once

#include "ui/instructions_design.h"

namespace ui {

// The instructions window. It is loaded once and then only shown and
// hidden, so the captions its load handler sets stay for the whole run.
class FrmInstructions : public InstructionsDesign {
public:
    FrmInstructions();

    void load() override { Form_Load(); }

    void Form_Load();
    void Command1_Click();
};

}  // namespace ui
