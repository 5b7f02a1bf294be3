// Plan geometry: segment lengths and extents, intersections and transforms.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "platform/geometry.h"
#include "tests/support/error_code.h"

namespace {

using geom::Box;
using geom::Point2;
using geom::Segment;
using P3 = geom::Point3;
using testing_support::ErrorOf;
constexpr double kPi = std::numbers::pi;
const double kRoot2 = std::sqrt(2.0), kQuarter = std::tan(kPi / 8);  // bulge of a quarter circle

void ExpectBox(const Box& box, double minX, double minY, double maxX, double maxY) {
    ASSERT_TRUE(box.valid);
    for (auto [got, want] : {std::pair{box.minX, minX}, {box.minY, minY}, {box.maxX, maxX}, {box.maxY, maxY}})
        EXPECT_NEAR(got, want, 1e-12);
}

void ExpectPoints(const std::vector<Point2>& got, const std::vector<Point2>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_TRUE(std::abs(got[i].x - want[i].x) < 1e-12 && std::abs(got[i].y - want[i].y) < 1e-12)
            << i << ": " << got[i].x << ", " << got[i].y;
}

void ExpectNear(const P3& got, const P3& want) {
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], 1e-12) << i;
}

TEST(Geometry, BoxStartsAtTheFirstPointAndIgnoresInvalidBoxes) {
    Box box, other;
    box.Include(Box{});
    EXPECT_FALSE(box.valid);
    box.Include(Point2{5, -3});
    other.Include(Point2{-1, 2});
    box.Include(other);
    ExpectBox(box, -1, -3, 5, 2);
}

TEST(Geometry, ArcLengthsAndBoxes) {
    EXPECT_DOUBLE_EQ(geom::SegmentLength({{0, 0}, {3, 4}}), 5);
    EXPECT_DOUBLE_EQ(geom::SegmentLength({{1, 0}, {0, 1}, kQuarter}), kPi / 2);
    EXPECT_DOUBLE_EQ(geom::SegmentLength({{1, 0}, {0, 1}, -kQuarter}), kPi / 2);
    EXPECT_DOUBLE_EQ(geom::SegmentLength({{1, 0}, {-1, 0}, 1}), kPi);
    EXPECT_DOUBLE_EQ(geom::SegmentLength({{1, 0}, {0, -1}, 1 / kQuarter}), 3 * kPi / 2);
    EXPECT_DOUBLE_EQ(geom::SegmentLength({{0, 0}, {10, 0}, 1e-12}), 10);
    EXPECT_EQ(geom::SegmentLength({{2, 2}, {2, 2}, 1}), 0);

    ExpectBox(geom::SegmentBox({{1, 0}, {-1, 0}, 1}), -1, 0, 1, 1);
    ExpectBox(geom::SegmentBox({{1, 0}, {-1, 0}, -1}), -1, -1, 1, 0);
    ExpectBox(geom::SegmentBox({{1, 0}, {0, 1}, kQuarter}), 0, 0, 1, 1);
    ExpectBox(geom::SegmentBox({{1, 0}, {0, 1}, -1 / kQuarter}), -1, -1, 1,
              1);  // the other three quarters
    ExpectBox(geom::SegmentBox({{0, 0}, {2, 0}, kQuarter}), 0, 1 - kRoot2, 2, 0);
    ExpectBox(geom::SegmentBox({{11, 19}, {11, 21}, kQuarter}), 11, 19, 10 + kRoot2, 21);
}

TEST(Geometry, CircleAndEllipseBoxes) {
    ExpectBox(geom::CircleBox({1, 2}, 3), -2, -1, 4, 5);
    ExpectBox(geom::EllipseBox({1, 2}, {3, 0}, 0.5), -2, 0.5, 4, 3.5);
    ExpectBox(geom::EllipseBox({1, 2}, {0, 3}, 0.5), -0.5, -1, 2.5, 5);
    double h = std::sqrt(4.5 + 4.5 * 0.25);
    ExpectBox(geom::EllipseBox({0, 0}, {3 / kRoot2, 3 / kRoot2}, 0.5), -h, -h, h, h);
}

TEST(Geometry, SegmentIntersections) {
    const Segment x{{0, 0}, {10, 0}};
    ExpectPoints(geom::IntersectSegments({{0, 0}, {10, 10}}, {{0, 10}, {10, 0}}), {{5, 5}});
    ExpectPoints(geom::IntersectSegments(x, {{4, 0}, {4, 7}}), {{4, 0}});
    ExpectPoints(geom::IntersectSegments({{4, 7}, {4, 0}}, x), {{4, 0}});
    ExpectPoints(geom::IntersectSegments(x, {{10, 0}, {12, 5}}), {{10, 0}});
    ExpectPoints(geom::IntersectSegments(x, {{4, 1e-13}, {4, 7}}), {{4, 1e-13}});
    ExpectPoints(geom::IntersectSegments(x, {{4, 1e-6}, {4, 7}}), {});
    ExpectPoints(geom::IntersectSegments(x, {{11, -1}, {11, 1}}), {});
    // Collinear: the overlap ordered along the first segment, or the one shared
    // point.
    ExpectPoints(geom::IntersectSegments(x, {{8, 0}, {3, 0}}), {{3, 0}, {8, 0}});
    ExpectPoints(geom::IntersectSegments({{10, 0}, {0, 0}}, {{-5, 0}, {3, 0}}), {{3, 0}, {0, 0}});
    ExpectPoints(geom::IntersectSegments(x, {{15, 0}, {10, 0}}), {{10, 0}});
    ExpectPoints(geom::IntersectSegments(x, {{11, 0}, {15, 0}}), {});
    ExpectPoints(geom::IntersectSegments(x, {{0, 1}, {10, 1}}), {});
    ExpectPoints(geom::IntersectSegments({{3, 3}, {3, 3}}, {{0, 0}, {6, 6}}), {{3, 3}});
    ExpectPoints(geom::IntersectSegments({{0, 0}, {6, 6}}, {{3, 4}, {3, 4}}), {});
}

// The upper half of the circle of radius 10 about the origin, run counter-clockwise.
const Segment kUpper{{10, 0}, {-10, 0}, 1};
const double kRoot75 = std::sqrt(75.0);

TEST(Geometry, LinesMeetArcsInTheOrderOfTheFirstSegment) {
    const Segment across{{-20, 5}, {20, 5}};
    ExpectPoints(geom::IntersectSegments(across, kUpper), {{-kRoot75, 5}, {kRoot75, 5}});
    ExpectPoints(geom::IntersectSegments(kUpper, across), {{kRoot75, 5}, {-kRoot75, 5}});
    ExpectPoints(geom::IntersectSegments({{-10, 0}, {10, 0}, -1}, across), {{-kRoot75, 5}, {kRoot75, 5}});  // clockwise
    ExpectPoints(geom::IntersectSegments(kUpper, {{-20, -5}, {20, -5}}), {});  // the other half of the circle
    ExpectPoints(geom::IntersectSegments(kUpper, {{-5, 10}, {5, 10}}), {{0, 10}});  // touching
    ExpectPoints(geom::IntersectSegments(kUpper, {{-5, 10 + 1e-6}, {5, 10 + 1e-6}}), {});
    ExpectPoints(geom::IntersectSegments({{0, 0}, {0, 20}}, kUpper), {{0, 10}});
    ExpectPoints(geom::IntersectSegments({{0, 0}, {0, 9}}, kUpper), {});
    ExpectPoints(geom::IntersectSegments({{20, 0}, {10, 0}}, kUpper), {{10, 0}});  // the arc's start, as given
    ExpectPoints(geom::IntersectSegments({{0, 10}, {0, 10}}, kUpper), {{0, 10}});

    // Three quarters, from (10, 0) through (0, 10) and (-10, 0) to (0, -10).
    const Segment major{{10, 0}, {0, -10}, 1 / kQuarter};
    const Segment down{{-5, -20}, {-5, 20}};
    ExpectPoints(geom::IntersectSegments(major, down), {{-5, kRoot75}, {-5, -kRoot75}});
    ExpectPoints(geom::IntersectSegments(down, major), {{-5, -kRoot75}, {-5, kRoot75}});
    ExpectPoints(geom::IntersectSegments(major, {{5, -20}, {5, 20}}), {{5, kRoot75}});

    // Nearly straight: sagitta h * bulge to the right of the chord for a positive bulge.
    ExpectPoints(geom::IntersectSegments({{0, 0}, {10, 0}, 1e-13}, {{5, -1}, {5, 1}}), {{5, 0}});
    std::vector<Point2> flat = geom::IntersectSegments({{5, -1}, {5, 1}}, {{0, 0}, {10, 0}, 1e-4});
    ASSERT_EQ(flat.size(), 1u);
    EXPECT_NEAR(flat[0].y, -5e-4, 1e-15);
}

TEST(Geometry, ArcsMeetArcs) {
    // The lower half of the circle of radius 10 about (0, 10), from (-10, 10) through (0, 0).
    const Segment lower{{-10, 10}, {10, 10}, 1};
    ExpectPoints(geom::IntersectSegments(kUpper, lower), {{kRoot75, 5}, {-kRoot75, 5}});
    ExpectPoints(geom::IntersectSegments(lower, kUpper), {{-kRoot75, 5}, {kRoot75, 5}});
    // The upper half about (10, 0) meets it once; its lower half not at all.
    ExpectPoints(geom::IntersectSegments(kUpper, {{20, 0}, {0, 0}, 1}), {{5, kRoot75}});
    ExpectPoints(geom::IntersectSegments(kUpper, {{0, 0}, {20, 0}, 1}), {});
    // One circle: the ends of the overlap; the left half shares a quarter with the upper.
    ExpectPoints(geom::IntersectSegments(kUpper, {{0, 10}, {0, -10}, 1}), {{0, 10}, {-10, 0}});
    ExpectPoints(geom::IntersectSegments(kUpper, {{0, -10}, {10, 0}, kQuarter}), {{10, 0}});
    ExpectPoints(geom::IntersectSegments(kUpper, {{0, 1}, {0, -1}, 1}), {});  // the same centre only
}

TEST(Geometry, ArcCrossingsLieOnBothCirclesFarFromTheOrigin) {
    auto centreDistance = [](Point2 p, const Segment& s) {
        double k = s.bulge, dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
        double offset = (1 - k * k) / (4 * k);
        Point2 c{(s.a.x + s.b.x) / 2 - dy * offset, (s.a.y + s.b.y) / 2 + dx * offset};
        double r = std::hypot(dx, dy) * (1 + k * k) / (4 * std::abs(k));
        return std::abs(geom::Distance(p, c) - r);
    };
    const Segment arc{{300000.123, 5000000.456}, {300040.789, 5000012.321}, 0.3};
    const Segment other{{300010.5, 4999990.25}, {300035.75, 5000030.125}, -0.45};
    const Segment line{{300020.111, 4999980.222}, {300021.333, 5000040.444}};
    std::vector<Point2> withLine = geom::IntersectSegments(arc, line);
    ASSERT_EQ(withLine.size(), 1u);
    EXPECT_LT(centreDistance(withLine[0], arc), 1e-8);
    std::vector<Point2> withArc = geom::IntersectSegments(arc, other);
    ASSERT_FALSE(withArc.empty());
    for (Point2 p : withArc) EXPECT_LT(std::max(centreDistance(p, arc), centreDistance(p, other)), 1e-8);
}

TEST(Geometry, PathIntersectionsFollowTheFirstPathAndReportAVertexOnce) {
    // Both segments of the first path meet the line at their shared vertex.
    EXPECT_EQ(geom::IntersectPaths({{{0, 0}, {5, 5}}, {{5, 5}, {10, 0}}}, {{{5, 0}, {5, 10}}}),
              (std::vector<P3>{{5, 5, 0}}));
    // The line meets the vertical leg first; the first path reaches its base
    // first.
    std::vector<P3> found = geom::IntersectPaths({{{0, 0}, {10, 0}}, {{10, 0}, {10, 10}}}, {{{12, 6}, {6, -6}}});
    ASSERT_EQ(found.size(), 2u);
    ExpectNear(found[0], {9, 0, 0});
    ExpectNear(found[1], {10, 2, 0});
    EXPECT_TRUE(geom::IntersectPaths({{{0, 0}, {10, 0}}}, {{{0, 1}, {10, 1}}, {{10, 1}, {10, 5}}}).empty());
}

TEST(Geometry, CrossingsLieOnBothSegmentsAtDrawingPrecision) {
    auto round8 = [](double v) { return std::round(v * 1e8) / 1e8; };
    auto onSegment = [&](Point2 p, const Segment& s) {
        return round8(geom::Distance(p, s.a) + geom::Distance(p, s.b)) == round8(geom::Distance(s.a, s.b));
    };
    const std::pair<Segment, Segment> cases[] = {
        {{{100000.123456789, 200000.987654321}, {100731.111111111, 200123.456789012}},
         {{100400.333333333, 199700.777777777}, {100350.919191919, 200500.101010101}}},
        {{{123456.789012345, 654321.098765432}, {123466.789012345, 654331.198765432}},
         {{123466.000000001, 654321.333333333}, {123455.123456789, 654333.999999999}}},
        {{{-150000.314159265, 98765.4321}, {-149012.718281828, 98000.1234}},
         {{-149900.5, 97900.25}, {-149400.75, 98900.125}}},
        {{{100000.1, 100000.2}, {101000.3, 100000.7}}, {{100000.15, 100000.9}, {101000.25, 99999.95}}},
    };
    for (const auto& [s, t] : cases) {
        std::vector<Point2> found = geom::IntersectSegments(s, t);
        ASSERT_EQ(found.size(), 1u) << s.a.x;
        EXPECT_TRUE(onSegment(found[0], s) && onSegment(found[0], t)) << s.a.x;
    }
}

TEST(Geometry, TransformsKeepZ) {
    EXPECT_EQ(geom::Translate({1, 2, 3}, {10, 10, 10}, {13, 6, 11}), (P3{4, -2, 4}));
    ExpectNear(geom::RotateAbout({3, 1, 7}, {1, 1, 5}, kPi / 2), {1, 3, 7});
    ExpectNear(geom::RotateAbout({3, 1, 0}, {1, 1, 0}, -kPi / 4), {1 + kRoot2, 1 - kRoot2, 0});
    ExpectNear(geom::MirrorAbout({3, 0, 4}, {1, 1, 0}, {2, 2, 9}), {0, 3, 4});
    ExpectNear(geom::MirrorAbout({5, 7, 0}, {0, 2, 0}, {-4, 2, 0}), {5, -3, 0});
    EXPECT_EQ(ErrorOf([] { geom::MirrorAbout({1, 2, 0}, {3, 3, 0}, {3, 3, 8}); }), com::ErrorCode::InvalidInput);
}

}  // namespace
