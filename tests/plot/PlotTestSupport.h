// Stand-ins for the window around a plot view (host, panels, save panel), a fixture that
// builds a view with its own undo manager and notification centre, and small readers of what
// the views draw, log and write.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "numerics/TextCapture.h"
#include "platform/Event.h"
#include "platform/KeyedArchiver.h"
#include "platform/NotificationCenter.h"
#include "platform/PlatformLog.h"
#include "platform/PngPixels.h"
#include "platform/RecordingCanvas.h"
#include "platform/UndoManager.h"
#include "platform/UserDefaults.h"
#include "plot/CPlotView.h"
#include "plot/PlotServices.h"

namespace vornex::test {

// The first text operation drawing `text`, or null.
inline const RecordedOperation* findText(const RecordingCanvas& c, const std::string& text) {
    for (const RecordedOperation& op : c.operations())
        if (op.kind == RecordedOperation::Kind::Text && op.text == text) return &op;
    return nullptr;
}

// The messages logged while `run` runs.
template <class F>
std::vector<std::string> loggedBy(F run) {
    std::vector<std::string> logged;
    LogSink previous = setLogSink([&logged](const std::string& m) { logged.push_back(m); });
    run();
    setLogSink(previous);
    return logged;
}

// Current and default ranges of a view: x min, x max, y min, y max.
inline std::vector<float> rangeOf(const CPlotView& v) {
    float a, b, c, d;
    v.getXYRange(a, b, c, d);
    return {a, b, c, d};
}
inline std::vector<float> defaultRangeOf(const CPlotView& v) {
    float a, b, c, d;
    v.getDefaultXYRange(a, b, c, d);
    return {a, b, c, d};
}

// Legend position of a view: x, y.
inline std::vector<float> legendOf(const CPlotView& v) {
    float x, y;
    v.mLegend().getPosition(x, y);
    return {x, y};
}

class FakeHost : public PlotHost {
   public:
    void setStatusMessage(const std::string& message) override { status = message; }
    void setEnabledZoomingControls(bool enabled) override { zoomEnabled = enabled; }
    void updateGridButton(bool shown) override { gridShown = shown; }

    std::string status;
    bool zoomEnabled = false;
    bool gridShown = false;
};

class FakeServices : public PlotServices {
   public:
    std::optional<std::string> runSavePanel(const std::string& proposedName,
                                            const std::string& fileType) override {
        proposals.push_back(proposedName);
        fileTypes.push_back(fileType);
        return savePath;
    }
    void reportError(const std::string& message) override { errors.push_back(message); }
    void showCurveSettingsPanel(CPlotView&, CGraphCurve&) override { ++curvePanels; }
    void showPointSettingsPanel(CPlotView&, CGraphObject&) override { ++pointPanels; }
    void showFontPanel(const Font& font) override { fontShown = font; }
    void showColorPanel(const Color& color) override { colorShown = color; }
    void openPlotWindow(std::unique_ptr<CPlotView> view) override { window = std::move(view); }

    std::optional<std::string> savePath;
    std::vector<std::string> proposals;
    std::vector<std::string> fileTypes;
    std::vector<std::string> errors;
    int curvePanels = 0;
    int pointPanels = 0;
    std::optional<Font> fontShown;
    std::optional<Color> colorShown;
    std::unique_ptr<CPlotView> window;
};

inline MouseEvent mouse(MouseEvent::Type type, Point p, int clicks = 1,
                        std::uint32_t modifiers = 0) {
    MouseEvent e;
    e.type = type;
    e.location = p;
    e.clickCount = clicks;
    e.modifierFlags = modifiers;
    return e;
}

// A 400 × 300 plot with no user defaults, its own undo manager, notification centre, host
// and panels; counts the notifications it posts.
class PlotFixture : public ::testing::Test {
   protected:
    void SetUp() override {
        PlotServices::setShared(&services);
        view = std::make_unique<CPlotView>(Rect(0, 0, 400, 300), &noDefaults);
        view->setUndoManager(&undo);
        view->setNotificationCenter(&center);
        view->setDrawPlotView(&host);
        center.addObserver(this, notifications::axisPlotChanged, nullptr,
                           [this](const Notification&) { ++axisChanges; });
        center.addObserver(this, notifications::plotSelection, nullptr,
                           [this](const Notification&) {
                               ++selections;
                               shiftAtSelection = view->selectionKeyShift();
                           });
    }
    void TearDown() override {
        view.reset();
        PlotServices::setShared(nullptr);
    }

    // Draws once so that the margins and the transform are those of a real drawing.
    void draw() {
        RecordingCanvas canvas(view->bounds().size);
        view->drawRect(canvas);
    }
    // A press at `from`, drags through `path`, a release at the last point.
    void drag(Point from, const std::vector<Point>& path, int clicks = 1,
              std::uint32_t modifiers = 0) {
        QueuedMouseEvents events;
        for (size_t i = 0; i + 1 < path.size(); ++i) events.drag(path[i]);
        events.release(path.empty() ? from : path.back());
        view->mouseDown(mouse(MouseEvent::Type::Down, from, clicks, modifiers), events);
    }
    void click(Point at, int clicks = 1, std::uint32_t modifiers = 0) {
        drag(at, {}, clicks, modifiers);
    }
    Point viewPoint(float x, float y) const { return {view->getXValue(x), view->getYValue(y)}; }

    UserDefaults noDefaults{""};
    UndoManager undo;
    NotificationCenter center;
    FakeHost host;
    FakeServices services;
    std::unique_ptr<CPlotView> view;
    int axisChanges = 0;
    int selections = 0;
    bool shiftAtSelection = false;
};

// An object written to a keyed archive and read back into `out`; false where either fails.
template <class T>
bool roundTrip(const T& in, T& out) {
    KeyedArchiver archiver;
    archiver.encodeObject("root", in);
    KeyedUnarchiver reader(archiver.encodedData());
    return reader.ok() && reader.decodeObject("root", out);
}

}  // namespace vornex::test
