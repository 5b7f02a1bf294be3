// Picking the pipes to merge and what is refused, the chain order and the merged line.

#include "tests/editing/merging.h"

namespace {

using namespace merge_testing;
using host::UiEvent;

class MergePick : public Merging {
protected:
    // The one message a refused pick shows, "" for none; the set comes back empty.
    std::string Refusal(const Pipes& pipes) {
        host::Ui().Clear();
        EXPECT_EQ(Pick(pipes)->Count(), 0);
        std::vector<UiEvent> boxes = host::Ui().MessageBoxes();
        EXPECT_LE(boxes.size(), 1u);
        if (boxes.empty()) return "";
        EXPECT_EQ(boxes[0].flags, vb::vbCritical);
        EXPECT_EQ(boxes[0].title, "Fluvamap");
        return boxes[0].text;
    }
    static std::vector<double> Line(const std::shared_ptr<acad::AcadLWPolyline>& p) { return p->Coordinates(); }
};

TEST_F(MergePick, PipesAreCheckedOneByOneNetworkMaterialThenSize) {
    Pipes main = Convert({{0, 0, 10, 0}, {10, 0, 20, 0}});
    Pipes other = Convert({{0, 50, 10, 50}}, "Other");
    TestPipe p2{main[1], "P-2"};
    p2.SetMaterial("pvc");
    EXPECT_EQ(Refusal({main[0], main[1], other[0]}), "The selected pipes include different materials!");
    p2.SetMaterial("PVC");
    // Within one pipe the network comes first.
    TestPipe{other[0], "P-1"}.SetMaterial("Steel");
    EXPECT_EQ(Refusal({main[0], main[1], other[0]}), "The selected pipes are from different networks!");
    p2.SetSize("SectionShape_Circular", 200, 250);
    EXPECT_EQ(Refusal(main), "The selected pipes include different sizes!");
    p2.SetSize("SectionShape_Box", 200, 200);
    EXPECT_EQ(Refusal(main), "The selected pipes include different sizes!");

    p2.SetSize("SectionShape_Circular", 200, 200);
    host::Ui().Clear();
    EXPECT_EQ(Pick(main)->Count(), 2);
    EXPECT_THAT(host::Ui().Events(), ElementsAre(UiEvent{UiEvent::Kind::Command, "\x1b", 0, ""},
                                                 UiEvent{UiEvent::Kind::Prompt, "Select Pipes to Merge:", 0, ""}));
}

TEST_F(MergePick, OnlyOneOpenLineWithoutBranchesIsTaken) {
    Pipes p = Convert({{0, 0, 10, 0}, {0, 20, 10, 20},                    // apart
                       {50, 0, 60, 0}, {50, 0, 50, 10}, {50, 0, 40, 0},   // a star
                       {100, 0, 110, 0}, {110, 0, 105, 8}, {105, 8, 100, 0},  // a ring
                       {0, 40, 10, 40}, {10, 40, 20, 40}, {10, 40, 10, 50},   // a lateral, not picked
                       {200, 0, 210, 0}, {220, 0, 210, 0}});                 // both end at the shared node
    const std::string line = "The selected pipes don't represent a single continuous line!";
    EXPECT_EQ(Refusal({p[0], p[1]}), line);
    EXPECT_EQ(Refusal({p[2], p[3], p[4]}), line);
    EXPECT_EQ(Refusal({p[5], p[6], p[7]}), line);
    EXPECT_EQ(Refusal({p[8], p[9]}), "The selected pipes have lateral connections!");
    EXPECT_EQ(Refusal({p[9], p[10]}), "The selected pipes have lateral connections!");
    EXPECT_EQ(Pick({p[11], p[12]})->Count(), 2);
}

TEST_F(MergePick, TwoPipesBetweenTheSameTwoNodesAreARingAndChangeNothing) {
    // Two pipes drawn the same way: the inner-node check reads only their shared start node, so
    // the third pipe at the far node went unseen, and the merged line closed on that node,
    // deleted it, and left the third pipe naming it.
    Pipes p = Convert({{0, 0, 10, 0}, {0, 0, 5, 5, 10, 0}, {10, 0, 20, 0},
                       {0, 20, 10, 20}, {10, 20, 5, 25, 0, 20}});  // drawn against each other
    Sound();
    const std::size_t before = EntityCount();
    const std::string line = "The selected pipes don't represent a single continuous line!";
    EXPECT_EQ(Refusal({p[0], p[1]}), line);
    EXPECT_EQ(Refusal({p[4], p[3]}), line);
    // Handed over without the pick, nothing is drawn.
    auto doubled = general.InitializeSelectionSet(*doc, "Doubled");
    doubled->AddItems({p[0], p[1]});
    std::vector<std::shared_ptr<acad::AcadEntity>> chain;
    std::string labels, ids;
    EXPECT_EQ(ErrorOf([&] { editing->CreateMergedPipe(*doc, *doubled, chain, labels, ids); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(EntityCount(), before);
    EXPECT_THAT(chain, IsEmpty());
    Sound();
}

TEST_F(MergePick, MoreSharedPairsThanInnerNodesAreRefusedSilently) {
    Pipes p = Convert({{0, 0, 10, 0}, {10, 0, 20, 0}, {20, 0, 30, 0}, {20, 0, 25, 5, 30, 0}, {30, 0, 40, 0},
                       {40, 0, 50, 0},                                       // a doubled middle pipe
                       {0, 30, 10, 30}, {10, 30, 20, 30}, {20, 30, 30, 30}, {20, 30, 20, 40}, {30, 30, 40, 30}});
    EXPECT_EQ(Refusal({p[0], p[1], p[2], p[3], p[4], p[5]}), "");
    EXPECT_EQ(Refusal({p[6], p[7], p[8], p[9], p[10]}), "");  // the branch picked too
    // Three rows that all share a node fill more than their two slots.
    com::SafeArray star = com::SafeArray::Matrix(com::VarType::String, 3, 4);
    for (int32_t row = 0; row < 3; ++row) star.Put(row, 0, Variant(Ref("N-1")));
    EXPECT_EQ(ErrorOf([&] { editing->CheckInternalNodes(*doc, star, 3); }), ErrorCode::SubscriptOutOfRange);
    // The host's table keeps 16-bit indices, however few of its rows are counted.
    const com::SafeArray tooLong = com::SafeArray::Matrix(com::VarType::String, 32768, 4);
    EXPECT_EQ(ErrorOf([&] { editing->CheckInternalNodes(*doc, tooLong, 2); }), ErrorCode::Overflow);

    // One pipe comes back unchecked; a cancel gives an empty set; neither says anything.
    host::Ui().Clear();
    EXPECT_EQ(Pick({p[0]})->Count(), 1);
    doc->Utility()->QueueCancel();
    EXPECT_EQ(editing->GetPipesToMerge(*doc)->Count(), 0);
    EXPECT_THAT(host::Ui().MessageBoxes(), IsEmpty());
}

TEST_F(MergePick, TheChainStartsAtTheHigherEndAndRunsThroughEveryVertexAndArc) {
    // The middle pipe is drawn against the chain, through an inner vertex.
    Pipes p = Convert({{0, 0, 10, 0}, {20, 0, 15, 5, 10, 0}, {20, 0, 30, 0}});
    p[0]->SetBulge(0, 0.5);
    p[1]->SetBulge(0, 0.25);
    p[2]->SetBulge(0, -0.3);
    const double length = p[0]->Length() + p[1]->Length() + p[2]->Length();
    auto bulges = [](const std::shared_ptr<acad::AcadLWPolyline>& line) {
        std::vector<double> b;
        for (int32_t i = 0; i < 5; ++i) b.push_back(line->GetBulge(i));
        return b;
    };
    doc->Layers()->Add("Picked first");
    p[2]->SetLayer("Picked first");
    std::vector<std::shared_ptr<acad::AcadEntity>> chain;
    std::string labels, ids;
    // Equal start inverts: the later end pipe of the pick starts.
    auto line = editing->CreateMergedPipe(*doc, *Pick({p[2], p[1], p[0]}), chain, labels, ids);
    EXPECT_EQ(Line(line), (std::vector<double>{0, 0, 10, 0, 15, 5, 20, 0, 30, 0}));
    // Each segment keeps its arc; the middle pipe's run backwards, turning the other way.
    EXPECT_EQ(bulges(line), (std::vector<double>{0.5, 0, -0.25, -0.3, 0}));
    EXPECT_DOUBLE_EQ(line->Length(), length);
    EXPECT_THAT(chain, ElementsAre(p[0], p[1], p[2]));
    EXPECT_EQ(line->Layer(), "Picked first");
    EXPECT_FALSE(fluvanet::ElementRecord::Read(line).Exists());

    TestPipe{p[2], "P-3"}.SetInverts(0.1, 0);
    line = editing->CreateMergedPipe(*doc, *Pick({p[2], p[1], p[0]}), chain, labels, ids);
    EXPECT_EQ(Line(line), (std::vector<double>{30, 0, 20, 0, 15, 5, 10, 0, 0, 0}));
    EXPECT_EQ(bulges(line), (std::vector<double>{0.3, 0.25, 0, -0.5, 0}));
    EXPECT_THAT(chain, ElementsAre(p[2], p[1], p[0]));
    EXPECT_EQ(line->Layer(), "Picked first");
}

TEST_F(MergePick, EachPipeJoinsTheLineAtTheNodeItSharesWithTheOneBefore) {
    // Two nodes on one spot: a line that closes in plan, and one that comes back onto its
    // start node's place. Joined where the vertices first agree, the first ran from an inner
    // node round to it, the second came back at its start, could not go on, and raised.
    Convert({{50, 0, 60, 0}});  // the label blocks
    NetworkBuilder net(*doc, "Main");
    TestNode a = net.AddNode(0, 0), b = net.AddNode(10, 0), c = net.AddNode(10, 10), d = net.AddNode(0, 0);
    TestPipe ring1 = net.AddPipe(a, b), ring2 = net.AddPipe(b, c), ring3 = net.AddPipe(c, d);
    TestNode e = net.AddNode(0, 30), f = net.AddNode(10, 30), g = net.AddNode(0, 30), h = net.AddNode(0, 40);
    TestPipe back1 = net.AddPipe(e, f), back2 = net.AddPipe(f, g), back3 = net.AddPipe(g, h);
    ring1.SetInverts(1, 0);
    back1.SetInverts(1, 0);
    Sound();
    std::vector<std::shared_ptr<acad::AcadEntity>> chain;
    std::string labels, ids;
    auto line = editing->CreateMergedPipe(*doc, *Pick({ring3.polyline, ring2.polyline, ring1.polyline}), chain,
                                          labels, ids);
    EXPECT_EQ(Line(line), (std::vector<double>{0, 0, 10, 0, 10, 10, 0, 0}));
    line->Delete();
    line = editing->CreateMergedPipe(*doc, *Pick({back2.polyline, back3.polyline, back1.polyline}), chain, labels,
                                     ids);
    EXPECT_EQ(Line(line), (std::vector<double>{0, 30, 10, 30, 0, 30, 0, 40}));
    line->Delete();

    // Carried through, the line runs between its two end nodes.
    line = Merge({ring1.polyline, ring2.polyline, ring3.polyline});
    EXPECT_EQ(Line(line), (std::vector<double>{0, 0, 10, 0, 10, 10, 0, 0}));
    EXPECT_EQ(RecordText(line, pe::kStartNodeId), Ref(a.Id()));
    EXPECT_EQ(RecordText(line, pe::kEndNodeId), Ref(d.Id()));
}

TEST_F(MergePick, JoiningCoordinatesTakesTheFirstSharedEndInCaseOrder) {
    auto merge = [&](std::vector<double> a, std::vector<double> b) {
        Variant first(com::SafeArray::FromDoubles(a)), second(com::SafeArray::FromDoubles(b));
        return editing->MergeTwoCoordinatesArrays(first, second).Array().ToDoubles();
    };
    using V = std::vector<double>;
    EXPECT_EQ(merge({0, 0, 10, 0}, {0, 0, -5, 0}), (V{10, 0, 0, 0, -5, 0}));
    EXPECT_EQ(merge({0, 0, 10, 0}, {-5, 0, 0, 0}), (V{10, 0, 0, 0, -5, 0}));
    EXPECT_EQ(merge({0, 0, 10, 0}, {10, 0, 20, 0}), (V{0, 0, 10, 0, 20, 0}));
    EXPECT_EQ(merge({0, 0, 5, 5, 10, 0}, {20, 0, 10, 0}), (V{0, 0, 5, 5, 10, 0, 20, 0}));
    // Both ends shared (a ring of two): the first case holds.
    EXPECT_EQ(merge({0, 0, 10, 0}, {0, 0, 5, 5, 10, 0}), (V{10, 0, 0, 0, 5, 5, 10, 0}));
    EXPECT_EQ(ErrorOf([&] { merge({0, 0, 10, 0}, {10.000001, 0, 20, 0}); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { merge({0, 0, 10, 0}, {10, 0, 20}); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { merge({}, {10, 0, 20, 0}); }), ErrorCode::SubscriptOutOfRange);

    // The library's own lines of any length, reversed to be joined; the host's arrays keep
    // 16-bit indices.
    V along;
    for (int i = 0; i < 20000; ++i) along.insert(along.end(), {static_cast<double>(i), 0});
    Pipes p = Convert({along, {0, 0, -5, 0}});
    std::vector<std::shared_ptr<acad::AcadEntity>> chain;
    std::string labels, ids;
    const V joined = Line(editing->CreateMergedPipe(*doc, *Pick(p), chain, labels, ids));
    ASSERT_EQ(joined.size(), 40002u);
    EXPECT_EQ(V(joined.begin(), joined.begin() + 4), (V{-5, 0, 0, 0}));
    EXPECT_EQ(V(joined.end() - 4, joined.end()), (V{19998, 0, 19999, 0}));
    EXPECT_EQ(ErrorOf([&] { merge(along, {0, 0, -5, 0}); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([&] { merge({0, 0, -5, 0}, along); }), ErrorCode::Overflow);
    along.resize(32766);
    EXPECT_EQ(merge(along, {0, 0, -5, 0}).size(), 32768u);
}

TEST_F(MergePick, ALineThatCannotBeJoinedDrawsNothing) {
    // Ends 1e-6 apart share a node (5 decimals) but no vertex; a ring beside a line passes the pick.
    Pipes p = Convert({{0, 0, 10, 0}, {10.000001, 0, 20, 0},
                       {0, 20, 10, 20}, {10, 20, 20, 20}, {50, 0, 60, 0}, {60, 0, 55, 8}, {55, 8, 50, 0}});
    Sound();
    const std::size_t before = EntityCount();
    std::vector<std::shared_ptr<acad::AcadEntity>> chain;
    std::string labels, ids;
    EXPECT_EQ(ErrorOf([&] { editing->CreateMergedPipe(*doc, *Pick({p[0], p[1]}), chain, labels, ids); }),
              ErrorCode::InvalidProcedureCall);
    auto ringAndLine = Pick({p[2], p[3], p[4], p[5], p[6]});
    ASSERT_EQ(ringAndLine->Count(), 5);
    EXPECT_EQ(ErrorOf([&] { editing->CreateMergedPipe(*doc, *ringAndLine, chain, labels, ids); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { editing->CreateMergedPipe(*doc, *Pick({p[0]}), chain, labels, ids); }),
              ErrorCode::InvalidProcedureCall);
    // Drawn on a locked active layer, the line could not go to its layer nor be taken out again.
    doc->ActiveLayer()->SetLock(true);
    EXPECT_EQ(ErrorOf([&] { editing->CreateMergedPipe(*doc, *Pick({p[2], p[3]}), chain, labels, ids); }),
              ErrorCode::OnLockedLayer);
    doc->ActiveLayer()->SetLock(false);
    EXPECT_EQ(EntityCount(), before);
    EXPECT_THAT(chain, IsEmpty());
    Sound();
}

}  // namespace
