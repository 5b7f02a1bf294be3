#include "crossing/crossing.h"

namespace fluvanet {

const com::DispatchTable& Crossing::Table() const {
    static const com::DispatchTable table = com::BuildTable<Crossing>([](auto&) {});
    return table;
}

}  // namespace fluvanet
