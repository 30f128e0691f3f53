#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "numerics/CallbackProbe.h"
#include "numerics/DataTextFile.h"
#include "numerics/IgorText.h"
#include "numerics/MsgList.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
using Rows = std::vector<std::vector<double>>;

class ColumnTables : public testing::Test {
   protected:
    static void write(const char* file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }
    static std::unique_ptr<DataTextFile> open(const char* file, const std::string& text) {
        write(file, text);
        return std::make_unique<DataTextFile>(file);
    }
    // Every remaining row of the selected columns, extracted in selection order.
    static Rows rowsOf(DataTextFile& table) {
        Rows out;
        while (table.read()) {
            std::vector<double> row(table.selected);
            for (double& v : row) table >> v;
            out.push_back(row);
        }
        return out;
    }
    static Rows select(const char* file, const std::string& text, const char* names) {
        auto table = open(file, text);
        EXPECT_GT(table->set_index(names), 0);
        return rowsOf(*table);
    }
};

TEST_F(ColumnTables, RowsOfTheSelectedColumns) {
    const struct {
        const char *file, *text, *names;
        Rows rows;
    } cases[] = {
        {"t.itx", "IGOR\nWAVES /D T P\nBEGIN\n300 1\n310 2\nEND\n", "P T", {{1, 300}, {2, 310}}},
        {"t.txt", "T\tP  x\n1 2 3\n4 5 6\nEND\n7 8 9\n", "T P x", {{1, 2, 3}, {4, 5, 6}}},
        // Missing values, and a word that is no number, are infinite.
        {"t.txt", "a b c\nNaN 2 nan\n1 -- 3\n", "a b c", {{kInf, 2, kInf}, {1, kInf, 3}}},
        // Regression: a short row kept the values of the previous one.
        {"t.txt", "a b c\n1 2 3\n4\n5 6 7\n", "a b c", {{1, 2, 3}, {4, kInf, kInf}, {5, 6, 7}}},
    };
    for (const auto& c : cases) EXPECT_EQ(select(c.file, c.text, c.names), c.rows) << c.text;
    write("t.txt", "a b c\nNaN 2 nan\n");
    DataTextFile gaps("t.txt");
    ASSERT_EQ(gaps.read(), 1);
    EXPECT_EQ(gaps.present, (std::vector<int16_t>{0, 1, 0}));
}

// strtod takes the number a word starts with: "300,5" and "300abc" were read as 300, "0x12C"
// as 300 and "30" followed by a zero character as 30. A number is the whole word, in decimal.
TEST_F(ColumnTables, ANumberIsTheWholeWordInDecimal) {
    const std::string text = std::string("T P\n300abc 0x12C\n30") + '\0' + " 1e-320\n-2.5E+2 inf\n";
    std::string said;
    Rows rows;
    said = test::stderrOf([&] { rows = select("w.txt", text, "T P"); });
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::vector<double>{kInf, kInf}));
    EXPECT_EQ(rows[1][0], kInf);
    EXPECT_GT(rows[1][1], 0.0);  // a number below the normal range is still a number
    EXPECT_EQ(rows[2], (std::vector<double>{-250.0, kInf}));
    EXPECT_EQ(said, "");
}

// Words that start with a number and go on ("1.2.3", "2e", "5-3", "300-", "1e5e2") were read
// as the number they start with wherever strtod stopped; a number beyond the range of
// doubles ("1e999", "-1e400") was read as a present infinity where every other reader of a
// table finds none. Both are missing; numbers below the normal range, and at its ends, stay.
TEST_F(ColumnTables, WordsBeyondANumberOrBeyondTheRangeOfDoublesAreMissing) {
    const std::string text =
        "a b c d e\n1.2.3 2e 5-3 300- 1e5e2\n1e999 -1e400 1.7976931348623157e308 4.9e-324 "
        "1e-400\n";
    Rows rows;
    const std::string said = test::stderrOf([&] { rows = select("w.txt", text, "a b c d e"); });
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<double>(5, kInf)));
    EXPECT_EQ(rows[1][0], kInf);
    EXPECT_EQ(rows[1][1], kInf);
    EXPECT_EQ(rows[1][2], std::numeric_limits<double>::max());
    EXPECT_EQ(rows[1][3], std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(rows[1][4], 0.0);
    DataTextFile table("w.txt");
    ASSERT_EQ(table.read(), 1);
    EXPECT_EQ(table.present, (std::vector<int16_t>(5, 0)));
    ASSERT_EQ(table.read(), 1);
    EXPECT_EQ(table.present, (std::vector<int16_t>{0, 0, 1, 1, 1}));
    EXPECT_EQ(said, "");
}

// A table written with decimal commas was read cut short without a word; now its numbers are
// missing and the first is reported with the file and its line.
TEST_F(ColumnTables, ADecimalCommaIsReportedWithTheFileAndLine) {
    std::string said;
    Rows rows;
    said = test::stderrOf([&] {
        rows = select("comma.itx", "IGOR\nWAVES T P\nBEGIN\n300 1\n300,5 2,25\n1,5e3 4\nEND\n",
                      "T P");
    });
    EXPECT_EQ(rows, (Rows{{300, 1}, {kInf, kInf}, {kInf, 4}}));
    EXPECT_NE(said.find("comma.itx, line 5: \"300,5\""), std::string::npos) << said;
    EXPECT_NE(said.find("decimal comma"), std::string::npos) << said;
    EXPECT_EQ(said.find("line 6"), std::string::npos) << "once for the file: " << said;
    // A comma that is not a decimal one is no number and is not called one.
    said = test::stderrOf([&] { rows = select("list.txt", "a\n1,2,3\n,5\n", "a"); });
    EXPECT_EQ(rows, (Rows{{kInf}, {kInf}}));
    EXPECT_EQ(said, "");
}

TEST_F(ColumnTables, SelectionsAccumulateAndStopAtAnUnknownName) {
    auto table = open("t.txt", "x P T\n1 2 3\n4 5 6\n");
    EXPECT_EQ(table->set_index("T P"), 2);
    EXPECT_EQ(table->set_index("x"), 1);
    EXPECT_EQ(rowsOf(*table), (Rows{{3, 2, 1}, {6, 5, 4}}));
    DataTextFile other("t.txt");
    EXPECT_EQ(other.set_index("P Fv T"), -1);
    EXPECT_EQ(rowsOf(other), (Rows{{2}, {5}}));  // P stays selected
}

TEST_F(ColumnTables, CountItemsKeepsTheReadPosition) {
    auto table = open("t.itx", "IGOR\nWAVES T\nBEGIN\n1\n2\n3\nEND\nx rename T, T_a\n");
    table->set_index("T");
    ASSERT_EQ(table->read(), 1);
    table->count_items();
    EXPECT_EQ(table->rows, 2);
    EXPECT_EQ(rowsOf(*table), (Rows{{2}, {3}}));
}

TEST_F(ColumnTables, IgorHeaderAccumulatesWaves) {
    write("t.itx",
          "IGOR\nx SetScale x 0,1, T\nWAVES/D T\nWAVES\tP x1\nX note\nBEGIN\n1 2 3\nEND\n");
    DataTextFile table("t.itx");
    EXPECT_EQ(table.columns, 3);
    table.set_index("x1 T");
    EXPECT_EQ(rowsOf(table), (Rows{{3, 1}}));
}

TEST_F(ColumnTables, TruncatedOrEmptyFilesHaveNoRows) {
    auto table = open("t.itx", "IGOR\nWAVES T P\n");
    EXPECT_EQ(table->columns, 2);
    EXPECT_EQ(table->read(), 0);
    auto empty = open("empty->txt", "");
    EXPECT_EQ(empty->set_index("T"), -1);
    EXPECT_EQ(empty->read(), 0);
}

TEST_F(ColumnTables, ShortTargetTruncatesTowardZero) {
    auto table = open("t.txt", "n m k\n-2.7 3.9 NaN\n");
    table->set_index("n m k");
    ASSERT_EQ(table->read(), 1);
    short n = 0, m = 0, k = 11;
    *table >> n >> m >> k;
    EXPECT_EQ(n * 100 + m, -197);
    EXPECT_EQ(k, 11);  // a missing value does not fit a short: left unchanged
}

TEST_F(ColumnTables, IgorTextWrittenThenReadBack) {
    const Rows points = {
        {273.15, 1.01325, -0.5}, {647.096, 220.64, 1e-300}, {1e6, 1.2345678901e-5, 42}};
    std::FILE* out = std::fopen("round.itx", "w");
    ASSERT_NE(out, nullptr);
    writeIgorHeader(out, "T_a\tP_a x_a");
    for (const auto& p : points) writeIgorRow(out, p);
    writeIgorRow(out, std::vector<double>{1, std::nan(""), kInf});
    writeIgorEnd(out);
    writeIgorCommand(out, "rename T_a, T_b");
    std::fclose(out);

    testing::internal::CaptureStdout();
    DataTextFile table("round.itx");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // commands after END are no header
    table.set_index("T_a P_a x_a");
    Rows rows = rowsOf(table);
    ASSERT_EQ(rows.size(), 4u);
    for (size_t i = 0; i < points.size(); ++i)
        for (size_t j = 0; j < 3; ++j)
            EXPECT_NEAR(rows[i][j], points[i][j], 1e-10 * std::fabs(points[i][j]));
    EXPECT_EQ(table.present, (std::vector<int16_t>{1, 0, 0}));
}

// Past the old 16-bit limits, with long names and long numbers: counts stopped at 32,767.
TEST_F(ColumnTables, FortyThousandLongColumnsAreAllNamedAndRead) {
    std::string header, row, name = "column_with_a_rather_long_name_";
    for (int i = 0; i < 40000; ++i) {
        header += name + std::to_string(i) + " ";
        row += std::to_string(i) + "." + std::string(i % 100 == 7 ? 80 : 0, '0') + "1 ";
    }
    auto table = open("t.txt", header + "\n" + row + "\n");
    EXPECT_EQ(table->columns, 40000);
    EXPECT_EQ(table->set_index((name + "39999 " + name + "32768 " + name + "7").c_str()), 3);
    EXPECT_EQ(rowsOf(*table), (Rows{{39999.1, 32768.1, 7}}));
}

TEST_F(ColumnTables, FortyThousandRowsAreCountedAndRead) {
    std::string text = "n\n";
    for (int i = 0; i < 40000; ++i) text += std::to_string(i) + "\n";
    auto table = open("long.txt", text);
    table->count_items();
    EXPECT_EQ(table->rows, 40000);
    table->set_index("n");
    auto rows = rowsOf(*table);
    ASSERT_EQ(rows.size(), 40000u);
    EXPECT_EQ(rows.back()[0], 39999);
}

// CR-only files read as one header line; a last line without its end was lost.
TEST_F(ColumnTables, CrAndLfAndCrLfEndALineAlikeAndAByteOrderMarkIsNoText) {
    for (const char* text : {
             "T P\r300 1\r\r310 2\r",                          // CR only, a blank line
             "T P\r\n300 1\r\n\n \t \n310 2",                  // separators only, no last end
             "IGOR\rWAVES/D T P\rBEGIN\r300 1\r310 2\rEND\r",  // Igor text with CR
             "IGOR\r\nWAVES/D T P\r\nBEGIN\r\n300 1\r\n310 2",
             // A UTF-8 byte-order mark, which editors put before the text, is none of it.
             "\xEF\xBB\xBFT P\r\n300 1\r\n310 2\r\n",
             "\xEF\xBB\xBFIGOR\r\nWAVES/D T P\r\nBEGIN\r\n300 1\r\n310 2\r\nEND\r\n",
         }) {
        auto table = open("ends.txt", text);
        EXPECT_EQ(table->columns, 2) << text;
        table->count_items();
        EXPECT_EQ(table->rows, 2) << text;
        EXPECT_EQ(table->set_index("T P"), 2);
        EXPECT_EQ(rowsOf(*table), (Rows{{300, 1}, {310, 2}})) << text;
    }
}

// The column tables this library writes name their columns on a comment line, "#" or "# #"
// before the names: the "#" was taken for the first column's name and every value read one
// column to the left of its name (P(1) read the liquid volume, T(4) the energy). Comment
// lines are no rows, before or among them.
TEST_F(ColumnTables, CommentMarksBeforeTheNamesAreNoColumnAndCommentsNoRows) {
    const struct {
        const char* text;
        int columns;
    } cases[] = {
        {"#        P(1)        Vl(2)         T(3)\n  220.64  55.948  647.096\n  220.37  50.347 "
         "646.996\n",
         3},
        {"# # T(1) P(2)\n647.096 220.64\n646.996 220.37\n", 2},
        {"#T(1)\tP(2)\r\n647.096 220.64\r\n# a comment among the rows\r\n646.996 220.37\r\n", 2},
        // Comment lines before a line of names are comments only.
        {"# isotherm of water\n# at 300 K\nT(1) P(2)\n647.096 220.64\n646.996 220.37\nEND\n", 2},
        // A comment line of its own above the one that names the columns.
        {"# isotherm of water\n# T(1) P(2)\n\n647.096 220.64\n646.996 220.37\n", 2},
        {"\xEF\xBB\xBF# T(1) P(2)\nNaN 220.64\n646.996 220.37\n", 2},
        // A first row that printf opened with a number that is none.
        {"# T(1) P(2)\n-nan 220.64\n646.996 220.37\n", 2},
        {"# T(1) P(2)\ninf 220.64\n646.996 220.37\n", 2},
    };
    for (const auto& c : cases) {
        auto table = open("own.txt", c.text);
        EXPECT_EQ(table->columns, c.columns) << c.text;
        table->count_items();
        EXPECT_EQ(table->rows, 2) << c.text;
        const bool numbered = std::string(c.text).find("P(1)") != std::string::npos;
        ASSERT_EQ(table->set_index(numbered ? "T(3) P(1)" : "T(1) P(2)"), 2) << c.text;
        const Rows rows = rowsOf(*table);
        ASSERT_EQ(rows.size(), 2u) << c.text;
        EXPECT_EQ(rows[1], (std::vector<double>{646.996, 220.37})) << c.text;
        EXPECT_EQ(rows[0][1], 220.64) << c.text;
    }
    // An Igor command line among the rows is no row either: read() returned it as a row of
    // missing values, which count_items() did not count.
    auto commands = open("x.txt", "T P\n300 1\nx SetScale x 0,1, T\n310 2\n");
    commands->count_items();
    EXPECT_EQ(commands->rows, 2);
    commands->set_index("T P");
    EXPECT_EQ(rowsOf(*commands), (Rows{{300, 1}, {310, 2}}));
    // Comments alone name the columns of a table without rows.
    auto none = open("none.txt", "# T P\n");
    EXPECT_EQ(none->columns, 2);
    EXPECT_EQ(none->read(), 0);
}

// A comment of marks alone between the names and the rows ("#", "# ", a ruler of "#") took
// the names' place: the first row became the column names, or the table had none.
TEST_F(ColumnTables, ACommentOfMarksAloneLeavesTheNamesAboveIt) {
    for (const char* text : {"# T P\n#\n300 1\n310 2\n", "# T P\n# \t\n300 1\n310 2\n",
                             "# measured 2024\n# T P\n##########\n\n300 1\n310 2\n"}) {
        auto table = open("marks.txt", text);
        EXPECT_EQ(table->columns, 2) << text;
        table->count_items();
        EXPECT_EQ(table->rows, 2) << text;
        ASSERT_EQ(table->set_index("T P"), 2) << text;
        EXPECT_EQ(rowsOf(*table), (Rows{{300, 1}, {310, 2}})) << text;
    }
    // The first row read again after the comments keeps its own line number in a notice.
    const std::string said = test::stderrOf([&] {
        EXPECT_EQ(select("late.txt", "# T P\n\n\n300,5 1\n", "T P"), (Rows{{kInf, 1}}));
    });
    EXPECT_NE(said.find("late.txt, line 4: \"300,5\""), std::string::npos) << said;
}

using ColumnTablesDeathTest = ColumnTables;

// The messages go to standard output; the death tests send it where they look.
TEST_F(ColumnTablesDeathTest, MissingFileEndsTheProcessWithItsMessage) {
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            DataTextFile table("no_such_table.txt");
        },
        testing::ExitedWithCode(1), "\nFile no_such_table.txt not found\n");
}

TEST_F(ColumnTablesDeathTest, ExtractingPastTheSelectionEndsTheProcess) {
    write("t.txt", "a b\n1 2\n");
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            DataTextFile table("t.txt");
            table.set_index("a");
            table.read();
            double a = 0;
            table >> a >> a;
        },
        testing::ExitedWithCode(1), "Read Data File Error");
}

// The column names by index: in the order appended, none past the last or before the first.
TEST(ColumnNames, EachIndexGivesItsNameAndNoneOutsideTheList) {
    MsgList names;
    for (const char* name : {"T", "P", "rho"}) names.append(name);
    EXPECT_STREQ(names(0), "T");
    EXPECT_STREQ(names(2), "rho");
    EXPECT_EQ(names(3), nullptr);
    EXPECT_EQ(names(-1), nullptr);
    EXPECT_EQ(names.get_index(names(1)), 1);
}

}  // namespace
}  // namespace vornex
