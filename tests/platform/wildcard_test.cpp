// Wildcard patterns as selection filters apply them.

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>
#include <vector>

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

TEST(Wildcard, LongRunsBetweenStarsAreFoundWithoutBacktracking) {
    // Each of these took the product of the two lengths before.
    const std::string text(100000, 'a');
    const std::string run(50000, 'a');
    Check({{text, "*" + run + "b*", false, false}, {text + "b", "*" + run + "b*", false, true},
           {text, "*" + std::string(50000, '?') + "b*", false, false},
           {text + "b", "*" + std::string(50000, '?') + "b", false, true},
           {text, "*" + run + "[b-z]*", false, false}, {text + "B", "*" + run + "[b-z]", true, true},
           {text + "b" + text, "*" + run + "b" + run + "*", false, true}});

    // A run longer than a machine word, with kinds, classes and literals, found in the middle.
    std::string mixed;
    for (int i = 0; i < 70; ++i) mixed += i % 7 == 0 ? "#" : i % 5 == 0 ? "[x-z]" : i % 3 == 0 ? "?" : "a";
    std::string inside;
    for (int i = 0; i < 70; ++i) inside += i % 7 == 0 ? '5' : i % 5 == 0 ? 'y' : i % 3 == 0 ? '!' : 'a';
    Check({{"start" + std::string(200, 'a') + inside + "end", "start*" + mixed + "*end", false, true},
           {"start" + std::string(200, 'a') + inside.substr(1) + "end", "start*" + mixed + "*end", false, false}});
}

// A matcher for the plain subset of the rules (literals, ?, #, @, *, one-letter classes),
// by the textbook table over text and pattern positions.
bool ReferenceMatch(const std::string& text, const std::string& pattern, bool ignoreCase) {
    auto fold = [&](char c) { return ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    std::vector<std::string> tokens;
    for (std::size_t i = 0; i < pattern.size();) {
        std::size_t size = pattern[i] == '[' ? 3 : 1;
        tokens.push_back(pattern.substr(i, size));
        i += size;
    }
    auto one = [&](const std::string& t, char c) {
        if (t == "?") return true;
        if (t == "#") return c >= '0' && c <= '9';
        if (t == "@") return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (t[0] == '[') return fold(c) == fold(t[1]);
        return fold(c) == fold(t[0]);
    };
    std::vector<std::vector<bool>> m(tokens.size() + 1, std::vector<bool>(text.size() + 1, false));
    m[0][0] = true;
    for (std::size_t p = 1; p <= tokens.size(); ++p)
        for (std::size_t t = 0; t <= text.size(); ++t)
            m[p][t] = tokens[p - 1] == "*" ? m[p - 1][t] || (t > 0 && m[p][t - 1])
                                           : t > 0 && m[p - 1][t - 1] && one(tokens[p - 1], text[t - 1]);
    return m[tokens.size()][text.size()];
}

TEST(Wildcard, AgreesWithTheTableMatcherOnRandomPatterns) {
    std::mt19937 gen(7);
    auto pick = [&](const std::vector<std::string>& from) { return from[gen() % from.size()]; };
    const std::vector<std::string> patternPieces{"a", "b", "A", "1", "?", "#", "@", "*", "[a]", "[B]"};
    const std::vector<std::string> runPieces{"a", "a", "b", "A", "1", "?", "#", "@", "[a]", "[B]"};
    const std::vector<std::string> textPieces{"a", "b", "A", "B", "1", "-"};
    for (int round = 0; round < 3000; ++round) {
        // Some runs longer than a machine word.
        const bool longRuns = gen() % 4 == 0;
        const std::size_t patternLength = longRuns ? 60 + gen() % 90 : gen() % 12;
        std::string pattern, text;
        for (std::size_t i = 0; i < patternLength; ++i)
            pattern += longRuns && i % 70 != 35 ? pick(runPieces) : pick(patternPieces);
        if (gen() % 2 == 0) pattern = "*" + pattern + "*";
        if (gen() % 2 == 0) {
            for (std::size_t i = 0, n = gen() % (patternLength * 2 + 4); i < n; ++i) text += pick(textPieces);
        } else {
            // A text the pattern matches, then perhaps one character changed.
            for (std::size_t i = 0; i < pattern.size(); ++i) {
                const char c = pattern[i];
                if (c == '*') {
                    for (std::size_t n = gen() % 4; n > 0; --n) text += pick(textPieces);
                } else if (c == '[') {
                    text += pattern[i + 1];
                    i += 2;
                } else {
                    text += c == '?' ? '-' : c == '#' ? '7' : c == '@' ? 'q' : c;
                }
            }
            if (!text.empty() && gen() % 2 == 0) text[gen() % text.size()] = pick(textPieces)[0];
        }
        const bool ignoreCase = gen() % 2 == 0;
        ASSERT_EQ(acad::WildcardPattern(pattern, ignoreCase).Matches(text), ReferenceMatch(text, pattern, ignoreCase))
            << '"' << text << "\" against \"" << pattern << '"' << (ignoreCase ? " in any case" : "");
    }
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

