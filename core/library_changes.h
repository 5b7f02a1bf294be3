#pragma once
// What a pipe counts under in the change tables of the library updaters
// (LibraryChangeTable, core/library.h).

#include <string>

#include "core/element_records.h"

namespace fluvanet {

// A circular pipe counts under its span and "Circular", any other under span "x" rise and
// "Box".
struct LibrarySize {
    std::string text, shape;
};
LibrarySize PipeLibrarySize(const ElementRecord& pipe);

}  // namespace fluvanet
