#include "numerics/Allocation.h"
#include "numerics/Decimal.h"

#include <cstdlib>
#include <new>
#include <type_traits>

namespace vornex {

namespace {

[[noreturn]] void memoryFailure() {
    vornex::cprintf("Memory allocation failure\n");
    std::fflush(stdout);
    std::exit(1);
}

// Zero-initialised array of count elements, or the process ends.
template <typename T>
T* zeroed(int count) {
    T* p = new (std::nothrow) T[count < 0 ? 0 : count]();
    if (p == nullptr) memoryFailure();
    return p;
}

// One level of a symmetric array: `length` entries, entry i holding a sub-array of length
// i + 1 one level down. Level<double*> is the last level of pointers to rows of doubles.
template <typename T>
struct SymLevel {
    static T* make(int length) {
        T* level = zeroed<T>(length);
        for (int i = 0; i < length; ++i) level[i] = SymLevel<std::remove_pointer_t<T>>::make(i + 1);
        return level;
    }
    static void release(T* level, int length) {
        if (level == nullptr) return;
        for (int i = 0; i < length; ++i)
            SymLevel<std::remove_pointer_t<T>>::release(level[i], i + 1);
        delete[] level;
    }
};

template <>
struct SymLevel<double> {
    static double* make(int length) { return zeroed<double>(length); }
    static void release(double* level, int) { delete[] level; }
};

}  // namespace

double* allocate(int n) {
    return zeroed<double>(n);
}

double** allocate2(int n, int m) {
    double** a = zeroed<double*>(n);
    for (int i = 0; i < n; ++i) a[i] = zeroed<double>(m);
    return a;
}

void dispose(double** a, int n) {
    if (a == nullptr) return;
    for (int i = 0; i < n; ++i) delete[] a[i];
    delete[] a;
}

double*** allocate3(int count, int n, int m) {
    double*** a = zeroed<double**>(count);
    for (int i = 0; i < count; ++i) a[i] = allocate2(n, m);
    return a;
}

void dispose3(double*** a, int count, int n) {
    if (a == nullptr) return;
    for (int i = 0; i < count; ++i) dispose(a[i], n);
    delete[] a;
}

double** sym2alloc(int n) {
    return SymLevel<double*>::make(n);
}
double*** sym3alloc(int n) {
    return SymLevel<double**>::make(n);
}
double**** sym4alloc(int n) {
    return SymLevel<double***>::make(n);
}
double***** sym5alloc(int n) {
    return SymLevel<double****>::make(n);
}

void dispose_sym2(double** a, int n) {
    SymLevel<double*>::release(a, n);
}
void dispose_sym3(double*** a, int n) {
    SymLevel<double**>::release(a, n);
}
void dispose_sym4(double**** a, int n) {
    SymLevel<double***>::release(a, n);
}
void dispose_sym5(double***** a, int n) {
    SymLevel<double****>::release(a, n);
}

void printMatrix(FILE* out, double** a, int n, int m) {
    for (int i = 0; i < n; ++i) printVector(out, a[i], m);
}

void printVector(FILE* out, double* v, int n) {
    for (int j = 0; j < n; ++j) vornex::cfprintf(out, "\t%f", v[j]);
    vornex::cfprintf(out, "\n");
}

}  // namespace vornex
