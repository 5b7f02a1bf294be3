// Inserting a pipe's or node's label block and arrow: where the lines stand, the records
// on both sides, when an arrow is drawn, and insertions that fail without leaving anything.

#include <cmath>
#include <functional>

#include "tests/annotation/label_drawing.h"

namespace {

using namespace label_testing;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;

class LabelInsertion : public LabelDrawing {};

TEST_F(LabelInsertion, LinesStandOneSpacingApartAlongTheLeftNormal) {
    TestChain c = net.AddChain({{0, 0}, {10, 0}, {10, 10}});
    Variant table = Table({});
    const double s = kSpacing;
    std::map<int, Offsets> pipe{{1, {{0, s}}},
                                {2, {{0, s}, {0, -s}}},
                                {3, {{0, 2 * s}, {0, s}, {0, -s}}},
                                {5, {{0, 3 * s}, {0, 2 * s}, {0, s}, {0, -s}, {0, -2 * s}}}};
    for (const auto& [n, offsets] : pipe) {
        vs.InsertAnnotations(*doc, *c.pipes[0].polyline, Lines(n), "Main", 0, table);
        auto label = Linked(c.pipes[0].polyline, pe::kLabelBlockId);
        EXPECT_EQ(label->InsertionPoint(), (acad::Point3{5, 0, 0}));
        EXPECT_EQ(OffsetsOf(*label, 5, 0, n), offsets) << n << " lines";
        auto attributes = label->GetAttributes();
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(attributes[i]->TextString(), "L" + std::to_string(i + 1));
            EXPECT_EQ(attributes[i]->Alignment(), 10);
            EXPECT_EQ(attributes[i]->Rotation(), 0);
        }
        EXPECT_EQ(attributes[4]->TextString(), n == 5 ? "L5" : "");
    }
    // Upwards the text angle is a quarter turn: the left normal points along -x.
    vs.InsertAnnotations(*doc, *c.pipes[1].polyline, Lines(2), "Main", 0, table);
    auto up = Linked(c.pipes[1].polyline, pe::kLabelBlockId);
    EXPECT_EQ(OffsetsOf(*up, 10, 5, 2), (Offsets{{-s, 0}, {s, 0}}));
    EXPECT_EQ(up->GetAttributes()[1]->Rotation(), kQuarterTurn);
    EXPECT_EQ(up->Rotation(), 0);  // only the attributes turn

    for (double correction : {0.0, kQuarterTurn}) {
        vs.InsertAnnotations(*doc, *c.nodes[2].block, Lines(3), "Main", correction, table);
        auto label = Linked(c.nodes[2].block, ne::kLabelBlockId);
        EXPECT_EQ(OffsetsOf(*label, 10, 10, 3), correction == 0 ? (Offsets{{0, 3 * s}, {0, 2 * s}, {0, s}})
                                                              : (Offsets{{-3 * s, 0}, {-2 * s, 0}, {-s, 0}}));
        EXPECT_EQ(label->GetAttributes()[0]->Rotation(), correction);
    }
}

TEST_F(LabelInsertion, ANewElementsLabelAndArrowNameItAndItNamesThem) {
    TestNode start = net.AddNode(0, 0, "N-3"), end = net.AddNode(10, 0);
    TestPipe pipe = net.AddPipe(start, end, "P-7", {});
    vs.InsertAnnotationsForNewEntity(*doc, *pipe.polyline, 0);
    Variant document{doc}, node{start.block}, correction{0.0};  // late-bound, as the host calls
    vb::CallByName(std::make_shared<fluvanet::ViewStyle>(), "InsertAnnotationsForNewEntity", com::CallType::Method,
                   document, node, correction);

    auto label = Linked(pipe.polyline, pe::kLabelBlockId);
    auto arrow = Linked(pipe.polyline, pe::kArrowId);
    const std::string owner = ";RelatedTo" + pipe.Id();
    EXPECT_THAT(Record(label), ElementsAre("Fluvamap", ";Main;P-7Annotation", "Annotation", ";RelatedToP-7", owner));
    EXPECT_THAT(Record(arrow), ElementsAre("Fluvamap", ";Main;P-7Arrow", "Arrow", ";RelatedToP-7", owner));
    EXPECT_EQ(RecordText(pipe.polyline, pe::kLabelBlockLabel), ";RelatedToP-7Annotation");
    EXPECT_EQ(RecordText(pipe.polyline, pe::kArrowLabel), ";RelatedToP-7Arrow");
    EXPECT_EQ(label->Name(), "Fluvamap_GravityPipeAttribute");
    EXPECT_EQ(label->Layer(), "Main - Annotation");
    EXPECT_EQ(arrow->Layer(), "Main - Arrow");
    EXPECT_EQ(arrow->InsertionPoint(), (acad::Point3{5, 0, 0}));
    EXPECT_THAT(Texts(*label), ElementsAre("P-7", "L=10.00m", "%%c200", "S=0.00%%", ""));

    auto nodeLabel = Linked(start.block, ne::kLabelBlockId);
    EXPECT_THAT(Record(nodeLabel), ElementsAre("Fluvamap", ";Main;N-3Annotation", "Annotation", ";RelatedToN-3",
                                               ";RelatedTo" + start.Id()));
    EXPECT_EQ(RecordText(start.block, ne::kLabelBlockLabel), ";RelatedToN-3Annotation");
    EXPECT_EQ(nodeLabel->Name(), "Fluvamap_GravityNodeAttribute");
    EXPECT_THAT(Texts(*nodeLabel), ElementsAre("N-3", "", ""));
    ExpectSound();
}

TEST_F(LabelInsertion, OnlyAPipeWhoseFlagIsOneGetsAnArrow) {
    TestChain c = net.AddChain({{0, 0}, {10, 0}});
    for (auto [flag, drawn] : std::vector<std::pair<std::string, bool>>{{"1.0", true}, {"0", false}, {"", false}, {"2", false}}) {
        vs.InsertAnnotations(*doc, *c.pipes[0].polyline, Lines(1), "Main", 0, Table({{18, flag}}));
        EXPECT_EQ(Linked(c.pipes[0].polyline, pe::kArrowId) != nullptr, drawn) << flag;
        EXPECT_EQ(RecordText(c.pipes[0].polyline, pe::kArrowLabel).empty(), !drawn) << flag;
    }
    vs.InsertAnnotations(*doc, *c.nodes[0].block, Lines(1), "Main", 0, Table({{18, "1"}, {32, "1"}}));

    NetworkBuilder water(*doc, "Water", "Pressure");
    for (const char* layer : {"Annotation", "Arrow"}) general.CreateStandardLayer(*doc, "Water", layer);
    TestChain w = water.AddChain({{0, 20}, {10, 20}});
    vs.InsertAnnotations(*doc, *w.pipes[0].polyline, Lines(1), "Water", 0, Table({{18, "1"}, {32, "0"}}));
    EXPECT_EQ(Linked(w.pipes[0].polyline, pe::kArrowId), nullptr);
    vs.InsertAnnotations(*doc, *w.pipes[0].polyline, Lines(1), "Water", 0, Table({{18, "0"}, {32, "1"}}));
    EXPECT_NE(Linked(w.pipes[0].polyline, pe::kArrowId), nullptr);

    int arrows = 0;
    for (const auto& e : doc->Database()->SpaceEntities()) arrows += e->BlockName() == "Fluvamap_DirectionArrow";
    EXPECT_EQ(arrows, 2);
}

TEST_F(LabelInsertion, ARelabelledPipeNamesOnlyItsNewLabelsTheOldOnesStay) {
    TestChain c = net.AddChain({{0, 0}, {10, 0}});
    auto pipe = c.pipes[0].polyline;
    vs.InsertAnnotationsForNewEntity(*doc, *pipe, 0);
    auto oldLabel = Linked(pipe, pe::kLabelBlockId), oldArrow = Linked(pipe, pe::kArrowId);
    vs.InsertAnnotationsForNewEntity(*doc, *pipe, 0);
    EXPECT_NE(Linked(pipe, pe::kLabelBlockId), oldLabel);
    EXPECT_NE(Linked(pipe, pe::kArrowId), oldArrow);
    EXPECT_FALSE(oldLabel->Erased() || oldArrow->Erased());
    EXPECT_THAT(NetworkFindings(*doc), ElementsAre(StartsWith(std::to_string(oldLabel->ObjectID()) + " Annotation"),
                                                   StartsWith(std::to_string(oldArrow->ObjectID()) + " Arrow")));

    // Another network names the records and the arrow's layer; the label stays on the current layer.
    for (const char* layer : {"Annotation", "Arrow"}) general.CreateStandardLayer(*doc, "Other", layer);
    doc->SetActiveLayer(doc->Layers()->Item(Variant("Other - Annotation")));
    vs.InsertAnnotations(*doc, *pipe, Lines(1), "Other", 0, Table({}));
    EXPECT_EQ(RecordText(Linked(pipe, pe::kLabelBlockId), 1), ";Other;P-1Annotation");
    EXPECT_EQ(Linked(pipe, pe::kLabelBlockId)->Layer(), "Other - Annotation");
    EXPECT_EQ(RecordText(Linked(pipe, pe::kArrowId), 1), ";Other;P-1Arrow");
    EXPECT_EQ(Linked(pipe, pe::kArrowId)->Layer(), "Other - Arrow");
    EXPECT_THAT(NetworkFindings(*doc), Contains(HasSubstr("network \"Other\", its owner's is \"Main\"")));

    // Without lines no label block goes in, and the arrow still does.
    std::size_t count = EntityCount();
    vs.InsertAnnotations(*doc, *pipe, Variant(), "Main", 0, Table({}));
    EXPECT_EQ(EntityCount(), count + 1);
    EXPECT_EQ(RecordText(pipe, pe::kLabelBlockLabel) + RecordText(pipe, pe::kLabelBlockId), "");
    EXPECT_NE(Linked(pipe, pe::kArrowId), nullptr);
}

TEST_F(LabelInsertion, AFailedInsertionLeavesNothingAndTheOwnerAsItWas) {
    TestChain c = net.AddChain({{0, 0}, {10, 0}});
    auto pipe = c.pipes[0].polyline;
    vs.InsertAnnotationsForNewEntity(*doc, *pipe, 0);
    const std::size_t count = EntityCount();
    auto links = [&] {
        std::string all;
        for (int32_t k = pe::kLabelBlockLabel; k <= pe::kArrowId; ++k) all += RecordText(pipe, k) + "|";
        return all;
    };
    const std::string before = links();
    auto expectUnchanged = [&](const char* what) {
        EXPECT_EQ(EntityCount(), count) << what;
        EXPECT_EQ(links(), before) << what;
    };
    Variant table = Table({});
    EXPECT_EQ(ErrorOf([&] { vs.InsertAnnotations(*doc, *pipe, Lines(6), "Main", 0, table); }),
              ErrorCode::SubscriptOutOfRange);
    expectUnchanged("too few attributes");
    EXPECT_EQ(ErrorOf([&] { vs.InsertAnnotations(*doc, *Linked(pipe, pe::kArrowId), Lines(1), "Main", 0, table); }),
              ErrorCode::TypeMismatch);
    expectUnchanged("not a pipe or node");
    EXPECT_EQ(ErrorOf([&] { vs.InsertAnnotations(*doc, *pipe, Lines(1), "Storm", 0, table); }),
              ErrorCode::MissingLayer);
    expectUnchanged("no arrow layer");
    for (double angle : {std::nan(""), HUGE_VAL}) {
        for (const auto& call : std::vector<std::function<void()>>{
                 [&] { vs.InsertAnnotations(*doc, *pipe, Lines(1), "Main", angle, table); },
                 [&] { vs.InsertAnnotationsForNewEntity(*doc, *pipe, angle); },
                 [&] { vs.UpdateAnnotationsAttributeBlock(*doc, *pipe, Lines(1), table, true, angle); },
                 [&] { vs.ApplyAnnotationsToNetwork(*doc, "Main", table, angle); }}) {
            EXPECT_EQ(ErrorOf(call), ErrorCode::InvalidProcedureCall);
            expectUnchanged("a correction angle that is no number");
        }
    }

    // The owner cannot be written: what went in comes out again.
    doc->Layers()->Item(Variant("Main - Network"))->SetLock(true);
    auto erasures = WatchErasures();
    EXPECT_EQ(ErrorOf([&] { vs.InsertAnnotationsForNewEntity(*doc, *pipe, 0); }), ErrorCode::OnLockedLayer);
    expectUnchanged("owner locked");
    // No erase handler hears of it, or it would empty the owner's references to its old label.
    EXPECT_THAT(erasures->flags, ElementsAre(0, 0));
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    doc->Layers()->Item(Variant("Main - Network"))->SetLock(false);
    ExpectSound();
}

}  // namespace
