// Molecular data of the flue gas species, with their sources.

#include "GasTransportData.h"

namespace tw::gasprops::detail {

// sigma and epsilon/k: Lennard-Jones 12-6 parameters of the transport database of
// R. J. Kee, G. Dixon-Lewis, J. Warnatz, M. E. Coltrin and J. A. Miller, "A Fortran computer
// code package for the evaluation of gas-phase multicomponent transport properties", Sandia
// report SAND86-8246 (1986), as distributed with GRI-Mech 3.0 (transport file of G. P. Smith et
// al., 1999). (The Svehla values of B. E. Poling, J. M. Prausnitz and J. P. O'Connell, "The
// Properties of Gases and Liquids", 5th ed. (2001), Appendix B, give the viscosity of air 3 to
// 5 % low above 500 K.)
// SO2 is polar: Stockmayer parameters sigma, epsilon/k and delta(max) from L. Monchick and
// E. A. Mason, J. Chem. Phys. 35, 1676-1697 (1961), fitted to viscosity (delta 0.42 agrees with
// the dipole moment of 1.63 D).
// Critical temperature and acentric factor: Poling, Prausnitz and O'Connell (2001),
// Appendix A.
// Water vapour takes the IAPWS dilute-gas terms below; its database parameters are kept so that
// the table stays complete.
const std::array<SpeciesTransportData, kGasComponentCount> kSpeciesTransport = {{
    //  species            sigma  eps/k  delta  Tc      omega
    {GasComponent::N2, 3.621, 97.53, 0.0, 126.20, 0.037},
    {GasComponent::O2, 3.458, 107.4, 0.0, 154.58, 0.022},
    {GasComponent::CO2, 3.763, 244.0, 0.0, 304.12, 0.225},
    {GasComponent::CO, 3.650, 98.1, 0.0, 132.85, 0.045},
    {GasComponent::SO2, 4.04, 347.0, 0.42, 430.75, 0.245},
    {GasComponent::H2O, 2.605, 572.4, 0.0, 647.14, 0.344},
    {GasComponent::Ar, 3.330, 136.5, 0.0, 150.86, -0.002},
}};

// IAPWS R12-08, "Release on the IAPWS Formulation 2008 for the Viscosity of Ordinary Water
// Substance", Table 1 (M. L. Huber et al., J. Phys. Chem. Ref. Data 38, 101-125 (2009),
// Table 2): mu0 / (1 uPa s) = 100 sqrt(Tr) / sum(H_i / Tr^i).
const std::array<double, 4> kIapwsViscosityH = {1.67752, 2.20462, 0.6366564, -0.241605};

// IAPWS R15-11, "Release on the IAPWS Formulation 2011 for the Thermal Conductivity of
// Ordinary Water Substance", Table 1 (M. L. Huber et al., J. Phys. Chem. Ref. Data 41, 033102
// (2012)): lambda0 / (1 mW/(m K)) = sqrt(Tr) / sum(L_k / Tr^k).
const std::array<double, 5> kIapwsConductivityL = {2.443221e-3, 1.323095e-2, 6.770357e-3,
                                                   -3.454586e-3, 4.096266e-4};

}  // namespace tw::gasprops::detail
