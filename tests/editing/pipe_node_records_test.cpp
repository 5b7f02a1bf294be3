// The pipe and node record layouts as the drawing stores them.

#include <gtest/gtest.h>

#include "core/element_records.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"

namespace {

using com::Variant;
using fluvanet::ElementRecord;
namespace pipe_entry = fluvanet::pipe_entry;
namespace node_entry = fluvanet::node_entry;

// Written to a drawing object and read back, so the codes are the ones the drawing keeps.
ElementRecord Stored(ElementRecord record) {
    record.Write();
    return ElementRecord::Read(record.Object());
}

ElementRecord NewPipe(acad::AcadDocument& doc, const std::string& networkType, const std::string& units) {
    auto pipe = doc.ModelSpace()->AddLightWeightPolyline({0, 0, 10, 0});
    return Stored(fluvanet::NewPipeRecord(pipe, "Net", networkType, "P-1", units, {"N-1", "12", "N-2", "-34"}));
}

ElementRecord NewNode(acad::AcadDocument& doc, const std::string& networkType) {
    auto node = doc.ModelSpace()->AddPoint({0, 0, 0});
    return Stored(fluvanet::NewNodeRecord(node, "Net", networkType, "N-1"));
}

TEST(PipeNodeRecords, NewPipeHoldsTwentyFourEntriesWithTheirCodes) {
    auto doc = acad::NewDrawing();
    ElementRecord pipe = NewPipe(*doc, "Gravity", "Metric");
    EXPECT_EQ(pipe.Codes(), (std::vector<int16_t>{1001, 1000, 1000, 1000, 1040, 1040, 1040, 1040, 1070, 1040, 1040, 1000,
                                                  1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000,
                                                  1000}));
    std::vector<Variant> expected{"Fluvamap", "Pipe;Net;P-1", "GravityPipe", "SectionShape_Circular", 200.0, 200.0,
                                  0.0, 0.0, int16_t{1}, 0.0, 0.0, "PVC", ";RelatedToN-1", ";RelatedToN-2",
                                  ";RelatedTo12", ";RelatedTo-34", "", "", "", "", "", "", "", ""};
    EXPECT_EQ(pipe.Values(), expected);

    ElementRecord us = NewPipe(*doc, "Pressure", "US");
    EXPECT_EQ(us.Get(pipe_entry::kElementType), Variant("PressurePipe"));
    EXPECT_EQ(us.Get(pipe_entry::kSpan), Variant(8.0));
    EXPECT_EQ(us.Get(pipe_entry::kRise), Variant(8.0));
    EXPECT_EQ(us.Get(pipe_entry::kSectionShape), Variant("SectionShape_Circular"));
    // Only "Metric" is metric.
    EXPECT_EQ(NewPipe(*doc, "Gravity", "metric").Get(pipe_entry::kSpan), Variant(8.0));
}

TEST(PipeNodeRecords, IntegerEntriesStayIntegersAfterRewrites) {
    auto doc = acad::NewDrawing();
    ElementRecord pipe = NewPipe(*doc, "Gravity", "Metric");
    for (double cells : {2.0, 3.0}) {
        pipe.Set(pipe_entry::kCells, cells);
        pipe = Stored(pipe);
    }
    EXPECT_EQ(pipe.Code(pipe_entry::kCells), 1070);
    EXPECT_EQ(pipe.Get(pipe_entry::kCells), Variant(int16_t{3}));
    EXPECT_EQ(pipe.Count(), pipe_entry::kCount);

    ElementRecord node = NewNode(*doc, "Gravity");
    node.Set(node_entry::kMatchingCode, Variant("2"));
    node = Stored(node);
    EXPECT_EQ(node.Get(node_entry::kMatchingCode), Variant(int16_t{2}));
}

TEST(PipeNodeRecords, NewNodeHoldsFifteenEntriesAndItsMatchingCode) {
    auto doc = acad::NewDrawing();
    ElementRecord node = NewNode(*doc, "Gravity");
    EXPECT_EQ(node.Codes(), (std::vector<int16_t>{1001, 1000, 1000, 1070, 1070, 1000, 1000, 1000, 1000, 1040, 1040, 1000,
                                                  1000, 1000, 1000}));
    std::vector<Variant> expected{"Fluvamap", "Node;Net;N-1", "GravityNode", int16_t{0}, int16_t{0}, "", "", "", "",
                                  0.0, 0.0, "", "", "", ""};
    EXPECT_EQ(node.Values(), expected);

    EXPECT_EQ(NewNode(*doc, "Pressure").Get(node_entry::kMatchingCode), Variant(int16_t{1}));
    EXPECT_EQ(NewNode(*doc, "Pressure").Get(node_entry::kElementType), Variant("PressureNode"));
    EXPECT_EQ(NewNode(*doc, "gravity").Get(node_entry::kMatchingCode), Variant(int16_t{1}));
}

TEST(PipeNodeRecords, ProjectRecordCodes) {
    EXPECT_EQ(fluvanet::ProjectRecordCodes(),
              (std::vector<int16_t>{1001, 1000, 1070, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000}));
}

TEST(PipeNodeRecords, ReferenceListKeysReadBackInOrder) {
    auto doc = acad::NewDrawing();
    ElementRecord node = NewNode(*doc, "Gravity");
    node.Set(node_entry::kStartPipeIds, fluvanet::refs::ReferenceList({"12", "-34"}));
    node = Stored(node);
    EXPECT_EQ(node.Text(node_entry::kStartPipeIds), ";RelatedTo12;RelatedTo-34");
    EXPECT_EQ(fluvanet::refs::LeadingKeys(node.Text(node_entry::kStartPipeIds)),
              (std::vector<std::string>{"12", "-34"}));
    EXPECT_TRUE(fluvanet::refs::LeadingKeys(node.Text(node_entry::kEndPipeIds)).empty());
}

TEST(PipeNodeRecords, RiseInLevelUnitsByUnitsAndShape) {
    using fluvanet::RiseInLevelUnits;
    EXPECT_DOUBLE_EQ(RiseInLevelUnits("Metric", "SectionShape_Circular", 600), 0.6);
    EXPECT_DOUBLE_EQ(RiseInLevelUnits("Metric", "SectionShape_Box", 600), 0.6);
    EXPECT_DOUBLE_EQ(RiseInLevelUnits("US", "SectionShape_Circular", 24), 2);
    EXPECT_DOUBLE_EQ(RiseInLevelUnits("US", "SectionShape_Box", 2), 2);
    EXPECT_DOUBLE_EQ(RiseInLevelUnits("metric", "SectionShape_Circular", 24), 2);
}

}  // namespace
