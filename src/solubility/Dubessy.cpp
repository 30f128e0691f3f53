#include "solubility/Dubessy.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "cubic/TermCubic.h"
#include "fluid/CurveOutput.h"
#include "fluid/OutputFiles.h"
#include "numerics/DataPath.h"
#include "numerics/Decimal.h"
#include "numerics/FileReader.h"
#include "numerics/Fitting.h"
#include "puregas/CH4EOS.h"
#include "puregas/CO2EOS.h"
#include "puregas/IUPACCH4.h"
#include "puregas/IUPACCO2.h"
#include "solubility/HenryCorrelations.h"
#include "water/WagnerPruss.h"

namespace vornex {

namespace {
constexpr double R = kGasConstant;
constexpr double kWaterMoles = 55.50847203605297;  // mol of water per kg
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kLastIsoplethTemperature = 647.0;  // K
constexpr int kMaxIsothermRows = 100000;
// No vapour above 10 kbar is a solution, and the starts at rising pressures end there.
constexpr double kMaxVapourPressure = 1e9;  // Pa
// Liquid-side start of the vapour's volume search, below liquid CO2's 40-60 cm3/mol.
constexpr double kDenseVapourStart = 3e-5;  // m3/mol

double polynomial(const double* c, int n, double T) {
    double v = 0.0;
    for (int i = n - 1; i >= 0; --i) v = v * T + c[i];
    return v;
}

bool isCO2System(char system) {
    return system == 0 || system == 2;
}

// Newton stops with code 3 when the residual is small but the last step is not: the point is
// then close, and a few more rounds from it settle the step as well. The final code.
int settle(Newton& newton) {
    int code = newton.solve();
    for (int round = 0; round < 4 && code == 3; ++round) code = newton.solve();
    return code;
}
}  // namespace

Dubessy::Dubessy(char sys, char form, char activity, char henryOpt)
    : system(sys),
      residualForm(form),
      activityModel(activity),
      henryOption(henryOpt),
      water(std::make_unique<WagnerPruss>(2)),
      vapour(std::make_unique<PRSV>(2, 0)) {
    newton._setSysEquationToSolve(
        this, static_cast<EquationSystem>(&Dubessy::calculate_vector_function), 2);
    newton.numerical = 1;
    if (isCO2System(system)) {
        number_of_components(2);
        add_component("H2O");
        add_component("CO2");
        vapour->number_of_components(2);
        vapour->add_component("H2O");
        vapour->add_component("CO2");
    } else if (system == 5) {
        number_of_components(1);
        add_component("H2O");
        vapour->number_of_components(1);
        vapour->add_component("H2O");
    }
}

Dubessy::~Dubessy() = default;

// ------------------------------------------------------------------- fixed parameters

void Dubessy::calculatePsatH2O() {
    water->temperature(T);
    double Ps = water->calculateTheSaturationPressure(T);
    if (water->error || !(Ps > 0.0)) Ps = WaterEOS::saturationPressureWagnerPruss(T);
    water->temperature(T);
    water->Pascal(Ps);
    water->calculate_molar_volume();
    water->calculate_fugacities();
    fwSat = water->fugacity[0];
    Psat = Ps;
}

void Dubessy::calculateHenryConstant() {
    const double m = ms;
    if (isCO2System(system)) {
        if (henryOption == 2)
            H = 1e6 * std::exp(-6.8346 + 12817.0 / T - 3.7668e6 / (T * T) + 2.997e8 / (T * T * T));
        else
            H = henry::co2(T);
        if (system == 2) {
            if (henryOption == 1) {
                H *= henry::co2Salting(m);
            } else {
                static constexpr double a[5] = {3.114712456, -0.027655585, 9.176713976e-05,
                                                -1.278795941e-07, 6.2704268351e-11};
                static constexpr double b[5] = {-2.05637458, 0.020819802, -7.65857702e-05,
                                                1.2011325315e-07, -6.790343083e-11};
                static constexpr double c[5] = {0.253424331, -0.0026047432, 9.72580216e-06,
                                                -1.551654794e-08, 8.948557284e-12};
                H *= std::pow(10.0, polynomial(a, 5, T) * m + polynomial(b, 5, T) * m * m +
                                        polynomial(c, 5, T) * m * m * m);
            }
        }
    } else if (system == 1 || system == 3) {
        H = henry::h2s(T);
        if (system == 3 && henryOption == 1) H *= henry::h2sSalting(m, T);
    }
}

void Dubessy::calculate_activity_coefficients() {
    if (activityModel == 0) {
        static constexpr double a[4] = {-1127.63016458677, 11.8665759834639, -0.0363815939147719,
                                        3.44533889448619e-05};
        static constexpr double b[4] = {359.662899252007, -3.88804875551428, 0.0120996653413114,
                                        -1.15603635771203e-05};
        WA = polynomial(a, 4, T);
        WB = polynomial(b, 4, T);
    }
    if (activityModel == 2) {
        gammaH2O = std::exp(WA * x2 * x2);
        gammaCO2 = std::exp((x1 * x1 - 1.0) * WA);
    } else {
        gammaH2O = std::exp(x2 * x2 * (WA - WB + 4.0 * WB * x1));
        gammaCO2 = std::exp(-x2 * ((x1 + 1.0) * (WB + WA) + 4.0 * WB * x1 * x1));
    }
}

void Dubessy::calculate_gas_volume_infinite_dilution() {
    if (!isCO2System(system)) return;
    if (henryOption != 0) {
        Vinf = 2.82e-05;
        return;
    }
    static constexpr double c[5] = {0.02439488129, 0.0005790665261, -2.122757825e-06,
                                    3.1918934075e-09, -1.86290653e-12};
    Vinf = 1e-06 / polynomial(c, 5, T);
}

void Dubessy::calculate_fixed_parameters() {
    calculatePsatH2O();
    calculateHenryConstant();
    calculate_activity_coefficients();
    calculate_gas_volume_infinite_dilution();
}

// ------------------------------------------------------------------- solubility

void Dubessy::calculate_gas_solubility(double TK, double mgas, double msalt) {
    error = 0;
    if (!isCO2System(system)) {
        vornex::cfprintf(stderr,
                         "Dubessy: system %d has no gas solubility; it is solved for H2O-CO2 (0) "
                         "and H2O-CO2-NaCl (2)\n",
                         system);
        error = 1;
        return;
    }
    // An option outside its list would be taken as another's: an activity model of 3 as the
    // form A of the stored parameters (an ideal liquid with W at 0), a Henry option of '2'
    // (the digit) as the first correlation with the fixed volume and the polynomial salting,
    // a mix no option gives (0.5 mol/kg CO2 at 323.15 K: 31.12 bar against 29.80).
    if (!(residualForm == 0 || residualForm == 1) || activityModel < 0 || activityModel > 2 ||
        henryOption < 0 || henryOption > 2) {
        vornex::cfprintf(stderr,
                         "Dubessy refused: options %d, %d, %d (the residual form is 0 or 1, the "
                         "activity model 0, 1 or 2, the Henry option 0, 1 or 2, given as numbers, "
                         "not digits)\n",
                         residualForm, activityModel, henryOption);
        error = 1;
        return;
    }
    if (!std::isfinite(TK) || !(TK > 0.0) || !std::isfinite(mgas) || mgas < 0.0 ||
        !std::isfinite(msalt) || msalt < 0.0) {
        vornex::cfprintf(stderr,
                         "Dubessy refused: T = %g K, m(CO2) = %g, m(NaCl) = %g mol/kg (T must be "
                         "positive, the molalities not negative, all finite)\n",
                         TK, mgas, msalt);
        error = 1;
        return;
    }
    if (system == 0 && msalt != 0.0) {
        // The salt-free system has no salting of the Henry constant nor a water activity of
        // the brine: a salt given to it would count in the mole fractions and nowhere else.
        vornex::cfprintf(stderr,
                         "Dubessy refused: the H2O-CO2 system (0) holds no NaCl (m(NaCl) = %g "
                         "mol/kg given); H2O-CO2-NaCl is system 2\n",
                         msalt);
        error = 1;
        return;
    }
    temperature(TK);
    mg = mgas;
    ms = msalt;
    x2 = 0.018 * mg / (0.018 * mg + 1.0);
    x1 = 1.0 - x2;
    const double n = mg + kWaterMoles + ms;
    xCO2 = mg / n;
    xNaCl = ms / n;
    xH2O = 1.0 - xCO2 - xNaCl;
    calculate_fixed_parameters();
    if (x2 > 0.0 && !(liquidStability(x2) > 0.0)) {
        // Past the activity model's spinodal the CO2 fugacity falls as the content rises: no
        // liquid is there, and the saturated "state" the solver finds there lies below the
        // pressures of the contents before it (298.15 K: 3.5 mol/kg at 962 bar, then 6.37
        // mol/kg at 68 bar beside 1.37 mol/kg at 63 bar).
        error = 1;
        P = kNaN;
        if (!quiet_)
            vornex::cfprintf(stderr,
                             "Dubessy: no liquid holds %g mol/kg CO2 at %g K: its activity "
                             "model's CO2 fugacity falls with the content beyond %g mol/kg\n",
                             mgas, TK, liquidStabilityLimit());
        return;
    }
    if (startFlag == 1 || !(Vvap > 0.0)) {
        const double Pstart = x1 * Psat + x2 * H;
        yCO2 = x2 * H / Pstart;
        yH2O = 1.0 - yCO2;
        Vvap = R * T / Pstart;
    }
    auto solveFrom = [&](double V, double y) {
        newton.x[0] = V;
        newton.x[1] = y;
        newton.scale[0] = 0.5 * V;
        newton.scale[1] = 0.2;
        newton.eps[0] = 1e-7 * V;
        newton.eps[1] = 1e-9;
        // A dense brine vapour's residual meets the tolerance while the steps stay above
        // theirs, held there by the water volume's own solve inside the residual (2 mol/kg
        // CO2 in 2 mol/kg NaCl at 295 K: 2226 bar, y(CO2) steps of 4e-9 between rounds):
        // a residual within the tolerance is the solution.
        const int code = settle(newton);
        return code == 0 || (code == 3 && newton.modG0 <= newton.tolerance);
    };
    // A solution is a vapour that holds both water and CO2 (a liquid holding water has water
    // in its vapour: with NaCl at 320 K and 2.85 mol/kg the solver once ended on a vapour of
    // CO2 alone at 44 kbar, where the brine's water activity vanishes, between neighbours
    // near 1850 bar), within 10 kbar, and the stable root of its composition at its
    // pressure.
    auto solvedFrom = [&](double V, double y) {
        if (!solveFrom(V, y)) return false;
        const double yc = newton.x[1];
        const bool holdsBoth = yc < 1.0 && (mgas == 0.0 || yc > 0.0);
        return holdsBoth && vapour->P <= kMaxVapourPressure && vapourIsStable();
    };
    bool solved = solvedFrom(Vvap, yCO2);
    // The ideal-gas start lies far from a dense CO2 vapour (near 100 bar at 400 K the solve
    // from it failed for 0.8 and 1 mol/kg between successes at 0.7, 0.9 and 1.1): starts of
    // smaller volume, down to a fifth. Below CO2's critical temperature the vapour of a
    // richer liquid is liquid CO2, at a tenth of the ideal-gas volume or less (1.5 mol/kg at
    // 298.15 K: 51 to 56 cm3/mol), and the Newton steps from one start fail where those of a
    // start a little apart converge (1.45, 1.85 and 2.2 mol/kg between solved contents):
    // then starts in steps of 15 % down to a twenty-fifth.
    const double V0 = Vvap, y0 = yCO2;
    for (double Z = 0.8; !solved && Z > 0.15; Z -= 0.15) solved = solvedFrom(Z * V0, y0);
    for (double Z = 0.8; !solved && Z > 0.04; Z *= 0.85) solved = solvedFrom(Z * V0, y0);
    // Above CO2's vapour pressure the gas-like root is supersaturated, and the liquid's vapour
    // is liquid CO2 at a higher pressure (280 K, 1.85 mol/kg: the gas at 47.6 bar, where
    // liquid CO2 is the stable fluid): where the starts above give no solution, it is solved
    // from the stable root at pressures rising from the estimate.
    // From the ideal estimate, whatever the start above (a continuation's liquid-like
    // volume stands for no pressure), in steps of a fifth up to 10 kbar itself: from a
    // liquid-like start the steps converge only within about 1 % of the vapour's volume. At
    // each pressure the start's water keeps first the estimate's partial pressure: a dense
    // brine's vapour holds the less water the higher its pressure, and from the estimate's
    // own fraction the steps fail (4 mol/kg NaCl at 286 K: 1.95 mol/kg CO2 at 7666 bar, y(H2O)
    // 2.9e-5, was refused from y(H2O) 1.3e-4 between solved neighbours, and is solved from
    // 1e-5).
    const double Pstart = x1 * Psat + x2 * H;
    // From 1 Pa at least: towards 0 K water's vapour pressure underflows to zero, and a start
    // of zero never rose (1e-3 K hung).
    for (double Ptry = std::fmax(Pstart, 1.0); !solved && Ptry <= kMaxVapourPressure;
         Ptry = Ptry < kMaxVapourPressure ? std::fmin(1.2 * Ptry, kMaxVapourPressure)
                                          : 2.0 * kMaxVapourPressure) {
        const double yHeld = 1.0 - (1.0 - y0) * std::fmin(1.0, Pstart / Ptry);
        for (int k = 0; k < 2 && !solved; ++k) {
            const double y = k == 0 ? yHeld : y0;
            if (k == 1 && y == yHeld) break;
            const double V = stableVapourVolume(Ptry, y);
            solved = V > 0.0 && solvedFrom(V, y);
        }
    }
    if (!solved) {
        error = 1;
        P = kNaN;
        if (!quiet_)
            vornex::cfprintf(stderr,
                             "Dubessy: no stable vapour of water and CO2 up to 10 kbar saturates "
                             "%g mol/kg CO2 in %g mol/kg NaCl at %g K\n",
                             mgas, msalt, TK);
        return;
    }
    Vvap = newton.x[0];
    yCO2 = newton.x[1];
    yH2O = 1.0 - yCO2;
    P = vapour->P;
}

double Dubessy::gibbsOfVapour(double V, double y) {
    const double fractions[2] = {1.0 - y, y};
    vapour->temperature(T);
    vapour->volume(V);
    vapour->composition(fractions);
    vapour->error = 0;
    vapour->calculate_fugacities();
    if (vapour->error) return kNaN;
    // A component absent from the vapour adds nothing (its fugacity is 0 there).
    double g = 0.0;
    for (int i = 0; i < 2; ++i) {
        if (fractions[i] == 0.0) continue;
        if (!(vapour->fugacity[i] > 0.0)) return kNaN;
        g += fractions[i] * std::log(vapour->fugacity[i]);
    }
    return g;
}

double Dubessy::vapourRoot(double Pv, double y, int side) {
    const double fractions[2] = {1.0 - y, y};
    const int selector = vapour->phase;
    vapour->composition(fractions);
    vapour->set_the_phase_as(side);
    vapour->temperature(T);
    vapour->Pascal(Pv);
    vapour->Vl0 = kDenseVapourStart;
    vapour->Vv0 = side == 2 ? kDenseVapourStart : R * T / Pv;
    vapour->error = 0;
    vapour->calculate_molar_volume();
    const double V = vapour->error || !(vapour->V > 0.0) ? kNaN : vapour->V;
    vapour->set_the_phase_as(selector);
    vapour->error = 0;
    return V;
}

double Dubessy::stableVapourVolume(double Pv, double y) {
    const double dense = vapourRoot(Pv, y, 2), light = vapourRoot(Pv, y, 1);
    if (!(dense > 0.0)) return light;
    if (!(light > 0.0)) return dense;
    const double gDense = gibbsOfVapour(dense, y), gLight = gibbsOfVapour(light, y);
    if (!std::isfinite(gLight)) return dense;
    return gDense < gLight ? dense : light;
}

double Dubessy::liquidStability(double xg) const {
    const double xw = 1.0 - xg;
    if (activityModel == 2) return 1.0 - 2.0 * xg * xw * WA;
    // ln gamma_CO2 = -xg g(xg), g = (2 - xg)(W_A + W_B) + 4 W_B xw^2.
    const double g = (2.0 - xg) * (WA + WB) + 4.0 * WB * xw * xw;
    const double dg = -(WA + WB) - 8.0 * WB * xw;
    return 1.0 - xg * (g + xg * dg);
}

double Dubessy::liquidStabilityLimit() const {
    constexpr int kSteps = 5000;
    double lo = 0.0;
    for (int i = 1; i <= kSteps; ++i) {
        const double hi = 0.5 * i / kSteps;
        if (liquidStability(hi) > 0.0) {
            lo = hi;
            continue;
        }
        double a = lo, b = hi;
        for (int k = 0; k < 60; ++k) (liquidStability(0.5 * (a + b)) > 0.0 ? a : b) = 0.5 * (a + b);
        return b / (0.018 * (1.0 - b));
    }
    return kNaN;
}

bool Dubessy::vapourIsStable() {
    // The solution's vapour, as the solver left it.
    const double V = newton.x[0], y = newton.x[1];
    const double g = gibbsOfVapour(V, y);
    const double Pv = vapour->P;
    // A water-rich vapour's dense root is liquid water, which the activity model, not the
    // vapour's equation, describes (at water's vapour pressure that root differs from the
    // vapour by the two descriptions' offset alone): only a CO2-rich vapour's dense root,
    // liquid CO2, is a phase of its own.
    if (!(y > 0.5)) return std::isfinite(g);
    bool stable = std::isfinite(g);
    for (int side : {1, 2}) {
        if (!stable) break;
        const double other = vapourRoot(Pv, y, side);
        if (!(other > 0.0) || std::fabs(other - V) <= 1e-6 * V) continue;
        const double gOther = gibbsOfVapour(other, y);
        // A part in 1e9 of RT: the two roots of one state, not rounding, must differ.
        stable = !(gOther < g - 1e-9);
    }
    // Nor may a CO2-rich fluid of another composition lie below the vapour's tangent plane:
    // liquid CO2 holds more water than the gas beside it (280 K, 1 mol/kg NaCl: y(CO2) 0.9915
    // against 0.9995), so past the three-phase point the gas, stable against the liquid of its
    // own composition, is not against that liquid (1.236 to 1.240 mol/kg CO2 gave the gas at
    // 41.1 to 41.3 bar). Successive substitution from each side: the trial's fractions
    // y_i f_i(vapour) / f_i(trial) summing above 1 is a phase of lower Gibbs energy.
    gibbsOfVapour(V, y);
    const double lnF[2] = {std::log(vapour->fugacity[0]), std::log(vapour->fugacity[1])};
    for (int side : {1, 2}) {
        double Y = y;
        for (int it = 0; stable && it < 100; ++it) {
            const double Vt = vapourRoot(Pv, Y, side);
            if (!(Vt > 0.0) || !std::isfinite(gibbsOfVapour(Vt, Y))) break;
            const double W0 = (1.0 - Y) * std::exp(lnF[0] - std::log(vapour->fugacity[0]));
            const double W1 = Y * std::exp(lnF[1] - std::log(vapour->fugacity[1]));
            if (!std::isfinite(W0 + W1)) break;
            stable = !(W0 + W1 > 1.0 + 1e-8);
            const double next = W1 / (W0 + W1);
            // A water-rich trial is liquid water, the activity model's.
            if (!(next > 0.5) || std::fabs(next - Y) < 1e-12) break;
            Y = next;
        }
    }
    // The solver's state is the solution's again.
    gibbsOfVapour(V, y);
    return stable;
}

void Dubessy::calculate_vector_function(double* X, double* F, double**, int& err, int, void*) {
    const double Vx = X[0], y = X[1];
    // A little room beyond [0, 1] for the difference steps of the Jacobian at the ends.
    if (!(Vx > 0.0) || !(y >= -1e-6 && y <= 1.0 + 1e-6) || vapour->nc != 2) {
        err = 1;
        return;
    }
    const double fractions[2] = {1.0 - y, y};
    vapour->temperature(T);
    vapour->volume(Vx);
    vapour->composition(fractions);
    vapour->calculate_fugacities();
    if (vapour->error || !(vapour->P > 0.0)) {
        err = 1;
        return;
    }
    const double Pv = vapour->P;
    double fw = fwSat;
    aw = 1.0;
    if (residualForm == 1 || system == 2 || system == 3 || system == 4) {
        water->temperature(T);
        water->Pascal(Pv);
        water->calculate_molar_volume();
        // Below the liquid's spinodal the water model's root is steam, and neither the
        // liquid's fugacity nor the brine's water activity is had from it (633.15 K, 3 mol/kg
        // NaCl: at 172 bar a volume of 168 cm3/mol gave a_w 0.911 for the liquid's 0.961, and
        // a saturated vapour at 171.9 bar beside the continued 187.7).
        if (water->error == 0 && !(water->V < kWaterCriticalVolume)) water->error = 1;
        if (water->error == 0) water->calculate_fugacities();
        if (water->error) {
            err = 1;
            return;
        }
        if (residualForm == 1) fw = water->fugacity[0];
        if (system == 2) {
            double second = 0.0, phi = 0.0;
            water->calculatePitzer84(ms, aw, second, phi);
            // Beyond the brine model's reach its water activity leaves (0, 1] (640.15 K, 6
            // mol/kg NaCl: 9.02 at 4320 bar), and no brine has it.
            if (!(aw > 0.0 && aw <= 1.0)) {
                err = 1;
                return;
            }
        }
    }
    F[0] = vapour->fugacity[0] - x1 * gammaH2O * fw * aw;
    F[1] = vapour->fugacity[1] - x2 * gammaCO2 * H * std::exp((Pv - Psat) * Vinf / (R * T));
    if (!std::isfinite(F[0]) || !std::isfinite(F[1])) err = 1;
}

void Dubessy::equationForCalculatingPsatFromVlVv(double* X, double* F, double**, int& err, int,
                                                 void*) {
    const double vl = std::exp(X[0]), vv = std::exp(X[1]);
    if (!(vl > 0.0) || !(vv > 0.0) || std::fabs(vl - vv) / vl < 1e-05 || vl > vv) {
        err = 1;
        return;
    }
    water->temperature(T);
    water->volume(vl);
    water->calculate_fugacities();
    vapour->temperature(T);
    vapour->volume(vv);
    if (vapour->nc == 2) {
        const double pure[2] = {1.0, 0.0};
        vapour->composition(pure);
    }
    vapour->calculate_fugacities();
    if (water->error || vapour->error || water->dPdV > 0.0 || vapour->dPdV > 0.0) {
        err = 1;
        return;
    }
    F[0] = water->fugacity[0] - vapour->fugacity[0];
    F[1] = water->P - vapour->P;
}

void Dubessy::calculate_saturation_pressure() {
    error = 0;
    Newton sat;
    sat._setSysEquationToSolve(
        this, static_cast<EquationSystem>(&Dubessy::equationForCalculatingPsatFromVlVv), 2);
    sat.numerical = 1;
    // The pressure row is scaled by the liquid's stiffness (V dP/dV about 2e9 Pa): only a
    // tight bound on the scaled residual holds the vapour pressure to a few ppm.
    sat.tolerance = 1e-13;
    // In ln V: the liquid and vapour rows then weigh alike in the solver's row scaling.
    sat.x[0] = std::log(Vl);
    sat.x[1] = std::log(Vv);
    sat.scale[0] = 0.1;
    sat.scale[1] = 1.0;
    sat.eps[0] = sat.eps[1] = 1e-8;
    if (settle(sat) != 0) {
        error = 1;
        return;
    }
    Vl = std::exp(sat.x[0]);
    Vv = std::exp(sat.x[1]);
    P = water->P;
}

// ------------------------------------------------------------------- measured isotherms

bool Dubessy::readIsothermData(const std::string& name, IsothermData& data) {
    data = IsothermData{};
    const std::string path = findDataFile("solubility/H2O-CO2/" + name);
    std::string text;
    const FileRead read = readDataFile("solubility/H2O-CO2/" + name, kTableFileLimit, text);
    std::FILE* in = read ? ::fmemopen(text.data(), text.size(), "r") : nullptr;
    if (in == nullptr) {
        vornex::cfprintf(stderr, "Cannot open file %s (%s)\n", path.c_str(), read.message.c_str());
        return false;
    }
    char token[256];
    bool ok = true;
    for (int i = 0; i < 7 && ok; ++i) ok = std::fscanf(in, "%255s", token) == 1;
    while (ok && data.size() < static_cast<size_t>(kMaxIsothermRows)) {
        if (std::fscanf(in, "%255s", token) != 1 || std::string(token) == "END") break;
        // Each value is read as a word: scanf's %lf would follow the program's locale.
        double t = 0.0, p = 0.0, m = 0.0, y = 0.0;
        bool numbers = vornex::isDecimal(token, t);
        for (double* value : {&p, &m, &y})
            numbers = numbers && std::fscanf(in, "%255s", token) == 1 &&
                      vornex::isDecimal(token, *value);
        if (!numbers) {
            vornex::cfprintf(stderr, "%s: row %zu is not four numbers\n", path.c_str(),
                         data.size() + 1);
            ok = false;
            break;
        }
        data.T.push_back(t + 273.15);
        data.P.push_back(p);
        data.m.push_back(m);
        data.y.push_back(0.001 * y);
    }
    std::fclose(in);
    return ok;
}

bool Dubessy::testIsothermData(const std::string& name, std::FILE* out, double* aadP,
                               double* aady) {
    IsothermData d;
    if (!readIsothermData(name, d)) return false;
    vornex::cfprintf(out, "%11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s \n", "T", "",
                 "m", "", "p", "", "pexp", "", "y1", "", "ye", "", "Vvap", "", "dP", "", "dy", "");
    double sumP = 0.0, sumY = 0.0;
    int n = 0;
    for (size_t i = 0; i < d.size(); ++i) {
        startFlag = 1;
        calculate_gas_solubility(d.T[i], d.m[i], 0.0);
        const bool ok = error == 0;
        const double Pbar = ok ? P * 1e-5 : kNaN, y = ok ? yH2O : kNaN;
        const double dP = 100.0 * (Pbar - d.P[i]) / d.P[i], dy = 100.0 * (y - d.y[i]) / d.y[i];
        vornex::cfprintf(out, "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg \n", d.T[i],
                     d.m[i], Pbar, d.P[i], y, d.y[i], ok ? Vvap * 1e6 : kNaN, dP, dy);
        if (ok) {
            sumP += std::fabs(dP);
            sumY += std::fabs(dy);
            ++n;
        }
    }
    const double meanP = n ? sumP / n : kNaN, meanY = n ? sumY / n : kNaN;
    vornex::cfprintf(out, "AADP %12lg\n", meanP);
    vornex::cfprintf(out, "AADy %12lg\n", meanY);
    if (aadP) *aadP = meanP;
    if (aady) *aady = meanY;
    return n > 0;
}

void Dubessy::evaluate(double* xv, double* p, double& Y, double& Z, double*, int& err) {
    WA = p[0];
    WB = activityModel == 1 ? p[1] : 0.0;
    startFlag = 1;
    // A trial of the fit that leaves a point unsolved is the fit's to weigh, not to say.
    quiet_ = true;
    calculate_gas_solubility(xv[0], xv[1], 0.0);
    quiet_ = false;
    if (error) {
        err = 1;
        return;
    }
    Y = P;
    Z = yH2O;
}

int Dubessy::fitIsothermData(const std::string& name, std::FILE* history) {
    if (activityModel != 1 && activityModel != 2) {
        std::fputs("Activity model 0 takes its parameters from T: nothing to fit\n", stderr);
        return -1;
    }
    IsothermData d;
    if (!readIsothermData(name, d) || d.size() == 0) return -1;
    const int N = static_cast<int>(d.size());
    Fitting fit;
    fit.model = this;
    fit.function = static_cast<FittingModel>(&Dubessy::evaluate);
    fit.history = history;
    fit.numberOfPoints = N;
    fit.numberOfParameters = activityModel == 1 ? 2 : 1;
    fit.numberOfVariables = 2;
    fit.numberOfExtra = 1;
    fit.allocate_memory();
    std::vector<double> Pa(d.P), sdT(d.size(), 0.5), sdm(d.size(), 0.001), sdP(d.size(), 1.0),
        sdy(d.size(), 0.001);
    for (double& v : Pa) v *= 1e5;
    fit.read_Xm(0, d.T.data());
    fit.read_Xm(1, d.m.data());
    fit.read_Ym(Pa.data());
    fit.read_Zm(d.y.data());
    fit.read_sdX(0, sdT.data());
    fit.read_sdX(1, sdm.data());
    fit.read_sdY(sdP.data());
    fit.read_sdZ(sdy.data());
    for (int i = 0; i < N; ++i) fit.read_additional_parameters(i, Pa[static_cast<size_t>(i)]);
    double p0[2] = {0.0, 0.0}, dp[2] = {1e-7, 1e-7};
    fit.set_initial_parameters(p0);
    fit.set_parameters_pertubation(dp);
    fit.set_type_of_regression(2);
    short err = 0;
    fit.regres(err);
    WA = fit.p[0];
    WB = activityModel == 1 ? fit.p[1] : 0.0;
    error = err ? 1 : 0;
    return err;
}

// ------------------------------------------------------------------- curves

bool Dubessy::calculate_the_isopleth(double mgas, double T0, char mode, const char* suffix) {
    CurveOutput out(mode == kIgorText ? kIgorText : 0);
    // The suffix ends every wave name: a blank or a quote split the names of the WAVES line.
    if (out.isIgor() && (!OutputFiles::checkWaveNameSuffix(suffix == nullptr ? "" : suffix) ||
                         !out.open("isop", suffix)))
        return false;
    const char* s = suffix ? suffix : "";
    if (out.isIgor())
        out.print("IGOR\nWAVES %6s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "T", s, "x", s,
                  "m", s, "v", s, "y", s, "p", s);
    startFlag = 1;
    int rows = 0;
    for (double TK = T0; TK <= kLastIsoplethTemperature; TK += 1.0) {
        quiet_ = true;
        calculate_gas_solubility(TK, mgas, ms);
        quiet_ = false;
        if (error) break;
        out.print("%12lg %12lg %12lg %12lg %12lg %12lg \n", T, x2, mg, Vvap * 1e6, yH2O, P * 1e-5);
        startFlag = 0;
        ++rows;
    }
    startFlag = 1;
    if (rows == 0) {
        // Without its first point there is no curve: an empty file would pass for one.
        error = 1;
        vornex::cfprintf(stderr,
                         "Dubessy isopleth: no saturated vapour for %g mol/kg CO2 in %g mol/kg "
                         "NaCl at %g K (its start, up to %g K); no curve written\n",
                         mgas, ms, T0, kLastIsoplethTemperature);
        out.abandon();
        return false;
    }
    if (out.isIgor()) out.print("END\n");
    return out.close();
}

bool Dubessy::calculate_the_H2ONaClCO2_isopleth(double msalt, double mgas, char mode,
                                                const char* suffix, std::FILE* out) {
    if (system != 2) return false;
    ms = msalt;
    const char* s = suffix ? suffix : "";
    if (!OutputFiles::checkWaveNameSuffix(s)) return false;
    vornex::cfprintf(out, "IGOR\nWAVES Tk%s ah%s H%s s%s Hs%s\nBEGIN\n", s, s, s, s, s);
    const bool ok = calculate_the_isopleth(mgas, 273.15, mode, suffix);
    vornex::cfprintf(out, "END\n");
    return ok;
}

void Dubessy::restoreLast() {
    Vvap = lastV_;
    yCO2 = lastY_;
    yH2O = 1.0 - yCO2;
}

bool Dubessy::solvePoint(double TK, double mgas, double msalt, bool& restarted) {
    // A curve ends at its first point without a solution: that is its end, not a failure.
    quiet_ = true;
    calculate_gas_solubility(TK, mgas, msalt);
    if (error && !restarted) {
        restarted = true;
        restoreLast();
        startFlag = 0;
        calculate_gas_solubility(TK, mgas, msalt);
    }
    quiet_ = false;
    if (!error) {
        lastV_ = Vvap;
        lastY_ = yCO2;
    }
    return error == 0;
}

void Dubessy::calculate_the_isotherm(double TK, double msalt, char mode, std::FILE* out) {
    startFlag = 1;
    calculate_gas_solubility(TK, 0.0, msalt);
    lastV_ = Vvap, lastY_ = yCO2;
    if (mode == kIgorText)
        vornex::cfprintf(out,
                     "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n",
                     "T", "", "xg", "", "xs", "", "mg", "", "ms", "", "v", "", "y", "", "p", "");
    auto row = [&] {
        vornex::cfprintf(out, "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg \n", T, xCO2, xNaCl, mg,
                     ms, Vvap * 1e6, yH2O, P * 1e-5);
    };
    if (!error) row();
    bool restarted = false;
    for (int i = 1; i <= 100 && !error; ++i) {
        if (!solvePoint(TK, 1e-07 * i, msalt, restarted)) break;
        row();
    }
    startFlag = 1;
    if (mode == kIgorText) vornex::cfprintf(out, "END\n");
    vornex::cfprintf(out, "B %lg\nC %lg\n", WA, WB);
}

void Dubessy::calculate_the_isotherm1(double TK, double r, char mode, std::FILE* out) {
    startFlag = 1;
    if (mode == kIgorText)
        vornex::cfprintf(out,
                     "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\n"
                     "BEGIN\n",
                     "T", "", "xg", "", "xs", "", "mg", "", "ms", "", "v", "", "y", "", "p", "",
                     "r", "");
    bool restarted = false;
    lastV_ = 0.0, lastY_ = 0.0;
    for (int i = 0; i <= 150; ++i) {
        const double xw = 1.0 - 0.001 * i;
        const double solutes = (1.0 - xw) / (xw * 0.018015268);
        if (!solvePoint(TK, r * solutes, (1.0 - r) * solutes, restarted)) break;
        startFlag = 0;
        vornex::cfprintf(out, "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg\n", T, xCO2, xNaCl,
                     mg, ms, Vvap * 1e6, yH2O, P * 1e-5, r);
    }
    startFlag = 1;
    if (mode == kIgorText) vornex::cfprintf(out, "END\n");
}

bool Dubessy::calculateTheSaturationCurve(const char* suffix, double Tend) {
    CurveOutput out(kIgorText);
    if (!OutputFiles::checkWaveNameSuffix(suffix == nullptr ? "" : suffix) ||
        !out.open("satu", suffix))
        return false;
    const char* s = suffix ? suffix : "";
    out.print("IGOR\nWAVES");
    for (const char* n :
         {"T", "P0", "fug0", "phi0", "vl0", "vv0", "P1", "fug1", "phi1", "vl1", "vv1", "p0ch4",
          "p0co2", "psch4", "ppch4", "psco2", "ppco2", "pdch4", "pdco2"})
        out.print(" %s%s", n, s);
    out.print("\nBEGIN\n");
    IUPACCH4 iupacCH4(1);
    IUPACCO2 iupacCO2(1);
    DuanCH4 duanCH4(1);
    DuanCO2 duanCO2(1);
    SRK1 srkCH4(1, 0), srkCO2(1, 0);
    PRSV prCH4(1, 0), prCO2(1, 0);
    for (FluidPhase* f : {static_cast<FluidPhase*>(&srkCH4), static_cast<FluidPhase*>(&prCH4)}) {
        f->number_of_components(1);
        f->add_component("CH4");
    }
    for (FluidPhase* f : {static_cast<FluidPhase*>(&srkCO2), static_cast<FluidPhase*>(&prCO2)}) {
        f->number_of_components(1);
        f->add_component("CO2");
    }
    FluidPhase* gases[8] = {&iupacCH4, &iupacCO2, &srkCH4,  &prCH4,
                            &srkCO2,   &prCO2,    &duanCH4, &duanCO2};
    // Start volumes from the auxiliary equations of water at the first temperature.
    T = 273.15;
    Vl = 0.018015268 / WaterEOS::saturatedLiquidDensityWagnerPruss(T);
    Vv = R * T / WaterEOS::saturationPressureWagnerPruss(T);
    const double last = std::fmin(Tend, 647.0);
    for (int i = 0; i < 10000; ++i) {
        const double TK = i <= 357 ? 273.15 + i : 630.15 + 0.1 * (i - 357);
        if (!(TK < last)) break;
        T = TK;
        calculate_saturation_pressure();
        if (error) break;
        const double P0 = P, fug0 = water->fugacity[0], vl0 = Vl, vv0 = Vv;
        WagnerPruss& w = *water;
        w.temperature(TK);
        const double P1 = w.calculateTheSaturationPressure(TK);
        const double fug1 = w.fugacity[0], vl1 = w.Vl, vv1 = w.Vv;
        double phi[8];
        for (int k = 0; k < 8; ++k) {
            gases[k]->temperature(TK);
            gases[k]->Pascal(P0);
            gases[k]->describe();
            phi[k] = gases[k]->error ? kNaN : gases[k]->fugacityCoefficient[0];
        }
        out.print("%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg", TK,
                  P0 * 1e-5, fug0 * 1e-5, fug0 / P0, vl0 * 1e6, vv0 * 1e6, P1 * 1e-5, fug1 * 1e-5,
                  fug1 / P1, vl1 * 1e6, vv1 * 1e6);
        for (double v : phi) out.print(" %12lg", v);
        out.print("\n");
    }
    out.print("END\n");
    return out.close();
}

// ------------------------------------------------------------------- console tables

void Dubessy::mapActivityCoefficients(std::FILE* out) {
    const char activity = activityModel;
    activityModel = 0;
    const char* titles[3] = {"\ngama1\n\t\t\t", "\n\ngamma2\n\t\t\t", "\n\nexp(B+C)\n\t\t\t"};
    for (int table = 0; table < 3; ++table) {
        std::fputs(titles[table], out);
        for (int row = 0; row <= 25; ++row) {
            x1 = 1.0 - 0.01 * row;
            x2 = 1.0 - x1;
            for (int col = 0; col <= 30; ++col) {
                T = 273.15 + 10.0 * col;
                calculate_activity_coefficients();
                const double v = table == 0 ? gammaH2O : table == 1 ? gammaCO2 : std::exp(WA + WB);
                vornex::cfprintf(out, "%12lg ", v);
            }
            std::fputs("\n", out);
        }
    }
    activityModel = activity;
}

void Dubessy::tata(std::FILE* out) {
    // BEGIN on a line of its own: a first row run on after it is not read as data.
    std::fputs("IGOR\nWAVES T0 P0 H0 v1\nBEGIN\n", out);
    for (int i = 0; i <= 373; ++i) {
        T = 273.15 + i;
        Psat = WaterEOS::saturationPressureWagnerPruss(T);
        calculateHenryConstant();
        calculate_gas_volume_infinite_dilution();
        vornex::cfprintf(out, "%12g %12lg %12lg %12lg\n", T, Psat * 1e-5, H * 1e-5, Vinf);
    }
    std::fputs("END\n", out);
}

void Dubessy::test() {
    startFlag = 1;
    calculate_gas_solubility(373.15, 0.5, 0.0);
}

}  // namespace vornex
