#pragma once
// The stand-in's fixed text-size model, used for the extents of texts, attribute
// definitions and attribute references:
// - every character advances by one text height times the style's width factor;
// - the control codes "%%c", "%%d", "%%p" and "%%%" are one character each, "%%u" and
//   "%%o" (underline and overline switches) take no room; any other "%%" is two characters;
// - the box reaches from the baseline up to one text height (no descenders);
// - an empty text has zero width and still one height.
// Alignments (AutoCAD codes): 0 left, 1 center, 2 right (on the baseline), 9 middle left,
// 10 middle center, 11 middle right (middle = half the height above the baseline). Left
// text is placed by its insertion point (the left end of the baseline); the others by
// their alignment point. Other alignment codes raise Invalid input.

#include <cstdint>
#include <string_view>

#include "platform/geometry.h"

namespace geom {

int32_t TextCharacterCount(std::string_view text);
double TextWidth(std::string_view text, double height, double widthFactor);

// The left end of the baseline of a text placed by its alignment point, rotated by
// `rotation` about that point.
Point2 TextOrigin(std::string_view text, double height, double widthFactor, int32_t alignment,
                  Point2 alignmentPoint, double rotation);

// Axis-aligned extents of a text whose baseline starts at `origin` and runs at `rotation`.
Box TextBox(std::string_view text, double height, double widthFactor, Point2 origin, double rotation);

}  // namespace geom
