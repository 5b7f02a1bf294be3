#pragma once
// Creatable as "Fluvanet.Profile". Its late-bound members are listed in
// server/profile_table.cpp, one table per class.

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

class Editing;
class Events;
class General;
class ViewStyle;

class Profile : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Profile"; }
    const com::DispatchTable& Table() const override;

    // ---- Line names from manhole labels (profile/line_names.cpp) ----
    std::string GetManholeLabelDelimiter(const std::string& ManholeLabel);
    // A manhole prefix is stripped and the shortened label written back; "Main" for a
    // label without delimiter that is empty or begins with a digit.
    std::string GetManholeLineName(std::string& ManholeLabel);
    // Two arrays of equal length: the line names and, per line, ";" & pipe identifier per
    // pipe. Only lines that are one open chain; one "" each when none is.
    com::Variant GetGravityLineNames(acad::AcadDocument& AcadActiveDocument, const std::string& NetName);

    // ---- Profile definitions (profile/profile_definitions.cpp) ----
    // Rows of profile name, network and profile block identifier; Empty when there are none.
    com::Variant GetProfileDefinitionsArray(acad::AcadDocument& AcadActiveDocument);
    com::Variant AddProfileToProfileDefArray(const com::Variant& ArProfileDef, const std::string& ProfileName,
                                             const std::string& ProfileNetwork, const std::string& ProfileOID);
    // The name compares without regard to case, the network exactly.
    bool CheckProfileNameExists(const com::Variant& ArProfileDef, const std::string& ProfileName,
                                const std::string& ProfileNetwork);
    // Both compare exactly; "" when no row matches.
    std::string GetProfileOIDFromProfileDefArray(const com::Variant& ArProfileDef, const std::string& ProfileName,
                                                 const std::string& ProfileNetwork);
    // Without the rows of that identifier; the table as it was when none has it, Empty when
    // no row remains.
    com::Variant DeleteProfileFromProfileDefArray(const com::Variant& ArProfileDef, const std::string& ProfileOID);

    // ---- Pipe selection (profile/pipe_selection.cpp) ----
    // The ordered profile pipes of the user's selection and start point; Empty for an empty
    // selection or, after a message, one that is no single line. A cancel raises UserCancel.
    com::Variant SelectPipesForProfile(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName);
    // True when the set is one open chain.
    bool CheckProfilePipesConnectivity(acad::AcadSelectionSet& SetPipes);
    // Label references, ID references and directions from the free end nearer UserPoint.
    // A set that is no open line raises Invalid procedure call.
    std::vector<std::string> GetSortedPipesArray(acad::AcadDocument& AcadActiveDocument, acad::AcadSelectionSet& SetPipes,
                                                 const com::Variant& UserPoint);
    // x and y of the lowest invert end for DirectionIndex 0, of the highest otherwise;
    // (0, 0) without pipes.
    std::vector<double> GetProfileStartFromDirection(acad::AcadDocument& AcadActiveDocument,
                                                     const std::string& PipesOIDString, const int16_t& DirectionIndex);

    // ---- Profile styles (profile/profile_styles.cpp) ----
    // 1001, then twenty 1000.
    std::vector<int16_t> GetProfileStyleXdataTypeArray();
    // The new style point's identifier. A new style has drawn no profile: [3], [4] and
    // [20] are written empty whatever xData holds.
    std::string CreateProfileStyle(acad::AcadDocument& AcadActiveDocument, const com::Variant& xData,
                                   const com::Variant& xDataType);
    // Refused while a profile drawn with the style exists; an identifier that names no
    // object only leaves the list.
    void DeleteProfileStyle(acad::AcadDocument& AcadActiveDocument, const std::string& StylePointOID);
    // The array itself when its upper bound is 20, otherwise 21 empty texts.
    com::Variant ValidateProfileStyleSettings(const com::Variant& SettingsArray);
    // The 21 texts of a style record read from a settings file, Empty when refused.
    com::Variant ImportArProfileSettings(const std::string& FilePath);
    // The style's 21 values, Empty when no style has that name.
    com::Variant GetProfileStyleSettings(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileStyle);

    // ---- Profile records (profile/profile_records.cpp) ----
    void BuildProfileBlockXData(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileName,
                                const std::string& ProfileNetworkName, const std::string& ProfileNetworkType,
                                const std::string& ProfileStyleName, const std::vector<std::string>& ArProfilePipes,
                                const com::Variant& InsPoint, const bool& DrawGroundFromSurface,
                                const std::string& GroundSurfaceName, const bool& DatumAuto,
                                const double& CustomDatumValue, const bool& ShowNameOnPlan,
                                const bool& ShowStationsOnPlan, acad::AcadBlockReference& ProfileBlock,
                                const std::shared_ptr<acad::AcadBlockReference>& PlanBlock);
    void BuildProfilePlanAnnoBlockXData(const std::string& ProfileName, const std::string& ProfileNetworkName,
                                        acad::AcadBlockReference& ProfileBlock, acad::AcadBlockReference& PlanBlock);
    // "" when no style has that name.
    std::string GetProfileStyleOID(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileStyleName);

    // ---- Profile update flags and pipe references (profile/profile_update_flags.cpp) ----
    void FlagProfileForUpdate(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileOID);
    void FlagProfilesRelatedToCrossingPoints(acad::AcadDocument& AcadActiveDocument,
                                             const std::vector<CrossPoint>& ArCrossPoints);
    // FlagProfilesRelatedToCrossingPoints of the library's own records, which may be more
    // than the host's 16-bit indices reach.
    void FlagProfilesOfCrossings(acad::AcadDocument& AcadActiveDocument, const std::vector<CrossPoint>& ArCrossPoints);
    // Does not flag: the caller flags every profile it changes.
    void ReversePipeDirectionInProfile(acad::AcadDocument& AcadActiveDocument, const std::string& PipeOID,
                                       const std::string& ProfileOID);
    // "0" or "1": the direction the merged pipe takes where the old one stood.
    std::string GetMergedPipeDirectionInProfile(acad::AcadDocument& AcadActiveDocument, acad::AcadLWPolyline& NewPipe,
                                                const std::string& OldPipeOID, const std::string& OldPipeDirection);
    void DeleteProfileReferenceFromPipe(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileName,
                                        const std::string& ProfileOID, const std::string& PipeOID,
                                        const std::string& ErasedEntitesObjectID,
                                        const std::string& EntitiesToBeErasedObjectID);

    // ---- Data along the line (profile/line_data.cpp) ----
    // Stations are local, from the part's first node. AeccDoc may be nothing: every surface
    // look-up then falls back to the network's own levels.
    // Label, ground, sump and the five-item groups of the pipes met there, less the excluded.
    std::vector<std::string> GetNodeDataForProfile(acad::AcadDocument& AcadActiveDocument, const com::ObjectPtr& AeccDoc,
                                                   const std::string& NodeOID, const bool& UseGroundSurface,
                                                   const std::string& GroundSurfaceName,
                                                   const std::string& ExcludedPipeOIDs);
    std::string GetConnectedPipeDataForProfile(acad::AcadDocument& AcadActiveDocument, const std::string& PipeOID,
                                               const std::string& NodeLabel);
    // A list whose item count is not a multiple of five raises Subscript out of range.
    std::string IncludedDistanceInConnectedPipesString(const std::string& OriginalString, const double& Distance);
    // The boundary pipes of the neighbouring parts, each as ";" & identifier. PartIndex is a
    // subscript within the bounds of the host's array.
    std::string GetConnectedOtherPartsPipes(const int16_t& PartIndex,
                                            const com::BoundedArray<std::string>& ArAllPartsPipesOID);
    // Samples along the pipe and its end, or the two node levels when any sample fails.
    std::string GetGroundLineStringForProfile(const com::ObjectPtr& AeccDoc, acad::AcadLWPolyline& MyPipe,
                                              const bool& DrawGroundFromSurface, const std::string& GroundSurfaceName,
                                              const double& FirstGround, const double& SecondGround,
                                              const double& StartDistance, const std::string& ModelUnits,
                                              const int16_t& DirectionIndex);
    std::string GetCrossingStringForProfile(acad::AcadDocument& AcadActiveDocument,
                                            const std::string& CrossingPointsOIDs, acad::AcadLWPolyline& OriginalPipe,
                                            const double& StartDistance, const int16_t& DirectionIndex);
    // A pipe of no length in plan gives its start invert.
    std::string GetCrossingPipeDataForProfile(acad::AcadDocument& AcadActiveDocument, const std::string& PipeOID,
                                              const com::Variant& CrossPointCoord);
    // Groups of seven, stable by the numeric value of their first item; an item count that
    // is not a multiple of seven raises Subscript out of range.
    std::string SortCrossingPipesString(const std::string& OriginalString);
    // With ShowCoordAtStations 1 an interval that is not a finite number above 0 raises
    // Invalid procedure call.
    std::string GetCoordinatesStringForProfile(acad::AcadLWPolyline& MyPipe, const double& StartPartDistance,
                                               const double& StartProfileDistance, const int16_t& PipeIndexOnPart,
                                               const int16_t& DirectionIndex, const int16_t& ShowCoordAtStations,
                                               const int16_t& ShowCoordAtNodes, const int16_t& ShowCoordAtVertices,
                                               const double& StationInterval);
    // Invert, ground, depth and cover lists at the regular stations. The interval is
    // checked as above; a pipe of no length in plan gives its start levels.
    std::vector<std::string> GetPipeDataAtStationsArray(
        const com::ObjectPtr& AeccDoc, acad::AcadLWPolyline& MyPipe, const double& StartPartDistance,
        const double& StartProfileDistance, const int16_t& DirectionIndex, const double& StationInterval,
        const double& FirstGround, const double& SecondGround, const double& FirstInvert, const double& SecondInvert,
        const bool& DrawGroundFromSurface, const std::string& GroundSurfaceName, const double& RiseInElevationUnits);

    // ---- Profile parts (profile/profile_parts.cpp) ----
    // Only reads the drawing. Per part ";" & identifier per pipe; one empty part without pipes.
    std::vector<std::string> GetSplitPipesOIDArray(acad::AcadDocument& AcadActiveDocument,
                                                   const std::string& SplittingCriteria,
                                                   const std::string& ProfilePipesOIDs);
    // The directions dealt out to the parts in order; too few raise Subscript out of range.
    std::vector<std::string> GetSplitPipesDirectionArray(const std::string& ProfilePipesDirections,
                                                         const std::vector<std::string>& ArSplitPipesOID);
    // Element k the 22 texts of part k (profile/parts_data.h). ProfileNetwork is not used.
    com::Variant GetProfilePartsDataArrays(acad::AcadDocument& AcadActiveDocument, const com::ObjectPtr& AeccDoc,
                                           const std::string& ProfileNetwork,
                                           const com::Variant& ArProfileStyleSettings,
                                           const std::vector<std::string>& ArProfilePipes,
                                           const bool& DrawGroundFromSurface, const std::string& GroundSurfaceName);

    // ---- Profile upkeep (profile/profile_upkeep.cpp) ----
    // "SetProfiles": the profile blocks of the network, of every network for "".
    std::shared_ptr<acad::AcadSelectionSet> GetExistingProfileSet(acad::AcadDocument& AcadActiveDocument,
                                                                  const std::string& NetName);
    // The profiles of exactly that network ("" names none), each forgotten by its style,
    // pipes and plan annotation and then erased; events are off meanwhile.
    void DeleteNetworkProfiles(acad::AcadDocument& AcadActiveDocument, const std::string& NetName);
    // Redraws the profile from its record at its insertion point; the new block's identifier
    // is not returned. Everything that could fail before the old profile goes is checked
    // first: an id that names no profile, a style or pipe gone, bad settings raise with
    // nothing changed. Locks and the events flag come back as they were.
    void UpdateProfile(acad::AcadDocument& AcadActiveDocument, const std::string& ExistingProfileOID);

    // ---- Profile plan annotation (profile/plan_annotation.cpp) ----
    // The profile's name and stations along its pipes in plan, one block inserted at the
    // origin; nullptr (Nothing) when neither is shown, and then no block is touched. The
    // text style named by the settings, else the active one; the active layer and text
    // style come back on every exit. Bad parts data or a text height that is not above 0
    // raises before the block is emptied.
    std::shared_ptr<acad::AcadBlockReference> CreatePlanAnnotationBlockForProfile(
        acad::AcadDocument& AcadActiveDocument, const std::string& ProfileName, const std::string& ProfileNetworkName,
        const com::Variant& ArProfilePartsDataArrays, const com::Variant& ArProfileStyleSettings,
        const bool& ShowNameOnPlan, const bool& ShowStationsOnPlan);
    // The part's pipes' vertices in profile order, a shared vertex once.
    std::vector<double> GetTotalPipeCoordinates(acad::AcadDocument& AcadActiveDocument,
                                                const std::string& PipeOIDsString,
                                                const std::string& PipeDirectionsString);
    // Texts take the active text style: TextStyle is not used.
    void DrawPlanStations(acad::AcadBlock& BlockDef, const std::string& ProfileStationsString,
                          const std::string& TextStyle, const double& DataTextHeight,
                          const std::string& StationSettingsString, const std::vector<double>& TotalPlCoord,
                          const double& CorrectionAngleForCS);
    // A tick across the line on the active layer and the text 0.75 heights off it. A
    // station past the end stands at the last vertex; a segment of length 0 takes the
    // direction of the next one that has a length, else of the previous one.
    void WritePlanStation(const std::vector<double>& ArCoordinates, const double& Station,
                          acad::AcadBlock& StationsBlock, const std::string& StationString, const double& TextHeight,
                          const double& CorrectionAngleForCS);
    void DrawPlanPofileName(acad::AcadBlock& BlockDef, const std::string& TitleDistancesString,
                            const std::string& TextStyle, const double& LabelsTextHeight,
                            const std::vector<double>& TotalPlCoord, const std::string& ProfileName,
                            const double& CorrectionAngleForCS);
    // The name 3 heights off the line, placed as a station text.
    void WritePlanName(const std::vector<double>& ArCoordinates, const double& Station, acad::AcadBlock& StationsBlock,
                       const std::string& ProfileName, const double& TextHeight, const double& CorrectionAngleForCS);

    // ---- Profile frame and grid (profile/frame_and_grid.cpp) ----
    // A part is drawn from its reference point: station s at x + s, level z at
    // y + (z - datum) * exaggeration. An exaggeration of 0 raises Division by zero and a
    // negative one Invalid procedure call, before anything is drawn.
    // The ten profile layers, added when missing; every one gets its colour again.
    void CreateProfileLayers(acad::AcadDocument& AcadActiveDocument);
    // The whole number 2 (Metric) or 6 below the lowest sump; the custom datum when not automatic.
    double GetDatumElevation(const bool& DatumAuto, const double& CustomDatumValue,
                             const std::string& SumpLevelsString, const std::string& ModelUnits);
    // Two label heights and the widest label of the bands that are on.
    double GetBandLabelsPartLength(acad::AcadDocument& AcadActiveDocument, const com::Variant& ArProfileStyleSettings);
    // Measured on a probe text in model space, deleted again; the style named exactly, else
    // the active style. A locked active layer is unlocked for the measurement.
    double GetTextLengthOnDrawing(acad::AcadDocument& AcadActiveDocument, const std::string& MyString,
                                  const std::string& MyTextStyle, const double& MyTextHeight);
    // The closed frame on "Profile - Frame"; its length and height.
    std::vector<double> DrawPlotAreaFrame(acad::AcadBlock& BlockDef, const std::vector<double>& RefPoint,
                                          const std::vector<std::string>& ArPartDataStrings,
                                          const com::Variant& ArProfileStyleSettings, const double& DatumElevation,
                                          const double& VerticalExaggeration);
    // Level and station lines with their labels and ticks. A spacing of 0 raises Division by
    // zero and more than 32,767 lines Overflow, before a layer is opened; the layers' states
    // come back on every exit. The active layer is left as the grid ends.
    void DrawProfileGrid(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                         const std::vector<double>& RefPoint, const std::string& HorizontalGridSettingsString,
                         const std::string& VerticalGridSettingsString, const std::string& StationsSettingsString,
                         const std::string& TextSettingsString, const double& PlotAreaLength,
                         const double& PlotAreaHeight, const double& VerticalExaggeration,
                         const double& DatumElevation, const double& PartStartStation);
    // The station prefix ("0+" to "0+0000") followed by "0" with 0 to 5 decimals.
    std::string GetStationFormatString(const std::string& PrecisionIndex, const std::string& DecimalsIndex,
                                       const std::string& FormatIndex);

    // ---- Profile graphics (profile/profile_graphics.cpp) ----
    // Into the part's block definition, in profile coordinates as the frame and grid. Node
    // labels, pipes and manholes draw on their layer made active, opened for the drawing
    // and restored on every exit; the others put each entity on its layer.
    // A line at every node and, unless hidden, its label reading upwards.
    void DrawNodeLabels(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                        const std::vector<double>& RefPoint, const std::string& LengthString,
                        const std::string& NodeLabelString, const double& FrameHeight,
                        const com::Variant& ArProfileStyleSettings);
    void DrawGroundLine(acad::AcadBlock& BlockDef, const std::vector<double>& RefPoint,
                        const std::string& GroundLineString, const double& DatumElevation,
                        const double& VerticalExaggeration);
    // Invert and crown line per pipe, within the manhole walls of a gravity network. A pipe
    // of length 0 has no slope: its lines join its two inverts, between the walls.
    void DrawPipes(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                   const std::vector<double>& RefPoint, const std::string& LengthString,
                   const std::string& InvertString, const std::string& SizeString, const double& DatumElevation,
                   const double& VerticalExaggeration, const std::string& ModelUnits, const std::string& NetworkType);
    // A closed rectangle from sump to ground at every node.
    void DrawManholes(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                      const std::vector<double>& RefPoint, const std::string& LengthString,
                      const std::string& GroundString, const std::string& SumpString, const double& DatumElevation,
                      const double& VerticalExaggeration, const std::string& ModelUnits);
    // Connected, then crossing pipes, as shown by the style: section, leader and two texts,
    // the leaders kept apart. A list of broken records raises Subscript out of range
    // before anything is drawn.
    void DrawConnectedAndCrossing(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                                  const std::vector<double>& RefPoint, const std::string& ConnectedString,
                                  const std::string& CrossingString, const com::Variant& ArProfileStyleSettings,
                                  const double& DatumElevation, const double& VerticalExaggeration,
                                  const std::string& ModelUnits);
    // Span and rise in drawing units; box cells side by side, circles as ellipses stretched
    // by the exaggeration.
    void DrawPipeSectionOnProfile(acad::AcadBlock& BlockDef, const std::vector<double>& PipeInsPnt,
                                  const int16_t& ShapeIndex, const double& Span, const double& Rise,
                                  const int16_t& NumCells, const double& VerticalExaggeration);
    std::string GetSectionSizeStringForProfile(const int16_t& SectionShapeIndex, const double& Span,
                                               const double& Rise, const int16_t& NumCells);
    // The section's point and the two ends of the leader's horizontal segment, moved clear
    // of the placed ones (four reals each).
    std::vector<double> GetProfileCrossingAnnotationLocation(const std::vector<double>& NewAnnoInsPnt,
                                                             const std::vector<double>& ArExistingCoord,
                                                             const double& TextHeight, const double& StringLength);

    // ---- Profile data table (profile/data_table.cpp) ----
    // Points are arrays of reals whose items 0 and 1 are x and y; a record is the 22 texts
    // of profile/parts_data.h. Nothing at all is drawn when every band is off.
    void DrawProfileTable(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                          const std::vector<double>& RefPoint, const std::vector<std::string>& ArProfileDataStrings,
                          const com::Variant& ArProfileStyleSettings, const double& BandLabelsPartLength,
                          const double& DatumElevation, const double& PlotAreaLength,
                          const std::string& ProfileLineName, const int16_t& ProfilePartIndex,
                          const int16_t& CountProfileParts);
    // TextStyle is not applied: the texts take the drawing's active text style.
    void CompleteProfileFrame(acad::AcadBlock& BlockDef, const std::vector<double>& ProfileRefPoint,
                              const std::vector<double>& BandRefPoint, const double& BandLabelsPartLength,
                              const double& DatumElevation, const double& PlotAreaLength,
                              const double& LabelsTextHeight, const std::string& TextStyle,
                              const std::string& ProfileLineName, const int16_t& ProfilePartIndex,
                              const int16_t& CountProfileParts, const double& TitleTextHeight);
    // The shift along the band of a text at Distance; 999 when it stands on a node station
    // and that is not allowed.
    double GetDataTextShift(const double& Distance, const std::vector<double>& ArProhibitedDistance,
                            const double& BufferDistance, const bool& AllowExactlyNodeDistance,
                            const double& TextHeight);
    // The node stations of a length list split at ";": running sums, same bounds.
    std::vector<double> GetProhibitedDistancesArray(const std::vector<std::string>& ArLengthData);
    double GetLongestTextLength(acad::AcadDocument& AcadActiveDocument, const std::string& String1,
                                const std::string& String2, const std::string& String3, const std::string& String4,
                                const std::string& TextStyle, const double& TextHeight);

    // ---- Profile bands (profile/bands.cpp) ----
    // Each band lowers BandRefPoint by its height in place and returns it. TextStyle only
    // measures texts; IsLastBandIndicator is the number of bands drawn after this one.
    std::vector<double> DrawHorizontalBand(acad::AcadBlock& BlockDef, std::vector<double>& BandRefPoint,
                                           const std::string& BandSettingsString, const std::string& LengthDataString,
                                           const std::string& BandDataString, const std::string& TextStyle,
                                           const double& LabelsTextHeight, const double& DataTextHeight,
                                           const double& BandLabelsPartLength, const int16_t& BandIndex,
                                           const int16_t& IsLastBandIndicator);
    // An empty band data list raises Subscript out of range.
    std::vector<double> DrawVerticalBand(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                                         std::vector<double>& BandRefPoint, const std::string& BandSettingsString,
                                         const std::string& LengthDataString, const std::string& BandDataString,
                                         const std::string& TextStyle, const double& LabelsTextHeight,
                                         const double& DataTextHeight, const double& BandLabelsPartLength,
                                         const int16_t& BandIndex, const com::Variant& IsLastBandIndicator);
    // With DrawBandLabel other than 1 only the values are written, into the band drawn
    // next at the same place: the result is Empty and the point stays. Empty band data
    // draws nothing and returns the point as it is.
    com::Variant DrawDistanceDataBand(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                                      std::vector<double>& BandRefPoint, const std::string& BandSettingsString,
                                      const std::string& LengthDataString, const std::string& BandDataString,
                                      const std::string& TextStyle, const double& LabelsTextHeight,
                                      const double& DataTextHeight, const double& BandLabelsPartLength,
                                      const int16_t& BandIndex, const int16_t& DrawBandLabel,
                                      const int16_t& IsLastBandIndicator);
    // Nothing when the text and three of its heights do not fit between X1 and X2.
    void AddBandArrow(acad::AcadBlock& BlockDef, const double& X1, const double& X2, const double& Y,
                      const double& BandHeight, acad::AcadText& MiddleText);
    void AddBandTick(acad::AcadBlock& BlockDef, const double& X, const double& Y, const double& TickHeight);
    void AddBandSeparator(acad::AcadBlock& BlockDef, const double& X, const double& Y, const double& BandHeight);

    // ---- Drawing a profile (profile/draw_profile.cpp) ----
    // Both blocks and their records; the profile block's identifier. Input that would fail
    // midway (no such style, pipe lists that are empty, uneven or name no pipe, an
    // exaggeration, grid spacing or text height not above 0, a station interval not above 0
    // where stations are gathered, a block name invalid or taken but for case) raises
    // before anything is drawn, Invalid procedure call but for the case (DuplicateName).
    // A failure while drawing takes out what this call inserted and wrote. Locked layers
    // are unlocked meanwhile.
    std::string DrawProfile(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileName,
                            const std::string& ProfileNetworkName, const std::string& ProfileNetworkType,
                            const std::string& ProfileStyleName, const std::vector<std::string>& ArProfilePipes,
                            const com::Variant& InsPoint, const bool& DrawGroundFromSurface,
                            const std::string& GroundSurfaceName, const bool& DatumAuto,
                            const double& CustomDatumValue, const bool& ShowNameOnPlan,
                            const bool& ShowStationsOnPlan);
    // Every part side by side in one block, inserted at the point turned by the coordinate
    // system's correction angle. The style's text style, else the active one; the active
    // layer and text style come back on every exit.
    std::shared_ptr<acad::AcadBlockReference> CreateProfileBlock(
        acad::AcadDocument& AcadActiveDocument, const std::string& ProfileName, const std::string& ProfileNetworkName,
        const std::string& ProfileNetworkType, const com::Variant& ProfileInsPoint,
        const com::Variant& ArProfilePartsDataArrays, const com::Variant& ArProfileStyleSettings,
        const bool& DatumAuto, const double& CustomDatumValue);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<General> instance) { general_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Events> instance) { events_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Editing> instance) { editing_.Set(std::move(instance)); }
    void Use(std::shared_ptr<ViewStyle> instance) { viewStyle_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<General> general_;
    vb::AutoNew<Events> events_;
    vb::AutoNew<Editing> editing_;
    vb::AutoNew<ViewStyle> viewStyle_;

private:
    // GetProfileCrossingAnnotationLocation of the leaders a profile places itself, which may
    // be more than the host's 16-bit indices reach.
    std::vector<double> PlaceCrossingLeader(const std::vector<double>& NewAnnoInsPnt,
                                            const std::vector<double>& ArExistingCoord, const double& TextHeight,
                                            const double& StringLength);

    server::LiveInstance live_;
};

}  // namespace fluvanet
