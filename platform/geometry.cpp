#include "platform/geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "platform/error.h"

namespace geom {

namespace {

constexpr double kParallel = 1e-12;   // sine of the largest angle still taken as parallel
constexpr double kParameter = 1e-12;  // slack on segment parameters beyond [0, 1]
constexpr double kSamePoint = 1e-9;   // coordinates this close are one reported point

Point2 Sub(Point2 p, Point2 q) { return {p.x - q.x, p.y - q.y}; }
double Cross(Point2 p, Point2 q) { return p.x * q.y - p.y * q.x; }
double Dot(Point2 p, Point2 q) { return p.x * q.x + p.y * q.y; }

// Absolute distance below which points count as touching. Input coordinates are already
// rounded, so far from the origin the slack has to cover a few units in the last place.
double LinearTolerance(const Segment& s, const Segment& t) {
    double m = 0;
    for (Point2 p : {s.a, s.b, t.a, t.b}) m = std::max({m, std::abs(p.x), std::abs(p.y)});
    return kSamePoint + 16 * std::numeric_limits<double>::epsilon() * m;
}

// Whether p lies on segment c..c+d, within the linear tolerance.
bool OnSegment(Point2 p, Point2 c, Point2 d, double len, double tol) {
    Point2 v = Sub(p, c);
    if (len <= tol) return std::hypot(v.x, v.y) <= tol;
    if (std::abs(Cross(d, v)) / len > tol) return false;
    double u = Dot(v, d) / (len * len);
    double slack = kParameter + tol / len;
    return u >= -slack && u <= 1 + slack;
}

std::vector<Point2> CollinearOverlap(const Segment& s, const Segment& t, Point2 d1, double len1, double tol) {
    auto param = [&](Point2 p) { return Dot(Sub(p, s.a), d1) / (len1 * len1); };
    double tc = param(t.a), td = param(t.b);
    // Each overlap end is an actual end point of one segment, kept exact.
    struct End {
        double t;
        Point2 p;
    };
    End first = tc <= td ? End{tc, t.a} : End{td, t.b};
    End last = tc <= td ? End{td, t.b} : End{tc, t.a};
    End lo = first.t > 0 ? first : End{0, s.a};
    End hi = last.t < 1 ? last : End{1, s.b};
    double slack = kParameter + tol / len1;
    if (lo.t > hi.t + slack) return {};
    if (hi.t - lo.t <= slack) return {lo.p};
    return {lo.p, hi.p};
}

// Start angle and signed sweep of a bulged segment, with its centre and radius.
struct Arc {
    Point2 centre;
    double radius;
    double start;
    double sweep;
};

Arc ArcOf(const Segment& s) {
    Point2 d = Sub(s.b, s.a);
    double k = s.bulge;
    // The centre sits on the chord's left normal for a counter-clockwise minor arc.
    double offset = (1 - k * k) / (4 * k);
    Point2 centre{(s.a.x + s.b.x) / 2 - d.y * offset, (s.a.y + s.b.y) / 2 + d.x * offset};
    double chord = std::hypot(d.x, d.y);
    double radius = chord * (1 + k * k) / (4 * std::abs(k));
    return {centre, radius, std::atan2(s.a.y - centre.y, s.a.x - centre.x), 4 * std::atan(k)};
}

}  // namespace

void Box::Include(Point2 p) {
    if (!valid) {
        minX = maxX = p.x;
        minY = maxY = p.y;
        valid = true;
        return;
    }
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
}

void Box::Include(const Box& other) {
    if (!other.valid) return;
    Include(Point2{other.minX, other.minY});
    Include(Point2{other.maxX, other.maxY});
}

double Distance(Point2 a, Point2 b) { return std::hypot(b.x - a.x, b.y - a.y); }

double SegmentLength(const Segment& s) {
    double chord = Distance(s.a, s.b);
    if (s.bulge == 0 || chord == 0) return chord;
    // r * theta rewritten in the bulge, which stays exact as the bulge tends to 0.
    double k = std::abs(s.bulge);
    return chord * (1 + k * k) * std::atan(k) / k;
}

Box SegmentBox(const Segment& s) {
    Box box;
    box.Include(s.a);
    box.Include(s.b);
    if (s.bulge == 0 || s.a == s.b) return box;
    Arc arc = ArcOf(s);
    constexpr double kTurn = 2 * std::numbers::pi;
    const Point2 extremes[] = {{arc.centre.x + arc.radius, arc.centre.y},
                               {arc.centre.x, arc.centre.y + arc.radius},
                               {arc.centre.x - arc.radius, arc.centre.y},
                               {arc.centre.x, arc.centre.y - arc.radius}};
    for (int q = 0; q < 4; ++q) {
        double angle = q * std::numbers::pi / 2;
        double along = arc.sweep > 0 ? angle - arc.start : arc.start - angle;
        along = std::fmod(along, kTurn);
        if (along < 0) along += kTurn;
        if (along <= std::abs(arc.sweep)) box.Include(extremes[q]);
    }
    return box;
}

Box CircleBox(Point2 center, double radius) {
    Box box;
    box.Include(Point2{center.x - radius, center.y - radius});
    box.Include(Point2{center.x + radius, center.y + radius});
    return box;
}

Box EllipseBox(Point2 center, Point2 majorAxis, double ratio) {
    // a cos(phi) and a sin(phi) are the axis vector's own components.
    double hx = std::hypot(majorAxis.x, ratio * majorAxis.y);
    double hy = std::hypot(majorAxis.y, ratio * majorAxis.x);
    Box box;
    box.Include(Point2{center.x - hx, center.y - hy});
    box.Include(Point2{center.x + hx, center.y + hy});
    return box;
}

std::vector<Point2> IntersectSegments(const Segment& s, const Segment& t) {
    if (s.bulge != 0 || t.bulge != 0) com::Raise(com::ErrorCode::InvalidInput, "intersection of an arc segment");
    double tol = LinearTolerance(s, t);
    Point2 d1 = Sub(s.b, s.a), d2 = Sub(t.b, t.a);
    double len1 = std::hypot(d1.x, d1.y), len2 = std::hypot(d2.x, d2.y);

    if (len1 <= tol) return OnSegment(s.a, t.a, d2, len2, tol) ? std::vector<Point2>{s.a} : std::vector<Point2>{};
    if (len2 <= tol) return OnSegment(t.a, s.a, d1, len1, tol) ? std::vector<Point2>{t.a} : std::vector<Point2>{};

    double denom = Cross(d1, d2);
    Point2 ac = Sub(t.a, s.a);
    if (std::abs(denom) <= kParallel * len1 * len2) {
        bool collinear = std::abs(Cross(d1, ac)) / len1 <= tol && std::abs(Cross(d1, Sub(t.b, s.a))) / len1 <= tol;
        return collinear ? CollinearOverlap(s, t, d1, len1, tol) : std::vector<Point2>{};
    }

    double ts = Cross(ac, d2) / denom;
    double ut = Cross(ac, d1) / denom;
    double slack1 = kParameter + tol / len1, slack2 = kParameter + tol / len2;
    if (ts < -slack1 || ts > 1 + slack1 || ut < -slack2 || ut > 1 + slack2) return {};
    // An end point that is met is reported as given rather than recomputed.
    if (ts <= 0) return {s.a};
    if (ts >= 1) return {s.b};
    if (ut <= 0) return {t.a};
    if (ut >= 1) return {t.b};
    return {{s.a.x + ts * d1.x, s.a.y + ts * d1.y}};
}

std::vector<Point3> IntersectPaths(const std::vector<Segment>& first, const std::vector<Segment>& second) {
    std::vector<Point3> found;
    for (const Segment& s : first)
        for (const Segment& t : second)
            for (Point2 p : IntersectSegments(s, t)) {
                bool seen = std::any_of(found.begin(), found.end(), [&](const Point3& q) {
                    return std::abs(q[0] - p.x) <= kSamePoint && std::abs(q[1] - p.y) <= kSamePoint;
                });
                if (!seen) found.push_back({p.x, p.y, 0});
            }
    return found;
}

Point3 Translate(const Point3& p, const Point3& from, const Point3& to) {
    return {p[0] + (to[0] - from[0]), p[1] + (to[1] - from[1]), p[2] + (to[2] - from[2])};
}

Point3 RotateAbout(const Point3& p, const Point3& base, double angle) {
    double c = std::cos(angle), s = std::sin(angle);
    double dx = p[0] - base[0], dy = p[1] - base[1];
    return {base[0] + dx * c - dy * s, base[1] + dx * s + dy * c, p[2]};
}

Point3 MirrorAbout(const Point3& p, const Point3& lineA, const Point3& lineB) {
    double ux = lineB[0] - lineA[0], uy = lineB[1] - lineA[1];
    double len2 = ux * ux + uy * uy;
    if (len2 == 0) com::Raise(com::ErrorCode::InvalidInput, "the mirror line has coincident points");
    double vx = p[0] - lineA[0], vy = p[1] - lineA[1];
    double k = 2 * (vx * ux + vy * uy) / len2;
    return {lineA[0] + k * ux - vx, lineA[1] + k * uy - vy, p[2]};
}

}  // namespace geom
