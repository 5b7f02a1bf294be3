#pragma once
// The annotation format table: a view style's 43 settings parsed into 43 rows of 6 texts,
// row k for settings entry k. It crosses the interface as a Variant holding the String
// array; AnnoFormatTable reads it by row and column.

#include <cstdint>
#include <string>

#include "platform/safe_array.h"
#include "platform/variant.h"

namespace fluvanet {

inline constexpr int32_t kFormatRows = 43;
inline constexpr int32_t kFormatColumns = 6;

namespace format_row {
inline constexpr int32_t kTextStyle = 3;
inline constexpr int32_t kTextHeight = 4;
inline constexpr int32_t kGravityArrow = 18;
inline constexpr int32_t kPressureArrow = 32;
// The label item of each block kind, the other items at fixed offsets after it.
inline constexpr int32_t kGravityPipeLabel = 5;
inline constexpr int32_t kPressurePipeLabel = 19;
inline constexpr int32_t kGravityNodeLabel = 33;
inline constexpr int32_t kPressureNodeLabel = 37;
inline constexpr int32_t kGravityNodeCoordinates = 41;
inline constexpr int32_t kPressureNodeCoordinates = 42;
}  // namespace format_row

class AnnoFormatTable {
public:
    // Anything but a two-dimensional array raises Type mismatch; a smaller one Subscript out of range.
    // The table is read where it is: the Variant outlives the reader.
    explicit AnnoFormatTable(const com::Variant& arAnnoFormat);
    explicit AnnoFormatTable(com::Variant&&) = delete;

    std::string Cell(int32_t row, int32_t column) const;
    // A label line is written only when its flag is exactly "1".
    bool LineShown(int32_t row) const { return Cell(row, 0) == "1"; }
    // Line counts and the arrow switch use the flag's numeric value.
    double FlagValue(int32_t row) const;

private:
    const com::SafeArray* table_;
};

}  // namespace fluvanet
