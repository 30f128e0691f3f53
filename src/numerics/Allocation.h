// Zero-filled vectors, matrices and symmetric (lower-triangular) arrays of doubles shared by
// the whole library, their release, and two plain printers.
//
// A matrix is an array of row pointers, each row its own array. A symmetric array of k
// indexes over n components holds the element [i][j]...[l] for n > i >= j >= ... >= l >= 0:
// level one has n pointers, and below each index the next level has that index + 1 entries,
// so every index set is stored once, indices in non-increasing order.
//
// Running out of memory is not something a calculation can recover from: every allocator
// here prints "Memory allocation failure" and ends the process with status 1.
#pragma once

#include <cstdio>

namespace vornex {

// n doubles, all 0 (a negative n counts as 0). Released with delete[].
double* allocate(int n);
// n rows of m doubles, all 0. Released with dispose.
double** allocate2(int n, int m);
// Releases the n rows and the row array; null rows and a null array are skipped.
void dispose(double** a, int n);
// count matrices of n rows of m doubles, all 0. Released with dispose3.
double*** allocate3(int count, int n, int m);
void dispose3(double*** a, int count, int n);

// Symmetric arrays of 2 to 5 indexes over n components, zero-filled:
// sym2alloc(n) holds n(n+1)/2 doubles, sym3alloc(n) n(n+1)(n+2)/6, and so on.
double** sym2alloc(int n);
double*** sym3alloc(int n);
double**** sym4alloc(int n);
double***** sym5alloc(int n);
// Release an array made by the matching allocator for the same n; null levels are skipped.
void dispose_sym2(double** a, int n);
void dispose_sym3(double*** a, int n);
void dispose_sym4(double**** a, int n);
void dispose_sym5(double***** a, int n);

// Each row as "\t%f" per value followed by a line end.
void printMatrix(FILE* out, double** a, int n, int m);
// "\t%f" per value, then a line end.
void printVector(FILE* out, double* v, int n);

}  // namespace vornex
