#include "platform/acad_block.h"

#include <algorithm>
#include <cmath>

#include "platform/acad_document.h"

namespace acad {

using com::ErrorCode;
using com::Raise;
using com::Variant;

// ---- AcadBlock ----------------------------------------------------------------------

const com::DispatchTable& AcadBlock::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadBlock>([](auto& b) {
        b.Inherit(AcadObject::ClassTable())
            .Get("Name", &AcadBlock::Name)
            .Get("Origin", &AcadBlock::Origin)
            .Get("IsLayout", &AcadBlock::IsLayout)
            .Get("Count", &AcadBlock::Count)
            .Get("Item", &AcadBlock::Item)
            .Method("Delete", &AcadBlock::Delete)
            .Method("AddLine", &AcadBlock::AddLine)
            .Method("AddLightWeightPolyline", &AcadBlock::AddLightWeightPolyline)
            .Method("AddCircle", &AcadBlock::AddCircle)
            .Method("AddEllipse", &AcadBlock::AddEllipse)
            .Method("AddHatch", &AcadBlock::AddHatch)
            .Method("AddPoint", &AcadBlock::AddPoint)
            .Method("AddText", &AcadBlock::AddText)
            .Method("AddAttribute", &AcadBlock::AddAttribute)
            .Method("InsertBlock", &AcadBlock::InsertBlock);
    });
    return table;
}

std::string AcadBlock::Name() const {
    CheckAlive();
    return name_;
}
Point3 AcadBlock::Origin() const {
    CheckAlive();
    return origin_;
}
bool AcadBlock::IsLayout() const {
    CheckAlive();
    return SameSymbolName(name_, "*Model_Space") || SameSymbolName(name_, "*Paper_Space");
}
int32_t AcadBlock::Count() const {
    CheckAlive();
    Settle();
    return static_cast<int32_t>(entities_.size());
}
std::shared_ptr<AcadEntity> AcadBlock::Item(int32_t index) const {
    CheckAlive();
    Settle();
    if (index < 0 || static_cast<std::size_t>(index) >= entities_.size())
        Raise(ErrorCode::InvalidInput, "block item " + std::to_string(index));
    return entities_[static_cast<std::size_t>(index)];
}

void AcadBlock::Delete() {
    CheckAlive();
    if (IsLayout()) Raise(ErrorCode::CannotDelete, name_ + " is a layout");
    auto db = Database();
    for (const auto& block : db->BlockTable())
        for (const auto& e : block->Entities())
            if (auto ref = std::dynamic_pointer_cast<AcadBlockReference>(e);
                ref && !ref->Erased() && SameSymbolName(ref->BlockName(), name_))
                Raise(ErrorCode::CannotDelete, "the block " + name_ + " is referenced");
    // Erasing an entity takes it out of entities_, so the walk goes over a copy.
    std::vector<std::shared_ptr<AcadEntity>> entities = Entities();
    for (const auto& e : entities) e->EraseOwned();
    auto& table = db->BlockTable();
    table.erase(std::remove_if(table.begin(), table.end(), [&](const auto& b) { return b.get() == this; }), table.end());
    MarkErased();
    db->Forget(*this);
}

void AcadBlock::Append(const std::shared_ptr<AcadEntity>& entity) {
    auto db = Database();
    entity->owner_ = std::static_pointer_cast<AcadBlock>(shared_from_this());
    db->Register(entity);
    entities_.push_back(entity);
    if (auto ref = std::dynamic_pointer_cast<AcadBlockReference>(entity))
        for (const auto& a : ref->attributes_) db->Register(a);
}

const std::vector<std::shared_ptr<AcadEntity>>& AcadBlock::Entities() const {
    Settle();
    return entities_;
}

void AcadBlock::Remove(const AcadEntity& entity) { removed_.insert(&entity); }

void AcadBlock::Settle() const {
    if (removed_.empty()) return;
    std::erase_if(entities_, [&](const auto& e) { return removed_.contains(e.get()); });
    removed_.clear();
}

template <class T>
std::shared_ptr<T> AcadBlock::AddNew(std::shared_ptr<T> entity) {
    auto db = Database();
    entity->layer_ = db->ActiveLayer()->Name();
    if constexpr (std::is_base_of_v<AcadTextBase, T>) entity->style_ = db->ActiveTextStyle()->Name();
    Append(entity);
    return entity;
}

std::shared_ptr<AcadLine> AcadBlock::AddLine(const Point3& startPoint, const Point3& endPoint) {
    CheckAlive();
    auto line = std::make_shared<AcadLine>();
    line->start_ = startPoint;
    line->end_ = endPoint;
    return AddNew(line);
}

std::shared_ptr<AcadLWPolyline> AcadBlock::AddLightWeightPolyline(const std::vector<double>& verticesList) {
    CheckAlive();
    if (verticesList.size() % 2 != 0 || verticesList.size() < 4)
        Raise(ErrorCode::InvalidInput, "a polyline needs x and y of at least two vertices");
    auto pl = std::make_shared<AcadLWPolyline>();
    for (std::size_t i = 0; i < verticesList.size(); i += 2)
        pl->vertices_.push_back(AcadLWPolyline::Vertex{verticesList[i], verticesList[i + 1], 0, 0, 0});
    return AddNew(pl);
}

std::shared_ptr<AcadCircle> AcadBlock::AddCircle(const Point3& center, double radius) {
    CheckAlive();
    if (!(radius > 0)) Raise(ErrorCode::InvalidInput, "radius must be positive");
    auto c = std::make_shared<AcadCircle>();
    c->center_ = center;
    c->radius_ = radius;
    return AddNew(c);
}

std::shared_ptr<AcadEllipse> AcadBlock::AddEllipse(const Point3& center, const Point3& majorAxis, double radiusRatio) {
    CheckAlive();
    if (!(radiusRatio > 0 && radiusRatio <= 1)) Raise(ErrorCode::InvalidInput, "radius ratio must lie in (0, 1]");
    if (majorAxis[0] == 0 && majorAxis[1] == 0) Raise(ErrorCode::InvalidInput, "the major axis has no length");
    auto e = std::make_shared<AcadEllipse>();
    e->center_ = center;
    e->majorAxis_ = majorAxis;
    e->ratio_ = radiusRatio;
    return AddNew(e);
}

std::shared_ptr<AcadHatch> AcadBlock::AddHatch(int32_t patternType, const std::string& patternName, bool associativity) {
    CheckAlive();
    if (patternType < 0 || patternType > 2) Raise(ErrorCode::InvalidInput, "hatch pattern type");
    if (patternName.empty()) Raise(ErrorCode::InvalidInput, "hatch pattern name");
    auto h = std::make_shared<AcadHatch>();
    h->patternType_ = patternType;
    h->patternName_ = patternName;
    h->associative_ = associativity;
    return AddNew(h);
}

std::shared_ptr<AcadPoint> AcadBlock::AddPoint(const Point3& point) {
    CheckAlive();
    auto p = std::make_shared<AcadPoint>();
    p->position_ = point;
    return AddNew(p);
}

std::shared_ptr<AcadText> AcadBlock::AddText(const std::string& textString, const Point3& insertionPoint, double height) {
    CheckAlive();
    if (!(height > 0)) Raise(ErrorCode::InvalidInput, "text height must be positive");
    auto t = std::make_shared<AcadText>();
    t->text_ = textString;
    t->height_ = height;
    t->insertion_ = insertionPoint;
    t->alignmentPoint_ = insertionPoint;
    return AddNew(t);
}

std::shared_ptr<AcadAttribute> AcadBlock::AddAttribute(double height, int32_t mode, const std::string& prompt,
                                                       const Point3& insertionPoint, const std::string& tag,
                                                       const std::string& value) {
    CheckAlive();
    if (!(height > 0)) Raise(ErrorCode::InvalidInput, "text height must be positive");
    if (mode < 0 || mode > 15) Raise(ErrorCode::InvalidInput, "attribute mode " + std::to_string(mode));
    auto a = std::make_shared<AcadAttribute>();
    a->text_ = value;
    a->height_ = height;
    a->insertion_ = insertionPoint;
    a->alignmentPoint_ = insertionPoint;
    a->tag_ = tag;
    a->prompt_ = prompt;
    a->mode_ = mode;
    return AddNew(a);
}

namespace {
// Whether `block` draws `target`, directly or through nested references.
bool Draws(const AcadDatabase& db, const AcadBlock& block, const AcadBlock& target) {
    if (&block == &target) return true;
    for (const auto& e : block.Entities())
        if (auto ref = std::dynamic_pointer_cast<AcadBlockReference>(e))
            if (auto inner = db.FindBlock(ref->BlockName()); inner && Draws(db, *inner, target)) return true;
    return false;
}
}  // namespace

std::shared_ptr<AcadBlockReference> AcadBlock::InsertBlock(const Point3& insertionPoint, const std::string& name,
                                                           double xScale, double yScale, double zScale,
                                                           double rotation) {
    CheckAlive();
    auto db = Database();
    auto def = db->FindBlock(name);
    if (!def) Raise(ErrorCode::UndefinedBlock, name);
    if (def->IsLayout()) Raise(ErrorCode::InvalidInput, "a layout cannot be inserted");
    if (!(xScale > 0) || xScale != yScale || xScale != zScale)
        Raise(ErrorCode::InvalidInput, "only uniform positive scales are supported");
    if (Draws(*db, *def, *this)) Raise(ErrorCode::InvalidInput, "a block cannot contain itself");

    auto ref = std::make_shared<AcadBlockReference>();
    ref->name_ = def->Name();
    ref->insertion_ = insertionPoint;
    ref->rotation_ = rotation;
    ref->scale_ = xScale;
    Transform toWorld = ref->ToWorld();
    std::vector<bool> onLayerZero;
    for (const auto& e : def->Entities()) {
        auto definition = std::dynamic_pointer_cast<AcadAttribute>(e);
        if (!definition || definition->Constant()) continue;
        auto attribute = std::make_shared<AcadAttributeReference>();
        attribute->CopyTextFrom(*definition);
        attribute->tag_ = definition->tag_;
        attribute->ApplyTransform(toWorld);
        onLayerZero.push_back(SameSymbolName(definition->layer_, "0"));
        ref->attributes_.push_back(attribute);
    }
    AddNew(ref);
    // Attributes defined on layer "0" take the reference's layer.
    for (std::size_t i = 0; i < onLayerZero.size(); ++i)
        if (onLayerZero[i]) ref->attributes_[i]->layer_ = ref->layer_;
    return ref;
}

// ---- AcadBlocks ---------------------------------------------------------------------

const com::DispatchTable& AcadBlocks::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadBlocks>([](auto& b) {
        b.Get("Count", &AcadBlocks::Count).Get("Item", &AcadBlocks::Item).Method("Add", &AcadBlocks::Add);
    });
    return table;
}


int32_t AcadBlocks::Count() const { return static_cast<int32_t>(OpenDatabase(db_)->BlockTable().size()); }

std::shared_ptr<AcadBlock> AcadBlocks::Item(const Variant& index) const {
    return CollectionItem(OpenDatabase(db_)->BlockTable(), index, "block");
}

std::shared_ptr<AcadBlock> AcadBlocks::Add(const Point3& insertionPoint, const std::string& name) {
    auto db = OpenDatabase(db_);
    CheckSymbolName(name);
    if (auto existing = db->FindBlock(name)) return existing;
    auto block = std::make_shared<AcadBlock>(name, insertionPoint);
    db->Register(block);
    db->BlockTable().push_back(block);
    return block;
}

// ---- AcadBlockReference -------------------------------------------------------------

const com::DispatchTable& AcadBlockReference::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadBlockReference>([](auto& b) {
        b.Inherit(AcadEntity::ClassTable())
            .Get("Name", &AcadBlockReference::Name)
            .Property("InsertionPoint", &AcadBlockReference::InsertionPoint, &AcadBlockReference::SetInsertionPoint)
            .Property("Rotation", &AcadBlockReference::Rotation, &AcadBlockReference::SetRotation)
            .Get("XScaleFactor", &AcadBlockReference::XScaleFactor)
            .Get("YScaleFactor", &AcadBlockReference::YScaleFactor)
            .Get("ZScaleFactor", &AcadBlockReference::ZScaleFactor)
            .Get("HasAttributes", &AcadBlockReference::HasAttributes)
            .Method("GetAttributes", &AcadBlockReference::GetAttributes);
    });
    return table;
}

std::string AcadBlockReference::Name() const {
    CheckAlive();
    return name_;
}
Point3 AcadBlockReference::InsertionPoint() const {
    CheckAlive();
    return insertion_;
}
void AcadBlockReference::SetInsertionPoint(const Point3& p) {
    CheckAlive();
    CheckWritable();
    Transform move = Transform::Move(insertion_, p);
    for (const auto& a : attributes_) a->ApplyTransform(move);
    insertion_ = p;
}
double AcadBlockReference::Rotation() const {
    CheckAlive();
    return rotation_;
}
void AcadBlockReference::SetRotation(double angle) {
    CheckAlive();
    CheckWritable();
    Transform turn = Transform::Rotate(insertion_, angle - rotation_);
    for (const auto& a : attributes_) a->ApplyTransform(turn);
    rotation_ = angle;
}
double AcadBlockReference::XScaleFactor() const {
    CheckAlive();
    return scale_;
}
double AcadBlockReference::YScaleFactor() const { return XScaleFactor(); }
double AcadBlockReference::ZScaleFactor() const { return XScaleFactor(); }
bool AcadBlockReference::HasAttributes() const {
    CheckAlive();
    return !attributes_.empty();
}
std::vector<std::shared_ptr<AcadAttributeReference>> AcadBlockReference::GetAttributes() const {
    CheckAlive();
    return attributes_;
}
void AcadBlockReference::SetVisible(bool visible) {
    AcadEntity::SetVisible(visible);
    for (const auto& a : attributes_) a->visible_ = visible;
}

Transform AcadBlockReference::ToWorld() const {
    Point3 origin{};
    if (auto db = DatabaseIfOpen())
        if (auto def = db->FindBlock(name_)) origin = def->Origin();
    Transform t;
    double c = std::cos(rotation_) * scale_, s = std::sin(rotation_) * scale_;
    t.xx = c;
    t.xy = -s;
    t.yx = s;
    t.yy = c;
    t.dx = insertion_[0] - (c * origin[0] - s * origin[1]);
    t.dy = insertion_[1] - (s * origin[0] + c * origin[1]);
    t.dz = insertion_[2] - origin[2];
    t.rotation = rotation_;
    t.scale = scale_;
    return t;
}

geom::Box AcadBlockReference::Extents() const {
    geom::Box box;
    auto db = DatabaseIfOpen();
    auto def = db ? db->FindBlock(name_) : nullptr;
    if (def) {
        Transform t = ToWorld();
        for (const auto& e : def->Entities()) {
            if (std::dynamic_pointer_cast<AcadAttribute>(e)) continue;  // shown through the references
            auto placed = e->CloneEntity();
            placed->ApplyTransform(t);
            geom::Box eb = placed->Extents();
            if (eb.valid) box.Include(eb);
        }
    }
    for (const auto& a : attributes_)
        if (!a->text_.empty()) box.Include(a->Extents());
    return box;
}

std::shared_ptr<AcadEntity> AcadBlockReference::CloneEntity() const {
    auto c = std::make_shared<AcadBlockReference>();
    c->CopyEntityProperties(*this);
    c->name_ = name_;
    c->insertion_ = insertion_;
    c->rotation_ = rotation_;
    c->scale_ = scale_;
    for (const auto& a : attributes_)
        c->attributes_.push_back(std::static_pointer_cast<AcadAttributeReference>(a->CloneEntity()));
    return c;
}

void AcadBlockReference::ApplyTransform(const Transform& t) {
    if (t.mirror) Raise(ErrorCode::NotApplicable, "block references are not mirrored");
    insertion_ = t.Apply(insertion_);
    rotation_ += t.rotation;
    scale_ *= t.scale;
    for (const auto& a : attributes_) a->ApplyTransform(t);
}

void AcadBlockReference::Delete() {
    CheckAlive();
    CheckWritable();
    EraseOwned();
}

void AcadBlockReference::EraseParts() {
    for (const auto& a : attributes_) a->EraseOwned();
}

}  // namespace acad
