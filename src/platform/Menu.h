// Menus as data: titles, actions, check marks, enabled states, separators and submenus, which a
// window toolkit shows and whose chosen item it performs. A menu that enables its items
// automatically asks its validator about each item before it is shown (update()); the
// validator may also change an item's title and check mark.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vornex {

class Menu;

class MenuItem {
   public:
    enum class State { Off, On, Mixed };
    using Action = std::function<void()>;

    MenuItem() = default;
    // `actionName` identifies the command for validation ("onZoomIn:").
    MenuItem(std::string title, std::string actionName, Action action);
    static MenuItem separator();

    const std::string& title() const { return title_; }
    void setTitle(std::string t) { title_ = std::move(t); }
    const std::string& actionName() const { return actionName_; }
    bool isSeparator() const { return separator_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool e) { enabled_ = e; }
    State state() const { return state_; }
    void setState(State s) { state_ = s; }
    bool hasAction() const { return static_cast<bool>(action_); }

    bool hasSubmenu() const { return submenu_ != nullptr; }
    Menu* submenu() const { return submenu_.get(); }
    void setSubmenu(std::shared_ptr<Menu> m) { submenu_ = std::move(m); }

    // Runs the action when the item is enabled, not a separator and has one; returns whether
    // it ran.
    bool perform() const;

   private:
    std::string title_;
    std::string actionName_;
    Action action_;
    std::shared_ptr<Menu> submenu_;
    State state_ = State::Off;
    bool enabled_ = true;
    bool separator_ = false;
};

class Menu {
   public:
    // Returns whether the item is enabled; may retitle or check it.
    using Validator = std::function<bool(MenuItem&)>;

    explicit Menu(std::string title = "") : title_(std::move(title)) {}

    const std::string& title() const { return title_; }
    MenuItem& addItem(MenuItem item);
    MenuItem& addItem(std::string title, std::string actionName, MenuItem::Action action);
    void addSeparator() { items_.push_back(MenuItem::separator()); }

    std::size_t size() const { return items_.size(); }
    const std::vector<MenuItem>& items() const { return items_; }
    MenuItem& item(std::size_t i) { return items_.at(i); }
    // First item with that title or action name; null when there is none.
    MenuItem* itemWithTitle(const std::string& title);
    MenuItem* itemWithAction(const std::string& actionName);

    void setAutoenablesItems(bool a) { autoenables_ = a; }
    void setValidator(Validator v) { validator_ = std::move(v); }
    // Before showing: when the menu enables its items automatically, each item with an action
    // is enabled (or as the validator says); submenus are updated too.
    void update();

    // Updates the menu, then performs the item at `index` when it is enabled.
    bool performItem(std::size_t index);
    bool performAction(const std::string& actionName);

   private:
    std::string title_;
    std::vector<MenuItem> items_;
    Validator validator_;
    bool autoenables_ = true;
};

}  // namespace vornex
