// The workbench as a person drives it: every control of its form (typed, ticked or pressed)
// and clicks over every plot, each on a fresh document, with and without Fixed density.
#include <cmath>
#include <memory>

#include "Sweep.h"
#include "numerics/TextCapture.h"
#include "phasediagram/PalliserModel.h"
#include "plot/CPlotView.h"
#include "workbench/HeadlessWorkbench.h"

namespace vornex::sweep {
namespace {

struct Session {
    std::unique_ptr<MyDocument> doc = HeadlessWorkbench::newDocument();
    HeadlessWorkbench ui{*doc};
    double rho0 = -1;
    // 300 degC, 1000 bar, 10 wt %, one phase, its density fixed.
    void fix() {
        ui.check("mFixDensity", false);
        ui.type("mHaliteXm", 10);
        ui.type("mHaliteTm", 300);
        ui.type("mHalitePm", 1000);
        rho0 = doc->mRm;
        ui.check("mFixDensity", true);
    }
};

std::string stateText(const MyDocument& d) {
    return "T " + num(d.mTm) + " C, P " + num(d.mPm) + " bar, " + num(d.mXm) + " wt %, rho " +
           num(d.mRm);
}

// What every action leaves: a state of the model, or a blank one with its reason said; with
// the density fixed, the density kept or its leaving said.
void checkAfter(Checks& c, Session& s, bool fixed, const std::string& action) {
    MyDocument& d = *s.doc;
    const std::string status = d.form().text(MyDocument::kStatusLine);
    const std::string where = action + ": " + stateText(d) + " [" + status.substr(0, 100) + "]";
    const bool sound = std::isfinite(d.mRm) && d.mRm > 0 && std::isfinite(d.mTm) &&
                       std::isfinite(d.mPm) && d.mPm > 0 && d.mXm >= 0 && d.mXm <= 100;
    c.check("a state or its reason", sound || !status.empty(), where);
    if (sound) {
        double rho = -1;
        test::outputOf([&] {
            rho = d.model()->calculateFluidDensity(d.mTm, d.mPm, d.mXm / 100.0, d.mRm);
        });
        c.check("the state shown is the model's state", std::fabs(rho / d.mRm - 1) < 1e-6,
                where + ": the model gives " + num(rho));
    }
    if (fixed && s.rho0 > 0) {
        const bool kept = std::fabs(d.mRm / s.rho0 - 1) < 1e-6;
        c.check("Fixed density keeps the density or says why",
                kept || status.find("densit") != std::string::npos,
                where + ": fixed at " + num(s.rho0));
    }
}

void checkControl(Checks& c, const std::string& name, bool fixed) {
    Session s;
    if (fixed) s.fix();
    Control* control = s.doc->form().find(name);
    if (!c.check("the control exists", control != nullptr, name)) return;
    std::string action;
    test::outputOf([&] {
        if (const InputLimits* limits = MyDocument::inputLimits(name)) {
            // A number inside the field's bounds, off the value it shows.
            double lo = std::isfinite(limits->lo) ? limits->lo : -1e3;
            double hi = std::isfinite(limits->hi) ? limits->hi : 1e3;
            const double v = control->value != 0 && control->value * 1.1 > lo &&
                                     control->value * 1.1 < hi
                                 ? control->value * 1.1
                                 : lo + 0.37 * (hi - lo);
            action = "typed " + num(v);
            s.ui.type(name, v);
        } else if (control->editable && !control->action.empty() && control->title.empty()) {
            action = "ticked";
            s.ui.check(name, control->state == 0);
        } else {
            action = "pressed";
            s.ui.press(name);
        }
    });
    checkAfter(c, s, fixed, name + " " + action);
}

void checkPlot(Checks& c, const std::string& name, bool fixed) {
    const int n = c.budget().points(5, 2);
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < n; ++k) {
            Session s;
            if (fixed) s.fix();
            CPlotView* plot = s.doc->plotNamed(name);
            if (!c.check("the plot exists", plot != nullptr, name)) return;
            float x0, x1, y0, y1;
            plot->getDefaultXYRange(x0, x1, y0, y1);
            const double x = x0 + (x1 - x0) * (i + 0.5) / n, y = y0 + (y1 - y0) * (k + 0.5) / n;
            test::outputOf([&] { s.ui.clickPlot(name, x, y); });
            checkAfter(c, s, fixed, "click at (" + num(x) + ", " + num(y) + ")");
        }
}

}  // namespace

void addWorkbenchConfigurations(std::vector<Configuration>& out) {
    std::vector<std::string> controls;
    {
        const auto doc = HeadlessWorkbench::newDocument();
        for (const std::string& name : doc->form().names()) {
            const Control* c = doc->form().find(name);
            if (c && !c->action.empty()) controls.push_back(name);
        }
    }
    for (bool fixed : {false, true}) {
        const std::string lock = fixed ? " fixed" : "";
        for (const std::string& name : controls)
            out.push_back({"workbench", "workbench control " + name + lock,
                           [name, fixed](Checks& c) { checkControl(c, name, fixed); }});
        for (const std::string& name : MyDocument::plotNames())
            out.push_back({"workbench", "workbench plot " + name + lock,
                           [name, fixed](Checks& c) { checkPlot(c, name, fixed); }});
    }
}

}  // namespace vornex::sweep
