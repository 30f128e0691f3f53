// One magma-water cycle's preparation (magma parameters, cold water at the surface and at
// depth, the heat sink of the wet host rock, the isobaric reference data), the energy
// diagram's data file, and the decompression that follows an isobaric heating.
#include <cmath>
#include <initializer_list>
#include <cstdio>
#include <string>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "water/WaterEOS.h"
#include "water/magma/WaterMagmaRecords.h"
#include "water/magma/WaterMagmaSaturation.h"

namespace vornex {

namespace {

// Above the critical pressure water neither boils nor has a spinodal.
constexpr double kSupercriticalPressure = kWaterCriticalPressureBar;

double perGram(double molar, double M) {
    return molar * 0.001 / M;
}

// The liquid at (T, P bar) from a dense start; false when the volume solve fails.
bool liquidState(WaterEOS& w, double TK, double Pbar) {
    w.error = 0;
    w.Vl0 = 1.8e-5;
    w.set_the_phase_as(2);
    w.calculateFromTP(TK, Pbar, 0);
    return w.error == 0;
}

// Whether water at (T K, P bar) lies at or beyond its boiling point: below the critical
// pressure, at or above the critical temperature or not above the vapour pressure at T. Such
// water is steam; the liquid root that a dense start still finds there is a superheated
// liquid that boils at once. `text` then says where it boils.
bool boilsAt(WaterEOS& w, double TK, double Pbar, std::string& text) {
    if (!(Pbar < kSupercriticalPressure)) return false;
    char said[128];
    if (TK >= kWaterCriticalTemperature) {
        vornex::csnprintf(said, sizeof said, "above the critical temperature of water (%.3f deg. C)",
                          kWaterCriticalTemperature - 273.15);
        text = said;
        return true;
    }
    w.error = 0;
    const double Ps = w.calculateTheSaturationPressure(TK) * 1e-5;
    w.error = 0;
    if (!(std::isfinite(Ps) && Pbar <= Ps)) return false;
    vornex::csnprintf(said, sizeof said, "not above its vapour pressure there (%.6g bar)", Ps);
    text = said;
    return true;
}

}  // namespace

bool isobaricReferenceData(WaterEOS& w, WaterMagmaCalculationResult& r) {
    if (!saturationTemperatureAtP(w, r.P2)) return false;
    r.Ts2 = w.T;
    r.Vs2 = w.Vl;
    w.calculateFromTV(r.Ts2, r.Vs2, 0);
    r.Us2 = w.U;
    r.Hs2 = w.H;
    if (w.calculateTheLiquidSpinodalTemperatureFromP(r.P2) != 0 || w.error) return false;
    w.calculateFromTV(w.T, w.V, 0);
    r.Tspin = w.T;
    r.Vspin = w.V;
    r.Sspin = w.S;
    r.Hspin = w.H;
    if (w.calculateBoilingPointFromS(r.Sspin) != 0 || w.error) return false;
    r.Tb = w.T;
    SaturationEnds b;
    if (!saturationEndsAtT(w, r.Tb, b)) return false;
    r.Pb = b.P * 1e-5;
    r.Vl = b.Vl;
    r.Vv = b.Vv;
    r.Hl = b.Hl;
    r.Sl = b.Sl;
    r.Ul = b.Ul;
    r.Al = b.Al;
    r.Hv = b.Hv;
    r.Sv = b.Sv;
    r.Uv = b.Uv;
    r.Av = b.Av;
    // The work of vaporisation at Pb.
    r.isobaricWork = -r.Pb * 1e5 * (r.Vv - r.Vl);
    // The heat of the liquid up to its boiling point, then of its vaporisation there: the
    // magma pays the whole rise of the water's enthalpy, the jump from the spinodal to the
    // boiling point included.
    r.Qvap = (r.Hl - r.H2) + r.Hv - r.Hl;
    r.x3 = -1.0;
    return w.error == 0;
}

void WaterEOS::prepareCycleCalculation(WaterMagmaCalculationInfo& info,
                                       WaterMagmaCalculationResult& r) {
    waterMagmaRatio = info.m;
    magmaTemperature = info.Tm;
    magmaHeatCapacity = info.cp;
    latentHeat = info.L;
    solidusTemperature = info.Tsol;
    liquidusTemperature = info.Tliq;
    r.pyroclast = info.pyroclast;
    r.heating = info.heating;
    r.recharge = info.recharge;
    r.m = info.m;
    r.Tm = info.Tm;
    r.fractionation = info.fractionation;
    r.fractionCount = info.fractionCount;

    // The cycle balances the water's U, H and S against the magma's heat: residual values
    // alone would give it any temperature and heat of any sign.
    if (const std::string why = wholeEnergiesRefusal(); !why.empty()) {
        error = 1;
        return r.failWith(why);
    }
    r.T1 = info.T1;
    r.P1 = info.Psurf;
    r.T2 = info.T1 + info.geoGradient * info.depth;
    r.P2 = info.depth * info.g * 0.01 + r.P1 + info.overpressure;
    std::string boiling;
    // The water of the cycle is liquid at the surface and at depth: the liquid found from a
    // dense start beyond the boiling point would be a superheated liquid taken for the cold
    // water, and steam at depth is no water the magma heats from the liquid.
    if (boilsAt(*this, r.T1, r.P1, boiling)) {
        error = 1;
        return r.failWith("the water at the surface is steam, " + boiling,
                          waterStateText("the cold water (state 1)", r.T1, r.P1));
    }
    if (boilsAt(*this, r.T2, r.P2, boiling)) {
        error = 1;
        return r.failWith("the water at depth is steam, " + boiling,
                          waterStateText("the water at depth (state 2)", r.T2, r.P2));
    }
    if (!liquidState(*this, r.T1, r.P1))
        return r.failWith("no liquid water state at the surface",
                          waterStateText("the cold water (state 1)", r.T1, r.P1));
    r.U1 = U;
    r.H1 = H;
    r.V1 = V * 1e6;
    r.S1 = S;
    if (!liquidState(*this, r.T2, r.P2))
        return r.failWith("no liquid water state at depth",
                          waterStateText("the water at depth (state 2)", r.T2, r.P2));
    r.U2 = U;
    r.H2 = H;
    r.V2 = V * 1e6;
    r.S2 = S;
    r.Cv2 = Cv;
    r.Cp2 = Cp;
    r.isobaricWork = 0.0;

    r.sedimentWaterRatio =
        (1.0 - info.porosity) * info.sedimentRho * V / (info.porosity * info.saturation * M);
    r.sedimentHeatCapacity = r.sedimentWaterRatio * info.sedimentCp;
    if (r.T3 == 0.0) r.T3 = r.T2;
    r.sedimentTemperature = info.coupling * r.T2 + (1.0 - info.coupling) * r.T3;

    r.isobaricStage = 0;
    if (info.heating != 1) return;
    if (r.P2 >= kSupercriticalPressure) {
        r.isobaricStage = 4;
        return;
    }
    if (isobaricReferenceData(*this, r)) return;
    error = 1;
    r.failWith("the saturation, liquid spinodal or boiling point of the isobaric heating at "
               "depth could not be found",
               waterStateText("the water at depth (state 2)", r.T2, r.P2));
}

// ------------------------------------------------------------------ diagram file

bool produceHeaderIgorFileForWaterMagmaDiagram(OutputFile& out,
                                               const WaterMagmaCalculationInfo& info) {
    if (!out.open(std::string("wm") + info.suffix)) return false;
    std::FILE* file = out.stream();
    const char* s = info.suffix;
    if (info.pyroclast != 1 && info.recharge != 1 && info.fractionation != 1)
        vornex::cfprintf(file,
                     "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n",
                     "m", s, "q", s, "T3", s, "T4", s, "ema", s, "ewa", s, "emb", s, "ewb", s);
    else
        vornex::cfprintf(file,
                     "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s "
                     "%11s%s %11s%s %11s%s %11s%s\nBEGIN\n",
                     "m", s, "q", s, "T3", s, "T4", s, "ema", s, "ewa", s, "emb", s, "ewb", s,
                     "emc", s, "ewc", s, "emd", s, "ewd", s, "qc", s);
    return true;
}

namespace {

// One row of the diagram's table; a figure not computed is written "nan" whatever the sign
// the negation gave it, and one that rounds to zero is 0 (the heat of water that the
// sediment keeps cold comes out a rounding below zero).
void writeDiagramRow(std::FILE* file, std::initializer_list<double> values) {
    for (double v : values) {
        if (std::isnan(v))
            vornex::cfprintf(file, "%12s ", "nan");
        else
            vornex::cfprintf(file, "%12f ", signlessZero(v, 6));
    }
    vornex::cfprintf(file, "\n");
}

}  // namespace

void writeDataIgorFileForWaterMagmaDiagram(std::FILE* file, const WaterMagmaCalculationInfo& info,
                                           const WaterMagmaCalculationResult& r) {
    if (file == nullptr) return;
    const double m = info.m;
    // The single cycle and the recharges of a fractionated sequence hold one portion of the
    // water each: per gram of magma their works count that portion only.
    const double charge = info.chargeRatio(m);
    if (info.pyroclast != 1 && info.recharge != 1 && info.fractionation != 1) {
        writeDiagramRow(file, {m, r.Q, r.T3, r.T4, -m * r.Wrev, -r.Wrev, -m * r.Wirr, -r.Wirr});
    } else if (info.pyroclast == 1) {
        writeDiagramRow(file, {m, r.Q, r.T3, r.T4, -charge * r.Wrev, -r.Wrev, -charge * r.Wirr,
                               -r.Wirr, -charge * r.WrevP, -r.WrevP, -charge * r.WirrP, -r.WirrP,
                               r.QP});
    } else if (info.recharge == 1) {
        writeDiagramRow(file, {m, r.Q, r.T3, r.T4, -charge * r.Wrev, -r.Wrev, -charge * r.Wirr,
                               -r.Wirr, -charge * r.cumulativeWrev, -r.cumulativeWrev,
                               -charge * r.cumulativeWirr, -r.cumulativeWirr, r.cumulativeQ});
    } else {
        // The sequence's works per gram of magma: each portion's per gram of water times its
        // share of m, the portions together (not m times them, n times the magma's share).
        const double cycles = r.cycleCount > 0.0 ? r.cycleCount : 1.0;
        writeDiagramRow(file, {m, r.Q, r.T3, r.T4, -charge * r.cumulativeWrev,
                               -r.cumulativeWrev / cycles, -charge * r.cumulativeWirr,
                               -r.cumulativeWirr / cycles, -charge * r.cumulativeWrev,
                               -r.cumulativeWrev, -charge * r.cumulativeWirr, -r.cumulativeWirr,
                               r.cumulativeQ});
    }
}

bool WaterEOS::produceIgorFileFromArray(WaterMagmaCalculationInfo& info, const CurveArray& array) {
    OutputFile out;
    if (!produceHeaderIgorFileForWaterMagmaDiagram(out, info)) return false;
    std::FILE* file = out.stream();
    const double m0 = info.m;
    for (std::size_t i = 0; i + 31 <= array.size(); i += 31) {
        const double* v = &array[i];
        WaterMagmaCalculationResult r;
        info.m = r.m = v[0];
        r.Q = v[1];
        r.T3 = v[2];
        r.Wrev = -v[4];
        r.Wirr = -v[6];
        r.WrevP = -v[8];
        r.WirrP = -v[10];
        r.QP = v[19];
        r.cumulativeWrev = -v[24];
        r.cumulativeWirr = -v[25];
        r.cumulativeQ = v[26];
        r.cycleCount = v[27];
        r.T4 = v[28];
        writeDataIgorFileForWaterMagmaDiagram(file, info, r);
    }
    info.m = m0;
    out.print("END\n");
    return out.commit();
}

// ------------------------------------------------------------ after isobaric heating

bool writeEmptyWave(const char* name, const char* waves) {
    OutputFile file;
    if (!file.open(name)) return false;
    // No row: a row of nan would be read as a point. The script loads the waves all the same.
    file.print("IGOR\nWAVES %s\nBEGIN\nEND\n", waves);
    if (!file.commit()) return false;
    vornex::cfprintf(stderr, "%s holds no point (written empty for the Igor script that loads it)\n",
                 name);
    return true;
}

namespace {

// The Igor file of the heating-decompression path (P bar, T K) of an isobaric cycle.
bool writeIsobaricPath(const WaterMagmaCalculationResult& r) {
    OutputFile file;
    if (!file.open("isop0")) return false;
    file.print("IGOR\nWAVES p0 t0\nBEGIN\n");
    file.print("%12f %12f\n", r.P1, r.T1);
    file.print("%12f %12f\n", r.P2, r.T2);
    const bool boiled = r.x3 >= 0.0 && r.x3 <= 1.0;
    if (r.isobaricStage != 4 && (boiled || r.T3 > r.Tspin))
        file.print("%12f %12f\n", r.P2, r.Tspin);
    if (r.isobaricStage != 4 && boiled) file.print("%12f %12f\n", r.Pb, r.Tb);
    file.print("%12f %12f\n", r.P3, r.T3);
    if (r.x3 == -2.0) file.print("%12f %12f\n", r.P4, r.T4);
    file.print("END\n");
    return file.commit();
}

void twoPhaseEnd(WaterMagmaCalculationResult& r, const SaturationEnds& f) {
    r.x5 = f.isentropicFraction(r.S4);
    r.T5 = f.T;
    r.P5 = r.Pf;
    r.U5 = f.energy(r.x5);
    r.H5 = SaturationEnds::lever(r.x5, f.Hl, f.Hv);
    r.S5 = SaturationEnds::lever(r.x5, f.Sl, f.Sv);
    r.twoPhase = 1;
}

}  // namespace

void WaterEOS::calculateWorkForIsobaricHeating(WaterMagmaCalculationResult& r) {
    const SaturationEnds f = finalEnds(r);
    const double m = r.m;
    const double V3 = r.V3 * 1e-6;
    r.failed = 0;
    bool computed = true;
    if (r.x3 > 0.0 && r.x3 < 1.0) {
        twoPhaseEnd(r, f);
        r.Q = perGram((r.Hl - r.H2) + (1.0 - r.x3) * (r.Hv - r.Hl), M);
        const double Wh = -r.Pb * 1e5 * (r.Vv - r.Vl) * (1.0 - r.x3) - r.Hl + r.H2 - r.U2 + r.Ul;
        r.isobaricWork = Wh;
        r.Wrev = perGram(r.U5 - r.U3 + Wh, M);
        irreversibleExpansion(*this, r, Wh, r.T3);
    } else if (r.x3 == 0.0 || r.x3 == -2.0) {
        const bool steam = r.x3 == 0.0;
        if (!isentropeMeetsSaturation(*this, r.S3)) {
            r.failed = 1;
            error = 1;
            return;
        }
        r.T4 = T;
        r.P4 = P * 1e-5;
        r.U4 = U;
        r.S4 = S;
        r.V4 = V * 1e6;
        if (r.P4 <= r.Pf) {
            // The isentrope reaches Pf before it meets the saturation curve: the end is on
            // it, in one phase. A liquid's state 4 is that end, where its path is drawn to.
            if (!singlePhaseIsentropeEnd(*this, r)) {
                r.failed = 1;
                return;
            }
            if (!steam) {
                r.T4 = r.T5;
                r.P4 = r.P5;
                r.U4 = r.U5;
                r.S4 = r.S5;
                r.V4 = V * 1e6;
            }
        } else {
            twoPhaseEnd(r, f);
            if (r.x5 > 1.0) {
                r.x5 = 1.0;
                r.twoPhase = 0;
            }
        }
        r.Q = perGram(r.H3 - r.H2, M);
        const double Wh = r.U3 - r.H3 + r.H2 - r.U2;
        r.isobaricWork = Wh;
        r.Wrev = perGram(Wh + r.U5 - r.U3, M);
        irreversibleExpansion(*this, r, Wh, r.T3);
    } else {
        computed = false;
    }
    if (computed) {
        r.x5Volume = r.x5 >= 1.0 ? 1.0 : liquidVolumeFraction(r.x5, f.Vl, f.Vv);
        r.steamMass = steamMassFraction(r.x5, m);
        r.steamVolume = steamVolumeFraction(r.x5, m, f.Vl, f.Vv);
    }

    if (r.writeCurves && r.scriptFlag == kScriptIgor) {
        if (r.x3 == 0.0) {
            calculateTheIsentropicCurve(r.T3, 0.0, V3, -1.0, 273.15, r.Tm + 0.1, r.Pf * 1e5, 1e10,
                                        kIgorText, "1", nullptr);
            if (r.twoPhase)
                calculateIsoBiphasic(kIsoEntropy, r.S3, 2, 647.0, -1.0, kWaterCriticalVolume,
                                     kWaterCriticalVolume, r.Tsatf, 1, "2");
        } else {
            writeEmptyWave("isos1", "p1 t1");
            if (r.x3 != -2.0 || r.Pf < r.P4)
                calculateIsoBiphasic(kIsoEntropy, r.S3, 2, 647.0, -1.0, kWaterCriticalVolume,
                                     kWaterCriticalVolume, r.Tsatf, 1, "2");
            else
                writeEmptyWave("isoss2", "p2 t2");
        }
        writeIsobaricPath(r);
        error = 0;
    } else if (r.writeCurves && r.scriptFlag == kScriptArray) {
        r.isentropeArray.clear();
        if (r.x3 == 0.0)
            calculateTheIsentropicCurve(r.T3, 0.0, V3, -1.0, 273.15, r.Tm + 0.1, r.Pf * 1e5, 1e10,
                                        kCurveArray, "1", &r.isentropeArray);
        error = 0;
    }
    if (computed && r.pyroclast) calculateIsothermalExpansionWork(r);
}

// ------------------------------------------------------------ isobaric heating report

bool WaterEOS::calculateIsobaricHeatingWork(double Pbar, double T0, double T1) {
    const KeptPhaseSelector side(*this);
    if (!std::isfinite(Pbar) || !std::isfinite(T0) || !std::isfinite(T1) || Pbar <= 0.0 ||
        T0 <= 0.0 || T1 <= 0.0) {
        vornex::cfprintf(stderr, "Isobaric heating needs a positive pressure and temperatures\n");
        return false;
    }
    if (!givesWholeEnergies("Isobaric heating")) return false;
    double Tsat = 647.0;
    if (Pbar <= kSupercriticalPressure) {
        calculateTheSaturationTemperature(Pbar, 0);
        if (!error)
            Tsat = T;
        else if (Pbar < kWaterTriplePointPressureBar)
            Tsat = 0.0;  // no liquid at such a pressure, where the saturation is not solved
    }
    auto phaseAt = [&](double TK) {
        return (Pbar <= kSupercriticalPressure && TK >= Tsat) ? 1 : 2;
    };
    struct End {
        double S, H, U, V;
    } e[2];
    const double temperatures[2] = {T0, T1};
    for (int i = 0; i < 2; ++i) {
        error = 0;
        set_the_phase_as(phaseAt(temperatures[i]));
        calculateFromTP(temperatures[i], Pbar, 0);
        if (error && i == 0) {
            error = 0;
            Vl0 = 1.6e-5;
            calculateFromTP(temperatures[i], Pbar, 0);
        }
        if (error || !holdsPhysicalState()) {
            const std::string outside = outsideWaterRange(temperatures[i], Pbar);
            vornex::cfprintf(stderr, "Isobaric heating failed: no water state at %g deg. C and %g bar%s%s\n",
                         temperatures[i] - 273.15, Pbar, outside.empty() ? "" : "; ",
                         outside.c_str());
            error = 1;
            return false;
        }
        noteOutsideWaterRange("heat", i == 0 ? "the initial state" : "the final state",
                              temperatures[i], Pbar);
        e[i] = {S, H, U, V};
    }
    const double g = M * 1000.0;  // g/mol
    vornex::cprintf("\nIsobaric heating at the pressure : %8.2f bar\n", Pbar);
    vornex::cprintf("---------------------------------------------\n");
    vornex::cprintf("Initial temperature T0  : %8.2f deg.C  , %8.2f K\n", T0 - 273.15, T0);
    vornex::cprintf("Final temperature   T1  : %8.2f deg.C  , %8.2f K\n\n", T1 - 273.15, T1);
    // The liquid at the triple point is the zero of the equation's entropy and energy: its
    // rounding shows as 0.00, not -0.00.
    auto shown = [](double v) { return signlessZero(v, 2); };
    for (int i = 0; i < 2; ++i)
        vornex::cprintf("                    S%d  : %8.2f J/mol/K, %8.2f J/g/K\n", i,
                        shown(e[i].S), shown(e[i].S / g));
    for (int i = 0; i < 2; ++i)
        vornex::cprintf("                    H%d  : %8.2f J/mol  , %8.2f J/g\n", i, shown(e[i].H),
                        shown(e[i].H / g));
    for (int i = 0; i < 2; ++i)
        vornex::cprintf("                    U%d  : %8.2f J/mol  , %8.2f J/g\n", i, shown(e[i].U),
                        shown(e[i].U / g));
    for (int i = 0; i < 2; ++i)
        vornex::cprintf("                    V%d  : %8.2f cm3/mol, %8.2f cm3/g\n", i, e[i].V * 1e6,
                    e[i].V * 1e6 / g);
    for (int i = 0; i < 2; ++i)
        vornex::cprintf("                  rho%d  : %8.2f kg/m3\n", i, M / e[i].V);
    // A liquid that barely changes its volume does no work: not "-0.00".
    vornex::cprintf("Isobaric heating work   : %8.2f J/g H2O\n\n",
                shown(perGram((e[1].H - e[0].H) - (e[1].U - e[0].U), M)));
    return true;
}

}  // namespace vornex
