// Turning picked lines and polylines into pipes and nodes: labels, records and links, which
// nodes pipe ends share, the library counts, and what a refused or failed conversion leaves.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

#include "annotation/view_style.h"
#include "core/general.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "events/events.h"
#include "platform/ui_log.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "tests/support/erase_watch.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/view_style.h"
#include "tests/support/xdata.h"

namespace {

using namespace testing_support;
using com::ErrorCode;
using com::Variant;
using testing::ElementsAre;
using testing::IsEmpty;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;
using Entities = std::vector<std::shared_ptr<acad::AcadEntity>>;

std::string Ref(const std::string& key) { return ";RelatedTo" + key; }

class Conversion : public testing::Test {
protected:
    Conversion() {
        AddActiveViewStyle(*doc, ViewStyleSettings());
        general.CreateNetworkDefintion(*doc, "Sewer", "Gravity");
    }

    std::shared_ptr<acad::AcadLWPolyline> Polyline(const std::vector<double>& xy) {
        return doc->ModelSpace()->AddLightWeightPolyline(xy);
    }
    std::shared_ptr<acad::AcadSelectionSet> SetOf(const Entities& entities) {
        auto set = general.InitializeSelectionSet(*doc, "Picked");
        set->AddItems(entities);
        return set;
    }
    void Convert(const Entities& entities, bool existing = false, const std::string& net = "Sewer",
                 const std::string& type = "Gravity") {
        editing.CreateElementsInNetwork(*doc, *SetOf(entities), existing, net, type);
    }
    void Sound() {
        std::vector<std::string> findings = NetworkFindings(*doc);
        EXPECT_THAT(findings, IsEmpty()) << testing::PrintToString(findings);
    }

    // Items of an element's combined label.
    static std::string LabelOf(const std::shared_ptr<acad::AcadObject>& element) {
        return vb::Split(RecordText(element, 1), ";").at(2);
    }
    std::shared_ptr<acad::AcadBlockReference> Node(const std::shared_ptr<acad::AcadObject>& pipe, int32_t idEntry) {
        return acad::Cast<acad::AcadBlockReference>(
            fluvanet::ObjectFromId(*doc, fluvanet::refs::ReferenceKey(RecordText(pipe, idEntry))));
    }
    // The nodes of a network in drawing order, by label.
    std::vector<std::string> NodeLabels(const std::string& net = "Sewer") {
        std::vector<std::string> labels;
        for (const auto& n : general.GetNetworkSet(*doc, net, 2)->Members()) labels.push_back(LabelOf(n));
        return labels;
    }
    std::vector<std::string> PipeLabels(const std::string& net = "Sewer") {
        std::vector<std::string> labels;
        for (const auto& p : general.GetNetworkSet(*doc, net, 1)->Members()) labels.push_back(LabelOf(p));
        return labels;
    }
    std::string Count(const com::SafeArray& table, const std::string& name) {
        for (int32_t i = 0; i <= table.UBound(1); ++i)
            if (vb::CStr(table.Get(i, 0)) == name) return vb::CStr(table.Get(i, 1));
        return "none";
    }
    std::string MaterialCount(const std::string& name) { return Count(library.GetMaterialsArray(*doc), name); }
    std::string SizeCount(const std::string& size) { return Count(library.GetSizesArray(*doc, "Circular"), size); }
    std::size_t EntityCount() { return doc->Database()->SpaceEntities().size(); }
    // Every record of the drawing, in drawing order.
    std::vector<std::string> Records() {
        std::vector<std::string> all;
        for (const auto& e : doc->Database()->SpaceEntities()) {
            const fluvanet::ElementRecord record = fluvanet::ElementRecord::Read(e);
            all.push_back(record.Exists() ? vb::Join(record.ValuesVariant().Array().ToStrings(), "|") : "");
        }
        return all;
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    fluvanet::General general;
    fluvanet::Library library;
    fluvanet::Editing editing;
};

TEST_F(Conversion, TwoLinesEndToStartShareTheirMiddleNode) {
    auto first = doc->ModelSpace()->AddLine({0, 0, 5}, {10, 0, 5});
    auto second = doc->ModelSpace()->AddLine({10, 0, 0}, {10, 20, 0});
    doc->Utility()->QueueSelection({first, second});
    auto picked = editing.GetEntitiesToConvert(*doc);
    ASSERT_EQ(picked->Count(), 2);
    EXPECT_TRUE(first->Erased());
    EXPECT_TRUE(second->Erased());
    auto p1 = acad::Cast<acad::AcadLWPolyline>(picked->Item(0));
    auto p2 = acad::Cast<acad::AcadLWPolyline>(picked->Item(1));
    EXPECT_EQ(p1->Coordinates(), (std::vector<double>{0, 0, 10, 0}));  // in plan: z is dropped
    EXPECT_EQ(p2->Coordinates(), (std::vector<double>{10, 0, 10, 20}));
    const std::vector<host::UiEvent>& ui = host::Ui().Events();
    ASSERT_GE(ui.size(), 2u);
    EXPECT_EQ(ui[ui.size() - 2], (host::UiEvent{host::UiEvent::Kind::Command, "\x1b", 0, ""}));
    EXPECT_EQ(ui.back(), (host::UiEvent{host::UiEvent::Kind::Prompt, "Select Entities to Convert:", 0, ""}));

    editing.CreateElementsInNetwork(*doc, *picked, false, "Sewer", "Gravity");
    Sound();
    // Both nodes of a pipe are labelled before the pipe.
    EXPECT_EQ(NodeLabels(), (std::vector<std::string>{"N-1", "N-2", "N-3"}));
    EXPECT_EQ(LabelOf(p1), "P-1");
    EXPECT_EQ(LabelOf(p2), "P-2");
    EXPECT_EQ(LabelOf(Node(p2, pe::kEndNodeId)), "N-3");
    EXPECT_EQ(p1->Layer(), "Sewer - Network");

    auto shared = Node(p1, pe::kEndNodeId);
    EXPECT_EQ(Node(p2, pe::kStartNodeId), shared);
    fluvanet::ElementRecord node = fluvanet::ElementRecord::Read(shared);
    EXPECT_EQ(node.Text(ne::kEndPipeLabels), Ref("P-1"));
    EXPECT_EQ(node.Text(ne::kEndPipeIds), Ref(fluvanet::IdText(*p1)));
    EXPECT_EQ(node.Text(ne::kStartPipeLabels), Ref("P-2"));
    EXPECT_EQ(node.Text(ne::kStartPipeIds), Ref(fluvanet::IdText(*p2)));
    EXPECT_EQ(node.Codes(), fluvanet::NodeRecordCodes());
    EXPECT_EQ(node.Count(), 15);
    EXPECT_EQ(node.Text(ne::kCombinedLabel), "Node;Sewer;N-2");
    EXPECT_EQ(shared->InsertionPoint(), (acad::Point3{10, 0, 0}));

    fluvanet::ElementRecord pipe = fluvanet::ElementRecord::Read(p2);
    EXPECT_EQ(pipe.Count(), 24);
    EXPECT_EQ(pipe.Codes(), fluvanet::PipeRecordCodes());
    EXPECT_EQ(pipe.Text(pe::kCombinedLabel), "Pipe;Sewer;P-2");
    EXPECT_EQ(pipe.Text(pe::kStartNodeLabel), Ref("N-2"));
    EXPECT_EQ(pipe.Text(pe::kEndNodeLabel), Ref("N-3"));
    EXPECT_EQ(pipe.Number(pe::kSpan), 200);
    EXPECT_EQ(pipe.Text(pe::kMaterial), "PVC");
    // Labels and arrows as the active style shows them.
    EXPECT_FALSE(pipe.Text(pe::kLabelBlockId).empty());
    EXPECT_FALSE(pipe.Text(pe::kArrowId).empty());
    EXPECT_FALSE(node.Text(ne::kLabelBlockId).empty());

    // Every pipe is counted once, in the project's units.
    EXPECT_EQ(MaterialCount("PVC"), "2");
    EXPECT_EQ(SizeCount("200"), "2");
    // The layers the conversion made.
    for (const char* layer : {"Sewer - Network", "Sewer - Annotation", "Sewer - Arrow"})
        EXPECT_NO_THROW(doc->Layers()->Item(Variant(layer))) << layer;
}

TEST_F(Conversion, EndsShareANodeWhenTheyAgreeToFiveDecimals) {
    auto a = Polyline({0, 0, 10.000004, 5});
    auto b = Polyline({10.000001, 5, 20, 5});
    auto c = Polyline({30, 0, 40.000006, 5});
    auto d = Polyline({40.000004, 5, 50, 5});
    // A coordinate just below zero rounds to -0, which is the node at 0.
    auto e = Polyline({-0.000001, 0.000002, 0, -20});
    Convert({a, b, c, d, e});
    Sound();
    EXPECT_EQ(Node(a, pe::kEndNodeId), Node(b, pe::kStartNodeId));
    EXPECT_NE(Node(c, pe::kEndNodeId), Node(d, pe::kStartNodeId));
    EXPECT_EQ(Node(e, pe::kStartNodeId), Node(a, pe::kStartNodeId));
    EXPECT_EQ(NodeLabels().size(), 8u);
    // A node stands where the first pipe end that made it lies.
    EXPECT_EQ(Node(a, pe::kEndNodeId)->InsertionPoint(), (acad::Point3{10.000004, 5, 0}));
}

TEST_F(Conversion, AnExistingNetworkConnectsItsNodesANewOneOnlyItsOwn) {
    auto first = Polyline({0, 0, 10, 0});
    Convert({first});
    auto joined = Polyline({10, 0, 10, 10});
    Convert({joined}, true);
    EXPECT_EQ(Node(joined, pe::kStartNodeId), Node(first, pe::kEndNodeId));
    EXPECT_EQ(LabelOf(joined), "P-2");
    EXPECT_EQ(LabelOf(Node(joined, pe::kEndNodeId)), "N-3");

    // Told that the network is new, a conversion does not look at the nodes already there.
    auto apart = Polyline({10, 10, 20, 10});
    Convert({apart}, false);
    EXPECT_NE(Node(apart, pe::kStartNodeId), Node(joined, pe::kEndNodeId));
    EXPECT_EQ(LabelOf(Node(apart, pe::kStartNodeId)), "N-4");
    Sound();
}

TEST_F(Conversion, AClosedPolylineGetsTwoNodesAtItsStart) {
    auto ring = Polyline({0, 0, 10, 0, 10, 10, 0, 0});
    Convert({ring});
    Sound();
    EXPECT_NE(Node(ring, pe::kStartNodeId), Node(ring, pe::kEndNodeId));
    EXPECT_EQ(Node(ring, pe::kEndNodeId)->InsertionPoint(), (acad::Point3{0, 0, 0}));
}

TEST_F(Conversion, APressurePipeComesInAtTheCentreLineOfTheNode) {
    general.CreateNetworkDefintion(*doc, "Main", "Pressure");
    NetworkBuilder main(*doc, "Main", "Pressure");
    TestNode hub = main.AddNode(10, 0);
    TestNode far = main.AddNode(20, 0);
    main.AddPipe(hub, far).SetSize("SectionShape_Circular", 600, 600);
    hub.SetSump(100);
    auto branch = Polyline({10, 0, 10, -10});
    Convert({branch}, true, "Main", "Pressure");
    // Match Centerlines: 100 + 0.6 / 2 - 0.2 / 2.
    EXPECT_NEAR(fluvanet::ElementRecord::Read(branch).Number(pe::kStartInvert), 100.2, 1e-9);
    EXPECT_EQ(fluvanet::ElementRecord::Read(Node(branch, pe::kEndNodeId)).Number(ne::kMatchingCode), 1);
    EXPECT_EQ(LabelOf(branch), "P-2");
    EXPECT_EQ(LabelOf(Node(branch, pe::kEndNodeId)), "N-3");
    // Below the hub, the new end is a low point; the hub above both its neighbours a high one.
    EXPECT_EQ(RecordText(Node(branch, pe::kEndNodeId), ne::kLowHighLabel), Ref("N-3LowHigh"));
    EXPECT_EQ(RecordText(hub.block, ne::kLowHighLabel), Ref(hub.label + "LowHigh"));
    Sound();
}

TEST_F(Conversion, ASecondNetworkBuildsItsCrossingsWithTheFirst) {
    Convert({Polyline({0, 0, 20, 0})});
    general.CreateNetworkDefintion(*doc, "Storm", "Gravity");
    auto across = Polyline({10, -10, 10, 10});
    Convert({across}, false, "Storm");
    Sound();
    fluvanet::Crossing crossing;
    ASSERT_EQ(crossing.GetExistingCrossingPointsSet(*doc, "")->Count(), 1);
    EXPECT_EQ(fluvanet::refs::LeadingKeys(RecordText(across, pe::kCrossingIds)).size(), 1u);
}

TEST_F(Conversion, RefusedBeforeAnythingChanges) {
    auto pl = Polyline({0, 0, 10, 0});
    doc->Layers()->Item(Variant("0"))->SetLock(true);
    const std::size_t before = EntityCount();
    const int32_t layers = doc->Layers()->Count();
    EXPECT_EQ(ErrorOf([&] { Convert({}); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { Convert({pl}, false, "Storm"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { Convert({pl}, false, "sewer"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { Convert({pl}, false, "Sewer", "Pressure"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { Convert({pl}, false, "", ""); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(EntityCount(), before);
    EXPECT_EQ(doc->Layers()->Count(), layers);
    EXPECT_FALSE(fluvanet::ElementRecord::Read(pl).Exists());
    EXPECT_TRUE(doc->Layers()->Item(Variant("0"))->Lock());
    EXPECT_EQ(MaterialCount("PVC"), "0");
}

TEST_F(Conversion, AFailureMidwayKeepsAndCountsTheEarlierPipesAndRelocks) {
    auto a = Polyline({0, 0, 10, 0});
    auto b = Polyline({10, 0, 20, 0});
    auto circle = doc->ModelSpace()->AddCircle({30, 0, 0}, 2);
    auto c = Polyline({20, 0, 30, 0});
    doc->Layers()->Item(Variant("0"))->SetLock(true);
    EXPECT_EQ(ErrorOf([&] { Convert({a, b, circle, c}); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(PipeLabels(), (std::vector<std::string>{"P-1", "P-2"}));
    EXPECT_EQ(NodeLabels(), (std::vector<std::string>{"N-1", "N-2", "N-3"}));
    EXPECT_FALSE(fluvanet::ElementRecord::Read(c).Exists());
    EXPECT_EQ(c->Layer(), "0");
    EXPECT_EQ(MaterialCount("PVC"), "2");
    EXPECT_EQ(SizeCount("200"), "2");
    EXPECT_TRUE(doc->Layers()->Item(Variant("0"))->Lock());
    Sound();
}

// ---- picking ----------------------------------------------------------------------------

TEST_F(Conversion, PickingLeavesOutTaggedEntitiesAndNeverRaises) {
    auto tagged = Polyline({0, 0, 1, 0});
    SetTextRecord(*tagged, {";;Anything", "Annotation"});
    auto plain = Polyline({0, 5, 1, 5});
    auto taggedLine = doc->ModelSpace()->AddLine({0, 9, 0}, {1, 9, 0});
    SetTextRecord(*taggedLine, {";;Other", "Other"});
    auto circle = doc->ModelSpace()->AddCircle({0, 0, 0}, 1);
    doc->Utility()->QueueSelection({tagged, circle, plain, taggedLine});
    auto picked = editing.GetEntitiesToConvert(*doc);
    ASSERT_EQ(picked->Count(), 1);
    EXPECT_EQ(picked->Item(0), plain);
    EXPECT_FALSE(taggedLine->Erased());

    doc->Utility()->QueueCancel();
    picked = editing.GetEntitiesToConvert(*doc);
    ASSERT_NE(picked, nullptr);
    EXPECT_EQ(picked->Count(), 0);

    // A line on a locked layer stays as it is, without a copy, and out of the set; drawn on
    // the active layer, the copy would lie on a locked layer too.
    doc->SetActiveLayer(doc->Layers()->Add("Fixed"));
    auto fixed = doc->ModelSpace()->AddLine({0, 20, 0}, {5, 20, 0});
    auto free = doc->ModelSpace()->AddLine({0, 30, 0}, {5, 30, 0});
    free->SetLayer("0");
    doc->Layers()->Item(Variant("Fixed"))->SetLock(true);
    const std::size_t before = EntityCount();
    doc->Utility()->QueueSelection({fixed, plain, free});
    picked = editing.GetEntitiesToConvert(*doc);
    EXPECT_FALSE(fixed->Erased());
    EXPECT_TRUE(free->Erased());
    EXPECT_EQ(EntityCount(), before);
    ASSERT_EQ(picked->Count(), 2);
    EXPECT_EQ(picked->Item(0), plain);
    EXPECT_EQ(picked->Item(1)->DxfName(), "LWPOLYLINE");

    // A set that cannot be made is Nothing, not an error.
    picked->Delete();
    doc->SelectionSets()->Add("setentitiestoconvert");
    doc->Utility()->QueueSelection({plain});
    EXPECT_EQ(editing.GetEntitiesToConvert(*doc), nullptr);
}

// ---- called alone -----------------------------------------------------------------------

class ConversionAlone : public Conversion {
protected:
    ConversionAlone() {
        for (const char* layer : {"Network", "Annotation", "Arrow"}) general.CreateStandardLayer(*doc, "Sewer", layer);
        fluvanet::ViewStyle vs;
        vs.DefineAttributeBlocks(*doc, vs.GetAnnotationFormatArray(vs.GetActiveViewStyleSettingsArray(*doc)));
    }
    std::shared_ptr<acad::AcadSelectionSet> nodes = general.InitializeSelectionSet(*doc, "SetExistingNodes");
    std::shared_ptr<acad::AcadSelectionSet> lowHigh = general.InitializeSelectionSet(*doc, "SetNodesForLowHigh");
};

TEST_F(ConversionAlone, AFailedPipeTakesOutWhatItMadeAndUnlistsItselfFromTheNodeItFound) {
    NetworkBuilder net(*doc, "Sewer");
    TestChain chain = net.AddChain({{0, 0}, {10, 0}, {10, 10}});
    for (const TestNode& n : chain.nodes) nodes->AddItems({n.block});
    const TestNode& found = chain.nodes[1];
    // The node matches inverts: the pipe ending at it takes its sump before the failure.
    SetRecordEntry(found.block, ne::kMatchingCode, Variant(int16_t{3}));
    found.SetSump(99);
    chain.pipes[0].SetInverts(101, 100);
    const std::string startLists = RecordText(found.block, ne::kStartPipeLabels) + RecordText(found.block, ne::kStartPipeIds);
    // The pipe's label block cannot go in; the new end node and its label are made first.
    doc->Blocks()->Item(Variant("Fluvamap_GravityPipeAttribute"))->Delete();
    auto pipe = Polyline({10, 0, 20, 0});
    doc->Layers()->Add("Drawn");
    pipe->SetLayer("Drawn");
    const std::size_t before = EntityCount();
    const std::vector<std::string> records = Records();
    auto flags = WatchErasures(*doc);
    EXPECT_EQ(ErrorOf([&] { editing.ConvertPlIntoPipe(*doc, *pipe, *nodes, "Sewer", "Gravity", *lowHigh); }),
              ErrorCode::UndefinedBlock);
    EXPECT_EQ(Records(), records);
    doc->SetEraseObserver(nullptr);
    // The new node and its label went again, with no erase handler told.
    EXPECT_EQ(flags->flags, (std::vector<int16_t>{0, 0}));
    EXPECT_EQ(EntityCount(), before);
    EXPECT_FALSE(fluvanet::ElementRecord::Read(pipe).Exists());
    EXPECT_EQ(pipe->Layer(), "Drawn");
    EXPECT_EQ(RecordText(found.block, ne::kStartPipeLabels) + RecordText(found.block, ne::kStartPipeIds), startLists);
    EXPECT_EQ(RecordText(found.block, ne::kStartPipeLabels), Ref("P-2"));
    EXPECT_EQ(nodes->Count(), 3);
    for (const auto& n : lowHigh->Members()) EXPECT_FALSE(n->Erased());
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    EXPECT_EQ(MaterialCount("PVC"), "0");
    Sound();

    // Called alone, a pipe counts itself.
    fluvanet::ViewStyle vs;
    vs.DefineAttributeBlocks(*doc, vs.GetAnnotationFormatArray(vs.GetActiveViewStyleSettingsArray(*doc)));
    auto next = Polyline({10, 10, 0, 10});
    editing.ConvertPlIntoPipe(*doc, *next, *nodes, "Sewer", "Gravity", *lowHigh);
    EXPECT_EQ(MaterialCount("PVC"), "1");
    EXPECT_EQ(Node(next, pe::kStartNodeId), chain.nodes[2].block);
    EXPECT_EQ(LabelOf(next), "P-3");
}

TEST_F(ConversionAlone, ChecksComeBeforeTheFirstObjectGoesIn) {
    const std::size_t before = EntityCount();
    auto point = Polyline({5, 5, 5, 5});
    EXPECT_EQ(ErrorOf([&] { editing.ConvertPlIntoPipe(*doc, *point, *nodes, "Sewer", "Gravity", *lowHigh); }),
              ErrorCode::DivisionByZero);
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
    EXPECT_EQ(ErrorOf([&] { editing.ConvertPlIntoPipe(*doc, *line, *nodes, "Sewer", "Gravity", *lowHigh); }),
              ErrorCode::TypeMismatch);
    // Converting a pipe again would cut it off from its nodes.
    auto pipe = Polyline({0, 0, 1, 0});
    editing.ConvertPlIntoPipe(*doc, *pipe, *nodes, "Sewer", "Gravity", *lowHigh);
    const std::size_t converted = EntityCount();
    EXPECT_EQ(ErrorOf([&] { editing.ConvertPlIntoPipe(*doc, *pipe, *nodes, "Sewer", "Gravity", *lowHigh); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(EntityCount(), converted);
    EXPECT_EQ(converted, before + 3 + 2 + 2 + 2);  // the three drawn, two nodes, their labels, label and arrow
    // A polyline on a locked layer could not take its record: no node is made for it first.
    doc->Layers()->Add("Fixed");
    auto fixed = Polyline({0, 5, 1, 5});
    fixed->SetLayer("Fixed");
    doc->Layers()->Item(Variant("Fixed"))->SetLock(true);
    auto watch = WatchErasures(*doc);
    EXPECT_EQ(ErrorOf([&] { editing.ConvertPlIntoPipe(*doc, *fixed, *nodes, "Sewer", "Gravity", *lowHigh); }),
              ErrorCode::OnLockedLayer);
    doc->SetEraseObserver(nullptr);
    EXPECT_THAT(watch->flags, IsEmpty());
    EXPECT_EQ(EntityCount(), converted + 1);
    Sound();
}

TEST_F(ConversionAlone, ANodeThatCannotBePlacedGoesAgain) {
    const std::size_t before = EntityCount();
    general.CreateNetworkDefintion(*doc, "Storm", "Gravity");
    doc->Layers()->Item(Variant("Storm - Network"))->Delete();
    EXPECT_EQ(ErrorOf([&] { editing.CreateNewNode(*doc, 1, 2, "Storm", "Gravity", *nodes); }),
              ErrorCode::MissingLayer);
    EXPECT_EQ(EntityCount(), before);
    EXPECT_EQ(nodes->Count(), 0);
    for (double nan : {std::nan(""), -HUGE_VAL})
        EXPECT_EQ(ErrorOf([&] { editing.CreateNewNode(*doc, 1, nan, "Sewer", "Gravity", *nodes); }),
                  ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(EntityCount(), before);

    auto node = editing.CreateNewNode(*doc, 1, 2, "Sewer", "Gravity", *nodes);
    EXPECT_EQ(nodes->Members(), Entities{node});
    EXPECT_EQ(node->InsertionPoint(), (acad::Point3{1, 2, 0}));
    EXPECT_EQ(RecordText(node, ne::kCombinedLabel), "Node;Sewer;N-1");
    Sound();
}

// ---- the index against the scans ----------------------------------------------------------

// Several nodes at one point, labels with gaps, and pipes whose ends meet them in an order
// that decides which node each end takes.
void CrowdedNetwork(acad::AcadDocument& doc) {
    NetworkBuilder net(doc, "Sewer");
    net.AddNode(0, 0, "N-1");
    net.AddNode(0, 0, "N-4");
    net.AddNode(10, 0, "N-5");
    net.AddNode(0, 0, "N-2");
    net.AddNode(10, 0, "X-7");
    net.AddNode(20, 0, "N-6");
    TestNode a = net.AddNode(30, 0, "N-9");
    TestNode b = net.AddNode(40, 0, "N-10");
    net.AddPipe(a, b, "P-2", {});
}

std::vector<std::vector<double>> CrowdedPolylines() {
    return {{0, 0, 10, 0},    {10, 0, 0, 0},  {0, 0, 5, 5, 0, 0}, {10, 0, 20, 0}, {20, 0, 10, 0.000001},
            {30, 0, 50, 0},   {50, 0, 50, 9}, {50, 9, 0, 0},      {-0.000001, 0, 10, 0}, {60, 0, 60, 0.5}};
}

using Outcome = std::vector<std::tuple<std::string, std::string, std::string, std::string>>;

Outcome Converted(acad::AcadDocument& doc, const Entities& pipes) {
    Outcome out;
    fluvanet::General general;
    for (const auto& p : pipes) {
        auto node = [&](int32_t entry) {
            auto n = fluvanet::ObjectFromId(doc, fluvanet::refs::ReferenceKey(RecordText(p, entry)));
            acad::Point3 at = acad::Cast<acad::AcadBlockReference>(n)->InsertionPoint();
            return RecordText(n, 1) + "@" + vb::CStr(at[0]) + "," + vb::CStr(at[1]);
        };
        out.emplace_back(RecordText(p, 1), node(pe::kStartNodeId), node(pe::kEndNodeId),
                         RecordText(p, pe::kStartInvert) + "/" + RecordText(p, pe::kEndInvert));
    }
    return out;
}

TEST(ConversionIndex, GivesTheNodesAndLabelsOfThePublicMethodsOneByOne) {
    auto build = [](bool together) {
        auto doc = NewProjectDrawing();
        AddActiveViewStyle(*doc, ViewStyleSettings());
        CrowdedNetwork(*doc);
        fluvanet::General general;
        fluvanet::Editing editing;
        Entities pipes;
        for (const auto& xy : CrowdedPolylines()) pipes.push_back(doc->ModelSpace()->AddLightWeightPolyline(xy));
        if (together) {
            auto set = general.InitializeSelectionSet(*doc, "Picked");
            set->AddItems(pipes);
            editing.CreateElementsInNetwork(*doc, *set, true, "Sewer", "Gravity");
        } else {
            for (const char* layer : {"Network", "Annotation", "Arrow"})
                general.CreateStandardLayer(*doc, "Sewer", layer);
            fluvanet::ViewStyle vs;
            vs.DefineAttributeBlocks(*doc, vs.GetAnnotationFormatArray(vs.GetActiveViewStyleSettingsArray(*doc)));
            auto nodes = general.GetNetworkSet(*doc, "Sewer", 2);
            auto lowHigh = general.InitializeSelectionSet(*doc, "SetNodesForLowHigh");
            for (const auto& p : pipes) editing.ConvertPlIntoPipe(*doc, *p, *nodes, "Sewer", "Gravity", *lowHigh);
        }
        EXPECT_THAT(NetworkFindings(*doc), IsEmpty());
        return Converted(*doc, pipes);
    };
    Outcome together = build(true);
    Outcome alone = build(false);
    EXPECT_EQ(together, alone);
    // The scans take the last node at the start point before they meet one at the end.
    ASSERT_EQ(together.size(), 10u);
    EXPECT_EQ(std::get<1>(together[0]), "Node;Sewer;N-4@0,0");
    EXPECT_EQ(std::get<2>(together[0]), "Node;Sewer;N-5@10,0");
    EXPECT_EQ(std::get<1>(together[1]), "Node;Sewer;N-5@10,0");
    EXPECT_EQ(std::get<2>(together[1]), "Node;Sewer;N-4@0,0");
    EXPECT_EQ(std::get<1>(together[2]), "Node;Sewer;N-2@0,0");
    EXPECT_EQ(std::get<2>(together[2]), "Node;Sewer;N-3@0,0");  // a new node at the start of a ring
    EXPECT_EQ(std::get<0>(together[0]), "Pipe;Sewer;P-1");
    EXPECT_EQ(std::get<0>(together[1]), "Pipe;Sewer;P-3");
    EXPECT_EQ(std::get<1>(together[8]), "Node;Sewer;N-4@0,0");
}

// ---- labels -------------------------------------------------------------------------------

class NextLabel : public Conversion {
protected:
    void Nodes(const std::vector<std::string>& labels, const std::string& net = "Sewer") {
        fluvanet::General().CreateStandardBlock(*doc, "Node");
        for (const std::string& label : labels) {
            auto n = doc->ModelSpace()->InsertBlock({0, 0, 0}, "Fluvamap_Node", 1, 1, 1, 0);
            fluvanet::NewNodeRecord(n, net, "Gravity", label).Write();
        }
    }
    std::string Next(const std::string& type = "GravityNode") { return editing.GetNextLabel(*doc, "Sewer", type); }
};

TEST_F(NextLabel, TheLowestNumberNoLabelHolds) {
    EXPECT_EQ(Next(), "N-1");
    EXPECT_EQ(Next("GravityPipe"), "P-1");
    Nodes({"N-1", "N-2", "N-4"});
    EXPECT_EQ(Next(), "N-3");
    // Another network, and texts without a number or out of range, take nothing.
    Nodes({"N-3"}, "Storm");
    Nodes({"N-x", "AB", "N-0", "N-10001", "N-1e300", "N--3"});
    EXPECT_EQ(Next(), "N-3");
    // The two leading characters are not compared; halves round to even.
    Nodes({"Q-3", "N-4.5", "N-5.5"});
    EXPECT_EQ(Next(), "N-5");
    Nodes({"N- 5"});
    EXPECT_EQ(Next(), "N-7");
    EXPECT_EQ(Next("GravityPipe"), "P-1");
    EXPECT_EQ(Next("PressurePipe"), "P-1");
}

TEST_F(NextLabel, NoFreeLabelRaisesAndAConversionMakesNothing) {
    std::vector<std::string> all;
    for (int n = 1; n <= 10000; ++n) all.push_back("N-" + std::to_string(n));
    Nodes(all);
    EXPECT_EQ(ErrorOf([&] { Next(); }), ErrorCode::Overflow);
    EXPECT_EQ(Next("GravityPipe"), "P-1");
    const std::size_t before = EntityCount();
    EXPECT_EQ(ErrorOf([&] { Convert({Polyline({0, 5, 10, 5})}); }), ErrorCode::Overflow);
    EXPECT_EQ(EntityCount(), before + 1);  // the polyline only
    EXPECT_EQ(MaterialCount("PVC"), "0");
}

TEST_F(NextLabel, ADrawingOfMoreTaggedBlocksThanASixteenBitIndexTakesNewElements) {
    // Tagged block references of a kind no network knows, copied straight through the
    // platform: every label search reads them all.
    doc->Blocks()->Add({0, 0, 0}, "Tag")->AddPoint({0, 0, 0});
    auto tag = doc->ModelSpace()->InsertBlock({0, -10, 0}, "Tag", 1, 1, 1, 0);
    fluvanet::ElementRecord::Create(tag, {1001, 1000, 1000}, {Variant("Fluvamap"), Variant("Tag;;T"), Variant("Tag")})
        .Write();
    for (int n = 1; n < 33000; ++n) tag->Copy();

    auto first = Polyline({0, 0, 50, 0});
    auto second = Polyline({50, 0, 80, 0});
    Convert({first, second});
    EXPECT_EQ(LabelOf(Node(second, pe::kEndNodeId)), "N-3");

    std::shared_ptr<acad::AcadLWPolyline> a, b;
    std::shared_ptr<acad::AcadBlockReference> node;
    const acad::Point3 at{20, 0, 0};
    editing.CreateSplitEntities(*doc, *first, at, a, b, node);
    editing.AssignSplitXdata(*doc, *first, at, *a, *b, *node);
    editing.UpdateLibrariesAfterSplitting(*doc, *first);
    editing.UpdateCrossingsAfterSplitting(*doc, *first, *a, *b);
    editing.UpdateProfilesAfterSplitting(*doc, *first, *a, *b);
    editing.DeleteSplitPipe(*doc, *first);
    EXPECT_EQ(LabelOf(node), "N-4");

    std::string copied, changed;
    for (const auto& e : Entities{b, Node(b, pe::kStartNodeId), Node(b, pe::kEndNodeId)}) {
        auto copy = e->Copy();
        copy->Move({0, 0, 0}, {0, 30, 0});
        copied += fluvanet::IdText(*copy) + ";";
    }
    fluvanet::Events().VerifyCopiedElements(*doc, changed, copied);
    EXPECT_EQ(LabelOf(fluvanet::ObjectFromId(*doc, vb::Split(copied, ";")[0])), "New P-3");

    general.CreateNetworkDefintion(*doc, "Storm", "Gravity");
    auto storm = Polyline({0, 100, 50, 100});
    Convert({storm}, false, "Storm");
    EXPECT_EQ(LabelOf(storm), "P-1");
    Sound();
}

// ---- late-bound ----------------------------------------------------------------------------

TEST_F(Conversion, TheHostPicksAndConvertsLateBound) {
    auto pl = Polyline({0, 0, 10, 0});
    doc->Utility()->QueueSelection({pl});
    auto server = std::make_shared<fluvanet::Editing>();
    Variant document{doc};
    Variant set = vb::CallByName(server, "GetEntitiesToConvert", com::CallType::Method, document);
    Variant existing{false}, name{"Sewer"}, type{"Gravity"};
    vb::CallByName(server, "CreateElementsInNetwork", com::CallType::Method, document, set, existing, name, type);
    EXPECT_EQ(LabelOf(pl), "P-1");
    Variant x{3.0}, y{4.0}, nodes{general.InitializeSelectionSet(*doc, "SetExistingNodes")};
    Variant node = vb::CallByName(server, "CreateNewNode", com::CallType::Method, document, x, y, name, type, nodes);
    EXPECT_EQ(LabelOf(node.ObjectAs<acad::AcadBlockReference>()), "N-3");
    Variant elementType{"GravityPipe"};
    EXPECT_EQ(vb::CStr(vb::CallByName(server, "GetNextLabel", com::CallType::Method, document, name, elementType)),
              "P-2");
    Sound();
}

}  // namespace
