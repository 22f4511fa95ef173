#include "platform/tick_pacer.h"

namespace platform {

int TickPacer::claimDueTicks(std::int64_t nowNs, std::int64_t idleTicks) {
    if (nowNs < nextDueNs_) {
        return 0;
    }
    const std::int64_t due = (nowNs - nextDueNs_) / kTickNanoseconds + 1;
    nextDueNs_ += due * kTickNanoseconds;
    const std::int64_t allowed = idleTicks + kMaxCatchUp;
    if (due > allowed) {
        dropped_ += due - allowed;
        return static_cast<int>(allowed);
    }
    return static_cast<int>(due);
}

}  // namespace platform
