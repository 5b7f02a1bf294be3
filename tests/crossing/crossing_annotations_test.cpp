// Crossing annotations and their leader lines: texts, block, placement, records and the
// pipes' references; drawing that fails; the settings table and what it shows.

#include "tests/crossing/crossing_drawing.h"
#include "tests/support/erase_watch.h"

namespace {

using namespace crossing_testing;

class CrossingAnnotations : public CrossingDrawing {
protected:
    TestPipe a1 = Pipe(a, {0, 0}, {40, 0}, 10, 10);
    TestPipe b1 = Pipe(b, {10, -10}, {10, 10}, 12, 12);

    CrossPoint Record(const TestPipe& p1, const TestPipe& p2, double x, double y) {
        CrossPoint c;
        c.Pipe1Net = general.EntityNetworkFromCombined(p1.Record().Get(pe::kCombinedLabel));
        c.Pipe1Label = p1.label;
        c.Pipe2Net = general.EntityNetworkFromCombined(p2.Record().Get(pe::kCombinedLabel));
        c.Pipe2Label = p2.label;
        c.Pipe1OID = p1.Id();
        c.Pipe2OID = p2.Id();
        c.Pipe1SizeString = c.Pipe2SizeString = "%%c200";
        c.Easting = x;
        c.Northing = y;
        return c;
    }
    std::shared_ptr<acad::AcadBlockReference> Draw(const CrossPoint& c) {
        auto drawn = crossing.DrawCrossingPoints(*doc, {c});
        Sound();
        return acad::Cast<acad::AcadBlockReference>(drawn->Item(0));
    }
    void ExpectPoint(const acad::Point3& got, double x, double y) {
        EXPECT_NEAR(got[0], x, 1e-9);
        EXPECT_NEAR(got[1], y, 1e-9);
    }
};

TEST_F(CrossingAnnotations, TextsPutTheUpperPipeFirstAndChooseTheBlockByCharacters) {
    CrossPoint c = Record(a1, b1, 10, 0);
    c.Pipe1Invert = 12.3456;
    c.Pipe2Invert = 12.3456;  // equal: pipe 2 on top
    c.Pipe2SizeString = "%%c1234";
    EXPECT_THAT(Texts(Draw(c)), ElementsAre("B %%c1234", "I.L.= 12.346", "A %%c200", "I.L.= 12.346", "Clearance= 0.000"));
    c.Pipe2Invert = 12.3455;
    c.Clearance = 0.0005;  // to the even digit: 0.000
    EXPECT_THAT(Texts(Draw(c)), ElementsAre("A %%c200", "I.L.= 12.346", "B %%c1234", "I.L.= 12.346", "Clearance= 0.000"));

    // The longer size line decides; "%%c" counts three and a letter one, whatever its bytes.
    const std::pair<std::string, const char*> cases[] = {
        {"%%c12345", "Fluvamap_CrossingAnno_S1"},           // 10
        {"%%cé2345", "Fluvamap_CrossingAnno_S1"},           // 10 characters, 11 bytes
        {"%%c123456", "Fluvamap_CrossingAnno_S2"},          // 11
        {"%%c12345678901234", "Fluvamap_CrossingAnno_S2"},  // 19
        {"%%c123456789012345", "Fluvamap_CrossingAnno_S3"}, // 20
    };
    for (const auto& [size, block] : cases) {
        c.Pipe1SizeString = size;
        EXPECT_EQ(Draw(c)->Name(), block) << size;
    }
}

TEST_F(CrossingAnnotations, RecordsNameEachOtherAndBothPipes) {
    Build({a1});
    auto annotation = Only();
    auto leader = Leader(annotation);
    fluvanet::ElementRecord record = fluvanet::ElementRecord::Read(annotation);
    EXPECT_EQ(record.Codes(), fluvanet::CrossingAnnotationCodes());
    EXPECT_THAT(record.Values(),
                ElementsAre("Fluvamap", "CPA;;AP-1BP-1Annotation", "CrossingPointAnnotation", "A", "B", Ref("P-1"),
                            Ref("P-1"), 0.2, 0.2, "%%c200", "%%c200", 12 - 10 - 0.2, Ref(a1.Id()), Ref(b1.Id()),
                            Ref("AP-1BP-1Line"), Ref(fluvanet::IdText(*leader)), "10;0"));
    EXPECT_THAT(fluvanet::ElementRecord::Read(leader).Values(),
                ElementsAre("Fluvamap", "CPL;;AP-1BP-1Line", "CrossingPointLine", Ref("AP-1BP-1Annotation"),
                            Ref(fluvanet::IdText(*annotation))));
    for (const TestPipe& p : {a1, b1}) {
        EXPECT_EQ(RecordText(p.polyline, pe::kCrossingLabels), Ref("AP-1BP-1Annotation"));
        EXPECT_EQ(RecordText(p.polyline, pe::kCrossingIds), Ref(fluvanet::IdText(*annotation)));
    }
    EXPECT_EQ(annotation->Layer(), "Crossing Point Annotation Text");
    EXPECT_EQ(leader->Layer(), "Crossing Point Annotation Lines");
    ExpectPoint(annotation->InsertionPoint(), 30, 20);
    ExpectPoint(leader->StartPoint(), 10, 0);
    ExpectPoint(leader->EndPoint(), 30, 20);
    EXPECT_FALSE(annotation->Visible());  // clearance 1.8 is not below the minimum 0.5
}

TEST_F(CrossingAnnotations, ATurnedCoordinateSystemTurnsTheAnnotationAboutThePoint) {
    doc->SetVariable("UCSXDIR", Variant(com::SafeArray::FromDoubles({0, 1, 0})));
    doc->SetVariable("UCSYDIR", Variant(com::SafeArray::FromDoubles({-1, 0, 0})));
    auto annotation = Draw(Record(a1, b1, 10, 0));
    const double angle = 1.570796327;
    ExpectPoint(annotation->InsertionPoint(), 10 + 20 * std::cos(angle) - 20 * std::sin(angle),
                20 * std::sin(angle) + 20 * std::cos(angle));
    EXPECT_DOUBLE_EQ(annotation->Rotation(), angle);
    ExpectPoint(Leader(annotation)->EndPoint(), annotation->InsertionPoint()[0], annotation->InsertionPoint()[1]);
}

TEST_F(CrossingAnnotations, WhatCannotBeDrawnOrLinkedIsRefusedBeforeTheFirstAnnotation) {
    // A block without the texts, which the drawing keeps as it is.
    doc->Blocks()->Add({0, 0, 0}, "Fluvamap_CrossingAnno_S3");
    NetworkBuilder c(*doc, "C");
    TestPipe c1 = Pipe(c, {20, -10}, {20, 10});
    const CrossPoint good = Record(a1, c1, 20, 0);
    Draw(good);  // the blocks and layers exist from here on
    auto unchanged = [&] {
        return std::to_string(doc->ModelSpace()->Count()) + RecordText(a1.polyline, pe::kCrossingIds) +
               RecordText(b1.polyline, pe::kCrossingIds) + RecordText(c1.polyline, pe::kCrossingIds);
    };
    const std::string before = unchanged();
    auto refused = [&](const CrossPoint& second) {
        return ErrorOf([&] { crossing.DrawCrossingPoints(*doc, {good, second}); });
    };

    CrossPoint stale = Record(a1, b1, 10, 0);
    auto gone = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    stale.Pipe2OID = fluvanet::IdText(*gone);
    gone->Delete();
    EXPECT_EQ(refused(stale), ErrorCode::ObjectNotFound);
    // The host's list keeps 16-bit indices.
    std::vector<CrossPoint> many(32767, good);
    many.push_back(stale);
    EXPECT_EQ(ErrorOf([&] { crossing.DrawCrossingPoints(*doc, many); }), ErrorCode::Overflow);
    // A pipe that refuses the write, a layer the annotation, its texts or its leader would
    // go on or pass through.
    for (const char* layer :
         {"B - Network", "Crossing Point Annotation Text", "Crossing Point Annotation Lines", "0"}) {
        doc->Layers()->Item(Variant(layer))->SetLock(true);
        EXPECT_EQ(refused(Record(a1, b1, 10, 0)), ErrorCode::OnLockedLayer) << layer;
        doc->Layers()->Item(Variant(layer))->SetLock(false);
        EXPECT_EQ(unchanged(), before) << layer;
    }
    // Reals that are no number, in a list or in a direct call for drawn objects.
    auto anno = doc->ModelSpace()->InsertBlock({0, 0, 0}, "Fluvamap_CrossingAnno_S1", 1, 1, 1, 0);
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    const std::string withBoth = unchanged();
    for (double CrossPoint::*real : {&CrossPoint::Pipe1Rise, &CrossPoint::Pipe2Invert, &CrossPoint::Clearance,
                                     &CrossPoint::Easting, &CrossPoint::Northing})
        for (double value : {std::nan(""), -HUGE_VAL}) {
            CrossPoint nan = Record(a1, b1, 10, 0);
            nan.*real = value;
            EXPECT_EQ(refused(nan), ErrorCode::InvalidProcedureCall);
            EXPECT_EQ(ErrorOf([&] { crossing.AddCorssingPointXdata(*doc, nan, *anno, *line); }),
                      ErrorCode::InvalidProcedureCall);
            EXPECT_FALSE(fluvanet::ElementRecord::Read(anno).Exists());
            EXPECT_EQ(unchanged(), withBoth);
        }
    anno->Delete();
    line->Delete();
    EXPECT_EQ(unchanged(), before);
    Sound();

    // An undo that fails is told, not swallowed: the host refuses the erasure when the block
    // without texts makes the drawing fail.
    CrossPoint wide = Record(a1, b1, 10, 0);
    wide.Pipe2SizeString = "%%c123456789012345";
    EXPECT_EQ(ErrorOf([&] { crossing.DrawCrossingPoints(*doc, {wide}); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(unchanged(), before);
    auto watch = WatchErasures(*doc);
    watch->failWhen = [](const acad::AcadEntity&) { return true; };
    EXPECT_EQ(ErrorOf([&] { crossing.DrawCrossingPoints(*doc, {wide}); }), ErrorCode::InvalidInput);
    doc->SetEraseObserver(nullptr);
}

class CrossingSettings : public CrossingAnnotations {
protected:
    std::vector<std::vector<std::string>> Table() {
        com::SafeArray t = crossing.GetCrossingSettings(*doc).Array();
        std::vector<std::vector<std::string>> rows;
        for (int32_t r = 0; r <= t.UBound(1); ++r)
            rows.push_back({t.Get(r, 0).Str(), t.Get(r, 1).Str(), t.Get(r, 2).Str()});
        return rows;
    }
    using Row = std::vector<std::string>;
    Variant TableVariant(const std::vector<Row>& rows) {
        com::SafeArray t = com::SafeArray::Matrix(com::VarType::String, static_cast<int32_t>(rows.size()), 3);
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (int32_t c = 0; c < 3; ++c) t.Put(static_cast<int32_t>(r), c, Variant(rows[r][static_cast<std::size_t>(c)]));
        return Variant(std::move(t));
    }
    std::string Stored() { return RecordText(doc->ModelSpace(), 8); }
    void Apply(bool reset = false) {
        crossing.ApplyCrossingSettings(*doc, *crossing.GetExistingCrossingPointsSet(*doc, ""), reset);
        Sound();
    }
};

TEST_F(CrossingSettings, PairsFollowTheNetworkListAndTheStoredText) {
    NetworkBuilder c(*doc, "C");
    EXPECT_THAT(Table(), ElementsAre(Row{"0.5", "", ""}, Row{"A", "B", "1"}, Row{"A", "C", "1"}, Row{"B", "C", "1"}));
    SetCrossingEntry("0.5;B;A;");
    EXPECT_THAT(Table(), ElementsAre(Row{"0.5", "", ""}, Row{"A", "B", "1"}, Row{"A", "C", ""}, Row{"B", "C", ""}));
    SetCrossingEntry("0.5");
    crossing.SetCrossingSettings(*doc, crossing.GetCrossingSettings(*doc));
    EXPECT_EQ(Stored(), "0.5");

    crossing.SetCrossingSettings(*doc, TableVariant({{"-1", "", ""}, {"A", "B", "1"}, {"A", "C", "x"}, {"B", "C", "1"}}));
    EXPECT_EQ(Stored(), "-1;A;B;B;C");
    for (const std::vector<Row>& refused : {std::vector<Row>{{"1;A", "", ""}, {"A", "B", ""}},
                                            std::vector<Row>{{"1", "", ""}, {"A;B", "C", "1"}},
                                            std::vector<Row>{{"1e400", "", ""}, {"A", "B", "1"}}})
        EXPECT_EQ(ErrorOf([&] { crossing.SetCrossingSettings(*doc, TableVariant(refused)); }),
                  ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(Stored(), "-1;A;B;B;C");
    // A ";" in a pair that is not shown is never written.
    crossing.SetCrossingSettings(*doc, TableVariant({{"1", "", ""}, {"A;B", "C", ""}}));
    EXPECT_EQ(Stored(), "1");

    auto lone = NewProjectDrawing();
    NetworkBuilder only(*lone, "A");
    EXPECT_EQ(crossing.GetCrossingSettings(*lone).Array().UBound(1), 0);
}

TEST_F(CrossingSettings, AnEnabledPairShowsWhatLiesBelowTheMinimum) {
    a1.SetSize("SectionShape_Circular", 250, 250);
    TestPipe half = Pipe(b, {20, -10}, {20, 10}, 10.75, 10.75);  // clearance 0.5
    TestPipe less = Pipe(b, {30, -10}, {30, 10}, 10.74, 10.74);  // 0.49
    NetworkBuilder c(*doc, "C");
    TestPipe c1 = Pipe(c, {35, -10}, {35, 10}, 10.2, 10.2);  // 0
    Build({a1});
    auto byPipe = [&](const TestPipe& p) {
        for (const auto& annotation : Annotations())
            if (RecordText(annotation, ce::kPipe2Id) == Ref(p.Id())) return annotation;
        return std::shared_ptr<acad::AcadBlockReference>();
    };
    auto shown = [&] {
        std::vector<bool> v;
        for (const TestPipe* p : {&b1, &half, &less, &c1}) v.push_back(byPipe(*p)->Visible());
        return v;
    };
    EXPECT_THAT(shown(), ElementsAre(false, false, true, true));  // minimum 0.5, every pair enabled
    SetCrossingEntry("-1;A;B");
    Apply();
    EXPECT_THAT(shown(), ElementsAre(true, true, true, false));
    SetCrossingEntry("0;A;B;A;C");
    Apply();
    EXPECT_THAT(shown(), ElementsAre(false, false, false, false));
    SetCrossingEntry("0.5;B;A");
    Apply();
    EXPECT_THAT(shown(), ElementsAre(false, false, true, false));
    EXPECT_TRUE(Leader(byPipe(less))->Visible());
}

TEST_F(CrossingSettings, ResettingPutsAMovedAndTurnedAnnotationBack) {
    Build({a1});
    auto annotation = Only();
    annotation->Move({0, 0, 0}, {7, -3, 0});
    annotation->Rotate(annotation->InsertionPoint(), 0.7);
    Leader(annotation)->SetEndPoint({1, 1, 0});
    doc->SetVariable("UCSXDIR", Variant(com::SafeArray::FromDoubles({-1, 0, 0})));
    doc->SetVariable("UCSYDIR", Variant(com::SafeArray::FromDoubles({0, -1, 0})));
    Apply(true);
    const double angle = 3.141592654;  // turned half way
    ExpectPoint(annotation->InsertionPoint(), 10 + 20 * std::cos(angle) - 20 * std::sin(angle),
                20 * std::sin(angle) + 20 * std::cos(angle));
    EXPECT_NEAR(annotation->Rotation(), angle, 1e-12);
    ExpectPoint(Leader(annotation)->StartPoint(), 10, 0);
    ExpectPoint(Leader(annotation)->EndPoint(), annotation->InsertionPoint()[0], annotation->InsertionPoint()[1]);
}

}  // namespace
