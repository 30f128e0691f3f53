#include "plot/CBarPlotView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/AtomicFileWriter.h"
#include "plot/CLogWindow.h"
#include "plot/PlotServices.h"

namespace vornex {

namespace {

constexpr double kMaxBarWidth = 50.0;
constexpr double kMarkerDiameter = 10.0;
// Category labels closer than this (centre to centre) to the last one drawn are skipped.
constexpr double kLabelSpacing = 25.0;

std::string format(const char* f, ...) VORNEX_PRINTF_METHOD(1, 2);
std::string format(const char* f, ...) {
    va_list arguments;
    va_start(arguments, f);
    std::string s = formatString(f, arguments);
    va_end(arguments);
    return s;
}

// Labels of the linear scale, chosen by its top.
std::vector<double> linearScaleValues(double top) {
    if (top > 80) return {0, 20, 40, 60, 80, 100};
    if (top > 60) return {0, 20, 40, 60, 80};
    if (top > 40) return {0, 15, 30, 45, 60};
    if (top > 20) return {0, 10, 20, 30, 40};
    if (top > 10) return {0, 4, 8, 12, 16, 20};
    return {0, 2, 4, 6, 8, 10};
}

std::string decadeLabel(int e) {
    static const char* const fixed[] = {" 0.001", "  0.01", "   0.1", "     1",
                                        "    10", "   100", "  1000", "10 000"};
    if (e >= -3 && e <= 4) return fixed[e + 3];
    return format("1e%1d", e);
}

BezierPath circleAt(double x, double y, double diameter) {
    const double r = 0.5 * diameter;
    return BezierPath::withOval(Rect(x - r, y - r, diameter, diameter));
}

}  // namespace

double CBarPlotView::Layout::barX(std::size_t i) const {
    const double separation = slot - barWidth;  // s · bw
    return firstSlotX + 0.5 * separation + static_cast<double>(i) * slot;
}

double CBarPlotView::Layout::barCentre(std::size_t i) const {
    return firstSlotX + 0.5 * slot + static_cast<double>(i) * slot;
}

CBarPlotView::CBarPlotView(Rect frame)
    : DrawnView(frame),
      mTicksAttributes(Font::labelFont()),
      mPlotMenu(std::make_unique<Menu>("Barplot")),
      mTitleAttributes(Font::systemFont()) {
    Menu& m = *mPlotMenu;
    m.setAutoenablesItems(true);
    m.addItem("Logarithmic scale", "onToggleScale:", [this] { onToggleScale(); });
    m.addItem("Hide grid", "onToggleGrid:", [this] { onToggleGrid(); });
    m.addSeparator();
    m.addItem("Bars", "onSetBars:", [this] { onSetBars(); });
    m.addItem("Lines", "onSetLines:", [this] { onSetLines(); });
    m.addItem("Lines and markers", "onSetLinesMarkers:", [this] { onSetLinesMarkers(); });
    m.addSeparator();
    m.addItem("Save as PDF...", "onPrintPlot:", [this] { onPrintPlot(); });
    m.addItem("Export to Igor...", "onExportToIgor:", [this] { onExportToIgor(); });
    m.setValidator([this](MenuItem& item) { return validateMenuItem(item); });
    mStepper.frame = Rect(1, frame.height() - 30, 20, 30);
}

void CBarPlotView::setReferenceLabels(std::vector<std::string> labels, std::vector<double> values) {
    mReferenceLabels = std::move(labels);
    mReferenceValues = std::move(values);
}

void CBarPlotView::setMinimum(float minimum, float maximum) {
    mMinimumValue = minimum;
    mMaximumValue = maximum;
    mStepper.minValue = minimum;
    mStepper.maxValue = maximum;
}

void CBarPlotView::setLabels(const std::string& xTitle, const std::string& yTitle) {
    mXLabel = xTitle;
    mYLabel = yTitle;
}

// ----- Stepper, menu and actions -------------------------------------------------------------

void CBarPlotView::stepMaximum(int direction) {
    const double next = mStepper.value + (direction >= 0 ? 1 : -1) * mStepper.increment;
    mStepper.value = std::clamp(next, std::min(mStepper.minValue, mStepper.maxValue),
                                std::max(mStepper.minValue, mStepper.maxValue));
    onStepYmax();
}

void CBarPlotView::onStepYmax() {
    mMaximumValue = static_cast<float>(mStepper.value);
    changed();
}

Menu& CBarPlotView::menuForEvent(const MouseEvent&) {
    return *mPlotMenu;
}

bool CBarPlotView::validateMenuItem(MenuItem& item) const {
    const std::string& action = item.actionName();
    if (action == "onToggleScale:")
        item.setTitle(mLogarithmic ? "Set linear scale" : "Set logarithmic scale");
    else if (action == "onToggleGrid:")
        item.setTitle(mShowGrid ? "Hide grid" : "Show grid");
    else if (action == "onSetBars:")
        item.setState(mMode == kBars ? MenuItem::State::On : MenuItem::State::Off);
    else if (action == "onSetLines:")
        item.setState(mMode == kLines ? MenuItem::State::On : MenuItem::State::Off);
    else if (action == "onSetLinesMarkers:")
        item.setState(mMode == kLinesAndMarkers ? MenuItem::State::On : MenuItem::State::Off);
    return true;
}

void CBarPlotView::onToggleScale() {
    mLogarithmic = !mLogarithmic;
    changed();
}

void CBarPlotView::onToggleGrid() {
    mShowGrid = !mShowGrid;
    changed();
}

void CBarPlotView::setMode(int mode) {
    mMode = mode;
    changed();
}

bool CBarPlotView::onPrintPlot() {
    auto path = PlotServices::shared().runSavePanel(mPlotName.empty() ? "plot" : mPlotName, "pdf");
    if (!path) return false;
    IoResult r = writePdf(*path);
    if (!r) PlotServices::shared().reportError("The bar chart could not be saved: " + r.message);
    return r.ok();
}

bool CBarPlotView::onExportToIgor() {
    auto path = PlotServices::shared().runSavePanel(format("data%d.itx", mIgorIndexValue), "itx");
    if (!path) return false;
    IoResult r = writeIgorFile(*path);
    if (!r) PlotServices::shared().reportError("The bar chart could not be exported: " + r.message);
    return r.ok();
}

// ----- Output --------------------------------------------------------------------------------

std::string igorQuoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
                break;
        }
    }
    return out + "\"";
}

std::string CBarPlotView::igorText() const {
    std::string s = format("IGOR\nWAVES v%d\nBEGIN\n", mIgorIndexValue);
    for (double v : mValues) s += format("\t%18e\n", v);
    s += format("END\nWAVES/T s%d\nBEGIN\n", mIgorIndexValue);
    for (const std::string& label : mLabels) s += "\t" + igorQuoted(label) + "\n";
    return s + "END\n";
}

IoResult CBarPlotView::writeIgorFile(const std::string& path) {
    IoResult r = writeFileAtomically(path, igorText());
    if (r) ++mIgorIndexValue;
    return r;
}

IoResult CBarPlotView::writePdf(const std::string& path) {
    // The stepper is a control, not part of the picture.
    const bool wasHidden = mStepper.hidden;
    mStepper.hidden = true;
    IoResult r = writeImage(FileFormat::Pdf, path);
    mStepper.hidden = wasHidden;
    return r;
}

// ----- Scale ---------------------------------------------------------------------------------

CBarPlotView::Layout CBarPlotView::layout() const {
    Layout l;
    const Rect b = bounds();
    l.plotWidth = b.width() - (mMarginLeft + mMarginRight + 40);
    l.plotHeight = b.height() - (mMarginBottom + mMarginTop);
    l.axisX = mMarginLeft + 35;
    l.firstSlotX = mMarginLeft + 40;
    const double n = static_cast<double>(mValues.size());
    const double s = mSepBarRatio;
    if (n > 0) l.barWidth = std::clamp(l.plotWidth / (n + (n - 1) * s), 0.0, kMaxBarWidth);
    if (!std::isfinite(l.barWidth)) l.barWidth = 0;
    l.slot = (1 + s) * l.barWidth;
    return l;
}

double CBarPlotView::linearTop() const {
    if (std::isfinite(mMaximumValue) && mMaximumValue > 0) return mMaximumValue;
    double largest = 0;
    for (double v : mValues)
        if (std::isfinite(v)) largest = std::max(largest, v);
    return largest > 0 ? largest : 10.0;
}

void CBarPlotView::decades(int& lo, int& hi) const {
    // Bounds beyond the range of doubles cannot be drawn; they are treated as unset.
    auto usable = [](double v) { return std::isfinite(v) && v > 0; };
    if (usable(mMinimumValue)) {
        lo = static_cast<int>(std::floor(std::log10(mMinimumValue)));
    } else {
        double smallest = 1e9;
        for (double v : mValues) {
            if (usable(v))
                smallest = std::min(smallest, std::log10(v));
            else if (!std::isnan(v))
                smallest = std::min(smallest, -2.0);
        }
        lo = static_cast<int>(std::floor(smallest));
    }
    hi = usable(mMaximumValue) ? static_cast<int>(std::ceil(std::log10(mMaximumValue))) : 2;
    if (lo >= hi) lo = hi - 2;
}

bool CBarPlotView::heightOf(double value, double& height) const {
    const double ph = layout().plotHeight;
    if (!std::isfinite(value)) return false;
    if (mLogarithmic) {
        if (value <= 0) return false;
        int lo, hi;
        decades(lo, hi);
        height = (std::log10(value) - lo) / (hi - lo) * ph;
    } else {
        height = value * ph / linearTop();
    }
    height = std::max(height, 1.0);
    return true;
}

std::vector<CBarPlotView::ScaleMark> CBarPlotView::scaleMarks() const {
    std::vector<ScaleMark> marks;
    const double b = mMarginBottom;
    if (mLogarithmic) {
        int lo, hi;
        decades(lo, hi);
        const double ph = layout().plotHeight;
        for (int e = lo; e <= hi; ++e)
            marks.push_back({b + double(e - lo) / (hi - lo) * ph, decadeLabel(e)});
        return marks;
    }
    const double top = linearTop();
    const double ph = layout().plotHeight;
    for (double v : linearScaleValues(top)) {
        if (v > top) break;
        marks.push_back({b + v * ph / top, format("%.1f", v)});
    }
    return marks;
}

// ----- Drawing -------------------------------------------------------------------------------

const double* CBarPlotView::referenceValueFor(std::size_t i) const {
    if (mReferenceLabels.empty() || i >= mLabels.size()) return nullptr;
    auto found = std::find(mReferenceLabels.begin(), mReferenceLabels.end(), mLabels[i]);
    if (found == mReferenceLabels.end()) return nullptr;
    const auto j = static_cast<std::size_t>(found - mReferenceLabels.begin());
    return j < mReferenceValues.size() ? &mReferenceValues[j] : nullptr;
}

void CBarPlotView::drawRect(Canvas& canvas, const Rect& dirty) {
    canvas.saveGraphicsState();
    canvas.setFillColor(Color::white());
    canvas.fillRect(dirty);
    if (!mValues.empty()) {
        const Layout l = layout();
        drawTitles(canvas, l);
        drawCategoryLabels(canvas, l);
        drawAxesAndScale(canvas, l);
        drawSeries(canvas, l);
    }
    canvas.restoreGraphicsState();
    displayed();
}

void CBarPlotView::drawTitles(Canvas& canvas, const Layout& l) const {
    if (!mXLabel.empty()) {
        const Size s = canvas.measureText(mXLabel, mTitleAttributes);
        canvas.drawText(mXLabel, mTitleAttributes,
                        {mMarginLeft + 40 + l.plotWidth / 2 - s.width / 2, 5});
    }
    if (!mYLabel.empty()) {
        const Size s = canvas.measureText(mYLabel, mTitleAttributes);
        canvas.saveGraphicsState();
        canvas.concat(AffineTransform::rotationDegrees(90));  // reading upward
        canvas.drawText(mYLabel, mTitleAttributes,
                        {mMarginBottom + l.plotHeight / 2 - s.width / 2, -5 - s.height});
        canvas.restoreGraphicsState();
    }
}

void CBarPlotView::drawCategoryLabels(Canvas& canvas, const Layout& l) const {
    const std::size_t n = std::min(mValues.size(), mLabels.size());
    bool first = true;
    double lastCentre = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double centre = l.barCentre(i);
        if (!first && !(centre > lastCentre + kLabelSpacing)) continue;
        const Size s = canvas.measureText(mLabels[i], mTicksAttributes);
        canvas.drawText(mLabels[i], mTicksAttributes, {centre - s.width / 2, mMarginBottom - 18});
        lastCentre = centre;
        first = false;
    }
}

void CBarPlotView::drawAxesAndScale(Canvas& canvas, const Layout& l) const {
    const Rect b = bounds();
    const double L = mMarginLeft, B = mMarginBottom, T = mMarginTop, R = mMarginRight;
    const double W = b.width(), H = b.height();
    BezierPath axes, verticalGrid, horizontalGrid;
    axes.moveTo({L + 35, B});
    axes.lineTo({L + 35, H - T + 10});
    axes.moveTo({L + 35, B});
    axes.lineTo({W - R + 5, B});
    for (std::size_t k = 0; k <= mValues.size(); ++k) {
        const double x = l.firstSlotX + static_cast<double>(k) * l.slot;
        axes.moveTo({x, B});
        axes.lineTo({x, B - 5});
        if (mShowGrid) {
            verticalGrid.moveTo({x, B});
            verticalGrid.lineTo({x, H - T});
        }
    }
    for (const ScaleMark& m : scaleMarks()) {
        axes.moveTo({L + 30, m.y});
        axes.lineTo({L + 35, m.y});
        canvas.drawText(m.label, mTicksAttributes, {L, m.y});
        if (mShowGrid) {
            horizontalGrid.moveTo({L + 40, m.y});
            horizontalGrid.lineTo({W - R + 5, m.y});
        }
    }
    canvas.setStrokeColor(Color::black());
    canvas.stroke(axes);
    if (mShowGrid) {
        canvas.setStrokeColor(Color::gray());
        canvas.stroke(horizontalGrid);
        canvas.stroke(verticalGrid);
    }
}

void CBarPlotView::drawSeries(Canvas& canvas, const Layout& l) const {
    const double B = mMarginBottom;
    BezierPath line;
    for (std::size_t i = 0; i < mValues.size(); ++i) {
        const double x = l.barX(i);
        double h;
        if (heightOf(mValues[i], h)) {
            if (mMode == kBars) {
                canvas.setFillColor(Color::red());
                canvas.fillRect(Rect(x, B, l.barWidth, h));
                canvas.setFillColor(Color::black());
                canvas.frameRect(Rect(x, B, l.barWidth, h));
            } else {
                const Point p{x + l.barWidth / 2, B + h};
                if (line.isEmpty())
                    line.moveTo(p);
                else
                    line.lineTo(p);
                if (mMode == kLinesAndMarkers) {
                    const BezierPath marker = circleAt(p.x, p.y, kMarkerDiameter);
                    canvas.setFillColor(Color::white());
                    canvas.fill(marker);
                    canvas.setStrokeColor(Color::blue());
                    canvas.stroke(marker);
                }
            }
        }
        double rh;
        const double* reference = referenceValueFor(i);
        if (reference && heightOf(*reference, rh)) {
            canvas.setFillColor(Color::black());
            canvas.fill(circleAt(x + l.barWidth / 2, B + rh, kMarkerDiameter));
        }
    }
    if (mMode != kBars && !line.isEmpty()) {
        canvas.setStrokeColor(Color::blue());
        canvas.stroke(line);
    }
}

}  // namespace vornex
