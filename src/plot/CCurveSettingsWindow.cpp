#include "plot/CCurveSettingsWindow.h"

#include "plot/CGraphCurve.h"

namespace vornex {

CCurveSettingsWindow& CCurveSettingsWindow::sharedCurvesSettingsCtroller() {
    static CCurveSettingsWindow shared;
    return shared;
}

void CCurveSettingsWindow::setGraphCurve(CGraphCurve* curve) {
    handOver(curve);
    if (curve) mThicknessItem = itemOfFactor(oldToolSizeFactor(), kThicknessItems, mThicknessItem);
}

CGraphCurve* CCurveSettingsWindow::graphCurve() const {
    return static_cast<CGraphCurve*>(editedObject());
}

void CCurveSettingsWindow::onChangeThickness() {
    CGraphCurve* curve = graphCurve();
    if (!curve) return;
    if (mThicknessItem >= 0 && mThicknessItem < kThicknessItems)
        curve->setToolSizeFactor(static_cast<float>(mThicknessItem + 1));
    redraw();
}

void CCurveSettingsWindow::onCancelButton() {
    if (CGraphCurve* curve = graphCurve()) {
        restoreOldStyle(*curve);
        redraw();
    }
    closePanel();
}

}  // namespace vornex
