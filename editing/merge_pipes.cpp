#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/plan_arcs.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "editing/sequence_layers.h"
#include "platform/acad_layers.h"
#include "platform/acad_utility.h"
#include "platform/safe_array.h"
#include "platform/ui_log.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

constexpr std::string_view kMergeSet = "TempSetPipesToMerge";
constexpr std::string_view kSelectPrompt = "Select Pipes to Merge:";
constexpr std::string_view kMessageTitle = "Fluvamap";
constexpr std::string_view kOtherNetworks = "The selected pipes are from different networks!";
constexpr std::string_view kOtherMaterials = "The selected pipes include different materials!";
constexpr std::string_view kOtherSizes = "The selected pipes include different sizes!";
constexpr std::string_view kNoSingleLine = "The selected pipes don't represent a single continuous line!";
constexpr std::string_view kLateralConnections = "The selected pipes have lateral connections!";

// The node table's columns.
constexpr int32_t kStartLabelColumn = 0;
constexpr int32_t kEndLabelColumn = 1;
constexpr int32_t kStartIdColumn = 2;
constexpr int32_t kEndIdColumn = 3;
constexpr int32_t kNodeColumns = 4;

// A pipe to merge with the node label references that chain it to the others.
struct MergePipe {
    std::shared_ptr<acad::AcadEntity> entity;
    ElementRecord record;
    std::string start, end;  // [12], [13] as stored
};

MergePipe ReadMergePipe(acad::AcadDocument& doc, const std::shared_ptr<acad::AcadEntity>& entity) {
    ElementRecord record = OpenPipeRecord(doc, IdText(*entity));
    std::string start = record.Text(pipe_entry::kStartNodeLabel);
    std::string end = record.Text(pipe_entry::kEndNodeLabel);
    return {entity, std::move(record), std::move(start), std::move(end)};
}

std::vector<MergePipe> ReadMergePipes(acad::AcadDocument& doc, acad::AcadSelectionSet& set) {
    const int16_t count = vb::Count16(static_cast<std::size_t>(set.Count()));
    std::vector<MergePipe> pipes;
    for (int16_t i = 0; i < count; ++i) pipes.push_back(ReadMergePipe(doc, set.Item(i)));
    return pipes;
}

bool ShareNode(const MergePipe& a, const MergePipe& b) {
    return a.start == b.start || a.start == b.end || a.end == b.start || a.end == b.end;
}

// Two pipes between the same two nodes close a ring, which the neighbour counts, where such a
// pair counts once, take for a line of two: merged, it would run from a node back to it.
bool ClosesRing(const std::vector<MergePipe>& pipes) {
    const int16_t count = vb::Count16(pipes.size());
    for (int16_t i = 1; i < count; ++i)
        for (int16_t j = 0; j < i; ++j) {
            const MergePipe &a = pipes[static_cast<std::size_t>(i)], &b = pipes[static_cast<std::size_t>(j)];
            if ((a.start == b.start && a.end == b.end) || (a.start == b.end && a.end == b.start)) return true;
        }
    return false;
}

// Per pipe, how many other pipes share a node with it; a pair sharing both nodes counts once.
std::vector<int16_t> NeighbourCounts(const std::vector<MergePipe>& pipes) {
    std::vector<int16_t> counts(pipes.size(), 0);
    for (std::size_t i = 1; i < pipes.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (ShareNode(pipes[i], pipes[j])) {
                ++counts[i];
                ++counts[j];
            }
    return counts;
}

SafeArray NodeTable(const std::vector<MergePipe>& pipes) {
    SafeArray table = SafeArray::Matrix(com::VarType::String, vb::Count16(pipes.size()), kNodeColumns);
    for (std::size_t i = 0; i < pipes.size(); ++i) {
        const auto row = static_cast<int32_t>(i);
        table.Put(row, kStartLabelColumn, Variant(pipes[i].start));
        table.Put(row, kEndLabelColumn, Variant(pipes[i].end));
        table.Put(row, kStartIdColumn, Variant(refs::ReferenceKey(pipes[i].record.Text(pipe_entry::kStartNodeId))));
        table.Put(row, kEndIdColumn, Variant(refs::ReferenceKey(pipes[i].record.Text(pipe_entry::kEndNodeId))));
    }
    return table;
}

// What one pipe holds that all pipes of a merge must share.
struct MergeKind {
    std::string network, material, shape;
    double span, rise;
};

MergeKind KindOf(General& general, const ElementRecord& pipe) {
    return {general.EntityNetworkFromCombined(pipe.Get(pipe_entry::kCombinedLabel)),
            pipe.Text(pipe_entry::kMaterial), pipe.Text(pipe_entry::kSectionShape), pipe.Number(pipe_entry::kSpan),
            pipe.Number(pipe_entry::kRise)};
}

// The message that refuses a selection of two pipes or more, empty when it is accepted.
// Pipes are read and checked one by one, so a pipe after the first refused one is not read.
std::string_view SelectionRefusal(Editing& editing, General& general, acad::AcadDocument& doc,
                                  acad::AcadSelectionSet& set) {
    const int16_t count = vb::Count16(static_cast<std::size_t>(set.Count()));
    std::vector<MergePipe> pipes{ReadMergePipe(doc, set.Item(0))};
    const MergeKind first = KindOf(general, pipes[0].record);
    for (int16_t i = 1; i < count; ++i) {
        MergePipe pipe = ReadMergePipe(doc, set.Item(i));
        const MergeKind kind = KindOf(general, pipe.record);
        if (kind.network != first.network) return kOtherNetworks;
        if (kind.material != first.material) return kOtherMaterials;
        if (kind.shape != first.shape || kind.span != first.span || kind.rise != first.rise) return kOtherSizes;
        pipes.push_back(std::move(pipe));
    }
    int16_t ends = 0;
    for (int16_t neighbours : NeighbourCounts(pipes)) {
        if (neighbours == 0) return kNoSingleLine;
        if (neighbours == 1) ++ends;
    }
    if (ends != 2) return kNoSingleLine;
    if (!editing.CheckInternalNodes(doc, NodeTable(pipes), count)) return kLateralConnections;
    if (ClosesRing(pipes)) return kNoSingleLine;
    return {};
}

// The positions of the pipes from the start pipe to the other end, each sharing a node with
// the one before. The start pipe is the later end pipe in set order unless the earlier one
// has the higher start invert.
std::vector<std::size_t> ChainOrder(const std::vector<MergePipe>& pipes) {
    if (ClosesRing(pipes))
        Raise(ErrorCode::InvalidProcedureCall, "the pipes to merge are no open line: two of them share both nodes");
    const std::vector<int16_t> counts = NeighbourCounts(pipes);
    std::optional<std::size_t> e1, e2;
    for (std::size_t i = 0; i < pipes.size(); ++i)
        if (counts[i] == 1) {
            if (!e1) e1 = i;
            e2 = i;
        }
    if (!e1) Raise(ErrorCode::InvalidProcedureCall, "the pipes to merge are no open line: no pipe is an end pipe");
    const std::size_t start = pipes[*e2].record.Number(pipe_entry::kStartInvert) >=
                                      pipes[*e1].record.Number(pipe_entry::kStartInvert)
                                  ? *e2
                                  : *e1;

    std::vector<std::size_t> order{start};
    std::vector<bool> taken(pipes.size(), false);
    taken[start] = true;
    while (order.size() < pipes.size()) {
        const MergePipe& last = pipes[order.back()];
        std::optional<std::size_t> next;
        for (std::size_t i = 0; i < pipes.size() && !next; ++i)
            if (!taken[i] && ShareNode(pipes[i], last)) next = i;
        // A ring beside the line passes the neighbour counts but is never reached.
        if (!next)
            Raise(ErrorCode::InvalidProcedureCall,
                  "the pipes to merge are no single line: " + std::to_string(pipes.size() - order.size()) +
                      " of them are not reached from the start pipe");
        taken[*next] = true;
        order.push_back(*next);
    }
    return order;
}

Variant CoordinatesOf(const MergePipe& pipe) {
    return Variant(SafeArray::FromDoubles(acad::Cast<acad::AcadLWPolyline>(pipe.entity)->Coordinates()));
}

std::vector<double> BulgesOf(const MergePipe& pipe) {
    return plan::PolylineBulges(*acad::Cast<acad::AcadLWPolyline>(pipe.entity));
}

}  // namespace

std::shared_ptr<acad::AcadSelectionSet> Editing::GetPipesToMerge(acad::AcadDocument& AcadActiveDocument) {
    auto set = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kMergeSet));
    try {
        AcadActiveDocument.SendCommand(vb::Chr(27));
        AcadActiveDocument.Utility()->Prompt(std::string(kSelectPrompt));
        set->SelectOnScreen(Variant(SafeArray::FromInt16s({1001, 0})),
                            Variant(SafeArray::FromVariants({Variant(kAppName), Variant("LWPOLYLINE")})));
        if (set->Count() < 2) return set;
        const std::string_view refusal = SelectionRefusal(*this, *general_, AcadActiveDocument, *set);
        if (refusal.empty()) return set;
        vb::MsgBox(std::string(refusal), vb::vbCritical, std::string(kMessageTitle));
    } catch (const com::Error&) {
        // Any error refuses the selection without a message.
    }
    try {
        set->Clear();
    } catch (const com::Error&) {
    }
    return set;
}

bool Editing::CheckInternalNodes(acad::AcadDocument& AcadActiveDocument, const SafeArray& ArNodes,
                                 const int16_t& CountPipes) {
    // The host's table, however few of its rows are counted.
    if (ArNodes.Dims() >= 1) vb::Count16(static_cast<std::size_t>(int64_t{ArNodes.UBound(1)} - ArNodes.LBound(1) + 1));
    auto cell = [&](int32_t row, int32_t column) { return vb::CStr(ArNodes.Get(row, column)); };
    // As many slots as a single line has inner nodes; a pair beyond them overflows.
    const std::size_t slots = CountPipes > 1 ? static_cast<std::size_t>(CountPipes - 1) : 0;
    std::vector<std::string> inner;
    for (int32_t i = 0; i < CountPipes; ++i) {
        const std::string start = cell(i, kStartLabelColumn), end = cell(i, kEndLabelColumn);
        for (int32_t j = i + 1; j < CountPipes; ++j) {
            const std::string otherStart = cell(j, kStartLabelColumn), otherEnd = cell(j, kEndLabelColumn);
            std::string id;
            if (start == otherStart || start == otherEnd)
                id = cell(i, kStartIdColumn);
            else if (end == otherStart || end == otherEnd)
                id = cell(i, kEndIdColumn);
            else
                continue;
            if (inner.size() == slots)
                Raise(ErrorCode::SubscriptOutOfRange, "the " + std::to_string(CountPipes) +
                                                          " pipes share more nodes than one line has inner nodes");
            inner.push_back(id);
        }
    }
    for (const std::string& id : inner) {
        ElementRecord node = OpenNodeRecord(AcadActiveDocument, id);
        std::size_t pipes = refs::LeadingItems(node.Text(node_entry::kStartPipeLabels)).size() +
                            refs::LeadingItems(node.Text(node_entry::kEndPipeLabels)).size();
        if (pipes > 2) return false;
    }
    return true;
}

std::shared_ptr<acad::AcadLWPolyline> Editing::CreateMergedPipe(
    acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetPipesToMerge,
    std::vector<std::shared_ptr<acad::AcadEntity>>& ArFinalSequencePipes, std::string& CrossPointLabelsString,
    std::string& CrossPointOIDsString) {
    CrossPointLabelsString.clear();
    CrossPointOIDsString.clear();
    const std::vector<MergePipe> pipes = ReadMergePipes(AcadActiveDocument, SetPipesToMerge);
    std::string crossingLabels, crossingIds;
    for (const MergePipe& pipe : pipes) {
        crossingLabels += pipe.record.Text(pipe_entry::kCrossingLabels);
        crossingIds += pipe.record.Text(pipe_entry::kCrossingIds);
    }
    const std::vector<std::size_t> order = ChainOrder(pipes);

    // The whole line is known before anything is drawn, arcs and all. Each pipe joins it at
    // the node it shares with the one before: where two nodes lie on one place, as the ends of
    // a line closing in plan, the vertices alone would join it at the wrong end.
    const MergePipe& head = pipes[order[0]];
    const bool headTurned = head.start == pipes[order[1]].start || head.start == pipes[order[1]].end;
    std::string joint = headTurned ? head.start : head.end;
    plan::Path merged{CoordinatesOf(head).Array().ToDoubles(), BulgesOf(head)};
    for (std::size_t k = 1; k < order.size(); ++k) {
        const MergePipe& pipe = pipes[order[k]];
        const bool turned = pipe.start != joint;
        if (turned && pipe.end != joint)
            Raise(ErrorCode::InvalidProcedureCall,
                  "the pipes to merge are no single line: pipe " + IdText(*pipe.entity) +
                      " meets the one before away from the end of the line");
        merged = JoinPaths(Variant(SafeArray::FromDoubles(merged.coordinates)), merged.bulges, k == 1 && headTurned,
                           CoordinatesOf(pipe), BulgesOf(pipe), turned);
        joint = turned ? pipe.start : pipe.end;
    }
    const std::string layer = pipes[0].entity->Layer();
    // Every step of the merge, the host's low/high classification included, meets its locks
    // here: a lock met later would stop the merge halfway.
    std::vector<ElementRecord> chain;
    for (std::size_t k : order) chain.push_back(pipes[k].record);
    MergeLayers(*general_, AcadActiveDocument, chain, layer).Require();

    auto polyline = AcadActiveDocument.ModelSpace()->AddLightWeightPolyline(merged.coordinates);
    try {
        plan::SetPolylineBulges(*polyline, merged.bulges);
        polyline->SetLayer(layer);
    } catch (const com::Error&) {
        try {
            polyline->Delete();
        } catch (const com::Error&) {
        }
        throw;
    }

    ArFinalSequencePipes.clear();
    for (std::size_t k : order) ArFinalSequencePipes.push_back(pipes[k].entity);
    CrossPointLabelsString = std::move(crossingLabels);
    CrossPointOIDsString = std::move(crossingIds);
    return polyline;
}

}  // namespace fluvanet
