#include "annotation/format_table.h"

#include <vector>

#include "annotation/view_style.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

enum class Form { A, B, C, D, E };

// The settings entries 5 to 42, by form.
Form FormOf(int32_t entry) {
    switch (entry) {
    case 5: case 7: case 9: case 19: case 21: case 23: case 33: case 37: return Form::A;
    case 8: case 22: return Form::C;
    case 18: case 32: return Form::D;
    case 41: case 42: return Form::E;
    default: return Form::B;
    }
}

std::vector<std::string> ItemsAtLeast(const std::string& setting, std::size_t count, int32_t entry) {
    std::vector<std::string> items = vb::Split(setting, ";");
    vb::Count16(items.size());
    if (items.size() < count)
        Raise(ErrorCode::SubscriptOutOfRange, "view style setting " + std::to_string(entry) + " \"" + setting +
                                                  "\" has fewer than " + std::to_string(count) + " items");
    return items;
}

}  // namespace

AnnoFormatTable::AnnoFormatTable(const Variant& arAnnoFormat) {
    if (!arAnnoFormat.IsArray() || arAnnoFormat.Array().Dims() != 2)
        Raise(ErrorCode::TypeMismatch, "the annotation format table is a two-dimensional array");
    table_ = &arAnnoFormat.Array();
    if (table_->UBound(1) < kFormatRows - 1 || table_->UBound(2) < kFormatColumns - 1)
        Raise(ErrorCode::SubscriptOutOfRange, "the annotation format table has fewer than 43 rows of 6 columns");
}

std::string AnnoFormatTable::Cell(int32_t row, int32_t column) const { return vb::CStr(table_->Get(row, column)); }

double AnnoFormatTable::FlagValue(int32_t row) const { return vb::Val(Cell(row, 0)); }

Variant ViewStyle::GetAnnotationFormatArray(const Variant& ArViewStyleSettings) {
    const SafeArray& settings = ArViewStyleSettings.Array();
    auto entry = [&](int32_t k) { return vb::CStr(settings.Get(k)); };
    SafeArray table = SafeArray::Matrix(com::VarType::String, kFormatRows, kFormatColumns);
    table.Put(format_row::kTextStyle, 0, Variant(entry(3)));
    table.Put(format_row::kTextHeight, 0, Variant(entry(4)));

    auto fill = [&](int32_t k) {
        std::string setting = entry(k);
        switch (FormOf(k)) {
        case Form::A: {
            auto items = ItemsAtLeast(setting, 3, k);
            for (int32_t c = 0; c < 3; ++c) table.Put(k, c, Variant(items[static_cast<std::size_t>(c)]));
            break;
        }
        case Form::B: {
            auto items = ItemsAtLeast(setting, 5, k);
            for (int32_t c = 0; c < 4; ++c) table.Put(k, c, Variant(items[static_cast<std::size_t>(c)]));
            table.Put(k, 4, Variant(GetDecimalsString(items[3], items[4])));
            break;
        }
        case Form::C: {
            // The slope keeps its number items as text: the slope text is built from them.
            auto items = ItemsAtLeast(setting, 6, k);
            for (int32_t c = 0; c < 6; ++c) table.Put(k, c, Variant(items[static_cast<std::size_t>(c)]));
            break;
        }
        case Form::D: table.Put(k, 0, Variant(setting)); break;
        case Form::E: {
            auto items = ItemsAtLeast(setting, 3, k);
            table.Put(k, 0, Variant(items[0]));
            table.Put(k, 1, Variant(items[1]));
            table.Put(k, 2, Variant(GetDecimalsString(items[1], items[2])));
            break;
        }
        }
    };
    for (int32_t k = 5; k <= 36; ++k) fill(k);
    fill(41);
    for (int32_t k = 37; k <= 40; ++k) fill(k);
    fill(42);
    return Variant(std::move(table));
}

namespace {

// n = the two numbers' sum as a whole number (halves to even); Overflow outside 16 bits.
int16_t DecimalPlaces(const std::string& precision, const std::string& decimals) {
    return vb::CInt(vb::Val(precision) + vb::Val(decimals));
}

}  // namespace

std::string ViewStyle::GetDecimalsString(const std::string& PrecisionIndex, const std::string& DecimalsIndex) {
    int16_t n = DecimalPlaces(PrecisionIndex, DecimalsIndex);
    if (n < 0 || n > 5) return "";
    return n == 0 ? "###0" : "###0." + std::string(static_cast<std::size_t>(n), '0');
}

std::string ViewStyle::GetPercentString(const std::string& PrecisionIndex, const std::string& DecimalsIndex) {
    int16_t n = DecimalPlaces(PrecisionIndex, DecimalsIndex);
    if (n < 0 || n > 3) return "";
    return (n == 0 ? "###0" : "###0." + std::string(static_cast<std::size_t>(n), '0')) + "%";
}

}  // namespace fluvanet
