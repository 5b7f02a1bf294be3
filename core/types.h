#pragma once
// Creatable as "Fluvanet.Types". Its late-bound members are listed in
// server/types_table.cpp, one table per class.

#include <string_view>

#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class Types : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Types"; }
    const com::DispatchTable& Table() const override;

private:
    server::LiveInstance live_;
};

}  // namespace fluvanet
