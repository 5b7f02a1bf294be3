// Points on lines and pipes, stations along them, angles and the coordinate system's
// correction, all in plan.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/general.h"
#include "tests/support/error_code.h"

namespace {

using com::CallType;
using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using testing_support::ErrorOf;

Variant Pt(double x, double y) { return Variant(SafeArray::FromDoubles({x, y, 0})); }
Variant List(const std::vector<double>& items) { return Variant(SafeArray::FromDoubles(items)); }

struct PlanGeometryTest : ::testing::Test {
    std::shared_ptr<acad::AcadDocument> doc = acad::NewDrawing();
    std::shared_ptr<fluvanet::General> general = std::make_shared<fluvanet::General>();

    std::shared_ptr<acad::AcadLWPolyline> Pipe(const std::vector<double>& vertices) {
        return doc->ModelSpace()->AddLightWeightPolyline(vertices);
    }
    // The point at a station, checked to be three reals with z 0.
    std::vector<double> At(const std::vector<double>& vertices, double station) {
        Variant p = general->GetCoordinatesAtPipeStation(List(vertices), station);
        std::vector<double> xyz = p.Array().ToDoubles();
        EXPECT_EQ(p.Array().LBound(), 0);
        EXPECT_EQ(xyz.size(), 3u);
        if (xyz.size() == 3) {
            EXPECT_EQ(xyz[2], 0);
        }
        return xyz;
    }
};

TEST_F(PlanGeometryTest, InnerVertexBelongsToTheEarlierSegmentAndEndsAreTheirOwnCase) {
    auto pipe = Pipe({0, 0, 10, 0, 10, 5});
    Variant v(pipe);
    // Inner vertex: the first segment holds it with nothing beyond it.
    EXPECT_DOUBLE_EQ(general->GetStation(v, 10, 0), 10);
    EXPECT_EQ(general->PointIsOnPolyline(Pt(10, 0), *pipe), 2);
    EXPECT_EQ(general->GetNodeIndexOnPolyline(v, Pt(10, 0)), 1);
    // First and last vertex.
    EXPECT_EQ(general->PointIsOnPolyline(Pt(0, 0), *pipe), 1);
    EXPECT_EQ(general->PointIsOnPolyline(Pt(10.00004, 4.99996), *pipe), 1);
    EXPECT_DOUBLE_EQ(general->GetStation(v, 0, 0), 0);
    EXPECT_DOUBLE_EQ(general->GetStation(v, 10, 5), 15);
    EXPECT_EQ(general->GetNodeIndexOnPolyline(v, Pt(10, 5)), 2);
    EXPECT_DOUBLE_EQ(general->GetPointStationOnPolyline(List({0, 0, 10, 0, 10, 5}), Pt(10, 3)), 13);
    // On the second segment.
    EXPECT_DOUBLE_EQ(general->GetStation(v, 10, 2), 12);
    EXPECT_EQ(general->GetNodeIndexOnPolyline(v, Pt(10, 2)), 2);

    // Off a two-vertex pipe: the vertex count, station 0, not on it.
    auto straight = Pipe({0, 0, 10, 0});
    EXPECT_EQ(general->GetNodeIndexOnPolyline(Variant(straight), Pt(5, 1)), 2);
    EXPECT_EQ(general->GetStation(Variant(straight), 5, 1), 0);
    EXPECT_EQ(general->GetPointStationOnPolyline(List({0, 0, 10, 0}), Pt(5, 1)), 0);
    EXPECT_EQ(general->PointIsOnPolyline(Pt(5, 1), *straight), 0);
    EXPECT_FALSE(general->CheckPointOnPolyline(Pt(5, 1), Variant(straight)));
    // Past the end on the segment's line is not on it.
    EXPECT_EQ(general->PointIsOnPolyline(Pt(11, 0), *straight), 0);
}

TEST_F(PlanGeometryTest, ArcSegmentsHoldThePointsOfTheirSweepAndMeasureAlongThemselves) {
    // A half circle about (5, 0) of radius 5, counter-clockwise below its chord, then 5 up.
    const double pi = std::acos(-1.0);
    auto pipe = Pipe({0, 0, 10, 0, 10, 5});
    pipe->SetBulge(0, 1);
    Variant v(pipe);
    EXPECT_NEAR(general->GetStation(v, 5, -5), 2.5 * pi, 1e-12);
    EXPECT_NEAR(general->GetStation(v, 5 + 5 / std::sqrt(2.0), -5 / std::sqrt(2.0)), 3.75 * pi, 1e-12);
    EXPECT_TRUE(general->CheckPointOnPolyline(Pt(5, -5), v));
    EXPECT_EQ(general->PointIsOnPolyline(Pt(5, -5), *pipe), 2);
    EXPECT_EQ(general->GetNodeIndexOnPolyline(v, Pt(5, -5)), 1);
    // The inner vertex ends the arc; the stations beyond it and the end agree with Length.
    EXPECT_NEAR(general->GetStation(v, 10, 0), 5 * pi, 1e-12);
    EXPECT_EQ(general->GetNodeIndexOnPolyline(v, Pt(10, 0)), 1);
    EXPECT_NEAR(general->GetStation(v, 10, 3), 5 * pi + 3, 1e-12);
    EXPECT_EQ(general->GetNodeIndexOnPolyline(v, Pt(10, 3)), 2);
    EXPECT_DOUBLE_EQ(general->GetStation(v, 10, 5), pipe->Length());

    // Neither the chord nor the circle's other half belongs to the arc.
    for (Variant off : {Pt(5, 0), Pt(5, 5)}) {
        EXPECT_EQ(general->GetStation(v, off.Array().ToDoubles()[0], off.Array().ToDoubles()[1]), 0);
        EXPECT_FALSE(general->CheckPointOnPolyline(off, v));
        EXPECT_EQ(general->PointIsOnPolyline(off, *pipe), 0);
        EXPECT_EQ(general->GetNodeIndexOnPolyline(v, off), 3);
    }
    // Off the circle by a few hundred-thousandths: on it at four decimals, not at eight.
    EXPECT_EQ(general->PointIsOnPolyline(Pt(5, -5.00004), *pipe), 2);
    EXPECT_FALSE(general->CheckPointOnPolyline(Pt(5, -5.00004), v));
    EXPECT_EQ(general->PointIsOnPolyline(Pt(5, -5.00006), *pipe), 0);

    // Clockwise: the half circle above the chord.
    auto clockwise = Pipe({0, 0, 10, 0});
    clockwise->SetBulge(0, -1);
    EXPECT_NEAR(general->GetStation(Variant(clockwise), 5 - 5 / std::sqrt(2.0), 5 / std::sqrt(2.0)), 1.25 * pi,
                1e-12);
    EXPECT_FALSE(general->CheckPointOnPolyline(Pt(5, -5), Variant(clockwise)));
}

TEST_F(PlanGeometryTest, FourDecimalTestsAcceptAMillimetreOffWhereEightDoNot) {
    auto pipe = Pipe({0, 0, 10, 0});
    Variant v(pipe);
    // |PA| + |PB| = 10.0000002: equal to 10 at four decimals, not at eight.
    EXPECT_NEAR(general->GetStation(v, 5, 0.001), 5.0000001, 1e-12);
    EXPECT_EQ(general->PointIsOnPolyline(Pt(5, 0.001), *pipe), 2);
    EXPECT_EQ(general->GetNodeIndexOnPolyline(v, Pt(5, 0.001)), 1);
    EXPECT_FALSE(general->CheckPointOnPolyline(Pt(5, 0.001), v));
    EXPECT_TRUE(general->CheckPointOnPolyline(Pt(5, 0), v));
    // Ends compared coordinate by coordinate at four decimals.
    EXPECT_EQ(general->PointIsOnPolyline(Pt(-0.00004, 0.00004), *pipe), 1);
    EXPECT_EQ(general->PointIsOnPolyline(Pt(-0.0001, 0), *pipe), 0);
}

TEST_F(PlanGeometryTest, ALineHoldsThePointsOfItsPlanTraceWhateverItsSlope) {
    auto sloped = doc->ModelSpace()->AddLine({0, 0, 0}, {3, 4, 12});  // 5 in plan, 13 in space
    Variant v(sloped);
    EXPECT_TRUE(general->CheckPointOnLine(Pt(1.5, 2), v));
    EXPECT_TRUE(general->CheckPointOnLine(List({3, 4}), v)) << "a two-item array is a point";
    EXPECT_FALSE(general->CheckPointOnLine(Pt(1.5, 2.001), v));
    EXPECT_FALSE(general->CheckPointOnLine(Pt(6, 8), v));
}

TEST_F(PlanGeometryTest, PointsAtStationsWalkRoundedLengths) {
    const std::vector<double> bend{0, 0, 10, 0, 10, 5};
    EXPECT_EQ(At(bend, 10), (std::vector<double>{10, 0, 0}));
    EXPECT_EQ(At(bend, 12.5), (std::vector<double>{10, 2.5, 0}));
    EXPECT_EQ(At(bend, 0), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(At(bend, -5), (std::vector<double>{-5, 0, 0})) << "before the start, on the first segment's line";
    EXPECT_EQ(At(bend, 15), (std::vector<double>{10, 5, 0}));
    EXPECT_EQ(At(bend, 16), (std::vector<double>{0, 0, 0})) << "beyond the end there is no point";

    // A zero-length segment counts as a millionth.
    std::vector<double> xyz = At({0, 0, 0, 0, 10, 0}, 5);
    EXPECT_NEAR(xyz[0], 4.999999, 1e-12);
    EXPECT_EQ(xyz[1], 0);

    // Segments of 1.00000004 count as 1 each: the pipe's own length lies just past the
    // sum, and is still its end.
    const double l = 1.00000004;
    std::vector<double> shortSum{0, 0, l, 0, l, l};
    auto pipe = Pipe(shortSum);
    double length = general->GetStation(Variant(pipe), l, l);
    EXPECT_NEAR(length, 2 * l, 1e-15);
    EXPECT_EQ(At(shortSum, length), (std::vector<double>{l, l, 0}));
    EXPECT_EQ(At(shortSum, 2 + 0.9e-6), (std::vector<double>{l, l, 0}));
    EXPECT_EQ(At(shortSum, 2 + 1.1e-6), (std::vector<double>{0, 0, 0}));
    // A list without a segment has no point at all.
    EXPECT_EQ(At({3, 4}, 0), (std::vector<double>{0, 0, 0}));
}

TEST_F(PlanGeometryTest, DirectionAnglesUseTheDecimalConstants) {
    EXPECT_EQ(general->GetAngleFromDelta(0, 0), 1.570796327);
    EXPECT_EQ(general->GetAngleFromDelta(0, -1), 4.712388981);
    EXPECT_EQ(general->GetAngleFromDelta(-1, 0), 3.141592654);
    EXPECT_EQ(general->GetAngleFromDelta(1, 0), 0);
    EXPECT_NEAR(general->GetAngleFromDelta(-1, 1), 3.141592654 - std::atan(1.0), 1e-15);
    EXPECT_NEAR(general->GetAngleFromDelta(-1, -1), 3.141592654 + std::atan(1.0), 1e-15);
    EXPECT_NEAR(general->GetAngleFromDelta(1, -1), 6.283185308 - std::atan(1.0), 1e-15);
    EXPECT_NEAR(general->GetAngleFromDelta(1, -1), 5.497787145, 1e-9);
}

TEST_F(PlanGeometryTest, CorrectionAngleTurnsHalfWayForASystemSeenFromBelow) {
    auto ucs = [&](std::vector<double> x, std::vector<double> y) {
        doc->SetVariable("UCSXDIR", List(x));
        doc->SetVariable("UCSYDIR", List(y));
        return general->GetCorrectionAngleForCS(*doc);
    };
    EXPECT_EQ(general->GetCorrectionAngleForCS(*doc), 0);
    EXPECT_EQ(ucs({1, 0, 0}, {0, -1, 0}), 3.141592654);
    EXPECT_EQ(ucs({0, 1, 0}, {-1, 0, 0}), 1.570796327);
    // Not brought back below a full turn.
    EXPECT_NEAR(ucs({-1, 0, 0}, {0, 1, 0}), 6.283185308, 1e-12);
    // A y axis the host's quarter turn on, give or take rounding, is not seen from below.
    double a = 0.3;
    EXPECT_NEAR(ucs({std::cos(a), std::sin(a), 0}, {-std::sin(a), std::cos(a), 0}), a, 1e-12);
}

TEST_F(PlanGeometryTest, RoundUpIsTheCeilingWithinThirtyTwoBits) {
    EXPECT_EQ(general->RoundUp(3), 3);
    EXPECT_EQ(general->RoundUp(3.0000001), 4);
    EXPECT_EQ(general->RoundUp(-2.5), -2);
    EXPECT_EQ(general->RoundUp(2147483646.5), 2147483647);
    EXPECT_EQ(ErrorOf([&] { general->RoundUp(2147483647.5); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([&] { general->RoundUp(3e9); }), ErrorCode::Overflow);
    EXPECT_EQ(general->RoundUp(-2147483648.0), -2147483647 - 1);
}

TEST_F(PlanGeometryTest, VertexListsOfAnyLengthOnlyTheIndexHandedBackIsSixteenBit) {
    std::vector<double> items;
    for (int i = 0; i < 33000; ++i) {
        items.push_back(i);
        items.push_back(0);
    }
    // A pipe's own vertices take any length; the host's arrays keep 16-bit indices.
    EXPECT_EQ(ErrorOf([&] { general->GetPointStationOnPolyline(List(items), Pt(32990, 0)); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([&] { general->GetCoordinatesAtPipeStation(List(items), 32990.5); }), ErrorCode::Overflow);
    auto pipe = Pipe(items);
    EXPECT_DOUBLE_EQ(general->GetStation(Variant(pipe), 32990, 0), 32990);
    EXPECT_EQ(general->PointIsOnPolyline(Pt(32990.5, 0), *pipe), 2);
    items.resize(32766);
    EXPECT_EQ(At(items, 16381.5), (std::vector<double>{16381.5, 0, 0}));
    EXPECT_EQ(general->GetNodeIndexOnPolyline(Variant(pipe), Pt(32766.5, 0)), 32767);
    // The index goes back as a 16-bit integer.
    EXPECT_EQ(ErrorOf([&] { general->GetNodeIndexOnPolyline(Variant(pipe), Pt(32767.5, 0)); }), ErrorCode::Overflow);
}

TEST_F(PlanGeometryTest, LateBoundCallsReadEntitiesByName) {
    auto pipe = Pipe({0, 0, 10, 0});
    auto circle = doc->ModelSpace()->AddCircle({0, 0, 0}, 1);
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {10, 0, 0});
    Variant point = Pt(4, 0);
    EXPECT_EQ(vb::CallByName(general, "CheckPointOnPolyline", CallType::Method, point, Variant(pipe)), Variant(true));
    EXPECT_EQ(vb::CallByName(general, "PointIsOnPolyline", CallType::Method, point, Variant(pipe)),
              Variant(int16_t{2}));
    EXPECT_EQ(vb::CallByName(general, "GetStation", CallType::Method, Variant(pipe), 4.0, 0.0), Variant(4.0));
    EXPECT_EQ(vb::CallByName(general, "GetCoordinatesAtPipeStation", CallType::Method, List({0, 0, 10, 0}), 4.0)
                  .Array()
                  .ToDoubles(),
              (std::vector<double>{4, 0, 0}));
    EXPECT_EQ(vb::CallByName(general, "RoundUp", CallType::Method, 1.5), Variant(int32_t{2}));
    EXPECT_EQ(point, Pt(4, 0)) << "arguments are not changed";

    // Objects without the properties, and things that are not objects.
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(general, "GetStation", CallType::Method, Variant(circle), 0.0, 0.0); }),
              ErrorCode::NotApplicable);
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(general, "PointIsOnPolyline", CallType::Method, point, Variant(line)); }),
              ErrorCode::NotApplicable);
    EXPECT_EQ(ErrorOf([&] { general->CheckPointOnLine(point, Variant(pipe)); }), ErrorCode::NotApplicable);
    EXPECT_EQ(ErrorOf([&] { general->CheckPointOnPolyline(point, Variant(2.0)); }), ErrorCode::ObjectRequired);
    EXPECT_EQ(ErrorOf([&] {
                  vb::CallByName(general, "PointIsOnPolyline", CallType::Method, point, Variant::Nothing());
              }),
              ErrorCode::ObjectRequired);
    EXPECT_EQ(ErrorOf([&] { general->GetStation(Variant::Nothing(), 0, 0); }), ErrorCode::ObjectVariableNotSet);
    EXPECT_EQ(ErrorOf([&] { general->CheckPointOnPolyline(List({4}), Variant(pipe)); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { general->GetPointStationOnPolyline(Variant("0;0;10;0"), point); }),
              ErrorCode::TypeMismatch);
}

}  // namespace
