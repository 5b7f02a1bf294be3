#include "platform/acad_selection.h"

#include <algorithm>

#include "platform/acad_document.h"

namespace acad {

using com::ErrorCode;
using com::Raise;
using com::Variant;

// ---- AcadSelectionSets --------------------------------------------------------------

const com::DispatchTable& AcadSelectionSets::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadSelectionSets>([](auto& b) {
        b.Get("Count", &AcadSelectionSets::Count)
            .Get("Item", &AcadSelectionSets::Item)
            .Method("Add", &AcadSelectionSets::Add);
    });
    return table;
}

int32_t AcadSelectionSets::Count() const { return static_cast<int32_t>(sets_.size() - gaps_); }

void AcadSelectionSets::Close() const {
    if (gaps_ == 0) return;
    std::vector<std::size_t> moved(sets_.size());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < sets_.size(); ++i) {
        if (!sets_[i]) continue;
        moved[i] = kept;
        sets_[kept++] = std::move(sets_[i]);
    }
    sets_.resize(kept);
    for (auto& [key, position] : byName_) position = moved[position];
    gaps_ = 0;
}

std::shared_ptr<AcadSelectionSet> AcadSelectionSets::Item(const Variant& index) const {
    if (index.IsString()) {
        auto it = byName_.find(SymbolKey(index.Str()));
        if (it == byName_.end()) Raise(ErrorCode::KeyNotFound, "selection set " + index.Str());
        return sets_[it->second];
    }
    Close();
    return CollectionItem(sets_, index, "selection set");
}

std::shared_ptr<AcadSelectionSet> AcadSelectionSets::Add(const std::string& name) {
    if (name.empty()) Raise(ErrorCode::InvalidInput, "empty selection set name");
    std::string key = SymbolKey(name);
    if (byName_.contains(key)) Raise(ErrorCode::DuplicateName, "selection set " + name);
    auto set = std::make_shared<AcadSelectionSet>(doc_, name);
    sets_.push_back(set);
    byName_.emplace(std::move(key), sets_.size() - 1);
    return set;
}

void AcadSelectionSets::Remove(const AcadSelectionSet& set) {
    auto it = byName_.find(SymbolKey(set.name_));
    if (it == byName_.end() || sets_[it->second].get() != &set) return;
    sets_[it->second] = nullptr;
    byName_.erase(it);
    // Never more gaps than sets, so that sets made again and again leave no growing trail.
    if (++gaps_ > sets_.size() / 2) Close();
}

void AcadSelectionSets::Clear() {
    for (const auto& set : sets_)
        if (set) set->MarkDeleted();
    sets_.clear();
    byName_.clear();
    gaps_ = 0;
}

// ---- AcadSelectionSet ---------------------------------------------------------------

const com::DispatchTable& AcadSelectionSet::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadSelectionSet>([](auto& b) {
        b.Get("Name", &AcadSelectionSet::Name)
            .Get("Count", &AcadSelectionSet::Count)
            .Get("Item", &AcadSelectionSet::Item)
            .Method("Select", &AcadSelectionSet::Select, 1)
            .Method("SelectOnScreen", &AcadSelectionSet::SelectOnScreen, 0)
            .Method("AddItems", &AcadSelectionSet::AddItems)
            .Method("RemoveItems", &AcadSelectionSet::RemoveItems)
            .Method("Clear", &AcadSelectionSet::Clear)
            .Method("Erase", &AcadSelectionSet::Erase)
            .Method("Delete", &AcadSelectionSet::Delete);
    });
    return table;
}

void AcadSelectionSet::CheckAlive() const {
    if (deleted_ || doc_.expired()) Raise(ErrorCode::ObjectErased, "selection set " + name_ + " was deleted");
}

std::string AcadSelectionSet::Name() const {
    CheckAlive();
    return name_;
}

int32_t AcadSelectionSet::Count() const {
    CheckAlive();
    return static_cast<int32_t>(members_.size());
}

std::shared_ptr<AcadEntity> AcadSelectionSet::Item(int32_t index) const {
    CheckAlive();
    if (index < 0 || static_cast<std::size_t>(index) >= members_.size())
        Raise(ErrorCode::InvalidInput, "selection set item " + std::to_string(index));
    return members_[static_cast<std::size_t>(index)];
}

const std::vector<std::shared_ptr<AcadEntity>>& AcadSelectionSet::Members() const {
    CheckAlive();
    return members_;
}

void AcadSelectionSet::AddOne(const std::shared_ptr<AcadEntity>& entity) {
    if (memberIndex_.insert(entity.get()).second) members_.push_back(entity);
}

void AcadSelectionSet::Select(int32_t mode, const Variant&, const Variant&, const Variant& filterType,
                              const Variant& filterData) {
    CheckAlive();
    if (mode != 5) Raise(ErrorCode::InvalidInput, "only selection mode 5 (all) is available without a screen");
    SelectionFilter filter = SelectionFilter::FromVariants(filterType, filterData);
    for (const auto& entity : doc_.lock()->Database()->SpaceEntities())
        if (!entity->Erased() && filter.Matches(*entity)) AddOne(entity);
}

void AcadSelectionSet::SelectOnScreen(const Variant& filterType, const Variant& filterData) {
    CheckAlive();
    SelectionFilter filter = SelectionFilter::FromVariants(filterType, filterData);
    for (const auto& entity : doc_.lock()->Utility()->NextSelection())
        if (entity && !entity->Erased() && filter.Matches(*entity)) AddOne(entity);
}

void AcadSelectionSet::AddItems(const std::vector<std::shared_ptr<AcadEntity>>& items) {
    CheckAlive();
    auto db = doc_.lock()->Database();
    for (const auto& entity : items) {
        if (!entity) Raise(ErrorCode::ObjectRequired);
        entity->CheckAlive();
        if (entity->Database() != db) Raise(ErrorCode::InvalidInput, "the entity belongs to another drawing");
        AddOne(entity);
    }
}

void AcadSelectionSet::RemoveItems(const std::vector<std::shared_ptr<AcadEntity>>& objects) {
    CheckAlive();
    std::unordered_set<const AcadEntity*> leaving;
    for (const auto& entity : objects)
        if (memberIndex_.erase(entity.get()) > 0) leaving.insert(entity.get());
    if (leaving.empty()) return;
    std::erase_if(members_, [&](const std::shared_ptr<AcadEntity>& member) { return leaving.contains(member.get()); });
}

void AcadSelectionSet::Clear() {
    CheckAlive();
    members_.clear();
    memberIndex_.clear();
}

void AcadSelectionSet::Erase() {
    CheckAlive();
    for (const auto& entity : std::vector<std::shared_ptr<AcadEntity>>(members_))
        if (!entity->Erased()) entity->Delete();
    members_.clear();
    memberIndex_.clear();
}

void AcadSelectionSet::Delete() {
    CheckAlive();
    doc_.lock()->SelectionSets()->Remove(*this);
    deleted_ = true;
}

}  // namespace acad
