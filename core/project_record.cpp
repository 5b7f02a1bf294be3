#include <string>

#include "core/general.h"

namespace fluvanet {

namespace {

// The project record's values: the model-space block's extended data under "Fluvamap".
// Reading an entry of a drawing without a record is a type mismatch, as indexing the
// empty result is.
com::Variant ProjectEntry(acad::AcadDocument& doc, int32_t entry) {
    com::Variant types, values;
    doc.ModelSpace()->GetXData("Fluvamap", types, values);
    if (!values.IsArray()) com::Raise(com::ErrorCode::TypeMismatch, "the drawing has no project record");
    return values.Array().Get(entry);
}

}  // namespace

std::string General::GetFluvamapProgramVersion() { return std::string(kFluvamapProgramVersion); }

std::string General::GetModelUnits(acad::AcadDocument& AcadActiveDocument) {
    return vb::CStr(ProjectEntry(AcadActiveDocument, 7));
}

int16_t General::CheckEventsFlag(acad::AcadDocument& AcadActiveDocument) {
    try {
        return vb::CInt(ProjectEntry(AcadActiveDocument, 2));
    } catch (const com::Error&) {
        return 0;
    }
}

}  // namespace fluvanet
