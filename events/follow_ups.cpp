#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "crossing/crossing_records.h"
#include "crossing/low_high.h"
#include "crossing/low_high_records.h"
#include "editing/pipe_node_records.h"
#include "events/events.h"
#include "platform/safe_array.h"
#include "platform/vb_convert.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::Variant;

namespace {

constexpr std::string_view kPipesForCrossingSet = "SetPipesForCrossing";

bool Listed(General& general, const std::string& id, const std::string& list) {
    return ListedInGrowingList(general, id, list);
}

// The insertion point of the node a single ID reference names, checked to be a node;
// none when the node is gone.
std::optional<acad::Point3> NodePoint(acad::AcadDocument& doc, const std::string& reference) {
    std::shared_ptr<acad::AcadObject> node = ObjectFromIdIfAlive(doc, refs::ReferenceKey(reference));
    if (!node) return std::nullopt;
    RequireNodeRecord(ElementRecord::Read(node));
    return acad::Cast<acad::AcadBlockReference>(node)->InsertionPoint();
}

}  // namespace

void Events::AnalyzeLowHighAfterDeleting(acad::AcadDocument& AcadActiveDocument,
                                         const std::vector<std::string>& ArNodesForLowHighOID) {
    const Variant table = general_->GetNetworkDefinitions(AcadActiveDocument);
    const com::SafeArray& definitions = table.Array();
    const int32_t count = definitions.UBound(1) + 1;
    auto name = [&](int32_t i) { return vb::CStr(definitions.Get(i, 0)); };
    if (name(0).empty()) return;

    // Grouped in memory: selection sets named after the networks would clash for "Water"
    // and "water", whose names the platform takes for one. A name stored twice is one
    // network: the first of its rows.
    struct Group {
        std::string name;
        bool pressure;
        std::vector<std::string> nodes;
    };
    std::vector<Group> groups;
    std::map<std::string, std::size_t> byName;
    for (int32_t i = 0; i < count; ++i) {
        if (name(i).empty() || byName.contains(name(i))) continue;
        byName[name(i)] = groups.size();
        groups.push_back({name(i), vb::CStr(definitions.Get(i, 1)) == "Pressure", {}});
    }

    std::string list;
    // The erase handlers collected these nodes from the drawing: a list of any length.
    for (const std::string& id : ArNodesForLowHighOID) refs::TrailingAppendInPlace(list, id);
    // Nodes erased meanwhile open nothing and are not in it; each node is in it once.
    auto nodes = general_->ConvertOIDStringToSelectionSet(AcadActiveDocument, list);
    const int32_t members = nodes->Count();
    for (int32_t i = 0; i < members; ++i) {
        auto node = nodes->Item(i);
        RequireNodeRecord(ElementRecord::Read(node));
        auto group = byName.find(general_->GetElementNetwork(*node));
        if (group != byName.end()) groups[group->second].nodes.push_back(IdText(*node));
    }
    for (const Group& group : groups)
        if (group.pressure && !group.nodes.empty())
            lowHigh_->BuildLowHighPoints(AcadActiveDocument, group.nodes, group.name);
}

void Events::RebuildPipeCrossingPoints(acad::AcadDocument& AcadActiveDocument, const std::string& ChangedPipeObjectID,
                                       std::string& ErasedEntitesObjectID, std::string& EntitiesToBeErasedObjectID) {
    // Every pipe and annotation is checked before the first is touched.
    struct Changed {
        std::shared_ptr<acad::AcadEntity> pipe;
        std::vector<std::shared_ptr<acad::AcadBlockReference>> annotations;
        std::vector<std::string> gone;
    };
    std::vector<Changed> changed;
    const std::vector<std::string> changedIds = refs::TrailingItems(ChangedPipeObjectID);
    vb::Count16(changedIds.size());  // the host's list
    for (const std::string& pipeId : changedIds) {
        auto object = ObjectFromIdIfAlive(AcadActiveDocument, pipeId);
        if (!object) continue;
        Changed c{acad::Cast<acad::AcadEntity>(object), {}, {}};
        for (const std::string& id :
             refs::LeadingKeys(OpenCrossingPipe(AcadActiveDocument, pipeId).Text(pipe_entry::kCrossingIds))) {
            if (Listed(*general_, id, EntitiesToBeErasedObjectID)) continue;
            // One that names other pipes (the pipe is a copy made while no event reached the
            // library) belongs to them: the pipe only forgets it, as one that is gone.
            auto annotation = ObjectFromIdIfAlive(AcadActiveDocument, id);
            if (!annotation ||
                !NamesBack(ReadCrossingAnnotation(annotation), {crossing_entry::kPipe1Id, crossing_entry::kPipe2Id},
                           pipeId)) {
                c.gone.push_back(id);
                continue;
            }
            c.annotations.push_back(acad::Cast<acad::AcadBlockReference>(annotation));
        }
        changed.push_back(std::move(c));
    }

    auto pipes = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kPipesForCrossingSet));
    {
        // Reported, the annotation's erasure would run its handler a second time.
        EventsOffGuard eventsOff(*general_, AcadActiveDocument);
        for (Changed& c : changed) {
            if (!c.gone.empty()) {
                ElementRecord pipe = OpenCrossingPipe(AcadActiveDocument, IdText(*c.pipe));
                const refs::ParallelLists kept = refs::WithoutIds(
                    pipe.Text(pipe_entry::kCrossingLabels), pipe.Text(pipe_entry::kCrossingIds), c.gone);
                pipe.Set(pipe_entry::kCrossingLabels, Variant(kept.labels));
                pipe.Set(pipe_entry::kCrossingIds, Variant(kept.ids));
                pipe.Write();
            }
            // An annotation between two changed pipes goes with the first.
            for (const auto& annotation : c.annotations) {
                if (annotation->Erased()) continue;
                CrossingAnnoWillBeErased(AcadActiveDocument, *annotation, ErasedEntitesObjectID,
                                         EntitiesToBeErasedObjectID);
                annotation->Delete();
            }
            pipes->AddItems({c.pipe});
        }
        eventsOff.Restore();
    }
    crossing_->BuildCrossingPointsAfterImporting(AcadActiveDocument, *pipes,
                                                 general_->GetModelUnits(AcadActiveDocument));
}

void Events::FlagChangedPipesProfilesForUpdate(acad::AcadDocument& AcadActiveDocument,
                                               const std::string& ChangedPipeObjectID,
                                               const std::string& ErasedEntitesObjectID,
                                               const std::string& EntitiesToBeErasedObjectID) {
    // Every profile is checked before the first is flagged.
    std::vector<std::string> profiles;
    const std::vector<std::string> changedIds = refs::TrailingItems(ChangedPipeObjectID);
    vb::Count16(changedIds.size());  // the host's list
    for (const std::string& pipeId : changedIds) {
        if (!ObjectFromIdIfAlive(AcadActiveDocument, pipeId)) continue;
        const ElementRecord pipe = OpenPipeRecord(AcadActiveDocument, pipeId);
        for (const std::string& profile : refs::LeadingKeys(pipe.Text(pipe_entry::kProfileIds))) {
            if (Listed(*general_, profile, ErasedEntitesObjectID) ||
                Listed(*general_, profile, EntitiesToBeErasedObjectID))
                continue;
            if (!ObjectFromIdIfAlive(AcadActiveDocument, profile)) continue;
            OpenProfileBlock(AcadActiveDocument, profile);
            profiles.push_back(profile);
        }
    }
    for (const std::string& profile : profiles) profile_->FlagProfileForUpdate(AcadActiveDocument, profile);
}

void Events::AdjustPipeEnds(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& PipeEntity) {
    const ElementRecord pipe = OpenPipeRecord(AcadActiveDocument, IdText(PipeEntity));
    std::vector<double> v = PipeEntity.Coordinates();
    if (v.size() < 4)
        com::Raise(com::ErrorCode::InvalidProcedureCall, "pipe " + IdText(PipeEntity) + " has one vertex");
    const std::optional<acad::Point3> start = NodePoint(AcadActiveDocument, pipe.Text(pipe_entry::kStartNodeId));
    const std::optional<acad::Point3> end = NodePoint(AcadActiveDocument, pipe.Text(pipe_entry::kEndNodeId));
    bool off = false;
    auto pull = [&](std::size_t at, const std::optional<acad::Point3>& node) {
        if (!node || AtNodePoint(v[at], v[at + 1], *node)) return;
        v[at] = (*node)[0];
        v[at + 1] = (*node)[1];
        off = true;
    };
    pull(0, start);
    pull(v.size() - 2, end);
    if (off) PipeEntity.SetCoordinates(v);
}

void Events::AdjustLowHighPoint(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& PointEntity) {
    const ElementRecord marker = ElementRecord::Read(ObjectFromId(AcadActiveDocument, IdText(PointEntity)));
    RequireElementType(marker, {element_type::kLowHighPoint}, "a low/high marker");
    const std::optional<acad::Point3> node = NodePoint(AcadActiveDocument, marker.Text(lowhigh_entry::kNodeId));
    if (node) PointEntity.SetInsertionPoint(*node);
}

void Events::AdjustCrossingLine(acad::AcadDocument& AcadActiveDocument, acad::AcadLine& LineEntity) {
    const ElementRecord line = ElementRecord::Read(ObjectFromId(AcadActiveDocument, IdText(LineEntity)));
    RequireElementType(line, {element_type::kCrossingPointLine}, "a crossing leader line");
    std::shared_ptr<acad::AcadObject> object =
        ObjectFromIdIfAlive(AcadActiveDocument, refs::ReferenceKey(line.Text(crossing_line_entry::kAnnotationId)));
    if (!object) return;
    const CrossingPlace crossing = CrossingPlanPoint(ReadCrossingAnnotation(object));
    auto annotation = acad::Cast<acad::AcadBlockReference>(object);

    // The first four entities of the table block start at its corners.
    auto definition = AcadActiveDocument.Blocks()->Item(Variant(annotation->Name()));
    const acad::Point3 at = annotation->InsertionPoint();
    const double turn = annotation->Rotation();
    double best = 1e9, endX = 0, endY = 0;
    for (int32_t i = 0; i < 4; ++i) {
        const acad::Point3 corner = acad::Cast<acad::AcadLine>(definition->Item(i))->StartPoint();
        const double x = at[0] + corner[0] * std::cos(turn) - corner[1] * std::sin(turn);
        const double y = at[1] + corner[0] * std::sin(turn) + corner[1] * std::cos(turn);
        const double distance = std::sqrt((x - crossing.x) * (x - crossing.x) + (y - crossing.y) * (y - crossing.y));
        if (distance < best) {
            best = distance;
            endX = x;
            endY = y;
        }
    }
    LineEntity.SetStartPoint({crossing.x, crossing.y, 0});
    if (best < 1e9) LineEntity.SetEndPoint({endX, endY, 0});
}

}  // namespace fluvanet
