#include "platform/civil.h"

#include <algorithm>
#include <cmath>

namespace civil {

using com::ErrorCode;
using com::Raise;
using com::Variant;

namespace {

// Slack on the barycentric weights, so that points on an edge computed with rounding
// still count as inside.
constexpr double kWeightSlack = 1e-9;
// A triangle whose doubled plan area is below this fraction of its longest edge squared
// has no usable plane.
constexpr double kFlat = 1e-12;

double PlanCross(const geom::Point3& o, const geom::Point3& p, const geom::Point3& q) {
    return (p[0] - o[0]) * (q[1] - o[1]) - (p[1] - o[1]) * (q[0] - o[0]);
}

double PlanLength2(const geom::Point3& p, const geom::Point3& q) {
    double dx = q[0] - p[0], dy = q[1] - p[1];
    return dx * dx + dy * dy;
}

}  // namespace

// ---- AeccSurface ---------------------------------------------------------------------

const com::DispatchTable& AeccSurface::Table() const {
    static const com::DispatchTable table = com::BuildTable<AeccSurface>([](auto& b) {
        b.Get("Name", &AeccSurface::Name)
            .Method("FindElevationAtXY", &AeccSurface::FindElevationAtXY)
            .Method("AddTriangle", &AeccSurface::AddTriangle);
    });
    return table;
}

double AeccSurface::FindElevationAtXY(double x, double y) const {
    const geom::Point3 p{x, y, 0};
    for (const auto& [a, b, c] : triangles_) {
        double area = PlanCross(a, b, c);
        double wa = PlanCross(p, b, c) / area;
        double wb = PlanCross(a, p, c) / area;
        double wc = PlanCross(a, b, p) / area;
        if (wa >= -kWeightSlack && wb >= -kWeightSlack && wc >= -kWeightSlack) return wa * a[2] + wb * b[2] + wc * c[2];
    }
    Raise(ErrorCode::SurfaceOutside, name_);
}

void AeccSurface::AddTriangle(const geom::Point3& a, const geom::Point3& b, const geom::Point3& c) {
    for (const auto& p : {a, b, c})
        for (double v : p)
            if (!std::isfinite(v)) Raise(ErrorCode::InvalidInput, "triangle vertex not finite");
    double longest = std::max({PlanLength2(a, b), PlanLength2(b, c), PlanLength2(c, a)});
    if (!(std::abs(PlanCross(a, b, c)) > kFlat * longest)) Raise(ErrorCode::InvalidInput, "degenerate triangle");
    triangles_.push_back({a, b, c});
}

// ---- AeccSurfaces --------------------------------------------------------------------

const com::DispatchTable& AeccSurfaces::Table() const {
    static const com::DispatchTable table = com::BuildTable<AeccSurfaces>([](auto& b) {
        b.Get("Count", &AeccSurfaces::Count).Get("Item", &AeccSurfaces::Item).Method("Add", &AeccSurfaces::Add);
    });
    return table;
}

std::shared_ptr<AeccSurface> AeccSurfaces::Item(const Variant& index) const {
    if (index.IsString()) {
        for (const auto& s : items_)
            if (s->Name() == index.Str()) return s;
        Raise(ErrorCode::KeyNotFound, "surface " + index.Str());
    }
    int32_t i = vb::CLng(index);
    if (i < 0 || i >= Count()) Raise(ErrorCode::KeyNotFound, "surface index " + std::to_string(i));
    return items_[static_cast<std::size_t>(i)];
}

std::shared_ptr<AeccSurface> AeccSurfaces::Add(const std::string& name) {
    for (const auto& s : items_)
        if (s->Name() == name) Raise(ErrorCode::DuplicateName, "surface " + name);
    items_.push_back(std::make_shared<AeccSurface>(name));
    return items_.back();
}

// ---- AeccDocument, AeccApplication ---------------------------------------------------

const com::DispatchTable& AeccDocument::Table() const {
    static const com::DispatchTable table = com::BuildTable<AeccDocument>([](auto& b) {
        b.Get("Surfaces", &AeccDocument::SurfacesLateBound, 0);
    });
    return table;
}

std::shared_ptr<AeccSurfaces> AeccDocument::Surfaces() const {
    if (surfacesFail_) Raise(ErrorCode::FileError, "the surfaces cannot be read");
    return surfaces_;
}

std::shared_ptr<AeccSurface> AeccDocument::Surfaces(const Variant& index) const { return Surfaces()->Item(index); }

Variant AeccDocument::SurfacesLateBound(const Variant& index) const {
    if (index.IsEmpty()) return Variant(Surfaces());
    return Variant(Surfaces(index));
}

const com::DispatchTable& AeccApplication::Table() const {
    static const com::DispatchTable table = com::BuildTable<AeccApplication>([](auto& b) {
        b.Get("ActiveDocument", &AeccApplication::ActiveDocument);
    });
    return table;
}

}  // namespace civil
