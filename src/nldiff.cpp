#include "main.h"

int main(int argc, char** argv) {
    return runNldiff(argc, argv);
}
