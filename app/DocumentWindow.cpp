#include "DocumentWindow.h"

#include <glibmm/convert.h>
#include <glibmm/main.h>
#include <gtkmm/box.h>
#include <gtkmm/eventcontrollerscroll.h>
#include <gtkmm/filechoosernative.h>
#include <gtkmm/filefilter.h>
#include <gtkmm/label.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/paned.h>
#include <gtkmm/recentmanager.h>
#include <gtkmm/scrolledwindow.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "GtkPlotServices.h"
#include "PanelWindows.h"
#include "ShellSupport.h"
#include "WyvraApplication.h"

namespace vornex::shell {

namespace {

using Rows = std::vector<std::array<const char*, 4>>;

// The window's layout: label, stepper (or field), second stepper, field the stepper stands
// for. A stepper and its field always show the same value, so one widget serves both.
const Rows kStateRows = {
    {"T (\u00b0C)", "mStepHaliteTm", nullptr, "mHaliteTm"},
    {"P (bar)", "mStepHalitePm", nullptr, "mHalitePm"},
    {"NaCl (wt %), fine", "mStepHaliteXm", "mStepHaliteXm1", "mHaliteXm"},
    {"Density (kg/m3)", "mStepRm", nullptr, "mRm_edit"},
    {"V (l/kg)", "mVolumeEdit", nullptr, nullptr},
    {"Phases", "mPhaseAssoc", nullptr, nullptr},
};
const Rows kInitialRows = {
    {"T0 (\u00b0C)", "mStepT0", nullptr, "mT0"},
    {"P0 (bar)", "mStepP0", nullptr, "mP0"},
    {"NaCl0 (wt %), fine", "mStepX0", "mStepX01", "mX0"},
};
struct BoxLayout {
    const char* box;
    const char* title;
    Rows rows;
};
const std::vector<BoxLayout> kResultBoxes = {
    {"mBoxSat", nullptr,
     {{"P sat (bar)", "mPsat", nullptr, nullptr},
      {"rho liquid (kg/m3)", "mSatLiqDensity", nullptr, nullptr},
      {"rho vapour (kg/m3)", "mSatGasDensity", nullptr, nullptr}}},
    {"mBoxLiqGas", nullptr,
     {{"NaCl liquid (wt %)", "mXliq", nullptr, nullptr},
      {"NaCl vapour (wt %)", "mXgas", nullptr, nullptr},
      {"rho liquid (kg/m3)", "mRl_lv_edit", nullptr, nullptr},
      {"rho vapour (kg/m3)", "mRg_lv_edit", nullptr, nullptr},
      {"P crit (bar)", "mPcrit", nullptr, nullptr},
      {"NaCl crit (wt %)", "mXcrit", nullptr, nullptr},
      {"rho crit (kg/m3)", "mRhoc_edit", nullptr, nullptr}}},
    {"mBoxLiqGasHal", nullptr,
     {{"P (bar)", "mP_SLV", nullptr, nullptr},
      {"NaCl liquid (wt %)", "mWtL_SLV", nullptr, nullptr},
      {"NaCl vapour (wt %)", "mWtV_SLV", nullptr, nullptr},
      {"rho liquid (kg/m3)", "mRl_slv_edit", nullptr, nullptr},
      {"rho vapour (kg/m3)", "mRg_slv_edit", nullptr, nullptr},
      {"rho halite (kg/m3)", "mRh_slv_edit", nullptr, nullptr}}},
    {nullptr, "Phase proportions",
     {{"Halite (wt %)", "mWtPercentH", nullptr, nullptr},
      {"Liquid (wt %)", "mWtPercentL", nullptr, nullptr},
      {"Vapour (wt %)", "mWtPercentG", nullptr, nullptr},
      {"Halite (vol %)", "mHaliteVolumeFrac", nullptr, nullptr},
      {"Liquid (vol %)", "mLiquidVolumeFrac", nullptr, nullptr},
      {"Vapour (vol %)", "mGasVolumeFrac", nullptr, nullptr}}},
};
const Rows kInclusionRows = {
    {"NaCl (wt %)", "mStepInclusionNaCl", nullptr, "mInclusionNaCl"},
    {"Bubble at Tm (vol %)", "mStepTmVol", nullptr, "mVolumeTm_edit"},
    {"Halite at 20 \u00b0C (vol %)", "mStepHaliteVol", nullptr, "mHaliteVolume"},
    {"Tm0 = Th0 (\u00b0C)", "mTm0_edit", "mTh0_edit", nullptr},
    {"rho0 (kg/m3), P0 (bar)", "mInclusionRho0", "mPh0_edit", nullptr},
    {"Tm (\u00b0C), P at Tm (bar)", "mTm_edit", "mPm_edit", nullptr},
    {"rho (kg/m3)", "mInclusionRho", nullptr, nullptr},
    {"Th (\u00b0C), P at Th (bar)", "mTh_edit", "mPh_edit", nullptr},
    {"Tm3 (\u00b0C), P at Tm3 (bar)", "mTm3_edit", "mPm3_edit", nullptr},
    {"rho3 (kg/m3)", "mInclusionRho3", nullptr, nullptr},
    {"Th3 (\u00b0C), P at Th3 (bar)", "mTh3_edit", "mPh3_edit", nullptr},
    {"NaCl liquid at Th3 (wt %)", "mxl3_edit", nullptr, nullptr},
    {"Measured Th (\u00b0C)", "mStepThfi", nullptr, "mThfi_edit"},
    {"Measured Tm (\u00b0C)", "mStepTmfi", nullptr, "mTmfi_edit"},
    {"NaCl (wt %), rho (kg/m3)", "mNaClfi_edit", "mRhofi_edit", nullptr},
    {"Bubble at Tm (vol %)", "mBubblefi_edit", nullptr, nullptr},
    {"P at Th, P at Tm (bar)", "mPhfi_edit", "mPmfi_edit", nullptr},
};
const Rows kIceRows = {
    {"Ice melting T (\u00b0C)", "mIceStepT", nullptr, "mIceT"},
    {"NaCl/(NaCl+KCl) (%)", "mIceStepRatio", nullptr, "mIceRatio"},
    {"Salinity (wt %)", "mIceSalinity", nullptr, nullptr},
    {"NaCl (wt %)", "mIceNaCl", nullptr, nullptr},
    {"KCl (wt %)", "mIceKCl", nullptr, nullptr},
    {"", "mIceAssignButton", nullptr, nullptr},
};

// The boiling panel's fields in words with their units; zone 1 is the upper layer above its
// boiling depth, zone 2 its boiling part, zone 3 the middle layer, zone 4 the deep layer.
const std::map<std::string, const char*> kBoilingLabels = {
    {"mBoilH0", "Depth of the fluid top (m)"},
    {"mBoilT0", "Surface temperature (\u00b0C)"},
    {"mBoilP0", "Pressure at the fluid top (bar)"},
    {"mBoilH10", "Upper layer thickness (m)"},
    {"mBoildTdz1", "Upper layer gradient (\u00b0C/m)"},
    {"mBoilNaCl2", "Upper brine salinity (wt %)"},
    {"mBoilGas2", "Upper layer gas volume (%)"},
    {"mBoilH3", "Middle layer thickness (m)"},
    {"mBoildTdz3", "Lower layers gradient (\u00b0C/m)"},
    {"mBoilRho3", "Rock density (kg/m3)"},
    {"mBoilH4", "Deep layer thickness (m)"},
    {"mBoilNaCl4", "Deep brine salinity (wt %)"},
    {"mBoilH1", "Not boiling, thickness (m)"},
    {"mBoilH2", "Boiling, thickness (m)"},
    {"mBoilzTop1", "Not boiling, top (m)"},
    {"mBoilzBot1", "Not boiling, bottom (m)"},
    {"mBoilzTop2", "Boiling, top (m)"},
    {"mBoilzBot2", "Boiling, bottom (m)"},
    {"mBoilzTop3", "Middle layer, top (m)"},
    {"mBoilzBot3", "Middle layer, bottom (m)"},
    {"mBoilzTop4", "Deep layer, top (m)"},
    {"mBoilzBot4", "Deep layer, bottom (m)"},
    {"mBoilTtop2", "Boiling, top temperature (\u00b0C)"},
    {"mBoilPtop2", "Boiling, top pressure (bar)"},
    {"mBoilTbot2", "Upper layer, bottom temperature (\u00b0C)"},
    {"mBoilPbot2", "Upper layer, bottom pressure (bar)"},
    {"mBoilTbot3", "Middle layer, bottom temperature (\u00b0C)"},
    {"mBoilPbot3", "Middle layer, bottom pressure (bar)"},
    {"mBoilTtop4", "Deep layer, top temperature (\u00b0C)"},
    {"mBoilPtop4", "Deep layer, top pressure (bar)"},
    {"mBoilTbot4", "Deep layer, bottom temperature (\u00b0C)"},
    {"mBoilPbot4", "Deep layer, bottom pressure (bar)"},
};

bool isStepperName(const std::string& name) {
    return name.find("Step") != std::string::npos;
}

// Switches of the form, shown as check boxes with these labels.
const std::map<std::string, const char*> kCheckBoxes = {
    {"mFixDensity", "Fixed density"},
    {"mBoilUseSimple", "Simple boiling model"},
    {"mBoilShow1", "Show boiling curve 1"},
    {"mBoilShow2", "Show boiling curve 2"},
};

Gtk::Grid* makeGrid() {
    auto* grid = Gtk::make_managed<Gtk::Grid>();
    grid->set_row_spacing(3);
    grid->set_column_spacing(6);
    grid->set_margin(6);
    return grid;
}

Gtk::Widget* scrolled(Gtk::Widget& child) {
    auto* s = Gtk::make_managed<Gtk::ScrolledWindow>();
    s->set_child(child);
    // As wide as its content where the window has room, scrolling sideways where it has not:
    // a panel beside the plots never pushes them out of a small window.
    s->set_policy(Gtk::PolicyType::AUTOMATIC, Gtk::PolicyType::AUTOMATIC);
    s->set_propagate_natural_width(true);
    s->set_vexpand(true);
    return s;
}

// A tab's content in a scroller of its own: on a small screen every control and every plot of
// the tab is reached by scrolling, where the tab would otherwise cut them off. Where the window
// has room the content fills it, as without the scroller.
Gtk::Widget* tabPage(Gtk::Widget* content) {
    auto* s = Gtk::make_managed<Gtk::ScrolledWindow>();
    s->set_child(*content);
    s->set_policy(Gtk::PolicyType::AUTOMATIC, Gtk::PolicyType::AUTOMATIC);
    s->set_expand(true);
    return s;
}

}  // namespace

DocumentWindow::DocumentWindow(WyvraApplication& application, std::unique_ptr<MyDocument> document,
                               int untitledNumber)
    : mApplication(application),
      mDocument(std::move(document)),
      mUntitledNumber(untitledNumber),
      mForm(*mDocument, [this](const std::function<void()>& a) { run(a); }),
      mTable(*mDocument, [this](const std::function<void()>& a) { run(a); }),
      mMenuBridge("doc", [this](const std::function<void()>& a) { run(a); }) {
    set_default_size(1360, 900);
    set_show_menubar(true);
    if (mDocument->form().find("mExpPanel")) {
        mExperimental = std::make_unique<ExperimentalPanel>(
            *mDocument, [this](const std::function<void()>& a) { run(a); });
        mExperimental->set_transient_for(*this);
        // The application's shortcuts work while the panel has focus.
        application.add_window(*mExperimental);
    }
    auto* paned = Gtk::make_managed<Gtk::Paned>(Gtk::Orientation::HORIZONTAL);
    paned->set_start_child(*buildLeftColumn());
    paned->set_end_child(*buildTabs());
    paned->set_resize_start_child(false);
    paned->set_shrink_start_child(false);
    set_child(*paned);
    buildActions();
    mActiveChanged = property_is_active().signal_changed().connect([this] {
        if (is_active()) refresh();
    });
    signal_close_request().connect(
        [this] {
            if (mClosing || !mDocument->isDocumentEdited()) return false;
            confirmClose([this](bool close) {
                if (close) closeConfirmed();
            });
            return true;
        },
        false);
    refresh();
}

DocumentWindow::~DocumentWindow() {
    // Widgets that go emit signals on the way (the notebook switches pages as it loses them):
    // nothing may act on the form, whose widgets unset_child frees.
    mTornDown = true;
    mSwitchPage.disconnect();
    mActiveChanged.disconnect();
    mCloseQuestion.reset();
    if (mSaveChooser) mSaveChooser->hide();
    mSaveChooser.reset();
    // The document goes before GTK lets go of the last widgets: they let go of it first.
    for (auto& [name, area] : mPlots) area->detach();
    if (mTernary) mTernary->detach();
    mExperimental.reset();
    // The tabs go while the window is whole, the one shown last: a notebook that loses the tab
    // it shows switches to another and hands it the keyboard, asking the window which widget
    // holds it; taken apart by GTK with the window, it would ask a window that is no more (a
    // GTK critical).
    while (mTabs.get_n_pages() > 1)
        mTabs.remove_page(mTabs.get_current_page() == mTabs.get_n_pages() - 1 ? 0 : -1);
    if (mTabs.get_n_pages() == 1) mTabs.remove_page(0);
    unset_child();
    // The plot areas went with their tabs: none may be asked whether it shows.
    mPlots.clear();
}

// ----- Layout -------------------------------------------------------------------------------

Gtk::Widget* DocumentWindow::fieldFor(const std::string& name) {
    if (isStepperName(name)) return mForm.stepper(name);
    if (auto box = kCheckBoxes.find(name); box != kCheckBoxes.end())
        return mForm.check(name, box->second);
    if (name.find("Button") != std::string::npos) {
        const Control* c = mDocument->form().find(name);
        return mForm.button(name, c && !c->title.empty() ? c->title : name.substr(1));
    }
    Gtk::Entry* e = mForm.entry(name);
    return e;
}

void DocumentWindow::addRows(Gtk::Grid& grid, int& row, const Rows& rows) {
    for (const auto& r : rows) {
        Gtk::Widget* first = r[1] ? fieldFor(r[1]) : nullptr;
        // A layout naming a stepper the form lacks shows the field instead.
        if (!first && r[3]) first = fieldFor(r[3]);
        if (!first) continue;
        auto* label = Gtk::make_managed<Gtk::Label>(kCheckBoxes.count(r[1]) ? "" : r[0]);
        label->set_xalign(1);
        // Long labels wrap rather than push the fields out of the window.
        label->set_wrap(true);
        label->set_max_width_chars(22);
        label->set_justify(Gtk::Justification::RIGHT);
        grid.attach(*label, 0, row);
        grid.attach(*first, 1, row);
        if (r[2])
            if (Gtk::Widget* second = fieldFor(r[2])) grid.attach(*second, 2, row);
        ++row;
    }
}

Gtk::Widget* DocumentWindow::buildLeftColumn() {
    auto* column = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
    column->set_margin(6);
    column->set_size_request(420, -1);

    auto* tableScroll = Gtk::make_managed<Gtk::ScrolledWindow>();
    tableScroll->set_child(mTable);
    tableScroll->set_min_content_height(130);
    column->append(*tableScroll);
    auto* caseButtons = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 6);
    for (auto [name, label] : {std::pair{"mAddButton", "Add"}, std::pair{"mDuplicateButton", "Duplicate"},
                               std::pair{"mDeleteButton", "Delete"}})
        if (auto* b = mForm.button(name, label)) caseButtons->append(*b);
    column->append(*caseButtons);
    // Why the last value typed was refused, or why the state shows no results: above the
    // scrolled form, so that it shows at every window size.
    if (Gtk::Label* status = mForm.label(MyDocument::kStatusLine)) {
        status->add_css_class("error");
        column->append(*status);
    }

    auto* form = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
    auto* caseGrid = makeGrid();
    int row = 0;
    addRows(*caseGrid, row, {{"Name", "mName", nullptr, nullptr}, {"Comment", "mComment", nullptr, nullptr}});
    form->append(*caseGrid);

    auto* state = Gtk::make_managed<Gtk::Frame>("Current state");
    auto* stateGrid = makeGrid();
    row = 0;
    addRows(*stateGrid, row, kStateRows);
    if (Gtk::Widget* fix = fieldFor("mFixDensity")) stateGrid->attach(*fix, 2, 3);
    state->set_child(*stateGrid);
    form->append(*state);

    auto* initial = Gtk::make_managed<Gtk::Frame>("Initial conditions");
    auto* initialGrid = makeGrid();
    row = 0;
    addRows(*initialGrid, row, kInitialRows);
    auto* initialButtons = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 6);
    for (auto [name, label] :
         {std::pair{"mSetInitialButton", "Set"}, std::pair{"mResetButton", "Reset"},
          std::pair{"mGetLiquidButton", "Liquid"}, std::pair{"mGetVapourButton", "Vapour"}})
        if (auto* b = mForm.button(name, label)) initialButtons->append(*b);
    initialGrid->attach(*initialButtons, 0, row, 3);
    initial->set_child(*initialGrid);
    form->append(*initial);

    for (const BoxLayout& layout : kResultBoxes) {
        Gtk::Frame* frame = layout.box ? mForm.box(layout.box) : Gtk::make_managed<Gtk::Frame>(layout.title);
        if (!frame) frame = Gtk::make_managed<Gtk::Frame>(layout.box);
        auto* grid = makeGrid();
        row = 0;
        addRows(*grid, row, layout.rows);
        frame->set_child(*grid);
        form->append(*frame);
    }
    column->append(*scrolled(*form));
    return column;
}

Gtk::Widget* DocumentWindow::plotHost(const std::string& plotName) {
    CPlotView* plot = mDocument->plotNamed(plotName);
    if (!plot) return Gtk::make_managed<Gtk::Label>(plotName);
    CDrawPlotView* host = mDocument->hostNamed(plotName.substr(0, plotName.size() - 1));
    // A plot the user acts on becomes the window's current plot, the one Print Plot prints.
    auto* area = Gtk::make_managed<PlotArea>(*host, [this, plotName] {
        mCurrentPlot = plotName;
        run([] {});
    });
    mPlots[plotName] = area;
    mPlotOrder.push_back(plotName);
    return area;
}

Gtk::Widget* DocumentWindow::buildTabs() {
    auto grid2 = [this](std::initializer_list<const char*> names) {
        auto* grid = Gtk::make_managed<Gtk::Grid>();
        grid->set_row_homogeneous(true);
        grid->set_column_homogeneous(true);
        grid->set_row_spacing(6);
        grid->set_column_spacing(6);
        int i = 0;
        for (const char* n : names) {
            grid->attach(*plotHost(n), i % 2, i / 2);
            ++i;
        }
        return grid;
    };
    auto withPanel = [this](Gtk::Widget* plots, Gtk::Widget* panel) {
        auto* box = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 6);
        plots->set_hexpand(true);
        box->append(*plots);
        if (panel) {
            // The panel keeps the width its fields need (the tab's page scrolls sideways
            // where the window is narrower) and scrolls down on its own.
            auto* panelScroller = static_cast<Gtk::ScrolledWindow*>(scrolled(*panel));
            panelScroller->set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::AUTOMATIC);
            // Its natural width is also its least: a narrow window would otherwise squeeze the
            // fields to stubs rather than let the page scroll.
            panel->signal_map().connect([panel] {
                int least = 0, natural = 0, b0 = 0, b1 = 0;
                panel->set_size_request(-1, -1);
                panel->measure(Gtk::Orientation::HORIZONTAL, -1, least, natural, b0, b1);
                panel->set_size_request(natural, -1);
            });
            // The panel does not scroll sideways: a sideways wheel over it scrolls the page.
            auto wheel = Gtk::EventControllerScroll::create();
            wheel->set_flags(Gtk::EventControllerScroll::Flags::HORIZONTAL);
            wheel->set_propagation_phase(Gtk::PropagationPhase::CAPTURE);
            wheel->signal_scroll().connect(
                [box](double dx, double) {
                    auto* page = dynamic_cast<Gtk::ScrolledWindow*>(
                        box->get_ancestor(GTK_TYPE_SCROLLED_WINDOW));
                    if (!page || dx == 0) return false;
                    auto adjustment = page->get_hadjustment();
                    const double step = std::pow(adjustment->get_page_size(), 2.0 / 3.0);
                    const double end = adjustment->get_upper() - adjustment->get_page_size();
                    adjustment->set_value(std::clamp(adjustment->get_value() + dx * step,
                                                     adjustment->get_lower(),
                                                     std::max(end, adjustment->get_lower())));
                    return true;
                },
                false);
            panelScroller->add_controller(wheel);
            box->append(*panelScroller);
        }
        return box;
    };
    auto rowsPanel = [this](const Rows& rows) {
        auto* grid = makeGrid();
        int row = 0;
        addRows(*grid, row, rows);
        return grid;
    };

    mTabs.append_page(*tabPage(grid2({"mPTViewp", "mTxViewp", "mPxViewp"})), "P-T-X");
    mTabs.append_page(*tabPage(grid2({"mRhoTViewp", "mRhoXViewp", "mRhoPViewp", "mVxViewp"})), "Density");
    mTabs.append_page(*tabPage(withPanel(plotHost("mRhoTxViewp"), rowsPanel(kInclusionRows))), "Halite");

    auto* icePlots = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
    icePlots->append(*plotHost("mIceViewp"));
    mTernary = Gtk::make_managed<TernaryArea>(mDocument->ternaryView(), [this] { run([] {}); });
    icePlots->append(*mTernary);
    mTabs.append_page(*tabPage(withPanel(icePlots, rowsPanel(kIceRows))), "Ice");

    auto* isochorePanel = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
    isochorePanel->set_margin(6);
    for (auto [name, label] : {std::pair{"mIsochoreButton", "Isochore"},
                               std::pair{"mDeleteIsochoreButton", "Delete isochore"}})
        if (auto* b = mForm.button(name, label)) isochorePanel->append(*b);
    mTabs.append_page(*tabPage(withPanel(plotHost("mIsochoreViewp"), isochorePanel)), "Isochore");

    // The boiling panel: every control of the form named mBoil..., a stepper beside its
    // field (mBoilStepH0 beside mBoilH0).
    std::vector<std::string> fields, steppers;
    for (const std::string& n : mDocument->form().names())
        if (n.rfind("mBoil", 0) == 0 && !isStepperName(n)) fields.push_back(n);
    for (const std::string& n : fields) {
        const std::string stepperName = "mBoilStep" + n.substr(5);
        steppers.push_back(mDocument->form().find(stepperName) ? stepperName : "");
    }
    Rows boilingRows;  // points into the two lists, which outlive it
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const bool paired = !steppers[i].empty();
        auto words = kBoilingLabels.find(fields[i]);
        boilingRows.push_back({words != kBoilingLabels.end() ? words->second : fields[i].c_str() + 5,
                               paired ? steppers[i].c_str() : fields[i].c_str(), nullptr,
                               paired ? fields[i].c_str() : nullptr});
    }
    // The two plots one above the other, as on the ice tab: side by side they left the
    // panel's fields beyond the right edge of a window 1280 pixels wide.
    auto* boilingPlots = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
    boilingPlots->set_homogeneous(true);
    boilingPlots->append(*plotHost("mBoilingViewp"));
    boilingPlots->append(*plotHost("mDepthViewp"));
    auto* boilingPanel = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
    boilingPanel->append(*rowsPanel(boilingRows));
    mTabs.append_page(*tabPage(withPanel(boilingPlots, boilingPanel)), "Boiling");

    mSwitchPage = mTabs.signal_switch_page().connect([this](Gtk::Widget*, guint page) {
        if (mMirroring || mTornDown) return;
        run([this, page] { mDocument->selectTabViewItemAtIndex(static_cast<int>(page)); });
    });
    return &mTabs;
}

CPlotView* DocumentWindow::currentPlot() {
    if (mTornDown) return nullptr;
    // The plot last acted on while its tab shows, else the first plot of the tab shown: never
    // a plot of another window, whichever the user touched last.
    Gtk::Widget* page = mTabs.get_nth_page(mTabs.get_current_page());
    auto shown = [page](PlotArea* area) { return area && page && area->is_ancestor(*page); };
    if (PlotArea* area = plotArea(mCurrentPlot); shown(area)) return &area->plot();
    for (const std::string& name : mPlotOrder)
        if (PlotArea* area = plotArea(name); shown(area)) return &area->plot();
    return mDocument->mPTViewp;
}

PlotArea* DocumentWindow::plotArea(const std::string& plotName) {
    auto it = mPlots.find(plotName);
    return it == mPlots.end() ? nullptr : it->second;
}

// ----- Actions ------------------------------------------------------------------------------

void DocumentWindow::buildActions() {
    add_action("save", [this] { save(); });
    add_action("save-as", [this] { saveAs(); });
    add_action("close", [this] { requestClose(); });
    add_action("undo", [this] { run([this] { mDocument->undoManager().undo(); }); });
    add_action("redo", [this] { run([this] { mDocument->undoManager().redo(); }); });
    add_action("print-plot", [this] {
        if (CPlotView* plot = currentPlot()) mApplication.printPlot(*plot, *this);
    });
    mDocActions = Gio::SimpleActionGroup::create();
    insert_action_group("doc", mDocActions);
    mMenuBridge.build(mDocument->documentMenu(), mDocActions,
                      [](const MenuItem& item, std::size_t) { return gioActionName(item.actionName()); });
    // Show Log asked for by the user brings the log forward where it shows already (a log
    // still hidden shows beside the document, without its keyboard), as a recalculation does not.
    if (auto showLog = mDocActions->lookup_action(gioActionName("onShowLog:")))
        if (auto action = std::dynamic_pointer_cast<Gio::SimpleAction>(showLog))
            action->signal_activate().connect(
                [](const Glib::VariantBase&) {
                    LogWindow& log = GtkPlotServices::instance().logWindow();
                    if (log.get_visible()) log.present();
                },
                false);
}

void DocumentWindow::run(const std::function<void()>& action) {
    if (mTornDown) return;
    action();
    refresh();
}

void DocumentWindow::refresh() {
    if (mTornDown) return;
    mMirroring = true;
    mForm.refresh();
    mTable.refresh();
    // Keypad Enter opened the selected case's first cell, its name: it is edited in the name
    // field.
    if (mDocument->listView().editedCell().row >= 0) {
        mDocument->listView().endEditing();
        if (auto* name = dynamic_cast<Gtk::Entry*>(mForm.widget("mName"))) {
            name->grab_focus();
            name->select_region(0, -1);
        }
    }
    if (mTabs.get_current_page() != mDocument->tabView().selected)
        mTabs.set_current_page(mDocument->tabView().selected);
    mMenuBridge.sync(mDocument->documentMenu(), mDocActions,
                     [](const MenuItem& item, std::size_t) { return gioActionName(item.actionName()); });
    UndoManager& undo = mDocument->undoManager();
    if (auto a = std::dynamic_pointer_cast<Gio::SimpleAction>(lookup_action("undo")))
        a->set_enabled(undo.canUndo());
    if (auto a = std::dynamic_pointer_cast<Gio::SimpleAction>(lookup_action("redo")))
        a->set_enabled(undo.canRedo());
    if (is_active() || mApplication.get_active_window() == this)
        mApplication.showUndoNames(undo.undoActionName(), undo.redoActionName());
    set_title(windowTitle(mDocument->fileName(), mDocument->isDocumentEdited(), mUntitledNumber));
    for (auto& [name, area] : mPlots) {
        area->refreshChrome();
        area->canvas().queue_draw();
    }
    if (mTernary) mTernary->queue_draw();
    if (mExperimental) mExperimental->refresh();
    mMirroring = false;
}

// ----- Files and closing --------------------------------------------------------------------

bool DocumentWindow::isPristine() const {
    return mDocument->fileName().empty() && !mDocument->isDocumentEdited() &&
           !mDocument->undoManager().canUndo();
}

bool DocumentWindow::saveTo(const std::string& path) {
    const IoResult r = mDocument->saveToFile(path);
    refresh();
    if (!r.ok()) {
        GtkPlotServices::instance().reportError("The document could not be saved: " + r.message);
        return false;
    }
    addToRecentFiles(path);
    return true;
}

void DocumentWindow::addToRecentFiles(const std::string& path) {
    // The open dialog starts in the recent files: documents saved or opened show there.
    try {
        Gtk::RecentManager::get_default()->add_item(Glib::filename_to_uri(path));
    } catch (const Glib::Error&) {
        // A path that makes no URI simply stays out of the list.
    }
}

void DocumentWindow::save(std::function<void()> then) {
    if (mDocument->fileName().empty()) {
        saveAs(std::move(then));
        return;
    }
    if (saveTo(mDocument->fileName()) && then) then();
}

void DocumentWindow::saveAs(std::function<void()> then) {
    // The window keeps its chooser (a handler holding it would keep it for ever), and a
    // chooser answered after the window went answers nobody.
    mSaveChooser = fileChooser(this, "Save Document", true, MyDocument::kTypeName,
                               MyDocument::kMimeType, std::string("*.") + MyDocument::kFileExtension);
    mSaveChooser->set_current_name(mDocument->fileName().empty()
                                  ? std::string("Untitled.") + MyDocument::kFileExtension
                                  : std::filesystem::path(mDocument->fileName()).filename().string());
    mSaveChooser->signal_response().connect(sigc::track_obj(
        [this, then](int response) {
            if (!mSaveChooser) return;
            mSaveChooser->hide();
            const std::optional<std::string> path = chosenPath(*mSaveChooser, response);
            if (!path) return;
            const std::string target = withDocumentExtension(*path);
            if (const std::string refusal = replacedWithoutAsking(*path, target); !refusal.empty()) {
                GtkPlotServices::instance().reportError("The document was not saved. " + refusal);
                return;
            }
            if (saveTo(target) && then) then();
        },
        *this));
    mSaveChooser->show();
}

void DocumentWindow::requestClose() {
    close();
}

void DocumentWindow::closeConfirmed() {
    mClosing = true;
    close();
}

void DocumentWindow::confirmClose(std::function<void(bool)> then) {
    if (mClosing || !mDocument->isDocumentEdited()) {
        then(true);
        return;
    }
    // A later request takes over the answer of one still open.
    mAfterQuestion = std::move(then);
    askBeforeClosing();
}

void DocumentWindow::askBeforeClosing() {
    present();
    if (mCloseQuestion) {
        mCloseQuestion->present();
        return;
    }
    const std::string name = windowTitle(mDocument->fileName(), false, mUntitledNumber);
    mCloseQuestion = std::make_unique<Gtk::MessageDialog>(
        *this, "Save the changes to \u201c" + name.substr(0, name.find(" \u2013")) + "\u201d before closing?",
        false, Gtk::MessageType::QUESTION, Gtk::ButtonsType::NONE, true);
    mCloseQuestion->set_secondary_text("Your changes will be lost if you don\u2019t save them.");
    mCloseQuestion->add_button("Close _without Saving", Gtk::ResponseType::REJECT);
    mCloseQuestion->add_button("_Cancel", Gtk::ResponseType::CANCEL);
    mCloseQuestion->add_button("_Save", Gtk::ResponseType::ACCEPT);
    mCloseQuestion->set_default_response(Gtk::ResponseType::ACCEPT);
    mCloseQuestion->signal_response().connect([this](int response) { answerCloseQuestion(response); });
    mCloseQuestion->show();
}

void DocumentWindow::answerCloseQuestion(int response) {
    if (!mCloseQuestion) return;
    mCloseQuestion->hide();
    // The dialog is deleted once the signal that answered has returned.
    std::shared_ptr<Gtk::MessageDialog> asked(mCloseQuestion.release());
    Glib::signal_idle().connect_once([asked] {});
    // Asked only by confirmClose, which leaves what follows the answer here.
    std::function<void(bool)> then = std::move(mAfterQuestion);
    mAfterQuestion = nullptr;
    auto confirmed = [this, then] {
        mClosing = true;
        then(true);
    };
    if (response == static_cast<int>(Gtk::ResponseType::REJECT))
        confirmed();
    else if (response == static_cast<int>(Gtk::ResponseType::ACCEPT))
        save(confirmed);
    else
        then(false);
}

}  // namespace vornex::shell
