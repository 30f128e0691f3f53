// The state drawings of every recompute cycle: the halite-bearing fields of the current
// salinity and temperature, the liquid-vapour fields of the current temperature, the fields
// the isobar of the current pressure crosses and the isopleth of the current salinity.
//
// Every value a drawing needs at the current T, P or salinity comes from its own model call
// (SLV point, critical point, NaCl saturation point, halite melting temperature), never from
// what the last tracer left in the model's record; where the model has no such value the
// drawing that needs it is left out. Every object drawn here is named "t_..." and goes at the
// start of the next cycle.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <string>

#include "plot/ArrayAdditions.h"
#include "plot/CGraphArea.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "workbench/MyDocument.h"

namespace vornex {

namespace {

struct XY {
    double x, y;
};

bool finitePositive(std::initializer_list<double> values) {
    for (double v : values)
        if (!(std::isfinite(v) && v > 0)) return false;
    return true;
}

CGraphCurve* curveFrom(CPlotView* view, const std::vector<double>& rows, int stride, int x, int y,
                       const char* name) {
    CGraphCurve* c = view->plotFromArray(rows, stride, x, y);
    c->setName(name);
    return c;
}

std::unique_ptr<CGraphCurve> lineThrough(const char* name, std::initializer_list<XY> points) {
    auto c = std::make_unique<CGraphCurve>();
    for (const XY& p : points) c->addPoint(static_cast<float>(p.x), static_cast<float>(p.y), false);
    c->setName(name);
    return c;
}

CGraphCurve* addLine(CPlotView* view, const char* name, std::initializer_list<XY> points) {
    return view->add(lineThrough(name, points));
}

// Bulk salinity and density of mixtures of phase A with the mass fraction f = 0 ... 1 of
// phase B: starts exactly at A and ends exactly at B.
std::unique_ptr<CGraphCurve> mixingCurve(const char* name, XY a, XY b, const Color& color) {
    auto c = std::make_unique<CGraphCurve>();
    for (int i = 0; i <= 100; ++i) {
        const double f = 0.01 * i;
        const double x = a.x + f * (b.x - a.x);
        const double rho = a.y * b.y / ((1 - f) * b.y + f * a.y);
        c->addPoint(static_cast<float>(x), static_cast<float>(rho), false);
    }
    c->setName(name);
    c->setColor(color);
    return c;
}

std::unique_ptr<CGraphArea> newArea(const char* name, const Color& color) {
    auto a = std::make_unique<CGraphArea>();
    a->setName(name);
    a->setColor(color);
    return a;
}

const CGraphCurve* curveNamed(const CPlotView* view, const char* name) {
    return dynamic_cast<const CGraphCurve*>(view->getGraphObjectWithName(name));
}

// A marker per plot; the one of the P-T plot is copied onto the isochore plot.
struct Mark {
    CPlotView* plot;
    const char* name;
    XY at;
};
void plotMarks(std::initializer_list<Mark> marks, int marker, const Color& color, float size,
               CPlotView* pt, CPlotView* isochore) {
    for (const Mark& m : marks) {
        CGraphPoint* p = m.plot->plotPoint(m.at.x, m.at.y, marker, color);
        p->setName(m.name);
        if (size != 1.0f) p->setToolSizeFactor(size);
        if (m.plot == pt) isochore->addGraphObject(p->copy());
    }
}

std::size_t wholeRows(const std::vector<double>& rows, int stride) {
    return rows.size() / static_cast<std::size_t>(stride);
}

void renew(std::vector<double>& rows, std::size_t capacity) {
    rows.clear();
    rows.reserve(capacity);
}

// An isobar's liquidus (rows T, wt %, density) ends where it meets the halite + liquid + vapour
// curve, at that curve's liquid (a row of the curve's table: T, P, vapour and liquid wt %, liquid
// density): a temperature read from the table lies a rounding off the curve, where the liquidus
// is refused, and the curve would stop a step short of the three-phase line.
void endOnThreePhaseCurve(std::vector<double>& liquidus, const double* slvRow, bool atStart) {
    const double T = slvRow[0], end[] = {T, slvRow[3], slvRow[4]};
    const std::size_t n = liquidus.size() / 3;
    if (atStart && (n == 0 || liquidus[0] > T + 1e-9))
        liquidus.insert(liquidus.begin(), std::begin(end), std::end(end));
    else if (!atStart && (n == 0 || liquidus[3 * (n - 1)] < T - 1e-9))
        liquidus.insert(liquidus.begin() + static_cast<std::ptrdiff_t>(3 * n), std::begin(end),
                        std::end(end));
}

}  // namespace

bool MyDocument::slvPointAt(double T, SLVPoint& p) const {
    if (!(T <= mTtNaCl) || !std::isfinite(T)) return false;
    mModel->calculateSLVPoint(T, p.P, p.xL, p.xV, p.rhoL, p.rhoV);
    return finitePositive({p.P, p.rhoL, p.rhoV}) && std::isfinite(p.xL) && std::isfinite(p.xV);
}

bool MyDocument::criticalPointAt(double T, double& P, double& x, double& rho) const {
    P = x = rho = -1;
    // The model's critical curve starts at 374.15 degC; below it there is none.
    mModel->calculateCriticalPoint(T, P, x, rho);
    return finitePositive({P, rho}) && std::isfinite(x) && x >= 0;
}

bool MyDocument::criticalPointOfSalinity(double x, double& Tc, double& Pc, double& rhoc) const {
    Tc = Pc = rhoc = -1;
    if (x < 1e-8) {
        Tc = mModel->waterCriticalTemperature;
        Pc = mModel->waterCriticalPressure;
        rhoc = mModel->waterCriticalDensity;
    } else if (x <= 0.9999) {
        mModel->calculateCriticalPointFromX(x, Tc, Pc, rhoc);
        if (mModel->failed) return false;
    }
    return finitePositive({Tc, Pc, rhoc});
}

// ----- Halite-liquid isopleth and halite-liquid-vapour field --------------------------------

void MyDocument::showHaliteLiquidIsopleth() {
    removeTemporaryObjects();
    // Emptied every cycle: an isopleth of another salinity must not stand for this one's.
    haliteLiquidIsopleth.clear();
    if (!mShowHLV) return;
    const double x = 0.01 * mXm;
    if (mShowHL) {
        const std::vector<double> hits = search(slvProperties, _nslv, 3, mXm);
        if (!hits.empty()) {
            renew(haliteLiquidIsopleth, 100);
            mModel->calculateHaliteLiquidIsopleth(haliteLiquidIsopleth, x, hits[0]);
            CGraphCurve* c =
                curveFrom(mPTViewp, haliteLiquidIsopleth, _nhlp, 0, 1, "t_haliteLiquidPT");
            mIsochoreViewp->addGraphObject(c->copy());
            auto fill = newArea("t_pthlfill", mhlColor);
            fill->addCurve(c, false);
            fill->addPoint(static_cast<float>(mTslv_min), static_cast<float>(mPmax));
            fill->addPoint(static_cast<float>(mTslv_min), static_cast<float>(mXminNaCl));
            fill->addSubcurve(curveNamed(mPTViewp, "ptslv"));
            mIsochoreViewp->addGraphObject(fill->copy());
            mPTViewp->add(std::move(fill));
        }
    }
    if (!mShowHV) return;
    renew(haliteGasIsopleth, 100);
    mModel->calculateHaliteGasIsopleth(haliteGasIsopleth, x);
    if (wholeRows(haliteGasIsopleth, 2) == 0) return;
    CGraphCurve* c = curveFrom(mPTViewp, haliteGasIsopleth, 2, 0, 1, "t_pthv");
    auto fill = newArea("t_pthvfill", mhgColor);
    fill->addCurve(c, false);
    fill->addPoint(static_cast<float>(mTtNaCl), 0);
    fill->addPoint(static_cast<float>(mTslv_min), 0);
    mIsochoreViewp->addGraphObject(fill->copy());
    mPTViewp->add(std::move(fill));
}

void MyDocument::showHaliteLiquidGasField() {
    if (mTm > mTtNaCl) return;
    SLVPoint slv;
    const bool haveSLV = slvPointAt(mTm, slv);
    renew(haliteGasIsotherm, 400);
    mModel->calculateHaliteGasIsotherm(haliteGasIsotherm, mTm);
    renew(haliteLiquidIsotherm, 100);
    mModel->calculateHaliteLiquidIsotherm(haliteLiquidIsotherm, mTm);
    if (!mShowHLV || !haveSLV) return;

    const double wL = 100 * slv.xL, wV = 100 * slv.xV, P = slv.P;
    const XY liquid{wL, slv.rhoL}, vapour{wV, slv.rhoV}, halite{100, mRhoHalite};
    const double rhoH = mRhoHalite;
    const Color blue = Color::blue();
    addLine(mPxViewp, "t_slv_px", {{wV, P}, {100, P}});

    if (mShowHL) {
        const std::vector<double>& iso = haliteLiquidIsotherm;
        CGraphCurve* px = curveFrom(mPxViewp, iso, _nlah, 1, 0, "t_HaliteLiquidPx");
        auto pxFill = newArea("t_PxhlFill", mhlColor);
        pxFill->addCurve(px, false);
        pxFill->addPoint(100, static_cast<float>(mPmax));
        pxFill->addPoint(100, static_cast<float>(P));
        mPxViewp->add(std::move(pxFill));

        addLine(mRhoPViewp, "t_rp_slv_line", {{P, slv.rhoV}, {P, rhoH}});
        CGraphCurve* rp = curveFrom(mRhoPViewp, iso, _nlah, 0, 2, "t_HaliteLiquidrp");
        auto rpFill = newArea("t_rphlFill", mhlColor);
        rpFill->addCurve(rp, false);
        rpFill->addPoint(static_cast<float>(mPmax), static_cast<float>(rhoH));
        rpFill->addPoint(static_cast<float>(P), static_cast<float>(rhoH));
        mRhoPViewp->add(std::move(rpFill));

        CGraphArea* triangle = mRhoXViewp->add(newArea("t_rxhlvfill", mhlgColor));
        triangle->addCurve(mRhoXViewp->add(mixingCurve("t_rxhlv_lv", liquid, vapour, blue)), false);
        triangle->addCurve(mRhoXViewp->add(mixingCurve("t_rxhlv_hv", halite, vapour, blue)), true);
        CGraphCurve* hl = mRhoXViewp->add(mixingCurve("t_rxhlv_hl", halite, liquid, blue));
        triangle->addCurve(hl, false);

        CGraphArea* hlFill = mRhoXViewp->add(newArea("t_rx_hl_fill", mhlColor));
        hlFill->addCurve(curveFrom(mRhoXViewp, iso, _nlah, 1, 2, "t_HaliteLiquidRX"), false);
        // An empty isotherm has no last point to join to halite.
        const std::size_t n = wholeRows(iso, _nlah);
        if (n > 0) {
            const XY last{iso[3 * n - 2], iso[3 * n - 1]};
            hlFill->addCurve(mRhoXViewp->add(mixingCurve("t_rx_hl_hl", last, halite, mhlColor)),
                             false);
        }
        hlFill->addSubcurve(curveNamed(mRhoXViewp, "t_rxhlv_hl"));

        const double vH = 1000 / rhoH, vL = 1000 / slv.rhoL, vV = 1000 / slv.rhoV;
        CGraphCurve* vx = addLine(mVxViewp, "t_vxhlv", {{100, vH}, {wL, vL}, {wV, vV}, {100, vH}});
        vx->setColor(blue);
        auto vxFill = newArea("t_vxhlvfill", mhlgColor);
        vxFill->addCurve(vx, false);
        mVxViewp->add(std::move(vxFill));
    }

    if (mShowHV) {
        const std::vector<double>& iso = haliteGasIsotherm;
        const std::size_t n = wholeRows(iso, _ngah);
        CGraphCurve* px = curveFrom(mPxViewp, iso, _ngah, 1, 0, "t_GasHalPx");
        auto pxFill = newArea("t_PxhgFill", mhgColor);
        pxFill->addCurve(px, false);
        pxFill->addPoint(100, static_cast<float>(P));
        pxFill->addPoint(100, 0);
        pxFill->addPoint(0, 0);
        mPxViewp->add(std::move(pxFill));

        CGraphArea* rpFill = mRhoPViewp->add(newArea("t_rphgfill", mhgColor));
        rpFill->addCurve(curveFrom(mRhoPViewp, iso, _ngah, 0, 2, "t_rp_hg_g"), false);
        auto haliteLine = std::make_unique<CGraphCurve>();
        haliteLine->setName("t_rp_hg_h");
        for (std::size_t i = 0; i < n; ++i)
            haliteLine->addPoint(static_cast<float>(iso[_ngah * i]), static_cast<float>(rhoH),
                                 false);
        rpFill->addCurve(mRhoPViewp->add(std::move(haliteLine)), true);

        CGraphCurve* vx = curveFrom(mVxViewp, iso, _ngah, 1, 3, "t_vx_hg_g");
        auto vxFill = newArea("t_vx_hg_fill", mhgColor);
        vxFill->addCurve(vx, false);
        vxFill->addPoint(100, static_cast<float>(1000 / rhoH));
        mVxViewp->add(std::move(vxFill));

        CGraphArea* rxFill = mRhoXViewp->add(newArea("t_rx_hg_fill", mhgColor));
        rxFill->addCurve(curveFrom(mRhoXViewp, iso, _ngah, 1, 2, "t_rx_hg_g"), false);
        rxFill->addCurve(curveNamed(mRhoXViewp, "t_rxhlv_hv"), true);
        // An empty isotherm has no first point to join to halite.
        if (n > 0)
            rxFill->addCurve(
                mRhoXViewp->add(mixingCurve("t_rxhg", halite, XY{iso[1], iso[2]}, blue)), false);
    }
}

// ----- Liquid-vapour curves of the current temperature ---------------------------------------

void MyDocument::showLiqGasCurve() {
    renew(liquidGasIsotherm, 400);
    mModel->calculateLiquidGasIsotherm(liquidGasIsotherm, mTm);
    if (!mShowLG || mTm > mTcNaCl) return;
    const std::vector<double>& iso = liquidGasIsotherm;

    double Pc = -1, xc = -1, rhoc = -1;
    if (mTm >= mTcH2O && criticalPointAt(mTm, Pc, xc, rhoc)) {
        const double wc = 100 * xc;
        plotMarks({{mPxViewp, "t_critPx", {wc, Pc}},
                   {mPTViewp, "t_critPT", {mTm, Pc}},
                   {mTxViewp, "t_critTx", {mTm, wc}},
                   {mRhoTViewp, "t_critRt", {mTm, rhoc}},
                   {mRhoTxViewp, "t_critRt", {mTm, rhoc}},
                   {mRhoPViewp, "t_critRp", {Pc, rhoc}},
                   {mRhoXViewp, "t_critRx", {wc, rhoc}}},
                  7, Color::black(), 5.0f, mPTViewp, mIsochoreViewp);
    }

    CGraphCurve* gasPx = curveFrom(mPxViewp, iso, _nbip, 2, 0, "t_gasPx");
    CGraphCurve* liqPx = curveFrom(mPxViewp, iso, _nbip, 1, 0, "t_liqPx");
    auto pxFill = newArea("t_PxlgFill", mlgColor);
    pxFill->addCurve(gasPx, false);
    pxFill->addCurve(liqPx, true);
    mPxViewp->add(std::move(pxFill));

    // The vertical tie line of the two-phase field in both density-temperature plots.
    double rhoFrom = -1, rhoTo = -1;
    SLVPoint slv;
    if (mTm < mTtNaCl) {
        if (slvPointAt(mTm, slv)) {
            rhoFrom = slv.rhoV;
            rhoTo = slv.rhoL;
        }
    } else if (mTm < mTcNaCl) {
        double P = -1;
        mModel->calculateNaClSaturationPoint(mTm, P, rhoFrom, rhoTo);
    }
    if (finitePositive({rhoFrom, rhoTo}))
        for (CPlotView* v : {mRhoTViewp, mRhoTxViewp})
            addLine(v, "t_rtlg", {{mTm, rhoFrom}, {mTm, rhoTo}});

    CGraphArea* rxFill = mRhoXViewp->add(newArea("t_rxlvfill", mlgColor));
    rxFill->addCurve(curveFrom(mRhoXViewp, iso, _nbip, 1, 3, "t_rxlg_l"), true);
    rxFill->addCurve(curveNamed(mRhoXViewp, "t_rxhlv_lv"), false);
    rxFill->addCurve(curveFrom(mRhoXViewp, iso, _nbip, 2, 4, "t_rxlg_g"), false);

    auto rpFill = newArea("t_rplgfill", mlgColor);
    rpFill->addCurve(curveFrom(mRhoPViewp, iso, _nbip, 0, 3, "t_rplg_l"), false);
    rpFill->addCurve(curveFrom(mRhoPViewp, iso, _nbip, 0, 4, "t_rplg_g"), true);
    mRhoPViewp->add(std::move(rpFill));

    const std::size_t n = wholeRows(iso, _nbip);
    if (mTm <= mTcH2O && n > 0) {
        const double* last = &iso[_nbip * (n - 1)];
        addLine(mRhoPViewp, "t_rpline", {{last[0], last[3]}, {last[0], last[4]}});
    }

    auto vxFill = newArea("t_vxlgfill", mlgColor);
    vxFill->addCurve(curveFrom(mVxViewp, iso, _nbip, 1, 5, "t_vxlg_l"), false);
    vxFill->addCurve(curveFrom(mVxViewp, iso, _nbip, 2, 6, "t_vxlg_g"), true);
    mVxViewp->add(std::move(vxFill));
}

// ----- Isobaric liquid-gas curves --------------------------------------------------------------

namespace {

// A liquid-vapour loop of the isobar (rows T, liquid wt %, vapour wt %, liquid and vapour
// density) with its two fields; `fieldsFirst` puts each field beneath its curves.
struct LoopNames {
    const char *txLiq, *txGas, *txFill, *rtLiq, *rtGas, *rtFill;
};

void drawLoop(CPlotView* tx, CPlotView* rt, const std::vector<double>& rows, const LoopNames& n,
              const Color& color, bool fieldsFirst) {
    auto pair = [&](CPlotView* v, int yLiq, int yGas, const char* liq, const char* gas,
                    const char* fill) {
        auto area = newArea(fill, color);
        CGraphArea* a = fieldsFirst ? v->add(std::move(area)) : area.get();
        a->addCurve(curveFrom(v, rows, 5, 0, yLiq, liq), false);
        a->addCurve(curveFrom(v, rows, 5, 0, yGas, gas), true);
        if (!fieldsFirst) v->add(std::move(area));
    };
    pair(tx, 1, 2, n.txLiq, n.txGas, n.txFill);
    pair(rt, 3, 4, n.rtLiq, n.rtGas, n.rtFill);
}

}  // namespace

double MyDocument::haliteMeltingTemperatureAt(double P) const {
    const double T = mModel->getHaliteMeltingTemperature(P);
    return std::isfinite(T) && T >= 0 ? T : mTtNaCl;
}

void MyDocument::showIsobaricLiqGasCurve() {
    const double P = mPm;
    const double rhoH = mRhoHalite;
    const float fT = static_cast<float>(mTslv_min);
    const std::vector<double> slv = search(slvProperties, _nslv, 1, P);
    const std::size_t crossings = slv.size() / _nslv;
    const double Tmelt = haliteMeltingTemperatureAt(P);
    const double PcH2O = mModel->waterCriticalPressure, PcNaCl = mModel->naclCriticalPressure;
    const std::vector<double> cri = search(criProperties, _ncri, 1, P);
    const bool twoCritical = cri.size() / _ncri == 2;
    const LoopNames first{"t_Txlvliq0", "t_Txlvgas0", "t_TxlgFill",
                          "t_rtlvliq0", "t_rtlvgas0", "t_rtlgFill"};

    if (crossings == 2) {
        const double* c1 = &slv[0];
        const double* c2 = &slv[_nslv];
        const double T1 = c1[0], T2 = c2[0];
        if (mShowHLV) {
            addLine(mTxViewp, "t_Txslv0", {{T1, 100}, {T1, c1[3]}, {T1, c1[2]}});
            addLine(mTxViewp, "t_Txslv1", {{T2, 100}, {T2, c2[3]}, {T2, c2[2]}});
            addLine(mRhoTViewp, "t_rtslv0", {{T1, rhoH}, {T1, c1[4]}, {T1, c1[5]}});
            addLine(mRhoTViewp, "t_rtslv1", {{T2, rhoH}, {T2, c2[4]}, {T2, c2[5]}});
        }
        if (mShowHL && mShowHLV) {
            std::vector<double> liquidus;
            renew(liquidus, 100);
            mModel->calculateIsobaricHaliteLiquidCurve(liquidus, P, 101, T1);
            endOnThreePhaseCurve(liquidus, c1, false);
            curveFrom(mTxViewp, liquidus, 3, 0, 1, "t_haliq0");
            renew(liquidus, 100);
            mModel->calculateIsobaricHaliteLiquidCurve(liquidus, P, T2, Tmelt);
            endOnThreePhaseCurve(liquidus, c2, true);
            curveFrom(mTxViewp, liquidus, 3, 0, 1, "t_haliq1");

            auto tx0 = newArea("t_TxhlFill0", mhlColor);
            for (XY p : {XY{100, mXminNaCl}, XY{100, 100}, XY{T1, 100}, XY{T1, c1[3]}})
                tx0->addPoint(static_cast<float>(p.x), static_cast<float>(p.y));
            if (const CGraphCurve* c = curveNamed(mTxViewp, "txslv")) tx0->addSubcurve(c);
            mTxViewp->add(std::move(tx0));
            auto tx1 = newArea("t_TxhlFill1", mhlColor);
            for (XY p : {XY{800, 100}, XY{T2, 100}, XY{T2, c2[3]}})
                tx1->addPoint(static_cast<float>(p.x), static_cast<float>(p.y));
            mTxViewp->add(std::move(tx1));

            auto rt0 = newArea("t_rthlFill0", mhlColor);
            for (XY p : {XY{mTslv_min, 1168}, XY{mTslv_min, rhoH}, XY{T1, rhoH}, XY{T1, c1[4]}})
                rt0->addPoint(static_cast<float>(p.x), static_cast<float>(p.y));
            if (const CGraphCurve* c = curveNamed(mRhoTViewp, "rtslv")) rt0->addSubcurve(c);
            mRhoTViewp->add(std::move(rt0));
            auto rt1 = newArea("t_rthlFill1", mhlColor);
            for (XY p : {XY{800, rhoH}, XY{T2, rhoH}, XY{T2, c2[4]}, XY{800, mRltNaCl}})
                rt1->addPoint(static_cast<float>(p.x), static_cast<float>(p.y));
            mRhoTViewp->add(std::move(rt1));
            addLine(mRhoTViewp, "t_rthl1", {{800, rhoH}, {800, mRltNaCl}});
        }
        if (mShowLG) {
            // The critical temperatures that end the loops; NaN where the isobar gives none.
            double Tc1 = NAN, Tc2 = NAN;
            if (P > PcNaCl) {
                if (twoCritical) {
                    Tc1 = cri[0];
                    Tc2 = cri[_ncri];
                }
            } else if (P > PcH2O) {
                bool found = false;
                const double T = search(criProperties, _ncri, 1, 0, P, found);
                if (found) Tc1 = T;
            }
            // The first loop starts at water's boiling point below its critical pressure,
            // else at a critical temperature, which must exist.
            if (P < PcH2O || std::isfinite(Tc1)) {
                std::vector<double> loop;
                renew(loop, 100);
                mModel->calculateIsobaricLiquidGas1(loop, P, T1, std::isfinite(Tc1) ? Tc1 : 0.0);
                drawLoop(mTxViewp, mRhoTViewp, loop, first, mlgColor, false);
                if (P < PcH2O && wholeRows(loop, 5) > 0)
                    addLine(mRhoTViewp, "t_rtsat0", {{loop[0], loop[3]}, {loop[0], loop[4]}});
            }
            // The second ends at NaCl's boiling point up to its critical pressure, else at a
            // critical temperature, which must exist.
            if (P <= PcNaCl || std::isfinite(Tc2)) {
                std::vector<double> loop;
                renew(loop, 1000);
                mModel->calculateIsobaricLiquidGas2(loop, P, T2, std::isfinite(Tc2) ? Tc2 : 0.0);
                drawLoop(mTxViewp, mRhoTViewp, loop,
                         {"t_Txlvliq1", "t_Txlvgas1", "t_TxlgFill1", "t_rtlvliq1", "t_rtlvgas1",
                          "t_rtlgFill1"},
                         mlgColor, false);
                const std::size_t n = wholeRows(loop, 5);
                if (P < PcNaCl && n > 0) {
                    const double* last = &loop[5 * (n - 1)];
                    addLine(mRhoTViewp, "t_rtsat1", {{last[0], last[3]}, {last[0], last[4]}});
                }
            }
        }
        if (mShowHV) {
            std::vector<double> gas;
            renew(gas, 1000);
            mModel->calculateIsobaricHaliteGasCurve(gas, P, T1, T2);
            CGraphCurve* tx = curveFrom(mTxViewp, gas, 3, 0, 1, "t_Txhg");
            auto txFill = newArea("t_TxhgFill", mhgColor);
            txFill->addPoint(static_cast<float>(T2), 100);
            txFill->addPoint(static_cast<float>(T1), 100);
            txFill->addCurve(tx, false);
            mTxViewp->add(std::move(txFill));
            CGraphCurve* rt = curveFrom(mRhoTViewp, gas, 3, 0, 2, "t_rthg");
            auto rtFill = newArea("t_rthgFill", mhgColor);
            rtFill->addPoint(static_cast<float>(T2), static_cast<float>(rhoH));
            rtFill->addPoint(static_cast<float>(T1), static_cast<float>(rhoH));
            rtFill->addCurve(rt, false);
            mRhoTViewp->add(std::move(rtFill));
        }
        return;
    }

    if (mShowLG && twoCritical) {
        std::vector<double> loop;
        renew(loop, 1000);
        mModel->calculateIsobaricLiquidGas3(loop, P, cri[0], cri[_ncri]);
        drawLoop(mTxViewp, mRhoTViewp, loop, first, mlgColor, true);
    }
    if (mShowHLV && mShowHL) {
        std::vector<double> liquidus;
        renew(liquidus, 100);
        // Below the three-phase pressure halite meets vapour, not a liquid: under the curve's
        // pressure at its coolest the liquidus starts where the isobar crosses the curve near
        // halite's melting point, and under its pressure at every temperature there is none.
        const double Tfrom = crossings == 1 ? slv[0] : 101;
        mModel->calculateIsobaricHaliteLiquidCurve(liquidus, P, Tfrom, Tmelt);
        if (crossings == 1) endOnThreePhaseCurve(liquidus, slv.data(), true);
        const std::size_t n = wholeRows(liquidus, 3);
        if (n < 2) return;
        const CGraphCurve* haliq = curveFrom(mTxViewp, liquidus, 3, 0, 1, "t_haliq2");
        const bool fromBottom = crossings == 0 && liquidus[0] < 101.5;
        auto tx = newArea("t_TxhlFill0", mhlColor);
        auto rt = newArea("t_rthlFill4", mhlColor);
        if (fromBottom) {
            tx->addPoint(fT, static_cast<float>(mXminNaCl));
            tx->addPoint(fT, 100);
            tx->addPoint(static_cast<float>(Tmelt), 100);
            tx->addSubcurve(haliq);
            for (XY p : {XY{mTslv_min, 1168}, XY{mTslv_min, rhoH}, XY{Tmelt, rhoH},
                         XY{Tmelt, mRltNaCl}})
                rt->addPoint(static_cast<float>(p.x), static_cast<float>(p.y));
            if (const CGraphCurve* c = curveNamed(mRhoTViewp, "rtslv")) rt->addSubcurve(c);
        } else {
            const double T0 = liquidus[0], rho0 = liquidus[2];
            tx->addCurve(haliq, false);
            tx->addPoint(static_cast<float>(Tmelt), 100);
            tx->addPoint(static_cast<float>(T0), 100);
            for (XY p : {XY{T0, rhoH}, XY{Tmelt, rhoH}, XY{Tmelt, mRltNaCl}, XY{T0, rho0}})
                rt->addPoint(static_cast<float>(p.x), static_cast<float>(p.y));
        }
        mTxViewp->add(std::move(tx));
        mRhoTViewp->add(std::move(rt));
        addLine(mRhoTViewp, "t_rthl1", {{Tmelt, rhoH}, {Tmelt, mRltNaCl}});
    }
}

// ----- Isopleths of the current salinity -----------------------------------------------------

void MyDocument::showIsopleths() {
    const double Xm = mXm, x = 0.01 * Xm;
    double Tc = -1, Pc = -1, rhoc = -1;
    const bool haveCritical = criticalPointOfSalinity(x, Tc, Pc, rhoc);
    const Color black = Color::black(), blue = Color::blue(), red = Color::red();

    std::unique_ptr<CGraphArea> ptFill;
    CGraphArea* rtFill = nullptr;
    // Vapour end of the isopleth on the three-phase curve: (Tv, Pv, rhov), zeros without one.
    double Tv = 0, Pv = 0, rhov = 0;
    {
        const std::vector<double> hit = search(slvProperties, _nslv, 2, Xm);
        if (!hit.empty()) {
            Tv = hit[0];
            Pv = hit[1];
            rhov = hit[5];
        }
    }
    // Without a critical temperature of this salinity the two branches have no end and no
    // start: they and their fields are left out.
    if (haveCritical) {
        plotMarks({{mPTViewp, "t_ptcritx", {Tc, Pc}},
                   {mTxViewp, "t_txcritx", {Tc, Xm}},
                   {mPxViewp, "t_pxcritx", {Xm, Pc}},
                   {mRhoXViewp, "t_rxcritx", {Xm, rhoc}},
                   {mRhoPViewp, "t_rpcritx", {Pc, rhoc}},
                   {mRhoTxViewp, "t_rtcritx", {Tc, rhoc}}},
                  8, blue, 1.0f, mPTViewp, mIsochoreViewp);

        renew(liquidIsopleth, 100);
        mModel->calculateLiquidIsopleth(liquidIsopleth, Xm, Tc, mTslv_min);
        CGraphCurve* ptLiq = curveFrom(mPTViewp, liquidIsopleth, 3, 0, 1, "t_isoplg0");
        ptLiq->setColor(black);
        mIsochoreViewp->addGraphObject(ptLiq->copy());
        CGraphCurve* rtLiq = curveFrom(mRhoTxViewp, liquidIsopleth, 3, 0, 2, "t_rtisoplg0");
        rtLiq->setColor(black);
        if (Xm < 99.99) {
            ptFill = newArea("t_ptlgFil", mlgColor);
            ptFill->addCurve(ptLiq, false);
        }
        rtFill = mRhoTxViewp->add(newArea("t_rtlgFil", mlgColor));
        rtFill->addCurve(rtLiq, false);

        renew(gasIsopleth, 100);
        mModel->calculateGasIsopleth(gasIsopleth, Xm, Tc, Tv, Pv, rhov);
        CGraphCurve* ptGas = curveFrom(mPTViewp, gasIsopleth, 3, 0, 1, "t_isoplg1");
        ptGas->setColor(black);
        mIsochoreViewp->addGraphObject(ptGas->copy());
        if (ptFill) {
            ptFill->addCurve(ptGas, false);
            // Closed along the halite + liquid + vapour curve where it is shown.
            if (const CGraphCurve* slv = curveNamed(mPTViewp, "ptslv")) ptFill->addSubcurve(slv);
            mIsochoreViewp->addGraphObject(ptFill->copy());
            mPTViewp->add(std::move(ptFill));
        }

        std::unique_ptr<CGraphCurve> rtGas;
        const char* borrowed = Xm > 99.9 ? "rtnacl_vap" : Xm < 0.01 ? "rtsatsteam" : nullptr;
        if (borrowed) {
            if (const CGraphCurve* base = curveNamed(mRhoTxViewp, borrowed))
                rtGas.reset(static_cast<CGraphCurve*>(base->copy().release()));
        } else {
            CGraphCurve* c = curveFrom(mRhoTxViewp, gasIsopleth, 3, 0, 2, "t_rtisoplg1");
            c->setColor(black);
            rtFill->addCurve(c, false);
        }
        if (rtGas) {
            rtGas->setName("t_rtisoplg1");
            rtGas->setColor(black);
            rtFill->addCurve(rtGas.get(), Xm >= 99.9);
        }

        // Stretches of the dew curve parted from the one above by temperatures without a dew
        // point are curves of their own: one line across the gap would join no states of x.
        gasIsoplethAbove.clear();
        auto highest = [](const std::vector<double>& rows) {
            double T = -INFINITY;
            for (std::size_t i = 0; i + 2 < rows.size(); i += 3) T = std::max(T, rows[i]);
            return T;
        };
        for (double from = highest(gasIsopleth); gasIsoplethAbove.size() < 4;) {
            std::vector<double> next;
            mModel->calculateGasIsoplethAbove(next, Xm, from);
            if (mModel->failed || next.empty()) break;
            const std::string k = std::to_string(gasIsoplethAbove.size() + 1);
            CGraphCurve* pt = curveFrom(mPTViewp, next, 3, 0, 1, ("t_isoplg1_" + k).c_str());
            pt->setColor(black);
            mIsochoreViewp->addGraphObject(pt->copy());
            if (!borrowed)
                curveFrom(mRhoTxViewp, next, 3, 0, 2, ("t_rtisoplg1_" + k).c_str())
                    ->setColor(black);
            from = highest(next);
            gasIsoplethAbove.push_back(std::move(next));
        }
    }

    // Liquid end of the isopleth on the three-phase curve.
    double Tl = 0, rhol = 0;
    {
        const std::vector<double> hit = search(slvProperties, _nslv, 3, Xm);
        if (!hit.empty()) {
            Tl = hit[0];
            rhol = hit[4];
        }
    }
    auto Elv = std::make_unique<CGraphCurve>(), Ehv = std::make_unique<CGraphCurve>(),
         Ehl = std::make_unique<CGraphCurve>();
    auto put = [](CGraphCurve& c, double T, double rho) {
        c.addPoint(static_cast<float>(T), static_cast<float>(rho), false);
    };
    auto inUnit = [](double f) { return f >= 0 && f <= 1; };  // NaN fails
    if (Tl > 0) put(*Elv, Tl, rhol);
    const std::size_t rows = wholeRows(slvProperties, _nslv);
    for (std::size_t i = 0; i < rows; ++i) {
        const double* r = &slvProperties[_nslv * i];
        const double T = r[0], wv = r[2], wl = r[3], dl = r[4], dv = r[5];
        const double f = (Xm - wv) / (wl - wv), g = (Xm - 100) / (wv - 100),
                     h = (Xm - 100) / (wl - 100);
        if (inUnit(f)) put(*Elv, T, 1 / (f / dl + (1 - f) / dv));
        if (inUnit(g)) put(*Ehv, T, 1 / (g / dv + (1 - g) / mRhoHalite));
        if (inUnit(h)) put(*Ehl, T, 1 / (h / dl + (1 - h) / mRhoHalite));
    }
    if (Tv > 0) {
        put(*Elv, Tv, rhov);
        put(*Elv, mTtNaCl, mRgtNaCl);
        put(*Ehv, mTtNaCl, mRgtNaCl);
        put(*Ehv, mTslv_min, mRgtNaCl);
    }
    Elv->setName("t_rtslv_lg");
    Elv->setColor(red);
    Ehv->setName("t_rtslv_hg");
    Ehv->setColor(blue);
    CGraphCurve* lv = mRhoTxViewp->add(std::move(Elv));
    CGraphCurve* hv = mRhoTxViewp->add(std::move(Ehv));
    CGraphCurve* hl = nullptr;
    if (Ehl->pointCount() > 0) {
        Ehl->setName("t_rtslv_hl");
        Ehl->setColor(blue);
        hl = mRhoTxViewp->add(std::move(Ehl));
    }
    if (rtFill) rtFill->addCurve(lv, true);

    auto fill2 = newArea("t_rtfill2", mhgColor);
    fill2->addCurve(hv, false);
    mRhoTxViewp->add(std::move(fill2));
    if (rows > 0) {
        const float T0 = static_cast<float>(slvProperties[0]);
        const float dl0 = static_cast<float>(slvProperties[4]);
        const float dv0 = static_cast<float>(slvProperties[5]);
        auto fill3 = newArea("t_rtfill3", mhlgColor);
        fill3->addPoint(T0, dv0);
        fill3->addPoint(T0, dl0);
        if (hl) {
            fill3->addCurve(hl, false);
            fill3->addPoint(static_cast<float>(Tl), static_cast<float>(rhol));
        }
        fill3->addCurve(lv, false);
        fill3->addCurve(hv, true);
        fill3->addPoint(T0, dv0);
        mRhoTxViewp->add(std::move(fill3));
    }
    if (hl) {
        CGraphCurve* line = curveFrom(mRhoTxViewp, haliteLiquidIsopleth, _nhlp, 0, 2, "t_rthlline");
        auto fill4 = newArea("t_rtfill4", mhlColor);
        fill4->addCurve(hl, false);
        fill4->addPoint(static_cast<float>(Tl), static_cast<float>(rhol));
        fill4->addCurve(line, false);
        fill4->addPoint(static_cast<float>(mTslv_min), static_cast<float>(mRhoHalite));
        mRhoTxViewp->add(std::move(fill4));
    }
}

}  // namespace vornex
