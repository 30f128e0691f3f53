#include "Sweep.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vornex::sweep {

int Budget::points(int n, int least) const {
    if (full) return n;
    return std::max(least, static_cast<int>(std::lround(n * gridShare)));
}

int Budget::offset(const std::string& name, int n) const {
    if (n <= 1) return 0;
    // FNV-1a of the name, mixed with the seed.
    std::uint64_t h = 1469598103934665603ull ^ seed;
    for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
    return static_cast<int>(h % static_cast<std::uint64_t>(n));
}

double significant9(double v) {
    if (v == 0 || !std::isfinite(v)) return v;
    const double scale = std::pow(10.0, 8 - std::floor(std::log10(std::fabs(v))));
    return std::round(v * scale) / scale;
}

std::string num(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}

namespace {

bool wordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_';
}

}  // namespace

bool holdsWords(const std::string& text, const std::string& words, bool prefix) {
    if (words.empty()) return true;
    // A configuration's words are separated by spaces; a case's text also ends its words at
    // punctuation, though not at the point of a number.
    const auto inWord = [prefix](char c) { return prefix ? c != ' ' : wordChar(c); };
    // "isobar 1" is not "isobar 100", nor "0.01" a piece of "10.01": a match begins and ends
    // at the edges of words, unless its own text ends there in a separator.
    for (std::size_t at = text.find(words); at != std::string::npos; at = text.find(words, at + 1)) {
        if (prefix && at != 0) return false;
        const bool starts = at == 0 || !inWord(words.front()) || !inWord(text[at - 1]);
        const std::size_t end = at + words.size();
        const bool ends = end == text.size() || !inWord(words.back()) || !inWord(text[end]);
        if (starts && ends) return true;
        if (prefix) return false;
    }
    return false;
}

bool covers(const Allowance& a, const std::string& subsystem, const std::string& invariant,
            const std::string& configuration, const std::string& where) {
    if (a.below > 0) {
        const std::size_t at = where.find("T ");
        if (at == std::string::npos) return false;
        const double T = std::strtod(where.c_str() + at + 2, nullptr);
        if (!(T < a.below && T > a.above)) return false;
    }
    return concerns(a, subsystem, invariant, configuration) && holdsWords(where, a.where, false);
}

bool concerns(const Allowance& a, const std::string& subsystem, const std::string& invariant,
              const std::string& configuration) {
    return subsystem == a.subsystem && invariant == a.invariant &&
           holdsWords(configuration, a.configuration, true);
}

bool Checks::check(const std::string& invariant, bool ok, const std::string& where) {
    Tally& t = tallies_[invariant];
    ++t.checked;
    if (ok) return true;
    const std::string text = configuration_ + ": " + where;
    const auto& named = namedExceptions();
    for (std::size_t i = 0; i < named.size(); ++i)
        if (covers(named[i], subsystem_, invariant, configuration_, where)) {
            if (t.excepted++ == 0) t.firstExcepted = text;
            used_.insert({'N', i});
            return false;
        }
    const auto& known = knownFaults();
    for (std::size_t i = 0; i < known.size(); ++i)
        if (covers(known[i], subsystem_, invariant, configuration_, where)) {
            if (t.known++ == 0) t.firstKnown = text;
            used_.insert({'K', i});
            return false;
        }
    if (t.failed++ == 0) t.firstFailure = text;
    // Every failing case, for a study of them, in the worker's folder.
    if (std::getenv("VORNEX_SWEEP_ALL_FAILURES") != nullptr)
        if (std::FILE* f = std::fopen("failures", "a")) {
            std::fprintf(f, "%s\t%s\n", invariant.c_str(), text.c_str());
            std::fclose(f);
        }
    return false;
}

std::vector<Configuration> allConfigurations(const std::string& buildDir) {
    std::vector<Configuration> all;
    addModelConfigurations(all);
    addMixtureConfigurations(all);
    addBrineConfigurations(all);
    addConsoleConfigurations(all, buildDir);
    addWorkbenchConfigurations(all);
    addEnergeticsConfigurations(all);
    addStudyConfigurations(all);
    addSolubilityConfigurations(all);
    return all;
}

}  // namespace vornex::sweep
