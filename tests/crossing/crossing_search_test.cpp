// Finding crossings between networks: which pipe pairs cross, the data of one crossing,
// repeats within a search and against the drawing's annotations.

#include "tests/crossing/crossing_drawing.h"

namespace {

using namespace crossing_testing;

class CrossingSearch : public CrossingDrawing {};

TEST_F(CrossingSearch, CrossingsAreDrawnAndFlaggedOnlyBetweenNetworks) {
    TestPipe a1 = Pipe(a, {0, 0}, {40, 0});
    TestPipe a2 = Pipe(a, {5, -5}, {5, 5});  // crosses a1 in its own network
    TestPipe b1 = Pipe(b, {10, -10}, {10, 10});
    AddProfileStyle(*doc, "Road");
    TestProfile profile = AddTestProfile(*doc, b, "L-1", "Road", {b1});

    Build({});
    Build({a2});
    EXPECT_THAT(Annotations(), IsEmpty());
    EXPECT_EQ(RecordText(profile.block, 15), "0");
    EXPECT_FALSE(general.CheckBlockExists(*doc, "Fluvamap_CrossingAnno_S1"));

    Build({a1, a2});
    auto annotation = Only();
    EXPECT_EQ(RecordText(annotation, ce::kCombinedLabel), "CPA;;AP-1BP-1Annotation");
    EXPECT_EQ(RecordText(profile.block, 15), "1");

    // With one network defined nothing is searched.
    auto lone = NewProjectDrawing();
    NetworkBuilder only(*lone, "A");
    TestPipe x = only.AddPipe(only.AddNode(0, 0), only.AddNode(10, 0));
    only.AddPipe(only.AddNode(5, -5), only.AddNode(5, 5));
    auto set = lone->SelectionSets()->Add("Picked");
    set->AddItems({x.polyline});
    crossing.BuildCrossingPointsAfterImporting(*lone, *set, "Metric");
    EXPECT_EQ(lone->SelectionSets()->Count(), 1);
}

TEST_F(CrossingSearch, TheCrossingCarriesInvertsRisesSizesAndClearance) {
    TestPipe a1 = Pipe(a, {0, 0}, {40, 0}, 10, 9);  // a quarter along at x = 10
    TestPipe b1 = Pipe(b, {10, -10}, {10, 10}, 12, 11);
    a1.SetSize("SectionShape_Circular", 300, 300);
    b1.SetSize("SectionShape_Box", 1000, 600, 2);
    std::vector<CrossPoint> found = Search({a1});
    ASSERT_EQ(found.size(), 1u);
    const CrossPoint& c = found[0];
    EXPECT_THAT((std::vector{c.Pipe1Net, c.Pipe1Label, c.Pipe2Net, c.Pipe2Label}), ElementsAre("A", "P-1", "B", "P-1"));
    EXPECT_EQ(std::make_pair(c.Pipe1OID, c.Pipe2OID), std::make_pair(a1.Id(), b1.Id()));
    EXPECT_EQ(std::make_pair(c.Easting, c.Northing), std::make_pair(10.0, 0.0));
    EXPECT_DOUBLE_EQ(c.Pipe1Invert, 9.75);
    EXPECT_DOUBLE_EQ(c.Pipe2Invert, 11.5);
    EXPECT_DOUBLE_EQ(c.Pipe1Rise, 0.3);
    EXPECT_DOUBLE_EQ(c.Pipe2Rise, 0.6);  // both shapes by 1000 in a "Metric" project
    EXPECT_DOUBLE_EQ(c.Clearance, 11.5 - 9.75 - 0.3);
    EXPECT_THAT((std::vector{c.Pipe1SizeString, c.Pipe2SizeString}), ElementsAre("%%c300", "2 (1000X600)"));
    EXPECT_FALSE(c.Duplicated);
}

TEST_F(CrossingSearch, RisesFollowTheUnitsAndEqualInvertsPutPipe2OnTop) {
    TestPipe circular = Pipe(a, {0, 0}, {10, 0}, 5, 5);
    TestPipe box = Pipe(b, {0, 5}, {10, 5}, 5, 5);
    circular.SetSize("SectionShape_Circular", 12, 12);
    box.SetSize("SectionShape_Box", 2, 2);
    auto single = [&](const std::string& units, std::vector<Variant> boxValues) {
        return crossing.GetSingleCrossPointData(circular.Record().ValuesVariant(),
                                                Variant(com::SafeArray::FromVariants(boxValues)), 0.5, 0.5, units);
    };
    const std::vector<Variant> values = box.Record().Values();
    CrossPoint us = single("US", values);
    EXPECT_EQ(std::make_pair(us.Pipe1Rise, us.Pipe2Rise), std::make_pair(1.0, 2.0));
    EXPECT_EQ(us.Clearance, 0);  // 5 - 5 - 1: pipe 2 counts as upper, floored
    EXPECT_EQ(single("metric", values).Pipe1Rise, 1.0);  // only "Metric" is metric
    EXPECT_DOUBLE_EQ(single("Metric", values).Pipe2Rise, 0.002);
    // Reals given as text read by their leading number.
    std::vector<Variant> texts = values;
    texts[pe::kStartInvert] = Variant("8.5m");
    texts[pe::kEndInvert] = Variant("8.5");
    EXPECT_DOUBLE_EQ(single("US", texts).Clearance, 8.5 - 5 - 1);
}

TEST_F(CrossingSearch, APairCrossingTwiceGivesOneRecordAtTheFirstPoint) {
    TestPipe loop = Pipe(a, {0, 0}, {0, 10}, 0, 0, {{20, 0}, {20, 10}});
    TestPipe down = Pipe(b, {10, 15}, {10, -5});
    // By the searched pipe's segment, then the other pipe's: (10, 0) from either side,
    // though the way down meets (10, 10) first.
    for (const TestPipe& searched : {loop, down}) {
        std::vector<CrossPoint> found = Search({searched});
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(std::make_pair(found[0].Easting, found[0].Northing), std::make_pair(10.0, 0.0));
    }
    // Both pipes searched: the pair once, as it was found first.
    std::vector<CrossPoint> both = Search({down, loop});
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both[0].Pipe1Net, "B");
    Build({loop, down});
    EXPECT_EQ(RecordText(Only(), ce::kPoint), "10;0");
}

TEST_F(CrossingSearch, ManyCrossingsComeInTheOtherNetworksOrderWhateverTheirSize) {
    TestPipe main = Pipe(a, {0, 500}, {1000, 500});
    // Short pipes all over, in no order of place, a tenth of them across the main; and one
    // pipe across the whole field.
    std::vector<std::string> crossed;
    for (int k = 0; k < 400; ++k) {
        const std::string n = std::to_string(k);
        if (k == 200) {
            b.AddPipe(b.AddNode(0, 0, "S-" + n), b.AddNode(1000, 1000, "E-" + n), "Long", {});
            crossed.push_back("Long");
            continue;
        }
        const double x = 5 + 10 * ((k * 37) % 97), y = k % 10 == 0 ? 500 : 10 + 2.5 * ((k * 53) % 389);
        b.AddPipe(b.AddNode(x, y - 1, "S-" + n), b.AddNode(x, y + 1, "E-" + n), "P-" + n, {});
        if (y == 500) crossed.push_back("P-" + n);
    }
    std::vector<std::string> found;
    for (const CrossPoint& c : Search({main})) found.push_back(c.Pipe2Label);
    EXPECT_EQ(found, crossed);
}

TEST_F(CrossingSearch, AnAnnotatedPairIsNeverAnnotatedAgain) {
    TestPipe a1 = Pipe(a, {0, 0}, {40, 0});
    TestPipe b1 = Pipe(b, {10, -10}, {10, 10});
    Build({a1});
    // B first this time; late-bound, the flag comes back in the caller's array.
    Variant found = com::ToVariant(Search({b1}));
    auto late = std::make_shared<fluvanet::Crossing>();
    Variant fresh = vb::CallByName(late, "CheckCrossingPointsDuplication", com::CallType::Method, Variant(doc), found);
    EXPECT_THAT(com::FromVariant<std::vector<CrossPoint>>(fresh), ElementsAre(CrossPoint{}));
    EXPECT_TRUE(com::FromVariant<std::vector<CrossPoint>>(found)[0].Duplicated);
    // The host's list keeps 16-bit indices: a longer one is left unmarked.
    std::vector<CrossPoint> many = Search({b1});
    many.resize(32768, many[0]);
    EXPECT_EQ(ErrorOf([&] { late->CheckCrossingPointsDuplication(*doc, many); }), ErrorCode::Overflow);
    EXPECT_FALSE(many[0].Duplicated);

    // Elsewhere on the pipes it is the same pair.
    for (int end : {pe::kStartNodeId, pe::kEndNodeId})
        acad::Cast<acad::AcadEntity>(fluvanet::ObjectFromId(*doc, fluvanet::refs::ReferenceKey(RecordText(b1.polyline, end))))
            ->Move({10, 0, 0}, {30, 0, 0});
    b1.polyline->Move({10, 0, 0}, {30, 0, 0});
    Build({a1, b1});
    EXPECT_EQ(Annotations().size(), 1u);
    TestPipe b2 = Pipe(b, {20, -10}, {20, 10});
    Build({a1, b1, b2});
    EXPECT_EQ(Annotations().size(), 2u);
}

TEST_F(CrossingSearch, NetworksAreGroupedByExactNameAndUndefinedOnesTakeNoPart) {
    NetworkBuilder total(*doc, "TotalSelectionSet");
    NetworkBuilder main(*doc, "Main");
    NetworkBuilder upper(*doc, "MAIN");
    TestPipe across = Pipe(a, {0, 0}, {50, 0});
    TestPipe t = Pipe(total, {10, -5}, {10, 5});
    TestPipe m = Pipe(main, {20, -5}, {20, 5});
    TestPipe u = Pipe(upper, {30, -5}, {30, 5});
    TestPipe ghost = Pipe(b, {40, -5}, {40, 5});
    SetRecordEntry(ghost.polyline, pe::kCombinedLabel, Variant("Pipe;Ghost;P-1"));

    std::vector<std::string> partners;
    for (const CrossPoint& c : Search({across, ghost})) partners.push_back(c.Pipe2Net);
    EXPECT_THAT(partners, ElementsAre("TotalSelectionSet", "Main", "MAIN"));

    // The sets are the library's own, one per definition row, whatever the networks' names.
    auto sets = crossing.GetNetworkSetsAll(*doc, general.GetNetworkDefinitions(*doc));
    ASSERT_EQ(sets.size(), 5u);
    EXPECT_EQ(sets[3]->Name(), "CrossingNetworkSet3");
    EXPECT_EQ(sets[3]->Members(), (std::vector<std::shared_ptr<acad::AcadEntity>>{m.polyline}));
    EXPECT_EQ(sets[1]->Count(), 0);  // "B": its one pipe names an undefined network
    // The host's table keeps 16-bit indices: a longer one makes no set at all.
    const int32_t setsBefore = doc->SelectionSets()->Count();
    const Variant tooLong(com::SafeArray::Matrix(com::VarType::String, 32768, 2));
    EXPECT_EQ(ErrorOf([&] { crossing.GetNetworkSetsAll(*doc, tooLong); }), ErrorCode::Overflow);
    EXPECT_EQ(doc->SelectionSets()->Count(), setsBefore);
    std::vector<CrossPoint> viaSets = crossing.GetCrossPointsFromNetSetsAndPipeSet(*doc, sets, *Picked({u, ghost}));
    ASSERT_EQ(viaSets.size(), 1u);
    EXPECT_THAT((std::vector{viaSets[0].Pipe1Net, viaSets[0].Pipe2Net}), ElementsAre("MAIN", "A"));
}

TEST_F(CrossingSearch, ArcsCarryCrossingsAndLevelsAlongThemAndPipesOfNoLengthCrossNothing) {
    // An arc of radius 6.25 bulging 2.5 below its chord, then a straight 10.
    TestPipe arc = Pipe(a, {0, 0}, {20, 0}, 10, 0, {{10, 0}});
    arc.polyline->SetBulge(0, 0.5);
    const double arcLength = 6.25 * 4 * std::atan(0.5), length = arcLength + 10;
    ASSERT_NEAR(arc.polyline->Length(), length, 1e-12);
    TestPipe onArc = Pipe(b, {5, -10}, {5, 10});
    TestPipe onLine = Pipe(b, {15, -10}, {15, 10});
    std::vector<CrossPoint> found = Search({arc});
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].Pipe2OID, onArc.Id());
    EXPECT_NEAR(found[0].Easting, 5, 1e-12);
    EXPECT_NEAR(found[0].Northing, -2.5, 1e-12);
    EXPECT_NEAR(found[0].Pipe1Invert, 10 - 10 * (arcLength / 2) / length, 1e-9);
    // Beyond the arc the level is taken along it, not along its chord.
    EXPECT_EQ(found[1].Pipe2OID, onLine.Id());
    EXPECT_NEAR(found[1].Pipe1Invert, 10 - 10 * (arcLength + 5) / length, 1e-9);
    // Upkeep reads the same station.
    std::vector<std::string> data = crossing.GetCrossingDataOfPipe(*doc, *arc.polyline, {15, 0});
    EXPECT_NEAR(vb::Val(data[1]), found[1].Pipe1Invert, 1e-9);
    Build({arc});
    EXPECT_EQ(Annotations().size(), 2u);

    // Searched, or met by a search, a pipe of no length on the arc's line divided by its length.
    TestNode n = b.AddNode(12, 0);
    TestPipe point = b.AddPipe(n, n);
    EXPECT_EQ(Search({point})[0].Pipe1Label, "");
    EXPECT_EQ(Search({arc}).size(), 2u);
    Build({point});
    EXPECT_EQ(Annotations().size(), 2u);
}

}  // namespace
