#pragma once

#include <cstdint>
#include <random>

namespace platform {

// The game's uniform random numbers: one seed, then a reproducible stream of
// single-precision draws in [0, 1).
class RandomNumbers {
public:
    void seed(double seedValue);
    float next();

private:
    std::mt19937 engine_{0x7475u};
};

}  // namespace platform
