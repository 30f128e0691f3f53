#include "workbench/ExperimentalData.h"

#include <cmath>
#include <map>
#include <sstream>

#include "numerics/Decimal.h"
#include "workbench/Form.h"

namespace vornex {

std::vector<ExperimentalSet> experimentalCatalogue() {
    struct Row {
        const char* source;
        const char* data;
        int rows;
        double first, last;
    };
    static const Row kSets[] = {
        {"Bischoff & Pitzer", "300°C, L-G", 10, 58, 85.8},
        {"Bischoff & Pitzer", "310°C, L-G", 9, 67, 98.6},
        {"Bischoff & Pitzer", "320°C, L-G", 9, 76, 112.8},
        {"Bischoff & Pitzer", "330°C, L-G", 10, 86, 128.5},
        {"Bischoff & Pitzer", "340°C, L-G", 11, 95, 145.9},
        {"Bischoff & Pitzer", "350°C, L-G", 12, 105, 165.2},
        {"Bischoff & Pitzer", "360°C, L-G", 18, 117, 186.5},
        {"Bischoff & Pitzer", "370°C, L-G", 19, 130, 210.3},
        {"Bischoff & Pitzer", "380°C, L-G", 20, 143, 233.2},
        {"Bischoff & Pitzer", "390°C, L-G", 22, 156, 257},
        {"Bischoff & Pitzer", "400°C, L-G", 23, 172, 280.7},
        {"Bischoff & Pitzer", "410°C, L-G", 20, 186, 280},
        {"Bischoff & Pitzer", "420°C, L-G", 27, 202, 334},
        {"Bischoff & Pitzer", "430°C, L-G", 31, 218, 363},
        {"Bischoff & Pitzer", "440°C, L-G", 28, 235, 394},
        {"Bischoff & Pitzer", "450°C, L-G", 36, 250, 423},
        {"Bischoff & Pitzer", "475°C, L-G", 39, 286, 496},
        {"Bischoff & Pitzer", "500°C, L-G", 53, 324, 581.8},
        {"Sourirajan & Kennedy", "350°C, L-G", 15, 165, 114},
    };
    std::vector<ExperimentalSet> sets;
    sets.reserve(std::size(kSets));
    for (const Row& r : kSets) {
        ExperimentalSet s;
        s.source = r.source;
        s.data = r.data;
        s.rowCount = r.rows;
        s.firstPressure = r.first;
        s.lastPressure = r.last;
        sets.push_back(std::move(s));
    }
    return sets;
}

namespace {

struct Rows {
    std::vector<double> P, liquid, vapour;
};

bool salinity(double w) {
    return w >= 0 && w <= 100;
}

// Within the pressures the document works at (bar).
bool pressure(double P) {
    return P > 0 && P <= 5000;
}

// Why a set's rows disagree with its catalogue entry; empty when they agree.
std::string disagreement(const ExperimentalSet& s, const Rows& r) {
    const std::size_t n = r.P.size();
    if (static_cast<int>(n) != s.rowCount)
        return std::to_string(n) + " rows where " + std::to_string(s.rowCount) + " were published";
    if (r.P.front() != s.firstPressure || r.P.back() != s.lastPressure)
        return "pressures run from " + formatNumber(r.P.front()) + " to " +
               formatNumber(r.P.back()) + " bar, not from " + formatNumber(s.firstPressure) +
               " to " + formatNumber(s.lastPressure);
    for (std::size_t i = 0; i < n; ++i)
        if (!pressure(r.P[i]) || !salinity(r.liquid[i]) ||
            !(salinity(r.vapour[i]) || r.vapour[i] == -1))
            return "row " + std::to_string(i + 1) + " holds a value out of range";
    // A set runs from its first pressure to its last in one direction (rising for most).
    const bool rising = s.lastPressure >= s.firstPressure;
    for (std::size_t i = 1; i < n; ++i)
        if (rising ? r.P[i] < r.P[i - 1] : r.P[i] > r.P[i - 1])
            return "row " + std::to_string(i + 1) + " breaks the order of the pressures (" +
                   formatNumber(r.P[i - 1]) + " then " + formatNumber(r.P[i]) + " bar)";
    return {};
}

}  // namespace

IoResult readExperimentalSets(const std::string& path, std::vector<ExperimentalSet>& sets,
                              std::vector<std::string>& refusals) {
    Bytes bytes;
    IoResult read = readFileBytes(path, bytes, kTableFileLimit);
    if (!read.ok()) return read;
    std::istringstream text(std::string(bytes.begin(), bytes.end()));
    std::map<int, Rows> found;
    std::string line;
    int lineNumber = 0;
    while (std::getline(text, line)) {
        ++lineNumber;
        const std::size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream fields(line);
        std::string f[5];
        int n = 0;
        while (n < 5 && fields >> f[n]) ++n;
        if (n == 0) continue;
        double k = -1, v[3] = {0, 0, 0};
        const bool numbers = n == 4 && isDecimal(f[0], k) && isDecimal(f[1], v[0]) &&
                             isDecimal(f[2], v[1]) && isDecimal(f[3], v[2]);
        if (!numbers || k != std::floor(k) || k < 0 || k >= static_cast<double>(sets.size())) {
            refusals.push_back(path + ": line " + std::to_string(lineNumber) +
                               " is not \"set P liquid vapour\" with a set from 0 to " +
                               std::to_string(sets.size() - 1));
            continue;
        }
        Rows& r = found[static_cast<int>(k)];
        r.P.push_back(v[0]);
        r.liquid.push_back(v[1]);
        r.vapour.push_back(v[2]);
    }
    for (auto& [k, rows] : found) {
        ExperimentalSet& s = sets[k];
        const std::string why = disagreement(s, rows);
        if (!why.empty()) {
            refusals.push_back(path + ": set " + std::to_string(k) + " (" + s.source + ", " +
                               s.data + ") is refused: " + why);
            continue;
        }
        s.P = std::move(rows.P);
        s.liquid = std::move(rows.liquid);
        s.vapour = std::move(rows.vapour);
    }
    return read;
}

}  // namespace vornex
