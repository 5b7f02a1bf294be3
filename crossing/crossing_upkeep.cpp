#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/plan_arcs.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "crossing/crossing_records.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "profile/profile.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;

namespace {

std::string PipeKey(const ElementRecord& annotation, int32_t entry) {
    return refs::ReferenceKey(annotation.Text(entry));
}

// The profile service takes the pipes' identifiers, not their references.
CrossPoint FlagRecord(std::string pipe1Id, std::string pipe2Id) {
    CrossPoint flag;
    flag.Pipe1OID = std::move(pipe1Id);
    flag.Pipe2OID = std::move(pipe2Id);
    return flag;
}

std::shared_ptr<acad::AcadBlockReference> OpenAnnotation(const std::shared_ptr<acad::AcadObject>& object) {
    ReadCrossingAnnotation(object);
    return acad::Cast<acad::AcadBlockReference>(object);
}

}  // namespace

void ForgetCrossing(ElementRecord& pipe, const std::string& annotationLabel, const std::string& annotationId) {
    const refs::ParallelLists kept = refs::WithoutElement(
        pipe.Text(pipe_entry::kCrossingLabels), pipe.Text(pipe_entry::kCrossingIds), annotationLabel, annotationId);
    pipe.Set(pipe_entry::kCrossingLabels, Variant(kept.labels));
    pipe.Set(pipe_entry::kCrossingIds, Variant(kept.ids));
}

void Crossing::DeleteNetworkCrossings(acad::AcadDocument& AcadActiveDocument, const std::string& NetName) {
    // No network is named "": the empty name would take every annotation, and the pipes of
    // both sides would keep their references to them.
    if (NetName.empty()) return;
    // Called on its own too: a lock met midway would leave pipes listing erased annotations.
    UnlockedLayersGuard unlocked(*general_, AcadActiveDocument);
    auto annotations = GetExistingCrossingPointsSet(AcadActiveDocument, NetName);
    const int32_t count = annotations->Count();

    // Every member, its leader and the pipes are checked before the first deletion.
    struct Doomed {
        std::string label, id;
        std::shared_ptr<acad::AcadLine> leader;  // nullptr when gone
        std::string otherPipe;                   // "" when gone: it has nothing to lose
        CrossPoint flag;
    };
    std::vector<Doomed> doomed;
    for (int32_t i = 0; i < count; ++i) {
        auto annotation = annotations->Item(i);
        ElementRecord record = ReadCrossingAnnotation(annotation);
        const bool firstIsDeleted = record.Text(crossing_entry::kPipe1Net) == NetName;
        const int32_t ownEntry = firstIsDeleted ? crossing_entry::kPipe1Id : crossing_entry::kPipe2Id;
        const int32_t otherEntry = firstIsDeleted ? crossing_entry::kPipe2Id : crossing_entry::kPipe1Id;
        const std::string own = PipeKey(record, ownEntry);
        OpenCrossingPipe(AcadActiveDocument, own);
        std::string other = PipeKey(record, otherEntry);
        if (ObjectFromIdIfAlive(AcadActiveDocument, other))
            OpenCrossingPipe(AcadActiveDocument, other);
        else
            other.clear();
        CrossPoint flag = firstIsDeleted ? FlagRecord(own, other) : FlagRecord(other, own);
        doomed.push_back({general_->EntityLabelFromCombined(record.Get(crossing_entry::kCombinedLabel)),
                          IdText(*annotation), LiveLeaderLine(AcadActiveDocument, record), std::move(other),
                          std::move(flag)});
    }

    std::vector<CrossPoint> flags;
    for (const Doomed& d : doomed) {
        if (d.leader) d.leader->Delete();
        if (!d.otherPipe.empty()) {
            // Read fresh: one pipe may lose several annotations.
            ElementRecord pipe = OpenCrossingPipe(AcadActiveDocument, d.otherPipe);
            ForgetCrossing(pipe, d.label, d.id);
            pipe.Write();
        }
        flags.push_back(d.flag);
    }
    if (count > 0) annotations->Erase();
    profile_->FlagProfilesOfCrossings(AcadActiveDocument, flags);
    unlocked.Restore();
}

void Crossing::UpdateCrossingsAfterEditing(acad::AcadDocument& AcadActiveDocument, const std::string& EditedPipeOID) {
    auto updated = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kUpdatedAnnotationsSet));
    std::string ids = OpenCrossingPipe(AcadActiveDocument, EditedPipeOID).Text(pipe_entry::kCrossingIds);
    if (ids.empty()) return;

    std::vector<CrossPoint> flags;
    for (const std::string& id : refs::LeadingKeys(ids)) {
        // An annotation already gone is passed over.
        auto object = ObjectFromIdIfAlive(AcadActiveDocument, id);
        if (!object) continue;
        auto annotation = OpenAnnotation(object);
        UpdateCrossingData(AcadActiveDocument, *annotation);
        updated->AddItems({annotation});
        ElementRecord record = ReadCrossingAnnotation(annotation);
        flags.push_back(FlagRecord(PipeKey(record, crossing_entry::kPipe1Id), PipeKey(record, crossing_entry::kPipe2Id)));
    }
    ApplyCrossingSettings(AcadActiveDocument, *updated, false);
    profile_->FlagProfilesOfCrossings(AcadActiveDocument, flags);
}

void Crossing::UpdateCrossingData(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& MyCrossingAnno) {
    // Everything is read and computed before the first write.
    auto annotation = std::static_pointer_cast<acad::AcadObject>(MyCrossingAnno.shared_from_this());
    ElementRecord record = ReadCrossingAnnotation(annotation);
    std::shared_ptr<acad::AcadLWPolyline> pipes[2];
    for (int side = 0; side < 2; ++side) {
        ElementRecord pipe = OpenCrossingPipe(
            AcadActiveDocument, PipeKey(record, side == 0 ? crossing_entry::kPipe1Id : crossing_entry::kPipe2Id));
        pipes[side] = acad::Cast<acad::AcadLWPolyline>(pipe.Object());
    }
    const CrossingPlace point = CrossingPlanPoint(record);
    const std::string net1 = record.Text(crossing_entry::kPipe1Net), net2 = record.Text(crossing_entry::kPipe2Net);
    const std::string oldLabel = general_->EntityLabelFromCombined(record.Get(crossing_entry::kCombinedLabel));
    const std::vector<double> at{point.x, point.y, 0};
    std::vector<std::string> data1 = GetCrossingDataOfPipe(AcadActiveDocument, *pipes[0], at);
    std::vector<std::string> data2 = GetCrossingDataOfPipe(AcadActiveDocument, *pipes[1], at);
    std::shared_ptr<acad::AcadLine> leader = LiveLeaderLine(AcadActiveDocument, record);
    auto attributes = AnnotationAttributes(MyCrossingAnno);
    // Stopped by a locked layer midway, the pipes would name a label the annotation does not.
    for (const auto& pipe : pipes) RequireUnlockedLayer(AcadActiveDocument, pipe->Layer());
    RequireUnlockedLayer(AcadActiveDocument, MyCrossingAnno.Layer());
    if (leader) RequireUnlockedLayer(AcadActiveDocument, leader->Layer());
    for (int16_t i = 0; i < kAnnotationTextCount; ++i)
        RequireUnlockedLayer(AcadActiveDocument, attributes[static_cast<std::size_t>(i)]->Layer());

    const double invert1 = vb::Val(data1[1]), invert2 = vb::Val(data2[1]);
    const double rise1 = vb::Val(data1[2]), rise2 = vb::Val(data2[2]);
    const double clearance = CrossingClearance(invert1, invert2, rise1, rise2);
    const std::string crossing = CrossingLabel(net1, data1[0], net2, data2[0]);
    const std::string annotationLabel = AnnotationLabel(crossing), lineLabel = LineLabel(crossing);

    // [21] stays: the annotation keeps its identifier. Its label changes at its own place
    // only: another crossing of the pipe may carry the old label too.
    const std::string annotationId = IdText(MyCrossingAnno);
    for (const auto& pipe : pipes) {
        ElementRecord fresh = OpenCrossingPipe(AcadActiveDocument, IdText(*pipe));
        fresh.Set(pipe_entry::kCrossingLabels,
                  Variant(refs::Relabelled(fresh.Text(pipe_entry::kCrossingLabels), fresh.Text(pipe_entry::kCrossingIds),
                                           annotationId, oldLabel, annotationLabel)));
        fresh.Write();
    }

    record.Set(crossing_entry::kCombinedLabel, Variant(CrossingCombinedLabel(kAnnotationKind, annotationLabel)));
    record.Set(crossing_entry::kPipe1Label, Variant(refs::Reference(data1[0])));
    record.Set(crossing_entry::kPipe2Label, Variant(refs::Reference(data2[0])));
    record.Set(crossing_entry::kPipe1Rise, Variant(rise1));
    record.Set(crossing_entry::kPipe2Rise, Variant(rise2));
    record.Set(crossing_entry::kPipe1Size, Variant(data1[3]));
    record.Set(crossing_entry::kPipe2Size, Variant(data2[3]));
    record.Set(crossing_entry::kClearance, Variant(clearance));
    record.Set(crossing_entry::kLineLabel, Variant(refs::Reference(lineLabel)));
    record.Write();

    if (leader) {
        ElementRecord line = ElementRecord::Read(leader);
        line.Set(crossing_line_entry::kCombinedLabel, Variant(CrossingCombinedLabel(kLineKind, lineLabel)));
        line.Set(crossing_line_entry::kAnnotationLabel, Variant(refs::Reference(annotationLabel)));
        line.Write();
    }

    auto texts = CrossingTexts({net1, data1[3], invert1}, {net2, data2[3], invert2}, clearance);
    for (int16_t i = 0; i < kAnnotationTextCount; ++i)
        attributes[static_cast<std::size_t>(i)]->SetTextString(texts[static_cast<std::size_t>(i)]);
}

std::vector<std::string> Crossing::GetCrossingDataOfPipe(acad::AcadDocument& AcadActiveDocument,
                                                         acad::AcadLWPolyline& MyPipe, const std::vector<double>& IntPnt) {
    if (IntPnt.size() < 2) Raise(ErrorCode::SubscriptOutOfRange, "the crossing point has no x and y");
    auto pipe = std::static_pointer_cast<acad::AcadObject>(MyPipe.shared_from_this());
    ElementRecord record = ElementRecord::Read(pipe);
    RequireElementType(record, {element_type::kGravityPipe, element_type::kPressurePipe}, "a pipe");
    // A point on no segment has station 0 and so the start invert: the point is the one the
    // crossing was found at, and the pipe may have been changed since.
    const double station = general_->GetStation(Variant(pipe), IntPnt[0], IntPnt[1]);
    const double invert = InvertAt(record.Number(pipe_entry::kStartInvert), record.Number(pipe_entry::kEndInvert),
                                   plan::PerPlanLength(station, MyPipe.Length()));
    const double rise = RiseInLevelUnits(general_->GetModelUnits(AcadActiveDocument),
                                         record.Text(pipe_entry::kSectionShape), record.Number(pipe_entry::kRise));
    return {general_->EntityLabelFromCombined(record.Get(pipe_entry::kCombinedLabel)), vb::CStr(invert),
            vb::CStr(rise), general_->BuildSectionSizeString(record.ValuesVariant())};
}

}  // namespace fluvanet
