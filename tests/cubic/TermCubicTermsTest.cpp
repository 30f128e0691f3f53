// The Helmholtz terms of the term-based cubics: exact derivatives against differences,
// closed forms of the attraction and repulsion, the temperature steps of the binary
// parameters and the Daridon water-gas rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "cubic/CubicTerms.h"
#include "cubic/DaridonInt.h"
#include "cubic/SoaveAttraction.h"
#include "cubic/VanDerWaalsAttrac.h"
#include "cubic/VdWr.h"
#include "numerics/TextCapture.h"
#include "support/TermDerivativeCheck.h"

namespace vornex {
namespace {

constexpr double R = kGasConstant;

// Evaluates a term at (T, V, x) to fourth order.
void evaluateAt(Interaction& term, double T, double V, std::vector<double> x) {
    term.T = T;
    term.V = V;
    term.x = std::move(x);
    term.calculate();
}

std::unique_ptr<Interaction> srkPair() {
    auto t = std::make_unique<Soave1>();
    t->number_of_components(2);
    t->set_ai_parameters(0, 0.5, 0.6, 304.0);
    t->set_ai_parameters(1, 0.2, 0.5, 190.0);
    t->set_covolumes(3e-5, 2.9e-5);
    t->set_binary_interaction_kaij(0, 1, 0.1);
    t->set_binary_interaction_kbij(1, 0, 0.02);
    return t;
}

std::unique_ptr<Interaction> stryjekVeraPair() {
    auto t = std::make_unique<StryjekVera>();
    t->number_of_components(2);
    t->set_ai_parameters(0, 0.5, 304.0, 1.2, 0.04);
    t->set_ai_parameters(1, 0.1, 190.0, 0.4, 0.001);
    t->set_covolumes(1.8e-5, 2.5e-5);
    return t;
}

std::unique_ptr<Interaction> nirmaWater(int version) {
    auto t = std::make_unique<Nirma>(version);
    t->number_of_components(1);
    t->set_parameters(0, 647.13, 22055000, 0.345, 0.85360439, 0.892972678, 0.905476289, 0.869215621,
                      0.888479072, 1.007293331);
    t->set_covolume(0, 1.9e-5);
    return t;
}

std::unique_ptr<Interaction> steppedSrk() {
    auto t = std::make_unique<Soave2>();
    t->number_of_components(2);
    t->set_ai_parameters(0, 0.23, 0.5, 190.0);
    t->set_ai_parameters(1, 0.37, 0.8, 304.0);
    t->set_covolume(0, 3e-5);
    t->set_covolume(1, 2.9e-5);
    t->set_binary_interaction_kaij(1, 0, 0.05, 0.15, 310.0, 20.0);
    t->set_binary_interaction_kbij(1, 0, -0.02, 0.03, 290.0, 15.0);
    return t;
}

std::unique_ptr<Interaction> daridonThree() {
    auto t = std::make_unique<DaridonInt>();
    t->number_of_components(3);
    t->set_parametersx(0, 0.6, 0.9, 647.1, 1.9e-5);
    t->set_parametersx(1, 0.25, 0.45, 190.6, 2.7e-5);
    t->set_parametersx(2, 0.56, 0.55, 305.3, 4.0e-5);
    t->set_binary_parameters(1, 0.5, -1.7885, 2.616, -1.0792, 1.0);
    t->set_binary_parameters(2, 0.5, -1.3332, 1.7226, -0.5821, 1.0);
    return t;
}

TEST(TermCubicTerms, EveryTermsDerivativesToFourthOrderMatchDifferences) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<Interaction>()> make;
        std::vector<double> state;  // T, V, x...
    };
    const std::vector<Case> cases = {
        {"VdWr1",
         [] {
             auto t = std::make_unique<VdWr1>();
             t->number_of_components(3);
             t->set_covolumes(2e-5, 3e-5, 4e-5);
             t->set_binary_interaction_kbij(2, 0, 0.05);
             return std::unique_ptr<Interaction>(std::move(t));
         },
         {350.0, 1e-4, 0.2, 0.3, 0.5}},
        {"VdWr2",
         [] {
             auto t = std::make_unique<VdWr2>();
             t->number_of_components(2);
             t->set_covolumes(2e-5, 3e-5);
             t->set_binary_interaction_kbij(1, 0, -0.1, 0.2, 340.0, 12.0);
             return std::unique_ptr<Interaction>(std::move(t));
         },
         {350.0, 8e-5, 0.4, 0.6}},
        {"Soave1", srkPair, {280.0, 9e-5, 0.3, 0.7}},
        {"StryjekVera", stryjekVeraPair, {373.15, 3e-5, 0.8, 0.2}},
        {"Nirma 0", [] { return nirmaWater(0); }, {373.15, 2e-5, 1.0}},
        {"Nirma 1", [] { return nirmaWater(1); }, {373.15, 2e-5, 1.0}},
        {"Nirma 2", [] { return nirmaWater(2); }, {373.15, 2e-5, 1.0}},
        {"Nirma 3", [] { return nirmaWater(3); }, {373.15, 2e-5, 1.0}},
        {"Soave2", steppedSrk, {300.0, 1e-4, 0.35, 0.65}},
        {"DaridonInt", daridonThree, {450.0, 5e-5, 0.6, 0.3, 0.1}},
        {"VanDerWaalsAttrac",
         [] {
             auto t = std::make_unique<VanDerWaalsAttrac>();
             t->number_of_components(2);
             t->set_alpha(-1.0);
             return std::unique_ptr<Interaction>(std::move(t));
         },
         {300.0, 1.8e-5, 0.4, 0.6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto term = c.make();
        testing_support::expectDerivativesMatchDifferences(*term, c.state);
    }
}

TEST(TermCubicTerms, ClosedFormsOfTheAttractionsAndOfTheTestTerm) {
    // u = 1, w = 0 is (a/(b R T)) ln(V/(V + b)); at T = Tc a = a_c whatever m is.
    Soave1 srk;
    srk.number_of_components(1);
    srk.set_ai_parameters(0, 0.42, 0.7, 250.0);
    srk.set_covolume(0, 3e-5);
    evaluateAt(srk, 250.0, 1e-4, {1.0});
    EXPECT_NEAR(srk.root->value(), 0.42 / (3e-5 * R * 250.0) * std::log(1e-4 / 1.3e-4), 1e-13);
    // One component prints one pair line, (0, 0), with bpa 1 and b_00 = b_0.
    FILE* out = std::tmpfile();
    srk.V = 0.0;  // a state without a volume still prints
    srk.print_parameters(out);
    std::rewind(out);
    char text[256] = {};
    const size_t length = std::fread(text, 1, sizeof(text) - 1, out);
    std::fclose(out);
    EXPECT_EQ(std::string(text, length),
              "bi 3e-05 ai 0.42\naij 0.42  bpa 1  bij 3e-05 \na 0.42  b 3e-05\n");

    // Stryjek-Vera: the kappa1 term vanishes at Tr = 0.7 and alpha = 1 at Tr = 1.
    auto alphaOf = [](double kappa1, double T) {
        StryjekVera sv;
        sv.number_of_components(1);
        sv.set_ai_parameters(0, 0.5, 400.0, 0.8, kappa1);
        sv.set_covolume(0, 2e-5);
        evaluateAt(sv, T, 1e-4, {1.0});
        return sv.ai.at(0)->value() / 0.5;
    };
    EXPECT_NEAR(alphaOf(0.3, 280.0), alphaOf(0.0, 280.0), 1e-14);
    EXPECT_NEAR(alphaOf(0.0, 280.0), std::pow(1.0 + 0.8 * (1.0 - std::sqrt(0.7)), 2), 1e-14);
    EXPECT_NEAR(alphaOf(0.3, 400.0), 1.0, 1e-14);
    EXPECT_GT(std::fabs(alphaOf(0.3, 330.0) - alphaOf(0.0, 330.0)), 1e-3);

    // The van der Waals test term: nothing after construction, then -x1^2/(R T V).
    VanDerWaalsAttrac vdw;
    vdw.number_of_components(2);
    evaluateAt(vdw, 300.0, 1.8e-5, {0.4, 0.6});
    EXPECT_EQ(vdw.root->value(), 0.0);
    vdw.set_alpha(-1.0);
    evaluateAt(vdw, 300.0, 1.8e-5, {0.4, 0.6});
    EXPECT_NEAR(vdw.root->value(), -0.16 / (8.31434 * 300.0 * 1.8e-5), 1e-14);
}

TEST(TermCubicTerms, TemperatureStepsOfTheBinaryParameters) {
    VdWr2 rep;
    rep.number_of_components(2);
    rep.set_covolumes(2e-5, 4e-5);
    rep.set_binary_interaction_kbij(1, 0, 0.1, 0.3, 400.0, 10.0);
    // b = x1^2 b1 + 2 x1 x2 (b1 + b2)(1 - k)/2 + x2^2 b2 at x = (1/2, 1/2).
    auto kFromGraph = [&](double T) {
        evaluateAt(rep, T, 1e-3, {0.5, 0.5});
        const double b = rep.getVolumeMinimum();
        return 1.0 - (b - 0.25 * (2e-5 + 4e-5)) / (0.5 * 0.5 * (2e-5 + 4e-5));
    };
    EXPECT_NEAR(kFromGraph(400.0), 0.2, 1e-12);
    EXPECT_NEAR(kFromGraph(1400.0), 0.3, 1e-12);
    EXPECT_NEAR(kFromGraph(100.0), 0.1, 1e-12);
    EXPECT_NEAR(kFromGraph(410.0), 0.2 + 0.1 * std::tanh(0.5), 1e-12);
    EXPECT_EQ(rep.error, 0);

    // The attraction's kaij at its step temperature is the mean of its two values.
    auto t = steppedSrk();
    auto& soave = static_cast<Soave2&>(*t);
    evaluateAt(soave, 310.0, 1e-3, {0.5, 0.5});
    const double a1 = soave.node("ai(0)")->value(), a2 = soave.node("ai(1)")->value();
    EXPECT_NEAR(soave.a->value(), 0.25 * (a1 + a2) + 0.5 * (1.0 - 0.1) * std::sqrt(a1 * a2), 1e-14);

    // Its printout: each covolume and a_i, the pairs with 1 - kaij and kbij at T (both
    // stepped), and the mixture's a and b.
    FILE* table = std::tmpfile();
    soave.print_parameters(table);
    std::rewind(table);
    double b0, ai0, aii0, bpa0, bpb0, b1, ai1, a10, bpa10, bpb10, a11, bpa11, bpb11, am, bm;
    ASSERT_EQ(std::fscanf(table,
                          "bi %lf ai %lf aij %lf bpa %lf bpb %lf bi %lf ai %lf aij %lf bpa %lf "
                          "bpb %lf aij %lf bpa %lf bpb %lf a %lf b %lf",
                          &b0, &ai0, &aii0, &bpa0, &bpb0, &b1, &ai1, &a10, &bpa10, &bpb10, &a11,
                          &bpa11, &bpb11, &am, &bm),
              15);
    std::fclose(table);
    EXPECT_EQ(b0, 3e-5);
    EXPECT_EQ(b1, 2.9e-5);
    EXPECT_NEAR(ai0, a1, 1e-5 * a1);  // six printed digits
    EXPECT_NEAR(a11, a2, 1e-5 * a2);
    EXPECT_EQ(bpa0, 1.0);
    EXPECT_EQ(bpb11, 0.0);
    EXPECT_NEAR(bpa10, 0.9, 1e-6);
    EXPECT_NEAR(bpb10, 0.005 + 0.025 * std::tanh(20.0 / (2 * 15.0)), 1e-6);  // width 2 w
    EXPECT_NEAR(a10, 0.9 * std::sqrt(a1 * a2), 1e-5 * a10);
    EXPECT_NEAR(am, soave.a->value(), 1e-5 * am);
    EXPECT_NEAR(bm, soave.b->value(), 1e-5 * bm);

    // Covolume and hard-sphere diameter convert both ways.
    VdWr1 one;
    one.number_of_components(3);
    one.set_hard_sphere_diameters(2.5e-10, 3e-10, 3.5e-10);
    EXPECT_NEAR(one.covolume(2), 2.0 * M_PI / 3.0 * 6.02213674e23 * std::pow(3.5e-10, 3), 1e-15);
    one.set_covolume(1, one.covolume(1));
    EXPECT_NEAR(one.diameter(1), 3e-10, 1e-22);
}

TEST(TermCubicTerms, BinarySettersTakeThePairInEitherOrder) {
    auto t = srkPair();
    auto& soave = static_cast<Soave1&>(*t);
    soave.set_binary_interaction_kaij(0, 1, 0.25);
    EXPECT_EQ(soave.kaij(1, 0), 0.25);
    EXPECT_EQ(soave.bpa.at(1, 0)->value(), 0.75);
    soave.set_binary_interaction_kbij(0, 1, 0.1);
    soave.set_binary_interaction_kaij(1, 1, 0.5);  // no pair: refused
    EXPECT_EQ(soave.bpa.at(1, 1)->value(), 1.0);
    evaluateAt(soave, 300.0, 1e-4, {0.5, 0.5});
    EXPECT_NEAR(soave.bij(1, 0), 0.5 * (3e-5 + 2.9e-5) * 0.9, 1e-20);
}

// Covolumes, diameters and kbij that are no values, or name no component, are refused with
// a message and leave the term as it was.
TEST(TermCubicTerms, CovolumeSettersRefuseWhatIsNoValue) {
    auto t = srkPair();
    auto& soave = static_cast<Soave1&>(*t);
    evaluateAt(soave, 300.0, 1e-4, {0.5, 0.5});
    const double before = soave.root->value(), b10 = soave.bij(1, 0);
    const struct {
        std::function<void()> set;
        const char* said;
    } cases[] = {
        {[&] { soave.set_covolume(0, -3e-5); }, "covolume -3e-05 of component 0 refused"},
        {[&] { soave.set_covolume(2, 3e-5); }, "covolume 3e-05 of component 2 refused"},
        {[&] { soave.set_hard_sphere_diameter(1, std::nan("")); },
         "hard-sphere diameter nan of component 1 refused"},
        {[&] { soave.set_hard_sphere_diameter(-1, 3e-10); }, "of component -1 refused"},
        {[&] { soave.set_binary_interaction_kbij(0, 2, 0.1); },
         "kbij 0.1 of the pair (0, 2) refused"},
        {[&] { soave.set_binary_interaction_kbij(0, 1, INFINITY); },
         "kbij inf of the pair (0, 1) refused"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(test::stderrOf(c.set).find(c.said), std::string::npos) << c.said;
        evaluateAt(soave, 300.0, 1e-4, {0.5, 0.5});
        EXPECT_EQ(soave.root->value(), before) << c.said;
        EXPECT_EQ(soave.bij(1, 0), b10) << c.said;
    }
}

TEST(TermCubicTerms, DaridonWaterGasRuleAndTheGasGasPair) {
    auto t = daridonThree();
    auto& d = static_cast<DaridonInt&>(*t);
    const double T = 450.0, TrW = T / 647.1;
    const double beta = -1.7885 + 2.616 * TrW - 1.0792 * TrW * TrW;
    // A trace of gas 1 in water: kw -> 1, a_10 -> sqrt(a_1 a_0)(1 - k - beta).
    evaluateAt(d, T, 5e-5, {1.0 - 1e-9, 1e-9, 0.0});
    const double a0 = d.ai.at(0)->value(), a1 = d.ai.at(1)->value(), a2 = d.ai.at(2)->value();
    EXPECT_NEAR(a0, 0.6 * std::exp(0.9 * (1.0 - T / 647.1)), 1e-14);
    EXPECT_NEAR(d.aijr.at(1, 0)->value(), std::sqrt(a1 * a0) * (1.0 - 0.5 - beta), 1e-12);
    // No water: kw = exp(-10^gamma).
    evaluateAt(d, T, 5e-5, {0.0, 0.5, 0.5});
    EXPECT_NEAR(d.kw.at(1)->value(), std::exp(-10.0), 1e-15);
    // Two gases: the plain geometric mean, whatever the water content.
    for (double xw : {0.0, 0.5, 0.9}) {
        evaluateAt(d, T, 5e-5, {xw, 0.6 * (1.0 - xw), 0.4 * (1.0 - xw)});
        EXPECT_NEAR(d.aijr.at(2, 1)->value(), std::sqrt(a1 * a2), 1e-14) << xw;
    }
    // A pure fluid: a = a_0, b = b_0.
    DaridonInt pure;
    pure.number_of_components(1);
    pure.set_parametersx(0, 0.6, 0.9, 647.1, 1.9e-5);
    evaluateAt(pure, 500.0, 1e-4, {1.0});
    EXPECT_NEAR(pure.a->value(), 0.6 * std::exp(0.9 * (1.0 - 500.0 / 647.1)), 1e-14);
    EXPECT_NEAR(pure.b->value(), 1.9e-5, 1e-20);
}

TEST(TermCubicTerms, WrongComponentCountsFailEveryEvaluation) {
    ::testing::internal::CaptureStdout();
    VdWr2 rep;
    rep.number_of_components(3);
    Soave2 att;
    att.number_of_components(1);
    VanDerWaalsAttrac vdw;
    vdw.number_of_components(3);
    const std::string said = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("Can handle only two-component systems"), std::string::npos);
    EXPECT_NE(said.find("Can handle only two-component system."), std::string::npos);
    evaluateAt(rep, 300.0, 1e-4, {0.2, 0.3, 0.5});
    evaluateAt(att, 300.0, 1e-4, {1.0});
    evaluateAt(vdw, 300.0, 1e-4, {0.2, 0.3, 0.5});
    EXPECT_EQ(rep.error, 1);
    EXPECT_EQ(att.error, 1);
    EXPECT_EQ(vdw.error, 1);
}

// The temperature functions of the attraction name themselves and depend on T alone; the
// Soave form is a_c (1 + m (1 - sqrt(T/Tc)))^2, a_c itself at the critical temperature.
TEST(TermCubicTerms, TemperatureFunctionsOfTheAttraction) {
    Alpha alpha;
    Soave72 soave;
    EXPECT_STREQ(alpha.getType(), "Alpha");
    EXPECT_STREQ(soave.getType(), "Soave72");
    soave.Tc = 304.13;
    soave.ac = 0.396;
    soave.m = 0.82;
    soave.number_of_variables(3);
    for (double T : {soave.Tc, 250.0}) {
        double v[] = {T, 1e-4, 1.0};
        soave.initialize_the_graph();
        soave.set_variable_values(v);
        soave.calculate(0);
        const double s = 1 + soave.m * (1 - std::sqrt(T / soave.Tc));
        EXPECT_NEAR(soave.value(), soave.ac * s * s, 1e-15) << T;
    }
    for (int v : {1, 2}) EXPECT_FALSE(soave.isDependent(v));
    EXPECT_TRUE(soave.isDependent(0));
}

}  // namespace
}  // namespace vornex
