#include "events/update_oids.h"

namespace fluvanet {

const com::DispatchTable& UpdateOIDs::Table() const {
    static const com::DispatchTable table = com::BuildTable<UpdateOIDs>([](auto& b) {
        // Rebuilding object identifiers
        b.Method("UpdateObjectIDs", &UpdateOIDs::UpdateObjectIDs);
    });
    return table;
}

}  // namespace fluvanet
