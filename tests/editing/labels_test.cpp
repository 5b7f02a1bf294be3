// The labels already used in a network, as new labels are allocated against them.

#include <gtest/gtest.h>

#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "host/new_project.h"
#include "tests/support/xdata.h"

namespace {

using com::Variant;
using Labels = std::vector<std::string>;

class ExistingLabels : public testing::Test {
protected:
    void SetUp() override {
        host::CreateProjectRecord(*doc);
        doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Node");
    }
    std::shared_ptr<acad::AcadEntity> Node(const std::string& net, const std::string& type, const std::string& label) {
        auto n = doc->ModelSpace()->InsertBlock({0, 0, 0}, "Fluvamap_Node", 1, 1, 1, 0);
        fluvanet::NewNodeRecord(n, net, type, label).Write();
        return n;
    }
    Labels Get(const std::string& net, const std::string& type, const Labels& ignore = {""}) {
        return editing.GetExistingLabelsArray(*doc, net, type, Variant(com::SafeArray::FromStrings(ignore)));
    }
    std::shared_ptr<acad::AcadDocument> doc = acad::NewDrawing();
    fluvanet::Editing editing;
};

TEST_F(ExistingLabels, LabelsOfTheNetworkAndTypeInOrderThenOneEmpty) {
    Node("Main", "Gravity", "N-2");
    Node("main", "Gravity", "N-5");
    Node("Main", "Pressure", "N-6");
    auto n1 = Node("Main", "Gravity", "N-1");
    auto pipe = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 1, 0});
    fluvanet::NewPipeRecord(pipe, "Main", "Gravity", "P-1", "Metric", {}).Write();
    // A label block is a block reference with a record too, of another element type.
    auto label = doc->ModelSpace()->InsertBlock({0, 0, 0}, "Fluvamap_Node", 1, 1, 1, 0);
    testing_support::SetTextRecord(*label, {";Main;N-1Annotation", "Annotation"});

    EXPECT_EQ(Get("Main", "GravityNode"), (Labels{"N-2", "N-1", ""}));
    EXPECT_EQ(Get("Main", "GravityPipe"), (Labels{"P-1", ""}));
    std::string id = fluvanet::IdText(*n1);
    EXPECT_EQ(Get("Main", "GravityNode", {id}), (Labels{"N-2", ""}));
    EXPECT_EQ(Get("Main", "GravityNode", {" " + id, id + ";"}), (Labels{"N-2", "N-1", ""}));
    EXPECT_EQ(Get("Storm", "GravityNode"), (Labels{""}));
    EXPECT_EQ(Get("Main", "Annotation"), (Labels{""}));
}

}  // namespace
