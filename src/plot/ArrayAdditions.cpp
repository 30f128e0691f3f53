#include "plot/ArrayAdditions.h"

#include <cstring>

#include "numerics/DataPath.h"
#include "numerics/FileReader.h"

namespace vornex {

namespace {

constexpr std::size_t kDoubleBytes = sizeof(double);
static_assert(kDoubleBytes == 8, "the resources hold 8-byte doubles");

std::vector<double> doublesOf(const Bytes& bytes) {
    std::vector<double> out(bytes.size() / kDoubleBytes);
    if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * kDoubleBytes);
    return out;
}

std::size_t rowCount(const std::vector<double>& curve, int stride) {
    return curve.size() / static_cast<std::size_t>(stride);
}

bool validColumns(const std::vector<double>& curve, int stride, int a, int b) {
    return stride >= 1 && a >= 0 && a < stride && b >= 0 && b < stride &&
           rowCount(curve, stride) >= 1;
}

// Both comparisons fail for a NaN, so a NaN key or value never brackets.
bool brackets(double k0, double k1, double v) {
    return (k0 <= v && v <= k1) || (k1 <= v && v <= k0);
}

}  // namespace

std::vector<double> arrayWithDataInFile(const std::string& name) {
    Bytes bytes;
    if (name.empty() || !readFileBytes(findDataFile(name), bytes, kTableFileLimit)) return {};
    return doublesOf(bytes);
}

IoResult readTabulatedResource(const std::string& name, int valuesPerRow,
                               std::vector<double>& out) {
    out.clear();
    if (valuesPerRow < 1)
        return IoResult::failure(IoStatus::InvalidData,
                                 "table \"" + name + "\": a row needs at least one value");
    // Something that is no regular file at the name in the working folder (a FIFO, a folder,
    // a link to a device) is refused and said, not passed over for the shipped table.
    const std::string what = describeNonRegular(name);
    if (!what.empty())
        return IoResult::failure(IoStatus::ReadFailed,
                                 "table \"" + name + "\" cannot be read: it is " + what);
    Bytes bytes;
    IoResult read = readFileBytes(findDataFile(name), bytes, kTableFileLimit);
    if (!read) {
        read.message = "table \"" + name + "\" cannot be read: " + read.message;
        return read;
    }
    const std::size_t rowBytes = kDoubleBytes * static_cast<std::size_t>(valuesPerRow);
    if (bytes.size() % rowBytes != 0)
        return IoResult::failure(
            IoStatus::InvalidData,
            "table \"" + name + "\" is truncated: " + std::to_string(bytes.size()) +
                " bytes is not a whole number of rows of " + std::to_string(valuesPerRow) +
                " doubles (" + std::to_string(rowBytes) + " bytes each)");
    out = doublesOf(bytes);
    return {};
}

std::vector<double> search(const std::vector<double>& curve, int stride, int keyCol, double v) {
    std::vector<double> out;
    if (!validColumns(curve, stride, keyCol, keyCol)) return out;
    out.reserve(100);
    const std::size_t n = rowCount(curve, stride), s = static_cast<std::size_t>(stride);
    auto key = [&](std::size_t row) { return curve[row * s + static_cast<std::size_t>(keyCol)]; };
    double k0 = key(0);
    for (std::size_t i = 1; i < n; ++i) {
        const double k1 = key(i);
        if (brackets(k0, k1, v) && k0 != k1) {
            const double t = (v - k0) / (k1 - k0);
            for (std::size_t j = 0; j < s; ++j) {
                const double a = curve[(i - 1) * s + j], b = curve[i * s + j];
                out.push_back(a + (b - a) * t);
            }
        }
        k0 = k1;
        if (k1 == v) {
            // The pair that starts on this row would report the same hit again.
            if (++i == n) break;
            k0 = key(i);
        }
    }
    return out;
}

double search(const std::vector<double>& curve, int stride, int keyCol, int valCol, double v,
              bool& found) {
    found = false;
    if (!validColumns(curve, stride, keyCol, valCol)) return 0.0;
    const std::size_t n = rowCount(curve, stride), s = static_cast<std::size_t>(stride);
    const std::size_t kc = static_cast<std::size_t>(keyCol), vc = static_cast<std::size_t>(valCol);
    double k0 = curve[kc], y0 = curve[vc];
    for (std::size_t i = 1; i < n; ++i) {
        const double k1 = curve[i * s + kc], y1 = curve[i * s + vc];
        if (brackets(k0, k1, v) && k0 != k1) {
            found = true;
            return y0 + (y1 - y0) * (v - k0) / (k1 - k0);
        }
        k0 = k1;
        y0 = y1;
    }
    return 0.0;
}

}  // namespace vornex
