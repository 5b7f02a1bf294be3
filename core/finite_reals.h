#pragma once
// Reals a caller gives for what is written into records or drawn: levels, sizes, places,
// angles. A NaN or an infinity once written stops every later reading of the record, so it
// is refused before the first write.

#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "platform/vb_convert.h"

namespace fluvanet {

// Raises Invalid procedure call, naming what the value is for, unless it is a finite number.
inline void RequireFinite(std::string_view what, double value) {
    if (!std::isfinite(value))
        com::Raise(com::ErrorCode::InvalidProcedureCall, std::string(what) + " is not a finite number");
}

// Every one of several reals for the same thing: a point, a line's coordinates.
inline void RequireFinite(std::string_view what, std::initializer_list<double> values) {
    for (double value : values) RequireFinite(what, value);
}
inline void RequireFinite(std::string_view what, const std::vector<double>& values) {
    for (double value : values) RequireFinite(what, value);
}

// The leading number of a text the caller gives (vb::Val), refused as above when it lies
// past the range of a real ("1e400").
inline double FiniteNumberOfText(std::string_view what, std::string_view text) {
    try {
        return vb::Val(text);
    } catch (const com::Error& e) {
        if (e.Code() != com::ErrorCode::Overflow) throw;
    }
    com::Raise(com::ErrorCode::InvalidProcedureCall, std::string(what) + " \"" + std::string(text) + "\" is not a finite number");
}

}  // namespace fluvanet
