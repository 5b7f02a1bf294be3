#include "platform/wildcard.h"

#include "platform/vb_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <variant>
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

// Tokens between two stars, or between an end of the pattern and a star.
struct Run {
    std::size_t first = 0, count = 0;  // in Alternative::tokens
};

// An inner run of literals alone: Knuth-Morris-Pratt over the folded characters.
struct LiteralSearch {
    std::vector<char32_t> chars;
    std::vector<std::size_t> border;  // border[j]: the longest proper border of chars[0..j]
};

// An inner run with character kinds or classes: Shift-And, bit j of the state telling that
// the run's first j + 1 tokens match the text ending at the current character. Tokens that
// test alike share one group; a group of many positions keeps them as a mask, the others as
// a list, so that the masks take no more words than the run has tokens.
struct BitSearch {
    struct Group {
        Token token;  // the test; a literal holds its folded character
        std::vector<uint64_t> dense;
        std::vector<std::size_t> sparse;
    };
    std::size_t words = 0;
    std::unordered_map<char32_t, std::size_t> literals;  // folded character -> group
    std::vector<Group> groups;
    std::vector<std::size_t> tests;  // the groups other than literals
};

struct Alternative {
    bool negated = false;
    std::vector<Token> tokens;
    std::vector<Range> ranges;

    bool starred = false;
    std::size_t width = 0;  // characters the tokens other than stars take
    Run head, tail;         // without stars, head is every token
    std::vector<Run> inner;
    std::vector<std::variant<LiteralSearch, BitSearch>> searches;  // one per inner run
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

// ---- compiled alternatives --------------------------------------------------------------
// Every token but "*" takes exactly one character, so an alternative with stars matches when
// its run before the first star matches at the start, its run after the last star at the
// end, and each run between stars somewhere in between, in order. Taking the leftmost place
// for each inner run leaves the most room to the runs after it, so no choice is undone.

char32_t Fold(char32_t c, bool ignoreCase) { return ignoreCase ? Lower(c) : c; }

LiteralSearch MakeLiteralSearch(const Alternative& alt, const Run& run, bool ignoreCase) {
    LiteralSearch s;
    for (std::size_t j = 0; j < run.count; ++j) s.chars.push_back(Fold(alt.tokens[run.first + j].ch, ignoreCase));
    s.border.assign(s.chars.size(), 0);
    for (std::size_t j = 1, b = 0; j < s.chars.size(); ++j) {
        while (b > 0 && s.chars[j] != s.chars[b]) b = s.border[b - 1];
        if (s.chars[j] == s.chars[b]) ++b;
        s.border[j] = b;
    }
    return s;
}

BitSearch MakeBitSearch(const Alternative& alt, const Run& run, bool ignoreCase) {
    BitSearch s;
    s.words = (run.count + 63) / 64;
    std::map<std::u32string, std::size_t> tests;  // a test's kind, negation and ranges -> group
    for (std::size_t j = 0; j < run.count; ++j) {
        Token token = alt.tokens[run.first + j];
        std::size_t group = s.groups.size();
        if (token.kind == Token::Kind::Literal) {
            token.ch = Fold(token.ch, ignoreCase);
            group = s.literals.try_emplace(token.ch, group).first->second;
        } else {
            std::u32string key{static_cast<char32_t>(token.kind), token.negated ? U'1' : U'0'};
            for (std::size_t k = token.first; k < token.first + token.count; ++k) {
                key += alt.ranges[k].lo;
                key += alt.ranges[k].hi;
            }
            group = tests.try_emplace(std::move(key), group).first->second;
            if (group == s.groups.size()) s.tests.push_back(group);
        }
        if (group == s.groups.size()) s.groups.push_back({token, {}, {}});
        s.groups[group].sparse.push_back(j);
    }
    for (BitSearch::Group& g : s.groups) {
        if (g.sparse.size() <= s.words) continue;
        g.dense.assign(s.words, 0);
        for (std::size_t j : g.sparse) g.dense[j / 64] |= uint64_t{1} << (j % 64);
        g.sparse.clear();
    }
    return s;
}

void Compile(Alternative& alt, bool ignoreCase) {
    std::vector<Run> runs(1);
    for (std::size_t i = 0; i < alt.tokens.size(); ++i) {
        if (alt.tokens[i].kind == Token::Kind::Star) {
            alt.starred = true;
            runs.push_back({i + 1, 0});
        } else {
            ++runs.back().count;
            ++alt.width;
        }
    }
    alt.head = runs.front();
    if (!alt.starred) return;
    alt.tail = runs.back();
    alt.inner.assign(runs.begin() + 1, runs.end() - 1);
    for (const Run& run : alt.inner) {
        bool literal = true;
        for (std::size_t j = 0; j < run.count; ++j) literal = literal && alt.tokens[run.first + j].kind == Token::Kind::Literal;
        if (literal)
            alt.searches.emplace_back(MakeLiteralSearch(alt, run, ignoreCase));
        else
            alt.searches.emplace_back(MakeBitSearch(alt, run, ignoreCase));
    }
}

bool MatchesAt(const Alternative& alt, const Run& run, const std::vector<char32_t>& text, std::size_t at,
               bool ignoreCase) {
    for (std::size_t j = 0; j < run.count; ++j)
        if (!TokenMatches(alt, alt.tokens[run.first + j], text[at + j], ignoreCase)) return false;
    return true;
}

// The leftmost place in text[from, to) where the run matches; kNone when there is none.
std::size_t Find(const LiteralSearch& s, const std::vector<char32_t>& text, std::size_t from, std::size_t to,
                 bool ignoreCase) {
    const std::size_t k = s.chars.size();
    if (k == 0) return from;
    for (std::size_t i = from, j = 0; i < to; ++i) {
        const char32_t c = Fold(text[i], ignoreCase);
        while (j > 0 && s.chars[j] != c) j = s.border[j - 1];
        if (s.chars[j] == c) ++j;
        if (j == k) return i + 1 - k;
    }
    return kNone;
}

std::size_t Find(const BitSearch& s, const Alternative& alt, std::size_t k, const std::vector<char32_t>& text,
                 std::size_t from, std::size_t to, bool ignoreCase) {
    if (k == 0) return from;
    std::vector<uint64_t> state(s.words, 0), mask(s.words);
    auto add = [&](const BitSearch::Group& g) {
        if (!g.dense.empty()) {
            for (std::size_t w = 0; w < s.words; ++w) mask[w] |= g.dense[w];
        } else {
            for (std::size_t j : g.sparse) mask[j / 64] |= uint64_t{1} << (j % 64);
        }
    };
    const std::size_t lastWord = (k - 1) / 64;
    const uint64_t lastBit = uint64_t{1} << ((k - 1) % 64);
    for (std::size_t i = from; i < to; ++i) {
        std::fill(mask.begin(), mask.end(), 0);
        if (auto it = s.literals.find(Fold(text[i], ignoreCase)); it != s.literals.end()) add(s.groups[it->second]);
        for (std::size_t g : s.tests)
            if (TokenMatches(alt, s.groups[g].token, text[i], ignoreCase)) add(s.groups[g]);
        uint64_t carry = 1;  // the run may start at every character
        for (std::size_t w = 0; w < s.words; ++w) {
            const uint64_t out = state[w] >> 63;
            state[w] = ((state[w] << 1) | carry) & mask[w];
            carry = out;
        }
        if (state[lastWord] & lastBit) return i + 1 - k;
    }
    return kNone;
}

bool Matches(const Alternative& alt, const std::vector<char32_t>& text, bool ignoreCase) {
    const std::size_t n = text.size();
    if (!alt.starred) return n == alt.width && MatchesAt(alt, alt.head, text, 0, ignoreCase);
    if (alt.width > n) return false;
    if (!MatchesAt(alt, alt.head, text, 0, ignoreCase) ||
        !MatchesAt(alt, alt.tail, text, n - alt.tail.count, ignoreCase))
        return false;
    std::size_t from = alt.head.count;
    const std::size_t to = n - alt.tail.count;
    for (std::size_t r = 0; r < alt.inner.size(); ++r) {
        const std::size_t k = alt.inner[r].count;
        const std::size_t at = std::visit(
            [&](const auto& s) {
                if constexpr (std::is_same_v<std::decay_t<decltype(s)>, LiteralSearch>)
                    return Find(s, text, from, to, ignoreCase);
                else
                    return Find(s, alt, k, text, from, to, ignoreCase);
            },
            alt.searches[r]);
        if (at == kNone) return false;
        from = at + k;
    }
    return true;
}

}  // namespace

struct WildcardPattern::Compiled {
    std::vector<Alternative> alternatives;
    bool ignoreCase = false;
};

WildcardPattern::WildcardPattern(std::string_view pattern, bool ignoreCase) {
    auto compiled = std::make_shared<Compiled>();
    compiled->alternatives = Parse(Decode(pattern));
    compiled->ignoreCase = ignoreCase;
    for (Alternative& alt : compiled->alternatives) Compile(alt, ignoreCase);
    compiled_ = std::move(compiled);
}

bool WildcardPattern::Matches(std::string_view text) const {
    const std::vector<char32_t> chars = Decode(text);
    for (const Alternative& alt : compiled_->alternatives)
        if (acad::Matches(alt, chars, compiled_->ignoreCase) != alt.negated) return true;
    return false;
}

bool WildcardMatch(std::string_view text, std::string_view pattern, bool ignoreCase) {
    return WildcardPattern(pattern, ignoreCase).Matches(text);
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
