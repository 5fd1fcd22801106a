#include "tw/Format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace tw;

TEST(GeneralNumberForm, SevenSignificantDigitsWithLeadingBlank) {
    const std::pair<double, const char*> cases[] = {{0.1f, " 0.1"},
                                                    {1e-8, " 1E-08"},
                                                    {123456789, " 1.234568E+08"},
                                                    {-17.77778f, "-17.77778"},
                                                    {255.3722f, " 255.3722"},
                                                    {200, " 200"},
                                                    {6000, " 6000"},
                                                    {0, " 0"},
                                                    {9999999, " 9999999"},
                                                    {10000000, " 1E+07"},
                                                    {0.0001, " 0.0001"},
                                                    {0.00001, " 1E-05"},
                                                    {-0.5, "-0.5"},
                                                    {1.0 / 3, " 0.3333333"},
                                                    {273.15f, " 273.15"},
                                                    {-459.67f, "-459.67"},
                                                    {99999995, " 1E+08"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(generalNumber(value), text) << value;
    EXPECT_EQ(generalNumberNoBlank(200), "200");
}

TEST(ShortestFloatText, ReadsBackToTheSameFloat) {
    EXPECT_EQ(shortestFloat(0.1f), "0.1");
    EXPECT_EQ(shortestFloat(9999999.0f), "9999999");
    EXPECT_EQ(shortestFloat(-1.0332274527998857f), "-1.0332274");
    EXPECT_EQ(shortestFloat(244.8f), "244.8");
    for (float f : {1e-8f, 3.4e38f, 1.17549435e-38f, 123.456f}) {
        EXPECT_EQ(std::stof(shortestFloat(f)), f);
    }
}

TEST(FixedDecimalPatterns, RoundHalfAwayFromZeroOnTheDecimalValue) {
    EXPECT_EQ(format000(100.0f), "100.000");
    EXPECT_EQ(format00(2.675f), "2.68");  // the float is 2.67499995..., its decimal text 2.675
    EXPECT_EQ(format00(-2.675f), "-2.68");
    EXPECT_EQ(format0(0.05f), "0.1");
    EXPECT_EQ(format00(0.125f), "0.13");
    EXPECT_EQ(format00(99.995f), "100.00");
    EXPECT_EQ(format000(-0.0004f), "0.000");  // no sign on a result that rounds to zero
    EXPECT_EQ(format00(0.0f), "0.00");
    EXPECT_EQ(format00(1e-9f), "0.00");
    EXPECT_EQ(format00(0.005f), "0.01");
    EXPECT_EQ(format00(123456789.0f), "123456790.00");  // shortest text 1.2345679E+08
    EXPECT_EQ(fixedDecimals(2.675, 2), "2.68");
    EXPECT_EQ(fixedDecimals(1e20, 1), "100000000000000000000.0");
    EXPECT_EQ(format00(-1969.904f), "-1969.90");
}

// The shapes of the text: no decimal point for none, zeros after the point, a sign only on a
// result that is not zero, six decimals, the integers below 1e9.
TEST(FixedDecimalPatterns, TextShapes) {
    struct Case {
        double value;
        bool single;
        int decimals;
        const char* text;
    };
    const Case cases[] = {{2.5, true, 0, "3"},
                          {-0.0015, true, 3, "-0.002"},
                          {0.0625, true, 6, "0.062500"},
                          {-0.0, true, 3, "0.000"},
                          {999999999.0, false, 0, "999999999"},
                          {1.0000005, false, 6, "1.000001"},
                          {0.07, true, -2, "0"}};
    for (const Case& c : cases) {
        const std::string text = c.single ? fixedDecimals(static_cast<float>(c.value), c.decimals)
                                          : fixedDecimals(c.value, c.decimals);
        EXPECT_EQ(text, c.text) << c.value << " to " << c.decimals << " decimals";
    }
}

// The fixed-point text as a clerk would write it: the digits of the shortest decimal text of
// the value (std::to_chars, scientific), rounded half away from zero by those digits.
template <class T>
std::string fixedByDigits(T value, int decimals) {
    char buf[64];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    const std::string text(buf, r.ptr);  // d.ddddde+XX
    const std::size_t e = text.find('e');
    std::string significant = text.substr(0, e);
    significant.erase(std::remove(significant.begin(), significant.end(), '.'), significant.end());
    const int exponent = std::stoi(text.substr(e + 1));
    // The plain digits, with `point` of them before the decimal point.
    std::string digits = significant;
    std::size_t point = 0;
    if (exponent >= 0) {
        const auto intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() < intDigits) digits.resize(intDigits, '0');
        point = intDigits;
    } else {
        digits.insert(0, static_cast<std::size_t>(-exponent), '0');
        point = 1;
    }
    digits.append(static_cast<std::size_t>(decimals) + 1, '0');
    const std::size_t keep = point + static_cast<std::size_t>(decimals);
    const bool up = digits[keep] >= '5';
    digits.resize(keep);
    for (std::size_t i = keep; up;) {
        if (i == 0) {
            digits.insert(digits.begin(), '1');
            break;
        }
        --i;
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            break;
        }
    }
    const std::size_t intDigits = digits.size() - static_cast<std::size_t>(decimals);
    std::string whole = digits.substr(0, intDigits);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
    if (whole.empty()) whole = "0";
    std::string out = whole + (decimals > 0 ? "." + digits.substr(intDigits) : "");
    const bool zero = out.find_first_not_of("0.") == std::string::npos;
    return (std::signbit(value) && !zero ? "-" : "") + out;
}

TEST(FixedDecimalPatterns, AgreeWithRoundingTheShortestTextByItsDigits) {
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> exponent(-12, 12);
    std::uniform_int_distribution<int> places(0, 4);
    std::size_t checked = 0, numbers = 0;
    const auto check = [&](float f, int decimals) {
        ASSERT_EQ(fixedDecimals(f, decimals), fixedByDigits(f, decimals)) << f << " " << decimals;
        const double d = static_cast<double>(f) * 1.0000001;
        ASSERT_EQ(fixedDecimals(d, decimals), fixedByDigits(d, decimals)) << d << " " << decimals;
        // Appended to a text, and read back as the single a routine goes on with.
        std::string appended = "x";
        appendFixedDecimals(appended, f, decimals);
        ASSERT_EQ(appended, "x" + fixedDecimals(f, decimals)) << f << " " << decimals;
        // Worked out without the text, the double the text reads back to.
        if (const std::optional<double> number = fixedDecimalsNumber(f, decimals)) {
            const std::string own = fixedDecimals(f, decimals);
            double read = 0;
            std::from_chars(own.data(), own.data() + own.size(), read);
            ASSERT_EQ(std::bit_cast<std::uint64_t>(*number), std::bit_cast<std::uint64_t>(read))
                << f << " " << decimals;
            ++numbers;
        }
        const std::string text = fixedDecimals(d, decimals);
        float read = 0.0f;
        std::from_chars(text.data(), text.data() + text.size(), read);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(fixedDecimalsValue(d, decimals)),
                  std::bit_cast<std::uint32_t>(read))
            << d << " " << decimals;
        ++checked;
    };
    // Values of every size, both signs.
    for (int i = 0; i < 300000; ++i) {
        const auto f = static_cast<float>(std::pow(10.0, exponent(random)));
        check(i % 2 ? -f : f, places(random));
    }
    // Values at and around the rounding boundaries (a 5 just past the last kept decimal),
    // where the shortest text and the value itself may round apart.
    std::uniform_int_distribution<int> whole(0, 9999999);
    for (int i = 0; i < 100000; ++i) {
        const int decimals = places(random);
        const double tie = (whole(random) + 0.5) / std::pow(10.0, decimals);
        float f = static_cast<float>(tie);
        for (int step = 0; step < 3; ++step) f = std::nextafter(f, 0.0f);
        for (int step = 0; step < 6; ++step, f = std::nextafter(f, 1e30f)) check(f, decimals);
    }
    EXPECT_EQ(checked, 900000u);
    EXPECT_GT(numbers, checked / 2);  // arithmetic decides most of them
}

TEST(LeadingNumberRule, TakesTheLongestLeadingNumber) {
    const std::pair<const char*, double> cases[] = {
        {"12.5abc", 12.5}, {"-1e3x", -1000}, {"e5", 0},  {".5", 0.5}, {"1.2.3", 1.2},
        {"", 0},           {"N/A", 0},       {"  7", 7}, {"+3", 3},   {"1e", 1},
        {"1e+", 1},        {"-", 0},         {".", 0},   {"5.", 5},   {"2E-2", 0.02},
        {"1e-999", 0},     {"100.00", 100}};
    for (const auto& [text, value] : cases) EXPECT_EQ(leadingNumber(text), value) << text;
    EXPECT_FALSE(readLeadingNumber("N/A").found());
    EXPECT_EQ(readLeadingNumber("12.5abc").length, 4u);
    EXPECT_TRUE(std::isinf(leadingNumber("1e999")));
    EXPECT_LT(leadingNumber("-1e999"), 0);
    EXPECT_TRUE(std::isinf(leadingNumber("123456789e400")));
}

// The common cell's own reading: what the rule reads of the whole text, and nothing for a text
// with anything else in it (a sign '+', a blank, an exponent, a second point, 16 digits).
TEST(LeadingNumberRule, APlainDecimalIsReadAsTheRuleReadsIt) {
    for (const char* text : {"74.454", "-3", "0.9", "5.", ".5", "-0", "0", "-.25",
                             "123456789012345", "0.00000000000001"}) {
        const std::optional<double> plain = plainDecimal(text);
        ASSERT_TRUE(plain.has_value()) << text;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*plain),
                  std::bit_cast<std::uint64_t>(leadingNumber(text)))
            << text;
    }
    for (const char* text : {"+3", " 7", "7 ", "1e5", "1.2.3", "", "-", ".", "--1", "1-",
                             "1234567890123456", "N/A", "0x10"}) {
        EXPECT_FALSE(plainDecimal(text).has_value()) << text;
    }
}

// Short numbers take a quicker road than from_chars; it must land on the same double, the
// halfway and many-digit cases included.
TEST(LeadingNumberRule, ReadsEveryNumberAsFromCharsDoes) {
    std::mt19937_64 random(7);
    std::vector<std::string> texts{"0.1",
                                   "0.3",
                                   "-0",
                                   "9007199254740993",
                                   "1e22",
                                   "1e23",
                                   "123456789012345e-22",
                                   "1e-22",
                                   "5e-324",
                                   "0.000000000000000000001",
                                   "1.7976931348623157e308"};
    for (int i = 0; i < 200000; ++i) {
        std::string text = std::to_string(random() % 1000000000000000000ULL);
        text.resize(1 + random() % text.size());
        const std::size_t point = random() % (text.size() + 2);
        if (point < text.size()) text.insert(point, ".");
        if (random() % 4 == 0) text += "e" + std::to_string(static_cast<int>(random() % 61) - 30);
        if (random() % 3 == 0) text.insert(0, "-");
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        double expected = 0;
        const std::size_t start = text[0] == '-' ? 1 : 0;
        std::from_chars(text.data() + start, text.data() + text.size(), expected);
        if (start == 1) expected = -expected;
        const LeadingNumber got = readLeadingNumber(text);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(got.value), std::bit_cast<std::uint64_t>(expected))
            << text;
        ASSERT_EQ(got.length, text.size()) << text;
    }
}

TEST(NumberTexts, IgnoreTheLocale) {
    const char* previous = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (previous == nullptr) GTEST_SKIP() << "no German locale on this machine";
    EXPECT_EQ(generalNumber(0.5), " 0.5");
    EXPECT_EQ(format00(1.5f), "1.50");
    EXPECT_EQ(leadingNumber("1.5"), 1.5);
    std::setlocale(LC_ALL, "C");
}
