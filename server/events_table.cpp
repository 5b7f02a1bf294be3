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

        // Follow-ups after erasing and moving
    });
    return table;
}

}  // namespace fluvanet
