#include "Sweep.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

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

std::string familyOf(const Configuration& c) {
    const std::size_t first = c.line.find(' ');
    if (first == std::string::npos) return c.line;
    return c.line.substr(0, c.line.find(' ', first + 1));
}

std::vector<std::size_t> sampleOf(const std::vector<Configuration>& all, const Budget& budget,
                                  int perSubsystem, const std::string& only,
                                  const std::string& match) {
    std::map<std::string, std::vector<std::size_t>> bySubsystem;
    for (std::size_t i = 0; i < all.size(); ++i)
        if ((only.empty() || all[i].subsystem == only) &&
            all[i].line.find(match) != std::string::npos)
            bySubsystem[all[i].subsystem].push_back(i);
    std::vector<std::size_t> out;
    // Picks `count` of `indices` (count <= size), strided from a seeded offset.
    auto stride = [&](const std::string& name, const std::vector<std::size_t>& indices,
                      std::size_t count) {
        const std::size_t step = std::max<std::size_t>(1, indices.size() / count);
        std::size_t k = static_cast<std::size_t>(budget.offset(name, static_cast<int>(step)));
        for (std::size_t taken = 0; taken < count && k < indices.size(); ++taken, k += step)
            out.push_back(indices[k]);
    };
    for (const auto& [name, indices] : bySubsystem) {
        if (budget.full) {
            out.insert(out.end(), indices.begin(), indices.end());
            continue;
        }
        const std::size_t n = indices.size();
        const std::size_t share = static_cast<std::size_t>(std::max(1, perSubsystem));
        std::map<std::string, std::vector<std::size_t>> families;
        for (std::size_t i : indices) families[familyOf(all[i])].push_back(i);
        if (share < families.size()) {
            // One stride over the subsystem: a family of few configurations may go untried.
            const std::size_t step = (n + share - 1) / share;
            for (std::size_t k = static_cast<std::size_t>(budget.offset(name, static_cast<int>(step)));
                 k < n; k += step)
                out.push_back(indices[k]);
            continue;
        }
        // A fault of one class or command shows only in its own family's configurations: each
        // family has a turn before any has a second, the families drawn in a seeded order.
        std::vector<std::pair<std::string, const std::vector<std::size_t>*>> order;
        for (const auto& [family, members] : families) order.emplace_back(family, &members);
        std::rotate(order.begin(),
                    order.begin() + budget.offset(name + " families", static_cast<int>(order.size())),
                    order.end());
        std::vector<std::size_t> counts(order.size(), 0);
        for (std::size_t left = std::min(share, n); left > 0;)
            for (std::size_t f = 0; f < order.size() && left > 0; ++f)
                if (counts[f] < order[f].second->size()) ++counts[f], --left;
        for (std::size_t f = 0; f < order.size(); ++f)
            stride(order[f].first, *order[f].second, counts[f]);
    }
    std::sort(out.begin(), out.end());
    return out;
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
