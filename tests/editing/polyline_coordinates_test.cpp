// Coordinate arrays of polylines reversed vertex by vertex.

#include <gtest/gtest.h>

#include "editing/editing.h"
#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using testing_support::ErrorOf;

TEST(PolylineCoordinates, ReversingKeepsEachVertexPairInOrderAndLeavesTheArgument) {
    fluvanet::Editing editing;
    Variant coordinates(SafeArray::FromDoubles({0, 0, 10, 0, 10, 5}));
    Variant reversed = editing.ReversePolylineCoordinates(coordinates);
    EXPECT_EQ(reversed.Array().ElementType(), com::VarType::Double);
    EXPECT_EQ(reversed.Array().ToDoubles(), (std::vector<double>{10, 5, 10, 0, 0, 0}));
    EXPECT_EQ(coordinates.Array().ToDoubles(), (std::vector<double>{0, 0, 10, 0, 10, 5}));
    EXPECT_EQ(editing.ReversePolylineCoordinates(reversed).Array().ToDoubles(), (std::vector<double>{0, 0, 10, 0, 10, 5}));

    // As a late-bound caller passes them: numbers in Variants, the variable unchanged.
    auto late = std::make_shared<fluvanet::Editing>();
    Variant mixed(SafeArray::FromVariants({Variant(int16_t{1}), Variant(2.5), Variant("3"), Variant(4.0)}));
    EXPECT_EQ(vb::CallByName(late, "ReversePolylineCoordinates", com::CallType::Method, mixed),
              Variant(SafeArray::FromDoubles({3, 4, 1, 2.5})));
    EXPECT_EQ(mixed.Array().Get(0), Variant(int16_t{1}));
}

TEST(PolylineCoordinates, AnOddCountOrNoArrayIsRefused) {
    fluvanet::Editing editing;
    EXPECT_EQ(ErrorOf([&] { editing.ReversePolylineCoordinates(Variant(SafeArray::FromDoubles({0, 0, 10}))); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { editing.ReversePolylineCoordinates(Variant(SafeArray::FromDoubles({7}))); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { editing.ReversePolylineCoordinates(Variant()); }), ErrorCode::TypeMismatch);
    // The host's array keeps 16-bit indices.
    const Variant tooLong(SafeArray::FromDoubles(std::vector<double>(32768)));
    EXPECT_EQ(ErrorOf([&] { editing.ReversePolylineCoordinates(tooLong); }), ErrorCode::Overflow);
    const Variant longest(SafeArray::FromDoubles(std::vector<double>(32766)));
    EXPECT_EQ(editing.ReversePolylineCoordinates(longest).Array().Size(), 32766u);
}

}  // namespace
