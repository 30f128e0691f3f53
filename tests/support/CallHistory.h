// History independence of models that are not equations of state (solubility models, water
// correlations, brine densities, magma models): a call made on a fresh model and the same
// call made after 1 to 6 random earlier calls (nonsense arguments and failed calls among
// them) give the same results. Every output field is poisoned before the compared call, so
// that a field one call writes and the other leaves is told apart from two equal results;
// the error flags and the inputs a call sets are left as the earlier calls left them (a
// poisoned flag or input would hide a flag never cleared or an input read before it is set).
//
// A compared call returns its results as numbers, its error flag(s) first: where either run
// failed only the flags are compared (a failed call is no result). Values agree to 1e-7
// relative, as iterative solutions from other starts do.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace vornex::testing_support {

inline constexpr double kCallPoison = -7.25e77;
inline constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();

// A traced curve as results: what leads it (a count, a flag), then its numbers.
template <class Array>
std::vector<double> curveResults(const Array& values, double lead) {
    std::vector<double> r{lead};
    r.insert(r.end(), values.begin(), values.end());
    return r;
}

// A random pick of a list or of a range, for the steps.
struct Picker {
    std::mt19937& rng;
    size_t index(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); }
    double between(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); }
    template <class T>
    const T& of(const std::vector<T>& values) {
        return values[index(values.size())];
    }
};

template <class Model>
struct ComparedCall {
    std::string name;
    // Results, flags first; flags counts them.
    std::function<std::vector<double>(Model&)> run;
    size_t flags = 1;
};

template <class Model>
struct CallHistory {
    std::function<std::unique_ptr<Model>()> make;
    std::function<void(Model&)> poison;
    // Earlier work: each step makes one random call (a compared call with random arguments,
    // a nonsense call, a switch of settings and back).
    std::vector<std::function<void(Model&, Picker&)>> steps;
    int sequences = 6;

    void check(const std::vector<ComparedCall<Model>>& calls, const std::string& model,
               unsigned seed = 20261207u) const {
        // The models' messages are captured; the differences are reported after.
        std::vector<std::string> differences;
        ::testing::internal::CaptureStderr();
        ::testing::internal::CaptureStdout();
        std::mt19937 rng(seed);
        Picker pick{rng};
        for (const ComparedCall<Model>& call : calls) {
            auto fresh = make();
            poison(*fresh);
            const std::vector<double> expected = call.run(*fresh);
            for (int sequence = 0; sequence < sequences; ++sequence) {
                auto used = make();
                const size_t count = 1 + pick.index(6);
                for (size_t k = 0; k < count; ++k) pick.of(steps)(*used, pick);
                poison(*used);
                compare(expected, call.run(*used), call.flags,
                        model + ", " + call.name + " after sequence " + std::to_string(sequence),
                        differences);
            }
        }
        ::testing::internal::GetCapturedStdout();
        ::testing::internal::GetCapturedStderr();
        for (size_t i = 0; i < differences.size() && i < 20; ++i) ADD_FAILURE() << differences[i];
        EXPECT_TRUE(differences.empty()) << differences.size() << " differences";
    }

    static void compare(const std::vector<double>& a, const std::vector<double>& b, size_t flags,
                        const std::string& what, std::vector<std::string>& differences) {
        if (a.size() != b.size()) {
            differences.push_back(what + ": " + std::to_string(a.size()) + " results fresh, " +
                                  std::to_string(b.size()) + " after");
            return;
        }
        bool failed = false;
        for (size_t i = 0; i < flags && i < a.size(); ++i) {
            if (a[i] != b[i])
                differences.push_back(what + ": flag " + std::to_string(i) + " " +
                                      std::to_string(a[i]) + " fresh, " + std::to_string(b[i]) +
                                      " after");
            failed = failed || a[i] != 0.0 || b[i] != 0.0;
        }
        if (failed) return;
        for (size_t i = flags; i < a.size(); ++i) {
            const double x = a[i], y = b[i];
            if ((std::isnan(x) && std::isnan(y)) || (std::isinf(x) && x == y)) continue;
            if (!(std::fabs(x - y) <= 1e-7 * std::fabs(x) + 1e-300)) {
                char line[96];
                std::snprintf(line, sizeof line, ": value %zu %.10g fresh, %.10g after", i, x, y);
                differences.push_back(what + line);
            }
        }
    }
};

}  // namespace vornex::testing_support
