#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/reference_lists.h"
#include "core/select_all.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "platform/wildcard.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;

namespace {

constexpr std::string_view kPipeKind = "Pipe";

// Item `index` of a combined label (kind;network;label).
std::string CombinedItem(const Variant& combinedLabel, std::size_t index) {
    std::vector<std::string> items = vb::Split(vb::CStr(combinedLabel), ";");
    vb::Count16(items.size());
    if (items.size() <= index)
        Raise(ErrorCode::SubscriptOutOfRange, "the combined label " + vb::CStr(combinedLabel) + " has too few items");
    return items[index];
}

// A working selection set, deleted when the operation leaves, whichever way.
class WorkingSet {
public:
    WorkingSet(General& general, acad::AcadDocument& doc, const std::string& name)
        : set_(general.InitializeSelectionSet(doc, name)) {}
    WorkingSet(const WorkingSet&) = delete;
    WorkingSet& operator=(const WorkingSet&) = delete;
    ~WorkingSet() {
        try {
            set_->Delete();
        } catch (const com::Error&) {
        }
    }
    acad::AcadSelectionSet& operator*() const { return *set_; }
    acad::AcadSelectionSet* operator->() const { return set_.get(); }

private:
    std::shared_ptr<acad::AcadSelectionSet> set_;
};

// The label block or arrow an ID reference names, added only when it is alive and of the
// element type expected: a stale or foreign identifier brings nothing in.
void AddReferenced(acad::AcadDocument& doc, acad::AcadSelectionSet& set, const std::string& reference,
                   std::string_view elementType) {
    if (reference.empty()) return;
    auto entity = std::dynamic_pointer_cast<acad::AcadEntity>(ObjectFromIdIfAlive(doc, refs::ReferenceKey(reference)));
    if (!entity || ElementRecord::Read(entity).ElementType() != elementType) return;
    set.AddItems({entity});
}

}  // namespace

std::shared_ptr<acad::AcadSelectionSet> General::InitializeSelectionSet(acad::AcadDocument& AcadActiveDocument,
                                                                        const std::string& SelectionSetName) {
    auto sets = AcadActiveDocument.SelectionSets();
    // Looked up by name, not walked, so that making a set costs the same among any number.
    // The lookup ignores case; only the set of exactly this name goes, and Add fails on one
    // whose name differs only in case.
    std::shared_ptr<acad::AcadSelectionSet> old;
    try {
        old = sets->Item(Variant(SelectionSetName));
    } catch (const com::Error& e) {
        if (e.Code() != ErrorCode::KeyNotFound) throw;
    }
    if (old && old->Name() == SelectionSetName) old->Delete();
    return sets->Add(SelectionSetName);
}

std::string General::EntityLabelFromCombined(const Variant& CombinedLabel) { return CombinedItem(CombinedLabel, 2); }

std::string General::EntityNetworkFromCombined(const Variant& CombinedLabel) {
    return CombinedItem(CombinedLabel, 1);
}

std::shared_ptr<acad::AcadSelectionSet> General::GetNetworkSet(acad::AcadDocument& AcadActiveDocument,
                                                               const std::string& NetName,
                                                               const int16_t& ElementsOption) {
    auto networkSet = InitializeSelectionSet(AcadActiveDocument, "NetworkSet");
    const bool withLabels = ElementsOption == 0;

    if (ElementsOption == 0 || ElementsOption == 1) {
        WorkingSet pipes(*this, AcadActiveDocument, "PipeSet");
        // The name is escaped so that it matches only itself; what the filter lets through
        // is confirmed on the combined label.
        SelectAll(*pipes, {1001, 1000},
                  {Variant(kAppName), Variant(PipeCombinedLabel(acad::WildcardEscape(NetName), "*"))});
        const int32_t count = pipes->Count();
        for (int32_t i = 0; i < count; ++i) {
            // A failure skips the rest of this pipe only.
            try {
                auto pipe = pipes->Item(i);
                ElementRecord record = ElementRecord::Read(pipe);
                const Variant& combined = record.Get(pipe_entry::kCombinedLabel);
                if (CombinedItem(combined, 0) != kPipeKind || EntityNetworkFromCombined(combined) != NetName) continue;
                networkSet->AddItems({pipe});
                if (!withLabels) continue;
                AddReferenced(AcadActiveDocument, *networkSet, record.Text(pipe_entry::kLabelBlockId),
                              element_type::kAnnotation);
                AddReferenced(AcadActiveDocument, *networkSet, record.Text(pipe_entry::kArrowId),
                              element_type::kArrow);
            } catch (const com::Error&) {
            }
        }
    }

    if (ElementsOption == 0 || ElementsOption == 2) {
        WorkingSet nodes(*this, AcadActiveDocument, "NodeSet");
        SelectAll(*nodes, {1001, 0, 2}, {Variant(kAppName), Variant("INSERT"), Variant(kNodeBlockName)});
        const int32_t count = nodes->Count();
        for (int32_t i = 0; i < count; ++i) {
            try {
                auto node = nodes->Item(i);
                ElementRecord record = ElementRecord::Read(node);
                if (EntityNetworkFromCombined(record.Get(node_entry::kCombinedLabel)) != NetName) continue;
                networkSet->AddItems({node});
                if (!withLabels) continue;
                AddReferenced(AcadActiveDocument, *networkSet, record.Text(node_entry::kLabelBlockId),
                              element_type::kAnnotation);
            } catch (const com::Error&) {
            }
        }
    }
    return networkSet;
}

bool General::CheckLabelDuplication(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName,
                                    const std::string& ElementType, const std::string& ElementLabel) {
    if (element_type::IsPipe(ElementType)) {
        auto set = InitializeSelectionSet(AcadActiveDocument, "CheckLabelDuplicatoinSet");
        std::string combined = PipeCombinedLabel(NetworkName, ElementLabel);
        SelectAll(*set, {1001, 1000}, {Variant(kAppName), Variant(acad::WildcardEscape(combined))});
        const int32_t count = set->Count();
        for (int32_t i = 0; i < count; ++i)
            if (ElementRecord::Read(set->Item(i)).Text(pipe_entry::kCombinedLabel) == combined) return true;
        return false;
    }
    if (element_type::IsNode(ElementType)) {
        // Node labels are compared without regard to case: n-3 is taken when N-3 is.
        std::vector<std::string> labels = editing_->GetExistingLabelsArray(
            AcadActiveDocument, NetworkName, ElementType, Variant(com::SafeArray::FromStrings({""})));
        std::string wanted = vb::UCase(ElementLabel);
        // The last element is the trailing empty one.
        for (std::size_t i = 0; i + 1 < labels.size(); ++i)
            if (vb::UCase(labels[i]) == wanted) return true;
        return false;
    }
    return false;
}

}  // namespace fluvanet
