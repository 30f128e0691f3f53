// Igor Pro scripts of the magma-water program: they load the data files just written in the
// working directory and draw the water phase diagram, the energy diagram E(m) and the P-T
// and T-U diagrams of one cycle. The lines are Igor commands ("x " lines of an Igor text
// file) and are fixed text, but for the working folder: written as an escaped Igor string,
// and no script at all in a folder whose name an Igor command line cannot carry.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"
#include "water/IgorOpener.h"
#include "water/WaterEOS.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {

namespace {

// An Igor script being written under a temporary name; it takes its name at done(), and
// is removed when it is abandoned or the program interrupted.
class Script {
   public:
    explicit Script(const char* name) { file_.open(name); }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;
    void operator()(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        if (!file_.isOpen()) return;
        va_list arguments;
        va_start(arguments, format);
        vornex::vcfprintf(file_.stream(), format, arguments);
        va_end(arguments);
    }
    // False, with a message on standard error, when the script could not be written.
    bool done() { return file_.isOpen() && file_.commit(); }

   private:
    OutputFile file_;
};

// The loader "igor00.itx": a new experiment that loads the script.
bool writeLoader(const std::string& folder, const char* script) {
    Script x("igor00.itx");
    x("IGOR\n");
    x("x Execute/P \"NEWEXPERIMENT \" \n");
    x("x Execute/P \"LOADFILE %s%s\" \n", folder.c_str(), script);
    return x.done();
}

void writeRechargeBlock(Script& x) {
    x("x loadwave/p=p7/t \"recharge\";\n");
    x("x display Te0 vs iter0;\n");
    x("x ModifyGraph mode=4,marker=8,opaque=1;\n");
    x("x modify mirror=2;\n");
    x("x modify grid=1;\n");
    x("x label left \"Magma Temperature (K)\"; \n");
    x("x duplicate Te0, Te1;\n");
    x("x Te1 = Te0 - 273.15;\n");
    x("x append /R te1 vs iter0 ;\n");
    x("x ModifyGraph mode(te1)=2 ; \n");
    x("x label bottom \"Cycle\" ;\n");
    x("x label right \"T (deg. C)\" ;\n");
    x("x modify nticks=10;\n");
    x("x ModifyGraph manTick(bottom)={0,1,0,1},manMinor(bottom)={0,50}\n");
    x("x display Wcr0 vs iter0; append Wci0 vs iter0; \n");
    x("x modify mirror=2;\n");
    x("x ModifyGraph mode(Wcr0)=4,marker(Wcr0)=16; \n");
    x("x ModifyGraph mode=4,marker(Wci0)=8,opaque(Wci0)=1; \n");
    x("x label left \"W (J/g magma)\"; \n");
    x("x label bottom \"Cycle\" ;\n");
    x("x modify grid=1;\n");
    x("x modify nticks=10;\n");
    x("x ModifyGraph manTick(bottom)={0,1,0,1},manMinor(bottom)={0,50}\n");
    x("x Legend/C/N=text0/J/S=3/A=LT/X=0.00/Y=0.00 \"\\s(Wcr0) Reversible\\r\\s(Wci0) "
      "Irreversible\";\n");
    x("x TileWindows/O=1/C;\n");
}

// Loads of the cycle's curve files after the path file.
void loadCycleCurves(Script& x, const WaterMagmaCalculationResult& r) {
    x("x loadwave/p=p7/t/o \"isos1\" \n");
    if (r.pyroclast) x("x loadwave/p=p7/t/o \"isoh3\" \n");
    if (r.twoPhase) x("x loadwave/p=p7/t/o \"isoss2\" \n");
}

// The P-T curves of a cycle: heating path, isentrope, two-phase part, pyroclast path.
void displayPT(Script& x, const WaterMagmaCalculationResult& r) {
    x("x display p0 vs t0 \n");
    x("x append p1 vs t1 \n");
    if (r.twoPhase) x("x append p2 vs t2 \n");
    if (r.pyroclast) {
        x("x append p3 vs t3 \n");
        x("x ModifyGraph rgb(P3)=(1,39321,19939) \n");
    }
    x("x ModifyGraph rgb(P0)=(0,0,0) \n");
    x("x ModifyGraph rgb(P1)=(65535,0,0) \n");
    if (r.twoPhase) x("x ModifyGraph rgb(P2)=(1,4,52428) \n");
}

void temperatureTopAxis(Script& x) {
    x("x label left \"P (bar)\" \n");
    x("x label bottom \"T (K)\" \n");
    x("x modify highTrip(left)=50000 \n");
    x("x append/T pdum vs tdum\n");
    x("x label top \"T (deg. C)\" \n");
    x("x modify nticks=10 \n");
}

void setAxes(Script& x, double Tlow, double Thigh, double Pmax) {
    x("x setaxis bottom %f, %f ;\n", Tlow, Thigh);
    x("x setaxis left %f, %f ;\n", 0.0, Pmax);
    x("x setaxis top %f, %f ;\n", Tlow - 273.15, Thigh - 273.15);
}

}  // namespace

bool WaterEOS::writeIgorScriptForPhaseDiagram(int curve, int plot, int newExperiment) {
    std::string folder;
    if (newExperiment && !igorScriptFolder("Igor script igor2.itx", folder)) return false;
    const bool loader = !newExperiment || writeLoader(folder, "igor2.itx");
    Script x("igor2.itx");
    x("IGOR\n");
    if (newExperiment) x("x newpath/O p7, \"%s\"\n", folder.c_str());
    const char* verb = newExperiment ? "display" : "append";
    if (curve == 1) {
        x("x loadwave/p=p7/t/o \"%s\" \n", kSaturationIgorFile);
        if (plot == 1) x("x %s p0 vs t0\n", verb);
    } else if (curve == 2) {
        x("x loadwave/p=p7/t/o \"spino1\" \n");
        x("x loadwave/p=p7/t/o \"spino2\" \n");
        if (plot == 1) {
            x("x %s p1 vs t1\n", verb);
            x("x %s p2 vs t2\n", verb);
            x("x modifyGraph lstyle(P1)=1;\n");
            x("x modifyGraph lstyle(P2)=1;\n");
        }
    }
    if (newExperiment && plot == 1) {
        x("x label left \"P (bar)\" \n");
        x("x label bottom \"T (K)\" \n");
        x("x modify mirror=2\n");
    }
    return x.done() && loader;
}

bool WaterEOS::writeIgorScriptForWaterMagmaDiagram(char pyroclast, char recharge,
                                                   const char* suffix) {
    std::string folder;
    if (!igorScriptFolder("Igor script igor1.itx", folder)) return false;
    const char* s = suffix == nullptr ? "" : suffix;
    const bool loader = writeLoader(folder, "igor1.itx");
    Script x("igor1.itx");
    x("IGOR\n");
    x("x newpath/O p7, \"%s\"\n", folder.c_str());
    x("x loadwave/p=p7/t/o \"wm%s\" \n", s);
    auto axes = [&x] {
        x("x label bottom \"m (kg water/kg magma)\" \n");
        x("x label left \"Em (J/g magma)\" \n");
        x("x modify mirror=2 \n");
        x("x modify grid=1 \n");
        x("x modify nticks=10, minor=1\n");
    };
    x("x duplicate emb%s embe%s\n", s, s);
    x("x embe%s = t3%s[p] > 570 ? emb%s[p] : NaN \n", s, s, s);
    x("x display embe%s vs m%s \n", s, s);
    x("x append emb%s vs m%s \n", s, s);
    x("x modifyGraph lsize(emb%s)=2\n", s);
    x("x modifyGraph mode(embe%s)=7, rgb(embe%s)=(52428,52428,52428), hbFill(embe%s)=4\n", s, s, s);
    axes();
    const bool second = pyroclast || recharge;
    if (second) {
        x("x append emd%s vs m%s \n", s, s);
        x("x modifyGraph lstyle(emd%s)=1\n", s);
        x("x modifyGraph lstyle(emd%s)=1, lsize(emd%s)=2, rgb(emd%s)=(1,4,52428)\n", s, s, s);
        x("x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(emb%s) Irreversible adiabatic\\r\\\\s(emd%s) "
          "Irreversible, %s\" \n",
          s, s, pyroclast ? "pyroclast-heated" : "with water recharge");
    } else {
        x("x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(emb%s) Irreversible adiabatic\" \n", s);
    }
    x("x duplicate ema%s emae%s\n", s, s);
    x("x emae%s = t3%s[p] > 570 ? ema%s[p] : NaN \n", s, s, s);
    x("x display emae%s vs m%s \n", s, s);
    x("x append ema%s vs m%s \n", s, s);
    x("x modifyGraph lsize(ema%s)=2\n", s);
    if (second) {
        x("x append emc%s vs m%s \n", s, s);
        x("x modifyGraph lstyle(emc%s)=1, lsize(emc%s)=2, rgb(emc%s)=(1,4,52428)\n", s, s, s);
        x("x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(ema%s) Reversible isentropic\\r\\\\s(emc%s) "
          "Reversible, %s\" \n",
          s, s, pyroclast ? "pyroclast-heated" : "with water recharge");
    } else {
        x("x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(ema%s) Reversible isentropic\" \n", s);
    }
    x("x modifyGraph mode(emae%s)=7, rgb(emae%s)=(52428,52428,52428), hbFill(emae%s)=4\n", s, s, s);
    axes();
    x("x TileWindows/O=1/C\n");
    return x.done() && loader;
}

bool WaterEOS::writeIgorScriptForWaterMagmaCycle1(WaterMagmaCalculationResult& r) {
    std::string folder;
    if (!igorScriptFolder("Igor script igor0.itx", folder)) return false;
    const bool loader = writeLoader(folder, "igor0.itx");
    Script x("igor0.itx");
    x("IGOR\n");
    x("x newpath/O p7, \"%s\"\n", folder.c_str());
    x("x loadwave/p=p7/t/o \"isop0\" \n");
    loadCycleCurves(x, r);
    displayPT(x, r);
    x("x modify mirror=2 \n");
    x("x modify nticks=10 \n");
    x("x wavestats t0\n");
    x("x make /n=2 tdum,pdum\n");
    x("x tdum=nan;pdum=nan;\n");
    temperatureTopAxis(x);
    x("x Legend/C/N=text0/J/A=LT/X=0.00/Y=0.00 \"m = %.3f kg of water / kg of magma \\rTm = %.2f "
      "deg. C\\rT3 = %.2f deg. C \\r\\r\\s(P0) Isobaric Heating\\r\\s(P1) Isentropic Monophasic "
      "Expansion%s%s\"\n",
      r.m, r.Tm - 273.15, r.T3 - 273.15,
      r.twoPhase ? "\\r\\s(P2) Isentropic Biphasic Expansion" : "",
      r.pyroclast ? "\\r\\s(P3) Reversible Isothermal Expansion" : "");
    x("x tag/C/N=text4/A=MB/X=0/Y=10/S=3 p0,0,\"1\"\n");
    x("x tag/C/N=text5/A=MB/X=0/Y=10/S=3 p0,1,\"2\"\n");
    if (r.x3 == -2.0)
        x("x tag/C/N=text1/A=LC/X=5/Y=0/S=3 p0,2,\"3\"\n");
    else if (r.isobaricStage != 4)
        x("x tag/C/N=text6/A=LC/X=5/Y=0/S=3 p0,2,\"Sp\"\n");
    const char* tag8 = "x tag/C/N=text8/A=LC/X=5/Y=0/S=3 p0,numpnts(p0),\"3\"\n";
    if (r.twoPhase) {
        if (r.x3 == 0.0) {
            x("x p1 =  (t1[p]<%f) ? nan : p1[p] ;\n", r.T4);
            x("x p2 =  (t2[p]>%f) ? nan : p2[p] ;\n", r.T4);
            x("x tag/C/N=text10/A=RC/X=-5/Y=0/S=3 p2,1,\"4\"\n");
            x("%s", tag8);
        } else if (r.x3 > 0.0 && r.x3 < 1.0) {
            x("x p2 =  (t2[p]>%f) ? nan : p2[p] ;\n", r.T3);
            x("x tag/C/N=text2/A=MB/X=0/Y=10/S=3 p2,0,\"4\"\n");
            x("%s", tag8);
        } else if (r.x3 == -2.0) {
            x("x tag/C/N=text2/A=LC/X=5/Y=0/S=3 p0,3,\"4\"\n");
        }
        x("x tag/C/N=text3/A=MB/X=0/Y=8/S=3 p2,numpnts(p2),\"5\"\n");
        x("x p1 = ( p1[p] < p2 [0] ) ? nan : p1[p] ;\n");
    } else {
        if (r.x3 == 0.0) x("%s", tag8);
        x("x tag/C/N=text2/A=MB/X=0/Y=10/S=3 p1,numpnts(p1),\"5\"\n");
    }
    x("x modify grid(top)=1, grid(left)=1\n");
    setAxes(x, r.T1 - 3.0, 1.05 * r.T3 + 10.0, 1.05 * (r.P3 > r.P4 ? r.P3 : r.P4) + 10.0);
    x("x ModifyGraph width=600, height=500\n");
    x("x ModifyGraph gfSize=12\n");
    if (r.recharge) writeRechargeBlock(x);
    return x.done() && loader;
}

bool WaterEOS::writeIgorScriptForWaterMagmaCycle(WaterMagmaCalculationResult& r) {
    std::string folder;
    if (!igorScriptFolder("Igor script igor0.itx", folder)) return false;
    const bool loader = writeLoader(folder, "igor0.itx");
    Script x("igor0.itx");
    x("IGOR\n");
    x("x newpath/O p7, \"%s\"\n", folder.c_str());
    x("x loadwave/p=p7/t/o \"isoc0\" \n");
    loadCycleCurves(x, r);
    // T-U graph.
    x("x display t0 vs um0\n");
    x("x append t1 vs um1\n");
    if (r.twoPhase) x("x append t2 vs um2\n");
    x("x label left \"T (K)\" \n");
    x("x label bottom \"U (J/g)\" \n");
    x("x ModifyGraph rgb(T0)=(0,0,0) \n");
    x("x ModifyGraph rgb(T1)=(65535,0,0) \n");
    if (r.twoPhase) x("x ModifyGraph rgb(T2)=(1,4,52428) \n");
    x("x modify mirror=2 \n");
    x("x make /n=2 tdum,udum,pdum\n");
    x("x tdum=nan; pdum=nan; udum=nan\n");
    x("x tag/C/N=text1/A=LC/X=5/Y=0/S=3 t0,numpnts(t0),\"3\"\n");
    x("x tag/C/N=text8/A=MB/X=0/Y=8/S=3 t0,0,\"2\"\n");
    if (r.twoPhase) {
        x("x tag/C/N=text3/A=LC/X=5/Y=0/S=3 t2,numpnts(t2),\"5\"\n");
        x("x t1 = ( p1[p] > %f ) ? t1[p] : nan \n", r.P4);
        x("x tag/C/N=text4/A=LC/X=5/Y=0/S=3 t2,1,\"4\"\n");
    } else {
        x("x tag/C/N=text2/A=RC/X=-5/Y=0/S=3 t1,numpnts(t1),\"5\"\n");
    }
    x("x append/R udum vs tdum\n");
    x("x label right \"T (deg. C)\" \n");
    if (r.twoPhase)
        x("x Legend/C/N=text0/J/A=LT/X=0.00/Y=0.00 \"\\s(T0) Isochoric\\r\\s(T1) Isentropic "
          "Monophasic\\r\\s(T2) Isentropic Biphasic\\r\\rQ: %8.2f J/g water\\rW: %8.2f J/g "
          "water\\rW: %8.2f J/g magma\"\n",
          r.Q, -r.Wrev, -r.Wrev * r.m);
    else
        x("x Legend/C/N=text0/J/A=LT/X=0.00/Y=0.00 \"\\s(T0) Isochoric\\r\\s(T1) Isentropic "
          "Monophasic\\rQ: %8.2f J/g water\\rW: %8.2f J/g water\\rW: %8.2f J/g magma\"\n",
          r.Q, -r.Wrev, -r.Wrev * r.m);
    x("x modify nticks=10\n");
    x("x modify grid(right)=1, grid(bottom)=1\n");
    x("x setaxis bottom %f, %f ;\n", 0.0, 1.05 * r.U3 * 0.001 / M + 40.0);
    x("x setaxis left 270, %f ; \n", 1.05 * r.T3 + 10.0);
    x("x setaxis right -3.15 , %f ; \n", 1.05 * r.T3 - 263.15);
    // P-T graph.
    displayPT(x, r);
    if (r.twoPhase) {
        x("x p1 = ( p1[p] > %f ) ? p1[p] : nan \n", r.P4);
        x("x tag/C/N=text4/A=MB/X=0/Y=8/S=3 p2,1,\"4\"\n");
        x("x tag/C/N=text3/A=MB/X=0/Y=8/S=3 p2,numpnts(p2),\"5\"\n");
    } else {
        x("x tag/C/N=text2/A=MB/X=0/Y=10/S=3 p1,numpnts(p1)-1,\"5\"\n");
    }
    x("x tag/C/N=text10/A=MB/X=0/Y=8/S=3 p0,1,\"2\"\n");
    x("x modify mirror=2 \n");
    x("x modify nticks=10 \n");
    temperatureTopAxis(x);
    x("x Legend/C/N=text0/J/A=LT/X=0.00/Y=0.00 \"m = %.3f kg of water / kg of magma \\rTm = %.2f "
      "deg. C\\rT3 = %.2f deg. C \\r\\r\\s(P0) Isochoric\\r\\s(P1) Isentropic Monophasic%s%s\"\n",
      r.m, r.Tm - 273.15, r.T3 - 273.15, r.twoPhase ? "\\r\\s(P2) Isentropic Biphasic" : "",
      r.pyroclast ? "\\r\\s(P3) Reversible Isothermal" : "");
    x("x tag/C/N=text1/A=RC/X=-5/Y=0/S=3 p0,numpnts(p0),\"3\"\n");
    x("x modify grid(top)=1, grid(left)=1\n");
    setAxes(x, r.T1 - 10.0, 1.05 * r.T3 + 10.0, 1.05 * r.P3 + 10.0);
    if (r.recharge || r.fractionation) writeRechargeBlock(x);
    x("x TileWindows/O=1/C\n");
    return x.done() && loader;
}

}  // namespace vornex
