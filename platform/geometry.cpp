#include "platform/geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <initializer_list>
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


// Straight segments; a bulge too small to part the arc from its chord is taken as 0.
std::vector<Point2> StraightStraight(const Segment& s, const Segment& t, double tol) {
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

// Whether the segment needs the arc computations: its arc stands off its chord by more
// than the tolerance. A bulged segment of no length is a point.
bool IsArc(const Segment& s, double tol) {
    if (s.bulge == 0) return false;
    double half = Distance(s.a, s.b) / 2;
    return half > tol && half * std::abs(s.bulge) > tol;
}

// A bulged segment seen from its chord: origin at the chord's middle, x along the chord,
// y to its left, h the half chord, k the bulge. Its circle is k(x² + y² - h²) - h(1 - k²)y
// = 0, which keeps its precision as the bulge tends to 0 (where the centre runs off), and
// the arc is the part of it on the side where k·y <= 0.
struct ChordFrame {
    Point2 mid, ux;
    double h, k;

    explicit ChordFrame(const Segment& s) : k(s.bulge) {
        Point2 d = Sub(s.b, s.a);
        double chord = std::hypot(d.x, d.y);
        mid = {(s.a.x + s.b.x) / 2, (s.a.y + s.b.y) / 2};
        ux = {d.x / chord, d.y / chord};
        h = chord / 2;
    }
    Point2 Direction(Point2 v) const { return {Dot(v, ux), Cross(ux, v)}; }
    Point2 Local(Point2 p) const { return Direction(Sub(p, mid)); }
    Point2 World(Point2 q) const { return {mid.x + q.x * ux.x - q.y * ux.y, mid.y + q.x * ux.y + q.y * ux.x}; }
    Point2 LeftNormal() const { return {-ux.y, ux.x}; }
    // The arc's middle, local.
    Point2 Middle() const { return {0, -h * k}; }

    double Circle(Point2 q) const { return k * (q.x * q.x + q.y * q.y - h * h) - h * (1 - k * k) * q.y; }
    // |d - r| = |k(d² - r²)| / (|k|d + |k|r), both terms free of the far centre.
    double CircleDistance(Point2 q) const {
        double kd = std::hypot(k * q.x, k * q.y - h * (1 - k * k) / 2);
        return std::abs(Circle(q)) / (kd + h * (1 + k * k) / 2);
    }
    bool OnArcSide(Point2 q, double tol) const { return (k > 0 ? q.y : -q.y) <= tol; }
    bool OnArc(Point2 q, double tol) const { return CircleDistance(q) <= tol && OnArcSide(q, tol); }

    // Increases from the start vertex to the end vertex: the angle at the start between
    // the chord and the way to the point is half the arc still ahead.
    double Along(Point2 p, Point2 start, double tol) const {
        if (Distance(p, start) <= tol) return -std::numeric_limits<double>::infinity();
        Point2 q = Local(p);
        double angle = std::atan2(q.y, q.x + h);
        return k > 0 ? angle : -angle;
    }
};

// Distances u along the line c + u e (local to the frame, e of unit length) at which the
// line meets the frame's circle; a line that misses it by no more than tol touches it.
std::vector<double> LineCircle(const ChordFrame& f, Point2 c, Point2 e, double tol) {
    double a = f.k;
    double b = 2 * f.k * Dot(c, e) - f.h * (1 - f.k * f.k) * e.y;
    double cc = f.Circle(c);
    double disc = b * b - 4 * a * cc;
    // disc = 4k²(r² - d²) for a line at distance d from the centre.
    if (disc < -4 * std::abs(f.k) * f.h * (1 + f.k * f.k) * tol) return {};
    if (disc <= 0) return {-b / (2 * a)};
    // The root of the larger magnitude first, the other from it without cancellation.
    double q = -0.5 * (b + std::copysign(std::sqrt(disc), b));
    std::vector<double> u{q / a};
    if (q != 0) u.push_back(cc / q);
    return u;
}

// An end point within the tolerance is reported as given.
Point2 Snap(Point2 p, std::initializer_list<Point2> ends, double tol) {
    for (Point2 e : ends)
        if (Distance(p, e) <= tol) return e;
    return p;
}

struct Hit {
    double key;  // place along the first segment
    Point2 p;
};

std::vector<Point2> Ordered(std::vector<Hit> hits) {
    std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.key < b.key; });
    std::vector<Point2> points;
    for (const Hit& hit : hits) {
        bool seen = std::any_of(points.begin(), points.end(), [&](Point2 q) {
            return std::abs(q.x - hit.p.x) <= kSamePoint && std::abs(q.y - hit.p.y) <= kSamePoint;
        });
        if (!seen) points.push_back(hit.p);
    }
    return points;
}

std::vector<Point2> StraightArc(const Segment& line, const Segment& arc, bool lineFirst, double tol) {
    ChordFrame f(arc);
    Point2 d = Sub(line.b, line.a);
    double len = std::hypot(d.x, d.y);
    if (len <= tol) return f.OnArc(f.Local(line.a), tol) ? std::vector<Point2>{line.a} : std::vector<Point2>{};
    Point2 c = f.Local(line.a);
    Point2 e = f.Direction({d.x / len, d.y / len});
    double slack = tol + kParameter * len;
    std::vector<Hit> hits;
    for (double u : LineCircle(f, c, e, tol)) {
        if (u < -slack || u > len + slack) continue;
        Point2 q{c.x + u * e.x, c.y + u * e.y};
        if (!f.OnArcSide(q, tol)) continue;
        Point2 p = Snap(f.World(q), {line.a, line.b, arc.a, arc.b}, tol);
        hits.push_back({lineFirst ? u : f.Along(p, arc.a, tol), p});
    }
    return Ordered(std::move(hits));
}

// Both circles in the first arc's frame, as k|q|² + L·q + c = 0. Weighing each by the
// other's k and subtracting leaves their radical line, on which the meeting points lie.
std::vector<Point2> ArcArc(const Segment& s, const Segment& t, double tol) {
    ChordFrame f1(s), f2(t);
    Point2 m = f1.Local(f2.mid), n2 = f1.Direction(f2.LeftNormal());
    const double k1 = f1.k, k2 = f2.k, h1 = f1.h, h2 = f2.h;
    Point2 l1{0, -h1 * (1 - k1 * k1)};
    double c1 = -k1 * h1 * h1;
    double w2 = h2 * (1 - k2 * k2);
    Point2 l2{-2 * k2 * m.x - w2 * n2.x, -2 * k2 * m.y - w2 * n2.y};
    double c2 = k2 * (Dot(m, m) - h2 * h2) + w2 * Dot(m, n2);
    Point2 n{k2 * l1.x - k1 * l2.x, k2 * l1.y - k1 * l2.y};
    double g = k2 * c1 - k1 * c2;
    double nl = std::hypot(n.x, n.y);
    std::vector<Hit> hits;

    if (nl <= 1e-12 * (std::abs(k2) * std::hypot(l1.x, l1.y) + std::abs(k1) * std::hypot(l2.x, l2.y))) {
        // One centre: the arcs share their circle, or they never meet.
        for (Point2 p : {t.a, t.b, f2.World(f2.Middle())})
            if (f1.CircleDistance(f1.Local(p)) > tol) return {};
        // Like collinear segments, overlapping arcs give the ends of the overlap.
        for (Point2 p : {s.a, s.b})
            if (f2.OnArcSide(f2.Local(p), tol)) hits.push_back({f1.Along(p, s.a, tol), p});
        for (Point2 p : {t.a, t.b})
            if (f1.OnArcSide(f1.Local(p), tol)) hits.push_back({f1.Along(p, s.a, tol), p});
        return Ordered(std::move(hits));
    }

    Point2 p0{-g * n.x / (nl * nl), -g * n.y / (nl * nl)};
    Point2 w{-n.y / nl, n.x / nl};
    for (double u : LineCircle(f1, p0, w, tol)) {
        Point2 q{p0.x + u * w.x, p0.y + u * w.y};
        if (!f1.OnArcSide(q, tol)) continue;
        Point2 p = f1.World(q);
        if (!f2.OnArc(f2.Local(p), tol)) continue;
        p = Snap(p, {s.a, s.b, t.a, t.b}, tol);
        hits.push_back({f1.Along(p, s.a, tol), p});
    }
    return Ordered(std::move(hits));
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
    double tol = LinearTolerance(s, t);
    bool sArc = IsArc(s, tol), tArc = IsArc(t, tol);
    if (sArc && tArc) return ArcArc(s, t, tol);
    if (sArc) return StraightArc(t, s, false, tol);
    if (tArc) return StraightArc(s, t, true, tol);
    return StraightStraight(s, t, tol);
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
