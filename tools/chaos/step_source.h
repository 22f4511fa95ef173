#pragma once

#include <cstddef>
#include <optional>

#include "chaos/chaos_play.h"

namespace chaos {

// Where the game stands when it asks for its next input.
enum class Where { Top, Events, Modal };

// Hands out a chaos run's inputs one at a time, from a script or made up
// as the game goes.
class StepSource {
public:
    virtual ~StepSource() = default;
    // The next input, or none: at the top level the script has ended;
    // while pending events run, they have all run (a wait ends them).
    virtual std::optional<Step> next(Where where, const game::FrmTumbrix& frm) = 0;
    // A modal window or box, or a run of pending events, begins or ends.
    virtual void open(Where) {}
    virtual void close(Where) {}
    // The index of the step last handed out.
    virtual std::size_t position() const = 0;
};

}  // namespace chaos
