// The unit selection control on a real widget (offscreen): rows and sizes, system detection and
// presets, OK / Cancel, the committed units, errors, persistence and late-bound access.

#include "TWUnitSel.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMetaProperty>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "PropertyBag.h"
#include "QtTestApplication.h"
#include "tw/AutomationError.h"
#include "tw/Twips.h"

namespace tw {
namespace {

using Q = QuantityId;

class UnitSelection : public ::testing::Test {
  protected:
    TWUnitSel sel;
    int okClicks = 0;
    int cancelClicks = 0;

    void SetUp() override {
        QObject::connect(&sel, &TWUnitSel::OKClick, [this] { ++okClicks; });
        QObject::connect(&sel, &TWUnitSel::CancelClick, [this] { ++cancelClicks; });
    }

    QComboBox* selector(const char* key) {
        return sel.findChild<QComboBox*>(QStringLiteral("cmb") + key);
    }
    QLabel* label(const char* key) { return sel.findChild<QLabel*>(QStringLiteral("lbl") + key); }
    QComboBox* system() { return selector("Sys"); }
    QGroupBox* frame() { return sel.findChild<QGroupBox*>(QStringLiteral("Frame1")); }
    void pressOK() { sel.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click(); }
    void pressCancel() { sel.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click(); }
    void show(std::initializer_list<Q> rows) {
        for (Q q : rows) sel.setRowVisible(q, true);
    }
    static int rowsTwips(int gridRows) { return gridRows * 300; }
};

int expectAutomationError(const std::function<void()>& action) {
    try {
        action();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

// ---- Creation -------------------------------------------------------------------------------

TEST_F(UnitSelection, AFreshInstanceShowsNoRowsInAFrameOf480Twips) {
    EXPECT_EQ(frame()->height(), twipsToPixels(480));
    EXPECT_EQ(sel.height(), twipsToPixels(1880));
    EXPECT_EQ(sel.width(), twipsToPixels(7095 + 300));
    for (const auto& info : units::quantities()) {
        if (info.id == Q::dP) continue;
        EXPECT_TRUE(selector(info.key)->isHidden()) << info.key;
        EXPECT_TRUE(label(info.key)->isHidden()) << info.key;
        EXPECT_FALSE(sel.rowVisible(info.id)) << info.key;
    }
    EXPECT_EQ(system()->currentIndex(), Metric);
}

TEST_F(UnitSelection, EverySelectorListsItsQuantitysUnitsAndThePickIsListOnly) {
    for (const auto& info : units::quantities()) {
        if (info.id == Q::dP) continue;
        QComboBox* combo = selector(info.key);
        ASSERT_NE(combo, nullptr) << info.key;
        EXPECT_FALSE(combo->isEditable());
        ASSERT_EQ(combo->count(), info.count()) << info.key;
        for (int i = 0; i < info.count(); ++i) {
            EXPECT_EQ(combo->itemText(i).toStdString(), info.units[i].display);
        }
        EXPECT_EQ(combo->currentIndex(), 0);
    }
    // The unit systems are named in the control's language (Korean unless set otherwise).
    const QStringList korean = {"미터 단위계", "SI 단위계", "영국 단위계", "혼합 단위"};
    ASSERT_EQ(system()->count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(system()->itemText(i), korean[i]);
    const QStringList english = {"Metric Unit System", "SI Unit System", "British Unit System",
                                 "Mixed Units"};
    sel.setTW_Language(TW_English);
    sel.show();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(system()->itemText(i), english[i]);
}

TEST_F(UnitSelection, NewInstanceDefaultsKeepTheControlsOwnTemperatureAndVelocityStrings) {
    EXPECT_EQ(sel.sTP(), "deg C");
    EXPECT_EQ(sel.exsTP(), "deg C");
    EXPECT_EQ(sel.sVel(), "m/sec");
    EXPECT_EQ(sel.exsVel(), "m/sec");
    EXPECT_EQ(sel.sdP(), "kg/cm2");
    EXPECT_EQ(sel.exsdP(), "kg/cm2");
    EXPECT_EQ(sel.sPR(), "kg/cm2 a");
    EXPECT_EQ(sel.sVOL(), "m3");
    EXPECT_EQ(sel.exsHtDensity(), "kcal/hr-m2");
    EXPECT_EQ(sel.uENTH(), ktounit_kcalperkg);
    EXPECT_EQ(sel.exuPower(), 0);
    EXPECT_EQ(sel.TW_Language(), TW_Korean);
    EXPECT_EQ(sel.BorderStyle(), TWUnitSel::None);
    EXPECT_EQ(sel.CallingObject(), nullptr);
    EXPECT_FALSE(sel.designMode());
}

// ---- Rows -----------------------------------------------------------------------------------

TEST_F(UnitSelection, RowsFillTwoColumnsInTheFixedOrderNotTheOrderOfTheFlags) {
    show({Q::ENTH, Q::TP, Q::PR});
    struct Expected {
        const char* key;
        int labelLeft, selectorLeft, top, labelWidth, selectorWidth;
    };
    const Expected rows[] = {
        {"PR", 240, 1680, 240, 1395, 1692},
        {"TP", 3720, 5160, 240, 1400, 1680},
        {"ENTH", 240, 1680, 540, 1400, 1680},
    };
    for (const Expected& e : rows) {
        SCOPED_TRACE(e.key);
        EXPECT_FALSE(label(e.key)->isHidden());
        EXPECT_FALSE(selector(e.key)->isHidden());
        EXPECT_EQ(label(e.key)->geometry(), QRect(twipsToPixels(e.labelLeft), twipsToPixels(e.top),
                                                  twipsToPixels(e.labelWidth), twipsToPixels(240)));
        EXPECT_EQ(selector(e.key)->geometry(),
                  QRect(twipsToPixels(e.selectorLeft), twipsToPixels(e.top),
                        twipsToPixels(e.selectorWidth), twipsToPixels(300)));
    }
    EXPECT_EQ(frame()->height(), twipsToPixels(rowsTwips(2) + 480));
    EXPECT_EQ(sel.height(), twipsToPixels(rowsTwips(2) + 480 + 1400));
}

TEST_F(UnitSelection, AllRowsMakeTwelveGridRowsInLayoutOrder) {
    bool yes = true;
    sel.VisibleAll(yes);
    const char* order[] = {"Len",    "PDia",   "Area",    "Vol",      "Mass",     "Force",
                           "Energy", "Power",  "MFlow",   "VFlow",    "Vel",      "Visco",
                           "ViscoX", "PR",     "TP",      "SVOL",     "Density",  "ENTH",
                           "ENTRO",  "ThCond", "HtTrans", "HtResist", "HtDensity"};
    for (int n = 0; n < 23; ++n) {
        SCOPED_TRACE(order[n]);
        const QPoint at = selector(order[n])->pos();
        EXPECT_EQ(at, QPoint(twipsToPixels(n % 2 == 0 ? 1680 : 5160),
                             twipsToPixels((n / 2) * 300 + 240)));
        EXPECT_EQ(label(order[n])->x(), twipsToPixels(n % 2 == 0 ? 240 : 3720));
    }
    EXPECT_EQ(frame()->height(), twipsToPixels(rowsTwips(12) + 480));
    EXPECT_EQ(sel.height(), twipsToPixels(rowsTwips(12) + 1880));
}

TEST_F(UnitSelection, VisibleAllWithAnythingButTrueHidesEveryRow) {
    sel.VisibleAll(true);
    sel.VisibleAll(false);
    for (const auto& info : units::quantities()) {
        if (info.id == Q::dP) continue;
        EXPECT_FALSE(sel.rowVisible(info.id));
        EXPECT_TRUE(selector(info.key)->isHidden()) << info.key;
    }
    EXPECT_EQ(frame()->height(), twipsToPixels(480));
    EXPECT_EQ(sel.height(), twipsToPixels(1880));
}

TEST_F(UnitSelection, HidingARowMovesTheFollowingRowsUp) {
    show({Q::PR, Q::TP, Q::ENTH});
    sel.setVisible_TP(false);
    EXPECT_TRUE(selector("TP")->isHidden());
    EXPECT_EQ(selector("ENTH")->pos(), QPoint(twipsToPixels(5160), twipsToPixels(240)));
    EXPECT_EQ(frame()->height(), twipsToPixels(rowsTwips(1) + 480));
}

// ---- System detection and presets -----------------------------------------------------------

TEST_F(UnitSelection, DetectionFindsTheFirstSystemWhosePresetsAllVisibleRowsShow) {
    struct Case {
        std::vector<std::pair<const char*, int>> rows;  // visible rows and their selector index
        int expected;
    };
    const Case cases[] = {
        {{{"TP", 0}, {"ENTH", 1}}, SI},        // oC, kJ/kg
        {{{"TP", 0}, {"ENTH", 0}}, Metric},    // oC, kcal/kg: Metric is tested first
        {{{"TP", 1}, {"ENTH", 2}}, British},   // oF, Btu/lb
        {{{"TP", 1}, {"ENTH", 1}}, Mixed},     // oF, kJ/kg
        {{{"Power", 0}}, Metric},              // presets coincide
        {{}, Metric},                          // nothing visible
        {{{"PR", 4}, {"Visco", 1}}, SI},       // kPa a, Pa-s
        {{{"PR", 6}, {"Visco", 0}}, British},  // psi a, cP
    };
    for (const Case& c : cases) {
        TWUnitSel fresh;
        auto* sys = fresh.findChild<QComboBox*>(QStringLiteral("cmbSys"));
        for (const auto& [rowKey, index] : c.rows) {
            fresh.setProperty((std::string("Visible_") + rowKey).c_str(), true);
        }
        for (const auto& [rowKey, index] : c.rows) {
            fresh.findChild<QComboBox*>(QStringLiteral("cmb") + rowKey)->setCurrentIndex(index);
        }
        EXPECT_EQ(sys->currentIndex(), c.expected) << "case with " << c.rows.size() << " rows";
    }
}

TEST_F(UnitSelection, ChoosingBritishSetsHiddenSelectorsAndOkCommitsThem) {
    show({Q::TP});
    system()->setCurrentIndex(British);
    EXPECT_EQ(system()->currentIndex(), British);
    for (const auto& info : units::quantities()) {
        if (info.id == Q::dP) continue;
        EXPECT_EQ(selector(info.key)->currentIndex(), info.presets[British]) << info.key;
    }
    EXPECT_EQ(selector("PR")->currentText(), "psi a");
    EXPECT_EQ(sel.uPR(), 0);  // not committed yet

    pressOK();
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(sel.uPR(), ktounit_psia);
    EXPECT_EQ(sel.sPR(), "psi a");
    EXPECT_EQ(sel.sdP(), "psi");
    EXPECT_EQ(sel.exuPR(), 0);
    EXPECT_EQ(sel.exsPR(), "kg/cm2 a");
    EXPECT_EQ(sel.exsdP(), "kg/cm2");
    EXPECT_EQ(sel.uForce(), ktounit_lbf);
    EXPECT_EQ(sel.sTP(), "oF");
    EXPECT_EQ(sel.exsTP(), "oC");  // the list string now, no longer the new-instance text
}

TEST_F(UnitSelection, ChoosingSiWithOnlyTemperatureVisibleEndsOnMetric) {
    show({Q::TP});
    system()->setCurrentIndex(SI);
    EXPECT_EQ(system()->currentIndex(), Metric);
    EXPECT_EQ(selector("TP")->currentIndex(), 0);
}

TEST_F(UnitSelection, ChoosingASystemReachesItWhenTheVisibleRowsTellItApart) {
    show({Q::TP, Q::ENTH});
    for (int chosen : {SI, British, Metric, SI}) {
        system()->setCurrentIndex(chosen);
        EXPECT_EQ(system()->currentIndex(), chosen);
        EXPECT_EQ(selector("ENTH")->currentIndex(), units::quantity(Q::ENTH).presets[chosen]);
        EXPECT_EQ(selector("TP")->currentIndex(), units::quantity(Q::TP).presets[chosen]);
    }
}

TEST_F(UnitSelection, ChoosingMixedChangesNoSelector) {
    show({Q::TP, Q::ENTH});
    selector("ENTH")->setCurrentIndex(3);
    ASSERT_EQ(system()->currentIndex(), Mixed);
    selector("PR")->setCurrentIndex(9);
    system()->setCurrentIndex(Metric);
    system()->setCurrentIndex(Mixed);
    EXPECT_EQ(selector("PR")->currentIndex(), 0);
    EXPECT_EQ(selector("ENTH")->currentIndex(), 0);
}

// ---- Committing -----------------------------------------------------------------------------

TEST_F(UnitSelection, OkWithoutChangesMakesEveryPreviousUnitTheCurrentOne) {
    show({Q::TP, Q::ENTH});
    selector("TP")->setCurrentIndex(1);
    selector("ENTH")->setCurrentIndex(2);
    pressOK();
    EXPECT_EQ(sel.exuTP(), 0);
    EXPECT_EQ(sel.uTP(), 1);
    EXPECT_EQ(sel.exuENTH(), 0);
    EXPECT_EQ(sel.uENTH(), 2);

    pressOK();
    EXPECT_EQ(okClicks, 2);
    for (const auto& info : units::quantities()) {
        if (info.id == Q::dP) continue;
        SCOPED_TRACE(info.key);
        const std::string k = info.key;
        EXPECT_EQ(sel.property(("exu" + k).c_str()).toInt(),
                  sel.property(("u" + k).c_str()).toInt());
        const std::string sName = info.id == Q::Vol ? "sVOL" : "s" + k;
        EXPECT_EQ(sel.property(("exs" + k).c_str()).toString(),
                  sel.property(sName.c_str()).toString());
    }
    EXPECT_EQ(sel.exsdP(), sel.sdP());
}

TEST_F(UnitSelection, CancelRaisesItsEventAndCommitsNothing) {
    selector("TP")->setCurrentIndex(2);
    pressCancel();
    EXPECT_EQ(cancelClicks, 1);
    EXPECT_EQ(okClicks, 0);
    EXPECT_EQ(sel.uTP(), 0);
    EXPECT_EQ(sel.sTP(), "deg C");
    EXPECT_EQ(selector("TP")->currentIndex(), 2);  // the user's choice stays in the selector
}

TEST_F(UnitSelection, SettingAUnitKeepsTheOldOneAsPreviousAndMovesTheSelector) {
    sel.setuPR(ktounit_psig);
    EXPECT_EQ(sel.sPR(), "psi g");
    EXPECT_EQ(sel.sdP(), "psi");
    EXPECT_EQ(sel.exuPR(), 0);
    EXPECT_EQ(sel.exsdP(), "kg/cm2");
    EXPECT_EQ(selector("PR")->currentIndex(), 7);

    sel.setuPR(ktounit_bara);
    EXPECT_EQ(sel.exuPR(), 7);
    EXPECT_EQ(sel.exsPR(), "psi g");
    EXPECT_EQ(sel.exsdP(), "psi");
    EXPECT_EQ(sel.sdP(), "bar");

    show({Q::TP});
    sel.setuTP(ktounit_degF);
    EXPECT_EQ(sel.exsTP(), "oC");
    EXPECT_EQ(system()->currentIndex(), British);
}

// ---- Errors ---------------------------------------------------------------------------------

TEST_F(UnitSelection, RefusedUnitIndexesChangeNothing) {
    sel.setuTP(ktounit_degF);
    struct Case {
        int index;
        int error;
    };
    for (const Case c : {Case{4, 9}, Case{-1, 9}, Case{32767, 9}, Case{32768, 6}, Case{-32769, 6},
                         Case{1 << 30, 6}}) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(expectAutomationError([&] { sel.setuTP(c.index); }), c.error);
        EXPECT_EQ(sel.uTP(), ktounit_degF);
        EXPECT_EQ(sel.sTP(), "oF");
        EXPECT_EQ(sel.exuTP(), 0);
        EXPECT_EQ(sel.exsTP(), "oC");
        EXPECT_EQ(selector("TP")->currentIndex(), 1);
    }
}

TEST_F(UnitSelection, ReadOnlyMembersFailWith382AtRunTimeAnd387InDesignMode) {
    const std::vector<std::pair<const char*, std::function<void()>>> setters = {
        {"sPR", [&] { sel.setsPR("x"); }},         {"sVOL", [&] { sel.setsVOL("x"); }},
        {"sdP", [&] { sel.setsdP("x"); }},         {"exuTP", [&] { sel.setexuTP(1); }},
        {"exsENTH", [&] { sel.setexsENTH("x"); }}, {"exsdP", [&] { sel.setexsdP("x"); }},
    };
    for (bool design : {false, true}) {
        sel.setDesignMode(design);
        for (const auto& [name, set] : setters) {
            SCOPED_TRACE(name);
            EXPECT_EQ(expectAutomationError(set), design ? 387 : 382);
            // The same through the late-bound property, as a property store would set it.
            EXPECT_EQ(expectAutomationError([&] { sel.setProperty(name, QStringLiteral("1")); }),
                      design ? 387 : 382);
        }
    }
    EXPECT_EQ(sel.sPR(), "kg/cm2 a");
    EXPECT_EQ(sel.exuTP(), 0);
}

TEST_F(UnitSelection, UnitsCannotBeSetInDesignMode) {
    sel.setDesignMode(true);
    EXPECT_EQ(expectAutomationError([&] { sel.setuTP(1); }), 387);
    EXPECT_EQ(sel.uTP(), 0);
    sel.setDesignMode(false);
    EXPECT_EQ(expectAutomationError([&] { sel.setuTP(1); }), 0);
    EXPECT_EQ(sel.uTP(), 1);
}

TEST_F(UnitSelection, BorderStyleTakesNoneOrFixed) {
    sel.setBorderStyle(TWUnitSel::Fixed);
    EXPECT_EQ(sel.BorderStyle(), TWUnitSel::Fixed);
    EXPECT_NE(sel.frameShape(), QFrame::NoFrame);
    EXPECT_EQ(expectAutomationError([&] { sel.setBorderStyle(2); }), 380);
    EXPECT_EQ(sel.BorderStyle(), TWUnitSel::Fixed);
    sel.setBorderStyle(TWUnitSel::None);
    EXPECT_EQ(sel.frameShape(), QFrame::NoFrame);
}

// ---- Captions and size at show time --------------------------------------------------------

TEST_F(UnitSelection, CaptionsFollowTheLanguageWhenTheControlIsShown) {
    sel.setTW_Language(TW_English);
    EXPECT_EQ(label("Title")->text(), "단위 선정 표");  // not before the next show
    sel.show();
    EXPECT_EQ(label("Title")->text(), "Unit Selection Table");
    EXPECT_EQ(label("Sys")->text(), "Unit System");
    EXPECT_EQ(sel.findChild<QPushButton*>("cmdOK")->text(), "OK");
    EXPECT_EQ(sel.findChild<QPushButton*>("cmdCancel")->text(), "Cancel");
    EXPECT_EQ(label("ThCond")->text(), "Therm. Cond.");
    sel.hide();

    sel.setTW_Language(TW_Korean);
    sel.show();
    EXPECT_EQ(label("Title")->text(), "단위 선정 표");
    EXPECT_EQ(label("Sys")->text(), "단위 계");
    EXPECT_EQ(sel.findChild<QPushButton*>("cmdOK")->text(), "확인");
    EXPECT_EQ(sel.findChild<QPushButton*>("cmdCancel")->text(), "취소");
    EXPECT_EQ(label("HtDensity")->text(), "열전달 밀도");
    sel.hide();

    sel.setTW_Language(7);
    EXPECT_EQ(sel.TW_Language(), 7);
    sel.show();
    EXPECT_EQ(label("Title")->text(), "단위 선정 표");
}

TEST_F(UnitSelection, ShowingSizesTheControlAroundTheFrame) {
    sel.resize(100, 100);
    show({Q::PR});
    sel.show();
    EXPECT_EQ(sel.size(), QSize(twipsToPixels(7395), twipsToPixels(rowsTwips(1) + 1880)));
    EXPECT_EQ(sel.sizeHint(), sel.size());
}

// ---- Late-bound access ----------------------------------------------------------------------

TEST_F(UnitSelection, PublishedNamesReachTheMembersByName) {
    const QMetaObject* meta = sel.metaObject();
    for (const auto& info : units::quantities()) {
        const std::string k = info.key;
        EXPECT_GE(meta->indexOfMethod(("Cvt" + k + "(int,int,float)").c_str()), 0) << k;
        if (info.id == Q::dP) continue;
        const std::string sName = info.id == Q::Vol ? "sVOL" : "s" + k;
        for (const std::string& name : {"u" + k, sName, "exu" + k, "exs" + k, "Visible_" + k}) {
            EXPECT_GE(meta->indexOfProperty(name.c_str()), 0) << name;
        }
    }
    for (const char* name : {"sdP", "exsdP", "CallingObject", "TW_Language", "BorderStyle"}) {
        EXPECT_GE(meta->indexOfProperty(name), 0) << name;
    }
    EXPECT_GE(meta->indexOfMethod("VisibleAll(bool)"), 0);
    EXPECT_GE(meta->indexOfSignal("OKClick()"), 0);
    EXPECT_GE(meta->indexOfSignal("CancelClick()"), 0);

    EXPECT_TRUE(sel.setProperty("uENTH", 1));
    EXPECT_EQ(sel.property("sENTH").toString(), "kJ/kg");
    float value = 0;
    ASSERT_TRUE(QMetaObject::invokeMethod(&sel, "CvtTP", Q_RETURN_ARG(float, value), Q_ARG(int, 0),
                                          Q_ARG(int, 1), Q_ARG(float, 100.0f)));
    EXPECT_FLOAT_EQ(value, 212.0f);
    EXPECT_EQ(sel.CvtENTH(0, 0, 1.25f), 1.25f);
    EXPECT_EQ(sel.CvtPR(0, 99, 1.0f), 0.0f);
}

TEST_F(UnitSelection, TheCallingObjectIsKeptAndForgottenWhenItGoesAway) {
    auto host = std::make_unique<QObject>();
    sel.setCallingObject(host.get());
    EXPECT_EQ(sel.CallingObject(), host.get());
    host.reset();
    EXPECT_EQ(sel.CallingObject(), nullptr);
}

TEST_F(UnitSelection, MembersCarryTheirHelpTexts) {
    EXPECT_EQ(TWUnitSel::memberHelp("exuTP"), "Previous unit index of Temperature");
    EXPECT_EQ(TWUnitSel::memberHelp("exsHtResist"),
              "Previous unit string of Heat Resistance or Fouling Resistance");
    EXPECT_EQ(TWUnitSel::memberHelp("CvtdP"), "Pressure Drop conversion function");
    EXPECT_TRUE(TWUnitSel::memberHelp("Visible_ENTH").startsWith("엔탈피"));
    EXPECT_TRUE(TWUnitSel::memberHelp("uPR").isEmpty());
}

// ---- Persistence ----------------------------------------------------------------------------

const QStringList kPublishedKeys = {"BorderStyle",
                                    "uPR",
                                    "uTP",
                                    "uSVOL",
                                    "uENTH",
                                    "uENTRO",
                                    "uPDia",
                                    "uLen",
                                    "uMFlow",
                                    "uVFlow",
                                    "uVisco",
                                    "uViscoX",
                                    "uVel",
                                    "sPR",
                                    "sdP",
                                    "STP",
                                    "sSVOL",
                                    "sENTH",
                                    "sENTRO",
                                    "sPDia",
                                    "sLen",
                                    "sMFlow",
                                    "sVFlow",
                                    "sVisco",
                                    "sViscoX",
                                    "sVel",
                                    "exuPR",
                                    "exsPR",
                                    "exuTP",
                                    "exuSVOL",
                                    "exuENTH",
                                    "exuENTRO",
                                    "exuMFlow",
                                    "exuVel",
                                    "exuPDia",
                                    "exuLen",
                                    "exuVisco",
                                    "exuViscoX",
                                    "exsTP",
                                    "exsSVOL",
                                    "exsENTH",
                                    "exsENTRO",
                                    "exsMFlow",
                                    "exsVFlow",
                                    "exsVel",
                                    "exsPDia",
                                    "exsLen",
                                    "exsVisco",
                                    "exsViscoX",
                                    "exsdP",
                                    "exuVFlow",
                                    "uArea",
                                    "uVol",
                                    "uMass",
                                    "uForce",
                                    "uEnergy",
                                    "uPower",
                                    "uDensity",
                                    "uThCond",
                                    "uHtTrans",
                                    "uHtResist",
                                    "uHtDensity",
                                    "sArea",
                                    "sVol",
                                    "sMass",
                                    "sForce",
                                    "sPower",
                                    "sDensity",
                                    "sThCond",
                                    "sHtTrans",
                                    "sHtResist",
                                    "sHtDensity",
                                    "exuArea",
                                    "exuVol",
                                    "exuMass",
                                    "exuForce",
                                    "exuEnergy",
                                    "exuPower",
                                    "exuDensity",
                                    "exuThCond",
                                    "exuHtTrans",
                                    "exuHtResist",
                                    "exuHtDensity",
                                    "exsArea",
                                    "exsVol",
                                    "exsMass",
                                    "exsEnergy",
                                    "exsPower",
                                    "exsDensity",
                                    "exsThCond",
                                    "exsHtTrans",
                                    "exsHtResist",
                                    "exsHtDensity",
                                    "sEnergy",
                                    "Visible_Mass",
                                    "Visible_Len",
                                    "Visible_PDia",
                                    "Visible_Area",
                                    "Visible_Force",
                                    "Visible_Vol",
                                    "Visible_Energy",
                                    "Visible_Power",
                                    "Visible_MFlow",
                                    "Visible_VFlow",
                                    "Visible_Vel",
                                    "Visible_Visco",
                                    "Visible_ViscoX",
                                    "Visible_PR",
                                    "Visible_TP",
                                    "Visible_SVOL",
                                    "Visible_Density",
                                    "Visible_ENTH",
                                    "Visible_ENTRO",
                                    "Visible_ThCond",
                                    "Visible_HtTrans",
                                    "Visible_HtResist",
                                    "Visible_HtDensity",
                                    "exsForce",
                                    "CallingObject",
                                    "TW_Language"};

TEST_F(UnitSelection, PropertiesAreStoredUnderThePublishedKeysInOrderWithTheirTypes) {
    MemoryPropertyBag bag;
    sel.writeProperties(bag);
    EXPECT_EQ(bag.keysInWriteOrder(), kPublishedKeys);
    EXPECT_EQ(bag.readProperty("uPR").metaType(), QMetaType::fromType<qint16>());
    EXPECT_EQ(bag.readProperty("exuVFlow").metaType(), QMetaType::fromType<qint16>());
    EXPECT_EQ(bag.readProperty("BorderStyle").metaType(), QMetaType::fromType<qint16>());
    EXPECT_EQ(bag.readProperty("TW_Language").metaType(), QMetaType::fromType<qint32>());
    EXPECT_EQ(bag.readProperty("Visible_TP").metaType(), QMetaType::fromType<bool>());
    EXPECT_EQ(bag.readProperty("STP").toString(), "deg C");
    EXPECT_EQ(bag.readProperty("sVol").toString(), "m3");
}

TEST_F(UnitSelection, RestoringSetsTheStoredFieldsOnly) {
    QObject host;
    sel.setuTP(ktounit_degF);
    sel.setuPR(ktounit_psig);
    sel.setuVol(3);
    sel.setVisible_ENTH(true);
    sel.setTW_Language(TW_English);
    sel.setBorderStyle(TWUnitSel::Fixed);
    sel.setCallingObject(&host);
    MemoryPropertyBag bag;
    sel.writeProperties(bag);

    TWUnitSel restored;
    restored.readProperties(bag);
    EXPECT_EQ(restored.uTP(), ktounit_degF);
    EXPECT_EQ(restored.sTP(), "oF");
    EXPECT_EQ(restored.exsTP(), "oC");
    EXPECT_EQ(restored.uPR(), ktounit_psig);
    EXPECT_EQ(restored.sdP(), "psi");
    EXPECT_EQ(restored.sVOL(), sel.sVOL());
    EXPECT_EQ(restored.uVol(), 3);
    EXPECT_TRUE(restored.Visible_ENTH());
    EXPECT_EQ(restored.TW_Language(), TW_English);
    EXPECT_EQ(restored.BorderStyle(), TWUnitSel::Fixed);
    EXPECT_EQ(restored.CallingObject(), &host);
    // Neither the selectors nor the rows follow until the host sets them at run time.
    auto* tp = restored.findChild<QComboBox*>("cmbTP");
    EXPECT_EQ(tp->currentIndex(), 0);
    EXPECT_TRUE(restored.findChild<QComboBox*>("cmbENTH")->isHidden());
}

TEST_F(UnitSelection, MissingOrDamagedStoredValuesGiveTheDefaults) {
    sel.setuTP(ktounit_degF);
    sel.setVisible_TP(true);
    MemoryPropertyBag bag;
    bag.writeProperty("uPR", QStringLiteral("garbage"));
    bag.writeProperty("uENTH", 99);
    bag.writeProperty("exuMass", -5);
    bag.writeProperty("BorderStyle", 9);
    bag.writeProperty("TW_Language", QStringLiteral("x"));
    bag.writeProperty("CallingObject", 12);
    sel.readProperties(bag);
    EXPECT_EQ(sel.uTP(), 0);
    EXPECT_EQ(sel.sTP(), "deg C");
    EXPECT_FALSE(sel.Visible_TP());
    EXPECT_EQ(sel.uPR(), 0);
    EXPECT_EQ(sel.uENTH(), 0);
    EXPECT_EQ(sel.exuMass(), 0);
    EXPECT_EQ(sel.BorderStyle(), TWUnitSel::None);
    EXPECT_EQ(sel.TW_Language(), TW_Korean);
    EXPECT_EQ(sel.CallingObject(), nullptr);
    // A later OK works on the restored indexes without any subscript error.
    EXPECT_EQ(expectAutomationError([&] { pressOK(); }), 0);
}

TEST_F(UnitSelection, AStoredHostThatWentAwayReadsBackAsNoObject) {
    MemoryPropertyBag bag;
    {
        QObject host;
        sel.setCallingObject(&host);
        sel.writeProperties(bag);
    }
    TWUnitSel restored;
    restored.readProperties(bag);
    EXPECT_EQ(restored.CallingObject(), nullptr);
}

TEST_F(UnitSelection, PropertiesSurviveASettingsFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("host.ini"));
    sel.setuENTH(ktounit_kJperkg);
    sel.setVisible_TP(true);
    sel.setTW_Language(TW_English);
    {
        QSettings settings(path, QSettings::IniFormat);
        SettingsPropertyBag bag(settings, QStringLiteral("Unit"));
        sel.writeProperties(bag);
    }
    QSettings settings(path, QSettings::IniFormat);
    SettingsPropertyBag bag(settings, QStringLiteral("Unit"));
    TWUnitSel restored;
    restored.readProperties(bag);
    EXPECT_EQ(restored.uENTH(), ktounit_kJperkg);
    EXPECT_EQ(restored.sENTH(), "kJ/kg");
    EXPECT_EQ(restored.exsTP(), "deg C");
    EXPECT_TRUE(restored.Visible_TP());
    EXPECT_EQ(restored.TW_Language(), TW_English);
}

}  // namespace
}  // namespace tw
