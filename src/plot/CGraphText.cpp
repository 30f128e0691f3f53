#include "plot/CGraphText.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "plot/CPlotView.h"
#include "plot/ViewClip.h"

namespace vornex {

void CGraphText::render(Canvas& canvas) {
    if (mHidden || mContents.empty() || !mPlotView) return;
    if (mPlacement == Placement::PlotFrame) {
        renderCaption(canvas);
        return;
    }
    const Point at = mPlotView->viewPoint(mX, mY);
    if (!placeableText(at)) return;
    canvas.saveGraphicsState();
    setCanvasColor(canvas);
    canvas.drawText(mContents, at);
    canvas.restoreGraphicsState();
}

void CGraphText::renderCaption(Canvas& canvas) {
    const Rect plot = mPlotView->getPlotRect();
    if (plot.isEmpty()) return;
    // An inset wider than a quarter of the rectangle would leave the lines no room.
    const double left = std::isfinite(mX) ? std::clamp<double>(mX, 0.0, plot.width() / 4) : 0.0;
    const std::vector<AttributedString> lines = canvas.wrapText(mContents, plot.width() - 2 * left);
    std::vector<Size> sizes;
    double width = 0, height = 0;
    for (const AttributedString& line : lines) {
        sizes.push_back(canvas.measureText(line));
        width = std::max(width, sizes.back().width);
        height += sizes.back().height;
    }
    const double top = std::isfinite(mY)
                           ? std::clamp<double>(mY, 0.0, std::max(0.0, plot.height() - height))
                           : 0.0;
    mWidth = static_cast<float>(width);
    mHeight = static_cast<float>(height);

    canvas.saveGraphicsState();
    canvas.clipToRect(plot);
    setCanvasColor(canvas);
    double y = plot.maxY() - top;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        y -= sizes[i].height;
        canvas.drawText(lines[i], Point{plot.minX() + left, y});
    }
    canvas.restoreGraphicsState();
}

void CGraphText::copyTextTo(CGraphText& target) const {
    copyCommonTo(target);
    target.mContents = mContents;
    target.mPlacement = mPlacement;
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
