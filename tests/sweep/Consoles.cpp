// The console programs as users run them: every kelno command with every option word, every
// vornex command on every model of the catalogue, each run in the C locale and in a
// decimal-comma locale; and the same commands run inside a program that sets its locale,
// whose files and reports must not change with it.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <locale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "Sweep.h"
#include "VornexProgram.h"
#include "fluid/FluidCommand.h"
#include "fluid/FluidPhase.h"
#include "fluid/ModelCatalogue.h"
#include "numerics/DataTextFile.h"
#include "numerics/TextCapture.h"
#include "support/ConsoleRun.h"
#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex::sweep {
namespace fs = std::filesystem;
namespace {

// The locales every console configuration runs in: the C locale first, the reference.
const std::vector<std::string>& locales() {
    static const std::vector<std::string> list = {"C", "de_DE.UTF-8"};
    return list;
}

// The locales a program that embeds the library may set for itself: the decimal-comma ones
// group digits differently (a point in German, a narrow no-break space in French).
const std::vector<std::string>& inProcessLocales() {
    static const std::vector<std::string> list = {"C", "de_DE.UTF-8", "fr_FR.UTF-8"};
    return list;
}

std::string captured(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    return text;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A program's help read from the program itself.
std::string outputOfProgram(const std::string& program, const std::vector<std::string>& words) {
    const fs::path folder = fs::temp_directory_path() /
                            ("vornex-sweep-help-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    const testing::ProgramRun run = testing::runProgram(program, words, folder, 30);
    fs::remove_all(folder);
    return run.out + run.err;
}

// The kelno option words: the value options with a number near their default, the others
// as they are written ("max N" with a count).
std::vector<std::vector<std::string>> kelnoOptionWords() {
    std::FILE* f = std::tmpfile();
    WaterMagmaCalculationInfo::printOptions(f);
    const std::string text = captured(f);
    std::fclose(f);
    std::vector<std::vector<std::string>> words;
    const std::regex valueOption(R"(^  (\S+) +.*; default ([-0-9.]+))");
    const std::regex rangeTop(R"(; default [^;]*; [-0-9.]+ \.\.\. ([0-9.]+))");
    const std::regex otherOption(R"(^  (\S+)( N)? +)");
    std::vector<std::vector<std::string>> tops, flags;
    for (const std::string& line : linesOf(text)) {
        std::smatch m, top;
        if (std::regex_search(line, m, valueOption)) {
            const double d = std::strtod(m[2].str().c_str(), nullptr);
            words.push_back({m[1].str(), num(d == 0 ? 10.0 : 0.9 * d)});
            // A value with a range of its own also near the top of that range.
            if (std::regex_search(line, top, rangeTop))
                tops.push_back({m[1].str(), num(0.9 * std::strtod(top[1].str().c_str(), nullptr))});
        } else if (std::regex_search(line, m, otherOption)) {
            // Answers read from standard input are the interactive runs' own suite.
            if (m[1].str() == "interactive") continue;
            words.push_back(m[2].matched ? std::vector<std::string>{m[1].str(), "3"}
                                         : std::vector<std::string>{m[1].str()});
            if (!m[2].matched) flags.push_back(words.back());
        }
    }
    // Each top of a range, alone and with each word that adds a case of its own.
    for (const auto& t : tops) {
        words.push_back(t);
        for (const auto& f : flags) {
            words.push_back(f);
            words.back().insert(words.back().end(), t.begin(), t.end());
        }
    }
    return words;
}

// The number a parameter of a given unit takes in a sweep run.
std::string kelnoValue(const std::string& unit) {
    if (unit.find("temperature") != std::string::npos) return "300";
    if (unit.find("pressure") != std::string::npos) return "100";
    if (unit.find("volume") != std::string::npos) return "30";
    return "1";
}

std::vector<std::vector<std::string>> kelnoRuns(const std::string& kelno) {
    std::vector<std::vector<std::string>> runs;
    const std::regex commandLine(R"(^(\S+) +: )");
    const auto options = kelnoOptionWords();
    const std::string banner = outputOfProgram(kelno, {});
    for (const std::string& line : linesOf(banner)) {
        std::smatch m;
        if (!std::regex_search(line, m, commandLine)) continue;
        const std::string command = m[1].str();
        const std::string help = outputOfProgram(kelno, {"help", command});
        const std::size_t syntax = help.find("Syntax: ");
        const std::string form =
            syntax == std::string::npos ? "" : help.substr(syntax, help.find('\n', syntax) - syntax);
        if (syntax != std::string::npos && form.find("[OPTION") == std::string::npos) {
            std::vector<std::string> words = {command};
            const std::regex required(R"(  ?<([^>]+)>)");
            for (std::sregex_iterator i(form.begin(), form.end(), required), end; i != end; ++i)
                if (form[static_cast<std::size_t>(i->position()) - 1] != '(')
                    words.push_back(kelnoValue((*i)[1].str()));
            runs.push_back(words);
            // Each word of a choice the command takes, "(cocoa | gnuplot)".
            const std::regex choice(R"re(\(([A-Za-z]+(?: \| [A-Za-z]+)+)\))re");
            std::smatch alternatives;
            if (std::regex_search(form, alternatives, choice)) {
                std::istringstream in(alternatives[1].str());
                for (std::string w; in >> w;)
                    if (w != "|") {
                        runs.push_back(words);
                        runs.back().push_back(w);
                    }
            }
            // Each word of an optional parameter the help lists in prose: "The phase, liquid
            // (or water) and steam (or gas, vapour, vapor), is ...".
            const std::regex optional(R"(\(<([a-z]+)>\))");
            std::smatch named;
            if (std::regex_search(form, named, optional)) {
                const std::string lead = "The " + named[1].str() + ", ";
                const std::size_t from = help.find(lead);
                const std::size_t to = help.find(", is ", from);
                if (from != std::string::npos && to != std::string::npos) {
                    const std::string list = help.substr(from + lead.size(), to - from - lead.size());
                    const std::regex word("[a-z]+");
                    for (std::sregex_iterator i(list.begin(), list.end(), word), end; i != end; ++i)
                        if (i->str() != "or" && i->str() != "and") {
                            runs.push_back(words);
                            runs.back().push_back(i->str());
                        }
                }
            }
        } else {
            runs.push_back({command});
            for (const auto& o : options) {
                std::vector<std::string> words = {command};
                words.insert(words.end(), o.begin(), o.end());
                runs.push_back(words);
            }
        }
    }
    // Each switch of the usage line on the last command with numbers of its own, but the one
    // that opens the scripts in a viewer of the desktop.
    const std::regex switchWord(R"(\[(--[a-z]+)\])");
    const std::size_t usage = banner.find("Usage: ");
    const std::string usageLine = usage == std::string::npos ? "" : banner.substr(usage, banner.find('\n', usage) - usage);
    std::vector<std::vector<std::string>> switched;
    for (std::sregex_iterator i(usageLine.begin(), usageLine.end(), switchWord), end; i != end; ++i)
        for (auto run = runs.rbegin(); run != runs.rend(); ++run)
            if ((*i)[1].str() != "--open" && run->size() >= 3) {
                switched.push_back(*run);
                switched.back().insert(switched.back().begin(), (*i)[1].str());
                break;
            }
    runs.insert(runs.end(), switched.begin(), switched.end());
    return runs;
}

// The vornex commands with a value for each of their parameters, by its label.
std::string vornexValue(const std::string& label, double T, int index) {
    if (label.rfind("suffix", 0) == 0) return index % 2 ? "t" : "s";
    if (label.rfind("Tmax", 0) == 0) return num(T + 100);
    if (label.rfind("T", 0) == 0 || label.rfind("Tmin", 0) == 0) return num(T);
    if (label.rfind("P", 0) == 0) return "100";
    if (label.rfind("vmin", 0) == 0) return "20";
    if (label.rfind("vmax", 0) == 0) return "2000";
    if (label.rfind("V", 0) == 0) return "30";
    if (label.rfind("dT", 0) == 0) return "5";
    if (label.rfind("x", 0) == 0 || label.rfind("mole fraction", 0) == 0) return "0.1";
    return "1";
}

std::vector<std::vector<std::string>> vornexRuns() {
    std::FILE* f = std::tmpfile();
    FluidCommandInterpreter::printCommands(f);
    const std::string text = captured(f);
    std::fclose(f);
    std::vector<std::vector<std::string>> runs;
    const std::regex commandLine(R"(^  (\S+)(.*)$)");
    const std::regex parameter(R"(<([^>]+)>)");
    for (const std::string& keyword : FluidPhase::registeredEOSKeywords()) {
        // A keyword whose model cannot be built still takes every command (and refuses it).
        std::unique_ptr<FluidPhase> probe(FluidPhase::getEOS(keyword.c_str()));
        const int nc = probe ? probe->nc : 2;
        const ModelDescription* d = modelDescription(keyword);
        const double T = d && d->range.Tmin > 0 ? d->range.Tmin + 100 : 500;
        for (const std::string& line : linesOf(text)) {
            std::smatch m;
            if (line.rfind("   ", 0) == 0 || !std::regex_search(line, m, commandLine)) continue;
            std::vector<std::string> words = {keyword, m[1].str()};
            const std::string rest = m[2].str();
            int index = 0;
            if (m[1].str() == "x") {
                for (int k = 1; k < nc; ++k) words.push_back("0.1");
            } else {
                for (std::sregex_iterator i(rest.begin(), rest.end(), parameter), end; i != end; ++i)
                    words.push_back(vornexValue((*i)[1].str(), T, index++));
            }
            runs.push_back(words);
        }
    }
    // Anderko-Pitzer's salt-water isotherms where a salt-rich third phase comes and goes: each
    // ends where it appears (below about 587 K with NaCl, 609 K with KCl) or runs to pure salt.
    for (const char* system : {"hn", "hk"}) {
        std::vector<double> temperatures = {573.15, std::string(system) == "hn" ? 586.2 : 609.0};
        for (int T = 575; T <= 640; T += 5) temperatures.push_back(T);
        for (double T : temperatures) runs.push_back({system, "bino", num(T), "_s"});
    }
    return runs;
}

std::string joined(const std::vector<std::string>& words) {
    std::string s;
    for (const auto& w : words) s += (s.empty() ? "" : " ") + w;
    return s;
}

std::string folderName(const std::string& line) {
    std::string s;
    for (char c : line) s += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return s;
}

// Every file the run left, by name, with its bytes; the folder's record of outputs holds the
// files' inodes and times, which differ from run to run, and is left out.
std::map<std::string, std::string> filesOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    if (!fs::exists(folder)) return files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file() && e.path().filename() != ".vornex-outputs")
            files[e.path().filename().string()] = testing::slurpFile(e.path());
    return files;
}

// The first line of a report or a file that holds a number that is not one, its blanks
// squeezed; empty for none. Igor's command lines ("X ...") name NaN as a value of their own
// and are not looked at.
std::string lineWithNaN(const std::string& text) {
    static const std::regex nan(R"((^|[^A-Za-z_])-?(nan|inf)([^A-Za-z_]|$))", std::regex::icase);
    for (const std::string& line : linesOf(text))
        if (line.rfind("x ", 0) != 0 && line.rfind("X ", 0) != 0 && std::regex_search(line, nan)) {
            std::string squeezed;
            std::istringstream words(line);
            for (std::string w; words >> w;) squeezed += (squeezed.empty() ? "" : " ") + w;
            return squeezed.substr(0, 80);
        }
    return "";
}

// A report without the processor time it took, which no two runs share.
std::string withoutTimes(const std::string& text) {
    std::string out;
    for (const std::string& line : linesOf(text))
        out += (line.find("Calculation Time") != std::string::npos || line.rfind("Time ", 0) == 0
                    ? "(time)"
                    : line) +
               "\n";
    return out;
}

// The names a "Wrote" line gives.
std::vector<std::string> wroteNames(const std::string& err) {
    std::vector<std::string> names;
    for (const std::string& line : linesOf(err)) {
        const std::size_t at = line.find("Wrote ");
        if (at == std::string::npos) continue;
        std::string list = line.substr(at + 6);
        for (std::size_t p; (p = list.find(" and ")) != std::string::npos;) list.replace(p, 5, ", ");
        std::istringstream in(list);
        for (std::string name; std::getline(in, name, ',');) {
            name.erase(0, name.find_first_not_of(' '));
            name.erase(name.find_last_not_of(" .") + 1);
            if (!name.empty()) names.push_back(name);
        }
    }
    return names;
}

// The works of kelno's cycle report in order: (Wrev, Wirr) of the plain case, then of the
// pyroclast-heated case.
std::vector<std::pair<double, double>> works(const std::string& out) {
    std::vector<std::pair<double, double>> pairs;
    const std::regex w(R"(\t(Wrev|Wirr)  : +(-?[0-9.,]+|-?nan|-?inf))");
    double rev = std::nan("");
    for (const std::string& line : linesOf(out)) {
        std::smatch m;
        if (!std::regex_search(line, m, w)) continue;
        std::string v = m[2].str();
        std::replace(v.begin(), v.end(), ',', '.');
        const double value = std::strtod(v.c_str(), nullptr);
        if (m[1].str() == "Wrev")
            rev = value;
        else
            pairs.push_back({rev, value});
    }
    return pairs;
}

// The expansion works a report prints (J/g, positive where the water does the work), with
// their lines: "Monophasic expansion work : -34.15 J/g water", "Liquid expansion work
// (reversible) :   266.57  J/g      (irreversible)    73.16  J/g".
std::vector<std::pair<double, std::string>> expansionWorks(const std::string& out) {
    std::vector<std::pair<double, std::string>> found;
    const std::regex figure(R"((-?[0-9]+(?:[.,][0-9]+)?) +J/g)");
    for (const std::string& line : linesOf(out)) {
        if (line.find("xpansion work") == std::string::npos) continue;
        for (std::sregex_iterator i(line.begin(), line.end(), figure), end; i != end; ++i) {
            std::string v = (*i)[1].str();
            std::replace(v.begin(), v.end(), ',', '.');
            std::string squeezed;
            std::istringstream words(line);
            for (std::string w; words >> w;) squeezed += (squeezed.empty() ? "" : " ") + w;
            found.push_back({std::strtod(v.c_str(), nullptr), squeezed});
        }
    }
    return found;
}

// The balances of kelno's cycle report: each case's entropies, heat and reversible work,
// against the magma's and the cold water's temperatures of its summary.
void checkBalances(Checks& c, const std::string& out, const std::string& where) {
    auto numberAfter = [](const std::string& line, const char* key) {
        const std::size_t at = line.find(key);
        if (at == std::string::npos) return std::nan("");
        std::string rest = line.substr(at + std::strlen(key));
        std::replace(rest.begin(), rest.end(), ',', '.');
        return std::strtod(rest.c_str(), nullptr);
    };
    double T1 = std::nan(""), Tm = std::nan("");
    std::string block;
    std::map<std::string, double> v;
    auto close = [&] {
        if (block.empty()) return;
        const std::string w = where + ", " + block;
        if (block.find("pyroclast-heated") != std::string::npos && v.count("S4") && v.count("S5"))
            c.check("heating never lowers an entropy", v["S5"] >= v["S4"] - 0.01,
                    w + ": S4 " + num(v["S4"]) + ", S5 " + num(v["S5"]) + " J/(mol K)");
        if (block.find("isentropic") != std::string::npos && v.count("S3") && v.count("S5"))
            c.check("the isentropic expansion keeps its entropy",
                    std::fabs(v["S5"] - v["S3"]) <= 0.02,
                    w + ": S3 " + num(v["S3"]) + ", S5 " + num(v["S5"]) + " J/(mol K)");
        if (v.count("Q") && v.count("Wrev") && T1 > 0 && Tm > T1)
            c.check("below Carnot", v["Wrev"] <= v["Q"] * (1 - T1 / Tm) + 0.01,
                    w + ": Wrev " + num(v["Wrev"]) + " of Q " + num(v["Q"]) + " J/g");
        for (const char* k : {"steam mass", "steam volume"})
            if (v.count(k))
                c.check("steam fractions within 0 to 100 %", v[k] >= -0.005 && v[k] <= 100.005,
                        w + ": " + k + " " + num(v[k]) + " %");
        v.clear();
    };
    for (const std::string& line : linesOf(out)) {
        if (line.rfind("Initial water temperature", 0) == 0) T1 = numberAfter(line, "C,");
        if (line.rfind("Magma temperature", 0) == 0) Tm = numberAfter(line, "C,");
        if (line.find(" case: ") != std::string::npos) {
            close();
            block = line.substr(0, line.find(':'));
            continue;
        }
        if (block.empty() || line.empty() || line[0] != '\t') continue;
        for (const char* k : {"S3", "S4", "S5", "Q", "Wrev"})
            if (line.rfind(std::string("\t") + k + " ", 0) == 0) v[k] = numberAfter(line, ":");
        if (line.find("% steam mass   ") != std::string::npos)
            v["steam mass"] = std::max(v["steam mass"], numberAfter(line, ":"));
        if (line.find("% steam volume ") != std::string::npos)
            v["steam volume"] = std::max(v["steam volume"], numberAfter(line, ":"));
    }
    close();
}

// A table a program wrote, read back with the library's own table reader: as many columns
// named as every data row holds numbers, and as many rows. A column table names its columns
// on a comment line ("# P(1) Vl(2)"), an Igor text file on its WAVES lines; Igor scripts
// (command lines before BEGIN) and binary files are no tables.
void checkReadsBack(Checks& c, const fs::path& path, const std::string& bytes,
                    const std::string& where) {
    if (bytes.find('\0') != std::string::npos) return;
    std::vector<std::vector<std::string>> lines;
    for (const std::string& line : linesOf(bytes)) {
        std::istringstream in(line);
        std::vector<std::string> w;
        for (std::string word; in >> word;) w.push_back(word);
        if (!w.empty()) lines.push_back(w);
    }
    if (lines.empty()) return;
    const bool igor = lines.front().front() == "IGOR";
    if (!igor && lines.front().front()[0] != '#') return;
    std::vector<std::size_t> rowWords;
    bool data = !igor;
    for (const auto& w : lines) {
        if (igor && !data) {
            if (w.front() == "x") return;  // a script
            data = w.front() == "BEGIN";
            continue;
        }
        if (w.front() == "END") break;
        if (w.front()[0] != '#') rowWords.push_back(w.size());
    }
    if (igor && !data) return;
    DataTextFile table;
    if (!c.check("a table the program wrote reads back", table.tryOpen(path.c_str()).ok(),
                 where + ": " + path.filename().string()))
        return;
    std::string shifted;
    for (std::size_t r = 0; r < rowWords.size() && shifted.empty(); ++r)
        if (rowWords[r] != static_cast<std::size_t>(table.columns))
            shifted = "row " + num(double(r + 1)) + " holds " + num(double(rowWords[r])) +
                      " numbers under " + num(table.columns) + " names";
    c.check("a table the program wrote reads back under its own names", shifted.empty(),
            where + ": " + path.filename().string() + ": " + shifted);
    table.count_items();
    c.check("a table the program wrote reads back whole",
            table.rows == static_cast<std::int64_t>(rowWords.size()),
            where + ": " + path.filename().string() + ": " + num(double(table.rows)) + " of " +
                num(double(rowWords.size())) + " rows");
}

void checkRun(Checks& c, const std::string& program, const std::vector<std::string>& words,
              bool energetics) {
    const fs::path base = fs::current_path() / "console" / folderName(c.configuration());
    fs::remove_all(base);
    testing::ProgramRun reference;
    std::map<std::string, std::string> referenceFiles;
    const int seconds = c.budget().full ? 600 : 120;
    for (const std::string& locale : locales()) {
        // Every locale's run in the same folder: the scripts name their folder.
        const fs::path folder = base / "run";
        std::vector<std::string> all = {"LC_ALL=" + locale, program};
        all.insert(all.end(), words.begin(), words.end());
        const testing::ProgramRun run = testing::runProgram("env", all, folder, seconds);
        const auto files = filesOf(folder / "work");
        fs::rename(folder, base / folderName(locale));
        const std::string where = locale + ": status " + num(run.status);
        if (locale == locales().front())
            for (const auto& [name, bytes] : files)
                checkReadsBack(c, base / folderName(locale) / "work" / name, bytes, where);
        c.check("exits 0 or 1 by itself", run.status == 0 || run.status == 1,
                where + " " + run.err.substr(0, 120));
        c.check("a failure says why", run.status != 1 || !run.err.empty(), where);
        if (run.status == 0) {
            std::string dirty = lineWithNaN(run.out);
            if (!dirty.empty()) dirty = "standard output: " + dirty;
            for (const auto& [name, bytes] : files)
                if (dirty.empty() && !lineWithNaN(bytes).empty())
                    dirty = name + ": " + lineWithNaN(bytes);
            c.check("a success prints and writes no NaN", dirty.empty(), where + ": in " + dirty);
        }
        for (const std::string& name : wroteNames(run.err))
            c.check("every file named as written exists", files.count(name) == 1,
                    where + ": " + name);
        if (energetics && run.status == 0) checkBalances(c, run.out, where);
        // Printed to a hundredth: a figure below -0.005 is work done on expanding water.
        if (run.status == 0)
            for (const auto& [work, line] : expansionWorks(run.out))
                c.check("no negative work where water expands", work >= -0.005, where + ": " + line);
        if (energetics && run.status == 0)
            for (const auto& [rev, irr] : works(run.out)) {
                const std::string w = where + ": Wrev " + num(rev) + ", Wirr " + num(irr) + " J/g";
                c.check("no negative work where water expands", rev >= 0 && irr >= 0, w);
                c.check("Wrev >= Wirr", rev >= irr - 0.01, w);
            }
        if (locale == locales().front()) {
            reference = run;
            referenceFiles = files;
            continue;
        }
        std::string differs;
        if (run.status != reference.status) differs = "exit status";
        else if (withoutTimes(run.out) != withoutTimes(reference.out)) differs = "standard output";
        else if (files.size() != referenceFiles.size()) differs = "the files written";
        for (const auto& [name, bytes] : files)
            if (differs.empty() && (!referenceFiles.count(name) || referenceFiles[name] != bytes))
                differs = name;
        c.check("same bytes in every locale", differs.empty(), where + ": " + differs);
    }
    fs::remove_all(base);
}

// A console run inside this process, under the locale given: its report, status and files.
struct InProcess {
    int status = -1;
    std::string out;
    std::map<std::string, std::string> files;
};

InProcess runInProcess(bool kelno, const std::vector<std::string>& words, const fs::path& folder,
                       const std::string& locale) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path home = fs::current_path();
    fs::current_path(folder);
    std::fflush(stdout);
    const int saved = ::dup(1);
    const int file = ::open("../report", O_CREAT | O_TRUNC | O_WRONLY, 0644);
    ::dup2(file, 1);
    ::close(file);
    // A program that sets its locale may set C++'s global one too (streams follow that).
    std::setlocale(LC_ALL, locale.c_str());
    std::locale::global(std::locale(locale.c_str()));
    InProcess r;
    std::vector<std::string> all = {kelno ? "kelno" : "vornex"};
    all.insert(all.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (auto& w : all) argv.push_back(w.data());
    argv.push_back(nullptr);
    if (kelno) {
        WagnerPruss water(2);
        r.status = water.doWaterMagmaCommand(static_cast<int>(all.size()),
                                             const_cast<const char**>(argv.data()));
    } else {
        std::istringstream none;
        r.status = runVornex(static_cast<int>(all.size()), argv.data(), none);
    }
    std::fflush(stdout);
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
    ::dup2(saved, 1);
    ::close(saved);
    fs::current_path(home);
    r.out = testing::slurpFile(folder / ".." / "report");
    r.files = filesOf(folder);
    return r;
}

struct ConsoleRunWords {
    bool kelno;
    std::vector<std::string> words;
};

void checkLocale(Checks& c, const std::string& locale, const std::vector<ConsoleRunWords>& runs) {
    if (!c.check("the locale exists", std::setlocale(LC_ALL, locale.c_str()) != nullptr, locale))
        return;
    std::setlocale(LC_ALL, "C");
    const int n = static_cast<int>(runs.size());
    const int stride = std::max(1, n / c.budget().points(n, 12));
    const fs::path base = fs::current_path() / "locale";
    for (int i = c.budget().offset(locale, stride); i < n; i += stride) {
        const auto& run = runs[static_cast<std::size_t>(i)];
        const std::string line = (run.kelno ? "kelno " : "vornex ") + joined(run.words);
        const InProcess here = runInProcess(run.kelno, run.words, base / "work", locale);
        if (locale == "C") {
            c.check("exit status 0 or 1", here.status == 0 || here.status == 1, line);
            continue;
        }
        // The same folder for both: the Igor scripts name the folder they were written in.
        const InProcess ref = runInProcess(run.kelno, run.words, base / "work", "C");
        std::string differs;
        if (here.status != ref.status) differs = "exit status";
        else if (withoutTimes(here.out) != withoutTimes(ref.out)) differs = "report";
        else if (here.files.size() != ref.files.size()) differs = "the files written";
        for (const auto& [name, bytes] : here.files)
            if (differs.empty() && (!ref.files.count(name) || ref.files.at(name) != bytes))
                differs = name;
        c.check("same bytes as in the C locale", differs.empty(), line + ": " + differs);
    }
    fs::remove_all(base);
}

// A command run where a file of the user's stands at each name it writes: the run ends with
// status 1 naming one of them and leaves every one as it was; a run in the folder after they
// are gone writes them, and runs again over its own files.
void checkForeignFiles(Checks& c, const std::string& program, const std::vector<std::string>& words) {
    const fs::path base = fs::current_path() / "foreign" / folderName(c.configuration());
    fs::remove_all(base);
    const int seconds = c.budget().full ? 600 : 120;
    std::vector<std::string> all = {"LC_ALL=C", program};
    all.insert(all.end(), words.begin(), words.end());
    const fs::path first = base / "first";
    const testing::ProgramRun plain = testing::runProgram("env", all, first, seconds);
    std::map<std::string, std::string> written = filesOf(first / "work");
    written.erase(".vornex-outputs");
    if (plain.status != 0 || written.empty()) {
        fs::remove_all(base);
        return;
    }
    const fs::path folder = base / "planted";
    fs::create_directories(folder / "work");
    const std::string foreign = "a file of the user's\n";
    for (const auto& [name, bytes] : written) std::ofstream(folder / "work" / name) << foreign;
    const testing::ProgramRun run = testing::runProgram("env", all, folder, seconds);
    c.check("a run over a user's files ends with status 1", run.status == 1,
            "status " + num(run.status) + " " + run.err.substr(0, 120));
    // A command that stops at the first file refused names that one; the others it never tried.
    bool named = false;
    for (const auto& [name, bytes] : written) {
        c.check("a user's file at an output name stays as it was",
                testing::slurpFile(folder / "work" / name) == foreign, name);
        named = named || run.err.find(name + " is there and was not written by this program") !=
                             std::string::npos;
    }
    c.check("a run over a user's files names one it left", named, run.err.substr(0, 120));
    for (const auto& [name, bytes] : written) fs::remove(folder / "work" / name);
    for (int again = 0; again < 2; ++again) {
        const testing::ProgramRun own = testing::runProgram("env", all, folder, seconds);
        c.check("a run replaces its own earlier files", own.status == 0,
                "run " + num(again + 1) + ": status " + num(own.status) + " " + own.err.substr(0, 120));
    }
    fs::remove_all(base);
}

// A curve over an earlier curve of the program's own that traces nothing (said, status 1)
// leaves that curve as it was and still the program's: the first command run again, in a
// later run as in the same list, replaces it.
void checkKeptThroughFailure(Checks& c, const std::string& program,
                             const std::vector<std::string>& traced,
                             const std::vector<std::string>& empty, const std::string& file) {
    const fs::path base = fs::current_path() / "kept" / folderName(c.configuration());
    fs::remove_all(base);
    const int seconds = c.budget().full ? 600 : 120;
    const fs::path work = base / "run" / "work";
    const testing::ProgramRun first = testing::runProgram(program, traced, base / "run", seconds);
    if (first.status != 0) {
        fs::remove_all(base);
        return;
    }
    const std::string earlier = testing::slurpFile(work / file);
    const testing::ProgramRun failed = testing::runProgram(program, empty, base / "run", seconds);
    c.check("a curve that traces nothing fails", failed.status == 1,
            "status " + num(failed.status) + " " + failed.err.substr(0, 120));
    c.check("a failed curve leaves the earlier one as it was",
            testing::slurpFile(work / file) == earlier, file);
    const testing::ProgramRun again = testing::runProgram(program, traced, base / "run", seconds);
    c.check("a run replaces its own earlier files", again.status == 0,
            "after a failed curve: status " + num(again.status) + " " + again.err.substr(0, 120));
    std::vector<std::string> list = traced;
    list.insert(list.end(), empty.begin() + 1, empty.end());
    list.insert(list.end(), traced.begin() + 1, traced.end());
    const testing::ProgramRun one = testing::runProgram(program, list, base / "list", seconds);
    c.check("a run replaces its own earlier files",
            one.err.find("was not written by this program") == std::string::npos,
            "in one list: " + one.err.substr(0, 160));
    fs::remove_all(base);
}

// Whether the text is UTF-8 without a control character other than the line end: what a
// message may hold, whatever words it echoes.
std::string unprintable(const std::string& text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        const unsigned char b = static_cast<unsigned char>(text[at]);
        if (b == '\n' || (b >= 0x20 && b < 0x7F)) continue;
        if (b < 0x80) return "control byte " + num(b) + " at " + num(double(at));
        const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
        bool whole = length > 0 && at + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(text[at + k]) & 0xC0) == 0x80;
        if (!whole || (b == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0))
            return "byte " + num(b) + " outside UTF-8 text at " + num(double(at));
        at += length - 1;
    }
    return "";
}

// A hostile word at each place of a command line (model, help word, command word, number,
// suffix) is refused in one line of text, with status 1 or 2.
void checkHostileWord(Checks& c, const std::string& program, const std::vector<std::string>& words) {
    const fs::path folder = fs::current_path() / "hostile" / folderName(c.configuration());
    fs::remove_all(folder);
    const testing::ProgramRun run = testing::runProgram(program, words, folder, 60);
    c.check("a hostile word is refused", run.status == 1 || run.status == 2,
            "status " + num(run.status) + " " + run.err.substr(0, 120));
    c.check("a failure says why", !run.err.empty(), "status " + num(run.status));
    const std::string bad = unprintable(run.err);
    c.check("a message is one line of text", bad.empty(), bad + ": " + run.err.substr(0, 120));
    c.check("a message is one line of text", run.err.size() < 8000,
            num(double(run.err.size())) + " bytes of messages");
    fs::remove_all(folder);
}

// A number typed with a decimal comma in a locale that writes one is refused, saying that
// numbers take a point: status 1, nothing computed or written.
void checkDecimalComma(Checks& c, const std::string& program, const std::vector<std::string>& words) {
    const fs::path folder = fs::current_path() / "comma" / folderName(c.configuration());
    fs::remove_all(folder);
    std::vector<std::string> all = {"LC_ALL=fr_FR.UTF-8", program};
    all.insert(all.end(), words.begin(), words.end());
    const testing::ProgramRun run = testing::runProgram("env", all, folder, 60);
    c.check("a decimal comma is refused", run.status == 1,
            "status " + num(run.status) + " " + run.err.substr(0, 120));
    c.check("a decimal comma is told that numbers take a point",
            run.err.find("decimal point, not a comma") != std::string::npos, run.err.substr(0, 160));
    std::map<std::string, std::string> files = filesOf(folder / "work");
    files.erase(".vornex-outputs");
    c.check("a refused number writes nothing", files.empty(),
            files.empty() ? "" : files.begin()->first);
    fs::remove_all(folder);
}

// One command's parameters answered from a file, as an editor saves one (a byte-order mark,
// lines ended by CR LF), give the report, status and files of the same parameters given on
// the command line.
void checkAnswersFromFile(Checks& c, const std::string& program,
                          const std::vector<std::string>& words) {
    const fs::path base = fs::current_path() / "answers" / folderName(c.configuration());
    fs::remove_all(base);
    const int seconds = c.budget().full ? 600 : 120;
    std::vector<std::string> given = {"LC_ALL=C", program};
    given.insert(given.end(), words.begin(), words.end());
    const testing::ProgramRun listed = testing::runProgram("env", given, base / "listed", seconds);
    std::string answers = "\xEF\xBB\xBF";
    for (std::size_t k = 2; k < words.size(); ++k) answers += words[k] + "\r\n";
    const std::vector<std::string> asked = {"LC_ALL=C", program, words[0], words[1]};
    const testing::ProgramRun answered =
        testing::runProgram("env", asked, base / "answered", seconds, answers);
    std::string differs;
    if (answered.status != listed.status) differs = "exit status " + num(answered.status) + " for " + num(listed.status);
    else if (withoutTimes(answered.out) != withoutTimes(listed.out)) differs = "standard output";
    else if (filesOf(base / "answered" / "work") != filesOf(base / "listed" / "work")) differs = "the files written";
    c.check("answers from a file are the words of the command line", differs.empty(),
            differs + ": " + answered.err.substr(0, 160));
    fs::remove_all(base);
}

// A table written by hand, comments before its rows, read under a locale that writes a decimal
// comma: the last comment with words names the columns, every line of numbers is a row, and a
// number written with a comma is told at its own line.
struct HandTable {
    std::string form, text, names;
    std::size_t rows;
    int commaLine;  // 0: no decimal comma in the table
};

const std::vector<HandTable>& handTables() {
    static const std::vector<HandTable> list = {
        {"names", "T P\n300 1\n-1.5 2\n.5 3\n", "T P", 3, 0},
        {"commented-names", "# measured 2024\nT P\n300 1\n", "T P", 1, 0},
        {"comment-names", "# T P\n300 1\n310 2\n", "T P", 2, 0},
        {"comment-names-bare-mark", "# T P\n#\n300 1\n310 2\n", "T P", 2, 0},
        {"comment-names-ruler", "# T P\n##########\n\n300 1\n", "T P", 1, 0},
        {"comment-names-blank", "# T P\n# \r\n300 1\r\n", "T P", 1, 0},
        {"comment-among-rows", "T P\n300 1\n# note\n310 2\nEND\n", "T P", 2, 0},
        {"igor-commands", "IGOR\nX // note\nWAVES/D T P\nBEGIN\n300 1\nEND\nX SetScale d 0,0,\"K\", T\n",
         "T P", 1, 0},
        {"comma-after-comments", "# T P\n\n\n300,5 1\n", "T P", 1, 4},
    };
    return list;
}

void checkHandTable(Checks& c, const HandTable& t, const std::string& locale) {
    const fs::path folder = fs::current_path() / "tables";
    fs::create_directories(folder);
    const fs::path file = folder / (t.form + ".txt");
    std::ofstream(file, std::ios::binary) << t.text;
    std::setlocale(LC_ALL, locale.c_str());
    DataTextFile table;
    std::string said;
    std::size_t rows = 0;
    bool named = false;
    said = test::stderrOf([&] {
        named = table.tryOpen(file.c_str()).ok() &&
                table.set_index(t.names.c_str()) ==
                    static_cast<int>(std::count(t.names.begin(), t.names.end(), ' ') + 1);
        table.count_items();
        while (named && table.read()) ++rows;
    });
    std::setlocale(LC_ALL, "C");
    c.check("a hand-written table reads under its names", named,
            locale + ": " + t.form + ": " + num(table.columns) + " columns");
    c.check("a hand-written table reads whole", rows == t.rows && table.rows == static_cast<std::int64_t>(t.rows),
            locale + ": " + t.form + ": " + num(double(rows)) + " of " + num(double(t.rows)) +
                " rows");
    if (t.commaLine > 0)
        c.check("a decimal comma is told at its own line",
                said.find(", line " + std::to_string(t.commaLine) + ":") != std::string::npos,
                locale + ": " + t.form + ": " + said.substr(0, 160));
    fs::remove(file);
}

}  // namespace

void addConsoleConfigurations(std::vector<Configuration>& out, const std::string& buildDir) {
    const std::string kelno = buildDir + "/tools/kelno/kelno";
    const std::string vornex = buildDir + "/tools/vornex/vornex";
    std::vector<ConsoleRunWords> inProcess;
    // A program missing from the build, or whose banner lists no command, would take its
    // configurations out of the sweep and let it pass: it is one failing configuration.
    auto missing = [&out](const std::string& name, const std::string& program, const std::string& why) {
        out.push_back({name, name, [program, why](Checks& c) {
                           c.check("the program is built and lists its commands", false, program + ": " + why);
                       }});
    };
    const auto kelnoWords = fs::exists(kelno) ? kelnoRuns(kelno) : std::vector<std::vector<std::string>>();
    if (kelnoWords.empty())
        missing("kelno", kelno, fs::exists(kelno) ? "its banner lists no command" : "not built");
    for (const auto& words : kelnoWords) {
        const bool cycle = words.size() > 1 && (words[0] == "pp" || words[0] == "pv" ||
                                                words[0] == "pw");
        out.push_back({"kelno", "kelno " + joined(words), [kelno, words, cycle](Checks& c) {
                           checkRun(c, kelno, words, cycle);
                       }});
        // The program's own switches are the program's, not the library's: in the process
        // the command runs without them.
        std::vector<std::string> command = words;
        while (!command.empty() && command.front().rfind("--", 0) == 0) command.erase(command.begin());
        inProcess.push_back({true, command});
    }
    if (!fs::exists(vornex)) missing("vornex", vornex, "not built");
    else
        for (const auto& words : vornexRuns()) {
            out.push_back({"vornex", "vornex " + joined(words),
                           [vornex, words](Checks& c) { checkRun(c, vornex, words, false); }});
            inProcess.push_back({false, words});
        }
    // Users' files at the output names: every kelno command, and every command on water.
    for (const auto& words : kelnoWords)
        out.push_back({"kelno", "kelno foreign " + joined(words),
                       [kelno, words](Checks& c) { checkForeignFiles(c, kelno, words); }});
    if (fs::exists(vornex))
        for (const auto& words : vornexRuns())
            if (words.front() == "wagner")
                out.push_back({"vornex", "vornex foreign " + joined(words),
                               [vornex, words](Checks& c) { checkForeignFiles(c, vornex, words); }});
    if (fs::exists(vornex)) {
        for (const std::string& keyword : FluidPhase::registeredEOSKeywords())
            out.push_back({"vornex", "vornex kept " + keyword + " isoc 60 700 600 s",
                           [vornex, keyword](Checks& c) {
                               checkKeptThroughFailure(c, vornex,
                                                       {keyword, "isoc", "60", "700", "600", "s"},
                                                       {keyword, "isoc", "60", "600", "600", "s"},
                                                       "isocs");
                           }});
        out.push_back({"vornex", "vornex kept wagner isotherm 300 18 19 s", [vornex](Checks& c) {
                           checkKeptThroughFailure(c, vornex,
                                                   {"wagner", "isotherm", "300", "18", "19", "s"},
                                                   {"wagner", "isotherm", "300", "21", "40000", "s"},
                                                   "isots");
                       }});
        // Each place a word of the user's is echoed, with a line break and a terminal's
        // escape sequence in it, a byte outside UTF-8, and a C1 control.
        const std::string forged = "x\x1b[2J\nWrote crits\xff\xc2\x9b";
        const std::vector<std::vector<std::string>> places = {
            {forged, "TP", "300", "1"}, {"help", forged},         {"wagner", "help", forged},
            {"wagner", forged},         {"wagner", "TP", forged, "1"},
            {"wagner", "crit", forged}, {"wagner", "spino", "a", forged}};
        for (std::size_t k = 0; k < places.size(); ++k)
            out.push_back({"vornex", "vornex hostile word " + num(double(k + 1)),
                           [vornex, words = places[k]](Checks& c) { checkHostileWord(c, vornex, words); }});
    }
    // kelno's echoed words: the command, an option, an option's number, a count, a
    // parameter and a phase word.
    if (fs::exists(kelno)) {
        const std::string forged = "x\x1b[2J\nWrote wm\xff\xc2\x9b";
        const std::vector<std::vector<std::string>> places = {
            {forged},         {"pv", forged},          {"pv", "m", forged},
            {"ev", "frac", forged}, {"TP", forged, "1"}, {"TP", "300", "1", forged}};
        for (std::size_t k = 0; k < places.size(); ++k)
            out.push_back({"kelno", "kelno hostile word " + num(double(k + 1)),
                           [kelno, words = places[k]](Checks& c) { checkHostileWord(c, kelno, words); }});
    }
    // Every command on water with its parameters answered from a file.
    if (fs::exists(vornex))
        for (const auto& words : vornexRuns())
            if (words.front() == "wagner" && words.size() > 2)
                out.push_back({"vornex", "vornex answers " + joined(words),
                               [vornex, words](Checks& c) { checkAnswersFromFile(c, vornex, words); }});
    // Each place a number is typed with a decimal comma: a parameter, an option's number.
    if (fs::exists(vornex))
        for (const std::vector<std::string>& words :
             {std::vector<std::string>{"wagner", "TP", "300,5", "1"},
              std::vector<std::string>{"wagner", "isoc", "30", "300", "400,5", "s"},
              std::vector<std::string>{"hn", "x", "0,1", "TP", "700", "100"}})
            out.push_back({"vornex", "vornex comma " + joined(words),
                           [vornex, words](Checks& c) { checkDecimalComma(c, vornex, words); }});
    if (fs::exists(kelno))
        for (const std::vector<std::string>& words :
             {std::vector<std::string>{"TP", "300,5", "100"},
              std::vector<std::string>{"pv", "m", "0,5"}, std::vector<std::string>{"heat", "1", "20", "300,5"}})
            out.push_back({"kelno", "kelno comma " + joined(words),
                           [kelno, words](Checks& c) { checkDecimalComma(c, kelno, words); }});
    for (const std::string& locale : inProcessLocales())
        for (const HandTable& t : handTables())
            out.push_back({"locale", "locale table " + t.form + " " + locale,
                           [t, locale](Checks& c) { checkHandTable(c, t, locale); }});
    for (const std::string& locale : inProcessLocales())
        out.push_back({"locale", "locale " + locale,
                       [locale, inProcess](Checks& c) { checkLocale(c, locale, inProcess); }});
}

}  // namespace vornex::sweep
