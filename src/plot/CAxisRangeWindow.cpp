#include "plot/CAxisRangeWindow.h"

#include "numerics/Decimal.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "plot/CPlotView.h"

namespace vornex {

namespace {

const char* const kFieldNames[] = {"x minimum", "x maximum",         "y minimum",
                                   "y maximum", "number of x ticks", "number of y ticks"};

bool onlySpaces(const char* p) {
    while (*p == ' ' || *p == '\t') ++p;
    return *p == '\0';
}

// A number as a float: the whole text (spaces around it allowed), finite in single precision.
std::optional<float> parseFloat(const std::string& text) {
    // Typed as every field takes numbers: with the point or the locale's own separator.
    double v = 0.0;
    if (!readTypedNumber(text, v) || std::fabs(v) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(v);
}

std::optional<int> parseInt(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(begin, &end, 10);
    if (end == begin || !onlySpaces(end) || errno == ERANGE ||
        v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(v);
}

struct Row {
    double above;
    double increment;
    int digits;
};
constexpr Row kRows[] = {{1000, 50, 0},  {500, 20, 0},     {200, 10, 0},
                         {100, 5, 0},    {10, 1, 1},       {1, 0.1, 1},
                         {0.1, 0.01, 2}, {0.01, 0.001, 3}, {0.001, 0.0001, 4}};

}  // namespace

CAxisRangeWindow& CAxisRangeWindow::sharedAxisRangeWindowCtroller() {
    static CAxisRangeWindow shared;
    return shared;
}

CAxisRangeWindow::CAxisRangeWindow(NotificationCenter* center)
    : mCenter(center ? center : &NotificationCenter::defaultCenter()) {}

CAxisRangeWindow::~CAxisRangeWindow() {
    mCenter->removeObserver(this);
}

bool CAxisRangeWindow::incrementForWidth(double d, bool downward, double& increment, int& digits) {
    const double sign = (downward && d <= 0) ? -1.0 : 1.0;
    for (const Row& r : kRows) {
        if (sign * d > r.above) {
            increment = sign * r.increment;
            digits = r.digits;
            return true;
        }
    }
    increment = d;
    return false;
}

std::string CAxisRangeWindow::formatValue(float v) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

// ----- Window ------------------------------------------------------------------------------

void CAxisRangeWindow::showWindow(const void* mainWindow) {
    if (!mLoaded) windowDidLoad(mainWindow);
    mVisible = true;
}

void CAxisRangeWindow::windowDidLoad(const void* mainWindow) {
    mLoaded = true;
    setCurrentPlotWindow(mainWindow);
    mCenter->addObserver(this, notifications::windowDidBecomeMain, nullptr,
                         [this](const Notification& n) { mainWindowChanged(n); });
    mCenter->addObserver(this, notifications::windowDidResignMain, nullptr,
                         [this](const Notification&) { setCurrentPlotView(nullptr); });
    for (Stepper& s : mSteppers) {
        s.minValue = -kStepperLimit;
        s.maxValue = kStepperLimit;
    }
    if (mainWindow) mCenter->post(notifications::windowDidBecomeMain, mainWindow);
}

void CAxisRangeWindow::mainWindowChanged(const Notification& n) {
    std::optional<MainWindow> window = mResolver ? mResolver(n.object) : std::nullopt;
    CPlotView* previous = mPlotView;
    mPlotView = window ? window->plotView : nullptr;
    // A refusal belongs to the plot whose range was refused.
    if (mPlotView != previous) mMessage.clear();
    if (mPlotView) {
        takeOldRanges();
        mOrigin = {window->frame.x() + window->frame.width() + 10, window->frame.y() + 10};
    }
    updatePanel();
}

// ----- Current plot ------------------------------------------------------------------------

void CAxisRangeWindow::takeOldRanges() {
    if (!mPlotView) return;
    mPlotView->getXYRange(mOld[0], mOld[1], mOld[2], mOld[3]);
    mOldTicks = {mPlotView->mNbXTicks(), mPlotView->mNbYTicks()};
    mOldDigits = {mPlotView->mXTicksDigits(), mPlotView->mYTicksDigits()};
}

void CAxisRangeWindow::setCurrentPlotView(CPlotView* view) {
    mPlotView = view;
    takeOldRanges();
    mMessage.clear();
    updatePanel();
}

void CAxisRangeWindow::setCurrentPlotWindow(const void* window) {
    std::optional<MainWindow> w = (mResolver && window) ? mResolver(window) : std::nullopt;
    CPlotView* previous = mPlotView;
    mPlotView = w ? w->plotView : nullptr;
    // A refusal belongs to the plot whose range was refused.
    if (mPlotView != previous) mMessage.clear();
    takeOldRanges();
    updatePanel();
}

void CAxisRangeWindow::forgetPlotView(const CPlotView* view) {
    if (!view || view != mPlotView) return;
    mPlotView = nullptr;
    // The panel edits that plot's ranges: it closes with it rather than staying on screen
    // with nothing to edit.
    mMessage.clear();
    orderOut();
    updatePanel();
}

void CAxisRangeWindow::enableControls(bool enabled) {
    for (TextField& f : mFields) f.enabled = enabled;
    for (Stepper& s : mSteppers) s.enabled = enabled;
    mButtonsEnabled.fill(enabled);
}

void CAxisRangeWindow::updatePanel() {
    if (!mLoaded) return;
    if (!mPlotView) {
        enableControls(false);
        return;
    }
    enableControls(true);
    float r[4];
    mPlotView->getXYRange(r[0], r[1], r[2], r[3]);
    double xIncrement, yIncrement;
    int digits = 0;
    if (incrementForWidth(static_cast<double>(r[1]) - r[0], false, xIncrement, digits))
        mPlotView->setMXTicksDigits(digits);
    if (incrementForWidth(static_cast<double>(r[3]) - r[2], true, yIncrement, digits))
        mPlotView->setMYTicksDigits(digits);
    for (int i = 0; i < kStepperCount; ++i) {
        Stepper& s = mSteppers[static_cast<std::size_t>(i)];
        s.increment = i < 2 ? xIncrement : yIncrement;
        mFields[static_cast<std::size_t>(i)].text = formatValue(r[i]);
        s.value = std::clamp(static_cast<double>(r[i]), s.minValue, s.maxValue);
    }
    mFields[kXTicks].text = std::to_string(mPlotView->mNbXTicks());
    mFields[kYTicks].text = std::to_string(mPlotView->mNbYTicks());
}

void CAxisRangeWindow::setStepperValue(Field f, double value) {
    Stepper& s = mSteppers.at(f);
    if (std::isnan(value)) return;
    s.value = std::clamp(value, s.minValue, s.maxValue);
}

// ----- Actions -----------------------------------------------------------------------------

bool CAxisRangeWindow::refuse(std::string message) {
    mMessage = std::move(message);
    return false;
}

bool CAxisRangeWindow::onChangeCoordinates() {
    if (!mPlotView) return refuse("No plot is current.");
    float v[4];
    for (int i = 0; i < 4; ++i) {
        std::optional<float> parsed = parseFloat(mFields[static_cast<std::size_t>(i)].text);
        if (!parsed)
            return refuse(std::string("The ") + kFieldNames[i] + " is not a number: \"" +
                          mFields[static_cast<std::size_t>(i)].text + "\".");
        v[i] = *parsed;
    }
    float d[4];
    mPlotView->getDefaultXYRange(d[0], d[1], d[2], d[3]);
    for (int axis = 0; axis < 2; ++axis) {
        const float lo = v[2 * axis], hi = v[2 * axis + 1];
        const char* name = axis == 0 ? "x" : "y";
        if (lo == hi)
            return refuse(std::string("The ") + name +
                          " range is empty: its minimum and maximum are both " + formatValue(lo) +
                          ".");
        // The plot's default range tells which way its axis runs.
        const float dLo = d[2 * axis], dHi = d[2 * axis + 1];
        const bool upward = dHi > dLo, downward = dHi < dLo;
        if ((upward && lo > hi) || (downward && lo < hi))
            return refuse(std::string("The ") + name + " range runs the wrong way: the minimum " +
                          formatValue(lo) + " is " + (upward ? "above" : "below") +
                          " the maximum " + formatValue(hi) + ", but the axis runs " +
                          (upward ? "upward." : "downward."));
    }
    int ticks[2];
    for (int i = 0; i < 2; ++i) {
        const std::string& text = mFields[static_cast<std::size_t>(kXTicks + i)].text;
        std::optional<int> n = parseInt(text);
        if (!n || *n < kMinTicks || *n > kMaxTicks)
            return refuse(std::string("The ") + kFieldNames[kXTicks + i] +
                          " must be a whole number from " + std::to_string(kMinTicks) + " to " +
                          std::to_string(kMaxTicks) + ", not \"" + text + "\".");
        ticks[i] = *n;
    }
    // No more than the plot can show: a bound past its maximum range is taken as the limit.
    float m[4];
    mPlotView->getMaxXYRange(m[0], m[1], m[2], m[3]);
    for (int axis = 0; axis < 2; ++axis) {
        float& lo = v[2 * axis];
        float& hi = v[2 * axis + 1];
        const float least = std::min(m[2 * axis], m[2 * axis + 1]);
        const float most = std::max(m[2 * axis], m[2 * axis + 1]);
        lo = std::clamp(lo, least, most);
        hi = std::clamp(hi, least, most);
        if (lo == hi)
            return refuse(std::string("The ") + (axis == 0 ? "x" : "y") +
                          " range lies outside the plot's maximum range, " + formatValue(least) +
                          " to " + formatValue(most) + ".");
        PlotAxis::widenToResolvable(lo, hi, least, most);
    }
    mMessage.clear();
    mPlotView->setTicksNumber(ticks[0], ticks[1]);
    mPlotView->setXYRange(v[0], v[1], v[2], v[3]);
    for (int i = 0; i < 4; ++i) mFields[static_cast<std::size_t>(i)].text = formatValue(v[i]);
    mPlotView->setNeedsDisplay(true);
    return true;
}

bool CAxisRangeWindow::onOKButton() {
    if (!onChangeCoordinates()) return false;
    orderOut();
    return true;
}

void CAxisRangeWindow::onCancelButton() {
    if (mPlotView) {
        mPlotView->setTicksNumber(mOldTicks[0], mOldTicks[1]);
        mPlotView->setTicksDigits(mOldDigits[0], mOldDigits[1]);
        mPlotView->setXYRange(mOld[0], mOld[1], mOld[2], mOld[3]);
        mPlotView->setNeedsDisplay(true);
    }
    mMessage.clear();
    orderOut();
}

void CAxisRangeWindow::onUseMaximumRangeValues() {
    if (mPlotView) mPlotView->onMaximumAxisRanges();
    mMessage.clear();
    updatePanel();
}

void CAxisRangeWindow::onUseDefaultRangeValues() {
    if (mPlotView) mPlotView->onAxisRangesByDefault();
    mMessage.clear();
    updatePanel();
}

bool CAxisRangeWindow::stepInto(Field f) {
    mFields[f].text = formatValue(static_cast<float>(mSteppers.at(f).value));
    return onChangeCoordinates();
}

}  // namespace vornex
