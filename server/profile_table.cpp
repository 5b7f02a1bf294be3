#include "profile/profile.h"

namespace fluvanet {

const com::DispatchTable& Profile::Table() const {
    static const com::DispatchTable table = com::BuildTable<Profile>([](auto& b) {
        // Line names from manhole labels
        b.Method("GetManholeLabelDelimiter", &Profile::GetManholeLabelDelimiter);

    });
    return table;
}

}  // namespace fluvanet
