#!/usr/bin/env python3
"""Adiabatic flame temperatures worked out independently of the C++ core, as a cross-check.

Reads the NASA Glenn records (CEA thermo.inp layout) of the flue gas species, integrates
cp(T) numerically (Simpson's rule) from 25 oC instead of using the enthalpy polynomials, and
finds the temperature at which the products take up the heat by bisection.

Usage: flame_temperature_check.py NASA.inp
"""

import sys

R = 8.31451  # J/(mol K)
T0 = 298.15
AIR = {"N2": 0.78084, "O2": 0.20946, "Ar": 0.00934, "CO2": 0.00036}
M = {"N2": 28.013, "O2": 31.999, "CO2": 44.01, "CO": 28.0104, "SO2": 64.065, "H2O": 18.015,
     "Ar": 39.948}
M_AIR = sum(AIR[s] * M[s] for s in AIR)


def read_cp_polynomials(path):
    lines = open(path).read().splitlines()
    species = {}
    i = 0
    while i < len(lines):
        if not lines[i].strip():
            i += 1
            continue
        name = lines[i][:18].split()[0]
        count = int(lines[i + 1][:2])
        intervals = []
        for k in range(count):
            rng = lines[i + 2 + 3 * k]
            lo, hi = float(rng[:11]), float(rng[11:22])
            row1 = lines[i + 3 + 3 * k].ljust(80)
            row2 = lines[i + 4 + 3 * k].ljust(80)
            f = lambda s: float(s.replace("D", "E"))
            a = [f(row1[16 * j:16 * j + 16]) for j in range(5)]
            a += [f(row2[16 * j:16 * j + 16]) for j in range(2)]
            intervals.append((lo, hi, a))
        species[name] = intervals
        i += 2 + 3 * count
    return species


def cp(species, name, T):
    for lo, hi, a in species[name]:
        if lo <= T <= hi:
            return R * (a[0] / T**2 + a[1] / T + a[2] + a[3] * T + a[4] * T**2 + a[5] * T**3 +
                        a[6] * T**4)  # J/(mol K) = kJ/(kmol K)
    raise ValueError(T)


def sensible(species, name, T, steps=400):
    # Simpson's rule from T0 to T, split at 1000 K where the polynomials change.
    def simpson(a, b):
        if b == a:
            return 0.0
        h = (b - a) / steps
        s = cp(species, name, a) + cp(species, name, b)
        for k in range(1, steps):
            s += (4 if k % 2 else 2) * cp(species, name, a + k * h)
        return s * h / 3
    if T <= 1000 or T0 >= 1000:
        return simpson(T0, T)
    return simpson(T0, 1000.0) + simpson(1000.0, T)


def flame(species, products, heat):
    lo, hi = T0, 6000.0
    for _ in range(60):
        mid = (lo + hi) / 2
        h = sum(n * sensible(species, s, mid) for s, n in products.items() if n)
        lo, hi = (mid, hi) if h < heat else (lo, mid)
    return (lo + hi) / 2


def solid_case(species, analysis, excess, humidity, air_c):
    C, H, O, N, S, W, ash = (analysis[k] / 100 for k in ("C", "H", "O", "N", "S", "H2O", "Ash"))
    c, h, o, n, s = C / 12.011, H / 1.008, O / 15.999, N / 14.007, S / 32.065
    w = W / 18.015
    demand = c + h / 4 + s - o / 2
    air = demand / AIR["O2"] * (1 + excess / 100)
    water_air = humidity * air * M_AIR / M["H2O"]
    products = {"CO2": c + AIR["CO2"] * air, "H2O": h / 2 + w + water_air, "SO2": s,
                "N2": n / 2 + AIR["N2"] * air, "Ar": AIR["Ar"] * air,
                "O2": AIR["O2"] * air - demand}
    hhv = 1000 * (0.3491 * analysis["C"] + 1.1783 * analysis["H"] + 0.1005 * analysis["S"] -
                  0.1034 * analysis["O"] - 0.0151 * analysis["N"] - 0.0211 * analysis["Ash"])
    lhv = hhv - 2442 * (h / 2 + w) * 18.015
    air_k = air_c + 273.15
    heat = lhv + sum(AIR[g] * air * sensible(species, g, air_k) for g in AIR)
    heat += water_air * sensible(species, "H2O", air_k)
    return flame(species, products, heat)


def main():
    species = read_cp_polynomials(sys.argv[1])
    # Methane with dry stoichiometric air at 25 oC, per kmol of fuel.
    air = 2 / AIR["O2"]
    products = {"CO2": 1 + AIR["CO2"] * air, "H2O": 2, "N2": AIR["N2"] * air, "Ar": AIR["Ar"] * air}
    lhv = 890300 - 2442 * 2 * 18.015
    print("methane, stoichiometric dry air: %.2f K" % flame(species, products, lhv))
    coal = {"C": 65.4, "H": 4.2, "O": 7.8, "N": 1.3, "S": 0.8, "H2O": 10.5, "Ash": 10.0}
    print("coal, 20 %% excess air, 0.013 kg/kg, air 25 oC: %.2f K" %
          solid_case(species, coal, 20, 0.013, 25))
    print("coal, 20 %% excess air, 0.013 kg/kg, air 300 oC: %.2f K" %
          solid_case(species, coal, 20, 0.013, 300))


if __name__ == "__main__":
    main()
