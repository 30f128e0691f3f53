// The document's construction: model and base arrays, the form, the actions and the menu, the
// plots of the window, and the document machinery (change count, file).
#include "workbench/MyDocument.h"

#include <cmath>
#include <utility>

#include "platform/KeyedArchiver.h"
#include "platform/PlatformLog.h"
#include "plot/ArrayAdditions.h"
#include "water/WagnerPruss.h"
#include "workbench/Form.h"

namespace vornex {

namespace {

// Plots of the window: variable name, host name, labels, maximum range, default range, tick
// digits. The boiling and depth plots grow downward (y minimum above y maximum).
struct PlotLayout {
    CPlotView* MyDocument::*member;
    const char* name;
    const char* x;
    const char* y;
    float max[4];
    float def[4];
    int digits[2];
};
constexpr float kPmax = 5000.0f;
// The maximum ranges hold every range a preset of the Diagram menu shows: a case stores the
// ranges shown, and selecting it clamps them to the maximum.
constexpr float kRhoMax = 2138.01f;
const PlotLayout kPlots[] = {
    {&MyDocument::mPTViewp,
     "mPTViewp",
     "T (°C)",
     "P (bar)",
     {100, 4000, 0, kPmax},
     {100, 1000, 0, 500},
     {1, 1}},
    {&MyDocument::mTxViewp,
     "mTxViewp",
     "T (°C)",
     "NaCl (wt %)",
     {100, 4000, -1, 101},
     {100, 1000, -1, 100},
     {1, 1}},
    {&MyDocument::mPxViewp,
     "mPxViewp",
     "NaCl (wt %)",
     "P (bar)",
     {0, 100, 0, kPmax},
     {0, 100, 0, 500},
     {1, 1}},
    {&MyDocument::mRhoTViewp,
     "mRhoTViewp",
     "T (°C)",
     "rho (kg/m3)",
     {100, 4000, -100, kRhoMax},
     {100, 1000, -100, 1600},
     {1, 1}},
    {&MyDocument::mRhoXViewp,
     "mRhoXViewp",
     "NaCl (wt %)",
     "rho (kg/m3)",
     {0, 100, -100, kRhoMax},
     {0, 100, -100, 1600},
     {1, 1}},
    {&MyDocument::mRhoPViewp,
     "mRhoPViewp",
     "P (bar)",
     "rho (kg/m3)",
     {-1, kPmax, -100, kRhoMax},
     {-1, 500, -100, 1600},
     {1, 1}},
    {&MyDocument::mVxViewp,
     "mVxViewp",
     "NaCl (wt %)",
     "V (l/kg)",
     {0, 100, -1, 1000},
     {0, 100, -0.1f, 10},
     {1, 2}},
    {&MyDocument::mRhoTxViewp,
     "mRhoTxViewp",
     "T (°C)",
     "rho (kg/m3)",
     {50, 4000, -100, kRhoMax},
     {50, 1000, 0, 1600},
     {1, 1}},
    {&MyDocument::mIceViewp,
     "mIceViewp",
     "Salinity (wt %)",
     "T (°C)",
     {0, 100, -30, 1},
     {0, 40, -30, 1},
     {1, 1}},
    {&MyDocument::mIsochoreViewp,
     "mIsochoreViewp",
     "T (°C)",
     "P (bar)",
     {100, 4000, 0, kPmax},
     {100, 1000, 0, 700},
     {1, 1}},
    {&MyDocument::mBoilingViewp,
     "mBoilingViewp",
     "T (°C)",
     "P (bar)",
     {0, 700, 600, 0},
     {0, 500, 500, 0},
     {1, 1}},
    {&MyDocument::mDepthViewp,
     "mDepthViewp",
     "T (°C)",
     "d (m)",
     {0, 700, 600, 0},
     {0, 500, 500, 0},
     {1, 1}},
};
const Rect kPlotFrame({0, 0}, {560, 420});

// Controls that start a cycle when edited, and those that only show results.
const char* const kStateControls[] = {
    "mHaliteTm",      "mStepHaliteTm", "mHalitePm", "mStepHalitePm", "mHaliteXm", "mStepHaliteXm",
    "mStepHaliteXm1", "mT0",           "mStepT0",   "mP0",           "mStepP0",   "mX0",
    "mStepX0",        "mStepX01",      "mComment",  "mName",         "mStepRm",   "mRm_edit"};
const char* const kResultControls[] = {
    "mVolumeEdit", "mPhaseAssoc", "mBoxSat", "mBoxLiqGas", "mBoxLiqGasHal", "mPsat",
    "mSatLiqDensity", "mSatGasDensity", "mXliq", "mXgas", "mRl_lv_edit", "mRg_lv_edit", "mPcrit",
    "mXcrit", "mRhoc_edit", "mP_SLV", "mWtL_SLV", "mWtV_SLV", "mRl_slv_edit", "mRg_slv_edit",
    "mRh_slv_edit", "mWtPercentH", "mWtPercentL", "mWtPercentG", "mHaliteVolumeFrac",
    "mLiquidVolumeFrac", "mGasVolumeFrac",
    // Inclusion panel.
    "mVolumeTm_edit", "mStepTmVol", "mTm0_edit", "mTm_edit", "mPm_edit", "mPh_edit", "mTh0_edit",
    "mTh_edit", "mPh0_edit", "mInclusionRho0", "mInclusionRho", "mHaliteVolume", "mStepHaliteVol",
    "mTm3_edit", "mInclusionRho3", "mInclusionNaCl", "mStepInclusionNaCl", "mPh3_edit", "mPm3_edit",
    "mxl3_edit", "mTh3_edit", "mThfi_edit", "mStepThfi", "mTmfi_edit", "mStepTmfi", "mNaClfi_edit",
    "mRhofi_edit", "mBubblefi_edit", "mPhfi_edit", "mPmfi_edit",
    // Ice panel.
    "mIceT", "mIceStepT", "mIceRatio", "mIceStepRatio", "mIceSalinity", "mIceNaCl", "mIceKCl"};

}  // namespace

const std::array<const char*, 9>& MyDocument::plotPrefixes() {
    static const std::array<const char*, 9> prefixes = {"pt", "px", "tx",  "rt", "rx",
                                                        "rp", "vx", "rtx", "icx"};
    return prefixes;
}

const std::vector<std::string>& MyDocument::caseKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> k = {"name", "comment", "T0", "P0",    "X0",   "Tm",
                                      "Pm",   "Xm",      "Rm", "TmHal", "ThLiq"};
        for (const char* prefix : plotPrefixes())
            for (const char* suffix : {"minx", "miny", "maxx", "maxy", "logx", "logy"})
                k.push_back(std::string(prefix) + suffix);
        return k;
    }();
    return keys;
}

const std::vector<std::string>& MyDocument::plotNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const PlotLayout& p : kPlots) n.push_back(p.name);
        return n;
    }();
    return names;
}

MyDocument::MyDocument() : MyDocument(Options()) {}

MyDocument::MyDocument(const Options& options) : mOptions(options) {
    changeModel(0);
    mTm = 300;
    mPm = 88;
    mXm = 30;
    mRm = -1;
    mThLiq = 200;
    mTmHal = 170;
    mhlColor = Color::deviceRGB(1.0, 1.0, 0.0, 0.5);
    mhgColor = Color::deviceRGB(0.3, 0.8, 0.2, 0.5);
    mhlgColor = Color::deviceRGB(0.2, 0.6, 0.2, 0.5);
    mlgColor = Color::deviceRGB(0.5, 0.2, 0.6, 0.5);
    createExperimentalDictionary();
    buildForm();
    buildActions();
    buildMenu();
    mTabView.identifiers = {"ptx", "rho", "halite", "ice", "isochore", "boiling"};
    for (const std::string& key : caseKeys()) mListView.addColumn(key);
    mListView.setDelegate(this);
    mListView.setDeletable(true);
    mListView.setSelectionHandler([this] { tableViewSelectionDidChange(mListView); });
}

MyDocument::~MyDocument() {
    mCenter.removeObserver(this);
    mListView.setSelectionHandler(nullptr);
    mListView.setDelegate(nullptr);
    // The plots go before the undo manager and the centre they refer to.
    mHosts.clear();
    mTernaryView.reset();
}

// ----- Model and base arrays ------------------------------------------------------------

// A value of the saturation table as its messages name it: every digit it holds, and a NaN
// or an infinity by name (the form's number format leaves those out).
static std::string tableValue(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    return formatNumber(v);
}

// Why the saturation table cannot be drawn from: every row must hold a water saturation
// state in the columns the document reads (pressure, temperature, both densities), since a
// NaN or a huge value in any row ends up in the curves. Empty when the table is usable.
static std::string saturationTableFault(const std::vector<double>& table, int stride) {
    const std::size_t rows = table.size() / static_cast<std::size_t>(stride);
    if (rows == 0) return "no rows";
    struct Column {
        int index;
        double highest;
    };
    // Bounds well beyond water's saturation states: 221 bar, 647 K, 1000 kg/m3.
    static const Column kRead[] = {{0, 1000.0}, {3, 1000.0}, {25, 2000.0}, {26, 2000.0}};
    for (std::size_t r = 0; r < rows; ++r)
        for (const Column& c : kRead) {
            const double v = table[r * static_cast<std::size_t>(stride) + c.index];
            if (!(v > 0.0 && v <= c.highest))
                return "row " + std::to_string(r) + " holds " + tableValue(v) +
                       " in column " + std::to_string(c.index);
        }
    // The drawings join the rows in order and take water's critical constants from the first:
    // the rows run down the curve, temperature and pressure falling, from the critical point
    // (647.096 K, 220.64 bar, 322 kg/m3) to the triple point (273.16 K) or below.
    auto at = [&](std::size_t r, int column) {
        return table[r * static_cast<std::size_t>(stride) + static_cast<std::size_t>(column)];
    };
    // The critical row is the model's own to rounding: the document takes water's critical
    // temperature, pressure and density from it, and a row a kelvin or a bar off would move
    // the critical point of every diagram.
    auto critical = [](double value, double model) {
        return std::fabs(value - model) <= 1e-6 * model;
    };
    if (!critical(at(0, 3), kWaterCriticalTemperature) ||
        !critical(at(0, 0), kWaterCriticalPressure * 1e-5) ||
        !critical(at(0, 25), kWaterCriticalDensity) || !critical(at(0, 26), kWaterCriticalDensity))
        return "row 0 (" + tableValue(at(0, 3)) + " K, " + tableValue(at(0, 0)) + " bar, " +
               tableValue(at(0, 25)) + " and " + tableValue(at(0, 26)) +
               " kg/m3) is not the critical point";
    for (std::size_t r = 1; r < rows; ++r)
        if (!(at(r, 3) < at(r - 1, 3)) || !(at(r, 0) < at(r - 1, 0)))
            return "row " + std::to_string(r) + " (" + tableValue(at(r, 3)) + " K, " +
                   tableValue(at(r, 0)) + " bar) does not lie below row " +
                   std::to_string(r - 1) + " on the curve";
    if (at(rows - 1, 3) > 273.16)
        return "row " + std::to_string(rows - 1) + ", the last, ends the curve at " +
               tableValue(at(rows - 1, 3)) + " K, above the triple point";
    return {};
}

bool MyDocument::loadSaturationTable() {
    satProperties.clear();
    const IoResult read = readTabulatedResource(mOptions.saturationResource, _nsat, satProperties);
    const std::string fault = read.ok() ? saturationTableFault(satProperties, _nsat) : read.message;
    mTracedSaturation = !fault.empty();
    if (fault.empty()) return true;
    logMessage("The water saturation table \"" + mOptions.saturationResource +
               "\" is missing or broken (" + fault + "); the saturation curve is traced instead.");
    satProperties.clear();
    WagnerPruss water(2);
    water.temperature(water.Tcrit);
    water.volume(water.Vcrit);
    water.calculate_saturation_curve("", 2, water.Tcrit, -1.0, water.Vcrit, water.Vcrit,
                                     water.Tlowest, 6, "", &satProperties);
    satProperties.resize(satProperties.size() / _nsat * _nsat);
    return satProperties.size() >= static_cast<std::size_t>(_nsat);
}

bool MyDocument::changeModel(int type) {
    if (type != 0) {
        logMessage("Only the H2O-NaCl model (type 0) exists; the model is unchanged.");
        return false;
    }
    mModelType = type;
    slvProperties.clear();
    nacProperties.clear();
    criProperties.clear();
    // The traces of the old model's curves go with it.
    for (auto* cache : {&haliteGasIsotherm, &liquidGasIsotherm, &haliteLiquidIsotherm,
                        &haliteLiquidIsopleth, &haliteGasIsopleth, &liquidIsopleth, &gasIsopleth})
        cache->clear();
    gasIsoplethAbove.clear();
    mModel.reset();
    if (!loadSaturationTable()) {
        // Even the traced curve failed: the water constants fall back to the model's own.
        satProperties.assign(_nsat, 0.0);
        satProperties[0] = 220.64;
        satProperties[3] = 647.096;
        satProperties[25] = satProperties[26] = 322.0;
    }
    mModel = std::make_unique<PalliserModel>();
    mModel->calculateNaClSatCurve(nacProperties);
    mModel->calculateCriticalCurve(criProperties);
    mModel->calculateSLVCurve(slvProperties);
    mTtNaCl = 800;
    mPtNaCl = 0.0005;
    mTcNaCl = 3127;
    mPcNaCl = 355;
    mRcNaCl = mModel->naclCriticalDensity;
    mRltNaCl = nacProperties.size() >= 4 ? nacProperties[2] : 0.0;
    mRgtNaCl = nacProperties.size() >= 4 ? nacProperties[3] : 0.0;
    mPmax = 5000;
    mRhoHalite = Palliser::kHaliteDensity;
    mTslv_min = 50;
    mXminNaCl = 27.83;
    mTcH2O = satProperties[3] - 273.15;
    mPcH2O = satProperties[0];
    mRhoH2O = satProperties[25];
    mState = mModel->state();
    return true;
}

void MyDocument::onSelectPalliserModel() {
    if (!changeModel(0)) return;
    onRefreshViews();
    onUpdateViews();
}

// ----- Form, actions, menu --------------------------------------------------------------

void MyDocument::buildForm() {
    for (const char* name : kStateControls) mForm.add(name, "onChangeFluidParameter:");
    for (const char* name : kResultControls) mForm.add(name).editable = false;
    for (const char* name :
         {"mInclusionNaCl", "mStepInclusionNaCl", "mVolumeTm_edit", "mStepTmVol", "mHaliteVolume",
          "mStepHaliteVol", "mThfi_edit", "mStepThfi", "mTmfi_edit", "mStepTmfi", "mIceRatio",
          "mIceStepRatio", "mIceT", "mIceStepT"})
        mForm[name].editable = true;
    mForm.add("mFixDensity", "onFixDensity:");
    mForm.add("mResetButton", "onResetToInitialConditions:").enabled = false;
    mForm.add("mSetInitialButton", "onSetInitialConditions:");
    mForm.add("mGetLiquidButton", "onGetLiquid:");
    mForm.add("mGetVapourButton", "onGetVapour:");
    mForm.add("mAddButton", "onAddCase:");
    mForm.add("mDeleteButton", "onDeleteCase:");
    mForm.add("mDuplicateButton", "onDuplicateCase:");
    mForm.add("mIsochoreButton", "onCalculateTheIsochor:");
    mForm.add("mDeleteIsochoreButton", "onDeleteTheIsochor:");
    mForm.add("mListView");
    mForm.add("mName").setString("");
    mForm.add("mComment").setString("");
    mForm.add(kStatusLine).editable = false;
    mForm["mBoxSat"].title = "Saturation Properties";
    mForm["mBoxLiqGas"].title = "Liquid-Vapour Association";
    mForm["mBoxLiqGasHal"].title = "Halite-Liquid-Vapour Association";
    buildPanelForm();
}

void MyDocument::buildActions() {
    // Each action name with the member it runs, with or without its sender.
    using Plain = void (MyDocument::*)();
    using WithSender = void (MyDocument::*)(Control*);
    static constexpr std::pair<const char*, WithSender> kWithSender[] = {
        {"onChangeFluidParameter:", &MyDocument::onChangeFluidParameter},
        {"updateControl:", &MyDocument::updateControl},
        {"onFixDensity:", &MyDocument::onFixDensity},
        {"onCalculateInclusionProperties:", &MyDocument::onCalculateInclusionProperties},
        {"onCalculateThTm:", &MyDocument::onCalculateThTm},
        {"onCalculateIceSalinity:", &MyDocument::onCalculateIceSalinity},
        {"onCalculateBoiling:", &MyDocument::onCalculateBoiling},
    };
    static constexpr std::pair<const char*, Plain> kPlain[] = {
        {"onUpdateViews:", &MyDocument::onUpdateViews},
        {"onRefreshViews:", &MyDocument::onRefreshViews},
        {"onSetInitialConditions:", &MyDocument::onSetInitialConditions},
        {"onResetToInitialConditions:", &MyDocument::onResetToInitialConditions},
        {"onGetLiquid:", &MyDocument::onGetLiquid},
        {"onGetVapour:", &MyDocument::onGetVapour},
        {"onAddCase:", &MyDocument::onAddCase},
        {"onDeleteCase:", &MyDocument::onDeleteCase},
        {"onDuplicateCase:", &MyDocument::onDuplicateCase},
        {"onCalculateTheIsochor:", &MyDocument::onCalculateTheIsochor},
        {"onDeleteTheIsochor:", &MyDocument::onDeleteTheIsochor},
        {"onSelectPalliserModel:", &MyDocument::onSelectPalliserModel},
        {"onZoomRhoTx1:", &MyDocument::onZoomRhoTx1},
        {"onZoomRhoTx2:", &MyDocument::onZoomRhoTx2},
        {"onZoomRhoTx3:", &MyDocument::onZoomRhoTx3},
        {"onFocusToCriticalWater:", &MyDocument::onFocusToCriticalWater},
        {"onFocusToNaCl:", &MyDocument::onFocusToNaCl},
        {"onFocusToV_HL:", &MyDocument::onFocusToV_HL},
        {"onResetFocus:", &MyDocument::onResetFocus},
        {"onGoToPTX_panel:", &MyDocument::onGoToPTX_panel},
        {"onGoToRho_panel:", &MyDocument::onGoToRho_panel},
        {"onGoToInclusions_panel:", &MyDocument::onGoToInclusions_panel},
        {"onGoToIce_panel:", &MyDocument::onGoToIce_panel},
        {"onGoToIsochore_panel:", &MyDocument::onGoToIsochore_panel},
        {"onToggleShowH2OSat:", &MyDocument::onToggleShowH2OSat},
        {"onToggleShowNaClSat:", &MyDocument::onToggleShowNaClSat},
        {"onToggleShowHLV:", &MyDocument::onToggleShowHLV},
        {"onToggleShowHL:", &MyDocument::onToggleShowHL},
        {"onToggleShowHV:", &MyDocument::onToggleShowHV},
        {"onToggleShowLG:", &MyDocument::onToggleShowLG},
        {"onToggleShowCritical:", &MyDocument::onToggleShowCritical},
        {"onShowLog:", &MyDocument::onShowLog},
        {"onShowExperimentalPanel:", &MyDocument::onShowExperimentalPanel},
        {"onAssignIceSalinity:", &MyDocument::onAssignIceSalinity},
    };
    mActions.clear();
    for (auto [name, f] : kWithSender) mActions[name] = [this, f](Control* c) { (this->*f)(c); };
    for (auto [name, f] : kPlain) mActions[name] = [this, f](Control*) { (this->*f)(); };
}

bool MyDocument::performAction(const std::string& action, Control* sender) {
    auto it = mActions.find(action);
    if (it == mActions.end()) return false;
    if (sender && !acceptInput(*sender)) return true;
    it->second(sender);
    return true;
}

void MyDocument::buildMenu() {
    auto item = [this](const char* title, const char* action) {
        std::string name = action;
        mMenu.addItem(title, name, [this, name] { performAction(name); });
    };
    item("H2O-NaCl model", "onSelectPalliserModel:");
    mMenu.addSeparator();
    item("H2O saturation curve", "onToggleShowH2OSat:");
    item("NaCl saturation curve", "onToggleShowNaClSat:");
    item("Halite-liquid-vapour curve", "onToggleShowHLV:");
    item("Halite-liquid field", "onToggleShowHL:");
    item("Halite-vapour field", "onToggleShowHV:");
    item("Liquid-vapour curves", "onToggleShowLG:");
    item("Critical curve", "onToggleShowCritical:");
    mMenu.addSeparator();
    item("P-T-X properties", "onGoToPTX_panel:");
    item("Density properties", "onGoToRho_panel:");
    item("Halite", "onGoToInclusions_panel:");
    item("Ice", "onGoToIce_panel:");
    item("Isochore", "onGoToIsochore_panel:");
    mMenu.addSeparator();
    item("Inclusion Density 50-800 °C", "onZoomRhoTx1:");
    item("Inclusion Density 50-1000 °C", "onZoomRhoTx2:");
    item("Inclusion Density 50-3200 °C", "onZoomRhoTx3:");
    item("Focus on Critical Water", "onFocusToCriticalWater:");
    item("Focus up to Critical NaCl", "onFocusToNaCl:");
    item("Focus on Vapour and Halite-Liquid", "onFocusToV_HL:");
    item("Default Focus", "onResetFocus:");
    mMenu.addSeparator();
    item("Show Log", "onShowLog:");
    item("Experimental Data", "onShowExperimentalPanel:");
    mMenu.setValidator([this](MenuItem& i) {
        validateUserInterfaceItem(i);
        return validateMenuItem(i);
    });
}

// ----- Window -----------------------------------------------------------------------------

void MyDocument::buildPlots() {
    for (const PlotLayout& p : kPlots) {
        auto host = std::make_unique<CDrawPlotView>(kPlotFrame);
        auto plot = std::make_unique<CPlotView>(Rect({0, 0}, kPlotFrame.size));
        plot->setNotificationCenter(&mCenter);
        plot->setUndoManager(&mUndoManager);
        plot->setPlotName(p.name);
        CPlotView* view = host->setPlotView(std::move(plot));
        view->setMaxXYRange(p.max[0], p.max[1], p.max[2], p.max[3]);
        view->setDefaultXYRange(p.def[0], p.def[1], p.def[2], p.def[3]);
        view->setLabels(p.x, p.y);
        view->setTicksNumber(11, 11);
        view->setTicksDigits(p.digits[0], p.digits[1]);
        view->showSelectionPoint(true);
        host->installButtons();
        this->*p.member = view;
        std::string hostName = p.name;
        hostName.pop_back();
        mHosts[hostName] = std::move(host);
    }
    mTernaryView = std::make_unique<CTernaryPlotView>(Rect({0, 0}, {420, 420}));
    mTernaryView->setNotificationCenter(&mCenter);
    mTernaryView->setLabels("NaCl", "KCl", "H2O");
    mTernaryView->setMargin(35);
}

CDrawPlotView* MyDocument::hostNamed(const std::string& name) const {
    auto it = mHosts.find(name);
    return it == mHosts.end() ? nullptr : it->second.get();
}

CPlotView* MyDocument::plotNamed(const std::string& name) const {
    if (name.empty() || name.back() != 'p') return nullptr;
    CDrawPlotView* host = hostNamed(name.substr(0, name.size() - 1));
    return host ? host->plotView() : nullptr;
}

std::array<CPlotView*, 9> MyDocument::caseBoundPlots() const {
    return {mPTViewp,   mPxViewp, mTxViewp,    mRhoTViewp,    mRhoXViewp,
            mRhoPViewp, mVxViewp, mRhoTxViewp, mIsochoreViewp};
}

void MyDocument::windowControllerDidLoadNib() {
    if (mWindowLoaded) return;
    buildPlots();
    setStateControls();
    mCenter.addObserver(this, notifications::plotSelection, nullptr,
                        [this](const Notification& n) { onPlotSelection(n); });
    mCenter.addObserver(this, notifications::axisPlotChanged, nullptr,
                        [this](const Notification& n) { onChangeAxis(n); });
    mCenter.addObserver(this, notifications::ternaryPlotSelection, nullptr,
                        [this](const Notification& n) { onTernaryPlotSelection(n); });
    mForm.setDouble("mInclusionNaCl", mXm);
    mForm.setDouble("mStepInclusionNaCl", mXm);
    mForm.setDouble("mVolumeTm_edit", 10);
    mForm.setDouble("mStepTmVol", 10);
    mForm.setDouble("mHaliteVolume", 1);
    mForm.setDouble("mStepHaliteVol", 1);
    mForm.setDouble("mThfi_edit", mThLiq);
    mForm.setDouble("mStepThfi", mThLiq);
    mForm.setDouble("mTmfi_edit", mTmHal);
    mForm.setDouble("mStepTmfi", mTmHal);
    mForm.setDouble("mIceRatio", 100);
    mForm.setDouble("mIceStepRatio", 100);
    mForm.setDouble("mIceT", -10);
    mForm.setDouble("mIceStepT", -10);
    // The ice panel shows its results with its melting temperature, whichever panel is seen
    // first.
    onCalculateIceSalinity(nullptr);
    initBoilingPanel();
    onRefreshViews();
    mWindowLoaded = true;
    mListView.reloadData(caseCount());
    if (caseCount() == 0) {
        onAddCase();
        updateChangeCount(ChangeKind::Undone);
    } else {
        selectCaseRow(0);
    }
}

// ----- Document machinery ------------------------------------------------------------------

void MyDocument::updateChangeCount(ChangeKind kind) {
    switch (kind) {
        case ChangeKind::Done:
            ++mChangeCount;
            break;
        case ChangeKind::Undone:
            --mChangeCount;
            break;
        case ChangeKind::Cleared:
            mChangeCount = 0;
            break;
    }
}

Bytes MyDocument::dataOfType() const {
    return KeyedArchiver::archivedData(mList, "list");
}

IoResult MyDocument::saveToFile(const std::string& path) {
    IoResult r = KeyedArchiver::archiveToFile(path, mList, "list");
    if (!r.ok()) return r;
    mFileName = path;
    updateChangeCount(ChangeKind::Cleared);
    return r;
}

namespace {

// The case list of an archive: an array of dictionaries under "list", or a refusal.
IoResult checkCaseList(const PlistValue& list, IoResult read, const std::string& source) {
    if (!read.ok()) return read;
    if (!list.isArray())
        return IoResult::failure(IoStatus::InvalidData,
                                 source + ": the document holds no case list (\"list\" is " +
                                     (list.isNull() ? "missing" : "not an array") + ")");
    for (std::size_t i = 0; i < list.size(); ++i)
        if (!list.at(i).isDictionary())
            return IoResult::failure(
                IoStatus::InvalidData,
                source + ": case " + std::to_string(i + 1) + " of the list is not a dictionary");
    return read;
}

}  // namespace

IoResult MyDocument::readFromData(const Bytes& data) {
    IoResult read;
    PlistValue list = KeyedUnarchiver::unarchivedValue(data, "list", &read);
    read = checkCaseList(list, read, "document data");
    if (!read.ok()) return read;
    mList = std::move(list);
    if (mWindowLoaded) {
        mListView.deselectAll();
        mListView.reloadData(caseCount());
        if (caseCount() == 0) {
            onAddCase();
        } else {
            selectCaseRow(0);
        }
    }
    updateChangeCount(ChangeKind::Cleared);
    return read;
}

IoResult MyDocument::readFromFile(const std::string& path) {
    Bytes bytes;
    IoResult r = readFileBytes(path, bytes);
    if (!r.ok()) return r;
    r = readFromData(bytes);
    if (!r.ok()) {
        r.message = path + ": " + r.message;
        return r;
    }
    mFileName = path;
    return r;
}

}  // namespace vornex
