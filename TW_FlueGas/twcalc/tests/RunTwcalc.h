#pragma once
// Runs twcalc in-process with captured standard output and standard error.

#include <sstream>
#include <string>
#include <vector>

#include "Commands.h"

struct TwcalcResult {
    int status;
    std::string out;
    std::string err;
};

inline TwcalcResult runTwcalc(std::vector<std::string> args) {
    args.insert(args.begin(), "twcalc");
    std::vector<const char*> argv;
    argv.reserve(args.size());
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int status = twcalc::run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}
