// PROVISIONAL: byte-based placeholders so the tree builds; to be replaced wholesale.
#include "platform/vb_text.h"

namespace vb {
std::vector<std::string> Split(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> out;
    if (text.empty()) return out;
    if (delimiter.empty()) return {std::string(text)};
    std::size_t start = 0;
    while (true) {
        std::size_t p = text.find(delimiter, start);
        if (p == std::string_view::npos) {
            out.emplace_back(text.substr(start));
            return out;
        }
        out.emplace_back(text.substr(start, p - start));
        start = p + delimiter.size();
    }
}
std::string Join(const std::vector<std::string>& items, std::string_view delimiter) {
    std::string s;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) s += delimiter;
        s += items[i];
    }
    return s;
}
int32_t Len(std::string_view text) { return static_cast<int32_t>(text.size()); }
std::string Left(std::string_view t, int32_t n) { return std::string(t.substr(0, n)); }
std::string Right(std::string_view t, int32_t n) { return std::string(t.substr(t.size() > std::size_t(n) ? t.size() - n : 0)); }
std::string Mid(std::string_view t, int32_t s) { return std::string(t.substr(std::min<std::size_t>(s - 1, t.size()))); }
std::string Mid(std::string_view t, int32_t s, int32_t n) { return std::string(t.substr(std::min<std::size_t>(s - 1, t.size()), n)); }
int32_t InStr(std::string_view t, std::string_view f) { auto p = t.find(f); return p == std::string_view::npos ? 0 : int32_t(p + 1); }
int32_t InStr(int32_t s, std::string_view t, std::string_view f) { auto p = t.find(f, s - 1); return p == std::string_view::npos ? 0 : int32_t(p + 1); }
std::string UCase(std::string_view t) { std::string s(t); for (char& c : s) if (c >= 'a' && c <= 'z') c = char(c - 32); return s; }
std::string LCase(std::string_view t) { std::string s(t); for (char& c : s) if (c >= 'A' && c <= 'Z') c = char(c + 32); return s; }
std::string LTrim(std::string_view t) { auto p = t.find_first_not_of(' '); return p == std::string_view::npos ? "" : std::string(t.substr(p)); }
std::string RTrim(std::string_view t) { auto p = t.find_last_not_of(' '); return p == std::string_view::npos ? "" : std::string(t.substr(0, p + 1)); }
std::string Trim(std::string_view t) { return LTrim(RTrim(t)); }
std::string Replace(std::string_view t, std::string_view f, std::string_view r) { return Join(Split(t, f), r); }
std::string Chr(int32_t code) { return std::string(1, char(code)); }
int32_t AscW(std::string_view t) { return t.empty() ? 0 : (unsigned char)t[0]; }
}  // namespace vb
