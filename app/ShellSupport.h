// What the GTK shell turns from toolkit terms into the terms of the document and plot cores,
// free of GTK so that it is tested without a display: key and modifier codes, widget
// coordinates (y down) to view coordinates (y up), double-click counting, window titles,
// action names and the numbers a stepper shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Event.h"

namespace vornex::shell {

// GDK modifier bits as the shell receives them (GdkModifierType).
namespace gdkmask {
inline constexpr unsigned shift = 1u << 0;
inline constexpr unsigned control = 1u << 2;
inline constexpr unsigned alt = 1u << 3;
inline constexpr unsigned super = 1u << 26;
}  // namespace gdkmask

// GDK modifier bits → the views' modifier flags (shift, control, option, command).
std::uint32_t modifierFlags(unsigned gdkState);

// A GDK key value → the virtual key code the table views react to; nothing for keys they
// leave to the toolkit.
std::optional<int> tableKeyCode(unsigned gdkKeyval);

// A widget point (origin upper left, y down) in a widget `height` high → view point (origin
// lower left, y up).
Point viewPoint(double x, double y, double height);

// Counts the clicks of a double (or triple) click: a press within `interval` milliseconds and
// `distance` units of the previous one adds to the count, any other starts again at 1.
class ClickCounter {
   public:
    ClickCounter(std::uint32_t interval = 400, double distance = 5) : mInterval(interval), mDistance(distance) {}
    int press(std::uint32_t timeMs, Point p);

   private:
    std::uint32_t mInterval;
    double mDistance;
    std::optional<std::uint32_t> mLastTime;
    Point mLast;
    int mCount = 0;
};

// The window title: the document's file name without folder (or "Untitled"), an asterisk
// in front while it has unsaved changes, then the program's name.
std::string windowTitle(const std::string& path, bool edited, int untitledNumber = 1);

// A document action name ("onToggleShowLG:") → a GIO action name ("doc-onToggleShowLG").
// GIO names take letters, digits, '-' and '.'.
std::string gioActionName(const std::string& documentAction);

// The name a save panel proposes for a file of `type` ("txt"): the name with ".type" added
// unless it ends so already ("data.txt" stays "data.txt", "plot" becomes "plot.pdf").
std::string nameWithType(const std::string& name, const std::string& type);

// The path with the document extension added when it has none.
std::string withDocumentExtension(const std::string& path);

// Why a save panel's answer `chosen` must not be written to `target` (the answer with its
// type's extension added): a file already at `target` is not the one whose replacement the
// panel asked about, and may be someone else's. Empty when `target` is the answer itself or
// nothing is there.
std::string replacedWithoutAsking(const std::string& chosen, const std::string& target);

}  // namespace vornex::shell
