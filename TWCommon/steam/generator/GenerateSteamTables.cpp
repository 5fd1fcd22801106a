// Writes the three steam table files of the Stable class from IAPWS-IF97:
//   TWSStb.twd  saturation table, 32-byte records (p, T, vf, vg, hf, hg, sf, sg)
//   TWStbP.twd  pressure list, 4-byte records (p)
//   TWStb.twd   state grid, 16-byte records (T, v, h, s), 185 rows of 72 slots
// and beside them the manifest TWStbManifest.txt (size and CRC-32 of each), by which the library
// tells its own files from damaged ones.
// All values are little-endian 32-bit floats in kg/cm2 a, oC, m3/kg, kcal/kg, kcal/(kg K);
// record numbers start at 1 and every table runs from the highest key down.
//
// Why this layout (the lookups interpolate linearly, so the layout sets the accuracy):
// - Saturation: the nodes are spread by equidistribution of a step density that is the sum of
//   two parts: one proportional to d(ln p)/dT, so that the cold end is graded in nearly equal
//   pressure ratios (about 0.5 K steps at 1 oC, where p rises 7 % per kelvin), and one that
//   shrinks the step in proportion to the distance from the critical point (about 0.3 K at
//   370 oC, 0.05 K next to it), where the liquid and vapour volumes vary like (Tc - T)^(1/3).
//   Plain 1 K steps leave several percent of error in the near-critical volumes.
// - Record 1 stands at the bounds the range checks admit (225.56 kg/cm2 a, 374.15 oC, the
//   critical point of an older formulation) with the properties of the IF97 critical point,
//   record 2 is the IF97 critical point (224.99 kg/cm2 a, 373.946 oC); records 3 to 374 run
//   down to 1 oC and record 375 (0.99 oC, 0.0066957 kg/cm2 a) lies below both lower bounds, so
//   every admitted value has a bracket inside records 1 to 375. Record 376 (0.01 oC) is
//   written because a lookup reads the record after its bracket.
// - Pressure rows: 185 pressures in equal ratios (5.7 % apart) from 250 kg/cm2 a down to
//   0.0099 kg/cm2 a, just below the 0.01 bound, so that a pressure lookup always has the next
//   lower row. Rows evenly spaced in saturation temperature crowd the high pressures and leave
//   the vapour at low pressure far too coarse.
// - Temperatures in a row: 705 oC (above the 700 bound, so that the top entry always brackets),
//   then 680 to 20 oC in 10 K steps, 12.5 oC and 5 oC (below the 10 oC bound and above the
//   density maximum near 4 oC, so that the volume column keeps decreasing down the row), 70
//   entries; the cold liquid gets the closer step because its entropy is small and a relative
//   error there grows fast.
//   A row below the critical pressure inserts its saturated vapour and saturated liquid (equal
//   temperature, the mark of the saturation line) in their place, 72 entries; a regular
//   temperature within 0.05 K of saturation is left out and its slot stays zero at the end of
//   the row. Rows above the critical pressure use the two spare slots for 375 and 385 oC, next
//   to the pseudo-critical line.

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "../SteamTableLayout.h"
#include "tw/IF97.h"

namespace {

namespace if97 = tw::if97;

constexpr double kMPaPerKgcm2 = 0.0980665;
constexpr double kKJPerKcal = 4.1868;
constexpr double kKelvinAt0C = 273.15;

constexpr int kSaturationRecords = tw::steam::kSaturationRecords + 1;
constexpr int kRows = tw::steam::kRows;
constexpr int kSlots = tw::steam::kSlots;
constexpr double kTopPressure = 250.0;      // kg/cm2 a
constexpr double kBottomPressure = 0.0099;  // kg/cm2 a

class RecordWriter {
  public:
    explicit RecordWriter(const std::filesystem::path& path)
        : path_(path), out_(path, std::ios::binary | std::ios::trunc) {}
    bool ok() const { return static_cast<bool>(out_); }
    void put(double value) {
        const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
        const char bytes[4] = {
            static_cast<char>(bits & 0xFF), static_cast<char>((bits >> 8) & 0xFF),
            static_cast<char>((bits >> 16) & 0xFF), static_cast<char>((bits >> 24) & 0xFF)};
        out_.write(bytes, 4);
    }
    bool finish() {
        out_.close();
        if (!out_) std::cerr << "cannot write " << path_ << '\n';
        return static_cast<bool>(out_);
    }

  private:
    std::filesystem::path path_;
    std::ofstream out_;
};

// One state in the base units of the table files.
struct TableState {
    double p, t, v, h, s;
};
TableState toTable(const if97::Properties& r) {
    return {r.p / kMPaPerKgcm2, r.T - kKelvinAt0C, r.v, r.h / kKJPerKcal, r.s / kKJPerKcal};
}

// Saturation temperatures (K) of records 2 .. 374 by equidistribution of the step density
// w(T) = A d(ln p)/dT + 1 / (0.08 (Tc - T) + 0.05 K).
std::vector<double> saturationTemperatures() {
    const double tCold = 1.0 + kKelvinAt0C;
    const double tc = if97::kCriticalT;
    const int intervals = 374 - 2;
    auto dlnp = [](double t) {
        const double d = 1e-4;
        return (std::log(if97::saturationPressure(t + d)) -
                std::log(if97::saturationPressure(t - d))) /
               (2 * d);
    };
    auto nearCritical = [tc](double t) { return 1.0 / (0.08 * (tc - t) + 0.05); };
    // Integrate both parts on a fine grid from the critical point down.
    constexpr int kFine = 200000;
    std::vector<double> t(kFine + 1), a(kFine + 1), b(kFine + 1);
    for (int i = 0; i <= kFine; ++i) t[i] = tc - (tc - tCold) * i / kFine;
    for (int i = 1; i <= kFine; ++i) {
        const double mid = 0.5 * (t[i] + t[i - 1]);
        const double dt = t[i - 1] - t[i];
        a[i] = a[i - 1] + dlnp(std::min(mid, tc - 1e-3)) * dt;
        b[i] = b[i - 1] + nearCritical(mid) * dt;
    }
    const double weight = (intervals - b[kFine]) / a[kFine];  // so that the total is `intervals`
    std::vector<double> nodes;
    nodes.push_back(tc);
    int j = 1;
    for (int k = 1; k < intervals; ++k) {
        const double target = k;
        while (weight * a[j] + b[j] < target) ++j;
        const double f0 = weight * a[j - 1] + b[j - 1], f1 = weight * a[j] + b[j];
        nodes.push_back(t[j - 1] + (t[j] - t[j - 1]) * (target - f0) / (f1 - f0));
    }
    nodes.push_back(tCold);
    return nodes;
}

bool writeSaturationTable(const std::filesystem::path& dir) {
    RecordWriter out(dir / "TWSStb.twd");
    if (!out.ok()) return false;
    auto record = [&out](double p, double t, const if97::Properties& f, const if97::Properties& g) {
        const TableState F = toTable(f), G = toTable(g);
        for (double x : {p, t, F.v, G.v, F.h, G.h, F.s, G.s}) out.put(x);
    };
    const if97::Properties critical = if97::region3(if97::kCriticalRho, if97::kCriticalT);
    // Record 1: at the admitted bounds, with the properties of the critical point.
    record(225.56, 374.15, critical, critical);
    int written = 1;
    for (double t : saturationTemperatures()) {
        const double p = if97::saturationPressure(t) / kMPaPerKgcm2;
        if (t >= if97::kCriticalT) {
            record(p, t - kKelvinAt0C, critical, critical);
        } else {
            record(p, t - kKelvinAt0C, if97::saturatedLiquid(t), if97::saturatedVapour(t));
        }
        ++written;
    }
    for (double tC : {0.99, 0.01}) {
        const double t = tC + kKelvinAt0C;
        record(if97::saturationPressure(t) / kMPaPerKgcm2, tC, if97::saturatedLiquid(t),
               if97::saturatedVapour(t));
        ++written;
    }
    if (written != kSaturationRecords) {
        std::cerr << "saturation table has " << written << " records\n";
        return false;
    }
    return out.finish();
}

double rowPressure(int row) {  // row 1 .. 185, kg/cm2 a
    return kTopPressure * std::pow(kBottomPressure / kTopPressure, (row - 1) / double(kRows - 1));
}

std::vector<double> regularTemperatures() {  // oC, from the top down
    std::vector<double> t{705.0};
    for (int c = 680; c >= 20; c -= 10) t.push_back(c);
    t.push_back(12.5);
    t.push_back(5.0);
    return t;
}

bool writePressureListAndGrid(const std::filesystem::path& dir) {
    RecordWriter plist(dir / "TWStbP.twd");
    RecordWriter grid(dir / "TWStb.twd");
    if (!plist.ok() || !grid.ok()) return false;
    for (int row = 1; row <= kRows; ++row) {
        const double pKg = rowPressure(row);
        const double p = pKg * kMPaPerKgcm2;
        plist.put(pKg);
        std::vector<TableState> entries;
        const bool subcritical = p < if97::kCriticalP;
        const double tSat = subcritical ? if97::saturationTemperature(p) - kKelvinAt0C : -1000;
        std::vector<double> temps = regularTemperatures();
        if (!subcritical) {
            temps.push_back(375.0);
            temps.push_back(385.0);
            std::sort(temps.begin(), temps.end(), std::greater<>());
        }
        bool pairDone = !subcritical;
        for (double t : temps) {
            if (!pairDone && t < tSat) {
                const double tk = tSat + kKelvinAt0C;
                TableState g = toTable(if97::saturatedVapour(tk));
                TableState f = toTable(if97::saturatedLiquid(tk));
                g.t = f.t = tSat;  // the same float temperature marks the saturation line
                entries.push_back(g);
                entries.push_back(f);
                pairDone = true;
            }
            if (subcritical && std::abs(t - tSat) < 0.05) continue;
            entries.push_back(toTable(if97::stateAt(p, t + kKelvinAt0C)));
        }
        if (entries.size() > static_cast<std::size_t>(kSlots)) {
            std::cerr << "row " << row << " has " << entries.size() << " entries\n";
            return false;
        }
        for (int slot = 0; slot < kSlots; ++slot) {
            if (slot < static_cast<int>(entries.size())) {
                const TableState& e = entries[static_cast<std::size_t>(slot)];
                for (double x : {e.t, e.v, e.h, e.s}) grid.put(x);
            } else {
                for (int c = 0; c < 4; ++c) grid.put(0.0);
            }
        }
    }
    return plist.finish() && grid.finish();
}

// One line per table file: name, size, CRC-32.
bool writeManifest(const std::filesystem::path& dir) {
    std::string text =
        "# Steam table files: name, size in bytes, CRC-32 (IEEE 802.3) in hexadecimal\n";
    for (const tw::steam::TableFileLayout& layout : tw::steam::kTableFiles) {
        std::ifstream in(dir / layout.name, std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in),
                                               std::istreambuf_iterator<char>()};
        if (!in || bytes.size() != layout.bytes()) {
            std::cerr << layout.name << " has " << bytes.size() << " bytes, not " << layout.bytes()
                      << '\n';
            return false;
        }
        text += tw::steam::manifestLine(layout.name, {bytes.size(), tw::steam::crc32(bytes)});
        text += '\n';
    }
    std::ofstream out(dir / tw::steam::kManifestFile, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) std::cerr << "cannot write " << (dir / tw::steam::kManifestFile) << '\n';
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " OUTPUT_DIRECTORY\n";
        return 2;
    }
    const std::filesystem::path dir(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!writeSaturationTable(dir) || !writePressureListAndGrid(dir) || !writeManifest(dir)) {
        return 1;
    }
    return 0;
}
