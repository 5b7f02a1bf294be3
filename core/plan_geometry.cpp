#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "core/angles.h"
#include "core/general.h"
#include "core/plan_arcs.h"
#include "platform/vb_convert.h"

namespace fluvanet {

using com::CallType;
using com::SafeArray;
using com::Variant;

namespace {

using angles::kFullTurn;
using angles::kHalfTurn;
using angles::kQuarterTurn;
using angles::kThreeQuarterTurn;

// Segment tests at 4 decimals accept a point a millimetre off a long pipe; 8 demand it on.
constexpr int32_t kNearDigits = 4;
constexpr int32_t kExactDigits = 8;
constexpr int32_t kStationDigits = 7;
constexpr double kZeroSegmentLength = 0.000001;
// A station this far past the end is still the end: the rounded lengths may sum short.
constexpr double kPastEndSlack = 1e-6;

using PlanPoint = plan::Point;

// Written out rather than std::hypot: ties at 8 decimals are decided by the last bit.
double Distance(PlanPoint a, PlanPoint b) {
    double dx = b.x - a.x;
    double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

bool OnSegment(PlanPoint p, PlanPoint a, PlanPoint b, int32_t digits) {
    return vb::Round(Distance(a, b), digits) == vb::Round(Distance(p, a) + Distance(p, b), digits);
}

// Items 0 and 1 of a point; item 2, when there is one, takes no part.
PlanPoint PointOf(const Variant& point) {
    const SafeArray& items = point.Array();
    return {vb::CDbl(items.Get(0)), vb::CDbl(items.Get(1))};
}

// Read by name, as the drawing's entities are: an object without the member fails with 438.
Variant PropertyOf(const Variant& entity, std::string_view name) {
    if (!entity.IsObject()) com::Raise(com::ErrorCode::ObjectRequired);
    return vb::CallByName(entity.Object(), name, CallType::Get);
}

// A flat x0, y0, x1, y1, ... list, a pipe's vertices: any number of them.
class VertexList {
public:
    explicit VertexList(const Variant& list) {
        const SafeArray& items = list.Array();
        int32_t upper = items.UBound(1);
        for (int32_t i = 0; i <= upper; ++i) items_.push_back(vb::CDbl(items.Get(i)));
    }
    VertexList(std::vector<double> items, std::vector<double> bulges)
        : items_(std::move(items)), bulges_(std::move(bulges)) {}
    // The entity's vertices and the bulge of each segment, both read by name.
    static VertexList Of(const Variant& entity) {
        VertexList vertices(PropertyOf(entity, "Coordinates"));
        for (std::size_t i = 0; i < vertices.SegmentItems(); i += 2)
            vertices.bulges_.push_back(plan::BulgeByName(entity, static_cast<int32_t>(i / 2)));
        return vertices;
    }

    // Segment k starts at item 2k; the segments are those whose end vertex is complete.
    std::size_t SegmentItems() const { return items_.size() >= 4 ? items_.size() - 3 : 0; }
    // Vertex whose x is item `item`; a list too short for it is out of range, as indexing it is.
    PlanPoint At(std::size_t item) const {
        if (item + 1 >= items_.size()) com::Raise(com::ErrorCode::SubscriptOutOfRange);
        return {items_[item], items_[item + 1]};
    }
    PlanPoint First() const { return At(0); }
    PlanPoint Last() const { return At(items_.size() >= 2 ? items_.size() - 2 : items_.size()); }

    // The segment starting at item `item` as an arc, when it is one.
    std::optional<plan::Arc> ArcAt(std::size_t item) const {
        const std::size_t k = item / 2;
        const double bulge = k < bulges_.size() ? bulges_[k] : 0;
        PlanPoint a = At(item), b = At(item + 2);
        if (!plan::Arc::IsArc(a, b, bulge)) return std::nullopt;
        return plan::Arc(a, b, bulge);
    }

    // Item index of the first vertex of the first segment holding the point, or the index
    // one step past the last segment when none does.
    std::size_t HoldingSegment(PlanPoint p, int32_t digits) const {
        std::size_t i = 0;
        for (; i < SegmentItems(); i += 2) {
            std::optional<plan::Arc> arc = ArcAt(i);
            if (arc ? arc->Holds(p, digits) : OnSegment(p, At(i), At(i + 2), digits)) break;
        }
        return i;
    }

    // Unrounded lengths of the segments before the one holding the point, plus the way to
    // the point along it; 0 when no segment holds it.
    double Station(PlanPoint p) const {
        double running = 0;
        for (std::size_t i = 0; i < SegmentItems(); i += 2) {
            if (std::optional<plan::Arc> arc = ArcAt(i)) {
                if (arc->Holds(p, kNearDigits)) return running + std::clamp(arc->LengthTo(p), 0.0, arc->Length());
                running += arc->Length();
                continue;
            }
            PlanPoint a = At(i), b = At(i + 2);
            if (OnSegment(p, a, b, kNearDigits)) return running + Distance(p, a);
            running += Distance(a, b);
        }
        return 0;
    }

    // The point at a station, walking rounded segment lengths; none beyond the end.
    std::optional<PlanPoint> PointAtStation(double station) const {
        double running = 0;
        std::optional<PlanPoint> end;
        for (std::size_t i = 0; i < SegmentItems(); i += 2) {
            PlanPoint a = At(i), b = At(i + 2);
            std::optional<plan::Arc> arc = ArcAt(i);
            end = b;
            double length = vb::Round(arc ? arc->Length() : Distance(a, b), kStationDigits);
            if (length == 0) length = kZeroSegmentLength;
            double rest = station - running;
            if (rest <= length) {
                if (arc) return arc->PointAt(rest / length * arc->Length());
                return PlanPoint{a.x + (b.x - a.x) * rest / length, a.y + (b.y - a.y) * rest / length};
            }
            running += length;
        }
        // The rounded lengths may sum just short of the pipe: a station that close is its end.
        // Further beyond there is no point on the pipe.
        if (end && station - running <= kPastEndSlack) return end;
        return std::nullopt;
    }

private:
    std::vector<double> items_;
    std::vector<double> bulges_;  // one per segment; none for a bare vertex list
};

bool SameAt4(PlanPoint p, PlanPoint v) {
    return vb::Round(p.x, kNearDigits) == vb::Round(v.x, kNearDigits) &&
           vb::Round(p.y, kNearDigits) == vb::Round(v.y, kNearDigits);
}

}  // namespace

bool General::CheckPointOnLine(const Variant& mypoint, const Variant& MyLine) {
    PlanPoint a = PointOf(PropertyOf(MyLine, "StartPoint"));
    PlanPoint b = PointOf(PropertyOf(MyLine, "EndPoint"));
    // The plan distance of the ends: a line's Length is measured in space, and a sloped
    // line would never hold a point of its own plan trace.
    return OnSegment(PointOf(mypoint), a, b, kExactDigits);
}

bool General::CheckPointOnPolyline(const Variant& mypoint, const Variant& MyLine) {
    VertexList vertices = VertexList::Of(MyLine);
    return vertices.HoldingSegment(PointOf(mypoint), kExactDigits) < vertices.SegmentItems();
}

double General::GetStation(const Variant& Pipe, const double& X, const double& Y) {
    return VertexList::Of(Pipe).Station({X, Y});
}

double General::GetPointStationOnPolyline(const Variant& PlCoordinates, const Variant& mypoint) {
    vb::Count16(PlCoordinates.Array().Size());  // the host's array
    return VertexList(PlCoordinates).Station(PointOf(mypoint));
}

Variant General::GetCoordinatesAtPipeStation(const Variant& ar_coordinates, const double& Station) {
    vb::Count16(ar_coordinates.Array().Size());  // the host's array
    PlanPoint p = VertexList(ar_coordinates).PointAtStation(Station).value_or(PlanPoint{0, 0});
    return Variant(SafeArray::FromDoubles({p.x, p.y, 0}));
}

int16_t General::PointIsOnPolyline(const Variant& mypoint, acad::AcadEntity& MyPolyline) {
    VertexList vertices = VertexList::Of(Variant(MyPolyline.shared_from_this()));
    PlanPoint p = PointOf(mypoint);
    if (SameAt4(p, vertices.First()) || SameAt4(p, vertices.Last())) return 1;
    return vertices.HoldingSegment(p, kNearDigits) < vertices.SegmentItems() ? 2 : 0;
}

int16_t General::GetNodeIndexOnPolyline(const Variant& Pipe, const Variant& mypoint) {
    std::size_t i = VertexList::Of(Pipe).HoldingSegment(PointOf(mypoint), kNearDigits);
    // The index is handed back as a 16-bit integer.
    return vb::Count16(i / 2 + 1);
}

double General::GetAngleFromDelta(const double& DeltaX, const double& DeltaY) {
    if (DeltaX == 0) return DeltaY >= 0 ? kQuarterTurn : kThreeQuarterTurn;
    double a = std::atan(std::fabs(DeltaY) / std::fabs(DeltaX));
    if (DeltaX > 0) return DeltaY >= 0 ? a : kFullTurn - a;
    return DeltaY >= 0 ? kHalfTurn - a : kHalfTurn + a;
}

double General::GetCorrectionAngleForCS(acad::AcadDocument& AcadActiveDocument) {
    PlanPoint xDir = PointOf(AcadActiveDocument.GetVariable("UCSXDIR"));
    PlanPoint yDir = PointOf(AcadActiveDocument.GetVariable("UCSYDIR"));
    double angX = GetAngleFromDelta(xDir.x, xDir.y);
    double angY = GetAngleFromDelta(yDir.x, yDir.y);
    double d = angY - angX;
    if (d < 0) d += kFullTurn;
    // A y axis more than a quarter turn on is a system seen from below. The sum is left
    // above a full turn where it lands there: placements add it to their own angles.
    if (vb::Round(d, 5) > vb::Round(kQuarterTurn, 5)) return angX + kHalfTurn;
    return angX;
}

int32_t General::RoundUp(const double& MyDouble) {
    double whole = std::floor(MyDouble);
    return vb::CLng(whole != MyDouble ? whole + 1 : MyDouble);
}

double plan::StationOnPath(const Path& path, Point p) {
    return VertexList(path.coordinates, path.bulges).Station(p);
}

plan::Point plan::PointAtStation(const Path& path, double station) {
    return VertexList(path.coordinates, path.bulges).PointAtStation(station).value_or(Point{0, 0});
}

}  // namespace fluvanet
