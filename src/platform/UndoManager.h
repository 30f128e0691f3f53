// Undo and redo of user commands. A command registers the action that takes it back before it
// changes anything; actions registered between beginUndoGrouping and endUndoGrouping form one
// step, and an action registered outside any group is a step of its own. While a step is
// undone, the actions it registers form the matching redo step (and the reverse), so undo and
// redo alternate through the same operations. Main thread only.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vornex {

class UndoManager {
   public:
    using Action = std::function<void()>;

    UndoManager() = default;
    UndoManager(const UndoManager&) = delete;
    UndoManager& operator=(const UndoManager&) = delete;

    // Records the action that takes back what `target` is about to do. `target` identifies
    // the actions for removeAllActions(target); it is never dereferenced. A new registration
    // (not from undo or redo) clears the redo steps.
    void registerUndo(const void* target, Action action);
    // Names the step being recorded (or, outside a group, the last one recorded).
    void setActionName(const std::string& name);

    void beginUndoGrouping();
    // Closes the innermost group; false when none is open. An empty step is dropped.
    bool endUndoGrouping();
    int groupingLevel() const { return static_cast<int>(open_.size()); }

    bool canUndo() const;
    bool canRedo() const { return !redo_.empty(); }
    // Takes back the last step. An open top-level group is closed first; false when nested
    // groups are open, nothing is left to undo, or undo or redo is already running.
    bool undo();
    bool redo();
    bool isUndoing() const { return undoing_; }

    // Names of the next steps to undo and redo, empty when there is none or it has no name.
    std::string undoActionName() const;
    std::string redoActionName() const;

    // Most steps kept on the undo list (0, the default, keeps all); the oldest go first.
    void setLevelsOfUndo(std::size_t levels);
    std::size_t undoCount() const { return undo_.size(); }

    // While disabled (counted: each disable needs an enable), registrations are ignored.
    void disableUndoRegistration() { ++disabled_; }
    void enableUndoRegistration() {
        if (disabled_ > 0) --disabled_;
    }

    // Removes every action of one target; steps left empty are dropped.
    void removeAllActions(const void* target);

   private:
    struct Entry {
        const void* target;
        Action action;
    };
    struct Group {
        std::vector<Entry> entries;
        std::string name;
    };

    void closeGroup(Group g);
    bool replay(std::vector<Group>& from, bool undoing);
    void trim();

    std::vector<Group> undo_, redo_;
    std::vector<Group> open_;
    std::size_t levels_ = 0;
    int disabled_ = 0;
    bool undoing_ = false, redoing_ = false;
};

}  // namespace vornex
