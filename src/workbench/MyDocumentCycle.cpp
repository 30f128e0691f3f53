// The current state and its recompute cycle: from a control into the state and the selected
// case, through the model into the result fields, and on to the drawings, the log report and
// the visible tab.
#include <cmath>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "plot/CGraphCurve.h"
#include "numerics/Decimal.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphText.h"
#include "plot/CLogWindow.h"
#include "workbench/MyDocument.h"
#include "platform/Utf8.h"

namespace vornex {

namespace {

// The fields cleared at the start of every evaluation.
const char* const kClearedResults[] = {
    "mXliq",       "mXgas",       "mRl_lv_edit",       "mRg_lv_edit",    "mWtPercentH",
    "mWtPercentL", "mWtPercentG", "mLiquidVolumeFrac", "mGasVolumeFrac", "mHaliteVolumeFrac",
    "mPcrit",      "mXcrit",      "mRhoc_edit",        "mP_SLV",         "mWtL_SLV",
    "mWtV_SLV"};

// An isochore is traced from the state down to this temperature (degC).
constexpr double kIsochoreEnd = 100.0;
constexpr const char* kOutsideTheModel = "lies outside the range of the model";
constexpr const char* kNoCaseNote = "There is no case selected: ";

// The status line's note for an edit made with no case selected, ending with `rest` (built
// by appending: GCC 12 misreads a literal added to a temporary string as an overrun).
std::string noCaseNote(std::string_view rest) {
    std::string note(kNoCaseNote);
    note.append(rest.data(), rest.size());
    return note;
}
constexpr const char* kDensityNotKept = "The density typed (";
const char* const kInitialControls[] = {"mT0", "mStepT0", "mP0", "mStepP0", "mX0", "mStepX0",
                                        "mStepX01"};

// A phase's share of the whole in percent.
double percentShare(double fraction) {
    return 100 * MyDocument::withoutRoundingTraces(fraction);
}

bool computed(double v) {
    return std::isfinite(v) && v >= 0.0;
}

std::string formatted(const char* format, double a, double b = 0.0) {
    char buffer[160];
    vornex::csnprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

// updateControl's table: the partners a control's value goes to, the case key it writes, and
// which state variable it sets.
enum class Target { None, T, P, X, Initial, Text, Density };
struct ControlRule {
    const char* sender;
    Target target;
    std::vector<const char*> partners;
    const char* key;
};
const std::vector<ControlRule>& controlRules();
const ControlRule* ruleOf(const std::string& sender) {
    for (const ControlRule& r : controlRules())
        if (sender == r.sender) return &r;
    return nullptr;
}
const std::vector<ControlRule>& controlRules() {
    static const std::vector<ControlRule> rules = {
        {"mHaliteTm", Target::T, {"mStepHaliteTm"}, "Tm"},
        {"mStepHaliteTm", Target::T, {"mHaliteTm"}, "Tm"},
        {"mHalitePm", Target::P, {"mStepHalitePm"}, "Pm"},
        {"mStepHalitePm", Target::P, {"mHalitePm"}, "Pm"},
        {"mHaliteXm", Target::X, {"mStepHaliteXm", "mStepHaliteXm1"}, "Xm"},
        {"mStepHaliteXm", Target::X, {"mHaliteXm", "mStepHaliteXm1"}, "Xm"},
        {"mStepHaliteXm1", Target::X, {"mHaliteXm", "mStepHaliteXm"}, "Xm"},
        {"mT0", Target::Initial, {"mStepT0"}, "T0"},
        {"mStepT0", Target::Initial, {"mT0"}, "T0"},
        {"mP0", Target::Initial, {"mStepP0"}, "P0"},
        {"mStepP0", Target::Initial, {"mP0"}, "P0"},
        {"mX0", Target::Initial, {"mStepX0", "mStepX01"}, "X0"},
        {"mStepX0", Target::Initial, {"mStepX01", "mX0"}, "X0"},
        {"mStepX01", Target::Initial, {"mStepX0", "mX0"}, "X0"},
        {"mComment", Target::Text, {}, "comment"},
        {"mName", Target::Text, {}, "name"},
        {"mStepRm", Target::Density, {"mRm_edit"}, nullptr},
        {"mRm_edit", Target::Density, {"mStepRm"}, nullptr},
    };
    return rules;
}

}  // namespace

int MyDocument::selectedRow() const {
    const int r = mListView.selectedRow();
    return r >= 0 && r < caseCount() ? r : -1;
}

PlistValue* MyDocument::selectedCase() {
    const int r = selectedRow();
    if (r < 0) return nullptr;
    PlistValue::Array* items = mList.mutableItems();
    return items ? &(*items)[r] : nullptr;
}

double MyDocument::caseNumber(const PlistValue& c, const std::string& key) {
    const double v = c.get(key).toDouble(0.0);
    return std::isfinite(v) ? v : 0.0;
}

void MyDocument::setStateControls() {
    mForm.setDouble("mHaliteTm", mTm);
    mForm.setDouble("mStepHaliteTm", mTm);
    mForm.setDouble("mHalitePm", mPm);
    mForm.setDouble("mStepHalitePm", mPm);
    mForm.setDouble("mHaliteXm", mXm);
    mForm.setDouble("mStepHaliteXm", mXm);
    mForm.setDouble("mStepHaliteXm1", mXm);
    mForm["mStepHaliteXm1"].increment = 0.01 * mXm;
    // The inclusion panel's salinity is the state's.
    mForm.setDouble("mInclusionNaCl", mXm);
    mForm.setDouble("mStepInclusionNaCl", mXm);
}

void MyDocument::showNoCase() {
    // The controls of a case show none; the state stays, computed, for Add to keep.
    for (const char* n : {"mName", "mComment"}) mForm.setString(n, "");
    for (const char* n : kInitialControls) mForm.clear(n);
    mForm["mResetButton"].enabled = false;
    mForm["mSetInitialButton"].enabled = false;
}

void MyDocument::updateResetButton(const PlistValue& c) {
    mForm["mSetInitialButton"].enabled = true;
    const double T0 = caseNumber(c, "T0"), P0 = caseNumber(c, "P0"), X0 = caseNumber(c, "X0");
    // Written so that a NaN anywhere enables the button.
    const bool same =
        std::fabs(mTm - T0) < 1e-8 && std::fabs(mPm - P0) < 1e-8 && std::fabs(mXm - X0) < 1e-8;
    mForm["mResetButton"].enabled = !same;
}

void MyDocument::updateControl(Control* sender) {
    PlistValue* c = selectedCase();
    if (!sender) return;
    if (sender->name == "mListView") {
        if (!c) return;
        // The edited row's name and initial conditions back into the case controls.
        for (const char* n : {"mT0", "mStepT0"}) mForm.setDouble(n, caseNumber(*c, "T0"));
        for (const char* n : {"mP0", "mStepP0"}) mForm.setDouble(n, caseNumber(*c, "P0"));
        for (const char* n : {"mX0", "mStepX0", "mStepX01"})
            mForm.setDouble(n, caseNumber(*c, "X0"));
        mForm.setString("mName", c->get("name").toString());
        updateResetButton(*c);
        updateChangeCount(ChangeKind::Done);
        return;
    }
    const ControlRule* rule = ruleOf(sender->name);
    if (!rule) return;
    if (!c && (rule->target == Target::Initial || rule->target == Target::Text)) {
        // Initial conditions, name and comment belong to a case: with none there is nothing
        // to keep them in, and the field says so rather than seem to take them.
        rule->target == Target::Text ? sender->setString("") : sender->clear();
        for (const char* partner : rule->partners) mForm.clear(partner);
        setNote(Note::NoCase, noCaseNote("a name, comment or initial condition needs one. "
                                                "Add makes a case of the state shown."));
        mRefusedControl = sender->name;
        return;
    }
    if (rule->target == Target::Text) {
        // The document file keeps only text it can read back (UTF-8 without zero
        // characters): other text in a case would make every later save fail.
        if (const std::string why = utf8::refusedText(sender->text); !why.empty()) {
            sender->setString(c->get(rule->key).toString());
            setNote(Note::Input, "The " + std::string(rule->key) + " is not taken: " + why +
                                     ". The case keeps what it held.");
            mRefusedControl = sender->name;
            return;
        }
        c->set(rule->key, sender->text);
    } else {
        // A field that holds no finite number leaves the state as it was.
        if (!sender->holdsNumber()) return;
        const double v = sender->value;
        const double fixedPressure = rule->target == Target::T ? pressureKeepingDensity(v) : -1;
        const bool beyondDiagram = fixedPressure > Palliser::kDiagramMaxPressure;
        if (fixedPressure == 0 || beyondDiagram) {
            // No state of the fixed density at that temperature, or one above the diagram's
            // top pressure: the state stays whole.
            const std::string refusal =
                beyondDiagram
                    ? formatted("The density is fixed at %.6g kg/m³; at %.6g °C ", mRm, v) +
                          formatted("that density lies at %.6g bar, above the diagram's %.6g "
                                    "bar: ",
                                    fixedPressure, Palliser::kDiagramMaxPressure) +
                          formatted("at this density the state leaves the diagram at %.6g °C, "
                                    "so the temperature stays.",
                                    temperatureLeavingDiagram(v))
                    : formatted("The density is fixed at %.6g kg/m³; the model finds no state "
                                "of that density at %.6g °C, so the temperature stays.",
                                mRm, v);
            sender->setDouble(mTm);
            for (const char* partner : rule->partners) mForm.setDouble(partner, mTm);
            setNote(Note::Input, refusal);
            mRefusedControl = sender->name;
            return;
        }
        for (const char* partner : rule->partners) mForm.setDouble(partner, v);
        switch (rule->target) {
            case Target::T:
                mTm = v;
                if (fixedPressure > 0) {
                    mPm = fixedPressure;
                    mForm.setDouble("mHalitePm", mPm);
                    mForm.setDouble("mStepHalitePm", mPm);
                    if (c) c->set("Pm", mPm);
                }
                break;
            case Target::P:
                mPm = v;
                break;
            case Target::X:
                mXm = v;
                mForm["mStepHaliteXm1"].increment = 0.01 * mXm;
                mForm.setDouble("mInclusionNaCl", mXm);
                mForm.setDouble("mStepInclusionNaCl", mXm);
                break;
            case Target::Density:
                mRm = v;
                if (v > 0 && std::isfinite(1000.0 / v))
                    mForm.setDouble("mVolumeEdit", 1000.0 / v);
                else
                    mForm.clear("mVolumeEdit");
                break;
            default:
                break;
        }
        if (rule->key && c) c->set(rule->key, v);
    }
    if (!c) {
        // The state is computed and shown all the same; Add keeps it as a new case.
        setNote(Note::NoCase, noCaseNote("the state shown is computed, and Add keeps it "
                                                "as a new case."));
        return;
    }
    if (rule->target == Target::Initial || std::string(rule->sender) == "mName")
        mListView.reloadData(caseCount());
    forgetNoCaseNote();
    updateResetButton(*c);
    updateChangeCount(ChangeKind::Done);
}

void MyDocument::forgetNoCaseNote() {
    if (note(Note::NoCase).empty()) return;
    setNote(Note::NoCase, "");
    if (note(Note::Input).empty()) mRefusedControl.clear();
}

void MyDocument::setNote(Note source, const std::string& text) {
    if (text.empty())
        mNotes.erase(source);
    else
        mNotes[source] = text;
    std::string line;
    for (const auto& [who, said] : mNotes) line.append(line.empty() ? "" : "  ").append(said);
    mForm.setString(kStatusLine, line);
}

const std::string& MyDocument::note(Note source) const {
    static const std::string none;
    const auto it = mNotes.find(source);
    return it == mNotes.end() ? none : it->second;
}

void MyDocument::onChangeFluidParameter(Control* sender) {
    setNote(Note::DensityNotKept, "");
    const bool density = sender && (sender->name == "mRm_edit" || sender->name == "mStepRm") &&
                         sender->holdsNumber();
    const double typed = density ? sender->value : NAN;
    updateControl(sender);
    if (sender) onUpdateViews();
    // Outside the halite + liquid + vapour pressure the temperature, pressure and salinity
    // alone fix the density (of the one phase, or of the phases in their lever-rule shares):
    // a density typed there does not stay, and the message line says so.
    if (density && mRm > 0 && std::fabs(mRm - typed) > 1e-9 * typed)
        setNote(Note::DensityNotKept,
                kDensityNotKept + formatForDisplay(typed) + " kg/m\u00b3) is not kept: " +
                    densityOfState(mTm, mPm, mXm, mRm) +
                    "; Fix density keeps a density as the temperature changes.");
}

std::string MyDocument::densityOfState(double T, double P, double X, double rho) {
    return "at " + formatForDisplay(T) + " \u00b0C and " + formatForDisplay(P) +
           " bar a fluid of " + formatForDisplay(X) + " wt % NaCl has " +
           (rho > 0 ? formatForDisplay(rho) + " kg/m\u00b3" : std::string("no density")) +
           ". Only on the halite + liquid + vapour pressure does a density choose the phases' "
           "shares";
}

void MyDocument::onUpdateViews() {
    calculateDensities();
    if (!mWindowLoaded) return;
    drawState();
    writeToLog();
    tabViewDidSelectTabViewItem();
}

void MyDocument::drawState() {
    showHaliteLiquidIsopleth();
    plotInitialPoint();
    showHaliteLiquidGasField();
    showLiqGasCurve();
    showIsobaricLiqGasCurve();
    showIsopleths();
    plotExperimentalData();
}

void MyDocument::onRefreshViews() {
    if (!mPTViewp) return;
    // The isochores drawn are the user's, whatever redraws the base curves under them (a
    // toggle, the model chosen again, a refresh): they come back after it, in their order and
    // as they were drawn, so that Delete still takes the last one.
    std::vector<std::unique_ptr<CGraphObject>> isochores;
    for (const CGraphObject* o : mIsochores) {
        if (!mIsochoreViewp->containsGraphObject(o)) continue;
        // A copy starts at its class's line width: the isochore keeps the one it was given.
        isochores.push_back(o->copy());
        isochores.back()->setToolSizeFactor(o->getToolSizeFactor());
    }
    mIsochores.clear();
    for (CPlotView* p : {mPTViewp, mTxViewp, mPxViewp, mRhoTViewp, mRhoPViewp, mRhoXViewp,
                         mVxViewp, mRhoTxViewp, mIsochoreViewp, mBoilingViewp})
        p->purge();
    if (mShowH2OSat) showWaterSaturationCurve();
    if (mShowHLV) showSLVCurve();
    if (mShowNaClSat) showNaClSatCurve();
    if (mShowCritical) showCriticalCurve();
    showBoilingCaption();
    for (auto& o : isochores) mIsochores.push_back(mIsochoreViewp->addGraphObject(std::move(o)));
}

void MyDocument::showBoilingCaption() {
    // Nothing draws on the boiling plot: it says so, and where the panel's column is drawn,
    // rather than stand empty. The words belong to the plot, not to its data: they keep their
    // place in the plot rectangle and their lines its width as the plot is zoomed or resized.
    if (!mBoilingViewp || mBoilingViewp->getGraphObjectWithName(kBoilingCaption)) return;
    auto caption = std::make_unique<CGraphText>();
    caption->setName(kBoilingCaption);
    caption->setText("The boiling panel draws its column on the depth plot.");
    caption->setFramePosition(10, 10);
    mBoilingViewp->addGraphObject(std::move(caption));
}

void MyDocument::removeTemporaryObjects() {
    for (CPlotView* p : {mPTViewp, mPxViewp, mTxViewp, mIsochoreViewp, mRhoXViewp, mVxViewp,
                         mRhoPViewp, mRhoTViewp, mRhoTxViewp})
        if (p) p->removeGraphObjectWithKindOfName("t_");
}

void MyDocument::plotInitialPoint() {
    if (!mPTViewp) return;
    // The markers stand where the case's initial conditions are now, and only once.
    const std::pair<CPlotView*, const char*> markers[] = {
        {mPTViewp, "t_pt0"}, {mIsochoreViewp, "t_pt0"}, {mPxViewp, "t_px0"}, {mTxViewp, "t_tx0"}};
    for (auto [plot, name] : markers) {
        while (plot->getGraphObjectWithName(name)) plot->removeGraphObjectWithName(name);
        plot->setNeedsDisplay(true);
    }
    PlistValue* c = selectedCase();
    if (!c) return;
    const double T0 = caseNumber(*c, "T0"), P0 = caseNumber(*c, "P0"), X0 = caseNumber(*c, "X0");
    CGraphPoint* pt = mPTViewp->plotPoint(T0, P0, 4, Color::black());
    pt->setName("t_pt0");
    mIsochoreViewp->addGraphObject(pt->copy());
    mPxViewp->plotPoint(X0, P0, 4, Color::black())->setName("t_px0");
    mTxViewp->plotPoint(T0, X0, 4, Color::black())->setName("t_tx0");
}

double MyDocument::withoutRoundingTraces(double fraction) {
    constexpr double kBelowRounding = 1e-9;
    if (std::fabs(fraction) < kBelowRounding) return 0.0;
    if (std::fabs(fraction - 1.0) < kBelowRounding) return 1.0;
    return fraction;
}

double MyDocument::densityAt(double T, double P, double X, double guess) {
    double rho = mModel->calculateFluidDensity(T, P, 0.01 * X, guess);
    // On the halite + liquid + vapour pressure the density given picks the phases' shares. A
    // density that leaves one of the three phases a share below rounding is a state of the
    // other two, which the model places from T, P and X alone: that is the state however the
    // density came (the one a two-phase state kept in its case, or a guess from the state
    // before), so that a state shows the same phases whichever way it is reached.
    const PhaseDiagramInfo& s = mModel->state();
    if (s.region == PhaseDiagramInfo::kHaliteLiquidVapour &&
        (withoutRoundingTraces(s.haliteMassFraction) == 0 ||
         withoutRoundingTraces(s.liquidMassFraction) == 0 ||
         withoutRoundingTraces(s.vapourMassFraction) == 0)) {
        const double free = mModel->calculateFluidDensity(T, P, 0.01 * X, -1);
        if (std::isfinite(free) && free > 0 && mModel->state().region != 0)
            rho = free;
        else
            rho = mModel->calculateFluidDensity(T, P, 0.01 * X, guess);
    }
    return std::isfinite(rho) ? rho : -1;
}

void MyDocument::calculateDensities() {
    for (const char* name : kClearedResults) mForm.clear(name);
    // Without a case the state is computed all the same: what is shown belongs to it.
    PlistValue* c = selectedCase();
    mRm = densityAt(mTm, mPm, mXm, mRm);
    mState = mModel->state();
    // Why no isochore was drawn spoke of the state then; a state computed anew may have one.
    setNote(Note::Isochore, "");
    // The diagram ends at its top pressure: above it the model's rules run on beyond the
    // pressures they were made for, and the state lies outside its range like any state it
    // cannot place. What depends on the temperature alone (the saturation and three-phase
    // points) still holds.
    const bool aboveDiagram = mPm > Palliser::kDiagramMaxPressure;
    if (aboveDiagram) {
        PhaseDiagramInfo& st = mState;
        st.region = PhaseDiagramInfo::kUnclassified;
        st.density = mRm = -1;
        for (double* f : {&st.lgLiquidSalinity, &st.lgVapourSalinity, &st.lgLiquidDensity,
                          &st.lgVapourDensity, &st.haliteLiquidSalinity, &st.haliteLiquidDensity,
                          &st.haliteGasSalinity, &st.haliteGasDensity, &st.liquidMassFraction,
                          &st.haliteMassFraction, &st.vapourMassFraction,
                          &st.liquidVolumeFraction, &st.vapourVolumeFraction,
                          &st.haliteVolumeFraction})
            *f = -1;
    }
    const PhaseDiagramInfo& s = mState;
    const bool classified = s.region >= 1 && s.region <= 8;

    // A state the model could not place has no density to show or to keep.
    if (classified && mRm > 0) {
        mForm.setDouble("mRm_edit", mRm);
        mForm.setDouble("mStepRm", mRm);
        mForm.setDouble("mVolumeEdit", 1000.0 / mRm);
    } else {
        mForm.clear("mRm_edit");
        mForm.clear("mStepRm");
        mForm.clear("mVolumeEdit");
    }
    if (c) c->set("Rm", mRm);
    // A state reached by selecting or opening a case may have no density: a lock on it keeps
    // nothing and would only hold the pressure and salinity fields shut, with no field left
    // to bring the state back into the model. It comes off, as ticking it there is refused.
    Control& fix = mForm["mFixDensity"];
    if (fix.state != 0 && !(classified && mRm > 0 && std::isfinite(mRm))) {
        fix.state = 0;
        onFixDensity(&fix);
        setNote(Note::Input, formatted("Fixed density is off: the state at %.6g \u00b0C and %.6g "
                                       "bar has no density to keep.",
                                       mTm, mPm));
        mRefusedControl = fix.name;
    }
    // Blank results alone would not say why: the status line does, until a state is placed.
    if (!classified)
        setNote(Note::State,
                        formatted("The state at %.6g \u00b0C and %.6g bar ", mTm, mPm) +
                            kOutsideTheModel +
                            (aboveDiagram ? formatted(" (its pressures end at %.6g bar)",
                                                      Palliser::kDiagramMaxPressure)
                                          : std::string()) +
                            ": it has no phases or density to show.");
    else
        setNote(Note::State, "");

    Control& boxSat = mForm["mBoxSat"];
    Control& boxLG = mForm["mBoxLiqGas"];
    Control& boxSLV = mForm["mBoxLiqGasHal"];
    auto showSat = [&](double P, double rhoV, double rhoL, const char* what) {
        boxSat.hidden = false;
        boxSat.title = formatted("Saturation Properties at %.2f°C of ", mTm) + what;
        for (auto [n, v] :
             {std::pair{"mPsat", P}, {"mSatGasDensity", rhoV}, {"mSatLiqDensity", rhoL}})
            computed(v) ? mForm.setDouble(n, v) : mForm.clear(n);
    };
    if (mTm > mTcNaCl) {
        boxSat.hidden = boxLG.hidden = boxSLV.hidden = true;
    } else if (mTm >= mTtNaCl) {
        showSat(s.naclSaturationPressure, s.naclVapourDensity, s.naclLiquidDensity, "NaCl");
        boxLG.hidden = false;
        boxSLV.hidden = true;
    } else if (mTm > mTcH2O) {
        boxSat.hidden = true;
        boxLG.hidden = boxSLV.hidden = false;
    } else {
        showSat(s.waterSaturationPressure, s.waterVapourDensity, s.waterLiquidDensity, "H2O");
        boxLG.hidden = boxSLV.hidden = false;
    }
    if (mTm <= mTtNaCl) {
        boxSLV.title = formatted("Halite-Liquid-Vapour Association at %.2f°C", mTm);
        // A density the model did not compute stays blank rather than showing -1.
        for (auto [n, v] : {std::pair{"mRl_slv_edit", s.slvLiquidDensity},
                            {"mRg_slv_edit", s.slvVapourDensity},
                            {"mRh_slv_edit", s.haliteDensity}})
            computed(v) ? mForm.setDouble(n, v) : mForm.clear(n);
    }

    struct RegionRow {
        const char* label;
        bool liquid, vapour, density;
    };
    static const RegionRow kRows[] = {
        {"not classified", false, false, true}, {"liquid-gas", true, true, true},
        {"liquid-gas", true, true, true},       {"halite-liquid-gas", true, true, true},
        {"halite-gas", false, true, false},     {"halite-liquid", true, false, false},
        {"fluid", false, false, false},         {"H2O liquid-gas", true, true, true},
        {"NaCl liquid-gas", true, true, true}};
    const RegionRow& row = kRows[classified ? s.region : 0];
    mForm.setString("mPhaseAssoc", row.label);
    mForm["mGetLiquidButton"].enabled = row.liquid;
    mForm["mGetVapourButton"].enabled = row.vapour;
    // Where a density picks the phases' shares it is the state's to edit, unless Fixed density
    // holds it: a cycle never unlocks what the box locked.
    const bool densityFree =
        (row.density || onThreePhasePressure()) && mForm["mFixDensity"].state == 0;
    mForm["mRm_edit"].editable = densityFree;
    mForm["mStepRm"].enabled = densityFree;

    // Without a liquid-vapour pair the box's fields are blank, and so is what its title says
    // of the state. A pure end's pair is its saturation pair at the temperature, at its own
    // saturation pressure and without salinities (-1): it belongs to the state only on that
    // pressure.
    boxLG.title = "Liquid-Vapour Association";
    const bool pureEnd = !computed(s.lgLiquidSalinity) || !computed(s.lgVapourSalinity);
    const bool onSaturation = s.region == PhaseDiagramInfo::kWaterSaturation ||
                              s.region == PhaseDiagramInfo::kNaClSaturation;
    if (computed(s.lgLiquidDensity) && (!pureEnd || onSaturation)) {
        boxLG.title = formatted("Liquid-Vapour Association at %.2f°C and %.2f bar", mTm, mPm);
        for (auto [n, v] : {std::pair{"mRl_lv_edit", s.lgLiquidDensity},
                            {"mRg_lv_edit", s.lgVapourDensity},
                            {"mXliq", 100 * s.lgLiquidSalinity},
                            {"mXgas", 100 * s.lgVapourSalinity}})
            computed(v) ? mForm.setDouble(n, v) : mForm.clear(n);
        if (computed(s.criticalPressure)) {
            mForm.setDouble("mPcrit", s.criticalPressure);
            mForm.setDouble("mXcrit", 100 * s.criticalSalinity);
            mForm.setDouble("mRhoc_edit", s.criticalDensity);
        }
    }
    if (computed(s.haliteMassFraction)) {
        mForm.setDouble("mWtPercentH", percentShare(s.haliteMassFraction));
        mForm.setDouble("mWtPercentL", percentShare(s.liquidMassFraction));
        mForm.setDouble("mWtPercentG", percentShare(s.vapourMassFraction));
        mForm.setDouble("mLiquidVolumeFrac", percentShare(s.liquidVolumeFraction));
        mForm.setDouble("mGasVolumeFrac", percentShare(s.vapourVolumeFraction));
        mForm.setDouble("mHaliteVolumeFrac", percentShare(s.haliteVolumeFraction));
    }
    if (computed(s.slvLiquidDensity)) {
        mForm.setDouble("mRl_slv_edit", s.slvLiquidDensity);
        mForm.setDouble("mRg_slv_edit", s.slvVapourDensity);
        mForm.setDouble("mRh_slv_edit", s.haliteDensity);
        mForm.setDouble("mP_SLV", s.slvPressure);
        mForm.setDouble("mWtL_SLV", 100 * s.slvLiquidSalinity);
        mForm.setDouble("mWtV_SLV", 100 * s.slvVapourSalinity);
    }
}

bool MyDocument::onThreePhasePressure() {
    // A state placed beside the three-phase pressure as halite + liquid or halite + vapour (the
    // side a density left over from the state before chose) lies on it all the same where a
    // density of all three phases is kept there: it then picks the phases' shares.
    const PhaseDiagramInfo& s = mState;
    if (s.region != PhaseDiagramInfo::kHaliteLiquid && s.region != PhaseDiagramInfo::kHaliteVapour)
        return false;
    const double x = 0.01 * mXm, xL = s.slvLiquidSalinity, xV = s.slvVapourSalinity;
    if (!(computed(s.slvPressure) && std::fabs(mPm - s.slvPressure) <= 1e-3 * s.slvPressure &&
          computed(xV) && xL > xV && x > xV && x < 1 && computed(s.slvLiquidDensity) &&
          computed(s.slvVapourDensity) && computed(s.haliteDensity)))
        return false;
    // Halfway between the two pairs that make up x (liquid-free, and vapour- or halite-free):
    // every phase has a share.
    const double wV1 = (1 - x) / (1 - xV);
    const double wL2 = x >= xL ? (1 - x) / (1 - xL) : (x - xV) / (xL - xV);
    const double wV2 = x >= xL ? 0.0 : 1 - wL2;
    const double wL = 0.5 * wL2, wV = 0.5 * (wV1 + wV2), wH = 1 - wL - wV;
    if (!(wL > 1e-6 && wV > 1e-6 && wH > 1e-6)) return false;
    const double trial =
        1 / (wL / s.slvLiquidDensity + wV / s.slvVapourDensity + wH / s.haliteDensity);
    const bool kept = std::fabs(densityAt(mTm, mPm, mXm, trial) - trial) <= 1e-9 * trial;
    // The model's record goes back to the state shown.
    densityAt(mTm, mPm, mXm, mRm);
    return kept;
}

void MyDocument::onSetInitialConditions() {
    PlistValue* c = selectedCase();
    if (!c) return;
    c->set("T0", mTm);
    c->set("P0", mPm);
    c->set("X0", mXm);
    for (const char* n : {"mT0", "mStepT0"}) mForm.setDouble(n, mTm);
    for (const char* n : {"mP0", "mStepP0"}) mForm.setDouble(n, mPm);
    for (const char* n : {"mX0", "mStepX0", "mStepX01"}) mForm.setDouble(n, mXm);
    mListView.reloadData(caseCount());
    // The case's initial conditions changed: the document has unsaved changes, and the state
    // is now its own initial state, marked where it is.
    updateResetButton(*c);
    updateChangeCount(ChangeKind::Done);
    plotInitialPoint();
}

void MyDocument::onResetToInitialConditions() {
    PlistValue* c = selectedCase();
    if (!c) return;
    const double T0 = caseNumber(*c, "T0"), P0 = caseNumber(*c, "P0"), X0 = caseNumber(*c, "X0");
    if (densityFixed()) {
        // The pressure and salinity follow the fixed density: only the initial temperature is
        // taken, by the same route as a temperature typed.
        clearRefusal();
        mForm.setDouble("mHaliteTm", T0);
        updateControl(&mForm["mHaliteTm"]);
        if (mRefusedControl != "mHaliteTm")
            sayDensityFixed({"the reset takes only the initial temperature; untick Fixed density "
                             "to return to the initial pressure and salinity."});
        onUpdateViews();
        return;
    }
    c->set("Tm", T0);
    c->set("Pm", P0);
    c->set("Xm", X0);
    mTm = T0;
    mPm = P0;
    mXm = X0;
    mForm.setDouble("mHaliteTm", T0);
    mForm.setDouble("mHalitePm", P0);
    mForm.setDouble("mHaliteXm", X0);
    for (const char* n : {"mHaliteTm", "mHalitePm", "mHaliteXm"}) updateControl(&mForm[n]);
    onUpdateViews();
}

bool MyDocument::densityFixed() const {
    return mForm["mFixDensity"].state != 0 && mRm > 0 && std::isfinite(mRm);
}

std::string MyDocument::joined(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts) s.append(p.data(), p.size());
    return s;
}

void MyDocument::sayDensityFixed(std::initializer_list<std::string_view> what) {
    std::string said = formatted("The density is fixed at %.6g kg/m\u00b3: ", mRm);
    said.append(joined(what));
    // After a temperature refused, both are said: why the temperature stays and what else
    // was not taken.
    const std::string& refused = note(Note::Input);
    setNote(Note::Input, mRefusedControl == "mHaliteTm" && !refused.empty()
                             ? refused + " " + said
                             : said);
    if (mRefusedControl.empty()) mRefusedControl = "mFixDensity";
}

void MyDocument::onFixDensity(Control* sender) {
    Control& box = sender ? *sender : mForm["mFixDensity"];
    // What the lock refused no longer stands once it is off: the next action takes it.
    if (box.state == 0 && mRefusedControl == box.name) clearRefusal();
    if (box.state != 0 && !(mRm > 0 && std::isfinite(mRm))) {
        // A state without a density has none to keep: fixing it would only lock the pressure
        // and salinity fields on a state the model cannot place.
        box.state = 0;
        setNote(Note::Input, formatted("There is no density to fix: the state at %.6g "
                                               "\u00b0C and %.6g bar has none.",
                                               mTm, mPm));
        mRefusedControl = box.name;
    }
    const bool fixed = box.state != 0;
    for (const char* n :
         {"mHalitePm", "mStepHalitePm", "mHaliteXm", "mStepHaliteXm", "mStepHaliteXm1", "mStepRm"})
        mForm[n].enabled = !fixed;
    mForm["mRm_edit"].editable = !fixed;
}

double MyDocument::pressureKeepingDensity(double T) {
    if (mForm["mFixDensity"].state == 0 || !(mRm > 0) || !std::isfinite(mRm)) return -1;
    // The fluid keeps its density: at the new temperature its pressure is the one that gives
    // that density there, on its isochore while it is one phase, in the field of its phases
    // once it has split.
    const double P = mModel->pressureForBulkDensity(T, mPm, mRm, 0.01 * mXm);
    if (!(P > 0 && std::isfinite(P))) return 0;
    // The state shown is the one the workbench makes of (T, P, X): a three-phase state whose
    // vapour holds no more than a rounding trace of the mass (below 1 degC its pressure is
    // under 2e-5 bar) is shown as the other two phases, of another density; no state keeps it.
    const double shown = densityAt(T, P, mXm, mRm);
    return std::fabs(shown - mRm) <= 1e-6 * mRm ? P : 0;
}

double MyDocument::temperatureLeavingDiagram(double T) {
    constexpr int kHalvings = 40;  // hundreds of kelvin down to far below the digits shown
    double inside = mTm, outside = T;
    for (int i = 0; i < kHalvings; ++i) {
        const double mid = 0.5 * (inside + outside);
        const double P = pressureKeepingDensity(mid);
        (P > 0 && P <= Palliser::kDiagramMaxPressure ? inside : outside) = mid;
    }
    return outside;
}

// The salinity (wt %) and density (kg/m³) of the liquid or the vapour of the region the last
// evaluation found: the liquid-vapour pair, the three-phase pair, the liquidus, the
// halite-saturated vapour or a pure end at its saturation. False where the region has no such
// phase.
bool MyDocument::phaseOfState(bool liquid, double& s, double& rho) const {
    const PhaseDiagramInfo& st = mState;
    double x = -1, d = -1;
    switch (st.region) {
        case PhaseDiagramInfo::kLiquidVapour:
        case 2:
            x = liquid ? st.lgLiquidSalinity : st.lgVapourSalinity;
            d = liquid ? st.lgLiquidDensity : st.lgVapourDensity;
            break;
        case PhaseDiagramInfo::kHaliteLiquidVapour:
            x = liquid ? st.slvLiquidSalinity : st.slvVapourSalinity;
            d = liquid ? st.slvLiquidDensity : st.slvVapourDensity;
            break;
        case PhaseDiagramInfo::kHaliteLiquid:
            x = liquid ? st.haliteLiquidSalinity : -1;
            d = st.haliteLiquidDensity;
            break;
        case PhaseDiagramInfo::kHaliteVapour:
            x = liquid ? -1 : st.haliteGasSalinity;
            d = st.haliteGasDensity;
            break;
        case PhaseDiagramInfo::kWaterSaturation:
            x = 0;
            d = liquid ? st.waterLiquidDensity : st.waterVapourDensity;
            break;
        case PhaseDiagramInfo::kNaClSaturation:
            x = 1;
            d = liquid ? st.naclLiquidDensity : st.naclVapourDensity;
            break;
        default:
            break;
    }
    if (!std::isfinite(x) || x < 0 || x > 1) return false;
    s = 100 * x;
    rho = d;
    return true;
}

void MyDocument::takePhaseForNewCase(double s, double rho, const char* phase) {
    // Named after its source ("New liquid"), not "New" like the case it came from.
    const PlistValue* source = selectedCase();
    const std::string name = (source ? source->get("name").toString() + " " : std::string()) + phase;
    // The phase is there at the pressure the model placed the state at: on a three-phase or
    // saturation curve the curve's own, not a pressure typed beside it within a shown
    // pressure's rounding, where the liquid alone lies in the field beside the curve (below
    // the three-phase pressure, halite + vapour).
    const double P = mState.pressure;
    onAddCase();
    PlistValue* c = selectedCase();
    if (!c) return;
    c->set("name", name);
    mForm.setString("mName", name);
    if (std::isfinite(P) && P > 0 && P != mPm) {
        mPm = P;
        for (const char* key : {"P0", "Pm"}) c->set(key, P);
        for (const char* n : {"mP0", "mStepP0", "mHalitePm", "mStepHalitePm"}) mForm.setDouble(n, P);
    }
    c->set("X0", s);
    c->set("Xm", s);
    for (const char* n : {"mX0", "mStepX0", "mStepX01"}) mForm.setDouble(n, s);
    // The new case's state is the phase's: on a saturation or three-phase pressure, where a
    // density picks the phases' shares, the phase's own density makes it all that phase; off
    // them the temperature, pressure and salinity alone give its density.
    if (std::isfinite(rho) && rho > 0) {
        mRm = rho;
        c->set("Rm", rho);
    }
    mForm.setDouble("mHaliteXm", s);
    updateControl(&mForm["mHaliteXm"]);
    mListView.reloadData(caseCount());
    onUpdateViews();
    // The lock goes on with the new case, at its phase's density: said, as every lock is.
    if (densityFixed())
        sayDensityFixed({"the new case of the ", phase,
                         " keeps Fixed density at that phase's density; untick Fixed density "
                         "to change its pressure or salinity."});
}

std::string MyDocument::whyNoPhase(bool liquid) const {
    const PhaseDiagramInfo& st = mState;
    std::string why = joined({"No ", liquid ? "liquid" : "vapour", " case is made: "});
    why += formatted("at %.6g \u00b0C and ", mTm) + formatted("%.6g bar ", mPm);
    const bool pureNaCl = mXm > 99.99;
    if (liquid && st.region == PhaseDiagramInfo::kHaliteLiquid && pureNaCl &&
        computed(st.slvPressure) && mPm < st.slvPressure)
        return why + formatted("NaCl is halite alone, and no liquid coexists with halite below "
                               "the halite + liquid + vapour pressure (%.6g bar at this "
                               "temperature).",
                               st.slvPressure);
    if (liquid && st.region == PhaseDiagramInfo::kHaliteLiquid)
        return why + "the model has no halite-saturated liquid (its liquidus does not reach "
                     "this temperature and pressure).";
    return why + "the " + mForm.text("mPhaseAssoc") + " state has no " +
           (liquid ? "liquid" : "vapour") + " the model can place on its own.";
}

void MyDocument::takePhaseOrSayWhy(bool liquid) {
    double s = 0, rho = -1;
    if (phaseOfState(liquid, s, rho)) {
        takePhaseForNewCase(s, rho, liquid ? "liquid" : "vapour");
        return;
    }
    setNote(Note::Input, whyNoPhase(liquid));
    mRefusedControl = liquid ? "mGetLiquidButton" : "mGetVapourButton";
}

void MyDocument::onGetLiquid() {
    takePhaseOrSayWhy(true);
}

void MyDocument::onGetVapour() {
    takePhaseOrSayWhy(false);
}

void MyDocument::writeToLog() {
    CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
    if (!log.window().isVisible()) return;
    const PhaseDiagramInfo& s = mState;
    log.appendFormat1("Case : %s", mForm.text("mName").c_str());
    log.appendFormat1("\tInitial temperature (°C)          : %.2f ", mForm.value("mT0"));
    log.appendFormat1("\tInitial pressure (bar)            : %.2f ", mForm.value("mP0"));
    log.appendFormat1("\tInitial NaCl wt (%%)               : %.2f ", mForm.value("mX0"));
    if (s.criticalPressure >= 0) {
        log.appendFormat1("\tCritical pressure (bar)   : %.2f  (at %.2f°C)", s.criticalPressure,
                          mTm);
        log.appendFormat2("\tCritical NaCl wt (%%)      : %.4f (at %.2f°C)",
                          100 * s.criticalSalinity, mTm);
    }
    // A state that did not compute the three-phase point at its temperature (pure water
    // above its critical point) has no values for it: -1 bar and -100 wt % are no association.
    if (mTm <= 800 && computed(s.slvPressure)) {
        log.appendFormat1("Halite-liquid-gas phase association");
        log.appendFormat1("\tPressure (bar)          : %.2f (at %.2f°C)", s.slvPressure, mTm);
        log.appendFormat1("\tLiquid NaCl wt (%%)      : %.4f (at %.2f°C)",
                          100 * s.slvLiquidSalinity, mTm);
        log.appendFormat2("\tVapour NaCl wt (%%)      : %.4f (at %.2f°C)",
                          100 * s.slvVapourSalinity, mTm);
    }
    log.appendFormat1("Phase association : %s", mForm.text("mPhaseAssoc").c_str());
    if ((s.region == 1 || s.region == 2) && computed(s.lgLiquidSalinity) &&
        computed(s.lgVapourSalinity)) {
        log.appendFormat1("\tPressure (bar)     : %.2f (at %.2f°C)", mPm, mTm);
        log.appendFormat1("\tLiquid NaCl wt (%%) : %.4f", 100 * s.lgLiquidSalinity);
        log.appendFormat2("\tVapour NaCl wt (%%) : %.4f", 100 * s.lgVapourSalinity);
    }
    if (s.region == PhaseDiagramInfo::kHaliteVapour && computed(s.haliteGasSalinity))
        log.appendFormat2("\tVapour NaCl wt (%%) : %.4f", 100 * s.haliteGasSalinity);
    log.scrollToEnd();
    log.showWindow();
}

// ----- Isochore ---------------------------------------------------------------------------

void MyDocument::onCalculateTheIsochor() {
    if (!mIsochoreViewp) return;
    std::vector<double> points;
    points.reserve(100);
    mModel->calculateTheIsochor(points, 0.01 * mXm, mTm, mPm, kIsochoreEnd, mRm);
    // A single point draws nothing: no curve is added for it, and the message line says why.
    if (points.size() < 4) {
        const std::string phases = mForm.text("mPhaseAssoc");
        std::string why;
        if (!(mRm > 0) || mState.region < 1 || mState.region > 8)
            why = "the state has no density (it lies outside the range of the model).";
        else if (mState.region != PhaseDiagramInfo::kOnePhase)
            why = "the state is " + phases + ", not one phase: an isochore starts in the one-phase fluid.";
        else if (mTm < kIsochoreEnd + 1)
            why = formatted("it runs from the state down to %.6g \u00b0C, and the state lies at %.6g \u00b0C.",
                            kIsochoreEnd, mTm);
        else
            why = formatted("below %.6g \u00b0C this fluid is no longer one phase (the state lies at its "
                            "homogenisation temperature), so there is no path to trace.", mTm);
        setNote(Note::Isochore, "No isochore is drawn: " + why);
        return;
    }
    setNote(Note::Isochore, "");
    auto curve = std::make_unique<CGraphCurve>();
    for (std::size_t i = 0; i + 1 < points.size(); i += 2)
        curve->addPoint(static_cast<float>(points[i]), static_cast<float>(points[i + 1]), false);
    mIsochores.push_back(mIsochoreViewp->addGraphObject(std::move(curve)));
    mIsochoreViewp->setNeedsDisplay(true);
}

void MyDocument::onDeleteTheIsochor() {
    while (!mIsochores.empty()) {
        const CGraphObject* last = mIsochores.back();
        mIsochores.pop_back();
        if (mIsochoreViewp->containsGraphObject(last)) {
            mIsochoreViewp->removeGraphObject(last);
            mIsochoreViewp->setNeedsDisplay(true);
            return;
        }
    }
}

}  // namespace vornex
