#include "editing/editing.h"

namespace fluvanet {

const com::DispatchTable& Editing::Table() const {
    static const com::DispatchTable table = com::BuildTable<Editing>([](auto&) {});
    return table;
}

}  // namespace fluvanet
