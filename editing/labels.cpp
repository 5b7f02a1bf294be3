#include <algorithm>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/select_all.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"

namespace fluvanet {

using com::Variant;

std::vector<std::string> Editing::GetExistingLabelsArray(acad::AcadDocument& AcadActiveDocument,
                                                         const std::string& NetworkName,
                                                         const std::string& ElementType,
                                                         const Variant& ArElementsToIgnoreOIDs) {
    std::vector<std::string> ignored = ArElementsToIgnoreOIDs.Array().ToStrings();
    vb::Count16(ignored.size());
    auto set = general_->InitializeSelectionSet(AcadActiveDocument, "CheckLabelDuplicatoinSet");
    std::vector<std::string> labels;

    // Only pipes and nodes carry labels of their own; any other type selects nothing.
    std::string entityKind = element_type::IsPipe(ElementType)   ? "LWPOLYLINE"
                             : element_type::IsNode(ElementType) ? "INSERT"
                                                                 : "";
    if (!entityKind.empty()) {
        SelectAll(*set, {1001, 0}, {Variant(kAppName), Variant(entityKind)});
        int16_t count = vb::Count16(static_cast<std::size_t>(set->Count()));
        for (int16_t i = 0; i < count; ++i) {
            auto entity = set->Item(i);
            ElementRecord record = ElementRecord::Read(entity);
            if (record.ElementType() != ElementType) continue;
            const Variant& combined = record.Get(element_type::IsPipe(ElementType) ? pipe_entry::kCombinedLabel
                                                                                   : node_entry::kCombinedLabel);
            if (general_->EntityNetworkFromCombined(combined) != NetworkName) continue;
            if (std::find(ignored.begin(), ignored.end(), IdText(*entity)) != ignored.end()) continue;
            labels.push_back(general_->EntityLabelFromCombined(combined));
        }
    }
    labels.emplace_back();
    return labels;
}

}  // namespace fluvanet
