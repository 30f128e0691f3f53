// Notifications between parts that do not know each other: a poster names the event and
// itself, observers registered for that name (and optionally that sender) are called in the
// order they registered. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/PlistValue.h"

namespace vornex {

// Names posted by the plot views.
namespace notifications {
inline constexpr const char* plotSelection = "PlotSelection";
inline constexpr const char* axisPlotChanged = "AxisPlotChanged";
inline constexpr const char* ternaryPlotSelection = "TernaryPlotSelection";
// Posted by a window host when a window becomes or stops being the main window.
inline constexpr const char* windowDidBecomeMain = "WindowDidBecomeMain";
inline constexpr const char* windowDidResignMain = "WindowDidResignMain";
}  // namespace notifications

struct Notification {
    std::string name;
    // The poster; compared by address only, never dereferenced here.
    const void* object = nullptr;
    // A dictionary, or a null value for none.
    PlistValue userInfo;
};

class NotificationCenter {
   public:
    using Handler = std::function<void(const Notification&)>;
    using ObserverId = std::uint64_t;

    // The centre the plot views post to.
    static NotificationCenter& defaultCenter();

    // Registers `handler` for notifications of `name` (every name when empty) from `object`
    // (any poster when null). `owner` identifies the observer for removal; it is never
    // dereferenced. Returns an id that removes this one registration.
    ObserverId addObserver(const void* owner, const std::string& name, const void* object,
                           Handler handler);
    // Removes every registration of the owner.
    void removeObserver(const void* owner);
    // Removes the owner's registrations for that name (every name when empty) and poster
    // (every poster when null).
    void removeObserver(const void* owner, const std::string& name, const void* object);
    void removeObserver(ObserverId id);

    // Calls every matching handler. A handler removed while the notification is delivered
    // (by an earlier handler) is not called; one added meanwhile waits for the next post.
    void post(const Notification& n);
    void post(const std::string& name, const void* object, PlistValue userInfo = {});

    std::size_t observerCount() const { return observers_.size(); }

   private:
    struct Observer {
        ObserverId id;
        const void* owner;
        std::string name;
        const void* object;
        Handler handler;
    };
    bool isRegistered(ObserverId id) const;

    std::vector<Observer> observers_;
    ObserverId nextId_ = 1;
};

}  // namespace vornex
