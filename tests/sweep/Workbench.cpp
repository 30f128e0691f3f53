// The workbench as a person drives it: every control of its form (typed, ticked or pressed)
// and clicks over every plot, each on a fresh document, with and without Fixed density; text
// no file holds typed into every control and edited into every cell of the case table; base
// curves redrawn (toggles, the model again, a refresh) with isochores drawn; clicks over the
// ternary view; the inclusion panel's measured Th and Tm, the phase shares and the isochore
// against the model called apart; documents with a damaged case or cut short; every plot
// written to every image format in its plain, logarithmic and zoomed states.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "Sweep.h"
#include "numerics/TextCapture.h"
#include "phasediagram/PalliserModel.h"
#include "platform/Event.h"
#include "platform/KeyedArchiver.h"
#include "platform/Utf8.h"
#include "plot/CAxisRangeWindow.h"
#include "plot/CGraphCurve.h"
#include "plot/CLogWindow.h"
#include "plot/CPlotView.h"
#include "plot/PanelServices.h"
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

// A redraw of the base curves (a curve toggle, the model chosen again, a refresh) with
// isochores drawn from one-phase states of several salinities and pressures, one of them
// thickened: done twice, every isochore is still drawn as it was, at its width, and Delete
// takes each.
void checkRedrawKeepsIsochores(Checks& c, const std::string& action) {
    struct Start {
        double X, P, T;
    };
    const Start starts[] = {{0, 500, 300}, {1, 1000, 400}, {10, 1500, 600}, {26, 2000, 700},
                            {40, 3000, 900}};
    Session s;
    CPlotView& iso = *s.doc->plotNamed("mIsochoreViewp");
    auto curves = [&] {
        std::vector<CGraphCurve*> found;
        for (const auto& o : iso.graphObjects())
            if (auto* curve = dynamic_cast<CGraphCurve*>(o.get());
                curve && o->name().empty() && curve->pointCount() > 10 &&
                curve->getPointAtIndex(0).y >= 500)
                found.push_back(curve);
        return found;
    };
    auto isochores = [&] {
        std::vector<std::pair<std::vector<CurvePoint>, float>> found;
        for (const CGraphCurve* curve : curves())
            found.emplace_back(curve->mPointsList(), curve->getToolSizeFactor());
        return found;
    };
    std::string drawnAt;
    test::outputOf([&] {
        for (const Start& st : starts) {
            s.ui.type("mHaliteXm", st.X);
            s.ui.type("mHalitePm", st.P);
            s.ui.type("mHaliteTm", st.T);
            s.ui.press("mIsochoreButton");
            drawnAt += " " + num(st.X) + " wt % " + num(st.P) + " bar " + num(st.T) + " C;";
        }
    });
    if (!c.check("isochores are drawn", curves().size() == std::size(starts), action + drawnAt))
        return;
    curves()[1]->setToolSizeFactor(3.0f);
    const auto drawn = isochores();
    for (const char* pass : {"once", "twice"}) {
        test::outputOf([&] { s.ui.perform(action); });
        const auto now = isochores();
        c.check("a redraw keeps the isochores drawn, at their widths", now == drawn,
                action + " " + pass + ": " + num(double(now.size())) + " of " +
                    num(double(drawn.size())) + " isochores");
    }
    for (std::size_t left = drawn.size(); left-- > 0;) {
        test::outputOf([&] { s.ui.press("mDeleteIsochoreButton"); });
        c.check("Delete takes the last isochore after a redraw", isochores().size() == left,
                action + ": " + num(double(isochores().size())) + " left for " + num(double(left)));
    }
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

// The measured Th and Tm of an inclusion whose halite dissolves first: the inclusion shown is
// a mixture, at Tm, of the three-phase liquid and vapour (the bubble's share of the volume),
// whose salinity and density those shares make up; its liquid reaches its bubble curve at Th
// with the inclusion's density, at the pressure shown; and the forward side of the panel,
// given that salinity and bubble, gives back Th and Tm. A blank result says why.
void checkInclusion(Checks& c, double Th) {
    Session s;
    MyDocument& d = *s.doc;
    const Form& f = d.form();
    PalliserModel model;
    const int n = c.budget().points(24, 4);
    for (int i = 0; i < n; ++i) {
        const double Tm = 5 + (Th - 10) * (i + 0.5) / n;
        test::outputOf([&] {
            s.ui.type("mThfi_edit", Th);
            s.ui.type("mTmfi_edit", Tm);
        });
        const std::string where = "Th " + num(Th) + " Tm " + num(Tm) + ": NaCl " +
                                  f.text("mNaClfi_edit") + " rho " + f.text("mRhofi_edit") +
                                  " bubble " + f.text("mBubblefi_edit") + " Ph " +
                                  f.text("mPhfi_edit") + " Pm " + f.text("mPmfi_edit");
        if (!f.find("mNaClfi_edit")->holdsNumber()) {
            c.check("a blank inclusion says why",
                    f.text(MyDocument::kStatusLine).find("No inclusion has this Th and Tm") !=
                        std::string::npos,
                    where);
            continue;
        }
        const double X = f.value("mNaClfi_edit"), rho = f.value("mRhofi_edit"),
                     phi = f.value("mBubblefi_edit") / 100;
        double P = 0, xL = 0, xV = 0, rhoL = 0, rhoV = 0, Pb = 0, xVb = 0, rhoLb = 0, rhoVb = 0;
        test::outputOf([&] {
            model.calculateSLVPoint(Tm, P, xL, xV, rhoL, rhoV);
            Pb = P;
            model.calculateBubblePoint(Th, X / 100, Pb, xVb, rhoLb, rhoVb);
        });
        const double rhoMix = phi * rhoV + (1 - phi) * rhoL;
        const double xMix = (phi * rhoV * xV + (1 - phi) * rhoL * xL) / rhoMix;
        c.check("the inclusion is the three-phase liquid and vapour at Tm",
                std::fabs(rhoMix / rho - 1) < 1e-4 && std::fabs(100 * xMix - X) <= 1e-4 * X &&
                    std::fabs(f.value("mPmfi_edit") / P - 1) < 1e-6,
                where + "; the mixture has " + num(100 * xMix) + " wt %, " + num(rhoMix) +
                    " kg/m3 at " + num(P) + " bar");
        c.check(
            "its liquid homogenises at Th",
            std::fabs(rhoLb / rho - 1) < 1e-4 && std::fabs(f.value("mPhfi_edit") / Pb - 1) < 1e-4,
            where + "; the bubble point at Th: " + num(Pb) + " bar, " + num(rhoLb) + " kg/m3");
        c.check("the forward side gives back Th and Tm",
                f.find("mTh_edit")->holdsNumber() && std::fabs(f.value("mTh_edit") - Th) < 0.05 &&
                    std::fabs(f.value("mTm_edit") - Tm) < 0.05,
                where + "; forward Th " + f.text("mTh_edit") + " Tm " + f.text("mTm_edit"));
    }
}

// The forward side of the inclusion panel, from its salinity and the volumes of its bubble at
// Tm and of its halite at Th3: the inclusion is the mixture of the three-phase liquid with the
// vapour at Tm (with the halite at Th3), of the salinity given; its liquid homogenises at Th,
// and the halite's dissolves at Tm3 on the liquidus of its salinity and density.
void checkInclusionForward(Checks& c, double X) {
    Session s;
    const Form& f = s.doc->form();
    PalliserModel model;
    const double rhoH = model.getHaliteDensity();
    static const double kHalite[] = {0.5, 2, 5, 10, 20, 30}, kBubble[] = {1, 5, 10, 30, 60};
    const int n = c.budget().points(6, 2);
    for (int i = 0; i < n; ++i)
        for (double bubble : kBubble) {
            const double halite = kHalite[i * 6 / n];
            test::outputOf([&] {
                s.ui.type("mInclusionNaCl", X);
                s.ui.type("mHaliteVolume", halite);
                s.ui.type("mVolumeTm_edit", bubble);
            });
            const std::string where = num(X) + " wt %, halite " + num(halite) + " %, bubble " +
                                      num(bubble) + " %: Tm " + f.text("mTm_edit") + " Th " +
                                      f.text("mTh_edit") + " Th3 " + f.text("mTh3_edit") + " Tm3 " +
                                      f.text("mTm3_edit");
            double P = 0, xL = 0, xV = 0, rhoL = 0, rhoV = 0;
            if (f.find("mTm_edit")->holdsNumber() && f.find("mTh_edit")->holdsNumber()) {
                const double rho = f.value("mInclusionRho"), phi = bubble / 100;
                double Pb = 0, xVb = 0, rhoLb = 0, rhoVb = 0;
                test::outputOf([&] {
                    model.calculateSLVPoint(f.value("mTm_edit"), P, xL, xV, rhoL, rhoV);
                    Pb = P;
                    model.calculateBubblePoint(f.value("mTh_edit"), X / 100, Pb, xVb, rhoLb, rhoVb);
                });
                const double rhoMix = phi * rhoV + (1 - phi) * rhoL;
                const double xMix = (phi * rhoV * xV + (1 - phi) * rhoL * xL) / rhoMix;
                c.check("the inclusion is its liquid and bubble at Tm",
                        std::fabs(rhoMix / rho - 1) < 1e-5 &&
                            std::fabs(100 * xMix - X) < 1e-4 * X &&
                            std::fabs(f.value("mPm_edit") / P - 1) < 1e-6,
                        where + "; the mixture: " + num(100 * xMix) + " wt %, " + num(rhoMix));
                c.check("its liquid homogenises at Th",
                        std::fabs(rhoLb / rho - 1) < 1e-4 &&
                            std::fabs(f.value("mPh_edit") / Pb - 1) < 1e-4,
                        where + "; the bubble point at Th: " + num(Pb) + " bar, " + num(rhoLb));
            }
            if (!f.find("mTm3_edit")->holdsNumber()) continue;
            const double Th3 = f.value("mTh3_edit"), rho3 = f.value("mInclusionRho3"),
                         phi = halite / 100;
            double T = 0, Pl = 0;
            test::outputOf([&] {
                model.calculateSLVPoint(Th3, P, xL, xV, rhoL, rhoV);
                model.calculateHaliteLiquidTemperatureFromRhoX(X / 100, rho3, T, Pl, Th3);
            });
            const double rhoMix = phi * rhoH + (1 - phi) * rhoL;
            const double xMix = (phi * rhoH + (1 - phi) * rhoL * xL) / rhoMix;
            c.check("the halite inclusion is its liquid and halite at Th3",
                    std::fabs(rhoMix / rho3 - 1) < 1e-6 && std::fabs(100 * xMix - X) < 1e-5 * X &&
                        std::fabs(f.value("mPh3_edit") / P - 1) < 1e-6 &&
                        std::fabs(f.value("mxl3_edit") - 100 * xL) <= 1e-6 * 100 * xL,
                    where + "; the mixture: " + num(100 * xMix) + " wt %, " + num(rhoMix));
            c.check("its halite dissolves on the liquidus of its salinity and density",
                    std::fabs(T - f.value("mTm3_edit")) < 1e-3 &&
                        std::fabs(Pl / f.value("mPm3_edit") - 1) < 1e-5,
                    where + "; the liquidus at " + num(T) + " C, " + num(Pl) + " bar");
        }
}

// The phase shares shown at a state: mass and volume shares add up to the whole, and the
// phases' salinities and densities shown make up the state's salinity and density.
void checkShares(Checks& c, double X) {
    Session s;
    MyDocument& d = *s.doc;
    const Form& f = d.form();
    auto v = [&](const char* n) { return f.value(n); };
    static const double kPressures[] = {1,   5,   20,  50,  100,  150, 200,
                                        250, 300, 400, 600, 1000, 2000};
    const int nT = c.budget().points(20, 4), nP = c.budget().points(13, 4);
    const int offset = c.budget().offset("shares " + num(X), 13);
    for (int i = 0; i < nT; ++i)
        for (int k = 0; k < nP; ++k) {
            const double T = 25 + 950.0 * i / std::max(1, nT - 1);
            const double P = kPressures[(offset + k * 13 / nP) % 13];
            test::outputOf([&] {
                s.ui.type("mHaliteXm", X);
                s.ui.type("mHaliteTm", T);
                s.ui.type("mHalitePm", P);
            });
            if (!f.find("mWtPercentH")->holdsNumber()) continue;
            const std::string phases = f.text("mPhaseAssoc");
            const double wH = v("mWtPercentH"), wL = v("mWtPercentL"), wG = v("mWtPercentG");
            const double rho = d.mRm;
            const std::string where = phases + " at " + num(T) + " C, " + num(P) + " bar, " +
                                      num(X) + " wt %, " + num(rho) + " kg/m3: mass shares " +
                                      num(wH) + " " + num(wL) + " " + num(wG);
            c.check("the mass and volume shares make the whole",
                    std::fabs(wH + wL + wG - 100) < 1e-6 &&
                        std::fabs(v("mHaliteVolumeFrac") + v("mLiquidVolumeFrac") +
                                  v("mGasVolumeFrac") - 100) < 1e-6,
                    where);
            if (phases == "liquid-gas" && f.find("mXliq")->holdsNumber() &&
                f.find("mXgas")->holdsNumber()) {
                const double rL = v("mRl_lv_edit"), rV = v("mRg_lv_edit");
                const double x = (wL * v("mXliq") + wG * v("mXgas")) / 100;
                const double r = 100 / (wL / rL + wG / rV);
                c.check("the phases make up the state's salt and density",
                        std::fabs(x - X) <= 1e-4 * X && std::fabs(r / rho - 1) < 1e-5 &&
                            std::fabs(v("mLiquidVolumeFrac") - wL * rho / rL) < 1e-3,
                        where + "; the phases make " + num(x) + " wt %, " + num(r) + " kg/m3");
            }
            if ((phases == "halite-liquid" || phases == "halite-gas") &&
                f.find("mRh_slv_edit")->holdsNumber())
                c.check("the halite's volume share is its mass share at its density",
                        std::fabs(v("mHaliteVolumeFrac") - wH * rho / v("mRh_slv_edit")) < 1e-3,
                        where);
        }
}

// The isochore of a one-phase state: every point but its last (where the fluid leaves the one
// phase, on a boundary) lies at the state's density in the model called apart.
void checkIsochore(Checks& c, double X) {
    Session s;
    MyDocument& d = *s.doc;
    PalliserModel model;
    static const double kTemperatures[] = {150, 300, 450, 600, 800, 950};
    static const double kPressures[] = {50, 200, 500, 1000, 2000, 4000};
    const int n = c.budget().points(6, 3);
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < n; ++k) {
            const double T = kTemperatures[i * 6 / n], P = kPressures[k * 6 / n];
            CPlotView* plot = d.plotNamed("mIsochoreViewp");
            std::size_t before = 0;
            test::outputOf([&] {
                s.ui.type("mHaliteXm", X);
                s.ui.type("mHaliteTm", T);
                s.ui.type("mHalitePm", P);
                before = plot->graphObjects().size();
                s.ui.press("mIsochoreButton");
            });
            if (plot->graphObjects().size() == before) continue;
            const auto* curve = dynamic_cast<const CGraphCurve*>(plot->graphObjects().back().get());
            if (!c.check("an isochore drawn is a curve", curve != nullptr, num(T))) continue;
            const double rho = d.mRm;
            double worst = 0;
            std::string at;
            test::outputOf([&] {
                for (int j = 0; j + 1 < curve->pointCount(); ++j) {
                    // The points are held in single precision, and the density of a fluid
                    // just below the critical pressure at its temperature rises steeply
                    // with the pressure: the state's density is looked for among those of
                    // the states within the rounding of the point.
                    const CurvePoint q = curve->getPointAtIndex(j);
                    double lo = HUGE_VAL, hi = -HUGE_VAL;
                    for (double dT : {-3e-7, 3e-7})
                        for (double dP : {-3e-7, 3e-7}) {
                            const double r = model.calculateFluidDensity(
                                q.x * (1 + dT), q.y * (1 + dP), X / 100, rho);
                            lo = std::min(lo, r);
                            hi = std::max(hi, r);
                        }
                    const double e = std::max({rho / hi - 1, 1 - rho / lo, 0.0});
                    if (!(e <= worst)) {
                        worst = e;
                        at = num(q.x) + " C, " + num(q.y) + " bar: " + num(lo) + " .. " + num(hi);
                    }
                }
                s.ui.press("mDeleteIsochoreButton");
            });
            c.check("the isochore keeps the state's density", worst < 1e-6,
                    "from " + num(T) + " C, " + num(P) + " bar, " + num(X) + " wt %, " + num(rho) +
                        " kg/m3: " + at);
        }
}

// A document whose first case holds, under `key`, a value no window writes (not finite, far
// beyond every range, text, or nothing): it opens, shows a state of the model or says why it
// has none, keeps its second case as written, and saves to a file that reads back the same.
void checkDamagedCase(Checks& c, const std::string& key) {
    Session made;
    test::outputOf([&] {
        made.ui.type("mHaliteTm", 350);
        made.ui.press("mAddButton");
        made.ui.type("mName", "second");
        made.ui.type("mHalitePm", 700);
    });
    const PlistValue second = made.doc->cases().at(1);
    const std::pair<const char*, PlistValue> kBad[] = {
        {"nan", PlistValue(NAN)},        {"inf", PlistValue(INFINITY)},
        {"-inf", PlistValue(-INFINITY)}, {"1e300", PlistValue(1e300)},
        {"-1e300", PlistValue(-1e300)},  {"text", PlistValue("abc")},
        {"true", PlistValue(true)},      {"missing", PlistValue()}};
    for (const auto& [what, bad] : kBad) {
        PlistValue list = made.doc->cases();
        PlistValue& first = (*list.mutableItems())[0];
        if (bad.isNull()) {
            std::vector<PlistValue::Entry> kept;
            for (const auto& e : first.entries())
                if (e.first != key) kept.push_back(e);
            first.setEntries(std::move(kept));
        } else {
            first.set(key, bad);
        }
        const std::string where = "case key " + key + " " + what;
        IoResult archived;
        const Bytes bytes = KeyedArchiver::archivedData(list, "list", &archived);
        if (!c.check("the damaged document is written", archived.ok(), where)) continue;
        Session s;
        IoResult read;
        test::outputOf([&] { read = s.doc->readFromData(bytes); });
        if (!c.check("a damaged case opens", read.ok(), where + ": " + read.message)) continue;
        checkAfter(c, s, false, where);
        c.check("the other case is kept as written",
                s.doc->caseCount() == 2 && s.doc->cases().at(1) == second, where);
        IoResult saved, back;
        const Bytes again = KeyedArchiver::archivedData(s.doc->cases(), "list", &saved);
        const PlistValue reread = KeyedUnarchiver::unarchivedValue(again, "list", &back);
        c.check("it saves and reads back the same",
                saved.ok() && back.ok() && reread == s.doc->cases(),
                where + ": " + saved.message + back.message);
    }
}

// A document file cut short anywhere is refused with its reason, and the document that read
// it keeps its cases.
void checkTruncatedDocument(Checks& c) {
    Session made;
    test::outputOf([&] {
        for (int i = 0; i < 3; ++i) {
            made.ui.press("mAddButton");
            made.ui.type("mName", "case \u00e9 <&> \"" + std::to_string(i) + "\"");
        }
    });
    const Bytes whole = KeyedArchiver::archivedData(made.doc->cases(), "list");
    Session s;
    const PlistValue before = s.doc->cases();
    const int n = c.budget().points(static_cast<int>(whole.size()), 40);
    for (int i = 0; i < n; ++i) {
        const std::size_t size = whole.size() * static_cast<std::size_t>(i) / n;
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        IoResult read;
        test::outputOf([&] { read = s.doc->readFromData(cut); });
        const std::string where = num(double(size)) + " of " + num(double(whole.size())) + " bytes";
        c.check("a document cut short is refused with its reason",
                !read.ok() && !read.message.empty(), where);
        c.check("a refused document keeps the cases", s.doc->cases() == before, where);
    }
}

bool wholeFile(const std::string& path, const std::string& ext, std::string& why) {
    std::ifstream in(path, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), {});
    if (b.empty()) return why = "empty", false;
    if (ext == "pdf") {
        if (b.rfind("%PDF-", 0) != 0 ||
            b.find("%%EOF", b.size() > 64 ? b.size() - 64 : 0) == std::string::npos)
            return why = "no PDF header or trailer", false;
    } else if (ext == "png") {
        if (b.rfind("\x89PNG\r\n\x1a\n", 0) != 0 ||
            b.find("IEND", b.size() > 16 ? b.size() - 16 : 0) == std::string::npos)
            return why = "no PNG signature or end chunk", false;
    } else {
        const auto end = b.find_last_not_of(" \r\n");
        if (b.find("<svg") == std::string::npos || end == std::string::npos ||
            b.compare(end - 5, 6, "</svg>") != 0)
            return why = "no whole SVG element", false;
        for (const char* bad : {"nan", "inf"})
            if (b.find(std::string("\"") + bad) != std::string::npos ||
                b.find(std::string(" ") + bad) != std::string::npos)
                return why = std::string("a coordinate ") + bad, false;
    }
    return true;
}

// A plot written to every image format, plain, with logarithmic axes and zoomed in and out
// far: each file is whole in its format; a file that cannot be written leaves nothing behind;
// its curves' Igor waves, and those of its copy, have names Igor loads.
void checkExport(Checks& c, const std::string& name) {
    Session s;
    CPlotView* plot = s.doc->plotNamed(name);
    if (!c.check("the plot exists", plot != nullptr, name)) return;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vornex-sweep-export-" + name);
    std::filesystem::create_directories(dir);
    for (int state = 0; state < 5; ++state) {
        float x0, x1, y0, y1;
        test::outputOf([&] {
            plot->onAxisRangesByDefault();
            if (plot->showLogX()) plot->onToggleShowLogX();
            if (plot->showLogY()) plot->onToggleShowLogY();
            plot->getXYRange(x0, x1, y0, y1);
            if (state == 1) plot->onToggleShowLogX();
            if (state == 2) {
                plot->onToggleShowLogX();
                plot->onToggleShowLogY();
            }
            const float mx = 0.5f * (x0 + x1), my = 0.5f * (y0 + y1);
            if (state == 3)
                plot->doChangeAxisRanges(mx, mx + 1e-6f * (x1 - x0), my, my + 1e-6f * (y1 - y0));
            if (state == 4)
                plot->doChangeAxisRanges(x0 - 10 * (x1 - x0), x1 + 10 * (x1 - x0),
                                         y0 - 10 * (y1 - y0), y1 + 10 * (y1 - y0));
        });
        for (const std::string ext : {"svg", "pdf", "png"}) {
            const std::string path = (dir / ("state" + std::to_string(state) + "." + ext)).string();
            IoResult r;
            test::outputOf([&] { r = s.ui.writePlot(name, path); });
            std::string why;
            c.check("a plot is written whole in its format", r.ok() && wholeFile(path, ext, why),
                    name + " state " + std::to_string(state) + " " + ext + ": " + r.message + why);
        }
    }
    // Every curve's Igor waves, in the plot and in a copy opened in a window of its own, have
    // names Igor loads: a letter, then letters, digits and '_'.
    const std::unique_ptr<CPlotView> copy = plot->copy();
    for (const CPlotView* view :
         {static_cast<const CPlotView*>(plot), static_cast<const CPlotView*>(copy.get())})
        for (const auto& object : view->graphObjects())
            if (const auto* curve = dynamic_cast<const CGraphCurve*>(object.get())) {
                const std::string wave = curve->igorWaveName();
                bool plain = !wave.empty() && std::isalpha(static_cast<unsigned char>(wave[0]));
                for (unsigned char ch : wave) plain = plain && (std::isalnum(ch) || ch == '_');
                c.check("an Igor wave has a name Igor loads", plain,
                        name + (view == plot ? "" : " (copy)") + ": " + wave);
            }
    const std::string nowhere = (dir / "no such folder" / "plot.svg").string();
    IoResult r;
    test::outputOf([&] { r = s.ui.writePlot(name, nowhere); });
    std::size_t left = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        left += e.path().filename().string().rfind("state", 0) != 0;
    c.check("a plot that cannot be written says why and leaves nothing",
            !r.ok() && !r.message.empty() && left == 0, name + ": " + r.message);
    std::filesystem::remove_all(dir);
}

// The log's report of every state of one salinity over the diagram's temperatures and
// pressures: no value the state did not compute (-1 bar, -100 wt %), nothing not finite, and
// a liquid + vapour pair with its liquid the saltier.
void checkLogReports(Checks& c, double X) {
    CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
    const bool wasVisible = log.isVisible();
    log.showWindow();
    Session s;
    const int nT = c.budget().points(18, 4), nP = c.budget().points(10, 3);
    for (int i = 0; i < nT; ++i)
        for (int k = 0; k < nP; ++k) {
            const double T = 0.01 + 999.99 * i / (nT - 1);
            const double P = std::pow(10.0, -4.0 + (std::log10(5000.0) + 4.0) * k / (nP - 1));
            log.clearText();
            test::outputOf([&] {
                s.ui.type("mHaliteXm", X);
                s.ui.type("mHaliteTm", T);
                s.ui.type("mHalitePm", P);
            });
            const std::string all = log.string();
            const std::size_t at = all.rfind("Case : ");
            if (!c.check("a report is written", at != std::string::npos,
                         "T " + num(T) + " P " + num(P)))
                continue;
            const std::string report = all.substr(at);
            const std::string where = stateText(*s.doc) + ":\n" + report;
            c.check("the report prints only computed values",
                    report.find(": -") == std::string::npos, where);
            c.check("the report prints only finite values",
                    report.find("nan") == std::string::npos &&
                        report.find("inf") == std::string::npos,
                    where);
            const PhaseDiagramInfo& st = s.doc->stateSnapshot();
            if (st.region == PhaseDiagramInfo::kLiquidVapour)
                c.check("the liquid is the saltier phase",
                        st.lgLiquidSalinity >= st.lgVapourSalinity, where);
        }
    log.clearText();
    if (!wasVisible) log.orderOut();
}

// The axis-range panel on screen over a plot shows the plot's ranges and its OK leaves the
// plot as it was; with `cancelReturns`, its Cancel after an edit returns to those ranges too
// (the plot became current anew). The panel is shown again afterwards.
void checkRangePanelShowsThePlot(Checks& c, CPlotView& plot, const std::string& what,
                                 bool cancelReturns) {
    CAxisRangeWindow& panel = CAxisRangeWindow::sharedAxisRangeWindowCtroller();
    std::array<float, 4> shown{};
    plot.getXYRange(shown[0], shown[1], shown[2], shown[3]);
    std::string fields;
    bool same = true;
    for (int i = 0; i < 4; ++i) {
        const std::string& text = panel.field(static_cast<CAxisRangeWindow::Field>(i)).text;
        fields += text + " ";
        same = same && text == CAxisRangeWindow::formatValue(shown[i]);
    }
    const std::string where = what + ": the plot shows " + num(shown[0]) + " " + num(shown[1]) +
                              ", " + num(shown[2]) + " " + num(shown[3]) + "; the panel " + fields;
    c.check("the range panel shows the plot's ranges", same, where);
    std::array<float, 4> after{};
    bool ok = false;
    test::outputOf([&] {
        ok = panel.onOKButton();
        plot.getXYRange(after[0], after[1], after[2], after[3]);
        plot.onShowAxisRangePanel();
    });
    c.check("the range panel's OK keeps the ranges shown", ok && after == shown,
            where + " [" + panel.message() + "]");
    if (!cancelReturns) return;
    std::array<float, 4> cancelled{};
    test::outputOf([&] {
        panel.setFieldText(CAxisRangeWindow::kXmin,
                           CAxisRangeWindow::formatValue(0.5f * (shown[0] + shown[1])));
        panel.onChangeCoordinates();
        panel.onCancelButton();
        plot.getXYRange(cancelled[0], cancelled[1], cancelled[2], cancelled[3]);
        plot.onShowAxisRangePanel();
    });
    c.check("the range panel's Cancel returns to the plot's ranges", cancelled == shown,
            where + "; after Cancel " + num(cancelled[0]) + " " + num(cancelled[1]) + ", " +
                num(cancelled[2]) + " " + num(cancelled[3]));
}

// The axis-range panel on screen over a plot whose ranges each case keeps, while cases with
// ranges of their own are selected in turn.
void checkRangePanelAcrossCases(Checks& c, const std::string& name) {
    PanelServices panels;
    PlotServices::setShared(&panels);
    CAxisRangeWindow& panel = CAxisRangeWindow::sharedAxisRangeWindowCtroller();
    Session s;
    CPlotView* plot = s.doc->plotNamed(name);
    if (c.check("the plot exists", plot != nullptr, name)) {
        float x0, x1, y0, y1;
        plot->getDefaultXYRange(x0, x1, y0, y1);
        test::outputOf([&] {
            plot->onShowAxisRangePanel();
            for (int i = 0; i < 3; ++i) {
                if (i > 0) s.ui.press("mAddButton");
                const float f = 0.1f * static_cast<float>(i + 1);
                plot->doChangeAxisRanges(x0 + f * (x1 - x0), x1 - f * (x1 - x0), y0 + f * (y1 - y0),
                                         y1 - f * (y1 - y0));
            }
        });
        for (int row : {0, 2, 1, 0}) {
            test::outputOf([&] { s.ui.selectRow(row); });
            checkRangePanelShowsThePlot(c, *plot, name + " case " + num(double(row)), true);
        }
        panel.forgetPlotView(plot);
    }
    panel.orderOut();
    PlotServices::setShared(nullptr);
}

// A menu item performed with the axis-range panel on screen over each plot, zoomed in: the
// panel shows the ranges the item leaves.
void checkRangePanelAfterMenuItem(Checks& c, const std::string& action) {
    PanelServices panels;
    PlotServices::setShared(&panels);
    CAxisRangeWindow& panel = CAxisRangeWindow::sharedAxisRangeWindowCtroller();
    for (const std::string& name : MyDocument::plotNames()) {
        Session s;
        CPlotView* plot = s.doc->plotNamed(name);
        if (!c.check("the plot exists", plot != nullptr, name)) continue;
        float x0, x1, y0, y1;
        plot->getXYRange(x0, x1, y0, y1);
        test::outputOf([&] {
            plot->onShowAxisRangePanel();
            plot->doChangeAxisRanges(x0 + 0.2f * (x1 - x0), x1 - 0.2f * (x1 - x0),
                                     y0 + 0.2f * (y1 - y0), y1 - 0.2f * (y1 - y0));
            s.ui.perform(action);
        });
        if (panel.isVisible() && panel.currentPlotView() == plot)
            checkRangePanelShowsThePlot(c, *plot, name + " after " + action, false);
        panel.forgetPlotView(plot);
    }
    panel.orderOut();
    PlotServices::setShared(nullptr);
}

}  // namespace

void addWorkbenchConfigurations(std::vector<Configuration>& out) {
    std::vector<std::string> controls, menuActions, caseBoundNames;
    {
        const auto doc = HeadlessWorkbench::newDocument();
        // The plots whose ranges each case keeps.
        const auto bound = doc->caseBoundPlots();
        for (const std::string& name : MyDocument::plotNames())
            if (std::find(bound.begin(), bound.end(), doc->plotNamed(name)) != bound.end())
                caseBoundNames.push_back(name);
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
    for (const std::string& action : menuActions)
        if (action.find("Toggle") != std::string::npos)
            out.push_back({"workbench", "workbench toggle with isochores " + action,
                           [action](Checks& c) { checkRedrawKeepsIsochores(c, action); }});
    const std::pair<const char*, std::string> redraws[] = {
        {"model again", "onSelectPalliserModel:"}, {"refresh", "onRefreshViews:"}};
    for (const auto& redraw : redraws)
        out.push_back({"workbench", std::string("workbench ") + redraw.first + " with isochores",
                       [action = redraw.second](Checks& c) {
                           checkRedrawKeepsIsochores(c, action);
                       }});
    for (bool fixed : {false, true})
        out.push_back({"workbench", std::string("workbench ternary clicks") + (fixed ? " fixed" : ""),
                       [fixed](Checks& c) { checkTernary(c, fixed); }});
    for (const std::string& name : controls)
        out.push_back({"workbench", "workbench text " + name,
                       [name](Checks& c) { checkTextControl(c, name); }});
    for (const std::string& key : MyDocument::caseKeys())
        out.push_back({"workbench", "workbench cell " + key,
                       [key](Checks& c) { checkTextCell(c, key); }});
    for (double Th : {100.0, 200.0, 300.0, 400.0, 500.0, 600.0, 700.0})
        out.push_back({"workbench", "workbench inclusion Th " + num(Th),
                       [Th](Checks& c) { checkInclusion(c, Th); }});
    for (double X : {1.0, 5.0, 10.0, 20.0, 27.0, 30.0, 35.0, 40.0, 50.0, 60.0, 70.0})
        out.push_back({"workbench", "workbench inclusion forward X " + num(X),
                       [X](Checks& c) { checkInclusionForward(c, X); }});
    for (double X : {0.5, 5.0, 20.0, 26.0, 30.0, 40.0, 60.0, 80.0}) {
        out.push_back(
            {"workbench", "workbench shares X " + num(X), [X](Checks& c) { checkShares(c, X); }});
        out.push_back({"workbench", "workbench isochore X " + num(X),
                       [X](Checks& c) { checkIsochore(c, X); }});
    }
    for (const std::string& key : MyDocument::caseKeys())
        out.push_back({"workbench", "workbench document damaged " + key,
                       [key](Checks& c) { checkDamagedCase(c, key); }});
    out.push_back({"workbench", "workbench document truncated", checkTruncatedDocument});
    for (const std::string& name : MyDocument::plotNames())
        out.push_back(
            {"workbench", "workbench export " + name, [name](Checks& c) { checkExport(c, name); }});
    for (const std::string& name : caseBoundNames)
        out.push_back({"workbench", "workbench range panel across cases " + name,
                       [name](Checks& c) { checkRangePanelAcrossCases(c, name); }});
    for (const std::string& action : menuActions)
        out.push_back({"workbench", "workbench range panel after menu " + action,
                       [action](Checks& c) { checkRangePanelAfterMenuItem(c, action); }});
    for (double X : {0.0, 1.0, 10.0, 26.0, 40.0, 100.0})
        out.push_back({"workbench", "workbench log X " + num(X),
                       [X](Checks& c) { checkLogReports(c, X); }});
}

}  // namespace vornex::sweep
