#pragma once
// The drawing stand-in: objects of one drawing database, their identifiers and their
// extended entity data, and the entity behaviour every drawn object shares.
//
// Identifiers are signed 32-bit, unique in the database and never reused; they are drawn
// from a deliberately awkward sequence (large, of varying length, some negative) so that
// text and sign faults show. An erased object stays valid in memory: its ObjectID can be
// read, every other member raises ObjectErased, and the database no longer finds it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dispatch.h"
#include "platform/geometry.h"
#include "platform/selection_filter.h"

namespace acad {

using geom::Point3;

class AcadDatabase;
class AcadBlock;
class AcadLayer;
class AcadAcCmColor;

// One application's extended data as the drawing stores it: shared with those who read it
// and never changed in place (a write stores another). Always made as a changeable object,
// so that its last owner may change it.
struct XDataEntries {
    std::vector<int16_t> codes;
    std::vector<com::Variant> values;  // values[0] the application
};

class AcadObject : public com::Dispatch {
public:
    const com::DispatchTable& Table() const override;
    static const com::DispatchTable& ClassTable();

    int32_t ObjectID() const noexcept { return id_; }
    // The class name the platform reports ("AcDbLine", "AcDbPolyline", ...).
    virtual std::string ObjectName() const = 0;
    bool Erased() const noexcept { return erased_; }

    // Two parallel 0-based arrays (16-bit codes, Variant values) of the application's
    // record, entry 0 being (1001, application); Empty and Empty without a record.
    void GetXData(const std::string& appName, com::Variant& xdataType, com::Variant& xdataValue) const;
    // Replaces the application's record whole (the application is value 0 of code 1001).
    // Values are stored as their code's type: 1000 text, 1040 real, 1070 16-bit integer,
    // 1071 32-bit integer. A record of the application entry alone removes the record.
    void SetXData(const com::Variant& xdataType, const com::Variant& xdataValue);
    std::vector<std::string> XDataApplications() const;
    std::vector<std::string> XDataTexts(std::string_view appName) const;

    // Stand-in plumbing (not automation members).
    // GetXData and SetXData without the automation arrays in between, with the same checks:
    // the record as stored, shared (nullptr without one); and a record stored as it is when
    // every value already has its code's type, otherwise converted as SetXData converts.
    std::shared_ptr<const XDataEntries> ReadXData(std::string_view appName) const;
    void WriteXData(const std::shared_ptr<const XDataEntries>& entries);
    std::shared_ptr<AcadDatabase> Database() const;  // raises when the drawing is gone
    uint64_t CreationOrder() const noexcept { return order_; }
    void CheckAlive() const;  // raises ObjectErased for an erased object

protected:
    AcadObject() = default;
    // Raises when the object may not be modified (an entity on a locked layer).
    virtual void CheckWritable() const;
    void MarkErased() { erased_ = true; }
    void CopyXDataFrom(const AcadObject& other) { xdata_ = other.xdata_; }
    // A detached copy (not in any database) still knows its drawing's tables.
    void ShareDrawing(const AcadObject& other) { db_ = other.db_; }
    std::shared_ptr<AcadDatabase> DatabaseIfOpen() const { return db_.lock(); }

private:
    friend class AcadDatabase;
    struct XDataRecord {
        std::string app;
        std::shared_ptr<const XDataEntries> entries;
    };
    const XDataRecord* FindXData(std::string_view app) const;
    // SetXData's checks and storing, on the arrays as vectors; `given` holds them when it
    // may be stored as it is.
    void StoreXData(const std::vector<int16_t>& codes, const std::vector<com::Variant>& values,
                    const std::shared_ptr<const XDataEntries>& given);

    std::weak_ptr<AcadDatabase> db_;
    int32_t id_ = 0;
    uint64_t order_ = 0;
    bool erased_ = false;
    std::vector<XDataRecord> xdata_;
};

// Affine transform in plan used by Move, Rotate and Mirror.
struct Transform {
    // x' = xx*x + xy*y + dx, y' = yx*x + yy*y + dy, z' = z + dz
    double xx = 1, xy = 0, yx = 0, yy = 1, dx = 0, dy = 0, dz = 0;
    double rotation = 0;  // angle added to directions
    double scale = 1;     // factor applied to sizes (radii, text heights, widths)
    bool mirror = false;
    Point3 Apply(const Point3& p) const;
    Point3 ApplyToVector(const Point3& v) const;
    static Transform Move(const Point3& from, const Point3& to);
    static Transform Rotate(const Point3& base, double angle);
    static Transform Mirror(const Point3& a, const Point3& b);
};

class AcadEntity : public AcadObject, public FilterSubject {
public:
    const com::DispatchTable& Table() const override;
    static const com::DispatchTable& ClassTable();

    // The entity type name that selection filters test with group 0 ("LINE", "INSERT", ...).
    std::string DxfName() const override = 0;
    std::string BlockName() const override { return ""; }
    std::string LayerName() const override { return layer_; }
    std::vector<std::string> XDataApplications() const override { return AcadObject::XDataApplications(); }
    std::vector<std::string> XDataTexts(std::string_view app) const override { return AcadObject::XDataTexts(app); }

    std::string Layer() const;
    // The layer must exist; the entity takes its name as the layer table spells it.
    void SetLayer(const std::string& name);
    std::shared_ptr<AcadAcCmColor> TrueColor() const;
    void SetTrueColor(const std::shared_ptr<AcadAcCmColor>& color);
    bool Visible() const;
    virtual void SetVisible(bool visible);

    // Erases the entity (and what it owns, such as a block reference's attributes).
    virtual void Delete();
    void Move(const Point3& fromPoint, const Point3& toPoint);
    void Rotate(const Point3& basePoint, double rotationAngle);
    // A mirrored copy; the entity itself stays.
    std::shared_ptr<AcadEntity> Mirror(const Point3& point1, const Point3& point2);
    // A copy in the same space with a new identifier, carrying the extended data.
    std::shared_ptr<AcadEntity> Copy();
    void GetBoundingBox(Point3& minPoint, Point3& maxPoint) const;
    // The points where the two entities meet, as a Double array x, y, z per point (an
    // empty array when they do not meet). Lines and lightweight polylines only, and only
    // acExtendNone (0).
    com::Variant IntersectWith(const std::shared_ptr<AcadEntity>& intersectObject, int32_t extendOption) const;

    // Stand-in plumbing.
    std::shared_ptr<AcadBlock> OwnerBlock() const { return owner_.lock(); }
    virtual geom::Box Extents() const = 0;
    // The segments of the entity's path, straight or bulged, for intersections (empty when
    // it has none).
    virtual std::vector<geom::Segment> PathSegments() const { return {}; }
    // A copy of the geometry and properties, not yet in any database.
    virtual std::shared_ptr<AcadEntity> CloneEntity() const = 0;
    virtual void ApplyTransform(const Transform& t) = 0;
    // Removes the entity without lock checks (erasing what owns it). An entity of model
    // space or paper space is reported to the drawing's erase observer before and after.
    void EraseOwned();

protected:
    void CheckWritable() const override;
    void CopyEntityProperties(const AcadEntity& from);
    // What the entity owns, erased with it while it is still alive.
    virtual void EraseParts() {}

private:
    friend class AcadBlock;
    friend class AcadBlockReference;
    std::weak_ptr<AcadBlock> owner_;
    std::string layer_ = "0";
    int32_t colorIndex_ = 256;  // ByLayer
    bool visible_ = true;
    bool erasing_ = false;
};

// The platform's colour object: a colour index, 0 (ByBlock) to 256 (ByLayer).
class AcadAcCmColor : public com::Dispatch {
public:
    explicit AcadAcCmColor(int32_t colorIndex = 256) : index_(colorIndex) {}
    std::string_view TypeName() const override { return "AcadAcCmColor"; }
    const com::DispatchTable& Table() const override;

    int32_t ColorIndex() const { return index_; }
    void SetColorIndex(int32_t index);

private:
    int32_t index_;
};

// A typed view of an object, failing as a typed assignment does.
template <class T>
std::shared_ptr<T> Cast(const std::shared_ptr<AcadObject>& object) {
    auto t = std::dynamic_pointer_cast<T>(object);
    if (!t) com::Raise(com::ErrorCode::TypeMismatch, object ? "object of another class" : "Nothing");
    return t;
}

}  // namespace acad
