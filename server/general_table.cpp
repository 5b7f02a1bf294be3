#include "core/general.h"

namespace fluvanet {

const com::DispatchTable& General::Table() const {
    static const com::DispatchTable table = com::BuildTable<General>([](auto& b) {
        // Project record and program checks
        b.Method("GetAeccAppString", &General::GetAeccAppString);
        b.Method("VerfiyVersionFluvamapCompatibility", &General::VerfiyVersionFluvamapCompatibility);
        b.Method("GetFluvamapProjectVersion", &General::GetFluvamapProjectVersion);
        b.Method("GetFluvamapProgramVersion", &General::GetFluvamapProgramVersion);
        b.Method("GetModelUnits", &General::GetModelUnits);
        b.Method("Check_ID_Exists", &General::Check_ID_Exists);
        b.Method("GetSurfaceNames", &General::GetSurfaceNames);
        b.Method("TurnEventsOn", &General::TurnEventsOn);
        b.Method("TurnEventsOff", &General::TurnEventsOff);
        b.Method("CheckEventsFlag", &General::CheckEventsFlag);

        // Standard layers and layer state
        b.Method("CreateStandardLayer", &General::CreateStandardLayer);
        b.Method("SetLayerColor", &General::SetLayerColor);
        b.Method("OpenLayerForWrite", &General::OpenLayerForWrite);
        b.Method("RestoreLayerStatus", &General::RestoreLayerStatus);
        b.Method("UnlockAllLayers", &General::UnlockAllLayers);
        b.Method("RestoreLockedLayers", &General::RestoreLockedLayers);

        // Network definitions
        b.Method("GetNetworkDefinitions", &General::GetNetworkDefinitions);
        b.Method("GetNetworkNames", &General::GetNetworkNames);
        b.Method("CheckNetworkExists", &General::CheckNetworkExists);
        b.Method("CreateNetworkDefintion", &General::CreateNetworkDefintion);
        b.Method("DeleteNetworkDefintion", &General::DeleteNetworkDefintion);
        b.Method("DeleteNetworkLayers", &General::DeleteNetworkLayers);

        // Network selection sets and combined labels
        b.Method("InitializeSelectionSet", &General::InitializeSelectionSet);
        b.Method("EntityLabelFromCombined", &General::EntityLabelFromCombined);
        b.Method("EntityNetworkFromCombined", &General::EntityNetworkFromCombined);
        b.Method("GetNetworkSet", &General::GetNetworkSet);
        b.Method("CheckLabelDuplication", &General::CheckLabelDuplication);

        // Element records, reference strings, identifier lists
        b.Method("SelectionSetToArray", &General::SelectionSetToArray);
        b.Method("GetElementType", &General::GetElementType);
        b.Method("GetElementNetwork", &General::GetElementNetwork);
        b.Method("GetGroundLevelAtNode", &General::GetGroundLevelAtNode);
        b.Method("BuildSectionSizeString", &General::BuildSectionSizeString);
        b.Method("GetNodeTypeFromPipeType", &General::GetNodeTypeFromPipeType);
        b.Method("DeleteReferenceInReferenceString", &General::DeleteReferenceInReferenceString);
        b.Method("ReplaceReferenceInReferenceString", &General::ReplaceReferenceInReferenceString);
        b.Method("ConvertOIDStringToSelectionSet", &General::ConvertOIDStringToSelectionSet);
        b.Method("ConvertSelectionSetToOIDArray", &General::ConvertSelectionSetToOIDArray);
        b.Method("ExcludeID", &General::ExcludeID);

        // Plan geometry
        b.Method("CheckPointOnLine", &General::CheckPointOnLine);
        b.Method("CheckPointOnPolyline", &General::CheckPointOnPolyline);
        b.Method("GetStation", &General::GetStation);
        b.Method("GetPointStationOnPolyline", &General::GetPointStationOnPolyline);
        b.Method("GetCoordinatesAtPipeStation", &General::GetCoordinatesAtPipeStation);
        b.Method("PointIsOnPolyline", &General::PointIsOnPolyline);
        b.Method("GetNodeIndexOnPolyline", &General::GetNodeIndexOnPolyline);
        b.Method("GetAngleFromDelta", &General::GetAngleFromDelta);
        b.Method("GetCorrectionAngleForCS", &General::GetCorrectionAngleForCS);
        b.Method("RoundUp", &General::RoundUp);

        // Standard blocks
        b.Method("CreateStandardBlock", &General::CreateStandardBlock);
        b.Method("CheckBlockExists", &General::CheckBlockExists);
        b.Method("InitializeBlockDefinition", &General::InitializeBlockDefinition);

        // Text, number and table utilities
        b.Method("ReadTextDataFromString", &General::ReadTextDataFromString);
        b.Method("GetDelimiter", &General::GetDelimiter);
        b.Method("SplitTextByDelimiterName", &General::SplitTextByDelimiterName);
        b.Method("CleanExtraSpaces", &General::CleanExtraSpaces);
        b.Method("CleanCote", &General::CleanCote);
        b.Method("CheckTextForBannedCharacters", &General::CheckTextForBannedCharacters);
        b.Method("BubbleSort", &General::BubbleSort);
        b.Method("GetLeastInvert", &General::GetLeastInvert);
        b.Method("GetMaxRise", &General::GetMaxRise);
        b.Method("CleanNumericString", &General::CleanNumericString);
        b.Method("GetDataFromGrid", &General::GetDataFromGrid);
        b.Method("BuildSlopeString", &General::BuildSlopeString);
        b.Method("NumericSort", &General::NumericSort);

        // Detaching a pipe from a node
        b.Method("RemovePipeFromNode", &General::RemovePipeFromNode);

        // Deleting a network
        b.Method("DeleteNetwork", &General::DeleteNetwork);
    });
    return table;
}

}  // namespace fluvanet
