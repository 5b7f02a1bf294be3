#pragma once
// Block table records (model space, paper space and block definitions), the blocks
// collection and block references with their attributes.

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/acad_entities.h"

namespace acad {

class AcadBlockReference;

// A block: model space, paper space or a block definition. Entities keep the order in
// which they were added; deleting one shrinks the block. New entities take the drawing's
// active layer (and, for texts, its active text style) and colour ByLayer.
class AcadBlock : public AcadObject {
public:
    AcadBlock(std::string name, Point3 origin) : name_(std::move(name)), origin_(origin) {}
    std::string_view TypeName() const override { return "AcadBlock"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbBlockTableRecord"; }

    std::string Name() const;
    Point3 Origin() const;
    bool IsLayout() const;  // model space or paper space
    int32_t Count() const;
    std::shared_ptr<AcadEntity> Item(int32_t index) const;
    // Removes the definition with its entities from the drawing. CannotDelete for model
    // space, paper space and a block that a live block reference uses, wherever it stands.
    void Delete();

    std::shared_ptr<AcadLine> AddLine(const Point3& startPoint, const Point3& endPoint);
    std::shared_ptr<AcadLWPolyline> AddLightWeightPolyline(const std::vector<double>& verticesList);
    std::shared_ptr<AcadCircle> AddCircle(const Point3& center, double radius);
    std::shared_ptr<AcadEllipse> AddEllipse(const Point3& center, const Point3& majorAxis, double radiusRatio);
    std::shared_ptr<AcadHatch> AddHatch(int32_t patternType, const std::string& patternName, bool associativity);
    std::shared_ptr<AcadPoint> AddPoint(const Point3& point);
    std::shared_ptr<AcadText> AddText(const std::string& textString, const Point3& insertionPoint, double height);
    // Mode 0 is a normal attribute; an empty tag is accepted.
    std::shared_ptr<AcadAttribute> AddAttribute(double height, int32_t mode, const std::string& prompt,
                                                const Point3& insertionPoint, const std::string& tag,
                                                const std::string& value);
    // An unknown block name raises UndefinedBlock. Only uniform positive scales are
    // supported. Every non-constant attribute definition becomes an attribute reference,
    // in definition order, with its default value.
    std::shared_ptr<AcadBlockReference> InsertBlock(const Point3& insertionPoint, const std::string& name,
                                                    double xScale, double yScale, double zScale, double rotation);

    // Stand-in plumbing.
    const std::vector<std::shared_ptr<AcadEntity>>& Entities() const;
    // Puts a new entity (made by CloneEntity or a constructor) into the block and the database.
    void Append(const std::shared_ptr<AcadEntity>& entity);
    void Remove(const AcadEntity& entity);

private:
    template <class T>
    std::shared_ptr<T> AddNew(std::shared_ptr<T> entity);
    // Takes out the removed entities in one pass, so that erasing many stays linear.
    void Settle() const;

    std::string name_;
    Point3 origin_;
    mutable std::vector<std::shared_ptr<AcadEntity>> entities_;
    mutable std::unordered_set<const AcadEntity*> removed_;  // still in entities_ until the next read
};

class AcadBlocks : public com::Dispatch {
public:
    explicit AcadBlocks(std::weak_ptr<AcadDatabase> db) : db_(std::move(db)) {}
    std::string_view TypeName() const override { return "AcadBlocks"; }
    const com::DispatchTable& Table() const override;

    int32_t Count() const;
    // By 0-based index in table order ("*Model_Space", "*Paper_Space", then definitions in
    // the order they were added) or by name, without regard to case.
    std::shared_ptr<AcadBlock> Item(const com::Variant& index) const;
    // A name that exists (in any case) returns the existing block.
    std::shared_ptr<AcadBlock> Add(const Point3& insertionPoint, const std::string& name);

private:
    std::weak_ptr<AcadDatabase> db_;
};

class AcadBlockReference : public AcadEntity {
public:
    std::string_view TypeName() const override { return "AcadBlockReference"; }
    const com::DispatchTable& Table() const override;
    std::string ObjectName() const override { return "AcDbBlockReference"; }
    std::string DxfName() const override { return "INSERT"; }
    std::string BlockName() const override { return name_; }

    std::string Name() const;
    Point3 InsertionPoint() const;
    // Moving the reference moves its attributes by the same displacement.
    void SetInsertionPoint(const Point3& p);
    double Rotation() const;
    // Turning the reference turns its attributes about the insertion point.
    void SetRotation(double angle);
    double XScaleFactor() const;
    double YScaleFactor() const;
    double ZScaleFactor() const;
    bool HasAttributes() const;
    // The attribute references in definition order (an empty array when there are none).
    std::vector<std::shared_ptr<AcadAttributeReference>> GetAttributes() const;
    void SetVisible(bool visible) override;

    geom::Box Extents() const override;
    std::shared_ptr<AcadEntity> CloneEntity() const override;
    void ApplyTransform(const Transform& t) override;
    void Delete() override;

protected:
    void EraseParts() override;

private:
    friend class AcadBlock;
    Transform ToWorld() const;
    std::string name_;
    Point3 insertion_{};
    double rotation_ = 0;
    double scale_ = 1;
    std::vector<std::shared_ptr<AcadAttributeReference>> attributes_;
};

}  // namespace acad
