#include "core/library.h"

namespace fluvanet {

const com::DispatchTable& Library::Table() const {
    static const com::DispatchTable table = com::BuildTable<Library>([](auto&) {});
    return table;
}

}  // namespace fluvanet
