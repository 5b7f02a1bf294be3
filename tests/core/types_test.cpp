// The public records as the host receives them.

#include <gtest/gtest.h>

#include "core/types.h"
#include "platform/acad_document.h"

namespace {

using com::Variant;
using fluvanet::CrossPoint;
using fluvanet::PipeVertices;
using fluvanet::ShpNode;
using fluvanet::ShpPipe;

TEST(PublicRecords, NewRecordsStartEmptyAndUnchecked) {
    ShpNode node;
    EXPECT_FALSE(node.LowHighChecked);
    EXPECT_EQ(node.PipesAtStartIndeces + node.PipesAtEndIndeces, "");
    EXPECT_EQ(PipeVertices{}.vertices, (std::array<double, 200>{}));
}

TEST(PublicRecords, ArraysOfRecordsKeepValuesAndEntityIdentity) {
    auto doc = acad::NewDrawing();
    auto a = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    auto b = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    ShpPipe pipe;
    pipe.Label = "P-1";
    pipe.Coordinates = {0, 0, 10, 0};
    pipe.Rise = 0.3;
    pipe.Entity = a;
    pipe.Cancelled = true;

    Variant array = com::ToVariant(std::vector<ShpPipe>{pipe, ShpPipe{}});
    EXPECT_EQ(array.Array().Get(0).Record().TypeName(), "ShpPipe");
    std::vector<ShpPipe> back = com::FromVariant<std::vector<ShpPipe>>(array);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0], pipe);
    EXPECT_EQ(back[0].Entity, a);
    EXPECT_EQ(back[1], ShpPipe{});

    // Same data on another entity is another record.
    ShpPipe other = pipe;
    other.Entity = b;
    EXPECT_NE(other, pipe);
    // A Boolean field is -1 as a number.
    EXPECT_EQ(vb::CInt(Variant(pipe.Cancelled)), -1);
}

TEST(PublicRecords, ACrossingListCrossesAsARecordArrayAndComparesEveryField) {
    CrossPoint crossing;
    EXPECT_EQ(crossing.Pipe1Label + crossing.Pipe2OID, "");
    EXPECT_FALSE(crossing.Duplicated);
    crossing.Pipe1OID = "12";
    crossing.Northing = 7.5;
    Variant list = com::ToVariant(std::vector<CrossPoint>{crossing, CrossPoint{}});
    EXPECT_EQ(list.Array().Get(1).Record().TypeName(), "CrossPoint");
    EXPECT_EQ(com::FromVariant<std::vector<CrossPoint>>(list), (std::vector<CrossPoint>{crossing, CrossPoint{}}));
    CrossPoint duplicated = crossing;
    duplicated.Duplicated = true;
    EXPECT_NE(duplicated, crossing);
}

}  // namespace
