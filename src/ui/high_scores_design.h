#pragma once

#include <string>

#include "platform/controls.h"
#include "platform/form.h"

namespace ui {

// The high-score window as it is designed: the hall-of-fame title, sixteen
// rows of name and score coloured by rank, and the Continue button.
class HighScoresDesign : public platform::Form {
public:
    HighScoresDesign();

    static constexpr std::size_t kRows = 16;

    platform::Label lblHighScoreTitle{
        "lblHighScoreTitle", "Tumbrix Hall of Fame", 180, 0, 5655, 630};
    platform::Label lblScoreTitle{"lblScoreTitle", "", 3720, 240, 675, 315};
    platform::ControlArray<platform::Label, kRows> lblName{[](std::size_t i) {
        return platform::Label("lblName(" + std::to_string(i) + ")", "", 240,
                               750 + 450 * float(i - 1), 4680, 420);
    }};
    platform::ControlArray<platform::Label, kRows> lblHighScore{[](std::size_t i) {
        return platform::Label("lblHighScore(" + std::to_string(i) + ")", "0", 5070,
                               750 + 450 * float(i - 1), 750, 420);
    }};
    platform::CommandButton cmdContinue{"cmdContinue", "Continue", 2055, 8175, 1935, 525};
};

}  // namespace ui
