#pragma once
// Creatable as "Fluvanet.General". Its late-bound members are listed in
// server/general_table.cpp, one table per class.

#include <memory>
#include <string>
#include <string_view>

#include "platform/acad_document.h"
#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class Crossing;
class Editing;
class Library;
class LowHigh;
class Profile;
class ViewStyle;

inline constexpr std::string_view kFluvamapProgramVersion = "2.05";

class General : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "General"; }
    const com::DispatchTable& Table() const override;

    std::string GetFluvamapProgramVersion();
    // Entry 7 of the project record; a drawing without one fails.
    std::string GetModelUnits(acad::AcadDocument& AcadActiveDocument);
    // Entry 2 of the project record; 0 when there is none or it cannot be read.
    int16_t CheckEventsFlag(acad::AcadDocument& AcadActiveDocument);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<Crossing> instance) { crossing_.Set(std::move(instance)); }
    void Use(std::shared_ptr<LowHigh> instance) { lowHigh_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Profile> instance) { profile_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Library> instance) { library_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Editing> instance) { editing_.Set(std::move(instance)); }
    void Use(std::shared_ptr<ViewStyle> instance) { viewStyle_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<Crossing> crossing_;
    vb::AutoNew<LowHigh> lowHigh_;
    vb::AutoNew<Profile> profile_;
    vb::AutoNew<Library> library_;
    vb::AutoNew<Editing> editing_;
    vb::AutoNew<ViewStyle> viewStyle_;

private:
    server::LiveInstance live_;
};

}  // namespace fluvanet
