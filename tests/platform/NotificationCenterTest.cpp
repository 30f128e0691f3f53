#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/NotificationCenter.h"

namespace vornex {
namespace {

class NotificationCenterTest : public ::testing::Test {
   protected:
    NotificationCenter center;
    int plotA = 0, plotB = 0;  // stand-ins for two posting views
    std::vector<std::string> log;
};

TEST_F(NotificationCenterTest, DeliversByNameAndSenderInRegistrationOrder) {
    int owner1 = 0, owner2 = 0;
    center.addObserver(&owner1, notifications::plotSelection, nullptr,
                       [&](const Notification& n) { log.push_back("1:" + n.name); });
    center.addObserver(&owner2, notifications::axisPlotChanged, &plotA, [&](const Notification& n) {
        log.push_back("2:" + n.name);
        EXPECT_EQ(n.object, &plotA);
    });
    center.addObserver(&owner2, "", nullptr,
                       [&](const Notification& n) { log.push_back("any:" + n.name); });
    center.post(notifications::plotSelection, &plotB);
    center.post(notifications::axisPlotChanged, &plotB);  // not from plotA: only "any"
    center.post(notifications::axisPlotChanged, &plotA);
    EXPECT_EQ(log, (std::vector<std::string>{"1:PlotSelection", "any:PlotSelection",
                                             "any:AxisPlotChanged", "2:AxisPlotChanged",
                                             "any:AxisPlotChanged"}));
}

TEST_F(NotificationCenterTest, RemovedObserversHearNothing) {
    int owner1 = 0, owner2 = 0;
    int calls1 = 0, calls2 = 0;
    center.addObserver(&owner1, notifications::plotSelection, nullptr,
                       [&](const Notification&) { ++calls1; });
    center.addObserver(&owner1, notifications::axisPlotChanged, nullptr,
                       [&](const Notification&) { ++calls1; });
    auto id = center.addObserver(&owner2, notifications::plotSelection, nullptr,
                                 [&](const Notification&) { ++calls2; });
    center.removeObserver(&owner1, notifications::plotSelection, nullptr);
    center.post(notifications::plotSelection, &plotA);
    center.post(notifications::axisPlotChanged, &plotA);
    EXPECT_EQ(calls1, 1);
    EXPECT_EQ(calls2, 1);
    center.removeObserver(id);
    center.removeObserver(&owner1);
    EXPECT_EQ(center.observerCount(), 0u);
    center.post(notifications::plotSelection, &plotA);
    center.post(notifications::axisPlotChanged, &plotA);
    EXPECT_EQ(calls1, 1);
    EXPECT_EQ(calls2, 1);
}

TEST_F(NotificationCenterTest, ObserverRemovedDuringDeliveryIsNotCalled) {
    // A document closing its window in answer to a notification removes its other observers;
    // they must not be called afterwards with a dead receiver.
    int owner1 = 0, owner2 = 0, late = 0, added = 0;
    center.addObserver(&owner1, notifications::plotSelection, nullptr, [&](const Notification&) {
        center.removeObserver(&owner2);
        center.addObserver(&owner1, notifications::plotSelection, nullptr,
                           [&](const Notification&) { ++added; });
    });
    center.addObserver(&owner2, notifications::plotSelection, nullptr,
                       [&](const Notification&) { ++late; });
    center.post(notifications::plotSelection, &plotA);
    EXPECT_EQ(late, 0);
    EXPECT_EQ(added, 0);  // registered during the post: waits for the next one
    center.post(notifications::plotSelection, &plotA);
    EXPECT_EQ(added, 1);
}

}  // namespace
}  // namespace vornex
