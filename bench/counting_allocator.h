#pragma once

namespace bench {

// Allocations through operator new by this thread since it started.
long long allocationCount();

}  // namespace bench
