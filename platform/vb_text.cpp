#include "platform/vb_text.h"

#include <algorithm>
#include <cstddef>

#include "platform/error.h"

// Choices the rules leave open, made here:
//  - A byte outside any valid UTF-8 sequence is one character of its own; AscW gives its
//    byte value. Matches (InStr, Split, Replace) begin and end on character boundaries.
//  - Case mapping covers letters that pair up inside ASCII, Latin-1 and Latin
//    Extended-A (y with diaeresis pairs with U+0178); letters whose other case lies
//    elsewhere (dotted and dotless i, long s, the sharp s) stay as they are.
//  - Chr raises Invalid procedure call for surrogate code points, which UTF-8 cannot hold.

namespace vb {

namespace {

using com::ErrorCode;
using com::Raise;

}  // namespace

Utf8Char DecodeChar(std::string_view s, std::size_t i) {
    auto lead = static_cast<unsigned char>(s[i]);
    std::size_t extra = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (lead < 0x80) return {lead, 1, true};
    if (extra == 0 || i + extra >= s.size()) return {lead, 1, false};
    char32_t code = lead & (0x3Fu >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return {lead, 1, false};
        code = (code << 6) | (b & 0x3Fu);
    }
    static constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kShortest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {lead, 1, false};
    return {code, extra + 1, true};
}

namespace {

void Encode(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Byte offset of every character start, plus the end.
std::vector<std::size_t> Starts(std::string_view s) {
    std::vector<std::size_t> starts;
    starts.reserve(s.size() + 1);
    for (std::size_t i = 0; i < s.size(); i += DecodeChar(s, i).size) starts.push_back(i);
    starts.push_back(s.size());
    return starts;
}

// An ASCII byte is a character of its own wherever it stands: no sequence takes it as a
// continuation byte.
bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }
bool IsAscii(std::string_view s) {
    for (char c : s)
        if (!IsAscii(c)) return false;
    return true;
}

std::size_t CharSize(std::string_view s, std::size_t i) { return IsAscii(s[i]) ? 1 : DecodeChar(s, i).size; }

// Byte offset after `count` characters from the start (the end when the text is shorter).
std::size_t Advance(std::string_view s, std::size_t count) {
    std::size_t i = 0;
    for (; i < s.size() && count > 0; --count) i += CharSize(s, i);
    return i;
}

// Searches that only match whole characters, so that a stray byte never matches inside
// a character.
class Finder {
public:
    explicit Finder(std::string_view text) : text_(text), starts_(Starts(text)), boundary_(text.size() + 1, false) {
        for (std::size_t b : starts_) boundary_[b] = true;
    }
    std::size_t Characters() const { return starts_.size() - 1; }
    std::size_t Byte(std::size_t character) const { return starts_[character]; }
    // Byte offset of the next match at or after byte `from`, or npos.
    std::size_t Next(std::string_view find, std::size_t from) const {
        for (std::size_t p = text_.find(find, from); p != std::string_view::npos; p = text_.find(find, p + 1))
            if (boundary_[p] && boundary_[p + find.size()]) return p;
        return std::string_view::npos;
    }
    std::size_t CharacterAt(std::size_t byte) const {
        std::size_t lo = 0, hi = starts_.size();
        while (lo + 1 < hi) {
            std::size_t mid = (lo + hi) / 2;
            (starts_[mid] <= byte ? lo : hi) = mid;
        }
        return lo;
    }

private:
    std::string_view text_;
    std::vector<std::size_t> starts_;
    std::vector<bool> boundary_;
};

void CheckLength(int32_t length) {
    if (length < 0) Raise(ErrorCode::InvalidProcedureCall, "negative length");
}
void CheckStart(int32_t start) {
    if (start < 1) Raise(ErrorCode::InvalidProcedureCall, "start below 1");
}

char32_t Upper(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c & ~char32_t{1};
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 0 ? c - 1 : c;
    return c;
}

char32_t Lower(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    if (c == 0x178) return 0xFF;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 1 ? c + 1 : c;
    return c;
}

template <class Map>
std::string MapCase(std::string_view text, Map map) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        Utf8Char c = DecodeChar(text, i);
        if (c.valid) Encode(map(c.code), out);
        else out += text[i];
        i += c.size;
    }
    return out;
}

}  // namespace

std::vector<std::string> Split(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> out;
    if (text.empty()) return out;
    if (delimiter.empty()) return {std::string(text)};
    // An ASCII delimiter matches on character boundaries only, wherever it is found.
    if (IsAscii(delimiter)) {
        std::size_t start = 0;
        for (std::size_t p = text.find(delimiter); p != std::string_view::npos; p = text.find(delimiter, start)) {
            out.emplace_back(text.substr(start, p - start));
            start = p + delimiter.size();
        }
        out.emplace_back(text.substr(start));
        return out;
    }
    Finder finder(text);
    std::size_t start = 0;
    for (std::size_t p = finder.Next(delimiter, 0); p != std::string_view::npos; p = finder.Next(delimiter, start)) {
        out.emplace_back(text.substr(start, p - start));
        start = p + delimiter.size();
    }
    out.emplace_back(text.substr(start));
    return out;
}

std::string Join(const std::vector<std::string>& items, std::string_view delimiter) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += delimiter;
        out += items[i];
    }
    return out;
}

int32_t Len(std::string_view text) {
    int32_t n = 0;
    for (std::size_t i = 0; i < text.size(); i += CharSize(text, i)) ++n;
    return n;
}

std::string Left(std::string_view text, int32_t length) {
    CheckLength(length);
    return std::string(text.substr(0, Advance(text, static_cast<std::size_t>(length))));
}

std::string Right(std::string_view text, int32_t length) {
    CheckLength(length);
    int32_t total = Len(text);
    if (length >= total) return std::string(text);
    return std::string(text.substr(Advance(text, static_cast<std::size_t>(total - length))));
}

std::string Mid(std::string_view text, int32_t start) {
    CheckStart(start);
    return std::string(text.substr(Advance(text, static_cast<std::size_t>(start) - 1)));
}

std::string Mid(std::string_view text, int32_t start, int32_t length) {
    CheckStart(start);
    CheckLength(length);
    std::string_view rest = text.substr(Advance(text, static_cast<std::size_t>(start) - 1));
    return std::string(rest.substr(0, Advance(rest, static_cast<std::size_t>(length))));
}

int32_t InStr(std::string_view text, std::string_view find) { return InStr(1, text, find); }

int32_t InStr(int32_t start, std::string_view text, std::string_view find) {
    CheckStart(start);
    if (find.empty()) return start;
    Finder finder(text);
    if (static_cast<std::size_t>(start) > finder.Characters()) return 0;
    std::size_t p = finder.Next(find, finder.Byte(static_cast<std::size_t>(start) - 1));
    return p == std::string_view::npos ? 0 : static_cast<int32_t>(finder.CharacterAt(p)) + 1;
}

std::string UCase(std::string_view text) { return MapCase(text, Upper); }
std::string LCase(std::string_view text) { return MapCase(text, Lower); }

std::string LTrim(std::string_view text) {
    std::size_t p = text.find_first_not_of(' ');
    return p == std::string_view::npos ? std::string() : std::string(text.substr(p));
}

std::string RTrim(std::string_view text) {
    std::size_t p = text.find_last_not_of(' ');
    return p == std::string_view::npos ? std::string() : std::string(text.substr(0, p + 1));
}

std::string Trim(std::string_view text) { return LTrim(RTrim(text)); }

std::string Replace(std::string_view text, std::string_view find, std::string_view replacement) {
    if (find.empty()) return std::string(text);
    Finder finder(text);
    std::string out;
    std::size_t start = 0;
    for (std::size_t p = finder.Next(find, 0); p != std::string_view::npos; p = finder.Next(find, start)) {
        out.append(text.substr(start, p - start));
        out.append(replacement);
        start = p + find.size();
    }
    out.append(text.substr(start));
    return out;
}

std::string Chr(int32_t code) {
    if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        Raise(ErrorCode::InvalidProcedureCall, "no character " + std::to_string(code));
    std::string out;
    Encode(static_cast<char32_t>(code), out);
    return out;
}

int32_t AscW(std::string_view text) {
    if (text.empty()) Raise(ErrorCode::InvalidProcedureCall, "empty text");
    return static_cast<int32_t>(DecodeChar(text, 0).code);
}

}  // namespace vb
