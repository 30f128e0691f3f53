#include "platform/NotificationCenter.h"

#include <algorithm>

namespace vornex {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::ObserverId NotificationCenter::addObserver(const void* owner,
                                                               const std::string& name,
                                                               const void* object,
                                                               Handler handler) {
    ObserverId id = nextId_++;
    observers_.push_back({id, owner, name, object, std::move(handler)});
    return id;
}

void NotificationCenter::removeObserver(const void* owner) {
    std::erase_if(observers_, [owner](const Observer& o) { return o.owner == owner; });
}

void NotificationCenter::removeObserver(const void* owner, const std::string& name,
                                        const void* object) {
    std::erase_if(observers_, [&](const Observer& o) {
        return o.owner == owner && (name.empty() || o.name == name) &&
               (object == nullptr || o.object == object);
    });
}

void NotificationCenter::removeObserver(ObserverId id) {
    std::erase_if(observers_, [id](const Observer& o) { return o.id == id; });
}

bool NotificationCenter::isRegistered(ObserverId id) const {
    return std::any_of(observers_.begin(), observers_.end(),
                       [id](const Observer& o) { return o.id == id; });
}

void NotificationCenter::post(const Notification& n) {
    // Handlers may add or remove observers: deliver to a snapshot, checking each entry is
    // still registered just before its call.
    std::vector<Observer> matching;
    for (const Observer& o : observers_)
        if ((o.name.empty() || o.name == n.name) && (o.object == nullptr || o.object == n.object))
            matching.push_back(o);
    for (const Observer& o : matching)
        if (isRegistered(o.id) && o.handler) o.handler(n);
}

void NotificationCenter::post(const std::string& name, const void* object, PlistValue userInfo) {
    post(Notification{name, object, std::move(userInfo)});
}

}  // namespace vornex
