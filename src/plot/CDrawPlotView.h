// CDrawPlotView: the frame one x–y plot lives in. It owns the plot, and once its buttons are
// installed shows a row of five image buttons along its bottom edge (zoom in, zoom out, grid,
// default ranges, axis-range panel) with a one-line status bar to their right; the plot fills
// the rest. Button presses go to the plot; the plot enables the zoom buttons, sets the grid
// button and writes the status bar through the host (PlotHost). A window toolkit shows the
// buttons and status bar held here. Frames are in the host's coordinates (origin lower left).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Geometry.h"
#include "plot/CPlotView.h"
#include "plot/PlotServices.h"

namespace vornex {

class CDrawPlotView : public PlotHost {
   public:
    struct ToolButton {
        Rect frame;
        std::string image;
        std::string actionName;
        std::string toolTip;
        bool enabled = true;
        int state = 0;  // 1 on, 0 off
        std::function<void()> action;
        // A click: performs the action when the button is enabled; returns whether it did.
        bool press() const;
    };
    struct StatusBar {
        Rect frame;
        std::string text;
        std::string toolTip;
        bool editable = false;
        bool selectable = true;
    };

    static constexpr const char* kZoomInHint = "To zoom in the rectangular area";
    static constexpr const char* kZoomOutHint = "To zoom out of the rectangular area.";
    static constexpr const char* kZoomDisabledHint =
        "Disabled. To enable it, press and drag the mouse on the plot to delimit the area to "
        "zoom.";

    explicit CDrawPlotView(Rect frame);
    // Destroys the plot (which the shared panels then forget).
    ~CDrawPlotView() override;
    CDrawPlotView(const CDrawPlotView&) = delete;
    CDrawPlotView& operator=(const CDrawPlotView&) = delete;

    Rect frame() const { return mFrame; }
    Rect bounds() const { return Rect({0, 0}, mFrame.size); }
    // A new size: the plot and the status bar follow the width (and the plot the height);
    // the buttons keep their place at the lower left.
    void setFrame(Rect frame);

    // Takes the plot, fits it to the host's bounds (above the buttons once they exist) and
    // makes the host its host. A plot already there is replaced (and destroyed). Returns the
    // plot.
    CPlotView* setPlotView(std::unique_ptr<CPlotView> plot);
    // The same for a plot that keeps its own frame (a plot opened in a window of its own).
    // A plot is fitted to the host in either case once the buttons are installed.
    CPlotView* installPlotView(std::unique_ptr<CPlotView> plot);
    CPlotView* plotView() const { return mPlotView.get(); }

    // Creates the buttons and the status bar and shrinks the plot above them. Once only;
    // later calls change nothing.
    void installButtons();
    bool hasButtons() const { return mHasButtons; }
    const ToolButton& zoomInButton() const { return mZoomIn; }
    const ToolButton& zoomOutButton() const { return mZoomOut; }
    const ToolButton& gridButton() const { return mGrid; }
    const ToolButton& resetButton() const { return mReset; }
    const ToolButton& axisButton() const { return mAxis; }
    const StatusBar& statusBar() const { return mStatus; }

    // PlotHost: what the plot tells its host. Nothing happens before installButtons.
    void setEnabledZoomingControls(bool enabled) override;
    void updateGridButton(bool shown) override;
    void setStatusMessage(const std::string& message) override;

   private:
    CPlotView* adopt(std::unique_ptr<CPlotView> plot);
    // Where the plot goes: the bounds, less the button row once there is one.
    Rect plotArea() const;
    void releasePlot();
    ToolButton makeButton(double x, const char* image, const char* action,
                          std::function<void()> perform, const char* toolTip) const;

    Rect mFrame;
    std::unique_ptr<CPlotView> mPlotView;
    bool mHasButtons = false;
    ToolButton mZoomIn, mZoomOut, mGrid, mReset, mAxis;
    StatusBar mStatus;
    float mButtonOffsety = 22.0f;
};

}  // namespace vornex
