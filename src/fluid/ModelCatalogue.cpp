#include "fluid/ModelCatalogue.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>

namespace vornex {

namespace {

struct Catalogue {
    std::mutex mutex;
    std::map<std::string, ModelDescription> entries;
};

Catalogue& catalogue() {
    static Catalogue c;
    return c;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string megapascals(double PPa) {
    return number(PPa * 1e-6) + " MPa";
}

}  // namespace

bool PublishedRange::bounded() const {
    return Tmin > 0.0 || std::isfinite(Tmax) || std::isfinite(Pmax);
}

std::string PublishedRange::text() const {
    std::string t;
    if (lowerBound != nullptr)
        t = std::string(lowerBound) + (std::isfinite(Tmax) ? " to " + number(Tmax) + " K" : " up");
    else if (std::isfinite(Tmax))
        t = number(Tmin) + " to " + number(Tmax) + " K";
    else if (Tmin > 0.0)
        t = number(Tmin) + " K and above";
    if (std::isfinite(Pmax)) t += (t.empty() ? "" : ", ") + std::string("up to ") + megapascals(Pmax);
    return t;
}

std::string PublishedRange::excess(double TK, double PPa) const {
    std::string below, beyond;
    if (TK < Tmin) below = number(Tmin) + " K";
    if (TK > Tmax) beyond = number(Tmax) + " K";
    if (PPa > Pmax) beyond += (beyond.empty() ? "" : " and ") + megapascals(Pmax);
    if (!below.empty() && !beyond.empty()) return "below " + below + " and beyond " + beyond;
    if (!below.empty()) return "below " + below;
    if (!beyond.empty()) return "beyond " + beyond;
    if (solidRegion != nullptr && TK >= Tmin && PPa > 0.0) return solidRegion(TK, PPa);
    return {};
}

void describeModel(const std::string& keyword, ModelDescription description) {
    Catalogue& c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.entries[keyword] = std::move(description);
}

const ModelDescription* modelDescription(const std::string& keyword) {
    Catalogue& c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    auto it = c.entries.find(keyword);
    // Entries are never removed, only replaced in place: the pointer stays valid.
    return it == c.entries.end() ? nullptr : &it->second;
}

}  // namespace vornex
