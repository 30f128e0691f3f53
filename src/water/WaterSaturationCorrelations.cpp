#include "water/WaterSaturationCorrelations.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "water/CorrelationPolynomial.h"
#include "water/WagnerCoefficients.h"
#include "water/WagnerPrussKernel.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace {

// Reciprocal of the critical molar volume of water in mol/cm3 (322 kg/m3).
constexpr double kInverseCriticalVolume = 0.017873739901336956;
constexpr double kInverseCriticalTemperature = 0.0015453562046051615;  // 1/K

// ln(1/T - 1/Tc), the variable of the spinodal fits.
double spinodalVariable(double T) {
    return std::log(1.0 / T - kInverseCriticalTemperature);
}

}  // namespace

namespace {

// The vapour spinodal of the reference equation at T: from the saturated vapour's density
// (its auxiliary equation) up to the first density where dP/drho, proportional to
// 1 + 2 delta phi_delta + delta^2 phi_deltadelta, is no longer positive, then bisection. NaN
// where the equation cannot be evaluated (next to the critical density).
double referenceVapourSpinodalVolume(double T) {
    thread_local WagnerPrussKernel kernel;
    const double tau = iapws95::kReducing.Tc / T;
    auto stable = [&](double delta, bool& evaluated) {
        double d = 0.0, dd = 0.0;
        evaluated = kernel.deltaDerivatives(tau, delta, d, dd);
        return 1.0 + 2.0 * delta * d + delta * delta * dd > 0.0;
    };
    double lo = WaterEOS::saturatedVapourDensityWagnerPruss(T) / kWaterCriticalDensity;
    if (!(lo > 0.0)) return std::nan("");
    bool evaluated = false;
    while (!stable(lo, evaluated)) {  // the auxiliary density a whisker inside the spinodal
        if (!evaluated || lo < 1e-12) return std::nan("");
        lo *= 0.9;
    }
    double hi = lo;
    for (int i = 0; i < 400 && stable(hi, evaluated); ++i) {
        if (!evaluated) return std::nan("");
        hi *= 1.02;
    }
    if (!evaluated || stable(hi, evaluated)) return std::nan("");
    for (int i = 0; i < 60 && hi / lo - 1.0 > 1e-12; ++i) {
        const double mid = std::sqrt(lo * hi);
        const bool s = stable(mid, evaluated);
        if (!evaluated) return std::nan("");
        (s ? lo : hi) = mid;
    }
    return kWaterCriticalVolume / (0.5 * (lo + hi));
}

}  // namespace

// The fits below 547 K missed the equation's spinodal by up to 54 % (300 K) and turned
// negative below 255 K: the spinodal is found on the equation itself, and the fit serves
// only next to the critical point, where the equation is not evaluated apart from its graph.
double getVapourSpinodalVolume(double T) {
    if (T >= 200.0 && T < kWaterCriticalTemperature) {
        const double V = referenceVapourSpinodalVolume(T);
        if (std::isfinite(V)) return V;
    }
    if (!(T > 547.0)) return std::nan("");
    double L = spinodalVariable(T);
    double y = water::polynomial(L, {-2.3118, 0.17066, -0.0075733});
    return 1e-6 / (kInverseCriticalVolume - std::exp(y));
}

double getLiquidSpinodalVolume(double T) {
    double L = spinodalVariable(T);
    double y = water::polynomial(L, {-2.875, -0.1086, -0.03716, -0.00088774});
    return 1e-6 / (kInverseCriticalVolume + std::exp(y));
}

double WaterEOS::saturationPressureWagnerPruss(double T) {
    double t = 1.0 - T / kWaterCriticalTemperature;
    double st = std::sqrt(t);
    double t3 = t * t * t;
    double sum = -7.85951783 * t + 1.84408259 * t * st - 11.7866497 * t3 + 22.6807411 * t3 * st -
                 15.9618719 * t3 * t + 1.80122502 * t3 * t3 * t * st;
    return kWaterCriticalPressure * std::exp(kWaterCriticalTemperature / T * sum);
}

// Above the critical temperature there is no saturated liquid or vapour (the cube root of
// a negative 1 - T/Tc would still give a number).
double WaterEOS::saturatedLiquidDensityWagnerPruss(double T) {
    if (!(T <= kWaterCriticalTemperature)) return std::nan("");
    double x = std::cbrt(1.0 - T / kWaterCriticalTemperature);
    double x2 = x * x;
    double x5 = x2 * x2 * x;
    double x16 = x5 * x5 * x5 * x;
    double x43 = x16 * x16 * x5 * x5 * x;
    double x110 = x43 * x43 * x16 * x5 * x2 * x;
    return kWaterCriticalDensity * (1.0 + 1.99274064 * x + 1.09965342 * x2 - 0.510839303 * x5 -
                                    1.75493479 * x16 - 45.5170352 * x43 - 674694.45 * x110);
}

double WaterEOS::saturatedVapourDensityWagnerPruss(double T) {
    if (!(T <= kWaterCriticalTemperature)) return std::nan("");
    // Powers of t^(1/6): 2, 4, 8, 18, 37, 71.
    double y = std::pow(1.0 - T / kWaterCriticalTemperature, 1.0 / 6.0);
    double y2 = y * y;
    double y4 = y2 * y2;
    double y8 = y4 * y4;
    double y18 = y8 * y8 * y2;
    double y37 = y18 * y18 * y;
    double y71 = y37 * y18 * y8 * y8;
    return kWaterCriticalDensity * std::exp(-2.0315024 * y2 - 2.6830294 * y4 - 5.38626492 * y8 -
                                            17.2991605 * y18 - 44.7586581 * y37 - 63.9201063 * y71);
}

double WaterEOS::initializeSaturationPressure(double T) {
    double u = 1.0 / T;
    double L;
    if (T < 500.0) {
        L = water::polynomial(u, {12.6128685686687, -5274.80105363517, 673674.49480338,
                                  -226506723.493847, 20510547127.869});
    } else if (T < 600.0) {
        L = water::polynomial(u, {177.854834078459, -453783.001957213, 488546524.714547,
                                  -265944332990.696, 72451458829702.0, -7902202051194120.0});
    } else {
        L = water::polynomial(
            u, {48.7916680302499, -70231.701649971, 39607731.4290644, -7980077565.67183});
    }
    return 1e5 * std::exp(L);
}

namespace water {

double saturationTemperatureFit(double Pbar) {
    return polynomial(std::log(Pbar),
                      {372.722156272888, 27.8739796982385, 2.41364824420266, 0.226842575564745,
                       0.0180634696400786, 0.000707001486840854});
}

double saturatedLiquidVolumeFitFromP(double Pbar) {
    double v = polynomial(Pbar, {18.3548744008117, 0.217993776149354, -0.00442660159052204,
                                 5.22877767835403e-5, -2.7503656275317e-7, 5.42233507519529e-10}) -
               4.11105104527194 / (Pbar - 221.0);
    return 1e-6 * v;
}

double saturatedVapourVolumeFitHighP(double Pbar) {
    double density =
        polynomial(Pbar, {-1.19315451779924e-5, 3.39219139408898e-5, -3.70479133007088e-7,
                          6.86773609442658e-9, -4.54357223431962e-11, 1.10411946929151e-13}) -
        0.00167676872076518 / (Pbar - 221.0);
    return 1.0 / density;
}

double saturatedVapourVolumeFitLowP(double Pbar) {
    double density = polynomial(
        Pbar, {7.9669e-5, 0.00029315, 7.2614e-5, -8.0457e-6, 4.2645e-7, -1.2848e-8, 2.4011e-10});
    return 10.0 * kWaterMolarMass * 1000.0 / density;
}

SearchStart saturationStartFromP(double Pbar) {
    SearchStart start;
    start.T = saturationTemperatureFit(Pbar);
    start.Vl = saturatedLiquidVolumeFitFromP(Pbar);
    double v;
    if (Pbar > 8.0) {
        v = saturatedVapourVolumeFitHighP(Pbar);
        // Ideal-gas volume at 280 K where the fit has failed.
        if (v < 0.0) v = 2328.0152 / (Pbar * 1e5) * 1e6;
    } else {
        v = saturatedVapourVolumeFitLowP(Pbar);
    }
    start.Vv = 1e-6 * v;
    if (Pbar > 0.02 && Pbar < 0.024) {
        start.T = 291.0;
        start.Vl = 1.804e-5;
        start.Vv = 1.8;
    }
    if (Pbar >= 220.57) {
        start.Vl = 4.5e-5;
        start.Vv = 7e-5;
    }
    return start;
}

SearchStart saturationStartFromT(double T) {
    SearchStart start;
    start.T = T;
    double vl;
    if (T < 600.0) {
        vl = polynomial(T, {61.8953451076571, -0.461105828768715, 0.00178411253819542,
                            -3.08395023457826e-6, 2.18615503269769e-9, -2.20077769957778e-13});
    } else {
        double d = T - 650.0;
        vl = polynomial(T, {-975115.019876792, 6276.98487131013, -15.1469189976997,
                            0.016239065540392, -6.52620182706526e-6}) +
             133.766897264824 / (d * d);
    }
    double y;
    if (T < 610.0) {
        y = polynomial(T, {90.3595616255677, -0.672782727977937, 0.00243251424969566,
                           -4.74504036633278e-6, 4.81488840943257e-9, -2.0057968675343e-12});
    } else {
        double d2 = (T - 650.0) * (T - 650.0);
        double d8 = d2 * d2 * d2 * d2;
        y = polynomial(T, {-39584.7024219309, 257.133676317291, -0.626212130722159,
                           0.000677785343333696, -2.751177878479e-7}) -
            143.602990365362 / d8;
    }
    start.Vl = 1e-6 * vl;
    start.Vv = 1e-6 * std::exp(y);
    if (T > 646.75) {
        // Within 0.35 K of the critical point the saturated volumes move by 10 % in 0.02 K:
        // the auxiliary density equations, exact at the critical point, start the search
        // close enough for it to converge up to 647.0959 K.
        start.Vl = kWaterMolarMass / WaterEOS::saturatedLiquidDensityWagnerPruss(T);
        start.Vv = kWaterMolarMass / WaterEOS::saturatedVapourDensityWagnerPruss(T);
    }
    return start;
}

SearchStart boilingStartFromS(double S) {
    SearchStart start;
    double vl, vv;
    if (S >= 75.0) {
        start.T = polynomial(
            S, {-8162.16910307568, 327.931167518129, -4.06728487448141, 0.0168072835108196});
        vl = polynomial(
            S, {5923.04953720138, -221.898890199353, 2.74960362345052, -0.0111529653048284});
        vv = polynomial(
            S, {-11646.5800860348, 498.890537425223, -6.95143730640958, 0.031793914208601});
    } else {
        start.T = polynomial(S, {272.809435639882, 3.61657409435044, 0.0358798509493856,
                                 -0.000716369397836898, 1.96926029311812e-5, -1.77614513495698e-7});
        vl = polynomial(S, {17.9500519187534, -0.0116717867408128, 0.00420681665257632,
                            -6.46664628501754e-5, -6.0741575953088e-6, 3.19751238017353e-7,
                            -5.32504485402132e-9, 3.07047531925185e-11});
        vv = std::exp(polynomial(
            S, {15.0632965977561, -0.241334038378774, 0.0019215671889041, -7.82407081410107e-6}));
    }
    start.Vl = 1e-6 * vl;
    start.Vv = 1e-6 * vv;
    return start;
}

SearchStart condensationStartFromS(double S) {
    SearchStart start;
    double vl, vv;
    if (S > 100.0) {
        start.T = polynomial(S, {67050.9607499825, -3930.6319119258, 96.9607424595208,
                                 -1.29242031505048, 0.0100716278986271, -4.60319681514262e-5,
                                 1.14586979094807e-7, -1.2013985726709e-10});
        vl = polynomial(S, {6067.81008947628, -298.939842886778, 6.39347559402213,
                            -0.0762721969385503, 0.000545847609681267, -2.33656985229852e-6,
                            5.52826958659407e-9, -5.56931827412391e-12});
        vv = std::exp(polynomial(S, {-583.455663841018, 32.1835495154806, -0.739677756230716,
                                     0.00922636561450297, -6.74919800944211e-5, 2.90664747041139e-7,
                                     -6.84406316491518e-10, 6.812170821675e-13}));
    } else {
        start.T = polynomial(S, {8616.70768919304, -366.754736361379, 6.22155669998808,
                                 -0.0458878624662881, 0.000123227303791319});
        vl = polynomial(S, {9810.34936892436, -406.879187074155, 6.39912405979372,
                            -0.0450014030740732, 0.000119146538621841});
        vv = polynomial(S, {47399.2744549282, -2250.43030208195, 40.1641427914553,
                            -0.319576845383153, 0.000958647753314745});
    }
    start.Vl = 1e-6 * vl;
    start.Vv = 1e-6 * vv;
    return start;
}

double liquidSpinodalStartTemperature(double V) {
    double v = 1e6 * V;
    return polynomial(v, {-124.343865759846, -143.060405171852, 18.9672741402571,
                          -0.773993798385444, 0.0135231311473386, -8.73626647232436e-5}) -
           3.0;
}

SearchStart liquidSpinodalStartFromP(double Pbar) {
    SearchStart start;
    double lnv = polynomial(Pbar, {3.42835800103092, 0.000351604353245499, 1.8681435845805e-7,
                                   5.19641923005496e-11}) +
                 (0.986062100268068 - 0.0561169935810898 * Pbar) / (Pbar - 250.0);
    start.Vl = 1e-6 * std::exp(lnv);
    start.T = polynomial(Pbar, {593.430725940414, 0.197994253532845, 0.000135111712276064,
                                1.51385087233026e-7, 9.58442736346636e-11, 2.41842250038811e-14});
    return start;
}

SearchStart spinodalStartFromS(double S, double Scrit) {
    SearchStart start;
    double v;
    if (S < Scrit) {
        start.T = S < 70.0 ? polynomial(S, {273.31, 2.9752, 0.029106})
                           : polynomial(S, {-994.82, 41.32, -0.25985});
        v = S < 72.0 ? polynomial(S, {19.45, 0.070541, 0.0028145, -0.00011875, 1.5629e-6})
                     : 2.5352 * S - 147.05;
    } else {
        if (S < 88.0) {
            start.T = polynomial(S, {18787.0, -682.65, 8.5655, -0.035835});
        } else if (S < 113.0) {
            start.T = polynomial(S, {2760.5, -34.068, 0.11269});
        } else {
            start.T = 270.0;
        }
        if (S < 114.0) {
            v = std::exp(polynomial(S, {104.47, -3.2079, 0.03284, -0.00010531}));
        } else if (S < 124.0) {
            v = polynomial(S, {-5.1551e8, 1.423e7, -131250.0, 404.76});
        } else {
            v = polynomial(S, {7.0893e8, -1.1697e7, 48393.0});
        }
    }
    start.Vl = 1e-6 * v;
    return start;
}

}  // namespace water
}  // namespace vornex

namespace vornex {

void WaterEOS::initializeSaturationVolumesFromT(const char* component, double TK) {
    if (component == nullptr || std::strcmp(component, "H2O") != 0) {
        FluidPhase::initializeSaturationVolumesFromT(component, TK);
        return;
    }
    // The model's own critical point bounds its saturation, not the reference water's.
    const bool known = namingCriticalTemperature() > 0.0;
    if (known ? atOrAboveOwnCriticalTemperature(TK) : TK >= kWaterCriticalTemperature) {
        std::puts("Supercritical fluid");
        error = 1;
        return;
    }
    // The correlations end at the reference critical point: beyond it the saturation solve
    // starts from the model's own isotherm.
    if (TK >= kWaterCriticalTemperature) return;
    water::SearchStart start = water::saturationStartFromT(TK);
    Vl0 = start.Vl;
    Vv0 = start.Vv;
}

void WaterEOS::initializeSaturationVolumesFromP(const char*, double Pbar) {
    water::SearchStart start = water::saturationStartFromP(Pbar);
    temperature(start.T);
    Vl0 = start.Vl;
    Vv0 = start.Vv;
}

void WaterEOS::calculateTheSaturationTemperature(double Pbar, char print) {
    // The search solves each phase on its own side; the caller's selector is given back.
    const int selector = phase;
    // The fits start the search; where they lie too far from the model's own curve for
    // it, the search brackets the temperature on the model's saturation pressure.
    Vl0 = water::saturatedLiquidVolumeFitFromP(Pbar);
    const double v = water::saturatedVapourVolumeFitHighP(Pbar);
    Vv0 = 1e-6 * (v < 0.0 ? 1e6 : v);
    calculate_saturation_temperature(Pbar * 1e5, water::saturationTemperatureFit(Pbar));
    if (error) {
        // A model whose own saturation pressure is not found everywhere below its critical
        // point (Duan's first water far below its critical temperature) is left the
        // Newton search from the start values of every range of the fits.
        const water::SearchStart start = water::saturationStartFromP(Pbar);
        Vl0 = start.Vl;
        Vv0 = start.Vv;
        calculate_saturation_temperature(Pbar * 1e5, start.T);
    }
    if (error) {
        // No saturation at P: nothing to print, nothing of the search's iterates to keep.
        if (print) vornex::cprintf("No saturation for P : %12.2f bar\n", Pbar);
        forgetSaturation();
        set_the_phase_as(selector);
        error = 1;
        return;
    }
    int16_t failed = error;
    if (print) vornex::cprintf("Saturation for P : %12.2f at T : %12.2f\n", P * 1e-5, T);
    volume(Vl);
    calculate_state_functions();
    if (print) {
        std::puts("Liquid");
        dump();
    }
    double Hliquid = H;
    volume(Vv);
    calculate_state_functions();
    if (print) {
        std::puts("\nVapour");
        dump();
    }
    Hvap = H - Hliquid;
    set_the_phase_as(selector);
    error = failed;
}

}  // namespace vornex
