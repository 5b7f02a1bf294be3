#pragma once
// Creatable as "Fluvanet.ViewStyle". Its late-bound members are listed in
// server/view_style_table.cpp, one table per class.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/acad_document.h"
#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class General;

class ViewStyle : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "ViewStyle"; }
    const com::DispatchTable& Table() const override;

    // ---- Annotation format table (annotation/format_table.cpp) ----
    com::Variant GetAnnotationFormatArray(const com::Variant& ArViewStyleSettings);
    std::string GetDecimalsString(const std::string& PrecisionIndex, const std::string& DecimalsIndex);
    std::string GetPercentString(const std::string& PrecisionIndex, const std::string& DecimalsIndex);

    // ---- Label texts (annotation/label_texts.cpp) ----
    // Lines per label block: gravity pipe, pressure pipe, gravity node, pressure node.
    std::vector<int16_t> GetNumberOfAnnotationStrings(const com::Variant& ArAnnotationFormat);
    // The label lines of a pipe or node; Empty when none is shown or it is neither.
    com::Variant GetAnnotationStrings(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& Entity,
                                      const com::Variant& ArAnnoFormat);

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
