#include "plot/CGraphArea.h"

#include "platform/PlatformLog.h"
#include "plot/CGraphCurve.h"
#include "plot/CPlotView.h"

namespace vornex {

CGraphArea::CGraphArea() {
    mPoints.reserve(10);
}

void CGraphArea::addCurve(const CGraphCurve* curve, bool reverse) {
    if (!curve) return;
    const auto& points = curve->mPointsList();
    auto append = [this](const CurvePoint& p) {
        if (!p.penUp) addPoint(p.x, p.y);
    };
    if (reverse)
        for (auto it = points.rbegin(); it != points.rend(); ++it) append(*it);
    else
        for (const CurvePoint& p : points) append(p);
}

void CGraphArea::addSubcurve(const CGraphCurve* curve) {
    if (!curve) {
        logMessage("no curve");
        return;
    }
    if (mPoints.size() < 2) return;
    const DataPoint first = mPoints.front(), last = mPoints.back();
    const auto& points = curve->mPointsList();
    int iF = nearestUnflaggedPoint(points, first.x, first.y);
    int iL = nearestUnflaggedPoint(points, last.x, last.y);
    if (iF < 0) return;  // no point to follow
    const int direction = iF <= iL ? -1 : 1;
    for (int i = iL;; i += direction) {
        const CurvePoint& p = points[static_cast<size_t>(i)];
        if (!p.penUp) addPoint(p.x, p.y);
        if (i == iF) break;
    }
}

void CGraphArea::render(Canvas& canvas) {
    if (mHidden || !mPlotView) return;
    canvas.saveGraphicsState();
    canvas.clipToRect(mPlotView->getPlotRect());
    setCanvasColor(canvas);
    BezierPath path = viewPolygon(mPoints);
    canvas.fill(path);
    mPath = std::move(path);
    canvas.restoreGraphicsState();
}

std::unique_ptr<CGraphObject> CGraphArea::copy() const {
    auto area = std::make_unique<CGraphArea>();
    copyCommonTo(*area);
    area->mPoints = mPoints;
    return area;
}

}  // namespace vornex
