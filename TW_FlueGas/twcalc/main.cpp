#include <iostream>

#include "Commands.h"

int main(int argc, char** argv) {
    return twcalc::run(argc, argv, std::cout, std::cerr);
}
