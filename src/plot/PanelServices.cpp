#include "plot/PanelServices.h"

#include "plot/CAxisRangeWindow.h"
#include "plot/CCurveSettingsWindow.h"
#include "plot/CPointSettingsWindow.h"

namespace vornex {

namespace {

// Shows a settings panel on an object of the plot and runs its modal session.
template <class Panel, class Object>
void runModally(Panel& panel, CPlotView& view, void (Panel::*handOver)(Object*), Object& object) {
    panel.showWindow();
    panel.setPlotView(&view);
    (panel.*handOver)(&object);
    panel.startModalSession();
}

}  // namespace

void PanelServices::showAxisRangePanel(CPlotView& view) {
    CAxisRangeWindow& panel = CAxisRangeWindow::sharedAxisRangeWindowCtroller();
    panel.showWindow();
    panel.setCurrentPlotView(&view);
}

bool PanelServices::isAxisRangePanelVisible() const {
    return CAxisRangeWindow::sharedAxisRangeWindowCtroller().isVisible();
}

void PanelServices::updateAxisRangePanel() {
    CAxisRangeWindow::sharedAxisRangeWindowCtroller().updatePanel();
}

void PanelServices::showCurveSettingsPanel(CPlotView& view, CGraphCurve& curve) {
    runModally(CCurveSettingsWindow::sharedCurvesSettingsCtroller(), view,
               &CCurveSettingsWindow::setGraphCurve, curve);
}

void PanelServices::showPointSettingsPanel(CPlotView& view, CGraphObject& object) {
    runModally(CPointSettingsWindow::sharedPointsSettingsCtroller(), view,
               &CPointSettingsWindow::setGraphObject, object);
}

}  // namespace vornex
