#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/reference_lists.h"
#include "platform/safe_array.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::SafeArray;
using com::Variant;

namespace {

// Columns of the definition table: profile name, network, profile block identifier.
constexpr int32_t kNameColumn = 0;
constexpr int32_t kNetworkColumn = 1;
constexpr int32_t kIdColumn = 2;
constexpr int32_t kColumns = 3;

using DefinitionRow = std::array<std::string, kColumns>;

// The rows of a table as the host holds it; a value that is not an array raises Type mismatch.
std::vector<DefinitionRow> ReadRows(const Variant& table) {
    const SafeArray& cells = table.Array();
    int32_t lower = cells.LBound(1);
    int16_t count = vb::Count16(static_cast<std::size_t>(cells.UBound(1) - lower + 1));
    std::vector<DefinitionRow> rows;
    for (int16_t i = 0; i < count; ++i) {
        DefinitionRow row;
        for (int32_t column = 0; column < kColumns; ++column)
            row[static_cast<std::size_t>(column)] = vb::CStr(cells.Get(lower + i, column));
        rows.push_back(std::move(row));
    }
    return rows;
}

// No rows is Empty, never an array without rows.
Variant RowsTable(const std::vector<DefinitionRow>& rows) {
    int16_t count = vb::Count16(rows.size());
    if (count == 0) return Variant();
    SafeArray table = SafeArray::Matrix(com::VarType::String, count, kColumns);
    for (int16_t i = 0; i < count; ++i)
        for (int32_t column = 0; column < kColumns; ++column)
            table.Put(i, column, Variant(rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(column)]));
    return Variant(std::move(table));
}

}  // namespace

Variant Profile::GetProfileDefinitionsArray(acad::AcadDocument& AcadActiveDocument) {
    std::vector<DefinitionRow> rows;
    ForEachProfileStylePoint(AcadActiveDocument, [&](ElementRecord& style) {
        // As with the styles: what names no profile block lists no profile.
        for (const std::string& profileId : refs::LeadingKeys(style.Text(style_entry::kProfileIds))) {
            std::shared_ptr<acad::AcadObject> object = ObjectFromIdIfAlive(AcadActiveDocument, profileId);
            if (!object || !std::dynamic_pointer_cast<acad::AcadBlockReference>(object)) continue;
            ElementRecord profile = ElementRecord::Read(object);
            if (profile.ElementType() != element_type::kProfile) continue;
            const Variant& combined = profile.Get(profile_entry::kCombinedLabel);
            rows.push_back({general_->EntityLabelFromCombined(combined), general_->EntityNetworkFromCombined(combined),
                            IdText(*object)});
        }
        return false;
    });
    return RowsTable(rows);
}

Variant Profile::AddProfileToProfileDefArray(const Variant& ArProfileDef, const std::string& ProfileName,
                                             const std::string& ProfileNetwork, const std::string& ProfileOID) {
    std::vector<DefinitionRow> rows;
    if (ArProfileDef.IsArray()) rows = ReadRows(ArProfileDef);
    rows.push_back({ProfileName, ProfileNetwork, ProfileOID});
    return RowsTable(rows);
}

bool Profile::CheckProfileNameExists(const Variant& ArProfileDef, const std::string& ProfileName,
                                     const std::string& ProfileNetwork) {
    if (!ArProfileDef.IsArray()) return false;
    // The name is taken whatever its case; the network must be the same one.
    std::string name = vb::UCase(ProfileName);
    for (const DefinitionRow& row : ReadRows(ArProfileDef))
        if (vb::UCase(row[kNameColumn]) == name && row[kNetworkColumn] == ProfileNetwork) return true;
    return false;
}

std::string Profile::GetProfileOIDFromProfileDefArray(const Variant& ArProfileDef, const std::string& ProfileName,
                                                      const std::string& ProfileNetwork) {
    for (const DefinitionRow& row : ReadRows(ArProfileDef))
        if (row[kNameColumn] == ProfileName && row[kNetworkColumn] == ProfileNetwork) return row[kIdColumn];
    return "";
}

Variant Profile::DeleteProfileFromProfileDefArray(const Variant& ArProfileDef, const std::string& ProfileOID) {
    if (ArProfileDef.IsEmpty()) return Variant();
    std::vector<DefinitionRow> kept;
    for (DefinitionRow& row : ReadRows(ArProfileDef))
        if (row[kIdColumn] != ProfileOID) kept.push_back(std::move(row));
    return RowsTable(kept);
}

}  // namespace fluvanet
