// Column tables past the old 16-bit limits and with the line ends of every system: counts that
// stopped at 32,767 without a word, and CR-only files that read as one header line.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "numerics/DataTextFile.h"

namespace vornex {
namespace {

// The selected values of every remaining row.
std::vector<std::vector<double>> rowsOf(DataTextFile& table) {
    std::vector<std::vector<double>> out;
    while (table.read()) {
        std::vector<double> row(static_cast<std::size_t>(table.selected));
        for (double& v : row) table >> v;
        out.push_back(row);
    }
    return out;
}

TEST(LargeTables, FortyThousandColumnsAreAllNamedAndRead) {
    std::string header, row;
    for (int i = 0; i < 40000; ++i) {
        header += "c" + std::to_string(i) + " ";
        row += std::to_string(i) + " ";
    }
    std::ofstream("wide.txt") << header << "\n" << row << "\n";
    DataTextFile table("wide.txt");
    EXPECT_EQ(table.columns, 40000);
    EXPECT_EQ(table.set_index("c39999 c32767 c32768 c0"), 4);
    EXPECT_EQ(rowsOf(table), (std::vector<std::vector<double>>{{39999, 32767, 32768, 0}}));
}

TEST(LargeTables, FortyThousandRowsAreCountedAndRead) {
    {
        std::ofstream out("long.txt");
        out << "n\n";
        for (int i = 0; i < 40000; ++i) out << i << "\n";
    }
    DataTextFile table("long.txt");
    table.count_items();
    EXPECT_EQ(table.rows, 40000);
    table.set_index("n");
    auto rows = rowsOf(table);
    ASSERT_EQ(rows.size(), 40000u);
    EXPECT_EQ(rows.back()[0], 39999);
}

TEST(LineEnds, CrAndLfAndCrLfEndALineAlike) {
    const struct {
        const char* text;
        const char* columns;
    } cases[] = {
        {"T P\r300 1\r\r310 2\r", "T P"},                          // CR only, a blank line
        {"T P\r\n300 1\n310 2\r", "T P"},                          // mixed, CR last
        {"IGOR\rWAVES/D T P\rBEGIN\r300 1\r310 2\rEND\r", "T P"},  // Igor text with CR
        {"IGOR\r\nWAVES/D T P\r\nBEGIN\r\n300 1\r\n310 2", "T P"},
    };
    for (const auto& c : cases) {
        std::ofstream("ends.txt", std::ios::binary) << c.text;
        DataTextFile table("ends.txt");
        EXPECT_EQ(table.columns, 2) << c.text;
        table.count_items();
        EXPECT_EQ(table.rows, 2) << c.text;
        EXPECT_EQ(table.set_index(c.columns), 2);
        EXPECT_EQ(rowsOf(table), (std::vector<std::vector<double>>{{300, 1}, {310, 2}})) << c.text;
    }
}

}  // namespace
}  // namespace vornex
