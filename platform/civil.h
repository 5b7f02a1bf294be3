#pragma once
// The terrain application as the library reaches it: late-bound, through the drawing
// application's interface objects. A surface is a triangulated network (TIN) built by
// tests triangle by triangle; its elevation at a plan point is the linear interpolation
// in the triangle that contains the point.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch.h"
#include "platform/geometry.h"

namespace civil {

class AeccSurface : public com::Dispatch {
public:
    explicit AeccSurface(std::string name) : name_(std::move(name)) {}
    std::string_view TypeName() const override { return "AeccSurface"; }
    const com::DispatchTable& Table() const override;

    std::string Name() const { return name_; }
    // Points on an edge or a vertex are inside; where triangles share an edge the first
    // added wins (both give the same value there). Outside every triangle, or on a surface
    // without triangles, raises SurfaceOutside.
    double FindElevationAtXY(double x, double y) const;
    // A triangle with no area in plan raises InvalidInput.
    void AddTriangle(const geom::Point3& a, const geom::Point3& b, const geom::Point3& c);

private:
    std::string name_;
    std::vector<std::array<geom::Point3, 3>> triangles_;
};

class AeccSurfaces : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "AeccSurfaces"; }
    const com::DispatchTable& Table() const override;

    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    // A text is a name, compared exactly; anything else a 0-based position. A missing name
    // or a position outside raises KeyNotFound.
    std::shared_ptr<AeccSurface> Item(const com::Variant& index) const;
    // An existing name raises DuplicateName, so that a name finds one surface.
    std::shared_ptr<AeccSurface> Add(const std::string& name);

private:
    std::vector<std::shared_ptr<AeccSurface>> items_;
};

class AeccDocument : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "AeccDocument"; }
    const com::DispatchTable& Table() const override;

    std::shared_ptr<AeccSurfaces> Surfaces() const;
    std::shared_ptr<AeccSurface> Surfaces(const com::Variant& index) const;
    // Test switch: every access to Surfaces raises FileError, as when the terrain data
    // cannot be read.
    void SetSurfacesFail(bool fail) { surfacesFail_ = fail; }

private:
    // Late-bound callers write both `Surfaces` and `Surfaces(name)`.
    com::Variant SurfacesLateBound(const com::Variant& index) const;

    std::shared_ptr<AeccSurfaces> surfaces_ = std::make_shared<AeccSurfaces>();
    bool surfacesFail_ = false;
};

class AeccApplication : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "AeccApplication"; }
    const com::DispatchTable& Table() const override;

    std::shared_ptr<AeccDocument> ActiveDocument() const { return document_; }
    // Test switch: nullptr is an application with no document open (Nothing late-bound).
    void SetActiveDocument(std::shared_ptr<AeccDocument> document) { document_ = std::move(document); }

private:
    std::shared_ptr<AeccDocument> document_ = std::make_shared<AeccDocument>();
};

}  // namespace civil
