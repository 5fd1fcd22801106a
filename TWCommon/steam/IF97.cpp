// IAPWS-IF97, revised release of 2007: the equations the steam table is generated from.

#include "tw/IF97.h"

#include <array>
#include <cmath>

namespace tw::if97 {
namespace {

struct Term {
    int I;
    int J;
    double n;
};

// Table 2: region 1, dimensionless Gibbs free energy gamma(pi, tau), eq. 7.
constexpr std::array<Term, 34> kRegion1{{
    {0, -2, 0.14632971213167},        {0, -1, -0.84548187169114},
    {0, 0, -0.37563603672040e1},      {0, 1, 0.33855169168385e1},
    {0, 2, -0.95791963387872},        {0, 3, 0.15772038513228},
    {0, 4, -0.16616417199501e-1},     {0, 5, 0.81214629983568e-3},
    {1, -9, 0.28319080123804e-3},     {1, -7, -0.60706301565874e-3},
    {1, -1, -0.18990068218419e-1},    {1, 0, -0.32529748770505e-1},
    {1, 1, -0.21841717175414e-1},     {1, 3, -0.52838357969930e-4},
    {2, -3, -0.47184321073267e-3},    {2, 0, -0.30001780793026e-3},
    {2, 1, 0.47661393906987e-4},      {2, 3, -0.44141845330846e-5},
    {2, 17, -0.72694996297594e-15},   {3, -4, -0.31679644845054e-4},
    {3, 0, -0.28270797985312e-5},     {3, 6, -0.85205128120103e-9},
    {4, -5, -0.22425281908000e-5},    {4, -2, -0.65171222895601e-6},
    {4, 10, -0.14341729937924e-12},   {5, -8, -0.40516996860117e-6},
    {8, -11, -0.12734301741641e-8},   {8, -6, -0.17424871230634e-9},
    {21, -29, -0.68762131295531e-18}, {23, -31, 0.14478307828521e-19},
    {29, -38, 0.26335781662795e-22},  {30, -39, -0.11947622640071e-22},
    {31, -40, 0.18228094581404e-23},  {32, -41, -0.93537087292458e-25},
}};

// Table 10: region 2, ideal-gas part gamma0(pi, tau), eq. 16 (J, n).
struct IdealTerm {
    int J;
    double n;
};
constexpr std::array<IdealTerm, 9> kRegion2Ideal{{
    {0, -0.96927686500217e1},
    {1, 0.10086655968018e2},
    {-5, -0.56087911283020e-2},
    {-4, 0.71452738081455e-1},
    {-3, -0.40710498223928},
    {-2, 0.14240819171444e1},
    {-1, -0.43839511319450e1},
    {2, -0.28408632460772},
    {3, 0.21268463753307e-1},
}};

// Table 11: region 2, residual part gammaR(pi, tau), eq. 17.
constexpr std::array<Term, 43> kRegion2Residual{{
    {1, 0, -0.17731742473213e-2},   {1, 1, -0.17834862292358e-1},
    {1, 2, -0.45996013696365e-1},   {1, 3, -0.57581259083432e-1},
    {1, 6, -0.50325278727930e-1},   {2, 1, -0.33032641670203e-4},
    {2, 2, -0.18948987516315e-3},   {2, 4, -0.39392777243355e-2},
    {2, 7, -0.43797295650573e-1},   {2, 36, -0.26674547914087e-4},
    {3, 0, 0.20481737692309e-7},    {3, 1, 0.43870667284435e-6},
    {3, 3, -0.32277677238570e-4},   {3, 6, -0.15033924542148e-2},
    {3, 35, -0.40668253562649e-1},  {4, 1, -0.78847309559367e-9},
    {4, 2, 0.12790717852285e-7},    {4, 3, 0.48225372718507e-6},
    {5, 7, 0.22922076337661e-5},    {6, 3, -0.16714766451061e-10},
    {6, 16, -0.21171472321355e-2},  {6, 35, -0.23895741934104e2},
    {7, 0, -0.59059564324270e-17},  {7, 11, -0.12621808899101e-5},
    {7, 25, -0.38946842435739e-1},  {8, 8, 0.11256211360459e-10},
    {8, 36, -0.82311340897998e1},   {9, 13, 0.19809712802088e-7},
    {10, 4, 0.10406965210174e-18},  {10, 10, -0.10234747095929e-12},
    {10, 14, -0.10018179379511e-8}, {16, 29, -0.80882908646985e-10},
    {16, 50, 0.10693031879409},     {18, 57, -0.33662250574171},
    {20, 20, 0.89185845355421e-24}, {20, 35, 0.30629316876232e-12},
    {20, 48, -0.42002467698208e-5}, {21, 21, -0.59056029685639e-25},
    {22, 53, 0.37826947613457e-5},  {23, 39, -0.12768608934681e-14},
    {24, 26, 0.73087610595061e-28}, {24, 40, 0.55414715350778e-16},
    {24, 58, -0.94369707241210e-6},
}};

// Table 30: region 3, dimensionless Helmholtz free energy phi(delta, tau), eq. 28. The first
// coefficient multiplies ln(delta); the rest are the terms i = 2 .. 40.
constexpr double kRegion3LogDelta = 0.10658070028513e1;
constexpr std::array<Term, 39> kRegion3{{
    {0, 0, -0.15732845290239e2},   {0, 1, 0.20944396974307e2},    {0, 2, -0.76867707878716e1},
    {0, 7, 0.26185947787954e1},    {0, 10, -0.28080781148620e1},  {0, 12, 0.12053369696517e1},
    {0, 23, -0.84566812812502e-2}, {1, 2, -0.12654315477714e1},   {1, 6, -0.11524407806681e1},
    {1, 15, 0.88521043984318},     {1, 17, -0.64207765181607},    {2, 0, 0.38493460186671},
    {2, 2, -0.85214708824206},     {2, 6, 0.48972281541877e1},    {2, 7, -0.30502617256965e1},
    {2, 22, 0.39420536879154e-1},  {2, 26, 0.12558408424308},     {3, 0, -0.27999329698710},
    {3, 2, 0.13899799569460e1},    {3, 4, -0.20189915023570e1},   {3, 16, -0.82147637173963e-2},
    {3, 26, -0.47596035734923},    {4, 0, 0.43984074473500e-1},   {4, 2, -0.44476435428739},
    {4, 4, 0.90572070719733},      {4, 26, 0.70522450087967},     {5, 1, 0.10770512626332},
    {5, 3, -0.32913623258954},     {5, 26, -0.50871062041158},    {6, 0, -0.22175400873096e-1},
    {6, 2, 0.94260751665092e-1},   {6, 26, 0.16436278447961},     {7, 2, -0.13503372241348e-1},
    {8, 26, -0.14834345352472e-1}, {9, 2, 0.57922953628084e-3},   {9, 26, 0.32308904703711e-2},
    {10, 0, 0.80964802996215e-4},  {10, 1, -0.16557679795037e-3}, {11, 26, -0.44923899061815e-4},
}};

// Table 1: the B23 equation, eqs. 5 and 6 (p* = 1 MPa, T* = 1 K).
constexpr std::array<double, 5> kB23{0.34805185628969e3, -0.11671859879975e1, 0.10192970039326e-2,
                                     0.57254459862746e3, 0.13918839778870e2};

// Table 34: the saturation-pressure equation, eqs. 29 to 31 (p* = 1 MPa, T* = 1 K).
constexpr std::array<double, 10> kSat{0.11670521452767e4,  -0.72421316703206e6, -0.17073846940092e2,
                                      0.12020824702470e5,  -0.32325550322333e7, 0.14915108613530e2,
                                      -0.48232657361591e4, 0.40511340542057e6,  -0.23855557567849,
                                      0.65017534844798e3};

constexpr double kRegion1PStar = 16.53;   // MPa
constexpr double kRegion1TStar = 1386.0;  // K
constexpr double kRegion2TStar = 540.0;   // K
constexpr double kRegion13T = 623.15;     // K, lower temperature of region 3

double ipow(double x, int e) {
    return std::pow(x, e);
}

}  // namespace

Properties region1(double p, double T) {
    const double pi = p / kRegion1PStar;
    const double tau = kRegion1TStar / T;
    const double a = 7.1 - pi;
    const double b = tau - 1.222;
    double g = 0, gPi = 0, gTau = 0;
    for (const Term& t : kRegion1) {
        g += t.n * ipow(a, t.I) * ipow(b, t.J);
        gPi += -t.n * t.I * ipow(a, t.I - 1) * ipow(b, t.J);
        gTau += t.n * ipow(a, t.I) * t.J * ipow(b, t.J - 1);
    }
    // Table 3: v = pi gamma_pi RT/p, h = tau gamma_tau RT, s = (tau gamma_tau - gamma) R.
    return {p, T, pi * gPi * kR * T / (p * 1000.0), tau * gTau * kR * T, (tau * gTau - g) * kR};
}

Properties region2(double p, double T) {
    const double pi = p;  // p* = 1 MPa
    const double tau = kRegion2TStar / T;
    double g0 = std::log(pi), g0Tau = 0;
    for (const IdealTerm& t : kRegion2Ideal) {
        g0 += t.n * ipow(tau, t.J);
        g0Tau += t.n * t.J * ipow(tau, t.J - 1);
    }
    const double b = tau - 0.5;
    double gr = 0, grPi = 0, grTau = 0;
    for (const Term& t : kRegion2Residual) {
        gr += t.n * ipow(pi, t.I) * ipow(b, t.J);
        grPi += t.n * t.I * ipow(pi, t.I - 1) * ipow(b, t.J);
        grTau += t.n * ipow(pi, t.I) * t.J * ipow(b, t.J - 1);
    }
    // Table 12.
    const double v = pi * (1.0 / pi + grPi) * kR * T / (p * 1000.0);
    const double h = tau * (g0Tau + grTau) * kR * T;
    const double s = (tau * (g0Tau + grTau) - (g0 + gr)) * kR;
    return {p, T, v, h, s};
}

namespace {
struct Region3Sums {
    double phi = 0, phiDelta = 0, phiTau = 0;
};
Region3Sums region3Sums(double delta, double tau) {
    Region3Sums r;
    r.phi = kRegion3LogDelta * std::log(delta);
    r.phiDelta = kRegion3LogDelta / delta;
    for (const Term& t : kRegion3) {
        r.phi += t.n * ipow(delta, t.I) * ipow(tau, t.J);
        r.phiDelta += t.n * t.I * ipow(delta, t.I - 1) * ipow(tau, t.J);
        r.phiTau += t.n * ipow(delta, t.I) * t.J * ipow(tau, t.J - 1);
    }
    return r;
}
}  // namespace

double region3Pressure(double rho, double T) {
    const double delta = rho / kCriticalRho;
    const Region3Sums r = region3Sums(delta, kCriticalT / T);
    return delta * r.phiDelta * rho * kR * T / 1000.0;  // Table 31: p/(rho R T) = delta phi_delta
}

Properties region3(double rho, double T) {
    const double delta = rho / kCriticalRho;
    const double tau = kCriticalT / T;
    const Region3Sums r = region3Sums(delta, tau);
    const double p = delta * r.phiDelta * rho * kR * T / 1000.0;
    const double h = (tau * r.phiTau + delta * r.phiDelta) * kR * T;
    const double s = (tau * r.phiTau - r.phi) * kR;
    return {p, T, 1.0 / rho, h, s};
}

double b23Pressure(double T) {
    return kB23[0] + kB23[1] * T + kB23[2] * T * T;
}
double b23Temperature(double p) {
    return kB23[3] + std::sqrt((p - kB23[4]) / kB23[2]);
}

double saturationPressure(double T) {
    const double theta = T + kSat[8] / (T - kSat[9]);  // eq. 29b
    const double A = theta * theta + kSat[0] * theta + kSat[1];
    const double B = kSat[2] * theta * theta + kSat[3] * theta + kSat[4];
    const double C = kSat[5] * theta * theta + kSat[6] * theta + kSat[7];
    const double x = 2.0 * C / (-B + std::sqrt(B * B - 4.0 * A * C));  // eq. 30
    return x * x * x * x;
}

double saturationTemperature(double p) {
    const double beta = std::pow(p, 0.25);  // eq. 29a
    const double E = beta * beta + kSat[2] * beta + kSat[5];
    const double F = kSat[0] * beta * beta + kSat[3] * beta + kSat[6];
    const double G = kSat[1] * beta * beta + kSat[4] * beta + kSat[7];
    const double D = 2.0 * G / (-F - std::sqrt(F * F - 4.0 * E * G));
    const double n10D = kSat[9] + D;  // eq. 31
    return (n10D - std::sqrt(n10D * n10D - 4.0 * (kSat[8] + kSat[9] * D))) / 2.0;
}

std::optional<double> region3Density(double p, double T, bool liquidSide) {
    if (!(p > 0) || !(T > 0)) return std::nullopt;
    // Walk along the isotherm from the chosen side in small density ratios until the pressure
    // crosses p; the first crossing is the stable root of that side. Then bisect the bracket.
    constexpr double kRatio = 1.005;
    double lo = 0, hi = 0;
    if (liquidSide) {
        double rho = 800.0;  // above every liquid density of region 3 up to 100 MPa
        if (region3Pressure(rho, T) < p) return std::nullopt;
        while (true) {
            const double next = rho / kRatio;
            if (next < 1.0) return std::nullopt;
            if (region3Pressure(next, T) < p) {
                lo = next;
                hi = rho;
                break;
            }
            rho = next;
        }
    } else {
        double rho = 0.5 * p * 1000.0 / (kR * T);
        if (region3Pressure(rho, T) > p) return std::nullopt;
        while (true) {
            const double next = rho * kRatio;
            if (next > 800.0) return std::nullopt;
            if (region3Pressure(next, T) > p) {
                lo = rho;
                hi = next;
                break;
            }
            rho = next;
        }
    }
    // p - p(rho) changes sign across [lo, hi]; the sign at lo tells the direction.
    const bool risingPressure = region3Pressure(lo, T) < p;
    for (int i = 0; i < 80 && hi - lo > 1e-13 * hi; ++i) {
        const double mid = 0.5 * (lo + hi);
        const bool below = region3Pressure(mid, T) < p;
        if (below == risingPressure) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return 0.5 * (lo + hi);
}

Properties stateAt(double p, double T) {
    if (T <= kRegion13T) {
        return p >= saturationPressure(T) ? region1(p, T) : region2(p, T);
    }
    if (p <= b23Pressure(T)) return region2(p, T);
    const bool liquid = T >= kCriticalT || p > saturationPressure(T);
    const std::optional<double> rho = region3Density(p, T, liquid);
    Properties r = region3(rho.value_or(kCriticalRho), T);
    r.p = p;  // the state asked for; the root reproduces it to the bisection's tolerance
    return r;
}

namespace {
Properties saturated(double T, bool liquid) {
    const double ps = saturationPressure(T);
    if (T <= kRegion13T) return liquid ? region1(ps, T) : region2(ps, T);
    double rho = region3Density(ps, T, liquid).value_or(kCriticalRho);
    // Next to the critical point the two branches meet; a root found across the critical
    // density belongs to the other phase and is held at the critical density instead.
    if (liquid ? rho < kCriticalRho : rho > kCriticalRho) rho = kCriticalRho;
    Properties r = region3(rho, T);
    r.p = ps;
    return r;
}
}  // namespace

Properties saturatedLiquid(double T) {
    return saturated(T, true);
}
Properties saturatedVapour(double T) {
    return saturated(T, false);
}

}  // namespace tw::if97
