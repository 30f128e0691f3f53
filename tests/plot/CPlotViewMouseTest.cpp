#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "PlotTestSupport.h"
#include "plot/CGraphArea.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CPlotView.h"

namespace vornex {
namespace {

using test::rangeOf;

void expectRange(const CPlotView& view, std::vector<float> expected, float tolerance) {
    auto actual = rangeOf(view);
    for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << i;
}

// Synthetic clicks and drags on a 0 ... 100 plot.
class PlotMouse : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        view->setMaxXYRange(-500, 500, -500, 500);
        view->setDefaultXYRange(0, 100, 0, 100);
        view->setLabels("T", "P");
        view->setTicksDigits(1, 1);
        draw();
        axisChanges = 0;
    }
    CGraphCurve* horizontal(const std::string& name, float y) {
        auto* curve = view->add(std::make_unique<CGraphCurve>());
        curve->setName(name);
        curve->addPoint(10, y, false);
        curve->addPoint(90, y, false);
        return curve;
    }
    std::vector<float> legendAt() const { return test::legendOf(*view); }
    // A legend of one curve at (50, 50), drawn; where it is in the view.
    Point showLegendAt50() {
        view->includesIntoLegend(horizontal("c", 10));
        view->setLegendPosition(50, 50);
        draw();
        return viewPoint(50, 50);
    }
};

TEST_F(PlotMouse, DragThenZoomInShowsTheDraggedRangeAndUndoRestoresIt) {
    view->setSelectedPoint(5, 5);
    drag(viewPoint(20, 20), {viewPoint(40, 50), viewPoint(60, 80)});
    EXPECT_FALSE(view->trackingRect().isZero());
    EXPECT_TRUE(host.zoomEnabled);
    EXPECT_EQ(selections, 0);
    EXPECT_FLOAT_EQ(view->selectedPointX(), 5);
    EXPECT_TRUE(view->isSelectionPointVisible());

    view->onZoomIn();
    expectRange(*view, {20, 60, 20, 80}, 1e-3f);
    EXPECT_EQ(axisChanges, 1);
    EXPECT_TRUE(view->trackingRect().isZero());
    EXPECT_FALSE(host.zoomEnabled);
    EXPECT_EQ(undo.undoActionName(), "Changes Of Axis Ranges");

    ASSERT_TRUE(undo.undo());
    expectRange(*view, {0, 100, 0, 100}, 0);
    EXPECT_EQ(axisChanges, 2);
    ASSERT_TRUE(undo.redo());
    expectRange(*view, {20, 60, 20, 80}, 1e-3f);
}

// The zoom rectangle on its own: a drag spans it between press and release and enables the
// zoom controls; a press with a few units of jitter is a click and spans none.
TEST_F(PlotMouse, ZoomRectangleSpansTheDragAndAClickSpansNone) {
    QueuedMouseEvents events;
    events.drag(viewPoint(30, 40));
    events.release(viewPoint(60, 70));
    EXPECT_TRUE(view->delimitZoomingAreaIfNecessary(
        test::mouse(MouseEvent::Type::Down, viewPoint(20, 20)), events));
    const Rect r = view->trackingRect();
    EXPECT_NEAR(r.minX(), viewPoint(20, 20).x, 1e-3);
    EXPECT_NEAR(r.maxX(), viewPoint(60, 70).x, 1e-3);
    EXPECT_NEAR(std::min(r.minY(), r.maxY()), std::min(viewPoint(20, 20).y, viewPoint(60, 70).y), 1e-3);
    EXPECT_NEAR(std::max(r.minY(), r.maxY()), std::max(viewPoint(20, 20).y, viewPoint(60, 70).y), 1e-3);
    EXPECT_TRUE(host.zoomEnabled);
    QueuedMouseEvents jitter;
    const Point at = viewPoint(50, 50);
    jitter.release({at.x + 1, at.y});
    EXPECT_FALSE(view->delimitZoomingAreaIfNecessary(test::mouse(MouseEvent::Type::Down, at), jitter));
    EXPECT_TRUE(view->trackingRect().isZero());
    EXPECT_FALSE(host.zoomEnabled);
}

// The selection read back whole, moved onto a point, shown in the status line; hilite1
// marks one more object without clearing the others, as hilite does.
TEST_F(PlotMouse, SelectionIsReadBackMovedOntoAPointAndShownInTheStatusLine) {
    CGraphCurve* curve = horizontal("c", 50);
    click(viewPoint(40, 50));
    float x = 0, y = 0;
    CGraphObject* object = nullptr;
    view->getSelection(x, y, object);
    EXPECT_EQ(object, curve);
    EXPECT_NEAR(x, 40, 0.5);
    EXPECT_NEAR(y, 50, 0.5);
    float px = 0, py = 0;
    view->getSelectedPoint(px, py);
    EXPECT_EQ(px, x);
    EXPECT_EQ(py, y);
    view->adjustSelectionPoint(*CGraphPoint::newGraphPoint(12.5f, 87.5f));
    view->getSelectedPoint(px, py);
    EXPECT_EQ(px, 12.5f);
    EXPECT_EQ(py, 87.5f);
    view->updateStatusMessage();
    EXPECT_EQ(host.status, "T = 12.5, P = 87.5");  // one decimal, as the ticks

    CGraphCurve* other = horizontal("d", 20);
    view->hilite(curve);
    view->hilite1(other);
    EXPECT_TRUE(curve->isHilited());
    EXPECT_TRUE(other->isHilited());
    view->hilite1(nullptr);
    view->hilite(other);
    EXPECT_FALSE(curve->isHilited());
}

TEST_F(PlotMouse, ZoomOutDoublesZoomInStopsAtTheMaximumRangesAndWorksInDecades) {
    Rect plot = view->getPlotRect();
    drag({plot.minX(), plot.minY()}, {{plot.midX(), plot.maxY()}});  // the left half
    view->onZoomOut();
    expectRange(*view, {0, 200, 0, 100}, 1e-3f);
    view->setMaxXYRange(10, 90, 0, 100);
    drag({plot.minX() + 1, plot.minY() + 1}, {{plot.maxX() - 1, plot.maxY() - 1}});
    view->onZoomIn();
    EXPECT_FLOAT_EQ(rangeOf(*view)[0], 10);
    EXPECT_FLOAT_EQ(rangeOf(*view)[1], 90);
    view->setMaxXYRange(1, 1e4f, -500, 500);
    view->setDefaultXYRange(1, 1000, 0, 100);
    view->setShowLogX(true);
    draw();
    drag(viewPoint(10, 20), {viewPoint(1000, 80)});
    view->onZoomIn();
    EXPECT_NEAR(rangeOf(*view)[0], 10, 1e-3);
    EXPECT_NEAR(rangeOf(*view)[1], 1000, 0.1);
}

// On a plot whose y axis runs downward (depth, boiling) the zoom keeps the dragged range and
// the direction: the maximum range 600 ... 0 clamps within 0 and 600 (a drag over 375 ... 125
// gave back 600 ... 0, and a zoom out of 300 ... 100 gave 600 ... 0 rather than 400 ... 0).
TEST_F(PlotMouse, ZoomOnADownwardAxisKeepsTheDraggedRange) {
    view->setMaxXYRange(0, 400, 600, 0);
    view->setDefaultXYRange(0, 400, 600, 0);
    draw();
    drag(viewPoint(100, 375), {viewPoint(300, 125)});
    view->onZoomIn();
    expectRange(*view, {100, 300, 375, 125}, 0.05f);
    view->setXYRange(100, 300, 300, 100);
    draw();
    drag(viewPoint(150, 250), {viewPoint(250, 150)});  // the middle half
    view->onZoomOut();
    expectRange(*view, {0, 400, 400, 0}, 0.05f);
}

// On a logarithmic axis a zoom out widens by decades, the rectangle dragged taking what the
// plot showed. Regression: the range was widened as if the axis were linear, 0.1 ... 1 zoomed
// out over its middle half to -0.35 ... 1.45 (decades 0.01 ... 10 drawn, 0.0001 ... 100 to
// 0 ... 150, less than before at the bottom); and an axis running downward rounded its decades
// inward, 17.8 ... 3.16 drawn as one decade collapsed, zoomed out to 1 ... 100, turned over.
TEST_F(PlotMouse, ZoomOutOnALogarithmicAxisWidensByDecades) {
    view->setMaxXYRange(0, 100, -1, 1e4f);
    view->setDefaultXYRange(0, 100, -1, 100);
    view->setShowLogY(true);
    view->setXYRange(0, 100, 0.1f, 1);
    draw();
    const Rect plot = view->getPlotRect();
    auto dragMiddleHalf = [&] {
        drag({plot.minX() + plot.width() / 4, plot.minY() + plot.height() / 4},
             {{plot.minX() + 3 * plot.width() / 4, plot.minY() + 3 * plot.height() / 4}});
    };
    dragMiddleHalf();
    view->onZoomOut();
    EXPECT_NEAR(rangeOf(*view)[2], std::sqrt(0.1) * 0.1, 1e-6);
    EXPECT_NEAR(rangeOf(*view)[3], std::sqrt(10.0), 1e-5);
    // A depth axis, 500 m at the top: whole decades outward, 1000 down to 10, its middle
    // half zoomed out to two decades more, still running downward.
    view->setMaxXYRange(0, 100, 1e4f, 0);
    view->setDefaultXYRange(0, 100, 500, 0);
    view->setXYRange(0, 100, 500, 10);
    draw();
    EXPECT_NEAR(view->getYFromPixelValue(static_cast<float>(plot.minY())), 1000, 0.01);
    EXPECT_NEAR(view->getYFromPixelValue(static_cast<float>(plot.maxY())), 10, 1e-4);
    dragMiddleHalf();
    view->onZoomOut();
    EXPECT_NEAR(rangeOf(*view)[2], 10000, 0.5);
    EXPECT_NEAR(rangeOf(*view)[3], 1, 1e-4);
}

TEST_F(PlotMouse, ZeroSizeDragIsAClickAndAFlatDragMakesNoRectangle) {
    view->setSelectedPoint(7, 7);
    const Point flat = viewPoint(20, 50);
    drag(flat, {{flat.x + 100, flat.y + 1}});
    EXPECT_TRUE(view->trackingRect().isZero());
    EXPECT_FALSE(host.zoomEnabled);
    EXPECT_EQ(selections, 0);
    EXPECT_FLOAT_EQ(view->selectedPointX(), 7);
    const Point p = viewPoint(50, 50);
    drag(p, {{p.x + 1, p.y + 1}, p});
    EXPECT_TRUE(view->trackingRect().isZero());
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(host.status, "T = 50.00, P = 50.00");
    view->onZoomOut();  // no rectangle: nothing happens, nothing divides by zero
    view->onZoomIn();
    expectRange(*view, {0, 100, 0, 100}, 0);
    EXPECT_EQ(axisChanges, 0);
}

TEST_F(PlotMouse, LaterOfOverlappingCurvesWins) {
    CGraphCurve* first = horizontal("first", 50);
    CGraphCurve* second = horizontal("second", 51);
    click(viewPoint(50, 50.5f));
    EXPECT_EQ(view->selectedObject(), second);
    EXPECT_TRUE(second->isHilited());
    EXPECT_FALSE(first->isHilited());
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(host.status.rfind("second : T = 50.00, P = ", 0), 0u) << host.status;
}

TEST_F(PlotMouse, ClickOnNothingPostsThePointAndOutsideThePlotClearsIt) {
    CGraphCurve* curve = horizontal("c", 10);
    view->hilite(curve);
    click(viewPoint(50, 50), 1, modifiers::shift);
    EXPECT_EQ(view->selectedObject(), nullptr);
    EXPECT_FALSE(curve->isHilited());
    EXPECT_EQ(selections, 1);
    EXPECT_TRUE(shiftAtSelection);
    EXPECT_FALSE(view->selectionKeyControl());
    EXPECT_FALSE(view->selectionKeyOption());
    EXPECT_NEAR(view->selectedPointX(), 50, 1e-3);
    // Each click records its own modifier keys.
    click(viewPoint(60, 40), 1, modifiers::control | modifiers::option);
    EXPECT_EQ(selections, 2);
    EXPECT_FALSE(view->selectionKeyShift());
    EXPECT_TRUE(view->selectionKeyControl());
    EXPECT_TRUE(view->selectionKeyOption());
    EXPECT_NEAR(view->selectedPointY(), 40, 1e-3);
    click({2, 2});
    EXPECT_EQ(selections, 3);
    EXPECT_EQ(host.status, "");
    EXPECT_FLOAT_EQ(view->selectedPointX(), 0);
    EXPECT_FALSE(view->isSelectionPointVisible());
}

TEST_F(PlotMouse, DoubleClickOpensTheSettingsPanelAndPostsNothing) {
    horizontal("c", 50);
    click(viewPoint(50, 50), 1);
    EXPECT_EQ(selections, 1);
    click(viewPoint(50, 50), 2);
    EXPECT_EQ(services.curvePanels, 1);
    EXPECT_EQ(selections, 1);
    view->plotPoint(30, 30, 3, Color::red());
    draw();
    click(viewPoint(30, 30), 2);
    EXPECT_EQ(services.pointPanels, 1);
}

// Regression: the first click of a double click made the document draw the state's curve
// anew, and the second click, finding no curve, opened nothing.
TEST_F(PlotMouse, DoubleClickOnACurveRebuiltByItsFirstClickOpensItsSettings) {
    horizontal("t_state curve", 50);
    center.addObserver(&services, notifications::plotSelection, nullptr,
                       [this](const Notification&) {
                           view->removeGraphObjectWithKindOfName("t_");
                           horizontal("t_state curve", 70);  // drawn through the new state
                       });
    click(viewPoint(50, 50), 1);
    EXPECT_EQ(selections, 1);
    click(viewPoint(50, 50), 2);
    EXPECT_EQ(services.curvePanels, 1);
    EXPECT_EQ(view->selectedObject(), view->getGraphObjectWithName("t_state curve"));
    // A double click on empty space after a click on nothing opens nothing.
    click(viewPoint(20, 20), 1);
    click(viewPoint(20, 20), 2);
    EXPECT_EQ(services.curvePanels, 1);
    center.removeObserver(&services);
}

// Regression: the status kept naming an object (and where it was clicked) after the object
// was taken away; the click's own answer, which redraws it, keeps the text.
TEST_F(PlotMouse, StatusNamingAnObjectClearsWhenTheObjectGoes) {
    horizontal("t_pt0", 50);
    center.addObserver(&services, notifications::plotSelection, nullptr,
                       [this](const Notification&) {
                           view->removeGraphObjectWithKindOfName("t_");
                           horizontal("t_pt0", 50);
                       });
    click(viewPoint(50, 50), 1);
    EXPECT_EQ(host.status.rfind("t_pt0 : ", 0), 0u) << host.status;
    center.removeObserver(&services);
    view->removeGraphObjectWithKindOfName("t_");
    EXPECT_EQ(host.status, "");
}

// Regression: the second click of a double click, and a press on the legend, moved the
// selection mark to the spot pressed (or hid it), though they select no point and post
// nothing. The mark stays where it was, shown as it was.
TEST_F(PlotMouse, DoubleClickAndLegendPressLeaveTheSelectionMark) {
    horizontal("d", 80);
    const Point legend = showLegendAt50();
    auto expectMarkAt20 = [&](const char* what) {
        EXPECT_FLOAT_EQ(view->selectedPointX(), 20) << what;
        EXPECT_FLOAT_EQ(view->selectedPointY(), 20) << what;
        EXPECT_TRUE(view->isSelectionPointVisible()) << what;
    };
    view->setSelectedPoint(20, 20);
    view->showSelectionPoint(true);
    click(viewPoint(60, 80), 2);
    EXPECT_EQ(services.curvePanels, 1);
    expectMarkAt20("double click");
    click({legend.x + 5, legend.y + 5});
    expectMarkAt20("legend click");
    drag({legend.x + 5, legend.y + 5}, {{legend.x + 15, legend.y + 5}});
    expectMarkAt20("legend drag");
    EXPECT_EQ(selections, 0);
}

TEST_F(PlotMouse, LegendDragIsOneUndoStep) {
    const Point grab = showLegendAt50();
    const Point start{grab.x + 5, grab.y + 5};
    drag(start, {{start.x + 10, start.y}, {start.x + 20, start.y + 10}});
    EXPECT_NEAR(view->getXValue(legendAt()[0]), grab.x + 20, 1e-3);
    EXPECT_NEAR(view->getYValue(legendAt()[1]), grab.y + 10, 1e-3);
    EXPECT_FALSE(view->mLegend().isHilited());
    EXPECT_EQ(selections, 0);
    EXPECT_EQ(undo.undoActionName(), "Move Of Legend");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(legendAt(), (std::vector<float>{50, 50}));
    EXPECT_FALSE(undo.canUndo());
}

// The push form a toolkit drives event by event: the rectangle and the legend follow each
// drag before the release, and the result is the tracking loop's.
TEST_F(PlotMouse, PushedDragShowsTheZoomRectangleBeforeTheReleaseAndEndsAsTheLoopDoes) {
    view->setSelectedPoint(5, 5);
    view->mousePressed(test::mouse(MouseEvent::Type::Down, viewPoint(20, 20)));
    EXPECT_TRUE(view->isTrackingMouse());
    view->mouseDragged(test::mouse(MouseEvent::Type::Dragged, viewPoint(40, 50)));
    const Rect midway = view->trackingRect();
    EXPECT_NEAR(midway.width(), viewPoint(40, 50).x - viewPoint(20, 20).x, 1e-3);
    EXPECT_FALSE(host.zoomEnabled);
    view->mouseReleased(test::mouse(MouseEvent::Type::Up, viewPoint(60, 80)));
    EXPECT_FALSE(view->isTrackingMouse());
    EXPECT_TRUE(host.zoomEnabled);
    EXPECT_EQ(selections, 0);
    EXPECT_FLOAT_EQ(view->selectedPointX(), 5);
    view->onZoomIn();
    expectRange(*view, {20, 60, 20, 80}, 1e-3f);
}

TEST_F(PlotMouse, PushedLegendDragFollowsEachStepAndUndoesAsOne) {
    const Point grab = showLegendAt50();
    const Point start{grab.x + 5, grab.y + 5};
    view->mousePressed(test::mouse(MouseEvent::Type::Down, start));
    view->mouseDragged(test::mouse(MouseEvent::Type::Dragged, {start.x + 10, start.y}));
    EXPECT_NEAR(view->getXValue(legendAt()[0]), grab.x + 10, 1e-3);
    EXPECT_TRUE(view->mLegend().isHilited());
    view->mouseDragged(test::mouse(MouseEvent::Type::Dragged, {start.x + 20, start.y + 10}));
    view->mouseTrackingCancelled();
    EXPECT_NEAR(view->getYValue(legendAt()[1]), grab.y + 10, 1e-3);
    EXPECT_FALSE(view->mLegend().isHilited());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(legendAt(), (std::vector<float>{50, 50}));
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(PlotMouse, PushedClickSelectsOnReleaseAndStrayDragsAreIgnored) {
    view->mouseDragged(test::mouse(MouseEvent::Type::Dragged, viewPoint(40, 50)));
    view->mouseReleased(test::mouse(MouseEvent::Type::Up, viewPoint(40, 50)));
    EXPECT_EQ(selections, 0);
    EXPECT_TRUE(view->trackingRect().isZero());
    view->mousePressed(test::mouse(MouseEvent::Type::Down, viewPoint(30, 40)));
    EXPECT_EQ(selections, 0);
    view->mouseReleased(test::mouse(MouseEvent::Type::Up, viewPoint(30, 40)));
    EXPECT_EQ(selections, 1);
    EXPECT_NEAR(view->selectedPointX(), 30, 0.5);
    // A second press while a drag is tracked ends that drag first.
    view->mousePressed(test::mouse(MouseEvent::Type::Down, viewPoint(20, 20)));
    view->mouseDragged(test::mouse(MouseEvent::Type::Dragged, viewPoint(60, 60)));
    view->mousePressed(test::mouse(MouseEvent::Type::Down, viewPoint(10, 10)));
    EXPECT_TRUE(view->isTrackingMouse());
    EXPECT_EQ(selections, 1);  // the first drag ended as a zoom rectangle, not a click
    view->mouseReleased(test::mouse(MouseEvent::Type::Up, viewPoint(10, 10)));
    EXPECT_FALSE(view->isTrackingMouse());
}

// Regression: a drag that started on a curve selected it and moved the state instead of
// zooming. Only a press that ends where it began selects what it hit.
TEST_F(PlotMouse, DragStartingOnACurveZoomsAndKeepsTheSelection) {
    CGraphCurve* before = horizontal("before", 80);
    CGraphCurve* curve = horizontal("c", 50);
    click(viewPoint(50, 80));
    ASSERT_EQ(view->selectedObject(), before);
    const int posted = selections;
    drag(viewPoint(50, 50), {viewPoint(60, 40), viewPoint(70, 30)});
    EXPECT_FALSE(view->trackingRect().isZero());
    EXPECT_EQ(selections, posted);
    EXPECT_EQ(view->selectedObject(), before);
    EXPECT_TRUE(before->isHilited());
    EXPECT_FALSE(curve->isHilited());
    EXPECT_NEAR(view->selectedPointY(), 80, 0.5);  // the state mark stays where it was
    // The same press without motion selects the curve.
    click(viewPoint(50, 50));
    EXPECT_EQ(view->selectedObject(), curve);
    EXPECT_EQ(selections, posted + 1);
}

TEST_F(PlotMouse, NotificationsReachTheDefaultCentreWithTheViewAsObject) {
    // A view left with the centre it starts with posts to the default one.
    auto fresh = std::make_unique<CPlotView>(Rect(0, 0, 400, 300), &noDefaults);
    std::vector<std::string> heard;
    NotificationCenter& centre = NotificationCenter::defaultCenter();
    for (const char* name : {notifications::axisPlotChanged, notifications::plotSelection})
        centre.addObserver(this, name, fresh.get(), [&heard](const Notification& n) {
            EXPECT_TRUE(n.userInfo.isNull());
            heard.push_back(n.name);
        });
    fresh->setDefaultXYRange(0, 10, 0, 10);
    fresh->onToggleShowLogY();
    RecordingCanvas canvas(fresh->bounds().size);
    fresh->drawRect(canvas);
    QueuedMouseEvents release;
    release.release({200, 150});
    fresh->mouseDown(test::mouse(MouseEvent::Type::Down, {200, 150}), release);
    centre.removeObserver(this);
    EXPECT_EQ(heard,
              (std::vector<std::string>{"AxisPlotChanged", "AxisPlotChanged", "PlotSelection"}));
}

TEST_F(PlotMouse, LegendMoveWithAnOffsetIsUndoneToWhereItWas) {
    view->setLegendPosition(50, 50);
    view->doChangeLegendPosition(70, 80, 5, 10);
    EXPECT_EQ(legendAt(), (std::vector<float>{65, 70}));
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(legendAt(), (std::vector<float>{50, 50}));
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(legendAt(), (std::vector<float>{65, 70}));
}

// Context menus: which menu, and which items are enabled.
class PlotMenus : public PlotMouse {
   protected:
    bool enabled(Menu& menu, const std::string& action) {
        menu.update();
        return menu.itemWithAction(action)->isEnabled();
    }
    Menu* menuAt(Point p) { return view->menuForEvent(test::mouse(MouseEvent::Type::Down, p)); }
};

TEST_F(PlotMenus, MenuChosenByWhatLiesUnderTheMouse) {
    horizontal("c", 50);
    view->plotPoint(30, 30, 3, Color::red());
    auto* area = view->add(std::make_unique<CGraphArea>());
    area->addPoint(70, 70);
    area->addPoint(90, 70);
    area->addPoint(90, 90);
    area->setSelectable(true);
    draw();
    EXPECT_EQ(menuAt(viewPoint(50, 80))->title(), "Plot");
    EXPECT_EQ(menuAt(viewPoint(50, 50))->title(), "Curves");
    EXPECT_EQ(menuAt(viewPoint(30, 30))->title(), "Points");
    EXPECT_EQ(menuAt(viewPoint(88, 75)), nullptr);
    // Regression: a right click moved the selection mark, with the state left where it was.
    view->setSelectedPoint(20, 20);
    view->showSelectionPoint(true);
    const int posted = selections;
    menuAt(viewPoint(50, 50));
    EXPECT_FLOAT_EQ(view->selectedPointX(), 20);
    EXPECT_FLOAT_EQ(view->selectedPointY(), 20);
    EXPECT_TRUE(view->isSelectionPointVisible());
    EXPECT_EQ(selections, posted);
    EXPECT_EQ(view->curvesMenu().title(), "Curves");
    EXPECT_NE(view->selectedObject(), nullptr);  // the menu's commands act on the curve
}

TEST_F(PlotMenus, ZoomItemsNeedARectangleAndDefaultRangesAChange) {
    Menu& menu = view->plotMenu();
    EXPECT_FALSE(enabled(menu, "onZoomIn:") || enabled(menu, "onZoomOut:"));
    EXPECT_FALSE(enabled(menu, "onAxisRangesByDefault:"));
    drag(viewPoint(20, 20), {viewPoint(60, 80)});
    EXPECT_TRUE(enabled(menu, "onZoomIn:"));
    EXPECT_TRUE(menu.performAction("onZoomIn:"));
    EXPECT_FALSE(enabled(menu, "onZoomOut:"));
    EXPECT_TRUE(enabled(menu, "onAxisRangesByDefault:"));
    view->onAxisRangesByDefault();
    EXPECT_FALSE(enabled(menu, "onAxisRangesByDefault:"));
}

TEST_F(PlotMenus, LogarithmicItemsShowTheirState) {
    view->setShowLogY(true);
    view->plotMenu().update();
    EXPECT_EQ(view->plotMenu().itemWithAction("onToggleShowLogY:")->state(), MenuItem::State::On);
    EXPECT_EQ(view->plotMenu().itemWithAction("onToggleShowLogX:")->state(), MenuItem::State::Off);
    view->plotMenu().performAction("onToggleShowLogX:");
    EXPECT_TRUE(view->showLogX());
    EXPECT_EQ(axisChanges, 1);
    MenuItem grid("Grid", "onShowGrid:", [] {});
    view->onShowGrid();
    EXPECT_TRUE(view->validateMenuItem(grid));
    EXPECT_EQ(grid.title(), "Hide Grid");
    EXPECT_TRUE(host.gridShown);
}

TEST_F(PlotMenus, ThicknessItemsAndUndo) {
    CGraphCurve* curve = horizontal("c", 50);
    curve->setToolSizeFactor(2);
    view->setSelectedObject(curve);
    Menu& menu = view->curvesMenu();
    EXPECT_FALSE(enabled(menu, "onDoubleThickness:"));
    EXPECT_TRUE(enabled(menu, "onNormalThickness:"));
    EXPECT_TRUE(enabled(menu, "onTripleThickness:"));
    menu.performAction("onTripleThickness:");
    EXPECT_EQ(curve->getToolSizeFactor(), 3);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(curve->getToolSizeFactor(), 2);
    EXPECT_EQ(curve->size(), 3);
    menu.performAction("onNormalThickness:");
    EXPECT_EQ(curve->getToolSizeFactor(), 1);
    EXPECT_FALSE(enabled(menu, "onNormalThickness:"));
    menu.performAction("onDoubleThickness:");
    EXPECT_EQ(curve->getToolSizeFactor(), 2);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(curve->getToolSizeFactor(), 1);
}

TEST_F(PlotMenus, MarkerSizeStepsAndUndoEvenAfterTheObjectWasRemoved) {
    CGraphPoint* point = view->plotPoint(30, 30, 3, Color::red());
    view->setSelectedObject(point);
    view->pointsMenu().performAction("onIncreasePointSize:");
    view->pointsMenu().performAction("onIncreasePointSize:");
    EXPECT_EQ(undo.undoActionName(), "Increase Of Marker Size");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(point->getToolSizeFactor(), 4);
    view->removeGraphObject(point);
    EXPECT_TRUE(undo.undo());  // the step runs and finds no object to act on
}

TEST_F(PlotMenus, LabelFontChangesBothTitlesAndUndoes) {
    const Font before = view->labelsAttributes().font;
    view->plotMenu().performAction("onLabelFontSettings:");
    EXPECT_EQ(view->editedFont(), CPlotView::kLabelsFont);
    ASSERT_TRUE(services.fontShown.has_value());
    view->changeFont([](const Font& f) { return f.withSize(20).withBold(true); });
    EXPECT_EQ(view->mXLabel().runs()[0].attributes.font.size(), 20);
    EXPECT_EQ(view->mYLabel().runs()[0].attributes.font.size(), 20);
    EXPECT_EQ(undo.undoActionName(), "Changes Of Labels Font");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(view->labelsAttributes().font, before);
    EXPECT_EQ(view->mXLabel().runs()[0].attributes.font, before);
}

// Marker sizes step down to the smallest and no further; the decrease undoes.
TEST_F(PlotMenus, MarkerSizeStepsDownToTheSmallest) {
    CGraphPoint* point = view->plotPoint(30, 30, 3, Color::red());
    point->setToolSizeFactor(2);
    view->setSelectedObject(point);
    Menu& menu = view->pointsMenu();
    EXPECT_TRUE(enabled(menu, "onDecreasePointSize:"));
    menu.performAction("onDecreasePointSize:");
    EXPECT_EQ(point->getToolSizeFactor(), 1);
    EXPECT_EQ(undo.undoActionName(), "Decrease Of Marker Size");
    EXPECT_FALSE(enabled(menu, "onDecreasePointSize:"));
    view->onDecreasePointSize();
    EXPECT_EQ(point->getToolSizeFactor(), 1);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(point->getToolSizeFactor(), 2);
    view->setSelectedObject(nullptr);
    EXPECT_FALSE(enabled(menu, "onDecreasePointSize:"));
}

// The colour and font items open the shared panels on what they edit: the selected
// object's colour (black for one without), the legend's font, the graduations' font.
TEST_F(PlotMenus, ColourAndFontItemsOpenThePanelsOnWhatTheyEdit) {
    CGraphPoint* point = view->plotPoint(30, 30, 3, Color::red());
    CGraphCurve* curve = horizontal("c", 50);
    view->setSelectedObject(point);
    view->pointsMenu().performAction("onGraphObjectColor:");
    EXPECT_EQ(services.colorShown, Color::red());
    view->setSelectedObject(curve);
    view->curvesMenu().performAction("onGraphObjectColor:");
    EXPECT_EQ(services.colorShown, Color::black());
    view->fontsMenu().performAction("onGraphObjectFont:");
    EXPECT_EQ(view->editedFont(), CPlotView::kLegendsFont);
    EXPECT_EQ(services.fontShown, view->getLegendsAttributes().font);
    view->plotMenu().performAction("onGraduationFontSettings:");
    EXPECT_EQ(view->editedFont(), CPlotView::kTicksFont);
    EXPECT_EQ(services.fontShown, view->ticksAttributes().font);
    view->changeFont([](const Font& f) { return f.withSize(17); });
    EXPECT_EQ(view->ticksAttributes().font.size(), 17);
    EXPECT_NE(view->labelsAttributes().font.size(), 17);
}

// The curve menu's exports write the selected curve as text or Igor text; with a point
// selected there is no curve to export and no file.
TEST_F(PlotMenus, ExportItemsWriteTheSelectedCurve) {
    CGraphCurve* curve = horizontal("c", 50);
    view->setSelectedObject(curve);
    services.savePath = "menu_curve.txt";
    EXPECT_TRUE(view->onExportCurveData());
    EXPECT_EQ(test::readFile("menu_curve.txt"), curve->curveDataText());
    services.savePath = "menu_curve.itx";
    EXPECT_TRUE(view->onExportIgorData());
    EXPECT_EQ(test::readFile("menu_curve.itx"), curve->igorText());
    EXPECT_EQ(services.fileTypes, (std::vector<std::string>{"txt", "itx"}));
    view->setSelectedObject(view->plotPoint(30, 30, 3, Color::red()));
    services.savePath = "menu_point.txt";
    EXPECT_FALSE(view->onExportCurveData());
    EXPECT_FALSE(view->onExportIgorData());
    EXPECT_FALSE(std::filesystem::exists("menu_point.txt"));
    std::filesystem::remove("menu_curve.txt");
    std::filesystem::remove("menu_curve.itx");
}

TEST_F(PlotMenus, ColourChoiceReachesTheSelectedObject) {
    CGraphCurve* curve = horizontal("c", 50);
    view->changeColor(Color::green(), true);  // nothing selected
    view->setSelectedObject(curve);
    view->changeColor(Color::green(), false);  // panel not visible
    EXPECT_FALSE(curve->color().has_value());
    view->changeColor(Color::green(), true);
    EXPECT_EQ(curve->color(), Color::green());
}

}  // namespace
}  // namespace vornex
