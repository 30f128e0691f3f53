// Tabulated resources of raw doubles read back exactly or refused whole, and the crossings
// of curve arrays with a key value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "plot/ArrayAdditions.h"

namespace vornex {
namespace {

void writeBytes(const std::string& name, const void* data, std::size_t length) {
    std::ofstream(name, std::ios::binary | std::ios::trunc)
        .write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
}

// A saturation-like table: rows of 28 values whose first column is a temperature.
std::vector<double> saturationTable(int rows) {
    std::vector<double> t;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 28; ++c) t.push_back(c == 0 ? 0.01 + 10.0 * r : r * 100.0 + c * 0.5);
    return t;
}

TEST(RawDoubleResources, TableReadsBackExactly) {
    const std::vector<double> table = saturationTable(38);
    writeBytes("satu_roundtrip", table.data(), table.size() * sizeof(double));
    std::vector<double> read;
    IoResult r = readTabulatedResource("satu_roundtrip", 28, read);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(read, table);
    // The plain reader takes the whole numbers of a file and leaves a stray byte.
    unsigned char bytes[17] = {};
    const double a = 1.5, b = -2.25;
    std::memcpy(bytes, &a, 8);
    std::memcpy(bytes + 8, &b, 8);
    writeBytes("satu_17", bytes, sizeof bytes);
    EXPECT_EQ(arrayWithDataInFile("satu_17"), (std::vector<double>{1.5, -2.25}));
    // An empty file is a table of no rows.
    writeBytes("satu_empty", "", 0);
    read = {1.0};
    EXPECT_TRUE(readTabulatedResource("satu_empty", 28, read).ok());
    EXPECT_TRUE(read.empty());
}

TEST(RawDoubleResources, IncompleteMissingOrShapelessTablesAreRefusedWhole) {
    const std::vector<double> table = saturationTable(3);
    writeBytes("satu_short_row", table.data(), (table.size() - 1) * sizeof(double));
    writeBytes("satu_cut", table.data(), table.size() * sizeof(double) - 3);
    const struct {
        const char* name;
        int columns;
        const char* mention;
    } cases[] = {{"satu_short_row", 28, "truncated"},  // the last row lacks one value
                 {"satu_cut", 28, "satu_cut"},         // cut inside a number
                 {"no_such_table_anywhere", 28, "no_such_table_anywhere"},
                 {"satu_short_row", 0, ""}};
    for (const auto& c : cases) {
        std::vector<double> read = {42.0};
        IoResult r = readTabulatedResource(c.name, c.columns, read);
        EXPECT_FALSE(r.ok()) << c.name;
        EXPECT_NE(r.message.find(c.mention), std::string::npos) << r.message;
        EXPECT_TRUE(read.empty()) << c.name;
    }
    EXPECT_TRUE(arrayWithDataInFile("no_such_table_anywhere").empty());
}

TEST(CurveCrossings, RowsWhereTheKeyColumnCrossesAValue) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> isochore;  // (T, P = 2 T - 100, rho) from 100 to 500 °C
    for (int t = 100; t <= 500; ++t)
        isochore.insert(isochore.end(), {double(t), 2.0 * t - 100, 900.0});
    const struct {
        std::vector<double> curve;
        int stride, column;
        double key;
        std::vector<double> rows;
    } cases[] = {
        {{0, 10, 20}, 1, 0, 10.0, {10}},  // an exact hit on a middle row, once
        // A key that rises to 10 and falls back to 5 crosses 7 twice, interpolated.
        {{0, 100, 10, 200, 5, 400}, 2, 0, 7.0, {7, 100 + 0.7 * 100, 7, 200 + 0.6 * 200}},
        {isochore, 3, 1, 333.3, {(333.3 + 100) / 2, 333.3, 900}},
        // Equal keys never interpolate; NaN keys and values never cross.
        {{5, 5, 5}, 1, 0, 5.0, {}},
        {{0, 10}, 1, 0, nan, {}},
        // A bad stride or column, or rows left incomplete, give nothing.
        {{0, 1, 2, 3}, 0, 0, 1.0, {}},
        {{0, 1, 2, 3}, 2, 2, 1.0, {}},
        {{0, 1, 10, 2, 20}, 2, 0, 15.0, {}},
    };
    for (const auto& c : cases) {
        const std::vector<double> rows = search(c.curve, c.stride, c.column, c.key);
        ASSERT_EQ(rows.size(), c.rows.size()) << c.key;
        for (size_t k = 0; k < rows.size(); ++k) EXPECT_NEAR(rows[k], c.rows[k], 1e-12) << c.key;
    }
    // sin over three periods crosses 0.5 six times.
    std::vector<double> sine;
    for (int i = 0; i <= 600; ++i) {
        const double x = i * 6 * std::numbers::pi / 600;
        sine.insert(sine.end(), {x, std::sin(x)});
    }
    const std::vector<double> rows = search(sine, 2, 1, 0.5);
    ASSERT_EQ(rows.size(), 12u);
    for (std::size_t k = 0; k < rows.size(); k += 2) {
        EXPECT_NEAR(rows[k + 1], 0.5, 1e-12);
        EXPECT_NEAR(std::sin(rows[k]), 0.5, 2e-4);
    }
}

TEST(CurveCrossings, ValueAtTheFirstCrossing) {
    const struct {
        std::vector<double> curve;
        int stride, key, value;
        double at, expected;
        bool found;
    } cases[] = {{{0, 100, 10, 200}, 2, 0, 1, 2.5, 125.0, true},
                 {{0, 100, 10, 200}, 2, 0, 1, 11.0, 0.0, false},
                 {{5, 1, 5, 2}, 2, 0, 1, 5.0, 0.0, false},   // equal keys
                 {{0, 1, 2, 3}, 2, 0, 5, 1.0, 0.0, false}};  // no such value column
    for (const auto& c : cases) {
        bool found = !c.found;
        EXPECT_DOUBLE_EQ(search(c.curve, c.stride, c.key, c.value, c.at, found), c.expected);
        EXPECT_EQ(found, c.found) << c.at;
    }
}

}  // namespace
}  // namespace vornex
