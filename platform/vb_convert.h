#pragma once
// The text and number rules the whole library relies on, in one place: conversions between
// Variants, numbers and texts with VB semantics, the leading-number rule, rounding with
// halves to even and number patterns.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/variant.h"

namespace vb {

// Leading-number rule: leading blanks (space, tab, CR, LF) skipped, optional sign, digits,
// "." as decimal point whatever the locale, optional exponent (e/E, optional sign, at least
// one digit); reading stops at the first character that cannot continue the number;
// 0 when the text does not start with a number ("12abc" -> 12, "1,5" -> 1, "abc" -> 0).
double Val(std::string_view text);

// Strict conversions. A text converts only when, apart from surrounding blanks, it is a
// whole number text (sign, digits, ".", exponent); otherwise Type mismatch. Empty gives
// 0 / "" / False; Null raises Invalid use of Null; objects, arrays and records raise
// Type mismatch. Reals go to whole numbers to the nearest value, halves to even, decided
// on the exact value rather than its decimal form (2.5000000000000004 -> 3, where Round
// gives 2), and a result outside the type's range raises Overflow.
std::string CStr(const com::Variant& value);
int16_t CInt(const com::Variant& value);
int32_t CLng(const com::Variant& value);
double CDbl(const com::Variant& value);
bool CBool(const com::Variant& value);  // texts "True"/"False" (any case) or numbers
int16_t CInt(double value);
int32_t CLng(double value);

// A real as text: its shortest decimal form with at most 15 significant digits, "." as
// decimal point, no exponent, no trailing zeros, no leading blank; -0 gives "0".
// Non-finite values raise Overflow.
std::string CStr(double value);
std::string CStr(int32_t value);
std::string CStr(bool value);  // "True" / "False"

// True when CDbl would succeed on the value (a number, or a number text).
bool IsNumeric(const com::Variant& value);

// Round to `decimals` places, halves to the even neighbour (2.5 -> 2, 3.5 -> 4,
// 0.125 -> 0.12). The decision is taken on the value's 15-significant-digit decimal form,
// so 2.675 rounds as the text 2.675 reads (-> 2.68). Negative decimals raise Invalid
// procedure call.
double Round(double value, int32_t decimals = 0);

// a / b, raising Division by zero when b is 0 (0 / 0 as well), as VB's "/" does.
double Divide(double a, double b);

// Number patterns: "0" a required digit, "#" an optional digit, "." the decimal point,
// "%" multiplies by 100 and prints "%"; every other character is a literal ("+" in
// "0+00.00"). Digits of the integer part fill the integer placeholders from the right,
// the leftmost placeholder takes any surplus digits; there is no digit grouping. The
// value is first rounded (halves to even) to the pattern's decimal places; optional
// decimals drop trailing zeros. A minus sign precedes a negative value that does not
// round to zero. An empty pattern gives CStr(value).
// Format(101.5, "0.00#") = "101.50", Format(1234.5, "0+00.00") = "12+34.50",
// Format(7, "0000") = "0007", Format(0.25, "###0.0%") = "25.0%".
std::string Format(double value, std::string_view pattern);

// A count of items, set members or characters as the 16-bit signed index that walks them:
// more than 32,767 raises Overflow, as the index would. For what crosses the interface as
// a 16-bit integer and for lists the host hands in; walks over the drawing take any size.
int16_t Count16(std::size_t count);

}  // namespace vb
