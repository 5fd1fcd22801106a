#include <unistd.h>

#include <iostream>

#include "Commands.h"
#include "tw/AtomicFile.h"

int main(int argc, char** argv) {
    // Standard output through a stream that keeps the system's reason for a failed write.
    tw::DescriptorOutput out(STDOUT_FILENO);
    return twcalc::run(argc, argv, out, std::cerr);
}
