#include "plot/CPointSettingsWindow.h"

#include "plot/CGraphObject.h"

namespace vornex {

CPointSettingsWindow& CPointSettingsWindow::sharedPointsSettingsCtroller() {
    static CPointSettingsWindow shared;
    return shared;
}

void CPointSettingsWindow::setGraphObject(CGraphObject* object) {
    handOver(object);
    if (!object) return;
    mOldMarkerType = object->selector();
    mSizeItem = itemOfFactor(oldToolSizeFactor(), kSizeItems, mSizeItem);
    const int markerItem = mOldMarkerType - 1;
    mMarkerItem = (markerItem >= 0 && markerItem < kMarkerItems) ? markerItem : -1;
}

void CPointSettingsWindow::onChangeMarkerType() {
    CGraphObject* object = graphObject();
    if (!object || mMarkerItem < 0 || mMarkerItem >= kMarkerItems) return;
    object->setSelector(mMarkerItem + 1);
    redraw();
}

void CPointSettingsWindow::onChangeMarkerSize() {
    CGraphObject* object = graphObject();
    if (!object) return;
    const bool valid = mSizeItem >= 0 && mSizeItem < kSizeItems;
    object->setToolSizeFactor(valid ? static_cast<float>(mSizeItem + 1) : 1.0f);
    redraw();
}

void CPointSettingsWindow::onCancelButton() {
    if (CGraphObject* object = graphObject()) {
        restoreOldStyle(*object);
        object->setSelector(mOldMarkerType);
        redraw();
    }
    closePanel();
}

}  // namespace vornex
