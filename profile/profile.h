#pragma once
// Creatable as "Fluvanet.Profile". Its late-bound members are listed in
// server/profile_table.cpp, one table per class.

#include <memory>
#include <string>
#include <string_view>

#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class Editing;
class Events;
class General;
class ViewStyle;

class Profile : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Profile"; }
    const com::DispatchTable& Table() const override;

    // ---- Line names from manhole labels (profile/line_names.cpp) ----
    std::string GetManholeLabelDelimiter(const std::string& ManholeLabel);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<General> instance) { general_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Events> instance) { events_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Editing> instance) { editing_.Set(std::move(instance)); }
    void Use(std::shared_ptr<ViewStyle> instance) { viewStyle_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<General> general_;
    vb::AutoNew<Events> events_;
    vb::AutoNew<Editing> editing_;
    vb::AutoNew<ViewStyle> viewStyle_;

private:
    server::LiveInstance live_;
};

}  // namespace fluvanet
