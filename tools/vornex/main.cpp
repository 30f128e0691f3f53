#include "VornexProgram.h"

int main(int argc, char** argv) {
    return vornex::runVornex(argc, argv);
}
