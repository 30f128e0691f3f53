#include "platform/UndoManager.h"

#include <algorithm>

namespace vornex {

void UndoManager::registerUndo(const void* target, Action action) {
    if (disabled_ > 0 || !action) return;
    if (!open_.empty()) {
        open_.back().entries.push_back({target, std::move(action)});
        return;
    }
    Group g;
    g.entries.push_back({target, std::move(action)});
    closeGroup(std::move(g));
}

void UndoManager::setActionName(const std::string& name) {
    if (!open_.empty()) {
        open_.front().name = name;
    } else if (!undo_.empty()) {
        undo_.back().name = name;
    }
}

void UndoManager::beginUndoGrouping() {
    open_.push_back({});
}

bool UndoManager::endUndoGrouping() {
    if (open_.empty()) return false;
    Group g = std::move(open_.back());
    open_.pop_back();
    if (open_.empty()) {
        closeGroup(std::move(g));
        return true;
    }
    Group& parent = open_.back();
    for (Entry& e : g.entries) parent.entries.push_back(std::move(e));
    if (parent.name.empty()) parent.name = g.name;
    return true;
}

void UndoManager::closeGroup(Group g) {
    if (g.entries.empty()) return;
    if (undoing_) {
        redo_.push_back(std::move(g));
    } else {
        undo_.push_back(std::move(g));
        if (!redoing_) redo_.clear();
    }
    trim();
}

void UndoManager::trim() {
    if (levels_ == 0) return;
    for (std::vector<Group>* list : {&undo_, &redo_})
        if (list->size() > levels_)
            list->erase(list->begin(), list->begin() + static_cast<long>(list->size() - levels_));
}

bool UndoManager::canUndo() const {
    return !undo_.empty() || (open_.size() == 1 && !open_.front().entries.empty());
}

bool UndoManager::replay(std::vector<Group>& from, bool undoing) {
    if (from.empty()) return false;
    Group g = std::move(from.back());
    from.pop_back();
    (undoing ? undoing_ : redoing_) = true;
    open_.push_back(Group{{}, g.name});
    for (auto it = g.entries.rbegin(); it != g.entries.rend(); ++it) it->action();
    // An action that left groups open has them folded into the step being built.
    while (open_.size() > 1) endUndoGrouping();
    Group built = std::move(open_.back());
    open_.pop_back();
    if (built.name.empty()) built.name = g.name;
    closeGroup(std::move(built));
    (undoing ? undoing_ : redoing_) = false;
    return true;
}

bool UndoManager::undo() {
    if (undoing_ || redoing_ || open_.size() > 1) return false;
    if (open_.size() == 1) endUndoGrouping();
    return replay(undo_, true);
}

bool UndoManager::redo() {
    if (undoing_ || redoing_ || !open_.empty()) return false;
    return replay(redo_, false);
}

std::string UndoManager::undoActionName() const {
    return undo_.empty() ? "" : undo_.back().name;
}

std::string UndoManager::redoActionName() const {
    return redo_.empty() ? "" : redo_.back().name;
}

void UndoManager::setLevelsOfUndo(std::size_t levels) {
    levels_ = levels;
    trim();
}

void UndoManager::removeAllActions(const void* target) {
    auto strip = [target](Group& g) {
        std::erase_if(g.entries, [target](const Entry& e) { return e.target == target; });
    };
    for (std::vector<Group>* list : {&undo_, &redo_}) {
        for (Group& g : *list) strip(g);
        std::erase_if(*list, [](const Group& g) { return g.entries.empty(); });
    }
    for (Group& g : open_) strip(g);
}

}  // namespace vornex
