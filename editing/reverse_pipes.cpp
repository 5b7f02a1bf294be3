#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "annotation/view_style.h"
#include "core/block_look.h"
#include "core/element_records.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/plan_arcs.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "platform/acad_entities.h"
#include "platform/acad_selection.h"
#include "platform/acad_utility.h"
#include "platform/safe_array.h"
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

constexpr std::string_view kReverseSet = "SetPipesToReverse";
constexpr std::string_view kReversePrompt = "Select Pipes to Reverse:";
constexpr std::string_view kGroupSet = "GrEd_SetElementsGroup";
constexpr std::string_view kGroupPrompt = "Select Elements to Edit:";

// Any command still running is cancelled before the user is asked.
void SelectAfterEscape(acad::AcadDocument& doc, acad::AcadSelectionSet& set, std::string_view prompt,
                       const std::vector<int16_t>& codes, const std::vector<Variant>& values) {
    doc.SendCommand(vb::Chr(27));
    doc.Utility()->Prompt(std::string(prompt));
    set.SelectOnScreen(Variant(SafeArray::FromInt16s(codes)), Variant(SafeArray::FromVariants(values)));
}

// The sides of a node's pipe lists: 0 the pipes that start there, 1 those that end there.
int32_t LabelsEntry(int16_t side) { return side == 0 ? node_entry::kStartPipeLabels : node_entry::kEndPipeLabels; }
int32_t IdsEntry(int16_t side) { return side == 0 ? node_entry::kStartPipeIds : node_entry::kEndPipeIds; }

// The pipe out of one side of the node, from every position its identifier holds and the
// label item at the same position: a label given by the user may repeat or end like another.
void DropPipe(ElementRecord& node, int16_t side, const std::string& pipeId) {
    const std::vector<std::string> ids = refs::LeadingItems(node.Text(IdsEntry(side)));
    const std::size_t labels = refs::LeadingItems(node.Text(LabelsEntry(side))).size();
    // Dropping an identifier without its label would put every later pair out of step.
    for (std::size_t k = labels; k < ids.size(); ++k)
        if (refs::ItemKey(ids[k]) == pipeId)
            Raise(ErrorCode::SubscriptOutOfRange, "node " + IdText(*node.Object()) + " lists pipe " + pipeId +
                                                      " in [" + std::to_string(IdsEntry(side)) + "] at " +
                                                      std::to_string(k) + " but its [" +
                                                      std::to_string(LabelsEntry(side)) + "] is shorter");
    UnlistPipeFromNode(node, LabelsEntry(side), IdsEntry(side), pipeId);
}

void ListPipe(ElementRecord& node, int16_t side, const std::string& pipeLabel, const std::string& pipeId) {
    node.Set(LabelsEntry(side), Variant(refs::AppendReference(node.Text(LabelsEntry(side)), pipeLabel)));
    node.Set(IdsEntry(side), Variant(refs::AppendReference(node.Text(IdsEntry(side)), pipeId)));
}

// What a reversal reads of one pipe, checked before anything is written.
struct PipeToReverse {
    std::shared_ptr<acad::AcadLWPolyline> polyline;
    ElementRecord record;
    ElementRecord startNode;
    std::optional<ElementRecord> endNode;  // none when both ends lie at the start node
};

PipeToReverse ReadPipeToReverse(acad::AcadDocument& doc, const std::shared_ptr<acad::AcadEntity>& entity) {
    ElementRecord record = OpenPipeRecord(doc, IdText(*entity));
    auto polyline = std::dynamic_pointer_cast<acad::AcadLWPolyline>(entity);
    if (!polyline) Raise(ErrorCode::TypeMismatch, "pipe " + IdText(*entity) + " is no lightweight polyline");
    std::string startId = refs::ReferenceKey(record.Text(pipe_entry::kStartNodeId));
    std::string endId = refs::ReferenceKey(record.Text(pipe_entry::kEndNodeId));
    ElementRecord startNode = OpenNodeRecord(doc, startId);
    std::optional<ElementRecord> endNode;
    if (endId != startId) endNode = OpenNodeRecord(doc, endId);
    return {std::move(polyline), std::move(record), std::move(startNode), std::move(endNode)};
}

// The pipe's label block and arrow, those still there.
std::vector<std::shared_ptr<acad::AcadBlockReference>> LabelAndArrow(acad::AcadDocument& doc,
                                                                     const ElementRecord& pipe) {
    std::vector<std::shared_ptr<acad::AcadBlockReference>> blocks;
    for (int32_t entry : {pipe_entry::kLabelBlockId, pipe_entry::kArrowId})
        if (auto block = std::dynamic_pointer_cast<acad::AcadBlockReference>(
                ObjectFromIdIfAlive(doc, refs::ReferenceKey(pipe.Text(entry)))))
            blocks.push_back(std::move(block));
    return blocks;
}

// Everything a reversal writes of the pipe accepts changes: the pipe, its nodes, its label
// with its attributes and its arrow, its profiles and, flagging one, the active layer. Told
// before the first pipe is turned.
void RequireWritable(acad::AcadDocument& doc, const PipeToReverse& pipe) {
    LayersToWrite layers(doc);
    layers.Object(pipe.polyline).Object(pipe.startNode.Object());
    if (pipe.endNode) layers.Object(pipe.endNode->Object());
    for (const auto& block : LabelAndArrow(doc, pipe.record)) layers.Entity(*block);
    for (const std::string& id : refs::LeadingKeys(pipe.record.Text(pipe_entry::kProfileIds))) {
        ProfileBlockRecord profile = OpenProfileBlock(doc, id);
        layers.Entity(*profile.block);
        AddLayersToFlag(layers, profile);
    }
    layers.Require();
}

// Arcs follow their segments, run backwards.
void ReverseBulges(acad::AcadLWPolyline& polyline, std::size_t vertexCount) {
    const auto vertices = static_cast<int32_t>(vertexCount);
    std::vector<double> bulges;
    bool arcs = false;
    for (int32_t i = 0; i < vertices; ++i) {
        bulges.push_back(polyline.GetBulge(i));
        arcs = arcs || bulges.back() != 0;
    }
    if (!arcs) return;
    plan::SetPolylineBulges(polyline, plan::ReversedBulges(bulges));
}

}  // namespace

std::shared_ptr<acad::AcadSelectionSet> Editing::GetPipesToReverse(acad::AcadDocument& AcadActiveDocument) {
    std::shared_ptr<acad::AcadSelectionSet> set;
    try {
        set = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kReverseSet));
        SelectAfterEscape(AcadActiveDocument, *set, kReversePrompt, {1001, 0},
                          {Variant(kAppName), Variant("LWPOLYLINE")});
    } catch (const com::Error&) {
        // A cancel included: the host reverses what was selected, possibly nothing.
    }
    return set;
}

void Editing::ReverseSelectedPipes(acad::AcadDocument& AcadActiveDocument,
                                   const acad::AcadSelectionSet& SetPipesToReverse) {
    const int32_t count = SetPipesToReverse.Count();
    // A bad pipe anywhere in the set stops the reversal before any pipe is turned.
    for (int32_t i = 0; i < count; ++i)
        RequireWritable(AcadActiveDocument, ReadPipeToReverse(AcadActiveDocument, SetPipesToReverse.Item(i)));

    // What a failure part way puts back, last written first: the pipes turned so far as they
    // were, each record as first read, each label and arrow where it stood.
    std::vector<std::function<void()>> undo;
    try {
        for (int32_t i = 0; i < count; ++i) {
            PipeToReverse pipe = ReadPipeToReverse(AcadActiveDocument, SetPipesToReverse.Item(i));
            ElementRecord& record = pipe.record;
            const std::string label = general_->EntityLabelFromCombined(record.Get(pipe_entry::kCombinedLabel));
            const std::string id = IdText(*pipe.polyline);

            std::vector<std::function<void()>> before{[record]() mutable { record.Write(); },
                                                      [node = pipe.startNode]() mutable { node.Write(); }};
            if (pipe.endNode) before.push_back([node = *pipe.endNode]() mutable { node.Write(); });
            before.push_back([polyline = pipe.polyline, coordinates = pipe.polyline->Coordinates(),
                              bulges = plan::PolylineBulges(*pipe.polyline)] {
                polyline->SetCoordinates(coordinates);
                plan::SetPolylineBulges(*polyline, bulges);
            });
            for (const std::string& profile : refs::LeadingKeys(record.Text(pipe_entry::kProfileIds)))
                // Only the directions go back: the profile stays flagged, with its stamp.
                before.push_back([&AcadActiveDocument, profile,
                                  directions = OpenProfileBlock(AcadActiveDocument, profile)
                                                   .record.Text(profile_entry::kPipeDirections)] {
                    ElementRecord now = OpenProfileBlock(AcadActiveDocument, profile).record;
                    now.Set(profile_entry::kPipeDirections, Variant(directions));
                    now.Write();
                });
            for (const auto& block : LabelAndArrow(AcadActiveDocument, record))
                before.push_back([look = BlockLook(block)] { look.PutBack(); });
            undo.insert(undo.begin(), before.begin(), before.end());

            // Both node edits are made before any write, so that lists out of step raise with the
            // pipe untouched. The old start node now holds the pipe's end, the old end node its start.
            ElementRecord& endNode = pipe.endNode ? *pipe.endNode : pipe.startNode;
            DropPipe(pipe.startNode, 0, id);
            DropPipe(endNode, 1, id);
            ListPipe(pipe.startNode, 1, label, id);
            ListPipe(endNode, 0, label, id);

            std::vector<double> coordinates = pipe.polyline->Coordinates();
            pipe.polyline->SetCoordinates(ReversedVertices(coordinates));
            ReverseBulges(*pipe.polyline, coordinates.size() / 2);

            pipe.startNode.Write();
            if (pipe.endNode) pipe.endNode->Write();

            const std::string startLabel = record.Text(pipe_entry::kStartNodeLabel);
            const std::string startId = record.Text(pipe_entry::kStartNodeId);
            const double startInvert = record.Number(pipe_entry::kStartInvert);
            const double endInvert = record.Number(pipe_entry::kEndInvert);
            record.Set(pipe_entry::kStartNodeLabel,
                       Variant(refs::Reference(refs::ReferenceKey(record.Text(pipe_entry::kEndNodeLabel)))));
            record.Set(pipe_entry::kEndNodeLabel, Variant(refs::Reference(refs::ReferenceKey(startLabel))));
            record.Set(pipe_entry::kStartNodeId,
                       Variant(refs::Reference(refs::ReferenceKey(record.Text(pipe_entry::kEndNodeId)))));
            record.Set(pipe_entry::kEndNodeId, Variant(refs::Reference(refs::ReferenceKey(startId))));
            record.Set(pipe_entry::kStartInvert, Variant(endInvert));
            record.Set(pipe_entry::kEndInvert, Variant(startInvert));
            record.Write();

            // A flipped direction leaves the drawn profile out of date.
            for (const std::string& profile : refs::LeadingKeys(record.Text(pipe_entry::kProfileIds))) {
                profile_->ReversePipeDirectionInProfile(AcadActiveDocument, id, profile);
                profile_->FlagProfileForUpdate(AcadActiveDocument, profile);
            }

            viewStyle_->UpdateAnnotationsAfterEditing(AcadActiveDocument, refs::TrailingAppend("", id), true);
        }
    } catch (...) {
        UndoAndRethrow(undo);
    }
}

void Editing::ReversePipeReferenceInNode(acad::AcadDocument& AcadActiveDocument, const std::string& PipeLabel,
                                         const std::string& PipeOID, const std::string& NodeOID,
                                         const int16_t& Indicator) {
    if (Indicator != 0 && Indicator != 1)
        Raise(ErrorCode::InvalidProcedureCall,
              "Indicator " + std::to_string(Indicator) + ": 0 moves a pipe from start to end, 1 from end to start");
    ElementRecord node = OpenNodeRecord(AcadActiveDocument, NodeOID);
    DropPipe(node, Indicator, PipeOID);
    ListPipe(node, static_cast<int16_t>(1 - Indicator), PipeLabel, PipeOID);
    node.Write();
}

std::shared_ptr<acad::AcadSelectionSet> Editing::GetSelectionForGroupEditing(acad::AcadDocument& AcadActiveDocument) {
    auto set = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kGroupSet));
    SelectAfterEscape(AcadActiveDocument, *set, kGroupPrompt, {1001, -4, 0, 0, -4},
                      {Variant(kAppName), Variant("<OR"), Variant("LWPOLYLINE"), Variant("INSERT"), Variant("OR>")});
    return set;
}

}  // namespace fluvanet
