// Labels following their owners: texts rewritten in place, label blocks and arrows moved
// to the owner's anchor, and a whole network labelled anew with the drawing's state put back.

#include "tests/annotation/label_drawing.h"

namespace {

using namespace label_testing;
using testing::ElementsAre;
using testing::StartsWith;

// Two pipes, (0, 0) to (10, 0) to (20, 0), and their nodes, each labelled as new.
class LabelUpdate : public LabelDrawing {
protected:
    LabelUpdate() {
        for (const auto& p : c.pipes) vs.InsertAnnotationsForNewEntity(*doc, *p.polyline, 0);
        for (const auto& n : c.nodes) vs.InsertAnnotationsForNewEntity(*doc, *n.block, 0);
    }
    std::string SizeLine(const TestPipe& pipe) { return Texts(*Linked(pipe.polyline, pe::kLabelBlockId))[2]; }
    void Update(const std::string& ids, bool location) { vs.UpdateAnnotationsAfterEditing(*doc, ids, location); }

    TestChain c = net.AddChain({{0, 0}, {10, 0}, {20, 0}});
};

TEST_F(LabelUpdate, EveryItemButTheLastIsUpdatedInOrder) {
    for (const auto& p : c.pipes) p.SetSize("SectionShape_Circular", 300, 300);
    const std::string first = c.pipes[0].Id(), second = c.pipes[1].Id();
    Update("", false);
    Update(first, false);
    EXPECT_EQ(SizeLine(c.pipes[0]), "%%c200");
    Update(first + ";" + second, false);
    EXPECT_EQ(SizeLine(c.pipes[0]), "%%c300");
    EXPECT_EQ(SizeLine(c.pipes[1]), "%%c200");

    EXPECT_EQ(ErrorOf([&] { Update("abc;", false); }), ErrorCode::TypeMismatch);
    auto gone = doc->ModelSpace()->AddPoint({0, 0, 0});
    gone->Delete();
    EXPECT_EQ(ErrorOf([&] { Update(std::to_string(gone->ObjectID()) + ";" + second + ";", false); }),
              ErrorCode::ObjectNotFound);
    EXPECT_EQ(SizeLine(c.pipes[1]), "%%c200");
    // A line without a record, a label block: passed over.
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    auto arrow = Linked(c.pipes[0].polyline, pe::kArrowId);
    Update(std::to_string(line->ObjectID()) + ";" + std::to_string(arrow->ObjectID()) + ";" + second + ";", true);
    EXPECT_EQ(SizeLine(c.pipes[1]), "%%c300");
    // Handed over alone, a line without a record or with no element type is refused; in
    // the list the one without a type is passed over too.
    Variant table = Table({});
    EXPECT_EQ(ErrorOf([&] { vs.UpdateAnnotationsAttributeBlock(*doc, *line, Lines(2), table, true, 0); }),
              ErrorCode::TypeMismatch);
    fluvanet::ElementRecord::Create(line, {1001, 1000}, {Variant("Fluvamap"), Variant(";Main;x")}).Write();
    EXPECT_EQ(ErrorOf([&] { vs.UpdateAnnotationsAttributeBlock(*doc, *line, Lines(2), table, true, 0); }),
              ErrorCode::TypeMismatch);
    Update(std::to_string(line->ObjectID()) + ";", true);
    vs.UpdateAnnotationsAttributeBlock(*doc, *arrow, Lines(2), table, true, 0);
    line->Delete();
    ExpectSound();
}

TEST_F(LabelUpdate, TextsChangeInPlaceUnlessTheLocationIsUpdatedToo) {
    const TestPipe& pipe = c.pipes[0];
    auto label = Linked(pipe.polyline, pe::kLabelBlockId);
    auto arrow = Linked(pipe.polyline, pe::kArrowId);
    const auto offsets = OffsetsOf(*label, 5, 0, 4);
    // The pipe now runs up the y axis, and the next one from its new end.
    pipe.polyline->SetCoordinates({0, 0, 0, 10});
    c.nodes[1].block->SetInsertionPoint({0, 10, 0});
    c.pipes[1].polyline->SetCoordinates({0, 10, 20, 0});
    pipe.SetSize("SectionShape_Circular", 300, 300);

    Update(pipe.Id() + ";", false);
    EXPECT_EQ(SizeLine(pipe), "%%c300");
    EXPECT_EQ(label->InsertionPoint(), (acad::Point3{5, 0, 0}));
    EXPECT_EQ(OffsetsOf(*label, 5, 0, 4), offsets);
    EXPECT_EQ(arrow->InsertionPoint(), (acad::Point3{5, 0, 0}));

    // The layers it writes locked: the label's, its attributes' and the arrow's.
    ASSERT_EQ(label->GetAttributes()[0]->Layer(), "0");
    const std::vector<std::string> locked{"Main - Annotation", "0", "Main - Arrow"};
    for (const auto& name : locked) doc->Layers()->Item(Variant(name))->SetLock(true);
    Variant document{doc}, ids{pipe.Id() + ";"}, location{true};  // late-bound, as the host calls
    vb::CallByName(std::make_shared<fluvanet::ViewStyle>(), "UpdateAnnotationsAfterEditing", com::CallType::Method,
                   document, ids, location);
    for (const auto& name : locked) EXPECT_TRUE(doc->Layers()->Item(Variant(name))->Lock()) << name;
    EXPECT_EQ(label->InsertionPoint(), (acad::Point3{0, 5, 0}));
    const double s = kSpacing;
    EXPECT_EQ(OffsetsOf(*label, 0, 5, 4), (Offsets{{-2 * s, 0}, {-s, 0}, {s, 0}, {2 * s, 0}}));
    EXPECT_EQ(label->GetAttributes()[3]->Rotation(), kQuarterTurn);
    EXPECT_EQ(label->Rotation(), 0);
    EXPECT_EQ(arrow->InsertionPoint(), (acad::Point3{0, 5, 0}));
    EXPECT_NEAR(arrow->Rotation(), kQuarterTurn, 1e-9);
    EXPECT_LT(arrow->Rotation(), kQuarterTurn);
    ExpectSound();
}

TEST_F(LabelUpdate, TheArrowFollowsItsFlagWhateverBecameOfTheLabelBlock) {
    const TestPipe& pipe = c.pipes[0];
    auto arrow = Linked(pipe.polyline, pe::kArrowId);
    auto away = [&] {
        arrow->SetInsertionPoint({50, 50, 0});
        arrow->SetRotation(1);
    };
    auto update = [&](const Variant& table) {
        return ErrorOf([&] { vs.UpdateAnnotationsAttributeBlock(*doc, *pipe.polyline, Lines(4), table, true, 0); });
    };
    // Stale: the label block is gone but still named.
    Linked(pipe.polyline, pe::kLabelBlockId)->Delete();
    away();
    EXPECT_EQ(update(Table({})), std::nullopt);
    EXPECT_EQ(arrow->InsertionPoint(), (acad::Point3{5, 0, 0}));
    EXPECT_EQ(arrow->Rotation(), 0);
    // Empty, as after the label block was erased.
    SetRecordEntry(pipe.polyline, pe::kLabelBlockLabel, Variant(""));
    SetRecordEntry(pipe.polyline, pe::kLabelBlockId, Variant(""));
    away();
    EXPECT_EQ(update(Table({})), std::nullopt);
    EXPECT_EQ(arrow->InsertionPoint(), (acad::Point3{5, 0, 0}));
    ExpectSound();

    away();
    EXPECT_EQ(update(Table({{18, "0"}})), std::nullopt);
    EXPECT_EQ(arrow->InsertionPoint(), (acad::Point3{50, 50, 0}));
    // Naming a node where its label block should be: told before the arrow moves.
    SetRecordEntry(pipe.polyline, pe::kLabelBlockLabel, Variant(";RelatedToN-1Annotation"));
    SetRecordEntry(pipe.polyline, pe::kLabelBlockId, Variant(";RelatedTo" + c.nodes[0].Id()));
    EXPECT_EQ(update(Table({})), ErrorCode::TypeMismatch);
    EXPECT_EQ(arrow->InsertionPoint(), (acad::Point3{50, 50, 0}));
}

TEST_F(LabelUpdate, AFailedUpdatePutsBackWhereTheUserHadPlacedTheLabels) {
    const TestPipe& pipe = c.pipes[0];
    auto label = Linked(pipe.polyline, pe::kLabelBlockId);
    auto arrow = Linked(pipe.polyline, pe::kArrowId);
    label->SetInsertionPoint({50, 50, 0});
    label->GetAttributes()[1]->SetTextAlignmentPoint({60, 40, 0});
    arrow->SetInsertionPoint({40, 40, 0});
    arrow->SetRotation(1);
    pipe.SetSize("SectionShape_Circular", 300, 300);
    const auto texts = Texts(*label);
    const auto offsets = OffsetsOf(*label, 50, 50, 4);
    // P-1 goes back to its anchor; the item after it names nothing.
    EXPECT_EQ(ErrorOf([&] { Update(pipe.Id() + ";abc;", true); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(label->InsertionPoint(), (acad::Point3{50, 50, 0}));
    EXPECT_EQ(OffsetsOf(*label, 50, 50, 4), offsets);
    EXPECT_EQ(Texts(*label), texts);
    EXPECT_EQ(arrow->InsertionPoint(), (acad::Point3{40, 40, 0}));
    EXPECT_EQ(arrow->Rotation(), 1);
    ExpectSound();
}

TEST_F(LabelUpdate, ExtraAttributesKeepTheirTextsMissingOnesFailWithTheTextsAsTheyWere) {
    const TestPipe& pipe = c.pipes[0];
    auto label = Linked(pipe.polyline, pe::kLabelBlockId);
    Variant table = Table({});
    vs.UpdateAnnotationsAttributeBlock(*doc, *pipe.polyline, Lines(2), table, false, 0);
    EXPECT_THAT(Texts(*label), ElementsAre("L1", "L2", "%%c200", "S=0.00%%", ""));
    // No lines to show: the texts stay, the block still goes to the anchor.
    label->SetInsertionPoint({50, 50, 0});
    vs.UpdateAnnotationsAttributeBlock(*doc, *pipe.polyline, Variant(), table, true, 0);
    EXPECT_EQ(label->InsertionPoint(), (acad::Point3{5, 0, 0}));
    EXPECT_EQ(ErrorOf([&] { vs.UpdateAnnotationsAttributeBlock(*doc, *pipe.polyline, Lines(6), table, true, 0); }),
              ErrorCode::SubscriptOutOfRange);
    // The attributes written before the failure get their texts back.
    EXPECT_THAT(Texts(*label), ElementsAre("L1", "L2", "%%c200", "S=0.00%%", ""));
}

TEST_F(LabelUpdate, ApplyRelabelsTheNetworkAndErasesOnlyWhatItsElementsNamed) {
    // An orphan: the first node labelled again, so no one names its first label.
    auto orphan = Linked(c.nodes[0].block, ne::kLabelBlockId);
    vs.InsertAnnotationsForNewEntity(*doc, *c.nodes[0].block, 0);
    std::vector<std::shared_ptr<acad::AcadBlockReference>> old;
    for (const auto& p : c.pipes)
        for (int32_t entry : {pe::kLabelBlockId, pe::kArrowId}) old.push_back(Linked(p.polyline, entry));
    for (const auto& n : c.nodes) old.push_back(Linked(n.block, ne::kLabelBlockId));

    Variant table = UseStyle({{7, "0;;"}});  // no size line
    auto erasures = WatchErasures();
    vs.ApplyAnnotationsToNetwork(*doc, "Main", table, 0);
    for (const auto& o : old) EXPECT_TRUE(o->Erased());
    EXPECT_EQ(erasures->flags, std::vector<int16_t>(old.size(), 0));
    EXPECT_FALSE(orphan->Erased());
    EXPECT_THAT(Texts(*Linked(c.pipes[1].polyline, pe::kLabelBlockId)),
                ElementsAre("P-2", "L=10.00m", "S=0.00%%", "", ""));
    EXPECT_EQ(Linked(c.nodes[2].block, ne::kLabelBlockId)->Layer(), "Main - Annotation");
    EXPECT_THAT(NetworkFindings(*doc), ElementsAre(StartsWith(std::to_string(orphan->ObjectID()) + " Annotation")));

    // A network without labels: every element gets one and nothing goes.
    NetworkBuilder storm(*doc, "Storm");
    TestChain s = storm.AddChain({{0, 30}, {10, 30}});
    auto before = doc->Database()->SpaceEntities();
    vs.ApplyAnnotationsToNetwork(*doc, "Storm", table, 0);
    for (const auto& e : before) EXPECT_FALSE(e->Erased());
    EXPECT_EQ(EntityCount(), before.size() + 4);
    EXPECT_NE(Linked(s.nodes[1].block, ne::kLabelBlockId), nullptr);
}

TEST_F(LabelUpdate, ApplyPutsLayersAndEventsBackAfterSuccessAndFailure) {
    auto annotation = doc->Layers()->Item(Variant("Main - Annotation"));
    annotation->SetLock(true);
    annotation->SetFreeze(true);
    // Every layer it writes is locked: the arrows', the owners' and that of the old labels' attributes.
    const std::vector<std::string> alsoLocked{"Main - Arrow", "Main - Network", "0"};
    auto lockOthers = [&](bool lock) {
        for (const auto& name : alsoLocked) doc->Layers()->Item(Variant(name))->SetLock(lock);
    };
    lockOthers(true);
    const auto active = doc->ActiveLayer();
    auto expectRestored = [&](int16_t events) {
        EXPECT_EQ(doc->ActiveLayer(), active);
        EXPECT_TRUE(annotation->Lock());
        EXPECT_TRUE(annotation->Freeze());
        for (const auto& name : alsoLocked) EXPECT_TRUE(doc->Layers()->Item(Variant(name))->Lock()) << name;
        EXPECT_EQ(general.CheckEventsFlag(*doc), events);
    };
    Variant table = Table({});
    vs.ApplyAnnotationsToNetwork(*doc, "Main", table, 0);
    expectRestored(1);
    EXPECT_EQ(Linked(c.pipes[0].polyline, pe::kLabelBlockId)->Layer(), "Main - Annotation");
    EXPECT_EQ(Linked(c.pipes[0].polyline, pe::kArrowId)->Layer(), "Main - Arrow");
    ExpectSound();

    lockOthers(false);
    TestNode lone = net.AddNode(40, 0);
    TestPipe flat = net.AddPipe(lone, lone);  // no length in plan: labelled at its point
    lockOthers(true);
    vs.ApplyAnnotationsToNetwork(*doc, "Main", table, 0);
    expectRestored(1);
    EXPECT_NE(Linked(flat.polyline, pe::kLabelBlockId), nullptr);

    // Its node gone, the pipe's ground levels cannot be read: the pipes labelled before it
    // keep their labels, and nothing new stays.
    lockOthers(false);
    lone.block->Delete();
    lockOthers(true);
    auto label = Linked(c.pipes[0].polyline, pe::kLabelBlockId);
    const std::string link = RecordText(c.pipes[0].polyline, pe::kLabelBlockId);
    const std::size_t count = EntityCount();
    EXPECT_EQ(ErrorOf([&] { vs.ApplyAnnotationsToNetwork(*doc, "Main", table, 0); }), ErrorCode::ObjectNotFound);
    expectRestored(1);
    EXPECT_EQ(RecordText(c.pipes[0].polyline, pe::kLabelBlockId), link);
    EXPECT_FALSE(label->Erased());
    EXPECT_EQ(EntityCount(), count);
    general.TurnEventsOff(*doc);
    EXPECT_EQ(ErrorOf([&] { vs.ApplyAnnotationsToNetwork(*doc, "Main", table, 0); }), ErrorCode::ObjectNotFound);
    expectRestored(0);
}

}  // namespace
