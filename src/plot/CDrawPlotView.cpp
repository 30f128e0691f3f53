#include "plot/CDrawPlotView.h"

namespace vornex {

namespace {
// Horizontal distance between two buttons, and where the status bar begins.
constexpr double kButtonPitch = 26;
constexpr double kStatusX = 130;
constexpr double kPlotGap = 3;
}  // namespace

bool CDrawPlotView::ToolButton::press() const {
    if (!enabled || !action) return false;
    action();
    return true;
}

CDrawPlotView::CDrawPlotView(Rect frame) : mFrame(frame) {}

CDrawPlotView::~CDrawPlotView() {
    releasePlot();
}

void CDrawPlotView::releasePlot() {
    if (!mPlotView) return;
    mPlotView->setDrawPlotView(nullptr);
    mPlotView.reset();
}

void CDrawPlotView::setFrame(Rect frame) {
    const double dw = frame.width() - mFrame.width(), dh = frame.height() - mFrame.height();
    mFrame = frame;
    if (mPlotView) {
        const Rect p = mPlotView->frame();
        mPlotView->setFrame(Rect(p.x(), p.y(), p.width() + dw, p.height() + dh));
    }
    if (mHasButtons) {
        const Rect s = mStatus.frame;
        mStatus.frame = Rect(s.x(), s.y(), s.width() + dw, s.height());
    }
}

CPlotView* CDrawPlotView::adopt(std::unique_ptr<CPlotView> plot) {
    releasePlot();
    mPlotView = std::move(plot);
    if (mPlotView) mPlotView->setDrawPlotView(this);
    return mPlotView.get();
}

Rect CDrawPlotView::plotArea() const {
    const Rect r = bounds();
    if (!mHasButtons) return r;
    return Rect(r.x(), r.y() + mButtonOffsety + kPlotGap, r.width(),
                r.height() - mButtonOffsety - kPlotGap);
}

CPlotView* CDrawPlotView::setPlotView(std::unique_ptr<CPlotView> plot) {
    CPlotView* view = adopt(std::move(plot));
    if (view) view->setFrame(plotArea());
    return view;
}

CPlotView* CDrawPlotView::installPlotView(std::unique_ptr<CPlotView> plot) {
    return adopt(std::move(plot));
}

CDrawPlotView::ToolButton CDrawPlotView::makeButton(double x, const char* image, const char* action,
                                                    std::function<void()> perform,
                                                    const char* toolTip) const {
    ToolButton b;
    const Rect r = bounds();
    b.frame = Rect(r.x() + x, r.y(), mButtonOffsety, mButtonOffsety);
    b.image = image;
    b.actionName = action;
    b.action = std::move(perform);
    b.toolTip = toolTip;
    return b;
}

void CDrawPlotView::installButtons() {
    if (mHasButtons) return;
    // The buttons act on whichever plot the host holds when they are pressed.
    auto onPlot = [this](void (CPlotView::*command)()) {
        return [this, command] {
            if (mPlotView) (mPlotView.get()->*command)();
        };
    };
    // Every button says what it does: their faces are icons only.
    mZoomIn = makeButton(0, "biggerUp", "onZoomIn:", onPlot(&CPlotView::onZoomIn), kZoomInHint);
    mZoomOut = makeButton(kButtonPitch, "smallerUp", "onZoomOut:", onPlot(&CPlotView::onZoomOut),
                          kZoomOutHint);
    mGrid = makeButton(2 * kButtonPitch, "grid", "onShowGrid:", onPlot(&CPlotView::onShowGrid),
                       "To show or hide the grid");
    mReset = makeButton(3 * kButtonPitch, "resetOff",
                        "onAxisRangesByDefault:", onPlot(&CPlotView::onAxisRangesByDefault),
                        "To return to the axis ranges by default");
    mAxis = makeButton(4 * kButtonPitch, "axis",
                       "onShowAxisRangePanel:", onPlot(&CPlotView::onShowAxisRangePanel),
                       "To set the axes ranges");

    const Rect r = bounds();
    mStatus.frame = Rect(r.x() + kStatusX, r.y(), r.width() - kStatusX, mButtonOffsety);
    mStatus.editable = false;
    mStatus.selectable = true;
    mStatus.toolTip = "The status bar";
    mHasButtons = true;
    // Zooming needs a rectangle dragged on the plot: until there is one the zoom buttons are
    // off and say how to get one, rather than offered and doing nothing.
    setEnabledZoomingControls(mPlotView && !mPlotView->trackingRect().isZero());
    if (mPlotView) mPlotView->setFrame(plotArea());
}

void CDrawPlotView::setEnabledZoomingControls(bool enabled) {
    if (!mHasButtons) return;
    mZoomIn.enabled = mZoomOut.enabled = enabled;
    mZoomIn.toolTip = enabled ? kZoomInHint : kZoomDisabledHint;
    mZoomOut.toolTip = enabled ? kZoomOutHint : kZoomDisabledHint;
}

void CDrawPlotView::updateGridButton(bool shown) {
    if (mHasButtons) mGrid.state = shown ? 1 : 0;
}

void CDrawPlotView::setStatusMessage(const std::string& message) {
    if (mHasButtons) mStatus.text = message;
}

}  // namespace vornex
