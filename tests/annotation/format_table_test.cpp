// The annotation format table and the number patterns of labels, slopes and profiles.

#include <gtest/gtest.h>

#include "annotation/format_table.h"
#include "annotation/view_style.h"
#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

// A complete settings array: every label setting in its form, nothing shown.
std::vector<std::string> Settings() {
    std::vector<std::string> s(43);
    s[0] = "Fluvamap";
    s[1] = ";;Standard";
    s[2] = "ViewStylePoint";
    s[3] = "Standard";
    s[4] = "2.5";
    for (int k = 5; k <= 42; ++k) s[static_cast<std::size_t>(k)] = "0;;;2;0";
    for (int k : {5, 7, 9, 19, 21, 23, 33, 37}) s[static_cast<std::size_t>(k)] = "0;;";
    for (int k : {8, 22}) s[static_cast<std::size_t>(k)] = "0;;;2;0;0";
    for (int k : {18, 32}) s[static_cast<std::size_t>(k)] = "0";
    for (int k : {41, 42}) s[static_cast<std::size_t>(k)] = "0;2;0";
    return s;
}

Variant AsVariant(const std::vector<std::string>& s) { return Variant(com::SafeArray::FromStrings(s)); }

TEST(FormatTable, PatternsFollowTheRoundedSumOfBothNumbers) {
    fluvanet::ViewStyle vs;
    const std::tuple<const char*, const char*, const char*> decimals[] = {
        {"2", "0", "###0.00"}, {"2.5", "0", "###0.00"}, {"1.5", "0", "###0.00"}, {"1", "2", "###0.000"},
        {"0", "0", "###0"},    {"5", "0", "###0.00000"}, {"3", "3", ""},        {"6", "0", ""},
        {"1e1", "0", ""},      {"-1", "1", "###0"},      {"", "", "###0"},      {"-0.5", "0", "###0"},
        {"abc", "1", "###0.0"}, {"-2", "0", ""}};
    for (const auto& [p, d, want] : decimals) EXPECT_EQ(vs.GetDecimalsString(p, d), want) << p << " " << d;
    EXPECT_EQ(ErrorOf([&] { vs.GetDecimalsString("40000", "0"); }), ErrorCode::Overflow);
    EXPECT_EQ(vs.GetPercentString("1", "0"), "###0.0%");
    EXPECT_EQ(vs.GetPercentString("0", "0"), "###0%");
    EXPECT_EQ(vs.GetPercentString("3", "0"), "###0.000%");
    EXPECT_EQ(vs.GetPercentString("2", "2"), "");
}

TEST(FormatTable, RowsTakeTheItemsOfTheirForm) {
    fluvanet::ViewStyle vs;
    auto s = Settings();
    s[6] = "1;L=;m;2;0";
    s[8] = "1;;%;1;0;1";
    s[41] = "1;3;0";
    s[18] = " 1 x";
    s[7] = "1;%%c;;ignored";
    Variant table = vs.GetAnnotationFormatArray(AsVariant(s));
    fluvanet::AnnoFormatTable t(table);
    auto row = [&](int r) {
        std::vector<std::string> cells;
        for (int c = 0; c < 6; ++c) cells.push_back(t.Cell(r, c));
        return cells;
    };
    using Row = std::vector<std::string>;
    EXPECT_EQ(row(6), (Row{"1", "L=", "m", "2", "###0.00", ""}));
    EXPECT_EQ(row(8), (Row{"1", "", "%", "1", "0", "1"}));
    EXPECT_EQ(row(41), (Row{"1", "3", "###0.000", "", "", ""}));
    EXPECT_EQ(row(42), (Row{"0", "2", "###0.00", "", "", ""}));
    EXPECT_EQ(row(18), (Row{" 1 x", "", "", "", "", ""}));
    EXPECT_EQ(row(7), (Row{"1", "%%c", "", "", "", ""}));
    EXPECT_EQ(row(3), (Row{"Standard", "", "", "", "", ""}));
    EXPECT_EQ(row(4), (Row{"2.5", "", "", "", "", ""}));
    for (int r : {0, 1, 2}) EXPECT_EQ(row(r), Row(6)) << r;
    EXPECT_TRUE(t.LineShown(6));
    EXPECT_FALSE(t.LineShown(18));
    EXPECT_EQ(t.FlagValue(18), 1);
}

TEST(FormatTable, ASettingWithTooFewItemsFailsTheWholeTable) {
    fluvanet::ViewStyle vs;
    for (auto [entry, setting] : std::vector<std::pair<int, std::string>>{
             {5, "1;pre"}, {6, "1;L=;m;2"}, {8, "1;;%;1;0"}, {41, "1;3"}, {40, ""}}) {
        auto s = Settings();
        s[static_cast<std::size_t>(entry)] = setting;
        EXPECT_EQ(ErrorOf([&] { vs.GetAnnotationFormatArray(AsVariant(s)); }), ErrorCode::SubscriptOutOfRange)
            << entry;
    }
    EXPECT_EQ(ErrorOf([&] { vs.GetAnnotationFormatArray(AsVariant(std::vector<std::string>(43))); }),
              ErrorCode::SubscriptOutOfRange);
    auto shortSettings = Settings();
    shortSettings.resize(42);
    EXPECT_EQ(ErrorOf([&] { vs.GetAnnotationFormatArray(AsVariant(shortSettings)); }), ErrorCode::SubscriptOutOfRange);
}

TEST(FormatTable, TheTableIsReachableLateBound) {
    auto vs = std::make_shared<fluvanet::ViewStyle>();
    Variant table = vb::CallByName(vs, "GetAnnotationFormatArray", com::CallType::Method, AsVariant(Settings()));
    EXPECT_EQ(table.Array().UBound(1), 42);
    EXPECT_EQ(table.Array().UBound(2), 5);
    EXPECT_EQ(vb::CallByName(vs, "GetPercentString", com::CallType::Method, "1", "1"), Variant("###0.00%"));
    const Variant text("x");
    EXPECT_EQ(ErrorOf([&] { fluvanet::AnnoFormatTable{text}; }), ErrorCode::TypeMismatch);
}

}  // namespace
