#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tw/PipeSchedules.h"

using namespace tw::pipe;

namespace {

struct SpotCheck {
    const char* nps;
    const char* schedule;
    double od, wall, id;
};

// Dimensions as the standards print them (mm).
TEST(PipeSchedules, SizesMatchTheStandardsTables) {
    const SpotCheck checks[] = {
        {"4", "40", 114.3, 6.02, 102.26},   {"8", "40", 219.1, 8.18, 202.74},
        {"1/8", "40", 10.3, 1.73, 6.84},    {"1/2", "80", 21.3, 3.73, 13.84},
        {"1-1/4", "160", 42.2, 6.35, 29.5}, {"2", "XXS", 60.3, 11.07, 38.16},
        {"6", "10S", 168.3, 3.40, 161.5},   {"12", "STD", 323.9, 9.53, 304.84},
        {"12", "40", 323.9, 10.31, 303.28}, {"10", "80S", 273.1, 12.70, 247.7},
        {"10", "80", 273.1, 15.09, 242.92}, {"24", "160", 610, 59.54, 490.92},
        {"14", "10", 355.6, 6.35, 342.9},   {"14", "10S", 355.6, 4.78, 346.04},
    };
    for (const SpotCheck& c : checks) {
        SCOPED_TRACE(std::string(c.nps) + " " + c.schedule);
        const auto size = findPipeSize(c.nps, c.schedule);
        ASSERT_TRUE(size.has_value());
        EXPECT_DOUBLE_EQ(size->outsideDiameter, c.od);
        EXPECT_DOUBLE_EQ(size->wall, c.wall);
        EXPECT_NEAR(size->insideDiameter(), c.id, 1e-9);
    }
}

TEST(PipeSchedules, PairsTheStandardsLeaveOutAreNotFound) {
    const std::pair<const char*, const char*> missing[] = {
        {"1/8", "5S"}, {"3-1/2", "160"}, {"22", "40"}, {"14", "XXS"}, {"4", "20"},
        {"5", "30"},   {"4-1/2", "40"},  {"4", "45"},  {"", "40"},    {"4", ""},
    };
    for (const auto& [nps, schedule] : missing) {
        EXPECT_FALSE(findPipeSize(nps, schedule).has_value()) << nps << " " << schedule;
    }
}

TEST(PipeSchedules, ScheduleIsReadAsEngineersWriteIt) {
    for (const char* text : {"40", "Sch 40", "sch40", "SCH. 40"}) {
        const auto size = findPipeSize("4", text);
        ASSERT_TRUE(size.has_value()) << text;
        EXPECT_EQ(size->schedule, "40");
    }
    ASSERT_TRUE(findPipeSize("4", "std").has_value());
    EXPECT_EQ(findPipeSize("10", "40s")->schedule, "40S");
}

// Walls grow along each size's schedule numbers, and every size has an inside bore.
TEST(PipeSchedules, TableIsConsistent) {
    const std::vector<PipeSize> all = pipeSizes();
    EXPECT_EQ(nominalPipeSizes().size(), 24u);
    std::set<std::string_view> seen;
    for (const PipeSize& s : all) {
        EXPECT_GT(s.insideDiameter(), 0) << s.nps << " " << s.schedule;
        seen.insert(s.nps);
    }
    EXPECT_EQ(seen.size(), 24u);
    const char* numbered[] = {"10", "20", "30", "40", "60", "80", "100", "120", "140", "160"};
    for (std::string_view nps : nominalPipeSizes()) {
        double previous = 0;
        for (const char* schedule : numbered) {
            if (auto size = findPipeSize(nps, schedule)) {
                EXPECT_GT(size->wall, previous) << nps << " " << schedule;
                previous = size->wall;
            }
        }
    }
}

}  // namespace
