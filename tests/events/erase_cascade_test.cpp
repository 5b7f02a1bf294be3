// Erasures driven through the host on a converted drawing: what a node, a pipe, a crossing, a
// label or an arrow takes with it, what it leaves to the others, and what the survivors keep.

#include "annotation/view_style.h"
#include "profile/profile_records.h"
#include "tests/events/cascade_drawing.h"
#include "tests/support/error_code.h"

namespace {

using namespace cascade_testing;
using com::ErrorCode;
using com::Variant;
using fluvanet::IdText;
using host::ReferenceKeys;
using testing::Contains;
using testing::ElementsAre;
using testing::Not;

std::string Ref(const std::string& key) { return ";RelatedTo" + key; }
std::vector<std::string> Items(const std::string& list) {
    std::vector<std::string> items = vb::Split(list, ";");
    items.pop_back();
    return items;
}
std::string Lists(const std::string& a, const std::string& b, const std::string& c) { return a + "|" + b + "|" + c; }

TEST(EraseCascade, ANodeTakesItsPipesAndAllTheyCarryAndEveryNodeIsClassifiedOnce) {
    CascadeDrawing d;
    auto c = d.C();
    // Per pipe at the node, starts then ends: label, arrow, each crossing's leader and the
    // crossing, the pipe; then the node's label and marker.
    std::string queue, nodes;
    std::vector<std::shared_ptr<acad::AcadObject>> farNodes;
    for (int32_t side : {ne::kStartPipeIds, ne::kEndPipeIds})
        for (const std::string& id : ReferenceKeys(RecordText(c, side))) {
            auto pipe = fluvanet::ObjectFromId(*d.doc, id);
            queue += d.Key(pipe, pe::kLabelBlockId) + ";" + d.Key(pipe, pe::kArrowId) + ";";
            for (const std::string& crossing : ReferenceKeys(RecordText(pipe, pe::kCrossingIds)))
                queue += d.Key(fluvanet::ObjectFromId(*d.doc, crossing), 15) + ";" + crossing + ";";
            queue += id + ";";
            for (int32_t end : {pe::kStartNodeId, pe::kEndNodeId}) {
                std::string node = d.Key(pipe, end) + ";";
                if (nodes.find(node) == std::string::npos) nodes += node;
                if (d.Key(pipe, end) != IdText(*c)) farNodes.push_back(d.Named(pipe, end));
            }
        }
    queue += d.Key(c, ne::kLabelBlockId) + ";" + d.Key(c, ne::kLowHighId) + ";";
    ASSERT_EQ(Items(queue).size(), 17u);
    ASSERT_THAT(Items(queue), Not(Contains("")));
    ASSERT_EQ(d.Usage(), "8/8");

    host::EventDriver::EraseLists lists = d.host.Erase({c});
    EXPECT_EQ(lists.toBeErased, queue);
    EXPECT_EQ(lists.erased, IdText(*c) + ";" + queue);
    EXPECT_EQ(lists.nodesForLowHigh, nodes);
    EXPECT_EQ(Items(nodes).size(), 4u);
    EXPECT_THAT(d.events->lowHigh, ElementsAre(nodes));
    for (const auto& far : farNodes)
        for (int32_t k = ne::kStartPipeLabels; k <= ne::kEndPipeIds; ++k) EXPECT_EQ(RecordText(far, k), "") << k;
    EXPECT_EQ(d.Usage(), "5/5");
    for (const TestPipe& s : d.sewer) EXPECT_EQ(RecordText(s.polyline, pe::kCrossingIds), "");
    EXPECT_EQ(d.profile.Record().Number(fluvanet::profile_entry::kNeedsUpdate), 1);
    d.Sound();
}

TEST(EraseCascade, ANodeAndItsPipeSelectedTogetherCountOnceInEitherOrder) {
    for (bool nodeFirst : {true, false}) {
        CascadeDrawing d;
        auto node = d.A(), c = d.C();
        auto pipe = d.P(0).polyline;
        auto crossing = d.Crossing(0);
        std::vector<std::shared_ptr<acad::AcadEntity>> gone{
            d.Named(pipe, pe::kLabelBlockId), d.Named(pipe, pe::kArrowId),  crossing, d.Named(crossing, 15),
            d.Named(node, ne::kLabelBlockId), d.Named(node, ne::kLowHighId)};
        if (nodeFirst)
            d.host.Erase({node, pipe});
        else
            d.host.Erase({pipe, node});
        EXPECT_EQ(d.Usage(), "7/7") << nodeFirst;
        for (const auto& e : gone) EXPECT_TRUE(e->Erased()) << RecordText(e, 2);
        EXPECT_EQ(RecordText(c, ne::kStartPipeIds), Ref(d.P(1).Id()));
        d.Sound();
    }
}

TEST(EraseCascade, WhatTheOperationQueuedOrErasedIsLeftToItsOwnErasure) {
    // The node's handler ran for the pipe and queued it: reported again, it changes nothing.
    CascadeDrawing d;
    std::string erased, queued, nodes;
    d.events->NodeWillBeErased(*d.doc, *acad::Cast<acad::AcadBlockReference>(d.A()), erased, queued, nodes);
    ASSERT_THAT(Items(queued), Contains(d.P(0).Id()));
    const std::vector<std::string> records = d.Records();
    const std::string lists = Lists(erased, queued, nodes);
    d.events->PipeWillBeErased(*d.doc, *d.P(0).polyline, erased, queued, nodes);
    EXPECT_EQ(d.Records(), records);
    EXPECT_EQ(Lists(erased, queued, nodes), lists);

    // An end node erased already is not written; one still queued is.
    CascadeDrawing e;
    auto c = e.C(), b = e.B();
    const std::string cRecord = e.RecordOf(c);
    std::string erasedC = IdText(*c) + ";", queuedB = IdText(*b) + ";", none;
    e.events->PipeWillBeErased(*e.doc, *e.P(1).polyline, erasedC, queuedB, none);
    EXPECT_EQ(e.RecordOf(c), cRecord);
    EXPECT_EQ(RecordText(b, ne::kEndPipeIds), "");
    EXPECT_EQ(none, IdText(*c) + ";" + IdText(*b) + ";");
}

TEST(EraseCascade, TheFirstPipeOfAProfileTakesTheProfileAndItsPlanAtOnce) {
    CascadeDrawing d;
    const std::string profileId = d.profile.Id(), planId = IdText(*d.profile.plan);
    host::EventDriver::EraseLists lists = d.host.Erase({d.S(0).polyline});
    EXPECT_TRUE(d.profile.block->Erased());
    EXPECT_TRUE(d.profile.plan->Erased());
    EXPECT_THAT(Items(lists.toBeErased), Contains(profileId));
    EXPECT_THAT(Items(lists.toBeErased), Not(Contains(planId)));
    for (int i = 1; i < 5; ++i) EXPECT_EQ(RecordText(d.S(i).polyline, pe::kProfileIds), "") << i;
    EXPECT_EQ(fluvanet::FindProfileStylePoint(*d.doc, "Road")->Text(fluvanet::style_entry::kProfileIds), "");
    d.Sound();
}

TEST(EraseCascade, TheThirdOfFivePipesCutsTheProfileThereAndFlagsIt) {
    CascadeDrawing d;
    TestProfileOptions turns;
    turns.directions = {"1", "0", "1", "0", "1"};
    TestProfile p = AddTestProfile(*d.doc, NetworkBuilder(*d.doc, "Sewer"), "L-2", "Road", d.sewer, turns);
    d.host.Erase({d.S(2).polyline});
    EXPECT_EQ(RecordText(p.block, 4), Ref(d.S(0).label) + Ref(d.S(1).label));
    EXPECT_EQ(RecordText(p.block, 5), Ref(d.S(0).Id()) + Ref(d.S(1).Id()));
    EXPECT_EQ(RecordText(p.block, 6), ";1;0");
    EXPECT_EQ(p.Record().Number(fluvanet::profile_entry::kNeedsUpdate), 1);
    EXPECT_EQ(RecordText(d.S(1).polyline, pe::kProfileIds), Ref(d.profile.Id()) + Ref(p.Id()));
    for (int i : {3, 4}) EXPECT_EQ(RecordText(d.S(i).polyline, pe::kProfileLabels), "") << i;
    d.Sound();
}

TEST(EraseCascade, ACrossingWritesNoPipeOnItsWayOutAndFlagsOnlyTheProfilesOfPipesThatStay) {
    struct Case {
        const char* name;
        bool sewerQueued, mainQueued, mainErased, mainGone;
    };
    for (const Case& k : {Case{"both queued", true, true, false, false}, Case{"main erased", false, false, true, false},
                          Case{"main gone", false, false, true, true}}) {
        CascadeDrawing d;
        TestProfile mainProfile =
            AddTestProfile(*d.doc, NetworkBuilder(*d.doc, "Main", "Pressure"), "M-1", "Road", {d.P(0)});
        auto crossing = d.Crossing(0);
        const std::string leader = d.Key(crossing, 15);
        const std::string sewerRefs = RecordText(d.S(2).polyline, pe::kCrossingIds);
        const std::string mainRefs = RecordText(d.P(0).polyline, pe::kCrossingIds);
        std::string erased = k.mainErased ? d.P(0).Id() + ";" : "";
        std::string queued =
            std::string(k.sewerQueued ? d.S(2).Id() + ";" : "") + (k.mainQueued ? d.P(0).Id() + ";" : "");
        const std::string queuedBefore = queued;
        if (k.mainGone) {
            d.general->TurnEventsOff(*d.doc);
            d.P(0).polyline->Delete();
        }
        d.events->CrossingAnnoWillBeErased(*d.doc, *acad::Cast<acad::AcadBlockReference>(crossing), erased, queued);
        EXPECT_EQ(queued, queuedBefore + leader + ";") << k.name;
        EXPECT_EQ(RecordText(d.S(2).polyline, pe::kCrossingIds) == sewerRefs, k.sewerQueued) << k.name;
        EXPECT_EQ(RecordText(d.S(2).polyline, pe::kCrossingLabels).empty(), !k.sewerQueued) << k.name;
        if (!k.mainGone) {
            EXPECT_EQ(RecordText(d.P(0).polyline, pe::kCrossingIds), mainRefs) << k.name;
        }
        EXPECT_EQ(d.profile.Record().Number(fluvanet::profile_entry::kNeedsUpdate), 1) << k.name;
        EXPECT_EQ(mainProfile.Record().Number(fluvanet::profile_entry::kNeedsUpdate), k.mainQueued ? 1 : 0) << k.name;
    }
}

TEST(EraseCascade, AnOwnerForgetsOnlyTheLabelOrArrowThatItStillNames) {
    CascadeDrawing d;
    auto pipe = d.P(0).polyline;
    auto oldLabel = d.Named(pipe, pe::kLabelBlockId), oldArrow = d.Named(pipe, pe::kArrowId);
    fluvanet::ViewStyle().InsertAnnotationsForNewEntity(*d.doc, *pipe, 0);
    auto links = [&](const std::shared_ptr<acad::AcadObject>& o, int32_t from, int32_t to) {
        std::string text;
        for (int32_t k = from; k <= to; ++k) text += RecordText(o, k) + "|";
        return text;
    };
    const std::string relinked = links(pipe, pe::kLabelBlockLabel, pe::kArrowId);
    d.host.Erase({oldLabel, oldArrow});
    EXPECT_EQ(links(pipe, pe::kLabelBlockLabel, pe::kArrowId), relinked);
    d.Sound();

    auto node = d.A();
    d.host.Erase({d.Named(node, ne::kLabelBlockId), d.Named(pipe, pe::kArrowId)});
    EXPECT_EQ(links(node, ne::kLabelBlockLabel, ne::kLabelBlockId), "||");
    EXPECT_EQ(links(pipe, pe::kArrowLabel, pe::kArrowLabel) + links(pipe, pe::kArrowId, pe::kArrowId), "||");
    EXPECT_NE(RecordText(pipe, pe::kLabelBlockId), "");
    d.Sound();

    // An owner that is neither a pipe nor, for a label, a node.
    std::string erased;
    auto label = d.Named(pipe, pe::kLabelBlockId);
    SetRecordEntry(label, 4, Variant(Ref(d.Key(d.C(), ne::kLowHighId))));
    EXPECT_EQ(ErrorOf([&] {
                  d.events->AnnotationWillBeErased(*d.doc, *acad::Cast<acad::AcadBlockReference>(label), erased);
              }),
              ErrorCode::TypeMismatch);
    auto arrow = d.Named(d.P(1).polyline, pe::kArrowId);
    SetRecordEntry(arrow, 4, Variant(Ref(IdText(*node))));
    EXPECT_EQ(
        ErrorOf([&] { d.events->ArrowWillBeErased(*d.doc, *acad::Cast<acad::AcadBlockReference>(arrow), erased); }),
        ErrorCode::TypeMismatch);
}

TEST(EraseCascade, WhatIsGoneIsPassedOverAndAWrongReferenceRefusesBeforeAnyWrite) {
    CascadeDrawing d;
    auto crossing = d.Crossing(0);
    d.general->TurnEventsOff(*d.doc);
    d.Named(crossing, 15)->Delete();
    crossing->Delete();
    d.general->TurnEventsOn(*d.doc);
    host::EventDriver::EraseLists lists = d.host.Erase({d.S(2).polyline, d.P(0).polyline});
    EXPECT_THAT(Items(lists.toBeErased), Not(Contains(IdText(*crossing))));
    d.Sound();

    SetRecordEntry(d.P(1).polyline, pe::kArrowId, Variant(Ref(d.Key(d.P(1).polyline, pe::kStartNodeId))));
    const std::vector<std::string> records = d.Records();
    std::string erased, queued, nodes;
    EXPECT_EQ(ErrorOf([&] { d.events->PipeWillBeErased(*d.doc, *d.P(1).polyline, erased, queued, nodes); }),
              ErrorCode::TypeMismatch);
    EXPECT_EQ(d.Records(), records);
    EXPECT_EQ(Lists(erased, queued, nodes), "||");
}

TEST(EraseCascade, TheErasedPipesSizeLosesAUse) {
    for (auto [shape, span, rise, table, size] :
         {std::tuple{"SectionShape_Box", 1200.0, 800.0, "Box", "1200 x 800"},
          std::tuple{"SectionShape_Circular", 300.0, 300.0, "Circular", "300"}}) {
        CascadeDrawing d;
        d.P(1).SetSize(shape, span, rise).SetMaterial("Steel");
        d.host.Erase({d.P(1).polyline});
        com::SafeArray sizes = d.library.GetSizesArray(*d.doc, table);
        std::string count = "none";
        for (int32_t i = 0; i <= sizes.UBound(1); ++i)
            if (vb::CStr(sizes.Get(i, 0)) == size) count = vb::CStr(sizes.Get(i, 1));
        EXPECT_EQ(count, "-1") << size;
        EXPECT_EQ(d.Usage(), "8/8") << size;
    }
}

}  // namespace
