#include "VornexProgram.h"
#include "anderko/Anderko.h"
#include "water/WagnerPruss.h"

int main(int argc, char** argv) {
    vornex::registerWaterModels();
    vornex::registerAnderkoModels();
    return vornex::runVornex(argc, argv);
}
