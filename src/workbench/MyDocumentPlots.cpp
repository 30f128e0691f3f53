// What the document draws and how it answers its plots: the base curves, the plot ranges kept
// in the selected case and the range presets, clicks in the plots, the tabs, the curve
// toggles and the menu.
#include <cmath>
#include <memory>
#include <vector>

#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CLogWindow.h"
#include "workbench/MyDocument.h"

namespace vornex {

namespace {

// One curve of a base-curve table: plot, x and y column, dash, name, copied onto the
// isochore plot.
struct CurveRow {
    CPlotView* plot;
    int x, y, dash;
    const char* name;
    bool copied;
};
struct PointRow {
    CPlotView* plot;
    double x, y;
};

}  // namespace

// ----- Base curves ------------------------------------------------------------------------

namespace {

void drawCurves(const std::vector<double>& array, int stride, const std::vector<CurveRow>& rows,
                const std::optional<Color>& color, CPlotView* isochore, double xOffset = 0.0) {
    for (const CurveRow& r : rows) {
        CGraphCurve* c =
            r.plot->plotFromArray(array, stride, r.x, r.y, 1.0, r.x == 3 ? xOffset : 0.0, 1.0, 0.0);
        if (color) c->setColor(*color);
        if (r.dash) c->setLineDash(r.dash);
        if (r.name) c->setName(r.name);
        if (r.copied) isochore->addGraphObject(c->copy());
    }
}

void drawPoints(const std::vector<PointRow>& points, int marker, const Color& color) {
    for (const PointRow& p : points) p.plot->plotPoint(p.x, p.y, marker, color);
}

}  // namespace

void MyDocument::showWaterSaturationCurve() {
    // Column 3 is the temperature in K.
    drawCurves(satProperties, _nsat,
               {{mPTViewp, 3, 0, 0, nullptr, true},
                {mRhoTViewp, 3, 25, 0, nullptr, false},
                {mRhoTViewp, 3, 26, 0, "rtsatsteam", false},
                {mRhoTxViewp, 3, 25, 0, nullptr, false},
                {mRhoTxViewp, 3, 26, 0, "rtsatsteam", false},
                {mRhoPViewp, 0, 25, 0, nullptr, false},
                {mRhoPViewp, 0, 26, 0, nullptr, false}},
               std::nullopt, mIsochoreViewp, -273.15);
    const Color black = Color::black();
    mIsochoreViewp->addGraphObject(mPTViewp->plotPoint(mTcH2O, mPcH2O, 2, black)->copy());
    drawPoints({{mRhoTViewp, mTcH2O, mRhoH2O},
                {mRhoTxViewp, mTcH2O, mRhoH2O},
                {mRhoPViewp, mPcH2O, mRhoH2O},
                {mRhoXViewp, 0, mRhoH2O},
                {mVxViewp, 0, 1000 / mRhoH2O}},
               2, black);
}

void MyDocument::showSLVCurve() {
    drawCurves(slvProperties, _nslv,
               {{mPTViewp, 0, 1, 0, "ptslv", true},
                {mTxViewp, 0, 3, 0, "txslv", false},
                {mTxViewp, 0, 2, 0, nullptr, false},
                {mPxViewp, 3, 1, 0, nullptr, false},
                {mPxViewp, 2, 1, 2, nullptr, false},
                {mRhoTViewp, 0, 4, 0, "rtslv", false},
                {mRhoTViewp, 0, 5, 2, nullptr, false},
                {mRhoTxViewp, 0, 4, 0, "rtslv", false},
                {mRhoTxViewp, 0, 5, 2, nullptr, false},
                {mRhoPViewp, 1, 4, 0, nullptr, false},
                {mRhoPViewp, 1, 5, 2, nullptr, false},
                {mRhoXViewp, 3, 4, 0, nullptr, false},
                {mRhoXViewp, 2, 5, 2, nullptr, false},
                {mVxViewp, 3, 6, 0, nullptr, false},
                {mVxViewp, 2, 7, 2, nullptr, false}},
               Color::red(), mIsochoreViewp);
    drawPoints({{mTxViewp, mTtNaCl, 100},
                {mPxViewp, 100, mPtNaCl},
                {mPTViewp, mTtNaCl, mPtNaCl},
                {mIsochoreViewp, mTtNaCl, mPtNaCl},
                {mRhoTViewp, mTtNaCl, mRltNaCl},
                {mRhoTViewp, mTtNaCl, mRgtNaCl},
                {mRhoTxViewp, mTtNaCl, mRltNaCl},
                {mRhoTxViewp, mTtNaCl, mRgtNaCl},
                {mRhoPViewp, mPtNaCl, mRltNaCl},
                {mRhoPViewp, mPtNaCl, mRgtNaCl},
                {mRhoXViewp, 100, mRltNaCl},
                {mRhoXViewp, 100, mRgtNaCl},
                {mRhoXViewp, 100, mRhoHalite}},
               3, Color::red());
}

void MyDocument::showNaClSatCurve() {
    drawCurves(nacProperties, _nnac,
               {{mPTViewp, 0, 1, 0, nullptr, true},
                {mRhoTViewp, 0, 2, 0, nullptr, false},
                {mRhoTViewp, 0, 3, 0, "rtnacl_vap", false},
                {mRhoTxViewp, 0, 2, 0, nullptr, false},
                {mRhoTxViewp, 0, 3, 0, "rtnacl_vap", false},
                {mRhoPViewp, 1, 2, 0, nullptr, false},
                {mRhoPViewp, 1, 3, 0, nullptr, false}},
               Color::blue(), mIsochoreViewp);
    const Color blue = Color::blue();
    mIsochoreViewp->addGraphObject(mPTViewp->plotPoint(mTcNaCl, mPcNaCl, 2, blue)->copy());
    std::vector<PointRow> points = {{mRhoTViewp, mTcNaCl, mRcNaCl},
                                    {mRhoTxViewp, mTcNaCl, mRcNaCl},
                                    {mRhoPViewp, mPcNaCl, mRcNaCl},
                                    {mRhoXViewp, 100, mRcNaCl}};
    // Without a critical density there is no specific volume to mark.
    if (mRcNaCl > 0) points.push_back({mVxViewp, 100, 1000 / mRcNaCl});
    drawPoints(points, 2, blue);
}

void MyDocument::showCriticalCurve() {
    drawCurves(criProperties, _ncri,
               {{mPTViewp, 0, 1, 1, nullptr, true},
                {mTxViewp, 0, 2, 1, nullptr, false},
                {mPxViewp, 2, 1, 1, nullptr, false},
                {mRhoTViewp, 0, 3, 1, nullptr, false},
                {mRhoTxViewp, 0, 3, 1, nullptr, false},
                {mRhoPViewp, 1, 3, 1, nullptr, false},
                {mRhoXViewp, 2, 3, 1, nullptr, false},
                {mVxViewp, 2, 4, 1, nullptr, false}},
               Color::black(), mIsochoreViewp);
    drawPoints({{mTxViewp, mTcNaCl, 100},
                {mTxViewp, mTcH2O, 0},
                {mPxViewp, 0, mPcH2O},
                {mPxViewp, 100, mPcNaCl}},
               2, Color::black());
}

// ----- Ranges -----------------------------------------------------------------------------

void MyDocument::onChangeAxis(const Notification& n) {
    PlistValue* c = selectedCase();
    if (!c) return;
    for (CPlotView* p : caseBoundPlots()) {
        if (p != n.object) continue;
        storeRangesOf(p, *c);
        // Only this document's case-bound plots change the document; an undone range
        // takes its change back.
        updateChangeCount(mUndoManager.isUndoing() ? ChangeKind::Undone : ChangeKind::Done);
        return;
    }
}

namespace {

void setRange(CPlotView* p, float minX, float maxX, float minY, float maxY) {
    p->setDefaultXYRange(minX, maxX, minY, maxY);
    p->setNeedsDisplay(true);
}

void copyPT(CPlotView* isochore, CPlotView* pt) {
    isochore->getSameXYRange(*pt);
    isochore->setNeedsDisplay(true);
}

}  // namespace

void MyDocument::onZoomRhoTx1() {
    setRange(mRhoTxViewp, 50, 800, 500, 1200.01f);
}
void MyDocument::onZoomRhoTx2() {
    setRange(mRhoTxViewp, 50, 1000, 0, 1600.01f);
}
void MyDocument::onZoomRhoTx3() {
    setRange(mRhoTxViewp, 50, 3200, 0, 2138.01f);
}

// A preset may set a log flag after the plot posted its range; the case then takes the flags
// the plots show.
void MyDocument::storeShownRanges(std::initializer_list<CPlotView*> plots) {
    if (PlistValue* c = selectedCase())
        for (CPlotView* p : plots) storeRangesOf(p, *c);
}

void MyDocument::onFocusToCriticalWater() {
    setRange(mPTViewp, 250, 400, 40, 250);
    copyPT(mIsochoreViewp, mPTViewp);
    setRange(mTxViewp, 250, 400, 0.0001f, 60);
    mTxViewp->setShowLogY(false);
    mPxViewp->setShowLogX(false);
    setRange(mPxViewp, 0, 60, 40, 250);
    storeShownRanges({mTxViewp, mPxViewp});
}

void MyDocument::onFocusToNaCl() {
    setRange(mPTViewp, 100, 3500, 0, 3000);
    copyPT(mIsochoreViewp, mPTViewp);
    mTxViewp->setShowLogY(false);
    setRange(mTxViewp, 100, 3500, 0.0001f, 101);
    mPxViewp->setShowLogX(false);
    setRange(mPxViewp, 0, 100, 0, 3000);
    setRange(mRhoTViewp, 100, 3500, -10, 2138.01f);
    setRange(mRhoTxViewp, 100, 3500, -10, 2138.01f);
    setRange(mRhoPViewp, 0, 3000, -1, 2138.01f);
    setRange(mRhoXViewp, 0, 100, -1, 2138.01f);
}

void MyDocument::onResetFocus() {
    mTxViewp->setShowLogY(false);
    setRange(mTxViewp, 100, 1000, 0.0001f, 100);
    setRange(mPTViewp, 100, 1000, 0, 500);
    copyPT(mIsochoreViewp, mPTViewp);
    setRange(mPxViewp, 0, 100, 0, 500);
    mPxViewp->setShowLogX(false);
    setRange(mRhoTViewp, 100, 1000, -10, 1600.01f);
    setRange(mRhoTxViewp, 100, 1000, -10, 1600.01f);
    setRange(mRhoPViewp, 0, 500, -10, 1600.01f);
    setRange(mRhoXViewp, 0, 100, -10, 1600.01f);
    storeShownRanges({mPxViewp});
}

void MyDocument::onFocusToV_HL() {
    setRange(mPTViewp, 100, 1200, 0, 500);
    copyPT(mIsochoreViewp, mPTViewp);
    mTxViewp->setShowLogY(true);
    setRange(mTxViewp, 100, 1200, 0.0001f, 100);
    mPxViewp->setShowLogX(true);
    setRange(mPxViewp, 0.0001f, 100, 0, 500);
}

// ----- Plot selection ---------------------------------------------------------------------

void MyDocument::onPlotSelection(const Notification& n) {
    CPlotView* plot = nullptr;
    for (CPlotView* p : caseBoundPlots())
        if (p && p == n.object) plot = p;
    if (!plot) return;
    moveStateToClick(plot);
    // The plot's mark shows the state, not the spot clicked: after a click that leaves the
    // state (one that selects a marker or a curve, or one the state cannot take) it goes back.
    markState(plot);
}

void MyDocument::moveStateToClick(const CPlotView* plot) {
    // A click that selects a curve or a marker does so to read, restyle or open it: only a
    // click beside them (on a field or an empty part of the plot) moves the state. A click
    // outside the plot rectangle (on its axes or labels) selects no point at all.
    if (plot->selectionIsClickable() || !plot->isSelectionPointVisible()) return;
    const double X = plot->selectedPointX(), Y = plot->selectedPointY();
    const bool shift = plot->selectionKeyShift();
    auto anyT = [](double t) { return std::isfinite(t); };
    auto pressure = [](double p) { return std::isfinite(p) && p > 0; };
    auto salinity = [](double x) { return std::isfinite(x) && x >= 0 && x <= 100; };
    // Per plot: the fields its x and y set, without and with shift (null: not used), and the
    // physical range of each coordinate.
    struct Route {
        CPlotView* plot;
        const char *x, *y, *shiftX, *shiftY;
        bool (*xOk)(double);
        bool (*yOk)(double);
    };
    const Route routes[] = {
        {mPTViewp, "mHaliteTm", "mHalitePm", "mT0", "mP0", anyT, pressure},
        {mIsochoreViewp, "mHaliteTm", "mHalitePm", "mT0", "mP0", anyT, pressure},
        {mTxViewp, "mHaliteTm", "mHaliteXm", "mT0", "mX0", anyT, salinity},
        {mPxViewp, "mHaliteXm", "mHalitePm", "mX0", "mP0", salinity, pressure},
        {mRhoTViewp, "mHaliteTm", nullptr, "mHaliteTm", nullptr, anyT, nullptr},
        {mRhoTxViewp, "mHaliteTm", nullptr, "mHaliteTm", nullptr, anyT, nullptr},
        {mRhoPViewp, "mHalitePm", nullptr, "mHalitePm", nullptr, pressure, nullptr},
        {mRhoXViewp, "mHaliteXm", nullptr, "mHaliteXm", nullptr, salinity, nullptr},
    };
    // With the density fixed only the temperature moves the state: a click takes its
    // temperature, where its plot has one, and nothing else (a shift-click sets the case's
    // initial point, which is no state, and stays as it is).
    for (const Route& r : routes) {
        if (r.plot != plot) continue;
        // A click off the physical range (no pressure, a salinity outside 0 ... 100 wt %)
        // would put a state the model refuses into the case and the file.
        if (!r.xOk(X) || (r.yOk && !r.yOk(Y))) return;
        const char* xField = shift ? r.shiftX : r.x;
        const char* yField = shift ? r.shiftY : r.y;
        if (densityFixed() && std::string(xField) == r.x) {
            const bool xIsT = std::string(r.x) == "mHaliteTm";
            const char* other = !xIsT ? r.x : r.y;
            auto named = [](const char* field) {
                return std::string_view(field) == "mHalitePm" ? "pressure" : "salinity";
            };
            if (!xIsT) {
                sayDensityFixed({"a click in this plot would change the ", named(r.x),
                                 r.y ? " and the " : "", r.y ? named(r.y) : "",
                                 ", so the state stays. Only the temperature changes it; untick "
                                 "Fixed density to move it here."});
                return;
            }
            clearRefusal();
            mForm.setDouble("mHaliteTm", X);
            updateControl(&mForm["mHaliteTm"]);
            if (other)
                sayDensityFixed(
                    mRefusedControl == "mHaliteTm"
                        ? std::initializer_list<std::string_view>{"nor is the click's ",
                                                                  named(other), " taken."}
                        : std::initializer_list<std::string_view>{
                              "the click takes only its temperature; ",
                              std::string_view(other) == "mHalitePm"
                                  ? "the pressure follows the density."
                                  : "the salinity stays."});
            onUpdateViews();
            return;
        }
        mForm.setDouble(xField, X);
        if (yField) mForm.setDouble(yField, Y);
        updateControl(&mForm[xField]);
        if (yField) updateControl(&mForm[yField]);
        onUpdateViews();
        return;
    }
    if (plot == mVxViewp) {
        if (mTm >= mTtNaCl || !salinity(X) || !(std::isfinite(Y) && Y > 0)) return;
        if (densityFixed()) {
            sayDensityFixed({"a click in the specific-volume plot would set the density, "
                             "salinity and pressure, so the state stays; untick Fixed density to "
                             "move it here."});
            return;
        }
        const double rho = 1000.0 / Y;
        double P = 0, mL = -1, mV = -1;
        mModel->getHaliteLiquidGasState(mTm, X, rho, P, mL, mV);
        const double mH = 1.0 - mL - mV;
        auto fraction = [](double f) { return f >= 0.0 && f <= 1.0; };  // NaN fails
        if (!fraction(mL) || !fraction(mV) || !fraction(mH) || !pressure(P)) return;
        mRm = rho;
        mXm = X;
        mPm = P;
        for (const char* f : {"mRm_edit", "mStepRm"}) mForm.setDouble(f, rho);
        for (const char* f : {"mHaliteXm", "mStepHaliteXm", "mStepHaliteXm1"})
            mForm.setDouble(f, X);
        for (const char* f : {"mHalitePm", "mStepHalitePm"}) mForm.setDouble(f, P);
        for (const char* f : {"mInclusionNaCl", "mStepInclusionNaCl"}) mForm.setDouble(f, X);
        // Without a case the state is still the one shown, and Add keeps it.
        if (PlistValue* c = selectedCase()) {
            c->set("Rm", rho);
            c->set("Xm", X);
            c->set("Pm", P);
            // The case changed: unsaved, like every other change of a case.
            updateChangeCount(ChangeKind::Done);
        }
        onUpdateViews();
    }
}

// ----- Tabs, toggles, menus ----------------------------------------------------------------

void MyDocument::markState(CPlotView* plot) {
    if (!plot) return;
    const struct {
        CPlotView* plot;
        double x, y;
    } marks[] = {{mPTViewp, mTm, mPm},   {mIsochoreViewp, mTm, mPm}, {mTxViewp, mTm, mXm},
                 {mPxViewp, mXm, mPm},   {mRhoTViewp, mTm, mRm},     {mRhoTxViewp, mTm, mRm},
                 {mRhoPViewp, mPm, mRm}, {mRhoXViewp, mXm, mRm},     {mVxViewp, mXm, 1000.0 / mRm}};
    for (const auto& m : marks) {
        if (m.plot != plot) continue;
        // No density, no specific-volume mark: the mark keeps its place.
        if (plot != mVxViewp || (mRm > 0 && std::isfinite(mRm))) {
            plot->setSelectedPointX(static_cast<float>(m.x));
            plot->setSelectedPointY(static_cast<float>(m.y));
        }
        plot->showSelectionPoint(true);
        return;
    }
}

void MyDocument::selectTabViewItemAtIndex(int index) {
    if (index < 0 || index >= static_cast<int>(mTabView.identifiers.size())) return;
    mTabView.selected = index;
    tabViewDidSelectTabViewItem();
}

void MyDocument::tabViewDidSelectTabViewItem() {
    if (!mWindowLoaded) return;
    const std::string& id = mTabView.selectedIdentifier();
    if (id == "ptx") {
        for (CPlotView* p : {mPTViewp, mPxViewp, mTxViewp}) markState(p);
    } else if (id == "rho") {
        for (CPlotView* p : {mRhoPViewp, mRhoXViewp, mRhoTViewp, mVxViewp}) markState(p);
    } else if (id == "halite") {
        onCalculateInclusionProperties();
        markState(mRhoTxViewp);
    } else if (id == "ice") {
        onCalculateIceSalinity();
    } else if (id == "isochore") {
        markState(mIsochoreViewp);
    } else if (id == "boiling") {
        onCalculateBoiling();
    }
}

void MyDocument::toggle(bool& flag) {
    flag = !flag;
    onRefreshViews();
    // The state is unchanged: its drawings come back at once, under the new flags, rather
    // than at the next edit.
    if (!mWindowLoaded) return;
    drawState();
    tabViewDidSelectTabViewItem();
}

void MyDocument::onShowLog() {
    CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
    if (!log.window().isVisible()) log.window().setContentSize(Size{700, 300});
    log.showWindow();
}

bool MyDocument::validateMenuItem(MenuItem& item) {
    const std::pair<const char*, bool> flags[] = {{"onToggleShowH2OSat:", mShowH2OSat},
                                                  {"onToggleShowNaClSat:", mShowNaClSat},
                                                  {"onToggleShowHLV:", mShowHLV},
                                                  {"onToggleShowHL:", mShowHL},
                                                  {"onToggleShowHV:", mShowHV},
                                                  {"onToggleShowLG:", mShowLG},
                                                  {"onToggleShowCritical:", mShowCritical},
                                                  {"onSelectPalliserModel:", mModelType == 0}};
    for (auto [action, on] : flags)
        if (item.actionName() == action)
            item.setState(on ? MenuItem::State::On : MenuItem::State::Off);
    return item.hasAction();
}

bool MyDocument::validateUserInterfaceItem(MenuItem& item) {
    const char* titles[] = {"P-T-X properties", "Density properties", "Halite", "Ice", "Isochore"};
    for (int i = 0; i < 5; ++i)
        if (item.title() == titles[i])
            item.setState(mTabView.selected == i ? MenuItem::State::On : MenuItem::State::Off);
    return true;
}

}  // namespace vornex
