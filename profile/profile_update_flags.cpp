#include <cmath>
#include <string>
#include <vector>

#include "core/general.h"
#include "core/layer_state.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile.h"
#include "profile/profile_drawing.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;

namespace {

constexpr std::string_view kStampLayer = "Profile - Stamp";
constexpr std::string_view kStampText = "NeedsUpdate";
constexpr std::string_view kStampColor = "1";
constexpr double kStampRotation = 3.141592654 / 9;
constexpr int32_t kMiddleCentre = 10;

// A profile is flagged and stamped once.
bool Stamped(const ElementRecord& profile) { return profile.Number(profile_entry::kNeedsUpdate) == 1; }

// "1" for "0", and "0" for any other direction.
std::string OppositeDirection(std::string_view direction) { return direction == "0" ? "1" : "0"; }

// A crossing names its pipes by plain identifier or by whole ID reference.
std::string CrossingPipeKey(const std::string& id) {
    return vb::Left(id, 10) == refs::Reference("") ? refs::ReferenceKey(id) : id;
}

struct PlanPoint {
    double x, y;
};

PlanPoint FirstVertex(const std::vector<double>& v) { return {v.at(0), v.at(1)}; }
PlanPoint LastVertex(const std::vector<double>& v) { return {v.at(v.size() - 2), v.at(v.size() - 1)}; }

double Distance(PlanPoint a, PlanPoint b) {
    double dx = b.x - a.x;
    double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

void AddLayersToFlag(LayersToWrite& layers, const ProfileBlockRecord& profile) {
    if (Stamped(profile.record)) return;
    layers.Entity(*profile.block).ActiveLayer();
}

void Profile::FlagProfileForUpdate(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileOID) {
    ProfileBlockRecord profile = OpenProfileBlock(AcadActiveDocument, ProfileOID);
    ElementRecord& record = profile.record;
    if (Stamped(record)) return;
    // Met before the probe, which a locked active layer would keep in the drawing.
    LayersToWrite layers(AcadActiveDocument);
    AddLayersToFlag(layers, profile);
    layers.Require();
    std::string blockName = profile.block->Name();

    // Measured on a reference of its own at the origin, whatever the profile's placement.
    acad::Point3 low{}, high{};
    auto probe = AcadActiveDocument.ModelSpace()->InsertBlock({0, 0, 0}, blockName, 1, 1, 1, 0);
    TemporaryEntityGuard deleted(probe);
    probe->GetBoundingBox(low, high);
    deleted.Restore();
    double width = std::abs(high[0] - low[0]);
    double height = std::abs(high[1] - low[1]);

    ElementRecord unflagged = record;
    record.Set(profile_entry::kNeedsUpdate, Variant(int16_t{1}));
    record.Write();
    std::shared_ptr<acad::AcadText> stamp;
    try {
        AcadActiveDocument.Layers()->Add(std::string(kStampLayer));
        general_->SetLayerColor(AcadActiveDocument, std::string(kStampLayer), std::string(kStampColor));
        acad::Point3 at{width / 2, height / 3, 0};
        stamp = AcadActiveDocument.Blocks()->Item(Variant(blockName))->AddText(std::string(kStampText), at, height / 4);
        stamp->SetAlignment(kMiddleCentre);
        stamp->SetTextAlignmentPoint(at);
        stamp->SetRotation(kStampRotation);
        stamp->SetLayer(std::string(kStampLayer));
    } catch (...) {
        // A flag without its stamp would keep the profile from ever being stamped.
        try {
            if (stamp) stamp->Delete();
            unflagged.Write();
        } catch (const com::Error&) {
        }
        throw;
    }
}

void Profile::FlagProfilesRelatedToCrossingPoints(acad::AcadDocument& AcadActiveDocument,
                                                  const std::vector<CrossPoint>& ArCrossPoints) {
    vb::Count16(ArCrossPoints.size());  // the host's list
    FlagProfilesOfCrossings(AcadActiveDocument, ArCrossPoints);
}

void Profile::FlagProfilesOfCrossings(acad::AcadDocument& AcadActiveDocument,
                                      const std::vector<CrossPoint>& ArCrossPoints) {
    // Every pipe and every profile is opened and checked before the first flag.
    std::vector<std::string> profiles;
    for (const CrossPoint& crossing : ArCrossPoints) {
        for (const std::string* id : {&crossing.Pipe1OID, &crossing.Pipe2OID}) {
            std::string key = CrossingPipeKey(*id);
            if (key.empty()) continue;  // the empty record of a list without crossings
            ElementRecord pipe = OpenPipeRecord(AcadActiveDocument, key);
            for (std::string& profile : refs::LeadingKeys(pipe.Text(pipe_entry::kProfileIds)))
                profiles.push_back(std::move(profile));
        }
    }
    for (const std::string& profile : profiles) OpenProfileBlock(AcadActiveDocument, profile);
    // A profile through both pipes finds itself flagged the second time.
    for (const std::string& profile : profiles) FlagProfileForUpdate(AcadActiveDocument, profile);
}

void Profile::ReversePipeDirectionInProfile(acad::AcadDocument& AcadActiveDocument, const std::string& PipeOID,
                                            const std::string& ProfileOID) {
    ElementRecord record = OpenProfileBlock(AcadActiveDocument, ProfileOID).record;
    std::vector<std::string> ids = refs::LeadingItems(record.Text(profile_entry::kPipeIds));
    std::vector<std::string> directions = refs::LeadingItems(record.Text(profile_entry::kPipeDirections));
    if (ids.size() != directions.size())
        Raise(ErrorCode::SubscriptOutOfRange, "profile " + ProfileOID + " lists " + std::to_string(ids.size()) +
                                                  " pipes and " + std::to_string(directions.size()) + " directions");
    std::string reversed = refs::ReferenceItem(PipeOID);
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (ids[i] == reversed) directions[i] = OppositeDirection(directions[i]);
    record.Set(profile_entry::kPipeDirections, Variant(refs::LeadingList(directions)));
    record.Write();
}

std::string Profile::GetMergedPipeDirectionInProfile(acad::AcadDocument& AcadActiveDocument,
                                                     acad::AcadLWPolyline& NewPipe, const std::string& OldPipeOID,
                                                     const std::string& OldPipeDirection) {
    std::vector<double> old = acad::Cast<acad::AcadLWPolyline>(ObjectFromId(AcadActiveDocument, OldPipeOID))->Coordinates();
    std::vector<double> merged = NewPipe.Coordinates();
    PlanPoint os = FirstVertex(old), oe = LastVertex(old);
    PlanPoint ns = FirstVertex(merged), ne = LastVertex(merged);
    double d1 = Distance(ns, os), d2 = Distance(ne, oe), d3 = Distance(ns, oe), d4 = Distance(ne, os);
    // Only a strictly shorter distance replaces: a tie goes to the earlier one.
    double m = d1;
    for (double d : {d2, d3, d4})
        if (d < m) m = d;
    if (m == d1 || m == d2) return OldPipeDirection;
    return OppositeDirection(OldPipeDirection);
}

void Profile::DeleteProfileReferenceFromPipe(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileName,
                                             const std::string& ProfileOID, const std::string& PipeOID,
                                             const std::string& ErasedEntitesObjectID,
                                             const std::string& EntitiesToBeErasedObjectID) {
    // A pipe on its way out keeps its references.
    if (ListedInGrowingList(*general_, PipeOID, ErasedEntitesObjectID) ||
        ListedInGrowingList(*general_, PipeOID, EntitiesToBeErasedObjectID))
        return;
    if (!ObjectFromIdIfAlive(AcadActiveDocument, PipeOID)) return;
    ElementRecord record = OpenPipeRecord(AcadActiveDocument, PipeOID);
    const refs::ParallelLists kept = refs::WithoutElement(
        record.Text(pipe_entry::kProfileLabels), record.Text(pipe_entry::kProfileIds), ProfileName, ProfileOID);
    record.Set(pipe_entry::kProfileLabels, Variant(kept.labels));
    record.Set(pipe_entry::kProfileIds, Variant(kept.ids));
    record.Write();
}

}  // namespace fluvanet
