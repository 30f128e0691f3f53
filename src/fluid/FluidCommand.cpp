#include "fluid/FluidCommand.h"
#include "numerics/Decimal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <limits>
#include <sstream>
#include <utility>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/Metastability.h"
#include "fluid/OutputFiles.h"
#include "numerics/AtomicFile.h"
#include "numerics/ConsoleInput.h"
#include "numerics/FileReader.h"
#include "numerics/StandardOutput.h"

namespace vornex {

namespace {

// What a parameter accepts.
enum class Kind {
    Positive,  // a temperature, pressure or volume: finite and above zero
    Fraction,  // a mole fraction: 0 ... 1
    Step,      // a temperature step of a tracer, K: 0.001 ... 1000 in size, either direction
    Suffix,    // a file-name suffix
};

struct Parameter {
    std::string label;
    Kind kind = Kind::Positive;
};

struct Value {
    double number = 0.0;
    std::string text;
};

using Values = std::vector<Value>;

struct Command {
    const char* word;
    const char* help;
    // The fluid decides the parameters of "x" and "isop"; null asks for the help form.
    std::vector<Parameter> (*parameters)(const FluidPhase* fluid);
    // Runs the command; false, when it said why, if it failed or could not apply.
    bool (*action)(FluidPhase& fluid, const Values& v);
    // A command that sets the state: when it refuses what it was given, whatever followed
    // would be computed on a state not asked for.
    bool setsState = false;
};

Parameter positive(const char* label) {
    return {label, Kind::Positive};
}
Parameter fraction(const char* label) {
    return {label, Kind::Fraction};
}
Parameter step(const char* label) {
    return {label, Kind::Step};
}
Parameter suffix(const char* label) {
    return {label, Kind::Suffix};
}

constexpr double kCm3 = 1e-6;  // m3 per cm3

std::string trimmed(const std::string& label) {
    std::size_t end = label.find_last_not_of(' ');
    return end == std::string::npos ? "" : label.substr(0, end + 1);
}

// Why the word is not acceptable for the parameter; empty when it is (its number in `value`).
std::string refusal(const std::string& word, Kind kind, double& value) {
    if (kind == Kind::Suffix) return OutputFiles::isWaveNameSuffix(word) ? "" : "is not a suffix";
    if (word.size() != std::strlen(word.c_str())) return "is not a number";
    if (const char* why = numberRefusal(word.c_str(), value)) return why;
    switch (kind) {
        case Kind::Positive:
            if (!(value > 0.0)) return "must be above zero";
            break;
        case Kind::Fraction:
            if (!(value >= 0.0 && value <= 1.0)) return "must lie between 0 and 1";
            break;
        case Kind::Step:
            // A smaller step would take a tracer practically forever; a larger one jumps over
            // whatever it traces.
            if (!(std::fabs(value) >= 1e-3 && std::fabs(value) <= 1e3))
                return "must lie between 0.001 and 1000 K in size";
            break;
        case Kind::Suffix:
            break;
    }
    return "";
}

// The word's number, or false with the refusal said on standard error.
bool accept(const char* command, const Parameter& p, const std::string& word, Value& value) {
    value.text = word;
    const std::string why = refusal(word, p.kind, value.number);
    if (why.empty()) return true;
    if (p.kind == Kind::Suffix) {
        OutputFiles::checkWaveNameSuffix(word);  // says why
    } else {
        vornex::cfprintf(stderr, "%s: %s \"%s\" refused: %s\n", command, trimmed(p.label).c_str(),
                         shownWord(word).c_str(), why.c_str());
    }
    return false;
}

// Two curves of one command named by one suffix would write one file, the second over the
// first; named by suffixes that differ in case only, one set of Igor waves (Igor's names, and
// a case-insensitive file system's, ignore case): false, said, where two suffix parameters of
// the values are so.
bool distinctSuffixes(const char* command, const std::vector<Parameter>& parameters,
                      const Values& values) {
    const auto same = [](const std::string& x, const std::string& y) {
        return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](char c, char d) {
            return std::tolower(static_cast<unsigned char>(c)) ==
                   std::tolower(static_cast<unsigned char>(d));
        });
    };
    for (std::size_t a = 0; a < values.size() && a < parameters.size(); ++a)
        for (std::size_t b = a + 1; b < values.size() && b < parameters.size(); ++b)
            if (parameters[a].kind == Kind::Suffix && parameters[b].kind == Kind::Suffix &&
                same(values[a].text, values[b].text)) {
                vornex::cfprintf(stderr,
                             "%s: %s \"%s\" refused: it is the %s as well (Igor's wave names "
                             "ignore case), and each curve needs a file of its own\n",
                             command, trimmed(parameters[b].label).c_str(), values[b].text.c_str(),
                             trimmed(parameters[a].label).c_str());
                return false;
            }
    return true;
}

const char* nameOf(const FluidPhase& f) {
    return f.modelName.empty() ? "the model" : f.modelName.c_str();
}

// False, with the reason, unless the model holds the component counts the command needs.
bool needsComponents(const FluidPhase& f, const char* command, int from, int to, const char* what) {
    if (f.nc >= from && f.nc <= to) return true;
    vornex::cfprintf(stderr, "%s is for %s; %s holds %d component%s: nothing was done\n", command, what,
                 nameOf(f), f.nc, f.nc == 1 ? "" : "s");
    return false;
}

// A command that ran the library is judged by the fluid's error flag.
bool succeeded(const FluidPhase& f, const char* command) {
    if (f.error == 0) return true;
    vornex::cfprintf(stderr, "%s failed\n", command);
    return false;
}

// A curve whose file holds points but whose tracer raised the error flag stopped before the
// end of the range asked: the points stay, and the command failed.
bool tracedWhole(const FluidPhase& f, const char* command) {
    if (f.error == 0) return true;
    vornex::cfprintf(stderr, "%s failed: the curve was traced only in part\n", command);
    return false;
}

// The range of the model the running list works on.
PublishedRange publishedRange;

// Where (T, P) lies outside the model's published range, as a clause; empty inside it.
std::string outsideRange(const FluidPhase& f, double TK, double PPa) {
    const std::string excess = publishedRange.excess(TK, PPa);
    if (excess.empty()) return {};
    return "outside the published range of " + std::string(nameOf(f)) + " (" +
           publishedRange.text() + "): " + excess;
}

// A printed state outside the range is computed all the same; the user is told, with the
// state's T (K) and P (bar): those asked for, or those of the state found.
void noteRange(const FluidPhase& f, const char* command, double TK, double Pbar) {
    const std::string outside = outsideRange(f, TK, Pbar * 1e5);
    if (!outside.empty())
        vornex::cfprintf(stderr, "%s: T = %s K, P = %s bar lies %s; its figures drift there\n",
                     command, publishedRange.shownT(TK).c_str(),
                     publishedRange.shownP(Pbar).c_str(),
                     outside.c_str());
}

void noteRange(const FluidPhase& f, const char* command) {
    noteRange(f, command, f.T, f.P * 1e-5);
}

// The mark of the written-file list when the running command started: a file written
// before it is not its output.
std::size_t commandFileMark = 0;
// The count of failed writes when the running command started: a curve whose file could not
// be written was traced all the same, and its write failure is what the command says.
unsigned long commandFailureMark = 0;

bool writtenByCommand(const std::string& name) {
    const std::vector<std::string> written = filesWrittenSince(commandFileMark);
    return std::find(written.begin(), written.end(), OutputFiles::pathOf(name)) != written.end();
}

// True when the file was written by the running command and holds a data row: a line that
// starts with a number.
bool holdsRows(const std::string& name) {
    if (!writtenByCommand(name)) return false;
    std::string text;
    readRegularFile(OutputFiles::pathOf(name), kTableFileLimit, text);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::size_t at = line.find_first_not_of(" \t");
        if (at != std::string::npos && (std::isdigit(static_cast<unsigned char>(line[at])) ||
                                        std::strchr("+-.", line[at]) != nullptr))
            return true;
    }
    return false;
}

// A curve tracer ends its curve where a step fails, which leaves the error flag set, and a
// model without the tracer does nothing at all. Each file is named by its prefix and the
// suffix given (an isotherm's by its temperature too, which its rows do not hold).
struct CurveFile {
    const char* prefix;
    std::string suffix;
    double fixedTK = 0.0;
};

// The prefixes of the files a command writes, one for each of its suffix parameters in turn.
std::vector<const char*> filePrefixes(const char* command) {
    static const std::pair<const char*, std::vector<const char*>> kFiles[] = {
        {"crit", {"crit"}},   {"crit2", {"crit"}},          {"sat", {"satu"}},
        {"spino", {"spino", "spino"}}, {"spinox", {"spinot", "spinot"}}, {"isoc", {"isoc"}},
        {"ter", {"ter"}},     {"isotherm", {"isot"}},       {"isop", {"isop"}},
        {"ll3", {"isol"}},    {"bino", {"bino"}},           {"binop", {"binop"}}};
    for (const auto& [word, prefixes] : kFiles)
        if (std::strcmp(word, command) == 0) return prefixes;
    return {};
}

// What stood at the name of a file a command writes, kept aside (a second link to it) while
// the command runs: a curve file without a row is removed, and a failed command must not
// take with it the file that was there before, the user's own or an earlier curve.
struct KeptFile {
    std::string path, keptPath;
    int slot = -1;  // the kept link goes with a run ended by a signal
    // An output this program wrote there: put back, it is the program's again, so that the
    // next command replaces it as it would have before this one failed.
    bool recorded = false;
};

std::vector<KeptFile> keepFilesAside(const char* command, const std::vector<Parameter>& parameters,
                                     const Values& values) {
    std::vector<KeptFile> kept;
    const std::vector<const char*> prefixes = filePrefixes(command);
    std::size_t k = 0;
    for (std::size_t i = 0; i < parameters.size() && i < values.size(); ++i) {
        if (parameters[i].kind != Kind::Suffix || k >= prefixes.size()) continue;
        const std::string path = OutputFiles::pathOf(prefixes[k++] + values[i].text);
        struct stat entry {};
        if (::lstat(path.c_str(), &entry) != 0) continue;
        const bool recorded = isRecordedOutput(path);
        const std::size_t slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
        const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
        const std::string keptPath =
            folder + "." + base + "." + std::to_string(::getpid()) + ".kept";
        // No second link (a file system without them): the file goes unguarded, as any
        // replaced file does.
        if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, keptPath.c_str(), 0) == 0)
            kept.push_back({path, keptPath, removeOnSignal(keptPath), recorded});
    }
    return kept;
}

// A name the command left empty gets back what stood there; the other kept links go. The
// paths given back, which the command did not write.
std::vector<std::string> restoreKeptFiles(std::vector<KeptFile>& kept) {
    std::vector<std::string> restored;
    for (KeptFile& k : kept) {
        releaseRemoveOnSignal(k.slot);
        struct stat entry {};
        if (::lstat(k.path.c_str(), &entry) != 0 && errno == ENOENT &&
            restoreSetAsideOutput(k.keptPath, k.path, k.recorded)) {
            restored.push_back(k.path);
            continue;
        }
        ::unlink(k.keptPath.c_str());
    }
    return restored;
}

// A curve succeeded when each of its files holds a row. A file the command wrote without one
// is no curve: it is removed, so that the files named after the command are curves, and the
// command failed. Points of a curve outside the model's range are said.
bool traced(const FluidPhase& f, const char* command, std::initializer_list<CurveFile> files) {
    int withRows = 0, without = 0;
    for (const CurveFile& file : files) {
        const std::string name = file.prefix + file.suffix;
        if (holdsRows(name)) {
            ++withRows;
            continue;
        }
        ++without;
        if (writtenByCommand(name)) std::remove(OutputFiles::pathOf(name).c_str());
    }
    if (withRows == 0) {
        const unsigned long unwritten = OutputFiles::failures() - commandFailureMark;
        if (unwritten > 0)
            vornex::cfprintf(stderr, "%s failed: %lu of its files could not be written\n", command,
                         unwritten);
        else
            vornex::cfprintf(stderr, "%s failed: nothing was traced\n", command);
        return false;
    }
    for (const CurveFile& file : files)
        noteCurveExcess(command, file.prefix + file.suffix, file.suffix, publishedRange, nameOf(f),
                        file.fixedTK);
    if (without == 0) return true;
    vornex::cfprintf(stderr, "%s failed: %d of its %d curves hold no point\n", command, without,
                 withRows + without);
    return false;
}

std::vector<Parameter> compositionParameters(const FluidPhase* fluid) {
    if (fluid == nullptr) return {fraction("x1 ... x(nc-1)")};
    std::vector<Parameter> list;
    for (int k = 1; k < fluid->nc; ++k) {
        const std::string& name =
            k < int(fluid->componentName.size()) ? fluid->componentName[k] : "";
        list.push_back(
            fraction(("mole fraction (" + std::to_string(k) + "," + name + ")").c_str()));
    }
    return list;
}

bool setComposition(FluidPhase& fluid, const Values& v) {
    if (!needsComponents(fluid, "x", 2, std::numeric_limits<int>::max(), "a mixture")) return false;
    double sum = 0.0;
    for (const Value& value : v) sum += value.number;
    if (sum > 1.0) {
        vornex::cfprintf(stderr, "x: the mole fractions add up to %g, above 1; nothing was set\n", sum);
        return false;
    }
    for (int k = 1; k < fluid.nc; ++k) fluid.composition_of_component(k, v[k - 1].number);
    fluid.composition_of_component(0, 1.0 - sum);
    // Densities, mass fractions and per-kg values follow the mixture's molar mass.
    fluid.calculateBulkMolarWeight();
    return true;
}

std::vector<Parameter> isoplethParameters(const FluidPhase* fluid) {
    int nc = fluid == nullptr ? 3 : fluid->nc;
    if (nc == 3)
        return {positive("T (K)  "), fraction("x1     "), fraction("x2     "), step("dT     "),
                suffix("suffix ")};
    if (nc == 2)
        return {positive("T (K)  "), fraction("x1     "), step("dT     "), suffix("suffix ")};
    return {};
}

bool runIsopleth(FluidPhase& fluid, const Values& v) {
    if (!needsComponents(fluid, "isop", 2, 3, "a mixture of two or three components")) return false;
    if (fluid.nc == 3)
        fluid.calculateTheIsopleth3(v[4].text.c_str(), v[0].number, v[1].number, v[2].number,
                                    v[3].number);
    else
        fluid.calculateTheIsopleth2(v[3].text.c_str(), v[0].number, v[1].number, v[2].number);
    return traced(fluid, "isop", {{"isop", v.back().text}});
}

// The printed state is a result only when its values are numbers.
bool isFiniteState(const FluidPhase& f) {
    // Far outside a model's range the pressure may stay finite while the heat capacities
    // overflow: every printed property must be a number, but for the heat capacities a
    // model without the ideal gas's does not give, cp where (dP/dV)_T vanishes, and cv at the
    // critical point.
    for (double value : {f.T, f.P, f.V, f.Z, f.A, f.U, f.H, f.S, f.dPdV})
        if (!std::isfinite(value)) return false;
    const double cv = f.ideal == nullptr ? f.CvResidual : f.Cv;
    const double cp = f.ideal == nullptr ? f.CpResidual : f.Cp;
    const bool heatCapacities = f.ideal == nullptr || f.givesHeatCapacities();
    if (heatCapacities && !f.atCriticalPoint() && !std::isfinite(cv)) return false;
    if (heatCapacities && !f.isothermalSlopeVanishes() && !std::isfinite(cp)) return false;
    if (!(f.T > 0.0) || !(f.V > 0.0)) return false;
    for (int i = 0; i < f.nc; ++i)
        if (!std::isfinite(f.fugacity[static_cast<std::size_t>(i)])) return false;
    return true;
}

// Where the gas at a pressure would be all but ideal (R T / P beyond 1 m3/mol, some 1e4
// times any second virial coefficient), its volume is R T / P. A model whose pressure cannot
// be evaluated there (a term over- or underflowing at so large a volume) has no state to
// find: that is the reason, not the search. Empty where it can, or the gas is no ideal one.
std::string gasVolumeBeyondModel(FluidPhase& f, double TK, double Pbar) {
    const double Vgas = f.gasConstant * TK / (Pbar * 1e5);
    if (!std::isfinite(Vgas) || Vgas < 1.0) return {};
    f.calculateFromTV(TK, Vgas, 0);
    if (f.error == 0 && std::isfinite(f.P)) return {};
    char text[200];
    vornex::csnprintf(text, sizeof text,
                  "the model's pressure cannot be evaluated at the gas's volume at this "
                  "pressure, R T / P = %g m3/mol",
                  Vgas);
    return text;
}

bool printStateAtTP(FluidPhase& f, const Values& v) {
    const double TK = v[0].number, Pbar = v[1].number;
    // The uniform root first: a mixture's split is tested and said below, beside it.
    const FluidPhase::StablePhase phase = f.calculateUniformStateFromTP(TK, Pbar);
    if (phase == FluidPhase::StablePhase::None || !isFiniteState(f)) {
        if (phase == FluidPhase::StablePhase::None && f.vapourBeyondReach > 0.0) {
            vornex::cfprintf(stderr,
                         "TP failed: no state at T = %g K, P = %g bar: below the saturation "
                         "pressure (%g bar) the stable state is the vapour, whose state at "
                         "this pressure lies beyond what double precision numbers resolve\n",
                         TK, Pbar, f.vapourBeyondReach * 1e-5);
            return false;
        }
        const std::string outside = outsideRange(f, TK, Pbar * 1e5);
        const double lastV = f.V;
        const int iterations = f.volumeSolver ? int(f.volumeSolver->iterations) : 0;
        const std::string gas = gasVolumeBeyondModel(f, TK, Pbar);
        vornex::cfprintf(stderr,
                     "TP failed: no state at T = %g K, P = %g bar (last volume %g cm3/mol "
                     "after %d iterations)%s%s%s%s\n",
                     TK, Pbar, lastV * 1e6, iterations, gas.empty() ? "" : "; ", gas.c_str(),
                     outside.empty() ? "" : "; ", outside.c_str());
        return false;
    }
    // A mixture's volume roots are not its stability: a uniform fluid inside a two-phase
    // region is a root too. A binary is tested against a split; a larger mixture is not.
    const PhaseSplit split = f.nc == 2 ? testPhaseSplit(f, TK, Pbar) : PhaseSplit{};
    const bool single = f.nc > 1 && (!split.tested || split.splits);
    // Where a solid is the stable phase the root found is only the fluid's most stable one.
    const std::string solid =
        publishedRange.solidRegion ? publishedRange.solidRegion(TK, Pbar * 1e5) : std::string();
    vornex::cprintf("%s state: %s\n",
                single ? "Single-phase" : solid.empty() ? "Stable" : "Stable fluid",
                FluidPhase::nameOf(f.nc > 1 ? f.calculateUniformStateFromTP(TK, Pbar) : phase));
    if (!solid.empty())
        vornex::cprintf("The state lies %s, where the solid is the stable phase\n", solid.c_str());
    f.dump();
    flushStandardOutput();
    if (split.splits)
        vornex::cfprintf(stderr,
                     "TP: the uniform mixture at %g K and %g bar is not stable: it splits into "
                     "two phases (a trial phase of x[1] = %.6g lies %.3g RT below its tangent "
                     "plane)\n",
                     TK, Pbar, split.trialX1, -split.distance);
    else if (single)
        vornex::cfprintf(stderr,
                     "TP: the state at %g K and %g bar is the uniform mixture; whether it splits "
                     "into two phases was not tested\n",
                     TK, Pbar);
    // The pressure asked for: the solved one may lie a rounding beyond a bound it is not.
    noteRange(f, "TP", TK, Pbar);
    return true;
}

// The mole fractions of components 1 ... nc-1, as the state printout names them.
std::string compositionText(const FluidPhase& f) {
    std::string text;
    for (int k = 1; k < f.nc; ++k) {
        char item[48];
        vornex::csnprintf(item, sizeof item, "%sx[%d] = %.6g", k > 1 ? ", " : "", k,
                      f.x[static_cast<std::size_t>(k)]);
        text += item;
    }
    return text;
}

// A volume no uniform fluid holds: said, with the spinodals that bound it where they are
// known and the stable state where the band is (the saturated liquid and vapour side by
// side), and none of the equation's values there, which belong to no state. A mixture's
// split into two phases at a given volume is not computed: said so rather than guessed.
bool printUnstableState(FluidPhase& f, double TK, double Vm3, const SpinodalPair& spinodals,
                        const TwoPhaseBand& band) {
    const bool mixture = f.nc > 1;
    const std::string uniform = mixture ? "mixture of " + compositionText(f) : std::string("fluid");
    // One headline for every such state: where the spinodals are known, the band they bound
    // (a rising isotherm lies inside it); the slope alone where they are not.
    char where[160];
    if (spinodals.found)
        vornex::csnprintf(where, sizeof where, "between the spinodals at %.4f and %.4f cm3/mol",
                      spinodals.liquid / kCm3, spinodals.vapour / kCm3);
    else
        vornex::csnprintf(where, sizeof where, "dP/dV >= 0");
    vornex::cprintf("Mechanically unstable state (%s)\n", where);
    if (spinodals.found)
        vornex::cprintf(
            "At T %g K%s the spinodals lie at %.4f cm3/mol (liquid side) and %.4f "
            "cm3/mol (vapour side): no uniform %s holds %g cm3/mol between them\n",
            TK, mixture ? (" and " + compositionText(f)).c_str() : "", spinodals.liquid / kCm3,
            spinodals.vapour / kCm3, uniform.c_str(), Vm3 / kCm3);
    if (band.found)
        vornex::cprintf("Stable state: saturated liquid and vapour at P %.6f bar, vapour fraction "
                    "%.6g (liquid %.4f cm3/mol, vapour %.4f cm3/mol)\n",
                    band.Psat * 1e-5, band.vapourFraction(Vm3), band.saturatedLiquid / kCm3,
                    band.saturatedVapour / kCm3);
    else if (mixture)
        vornex::cprintf(
            "Stable state: not given (the split of a mixture into two phases at a "
            "given volume is not computed)\n");
    // Said beside the report too, as every notice is, for a reader of the messages alone.
    flushStandardOutput();
    vornex::cfprintf(stderr,
                 "TV: the state at %g K and %g cm3/mol is mechanically unstable (%s): no uniform "
                 "%s holds it\n",
                 TK, Vm3 / kCm3, where, uniform.c_str());
    noteRange(f, "TV", TK, band.found ? band.Psat * 1e-5 : 0.0);
    return true;
}

bool printStateAtTV(FluidPhase& f, const Values& v) {
    const double TK = v[0].number, Vm3 = v[1].number * kCm3;
    f.calculateFromTV(TK, Vm3, 0);
    const bool computed = f.error == 0 && isFiniteState(f);
    // A slope that is rounding at a critical point is not instability (the printout says).
    const bool rising = computed && !(f.dPdV < 0.0) && !f.isothermalSlopeVanishes();
    // A mechanically stable state may still not be the stable one at its pressure: a
    // superheated liquid or a supercooled vapour, inside the saturation curve; and between
    // the spinodals the equation's own loops give stretches of falling pressure (and values
    // that are no numbers) where no uniform fluid is. A mixture's spinodals are those of its
    // composition, reached from both ends of its isotherm.
    Metastability stability;
    SpinodalPair spinodals;
    if (f.nc > 1) {
        spinodals = spinodalsAtComposition(f, TK);
        stability.unstable = spinodals.between(Vm3);
        // A mixture that holds one component alone is that component, whose saturated
        // liquid and vapour are the stable state between its spinodals.
        if ((rising || stability.unstable) && componentAlone(f) >= 0)
            stability.band = twoPhaseBandAt(f, TK);
    } else {
        if (computed && !rising) {
            stability = compareWithStableState(f);
        } else {
            stability.band = twoPhaseBandAt(f, TK);
            stability.unstable = stability.band.unstable(Vm3);
        }
        spinodals.found = stability.band.found;
        spinodals.liquid = stability.band.spinodalLiquid;
        spinodals.vapour = stability.band.spinodalVapour;
    }
    if (rising || stability.unstable)
        return printUnstableState(f, TK, Vm3, spinodals, stability.band);
    if (!computed) {
        // No pressure to judge by: only the temperature can name the range.
        const std::string outside = outsideRange(f, TK, 0.0);
        vornex::cfprintf(stderr, "TV failed: no state at T = %g K, V = %g cm3/mol%s%s\n", TK,
                     Vm3 / kCm3, outside.empty() ? "" : "; ", outside.c_str());
        return false;
    }
    if (stability.metastable || f.nc > 1) f.calculateFromTV(TK, Vm3, 0);
    // A mixture's state that is mechanically stable may still not be the stable one: the
    // tangent plane of its Gibbs energy at its own pressure says.
    const PhaseSplit split = f.nc > 1 ? testStateSplit(f) : PhaseSplit{};
    f.dump();
    if (stability.metastable) {
        vornex::cprintf("%s\n", stability.report("liquid", "vapour").c_str());
        // Said beside the report too, as every notice is, for a reader of the messages alone.
        flushStandardOutput();
        vornex::cfprintf(stderr, "TV: the state at %g K and %g bar is metastable\n", f.T, f.P * 1e-5);
    }
    if (split.splits) {
        vornex::cprintf(
            "The uniform mixture is not stable: it splits into two phases (a trial phase "
            "of x[1] = %.6g lies %.3g RT below its tangent plane at the same temperature "
            "and pressure)\n",
            split.trialX1, -split.distance);
        flushStandardOutput();
        vornex::cfprintf(stderr,
                     "TV: the uniform mixture at %g K and %g cm3/mol (%g bar) is not stable: it "
                     "splits into two phases\n",
                     TK, Vm3 / kCm3, f.P * 1e-5);
    } else if (f.nc > 1 && !split.tested) {
        flushStandardOutput();
        vornex::cfprintf(stderr,
                     "TV: the state at %g K and %g cm3/mol is the uniform mixture; whether it "
                     "splits into two phases was not tested\n",
                     TK, Vm3 / kCm3);
    }
    noteRange(f, "TV");
    return true;
}

// At the critical temperature, to the digits a user types, the saturation curve ends in the
// critical state, where liquid and vapour are one: printed as the saturation there.
bool printCriticalSaturation(FluidPhase& f, double TK) {
    constexpr double kTypedDigits = 5e-4;  // K
    f.error = 0;
    f.temperature(f.Tcrit);
    f.volume(f.Vcrit);
    f.search_the_critical_point_of_the_pure_component();
    if (f.error != 0 || !(std::fabs(f.T - TK) < kTypedDigits)) return false;
    const double Tc = f.T, Vc = f.V;
    f.calculateFromTV(Tc, Vc, 0);
    if (f.error != 0 || !std::isfinite(f.P)) return false;
    vornex::cprintf("Saturation at T : %12.2f K\tP : %12.6f bar (the critical state: liquid and "
                "vapour are one)\n",
                TK, f.P * 1e-5);
    f.dump();
    vornex::cprintf("Vaporisation enthalpy : %12.3f kJ/kg\n", 0.0);
    noteRange(f, "psat");
    return true;
}

bool printSaturation(FluidPhase& f, const Values& v) {
    if (!needsComponents(f, "psat", 1, 1, "a one-component fluid")) return false;
    const double TK = v[0].number;
    const double Psat = f.calculateTheSaturationPressure(TK);
    const double Vliquid = f.Vl, Vvapour = f.Vv;
    if (f.error != 0 || !(std::isfinite(Psat) && Psat > 0.0) || !(Vliquid > 0.0) ||
        !(Vvapour > Vliquid * (1 + 1e-9)) || !std::isfinite(Vvapour)) {
        if (printCriticalSaturation(f, TK)) return true;
        const std::string outside = outsideRange(f, TK, 0.0);
        vornex::cfprintf(stderr, "psat: no saturation state of %s at %g K%s%s\n", nameOf(f), TK,
                     outside.empty() ? "" : "; ", outside.c_str());
        return false;
    }
    const double vaporisation = f.Hvap;
    vornex::cprintf("Saturation at T : %12.2f K\tP : %12.6f bar\n", TK, Psat * 1e-5);
    for (const auto& [name, Vm3] : {std::pair{"Liquid", Vliquid}, std::pair{"Vapour", Vvapour}}) {
        vornex::cprintf("%s\n", name);
        f.calculateFromTV(TK, Vm3, 0);
        f.dump();
    }
    vornex::cprintf("Vaporisation enthalpy : %12.3f kJ/kg\n", vaporisation / f.M * 0.001);
    noteRange(f, "psat");
    return true;
}

bool traceIsotherm(FluidPhase& f, const Values& v) {
    if (!(v[1].number < v[2].number)) {
        vornex::cfprintf(stderr, "isotherm: vmin %g must lie below vmax %g cm3/mol\n", v[1].number,
                     v[2].number);
        return false;
    }
    f.calculateTheIsotherm(v[0].number, v[1].number * kCm3, v[2].number * kCm3, 0, kIgorText,
                           v[3].text.c_str(), nullptr);
    return traced(f, "isotherm", {{"isot", v[3].text, v[0].number}}) && tracedWhole(f, "isotherm");
}

// The commands, in the order a word is compared with them. Labels are printed as the
// prompts show them, blanks included.
const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"crit", "critical point, Igor text \"crit\" + suffix",
         [](const FluidPhase*) { return std::vector<Parameter>{suffix("suffix")}; },
         [](FluidPhase& f, const Values& v) {
             // For a mixture the solve finds the point of mechanical stability at fixed
             // composition, which is not its critical point (that needs the material
             // stability conditions): refused, with the command that traces it.
             if (!needsComponents(f, "crit", 1, 1, "a one-component fluid")) {
                 vornex::cfprintf(stderr, "crit2 traces the critical curve of a binary mixture\n");
                 return false;
             }
             f.calculateTheCriticalPoint(1, v[0].text.c_str());
             if (!succeeded(f, "crit")) return false;
             noteRange(f, "crit");
             return true;
         }},
        {"crit2", "critical curve of a mixture",
         [](const FluidPhase*) { return std::vector<Parameter>{suffix("suffix")}; },
         [](FluidPhase& f, const Values& v) {
             if (!needsComponents(f, "crit2", 2, 2, "a binary mixture")) return false;
             f.calculateTheCriticalCurve(v[0].text.c_str());
             return traced(f, "crit2", {{"crit", v[0].text}});
         }},
        {"sat", "saturation curve, Igor text \"satu\" + suffix",
         [](const FluidPhase*) { return std::vector<Parameter>{suffix("suffix")}; },
         [](FluidPhase& f, const Values& v) {
             // A mixture's liquid and vapour in equilibrium differ in composition: the curve
             // of one composition on both sides is no equilibrium, unless it holds one
             // component alone, whose curve it is.
             if (f.nc > 1 && componentAlone(f) < 0) {
                 vornex::cfprintf(stderr,
                                  "sat is for a one-component fluid, or a mixture holding one "
                                  "component alone; %s holds %s: nothing was done\n",
                                  nameOf(f), compositionText(f).c_str());
                 return false;
             }
             f.calculateTheSaturationCurve(v[0].text.c_str(), 1);
             return traced(f, "sat", {{"satu", v[0].text}});
         }},
        {"psat", "saturation pressure at T",
         [](const FluidPhase*) { return std::vector<Parameter>{positive("T (K)  ")}; },
         printSaturation},
        {"spino", "liquid and vapour spinodals",
         [](const FluidPhase*) {
             return std::vector<Parameter>{suffix("suffix (liquid spinodal)"),
                                           suffix("suffix (vapour spinodal)")};
         },
         [](FluidPhase& f, const Values& v) {
             f.calculateTheSpinodals(v[0].text.c_str(), v[1].text.c_str());
             return traced(f, "spino", {{"spino", v[0].text}, {"spino", v[1].text}}) &&
                    tracedWhole(f, "spino");
         }},
        {"spinox", "spinodals of a mixture from (T, V, x1)",
         [](const FluidPhase*) {
             return std::vector<Parameter>{
                 positive("T (K)       "), positive("V (cm3/mol) "), fraction("x1          "),
                 suffix("suffix (liquid spinodal)"), suffix("suffix (vapour spinodal)")};
         },
         [](FluidPhase& f, const Values& v) {
             if (!needsComponents(f, "spinox", 2, 2, "a binary mixture")) return false;
             f.calculateTheSpinodals2(v[0].number, v[1].number * kCm3, v[2].number,
                                      v[3].text.c_str(), v[4].text.c_str());
             return traced(f, "spinox", {{"spinot", v[3].text}, {"spinot", v[4].text}});
         }},
        {"isoc", "isochore from Tmin to Tmax, Igor text \"isoc\" + suffix",
         [](const FluidPhase*) {
             return std::vector<Parameter>{positive("V (cm3/mol) "), positive("Tmin (K)    "),
                                           positive("Tmax (K)    "), suffix("suffix      ")};
         },
         [](FluidPhase& f, const Values& v) {
             f.calculateTheIsochor(v[0].number * kCm3, v[1].number, v[2].number, 0, kIgorText,
                                   v[3].text.c_str(), nullptr);
             return traced(f, "isoc", {{"isoc", v[3].text}}) && tracedWhole(f, "isoc");
         }},
        {"x", "mole fractions of components 1 ... nc-1 (component 0 takes the rest)",
         compositionParameters, setComposition, true},
        {"ter", "ternary diagram at (T, P)",
         [](const FluidPhase*) {
             return std::vector<Parameter>{positive("T (K)  "), positive("P (bar)"),
                                           suffix("suffix")};
         },
         [](FluidPhase& f, const Values& v) {
             if (!needsComponents(f, "ter", 3, 3, "a ternary mixture")) return false;
             f.calculateTheTernaryDiagram(v[0].number, v[1].number, v[2].text.c_str());
             return traced(f, "ter", {{"ter", v[2].text}}) && tracedWhole(f, "ter");
         }},
        {"T", "set the temperature",
         [](const FluidPhase*) { return std::vector<Parameter>{positive("T (K)      ")}; },
         [](FluidPhase& f, const Values& v) {
             f.temperature(v[0].number);
             return true;
         }},
        {"V", "set the molar volume",
         [](const FluidPhase*) { return std::vector<Parameter>{positive("V (cm3/mol)      ")}; },
         [](FluidPhase& f, const Values& v) {
             f.volume(v[0].number * kCm3);
             return true;
         }},
        {"TV", "print the state at (T, V)",
         [](const FluidPhase*) {
             return std::vector<Parameter>{positive("T (K)      "), positive("V (cm3/mol)")};
         },
         printStateAtTV},
        {"TP", "print the stable state at (T, P): liquid, vapour or fluid",
         [](const FluidPhase*) {
             return std::vector<Parameter>{positive("T (K)  "), positive("P (bar)")};
         },
         printStateAtTP},
        {"isotherm", "isotherm from vmin to vmax, Igor text \"isot\" + suffix",
         [](const FluidPhase*) {
             return std::vector<Parameter>{positive("T (K)          "), positive("vmin (cm3/mol) "),
                                           positive("vmax (cm3/mol) "), suffix("suffix         ")};
         },
         traceIsotherm},
        {"tree", "print the expression tree of every term",
         [](const FluidPhase*) { return std::vector<Parameter>{}; },
         [](FluidPhase& f, const Values&) {
             f.print_parse_tree(stdout);
             return true;
         }},
        {"isop", "isopleth of a mixture (x1, and x2 for three components)", isoplethParameters,
         runIsopleth},
        {"ll3", "liquid-liquid isopleth of a ternary mixture",
         [](const FluidPhase*) {
             return std::vector<Parameter>{positive("T (K)  "), fraction("x1     "),
                                           fraction("x2     "), step("dT     "), suffix("suffix ")};
         },
         [](FluidPhase& f, const Values& v) {
             if (!needsComponents(f, "ll3", 3, 3, "a ternary mixture")) return false;
             f.calculateTheLiquidLiquidIsopleth3(v[4].text.c_str(), v[0].number, v[1].number,
                                                 v[2].number, v[3].number);
             return traced(f, "ll3", {{"isol", v[4].text}});
         }},
        {"bino",
         "isotherm of a binary mixture, started from the saturated pure component 0: only\n"
         "             below its critical temperature (647.096 K for water)",
         [](const FluidPhase*) {
             return std::vector<Parameter>{positive("T (K)  "), suffix("suffix ")};
         },
         [](FluidPhase& f, const Values& v) {
             if (!needsComponents(f, "bino", 2, 2, "a binary mixture")) return false;
             const bool complete = f.calculateTheBinaryIsotherm(v[0].number, v[1].text.c_str());
             return traced(f, "bino", {{"bino", v[1].text}}) && complete;
         }},
        {"binop", "isotherm of a binary mixture from P",
         [](const FluidPhase*) {
             return std::vector<Parameter>{positive("T (K)   "), positive("P (bar) "),
                                           suffix("suffix ")};
         },
         [](FluidPhase& f, const Values& v) {
             if (!needsComponents(f, "binop", 2, 2, "a binary mixture")) return false;
             const bool complete =
                 f.calculateTheBinaryIsothermFromP(v[0].number, v[1].number, v[2].text.c_str());
             return traced(f, "binop", {{"binop", v[2].text}}) && complete;
         }},
    };
    return table;
}

const Command* find(const char* word) {
    for (const Command& c : commands())
        if (std::strcmp(word, c.word) == 0) return &c;
    return nullptr;
}

}  // namespace

FluidCommandInterpreter::FluidCommandInterpreter(FluidPhase& fluid, std::istream& in)
    : fluid_(fluid), in_(in) {}

bool FluidCommandInterpreter::take(const std::string& label, const char* command,
                                   std::string& word) {
    if (next_ < argc_) {
        word = argv_[next_++];
        return true;
    }
    // The question goes where the messages go: standard output holds the report only.
    flushStandardOutput();
    vornex::cfprintf(stderr, "Expected %s for %s command.\n", label.c_str(), command);
    if (!readConsoleWord(in_, word)) return false;
    // A blank line is no answer: refused like a word that is none, so that endless blank
    // lines end the list instead of keeping the question waiting.
    if (word.empty()) {
        vornex::cfprintf(stderr, "%s: a blank answer for %s refused\n", command,
                     trimmed(label).c_str());
        blankAnswer_ = true;
    }
    return true;
}

bool FluidCommandInterpreter::run(int argc, char* const* argv) {
    const std::clock_t start = std::clock();
    if (argc <= 0) return true;
    publishedRange = range_;
    argc_ = argc;
    argv_ = argv;
    int i = 0;
    bool complete = true, allSucceeded = true;
    while (i < argc && complete) {
        const Command* command = find(argv[i]);
        const std::vector<Parameter> parameters =
            command ? command->parameters(&fluid_) : std::vector<Parameter>{};
        // A model's command of the same word never sees a parameter the interpreter would
        // refuse: the words of the list are checked first.
        bool listAcceptable = true;
        Values given;
        for (std::size_t k = 0; k < parameters.size() && i + 1 + int(k) < argc; ++k) {
            given.emplace_back();
            listAcceptable =
                accept(command->word, parameters[k], argv[i + 1 + int(k)], given.back()) &&
                listAcceptable;
        }
        listAcceptable = listAcceptable &&
                         (command == nullptr || distinctSuffixes(command->word, parameters, given));
        // After a refusal nothing more is computed: a later state would be taken for the
        // one asked.
        if (!listAcceptable) {
            stopAfterRefusal(command->word, i + 1 + int(parameters.size()));
            complete = false;
            break;
        }
        // A model's own command reports a failure through the error flag.
        fluid_.error = 0;
        const std::size_t written = writtenFileMark();
        const unsigned long failedWrites = OutputFiles::failures();
        if (int used = fluid_.doCommandEx(argc - i, argv + i); used != 0) {
            if (fluid_.error != 0 || !wroteEveryFile(argv[i], failedWrites)) allSucceeded = false;
            flushStandardOutput();
            reportFilesWrittenSince(written, stderr);
            i += used;
            continue;
        }
        if (command == nullptr) {
            vornex::cfprintf(stderr, "Command %s not recognized\n", shownWord(argv[i]).c_str());
            allSucceeded = false;
            ++i;
            continue;
        }
        next_ = i + 1;
        Values values;
        bool acceptable = true;
        for (const Parameter& p : parameters) {
            std::string word;
            const bool asked = next_ >= argc_;
            if (!take(p.label, command->word, word)) {
                vornex::cfprintf(stderr,
                             "End of input: command %s given up, and the commands after it.\n",
                             command->word);
                complete = false;
                break;
            }
            Value value;
            if (blankAnswer_) {
                blankAnswer_ = false;
                acceptable = false;
                values.push_back(value);
                break;
            }
            acceptable = accept(command->word, p, word, value) && acceptable;
            values.push_back(value);
            // An answer refused ends the questions: the next is not asked, no line more read.
            if (!acceptable && asked) break;
        }
        acceptable =
            acceptable && (!complete || distinctSuffixes(command->word, parameters, values));
        if (complete && !acceptable) {
            stopAfterRefusal(command->word, next_);
            complete = false;
            break;
        }
        if (complete) {
            fluid_.error = 0;
            commandFileMark = written;
            const unsigned long failedWrites = OutputFiles::failures();
            commandFailureMark = failedWrites;
            // The composition is the one the x command set: a tracer that walks the
            // composition (bino, binop, crit2, ...) leaves it as it found it for the next.
            const std::vector<double> composition = fluid_.x;
            std::vector<KeptFile> kept = keepFilesAside(command->word, parameters, values);
            const bool done = command->action(fluid_, values);
            const std::vector<std::string> restored = restoreKeptFiles(kept);
            if (!command->setsState && fluid_.x != composition)
                for (int k = 0; k < fluid_.nc && k < static_cast<int>(composition.size()); ++k)
                    fluid_.composition_of_component(k, composition[static_cast<size_t>(k)]);
            const bool wroteAll = !done || wroteEveryFile(command->word, failedWrites);
            flushStandardOutput();
            reportFilesWrittenSince(written, stderr, restored);
            // A command that takes parameters, but none on this model, does not apply: the
            // words after it are the parameters it was given, not commands.
            const bool inapplicable = parameters.empty() && !command->parameters(nullptr).empty();
            if (!done && (command->setsState || inapplicable)) {
                stopAfterRefusal(command->word, next_);
                complete = false;
                break;
            }
            if (!done || !wroteAll) allSucceeded = false;
        } else {
            allSucceeded = false;
        }
        i = next_;
    }
    std::fflush(stderr);
    vornex::cprintf("\nTime %.3g s (processor)\n",
                static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    return complete && allSucceeded;
}

// A command whose file could not be written failed, whatever else it printed; the file's own
// message said why.
bool FluidCommandInterpreter::wroteEveryFile(const char* command, unsigned long failedBefore) {
    const unsigned long failed = OutputFiles::failures() - failedBefore;
    if (failed == 0) return true;
    vornex::cfprintf(stderr, "%s failed: %lu of its files could not be written\n", command, failed);
    return false;
}

void FluidCommandInterpreter::stopAfterRefusal(const char* command, int next) const {
    flushStandardOutput();
    if (next < argc_)
        vornex::cfprintf(stderr, "Stopped at the refusal of %s: the words after it were not run\n",
                     command);
}

namespace {

void printCommandLine(std::FILE* out, const Command& c) {
    std::string parameters;
    for (const Parameter& p : c.parameters(nullptr)) parameters += " <" + trimmed(p.label) + ">";
    std::string line = "  " + std::string(c.word);
    if (!parameters.empty())
        line += std::string(line.size() < 11 ? 11 - line.size() : 0, ' ') + parameters.substr(1);
    vornex::cfprintf(out, "%s\n             %s\n", line.c_str(), c.help);
}

}  // namespace

void FluidCommandInterpreter::printCommands(std::FILE* out) {
    for (const Command& c : commands()) printCommandLine(out, c);
}

bool FluidCommandInterpreter::isCommand(const std::string& word) {
    return find(word.c_str()) != nullptr;
}

bool FluidCommandInterpreter::printCommand(std::FILE* out, const std::string& word) {
    const Command* c = find(word.c_str());
    if (c == nullptr) return false;
    printCommandLine(out, *c);
    return true;
}

}  // namespace vornex

namespace vornex {

void FluidPhase::doCommand(int argc, char* const* argv) {
    FluidCommandInterpreter(*this).run(argc, argv);
}

}  // namespace vornex
