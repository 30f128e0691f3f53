// PanelServices: the plot services that route a plot's requests for the shared panels to the
// panel models of this library (the axis-range panel and the curve and point settings
// panels). A window toolkit derives from it, adds its save, font and colour panels and shows
// the panels' windows; the panels' state and logic stay here.
#pragma once

#include "plot/PlotServices.h"

namespace vornex {

class PanelServices : public PlotServices {
   public:
    // Shows the axis-range panel and makes the plot current.
    void showAxisRangePanel(CPlotView& view) override;
    bool isAxisRangePanelVisible() const override;
    void updateAxisRangePanel() override;
    // Shows the settings panel for the object and runs its modal session.
    void showCurveSettingsPanel(CPlotView& view, CGraphCurve& curve) override;
    void showPointSettingsPanel(CPlotView& view, CGraphObject& object) override;
};

}  // namespace vornex
