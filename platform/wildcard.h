#pragma once
// The drawing platform's wildcard patterns, as selection filters apply them to entity
// type names, block names, layer names and extended-data texts.
//
//   #  one digit                 @  one letter
//   .  one character that is neither a digit nor a letter
//   *  any run of characters, the empty run included
//   ?  any one character
//   ~  at the start of a pattern: matches what the rest does not match
//   [...]   one character of the class; "-" between two characters is a range
//   [~...]  one character not in the class
//   `  the next character stands for itself (`# matches "#", `, matches ",")
//   ,  separates alternative patterns; the text matches when any alternative matches
//
// Characters are code points of UTF-8 texts. Without ignoreCase the comparison is exact.
//
// Matching takes time linear in the text and the pattern where the runs between stars are
// plain characters; a run holding ?, #, @, . or a class costs a word operation per 64 of
// its characters for each character of the text.

#include <memory>
#include <string>
#include <string_view>

namespace acad {

// A pattern parsed once, for matching many texts (a selection filter tests every entity).
class WildcardPattern {
public:
    WildcardPattern(std::string_view pattern, bool ignoreCase);
    bool Matches(std::string_view text) const;

private:
    struct Compiled;
    std::shared_ptr<const Compiled> compiled_;
};

bool WildcardMatch(std::string_view text, std::string_view pattern, bool ignoreCase);

// The text as a pattern that matches the text itself and nothing else: a backquote before
// every character the rules above give a meaning (# @ . * ? ~ [ ] - , and the backquote).
std::string WildcardEscape(std::string_view text);

}  // namespace acad
