// Model objects in different threads are independent: two threads, each building and using
// models of its own at the same time, compute exactly the numbers the same work gives done
// serially, error flags included. The check needs no thread checker: state the threads
// share shows as numbers that differ (or as a crash), which the sanitizer build sees as well
// as the optimised one.
//
// A family joins with one line in one source file of its test program:
//     VORNEX_THREAD_SUITE(Water, fluidStates("WagnerPruss", [] { ... }, {}, {300, 900},
//                                            {1, 1000}));
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <latch>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fluid/FluidPhase.h"
#include "support/StateFields.h"

namespace vornex::testing_support {

// The numbers of one computation: every result it writes, its error flags as numbers.
using Numbers = std::vector<double>;

struct ThreadWork {
    std::string name;
    // The work of one thread (0 or 1), on models it builds for itself when called: a
    // function that computes the k-th state of that thread and returns its numbers.
    std::function<std::function<Numbers(int k)>(int thread)> start;
    int states = 300;  // per thread and repeat
};

inline void PrintTo(const ThreadWork& work, std::ostream* os) {
    *os << work.name;
}

inline std::string threadWorkName(const ::testing::TestParamInfo<ThreadWork>& info) {
    return info.param.name;
}

// The k-th of n points spread over [low, high] (geometrically when `logarithmic`), in an
// order that jumps about the range, as a caller's scattered states do.
inline double spreadPoint(int k, double low, double high, double golden, bool logarithmic) {
    const double u = std::fmod(0.5 + golden * k, 1.0);
    return logarithmic ? low * std::pow(high / low, u) : low + (high - low) * u;
}

// (T, P) states of a fluid over T in [T0, T1] K and P in [P0, P1] bar, with the fluid at the
// thread's composition (none for a pure fluid; one list per thread otherwise).
inline ThreadWork fluidStates(std::string name, std::function<std::unique_ptr<FluidPhase>()> make,
                              std::vector<std::vector<double>> compositions,
                              std::array<double, 2> T, std::array<double, 2> P, int states = 300) {
    auto start = [make, compositions, T, P](int thread) -> std::function<Numbers(int)> {
        std::shared_ptr<FluidPhase> f = make();
        if (!compositions.empty()) f->composition(compositions[static_cast<size_t>(thread)].data());
        return [f, T, P](int k) {
            const double TK = spreadPoint(k, T[0], T[1], 0.6180339887, false);
            const double Pbar = spreadPoint(k, P[0], P[1], 0.4142135624, true);
            f->calculateFromTP(TK, Pbar, 0);
            const StateFields s = StateFields::of(*f);
            Numbers out{static_cast<double>(s.error)};
            out.insert(out.end(), s.values.begin(), s.values.end());
            return out;
        };
    };
    return {std::move(name), start, states};
}

class ThreadIndependenceTest : public ::testing::TestWithParam<ThreadWork> {
   protected:
    // Repeats of each thread's list of states: the threads are started together, and the
    // repeats keep them overlapping whatever their speeds.
#ifdef VORNEX_SANITIZED_BUILD
    static constexpr int kRepeats = 2;
    int states() const {
        return std::max(20, GetParam().states / 5);
    }
#else
    static constexpr int kRepeats = 4;
    int states() const {
        return GetParam().states;
    }
#endif

    // Thread t's whole run: its states in order, repeated.
    std::vector<Numbers> run(int thread, std::latch* together) {
        auto compute = GetParam().start(thread);
        if (together) together->arrive_and_wait();
        std::vector<Numbers> out;
        for (int r = 0; r < kRepeats; ++r) repeat(compute, out);
        return out;
    }
    void repeat(const std::function<Numbers(int)>& compute, std::vector<Numbers>& out) const {
        for (int k = 0; k < states(); ++k) out.push_back(compute(k));
    }

    // Equal to the bit (NaN equal to itself): the same work on the same inputs.
    static bool same(const Numbers& a, const Numbers& b) {
        return a.size() == b.size() &&
               (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
    }
};

TEST_P(ThreadIndependenceTest, TwoThreadsComputeWhatOneThreadDoes) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    std::array<std::vector<Numbers>, 2> serial, together;
    for (int t = 0; t < 2; ++t) serial[static_cast<size_t>(t)] = run(t, nullptr);
    {
        std::latch start(2);
        std::thread second([&] { together[1] = run(1, &start); });
        together[0] = run(0, &start);
        second.join();
    }
    ::testing::internal::GetCapturedStderr();
    ::testing::internal::GetCapturedStdout();

    int differing = 0, total = 0;
    std::ostringstream first;
    for (size_t t = 0; t < 2; ++t) {
        ASSERT_EQ(together[t].size(), serial[t].size());
        for (size_t i = 0; i < serial[t].size(); ++i) {
            ++total;
            if (same(serial[t][i], together[t][i])) continue;
            if (differing++ < 3) {
                first << "thread " << t << ", state " << i % static_cast<size_t>(states())
                      << " of repeat " << i / static_cast<size_t>(states()) << ":";
                int shown = 0;
                for (size_t j = 0; j < serial[t][i].size() && j < together[t][i].size(); ++j)
                    if (std::memcmp(&serial[t][i][j], &together[t][i][j], sizeof(double)) != 0 &&
                        shown++ < 3)
                        first << " number " << j << ": " << serial[t][i][j] << " alone, "
                              << together[t][i][j] << " beside the other thread;";
                first << "\n";
            }
        }
    }
    EXPECT_EQ(differing, 0) << differing << " of " << total
                            << " states differ from the serial results\n"
                            << first.str();
}

TEST_P(ThreadIndependenceTest, ModelHandedToAnotherThreadGoesOnAsInOne) {
    // Models begun in this thread, continued in another while this one computes with models
    // of its own, and finished here again: what a pool of threads taking turns does.
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    std::vector<Numbers> serial, handed, other;
    {
        auto compute = GetParam().start(0);
        for (int r = 0; r < 3; ++r) repeat(compute, serial);
    }
    auto compute = GetParam().start(0);
    repeat(compute, handed);
    std::thread second([&] { repeat(compute, handed); });
    repeat(GetParam().start(1), other);
    second.join();
    repeat(compute, handed);
    ::testing::internal::GetCapturedStderr();
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(handed.size(), serial.size());
    int differing = 0;
    for (size_t i = 0; i < serial.size(); ++i) differing += same(serial[i], handed[i]) ? 0 : 1;
    EXPECT_EQ(differing, 0) << differing << " of " << serial.size()
                            << " states differ from the serial results";
}

}  // namespace vornex::testing_support

// Instantiates the suite for the listed ThreadWork values.
#define VORNEX_THREAD_SUITE(Name, ...)                                                     \
    using ::vornex::testing_support::ThreadIndependenceTest;                               \
    INSTANTIATE_TEST_SUITE_P(Name, ThreadIndependenceTest, ::testing::Values(__VA_ARGS__), \
                             ::vornex::testing_support::threadWorkName)
