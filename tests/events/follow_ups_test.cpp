// What follows an erasure or a move: low/high points again, crossings rebuilt, profiles
// flagged, pipe ends, markers and leader lines put back in place.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "crossing/crossing_records.h"
#include "profile/profile_records.h"
#include "tests/events/event_drawing.h"
#include "tests/support/erase_watch.h"
#include "tests/support/error_code.h"

namespace {

using namespace testing_support;
using com::ErrorCode;
using com::Variant;
using testing::ElementsAre;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;
namespace pf = fluvanet::profile_entry;

constexpr double kQuarterTurn = 1.5707963267948966;

class FollowUps : public EventDrawing {
protected:
    std::shared_ptr<acad::AcadBlockReference> Annotation(const std::string& id) {
        return acad::Cast<acad::AcadBlockReference>(fluvanet::ObjectFromId(*doc, id));
    }
    std::shared_ptr<acad::AcadLine> LeaderOf(const std::string& annotation) {
        return acad::Cast<acad::AcadLine>(Linked(Annotation(annotation), fluvanet::crossing_entry::kLineId));
    }
    TestProfile Profile(const std::string& name, const std::vector<TestPipe>& pipes) {
        return AddTestProfile(*doc, NetworkBuilder(*doc, "Sewer"), name, "Road", pipes);
    }
    std::string Marker(const TestNode& node) {
        auto marker = acad::Cast<acad::AcadBlockReference>(Linked(node.block, ne::kLowHighId));
        return Id(marker) + " " + marker->Name();
    }
};

TEST_F(FollowUps, AMoveThroughTheHostLeavesASoundDrawing) {
    TestProfile profile = Profile("L-1", {sewer[0], sewer[1]});
    const std::vector<std::string> old = Crossings(sewer[0]);
    ASSERT_EQ(old.size(), 2u);
    const std::vector<std::shared_ptr<acad::AcadLine>> oldLeaders{LeaderOf(old[0]), LeaderOf(old[1])};
    const TestNode mainNode = NodeOf(main[0], pe::kEndNodeId);

    // Two sewer nodes and a Main node up by 5: P-2's ends both move, P-1 keeps both its
    // crossings at new points.
    host::EventDriver::EraseLists lists = host.Move(
        {NodeOf(sewer[1], pe::kStartNodeId).block, NodeOf(sewer[1], pe::kEndNodeId).block, mainNode.block}, {0, 0, 0},
        {0, 5, 0});
    EXPECT_THAT(sewer[1].polyline->Coordinates(), ElementsAre(40, 5, 80, 5));
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(fluvanet::ObjectFromIdIfAlive(*doc, old[i]), nullptr);
        EXPECT_TRUE(oldLeaders[i]->Erased());
        EXPECT_THAT(lists.toBeErased, testing::HasSubstr(Id(oldLeaders[i]) + ";"));
    }
    const std::vector<std::string> now = Crossings(sewer[0]);
    ASSERT_EQ(now.size(), 2u);
    EXPECT_THAT(now, testing::Not(testing::Contains(old[0])));
    EXPECT_EQ(RecordText(Annotation(now[0]), fluvanet::crossing_entry::kPoint), "10;1.25");
    EXPECT_EQ(profile.Record().Number(pf::kNeedsUpdate), 1);
    Sound();
}

TEST_F(FollowUps, ARebuildLeavesQueuedAnnotationsAndDropsGoneOnesWithTheEventsOff) {
    const std::vector<std::string> old = Crossings(sewer[0]);
    std::string erased, queued = old[0] + ";";
    // The second annotation is gone with its leader; both pipes still list it.
    LeaderOf(old[1])->Delete();
    Annotation(old[1])->Delete();

    auto watch = WatchErasures(*doc);
    std::string changed = sewer[0].Id() + ";" + main[2].Id() + ";";
    events->RebuildPipeCrossingPoints(*doc, changed, erased, queued);
    doc->SetEraseObserver(nullptr);
    EXPECT_TRUE(watch->flags.empty());
    EXPECT_EQ(queued, old[0] + ";");
    // The queued one stays for its erasure; the gone one's place has a new annotation, once.
    const std::vector<std::string> now = Crossings(sewer[0]);
    ASSERT_EQ(now.size(), 2u);
    EXPECT_EQ(now[0], old[0]);
    EXPECT_NE(now[1], old[1]);
    EXPECT_THAT(Crossings(main[2]), ElementsAre(now[1]));
    EXPECT_EQ(vb::Split(RecordText(sewer[0].polyline, pe::kCrossingLabels), ";").size(), 3u);
    Sound();

    // Replaced, an annotation goes at once and its leader to the list; nothing is reported.
    const std::shared_ptr<acad::AcadLine> leader = LeaderOf(now[1]);
    watch = WatchErasures(*doc);
    changed = main[2].Id() + ";";
    queued.clear();
    events->RebuildPipeCrossingPoints(*doc, changed, erased, queued);
    doc->SetEraseObserver(nullptr);
    EXPECT_THAT(watch->flags, ElementsAre(0));
    EXPECT_TRUE(host.EventsOn());
    EXPECT_EQ(queued, Id(leader) + ";");
    EXPECT_THAT(Crossings(main[2]), ElementsAre(testing::Ne(now[1])));
    leader->Delete();
    Sound();
}

TEST_F(FollowUps, ProfilesOfChangedPipesAreFlaggedButForThoseErasedOrQueued) {
    TestProfile flagged = Profile("L-1", {sewer[1]}), queued = Profile("L-2", {sewer[1], sewer[2]}),
                erased = Profile("L-3", {sewer[1]});
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    const std::string gone = Id(line);
    line->Delete();
    vb::CallByName(events, "FlagChangedPipesProfilesForUpdate", com::CallType::Method, doc,
                   gone + ";" + sewer[1].Id() + ";", erased.Id() + ";", queued.Id() + ";");
    EXPECT_EQ(flagged.Record().Number(pf::kNeedsUpdate), 1);
    EXPECT_EQ(queued.Record().Number(pf::kNeedsUpdate), 0);
    EXPECT_EQ(erased.Record().Number(pf::kNeedsUpdate), 0);
    Sound();
}

TEST_F(FollowUps, LowAndHighPointsAgainForEachPressureNetworkOnItsOwn) {
    const TestNode raised = NodeOf(main[0], pe::kEndNodeId), other = NodeOf(main[2], pe::kEndNodeId);
    SetRecordEntry(raised.block, ne::kSumpLevel, Variant(5.0));
    const std::string before = Marker(other);
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    const std::string gone = Id(line);
    line->Delete();
    // A gravity node first, an erased one among them.
    events->AnalyzeLowHighAfterDeleting(*doc, {NodeOf(sewer[0], pe::kStartNodeId).Id(), gone, raised.Id()});
    EXPECT_THAT(Marker(raised), testing::EndsWith("Fluvamap_HighPoint"));
    EXPECT_EQ(Marker(other), before);
    EXPECT_EQ(RecordText(NodeOf(sewer[0], pe::kStartNodeId).block, ne::kLowHighId), "");
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

    // 10.00001 after rounding, though closer than that.
    a.block->SetInsertionPoint({10.000006, 50, 0});
    b.block->SetInsertionPoint({31, 52, 0});
    vb::CallByName(events, "AdjustPipeEnds", com::CallType::Method, doc, pipe.polyline);
    EXPECT_THAT(pipe.polyline->Coordinates(), ElementsAre(10.000006, 50, 31, 52));
    Sound();
}

TEST_F(FollowUps, ALeaderRunsFromTheCrossingToTheNearestCornerOfTheTurnedAnnotation) {
    // Main P-1 crosses Sewer P-1 at (10, 0).
    const std::string id = Crossings(main[0]).at(0);
    auto annotation = Annotation(id);
    auto leader = LeaderOf(id);
    struct Case {
        acad::Point3 at;
        double turn;
        acad::Point3 end;
    };
    // Corners (0, 0) and (0, 12) of the table, turned a quarter: the second lies nearest;
    // equally near, the first wins.
    for (const Case& c : {Case{{22, 3, 0}, kQuarterTurn, {10, 3, 0}}, Case{{22, 3, 0}, 0, {22, 3, 0}},
                          Case{{16, 10, 0}, kQuarterTurn, {16, 10, 0}}}) {
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
    const TestNode node = NodeOf(main[0], pe::kStartNodeId);
    auto marker = acad::Cast<acad::AcadBlockReference>(Linked(node.block, ne::kLowHighId));
    EXPECT_EQ(ErrorOf([&] { events->AdjustLowHighPoint(*doc, *node.block); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { events->AnalyzeLowHighAfterDeleting(*doc, {node.Id(), main[0].Id()}); }),
              ErrorCode::TypeMismatch);

    // A start node reference naming a pipe refuses before the end is pulled.
    const std::vector<double> vertices = main[0].polyline->Coordinates();
    const std::string start = RecordText(main[0].polyline, pe::kStartNodeId);
    SetRecordEntry(main[0].polyline, pe::kStartNodeId, Variant(fluvanet::refs::Reference(main[1].Id())));
    NodeOf(main[0], pe::kEndNodeId).block->SetInsertionPoint({11, 11, 0});
    EXPECT_EQ(ErrorOf([&] { events->AdjustPipeEnds(*doc, *main[0].polyline); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(main[0].polyline->Coordinates(), vertices);
    SetRecordEntry(main[0].polyline, pe::kStartNodeId, Variant(start));

    // Gone: the start node, the marker's node, the leader's annotation.
    const std::string id = Crossings(main[0]).at(0);
    auto leader = LeaderOf(id);
    const acad::Point3 from = leader->StartPoint();
    node.block->Delete();
    Annotation(id)->Delete();
    events->AdjustPipeEnds(*doc, *main[0].polyline);
    EXPECT_EQ(main[0].polyline->Coordinates(), (std::vector<double>{10, -10, 11, 11}));
    const acad::Point3 at = marker->InsertionPoint();
    events->AdjustLowHighPoint(*doc, *marker);
    events->AdjustCrossingLine(*doc, *leader);
    EXPECT_EQ(marker->InsertionPoint(), at);
    EXPECT_EQ(leader->StartPoint(), from);
}

}  // namespace
