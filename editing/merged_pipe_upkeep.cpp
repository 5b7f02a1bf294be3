#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "annotation/view_style.h"
#include "core/element_records.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "crossing/crossing_records.h"
#include "crossing/low_high_records.h"
#include "editing/editing.h"
#include "editing/pipe_follow_ups.h"
#include "editing/pipe_node_records.h"
#include "editing/sequence_layers.h"
#include "platform/safe_array.h"
#include "platform/vb_convert.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

constexpr std::string_view kLowHighSet = "SetNodesForLowHigh";

std::shared_ptr<acad::AcadObject> SharedOf(acad::AcadObject& object) {
    return std::static_pointer_cast<acad::AcadObject>(object.shared_from_this());
}

// The end of a pipe that no neighbour in the chain shares: its node references and the
// invert there.
struct FreeEnd {
    std::string label, id;  // single references, as stored
    double invert;
};

// The start node unless the pipe's end node is one of the neighbour's.
FreeEnd FreeEndOf(const ElementRecord& pipe, const ElementRecord& neighbour) {
    const std::string end = pipe.Text(pipe_entry::kEndNodeLabel);
    if (end == neighbour.Text(pipe_entry::kStartNodeLabel) || end == neighbour.Text(pipe_entry::kEndNodeLabel))
        return {pipe.Text(pipe_entry::kStartNodeLabel), pipe.Text(pipe_entry::kStartNodeId),
                pipe.Number(pipe_entry::kStartInvert)};
    return {end, pipe.Text(pipe_entry::kEndNodeId), pipe.Number(pipe_entry::kEndInvert)};
}

// The merged pipe in a node's lists in place of the old pipe that reached the node, on the
// side given (start: [5], [7]; end: [6], [8]).
void ListMergedPipe(ElementRecord& node, const std::string& oldPipeId, bool atStart, const std::string& label,
                    const std::string& id) {
    UnlistPipeFromNode(node, node_entry::kStartPipeLabels, node_entry::kStartPipeIds, oldPipeId);
    UnlistPipeFromNode(node, node_entry::kEndPipeLabels, node_entry::kEndPipeIds, oldPipeId);
    const int32_t labels = atStart ? node_entry::kStartPipeLabels : node_entry::kEndPipeLabels;
    const int32_t ids = atStart ? node_entry::kStartPipeIds : node_entry::kEndPipeIds;
    node.Set(labels, Variant(refs::AppendReference(node.Text(labels), label)));
    node.Set(ids, Variant(refs::AppendReference(node.Text(ids), id)));
}

// The old pipes of the set, in set order, as the items their references are made of.
std::vector<std::string> OldPipeItems(acad::AcadSelectionSet& set) {
    const int16_t count = vb::Count16(static_cast<std::size_t>(set.Count()));
    std::vector<std::string> items;
    for (int16_t i = 0; i < count; ++i) items.push_back(refs::ReferenceItem(IdText(*set.Item(i))));
    return items;
}

bool Contains(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

// What a merge deletes, found and checked before the first deletion; each object once.
class Doomed {
public:
    explicit Doomed(acad::AcadDocument& doc) : doc_(doc) {}

    // The object an ID reference names, when it still exists; it must be of one of `types`.
    // Nothing when the reference names no object: it is already gone.
    std::shared_ptr<acad::AcadEntity> Live(const std::string& reference, std::initializer_list<std::string_view> types,
                                           std::string_view expected) {
        auto object = ObjectFromIdIfAlive(doc_, refs::ReferenceKey(reference));
        if (!object) return nullptr;
        RequireElementType(ElementRecord::Read(object), types, expected);
        return acad::Cast<acad::AcadEntity>(object);
    }
    void Add(const std::shared_ptr<acad::AcadEntity>& entity) {
        if (entity && !Holds(entity)) entities_.push_back(entity);
    }
    bool Holds(const std::shared_ptr<acad::AcadEntity>& entity) const {
        return std::find(entities_.begin(), entities_.end(), entity) != entities_.end();
    }
    void DeleteAll() {
        for (const auto& entity : entities_) entity->Delete();
    }

    const std::vector<std::shared_ptr<acad::AcadEntity>>& Entities() const { return entities_; }

private:
    acad::AcadDocument& doc_;
    std::vector<std::shared_ptr<acad::AcadEntity>> entities_;
};

// What the merge deletes last, each checked to be of its kind: the old pipes' label blocks
// and arrows, every node of theirs that is neither end of the merged pipe (an inner node,
// reached from both of its pipes) with its label block and low/high marker, then the old
// pipes themselves.
Doomed MergeDeletions(acad::AcadDocument& doc, const std::vector<ElementRecord>& old, const std::string& startLabel,
                      const std::string& endLabel) {
    Doomed doomed(doc);
    for (const ElementRecord& pipe : old) {
        if (!pipe.Text(pipe_entry::kLabelBlockLabel).empty())
            doomed.Add(doomed.Live(pipe.Text(pipe_entry::kLabelBlockId), {element_type::kAnnotation}, "a label block"));
        if (!pipe.Text(pipe_entry::kArrowLabel).empty())
            doomed.Add(doomed.Live(pipe.Text(pipe_entry::kArrowId), {element_type::kArrow}, "an arrow"));
        for (auto [labelEntry, idEntry] : {std::pair{pipe_entry::kStartNodeLabel, pipe_entry::kStartNodeId},
                                           std::pair{pipe_entry::kEndNodeLabel, pipe_entry::kEndNodeId}}) {
            const std::string label = pipe.Text(labelEntry);
            if (label == startLabel || label == endLabel) continue;
            auto node = doomed.Live(pipe.Text(idEntry), {element_type::kGravityNode, element_type::kPressureNode},
                                    "an inner node");
            if (!node || doomed.Holds(node)) continue;
            const ElementRecord record = ElementRecord::Read(node);
            RequireNodeRecord(record);
            if (!record.Text(node_entry::kLabelBlockId).empty())
                doomed.Add(doomed.Live(record.Text(node_entry::kLabelBlockId), {element_type::kAnnotation},
                                       "a label block"));
            if (!record.Text(node_entry::kLowHighId).empty())
                doomed.Add(doomed.Live(record.Text(node_entry::kLowHighId), {element_type::kLowHighPoint},
                                       "a low/high marker"));
            doomed.Add(node);
        }
    }
    for (const ElementRecord& pipe : old) doomed.Add(acad::Cast<acad::AcadEntity>(pipe.Object()));
    return doomed;
}

// The record step besides the merged pipe itself: its label, its end nodes, and the change
// passed on from every pipe matched at them, the merged pipe with the old pipes' crossings
// and profiles among them.
void AddMergedRecordLayers(LayersToWrite& layers, acad::AcadDocument& doc, const std::string& network,
                           const std::vector<ElementRecord>& old, const std::vector<ElementRecord>& endNodes,
                           const std::vector<ElementRecord>& matched) {
    AddNewLabelLayers(layers, network);
    for (const ElementRecord& node : endNodes) layers.Object(node.Object());
    for (const std::vector<ElementRecord>* pipes : {&old, &matched})
        for (const ElementRecord& pipe : *pipes) AddPipeChangeLayers(layers, doc, pipe);
}

// The end nodes as read now, and the pipes they list.
struct EndNodes {
    std::vector<ElementRecord> nodes, pipes;
};

EndNodes ReadEndNodes(acad::AcadDocument& doc, const FreeEnd& start, const FreeEnd& end) {
    EndNodes read;
    for (const FreeEnd* at : {&start, &end}) {
        read.nodes.push_back(OpenNodeRecord(doc, refs::ReferenceKey(at->id)));
        for (ElementRecord& pipe : PipesAtNode(doc, read.nodes.back())) read.pipes.push_back(std::move(pipe));
    }
    return read;
}

}  // namespace

LayersToWrite MergeLayers(General& general, acad::AcadDocument& doc, const std::vector<ElementRecord>& chain,
                          const std::string& mergedLayer) {
    if (chain.size() < 2) Raise(ErrorCode::InvalidProcedureCall, "a merge joins two pipes or more");
    const ElementRecord& first = chain.front();
    const std::string network = general.EntityNetworkFromCombined(first.Get(pipe_entry::kCombinedLabel));
    const FreeEnd start = FreeEndOf(first, chain[1]);
    const FreeEnd end = FreeEndOf(chain.back(), chain[chain.size() - 2]);
    const EndNodes ends = ReadEndNodes(doc, start, end);

    LayersToWrite layers(doc);
    // The merged polyline is made on the active layer.
    layers.ActiveLayer().Layer(mergedLayer);
    AddMergedRecordLayers(layers, doc, network, chain, ends.nodes, ends.pipes);
    AddLibraryLayers(layers, doc);
    std::string crossings, profiles;
    for (const ElementRecord& pipe : chain) {
        crossings += pipe.Text(pipe_entry::kCrossingIds);
        profiles += pipe.Text(pipe_entry::kProfileIds);
    }
    AddCrossingUpdateLayers(layers, doc, crossings);
    AddProfileRewriteLayers(layers, doc, profiles);
    AddDeletedLayers(layers, MergeDeletions(doc, chain, start.label, end.label).Entities());
    if (first.ElementType() == element_type::kPressurePipe) AddLowHighLayers(layers, doc, network, ends.nodes);
    return layers;
}

void Editing::AssignMergedXdata(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& MergedPipeEntity,
                                const std::vector<std::shared_ptr<acad::AcadEntity>>& ArFinalSequencePipes,
                                const std::string& CrossPointLabelsString, const std::string& CrossPointOIDsString,
                                std::shared_ptr<acad::AcadEntity>& FirstMergedPipeEntity,
                                std::shared_ptr<acad::AcadEntity>& LastMergedPipeEntity,
                                std::string& FinalStartNodeLabel, std::string& FinalEndNodeLabel,
                                std::string& MergedElementType, std::string& MergedElementNetwork,
                                std::shared_ptr<acad::AcadSelectionSet>& SetNodesForLowHigh) {
    const int16_t count = vb::Count16(ArFinalSequencePipes.size());
    if (count < 2) Raise(ErrorCode::InvalidProcedureCall, "a merge joins two pipes or more");
    const std::string mergedId = IdText(MergedPipeEntity);
    std::vector<ElementRecord> old;
    for (const auto& entity : ArFinalSequencePipes) {
        if (!entity) Raise(ErrorCode::ObjectRequired, "the chain of old pipes holds Nothing");
        if (IdText(*entity) == mergedId)
            Raise(ErrorCode::InvalidProcedureCall, "the merged pipe " + mergedId + " is one of the old pipes");
        old.push_back(OpenPipeRecord(AcadActiveDocument, IdText(*entity)));
    }
    const ElementRecord& first = old.front();
    const ElementRecord& last = old.back();
    const FreeEnd start = FreeEndOf(first, old[1]);
    const FreeEnd end = FreeEndOf(last, old[old.size() - 2]);

    // A profile through several old pipes is listed once, where it first occurs.
    std::string profileLabels, profileIds;
    for (const ElementRecord& pipe : old) {
        const std::vector<std::string> ids = refs::LeadingItems(pipe.Text(pipe_entry::kProfileIds));
        const std::vector<std::string> labels = refs::LeadingItems(pipe.Text(pipe_entry::kProfileLabels));
        if (labels.size() < ids.size())
            Raise(ErrorCode::SubscriptOutOfRange,
                  "pipe " + IdText(*pipe.Object()) + " names more profiles by identifier than by label");
        for (std::size_t k = 0; k < ids.size(); ++k) {
            if (general_->Check_ID_Exists(Variant(ids[k]), profileIds)) continue;
            profileIds += ";" + ids[k];
            profileLabels += ";" + labels[k];
        }
    }

    // Both end nodes, and every pipe they list, are what they should be before anything is
    // written; as read here they are what a failure after the first write puts back.
    const std::string startNodeId = refs::ReferenceKey(start.id), endNodeId = refs::ReferenceKey(end.id);
    const EndNodes before = ReadEndNodes(AcadActiveDocument, start, end);
    const std::vector<ElementRecord>& endNodesBefore = before.nodes;
    const std::vector<ElementRecord>& matchedBefore = before.pipes;
    LayersToWrite written(AcadActiveDocument);
    written.Object(SharedOf(MergedPipeEntity));
    AddMergedRecordLayers(written, AcadActiveDocument,
                          general_->EntityNetworkFromCombined(first.Get(pipe_entry::kCombinedLabel)), old,
                          endNodesBefore, matchedBefore);
    written.Require();

    std::vector<Variant> values = first.Values();
    values[pipe_entry::kStartInvert] = Variant(start.invert);
    values[pipe_entry::kEndInvert] = Variant(end.invert);
    values[pipe_entry::kStartNodeLabel] = Variant(start.label);
    values[pipe_entry::kStartNodeId] = Variant(start.id);
    values[pipe_entry::kEndNodeLabel] = Variant(end.label);
    values[pipe_entry::kEndNodeId] = Variant(end.id);
    values[pipe_entry::kCrossingLabels] = Variant(CrossPointLabelsString);
    values[pipe_entry::kCrossingIds] = Variant(CrossPointOIDsString);
    values[pipe_entry::kProfileLabels] = Variant(profileLabels);
    values[pipe_entry::kProfileIds] = Variant(profileIds);
    ElementRecord merged = ElementRecord::Create(SharedOf(MergedPipeEntity), first.Codes(), values);
    // A failure after the first write takes the merged pipe's record, label and arrow out
    // again and puts the end nodes and the pipes matched at them back as they were.
    try {
        merged.Write();
        viewStyle_->InsertAnnotationsForNewEntity(AcadActiveDocument, MergedPipeEntity,
                                                  general_->GetCorrectionAngleForCS(AcadActiveDocument));

        FirstMergedPipeEntity = acad::Cast<acad::AcadEntity>(first.Object());
        LastMergedPipeEntity = acad::Cast<acad::AcadEntity>(last.Object());
        FinalStartNodeLabel = start.label;
        FinalEndNodeLabel = end.label;
        MergedElementType = merged.Text(pipe_entry::kElementType);
        MergedElementNetwork = general_->EntityNetworkFromCombined(merged.Get(pipe_entry::kCombinedLabel));
        const std::string mergedLabel = general_->EntityLabelFromCombined(merged.Get(pipe_entry::kCombinedLabel));

        // The merged pipe starts where the first old pipe met its start node and ends where
        // the last met its end node.
        struct EndNode {
            const std::string& id;
            const ElementRecord& oldPipe;
            bool atStart;
        };
        std::vector<std::shared_ptr<acad::AcadEntity>> endNodes;
        for (const EndNode& at : {EndNode{startNodeId, first, true}, EndNode{endNodeId, last, false}}) {
            ElementRecord node = OpenNodeRecord(AcadActiveDocument, at.id);
            ListMergedPipe(node, IdText(*at.oldPipe.Object()), at.atStart, mergedLabel, mergedId);
            node.Write();
            auto entity = acad::Cast<acad::AcadEntity>(node.Object());
            UpdateConnectedPipesAtNode(AcadActiveDocument, *entity,
                                       general_->EntityLabelFromCombined(node.Get(node_entry::kCombinedLabel)),
                                       node.Text(node_entry::kStartPipeIds), node.Text(node_entry::kEndPipeIds),
                                       node.Number(node_entry::kSumpLevel),
                                       vb::CInt(node.Number(node_entry::kMatchingCode)));
            endNodes.push_back(std::move(entity));
        }

        SetNodesForLowHigh = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kLowHighSet));
        SetNodesForLowHigh->AddItems(endNodes);
    } catch (...) {
        std::vector<std::function<void()>> undo;
        std::vector<std::string> rematched;
        for (auto pipe = matchedBefore.rbegin(); pipe != matchedBefore.rend(); ++pipe)
            undo.emplace_back([&rematched, before = *pipe] {
                if (PutBackMatchedEntries(before)) rematched.push_back(IdText(*before.Object()));
            });
        for (auto node = endNodesBefore.rbegin(); node != endNodesBefore.rend(); ++node)
            undo.emplace_back([before = *node] { PutBackRecord(before); });
        undo.emplace_back([&] { TakeBackNewElement(*general_, AcadActiveDocument, SharedOf(MergedPipeEntity)); });
        // Labels, crossings and profiles of the pipes matched follow their levels back.
        undo.emplace_back([&] {
            for (const std::string& id : rematched)
                PassOnPipeChange(*viewStyle_, *crossing_, *profile_, AcadActiveDocument, id);
        });
        UndoAndRethrow(undo);
    }
}

void Editing::UpdateLibrariesAfterMerging(acad::AcadDocument& AcadActiveDocument,
                                          acad::AcadEntity& FirstMergedPipeEntity, const int16_t& CountPipes) {
    const ElementRecord pipe = OpenPipeRecord(AcadActiveDocument, IdText(FirstMergedPipeEntity));
    // One pipe stays of the CountPipes that were there.
    const std::string change = vb::CStr(int32_t{1} - CountPipes);
    LayersToWrite libraries(AcadActiveDocument);
    AddLibraryLayers(libraries, AcadActiveDocument);
    libraries.Require();

    SafeArray materials = library_->GetMaterialsArray(AcadActiveDocument);
    library_->UpdateMaterialUsage(AcadActiveDocument, materials,
                                  LibraryChangeTable({{pipe.Text(pipe_entry::kMaterial), change}}));

    SafeArray circular = library_->GetSizesArray(AcadActiveDocument, "Circular");
    SafeArray box = library_->GetSizesArray(AcadActiveDocument, "Box");
    const std::string word = SectionShapeWord(pipe.Text(pipe_entry::kSectionShape));
    std::string size = vb::CStr(pipe.Number(pipe_entry::kSpan));
    if (pipe.Text(pipe_entry::kSectionShape) != kCircularShape) size += "x" + vb::CStr(pipe.Number(pipe_entry::kRise));
    library_->UpdateSizeUsage(AcadActiveDocument, circular, box, LibraryChangeTable({{size, word, change}}));
}

void Editing::UpdateCrossingsAfterMerging(acad::AcadDocument& AcadActiveDocument,
                                          const std::string& CrossPointLabelsString,
                                          const std::string& CrossPointOIDsString,
                                          acad::AcadLWPolyline& MergedPipeEntity,
                                          acad::AcadSelectionSet& SetPipesToMerge) {
    if (CrossPointLabelsString.empty()) return;
    const std::string merged = refs::Reference(IdText(MergedPipeEntity));
    const std::vector<std::string> oldItems = OldPipeItems(SetPipesToMerge);

    struct Repointed {
        std::shared_ptr<acad::AcadBlockReference> annotation;
        ElementRecord record;
    };
    std::vector<Repointed> annotations;
    for (const std::string& id : refs::LeadingKeys(CrossPointOIDsString)) {
        auto object = ObjectFromId(AcadActiveDocument, id);
        ElementRecord record = ReadCrossingAnnotation(object);
        // The first old pipe, in set order, that the annotation names.
        for (const std::string& item : oldItems) {
            const std::string old = ";" + item;
            if (record.Text(crossing_entry::kPipe1Id) == old) {
                record.Set(crossing_entry::kPipe1Id, Variant(merged));
                break;
            }
            if (record.Text(crossing_entry::kPipe2Id) == old) {
                record.Set(crossing_entry::kPipe2Id, Variant(merged));
                break;
            }
        }
        annotations.push_back({acad::Cast<acad::AcadBlockReference>(object), std::move(record)});
    }
    LayersToWrite written(AcadActiveDocument);
    written.Object(SharedOf(MergedPipeEntity));
    AddCrossingUpdateLayers(written, AcadActiveDocument, CrossPointOIDsString);
    written.Require();
    for (Repointed& a : annotations) {
        a.record.Write();
        crossing_->UpdateCrossingData(AcadActiveDocument, *a.annotation);
    }
}

void Editing::UpdateProfilesAfterMerging(acad::AcadDocument& AcadActiveDocument,
                                         acad::AcadLWPolyline& MergedPipeEntity,
                                         acad::AcadSelectionSet& SetPipesToMerge) {
    const ElementRecord merged = OpenPipeRecord(AcadActiveDocument, IdText(MergedPipeEntity));
    if (merged.Text(pipe_entry::kProfileIds).empty()) return;
    const std::string mergedLabel = general_->EntityLabelFromCombined(merged.Get(pipe_entry::kCombinedLabel));
    const std::string mergedId = IdText(MergedPipeEntity);
    const std::vector<std::string> oldItems = OldPipeItems(SetPipesToMerge);

    // Every profile is read and its lists rebuilt before the first is written.
    std::vector<ProfileBlockRecord> profiles;
    for (const std::string& id : refs::LeadingKeys(merged.Text(pipe_entry::kProfileIds))) {
        ProfileBlockRecord profile = OpenProfileBlock(AcadActiveDocument, id);
        ElementRecord& record = profile.record;
        const std::vector<std::string> labels = refs::LeadingItems(record.Text(profile_entry::kPipeLabels));
        const std::vector<std::string> ids = refs::LeadingItems(record.Text(profile_entry::kPipeIds));
        const std::vector<std::string> directions = refs::LeadingItems(record.Text(profile_entry::kPipeDirections));
        if (labels.size() < ids.size() || directions.size() < ids.size())
            Raise(ErrorCode::SubscriptOutOfRange, "profile " + id + " lists fewer labels or directions than pipes");
        std::vector<std::string> keptLabels, keptIds, keptDirections;
        bool placed = false;
        for (std::size_t k = 0; k < ids.size(); ++k) {
            if (!Contains(oldItems, ids[k])) {
                keptLabels.push_back(labels[k]);
                keptIds.push_back(ids[k]);
                keptDirections.push_back(directions[k]);
            } else if (!placed) {
                keptLabels.push_back(refs::ReferenceItem(mergedLabel));
                keptIds.push_back(refs::ReferenceItem(mergedId));
                keptDirections.push_back(profile_->GetMergedPipeDirectionInProfile(
                    AcadActiveDocument, MergedPipeEntity, refs::ItemKey(ids[k]), directions[k]));
                placed = true;
            }
        }
        record.Set(profile_entry::kPipeLabels, Variant(refs::LeadingList(keptLabels)));
        record.Set(profile_entry::kPipeIds, Variant(refs::LeadingList(keptIds)));
        record.Set(profile_entry::kPipeDirections, Variant(refs::LeadingList(keptDirections)));
        profiles.push_back(std::move(profile));
    }
    LayersToWrite written(AcadActiveDocument);
    AddProfileRewriteLayers(written, AcadActiveDocument, merged.Text(pipe_entry::kProfileIds));
    written.Require();
    for (ProfileBlockRecord& profile : profiles) {
        profile.record.Write();
        profile_->FlagProfileForUpdate(AcadActiveDocument, IdText(*profile.block));
    }
}

void Editing::DeleteOldMergedPipes(acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetPipesToMerge,
                                   const std::string& FinalStartNodeLabel, const std::string& FinalEndNodeLabel) {
    const int16_t count = vb::Count16(static_cast<std::size_t>(SetPipesToMerge.Count()));
    std::vector<ElementRecord> old;
    for (int16_t i = 0; i < count; ++i)
        old.push_back(OpenPipeRecord(AcadActiveDocument, IdText(*SetPipesToMerge.Item(i))));
    Doomed doomed = MergeDeletions(AcadActiveDocument, old, FinalStartNodeLabel, FinalEndNodeLabel);
    LayersToWrite deleted(AcadActiveDocument);
    AddDeletedLayers(deleted, doomed.Entities());
    deleted.Require();

    // The library's own deletions reach no erase handler: those would follow records that
    // already name the merged pipe.
    EventsOffGuard events(*general_, AcadActiveDocument);
    doomed.DeleteAll();
    SetPipesToMerge.Erase();
    events.Restore();
}

}  // namespace fluvanet
