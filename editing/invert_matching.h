#pragma once
// The matching rules by which a node ties the inverts of its pipes to its sump level.

#include <cstdint>
#include <optional>

#include "core/element_records.h"
#include "platform/acad_document.h"

namespace fluvanet {

class Editing;

// Node entry 4.
inline constexpr int16_t kNoMatching = 0;        // inverts left alone, the sump follows the lowest
inline constexpr int16_t kMatchCenterlines = 1;  // every centre line at sump + largest rise / 2
inline constexpr int16_t kMatchSoffits = 2;      // every crown at sump + largest rise
inline constexpr int16_t kMatchInverts = 3;      // every invert at the sump

// The lowest invert of the pipes the node lists (GetSumpElevation); none when it lists no
// pipe, so that an isolated node keeps its sump.
std::optional<double> LowestConnectedInvert(Editing& editing, acad::AcadDocument& doc, const ElementRecord& node);

}  // namespace fluvanet
