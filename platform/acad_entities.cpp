#include "platform/acad_entities.h"

#include <algorithm>
#include <cmath>

#include "platform/acad_document.h"
#include "platform/text_extents.h"

namespace acad {

using com::ErrorCode;
using com::Raise;

namespace {
geom::Point2 Plan(const Point3& p) { return {p[0], p[1]}; }
}  // namespace

// ---- AcadLine -----------------------------------------------------------------------

const com::DispatchTable& AcadLine::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadLine>([](auto& b) {
        b.Inherit(AcadEntity::ClassTable())
            .Property("StartPoint", &AcadLine::StartPoint, &AcadLine::SetStartPoint)
            .Property("EndPoint", &AcadLine::EndPoint, &AcadLine::SetEndPoint)
            .Get("Length", &AcadLine::Length);
    });
    return table;
}

Point3 AcadLine::StartPoint() const {
    CheckAlive();
    return start_;
}
void AcadLine::SetStartPoint(const Point3& p) {
    CheckAlive();
    CheckWritable();
    start_ = p;
}
Point3 AcadLine::EndPoint() const {
    CheckAlive();
    return end_;
}
void AcadLine::SetEndPoint(const Point3& p) {
    CheckAlive();
    CheckWritable();
    end_ = p;
}
double AcadLine::Length() const {
    CheckAlive();
    return std::sqrt(std::pow(end_[0] - start_[0], 2) + std::pow(end_[1] - start_[1], 2) +
                     std::pow(end_[2] - start_[2], 2));
}
geom::Box AcadLine::Extents() const {
    geom::Box box;
    box.Include(Plan(start_));
    box.Include(Plan(end_));
    return box;
}
std::vector<geom::Segment> AcadLine::PathSegments() const { return {geom::Segment{Plan(start_), Plan(end_), 0}}; }
std::shared_ptr<AcadEntity> AcadLine::CloneEntity() const {
    auto c = std::make_shared<AcadLine>();
    c->CopyEntityProperties(*this);
    c->start_ = start_;
    c->end_ = end_;
    return c;
}
void AcadLine::ApplyTransform(const Transform& t) {
    start_ = t.Apply(start_);
    end_ = t.Apply(end_);
}

// ---- AcadLWPolyline -----------------------------------------------------------------

const com::DispatchTable& AcadLWPolyline::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadLWPolyline>([](auto& b) {
        b.Inherit(AcadEntity::ClassTable())
            .Property("Coordinates", &AcadLWPolyline::Coordinates, &AcadLWPolyline::SetCoordinates)
            .Property("Coordinate", &AcadLWPolyline::Coordinate, &AcadLWPolyline::SetCoordinate)
            .Property("Closed", &AcadLWPolyline::Closed, &AcadLWPolyline::SetClosed)
            .Method("GetBulge", &AcadLWPolyline::GetBulge)
            .Method("SetBulge", &AcadLWPolyline::SetBulge)
            .Method("GetWidth", &AcadLWPolyline::GetWidth, 1)
            .Method("SetWidth", &AcadLWPolyline::SetWidth)
            .Get("Length", &AcadLWPolyline::Length);
    });
    return table;
}

std::vector<double> AcadLWPolyline::Coordinates() const {
    CheckAlive();
    std::vector<double> flat;
    for (const Vertex& v : vertices_) {
        flat.push_back(v.x);
        flat.push_back(v.y);
    }
    return flat;
}

void AcadLWPolyline::SetCoordinates(const std::vector<double>& coordinates) {
    CheckAlive();
    CheckWritable();
    if (coordinates.size() % 2 != 0 || coordinates.size() < 4)
        Raise(ErrorCode::InvalidInput, "a polyline needs x and y of at least two vertices");
    vertices_.resize(coordinates.size() / 2);
    for (std::size_t i = 0; i < vertices_.size(); ++i) {
        vertices_[i].x = coordinates[2 * i];
        vertices_[i].y = coordinates[2 * i + 1];
    }
}

std::size_t AcadLWPolyline::CheckedVertex(int32_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= vertices_.size())
        Raise(ErrorCode::InvalidInput, "vertex index " + std::to_string(index));
    return static_cast<std::size_t>(index);
}

std::size_t AcadLWPolyline::CheckedSegment(int32_t index) const { return CheckedVertex(index); }

std::array<double, 2> AcadLWPolyline::Coordinate(int32_t index) const {
    CheckAlive();
    const Vertex& v = vertices_[CheckedVertex(index)];
    return {v.x, v.y};
}

void AcadLWPolyline::SetCoordinate(int32_t index, const std::array<double, 2>& point) {
    CheckAlive();
    CheckWritable();
    Vertex& v = vertices_[CheckedVertex(index)];
    v.x = point[0];
    v.y = point[1];
}

bool AcadLWPolyline::Closed() const {
    CheckAlive();
    return closed_;
}
void AcadLWPolyline::SetClosed(bool closed) {
    CheckAlive();
    CheckWritable();
    closed_ = closed;
}
double AcadLWPolyline::GetBulge(int32_t index) const {
    CheckAlive();
    return vertices_[CheckedVertex(index)].bulge;
}
void AcadLWPolyline::SetBulge(int32_t index, double bulge) {
    CheckAlive();
    CheckWritable();
    vertices_[CheckedVertex(index)].bulge = bulge;
}
void AcadLWPolyline::GetWidth(int32_t segmentIndex, double& startWidth, double& endWidth) const {
    CheckAlive();
    const Vertex& v = vertices_[CheckedSegment(segmentIndex)];
    startWidth = v.startWidth;
    endWidth = v.endWidth;
}
void AcadLWPolyline::SetWidth(int32_t segmentIndex, double startWidth, double endWidth) {
    CheckAlive();
    CheckWritable();
    if (startWidth < 0 || endWidth < 0) Raise(ErrorCode::InvalidInput, "negative width");
    Vertex& v = vertices_[CheckedSegment(segmentIndex)];
    v.startWidth = startWidth;
    v.endWidth = endWidth;
}

std::vector<geom::Segment> AcadLWPolyline::Segments() const {
    std::vector<geom::Segment> segs;
    std::size_t n = vertices_.size();
    std::size_t count = closed_ && n > 1 ? n : (n > 0 ? n - 1 : 0);
    for (std::size_t i = 0; i < count; ++i) {
        const Vertex& a = vertices_[i];
        const Vertex& b = vertices_[(i + 1) % n];
        segs.push_back(geom::Segment{{a.x, a.y}, {b.x, b.y}, a.bulge});
    }
    return segs;
}

double AcadLWPolyline::Length() const {
    CheckAlive();
    double total = 0;
    for (const geom::Segment& s : Segments()) total += geom::SegmentLength(s);
    return total;
}

geom::Box AcadLWPolyline::Extents() const {
    geom::Box box;
    std::vector<geom::Segment> segs = Segments();
    for (std::size_t i = 0; i < segs.size(); ++i) {
        geom::Box sb = geom::SegmentBox(segs[i]);
        // Wide segments: widen the segment's box by half the larger width.
        double half = std::max(vertices_[i].startWidth, vertices_[i].endWidth) / 2;
        if (half > 0) {
            sb.Include(geom::Point2{sb.minX - half, sb.minY - half});
            sb.Include(geom::Point2{sb.maxX + half, sb.maxY + half});
        }
        box.Include(sb);
    }
    return box;
}

std::vector<geom::Segment> AcadLWPolyline::PathSegments() const { return Segments(); }

std::shared_ptr<AcadEntity> AcadLWPolyline::CloneEntity() const {
    auto c = std::make_shared<AcadLWPolyline>();
    c->CopyEntityProperties(*this);
    c->vertices_ = vertices_;
    c->closed_ = closed_;
    return c;
}

void AcadLWPolyline::ApplyTransform(const Transform& t) {
    for (Vertex& v : vertices_) {
        Point3 p = t.Apply({v.x, v.y, 0});
        v.x = p[0];
        v.y = p[1];
        if (t.mirror) v.bulge = -v.bulge;
        v.startWidth *= t.scale;
        v.endWidth *= t.scale;
    }
}

// ---- AcadCircle ---------------------------------------------------------------------

const com::DispatchTable& AcadCircle::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadCircle>([](auto& b) {
        b.Inherit(AcadEntity::ClassTable())
            .Property("Center", &AcadCircle::Center, &AcadCircle::SetCenter)
            .Property("Radius", &AcadCircle::Radius, &AcadCircle::SetRadius);
    });
    return table;
}
Point3 AcadCircle::Center() const {
    CheckAlive();
    return center_;
}
void AcadCircle::SetCenter(const Point3& c) {
    CheckAlive();
    CheckWritable();
    center_ = c;
}
double AcadCircle::Radius() const {
    CheckAlive();
    return radius_;
}
void AcadCircle::SetRadius(double r) {
    CheckAlive();
    if (!(r > 0)) Raise(ErrorCode::InvalidInput, "radius must be positive");
    CheckWritable();
    radius_ = r;
}
geom::Box AcadCircle::Extents() const { return geom::CircleBox(Plan(center_), radius_); }
std::shared_ptr<AcadEntity> AcadCircle::CloneEntity() const {
    auto c = std::make_shared<AcadCircle>();
    c->CopyEntityProperties(*this);
    c->center_ = center_;
    c->radius_ = radius_;
    return c;
}
void AcadCircle::ApplyTransform(const Transform& t) {
    center_ = t.Apply(center_);
    radius_ *= t.scale;
}

// ---- AcadEllipse --------------------------------------------------------------------

const com::DispatchTable& AcadEllipse::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadEllipse>([](auto& b) {
        b.Inherit(AcadEntity::ClassTable())
            .Get("Center", &AcadEllipse::Center)
            .Get("MajorAxis", &AcadEllipse::MajorAxis)
            .Property("RadiusRatio", &AcadEllipse::RadiusRatio, &AcadEllipse::SetRadiusRatio);
    });
    return table;
}
Point3 AcadEllipse::Center() const {
    CheckAlive();
    return center_;
}
Point3 AcadEllipse::MajorAxis() const {
    CheckAlive();
    return majorAxis_;
}
double AcadEllipse::RadiusRatio() const {
    CheckAlive();
    return ratio_;
}
void AcadEllipse::SetRadiusRatio(double ratio) {
    CheckAlive();
    if (!(ratio > 0 && ratio <= 1)) Raise(ErrorCode::InvalidInput, "radius ratio must lie in (0, 1]");
    CheckWritable();
    ratio_ = ratio;
}
geom::Box AcadEllipse::Extents() const {
    return geom::EllipseBox(Plan(center_), geom::Point2{majorAxis_[0], majorAxis_[1]}, ratio_);
}
std::shared_ptr<AcadEntity> AcadEllipse::CloneEntity() const {
    auto c = std::make_shared<AcadEllipse>();
    c->CopyEntityProperties(*this);
    c->center_ = center_;
    c->majorAxis_ = majorAxis_;
    c->ratio_ = ratio_;
    return c;
}
void AcadEllipse::ApplyTransform(const Transform& t) {
    center_ = t.Apply(center_);
    majorAxis_ = t.ApplyToVector(majorAxis_);
}

// ---- AcadHatch ----------------------------------------------------------------------

const com::DispatchTable& AcadHatch::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadHatch>([](auto& b) {
        b.Inherit(AcadEntity::ClassTable())
            .Get("PatternType", &AcadHatch::PatternType)
            .Get("PatternName", &AcadHatch::PatternName)
            .Get("AssociativeHatch", &AcadHatch::AssociativeHatch)
            .Get("NumberOfLoops", &AcadHatch::NumberOfLoops)
            .Method("AppendOuterLoop", &AcadHatch::AppendOuterLoop);
    });
    return table;
}
int32_t AcadHatch::PatternType() const {
    CheckAlive();
    return patternType_;
}
std::string AcadHatch::PatternName() const {
    CheckAlive();
    return patternName_;
}
bool AcadHatch::AssociativeHatch() const {
    CheckAlive();
    return associative_;
}
int32_t AcadHatch::NumberOfLoops() const {
    CheckAlive();
    return static_cast<int32_t>(loops_.size());
}

void AcadHatch::AppendOuterLoop(const std::vector<std::shared_ptr<AcadEntity>>& objectArray) {
    CheckAlive();
    CheckWritable();
    if (objectArray.empty()) Raise(ErrorCode::InvalidInput, "a loop needs at least one boundary object");
    std::vector<std::shared_ptr<AcadEntity>> loop;
    for (const auto& e : objectArray) {
        if (!e) Raise(ErrorCode::ObjectRequired);
        e->CheckAlive();
        auto pl = std::dynamic_pointer_cast<AcadLWPolyline>(e);
        bool closedBoundary = std::dynamic_pointer_cast<AcadCircle>(e) || std::dynamic_pointer_cast<AcadEllipse>(e) ||
                              (pl && pl->Closed());
        if (!closedBoundary) Raise(ErrorCode::InvalidInput, "a hatch boundary must be closed");
        loop.push_back(e->CloneEntity());
    }
    loops_.push_back(std::move(loop));
}

geom::Box AcadHatch::Extents() const {
    geom::Box box;
    for (const auto& loop : loops_)
        for (const auto& e : loop) box.Include(e->Extents());
    return box;
}
std::shared_ptr<AcadEntity> AcadHatch::CloneEntity() const {
    auto c = std::make_shared<AcadHatch>();
    c->CopyEntityProperties(*this);
    c->patternType_ = patternType_;
    c->patternName_ = patternName_;
    c->associative_ = associative_;
    for (const auto& loop : loops_) {
        std::vector<std::shared_ptr<AcadEntity>> copy;
        for (const auto& e : loop) copy.push_back(e->CloneEntity());
        c->loops_.push_back(std::move(copy));
    }
    return c;
}
void AcadHatch::ApplyTransform(const Transform& t) {
    for (const auto& loop : loops_)
        for (const auto& e : loop) e->ApplyTransform(t);
}

// ---- AcadPoint ----------------------------------------------------------------------

const com::DispatchTable& AcadPoint::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadPoint>([](auto& b) {
        b.Inherit(AcadEntity::ClassTable()).Property("Coordinates", &AcadPoint::Coordinates, &AcadPoint::SetCoordinates);
    });
    return table;
}
Point3 AcadPoint::Coordinates() const {
    CheckAlive();
    return position_;
}
void AcadPoint::SetCoordinates(const Point3& p) {
    CheckAlive();
    CheckWritable();
    position_ = p;
}
geom::Box AcadPoint::Extents() const {
    geom::Box box;
    box.Include(Plan(position_));
    return box;
}
std::shared_ptr<AcadEntity> AcadPoint::CloneEntity() const {
    auto c = std::make_shared<AcadPoint>();
    c->CopyEntityProperties(*this);
    c->position_ = position_;
    return c;
}
void AcadPoint::ApplyTransform(const Transform& t) { position_ = t.Apply(position_); }

// ---- AcadTextBase -------------------------------------------------------------------

const com::DispatchTable& AcadTextBase::ClassTable() {
    static const com::DispatchTable table = com::BuildTable<AcadTextBase>([](auto& b) {
        b.Inherit(AcadEntity::ClassTable())
            .Property("TextString", &AcadTextBase::TextString, &AcadTextBase::SetTextString)
            .Property("Height", &AcadTextBase::Height, &AcadTextBase::SetHeight)
            .Property("Rotation", &AcadTextBase::Rotation, &AcadTextBase::SetRotation)
            .Property("StyleName", &AcadTextBase::StyleName, &AcadTextBase::SetStyleName)
            .Property("Alignment", &AcadTextBase::Alignment, &AcadTextBase::SetAlignment)
            .Property("InsertionPoint", &AcadTextBase::InsertionPoint, &AcadTextBase::SetInsertionPoint)
            .Property("TextAlignmentPoint", &AcadTextBase::TextAlignmentPoint, &AcadTextBase::SetTextAlignmentPoint)
            .Method("Update", &AcadTextBase::Update);
    });
    return table;
}
const com::DispatchTable& AcadTextBase::Table() const { return ClassTable(); }

double AcadTextBase::WidthFactor() const {
    if (auto db = DatabaseIfOpen())
        if (auto style = db->FindTextStyle(style_)) return style->Width();
    return 1;
}

geom::Point2 AcadTextBase::Origin() const {
    if (alignment_ == 0) return Plan(insertion_);
    return geom::TextOrigin(text_, height_, WidthFactor(), alignment_, Plan(alignmentPoint_), rotation_);
}

// Puts the text's baseline start at `origin`, keeping alignment, and derives the
// alignment point from it.
void AcadTextBase::PlaceOrigin(geom::Point2 origin) {
    insertion_[0] = origin.x;
    insertion_[1] = origin.y;
    if (alignment_ == 0) return;
    geom::Point2 probe = geom::TextOrigin(text_, height_, WidthFactor(), alignment_, origin, rotation_);
    // TextOrigin is a translation of the alignment point, so its inverse is the opposite shift.
    alignmentPoint_[0] = origin.x + (origin.x - probe.x);
    alignmentPoint_[1] = origin.y + (origin.y - probe.y);
    alignmentPoint_[2] = insertion_[2];
}

std::string AcadTextBase::TextString() const {
    CheckAlive();
    return text_;
}
void AcadTextBase::SetTextString(const std::string& text) {
    CheckAlive();
    CheckWritable();
    text_ = text;
    if (alignment_ != 0) PlaceOrigin(Origin());
}
double AcadTextBase::Height() const {
    CheckAlive();
    return height_;
}
void AcadTextBase::SetHeight(double height) {
    CheckAlive();
    if (!(height > 0)) Raise(ErrorCode::InvalidInput, "text height must be positive");
    CheckWritable();
    height_ = height;
    if (alignment_ != 0) PlaceOrigin(Origin());
}
double AcadTextBase::Rotation() const {
    CheckAlive();
    return rotation_;
}
void AcadTextBase::SetRotation(double angle) {
    CheckAlive();
    CheckWritable();
    rotation_ = angle;
    if (alignment_ != 0) PlaceOrigin(Origin());
}
std::string AcadTextBase::StyleName() const {
    CheckAlive();
    return style_;
}
void AcadTextBase::SetStyleName(const std::string& name) {
    CheckAlive();
    CheckWritable();
    auto style = Database()->FindTextStyle(name);
    if (!style) Raise(ErrorCode::KeyNotFound, "text style " + name);
    style_ = style->Name();
    if (alignment_ != 0) PlaceOrigin(Origin());
}
int32_t AcadTextBase::Alignment() const {
    CheckAlive();
    return alignment_;
}
void AcadTextBase::SetAlignment(int32_t alignment) {
    CheckAlive();
    switch (alignment) {
    case 0: case 1: case 2: case 9: case 10: case 11: break;
    default: Raise(ErrorCode::InvalidInput, "unsupported text alignment " + std::to_string(alignment));
    }
    CheckWritable();
    geom::Point2 origin = Origin();
    alignment_ = alignment;
    PlaceOrigin(origin);
}
Point3 AcadTextBase::InsertionPoint() const {
    CheckAlive();
    geom::Point2 o = Origin();
    return {o.x, o.y, insertion_[2]};
}
void AcadTextBase::SetInsertionPoint(const Point3& p) {
    CheckAlive();
    CheckWritable();
    insertion_[2] = p[2];
    PlaceOrigin({p[0], p[1]});
}
Point3 AcadTextBase::TextAlignmentPoint() const {
    CheckAlive();
    return alignmentPoint_;
}
void AcadTextBase::SetTextAlignmentPoint(const Point3& p) {
    CheckAlive();
    CheckWritable();
    alignmentPoint_ = p;  // a left-aligned text keeps it without moving
    if (alignment_ != 0) {
        geom::Point2 o = Origin();
        insertion_ = {o.x, o.y, p[2]};
    }
}
geom::Box AcadTextBase::Extents() const { return geom::TextBox(text_, height_, WidthFactor(), Origin(), rotation_); }
void AcadTextBase::ApplyTransform(const Transform& t) {
    if (t.mirror) Raise(ErrorCode::NotApplicable, "texts are not mirrored");
    insertion_ = t.Apply(insertion_);
    alignmentPoint_ = t.Apply(alignmentPoint_);
    rotation_ += t.rotation;
    height_ *= t.scale;
}
void AcadTextBase::CopyTextFrom(const AcadTextBase& other) {
    CopyEntityProperties(other);
    text_ = other.text_;
    height_ = other.height_;
    rotation_ = other.rotation_;
    style_ = other.style_;
    alignment_ = other.alignment_;
    insertion_ = other.insertion_;
    alignmentPoint_ = other.alignmentPoint_;
}

std::shared_ptr<AcadEntity> AcadText::CloneEntity() const {
    auto c = std::make_shared<AcadText>();
    c->CopyTextFrom(*this);
    return c;
}

// ---- AcadAttribute ------------------------------------------------------------------

const com::DispatchTable& AcadAttribute::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadAttribute>([](auto& b) {
        b.Inherit(AcadTextBase::ClassTable())
            .Property("TagString", &AcadAttribute::TagString, &AcadAttribute::SetTagString)
            .Property("PromptString", &AcadAttribute::PromptString, &AcadAttribute::SetPromptString)
            .Property("Mode", &AcadAttribute::Mode, &AcadAttribute::SetMode);
    });
    return table;
}
std::string AcadAttribute::TagString() const {
    CheckAlive();
    return tag_;
}
void AcadAttribute::SetTagString(const std::string& tag) {
    CheckAlive();
    CheckWritable();
    tag_ = tag;
}
std::string AcadAttribute::PromptString() const {
    CheckAlive();
    return prompt_;
}
void AcadAttribute::SetPromptString(const std::string& prompt) {
    CheckAlive();
    CheckWritable();
    prompt_ = prompt;
}
int32_t AcadAttribute::Mode() const {
    CheckAlive();
    return mode_;
}
void AcadAttribute::SetMode(int32_t mode) {
    CheckAlive();
    if (mode < 0 || mode > 15) Raise(ErrorCode::InvalidInput, "attribute mode " + std::to_string(mode));
    CheckWritable();
    mode_ = mode;
}
std::shared_ptr<AcadEntity> AcadAttribute::CloneEntity() const {
    auto c = std::make_shared<AcadAttribute>();
    c->CopyTextFrom(*this);
    c->tag_ = tag_;
    c->prompt_ = prompt_;
    c->mode_ = mode_;
    return c;
}

// ---- AcadAttributeReference ---------------------------------------------------------

const com::DispatchTable& AcadAttributeReference::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadAttributeReference>([](auto& b) {
        b.Inherit(AcadTextBase::ClassTable())
            .Property("TagString", &AcadAttributeReference::TagString, &AcadAttributeReference::SetTagString);
    });
    return table;
}
std::string AcadAttributeReference::TagString() const {
    CheckAlive();
    return tag_;
}
void AcadAttributeReference::SetTagString(const std::string& tag) {
    CheckAlive();
    CheckWritable();
    tag_ = tag;
}
std::shared_ptr<AcadEntity> AcadAttributeReference::CloneEntity() const {
    auto c = std::make_shared<AcadAttributeReference>();
    c->CopyTextFrom(*this);
    c->tag_ = tag_;
    return c;
}

}  // namespace acad
