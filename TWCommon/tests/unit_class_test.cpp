#include <gtest/gtest.h>

#include <functional>

#include "tw/AutomationError.h"
#include "tw/Unit.h"

using namespace tw;

namespace {
int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}
}  // namespace

TEST(UnitClass, NewObjectStartsInBaseUnits) {
    const Unit u;
    EXPECT_EQ(u.uSys(), Metric);
    EXPECT_EQ(u.uPR(), 0);
    EXPECT_EQ(u.sPR(), "kg/cm2 a");
    EXPECT_EQ(u.sTP(), "oC");
    EXPECT_EQ(u.exsTP(), "oC");
    EXPECT_EQ(u.sVel(), "m/s");
    EXPECT_EQ(u.sdP(), "kg/cm2");
    EXPECT_EQ(u.exsdP(), "kg/cm2");
    EXPECT_EQ(u.SVOL(), "m3");  // the volume string; sSVOL is the specific volume's
    EXPECT_EQ(u.sSVOL(), "m3/kg");
    EXPECT_EQ(u.systemName(), "Metric Unit System");
}

TEST(UnitClass, SystemsApplyPresetsAndKeepThePreviousUnits) {
    Unit u;
    u.setuSys(British);
    EXPECT_EQ(u.uPR(), 6);
    EXPECT_EQ(u.sPR(), "psi a");
    EXPECT_EQ(u.sdP(), "psi");
    EXPECT_EQ(u.exuPR(), 0);
    EXPECT_EQ(u.exsPR(), "kg/cm2 a");
    EXPECT_EQ(u.uPower(), 0);
    EXPECT_EQ(u.sTP(), "oF");
    u.setuSys(SI);
    EXPECT_EQ(u.exuPR(), 6);
    EXPECT_EQ(u.uPR(), 4);
    EXPECT_EQ(u.sForce(), "kN");
    EXPECT_EQ(u.systemName(), "SI Unit System");
    u.setuSys(British);
    u.setuSys(Mixed);
    EXPECT_EQ(u.uPR(), 6);
    EXPECT_EQ(u.exuPR(), 6);
    EXPECT_EQ(u.systemName(), "Mixed Units");
}

TEST(UnitClass, SettingOneUnitKeepsTheSystemAndRemembersThePreviousUnit) {
    Unit u;
    u.setuTP(ktounit_degF);
    EXPECT_EQ(u.uSys(), Metric);
    EXPECT_EQ(u.uTP(), ktounit_degF);
    EXPECT_EQ(u.exuTP(), 0);
    EXPECT_EQ(u.sTP(), "oF");
    u.setuPR(ktounit_psig);
    EXPECT_EQ(u.sPR(), "psi g");
    EXPECT_EQ(u.sdP(), "psi");
    EXPECT_EQ(u.exsdP(), "kg/cm2");
    u.setuVol(ktounit_USgal);
    EXPECT_EQ(u.SVOL(), "US gal");
    EXPECT_EQ(u.exsVol(), "m3");
    // The host converts its values from the previous unit to the current one.
    EXPECT_EQ(u.CvtTP(u.exuTP(), u.uTP(), 100), 212.0f);
}

TEST(UnitClass, InvalidIndexesAndSystemsRaiseSubscriptErrorAndChangeNothing) {
    Unit u;
    u.setuTP(1);
    EXPECT_EQ(errorOf([&] { u.setuTP(4); }), 9);
    EXPECT_EQ(errorOf([&] { u.setuTP(-1); }), 9);
    EXPECT_EQ(errorOf([&] { u.setuPR(16); }), 9);
    EXPECT_EQ(errorOf([&] { u.setuSys(4); }), 9);
    EXPECT_EQ(errorOf([&] { u.setuSys(-1); }), 9);
    EXPECT_EQ(u.uTP(), 1);
    EXPECT_EQ(u.exuTP(), 0);
    EXPECT_EQ(u.uSys(), Metric);
    EXPECT_EQ(errorOf([&] { u.CvtMass(0, 2, 3e38f); }), 6);
}
