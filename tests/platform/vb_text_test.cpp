// Text functions over UTF-8, counting characters rather than bytes.

#include "platform/vb_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using testing_support::ErrorOf;
using Items = std::vector<std::string>;

// é, É, a Euro sign (three bytes) and a G clef (four bytes).
const std::string e = "\xC3\xA9", E = "\xC3\x89", euro = "\xE2\x82\xAC", clef = "\xF0\x9D\x84\x9E";

TEST(VbText, SplitAndJoin) {
    EXPECT_EQ(vb::Split(""), Items{});
    EXPECT_EQ(vb::Split("", ";"), Items{});
    EXPECT_EQ(vb::Split("a;", ";"), (Items{"a", ""}));
    EXPECT_EQ(vb::Split(";", ";"), (Items{"", ""}));
    EXPECT_EQ(vb::Split("a  b"), (Items{"a", "", "b"}));
    EXPECT_EQ(vb::Split("a::b::c", "::"), (Items{"a", "b", "c"}));
    EXPECT_EQ(vb::Split("a;b", ""), Items{"a;b"});
    EXPECT_EQ(vb::Split("x" + euro + "y" + euro, euro), (Items{"x", "y", ""}));
    // A stray byte never splits a character it happens to end.
    EXPECT_EQ(vb::Split(e + "\xA9", "\xA9"), (Items{e, ""}));
    // A lead byte without its continuation is a character of its own; the ";" after it splits.
    EXPECT_EQ(vb::Split("\xC3;" + e + ";" + clef, ";"), (Items{"\xC3", e, clef}));

    EXPECT_EQ(vb::Join({}), "");
    EXPECT_EQ(vb::Join({"a"}, ";"), "a");
    EXPECT_EQ(vb::Join({"a", "", "b"}, ", "), "a, , b");
    EXPECT_EQ(vb::Join({"a", "b"}), "a b");
    for (const std::string& text : {std::string("a;;b;"), ";" + e + ";"})
        EXPECT_EQ(vb::Join(vb::Split(text, ";"), ";"), text);
}

TEST(VbText, LengthsAndPiecesCountCharacters) {
    const std::string text = e + "t" + euro + clef + "z";  // 5 characters, 11 bytes
    EXPECT_EQ(vb::Len(""), 0);
    EXPECT_EQ(vb::Len(text), 5);
    EXPECT_EQ(vb::Len("a\xFF" "b"), 3);
    EXPECT_EQ(vb::Len("\xE2\x82"), 2);  // a cut sequence is two stray bytes

    EXPECT_EQ(vb::Left(text, 0), "");
    EXPECT_EQ(vb::Left(text, 1), e);
    EXPECT_EQ(vb::Left(text, 3), e + "t" + euro);
    EXPECT_EQ(vb::Left(text, 99), text);
    EXPECT_EQ(vb::Right(text, 2), clef + "z");
    EXPECT_EQ(vb::Right(text, 0), "");
    EXPECT_EQ(vb::Right(text, 99), text);
    EXPECT_EQ(vb::Mid(text, 3), euro + clef + "z");
    EXPECT_EQ(vb::Mid(text, 2, 2), "t" + euro);
    EXPECT_EQ(vb::Mid(text, 4, 99), clef + "z");
    EXPECT_EQ(vb::Mid(text, 5, 0), "");
    EXPECT_EQ(vb::Mid(text, 6), "");
    EXPECT_EQ(vb::Mid(text, 60, 2), "");
    EXPECT_EQ(vb::Mid("", 1), "");

    EXPECT_EQ(ErrorOf([] { vb::Left("abc", -1); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([] { vb::Right("abc", -1); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([] { vb::Mid("abc", 0); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([] { vb::Mid("abc", -3, 1); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([] { vb::Mid("abc", 1, -1); }), ErrorCode::InvalidProcedureCall);
}

TEST(VbText, InStrAndReplace) {
    const std::string text = e + "ab" + euro + "ab";
    EXPECT_EQ(vb::InStr(text, "ab"), 2);
    EXPECT_EQ(vb::InStr(text, euro), 4);
    EXPECT_EQ(vb::InStr(3, text, "ab"), 5);
    EXPECT_EQ(vb::InStr(5, text, "ab"), 5);
    EXPECT_EQ(vb::InStr(6, text, "ab"), 0);
    EXPECT_EQ(vb::InStr(99, text, "ab"), 0);
    EXPECT_EQ(vb::InStr(text, "abc"), 0);
    EXPECT_EQ(vb::InStr("", "a"), 0);
    EXPECT_EQ(vb::InStr(text, ""), 1);
    EXPECT_EQ(vb::InStr(4, text, ""), 4);
    EXPECT_EQ(vb::InStr(e, "\xA9"), 0);
    EXPECT_EQ(vb::InStr("x\xA9" + e, "\xA9"), 2);
    EXPECT_EQ(ErrorOf([] { vb::InStr(0, "abc", "a"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([] { vb::InStr(-1, "abc", ""); }), ErrorCode::InvalidProcedureCall);

    EXPECT_EQ(vb::Replace("a.b.c", ".", "::"), "a::b::c");
    EXPECT_EQ(vb::Replace("aaa", "aa", "b"), "ba");
    EXPECT_EQ(vb::Replace("abc", "", "x"), "abc");
    EXPECT_EQ(vb::Replace("abc", "b", ""), "ac");
    EXPECT_EQ(vb::Replace("", "a", "b"), "");
    EXPECT_EQ(vb::Replace(e + euro + e, e, "e"), "e" + euro + "e");
    EXPECT_EQ(vb::Replace(e, "\xA9", "x"), e);
}

TEST(VbText, CaseMapping) {
    struct Pair {
        std::string lower, upper;
    };
    for (const Pair& p : std::vector<Pair>{{"abc xyz 09", "ABC XYZ 09"},
                                           {e, E},
                                           {"\xC3\xA0", "\xC3\x80"},          // à À
                                           {"\xC3\xBE", "\xC3\x9E"},          // þ Þ
                                           {"\xC3\xBF", "\xC5\xB8"},          // ÿ Ÿ
                                           {"\xC4\x81", "\xC4\x80"},          // ā Ā
                                           {"\xC4\xB3", "\xC4\xB2"},          // ĳ Ĳ
                                           {"\xC5\x82", "\xC5\x81"},          // ł Ł
                                           {"\xC5\x88", "\xC5\x87"},          // ň Ň
                                           {"\xC5\x93", "\xC5\x92"},          // œ Œ
                                           {"\xC5\xBE", "\xC5\xBD"},          // ž Ž
                                           {"\xC5\xB7", "\xC5\xB6"}}) {       // ŷ Ŷ
        EXPECT_EQ(vb::UCase(p.lower), p.upper) << p.lower;
        EXPECT_EQ(vb::LCase(p.upper), p.lower) << p.upper;
        EXPECT_EQ(vb::UCase(p.upper), p.upper) << p.upper;
        EXPECT_EQ(vb::LCase(p.lower), p.lower) << p.lower;
    }
    // Letters without a partner in these blocks, signs, and other scripts stay.
    for (const std::string& s : {std::string("\xC3\x9F"), std::string("\xC3\xB7"), std::string("\xC3\x97"),
                                 std::string("\xC4\xB8"), std::string("\xC2\xB5"), euro, clef,
                                 std::string("\xCE\xB1"), std::string("\xD0\x96"), std::string("a\xFF" "b")}) {
        EXPECT_EQ(vb::UCase(s), s == "a\xFF" "b" ? "A\xFF" "B" : s) << s;
        EXPECT_EQ(vb::LCase(s), s) << s;
    }
    EXPECT_EQ(vb::UCase("stra\xC3\x9F" "e"), "STRA\xC3\x9F" "E");
}

TEST(VbText, TrimCharactersAndCodes) {
    EXPECT_EQ(vb::Trim("  a b  "), "a b");
    EXPECT_EQ(vb::LTrim("  a  "), "a  ");
    EXPECT_EQ(vb::RTrim("  a  "), "  a");
    EXPECT_EQ(vb::Trim("   "), "");
    EXPECT_EQ(vb::Trim("\ta\t"), "\ta\t");
    EXPECT_EQ(vb::Trim(" \xC2\xA0"), "\xC2\xA0");  // no-break space is not a space here

    EXPECT_EQ(vb::Chr(65), "A");
    EXPECT_EQ(vb::Chr(10), "\n");
    EXPECT_EQ(vb::Chr(0), std::string(1, '\0'));
    EXPECT_EQ(vb::Chr(0xE9), e);
    EXPECT_EQ(vb::Chr(0x20AC), euro);
    EXPECT_EQ(vb::Chr(0x1D11E), clef);
    EXPECT_EQ(vb::Chr(0x10FFFF), "\xF4\x8F\xBF\xBF");
    for (int32_t code : {-1, 0x110000, 0xD800})
        EXPECT_EQ(ErrorOf([&] { vb::Chr(code); }), ErrorCode::InvalidProcedureCall) << code;

    EXPECT_EQ(vb::AscW("A"), 65);
    EXPECT_EQ(vb::AscW(e + "x"), 0xE9);
    EXPECT_EQ(vb::AscW(euro), 0x20AC);
    EXPECT_EQ(vb::AscW(clef), 0x1D11E);
    EXPECT_EQ(vb::AscW("\xFF"), 0xFF);
    EXPECT_EQ(ErrorOf([] { vb::AscW(""); }), ErrorCode::InvalidProcedureCall);
    for (int32_t code : {0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0x10000}) EXPECT_EQ(vb::AscW(vb::Chr(code)), code);
}

}  // namespace
