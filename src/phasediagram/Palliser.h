// Palliser: the H2O-NaCl phase-diagram calculator. On the state record it adds the constants of
// the system, the model operations (phase boundaries and densities, pure virtual), the state
// computation calculateFluidDensity, and the curve tracers and inverse (fluid-inclusion)
// calculations, which are written only in terms of the model operations.
//
// Units everywhere: T in degC, P in bar, densities in kg/m3, x an NaCl mass fraction (0..1);
// arguments named w and the salinity columns of curve rows in wt % NaCl; specific volumes in l/kg
// (1000/density). Curve tracers fill a CurveArray with fixed-stride rows (stride given with
// each), emptying it first, so that an array used again never holds rows of an earlier call,
// also where a tracer refuses its arguments; failures leave rows out, searches report through
// `failed`, through 0 or -1 sentinels, and through the Equation error flag of their residuals.
// Every operation sets `failed` for itself, so that its value never comes from an earlier call:
// a tracer raises it for arguments it cannot trace (the isochore also for a lost path) and
// clears it otherwise. Tracers and searches overwrite the record: recompute the state before
// reading it again.
//
// Diagnostics (the one-phase rule lines, the Anderko comparison, the LV shape parameters) go to
// `diagnostics` and are not even formatted while it is empty, the default.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fluid/Phase.h"
#include "numerics/Solver.h"
#include "phasediagram/PhaseDiagramInfo.h"

namespace vornex {

struct Mixture;

using DiagnosticSink = std::function<void(const std::string& line)>;

class Palliser : public PhaseDiagramInfo {
   public:
    Palliser();
    Palliser(const Palliser&) = delete;
    Palliser& operator=(const Palliser&) = delete;
    virtual ~Palliser() = default;

    // The record part, for a snapshot of the last state.
    PhaseDiagramInfo state() const { return *this; }

    DiagnosticSink diagnostics;
    bool diagnosticsOn() const { return static_cast<bool>(diagnostics); }
    // printf-style line to the sink; nothing (not even formatting) when it is empty.
    void say(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    // ------------------------------------------------------------ constants of the system
    double haliteTriplePressure = 0.0005;    // bar, halite melting point
    double haliteTripleTemperature = 800.0;  // degC, upper end of the SLV curve
    double waterCriticalPressure = 221.0;
    double waterCriticalTemperature = 374.15;
    double waterCriticalDensity = 322.0;
    double naclCriticalPressure = 355.0;  // the end of the NaCl saturation curve once traced
    double naclCriticalTemperature = 3127.0;
    double naclCriticalDensity = -1.0;  // set by calculateNaClSatCurve
    double naclMolarMass = 0.058443;    // kg/mol
    double waterMolarMass = 0.018015;   // kg/mol
    static constexpr double kHaliteDensity = 2163.3340736627797;
    // Upper pressure of the diagram (bar): the state computation's maxPressure, and the end of
    // the liquidus tracers whatever the record holds.
    static constexpr double kDiagramMaxPressure = 5000.0;
    // Bound on the points of one scan for changes of sign.
    static constexpr long kMaxScanSteps = 100000;

    // ------------------------------------------------------- model operations (slots 0..38)
    virtual double getWaterLiquidDensity(double T, double P) = 0;
    virtual double getWaterVapourDensity(double T, double P) = 0;
    virtual void calculateWaterSaturationPoint(double T, double& P, double& rhoL, double& rhoV) = 0;
    // The water end of the LV surface up to the model's waterCriticalTemperature (374.15 degC),
    // which lies above water's own: no saturation state of water beyond 373.946 degC.
    virtual void calculateExtendedWaterSaturationPoint(double T, double& P, double& rhoL,
                                                       double& rhoV) = 0;
    virtual double getWaterSaturationTemperature(double P, double& rhoL, double& rhoV) = 0;
    virtual double getHaliteDensity() = 0;
    virtual double getNaClLiquidDensity(double T, double P) = 0;
    virtual double getNaClVapourDensity(double T, double P) = 0;
    virtual double getHaliteMeltingPressure(double T) = 0;
    virtual double getHaliteMeltingTemperature(double P) = 0;
    virtual double getHaliteMeltingTemperatureOffset(double P, double T0) = 0;
    virtual double getHaliteSublimationPressure(double T) = 0;
    virtual double calculateNaClSatPressure(double T) = 0;
    virtual double calculateNaClSatTemperature(double P) = 0;
    virtual void calculateNaClSaturationPoint(double T, double& P, double& rhoL, double& rhoV) = 0;
    virtual void calculateSLVPoint(double T, double& P, double& xL, double& xV, double& rhoL,
                                   double& rhoV) = 0;
    virtual void calculateHaliteGasSat(double T, double x, double& P, double& rho) = 0;
    virtual void calculateHaliteGasBubble(double T, double P, double& x, double& rho) = 0;
    virtual void calculateHaliteLiquidPoint(double T, double P, double& x, double xGuess,
                                            double& rho) = 0;
    virtual void calculateHaliteLiquidTemperature(double x, double P, double& T, double& rho,
                                                  double Tguess) = 0;
    virtual void calculateHaliteLiquidTemperatureFromRhoX(double x, double rho, double& T,
                                                          double& P, double Tguess) = 0;
    virtual void calculateCriticalPoint(double T, double& P, double& x, double& rho) = 0;
    virtual void calculateLGPoint(double T, double P, double& xL, double& xV, double& rhoL,
                                  double& rhoV) = 0;
    virtual void calculateBubblePoint(double T, double xL, double& P, double& xV, double& rhoL,
                                      double& rhoV) = 0;
    virtual void calculateDewPoint(double T, double xV, double& P, double& xL, double& rhoL,
                                   double& rhoV) = 0;
    virtual void calculateLiquidSaturationPoint(double T, double x, double& P, double& rho) = 0;
    virtual void calculateFreezingTemperature(double x, double f, double& T) = 0;
    virtual void calculateIceMeltingSalinity(double T, double f, double& x) = 0;
    virtual void preCalculate_Fixed_T_Parameters(double T) = 0;
    virtual void getLiquidGasPressureBounds(double T, double& Pmin, double& Pmax) = 0;
    virtual void calculateForLiquidGasIsotherm(double T, double P, double& xL, double& xV,
                                               double& rhoL, double& rhoV) = 0;
    virtual void preCalculateHaliteGasBubble(double T) = 0;
    virtual void doCalculateHaliteGasBubble(double P, double& x, double& rho) = 0;
    virtual double getIsochoricWaterPressure(double T, double rho) = 0;
    virtual double calculateFluidDensityRegion2a() = 0;
    virtual double calculateFluidDensityRegion2b() = 0;
    virtual double calculateFluidDensityRegion4() = 0;
    virtual double calculateFluidDensityRegion6() = 0;
    virtual double calculateFluidDensityRegion7() = 0;
    virtual double calculateFluidDensityRegion8() = 0;

    // ----------------------------------------------------------------- state computation
    // Classifies (T, P, x) into a region, stores its bulk density (also returned) and phase
    // proportions and every boundary consulted. rho: the bulk density where T, P and x leave
    // it open (pure water or three phases), -1 when free. Non-finite input, P <= 0, x outside
    // [0, 1] or T below 0 degC give region 0 with `failed`, and so do states no rule
    // classifies (T from 3127 degC on); region 0 returns density -1.
    virtual double calculateFluidDensity(double T, double P, double x, double rho);

    double calculateWaterDensity(double T, double P, double rho);
    double calculateNaClDensity(double T, double P, double rho);
    double calculateLiquidGasDensity();
    double calculateHaliteGasDensity();
    double calculateHaliteLiquidDensity();
    double calculateHaliteLiquidGasDensity(double T, double x, double rho);
    // SLV point at T (P written) and the liquid and vapour mass fractions of a mixture of
    // w wt % and bulk density rho with halite; the halite fraction is 1 - wL - wV.
    void getHaliteLiquidGasState(double T, double w, double rho, double& P, double& wL, double& wV);
    // Critical point of a fluid of salinity x; `failed` when the search failed.
    void calculateCriticalPointFromX(double x, double& Tc, double& Pc, double& rhoc);
    // The temperature at which the bubble curve of salinity x, of critical temperature Tc,
    // ends: where its liquid and vapour become one. Tc, unless the surface carries the curve
    // on above it.
    virtual double bubbleCurveEndTemperature(double x, double Tc) = 0;
    // The last bubble point of salinity x (critical temperature Tc): just below the end
    // temperature, where liquid and vapour are one. T, P and the liquid density written; P is
    // read on entry as the solve's start. False (nothing written) without one.
    bool bubbleCurveEndPoint(double x, double Tc, double& T, double& P, double& rhoL);
    // SLV point whose liquid has salinity x, searched from Tguess; `failed` on failure.
    void calculateSLVPointFromX(double x, double& T, double& P, double& xV, double& rhoL,
                                double& rhoV, double Tguess);

    // --------------------------------------------------------------------- base curves
    // Stride 4: T, P, liquid density, vapour density; 800 .. 3126 by 1 and the end row at
    // 3127, which sets naclCriticalPressure and naclCriticalDensity. The first row has the
    // halite triple-point pressure, 0.0005 bar, where the fit gives -4e-7.
    void calculateNaClSatCurve(CurveArray& out);
    // Stride 5: T, P, wt %, density, 1000/density; 374.15 .. 3126.15 by 1, end row 3127 at 100 wt
    // %.
    void calculateCriticalCurve(CurveArray& out);
    // Stride 8: T, P, vapour wt %, liquid wt %, liquid and vapour density and their specific
    // volumes; 50 .. 799 by 1, end row at 800 with both salinities 100.
    void calculateSLVCurve(CurveArray& out);
    // Stride 2: T, P; 100 .. 799 by 1 and (800, 0.0005).
    void calculateNaClSublimationCurve(CurveArray& out);

    // ------------------------------------------------------------------------ isochores
    // Stride 2: T, P from T0 down by 1 while T >= Tend and the fluid of salinity x and
    // density rho stays one phase; where it splits, the last row is its homogenisation (the
    // bubble, dew or liquidus point of its density and salinity). `failed` when a pressure
    // could not be found on the way or the path has fewer than two rows although Tend lies a
    // degree or more below T0.
    void calculateTheIsochor(CurveArray& out, double x, double T0, double P0, double Tend,
                             double rho);
    // The highest row of the last isochore below which its pressure rises on cooling (its
    // slope turns negative, where the model's fluid grows denser on heating); -1 where it
    // rises with temperature all along.
    double isochoreTurnTemperature = -1.0;
    // One step of an isochore: the pressure at which the fluid of mass fraction x has density
    // rho at T (pure water by its own equation), searched from Pguess; 0 when none is found.
    double isochoricPressure(double T, double Pguess, double rho, double x);
    // Whether the state the record holds, of a fluid of mass fraction x and density rho, is
    // one phase.
    bool onePhaseOfDensity(double x, double rho) const;
    // The pressure at which the fluid of mass fraction x has the bulk density rho at T, as one
    // phase or as a mixture of phases (pure water on its saturation curve); 0 where none is
    // found, with `failed`. The state record then describes (T, P).
    double pressureForBulkDensity(double T, double Pguess, double rho, double x);
    // P at which a fluid of w wt % has density rho at T; 0 when the search fails. Where the
    // secant from Pguess fails, the root is bracketed by widening from Pguess and halved.
    double getIsochoricFluidPressure(double T, double Pguess, double rho, double w);
    double equationForIsochoricFluidPressure(double P, void* context);
    // Its residual where the state is one phase; the Equation flag elsewhere.
    double equationForOnePhasePressure(double P, void* context);
    // Pressures of two-phase mixtures of bulk density rho; 0 when the search fails. Liquid +
    // vapour: bracketed over the whole band from the SLV to the upper-edge pressure, the root
    // nearest Pguess. Halite + liquid: searched from Pguess, else bracketed from the SLV
    // pressure up to the diagram's top.
    double getIsochoricLiquidGasPressure(double T, double Pguess, double rho, double w);
    double getIsochoricHaliteGasPressure(double T, double Pguess, double rho, double w);
    double getIsochoricHaliteLiquidPressure(double T, double Pguess, double rho, double w,
                                            double& xliq);
    double equationForIsochoricLiquidGasPressure(double P, void* context);
    double equationForIsochoricHaliteGasPressure(double P, void* context);
    double equationForIsochoricHaliteLiquidPressure(double P, void* context);

    // ------------------------------------------------------ isopleths, isotherms, isobars
    // Stride 2: T, P of halite-saturated vapour of salinity x, 100 .. 800 degC.
    void calculateHaliteGasIsopleth(CurveArray& out, double x);
    // Stride 3: T, bubble P, liquid density from T0 to the end of the bubble curve of
    // critical temperature Tend: its critical point, or above it where a dilute brine's liquid
    // and vapour meet.
    void calculateLiquidIsopleth(CurveArray& out, double w, double Tend, double T0);
    // Stride 3: T, dew P, vapour density from T0 upward.
    void calculateGasIsopleth(CurveArray& out, double w, double T0);
    // Stride 3: liquidus T, P, liquid density of salinity x from the SLV point to maxPressure.
    void calculateHaliteLiquidIsopleth(CurveArray& out, double x, double Tguess);
    // Stride 3: P, liquid wt %, liquid density of the liquidus at T, by 10 bar.
    void calculateHaliteLiquidIsotherm(CurveArray& out, double T);
    // Stride 4: P, vapour wt %, vapour density, 1000/density of halite-saturated vapour at T.
    void calculateHaliteGasIsotherm(CurveArray& out, double T);
    // Stride 7: P, liquid and vapour wt %, densities and specific volumes of the LV loop at T.
    void calculateLiquidGasIsotherm(CurveArray& out, double T);
    // Stride 3: T, liquid wt %, liquid density of the liquidus at P.
    void calculateIsobaricHaliteLiquidCurve(CurveArray& out, double P, double T0, double Tend);
    // Stride 3: T, vapour wt %, vapour density of halite-saturated vapour at P (T <= 800).
    void calculateIsobaricHaliteGasCurve(CurveArray& out, double P, double T0, double Tend);
    // Stride 5: T, liquid wt %, vapour wt %, liquid density, vapour density of the LV surface
    // at P (1: from the water boiling point or the critical point at T0, by 1; 2 and 3: by 10).
    void calculateIsobaricLiquidGas1(CurveArray& out, double P, double Tend, double T0);
    void calculateIsobaricLiquidGas2(CurveArray& out, double P, double T0, double Tend);
    void calculateIsobaricLiquidGas3(CurveArray& out, double P, double T0, double Tend);

    // ------------------------------------------------------------- fluid inclusions
    // SLV temperature whose liquid has salinity x, with that liquid's density and the SLV
    // pressure; 0 when the search fails.
    // The end of the SLV curve (800 degC) for a salinity between its liquid's there and 1.
    bool slvEndOf(double x, double& T);
    double calculateTm0(double x, double& rhoL, double& P);
    // Homogenisation temperature (to the liquid) of an inclusion of salinity x and density rho
    // heated from T0 (from 20 degC when it is not liquid + vapour at T0): the first temperature
    // on the way at which the bubble-point liquid of x reaches the density rho from above, with
    // its bubble pressure; 0 (P = -1) and `failed` when there is none.
    double calculateThLiq(double x, double rho, double T0, double& P);
    // How often that inclusion homogenises on heating from T0: its first homogenisation to the
    // liquid, and once more for each time it splits again further up (see
    // splitsAfterHomogenisation); 0 where it does not homogenise to the liquid.
    int countHomogenisationsToLiquid(double x, double rho, double T0);
    // The temperature ranges (from, to) in which the inclusion of x and rho, one phase just
    // above its homogenisation at Th, holds liquid and vapour again on heating to Tend (where
    // its bubble-point liquid grows denser again, near 374-415 degC, or near its critical
    // point, where a mixture of its density exists once more); a range still open at Tend ends
    // there. Found on a half-degree scan, the edges to 1e-6 degC; `failed` only for arguments
    // that are no numbers (or no salt).
    std::vector<std::pair<double, double>> splitsAfterHomogenisation(double x, double rho,
                                                                     double Th,
                                                                     double Tend = 1000.0);
    // Whether at T a liquid + vapour mixture of bulk salinity x has the density rho.
    bool liquidAndVapourOfDensity(double T, double x, double rho);
    // Halite dissolution temperature of an inclusion of salinity x whose vapour fills phiV
    // there, with the bulk density and the SLV pressure; of several, the one nearest T0; 0 (and
    // rho = P = 0) on failure.
    double calculateTm(double x, double phiV, double T0, double& rho, double& P);
    // Inclusion of salinity x with halite volume fraction phiH: vapour disappearance on the
    // SLV curve (Th, its liquid salinity xL and pressure Ph, the bulk density rho; of several,
    // the one nearest T0), returns the halite dissolution temperature with its pressure Pm;
    // on failure `failed`, -1 (rho 0, the others -1).
    double calculateTm3(double x, double phiH, double T0, double& rho, double& Th, double& xL,
                        double& Ph, double& Pm);
    // Whether the last calculateTm3 found its halite dissolution above the diagram's top
    // (kDiagramMaxPressure): the liquidus law carried beyond the pressures it is drawn for. The
    // result stands, with `failed` clear; a caller shows that it is such an extrapolation.
    bool tm3BeyondDiagram = false;
    // Bubble-point temperature of salinity x at P with the coexisting phases; T = -1 and
    // `failed` on failure.
    void calculateBubblePointFromP(double P, double x, double& T, double& xV, double& rhoL,
                                   double& rhoV, double T0);
    // Bulk salinity and density of an inclusion from Th and Tm (Pm: SLV pressure at Tm; Ph:
    // bubble pressure at Th; phiV: vapour volume fraction at Tm). The search does not depend on
    // the guesses, which are accepted for callers that have them. Th within 0.1 K of Tm (either
    // side) is one event: the inclusion whose bubble vanishes at Th, or just above Tm. On
    // failure (Tm above Th, no liquid homogenising at Th) `failed`, x = rho = 0 and
    // Ph = phiV = -1, with the reason in thTmOutcome.
    void calculateFromThTm(double Th, double Tm, double& x, double& rho, double TmGuess,
                           double ThGuess, double xGuess, double rhoGuess, double& Pm, double& Ph,
                           double& phiV);

    // Why the last calculateFromThTm has no answer.
    enum class ThTmOutcome {
        Solved,
        OutsideTheModel,     // Tm off the SLV curve (0 to 800 degC) or Th not a number
        HaliteAfterBubble,   // Tm above Th: not an inclusion this inverse solves
        NoSuchInclusion,     // no liquid + vapour mixture at Tm homogenises to the liquid at Th
        HomogenisesEarlier,  // those that reach Th homogenise earlier on heating (thTmEarlierTh)
        SearchFailed,
    };
    ThTmOutcome thTmOutcome = ThTmOutcome::Solved;
    double thTmEarlierTh = -1.0;  // degC, with HomogenisesEarlier

    double equationForTm0(double T, void* context);
    double equationForVapourFractionAtTm(double phi, void* context);
    double equationForCriticalX(double T, void* context);
    double equationForThLiq(double T, void* context);
    double equationForTm(double T, void* context);
    double equationForTm3(double T, void* context);
    double equationForBubblePointFromP(double T, void* context);

    // ----------------------------------------------- ice, boiling, geotherm, spinodal
    // Stride 2: wt % salt, ice melting T; 101 rows, 0 .. 40 wt %.
    void calculateIceMeltingCurve(CurveArray& out, double f);
    // Pressure below the bubble point at which vapour fills the volume fraction f, with the
    // coexisting phases and the bulk density; all -1 and `failed` on failure.
    void calculateBoilingPointWithGasVolume(double T, double x, double f, double& P, double& xL,
                                            double& xV, double& rhoL, double& rhoV, double& rhoMix);
    double equationForBoilingGasVolume(double P, void* context);
    // The pressure of that vapour volume within a step of the scan below the bubble pressure,
    // down to neighbouring doubles (`rounded` where those still part the volume); error 1
    // without one.
    double boilingJustBelowBubble(void* context, double Plow, bool& rounded, int& error);
    // Stride 3: T, P, bulk density of the boiling curve of w wt % with fPercent % vapour.
    void calculateBoilingCurveWithGasVolume(CurveArray& out, double w, double fPercent, double Tend,
                                            double T0);
    // Depth (m) of the bottom of a column of boiling liquid of salinity x between Pa and Pb;
    // false (depth -1) when a bubble point on the way cannot be found.
    bool convertPressureToDepth(double x, double Pa, double Pb, double d0, double& depth);
    double equationForDepthPressureConversion(double P, void* context);
    // Where the geotherm T0 + gradient (depth - d0) meets the bubble curve of x; rhoColumn < 0:
    // the liquid density of the point, 0: integrated over the column, > 0: that density.
    // All four results -1 and `failed` on failure, and where the crossing lies above d0.
    void calculateGeothermBubblePoint(double T0, double d0, double P0, double gradient, double x,
                                      double rhoColumn, double& T, double& P, double& depth,
                                      double& rhoL);
    double equationForGeothermBubblePoint(double T, void* context);
    // Stride 2: T, P of the spinodal near the critical point of x; 190 rows.
    void calculateSpinodalCurve(CurveArray& out, double x);

   protected:
    // The SLV liquid and vapour at Tm of an inclusion homogenising at Th.
    struct InclusionAtTm {
        double Th, Pm, xL, xV, rhoL, rhoV;
        double x = 0.0, rho = 0.0, Ph = -1.0;  // the mixture last evaluated
    };
    // The inclusion with vapour fraction phi at Tm: its x and rho, and its density less that of
    // the bubble-point liquid of x at Th (with that bubble pressure); false without one.
    bool inclusionFromVapourFraction(const InclusionAtTm& c, double phi, double& x, double& rho,
                                     double& residual, double& Ph);
    // Proportions of a two-phase state (A, B and the absent phase); returns the bulk density.
    double twoPhases(const Mixture& m, double& wA, double& phiA, double& wB, double& phiB,
                     double& wAbsent, double& phiAbsent);
    double mixtureResidual(const Mixture& m, double rho);
    // One evaluation of a residual at P outside any search: false (r undefined) when it raised
    // the Equation flag or gave no number; the flag of an enclosing evaluation is kept.
    template <class Owner>
    bool evaluate(double (Owner::*equation)(double, void*), void* context, double P, double& r);
    // Root of a residual on [Plow, Pup] that has values only on parts of it: the band scanned
    // in `intervals`, the edges of those parts closed in on, each sign change halved; an end
    // within `close` of 0 is a root. The root nearest Pguess; 0 without one.
    double rootOnBand(double (Palliser::*equation)(double, void*), void* context, double Plow,
                      double Pup, double Pguess, double close, int intervals);
    // The state of bulk density rho found at P, or a one-phase state of that density at a lower
    // pressure where P is halite + liquid beside the liquidus; the record describes it.
    double onePhaseFirst(double T, double P, double rho, double x);
    // Settings of a one-dimensional search; the remaining ones are the same everywhere
    // (tolerance 1e-9, bounds +-1e15, relaxation from 1, no step limit).
    struct SearchSettings {
        double minRelaxation = 0.01;
        int itermax = 15;
        bool growthCheck = false;
    };
    // Runs a Secant search on a member residual; error receives its code.
    template <class Owner>
    double secant(double (Owner::*residual)(double, void*), void* context, double x0, double x1,
                  int& error, SearchSettings settings = {});

    // A change of sign of a residual between a < b: rising when it is negative at a and not
    // negative at b.
    struct SignChange {
        double a, b;
        bool rising;
    };
    // Every change of sign of a member residual on [lo, hi], in increasing order, from its
    // values at lo, lo + step, .. and hi; a change across an argument where the residual is not
    // defined (raises the Equation flag) is none. Where the residual starts or stops being
    // defined, the edge is located by halving first, so that a change of sign right at the edge
    // is kept. `samples`, where given, receives every defined (argument, value) in order, with a
    // NaN argument where a stretch of defined values ends.
    template <class Owner>
    std::vector<SignChange> signChanges(double (Owner::*residual)(double, void*), void* context,
                                        double lo, double hi, double step,
                                        std::vector<std::pair<double, double>>* samples = nullptr);
    // The root inside a change of sign (by halving, some 30 steps on a scan's step, to the
    // relative `tolerance`); the residual is evaluated last at the root, so that its context
    // holds the root's values. error 5 where the change of sign is a step of the residual, not
    // a root.
    template <class Owner>
    double rootOf(double (Owner::*residual)(double, void*), void* context, SignChange s,
                  int& error, double tolerance = kRootTolerance);
    static constexpr double kRootTolerance = 1e-12;
    // Halving down to neighbouring doubles: for a residual that changes by orders of magnitude
    // within the ordinary tolerance.
    static constexpr double kNeighbouringDoubles = 2.0 * DBL_EPSILON;
    // The root of a residual on [lo, hi] nearest x0 of those a scan with `step` brackets (and
    // `accept` takes, asked with the context at the root); of equal distance the lower. error 1
    // where the scan brackets none.
    template <class Owner>
    double nearestRoot(double (Owner::*residual)(double, void*), void* context, double lo,
                       double hi, double step, double x0, int& error,
                       const std::function<bool()>& accept = {},
                       double tolerance = kRootTolerance);
    // Where a secant's answer from x0, x1 may be wrong: the scan of [lo, hi] by `step` that
    // replaces it, and the closeness to 0 and the `accept` (as nearestRoot's) of the answer.
    struct Fallback {
        double lo, hi, step, close;
        std::function<bool()> accept = {};
    };
    // A secant's answer from x0, x1 kept only where it lies on [lo, hi], the residual is
    // defined there, within `close` of 0 and accepted (a secant can stop on an iterate outside
    // the residual's range); otherwise the root nearest `nearest` that the scan brackets. The
    // residual is evaluated last at the root.
    template <class Owner>
    double secantOrScan(double (Owner::*residual)(double, void*), void* context, double x0,
                        double x1, double nearest, const Fallback& scan, int& error);

    struct ThContext {
        double x, rho, P;
    };
    // Changes of sign of equationForThLiq on [from, to], finer where the bubble-point liquid
    // density turns.
    std::vector<SignChange> thSignChanges(ThContext& c, double from, double to);
    // The temperatures at which the inclusion of ThContext homogenises to the liquid on
    // heating from T0 (as calculateThLiq), in increasing order.
    std::vector<SignChange> homogenisationsToLiquid(ThContext& c, double T0);
    // The first homogenisation to the liquid of (x, rho) on heating from T0 up to Tend; -1 when
    // there is none.
    double firstHomogenisationFrom(double x, double rho, double T0, double Tend);
    // Lowest temperature of the inclusion searches (degC): halite dissolves on the SLV curve
    // from 0 degC, and the forward searches (Tm, Th) cover all the inverse accepts.
    static constexpr double kLowestInclusionT = 0.0;
    // The critical point at T into P, x, rho; false (all -1) where the curve writes
    // nothing (below the water critical temperature, above the NaCl one).
    bool criticalPointAt(double T, double& P, double& x, double& rho);
    // Ensures the stored state is usable: a non-finite result field becomes -1 and raises
    // `failed`; an invalid density unclassifies the state.
    void checkState();
    // The one-phase region code with the given rule's density.
    double onePhase(double rho);

   private:
    // Whether the state at (T, P) has the bulk density rho (within 1e-9 of it, or between the
    // densities of P's neighbouring doubles); the record then describes it.
    bool ofBulkDensity(double T, double P, double rho, double x);
    // pressureForBulkDensity's search, which leaves `failed` to it.
    double stateOfBulkDensity(double T, double Pguess, double rho, double x);
    double classifyBelowWaterCritical(double T, double P, double x, double rho);
    double classifyUpTo800(double T, double P, double x, double rho);
    double classifyAbove800(double T, double P, double x);
    void fillHaliteFields(double T, double P, double x);
    void liquidusAtMaxPressure(double T);
    // Liquidus at (T, P) into the record; false (both fields -1) where the model has none.
    bool haliteLiquidAt(double T, double P);
    // Where (T, P) has no liquidus (cold and compressed, beyond the fits): the halite-saturated
    // liquid into the record as the SLV liquid of 0 degC carried to P; true (the state
    // unclassified and `failed`) only where even that has no density.
    bool haliteBeyondFits(double P, double x);
    // One phase or liquid + vapour against the LV surface at (T, P); above the critical
    // pressure first the one-phase rules on either side of the critical salinity.
    double liquidVapourTest(double T, double P, double x);
    double criticalOrLiquidVapourTest(double T, double P, double x);
    // Whether (T, P) with salinity x and density rho is a state of the SLV point at T (the
    // record's SLV fields hold that point).
    bool onSLVCurve(double T, double P, double x, double rho);
    // The halite + vapour test below the SLV pressure.
    double haliteVapourOrVapour(double T, double P, double x);
    // Mass and volume fractions of the denser and the lighter phase of a pure substance of
    // bulk density rho on its two-phase curve; returns rho limited to [rhoG, rhoD].
    static double splitPureFractions(double rho, double rhoD, double rhoG, double& wD, double& phiD,
                                     double& wG, double& phiG);
    // A pure fluid against the saturation fields liquidGasPressure, lgLiquidDensity and
    // lgVapourDensity: one phase off the curve, region `code` with rho's proportions on it.
    double pureLiquidVapour(double T, double P, double rho, int32_t code,
                            double (Palliser::*liquid)(double, double),
                            double (Palliser::*vapour)(double, double));
    // The lever-rule density of x at (T, P) on the liquid-vapour surface; NaN where x is not
    // between the two phases there. Leaves `failed` as it was.
    double liquidVapourBulk(double T, double P, double x);
    // Above water's critical temperature the liquid + vapour density of x at P (rho, the lever
    // rule's), held no denser than the mixture at any higher pressure up to where x leaves the
    // two phases, less a rise of kLiquidVapourRise of the density per bar.
    double heldLiquidVapour(double T, double P, double x, double rho);
    struct LiquidVapourHold {
        double T = -1.0, x = -1.0, Pmin = -1.0, Pend = -1.0;
        std::vector<double> P, rho;  // the rungs below Pend, from it down
    };
    LiquidVapourHold lvHold;
};

template <class Owner>
double Palliser::secant(double (Owner::*residual)(double, void*), void* context, double x0,
                        double x1, int& error, SearchSettings settings) {
    Secant s;
    s.equation = this;
    s.function = static_cast<EquationFunction>(residual);
    s.context = context;
    s.x0 = x0;
    s.x1 = x1;
    s.itermax = settings.itermax;
    s.tolerance = 1e-9;
    s.relaxation = 1.0;
    s.minrelaxation = settings.minRelaxation;
    s.growthcheck = settings.growthCheck ? 1 : 0;
    // A flag left raised by an enclosing evaluation must not fail this search's first step.
    int16_t outer = equationError;
    equationError = 0;
    double root = s.solve();
    equationError = outer;
    error = s.error;
    return root;
}

template <class Owner>
bool Palliser::evaluate(double (Owner::*equation)(double, void*), void* context, double P,
                        double& r) {
    const int16_t outer = equationError;
    equationError = 0;
    r = (static_cast<Owner*>(this)->*equation)(P, context);
    const bool ok = equationError == 0 && std::isfinite(r);
    equationError = outer;
    return ok;
}

template <class Owner>
std::vector<Palliser::SignChange> Palliser::signChanges(double (Owner::*residual)(double, void*),
                                                        void* context, double lo, double hi,
                                                        double step,
                                                        std::vector<std::pair<double, double>>* samples) {
    std::vector<SignChange> out;
    if (!std::isfinite(lo) || !std::isfinite(hi) || !(step > 0.0) || !(lo <= hi)) return out;
    auto value = [&](double x, double& f) { return evaluate(residual, context, x, f); };
    // The last defined point of the current stretch of defined values.
    bool inStretch = false;
    double xp = 0.0, fp = 0.0;
    auto take = [&](double x, double f) {
        if (inStretch && (fp < 0.0) != (f < 0.0)) out.push_back({xp, x, fp < 0.0});
        if (samples && !inStretch && !samples->empty()) samples->emplace_back(NAN, 0.0);
        if (samples) samples->emplace_back(x, f);
        inStretch = true;
        xp = x;
        fp = f;
    };
    // The defined point nearest the edge between a defined and an undefined argument.
    auto edge = [&](double defined, double undefined, double& f) {
        for (int i = 0; i < 50; ++i) {
            const double m = 0.5 * (defined + undefined);
            double fm = 0.0;
            (value(m, fm) ? defined : undefined) = m;
        }
        value(defined, f);
        return defined;
    };
    double xq = lo, fLo = 0.0;
    bool okq = value(lo, fLo);
    if (okq) take(lo, fLo);
    const long n = static_cast<long>(std::ceil((hi - lo) / step));
    for (long i = 1; i <= n && i < kMaxScanSteps; ++i) {
        const double x = i == n ? hi : lo + static_cast<double>(i) * step;
        double f = 0.0;
        const bool ok = value(x, f);
        if (ok != okq) {
            double fe = 0.0;
            const double xe = ok ? edge(x, xq, fe) : edge(xq, x, fe);
            if (ok) inStretch = false;  // a new stretch begins at the edge
            take(xe, fe);
            if (!ok) inStretch = false;
        }
        if (ok) take(x, f);
        xq = x;
        okq = ok;
    }
    return out;
}

template <class Owner>
double Palliser::rootOf(double (Owner::*residual)(double, void*), void* context, SignChange s,
                        int& error, double tolerance) {
    Bolzano m;
    m.equation = this;
    m.function = static_cast<EquationFunction>(residual);
    m.context = context;
    m.x0 = s.a;
    m.x1 = s.b;
    m.tolerance = tolerance;
    const int16_t outer = equationError;
    equationError = 0;
    const double fa = (static_cast<Owner*>(this)->*residual)(s.a, context);
    const double fb = (static_cast<Owner*>(this)->*residual)(s.b, context);
    equationError = 0;
    double root = m.solve();
    error = m.error;
    // A root on the lower end (26.35 wt % is halite-saturated at 0 degC) is that end, not a
    // midpoint near it: the halving only ever moves that end to a point of nonzero value.
    if (!error && m.f0 == 0.0) root = s.a;
    // Where the residual steps across zero (a fit that switches to another), the halved
    // bracket keeps the step: no root. (At a root where the residual has an infinite slope,
    // as water's saturated liquid density at its critical point, the ends still come within
    // some 1e-3 of their first values.)
    else if (!error && !(std::fabs(m.f1 - m.f0) <= 1e-2 * (std::fabs(fa) + std::fabs(fb))))
        error = 5;
    if (!error) {
        (static_cast<Owner*>(this)->*residual)(root, context);
        if (equationError) error = 4;
    }
    equationError = outer;
    return root;
}

template <class Owner>
double Palliser::nearestRoot(double (Owner::*residual)(double, void*), void* context, double lo,
                             double hi, double step, double x0, int& error,
                             const std::function<bool()>& accept, double tolerance) {
    std::vector<SignChange> roots = signChanges(residual, context, lo, hi, step);
    auto distance = [x0](const SignChange& s) {
        return x0 < s.a ? s.a - x0 : x0 > s.b ? x0 - s.b : 0.0;
    };
    std::stable_sort(roots.begin(), roots.end(), [&](const SignChange& p, const SignChange& q) {
        return distance(p) < distance(q);
    });
    error = 1;
    double root = 0.0;
    for (const SignChange& s : roots) {
        root = rootOf(residual, context, s, error, tolerance);
        if (!error && accept && !accept()) error = 1;
        if (!error) break;
    }
    return root;
}

template <class Owner>
double Palliser::secantOrScan(double (Owner::*residual)(double, void*), void* context, double x0,
                              double x1, double nearest, const Fallback& scan, int& error) {
    double root = secant(residual, context, x0, x1, error);
    if (!error && root >= scan.lo && root <= scan.hi) {
        const int16_t outer = equationError;
        equationError = 0;
        const double r = (static_cast<Owner*>(this)->*residual)(root, context);
        const bool ok =
            !equationError && std::fabs(r) <= scan.close && (!scan.accept || scan.accept());
        equationError = outer;
        if (ok) return root;
    }
    return nearestRoot(residual, context, scan.lo, scan.hi, scan.step, nearest, error, scan.accept);
}

}  // namespace vornex
