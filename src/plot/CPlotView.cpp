#include "plot/CPlotView.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "platform/PlatformLog.h"
#include "plot/CAxisRangeWindow.h"
#include "plot/CCurveSettingsWindow.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"
#include "plot/CPointSettingsWindow.h"
#include "plot/ViewClip.h"

namespace vornex {

namespace {

// The bound rounded outwards to a whole multiple of the step: trunc(v) div trunc(step) ∓ 1
// steps. A step below 1 in magnitude, or values beyond integers, leave the bound as given.
float roundedOut(float v, float step, int side) {
    const double limit = 9.0e15;
    if (!std::isfinite(v) || !std::isfinite(step) || std::fabs(v) > limit ||
        std::fabs(step) > limit)
        return v;
    auto whole = static_cast<long long>(std::trunc(step));
    if (whole == 0) return v;
    auto quotient = static_cast<long long>(std::trunc(v)) / whole;
    return static_cast<float>(static_cast<double>(quotient + side) * step);
}

}  // namespace

CPlotView::CPlotView(Rect frame, const UserDefaults* defaults)
    : mFrame(frame), mDefaults(defaults), mCenter(&NotificationCenter::defaultCenter()) {
    mObjects.reserve(10);
    mLabelsAttributes = TextAttributes(Font::systemFont());
    mTicksAttributes = TextAttributes(Font::labelFont());
    mLegendsAttributes = TextAttributes(Font::labelFont());
    mXLabelText = AttributedString("Undefined", mLabelsAttributes);
    mYLabelText = AttributedString("Undefined", mLabelsAttributes);
    mLegendBox = std::make_unique<CGraphLegend>();
    mLegendBox->setPlotView(this);
    mLegendBox->setHidden(true);
    const UserDefaults& prefs = defaults ? *defaults : UserDefaults::standard();
    mBackColor = prefs.colorValue(defaults::backColorMarginArea, Color::deviceRGB(1, 1, 0.7));
    mForeColor = prefs.colorValue(defaults::backColorPlotArea, Color::deviceRGB(0.6, 1, 1));
    buildMenus();
    calculateCoefficients();
}

CPlotView::~CPlotView() {
    if (mUndoManager) mUndoManager->removeAllActions(this);
    // The shared panels hold the plot without owning it.
    CAxisRangeWindow::sharedAxisRangeWindowCtroller().forgetPlotView(this);
    CCurveSettingsWindow::sharedCurvesSettingsCtroller().forgetPlotView(this);
    CPointSettingsWindow::sharedPointsSettingsCtroller().forgetPlotView(this);
}

void CPlotView::setUndoManager(UndoManager* manager) {
    if (mUndoManager && mUndoManager != manager) mUndoManager->removeAllActions(this);
    mUndoManager = manager;
}

void CPlotView::setNotificationCenter(NotificationCenter* center) {
    mCenter = center ? center : &NotificationCenter::defaultCenter();
}

void CPlotView::setNeedsDisplay(bool needed) {
    mNeedsDisplay = needed;
    if (needed && mDisplayRequest) mDisplayRequest();
}

void CPlotView::postAxisPlotChanged() {
    mCenter->post(notifications::axisPlotChanged, this);
}

void CPlotView::registerUndo(const std::string& actionName, std::function<void()> action) {
    if (!mUndoManager) return;
    mUndoManager->registerUndo(this, std::move(action));
    mUndoManager->setActionName(actionName);
}

// ----- Ranges -----------------------------------------------------------------------------

void CPlotView::setDefaultXYRange(float minX, float maxX, float minY, float maxY) {
    mMinX = minX;
    mMaxX = maxX;
    mMinY = minY;
    mMaxY = maxY;
    // The current ranges go with them, as any change of those does: a range panel on screen
    // shows them, so that its OK does not put back the ranges before.
    setXYRange(minX, maxX, minY, maxY);
}

void CPlotView::setMaxXYRange(float minX, float maxX, float minY, float maxY) {
    mMaxMinX = minX;
    mMaxMaxX = maxX;
    mMaxMinY = minY;
    mMaxMaxY = maxY;
}

void CPlotView::setXYRange(float minX, float maxX, float minY, float maxY) {
    mCurMinX = minX;
    mCurMaxX = maxX;
    mCurMinY = minY;
    mCurMaxY = maxY;
    PlotServices& services = PlotServices::shared();
    if (services.isAxisRangePanelVisible()) services.updateAxisRangePanel();
    postAxisPlotChanged();
}

void CPlotView::getXYRange(float& minX, float& maxX, float& minY, float& maxY) const {
    minX = mCurMinX;
    maxX = mCurMaxX;
    minY = mCurMinY;
    maxY = mCurMaxY;
}

void CPlotView::getDefaultXYRange(float& minX, float& maxX, float& minY, float& maxY) const {
    minX = mMinX;
    maxX = mMaxX;
    minY = mMinY;
    maxY = mMaxY;
}

void CPlotView::getMaxXYRange(float& minX, float& maxX, float& minY, float& maxY) const {
    minX = mMaxMinX;
    maxX = mMaxMaxX;
    minY = mMaxMinY;
    maxY = mMaxMaxY;
}

void CPlotView::getSameXYRange(const CPlotView& other) {
    setDefaultXYRange(other.mCurrentMinX(), other.mCurrentMaxX(), other.mCurrentMinY(),
                      other.mCurrentMaxY());
}

void CPlotView::adjustXYRange(float minX, float maxX, float minY, float maxY, float xStep,
                              float /*yStep*/) {
    if (mMinX > minX) mMinX = roundedOut(minX, xStep, -1);
    if (maxX > mMaxX) mMaxX = roundedOut(maxX, xStep, +1);
    if (mMinY > minY) mMinY = minY;
    if (maxY > mMaxY) mMaxY = maxY;
    setDefaultXYRange(mMinX, mMaxX, mMinY, mMaxY);
}

void CPlotView::doChangeAxisRanges(float minX, float maxX, float minY, float maxY) {
    // Narrower than the values resolve, a zoom would show the same few points ever larger.
    PlotAxis::widenToResolvable(minX, maxX, mMaxMinX, mMaxMaxX);
    PlotAxis::widenToResolvable(minY, maxY, mMaxMinY, mMaxMaxY);
    const float oldMinX = mCurMinX, oldMaxX = mCurMaxX, oldMinY = mCurMinY, oldMaxY = mCurMaxY;
    registerUndo("Changes Of Axis Ranges", [this, oldMinX, oldMaxX, oldMinY, oldMaxY] {
        doChangeAxisRanges(oldMinX, oldMaxX, oldMinY, oldMaxY);
    });
    mCurMinX = minX;
    mCurMaxX = maxX;
    mCurMinY = minY;
    mCurMaxY = maxY;
    mTrackingRect = Rect();
    PlotServices& services = PlotServices::shared();
    if (services.isAxisRangePanelVisible()) services.updateAxisRangePanel();
    if (mHost) mHost->setEnabledZoomingControls(false);
    postAxisPlotChanged();
    setNeedsDisplay(true);
}

void CPlotView::onMaximumAxisRanges() {
    doChangeAxisRanges(mMaxMinX, mMaxMaxX, mMaxMinY, mMaxMaxY);
}

void CPlotView::onAxisRangesByDefault() {
    doChangeAxisRanges(mMinX, mMaxX, mMinY, mMaxY);
}

// ----- Axes and transform -----------------------------------------------------------------

void CPlotView::onToggleShowLogX() {
    mShowLogX = !mShowLogX;
    postAxisPlotChanged();
    setNeedsDisplay(true);
}

void CPlotView::onToggleShowLogY() {
    mShowLogY = !mShowLogY;
    postAxisPlotChanged();
    setNeedsDisplay(true);
}

void CPlotView::setLabels(const std::string& x, const std::string& y) {
    mXLabelText = AttributedString(x, mLabelsAttributes);
    mYLabelText = AttributedString(y, mLabelsAttributes);
}

Rect CPlotView::getPlotRect() const {
    Rect b = bounds();
    return Rect(b.x() + mMarginLeft, b.y() + mMarginBottom, b.width() - mMarginLeft - mMarginRight,
                b.height() - mMarginBottom - mMarginTop);
}

PlotAxis CPlotView::makeXAxis() const {
    return PlotAxis(mCurMinX, mCurMaxX, mShowLogX, mNbXTicksValue, mXTicksDigitsValue);
}

PlotAxis CPlotView::makeYAxis() const {
    return PlotAxis(mCurMinY, mCurMaxY, mShowLogY, mNbYTicksValue, mYTicksDigitsValue);
}

void CPlotView::calculateCoefficients() {
    Rect r = getPlotRect();
    mXAxis = makeXAxis();
    mYAxis = makeYAxis();
    mXAxis.fit(static_cast<float>(r.x()), static_cast<float>(r.width()));
    mYAxis.fit(static_cast<float>(r.y()), static_cast<float>(r.height()));
}

Rect CPlotView::drawingRegion() const {
    return vornex::drawingRegion(getPlotRect());
}

float CPlotView::getXValue(float x) const {
    return mXAxis.toView(x);
}
float CPlotView::getYValue(float y) const {
    return mYAxis.toView(y);
}
float CPlotView::getXFromPixelValue(float v) const {
    return mXAxis.fromView(v);
}
float CPlotView::getYFromPixelValue(float v) const {
    return mYAxis.fromView(v);
}

TextAttributes CPlotView::setTextAttributes(const std::string& fontName, int size, bool bold,
                                            bool italic) {
    std::string name = fontName;
    if (bold)
        name += italic ? "-BoldOblique" : "-Bold";
    else if (italic)
        name += "-Oblique";
    return TextAttributes(Font::named(name, static_cast<double>(size)));
}

// ----- Object list ------------------------------------------------------------------------

CGraphObject* CPlotView::addGraphObject(std::unique_ptr<CGraphObject> object) {
    if (!object) return nullptr;
    object->setPlotView(this);
    mObjects.push_back(std::move(object));
    return mObjects.back().get();
}

CGraphCurve* CPlotView::plotFromArray(const std::vector<double>& values, int stride, int xColumn,
                                      int yColumn) {
    return plotFromArray(values, stride, xColumn, yColumn, 1.0, 0.0, 1.0, 0.0);
}

CGraphCurve* CPlotView::plotFromArray(const std::vector<double>& values, int stride, int xColumn,
                                      int yColumn, double xScale, double xOffset, double yScale,
                                      double yOffset) {
    auto curve = std::make_unique<CGraphCurve>();
    if (stride < 1 || xColumn < 0 || yColumn < 0 || xColumn >= stride || yColumn >= stride) {
        logMessage("plotFromArray: columns " + std::to_string(xColumn) + " and " +
                   std::to_string(yColumn) + " do not fit rows of " + std::to_string(stride) +
                   " values; the curve is left empty");
    } else {
        const size_t rows = values.size() / static_cast<size_t>(stride);
        for (size_t i = 0; i < rows; ++i) {
            const size_t row = i * static_cast<size_t>(stride);
            // Values are read in single precision first; the scaling acts on those.
            double x = static_cast<float>(values[row + static_cast<size_t>(xColumn)]);
            double y = static_cast<float>(values[row + static_cast<size_t>(yColumn)]);
            curve->addPoint(static_cast<float>(x * xScale + xOffset),
                            static_cast<float>(y * yScale + yOffset), false);
        }
    }
    return add(std::move(curve));
}

CGraphPoint* CPlotView::plotPoint(double x, double y, int marker, const Color& color) {
    auto point = std::make_unique<CGraphPoint>();
    point->setPoint(static_cast<float>(x), static_cast<float>(y));
    point->setSelector(marker);
    point->setColor(color);
    return add(std::move(point));
}

void CPlotView::setGraphObjects(const std::vector<std::unique_ptr<CGraphObject>>& objects) {
    // Copied before the purge: the list given may be this view's own.
    std::vector<std::unique_ptr<CGraphObject>> copies;
    copies.reserve(objects.size());
    for (const auto& object : objects) copies.push_back(object->copy());
    purge();
    for (auto& copy : copies) addGraphObject(std::move(copy));
}

CGraphObject* CPlotView::getGraphObjectWithName(const std::string& name) const {
    for (const auto& object : mObjects)
        if (object->name() == name) return object.get();
    return nullptr;
}

bool CPlotView::containsGraphObject(const CGraphObject* object) const {
    return std::any_of(mObjects.begin(), mObjects.end(),
                       [object](const auto& o) { return o.get() == object; });
}

CGraphObject* CPlotView::liveObject(const CGraphObject* object, std::uint64_t serial) const {
    if (!object) return nullptr;
    if (object == mLegendBox.get() && mLegendBox->serial() == serial) return mLegendBox.get();
    for (const auto& o : mObjects)
        if (o.get() == object && o->serial() == serial) return o.get();
    return nullptr;
}

void CPlotView::removeObjectsWhere(const std::function<bool(const CGraphObject&)>& match) {
    // Gather first, so that the list is not changed while it is walked.
    std::vector<std::unique_ptr<CGraphObject>> removed;
    for (auto& object : mObjects)
        if (match(*object)) removed.push_back(std::move(object));
    std::erase(mObjects, nullptr);
    for (auto& object : removed) {
        mLegendBox->removeReferenceObject(object.get());
        if (mSelectedObject == object.get()) mSelectedObject = nullptr;
        // The status names an object and where it was clicked; once the object goes (other
        // than by the answer to that click, which draws it anew) it describes nothing shown.
        if (!mPostingSelection && !mStatusObjectName.empty() &&
            object->name() == mStatusObjectName) {
            mStatusObjectName.clear();
            setStatus("");
        }
        if (mPendingSelection == object.get()) mPendingSelection = nullptr;
        if (mPressPreviousObject == object.get()) mPressPreviousObject = nullptr;
        object->setPlotView(nullptr);
    }
}

void CPlotView::removeGraphObjectWithKindOfName(const std::string& prefix) {
    removeObjectsWhere([&prefix](const CGraphObject& o) {
        return !o.name().empty() && o.name().starts_with(prefix);
    });
}

void CPlotView::removeGraphObjectWithName(const std::string& name) {
    if (CGraphObject* first = getGraphObjectWithName(name))
        removeObjectsWhere([first](const CGraphObject& o) { return &o == first; });
    mSelectedObject = nullptr;
}

void CPlotView::removeGraphObject(const CGraphObject* object) {
    removeObjectsWhere([object](const CGraphObject& o) { return &o == object; });
    mSelectedObject = nullptr;
}

void CPlotView::purge() {
    removeObjectsWhere([](const CGraphObject&) { return true; });
    mLegendBox->purge();
    mSelectedObject = nullptr;
}

void CPlotView::purgeCurves() {
    removeObjectsWhere([](const CGraphObject& o) { return typeid(o) == typeid(CGraphCurve); });
}

void CPlotView::purgePointCurves() {
    removeObjectsWhere([](const CGraphObject& o) {
        return typeid(o) == typeid(CGraphPointCurve) && !o.referenceObject();
    });
}

void CPlotView::purgeReferenceObjects() {
    removeObjectsWhere([](const CGraphObject& o) { return o.referenceObject() != nullptr; });
}

// ----- Legend -----------------------------------------------------------------------------

void CPlotView::setMLegend(const CGraphLegend& legend) {
    // Read before the old legend goes: the legend given may be this view's own.
    const bool hidden = legend.isHidden();
    std::unique_ptr<CGraphObject> copy = legend.copy();
    mLegendBox.reset(static_cast<CGraphLegend*>(copy.release()));
    mLegendBox->setPlotView(this);
    mLegendBox->setHidden(hidden);
    // Only objects of this view may be listed: the removals keep the legend in step with
    // this view's list alone, and another view's objects die with that view.
    std::vector<CGraphObject*> listed;
    for (CGraphObject* object : mLegendBox->mRefObjectList())
        if (containsGraphObject(object)) listed.push_back(object);
    mLegendBox->setMRefObjectList(std::move(listed));
    if (mSelectedObject && !containsGraphObject(mSelectedObject)) mSelectedObject = nullptr;
}

void CPlotView::setLegendPosition(float x, float y) {
    mLegendBox->setHidden(false);
    mLegendBox->setPosition(x, y);
}

void CPlotView::doChangeLegendPosition(float x, float y, float dx, float dy) {
    float oldX = 0, oldY = 0;
    mLegendBox->getPosition(oldX, oldY);
    // The inverse subtracts the same offsets, so it is handed the old position plus them.
    registerUndo("Move Of Legend", [this, oldX, oldY, dx, dy] {
        doChangeLegendPosition(oldX + dx, oldY + dy, dx, dy);
    });
    mLegendBox->setPosition(x - dx, y - dy);
    setNeedsDisplay(true);
}

// ----- Highlight and selection ------------------------------------------------------------

void CPlotView::hilite(CGraphObject* object) {
    for (auto& o : mObjects) o->setHilited(o.get() == object);
    setNeedsDisplay(true);
}

void CPlotView::hilite1(CGraphObject* object) {
    if (object) object->setHilited(true);
}

void CPlotView::setSelectedPoint(float x, float y) {
    mSelectedPointX = x;
    mSelectedPointY = y;
    setNeedsDisplay(true);
}

void CPlotView::getSelectedPoint(float& x, float& y) const {
    x = mSelectedPointX;
    y = mSelectedPointY;
}

void CPlotView::getSelection(float& x, float& y, CGraphObject*& object) const {
    getSelectedPoint(x, y);
    object = mSelectedObject;
}

void CPlotView::adjustSelectionPoint(const CGraphPoint& point) {
    setSelectedPoint(point.getX(), point.getY());
}

void CPlotView::showSelectionPoint(bool show) {
    mIsSelectingPointVisible = show;
    setNeedsDisplay(true);
}

}  // namespace vornex
