// Decompression of water that stays in contact with hot magma fragments: isentropic steps of
// the water, each followed by thermal equilibration with the magma at constant water
// volume, until the path meets the two-phase boundary or the end pressure; the saturated
// variant along the two-phase curve, and the equilibrium temperature of water and magma
// against the mass ratio.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"
#include "numerics/Solver.h"
#include "water/WaterEOS.h"
#include "water/magma/WaterMagmaPathJump.h"
#include "water/magma/WaterMagmaRecords.h"
#include "water/magma/WaterMagmaSaturation.h"

namespace vornex {

namespace {

constexpr int kMaxPathSteps = 200000;
constexpr double kLowestWaterTemperature = 273.0;  // K

// The equilibration of the water (at its volume V, from its energy Uw) with the magma
// fragments at Tmag.
struct EquilibriumContext {
    double Tmag, Uw, V;  // K, J/mol, m3/mol
};

// A point of the path with its cumulative work and heat.
struct PathPoint {
    double T, P, V, W, Q;
};

void setEnd(WaterEOS& w, const PathPoint& p) {
    w.endTemperature = p.T;
    w.endPressure = p.P;
    w.endVolume = p.V;
    w.endWork = p.W;
    w.endHeat = p.Q;
}

void setBoundary(WaterEOS& w, const PathPoint& p) {
    w.boundaryTemperature = p.T;
    w.boundaryPressure = p.P;
    w.boundaryVolume = p.V;
    w.boundaryWork = p.W;
    w.boundaryHeat = p.Q;
}

PathPoint between(const PathPoint& a, const PathPoint& b, double w) {
    return {a.T + w * (b.T - a.T), a.P + w * (b.P - a.P), a.V + w * (b.V - a.V),
            a.W + w * (b.W - a.W), a.Q + w * (b.Q - a.Q)};
}

// Below this relative size a Newton correction leaves an error of its square: applied, the
// search ends at the next evaluation.
constexpr double kLastCorrection = 1e-7;

// The isentropic point at T: Newton on V from the isentrope's tangent at the current point
// (dS/dV = dP/dT), each correction applied, until one is below rounding or small enough
// that its square is.
void isentropicPointAtT(WaterEOS& w, double Tnext, double Sref) {
    const double slope = -(w.Cv / w.T) / w.dPdT;  // (dV/dT) along the isentrope
    double V = w.V + slope * (Tnext - w.T);
    if (!(V > 0.0) || !std::isfinite(V)) V = w.V;
    bool last = false;
    for (int k = 0; k < 30; ++k) {
        stateFunctionsAt(w, Tnext, V);
        if (w.error || !(w.dPdV < 0.0)) break;
        if (last) return;
        const double change = -(w.S - Sref) / w.dPdT;
        if (!std::isfinite(change)) break;
        if (std::fabs(change) <= 1e-14 * V) return;
        last = std::fabs(change) <= kLastCorrection * V;
        V += change;
        if (!(V > 0.0)) break;
    }
    w.error = 1;
}

// The isentropic point at P: Newton on (T, V) from the isentrope's tangent at the current
// point, each correction applied, until both are below rounding or small enough that their
// squares are. (The general search
// accepts a pressure some pascals off in a liquid, whose (dP/dV)_T dwarfs its residual
// measure; a path of hundreds of such steps would carry the shortfall along.)
void isentropicPointAtP(WaterEOS& w, double Pt, double Sref) {
    const double CvT = w.Cv / w.T, D = w.dPdT * w.dPdT - w.dPdV * CvT;
    double T = w.T + (w.dPdT / D) * (Pt - w.P), V = w.V - (CvT / D) * (Pt - w.P);
    if (!(T > 0.0 && V > 0.0) || !std::isfinite(T + V)) {
        T = w.T;
        V = w.V;
    }
    bool last = false;
    for (int k = 0; k < 30; ++k) {
        stateFunctionsAt(w, T, V);
        if (w.error || !(w.dPdV < 0.0)) break;
        if (last) return;
        const double fS = w.S - Sref, fP = w.P - Pt;
        const double a = w.Cv / w.T, b = w.dPdT, d = w.dPdV, det = a * d - b * b;
        const double dT = -(d * fS - b * fP) / det, dV = -(a * fP - b * fS) / det;
        if (!std::isfinite(dT) || !std::isfinite(dV)) break;
        if (std::fabs(dT) <= 1e-14 * T && std::fabs(dV) <= 1e-14 * V) return;
        last = std::fabs(dT) <= kLastCorrection * T && std::fabs(dV) <= kLastCorrection * V;
        T += dT;
        V += dV;
        if (!(T > 0.0 && V > 0.0)) break;
    }
    w.error = 1;
}

// Near the critical point no metastable state lies beyond the coexistence curve for a step
// to land on, so a step across the curve fails. The isentrope of the last point (the path's
// entropy S) meets the model's own curve at the saturated state of that entropy: when that
// state lies within a step of the last point (before it too: there the auxiliary saturation
// pressure, which tells the path's points outside, and the model's coexistence part by a few
// hundredths of a kelvin), it is the path's boundary, with the isentropic work from the last
// point; next to the critical entropy, where the coexistence is not solved, that state is
// the critical point. False otherwise.
bool meetCoexistenceAlongIsentrope(WaterEOS& w, const PathPoint& last, double Ulast, double S,
                                   bool stepInP, double target) {
    if (!isentropeMeetsSaturation(w, S)) return false;
    const double reach = stepInP ? std::fabs(w.P - last.P) : std::fabs(w.T - last.T);
    if (!(reach <= (stepInP ? std::fabs(target - last.P) : std::fabs(target - last.T))))
        return false;
    setBoundary(w, {w.T, w.P, w.V, last.W + (w.U - Ulast), last.Q});
    return true;
}

// Opens prefix + suffix, the suffix checked; false, with a message, when it cannot be.
bool openPathFile(OutputFile& file, const char* prefix, const char* suffix) {
    const char* s = suffix == nullptr ? "" : suffix;
    return OutputFiles::checkSuffix(s) && file.open(std::string(prefix) + s);
}

}  // namespace

// The energy balance per kg of magma: what the water gains at constant volume, U(TK, V) - Uw,
// is what the magma gives up by cooling (and crystallising) to TK. The water's heat
// capacity changes a lot along such a step near the saturation, so a balance on Cv or Cp
// at one end of the step would not conserve the energy.
double WaterEOS::equationForHeatingDecompressionEquilibriumTemperature(double TK, void* context) {
    const EquilibriumContext& c = *static_cast<const EquilibriumContext*>(context);
    if (!(TK > kLowestWaterTemperature)) {
        equationError = 1;
        return 0.0;
    }
    stateFunctionsAt(*this, TK, c.V);
    if (error) {
        equationError = 1;
        return 0.0;
    }
    return (U - c.Uw) * waterMagmaRatio / M + (TK - c.Tmag) * magmaHeatCapacity +
           calculateLatentHeatTerm(c.Tmag, TK);
}

void WaterEOS::calculateHeatingDecompression(double V0, double T0, double Tlow, double Thigh,
                                             double Pend, char flag, const char* suffix,
                                             CurveArray* rows) {
    boundaryReached = -1;
    endInterpolated = -1;
    if (!givesWholeEnergies("The heating decompression")) return;
    OutputFile file;
    std::FILE* out = nullptr;
    if (flag == 1 || flag == 2) {
        if (!openPathFile(file, "isoh", suffix)) {
            error = 1;
            return;
        }
        out = file.stream();
    }
    const char* s = suffix == nullptr ? "" : suffix;
    if (flag == 2)
        vornex::cfprintf(
            out, "# %12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\n",
            "T(1)", "V(2)", "P(3)", "A(4)", "H(5)", "U(6)", "S(7)", "G(8)", "Cv(9)", "Cp(10)",
            "Tm(11)", "W2(12)", "Q(13)");
    else if (flag == 1)
        vornex::cfprintf(
            out,
            "IGOR\nWAVES %5s%s\t%12s%s\t%12s%s\t%12s%s\t%12s%s\t%12s%s\t%12s%s\t%12s%s\t%12s%s"
            "\t%12s%s\t%12s%s\t%12s%s\t%12s%s\nBEGIN\n",
            "T", s, "V", s, "P", s, "A", s, "H", s, "U", s, "S", s, "G", s, "Cv", s, "Cp", s, "Tm",
            s, "W2", s, "Q", s);

    // The magma per mol of water: its heat capacity, with its latent heat across its melting
    // range, is the balance's slope in T; the jumps read the same.
    double Tsol = 0.0, Tliq = 0.0;
    meltingRange(Tsol, Tliq);
    const MagmaSide magma{waterMagmaRatio > 0.0 ? M / waterMagmaRatio : 0.0, magmaHeatCapacity,
                          latentHeat != 0.0 ? latentHeat / (Tliq - Tsol) : 0.0, Tsol, Tliq,
                          latentHeat != 0.0};
    calculateFromTV(T0, V0, 0);
    double Sref = S, Uprev = U;
    double W = 0.0, Q = 0.0, Tmag = T0, dT = -1.0, dP = -1.0;
    double nextT = T0, nextP = P * 1e-5;
    bool stepInP = false, failedStep = false;
    PathPoint endPrev{}, boundaryPrev{}, lastPoint{T, P, V, 0.0, 0.0};
    double PsatPrev = 0.0;
    // Whole steps are jumped over where nothing is written step by step.
    const bool mayJump = out == nullptr && rows == nullptr && waterMagmaRatio > 0.0;
    const PathLimits limits{Tlow, Thigh, Pend};
    PathJump jump;
    double pendingStep = 0.0;
    int jumpWait = 0, jumpBackoff = 4;
    const bool mayRun = !error && T0 > Tlow && T0 < Thigh;
    for (int n = 0; mayRun && n < kMaxPathSteps && T > Tlow && T < Thigh; ++n) {
        // A jump starts where the pending step has the size the rules give this point, so
        // that every step it covers has that size.
        int jumped = 0;
        if (mayJump && n > 0 && jumpWait == 0 && pendingStep == (stepInP ? dP : dT)) {
            const double Ustart = U, Wstart = W;
            jumped = jumpAlongPath(*this, stepInP, pendingStep, magma, limits,
                                   kMaxPathSteps - n, jump, W);
            if (jumped > 0) {
                Q += (U - Ustart) - (W - Wstart);
                n += jumped - 1;
                jumpBackoff = 4;
            } else {
                jumpBackoff = std::min(2 * jumpBackoff, 64);
            }
            // A rule change close ahead is crossed step by step (one step more: a step's
            // size follows the rules at the point before it); a jump that got nowhere for
            // another reason is tried again later each time.
            if (jump.stepsToCrossing > 0 && jump.stepsToCrossing < 8)
                jumpWait = jump.stepsToCrossing + 1;
            else if (jumped == 0)
                jumpWait = jumpBackoff / 2;
        } else if (jumpWait > 0) {
            --jumpWait;
        }
        double Te = T;
        if (jumped == 0) {
            // The lean searches start from this point; the general ones are the fallback.
            const double Tk = T, Vk = V;
            if (stepInP)
                isentropicPointAtP(*this, nextP * 1e5, Sref);
            else
                isentropicPointAtT(*this, nextT, Sref);
            if (error) {
                stateFunctionsAt(*this, Tk, Vk);
                if (stepInP)
                    calculate_isentropic_point_at_fixed_P(nextP, Sref, Tk, Vk);
                else
                    calculate_isentropic_point_at_fixed_T(nextT, Sref, Vk);
                if (!error) calculate_state_functions();
            }
            if (error) {
                failedStep = true;
                break;
            }
            const double Uisen = U, Tw = T, Vw = V;
            // A first guess from the heat capacity at the start of the step, then Newton on
            // the balance (its slope from the water's Cv where it was last evaluated); the
            // secant takes over where the crystallisation's latent heat makes the balance a
            // step.
            const double C = waterMagmaRatio * Cv / M;
            Te = (Tw * C + Tmag * magmaHeatCapacity) / (C + magmaHeatCapacity);
            // The last correction is applied: left out, its few 1e-7 K a step, all of one
            // sign, would drift the path by some 1e-4 K over a few thousand steps.
            bool atTe = false, balanced = false;
            if (Te != Tw) {
                EquilibriumContext c{Tmag, Uisen, Vw};
                equationError = 0;
                for (int k = 0; k < 8 && !balanced; ++k) {
                    const double f = equationForHeatingDecompressionEquilibriumTemperature(Te, &c);
                    if (equationError) break;
                    const double slope =
                        waterMagmaRatio * Cv / M + magma.capacity(Te);
                    const double change = -f / slope;
                    if (!std::isfinite(change)) break;
                    balanced = std::fabs(change) < 1e-9 * Te;
                    atTe = std::fabs(change) < 1e-14 * Te;
                    Te += change;
                }
                equationError = 0;
                if (!balanced) {
                    const double dTe = 1e-4 * (Tmag > Tw ? 1.0 : -1.0);
                    Secant solver = waterSecant(
                        *this, &WaterEOS::equationForHeatingDecompressionEquilibriumTemperature,
                        &c, Te, Te + dTe, 50, 1e-9, false);
                    Te = solver.solve();
                    // Between the water and the magma the balance changes sign: bracketed,
                    // the root is found across a kink of the magma's latent heat too.
                    if ((solver.error != 0 || !std::isfinite(Te)) &&
                        !bracketedWaterRoot(
                            *this, &WaterEOS::equationForHeatingDecompressionEquilibriumTemperature,
                            &c, std::min(Tw, Tmag), std::max(Tw, Tmag), Te)) {
                        error = 1;
                        break;
                    }
                }
            }
            if (!atTe) stateFunctionsAt(*this, Te, Vw);
            W += Uisen - Uprev;
            Q += U - Uisen;
        }
        Sref = S;
        if (out != nullptr)
            vornex::cfprintf(
                out,
                "%12.4lf\t%12.4lf\t%12.4lf\t%12.6lf\t%12.6lf\t%12.6lf\t%12.6lf\t%12.6lf\t%12.6lf"
                "\t%12.6lf\t%12.2f\t%12.4lf\t%12.4lf\n",
                T, V * 1e6, P * 1e-5, A * 1e-3, H * 1e-3, U * 1e-3, S, G * 1e-3, Cv, Cp, Te, W, Q);
        if (flag == 6 && rows != nullptr)
            rows->insert(rows->end(), {T, V * 1e6, P * 1e-5, A * 1e-3, H * 1e-3, U * 1e-3, S,
                                       G * 1e-3, Cv, Cp, Te, W, Q});
        const PathPoint here{T, P, V, W, Q};
        lastPoint = here;
        if (P > Pend) {
            endPrev = here;
            endInterpolated = 0;
        } else if (P < Pend && endInterpolated == 0) {
            setEnd(*this, between(endPrev, here, (Pend - endPrev.P) / (P - endPrev.P)));
            endInterpolated = 1;
        }
        if (endInterpolated == 0) setEnd(*this, here);
        bool ends = false;
        if (T < kWaterCriticalTemperature) {
            double Psat = 0.0;
            bool vapourSide = false;
            const bool outside = outsideTwoPhase(T, P, S, Psat, vapourSide);
            if (!outside && n == 0) {
                // Heated water that already lies beyond its boiling curve (a superheated
                // liquid) meets it where the path starts.
                setBoundary(*this, here);
                boundaryReached = 1;
                ends = true;
            } else if (outside) {
                boundaryPrev = here;
                PsatPrev = Psat;
                boundaryReached = 0;
            } else if (boundaryReached == 0 && P != Psat) {
                const double w =
                    vapourSide ? 1.0 / (std::fabs((Psat - P) / (PsatPrev - boundaryPrev.P)) + 1.0)
                               : (Psat - boundaryPrev.P) / (P - boundaryPrev.P);
                setBoundary(*this, between(boundaryPrev, here, w));
                boundaryReached = 1;
                ends = true;
            }
            if (boundaryReached == 0) setBoundary(*this, here);
        }
        if (ends || P < Pend) break;
        // Where the isentrope is steep in P(T) the next step is taken in pressure.
        stepInP = isentropeSlope(ATT, ATv, Avv) > kSteepIsentrope;
        pendingStep = stepInP ? dP : dT;
        if (stepInP)
            nextP = P * 1e-5 + dP;
        else
            nextT = T + dT;
        dT = temperatureStep(T);
        dP = pressureStep(P);
        Tmag = Te;
        Uprev = U;
    }
    // The steps evaluated the state functions only; the point the path stopped at is
    // completed.
    if (!error) calculateFromTV(T, V, 0);
    // Where the path stopped: the last point, or the state a failed step left.
    const double Tstop = T, Pstop = P, Vstop = V, Wstop = W, Qstop = Q;
    const bool unstable = dPdV > 0.0;
    if (failedStep && meetCoexistenceAlongIsentrope(*this, lastPoint, Uprev, Sref, stepInP,
                                                    stepInP ? nextP * 1e5 : nextT)) {
        error = 0;
        boundaryReached = 1;
    } else if (failedStep && unstable && Tstop < kWaterCriticalTemperature &&
               boundaryReached == 0) {
        // The isentrope ran into the unstable region: the boundary is the saturation there.
        calculateTheSaturationPressure(Vstop > Vsep ? Tstop + 1.0 : Tstop);
        if (!error) {
            setBoundary(*this, {Tstop, P, Vv, Wstop, Qstop});
            boundaryReached = 1;
        }
    } else if (failedStep) {
        error = 1;
    }
    if (boundaryReached == -1 && Tstop < kWaterCriticalTemperature &&
        std::fabs(Pstop - saturationPressureWagnerPruss(Tstop)) < 400000.0) {
        setBoundary(*this, {Tstop, Pstop, Vstop, Wstop, Qstop});
        boundaryReached = 1;
    }
    if (out != nullptr) {
        if (flag == 1) vornex::cfprintf(out, "END\n");
        file.commit();
    }
}

void WaterEOS::calculateHeatingDecompressionPath1(const char*, double TK, double Vm3, double m) {
    waterMagmaRatio = m;
    magmaTemperature = TK;
    calculateHeatingDecompression(Vm3, TK, 273.15, 1573.15, 100000.0, 1, "3", nullptr);
}

void WaterEOS::calculateHeatingDecompressionPath2(const char* file, double TK, double S0,
                                                  double Tend, WaterMagmaCalculationResult& r) {
    // The path adds the magma's heat to the water's entropy and reads the saturated ends'
    // entropies and energies: residual values alone put it on another path, with a work of a
    // fifth of the water's.
    if (!givesWholeEnergies("The saturated heating decompression")) {
        r.failed = 1;
        r.failWith(wholeEnergiesRefusal());
        return;
    }
    error = 0;
    const double m = waterMagmaRatio, cp = magmaHeatCapacity;
    // A path that stops short of Tend has no work and heat of its own: nothing of it is kept,
    // neither its figures nor the rows written so far.
    auto fail = [&](const std::string& why) {
        vornex::cfprintf(stderr, "The saturated heating decompression failed: %s\n", why.c_str());
        error = 1;
        r.failed = 1;
        r.failWith(why);
        r.Wrev = r.Q = std::nan("");
    };
    if (!(m > 0.0) || !(cp >= 0.0) || !std::isfinite(m) || !std::isfinite(cp)) {
        fail("the water/magma mass ratio must be above 0 and the magma heat capacity not below 0");
        return;
    }
    auto noSaturation = [](double at) {
        char why[96];
        vornex::csnprintf(why, sizeof why, "no saturated water at %.2f K", at);
        return std::string(why);
    };
    SaturationEnds e;
    if (!std::isfinite(TK) || !saturationEndsAtT(*this, TK, e)) {
        fail(noSaturation(TK));
        return;
    }
    OutputFile path;
    std::FILE* out = nullptr;
    if (file != nullptr && *file != '\0') {
        if (!openPathFile(path, file, "")) {
            fail("its file could not be written");
            return;
        }
        out = path.stream();
        vornex::cfprintf(
            out, "# %12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\n",
            "T(1)", "V(2)", "P(3)", "A(4)", "H(5)", "U(6)", "S(7)", "G(8)", "Cv(9)", "Cp(10)",
            "W(11)", "Q(12)", "fl(13)");
    }
    double entropy = S0, W = 0.0, Q = 0.0;
    double x = e.isentropicFraction(S0);
    double Vprev = e.volume(x);
    double VvPrev = e.Vv;
    for (int n = 0; n < kMaxPathSteps && TK >= Tend && TK > 273.15; ++n, TK -= 1.0) {
        if (!saturationEndsAtT(*this, TK, e)) {
            fail(noSaturation(TK));
            return;
        }
        // Heat of the magma cooling by 1 K.
        entropy += (M * cp / m) * std::log(1.0 / TK + 1.0);
        double dW = 0.0;
        if (entropy <= e.Sv) {
            x = e.isentropicFraction(entropy);
            V = e.volume(x);
            H = SaturationEnds::lever(x, e.Hl, e.Hv);
            U = e.energy(x);
            S = entropy;
            P = e.P;
            dW = (V - Vprev) * e.P;
            Vprev = V;
            VvPrev = e.Vv;
        } else {
            calculate_isentropic_point_at_fixed_T(TK, entropy, e.Vv);
            if (!error) calculate_state_functions();
            if (error || !holdsPhysicalState()) {
                char why[160];
                vornex::csnprintf(why, sizeof why,
                                  "the steam of entropy %.6g J/(mol K) that the magma's heat "
                                  "makes at %.2f K could not be solved",
                                  entropy, TK);
                fail(why);
                return;
            }
            dW = (V - VvPrev) * P;
            VvPrev = V;
            x = 0.0;
        }
        W -= dW;
        Q += (M / m) * cp;
        if (out != nullptr)
            vornex::cfprintf(
                out,
                "%12.2f\t%12.3lf\t%12.2f\t%12.6lf\t%12.6lf\t%12.6lf\t%12.6lf\t%12.6lf\t%12.6lf"
                "\t%12.6lf\t%12.2f\t%12.4lf\t%12.4lf\n",
                TK, V * 1e6, P * 1e-5, A * 1e-3, H * 1e-3, U * 1e-3, S, G * 1e-3, Cv, Cp, W, Q, x);
    }
    if (out != nullptr && !path.commit()) {
        fail("its file could not be written");
        return;
    }
    r.Wrev = W * 0.001 / M;
    r.Q = Q * 0.001 / M;
}

void WaterEOS::calculateEquilibriumCurve(double Tm, double, double, double, double, char igor,
                                         const char* suffix) {
    const KeptPhaseSelector side(*this);
    const double m0 = waterMagmaRatio, Tm0 = magmaTemperature;
    error = 0;
    if (!givesWholeEnergies("The equilibrium curve")) return;
    set_the_phase_as(2);
    Vl0 = 1.8e-5;
    calculateFromTP(293.15, 1.0, 0);
    if (error) return;
    const double Vwater = V;
    const char* s = suffix == nullptr ? "" : suffix;
    OutputFile file;
    if (!OutputFiles::checkSuffix(s) || !file.open(std::string("heat") + s + ".txt")) {
        error = 1;
        return;
    }
    std::FILE* out = file.stream();
    if (igor == 1) {
        vornex::cfprintf(out, "IGOR\nWAVES %11s%s %11s%s %11s%s\nBEGIN\n", "m", s, "T", s, "Ta", s);
    } else {
        vornex::cfprintf(out, "# Magma temperature : %lf\n", Tm);
        vornex::cfprintf(out, "# T0                : %lf\n", 293.15);
        vornex::cfprintf(out, "# P0                : %lf\n", 1.0);
        vornex::cfprintf(out, "#%11s %12s %12s\n", "water(1)", "Te(2)", "Tapprox(3)");
    }
    magmaTemperature = Tm;
    auto row = [&](double m) {
        waterMagmaRatio = m;
        calculateIsochoricPeakTemperature(293.15, Vwater, 0.0, 0.0, 0.0, out);
    };
    // Small ratios first, then the main range by 0.01.
    row(0.01);
    for (int i = 0; i < 17; ++i) row(0.015 + 0.005 * i);
    for (int i = 0; i < 1000; ++i) row(0.1 + 0.01 * i);
    if (igor == 1) vornex::cfprintf(out, "END\n");
    if (!file.commit()) error = 1;
    waterMagmaRatio = m0;
    magmaTemperature = Tm0;
}

}  // namespace vornex
