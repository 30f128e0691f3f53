#include "fluid/FluidSweeps.h"
#include "numerics/Decimal.h"

#include <cstdio>

#include "fluid/FluidPhase.h"
#include "fluid/OutputFiles.h"
#include "numerics/Gnuplot.h"

namespace vornex {

namespace {
const char* nameOf(const std::string& model) {
    return model.empty() ? "noname" : model.c_str();
}
}  // namespace

void IsoLineDiagram::draw(FluidPhase& fluid, char mode, const char* suffix, int count,
                          const std::function<IsoLine(int, char, const char*)>& line) const {
    if (mode != 1 && mode != 2) return;
    std::string s = suffix == nullptr || suffix[0] == '\0' ? "0" : suffix;
    if (!OutputFiles::checkSuffix(s)) {
        fluid.error = 1;
        return;
    }
    OutputFile gp;
    if (mode == 2) {
        if (!gp.open(script)) {
            fluid.error = 1;
            return;
        }
        gp.print(
            "reset\nset timestamp\nset title \"%s - %s\"\nset xlabel \"%s\"\n"
            "set ylabel \"P (bar)\"\nset yrange [-100:*]\n",
            title, nameOf(fluid.modelName), xlabel);
    }
    for (int k = 0; k < count; ++k) {
        const int next = static_cast<unsigned char>(s[0]) + 1;
        if (next > '~' || next == '/') {
            vornex::cfprintf(stderr, "%s: no file name after suffix %s for line %d\n", title, s.c_str(),
                         k + 1);
            fluid.error = 1;
            break;
        }
        s[0] = static_cast<char>(next);
        IsoLine l = line(k, mode, s.c_str());
        gp.print("%s%s using 1:2 w lines title \"%.2f%s\"", k == 0 ? "plot " : ", \\\n",
                 gnuplotQuoted(OutputFiles::pathOf(l.file)).c_str(), l.value, l.unit);
    }
    if (mode != 2) return;
    gp.print("\n");
    if (gp.commit())
        OutputFiles::plot(script);
    else
        fluid.error = 1;
}

bool ContourScript::write(const std::string& model, const double* levels, int nLevels) const {
    OutputFile gp;
    if (!gp.open(script)) return false;
    gp.print(
        "reset\nset title \"P(V,T) - %s -\"\nset timestamp\nset xlabel \"V (cm^3/mol)\"\n"
        "set ylabel \"T (K)\"\nset contour\n",
        nameOf(model));
    if (levels == nullptr || nLevels <= 0) {
        gp.print("set cntrparam levels %d\n", nLevels);
    } else {
        gp.print("set cntrparam levels discr ");
        for (int k = 0; k < nLevels; ++k) gp.print(k + 1 < nLevels ? "%lf, " : "%lf\n", levels[k]);
    }
    gp.print(
        "set style data lines \nset view 180,0,1,1\nset yrange [*:*] reverse\n"
        "unset surface\nsplot %s using 2:1:%d\n",
        gnuplotQuoted(OutputFiles::pathOf(data)).c_str(), column);
    if (!gp.commit()) return false;
    OutputFiles::plot(script);
    return true;
}

}  // namespace vornex
