#include <giomm/init.h>
#include <giomm/simpleaction.h>
#include <gtest/gtest.h>

#include "MenuBridge.h"

namespace vornex::shell {
namespace {

// A menu as the plot builds one: a validator that disables an item and ticks a toggle.
class MenuBridgeTest : public ::testing::Test {
   protected:
    static void SetUpTestSuite() { Gio::init(); }
    void SetUp() override {
        menu.addItem("Zoom in", "onZoomIn:", [this] { performed.push_back("zoom"); });
        menu.addSeparator();
        menu.addItem("Logarithmic X axis", "onToggleShowLogX:", [this] {
            logX = !logX;
            performed.push_back("log");
        });
        menu.addItem("Save as PDF...", "onPrintPlot:", [this] { performed.push_back("pdf"); });
        menu.setValidator([this](MenuItem& item) {
            if (item.actionName() == "onToggleShowLogX:")
                item.setState(logX ? MenuItem::State::On : MenuItem::State::Off);
            return item.actionName() != "onZoomIn:" || zoomable;
        });
    }
    bool enabled(const char* name) { return group->lookup_action(name)->get_enabled(); }
    bool ticked(const char* name) {
        GVariant* state = g_action_group_get_action_state(G_ACTION_GROUP(group->gobj()), name);
        const bool on = state && g_variant_get_boolean(state);
        if (state) g_variant_unref(state);
        return on;
    }

    Menu menu{"Plot"};
    bool logX = true;
    bool zoomable = false;
    std::vector<std::string> performed;
    int wrapped = 0;
    MenuBridge bridge{"plot", [this](const std::function<void()>& perform) {
                          ++wrapped;
                          perform();
                      }};
    Glib::RefPtr<Gio::SimpleActionGroup> group = Gio::SimpleActionGroup::create();
};

TEST_F(MenuBridgeTest, SeparatorsBecomeSectionsAndItemsNameTheirActions) {
    auto model = bridge.build(menu, group);
    ASSERT_EQ(model->get_n_items(), 2);
    GMenuModel* first = g_menu_model_get_item_link(G_MENU_MODEL(model->gobj()), 0, "section");
    GMenuModel* second = g_menu_model_get_item_link(G_MENU_MODEL(model->gobj()), 1, "section");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(g_menu_model_get_n_items(first), 1);
    EXPECT_EQ(g_menu_model_get_n_items(second), 2);
    gchar* action = nullptr;
    ASSERT_TRUE(g_menu_model_get_item_attribute(second, 1, "action", "s", &action));
    EXPECT_STREQ(action, "plot.item3");
    g_free(action);
    g_object_unref(first);
    g_object_unref(second);
}

TEST_F(MenuBridgeTest, ValidationDecidesWhatIsEnabledAndTicked) {
    bridge.build(menu, group);
    EXPECT_FALSE(enabled("item0"));
    EXPECT_TRUE(enabled("item2"));
    EXPECT_TRUE(ticked("item2"));
    // A disabled item cannot be chosen.
    group->activate_action("item0");
    EXPECT_TRUE(performed.empty());

    group->activate_action("item2");
    EXPECT_EQ(performed, (std::vector<std::string>{"log"}));
    EXPECT_EQ(wrapped, 1);
    zoomable = true;
    bridge.sync(menu, group);
    EXPECT_FALSE(ticked("item2"));
    EXPECT_TRUE(enabled("item0"));
    group->activate_action("item0");
    EXPECT_EQ(performed.back(), "zoom");
}

}  // namespace
}  // namespace vornex::shell
