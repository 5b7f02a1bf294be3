#pragma once
// The invariant checker run after every test that changes a drawing. It reads the records
// itself (GetXData and vb::Split), never through the library's classes, so that it does not
// share a fault with what it checks.
//
// Rules sit in one table per element type in network_invariants.cpp; a record type that a
// later change creates gets its row there. Element types without a row are passed over.

#include <string>
#include <vector>

#include "platform/acad_document.h"

namespace testing_support {

// One line per fault, `<id> <element type> "<label>" [<entry>] <what>`, the project record
// first (as type "Project"), then the live entities of model space and paper space that
// carry a "Fluvamap" record, in drawing order. [record] stands for the whole record. No
// line: the drawing is sound.
std::vector<std::string> NetworkFindings(acad::AcadDocument& doc);

}  // namespace testing_support
