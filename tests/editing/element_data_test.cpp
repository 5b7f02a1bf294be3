// Node and pipe data from the host's dialogs: levels matched at the nodes, labels carried to
// what names the element, section and material counts, and what is refused unwritten.

#include <cmath>

#include "bench/drawing_digest.h"
#include "crossing/crossing.h"
#include "crossing/crossing_records.h"
#include "crossing/low_high.h"
#include "profile/profile.h"
#include "tests/editing/level_edits.h"
#include "tests/support/profile_builder.h"

namespace {

using namespace level_testing;

// N-1 (0, 0) -P-1-> N-2 (10, 0) -P-2-> N-3 (20, 0), and N-4 (10, 10) -P-3-> N-2.
class ElementData : public LevelEdits {
protected:
    ElementData() {
        TestNode side = net.AddNode(10, 10);
        chain.pipes.push_back(net.AddPipe(side, chain.nodes[1]));
        chain.nodes.push_back(side);
        Label(net, chain);
    }
    const TestNode& N(int i) const { return chain.nodes[static_cast<std::size_t>(i - 1)]; }
    const TestPipe& P(int i) const { return chain.pipes[static_cast<std::size_t>(i - 1)]; }

    void NodeData(const TestNode& node, const std::string& label, double ground, double sump,
                  const std::string& matching) {
        editing->UpdateNodeData(*doc, node.Id(), label, ground, sump, matching, *set);
    }
    void PipeData(const TestPipe& pipe, const std::string& label, double start, double end,
                  const std::string& material = "PVC", const std::string& size = "Circular - 200",
                  int16_t cells = 1) {
        SafeArray circular = library.GetSizesArray(*doc, "Circular");
        SafeArray box = library.GetSizesArray(*doc, "Box");
        SafeArray materials = library.GetMaterialsArray(*doc);
        editing->UpdatePipeData(*doc, pipe.Id(), label, start, end, material, size, cells, circular, box, materials,
                                *set);
    }
    // The count a library lists for a name or size, "" when it lists none.
    static std::string CountOf(const SafeArray& table, const std::string& text) {
        for (int32_t row = 0; row <= table.UBound(1); ++row)
            if (vb::CStr(table.Get(row, 0)) == text) return vb::CStr(table.Get(row, 1));
        return "";
    }
    std::string SizeCount(const std::string& shape, const std::string& size) {
        return CountOf(library.GetSizesArray(*doc, shape), size);
    }
    void MatchAt(const TestNode& node, int16_t code) { SetRecordEntry(node.block, ne::kMatchingCode, Variant(code)); }

    NetworkBuilder net{*doc, "Main"};
    TestChain chain = net.AddChain({{0, 0}, {10, 0}, {20, 0}});
    std::shared_ptr<acad::AcadSelectionSet> set = LowHighSet();
};

TEST_F(ElementData, TheNodeRuleSetsEveryPipeEndThere) {
    P(1).SetSize("SectionShape_Circular", 600, 600);
    P(2).SetSize("SectionShape_Circular", 300, 300);
    NodeData(N(2), "N-2", 103, 100, "Match Inverts");
    EXPECT_EQ(Num(P(1), pe::kEndInvert), 100);
    EXPECT_EQ(Num(P(2), pe::kStartInvert), 100);
    EXPECT_EQ(Num(P(3), pe::kEndInvert), 100);
    EXPECT_EQ(N(2).Record().Get(ne::kMatchingCode), Variant(int16_t{3}));
    EXPECT_EQ(Num(N(2), ne::kGroundLevel), 103);

    NodeData(N(2), "N-2", 103, 100, "Match Soffits");
    EXPECT_DOUBLE_EQ(Num(P(1), pe::kEndInvert), 100);
    EXPECT_DOUBLE_EQ(Num(P(2), pe::kStartInvert), 100.3);
    EXPECT_DOUBLE_EQ(Num(P(3), pe::kEndInvert), 100.4);
    NodeData(N(2), "N-2", 103, 100, "Match Centerlines");
    EXPECT_DOUBLE_EQ(Num(P(1), pe::kEndInvert), 100);
    EXPECT_DOUBLE_EQ(Num(P(2), pe::kStartInvert), 100.15);
    EXPECT_EQ(N(2).Record().Get(ne::kMatchingCode), Variant(int16_t{1}));
    EXPECT_EQ(Shown(N(2).block), (std::vector<std::string>{"N-2", "103.00", "100.00"}));
    EXPECT_EQ(Shown(P(2).polyline)[4], "100.15");
    // A gravity node is no matter for the low/high classification.
    EXPECT_EQ(set->Count(), 0);
    ExpectSound();
}

TEST_F(ElementData, NoMatchingLeavesThePipesAndKeepsTheSumpAtTheLowestInvert) {
    P(1).SetInverts(101, 100.2);
    P(2).SetInverts(100, 99);
    P(3).SetInverts(101, 100.5);
    NodeData(N(2), "N-2", 103, 101, "No Matching");
    EXPECT_EQ(Num(N(2), ne::kSumpLevel), 100);
    EXPECT_EQ(Num(P(1), pe::kEndInvert), 100.2);
    EXPECT_EQ(Num(P(3), pe::kEndInvert), 100.5);
    NodeData(N(2), "N-2", 103, 99.5, "No Matching");
    EXPECT_EQ(Num(N(2), ne::kSumpLevel), 99.5);
    EXPECT_EQ(Shown(N(2).block)[2], "99.50");

    // A node without pipes has no lowest invert: its sump stays, above 0 or below.
    auto lonely = net.AddNode(40, 40);
    NodeData(lonely, lonely.label, 10, 5, "No Matching");
    EXPECT_EQ(Num(lonely, ne::kSumpLevel), 5);
    NodeData(lonely, lonely.label, 10, -3, "No Matching");
    EXPECT_EQ(Num(lonely, ne::kSumpLevel), -3);
    ExpectSound();
}

TEST_F(ElementData, AnUnknownWordKeepsTheRuleAndMatchesAgain) {
    MatchAt(N(2), fluvanet::kMatchInverts);
    NodeData(N(2), "N-2", 103, 98, "Match Everything");
    EXPECT_EQ(N(2).Record().Get(ne::kMatchingCode), Variant(int16_t{3}));
    EXPECT_EQ(Num(P(1), pe::kEndInvert), 98);
    EXPECT_EQ(Num(P(2), pe::kStartInvert), 98);
    ExpectSound();
}

TEST_F(ElementData, ANewNodeLabelReachesItsPipesAndItsLabelBlockOnly) {
    NodeData(N(2), "MH-2", 0, 0, "No Matching");
    EXPECT_EQ(RecordText(N(2).block, ne::kCombinedLabel), "Node;Main;MH-2");
    EXPECT_EQ(RecordText(P(1).polyline, pe::kEndNodeLabel), Ref("MH-2"));
    EXPECT_EQ(RecordText(P(2).polyline, pe::kStartNodeLabel), Ref("MH-2"));
    EXPECT_EQ(RecordText(P(3).polyline, pe::kEndNodeLabel), Ref("MH-2"));
    EXPECT_EQ(RecordText(P(1).polyline, pe::kStartNodeLabel), Ref("N-1"));
    EXPECT_EQ(RecordText(P(2).polyline, pe::kEndNodeLabel), Ref("N-3"));
    EXPECT_EQ(RecordText(N(2).block, ne::kLabelBlockLabel), Ref("MH-2Annotation"));
    EXPECT_EQ(Shown(N(2).block)[0], "MH-2");
    EXPECT_EQ(Shown(N(1).block)[0], "N-1");
    ExpectSound();
}

TEST_F(ElementData, ANewPipeLabelReplacesItsItemsAtItsPositions) {
    AddProfileStyle(*doc, "Road");
    TestProfile profile = AddTestProfile(*doc, net, "L-1", "Road", {P(1), P(2)});
    // Flagging the profile starts its stamp on the active layer: locked, nothing is written.
    doc->SetActiveLayer(doc->Layers()->Add("Work"));
    doc->Layers()->Item(Variant("Work"))->SetLock(true);
    const std::string before = bench_support::DrawingText(*doc);
    EXPECT_EQ(ErrorOf([&] { PipeData(P(2), "S-2", 0, 0); }), ErrorCode::OnLockedLayer);
    EXPECT_EQ(bench_support::DrawingText(*doc), before);
    doc->Layers()->Item(Variant("Work"))->SetLock(false);

    PipeData(P(2), "S-2", 0, 0);
    EXPECT_EQ(RecordText(P(2).polyline, pe::kCombinedLabel), "Pipe;Main;S-2");
    EXPECT_EQ(RecordText(N(2).block, ne::kStartPipeLabels), Ref("S-2"));
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref("P-1") + Ref("P-3"));
    EXPECT_EQ(RecordText(N(3).block, ne::kEndPipeLabels), Ref("S-2"));
    EXPECT_EQ(RecordText(P(2).polyline, pe::kArrowLabel), Ref("S-2Arrow"));
    EXPECT_EQ(profile.Record().Text(4), Ref("P-1") + Ref("S-2"));
    EXPECT_EQ(Shown(P(2).polyline)[0], "S-2");
    EXPECT_EQ(profile.Record().Get(15), Variant(int16_t{1}));
    ExpectSound();

    PipeData(P(1), "S-1", 0, 0);
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref("S-1") + Ref("P-3"));
    EXPECT_EQ(RecordText(N(1).block, ne::kStartPipeLabels), Ref("S-1"));
    ExpectSound();
}

TEST_F(ElementData, ARaisedStartInvertMovesAMatchInvertsNodeAndItsOtherPipes) {
    MatchAt(N(2), fluvanet::kMatchInverts);
    NodeData(N(2), "N-2", 103, 100, "Match Inverts");
    PipeData(P(2), "P-2", 100.5, 99);
    EXPECT_EQ(Num(N(2), ne::kSumpLevel), 100.5);
    EXPECT_EQ(Num(P(1), pe::kEndInvert), 100.5);
    EXPECT_EQ(Num(P(3), pe::kEndInvert), 100.5);
    EXPECT_EQ(Num(P(2), pe::kStartInvert), 100.5);
    // The far node has no rule: its sump is the pipe's end.
    EXPECT_EQ(Num(N(3), ne::kSumpLevel), 99);
    EXPECT_EQ(Shown(P(1).polyline)[5], "100.50");
    ExpectSound();
}

TEST_F(ElementData, ARaisedStartInvertAtNoMatchingMovesOnlyTheSump) {
    P(1).SetInverts(101, 100.2);
    P(3).SetInverts(101, 100.3);
    P(2).SetInverts(100, 99);
    NodeData(N(2), "N-2", 103, 100, "No Matching");
    PipeData(P(2), "P-2", 100.5, 99);
    EXPECT_EQ(Num(N(2), ne::kSumpLevel), 100.2);
    EXPECT_EQ(Num(P(1), pe::kEndInvert), 100.2);
    EXPECT_EQ(Num(P(3), pe::kEndInvert), 100.3);
    EXPECT_EQ(Num(P(2), pe::kStartInvert), 100.5);
    ExpectSound();
}

TEST_F(ElementData, SectionsAndMaterialsMoveTheirCounts) {
    PipeData(P(1), "P-1", 0, 0);
    EXPECT_EQ(SizeCount("Circular", "200"), "0");
    EXPECT_EQ(CountOf(library.GetMaterialsArray(*doc), "PVC"), "0");

    PipeData(P(1), "P-1", 0, 0, "Steel", "Box - 1200 x 800", 2);
    fluvanet::ElementRecord r = P(1).Record();
    EXPECT_EQ(r.Text(pe::kSectionShape), "SectionShape_Box");
    EXPECT_EQ(r.Get(pe::kSpan), Variant(1200.0));
    EXPECT_EQ(r.Get(pe::kRise), Variant(800.0));
    EXPECT_EQ(r.Get(pe::kCells), Variant(int16_t{2}));
    EXPECT_EQ(r.Text(pe::kMaterial), "Steel");
    EXPECT_EQ(SizeCount("Circular", "200"), "-1");
    EXPECT_EQ(SizeCount("Box", "1200 x 800"), "1");
    EXPECT_EQ(CountOf(library.GetMaterialsArray(*doc), "PVC"), "-1");
    EXPECT_EQ(CountOf(library.GetMaterialsArray(*doc), "Steel"), "1");
    EXPECT_EQ(Shown(P(1).polyline)[2], "2 (1200X800)");

    PipeData(P(1), "P-1", 0, 0, "Steel", "Circular - 300");
    EXPECT_EQ(SizeCount("Box", "1200 x 800"), "0");
    EXPECT_EQ(SizeCount("Circular", "300"), "1");
    EXPECT_EQ(P(1).Record().Get(pe::kRise), Variant(300.0));
    ExpectSound();
}

TEST_F(ElementData, TheCallerTablesComeBackWithTheNewCounts) {
    Variant circular{library.GetSizesArray(*doc, "Circular")}, box{library.GetSizesArray(*doc, "Box")},
        materials{library.GetMaterialsArray(*doc)};
    vb::CallByName(editing, "UpdatePipeData", com::CallType::Method, doc, Variant(P(1).Id()), Variant("P-1"),
                   Variant(1.0), Variant(0.5), Variant("PVC"), Variant("Box - 1000 x 600"), Variant(int16_t{1}),
                   circular, box, materials, set);
    EXPECT_EQ(CountOf(circular.Array(), "200"), "-1");
    EXPECT_EQ(CountOf(box.Array(), "1000x600"), "1");
    EXPECT_EQ(CountOf(materials.Array(), "PVC"), "0");
    EXPECT_EQ(Num(P(1), pe::kStartInvert), 1);
    ExpectSound();
}

TEST_F(ElementData, RefusedDataWritesNothing) {
    MatchAt(N(2), fluvanet::kMatchInverts);
    const auto before = Records();
    auto refused = [&](auto call) { return ErrorOf(call); };
    // Levels that are no number, at a node that would carry them to every pipe there.
    for (double level : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        EXPECT_EQ(refused([&] { NodeData(N(2), "N-2", level, 1, "Match Inverts"); }), ErrorCode::InvalidProcedureCall);
        EXPECT_EQ(refused([&] { NodeData(N(2), "N-2", 1, level, "Match Inverts"); }), ErrorCode::InvalidProcedureCall);
        EXPECT_EQ(refused([&] { PipeData(P(2), "P-2", level, 1); }), ErrorCode::InvalidProcedureCall);
        EXPECT_EQ(refused([&] { PipeData(P(1), "P-1", 1, level); }), ErrorCode::InvalidProcedureCall);
    }
    // A size text whose number is past any real.
    EXPECT_EQ(refused([&] { PipeData(P(1), "P-1", 1, 1, "PVC", "Circular - 1e400"); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(refused([&] { PipeData(P(1), "P-1", 1, 1, "PVC", "Box - 1200 x 1e400"); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(Records(), before);
    ExpectSound();
    EXPECT_EQ(refused([&] { NodeData(N(2), "", 1, 1, "No Matching"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(refused([&] { NodeData(N(2), "N;2", 1, 1, "No Matching"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(refused([&] { PipeData(P(1), "", 1, 1); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(refused([&] { PipeData(P(1), "P;1", 1, 1); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(refused([&] { PipeData(P(1), "P-1", 1, 1, "PVC;Steel"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(refused([&] { PipeData(P(1), "P-1", 1, 1, "PVC", "Box - 1200"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(refused([&] { PipeData(P(1), "P-1", 1, 1, "PVC", "Box"); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(refused([&] { PipeData(P(1), "P-1", 1, 1, "PVC", "Circ - 3"); }), ErrorCode::InvalidProcedureCall);
    // Identifiers of the wrong kind.
    EXPECT_EQ(refused([&] { editing->UpdateNodeData(*doc, P(1).Id(), "N-2", 1, 1, "No Matching", *set); }),
              ErrorCode::TypeMismatch);
    SafeArray c = library.GetSizesArray(*doc, "Circular"), b = library.GetSizesArray(*doc, "Box"),
              m = library.GetMaterialsArray(*doc);
    EXPECT_EQ(refused([&] {
                  editing->UpdatePipeData(*doc, N(1).Id(), "P-1", 1, 1, "PVC", "Circular - 200", 1, c, b, m, *set);
              }),
              ErrorCode::TypeMismatch);
    EXPECT_EQ(Records(), before);

    // A node listing a label block among its pipes: neither it nor a pipe ending there is written.
    SetRecordEntry(N(2).block, ne::kEndPipeIds, Variant(Ref(P(1).Id()) + RecordText(P(1).polyline, pe::kLabelBlockId)));
    const auto broken = Records();
    EXPECT_EQ(refused([&] { NodeData(N(2), "N-2", 1, 1, "Match Inverts"); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(refused([&] { PipeData(P(2), "P-2", 1, 1); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(Records(), broken);

    auto gone = net.AddNode(90, 90);
    const std::string goneId = gone.Id();
    gone.block->Delete();
    EXPECT_EQ(refused([&] { editing->UpdateNodeData(*doc, goneId, "N-9", 1, 1, "No Matching", *set); }),
              ErrorCode::ObjectNotFound);
}

// A crossing with a pipe of a network whose layer is locked stops the upkeep of P-3 after
// P-2, N-2 and P-1 were written: all of it is put back.
TEST_F(ElementData, AFailurePartWayPutsBackWhatWasWritten) {
    NetworkBuilder water(*doc, "Water", "Pressure");
    TestChain main = water.AddChain({{5, 5}, {15, 5}});
    fluvanet::Crossing crossing;
    auto picked = general.InitializeSelectionSet(*doc, "Picked");
    picked->AddItems({main.pipes[0].polyline});
    crossing.BuildCrossingPointsAfterImporting(*doc, *picked, "Metric");
    ASSERT_FALSE(RecordText(P(3).polyline, pe::kCrossingIds).empty());
    AddProfileStyle(*doc, "Road");
    TestProfile profile = AddTestProfile(*doc, net, "L-1", "Road", {P(1), P(2)});
    // Flagged once, a profile stays flagged with its stamp: only its pipe labels are at stake.
    fluvanet::Profile().FlagProfileForUpdate(*doc, profile.Id());
    MatchAt(N(2), fluvanet::kMatchInverts);
    const auto findings = NetworkFindings(*doc);
    doc->Layers()->Item(Variant("Water - Network"))->SetLock(true);
    // The label upkeep writes the attributes through their locked layer: so does the undo.
    doc->Layers()->Item(Variant("0"))->SetLock(true);
    const auto before = Records();
    const std::string drawing = bench_support::DrawingText(*doc);
    SafeArray circular = library.GetSizesArray(*doc, "Circular"), box = library.GetSizesArray(*doc, "Box"),
              materials = library.GetMaterialsArray(*doc);
    const auto tables = std::vector<std::string>{CountOf(circular, "200"), CountOf(materials, "PVC")};

    EXPECT_EQ(ErrorOf([&] {
                  editing->UpdatePipeData(*doc, P(2).Id(), "S-2", 98, 97, "Steel", "Circular - 300", 1, circular,
                                          box, materials, *set);
              }),
              ErrorCode::OnLockedLayer);
    EXPECT_EQ(Records(), before);
    EXPECT_EQ(bench_support::DrawingText(*doc), drawing);
    EXPECT_EQ((std::vector<std::string>{CountOf(circular, "200"), CountOf(materials, "PVC")}), tables);
    EXPECT_EQ(ErrorOf([&] { NodeData(N(2), "MH-2", 103, 97, "Match Inverts"); }), ErrorCode::OnLockedLayer);
    EXPECT_EQ(Records(), before);
    EXPECT_EQ(bench_support::DrawingText(*doc), drawing);
    EXPECT_EQ(NetworkFindings(*doc), findings);

    EXPECT_TRUE(doc->Layers()->Item(Variant("0"))->Lock());

    // Unlocked, the same edits go through.
    doc->Layers()->Item(Variant("Water - Network"))->SetLock(false);
    NodeData(N(2), "MH-2", 103, 97, "Match Inverts");
    EXPECT_EQ(Num(P(3), pe::kEndInvert), 97);
    ExpectSound();
}

TEST_F(ElementData, PressureElementsAreCollectedForLowAndHighPoints) {
    NetworkBuilder water(*doc, "Water", "Pressure");
    TestChain main = water.AddChain({{0, 50}, {10, 50}, {20, 50}});
    Label(water, main);
    main.nodes[0].SetSump(100);
    main.nodes[2].SetSump(100);
    NodeData(main.nodes[1], "N-2", 102, 98, "No Matching");
    EXPECT_EQ(set->Count(), 1);
    EXPECT_EQ(set->Item(0), main.nodes[1].block);
    PipeData(main.pipes[1], "P-2", 98, 100);
    EXPECT_EQ(set->Count(), 2);
    EXPECT_EQ(set->Item(1), main.nodes[2].block);

    // Its marker follows a new label.
    fluvanet::LowHigh().BuildLowHighPointsAfterImporting(*doc, {main.nodes[1].Id()}, "Water");
    ASSERT_FALSE(RecordText(main.nodes[1].block, ne::kLowHighId).empty());
    NodeData(main.nodes[1], "V-2", 102, 98, "No Matching");
    EXPECT_EQ(RecordText(main.nodes[1].block, ne::kLowHighLabel), Ref("V-2LowHigh"));
    ExpectSound();
}

TEST_F(ElementData, TheCrossingClearanceFollowsTheLevels) {
    NetworkBuilder water(*doc, "Water", "Pressure");
    TestChain main = water.AddChain({{5, -5}, {5, 5}});
    main.pipes[0].SetInverts(95, 95);
    P(1).SetInverts(100, 100);
    fluvanet::Crossing crossing;
    auto picked = general.InitializeSelectionSet(*doc, "Picked");
    picked->AddItems({main.pipes[0].polyline});
    crossing.BuildCrossingPointsAfterImporting(*doc, *picked, "Metric");
    std::string annotationId = fluvanet::refs::LeadingKeys(RecordText(P(1).polyline, pe::kCrossingIds)).at(0);
    auto annotation = fluvanet::ObjectFromId(*doc, annotationId);
    const double before = fluvanet::ElementRecord::Read(annotation).Number(fluvanet::crossing_entry::kClearance);

    PipeData(P(1), "S-1", 101, 101);
    fluvanet::ElementRecord after = fluvanet::ElementRecord::Read(annotation);
    EXPECT_NEAR(after.Number(fluvanet::crossing_entry::kClearance) - before, 1, 1e-9);
    EXPECT_EQ(fluvanet::refs::LeadingKeys(RecordText(P(1).polyline, pe::kCrossingIds)).at(0), annotationId);
    ExpectSound();
}

}  // namespace
