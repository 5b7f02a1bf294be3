#pragma once
// VB string functions over UTF-8 texts. Lengths and positions count characters (code
// points), never bytes; positions are 1-based as in VB.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vb {

// One character of a UTF-8 text at byte `index`: its code point and its length in bytes.
// A byte outside any valid sequence is a character of its own (valid false, code its
// byte value), so malformed text still has a length.
struct Utf8Char {
    char32_t code;
    std::size_t size;
    bool valid;
};
Utf8Char DecodeChar(std::string_view text, std::size_t index);

// Split("") gives no items; Split("a;", ";") gives "a" and "". An empty delimiter gives
// the whole text as one item.
std::vector<std::string> Split(std::string_view text, std::string_view delimiter = " ");
std::string Join(const std::vector<std::string>& items, std::string_view delimiter = " ");

int32_t Len(std::string_view text);
// Negative lengths or a start below 1 raise Invalid procedure call.
std::string Left(std::string_view text, int32_t length);
std::string Right(std::string_view text, int32_t length);
std::string Mid(std::string_view text, int32_t start);
std::string Mid(std::string_view text, int32_t start, int32_t length);
// 1-based character position of `find`, 0 when absent; an empty `find` gives `start`.
int32_t InStr(std::string_view text, std::string_view find);
int32_t InStr(int32_t start, std::string_view text, std::string_view find);

// Upper / lower case of ASCII, Latin-1 and Latin Extended-A letters; others unchanged.
std::string UCase(std::string_view text);
std::string LCase(std::string_view text);
std::string Trim(std::string_view text);  // spaces only, as VB
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);
std::string Replace(std::string_view text, std::string_view find, std::string_view replacement);
// The character of a code point (Chr(10) line feed, Chr(27) escape).
std::string Chr(int32_t code);
// Code point of the first character; an empty text raises Invalid procedure call.
int32_t AscW(std::string_view text);

}  // namespace vb
