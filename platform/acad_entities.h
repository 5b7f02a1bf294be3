#pragma once
// The drawn entities of the stand-in: lines, lightweight polylines, circles, ellipses,
// hatches, points, texts and attribute definitions and references.

#include <memory>
#include <string>
#include <vector>

#include "platform/acad_object.h"

namespace acad {

class AcadLine : public AcadEntity {
public:
    std::string_view TypeName() const override { return "AcadLine"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbLine"; }
    std::string DxfName() const override { return "LINE"; }

    Point3 StartPoint() const;
    void SetStartPoint(const Point3& p);
    Point3 EndPoint() const;
    void SetEndPoint(const Point3& p);
    double Length() const;  // in space, z included

    geom::Box Extents() const override;
    std::vector<geom::Segment> PathSegments() const override;
    std::shared_ptr<AcadEntity> CloneEntity() const override;
    void ApplyTransform(const Transform& t) override;

private:
    friend class AcadBlock;
    Point3 start_{}, end_{};
};

class AcadLWPolyline : public AcadEntity {
public:
    std::string_view TypeName() const override { return "AcadLWPolyline"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbPolyline"; }
    std::string DxfName() const override { return "LWPOLYLINE"; }

    // Flat x0, y0, x1, y1, ...; a new list needs at least two vertices.
    std::vector<double> Coordinates() const;
    void SetCoordinates(const std::vector<double>& coordinates);
    // Vertex i as (x, y).
    std::array<double, 2> Coordinate(int32_t index) const;
    void SetCoordinate(int32_t index, const std::array<double, 2>& point);
    bool Closed() const;
    void SetClosed(bool closed);
    double GetBulge(int32_t index) const;
    void SetBulge(int32_t index, double bulge);
    void GetWidth(int32_t segmentIndex, double& startWidth, double& endWidth) const;
    void SetWidth(int32_t segmentIndex, double startWidth, double endWidth);
    // Plan length of every segment, arcs measured along the arc, the closing one included.
    double Length() const;

    geom::Box Extents() const override;
    std::vector<geom::Segment> PathSegments() const override;
    std::shared_ptr<AcadEntity> CloneEntity() const override;
    void ApplyTransform(const Transform& t) override;

private:
    friend class AcadBlock;
    struct Vertex {
        double x = 0, y = 0, bulge = 0, startWidth = 0, endWidth = 0;
    };
    std::vector<geom::Segment> Segments() const;
    std::size_t CheckedVertex(int32_t index) const;
    std::size_t CheckedSegment(int32_t index) const;
    std::vector<Vertex> vertices_;
    bool closed_ = false;
};

class AcadCircle : public AcadEntity {
public:
    std::string_view TypeName() const override { return "AcadCircle"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbCircle"; }
    std::string DxfName() const override { return "CIRCLE"; }

    Point3 Center() const;
    void SetCenter(const Point3& c);
    double Radius() const;
    void SetRadius(double r);

    geom::Box Extents() const override;
    std::shared_ptr<AcadEntity> CloneEntity() const override;
    void ApplyTransform(const Transform& t) override;

private:
    friend class AcadBlock;
    Point3 center_{};
    double radius_ = 1;
};

class AcadEllipse : public AcadEntity {
public:
    std::string_view TypeName() const override { return "AcadEllipse"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbEllipse"; }
    std::string DxfName() const override { return "ELLIPSE"; }

    Point3 Center() const;
    Point3 MajorAxis() const;
    double RadiusRatio() const;
    void SetRadiusRatio(double ratio);  // 0 < ratio <= 1

    geom::Box Extents() const override;
    std::shared_ptr<AcadEntity> CloneEntity() const override;
    void ApplyTransform(const Transform& t) override;

private:
    friend class AcadBlock;
    Point3 center_{};
    Point3 majorAxis_{1, 0, 0};
    double ratio_ = 1;
};

class AcadHatch : public AcadEntity {
public:
    std::string_view TypeName() const override { return "AcadHatch"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbHatch"; }
    std::string DxfName() const override { return "HATCH"; }

    int32_t PatternType() const;
    std::string PatternName() const;
    bool AssociativeHatch() const;
    int32_t NumberOfLoops() const;
    // The boundary: closed entities (circles, ellipses, closed polylines). The hatch keeps
    // its own copy of their geometry, so it outlives them.
    void AppendOuterLoop(const std::vector<std::shared_ptr<AcadEntity>>& objectArray);

    geom::Box Extents() const override;
    std::shared_ptr<AcadEntity> CloneEntity() const override;
    void ApplyTransform(const Transform& t) override;

private:
    friend class AcadBlock;
    int32_t patternType_ = 1;
    std::string patternName_ = "SOLID";
    bool associative_ = true;
    std::vector<std::vector<std::shared_ptr<AcadEntity>>> loops_;
};

class AcadPoint : public AcadEntity {
public:
    std::string_view TypeName() const override { return "AcadPoint"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbPoint"; }
    std::string DxfName() const override { return "POINT"; }

    Point3 Coordinates() const;
    void SetCoordinates(const Point3& p);

    geom::Box Extents() const override;
    std::shared_ptr<AcadEntity> CloneEntity() const override;
    void ApplyTransform(const Transform& t) override;

private:
    friend class AcadBlock;
    Point3 position_{};
};

// What texts, attribute definitions and attribute references share: the string, its
// height, style, rotation and alignment, and the extents of the fixed text-size model.
// A left-aligned text (0) is placed by its insertion point, any other by its alignment
// point; changing the alignment keeps the text where it stands.
class AcadTextBase : public AcadEntity {
public:
    const com::DispatchTable& Table() const override;
    static const com::DispatchTable& ClassTable();

    std::string TextString() const;
    void SetTextString(const std::string& text);
    double Height() const;
    void SetHeight(double height);  // > 0
    double Rotation() const;
    void SetRotation(double angle);
    std::string StyleName() const;
    void SetStyleName(const std::string& name);  // the style must exist
    int32_t Alignment() const;
    void SetAlignment(int32_t alignment);  // 0, 1, 2, 9, 10 or 11
    Point3 InsertionPoint() const;
    void SetInsertionPoint(const Point3& p);
    Point3 TextAlignmentPoint() const;
    void SetTextAlignmentPoint(const Point3& p);
    void Update() {}  // regeneration: nothing to do here

    geom::Box Extents() const override;
    void ApplyTransform(const Transform& t) override;

protected:
    void CopyTextFrom(const AcadTextBase& other);
    double WidthFactor() const;
    geom::Point2 Origin() const;  // left end of the baseline
    void PlaceOrigin(geom::Point2 origin);

private:
    friend class AcadBlock;
    friend class AcadBlockReference;
    std::string text_;
    double height_ = 1;
    double rotation_ = 0;
    std::string style_ = "Standard";
    int32_t alignment_ = 0;
    Point3 insertion_{};
    Point3 alignmentPoint_{};
};

class AcadText : public AcadTextBase {
public:
    std::string_view TypeName() const override { return "AcadText"; }
    std::string ObjectName() const override { return "AcDbText"; }
    std::string DxfName() const override { return "TEXT"; }
    std::shared_ptr<AcadEntity> CloneEntity() const override;
};

// An attribute definition in a block; TextString is its default value.
class AcadAttribute : public AcadTextBase {
public:
    std::string_view TypeName() const override { return "AcadAttribute"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbAttributeDefinition"; }
    std::string DxfName() const override { return "ATTDEF"; }

    std::string TagString() const;
    void SetTagString(const std::string& tag);
    std::string PromptString() const;
    void SetPromptString(const std::string& prompt);
    int32_t Mode() const;
    void SetMode(int32_t mode);
    bool Constant() const { return (mode_ & 2) != 0; }
    std::shared_ptr<AcadEntity> CloneEntity() const override;

private:
    friend class AcadBlock;
    std::string tag_;
    std::string prompt_;
    int32_t mode_ = 0;
};

// An attribute of a block reference: owned by the reference, never selected on its own.
class AcadAttributeReference : public AcadTextBase {
public:
    std::string_view TypeName() const override { return "AcadAttributeReference"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbAttribute"; }
    std::string DxfName() const override { return "ATTRIB"; }

    std::string TagString() const;
    void SetTagString(const std::string& tag);
    std::shared_ptr<AcadEntity> CloneEntity() const override;

private:
    friend class AcadBlock;
    friend class AcadBlockReference;
    std::string tag_;
};

}  // namespace acad
