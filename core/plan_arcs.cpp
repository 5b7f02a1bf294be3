#include "core/plan_arcs.h"

#include <cmath>
#include <cstddef>

#include "platform/acad_entities.h"
#include "platform/vb_convert.h"

namespace fluvanet::plan {

namespace {

double Dot(Point u, Point v) { return u.x * v.x + u.y * v.y; }

}  // namespace

// Everything is measured from the arc's middle, never from its centre: a nearly straight
// arc has its centre far off, and differences taken there would lose the point's place.
Arc::Arc(Point a, Point b, double bulge) : a_(a), b_(b), bulge_(bulge) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    // As the polyline measures its chord, so that Length agrees to the last bit.
    const double chord = std::hypot(dx, dy);
    const double k = std::fabs(bulge);
    half_ = chord / 2;
    unit_ = {dx / chord, dy / chord};
    const Point left{-unit_.y, unit_.x};
    // A counter-clockwise arc bulges to the right of its chord, its centre to the left.
    out_ = bulge > 0 ? Point{-left.x, -left.y} : left;
    middle_ = {(a.x + b.x) / 2 + out_.x * half_ * k, (a.y + b.y) / 2 + out_.y * half_ * k};
    radius_ = half_ * (1 + k * k) / (2 * k);
    sweep_ = 4 * std::atan(bulge);
    length_ = chord * (1 + k * k) * std::atan(k) / k;
}

double Arc::LengthTo(Point p) const {
    const Point v{p.x - middle_.x, p.y - middle_.y};
    // The angle at the centre from the arc's middle to the point, in the arc's direction.
    const double turn = std::atan2(Dot(unit_, v), radius_ + Dot(out_, v));
    return radius_ * (std::fabs(sweep_) / 2 + turn);
}

double Arc::CentreDistance(Point p) const {
    const Point v{p.x - middle_.x, p.y - middle_.y};
    const double outward = Dot(out_, v), across = Dot(unit_, v);
    const double distance = std::hypot(radius_ + outward, across);
    // d - r from d² - r², which keeps the small difference where d and r are both large.
    return radius_ + (2 * radius_ * outward + outward * outward + across * across) / (distance + radius_);
}

bool Arc::Holds(Point p, int32_t digits) const {
    if (vb::Round(CentreDistance(p), digits) != vb::Round(radius_, digits)) return false;
    const double along = vb::Round(LengthTo(p), digits);
    return along >= 0 && along <= vb::Round(length_, digits);
}

Point Arc::PointAt(double along) const {
    if (along == 0) return a_;
    if (along == length_) return b_;
    const double turn = along / radius_ - std::fabs(sweep_) / 2;
    const double sine = std::sin(turn), halfSine = std::sin(turn / 2);
    // Back from the middle towards the centre by r(1 - cos), along the chord by r sin.
    const double inward = 2 * radius_ * halfSine * halfSine;
    return {middle_.x - out_.x * inward + unit_.x * radius_ * sine,
            middle_.y - out_.y * inward + unit_.y * radius_ * sine};
}

double Arc::BulgeBefore(double along) const {
    if (along <= 0) return 0;
    if (along >= length_) return bulge_;
    return std::tan(sweep_ * (along / length_) / 4);
}

double Arc::BulgeAfter(double along) const {
    if (along <= 0) return bulge_;
    if (along >= length_) return 0;
    return std::tan(sweep_ * (1 - along / length_) / 4);
}

std::vector<double> PolylineBulges(const acad::AcadLWPolyline& polyline) {
    const std::size_t vertices = polyline.Coordinates().size() / 2;
    std::vector<double> bulges;
    for (std::size_t i = 0; i < vertices; ++i) bulges.push_back(polyline.GetBulge(static_cast<int32_t>(i)));
    return bulges;
}

double BulgeByName(const com::Variant& polyline, int32_t index) {
    return vb::CDbl(vb::CallByName(polyline.Object(), "GetBulge", com::CallType::Method, com::Variant(index)));
}

std::vector<double> ReversedBulges(const std::vector<double>& bulges) {
    const std::size_t n = bulges.size();
    std::vector<double> reversed(n);
    for (std::size_t i = 0; i < n; ++i) reversed[i] = -bulges[i + 1 < n ? n - 2 - i : i];
    return reversed;
}

void SetPolylineBulges(acad::AcadLWPolyline& polyline, const std::vector<double>& bulges) {
    for (std::size_t i = 0; i < bulges.size(); ++i) {
        const auto index = static_cast<int32_t>(i);
        if (polyline.GetBulge(index) != bulges[i]) polyline.SetBulge(index, bulges[i]);
    }
}

Path PathOf(const acad::AcadLWPolyline& polyline) { return {polyline.Coordinates(), PolylineBulges(polyline)}; }

}  // namespace fluvanet::plan
