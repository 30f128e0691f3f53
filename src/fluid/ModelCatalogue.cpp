#include "fluid/ModelCatalogue.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <sstream>
#include <vector>

#include "fluid/OutputFiles.h"
#include "numerics/FileReader.h"
#include "numerics/StandardOutput.h"

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
    return shownNumber(value);
}

std::string megapascals(double PPa) {
    return number(PPa * 1e-6) + " MPa";
}

}  // namespace

std::string shownNumber(double value) {
    char text[32] = "";
    for (int digits = 6; digits <= 15; ++digits) {
        vornex::csnprintf(text, sizeof text, "%.*g", digits, value);
        if (vornex::cstrtod(text, nullptr) == value) break;
    }
    return text;
}

std::string shownBeside(double value, double bound) {
    char text[32];
    vornex::csnprintf(text, sizeof text, "%g", value);
    const double shown = vornex::cstrtod(text, nullptr);
    const bool sameSide = (value > bound) == (shown > bound) && (value < bound) == (shown < bound);
    return sameSide || !std::isfinite(bound) ? std::string(text) : shownNumber(value);
}

std::string PublishedRange::shownT(double TK) const {
    return TK > Tmax ? shownBeside(TK, Tmax) : shownBeside(TK, Tmin);
}

std::string PublishedRange::shownP(double Pbar) const {
    return shownBeside(Pbar, Pmax * 1e-5);
}

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
    // Inside the temperature bounds a solid may be the stable phase, beyond the pressure
    // bound as well as within it.
    const std::string solid =
        solidRegion != nullptr && TK >= Tmin && PPa > 0.0 ? solidRegion(TK, PPa) : "";
    if (!beyond.empty()) return "beyond " + beyond + (solid.empty() ? "" : ", " + solid);
    return solid;
}

namespace {

// One point of a curve (T in K, P in bar) counted, and judged against the range.
void countPoint(CurveExcess& found, const PublishedRange& range, double TK, double Pbar) {
    if (!std::isfinite(TK) || !std::isfinite(Pbar)) return;
    ++found.points;
    const std::string excess = range.excess(TK, Pbar * 1e5);
    if (excess.empty()) return;
    if (found.outside++ == 0) found.first = excess;
}

}  // namespace

CurveExcess curveExcess(const std::string& name, const std::string& suffix,
                        const PublishedRange& range, double fixedTK) {
    CurveExcess found;
    std::string text;
    if (!readRegularFile(OutputFiles::pathOf(name), kTableFileLimit, text)) return found;
    std::istringstream in(text);
    int columnT = -1, columnP = -1;
    bool rows = false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        if (w[0] == "WAVES") {
            for (std::size_t k = 1; k < w.size(); ++k) {
                if (w[k] == "T" + suffix) columnT = int(k) - 1;
                if (w[k] == "P" + suffix) columnP = int(k) - 1;
            }
            continue;
        }
        if (w[0] == "BEGIN" || w[0] == "END") {
            rows = w[0] == "BEGIN";
            continue;
        }
        // A column table's header: "#", then numbered names ("P(1)", "T(4)").
        if (w[0] == "#") {
            for (std::size_t k = 1; k < w.size(); ++k) {
                if (w[k].rfind("T(", 0) == 0) columnT = int(k) - 1;
                if (w[k].rfind("P(", 0) == 0) columnP = int(k) - 1;
            }
            rows = true;
            continue;
        }
        if (!rows || columnP < 0 || (columnT < 0 && !(fixedTK > 0.0))) continue;
        if (int(w.size()) <= std::max(columnT, columnP)) continue;
        const double TK = columnT < 0 ? fixedTK : vornex::cstrtod(w[std::size_t(columnT)].c_str(), nullptr);
        const double Pbar = vornex::cstrtod(w[std::size_t(columnP)].c_str(), nullptr);
        countPoint(found, range, TK, Pbar);
    }
    return found;
}

CurveExcess binaryCurveExcess(const std::string& name, std::size_t width, std::size_t columnT,
                              std::size_t columnP, const PublishedRange& range) {
    CurveExcess found;
    std::vector<std::uint8_t> bytes;
    if (!readRegularFile(OutputFiles::pathOf(name), kTableFileLimit, bytes)) return found;
    const std::size_t rowBytes = width * sizeof(double);
    for (std::size_t at = 0; at + rowBytes <= bytes.size(); at += rowBytes) {
        double TK = 0.0, Pbar = 0.0;
        std::memcpy(&TK, bytes.data() + at + columnT * sizeof(double), sizeof(double));
        std::memcpy(&Pbar, bytes.data() + at + columnP * sizeof(double), sizeof(double));
        countPoint(found, range, TK, Pbar);
    }
    return found;
}

bool noteCurveExcess(const char* command, const std::string& name, const std::string& suffix,
                     const PublishedRange& range, const std::string& model, double fixedTK) {
    if (!range.bounded()) return false;
    return noteCurveExcess(command, name, curveExcess(name, suffix, range, fixedTK), range, model);
}

bool noteCurveExcess(const char* command, const std::string& name, const CurveExcess& e,
                     const PublishedRange& range, const std::string& model) {
    if (e.outside == 0) return false;
    flushStandardOutput();
    vornex::cfprintf(stderr,
                 "%s: %d of the %d points of %s lie outside the published range of %s (%s), "
                 "the first %s; their figures drift there\n",
                 command, e.outside, e.points, name.c_str(), model.c_str(), range.text().c_str(),
                 e.first.c_str());
    return true;
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
