#include "profile/profile.h"

namespace fluvanet {

const com::DispatchTable& Profile::Table() const {
    static const com::DispatchTable table = com::BuildTable<Profile>([](auto&) {});
    return table;
}

}  // namespace fluvanet
