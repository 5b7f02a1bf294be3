#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "core/types.h"
#include "crossing/crossing_records.h"
#include "editing/pipe_node_records.h"
#include "events/events.h"
#include "platform/safe_array.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

// Entry 4 of a label block's, arrow's or low/high marker's record: the ID reference to its
// owner.
constexpr int32_t kOwnerIdEntry = 4;

bool Listed(General& general, const std::string& id, const std::string& list) {
    return !id.empty() && ListedInGrowingList(general, id, list);
}

void Append(std::string& list, const std::string& id) { refs::TrailingAppendInPlace(list, id); }

// The key of a single reference to a dependant of `owner` that is still there, checked to
// be of `type`; "" for an empty reference, an object that is gone, or one that names
// another owner (the dependant of the element a copy was made from).
std::string DependantKey(acad::AcadDocument& doc, const std::string& reference, std::string_view type,
                         std::string_view expected, const std::string& owner) {
    std::string key = refs::ReferenceKey(reference);
    std::shared_ptr<acad::AcadObject> object = ObjectFromIdIfAlive(doc, key);
    if (!object) return "";
    const ElementRecord record = ElementRecord::Read(object);
    RequireElementType(record, {type}, expected);
    return NamesBack(record, {kOwnerIdEntry}, owner) ? key : "";
}

}  // namespace

void Events::CrossingAnnoWillBeErased(acad::AcadDocument& AcadActiveDocument,
                                      acad::AcadBlockReference& CrossingAnnoEntity, std::string& ErasedEntitesObjectID,
                                      std::string& EntitiesToBeErasedObjectID) {
    const std::string id = IdText(CrossingAnnoEntity);
    if (Listed(*general_, id, EntitiesToBeErasedObjectID)) return;
    const ElementRecord annotation = ReadCrossingAnnotation(ObjectFromId(AcadActiveDocument, id));
    const std::string label = general_->EntityLabelFromCombined(annotation.Get(crossing_entry::kCombinedLabel));

    // A pipe erased already, or gone, is neither written nor asked for its profiles; one
    // still queued keeps its references and has its profiles flagged. A pipe that does not
    // list the annotation, and a leader that names another, belong to another annotation.
    CrossPoint flag;
    std::vector<std::string> written;
    for (auto [entry, flagged] :
         {std::pair{crossing_entry::kPipe1Id, &flag.Pipe1OID}, std::pair{crossing_entry::kPipe2Id, &flag.Pipe2OID}}) {
        const std::string pipe = refs::ReferenceKey(annotation.Text(entry));
        if (Listed(*general_, pipe, ErasedEntitesObjectID) || !ObjectFromIdIfAlive(AcadActiveDocument, pipe)) continue;
        if (!NamesBack(OpenCrossingPipe(AcadActiveDocument, pipe), {pipe_entry::kCrossingIds}, id)) continue;
        *flagged = pipe;
        if (!Listed(*general_, pipe, EntitiesToBeErasedObjectID)) written.push_back(pipe);
    }
    std::shared_ptr<acad::AcadLine> leader = LiveLeaderLine(AcadActiveDocument, annotation);
    if (leader && !NamesBack(ElementRecord::Read(leader), {crossing_line_entry::kAnnotationId}, id)) leader = nullptr;

    for (const std::string& pipe : written) {
        ElementRecord record = OpenCrossingPipe(AcadActiveDocument, pipe);
        ForgetCrossing(record, label, id);
        record.Write();
    }
    if (leader && !Listed(*general_, IdText(*leader), ErasedEntitesObjectID) &&
        !Listed(*general_, IdText(*leader), EntitiesToBeErasedObjectID))
        Append(EntitiesToBeErasedObjectID, IdText(*leader));
    profile_->FlagProfilesOfCrossings(AcadActiveDocument, {flag});
}

void Events::PipeWillBeErased(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& PipeEntity,
                              std::string& ErasedEntitesObjectID, std::string& EntitiesToBeErasedObjectID,
                              std::string& NodesForLowHighCheckOID) {
    const std::string pipeId = IdText(PipeEntity);
    if (Listed(*general_, pipeId, EntitiesToBeErasedObjectID)) return;
    const ElementRecord pipe = OpenPipeRecord(AcadActiveDocument, pipeId);

    // What this handler writes or queues itself is checked before its first write.
    struct End {
        std::string node, side;
        bool detach;
    };
    // Only the nodes that list the pipe take it for theirs. A pipe that neither does (a copy
    // made while no event reached the library) is no member of the network and never
    // raised a usage count.
    std::vector<End> ends;
    bool member = false;
    for (auto [entry, side] :
         {std::pair{pipe_entry::kStartNodeId, "Start"}, std::pair{pipe_entry::kEndNodeId, "End"}}) {
        End end{refs::ReferenceKey(pipe.Text(entry)), side, false};
        if (!ObjectFromIdIfAlive(AcadActiveDocument, end.node) ||
            !NamesBack(OpenNodeRecord(AcadActiveDocument, end.node),
                       {node_entry::kStartPipeIds, node_entry::kEndPipeIds}, pipeId))
            continue;
        member = true;
        ends.push_back(std::move(end));
    }
    const std::string labelBlock = DependantKey(AcadActiveDocument, pipe.Text(pipe_entry::kLabelBlockId),
                                                element_type::kAnnotation, "a label block", pipeId);
    const std::string arrow = DependantKey(AcadActiveDocument, pipe.Text(pipe_entry::kArrowId), element_type::kArrow,
                                           "a direction arrow", pipeId);
    // Nothing here writes the erased list: it is read once for all that is asked of it.
    std::vector<std::string> asked;
    for (const End& end : ends) asked.push_back(end.node);
    for (const std::string& key : {labelBlock, arrow})
        if (!key.empty()) asked.push_back(key);
    const std::vector<bool> erased = ListedInGrowingList(*general_, asked, ErasedEntitesObjectID);
    // A node still queued is detached too: it may survive a refused erasure.
    for (std::size_t i = 0; i < ends.size(); ++i) ends[i].detach = !erased[i];
    std::vector<std::string> annotations;
    for (const std::string& a : refs::LeadingKeys(pipe.Text(pipe_entry::kCrossingIds)))
        if (auto object = ObjectFromIdIfAlive(AcadActiveDocument, a))
            if (NamesBack(ReadCrossingAnnotation(object), {crossing_entry::kPipe1Id, crossing_entry::kPipe2Id}, pipeId))
                annotations.push_back(a);
    std::vector<std::string> profiles;
    for (const std::string& p : refs::LeadingKeys(pipe.Text(pipe_entry::kProfileIds)))
        if (ObjectFromIdIfAlive(AcadActiveDocument, p))
            if (NamesBack(OpenProfileBlock(AcadActiveDocument, p).record, {profile_entry::kPipeIds}, pipeId))
                profiles.push_back(p);
    const LibrarySize size = PipeLibrarySize(pipe);
    SafeArray materials = library_->GetMaterialsArray(AcadActiveDocument);
    SafeArray circular = library_->GetSizesArray(AcadActiveDocument, "Circular");
    SafeArray box = library_->GetSizesArray(AcadActiveDocument, "Box");

    for (const End& end : ends)
        if (end.detach) general_->RemovePipeFromNode(AcadActiveDocument, end.node, pipeId, end.side);
    // Erased or not: classifying again skips what is gone.
    for (const End& end : ends)
        if (!Listed(*general_, end.node, NodesForLowHighCheckOID)) Append(NodesForLowHighCheckOID, end.node);

    for (std::size_t i = ends.size(); i < asked.size(); ++i)
        if (!erased[i]) Append(EntitiesToBeErasedObjectID, asked[i]);

    for (const std::string& a : annotations) {
        if (Listed(*general_, a, EntitiesToBeErasedObjectID)) continue;
        auto object = ObjectFromIdIfAlive(AcadActiveDocument, a);
        if (!object) continue;
        CrossingAnnoWillBeErased(AcadActiveDocument, *acad::Cast<acad::AcadBlockReference>(object),
                                 ErasedEntitesObjectID, EntitiesToBeErasedObjectID);
        Append(EntitiesToBeErasedObjectID, a);
    }

    for (const std::string& p : profiles) {
        if (Listed(*general_, p, EntitiesToBeErasedObjectID) || Listed(*general_, p, ErasedEntitesObjectID)) continue;
        if (!ObjectFromIdIfAlive(AcadActiveDocument, p)) continue;
        DeletePipeFromProfile(AcadActiveDocument, p, pipeId, ErasedEntitesObjectID, EntitiesToBeErasedObjectID);
    }

    if (!member) return;
    library_->UpdateMaterialUsage(AcadActiveDocument, materials,
                                  LibraryChangeTable({{pipe.Text(pipe_entry::kMaterial), "-1"}}));
    library_->UpdateSizeUsage(AcadActiveDocument, circular, box,
                              LibraryChangeTable({{size.text, size.shape, "-1"}, {"", "", ""}}));
}

void Events::DeletePipeFromProfile(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileOID,
                                   const std::string& PipeOID, std::string& ErasedEntitesObjectID,
                                   std::string& EntitiesToBeErasedObjectID) {
    ProfileBlockRecord profile = OpenProfileBlock(AcadActiveDocument, ProfileOID);
    ElementRecord& record = profile.record;
    const std::string name = general_->EntityLabelFromCombined(record.Get(profile_entry::kCombinedLabel));
    const std::vector<std::string> labels = refs::LeadingItems(record.Text(profile_entry::kPipeLabels));
    const std::vector<std::string> ids = refs::LeadingItems(record.Text(profile_entry::kPipeIds));
    const std::vector<std::string> directions = refs::LeadingItems(record.Text(profile_entry::kPipeDirections));
    if (labels.size() != ids.size() || directions.size() != ids.size())
        Raise(ErrorCode::SubscriptOutOfRange, "profile " + ProfileOID + " lists " + std::to_string(labels.size()) +
                                                  " names, " + std::to_string(ids.size()) + " pipes and " +
                                                  std::to_string(directions.size()) + " directions");

    // The chain is cut at the pipe: the pipes before it stay, those after it leave.
    const std::string erased = refs::ReferenceItem(PipeOID);
    std::vector<std::string> keptLabels, keptIds, keptDirections, leaving;
    bool found = false;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] == erased) {
            found = true;
        } else if (found) {
            leaving.push_back(refs::ItemKey(ids[i]));
        } else {
            keptLabels.push_back(labels[i]);
            keptIds.push_back(ids[i]);
            keptDirections.push_back(directions[i]);
        }
    }
    for (const std::string& pipe : leaving)
        if (!Listed(*general_, pipe, ErasedEntitesObjectID) && !Listed(*general_, pipe, EntitiesToBeErasedObjectID) &&
            ObjectFromIdIfAlive(AcadActiveDocument, pipe))
            OpenPipeRecord(AcadActiveDocument, pipe);

    for (const std::string& pipe : leaving)
        profile_->DeleteProfileReferenceFromPipe(AcadActiveDocument, name, ProfileOID, pipe, ErasedEntitesObjectID,
                                                 EntitiesToBeErasedObjectID);
    if (keptIds.empty()) {
        ProfileWillBeErased(AcadActiveDocument, *profile.block, ErasedEntitesObjectID, EntitiesToBeErasedObjectID);
        Append(EntitiesToBeErasedObjectID, ProfileOID);
        return;
    }
    record.Set(profile_entry::kPipeLabels, Variant(refs::LeadingList(keptLabels)));
    record.Set(profile_entry::kPipeIds, Variant(refs::LeadingList(keptIds)));
    record.Set(profile_entry::kPipeDirections, Variant(refs::LeadingList(keptDirections)));
    record.Write();
    profile_->FlagProfileForUpdate(AcadActiveDocument, ProfileOID);
}

void Events::NodeWillBeErased(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& NodeEntity,
                              std::string& ErasedEntitesObjectID, std::string& EntitiesToBeErasedObjectID,
                              std::string& NodesForLowHighCheckOID) {
    const std::string nodeId = IdText(NodeEntity);
    if (Listed(*general_, nodeId, EntitiesToBeErasedObjectID)) return;
    const ElementRecord node = OpenNodeRecord(AcadActiveDocument, nodeId);

    // Only the pipes that end at this node go with it.
    std::vector<std::string> pipes;
    for (int32_t entry : {node_entry::kStartPipeIds, node_entry::kEndPipeIds})
        for (const std::string& p : refs::LeadingKeys(node.Text(entry)))
            if (ObjectFromIdIfAlive(AcadActiveDocument, p))
                if (NamesBack(OpenPipeRecord(AcadActiveDocument, p), {pipe_entry::kStartNodeId, pipe_entry::kEndNodeId},
                              nodeId))
                    pipes.push_back(p);
    const std::string labelBlock = DependantKey(AcadActiveDocument, node.Text(node_entry::kLabelBlockId),
                                                element_type::kAnnotation, "a label block", nodeId);
    const std::string marker = DependantKey(AcadActiveDocument, node.Text(node_entry::kLowHighId),
                                            element_type::kLowHighPoint, "a low/high marker", nodeId);

    for (const std::string& p : pipes) {
        if (Listed(*general_, p, ErasedEntitesObjectID) || Listed(*general_, p, EntitiesToBeErasedObjectID)) continue;
        auto object = ObjectFromIdIfAlive(AcadActiveDocument, p);
        if (!object) continue;
        PipeWillBeErased(AcadActiveDocument, *acad::Cast<acad::AcadLWPolyline>(object), ErasedEntitesObjectID,
                         EntitiesToBeErasedObjectID, NodesForLowHighCheckOID);
        Append(EntitiesToBeErasedObjectID, p);
    }
    for (const std::string& key : {labelBlock, marker})
        if (!key.empty() && !Listed(*general_, key, ErasedEntitesObjectID)) Append(EntitiesToBeErasedObjectID, key);
    if (!Listed(*general_, nodeId, NodesForLowHighCheckOID)) Append(NodesForLowHighCheckOID, nodeId);
}

void Events::AnnotationWillBeErased(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& AnnotationEntity,
                                    std::string& ErasedEntitesObjectID) {
    const std::string id = IdText(AnnotationEntity);
    ElementRecord label = ElementRecord::Read(ObjectFromId(AcadActiveDocument, id));
    RequireElementType(label, {element_type::kAnnotation}, "a label block");
    const std::string owner = refs::ReferenceKey(label.Text(kOwnerIdEntry));
    if (Listed(*general_, owner, ErasedEntitesObjectID)) return;
    std::shared_ptr<acad::AcadObject> object = ObjectFromIdIfAlive(AcadActiveDocument, owner);
    if (!object) return;

    const std::string type = general_->GetElementType(*object);
    int32_t labelEntry, idEntry;
    ElementRecord record;
    if (element_type::IsPipe(type)) {
        record = OpenPipeRecord(AcadActiveDocument, owner);
        labelEntry = pipe_entry::kLabelBlockLabel;
        idEntry = pipe_entry::kLabelBlockId;
    } else if (element_type::IsNode(type)) {
        record = OpenNodeRecord(AcadActiveDocument, owner);
        labelEntry = node_entry::kLabelBlockLabel;
        idEntry = node_entry::kLabelBlockId;
    } else {
        Raise(ErrorCode::TypeMismatch, "the owner " + owner + " of label block " + id + " is a " + type);
    }
    // An orphan's owner has a label of its own by now.
    if (!NamesBack(record, {idEntry}, id)) return;
    record.Set(labelEntry, Variant(""));
    record.Set(idEntry, Variant(""));
    record.Write();
}

void Events::ArrowWillBeErased(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& ArrowEntity,
                               std::string& ErasedEntitesObjectID) {
    const std::string id = IdText(ArrowEntity);
    ElementRecord arrow = ElementRecord::Read(ObjectFromId(AcadActiveDocument, id));
    RequireElementType(arrow, {element_type::kArrow}, "a direction arrow");
    const std::string owner = refs::ReferenceKey(arrow.Text(kOwnerIdEntry));
    if (Listed(*general_, owner, ErasedEntitesObjectID) || !ObjectFromIdIfAlive(AcadActiveDocument, owner)) return;
    ElementRecord pipe = OpenPipeRecord(AcadActiveDocument, owner);
    if (!NamesBack(pipe, {pipe_entry::kArrowId}, id)) return;
    pipe.Set(pipe_entry::kArrowLabel, Variant(""));
    pipe.Set(pipe_entry::kArrowId, Variant(""));
    pipe.Write();
}

}  // namespace fluvanet
