#include "editing/editing.h"

namespace fluvanet {

const com::DispatchTable& Editing::Table() const {
    static const com::DispatchTable table = com::BuildTable<Editing>([]([[maybe_unused]] auto& b) {
        // Labels of new elements
        b.Method("GetExistingLabelsArray", &Editing::GetExistingLabelsArray);
        b.Method("GetNextLabel", &Editing::GetNextLabel);

        // Converting entities
        b.Method("GetEntitiesToConvert", &Editing::GetEntitiesToConvert);
        b.Method("CreateElementsInNetwork", &Editing::CreateElementsInNetwork);
        b.Method("ConvertPlIntoPipe", &Editing::ConvertPlIntoPipe);
        b.Method("CreateNewNode", &Editing::CreateNewNode);

        // Levels at nodes
        b.Method("GetSumpElevation", &Editing::GetSumpElevation);

        // Invert matching
        b.Method("GetMinimumLevel", &Editing::GetMinimumLevel);
        b.Method("GetLargestRise", &Editing::GetLargestRise);
        b.Method("UpdateConnectedPipesAtNode", &Editing::UpdateConnectedPipesAtNode);
        b.Method("UpdateConnectedNodeAtPipe", &Editing::UpdateConnectedNodeAtPipe);

        // Node and pipe data
        b.Method("UpdateNodeData", &Editing::UpdateNodeData);
        b.Method("UpdatePipeData", &Editing::UpdatePipeData);

        // Ground levels
        b.Method("UpdateGroundLevelsFromSurface", &Editing::UpdateGroundLevelsFromSurface);

        // Polyline coordinates
        b.Method("ReversePolylineCoordinates", &Editing::ReversePolylineCoordinates);

        // Splitting a pipe
        b.Method("GetSplitPipeAndPoint", &Editing::GetSplitPipeAndPoint);
        b.Method("CreateSplitEntities", &Editing::CreateSplitEntities);
        b.Method("AssignSplitXdata", &Editing::AssignSplitXdata);
        b.Method("UpdateLibrariesAfterSplitting", &Editing::UpdateLibrariesAfterSplitting);
        b.Method("UpdateCrossingsAfterSplitting", &Editing::UpdateCrossingsAfterSplitting);
        b.Method("UpdateProfilesAfterSplitting", &Editing::UpdateProfilesAfterSplitting);
        b.Method("DeleteSplitPipe", &Editing::DeleteSplitPipe);

        // Merging pipes

        // Merged pipe records and upkeep

        // Reversing pipes and group selection
        b.Method("GetPipesToReverse", &Editing::GetPipesToReverse);
        b.Method("ReverseSelectedPipes", &Editing::ReverseSelectedPipes);
        b.Method("ReversePipeReferenceInNode", &Editing::ReversePipeReferenceInNode);
        b.Method("GetSelectionForGroupEditing", &Editing::GetSelectionForGroupEditing);

    });
    return table;
}

}  // namespace fluvanet
