#include "events/events.h"

namespace fluvanet {

const com::DispatchTable& Events::Table() const {
    static const com::DispatchTable table = com::BuildTable<Events>([](auto& b) {
        // Erasing a profile
        b.Method("ProfileWillBeErased", &Events::ProfileWillBeErased);

        // Erase cascade

        // Copied elements

        // Follow-ups after erasing and moving
    });
    return table;
}

}  // namespace fluvanet
