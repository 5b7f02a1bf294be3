#pragma once
// Arc segments of pipe polylines, in plan. A segment whose bulge is not 0 runs along a
// circular arc from its start vertex to its end vertex; the bulge is the tangent of a
// quarter of the arc's sweep, counter-clockwise when positive. Every caller that walks a
// pipe along its arcs takes their geometry from here, so that stations, points on the
// pipe and the pipe's Length agree.

#include <cstdint>
#include <vector>

#include "platform/variant.h"

namespace acad {
class AcadLWPolyline;
}

namespace fluvanet::plan {

struct Point {
    double x;
    double y;
};

class Arc {
public:
    // A segment from a to b with that bulge; IsArc tells when it is one.
    Arc(Point a, Point b, double bulge);
    // A bulge of 0 is straight, and so is a segment of no length: it is a point.
    static bool IsArc(Point a, Point b, double bulge) { return bulge != 0 && (a.x != b.x || a.y != b.y); }

    double Radius() const { return radius_; }
    double Sweep() const { return sweep_; }  // signed, radians
    // Along the arc, as the polyline's Length measures it.
    double Length() const { return length_; }

    // How far along the arc, from its start, the point's place on the circle lies: the
    // foot of the ray from the centre through it. Within the sweep it runs from 0 to
    // Length; beyond, it goes below 0 or past Length.
    double LengthTo(Point p) const;
    // The point's distance from the centre.
    double CentreDistance(Point p) const;
    // The point lies on the arc: its distance from the centre rounds to the radius at
    // `digits` decimals, and its place lies within the sweep at that rounding.
    bool Holds(Point p, int32_t digits) const;
    // The point `along` the arc from its start; its ends are the vertices themselves.
    Point PointAt(double along) const;
    // The bulges of the two arcs of the same circle that the point `along` parts it into.
    double BulgeBefore(double along) const;
    double BulgeAfter(double along) const;

private:
    Point a_, b_;
    double bulge_;
    double half_;  // half the chord
    Point unit_;   // along the chord
    Point out_;    // from the centre towards the arc's middle
    Point middle_;
    double radius_, sweep_, length_;
};

// The bulge of the segment that starts at each vertex of the polyline, by index.
std::vector<double> PolylineBulges(const acad::AcadLWPolyline& polyline);
// Read by name, as the vertex list is: the bulge of the segment starting at vertex `index`.
double BulgeByName(const com::Variant& polyline, int32_t index);
// The bulges of the same polyline with its vertices reversed: each segment runs the other
// way, so its bulge changes sign and moves to the segment's other end. The last vertex's
// bulge (the closing segment of a closed polyline) stays at the last vertex, negated.
std::vector<double> ReversedBulges(const std::vector<double>& bulges);
// Gives the polyline these bulges, vertex by vertex, where they differ from its own.
void SetPolylineBulges(acad::AcadLWPolyline& polyline, const std::vector<double>& bulges);

// A share of a pipe's plan length, or a slope over it. A pipe of no length in plan, its
// nodes moved onto one place, has neither: it takes 0, so that its labels and levels stay.
inline double PerPlanLength(double value, double planLength) { return planLength == 0 ? 0 : value / planLength; }

// A pipe's plan path: its vertex list (x0, y0, x1, y1, ...) and one bulge per vertex.
struct Path {
    std::vector<double> coordinates;
    std::vector<double> bulges;
};
Path PathOf(const acad::AcadLWPolyline& polyline);

// Stations along a path, arcs measured along the arc: the rules of GetPointStationOnPolyline
// and GetCoordinatesAtPipeStation, which take a bare vertex list as straight throughout.
// Both live beside those methods, in core/plan_geometry.cpp.
double StationOnPath(const Path& path, Point p);
Point PointAtStation(const Path& path, double station);

}  // namespace fluvanet::plan
