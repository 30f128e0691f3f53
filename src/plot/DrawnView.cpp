#include "plot/DrawnView.h"

namespace vornex {

void DrawnView::setNeedsDisplay(bool needed) {
    mNeedsDisplay = needed;
    if (needed && mDisplayRequest) mDisplayRequest();
}

IoResult DrawnView::writeImage(FileFormat format, const std::string& path, double pixelScale) {
    return renderToFile(
        format, path, bounds().size, [this](Canvas& c) { drawRect(c); }, pixelScale);
}

}  // namespace vornex
