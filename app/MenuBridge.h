// Shows a menu of the cores (vornex::Menu) through GIO: a Gio::Menu whose items name actions
// of an action group, one action per item, stateful where the item carries a check mark.
// The menu is validated before it is shown (Menu::update), and the actions' enabled states
// and check marks follow it; activating an action performs the item.
#pragma once

#include <giomm/menu.h>
#include <giomm/simpleactiongroup.h>

#include <functional>
#include <string>

#include "platform/Menu.h"

namespace vornex::shell {

class MenuBridge {
   public:
    // Performs an item; the shell wraps it to refresh the window afterwards.
    using Performer = std::function<void(const std::function<void()>&)>;

    // `prefix` is the name the action group is inserted under ("plot", "win").
    // `naming` gives each item's action name (by default "item<index>").
    MenuBridge(std::string prefix, Performer performer);

    // Builds the GIO menu and the actions of `menu` after validating it. Separators start a
    // new section.
    Glib::RefPtr<Gio::Menu> build(Menu& menu, const Glib::RefPtr<Gio::SimpleActionGroup>& group,
                                  const std::function<std::string(const MenuItem&, std::size_t)>&
                                      naming = {});
    // Validates `menu` again and carries enabled states and check marks to the actions.
    void sync(Menu& menu, const Glib::RefPtr<Gio::SimpleActionGroup>& group,
              const std::function<std::string(const MenuItem&, std::size_t)>& naming = {});

   private:
    std::string mPrefix;
    Performer mPerformer;
};

}  // namespace vornex::shell
