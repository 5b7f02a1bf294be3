#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "annotation/format_table.h"
#include "annotation/label_context.h"
#include "annotation/label_layout.h"
#include "annotation/label_names.h"
#include "annotation/view_style.h"
#include "core/block_look.h"
#include "core/element_records.h"
#include "core/finite_reals.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"

namespace fluvanet {

using com::Variant;

namespace {

// The label block or arrow an owner's ID reference names; nullptr when the entry is empty
// or its object is gone. Anything else there is a fault of the drawing, told before the
// label is touched.
std::shared_ptr<acad::AcadBlockReference> Referenced(acad::AcadDocument& doc, const std::string& reference,
                                                     std::string_view type, std::string_view expected) {
    if (reference.empty()) return nullptr;
    auto object = ObjectFromIdIfAlive(doc, refs::ReferenceKey(reference));
    if (!object) return nullptr;
    RequireElementType(ElementRecord::Read(object), {type}, expected);
    return acad::Cast<acad::AcadBlockReference>(object);
}

// Whether the record names an element type at all: without one, an object is no element.
bool HasElementType(const ElementRecord& record) { return record.Count() > pipe_entry::kElementType; }

}  // namespace

void ViewStyle::ApplyAnnotationsToNetwork(acad::AcadDocument& AcadActiveDocument, const std::string& NetName,
                                          const Variant& ArAnnoFormat, const double& CorrectionAngleForCS) {
    RequireFinite("the correction angle", CorrectionAngleForCS);
    // A table that cannot be read fails before any old label goes.
    (void)AnnoFormatTable(ArAnnoFormat);
    // Collected before the loop: the labels inserted in it are not in the set and survive.
    auto set = general_->GetNetworkSet(AcadActiveDocument, NetName, 0);
    std::vector<std::shared_ptr<acad::AcadEntity>> entities = general_->SelectionSetToArray(*set);
    auto annotationLayer =
        general_->CreateStandardLayer(AcadActiveDocument, NetName, std::string(labels::kAnnotationLayerType));
    auto arrowLayer = general_->CreateStandardLayer(AcadActiveDocument, NetName, std::string(labels::kArrowLayerType));

    // Relabelling writes through locks: the new labels start on the annotation layer, which
    // their attributes take, and arrows go on to theirs; the owners' records are rewritten
    // and the old labels erased.
    LayersToWrite layers(AcadActiveDocument);
    layers.Layer(annotationLayer->Name()).Layer(arrowLayer->Name());
    for (const auto& entity : entities) layers.Entity(*entity);

    // The old labels are erased while their owners already name the new ones: no erase
    // handler may hear of it, or it would empty the owners' new references.
    EventsOffGuard eventsOff(*general_, AcadActiveDocument);
    OpenedLayersGuard opened(*general_, AcadActiveDocument, refs::LeadingList(layers.Names()));
    ActiveLayerGuard active(AcadActiveDocument);
    AcadActiveDocument.SetActiveLayer(annotationLayer);

    // The old labels go only once every owner names its new ones: until then a failure
    // deletes the new labels and puts the owners' records back, and the network is as it was.
    std::vector<ElementRecord> owners;
    std::vector<std::shared_ptr<acad::AcadEntity>> inserted, old;
    try {
        for (const auto& entity : entities) {
            ElementRecord record = ElementRecord::Read(entity);
            const std::string type = record.ElementType();
            if (element_type::IsPipe(type) || element_type::IsNode(type)) {
                Variant lines = GetAnnotationStrings(AcadActiveDocument, *entity, ArAnnoFormat);
                auto made = labels::InsertForNetwork(*this, *general_, AcadActiveDocument, *entity, lines,
                                                     ArAnnoFormat, NetName, CorrectionAngleForCS);
                owners.push_back(std::move(record));
                inserted.insert(inserted.end(), made.begin(), made.end());
            } else if (type == element_type::kAnnotation || type == element_type::kArrow) {
                old.push_back(entity);
            }
        }
    } catch (...) {
        std::vector<std::function<void()>> undo;
        for (const auto& entity : inserted)
            undo.emplace_back([&entity] {
                if (!entity->Erased()) entity->Delete();
            });
        for (const ElementRecord& owner : owners) undo.emplace_back([&owner] { PutBackRecord(owner); });
        UndoAndRethrow(undo);
    }
    for (const auto& entity : old) entity->Delete();
    active.Restore();
    opened.Restore();
    eventsOff.Restore();
}

namespace {

// The label blocks and arrows one call rewrites: the layers of each opened before its first
// write and kept open to the end, and how each looked, put back when the call fails.
class Rewritten {
public:
    Rewritten(General& general, acad::AcadDocument& doc) : general_(general), doc_(doc), layers_(doc) {}

    void Add(const std::shared_ptr<acad::AcadBlockReference>& block) {
        const std::size_t known = layers_.Names().size();
        layers_.Entity(*block);
        const std::vector<std::string>& names = layers_.Names();
        if (names.size() > known)
            opened_.push_back(std::make_unique<OpenedLayersGuard>(
                general_, doc_,
                refs::LeadingList(
                    std::vector<std::string>(names.begin() + static_cast<std::ptrdiff_t>(known), names.end()))));
        before_.emplace_back(block);
    }

    // Inside a catch block; the latest first, so that a block rewritten twice ends as it
    // was before the first time.
    [[noreturn]] void PutBackAndRethrow() const {
        std::vector<std::function<void()>> undo;
        for (auto look = before_.rbegin(); look != before_.rend(); ++look)
            undo.emplace_back([&look = *look] { look.PutBack(); });
        UndoAndRethrow(undo);
    }

    void Restore() {
        for (auto guard = opened_.rbegin(); guard != opened_.rend(); ++guard) (*guard)->Restore();
    }

private:
    General& general_;
    acad::AcadDocument& doc_;
    LayersToWrite layers_;  // every layer opened so far
    std::vector<std::unique_ptr<OpenedLayersGuard>> opened_;
    std::vector<BlockLook> before_;
};

// One rewriting call: what it wrote is put back when it fails, and its layers get their
// state back on every exit.
template <class Work>
void Rewrite(General& general, acad::AcadDocument& doc, Work&& work) {
    Rewritten rewritten(general, doc);
    try {
        work(rewritten);
    } catch (...) {
        rewritten.PutBackAndRethrow();
    }
    rewritten.Restore();
}

void RefreshLabel(ViewStyle& viewStyle, acad::AcadDocument& doc, acad::AcadEntity& entity, const Variant& strings,
                  const Variant& formatTable, bool updateLocation, double correction, Rewritten& rewritten) {
    RequireFinite("the correction angle", correction);
    ElementRecord record = ElementRecord::Read(std::static_pointer_cast<acad::AcadObject>(entity.shared_from_this()));
    // Called for one element, an object without an element type is the caller's fault;
    // only the list of edited elements passes such objects over.
    if (!HasElementType(record))
        com::Raise(com::ErrorCode::TypeMismatch, "object " + IdText(entity) + " has no element type");
    const std::string type = record.ElementType();
    const bool pipe = element_type::IsPipe(type);
    if (!pipe && !element_type::IsNode(type)) return;

    // Found and checked before anything moves.
    auto label = Referenced(doc, record.Text(pipe ? pipe_entry::kLabelBlockId : node_entry::kLabelBlockId),
                            element_type::kAnnotation, "a label block");
    std::shared_ptr<acad::AcadBlockReference> arrow;
    std::optional<AnnoFormatTable> table;
    std::optional<labels::Anchor> anchor;
    if (updateLocation) {
        table.emplace(formatTable);
        if (pipe && labels::ArrowShown(*table, type))
            arrow = Referenced(doc, record.Text(pipe_entry::kArrowId), element_type::kArrow, "a direction arrow");
        if (label || arrow)
            anchor = labels::ReadAnchor(viewStyle.GetAnnoXYTheta(entity, pipe ? "Pipe" : "Node", correction));
    }
    std::optional<std::vector<std::string>> lines;
    if (label) lines = labels::LabelLines(strings);
    if (label && (anchor || lines)) rewritten.Add(label);
    if (arrow) rewritten.Add(arrow);

    if (label) {
        if (anchor) label->SetInsertionPoint({anchor->x, anchor->y, 0});
        if (lines) {
            auto attributes = label->GetAttributes();
            if (anchor)
                labels::LayOutLines(attributes, *lines, pipe, *anchor, labels::LineSpacing(*table));
            else
                labels::WriteLines(attributes, *lines);
        }
    }
    // The arrow follows its pipe whether or not a label block was found.
    if (arrow) {
        arrow->SetInsertionPoint({anchor->x, anchor->y, 0});
        arrow->SetRotation(anchor->arrow);
    }
}

// Every item is required: one that names no object ends the call, and what the earlier
// ones changed is put back.
template <class Units>
void RefreshLabels(ViewStyle& viewStyle, General& general, acad::AcadDocument& doc, const std::string& ids,
                   bool updateLocation, const Variant& table, double correction, const Units& units) {
    Rewrite(general, doc, [&](Rewritten& rewritten) {
        for (const std::string& id : refs::TrailingItems(ids)) {
            auto object = ObjectFromId(doc, id);
            ElementRecord record = ElementRecord::Read(object);
            if (!HasElementType(record)) continue;
            auto entity = acad::Cast<acad::AcadEntity>(object);
            Variant lines = labels::AnnotationStrings(general, doc, *entity, record, table, units());
            RefreshLabel(viewStyle, doc, *entity, lines, table, updateLocation, correction, rewritten);
        }
    });
}

}  // namespace

void ViewStyle::UpdateAnnotationsAfterEditing(acad::AcadDocument& AcadActiveDocument,
                                              const std::string& ChangedOIDsString, const bool& UpdateLocation) {
    Variant table = GetAnnotationFormatArray(GetActiveViewStyleSettingsArray(AcadActiveDocument));
    double correction = general_->GetCorrectionAngleForCS(AcadActiveDocument);
    RefreshLabels(*this, *general_, AcadActiveDocument, ChangedOIDsString, UpdateLocation, table, correction,
                  [&] { return general_->GetModelUnits(AcadActiveDocument); });
}

void labels::UpdateAfterEditing(ViewStyle& viewStyle, General& general, acad::AcadDocument& doc,
                                const std::string& ids, bool updateLocation, const LabelContext& context) {
    RefreshLabels(viewStyle, general, doc, ids, updateLocation, context.table, context.correction,
                  [&]() -> const std::string& { return context.units; });
}

void ViewStyle::UpdateAnnotationsAttributeBlock(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& Entity,
                                                const Variant& ArAnnoStrings, const Variant& ArAnnoFormat,
                                                const bool& UpdateBlockLocation, const double& CorrectionAngleForCS) {
    Rewrite(*general_, AcadActiveDocument, [&](Rewritten& rewritten) {
        RefreshLabel(*this, AcadActiveDocument, Entity, ArAnnoStrings, ArAnnoFormat, UpdateBlockLocation,
                     CorrectionAngleForCS, rewritten);
    });
}

}  // namespace fluvanet
