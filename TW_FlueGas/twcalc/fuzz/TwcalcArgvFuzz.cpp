// Runs twcalc on a fuzzed command line through the same entry point as the program, with
// standard output and standard error going nowhere. The input is the argument list, one
// argument per line. No input may crash, hang, leak or end with a status other than 0 to 3.
//
// Run (from the source tree; a crash is saved where -artifact_prefix says, an absolute path since
// each input runs in a folder of its own):
//   cmake --preset fuzz && cmake --build --preset fuzz --target twcalc_argv_fuzz
//   mkdir -p build-fuzz/argv-corpus
//   build-fuzz/bin/twcalc_argv_fuzz -max_total_time=600 -timeout=10 -rss_limit_mb=1024 \
//       -artifact_prefix=$PWD/build-fuzz/ -dict=TW_FlueGas/twcalc/fuzz/twcalc.dict \
//       build-fuzz/argv-corpus TW_FlueGas/twcalc/fuzz/argv
//
// Each input runs in a fresh empty folder and absolute paths and ".." are refused, so that a
// fuzzed --csv or --out can name nothing outside it.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"
#include "tw/MessageSink.h"

namespace {

class NullBuffer final : public std::streambuf {
  protected:
    int_type overflow(int_type ch) override { return traits_type::not_eof(ch); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

class NullSink final : public tw::MessageSink {
  public:
    tw::MessageAnswer show(std::string_view, std::string_view, tw::MessageIcon,
                           tw::MessageButtons) override {
        return tw::MessageAnswer::OK;
    }
    void beep() override {}
};

// An empty folder of this run, removed at the end. Each input runs inside it; libFuzzer itself
// reads and writes its corpus between the inputs, in the folder it was started in.
class WorkFolder {
  public:
    WorkFolder() {
        std::string folder = std::filesystem::temp_directory_path() / "twcalc_argv_fuzz.XXXXXX";
        if (::mkdtemp(folder.data()) == nullptr) std::abort();
        path_ = folder;
        home_ = std::filesystem::current_path();
    }
    ~WorkFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    void enter() const {
        if (::chdir(path_.c_str()) != 0) std::abort();
    }
    void leave() const {
        if (::chdir(home_.c_str()) != 0) std::abort();
    }

  private:
    std::filesystem::path path_, home_;
};

constexpr std::size_t kMaxArguments = 64;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static NullSink quiet;
    tw::setMessageSink(&quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const WorkFolder folder;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments{"twcalc"};
    for (std::size_t start = 0; start <= input.size() && arguments.size() <= kMaxArguments;) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        arguments.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    for (const std::string& a : arguments) {
        if (a.find('/') == 0 || a.find("=/") != std::string::npos ||
            a.find("..") != std::string::npos) {
            return -1;
        }
    }
    std::vector<const char*> argv;
    for (const std::string& a : arguments) argv.push_back(a.c_str());

    NullBuffer nowhere;
    std::ostream out(&nowhere);
    std::ostream err(&nowhere);
    folder.enter();
    const int status = twcalc::run(static_cast<int>(argv.size()), argv.data(), out, err);
    folder.leave();
    if (status < 0 || status > 3) __builtin_trap();
    return 0;
}
