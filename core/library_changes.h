#pragma once
// The change tables the library updaters take, and what a pipe counts under in them.

#include <string>
#include <vector>

#include "core/element_records.h"
#include "platform/safe_array.h"

namespace fluvanet {

// A String matrix of the rows given, all of one length: material rows (name, change) or
// size rows (size text, shape word, change).
com::SafeArray LibraryChangeTable(const std::vector<std::vector<std::string>>& rows);

// A circular pipe counts under its span and "Circular", any other under span "x" rise and
// "Box".
struct LibrarySize {
    std::string text, shape;
};
LibrarySize PipeLibrarySize(const ElementRecord& pipe);

}  // namespace fluvanet
