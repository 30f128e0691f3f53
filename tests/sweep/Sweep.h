// The sweep: every configuration the code offers (models, classes and components, regions,
// commands, option words, locales), each taken from the code's own lists, run and checked by
// invariants every sound result keeps. A subsystem contributes its configurations; a
// configuration runs its checks, each counted under the invariant it belongs to.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace vornex {
class PalliserModel;
class SolubilityModel;
}

namespace vornex::sweep {

// How much of each grid a run covers: the whole grids, or a strided sample with a fixed seed.
struct Budget {
    bool full = false;
    // In the sample, one configuration of `stride` runs (chosen by the seed), each grid
    // `gridShare` of its full size (at least a few points).
    int stride = 1;
    double gridShare = 1.0;
    std::uint64_t seed = 1;
    std::string buildDir;  // where the console programs are (build/<flavour>)
    // Points of a grid whose full size is n.
    int points(int n, int least = 3) const;
    // The offset (0 .. n-1) of a strided sample of step n, drawn from the seed and a name, so
    // that every run of the sample takes the same points and successive samples of other
    // seeds other points.
    int offset(const std::string& name, int n) const;
};

struct Tally {
    long checked = 0, failed = 0, known = 0, excepted = 0;
    std::string firstFailure, firstKnown, firstExcepted;
};

// What one configuration's checks found.
class Checks {
   public:
    Checks(std::string subsystem, std::string configuration, const Budget& budget)
        : subsystem_(std::move(subsystem)), configuration_(std::move(configuration)),
          budget_(budget) {}
    // One check of `invariant`; `where` says the case (its state, row or words) when it fails.
    bool check(const std::string& invariant, bool ok, const std::string& where);
    const Budget& budget() const { return budget_; }
    const std::string& configuration() const { return configuration_; }
    const std::string& subsystem() const { return subsystem_; }
    std::map<std::string, Tally>& tallies() { return tallies_; }
    // The allowances that covered a failing case here, by kind ('N' named, 'K' known) and
    // index in their list: an allowance that covers nothing in a run of its configurations is
    // stale.
    const std::set<std::pair<char, std::size_t>>& allowancesUsed() const { return used_; }

   private:
    std::string subsystem_, configuration_;
    const Budget& budget_;
    std::map<std::string, Tally> tallies_;
    std::set<std::pair<char, std::size_t>> used_;
};

struct Configuration {
    std::string subsystem;
    std::string line;  // as --list prints it: "model wagner", "kelno pp pyroclast"
    std::function<void(Checks&)> run;
};

// A failure that is not counted as one, printed with its reason: a named exception (the
// model's own law, said in the README) or a known fault (being mended; the entry goes when
// the mend lands). It covers the checks of `invariant` in the configurations whose line
// starts with `configuration`, and, where `where` is not empty, only cases whose text holds it.
struct Allowance {
    const char* subsystem;
    const char* invariant;
    const char* configuration;
    const char* where;
    const char* reason;
    // Where positive, only cases whose temperature (the number after the case's first "T ",
    // in the unit the case text gives it) lies below `below` and, where set, above `above`.
    double below = 0.0;
    double above = -1e300;
};
const std::vector<Allowance>& namedExceptions();
const std::vector<Allowance>& knownFaults();
// Whether an allowance concerns the checks of `invariant` in `configuration`: its
// configuration is the line's first whole words ("h2onacl isobar 1" is not "h2onacl isobar
// 100").
bool concerns(const Allowance& a, const std::string& subsystem, const std::string& invariant,
              const std::string& configuration);
// Whether it covers a failing case of them: the case's text holds its `where` as whole words
// (and its temperature lies in its band).
bool covers(const Allowance& a, const std::string& subsystem, const std::string& invariant,
            const std::string& configuration, const std::string& where);
// Whether `text` holds `words` with a word's edge at both ends. Where `prefix`, at the start
// of `text`, whose words spaces separate; otherwise anywhere, words being made of digits,
// letters, '.' and '_'. A side of `words` that is a separator matches anything there.
bool holdsWords(const std::string& text, const std::string& words, bool prefix);

// The subsystems' configurations, in the order the table shows them.
// The names of a table in a source file: the first string of each row of the array that
// starts at `marker` (or, where `alias` is set, the row's second string when it has one).
std::vector<std::string> namesOfTable(const std::string& source, const std::string& marker,
                                      bool alias);
void addModelConfigurations(std::vector<Configuration>& out);
void addMixtureConfigurations(std::vector<Configuration>& out);
void addBrineConfigurations(std::vector<Configuration>& out);
void addConsoleConfigurations(std::vector<Configuration>& out, const std::string& buildDir);
void addWorkbenchConfigurations(std::vector<Configuration>& out);
void addEnergeticsConfigurations(std::vector<Configuration>& out);
// The magma models, the water studies, the brine densities and the gas solubilities.
void addStudyConfigurations(std::vector<Configuration>& out);
// Dubessy's H2O-CO2(-NaCl) vapour, the Henry-Pitzer sets in hot water, every solubility model
// at the top of its ranges and Henry's law over water without NaCl.
void addSolubilityConfigurations(std::vector<Configuration>& out);
// Every solubility model with each gas it dissolves, by the name the configurations give it.
struct SolubilityMaker {
    std::string name;
    std::function<std::unique_ptr<SolubilityModel>()> make;
};
std::vector<SolubilityMaker> solubilityModels();
// Past a solubility peak a content first dissolves at a lower pressure, the one a bubble
// pressure gives: whether `back`'s bubble pressure lies below Pbar (bar) and the model there
// dissolves mg (mol/kg) at NaCl molality ms.
bool dissolvesAtLowerBubble(const SolubilityMaker& maker, const SolubilityModel& back, double TK,
                            double Pbar, double ms, double mg);
std::vector<Configuration> allConfigurations(const std::string& buildDir);
// The family of a configuration: its line's first two words ("cubic TwoPar", "kelno pp").
std::string familyOf(const Configuration& c);
// The configurations a run takes, by index into `all`: those of subsystem `only` (every one
// when empty) whose line holds `match`; all of them in a full run, else at most
// `perSubsystem` of each subsystem. Where that many reach every family of the subsystem, each
// family has its share, strided from an offset the seed draws; else one stride over the
// subsystem. A subsystem's part does not depend on the other subsystems taken.
std::vector<std::size_t> sampleOf(const std::vector<Configuration>& all, const Budget& budget,
                                  int perSubsystem, const std::string& only = "",
                                  const std::string& match = "");
// The saturation points of a binary of the cubic class named `cubicClass` ("PR") at T (K), as
// the configurations "cubic closure ..." check them.
void checkBinaryClosure(Checks& c, const std::string& cubicClass,
                        const std::vector<std::string>& names, double T);

// The H2O-NaCl point functions at T (degC) of `model`, as the configurations "h2onacl bubble"
// and "h2onacl inverses" check them.
void checkBrineBubbles(Checks& c, PalliserModel& model, double TC);
void checkBrineInverses(Checks& c, PalliserModel& model, double TC);

// Number formatting for case texts: %.10g.
std::string num(double v);

// `v` kept to nine significant digits: rows of a curve that starts decades below its other
// rows (a vapour pressure of 1e-20 bar) stay apart where an absolute rounding would merge them.
double significant9(double v);

}  // namespace vornex::sweep
