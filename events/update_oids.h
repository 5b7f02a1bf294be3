#pragma once
// Creatable as "Fluvanet.UpdateOIDs". Its late-bound members are listed in
// server/update_oids_table.cpp, one table per class.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/acad_document.h"
#include "platform/dispatch.h"
#include "server/instance_count.h"

namespace fluvanet {

class ElementRecord;
class General;

// The working tables of one rebuild, made fresh by each call.
namespace oid_rebuild {
struct LabelIdTable;
struct ProjectPointIds;
// Among several objects that carry a key, the ones whose record names the element that
// refers to them come first.
using NamesReferrer = std::function<bool(const ElementRecord& candidate)>;
}  // namespace oid_rebuild

class UpdateOIDs : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "UpdateOIDs"; }
    const com::DispatchTable& Table() const override;

    // ---- Rebuilding object identifiers (events/rebuild_object_ids.cpp) ----
    // Every ID reference of every tagged object made again from its label reference, key
    // by key within the referring element's network (a key that names nothing leaves every
    // parallel list at its position), and the settings points' identifiers written into the
    // project record. Everything is read and translated before the first record is
    // written; locked layers come back locked whichever way it ends.
    void UpdateObjectIDs(acad::AcadDocument& AcadActiveDocument);

    // Stand-ins for tests: replace a member instance, created or not.
    void Use(std::shared_ptr<General> instance) { general_.Set(std::move(instance)); }

protected:
    // Each created on first use and kept for this object's lifetime, so that no
    // object builds the others at construction (they refer to one another).
    vb::AutoNew<General> general_;

private:
    // ---- Rebuilding object identifiers (events/rebuild_object_ids.cpp) ----
    // "TotalSet": every object carrying a "Fluvamap" record.
    std::shared_ptr<acad::AcadSelectionSet> SelectAllTaggedEntities(acad::AcadDocument& AcadActiveDocument);
    // Every object of a known element type under its network, type and label, in set order.
    void BuildLabelIdTable(acad::AcadSelectionSet& TotalSet, oid_rebuild::LabelIdTable& Table);
    // Every record's new references, then the project record, then the records written.
    void RewriteObjectIdReferences(acad::AcadDocument& AcadActiveDocument, oid_rebuild::LabelIdTable& Table);
    void StoreProjectPointIds(acad::AcadDocument& AcadActiveDocument, const oid_rebuild::ProjectPointIds& Points);
    // The network's place in the table, a new one at the end for a name not met yet.
    static int32_t GetNetworkIndex(oid_rebuild::LabelIdTable& Table, const std::string& NetworkName);
    // The element type's row of the table, -1 for a word that is none of the types.
    static int16_t GetElementTypeIndex(std::string_view ElementType);
    // The identifier of the object each key of the reference string names in that cell,
    // in the keys' order; nullopt for a key that names none. Within one string an object
    // answers one key only.
    static std::vector<std::optional<std::string>> TranslateLabelReferences(
        const oid_rebuild::LabelIdTable& Table, int32_t Network, int16_t TypeIndex, const std::string& References,
        const oid_rebuild::NamesReferrer& Prefer = {});

    server::LiveInstance live_;
};

}  // namespace fluvanet
