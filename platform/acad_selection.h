#pragma once
// Named selection sets of a document. A set lives until it is deleted; using a deleted
// set raises. Members keep the order in which they entered the set and an object enters
// once only. A member erased after it entered stays in the set; touching it raises.

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/acad_object.h"

namespace acad {

class AcadDocument;
class AcadSelectionSet;

class AcadSelectionSets : public com::Dispatch {
public:
    explicit AcadSelectionSets(std::weak_ptr<AcadDocument> doc) : doc_(std::move(doc)) {}
    std::string_view TypeName() const override { return "AcadSelectionSets"; }
    const com::DispatchTable& Table() const override;

    int32_t Count() const;
    // By 0-based index in creation order, or by name without regard to case.
    std::shared_ptr<AcadSelectionSet> Item(const com::Variant& index) const;
    // A name already present (in any case) raises DuplicateName.
    std::shared_ptr<AcadSelectionSet> Add(const std::string& name);

    // Stand-in plumbing.
    void Remove(const AcadSelectionSet& set);
    void Clear();

private:
    // Closes the gaps removed sets left, so that positions count the sets there are.
    void Close() const;
    std::weak_ptr<AcadDocument> doc_;
    // In creation order. A removed set leaves a gap until a position is asked for, and the
    // sets are found by name through an index, so that adding, finding and removing a set
    // cost the same among any number of sets.
    mutable std::vector<std::shared_ptr<AcadSelectionSet>> sets_;
    mutable std::unordered_map<std::string, std::size_t> byName_;  // by SymbolKey
    mutable std::size_t gaps_ = 0;
};

class AcadSelectionSet : public com::Dispatch {
public:
    AcadSelectionSet(std::weak_ptr<AcadDocument> doc, std::string name) : doc_(std::move(doc)), name_(std::move(name)) {}
    std::string_view TypeName() const override { return "AcadSelectionSet"; }
    const com::DispatchTable& Table() const override;

    std::string Name() const;
    int32_t Count() const;
    std::shared_ptr<AcadEntity> Item(int32_t index) const;

    // Mode 5 (all) adds every entity of model space and paper space that matches the
    // filter, in creation order, whatever the state of its layer and its visibility; not
    // the entities of block definitions nor attribute references. Other modes need a
    // screen and raise Invalid input.
    void Select(int32_t mode, const com::Variant& point1 = {}, const com::Variant& point2 = {},
                const com::Variant& filterType = {}, const com::Variant& filterData = {});
    // Takes the next on-screen selection from the document's scripted user, keeps the
    // picks that match the filter, in pick order. A cancel raises UserCancel.
    void SelectOnScreen(const com::Variant& filterType = {}, const com::Variant& filterData = {});
    void AddItems(const std::vector<std::shared_ptr<AcadEntity>>& items);
    void RemoveItems(const std::vector<std::shared_ptr<AcadEntity>>& objects);
    void Clear();
    // Erases every member; the set stays, empty.
    void Erase();
    // Removes the set from the document (its entities stay).
    void Delete();

    // Stand-in plumbing.
    const std::vector<std::shared_ptr<AcadEntity>>& Members() const;
    void MarkDeleted() { deleted_ = true; }

private:
    friend class AcadSelectionSets;
    void CheckAlive() const;
    void AddOne(const std::shared_ptr<AcadEntity>& entity);
    std::weak_ptr<AcadDocument> doc_;
    std::string name_;
    std::vector<std::shared_ptr<AcadEntity>> members_;
    // The members by address, so that entering and leaving cost the same in a set of any size.
    std::unordered_set<const AcadEntity*> memberIndex_;
    bool deleted_ = false;
};

}  // namespace acad
