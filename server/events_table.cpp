#include "events/events.h"

namespace fluvanet {

const com::DispatchTable& Events::Table() const {
    static const com::DispatchTable table = com::BuildTable<Events>([](auto& b) {
        // Erasing a profile
        b.Method("ProfileWillBeErased", &Events::ProfileWillBeErased);
    });
    return table;
}

}  // namespace fluvanet
