#include "plot/CGraphPointCurve.h"

#include <cmath>

#include "plot/CPlotView.h"

namespace vornex {

CGraphPointCurve::CGraphPointCurve() {
    mSelectable = true;
    mToolSizeFactor = 4.0f;
    mPoints.reserve(10);
}

void CGraphPointCurve::addPoint(float x, float y, int skip) {
    if (skip == 0) mPoints.push_back({x, y});
}

void CGraphPointCurve::render(Canvas& canvas) {
    if (mHidden || !mPlotView) return;
    canvas.saveGraphicsState();
    canvas.clipToRect(mPlotView->getPlotRect());
    setCanvasColor(canvas);
    BezierPath path;
    if (mJoinPoints && !mPoints.empty()) {
        BezierPath line = viewPolyline(mPoints);
        canvas.stroke(line);
        path.append(line);
    }
    for (const DataPoint& p : mPoints) path.append(drawMarker(canvas, p.x, p.y));
    mPath = std::move(path);
    canvas.restoreGraphicsState();
}

std::unique_ptr<CGraphObject> CGraphPointCurve::copy() const {
    auto curve = std::make_unique<CGraphPointCurve>();
    copyCommonTo(*curve);
    curve->mPoints = mPoints;
    curve->mJoinPoints = mJoinPoints;
    return curve;
}

CGraphStringPointCurve::CGraphStringPointCurve() {
    mSelectable = true;
    mToolSizeFactor = 4.0f;
    mPoints.reserve(10);
}

void CGraphStringPointCurve::addPoint(std::string label, float x, float y) {
    auto point = CGraphStringPoint::newGraphStringPoint(x, y);
    point->setLabel(std::move(label));
    mPoints.push_back(std::move(point));
}

void CGraphStringPointCurve::setMStringPointArray(
    const std::vector<std::unique_ptr<CGraphStringPoint>>& points) {
    std::vector<std::unique_ptr<CGraphStringPoint>> copies;
    for (const auto& p : points) {
        auto c = CGraphStringPoint::newGraphStringPoint(p->getX(), p->getY());
        c->setLabel(p->getLabel());
        copies.push_back(std::move(c));
    }
    mPoints = std::move(copies);
}

bool CGraphStringPointCurve::isHit(Point p) {
    if (!mPath || !mPath->containsPoint(p) || !mPlotView) return false;
    const double tolerance = 0.5 * mToolSizeFactor + 2.0;
    mLastHitPointIndex = 0;
    for (const auto& point : mPoints) {
        double xv = mPlotView->getXValue(point->getX());
        double yv = mPlotView->getYValue(point->getY());
        if (std::fabs(xv - p.x) <= tolerance && std::fabs(yv - p.y) <= tolerance) {
            mPlotView->setSelectedPoint(point->getX(), point->getY());
            return true;
        }
        ++mLastHitPointIndex;
    }
    return true;  // inside a drawn marker, but outside every point's tolerance box
}

std::string CGraphStringPointCurve::getHitPointName() const {
    if (mLastHitPointIndex < 0 || mLastHitPointIndex >= static_cast<int>(mPoints.size())) return {};
    return mPoints[static_cast<size_t>(mLastHitPointIndex)]->getLabel();
}

void CGraphStringPointCurve::render(Canvas& canvas) {
    if (mHidden || !mPlotView) return;
    canvas.saveGraphicsState();
    canvas.clipToRect(mPlotView->getPlotRect());
    BezierPath path;
    for (const auto& point : mPoints) {
        path.append(drawMarker(canvas, point->getX(), point->getY()));
        if (mShowLabels && isDrawnAt(point->getX(), point->getY()))
            drawLabelUnderMarker(canvas, *mPlotView, point->getLabel(),
                                 mPlotView->getXValue(point->getX()),
                                 mPlotView->getYValue(point->getY()), markerHalfSize());
    }
    mPath = std::move(path);
    canvas.restoreGraphicsState();
}

std::unique_ptr<CGraphObject> CGraphStringPointCurve::copy() const {
    auto curve = std::make_unique<CGraphStringPointCurve>();
    copyCommonTo(*curve);
    curve->setMStringPointArray(mPoints);
    return curve;
}

}  // namespace vornex
