// Splitting a pipe, in the host's steps: the pick, the bare halves and node, their records
// and labels, the library counts, the crossings and profiles handed to the halves, and the
// split pipe taken out last. Until then the split pipe stays as it was; every step reads it.

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "annotation/view_style.h"
#include "core/element_records.h"
#include "core/finite_reals.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/library.h"
#include "core/plan_arcs.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "crossing/crossing_records.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "editing/sequence_layers.h"
#include "platform/ui_log.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

constexpr std::string_view kPipePrompt = "Select pipe to split:";
constexpr std::string_view kPointPrompt = "Pick split point:";

// What PointIsOnPolyline tells of the split point.
constexpr int16_t kAtPipeEnd = 1;
constexpr int16_t kInsidePipe = 2;

void Refuse(std::string_view message) { vb::MsgBox(std::string(message), vb::vbCritical, "Fluvamap"); }

Variant PointVariant(const acad::Point3& point) { return Variant(SafeArray::FromDoubles({point[0], point[1], point[2]})); }

template <class T>
std::shared_ptr<T> Shared(T& object) {
    return std::static_pointer_cast<T>(object.shared_from_this());
}

// The split pipe's record, all its entries, read now.
ElementRecord SplitPipeRecord(acad::AcadDocument& doc, acad::AcadLWPolyline& pipe) {
    return OpenPipeRecord(doc, IdText(pipe));
}

// The bulges of the two halves when segment k - 1 holds the split point: that segment parts
// into two arcs of its circle (two straight pieces when it is straight), the others keep theirs.
struct HalfBulges {
    std::vector<double> first, second;
};

HalfBulges SplitBulges(const std::vector<double>& xy, const std::vector<double>& bulges, std::size_t k,
                       plan::Point at) {
    const std::size_t s = k - 1;
    const plan::Point a{xy[2 * s], xy[2 * s + 1]}, b{xy[2 * s + 2], xy[2 * s + 3]};
    double before = 0, after = 0;
    if (plan::Arc::IsArc(a, b, bulges[s])) {
        const plan::Arc arc(a, b, bulges[s]);
        const double along = std::clamp(arc.LengthTo(at), 0.0, arc.Length());
        before = arc.BulgeBefore(along);
        after = arc.BulgeAfter(along);
    }
    HalfBulges halves;
    halves.first.assign(bulges.begin(), bulges.begin() + static_cast<std::ptrdiff_t>(s));
    halves.first.insert(halves.first.end(), {before, 0});
    halves.second.push_back(after);
    halves.second.insert(halves.second.end(), bulges.begin() + static_cast<std::ptrdiff_t>(k), bulges.end());
    return halves;
}

// ---- end nodes ------------------------------------------------------------------------

// One side of a node's pipe lists: labels and identifiers, parallel.
struct NodeSide {
    int32_t labels, ids;
};
constexpr NodeSide kPipesAtStart{node_entry::kStartPipeLabels, node_entry::kStartPipeIds};
constexpr NodeSide kPipesAtEnd{node_entry::kEndPipeLabels, node_entry::kEndPipeIds};

// Where the side lists the pipe, found by its identifier: labels the user gives may repeat.
// A node that does not list it there, or whose label list falls short, is refused.
std::vector<std::size_t> PipePositions(const ElementRecord& node, const NodeSide& side, const std::string& pipeId) {
    std::vector<std::string> ids = refs::LeadingItems(node.Text(side.ids));
    std::vector<std::string> labels = refs::LeadingItems(node.Text(side.labels));
    std::vector<std::size_t> positions;
    for (std::size_t k = 0; k < ids.size(); ++k)
        if (ids[k] == refs::ReferenceItem(pipeId)) positions.push_back(k);
    const std::string what = "node " + IdText(*node.Object());
    if (positions.empty())
        Raise(ErrorCode::InvalidProcedureCall,
              what + " does not list pipe " + pipeId + " in [" + std::to_string(side.ids) + "]");
    if (labels.size() <= positions.back())
        Raise(ErrorCode::SubscriptOutOfRange,
              what + " lists fewer labels in [" + std::to_string(side.labels) + "] than pipes in [" +
                  std::to_string(side.ids) + "]");
    return positions;
}

// The node, read now, with another pipe in the split pipe's place on one side: its
// identifier, and its label where one is given, at the same positions.
ElementRecord HandOverAtNode(acad::AcadDocument& doc, const std::string& nodeId, const NodeSide& side,
                             const std::string& splitId, const std::string& newId, const std::string* newLabel) {
    ElementRecord node = OpenNodeRecord(doc, nodeId);
    std::vector<std::size_t> positions = PipePositions(node, side, splitId);
    std::vector<std::string> ids = refs::LeadingItems(node.Text(side.ids));
    std::vector<std::string> labels = refs::LeadingItems(node.Text(side.labels));
    for (std::size_t k : positions) {
        ids[k] = refs::ReferenceItem(newId);
        if (newLabel) labels[k] = refs::ReferenceItem(*newLabel);
    }
    node.Set(side.ids, Variant(refs::LeadingList(ids)));
    if (newLabel) node.Set(side.labels, Variant(refs::LeadingList(labels)));
    node.Write();
    return node;
}

// ---- profiles -------------------------------------------------------------------------

// A profile's three pipe lists, position by position.
struct ProfilePipes {
    std::vector<std::string> labels, ids, directions;
};

ProfilePipes ReadProfilePipes(const ElementRecord& profile) {
    ProfilePipes pipes{refs::LeadingItems(profile.Text(profile_entry::kPipeLabels)),
                       refs::LeadingItems(profile.Text(profile_entry::kPipeIds)),
                       refs::LeadingItems(profile.Text(profile_entry::kPipeDirections))};
    if (pipes.ids.size() != pipes.labels.size() || pipes.directions.size() != pipes.labels.size())
        Raise(ErrorCode::SubscriptOutOfRange, "profile " + IdText(*profile.Object()) + " lists " +
                                                  std::to_string(pipes.labels.size()) + " labels, " +
                                                  std::to_string(pipes.ids.size()) + " pipes and " +
                                                  std::to_string(pipes.directions.size()) + " directions");
    return pipes;
}

struct Half {
    std::string labelItem, idItem;  // "RelatedTo" & key
};

// The split pipe's place taken by both halves, each with its direction: running with the
// profile ("0") the first half comes first, against it the second.
ProfilePipes WithHalves(const ProfilePipes& old, const std::string& splitItem, const Half& first, const Half& second) {
    ProfilePipes pipes;
    auto add = [&pipes](const std::string& label, const std::string& id, const std::string& direction) {
        pipes.labels.push_back(label);
        pipes.ids.push_back(id);
        pipes.directions.push_back(direction);
    };
    for (std::size_t k = 0; k < old.labels.size(); ++k) {
        if (old.ids[k] != splitItem) {
            add(old.labels[k], old.ids[k], old.directions[k]);
            continue;
        }
        const bool along = old.directions[k] == "0";
        const Half& before = along ? first : second;
        const Half& after = along ? second : first;
        add(before.labelItem, before.idItem, old.directions[k]);
        add(after.labelItem, after.idItem, old.directions[k]);
    }
    return pipes;
}

// The halves are two entities other than the split pipe: one of them in its place would
// list the split pipe's crossings and profiles again on every call.
void RequireHalves(const acad::AcadEntity& split, const acad::AcadEntity& half1, const acad::AcadEntity& half2) {
    if (&half1 == &split || &half2 == &split || &half1 == &half2)
        Raise(ErrorCode::InvalidProcedureCall, "the halves of pipe " + IdText(split) + " must be two other entities");
}

// ---- layers ---------------------------------------------------------------------------

// The record step besides the halves and the node: their labels, and both end nodes.
void AddSplitRecordLayers(LayersToWrite& layers, acad::AcadDocument& doc, const std::string& network,
                          const ElementRecord& split) {
    AddNewLabelLayers(layers, network);
    for (int32_t entry : {pipe_entry::kStartNodeId, pipe_entry::kEndNodeId})
        layers.Object(ObjectFromIdIfAlive(doc, refs::ReferenceKey(split.Text(entry))));
}

// What deleting the split pipe takes: its label block and arrow, each checked to be of its
// kind, and the pipe itself last.
std::vector<std::shared_ptr<acad::AcadEntity>> SplitDeletions(acad::AcadDocument& doc, acad::AcadLWPolyline& pipe,
                                                              const ElementRecord& record) {
    struct Owned {
        int32_t entry;
        std::string_view type;
    };
    std::vector<std::shared_ptr<acad::AcadEntity>> doomed;
    for (const Owned& owned : {Owned{pipe_entry::kLabelBlockId, element_type::kAnnotation},
                               Owned{pipe_entry::kArrowId, element_type::kArrow}}) {
        auto object = ObjectFromIdIfAlive(doc, refs::ReferenceKey(record.Text(owned.entry)));
        if (!object) continue;
        RequireElementType(ElementRecord::Read(object), {owned.type}, owned.type);
        doomed.push_back(acad::Cast<acad::AcadEntity>(object));
    }
    doomed.push_back(Shared(pipe));
    return doomed;
}

}  // namespace

LayersToWrite SplitLayers(General& general, acad::AcadDocument& doc, acad::AcadLWPolyline& splitPipe) {
    const ElementRecord split = SplitPipeRecord(doc, splitPipe);
    LayersToWrite layers(doc);
    // The halves and the node are made on the active layer and go to the split pipe's.
    layers.ActiveLayer().Layer(splitPipe.Layer());
    AddSplitRecordLayers(layers, doc, general.EntityNetworkFromCombined(split.Get(pipe_entry::kCombinedLabel)), split);
    AddLibraryLayers(layers, doc);
    AddCrossingUpdateLayers(layers, doc, split.Text(pipe_entry::kCrossingIds));
    AddProfileRewriteLayers(layers, doc, split.Text(pipe_entry::kProfileIds));
    AddDeletedLayers(layers, SplitDeletions(doc, splitPipe, split));
    return layers;
}

bool Editing::GetSplitPipeAndPoint(acad::AcadDocument& AcadActiveDocument,
                                   std::shared_ptr<acad::AcadLWPolyline>& SplitPipeEntity, acad::Point3& SplitPoint) {
    try {
        auto utility = AcadActiveDocument.Utility();
        std::shared_ptr<acad::AcadEntity> picked;
        acad::Point3 pickedAt{};
        AcadActiveDocument.SendCommand(vb::Chr(27));
        utility->GetEntity(picked, pickedAt, std::string(kPipePrompt));
        while (!element_type::IsPipe(general_->GetElementType(*picked))) {
            Refuse("The selected entity is not a pipe!");
            utility->GetEntity(picked, pickedAt, std::string(kPipePrompt));
        }
        SplitPipeEntity = acad::Cast<acad::AcadLWPolyline>(picked);

        AcadActiveDocument.SendCommand(vb::Chr(27));
        SplitPoint = utility->GetPoint({}, std::string(kPointPrompt));
        for (;;) {
            const int16_t place = general_->PointIsOnPolyline(PointVariant(SplitPoint), *SplitPipeEntity);
            if (place == kInsidePipe) return true;
            Refuse(place == kAtPipeEnd ? "The picked point lies at the pipe end!"
                                       : "The picked point doesn't lie on the pipe!");
            SplitPoint = utility->GetPoint({}, std::string(kPointPrompt));
        }
    } catch (const com::Error&) {
        return false;
    }
}

void Editing::CreateSplitEntities(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& SplitPipeEntity,
                                  const acad::Point3& SplitPoint, std::shared_ptr<acad::AcadLWPolyline>& NewPipeEntity1,
                                  std::shared_ptr<acad::AcadLWPolyline>& NewPipeEntity2,
                                  std::shared_ptr<acad::AcadBlockReference>& NewNodeEntity) {
    RequireFinite("the split point", {SplitPoint[0], SplitPoint[1]});
    SplitPipeRecord(AcadActiveDocument, SplitPipeEntity);
    const Variant point = PointVariant(SplitPoint);
    // Elsewhere a half would have no length, or run off the pipe.
    if (general_->PointIsOnPolyline(point, SplitPipeEntity) != kInsidePipe)
        Raise(ErrorCode::InvalidProcedureCall, "the split point does not lie inside pipe " + IdText(SplitPipeEntity));

    // k vertices lie before the point; a point on an inner vertex starts the second half
    // with that vertex twice.
    const auto k = static_cast<std::ptrdiff_t>(
        general_->GetNodeIndexOnPolyline(Variant(SplitPipeEntity.shared_from_this()), point));
    const std::vector<double> xy = SplitPipeEntity.Coordinates();
    std::vector<double> first(xy.begin(), xy.begin() + 2 * k);
    first.insert(first.end(), {SplitPoint[0], SplitPoint[1]});
    std::vector<double> second{SplitPoint[0], SplitPoint[1]};
    second.insert(second.end(), xy.begin() + 2 * k, xy.end());
    const HalfBulges bulges = SplitBulges(xy, plan::PolylineBulges(SplitPipeEntity), static_cast<std::size_t>(k),
                                          {SplitPoint[0], SplitPoint[1]});

    const std::string layer = SplitPipeEntity.Layer();
    // Every step of the split meets its locks here: a lock met later would stop it halfway.
    SplitLayers(*general_, AcadActiveDocument, SplitPipeEntity).Require();
    auto space = AcadActiveDocument.ModelSpace();
    std::vector<std::shared_ptr<acad::AcadEntity>> made;
    try {
        auto half1 = space->AddLightWeightPolyline(first);
        made.push_back(half1);
        auto half2 = space->AddLightWeightPolyline(second);
        made.push_back(half2);
        plan::SetPolylineBulges(*half1, bulges.first);
        plan::SetPolylineBulges(*half2, bulges.second);
        // Like every node, in plan at z 0.
        auto node = space->InsertBlock({SplitPoint[0], SplitPoint[1], 0}, std::string(kNodeBlockName), 1, 1, 1, 0);
        made.push_back(node);
        for (const auto& entity : made) entity->SetLayer(layer);
        NewPipeEntity1 = std::move(half1);
        NewPipeEntity2 = std::move(half2);
        NewNodeEntity = std::move(node);
    } catch (...) {
        for (const auto& entity : made) {
            try {
                entity->Delete();
            } catch (const com::Error&) {
            }
        }
        throw;
    }
}

void Editing::AssignSplitXdata(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& SplitPipeEntity,
                               const acad::Point3& SplitPoint, acad::AcadLWPolyline& NewPipeEntity1,
                               acad::AcadLWPolyline& NewPipeEntity2, acad::AcadBlockReference& NewNodeEntity) {
    RequireFinite("the split point", {SplitPoint[0], SplitPoint[1]});
    RequireHalves(SplitPipeEntity, NewPipeEntity1, NewPipeEntity2);
    const ElementRecord split = SplitPipeRecord(AcadActiveDocument, SplitPipeEntity);
    const std::string splitId = IdText(SplitPipeEntity);
    // Called twice, the step would take two more labels and list the halves again.
    for (acad::AcadEntity* entity : {static_cast<acad::AcadEntity*>(&NewPipeEntity1),
                                     static_cast<acad::AcadEntity*>(&NewPipeEntity2),
                                     static_cast<acad::AcadEntity*>(&NewNodeEntity)})
        if (ElementRecord::Read(Shared(*entity)).Exists())
            Raise(ErrorCode::InvalidProcedureCall, "entity " + IdText(*entity) + " already carries a record");

    const Variant& combined = split.Get(pipe_entry::kCombinedLabel);
    const std::string network = general_->EntityNetworkFromCombined(combined);
    const std::string oldLabel = general_->EntityLabelFromCombined(combined);
    const std::string pipeType = split.Text(pipe_entry::kElementType);
    const std::string nodeType = general_->GetNodeTypeFromPipeType(pipeType);
    const std::string startId = refs::ReferenceKey(split.Text(pipe_entry::kStartNodeId));
    const std::string endId = refs::ReferenceKey(split.Text(pipe_entry::kEndNodeId));
    // As read here they are what a failure after the first write puts back.
    const ElementRecord startBefore = OpenNodeRecord(AcadActiveDocument, startId);
    const ElementRecord endBefore = OpenNodeRecord(AcadActiveDocument, endId);
    PipePositions(startBefore, kPipesAtStart, splitId);
    PipePositions(endBefore, kPipesAtEnd, splitId);
    LayersToWrite written(AcadActiveDocument);
    written.Entity(NewPipeEntity1).Entity(NewPipeEntity2).Entity(NewNodeEntity);
    AddSplitRecordLayers(written, AcadActiveDocument, network, split);
    written.Require();

    const std::string newPipeLabel = GetNextLabel(AcadActiveDocument, network, pipeType);
    const std::string newNodeLabel = GetNextLabel(AcadActiveDocument, network, nodeType);
    const double station = plan::StationOnPath(plan::PathOf(SplitPipeEntity), {SplitPoint[0], SplitPoint[1]});
    const double ratio = station / SplitPipeEntity.Length();
    const double invert = InvertAt(split.Number(pipe_entry::kStartInvert), split.Number(pipe_entry::kEndInvert), ratio);
    // The ground between the end nodes follows the same straight line.
    const double ground = InvertAt(general_->GetGroundLevelAtNode(AcadActiveDocument, startId),
                                   general_->GetGroundLevelAtNode(AcadActiveDocument, endId), ratio);
    const double correction = general_->GetCorrectionAngleForCS(AcadActiveDocument);
    const std::string half1Id = IdText(NewPipeEntity1);
    const std::string half2Id = IdText(NewPipeEntity2);
    const std::string nodeId = IdText(NewNodeEntity);

    // A failure after the first write leaves the halves and the node bare again, without
    // labels, and the end nodes as they were.
    try {
        // Copies of the split pipe, codes and all; its crossings are dealt out later.
        ElementRecord first = ElementRecord::Create(Shared(NewPipeEntity1), split.Codes(), split.Values());
        first.Set(pipe_entry::kEndInvert, invert);
        first.Set(pipe_entry::kEndNodeLabel, Variant(refs::Reference(newNodeLabel)));
        first.Set(pipe_entry::kEndNodeId, Variant(refs::Reference(nodeId)));
        first.Set(pipe_entry::kCrossingLabels, Variant(std::string()));
        first.Set(pipe_entry::kCrossingIds, Variant(std::string()));
        first.Write();
        ElementRecord second = ElementRecord::Create(Shared(NewPipeEntity2), split.Codes(), split.Values());
        second.Set(pipe_entry::kCombinedLabel, Variant(PipeCombinedLabel(network, newPipeLabel)));
        second.Set(pipe_entry::kStartInvert, invert);
        second.Set(pipe_entry::kStartNodeLabel, Variant(refs::Reference(newNodeLabel)));
        second.Set(pipe_entry::kStartNodeId, Variant(refs::Reference(nodeId)));
        second.Set(pipe_entry::kCrossingLabels, Variant(std::string()));
        second.Set(pipe_entry::kCrossingIds, Variant(std::string()));
        second.Write();

        // The first half keeps the old label, so the start node's labels stay.
        const ElementRecord start = HandOverAtNode(AcadActiveDocument, startId, kPipesAtStart, splitId, half1Id, nullptr);
        HandOverAtNode(AcadActiveDocument, endId, kPipesAtEnd, splitId, half2Id, &newPipeLabel);

        // The start node's type, further integer and matching rule, with codes.
        ElementRecord node = ElementRecord::Create(Shared(NewNodeEntity), start.Codes(), start.Values());
        node.Set(node_entry::kCombinedLabel, Variant(NodeCombinedLabel(network, newNodeLabel)));
        node.Set(node_entry::kStartPipeLabels, Variant(refs::Reference(newPipeLabel)));
        node.Set(node_entry::kEndPipeLabels, Variant(refs::Reference(oldLabel)));
        node.Set(node_entry::kStartPipeIds, Variant(refs::Reference(half2Id)));
        node.Set(node_entry::kEndPipeIds, Variant(refs::Reference(half1Id)));
        node.Set(node_entry::kGroundLevel, ground);
        node.Set(node_entry::kSumpLevel, invert);
        for (int32_t entry : {node_entry::kLabelBlockLabel, node_entry::kLabelBlockId, node_entry::kLowHighLabel,
                              node_entry::kLowHighId})
            node.Set(entry, Variant(std::string()));
        node.Write();

        viewStyle_->InsertAnnotationsForNewEntity(AcadActiveDocument, NewPipeEntity1, correction);
        viewStyle_->InsertAnnotationsForNewEntity(AcadActiveDocument, NewPipeEntity2, correction);
        viewStyle_->InsertAnnotationsForNewEntity(AcadActiveDocument, NewNodeEntity, correction);
    } catch (...) {
        UndoAndRethrow({[&] { PutBackRecord(endBefore); }, [&] { PutBackRecord(startBefore); },
                        [&] { TakeBackNewElement(*general_, AcadActiveDocument, Shared(NewNodeEntity)); },
                        [&] { TakeBackNewElement(*general_, AcadActiveDocument, Shared(NewPipeEntity2)); },
                        [&] { TakeBackNewElement(*general_, AcadActiveDocument, Shared(NewPipeEntity1)); }});
    }
}

void Editing::UpdateLibrariesAfterSplitting(acad::AcadDocument& AcadActiveDocument,
                                            acad::AcadLWPolyline& SplitPipeEntity) {
    const ElementRecord pipe = SplitPipeRecord(AcadActiveDocument, SplitPipeEntity);
    LayersToWrite libraries(AcadActiveDocument);
    AddLibraryLayers(libraries, AcadActiveDocument);
    libraries.Require();
    SafeArray materials = library_->GetMaterialsArray(AcadActiveDocument);
    library_->UpdateMaterialUsage(AcadActiveDocument, materials,
                                  LibraryChangeTable({{pipe.Text(pipe_entry::kMaterial), "1"}}));

    SafeArray circular = library_->GetSizesArray(AcadActiveDocument, "Circular");
    SafeArray box = library_->GetSizesArray(AcadActiveDocument, "Box");
    const LibrarySize size = PipeLibrarySize(pipe);
    library_->UpdateSizeUsage(AcadActiveDocument, circular, box, LibraryChangeTable({{size.text, size.shape, "1"}}));
}

void Editing::UpdateCrossingsAfterSplitting(acad::AcadDocument& AcadActiveDocument,
                                            acad::AcadLWPolyline& SplitPipeEntity,
                                            acad::AcadLWPolyline& NewPipeEntity1,
                                            acad::AcadLWPolyline& NewPipeEntity2) {
    RequireHalves(SplitPipeEntity, NewPipeEntity1, NewPipeEntity2);
    const ElementRecord split = SplitPipeRecord(AcadActiveDocument, SplitPipeEntity);
    const std::vector<std::string> annotationIds = refs::LeadingKeys(split.Text(pipe_entry::kCrossingIds));
    if (annotationIds.empty()) return;
    const std::string splitReference = refs::Reference(IdText(SplitPipeEntity));
    OpenCrossingPipe(AcadActiveDocument, IdText(NewPipeEntity1));
    OpenCrossingPipe(AcadActiveDocument, IdText(NewPipeEntity2));
    // Every annotation names the split pipe before the first is moved.
    for (const std::string& id : annotationIds) {
        ElementRecord annotation = ReadCrossingAnnotation(ObjectFromId(AcadActiveDocument, id));
        acad::Cast<acad::AcadBlockReference>(annotation.Object());
        if (annotation.Text(crossing_entry::kPipe1Id) != splitReference &&
            annotation.Text(crossing_entry::kPipe2Id) != splitReference)
            Raise(ErrorCode::InvalidProcedureCall,
                  "crossing annotation " + id + " does not name pipe " + IdText(SplitPipeEntity));
    }
    LayersToWrite written(AcadActiveDocument);
    written.Entity(NewPipeEntity1).Entity(NewPipeEntity2);
    AddCrossingUpdateLayers(written, AcadActiveDocument, split.Text(pipe_entry::kCrossingIds));
    written.Require();

    for (const std::string& id : annotationIds) {
        ElementRecord annotation = ReadCrossingAnnotation(ObjectFromId(AcadActiveDocument, id));
        const std::string label = general_->EntityLabelFromCombined(annotation.Get(crossing_entry::kCombinedLabel));
        const CrossingPlace at = CrossingPlanPoint(annotation);
        // Only the first half is tested: a point on neither goes to the second.
        acad::AcadLWPolyline& half =
            general_->CheckPointOnPolyline(Variant(SafeArray::FromDoubles({at.x, at.y, 0})),
                                           Variant(NewPipeEntity1.shared_from_this()))
                ? NewPipeEntity1
                : NewPipeEntity2;
        const std::string halfId = IdText(half);
        ElementRecord pipe = OpenCrossingPipe(AcadActiveDocument, halfId);
        pipe.Set(pipe_entry::kCrossingLabels, Variant(refs::AppendReference(pipe.Text(pipe_entry::kCrossingLabels), label)));
        pipe.Set(pipe_entry::kCrossingIds, Variant(refs::AppendReference(pipe.Text(pipe_entry::kCrossingIds), id)));
        pipe.Write();
        annotation.Set(annotation.Text(crossing_entry::kPipe1Id) == splitReference ? crossing_entry::kPipe1Id
                                                                                   : crossing_entry::kPipe2Id,
                       Variant(refs::Reference(halfId)));
        annotation.Write();
        crossing_->UpdateCrossingData(AcadActiveDocument, *acad::Cast<acad::AcadBlockReference>(annotation.Object()));
    }
}

void Editing::UpdateProfilesAfterSplitting(acad::AcadDocument& AcadActiveDocument,
                                           acad::AcadLWPolyline& SplitPipeEntity,
                                           acad::AcadLWPolyline& NewPipeEntity1,
                                           acad::AcadLWPolyline& NewPipeEntity2) {
    RequireHalves(SplitPipeEntity, NewPipeEntity1, NewPipeEntity2);
    const ElementRecord split = SplitPipeRecord(AcadActiveDocument, SplitPipeEntity);
    const std::vector<std::string> profileIds = refs::LeadingKeys(split.Text(pipe_entry::kProfileIds));
    if (profileIds.empty()) return;
    auto half = [&](acad::AcadLWPolyline& pipe) {
        const std::string id = IdText(pipe);
        const ElementRecord record = OpenPipeRecord(AcadActiveDocument, id);
        return Half{refs::ReferenceItem(general_->EntityLabelFromCombined(record.Get(pipe_entry::kCombinedLabel))),
                    refs::ReferenceItem(id)};
    };
    const Half first = half(NewPipeEntity1), second = half(NewPipeEntity2);
    const std::string splitItem = refs::ReferenceItem(IdText(SplitPipeEntity));
    // Every profile's lists are sound before the first is rewritten.
    for (const std::string& id : profileIds) ReadProfilePipes(OpenProfileBlock(AcadActiveDocument, id).record);
    LayersToWrite written(AcadActiveDocument);
    AddProfileRewriteLayers(written, AcadActiveDocument, split.Text(pipe_entry::kProfileIds));
    written.Require();

    for (const std::string& id : profileIds) {
        ElementRecord profile = OpenProfileBlock(AcadActiveDocument, id).record;
        const ProfilePipes pipes = WithHalves(ReadProfilePipes(profile), splitItem, first, second);
        profile.Set(profile_entry::kPipeLabels, Variant(refs::LeadingList(pipes.labels)));
        profile.Set(profile_entry::kPipeIds, Variant(refs::LeadingList(pipes.ids)));
        profile.Set(profile_entry::kPipeDirections, Variant(refs::LeadingList(pipes.directions)));
        profile.Write();
        profile_->FlagProfileForUpdate(AcadActiveDocument, id);
    }
}

void Editing::DeleteSplitPipe(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& SplitPipeEntity) {
    const std::vector<std::shared_ptr<acad::AcadEntity>> doomed = SplitDeletions(
        AcadActiveDocument, SplitPipeEntity, SplitPipeRecord(AcadActiveDocument, SplitPipeEntity));
    LayersToWrite deleted(AcadActiveDocument);
    AddDeletedLayers(deleted, doomed);
    deleted.Require();

    // The halves now hold what the split pipe's record still names: no erase handler may
    // follow it.
    EventsOffGuard eventsOff(*general_, AcadActiveDocument);
    for (const auto& entity : doomed) entity->Delete();
    eventsOff.Restore();
}

}  // namespace fluvanet
