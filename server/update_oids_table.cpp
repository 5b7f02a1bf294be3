#include "events/update_oids.h"

namespace fluvanet {

const com::DispatchTable& UpdateOIDs::Table() const {
    static const com::DispatchTable table = com::BuildTable<UpdateOIDs>([](auto&) {});
    return table;
}

}  // namespace fluvanet
