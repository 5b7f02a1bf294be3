#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/acad_utility.h"
#include "platform/safe_array.h"
#include "platform/ui_log.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "platform/wildcard.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

constexpr std::string_view kPipeKind = "Pipe";

// A pipe of a set with the node references that chain it to the others.
struct ChainPipe {
    std::shared_ptr<acad::AcadEntity> entity;
    ElementRecord record;
    std::string start;  // [12]
    std::string end;    // [13]
};

std::vector<ChainPipe> ReadChainPipes(acad::AcadSelectionSet& set) {
    const int32_t count = set.Count();
    std::vector<ChainPipe> pipes;
    for (int32_t i = 0; i < count; ++i) {
        auto entity = set.Item(i);
        ElementRecord record = ElementRecord::Read(entity);
        RequireElementType(record, {element_type::kGravityPipe, element_type::kPressurePipe}, "a pipe");
        std::string start = record.Text(pipe_entry::kStartNodeLabel);
        std::string end = record.Text(pipe_entry::kEndNodeLabel);
        pipes.push_back({std::move(entity), std::move(record), std::move(start), std::move(end)});
    }
    return pipes;
}

// How many other pipes of the set hold pipe i's start node, and how many its end node.
struct SharedEnds {
    int32_t start = 0;
    int32_t end = 0;
};

bool Holds(const ChainPipe& pipe, const std::string& node) { return pipe.start == node || pipe.end == node; }

SharedEnds CountShared(const std::vector<ChainPipe>& pipes, std::size_t i) {
    SharedEnds shared;
    for (std::size_t j = 0; j < pipes.size(); ++j) {
        if (j == i) continue;
        if (Holds(pipes[j], pipes[i].start)) ++shared.start;
        if (Holds(pipes[j], pipes[i].end)) ++shared.end;
    }
    return shared;
}

std::vector<double> PipeCoordinates(const std::shared_ptr<acad::AcadObject>& pipe) {
    auto polyline = std::dynamic_pointer_cast<acad::AcadLWPolyline>(pipe);
    if (!polyline) Raise(ErrorCode::TypeMismatch, "pipe " + IdText(*pipe) + " is not a lightweight polyline");
    return polyline->Coordinates();
}

struct FreeEnd {
    std::size_t pipe;
    int32_t direction;  // 0 from the first vertex, 1 from the last
    double x, y;
};

// Kind "Pipe" and exactly this network: a wildcard in the filter can match no more than that.
bool IsPipeOfNetwork(General& general, const ElementRecord& record, const std::string& network) {
    const Variant& combined = record.Get(pipe_entry::kCombinedLabel);
    return vb::CStr(combined).starts_with(std::string(kPipeKind) + ";") &&
           general.EntityNetworkFromCombined(combined) == network;
}

}  // namespace

Variant Profile::SelectPipesForProfile(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName) {
    auto set = general_->InitializeSelectionSet(AcadActiveDocument, "SetPipesBySelection");
    Variant codes(SafeArray::FromInt16s({1001, 1000}));
    Variant values(SafeArray::FromVariants(
        {Variant(kAppName), Variant(PipeCombinedLabel(acad::WildcardEscape(NetworkName), "*"))}));
    AcadActiveDocument.SendCommand(vb::Chr(27));
    auto utility = AcadActiveDocument.Utility();
    utility->Prompt("Select profile pipes:");
    set->SelectOnScreen(codes, values);

    std::vector<std::shared_ptr<acad::AcadEntity>> foreign;
    const int32_t count = set->Count();
    for (int32_t i = 0; i < count; ++i) {
        auto entity = set->Item(i);
        if (!IsPipeOfNetwork(*general_, ElementRecord::Read(entity), NetworkName)) foreign.push_back(std::move(entity));
    }
    if (!foreign.empty()) set->RemoveItems(foreign);

    if (set->Count() == 0) return Variant();
    if (set->Count() > 1 && !CheckProfilePipesConnectivity(*set)) {
        vb::MsgBox("The selected pipes don't represent a single continuous line!", vb::vbCritical, "Fluvamap");
        return Variant();
    }
    acad::Point3 point = utility->GetPoint({}, "Pick profile start point:");
    std::vector<std::string> lists =
        GetSortedPipesArray(AcadActiveDocument, *set, Variant(SafeArray::FromDoubles({point[0], point[1], point[2]})));
    return Variant(SafeArray::FromStrings(lists));
}

bool Profile::CheckProfilePipesConnectivity(acad::AcadSelectionSet& SetPipes) {
    std::vector<ChainPipe> pipes = ReadChainPipes(SetPipes);
    if (pipes.size() == 1) return true;
    int32_t freeEnds = 0;
    for (std::size_t i = 0; i < pipes.size(); ++i) {
        SharedEnds shared = CountShared(pipes, i);
        if (shared.start > 1 || shared.end > 1) return false;  // a branch
        if (shared.start == 0 && shared.end == 0) return false;  // a pipe on its own
        if (shared.start == 0 || shared.end == 0) ++freeEnds;
    }
    // A ring has none, separate chains have four or more.
    return freeEnds == 2;
}

std::vector<std::string> Profile::GetSortedPipesArray(acad::AcadDocument& /*AcadActiveDocument*/,
                                                      acad::AcadSelectionSet& SetPipes, const Variant& UserPoint) {
    std::vector<ChainPipe> pipes = ReadChainPipes(SetPipes);
    std::vector<FreeEnd> ends;
    for (std::size_t i = 0; i < pipes.size() && ends.size() < 2; ++i) {
        SharedEnds shared = CountShared(pipes, i);
        if (shared.start != 0 && shared.end != 0) continue;
        std::vector<double> c = PipeCoordinates(pipes[i].entity);
        if (shared.start == 0) ends.push_back({i, 0, c[0], c[1]});
        if (shared.end == 0 && ends.size() < 2) ends.push_back({i, 1, c[c.size() - 2], c[c.size() - 1]});
    }
    if (ends.size() < 2)
        Raise(ErrorCode::InvalidProcedureCall, "the pipes have no two free ends: they are no open line");

    const SafeArray& point = UserPoint.Array();
    double px = vb::CDbl(point.Get(0));
    double py = vb::CDbl(point.Get(1));
    auto distance = [&](const FreeEnd& end) { return std::sqrt((end.x - px) * (end.x - px) + (end.y - py) * (end.y - py)); };
    // A tie starts at the end found second.
    const FreeEnd& first = distance(ends[0]) >= distance(ends[1]) ? ends[1] : ends[0];

    std::vector<std::string> lists(3);
    std::vector<bool> taken(pipes.size(), false);
    std::size_t current = first.pipe;
    int32_t direction = first.direction;
    for (std::size_t step = 0; step < pipes.size(); ++step) {
        const ChainPipe& pipe = pipes[current];
        taken[current] = true;
        lists[0] += refs::Reference(general_->EntityLabelFromCombined(pipe.record.Get(pipe_entry::kCombinedLabel)));
        lists[1] += refs::Reference(IdText(*pipe.entity));
        lists[2] += ";" + std::to_string(direction);
        if (step + 1 == pipes.size()) break;

        const std::string& farNode = direction == 0 ? pipe.end : pipe.start;
        // Pipes already in the line are passed over, so no pipe is listed twice.
        bool found = false;
        for (std::size_t j = 0; j < pipes.size() && !found; ++j) {
            if (taken[j]) continue;
            if (pipes[j].start == farNode) {
                current = j, direction = 0, found = true;
            } else if (pipes[j].end == farNode) {
                current = j, direction = 1, found = true;
            }
        }
        if (!found)
            Raise(ErrorCode::InvalidProcedureCall, "the line breaks off after pipe " + IdText(*pipe.entity) + ": " +
                                                       std::to_string(pipes.size() - step - 1) +
                                                       " pipes are not reached");
    }
    return lists;
}

std::vector<double> Profile::GetProfileStartFromDirection(acad::AcadDocument& AcadActiveDocument,
                                                          const std::string& PipesOIDString,
                                                          const int16_t& DirectionIndex) {
    double lowest = 1e9;
    double highest = -1e9;
    std::vector<double> lowPoint{0, 0};
    std::vector<double> highPoint{0, 0};
    for (const std::string& id : refs::LeadingItems(PipesOIDString)) {
        ElementRecord record = OpenPipeRecord(AcadActiveDocument, id);
        std::vector<double> c = PipeCoordinates(record.Object());
        std::vector<double> first{c[0], c[1]};
        std::vector<double> last{c[c.size() - 2], c[c.size() - 1]};
        double start = record.Number(pipe_entry::kStartInvert);
        double end = record.Number(pipe_entry::kEndInvert);
        // Strict comparisons: of equal levels the end met first stays.
        if (start < lowest) lowest = start, lowPoint = first;
        if (start > highest) highest = start, highPoint = first;
        if (end < lowest) lowest = end, lowPoint = last;
        if (end > highest) highest = end, highPoint = last;
    }
    return DirectionIndex == 0 ? lowPoint : highPoint;
}

}  // namespace fluvanet
