#include "solubility/SpiveySolubility.h"

#include <cmath>
#include <limits>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "solubility/DMGWwater.h"
#include "water/WaterEOS.h"

namespace vornex {

SpiveySolubility::SpiveySolubility() {
    henryScale = 0;
    vapourVolumeFlag = 1;
    setModelName("Spivey model");
    bubbleSolver.function =
        static_cast<EquationFunction>(&SpiveySolubility::equation_for_bubble_pressure);
    setSystemType(SM_H2O_CH4_NaCl, 0);
    setGasModelType(SM_ClassicalSRK);
}

double SpiveySolubility::partialVolume(double TK, double PMPa, double msalt) {
    // RT d ln(H gamma)/dP: the salting-out exp(-2 lambda m) of the solubility takes the NaCl
    // molality, so its pressure slope does too. Taken with the gas molality it left a brine's
    // CH4 the volume it has in water, 13 cm3/mol short at 4 mol/kg NaCl and 100 bar.
    return kGasConstant * TK *
           (-0.085658 + 0.0131961 * std::log(TK) + 7.338 / TK + 0.0905 / (680.0 - TK) +
            2.0 * msalt * (0.226 / TK - 0.002454 * PMPa / TK)) *
           1e-6;
}

void SpiveySolubility::calculate_gas_solubility0() {
    // The NaCl given as a mole fraction is the brine's salinity, as in the other models.
    update_composition();
    vapourError = 0;
    error = 0;
    if (!acceptsState("Spivey solubility", false) || !missingParameters().empty()) {
        if (!missingParameters().empty()) error = 1;
        mg = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    Psat = WaterEOS::saturationPressureWagnerPruss(T);
    if (Psat > P) {
        vapourError = 1;
        mg = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    const double t = T - 273.15, PM = P * 1e-6, m = mNa;
    const double L = std::log((P - Psat) * 1e-6);
    const double lnm0 =
        (-7.751e-07 * t * t + 0.00013624 * t - 0.0781) * L * L +
        (1.193e-06 * t * t + 0.000851 * t + 1.02766) * L +
        (0.00018316 * t * t - 0.078119 * t - 3.6231) / (-1.0733e-05 * t * t + 0.0109192 * t + 1.0);
    const double lambda = 0.07015 + 0.0001074 * T + 0.226 * PM / T - 0.001227 * PM * PM / T;
    mg = std::exp(lnm0) * std::exp(-2.0 * lambda * m + 0.00628 * m * m);
    calculate_gas_partial_volume_();
    const double n = 55.50847203605297;
    // Methane in water has no NaCl among its components (and m = 0).
    const double xs = m / (n + mg + m);
    x[static_cast<size_t>(iGas)] = mg / (mg + n + m);
    if (iNaCl >= 0) x[static_cast<size_t>(iNaCl)] = xs;
    x[static_cast<size_t>(iH2O)] = 1.0 - x[static_cast<size_t>(iGas)] - xs;
    checkSolubilityResult();
    vapourBeside();
    if (!withinPublishedRange()) error = 1;
}

void SpiveySolubility::vapourBeside() {
    // The correlation needs no vapour, but a state has one: its water fraction, volume and gas
    // fugacity, as the other models leave them (the printout had shown a volume of 0, or the
    // one the last curve left at another state, and a Henry constant of 0). It has no Henry
    // constant: f_v/x would be one its own partial volume does not obey (35.6 cm3/mol
    // against the 40.9 of that slope at 298.15 K and 100 bar). A vapour model without a state
    // here leaves the vapour NaN; the solubility stands.
    const size_t g = static_cast<size_t>(iGas);
    yH2O = capillaryWaterFraction();
    finishVapourSide();
    if (vapourError) {
        vapourError = 0;
        Vvapour = fv = std::numeric_limits<double>::quiet_NaN();
    }
    activityCoefficient[g] = 1.0;
    henryConstant[g] = std::numeric_limits<double>::quiet_NaN();
    fugacity[g] = fv;
}

std::string SpiveySolubility::missingParameters() const {
    if (systemType == SM_H2O_CH4_NaCl || systemType == SM_H2O_CH4) return foreignGas();
    return cformat(
        "the Spivey correlation is for CH4 in water or NaCl brine (systems %d and %d), "
        "not system %d",
        SM_H2O_CH4_NaCl, SM_H2O_CH4, systemType);
}

const SolubilityModel::PublishedRange* SpiveySolubility::publishedRange() const {
    static constexpr PublishedRange kRange{"Spivey, McCain and North (2004)", 273.15, 548.15,
                                           2000.0, 5.7};
    return &kRange;
}

void SpiveySolubility::calculate_gas_partial_volume_() {
    Vg = missingParameters().empty() ? partialVolume(T, P * 1e-6, mNa)
                                     : std::numeric_limits<double>::quiet_NaN();
}

double SpiveySolubility::equation_for_bubble_pressure(double Pbar, void* context) {
    // A secant step below zero is the solver's, not the caller's: no refusal is said for it.
    if (!(Pbar >= 0.0 && Pbar <= 10000.0)) {
        equationError = 1;
        return 0.0;
    }
    pressure(Pbar);
    calculate_gas_solubility0();
    return mg - *static_cast<const double*>(context);
}

void SpiveySolubility::calculate_bubble_pressure(double TK, double Pbar, double ms, double mgas) {
    temperature(TK);
    pressure(Pbar);  // a negative or undefined guess is refused with the state
    mNa = mCl = ms;
    error = 0;
    const double given = mg;
    mg = mgas;
    const bool accepted = acceptsState("Bubble pressure", true);
    mg = given;
    if (!accepted || lacksParameters("Bubble pressure")) {
        P = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    double target = mgas;
    bubbleSolver.context = &target;
    // No pressure given: the estimate, never what an earlier call left.
    const double x0 = Pbar > 0.0 ? Pbar : bubbleStart(TK, ms, mgas);
    const bool solved = solveBubblePressure(x0, Pbar > 0.0);
    mg = mgas;
    if (solved) return;
    error = 1;
    // The last pressure tried (up to the scan's 10 kbar) is no bubble pressure.
    P = std::numeric_limits<double>::quiet_NaN();
    sayNoBubblePressure();
}

void SpiveySolubility::calculate_isopleth(double mgas, double ms, char mode, const char*,
                                          CurveArray* array) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const bool toArray = mode == kCurveArray && array != nullptr;
    mNa = mCl = ms;
    double Pbar = 1.0;
    pressure(Pbar);
    bool gap = false;
    // The gaps of the curve are its own: no failed point is said.
    const bool traced = tracingCurve;
    tracingCurve = true;
    for (int i = 0; i <= 300; ++i) {
        calculate_bubble_pressure(273.15 + i, Pbar, ms, mgas);
        if (error) {
            // A run of failed points is one pen-up pair; the next solve starts from the last
            // good pressure.
            gap = true;
            pressure(Pbar);
            continue;
        }
        Pbar = P * 1e-5;
        if (toArray) {
            if (gap) array->insert(array->end(), {kNaN, kNaN});
            array->insert(array->end(), {T, Pbar});
        }
        gap = false;
    }
    tracingCurve = traced;
}

bool SpiveySolubility::compare_with_Duan_model() {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    auto solved = [](const SolubilityModel& m) { return m.error == 0 && m.vapourError == 0; };
    CurveOutput out(kColumnTable);
    if (!out.open("res5.txt")) return false;
    DMGWwater duan(SM_H2O_CH4_NaCl, 0);
    out.print("%12s %12s %12s %12s %12s %12s %12s %12s\n\n", "T", "P", "mNaCl", "mCH4 (Duan)",
              "mCH4 (Spi)", "dev", "vCH4 (Duan)", "vCH4 (Spi)");
    for (int im = 0; im <= 12; ++im) {
        const double ms = 0.5 * im;
        out.print("\n");
        for (int it = 0; it <= 55; ++it) {
            const double t = 5.0 * it;
            for (int ip = 0; ip <= 200; ++ip) {
                const double Pbar = 10.0 * ip;
                for (SolubilityModel* m :
                     {static_cast<SolubilityModel*>(&duan), static_cast<SolubilityModel*>(this)}) {
                    m->temperature(273.15 + t);
                    m->pressure(Pbar);
                    m->setMolalities(ms, 0.0);
                    m->calculate_gas_solubility0();
                }
                // A failed solubility is written as nan, never as a number.
                const double mDuan = solved(duan) ? duan.mg : kNaN;
                const double mThis = solved(*this) ? mg : kNaN;
                out.print("%12f %12f %12f %12f %12f %12f %12f %12f\n", t, Pbar, ms, mDuan, mThis,
                          100.0 * (mThis - mDuan) / mDuan, solved(duan) ? duan.Vg * 1e6 : kNaN,
                          solved(*this) ? Vg * 1e6 : kNaN);
            }
        }
    }
    return out.close();
}

}  // namespace vornex
