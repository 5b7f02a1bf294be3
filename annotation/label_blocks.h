#pragma once
// What labelling elements needs of the label and arrow block definitions, made sure of
// before a caller writes anything.

#include <set>
#include <string>

#include "annotation/view_style.h"
#include "platform/acad_document.h"
#include "platform/variant.h"

namespace fluvanet::labels {

// Builds the five blocks from the table (`DefineAttributeBlocks`) unless the drawing holds
// what labelling elements of these types under it needs: the label block of each type
// whose kind shows lines, with an attribute for each line, and the arrow block where a
// pipe type shows arrows. Blocks that are ready are left as they are.
void DefineBlocksUnlessReady(ViewStyle& viewStyle, acad::AcadDocument& doc, const com::Variant& arAnnoFormat,
                             const std::set<std::string>& elementTypes);

}  // namespace fluvanet::labels
