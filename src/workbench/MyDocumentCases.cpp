// The case list: adding, duplicating, deleting and moving cases, the case table's data source
// and the restore of the selected case into the state and the plots.
#include <algorithm>
#include <cmath>

#include "workbench/MyDocument.h"
#include "platform/Utf8.h"
#include "plot/CAxisRangeWindow.h"
#include "plot/PlotServices.h"

namespace vornex {

namespace {

bool isFlagKey(const std::string& key) {
    return key.size() > 4 && (key.ends_with("logx") || key.ends_with("logy"));
}
bool isTextKey(const std::string& key) {
    return key == "name" || key == "comment";
}
bool isNumberKey(const std::string& key) {
    const auto& keys = MyDocument::caseKeys();
    return !isTextKey(key) && !isFlagKey(key) &&
           std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

void MyDocument::selectCaseRow(int row) {
    mListView.selectAndShowRow(row);
}

void MyDocument::storeRangesOf(CPlotView* plot, PlistValue& c) {
    const auto plots = caseBoundPlots();
    for (std::size_t i = 0; i < plots.size(); ++i) {
        if (plots[i] != plot) continue;
        const std::string prefix = plotPrefixes()[i];
        c.set(prefix + "minx", static_cast<double>(plot->mCurrentMinX()));
        c.set(prefix + "miny", static_cast<double>(plot->mCurrentMinY()));
        c.set(prefix + "maxx", static_cast<double>(plot->mCurrentMaxX()));
        c.set(prefix + "maxy", static_cast<double>(plot->mCurrentMaxY()));
        c.set(prefix + "logx", plot->showLogX());
        c.set(prefix + "logy", plot->showLogY());
    }
}

void MyDocument::onAddCase() {
    const int r = selectedRow();
    PlistValue c = PlistValue::dictionary();
    c.set("name", "New");
    c.set("comment", "");
    c.set("T0", mTm);
    c.set("P0", mPm);
    c.set("X0", mXm);
    c.set("Tm", mTm);
    c.set("Pm", mPm);
    c.set("Xm", mXm);
    c.set("Rm", mRm);
    c.set("TmHal", mTmHal);
    c.set("ThLiq", mThLiq);
    if (mWindowLoaded) {
        for (CPlotView* p : caseBoundPlots()) storeRangesOf(p, c);
    } else {
        for (const std::string& key : caseKeys())
            if (!c.contains(key)) c.set(key, isFlagKey(key) ? PlistValue(false) : PlistValue(0.0));
    }
    PlistValue::Array& items = *mList.mutableItems();
    const int at = r < 0 ? caseCount() : r + 1;
    items.insert(items.begin() + at, std::move(c));
    mListView.reloadData(caseCount());
    updateChangeCount(ChangeKind::Done);
    selectCaseRow(at);
}

void MyDocument::onDuplicateCase() {
    const int r = selectedRow();
    if (r < 0) return;
    PlistValue copy = mList.at(r);
    copy.set("name", copy.get("name").toString() + " - duplicated");
    PlistValue::Array& items = *mList.mutableItems();
    items.insert(items.begin() + r + 1, std::move(copy));
    mListView.reloadData(caseCount());
    selectCaseRow(r + 1);
    updateChangeCount(ChangeKind::Done);
}

void MyDocument::onDeleteCase() {
    const int r = selectedRow();
    if (r < 0) return;
    PlistValue::Array& items = *mList.mutableItems();
    items.erase(items.begin() + r);
    // The row that took the deleted case's place (or the new last one) is selected and
    // restored, so that no edit lands in a case other than the one shown.
    mListView.deselectAll();
    mListView.reloadData(caseCount());
    updateChangeCount(ChangeKind::Done);
    if (caseCount() > 0) {
        selectCaseRow(r < caseCount() ? r : caseCount() - 1);
    } else {
        // No case is left: its controls and its initial point go, the state stays for Add.
        showNoCase();
        onUpdateViews();
    }
}

void MyDocument::tableViewDeleteSelectedRow(MyTableView& view) {
    if (&view == &mListView) onDeleteCase();
}

void MyDocument::tableViewShiftDownSelectedRow(MyTableView& view) {
    const int r = selectedRow();
    if (&view != &mListView || r < 0 || r == caseCount() - 1) return;
    PlistValue::Array& items = *mList.mutableItems();
    std::swap(items[r], items[r + 1]);
    selectCaseRow(r + 1);
    mListView.reloadData(caseCount());
    updateChangeCount(ChangeKind::Done);
}

void MyDocument::tableViewShiftUpSelectedRow(MyTableView& view) {
    const int r = selectedRow();
    if (&view != &mListView || r <= 0) return;
    PlistValue::Array& items = *mList.mutableItems();
    std::swap(items[r], items[r - 1]);
    selectCaseRow(r - 1);
    mListView.reloadData(caseCount());
    updateChangeCount(ChangeKind::Done);
}

int MyDocument::numberOfRowsInTableView(const TableView& view) const {
    if (&view == &mExpTableView) return static_cast<int>(mExpDict.size());
    return &view == &mListView ? caseCount() : 0;
}

PlistValue MyDocument::tableViewObjectValue(const TableView& view, const std::string& column,
                                            int row) const {
    if (&view == &mExpTableView) {
        if (row < 0 || row >= static_cast<int>(mExpDict.size())) return {};
        const ExperimentalSet& s = mExpDict[row];
        if (column == "source") return PlistValue(s.source);
        if (column == "data") return PlistValue(s.data);
        if (column == "type") return PlistValue(s.type);
        if (column == "select") return PlistValue(s.select);
        if (column == "status")
            return PlistValue(s.available() ? std::to_string(s.P.size()) + " rows" : "unavailable");
        return {};
    }
    if (&view != &mListView || row < 0 || row >= caseCount()) return {};
    return mList.at(row).get(column);
}

bool MyDocument::keepsRangeShowable(int row, const std::string& column, double& v) {
    const auto plots = caseBoundPlots();
    static const char* const kBounds[4] = {"minx", "maxx", "miny", "maxy"};
    for (std::size_t i = 0; i < plots.size(); ++i) {
        for (int b = 0; b < 4; ++b) {
            const std::string prefix = plotPrefixes()[i];
            if (column != prefix + kBounds[b] || !plots[i]) continue;
            // A bound is taken within the plot's maximum range, and only where it leaves its
            // axis a range the plot can show: selecting the case shows what it stores.
            float m[4];
            plots[i]->getMaxXYRange(m[0], m[1], m[2], m[3]);
            const int axis = b / 2;
            v = std::clamp(v, static_cast<double>(std::min(m[2 * axis], m[2 * axis + 1])),
                           static_cast<double>(std::max(m[2 * axis], m[2 * axis + 1])));
            const double other =
                mList.items()[row].get(prefix + kBounds[b ^ 1]).toDouble(NAN);
            const float lo = static_cast<float>(b % 2 == 0 ? v : other);
            const float hi = static_cast<float>(b % 2 == 0 ? other : v);
            if (std::isfinite(other) && !(lo < hi)) {
                setNote(Note::Input, column + ": " + formatNumber(v) +
                                                 " would leave the axis no range; the case keeps " +
                                                 formatNumber(mList.items()[row].get(column).toDouble(NAN)) + ".");
                mRefusedControl = "mListView";
                return false;
            }
            return true;
        }
    }
    return true;
}

bool MyDocument::tableViewSetObjectValue(TableView& view, const PlistValue& object,
                                         const std::string& column, int row) {
    // In the experimental-data table only the tick of an available set changes.
    if (&view == &mExpTableView)
        return column == "select" && object.isNumber() &&
               selectExperimentalSet(row, object.toBool());
    if (&view != &mListView || row < 0 || row >= caseCount()) return false;
    PlistValue stored = object;
    // A refused cell says why, as a refused field does, and what the case keeps.
    const PlistValue& previous = mList.at(row).get(column);
    std::string kept = " The case keeps what it held.";
    if (previous.isNumber())
        kept = " The case keeps " +
               (isFlagKey(column) ? std::string(previous.toBool() ? "YES" : "NO")
                                  : formatForDisplay(previous.toDouble())) +
               ".";
    auto refuse = [&](const std::string& why) {
        setNote(Note::Input, why + kept);
        mRefusedControl = "mListView";
        return false;
    };
    // A number that is not finite reads as what it is ("inf", "nan"), not as an empty text.
    auto numberText = [](double v) {
        if (std::isfinite(v)) return formatNumber(v);
        return std::string(std::isnan(v) ? "nan" : v > 0 ? "inf" : "-inf");
    };
    const std::string text = object.isString()   ? object.toString()
                             : object.isNumber() ? numberText(object.toDouble())
                                                 : std::string();
    const std::string cell = "Case table, column " + column + ": \"" + text + "\"";
    if (isNumberKey(column)) {
        double v = 0;
        bool number = false;
        if (object.isString())
            number = parseNumber(text, v);
        else if (object.isNumber())
            number = std::isfinite(v = object.toDouble());
        // The state keys take what their fields take, in the fields' words.
        static const std::pair<const char*, const char*> kFieldOfKey[] = {
            {"T0", "mT0"},     {"P0", "mP0"},          {"X0", "mX0"},
            {"Tm", "mHaliteTm"}, {"Pm", "mHalitePm"},  {"Xm", "mHaliteXm"},
            {"TmHal", "mTmfi_edit"}, {"ThLiq", "mThfi_edit"}};
        for (auto [key, field] : kFieldOfKey) {
            if (column != key) continue;
            double checked = 0;
            const std::string why =
                inputLimits(field)->refusal(number ? numberText(v) : text, checked);
            if (!why.empty()) return refuse(why);
        }
        if (!number) return refuse(cell + " is not a finite number.");
        if (!keepsRangeShowable(row, column, v)) return false;
        if (row == selectedRow() && densityFixed()) {
            // The state shown keeps its density, as it does for every other control: its
            // pressure and salinity follow the density, and its temperature moves it along
            // the fluid's isochore.
            const PlistValue& shown = mList.at(row);
            const std::string fixedAt =
                "The density is fixed at " + formatForDisplay(mRm) + " kg/m\u00b3";
            if ((column == "Pm" || column == "Xm" || column == "Rm") &&
                !(shown.contains(column) && caseNumber(shown, column) == v))
                return refuse(fixedAt + ": " + cell +
                              " is not taken; only the temperature changes the state. Untick "
                              "Fixed density to change it.");
            if (column == "Tm" && v != mTm) {
                const double P = pressureKeepingDensity(v);
                if (P == 0 || P > Palliser::kDiagramMaxPressure)
                    return refuse(fixedAt + "; " +
                                  (P == 0 ? "the model finds no state of that density at " +
                                                formatForDisplay(v) + " \u00b0C."
                                          : "at " + formatForDisplay(v) + " \u00b0C it lies at " +
                                                formatForDisplay(P) + " bar, above the diagram's " +
                                                formatForDisplay(Palliser::kDiagramMaxPressure) +
                                                " bar."));
                if (P > 0) (*mList.mutableItems())[row].set("Pm", PlistValue(P));
            }
        }
        if (column == "Rm") {
            // A density is the state's only where it picks the phases' shares: elsewhere the
            // case's temperature, pressure and salinity fix it, and another one would not stay.
            const PlistValue& c = mList.at(row);
            const double T = caseNumber(c, "Tm"), P = caseNumber(c, "Pm"), X = caseNumber(c, "Xm");
            const double held = densityAt(T, P, X, v);
            if (!(std::fabs(held - v) <= 1e-9 * std::fabs(v)))
                return refuse(cell + " is not taken: " + densityOfState(T, P, X, held) + ".");
        }
        stored = PlistValue(v);
    } else if (isFlagKey(column)) {
        double v = 0;
        if (object.isNumber())
            stored = PlistValue(object.toBool());
        else if (object.isString() && parseNumber(object.toString(), v))
            stored = PlistValue(v != 0);
        else if (object.isString() && (object.toString() == "YES" || object.toString() == "NO"))
            stored = PlistValue(object.toString() == "YES");
        else
            return refuse(cell + " is no flag; it must be YES, NO or a number.");
    } else if (isTextKey(column)) {
        if (object.isNumber())
            stored = PlistValue(formatNumber(object.toDouble()));
        else if (!object.isString())
            return refuse(cell + " is no text.");
        else if (const std::string why = utf8::refusedText(text); !why.empty())
            return refuse("Case table, column " + column + ": " + why + ".");
    }
    // The cell is taken: a refusal of an earlier cell or field no longer stands.
    clearRefusal();
    PlistValue& edited = (*mList.mutableItems())[row];
    edited.set(column, std::move(stored));
    if (row != selectedRow() && (column == "Tm" || column == "Pm" || column == "Xm" ||
                                 column == "Rm")) {
        // The case's density belongs to its own state, as a selection would compute it. The
        // state shown is kept in its snapshot, not in the model's record.
        edited.set("Rm", densityAt(caseNumber(edited, "Tm"), caseNumber(edited, "Pm"),
                                   caseNumber(edited, "Xm"),
                                   edited.contains("Rm") ? caseNumber(edited, "Rm") : -1.0));
    }
    if (row == selectedRow()) {
        // The case shown: the state, the fields and the plots take the edit as a selection of
        // the case would, so that the next edit of a field does not write the old value back.
        tableViewSelectionDidChange(mListView);
        // A range the plot cannot show is kept as the plot shows it.
        const auto plots = caseBoundPlots();
        for (std::size_t i = 0; i < plots.size() && mWindowLoaded; ++i)
            for (const char* suffix : {"minx", "miny", "maxx", "maxy"})
                if (column == std::string(plotPrefixes()[i]) + suffix)
                    storeRangesOf(plots[i], *selectedCase());
    }
    updateControl(&mForm["mListView"]);
    updateChangeCount(ChangeKind::Done);
    return true;
}

void MyDocument::tableViewSelectionDidChange(const TableView& view) {
    if (&view != &mListView) return;
    PlistValue* c = selectedCase();
    if (!c) {
        showNoCase();
        return;
    }
    // The fields now show this case: what was refused in them before is no longer theirs, and
    // a case is selected.
    clearRefusal();
    forgetNoCaseNote();
    const double T0 = caseNumber(*c, "T0"), P0 = caseNumber(*c, "P0"), X0 = caseNumber(*c, "X0");
    for (const char* n : {"mT0", "mStepT0"}) mForm.setDouble(n, T0);
    for (const char* n : {"mP0", "mStepP0"}) mForm.setDouble(n, P0);
    for (const char* n : {"mX0", "mStepX0", "mStepX01"}) mForm.setDouble(n, X0);
    mForm.setString("mName", c->get("name").toString());
    mForm.setString("mComment", c->get("comment").toString());
    mTm = caseNumber(*c, "Tm");
    mPm = caseNumber(*c, "Pm");
    mXm = caseNumber(*c, "Xm");
    mRm = c->contains("Rm") ? caseNumber(*c, "Rm") : -1.0;
    mTmHal = caseNumber(*c, "TmHal");
    mThLiq = caseNumber(*c, "ThLiq");
    updateResetButton(*c);
    setStateControls();
    mForm.setDouble("mRm_edit", mRm);
    mForm.setDouble("mStepRm", mRm);
    mForm.setDouble("mTmfi_edit", mTmHal);
    mForm.setDouble("mStepTmfi", mTmHal);
    mForm.setDouble("mThfi_edit", mThLiq);
    mForm.setDouble("mStepThfi", mThLiq);
    // The inverse results belong to this case's measured temperatures. Where the case holds
    // that inclusion's salinity, its bubble at Tm goes back into the forward inputs too, so
    // that the panel shows the case's inclusion from both sides.
    double x = 0, v = NAN;
    if (showThTmResults(x, v) && std::isfinite(v) && std::fabs(100 * x - mXm) < 1e-6) {
        mForm.setDouble("mVolumeTm_edit", 100 * v);
        mForm.setDouble("mStepTmVol", 100 * v);
    }
    const auto plots = caseBoundPlots();
    // A range step recorded for another case would write into this one when undone.
    for (CPlotView* p : plots)
        if (p) mUndoManager.removeAllActions(p);
    for (std::size_t i = 0; i < plots.size() && mWindowLoaded; ++i) {
        const std::string prefix = plotPrefixes()[i];
        CPlotView* p = plots[i];
        // A range that is missing, not finite, empty or beyond the plot's maximum range (a
        // file written elsewhere or damaged) would leave a blank plot: each axis is clamped
        // to the maximum range, or falls back to the plot's default range.
        float maxRange[4], shown[4];
        p->getMaxXYRange(maxRange[0], maxRange[1], maxRange[2], maxRange[3]);
        p->getDefaultXYRange(shown[0], shown[1], shown[2], shown[3]);
        float range[4];
        const char* const suffixes[4] = {"minx", "maxx", "miny", "maxy"};
        for (int axis = 0; axis < 2; ++axis) {
            double lo = c->get(prefix + suffixes[2 * axis]).toDouble(NAN);
            double hi = c->get(prefix + suffixes[2 * axis + 1]).toDouble(NAN);
            const double maxLo = std::min(maxRange[2 * axis], maxRange[2 * axis + 1]);
            const double maxHi = std::max(maxRange[2 * axis], maxRange[2 * axis + 1]);
            if (std::isfinite(lo) && std::isfinite(hi)) {
                lo = std::clamp(lo, maxLo, maxHi);
                hi = std::clamp(hi, maxLo, maxHi);
            }
            const bool usable = std::isfinite(lo) && std::isfinite(hi) &&
                                static_cast<float>(lo) < static_cast<float>(hi);
            range[2 * axis] = usable ? static_cast<float>(lo) : shown[2 * axis];
            range[2 * axis + 1] = usable ? static_cast<float>(hi) : shown[2 * axis + 1];
        }
        p->setMCurrentMinX(range[0]);
        p->setMCurrentMaxX(range[1]);
        p->setMCurrentMinY(range[2]);
        p->setMCurrentMaxY(range[3]);
        p->setShowLogX(c->get(prefix + "logx").toBool());
        p->setShowLogY(c->get(prefix + "logy").toBool());
    }
    // A range panel on screen editing one of these plots takes it afresh under this case: it
    // shows this case's ranges and its Cancel returns to them, rather than writing the ranges
    // of the case shown before into this one.
    PlotServices& services = PlotServices::shared();
    if (mWindowLoaded && services.isAxisRangePanelVisible()) {
        CAxisRangeWindow& panel = CAxisRangeWindow::sharedAxisRangeWindowCtroller();
        if (CPlotView* edited = panel.currentPlotView();
            edited && std::find(plots.begin(), plots.end(), edited) != plots.end())
            panel.setCurrentPlotView(edited);
        services.updateAxisRangePanel();
    }
    onUpdateViews();
}

}  // namespace vornex
