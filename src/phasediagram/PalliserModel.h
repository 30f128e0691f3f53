// PalliserModel: the H2O-NaCl phase-diagram model on closed-form fits of the halite + liquid +
// vapour curve, the critical curve, halite and NaCl properties and an empirical liquid-vapour
// surface, with the reference water model (IAPWS-95, WagnerPruss) for the pure-water end and
// the Anderko-Pitzer H2O-NaCl model as an optional cross-check of the one-phase liquid rule.
//
// The liquid-vapour (LV) surface at T lies between an upper boundary (water saturation up to
// 374.15 degC, the critical point above) and a lower one (the SLV point below 800 degC, NaCl
// saturation above). A reduced coordinate u (0 at the upper, 1 at the lower boundary) maps
// pressure linearly; compositions and densities of both phases follow power laws in u:
//   below 374.15 degC: xL = xL_low u^k, xV = xV_low u^k, rhoL = rhowL + (rhoL_low - rhowL)
//     u^(1/2.2), rhoV = rhowV + (rhoV_low - rhowV) u^(1/m(T)), k = ln(10)/2.8;
//   above: xL = xc (xL_low/xc)^(u^e), xV = xc 10^(u^1.5 - u^0.5) (xV_low/xc)^(u^b),
//     rho = rhoc + (rho_low - rhoc) u^(1/c1 or 1/c2).
// Units as in Palliser: degC, bar, kg/m3, NaCl mass fractions.
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "anderko/Anderko.h"
#include "phasediagram/Palliser.h"
#include "water/WagnerPruss.h"

namespace vornex {

// Every operation sets `failed` for itself: raised when it fails, cleared when it succeeds.
class PalliserModel : public Palliser {
   public:
    PalliserModel();
    ~PalliserModel() override;

    std::unique_ptr<WagnerPruss> water;  // liquid-side reference water model
    std::unique_ptr<Anderko> fluid;      // H2O-NaCl Anderko-Pitzer model (system code 10)
    int32_t patches = 1;                 // 1: the near-critical and near-800 degC corrections apply
    // Shape parameters of the LV surface at the last prepared T: w, a, b, e, c2, c1, 1/c1,
    // 1/c2 (all -1 after a T without a surface) and the last dew-point u. No operation reads
    // them: each computes its shape at its own T.
    double fixedT[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
    double gasExponent = 6.5;  // exponent of the halite-saturated vapour law at the last T
    double gasExponentA = 1.5;
    double gasExponentB = 0.5;
    double haliteGasT = 0.0;  // the temperature preCalculateHaliteGasBubble prepared

    // ---------------------------------------------------------------------- water
    double getWaterLiquidDensity(double T, double P) override;
    double getWaterVapourDensity(double T, double P) override;
    // Saturated water at T from the reference model's auxiliary equations; all three -1 and
    // `failed` above water's critical temperature (373.946 degC).
    void calculateWaterSaturationPoint(double T, double& P, double& rhoL, double& rhoV) override;
    // The upper edge of the LV surface at T up to 374.15 degC: water's saturation point, and
    // past water's critical point (220.64 bar) a line rising on to the mixture's critical curve
    // with densities of 322 kg/m3. No state of water: the surface's own boundary.
    void calculateExtendedWaterSaturationPoint(double T, double& P, double& rhoL,
                                               double& rhoV) override;
    // Boiling temperature of water at P with the saturated densities; -1 (all three) and
    // `failed` when the reference model has no saturation there.
    double getWaterSaturationTemperature(double P, double& rhoL, double& rhoV) override;
    // Pressure of water of density rho at T; 0 and `failed` where there is none (a density
    // inside the two-phase dome whose loop pressure is not positive, or no density).
    double getIsochoricWaterPressure(double T, double rho) override;

    // ------------------------------------------------------------------ NaCl, halite
    double getHaliteDensity() override {
        failed = 0;
        return 2163.334;
    }
    double getNaClLiquidDensity(double T, double P) override;
    double getNaClVapourDensity(double T, double P) override;
    double getHaliteMeltingPressure(double T) override;
    double getHaliteMeltingTemperature(double P) override;
    double getHaliteMeltingTemperatureOffset(double P, double T0) override;
    double getHaliteSublimationPressure(double T) override;
    double calculateNaClSatPressure(double T) override;
    double calculateNaClSatTemperature(double P) override;
    void calculateNaClSaturationPoint(double T, double& P, double& rhoL, double& rhoV) override;

    // ------------------------------------------------------- SLV, critical, halite-saturated
    // The three-phase point at 0 .. 800 degC (`failed` outside, the fits evaluated all the
    // same); its vapour is water's at the SLV pressure up to 300 degC, the fit's from 350.
    void calculateSLVPoint(double T, double& P, double& xL, double& xV, double& rhoL,
                           double& rhoV) override;
    // Writes nothing below 374.15 degC; above 3127 degC only rho.
    void calculateCriticalPoint(double T, double& P, double& x, double& rho) override;
    void preCalculateHaliteGasBubble(double T) override;
    // Halite-saturated vapour at P of the SLV point preCalculateHaliteGasBubble prepared; -1
    // and `failed` outside [0, the SLV pressure].
    void doCalculateHaliteGasBubble(double P, double& x, double& rho) override;
    // x = rho = -1 and `failed` where halite and vapour do not coexist: above 800 degC, at
    // 0 degC and above the SLV pressure (halite and liquid there).
    void calculateHaliteGasBubble(double T, double P, double& x, double& rho) override;
    // The pressure at which the vapour of salinity x is halite-saturated at T (the SLV pressure
    // for a vapour at least as salty as the SLV vapour); P = rho = -1 and `failed` outside the
    // SLV curve's 0 .. 800 degC.
    void calculateHaliteGasSat(double T, double x, double& P, double& rho) override;
    // The liquidus at (T, P); x = rho = -1 and `failed` where none is: above the halite
    // melting temperature, below the SLV pressure at T (halite and vapour there, as the
    // halite-saturated vapour has none above it), and where it would lie below 26.35 wt % (the
    // SLV liquid at 0 degC), beyond the fits (T below 0.024726 degC/bar times P). The guess is
    // not needed.
    void calculateHaliteLiquidPoint(double T, double P, double& x, double xGuess,
                                    double& rho) override;
    // The liquidus temperature of x at P; T = rho = -1 and `failed` below the SLV pressure of x,
    // where its liquidus starts, and where x has no SLV point.
    void calculateHaliteLiquidTemperature(double x, double P, double& T, double& rho,
                                          double Tguess) override;
    // T = P = -1 and `failed` also for a density below the SLV liquid's of x, which no liquidus
    // reaches.
    void calculateHaliteLiquidTemperatureFromRhoX(double x, double rho, double& T, double& P,
                                                  double Tguess) override;
    // Salinity of the SLV vapour limit near and above 800 degC (a, b: the pressure tested and
    // the lower-boundary pressure; top: the surface's top pressure).
    double patchForXgsat(double T, double a, double b, double value, double top = HUGE_VAL) const;
    // Above 800 degC: the width in bar, above NaCl's boiling pressure Plow, of the band where
    // the vapour edge is carried from NaCl's Raoult vapour onto 1 wt % (Ptop: the surface's top).
    static double raoultEdgeWidth(double Plow, double Ptop);

    // ----------------------------------------------------------------- LV surface
    // The surface at (T, P); outside its edges `failed`, with the values of the nearer edge
    // (above 374.15 degC within 0.1 bar and a thousandth of the lower edge's pressure below it
    // on that edge).
    void calculateLGPoint(double T, double P, double& xL, double& xV, double& rhoL,
                          double& rhoV) override;
    // P is only written: the vapour is the surface's at the bubble pressure.
    void calculateBubblePoint(double T, double xL, double& P, double& xV, double& rhoL,
                              double& rhoV) override;
    // Reads P on entry: where the vapour salinity has two dew pressures at T, the point is the
    // one nearer the entry pressure (the higher one when the entry is not positive), and above
    // 800 degC the NaCl-side vapour correction tests it. All four outputs -1 and `failed` when
    // no point exists. Each call brackets its own root; fixedT[8] receives u and is not read.
    void calculateDewPoint(double T, double xV, double& P, double& xL, double& rhoL,
                           double& rhoV) override;
    double equationForGas(double u, void* context);
    // Brackets a root of equationForGas on u = 0, 0.1, .. 1: state 1 after a positive value
    // (u1), 2 after a later negative one (u2).
    void analyzeGasEquation(void* context, int& state, double& u1, double& u2);
    void calculateLiquidSaturationPoint(double T, double x, double& P, double& rho) override;
    void preCalculate_Fixed_T_Parameters(double T) override;
    // The lower and upper edges of the surface at T.
    void getLiquidGasPressureBounds(double T, double& Pmin, double& Pmax) override;
    // The surface at (T, P) from its edges at T (not from the record); outside the edges
    // `failed` with all four -1.
    void calculateForLiquidGasIsotherm(double T, double P, double& xL, double& xV, double& rhoL,
                                       double& rhoV) override;
    // Stride 3: T, P, vapour density of the dew curve of w wt %, by 1 degC from T0 (from the
    // salinity's critical point, its first row, where that lies above T0). A curve reaching the
    // NaCl critical temperature goes on down NaCl's vapour branch; one that ends below it is
    // closed by (Tc, Pc, rhoc) when it ends within 50 degC of Tc. Only dew points of w are rows.
    void calculateGasIsopleth(CurveArray& out, double w, double T0, double Tc, double Pc,
                              double rhoc);
    using Palliser::calculateGasIsopleth;
    // The next stretch of that dew curve above Tfrom, parted from the one below by temperatures
    // without a dew point of w (0.1 wt %: 653 .. 754 degC above 378 .. 518): rows as above,
    // upward by 1 degC from the first temperature above Tfrom with one; empty without.
    void calculateGasIsoplethAbove(CurveArray& out, double w, double Tfrom);

    // --------------------------------------------------------- one-phase density rules
    double calculateFluidDensityRegion2a() override;
    double calculateFluidDensityRegion2b() override;
    double calculateFluidDensityRegion4() override;
    double calculateFluidDensityRegion6() override;
    double calculateFluidDensityRegion7() override;
    double calculateFluidDensityRegion8() override;
    // Anderko molar volume of the state, written to the diagnostics: a cross-check only.
    void calculateAnderkoFluid();

    // -------------------------------------------------------------------- freezing
    // Ice melting T of a brine of total salt mass fraction x, NaCl share f of the salt (KCl
    // the rest).
    void calculateFreezingTemperature(double x, double f, double& T) override;
    void calculateIceMeltingSalinity(double T, double f, double& x) override;
    double equationForFreezing(double x, void* context);
    // Stride 2: NaCl wt %, KCl wt % of the brines whose ice melts at T; f = 0, 0.05, .. 1.
    void calculateIceMeltingIsotherm(CurveArray& out, double T);

   private:
    // The dew curve's trace from T0; `above` traces upward only, seeking its first dew point.
    void traceGasIsopleth(CurveArray& out, double w, double T0, double Tc, double Pc, double rhoc,
                          bool above);
    // The two LV boundaries at T; the lower one is the SLV point below 800 degC, NaCl
    // saturation above, and at 800 degC the one naclAt800 chooses.
    struct Boundaries {
        double Pup, xc, rhoUpL, rhoUpV;  // upper boundary (xc: 0 on the water branch)
        double Plow, xLlow, xVlow, rhoLlow, rhoVlow;
        bool water;  // T <= 374.15: water branch
        // Near the water critical point (see shapeLaws): the critical branch's share, the
        // reshaping exponent of its coordinate, and the water branch's upper boundary at 374.15.
        double share = 1.0, gamma = 1.0, PupWater = 0.0, rhoUpWater = 0.0;
        double Ptop;  // pressure of the surface's upper edge (u = 0)
    };
    Boundaries boundariesAt(double T, bool naclAt800);
    // The surface at the pressure coordinate u (0 at the upper edge, 1 at the lower); xGas,
    // where not negative, is the vapour's salinity in place of the law's for its near-ideal
    // share.
    void shapeLaws(double T, const Boundaries& b, double u, double& P, double& xL, double& xV,
                   double& rhoL, double& rhoV, double xGas = -1.0) const;
    double criticalVapourSalinity(double xc, double xVlow, double b, double s) const;
    // The water-branch vapour at P, pressure coordinate u: water vapour at (T, P) plus the
    // upper edge's (Pup, rhoUp) excess over water vapour at Pup by the square of water's share
    // of the way between the edges' water densities, and the lower edge's (Plow, rhoLow) by
    // the share of its salt the vapour holds (u^k); `law` where water has no vapour there.
    double steamLaw(double T, double P, double Pup, double rhoUp, double Plow, double rhoLow,
                    double u, double law) const;
    struct SteamEdges {
        double T = std::nan(""), Pup = 0.0, Plow = 0.0, wUp = -1.0, wLow = -1.0;
    };
    mutable SteamEdges steamEdges;
    // A vapour of salinity x at (T, P) as water (its equation of state) and NaCl as an ideal
    // gas, mixed by volume; -1 where water has no density.
    double idealVapour(double T, double P, double x) const;
    // The surface's lower edge above 800 degC, NaCl saturated at P: its vapour rhoV made NaCl's
    // ideal gas where the corrections apply.
    void nearIdealNaClEdge(double T, double P, double& rhoV) const;
    // Water's density at (T, P) from 590 degC on, from a table (the equation of state's
    // beyond it); -1 where there is none.
    double hotWaterDensity(double T, double P) const;
    mutable std::vector<std::vector<double>> hotWater;
    // The vapour's share handed over to the near-ideal vapour (idealVapour) below the critical
    // curve: none up to 600 degC, rising smoothly to all of it at 700 degC and above.
    static constexpr double kIdealVapourFrom = 600.0, kIdealVapourTo = 700.0;
    static double idealVapourShare(double T);
    // Water (rhoW) mixed with a vapour (rhoS) to the share f of its salt: by mass where the
    // vapour law is the fits', by volume where it is the near-ideal vapour (a gas mixture's
    // volume is the sum of its parts'; by mass the salt weighed up to 2.2 times too much near
    // 800 degC, and a vapour grew denser on heating as the vapour it is mixed with grew
    // saltier), handed over with the vapour's share and, on the surface, with `gas`
    // (gasShare).
    double vapourMixture(double T, double rhoW, double rhoS, double f, double gas = 1.0) const;
    // How far below the surface's top P lies, as the square of its pressure coordinate u: the
    // vapour near the critical point is no gas mixture, and the surface's vapour is the
    // near-ideal vapour by that same share.
    double gasShare(double T, double P);
    // The three-phase point of the fits alone (its vapour water's up to 300 degC).
    void slvFitPoint(double T, double& P, double& xL, double& xV, double& rhoL, double& rhoV);
    // The pressure coordinate of the liquid of salinity xL (outside [0, 1]: none on the
    // surface), and of the vapour of salinity xV (-1: none; of two, the one whose pressure lies
    // nearer Phint, or the higher pressure when Phint is not positive).
    double bubbleCoordinate(double T, const Boundaries& b, double xL) const;
    // With `side` (1: the salinity rising with u at the root, -1 falling, 0 either) only roots of
    // that side; the chosen root's side is written back.
    double dewCoordinate(double T, const Boundaries& b, double xV, double Phint,
                         int* side = nullptr) const;
    // The vapour salinity of shapeLaws alone.
    double vapourSalinity(double T, const Boundaries& b, double u) const;
    // Density of water on the given side (2 liquid, 1 vapour); -1 when the reference model has
    // none, NaN in ruleWater, so that a rule built on it fails. Neither touches `failed`.
    double waterDensity(double T, double P, int side) const;
    double ruleWater(double T, double P, int side);
    // A rule's density, `failed` when it is no density.
    double ruleResult(double rho);
    double rule2b6(const char* name);
    // Density of a liquid-like fluid of salinity x at P from its saturated (or critical) state
    // (PS, rhoS), rising with pressure through 1000 bar, shifted from there by `shift`.
    double pinnedLiquidDensity(double T, double P, double x, double PS, double rhoS, double shift);
    // The share of the way from PS to 1000 bar, in density, that a liquid saturated at
    // (PS, rhoS) has come at P.
    double compressionShare(double P, double PS, double rhoS);
    // Water's way from its saturated liquid of density rhoS (or, lighter, towards its critical
    // point) to 1000 bar: the temperatures, saturation pressures and end densities of the one
    // or two paths and the share of the second.
    struct WaterCompression {
        double rhoS = std::nan("");
        double toCritical = 0.0;
        double T[2] = {0.0, 0.0}, Ps[2] = {0.0, 0.0}, r0[2] = {0.0, 0.0}, r1[2] = {0.0, 0.0};
    };
    WaterCompression waterCompression(double rhoS);
    double compressionShare(double P, double PS, const WaterCompression& c);
    WaterCompression compression;
    // Water mixed with the critical fluid (Pc, xc, rhoc) of T to the salinity x.
    double criticalMixture(double T, double P, double x, double Pc, double xc, double rhoc,
                           double shift);
    // The top of the surface at T, where its liquid and vapour meet: the critical point, and
    // below 384 degC, where the surface is carried over from the water branch, the carried
    // edge (below the critical pressure, at a share of the critical salinity). False where
    // there is none.
    bool surfaceTopAt(double T, double& P, double& x, double& rho);

   public:
    // Below 384 degC the top's salinity lags the critical one: the bubble curve of a dilute
    // brine goes on above its critical temperature, to where the top's salinity reaches it.
    double bubbleCurveEndTemperature(double x, double Tc) override;

   private:
    // The one-phase fluid above the surface's top: water mixed with the top fluid where x is
    // no saltier than it, otherwise the liquid rule of x.
    double aboveSurfaceTop(double Ptop, double xtop, double rhotop);
    // The vapour rule of x at P below the critical pressure (water mixed with the surface's
    // vapour at P); `vapour` is false where the surface has no vapour of x there.
    double vapourChord(double T, double P, double x, bool& vapour);
    // A vapour-like fluid (x below the salinity of the surface's top Ptop) held, above each
    // pressure from which its rule falls (its densest below Ptop, its dew point), no lighter
    // than the fluid there compressed at half the rate of mixtureAboveTop.
    double heldVapour(double T, double P, double x, double rho);
    // A vapour below the SLV vapour's salinity held, above the pressure where it leaves halite
    // + vapour, no lighter than the halite-saturated vapour there compressed at half water's
    // rate.
    double heldHaliteVapour(double T, double P, double x, double rho);
    void findVapourCrests(double T, double x, double Ptop);
    static constexpr int kMaxCrests = 8;
    struct VapourCrests {
        double T = -1.0, x = -1.0;
        int32_t patches = -1;
        int count = 0;
        double Ptop = -1.0, xtop = -1.0, rhotop = -1.0;  // the surface's top at T
        double P[kMaxCrests] = {}, rho[kMaxCrests] = {}, above[kMaxCrests] = {};
    };
    // The rule of the fluid above the surface's top (water mixed with the top fluid) at P,
    // carried below the top too: the crests' compression.
    double mixtureAboveTop(double T, double P, double x);
    VapourCrests crests;
    // The rule's density of x at T at the diagram's top pressure, unshifted (PS, rhoS: the
    // bubble point it starts from, untouched where it is the critical fluid's).
    double unshiftedTopDensity(double T, double x, double* PS = nullptr, double* rhoS = nullptr);
    // Tabulates for x, each degree to 1000 degC, the least of those top densities up to there,
    // and the shifted liquid from each bubble point below 1000 bar as a line in P.
    void holdDensities(double x);
    // The shift (not positive) that brings the top density of x at T down to its least at any
    // lower temperature, so that at a fixed pressure the fluid does not grow denser on heating.
    double shiftAt(double T, double x);
    // The densest of those lines at P from the tabulated temperatures above T whose bubble
    // pressure lies at or below P, each ending at 1000 bar no denser than at1000, and of the
    // bubble-point liquids boiling at P between them (from T's own bubble point PS, rhoS on);
    // -inf where there is none.
    double heldLiquidBelow1000(double T, double P, double x, double at1000, double PS,
                               double rhoS);
    struct HeldDensity {
        double x = -1.0;
        int32_t patches = -1;  // the corrections the table was made with
        std::vector<double> below;            // the least top density up to each temperature
        std::vector<double> PS, rhoS, slope;  // the lines (PS inf: none)
        std::vector<WaterCompression> shape;  // of each line, when first asked for
        std::vector<double> minimumT, minimum;  // least values between tabulated temperatures
    };
    HeldDensity heldTop;
    double coldWaterRate = -1.0;  // kg/m3 per bar of water at 25 degC and 1000 bar
    // ruleWater, kept for the whole degrees and the pressures the held densities ask about.
    double tabulatedWater(double T, double P, int side);
    // Water vapour at T and its SLV pressure P, from a table by the degree.
    double slvWaterVapour(double T, double P);
    // The halite-saturated vapour at (T, P) below the SLV point (Ps, xV, rhoV), the salinity
    // law's exponent e; false where there is none.
    bool haliteVapour(double T, double P, double Ps, double xV, double rhoV, double e, double& x,
                      double& rho);
    std::vector<double> slvVapourTable;
    std::vector<double> heldWater;
};

}  // namespace vornex
