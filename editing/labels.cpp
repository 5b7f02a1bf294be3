#include <algorithm>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/select_all.h"
#include "editing/editing.h"
#include "editing/label_numbers.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;

LabelNumbers::LabelNumbers(const std::vector<std::string>& labels, std::string_view network,
                           std::string_view elementType)
    : taken_(kLimit, false), network_(network), elementType_(elementType) {
    for (const std::string& label : labels) Take(label);
}

void LabelNumbers::Take(std::string_view label) {
    if (vb::Len(label) <= 2) return;
    // Compared as a real: a number far beyond the range takes nothing and never overflows.
    double number = vb::Round(vb::Val(vb::Mid(label, 3)));
    if (!(number >= 1 && number <= kLimit)) return;
    auto index = static_cast<std::size_t>(number) - 1;
    if (taken_[index]) return;
    taken_[index] = true;
    --free_;
    while (lowest_ < kLimit && taken_[static_cast<std::size_t>(lowest_)]) ++lowest_;
}

void LabelNumbers::RequireFree(int32_t count) const {
    if (free_ >= count) return;
    Raise(ErrorCode::Overflow, "no free label: every number from 1 to " + std::to_string(kLimit) + " of " +
                                   elementType_ + " in network " + network_ + " is taken");
}

std::string LabelNumbers::Next() const {
    RequireFree(1);
    return (element_type::IsPipe(elementType_) ? "P-" : "N-") + std::to_string(lowest_ + 1);
}


std::vector<std::string> Editing::GetExistingLabelsArray(acad::AcadDocument& AcadActiveDocument,
                                                         const std::string& NetworkName,
                                                         const std::string& ElementType,
                                                         const Variant& ArElementsToIgnoreOIDs) {
    // The identifiers to ignore are the host's list; the drawing is walked at any size.
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
        const int32_t count = set->Count();
        for (int32_t i = 0; i < count; ++i) {
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

std::string Editing::GetNextLabel(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName,
                                  const std::string& ElementType) {
    std::vector<std::string> labels =
        GetExistingLabelsArray(AcadActiveDocument, NetworkName, ElementType, Variant(com::SafeArray::FromStrings({""})));
    return LabelNumbers(labels, NetworkName, ElementType).Next();
}

}  // namespace fluvanet
