#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "numerics/CallbackProbe.h"
#include "numerics/DataTextFile.h"
#include "numerics/IgorText.h"
#include "numerics/MsgList.h"

namespace vornex {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

class ColumnTables : public testing::Test {
   protected:
    test::ScratchFolder folder;

    static void write(const char* file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }
    // Every row of the selected columns, extracted in selection order.
    static std::vector<std::vector<double>> rowsOf(DataTextFile& table) {
        std::vector<std::vector<double>> out;
        while (table.read()) {
            std::vector<double> row(table.selected);
            for (double& v : row) table >> v;
            out.push_back(row);
        }
        return out;
    }
};

using Rows = std::vector<std::vector<double>>;

TEST_F(ColumnTables, IgorWavesLineSkipsDoublePrecisionFlag) {
    write("t.itx", "IGOR\nWAVES /D T P\nBEGIN\n300 1\n310 2\nEND\n");
    DataTextFile table("t.itx");
    EXPECT_EQ(table.columns, 2);
    EXPECT_STREQ((*table.names)(0), "T");
    EXPECT_STREQ((*table.names)(1), "P");
    EXPECT_EQ(table.set_index("P T"), 2);
    EXPECT_EQ(rowsOf(table), (Rows{{1, 300}, {2, 310}}));
}

TEST_F(ColumnTables, PlainTableStopsAtEnd) {
    write("t.txt", "T\tP  x\n1 2 3\n4 5 6\nEND\n7 8 9\n");
    DataTextFile table("t.txt");
    EXPECT_EQ(table.columns, 3);
    EXPECT_EQ(table.set_index("T P x"), 3);
    EXPECT_EQ(rowsOf(table), (Rows{{1, 2, 3}, {4, 5, 6}}));
}

TEST_F(ColumnTables, SelectionsAccumulateAcrossCalls) {
    write("t.txt", "x P T\n1 2 3\n");
    DataTextFile table("t.txt");
    EXPECT_EQ(table.set_index("T P"), 2);
    EXPECT_EQ(table.set_index("x"), 1);
    EXPECT_EQ(rowsOf(table), (Rows{{3, 2, 1}}));
}

TEST_F(ColumnTables, UnknownNameGivesMinusOneAndKeepsEarlierNames) {
    write("t.txt", "T P\n1 2\n");
    DataTextFile table("t.txt");
    EXPECT_EQ(table.set_index("P Fv T"), -1);
    EXPECT_EQ(table.selected, 1);
    EXPECT_EQ(rowsOf(table), (Rows{{2}}));
}

TEST_F(ColumnTables, NaNIsMissingAndInfinite) {
    write("t.txt", "a b c\nNaN 2 nan\n");
    DataTextFile table("t.txt");
    table.set_index("a b c");
    ASSERT_EQ(table.read(), 1);
    EXPECT_EQ(table.present, (std::vector<int16_t>{0, 1, 0}));
    double a = 0, b = 0, c = 0;
    table >> a >> b >> c;
    EXPECT_EQ(a, kInf);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(c, kInf);
}

TEST_F(ColumnTables, ShortRowMustNotKeepPreviousValues) {
    write("t.txt", "a b c\n1 2 3\n4\n5 6 7\n");
    DataTextFile table("t.txt");
    table.set_index("a b c");
    EXPECT_EQ(rowsOf(table), (Rows{{1, 2, 3}, {4, kInf, kInf}, {5, 6, 7}}));
}

TEST_F(ColumnTables, LastLineWithoutLineEndIsRead) {
    write("t.txt", "a b\r\n1 2\r\n3 4");
    DataTextFile table("t.txt");
    table.count_items();
    EXPECT_EQ(table.rows, 2);
    table.set_index("b");
    EXPECT_EQ(rowsOf(table), (Rows{{2}, {4}}));
}

TEST_F(ColumnTables, LongLinesAndManyColumnsAreReadWhole) {
    std::string header, row;
    for (int i = 0; i < 3000; ++i) {
        header += "column_with_a_rather_long_name_" + std::to_string(i) + " ";
        row += std::to_string(i) + ".000000000000000000000000000000000000000000000000000000000001 ";
    }
    write("t.txt", header + "\n" + row + "\n");
    DataTextFile table("t.txt");
    EXPECT_EQ(table.columns, 3000);
    EXPECT_EQ(
        table.set_index("column_with_a_rather_long_name_2999 column_with_a_rather_long_name_7"), 2);
    EXPECT_EQ(rowsOf(table), (Rows{{2999, 7}}));
}

TEST_F(ColumnTables, BlankLinesAndWordsThatAreNotNumbersAreNoData) {
    write("t.txt", "a b\n\n \t \n1 --\n");
    DataTextFile table("t.txt");
    table.count_items();
    EXPECT_EQ(table.rows, 1);
    table.set_index("a b");
    EXPECT_EQ(rowsOf(table), (Rows{{1, kInf}}));
}

TEST_F(ColumnTables, CountItemsKeepsTheReadPosition) {
    write("t.itx", "IGOR\nWAVES T\nBEGIN\n1\n2\n3\nEND\nx rename T, T_a\n");
    DataTextFile table("t.itx");
    table.set_index("T");
    ASSERT_EQ(table.read(), 1);
    table.count_items();
    EXPECT_EQ(table.rows, 2);
    EXPECT_EQ(rowsOf(table), (Rows{{2}, {3}}));
}

TEST_F(ColumnTables, IgorHeaderEchoesCommandsAndAccumulatesWaves) {
    write("t.itx",
          "IGOR\nx SetScale x 0,1, T\nWAVES/D T\nWAVES\tP x1\nX comment\nBEGIN\n1 2 3\nEND\n");
    testing::internal::CaptureStdout();
    DataTextFile table("t.itx");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " SetScale x 0,1, T\n\n");
    EXPECT_EQ(table.columns, 3);
    EXPECT_EQ(table.names->get_index("x1"), 2);
    table.set_index("x1 T");
    EXPECT_EQ(rowsOf(table), (Rows{{3, 1}}));
}

TEST_F(ColumnTables, IgorFileWithoutBeginHasNoRows) {
    write("t.itx", "IGOR\nWAVES T P\n");
    DataTextFile table("t.itx");
    EXPECT_EQ(table.columns, 2);
    EXPECT_EQ(table.read(), 0);
    write("empty.txt", "");
    DataTextFile empty("empty.txt");
    EXPECT_EQ(empty.columns, 0);
    EXPECT_EQ(empty.set_index("T"), -1);
    EXPECT_EQ(empty.read(), 0);
}

TEST_F(ColumnTables, ShortTargetTruncatesTowardZero) {
    write("t.txt", "n m k\n-2.7 3.9 NaN\n");
    DataTextFile table("t.txt");
    table.set_index("n m k");
    ASSERT_EQ(table.read(), 1);
    short n = 0, m = 0, k = 11;
    table >> n >> m >> k;
    EXPECT_EQ(n, -2);
    EXPECT_EQ(m, 3);
    EXPECT_EQ(k, 11);  // a missing value does not fit a short: left unchanged
}

TEST_F(ColumnTables, CloseResetsTheReader) {
    write("t.txt", "a\n1\n");
    DataTextFile table("t.txt");
    table.set_index("a");
    table.close();
    EXPECT_EQ(table.columns, 0);
    EXPECT_EQ(table.rows, -1);
    EXPECT_EQ(table.selected, 0);
    EXPECT_EQ(table.names, nullptr);
    EXPECT_EQ(table.read(), 0);
    table.open("t.txt");  // reusable
    EXPECT_EQ(table.columns, 1);
}

TEST_F(ColumnTables, IgorTextWrittenThenReadBack) {
    const std::vector<std::vector<double>> points = {
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
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // commands after END are not header
    table.set_index("T_a P_a x_a");
    Rows rows = rowsOf(table);
    ASSERT_EQ(rows.size(), 4u);
    for (size_t i = 0; i < points.size(); ++i)
        for (size_t j = 0; j < 3; ++j)
            EXPECT_NEAR(rows[i][j], points[i][j], 1e-10 * std::fabs(points[i][j]));
    EXPECT_EQ(table.present, (std::vector<int16_t>{1, 0, 0}));
}

using ColumnTablesDeathTest = ColumnTables;

TEST_F(ColumnTablesDeathTest, MissingFileEndsTheProcessWithItsMessage) {
    // The message goes to standard output; send it where the death test looks.
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
            double b = 0;
            table >> a >> b;
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
    EXPECT_TRUE(list.exist("P"));
    EXPECT_FALSE(list.exist("V"));
    EXPECT_STREQ(list(2), "T");
    EXPECT_EQ(list(3), nullptr);
    EXPECT_EQ(list.tail->index, 2);
}

}  // namespace
}  // namespace vornex
