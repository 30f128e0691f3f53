#include "MenuBridge.h"

#include <giomm/simpleaction.h>

namespace vornex::shell {

namespace {

std::string nameOf(const std::function<std::string(const MenuItem&, std::size_t)>& naming,
                   const MenuItem& item, std::size_t index) {
    return naming ? naming(item, index) : "item" + std::to_string(index);
}

// Items that show a check mark: any whose state is on, and those the validator may tick.
bool isCheckable(const MenuItem& item) {
    return item.state() != MenuItem::State::Off;
}

}  // namespace

MenuBridge::MenuBridge(std::string prefix, Performer performer)
    : mPrefix(std::move(prefix)), mPerformer(std::move(performer)) {}

Glib::RefPtr<Gio::Menu> MenuBridge::build(
    Menu& menu, const Glib::RefPtr<Gio::SimpleActionGroup>& group,
    const std::function<std::string(const MenuItem&, std::size_t)>& naming) {
    menu.update();
    auto root = Gio::Menu::create();
    auto section = Gio::Menu::create();
    for (std::size_t i = 0; i < menu.size(); ++i) {
        const MenuItem& item = menu.item(i);
        if (item.isSeparator()) {
            if (section->get_n_items() > 0) root->append_section(section);
            section = Gio::Menu::create();
            continue;
        }
        const std::string name = nameOf(naming, item, i);
        Menu* source = &menu;
        auto perform = [this, source, i] { mPerformer([source, i] { source->performItem(i); }); };
        Glib::RefPtr<Gio::SimpleAction> action;
        if (isCheckable(item) || item.actionName().rfind("onToggle", 0) == 0 ||
            item.actionName().rfind("onGoTo", 0) == 0 ||
            item.actionName().rfind("onSelect", 0) == 0) {
            action = Gio::SimpleAction::create_bool(name, item.state() == MenuItem::State::On);
            action->signal_activate().connect([perform](const Glib::VariantBase&) { perform(); });
        } else {
            action = Gio::SimpleAction::create(name);
            action->signal_activate().connect([perform](const Glib::VariantBase&) { perform(); });
        }
        action->set_enabled(item.isEnabled());
        group->remove_action(name);
        group->add_action(action);
        section->append(item.title(), mPrefix + "." + name);
    }
    if (section->get_n_items() > 0) root->append_section(section);
    return root;
}

void MenuBridge::sync(Menu& menu, const Glib::RefPtr<Gio::SimpleActionGroup>& group,
                      const std::function<std::string(const MenuItem&, std::size_t)>& naming) {
    menu.update();
    for (std::size_t i = 0; i < menu.size(); ++i) {
        const MenuItem& item = menu.item(i);
        if (item.isSeparator()) continue;
        auto action =
            std::dynamic_pointer_cast<Gio::SimpleAction>(group->lookup_action(nameOf(naming, item, i)));
        if (!action) continue;
        action->set_enabled(item.isEnabled());
        if (g_action_get_state_type(G_ACTION(action->gobj())))
            action->set_state(Glib::Variant<bool>::create(item.state() == MenuItem::State::On));
    }
}

}  // namespace vornex::shell
