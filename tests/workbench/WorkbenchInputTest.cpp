// Refused input (number parser, physical bounds per field, table edits), the boiling column
// over a grid of surface temperatures and gradients, undo of zooms across cases, and ranges
// restored from damaged files.
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "WorkbenchTestSupport.h"
#include "platform/KeyedArchiver.h"
#include "platform/PlatformLog.h"
#include "numerics/Decimal.h"

namespace vornex::test {
namespace {

TEST(NumberParser, TakesWholeDecimalNumbersOnly) {
    const struct {
        const char* text;
        bool ok;
        double value;
    } rows[] = {
        {"12", true, 12},         {" -3.5 ", true, -3.5},     {"+.5", true, 0.5},
        {"1e3", true, 1000},      {"2.E-2", true, 0.02},      {"\xE2\x88\x92" "300", true, -300},
        {"abc", false, 0},        {"12abc", false, 0},        {"0x10", false, 0},
        {"nan", false, 0},        {"inf", false, 0},          {"-inf", false, 0},
        {"", false, 0},           {"  ", false, 0},           {".", false, 0},
        {"1e", false, 0},         {"1e400", false, 0},        {"--1", false, 0},
        {"1 2", false, 0},        {"1,5", false, 0},
    };
    // Where the point is the only decimal mark ("1,5" is one in a German locale).
    setTypedDecimalSeparator('.');
    for (const auto& r : rows) {
        double v = -12345;
        EXPECT_EQ(parseNumber(r.text, v), r.ok) << r.text;
        if (r.ok) {
            EXPECT_DOUBLE_EQ(v, r.value) << r.text;
        }
    }
    setTypedDecimalSeparator(0);
}

// Every refused text leaves the state, the case and the field's partner as they were, shows the
// previous value again and names the field in the status line.
// Numbers as a scientist writes them: six significant digits, written out in full where a
// reader expects it (no 1.88163e-05 wt %), in exponent form only far from 1.
TEST(NumberFormat, SixDigitsWrittenOutInFull) {
    const struct {
        double v;
        const char* shown;
    } rows[] = {{29.8365526174065, "29.8366"}, {1.88163e-05, "0.0000188163"}, {127.487, "127.487"},
                {1234567, "1234570"},          {999999.7, "1000000"},          {0, "0"},
                {-0.5, "-0.5"},                {300, "300"},                   {1e-9, "1e-09"},
                {5e12, "5e+12"},               {-2.5e-7, "-0.00000025"},       {0.1 + 0.2, "0.3"}};
    for (const auto& r : rows) EXPECT_EQ(formatForDisplay(r.v), r.shown) << r.v;
    // What a field shows reads back as the value to six digits.
    for (double v = 1.234567e-7; v < 1e9; v *= 7.3) {
        const std::string text = formatForDisplay(v);
        EXPECT_EQ(text.find('e'), std::string::npos) << text;
        double back = 0;
        ASSERT_TRUE(parseNumber(text, back)) << text;
        EXPECT_NEAR(back / v, 1, 5e-6) << text;
    }
    EXPECT_EQ(formatForDisplay(std::nan("")), "");
}

TEST_F(WorkbenchTest, RefusedStateInputChangesNothing) {
    const struct {
        const char* field;
        const char* text;
        const char* named;
    } rows[] = {
        {"mHaliteTm", "abc", "Temperature"},   {"mHaliteTm", "12abc", "Temperature"},
        {"mHaliteTm", "-300", "Temperature"},  {"mHaliteTm", "-273.15", "Temperature"},
        {"mHaliteTm", "1e300", "Temperature"}, {"mHaliteTm", "nan", "Temperature"},
        {"mHaliteTm", "inf", "Temperature"},   {"mHaliteTm", "0x10", "Temperature"},
        {"mHalitePm", "0", "Pressure"},        {"mHalitePm", "-1e7", "Pressure"},
        {"mHaliteXm", "150", "Salinity"},      {"mHaliteXm", "-5", "Salinity"},
        {"mT0", "-300", "Initial temperature"}, {"mP0", "-2", "Initial pressure"},
        {"mX0", "101", "Initial salinity"},    {"mStepHaliteTm", "-1000", "Temperature"},
        {"mStepX01", "100.5", "Initial salinity"},
        // Regression: pressures the model places no state at were taken (a specific volume of
        // 2.2e228 l/kg shown at 1e-226 bar).
        {"mHalitePm", "1e-226", "Pressure"},   {"mP0", "1e-5", "Initial pressure"},
    };
    const PlistValue before = caseAt(0);
    const double T = doc->mTm, P = doc->mPm, X = doc->mXm;
    const int changes = doc->changeCount();
    for (const auto& r : rows) {
        const std::string previous = form().text(r.field);
        ASSERT_TRUE(ui->type(r.field, r.text)) << r.field;
        EXPECT_EQ(form().text(r.field), previous) << r.field << ' ' << r.text;
        const std::string status = form().text(MyDocument::kStatusLine);
        EXPECT_NE(status.find(r.named), std::string::npos) << status;
        EXPECT_NE(status.find(r.text), std::string::npos) << status;
        // The allowed range and the value kept are named too, and the field is marked.
        EXPECT_NE(status.find("must"), std::string::npos) << status;
        EXPECT_NE(status.find("It stays at " + formatForDisplay(form().value(r.field))), std::string::npos) << status;
        EXPECT_EQ(doc->refusedControl(), r.field);
        EXPECT_EQ(doc->mTm, T);
        EXPECT_EQ(doc->mPm, P);
        EXPECT_EQ(doc->mXm, X);
    }
    EXPECT_EQ(caseAt(0), before);
    EXPECT_EQ(doc->changeCount(), changes);
    // An accepted value clears the message and is taken.
    ASSERT_TRUE(ui->type("mHaliteTm", " 350 "));
    EXPECT_EQ(form().text(MyDocument::kStatusLine), "");
    EXPECT_EQ(doc->refusedControl(), "");
    EXPECT_EQ(doc->mTm, 350);
    EXPECT_EQ(key(0, "Tm"), 350);
    EXPECT_EQ(form().value("mStepHaliteTm"), 350);
}

// A refusal belongs to the edit refused: selecting another case, the same case again, or the
// boiling panel's next accepted input clears its message and the mark of its field.
TEST_F(WorkbenchTest, RefusalClearedByAnotherCaseOrAnAcceptedInput) {
    ASSERT_TRUE(ui->press("mAddButton"));
    ASSERT_EQ(doc->caseCount(), 2);
    for (int row : {0, 1}) {
        ui->type("mStepHalitePm", "abc");
        ASSERT_EQ(doc->refusedControl(), "mStepHalitePm");
        ASSERT_NE(form().text(MyDocument::kStatusLine), "");
        ASSERT_TRUE(ui->selectRow(row));
        EXPECT_EQ(doc->refusedControl(), "") << row;
        EXPECT_EQ(form().text(MyDocument::kStatusLine), "") << row;
    }
    ui->type("mBoilStepRho3", "0");
    ASSERT_EQ(doc->refusedControl(), "mBoilStepRho3");
    ui->type("mBoilStepRho3", "2600");
    EXPECT_EQ(doc->refusedControl(), "");
    EXPECT_EQ(form().text(MyDocument::kStatusLine), "");
    EXPECT_EQ(form().value("mBoilRho3"), 2600);
    // A state the model does not place still says so after the selection.
    ui->type("mHaliteTm", "5000");
    ui->type("mStepHalitePm", "abc");
    ASSERT_TRUE(ui->selectRow(1));
    EXPECT_NE(form().text(MyDocument::kStatusLine).find("outside the range of the model"), std::string::npos)
        << form().text(MyDocument::kStatusLine);
}

// A name or comment the document file cannot hold (bytes that are not UTF-8, a zero
// character) is refused where it is typed or edited, saying why: taken, it would make every
// later save of the document fail. Text of any language is taken and saved as typed.
TEST_F(WorkbenchTest, TextAFileCannotHoldIsRefusedAndTheDocumentStillSaves) {
    const std::string kept = "Halit\xC3\xA9 \xF0\x9F\x92\xA7 \"30 %\" <a\\b>";
    ASSERT_TRUE(ui->type("mName", kept));
    ASSERT_TRUE(ui->type("mComment", "brine \xE2\x88\x92 vapour"));
    const std::string nul("in\0side", 7);
    for (const auto& [control, text] : {std::pair<std::string, std::string>{"mName", "bad \xFF\xFE"},
                                        {"mComment", "cut \xC3"},
                                        {"mName", nul}}) {
        ui->type(control, text);
        EXPECT_EQ(doc->refusedControl(), control) << control;
        EXPECT_NE(form().text(MyDocument::kStatusLine).find("is not taken"), std::string::npos)
            << form().text(MyDocument::kStatusLine);
    }
    EXPECT_EQ(caseAt(0).get("name").toString(), kept);
    EXPECT_EQ(form().text("mName"), kept);
    EXPECT_EQ(caseAt(0).get("comment").toString(), "brine \xE2\x88\x92 vapour");
    EXPECT_FALSE(ui->editCell(0, "comment", PlistValue("\xE9t\xE9")));
    EXPECT_FALSE(ui->editCell(0, "name", PlistValue(nul)));
    EXPECT_EQ(doc->refusedControl(), "mListView");
    EXPECT_EQ(caseAt(0).get("name").toString(), kept);

    const std::string path = ::testing::TempDir() + "text-kept.vxd";
    const IoResult saved = doc->saveToFile(path);
    ASSERT_TRUE(saved.ok()) << saved.message;
    IoResult opened;
    const auto back = HeadlessWorkbench::openDocument(path, &opened);
    ASSERT_TRUE(back) << opened.message;
    EXPECT_EQ(back->cases().at(0).get("name").toString(), kept);
    EXPECT_EQ(back->cases().at(0).get("comment").toString(), "brine \xE2\x88\x92 vapour");
    std::remove(path.c_str());
}

TEST_F(WorkbenchTest, PanelFieldsAndTableEditsKeepTheirBounds) {
    const struct {
        const char* field;
        const char* text;
    } refused[] = {{"mInclusionNaCl", "120"}, {"mVolumeTm_edit", "100"}, {"mThfi_edit", "-400"},
                   {"mIceRatio", "-1"},       {"mBoilP0", "0"},          {"mBoilH10", "-5"},
                   {"mBoilNaCl2", "100"},     {"mBoilRho3", "abc"},      {"mBoilT0", "-274"}};
    for (const auto& r : refused) {
        const std::string previous = form().text(r.field);
        ui->type(r.field, r.text);
        EXPECT_EQ(form().text(r.field), previous) << r.field;
        EXPECT_NE(form().text(MyDocument::kStatusLine), "") << r.field;
    }
    EXPECT_EQ(form().value("mBoilP0"), 1);
    EXPECT_EQ(doc->mXm, 30);
    // The case table refuses what the fields refuse, for the same keys.
    TableView& list = doc->listView();
    EXPECT_FALSE(doc->tableViewSetObjectValue(list, PlistValue("-300"), "T0", 0));
    EXPECT_FALSE(doc->tableViewSetObjectValue(list, PlistValue(150.0), "Xm", 0));
    EXPECT_FALSE(doc->tableViewSetObjectValue(list, PlistValue(0.0), "Pm", 0));
    EXPECT_EQ(key(0, "T0"), 300);
    EXPECT_TRUE(doc->tableViewSetObjectValue(list, PlistValue("-20"), "T0", 0));
    EXPECT_EQ(key(0, "T0"), -20);
    EXPECT_FALSE(doc->tableViewSetObjectValue(list, PlistValue(1e-226), "Pm", 0));
    // Regression: a subnormal density put an infinite specific volume into its field.
    ui->type("mHaliteTm", 500);
    ui->type("mHalitePm", 400);
    ui->type("mHaliteXm", 30);
    ASSERT_TRUE(form()["mRm_edit"].editable);
    const std::string volume = form().text("mVolumeEdit");
    ui->type("mRm_edit", "1e-310");
    EXPECT_NE(form().text(MyDocument::kStatusLine).find("Density"), std::string::npos);
    EXPECT_EQ(form().text("mVolumeEdit"), volume);
    for (const std::string& name : form().names())
        if (form()[name].holdsNumber()) {
            EXPECT_TRUE(std::isfinite(form()[name].value)) << name;
        }
}

// A grid of surface temperatures and upper-layer gradients: every column shown is physically
// possible. A layer shown as not boiling is below its brine's bubble temperature at its bottom;
// a boiling zone lies within its layer and starts at the top when the top is already hot enough.
TEST_F(WorkbenchTest, BoilingColumnIsPossibleOverAGridOfGeotherms) {
    const LogSink previous = setLogSink([](const std::string&) {});
    PalliserModel& model = *doc->model();
    const double H0 = 10, H10 = 200, x2 = 0.03;
    int boiling = 0, still = 0;
    for (double T0 : {0.0, 20.0, 60.0, 99.0, 120.0, 150.0, 250.0}) {
        for (double g : {0.0, 0.1, 0.45, 1.5, 3.0}) {
            doc->initBoilingPanel();
            ui->type("mBoilT0", T0);
            ui->type("mBoildTdz1", g);
            SCOPED_TRACE(::testing::Message() << "T0 " << T0 << " dTdz1 " << g);
            const auto v = [&](const char* n) { return form().value(n); };
            ASSERT_NE(form().text("mBoilH1"), "");  // determined everywhere on this grid
            EXPECT_GE(v("mBoilH1"), 0);
            EXPECT_GE(v("mBoilH2"), 0);
            EXPECT_NEAR(v("mBoilH1") + v("mBoilH2"), H10, 1e-9);
            EXPECT_GE(v("mBoilzBot1"), v("mBoilzTop1"));
            const double T1 = T0 + g * H10;
            double Tb = -1, xV = 0, rl = 0, rv = 0;
            if (v("mBoilH2") == 0) {
                ++still;
                EXPECT_EQ(form().text("mBoilTtop2"), "");
                // Not boiling: the bottom of the layer is below its bubble temperature.
                model.calculateBubblePointFromP(v("mBoilPbot2"), x2, Tb, xV, rl, rv, 150);
                ASSERT_FALSE(model.failed);
                EXPECT_LT(T1, Tb);
                EXPECT_EQ(v("mBoilTbot2"), T1);
            } else {
                ++boiling;
                EXPECT_GE(v("mBoilzTop2"), H0);
                EXPECT_LE(v("mBoilzTop2"), H0 + H10);
                // Below the onset the brine is on its boiling curve.
                model.calculateBubblePointFromP(v("mBoilPbot2"), x2, Tb, xV, rl, rv, 150);
                EXPECT_NEAR(v("mBoilTbot2"), Tb, 1e-3);
                model.calculateBubblePointFromP(v("mBoilPtop2"), x2, Tb, xV, rl, rv, 100);
                EXPECT_NEAR(v("mBoilTtop2"), Tb, 1e-3);
                model.calculateBubblePointFromP(1.0, x2, Tb, xV, rl, rv, 100);
                if (T0 >= Tb) {
                    EXPECT_EQ(v("mBoilzTop2"), H0);
                }
            }
        }
    }
    EXPECT_GT(boiling, 5);
    EXPECT_GT(still, 5);
    setLogSink(previous);
}

// A zoom recorded in one case is not undone into another, and undo takes its change back.
TEST_F(WorkbenchTest, UndoOfAZoomStaysInItsCase) {
    ui->press("mAddButton");  // case 1 = "B"
    CPlotView& pt = plot("mPTViewp");
    const int clean = doc->changeCount();
    pt.doChangeAxisRanges(150, 250, 0, 500);
    EXPECT_EQ(doc->changeCount(), clean + 1);
    ASSERT_TRUE(doc->undoManager().undo());
    EXPECT_EQ(key(1, "ptminx"), 100);
    EXPECT_EQ(doc->changeCount(), clean);
    ASSERT_TRUE(doc->undoManager().redo());
    EXPECT_EQ(key(1, "ptminx"), 150);
    EXPECT_EQ(doc->changeCount(), clean + 1);
    ui->selectRow(0);  // "A"
    pt.doChangeAxisRanges(300, 400, 0, 500);
    EXPECT_EQ(key(0, "ptminx"), 300);
    ui->selectRow(1);
    EXPECT_EQ(pt.mCurrentMinX(), 150);
    doc->undoManager().undo();
    EXPECT_EQ(pt.mCurrentMinX(), 150);
    EXPECT_EQ(key(1, "ptminx"), 150);
    EXPECT_EQ(key(0, "ptminx"), 300);
}

TEST_F(WorkbenchTest, DamagedRangesOpenOnAVisiblePlot) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double minx, maxx;
        float wantMin, wantMax;
    } rows[] = {
        {nan, nan, 100, 1000},    {0, 0, 100, 1000},         {1e308, -1e308, 100, 1000},
        {-1e308, 1e308, 100, 4000}, {500, 300, 100, 1000},   {200, 1e9, 200, 4000},
    };
    for (const auto& r : rows) {
        PlistValue list = PlistValue::array({caseAt(0)});
        PlistValue& c = (*list.mutableItems())[0];
        c.set("ptminx", r.minx);
        c.set("ptmaxx", r.maxx);
        ASSERT_TRUE(doc->readFromData(KeyedArchiver::archivedData(list, "list")).ok());
        CPlotView& pt = plot("mPTViewp");
        EXPECT_EQ(pt.mCurrentMinX(), r.wantMin) << r.minx << ' ' << r.maxx;
        EXPECT_EQ(pt.mCurrentMaxX(), r.wantMax) << r.minx << ' ' << r.maxx;
        EXPECT_EQ(pt.mCurrentMaxY(), 500);
    }
}

// The range presets are commands of the document menu, so the window offers them.
TEST_F(WorkbenchTest, RangePresetsAreItemsOfTheDiagramMenu) {
    const struct {
        const char* action;
        const char* plot;
        float maxX;
    } rows[] = {{"onZoomRhoTx1:", "mRhoTxViewp", 800},  {"onZoomRhoTx2:", "mRhoTxViewp", 1000},
                {"onZoomRhoTx3:", "mRhoTxViewp", 3200}, {"onFocusToCriticalWater:", "mPTViewp", 400},
                {"onFocusToNaCl:", "mPTViewp", 3500},   {"onFocusToV_HL:", "mPTViewp", 1200},
                {"onResetFocus:", "mPTViewp", 1000}};
    Menu& menu = doc->documentMenu();
    for (const auto& r : rows) {
        int found = -1;
        for (std::size_t i = 0; i < menu.size(); ++i)
            if (menu.item(i).actionName() == r.action) found = static_cast<int>(i);
        ASSERT_GE(found, 0) << r.action;
        EXPECT_FALSE(menu.item(found).title().empty()) << r.action;
        ASSERT_TRUE(menu.performItem(static_cast<std::size_t>(found))) << r.action;
        EXPECT_EQ(plot(r.plot).mCurrentMaxX(), r.maxX) << r.action;
    }
}

}  // namespace
}  // namespace vornex::test
