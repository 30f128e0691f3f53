// What a plot view needs from the window toolkit around it, as two interfaces the toolkit
// implements: PlotHost, the frame a plot lives in (status line, zoom and grid buttons), and
// PlotServices, the application-wide panels and choosers (save panel, font and colour panels,
// axis-range and settings panels, new windows) and the place failures are reported. Without
// a toolkit the shared services have no panels: every save panel is cancelled and failures
// go to the platform log.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Color.h"
#include "platform/Font.h"

namespace vornex {

class CPlotView;
class CGraphObject;
class CGraphCurve;

class PlotHost {
   public:
    virtual ~PlotHost() = default;
    virtual void setStatusMessage(const std::string& message) = 0;
    virtual void setEnabledZoomingControls(bool enabled) = 0;
    virtual void updateGridButton(bool shown) = 0;
};

class PlotServices {
   public:
    virtual ~PlotServices() = default;

    // The services in use; setShared(nullptr) restores the toolkit-free ones.
    static PlotServices& shared();
    static void setShared(PlotServices* services);

    // Runs a save panel proposing `proposedName` for files of `fileType` ("pdf", "txt",
    // "itx"); the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> runSavePanel(const std::string& proposedName,
                                                    const std::string& fileType);
    // A failure the user should learn of (a file that could not be written).
    virtual void reportError(const std::string& message);

    // The shared axis-range panel: shown for a plot, refreshed after its ranges change.
    virtual void showAxisRangePanel(CPlotView& view);
    virtual bool isAxisRangePanelVisible() const { return false; }
    virtual void updateAxisRangePanel() {}
    // The shared curve and point settings panels, run modally on an object of the plot.
    virtual void showCurveSettingsPanel(CPlotView& view, CGraphCurve& curve);
    virtual void showPointSettingsPanel(CPlotView& view, CGraphObject& object);
    // The shared font panel, showing the font being edited; the chosen font comes back
    // through CPlotView::changeFont.
    virtual void showFontPanel(const Font& font);
    // The shared colour panel; a colour chosen comes back through CPlotView::changeColor.
    virtual void showColorPanel(const Color& color);
    virtual bool isColorPanelVisible() const { return false; }
    virtual void setColorPanelColor(const Color&) {}
    // Shows a plot in a window of its own, which then owns it.
    virtual void openPlotWindow(std::unique_ptr<CPlotView> view);
};

}  // namespace vornex
