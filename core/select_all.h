#pragma once
// Selecting by filter: every entity of the drawing that the filter's pairs match.

#include <cstdint>
#include <vector>

#include "platform/acad_selection.h"

namespace fluvanet {

// Mode 5 (all) with the pairs as parallel group codes and values.
inline void SelectAll(acad::AcadSelectionSet& set, const std::vector<int16_t>& codes,
                      const std::vector<com::Variant>& values) {
    set.Select(5, {}, {}, com::Variant(com::SafeArray::FromInt16s(codes)),
               com::Variant(com::SafeArray::FromVariants(values)));
}

}  // namespace fluvanet
