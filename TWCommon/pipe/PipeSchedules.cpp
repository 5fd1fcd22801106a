// Nominal pipe sizes and wall schedules, NPS 1/8 to 24.
//
// Source: ASME B36.10M-2018, Welded and Seamless Wrought Steel Pipe, Table 1 (schedules 10 to
// 160, STD, XS, XXS), and ASME B36.19M-2018, Stainless Steel Pipe, Table 1 (5S, 10S, 40S, 80S).
// Transcribed from the public tables of those standards: the millimetre columns as gathered in
// the open-source "fluids" library (github.com/CalebBell/fluids, fluids/piping.py, "from ASME
// B36.10M" and "from ASME B36.19M"), checked against the inch charts of the same standards
// (studylib.net "ASME/ANSI B36.10/19 steel pipe data chart"; follincraft.com pipe schedule
// charts; grinnell.com IH-1000M "Steel Pipe Sizes and Wall Thicknesses") and against the
// standards' own examples, NPS 4 Sch 40: 114.3 x 6.02 mm (ID 102.26), NPS 8 Sch 40: 219.1 x 8.18
// mm (ID 202.74). The outside diameters of NPS 10 and 12 are those of the current editions
// (273.1 and 323.9 mm, 10.750 and 12.750 in).

#include "tw/PipeSchedules.h"

#include <cctype>
#include <string>

namespace tw::pipe {
namespace {

struct SizeRow {
    std::string_view nps;
    double outsideDiameter;       // mm
    std::array<double, 17> wall;  // mm, in kScheduleNames order; 0: not defined
};

// clang-format off
// NPS, OD mm;     5S    10S   10    20    30     40     STD   40S   60     80     XS     80S    100    120    140    160    XXS
constexpr std::array<SizeRow, 24> kSizes{{
    {"1/8",   10.3, {0,    1.24, 1.24, 0,    1.45,  1.73,  1.73, 1.73, 0,     2.41,  2.41,  2.41,  0,     0,     0,     0,     0}},
    {"1/4",   13.7, {0,    1.65, 1.65, 0,    1.85,  2.24,  2.24, 2.24, 0,     3.02,  3.02,  3.02,  0,     0,     0,     0,     0}},
    {"3/8",   17.1, {0,    1.65, 1.65, 0,    1.85,  2.31,  2.31, 2.31, 0,     3.20,  3.20,  3.20,  0,     0,     0,     0,     0}},
    {"1/2",   21.3, {1.65, 2.11, 2.11, 0,    2.41,  2.77,  2.77, 2.77, 0,     3.73,  3.73,  3.73,  0,     0,     0,     4.78,  7.47}},
    {"3/4",   26.7, {1.65, 2.11, 2.11, 0,    2.41,  2.87,  2.87, 2.87, 0,     3.91,  3.91,  3.91,  0,     0,     0,     5.56,  7.82}},
    {"1",     33.4, {1.65, 2.77, 2.77, 0,    2.90,  3.38,  3.38, 3.38, 0,     4.55,  4.55,  4.55,  0,     0,     0,     6.35,  9.09}},
    {"1-1/4", 42.2, {1.65, 2.77, 2.77, 0,    2.97,  3.56,  3.56, 3.56, 0,     4.85,  4.85,  4.85,  0,     0,     0,     6.35,  9.70}},
    {"1-1/2", 48.3, {1.65, 2.77, 2.77, 0,    3.18,  3.68,  3.68, 3.68, 0,     5.08,  5.08,  5.08,  0,     0,     0,     7.14, 10.15}},
    {"2",     60.3, {1.65, 2.77, 2.77, 0,    3.18,  3.91,  3.91, 3.91, 0,     5.54,  5.54,  5.54,  0,     0,     0,     8.74, 11.07}},
    {"2-1/2", 73.0, {2.11, 3.05, 3.05, 0,    4.78,  5.16,  5.16, 5.16, 0,     7.01,  7.01,  7.01,  0,     0,     0,     9.53, 14.02}},
    {"3",     88.9, {2.11, 3.05, 3.05, 0,    4.78,  5.49,  5.49, 5.49, 0,     7.62,  7.62,  7.62,  0,     0,     0,    11.13, 15.24}},
    {"3-1/2",101.6, {2.11, 3.05, 3.05, 0,    4.78,  5.74,  5.74, 5.74, 0,     8.08,  8.08,  8.08,  0,     0,     0,     0,     0}},
    {"4",    114.3, {2.11, 3.05, 3.05, 0,    4.78,  6.02,  6.02, 6.02, 0,     8.56,  8.56,  8.56,  0,    11.13,  0,    13.49, 17.12}},
    {"5",    141.3, {2.77, 3.40, 3.40, 0,    0,     6.55,  6.55, 6.55, 0,     9.53,  9.53,  9.53,  0,    12.70,  0,    15.88, 19.05}},
    {"6",    168.3, {2.77, 3.40, 3.40, 0,    0,     7.11,  7.11, 7.11, 0,    10.97, 10.97, 10.97,  0,    14.27,  0,    18.26, 21.95}},
    {"8",    219.1, {2.77, 3.76, 3.76, 6.35, 7.04,  8.18,  8.18, 8.18, 10.31, 12.70, 12.70, 12.70, 15.09, 18.26, 20.62, 23.01, 22.23}},
    {"10",   273.1, {3.40, 4.19, 4.19, 6.35, 7.80,  9.27,  9.27, 9.27, 12.70, 15.09, 12.70, 12.70, 18.26, 21.44, 25.40, 28.58, 25.40}},
    {"12",   323.9, {3.96, 4.57, 4.57, 6.35, 8.38, 10.31,  9.53, 9.53, 14.27, 17.48, 12.70, 12.70, 21.44, 25.40, 28.58, 33.32, 25.40}},
    {"14",   355.6, {3.96, 4.78, 6.35, 7.92, 9.53, 11.13,  9.53, 9.53, 15.09, 19.05, 12.70, 12.70, 23.83, 27.79, 31.75, 35.71,  0}},
    {"16",   406.4, {4.19, 4.78, 6.35, 7.92, 9.53, 12.70,  9.53, 9.53, 16.66, 21.44, 12.70, 12.70, 26.19, 30.96, 36.53, 40.49,  0}},
    {"18",   457.0, {4.19, 4.78, 6.35, 7.92, 11.13, 14.27, 9.53, 9.53, 19.05, 23.83, 12.70, 12.70, 29.36, 34.93, 39.67, 45.24,  0}},
    {"20",   508.0, {4.78, 5.54, 6.35, 9.53, 12.70, 15.09, 9.53, 9.53, 20.62, 26.19, 12.70, 12.70, 32.54, 38.10, 44.45, 50.01,  0}},
    {"22",   559.0, {4.78, 5.54, 6.35, 9.53, 12.70,  0,    9.53, 0,    22.23, 28.58, 12.70,  0,    34.93, 41.28, 47.63, 53.98,  0}},
    {"24",   610.0, {5.54, 6.35, 6.35, 9.53, 14.27, 17.48, 9.53, 9.53, 24.61, 30.96, 12.70, 12.70, 38.89, 46.02, 52.37, 59.54,  0}},
}};
// clang-format on

// "Sch 40", "sch40", "SCH. 40" and "40" name the same column; letters are matched without
// regard to case ("std", "40s").
std::optional<std::size_t> scheduleColumn(std::string_view text) {
    std::string key;
    for (const char c : text) {
        if (c != ' ' && c != '.')
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (key.size() > 3 && key.compare(0, 3, "SCH") == 0) key.erase(0, 3);
    for (std::size_t i = 0; i < kScheduleNames.size(); ++i) {
        if (key == kScheduleNames[i]) return i;
    }
    return std::nullopt;
}

}  // namespace

std::optional<PipeSize> findPipeSize(std::string_view nps, std::string_view schedule) {
    const std::optional<std::size_t> column = scheduleColumn(schedule);
    if (!column) return std::nullopt;
    for (const SizeRow& row : kSizes) {
        if (row.nps != nps) continue;
        const double wall = row.wall[*column];
        if (wall <= 0) return std::nullopt;
        return PipeSize{row.nps, kScheduleNames[*column], row.outsideDiameter, wall};
    }
    return std::nullopt;
}

std::vector<PipeSize> pipeSizes() {
    std::vector<PipeSize> sizes;
    for (const SizeRow& row : kSizes) {
        for (std::size_t i = 0; i < kScheduleNames.size(); ++i) {
            if (row.wall[i] > 0)
                sizes.push_back({row.nps, kScheduleNames[i], row.outsideDiameter, row.wall[i]});
        }
    }
    return sizes;
}

std::vector<std::string_view> nominalPipeSizes() {
    std::vector<std::string_view> names;
    for (const SizeRow& row : kSizes) names.push_back(row.nps);
    return names;
}

}  // namespace tw::pipe
