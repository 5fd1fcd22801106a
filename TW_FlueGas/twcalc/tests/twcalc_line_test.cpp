// twcalc line: a saved line on the command line, its exit statuses and its JSON object.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "RunTwcalc.h"

namespace {

using Json = nlohmann::json;

struct LineFile {
    std::filesystem::path path;
    explicit LineFile(const std::string& text, const char* name = "twcalc_line_test.twline")
        : path(std::filesystem::temp_directory_path() / name) {
        std::ofstream(path) << text;
    }
    ~LineFile() { std::filesystem::remove(path); }
};

// 36 t/hr of a typed liquid through 50 m of 100 mm pipe rising 10 m, with four elbows.
const char* const kLiquidLine = R"({"format": "twline",
 "fluid": {"kind": "typed", "liquid": true, "pressure": 5, "specific_volume": 0.001,
           "viscosity": 1},
 "mass_flow": 36000,
 "segments": [{"inside_diameter": 100, "from": [0, 0, 0], "to": [30, 40, 10],
               "fittings": [{"kind": 30, "quantity": 4, "para1": 1, "para2": 0}]}]})";

TEST(TwcalcLine, SingleLiquidSegmentEqualsDpcalcOnTheSameNumbers) {
    LineFile file(kLiquidLine);
    const TwcalcResult line = runTwcalc({"line", file.path.string(), "--json"});
    ASSERT_EQ(line.status, 0) << line.err;
    const Json segment = Json::parse(line.out)["segments"][0];

    const std::vector<std::string> common = {
        "--set", "i_MFlow=36000",  "--set", "i_PipeID=100",  "--set", "i_AbsRough=0.0457",
        "--set", "i_SVOLin=0.001", "--set", "i_Viscoin=1",   "--set", "i_ViscoXin=1",
        "--set", "i_Liquid=1",     "--set", "i_OutNorth=30", "--set", "i_OutEast=40",
        "--set", "i_OutUp=10",     "--set", "i_FtgNo=30",    "--set", "i_FtgQty=4",
        "--set", "i_FtgPara1=1",   "--json"};
    std::vector<std::string> pipe = {"dpcalc", "--pipe"}, fittings = {"dpcalc", "--fittings"};
    pipe.insert(pipe.end(), common.begin(), common.end());
    fittings.insert(fittings.end(), common.begin(), common.end());
    const Json run = Json::parse(runTwcalc(pipe).out);
    const Json ftg = Json::parse(runTwcalc(fittings).out);

    EXPECT_FLOAT_EQ(segment["dP_friction"].get<float>(), run["PipeLendP"].get<float>());
    EXPECT_FLOAT_EQ(segment["dP_static"].get<float>(), run["PipeElevDiffdP"].get<float>());
    EXPECT_FLOAT_EQ(segment["reynolds"].get<float>(), run["PipeRe"].get<float>());
    EXPECT_FLOAT_EQ(segment["friction_factor"].get<float>(), run["Pipef"].get<float>());
    EXPECT_FLOAT_EQ(segment["velocity"].get<float>(), run["PipeVel"].get<float>());
    EXPECT_FLOAT_EQ(segment["dP_fittings"].get<float>(), ftg["result"].get<float>());
    EXPECT_FLOAT_EQ(segment["fittings"][0]["K"].get<float>(),
                    std::stof(ftg["FittingK"].get<std::string>()));
    EXPECT_NEAR(segment["dP"].get<double>(),
                run["result"].get<double>() + ftg["result"].get<double>(), 1e-5);
}

TEST(TwcalcLine, ExitStatusesTellRefusedLinesFromDamagedFiles) {
    std::string fast = kLiquidLine;
    fast.replace(fast.find("36000"), 5, "3600000");
    LineFile refused(fast, "twcalc_line_refused.twline");
    LineFile damaged(R"({"format": "twline",
 "fluid": {"kind": "typed", "liquid": true, "pressure": "5"}})",
                     "twcalc_line_damaged.twline");

    const TwcalcResult plain = runTwcalc({"line", refused.path.string()});
    EXPECT_EQ(plain.status, 4);
    EXPECT_TRUE(plain.out.empty());
    EXPECT_NE(plain.err.find("segment 1: The pressure reaches zero."), std::string::npos)
        << plain.err;
    EXPECT_NE(plain.err.find("the input was refused; nothing was calculated"), std::string::npos);

    const TwcalcResult json = runTwcalc({"line", refused.path.string(), "--json"});
    EXPECT_EQ(json.status, 4);
    const Json messages = Json::parse(json.out)["messages"];
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back()["segment"], 1);

    const TwcalcResult bad = runTwcalc({"line", damaged.path.string()});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("line 2: fluid.pressure: should be a number"), std::string::npos)
        << bad.err;

    EXPECT_EQ(runTwcalc({"line", "/nonexistent/line.twline"}).status, 3);
    EXPECT_EQ(runTwcalc({"line"}).status, 2);
    EXPECT_EQ(runTwcalc({"line", refused.path.string(), "--sizes"}).status, 2);
}

// Dry air named by its composition: the inlet density is that of the ideal gas of its mole
// weight, and the wet and dry bases name the same gas.
TEST(TwcalcLine, GasLineTakesItsMoleWeightFromTheComposition) {
    const std::string body = R"(, "pressure": 2, "temperature": 20, "viscosity": 0.018,
           "isentropic_exponent": 1.4},
 "mass_flow": 1000, "segments": [{"nps": "4", "schedule": "40", "length": 100}]})";
    LineFile vol(R"({"format": "twline", "fluid": {"kind": "gas", "basis": "vol",
           "composition": {"N2": 78.084, "O2": 20.946, "Ar": 0.934, "CO2": 0.036})" +
                     body,
                 "twcalc_line_air_vol.twline");
    LineFile wt(R"({"format": "twline", "fluid": {"kind": "gas", "basis": "wt",
           "composition": {"N2": 75.52, "O2": 23.14, "Ar": 1.29, "CO2": 0.055})" +
                    body,
                "twcalc_line_air_wt.twline");
    const TwcalcResult a = runTwcalc({"line", vol.path.string(), "--json"});
    const TwcalcResult b = runTwcalc({"line", wt.path.string(), "--json"});
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    const double v = Json::parse(a.out)["segments"][0]["specific_volume"].get<double>();
    // R T / (M p): 8314.46 J/(kmol K) x 293.15 K / (28.965 kg/kmol x 2 x 98066.5 Pa).
    EXPECT_NEAR(v, 8314.46 * 293.15 / (28.965 * 2 * 98066.5), 1e-4 * v);
    EXPECT_NEAR(Json::parse(b.out)["segments"][0]["specific_volume"].get<double>(), v, 1e-3 * v);
    EXPECT_GT(Json::parse(a.out)["segments"][0]["substeps"].get<int>(), 1);
}

// A gas line that leaves the viscosity and the isentropic exponent out takes them from the
// gas properties of its composition at the inlet: air at 20 oC is 0.0181 cP (Lemmon and
// Jacobsen 2004: 18.1 uPa s at 293 K), 1.40 in cp/cv.
TEST(TwcalcLine, AGasWithoutViscosityTakesItFromItsComposition) {
    LineFile air(R"({"format": "twline", "fluid": {"kind": "gas", "basis": "vol",
           "composition": {"N2": 78.084, "O2": 20.946, "Ar": 0.934, "CO2": 0.036},
           "pressure": 2, "temperature": 20},
 "mass_flow": 1000, "segments": [{"nps": "4", "schedule": "40", "length": 100}]})",
                 "twcalc_line_air_properties.twline");
    const TwcalcResult r = runTwcalc({"line", air.path.string(), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const double mu = Json::parse(r.out)["segments"][0]["viscosity"].get<double>();
    EXPECT_NEAR(mu, 0.0181, 0.0181 * 0.02);
}

TEST(TwcalcLine, SizesListTheScheduleTable) {
    const TwcalcResult sizes = runTwcalc({"line", "--sizes", "--json"});
    ASSERT_EQ(sizes.status, 0);
    bool found = false;
    const Json table = Json::parse(sizes.out);
    for (const Json& s : table["sizes"]) {
        if (s["nps"] == "8" && s["schedule"] == "40") {
            found = true;
            EXPECT_DOUBLE_EQ(s["outside_diameter_mm"].get<double>(), 219.1);
            EXPECT_DOUBLE_EQ(s["wall_mm"].get<double>(), 8.18);
            EXPECT_NEAR(s["inside_diameter_mm"].get<double>(), 202.74, 1e-9);
        }
    }
    EXPECT_TRUE(found);
    EXPECT_NE(runTwcalc({"line", "--sizes"}).out.find("1-1/4"), std::string::npos);
}

}  // namespace
