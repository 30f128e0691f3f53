#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "numerics/Allocation.h"
#include "support/ChildExit.h"
#include "support/PrintedChecks.h"

namespace vornex {
namespace {

// Each row of the symmetric arrays is its own allocation of exactly parent index + 1
// entries; writing a distinct value into every element and reading all of them back finds
// rows that are too short or shared (the sanitizer build also catches any overrun).
// Returns the number of elements, each checked zero before it is written.
template <class P>
int fillThenCheck(P a, int top, int& count, bool check) {
    int elements = 0;
    for (int i = 0; i <= top; ++i) {
        if constexpr (std::is_same_v<P, double*>) {
            if (check) {
                EXPECT_EQ(a[i], ++count);
            } else {
                EXPECT_EQ(a[i], 0.0);
                a[i] = ++count;
            }
            ++elements;
        } else {
            elements += fillThenCheck(a[i], i, count, check);
        }
    }
    return elements;
}

template <class P>
int elementsOf(P a, int n) {
    int count = 0;
    const int written = fillThenCheck(a, n - 1, count, false);
    count = 0;
    EXPECT_EQ(fillThenCheck(a, n - 1, count, true), written);
    return written;
}

TEST(SymmetricArrays, HoldTheWholeZeroedSimplex) {
    const int n = 4;  // C(n + k - 1, k) elements for k indexes
    double** a2 = sym2alloc(n);
    EXPECT_EQ(elementsOf(a2, n), 10);
    dispose_sym2(a2, n);
    double*** a3 = sym3alloc(n);
    EXPECT_EQ(elementsOf(a3, n), 20);
    dispose_sym3(a3, n);
    double**** a4 = sym4alloc(n);
    EXPECT_EQ(elementsOf(a4, n), 35);
    dispose_sym4(a4, n);
    double***** a5 = sym5alloc(n);
    EXPECT_EQ(elementsOf(a5, n), 56);
    dispose_sym5(a5, n);
}

// The printers write "\t%f" per value and a line end per row: parsed back, every row has
// its own values in order, to the six decimals of %f.
TEST(MatrixPrinters, EachRowReadsBackAsItsValues) {
    double** a = allocate2(3, 2);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 2; ++j) a[i][j] = (i + 1) * 10.5 - j * 0.1234567 - 15;
    const std::string text = test::writtenText([&](FILE* f) { printMatrix(f, a, 3, 2); });
    const auto lines = test::linesOf(text);
    ASSERT_EQ(lines.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(lines[i].substr(0, 1), "\t");
        std::istringstream row(lines[i]);
        std::vector<double> values;
        for (double v; row >> v;) values.push_back(v);
        ASSERT_EQ(values.size(), 2u) << lines[i];
        for (int j = 0; j < 2; ++j) EXPECT_NEAR(values[j], a[i][j], 5e-7);
    }
    EXPECT_EQ(test::writtenText([&](FILE* f) { printVector(f, a[1], 2); }),
              "\t6.000000\t5.876543\n");
    EXPECT_EQ(test::writtenText([&](FILE* f) { printVector(f, a[0], 0); }), "\n");
    dispose(a, 3);
}

// Memory that cannot be had ends the process with the library's one line and status 1; the
// address space of a child is capped below what it asks for. (The sanitizers reserve their
// shadow memory at start and refuse a cap on the address space.)
TEST(Allocators, MemoryThatCannotBeHadEndsTheProcessWithItsMessage) {
#ifdef VORNEX_SANITIZED_BUILD
    GTEST_SKIP() << "a sanitizer build cannot run under a cap on its address space";
#else
    for (int which : {1, 2}) {
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::alarm(20);
            ::dup2(out[1], STDOUT_FILENO);
            if (!lowerSoftLimit(RLIMIT_AS, rlim_t{1} << 30)) endForkedChild(10);
            if (which == 1) allocate(400'000'000);  // 3.2 GB
            else allocate2(400'000'000, 1);         // 3.2 GB of row pointers
            endForkedChild(0);
        }
        ::close(out[1]);
        std::string said;
        char buffer[256];
        for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) said.append(buffer, n);
        ::close(out[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 1) << which;
        EXPECT_EQ(said, "Memory allocation failure\n") << which;
    }
#endif
}

}  // namespace
}  // namespace vornex
