// History independence of every equation of state, as one parameterised suite: a state
// computed on a fresh model and the same state computed on one model after random sequences
// of other work (temperature, volume, composition or amounts set alone, (T, P) and (T, V)
// states interleaved, the compared state itself at another composition, saturation,
// critical and spinodal searches and fugacities along a volume, failures of each among
// them) give the same error flag and, when it succeeds, the same value of every field the
// call writes. The compared calls: the (T, P) and (T, V) states, the volume solve alone
// (with its slopes dP/dV, dZ/dV and dZ/dP), pressure and fugacities at a state set by hand,
// and the fugacities along a volume.
// Before the random sequences the used model visits the listed states in turn as a caller
// would, without setting the selector again: each must leave the selector as it was set (a
// lone root labelled liquid must not send the next call to the liquid root).
// The fields are poisoned before the call on both models, so that a field one call writes
// and the other leaves is told apart from two equal results. Agreement is to 1e-7: a
// liquid root found from another start differs in P by its bulk modulus times the rounding.
//
// A model joins with one line in one source file of its test program (the suite's tests are
// defined here, so the header goes into one file per program):
//     VORNEX_HISTORY_SUITE(Cubics, HistoryModel{"PRSV", [] { ... }, {{300, 1}}, {{400, 1e-3}},
//                                               {{0.99, 0.01}, {0.5, 0.5}}});
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "support/FluidOf.h"
#include "support/StateFields.h"

namespace vornex::testing_support {

struct HistoryModel {
    std::string name;
    std::function<std::unique_ptr<FluidPhase>()> make;
    std::vector<std::array<double, 2>> tpStates;  // (T in K, P in bar), one phase each
    std::vector<std::array<double, 2>> tvStates;  // (T in K, V in m3/mol)
    std::vector<std::vector<double>> compositions;  // mole fractions; none for a pure fluid
    double saturationT = 0.0;                       // K, for saturation calls; 0 none
};

inline void PrintTo(const HistoryModel& model, std::ostream* os) {
    *os << model.name;
}

inline std::string historyModelName(const ::testing::TestParamInfo<HistoryModel>& info) {
    return info.param.name;
}

class HistoryIndependenceTest : public ::testing::TestWithParam<HistoryModel> {
   protected:
    std::unique_ptr<FluidPhase> fresh() {
        auto f = GetParam().make();
        if (!GetParam().compositions.empty()) f->composition(GetParam().compositions[0].data());
        return f;
    }
    void setComposition(FluidPhase& f, size_t k) {
        if (!GetParam().compositions.empty()) f.composition(GetParam().compositions[k].data());
    }
    // One random piece of work on the model; the phase selector is left as it was.
    void randomStep(FluidPhase& f, std::mt19937& rng) {
        const HistoryModel& m = GetParam();
        auto pick = [&rng](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
        auto factor = [&rng] { return std::uniform_real_distribution<double>(0.7, 1.4)(rng); };
        const auto& tp = m.tpStates.empty() ? m.tvStates : m.tpStates;
        const auto& tv = m.tvStates.empty() ? m.tpStates : m.tvStates;
        const int selector = f.phase;
        // Calls that fail whatever the model: the phase and residual flags they raise must
        // not reach the compared call.
        auto failedCall = [&] {
            switch (pick(4)) {
                case 0:
                    f.calculateFromTP(-5.0, 1.0, 0);
                    break;
                case 1:
                    f.calculateMechanicalSpinodalPoint(-5.0, 1e-4);
                    break;
                case 2:
                    f.calculateTheSaturationPressure(-5.0);
                    break;
                default:
                    f.temperature(-5.0);
                    f.volume(1e-4);
                    f.calculateFugacityAlongVolume();
                    break;
            }
        };
        switch (pick(13)) {
            case 0:
                f.temperature(factor() * tp[pick(tp.size())][0]);
                break;
            case 1:
                f.volume(factor() * (tv.empty() ? 1e-4 : tv[pick(tv.size())][1]));
                break;
            case 2:
                if (!m.compositions.empty()) setComposition(f, pick(m.compositions.size()));
                break;
            case 3:
                if (!m.compositions.empty()) {
                    // Amounts instead of fractions.
                    const auto& x = m.compositions[pick(m.compositions.size())];
                    const double n = 0.5 + pick(4);
                    f.total_number_of_moles(n);
                    for (int i = 0; i < f.nc; ++i)
                        f.number_of_moles_of_component(i, n * x[static_cast<size_t>(i)]);
                }
                break;
            case 4:
                if (!m.tpStates.empty()) {
                    const auto& s = m.tpStates[pick(m.tpStates.size())];
                    f.calculateFromTP(factor() * s[0], factor() * s[1], 0);
                }
                break;
            case 5:
                if (!m.tvStates.empty()) {
                    const auto& s = m.tvStates[pick(m.tvStates.size())];
                    f.calculateFromTV(factor() * s[0], factor() * s[1], 0);
                }
                break;
            case 6:
                if (m.saturationT > 0.0) f.calculateTheSaturationPressure(m.saturationT * (0.9 + 0.1 * factor()));
                break;
            case 7:
                if (f.nc == 1) {
                    f.temperature(f.Tcrit);
                    f.volume(f.Vcrit);
                    f.search_the_critical_point_of_the_pure_component();
                }
                break;
            case 8:
                if (!tv.empty()) {
                    const auto& s = tv[pick(tv.size())];
                    f.calculateMechanicalSpinodalPoint(s[0], factor() * s[1]);
                }
                break;
            case 9:
                if (!m.compositions.empty())
                    revisitAtComposition(f, pick(m.compositions.size()), pick(2) == 0);
                break;
            case 10:
                if (!tv.empty()) {
                    const auto& s = tv[pick(tv.size())];
                    f.temperature(s[0]);
                    f.volume(factor() * s[1]);
                    f.calculateFugacityAlongVolume();
                }
                break;
            case 11:
                if (!tp.empty()) {
                    // The volume solve alone, as the saturation and mixture searches call it.
                    const auto& s = tp[pick(tp.size())];
                    f.temperature(factor() * s[0]);
                    f.pressure(m.tpStates.empty() ? 1.0 : factor() * s[1]);
                    f.calculate_molar_volume();
                }
                break;
            default:
                failedCall();
                break;
        }
        f.set_the_phase_as(selector);
    }
    // The compared state itself at composition j (x -> x' -> x at the same T and P, or T and
    // V, once the compared call sets x again): its volume solve alone or the whole state.
    void revisitAtComposition(FluidPhase& f, size_t j, bool solveOnly) {
        if (!hasComparedState_) return;
        const int selector = f.phase;
        setComposition(f, j);
        if (comparedIsTP_ && solveOnly) {
            f.temperature(comparedState_[0]);
            f.pressure(comparedState_[1]);
            f.calculate_molar_volume();
        } else if (comparedIsTP_) {
            f.calculateFromTP(comparedState_[0], comparedState_[1], 0);
        } else {
            f.calculateFromTV(comparedState_[0], comparedState_[1], 0);
        }
        f.set_the_phase_as(selector);
    }
    // The listed (T, P) states, their volume solves alone and the (T, V) states in turn, the
    // selector left as the calls leave it; each call must leave it as set.
    void visitListedStates(FluidPhase& f) {
        const int selector = f.phase;
        auto expectSelector = [&](double T, double y, const char* call) {
            EXPECT_EQ(f.phase, selector) << call << " at " << T << " K, " << y
                                         << " changed the phase selector";
        };
        for (const auto& [T, P] : GetParam().tpStates) {
            f.calculateFromTP(T, P, 0);
            expectSelector(T, P, "the state from T and P (bar)");
            f.temperature(T);
            f.pressure(P);
            f.calculate_molar_volume();
            expectSelector(T, P, "the volume solve (bar)");
        }
        for (const auto& [T, V] : GetParam().tvStates) {
            f.calculateFromTV(T, V, 0);
            expectSelector(T, V, "the state from T and V (m3/mol)");
        }
        f.set_the_phase_as(selector);
    }
    void expectSame(const StateFields& a, const StateFields& b, const std::string& what) {
        EXPECT_EQ(a.error, b.error) << what;
        // A failed call is no state: its flag is what it reports.
        if (a.error != 0 || b.error != 0) return;
        for (size_t i = 0; i < a.values.size() && i < b.values.size(); ++i) {
            const double x = a.values[i], y = b.values[i];
            if ((std::isnan(x) && std::isnan(y)) || (std::isinf(x) && x == y)) continue;
            EXPECT_NEAR(x, y, 1e-7 * std::fabs(x) + 1e-300) << what << ": " << a.names[i];
        }
        EXPECT_EQ(a.values.size(), b.values.size()) << what;
    }
    // The state of `call` (which sets composition k and computes) on a fresh model and after
    // `sequences` random sequences on one model. The random steps may revisit the compared
    // state (T and P, or T and V) at other compositions.
    void compare(const std::function<void(FluidPhase&)>& call, size_t k, const std::string& what,
                 std::array<double, 2> state = {0.0, 0.0}, bool stateIsTP = false) {
        comparedState_ = state;
        comparedIsTP_ = stateIsTP;
        hasComparedState_ = state[0] > 0.0;
        auto reference = fresh();
        setComposition(*reference, k);
        StateFields::poison(*reference);
        call(*reference);
        const StateFields expected = StateFields::of(*reference);
        auto used = fresh();
        visitListedStates(*used);
        setComposition(*used, k);
        StateFields::poison(*used);
        call(*used);
        expectSame(expected, StateFields::of(*used), what + " after the listed states in turn");
        std::mt19937 rng(20261207u + static_cast<unsigned>(k));
        const size_t n = GetParam().compositions.size();
        for (int sequence = 0; sequence < 6; ++sequence) {
            for (int step = 0; step < 5; ++step) randomStep(*used, rng);
            // Every other sequence ends at the compared state with each other composition.
            if (sequence % 2 == 1 && n > 1)
                revisitAtComposition(*used, (k + 1 + static_cast<size_t>(sequence / 2) % (n - 1)) % n,
                                     sequence % 4 == 1);
            setComposition(*used, k);
            StateFields::poison(*used);
            call(*used);
            expectSame(expected, StateFields::of(*used), what + " after sequence " +
                                                             std::to_string(sequence));
        }
    }
    size_t compositionCount() const {
        return GetParam().compositions.empty() ? 1 : GetParam().compositions.size();
    }

   private:
    std::array<double, 2> comparedState_{0.0, 0.0};
    bool comparedIsTP_ = false;
    bool hasComparedState_ = false;
};

// Every state of the list at every composition, on fresh and used models.
#define VORNEX_HISTORY_EACH_STATE(states, unit, ...)                                       \
    ::testing::internal::CaptureStderr();                                                  \
    ::testing::internal::CaptureStdout();                                                  \
    for (size_t k = 0; k < compositionCount(); ++k)                                        \
        for (const auto& [T, y] : GetParam().states)                                       \
            compare([T, y](FluidPhase& f) { __VA_ARGS__; }, k,                             \
                    std::to_string(T) + " K, " + std::to_string(y) + unit ", composition " + \
                        std::to_string(k),                                                 \
                    {T, y}, &GetParam().states == &GetParam().tpStates);                   \
    ::testing::internal::GetCapturedStdout();                                              \
    ::testing::internal::GetCapturedStderr()

TEST_P(HistoryIndependenceTest, StateFromTemperatureAndPressure) {
    VORNEX_HISTORY_EACH_STATE(tpStates, " bar", f.calculateFromTP(T, y, 0));
}

TEST_P(HistoryIndependenceTest, StateFromTemperatureAndVolume) {
    VORNEX_HISTORY_EACH_STATE(tvStates, " m3/mol", f.calculateFromTV(T, y, 0));
}

TEST_P(HistoryIndependenceTest, VolumeFromTemperatureAndPressure) {
    // The volume solve alone: V, Z and the slopes it leaves (dP/dV, dZ/dV, dZ/dP), which the
    // saturation and mixture searches read without a state call after it.
    VORNEX_HISTORY_EACH_STATE(tpStates, " bar solve", f.temperature(T); f.pressure(y);
                              f.calculate_molar_volume());
}

TEST_P(HistoryIndependenceTest, FugacityAlongAVolume) {
    // The saturation searches' call: the flag of a failure before must not stick to it.
    VORNEX_HISTORY_EACH_STATE(tvStates, " m3/mol along", f.temperature(T); f.volume(y);
                              f.calculateFugacityAlongVolume());
}

TEST_P(HistoryIndependenceTest, MechanicalSpinodalFromAVolume) {
    // A Newton solve of its own: a flag a failed solve before left raised must not fail it.
    VORNEX_HISTORY_EACH_STATE(tvStates, " m3/mol spinodal start",
                              f.calculateMechanicalSpinodalPoint(T, y));
}

TEST_P(HistoryIndependenceTest, PressureAndFugacitiesAtASetState) {
    // The lower-level calls at a state set by hand: each raises the flag for itself.
    VORNEX_HISTORY_EACH_STATE(tvStates, " m3/mol set", f.temperature(T); f.volume(y);
                              f.calculate_pressure(); f.calculate_fugacities());
}

}  // namespace vornex::testing_support

// Instantiates the suite for the listed HistoryModel values.
#define VORNEX_HISTORY_SUITE(Name, ...)                                                      \
    using ::vornex::testing_support::HistoryIndependenceTest;                                \
    INSTANTIATE_TEST_SUITE_P(Name, HistoryIndependenceTest, ::testing::Values(__VA_ARGS__), \
                             ::vornex::testing_support::historyModelName)
