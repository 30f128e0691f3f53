// One point of the energy diagram in its array form against the row the diagram file holds
// for the same point, and the heating-decompression path of the phreatic studies: the file
// it writes is the path's own, the water gains what the magma loses, its work is the
// integral of P dV along the written path, and it ends at 1 bar.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "MagmaTestSupport.h"
#include "fluid/TextFiles.h"
#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {
namespace {

class DiagramPointAndPathTest : public MagmaFolderTest {
   protected:
    WagnerPruss water{2};

    WaterMagmaCalculationInfo info(std::vector<const char*> words) {
        WaterMagmaCalculationInfo i;
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(i.readArguments(static_cast<int>(words.size()), words.data()), 0);
        ::testing::internal::GetCapturedStdout();
        return i;
    }

    // The row the diagram file holds for the point at m.
    std::vector<double> fileRow(WaterMagmaCalculationInfo& in, double m) {
        std::FILE* file = std::tmpfile();
        WaterMagmaCalculationResult r;
        r.scriptFlag = kScriptIgor;
        r.igorFile = file;
        EXPECT_TRUE(water.calculateEnergyDiagramPoint(m, in, r, nullptr));
        std::rewind(file);
        char line[1024] = "";
        EXPECT_NE(std::fgets(line, sizeof line, file), nullptr);
        std::fclose(file);
        return testing::numbersOf(line);
    }
};

// The file prints six decimals.
void expectPrinted(double printed, double value, const char* what) {
    EXPECT_NEAR(printed, value, 6e-7 + 1e-12 * std::fabs(value)) << what;
}

TEST_F(DiagramPointAndPathTest, ArrayPointsHoldTheFileRowsOfTheSamePoints) {
    // The plain cycle and the one with pyroclasts, whose row has the pyroclasts' figures.
    for (const bool pyroclast : {false, true}) {
        WaterMagmaCalculationInfo in = pyroclast ? info({"pyroclast"}) : info({});
        CurveArray points;
        WaterMagmaCalculationResult r;
        r.scriptFlag = kScriptArray;
        const double masses[] = {0.3, 1.2};
        for (double m : masses) ASSERT_TRUE(water.calculateEnergyDiagramPoint(m, in, r, &points));
        ASSERT_EQ(points.size(), 2u * 31u);
        for (int k = 0; k < 2; ++k) {
            const double* a = &points[31 * k];
            const std::vector<double> row = fileRow(in, masses[k]);
            ASSERT_EQ(row.size(), pyroclast ? 13u : 8u);
            EXPECT_EQ(a[0], masses[k]);
            expectPrinted(row[0], a[0], "m");
            expectPrinted(row[1], a[1], "Q");
            expectPrinted(row[2], a[2], "T3");
            expectPrinted(row[3], a[28], "T4");
            for (int c = 4; c < 8; ++c) expectPrinted(row[c], a[c - 1], "work");
            if (pyroclast) {
                for (int c = 8; c < 12; ++c) expectPrinted(row[c], a[c - 1], "pyroclasts' work");
                expectPrinted(row[12], a[19], "QP");
            }
            // The works per kg of magma are m times those per kg of water.
            EXPECT_NEAR(a[3], masses[k] * a[4], 1e-12 * std::fabs(a[3]));
            EXPECT_NEAR(a[5], masses[k] * a[6], 1e-12 * std::fabs(a[5]));
            EXPECT_GT(a[4], 0.0);
        }
    }
    // Array mode without an array computes the point and writes nothing.
    WaterMagmaCalculationInfo in = info({});
    WaterMagmaCalculationResult r;
    r.scriptFlag = kScriptArray;
    EXPECT_TRUE(water.calculateEnergyDiagramPoint(0.5, in, r, nullptr));
    EXPECT_EQ(in.m, 0.5);
}

TEST_F(DiagramPointAndPathTest, HeatingDecompressionPathBalancesAndEndsAtOneBar) {
    // Water at 1000 K and 60 cm3/mol with magma at the same temperature, 0.1 kg of water a
    // kg of magma: the magma keeps the steam hot down to 1 bar.
    const double T0 = 1000.0, V0 = 60e-6, m = 0.1, cp = 1200.0;
    water.magmaHeatCapacity = cp;
    water.latentHeat = 0.0;
    water.error = 0;
    water.calculateHeatingDecompressionPath1("ignored", T0, V0, m);
    ASSERT_EQ(water.error, 0);
    EXPECT_EQ(water.waterMagmaRatio, m);
    EXPECT_EQ(water.magmaTemperature, T0);

    // Columns of "isoh3": T V P A H U S G Cv Cp Tm W Q (K, cm3/mol, bar, kJ/mol, J/(mol K),
    // J/mol).
    std::vector<std::vector<double>> rows;
    const std::vector<std::string> lines = testing::fileLines("isoh3");
    ASSERT_GT(lines.size(), 4u);
    EXPECT_EQ(lines[0], "IGOR");
    EXPECT_EQ(lines.back(), "END");
    for (std::size_t i = 3; i + 1 < lines.size(); ++i) rows.push_back(testing::numbersOf(lines[i]));
    ASSERT_GT(rows.size(), 50u);
    for (const auto& row : rows) ASSERT_EQ(row.size(), 13u);

    // The same path computed into an array: the file is its rows.
    WagnerPruss same{2};
    same.magmaHeatCapacity = cp;
    same.waterMagmaRatio = m;
    same.magmaTemperature = T0;
    CurveArray numbers;
    same.calculateHeatingDecompression(V0, T0, 273.15, 1573.15, 1e5, 6, "", &numbers);
    ASSERT_EQ(numbers.size(), 13u * rows.size());
    for (std::size_t i = 0; i < rows.size(); i += rows.size() / 7)
        for (int c : {0, 1, 2, 5, 10, 11, 12})
            EXPECT_NEAR(rows[i][c], numbers[13 * i + c], 1e-4 * (1.0 + std::fabs(rows[i][c])))
                << "row " << i << " column " << c;

    // Energy: the water's heat is the magma's cooling; its energy changes by work and heat.
    water.calculateFromTV(T0, V0, 0);
    const double U0 = water.U, P0 = water.P;
    const std::vector<double>& last = rows.back();
    const double Tmagma = last[10], W = last[11], Q = last[12];
    EXPECT_LT(Tmagma, T0);
    EXPECT_NEAR(Q, (water.M / m) * cp * (T0 - Tmagma), 1e-4 * Q);
    EXPECT_NEAR(last[5] * 1e3 - U0, W + Q, 0.05);  // J/mol, U printed in kJ/mol

    // Work: minus the integral of P dV along the written path (trapezoids from the start).
    double integral = 0.0, Vprev = V0, Pprev = P0;
    for (const auto& row : rows) {
        const double V = row[1] * 1e-6, P = row[2] * 1e5;
        integral += 0.5 * (P + Pprev) * (V - Vprev);
        Vprev = V;
        Pprev = P;
    }
    EXPECT_LT(W, 0.0);
    EXPECT_NEAR(-W, integral, 2e-3 * integral);

    // The path goes just below 1 bar; its end is interpolated at 1 bar between the last two
    // rows.
    const std::vector<double>& before = rows[rows.size() - 2];
    EXPECT_LT(last[2], 1.0);
    EXPECT_GT(before[2], 1.0);
    EXPECT_EQ(water.endInterpolated, 1);
    EXPECT_NEAR(water.endPressure, 1e5, 1e-6);
    EXPECT_LE(water.endTemperature, std::fmax(before[0], last[0]));
    EXPECT_GE(water.endTemperature, std::fmin(before[0], last[0]));
    EXPECT_LE(water.endWork, std::fmax(before[11], last[11]) + 1e-3);
    EXPECT_GE(water.endWork, std::fmin(before[11], last[11]) - 1e-3);
    // Steam all the way: the two-phase boundary is not met.
    EXPECT_NE(water.boundaryReached, 1);
}

// A fractionated sequence heats one portion of the water at a time: where its row shows the
// single cycle (with pyroclasts or recharges), the works per gram of magma are those of that
// portion, m/n per gram of magma, as the cycle of that portion alone gives them. They were m
// times the portion's works per gram of water, n times too large (ep at m 0.5 in 3 portions:
// 905 J/g magma for the 301.65 of the first portion).
TEST_F(DiagramPointAndPathTest, FractionatedRowsCountOnePortionOfTheWater) {
    WaterMagmaCalculationInfo alone = info({"m", "0.125", "pyroclast", "recharge"});
    alone.heating = 1;
    WaterMagmaCalculationResult single;
    water.error = 0;
    water.calculateWaterMagmaCycleWithRecharge(alone, single, 0, 0);
    ASSERT_EQ(water.error, 0);
    for (const char* second : {"pyroclast", "recharge"}) {
        WaterMagmaCalculationInfo in = info({second, "frac", "4"});
        in.heating = 1;
        const std::vector<double> row = fileRow(in, 0.5);
        ASSERT_EQ(row.size(), 13u) << second;
        // Per gram of water as the portion's own cycle; per gram of magma a quarter of m.
        expectPrinted(row[5], -single.Wrev, "Wrev per gram of water");
        for (int c = 4; c < 12; c += 2)
            EXPECT_NEAR(row[c], 0.125 * row[c + 1], 2e-6) << second << " column " << c;
        expectPrinted(row[4], -0.125 * single.Wrev, "Wrev per gram of magma");
        const double sequence = std::string(second) == "pyroclast" ? -single.WrevP
                                                                   : -single.cumulativeWrev;
        EXPECT_NEAR(row[9], sequence, 1e-5) << second;
        EXPECT_NEAR(row[8], 0.125 * sequence, 1e-5) << second;
    }
}

}  // namespace
}  // namespace vornex
