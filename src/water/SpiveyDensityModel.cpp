#include "water/SpiveyDensityModel.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "fluid/OutputFiles.h"
#include "water/CorrelationPolynomial.h"
#include "water/MaoDuanSalinityModel.h"
#include "water/PotterBrown.h"
#include "water/WagnerPruss.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace {

// (a0 + a1 t + a2 t^2) / (1 + b1 t + b2 t^2)
double rational(double t, const double (&a)[3], const double (&b)[2]) {
    return water::polynomial(t, a) / (1.0 + b[0] * t + b[1] * t * t);
}

// rho0 exp(ln|E p + F|/E - ln|E + F|/E), p the pressure over the reference pressure.
double spiveyDensity(double rho0, double E, double F, double p) {
    return rho0 * std::exp(std::log(std::fabs(E * p + F)) / E - std::log(std::fabs(E + F)) / E);
}

}  // namespace

// The pure-water form of the correlation, with its own reference pressure. It is a liquid's
// volume: below the vapour pressure it is no water's (at 600 K and 100 bar 617 kg/m3 where
// steam has 50), nor above 300 degC, where it leaves the reference equation fast (0.4 % at
// 573.15 K and 100 bar, 3.4 % at 600 K); there is none there. Fitted to 275 degC, it holds
// within 0.4 % of the reference to 300 degC, the range of the brine model built on it.
double WaterEOS::calculateSpiveyVolume(double T, double Pbar, double* dPdV) {
    if (!(Pbar * 1e5 >= saturationPressureWagnerPruss(T) * (1.0 - 1e-9))) {
        if (dPdV) *dPdV = std::nan("");
        return std::nan("");
    }
    return calculateSpiveyLiquidVolume(T, Pbar, dPdV);
}

// The water of a brine stays liquid below pure water's vapour pressure, down to the brine's
// own (3 mol/kg NaCl at 373.15 K: 0.906 bar against 1.014): there the correlation, smooth
// in P, carries the liquid on.
double WaterEOS::calculateSpiveyLiquidVolume(double T, double Pbar, double* dPdV) {
    constexpr double kReferencePressure = 82848248.83882;  // Pa
    constexpr double kHighestT = 573.15;                   // K
    const auto& range = SpiveyDensityModel::kRange;
    if (!(T >= range.Tmin && T <= kHighestT && Pbar > 0.0 && Pbar * 1e5 <= range.Pmax)) {
        if (dPdV) *dPdV = std::nan("");
        return std::nan("");
    }
    double t = T - 273.15;
    double rho0 = rational(t, {1.038141022582, 0.006501972326197, -1.18732805767e-5},
                           {0.006431352544984, -6.253822893485e-6});
    double E = rational(t, {6.436908162241, 0.0376502338715, 0.0005705153039515},
                        {0.0122631984855, 3.768498102164e-5});
    double F = rational(t, {23.44232339029, 0.3101997351492, -0.001164743459658},
                        {0.004875357385255, 2.144463181668e-5});
    double X = 1e5 * Pbar * E / kReferencePressure + F;
    double rho = 1000.0 * spiveyDensity(rho0, E, F, 1e5 * Pbar / kReferencePressure);
    if (dPdV) *dPdV = -rho * X * kReferencePressure / kWaterMolarMass;
    return kWaterMolarMass / rho;
}

SpiveyDensityModel::SpiveyDensityModel() {
    setSystemType(DM_NaClSpivey);
}

double SpiveyDensityModel::calculate_density() {
    error = 0;
    if (!kRange.holds(T, P, m) || !atOrAboveVapourPressure()) {
        error = 1;
        density = 0.0;
        return 0.0;
    }
    double t = T - 273.15;
    double sm = std::sqrt(m);
    double rhoW0 = rational(t, {1.03265, 0.00645486, -1.27213e-5}, {0.00639589, -7.0291e-6});
    double Ew = rational(t, {6.221, -0.03478, 0.0004221}, {-0.004405, 5.182e-5});
    double Fw = rational(t, {27.952, 0.29932, -0.0011403}, {0.003768, 2.0684e-5});
    double D1 = rational(t, {0.0436083, 0.00036963, -7.6402e-7}, {0.01185685, -3.33661e-5});
    double D2 = rational(t, {-0.0035819, -2.8755e-5, 1.0998e-7}, {0.0192016, -7.2877e-5});
    double D3 = water::polynomial(t, {-0.00034254, -1.93e-8, -7.925e-9});
    double D4 = water::polynomial(t, {-0.0003346, -3.328e-6, 3.746e-8});
    double rhoB0 = rhoW0 + D1 * m + D2 * m * sm + D3 * m * m + D4 * sm;
    double Eb = Ew + 0.1353 * m;
    double Fb =
        Fw + m * sm * water::polynomial(t, {-0.2532, -0.00361, -0.0001409}) / (1.0 + 0.09216 * t) +
        m * (4.6782 + 0.05614 * t) / (1.0 + 0.026069 * t - 3.07e-5 * t * t) +
        sm * water::polynomial(t, {-0.0452, 0.002047, -1.127e-5});
    density = 1000.0 * spiveyDensity(rhoB0, Eb, Fb, P / 7e7);
    if (!std::isfinite(density) || density <= 0.0) {
        error = 1;
        density = 0.0;
        return 0.0;
    }
    specificVolume = 1.0 / density;
    V = meanMolarMass / density;
    // Its water is the correlation at m = 0. Its density changes as sqrt(m) there, so that
    // the apparent molar volume has no limit at infinite dilution.
    setApparentMolarVolume(1000.0 * spiveyDensity(rhoW0, Ew, Fw, P / 7e7));
    return density;
}

namespace {

// The comparison grid: t from 0 degC by 5 K (56 values), P from 0 by 10 bar (201 values).
template <typename Row>
void forComparisonGrid(Row row) {
    for (int i = 0; i < 56; ++i)
        for (int j = 0; j < 201; ++j) row(5.0 * i, 10.0 * j);
}

}  // namespace

void SpiveyDensityModel::compare_with_Wagner_Pruss() {
    OutputFile file;
    if (!file.open("res.text")) return;
    WagnerPruss reference(2);
    molality(0.0);
    forComparisonGrid([&](double tC, double Pbar) {
        temperature(tC + 273.15);
        pressure(Pbar);
        double rho = calculate_density();
        if (error) return;
        reference.temperature(tC + 273.15);
        reference.pressure(Pbar);
        reference.calculate_molar_volume();
        if (reference.error) return;
        double rhoReference = kWaterMolarMass / reference.V;
        file.print("%12f %12f %12f %12f %12f \n", tC, Pbar, rho, rhoReference,
                   100.0 * (rho - rhoReference) / rhoReference);
    });
    file.commit();
}

void SpiveyDensityModel::compare_with_model(int k) {
    OutputFile file;
    if (!file.open("res" + std::to_string(k) + ".txt")) return;
    std::unique_ptr<DensityModel> other;
    if (k == 1)
        other = std::make_unique<MaoDuanSalinityModel>(0);
    else
        other = std::make_unique<PotterBrown>();
    for (int n = 0; n < 13; ++n) {
        double molal = 0.5 * n;
        molality(molal);
        other->molality(molal);
        forComparisonGrid([&](double tC, double Pbar) {
            temperature(tC + 273.15);
            pressure(Pbar);
            double rho = calculate_density();
            if (error) return;
            other->temperature(tC + 273.15);
            other->pressure(Pbar);
            double rhoOther = other->calculate_density();
            if (other->error) return;
            file.print("%12f %12f %12f %12f %12f %12f \n", molal, tC, Pbar, rho, rhoOther,
                       100.0 * (rho - rhoOther) / rhoOther);
        });
    }
    file.commit();
}

}  // namespace vornex
