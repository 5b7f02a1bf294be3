// Wildcard patterns as selection filters apply them.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "platform/wildcard.h"

namespace {

struct Case {
    std::string text, pattern;
    bool ignoreCase, matches;
};

void Check(std::initializer_list<Case> cases) {
    for (const Case& c : cases)
        EXPECT_EQ(acad::WildcardMatch(c.text, c.pattern, c.ignoreCase), c.matches)
            << '"' << c.text << "\" against \"" << c.pattern << '"' << (c.ignoreCase ? " in any case" : "");
}

const std::string eAcute = "\xC3\xA9", EAcute = "\xC3\x89", times = "\xC3\x97", divide = "\xC3\xB7";

TEST(Wildcard, LiteralsAndCase) {
    Check({{"LINE", "LINE", false, true}, {"LINE", "LIN", false, false}, {"LIN", "LINE", false, false},
           {"line", "LINE", false, false}, {"line", "LINE", true, true}, {"", "", false, true}, {"a", "", false, false},
           {eAcute + "cole", EAcute + "COLE", true, true}, {eAcute, EAcute, false, false},
           {divide, times, true, false}});
}

TEST(Wildcard, CharacterKindsCountCodePoints) {
    Check({{"P-1", "@.#", false, true}, {"P-a", "@.#", false, false}, {"5", "@", false, false},
           {eAcute, "@", false, true}, {"\xC5\x81", "@", false, true} /* Latin Extended-A */,
           {times, "@", false, false}, {times, ".", false, true}, {" ", ".", false, true}, {"a", ".", false, false},
           {"7", ".", false, false}, {eAcute, ".", false, false},
           {"\xE2\x82\xAC", "?", false, true}, {"\xE2\x82\xAC", "???", false, false}, {"", "?", false, false},
           // A byte that is not UTF-8 is one character, equal only to itself.
           {"a\xFF" "b", "a?b", false, true}, {"a\xFF" "b", "a\xFF" "b", false, true},
           {"a\xC3\xBF" "b", "a\xFF" "b", false, false}});
}

TEST(Wildcard, StarsTakeAnyRunAndBacktrack) {
    Check({{"", "*", false, true}, {"Pipe;Main;P-1", "Pipe;Main;*", false, true},
           {"Pipe;Main2;P-1", "Pipe;Main;*", false, false}, {"Pipe;Main;", "Pipe;Main;*", false, true},
           {"AxBxxBxC", "A*B?C", false, true}, {"AxBxxBxxC", "A*B?C", false, false}, {"abcabc", "*abc", false, true},
           {"aaa", "a**a", false, true}, {"a", "a**a", false, false}});

    std::string stars;
    for (int i = 0; i < 60; ++i) stars += "*a";
    std::string text(5000, 'a');
    Check({{text, stars + "*b", false, false}, {text + "b", stars + "*b", false, true},
           {std::string(59, 'a'), stars, false, false}});
}

TEST(Wildcard, BackquoteMakesTheNextCharacterLiteral) {
    Check({{"#", "`#", false, true}, {"5", "`#", false, false}, {"No. 12", "No`. ##", false, true},
           {"No: 12", "No`. ##", false, false}, {"a,b", "a`,b", false, true}, {"a", "a`,b", false, false},
           {"b", "a`,b", false, false}, {"*", "`*", false, true}, {"x", "`*", false, false},
           {"?@", "`?`@", false, true}, {"~A", "`~A", false, true}, {"B", "`~A", false, false},
           {"[x]", "`[x]", false, true}, {"`", "``", false, true}, {"a`", "a`", false, true}});
}

TEST(Wildcard, AlternativesAreMatchedEachWithItsOwnNegation) {
    Check({{"LINE", "LWPOLYLINE,LINE", false, true}, {"POINT", "LWPOLYLINE,LINE", false, false},
           {"Cat", "~A*,B*", false, true}, {"Bee", "~A*,B*", false, true}, {"Apple", "~A*,B*", false, false},
           {"Apple", "B*,~A*", false, false}, {"Apple", "B*,~C*", false, true}, {"B", "~B,~B", false, false},
           {"apple", "~A*", true, false}, {"", "~*", false, false}, {"", "~", false, false}, {"x", "~", false, true},
           {"", "A,", false, true},
           // Only the first "~" of an alternative negates.
           {"x~y", "x~y", false, true}, {"abc", "x~y", false, false}, {"A", "~~A", false, true},
           {"~A", "~~A", false, false}});
}

TEST(Wildcard, ClassesAndRanges) {
    Check({{"B7", "[A-C]#", false, true}, {"D7", "[A-C]#", false, false}, {"w", "[xyz]", false, false},
           {"w", "[~xyz]", false, true}, {"y", "[~xyz]", false, false}, {"", "[~xyz]", false, false},
           {"q", "[a-fp-t]", false, true}, {"h", "[a-fp-t]", false, false}, {"-", "[-a]", false, true},
           {"-", "[a-]", false, true}, {"b", "[-a]", false, false}, {"]", "[a`]]", false, true},
           {"-", "[x`-z]", false, true}, {"y", "[x`-z]", false, false}, {"~", "[`~a]", false, true},
           {"#", "[#]", false, true}, {"5", "[#]", false, false}, {",", "[,;]", false, true},
           {"x", "[]", false, false}, {"x", "[~]", false, true},
           {"\xC3\xB1", "[\xC3\xA0-\xC3\xBF]", false, true}, {"z", "[\xC3\xA0-\xC3\xBF]", false, false},
           {"B", "[a-c]", false, false}, {"B", "[a-c]", true, true}, {"b", "[A-C]", true, true},
           {"B", "[~a-c]", true, false}, {EAcute, "[" + eAcute + "]", true, true},
           // An unterminated "[" is literal and a comma after it still separates.
           {"[ab", "[ab", false, true}, {"a", "[ab", false, false}, {"[a]", "[a`]", false, true},
           {"b", "[a,b", false, true}, {"[a", "[a,b", false, true}});
}

TEST(Wildcard, AnEscapedTextMatchesItselfAndNothingElse) {
    const std::pair<const char*, const char*> cases[] = {
        {"Net.1", "Net-1"}, {"*", "abc"}, {"[AB]", "A"}, {"P.1", "P-1"},   {"a,b", "a"},
        {"#1", "11"},       {"@x", "ax"}, {"~A", "B"},   {"`", "x"},       {"a?c", "abc"}};
    for (const auto& [text, other] : cases) {
        std::string pattern = acad::WildcardEscape(text);
        EXPECT_TRUE(acad::WildcardMatch(text, pattern, false)) << text << " as " << pattern;
        EXPECT_FALSE(acad::WildcardMatch(other, pattern, false)) << other << " against " << pattern;
    }
    EXPECT_EQ(acad::WildcardEscape("Pipe;Main;P-1"), "Pipe;Main;P`-1");
    EXPECT_TRUE(acad::WildcardMatch("Pipe;Grün;P-1", acad::WildcardEscape("Pipe;Grün;") + "*", false));
}

}  // namespace

