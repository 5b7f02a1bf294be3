// The lowest invert connected at a node, the largest rise there, and the matching rules that
// carry a level from a node to its pipes and from a pipe end to its node.

#include <gtest/gtest.h>

#include <cmath>

#include "core/element_records.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "tests/editing/level_edits.h"
#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

// A pipe's identifier, its record carrying the two inverts.
std::string AddPipe(acad::AcadDocument& doc, double startInvert, double endInvert) {
    auto pipe = doc.ModelSpace()->AddLightWeightPolyline({0, 0, 10, 0});
    fluvanet::ElementRecord record = fluvanet::NewPipeRecord(pipe, "Net", "Gravity", "P", "Metric", {});
    record.Set(fluvanet::pipe_entry::kStartInvert, startInvert);
    record.Set(fluvanet::pipe_entry::kEndInvert, endInvert);
    record.Write();
    return fluvanet::IdText(*pipe);
}

std::string Ids(const std::vector<std::string>& ids) { return fluvanet::refs::ReferenceList(ids); }

TEST(SumpElevation, LowestInvertOfEachSide) {
    auto doc = acad::NewDrawing();
    fluvanet::Editing editing;
    std::string a = AddPipe(*doc, 5, 1);
    std::string b = AddPipe(*doc, 3, 2);
    std::string c = AddPipe(*doc, 1, 10);

    EXPECT_EQ(editing.GetSumpElevation(*doc, "", ""), 0);
    // Start inverts for pipes starting here, end inverts for pipes ending here.
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({a, b}), ""), 3);
    EXPECT_EQ(editing.GetSumpElevation(*doc, "", Ids({a, b})), 1);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({a}), Ids({c})), 5);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({c}), Ids({b})), 1);

    auto e = std::make_shared<fluvanet::Editing>();
    Variant start(Ids({a, b}));
    EXPECT_EQ(vb::CallByName(e, "GetSumpElevation", com::CallType::Method, doc, start, Variant("")), Variant(3.0));
    EXPECT_EQ(start, Variant(Ids({a, b})));
}

TEST(SumpElevation, MinusNineNineNineIsALevel) {
    auto doc = acad::NewDrawing();
    fluvanet::Editing editing;
    std::string deep = AddPipe(*doc, -999, -999);
    std::string shallow = AddPipe(*doc, 5, 5);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({deep}), ""), -999);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({shallow}), Ids({deep})), -999);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({deep}), Ids({shallow})), -999);
    // The search starts from 1e8, so no level above it is ever found.
    std::string high = AddPipe(*doc, 2e8, 2e8);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({high}), ""), 1e8);
}

TEST(SumpElevation, AKeyNamingNoPipeRaises) {
    auto doc = acad::NewDrawing();
    fluvanet::Editing editing;
    std::string a = AddPipe(*doc, 5, 1);
    auto gone = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 1, 1});
    std::string goneId = fluvanet::IdText(*gone);
    gone->Delete();
    EXPECT_EQ(ErrorOf([&] { editing.GetSumpElevation(*doc, Ids({a, goneId}), ""); }), ErrorCode::ObjectNotFound);
    EXPECT_EQ(ErrorOf([&] { editing.GetSumpElevation(*doc, "", Ids({"x"})); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { editing.GetSumpElevation(*doc, Ids({""}), ""); }), ErrorCode::TypeMismatch);
}

TEST(MinimumLevel, OneSideOfTheListedPipesAndMinusNineNineNineForNone) {
    auto doc = acad::NewDrawing();
    fluvanet::Editing editing;
    std::string a = AddPipe(*doc, 5, 1);
    std::string b = AddPipe(*doc, 3, 2);
    EXPECT_EQ(editing.GetMinimumLevel(*doc, "", "Start"), -999);
    EXPECT_EQ(editing.GetMinimumLevel(*doc, "", "End"), -999);
    EXPECT_EQ(editing.GetMinimumLevel(*doc, Ids({a, b}), "Start"), 3);
    EXPECT_EQ(editing.GetMinimumLevel(*doc, Ids({a, b}), "End"), 1);
    // Only "Start" itself is the start side.
    EXPECT_EQ(editing.GetMinimumLevel(*doc, Ids({a, b}), "start"), 1);
    std::string high = AddPipe(*doc, 2e8, 2e8);
    EXPECT_EQ(editing.GetMinimumLevel(*doc, Ids({high}), "Start"), 1e8);
    auto e = std::make_shared<fluvanet::Editing>();
    EXPECT_EQ(vb::CallByName(e, "GetMinimumLevel", com::CallType::Method, doc, Variant(Ids({a})), Variant("Start")),
              Variant(5.0));
}

}  // namespace

namespace {

using namespace level_testing;

// A node N-2 at (10, 0) with the pipe P-1 ending there and P-2 starting there.
class Matching : public LevelEdits {
protected:
    Matching() { Label(net, chain); }
    const TestNode& Node() const { return chain.nodes[1]; }
    const TestPipe& In() const { return chain.pipes[0]; }
    const TestPipe& Out() const { return chain.pipes[1]; }
    void MatchNode(double sump, int16_t code) {
        fluvanet::ElementRecord node = Node().Record();
        editing->UpdateConnectedPipesAtNode(*doc, *Node().block, Node().label, node.Text(ne::kStartPipeIds),
                                            node.Text(ne::kEndPipeIds), sump, code);
    }

    NetworkBuilder net{*doc, "Main"};
    TestChain chain = net.AddChain({{0, 0}, {10, 0}, {20, 0}});
};

TEST_F(Matching, LargestRiseInLevelUnits) {
    EXPECT_EQ(editing->GetLargestRise(*doc, *chain.nodes[0].block), 0.2);
    In().SetSize("SectionShape_Circular", 600, 600);
    Out().SetSize("SectionShape_Box", 1200, 300);
    EXPECT_EQ(editing->GetLargestRise(*doc, *Node().block), 0.6);
    auto lonely = net.AddNode(50, 50);
    EXPECT_EQ(editing->GetLargestRise(*doc, *lonely.block), 0);
    EXPECT_EQ(ErrorOf([&] { editing->GetLargestRise(*doc, *In().polyline); }), ErrorCode::TypeMismatch);

    // Other units: a circular rise in inches, a box's as stored.
    auto us = NewProjectDrawing({.modelUnits = "US"});
    NetworkBuilder usNet(*us, "Main");
    auto c = usNet.AddChain({{0, 0}, {10, 0}, {20, 0}});
    c.pipes[0].SetSize("SectionShape_Circular", 24, 24);
    EXPECT_EQ(editing->GetLargestRise(*us, *c.nodes[1].block), 2);
    c.pipes[1].SetSize("SectionShape_Box", 4, 3);
    EXPECT_EQ(editing->GetLargestRise(*us, *c.nodes[1].block), 3);
}

TEST_F(Matching, EachRuleFromTheSumpToEveryPipeAtTheNode) {
    In().SetSize("SectionShape_Circular", 600, 600).SetInverts(101, 100.5);
    Out().SetSize("SectionShape_Circular", 300, 300).SetInverts(100.4, 99);
    MatchNode(100, fluvanet::kMatchInverts);
    EXPECT_EQ(Num(In(), pe::kEndInvert), 100);
    EXPECT_EQ(Num(Out(), pe::kStartInvert), 100);
    EXPECT_EQ(Num(In(), pe::kStartInvert), 101);  // the far ends stay
    EXPECT_EQ(Num(Out(), pe::kEndInvert), 99);
    MatchNode(100, fluvanet::kMatchSoffits);
    EXPECT_DOUBLE_EQ(Num(In(), pe::kEndInvert), 100);
    EXPECT_DOUBLE_EQ(Num(Out(), pe::kStartInvert), 100.3);
    MatchNode(100, fluvanet::kMatchCenterlines);
    EXPECT_DOUBLE_EQ(Num(In(), pe::kEndInvert), 100);
    EXPECT_DOUBLE_EQ(Num(Out(), pe::kStartInvert), 100.15);
    // The labels show the new levels.
    EXPECT_EQ(Shown(Out().polyline)[4], "100.15");
    // Any other code leaves the inverts alone.
    MatchNode(90, fluvanet::kNoMatching);
    MatchNode(90, 7);
    EXPECT_DOUBLE_EQ(Num(Out(), pe::kStartInvert), 100.15);
    EXPECT_EQ(In().Record().Code(pe::kEndInvert), 1040);
    ExpectSound();
}

TEST_F(Matching, PipesTakeTheNodeLabelGiven) {
    SetRecordEntry(Node().block, ne::kCombinedLabel, Variant("Node;Main;MH-7"));
    editing->UpdateConnectedPipesAtNode(*doc, *Node().block, "MH-7", Node().Record().Text(ne::kStartPipeIds),
                                        Node().Record().Text(ne::kEndPipeIds), 0, fluvanet::kNoMatching);
    EXPECT_EQ(RecordText(In().polyline, pe::kEndNodeLabel), Ref("MH-7"));
    EXPECT_EQ(RecordText(Out().polyline, pe::kStartNodeLabel), Ref("MH-7"));
    EXPECT_EQ(RecordText(In().polyline, pe::kStartNodeLabel), Ref("N-1"));
    // The node's own label block still says N-2: a caller relabels through UpdateNodeData.
    SetRecordEntry(Node().block, ne::kCombinedLabel, Variant("Node;Main;N-2"));
    MatchNode(0, fluvanet::kNoMatching);
    ExpectSound();
}

TEST_F(Matching, AListNamingSomethingElseWritesNothing) {
    const std::string label = RecordText(Out().polyline, pe::kLabelBlockId);
    const auto before = Records();
    // A label block where a pipe should be, after a real pipe.
    EXPECT_EQ(ErrorOf([&] {
                  editing->UpdateConnectedPipesAtNode(*doc, *Node().block, "N-2", Ref(Out().Id()) + label,
                                                      Ref(In().Id()), 100, fluvanet::kMatchInverts);
              }),
              ErrorCode::TypeMismatch);
    EXPECT_EQ(Records(), before);
    // Levels that are no number.
    for (double level : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        EXPECT_EQ(ErrorOf([&] { MatchNode(level, fluvanet::kMatchInverts); }), ErrorCode::InvalidProcedureCall);
        EXPECT_EQ(ErrorOf([&] { editing->UpdateConnectedNodeAtPipe(*doc, Node().Id(), "P-1", In().Id(), level, 0.2); }),
                  ErrorCode::InvalidProcedureCall);
        EXPECT_EQ(ErrorOf([&] { editing->UpdateConnectedNodeAtPipe(*doc, Node().Id(), "P-1", In().Id(), 1, level); }),
                  ErrorCode::InvalidProcedureCall);
    }
    EXPECT_EQ(Records(), before);
    ExpectSound();
    // The node's own lists are read for the largest rise: a broken one stops the call as early.
    SetRecordEntry(Node().block, ne::kEndPipeIds, Variant(Ref(chain.nodes[0].Id())));
    const auto broken = Records();
    EXPECT_EQ(ErrorOf([&] {
                  editing->UpdateConnectedPipesAtNode(*doc, *Node().block, "N-2", Ref(Out().Id()), "", 100,
                                                      fluvanet::kMatchInverts);
              }),
              ErrorCode::TypeMismatch);
    EXPECT_EQ(Records(), broken);
}

TEST_F(Matching, APipeEndMovesTheNodeAndTheOtherPipes) {
    Node().SetSump(100);
    SetRecordEntry(Node().block, ne::kMatchingCode, Variant(fluvanet::kMatchSoffits));
    In().SetSize("SectionShape_Circular", 300, 300).SetInverts(102, 101);
    Out().SetSize("SectionShape_Circular", 600, 600).SetInverts(100, 99);
    editing->UpdateConnectedNodeAtPipe(*doc, Node().Id(), In().label, In().Id(), 101, 0.3);
    // The crowns meet at 101.3: the sump lies a largest rise below.
    EXPECT_DOUBLE_EQ(Num(Node(), ne::kSumpLevel), 100.7);
    EXPECT_DOUBLE_EQ(Num(In(), pe::kEndInvert), 101);
    EXPECT_DOUBLE_EQ(Num(Out(), pe::kStartInvert), 100.7);
    EXPECT_EQ(Shown(Node().block)[2], "100.70");
    EXPECT_EQ(Node().Record().Code(ne::kSumpLevel), 1040);
    ExpectSound();

    // Without a rule the sump is the lowest connected invert and the pipes stay.
    SetRecordEntry(Node().block, ne::kMatchingCode, Variant(int16_t{9}));
    In().SetInverts(102, 100.9);
    editing->UpdateConnectedNodeAtPipe(*doc, Node().Id(), In().label, In().Id(), 100.9, 0.3);
    EXPECT_DOUBLE_EQ(Num(Node(), ne::kSumpLevel), 100.7);
    EXPECT_DOUBLE_EQ(Num(In(), pe::kEndInvert), 100.9);
    ExpectSound();
}

TEST_F(Matching, ANodeWithoutPipesKeepsItsSump) {
    // A node whose lists lost the pipe that still names it: there is no lowest invert to follow.
    auto lonely = net.AddNode(40, 0).SetSump(95);
    editing->UpdateConnectedNodeAtPipe(*doc, lonely.Id(), "P-9", In().Id(), 80, 0.2);
    EXPECT_EQ(Num(lonely, ne::kSumpLevel), 95);
    EXPECT_EQ(ErrorOf([&] { editing->UpdateConnectedNodeAtPipe(*doc, In().Id(), "P-1", In().Id(), 80, 0.2); }),
              ErrorCode::TypeMismatch);
}

TEST_F(Matching, TheNewPipeLabelGoesWhereItsIdentifierStands) {
    auto side = net.AddNode(10, 10);
    auto branch = net.AddPipe(side, Node());  // N-2 lists P-1 then P-3 as ending there
    SetRecordEntry(branch.polyline, pe::kCombinedLabel, Variant("Pipe;Main;P-30"));
    editing->UpdateConnectedNodeAtPipe(*doc, Node().Id(), "P-30", branch.Id(), 0, 0.2);
    EXPECT_EQ(RecordText(Node().block, ne::kEndPipeLabels), Ref("P-1") + Ref("P-30"));
    EXPECT_EQ(RecordText(Node().block, ne::kStartPipeLabels), Ref("P-2"));
    // A label list shorter than its ID list is damaged: nothing is written.
    SetRecordEntry(Node().block, ne::kEndPipeLabels, Variant(Ref("P-1")));
    const auto before = Records();
    EXPECT_EQ(ErrorOf([&] { editing->UpdateConnectedNodeAtPipe(*doc, Node().Id(), "P-31", branch.Id(), 0, 0.2); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(Records(), before);
}

}  // namespace
