// Mouse interaction of CPlotView: selecting objects and points, double clicks that open the
// settings panels, legend drags, zoom rectangles and zooming through them.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plot/CGraphCurve.h"
#include "numerics/Decimal.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"
#include "plot/CPlotView.h"

namespace vornex {

namespace {

template <class T>
bool isA(const CGraphObject* object) {
    return dynamic_cast<const T*>(object) != nullptr;
}

std::string formatValue(int digits, float value) {
    char buffer[64];
    vornex::csnprintf(buffer, sizeof buffer, "%.*f", std::max(0, std::min(digits, 30)),
                  static_cast<double>(value));
    return buffer;
}

bool finiteRange(float a, float b) {
    return std::isfinite(a) && std::isfinite(b) && a != b;
}

// v held within the maximum range whose ends are a and b: an axis that runs downward (depth,
// pressure from the top) has its larger end first.
float withinMaximumRange(float v, float a, float b) {
    return std::clamp(v, std::min(a, b), std::max(a, b));
}

// Objects that a click selects for themselves, with a settings panel of their own.
bool hasPanel(const CGraphObject* o) {
    return isA<CGraphCurve>(o) || isA<CGraphPoint>(o) || isA<CGraphPointCurve>(o) ||
           isA<CGraphStringPointCurve>(o);
}

}  // namespace

bool CPlotView::selectionIsClickable() const {
    return mSelectedObject && hasPanel(mSelectedObject);
}

void CPlotView::setStatus(const std::string& message) {
    mStatusObjectName.clear();
    if (mHost) mHost->setStatusMessage(message);
}

// "%@ = %.*f, %@ = %.*f", with "%@ : " and the object's name in front when it has one.
std::string CPlotView::selectionStatus(const std::string& objectName, int extraDigits) const {
    std::string status = objectName.empty() ? "" : objectName + " : ";
    status += mXLabelText.string() + " = " +
              formatValue(mXTicksDigitsValue + extraDigits, mSelectedPointX) + ", " +
              mYLabelText.string() + " = " +
              formatValue(mYTicksDigitsValue + extraDigits, mSelectedPointY);
    return status;
}

void CPlotView::notifyObjectSelection() {
    mPostingSelection = true;
    mCenter->post(notifications::plotSelection, this);
    mPostingSelection = false;
}

void CPlotView::updateColorPanel() {
    PlotServices& services = PlotServices::shared();
    if (mSelectedObject && mSelectedObject->color() && services.isColorPanelVisible())
        services.setColorPanelColor(*mSelectedObject->color());
}

void CPlotView::updateStatusMessage() {
    setStatus(selectionStatus("", 0));
}

bool CPlotView::testClickedGraphObject(const MouseEvent& event) {
    const Point p = event.location;
    const Rect b = bounds();
    if (p.x < mMarginLeft || p.x > b.width() - mMarginRight || p.y < mMarginBottom ||
        p.y > b.height() - mMarginTop) {
        mIsSelectingPointVisible = false;
        mSelectedObject = nullptr;
        return false;
    }
    mIsSelectingPointVisible = true;
    mSelectedPointX = getXFromPixelValue(static_cast<float>(p.x));
    mSelectedPointY = getYFromPixelValue(static_cast<float>(p.y));

    CGraphObject* old = mSelectedObject;
    bool hit = false;
    for (auto& object : mObjects) {
        if (!object->isHit(p)) continue;
        if (old) old->setHilited(false);
        mSelectedObject = object.get();
        hit = true;
    }
    if (hit) return true;
    if (mLegendBox->isHit(p)) {
        mIsSelectingPointVisible = false;
        mSelectedObject = mLegendBox.get();
        return true;
    }
    mSelectedObject = nullptr;
    return false;
}

void CPlotView::mouseDown(const MouseEvent& event, MouseEventSource& followUp) {
    mousePressed(event);
    while (isTrackingMouse()) {
        std::optional<MouseEvent> next = followUp.nextDragOrRelease();
        if (!next) {
            mouseTrackingCancelled();
            break;
        }
        if (next->type == MouseEvent::Type::Up)
            mouseReleased(*next);
        else
            mouseDragged(*next);
    }
}

void CPlotView::mousePressed(const MouseEvent& event) {
    if (event.button != MouseButton::Left || event.type != MouseEvent::Type::Down) return;
    if (isTrackingMouse()) mouseTrackingCancelled();
    mPressSelectionX = mSelectedPointX;
    mPressSelectionY = mSelectedPointY;
    mPressSelectionVisible = mIsSelectingPointVisible;
    mPendingSelection = nullptr;
    mPressPreviousObject = mSelectedObject;
    mPressPreviousHilited = mSelectedObject && mSelectedObject->isHilited();
    testClickedGraphObject(event);
    mSelectionKeyShift = event.shift();
    mSelectionKeyControl = event.control();
    mSelectionKeyOption = event.option();

    CGraphObject* selected = mSelectedObject;
    if (event.clickCount > 1 && (!selected || !hasPanel(selected)) && !mLastClickedName.empty()) {
        // Between the two clicks of the pair the document may have drawn the object hit by the
        // first anew (maybe elsewhere): the double click opens the settings of the one now drawn.
        if (CGraphObject* again = getGraphObjectWithName(mLastClickedName);
            again && hasPanel(again)) {
            mSelectedObject = selected = again;
        }
    }
    mLastClickedName = selected && event.clickCount == 1 && hasPanel(selected) ? selected->name()
                                                                              : std::string();
    if (!selected) {
        hilite(nullptr);
    } else if (event.clickCount > 1 && hasPanel(selected)) {
        restorePressSelectionPoint();
        if (isA<CGraphCurve>(selected))
            onCurvesSettingsPanel();
        else
            onPointsSettingsPanel();
        setNeedsDisplay(true);
        return;
    } else if (hasPanel(selected)) {
        // Selected when the press ends where it began; a press that moves on zooms, wherever
        // it started.
        mPendingSelection = selected;
    } else if (selected == mLegendBox.get()) {
        mLegendBox->setHilited(true);
        setNeedsDisplay(true);
    }

    const Point q = event.location;
    mTrackStart = mTrackLast = q;
    if (mSelectedObject == mLegendBox.get() && mLegendBox->getBounds().containsMouse(q)) {
        mLegendBox->setHilited(true);
        // Every step of one drag undoes as one move.
        if (mUndoManager) mUndoManager->beginUndoGrouping();
        float lx = 0, ly = 0;
        mLegendBox->getPosition(lx, ly);
        mLegendOffsetX = q.x - getXValue(lx);
        mLegendOffsetY = q.y - getYValue(ly);
        mTracking = Tracking::Legend;
        return;
    }
    beginZoomTracking(q);
    mTracking = Tracking::Zoom;
}

void CPlotView::restorePressSelectionPoint() {
    mSelectedPointX = mPressSelectionX;
    mSelectedPointY = mPressSelectionY;
    mIsSelectingPointVisible = mPressSelectionVisible;
}

void CPlotView::trackDrag(const MouseEvent& event) {
    const Point r = event.location;
    if (mTracking == Tracking::Legend) {
        mTrackLast = r;
        if (r != mTrackStart)
            doChangeLegendPosition(getXFromPixelValue(static_cast<float>(r.x - mLegendOffsetX)),
                                   getYFromPixelValue(static_cast<float>(r.y - mLegendOffsetY)),
                                   0, 0);
    } else if (mTracking == Tracking::Zoom) {
        trackZoom(r);
    }
}

void CPlotView::selectClickedObject(CGraphObject* selected) {
    hilite(selected);
    std::string name = selected->name();
    if (auto* labelled = dynamic_cast<CGraphStringPointCurve*>(selected))
        name = labelled->getHitPointName();
    setStatus(selectionStatus(name, 1));
    mStatusObjectName = selected->name();
    updateColorPanel();
    notifyObjectSelection();
    setNeedsDisplay(true);
}

void CPlotView::mouseDragged(const MouseEvent& event) {
    trackDrag(event);
}

void CPlotView::mouseReleased(const MouseEvent& event) {
    if (!isTrackingMouse()) return;
    trackDrag(event);
    const Tracking ended = mTracking;
    mTracking = Tracking::None;
    if (ended == Tracking::Legend) {
        restorePressSelectionPoint();
        mLegendBox->setHilited(false);
        if (mUndoManager) mUndoManager->endUndoGrouping();
        setNeedsDisplay(true);
        return;
    }
    CGraphObject* pending = mPendingSelection;
    mPendingSelection = nullptr;
    if (endZoomTracking()) {
        mSelectedPointX = mPressSelectionX;
        mSelectedPointY = mPressSelectionY;
        mIsSelectingPointVisible = true;
        if (pending) {
            // The drag was a zoom: the selection stays what it was before the press.
            if (pending != mPressPreviousObject) pending->setHilited(false);
            mSelectedObject = mPressPreviousObject;
            if (mSelectedObject) mSelectedObject->setHilited(mPressPreviousHilited);
        }
        setNeedsDisplay(true);
        return;
    }
    if (pending) {
        selectClickedObject(pending);
        return;
    }
    if (mIsSelectingPointVisible) {
        setStatus(selectionStatus("", 1));
    } else {
        mSelectedPointX = 0;
        mSelectedPointY = 0;
        setStatus("");
    }
    notifyObjectSelection();
    setNeedsDisplay(true);
}

void CPlotView::mouseTrackingCancelled() {
    if (!isTrackingMouse()) return;
    MouseEvent up;
    up.type = MouseEvent::Type::Up;
    up.location = mTrackLast;
    mouseReleased(up);
}

bool CPlotView::delimitZoomingAreaIfNecessary(const MouseEvent& event, MouseEventSource& followUp) {
    beginZoomTracking(event.location);
    while (std::optional<MouseEvent> next = followUp.nextDragOrRelease()) {
        trackZoom(next->location);
        if (next->type == MouseEvent::Type::Up) break;
    }
    return endZoomTracking();
}

void CPlotView::beginZoomTracking(Point start) {
    mTrackStart = mTrackLast = start;
    mZoomMoved = false;
    if (!mTrackingRect.isZero()) {
        mTrackingRect = Rect();
        setNeedsDisplay(true);
        if (mHost) mHost->setEnabledZoomingControls(false);
    }
}

void CPlotView::trackZoom(Point r) {
    const Point s = mTrackStart;
    // A few units of jitter are still a click.
    const bool beyondClick = mZoomMoved || std::fabs(r.x - s.x) >= kMinZoomDrag ||
                             std::fabs(r.y - s.y) >= kMinZoomDrag;
    if (beyondClick && (r != mTrackLast || !mZoomMoved)) {
        Rect spanned = Rect::spanning(s, r);
        if (spanned != mTrackingRect) mTrackingRect = spanned;
        mTrackLast = r;
        mIsSelectingPointVisible = false;
        setNeedsDisplay(true);
        mZoomMoved = true;
    }
}

bool CPlotView::endZoomTracking() {
    // A rectangle without room in one direction cannot be zoomed through.
    if (!mTrackingRect.isZero() &&
        (mTrackingRect.width() < kMinZoomDrag || mTrackingRect.height() < kMinZoomDrag)) {
        mTrackingRect = Rect();
        setNeedsDisplay(true);
    }
    if (!mTrackingRect.isZero() && mHost) mHost->setEnabledZoomingControls(true);
    return mZoomMoved;
}

void CPlotView::onZoomIn() {
    if (mTrackingRect.isEmpty()) return;
    const Rect& r = mTrackingRect;
    float minX =
        withinMaximumRange(getXFromPixelValue(static_cast<float>(r.minX())), mMaxMinX, mMaxMaxX);
    float maxX =
        withinMaximumRange(getXFromPixelValue(static_cast<float>(r.maxX())), mMaxMinX, mMaxMaxX);
    float minY =
        withinMaximumRange(getYFromPixelValue(static_cast<float>(r.minY())), mMaxMinY, mMaxMaxY);
    float maxY =
        withinMaximumRange(getYFromPixelValue(static_cast<float>(r.maxY())), mMaxMinY, mMaxMaxY);
    if (!finiteRange(minX, maxX) || !finiteRange(minY, maxY)) return;
    doChangeAxisRanges(minX, maxX, minY, maxY);
}

void CPlotView::onZoomOut() {
    if (mTrackingRect.isEmpty()) return;
    mPlotRect = getPlotRect();
    const Rect& p = mPlotRect;
    const Rect& r = mTrackingRect;
    // What the plot shows now goes into the rectangle dragged: each new edge is the point of
    // today's axis that lands on the plot's edge then, read through the axis itself, so that a
    // logarithmic axis widens by decades and never reaches zero or below.
    auto before = [](double plotFrom, double plotSpan, double dragFrom, double dragSpan,
                     double edge) {
        return static_cast<float>(plotFrom + (edge - dragFrom) * plotSpan / dragSpan);
    };
    float minX = getXFromPixelValue(before(p.minX(), p.width(), r.minX(), r.width(), p.minX()));
    float maxX = getXFromPixelValue(before(p.minX(), p.width(), r.minX(), r.width(), p.maxX()));
    float minY = getYFromPixelValue(before(p.minY(), p.height(), r.minY(), r.height(), p.minY()));
    float maxY = getYFromPixelValue(before(p.minY(), p.height(), r.minY(), r.height(), p.maxY()));
    minX = withinMaximumRange(minX, mMaxMinX, mMaxMaxX);
    maxX = withinMaximumRange(maxX, mMaxMinX, mMaxMaxX);
    minY = withinMaximumRange(minY, mMaxMinY, mMaxMaxY);
    maxY = withinMaximumRange(maxY, mMaxMinY, mMaxMaxY);
    if (!finiteRange(minX, maxX) || !finiteRange(minY, maxY)) return;
    doChangeAxisRanges(minX, maxX, minY, maxY);
}

}  // namespace vornex
