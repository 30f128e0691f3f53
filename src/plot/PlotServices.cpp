#include "plot/PlotServices.h"

#include "platform/PlatformLog.h"
#include "plot/CPlotView.h"

namespace vornex {

namespace {
PlotServices* installed = nullptr;
}  // namespace

PlotServices& PlotServices::shared() {
    static PlotServices headless;
    return installed ? *installed : headless;
}

void PlotServices::setShared(PlotServices* services) {
    installed = services;
}

std::optional<std::string> PlotServices::runSavePanel(const std::string&, const std::string&) {
    return std::nullopt;
}

void PlotServices::reportError(const std::string& message) {
    logMessage(message);
}

void PlotServices::showAxisRangePanel(CPlotView&) {}
void PlotServices::showCurveSettingsPanel(CPlotView&, CGraphCurve&) {}
void PlotServices::showPointSettingsPanel(CPlotView&, CGraphObject&) {}
void PlotServices::showFontPanel(const Font&) {}
void PlotServices::showColorPanel(const Color&) {}
void PlotServices::openPlotWindow(std::unique_ptr<CPlotView>) {}

}  // namespace vornex
