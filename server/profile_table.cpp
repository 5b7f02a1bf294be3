#include "profile/profile.h"

namespace fluvanet {

const com::DispatchTable& Profile::Table() const {
    static const com::DispatchTable table = com::BuildTable<Profile>([](auto& b) {
        // Line names from manhole labels
        b.Method("GetManholeLabelDelimiter", &Profile::GetManholeLabelDelimiter);
        b.Method("GetManholeLineName", &Profile::GetManholeLineName);
        b.Method("GetGravityLineNames", &Profile::GetGravityLineNames);

        // Profile definitions
        b.Method("GetProfileDefinitionsArray", &Profile::GetProfileDefinitionsArray);
        b.Method("AddProfileToProfileDefArray", &Profile::AddProfileToProfileDefArray);
        b.Method("CheckProfileNameExists", &Profile::CheckProfileNameExists);
        b.Method("GetProfileOIDFromProfileDefArray", &Profile::GetProfileOIDFromProfileDefArray);
        b.Method("DeleteProfileFromProfileDefArray", &Profile::DeleteProfileFromProfileDefArray);

        // Pipe selection
        b.Method("SelectPipesForProfile", &Profile::SelectPipesForProfile);
        b.Method("CheckProfilePipesConnectivity", &Profile::CheckProfilePipesConnectivity);
        b.Method("GetSortedPipesArray", &Profile::GetSortedPipesArray);
        b.Method("GetProfileStartFromDirection", &Profile::GetProfileStartFromDirection);

        // Profile styles
        b.Method("GetProfileStyleXdataTypeArray", &Profile::GetProfileStyleXdataTypeArray);
        b.Method("CreateProfileStyle", &Profile::CreateProfileStyle);
        b.Method("DeleteProfileStyle", &Profile::DeleteProfileStyle);
        b.Method("ValidateProfileStyleSettings", &Profile::ValidateProfileStyleSettings);
        b.Method("ImportArProfileSettings", &Profile::ImportArProfileSettings);
        b.Method("GetProfileStyleSettings", &Profile::GetProfileStyleSettings);

        // Profile records
        b.Method("BuildProfileBlockXData", &Profile::BuildProfileBlockXData);
        b.Method("BuildProfilePlanAnnoBlockXData", &Profile::BuildProfilePlanAnnoBlockXData);
        b.Method("GetProfileStyleOID", &Profile::GetProfileStyleOID);

        // Profile update flags and pipe references
        b.Method("FlagProfileForUpdate", &Profile::FlagProfileForUpdate);
        b.Method("FlagProfilesRelatedToCrossingPoints", &Profile::FlagProfilesRelatedToCrossingPoints);
        b.Method("ReversePipeDirectionInProfile", &Profile::ReversePipeDirectionInProfile);
        b.Method("GetMergedPipeDirectionInProfile", &Profile::GetMergedPipeDirectionInProfile);
        b.Method("DeleteProfileReferenceFromPipe", &Profile::DeleteProfileReferenceFromPipe);

        // Data along the line
        b.Method("GetNodeDataForProfile", &Profile::GetNodeDataForProfile);
        b.Method("GetConnectedPipeDataForProfile", &Profile::GetConnectedPipeDataForProfile);
        b.Method("IncludedDistanceInConnectedPipesString", &Profile::IncludedDistanceInConnectedPipesString);
        b.Method("GetConnectedOtherPartsPipes", &Profile::GetConnectedOtherPartsPipes);
        b.Method("GetGroundLineStringForProfile", &Profile::GetGroundLineStringForProfile);
        b.Method("GetCrossingStringForProfile", &Profile::GetCrossingStringForProfile);
        b.Method("GetCrossingPipeDataForProfile", &Profile::GetCrossingPipeDataForProfile);
        b.Method("SortCrossingPipesString", &Profile::SortCrossingPipesString);
        b.Method("GetCoordinatesStringForProfile", &Profile::GetCoordinatesStringForProfile);
        b.Method("GetPipeDataAtStationsArray", &Profile::GetPipeDataAtStationsArray);

        // Profile parts
        b.Method("GetSplitPipesOIDArray", &Profile::GetSplitPipesOIDArray);
        b.Method("GetSplitPipesDirectionArray", &Profile::GetSplitPipesDirectionArray);
        b.Method("GetProfilePartsDataArrays", &Profile::GetProfilePartsDataArrays);

        // Profile upkeep
        b.Method("GetExistingProfileSet", &Profile::GetExistingProfileSet);
        b.Method("DeleteNetworkProfiles", &Profile::DeleteNetworkProfiles);
        b.Method("UpdateProfile", &Profile::UpdateProfile);

        // Profile plan annotation
        b.Method("CreatePlanAnnotationBlockForProfile", &Profile::CreatePlanAnnotationBlockForProfile);
        b.Method("GetTotalPipeCoordinates", &Profile::GetTotalPipeCoordinates);
        b.Method("DrawPlanStations", &Profile::DrawPlanStations);
        b.Method("WritePlanStation", &Profile::WritePlanStation);
        b.Method("DrawPlanPofileName", &Profile::DrawPlanPofileName);
        b.Method("WritePlanName", &Profile::WritePlanName);

        // Profile frame and grid
        b.Method("CreateProfileLayers", &Profile::CreateProfileLayers);
        b.Method("GetDatumElevation", &Profile::GetDatumElevation);
        b.Method("GetBandLabelsPartLength", &Profile::GetBandLabelsPartLength);
        b.Method("GetTextLengthOnDrawing", &Profile::GetTextLengthOnDrawing);
        b.Method("DrawPlotAreaFrame", &Profile::DrawPlotAreaFrame);
        b.Method("DrawProfileGrid", &Profile::DrawProfileGrid);
        b.Method("GetStationFormatString", &Profile::GetStationFormatString);

        // Profile graphics
        b.Method("DrawNodeLabels", &Profile::DrawNodeLabels);
        b.Method("DrawGroundLine", &Profile::DrawGroundLine);
        b.Method("DrawPipes", &Profile::DrawPipes);
        b.Method("DrawManholes", &Profile::DrawManholes);
        b.Method("DrawConnectedAndCrossing", &Profile::DrawConnectedAndCrossing);
        b.Method("DrawPipeSectionOnProfile", &Profile::DrawPipeSectionOnProfile);
        b.Method("GetSectionSizeStringForProfile", &Profile::GetSectionSizeStringForProfile);
        b.Method("GetProfileCrossingAnnotationLocation", &Profile::GetProfileCrossingAnnotationLocation);

        // Profile data table
        b.Method("DrawProfileTable", &Profile::DrawProfileTable);
        b.Method("CompleteProfileFrame", &Profile::CompleteProfileFrame);
        b.Method("GetDataTextShift", &Profile::GetDataTextShift);
        b.Method("GetProhibitedDistancesArray", &Profile::GetProhibitedDistancesArray);
        b.Method("GetLongestTextLength", &Profile::GetLongestTextLength);

        // Profile bands
        b.Method("DrawHorizontalBand", &Profile::DrawHorizontalBand);
        b.Method("DrawVerticalBand", &Profile::DrawVerticalBand);
        b.Method("DrawDistanceDataBand", &Profile::DrawDistanceDataBand);
        b.Method("AddBandArrow", &Profile::AddBandArrow);
        b.Method("AddBandTick", &Profile::AddBandTick);
        b.Method("AddBandSeparator", &Profile::AddBandSeparator);

        // Drawing a profile
        b.Method("DrawProfile", &Profile::DrawProfile);
        b.Method("CreateProfileBlock", &Profile::CreateProfileBlock);

    });
    return table;
}

}  // namespace fluvanet
