// Classifying pressure nodes into low and high points, their markers and the references
// between node and marker, and runs that must change nothing or fail without damage.

#include "bench/drawing_digest.h"
#include "tests/crossing/low_high_drawing.h"

namespace {

using namespace low_high_testing;
using com::ErrorCode;
using com::Variant;
using testing::ElementsAre;
using testing::HasSubstr;

class LowHighPoints : public LowHighDrawing {};

TEST_F(LowHighPoints, LowBetweenHigherNeighboursIsMarkedAndLinked) {
    TestChain c = Chain(net, {10, 9, 11});
    Build({c.nodes[1].Id()});
    EXPECT_THAT(Markers(c.nodes), ElementsAre("", kLow, ""));
    auto marker = Marker(c.nodes[1]);
    EXPECT_EQ(marker->Layer(), "Net - Low&High Points");
    EXPECT_EQ(marker->InsertionPoint(), c.nodes[1].block->InsertionPoint());
    EXPECT_EQ(RecordText(marker, 1), "LowHigh;Net;N-2LowHigh");
    EXPECT_EQ(RecordText(marker, 3), ";RelatedToN-2");
    EXPECT_EQ(RecordText(marker, 4), ";RelatedTo" + c.nodes[1].Id());
    EXPECT_EQ(RecordText(c.nodes[1].block, ne::kLowHighLabel), ";RelatedToN-2LowHigh");
    EXPECT_TRUE(marker->Visible());  // a new pressure network shows its markers
}

TEST_F(LowHighPoints, ClassificationSpreadsOnlyThroughNodesThatAreNeither) {
    TestChain c = Chain(net, {10, 10.5, 11});
    Build({c.nodes[0].Id()});
    EXPECT_THAT(Markers(c.nodes), ElementsAre(kLow, "", ""));

    auto set = doc->SelectionSets()->Add("Picked");
    set->AddItems({c.nodes[0].block});
    std::vector<std::string> start = lowHigh.GetInitialNodesOIDArrayForLowHigh(*doc, *set);
    EXPECT_THAT(start, ElementsAre(c.nodes[0].Id(), c.nodes[1].Id()));
    Build(start);
    EXPECT_THAT(Markers(c.nodes), ElementsAre(kLow, "", kHigh));  // C in the second pass
    set->Clear();
    EXPECT_THAT(lowHigh.GetInitialNodesOIDArrayForLowHigh(*doc, *set), ElementsAre(""));
}

TEST_F(LowHighPoints, LevelsAreComparedAtSevenDecimals) {
    TestChain c = Chain(net, {10.00000004, 10.00000001, 10.00000005});
    Build({c.nodes[0].Id(), c.nodes[1].Id(), c.nodes[2].Id()});
    EXPECT_THAT(Markers(c.nodes), ElementsAre(kLow, kLow, kLow));  // all level, the half to even

    TestNode lone = net.AddNode(50, 50);  // without pipes: neither, and its marker goes
    lowHigh.DrawLowHighPoint(*doc, *lone.block, 2, "Net");
    Build({lone.Id()});
    EXPECT_EQ(Marker(lone), nullptr);
}

TEST_F(LowHighPoints, ARunAgainRenewsTheMarkersAndRepeatsCountOnce) {
    TestChain c = Chain(net, {10, 9, 11});
    Build({c.nodes[1].Id()});
    auto first = Marker(c.nodes[1]);
    Build({c.nodes[1].Id(), c.nodes[1].Id()});
    auto second = Marker(c.nodes[1]);
    EXPECT_TRUE(first->Erased());
    EXPECT_EQ(RecordText(second, 1), "LowHigh;Net;N-2LowHigh");
    auto set = doc->SelectionSets()->Item(Variant("SetLowHighPoints"));
    EXPECT_EQ(set->Members(), (std::vector<std::shared_ptr<acad::AcadEntity>>{second}));
}

TEST_F(LowHighPoints, ANodeAPipeNamesInAnotherSpellingIsClassifiedOnce) {
    TestChain c = Chain(net, {10, 10.5, 11});
    // P-1 names its start node by the same number in another text, as a record written
    // elsewhere may: " +042" for 42.
    const std::string a = c.nodes[0].Id();
    const std::string spelled = a[0] == '-' ? " -0" + a.substr(1) : " +0" + a;
    SetRecordEntry(c.pipes[0].polyline, fluvanet::pipe_entry::kStartNodeId, Variant(";RelatedTo" + spelled));
    // A is low in the first pass; B, neither, queues its neighbours, A among them.
    lowHigh.BuildLowHighPointsAfterImporting(*doc, {a, c.nodes[1].Id()}, "Net");
    EXPECT_THAT(Markers(c.nodes), ElementsAre(kLow, "", kHigh));
    auto set = doc->SelectionSets()->Item(Variant("SetLowHighPoints"));
    EXPECT_EQ(set->Members(), (std::vector<std::shared_ptr<acad::AcadEntity>>{Marker(c.nodes[0]), Marker(c.nodes[2])}));
}

TEST_F(LowHighPoints, RunsThatDoNothing) {
    TestChain c = Chain(net, {10, 9, 11});
    NetworkBuilder sewer(*doc, "Sewer", "Gravity");
    TestChain g = Chain(sewer, {3, 2, 4}, 30);
    Build({"", c.nodes[1].Id()});
    Build({g.nodes[1].Id(), c.nodes[1].Id()});
    Build({});
    EXPECT_THAT(Markers(c.nodes), ElementsAre("", "", ""));
    EXPECT_FALSE(fluvanet::General().CheckBlockExists(*doc, kLow));
}

TEST_F(LowHighPoints, OldMarkersGoOnlyWhenTheNewOneCanBeMade) {
    TestChain c = Chain(net, {10, 9, 11});
    auto gone = doc->ModelSpace()->AddPoint({0, 0, 0});
    gone->Delete();
    SetRecordEntry(c.nodes[1].block, ne::kLowHighLabel, Variant(";RelatedToN-2LowHigh"));
    SetRecordEntry(c.nodes[1].block, ne::kLowHighId, Variant(";RelatedTo" + std::to_string(gone->ObjectID())));
    Build({c.nodes[1].Id()});  // a marker whose object is gone is passed
    auto old = Marker(c.nodes[1]);

    auto draw = [&](acad::AcadEntity& node, int16_t code, const std::string& network) {
        return ErrorOf([&] { lowHigh.DrawLowHighPoint(*doc, node, code, network); });
    };
    EXPECT_EQ(draw(*c.nodes[1].block, 3, "Net"), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(draw(*c.nodes[1].block, 1, "Other"), ErrorCode::KeyNotFound);  // no marker layer
    EXPECT_EQ(draw(*c.pipes[0].polyline, 1, "Net"), ErrorCode::TypeMismatch);
    SetRecordEntry(c.nodes[0].block, ne::kLowHighLabel, Variant(";RelatedToP-1"));
    SetRecordEntry(c.nodes[0].block, ne::kLowHighId, Variant(";RelatedTo" + c.pipes[0].Id()));
    EXPECT_EQ(draw(*c.nodes[0].block, 0, "Net"), ErrorCode::TypeMismatch);  // what is not a marker stays
    EXPECT_FALSE(old->Erased() || c.pipes[0].polyline->Erased());

    // A node that cannot be written, or a marker that could not be taken off the layer it
    // is made on or goes to: nothing changes, with or without an old marker.
    for (const char* layer : {"Net - Network", "Net - Low&High Points", "0"}) {
        doc->Layers()->Item(Variant(layer))->SetLock(true);
        EXPECT_EQ(draw(*c.nodes[1].block, 2, "Net"), ErrorCode::OnLockedLayer) << layer;
        EXPECT_EQ(draw(*c.nodes[2].block, 2, "Net"), ErrorCode::OnLockedLayer) << layer;
        doc->Layers()->Item(Variant(layer))->SetLock(false);
        ASSERT_FALSE(old->Erased()) << layer;
        EXPECT_EQ(Marker(c.nodes[1]), old) << layer;
        for (const auto& entity : doc->Database()->SpaceEntities()) EXPECT_NE(entity->BlockName(), kHigh) << layer;
    }

    // A build meets the locks before its first marker goes: N-2, no longer low, lost its
    // marker before its neighbours' markers found the active layer locked.
    c.nodes[1].SetSump(10.5);
    doc->Layers()->Item(Variant("0"))->SetLock(true);
    const std::string drawing = bench_support::DrawingText(*doc);
    EXPECT_EQ(ErrorOf([&] { Build({c.nodes[1].Id()}); }), ErrorCode::OnLockedLayer);
    EXPECT_EQ(bench_support::DrawingText(*doc), drawing);
}

TEST_F(LowHighPoints, BrokenNetworksEndTheRun) {
    TestChain c = Chain(net, {12, 11, 10.5, 10});
    SetRecordEntry(c.pipes[0].polyline, fluvanet::pipe_entry::kStartNodeId, Variant(""));
    SetRecordEntry(doc->ModelSpace(), fluvanet::project_entry::kLowHighSettings, Variant(""));
    // Late-bound: C is neither; D, queued first, is low; B meets the pipe without its start node.
    auto self = std::make_shared<fluvanet::LowHigh>();
    Variant document{doc}, ids(com::SafeArray::FromStrings({c.nodes[2].Id()})), name("Net");
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(self, "BuildLowHighPointsAfterImporting", com::CallType::Method, document,
                                           ids, name); }),
              ErrorCode::TypeMismatch);
    auto made = Marker(c.nodes[3]);
    ASSERT_TRUE(made);
    EXPECT_FALSE(made->Visible());  // the hidden network's marker is hidden all the same
    EXPECT_EQ(ErrorOf([&] { lowHigh.BuildLowHighPointsAfterImporting(*doc, {c.nodes[3].Id(), "12"}, "Net"); }),
              ErrorCode::ObjectNotFound);
    EXPECT_EQ(Marker(c.nodes[3]), made);  // the start list is checked before any marker changes
    // The host's list keeps 16-bit indices.
    std::vector<std::string> many(32767, c.nodes[3].Id());
    many.emplace_back("12");
    EXPECT_EQ(ErrorOf([&] { lowHigh.BuildLowHighPointsAfterImporting(*doc, many, "Net"); }), ErrorCode::Overflow);
    EXPECT_EQ(Marker(c.nodes[3]), made);
}

TEST_F(LowHighPoints, TheCheckerFindsBrokenMarkers) {
    TestChain a = Chain(net, {10, 9, 11}), b = Chain(net, {10, 9, 11}, 20);
    Build({a.nodes[1].Id(), b.nodes[1].Id()});
    std::string ma = fluvanet::IdText(*Marker(a.nodes[1]));
    SetRecordEntry(a.nodes[1].block, ne::kLowHighLabel, Variant(";RelatedToX"));
    Marker(b.nodes[1])->Move({0, 0, 0}, {1, 0, 0});
    std::string findings = vb::Join(NetworkFindings(*doc), "\n");
    EXPECT_THAT(findings, HasSubstr(ma + " LowHighPoint \"N-2LowHigh\" [4] node \"N-2\" names \";RelatedToX\" in [13]"));
    EXPECT_THAT(findings, HasSubstr("\"N-5LowHigh\" [record] stands at (11, 20), its node at (10, 20)"));
}

}  // namespace
