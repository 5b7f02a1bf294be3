#pragma once
// Creatable as "Fluvanet.General". Its late-bound members are listed in
// server/general_table.cpp, one table per class.

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/types.h"
#include "platform/acad_document.h"
#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class Crossing;
class Editing;
class IdListIndex;
class Library;
class LowHigh;
class Profile;
class ViewStyle;

inline constexpr std::string_view kFluvamapProgramVersion = "2.05";

class General : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "General"; }
    const com::DispatchTable& Table() const override;

    // ---- Project record and program checks (core/project_record.cpp) ----
    std::string GetAeccAppString(acad::AcadApplication& AcadApp);
    bool VerfiyVersionFluvamapCompatibility(acad::AcadDocument& AcadActiveDocument);
    std::string GetFluvamapProjectVersion(acad::AcadDocument& AcadActiveDocument);
    std::string GetFluvamapProgramVersion();
    // Entry 7 of the project record; a drawing without one fails.
    std::string GetModelUnits(acad::AcadDocument& AcadActiveDocument);
    bool Check_ID_Exists(const com::Variant& ObjectID, const std::string& Text);
    com::Variant GetSurfaceNames(acad::AcadDocument& AcadActiveDocument, const int16_t& ErrMsgIndex);
    void TurnEventsOn(acad::AcadDocument& AcadActiveDocument);
    void TurnEventsOff(acad::AcadDocument& AcadActiveDocument);
    // Entry 2 of the project record; 0 when there is none or it cannot be read.
    int16_t CheckEventsFlag(acad::AcadDocument& AcadActiveDocument);

    // ---- Standard layers and layer state (core/layers.cpp) ----
    std::shared_ptr<acad::AcadLayer> CreateStandardLayer(acad::AcadDocument& AcadActiveDocument,
                                                         const std::string& NetName, const std::string& LayerType);
    void SetLayerColor(acad::AcadDocument& AcadActiveDocument, const std::string& LayerName,
                       const std::string& ColorName);
    com::Variant OpenLayerForWrite(acad::AcadDocument& AcadActiveDocument, const std::string& LayerNamesString);
    void RestoreLayerStatus(acad::AcadDocument& AcadActiveDocument, const com::Variant& ArLayerStatus);
    com::Variant UnlockAllLayers(acad::AcadDocument& AcadActiveDocument);
    void RestoreLockedLayers(acad::AcadDocument& AcadActiveDocument, const com::Variant& ArLockedLayers);

    // ---- Network definitions (core/network_definitions.cpp) ----
    com::Variant GetNetworkDefinitions(acad::AcadDocument& AcadActiveDocument);
    com::Variant GetNetworkNames(acad::AcadDocument& AcadActiveDocument);
    bool CheckNetworkExists(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName);
    void CreateNetworkDefintion(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName,
                                const std::string& NetworkType);
    void DeleteNetworkDefintion(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName);
    void DeleteNetworkLayers(acad::AcadDocument& AcadActiveDocument, const std::string& NetName);

    // ---- Network selection sets and combined labels (core/network_sets.cpp) ----
    std::shared_ptr<acad::AcadSelectionSet> InitializeSelectionSet(acad::AcadDocument& AcadActiveDocument,
                                                                   const std::string& SelectionSetName);
    std::string EntityLabelFromCombined(const com::Variant& CombinedLabel);
    std::string EntityNetworkFromCombined(const com::Variant& CombinedLabel);
    std::shared_ptr<acad::AcadSelectionSet> GetNetworkSet(acad::AcadDocument& AcadActiveDocument,
                                                          const std::string& NetName, const int16_t& ElementsOption);
    bool CheckLabelDuplication(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName,
                               const std::string& ElementType, const std::string& ElementLabel);

    // ---- Element records, reference strings, identifier lists (core/element_records.cpp) ----
    std::vector<std::shared_ptr<acad::AcadEntity>> SelectionSetToArray(acad::AcadSelectionSet& MySelSet);
    std::string GetElementType(acad::AcadObject& MyEntity);
    std::string GetElementNetwork(acad::AcadObject& MyEntity);
    double GetGroundLevelAtNode(acad::AcadDocument& AcadActiveDocument, const std::string& NodeOID);
    std::string BuildSectionSizeString(const com::Variant& xData);
    std::string GetNodeTypeFromPipeType(const std::string& PipeType);
    std::string DeleteReferenceInReferenceString(const com::Variant& ReferenceString,
                                                 const std::string& ReferenceToBeDeleted,
                                                 const int16_t& FormatIndex);
    std::string ReplaceReferenceInReferenceString(const com::Variant& ReferenceString,
                                                  const std::string& OldReference, const std::string& NewReference);
    std::shared_ptr<acad::AcadSelectionSet> ConvertOIDStringToSelectionSet(acad::AcadDocument& AcadActiveDocument,
                                                                           const std::string& OIDString);
    std::vector<std::string> ConvertSelectionSetToOIDArray(acad::AcadSelectionSet& MySet);
    std::string ExcludeID(const com::Variant& ObjectID, const std::string& Text);

    // ---- Detaching a pipe from a node (core/remove_pipe_from_node.cpp) ----
    // Takes the pipe out of the node's lists on one side ("Start", any other text the end)
    // and sets the sump to the lowest invert that remains; the node must be a node.
    void RemovePipeFromNode(acad::AcadDocument& AcadActiveDocument, const std::string& NodeOID,
                            const std::string& PipeOID, const std::string& Side);

    // ---- Plan geometry (core/plan_geometry.cpp) ----
    // Points are arrays whose items 0 and 1 are x and y; entities are read by name.
    bool CheckPointOnLine(const com::Variant& mypoint, const com::Variant& MyLine);
    bool CheckPointOnPolyline(const com::Variant& mypoint, const com::Variant& MyLine);
    double GetStation(const com::Variant& Pipe, const double& X, const double& Y);
    double GetPointStationOnPolyline(const com::Variant& PlCoordinates, const com::Variant& mypoint);
    // Three reals (x, y, 0).
    com::Variant GetCoordinatesAtPipeStation(const com::Variant& ar_coordinates, const double& Station);
    int16_t PointIsOnPolyline(const com::Variant& mypoint, acad::AcadEntity& MyPolyline);
    int16_t GetNodeIndexOnPolyline(const com::Variant& Pipe, const com::Variant& mypoint);
    double GetAngleFromDelta(const double& DeltaX, const double& DeltaY);
    double GetCorrectionAngleForCS(acad::AcadDocument& AcadActiveDocument);
    int32_t RoundUp(const double& MyDouble);

    // ---- Standard blocks (core/standard_blocks.cpp) ----
    void CreateStandardBlock(acad::AcadDocument& AcadActiveDocument, const std::string& ElementType);
    bool CheckBlockExists(acad::AcadDocument& AcadActiveDocument, const std::string& BlockName);
    std::shared_ptr<acad::AcadBlock> InitializeBlockDefinition(acad::AcadDocument& AcadActiveDocument,
                                                               const std::string& BlockName);

    // ---- Text, number and table utilities (core/text_utilities.cpp) ----
    // The lines of the file's section after the line beginning with StartString, then one
    // empty text; Empty when the file is missing or cannot be read.
    com::Variant ReadTextDataFromString(const std::string& FileName, const std::string& StartString);
    std::string GetDelimiter(const std::string& TextString);
    std::vector<std::string> SplitTextByDelimiterName(const std::string& Text, const std::string& Delimiter);
    std::string CleanExtraSpaces(const std::string& MyString);
    std::string CleanCote(std::string& MyString);
    bool CheckTextForBannedCharacters(const std::string& MyString, const int16_t& CharIndex);
    std::vector<std::string> BubbleSort(const std::vector<std::string>& Strings);
    // The indices are subscripts within the bounds of the host's array.
    double GetLeastInvert(const std::string& PipesAtStartIndeces, const std::string& PipesAtEndIndeces,
                          const com::BoundedArray<ShpPipe>& ArPipes);
    double GetMaxRise(const std::string& PipesIndeces, const com::BoundedArray<ShpPipe>& ArPipes);
    double CleanNumericString(std::string& MyString);
    // The host's grid, read by name through its data set: (records, fields) of texts.
    com::Variant GetDataFromGrid(const com::Variant& MyGrid);
    // A String, or Empty for an unknown format.
    com::Variant BuildSlopeString(const double& SlopeValue, const std::string& PrecisionIndex,
                                  const std::string& DecimalsIndex, const std::string& FormatIndex);
    std::vector<std::string> NumericSort(const std::vector<std::string>& ArrayStrings);

    // ---- Deleting a network (core/delete_network.cpp) ----
    // The network's crossings, markers, profiles, elements, library counts, definition and
    // layers; an undefined name changes nothing. Locked layers and the events flag come
    // back as they were, whichever way it ends.
    void DeleteNetwork(acad::AcadDocument& AcadActiveDocument, const std::string& NetName);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<Crossing> instance) { crossing_.Set(std::move(instance)); }
    void Use(std::shared_ptr<LowHigh> instance) { lowHigh_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Profile> instance) { profile_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Library> instance) { library_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Editing> instance) { editing_.Set(std::move(instance)); }
    void Use(std::shared_ptr<ViewStyle> instance) { viewStyle_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<Crossing> crossing_;
    vb::AutoNew<LowHigh> lowHigh_;
    vb::AutoNew<Profile> profile_;
    vb::AutoNew<Library> library_;
    vb::AutoNew<Editing> editing_;
    vb::AutoNew<ViewStyle> viewStyle_;

private:
    friend bool ListedInGrowingList(General& general, std::string_view id, std::string_view list);
    friend std::vector<bool> ListedInGrowingList(General& general, std::span<const std::string> ids,
                                                 std::string_view list);
    server::LiveInstance live_;
    std::shared_ptr<IdListIndex> idLists_;  // Check_ID_Exists's, made on first use
};

// Check_ID_Exists on a list of one erase operation, with the identifier as text. Such a list
// grows with every question (the host appends what it erased, the handlers what must go with
// it): what was indexed of it is kept, and only what it grew by is split again.
bool ListedInGrowingList(General& general, std::string_view id, std::string_view list);
// The same for each of several identifiers, at one reading of the list.
std::vector<bool> ListedInGrowingList(General& general, std::span<const std::string> ids, std::string_view list);

}  // namespace fluvanet
