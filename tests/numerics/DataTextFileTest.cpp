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
    DataTextFile table("t.txt");
    EXPECT_EQ(table.columns, 3);
    EXPECT_STREQ((*table.names)(1), "b");
    write("t.txt", "a b c\nNaN 2 nan\n");
    DataTextFile gaps("t.txt");
    ASSERT_EQ(gaps.read(), 1);
    EXPECT_EQ(gaps.present, (std::vector<int16_t>{0, 1, 0}));
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

TEST_F(ColumnTables, LastLineWithoutLineEndIsReadAndCounted) {
    auto table = open("t.txt", "a b\r\n1 2\r\n\n \t \n3 4");
    table->count_items();
    EXPECT_EQ(table->rows, 2);  // lines of separators are no rows
    table->set_index("b");
    EXPECT_EQ(rowsOf(*table), (Rows{{2}, {4}}));
}

TEST_F(ColumnTables, LongLinesAndManyColumnsAreReadWhole) {
    std::string header, row, name = "column_with_a_rather_long_name_";
    for (int i = 0; i < 3000; ++i) {
        header += name + std::to_string(i) + " ";
        row += std::to_string(i) + "." + std::string(80, '0') + "1 ";
    }
    auto table = open("t.txt", header + "\n" + row + "\n");
    EXPECT_EQ(table->columns, 3000);
    EXPECT_EQ(table->set_index((name + "2999 " + name + "7").c_str()), 2);
    EXPECT_EQ(rowsOf(*table), (Rows{{2999, 7}}));
}

TEST_F(ColumnTables, CountItemsKeepsTheReadPosition) {
    auto table = open("t.itx", "IGOR\nWAVES T\nBEGIN\n1\n2\n3\nEND\nx rename T, T_a\n");
    table->set_index("T");
    ASSERT_EQ(table->read(), 1);
    table->count_items();
    EXPECT_EQ(table->rows, 2);
    EXPECT_EQ(rowsOf(*table), (Rows{{2}, {3}}));
}

TEST_F(ColumnTables, IgorHeaderEchoesCommandsAndAccumulatesWaves) {
    write("t.itx",
          "IGOR\nx SetScale x 0,1, T\nWAVES/D T\nWAVES\tP x1\nX note\nBEGIN\n1 2 3\nEND\n");
    testing::internal::CaptureStdout();
    DataTextFile table("t.itx");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " SetScale x 0,1, T\n\n");
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

TEST_F(ColumnTables, CloseResetsTheReaderForReuse) {
    auto table = open("t.txt", "a\n1\n");
    table->set_index("a");
    table->close();
    EXPECT_EQ(table->columns + table->rows + table->selected, -1);
    EXPECT_EQ(table->names, nullptr);
    EXPECT_EQ(table->read(), 0);
    table->open("t.txt");
    EXPECT_EQ(table->columns, 1);
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

TEST(NameList, IndexesFollowTheOrderOfAppending) {
    MsgList list;
    EXPECT_EQ(list(0), nullptr);
    for (const char* n : {"T", "P", "T"}) list.append(n);
    EXPECT_EQ(list.get_index("P"), 1);
    EXPECT_EQ(list.get_index("T"), 0);  // the first of equal names
    EXPECT_EQ(list.get_index("V"), -1);
    EXPECT_TRUE(list.exist("P") && !list.exist("V"));
    EXPECT_STREQ(list(2), "T");
    EXPECT_EQ(list(3), nullptr);
}

}  // namespace
}  // namespace vornex
