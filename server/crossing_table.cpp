#include "crossing/crossing.h"

namespace fluvanet {

const com::DispatchTable& Crossing::Table() const {
    static const com::DispatchTable table = com::BuildTable<Crossing>([](auto& b) {
        // Finding crossings
        b.Method("BuildCrossingPointsAfterImporting", &Crossing::BuildCrossingPointsAfterImporting);
        b.Method("GetCrossingPointsArrayForSetOfPipes", &Crossing::GetCrossingPointsArrayForSetOfPipes);
        b.Method("GetNetworkSetsAll", &Crossing::GetNetworkSetsAll);
        b.Method("GetCrossPointsFromNetSetsAndPipeSet", &Crossing::GetCrossPointsFromNetSetsAndPipeSet);
        b.Method("CheckIntersectionPoint", &Crossing::CheckIntersectionPoint);
        b.Method("GetSingleCrossPointData", &Crossing::GetSingleCrossPointData);
        b.Method("CheckCrossingPointsDuplication", &Crossing::CheckCrossingPointsDuplication);

        // Crossing annotations and settings
        b.Method("GetExistingCrossingPointsSet", &Crossing::GetExistingCrossingPointsSet);
        b.Method("DrawCrossingPoints", &Crossing::DrawCrossingPoints);
        b.Method("AddCorssingPointXdata", &Crossing::AddCorssingPointXdata);
        b.Method("GetCrossingSettings", &Crossing::GetCrossingSettings);
        b.Method("SetCrossingSettings", &Crossing::SetCrossingSettings);
        b.Method("ApplyCrossingSettings", &Crossing::ApplyCrossingSettings);

        // Crossing upkeep
        b.Method("DeleteNetworkCrossings", &Crossing::DeleteNetworkCrossings);
        b.Method("UpdateCrossingsAfterEditing", &Crossing::UpdateCrossingsAfterEditing);
        b.Method("UpdateCrossingData", &Crossing::UpdateCrossingData);
        b.Method("GetCrossingDataOfPipe", &Crossing::GetCrossingDataOfPipe);
    });
    return table;
}

}  // namespace fluvanet
