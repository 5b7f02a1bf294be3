#include <memory>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "core/select_all.h"
#include "crossing/low_high.h"
#include "crossing/low_high_records.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

constexpr int32_t kNameColumn = 0;
constexpr int32_t kShownColumn = 1;
constexpr std::string_view kShown = "1";
constexpr std::string_view kHidden = "0";
constexpr std::string_view kPressure = "Pressure";

// The rows of a two-column table, its first index the row. The settings tables go to the host
// and come back from it, so their rows keep its 16-bit indices.
int16_t RowCount(const SafeArray& table) {
    if (table.Dims() != 2) Raise(ErrorCode::SubscriptOutOfRange, "a table of rows and two columns expected");
    return vb::Count16(static_cast<std::size_t>(table.UBound(1) + 1));
}

std::string Cell(const SafeArray& table, int16_t row, int32_t column) { return vb::CStr(table.Get(row, column)); }

}  // namespace

Variant LowHigh::GetLowHighSettings(acad::AcadDocument& AcadActiveDocument) {
    SafeArray definitions = general_->GetNetworkDefinitions(AcadActiveDocument).Array();
    const int16_t networks = RowCount(definitions);
    std::vector<std::string> names;
    for (int16_t i = 0; i < networks; ++i)
        if (Cell(definitions, i, 1) == kPressure) names.push_back(Cell(definitions, i, 0));

    // Without a pressure network the table has no rows.
    const int16_t rows = vb::Count16(names.size());
    SafeArray table = SafeArray::Matrix(com::VarType::String, rows, 2);
    for (int16_t i = 0; i < rows; ++i) {
        table.Put(i, kNameColumn, Variant(names[static_cast<std::size_t>(i)]));
        table.Put(i, kShownColumn, Variant(kHidden));
    }
    // Only names followed by ";" count; one that is no pressure network matches no row.
    for (const std::string& shown :
         refs::TrailingItems(ProjectRecord::Read(AcadActiveDocument).Text(project_entry::kLowHighSettings)))
        for (int16_t i = 0; i < rows; ++i)
            if (names[static_cast<std::size_t>(i)] == shown) table.Put(i, kShownColumn, Variant(kShown));
    return Variant(std::move(table));
}

void LowHigh::SetLowHighSettings(acad::AcadDocument& AcadActiveDocument, const Variant& ArLowHighSettings) {
    const SafeArray& table = ArLowHighSettings.Array();
    const int16_t rows = RowCount(table);
    std::vector<std::string> shown;
    for (int16_t i = 0; i < rows; ++i) {
        if (Cell(table, i, kShownColumn) != kShown) continue;
        std::string name = Cell(table, i, kNameColumn);
        refs::RefuseSeparator(name, "the network name");
        shown.push_back(std::move(name));
    }
    ProjectRecord project = ProjectRecord::Read(AcadActiveDocument);
    project.Set(project_entry::kLowHighSettings, Variant(refs::TrailingList(shown)));
    project.Write();
}

void LowHigh::ApplyLowHighSettings(acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetLowHighPoints) {
    const int32_t count = SetLowHighPoints.Count();
    if (count == 0) return;
    // Every member is known to be a marker before any visibility changes.
    std::vector<std::string> networks;
    for (int32_t i = 0; i < count; ++i) {
        ElementRecord record = ElementRecord::Read(SetLowHighPoints.Item(i));
        RequireElementType(record, {element_type::kLowHighPoint}, "a low/high marker");
        networks.push_back(general_->EntityNetworkFromCombined(record.Get(lowhigh_entry::kCombinedLabel)));
    }

    SafeArray settings = GetLowHighSettings(AcadActiveDocument).Array();
    const int16_t rows = RowCount(settings);
    for (int32_t i = 0; i < count; ++i) {
        bool visible = false;
        for (int16_t row = 0; row < rows && !visible; ++row)
            visible = Cell(settings, row, kNameColumn) == networks[static_cast<std::size_t>(i)] &&
                      Cell(settings, row, kShownColumn) == kShown;
        SetLowHighPoints.Item(i)->SetVisible(visible);
    }
}

std::shared_ptr<acad::AcadSelectionSet> LowHigh::GetExistingLowHighPointsSet(acad::AcadDocument& AcadActiveDocument,
                                                                             const std::string& NetName) {
    auto set = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kLowHighPointsSet));
    SelectAll(*set, {1001, 0, -4, 2, 2, -4},
              {Variant(kAppName), Variant("INSERT"), Variant("<OR"), Variant(kLowPointBlock),
               Variant(kHighPointBlock), Variant("OR>")});
    const int32_t count = set->Count();
    if (NetName.empty() || count == 0) return set;

    std::vector<std::shared_ptr<acad::AcadEntity>> others;
    for (int32_t i = 0; i < count; ++i) {
        auto marker = set->Item(i);
        if (general_->EntityNetworkFromCombined(ElementRecord::Read(marker).Get(lowhigh_entry::kCombinedLabel)) !=
            NetName)
            others.push_back(marker);
    }
    if (!others.empty()) set->RemoveItems(others);
    return set;
}

void LowHigh::DeleteNetworkLowHighPoints(acad::AcadDocument& AcadActiveDocument, const std::string& NetName) {
    // No network is named "": the empty name would reach every network's markers.
    if (NetName.empty()) return;
    GetExistingLowHighPointsSet(AcadActiveDocument, NetName)->Erase();
}

}  // namespace fluvanet
