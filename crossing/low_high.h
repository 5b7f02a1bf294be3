#pragma once
// Creatable as "Fluvanet.LowHigh". Its late-bound members are listed in
// server/low_high_table.cpp, one table per class.

#include <memory>
#include <string_view>

#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class General;

class LowHigh : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "LowHigh"; }
    const com::DispatchTable& Table() const override;

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<General> instance) { general_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<General> general_;

private:
    server::LiveInstance live_;
};

}  // namespace fluvanet
