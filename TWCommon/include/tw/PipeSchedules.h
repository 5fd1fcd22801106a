#pragma once
// Nominal pipe sizes and wall schedules of welded and seamless wrought steel pipe (ASME
// B36.10M) and stainless steel pipe (ASME B36.19M, the "S" schedules), NPS 1/8 to 24: the
// outside diameter of each size and the nominal wall of each schedule the standards define.

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace tw::pipe {

// The schedules in the order of the table's columns.
inline constexpr std::array<std::string_view, 17> kScheduleNames{
    "5S", "10S", "10",  "20",  "30",  "40",  "STD", "40S", "60",
    "80", "XS",  "80S", "100", "120", "140", "160", "XXS"};

// One size in one schedule, millimetres.
struct PipeSize {
    std::string_view nps;       // "1/8", "1-1/4", "4"
    std::string_view schedule;  // one of kScheduleNames
    double outsideDiameter = 0;
    double wall = 0;
    double insideDiameter() const noexcept { return outsideDiameter - 2 * wall; }
};

// The size `nps` in `schedule` (both as the table writes them; "Sch 40" and "sch40" are also
// read as "40", "std" as "STD"); none when the size or the schedule is not in the table, or the
// standard defines no wall for that pair.
std::optional<PipeSize> findPipeSize(std::string_view nps, std::string_view schedule);
// Every defined pair, size by size from the smallest, schedules in column order.
std::vector<PipeSize> pipeSizes();
// The nominal sizes in table order.
std::vector<std::string_view> nominalPipeSizes();

}  // namespace tw::pipe
