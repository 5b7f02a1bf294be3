#include <string>
#include <vector>

#include "core/plan_arcs.h"
#include "editing/editing.h"
#include "platform/safe_array.h"
#include "platform/vb_convert.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

// The values of a coordinate array, x and y of each vertex in turn. Half a vertex cannot
// be reversed or joined: its partner would lie outside the array.
void CheckPairs(std::size_t count) {
    if (count % 2 != 0)
        Raise(ErrorCode::SubscriptOutOfRange,
              "a coordinate array holds x and y of each vertex; " + std::to_string(count) + " values do not pair up");
}

std::vector<double> CoordinateValues(const Variant& coordinates) {
    std::vector<double> values = coordinates.Array().ToDoubles();
    CheckPairs(values.size());
    return values;
}

// A path to join: without a vertex it has no end to join at.
std::vector<double> JoinableValues(const Variant& coordinates) {
    std::vector<double> values = CoordinateValues(coordinates);
    if (values.empty())
        Raise(ErrorCode::SubscriptOutOfRange, "a coordinate array without a vertex has no end to join at");
    return values;
}

bool SameVertex(const std::vector<double>& a, std::size_t i, const std::vector<double>& b, std::size_t j) {
    return a[i] == b[j] && a[i + 1] == b[j + 1];
}

}  // namespace

std::vector<double> ReversedVertices(const std::vector<double>& coordinates) {
    const std::size_t count = coordinates.size();
    CheckPairs(count);
    std::vector<double> reversed(count);
    for (std::size_t i = 0; i < count; i += 2) {
        reversed[i] = coordinates[count - i - 2];
        reversed[i + 1] = coordinates[count - i - 1];
    }
    return reversed;
}

Variant Editing::ReversePolylineCoordinates(const Variant& ArCoordinates) {
    const std::vector<double> items = ArCoordinates.Array().ToDoubles();
    vb::Count16(items.size());  // the host's array
    return Variant(SafeArray::FromDoubles(ReversedVertices(items)));
}

Variant Editing::MergeTwoCoordinatesArrays(const Variant& FirstArray, const Variant& SecondArray) {
    for (const Variant* array : {&FirstArray, &SecondArray}) vb::Count16(array->Array().Size());  // the host's arrays
    return Variant(SafeArray::FromDoubles(MergeTwoPaths(FirstArray, {}, SecondArray, {}).coordinates));
}

plan::Path Editing::MergeTwoPaths(const Variant& FirstArray, const std::vector<double>& FirstBulges,
                                  const Variant& SecondArray, const std::vector<double>& SecondBulges) {
    const std::vector<double> first = JoinableValues(FirstArray);
    const std::vector<double> second = JoinableValues(SecondArray);
    const std::size_t firstLast = first.size() - 2, secondLast = second.size() - 2;

    // The ends are compared exactly: a pipe's end either is its neighbour's or it is not.
    bool reverseFirst = false, reverseSecond = false;
    if (SameVertex(second, 0, first, 0)) {
        reverseFirst = true;
    } else if (SameVertex(second, secondLast, first, 0)) {
        reverseFirst = reverseSecond = true;
    } else if (SameVertex(second, 0, first, firstLast)) {
    } else if (SameVertex(second, secondLast, first, firstLast)) {
        reverseSecond = true;
    } else {
        Raise(ErrorCode::InvalidProcedureCall,
              "the coordinate arrays share no end vertex: (" + vb::CStr(first[0]) + ", " + vb::CStr(first[1]) +
                  ")-(" + vb::CStr(first[firstLast]) + ", " + vb::CStr(first[firstLast + 1]) + ") and (" +
                  vb::CStr(second[0]) + ", " + vb::CStr(second[1]) + ")-(" + vb::CStr(second[secondLast]) + ", " +
                  vb::CStr(second[secondLast + 1]) + ")");
    }
    return JoinPaths(FirstArray, FirstBulges, reverseFirst, SecondArray, SecondBulges, reverseSecond);
}

plan::Path Editing::JoinPaths(const Variant& FirstArray, const std::vector<double>& FirstBulges, bool reverseFirst,
                              const Variant& SecondArray, const std::vector<double>& SecondBulges,
                              bool reverseSecond) {
    const std::vector<double> first = JoinableValues(FirstArray);
    const std::vector<double> second = JoinableValues(SecondArray);
    const std::size_t firstEnd = reverseFirst ? 0 : first.size() - 2;
    const std::size_t secondEnd = reverseSecond ? second.size() - 2 : 0;
    if (!SameVertex(second, secondEnd, first, firstEnd))
        Raise(ErrorCode::InvalidProcedureCall,
              "the coordinate arrays do not meet where they are joined: (" + vb::CStr(first[firstEnd]) + ", " +
                  vb::CStr(first[firstEnd + 1]) + ") and (" + vb::CStr(second[secondEnd]) + ", " +
                  vb::CStr(second[secondEnd + 1]) + ")");
    std::vector<double> merged = reverseFirst ? ReversedVertices(first) : first;
    const std::vector<double> tail = reverseSecond ? ReversedVertices(second) : second;
    merged.insert(merged.end(), tail.begin() + 2, tail.end());

    // The first path's segments, then from the shared vertex on the second's.
    std::vector<double> bulges;
    if (!FirstBulges.empty() || !SecondBulges.empty()) {
        auto turned = [](std::vector<double> values, std::size_t vertices, bool reverse) {
            values.resize(vertices, 0);
            return reverse ? plan::ReversedBulges(values) : values;
        };
        const std::vector<double> head = turned(FirstBulges, first.size() / 2, reverseFirst);
        const std::vector<double> rest = turned(SecondBulges, second.size() / 2, reverseSecond);
        bulges.assign(head.begin(), head.end() - 1);
        bulges.insert(bulges.end(), rest.begin(), rest.end());
    }
    return {std::move(merged), std::move(bulges)};
}

}  // namespace fluvanet
