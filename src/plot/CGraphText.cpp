#include "plot/CGraphText.h"

#include "plot/CPlotView.h"
#include "plot/ViewClip.h"

namespace vornex {

void CGraphText::render(Canvas& canvas) {
    if (mHidden || mContents.empty() || !mPlotView) return;
    const Point at = mPlotView->viewPoint(mX, mY);
    if (!placeableText(at)) return;
    canvas.saveGraphicsState();
    setCanvasColor(canvas);
    canvas.drawText(mContents, at);
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
