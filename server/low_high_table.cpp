#include "crossing/low_high.h"

namespace fluvanet {

const com::DispatchTable& LowHigh::Table() const {
    static const com::DispatchTable table = com::BuildTable<LowHigh>([](auto&) {});
    return table;
}

}  // namespace fluvanet
