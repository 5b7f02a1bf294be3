#pragma once
// Block definitions the library draws anew each time (profiles and their plan annotation)
// are found by exact name: the platform's names ignore case, so a block named so but for
// case would be handed back by Add and two profiles of networks "Main" and "main" would
// share it.

#include <memory>
#include <string>

#include "platform/acad_document.h"

namespace fluvanet {

// The block definition of exactly that name, nullptr when there is none. A block whose
// name differs only in case raises DuplicateName, a layout of that name Invalid procedure
// call; nothing is changed.
std::shared_ptr<acad::AcadBlock> FindBlockDefinition(acad::AcadDocument& doc, const std::string& name);

}  // namespace fluvanet
