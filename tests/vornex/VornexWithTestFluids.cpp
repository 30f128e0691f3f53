// The console program with the analytic test fluids registered as models "test-ideal" (ideal
// gas) and "test-vdw" (van der Waals fluid with the heat capacity of a monatomic gas).
#include "VornexProgram.h"
#include "fluid/TestFluids.h"

int main(int argc, char** argv) {
    using namespace vornex;
    FluidPhase::registerEOS("test-ideal", [] { return vornex::testing::makeIdealGas().release(); });
    FluidPhase::registerEOS("test-vdw", [] { return vornex::testing::makeVanDerWaals(1, 1.5).release(); });
    return runVornex(argc, argv);
}
