// Detaching a pipe from one of its nodes: the lists of one side, the sump recomputed, the
// node's label refreshed.

#include "tests/editing/level_edits.h"

namespace {

using namespace level_testing;

// N-1 (0, 0) -P-1-> N-2 (10, 0) <-P-2- N-3 (20, 0), and N-2 -P-3-> N-4 (10, 10).
class RemovePipe : public LevelEdits {
protected:
    RemovePipe() {
        chain.nodes.push_back(net.AddNode(20, 0));
        chain.pipes.push_back(net.AddPipe(chain.nodes[2], chain.nodes[1]));
        chain.nodes.push_back(net.AddNode(10, 10));
        chain.pipes.push_back(net.AddPipe(chain.nodes[1], chain.nodes[3]));
        Label(net, chain);
        P(1).SetInverts(101, 100.4);
        P(2).SetInverts(101, 100.2);
        P(3).SetInverts(100.6, 100);
        N(2).SetSump(100.2);
    }
    const TestNode& N(int i) const { return chain.nodes[static_cast<std::size_t>(i - 1)]; }
    const TestPipe& P(int i) const { return chain.pipes[static_cast<std::size_t>(i - 1)]; }
    void Remove(const TestNode& node, const TestPipe& pipe, const std::string& side) {
        general.RemovePipeFromNode(*doc, node.Id(), pipe.Id(), side);
    }
    // As the erase handlers leave it: off both its nodes, then gone with its label and arrow.
    void Erase(const TestPipe& pipe, const TestNode& start, const TestNode& end) {
        Remove(start, pipe, "Start");
        Remove(end, pipe, "End");
        for (int32_t entry : {pe::kLabelBlockId, pe::kArrowId})
            acad::Cast<acad::AcadEntity>(
                fluvanet::ObjectFromId(*doc, fluvanet::refs::ReferenceKey(RecordText(pipe.polyline, entry))))
                ->Delete();
        pipe.polyline->Delete();
    }
    std::string Lists(const TestNode& node) {
        fluvanet::ElementRecord r = node.Record();
        return r.Text(ne::kStartPipeLabels) + "|" + r.Text(ne::kEndPipeLabels) + "|" + r.Text(ne::kStartPipeIds) +
               "|" + r.Text(ne::kEndPipeIds);
    }

    NetworkBuilder net{*doc, "Main"};
    TestChain chain = net.AddChain({{0, 0}, {10, 0}});
};

TEST_F(RemovePipe, OfTwoEndPipesTheOtherStaysAndGivesTheSump) {
    Erase(P(3), N(2), N(4));
    EXPECT_EQ(RecordText(N(2).block, ne::kStartPipeLabels), "");
    EXPECT_EQ(RecordText(N(2).block, ne::kStartPipeIds), "");
    EXPECT_EQ(Num(N(2), ne::kSumpLevel), 100.2);
    Erase(P(2), N(3), N(2));
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref("P-1"));
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeIds), Ref(P(1).Id()));
    EXPECT_EQ(Num(N(2), ne::kSumpLevel), 100.4);
    EXPECT_EQ(Shown(N(2).block)[2], "100.40");
    EXPECT_EQ(N(2).Record().Code(ne::kSumpLevel), 1040);
    // N-4 lost its only pipe: both sides empty, sump 0.
    EXPECT_EQ(Lists(N(4)), "|||");
    EXPECT_EQ(Num(N(4), ne::kSumpLevel), 0);
    ExpectSound();
}

TEST_F(RemovePipe, OnlyStartIsTheStartSide) {
    const std::string start = Lists(N(2));
    // "start" is not "Start": the end side is searched, where P-3 is not.
    Remove(N(2), P(3), "start");
    EXPECT_EQ(Lists(N(2)), start);
    Remove(N(2), P(1), "start");
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref("P-2"));
    EXPECT_EQ(RecordText(N(2).block, ne::kStartPipeLabels), Ref("P-3"));
}

TEST_F(RemovePipe, AnUnknownPipeChangesNoListButTheSumpIsWrittenAgain) {
    const std::string lists = Lists(N(2));
    N(2).SetSump(7);
    Remove(N(2), P(1), "Start");
    EXPECT_EQ(Lists(N(2)), lists);
    EXPECT_EQ(Num(N(2), ne::kSumpLevel), 100.2);
    ExpectSound();
}

TEST_F(RemovePipe, ARepeatedIdentifierLeavesTheListsParallel) {
    SetRecordEntry(N(2).block, ne::kEndPipeLabels, Variant(Ref("P-1") + Ref("P-2") + Ref("P-1")));
    SetRecordEntry(N(2).block, ne::kEndPipeIds, Variant(Ref(P(1).Id()) + Ref(P(2).Id()) + Ref(P(1).Id())));
    Remove(N(2), P(1), "End");
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeLabels), Ref("P-2"));
    EXPECT_EQ(RecordText(N(2).block, ne::kEndPipeIds), Ref(P(2).Id()));
}

TEST_F(RemovePipe, ANodeThatIsNoneRaisesBeforeAnyWrite) {
    const auto before = Records();
    EXPECT_EQ(ErrorOf([&] { general.RemovePipeFromNode(*doc, P(1).Id(), P(1).Id(), "Start"); }),
              ErrorCode::TypeMismatch);
    auto gone = net.AddNode(50, 50);
    const std::string id = gone.Id();
    gone.block->Delete();
    EXPECT_EQ(ErrorOf([&] { general.RemovePipeFromNode(*doc, id, P(1).Id(), "Start"); }), ErrorCode::ObjectNotFound);
    EXPECT_EQ(Records(), before);
    // Late-bound, as the erase handlers of the host's events call it.
    auto late = std::make_shared<fluvanet::General>();
    vb::CallByName(late, "RemovePipeFromNode", com::CallType::Method, doc, Variant(N(4).Id()), Variant(P(3).Id()),
                   Variant("End"));
    EXPECT_EQ(RecordText(N(4).block, ne::kEndPipeIds), "");
}

TEST_F(RemovePipe, AFailingLabelRefreshLeavesTheRecordWritten) {
    // The node's label reference names a pipe: the refresh refuses it after the write.
    SetRecordEntry(N(2).block, ne::kLabelBlockId, Variant(Ref(P(1).Id())));
    EXPECT_EQ(ErrorOf([&] { Remove(N(2), P(3), "Start"); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(RecordText(N(2).block, ne::kStartPipeIds), "");
}

}  // namespace
