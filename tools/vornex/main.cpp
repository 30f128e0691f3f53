#include "VornexProgram.h"
#include "anderko/Anderko.h"
#include "numerics/AtomicFile.h"
#include "water/WagnerPruss.h"

int main(int argc, char** argv) {
    vornex::continueAtFileSizeLimit();
    vornex::registerWaterModels();
    vornex::registerAnderkoModels();
    return vornex::runVornex(argc, argv);
}
