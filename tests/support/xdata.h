#pragma once
// Building extended data in tests: the two Variant arrays SetXData takes, and a
// "Fluvamap" record of texts.

#include <vector>

#include "platform/acad_object.h"

namespace testing_support {

inline com::Variant Codes(std::vector<int16_t> codes) { return com::Variant(com::SafeArray::FromInt16s(codes)); }
inline com::Variant Values(std::vector<com::Variant> values) {
    return com::Variant(com::SafeArray::FromVariants(values));
}

// Entry 0 is the application; every further entry is a text (code 1000).
inline void SetTextRecord(acad::AcadObject& object, const std::vector<com::Variant>& texts) {
    std::vector<int16_t> codes{1001};
    std::vector<com::Variant> values{"Fluvamap"};
    for (const auto& t : texts) {
        codes.push_back(1000);
        values.push_back(t);
    }
    object.SetXData(Codes(codes), Values(values));
}

}  // namespace testing_support
