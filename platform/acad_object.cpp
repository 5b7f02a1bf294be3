#include "platform/acad_object.h"

#include <cmath>

#include "platform/acad_block.h"
#include "platform/acad_document.h"
#include "platform/acad_layers.h"
#include "platform/vb_text.h"

namespace acad {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::VarType;
using com::Variant;

// ---- AcadObject ---------------------------------------------------------------------

const com::DispatchTable& AcadObject::ClassTable() {
    static const com::DispatchTable table = com::BuildTable<AcadObject>([](auto& b) {
        b.Get("ObjectID", &AcadObject::ObjectID)
            .Get("ObjectName", &AcadObject::ObjectName)
            .Method("GetXData", &AcadObject::GetXData, 1)
            .Method("SetXData", &AcadObject::SetXData);
    });
    return table;
}
const com::DispatchTable& AcadObject::Table() const { return ClassTable(); }

std::shared_ptr<AcadDatabase> AcadObject::Database() const {
    auto db = db_.lock();
    if (!db) Raise(ErrorCode::ObjectErased, "the drawing of this object is closed");
    return db;
}

void AcadObject::CheckAlive() const {
    if (erased_) Raise(ErrorCode::ObjectErased, std::to_string(id_));
    if (db_.expired()) Raise(ErrorCode::ObjectErased, "the drawing of this object is closed");
}

void AcadObject::CheckWritable() const {}

const AcadObject::XDataRecord* AcadObject::FindXData(std::string_view app) const {
    for (const XDataRecord& r : xdata_)
        if (SameSymbolName(r.app, app)) return &r;
    return nullptr;
}

void AcadObject::GetXData(const std::string& appName, Variant& xdataType, Variant& xdataValue) const {
    CheckAlive();
    const XDataRecord* r = FindXData(appName);
    if (r == nullptr) {
        xdataType = Variant();
        xdataValue = Variant();
        return;
    }
    xdataType = Variant(SafeArray::FromInt16s(r->entries->codes));
    xdataValue = Variant(SafeArray::FromVariants(r->entries->values));
}

std::shared_ptr<const XDataEntries> AcadObject::ReadXData(std::string_view appName) const {
    CheckAlive();
    const XDataRecord* r = FindXData(appName);
    return r == nullptr ? nullptr : r->entries;
}

void AcadObject::SetXData(const Variant& xdataType, const Variant& xdataValue) {
    CheckAlive();
    CheckWritable();
    if (!xdataType.IsArray() || !xdataValue.IsArray()) Raise(ErrorCode::InvalidInput, "extended data must be two arrays");
    StoreXData(xdataType.Array().ToInt16s(), xdataValue.Array().ToVariants(), nullptr);
}

void AcadObject::WriteXData(const std::shared_ptr<const XDataEntries>& entries) {
    CheckAlive();
    CheckWritable();
    if (!entries) Raise(ErrorCode::InvalidInput, "extended data must be two arrays");
    StoreXData(entries->codes, entries->values, entries);
}

namespace {

// The type a value of the code is stored as.
VarType StoredType(int16_t code) {
    switch (code) {
    case 1000: return VarType::String;
    case 1040: return VarType::Double;
    case 1070: return VarType::Integer;
    case 1071: return VarType::Long;
    case 1001: Raise(ErrorCode::InvalidInput, "one application per record");
    default: Raise(ErrorCode::InvalidInput, "unsupported extended data group code " + std::to_string(code));
    }
}

Variant AsStored(int16_t code, const Variant& value) {
    switch (code) {
    case 1000: return Variant(vb::CStr(value));
    case 1040: return Variant(vb::CDbl(value));
    case 1070: return Variant(vb::CInt(value));
    default: return Variant(vb::CLng(value));
    }
}

}  // namespace

void AcadObject::StoreXData(const std::vector<int16_t>& codes, const std::vector<Variant>& values,
                            const std::shared_ptr<const XDataEntries>& given) {
    if (codes.empty() || codes.size() != values.size())
        Raise(ErrorCode::InvalidInput, "extended data arrays must be non-empty and of equal length");
    if (codes[0] != 1001) Raise(ErrorCode::InvalidInput, "extended data must start with the application (1001)");
    XDataRecord record;
    record.app = vb::CStr(values[0]);
    if (record.app.empty()) Raise(ErrorCode::InvalidInput, "empty application name");
    // Values already of their code's type are kept as they are; while all are, the given
    // record itself is stored.
    bool asGiven = given != nullptr && values[0].IsString();
    std::vector<Variant> converted;
    if (!asGiven) {
        converted.reserve(values.size());
        converted.push_back(Variant(record.app));
    }
    bool strict = Database()->StrictXDataLimits();
    std::size_t bytes = record.app.size() + 1;
    for (std::size_t i = 1; i < codes.size(); ++i) {
        const VarType type = StoredType(codes[i]);
        Variant stored;
        const bool convert = values[i].Type() != type;
        if (convert) {
            stored = AsStored(codes[i], values[i]);
            if (asGiven) {
                asGiven = false;
                converted.assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
        const Variant& value = convert ? stored : values[i];
        switch (type) {
        case VarType::String:
            if (strict && value.Str().size() > 255)
                Raise(ErrorCode::InvalidInput, "extended data text longer than 255 bytes at entry " + std::to_string(i));
            bytes += value.Str().size() + 1;
            break;
        case VarType::Double: bytes += 8; break;
        case VarType::Integer: bytes += 2; break;
        default: bytes += 4; break;
        }
        if (!asGiven) converted.push_back(convert ? std::move(stored) : values[i]);
    }
    if (strict && bytes > 16383) Raise(ErrorCode::InvalidInput, "extended data of an object exceeds 16 KB");
    record.entries = asGiven ? given : std::make_shared<XDataEntries>(XDataEntries{codes, std::move(converted)});
    for (auto it = xdata_.begin(); it != xdata_.end(); ++it) {
        if (SameSymbolName(it->app, record.app)) {
            if (codes.size() == 1)
                xdata_.erase(it);
            else
                *it = std::move(record);
            return;
        }
    }
    if (codes.size() > 1) xdata_.push_back(std::move(record));
}

std::vector<std::string> AcadObject::XDataApplications() const {
    std::vector<std::string> apps;
    for (const XDataRecord& r : xdata_) apps.push_back(r.app);
    return apps;
}

std::vector<std::string> AcadObject::XDataTexts(std::string_view appName) const {
    std::vector<std::string> texts;
    if (const XDataRecord* r = FindXData(appName))
        for (std::size_t i = 0; i < r->entries->codes.size(); ++i)
            if (r->entries->codes[i] == 1000) texts.push_back(r->entries->values[i].Str());
    return texts;
}

// ---- Transform ----------------------------------------------------------------------

Point3 Transform::Apply(const Point3& p) const {
    return {xx * p[0] + xy * p[1] + dx, yx * p[0] + yy * p[1] + dy, p[2] + dz};
}

Point3 Transform::ApplyToVector(const Point3& v) const { return {xx * v[0] + xy * v[1], yx * v[0] + yy * v[1], v[2]}; }

Transform Transform::Move(const Point3& from, const Point3& to) {
    Transform t;
    t.dx = to[0] - from[0];
    t.dy = to[1] - from[1];
    t.dz = to[2] - from[2];
    return t;
}

Transform Transform::Rotate(const Point3& base, double angle) {
    Transform t;
    double c = std::cos(angle), s = std::sin(angle);
    t.xx = c;
    t.xy = -s;
    t.yx = s;
    t.yy = c;
    t.dx = base[0] - c * base[0] + s * base[1];
    t.dy = base[1] - s * base[0] - c * base[1];
    t.rotation = angle;
    return t;
}

Transform Transform::Mirror(const Point3& a, const Point3& b) {
    double ux = b[0] - a[0], uy = b[1] - a[1];
    double len = std::hypot(ux, uy);
    if (len == 0) Raise(ErrorCode::InvalidInput, "the mirror line needs two distinct points");
    ux /= len;
    uy /= len;
    Transform t;
    t.xx = 2 * ux * ux - 1;
    t.xy = 2 * ux * uy;
    t.yx = 2 * ux * uy;
    t.yy = 2 * uy * uy - 1;
    t.dx = a[0] - t.xx * a[0] - t.xy * a[1];
    t.dy = a[1] - t.yx * a[0] - t.yy * a[1];
    t.mirror = true;
    return t;
}

// ---- AcadEntity ---------------------------------------------------------------------

const com::DispatchTable& AcadEntity::ClassTable() {
    static const com::DispatchTable table = com::BuildTable<AcadEntity>([](auto& b) {
        b.Inherit(AcadObject::ClassTable())
            .Property("Layer", &AcadEntity::Layer, &AcadEntity::SetLayer)
            .Property("TrueColor", &AcadEntity::TrueColor, &AcadEntity::SetTrueColor)
            .Property("Visible", &AcadEntity::Visible, &AcadEntity::SetVisible)
            .Method("Delete", &AcadEntity::Delete)
            .Method("Move", &AcadEntity::Move)
            .Method("Rotate", &AcadEntity::Rotate)
            .Method("Mirror", &AcadEntity::Mirror)
            .Method("Copy", &AcadEntity::Copy)
            .Method("GetBoundingBox", &AcadEntity::GetBoundingBox, 0)
            .Method("IntersectWith", &AcadEntity::IntersectWith);
    });
    return table;
}
const com::DispatchTable& AcadEntity::Table() const { return ClassTable(); }

void AcadEntity::CheckWritable() const {
    auto db = Database();
    if (!db->EnforceLayerLocks()) return;
    auto layer = db->FindLayer(layer_);
    if (layer && layer->Lock()) Raise(ErrorCode::OnLockedLayer, layer_);
}

void AcadEntity::CopyEntityProperties(const AcadEntity& from) {
    layer_ = from.layer_;
    colorIndex_ = from.colorIndex_;
    visible_ = from.visible_;
    ShareDrawing(from);
}

std::string AcadEntity::Layer() const {
    CheckAlive();
    return layer_;
}

void AcadEntity::SetLayer(const std::string& name) {
    CheckAlive();
    CheckWritable();
    auto layer = Database()->FindLayer(name);
    if (!layer) Raise(ErrorCode::MissingLayer, name);
    layer_ = layer->Name();
}

std::shared_ptr<AcadAcCmColor> AcadEntity::TrueColor() const {
    CheckAlive();
    return std::make_shared<AcadAcCmColor>(colorIndex_);
}

void AcadEntity::SetTrueColor(const std::shared_ptr<AcadAcCmColor>& color) {
    CheckAlive();
    if (!color) Raise(ErrorCode::ObjectRequired);
    CheckWritable();
    colorIndex_ = color->ColorIndex();
}

bool AcadEntity::Visible() const {
    CheckAlive();
    return visible_;
}

void AcadEntity::SetVisible(bool visible) {
    CheckAlive();
    CheckWritable();
    visible_ = visible;
}

void AcadEntity::Delete() {
    CheckAlive();
    CheckWritable();
    EraseOwned();
}

void AcadEntity::EraseOwned() {
    // An observer that erases the entity it is told of leaves the erasing to this call.
    if (Erased() || erasing_) return;
    auto owner = owner_.lock();
    auto db = DatabaseIfOpen();
    // Only what the user sees in a layout is reported, not a block definition's contents.
    bool reported = db && owner && owner->IsLayout();
    if (reported) {
        erasing_ = true;
        try {
            db->ReportErase(*this, EraseObserver::Phase::Before);
        } catch (...) {
            erasing_ = false;
            throw;
        }
        erasing_ = false;
    }
    EraseParts();
    MarkErased();
    if (owner) owner->Remove(*this);
    if (db) db->Forget(*this);
    if (reported) db->ReportErase(*this, EraseObserver::Phase::After);
}

void AcadEntity::Move(const Point3& fromPoint, const Point3& toPoint) {
    CheckAlive();
    CheckWritable();
    ApplyTransform(Transform::Move(fromPoint, toPoint));
}

void AcadEntity::Rotate(const Point3& basePoint, double rotationAngle) {
    CheckAlive();
    CheckWritable();
    ApplyTransform(Transform::Rotate(basePoint, rotationAngle));
}

std::shared_ptr<AcadEntity> AcadEntity::Mirror(const Point3& point1, const Point3& point2) {
    CheckAlive();
    Transform t = Transform::Mirror(point1, point2);
    auto copy = CloneEntity();
    copy->ApplyTransform(t);
    copy->CopyXDataFrom(*this);
    auto owner = owner_.lock();
    if (!owner) Raise(ErrorCode::NotApplicable, "an attribute is mirrored with its block reference");
    owner->Append(copy);
    return copy;
}

std::shared_ptr<AcadEntity> AcadEntity::Copy() {
    CheckAlive();
    auto copy = CloneEntity();
    copy->CopyXDataFrom(*this);
    auto owner = owner_.lock();
    if (!owner) Raise(ErrorCode::NotApplicable, "an attribute is copied with its block reference");
    owner->Append(copy);
    return copy;
}

void AcadEntity::GetBoundingBox(Point3& minPoint, Point3& maxPoint) const {
    CheckAlive();
    geom::Box box = Extents();
    if (!box.valid) Raise(ErrorCode::InvalidInput, "the entity has no extents");
    minPoint = {box.minX, box.minY, 0};
    maxPoint = {box.maxX, box.maxY, 0};
}

Variant AcadEntity::IntersectWith(const std::shared_ptr<AcadEntity>& intersectObject, int32_t extendOption) const {
    CheckAlive();
    if (!intersectObject) Raise(ErrorCode::ObjectRequired);
    intersectObject->CheckAlive();
    if (extendOption != 0) Raise(ErrorCode::InvalidInput, "only acExtendNone is supported");
    std::vector<geom::Segment> mine = PathSegments();
    std::vector<geom::Segment> theirs = intersectObject->PathSegments();
    if (mine.empty() || theirs.empty())
        Raise(ErrorCode::NotApplicable, "intersections are computed between lines and polylines");
    std::vector<double> flat;
    for (const Point3& p : geom::IntersectPaths(mine, theirs)) flat.insert(flat.end(), p.begin(), p.end());
    return Variant(SafeArray::FromDoubles(flat));
}

// ---- AcadAcCmColor ------------------------------------------------------------------

const com::DispatchTable& AcadAcCmColor::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadAcCmColor>(
        [](auto& b) { b.Property("ColorIndex", &AcadAcCmColor::ColorIndex, &AcadAcCmColor::SetColorIndex); });
    return table;
}

void AcadAcCmColor::SetColorIndex(int32_t index) {
    if (index < 0 || index > 256) Raise(ErrorCode::InvalidInput, "colour index " + std::to_string(index));
    index_ = index;
}

}  // namespace acad
