// Measured-data drivers and simple isotherms of VLE: whole series of equilibria on whatever
// solver the object is, written as Igor text. Pressures in bar in files and arguments.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

#include "numerics/ConsoleInput.h"
#include "numerics/Decimal.h"
#include "numerics/DataTextFile.h"
#include "numerics/MsgList.h"
#include "vle/VLE.h"

namespace vornex {

namespace {

// Opens a measured-data table; a file that cannot be read is reported (status 8 on the
// caller) instead of ending the process inside the reader.
std::unique_ptr<DataTextFile> openTable(VLE& vle, const char* path) {
    auto table = std::make_unique<DataTextFile>();
    const FileRead read = table->tryOpen(path);
    if (read.ok()) return table;
    if (read.status == FileReadStatus::NotFound)
        vornex::cfprintf(stderr, "File %s not found\n", path ? path : "(null)");
    else
        vornex::cfprintf(stderr, "%s\n", read.message.c_str());
    vle.status = 8;
    return nullptr;
}

bool hasColumn(const DataTextFile& table, const char* name) {
    return table.names && table.names->exist(name);
}

// The next row's count selected values; false at the end of the table. A row with a missing
// value is reported and skipped.
bool nextRow(DataTextFile& table, std::vector<double>& row, std::size_t count) {
    while (table.read()) {
        row.assign(count, 0.0);
        bool complete = true;
        for (double& value : row) {
            table >> value;
            complete = complete && std::isfinite(value);
        }
        if (complete) return true;
        vornex::cfprintf(stderr, "%s: row with a missing value skipped\n", table.name.c_str());
    }
    return false;
}

bool startsNumber(const std::string& word) {
    return !word.empty() && (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '.');
}

// One step of dP bar from the last converged point, the step halved after each failed
// try: the number of tries it took, 0 when all maxTries failed.
int stepInPressure(VLE& vle, double dP, int maxTries) {
    vle.stepFactor = 1.0;
    for (int tries = 1; tries <= maxTries; ++tries) {
        vle.status = 0;
        vle.set_the_pressure(vle.last.P / 100000.0 + dP * vle.stepFactor);
        vle.calculateVLE();
        vle.stepFactor /= 2.0;
        if (vle.status == 0) return tries;
    }
    return 0;
}

}  // namespace

double VLE::shown(double v) const {
    return status == 0 ? v : std::numeric_limits<double>::quiet_NaN();
}

double VLE::liquidVolumeCm3() const {
    return firstPhase ? firstPhase->V * 1e6 : 0.0;
}
double VLE::vapourVolumeCm3() const {
    return secondPhase ? secondPhase->V * 1e6 : 0.0;
}

bool VLE::selectColumns(DataTextFile& table, const std::string& list) {
    if (table.set_index(list.c_str()) >= 0) return true;
    status = 8;
    vornex::cfprintf(stderr, "File format error.\n");
    return false;
}

bool VLE::openOutput(OutputFile& file, const char* path) {
    if (path != nullptr && file.open(path)) return true;
    status = 8;
    vornex::cfprintf(stderr, "Output file %s cannot be written\n", path ? path : "(null)");
    return false;
}

void VLE::setBulk(const std::vector<double>& fractions) {
    for (int i = 0; i < n; i++) composition(i, fractions[static_cast<std::size_t>(i)]);
}

// ------------------------------------------------------------ start from a file

void VLE::initializeFromFile() {
    vornex::cprintf("Input file name : ");
    std::fflush(stdout);
    std::string path;
    if (!readConsoleWord(*input, path)) {
        vornex::cfprintf(stderr, "No file name given\n");
        return;
    }
    std::string text;
    if (const FileRead read = readRegularFile(path, kTableFileLimit, text); !read) {
        if (read.status == FileReadStatus::NotFound)
            vornex::cprintf("%s file not found !\n", path.c_str());
        else
            vornex::cprintf("%s\n", read.message.c_str());
        return;
    }
    std::istringstream file(text);
    std::string word;
    while (file >> word && !startsNumber(word)) {
    }
    if (!startsNumber(word)) return;
    const bool inT = type == 12 || type == 21 || type == 13 || type == 31 || type == 14 ||
                     type == 41 || type == 15 || type == 51;
    const std::size_t count = 2 + 2 * static_cast<std::size_t>(n) + 3;
    std::vector<double> row(count);
    bool first = true;
    double previousT = 0.0;
    for (;;) {
        // The first word of the row is already in word.
        bool complete = true;
        for (std::size_t k = 0; k < count; k++) {
            if (k > 0 && !(file >> word)) {
                complete = false;
                break;
            }
            char* end = nullptr;
            row[k] = vornex::cstrtod(word.c_str(), &end);
            if (end == word.c_str()) complete = false;
            // A word read only in part ("650,5" taken as 650) would start the solve from
            // another state than the table's: the table is refused instead.
            if (end != word.c_str() && *end != '\0') {
                vornex::cprintf("%s: \"%s\" is not a number; no start is taken from the file\n",
                                path.c_str(), word.c_str());
                return;
            }
        }
        if (!complete) return;
        double T = row[0];
        if (inT && !first &&
            ((previousT <= spec.T && spec.T < T) || (previousT > spec.T && spec.T >= T))) {
            for (int i = 0; i < n; i++) {
                xcomposition(i, row[2 + static_cast<std::size_t>(i)]);
                ycomposition(i, row[2 + static_cast<std::size_t>(n + i)]);
            }
            current.P = 100000.0 * row[1];
            current.nL = spec.nL;
            current.nV = spec.nV;
            return;
        }
        first = false;
        previousT = T;
        if (!(file >> word) || !startsNumber(word)) return;
    }
}

// ------------------------------------------------------- measured-data drivers

void VLE::flash(const char* data, const char* out) {
    auto table = openTable(*this, data);
    if (!table) return;
    const std::string xs = header("x", "     "), ys = header("y", "     ");
    if (!selectColumns(*table, "T Pr " + xs + ys)) return;
    OutputFile file;
    if (!openOutput(file, out)) return;
    file.print("IGOR\nWAVES T Pr %s %s %s %s err\nBEGIN\n", header("x", "exp    ").c_str(),
               xs.c_str(), header("y", "exp ").c_str(), ys.c_str());
    set_type_of_problem(12);
    set_the_vaporization_ratio(0.0);
    set_initialization_flag(0);
    const auto un = static_cast<std::size_t>(n);
    std::vector<double> row, bulk(un);
    while (nextRow(*table, row, 2 + 2 * un)) {
        double T = row[0], P = row[1];
        current.T = T;
        current.P = 100000.0 * P;
        set_the_temperature(T);
        set_the_pressure(P);
        trial.T = T;
        trial.P = 100000.0 * P;
        current.nV = current.nL = 0.5;
        for (std::size_t i = 0; i < un; i++) {
            trial.x[i] = row[2 + i];
            trial.y[i] = row[2 + un + i];
            bulk[i] = (trial.x[i] + trial.y[i]) / 2.0;
        }
        setBulk(bulk);
        calculateVLE();
        file.print("%#.10lg %#.10lg ", T, P);
        vornex::cprintf("%lg %lg ", T, P);
        for (std::size_t i = 0; i < un; i++) file.print("%#.10lg ", row[2 + i]);
        for (double v : current.x) file.print("%#.10lg ", shown(v));
        for (std::size_t i = 0; i < un; i++) file.print("%#.10lg ", row[2 + un + i]);
        for (double v : current.y) file.print("%#.10lg ", shown(v));
        for (double v : current.x) vornex::cprintf("%lg  ", shown(v));
        for (double v : current.y) vornex::cprintf("%lg  ", shown(v));
        file.print("%d\n", status);
        vornex::cprintf("%d\n", status);
    }
    file.print("END\n");
    file.commit();
}

void VLE::bubble(const char* data, const char* out) {
    auto table = openTable(*this, data);
    if (!table) return;
    const std::string xs = header("x", "     "), ys = header("y", "     ");
    if (!selectColumns(*table, "T Pr " + xs + ys)) return;
    OutputFile file;
    if (!openOutput(file, out)) return;
    file.print("IGOR\nWAVES  ");
    file.print("T %s Pexp Pr %s %s err\n", header("x", "exp ").c_str(),
               header("y", "exp  ").c_str(), ys.c_str());
    file.print("BEGIN\n");
    set_type_of_problem(13);
    set_the_vaporization_ratio(0.0);
    set_initialization_flag(0);
    const auto un = static_cast<std::size_t>(n);
    std::vector<double> row;
    while (nextRow(*table, row, 2 + 2 * un)) {
        double T = row[0], Pexp = row[1];
        current.T = T;
        for (int i = 0; i < n; i++) {
            double xi = row[2 + static_cast<std::size_t>(i)];
            double yi = row[2 + un + static_cast<std::size_t>(i)];
            xcomposition(i, xi, xi, xi);
            ycomposition(i, yi, yi, yi);
        }
        trial.T = T;
        trial.P = current.P = 100000.0 * Pexp;
        current.nL = 1.0;
        current.nV = 0.0;
        current.Fv = 0.0;
        set_the_temperature(T);
        setBulk(current.x);
        calculateVLE();
        file.print("%#.10lg  ", T);
        for (std::size_t i = 0; i < un; i++) file.print("%#.10lg ", row[2 + i]);
        file.print("%#.10lg %#.10lg  ", Pexp, shown(current.P / 100000.0));
        for (std::size_t i = 0; i < un; i++) file.print("%#.10lg ", row[2 + un + i]);
        for (double v : current.y) file.print("%#.10lg ", shown(v));
        file.print("%d \n", status);
        for (std::size_t i = 0; i < un; i++) vornex::cprintf("%lg ", row[2 + i]);
        for (double v : current.y) vornex::cprintf("%lg ", shown(v));
        vornex::cprintf("\n");
    }
    file.print("END\n");
    const char* c0 = names[0].c_str();
    file.print("x display Pexp vs x%sexp\n", c0);
    file.print("x append  Pexp vs y%sexp\n", c0);
    file.print("x append  Pr   vs x%sexp\n", c0);
    file.print("x append  Pr   vs y%s\n", c0);
    if (n == 2) {
        file.print("x duplicate Pexp, dP\n");
        file.print("x duplicate Pexp, dy\n");
        file.print("x dP = (Pexp-Pr)/Pr \n");
        file.print("x dy = y%sexp - y%s\n", c0, c0);
        file.print("x dP = abs (dP) \n");
        file.print("x dy = abs (dy) \n");
        file.print("x Variable AADP, AADy\n ");
        file.print("x wavestats dP\n ");
        file.print("x AADP = V_avg \n");
        file.print("x wavestats dy \n");
        file.print("x AAdy = V_avg \n");
        file.print("x print AAdP*100, AAdy*100\n");
    } else if (n == 3) {
        const char* c1 = names[1].c_str();
        file.print("x duplicate Pexp, dP\n");
        file.print("x duplicate Pexp, dy0\n");
        file.print("x duplicate Pexp, dy1\n");
        file.print("x dP = (Pexp-Pr)/Pr \n");
        file.print("x dy0 = y%sexp - y%s\n", c0, c0);
        file.print("x dy1 = y%sexp - y%s\n", c1, c1);
        file.print("x dP = abs (dP) \n");
        file.print("x dy0 = abs (dy0) \n");
        file.print("x dy1 = abs (dy1) \n");
        file.print("x Variable AADP, AADy0, AADy1 \n ");
        file.print("x wavestats dP\n ");
        file.print("x AADP = V_avg \n");
        file.print("x wavestats dy0 \n");
        file.print("x AAdy0 = V_avg \n");
        file.print("x wavestats dy1 \n");
        file.print("x AAdy1 = V_avg \n");
        file.print("x print AAdP*100, AAdy0*100, AAdy1*100\n");
    }
    file.commit();
}

void VLE::calculate_vapour_liquid_equilibria(const char* data, const char* out) {
    auto table = openTable(*this, data);
    if (!table) return;
    const bool hasT = hasColumn(*table, "T"), hasP = hasColumn(*table, "P"),
               hasFv = hasColumn(*table, "Fv");
    short problem = 0;
    std::string columns;
    if (hasT && hasP && !hasFv) {
        problem = 12;
        columns = "T P ";
    } else if (hasT && hasFv && !hasP) {
        problem = 13;
        columns = "T Fv ";
    } else if (hasP && hasFv && !hasT) {
        problem = 23;
        columns = "P Fv ";
    } else {
        status = 8;
        vornex::cfprintf(stderr, "File format error.\n");
        return;
    }
    if (!selectColumns(*table, columns + header("z", "     "))) return;
    OutputFile file;
    if (!openOutput(file, out)) return;
    const std::string xs = header("x", "     "), ys = header("y", "     ");
    file.print("%s %s T P Vl Vv ic err \n", xs.c_str(), ys.c_str());
    vornex::cprintf("%s %s T P Vl Vv ic err \n", xs.c_str(), ys.c_str());
    set_type_of_problem(problem);
    const auto un = static_cast<std::size_t>(n);
    std::vector<double> row;
    while (nextRow(*table, row, 2 + un)) {
        if (problem == 13) {
            set_the_temperature(row[0]);
            set_the_vaporization_ratio(row[1]);
        } else if (problem == 23) {
            set_the_pressure(row[0]);
            set_the_vaporization_ratio(row[1]);
        } else {
            set_the_temperature(row[0]);
            set_the_pressure(row[1]);
        }
        for (int i = 0; i < n; i++) composition(i, row[2 + static_cast<std::size_t>(i)]);
        calculateVLE();
        // The specified quantities stand as given; the computed ones only when solved.
        const double T = problem == 23 ? shown(current.T) : spec.T;
        const double P = (problem == 13 ? shown(current.P) : spec.P) / 100000.0;
        for (double v : current.x) file.print("%#.10lg ", shown(v));
        for (double v : current.y) file.print("%#.10lg ", shown(v));
        file.print("%#.10lg %#.10lg %#.10lg %#.10lg %d\n", T, P, shown(liquidVolumeCm3()),
                   shown(vapourVolumeCm3()), status);
        for (double v : current.x) vornex::cprintf("%lg ", shown(v));
        for (double v : current.y) vornex::cprintf("%lg ", shown(v));
        vornex::cprintf("%lg %lg %lg %lg%d\n", T, P, shown(liquidVolumeCm3()),
                    shown(vapourVolumeCm3()), status);
    }
    file.commit();
}

void VLE::flash1(const char* data, const char* out) {
    auto table = openTable(*this, data);
    if (!table) return;
    const std::string xs = header("x", "     "), ys = header("y", "     ");
    if (!selectColumns(*table, "T Pr " + header("z", "     ") + xs + ys)) return;
    OutputFile file;
    if (!openOutput(file, out)) return;
    file.print("IGOR\nWAVES T Pr Fv %s %s err\nBEGIN\n", xs.c_str(), ys.c_str());
    set_type_of_problem(12);
    set_the_vaporization_ratio(0.5);
    set_initialization_flag(0);
    const auto un = static_cast<std::size_t>(n);
    std::vector<double> row;
    while (nextRow(*table, row, 2 + 3 * un)) {
        double T = row[0], P = row[1];
        for (int i = 0; i < n; i++) composition(i, row[2 + static_cast<std::size_t>(i)]);
        set_the_temperature(T);
        set_the_pressure(P);
        trial.T = T;
        trial.P = 100000.0 * P;
        current.nV = current.nL = 0.5;
        for (std::size_t i = 0; i < un; i++) {
            trial.x[i] = row[2 + un + i];
            trial.y[i] = row[2 + 2 * un + i];
        }
        calculateVLE();
        file.print("%#.10lg\t%#.10lg\t%#.10lg\t", T, P, shown(current.nV));
        for (double v : current.x) file.print("%#.10lg\t", shown(v));
        for (double v : current.y) file.print("%#.10lg\t", shown(v));
        file.print("%d\n", status);
    }
    file.print("END\n");
    file.commit();
}

// ------------------------------------------------------------ simple isotherms

void VLE::writeIsothermRow(OutputFile& file, const char* format) {
    file.print(format, current.T, current.P / 100000.0, current.x[0], current.x[1], current.y[0],
               current.y[1], liquidVolumeCm3(), vapourVolumeCm3());
}

bool VLE::converges() {
    calculateVLE();
    if (status == 0) return true;
    status = 7;
    vornex::cfprintf(stderr, "No convergence\n");
    return false;
}

void VLE::pressureSeries(double dP, int maxTries, const std::function<void()>& row) {
    for (;;) {
        const int tries = stepInPressure(*this, dP, maxTries);
        if (tries == 0) return;
        row();
        if (tries == maxTries) return;
    }
}

std::string VLE::componentCountRefusal(int wanted, const char* curve) {
    if (n == wanted) return {};
    // Nothing is written: a curve of the wrong mixture would stand for the right one.
    status = 1;
    const std::string why =
        vornex::cformat("%s needs %d components; the mixture has %d", curve, wanted, n);
    vornex::cfprintf(stderr, "%s\n", why.c_str());
    return why;
}

void VLE::flash_isotherm(const char* out, double T, double dP, double z0, double Fv) {
    if (!componentCountRefusal(2, "The flash isotherm").empty()) return;
    if (!(std::isfinite(dP) && dP != 0.0)) {
        vornex::cfprintf(stderr, "flash_isotherm: pressure step %lg bar\n", dP);
        status = 1;
        return;
    }
    stepFactor = 1.0;
    setBulk({z0, 1.0 - z0});
    set_type_of_problem(13);
    set_the_temperature(T);
    set_the_vaporization_ratio(Fv);
    set_initialization_flag(0);
    if (!converges()) return;
    OutputFile file;
    if (!openOutput(file, out)) return;
    writeIsothermRow(file, "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \n");
    vornex::cprintf("%lg %lg %lg %lg %lg %lg\n", current.T, current.P / 100000.0, current.x[0],
                current.x[1], current.y[0], current.y[1]);
    set_type_of_problem(12);
    pressureSeries(dP, 2, [&] {
        writeIsothermRow(file, "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg\n");
        vornex::cprintf("%lg %lg %lg %lg %lg %lg\n", current.T, current.P / 100000.0, current.x[0],
                    current.x[1], current.y[0], current.y[1]);
    });
    file.commit();
}

void VLE::flash1_isotherm(const char* out, double T, double P, double dP, double*) {
    if (n < 1) return;
    if (!(std::isfinite(dP) && dP != 0.0)) {
        vornex::cfprintf(stderr, "flash1_isotherm: pressure step %lg bar\n", dP);
        status = 1;
        return;
    }
    stepFactor = 1.0;
    current.nV = current.nL = 0.5;
    set_type_of_problem(12);
    set_the_temperature(T);
    set_the_pressure(P);
    set_initialization_flag(2);
    if (!converges()) return;
    OutputFile file;
    if (!openOutput(file, out)) return;
    file.print("IGOR\nWAVES Tr Pr Fv %s %s %s Vl Vv\nBEGIN\n", header("z", "     ").c_str(),
               header("x", "     ").c_str(), header("y", "     ").c_str());
    auto row = [&] {
        file.print("%#.10lg %#.10lg %#.10lg ", current.T, current.P / 100000.0, current.nV);
        for (double v : z) file.print("%#.10lg  ", v);
        for (double v : current.x) file.print("%#.10lg  ", v);
        for (double v : current.y) file.print("%#.10lg  ", v);
        file.print("%lg\t%lg\n", liquidVolumeCm3(), vapourVolumeCm3());
        vornex::cprintf("%lg %lg %lg %lg %lg %lg %lg \n", current.T, current.P / 100000.0, current.nV,
                    current.x[0], current.y[0], liquidVolumeCm3(), vapourVolumeCm3());
    };
    row();
    set_initialization_flag(0);
    set_type_of_problem(12);
    pressureSeries(dP, 4, row);
    file.print("END\n");
    const char* name = out;
    file.print("x rename Tr, T%s\n", name);
    file.print("x rename Pr, Pr%s\n", name);
    file.print("x rename Vl, Vl%s\n", name);
    file.print("x rename Vv, Vv%s\n", name);
    file.print("x rename Fv, Fv%s\n", name);
    for (const auto& c : names) {
        file.print("x rename z%s, z%s%s\n", c.c_str(), c.c_str(), name);
        file.print("x rename x%s, x%s%s\n", c.c_str(), c.c_str(), name);
        file.print("x rename y%s, y%s%s\n", c.c_str(), c.c_str(), name);
    }
    file.commit();
}

void VLE::writeIsothermClosing(OutputFile& file, const char* suffix) {
    file.print("END\n");
    file.print("x rename T, T%s\n", suffix);
    file.print("x rename Pr, Pr%s\n", suffix);
    file.print("x rename Vl, Vl%s\n", suffix);
    file.print("x rename Vv, Vv%s\n", suffix);
    file.print("x rename ic, ic%s\n", suffix);
    for (const auto& c : names) file.print("x rename x%s, x%s%s\n", c.c_str(), c.c_str(), suffix);
    for (const auto& c : names) file.print("x rename y%s, y%s%s\n", c.c_str(), c.c_str(), suffix);
}

// Steps the bulk composition (and the liquid start) along direction from the first bubble
// point; a failed point halves the step until it falls below 1e-6.
void VLE::bubbleSeries(const std::vector<double>& direction, double dx,
                       const std::function<void()>& row) {
    std::vector<double> lastZ = z;
    stepFactor = 1.0;
    const auto un = static_cast<std::size_t>(n);
    std::vector<double> next(un);
    while (status == 0) {
        bool inside = true;
        for (std::size_t i = 0; i < un; i++) {
            next[i] = lastZ[i] + stepFactor * dx * direction[i];
            trial.x[i] = last.x[i] + stepFactor * dx * direction[i];
            inside = inside && next[i] >= -0.001 && next[i] <= 1.001;
        }
        if (!inside) break;
        setBulk(next);
        calculateVLE();
        if (status != 0) {
            stepFactor /= 2.0;
            status = stepFactor < 1e-6 ? 1 : 0;
            if (status != 0) break;
            continue;
        }
        lastZ = next;
        row();
    }
}

bool VLE::startBubbleIsotherm(double T, const std::vector<double>& start) {
    setBulk(start);
    last.x = last.y = trial.x = trial.y = start;
    set_type_of_problem(13);
    set_the_temperature(T);
    set_the_vaporization_ratio(0.0);
    return converges();
}

void VLE::calculate_an_isotherm_of_the_binary_system(const char* out, double T, double x0,
                                                     double dx, double, double,
                                                     const char* suffix) {
    if (!componentCountRefusal(2, "The binary isotherm").empty()) return;
    if (!(std::isfinite(dx) && dx != 0.0) || !OutputFiles::checkSuffix(suffix ? suffix : "")) {
        vornex::cfprintf(stderr, "Binary isotherm: composition step %lg\n", dx);
        status = 1;
        return;
    }
    stepFactor = 1.0;
    const std::string xs = header("x", "     "), ys = header("y", "     ");
    vornex::cprintf("T     Pr %s %s \n", xs.c_str(), ys.c_str());
    if (!startBubbleIsotherm(T, {x0, 1.0 - x0})) return;
    OutputFile file;
    if (!openOutput(file, out)) return;
    file.print("IGOR\n\nWAVES ");
    file.print("T     Pr  %s %s Vl Vv ic\nBEGIN\n", xs.c_str(), ys.c_str());
    auto row = [&] {
        writeIsothermRow(file, "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg\n");
        vornex::cprintf("%lg %lg %lg %lg %lg %lg\n", current.T, current.P / 100000.0, current.x[0],
                    current.x[1], current.y[0], current.y[1]);
    };
    row();
    bubbleSeries({1.0, -1.0}, dx, row);
    writeIsothermClosing(file, suffix);
    file.commit();
}

void VLE::calculate_an_isotherm_of_the_pseudo_binary_system(const char* out, double T, double x0,
                                                            double r, double dx, double, double,
                                                            const char* suffix) {
    if (!componentCountRefusal(3, "The pseudo-binary isotherm").empty()) return;
    if (!(std::isfinite(dx) && dx != 0.0) || !OutputFiles::checkSuffix(suffix ? suffix : "")) {
        vornex::cfprintf(stderr, "Pseudo-binary isotherm: composition step %lg\n", dx);
        status = 1;
        return;
    }
    current.ratio = r;
    stepFactor = 1.0;
    const std::string xs = header("x", "     "), ys = header("y", "     ");
    vornex::cprintf("T Pr %s %s\n", xs.c_str(), ys.c_str());
    if (!startBubbleIsotherm(T, {(1.0 - r) * x0, r * x0, 1.0 - x0})) return;
    OutputFile file;
    if (!openOutput(file, out)) return;
    file.print("IGOR\nWAVES  ");
    file.print("T   Pr %s %s Vl Vv ic\nBEGIN\n", xs.c_str(), ys.c_str());
    auto values = [&](const char* format, FILE* to) {
        vornex::cfprintf(to, format, current.T, current.P / 100000.0, current.x[0], current.x[1],
                     current.x[2], current.y[0], current.y[1], current.y[2], liquidVolumeCm3(),
                     vapourVolumeCm3());
    };
    values("%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \t%#.10lg %#.10lg %#.10lg\n",
           file.stream());
    auto row = [&] {
        values(
            "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \t\t%#.10lg %#.10lg %#.10lg "
            "%#.10lg \n ",
            file.stream());
        values(
            "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \t\t\t%#.10lg %#.10lg %#.10lg "
            "%#.10lg \n",
            stdout);
    };
    bubbleSeries({1.0 - r, r, -1.0}, dx, row);
    writeIsothermClosing(file, suffix);
    file.commit();
}

}  // namespace vornex
