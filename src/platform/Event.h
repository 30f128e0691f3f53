// Mouse and key events as the views receive them from a window toolkit, in view coordinates
// (points, origin lower left, y up), and a source of follow-up mouse events for views that
// track a drag until the button is released.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "platform/Geometry.h"

namespace vornex {

// Modifier keys held during an event: bit 17 shift, 18 control, 19 option (alt), 20 command,
// as the views test them.
namespace modifiers {
inline constexpr std::uint32_t shift = 1u << 17;
inline constexpr std::uint32_t control = 1u << 18;
inline constexpr std::uint32_t option = 1u << 19;
inline constexpr std::uint32_t command = 1u << 20;
}  // namespace modifiers

enum class MouseButton { Left, Right, Other };

struct MouseEvent {
    enum class Type { Down, Up, Dragged, Moved };
    Type type = Type::Down;
    MouseButton button = MouseButton::Left;
    Point location;
    // 1 for a single click, 2 for the second click of a double click, ...
    int clickCount = 1;
    std::uint32_t modifierFlags = 0;

    bool shift() const { return (modifierFlags & modifiers::shift) != 0; }
    bool control() const { return (modifierFlags & modifiers::control) != 0; }
    bool option() const { return (modifierFlags & modifiers::option) != 0; }
};

// Virtual key codes the table views react to.
namespace keycodes {
inline constexpr int deleteBackward = 51;
inline constexpr int deleteForward = 117;
inline constexpr int downArrow = 125;
inline constexpr int upArrow = 126;
inline constexpr int leftArrow = 123;
inline constexpr int rightArrow = 124;
inline constexpr int returnKey = 36;
inline constexpr int escape = 53;
}  // namespace keycodes

struct KeyEvent {
    int keyCode = 0;
    // The text the key produces (UTF-8), empty for keys that produce none.
    std::string characters;
    std::uint32_t modifierFlags = 0;

    bool shift() const { return (modifierFlags & modifiers::shift) != 0; }
    bool control() const { return (modifierFlags & modifiers::control) != 0; }
};

// Where a view gets the events that follow a press while it tracks the mouse (a drag).
class MouseEventSource {
   public:
    virtual ~MouseEventSource() = default;
    // The next drag or release of the left button; nothing when no more events will come
    // (the tracking loop must then end as if the button had been released).
    virtual std::optional<MouseEvent> nextDragOrRelease() = 0;
};

// A source fed in advance: tests and toolkits that collect events first.
class QueuedMouseEvents : public MouseEventSource {
   public:
    void push(const MouseEvent& e) { queue_.push_back(e); }
    void drag(Point p) { push({MouseEvent::Type::Dragged, MouseButton::Left, p, 1, 0}); }
    void release(Point p) { push({MouseEvent::Type::Up, MouseButton::Left, p, 1, 0}); }
    std::optional<MouseEvent> nextDragOrRelease() override {
        while (!queue_.empty()) {
            MouseEvent e = queue_.front();
            queue_.pop_front();
            if (e.type == MouseEvent::Type::Dragged || e.type == MouseEvent::Type::Up) return e;
        }
        return std::nullopt;
    }

   private:
    std::deque<MouseEvent> queue_;
};

}  // namespace vornex
