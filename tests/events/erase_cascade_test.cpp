// Erasures driven through the host on a converted drawing: what a node, a pipe, a crossing, a
// label or an arrow takes with it, what it leaves to the others, and what the survivors keep;
// and the locked layers that what the user erases, moves or copies meets.

#include "annotation/view_style.h"
#include "profile/profile_records.h"
#include "tests/crossing/crossing_drawing.h"
#include "tests/events/cascade_drawing.h"
#include "tests/support/error_code.h"

namespace {

using namespace cascade_testing;
using com::ErrorCode;
using com::Variant;
using fluvanet::IdText;
using host::ReferenceKeys;
using testing::Contains;
using testing::Not;
namespace pf = fluvanet::profile_entry;

std::string Ref(const std::string& key) { return ";RelatedTo" + key; }
std::vector<std::string> Items(const std::string& list) { return vb::Split(list.substr(0, list.size() - 1), ";"); }
acad::AcadBlockReference& Block(const std::shared_ptr<acad::AcadEntity>& e) {
    return *acad::Cast<acad::AcadBlockReference>(e);
}

TEST(EraseCascade, ANodeTakesItsPipesAndAllTheyCarryAndEveryNodeIsClassifiedOnce) {
    CascadeDrawing d;
    auto c = d.C();
    // Per pipe at the node, starts then ends: label, arrow, each crossing's leader and the
    // crossing, the pipe; then the node's label and marker. Nodes in the order met, once.
    std::string queue, nodes;
    std::vector<std::shared_ptr<acad::AcadEntity>> farNodes;
    for (int32_t side : {ne::kStartPipeIds, ne::kEndPipeIds})
        for (const std::string& id : ReferenceKeys(RecordText(c, side))) {
            auto pipe = fluvanet::ObjectFromId(*d.doc, id);
            queue += d.Key(pipe, pe::kLabelBlockId) + ";" + d.Key(pipe, pe::kArrowId) + ";";
            std::string crossing = d.Key(pipe, pe::kCrossingIds);
            queue += d.Key(fluvanet::ObjectFromId(*d.doc, crossing), 15) + ";" + crossing + ";" + id + ";";
            for (int32_t end : {pe::kStartNodeId, pe::kEndNodeId}) {
                if (nodes.find(d.Key(pipe, end) + ";") == std::string::npos) nodes += d.Key(pipe, end) + ";";
                if (d.Key(pipe, end) != IdText(*c)) farNodes.push_back(d.Named(pipe, end));
            }
        }
    queue += d.Key(c, ne::kLabelBlockId) + ";" + d.Key(c, ne::kLowHighId) + ";";
    ASSERT_THAT(Items(queue), Not(Contains("")));
    ASSERT_EQ(Items(queue).size(), 17u);
    ASSERT_EQ(d.Usage(), "8/8");

    host::EventDriver::EraseLists lists = d.host.Erase({c});
    EXPECT_EQ(lists.toBeErased, queue);
    EXPECT_EQ(lists.nodesForLowHigh, nodes);
    for (const auto& far : farNodes)
        EXPECT_EQ(RecordText(far, ne::kStartPipeIds) + RecordText(far, ne::kEndPipeIds), "");
    EXPECT_EQ(d.Usage(), "5/5");
    d.Sound();
}

TEST(EraseCascade, ANodeAndItsPipeTogetherCountOnceAndWhatIsQueuedOrErasedIsLeftAlone) {
    for (bool nodeFirst : {true, false}) {
        CascadeDrawing d;
        auto node = d.A(), c = d.C();
        std::shared_ptr<acad::AcadEntity> pipe = d.P(0).polyline;
        d.host.Erase(nodeFirst ? std::vector{node, pipe} : std::vector{pipe, node});
        EXPECT_EQ(d.Usage(), "7/7") << nodeFirst;
        EXPECT_EQ(RecordText(c, ne::kStartPipeIds), Ref(d.P(1).Id()));
        d.Sound();
    }

    // Reported again once queued, the pipe and the node change nothing.
    CascadeDrawing d;
    auto a = d.A();
    std::string erased, queued, nodes;
    d.events->NodeWillBeErased(*d.doc, Block(a), erased, queued, nodes);
    queued += IdText(*a) + ";";
    const std::vector<std::string> before = d.Records();
    const std::string lists = erased + "|" + queued + "|" + nodes;
    d.events->PipeWillBeErased(*d.doc, *d.P(0).polyline, erased, queued, nodes);
    d.events->NodeWillBeErased(*d.doc, Block(a), erased, queued, nodes);
    EXPECT_EQ(d.Records(), before);
    EXPECT_EQ(erased + "|" + queued + "|" + nodes, lists);

    // Late-bound, a long queue that holds the pipe, then the same queue with the pipe's
    // identifier replaced by another of its length: the second is read as given, as an
    // object that never saw the first reads it.
    {
        CascadeDrawing f, fresh;
        const std::string pipeId = f.P(0).Id();
        std::string holding;
        for (int i = 0; i < 1000; ++i) holding += (i == 500 ? pipeId : std::to_string(1000000000 + i)) + ";";
        std::string other = holding;
        other.replace(other.find(";" + pipeId + ";") + 1, pipeId.size(), std::string(pipeId.size(), '7'));
        auto call = [](CascadeDrawing& on, const std::string& queue) {
            Variant none(""), queued(queue), nodes("");
            vb::CallByName(on.events, "PipeWillBeErased", com::CallType::Method, on.doc, on.P(0).polyline, none,
                           queued, nodes);
            EXPECT_EQ(vb::CStr(queued).substr(0, queue.size()), queue);
            return vb::CStr(queued).substr(queue.size()) + "|" + vb::CStr(nodes);
        };
        EXPECT_EQ(call(f, holding), "|");
        const std::string expected = call(fresh, other);
        EXPECT_NE(expected, "|");
        EXPECT_EQ(call(f, other), expected);
        EXPECT_TRUE(f.Records() == fresh.Records());
        EXPECT_EQ(f.Usage(), fresh.Usage());
        // The host's part: what was queued goes, and the pipe.
        for (CascadeDrawing* done : {&f, &fresh}) {
            for (const std::string& id : Items(expected.substr(0, expected.find('|'))))
                acad::Cast<acad::AcadEntity>(fluvanet::ObjectFromId(*done->doc, id))->Delete();
            done->P(0).polyline->Delete();
            done->Sound();
        }
    }

    // Two drawings built alike share one object: the first loses 601 pipes, the second a
    // selection that differs in one pipe of the same identifier length, then a node of that
    // pipe, which takes it along.
    {
        constexpr int kPipes = 603;
        struct Chain {
            Chain() {
                AddActiveViewStyle(*doc, ViewStyleSettings());
                NetworkBuilder net(*doc, "Sewer");
                for (int i = 0; i <= kPipes; ++i) nodes.push_back(net.AddNode(10.0 * i, 0, "N-" + std::to_string(i)));
                for (int i = 0; i < kPipes; ++i)
                    pipes.push_back(net.AddPipe(nodes[i], nodes[i + 1], "P-" + std::to_string(i), {}));
            }
            std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
            std::vector<TestNode> nodes;
            std::vector<TestPipe> pipes;
        };
        auto events = std::make_shared<fluvanet::Events>();
        auto general = std::make_shared<fluvanet::General>();
        Chain first, second;
        int swapped = 300;
        while (first.pipes[swapped].Id().size() != first.pipes[601].Id().size()) ++swapped;
        ASSERT_LT(swapped, 550);
        std::vector<std::shared_ptr<acad::AcadEntity>> gone, selection;
        for (int i = 0; i <= 600; ++i) {
            gone.push_back(first.pipes[i].polyline);
            selection.push_back(second.pipes[i == swapped ? 601 : i].polyline);
        }
        selection.push_back(second.nodes[swapped].block);
        host::EventDriver(first.doc, general, events).Erase(gone);
        const std::string usage = CascadeDrawing::Count(fluvanet::Library().GetMaterialsArray(*second.doc), "PVC");
        host::EventDriver(second.doc, general, events).Erase(selection);
        EXPECT_TRUE(second.pipes[swapped].polyline->Erased());
        EXPECT_EQ(vb::CLng(Variant(usage)) -
                      vb::CLng(Variant(CascadeDrawing::Count(fluvanet::Library().GetMaterialsArray(*second.doc), "PVC"))),
                  602);
        for (const auto& doc : {first.doc, second.doc})
            EXPECT_THAT(NetworkFindings(*doc), testing::IsEmpty());
    }

    // An end node erased already is not written; one still queued is.
    CascadeDrawing e;
    auto c = e.C(), b = e.Named(e.P(1).polyline, pe::kEndNodeId);
    const std::string cRecord = e.RecordOf(c);
    std::string erasedC = IdText(*c) + ";", queuedB = IdText(*b) + ";", none;
    e.events->PipeWillBeErased(*e.doc, *e.P(1).polyline, erasedC, queuedB, none);
    EXPECT_EQ(e.RecordOf(c), cRecord);
    EXPECT_EQ(RecordText(b, ne::kEndPipeIds), "");
    EXPECT_EQ(none, IdText(*c) + ";" + IdText(*b) + ";");
}

TEST(EraseCascade, AProfileLosesItsPipesFromTheErasedOneOnAndGoesWhenNoneIsLeft) {
    CascadeDrawing d;
    TestProfileOptions turns;
    turns.directions = {"1", "0", "1", "0", "1"};
    TestProfile p = AddTestProfile(*d.doc, NetworkBuilder(*d.doc, "Sewer"), "L-2", "Road", d.sewer, turns);
    d.host.Erase({d.S(2).polyline});
    EXPECT_EQ(RecordText(p.block, 4) + RecordText(p.block, 5) + RecordText(p.block, 6),
              Ref(d.S(0).label) + Ref(d.S(1).label) + Ref(d.S(0).Id()) + Ref(d.S(1).Id()) + ";1;0");
    EXPECT_EQ(p.Record().Number(pf::kNeedsUpdate), 1);
    EXPECT_EQ(RecordText(d.S(1).polyline, pe::kProfileIds), Ref(d.profile.Id()) + Ref(p.Id()));
    for (int i : {3, 4}) EXPECT_EQ(RecordText(d.S(i).polyline, pe::kProfileLabels), "") << i;
    d.Sound();

    // The first pipe: the profile is queued, its plan annotation deleted at once.
    const std::string planId = IdText(*d.profile.plan);
    host::EventDriver::EraseLists lists = d.host.Erase({d.S(0).polyline});
    EXPECT_TRUE(d.profile.block->Erased() && d.profile.plan->Erased() && p.block->Erased());
    EXPECT_THAT(Items(lists.toBeErased), Contains(d.profile.Id()));
    EXPECT_THAT(Items(lists.toBeErased), Not(Contains(planId)));
    EXPECT_EQ(RecordText(d.S(1).polyline, pe::kProfileIds), "");
    EXPECT_EQ(fluvanet::FindProfileStylePoint(*d.doc, "Road")->Text(fluvanet::style_entry::kProfileIds), "");
    d.Sound();
}

TEST(EraseCascade, ACrossingWritesNoPipeOnItsWayOutAndFlagsOnlyTheProfilesOfPipesThatStay) {
    struct Case {
        const char* name;
        bool bothQueued, mainErased, mainGone;
    };
    for (const Case& k : {Case{"both queued", true, false, false}, Case{"main erased", false, true, false},
                          Case{"main gone", false, true, true}}) {
        CascadeDrawing d;
        TestProfile mainProfile =
            AddTestProfile(*d.doc, NetworkBuilder(*d.doc, "Main", "Pressure"), "M-1", "Road", {d.P(0)});
        auto crossing = d.Crossing(0);
        const std::string sewerRefs = RecordText(d.S(2).polyline, pe::kCrossingIds);
        const std::string mainRefs = RecordText(d.P(0).polyline, pe::kCrossingIds);
        std::string erased = k.mainErased ? d.P(0).Id() + ";" : "";
        std::string queued = k.bothQueued ? d.S(2).Id() + ";" + d.P(0).Id() + ";" : "";
        const std::string expectedQueue = queued + d.Key(crossing, 15) + ";";
        if (k.mainGone) d.P(0).polyline->Delete();
        d.events->CrossingAnnoWillBeErased(*d.doc, Block(crossing), erased, queued);
        EXPECT_EQ(queued, expectedQueue) << k.name;
        EXPECT_EQ(RecordText(d.S(2).polyline, pe::kCrossingIds), k.bothQueued ? sewerRefs : "") << k.name;
        EXPECT_EQ(RecordText(d.S(2).polyline, pe::kCrossingLabels).empty(), !k.bothQueued) << k.name;
        if (!k.mainGone) {
            EXPECT_EQ(RecordText(d.P(0).polyline, pe::kCrossingIds), mainRefs) << k.name;
        }
        EXPECT_EQ(d.profile.Record().Number(pf::kNeedsUpdate), 1) << k.name;
        EXPECT_EQ(mainProfile.Record().Number(pf::kNeedsUpdate), k.bothQueued ? 1 : 0) << k.name;
    }
}

TEST(EraseCascade, OfTwoCrossingsOfOnePairUnderOneLabelTheOtherStaysListedWithItsLabel) {
    for (bool firstListed : {true, false}) {
        CascadeDrawing d;
        auto crossing = d.Crossing(0);
        auto twin = crossing_testing::DrawTwinCrossing(*d.doc, crossing, 0, 10);
        const std::string label = vb::Split(RecordText(crossing, 1), ";").at(2);
        auto [erased, kept] = firstListed ? std::pair{crossing, acad::Cast<acad::AcadEntity>(twin)}
                                          : std::pair{acad::Cast<acad::AcadEntity>(twin), crossing};
        d.host.Erase({erased});
        for (const TestPipe& p : {d.P(0), d.S(2)}) {
            EXPECT_EQ(RecordText(p.polyline, pe::kCrossingIds), Ref(IdText(*kept))) << firstListed;
            EXPECT_EQ(RecordText(p.polyline, pe::kCrossingLabels), Ref(label)) << firstListed;
        }
        d.Sound();
    }
}

TEST(EraseCascade, AnOwnerForgetsOnlyTheLabelOrArrowThatItStillNames) {
    CascadeDrawing d;
    auto pipe = d.P(0).polyline;
    auto oldLabel = d.Named(pipe, pe::kLabelBlockId), oldArrow = d.Named(pipe, pe::kArrowId);
    fluvanet::ViewStyle().InsertAnnotationsForNewEntity(*d.doc, *pipe, 0);  // the old ones are orphans now
    auto links = [&](const std::shared_ptr<acad::AcadObject>& o, std::initializer_list<int32_t> entries) {
        std::string text;
        for (int32_t k : entries) text += RecordText(o, k) + "|";
        return text;
    };
    const std::string relinked = links(pipe, {16, 17, 18, 19});
    d.host.Erase({oldLabel, oldArrow});
    EXPECT_EQ(links(pipe, {16, 17, 18, 19}), relinked);
    d.Sound();

    auto node = d.A();
    d.host.Erase({d.Named(node, ne::kLabelBlockId), d.Named(pipe, pe::kArrowId)});
    EXPECT_EQ(links(node, {ne::kLabelBlockLabel, ne::kLabelBlockId}) + links(pipe, {pe::kArrowLabel, pe::kArrowId}),
              "||||");
    EXPECT_NE(RecordText(pipe, pe::kLabelBlockId), "");
    d.Sound();

    // An owner that is neither a pipe nor, for a label, a node.
    std::string erased;
    auto label = d.Named(pipe, pe::kLabelBlockId), arrow = d.Named(d.P(1).polyline, pe::kArrowId);
    SetRecordEntry(label, 4, Variant(Ref(d.Key(d.C(), ne::kLowHighId))));
    SetRecordEntry(arrow, 4, Variant(Ref(IdText(*node))));
    EXPECT_EQ(ErrorOf([&] { d.events->AnnotationWillBeErased(*d.doc, Block(label), erased); }),
              ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { d.events->ArrowWillBeErased(*d.doc, Block(arrow), erased); }), ErrorCode::TypeMismatch);
}

// A copy made while the host forwarded no events carries its source's record: it names the
// source's nodes, pipes, labels, crossings and leaders, and nothing names it.
TEST(EraseCascade, ACopyThatNothingNamesTakesNothingWithItAndChangesNoCount) {
    for (const char* kind : {"node", "pipe", "crossing", "profile"}) {
        CascadeDrawing d;
        const std::string k = kind;
        std::shared_ptr<acad::AcadEntity> source = k == "node"       ? d.C()
                                                   : k == "pipe"     ? d.P(0).polyline
                                                   : k == "crossing" ? d.Crossing(0)
                                                                     : d.profile.block;
        const std::vector<std::string> records = d.Records();
        const std::string usage = d.Usage();
        d.general->TurnEventsOff(*d.doc);
        auto copy = d.host.Copy({source}, {0, 0, 0}, {0, 100, 0}).copies.at(0);
        d.general->TurnEventsOn(*d.doc);
        EXPECT_EQ(d.host.Erase({copy}).toBeErased, "") << kind;
        EXPECT_EQ(d.Records(), records) << kind;
        EXPECT_EQ(d.Usage(), usage) << kind;
        d.Sound();
    }
}

// A selection never picks what lies on a locked layer; the upkeep of what the user did
// writes through every lock and leaves it as it was.
TEST(EraseCascade, WhatTheUserErasesMovesOrCopiesPassesOverLockedLayersAndItsUpkeepWritesThroughThem) {
    std::vector<std::string> names{"Work"};
    {
        CascadeDrawing d;
        for (int32_t i = 0; i < d.doc->Layers()->Count(); ++i)
            names.push_back(d.doc->Layers()->Item(Variant(i))->Name());
    }
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        CascadeDrawing d;
        d.doc->SetActiveLayer(d.doc->Layers()->Add("Work"));
        d.doc->Layers()->Item(Variant(name))->SetLock(true);
        auto sound = [&] {
            std::string locked;
            for (int32_t i = 0; i < d.doc->Layers()->Count(); ++i)
                if (auto layer = d.doc->Layers()->Item(Variant(i)); layer->Lock()) locked += layer->Name() + ";";
            EXPECT_EQ(locked, name + ";");
            d.Sound();
        };
        auto c = d.C();
        const bool picked = !acad::SameSymbolName(c->Layer(), name);
        d.host.Move({c}, {0, 0, 0}, {1, 1, 0});
        EXPECT_EQ(Block(c).InsertionPoint()[0], picked ? 1 : 0);
        sound();
        d.host.Copy({d.P(0).polyline, c, d.A()}, {0, 0, 0}, {0, 100, 0});
        sound();
        d.host.Erase({d.Named(d.S(0).polyline, pe::kLabelBlockId), d.Named(d.S(1).polyline, pe::kArrowId),
                      d.Named(d.P(0).polyline, pe::kLabelBlockId), d.Crossing(2)});
        sound();
        d.host.Erase({d.P(1).polyline});
        sound();
        d.host.Erase({c});
        EXPECT_EQ(c->Erased(), picked);
        sound();
    }
}

TEST(EraseCascade, WhatIsGoneIsPassedOverAndAWrongReferenceRefusesBeforeAnyWrite) {
    CascadeDrawing d;
    auto crossing = d.Crossing(0);
    d.general->TurnEventsOff(*d.doc);
    d.Named(crossing, 15)->Delete();
    crossing->Delete();
    d.general->TurnEventsOn(*d.doc);
    d.P(1).SetSize("SectionShape_Box", 1200, 800);
    host::EventDriver::EraseLists lists = d.host.Erase({d.S(2).polyline, d.P(0).polyline, d.P(1).polyline});
    EXPECT_THAT(Items(lists.toBeErased), Not(Contains(IdText(*crossing))));
    EXPECT_EQ(d.Count(d.library.GetSizesArray(*d.doc, "Box"), "1200 x 800"), "-1");
    EXPECT_EQ(d.Usage(), "5/6");
    d.Sound();

    SetRecordEntry(d.P(2).polyline, pe::kArrowId, Variant(RecordText(d.P(2).polyline, pe::kStartNodeId)));
    const std::vector<std::string> records = d.Records();
    std::string erased, queued, nodes;
    EXPECT_EQ(ErrorOf([&] { d.events->PipeWillBeErased(*d.doc, *d.P(2).polyline, erased, queued, nodes); }),
              ErrorCode::TypeMismatch);
    EXPECT_EQ(d.Records(), records);
    EXPECT_EQ(erased + queued + nodes, "");
}

}  // namespace
