#include <string>
#include <vector>

#include "editing/editing.h"
#include "platform/safe_array.h"
#include "platform/vb_convert.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

Variant Editing::ReversePolylineCoordinates(const Variant& ArCoordinates) {
    const SafeArray& items = ArCoordinates.Array();
    int32_t lower = items.LBound(1);
    int32_t upper = items.UBound(1);
    int16_t count = vb::Count16(static_cast<std::size_t>(upper - lower + 1));
    // Half a vertex cannot be reversed: its partner would lie before the array.
    if (count % 2 != 0)
        Raise(ErrorCode::SubscriptOutOfRange,
              "a coordinate array holds x and y of each vertex; " + std::to_string(count) + " values do not pair up");
    std::vector<double> reversed(static_cast<std::size_t>(count));
    for (int16_t i = 0; i < count; i += 2) {
        int32_t from = lower + count - i - 2;
        reversed[static_cast<std::size_t>(i)] = vb::CDbl(items.Get(from));
        reversed[static_cast<std::size_t>(i) + 1] = vb::CDbl(items.Get(from + 1));
    }
    return Variant(SafeArray::FromDoubles(reversed));
}

}  // namespace fluvanet
