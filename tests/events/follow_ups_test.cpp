// What follows an erasure or a move: low/high points again, crossings rebuilt, profiles
// flagged, pipe ends, markers and leader lines put back in place.

#include "crossing/crossing_records.h"
#include "editing/editing.h"
#include "profile/profile_records.h"
#include "tests/events/event_drawing.h"
#include "tests/support/erase_watch.h"
#include "tests/support/error_code.h"

namespace {

using namespace testing_support;
using com::Variant;
using testing::ElementsAre;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;

class FollowUps : public EventDrawing {
protected:
    std::shared_ptr<acad::AcadBlockReference> Annotation(const std::string& id) {
        return std::dynamic_pointer_cast<acad::AcadBlockReference>(fluvanet::ObjectFromIdIfAlive(*doc, id));
    }
    std::shared_ptr<acad::AcadLine> LeaderOf(const std::string& annotation) {
        return acad::Cast<acad::AcadLine>(Linked(Annotation(annotation), fluvanet::crossing_entry::kLineId));
    }
    TestProfile Profile(const std::string& name, const std::vector<TestPipe>& pipes) {
        return AddTestProfile(*doc, NetworkBuilder(*doc, "Sewer"), name, "Road", pipes);
    }
    static double NeedsUpdate(const TestProfile& p) { return p.Record().Number(fluvanet::profile_entry::kNeedsUpdate); }
    std::string GoneId() {
        auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
        line->Delete();
        return Id(line);
    }
};

TEST_F(FollowUps, AMoveThroughTheHostLeavesASoundDrawing) {
    TestProfile profile = Profile("L-1", {sewer[0], sewer[1]});
    const std::vector<std::string> old = Crossings(sewer[0]);
    const auto leaders = {LeaderOf(old.at(0)), LeaderOf(old.at(1))};
    // Two sewer nodes and a Main node up by 5: P-2's ends both move, P-1 keeps both its
    // crossings at new points, the Main node's marker follows it.
    host.Move(
        {NodeOf(sewer[1], pe::kStartNodeId), NodeOf(sewer[1], pe::kEndNodeId), NodeOf(main[0], pe::kEndNodeId)},
        {0, 0, 0}, {0, 5, 0});
    EXPECT_THAT(sewer[1].polyline->Coordinates(), ElementsAre(40, 5, 80, 5));
    for (const auto& leader : leaders) EXPECT_TRUE(leader->Erased());
    const std::vector<std::string> now = Crossings(sewer[0]);
    ASSERT_EQ(now.size(), 2u);
    EXPECT_EQ(Annotation(old[0]), nullptr);
    EXPECT_EQ(RecordText(Annotation(now[0]), fluvanet::crossing_entry::kPoint), "10;1.25");
    EXPECT_EQ(NeedsUpdate(profile), 1);
    Sound();

    // N-4 onto N-3: P-3 has no length in plan, and the move stands. What labels it after
    // takes it as slope 0, its slope line empty.
    const auto n3 = NodeOf(sewer[2], pe::kStartNodeId), n4 = NodeOf(sewer[2], pe::kEndNodeId);
    host.Move({n4}, {120, 0, 0}, {80, 5, 0});
    EXPECT_THAT(sewer[2].polyline->Coordinates(), ElementsAre(80, 5, 80, 5));
    auto editing = std::make_shared<fluvanet::Editing>();
    auto none = std::optional<com::ErrorCode>();
    doc->Utility()->QueueSelection({sewer[0].polyline, sewer[2].polyline, sewer[1].polyline});
    auto reversed = editing->GetPipesToReverse(*doc);
    EXPECT_EQ(ErrorOf([&] { editing->ReverseSelectedPipes(*doc, *reversed); }), none);
    EXPECT_THAT(sewer[0].polyline->Coordinates(), ElementsAre(40, 5, 0, 0));
    EXPECT_THAT(sewer[1].polyline->Coordinates(), ElementsAre(80, 5, 40, 5));
    EXPECT_EQ(NodeOf(sewer[2], pe::kStartNodeId), n4);
    Sound();

    const Entities source{sewer[2].polyline, n3, n4};
    Entities copies;
    EXPECT_EQ(ErrorOf([&] { copies = host.Copy(source, {0, 0, 0}, {0, 50, 0}).copies; }), none);
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_NE(RecordText(copies[0], pe::kLabelBlockId), RecordText(source[0], pe::kLabelBlockId));
    for (std::size_t k : {1u, 2u})
        EXPECT_NE(RecordText(copies[k], ne::kLabelBlockId), RecordText(source[k], ne::kLabelBlockId));
    Sound();

    auto lowHigh = general->InitializeSelectionSet(*doc, "SetNodesForLowHigh");
    com::SafeArray circular = library.GetSizesArray(*doc, "Circular"), box = library.GetSizesArray(*doc, "Box"),
                   materials = library.GetMaterialsArray(*doc);
    EXPECT_EQ(ErrorOf([&] {
                  editing->UpdatePipeData(*doc, sewer[2].Id(), "P-3", 99.5, 99, "PVC", "Circular - 200", 1, circular,
                                          box, materials, *lowHigh);
              }),
              none);
    EXPECT_EQ(RecordText(sewer[2].polyline, pe::kEndInvert), "99");
    std::vector<std::string> texts;
    for (const auto& a : acad::Cast<acad::AcadBlockReference>(Linked(sewer[2].polyline, pe::kLabelBlockId))
                             ->GetAttributes())
        texts.push_back(a->TextString());
    EXPECT_THAT(texts, ElementsAre("P-3", "L=0.00m", "%%c200", ""));
    Sound();

    // A line drawn from the copy's node becomes a pipe.
    auto line = doc->ModelSpace()->AddLine({80, 55, 0}, {60, 70, 0});
    doc->Utility()->QueueSelection({line});
    auto drawn = editing->GetEntitiesToConvert(*doc);
    EXPECT_EQ(ErrorOf([&] { editing->CreateElementsInNetwork(*doc, *drawn, true, "Sewer", "Gravity"); }), none);
    std::shared_ptr<acad::AcadLWPolyline> converted;
    for (const auto& e : All())
        if (auto p = std::dynamic_pointer_cast<acad::AcadLWPolyline>(e))
            if (p->Coordinates() == std::vector<double>{80, 55, 60, 70}) converted = p;
    ASSERT_NE(converted, nullptr);
    EXPECT_NE(RecordText(converted, pe::kLabelBlockId), "");
    Sound();

    // P-1 and P-2 merged up to N-3, where P-3 is relabelled.
    doc->Utility()->QueueSelection({sewer[0].polyline, sewer[1].polyline});
    auto merging = editing->GetPipesToMerge(*doc);
    ASSERT_EQ(merging->Count(), 2);
    EXPECT_EQ(ErrorOf([&] {
                  Entities sequence;
                  std::string labels, ids, start, end, type, network;
                  auto merged = editing->CreateMergedPipe(*doc, *merging, sequence, labels, ids);
                  std::shared_ptr<acad::AcadEntity> first, last;
                  editing->AssignMergedXdata(*doc, *merged, sequence, labels, ids, first, last, start, end, type,
                                             network, lowHigh);
                  editing->UpdateLibrariesAfterMerging(*doc, *first, 2);
                  editing->UpdateCrossingsAfterMerging(*doc, labels, ids, *merged, *merging);
                  editing->UpdateProfilesAfterMerging(*doc, *merged, *merging);
                  editing->DeleteOldMergedPipes(*doc, *merging, start, end);
              }),
              none);
    EXPECT_TRUE(sewer[0].polyline->Erased());
    Sound();
}

TEST_F(FollowUps, ARebuildLeavesQueuedAnnotationsAndThoseOfOtherPipesAndDropsGoneOnesWithTheEventsOff) {
    const std::vector<std::string> old = Crossings(sewer[0]);
    // The second annotation is gone with its leader; both pipes still list it.
    LeaderOf(old[1])->Delete();
    Annotation(old[1])->Delete();
    std::string erased, queued = old[0] + ";";
    events->RebuildPipeCrossingPoints(*doc, sewer[0].Id() + ";" + main[2].Id() + ";", erased, queued);
    EXPECT_EQ(queued, old[0] + ";");
    const std::vector<std::string> now = Crossings(sewer[0]);
    ASSERT_EQ(now.size(), 2u);
    EXPECT_EQ(now[0], old[0]);
    EXPECT_THAT(Crossings(main[2]), ElementsAre(now[1]));
    Sound();

    // Replaced, an annotation goes at once and unreported; its leader goes to the list.
    const std::shared_ptr<acad::AcadLine> leader = LeaderOf(now[1]);
    auto watch = WatchErasures(*doc);
    queued.clear();
    events->RebuildPipeCrossingPoints(*doc, main[2].Id() + ";", erased, queued);
    doc->SetEraseObserver(nullptr);
    EXPECT_THAT(watch->flags, ElementsAre(0));
    EXPECT_EQ(queued, Id(leader) + ";");
    EXPECT_THAT(Crossings(main[2]), ElementsAre(testing::Ne(now[1])));
    leader->Delete();
    Sound();

    // A copy made with the events off lists its source's annotation, which names the source:
    // moved, the copy only forgets it.
    const std::string source = Crossings(main[3]).at(0);
    general->TurnEventsOff(*doc);
    auto copy = host.Copy({main[3].polyline}, {0, 0, 0}, {5, 0, 0}).copies.at(0);
    general->TurnEventsOn(*doc);
    host.Move({copy}, {0, 0, 0}, {1, 0, 0});
    ASSERT_NE(Annotation(source), nullptr);
    EXPECT_THAT(Crossings(main[3]), ElementsAre(source));
    EXPECT_THAT(Crossings(sewer[2]), testing::Contains(source));
    EXPECT_THAT(fluvanet::refs::LeadingKeys(RecordText(copy, pe::kCrossingIds)),
                testing::Not(testing::Contains(source)));
    host.Erase({copy});
    EXPECT_THAT(Crossings(sewer[2]), ElementsAre(source));
    Sound();
}

TEST_F(FollowUps, ProfilesOfChangedPipesAreFlaggedButForThoseErasedOrQueued) {
    TestProfile flagged = Profile("L-1", {sewer[1]}), queued = Profile("L-2", {sewer[1], sewer[2]}),
                erased = Profile("L-3", {sewer[1]});
    vb::CallByName(events, "FlagChangedPipesProfilesForUpdate", com::CallType::Method, doc,
                   GoneId() + ";" + sewer[1].Id() + ";", erased.Id() + ";", queued.Id() + ";");
    EXPECT_EQ(NeedsUpdate(flagged) + 10 * NeedsUpdate(queued) + 100 * NeedsUpdate(erased), 1);
    Sound();
}

TEST_F(FollowUps, LowAndHighPointsAgainForEachPressureNetworkOnItsOwn) {
    const auto raised = NodeOf(main[0], pe::kEndNodeId);
    SetRecordEntry(raised, ne::kSumpLevel, Variant(5.0));
    // A gravity node first, an erased one among them.
    events->AnalyzeLowHighAfterDeleting(*doc, {Id(NodeOf(sewer[0], pe::kStartNodeId)), GoneId(), Id(raised)});
    EXPECT_EQ(acad::Cast<acad::AcadBlockReference>(Linked(raised, ne::kLowHighId))->Name(), "Fluvamap_HighPoint");
    EXPECT_EQ(RecordText(NodeOf(sewer[0], pe::kStartNodeId), ne::kLowHighId), "");
    Sound();

    // Names that differ only in case are two networks, each classified again on its own: its
    // start lowered unseen, each middle node, marked low, turns high once the erasure of its
    // other pipe has it classified again.
    Entities doomed;
    std::vector<std::shared_ptr<acad::AcadBlockReference>> middles;
    for (const double y : {300.0, 350.0}) {
        std::vector<TestPipe> line =
            ConvertPolylines(*doc, y < 320 ? "Water" : "water", "Pressure", {{0, y, 20, y}, {20, y, 40, y}});
        SetRecordEntry(NodeOf(line[0], pe::kStartNodeId), ne::kSumpLevel, Variant(-5.0));
        middles.push_back(NodeOf(line[0], pe::kEndNodeId));
        doomed.push_back(line[1].polyline);
    }
    host.Erase(doomed);
    for (const auto& middle : middles)
        EXPECT_EQ(acad::Cast<acad::AcadBlockReference>(Linked(middle, ne::kLowHighId))->Name(), "Fluvamap_HighPoint");
    Sound();
}

TEST_F(FollowUps, PipeEndsTakeTheirNodesPointOnlyWhenOffAtFiveDecimals) {
    NetworkBuilder pins(*doc, "Pins");
    const TestNode a = pins.AddNode(10.000004, 50), b = pins.AddNode(30, 50);
    const TestPipe pipe = pins.AddPipe(a, b);
    // Equal after rounding: nothing is written, so the locked layer does not refuse it.
    a.block->SetInsertionPoint({10.000001, 50, 0});
    doc->Layers()->Item(Variant("Pins - Network"))->SetLock(true);
    events->AdjustPipeEnds(*doc, *pipe.polyline);
    EXPECT_THAT(pipe.polyline->Coordinates(), ElementsAre(10.000004, 50, 30, 50));
    doc->Layers()->Item(Variant("Pins - Network"))->SetLock(false);

    // 10.00001 after rounding, though closer than that; both ends at once.
    a.block->SetInsertionPoint({10.000006, 50, 0});
    b.block->SetInsertionPoint({31, 52, 0});
    vb::CallByName(events, "AdjustPipeEnds", com::CallType::Method, doc, pipe.polyline);
    EXPECT_THAT(pipe.polyline->Coordinates(), ElementsAre(10.000006, 50, 31, 52));
    Sound();
}

TEST_F(FollowUps, ALeaderRunsFromTheCrossingToTheNearestCornerOfTheTurnedAnnotation) {
    const std::string id = Crossings(main[0]).at(0);  // at (10, 0)
    auto annotation = Annotation(id);
    auto leader = LeaderOf(id);
    struct Case {
        acad::Point3 at;
        double turn;
        acad::Point3 end;
    };
    // Corners (0, 0) and (0, 12) of the table, turned a quarter: the second lies nearest;
    // equally near, the first wins.
    for (const Case& c : {Case{{22, 3, 0}, 1.5707963267948966, {10, 3, 0}}, Case{{22, 3, 0}, 0, {22, 3, 0}},
                          Case{{16, 10, 0}, 1.5707963267948966, {16, 10, 0}}}) {
        annotation->SetInsertionPoint(c.at);
        annotation->SetRotation(c.turn);
        leader->SetStartPoint({1, 1, 5});
        vb::CallByName(events, "AdjustCrossingLine", com::CallType::Method, doc, leader);
        EXPECT_EQ(leader->StartPoint(), (acad::Point3{10, 0, 0}));
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(leader->EndPoint()[k], c.end[k], 1e-9) << c.turn << " " << k;
    }
    Sound();
}

TEST_F(FollowUps, WhatIsGoneIsPassedOverAndAWrongElementRaises) {
    const auto node = NodeOf(main[0], pe::kStartNodeId);
    auto marker = acad::Cast<acad::AcadBlockReference>(Linked(node, ne::kLowHighId));
    EXPECT_EQ(ErrorOf([&] { events->AdjustLowHighPoint(*doc, *node); }), com::ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { events->AnalyzeLowHighAfterDeleting(*doc, {Id(node), main[0].Id()}); }),
              com::ErrorCode::TypeMismatch);
    // A start node reference naming a pipe refuses before the end is pulled.
    const std::string start = RecordText(main[0].polyline, pe::kStartNodeId);
    SetRecordEntry(main[0].polyline, pe::kStartNodeId, Variant(fluvanet::refs::Reference(main[1].Id())));
    NodeOf(main[0], pe::kEndNodeId)->SetInsertionPoint({11, 11, 0});
    EXPECT_EQ(ErrorOf([&] { events->AdjustPipeEnds(*doc, *main[0].polyline); }), com::ErrorCode::TypeMismatch);
    EXPECT_THAT(main[0].polyline->Coordinates(), ElementsAre(10, -10, 10, 10));
    SetRecordEntry(main[0].polyline, pe::kStartNodeId, Variant(start));

    // Gone: the start node, the marker's node, the leader's annotation.
    const std::string id = Crossings(main[0]).at(0);
    auto leader = LeaderOf(id);
    const acad::Point3 from = leader->StartPoint(), at = marker->InsertionPoint();
    node->Delete();
    Annotation(id)->Delete();
    events->AdjustPipeEnds(*doc, *main[0].polyline);
    events->AdjustLowHighPoint(*doc, *marker);
    events->AdjustCrossingLine(*doc, *leader);
    EXPECT_THAT(main[0].polyline->Coordinates(), ElementsAre(10, -10, 11, 11));
    EXPECT_EQ(marker->InsertionPoint(), at);
    EXPECT_EQ(leader->StartPoint(), from);
}

}  // namespace
