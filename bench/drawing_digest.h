#pragma once
// A digest of everything a drawing holds, so that a change meant only to make the library
// faster can be shown to leave every drawing it makes as it was.
//
// The text lists the layers, the blocks with their records, and every entity of every block
// in creation order: kind, layer, visibility, colour, geometry (bulges included, every real
// to its last bit), block name, attributes and every record entry with its group code.
// Object identifiers inside records are written as the ordinal of the object they name, so
// that an object the library creates and erases again in passing shifts nothing; an
// identifier that names no live object stays as it is.

#include <cstdint>
#include <string>

#include "platform/acad_document.h"

namespace bench_support {

std::string DrawingText(acad::AcadDocument& doc);
// FNV-1a of DrawingText, as 16 hex digits.
std::string DrawingDigest(acad::AcadDocument& doc);
// FNV-1a of any text, as 16 hex digits.
std::string TextDigest(const std::string& text);

}  // namespace bench_support
