#include "platform/vb_convert.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <system_error>

// Choices the rules leave open, made here:
//  - Val and the strict conversions raise Overflow for a number text beyond the range of
//    a Double; one too small to represent reads as 0.
//  - CBool accepts "True"/"False" with surrounding blanks, as number texts may have them.
//  - Format prints the decimal point only when a decimal digit follows it ("#.##" of 5
//    gives "5"); without integer placeholders the integer digits go just before the
//    decimal point, or at the end of a pattern that has none; "%" scales once however
//    often it appears.

namespace vb {

using com::ErrorCode;
using com::Raise;
using com::VarType;
using com::Variant;

namespace {

// A non-negative number as decimal digits: value = 0.d1d2d3... x 10^point.
struct Decimal {
    std::string digits;  // no leading or trailing zeros; empty for zero
    int64_t point = 0;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void Normalize(Decimal& d) {
    std::size_t lead = d.digits.find_first_not_of('0');
    if (lead == std::string::npos) {
        d = Decimal{};
        return;
    }
    d.digits.erase(0, lead);
    d.point -= static_cast<int64_t>(lead);
    d.digits.erase(d.digits.find_last_not_of('0') + 1);
}

// Reads to_chars' scientific form "d[.ddd]e[+-]xx".
Decimal FromScientific(const char* first, const char* last) {
    Decimal d;
    const char* p = first;
    for (; p != last && *p != 'e'; ++p)
        if (IsDigit(*p)) d.digits += *p;
    int exponent = 0;
    if (p != last) {
        ++p;
        bool negative = p != last && *p == '-';
        if (p != last && (*p == '-' || *p == '+')) ++p;
        std::from_chars(p, last, exponent);
        if (negative) exponent = -exponent;
    }
    d.point = exponent + 1;
    Normalize(d);
    return d;
}

// The decimal form every rule here works on: the shortest text that reads back as the
// value, cut to 15 significant digits when it needs more (0.1 + 0.2 -> 0.3).
Decimal Digits15(double magnitude) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    Decimal d = FromScientific(buf, r.ptr);
    if (d.digits.size() > 15) {
        r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
        d = FromScientific(buf, r.ptr);
    }
    return d;
}

// Rounds to `decimals` places, halves to the even neighbour.
void RoundDecimal(Decimal& d, int64_t decimals) {
    int64_t keep = d.point + decimals;
    if (keep >= static_cast<int64_t>(d.digits.size())) return;
    if (keep < 0) {
        d = Decimal{};
        return;
    }
    auto k = static_cast<std::size_t>(keep);
    char first = d.digits[k];
    bool up = first > '5' || (first == '5' && (d.digits.find_first_not_of('0', k + 1) != std::string::npos ||
                                               (k > 0 && (d.digits[k - 1] - '0') % 2 == 1)));
    d.digits.resize(k);
    if (up) {
        std::size_t i = k;
        while (i > 0 && d.digits[i - 1] == '9') d.digits[--i] = '0';
        if (i == 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        } else {
            ++d.digits[i - 1];
        }
    }
    Normalize(d);
}

// The powers of ten a Double holds exactly, as far as rounding goes.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Round without the decimal form, where the answer is sure to be the one the decimal form
// gives: a whole value stays (0 loses its sign); otherwise the value scaled to whole units
// of the last place decides when it lies further from a half than the 15-digit form can
// lie from the value (5e-15 of it), and the whole number of units divided by the power
// of ten is the Double that form reads as. Nothing where that is not sure.
std::optional<double> QuickRound(double value, int32_t decimals) {
    if (std::trunc(value) == value) return value == 0 ? 0.0 : value;
    const double scale = kPowersOfTen[decimals];
    const double scaled = std::fabs(value) * scale;
    if (!(scaled < 1e14)) return std::nullopt;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) <= scaled * 1e-14) return std::nullopt;
    const double units = fraction > 0.5 ? whole + 1 : whole;
    if (units == 0) return 0.0;
    return value < 0 ? -(units / scale) : units / scale;
}

// The whole number nearest the exact value, halves to the even neighbour. What floor
// leaves of the magnitude is exact, so neither a decimal form nor the processor's
// rounding mode has a say.
double NearestWhole(double value) {
    const double magnitude = std::fabs(value);
    double whole = std::floor(magnitude);
    const double fraction = magnitude - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
    return value < 0 ? -whole : whole;
}

double ToDouble(const Decimal& d, bool negative) {
    if (d.digits.empty()) return 0.0;
    std::string text = d.digits + "e" + std::to_string(d.point - static_cast<int64_t>(d.digits.size()));
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return negative ? -value : value;
}

// Plain positional digits, never an exponent.
std::string Positional(const Decimal& d) {
    if (d.digits.empty()) return "0";
    auto n = static_cast<int64_t>(d.digits.size());
    if (d.point <= 0) return "0." + std::string(static_cast<std::size_t>(-d.point), '0') + d.digits;
    if (d.point >= n) return d.digits + std::string(static_cast<std::size_t>(d.point - n), '0');
    auto p = static_cast<std::size_t>(d.point);
    return d.digits.substr(0, p) + "." + d.digits.substr(p);
}

enum class Parse { Ok, NotNumber, Overflow };

// Reads a number (sign, digits, ".", exponent) at the start of `text`; `used` is how
// many characters it took, 0 when the text does not start with a number.
Parse ReadNumber(std::string_view text, std::size_t& used, double& value) {
    std::size_t i = 0;
    used = 0;
    value = 0;
    bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++i;
    std::size_t mantissa = i;
    int64_t magnitude = 0;  // the value is about 0.d x 10^(magnitude + exponent)
    bool seenDigit = false, seenSignificant = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        seenDigit = true;
        if (text[i] != '0') seenSignificant = true;
        if (seenSignificant) ++magnitude;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            seenDigit = true;
            if (seenSignificant) continue;
            if (text[i] != '0') seenSignificant = true;
            else --magnitude;
        }
    }
    if (!seenDigit) return Parse::NotNumber;
    std::size_t end = i;
    int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = j < text.size() && text[j] == '-';
        if (j < text.size() && (text[j] == '-' || text[j] == '+')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j)
                if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
            if (negativeExponent) exponent = -exponent;
            end = j;
        }
    }
    used = end;
    if (!seenSignificant) return Parse::Ok;
    auto r = std::from_chars(text.data() + mantissa, text.data() + end, value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        if (magnitude + exponent > 0) return Parse::Overflow;
        value = 0;
    }
    if (negative) value = -value;
    return Parse::Ok;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

Parse ParseStrict(std::string_view text, double& value) {
    text = TrimBlanks(text);
    std::size_t used = 0;
    Parse p = ReadNumber(text, used, value);
    if (p != Parse::NotNumber && used != text.size()) return Parse::NotNumber;
    return p;
}

double TextToDouble(const std::string& text) {
    double value = 0;
    switch (ParseStrict(text, value)) {
    case Parse::Ok: return value;
    case Parse::Overflow: Raise(ErrorCode::Overflow);
    case Parse::NotNumber: break;
    }
    Raise(ErrorCode::TypeMismatch, "\"" + text + "\" is not a number");
}

[[noreturn]] void NotConvertible(const Variant& v, std::string_view to) {
    Raise(ErrorCode::TypeMismatch, std::string(com::VarTypeName(v.Type())) + " to " + std::string(to));
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        if (x != b[i]) return false;
    }
    return true;
}

}  // namespace

double Val(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    std::size_t used = 0;
    double value = 0;
    if (ReadNumber(text, used, value) == Parse::Overflow) Raise(ErrorCode::Overflow);
    return value;
}

std::string CStr(double value) {
    if (!std::isfinite(value)) Raise(ErrorCode::Overflow);
    // A whole number of up to 15 digits is its own decimal form.
    if (std::fabs(value) < 1e15 && std::trunc(value) == value) {
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof buf, static_cast<int64_t>(value));
        return std::string(buf, r.ptr);
    }
    Decimal d = Digits15(std::fabs(value));
    return (value < 0 && !d.digits.empty() ? "-" : "") + Positional(d);
}

std::string CStr(int32_t value) { return std::to_string(value); }
std::string CStr(bool value) { return value ? "True" : "False"; }

std::string CStr(const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty: return "";
    case VarType::Null: Raise(ErrorCode::InvalidUseOfNull);
    case VarType::Boolean: return CStr(v.Bool());
    case VarType::Integer: return CStr(int32_t{v.Int()});
    case VarType::Long: return CStr(v.Long());
    case VarType::Double: return CStr(v.Dbl());
    case VarType::String: return v.Str();
    default: NotConvertible(v, "String");
    }
}

double CDbl(const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty: return 0;
    case VarType::Null: Raise(ErrorCode::InvalidUseOfNull);
    case VarType::Boolean: return v.Bool() ? -1 : 0;
    case VarType::Integer: return v.Int();
    case VarType::Long: return v.Long();
    case VarType::Double: return v.Dbl();
    case VarType::String: return TextToDouble(v.Str());
    default: NotConvertible(v, "Double");
    }
}

double Round(double value, int32_t decimals) {
    if (decimals < 0) Raise(ErrorCode::InvalidProcedureCall, "negative number of decimals");
    if (!std::isfinite(value) || decimals > 15) return value;
    if (std::optional<double> quick = QuickRound(value, decimals)) return *quick;
    Decimal d = Digits15(std::fabs(value));
    // Past the 15 digits the decimal form holds there is nothing left to decide.
    if (d.point + decimals > 15) return decimals == 0 ? std::nearbyint(value) : value;
    RoundDecimal(d, decimals);
    return ToDouble(d, value < 0);
}

int32_t CLng(double value) {
    if (!std::isfinite(value)) Raise(ErrorCode::Overflow);
    double r = NearestWhole(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) Raise(ErrorCode::Overflow);
    return static_cast<int32_t>(r);
}

int16_t CInt(double value) {
    if (!std::isfinite(value)) Raise(ErrorCode::Overflow);
    double r = NearestWhole(value);
    if (!(r >= -32768.0 && r <= 32767.0)) Raise(ErrorCode::Overflow);
    return static_cast<int16_t>(r);
}

// Every value that converts to a whole number goes through its exact Double value.
int32_t CLng(const Variant& v) { return CLng(CDbl(v)); }
int16_t CInt(const Variant& v) { return CInt(CDbl(v)); }

bool CBool(const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty: return false;
    case VarType::Null: Raise(ErrorCode::InvalidUseOfNull);
    case VarType::Boolean: return v.Bool();
    case VarType::Integer: return v.Int() != 0;
    case VarType::Long: return v.Long() != 0;
    case VarType::Double: return v.Dbl() != 0;
    case VarType::String: {
        std::string_view t = TrimBlanks(v.Str());
        if (EqualsIgnoringCase(t, "true")) return true;
        if (EqualsIgnoringCase(t, "false")) return false;
        return TextToDouble(v.Str()) != 0;
    }
    default: NotConvertible(v, "Boolean");
    }
}

bool IsNumeric(const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double: return true;
    case VarType::String: {
        double value = 0;
        return ParseStrict(v.Str(), value) == Parse::Ok;
    }
    default: return false;
    }
}

double Divide(double a, double b) {
    if (b == 0) Raise(ErrorCode::DivisionByZero);
    return a / b;
}

std::string Format(double value, std::string_view pattern) {
    if (pattern.empty()) return CStr(value);
    if (!std::isfinite(value)) Raise(ErrorCode::Overflow);
    auto isSlot = [](char c) { return c == '0' || c == '#'; };

    std::size_t pointAt = pattern.find('.');
    std::string_view integerPart = pattern.substr(0, pointAt);
    std::string_view fractionPart = pointAt == std::string_view::npos ? std::string_view() : pattern.substr(pointAt + 1);
    int64_t integerSlots = 0, decimals = 0, required = 0;
    for (char c : integerPart) integerSlots += isSlot(c);
    for (char c : fractionPart) {
        if (!isSlot(c)) continue;
        ++decimals;
        if (c == '0') required = decimals;
    }

    Decimal d = Digits15(std::fabs(value));
    if (pattern.find('%') != std::string_view::npos && !d.digits.empty()) d.point += 2;
    RoundDecimal(d, decimals);

    auto digitAt = [&](int64_t index) {  // index 0 is the first digit after the point
        int64_t k = d.point + index;
        return k >= 0 && k < static_cast<int64_t>(d.digits.size()) ? d.digits[static_cast<std::size_t>(k)] : '0';
    };
    std::string integerDigits;
    for (int64_t i = -d.point; i < 0; ++i) integerDigits += digitAt(i);
    std::string fractionDigits;
    for (int64_t i = 0; i < decimals; ++i) fractionDigits += digitAt(i);
    while (static_cast<int64_t>(fractionDigits.size()) > required && fractionDigits.back() == '0') fractionDigits.pop_back();

    std::string out = value < 0 && !d.digits.empty() ? "-" : "";
    // Slot j (from the left) shows digit L - slots + j; the first slot also takes the surplus.
    auto length = static_cast<int64_t>(integerDigits.size());
    int64_t slot = 0;
    for (char c : integerPart) {
        if (!isSlot(c)) {
            out += c;
            continue;
        }
        int64_t index = length - integerSlots + slot;
        if (slot == 0 && index > 0) out += integerDigits.substr(0, static_cast<std::size_t>(index));
        if (index >= 0) out += integerDigits[static_cast<std::size_t>(index)];
        else if (c == '0') out += '0';
        ++slot;
    }
    if (integerSlots == 0) out += integerDigits;
    if (!fractionDigits.empty()) out += '.';
    std::size_t next = 0;
    for (char c : fractionPart) {
        if (!isSlot(c)) out += c;
        else if (next < fractionDigits.size()) out += fractionDigits[next++];
    }
    return out;
}

int16_t Count16(std::size_t count) {
    if (count > 32767) Raise(ErrorCode::Overflow, std::to_string(count) + " items pass a 16-bit index");
    return static_cast<int16_t>(count);
}

}  // namespace vb
