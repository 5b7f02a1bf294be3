#include <optional>
#include <string>
#include <vector>

#include "annotation/label_context.h"
#include "annotation/view_style.h"
#include "core/element_records.h"
#include "core/finite_reals.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "editing/editing.h"
#include "editing/invert_matching.h"
#include "editing/pipe_follow_ups.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;

namespace {

// Where the lowest-invert search starts: no level above it is ever found.
constexpr double kSearchStart = 100000000;
// GetMinimumLevel's answer for a side without pipes.
constexpr double kNoPipes = -999;

// The lowest invert of the listed pipes at one side; none when the list names no pipe.
std::optional<double> LowestInvert(acad::AcadDocument& doc, const std::string& pipeIds, int32_t invertEntry) {
    std::vector<std::string> ids = refs::LeadingKeys(pipeIds);
    if (ids.empty()) return std::nullopt;
    double lowest = kSearchStart;
    for (const std::string& id : ids) {
        double invert = ElementRecord::Read(ObjectFromId(doc, id)).Number(invertEntry);
        if (invert < lowest) lowest = invert;
    }
    return lowest;
}

std::shared_ptr<acad::AcadObject> Shared(acad::AcadEntity& entity) {
    return std::static_pointer_cast<acad::AcadObject>(entity.shared_from_this());
}

// The list with the label item of the pipe's first ID position replaced; unchanged when
// the pipe is not listed.
std::string RelabelledList(const std::string& labels, const std::string& ids, const std::string& pipeId,
                           const std::string& pipeLabel) {
    int32_t at = refs::KeyPosition(ids, pipeId);
    if (at < 0) return labels;
    std::vector<std::string> items = refs::LeadingItems(labels);
    if (static_cast<std::size_t>(at) >= items.size())
        Raise(ErrorCode::SubscriptOutOfRange, "the label list \"" + labels + "\" is shorter than its ID list");
    items[static_cast<std::size_t>(at)] = refs::ReferenceItem(pipeLabel);
    return refs::LeadingList(items);
}

// The invert a pipe of the rise takes at the node; none under no rule.
std::optional<double> MatchedInvert(int16_t matching, double sump, double largestRise, double rise) {
    switch (matching) {
    case kMatchCenterlines: return largestRise / 2 + sump - rise / 2;
    case kMatchSoffits: return largestRise + sump - rise;
    case kMatchInverts: return sump;
    default: return std::nullopt;
    }
}

// The sump a pipe end at the invert gives the node; none under no rule.
std::optional<double> MatchedSump(int16_t matching, double invert, double rise, double largestRise) {
    switch (matching) {
    case kMatchCenterlines: return rise / 2 + invert - largestRise / 2;
    case kMatchSoffits: return rise + invert - largestRise;
    case kMatchInverts: return invert;
    default: return std::nullopt;
    }
}

}  // namespace

std::optional<double> LowestConnectedInvert(Editing& editing, acad::AcadDocument& doc, const ElementRecord& node) {
    const std::string atStart = node.Text(node_entry::kStartPipeIds);
    const std::string atEnd = node.Text(node_entry::kEndPipeIds);
    if (refs::LeadingKeys(atStart).empty() && refs::LeadingKeys(atEnd).empty()) return std::nullopt;
    return editing.GetSumpElevation(doc, atStart, atEnd);
}

double Editing::GetSumpElevation(acad::AcadDocument& AcadActiveDocument, const std::string& PipesAtStartOIDs,
                                 const std::string& PipesAtendOIDs) {
    // A side has pipes when its list names one; an invert of -999 is a level like any other.
    std::optional<double> atStart = LowestInvert(AcadActiveDocument, PipesAtStartOIDs, pipe_entry::kStartInvert);
    std::optional<double> atEnd = LowestInvert(AcadActiveDocument, PipesAtendOIDs, pipe_entry::kEndInvert);
    if (atStart && atEnd) return *atStart < *atEnd ? *atStart : *atEnd;
    if (atStart) return *atStart;
    if (atEnd) return *atEnd;
    return 0;
}

double Editing::GetMinimumLevel(acad::AcadDocument& AcadActiveDocument, const std::string& PipesOIDs,
                                const std::string& Side) {
    int32_t entry = Side == "Start" ? pipe_entry::kStartInvert : pipe_entry::kEndInvert;
    return LowestInvert(AcadActiveDocument, PipesOIDs, entry).value_or(kNoPipes);
}

double Editing::GetLargestRise(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& NodeEntity) {
    return LargestRise(AcadActiveDocument, NodeEntity, nullptr);
}

double Editing::LargestRise(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& NodeEntity,
                            const LabelContext* labels) {
    ElementRecord node = ElementRecord::Read(Shared(NodeEntity));
    RequireNodeRecord(node);
    std::vector<ElementRecord> pipes = PipesAtNode(AcadActiveDocument, node);
    if (pipes.empty()) return 0;
    const std::string units = labels ? labels->units : general_->GetModelUnits(AcadActiveDocument);
    double largest = 0;
    for (const ElementRecord& pipe : pipes) {
        double rise = RiseInLevelUnits(units, pipe.Text(pipe_entry::kSectionShape), pipe.Number(pipe_entry::kRise));
        if (rise > largest) largest = rise;
    }
    return largest;
}

void Editing::UpdateConnectedPipesAtNode(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& NodeEntity,
                                         const std::string& NodeLabel, const std::string& PipesAtStartOID,
                                         const std::string& PipesAtEndOID, const double& SumpLevel,
                                         const int16_t& Matching) {
    RequireFinite("the sump level", SumpLevel);
    WrittenByFollowUps written(AcadActiveDocument);
    for (const std::string* list : {&PipesAtStartOID, &PipesAtEndOID})
        for (const std::string& id : refs::LeadingKeys(*list)) written.AddPipe(OpenPipeRecord(AcadActiveDocument, id));
    written.RequireProfilesFlaggable();
    try {
        MatchPipesAtNode(AcadActiveDocument, NodeEntity, NodeLabel, PipesAtStartOID, PipesAtEndOID, SumpLevel,
                         Matching, nullptr);
    } catch (...) {
        UndoThroughLocksAndRethrow(*general_, AcadActiveDocument, written.Undo());
    }
}

void Editing::MatchPipesAtNode(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& NodeEntity,
                               const std::string& NodeLabel, const std::string& PipesAtStartOID,
                               const std::string& PipesAtEndOID, double SumpLevel, int16_t Matching,
                               const LabelContext* labels) {
    const double largest = LargestRise(AcadActiveDocument, NodeEntity, labels);
    struct Side {
        std::vector<std::string> ids;
        int32_t invert, nodeLabel;
    };
    const Side sides[] = {
        {refs::LeadingKeys(PipesAtStartOID), pipe_entry::kStartInvert, pipe_entry::kStartNodeLabel},
        {refs::LeadingKeys(PipesAtEndOID), pipe_entry::kEndInvert, pipe_entry::kEndNodeLabel}};
    // Every listed object is a pipe before the first one is written.
    for (const Side& side : sides)
        for (const std::string& id : side.ids) OpenPipeRecord(AcadActiveDocument, id);
    if (sides[0].ids.empty() && sides[1].ids.empty()) return;

    const std::string units = labels ? labels->units : general_->GetModelUnits(AcadActiveDocument);
    for (const Side& side : sides) {
        for (const std::string& id : side.ids) {
            // Read afresh: a pipe listed twice, or at both sides, keeps its first change.
            ElementRecord pipe = OpenPipeRecord(AcadActiveDocument, id);
            double rise =
                RiseInLevelUnits(units, pipe.Text(pipe_entry::kSectionShape), pipe.Number(pipe_entry::kRise));
            if (std::optional<double> invert = MatchedInvert(Matching, SumpLevel, largest, rise))
                pipe.Set(side.invert, *invert);
            pipe.Set(side.nodeLabel, refs::Reference(NodeLabel));
            pipe.Write();
            if (labels)
                PassOnPipeChange(*viewStyle_, *general_, *crossing_, *profile_, AcadActiveDocument, id, *labels);
            else
                PassOnPipeChange(*viewStyle_, *crossing_, *profile_, AcadActiveDocument, id);
        }
    }
}

void Editing::UpdateConnectedNodeAtPipe(acad::AcadDocument& AcadActiveDocument, const std::string& NodeOID,
                                        const std::string& PipeLabel, const std::string& PipeOID,
                                        const double& InvertLevel, const double& Rise) {
    RequireFinite("the invert level", InvertLevel);
    RequireFinite("the rise", Rise);
    ElementRecord node = OpenNodeRecord(AcadActiveDocument, NodeOID);
    WrittenByFollowUps written(AcadActiveDocument);
    written.AddNode(node);
    for (const ElementRecord& pipe : PipesAtNode(AcadActiveDocument, node)) written.AddPipe(pipe);
    written.RequireProfilesFlaggable();
    try {
        MatchNodeToPipeEnd(AcadActiveDocument, NodeOID, PipeLabel, PipeOID, InvertLevel, Rise);
    } catch (...) {
        UndoThroughLocksAndRethrow(*general_, AcadActiveDocument, written.Undo());
    }
}

void Editing::MatchNodeToPipeEnd(acad::AcadDocument& AcadActiveDocument, const std::string& NodeOID,
                                 const std::string& PipeLabel, const std::string& PipeOID, double InvertLevel,
                                 double Rise) {
    ElementRecord node = OpenNodeRecord(AcadActiveDocument, NodeOID);
    auto entity = acad::Cast<acad::AcadEntity>(node.Object());
    // Checks every pipe at the node before anything is written.
    const double largest = GetLargestRise(AcadActiveDocument, *entity);
    const std::string label = general_->EntityLabelFromCombined(node.Get(node_entry::kCombinedLabel));
    const int16_t matching = vb::CInt(node.Number(node_entry::kMatchingCode));
    const std::string startIds = node.Text(node_entry::kStartPipeIds);
    const std::string endIds = node.Text(node_entry::kEndPipeIds);

    std::optional<double> sump = MatchedSump(matching, InvertLevel, Rise, largest);
    // Without a rule the sump follows the lowest connected invert; a node without pipes keeps its own.
    if (!sump) sump = LowestConnectedInvert(*this, AcadActiveDocument, node);
    const double level = sump.value_or(node.Number(node_entry::kSumpLevel));

    node.Set(node_entry::kStartPipeLabels,
             RelabelledList(node.Text(node_entry::kStartPipeLabels), startIds, PipeOID, PipeLabel));
    node.Set(node_entry::kEndPipeLabels,
             RelabelledList(node.Text(node_entry::kEndPipeLabels), endIds, PipeOID, PipeLabel));
    node.Set(node_entry::kSumpLevel, level);
    node.Write();

    MatchPipesAtNode(AcadActiveDocument, *entity, label, startIds, endIds, level, matching, nullptr);
    viewStyle_->UpdateAnnotationsAfterEditing(AcadActiveDocument, refs::TrailingAppend("", NodeOID), false);
}

}  // namespace fluvanet
