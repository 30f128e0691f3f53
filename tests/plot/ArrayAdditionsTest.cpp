#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "plot/ArrayAdditions.h"

namespace vornex {
namespace {

// Writes raw bytes to a file of the working directory (each test uses its own name, since
// the test programs share that directory).
void writeBytes(const std::string& name, const void* data, std::size_t length) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
}

void writeDoubles(const std::string& name, const std::vector<double>& values) {
    writeBytes(name, values.data(), values.size() * sizeof(double));
}

// A saturation-like table: rows of 28 values whose first column is a temperature.
std::vector<double> saturationTable(int rows) {
    std::vector<double> t;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 28; ++c) t.push_back(c == 0 ? 0.01 + 10.0 * r : r * 100.0 + c * 0.5);
    return t;
}

class RawDoubleResources : public ::testing::Test {};

TEST_F(RawDoubleResources, SaturationTableReadsBackExactly) {
    const std::vector<double> table = saturationTable(38);
    writeDoubles("satu_roundtrip", table);
    std::vector<double> read;
    IoResult r = readTabulatedResource("satu_roundtrip", 28, read);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(read, table);
    EXPECT_EQ(arrayWithDataInFile("satu_roundtrip"), table);
}

TEST_F(RawDoubleResources, SeventeenBytesGiveTwoNumbers) {
    unsigned char bytes[17] = {};
    const double a = 1.5, b = -2.25;
    std::memcpy(bytes, &a, 8);
    std::memcpy(bytes + 8, &b, 8);
    bytes[16] = 0x7F;
    writeBytes("satu_17", bytes, sizeof bytes);
    EXPECT_EQ(arrayWithDataInFile("satu_17"), (std::vector<double>{1.5, -2.25}));
}

TEST_F(RawDoubleResources, TruncatedTableIsRejected) {
    std::vector<double> table = saturationTable(3);
    table.pop_back();  // the last row lacks one value
    writeDoubles("satu_short_row", table);
    std::vector<double> read = {42.0};
    IoResult r = readTabulatedResource("satu_short_row", 28, read);
    EXPECT_EQ(r.status, IoStatus::InvalidData);
    EXPECT_NE(r.message.find("satu_short_row"), std::string::npos);
    EXPECT_NE(r.message.find("truncated"), std::string::npos);
    EXPECT_TRUE(read.empty());
}

TEST_F(RawDoubleResources, TableCutInsideANumberIsRejected) {
    const std::vector<double> table = saturationTable(2);
    writeBytes("satu_cut", table.data(), table.size() * sizeof(double) - 3);
    std::vector<double> read;
    EXPECT_EQ(readTabulatedResource("satu_cut", 28, read).status, IoStatus::InvalidData);
    EXPECT_TRUE(read.empty());
}

TEST_F(RawDoubleResources, MissingResourceIsEmptyAndReported) {
    EXPECT_TRUE(arrayWithDataInFile("no_such_table_anywhere").empty());
    std::vector<double> read = {1.0};
    IoResult r = readTabulatedResource("no_such_table_anywhere", 28, read);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.message.find("no_such_table_anywhere"), std::string::npos);
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(readTabulatedResource("satu_roundtrip_any", 0, read).status, IoStatus::InvalidData);
}

TEST_F(RawDoubleResources, EmptyFileIsATableOfNoRows) {
    writeBytes("satu_empty", "", 0);
    std::vector<double> read = {1.0};
    EXPECT_TRUE(readTabulatedResource("satu_empty", 28, read).ok());
    EXPECT_TRUE(read.empty());
}

// Crossings of curve arrays.
class CurveCrossings : public ::testing::Test {};

TEST_F(CurveCrossings, ExactHitOnAMiddleRowIsReportedOnce) {
    EXPECT_EQ(search({0, 10, 20}, 1, 0, 10.0), (std::vector<double>{10}));
}

TEST_F(CurveCrossings, CurveThatTurnsBackCrossesTwice) {
    // Rows (key, value): the key rises to 10 and falls back to 5.
    const std::vector<double> curve = {0, 100, 10, 200, 5, 400};
    std::vector<double> rows = search(curve, 2, 0, 7.0);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_DOUBLE_EQ(rows[0], 7.0);
    EXPECT_DOUBLE_EQ(rows[1], 100 + 0.7 * 100);  // t = 0.7 of the first pair
    EXPECT_DOUBLE_EQ(rows[2], 7.0);
    EXPECT_DOUBLE_EQ(rows[3], 200 + 0.6 * 200);  // t = 0.6 of the second pair
}

TEST_F(CurveCrossings, EqualKeysNeverInterpolate) {
    EXPECT_TRUE(search({5, 5, 5}, 1, 0, 5.0).empty());
    bool found = true;
    EXPECT_EQ(search({5, 1, 5, 2}, 2, 0, 1, 5.0, found), 0.0);
    EXPECT_FALSE(found);
}

TEST_F(CurveCrossings, FirstRowKeyReturnsRowZero) {
    EXPECT_EQ(search({0, 7, 10, 9}, 2, 0, 0.0), (std::vector<double>{0, 7}));
}

TEST_F(CurveCrossings, ValueAtFirstCrossing) {
    bool found = false;
    EXPECT_DOUBLE_EQ(search({0, 100, 10, 200}, 2, 0, 1, 2.5, found), 125.0);
    EXPECT_TRUE(found);
    EXPECT_EQ(search({0, 100, 10, 200}, 2, 0, 1, 11.0, found), 0.0);
    EXPECT_FALSE(found);
}

TEST_F(CurveCrossings, IsochoreLikeCurveCutAtAPressure) {
    // A constructed (T, P, rho) curve: P = 2 T - 100 from 100 to 500 °C in steps of 1 °C.
    std::vector<double> curve;
    for (int t = 100; t <= 500; ++t) curve.insert(curve.end(), {double(t), 2.0 * t - 100, 900.0});
    std::vector<double> rows = search(curve, 3, 1, 333.3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NEAR(rows[0], (333.3 + 100) / 2, 1e-12);
    EXPECT_NEAR(rows[1], 333.3, 1e-12);
    EXPECT_DOUBLE_EQ(rows[2], 900.0);
    bool found = false;
    EXPECT_NEAR(search(curve, 3, 1, 0, 333.3, found), 216.65, 1e-12);
    EXPECT_TRUE(found);
}

TEST_F(CurveCrossings, EveryCrossingOfAnOscillatingCurve) {
    // sin over three periods crosses 0.5 six times.
    std::vector<double> curve;
    for (int i = 0; i <= 600; ++i) {
        double x = i * 6 * std::numbers::pi / 600;
        curve.insert(curve.end(), {x, std::sin(x)});
    }
    std::vector<double> rows = search(curve, 2, 1, 0.5);
    ASSERT_EQ(rows.size(), 12u);
    for (std::size_t k = 0; k < rows.size(); k += 2) {
        EXPECT_NEAR(rows[k + 1], 0.5, 1e-12);
        EXPECT_NEAR(std::sin(rows[k]), 0.5, 2e-4);
    }
}

TEST_F(CurveCrossings, NaNKeysAndValuesNeverCross) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(search({0, nan, 10}, 1, 0, 5.0).empty());
    EXPECT_TRUE(search({0, 10}, 1, 0, nan).empty());
}

TEST_F(CurveCrossings, BadStrideOrColumnGivesNothing) {
    bool found = true;
    EXPECT_TRUE(search({0, 1, 2, 3}, 0, 0, 1.0).empty());
    EXPECT_TRUE(search({0, 1, 2, 3}, 2, 2, 1.0).empty());
    EXPECT_TRUE(search({0, 1, 2, 3}, 2, -1, 1.0).empty());
    EXPECT_EQ(search({0, 1, 2, 3}, 2, 0, 5, 1.0, found), 0.0);
    EXPECT_FALSE(found);
}

TEST_F(CurveCrossings, IncompleteRowsAreIgnored) {
    // Two complete rows and a trailing value that does not fill a third.
    EXPECT_EQ(search({0, 1, 10, 2, 20}, 2, 0, 15.0), (std::vector<double>{}));
    EXPECT_TRUE(search({3}, 2, 0, 3.0).empty());
}

}  // namespace
}  // namespace vornex
