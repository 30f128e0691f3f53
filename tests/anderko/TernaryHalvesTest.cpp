// The isobaric-isothermal tie-line diagram of H2O-NaCl-CH4 is traced from the chosen tie
// line in both senses along the line through the pole: toward the pole ("ter000") and away
// from it ("ter111"), and the diagram holds both halves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "numerics/TextCapture.h"
#include "vle/IFP.h"

namespace vornex {
namespace {

// Rows of a ternary file: T, P, x0..x2, y0..y2, Vl, Vv, index.
std::vector<std::vector<double>> ternaryRows(const char* path) {
    std::vector<std::vector<double>> rows;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<double> r(11);
        bool full = true;
        for (double& v : r) full = full && static_cast<bool>(words >> v);
        if (full) rows.push_back(r);
    }
    return rows;
}

double midpoint(const std::vector<double>& r, int i) {
    return (r[static_cast<std::size_t>(2 + i)] + r[static_cast<std::size_t>(5 + i)]) / 2.0;
}

TEST(TernaryDiagramHalves, BothSensesFromTheChosenTieLineAreTraced) {
    // The second half was asked with a step of -0.001, which the tracer refused ("a step
    // > 0"): ter111 was never written and the diagram held one half only.
    for (const char* name : {"ter000", "ter111", "tert"}) std::remove(name);
    Anderko m(2);
    m.setSystemCode(21);
    std::istringstream answers("0\n0\n0\n");  // the first listed state, vapour-liquid, pole 0
    m.input = &answers;
    std::string said;
    test::stdoutOf([&] { said = test::stderrOf([&] { m.calculateTheTernaryDiagram(673.15, 400.0, "t"); }); });
    EXPECT_EQ(said.find("step"), std::string::npos) << said;

    const auto toward = ternaryRows("ter000"), away = ternaryRows("ter111");
    ASSERT_GE(toward.size(), 3u);
    ASSERT_GE(away.size(), 3u);
    // Both start from the chosen tie line.
    for (int k = 0; k < 10; ++k) EXPECT_NEAR(toward[0][k], away[0][k], 1e-9) << k;
    // Along the line through the pole (H2O), the tie-line midpoints grow richer in water
    // toward the pole and poorer away from it.
    for (std::size_t k = 1; k < toward.size(); ++k)
        EXPECT_GT(midpoint(toward[k], 0), midpoint(toward[k - 1], 0) - 1e-9) << "row " << k;
    for (std::size_t k = 1; k < away.size(); ++k)
        EXPECT_LT(midpoint(away[k], 0), midpoint(away[k - 1], 0) + 1e-9) << "row " << k;
    EXPECT_GT(midpoint(toward.back(), 0), midpoint(toward[0], 0));
    EXPECT_LT(midpoint(away.back(), 0), midpoint(away[0], 0));
    for (const auto* half : {&toward, &away})
        for (const auto& r : *half) {
            EXPECT_NEAR(r[0], 673.15, 1e-3);
            EXPECT_NEAR(r[1], 400.0, 1e-3);
            EXPECT_LT(r[8], r[9]) << "the liquid is the denser phase";
        }

    // The diagram: the half toward the pole from its far end back to the chosen tie line,
    // then the other half outward from it; the chosen tie line, where both start, once.
    const auto diagram = ternaryRows("tert");
    ASSERT_EQ(diagram.size(), toward.size() + away.size() - 1);
    for (std::size_t k = 0; k < toward.size(); ++k)
        EXPECT_EQ(diagram[k][10], static_cast<double>(toward.size() - 1 - k));
    for (std::size_t k = 1; k < away.size(); ++k)
        EXPECT_EQ(diagram[toward.size() + k - 1][10], static_cast<double>(k));
    for (std::size_t a = 0; a < diagram.size(); ++a)
        for (std::size_t b = a + 1; b < diagram.size(); ++b)
            EXPECT_NE(diagram[a], diagram[b]) << "rows " << a << " and " << b;
}

// Toward the pole the tie lines shorten to the plait point, where the two phases merge. A
// tie line of two equal phases is the trivial solution of the flash, no tie line: the
// half ends on the last tie line whose phases still differ in composition or volume.
TEST(TernaryDiagramHalves, NoTieLineOfMergedPhasesIsWritten) {
    for (const char* name : {"ter000", "ter111", "terp"}) std::remove(name);
    Anderko m(2);
    m.setSystemCode(21);
    std::istringstream answers("0\n0\n0\n");
    m.input = &answers;
    test::stdoutOf(
        [&] { test::stderrOf([&] { m.calculateTheTernaryDiagram(673.15, 400.0, "p"); }); });
    const auto toward = ternaryRows("ter000"), away = ternaryRows("ter111");
    ASSERT_GE(toward.size(), 3u);
    ASSERT_GE(away.size(), 3u);
    // Summed difference of the mole fractions of the two ends.
    auto length = [](const std::vector<double>& r) {
        double dx = 0.0;
        for (std::size_t i = 2; i < 5; ++i) dx += std::fabs(r[i] - r[i + 3]);
        return dx;
    };
    for (const auto* half : {&toward, &away})
        for (const auto& r : *half) {
            const double dV = std::fabs(r[9] - r[8]) / std::fmax(r[8], r[9]);
            EXPECT_TRUE(length(r) >= 0.01 || dV >= 0.01)
                << "row " << r[10] << ": dx " << length(r) << ", Vl " << r[8] << ", Vv " << r[9];
        }
    // The half toward the pole still runs close to the plait point.
    EXPECT_LT(length(toward.back()), 0.25 * length(toward.front()));
    EXPECT_LT(toward.back()[9] / toward.back()[8], 1.05);
}

TEST(TernaryDiagramHalves, HalvesOfAnEarlierDiagramAreNotRead) {
    // Files of both halves left in the folder, and a diagram that cannot run (pole 5 is none
    // of the three, refused when it is answered): the diagram holds none of the old rows.
    for (const char* name : {"ter000", "ter111"}) {
        std::ofstream old(name);
        old << "IGOR\nWAVES\nBEGIN\n 999.000 999.000 0.1 0.1 0.8 0.1 0.1 0.8 1.0 2.0 7\nEND\n";
    }
    Anderko m(2);
    m.setSystemCode(21);
    std::istringstream answers("0\n0\n5\n");
    m.input = &answers;
    std::string said;
    test::stdoutOf([&] { said = test::stderrOf([&] { m.calculateTheTernaryDiagram(673.15, 400.0, "s"); }); });
    EXPECT_NE(said.find("ter: the answer \"5\" refused: a whole number from 0 to 2\n"),
              std::string::npos)
        << said;
    EXPECT_TRUE(ternaryRows("ters").empty());
}

// The halves' names were cleared before each trace: an empty folder of the user's there was
// removed. Nothing at those names is removed; a half that cannot be written is not read.
TEST(TernaryDiagramHalves, WhatStandsAtTheHalvesNamesIsLeftAsItWas) {
    for (const char* name : {"ter000", "ter111", "terf"}) std::filesystem::remove_all(name);
    for (const char* name : {"ter000", "ter111"}) std::filesystem::create_directory(name);
    Anderko m(2);
    m.setSystemCode(21);
    std::istringstream answers("0\n0\n0\n");
    m.input = &answers;
    std::string said;
    test::stdoutOf([&] { said = test::stderrOf([&] { m.calculateTheTernaryDiagram(673.15, 400.0, "f"); }); });
    for (const char* name : {"ter000", "ter111"}) {
        EXPECT_TRUE(std::filesystem::is_directory(name)) << name;
        EXPECT_NE(said.find(std::string("Cannot write ") + name), std::string::npos) << said;
        std::filesystem::remove(name);
    }
    EXPECT_TRUE(ternaryRows("terf").empty());
}

// At 650 K and 300 bar the step toward the pole of methane runs along a tie line: every feed
// it gives lies on that tie line, the flash finds it again, and the diagram wrote it some
// 12,000 times and called the command a success. The half ends there, the tie line written
// once, and the command fails saying why.
TEST(TernaryDiagramHalves, AHalfThatStopsMovingEndsThereAndFails) {
    for (const char* name : {"ter000", "ter111", "term"}) std::remove(name);
    Anderko m(2);
    m.setSystemCode(21);
    std::istringstream answers("1\n0\n2\n");
    m.input = &answers;
    std::string said;
    test::stdoutOf([&] { said = test::stderrOf([&] { m.calculateTheTernaryDiagram(650.0, 300.0, "m"); }); });
    EXPECT_EQ(m.error, 1);
    EXPECT_NE(said.find("the tie lines stop moving"), std::string::npos) << said;
    const auto diagram = ternaryRows("term");
    ASSERT_GE(diagram.size(), 2u);
    EXPECT_LT(diagram.size(), 5000u);
    for (const char* half : {"ter000", "ter111"}) {
        const auto rows = ternaryRows(half);
        for (std::size_t k = 1; k < rows.size(); ++k) {
            double d = 0.0;
            for (int i = 2; i < 8; ++i) d += std::fabs(rows[k][i] - rows[k - 1][i]);
            EXPECT_GT(d, 1e-7) << half << " row " << k << " repeats the one before";
        }
    }
}

}  // namespace
}  // namespace vornex
