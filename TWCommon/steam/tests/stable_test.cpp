// The steam table class: range checks, error codes and messages, the wet region, units, and
// missing or damaged table files.

#include "tw/Stable.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "tw/IF97.h"
#include "tw/MessageSink.h"

namespace {

using tw::Stable;

class StableTest : public ::testing::Test {
  protected:
    tw::RecordingMessageSink sink;
    tw::ScopedMessageSink guard{sink};
};

TEST_F(StableTest, SaturationRangeChecksAtTheirBounds) {
    Stable st;
    struct Case {
        int code;
        float value;
        float error;
    };
    const Case cases[] = {
        {1, 0.006697f, 0}, {1, 225.56f, 0}, {1, 225.57f, 5}, {1, 0.0066f, 5},
        {2, 1.0f, 0},      {2, 374.15f, 0}, {2, 374.2f, 5},  {2, 0.5f, 5},
        {3, 10.0f, 6},     {0, 10.0f, 6},   {1, NAN, 5},     {2, INFINITY, 5},
    };
    for (const Case& c : cases) {
        sink.clear();
        st.SSTABLE(c.code, c.value);
        EXPECT_EQ(st.StableError(), c.error) << c.code << " " << c.value;
        EXPECT_EQ(sink.messages().empty(), c.error == 0) << c.code << " " << c.value;
        if (c.error == 0) {
            EXPECT_GT(st.ViscoF(), st.ViscoG());
        }
    }
}

TEST_F(StableTest, OutOfRangeSaturationShowsFourBoxesAndFailedValues) {
    Stable st;
    st.setTW_Language(tw::TW_English);
    st.SSTABLE(1, 225.57f);
    ASSERT_EQ(sink.messages().size(), 4u);
    EXPECT_EQ(sink.beeps(), 4);
    EXPECT_EQ(sink.messages()[0].text,
              "\rInput values are out of the built-in data range as below.\r"
              "0.006697 <= Pressure(kg/cm2 a) <= 225.56\rInput values are as below.\r"
              "SSTABLE (1, 225.57)\r\rThe output values are all set to 9999999, and\r"
              "the calculation results using this steam table outputs are wrong.\r"
              "Check input values.");
    EXPECT_NE(sink.messages()[1].text.find("SSTABLE (1, 9999999)"), std::string::npos);
    EXPECT_EQ(sink.messages()[3].text, sink.messages()[0].text);
    EXPECT_EQ(sink.messages()[0].caption, "");
    EXPECT_EQ(sink.messages()[0].icon, tw::MessageIcon::Critical);
    EXPECT_EQ(st.PSAT(), 9999999.0f);
    EXPECT_EQ(st.TSAT(), 9999999.0f);
    EXPECT_EQ(st.ViscoF(), 0.0f);
    EXPECT_EQ(st.ViscoXG(), 0.0f);

    sink.clear();
    st.SSTABLE(3, 100.0f);  // the value is not converted: 0 is passed on
    EXPECT_EQ(st.StableError(), 6);
    EXPECT_NE(sink.messages()[0].text.find(" (to be integer 1 or 2.)\r"), std::string::npos);
    EXPECT_NE(sink.messages()[0].text.find("SSTABLE (3, 0)"), std::string::npos);
}

TEST_F(StableTest, StateCodesAndRanges) {
    Stable st;
    st.STABLE(1, 10, 1, 20);
    EXPECT_EQ(st.PR(), 9999999.0f);
    EXPECT_EQ(sink.messages().front().text.substr(0, 1), "\r");
    EXPECT_NE(
        sink.messages().front().text.find("입력한 2개의 증기 성질이 동일합니다.(달라야 함.)\r"),
        std::string::npos);
    sink.clear();
    st.STABLE(6, 10, 1, 20);
    EXPECT_NE(sink.messages().front().text.find(" (1 에서 5 사이의 정수 이어야 함.)\r"),
              std::string::npos);
    sink.clear();
    st.STABLE(1, 260, 2, 300);
    EXPECT_NE(sink.messages().front().text.find(
                  "0.01 <= 압력(kg/cm2 a) <= 250\r10 <= 온도(deg C) <= 700\r"),
              std::string::npos);
    EXPECT_NE(sink.messages().front().text.find("STABLE (1, 260, 2, 300)"), std::string::npos);
    sink.clear();
    st.STABLE(2, NAN, 1, 10);
    EXPECT_EQ(st.TP(), 9999999.0f);
    EXPECT_FALSE(sink.messages().empty());
}

TEST_F(StableTest, OrderOfThePairsDoesNotMatter) {
    Stable st;
    st.STABLE(2, 250.0f, 1, 10.0f);
    const float h = st.ENTH(), v = st.SVOL(), s = st.ENTRO(), mu = st.Visco();
    st.STABLE(1, 10.0f, 2, 250.0f);
    EXPECT_EQ(st.ENTH(), h);
    EXPECT_EQ(st.SVOL(), v);
    EXPECT_EQ(st.ENTRO(), s);
    EXPECT_EQ(st.Visco(), mu);
    EXPECT_EQ(st.Quality(), 2.0f);  // superheated
    EXPECT_TRUE(sink.messages().empty());
    st.STABLE(1, 10.0f, 2, 100.0f);
    EXPECT_EQ(st.Quality(), -1.0f);  // compressed liquid
    EXPECT_EQ(st.StableError(), 0);
}

TEST_F(StableTest, WetStatesGiveSaturationTemperatureAndQuality) {
    Stable st;
    st.SSTABLE(1, 10.0f);
    const float tsat = st.TSAT(), hf = st.ENTHF(), hg = st.ENTHG();
    const float h = hf + 0.3f * (hg - hf);
    st.STABLE(1, 10.0f, 4, h);
    EXPECT_EQ(st.StableError(), 0);
    EXPECT_NEAR(st.TP(), tsat, 0.01);
    EXPECT_NEAR(st.Quality(), 0.3, 1e-3);
    EXPECT_NEAR(st.PR(), 10.0, 1e-4);
    EXPECT_GT(st.Visco(), 0.0f);
    // Pressure and temperature on the saturation line leave the state undetermined.
    sink.clear();
    st.setTW_Language(tw::TW_English);
    st.STABLE(1, 10.0f, 2, tsat);
    bool undetermined = false;
    for (const auto& m : sink.messages()) {
        if (m.text.rfind("Since the input condition is undetermined saturated steam,\r", 0) == 0) {
            undetermined = true;
            EXPECT_NE(
                m.text.find("use saturation program.\r\rInput values are as below.\rSTABLE ("),
                std::string::npos);
        }
    }
    EXPECT_TRUE(undetermined);
}

TEST_F(StableTest, SupercriticalStateIsFoundButHasNoSaturation) {
    Stable st;
    st.STABLE(1, 240.0f, 2, 500.0f);
    const auto ref = tw::if97::stateAt(240 * 0.0980665, 773.15);
    EXPECT_NEAR(st.ENTH(), ref.h / 4.1868, ref.h / 4.1868 * 0.005);
    EXPECT_NEAR(st.SVOL(), ref.v, ref.v * 0.02);
    EXPECT_EQ(st.PR(), 240.0f);
    EXPECT_EQ(st.Visco(), 0.0f);
    EXPECT_EQ(st.ViscoX(), 0.0f);
    EXPECT_EQ(st.Quality(), -1.0f);
    EXPECT_EQ(st.StableError(), 5);
    EXPECT_EQ(sink.messages().size(), 3u);
}

TEST_F(StableTest, FailedCallInPsiReturnsTheFailedValueInPsi) {
    Stable st;
    st.setuPR(tw::ktounit_psia);
    EXPECT_EQ(st.sPR(), "psi a");
    st.STABLE(1, 10000.0f, 2, 300.0f);
    EXPECT_EQ(st.PR(), tw::units::CvtPR(0, tw::ktounit_psia, 9999999.0f));
    EXPECT_NE(st.PR(), 9999999.0f);
}

TEST_F(StableTest, UnitsAndViscosity) {
    Stable st;
    EXPECT_EQ(st.sTP(), "");  // empty until set
    st.setuTP(tw::ktounit_degF);
    st.setuPR(tw::ktounit_kPaa);
    st.SSTABLE(1, 101.325f);
    EXPECT_NEAR(st.TSAT(), 212.0, 0.05);
    st.setuTP(tw::ktounit_degC);
    st.setuPR(0);
    // At 1.01972 kg/cm2 a the vapour viscosity has no density term; the temperature is
    // ignored in the wet region.
    EXPECT_EQ(st.StmVisco(1.01972f, 20.0f, 0.5f), st.StmVisco(1.01972f, 300.0f, 0.5f));
    EXPECT_NEAR(st.StmVisco(1.01972f, 200.0f, 2.0f), (0.407 * 200 + 80.4) / 10000, 1e-7);
    EXPECT_GT(st.StmVisco(10.0f, 20.0f, -1.0f), 0.9f);  // liquid water near 1 cP
}

class DataDirectory : public StableTest {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("tw_steam_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        const auto source = Stable().dataDirectory();
        for (const char* f : {"TWSStb.twd", "TWStbP.twd", "TWStb.twd", "TWStbManifest.txt"}) {
            std::filesystem::copy_file(source / f, dir / f,
                                       std::filesystem::copy_options::overwrite_existing);
        }
        sink.clear();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(DataDirectory, MissingFileIsReportedAtCreationAndAtEachLookup) {
    std::filesystem::remove(dir / "TWStbP.twd");
    Stable st(dir);
    ASSERT_EQ(sink.messages().size(), 1u);
    EXPECT_EQ(sink.messages()[0].text,
              "[TWCommon.dll] 파일이 있는 디렉토리에\n<TWStbP.twd> 파일이 필요합니다.");
    st.setTW_Language(tw::TW_English);
    sink.clear();
    st.SSTABLE(1, 10.0f);
    ASSERT_FALSE(sink.messages().empty());
    EXPECT_EQ(sink.messages()[0].text,
              "The following files are necessary at the directory having [TWCommon.dll] "
              "file.\n<TWStbP.twd>");
    // The lookups fail: nothing reads as a valid state.
    EXPECT_EQ(st.StableError(), 8);
    EXPECT_EQ(st.TSAT(), 9999999.0f);
    EXPECT_EQ(st.ViscoF(), 0.0f);
    for (const auto& m : sink.messages()) EXPECT_EQ(m.text, sink.messages()[0].text);
    st.STABLE(1, 10.0f, 2, 300.0f);
    EXPECT_EQ(st.StableError(), 8);
    EXPECT_EQ(st.ENTH(), 9999999.0f);
}

TEST_F(DataDirectory, ARenewedObjectIsWhatANewOneWouldBe) {
    Stable used(dir);
    used.setTW_Language(tw::TW_English);
    used.setuPR(1);
    used.setuTP(1);
    used.SSTABLE(1, 10.0f);
    std::filesystem::remove(dir / "TWStbP.twd");
    sink.clear();
    used.renew();
    Stable fresh(dir);
    ASSERT_EQ(sink.messages().size(), 2u);  // the missing file, once each
    EXPECT_EQ(sink.messages()[0].text, sink.messages()[1].text);
    EXPECT_EQ(used.TW_Language(), fresh.TW_Language());
    EXPECT_EQ(used.uPR(), fresh.uPR());
    EXPECT_EQ(used.sTP(), fresh.sTP());
    EXPECT_EQ(used.TSAT(), fresh.TSAT());
    EXPECT_EQ(used.ENTHG(), fresh.ENTHG());
    EXPECT_EQ(used.StableError(), fresh.StableError());
    used.SSTABLE(1, 10.0f);
    EXPECT_EQ(used.StableError(), 8);
}

TEST_F(DataDirectory, ShortFileIsNeverTakenAsData) {
    std::filesystem::resize_file(dir / "TWSStb.twd", 32 * 100);
    std::filesystem::resize_file(dir / "TWStb.twd", 16 * 1000 + 7);
    Stable st(dir);
    st.setTW_Language(tw::TW_English);
    st.SSTABLE(2, 20.0f);  // needs records near 370: past the end
    EXPECT_EQ(st.TSAT(), 9999999.0f);
    ASSERT_FALSE(sink.messages().empty());
    EXPECT_NE(sink.messages()[0].text.find("<TWSStb.twd>"), std::string::npos);
    sink.clear();
    st.STABLE(1, 0.05f, 2, 300.0f);
    EXPECT_EQ(st.TP(), 9999999.0f);
    EXPECT_NE(sink.messages()[0].text.find("<TWStb.twd>"), std::string::npos);
}

}  // namespace
