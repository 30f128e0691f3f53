// The magma-water command program: banner and syntax lines, the expansion and cycle
// reports, recharges and fractions, the energy diagram, the Igor scripts (as golden text,
// folder and numbers masked), the opener, and the phreatic and Wohletz study tables.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "MagmaTestSupport.h"
#include "fluid/TextFiles.h"
#include "water/IgorOpener.h"
#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {
namespace {

class MagmaProgramTest : public MagmaFolderTest {
   protected:
    WagnerPruss water{2};

    int status = 0;   // of the last run
    std::string err;  // its standard error

    std::string run(std::vector<const char*> words) {
        words.insert(words.begin(), "kelno");
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        status = water.doWaterMagmaCommand(static_cast<int>(words.size()), words.data());
        err = ::testing::internal::GetCapturedStderr();
        return ::testing::internal::GetCapturedStdout();
    }

    WaterMagmaCalculationInfo info(std::vector<const char*> words, uint8_t heating = 0) {
        WaterMagmaCalculationInfo i;
        i.heating = heating;
        ::testing::internal::CaptureStdout();
        i.readArguments(static_cast<int>(words.size()), words.data());
        ::testing::internal::GetCapturedStdout();
        return i;
    }
};

TEST_F(MagmaProgramTest, BannerListsTheFifteenCommands) {
    const std::string out = run({});
    std::istringstream lines(out);
    int commands = 0;
    for (std::string line; std::getline(lines, line);)
        if (line.size() > 6 && std::isalpha(static_cast<unsigned char>(line[0])) &&
            line.compare(6, 2, ": ") == 0)
            ++commands;
    EXPECT_EQ(commands, 15);
    EXPECT_EQ(out.substr(0, 47), "\n=============================================\n");
    EXPECT_EQ(out.substr(out.size() - 2), "\n\n");
}

TEST_F(MagmaProgramTest, SyntaxLinesForWrongWordCounts) {
    struct Case {
        std::vector<const char*> words;
        const char* expected;
    };
    const Case cases[] = {
        {{"TP", "300"}, "Syntax: TP <temperature in deg. C>   <pressure in bar>  (<phase>)\n"},
        {{"TV"}, "Syntax: TV <temperature in deg. C>   <volume in cm3/mol>  (<phase>)\n"},
        {{"TP", "1", "2", "3", "4"},
         "Syntax: TP <temperature in deg. C>   <pressure in bar>  (<phase>)\n"},
        {{"psat"}, "Syntax: psat <temperature in deg. C>\n"},
        {{"psat", "1", "2"}, "Syntax: psat <temperature in deg. C>\n"},
        {{"tsat"}, "Syntax: tsat <pressure in bar>\n"},
        {{"exsol"}, "Syntax: exsol <temperature in deg. C> <pressure in bar>\n"},
        {{"exsol", "900"}, "Syntax: exsol <temperature in deg. C> <pressure in bar>\n"},
        {{"heat", "100"},
         "Syntax: heat  <pressure in bar> <temperature in deg. C> <temperature in deg. C>\n"},
        {{"heat", "100", "20"},
         "Syntax: heat  <pressure in bar> <temperature in deg. C> <temperature in deg. C>\n"},
        {{"satu", "other"}, "Syntax: satu  (cocoa | gnuplot)\n"},
        {{"nothing"}, "Unknown command \"nothing\"; the commands are: a pv pp pw ev ep ew TP TV "
                      "psat tsat exsol heat satu spino\n"},
    };
    // A refusal: said on standard error, where the report's reader does not take it for one.
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.words), "") << c.words[0];
        EXPECT_EQ(err, c.expected) << c.words[0];
        EXPECT_EQ(status, 1) << c.words[0];
    }
}

TEST_F(MagmaProgramTest, EveryCommandWordRuns) {
    const std::string tp = run({"TP", "300", "100"});
    EXPECT_NEAR(numberAfter(tp, "Total expansion work      :"), 241.0, 0.06);
    EXPECT_NEAR(numberAfter(tp,
                            "Irreversible adiabatic expansion :\n\t40.40 mass % of steam at "
                            "99.61°C and 1 bar\n\t 99.91 volume % of steam at 99.61°C and 1 bar\n"
                            "\tExpansion work            :"),
                68.4, 0.05);
    EXPECT_EQ(status, 0);
    EXPECT_NE(run({"TP", "300", "10", "steam"}).find("Condensation point at  120.43"),
              std::string::npos);
    EXPECT_NE(run({"TV", "300", "25.19"}).find("Boiling point at  299.3"), std::string::npos);
    const std::string psat = run({"psat", "200"});
    EXPECT_NEAR(numberAfter(psat, "Liquid expansion work (reversible) :"), 78.7, 0.06);
    EXPECT_NEAR(numberAfter(psat, "Steam  expansion work (reversible) :"), 408.9, 0.06);
    EXPECT_NEAR(numberAfter(run({"tsat", "15.5"}), "Liquid expansion work (reversible) :"), 78.6,
                0.2);
    EXPECT_NEAR(numberAfter(run({"exsol", "900", "1000"}), "Exsolution work :"), 437.6, 0.05);
    EXPECT_NEAR(numberAfter(run({"heat", "100", "20", "300"}), "Isobaric heating work   :"), 4.01,
                0.005);
    EXPECT_NE(run({"a"}).find("Version 1.0 - April 2009"), std::string::npos);
    EXPECT_EQ(run({"tsat", "300"}), "");
    EXPECT_NE(err.find("above the critical pressure"), std::string::npos) << err;
}

// Below the triple-point pressure water has no liquid, and its saturation is not solved:
// both ends of a heating are steam, whose work P dV is R dT per mole (8.31446 x 199 / 18.0153).
TEST_F(MagmaProgramTest, HeatingBelowTheTriplePointPressureHeatsSteam) {
    for (const char* P : {"1e-5", "1e-4"}) {
        const std::string out = run({"heat", P, "1", "200"});
        EXPECT_EQ(status, 0) << P;
        EXPECT_NEAR(numberAfter(out, "Isobaric heating work   :"), 91.84, 0.02) << P;
        EXPECT_GT(numberAfter(out, "V1  :"), 1e8) << P;
    }
}

// Liquid water at 1 bar from -20 to 20 degC shrinks by a few thousandths of a cm3/g: a work of
// -0.0004 J/g, shown as no work at all; the liquid at the triple point, where the equation's
// entropy and energy are zero, shows them as 0.00.
TEST_F(MagmaProgramTest, HeatingWorkRoundingToZeroHasNoSign) {
    std::string out = run({"heat", "1", "-20", "20"});
    EXPECT_EQ(status, 0) << err;
    EXPECT_NE(out.find("Isobaric heating work   :     0.00 J/g H2O\n"), std::string::npos) << out;
    out = run({"heat", "0.00611657", "0.01", "20"});
    EXPECT_EQ(status, 0) << err;
    EXPECT_NE(out.find("S0  :     0.00 J/mol/K,     0.00 J/g/K\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("-0.00"), std::string::npos) << out;
}

TEST_F(MagmaProgramTest, IsochoricCycleReportAndScript) {
    const std::string out = run({"pv"});
    EXPECT_NEAR(numberAfter(out, "\tT3    :"), 691.3 - 273.15, 0.05);
    EXPECT_NEAR(numberAfter(out, "\tWrev  :"), 319.6, 0.05);
    EXPECT_NEAR(numberAfter(out, "\tWirr  :"), 72.5, 0.05);
    EXPECT_NE(out.find("Calculation Time"), std::string::npos);
    EXPECT_EQ(masked(testing::slurp("igor00.itx")),
              "IGOR\nx Execute/P \"NEWEXPERIMENT \" \nx Execute/P \"LOADFILE <dir>/igor0.itx\" \n");
    EXPECT_EQ(masked(testing::slurp("igor0.itx")),
              "IGOR\n"
              "x newpath/O p7, \"<dir>/\"\n"
              "x loadwave/p=p7/t/o \"isoc0\" \n"
              "x loadwave/p=p7/t/o \"isos1\" \n"
              "x loadwave/p=p7/t/o \"isoss2\" \n"
              "x display t0 vs um0\n"
              "x append t1 vs um1\n"
              "x append t2 vs um2\n"
              "x label left \"T (K)\" \n"
              "x label bottom \"U (J/g)\" \n"
              "x ModifyGraph rgb(T0)=(0,0,0) \n"
              "x ModifyGraph rgb(T1)=(65535,0,0) \n"
              "x ModifyGraph rgb(T2)=(1,4,52428) \n"
              "x modify mirror=2 \n"
              "x make /n=2 tdum,udum,pdum\n"
              "x tdum=nan; pdum=nan; udum=nan\n"
              "x tag/C/N=text1/A=LC/X=5/Y=0/S=3 t0,numpnts(t0),\"3\"\n"
              "x tag/C/N=text8/A=MB/X=0/Y=8/S=3 t0,0,\"2\"\n"
              "x tag/C/N=text3/A=LC/X=5/Y=0/S=3 t2,numpnts(t2),\"5\"\n"
              "x t1 = ( p1[p] > # ) ? t1[p] : nan \n"
              "x tag/C/N=text4/A=LC/X=5/Y=0/S=3 t2,1,\"4\"\n"
              "x append/R udum vs tdum\n"
              "x label right \"T (deg. C)\" \n"
              "x Legend/C/N=text0/J/A=LT/X=#/Y=# \"\\s(T0) Isochoric\\r\\s(T1) Isentropic "
              "Monophasic\\r\\s(T2) Isentropic Biphasic\\r\\rQ:  # J/g water\\rW:   # J/g "
              "water\\rW:   # J/g magma\"\n"
              "x modify nticks=10\n"
              "x modify grid(right)=1, grid(bottom)=1\n"
              "x setaxis bottom #, # ;\n"
              "x setaxis left 270, # ; \n"
              "x setaxis right # , # ; \n"
              "x display p0 vs t0 \n"
              "x append p1 vs t1 \n"
              "x append p2 vs t2 \n"
              "x ModifyGraph rgb(P0)=(0,0,0) \n"
              "x ModifyGraph rgb(P1)=(65535,0,0) \n"
              "x ModifyGraph rgb(P2)=(1,4,52428) \n"
              "x p1 = ( p1[p] > # ) ? p1[p] : nan \n"
              "x tag/C/N=text4/A=MB/X=0/Y=8/S=3 p2,1,\"4\"\n"
              "x tag/C/N=text3/A=MB/X=0/Y=8/S=3 p2,numpnts(p2),\"5\"\n"
              "x tag/C/N=text10/A=MB/X=0/Y=8/S=3 p0,1,\"2\"\n"
              "x modify mirror=2 \n"
              "x modify nticks=10 \n"
              "x label left \"P (bar)\" \n"
              "x label bottom \"T (K)\" \n"
              "x modify highTrip(left)=50000 \n"
              "x append/T pdum vs tdum\n"
              "x label top \"T (deg. C)\" \n"
              "x modify nticks=10 \n"
              "x Legend/C/N=text0/J/A=LT/X=#/Y=# \"m = # kg of water / kg of magma \\rTm = # "
              "deg. C\\rT3 = # deg. C \\r\\r\\s(P0) Isochoric\\r\\s(P1) Isentropic "
              "Monophasic\\r\\s(P2) Isentropic Biphasic\"\n"
              "x tag/C/N=text1/A=RC/X=-5/Y=0/S=3 p0,numpnts(p0),\"3\"\n"
              "x modify grid(top)=1, grid(left)=1\n"
              "x setaxis bottom #, # ;\n"
              "x setaxis left #, # ;\n"
              "x setaxis top #, # ;\n"
              "x TileWindows/O=1/C\n");
    // The data files the script loads are there.
    for (const char* name : {"isoc0", "isos1", "isoss2"})
        EXPECT_GT(testing::fileLines(name).size(), 10u) << name;
}

TEST_F(MagmaProgramTest, IsobaricCycleWithRechargeEndsWithTheRechargeBlock) {
    const std::string out = run({"pp", "Tm", "1100", "recharge", "max", "5"});
    EXPECT_NE(out.find("\tNumber of cycles        :    2 \n"), std::string::npos) << out;
    const std::string script = testing::slurp("igor0.itx");
    EXPECT_EQ(script.find("x TileWindows/O=1/C\n"), std::string::npos);
    const std::string block = "x loadwave/p=p7/t \"recharge\";\n";
    ASSERT_NE(script.find(block), std::string::npos);
    EXPECT_EQ(script.substr(script.size() - 21), "x TileWindows/O=1/C;\n");
    EXPECT_NE(masked(script).find("x loadwave/p=p7/t/o \"isop0\" \n"
                                  "x loadwave/p=p7/t/o \"isos1\" \n"
                                  "x loadwave/p=p7/t/o \"isoss2\" \n"
                                  "x display p0 vs t0 \n"),
              std::string::npos);
    EXPECT_NE(script.find("x tag/C/N=text1/A=LC/X=5/Y=0/S=3 p0,2,\"3\"\n"), std::string::npos);
    const std::vector<std::string> rows = testing::fileLines("recharge");
    ASSERT_EQ(rows.size(), 6u);  // header, cycles 0 and 1, END
    EXPECT_EQ(testing::numbersOf(rows[4])[0], 1.0);
}

TEST_F(MagmaProgramTest, IsobaricBoilingCycleWithPyroclastsScript) {
    const std::string out = run({"pp", "m", "0.8", "pyroclast"});
    EXPECT_NE(out.find("Reversible pyroclast-heated case: "), std::string::npos);
    // The pyroclast-heated expansion traces no curve here: its waves are loaded empty, with
    // no row of nan taken for a point.
    EXPECT_EQ(testing::slurp("isoh3"), "IGOR\nWAVES p3 t3\nBEGIN\nEND\n");
    EXPECT_EQ(masked(testing::slurp("igor0.itx")),
              "IGOR\n"
              "x newpath/O p7, \"<dir>/\"\n"
              "x loadwave/p=p7/t/o \"isop0\" \n"
              "x loadwave/p=p7/t/o \"isos1\" \n"
              "x loadwave/p=p7/t/o \"isoh3\" \n"
              "x loadwave/p=p7/t/o \"isoss2\" \n"
              "x display p0 vs t0 \n"
              "x append p1 vs t1 \n"
              "x append p2 vs t2 \n"
              "x append p3 vs t3 \n"
              "x ModifyGraph rgb(P3)=(1,39321,19939) \n"
              "x ModifyGraph rgb(P0)=(0,0,0) \n"
              "x ModifyGraph rgb(P1)=(65535,0,0) \n"
              "x ModifyGraph rgb(P2)=(1,4,52428) \n"
              "x modify mirror=2 \n"
              "x modify nticks=10 \n"
              "x wavestats t0\n"
              "x make /n=2 tdum,pdum\n"
              "x tdum=nan;pdum=nan;\n"
              "x label left \"P (bar)\" \n"
              "x label bottom \"T (K)\" \n"
              "x modify highTrip(left)=50000 \n"
              "x append/T pdum vs tdum\n"
              "x label top \"T (deg. C)\" \n"
              "x modify nticks=10 \n"
              "x Legend/C/N=text0/J/A=LT/X=#/Y=# \"m = # kg of water / kg of magma \\rTm = # "
              "deg. C\\rT3 = # deg. C \\r\\r\\s(P0) Isobaric Heating\\r\\s(P1) Isentropic "
              "Monophasic Expansion\\r\\s(P2) Isentropic Biphasic Expansion\\r\\s(P3) Reversible "
              "Isothermal Expansion\"\n"
              "x tag/C/N=text4/A=MB/X=0/Y=10/S=3 p0,0,\"1\"\n"
              "x tag/C/N=text5/A=MB/X=0/Y=10/S=3 p0,1,\"2\"\n"
              "x tag/C/N=text6/A=LC/X=5/Y=0/S=3 p0,2,\"Sp\"\n"
              "x p2 =  (t2[p]>#) ? nan : p2[p] ;\n"
              "x tag/C/N=text2/A=MB/X=0/Y=10/S=3 p2,0,\"4\"\n"
              "x tag/C/N=text8/A=LC/X=5/Y=0/S=3 p0,numpnts(p0),\"3\"\n"
              "x tag/C/N=text3/A=MB/X=0/Y=8/S=3 p2,numpnts(p2),\"5\"\n"
              "x p1 = ( p1[p] < p2 [0] ) ? nan : p1[p] ;\n"
              "x modify grid(top)=1, grid(left)=1\n"
              "x setaxis bottom #, # ;\n"
              "x setaxis left #, # ;\n"
              "x setaxis top #, # ;\n"
              "x ModifyGraph width=600, height=500\n"
              "x ModifyGraph gfSize=12\n");
}

TEST_F(MagmaProgramTest, DiagramScriptsOfTheSecondCurve) {
    struct Case {
        char pyroclast, recharge;
        const char* legend;
    };
    const Case cases[] = {{1, 0, "Irreversible, pyroclast-heated"},
                          {0, 1, "Irreversible, with water recharge"}};
    for (const Case& c : cases) {
        water.writeIgorScriptForWaterMagmaDiagram(c.pyroclast, c.recharge, "1");
        const std::string script = testing::slurp("igor1.itx");
        EXPECT_NE(script.find("x loadwave/p=p7/t/o \"wm1\" \n"), std::string::npos);
        EXPECT_NE(script.find("x append emd1 vs m1 \nx modifyGraph lstyle(emd1)=1\n"
                              "x modifyGraph lstyle(emd1)=1, lsize(emd1)=2, rgb(emd1)=(1,4,52428)\n"
                              "x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(emb1) Irreversible "
                              "adiabatic\\r\\\\s(emd1) " +
                              std::string(c.legend) + "\" \n"),
                  std::string::npos)
            << script;
        EXPECT_NE(script.find("x append emc1 vs m1 \n"), std::string::npos);
    }
    // The Wohletz cycle is drawn as the isochoric one.
    run({"pw"});
    EXPECT_NE(testing::slurp("igor0.itx").find("\\s(P0) Isochoric"), std::string::npos);
}

TEST_F(MagmaProgramTest, PyroclastCycleNextToTheCriticalPointIsReportedInFull) {
    // Stepped (the cycle writes its path) as in the diagram's jumps: the path heated by the
    // fragments meets the coexistence 0.001 K below the critical temperature.
    const std::string out = run({"pv", "pyroclast", "m", "0.6"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out.find("not computed"), std::string::npos) << out;
    const std::size_t at = out.find("Reversible pyroclast-heated case:");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_NEAR(numberAfter(out.substr(at), "\tT4    :"), 373.95, 0.005);
    EXPECT_NEAR(numberAfter(out.substr(at), "\tWrev  :"), 1008.52, 0.005);
    EXPECT_NEAR(numberAfter(out.substr(at), "\tWirr  :"), 193.95, 0.005);
}

TEST_F(MagmaProgramTest, DiagramWithPointsLeftOutEndsWithStatusOne) {
    // Surface water at 5 deg. C heated after Wohletz: at m 3.85 the heated water lies below
    // the surface pressure, from m 3.9 on at a negative pressure. The file holds the others;
    // the command says how many are missing, and why, and fails.
    ::testing::internal::CaptureStderr();
    std::vector<const char*> words = {"kelno", "ew", "T1", "5"};
    ::testing::internal::CaptureStdout();
    status = water.doWaterMagmaCommand(static_cast<int>(words.size()), words.data());
    ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("ew is not complete: 64 of its points could not be computed in full"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("63 points of the energy diagram (m 3.9 to 7) not computed: the Wohletz "
                       "artifice puts the heated water (state 3) at a negative pressure"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("1 point of the energy diagram (m 3.85 to 3.85) not computed: the "
                       "Wohletz artifice puts the heated water (state 3) below the surface "
                       "pressure (1.00 bar)"),
              std::string::npos)
        << err;
    EXPECT_EQ(testing::fileLines("wm0").size(), 3u + 245u + 1u);
    // The default diagram has every point.
    run({"ev", "pyroclast"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(testing::fileLines("wm0").size(), 3u + 309u + 1u);
    EXPECT_EQ(testing::slurp("wm0").find("nan"), std::string::npos);
}

// A point the diagram leaves out names why; a cycle that fails says why it failed.
TEST_F(MagmaProgramTest, TheWohletzArtificeFromColdWaterGivesNoHeatedStateAndSaysWhy) {
    WaterMagmaCalculationInfo cold = info({"Tm", "1200", "d", "100", "T1", "5", "m", "5"}, 2);
    WaterMagmaCalculationResult r;
    water.calculateWaterMagmaCycle(cold, r, 0, 0);
    EXPECT_NE(water.error, 0);
    EXPECT_NE(r.failure.find("at a negative pressure"), std::string::npos) << r.failure;
    EXPECT_EQ(r.failedState, "the heated water (state 3) at 88.29 deg. C and -19.33 bar");
    // Apart from the entropy solve: liquid water at T3 has less entropy than the artifice
    // gives it, already at 0.01 bar, and less still at any higher pressure.
    const double T3 = r.T3, S3 = r.S2 + r.Cv2 * std::log(r.T3 / r.T2);
    water.error = 0;
    water.Vl0 = 1.9e-5;
    water.set_the_phase_as(2);
    water.calculateFromTP(T3, 0.01, 0);
    ASSERT_EQ(water.error, 0);
    EXPECT_LT(water.V, 2e-5);  // the liquid
    EXPECT_LT(water.S, S3 - 0.02);
    // The console says so; the isochoric and isobaric heatings of the same water compute.
    run({"pw", "Tm", "1200", "d", "100", "T1", "5", "m", "5"});
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("Failure of the calculation: the Wohletz artifice puts the heated water "
                       "(state 3) at a negative pressure"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("Wrote"), std::string::npos) << err;  // nothing left of it
    for (const char* command : {"pv", "pp"}) {
        run({command, "Tm", "1200", "d", "100", "T1", "5", "m", "5"});
        EXPECT_EQ(status, 0) << command << err;
    }
}

TEST_F(MagmaProgramTest, SurfacePressuresUpToTheCriticalOne) {
    // At and above the critical pressure the surface has no boiling point: refused at once.
    for (const char* Psurf : {"220.64", "230", "1000"}) {
        WaterMagmaCalculationInfo i;
        std::vector<const char*> words = {"Psurf", Psurf};
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(i.readArguments(static_cast<int>(words.size()), words.data()), -1) << Psurf;
        ::testing::internal::GetCapturedStdout();
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("the surface pressure Psurf must lie below the critical pressure of "
                            "water, 220.64 bar"),
                  std::string::npos)
            << said;
    }
    // A record set up in code is refused by the cycle, with the reason.
    WaterMagmaCalculationInfo deep = info({});
    deep.Psurf = 230.0;
    WaterMagmaCalculationResult refused;
    water.calculateWaterMagmaCycle(deep, refused, 0, 0);
    EXPECT_NE(water.error, 0);
    EXPECT_NE(refused.failure.find("230 bar is not below the critical pressure of water"),
              std::string::npos)
        << refused.failure;
    // Just below it, and at 2.2 km below the surface (above it at depth), cycles compute;
    // the isentropic ends close to the critical point keep the entropy of the heated water
    // and end at the surface pressure.
    for (const char* Psurf : {"218", "220.63"}) {
        for (const char* m : {"0.45", "0.74", "1"}) {
            WaterMagmaCalculationInfo i = info({"Psurf", Psurf, "m", m});
            WaterMagmaCalculationResult r;
            water.calculateWaterMagmaCycle(i, r, 0, 0);
            ASSERT_EQ(water.error, 0) << Psurf << " " << m << ": " << r.failure;
            EXPECT_NEAR(r.P5, std::atof(Psurf), 1e-9);
            if (!r.twoPhase) {
                EXPECT_NEAR(r.S5, r.S3, 1e-6 * r.S3) << Psurf << " " << m;
            }
        }
    }
    run({"pp", "d", "2240"});  // 220.74 bar at depth
    EXPECT_EQ(status, 0) << err;
    run({"ev", "Psurf", "218"});
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(testing::fileLines("wm0").size(), 3u + 309u + 1u);
}

// Regression: within 0.1 bar of the critical pressure cycles whose expanded water ends just
// beyond the saturated steam or liquid failed ("Failure of the calculation", a point of the
// energy diagram left out), and an irreversible end close to the critical point was printed
// as nan. They compute, and the works run smoothly through them.
TEST_F(MagmaProgramTest, CyclesCloseBelowTheCriticalSurfacePressure) {
    const struct {
        const char* Psurf;
        double m;
    } failed[] = {{"220.61", 0.33}, {"220.61", 0.36}, {"220.63", 0.54}, {"220.639", 0.51}};
    for (const auto& f : failed) {
        std::vector<double> rev, irr;
        for (double m : {f.m - 0.01, f.m - 0.005, f.m, f.m + 0.005, f.m + 0.01}) {
            const std::string mText = std::to_string(m);
            WaterMagmaCalculationInfo i = info({"Psurf", f.Psurf, "m", mText.c_str()});
            WaterMagmaCalculationResult r;
            water.error = 0;
            water.calculateWaterMagmaCycle(i, r, 0, 0);
            ASSERT_EQ(water.error, 0) << f.Psurf << " " << m << ": " << r.failure;
            ASSERT_TRUE(std::isfinite(r.Wrev) && std::isfinite(r.Wirr)) << f.Psurf << " " << m;
            if (!r.twoPhase) {
                EXPECT_NEAR(r.S5, r.S3, 1e-6 * r.S3) << f.Psurf << " " << m;
            }
            rev.push_back(r.Wrev);
            irr.push_back(r.Wirr);
        }
        // Equal steps of m: no point stands off the line of its neighbours by more than a
        // fifth of their spread.
        for (const std::vector<double>* w : {&rev, &irr}) {
            const std::vector<double>& v = *w;
            const double spread = std::fabs(v[4] - v[0]) + 1e-3;
            for (int k = 1; k < 4; ++k)
                EXPECT_LT(std::fabs(v[k] - 0.5 * (v[k - 1] + v[k + 1])), 0.2 * spread)
                    << f.Psurf << " point " << k;
        }
    }
}

// Recharges go on while the water comes out of the magma above its boiling point at the
// surface: 311 degC at 100 bar, where the second cycle ends at 117.71 degC.
TEST_F(MagmaProgramTest, RechargesStopAtTheBoilingPointOfTheSurface) {
    const std::string out = run({"pv", "Psurf", "100", "recharge", "max", "50"});
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("\tNumber of cycles        :    2 \n"), std::string::npos) << out;
    EXPECT_EQ(testing::fileLines("recharge").size(), 3u + 2u + 1u);
}

// The count of cycles is that of the rows written; "more than" only where the maximum was
// reached. Below 4 degC water heated at constant volume falls into its two-phase region.
TEST_F(MagmaProgramTest, RechargeCountIsThatOfTheCyclesComputed) {
    const std::string out =
        run({"pv", "Psurf", "0.0062", "T1", "0.1", "d", "0", "recharge", "max", "50"});
    const std::size_t rows = testing::fileLines("recharge").size() - 4u;
    if (out.find("more than 50") != std::string::npos) {
        EXPECT_EQ(rows, 50u);
    } else {
        EXPECT_NEAR(numberAfter(out, "\tNumber of cycles        :"), double(rows), 0.0) << out;
        EXPECT_GT(rows, 2u);
    }
}

// Water at 3 km (110 degC at 295 bar) boils at the surface on its own heat. The recharges end
// once the magma has cooled to it (a few cycles): the works they count never exceed the heat
// the magma held, 1.2 J/(g K) x (1200 - 20) K + 350 J/g = 1766 J/g.
TEST_F(MagmaProgramTest, RechargesEndWhereTheMagmaReachesTheWaterAtDepth) {
    const double magmaHeat = 1.2 * (1200.0 - 20.0) + 350.0;
    const std::string out = run({"pv", "d", "3000", "recharge", "max", "1000"});
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(out.find("more than"), std::string::npos) << out;
    const double cycles = numberAfter(out, "\tNumber of cycles        :");
    EXPECT_GT(cycles, 3.0) << out;
    EXPECT_LT(cycles, 30.0) << out;
    const std::size_t at = out.find("Total work (reversible, isentropic)");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_LT(numberAfter(out.substr(at), "=>"), magmaHeat) << out;
    // Every cycle written took heat from the magma.
    const std::vector<std::string> rows = testing::fileLines("recharge");
    ASSERT_EQ(rows.size(), 4u + static_cast<std::size_t>(cycles));
    for (std::size_t k = 3; k + 1 < rows.size(); ++k) EXPECT_GT(testing::numbersOf(rows[k])[2], 0.0) << rows[k];

    // The energy diagrams' sequences end there as well, and the log counts their cycles.
    WaterMagmaCalculationInfo deep = info({"d", "3000", "recharge", "max", "1000"});
    WaterMagmaCalculationResult r;
    r.scriptFlag = kScriptArray;
    WaterMagmaTextLog log;
    setWaterMagmaLog(&log);
    water.calculateWaterMagmaCycleWithRecharge(deep, r, 0, 1);
    setWaterMagmaLog(nullptr);
    EXPECT_EQ(water.error, 0);
    EXPECT_LT(r.cycleCount, 30.0);
    EXPECT_LT(-r.cumulativeWrev * r.m, magmaHeat);
    EXPECT_EQ(log.text.find("more than"), std::string::npos) << log.text;
    EXPECT_EQ(numberAfter(log.text, "Number of cycles                                     :"),
              r.cycleCount)
        << log.text;
}

// A magma at 400 degC (below its solidus: no latent heat) holds 1.2 J/(g K) x (400 - 110) K =
// 348 J/g above the water at 3 km, 110 degC, which boils under a surface at 0.1 bar (45.8 degC)
// on its own heat. A recharge counts only the work the magma adds to a fresh charge: the
// sequence stays below that heat, and one charge more (a magma 10 K hotter) adds about what
// the next 10 K add, not the whole work of the aquifer's water again. The log totals the same.
TEST_F(MagmaProgramTest, RechargesCountOnlyTheWorkTheMagmaAdds) {
    auto total = [this](const char* Tm) {
        const std::string out = run({"pv", "d", "3000", "Psurf", "0.1", "recharge", "max", "1000",
                                     "Tm", Tm});
        EXPECT_EQ(status, 0) << err;
        const std::size_t at = out.find("Total work (reversible, isentropic)");
        return at == std::string::npos ? 1e9 : numberAfter(out.substr(at), "=>");
    };
    const double w400 = total("400");
    EXPECT_LT(w400, 1.2 * (400.0 - 110.0));
    const double w760 = total("760"), w770 = total("770"), w780 = total("780");
    EXPECT_GT(w770, w760);
    EXPECT_LT(w770 - w760, 1.5 * (w780 - w770)) << w760 << " " << w770 << " " << w780;

    // The diagrams' sequence, whose totals the log shows.
    WaterMagmaCalculationInfo deep =
        info({"d", "3000", "Psurf", "0.1", "recharge", "max", "1000", "Tm", "400"});
    WaterMagmaCalculationResult r;
    r.scriptFlag = kScriptNone;
    water.calculateWaterMagmaCycleWithRecharge(deep, r, 0, 0);
    EXPECT_EQ(water.error, 0);
    EXPECT_NEAR(-r.cumulativeWrev * r.m, w400, 0.01);
}

// The 30 portions of a fractionated charge are all the system's water: each counts its whole
// work, those met by a magma already near the water at depth too, so that the sequence's
// work grows with the water, without a step where one portion more would be left out.
TEST_F(MagmaProgramTest, FractionedPortionsAllCountTheirWork) {
    auto sequence = [this](const char* m) {
        WaterMagmaCalculationInfo deep =
            info({"d", "3000", "Psurf", "0.1", "frac", "30", "m", m});
        WaterMagmaCalculationResult r;
        r.scriptFlag = kScriptNone;
        water.calculateWaterMagmaCycleWithRecharge(deep, r, 0, 0);
        EXPECT_EQ(water.error, 0);
        EXPECT_EQ(r.cycleCount, 30.0) << m;
        return -r.cumulativeWrev * r.m;
    };
    const double below = sequence("5.15"), above = sequence("5.25");
    EXPECT_GT(above, below);
    EXPECT_NEAR(above - below, 3.0, 0.5);
}

// Each point of a recharged diagram rewrites the table "recharge": a user's file there is
// refused once, before any point is computed, and left as it was.
TEST_F(MagmaProgramTest, RechargedDiagramRefusesAUsersTableOnce) {
    { std::ofstream("recharge") << "my notes\n"; }
    run({"ev", "recharge"});
    EXPECT_EQ(status, 1);
    const std::string refusal = "recharge is there and was not written by this program";
    const std::size_t first = err.find(refusal);
    ASSERT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find(refusal, first + 1), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists("wm0"));
    EXPECT_EQ(testing::fileLines("recharge"), std::vector<std::string>{"my notes"});
}

TEST_F(MagmaProgramTest, RegressionRechargesStopAtTheirMaximum) {
    // Little water to a magma: it stays above the boiling point for 24 charges.
    WaterMagmaCalculationInfo deep = info({"m", "0.05", "recharge", "max", "10"});
    ::testing::internal::CaptureStdout();
    water.drawWaterMagmaCycle(deep, kScriptIgor);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("\tNumber of cycles        : more than 10 \n"), std::string::npos) << out;
    std::vector<std::string> rows = testing::fileLines("recharge");
    ASSERT_EQ(rows.size(), 3u + 10u + 1u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(testing::numbersOf(rows[3 + i])[0], i);
    // Water that stays above 100 degC at depth: a maximum of 1 (or below) is one cycle.
    for (const char* max : {"1", "0"}) {
        WaterMagmaCalculationInfo once = info({"d", "5000", "recharge", "max", max});
        ::testing::internal::CaptureStdout();
        water.drawWaterMagmaCycle(once, kScriptIgor);
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(testing::fileLines("recharge").size(), 5u) << max;  // header, cycle 0, END
    }
}

TEST_F(MagmaProgramTest, RegressionFractionsRestoreTheMassRatio) {
    WaterMagmaCalculationResult r;
    WaterMagmaCalculationInfo four = info({"m", "2", "frac", "4"});
    water.calculateWaterMagmaCycleWithRecharge(four, r, 0, 0);
    EXPECT_EQ(water.error, 0);
    EXPECT_EQ(four.m, 2.0);
    EXPECT_DOUBLE_EQ(four.Tm, 1473.15);
    EXPECT_EQ(r.m, 0.5);
    EXPECT_GE(r.cycleCount, 1.0);
    EXPECT_LE(r.cycleCount, 4.0);
    EXPECT_LT(r.cumulativeWrev, r.Wrev);  // the sequence does more work than its first cycle
    // No fraction count is one fraction, not a division by zero.
    WaterMagmaCalculationInfo none = info({"m", "2", "frac", "0"});
    water.calculateWaterMagmaCycleWithRecharge(none, r, 0, 0);
    EXPECT_EQ(water.error, 0);
    EXPECT_EQ(r.m, 2.0);
    EXPECT_EQ(r.cycleCount, 1.0);
    EXPECT_EQ(none.m, 2.0);
}

TEST_F(MagmaProgramTest, RegressionEnergyDiagramFromAnInnerLowerBound) {
    WaterMagmaCalculationInfo in = info({});
    ::testing::internal::CaptureStdout();
    water.drawWaterMagmaDiagram(in, kScriptIgor, 0, nullptr, 0.5, 0.525);
    ::testing::internal::GetCapturedStdout();
    const std::vector<std::string> lines = testing::fileLines("wm0");
    ASSERT_EQ(lines.size(), 3u + 3u + 1u);  // 0.50, 0.51, 0.52: the walk goes on past mMin
    EXPECT_NEAR(testing::numbersOf(lines[3])[0], 0.5, 1e-12);
    EXPECT_NEAR(testing::numbersOf(lines[5])[0], 0.52, 1e-9);
    EXPECT_NEAR(testing::numbersOf(lines[4])[4], 358.1 + 0.0, 2.0);  // -m Wrev near the peak
    {
        // What the row stands for: the cycle at m = 0.51 computed alone (heat, T3, T4 and
        // work per gram of water, and per gram of magma m times that), whose balances hold:
        // the magma's heat from Tm down to T3 is the water's, and heat plus work is the
        // water's energy change.
        const std::vector<double> row = testing::numbersOf(lines[4]);
        ASSERT_GE(row.size(), 8u);
        WaterMagmaCalculationInfo one = info({"m", "0.51"});
        WaterMagmaCalculationResult r;
        ::testing::internal::CaptureStdout();
        water.calculateWaterMagmaCycle(one, r, 0, 0);
        ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(water.error, 0);
        EXPECT_NEAR(row[0], 0.51, 1e-9);
        for (const auto& [printed, value] :
             {std::pair{row[1], r.Q}, std::pair{row[2], r.T3}, std::pair{row[3], r.T4},
              std::pair{row[5], -r.Wrev}, std::pair{row[7], -r.Wirr}})
            EXPECT_NEAR(printed, value, 1e-6);
        EXPECT_NEAR(row[4], 0.51 * row[5], 1e-5);
        EXPECT_NEAR(row[6], 0.51 * row[7], 1e-5);
        const double perGram = 1e-3 / water.M, cp = water.magmaHeatCapacity;
        const double magma =
            1e-3 * (cp * (r.Tm - r.T3) - water.calculateLatentHeatTerm(r.Tm, r.T3)) / r.m;
        EXPECT_NEAR(r.Q, magma, 1e-6 * r.Q);
        EXPECT_NEAR(r.Q + r.Wrev, (r.U5 - r.U2) * perGram, 1e-6 * r.Q);
    }
    EXPECT_EQ(masked(testing::slurp("igor1.itx")),
              "IGOR\n"
              "x newpath/O p7, \"<dir>/\"\n"
              "x loadwave/p=p7/t/o \"wm0\" \n"
              "x duplicate emb0 embe0\n"
              "x embe0 = t30[p] > 570 ? emb0[p] : NaN \n"
              "x display embe0 vs m0 \n"
              "x append emb0 vs m0 \n"
              "x modifyGraph lsize(emb0)=2\n"
              "x modifyGraph mode(embe0)=7, rgb(embe0)=(52428,52428,52428), hbFill(embe0)=4\n"
              "x label bottom \"m (kg water/kg magma)\" \n"
              "x label left \"Em (J/g magma)\" \n"
              "x modify mirror=2 \n"
              "x modify grid=1 \n"
              "x modify nticks=10, minor=1\n"
              "x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(emb0) Irreversible adiabatic\" \n"
              "x duplicate ema0 emae0\n"
              "x emae0 = t30[p] > 570 ? ema0[p] : NaN \n"
              "x display emae0 vs m0 \n"
              "x append ema0 vs m0 \n"
              "x modifyGraph lsize(ema0)=2\n"
              "x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(ema0) Reversible isentropic\" \n"
              "x modifyGraph mode(emae0)=7, rgb(emae0)=(52428,52428,52428), hbFill(emae0)=4\n"
              "x label bottom \"m (kg water/kg magma)\" \n"
              "x label left \"Em (J/g magma)\" \n"
              "x modify mirror=2 \n"
              "x modify grid=1 \n"
              "x modify nticks=10, minor=1\n"
              "x TileWindows/O=1/C\n");

    // The same points as numbers, then written from the array: the same file.
    const std::string direct = testing::slurp("wm0");
    CurveArray points;
    water.drawWaterMagmaDiagram(in, kScriptArray, 0, &points, 0.5, 0.525);
    ASSERT_EQ(points.size(), 3u * 31u);
    // Without recharge the totals are the cycle's own.
    EXPECT_EQ(points[24], points[4]);
    EXPECT_EQ(points[26], points[1]);
    EXPECT_EQ(points[27], 1.0);
    EXPECT_TRUE(water.produceIgorFileFromArray(in, points));
    EXPECT_EQ(testing::slurp("wm0"), direct);
    // Below the first point there is no diagram: no file replaces the one before (a file
    // holding only its header and END did).
    EXPECT_EQ(water.drawWaterMagmaDiagram(in, kScriptIgor, 0, nullptr, 0.001, 0.0005), 0);
    EXPECT_EQ(testing::slurp("wm0"), direct);
}

TEST_F(MagmaProgramTest, RegressionScriptsThatCannotBeCreatedAreReported) {
    std::filesystem::create_directory("igor0.itx");
    ::testing::internal::CaptureStderr();
    WaterMagmaCalculationResult r;
    EXPECT_FALSE(water.writeIgorScriptForWaterMagmaCycle(r));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("igor0.itx"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory("igor0.itx"));
}

TEST_F(MagmaProgramTest, PhaseDiagramScripts) {
    run({"satu"});
    EXPECT_GT(testing::fileLines("satu0.itx").size(), 100u);
    EXPECT_EQ(masked(testing::slurp("igor2.itx")),
              "IGOR\nx newpath/O p7, \"<dir>/\"\nx loadwave/p=p7/t/o \"satu0.itx\" \n"
              "x display p0 vs t0\nx label left \"P (bar)\" \nx label bottom \"T (K)\" \n"
              "x modify mirror=2\n");
    run({"spino"});
    EXPECT_GT(testing::fileLines("spino1").size(), 10u);
    EXPECT_EQ(testing::slurp("igor2.itx"),
              "IGOR\nx loadwave/p=p7/t/o \"spino1\" \nx loadwave/p=p7/t/o \"spino2\" \n"
              "x append p1 vs t1\nx append p2 vs t2\nx modifyGraph lstyle(P1)=1;\n"
              "x modifyGraph lstyle(P2)=1;\n");
}

TEST_F(MagmaProgramTest, ScriptsAreOpenedOnlyWhenSwitchedOn) {
    // A stand-in opener on the PATH that leaves a mark.
    const std::string bin = std::filesystem::current_path() / "bin";
    std::filesystem::create_directory(bin);
    {
        std::ofstream opener(bin + "/xdg-open");
        opener << "#!/bin/sh\necho \"$1\" > opened\n";
    }
    chmod((bin + "/xdg-open").c_str(), 0755);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin + ":" + path).c_str(), 1);
    run({"spino"});
    EXPECT_FALSE(std::filesystem::exists("opened"));
    setIgorOpenerEnabled(true);
    run({"spino"});
    setIgorOpenerEnabled(false);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(testing::slurp("opened"), "igor2.itx\n");
    // With no opener on the PATH the script stays as written, unopened, and that is said.
    std::filesystem::remove("opened");
    const std::string empty = std::filesystem::current_path() / "empty";
    std::filesystem::create_directory(empty);
    setenv("PATH", empty.c_str(), 1);
    setIgorOpenerEnabled(true);
    ::testing::internal::CaptureStderr();
    const int status = openIgorScript("igor2.itx");
    const std::string said = ::testing::internal::GetCapturedStderr();
    setIgorOpenerEnabled(false);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(status, -1);
    EXPECT_NE(said.find("xdg-open not found on the PATH; igor2.itx not opened"), std::string::npos)
        << said;
    EXPECT_FALSE(std::filesystem::exists("opened"));
    EXPECT_FALSE(testing::slurp("igor2.itx").empty());
    // A command whose script was asked to be opened and was not fails, its files written:
    // for want of an opener, or because the opener failed (xdg-open's status 3: no
    // application for the file).
    {
        std::ofstream failing(empty + "/xdg-open");
        failing << "#!/bin/sh\nexit 3\n";
    }
    for (const bool present : {false, true}) {
        if (present) chmod((empty + "/xdg-open").c_str(), 0755);
        setenv("PATH", (present ? empty : empty + "/none").c_str(), 1);
        setIgorOpenerEnabled(true);
        run({"spino"});
        setIgorOpenerEnabled(false);
        setenv("PATH", path.c_str(), 1);
        EXPECT_EQ(this->status, 1) << present;
        EXPECT_NE(err.find(present ? "xdg-open could not open igor2.itx (exit status 3)"
                                   : "xdg-open not found on the PATH; igor2.itx not opened"),
                  std::string::npos)
            << err;
        EXPECT_FALSE(testing::slurp("spino1").empty());
    }
    // Unasked, nothing is opened and nothing fails.
    run({"spino"});
    EXPECT_EQ(this->status, 0) << err;
}

// -------------------------------------------------------------- cycle studies

TEST_F(MagmaProgramTest, PhreaticCycleOfTheWaterIsentrope) {
    ::testing::internal::CaptureStdout();
    water.calculatePhreaticCycle(10.0, 296.15 + 1151.0, 1, 0, "0", 50.0);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::vector<std::string> lines = testing::fileLines("heatirr0");
    ASSERT_EQ(lines.size(), 4u + 23u);  // 24 steps, one between spinodal and boiling skipped
    std::vector<int> codes;
    for (std::size_t i = 4; i < lines.size(); ++i) {
        const std::vector<double> row = testing::numbersOf(lines[i]);
        ASSERT_EQ(row.size(), 24u);
        if (codes.empty() || codes.back() != row[22]) codes.push_back(static_cast<int>(row[22]));
        // Without a state 4 its columns are nan.
        EXPECT_EQ(std::isnan(row[4]), row[22] == 111 || row[22] == 113) << lines[i];
    }
    EXPECT_EQ(codes, (std::vector<int>{111, 121, 122, 123, 113}));
    EXPECT_NE(out.find("Travail fourni  par la détente du fluide (4): "), std::string::npos);
    EXPECT_EQ(out.find("√©"), std::string::npos);
    EXPECT_NE(out.find("Décompression monophasique"), std::string::npos);
}

TEST_F(MagmaProgramTest, PhreaticCycleOfTheMixtureIsentrope) {
    ::testing::internal::CaptureStdout();
    water.calculatePhreaticCycle(10.0, 296.15 + 401.0, 0, 1, "0", 100.0);
    ::testing::internal::GetCapturedStdout();
    const std::vector<std::string> lines = testing::fileLines("heatirr0");
    ASSERT_EQ(lines.size(), 3u + 4u + 1u);
    EXPECT_EQ(lines[1].substr(0, 27), "WAVES deltaT0          p30 ");
    std::vector<int> codes;
    for (int i = 3; i < 7; ++i) codes.push_back(static_cast<int>(testing::numbersOf(lines[i])[22]));
    EXPECT_EQ(codes, (std::vector<int>{211, 221, 222, 213}));
    // Magma no hotter than the water at depth: the header only.
    water.calculatePhreaticCycle(10.0, 290.0, 0, 1, "1", 100.0);
    EXPECT_EQ(testing::fileLines("heatirr1").size(), 4u);
    // Regression: a suffix with a blank split every wave name of the Igor header in two.
    water.calculatePhreaticCycle(10.0, 296.15 + 401.0, 0, 1, "a b", 100.0);
    EXPECT_FALSE(std::filesystem::exists("heatirra b"));
}

// The steps stop below the magma's temperature, every row with its water/magma ratio. Regression:
// 850 K above the water at 100 bar (323.15 K) meets a magma of 1173.15 K exactly, yet
// Tm - T2 rounds to 850.0000000000001, so a last row of water heated to Tm was written with
// the ratio 0, the work per gram of water -nan and the irreversible fraction -inf.
TEST_F(MagmaProgramTest, CycleStepsStopBelowTheMagmaTemperature) {
    ::testing::internal::CaptureStdout();
    water.calculatePhreaticCycle(100.0, 1173.15, 1, 0, "0", 50.0);
    water.calculateWohletzCycle(100.0, 1173.15, 1, 50.0);
    ::testing::internal::GetCapturedStdout();
    for (const char* table : {"heatirr0", "wohl0"}) {
        double last = -1.0;
        for (const std::string& line : testing::fileLines(table)) {
            if (line[0] == '#') continue;
            const std::vector<double> row = testing::numbersOf(line);
            last = row[0];
            EXPECT_GT(row[14], 0.0) << table << ": " << line;           // R
            EXPECT_TRUE(std::isfinite(row[16])) << table << ": " << line;  // ew
        }
        EXPECT_EQ(last, 800.0) << table;
    }
}

TEST_F(MagmaProgramTest, FailedIrreversibleSearchLeavesNanColumns) {
    ::testing::internal::CaptureStdout();
    water.calculatePhreaticCycle(100.0, 323.15 + 291.0, 1, 0, "0", 5.0);
    ::testing::internal::GetCapturedStdout();
    int failed = 0;
    for (const std::string& line : testing::fileLines("heatirr0")) {
        if (line[0] == '#') continue;
        const std::vector<double> row = testing::numbersOf(line);
        if (!std::isnan(row[17])) continue;
        ++failed;
        EXPECT_TRUE(std::isnan(row[18]) && std::isnan(row[19]));
        EXPECT_FALSE(std::isnan(row[9]));     // the reversible work stays
        EXPECT_EQ(row[23], row[21]) << line;  // and the two-phase balance is kept
    }
    EXPECT_GT(failed, 0);
}

TEST_F(MagmaProgramTest, WohletzCycleTables) {
    ::testing::internal::CaptureStdout();
    water.calculateWohletzCycle(10.0, 1473.15, 1, 100.0);
    water.calculateWohletzCycle(10.0, 900.0, 0, 200.0);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::vector<std::string> fluid = testing::fileLines("wohl0"),
                                   mixture = testing::fileLines("wohl1");
    ASSERT_EQ(fluid.size(), 4u + 12u);
    ASSERT_EQ(mixture.size(), 4u + 4u);
    EXPECT_EQ(fluid[4].find(' ') < fluid[4].find('\t'), true);  // right-aligned, tab separated
    EXPECT_EQ(testing::numbersOf(fluid[4]).size(), 23u);
    EXPECT_EQ(testing::numbersOf(fluid[4])[22], 110);
    EXPECT_EQ(testing::numbersOf(fluid[5])[22], 120);
    EXPECT_EQ(testing::numbersOf(mixture[5])[22], 220);
    EXPECT_EQ(testing::numbersOf(mixture[7])[22], 200);
    EXPECT_NE(out.find("Décompression monophasique"), std::string::npos);
}

}  // namespace
}  // namespace vornex
