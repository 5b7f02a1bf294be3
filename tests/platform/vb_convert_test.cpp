// Conversions, rounding and number patterns with the VB rules.

#include "platform/vb_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/safe_array.h"
#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

struct Point {
    static constexpr std::string_view kRecordName = "Point";
    double x = 0;
    bool operator==(const Point&) const = default;
};

TEST(VbConvert, ValReadsTheLeadingNumber) {
    struct Case {
        const char* text;
        double value;
    };
    for (const Case& c : std::vector<Case>{{"12abc", 12},     {"1,5", 1},      {"  -3.5x", -3.5}, {".5", 0.5},
                                           {"1e3", 1000},     {"1e", 1},       {"1e+", 1},        {"2E-2x", 0.02},
                                           {"abc", 0},        {"", 0},         {"-", 0},          {".", 0},
                                           {"+7", 7},         {"\t\r\n 8", 8}, {"1.2.3", 1.2},    {"5.", 5},
                                           {"- 5", 0},        {"007", 7},      {"1e-400", 0},     {"0e999", 0},
                                           {"3 4", 3},        {"x12", 0}})
        EXPECT_DOUBLE_EQ(vb::Val(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(ErrorOf([] { vb::Val("1e400"); }), ErrorCode::Overflow);
}

TEST(VbConvert, StrictConversionsOfTexts) {
    EXPECT_EQ(vb::CDbl(Variant(" 12.5 ")), 12.5);
    EXPECT_EQ(vb::CDbl(Variant("-1e3")), -1000);
    EXPECT_EQ(vb::CDbl(Variant("+.5")), 0.5);
    EXPECT_EQ(vb::CLng(Variant("12.6")), 13);
    EXPECT_EQ(vb::CLng(Variant("2.5")), 2);
    EXPECT_EQ(vb::CInt(Variant("-32768")), -32768);
    for (const char* text : {"", " ", "12abc", "1e999x", "1,5", "abc", "1e", "--1", "1 2", ".", "0x10", "inf", "nan"}) {
        EXPECT_EQ(ErrorOf([&] { vb::CDbl(Variant(text)); }), ErrorCode::TypeMismatch) << '"' << text << '"';
        EXPECT_EQ(ErrorOf([&] { vb::CLng(Variant(text)); }), ErrorCode::TypeMismatch) << '"' << text << '"';
        EXPECT_FALSE(vb::IsNumeric(Variant(text))) << '"' << text << '"';
    }
    EXPECT_EQ(ErrorOf([] { vb::CInt(Variant("32768")); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([] { vb::CDbl(Variant("1e999")); }), ErrorCode::Overflow);
    EXPECT_TRUE(vb::IsNumeric(Variant(" 1e3 ")));
    EXPECT_FALSE(vb::IsNumeric(Variant("1e999")));

    EXPECT_TRUE(vb::CBool(Variant("TRUE")));
    EXPECT_FALSE(vb::CBool(Variant("false")));
    EXPECT_TRUE(vb::CBool(Variant("-2")));
    EXPECT_FALSE(vb::CBool(Variant("0")));
    EXPECT_EQ(ErrorOf([] { vb::CBool(Variant("yes")); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([] { vb::CBool(Variant("")); }), ErrorCode::TypeMismatch);
}

TEST(VbConvert, KindsOtherThanTexts) {
    EXPECT_EQ(vb::CInt(Variant()), 0);
    EXPECT_EQ(vb::CLng(Variant()), 0);
    EXPECT_EQ(vb::CDbl(Variant()), 0);
    EXPECT_EQ(vb::CStr(Variant()), "");
    EXPECT_FALSE(vb::CBool(Variant()));
    EXPECT_TRUE(vb::IsNumeric(Variant()));

    EXPECT_EQ(vb::CInt(Variant(true)), -1);
    EXPECT_EQ(vb::CLng(Variant(true)), -1);
    EXPECT_EQ(vb::CDbl(Variant(true)), -1);
    EXPECT_EQ(vb::CStr(Variant(true)), "True");
    EXPECT_EQ(vb::CStr(Variant(int16_t{-7})), "-7");
    EXPECT_EQ(vb::CStr(Variant(int32_t{-2147483647 - 1})), "-2147483648");
    EXPECT_EQ(vb::CStr(Variant(2.5)), "2.5");
    EXPECT_TRUE(vb::CBool(Variant(0.1)));
    EXPECT_EQ(vb::CInt(Variant(int32_t{-32768})), -32768);
    EXPECT_EQ(ErrorOf([] { vb::CInt(Variant(int32_t{40000})); }), ErrorCode::Overflow);

    const std::vector<std::function<void(const Variant&)>> conversions = {
        [](const Variant& v) { vb::CStr(v); }, [](const Variant& v) { vb::CInt(v); },
        [](const Variant& v) { vb::CLng(v); }, [](const Variant& v) { vb::CDbl(v); },
        [](const Variant& v) { vb::CBool(v); }};
    for (const Variant& v : {Variant::Nothing(), Variant(com::SafeArray::FromDoubles({1})), Variant::FromRecord(Point{})}) {
        for (const auto& convert : conversions)
            EXPECT_EQ(ErrorOf([&] { convert(v); }), ErrorCode::TypeMismatch) << com::DebugString(v);
        EXPECT_FALSE(vb::IsNumeric(v)) << com::DebugString(v);
    }
    for (const auto& convert : conversions)
        EXPECT_EQ(ErrorOf([&] { convert(Variant(com::Null)); }), ErrorCode::InvalidUseOfNull);
    EXPECT_FALSE(vb::IsNumeric(Variant(com::Null)));
}

TEST(VbConvert, RealsToWholeNumbersHalvesToEven) {
    struct Case {
        double value;
        int32_t whole;
    };
    for (const Case& c : std::vector<Case>{{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {-0.5, 0},
                                           {2.4999, 2}, {2.5001, 3}, {-32768.4, -32768}, {-32768.5, -32768}, {32767.4, 32767}}) {
        EXPECT_EQ(vb::CInt(c.value), c.whole) << c.value;
        EXPECT_EQ(vb::CLng(c.value), c.whole) << c.value;
        EXPECT_EQ(vb::Round(c.value), c.whole) << c.value;
    }
    EXPECT_EQ(vb::CLng(2147483646.5), 2147483646);
    EXPECT_EQ(vb::CLng(-2147483648.4), -2147483647 - 1);
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {32767.5, -32768.6, -32769.5, 1e10, inf, -inf, std::nan("")})
        EXPECT_EQ(ErrorOf([&] { vb::CInt(v); }), ErrorCode::Overflow) << v;
    for (double v : {2147483647.5, -2147483648.6, 1e300, inf, std::nan("")})
        EXPECT_EQ(ErrorOf([&] { vb::CLng(v); }), ErrorCode::Overflow) << v;
    // Whole-number conversion and Round agree on texts that read as halves.
    const double justAbove2_5 = std::nextafter(2.5, 3.0), justBelow3_5 = std::nextafter(3.5, 0.0);
    EXPECT_EQ(vb::CLng(justAbove2_5), 2);
    EXPECT_EQ(vb::CInt(justAbove2_5), 2);
    EXPECT_EQ(vb::Round(justAbove2_5), 2);
    EXPECT_EQ(vb::CLng(justBelow3_5), 4);
    EXPECT_EQ(vb::Round(justBelow3_5), 4);
}

TEST(VbConvert, RoundDecidesOnTheDecimalForm) {
    struct Case {
        double value;
        int32_t decimals;
        double rounded;
    };
    for (const Case& c : std::vector<Case>{{2.675, 2, 2.68},
                                           {0.125, 2, 0.12},
                                           {0.375, 2, 0.38},
                                           {1.005, 2, 1.0},
                                           {-2.675, 2, -2.68},
                                           {0.1 + 0.2, 2, 0.3},
                                           {0.1 + 0.2, 15, 0.3},
                                           {9.995, 2, 10.0},
                                           {99.5, 0, 100},
                                           {0.004, 2, 0},
                                           {0.005, 2, 0},
                                           {0.0051, 2, 0.01},
                                           {1234.5678, 1, 1234.6},
                                           {123456789.125, 2, 123456789.12}})
        EXPECT_EQ(vb::Round(c.value, c.decimals), c.rounded) << c.value << " to " << c.decimals;
    // Beyond the digits held the value comes back unchanged.
    EXPECT_EQ(vb::Round(0.1 + 0.2, 16), 0.1 + 0.2);
    EXPECT_EQ(vb::Round(1e-20, 30), 1e-20);
    EXPECT_EQ(vb::Round(123.456, 14), 123.456);
    EXPECT_EQ(vb::Round(1e20), 1e20);
    EXPECT_EQ(vb::Round(4503599627370495.5), 4503599627370496.0);
    EXPECT_EQ(ErrorOf([] { vb::Round(1.5, -1); }), ErrorCode::InvalidProcedureCall);
}

TEST(VbConvert, RealsAsText) {
    struct Case {
        double value;
        const char* text;
    };
    for (const Case& c : std::vector<Case>{{0.1 + 0.2, "0.3"},
                                           {1.0 / 3, "0.333333333333333"},
                                           {2.0 / 3, "0.666666666666667"},
                                           {200, "200"},
                                           {1.5, "1.5"},
                                           {-1.5, "-1.5"},
                                           {-0.0, "0"},
                                           {0, "0"},
                                           {1e20, "100000000000000000000"},
                                           {1e-7, "0.0000001"},
                                           {-1.25e-5, "-0.0000125"},
                                           {123456789012345678.0, "123456789012346000"},
                                           {999999999999999.9, "1000000000000000"},
                                           {9999999999999999.0, "10000000000000000"},
                                           {1e15, "1000000000000000"},
                                           {0.1, "0.1"},
                                           {100.25, "100.25"},
                                           {2147483647.0, "2147483647"}})
        EXPECT_EQ(vb::CStr(c.value), c.text) << c.text;
    EXPECT_EQ(ErrorOf([] { vb::CStr(std::numeric_limits<double>::infinity()); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([] { vb::CStr(std::nan("")); }), ErrorCode::Overflow);
    // The text reads back as the value whenever it has 15 digits or fewer.
    for (double v : {0.1, 12.34, 1e-10, 6.02214076e23, 3.14159265358979})
        EXPECT_EQ(vb::CDbl(Variant(vb::CStr(v))), v) << v;
}

TEST(VbConvert, FormatPatterns) {
    struct Case {
        double value;
        const char* pattern;
        const char* text;
    };
    for (const Case& c : std::vector<Case>{{101.5, "0.00#", "101.50"},
                                           {99.125, "0.00#", "99.125"},
                                           {99.1255, "0.00#", "99.126"},
                                           {1234.5, "0+00.00", "12+34.50"},
                                           {1234.5, "0+000.00", "1+234.50"},
                                           {1234.5, "0+0.00", "123+4.50"},
                                           {120, "0+000.00", "0+120.00"},
                                           {7, "0000", "0007"},
                                           {12345, "0000", "12345"},
                                           {0.4, "###0", "0"},
                                           {2.5, "###0", "2"},
                                           {3.5, "###0", "4"},
                                           {0, "#", ""},
                                           {3.14159, "###0.00", "3.14"},
                                           {0.25, "###0.0%", "25.0%"},
                                           {0.0125, "0.0%", "1.2%"},
                                           {-1.5, "0.0", "-1.5"},
                                           {-0.001, "0.00", "0.00"},
                                           {-0.006, "0.00", "-0.01"},
                                           {5, "0", "5"},
                                           {2.675, "0.00", "2.68"},
                                           {0.125, "0.00", "0.12"},
                                           {9.995, "0.00", "10.00"},
                                           {0.5, "#.00", ".50"},
                                           {12.5, ".00", "12.50"},
                                           {5, "0.##", "5"},
                                           {5.1, "0.##", "5.1"},
                                           {42, "L=0 m", "L=42 m"},
                                           {1e20, "0", "100000000000000000000"},
                                           {-1234.5, "0+000.00", "-1+234.50"}})
        EXPECT_EQ(vb::Format(c.value, c.pattern), c.text) << c.value << " as " << c.pattern;
    EXPECT_EQ(vb::Format(0.1 + 0.2, ""), "0.3");
    EXPECT_EQ(vb::Format(-2.5, ""), "-2.5");
}

TEST(VbConvert, CountsPassASixteenBitIndex) {
    EXPECT_EQ(vb::Count16(0), 0);
    EXPECT_EQ(vb::Count16(32767), 32767);
    EXPECT_EQ(ErrorOf([] { vb::Count16(32768); }), ErrorCode::Overflow);
}

TEST(VbConvert, DivideRaisesForAZeroDivisorOnly) {
    EXPECT_EQ(vb::Divide(1, 4), 0.25);
    EXPECT_EQ(vb::Divide(0, -2), 0);
    EXPECT_EQ(vb::Divide(-3, 1e-300), -3e300);
    EXPECT_EQ(ErrorOf([] { vb::Divide(1, 0); }), ErrorCode::DivisionByZero);
    EXPECT_EQ(ErrorOf([] { vb::Divide(0, 0); }), ErrorCode::DivisionByZero);
    EXPECT_EQ(ErrorOf([] { vb::Divide(5, -0.0); }), ErrorCode::DivisionByZero);
}

}  // namespace

