// Collecting a network's elements, named selection sets, combined labels and the label check.

#include <gtest/gtest.h>

#include "core/general.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "host/new_project.h"
#include "tests/support/error_code.h"
#include "tests/support/xdata.h"

namespace {

using com::ErrorCode;
using com::Variant;
using fluvanet::ElementRecord;
using testing_support::ErrorOf;
using Entities = std::vector<std::shared_ptr<acad::AcadEntity>>;

class NetworkSets : public testing::Test {
protected:
    void SetUp() override {
        host::CreateProjectRecord(*doc);
        doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Node");
    }
    std::shared_ptr<acad::AcadEntity> Pipe(const std::string& net, const std::string& label) {
        auto p = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 10, 0});
        fluvanet::NewPipeRecord(p, net, "Gravity", label, "Metric", {}).Write();
        return p;
    }
    std::shared_ptr<acad::AcadEntity> Node(const std::string& net, const std::string& label) {
        auto n = doc->ModelSpace()->InsertBlock({0, 0, 0}, "Fluvamap_Node", 1, 1, 1, 0);
        fluvanet::NewNodeRecord(n, net, "Gravity", label).Write();
        return n;
    }
    // An element of `type` whose identifier the owner's `entry` references.
    std::shared_ptr<acad::AcadEntity> Attach(const std::shared_ptr<acad::AcadEntity>& owner, int entry,
                                             const std::string& type) {
        auto a = doc->ModelSpace()->AddPoint({0, 0, 0});
        testing_support::SetTextRecord(*a, {";Main;x" + type, type});
        SetEntry(owner, entry, fluvanet::refs::Reference(fluvanet::IdText(*a)));
        return a;
    }
    static void SetEntry(const std::shared_ptr<acad::AcadEntity>& e, int entry, const std::string& text) {
        ElementRecord r = ElementRecord::Read(e);
        r.Set(entry, Variant(text));
        r.Write();
    }
    Entities Set(const std::string& net, int16_t option) { return general.GetNetworkSet(*doc, net, option)->Members(); }
    std::shared_ptr<acad::AcadDocument> doc = acad::NewDrawing();
    fluvanet::General general;
};

TEST_F(NetworkSets, OptionsChooseWhatIsCollectedAndOtherNetworksStayOut) {
    auto n1 = Node("Main", "N-1");
    auto p1 = Pipe("Main", "P-1");
    Node("Main2", "N-1");
    Pipe("Main2", "P-1");
    auto n2 = Node("Main", "N-2");
    auto label = Attach(p1, 18, "Annotation");
    auto arrow = Attach(p1, 19, "Arrow");
    auto nodeLabel = Attach(n2, 12, "Annotation");
    EXPECT_EQ(Set("Main", 0), (Entities{p1, label, arrow, n1, n2, nodeLabel}));
    EXPECT_EQ(Set("Main", 1), (Entities{p1}));
    EXPECT_EQ(Set("Main", 2), (Entities{n1, n2}));
    EXPECT_EQ(Set("Main", 3), (Entities{}));
    EXPECT_EQ(Set("Mai", 0), (Entities{}));
    EXPECT_EQ(doc->SelectionSets()->Count(), 1);  // the working sets are gone
}

TEST_F(NetworkSets, NamesAreMatchedExactlyNeverAsPatterns) {
    for (std::string net : {"Net.1", "Net-1", "*", "[AB]", "A", "Net"}) Pipe(net, "P-1");
    for (std::string net : {"Net.1", "*", "[AB]"}) {
        Entities got = Set(net, 1);
        ASSERT_EQ(got.size(), 1u) << net;
        EXPECT_EQ(ElementRecord::Read(got[0]).Text(1), "Pipe;" + net + ";P-1");
    }
    // Another text of a record matching the pattern does not make the entity a pipe of it.
    auto node = Node("Other", "N-1");
    SetEntry(node, 11, "Pipe;Net;P-2");
    EXPECT_EQ(Set("Net", 0).size(), 1u);

    // A name of 100,000 characters is one more pattern, parsed once for the drawing.
    for (int i = 0; i < 300; ++i) Pipe("Other", "P-" + std::to_string(i));
    const std::string longName = std::string(99999, 'L') + "*";
    auto longPipe = Pipe(longName, "P-1");
    EXPECT_EQ(Set(longName, 1), (Entities{longPipe}));
    EXPECT_EQ(Set(longName.substr(1), 1), (Entities{}));
}

TEST_F(NetworkSets, AFaultyReferenceOrRecordSkipsOnlyWhatItConcerns) {
    auto stale = Attach(Pipe("Main", "P-1"), 18, "Annotation");
    auto p2 = Pipe("Main", "P-2");
    auto n1 = Node("Main", "N-1");
    Attach(p2, 18, "Arrow");  // not a label block
    SetEntry(p2, 19, fluvanet::refs::Reference(fluvanet::IdText(*n1)));  // not an arrow
    auto p3 = Pipe("Main", "P-3");
    SetEntry(p3, 18, ";RelatedToabc");
    auto broken = Node("Main", "N-2");
    SetEntry(broken, 1, "Node");
    stale->Delete();
    Entities got = Set("Main", 0);
    EXPECT_EQ(got.size(), 4u);
    EXPECT_EQ(got[1], p2);
    EXPECT_EQ(got[2], p3);
    EXPECT_EQ(got[3], n1);
}

TEST_F(NetworkSets, InitializeSelectionSetReplacesOnlyTheSetOfThatName) {
    auto old = general.InitializeSelectionSet(*doc, "Work");
    old->AddItems({Pipe("Main", "P-1")});
    general.InitializeSelectionSet(*doc, "Other");
    auto fresh = general.InitializeSelectionSet(*doc, "Work");
    EXPECT_EQ(fresh->Count(), 0);
    EXPECT_EQ(doc->SelectionSets()->Count(), 2);
    EXPECT_EQ(ErrorOf([&] { old->Count(); }), ErrorCode::ObjectErased);
}

TEST_F(NetworkSets, CombinedLabelsGiveTheirItems) {
    EXPECT_EQ(general.EntityLabelFromCombined(Variant(";Main;P-1Annotation")), "P-1Annotation");
    EXPECT_EQ(general.EntityNetworkFromCombined(Variant("Pipe;Main")), "Main");
    EXPECT_EQ(ErrorOf([&] { general.EntityLabelFromCombined(Variant("Pipe;Main")); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { general.EntityNetworkFromCombined(Variant("")); }), ErrorCode::SubscriptOutOfRange);
}

TEST_F(NetworkSets, PipeLabelsMatchExactlyNodeLabelsIgnoreCase) {
    Pipe("Main", "P-1");
    Node("Main", "N-3");
    Node("Other", "N-4");
    EXPECT_TRUE(general.CheckLabelDuplication(*doc, "Main", "GravityPipe", "P-1"));
    EXPECT_FALSE(general.CheckLabelDuplication(*doc, "Main", "PressurePipe", "p-1"));
    EXPECT_FALSE(general.CheckLabelDuplication(*doc, "Main", "GravityPipe", "P.1"));
    EXPECT_FALSE(general.CheckLabelDuplication(*doc, "Main", "GravityPipe", "P-*"));
    EXPECT_TRUE(general.CheckLabelDuplication(*doc, "Main", "GravityNode", "n-3"));
    EXPECT_FALSE(general.CheckLabelDuplication(*doc, "Main", "PressureNode", "N-3"));
    EXPECT_FALSE(general.CheckLabelDuplication(*doc, "Main", "GravityNode", "N-4"));
    EXPECT_FALSE(general.CheckLabelDuplication(*doc, "Main", "Annotation", "P-1"));
}

}  // namespace
