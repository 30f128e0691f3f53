#include "plot/CGraphPoint.h"

#include "plot/CPlotView.h"

namespace vornex {

void drawLabelUnderMarker(Canvas& canvas, const CPlotView& view, const std::string& text, float xv,
                          float yv, float h, Point offset) {
    const TextAttributes& attributes = view.getLegendsAttributes();
    Size size = canvas.measureText(text, attributes);
    canvas.drawText(
        text, attributes,
        Point{xv - 0.5 * size.width + offset.x, yv - 0.7 * size.height - h - 2.0 + offset.y});
}

CGraphPoint::CGraphPoint() {
    mSelectable = true;
    mToolSizeFactor = 3.0f;
}

std::unique_ptr<CGraphPoint> CGraphPoint::newGraphPoint(float x, float y) {
    auto point = std::make_unique<CGraphPoint>();
    point->setPoint(x, y);
    return point;
}

void CGraphPoint::render(Canvas& canvas) {
    if (mHidden || !mPlotView) return;
    canvas.saveGraphicsState();
    canvas.clipToRect(mPlotView->getPlotRect());
    mPath = drawMarker(canvas, mX, mY);
    if (mShowLabel && isDrawnAt(mX, mY))
        drawLabelUnderMarker(canvas, *mPlotView, shownText(), mPlotView->getXValue(mX),
                             mPlotView->getYValue(mY), markerHalfSize(), labelOffset());
    canvas.restoreGraphicsState();
}

void CGraphPoint::copyPointTo(CGraphPoint& target) const {
    copyCommonTo(target);
    target.mX = mX;
    target.mY = mY;
    target.mShowLabel = mShowLabel;
}

std::unique_ptr<CGraphObject> CGraphPoint::copy() const {
    auto point = std::make_unique<CGraphPoint>();
    copyPointTo(*point);
    return point;
}

std::unique_ptr<CGraphStringPoint> CGraphStringPoint::newGraphStringPoint(float x, float y) {
    auto point = std::make_unique<CGraphStringPoint>();
    point->setPoint(x, y);
    return point;
}

std::unique_ptr<CGraphObject> CGraphStringPoint::copy() const {
    auto point = std::make_unique<CGraphStringPoint>();
    copyPointTo(*point);
    point->mLabel = mLabel;
    point->mOffsetX = mOffsetX;
    point->mOffsetY = mOffsetY;
    return point;
}

}  // namespace vornex
