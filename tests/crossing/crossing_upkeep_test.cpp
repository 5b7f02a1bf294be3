// Keeping crossing annotations true after a pipe changes, and removing a network's
// crossings; what stale or foreign references do to both.

#include "tests/crossing/crossing_drawing.h"

namespace {

using namespace crossing_testing;

class CrossingUpkeep : public CrossingDrawing {
protected:
    TestPipe a1 = Pipe(a, {0, 0}, {40, 0}, 10, 9);
    TestPipe b1 = Pipe(b, {10, -10}, {10, 10}, 12, 12);

    void Update(const TestPipe& pipe) {
        crossing.UpdateCrossingsAfterEditing(*doc, pipe.Id());
        Sound();
    }
    // A new label in the pipe's record and in the node lists of its ends.
    void Rename(const TestPipe& pipe, const std::string& network, const std::string& label) {
        SetRecordEntry(pipe.polyline, pe::kCombinedLabel, Variant("Pipe;" + network + ";" + label));
        namespace ne = fluvanet::node_entry;
        for (auto [end, list] : {std::pair{pe::kStartNodeId, ne::kStartPipeLabels}, {pe::kEndNodeId, ne::kEndPipeLabels}})
            SetRecordEntry(Node(pipe, end), list, Variant(Ref(label)));
    }
    std::shared_ptr<acad::AcadObject> Node(const TestPipe& pipe, int32_t end) {
        return fluvanet::ObjectFromId(*doc, fluvanet::refs::ReferenceKey(RecordText(pipe.polyline, end)));
    }
    std::vector<std::string> Record(const std::shared_ptr<acad::AcadObject>& object) {
        std::vector<std::string> texts;
        fluvanet::ElementRecord record = fluvanet::ElementRecord::Read(object);
        for (const Variant& v : record.Values()) texts.push_back(vb::CStr(v));
        return texts;
    }
};

TEST_F(CrossingUpkeep, RenamingPipe1RelabelsTheAnnotationLeaderAndBothPipes) {
    Build({a1});
    auto annotation = Only();
    const std::string id = fluvanet::IdText(*annotation);
    const std::vector<std::string> before = Record(annotation);
    Rename(a1, "A", "P-9");
    Update(a1);
    std::vector<std::string> after = Record(annotation);
    EXPECT_EQ(after[1], "CPA;;AP-9BP-1Annotation");
    EXPECT_EQ(after[5], Ref("P-9"));
    EXPECT_EQ(after[14], Ref("AP-9BP-1Line"));
    for (int unchanged : {2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16}) EXPECT_EQ(after[unchanged], before[unchanged]) << unchanged;
    EXPECT_THAT(Record(Leader(annotation)), ElementsAre("Fluvamap", "CPL;;AP-9BP-1Line", "CrossingPointLine",
                                                        Ref("AP-9BP-1Annotation"), Ref(id)));
    for (const TestPipe& p : {a1, b1}) {
        EXPECT_EQ(RecordText(p.polyline, pe::kCrossingLabels), Ref("AP-9BP-1Annotation"));
        EXPECT_EQ(RecordText(p.polyline, pe::kCrossingIds), Ref(id));
    }
}

TEST_F(CrossingUpkeep, RaisingPipe2SwapsTheTextsButNotTheLabelsOrTheBlock) {
    Build({b1});  // B is pipe 1 of the record
    auto annotation = Only();
    const std::string block = annotation->Name();
    EXPECT_THAT(Texts(annotation), ElementsAre("B %%c200", "I.L.= 12.000", "A %%c200", "I.L.= 9.750", "Clearance= 2.050"));
    a1.SetInverts(20, 20).SetSize("SectionShape_Box", 123456789, 1000);
    Update(a1);
    EXPECT_THAT(Texts(annotation),
                ElementsAre("A 123456789X1000", "I.L.= 20.000", "B %%c200", "I.L.= 12.000", "Clearance= 7.800"));
    EXPECT_EQ(RecordText(annotation, ce::kCombinedLabel), "CPA;;BP-1AP-1Annotation");
    EXPECT_EQ(annotation->Name(), block);
    EXPECT_EQ(RecordText(annotation, ce::kPipe2Size), "123456789X1000");
    // Clearance 7.8 is above the minimum 0.5; below it the annotation shows again.
    EXPECT_FALSE(annotation->Visible());
    a1.SetInverts(12.3, 12.3);
    Update(b1);
    EXPECT_TRUE(annotation->Visible() && Leader(annotation)->Visible());

    // A pipe without annotations changes nothing.
    TestPipe alone = Pipe(a, {0, 50}, {10, 50});
    crossing.UpdateCrossingsAfterEditing(*doc, alone.Id());
    EXPECT_EQ(crossing.GetExistingCrossingPointsSet(*doc, "")->Count(), 1);
}

TEST_F(CrossingUpkeep, DeletingANetworkRemovesOnlyItsCrossingsAndFlagsBothPipes) {
    NetworkBuilder c(*doc, "C");
    TestPipe c1 = Pipe(c, {-10, 5}, {40, 5});  // crosses b1 only, at (10, 5)
    TestPipe a2 = Pipe(a, {20, -10}, {20, 10});  // crosses c1
    AddProfileStyle(*doc, "Road");
    TestProfile throughA = AddTestProfile(*doc, a, "L-1", "Road", {a1});
    TestProfile throughB = AddTestProfile(*doc, b, "L-2", "Road", {b1});
    Build({b1, a2});
    ASSERT_EQ(Annotations().size(), 3u);  // B-A, B-C, A-C
    SetRecordEntry(throughA.block, 15, Variant(int16_t{0}));
    SetRecordEntry(throughB.block, 15, Variant(int16_t{0}));

    const std::vector<std::string> bBefore = Record(b1.polyline);
    crossing.DeleteNetworkCrossings(*doc, "");
    crossing.DeleteNetworkCrossings(*doc, "D");
    EXPECT_EQ(Annotations().size(), 3u);
    EXPECT_EQ(Record(b1.polyline), bBefore);
    EXPECT_EQ(RecordText(throughB.block, 15), "0");

    crossing.DeleteNetworkCrossings(*doc, "A");
    auto left = Only();
    EXPECT_EQ(RecordText(left, ce::kCombinedLabel), "CPA;;BP-1CP-1Annotation");
    EXPECT_EQ(RecordText(b1.polyline, pe::kCrossingLabels), Ref("BP-1CP-1Annotation"));
    EXPECT_EQ(RecordText(b1.polyline, pe::kCrossingIds), Ref(fluvanet::IdText(*left)));
    EXPECT_EQ(RecordText(c1.polyline, pe::kCrossingIds), Ref(fluvanet::IdText(*left)));
    EXPECT_EQ(RecordText(throughA.block, 15), "1");
    EXPECT_EQ(RecordText(throughB.block, 15), "1");
    // The network's own pipes keep their references: they go with the network.
    EXPECT_NE(RecordText(a1.polyline, pe::kCrossingIds), "");
    for (const TestPipe& p : {a1, a2}) {
        SetRecordEntry(p.polyline, pe::kCrossingLabels, Variant(""));
        SetRecordEntry(p.polyline, pe::kCrossingIds, Variant(""));
    }
    Sound();
}

TEST_F(CrossingUpkeep, DeletingANetworksCrossingsOnItsOwnWritesThroughLocksAndLocksThemAgain) {
    AddProfileStyle(*doc, "Road");
    TestProfile throughB = AddTestProfile(*doc, b, "L-2", "Road", {b1});  // on "0"
    doc->SetActiveLayer(doc->Layers()->Add("Work"));
    auto locks = [&] {
        std::string locked;
        for (int32_t i = 0; i < doc->Layers()->Count(); ++i)
            if (auto layer = doc->Layers()->Item(Variant(i)); layer->Lock()) locked += layer->Name() + ";";
        return locked;
    };
    for (const char* name : {"0", "B - Network", "Work"}) {
        Build({a1});
        auto annotation = Only();
        auto leader = Leader(annotation);
        SetRecordEntry(throughB.block, 15, Variant(int16_t{0}));
        doc->Layers()->Item(Variant(name))->SetLock(true);
        crossing.DeleteNetworkCrossings(*doc, "A");
        EXPECT_EQ(locks(), std::string(name) + ";");
        doc->Layers()->Item(Variant(name))->SetLock(false);
        EXPECT_TRUE(annotation->Erased() && leader->Erased()) << name;
        EXPECT_EQ(RecordText(b1.polyline, pe::kCrossingIds) + RecordText(b1.polyline, pe::kCrossingLabels), "") << name;
        EXPECT_EQ(RecordText(throughB.block, 15), "1") << name;
        // The network's own pipes go with it.
        SetRecordEntry(a1.polyline, pe::kCrossingLabels, Variant(""));
        SetRecordEntry(a1.polyline, pe::kCrossingIds, Variant(""));
        Sound();
    }
}

TEST_F(CrossingUpkeep, StaleReferencesPassAndForeignOnesRaiseBeforeAnyChange) {
    TestPipe b2 = Pipe(b, {20, -10}, {20, 10});
    Build({a1});
    auto annotations = Annotations();
    ASSERT_EQ(annotations.size(), 2u);

    // A leader that points at a pipe: nothing is deleted or written.
    const std::string leader = RecordText(annotations[1], ce::kLineId);
    SetRecordEntry(annotations[1], ce::kLineId, Variant(Ref(b2.Id())));
    const std::vector<std::string> b1Before = Record(b1.polyline);
    EXPECT_EQ(ErrorOf([&] { crossing.DeleteNetworkCrossings(*doc, "B"); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { crossing.UpdateCrossingsAfterEditing(*doc, a1.Id()); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(Annotations().size(), 2u);
    EXPECT_EQ(Record(b1.polyline), b1Before);
    SetRecordEntry(annotations[1], ce::kLineId, Variant(leader));
    Sound();

    // A leader already gone, and an item of [21] that names nothing, are passed over.
    Leader(annotations[0])->Delete();
    auto erased = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    const std::string ids = RecordText(a1.polyline, pe::kCrossingIds);
    SetRecordEntry(a1.polyline, pe::kCrossingIds, Variant(ids + Ref(fluvanet::IdText(*erased))));
    erased->Delete();
    b1.SetInverts(11, 11);
    crossing.UpdateCrossingsAfterEditing(*doc, a1.Id());
    EXPECT_EQ(Texts(annotations[0])[1], "I.L.= 11.000");
    crossing.ApplyCrossingSettings(*doc, *crossing.GetExistingCrossingPointsSet(*doc, ""), true);
    crossing.DeleteNetworkCrossings(*doc, "B");
    EXPECT_THAT(Annotations(), IsEmpty());
    EXPECT_EQ(RecordText(a1.polyline, pe::kCrossingIds), Ref(fluvanet::IdText(*erased)));
}

TEST_F(CrossingUpkeep, ALockedLayerRaisesBeforeAnythingIsWrittenAndAPipeOfNoLengthTakesItsStart) {
    Build({a1});
    auto annotation = Only();
    const std::vector<std::string> before = Record(annotation);
    const std::vector<std::string> pipe2Before = Record(b1.polyline);
    b1.polyline->SetCoordinates({10, 0, 10, 0});
    crossing.UpdateCrossingData(*doc, *annotation);
    EXPECT_EQ(Record(annotation), before);
    EXPECT_EQ(Record(b1.polyline), pipe2Before);
    b1.polyline->SetCoordinates({10, -10, 10, 10});

    // A new label for pipe 1 that the annotation, its texts or its leader cannot take.
    Rename(a1, "A", "P-9");
    const std::vector<std::string> renamed = Record(a1.polyline);
    for (const char* layer : {"Crossing Point Annotation Text", "Crossing Point Annotation Lines"}) {
        doc->Layers()->Item(Variant(layer))->SetLock(true);
        EXPECT_EQ(ErrorOf([&] { crossing.UpdateCrossingData(*doc, *annotation); }), ErrorCode::OnLockedLayer);
        doc->Layers()->Item(Variant(layer))->SetLock(false);
        EXPECT_EQ(Record(a1.polyline), renamed) << layer;
        EXPECT_EQ(Record(b1.polyline), pipe2Before) << layer;
        EXPECT_EQ(Record(annotation), before) << layer;
    }
    Update(a1);
    EXPECT_EQ(RecordText(b1.polyline, pe::kCrossingLabels), Ref("AP-9BP-1Annotation"));

    // Off the pipe the point takes the start invert.
    std::vector<std::string> data = crossing.GetCrossingDataOfPipe(*doc, *a1.polyline, {100, 100, 0});
    EXPECT_THAT(data, ElementsAre("P-9", "10", "0.2", "%%c200"));
    a1.polyline->SetCoordinates({5, 5, 5, 5});
    EXPECT_EQ(crossing.GetCrossingDataOfPipe(*doc, *a1.polyline, {5, 5, 0}), data);
}

}  // namespace
