#include "platform/tick_pacer.h"

namespace platform {

int TickPacer::claimDueTicks(std::int64_t nowNs) {
    if (nowNs < nextDueNs_) {
        return 0;
    }
    std::int64_t due = (nowNs - nextDueNs_) / kTickNanoseconds + 1;
    nextDueNs_ += due * kTickNanoseconds;
    if (due > kMaxCatchUp) {
        dropped_ += due - kMaxCatchUp;
        return kMaxCatchUp;
    }
    return static_cast<int>(due);
}

}  // namespace platform
