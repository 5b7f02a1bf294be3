#include "annotation/view_style.h"

namespace fluvanet {

const com::DispatchTable& ViewStyle::Table() const {
    static const com::DispatchTable table = com::BuildTable<ViewStyle>([](auto&) {});
    return table;
}

}  // namespace fluvanet
