#include "plot/CSettingsWindow.h"

#include "plot/CPlotView.h"

namespace vornex {

void CSettingsWindow::startModalSession() {
    mVisible = true;
    mModal = true;
    if (mRunner) mRunner(*this);
}

void CSettingsWindow::closePanel() {
    mModal = false;
    mVisible = false;
}

void CSettingsWindow::windowWillClose() {
    closePanel();
    if (mCloseColorPanel) mCloseColorPanel();
}

void CSettingsWindow::forgetPlotView(const CPlotView* view) {
    if (!view || view != mPlotView) return;
    mPlotView = nullptr;
    mObject = nullptr;
    // Nothing is left to edit: the panel closes, its session ends.
    if (mVisible || mModal) windowWillClose();
}

CGraphObject* CSettingsWindow::editedObject() const {
    if (!mObject) return nullptr;
    // By address and serial: an object made after the edited one was destroyed may sit at
    // its address, and must not receive its edits.
    if (mPlotView) return mPlotView->liveObject(mObject, mSerial);
    return mObject;
}

void CSettingsWindow::handOver(CGraphObject* object) {
    mObject = object;
    mSerial = object ? object->serial() : 0;
    if (!object) return;
    mOldToolSizeFactor = object->getToolSizeFactor();
    mOldForeColor = object->color();
    mForeColorWell = object->color().value_or(Color::black());
}

int CSettingsWindow::itemOfFactor(float factor, int items, int current) {
    for (int item = 0; item < items; ++item)
        if (factor == static_cast<float>(item + 1)) return item;
    return current;
}

void CSettingsWindow::restoreOldStyle(CGraphObject& object) const {
    object.setToolSizeFactor(mOldToolSizeFactor);
    if (mOldForeColor)
        object.setColor(*mOldForeColor);
    else if (object.color())
        object.setColor(Color::black());  // a colour cannot be taken back; black is the default
}

void CSettingsWindow::onChangeColor() {
    if (CGraphObject* object = editedObject()) {
        object->setColor(mForeColorWell);
        redraw();
    }
}

void CSettingsWindow::redraw() const {
    if (mPlotView) mPlotView->setNeedsDisplay(true);
}

}  // namespace vornex
