// PROVISIONAL: minimal conversions so the tree builds; to be replaced wholesale.
#include "platform/vb_convert.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/safe_array.h"

namespace vb {
using com::ErrorCode;
using com::Raise;
using com::VarType;
using com::Variant;

double Val(std::string_view text) { return std::atof(std::string(text).c_str()); }
std::string CStr(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
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
    default: Raise(ErrorCode::TypeMismatch);
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
    case VarType::String: {
        char* end = nullptr;
        std::string s = v.Str();
        double d = std::strtod(s.c_str(), &end);
        if (s.empty() || *end != '\0') Raise(ErrorCode::TypeMismatch);
        return d;
    }
    default: Raise(ErrorCode::TypeMismatch);
    }
}
int32_t CLng(double value) {
    double r = std::nearbyint(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) Raise(ErrorCode::Overflow);
    return static_cast<int32_t>(r);
}
int16_t CInt(double value) {
    double r = std::nearbyint(value);
    if (!(r >= -32768.0 && r <= 32767.0)) Raise(ErrorCode::Overflow);
    return static_cast<int16_t>(r);
}
int32_t CLng(const Variant& v) { return CLng(CDbl(v)); }
int16_t CInt(const Variant& v) { return CInt(CDbl(v)); }
bool CBool(const Variant& v) { return CDbl(v) != 0; }
bool IsNumeric(const Variant& v) {
    try {
        CDbl(v);
        return true;
    } catch (const com::Error&) {
        return false;
    }
}
double Round(double value, int32_t decimals) {
    double f = std::pow(10.0, decimals);
    return std::nearbyint(value * f) / f;
}
std::string Format(double value, std::string_view) { return CStr(value); }

}  // namespace vb
