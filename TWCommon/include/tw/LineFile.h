#pragma once
// The line file (.twline): a JSON document of one line, so that scripts and other programs can
// write one. Reading checks every field and says where a damaged or invalid file fails (its line
// and the field's path); fields the program does not know are kept and written back.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tw/Line.h"

namespace tw::line {

// A file that is not a line file the program can read: `line` (from 1) and `field` (a path such
// as "segments[2].length", empty for the document itself) say where, `reason` what is wrong.
class LineFileError : public std::runtime_error {
  public:
    LineFileError(int line, std::string field, const std::string& reason);
    int line() const noexcept { return line_; }
    const std::string& field() const noexcept { return field_; }
    const std::string& reason() const noexcept { return reason_; }

  private:
    int line_;
    std::string field_, reason_;
};

// The line of a file's text; LineFileError when it is not one.
Line readLine(std::string_view text);
// The line of a file; tw::FileError when it cannot be read, LineFileError when it is not one.
Line readLineFile(const std::filesystem::path& path);

// The file's text of a line (JSON, two-space indents, ending with a line feed).
std::string writeLine(const Line& line);
// Writes the line through the atomic file writer; tw::FileError when it cannot be written.
void writeLineFile(const std::filesystem::path& path, const Line& line);

}  // namespace tw::line
