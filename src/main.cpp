#include "app/Startup.h"

int main(int argc, char** argv) { return kuvaro::runKuvaro(argc, argv); }
