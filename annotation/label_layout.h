#pragma once
// What inserting labels and updating them share: the anchor as numbers, the label lines
// a caller hands over, the line spacing and arrow switch of a format table, and the one
// layout of the lines in a label block.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "annotation/format_table.h"
#include "platform/acad_block.h"
#include "platform/variant.h"

namespace fluvanet::labels {

// The point the label block and arrow stand at, the text angle and the arrow angle.
struct Anchor {
    double x = 0, y = 0, theta = 0, arrow = 0;
};
Anchor ReadAnchor(const com::Variant& anchor);

// The lines when they are an array with at least one item; nullopt otherwise (the style
// shows no line for the element).
std::optional<std::vector<std::string>> LabelLines(const com::Variant& arAnnoStrings);

// One and a half text heights.
double LineSpacing(const AnnoFormatTable& table);
// Whether a pipe of this element type gets a direction arrow: its flag's value is 1.
bool ArrowShown(const AnnoFormatTable& table, std::string_view elementType);

// Line i into attribute i, centred on its own point and turned by the text angle: a pipe's
// first ceil(n/2) lines on the left of the text direction, the rest on the right with no
// line on the pipe; a node's lines all on the left, the first farthest. The points are
// taken from the anchor, so a block laid out again lands where a new one would. Too few
// attributes raise Subscript out of range after those that exist are written.
void LayOutLines(const std::vector<std::shared_ptr<acad::AcadAttributeReference>>& attributes,
                 const std::vector<std::string>& lines, bool pipe, const Anchor& anchor, double spacing);
// Only the texts, the positions as they are; too few attributes as above.
void WriteLines(const std::vector<std::shared_ptr<acad::AcadAttributeReference>>& attributes,
                const std::vector<std::string>& lines);

}  // namespace fluvanet::labels
