#pragma once
// Creatable as "Fluvanet.Crossing". Its late-bound members are listed in
// server/crossing_table.cpp, one table per class.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/types.h"
#include "platform/acad_document.h"
#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class General;
class Profile;
struct CrossingPipeGroup;

class Crossing : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Crossing"; }
    const com::DispatchTable& Table() const override;

    // ---- Finding crossings (crossing/crossing_search.cpp) ----
    // A crossing list holds one empty record when there is no crossing: consumers test
    // Pipe1Label of element 0. Pipes of one network never pair, and a pipe of a network
    // that is not defined takes part in no crossing.
    // Draws, shows or hides and flags the profiles of the set's new crossings; the units
    // are the project's, whatever ModelUnits says.
    void BuildCrossingPointsAfterImporting(acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetPipes,
                                           const std::string& ModelUnits);
    std::vector<CrossPoint> GetCrossingPointsArrayForSetOfPipes(acad::AcadDocument& AcadActiveDocument,
                                                               acad::AcadSelectionSet& MyPipesSet);
    // One set per row of the definitions, "CrossingNetworkSet" & row, holding that network's
    // pipes in creation order.
    std::vector<std::shared_ptr<acad::AcadSelectionSet>> GetNetworkSetsAll(acad::AcadDocument& AcadActiveDocument,
                                                                           const com::Variant& ArNetworkDefinitions);
    // A set's network is its first member's; empty sets take no part.
    std::vector<CrossPoint> GetCrossPointsFromNetSetsAndPipeSet(
        acad::AcadDocument& AcadActiveDocument, const std::vector<std::shared_ptr<acad::AcadSelectionSet>>& ArNetworkSets,
        acad::AcadSelectionSet& MyPipesSet);
    // True when the point lies on both entities, each tested as a line ("AcDbLine") or a
    // polyline.
    bool CheckIntersectionPoint(const com::Variant& IntPoint, const com::Variant& FirstEntity,
                                const com::Variant& SecondEntity);
    // Networks, labels, rises, inverts at the ratios, size texts and clearance of two pipes'
    // record values; the identifiers and the point are the caller's to fill.
    CrossPoint GetSingleCrossPointData(const com::Variant& xData1, const com::Variant& xData2,
                                       const double& IntDistanceRatio1, const double& IntDistanceRatio2,
                                       const std::string& ModelUnits);
    // The records whose pipe pair no annotation names yet, either way round; the others are
    // marked Duplicated in the caller's list.
    std::vector<CrossPoint> CheckCrossingPointsDuplication(acad::AcadDocument& AcadActiveDocument,
                                                          std::vector<CrossPoint>& ArUncheckedCrossPoints);

    // ---- Crossing annotations and settings (crossing/crossing_annotations.cpp) ----
    // "SetCrossPointAnno": every crossing annotation, or for a network name those with the
    // network on either side.
    std::shared_ptr<acad::AcadSelectionSet> GetExistingCrossingPointsSet(acad::AcadDocument& AcadActiveDocument,
                                                                         const std::string& NetName);
    // "SetCrossingPoints" with the new annotations. A record whose drawing fails leaves
    // nothing of itself behind; the records before it stay drawn.
    std::shared_ptr<acad::AcadSelectionSet> DrawCrossingPoints(acad::AcadDocument& AcadActiveDocument,
                                                               const std::vector<CrossPoint>& ArCrossPoints);
    // Both records, and the annotation appended to both pipes' [20] and [21].
    void AddCorssingPointXdata(acad::AcadDocument& AcadActiveDocument, const CrossPoint& MyCrossPoint,
                               acad::AcadBlockReference& CrossPointAnno, acad::AcadLine& CrossPointLine);
    // Rows 0 to m, three columns: row 0 the minimum clearance, then every pair of networks
    // once with "1" in column 2 when its crossings show.
    com::Variant GetCrossingSettings(acad::AcadDocument& AcadActiveDocument);
    void SetCrossingSettings(acad::AcadDocument& AcadActiveDocument, const com::Variant& ArCrossingSettings);
    // Shows an annotation and its leader when its pair is enabled and the minimum is below
    // 0 or above its clearance, hides them otherwise; ResetLocations puts them back where
    // they were drawn.
    void ApplyCrossingSettings(acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetCrossingAnno,
                               const bool& ResetLocations);

    // ---- Crossing upkeep (crossing/crossing_upkeep.cpp) ----
    // Erases the network's annotations with their leaders and the other pipes' references
    // to them; the network's own pipes keep theirs, as they go with it. Writes through
    // locked layers and locks them again on every exit.
    void DeleteNetworkCrossings(acad::AcadDocument& AcadActiveDocument, const std::string& NetName);
    // Recomputes every annotation the pipe lists and shows or hides it anew.
    void UpdateCrossingsAfterEditing(acad::AcadDocument& AcadActiveDocument, const std::string& EditedPipeOID);
    // Texts, records and the pipes' label references of one annotation from the pipes'
    // current records, at its stored point. Block, place and visibility stay.
    void UpdateCrossingData(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& MyCrossingAnno);
    // Label, invert at the point, rise in drawing units and size text, numbers as text. A
    // point off the pipe gives the start invert.
    std::vector<std::string> GetCrossingDataOfPipe(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& MyPipe,
                                                   const std::vector<double>& IntPnt);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<General> instance) { general_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Profile> instance) { profile_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<General> general_;
    vb::AutoNew<Profile> profile_;

private:
    // CheckCrossingPointsDuplication and DrawCrossingPoints of the search's own records, which
    // may be more than the host's 16-bit indices reach.
    std::vector<CrossPoint> UnannotatedCrossPoints(acad::AcadDocument& AcadActiveDocument,
                                                   std::vector<CrossPoint>& ArUncheckedCrossPoints);
    std::shared_ptr<acad::AcadSelectionSet> DrawAnnotations(acad::AcadDocument& AcadActiveDocument,
                                                            const std::vector<CrossPoint>& ArCrossPoints);

    // ---- Finding crossings (crossing/crossing_search.cpp) ----
    std::vector<CrossPoint> SearchCrossings(acad::AcadDocument& AcadActiveDocument,
                                            const std::vector<std::string>& networks,
                                            const std::vector<CrossingPipeGroup>& groups,
                                            acad::AcadSelectionSet& MyPipesSet);

    server::LiveInstance live_;
};

}  // namespace fluvanet
