#pragma once
// Creatable as "Fluvanet.Library". Its late-bound members are listed in
// server/library_table.cpp, one table per class.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"
#include "platform/acad_document.h"
#include "platform/acad_selection.h"
#include "platform/dispatch.h"
#include "platform/safe_array.h"
#include "server/instance_count.h"

namespace fluvanet {

class General;

// A change table for UpdateMaterialUsage or UpdateSizeUsage: a String matrix of the rows
// given, all of one length.
com::SafeArray LibraryChangeTable(const std::vector<std::vector<std::string>>& rows);

class Library : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Library"; }
    const com::DispatchTable& Table() const override;

    // ---- Material and section-size libraries (core/usage_libraries.cpp) ----
    // Tables are String matrices, a row per entry: materials (name, count), sizes (size,
    // count, area). An empty library list gives a table without rows. The updaters check
    // every change row before anything is written, rewrite the library lists once and then
    // give the caller its tables with the new counts (and the box sizes in stored form).
    com::SafeArray GetMaterialsArray(acad::AcadDocument& AcadActiveDocument);
    void UpdateMaterialUsage(acad::AcadDocument& AcadActiveDocument, com::SafeArray& ArMaterials,
                             const com::SafeArray& ArMaterialChange);
    // "Circular" or "Box", for the project's units, ordered by area.
    com::SafeArray GetSizesArray(acad::AcadDocument& AcadActiveDocument, const std::string& SectionShape);
    void UpdateSizeUsage(acad::AcadDocument& AcadActiveDocument, com::SafeArray& ArCircularSizes,
                         com::SafeArray& ArBoxSizes, const com::SafeArray& ArSizeChange);
    // A copy ordered by area; the argument stays as it was.
    com::SafeArray SortSizesArray(const com::SafeArray& Strings);
    void UpdateMaterialLibraryForDeleteNetwork(acad::AcadDocument& AcadActiveDocument,
                                               acad::AcadSelectionSet& NetworkSet);
    void UpdateSizeLibraryForDeleteNetwork(acad::AcadDocument& AcadActiveDocument,
                                           acad::AcadSelectionSet& NetworkSet);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<General> instance) { general_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<General> general_;

private:
    // The point that project entry `projectEntry` names, with its record; anything but a
    // point of element type `type` raises Type mismatch.
    ElementRecord OpenLibraryPoint(acad::AcadDocument& doc, int32_t projectEntry, std::string_view type);

    server::LiveInstance live_;
};

}  // namespace fluvanet
