// Context menus and object commands of CPlotView: axis and font settings, thickness, marker
// size and colour of the selected object, settings panels and curve exports.
#include <typeinfo>

#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"
#include "plot/CPlotView.h"

namespace vornex {

namespace {
// The smallest marker "Decrease size" steps down to: below it a marker shrinks to nothing, can
// no longer be clicked, and past that grows again.
constexpr float kSmallestMarkerFactor = 1.0f;

bool canDecrease(const CGraphObject& object) {
    return object.getToolSizeFactor() - 1.0f >= kSmallestMarkerFactor;
}
}  // namespace

void CPlotView::buildMenus() {
    auto validator = [this](MenuItem& item) { return validateMenuItem(item); };
    auto make = [&validator](const char* title) {
        auto menu = std::make_unique<Menu>(title);
        menu->setAutoenablesItems(true);
        menu->setValidator(validator);
        return menu;
    };

    mPlotMenu = make("Plot");
    Menu& plot = *mPlotMenu;
    plot.addItem("Zoom in", "onZoomIn:", [this] { onZoomIn(); });
    plot.addItem("Zoom out", "onZoomOut:", [this] { onZoomOut(); });
    plot.addItem("Set Axis ranges...", "onShowAxisRangePanel:", [this] { onShowAxisRangePanel(); });
    plot.addItem("Axis ranges by default...",
                 "onAxisRangesByDefault:", [this] { onAxisRangesByDefault(); });
    plot.addItem("Axis label font...", "onLabelFontSettings:", [this] { onLabelFontSettings(); });
    plot.addItem("Axis graduation font...",
                 "onGraduationFontSettings:", [this] { onGraduationFontSettings(); });
    plot.addItem("Logarithmic X axis", "onToggleShowLogX:", [this] { onToggleShowLogX(); });
    plot.addItem("Logarithmic Y axis", "onToggleShowLogY:", [this] { onToggleShowLogY(); });
    plot.addSeparator();
    plot.addItem("Save as PDF...", "onPrintPlot:", [this] { onPrintPlot(); });
    plot.addSeparator();
    plot.addItem("Open in a new window...",
                 "onOpenNewPlotWindow:", [this] { onOpenNewPlotWindow(); });

    mCurvesMenu = make("Curves");
    Menu& curves = *mCurvesMenu;
    curves.addItem("Normal thickness", "onNormalThickness:", [this] { onNormalThickness(); });
    curves.addItem("Double thickness", "onDoubleThickness:", [this] { onDoubleThickness(); });
    curves.addItem("Triple thickness", "onTripleThickness:", [this] { onTripleThickness(); });
    curves.addSeparator();
    curves.addItem("Color...", "onGraphObjectColor:", [this] { onGraphObjectColor(); });
    curves.addSeparator();
    curves.addItem("Settings panel...",
                   "onCurvesSettingsPanel:", [this] { onCurvesSettingsPanel(); });
    curves.addSeparator();
    curves.addItem("Save to ASCII data file...",
                   "onExportCurveData:", [this] { onExportCurveData(); });
    curves.addItem("Save to Igor data file...",
                   "onExportIgorData:", [this] { onExportIgorData(); });

    mPointsMenu = make("Points");
    Menu& points = *mPointsMenu;
    points.addItem("Increase size", "onIncreasePointSize:", [this] { onIncreasePointSize(); });
    points.addItem("Decrease size", "onDecreasePointSize:", [this] { onDecreasePointSize(); });
    points.addSeparator();
    points.addItem("Color...", "onGraphObjectColor:", [this] { onGraphObjectColor(); });
    points.addSeparator();
    points.addItem("Settings panel...",
                   "onPointsSettingsPanel:", [this] { onPointsSettingsPanel(); });

    mFontsMenu = make("Texts");
    mFontsMenu->addItem("Font", "onGraphObjectFont:", [this] { onGraphObjectFont(); });
}

Menu* CPlotView::menuForEvent(const MouseEvent& event) {
    // The menu acts on the object under the mouse; the selection mark, which shows the point
    // the state was taken from, stays where it was.
    const float x = mSelectedPointX, y = mSelectedPointY;
    const bool markShown = mIsSelectingPointVisible;
    testClickedGraphObject(event);
    mSelectedPointX = x;
    mSelectedPointY = y;
    mIsSelectingPointVisible = markShown;
    Menu* menu = nullptr;
    if (!mSelectedObject) {
        menu = mPlotMenu.get();
    } else {
        const std::type_info& kind = typeid(*mSelectedObject);
        if (kind == typeid(CGraphCurve))
            menu = mCurvesMenu.get();
        else if (kind == typeid(CGraphPoint) || kind == typeid(CGraphPointCurve))
            menu = mPointsMenu.get();
    }
    if (menu) menu->update();
    return menu;
}

bool CPlotView::validateMenuItem(MenuItem& item) const {
    const std::string& action = item.actionName();
    if (action == "onZoomIn:" || action == "onZoomOut:") return !mTrackingRect.isZero();
    if (action == "onToggleShowLogX:" || action == "onToggleShowLogY:") {
        bool on = action == "onToggleShowLogX:" ? mShowLogX : mShowLogY;
        item.setState(on ? MenuItem::State::On : MenuItem::State::Off);
        return true;
    }
    if (action == "onShowGrid:") {
        item.setTitle(mDrawGrid ? "Hide Grid" : "Show Grid");
        return true;
    }
    if (action == "onAxisRangesByDefault:")
        return mCurMinX != mMinX || mCurMaxX != mMaxX || mCurMinY != mMinY || mCurMaxY != mMaxY;
    float factor = 0.0f;
    if (action == "onNormalThickness:") factor = 1.0f;
    if (action == "onDoubleThickness:") factor = 2.0f;
    if (action == "onTripleThickness:") factor = 3.0f;
    if (factor != 0.0f && mSelectedObject) return mSelectedObject->getToolSizeFactor() != factor;
    if (action == "onDecreasePointSize:") return mSelectedObject && canDecrease(*mSelectedObject);
    return true;
}

void CPlotView::onShowAxisRangePanel() {
    PlotServices::shared().showAxisRangePanel(*this);
}

void CPlotView::onLabelFontSettings() {
    mEditedFont = kLabelsFont;
    openFontPanel();
}

void CPlotView::onGraduationFontSettings() {
    mEditedFont = kTicksFont;
    openFontPanel();
}

void CPlotView::onGraphObjectFont() {
    mEditedFont = kLegendsFont;
    openFontPanel();
}

TextAttributes& CPlotView::attributesFor(int which) {
    if (which == kTicksFont) return mTicksAttributes;
    if (which == kLegendsFont) return mLegendsAttributes;
    return mLabelsAttributes;
}

void CPlotView::openFontPanel() {
    PlotServices::shared().showFontPanel(attributesFor(mEditedFont).font);
}

void CPlotView::changeFont(const std::function<Font(const Font&)>& convert) {
    doChangeFont(convert(attributesFor(mEditedFont).font), mEditedFont);
}

void CPlotView::doChangeFont(const Font& font, int which) {
    TextAttributes& attributes = attributesFor(which);
    const Font old = attributes.font;
    const char* name = which == kTicksFont     ? "Changes of Ticks Font"
                       : which == kLegendsFont ? "Changes of Legends Font"
                                               : "Changes Of Labels Font";
    registerUndo(name, [this, old, which] { doChangeFont(old, which); });
    attributes = TextAttributes(font);
    if (which == kLabelsFont) {
        mXLabelText.setAttributes(mLabelsAttributes);
        mYLabelText.setAttributes(mLabelsAttributes);
    }
    setNeedsDisplay(true);
}

void CPlotView::onShowGrid() {
    mDrawGrid = !mDrawGrid;
    setNeedsDisplay(true);
    if (mHost) mHost->updateGridButton(mDrawGrid);
}

void CPlotView::setThickness(float factor) {
    CGraphObject* object = mSelectedObject;
    if (!object) return;
    doChangeToolSizeFactor(factor, object);
    object->setSize(factor);
}

void CPlotView::doChangeToolSizeFactor(float factor, CGraphObject* object) {
    if (!object) return;
    const float old = object->getToolSizeFactor();
    const std::uint64_t serial = object->serial();
    registerUndo("Change Of Line Thickness", [this, object, serial, old] {
        if (CGraphObject* live = liveObject(object, serial)) doChangeToolSizeFactor(old, live);
    });
    object->setToolSizeFactor(factor);
    setNeedsDisplay(true);
}

void CPlotView::onIncreasePointSize() {
    if (mSelectedObject) doIncreasePointSizeOf(mSelectedObject);
}

void CPlotView::onDecreasePointSize() {
    if (mSelectedObject && canDecrease(*mSelectedObject)) doDecreasePointSizeOf(mSelectedObject);
}

void CPlotView::doIncreasePointSizeOf(CGraphObject* object) {
    if (!object) return;
    const std::uint64_t serial = object->serial();
    registerUndo("Increase Of Marker Size", [this, object, serial] {
        if (CGraphObject* live = liveObject(object, serial)) doDecreasePointSizeOf(live);
    });
    object->increaseToolSizeFactor();
    setNeedsDisplay(true);
}

void CPlotView::doDecreasePointSizeOf(CGraphObject* object) {
    if (!object) return;
    const std::uint64_t serial = object->serial();
    registerUndo("Decrease Of Marker Size", [this, object, serial] {
        if (CGraphObject* live = liveObject(object, serial)) doIncreasePointSizeOf(live);
    });
    object->decreaseToolSizeFactor();
    setNeedsDisplay(true);
}

void CPlotView::onGraphObjectColor() {
    Color current = Color::black();
    if (mSelectedObject && mSelectedObject->color()) current = *mSelectedObject->color();
    PlotServices::shared().showColorPanel(current);
}

void CPlotView::changeColor(const Color& color, bool panelVisible) {
    if (!mSelectedObject || !panelVisible) return;
    mSelectedObject->setColor(color);
    setNeedsDisplay(true);
}

void CPlotView::onCurvesSettingsPanel() {
    if (auto* curve = dynamic_cast<CGraphCurve*>(mSelectedObject))
        PlotServices::shared().showCurveSettingsPanel(*this, *curve);
}

void CPlotView::onPointsSettingsPanel() {
    if (mSelectedObject) PlotServices::shared().showPointSettingsPanel(*this, *mSelectedObject);
}

bool CPlotView::onExportCurveData() {
    auto* curve = dynamic_cast<CGraphCurve*>(mSelectedObject);
    return curve && curve->exportCurveData();
}

bool CPlotView::onExportIgorData() {
    auto* curve = dynamic_cast<CGraphCurve*>(mSelectedObject);
    return curve && curve->exportToIgor();
}

}  // namespace vornex
