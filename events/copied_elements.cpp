#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "annotation/label_blocks.h"
#include "annotation/view_style.h"
#include "core/element_records.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/library.h"
#include "core/network_definition.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "crossing/low_high.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "events/events.h"
#include "platform/safe_array.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::SafeArray;
using com::Variant;

namespace {

constexpr std::string_view kPipesForCrossingSet = "SetPipesForCrossing";
constexpr std::string_view kNodesForLowHighSet = "SetNodesForLowHigh";
constexpr std::string_view kNewPrefix = "New ";

struct Copy {
    std::shared_ptr<acad::AcadEntity> entity;
    ElementRecord record;
    std::string id;
    std::string label;  // as copied
    std::string finalLabel;
};

struct CopiedNode : Copy {
    explicit CopiedNode(Copy copy) : Copy(std::move(copy)) {}
    acad::Point3 at{};
    std::string startLabels, endLabels, startIds, endIds;
};

struct CopiedPipe : Copy {
    explicit CopiedPipe(Copy copy) : Copy(std::move(copy)) {}
    // The labels of the nodes the source runs between, and the vertices at its ends.
    std::string startKey, endKey;
    double startX = 0, startY = 0, endX = 0, endY = 0;
    CopiedNode* start = nullptr;
    CopiedNode* end = nullptr;
};

struct CopiedNetwork {
    std::string name, type;
    std::vector<CopiedPipe> pipes;
    std::vector<CopiedNode> nodes;
};

// The copied node a pipe end is linked to: the one copy of the node the source ran to,
// or among several copies of it the first that lies at the end; none when no copy lies
// there.
CopiedNode* NodeAtEnd(std::vector<CopiedNode>& nodes, const std::string& key, double x, double y) {
    std::vector<CopiedNode*> copies;
    for (CopiedNode& node : nodes)
        if (node.label == key) copies.push_back(&node);
    if (copies.size() == 1) return copies.front();
    for (CopiedNode* node : copies)
        if (AtNodePoint(x, y, node->at)) return node;
    return nullptr;
}

// Kind and network as copied, the final label after them.
Variant WithLabel(const ElementRecord& record, const std::string& label) {
    std::vector<std::string> items = vb::Split(record.Text(1), ";");
    return Variant(items.at(0) + ";" + items.at(1) + ";" + label);
}

// The label with the copy prefix put before it until no existing label equals it. The last
// element is a spare and not compared. The labels may be all of the drawing's: no size limit.
std::string FinalLabelAmong(const std::string& label, const std::vector<std::string>& existing) {
    const auto last = existing.empty() ? existing.end() : existing.end() - 1;
    std::string result = label;
    while (std::find(existing.begin(), last, result) != last) result = std::string(kNewPrefix) + result;
    return result;
}

}  // namespace

std::string Events::GetFinalLabel(const std::string& OriginalLabel, const std::vector<std::string>& ExLabelsArray) {
    vb::Count16(ExLabelsArray.size());  // the host's list
    return FinalLabelAmong(OriginalLabel, ExLabelsArray);
}

bool Events::CheckAndAddNetworkDefinition(acad::AcadDocument& AcadActiveDocument, const std::string& NetworkName,
                                          const std::string& NetworkType) {
    ProjectRecord record = ProjectRecord::Read(AcadActiveDocument);
    if (!AddNetworkDefinition(record, NetworkName, NetworkType)) return true;
    record.Write();
    return false;
}

void Events::VerifyCopiedElements(acad::AcadDocument& AcadActiveDocument, std::string& ChangedPipeObjectID,
                                  const std::string& CopiedElementsOID) {
    const std::string units = general_->GetModelUnits(AcadActiveDocument);

    // Every copy is read and checked before the first change.
    std::vector<CopiedNetwork> networks;
    std::vector<std::shared_ptr<acad::AcadEntity>> others;
    std::vector<std::string> copyIds;
    std::set<std::string> seen;
    // The host's list of copies keeps its 16-bit indices.
    const std::vector<std::string> copied = refs::TrailingItems(CopiedElementsOID);
    vb::Count16(copied.size());
    for (const std::string& id : copied) {
        if (!seen.insert(id).second) continue;
        auto entity = acad::Cast<acad::AcadEntity>(ObjectFromId(AcadActiveDocument, id));
        ElementRecord record = ElementRecord::Read(entity);
        if (!record.Exists()) continue;  // nothing of the network's
        const std::string type = record.ElementType();
        if (!element_type::IsPipe(type) && !element_type::IsNode(type)) {
            others.push_back(entity);
            continue;
        }
        copyIds.push_back(id);
        const std::string network = general_->EntityNetworkFromCombined(record.Get(1));
        auto row = std::find_if(networks.begin(), networks.end(), [&](const auto& n) { return n.name == network; });
        if (row == networks.end()) {
            const bool gravity = type == element_type::kGravityPipe || type == element_type::kGravityNode;
            networks.push_back({network, gravity ? "Gravity" : "Pressure", {}, {}});
            row = networks.end() - 1;
        }
        const std::string label = general_->EntityLabelFromCombined(record.Get(1));
        if (element_type::IsPipe(type)) {
            CopiedPipe pipe(Copy{entity, OpenPipeRecord(AcadActiveDocument, id), id, label, ""});
            pipe.startKey = refs::ReferenceKey(pipe.record.Text(pipe_entry::kStartNodeLabel));
            pipe.endKey = refs::ReferenceKey(pipe.record.Text(pipe_entry::kEndNodeLabel));
            std::vector<double> v = acad::Cast<acad::AcadLWPolyline>(entity)->Coordinates();
            if (v.size() < 4) com::Raise(com::ErrorCode::InvalidProcedureCall, "pipe " + id + " has no two vertices");
            pipe.startX = v[0], pipe.startY = v[1], pipe.endX = v[v.size() - 2], pipe.endY = v.back();
            row->pipes.push_back(std::move(pipe));
        } else {
            CopiedNode node(Copy{entity, OpenNodeRecord(AcadActiveDocument, id), id, label, ""});
            node.at = acad::Cast<acad::AcadBlockReference>(entity)->InsertionPoint();
            row->nodes.push_back(std::move(node));
        }
    }

    // Existing labels are read before any copy is relabelled; a new network has none.
    const Variant ignored(SafeArray::FromStrings(copyIds.empty() ? std::vector<std::string>{""} : copyIds));
    std::vector<std::shared_ptr<acad::AcadEntity>> unlinked;
    std::vector<bool> existed;
    for (CopiedNetwork& network : networks) {
        existed.push_back(general_->CheckNetworkExists(AcadActiveDocument, network.name));
        if (!existed.back()) RequireDefinableNetwork(network.name, network.type);
        for (CopiedPipe& pipe : network.pipes) {
            pipe.start = NodeAtEnd(network.nodes, pipe.startKey, pipe.startX, pipe.startY);
            pipe.end = NodeAtEnd(network.nodes, pipe.endKey, pipe.endX, pipe.endY);
            if (!pipe.start || !pipe.end) unlinked.push_back(pipe.entity);
        }
        std::erase_if(network.pipes, [](const CopiedPipe& p) { return !p.start || !p.end; });

        // One by one, each against what exists and what this call gave before it.
        auto allocate = [&](auto& copies, const std::string& kind) {
            std::vector<std::string> taken{""};
            if (existed.back())
                taken = editing_->GetExistingLabelsArray(AcadActiveDocument, network.name, network.type + kind,
                                                         ignored);
            for (Copy& copy : copies) {
                copy.finalLabel = FinalLabelAmong(copy.label, taken);
                taken.insert(taken.end() - 1, copy.finalLabel);
            }
        };
        allocate(network.pipes, "Pipe");
        allocate(network.nodes, "Node");
    }

    // What the labels need is there before the first change as well: the active style's
    // table, and label blocks that can show its lines.
    std::set<std::string> types;
    for (const CopiedNetwork& network : networks) {
        for (const CopiedPipe& pipe : network.pipes) types.insert(pipe.record.ElementType());
        for (const CopiedNode& node : network.nodes) types.insert(node.record.ElementType());
    }
    if (!types.empty()) {
        const Variant table =
            viewStyle_->GetAnnotationFormatArray(viewStyle_->GetActiveViewStyleSettingsArray(AcadActiveDocument));
        labels::DefineBlocksUnlessReady(*viewStyle_, AcadActiveDocument, table, types);
    }

    for (const std::string& id : copyIds) ChangedPipeObjectID = general_->ExcludeID(Variant(id), ChangedPipeObjectID);
    // Reported, erasing a copy would make the source forget what the copy still names.
    {
        EventsOffGuard eventsOff(*general_, AcadActiveDocument);
        for (const auto& entity : others) entity->Delete();
        for (const auto& entity : unlinked) entity->Delete();
        eventsOff.Restore();
    }

    auto pipesForCrossing = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kPipesForCrossingSet));
    const double correction = general_->GetCorrectionAngleForCS(AcadActiveDocument);
    // A copy that cannot take its label stays linked and named, and the others still take
    // theirs: the first failure is raised once every copy has had its turn.
    std::optional<com::Error> labelFailure;
    std::vector<std::string> unlabelled;
    auto label = [&](const Copy& copy) {
        try {
            viewStyle_->InsertAnnotationsForNewEntity(AcadActiveDocument, *copy.entity, correction);
        } catch (const com::Error& e) {
            if (!labelFailure) labelFailure = e;
            unlabelled.push_back(copy.finalLabel);
        }
    };
    for (CopiedNetwork& network : networks) {
        CheckAndAddNetworkDefinition(AcadActiveDocument, network.name, network.type);
        for (const char* layer : {"Network", "Annotation", "Arrow"})
            general_->CreateStandardLayer(AcadActiveDocument, network.name, layer);

        std::vector<std::vector<std::string>> materials, sizes;
        for (CopiedPipe& pipe : network.pipes) {
            ElementRecord& r = pipe.record;
            r.Set(pipe_entry::kCombinedLabel, WithLabel(r, pipe.finalLabel));
            r.Set(pipe_entry::kStartNodeLabel, Variant(refs::Reference(pipe.start->finalLabel)));
            r.Set(pipe_entry::kEndNodeLabel, Variant(refs::Reference(pipe.end->finalLabel)));
            r.Set(pipe_entry::kStartNodeId, Variant(refs::Reference(pipe.start->id)));
            r.Set(pipe_entry::kEndNodeId, Variant(refs::Reference(pipe.end->id)));
            // Labels, arrows, crossings and profiles are the source's.
            for (int32_t k = pipe_entry::kLabelBlockLabel; k <= pipe_entry::kProfileIds; ++k) r.Set(k, Variant(""));
            r.Write();
            pipe.start->startLabels = refs::AppendReference(pipe.start->startLabels, pipe.finalLabel);
            pipe.start->startIds = refs::AppendReference(pipe.start->startIds, pipe.id);
            pipe.end->endLabels = refs::AppendReference(pipe.end->endLabels, pipe.finalLabel);
            pipe.end->endIds = refs::AppendReference(pipe.end->endIds, pipe.id);
            materials.push_back({r.Text(pipe_entry::kMaterial), "1"});
            const LibrarySize size = PipeLibrarySize(r);
            sizes.push_back({size.text, size.shape, "1"});
        }
        for (CopiedNode& node : network.nodes) {
            ElementRecord& r = node.record;
            r.Set(node_entry::kCombinedLabel, WithLabel(r, node.finalLabel));
            r.Set(node_entry::kStartPipeLabels, Variant(node.startLabels));
            r.Set(node_entry::kEndPipeLabels, Variant(node.endLabels));
            r.Set(node_entry::kStartPipeIds, Variant(node.startIds));
            r.Set(node_entry::kEndPipeIds, Variant(node.endIds));
            for (int32_t k = node_entry::kLabelBlockLabel; k <= node_entry::kLowHighId; ++k) r.Set(k, Variant(""));
            r.Write();
        }

        if (!network.pipes.empty()) {
            SafeArray materialTable = library_->GetMaterialsArray(AcadActiveDocument);
            library_->UpdateMaterialUsage(AcadActiveDocument, materialTable, LibraryChangeTable(materials));
            SafeArray circular = library_->GetSizesArray(AcadActiveDocument, "Circular");
            SafeArray box = library_->GetSizesArray(AcadActiveDocument, "Box");
            library_->UpdateSizeUsage(AcadActiveDocument, circular, box, LibraryChangeTable(sizes));
        }

        // Labels once both ends are written: a pipe's label may show its nodes.
        for (CopiedPipe& pipe : network.pipes) {
            label(pipe);
            pipesForCrossing->AddItems({pipe.entity});
        }
        // Each network's markers from its own nodes only.
        auto lowHigh = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kNodesForLowHighSet));
        for (CopiedNode& node : network.nodes) {
            label(node);
            lowHigh->AddItems({node.entity});
        }
        lowHigh_->BuildLowHighPoints(
            AcadActiveDocument, lowHigh_->GetInitialNodesOIDArrayForLowHigh(AcadActiveDocument, *lowHigh),
            network.name);
    }
    crossing_->BuildCrossingPointsAfterImporting(AcadActiveDocument, *pipesForCrossing, units);
    if (labelFailure)
        throw com::Error(labelFailure->Number(),
                         labelFailure->Description() + "; these copies could not be labelled: " + vb::Join(unlabelled, ", "));
}

}  // namespace fluvanet
