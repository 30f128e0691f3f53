#include "platform/Menu.h"

namespace vornex {

MenuItem::MenuItem(std::string title, std::string actionName, Action action)
    : title_(std::move(title)), actionName_(std::move(actionName)), action_(std::move(action)) {}

MenuItem MenuItem::separator() {
    MenuItem item;
    item.separator_ = true;
    item.enabled_ = false;
    return item;
}

bool MenuItem::perform() const {
    if (separator_ || !enabled_ || !action_) return false;
    action_();
    return true;
}

MenuItem& Menu::addItem(MenuItem item) {
    items_.push_back(std::move(item));
    return items_.back();
}

MenuItem& Menu::addItem(std::string title, std::string actionName, MenuItem::Action action) {
    return addItem(MenuItem(std::move(title), std::move(actionName), std::move(action)));
}

MenuItem* Menu::itemWithTitle(const std::string& title) {
    for (MenuItem& i : items_)
        if (!i.isSeparator() && i.title() == title) return &i;
    return nullptr;
}

MenuItem* Menu::itemWithAction(const std::string& actionName) {
    for (MenuItem& i : items_)
        if (!i.isSeparator() && i.actionName() == actionName) return &i;
    return nullptr;
}

void Menu::update() {
    for (MenuItem& i : items_) {
        if (i.isSeparator()) continue;
        if (i.hasSubmenu()) i.submenu()->update();
        if (!autoenables_) continue;
        if (i.hasSubmenu()) {
            i.setEnabled(true);
        } else if (!i.hasAction()) {
            i.setEnabled(false);
        } else {
            i.setEnabled(validator_ ? validator_(i) : true);
        }
    }
}

bool Menu::performItem(std::size_t index) {
    if (index >= items_.size()) return false;
    update();
    // Copy first: the action may rebuild this menu.
    MenuItem chosen = items_[index];
    return chosen.perform();
}

bool Menu::performAction(const std::string& actionName) {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (!items_[i].isSeparator() && items_[i].actionName() == actionName) return performItem(i);
    return false;
}

}  // namespace vornex
