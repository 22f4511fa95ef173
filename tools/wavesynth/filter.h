#pragma once

namespace wavesynth {

// A state-variable filter (trapezoidal form): stable while its cutoff moves
// every sample, which the "wah" of a trombone and sweeping brass need.
class StateVariableFilter {
public:
    struct Outputs {
        float lowPass;
        float bandPass;
        float highPass;
    };

    // `resonance` is Q: 0.707 is flat, higher values ring at the cutoff.
    Outputs process(float input, double cutoffHz, double resonance);

    float lowPass(float input, double cutoffHz, double resonance = 0.707) {
        return process(input, cutoffHz, resonance).lowPass;
    }
    float highPass(float input, double cutoffHz, double resonance = 0.707) {
        return process(input, cutoffHz, resonance).highPass;
    }
    float bandPass(float input, double cutoffHz, double resonance = 0.707) {
        return process(input, cutoffHz, resonance).bandPass;
    }

private:
    // Coefficients for the last cutoff and Q; most callers hold them steady,
    // so the tangent is only recomputed when they move.
    double cutoffHz_ = -1.0;
    double resonance_ = -1.0;
    double k_ = 0.0;
    double a1_ = 0.0;
    double a2_ = 0.0;
    double a3_ = 0.0;
    double state1_ = 0.0;
    double state2_ = 0.0;
};

}  // namespace wavesynth
