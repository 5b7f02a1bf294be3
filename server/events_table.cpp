#include "events/events.h"

namespace fluvanet {

const com::DispatchTable& Events::Table() const {
    static const com::DispatchTable table = com::BuildTable<Events>([](auto&) {});
    return table;
}

}  // namespace fluvanet
