#include "platform/wildcard.h"

#include "platform/vb_text.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Choices the platform leaves open, made here:
//  - "@" letters are ASCII letters plus the alphabetic code points of Latin-1 and Latin
//    Extended-A (U+00AA, U+00B5, U+00BA, U+00C0-U+017F except U+00D7 and U+00F7).
//  - ignoreCase folds ASCII and Latin-1 letters only.
//  - Inside a class every character except "`", "]" and a range "-" is literal ("#" is a
//    hash there, "," a comma); "-" first or last in the class is literal; a reversed
//    range holds nothing; "[]" matches nothing and "[~]" any one character.
//  - A "~" counts only as the first character of an alternative; a trailing "`" is itself.
//  - Bytes that are not valid UTF-8 are characters of their own, equal only to themselves.

namespace acad {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Invalid bytes go to lone low surrogates, which valid UTF-8 never yields.
constexpr char32_t kInvalidByteBase = 0xDC00;

std::vector<char32_t> Decode(std::string_view s) {
    std::vector<char32_t> out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        vb::Utf8Char c = vb::DecodeChar(s, i);
        out.push_back(c.valid ? c.code : kInvalidByteBase + c.code);
        i += c.size;
    }
    return out;
}

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

bool IsLetter(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z')) return true;
    if (c == 0xAA || c == 0xB5 || c == 0xBA) return true;
    return c >= 0xC0 && c <= 0x17F && c != 0xD7 && c != 0xF7;
}

char32_t Lower(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    return c;
}

char32_t Upper(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    return c;
}

struct Range {
    char32_t lo, hi;
};

struct Token {
    enum class Kind : uint8_t { Literal, Digit, Letter, Other, Any, Star, Class };
    Kind kind;
    bool negated = false;   // Class
    char32_t ch = 0;        // Literal
    std::size_t first = 0;  // Class: its ranges in Alternative::ranges
    std::size_t count = 0;
};

struct Alternative {
    bool negated = false;
    std::vector<Token> tokens;
    std::vector<Range> ranges;
};

// Reads one class member (an escape included) at p[j]; kNone when the pattern ends first.
std::size_t ClassMember(const std::vector<char32_t>& p, std::size_t j, char32_t& member) {
    if (j >= p.size()) return kNone;
    if (p[j] == U'`') {
        if (j + 1 >= p.size()) return kNone;
        member = p[j + 1];
        return j + 2;
    }
    member = p[j];
    return j + 1;
}

// Parses "[...]" at p[i] into a class token; kNone leaves the "[" to be taken literally.
std::size_t ParseClass(const std::vector<char32_t>& p, std::size_t i, Alternative& alt) {
    Token token{Token::Kind::Class};
    token.first = alt.ranges.size();
    std::size_t j = i + 1;
    if (j < p.size() && p[j] == U'~') {
        token.negated = true;
        ++j;
    }
    while (j < p.size() && p[j] != U']') {
        char32_t lo = 0;
        j = ClassMember(p, j, lo);
        if (j == kNone) break;
        char32_t hi = lo;
        if (j + 1 < p.size() && p[j] == U'-' && p[j + 1] != U']') {
            j = ClassMember(p, j + 1, hi);
            if (j == kNone) break;
        }
        alt.ranges.push_back({lo, hi});
    }
    if (j == kNone || j >= p.size()) {
        alt.ranges.resize(token.first);
        return kNone;
    }
    token.count = alt.ranges.size() - token.first;
    alt.tokens.push_back(token);
    return j + 1;
}

std::vector<Alternative> Parse(const std::vector<char32_t>& p) {
    using Kind = Token::Kind;
    std::vector<Alternative> alts(1);
    bool atStart = true;
    for (std::size_t i = 0; i < p.size();) {
        char32_t c = p[i++];
        Alternative& alt = alts.back();
        auto push = [&alt](Kind kind, char32_t ch = 0) {
            Token t{kind};
            t.ch = ch;
            alt.tokens.push_back(t);
        };
        if (std::exchange(atStart, false) && c == U'~') {
            alt.negated = true;
            continue;
        }
        switch (c) {
        case U',':
            alts.emplace_back();
            atStart = true;
            break;
        case U'`': push(Kind::Literal, i < p.size() ? p[i++] : c); break;
        case U'[': {
            std::size_t next = ParseClass(p, i - 1, alt);
            if (next == kNone)
                push(Kind::Literal, c);
            else
                i = next;
            break;
        }
        case U'*':
            if (alt.tokens.empty() || alt.tokens.back().kind != Kind::Star) push(Kind::Star);
            break;
        case U'#': push(Kind::Digit); break;
        case U'@': push(Kind::Letter); break;
        case U'.': push(Kind::Other); break;
        case U'?': push(Kind::Any); break;
        default: push(Kind::Literal, c); break;
        }
    }
    return alts;
}

bool InRanges(const Alternative& alt, const Token& t, char32_t c) {
    for (std::size_t k = t.first; k < t.first + t.count; ++k)
        if (alt.ranges[k].lo <= c && c <= alt.ranges[k].hi) return true;
    return false;
}

bool TokenMatches(const Alternative& alt, const Token& t, char32_t c, bool ignoreCase) {
    switch (t.kind) {
    case Token::Kind::Literal: return c == t.ch || (ignoreCase && Lower(c) == Lower(t.ch));
    case Token::Kind::Digit: return IsDigit(c);
    case Token::Kind::Letter: return IsLetter(c);
    case Token::Kind::Other: return !IsDigit(c) && !IsLetter(c);
    case Token::Kind::Any: return true;
    case Token::Kind::Star: return false;
    case Token::Kind::Class: {
        bool in = InRanges(alt, t, c) || (ignoreCase && (InRanges(alt, t, Lower(c)) || InRanges(alt, t, Upper(c))));
        return in != t.negated;
    }
    }
    return false;
}

// Every token but "*" takes exactly one character, so on a mismatch only the latest star
// needs to take one more character: earlier stars could not do better. O(text * pattern).
bool Matches(const Alternative& alt, const std::vector<char32_t>& text, bool ignoreCase) {
    const std::vector<Token>& tokens = alt.tokens;
    std::size_t t = 0, p = 0, star = kNone, starText = 0;
    while (t < text.size()) {
        if (p < tokens.size() && tokens[p].kind == Token::Kind::Star) {
            star = p++;
            starText = t;
        } else if (p < tokens.size() && TokenMatches(alt, tokens[p], text[t], ignoreCase)) {
            ++p;
            ++t;
        } else if (star != kNone) {
            p = star + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < tokens.size() && tokens[p].kind == Token::Kind::Star) ++p;
    return p == tokens.size();
}

}  // namespace

bool WildcardMatch(std::string_view text, std::string_view pattern, bool ignoreCase) {
    std::vector<char32_t> chars = Decode(text);
    for (const Alternative& alt : Parse(Decode(pattern)))
        if (Matches(alt, chars, ignoreCase) != alt.negated) return true;
    return false;
}

std::string WildcardEscape(std::string_view text) {
    static constexpr std::string_view kSpecial = "#@.*?~[]-,`";
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        // Every special character is ASCII, so bytes of longer UTF-8 sequences pass as they are.
        if (kSpecial.find(c) != std::string_view::npos) out += '`';
        out += c;
    }
    return out;
}

}  // namespace acad
