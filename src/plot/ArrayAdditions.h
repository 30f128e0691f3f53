// Arrays of doubles the document works with: tabulated data resources of raw native 8-byte
// doubles (the water saturation table "satu0", rows of 28 values) and curve arrays, flat
// row-major sequences with a fixed number of values (stride) per point, which can be cut
// where one column crosses a value.
#pragma once

#include <string>
#include <vector>

#include "platform/AtomicFileWriter.h"

namespace vornex {

// The doubles of the data resource `name` (looked up with findDataFile), in file order: one
// per 8 bytes of the file, a remainder of fewer than 8 bytes ignored. A missing or unreadable
// resource gives an empty array.
std::vector<double> arrayWithDataInFile(const std::string& name);

// Reads a table resource of rows of `valuesPerRow` raw doubles into `out`. Refuses, leaving
// `out` empty, a missing or unreadable resource (OpenFailed, ReadFailed) and one whose length
// is not a whole number of rows, which is a truncated or foreign file (InvalidData); the
// message names the resource and the sizes. An empty file is a table of no rows.
IoResult readTabulatedResource(const std::string& name, int valuesPerRow, std::vector<double>& out);

// Every row at which column keyCol of the curve crosses v, interpolated linearly between the
// two rows that bracket v (bounds included), one stride of values each, in curve order. Pairs
// of equal keys add nothing; a row whose key equals v is reported once. The key need not be
// monotonic. Empty when there is no crossing, no complete row, or the stride or column is out
// of range.
std::vector<double> search(const std::vector<double>& curve, int stride, int keyCol, double v);

// Column valCol interpolated at the first crossing of column keyCol with v; found tells
// whether there was one (0.0 otherwise, also for a stride or column out of range).
double search(const std::vector<double>& curve, int stride, int keyCol, int valCol, double v,
              bool& found);

}  // namespace vornex
