// The workbench as a person drives it: every control of its form (typed, ticked or pressed)
// and clicks over every plot, each on a fresh document, with and without Fixed density; text
// no file holds typed into every control and edited into every cell of the case table; clicks
// over the ternary view.
#include <array>
#include <cmath>
#include <map>
#include <memory>

#include "Sweep.h"
#include "numerics/TextCapture.h"
#include "phasediagram/PalliserModel.h"
#include "platform/KeyedArchiver.h"
#include "platform/Event.h"
#include "platform/Utf8.h"
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

// Every plot's object count, by plot name.
std::map<std::string, std::size_t> objectCounts(MyDocument& d) {
    std::map<std::string, std::size_t> counts;
    for (const std::string& name : MyDocument::plotNames())
        if (CPlotView* plot = d.plotNamed(name)) counts[name] = plot->graphObjects().size();
    return counts;
}

// An item of the document's menu: each performed leaves a state or its reason; a curve
// toggle performed twice leaves every plot with the objects it had.
void checkMenuItem(Checks& c, const std::string& action, bool fixed) {
    Session s;
    if (fixed) s.fix();
    const auto before = objectCounts(*s.doc);
    bool performed = false;
    test::outputOf([&] { performed = s.ui.perform(action); });
    if (!c.check("the menu item performs", performed, action)) return;
    checkAfter(c, s, fixed, action);
    if (action.find("Toggle") == std::string::npos) return;
    test::outputOf([&] { s.ui.perform(action); });
    const auto after = objectCounts(*s.doc);
    std::string changed;
    for (const auto& [name, n] : before)
        if (after.count(name) && after.at(name) != n)
            changed += (changed.empty() ? "" : ", ") + name + " " + num(double(n)) + " -> " +
                       num(double(after.at(name)));
    c.check("a toggle performed twice keeps every plot's objects", changed.empty(),
            action + " twice: " + changed);
}

// The zoom of a plot: its middle half zoomed in, then the middle half of that zoomed out,
// gives back the plot's ranges, each within the plot's maximum ranges.
void checkZoom(Checks& c, const std::string& name, bool fixed) {
    Session s;
    if (fixed) s.fix();
    CPlotView* plot = s.doc->plotNamed(name);
    if (!c.check("the plot exists", plot != nullptr, name)) return;
    auto range = [&] {
        std::array<float, 4> r{};
        plot->getXYRange(r[0], r[1], r[2], r[3]);
        return r;
    };
    auto dragMiddleHalf = [&] {
        plot->calculateCoefficients();
        const Rect p = plot->getPlotRect();
        const Point from{p.minX() + p.width() / 4, p.minY() + p.height() / 4},
            to{p.minX() + 3 * p.width() / 4, p.minY() + 3 * p.height() / 4};
        MouseEvent down;
        down.location = from;
        QueuedMouseEvents followUp;
        followUp.drag(to);
        followUp.release(to);
        plot->mouseDown(down, followUp);
    };
    const auto r0 = range();
    std::array<float, 4> r1{}, r2{};
    test::outputOf([&] {
        dragMiddleHalf();
        plot->onZoomIn();
        r1 = range();
        dragMiddleHalf();
        plot->onZoomOut();
        r2 = range();
    });
    auto text = [](const std::array<float, 4>& r) {
        return "(" + num(r[0]) + " " + num(r[1]) + ", " + num(r[2]) + " " + num(r[3]) + ")";
    };
    const std::string where = name + ": " + text(r0) + " zoomed in to " + text(r1) +
                              " and out to " + text(r2);
    bool finite = true;
    for (float v : r1) finite = finite && std::isfinite(v);
    for (float v : r2) finite = finite && std::isfinite(v);
    c.check("a zoom keeps finite ranges", finite, where);
    const bool narrower = std::fabs(r1[1] - r1[0]) < std::fabs(r0[1] - r0[0]) &&
                          std::fabs(r1[3] - r1[2]) < std::fabs(r0[3] - r0[2]);
    c.check("zooming in narrows the ranges", narrower, where);
    float mx0, mx1, my0, my1;
    plot->getMaxXYRange(mx0, mx1, my0, my1);
    auto inside = [](float v, float a, float b) {
        const float slack = 1e-4f * std::fabs(b - a);
        return v >= std::min(a, b) - slack && v <= std::max(a, b) + slack;
    };
    c.check("a zoom stays within the maximum ranges",
            inside(r1[0], mx0, mx1) && inside(r1[1], mx0, mx1) && inside(r1[2], my0, my1) &&
                inside(r1[3], my0, my1) && inside(r2[0], mx0, mx1) && inside(r2[1], mx0, mx1) &&
                inside(r2[2], my0, my1) && inside(r2[3], my0, my1),
            where + ", maximum " + text({mx0, mx1, my0, my1}));
    bool back = true;
    for (int i = 0; i < 4; ++i) {
        const float span = i < 2 ? std::fabs(r0[1] - r0[0]) : std::fabs(r0[3] - r0[2]);
        const bool log = i < 2 ? plot->showLogX() : plot->showLogY();
        back = back && (log ? std::fabs(r2[i] / r0[i] - 1) < 2e-3
                            : std::fabs(r2[i] - r0[i]) <= 2e-3 * span);
    }
    // Only where the zoom out is not held back by the maximum ranges.
    if (inside(r0[0], mx0, mx1) && inside(r0[1], mx0, mx1) && inside(r0[2], my0, my1) &&
        inside(r0[3], my0, my1))
        c.check("zooming in and out again gives back the ranges", back, where);
}

// Text that no document file holds (bytes that are not UTF-8, a zero character), typed into
// a control or edited into a cell of the case table: refused or not, the document saves
// afterwards, and reads back with the cases it holds.
const std::string kUnsaveableTexts[] = {"bad \xFF\xFE", "cut \xC3", std::string("in\0side", 7)};

void checkSavesAfter(Checks& c, MyDocument& d, const std::string& where) {
    IoResult saved;
    const Bytes bytes = KeyedArchiver::archivedData(d.cases(), "list", &saved);
    if (!c.check("the document saves after any text", saved.ok() && !bytes.empty(),
                 where + ": " + saved.message))
        return;
    IoResult read;
    const PlistValue back = KeyedUnarchiver::unarchivedValue(bytes, "list", &read);
    c.check("the saved document reads back with its cases",
            read.ok() && back.isArray() && back.size() == d.cases().size(),
            where + ": " + read.message);
}

void checkTextControl(Checks& c, const std::string& name) {
    for (const std::string& text : kUnsaveableTexts) {
        Session s;
        test::outputOf([&] { s.ui.type(name, text); });
        const std::string where = name + " typed " + utf8::quoted(text);
        checkAfter(c, s, false, where);
        checkSavesAfter(c, *s.doc, where);
    }
}

void checkTextCell(Checks& c, const std::string& key) {
    for (const std::string& text : kUnsaveableTexts) {
        Session s;
        test::outputOf([&] { s.ui.editCell(0, key, PlistValue(text)); });
        checkSavesAfter(c, *s.doc, "case table " + key + " edited to " + utf8::quoted(text));
    }
}

// Clicks over the ternary view, with Fixed density or without: each gives the temperature at
// which ice melts last in the brine clicked, whose salinity solved back is the brine's, or
// keeps the panel as it was and says why; never a temperature below absolute zero.
void checkTernary(Checks& c, bool fixed) {
    Session s;
    if (fixed) s.fix();
    MyDocument& d = *s.doc;
    test::outputOf([&] { d.selectTabViewItemAtIndex(3); });
    const int n = c.budget().points(24, 8);
    for (int i = 0; i <= n; ++i)
        for (int k = 0; i + k <= n; ++k) {
            if (i + k == 0) continue;
            const double a = 100.0 * i / n, b = 100.0 * k / n;
            const std::string before = d.form().text("mIceT");
            test::outputOf([&] { s.ui.clickTernary(a, b); });
            const double sa = d.ternaryView().mSela(), sb = d.ternaryView().mSelb();
            const std::string status = d.form().text(MyDocument::kStatusLine);
            const std::string where = "click at " + num(sa) + " wt % NaCl, " + num(sb) +
                                      " wt % KCl: T " + d.form().text("mIceT") + ", salinity " +
                                      d.form().text("mIceSalinity") + " [" + status + "]";
            if (status.find("no ice-melting temperature") != std::string::npos) {
                c.check("a click outside the ice field keeps the panel",
                        d.form().text("mIceT") == before, where);
                continue;
            }
            const double T = d.form().value("mIceT");
            const bool shown = !d.form().text("mIceSalinity").empty();
            c.check("a click gives a salinity beside its temperature", shown, where);
            c.check("no temperature below absolute zero", T > -273.15, where);
            if (shown)
                c.check("the salinity shown is the brine clicked",
                        std::fabs(d.form().value("mIceSalinity") - (sa + sb)) <=
                            1e-6 * (sa + sb),
                        where);
        }
    checkAfter(c, s, fixed, "ternary clicks");
}

}  // namespace

void addWorkbenchConfigurations(std::vector<Configuration>& out) {
    std::vector<std::string> controls, menuActions;
    {
        const auto doc = HeadlessWorkbench::newDocument();
        for (const std::string& name : doc->form().names()) {
            const Control* c = doc->form().find(name);
            if (c && !c->action.empty()) controls.push_back(name);
        }
        for (const MenuItem& item : doc->documentMenu().items())
            if (item.hasAction() && !item.actionName().empty())
                menuActions.push_back(item.actionName());
    }
    for (bool fixed : {false, true}) {
        const std::string lock = fixed ? " fixed" : "";
        for (const std::string& name : controls)
            out.push_back({"workbench", "workbench control " + name + lock,
                           [name, fixed](Checks& c) { checkControl(c, name, fixed); }});
        for (const std::string& name : MyDocument::plotNames()) {
            out.push_back({"workbench", "workbench plot " + name + lock,
                           [name, fixed](Checks& c) { checkPlot(c, name, fixed); }});
            out.push_back({"workbench", "workbench zoom " + name + lock,
                           [name, fixed](Checks& c) { checkZoom(c, name, fixed); }});
        }
        for (const std::string& action : menuActions)
            out.push_back({"workbench", "workbench menu " + action + lock,
                           [action, fixed](Checks& c) { checkMenuItem(c, action, fixed); }});
    }
    for (bool fixed : {false, true})
        out.push_back({"workbench", std::string("workbench ternary clicks") + (fixed ? " fixed" : ""),
                       [fixed](Checks& c) { checkTernary(c, fixed); }});
    for (const std::string& name : controls)
        out.push_back({"workbench", "workbench text " + name,
                       [name](Checks& c) { checkTextControl(c, name); }});
    for (const std::string& key : MyDocument::caseKeys())
        out.push_back({"workbench", "workbench cell " + key,
                       [key](Checks& c) { checkTextCell(c, key); }});
}

}  // namespace vornex::sweep
