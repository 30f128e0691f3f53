#include <gtest/gtest.h>
TEST(Probe, Builds) {}
