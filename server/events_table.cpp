#include "events/events.h"

namespace fluvanet {

const com::DispatchTable& Events::Table() const {
    static const com::DispatchTable table = com::BuildTable<Events>([](auto& b) {
        // Erasing a profile
        b.Method("ProfileWillBeErased", &Events::ProfileWillBeErased);

        // Erase cascade
        b.Method("CrossingAnnoWillBeErased", &Events::CrossingAnnoWillBeErased)
            .Method("PipeWillBeErased", &Events::PipeWillBeErased)
            .Method("DeletePipeFromProfile", &Events::DeletePipeFromProfile)
            .Method("NodeWillBeErased", &Events::NodeWillBeErased)
            .Method("AnnotationWillBeErased", &Events::AnnotationWillBeErased)
            .Method("ArrowWillBeErased", &Events::ArrowWillBeErased);

        // Copied elements
        b.Method("VerifyCopiedElements", &Events::VerifyCopiedElements)
            .Method("CheckAndAddNetworkDefinition", &Events::CheckAndAddNetworkDefinition)
            .Method("GetFinalLabel", &Events::GetFinalLabel);

        // Follow-ups after erasing and moving
        b.Method("AnalyzeLowHighAfterDeleting", &Events::AnalyzeLowHighAfterDeleting)
            .Method("RebuildPipeCrossingPoints", &Events::RebuildPipeCrossingPoints)
            .Method("FlagChangedPipesProfilesForUpdate", &Events::FlagChangedPipesProfilesForUpdate)
            .Method("AdjustPipeEnds", &Events::AdjustPipeEnds)
            .Method("AdjustLowHighPoint", &Events::AdjustLowHighPoint)
            .Method("AdjustCrossingLine", &Events::AdjustCrossingLine);
    });
    return table;
}

}  // namespace fluvanet
