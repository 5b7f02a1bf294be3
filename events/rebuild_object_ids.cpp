#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "annotation/label_names.h"
#include "core/element_records.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "core/select_all.h"
#include "crossing/crossing_records.h"
#include "crossing/low_high_records.h"
#include "editing/pipe_node_records.h"
#include "events/update_oids.h"
#include "platform/acad_symbols.h"
#include "platform/vb_convert.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::Variant;

namespace {

// The rows of the table, one per element type word, in this order.
constexpr std::array<std::string_view, 15> kTypeWords{
    element_type::kGravityPipe,          element_type::kPressurePipe,
    element_type::kGravityNode,          element_type::kPressureNode,
    element_type::kViewStylePoint,       element_type::kAnnotation,
    element_type::kArrow,                element_type::kMaterialLibraryPoint,
    element_type::kSectionSizeLibraryPoint, element_type::kCrossingPointAnnotation,
    element_type::kCrossingPointLine,    element_type::kLowHighPoint,
    element_type::kProfile,              element_type::kProfilePlanAnno,
    element_type::kProfileStylePoint};

namespace row {
constexpr int16_t kUnknown = -1;
constexpr int16_t kGravityPipe = 0;
constexpr int16_t kPressurePipe = 1;
constexpr int16_t kGravityNode = 2;
constexpr int16_t kPressureNode = 3;
constexpr int16_t kViewStylePoint = 4;
constexpr int16_t kLabelBlock = 5;
constexpr int16_t kArrow = 6;
constexpr int16_t kMaterialLibraryPoint = 7;
constexpr int16_t kSectionSizeLibraryPoint = 8;
constexpr int16_t kCrossingAnnotation = 9;
constexpr int16_t kCrossingLine = 10;
constexpr int16_t kLowHighPoint = 11;
constexpr int16_t kProfile = 12;
constexpr int16_t kPlanAnno = 13;
constexpr int16_t kProfileStylePoint = 14;
}  // namespace row

// Leader lines and settings points belong to no network, and neither do the annotations.
const std::string kNoNetwork;

}  // namespace

namespace oid_rebuild {

struct Tagged {
    ElementRecord record;
    int16_t type = row::kUnknown;
    int32_t network = 0;
    std::string label;
    std::string id;
};

struct LabelIdTable {
    std::vector<std::string> networks;  // in the order first met
    std::unordered_map<std::string, int32_t> networkIndex;
    std::vector<Tagged> elements;  // in set order
    // Per network and type, each label's positions in `elements`, in the order met.
    using Cell = std::unordered_map<std::string, std::vector<std::size_t>>;
    std::vector<std::array<Cell, kTypeWords.size()>> cells;
};

struct ProjectPointIds {
    std::string viewStyles;     // each identifier followed by ";"
    std::string material;       // the last one met
    std::string sizes;          // the last one met
    std::string profileStyles;  // each identifier followed by ";"
};

}  // namespace oid_rebuild

namespace {

using oid_rebuild::LabelIdTable;
using oid_rebuild::NamesReferrer;
using oid_rebuild::Tagged;
using Translation = std::vector<std::optional<std::string>>;

// The references of the keys found, in their order: a single reference that names nothing
// gives "".
std::string FoundReferences(const Translation& ids) {
    std::string out;
    for (const std::optional<std::string>& id : ids)
        if (id) out += refs::Reference(*id);
    return out;
}

// A list parallel to the translated one, without the positions whose key names nothing.
std::string KeptItems(const std::string& list, const Translation& ids) {
    std::vector<std::string> kept;
    std::vector<std::string> items = refs::LeadingItems(list);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (i >= ids.size() || ids[i]) kept.push_back(items[i]);
    return refs::LeadingList(kept);
}

bool NamesLabel(const ElementRecord& record, int32_t entry, const std::string& label) {
    return refs::ReferenceKey(record.Text(entry)) == label;
}

// The owner rows a label block stands for by its block: its owner's alone, or all four
// for a block that is none of theirs.
std::vector<int16_t> LabelBlockOwnerRows(const ElementRecord& labelBlock) {
    if (auto block = std::dynamic_pointer_cast<acad::AcadBlockReference>(labelBlock.Object()))
        for (int16_t owner : {row::kGravityPipe, row::kPressurePipe, row::kGravityNode, row::kPressureNode})
            if (acad::SameSymbolName(labels::LabelBlockOf(kTypeWords[static_cast<std::size_t>(owner)]), block->Name()))
                return {owner};
    return {row::kGravityPipe, row::kPressurePipe, row::kGravityNode, row::kPressureNode};
}

// A pipe and a node of one label have label blocks of one key; the block tells them apart.
NamesReferrer LabelBlockOf(int16_t ownerRow, const std::string& ownerLabel) {
    return [ownerRow, ownerLabel](const ElementRecord& candidate) {
        return NamesLabel(candidate, 3, ownerLabel) && LabelBlockOwnerRows(candidate) == std::vector<int16_t>{ownerRow};
    };
}

NamesReferrer ThirdEntryNames(const std::string& label) {
    return [label](const ElementRecord& candidate) { return NamesLabel(candidate, 3, label); };
}

// Annotation labels run the networks and labels of both pipes together, so "S" & "1P-1"
// and "S1" & "P-1" spell the same; the annotation's own fields do not.
NamesReferrer AnnotationOfPipe(const std::string& network, const std::string& label) {
    return [network, label](const ElementRecord& candidate) {
        return (candidate.Text(crossing_entry::kPipe1Net) == network &&
                NamesLabel(candidate, crossing_entry::kPipe1Label, label)) ||
               (candidate.Text(crossing_entry::kPipe2Net) == network &&
                NamesLabel(candidate, crossing_entry::kPipe2Label, label));
    };
}

// Nothing in a leader's record tells two annotations of one label apart; the leader starts
// at its annotation's crossing point, where the follow-ups after a move keep it.
bool LeaderStartsAtCrossing(const ElementRecord& leader, const ElementRecord& annotation) {
    auto line = std::dynamic_pointer_cast<acad::AcadLine>(leader.Object());
    if (!line) return false;
    const CrossingPlace at = CrossingPlanPoint(annotation);
    const acad::Point3 start = line->StartPoint();
    return vb::Round(start[0], 5) == vb::Round(at.x, 5) && vb::Round(start[1], 5) == vb::Round(at.y, 5);
}

NamesReferrer LeaderOf(const ElementRecord& annotation, const std::string& annotationLabel) {
    return [&annotation, annotationLabel](const ElementRecord& candidate) {
        return NamesLabel(candidate, crossing_line_entry::kAnnotationLabel, annotationLabel) &&
               LeaderStartsAtCrossing(candidate, annotation);
    };
}

NamesReferrer AnnotationOfLeader(const ElementRecord& leader, const std::string& leaderLabel) {
    return [&leader, leaderLabel](const ElementRecord& candidate) {
        return NamesLabel(candidate, crossing_entry::kLineLabel, leaderLabel) &&
               LeaderStartsAtCrossing(leader, candidate);
    };
}

// Annotations of one label at one crossing point (the pipes of a merge that met there each
// had one) have leaders alike in everything the leaders' records and positions tell. Each
// annotation takes a leader of its own, in the order met, the one that starts at its
// crossing point first, and a leader names the annotation that took it, so that the two
// always name each other.
struct LeaderPairs {
    std::unordered_map<std::size_t, std::size_t> leaderOf, annotationOf;  // positions in `elements`
};

LeaderPairs PairLeaders(const LabelIdTable& table) {
    LeaderPairs pairs;
    for (bool atCrossing : {true, false})
        for (std::size_t a = 0; a < table.elements.size(); ++a) {
            const Tagged& annotation = table.elements[a];
            if (annotation.type != row::kCrossingAnnotation || pairs.leaderOf.contains(a)) continue;
            const LabelIdTable::Cell& leaders =
                table.cells[static_cast<std::size_t>(annotation.network)][static_cast<std::size_t>(row::kCrossingLine)];
            auto found = leaders.find(refs::ReferenceKey(annotation.record.Text(crossing_entry::kLineLabel)));
            if (found == leaders.end()) continue;
            const NamesReferrer startsThere = LeaderOf(annotation.record, annotation.label);
            for (std::size_t l : found->second) {
                const ElementRecord& leader = table.elements[l].record;
                if (pairs.annotationOf.contains(l) ||
                    (atCrossing ? !startsThere(leader)
                                : !NamesLabel(leader, crossing_line_entry::kAnnotationLabel, annotation.label)))
                    continue;
                pairs.leaderOf.emplace(a, l);
                pairs.annotationOf.emplace(l, a);
                break;
            }
        }
    return pairs;
}

// A style point lists each of its profiles with the profile's network at the same place.
NamesReferrer StyleOfProfile(const std::string& network, const std::string& name) {
    return [network, name](const ElementRecord& candidate) {
        std::vector<std::string> names = refs::LeadingKeys(candidate.Text(style_entry::kProfileLabels));
        std::vector<std::string> networks = refs::LeadingItems(candidate.Text(style_entry::kProfileNetworks));
        for (std::size_t i = 0; i < names.size() && i < networks.size(); ++i)
            if (names[i] == name && networks[i] == network) return true;
        return false;
    };
}

}  // namespace

void UpdateOIDs::UpdateObjectIDs(acad::AcadDocument& AcadActiveDocument) {
    UnlockedLayersGuard unlocked(*general_, AcadActiveDocument);
    std::shared_ptr<acad::AcadSelectionSet> tagged = SelectAllTaggedEntities(AcadActiveDocument);
    LabelIdTable table;
    BuildLabelIdTable(*tagged, table);
    RewriteObjectIdReferences(AcadActiveDocument, table);
    unlocked.Restore();
}

std::shared_ptr<acad::AcadSelectionSet> UpdateOIDs::SelectAllTaggedEntities(acad::AcadDocument& AcadActiveDocument) {
    auto set = general_->InitializeSelectionSet(AcadActiveDocument, "TotalSet");
    SelectAll(*set, {1001}, {Variant(kAppName)});
    return set;
}

void UpdateOIDs::BuildLabelIdTable(acad::AcadSelectionSet& TotalSet, LabelIdTable& Table) {
    // Walked by a 32-bit index: a whole drawing outgrows 16 bits, and the rebuild has no
    // limit of its own.
    const int32_t count = TotalSet.Count();
    for (int32_t i = 0; i < count; ++i) {
        Tagged element;
        element.record = ElementRecord::Read(TotalSet.Item(i));
        element.type = GetElementTypeIndex(element.record.ElementType());
        // Any other word would pass for a gravity pipe and answer its keys.
        if (element.type == row::kUnknown) continue;
        const Variant& combined = element.record.Get(1);
        element.label = general_->EntityLabelFromCombined(combined);
        element.network = GetNetworkIndex(Table, general_->EntityNetworkFromCombined(combined));
        element.id = IdText(*element.record.Object());
        Table.cells[static_cast<std::size_t>(element.network)][static_cast<std::size_t>(element.type)][element.label]
            .push_back(Table.elements.size());
        Table.elements.push_back(std::move(element));
    }
}

int32_t UpdateOIDs::GetNetworkIndex(LabelIdTable& Table, const std::string& NetworkName) {
    auto [at, added] = Table.networkIndex.emplace(NetworkName, static_cast<int32_t>(Table.networks.size()));
    if (added) {
        Table.networks.push_back(NetworkName);
        Table.cells.emplace_back();
    }
    return at->second;
}

int16_t UpdateOIDs::GetElementTypeIndex(std::string_view ElementType) {
    for (std::size_t i = 0; i < kTypeWords.size(); ++i)
        if (kTypeWords[i] == ElementType) return static_cast<int16_t>(i);
    return row::kUnknown;
}

std::vector<std::optional<std::string>> UpdateOIDs::TranslateLabelReferences(const LabelIdTable& Table,
                                                                             int32_t Network, int16_t TypeIndex,
                                                                             const std::string& References,
                                                                             const NamesReferrer& Prefer) {
    const LabelIdTable::Cell& cell =
        Table.cells.at(static_cast<std::size_t>(Network)).at(static_cast<std::size_t>(TypeIndex));
    Translation ids;
    std::set<std::size_t> answered;
    for (const std::string& key : refs::LeadingKeys(References)) {
        auto found = cell.find(key);
        if (found == cell.end()) {
            ids.emplace_back();
            continue;
        }
        // Preferred ones first, each group in the order met.
        std::vector<std::size_t> order = found->second;
        if (Prefer && order.size() > 1)
            std::stable_partition(order.begin(), order.end(),
                                  [&](std::size_t at) { return Prefer(Table.elements[at].record); });
        // An object that answered an earlier key of the string is not named twice: a key
        // left without one of its own names nothing.
        auto pick = std::find_if(order.begin(), order.end(), [&](std::size_t at) { return answered.count(at) == 0; });
        if (pick == order.end()) {
            ids.emplace_back();
            continue;
        }
        answered.insert(*pick);
        ids.emplace_back(Table.elements[*pick].id);
    }
    return ids;
}

void UpdateOIDs::RewriteObjectIdReferences(acad::AcadDocument& AcadActiveDocument, LabelIdTable& Table) {
    const int32_t noNetwork = GetNetworkIndex(Table, kNoNetwork);
    oid_rebuild::ProjectPointIds points;
    std::vector<ElementRecord> rewritten;

    // A single ID reference from its label reference; `clearBoth` empties the pair when the
    // label names nothing, else the label stays and the ID goes empty.
    auto single = [&](ElementRecord& record, int32_t labelEntry, int32_t idEntry, int32_t network, int16_t type,
                      bool clearBoth, const NamesReferrer& prefer = {}) {
        std::string id = FoundReferences(
            TranslateLabelReferences(Table, network, type, record.Text(labelEntry), prefer));
        if (id.empty() && clearBoth) record.Set(labelEntry, Variant(""));
        record.Set(idEntry, Variant(id));
    };
    // A reference list and the lists parallel to it, key by key.
    auto list = [&](ElementRecord& record, int32_t labelEntry, int32_t idEntry, std::vector<int32_t> parallel,
                    int32_t network, int16_t type, const NamesReferrer& prefer = {}) {
        Translation ids = TranslateLabelReferences(Table, network, type, record.Text(labelEntry), prefer);
        for (int32_t entry : parallel) record.Set(entry, Variant(KeptItems(record.Text(entry), ids)));
        record.Set(labelEntry, Variant(KeptItems(record.Text(labelEntry), ids)));
        record.Set(idEntry, Variant(FoundReferences(ids)));
    };
    // The first of the rows that finds the owner.
    auto owner = [&](ElementRecord& record, int32_t network, const std::vector<int16_t>& rows) {
        std::string id;
        for (int16_t type : rows) {
            id = FoundReferences(TranslateLabelReferences(Table, network, type, record.Text(3)));
            if (!id.empty()) break;
        }
        record.Set(4, Variant(id));
    };

    const LeaderPairs leaders = PairLeaders(Table);
    for (std::size_t at = 0; at < Table.elements.size(); ++at) {
        const Tagged& element = Table.elements[at];
        ElementRecord record = element.record;
        const int32_t own = element.network;
        // A copy: looking up another network may grow the list.
        const std::string network = Table.networks[static_cast<std::size_t>(own)];
        switch (element.type) {
            case row::kGravityPipe:
            case row::kPressurePipe: {
                namespace pe = pipe_entry;
                const int16_t nodes = element.type == row::kGravityPipe ? row::kGravityNode : row::kPressureNode;
                single(record, pe::kStartNodeLabel, pe::kStartNodeId, own, nodes, false);
                single(record, pe::kEndNodeLabel, pe::kEndNodeId, own, nodes, false);
                single(record, pe::kLabelBlockLabel, pe::kLabelBlockId, own, row::kLabelBlock, true,
                       LabelBlockOf(element.type, element.label));
                single(record, pe::kArrowLabel, pe::kArrowId, own, row::kArrow, true, ThirdEntryNames(element.label));
                list(record, pe::kCrossingLabels, pe::kCrossingIds, {}, noNetwork, row::kCrossingAnnotation,
                     AnnotationOfPipe(network, element.label));
                list(record, pe::kProfileLabels, pe::kProfileIds, {}, own, row::kProfile);
                break;
            }
            case row::kGravityNode:
            case row::kPressureNode: {
                namespace ne = node_entry;
                const int16_t pipes = element.type == row::kGravityNode ? row::kGravityPipe : row::kPressurePipe;
                list(record, ne::kStartPipeLabels, ne::kStartPipeIds, {}, own, pipes);
                list(record, ne::kEndPipeLabels, ne::kEndPipeIds, {}, own, pipes);
                single(record, ne::kLabelBlockLabel, ne::kLabelBlockId, own, row::kLabelBlock, true,
                       LabelBlockOf(element.type, element.label));
                if (element.type == row::kPressureNode)
                    single(record, ne::kLowHighLabel, ne::kLowHighId, own, row::kLowHighPoint, true,
                           ThirdEntryNames(element.label));
                break;
            }
            case row::kLabelBlock:
                owner(record, own, LabelBlockOwnerRows(record));
                break;
            case row::kArrow:
                owner(record, own, {row::kGravityPipe, row::kPressurePipe});
                break;
            case row::kCrossingAnnotation: {
                namespace ce = crossing_entry;
                for (auto [netEntry, labelEntry, idEntry] : {std::array<int32_t, 3>{ce::kPipe1Net, ce::kPipe1Label, ce::kPipe1Id},
                                                             std::array<int32_t, 3>{ce::kPipe2Net, ce::kPipe2Label, ce::kPipe2Id}}) {
                    const int32_t pipeNetwork = GetNetworkIndex(Table, record.Text(netEntry));
                    single(record, labelEntry, idEntry, pipeNetwork, row::kGravityPipe, false);
                    if (record.Text(idEntry).empty())
                        single(record, labelEntry, idEntry, pipeNetwork, row::kPressurePipe, false);
                }
                if (auto paired = leaders.leaderOf.find(at); paired != leaders.leaderOf.end())
                    record.Set(ce::kLineId, Variant(refs::Reference(Table.elements[paired->second].id)));
                else
                    single(record, ce::kLineLabel, ce::kLineId, own, row::kCrossingLine, false,
                           LeaderOf(element.record, element.label));
                break;
            }
            case row::kCrossingLine:
                if (auto paired = leaders.annotationOf.find(at); paired != leaders.annotationOf.end())
                    record.Set(crossing_line_entry::kAnnotationId,
                               Variant(refs::Reference(Table.elements[paired->second].id)));
                else
                    single(record, crossing_line_entry::kAnnotationLabel, crossing_line_entry::kAnnotationId, own,
                           row::kCrossingAnnotation, false, AnnotationOfLeader(element.record, element.label));
                break;
            case row::kLowHighPoint:
                single(record, lowhigh_entry::kNodeLabel, lowhigh_entry::kNodeId, own, row::kPressureNode, false);
                break;
            case row::kProfile: {
                namespace pf = profile_entry;
                const int16_t pipes = record.Text(pf::kNetworkType) == "Gravity" ? row::kGravityPipe : row::kPressurePipe;
                list(record, pf::kPipeLabels, pf::kPipeIds, {pf::kPipeDirections}, own, pipes);
                single(record, pf::kStyleLabel, pf::kStyleId, noNetwork, row::kProfileStylePoint, false,
                       StyleOfProfile(network, element.label));
                if (!record.Text(pf::kPlanAnnoLabel).empty())
                    single(record, pf::kPlanAnnoLabel, pf::kPlanAnnoId, own, row::kPlanAnno, true,
                           ThirdEntryNames(element.label));
                break;
            }
            case row::kPlanAnno:
                single(record, plan_anno_entry::kProfileLabel, plan_anno_entry::kProfileId, own, row::kProfile, true);
                break;
            case row::kProfileStylePoint: {
                points.profileStyles = refs::TrailingAppend(points.profileStyles, element.id);
                if (record.Text(style_entry::kProfileLabels).empty()) continue;
                // Each profile in the network listed beside it.
                std::vector<std::string> names = refs::LeadingItems(record.Text(style_entry::kProfileLabels));
                std::vector<std::string> networks = refs::LeadingItems(record.Text(style_entry::kProfileNetworks));
                if (networks.size() < names.size())
                    com::Raise(com::ErrorCode::SubscriptOutOfRange,
                               "profile style " + element.id + " lists " + std::to_string(names.size()) +
                                   " profiles and " + std::to_string(networks.size()) + " networks");
                Translation ids;
                for (std::size_t i = 0; i < names.size(); ++i) {
                    Translation one = TranslateLabelReferences(Table, GetNetworkIndex(Table, networks[i]), row::kProfile,
                                                               ";" + names[i]);
                    ids.push_back(one.empty() ? std::nullopt : one.front());
                }
                record.Set(style_entry::kProfileNetworks,
                           Variant(KeptItems(record.Text(style_entry::kProfileNetworks), ids)));
                record.Set(style_entry::kProfileLabels, Variant(KeptItems(record.Text(style_entry::kProfileLabels), ids)));
                record.Set(style_entry::kProfileIds, Variant(FoundReferences(ids)));
                break;
            }
            case row::kViewStylePoint:
                points.viewStyles = refs::TrailingAppend(points.viewStyles, element.id);
                continue;
            case row::kMaterialLibraryPoint:
                points.material = element.id;
                continue;
            case row::kSectionSizeLibraryPoint:
                points.sizes = element.id;
                continue;
            default:
                continue;
        }
        rewritten.push_back(std::move(record));
    }

    // The project record first: a drawing without one fails before any record is written.
    StoreProjectPointIds(AcadActiveDocument, points);
    for (ElementRecord& record : rewritten) record.Write();
}

void UpdateOIDs::StoreProjectPointIds(acad::AcadDocument& AcadActiveDocument,
                                      const oid_rebuild::ProjectPointIds& Points) {
    ProjectRecord project = ProjectRecord::Read(AcadActiveDocument);
    std::vector<std::string> items = ViewStyleItems(project);
    project.Set(project_entry::kViewStyles,
                Variant(refs::TrailingList({items[view_style_item::kActiveStyle], items[view_style_item::kVisibility]}) +
                        Points.viewStyles));
    project.Set(project_entry::kMaterialLibrary, Variant(Points.material));
    project.Set(project_entry::kSizeLibrary, Variant(Points.sizes));
    project.Set(project_entry::kProfileStyles, Variant(Points.profileStyles));
    project.Write();
}

}  // namespace fluvanet
