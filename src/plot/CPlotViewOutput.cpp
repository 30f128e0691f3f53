// Output of CPlotView beyond its window: PDF and image files, an independent copy in a new
// window, and plot-format records.
#include <unordered_map>

#include "plot/CPlotFormat.h"
#include "plot/CPlotView.h"

namespace vornex {

void CPlotView::reportFailure(const std::string& what, const IoResult& result) {
    const std::string message = what + ": " + result.message;
    setStatus(message);
    PlotServices::shared().reportError(message);
}

// The quantity an axis title names, without its unit: "P (bar)" gives "P".
static std::string quantityOf(const std::string& title) {
    std::string q = title.substr(0, title.find(" ("));
    for (char& c : q)
        if (c == '/' || c == '\\' || c == ':') c = '-';
    return q;
}

std::string CPlotView::proposedFileName() const {
    // What the plot shows reads better than the name of its variable.
    const std::string x = quantityOf(mXLabelText.string()), y = quantityOf(mYLabelText.string());
    if (!x.empty() && !y.empty()) return y + " against " + x;
    return mPlotName.empty() ? "plot" : mPlotName;
}

bool CPlotView::onPrintPlot() {
    std::optional<std::string> path =
        PlotServices::shared().runSavePanel(proposedFileName(), "pdf");
    if (!path) return false;
    IoResult result = writePdf(*path);
    if (!result) reportFailure("The plot could not be saved as PDF to " + *path, result);
    return result.ok();
}

IoResult CPlotView::writePdf(const std::string& path) {
    return writeImage(FileFormat::Pdf, path);
}

void CPlotView::drawForOutput(Canvas& canvas) {
    mIsPrinting = true;
    drawRect(canvas);
    mIsPrinting = false;
}

IoResult CPlotView::writeImage(FileFormat format, const std::string& path, double pixelScale) {
    return renderToFile(
        format, path, bounds().size, [this](Canvas& canvas) { drawForOutput(canvas); },
        pixelScale);
}

void CPlotView::onOpenNewPlotWindow() {
    PlotServices::shared().openPlotWindow(copy());
}

std::unique_ptr<CPlotView> CPlotView::copy() const {
    auto view = std::make_unique<CPlotView>(mFrame, mDefaults);
    view->mNbXTicksValue = mNbXTicksValue;
    view->mNbYTicksValue = mNbYTicksValue;
    view->mXTicksDigitsValue = mXTicksDigitsValue;
    view->mYTicksDigitsValue = mYTicksDigitsValue;
    view->mXLabelText = mXLabelText;
    view->mYLabelText = mYLabelText;
    view->mShowLogX = mShowLogX;
    view->mShowLogY = mShowLogY;
    // The copy posts to the process-wide centre: a document's centre dies with the document,
    // while the copy may live on in a window of its own.

    // The copy's legend lists the copies of the objects this legend lists.
    std::unordered_map<const CGraphObject*, CGraphObject*> copies;
    for (const auto& object : mObjects) copies[object.get()] = view->addGraphObject(object->copy());
    view->setMLegend(*mLegendBox);
    std::vector<CGraphObject*> listed;
    for (CGraphObject* reference : mLegendBox->mRefObjectList())
        if (auto it = copies.find(reference); it != copies.end()) listed.push_back(it->second);
    view->mLegendBox->setMRefObjectList(std::move(listed));

    view->mMinX = view->mCurMinX = mCurMinX;
    view->mMaxX = view->mCurMaxX = mCurMaxX;
    view->mMinY = view->mCurMinY = mCurMinY;
    view->mMaxY = view->mCurMaxY = mCurMaxY;
    view->setMaxXYRange(mMaxMinX, mMaxMaxX, mMaxMinY, mMaxMaxY);
    view->calculateCoefficients();
    return view;
}

void CPlotView::updatePlotFormat(CPlotFormat& format) const {
    format.setMinX(mMinX);
    format.setMaxX(mMaxX);
    format.setMinY(mMinY);
    format.setMaxY(mMaxY);
    format.setCurrentMinX(mCurMinX);
    format.setCurrentMaxX(mCurMaxX);
    format.setCurrentMinY(mCurMinY);
    format.setCurrentMaxY(mCurMaxY);
    float x = 0, y = 0;
    mLegendBox->getPosition(x, y);
    format.setLegendX(x);
    format.setLegendY(y);
}

void CPlotView::setFromPlotFormat(const CPlotFormat& format) {
    mMinX = format.minX();
    mMaxX = format.maxX();
    mMinY = format.minY();
    mMaxY = format.maxY();
    mCurMinX = format.currentMinX();
    mCurMaxX = format.currentMaxX();
    mCurMinY = format.currentMinY();
    mCurMaxY = format.currentMaxY();
    setLegendPosition(format.legendX(), format.legendY());
    auto attributes = [](const std::shared_ptr<CTextFormat>& f, TextAttributes& target) {
        if (f) target = setTextAttributes(f->fontName(), f->size(), f->isBold(), f->isItalic());
    };
    attributes(format.legendFormat(), mLegendsAttributes);
    attributes(format.labelsFormat(), mLabelsAttributes);
    attributes(format.ticksFormat(), mTicksAttributes);
}

}  // namespace vornex
