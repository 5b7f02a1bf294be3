#pragma once
// What labelling reads of the drawing, read once by an operation that labels many elements
// (nothing in it can change while the operation runs) and handed to each label it inserts
// or refreshes. The public operations read it afresh on every call and then do the same.

#include <memory>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "platform/acad_document.h"
#include "platform/variant.h"

namespace fluvanet {

class General;
class ViewStyle;

struct LabelContext {
    com::Variant table;  // the active view style's annotation format table
    std::string units;   // the model units
    double correction = 0;
};

namespace labels {

// GetAnnotationStrings of the entity's record as read, with the model units given.
com::Variant AnnotationStrings(General& general, acad::AcadDocument& doc, acad::AcadEntity& entity,
                               const ElementRecord& record, const com::Variant& table, const std::string& units);
// InsertAnnotationsForNewEntity with what it reads given.
void InsertForNewEntity(ViewStyle& viewStyle, General& general, acad::AcadDocument& doc, acad::AcadEntity& entity,
                        const LabelContext& context);
// InsertAnnotations, the correction angle checked by the caller, handing back what it
// inserted: the label block (when there are lines) and the arrow (when the style draws one).
std::vector<std::shared_ptr<acad::AcadEntity>> InsertForNetwork(ViewStyle& viewStyle, General& general,
                                                                acad::AcadDocument& doc, acad::AcadEntity& entity,
                                                                const com::Variant& lines, const com::Variant& table,
                                                                const std::string& network, double correction);
// UpdateAnnotationsAfterEditing with what it reads given.
void UpdateAfterEditing(ViewStyle& viewStyle, General& general, acad::AcadDocument& doc, const std::string& ids,
                        bool updateLocation, const LabelContext& context);

}  // namespace labels

}  // namespace fluvanet
