#include <cmath>
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
#include "core/element_records.h"
#include "core/finite_reals.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;

// ---- shared with updating -------------------------------------------------------------

namespace labels {

Anchor ReadAnchor(const Variant& anchor) {
    const com::SafeArray& a = anchor.Array();
    return {vb::CDbl(a.Get(0)), vb::CDbl(a.Get(1)), vb::CDbl(a.Get(2)), vb::CDbl(a.Get(3))};
}

std::optional<std::vector<std::string>> LabelLines(const Variant& arAnnoStrings) {
    if (!arAnnoStrings.IsArray()) return std::nullopt;
    std::vector<std::string> lines = arAnnoStrings.Array().ToStrings();
    vb::Count16(lines.size());
    if (lines.empty()) return std::nullopt;
    return lines;
}

double LineSpacing(const AnnoFormatTable& table) { return kLineSpacing * vb::Val(table.Cell(format_row::kTextHeight, 0)); }

bool ArrowShown(const AnnoFormatTable& table, std::string_view elementType) {
    if (elementType == element_type::kGravityPipe) return table.FlagValue(format_row::kGravityArrow) == 1;
    if (elementType == element_type::kPressurePipe) return table.FlagValue(format_row::kPressureArrow) == 1;
    return false;
}

namespace {

constexpr int32_t kMiddleCenter = 10;

void RequireAttribute(const std::vector<std::shared_ptr<acad::AcadAttributeReference>>& attributes, int16_t i) {
    if (static_cast<std::size_t>(i) >= attributes.size())
        Raise(ErrorCode::SubscriptOutOfRange, "the label block has " + std::to_string(attributes.size()) +
                                                  " attributes, line " + std::to_string(i + 1) + " has none");
}

}  // namespace

void LayOutLines(const std::vector<std::shared_ptr<acad::AcadAttributeReference>>& attributes,
                 const std::vector<std::string>& lines, bool pipe, const Anchor& anchor, double spacing) {
    const int16_t n = vb::Count16(lines.size());
    // A pipe keeps half its lines, the odd one included, on the left; the gap is the pipe.
    const int16_t m = pipe ? vb::CInt(n / 2.0 + 0.1) : n;
    const double sine = std::sin(anchor.theta), cosine = std::cos(anchor.theta);
    double d = m * spacing;
    for (int16_t i = 0; i < n; ++i) {
        RequireAttribute(attributes, i);
        acad::AcadAttributeReference& attribute = *attributes[static_cast<std::size_t>(i)];
        attribute.SetTextString(lines[static_cast<std::size_t>(i)]);
        attribute.SetAlignment(kMiddleCenter);
        if (i == m) d -= spacing;
        attribute.SetTextAlignmentPoint({anchor.x - sine * d, anchor.y + cosine * d, 0});
        attribute.SetRotation(anchor.theta);
        attribute.Update();
        d -= spacing;
    }
}

void WriteLines(const std::vector<std::shared_ptr<acad::AcadAttributeReference>>& attributes,
                const std::vector<std::string>& lines) {
    const int16_t n = vb::Count16(lines.size());
    for (int16_t i = 0; i < n; ++i) {
        RequireAttribute(attributes, i);
        attributes[static_cast<std::size_t>(i)]->SetTextString(lines[static_cast<std::size_t>(i)]);
    }
}

}  // namespace labels

// ---- insertion ------------------------------------------------------------------------

namespace {

const std::vector<int16_t> kLinkRecordCodes{1001, 1000, 1000, 1000, 1000};

// The entries of the owner that name its label block and arrow.
struct OwnerEntries {
    int32_t labelKey, labelId;
    std::optional<int32_t> arrowKey, arrowId;  // pipes only
};

OwnerEntries EntriesOf(bool pipe) {
    if (pipe) return {pipe_entry::kLabelBlockLabel, pipe_entry::kLabelBlockId, pipe_entry::kArrowLabel, pipe_entry::kArrowId};
    return {node_entry::kLabelBlockLabel, node_entry::kLabelBlockId, std::nullopt, std::nullopt};
}

// The platform's own error for a block or layer the insertion needs and the drawing lacks,
// raised before anything is inserted. Names are looked up as the drawing does, without
// regard to case.
void RequireBlock(acad::AcadDocument& doc, std::string_view name) {
    try {
        doc.Blocks()->Item(Variant(name));
    } catch (const com::Error& e) {
        if (e.Code() == ErrorCode::KeyNotFound) Raise(ErrorCode::UndefinedBlock, std::string(name));
        throw;
    }
}

void RequireLayer(acad::AcadDocument& doc, const std::string& name) {
    try {
        doc.Layers()->Item(Variant(name));
    } catch (const com::Error& e) {
        if (e.Code() == ErrorCode::KeyNotFound) Raise(ErrorCode::MissingLayer, name);
        throw;
    }
}

// Label block and arrow record: no kind word, the network and the key; the owner by label
// and by identifier.
void WriteLinkRecord(const std::shared_ptr<acad::AcadBlockReference>& object, std::string_view type,
                     const std::string& network, const std::string& key, const std::string& ownerLabel,
                     const std::string& ownerId) {
    ElementRecord::Create(object, kLinkRecordCodes,
                          {Variant(kAppName), Variant(labels::CombinedLabel(network, key)), Variant(type),
                           Variant(refs::Reference(ownerLabel)), Variant(refs::Reference(ownerId))})
        .Write();
}

// Inside a catch block: what a failed insertion made goes again, with events off so that
// no erase handler empties the owner's references to its earlier label. What cannot go
// is told, not left behind unnamed.
[[noreturn]] void DeleteInsertedAndRethrow(General& general, acad::AcadDocument& doc,
                                           const std::vector<std::shared_ptr<acad::AcadEntity>>& inserted) {
    std::optional<EventsOffGuard> eventsOff;
    std::vector<std::function<void()>> undo{[&] { eventsOff.emplace(general, doc); }};
    for (const auto& entity : inserted)
        undo.emplace_back([&entity] {
            if (!entity->Erased()) entity->Delete();
        });
    UndoAndRethrow(undo);
}

struct Insertion {
    const Variant& lines;
    const Variant& table;
    std::optional<std::string> network;  // none: the owner's own, and the label on its annotation layer
    double correction;
};

std::vector<std::shared_ptr<acad::AcadEntity>> InsertLabel(ViewStyle& self, General& general, acad::AcadDocument& doc,
                                                           acad::AcadEntity& entity, const Insertion& how) {
    auto owner = std::static_pointer_cast<acad::AcadEntity>(entity.shared_from_this());
    ElementRecord record = ElementRecord::Read(owner);
    RequireElementType(record,
                       {element_type::kGravityPipe, element_type::kPressurePipe, element_type::kGravityNode,
                        element_type::kPressureNode},
                       "a pipe or node");
    const std::string type = record.ElementType();
    const bool pipe = element_type::IsPipe(type);
    const Variant& combined = record.Get(pipe_entry::kCombinedLabel);
    const std::string ownerLabel = general.EntityLabelFromCombined(combined);
    const std::string network = how.network ? *how.network : general.EntityNetworkFromCombined(combined);
    const std::string ownerId = IdText(*owner);

    const OwnerEntries entries = EntriesOf(pipe);
    record.Set(entries.labelKey, Variant(""));
    record.Set(entries.labelId, Variant(""));
    if (pipe) {
        record.Set(*entries.arrowKey, Variant(""));
        record.Set(*entries.arrowId, Variant(""));
    }

    AnnoFormatTable table(how.table);
    const std::optional<std::vector<std::string>> lines = labels::LabelLines(how.lines);
    const bool arrow = pipe && labels::ArrowShown(table, type);
    const std::string annotationLayer = network + std::string(labels::kAnnotationLayerSuffix);
    const std::string arrowLayer = network + std::string(labels::kArrowLayerSuffix);
    const std::string_view labelBlock = labels::LabelBlockOf(type);
    // Everything the insertion needs is there before the first object goes in.
    if (lines) {
        RequireBlock(doc, labelBlock);
        if (!how.network) RequireLayer(doc, annotationLayer);
    }
    if (arrow) {
        RequireBlock(doc, labels::kArrowBlock);
        RequireLayer(doc, arrowLayer);
    }
    const labels::Anchor anchor =
        labels::ReadAnchor(self.GetAnnoXYTheta(entity, pipe ? "Pipe" : "Node", how.correction));
    const acad::Point3 at{anchor.x, anchor.y, 0};

    std::vector<std::shared_ptr<acad::AcadEntity>> inserted;
    try {
        // Without lines there is nothing to show and nothing would find the block: none goes in.
        if (lines) {
            auto label = doc.ModelSpace()->InsertBlock(at, std::string(labelBlock), 1, 1, 1, 0);
            inserted.push_back(label);
            if (!how.network) label->SetLayer(annotationLayer);
            auto attributes = label->GetAttributes();
            if (attributes.size() < lines->size())
                Raise(ErrorCode::SubscriptOutOfRange, std::string(labelBlock) + " has " +
                                                          std::to_string(attributes.size()) + " attributes for " +
                                                          std::to_string(lines->size()) + " lines");
            labels::LayOutLines(attributes, *lines, pipe, anchor, labels::LineSpacing(table));
            const std::string key = labels::LabelKey(ownerLabel);
            WriteLinkRecord(label, element_type::kAnnotation, network, key, ownerLabel, ownerId);
            record.Set(entries.labelKey, Variant(refs::Reference(key)));
            record.Set(entries.labelId, Variant(refs::Reference(IdText(*label))));
        }
        if (arrow) {
            auto direction = doc.ModelSpace()->InsertBlock(at, std::string(labels::kArrowBlock), 1, 1, 1, anchor.arrow);
            inserted.push_back(direction);
            direction->SetLayer(arrowLayer);
            const std::string key = labels::ArrowKey(ownerLabel);
            WriteLinkRecord(direction, element_type::kArrow, network, key, ownerLabel, ownerId);
            record.Set(*entries.arrowKey, Variant(refs::Reference(key)));
            record.Set(*entries.arrowId, Variant(refs::Reference(IdText(*direction))));
        }
        record.Write();
    } catch (...) {
        // No owner names an object that is not there, and nothing stays that no owner names.
        DeleteInsertedAndRethrow(general, doc, inserted);
    }
    return inserted;
}

}  // namespace

void ViewStyle::InsertAnnotationsForNewEntity(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& Entity,
                                              const double& CorrectionAngleForCS) {
    RequireFinite("the correction angle", CorrectionAngleForCS);
    Variant table = GetAnnotationFormatArray(GetActiveViewStyleSettingsArray(AcadActiveDocument));
    Variant lines = GetAnnotationStrings(AcadActiveDocument, Entity, table);
    InsertLabel(*this, *general_, AcadActiveDocument, Entity, {lines, table, std::nullopt, CorrectionAngleForCS});
}

void labels::InsertForNewEntity(ViewStyle& viewStyle, General& general, acad::AcadDocument& doc,
                                acad::AcadEntity& entity, const LabelContext& context) {
    ElementRecord record = ElementRecord::Read(std::static_pointer_cast<acad::AcadObject>(entity.shared_from_this()));
    Variant lines = AnnotationStrings(general, doc, entity, record, context.table, context.units);
    InsertLabel(viewStyle, general, doc, entity, {lines, context.table, std::nullopt, context.correction});
}

void ViewStyle::InsertAnnotations(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& Entity,
                                  const Variant& ArAnnoStrings, const std::string& NetName,
                                  const double& CorrectionAngleForCS, const Variant& ArAnnoFormat) {
    RequireFinite("the correction angle", CorrectionAngleForCS);
    InsertLabel(*this, *general_, AcadActiveDocument, Entity, {ArAnnoStrings, ArAnnoFormat, NetName, CorrectionAngleForCS});
}

std::vector<std::shared_ptr<acad::AcadEntity>> labels::InsertForNetwork(ViewStyle& viewStyle, General& general,
                                                                        acad::AcadDocument& doc,
                                                                        acad::AcadEntity& entity,
                                                                        const Variant& lines, const Variant& table,
                                                                        const std::string& network, double correction) {
    return InsertLabel(viewStyle, general, doc, entity, {lines, table, network, correction});
}

}  // namespace fluvanet
