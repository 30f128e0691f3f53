#include "VornexProgram.h"
#include "anderko/Anderko.h"
#include "numerics/AtomicFile.h"
#include "numerics/StandardOutput.h"
#include "water/WagnerPruss.h"

int main(int argc, char** argv) {
    vornex::continueAtFileSizeLimit();
    vornex::guardStandardStreams();
    vornex::registerWaterModels();
    vornex::registerAnderkoModels();
    return vornex::finishStandardOutput("vornex", vornex::runVornex(argc, argv));
}
