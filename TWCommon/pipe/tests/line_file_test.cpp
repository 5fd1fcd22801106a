#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Units.h"
#include "tw/AtomicFile.h"
#include "tw/Fittings.h"
#include "tw/LineFile.h"

using namespace tw::line;

namespace {

const char* const kSteamLine = R"({"format": "twline", "version": 1, "project": "header A",
 "units": {"upr": "bar a", "utp": 0, "ulen": "meter", "colour": "blue"},
 "max_substep_drop_percent": 1,
 "fluid": {"kind": "steam", "pressure": 10, "temperature": 250, "source": "boiler 2"},
 "mass_flow": 5000,
 "segments": [
  {"nps": "4", "schedule": "40", "length": 80, "rise": 5, "tag": "S-101",
   "fittings": [{"kind": 29, "quantity": 4, "para1": 1, "para2": 0, "note": "long radius"},
                {"kind": "Gate", "para1": 1}]},
  {"inside_diameter": 77.92, "roughness": 0.05, "from": [0, 0, 5], "to": [30, 40, 5]}
 ]})";

TEST(LineFile, WrittenFileReadsBackToTheSameLineWithUnknownFieldsKept) {
    const Line line = readLine(kSteamLine);
    EXPECT_EQ(line.units.upr, tw::ktounit_bara);
    ASSERT_EQ(line.segments.size(), 2u);
    EXPECT_EQ(line.segments[0].fittings[1].kind, tw::Gate);
    EXPECT_EQ(line.segments[0].fittings[1].quantity, 1);

    const auto path = std::filesystem::temp_directory_path() / "tw_line_file_test.twline";
    writeLineFile(path, line);
    const Line back = readLineFile(path);
    std::filesystem::remove(path);

    EXPECT_EQ(writeLine(back), writeLine(line));
    const std::string text = writeLine(back);
    for (const char* kept :
         {R"("project": "header A")", R"("colour": "blue")", R"("source": "boiler 2")",
          R"("tag": "S-101")", R"("note": "long radius")"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    }
    EXPECT_NE(text.find(R"("inside_diameter": 77.92)"), std::string::npos);

    const LineResult a = calculate(line), b = calculate(back);
    ASSERT_FALSE(a.refused);
    EXPECT_EQ(a.outletPressure, b.outletPressure);
    EXPECT_EQ(a.segments.size(), b.segments.size());
}

struct Damaged {
    const char* name;
    std::string text;
    int line;
    const char* field;
};

std::string withSegment(const std::string& segment) {
    return "{\"format\": \"twline\",\n \"fluid\": {\"kind\": \"water\", \"pressure\": 5, "
           "\"temperature\": 20},\n \"mass_flow\": 1000,\n \"segments\": [\n  {\"nps\": \"2\", "
           "\"schedule\": \"40\", \"length\": 5},\n" +
           segment + "\n ]}";
}

TEST(LineFile, DamagedFilesAreRefusedWithLineAndField) {
    const Damaged cases[] = {
        {"not JSON", "{\"format\": \"twline\",\n \"fluid\": {", 2, ""},
        {"wrong format", "{\"format\": \"twcase\"}", 1, "format"},
        {"newer version", "{\"format\": \"twline\",\n\"version\": 2}", 2, "version"},
        {"no fluid", "{\"format\": \"twline\",\n\"mass_flow\": 1}", 1, "fluid"},
        {"text for a number",
         withSegment("  {\"nps\": \"2\", \"schedule\": \"40\",\n \"length\": \"5\"}"), 7,
         "segments[1].length"},
        {"both routes",
         withSegment("  {\"nps\": \"2\", \"schedule\": \"40\", \"length\": 5,\n  \"from\": "
                     "[0,0,0], \"to\": [1,0,0]}"),
         7, "segments[1].from"},
        {"no bore", withSegment("  {\"length\": 5}"), 6, "segments[1].nps"},
        {"bad fitting kind",
         withSegment("  {\"nps\": \"2\", \"schedule\": \"40\", \"length\": 5,\n  \"fittings\": "
                     "[{\"kind\": 48}]}"),
         7, "segments[1].fittings[0].kind"},
        {"short point",
         withSegment(
             "  {\"nps\": \"2\", \"schedule\": \"40\",\n  \"from\": [0, 0], \"to\": [1, 0, 0]}"),
         7, "segments[1].from"},
        {"huge number",
         withSegment("  {\"nps\": \"2\", \"schedule\": \"40\",\n \"length\": 1e300}"), 7,
         "segments[1].length"},
        {"unknown unit", "{\"format\": \"twline\",\n \"units\": {\n \"upr\": \"atm\"}}", 3,
         "units.upr"},
        {"unit index out of list", "{\"format\": \"twline\", \"units\": {\"utp\": 9}}", 1,
         "units.utp"},
        {"unknown species",
         "{\"format\": \"twline\", \"fluid\": {\"kind\": \"gas\",\n \"composition\": {\"He\": 4}}}",
         2, "fluid.composition.He"},
        {"unknown fluid", "{\"format\": \"twline\", \"fluid\": {\n\"kind\": \"oil\"}}", 2,
         "fluid.kind"},
    };
    for (const Damaged& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            readLine(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const LineFileError& e) {
            EXPECT_EQ(e.line(), c.line) << e.what();
            EXPECT_EQ(e.field(), c.field) << e.what();
        }
    }
}

// A gas that leaves its viscosity and isentropic exponent to the program keeps leaving them
// out when the file is written back.
TEST(LineFile, AGasWithoutViscosityStaysWithoutIt) {
    const Line line = readLine(R"({"format": "twline", "version": 1,
        "fluid": {"kind": "gas", "composition": {"N2": 79, "O2": 21}, "pressure": 1,
                  "temperature": 20},
        "mass_flow": 100, "segments": [{"inside_diameter": 100, "length": 10}]})");
    const auto& gas = std::get<tw::line::Gas>(line.fluid);
    EXPECT_FALSE(gas.viscosityGiven);
    EXPECT_FALSE(gas.exponentGiven);
    const std::string written = writeLine(line);
    EXPECT_EQ(written.find("viscosity"), std::string::npos);
    EXPECT_EQ(written.find("isentropic_exponent"), std::string::npos);
    EXPECT_FALSE(std::get<tw::line::Gas>(readLine(written).fluid).viscosityGiven);
}

TEST(LineFile, MissingFileIsAFileError) {
    EXPECT_THROW(readLineFile("/nonexistent/dir/line.twline"), tw::FileError);
    EXPECT_THROW(readLineFile(std::filesystem::temp_directory_path()), tw::FileError);
}

}  // namespace
