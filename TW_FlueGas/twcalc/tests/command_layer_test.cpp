// The command layer that twcalc and the Python module share.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <thread>

#include "CommandLayer.h"
#include "Commands.h"
#include "FlueGasBatch.h"
#include "FlueGasCalculator.h"
#include "FlueGasOptions.h"
#include "JsonWriter.h"
#include "RunTwcalc.h"
#include "mdlTW_FlueGas.h"

namespace {

using twcalc::commandTable;
using twcalc::evaluate;

const twcalc::CommandInfo& command(const std::vector<twcalc::CommandInfo>& table,
                                   const std::vector<std::string>& path) {
    for (const twcalc::CommandInfo& c : table) {
        if (c.path == path) return c;
    }
    throw std::runtime_error("no command " + path.front());
}

TEST(CommandLayer, TheTableListsEveryCommandWithItsArguments) {
    const auto table = commandTable();
    std::vector<std::string> names;
    for (const auto& c : table) {
        std::string name;
        for (const std::string& part : c.path) name += (name.empty() ? "" : "_") + part;
        names.push_back(name);
    }
    for (const char* expected : {"convert", "units", "fluegas", "steam_sat", "steam_state",
                                 "steam_visco", "pipe", "dpcalc"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
    }
    EXPECT_EQ(std::find(names.begin(), names.end(), "steam"), names.end());

    const auto& convert = command(table, {"convert"});
    std::vector<std::string> positionals;
    for (const auto& p : convert.positionals) positionals.push_back(p.keyword);
    EXPECT_EQ(positionals, (std::vector<std::string>{"key", "from_unit", "to_unit", "value"}));
    EXPECT_TRUE(convert.positionals[0].required);

    const auto& dpcalc = command(table, {"dpcalc"});
    auto option = [](const twcalc::CommandInfo& c, const std::string& keyword) {
        for (const auto& o : c.options) {
            if (o.keyword == keyword) return o;
        }
        throw std::runtime_error("no option " + keyword);
    };
    EXPECT_TRUE(option(dpcalc, "pipe").flag);
    EXPECT_TRUE(option(dpcalc, "set").repeatable);
    EXPECT_FALSE(option(dpcalc, "name").repeatable);
    EXPECT_EQ(option(dpcalc, "set").name, "--set");
    // Published spellings stay, the common options are there, --json is implied.
    const auto& pipe = command(table, {"pipe"});
    EXPECT_EQ(option(pipe, "Isentropic_exponent_k").name, "--Isentropic_exponent_k");
    EXPECT_EQ(option(pipe, "lang").name, "--lang");
    EXPECT_THROW(option(pipe, "json"), std::runtime_error);
    EXPECT_THROW(option(pipe, "help"), std::runtime_error);
}

TEST(CommandLayer, AnEvaluationGivesTheObjectTwcalcPrints) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"convert", "TP", "oC", "oF", "100"},
             {"steam", "sat", "--tp", "100", "--lang", "ko"},
             {"pipe", "f", "--PipeID", "100", "--AbsRoughness", "0.05", "--ReynoldNo", "3000"},
             {"fluegas", "--so3", "user"},
             {"pipe", "fT", "--PipeID", "100", "--AbsRoughness", "-1"}}) {
        const twcalc::Outcome outcome = evaluate(args);
        std::vector<std::string> withJson = args;
        withJson.emplace_back("--json");
        const TwcalcResult printed = runTwcalc(withJson);
        EXPECT_EQ(outcome.status, printed.status) << args[0];
        EXPECT_EQ(printed.out, twcalc::writeJson(outcome.value) + "\n") << args[0];
    }
}

TEST(CommandLayer, UsageErrorsSayWhetherTheCallOrAValueIsWrong) {
    struct Case {
        std::vector<std::string> args;
        twcalc::ExitStatus status;
        bool malformedCall;
        std::string error;
    };
    for (const Case& c : std::vector<Case>{
             {{"convert", "TP", "oC", "oF", "nan"},
              twcalc::kUsageError,
              false,
              "VALUE 'nan' is not a decimal number"},
             {{"convert", "TP", "oC", "oF"}, twcalc::kUsageError, true, "VALUE is required"},
             {{"units", "--bogus=1"}, twcalc::kUsageError, true, "--bogus=1"},
             {{"steam", "sat", "--pr", "1", "--tp", "100"},
              twcalc::kUsageError,
              true,
              "give one of --pr, --tp or --code with --value"},
             {{"pipe", "f", "--PipeID", "100"}, twcalc::kUsageError, true, "pipe f needs"},
             {{"pipe", "Nope"}, twcalc::kUsageError, false, "unknown pipe function 'Nope'"},
             {{"units", "--lang", "fr"}, twcalc::kUsageError, false, "fr"},
             {{"units", "--help"}, twcalc::kUsageError, true, "twcalc COMMAND --help"},
             {{"fluegas", "--csv", "/nonexistent/in.csv"},
              twcalc::kFileError,
              false,
              "cannot read '/nonexistent/in.csv': No such file or directory"},
         }) {
        const twcalc::Outcome outcome = evaluate(c.args);
        EXPECT_EQ(outcome.status, c.status) << c.args[0];
        EXPECT_EQ(outcome.malformedCall, c.malformedCall) << outcome.error;
        EXPECT_NE(outcome.error.find(c.error), std::string::npos) << outcome.error;
    }
}

TEST(CommandLayer, NumberTextsReadBackToTheSameNumber) {
    for (const auto& [value, text] : std::vector<std::pair<double, std::string>>{
             {76, "76"},
             {0.1, "0.1"},
             {-0.5, "-0.5"},
             {1e16, "1e16"},
             {1.5e-7, "1.5e-07"},
             {std::numeric_limits<double>::quiet_NaN(), "nan"},
             {-std::numeric_limits<double>::infinity(), "-inf"}}) {
        EXPECT_EQ(twcalc::numberText(value), text);
    }
    // A table cell takes it as typed: digits, '-', '.', 'e' only.
    EXPECT_EQ(evaluate({"fluegas", "--n2", twcalc::numberText(1e16)}).status, twcalc::kSuccess);
}

// A JSON number reads back to the value the library holds: a single as that single, in as few
// digits as a single needs; a double as that double, with all the digits it needs.
TEST(JsonNumbers, TheShortestTextThatReadsBackToTheValue) {
    for (const float single :
         {639.04931640625F, 1.0342133F, 0.1F, 3.4028235e38F, -1.1754944e-38F, 100.0F, 1e-45F, 1e6F,
          16777215.0F, 16777216.0F, 30000000.0F, -0.0F}) {
        const std::optional<std::string> text = twcalc::jsonNumberText(single);
        ASSERT_TRUE(text);
        EXPECT_EQ(std::strtof(text->c_str(), nullptr), single) << *text;
        EXPECT_LE(text->find_first_of("eE", 0) == std::string::npos ? text->size() : 0U, 10U)
            << *text;  // at most 9 digits and a point, where %.17g would need 17
        EXPECT_EQ(twcalc::jsonNumberValue(single), std::strtod(text->c_str(), nullptr));
    }
    for (const double value :
         {55494.60824035405, 0.1, 1e300, -2.2250738585072014e-308, 1.0 / 3.0, 4.9e-324}) {
        const std::optional<std::string> text = twcalc::jsonNumberText(value);
        ASSERT_TRUE(text);
        EXPECT_EQ(std::strtod(text->c_str(), nullptr), value) << *text;
        EXPECT_EQ(twcalc::jsonNumberValue(value), value);
    }
    std::mt19937 random(11);
    for (int i = 0; i < 300000; ++i) {
        const auto single = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (!std::isfinite(single)) continue;
        const std::optional<std::string> text = twcalc::jsonNumberText(single);
        ASSERT_TRUE(text);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(twcalc::jsonNumberValue(single)),
                  std::bit_cast<std::uint64_t>(std::strtod(text->c_str(), nullptr)))
            << *text;
    }
    // Every single of a stretch around the turns of the rule: whole numbers written in full or
    // as d.ddde+XX, the ends of the range worked out without the text, and powers of two.
    for (const float from : {6.7108864e7F, 1e9F, 1e10F, 9.99e11F, 1.1920929e-7F, 9.094947e-13F,
                             1.8446744e19F, 1.0F, 0.001F}) {
        auto bits = std::bit_cast<std::uint32_t>(from) - 20000;
        for (int i = 0; i < 40000; ++i, ++bits) {
            const auto single = std::bit_cast<float>(bits);
            const std::optional<std::string> text = twcalc::jsonNumberText(single);
            ASSERT_TRUE(text);
            ASSERT_EQ(std::bit_cast<std::uint64_t>(twcalc::jsonNumberValue(single)),
                      std::bit_cast<std::uint64_t>(std::strtod(text->c_str(), nullptr)))
                << *text;
            ASSERT_EQ(twcalc::jsonNumberValue(-single), -std::strtod(text->c_str(), nullptr))
                << *text;
        }
    }
    EXPECT_EQ(twcalc::jsonNumberText(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(twcalc::jsonNumberText(-std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(twcalc::writeJson({{"a", 639.04931640625F}, {"b", 1e300}, {"c", NAN}}),
              twcalc::writeJson({{"a", 639.0493F}, {"b", 1e300}, {"c", nullptr}}));
}

// A command made ready once gives what the command line gives, call after call: no value one
// call gave its options is left for the next.
TEST(PreparedCommands, GiveWhatTheCommandLineGivesCallAfterCall) {
    using Arguments = std::vector<std::pair<std::string, std::string>>;  // keyword, text
    const std::vector<std::pair<std::vector<std::string>, Arguments>> calls{
        {{"steam", "sat"}, {{"tp", "100"}}},
        {{"steam", "sat"}, {{"pr", "10"}, {"upr", "2"}, {"lang", "ko"}}},
        {{"steam", "sat"}, {}},
        {{"steam", "sat"}, {{"code", "1"}}},
        {{"steam", "sat"}, {{"tp", "abc"}}},
        {{"steam", "sat"}, {{"tp", "1"}, {"lang", "fr"}}},
        {{"convert"}, {{"key", "TP"}, {"from_unit", "0"}, {"to_unit", "1"}, {"value", "100"}}},
        {{"convert"}, {{"key", "XX"}, {"from_unit", "0"}, {"to_unit", "1"}, {"value", "1"}}},
        {{"fluegas"}, {{"n2", "76"}, {"o2", "4"}, {"h2o", "7"}, {"t", "300"}, {"jobs", "2"}}},
        {{"fluegas"}, {{"n2", "76"}, {"t", "300"}, {"tref", ""}}},
        {{"pipe"},
         {{"function", "f"}, {"PipeID", "100"}, {"AbsRoughness", "0.05"}, {"ReynoldNo", "3000"}}},
        {{"pipe"}, {{"function", "f"}, {"PipeID", "100"}}},
        {{"dpcalc"}, {{"pipe", ""}, {"set", "i_MFlow=36000"}, {"set", "i_PipeID=100"}}},
        {{"dpcalc"}, {{"name", "47"}}},
        {{"efficiency"},
         {{"fuel_gas", "CH4=100"},
          {"o2_dry", "3"},
          {"stack_temperature", "180"},
          {"sweep", "stack-temperature"},
          {"sweep", "100:300:50"}}},
        {{"efficiency"},
         {{"fuel_gas", "CH4=100"}, {"o2_dry", "3"}, {"stack_temperature", "180"}, {"sweep", "t"}}},
    };
    std::map<std::vector<std::string>, twcalc::PreparedCommand> prepared;
    for (int round = 0; round < 2; ++round) {
        for (const auto& [path, arguments] : calls) {
            twcalc::PreparedCommand& command = prepared.try_emplace(path, path).first->second;
            const twcalc::CommandInfo& info = command.info();
            std::vector<twcalc::PreparedCommand::Given> given;
            std::vector<std::string> line = path, positionals;
            for (const auto& [keyword, text] : arguments) {
                const auto named = [&](const twcalc::ArgumentInfo& a) {
                    return a.keyword == keyword;
                };
                const auto p =
                    std::find_if(info.positionals.begin(), info.positionals.end(), named);
                if (p != info.positionals.end()) {
                    given.push_back({static_cast<std::size_t>(p - info.positionals.begin()), text});
                    positionals.push_back(text);
                    continue;
                }
                const auto o = std::find_if(info.options.begin(), info.options.end(), named);
                ASSERT_NE(o, info.options.end()) << keyword;
                given.push_back(
                    {info.positionals.size() + static_cast<std::size_t>(o - info.options.begin()),
                     text});
                if (o->flag) {
                    line.push_back(o->name);
                } else if (text.empty()) {
                    line.insert(line.end(), {o->name, ""});
                } else {
                    line.push_back(o->name + "=" + text);
                }
            }
            if (!positionals.empty()) line.push_back("--");
            line.insert(line.end(), positionals.begin(), positionals.end());
            const std::optional<twcalc::Outcome> fast = command.run(given);
            const twcalc::Outcome slow = evaluate(line);
            ASSERT_TRUE(fast) << line.front();
            EXPECT_EQ(fast->status, slow.status) << line.size();
            EXPECT_EQ(twcalc::writeJson(fast->value), twcalc::writeJson(slow.value));
            EXPECT_EQ(fast->error, slow.error);
            EXPECT_EQ(fast->malformedCall, slow.malformedCall);
        }
    }
    // A required argument left out is for the command line to word.
    EXPECT_FALSE(twcalc::PreparedCommand({"steam", "visco"}).run({}));
}

// The messages the library showed go into the object once: beside its fields, or in place of
// messages of its own.
// Single flue gas cases in turn, in both languages and with settings changing from case to
// case, show the table a fresh table of the case shows after its calculation.
TEST(PreparedCommands, FlueGasCasesInTurnShowTheTableOfTheirOwn) {
    using Options = std::vector<std::pair<std::string, std::string>>;
    const Options typical{{"n2", "76"},   {"ar", "0.9"}, {"o2", "4"},  {"co2", "12"}, {"co", "0"},
                          {"so2", "0.1"}, {"h2o", "7"},  {"t", "300"}, {"tref", "25"}};
    const std::vector<std::pair<std::string, Options>> settings{
        {"en", {}},
        {"ko", {}},
        {"en", {{"formula", "1"}, {"utp", "1"}}},
        {"ko", {{"formula", "2"}, {"uenth", "2"}, {"upr", "1"}}},
        {"en", {{"so3", "2.5"}, {"basis", "wt"}}},
        {"en", {{"so3", "user"}}},
        {"ko", {{"so3", "2.5"}, {"basis", "wt"}}},
        {"en", {}},
    };
    for (int round = 0; round < 2; ++round) {
        for (const auto& [language, extra] : settings) {
            Options options = typical;
            options.insert(options.end(), extra.begin(), extra.end());
            std::vector<std::string> line{"fluegas", "--lang", language};
            for (const auto& [name, value] : options) line.push_back("--" + name + "=" + value);
            const twcalc::Outcome outcome = evaluate(line);
            ASSERT_EQ(outcome.status, twcalc::kSuccess) << outcome.error;

            tw::TW_Language = language == "ko" ? tw::TW_Korean : tw::TW_English;
            tw::fluegas::CalculatorTable fresh =
                tw::fluegas::tableForCase(twcalc::flueGasCaseFromOptions(options));
            tw::fluegas::Calculate(fresh);
            EXPECT_EQ(outcome.value["table"], twcalc::flueGasTableJson(fresh))
                << language << " " << line.back();
        }
    }
}

// A command's JSON nodes are kept per thread for the next object: an object made on one thread
// and released on another, after the first has ended, keeps its values, and so do objects made
// afterwards of the blocks it gave back.
TEST(JsonNodes, ObjectsCrossThreadsAndReuseTheirBlocks) {
    const auto make = [](int seed) {
        twcalc::Json::array_t rows;
        for (int r = 0; r < 40; ++r) {
            twcalc::Json::array_t cells;
            for (int c = 0; c <= r % 5; ++c) {
                cells.emplace_back(std::string(static_cast<std::size_t>(r + c), 'x') +
                                   std::to_string(seed));
            }
            rows.emplace_back(std::move(cells));
        }
        return twcalc::Json{{"rows", std::move(rows)}, {"seed", seed}};
    };
    const std::string expected = make(7).dump();
    std::optional<twcalc::Json> crossed;
    std::thread([&] { crossed = make(7); }).join();
    EXPECT_EQ(crossed->dump(), expected);
    crossed.reset();  // its blocks go to this thread's lists
    for (int i = 0; i < 3; ++i) EXPECT_EQ(make(7).dump(), expected);
    EXPECT_NE(make(8).dump(), expected);
}

TEST(Session, TheMessagesGoIntoTheObjectOnce) {
    twcalc::Session session;
    session.json = true;
    session.recorder.show("shown", "caption", tw::MessageIcon::Information, tw::MessageButtons::OK);
    session.emit(twcalc::numberFields({{"a", 1.0}}), "");
    EXPECT_EQ(
        twcalc::writeJson(*session.result),
        R"({"a": 1, "messages": [{"caption": "caption", "text": "shown", "icon": "information"}]})");
    session.emit({{"a", 1.0}, {"messages", "its own"}}, "");
    EXPECT_EQ(session.result->size(), 2U);
    EXPECT_TRUE((*session.result)["messages"].is_array());
}

}  // namespace
