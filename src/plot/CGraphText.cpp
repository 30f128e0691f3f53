#include "plot/CGraphText.h"

#include "plot/CPlotView.h"

namespace vornex {

void CGraphText::render(Canvas& canvas) {
    if (mHidden || mContents.empty() || !mPlotView) return;
    canvas.saveGraphicsState();
    setCanvasColor(canvas);
    canvas.drawText(mContents, Point{mPlotView->getXValue(mX), mPlotView->getYValue(mY)});
    canvas.restoreGraphicsState();
}

void CGraphText::copyTextTo(CGraphText& target) const {
    copyCommonTo(target);
    target.mX = mX;
    target.mY = mY;
    target.mWidth = mWidth;
    target.mHeight = mHeight;
}

std::unique_ptr<CGraphObject> CGraphText::copy() const {
    auto text = std::make_unique<CGraphText>();
    copyTextTo(*text);
    return text;
}

}  // namespace vornex
