// The spinodal drivers of the Anderko model: the diffusional spinodal of H2O-NaCl brines of
// given salinity, each row checked on a fresh model by differences of its Helmholtz energy
// (A_VV A_xx - A_Vx^2 = 0 at the row's T, V and x), and the ternary spinodal test, which the
// binary tracer cannot run and which must say so rather than report success.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace anderko_spinodal {

std::unique_ptr<Anderko> model(int code, int phase = 2) {
    auto m = std::make_unique<Anderko>(phase);
    m->setSystemCode(static_cast<char>(code));
    return m;
}

std::vector<std::vector<double>> numericRows(const std::string& path) {
    std::vector<std::vector<double>> rows;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream s(line);
        std::vector<double> row;
        std::string word;
        while (s >> word) {
            char* end = nullptr;
            const double v = std::strtod(word.c_str(), &end);
            if (*end != '\0') break;
            row.push_back(v);  // "nan" included: the sound speed is not computed here
        }
        if (row.size() == 12) rows.push_back(row);
    }
    return rows;
}

// The molar Helmholtz energy of a fresh binary at (T, V, x of the salt), the ideal entropy of
// mixing, R T (x ln x + (1 - x) ln(1 - x)), which the stability of a mixture turns on,
// included.
double helmholtz(Anderko& f, double TK, double Vm3, double xs) {
    f.composition(1.0 - xs, xs);
    f.temperature(TK);
    f.volume(Vm3);
    f.calculate_pressure();
    f.calculate_state_functions();
    return f.A;
}

TEST(AnderkoSpinodalDrivers, BrineSpinodalRowsAreDiffusionallyNeutral) {
    auto brine = model(10);
    const double w = 5.0, xs = Anderko::moleFractionOfNaCl(w);
    test::outputOf([&] { brine->calculateSpinodalCurveX(w, "w"); });
    const auto rows = numericRows("spinotw");
    ASSERT_GE(rows.size(), 10u);
    auto fresh = model(10);
    // The first row is the critical point of the brine, the others step down in T by 1 K,
    // then by fractions of a kelvin where the water-salt term ends at 573.1 K. The file gives
    // T to two decimals: within a kelvin of that end the term's slope in T makes a state of
    // the rounded T another state, so the rows there are not compared.
    for (size_t k = 1; k < rows.size(); ++k) EXPECT_LE(rows[k][0], rows[k - 1][0]);
    for (size_t k = 0; k < rows.size(); k += std::max<size_t>(1, rows.size() / 8)) {
        const double T = rows[k][0], V = rows[k][2] * 1e-6;
        if (T < 574.1) continue;
        if (k > 0) {
            EXPECT_LT(T, rows[k - 1][0]);
        }
        const double hV = 1e-4 * V, hx = 1e-4 * xs;
        auto a = [&](double v, double x) { return helmholtz(*fresh, T, v, x); };
        const double Avv = (a(V + hV, xs) - 2 * a(V, xs) + a(V - hV, xs)) / (hV * hV);
        const double Axx = (a(V, xs + hx) - 2 * a(V, xs) + a(V, xs - hx)) / (hx * hx);
        const double Avx = (a(V + hV, xs + hx) - a(V + hV, xs - hx) - a(V - hV, xs + hx) +
                            a(V - hV, xs - hx)) /
                           (4 * hV * hx);
        EXPECT_NEAR((Avv * Axx - Avx * Avx) / (Avv * Axx), 0.0, 2e-3) << "row " << k << " T " << T;
        // The pressure of the row is the model's at its state.
        helmholtz(*fresh, T, V, xs);
        EXPECT_NEAR(rows[k][1], fresh->P * 1e-5, 1e-3 * std::fabs(rows[k][1]) + 0.05);
    }
}

TEST(AnderkoSpinodalDrivers, TernarySpinodalTestSaysItCannotRun) {
    auto ternary = model(20);
    bool ran = true;
    const std::string text = test::outputOf(
        [&] { ran = ternary->doTest1(700.0, 40.0, 0.02, 0.01, -1.0, 0, "t"); });
    EXPECT_FALSE(ran) << text;
    EXPECT_NE(text.find("not a binary"), std::string::npos) << text;
    EXPECT_EQ(ternary->error, 1);
    EXPECT_FALSE(std::filesystem::exists("spinott"));
    // On a binary it is refused before anything is computed.
    EXPECT_FALSE(model(10)->doTest1(700.0, 40.0, 0.02, 0.01, -1.0, 0, "t"));
}

// Without an ideal-gas part the model has no heat capacity of the whole fluid, hence no
// sound speed at a spinodal: every row carries nan there, and writing the file says why.
TEST(AnderkoSpinodalDrivers, SpinodalFilesSayWhyTheyHaveNoSoundSpeed) {
    auto salt = model(4);
#ifdef VORNEX_SANITIZED_BUILD
    // The curves' first few hundred rows, from the critical point down: the whole curves
    // (half-kelvin steps to 540 K) are traced through the console's spinodal command.
    salt->Tlowest = 1800.0;
#endif
    std::string said;
    test::stdoutOf(
        [&] { said = test::stderrOf([&] { salt->calculateTheSpinodals("nl", "nv"); }); });
    for (const std::string file : {"spinonl", "spinonv"}) {
        const auto rows = numericRows(file);
        ASSERT_GE(rows.size(), 10u) << file;
        for (const auto& row : rows) EXPECT_TRUE(std::isnan(row[8])) << file << " " << row[0];
        const std::string why = file +
                                ": no sound speed (column c is nan): the model has no "
                                "ideal-gas part, hence no heat capacity of the whole fluid";
        EXPECT_NE(said.find(why), std::string::npos) << said;
    }
}

}  // namespace anderko_spinodal
}  // namespace vornex
