// The case list and its file, the ranges each case keeps, and clicks in the plots.
#include <cmath>

#include "WorkbenchTestSupport.h"
#include "numerics/TextCapture.h"
#include "platform/KeyedArchiver.h"
#include "platform/PngPixels.h"

namespace vornex::test {
namespace {

std::vector<std::string> names(const MyDocument& d) {
    std::vector<std::string> n;
    for (const PlistValue& c : d.cases().items()) n.push_back(c.get("name").toString());
    return n;
}

TEST_F(WorkbenchTest, AddDuplicateAndMoveCases) {
    addRuns(4);  // New, Run 1 .. Run 4
    ui->selectRow(1);
    doc->updateChangeCount(ChangeKind::Cleared);
    ui->press("mAddButton");
    EXPECT_EQ(names(*doc)[2], "New");
    EXPECT_EQ(doc->listView().selectedRow(), 2);
    EXPECT_TRUE(doc->isDocumentEdited());
    doc->listView().deselectAll();
    ui->press("mAddButton");
    EXPECT_EQ(doc->listView().selectedRow(), doc->caseCount() - 1);

    ui->selectRow(1);
    ui->press("mDuplicateButton");
    EXPECT_EQ(names(*doc)[2], "Run 1 - duplicated");
    for (const std::string& k : MyDocument::caseKeys()) {
        if (k == "name") continue;
        EXPECT_EQ(caseAt(2).get(k), caseAt(1).get(k)) << k;
    }

    // Moves past either end change nothing and leave no unsaved change.
    const auto before = names(*doc);
    doc->updateChangeCount(ChangeKind::Cleared);
    ui->selectRow(doc->caseCount() - 1);
    ui->keyDownInList(keycodes::downArrow, modifiers::shift);
    ui->selectRow(0);
    ui->keyDownInList(keycodes::upArrow, modifiers::control);
    EXPECT_EQ(names(*doc), before);
    EXPECT_FALSE(doc->isDocumentEdited());
    ui->keyDownInList(keycodes::downArrow, modifiers::shift);
    EXPECT_EQ(names(*doc)[1], "New");
    EXPECT_EQ(doc->listView().selectedRow(), 1);
    EXPECT_EQ(form().text("mName"), "New");
}

// Regression: a deleted case left the selection on its successor without restoring it, and
// the next edit wrote the deleted case's state into that successor.
TEST_F(WorkbenchTest, DeleteRestoresTheCaseNowSelected) {
    addRuns(2);
    ui->type("mHaliteTm", 350);  // Run 2 at 350 degC
    ui->selectRow(1);
    ui->type("mHaliteTm", 320);  // Run 1 at 320 degC
    ui->press("mDeleteButton");
    ASSERT_EQ(names(*doc), (std::vector<std::string>{"New", "Run 2"}));
    EXPECT_EQ(doc->listView().selectedRow(), 1);
    EXPECT_EQ(doc->mTm, 350);
    ui->type("mHalitePm", 95);
    EXPECT_EQ(key(1, "Tm"), 350);
    ui->keyDownInList(keycodes::deleteBackward);  // the last row: its neighbour above
    EXPECT_EQ(doc->listView().selectedRow(), 0);
    EXPECT_EQ(doc->mTm, 300);
}

// Regression: a table edit stored the cell's text under a numeric key, later read as 0.
TEST_F(WorkbenchTest, TableEditsConvertOrRefuse) {
    EXPECT_TRUE(ui->editCell(0, "T0", PlistValue("250.5")));
    EXPECT_EQ(caseAt(0).get("T0").type(), PlistValue::Type::Real);
    EXPECT_EQ(key(0, "T0"), 250.5);
    EXPECT_EQ(form().value("mT0"), 250.5);
    EXPECT_TRUE(doc->isDocumentEdited());
    EXPECT_FALSE(ui->editCell(0, "T0", PlistValue("hot")));
    EXPECT_FALSE(ui->editCell(0, "Pm", PlistValue(std::nan(""))));
    EXPECT_EQ(key(0, "T0"), 250.5);
    EXPECT_TRUE(ui->editCell(0, "txlogy", PlistValue("YES")));
    EXPECT_TRUE(caseAt(0).get("txlogy").toBool());
    EXPECT_TRUE(ui->editCell(0, "name", PlistValue("Quartz 3")));
    EXPECT_EQ(form().text("mName"), "Quartz 3");
    EXPECT_FALSE(ui->editCell(5, "name", PlistValue("x")));
}

// Regression: an edit of the selected row stayed in the table: its field showed the old value
// and the next edit of a field wrote that back; the state and the plots ignored it.
TEST_F(WorkbenchTest, TableEditsOfTheSelectedCaseReachTheStateFieldsAndPlots) {
    addRuns(1);
    ui->selectRow(0);
    EXPECT_TRUE(ui->editCell(0, "TmHal", PlistValue(500.0)));
    EXPECT_EQ(form().value("mTmfi_edit"), 500);
    EXPECT_TRUE(ui->type("mThfi_edit", 250));
    EXPECT_EQ(key(0, "TmHal"), 500);
    EXPECT_TRUE(ui->editCell(0, "Tm", PlistValue("450")));
    EXPECT_EQ(doc->mTm, 450);
    EXPECT_EQ(form().value("mHaliteTm"), 450);
    EXPECT_TRUE(ui->editCell(0, "Xm", PlistValue(12.5)));
    EXPECT_EQ(doc->mXm, 12.5);
    EXPECT_TRUE(ui->editCell(0, "ptlogy", PlistValue("YES")));
    EXPECT_TRUE(plot("mPTViewp").showLogY());
    EXPECT_TRUE(ui->editCell(0, "comment", PlistValue("edited")));
    EXPECT_EQ(form().text("mComment"), "edited");
    // A range beyond what the plot can show is kept as the plot shows it.
    EXPECT_TRUE(ui->editCell(0, "ptmaxx", PlistValue(3e38)));
    float maxRange[4];
    plot("mPTViewp").getMaxXYRange(maxRange[0], maxRange[1], maxRange[2], maxRange[3]);
    EXPECT_EQ(plot("mPTViewp").mCurrentMaxX(), maxRange[1]);
    EXPECT_EQ(key(0, "ptmaxx"), maxRange[1]);
    EXPECT_TRUE(ui->editCell(0, "ptminx", PlistValue(100.0)));
    EXPECT_EQ(plot("mPTViewp").mCurrentMinX(), 100);
    // The edited case is what a selection of it shows; another row's edit leaves it alone.
    const PlistValue edited = caseAt(0);
    const double density = form().value("mRm_edit");
    EXPECT_TRUE(ui->editCell(1, "Tm", PlistValue(350.0)));
    EXPECT_EQ(doc->mTm, 450);
    // That row's density follows its state: selecting it changes nothing in it.
    const PlistValue other = caseAt(1);
    ui->selectRow(1);
    EXPECT_EQ(caseAt(1), other);
    EXPECT_EQ(doc->mTm, 350);
    ui->selectRow(0);
    EXPECT_EQ(caseAt(0), edited);
    EXPECT_EQ(form().value("mRm_edit"), density);
    EXPECT_EQ(doc->mXm, 12.5);
}

TEST_F(WorkbenchTest, ThreeCasesSaveAndReopenInOrder) {
    addRuns(2);
    ui->type("mComment", "second fluid");
    ui->type("mHaliteTm", 420.25);
    plot("mTxViewp").onToggleShowLogY();
    plot("mPTViewp").doChangeAxisRanges(200, 600, 10, 400);
    ASSERT_TRUE(doc->saveToFile("three.wyvra").ok());
    EXPECT_FALSE(doc->isDocumentEdited());
    IoResult read;
    auto copy = HeadlessWorkbench::openDocument("three.wyvra", &read);
    ASSERT_TRUE(copy) << read.message;
    EXPECT_EQ(copy->cases(), doc->cases());
    EXPECT_EQ(names(*copy), (std::vector<std::string>{"New", "Run 1", "Run 2"}));
    EXPECT_EQ(copy->listView().selectedRow(), 0);
    EXPECT_FALSE(copy->isDocumentEdited());
    HeadlessWorkbench(*copy).selectRow(2);
    EXPECT_EQ(copy->form().text("mComment"), "second fluid");
    EXPECT_EQ(copy->mTm, 420.25);
    EXPECT_TRUE(copy->plotNamed("mTxViewp")->showLogY());
    EXPECT_EQ(copy->plotNamed("mPTViewp")->mCurrentMaxX(), 600);
}

TEST_F(WorkbenchTest, FilesThatHoldNoCaseListAreRefused) {
    ASSERT_TRUE(doc->saveToFile("good.wyvra").ok());
    Bytes good;
    ASSERT_TRUE(readFileBytes("good.wyvra", good).ok());
    const std::vector<std::pair<const char*, Bytes>> files = {
        {"garbage", Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'a', 'r', 'c', 'h', 'i', 'v', 'e'}},
        {"truncated", Bytes(good.begin(), good.begin() + good.size() / 2)},
        {"list is a string", KeyedArchiver::archivedData(PlistValue("cases"), "list")},
        {"cases are numbers", KeyedArchiver::archivedData(PlistValue::array({1.0, 2.0}), "list")},
        {"no list", KeyedArchiver::archivedData(PlistValue::array(), "root")},
    };
    addRuns(1);
    const PlistValue before = doc->cases();
    for (const auto& [what, bytes] : files) {
        ASSERT_TRUE(writeFileAtomically("bad.wyvra", bytes).ok());
        const IoResult r = doc->readFromFile("bad.wyvra");
        EXPECT_FALSE(r.ok()) << what;
        EXPECT_NE(r.message.find("bad.wyvra"), std::string::npos) << what << ": " << r.message;
        EXPECT_EQ(doc->cases(), before) << what;
        EXPECT_TRUE(doc->isDocumentEdited()) << what;
        EXPECT_FALSE(HeadlessWorkbench::openDocument("bad.wyvra")) << what;
    }
}

TEST(WorkbenchFile, SparseCasesKeepUnknownKeysAndEmptyListsGetANewCase) {
    PlistValue sparse = PlistValue::dictionary();
    sparse.set("name", "Old");
    sparse.set("Tm", "not a number");
    sparse.set("vendor", "kept");
    ASSERT_TRUE(KeyedArchiver::archiveToFile("sparse.wyvra", PlistValue::array({sparse}), "list"));
    auto doc = HeadlessWorkbench::openDocument("sparse.wyvra");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->mTm, 0);
    EXPECT_EQ(doc->mXm, 0);
    EXPECT_EQ(doc->cases().at(0).get("vendor").toString(), "kept");
    EXPECT_EQ(doc->plotNamed("mPTViewp")->mCurrentMaxX(), 1000);  // absent range: as shown
    ASSERT_TRUE(KeyedArchiver::archiveToFile("empty.wyvra", PlistValue::array(), "list"));
    auto empty = HeadlessWorkbench::openDocument("empty.wyvra");
    ASSERT_TRUE(empty);
    ASSERT_EQ(empty->caseCount(), 1);
    EXPECT_EQ(empty->cases().at(0).get("name").toString(), "New");
}

TEST_F(WorkbenchTest, ZoomsAreKeptPerCase) {
    addRuns(1);
    plot("mIsochoreViewp").doChangeAxisRanges(150, 450, 20, 300);
    plot("mVxViewp").doChangeAxisRanges(5, 40, 0.5, 2.5);
    EXPECT_EQ(key(1, "icxmaxx"), 450);
    EXPECT_EQ(key(1, "vxminx"), 5);
    EXPECT_EQ(key(1, "vxmaxy"), 2.5);
    ui->selectRow(0);
    EXPECT_EQ(plot("mIsochoreViewp").mCurrentMaxX(), 1000);
    ui->selectRow(1);
    EXPECT_EQ(plot("mIsochoreViewp").mCurrentMinX(), 150);
    EXPECT_EQ(plot("mIsochoreViewp").mCurrentMaxY(), 300);
    // Only this document's nine case-bound plots change it.
    doc->updateChangeCount(ChangeKind::Cleared);
    plot("mIceViewp").doChangeAxisRanges(0, 20, -10, 0);
    plot("mBoilingViewp").onMaximumAxisRanges();
    auto other = HeadlessWorkbench::newDocument();
    other->plotNamed("mPTViewp")->doChangeAxisRanges(300, 500, 0, 100);
    EXPECT_FALSE(doc->isDocumentEdited());
    EXPECT_EQ(key(1, "ptminx"), 100);
}

struct Preset {
    const char* action;
    bool txlogy, pxlogx;
};

// Regression: a preset that set a log flag after the range left the previous flag in the case.
TEST_F(WorkbenchTest, PresetsStoreTheRangesAndFlagsShown) {
    const Preset presets[] = {{"onFocusToV_HL:", true, true},
                              {"onFocusToCriticalWater:", false, false},
                              {"onFocusToV_HL:", true, true},
                              {"onResetFocus:", false, false},
                              {"onFocusToNaCl:", false, false}};
    for (const Preset& p : presets) {
        ASSERT_TRUE(ui->perform(p.action));
        EXPECT_EQ(caseAt(0).get("txlogy").toBool(), p.txlogy) << p.action;
        EXPECT_EQ(caseAt(0).get("pxlogx").toBool(), p.pxlogx) << p.action;
        EXPECT_EQ(plot("mTxViewp").showLogY(), p.txlogy) << p.action;
        EXPECT_EQ(key(0, "icxmaxx"), key(0, "ptmaxx")) << p.action;
    }
    doc->performAction("onResetFocus:");
    EXPECT_EQ(key(0, "icxminx"), 100);
    EXPECT_EQ(key(0, "icxmaxy"), 500);
    doc->performAction("onZoomRhoTx3:");
    EXPECT_FLOAT_EQ(key(0, "rtxmaxy"), 2138.01f);
    // Without a selected case a preset changes the plots only.
    doc->listView().deselectAll();
    doc->updateChangeCount(ChangeKind::Cleared);
    doc->performAction("onFocusToNaCl:");
    EXPECT_FALSE(doc->isDocumentEdited());
    EXPECT_EQ(plot("mPTViewp").mCurrentMaxX(), 3500);
}

struct Click {
    const char* plot;
    double x, y;
    bool shift;
    std::vector<std::pair<const char*, double>> expected;  // case keys; empty: ignored
};

TEST_F(WorkbenchTest, PlotClicksMoveTheStateOrTheInitialPoint) {
    const Click clicks[] = {
        {"mPTViewp", 450, 150, false, {{"Tm", 450}, {"Pm", 150}}},
        {"mIsochoreViewp", 410, 150, true, {{"T0", 410}, {"P0", 150}}},
        {"mTxViewp", 500, 80, false, {{"Tm", 500}, {"Xm", 80}}},
        {"mTxViewp", 300, 80, true, {{"T0", 300}, {"X0", 80}}},
        {"mPxViewp", 8, 200, false, {{"Xm", 8}, {"Pm", 200}}},
        {"mPxViewp", 9, 210, true, {{"X0", 9}, {"P0", 210}}},
        {"mRhoTViewp", 333, 900, true, {{"Tm", 333}}},
        {"mRhoTxViewp", 344, 900, false, {{"Tm", 344}}},
        {"mRhoPViewp", 222, 900, false, {{"Pm", 222}}},
        {"mRhoXViewp", 11, 900, false, {{"Xm", 11}}},
        // Off the physical range: no pressure, negative salinity.
        {"mRhoPViewp", -0.5, 900, false, {}},
        {"mTxViewp", 400, -0.5, false, {}},
        // Outside the three-phase field at the current temperature.
        {"mVxViewp", 5, 0.5, false, {}},
        {"mIceViewp", 10, -5, false, {}},
    };
    for (const Click& c : clicks) {
        const PlistValue before = caseAt(0);
        ASSERT_TRUE(ui->clickPlot(c.plot, c.x, c.y, c.shift));
        if (c.expected.empty()) {
            EXPECT_EQ(caseAt(0), before) << c.plot << " " << c.x;
        }
        for (auto [k, v] : c.expected) EXPECT_NEAR(key(0, k), v, 1e-3 * std::fabs(v)) << c.plot;
    }
    // Inside the three-phase field at 300 degC: 45 wt %, 2 l/kg (away from its edges, where
    // a click selects the edge).
    ui->type("mHaliteTm", 300);
    doc->updateChangeCount(ChangeKind::Cleared);
    ASSERT_TRUE(ui->clickPlot("mVxViewp", 45, 2.0));
    EXPECT_TRUE(doc->isDocumentEdited());  // regression: the case changed unmarked
    EXPECT_NEAR(key(0, "Rm"), 500, 1);
    EXPECT_NEAR(key(0, "Xm"), 45, 0.01);
    EXPECT_NEAR(key(0, "Pm"), doc->stateSnapshot().slvPressure, 1e-6);
    EXPECT_EQ(doc->stateSnapshot().region, PhaseDiagramInfo::kHaliteLiquidVapour);
}

struct Pixel {
    const char* plot;
    double x, y;
};

TEST_F(WorkbenchTest, EveryPlotRendersWithItsBaseCurves) {
    for (const std::string& name : MyDocument::plotNames()) {
        EXPECT_TRUE(ui->writePlot(name, name + ".pdf").ok()) << name;
        EXPECT_TRUE(ui->writePlot(name, name + ".png").ok()) << name;
    }
    EXPECT_TRUE(ui->writePlot("mPTViewp", "pt.svg").ok());
    EXPECT_FALSE(ui->writePlot("mPTViewp", "plot.txt").ok());
    EXPECT_FALSE(ui->writePlot("mNoViewp", "plot.png").ok());
    // Where a base curve runs, its colour: the SLV curve red, the NaCl curve blue (the
    // state's phase fields, drawn over them, taken away).
    for (CPlotView* v : doc->caseBoundPlots()) v->removeGraphObjectWithKindOfName("t_");
    const auto& slv = doc->slvProperties;
    const auto& nac = doc->nacProperties;
    const Pixel pixels[] = {{"mPTViewp", slv[8 * 550], slv[8 * 550 + 1]},
                            {"mTxViewp", slv[8 * 300], slv[8 * 300 + 3]},
                            {"mRhoTViewp", nac[4 * 100], nac[4 * 100 + 2]},
                            {"mIsochoreViewp", slv[8 * 500], slv[8 * 500 + 1]},
                            {"mPxViewp", slv[8 * 400 + 3], slv[8 * 400 + 1]},
                            {"mRhoXViewp", slv[8 * 400 + 3], slv[8 * 400 + 4]},
                            {"mVxViewp", slv[8 * 400 + 3], slv[8 * 400 + 6]}};
    for (const Pixel& p : pixels) {
        ASSERT_TRUE(ui->writePlot(p.plot, "at.png").ok());
        PngPixels png("at.png");
        ASSERT_TRUE(png.ok());
        CPlotView& v = plot(p.plot);
        const Point at{v.getXValue(static_cast<float>(p.x)), v.getYValue(static_cast<float>(p.y))};
        bool coloured = false;
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy) {
                const Rgb c = png.at({at.x + dx, at.y + dy});
                coloured = coloured || (c.r > 150 && c.g < 100) || (c.b > 150 && c.r < 100);
            }
        EXPECT_TRUE(coloured) << p.plot;
    }
}

}  // namespace
}  // namespace vornex::test
