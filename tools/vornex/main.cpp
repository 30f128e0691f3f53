#include "VornexProgram.h"
#include "water/WagnerPruss.h"

int main(int argc, char** argv) {
    vornex::registerWaterModels();
    return vornex::runVornex(argc, argv);
}
