// A plot opened in a window of its own is a copy independent of its document: clicks in it
// reach neither the document's state nor its notification centre, before or after the
// document is gone.
#include <gtest/gtest.h>

#include "platform/Event.h"
#include "workbench/HeadlessWorkbench.h"

namespace vornex::test {
namespace {

void clickAt(CPlotView& plot, float x, float y) {
    plot.calculateCoefficients();
    MouseEvent down;
    down.location = Point{plot.getXValue(x), plot.getYValue(y)};
    QueuedMouseEvents followUp;
    followUp.release(down.location);
    plot.mouseDown(down, followUp);
}

TEST(WorkbenchPlotCopy, ClicksInACopyStayInTheCopyAndOutliveTheDocument) {
    auto doc = HeadlessWorkbench::newDocument();
    std::unique_ptr<CPlotView> copy = doc->plotNamed("mPTViewp")->copy();
    const PlistValue before = doc->cases().at(0);
    int selections = 0;
    doc->notificationCenter().addObserver(&selections, notifications::plotSelection, nullptr,
                                          [&selections](const Notification&) { ++selections; });
    clickAt(*copy, 450, 300);
    EXPECT_EQ(selections, 0);
    EXPECT_EQ(doc->cases().at(0), before);
    EXPECT_NEAR(copy->selectedPointX(), 450, 1);
    doc.reset();
    // The document's centre is gone: the sanitizer build reads freed memory if it is used.
    clickAt(*copy, 500, 200);
    EXPECT_NEAR(copy->selectedPointX(), 500, 1);
    copy->doChangeAxisRanges(300, 600, 100, 500);
    EXPECT_EQ(copy->mCurrentMaxX(), 600);
}

}  // namespace
}  // namespace vornex::test
