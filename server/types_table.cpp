#include "core/types.h"

namespace fluvanet {

const com::DispatchTable& Types::Table() const {
    static const com::DispatchTable table = com::BuildTable<Types>([](auto&) {});
    return table;
}

}  // namespace fluvanet
