#include "plot/CGraphLegend.h"

#include <algorithm>
#include <typeinfo>

#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"
#include "plot/CPlotView.h"
#include "plot/ViewClip.h"

namespace vornex {

CGraphLegend::CGraphLegend() {
    mSelectable = true;
    mRefObjects.reserve(10);
}

Rect CGraphLegend::getBounds() const {
    if (!mPlotView) return Rect();
    return Rect(mPlotView->getXValue(mX), mPlotView->getYValue(mY), mWidth, mHeight);
}

bool CGraphLegend::isHit(Point p) {
    if (mHidden) return false;
    Rect box = getBounds();
    return !box.isEmpty() && box.containsMouse(p);
}

void CGraphLegend::render(Canvas& canvas) {
    if (mHidden || !mPlotView) return;
    if (!placeableText(mPlotView->viewPoint(mX, mY))) return;
    canvas.saveGraphicsState();
    setCanvasColor(canvas);
    const float X = mPlotView->getXValue(mX), Y = mPlotView->getYValue(mY);
    mWidth = 0.0f;
    mHeight = 0.0f;
    float y = Y;
    const TextAttributes& attributes = mPlotView->getLegendsAttributes();
    for (auto it = mRefObjects.rbegin(); it != mRefObjects.rend(); ++it) {
        CGraphObject& object = **it;
        const std::type_info& kind = typeid(object);
        const bool isCurve = kind == typeid(CGraphCurve);
        const bool isMarker = kind == typeid(CGraphPoint) || kind == typeid(CGraphPointCurve);
        if (!isCurve && !isMarker) continue;  // no entry, no room
        const std::string text = object.name().empty() ? "Untitled" : object.name();
        Size size = canvas.measureText(text, attributes);
        const float w = static_cast<float>(size.width), t = static_cast<float>(size.height);
        if (isCurve) {
            BezierPath sample =
                BezierPath::withLine(Point{X, y + 0.5f * t}, Point{X + 20.0f, y + 0.5f * t});
            if (object.color()) canvas.setColor(*object.color());
            canvas.stroke(sample);
        } else {
            const float s = object.getToolSizeFactor();
            const float h = 0.5f * s + 2.0f;
            BezierPath marker =
                constructPoint0(object.selector(), h, h, X + 8.0f - 0.5f * s, y + 0.5f * t);
            if (object.color()) canvas.setColor(*object.color());
            paintMarker(canvas, marker, object.selector(), mToolSizeFactor);
        }
        canvas.drawText(text, attributes, Point{X + 30.0f, y});
        mWidth = std::max(mWidth, w + 30.0f);
        y += t + 2.0f;
        mHeight += t + 6.0f;
    }
    mHeight -= 6.0f;
    if (mHilited) {
        canvas.setColor(Color::black());
        canvas.fillRect(Rect(X - 5.0f, Y - 5.0f, 10.0f, 10.0f));
        BezierPath frame = BezierPath::withRect(getBounds());
        frame.setLineDash({5, 2}, 0.0);
        frame.setLineWidth(1.0);
        canvas.stroke(frame);
    }
    canvas.restoreGraphicsState();
}

std::unique_ptr<CGraphObject> CGraphLegend::copy() const {
    auto legend = std::make_unique<CGraphLegend>();
    copyTextTo(*legend);
    legend->mRefObjects = mRefObjects;
    return legend;
}

}  // namespace vornex
