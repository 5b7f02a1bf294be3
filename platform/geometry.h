#pragma once
// Plan geometry for the drawing stand-in: segments (straight or bulged, as lightweight
// polylines store them), their lengths and extents, intersections, and the transforms
// that Move, Rotate and Mirror apply.

#include <array>
#include <vector>

namespace geom {

using Point3 = std::array<double, 3>;

struct Point2 {
    double x = 0;
    double y = 0;
    bool operator==(const Point2&) const = default;
};

struct Box {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool valid = false;  // false until a point is included
    void Include(Point2 p);
    void Include(const Box& other);
};

// A polyline segment from a to b. bulge = tan(included angle / 4), positive counter-
// clockwise, 0 for a straight segment (the lightweight polyline convention).
struct Segment {
    Point2 a;
    Point2 b;
    double bulge = 0;
};

double SegmentLength(const Segment& s);  // arc length for a bulged segment
Box SegmentBox(const Segment& s);        // an arc's box includes its extreme points
Box CircleBox(Point2 center, double radius);
// majorAxis: vector from the centre to the end of the major axis; ratio = minor / major.
Box EllipseBox(Point2 center, Point2 majorAxis, double ratio);

// Points where two segments meet, ordered along s from s.a (along the arc for a bulged
// one). Touching at an end point counts, and so does a line that touches an arc; an end
// point that is met is reported as given. Collinear overlapping segments give the two end
// points of the overlap (one point when they only share an end point), and so do arcs of
// one circle that overlap. A bulge whose arc stands off its chord by no more than the
// tolerance counts as straight.
std::vector<Point2> IntersectSegments(const Segment& s, const Segment& t);

// IntersectWith of two paths (a line is a path of one segment): for each segment of
// `first` in order, the points with each segment of `second` in order, each pair's points
// ordered along the segment of `first` (an arc from its start vertex). A point equal to
// one already found (both coordinates within 1e-9) is reported once. z is 0.
std::vector<Point3> IntersectPaths(const std::vector<Segment>& first, const std::vector<Segment>& second);

// Affine transforms in plan; z is carried unchanged.
Point3 Translate(const Point3& p, const Point3& from, const Point3& to);
Point3 RotateAbout(const Point3& p, const Point3& base, double angle);  // counter-clockwise, radians
Point3 MirrorAbout(const Point3& p, const Point3& lineA, const Point3& lineB);

double Distance(Point2 a, Point2 b);

}  // namespace geom
