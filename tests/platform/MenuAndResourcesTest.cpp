#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Event.h"
#include "platform/Menu.h"
#include "platform/Resources.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

class MenuTest : public ::testing::Test {
   protected:
    void SetUp() override {
        menu.addItem("Zoom in", "onZoomIn:", [this] { log += "in;"; });
        menu.addItem("Logarithmic X axis", "onToggleShowLogX:", [this] { logX = !logX; });
        menu.addSeparator();
        menu.addItem("Show Grid", "onShowGrid:", [this] { grid = !grid; });
        auto sub = std::make_shared<Menu>("More");
        sub->addItem("Deeper", "onDeeper:", [this] { log += "deep;"; });
        MenuItem holder("More", "", nullptr);
        holder.setSubmenu(sub);
        menu.addItem(holder);
        menu.setValidator([this](MenuItem& item) {
            if (item.actionName() == "onZoomIn:") return zoomRect;
            if (item.actionName() == "onToggleShowLogX:")
                item.setState(logX ? MenuItem::State::On : MenuItem::State::Off);
            if (item.actionName() == "onShowGrid:") item.setTitle(grid ? "Hide Grid" : "Show Grid");
            return true;
        });
    }

    Menu menu{"Plot"};
    std::string log;
    bool zoomRect = false, logX = false, grid = false;
};

TEST_F(MenuTest, ValidatorEnablesChecksAndRetitles) {
    menu.update();
    EXPECT_FALSE(menu.itemWithAction("onZoomIn:")->isEnabled());
    EXPECT_FALSE(menu.performAction("onZoomIn:"));
    EXPECT_EQ(log, "");
    zoomRect = true;
    EXPECT_TRUE(menu.performAction("onZoomIn:"));
    EXPECT_EQ(log, "in;");
    EXPECT_TRUE(menu.performItem(1));
    menu.update();
    EXPECT_EQ(menu.item(1).state(), MenuItem::State::On);
    EXPECT_TRUE(menu.performAction("onShowGrid:"));
    menu.update();
    EXPECT_NE(menu.itemWithTitle("Hide Grid"), nullptr);
    EXPECT_EQ(menu.itemWithTitle("Show Grid"), nullptr);
}

TEST_F(MenuTest, SeparatorsAndSubmenus) {
    EXPECT_FALSE(menu.performItem(2));  // the separator
    EXPECT_FALSE(menu.performItem(99));
    // An action no item of this menu has does nothing here.
    EXPECT_FALSE(menu.performAction("onNoSuchAction:"));
    EXPECT_FALSE(menu.performAction(""));
    EXPECT_EQ(log, "");
    menu.update();
    MenuItem& more = *menu.itemWithTitle("More");
    ASSERT_TRUE(more.hasSubmenu());
    EXPECT_TRUE(more.submenu()->performAction("onDeeper:"));
    EXPECT_EQ(log, "deep;");
    // Without automatic enabling the items keep the state they are given.
    menu.setAutoenablesItems(false);
    menu.itemWithAction("onShowGrid:")->setEnabled(false);
    EXPECT_FALSE(menu.performAction("onShowGrid:"));
}

TEST(EventTest, ModifierBitsAndQueuedDrags) {
    MouseEvent e;
    e.modifierFlags = modifiers::shift | modifiers::option;
    EXPECT_TRUE(e.option() && !e.control());
    QueuedMouseEvents q;
    q.push({MouseEvent::Type::Moved, MouseButton::Left, {0, 0}, 1, 0});
    q.drag({5, 5});
    q.release({6, 7});
    auto first = q.nextDragOrRelease();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->type, MouseEvent::Type::Dragged);
    auto second = q.nextDragOrRelease();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->location, (Point{6, 7}));
    EXPECT_FALSE(q.nextDragOrRelease());
}

TEST(ResourcesTest, FoundInResourcesFolderOrDirectlyElseNothing) {
    fs::create_directories("resources");
    { std::ofstream("resources/satuTest", std::ios::binary) << "12345678abc"; }
    { std::ofstream("direct.txt") << "x"; }
    EXPECT_EQ(Resources::pathForResource("satuTest"), "resources/satuTest");
    std::optional<Bytes> data = Resources::dataForResource("satuTest");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size(), 11u);
    EXPECT_EQ(Resources::pathForResource("direct", "txt"), "direct.txt");
    EXPECT_EQ(Resources::pathForResource("absentResource"), "");
    EXPECT_FALSE(Resources::dataForResource("absentResource"));
    EXPECT_EQ(Resources::pathForResource(""), "");
    fs::create_directories("resources/folderNotFile");
    EXPECT_EQ(Resources::pathForResource("folderNotFile"), "");
}

}  // namespace
}  // namespace vornex
