#pragma once
// Species curves of the flue gas in British units, in the order of their published tables:
// ASME PTC 4.4 - 1981 and B&W STEAM. Argon is given the nitrogen curve in both.

#include <array>
#include <cstddef>

namespace tw::detail {

// Rows of both tables, in the order the enthalpy is summed.
enum Curve { cCO2, cSO2, cO2, cN2, cH2O, cCO, kCurveCount };

// ASME PTC 4.4 - 1981: h = A x^2 + B x + C x^3 + D / T, T in oR, x = T / 100, h in Btu/lb.
struct Ptc44Curve {
    double A, B, C, D;
};
constexpr std::array<Ptc44Curve, kCurveCount> kPtc44Curves = {{
    {0.67027, 14.00137, -0.0087505, -857.364},  // CO2
    {0.42328, 11.10611, -0.0060594, 67.88},     // SO2
    {0.24852, 19.75583, -0.0027109, 1886.205},  // O2
    {0.09764, 23.69959, 0.0005949, 1560.296},   // N2 (also Ar)
    {0.3671, 40.83193, 0.000616, 3442.356},     // H2O
    {0.13848, 23.39643, -0.000164, 1889.712},   // CO
}};

// B&W STEAM: h = a T^2 + b T + c, T in oF, h in Btu/lb, by band of T.
struct BnWCoefficients {
    float a, b, c;
};
constexpr std::array<float, 3> kBnWBandLimits = {500.0f, 1500.0f, 2500.0f};  // oF
// Bands: T < 500, 500 <= T < 1500, 1500 <= T < 2500, T >= 2500.
constexpr std::array<std::array<BnWCoefficients, 4>, kCurveCount> kBnWCurveTable = {{
    {{{5.544506e-05f, 0.1943114f, -15.2317f},  // CO2
      {2.560224e-05f, 0.227006f, -24.11829f},
      {1.045045e-05f, 0.2695022f, -53.77107f},
      {4.595554e-06f, 0.2989397f, -90.77172f}}},
    {{{3.420275e-05f, 0.1439724f, -11.25959f},  // SO2
      {1.366242e-05f, 0.1672132f, -17.74491f},
      {4.470094e-06f, 0.1923931f, -34.83202f},
      {2.012353e-06f, 0.2047152f, -50.27639f}}},
    {{{1.764672e-05f, 0.2162331f, -16.78533f},  // O2
      {1.403084e-05f, 0.2232213f, -19.37546f},
      {6.424422e-06f, 0.2438557f, -33.21262f},
      {4.86489e-06f, 0.2517422f, -43.18179f}}},
    {{{5.484935e-06f, 0.2450592f, -18.9332f},  // N2 (also Ar)
      {1.496168e-05f, 0.2362762f, -16.91089f},
      {8.654128e-06f, 0.2552508f, -31.18079f},
      {3.953408e-06f, 0.2789019f, -60.92904f}}},
    {{{2.998261e-05f, 0.4400434f, -34.11883f},  // H2O
      {4.575975e-05f, 0.4246434f, -30.36311f},
      {3.947132e-05f, 0.4475365f, -50.5538f},
      {2.413208e-05f, 0.5252888f, -149.0643f}}},
    {{{5.544506e-05f, 0.1943114f, -15.2317f},  // CO
      {2.559673e-05f, 0.2269866f, -24.10722f},
      {1.044809e-05f, 0.269504f, -53.79888f},
      {4.630355e-06f, 0.2987122f, -90.45853f}}},
}};

inline std::size_t bnwBand(float tF) {
    std::size_t band = 0;
    while (band < kBnWBandLimits.size() && tF >= kBnWBandLimits[band]) ++band;
    return band;
}

}  // namespace tw::detail
