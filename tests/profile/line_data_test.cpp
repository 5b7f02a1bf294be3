// What a profile part shows along its pipes: node data with the pipes met there, the
// ground line from a surface or the node levels, crossings, coordinates and pipe data at
// regular stations.

#include <cmath>

#include "platform/civil.h"
#include "platform/vb_text.h"
#include "profile/parts_data.h"
#include "profile/profile.h"
#include "tests/crossing/crossing_drawing.h"

namespace {

using namespace crossing_testing;
using com::ObjectPtr;

// A plane z = 100 + x / 10 for x from -100 to 200, y from -100 to 100.
std::shared_ptr<civil::AeccDocument> GroundDocument() {
    auto civilDoc = std::make_shared<civil::AeccDocument>();
    auto ground = civilDoc->Surfaces()->Add("Ground");
    ground->AddTriangle({-100, -100, 90}, {200, -100, 120}, {200, 100, 120});
    ground->AddTriangle({-100, -100, 90}, {200, 100, 120}, {-100, 100, 90});
    return civilDoc;
}

class LineData : public CrossingDrawing {
protected:
    TestPipe Line(geom::Point2 from, geom::Point2 to, const std::vector<geom::Point2>& inner = {}) {
        return Pipe(a, from, to, 0, 0, inner);
    }
    std::string GroundLine(const TestPipe& p, const ObjectPtr& aecc, int16_t direction = 0,
                           const std::string& units = "Metric", const std::string& surface = "Ground") {
        return profile.GetGroundLineStringForProfile(aecc, *p.polyline, true, surface, 101.5, 99.25, 10, units,
                                                     direction);
    }
    std::string Coordinates(const TestPipe& p, double partStart, double profileStart, int16_t index,
                            int16_t direction, int16_t atStations, int16_t atNodes, int16_t atVertices,
                            double interval) {
        return profile.GetCoordinatesStringForProfile(*p.polyline, partStart, profileStart, index, direction,
                                                      atStations, atNodes, atVertices, interval);
    }

    std::shared_ptr<civil::AeccDocument> civilDoc = GroundDocument();
    ObjectPtr aecc = civilDoc;
    fluvanet::Profile profile;
};

TEST_F(LineData, GroundLineSamplesEveryStepAndTheEnd) {
    EXPECT_EQ(GroundLine(Line({0, 0}, {7.5, 0}), aecc), ";10;100;13;100.3;16;100.6;17.5;100.75");
    EXPECT_EQ(GroundLine(Line({0, 0}, {9, 0}), aecc), ";10;100;13;100.3;16;100.6;19;100.9");
    // Against the profile the samples run from the stored end.
    EXPECT_EQ(GroundLine(Line({0, 0}, {9, 0}), aecc, 1), ";10;100.9;13;100.6;16;100.3;19;100");
    EXPECT_EQ(GroundLine(Line({0, 0}, {25, 0}), aecc, 0, "US"), ";10;100;20;101;30;102;35;102.5");
}

TEST_F(LineData, AnyFailingSampleGivesTheNodeLevelsAsPassed) {
    const std::string fallback = ";10;101.5;25;99.25";
    TestPipe edge = Line({190, 0}, {205, 0});  // its last samples lie off the surface
    EXPECT_EQ(GroundLine(edge, aecc), fallback);
    TestPipe inside = Line({0, 0}, {15, 0});
    EXPECT_EQ(GroundLine(inside, nullptr), fallback);
    EXPECT_EQ(GroundLine(inside, aecc, 0, "Metric", "Other"), fallback);
    civilDoc->SetSurfacesFail(true);
    EXPECT_EQ(GroundLine(inside, aecc), fallback);
    EXPECT_EQ(profile.GetGroundLineStringForProfile(GroundDocument(), *inside.polyline, false, "Ground", 101.5, 99.25,
                                                    10, "Metric", 0),
              fallback);
}

TEST_F(LineData, NodeDataListsThePipesMetThereWithTheirInvertAtTheNode) {
    auto chain = a.AddChain({{0, 0}, {10, 0}, {20, 0}});
    TestNode side = a.AddNode(10, 10);
    TestPipe out = a.AddPipe(chain.nodes[1], side);  // starts at the node: its [9]
    out.SetInverts(99.5, 99.25).SetSize("SectionShape_Box", 1000, 600, 2);
    TestPipe in = a.AddPipe(a.AddNode(10, -10), chain.nodes[1]);  // ends there: its [10]
    in.SetInverts(100.5, 100.25);
    chain.nodes[1].SetGround(103.5).SetSump(99.125);
    std::string chainPipes = ";" + chain.pipes[0].Id() + ";" + chain.pipes[1].Id();

    auto data = profile.GetNodeDataForProfile(*doc, aecc, chain.nodes[1].Id(), false, "Ground", chainPipes);
    EXPECT_THAT(data, ElementsAre("N-2", "103.5", "99.125", ";99.5;1;1000;600;2;100.25;0;200;200;1"));
    EXPECT_EQ(profile.IncludedDistanceInConnectedPipesString(data[3], 12.5),
              ";12.5;99.5;1;1000;600;2;12.5;100.25;0;200;200;1");

    // The surface gives the ground at the insertion point; off it the node's own level stands.
    data = profile.GetNodeDataForProfile(*doc, aecc, chain.nodes[1].Id(), true, "Ground", chainPipes);
    EXPECT_EQ(data[1], "101");
    TestNode far = a.AddNode(500, 0);
    far.SetGround(97.5);
    EXPECT_EQ(profile.GetNodeDataForProfile(*doc, aecc, far.Id(), true, "Ground", "")[1], "97.5");
    EXPECT_EQ(profile.GetNodeDataForProfile(*doc, nullptr, far.Id(), true, "Ground", "")[1], "97.5");

    // Exclusion compares whole identifiers: a prefix of one keeps its pipe.
    std::string prefix = out.Id().substr(0, out.Id().size() - 1);
    data = profile.GetNodeDataForProfile(*doc, aecc, chain.nodes[1].Id(), false, "", chainPipes + ";" + prefix + ";" +
                                                                                     in.Id());
    EXPECT_EQ(data[3], ";99.5;1;1000;600;2");
    EXPECT_EQ(profile.GetNodeDataForProfile(*doc, aecc, chain.nodes[0].Id(), false, "", chainPipes)[3], "");

    EXPECT_EQ(ErrorOf([&] { profile.IncludedDistanceInConnectedPipesString(";1;0;200;200", 0); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { profile.GetNodeDataForProfile(*doc, aecc, out.Id(), false, "", ""); }),
              ErrorCode::TypeMismatch);
}

TEST_F(LineData, NeighbourPartsGiveTheirBoundaryPipes) {
    std::vector<std::string> parts{";1;2", ";3;4;5", ";6"};
    EXPECT_EQ(profile.GetConnectedOtherPartsPipes(0, parts), ";3");
    EXPECT_EQ(profile.GetConnectedOtherPartsPipes(1, parts), ";6;2");
    EXPECT_EQ(profile.GetConnectedOtherPartsPipes(2, parts), ";5");
    EXPECT_EQ(profile.GetConnectedOtherPartsPipes(0, {";1;2"}), "");
    EXPECT_EQ(ErrorOf([&] { profile.GetConnectedOtherPartsPipes(3, parts); }), ErrorCode::SubscriptOutOfRange);

    // The part index is a subscript of the host's array, whatever its lower bound.
    auto late = std::make_shared<fluvanet::Profile>();
    com::SafeArray oneToThree(com::VarType::String, {com::ArrayBound{1, 3}});
    for (int32_t i = 1; i <= 3; ++i) oneToThree.Put(i, Variant(parts[static_cast<std::size_t>(i - 1)]));
    auto neighbours = [&](int16_t part) {
        return vb::CallByName(late, "GetConnectedOtherPartsPipes", com::CallType::Method, part, Variant(oneToThree));
    };
    EXPECT_EQ(neighbours(1), Variant(";3"));
    EXPECT_EQ(neighbours(2), Variant(";6;2"));
    EXPECT_EQ(neighbours(3), Variant(";5"));
    EXPECT_EQ(ErrorOf([&] { neighbours(0); }), ErrorCode::SubscriptOutOfRange);
}

TEST_F(LineData, CrossingsComeFromTheAnnotationsSortedByStation) {
    TestPipe main = Pipe(a, {0, 0}, {10, 0}, 100, 99);
    Pipe(b, {2, -5}, {2, 5}, 98, 97);
    Pipe(b, {6, -5}, {6, 5}, 96, 95).SetSize("SectionShape_Box", 1000, 600, 2);
    Build({main});
    ASSERT_EQ(Annotations().size(), 2u);
    std::string annotations = RecordText(main.polyline, pe::kCrossingIds);

    EXPECT_EQ(profile.GetCrossingStringForProfile(*doc, annotations, *main.polyline, 30, 0),
              ";32;97.5;0;200;200;1;B;36;95.5;1;1000;600;2;B");
    // Against the profile a crossing 2 from the stored start lies 8 along a pipe of 10.
    EXPECT_EQ(profile.GetCrossingStringForProfile(*doc, annotations, *main.polyline, 0, 1),
              ";4;95.5;1;1000;600;2;B;8;97.5;0;200;200;1;B");
    EXPECT_EQ(profile.GetCrossingStringForProfile(*doc, "", *main.polyline, 0, 0), "");
}

TEST_F(LineData, CrossingSortIsStableByNumberAndChecksItsGroups) {
    EXPECT_EQ(profile.SortCrossingPipesString(";5;a;1;2;3;4;X;2000000;b;1;2;3;4;Y;5;c;1;2;3;4;Z;0.5;d;1;2;3;4;W"),
              ";0.5;d;1;2;3;4;W;5;a;1;2;3;4;X;5;c;1;2;3;4;Z;2000000;b;1;2;3;4;Y");
    EXPECT_EQ(profile.SortCrossingPipesString(""), "");
    EXPECT_EQ(ErrorOf([&] { profile.SortCrossingPipesString(";5;a;1;2;3;4;X;6"); }), ErrorCode::SubscriptOutOfRange);

    // No length in plan: the level is its start invert.
    TestPipe zero = Pipe(b, {3, 3}, {3, 3}, 98, 97);
    Variant point(com::SafeArray::FromDoubles({3, 3}));
    EXPECT_EQ(vb::Split(profile.GetCrossingPipeDataForProfile(*doc, zero.Id(), point), ";").at(1), "98");
}

TEST_F(LineData, CoordinatesAtStationsNodesAndVertices) {
    TestPipe p = Line({0, 0}, {45, 0});
    EXPECT_EQ(Coordinates(p, 0, 0, 1, 0, 1, 0, 0, 20), ";0;0;0;20;20;0;40;40;0");
    EXPECT_EQ(Coordinates(p, 5, 35, 2, 0, 1, 1, 0, 20), ";10;5;0;30;25;0;50;45;0;50;45;0");
    EXPECT_EQ(Coordinates(p, 0, 0, 1, 1, 0, 1, 0, 0), ";0;45;0;45;0;0");

    TestPipe bent = Line({0, 0}, {10, 10}, {{10, 0}});
    EXPECT_EQ(Coordinates(bent, 100, 300, 1, 0, 0, 0, 1, 0), ";110;10;0");
    EXPECT_EQ(Coordinates(bent, 100, 300, 1, 1, 0, 1, 1, 0), ";100;10;10;120;0;0;110;10;0");

    // The last station lands on the end, though the rounded segments sum short of it.
    TestPipe fine = Line({0, 0}, {3.00000012, 0}, {{1.00000004, 0}, {2.00000008, 0}});
    EXPECT_EQ(Coordinates(fine, 0, 0, 1, 0, 1, 0, 0, 3.0000001), ";0;0;0;3.0000001;3.00000012;0");

    for (double interval : {0.0, -20.0, std::nan(""), HUGE_VAL})
        EXPECT_EQ(ErrorOf([&] { Coordinates(p, 0, 0, 1, 0, 1, 0, 0, interval); }), ErrorCode::InvalidProcedureCall);
    // More stations than a 16-bit count, or an interval too small to move on, never ended.
    for (double interval : {45.0 / 32768.5, 1e-9, 4.9e-324})
        EXPECT_EQ(ErrorOf([&] { Coordinates(p, 0, 0, 1, 0, 1, 0, 0, interval); }), ErrorCode::Overflow) << interval;
    EXPECT_EQ(ErrorOf([&] {
                  profile.GetPipeDataAtStationsArray(aecc, *p.polyline, 0, 0, 0, 4.9e-324, 0, 0, 0, 0, false, "", 0);
              }),
              ErrorCode::Overflow);
    EXPECT_EQ(Coordinates(p, 0, 0, 1, 0, 0, 0, 0, 0), "");
}

TEST_F(LineData, StationsRunAlongArcsInEitherDirection) {
    // A half circle about (10, 0) of radius 10 below its chord, then 10 straight on.
    const double pi = std::acos(-1.0), arc = 10 * pi;
    TestPipe p = Pipe(a, {0, 0}, {30, 0}, 100, 99, {{20, 0}});
    p.polyline->SetBulge(0, 1);
    auto numbers = [](const std::string& text) {
        std::vector<double> values;
        for (const std::string& item : fluvanet::refs::LeadingItems(text)) values.push_back(vb::Val(item));
        return values;
    };
    // First stations are rounded to 7 decimals, and the points with them.
    auto near = [](std::vector<double> actual, std::vector<double> expected) {
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-7) << i;
    };
    // Stations every half arc: its bottom, then the inner vertex; then the vertex itself.
    near(numbers(Coordinates(p, 0, 0, 1, 0, 1, 0, 1, arc / 2)),
         {0, 0, 0, arc / 2, 10, -10, arc, 20, 0, arc, 20, 0});
    // Against the profile the straight part comes first.
    near(numbers(Coordinates(p, 0, 0, 1, 1, 1, 0, 1, 10 + arc / 2)),
         {0, 30, 0, 10 + arc / 2, 10, -10, 10, 20, 0});
    auto data = profile.GetPipeDataAtStationsArray(aecc, *p.polyline, 0, 0, 0, arc / 2, 0, 0, 100, 99, true,
                                                   "Ground", 0);
    near(numbers(data[1]), {arc / 2, 101, arc, 102});

    TestPipe storm = Pipe(b, {10, -20}, {10, -5}, 98, 97);
    Build({storm});
    const std::string annotations = RecordText(p.polyline, pe::kCrossingIds);
    const double length = vb::Round(arc + 10, 7), s = vb::Round(arc / 2, 7);
    auto first = [&](const std::string& text) { return vb::Val(vb::Split(text, ";").at(1)); };
    EXPECT_NEAR(first(profile.GetCrossingStringForProfile(*doc, annotations, *p.polyline, 0, 0)), s, 1e-12);
    EXPECT_NEAR(first(profile.GetCrossingStringForProfile(*doc, annotations, *p.polyline, 0, 1)), length - s, 1e-12);
    Variant point(com::SafeArray::FromDoubles({10, -10}));
    EXPECT_NEAR(first(profile.GetCrossingPipeDataForProfile(*doc, p.Id(), point)),
                vb::Round(100 - (arc / 2) / (arc + 10), 5), 1e-12);
}

TEST_F(LineData, PipeDataAtStationsInterpolatesOrTakesTheSurface) {
    TestPipe p = Line({0, 0}, {45, 0});
    auto data = profile.GetPipeDataAtStationsArray(aecc, *p.polyline, 35, 35, 0, 20, 103, 102.1, 100, 99.1, false,
                                                   "Ground", 0.2);
    EXPECT_THAT(data, ElementsAre(";40;99.9;60;99.5;80;99.1", ";40;102.9;60;102.5;80;102.1", ";40;3;60;3;80;3",
                                  ";40;2.8;60;2.8;80;2.8"));

    // Per station: the last one lies off the surface and takes the line between the nodes.
    TestPipe edge = Line({180, 0}, {210, 0});
    data = profile.GetPipeDataAtStationsArray(aecc, *edge.polyline, 0, 0, 0, 10, 118, 121, 116, 115, true, "Ground",
                                              0.5);
    EXPECT_EQ(data[1], ";10;119;20;120;30;121");
    EXPECT_EQ(data[0], ";10;115.66667;20;115.33333;30;115");
    EXPECT_EQ(data[3], ";10;2.83333;20;4.16667;30;5.5");

    EXPECT_EQ(ErrorOf([&] {
                  profile.GetPipeDataAtStationsArray(aecc, *p.polyline, 0, 0, 0, 0, 0, 0, 0, 0, false, "", 0);
              }),
              ErrorCode::InvalidProcedureCall);
    TestPipe zero = Line({5, 5}, {5, 5});
    EXPECT_THAT(profile.GetPipeDataAtStationsArray(aecc, *zero.polyline, 0, 19.99999996, 0, 20, 103, 102, 100, 99,
                                                   false, "", 0),
                ElementsAre(";0;100", ";0;103", ";0;3", ";0;3"));
}

}  // namespace
