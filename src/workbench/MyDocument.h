// MyDocument: one phase-diagram workbench window without its toolkit. It holds the H2O-NaCl
// phase-diagram model, the base curves, the case list, twelve x-y plots and the ternary plot,
// the form of named controls a toolkit mirrors, and every action of the window. Each edit of
// the current state runs one cycle: the control's value goes into the state and the selected
// case, the model evaluates the state, the result fields are refilled and the state drawings
// are redrawn. Plots post to the document's own notification centre, so only this window's
// plots reach its handlers.
//
// Units: temperatures degC, pressures bar, salinities wt % NaCl in fields, cases and curve
// arrays (the NaCl mass fraction 0.01 x wt % in every model call), densities kg/m3, specific
// volumes l/kg.
#pragma once

#include <array>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "phasediagram/PalliserModel.h"
#include "platform/Color.h"
#include "platform/Menu.h"
#include "platform/NotificationCenter.h"
#include "platform/PlistValue.h"
#include "platform/UndoManager.h"
#include "plot/CDrawPlotView.h"
#include "plot/CPlotView.h"
#include "plot/CTernaryPlotView.h"
#include "plot/MyTableView.h"
#include "workbench/ExperimentalData.h"
#include "workbench/Form.h"

namespace vornex {

// How a change reaches the document's change count.
enum class ChangeKind { Done = 0, Undone = 1, Cleared = 2 };

// The tab view of the panels: item identifiers and the visible item.
struct TabView {
    std::vector<std::string> identifiers;
    int selected = 0;
    const std::string& selectedIdentifier() const { return identifiers.at(selected); }
};

class MyDocument : public MyTableViewDelegate {
   public:
    // The document file: extension and type.
    static constexpr const char* kFileExtension = "wyvra";
    static constexpr const char* kMimeType = "application/x-vornex-wyvra";
    static constexpr const char* kTypeName = "Wyvra phase-diagram document";
    // The 65 keys of a case in the order a new case holds them.
    static const std::vector<std::string>& caseKeys();
    // Plot prefixes of the case-bound plots.
    static const std::array<const char*, 9>& plotPrefixes();

    struct Options {
        // The water saturation table; traced from the water model when missing or broken.
        std::string saturationResource = "satu0";
        // The measured liquid-vapour compositions: the shipped file, then one the user may
        // install with further sets (either may be missing).
        std::vector<std::string> experimentalData = {"h2onacl/lv-isotherms.txt",
                                                     "h2onacl/lv-isotherms-user.txt"};
    };

    // init: the model and base curves, an empty case list, the defaults of the state.
    MyDocument();
    explicit MyDocument(const Options& options);
    ~MyDocument() override;
    MyDocument(const MyDocument&) = delete;
    MyDocument& operator=(const MyDocument&) = delete;

    // Builds the plots, registers for the plot notifications, draws the base curves and
    // selects the first case (or adds "New" to an empty list, leaving no unsaved change).
    void windowControllerDidLoadNib();

    // ----- Document machinery ------------------------------------------------------------
    void updateChangeCount(ChangeKind kind);
    int changeCount() const { return mChangeCount; }
    bool isDocumentEdited() const { return mChangeCount != 0; }
    const std::string& fileName() const { return mFileName; }
    UndoManager& undoManager() { return mUndoManager; }
    NotificationCenter& notificationCenter() { return mCenter; }
    // The archive of the case list under "list".
    Bytes dataOfType() const;
    // Writes the case list, whole or not at all; on success the file becomes the
    // document's and the change count is cleared.
    IoResult saveToFile(const std::string& path);
    // Replaces the case list with the one of the file. Anything but an array of
    // dictionaries under "list" is refused with the document untouched. With the window
    // built, the first case is selected and restored (or "New" added to an empty list).
    IoResult readFromFile(const std::string& path);
    IoResult readFromData(const Bytes& data);

    // ----- Model (model choice and base arrays) -------------------------------------------
    // Only type 0, the H2O-NaCl model, exists; other types change nothing and return false.
    bool changeModel(int type);
    void onSelectPalliserModel();
    int mModelType = 0;
    PalliserModel* model() const { return mModel.get(); }
    // The state record right after the last evaluation of the current state.
    const PhaseDiagramInfo& stateSnapshot() const { return mState; }
    // True when "satu0" was missing or broken (a value no saturation state has, rows out of
    // order or not running from the critical point past the triple point) and the saturation
    // curve was traced instead.
    bool tracedSaturation() const { return mTracedSaturation; }

    std::vector<double> satProperties, slvProperties, nacProperties, criProperties;
    static constexpr int _nsat = 28, _nslv = 8, _ncri = 5, _nnac = 4;
    // The last traces of the state drawings and panels: halite-liquid isopleth (T, P, rho),
    // halite-gas isopleth (T, P), halite-gas isotherm (P, wt %, rho, 1000/rho), halite-liquid
    // isotherm (P, wt %, rho), liquid-gas isotherm (P, liquid and vapour wt %, densities and
    // specific volumes), liquid and gas isopleths (T, P, rho), ice-melting curve (wt %, T).
    std::vector<double> haliteLiquidIsopleth, haliteGasIsopleth, haliteGasIsotherm,
        haliteLiquidIsotherm, liquidGasIsotherm, liquidIsopleth, gasIsopleth, iceMeltingCurve;
    // The stretches of the dew curve above the one in gasIsopleth, parted from it and from
    // each other by temperatures without a dew point (T, P, rho each).
    std::vector<std::vector<double>> gasIsoplethAbove;
    static constexpr int _nhlp = 3, _ngah = 4, _nlah = 3, _nbip = 7;
    double mPmax = 5000, mTcH2O = 0, mPcH2O = 0, mRhoH2O = 0, mTcNaCl = 3127, mPcNaCl = 355,
           mRcNaCl = 0, mPtNaCl = 0.0005, mTtNaCl = 800, mRltNaCl = 0, mRgtNaCl = 0,
           mXminNaCl = 27.83, mTslv_min = 50, mRhoHalite = Palliser::kHaliteDensity;

    // ----- Current state, inclusion inputs, flags -----------------------------------------
    double mTm = 300, mPm = 88, mXm = 30, mRm = -1;
    double mThLiq = 200, mTmHal = 170;
    bool mShowH2OSat = true, mShowNaClSat = true, mShowHLV = true, mShowHL = true, mShowHV = true,
         mShowLG = true, mShowCritical = true;
    Color mhlColor, mhgColor, mhlgColor, mlgColor;

    // ----- Window -------------------------------------------------------------------------
    Form& form() { return mForm; }
    const Form& form() const { return mForm; }
    // Plots by their variable name ("mPTViewp", ...); null for an unknown name or before
    // the window is built.
    CPlotView* plotNamed(const std::string& name) const;
    static const std::vector<std::string>& plotNames();
    CDrawPlotView* hostNamed(const std::string& name) const;
    CPlotView *mPTViewp = nullptr, *mTxViewp = nullptr, *mPxViewp = nullptr, *mRhoXViewp = nullptr,
              *mRhoTViewp = nullptr, *mRhoPViewp = nullptr, *mVxViewp = nullptr,
              *mRhoTxViewp = nullptr, *mIceViewp = nullptr, *mIsochoreViewp = nullptr,
              *mBoilingViewp = nullptr, *mDepthViewp = nullptr;
    CTernaryPlotView& ternaryView() { return *mTernaryView; }
    MyTableView& listView() { return mListView; }
    TabView& tabView() { return mTabView; }
    Menu& documentMenu() { return mMenu; }

    // Sends the named action with the control as sender (null for none); false when the
    // document has no such action. A number field whose text is refused (see acceptInput)
    // sends nothing.
    bool performAction(const std::string& action, Control* sender = nullptr);
    // The status line under the state controls: why the last input was refused, or empty.
    static constexpr const char* kStatusLine = "mStatusLine";
    // The bounds of a number field, null for a control that is no number input.
    static const InputLimits* inputLimits(const std::string& control);
    // The text on the boiling plot, which no panel draws on.
    static constexpr const char* kBoilingCaption = "boiling plot caption";
    // Checks what the user entered into a number field: a text that is not wholly a finite
    // decimal number or lies outside the field's bounds is refused; the field shows its
    // previous value again and the status line names the field and the reason.
    bool acceptInput(Control& sender);
    // Who wrote a note on the status line. The line shows every note that still stands, the
    // refusal of the last input first, so that a field left blank keeps its reason on screen
    // whatever else is said after it.
    enum class Note { Input, NoCase, DensityNotKept, State, Isochore, Inclusion, ThTm, Ice, Boiling };
    void setNote(Note source, const std::string& text);
    const std::string& note(Note source) const;
    // True while Fixed density is ticked on a state with a density: only the temperature then
    // changes the state.
    bool densityFixed() const;
    // With the density fixed: says that the action named would change the state otherwise than
    // by its temperature and so leaves it (`what` ends a sentence begun with the density).
    void sayDensityFixed(std::initializer_list<std::string_view> what);
    // The pieces of a message one after the other (built by appending: GCC 12 misreads a
    // literal added to a temporary string as an overrun of its small buffer).
    static std::string joined(std::initializer_list<std::string_view> parts);
    // The field whose input was refused last, until an input is taken; empty for none.
    const std::string& refusedControl() const { return mRefusedControl; }
    // A refusal belongs to the edit refused: another case selected, or an input taken (also
    // one that leaves a field's value as it was), clears its message and its field's mark.
    void clearRefusal();
    // What fixes the density of a state off the halite + liquid + vapour pressure: "at T and P
    // a fluid of X has rho. Only on ... shares" (rho <= 0: it has none), for a message on a
    // density that is not kept.
    static std::string densityOfState(double T, double P, double X, double rho);
    // Takes away the note that no case is selected, once one is.
    void forgetNoCaseNote();

    // ----- Cycle --------------------------------------------------------------------------
    void updateControl(Control* sender);
    void onChangeFluidParameter(Control* sender);
    void onUpdateViews();
    void onRefreshViews();
    // The drawings of the current state (isopleths, phase fields, the initial point, the
    // measured data) on the plots, from the state as last computed.
    void drawState();
    void plotInitialPoint();
    void calculateDensities();
    void onSetInitialConditions();
    void onResetToInitialConditions();
    void onFixDensity(Control* sender);
    // With the density fixed, the pressure that keeps it at temperature T: 0 when the model
    // finds none, -1 when the density is not fixed.
    double pressureKeepingDensity(double T);
    // With the density fixed and the state inside the diagram: the temperature between the
    // state's and T at which the pressure keeping the density leaves the diagram (passes its
    // top pressure or has no state).
    double temperatureLeavingDiagram(double T);
    void onGetLiquid();
    void onGetVapour();
    void writeToLog();

    // ----- Base curves --------------------------------------------------------------------
    void showWaterSaturationCurve();
    void showSLVCurve();
    void showNaClSatCurve();
    void showCriticalCurve();

    // ----- Isochore -----------------------------------------------------------------------
    void onCalculateTheIsochor();
    // Removes the last isochore still on the isochore plot.
    void onDeleteTheIsochor();

    // ----- Cases --------------------------------------------------------------------------
    const PlistValue& cases() const { return mList; }
    int caseCount() const { return static_cast<int>(mList.size()); }
    // The selected case, null when there is none.
    PlistValue* selectedCase();
    void onAddCase();
    void onDuplicateCase();
    void onDeleteCase();
    void tableViewShiftDownSelectedRow(MyTableView& view) override;
    void tableViewShiftUpSelectedRow(MyTableView& view) override;
    void tableViewDeleteSelectedRow(MyTableView& view) override;
    int numberOfRowsInTableView(const TableView& view) const;
    PlistValue tableViewObjectValue(const TableView& view, const std::string& column,
                                    int row) const;
    // A cell edit: numbers under numeric keys (text converted), flags under flag keys,
    // text under "name" and "comment". False, storing nothing, for a value that does not
    // convert or a row outside the list.
    bool tableViewSetObjectValue(TableView& view, const PlistValue& object,
                                 const std::string& column, int row);
    void tableViewSelectionDidChange(const TableView& view);

    // ----- Ranges -------------------------------------------------------------------------
    void onChangeAxis(const Notification& n);
    void onZoomRhoTx1();
    void onZoomRhoTx2();
    void onZoomRhoTx3();
    void onFocusToCriticalWater();
    void onFocusToNaCl();
    void onFocusToV_HL();
    void onResetFocus();

    // ----- Selection, tabs, toggles, menus --------------------------------------------------
    void onPlotSelection(const Notification& n);
    void tabViewDidSelectTabViewItem();
    void selectTabViewItemAtIndex(int index);
    void onGoToPTX_panel() { selectTabViewItemAtIndex(0); }
    void onGoToRho_panel() { selectTabViewItemAtIndex(1); }
    void onGoToInclusions_panel() { selectTabViewItemAtIndex(2); }
    void onGoToIce_panel() { selectTabViewItemAtIndex(3); }
    void onGoToIsochore_panel() { selectTabViewItemAtIndex(4); }
    void onToggleShowH2OSat() { toggle(mShowH2OSat); }
    void onToggleShowNaClSat() { toggle(mShowNaClSat); }
    void onToggleShowHLV() { toggle(mShowHLV); }
    void onToggleShowHL() { toggle(mShowHL); }
    void onToggleShowHV() { toggle(mShowHV); }
    void onToggleShowLG() { toggle(mShowLG); }
    void onToggleShowCritical() { toggle(mShowCritical); }
    void onShowLog();
    // Brings the experimental-data panel (the form's "mExpPanel") forward.
    void onShowExperimentalPanel();
    bool validateMenuItem(MenuItem& item);
    bool validateUserInterfaceItem(MenuItem& item);

    // ----- State drawings of the cycle ----------------------------------------------------
    // Removes the previous cycle's temporary objects, then draws the halite-liquid isopleth
    // and the halite-vapour isopleth of the current salinity (P-T and isochore plots).
    void showHaliteLiquidIsopleth();
    // The three-phase state and the halite fields at the current temperature (P-x, rho-P,
    // rho-x, V-x plots); nothing above 800 degC.
    void showHaliteLiquidGasField();
    // The liquid-vapour field and critical point at the current temperature.
    void showLiqGasCurve();
    // The fields the isobar of the current pressure crosses (T-x and rho-T plots).
    void showIsobaricLiqGasCurve();
    // The isopleth of the current salinity with its critical point and the rho-T fields.
    void showIsopleths();

    // ----- Experimental data ---------------------------------------------------------------
    // The 19 published liquid-vapour data sets: those whose rows are installed can be ticked
    // and are drawn in the P-x plot; the others are listed as unavailable.
    void createExperimentalDictionary();
    void plotExperimentalData();
    const std::vector<ExperimentalSet>& experimentalSets() const { return mExpDict; }
    TableView& experimentalTableView() { return mExpTableView; }
    // Ticks or unticks a set and redraws; false (nothing changes) for an unavailable set or
    // a row outside the list.
    bool selectExperimentalSet(int k, bool on);

    // ----- Panels --------------------------------------------------------------------------
    // Fluid inclusion: forward from salinity, bubble and halite volumes; inverse from the
    // measured Th and Tm, which the selected case keeps.
    void onCalculateInclusionProperties(Control* sender = nullptr);
    void onCalculateThTm(Control* sender = nullptr);
    // Fills the inverse results of the measured Th and Tm shown, or blanks them and says why.
    // True with the inclusion's NaCl mass fraction x and vapour fraction v at Tm (NaN when
    // halite and vapour vanish together) when the model has the inclusion.
    bool showThTmResults(double& x, double& v);
    // Ice: salinity of the H2O-NaCl-KCl brine whose ice melts at the given temperature;
    // a ternary click sets the composition; the total salinity can become the state's.
    void onCalculateIceSalinity(Control* sender = nullptr);
    void onTernaryPlotSelection(const Notification& n);
    void onAssignIceSalinity();
    // Boiling: the geotherm of a layered column against the boiling curves of its brines.
    void initBoilingPanel();
    void updateBoilingControls(Control* sender);
    void onCalculateBoiling(Control* sender = nullptr);

    // A fraction of a whole as shown: the traces of about 1e-16 that a mass balance or a solve
    // leaves where a phase or a salt is absent (or alone) are none. A share below a part in a
    // billion is 0, one that close to the whole is 1.
    static double withoutRoundingTraces(double fraction);

    // The nine plots that hold a case's ranges, in the order of plotPrefixes().
    std::array<CPlotView*, 9> caseBoundPlots() const;

   private:
    // Clamps a range bound typed into the case table to its plot's maximum range; false (with
    // a message) when it would leave the axis of that row's case an empty or reversed range.
    bool keepsRangeShowable(int row, const std::string& column, double& v);
    // The model's density (kg/m³) at T (°C), P (bar), X (wt %), starting from `guess` (a
    // two-phase state keeps a density its phases can make up); -1 where it has none.
    double densityAt(double T, double P, double X, double guess);
    // Whether the state, shown as halite + liquid or halite + vapour, lies on the three-phase
    // pressure, where a density typed picks the shares of all three phases.
    bool onThreePhasePressure();
    void showBoilingCaption();
    struct SLVPoint {
        double P = -1, xL = -1, xV = -1, rhoL = -1, rhoV = -1;
    };
    // Values at the current state from their own model calls; false where the model has
    // none (no SLV point above 800 degC, no critical point below 374.15 degC, no critical
    // temperature for the salinity).
    bool slvPointAt(double T, SLVPoint& p) const;
    bool criticalPointAt(double T, double& P, double& x, double& rho) const;
    bool criticalPointOfSalinity(double x, double& Tc, double& Pc, double& rhoc) const;
    double haliteMeltingTemperatureAt(double P) const;
    // Bubble temperature of NaCl mass fraction x at P; NaN when the solve fails.
    double bubbleTemperature(double P, double x, double Tguess) const;
    std::string brineHoldsHalite(const char* layer, double percent, double T) const;
    void buildPanelForm();
    // The top of the bubble curve of NaCl mass fraction x, at its critical temperature Tc: no
    // liquid of x boils at a higher pressure. False where the model has no bubble point there.
    struct BubbleCurveEnd {
        double T = NAN, P = NAN;
    };
    bool bubbleCurveEnd(double x, double Tc, BubbleCurveEnd& end) const;
    // Where a geotherm from (ztop, Ttop, Ptop) with the gradient first reaches the bubble
    // curve of NaCl mass fraction x (ending at `end`) down to zbottom. The column's density:
    // rhoColumn > 0 that density; 0 the bubble-point liquid integrated over the depth; < 0 at
    // each bubble point the whole column at that point's liquid density. Undetermined when a
    // solve fails.
    struct BoilingOnset {
        enum Kind { Undetermined, None, Boils } kind = Undetermined;
        double T = NAN, P = NAN, z = NAN, rho = NAN;
    };
    BoilingOnset boilingOnset(double Ttop, double ztop, double Ptop, double gradient, double x,
                              const BubbleCurveEnd& end, double rhoColumn, double zbottom) const;
    // The same for the columns of the bubble-point liquid (rhoColumn 0 or < 0), walked up the
    // bubble curve from the top's bubble temperature and liquid density.
    BoilingOnset walkedOnset(double Ttop, double ztop, double Ptop, double gradient, double x,
                             double Tboil, double rhoBoil, double zbottom,
                             const BubbleCurveEnd& end, bool integrated) const;
    // Copies the value of a field into its stepper or back, for the pair the sender is in.
    void mirrorPair(Control* sender, const char* field, const char* stepper);

    void buildForm();
    void buildActions();
    void buildMenu();
    void buildPlots();
    void toggle(bool& flag);
    bool loadSaturationTable();
    // The value of a case key as a number (0 for a missing or non-numeric value).
    static double caseNumber(const PlistValue& c, const std::string& key);
    void storeRangesOf(CPlotView* plot, PlistValue& c);
    void storeShownRanges(std::initializer_list<CPlotView*> plots);
    void setStateControls();
    // The case controls when no case is selected: blank, and the initial-condition buttons off.
    void showNoCase();
    void updateResetButton(const PlistValue& c);
    void takePhaseForNewCase(double s, double rho, const char* phase);
    bool phaseOfState(bool liquid, double& s, double& rho) const;
    // Liquid and Vapour: a new case of the state's liquid or vapour, or the message line says
    // why the state has none to place.
    void takePhaseOrSayWhy(bool liquid);
    std::string whyNoPhase(bool liquid) const;
    void removeTemporaryObjects();
    // Puts the plot's selection mark on the current state, in the plot's coordinates, and
    // shows it.
    void markState(CPlotView* plot);
    // Moves the state (or the case's initial point) to a point clicked in one of the case's
    // plots, where the click selected a point the state can take.
    void moveStateToClick(const CPlotView* plot);
    void selectCaseRow(int row);
    int selectedRow() const;

    Options mOptions;
    std::unique_ptr<PalliserModel> mModel;
    std::string mRefusedControl;
    std::map<Note, std::string> mNotes;
    PhaseDiagramInfo mState;
    bool mTracedSaturation = false;

    PlistValue mList = PlistValue::array();
    Form mForm;
    std::map<std::string, std::function<void(Control*)>> mActions;
    Menu mMenu{"Diagram"};
    TabView mTabView;
    MyTableView mListView;

    NotificationCenter mCenter;
    UndoManager mUndoManager;
    std::map<std::string, std::unique_ptr<CDrawPlotView>> mHosts;
    std::unique_ptr<CTernaryPlotView> mTernaryView;
    std::vector<const CGraphObject*> mIsochores;
    std::vector<ExperimentalSet> mExpDict;
    TableView mExpTableView;
    bool mWindowLoaded = false;

    int mChangeCount = 0;
    std::string mFileName;
};

}  // namespace vornex
