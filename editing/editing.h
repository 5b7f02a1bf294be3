#pragma once
// Creatable as "Fluvanet.Editing". Its late-bound members are listed in
// server/editing_table.cpp, one table per class.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/acad_document.h"
#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class Crossing;
class General;
class Library;
class LowHigh;
class Profile;
class ViewStyle;

class Editing : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Editing"; }
    const com::DispatchTable& Table() const override;

    // ---- Labels of new elements (editing/labels.cpp) ----
    std::vector<std::string> GetExistingLabelsArray(acad::AcadDocument& AcadActiveDocument,
                                                    const std::string& NetworkName, const std::string& ElementType,
                                                    const com::Variant& ArElementsToIgnoreOIDs);

    // ---- Levels at nodes (editing/invert_matching.cpp) ----
    double GetSumpElevation(acad::AcadDocument& AcadActiveDocument, const std::string& PipesAtStartOIDs,
                            const std::string& PipesAtendOIDs);

    // ---- Polyline coordinates (editing/polyline_coordinates.cpp) ----
    // The vertices in reverse order, each pair still x then y; the argument is not changed.
    com::Variant ReversePolylineCoordinates(const com::Variant& ArCoordinates);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<General> instance) { general_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Library> instance) { library_.Set(std::move(instance)); }
    void Use(std::shared_ptr<ViewStyle> instance) { viewStyle_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Crossing> instance) { crossing_.Set(std::move(instance)); }
    void Use(std::shared_ptr<Profile> instance) { profile_.Set(std::move(instance)); }
    void Use(std::shared_ptr<LowHigh> instance) { lowHigh_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<General> general_;
    vb::AutoNew<Library> library_;
    vb::AutoNew<ViewStyle> viewStyle_;
    vb::AutoNew<Crossing> crossing_;
    vb::AutoNew<Profile> profile_;
    vb::AutoNew<LowHigh> lowHigh_;

private:
    server::LiveInstance live_;
};

}  // namespace fluvanet
