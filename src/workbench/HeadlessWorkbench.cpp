#include "workbench/HeadlessWorkbench.h"

#include "platform/Event.h"
#include "platform/FileCanvas.h"
#include "plot/CLogWindow.h"

namespace vornex {

std::unique_ptr<MyDocument> HeadlessWorkbench::newDocument(const MyDocument::Options& options) {
    auto document = std::make_unique<MyDocument>(options);
    document->windowControllerDidLoadNib();
    return document;
}

std::unique_ptr<MyDocument> HeadlessWorkbench::openDocument(const std::string& path,
                                                            IoResult* result,
                                                            const MyDocument::Options& options) {
    auto document = std::make_unique<MyDocument>(options);
    IoResult read = document->readFromFile(path);
    if (result) *result = read;
    if (!read.ok()) return nullptr;
    document->windowControllerDidLoadNib();
    return document;
}

void HeadlessWorkbench::showTabOf(const Control& c) {
    // A person reaches a panel's field through its tab: the panel is shown first, with what
    // showing it computes, as a click on the tab would.
    if (c.tab.empty()) return;
    const std::vector<std::string>& ids = mDocument.tabView().identifiers;
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (ids[i] == c.tab && static_cast<int>(i) != mDocument.tabView().selected)
            mDocument.selectTabViewItemAtIndex(static_cast<int>(i));
}

bool HeadlessWorkbench::send(const std::string& control, const std::function<void(Control&)>& set) {
    Control* c = mDocument.form().find(control);
    if (!c || !c->enabled || !c->editable || c->hidden) return false;
    showTabOf(*c);
    set(*c);
    if (!c->action.empty()) mDocument.performAction(c->action, c);
    return true;
}

bool HeadlessWorkbench::type(const std::string& control, const std::string& text) {
    return send(control, [&](Control& c) { c.setString(text); });
}

bool HeadlessWorkbench::type(const std::string& control, double value) {
    return type(control, formatNumber(value));
}

bool HeadlessWorkbench::step(const std::string& control, double value) {
    return send(control, [&](Control& c) { c.setDouble(value); });
}

bool HeadlessWorkbench::check(const std::string& control, bool on) {
    return send(control, [&](Control& c) { c.state = on ? 1 : 0; });
}

bool HeadlessWorkbench::press(const std::string& control) {
    Control* c = mDocument.form().find(control);
    if (!c || !c->enabled || c->hidden || c->action.empty()) return false;
    showTabOf(*c);
    return mDocument.performAction(c->action, c);
}

bool HeadlessWorkbench::perform(const std::string& action) {
    Menu& menu = mDocument.documentMenu();
    if (menu.itemWithAction(action)) return menu.performAction(action);
    return mDocument.performAction(action);
}

bool HeadlessWorkbench::clickPlot(const std::string& plot, double x, double y, bool shift) {
    CPlotView* view = mDocument.plotNamed(plot);
    if (!view) return false;
    view->calculateCoefficients();
    const Point p{view->getXValue(static_cast<float>(x)), view->getYValue(static_cast<float>(y))};
    MouseEvent down;
    down.location = p;
    down.modifierFlags = shift ? modifiers::shift : 0;
    QueuedMouseEvents followUp;
    followUp.release(p);
    view->mouseDown(down, followUp);
    return true;
}

bool HeadlessWorkbench::clickTernary(double a, double b) {
    CTernaryPlotView& view = mDocument.ternaryView();
    view.placeCorners();
    MouseEvent down;
    down.location = view.viewPointForComposition(a, b);
    return view.mouseDown(down);
}

bool HeadlessWorkbench::selectRow(int row) {
    return mDocument.listView().selectRow(row);
}

bool HeadlessWorkbench::keyDownInList(int keyCode, std::uint32_t modifierFlags) {
    KeyEvent key;
    key.keyCode = keyCode;
    key.modifierFlags = modifierFlags;
    return mDocument.listView().keyDown(key);
}

bool HeadlessWorkbench::editCell(int row, const std::string& column, const PlistValue& value) {
    return mDocument.tableViewSetObjectValue(mDocument.listView(), value, column, row);
}

IoResult HeadlessWorkbench::writePlot(const std::string& plot, const std::string& path) {
    CPlotView* view = mDocument.plotNamed(plot);
    if (!view) return IoResult::failure(IoStatus::OpenFailed, "no plot named " + plot);
    const std::optional<FileFormat> format = fileFormatForPath(path);
    if (!format)
        return IoResult::failure(IoStatus::OpenFailed,
                                 path + ": the extension names no PDF, PNG or SVG file");
    return *format == FileFormat::Pdf ? view->writePdf(path) : view->writeImage(*format, path);
}

IoResult HeadlessWorkbench::writeLog(const std::string& path) {
    return writeFileAtomically(path, CLogWindow::sharedLogWindowCtroller().string());
}

}  // namespace vornex
