#pragma once

#include "platform/controls.h"
#include "platform/form.h"

namespace ui {

// The instructions window as it is designed: a fixed page over a sky
// picture. The six headings are written on the picture itself; their labels
// stay hidden and only mark their places. The five captions left empty here
// are set when the window loads.
class InstructionsDesign : public platform::Form {
public:
    InstructionsDesign();

    // The formal script face of the headings, in the picture as here.
    static constexpr const char* kHeadingFace = "TeX Gyre Chorus";

    platform::Label Label1{"Label1", "Instructions", 3960, 0, 3615, 630};
    platform::Label Label5{"Label5", "Goal", 1620, 840, 2415, 600};
    platform::Label Label6{
        "Label6",
        "Stay alive as long as possible, as the bars progressively increase in speed. Do not let "
        "the bars squish you against the top of the window. If you are skilled in the art of "
        "falling down, you may one day join the ranks of the victors in Valhalla (High Score "
        "List).",
        360,
        1350,
        4935,
        2655};
    platform::Label Label7{"Label7", "Wraparound", 7620, 840, 2415, 600};
    platform::Label Label8{
        "Label8",
        "After you have stayed alive for 90 seconds, the Gods will bestow upon you the glorious "
        "power of Wraparound. Wraparound allows you to move quickly to the opposite edge by "
        "disappearing through one edge and reappearing on the opposite edge.",
        6360,
        1350,
        4935,
        2655};
    platform::Label Label9{"Label9", "Two Player", 1620, 3960, 2415, 600};
    platform::Label Label10{
        "Label10",
        "Compete against a friend (or enemy) in two player mode. If you can conquer him or her, "
        "you will surely have proven them a lesser human. Any bonus acquired by either player "
        "will apply to both players. Scores in two player mode are not eligible for entry into "
        "Valhalla (High Score List).",
        360,
        4470,
        4935,
        2655};
    platform::Label Label4{"Label4", "Bonus", 7680, 3960, 2415, 600};
    platform::Label Label2{"Label2", "", 6330, 4470, 3150, 1455};
    platform::Label Label3{"Label3", "", 6330, 6240, 3150, 1695};
    platform::Image Image1{"Image1", "snail", 9840, 4680, 1500, 1080};
    platform::Image Image2{"Image2", "ghost", 9840, 6360, 1350, 1395};
    platform::Label Label11{"Label11", "Player 1", 570, 7320, 1815, 450};
    platform::Label Label12{"Label12", "Player 2", 3060, 7320, 1815, 450};
    platform::Label Label14{"Label14", "", 1080, 7590, 735, 735};
    platform::Label Label15{"Label15", "", 2340, 7320, 735, 1005};
    platform::Label Label13{"Label13", "", 3570, 7590, 735, 735};
    platform::CommandButton Command1{"Command1", "Close", 5180, 7800, 1265, 525};
};

}  // namespace ui
