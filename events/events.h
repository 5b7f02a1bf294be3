#pragma once
// Creatable as "Fluvanet.Events". Its late-bound members are listed in
// server/events_table.cpp, one table per class.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/acad_document.h"
#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class Crossing;
class Editing;
class General;
class Library;
class LowHigh;
class Profile;
class ViewStyle;

class Events : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Events"; }
    const com::DispatchTable& Table() const override;

    // ---- Erasing a profile (events/profile_erase.cpp) ----
    // The style point, the pipes in neither list and the plan annotation forget the
    // profile; the plan annotation is deleted at once, not queued. A profile already queued
    // is left to the handler that queued it.
    void ProfileWillBeErased(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& ProfileBlock,
                             std::string& ErasedEntitesObjectID, std::string& EntitiesToBeErasedObjectID);

    // ---- Erase cascade (events/erase_cascade.cpp) ----
    // The host passes one set of lists to every handler of one erase operation: the erased
    // list, the to-be-erased list (handlers append, item & ";") and the nodes to classify
    // again. The pipe, node and crossing annotation handlers return at once for an element
    // already in the to-be-erased list: this operation dealt with it before queueing it. A
    // referenced object that opens nothing is gone and neither written nor queued; one of
    // another element type raises before the handler writes anything. A handler follows a
    // reference only to an object that names the element back: a copy made while no event
    // reached the library names its source's neighbours and dependants, which stay as they
    // are. A pipe that neither of its nodes lists changes no usage count.
    void CrossingAnnoWillBeErased(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& CrossingAnnoEntity,
                                  std::string& ErasedEntitesObjectID, std::string& EntitiesToBeErasedObjectID);
    void PipeWillBeErased(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& PipeEntity,
                          std::string& ErasedEntitesObjectID, std::string& EntitiesToBeErasedObjectID,
                          std::string& NodesForLowHighCheckOID);
    // The profile loses the pipe and every pipe after it; a profile left without pipes is
    // erased and queued.
    void DeletePipeFromProfile(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileOID,
                               const std::string& PipeOID, std::string& ErasedEntitesObjectID,
                               std::string& EntitiesToBeErasedObjectID);
    void NodeWillBeErased(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& NodeEntity,
                          std::string& ErasedEntitesObjectID, std::string& EntitiesToBeErasedObjectID,
                          std::string& NodesForLowHighCheckOID);
    // The owner forgets the label block or arrow only while it still names that very object.
    void AnnotationWillBeErased(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& AnnotationEntity,
                                std::string& ErasedEntitesObjectID);
    void ArrowWillBeErased(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& ArrowEntity,
                           std::string& ErasedEntitesObjectID);

    // ---- Copied elements (events/copied_elements.cpp) ----
    // The copies of pipes and nodes become new elements: each copy its own, under a label
    // free in its network, linked only to the copies of its nodes (a pipe without both is
    // deleted), with labels, arrows, library counts, low/high points and crossings of its
    // own. Copies of anything else are deleted with the events off; an object without a
    // record is left alone. Every copy is read and every new network checked before the
    // first change. The copied pipes and nodes leave ChangedPipeObjectID.
    void VerifyCopiedElements(acad::AcadDocument& AcadActiveDocument, std::string& ChangedPipeObjectID,
                              const std::string& CopiedElementsOID);
    // True for a name the project defines, nothing written; otherwise the definition is
    // added (names, types, a visible flag, crossing pairs) and the result is false. The
    // low/high settings stay as they are and no layer is made. Refuses what a definition
    // by the host refuses, before anything is written.
    bool CheckAndAddNetworkDefinition(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName,
                                      const std::string& NetworkType);
    // The label itself when no element but the last (a spare) holds it, else the result for
    // "New " & label.
    std::string GetFinalLabel(const std::string& OriginalLabel, const std::vector<std::string>& ExLabelsArray);

    // ---- Follow-ups after erasing and moving (events/follow_ups.cpp) ----
    // The nodes of each pressure network among them classified again; identifiers that
    // open nothing any more are passed over.
    void AnalyzeLowHighAfterDeleting(acad::AcadDocument& AcadActiveDocument,
                                     const std::vector<std::string>& ArNodesForLowHighOID);
    // The pipes' crossing annotations erased at once, events off (their leader lines go
    // to the to-be-erased list), and the crossings computed anew. An annotation already
    // queued is left to its erasure; one that is gone only leaves the pipe's lists.
    void RebuildPipeCrossingPoints(acad::AcadDocument& AcadActiveDocument, const std::string& ChangedPipeObjectID,
                                   std::string& ErasedEntitesObjectID, std::string& EntitiesToBeErasedObjectID);
    // Every profile of the pipes flagged, but for those erased, queued or gone.
    void FlagChangedPipesProfilesForUpdate(acad::AcadDocument& AcadActiveDocument,
                                           const std::string& ChangedPipeObjectID,
                                           const std::string& ErasedEntitesObjectID,
                                           const std::string& EntitiesToBeErasedObjectID);
    // An end vertex whose x or y differs from its node's at 5 decimals takes the node's
    // point; the vertices are written once, only when an end was off.
    void AdjustPipeEnds(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& PipeEntity);
    void AdjustLowHighPoint(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& PointEntity);
    // From the stored crossing point to the corner of the annotation nearest to it (the
    // first of equally near ones), the annotation's turn applied.
    void AdjustCrossingLine(acad::AcadDocument& AcadActiveDocument, acad::AcadLine& LineEntity);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<General> instance) { general_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Library> instance) { library_.Set(std::move(instance)); }
    void Use(std::shared_ptr<ViewStyle> instance) { viewStyle_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Crossing> instance) { crossing_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Profile> instance) { profile_.Set(std::move(instance)); }
    void Use(std::shared_ptr<LowHigh> instance) { lowHigh_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Editing> instance) { editing_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<General> general_;
    vb::AutoNew<Library> library_;
    vb::AutoNew<ViewStyle> viewStyle_;
    vb::AutoNew<Crossing> crossing_;
    vb::AutoNew<Profile> profile_;
    vb::AutoNew<LowHigh> lowHigh_;
    vb::AutoNew<Editing> editing_;

private:
    server::LiveInstance live_;
};

}  // namespace fluvanet
