#pragma once
// Creatable as "Fluvanet.Editing". Its late-bound members are listed in
// server/editing_table.cpp, one table per class.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/acad_document.h"
#include "platform/dispatch.h"
#include "platform/safe_array.h"
#include "server/instance_count.h"

namespace fluvanet {

class Crossing;
class General;
class Library;
class LowHigh;
class Profile;
class ViewStyle;
struct ConversionIndex;
struct LabelContext;
namespace plan {
struct Path;
}

class Editing : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Editing"; }
    const com::DispatchTable& Table() const override;

    // ---- Labels of new elements (editing/labels.cpp) ----
    std::vector<std::string> GetExistingLabelsArray(acad::AcadDocument& AcadActiveDocument,
                                                    const std::string& NetworkName, const std::string& ElementType,
                                                    const com::Variant& ArElementsToIgnoreOIDs);
    // "P-" for a pipe type, "N-" for any other, and the lowest number from 1 to 10000 that no
    // element of the network and type holds; Overflow when every number is taken.
    std::string GetNextLabel(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName,
                             const std::string& ElementType);

    // ---- Converting entities (editing/convert_entities.cpp) ----
    // The user's lines and polylines, lines replaced by polylines, tagged entities left out;
    // never raises: a failure gives the set as far as it got (Nothing when it could not be made).
    std::shared_ptr<acad::AcadSelectionSet> GetEntitiesToConvert(acad::AcadDocument& AcadActiveDocument);
    // Refuses an empty set and a network that is not defined with that type before anything
    // changes. A failure midway keeps and counts the pipes made before it.
    void CreateElementsInNetwork(acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetEntitiesToConvert,
                                 const bool& IsExistingNetwork, const std::string& NetworkName,
                                 const std::string& NetworkType);
    // A failure takes out again what the call made and leaves the polyline as it was.
    void ConvertPlIntoPipe(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& PipeEntity,
                           acad::AcadSelectionSet& SetExistingNodes, const std::string& NetworkName,
                           const std::string& NetworkType, acad::AcadSelectionSet& SetNodesForLowHigh);
    std::shared_ptr<acad::AcadBlockReference> CreateNewNode(acad::AcadDocument& AcadActiveDocument,
                                                            const double& InsPntX, const double& InsPntY,
                                                            const std::string& NetworkName,
                                                            const std::string& NetworkType,
                                                            acad::AcadSelectionSet& SetExistingNodes);

    // ---- Levels at nodes (editing/invert_matching.cpp) ----
    double GetSumpElevation(acad::AcadDocument& AcadActiveDocument, const std::string& PipesAtStartOIDs,
                            const std::string& PipesAtendOIDs);

    // ---- Invert matching (editing/invert_matching.cpp) ----
    // The lowest start ("Start") or end invert (any other side) of the listed pipes, -999
    // when the list names none.
    double GetMinimumLevel(acad::AcadDocument& AcadActiveDocument, const std::string& PipesOIDs,
                           const std::string& Side);
    // The largest rise, in level units, of the pipes the node lists; 0 without pipes.
    double GetLargestRise(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& NodeEntity);
    // Node to pipes: each listed pipe's invert at the node by the matching code (1 centre
    // lines, 2 soffits, 3 inverts, any other left alone) and its reference to the node's
    // label; then its label, crossings and profiles. Every listed object is checked to be
    // a pipe before the first is written.
    void UpdateConnectedPipesAtNode(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& NodeEntity,
                                    const std::string& NodeLabel, const std::string& PipesAtStartOID,
                                    const std::string& PipesAtEndOID, const double& SumpLevel,
                                    const int16_t& Matching);
    // Pipe to node, after the pipe's record is written: the node's sump from the pipe end
    // by its rule (without one the lowest connected invert), the pipe's new label in the
    // node's lists, then every pipe at the node matched to the new sump.
    void UpdateConnectedNodeAtPipe(acad::AcadDocument& AcadActiveDocument, const std::string& NodeOID,
                                   const std::string& PipeLabel, const std::string& PipeOID,
                                   const double& InvertLevel, const double& Rise);

    // ---- Node and pipe data (editing/element_data.cpp) ----
    // The data of the host's dialogs written, then passed on: the node's pipes, or the
    // pipe's two nodes, matched; labels, crossings and profiles; pressure nodes collected
    // in SetNodesForLowHigh. A label that is empty or holds ";" is refused, as is anything
    // that is not what it should be, before anything is written. A new label also reaches
    // the element's label block, arrow, low/high marker and profiles.
    // PipesMatching: "No Matching", "Match Centerlines", "Match Soffits", "Match Inverts";
    // any other text keeps the stored rule.
    void UpdateNodeData(acad::AcadDocument& AcadActiveDocument, const std::string& NodeOID, const std::string& Label,
                        const double& GroundLevel, const double& SumpLevel, const std::string& PipesMatching,
                        acad::AcadSelectionSet& SetNodesForLowHigh);
    // SectionSizeShape: the dialog's "Circular - 300" or "Box - 1200 x 800". The library
    // tables are updated in place.
    void UpdatePipeData(acad::AcadDocument& AcadActiveDocument, const std::string& PipeOID, const std::string& Label,
                        const double& StartInvert, const double& EndInvert, const std::string& Material,
                        const std::string& SectionSizeShape, const int16_t& NumberOfCells,
                        com::SafeArray& ArCircularSizes, com::SafeArray& ArBoxSizes, com::SafeArray& ArMaterials,
                        acad::AcadSelectionSet& SetNodesForLowHigh);

    // ---- Ground levels (editing/ground_levels.cpp) ----
    // The nodes of the networks take their ground from the terrain surface, with events
    // off and layers unlocked, both put back as they were. Nothing is done when the first
    // name is empty; a missing terrain application or surface raises before anything
    // changes; a node outside the surface keeps its ground.
    void UpdateGroundLevelsFromSurface(acad::AcadDocument& AcadActiveDocument, const std::vector<std::string>& ArNetNames,
                                       const std::string& SurfaceName);

    // ---- Polyline coordinates (editing/polyline_coordinates.cpp) ----
    // The vertices in reverse order, each pair still x then y; the argument is not changed.
    com::Variant ReversePolylineCoordinates(const com::Variant& ArCoordinates);
    // The two arrays run on through the end vertex they share, exactly equal, which occurs
    // once: the first reversed when its first vertex is shared, the second reversed when its
    // last is. Arrays without such a vertex raise.
    com::Variant MergeTwoCoordinatesArrays(const com::Variant& FirstArray, const com::Variant& SecondArray);

    // ---- Splitting a pipe (editing/split_pipe.cpp) ----
    // The host's steps, called in this order. The split pipe stays as it was until the last
    // step deletes it; every step reads its record.
    // The pipe and a point inside it, asked of the user until both fit; False on a cancel
    // or any other error.
    bool GetSplitPipeAndPoint(acad::AcadDocument& AcadActiveDocument,
                              std::shared_ptr<acad::AcadLWPolyline>& SplitPipeEntity, acad::Point3& SplitPoint);
    // The two halves and the node block, bare, on the split pipe's layer; a failure takes
    // out again what the call inserted.
    void CreateSplitEntities(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& SplitPipeEntity,
                             const acad::Point3& SplitPoint, std::shared_ptr<acad::AcadLWPolyline>& NewPipeEntity1,
                             std::shared_ptr<acad::AcadLWPolyline>& NewPipeEntity2,
                             std::shared_ptr<acad::AcadBlockReference>& NewNodeEntity);
    // The records of both halves, the new node and both end nodes, levels interpolated at
    // the point, then the labels of the new elements. Both new labels are taken and both
    // end nodes checked before anything is written.
    void AssignSplitXdata(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& SplitPipeEntity,
                          const acad::Point3& SplitPoint, acad::AcadLWPolyline& NewPipeEntity1,
                          acad::AcadLWPolyline& NewPipeEntity2, acad::AcadBlockReference& NewNodeEntity);
    // One pipe more of the split pipe's material and size.
    void UpdateLibrariesAfterSplitting(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& SplitPipeEntity);
    // Each crossing annotation to the first half when its point lies on it, else to the second.
    void UpdateCrossingsAfterSplitting(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& SplitPipeEntity,
                                       acad::AcadLWPolyline& NewPipeEntity1, acad::AcadLWPolyline& NewPipeEntity2);
    // In each profile both halves take the split pipe's place and direction; the profile is
    // flagged.
    void UpdateProfilesAfterSplitting(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& SplitPipeEntity,
                                      acad::AcadLWPolyline& NewPipeEntity1, acad::AcadLWPolyline& NewPipeEntity2);
    // The split pipe with its label block and arrow, with events off; a reference that names
    // no object counts as gone, anything but a label block or an arrow raises.
    void DeleteSplitPipe(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& SplitPipeEntity);

    // ---- Merging pipes (editing/merge_pipes.cpp) ----
    // The user's pipes in selection order, once they are one open line of one network with
    // one material and one size; otherwise, after the one message that tells why (or none,
    // for any error), the set emptied. A pick of one pipe or none comes back unchecked.
    std::shared_ptr<acad::AcadSelectionSet> GetPipesToMerge(acad::AcadDocument& AcadActiveDocument);
    // ArNodes: a row per pipe of start and end node label references and identifiers.
    // False when a node two rows share carries more than two pipes; more shared pairs than a
    // single line of CountPipes pipes has inner nodes raise Subscript out of range.
    bool CheckInternalNodes(acad::AcadDocument& AcadActiveDocument, const com::SafeArray& ArNodes,
                            const int16_t& CountPipes);
    // The merged polyline, without a record, from the free end of the end pipe with the
    // higher start invert, on the layer of the first pipe of the set. The pipes in chain
    // order and their crossing lists, in set order, come back in the outputs. A set that is
    // no single line raises before anything is drawn.
    std::shared_ptr<acad::AcadLWPolyline> CreateMergedPipe(
        acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetPipesToMerge,
        std::vector<std::shared_ptr<acad::AcadEntity>>& ArFinalSequencePipes, std::string& CrossPointLabelsString,
        std::string& CrossPointOIDsString);

    // ---- Merged pipe records and upkeep (editing/merged_pipe_upkeep.cpp) ----
    // The merged pipe takes the first old pipe's record and label between the free ends of
    // the chain, the crossings and profiles of all old pipes, and its place in the lists of
    // its two end nodes, whose pipes are then matched. SetNodesForLowHigh is replaced by a
    // new set of the start and end node. Everything is read and checked before it writes.
    void AssignMergedXdata(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& MergedPipeEntity,
                           const std::vector<std::shared_ptr<acad::AcadEntity>>& ArFinalSequencePipes,
                           const std::string& CrossPointLabelsString, const std::string& CrossPointOIDsString,
                           std::shared_ptr<acad::AcadEntity>& FirstMergedPipeEntity,
                           std::shared_ptr<acad::AcadEntity>& LastMergedPipeEntity, std::string& FinalStartNodeLabel,
                           std::string& FinalEndNodeLabel, std::string& MergedElementType,
                           std::string& MergedElementNetwork,
                           std::shared_ptr<acad::AcadSelectionSet>& SetNodesForLowHigh);
    // The material and size of the first pipe lose the pipes that go: 1 - CountPipes.
    void UpdateLibrariesAfterMerging(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& FirstMergedPipeEntity,
                                     const int16_t& CountPipes);
    // Each crossing of an old pipe names the merged pipe instead and is computed again.
    void UpdateCrossingsAfterMerging(acad::AcadDocument& AcadActiveDocument, const std::string& CrossPointLabelsString,
                                     const std::string& CrossPointOIDsString, acad::AcadLWPolyline& MergedPipeEntity,
                                     acad::AcadSelectionSet& SetPipesToMerge);
    // In each profile of the merged pipe the first old pipe becomes the merged one, the
    // later ones go; the profile is flagged.
    void UpdateProfilesAfterMerging(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& MergedPipeEntity,
                                    acad::AcadSelectionSet& SetPipesToMerge);
    // The old pipes with their labels and arrows, and the inner nodes with their labels and
    // markers, with events off (the flag as it was afterwards). A reference that names no
    // object counts as gone; one that names an object of another type raises before
    // anything is deleted.
    void DeleteOldMergedPipes(acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetPipesToMerge,
                              const std::string& FinalStartNodeLabel, const std::string& FinalEndNodeLabel);

    // ---- Reversing pipes and group selection (editing/reverse_pipes.cpp) ----
    // The user's tagged polylines; never raises: a cancel or failure gives the set as far as
    // it got (Nothing when it could not be made).
    std::shared_ptr<acad::AcadSelectionSet> GetPipesToReverse(acad::AcadDocument& AcadActiveDocument);
    // Each pipe turned end for end: vertices (arcs with them), inverts, node references, its
    // nodes' lists, its profiles' directions (each profile flagged) and its label. Every pipe
    // of the set and both its nodes are checked before the first is turned.
    void ReverseSelectedPipes(acad::AcadDocument& AcadActiveDocument, const acad::AcadSelectionSet& SetPipesToReverse);
    // Indicator 0: the pipe moves from the node's pipes at start to its pipes at end; 1 back.
    // It leaves every position its identifier held, with the label at that position.
    void ReversePipeReferenceInNode(acad::AcadDocument& AcadActiveDocument, const std::string& PipeLabel,
                                    const std::string& PipeOID, const std::string& NodeOID,
                                    const int16_t& Indicator);
    // Tagged polylines and block references: pipes, nodes, labels and the like.
    std::shared_ptr<acad::AcadSelectionSet> GetSelectionForGroupEditing(acad::AcadDocument& AcadActiveDocument);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<General> instance) { general_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Library> instance) { library_.Set(std::move(instance)); }
    void Use(std::shared_ptr<ViewStyle> instance) { viewStyle_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Crossing> instance) { crossing_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Profile> instance) { profile_.Set(std::move(instance)); }
    void Use(std::shared_ptr<LowHigh> instance) { lowHigh_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<General> general_;
    vb::AutoNew<Library> library_;
    vb::AutoNew<ViewStyle> viewStyle_;
    vb::AutoNew<Crossing> crossing_;
    vb::AutoNew<Profile> profile_;
    vb::AutoNew<LowHigh> lowHigh_;

private:
    // ---- Converting entities (editing/convert_entities.cpp) ----
    // With an index the end nodes and labels come from it and it follows what is made;
    // without one they come from the set and the drawing, as the public methods read them.
    void ConvertPolyline(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& PipeEntity,
                         acad::AcadSelectionSet& SetExistingNodes, const std::string& NetworkName,
                         const std::string& NetworkType, acad::AcadSelectionSet& SetNodesForLowHigh,
                         ConversionIndex* index);
    std::shared_ptr<acad::AcadBlockReference> InsertNode(acad::AcadDocument& AcadActiveDocument, double x, double y,
                                                         const std::string& NetworkName,
                                                         const std::string& NetworkType,
                                                         acad::AcadSelectionSet& SetExistingNodes,
                                                         ConversionIndex* index);
    // InsertAnnotationsForNewEntity, with the index's label settings when there is one.
    void InsertLabels(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& Entity, const ConversionIndex* index);

    // ---- Invert matching (editing/invert_matching.cpp) ----
    // With the label settings read once by the caller; without, read afresh as the public
    // methods do.
    double LargestRise(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& NodeEntity,
                       const LabelContext* labels);
    void MatchPipesAtNode(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& NodeEntity,
                          const std::string& NodeLabel, const std::string& PipesAtStartOID,
                          const std::string& PipesAtEndOID, double SumpLevel, int16_t Matching,
                          const LabelContext* labels);
    // UpdateConnectedNodeAtPipe without putting back what it wrote when it fails: its
    // callers do.
    void MatchNodeToPipeEnd(acad::AcadDocument& AcadActiveDocument, const std::string& NodeOID,
                            const std::string& PipeLabel, const std::string& PipeOID, double InvertLevel,
                            double Rise);

    // ---- Polyline coordinates (editing/polyline_coordinates.cpp) ----
    // MergeTwoCoordinatesArrays with each array's bulges, one per vertex (none: straight),
    // which follow their segments into the joined path.
    plan::Path MergeTwoPaths(const com::Variant& FirstArray, const std::vector<double>& FirstBulges,
                             const com::Variant& SecondArray, const std::vector<double>& SecondBulges);
    // The two paths joined at the ends given, whatever other ends coincide: the first's end
    // (its start when reversed) must be the second's start (its end when reversed).
    plan::Path JoinPaths(const com::Variant& FirstArray, const std::vector<double>& FirstBulges, bool reverseFirst,
                         const com::Variant& SecondArray, const std::vector<double>& SecondBulges, bool reverseSecond);

    server::LiveInstance live_;
};

// ReversePolylineCoordinates of the library's own vertices, which may be more than the
// host's 16-bit indices reach.
std::vector<double> ReversedVertices(const std::vector<double>& coordinates);

}  // namespace fluvanet
