#include <algorithm>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/reference_lists.h"
#include "core/types.h"
#include "crossing/low_high.h"
#include "crossing/low_high_records.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;

namespace {

// Levels are compared after rounding to 7 decimals, so that noise below that counts as level.
constexpr int32_t kLevelDecimals = 7;
constexpr double kNoLowest = 1e9;
constexpr double kNoHighest = -1e9;

struct Node {
    std::shared_ptr<acad::AcadEntity> entity;
    ElementRecord record;
};

std::shared_ptr<acad::AcadEntity> SharedEntity(acad::AcadEntity& entity) {
    return std::static_pointer_cast<acad::AcadEntity>(entity.shared_from_this());
}

void RequireNode(const ElementRecord& record) {
    RequireElementType(record, {element_type::kGravityNode, element_type::kPressureNode}, "a node");
}

// The node an identifier names; an identifier that names no object, or names something
// else, ends the run before its marker changes.
Node RequiredNode(acad::AcadDocument& doc, const std::string& id) {
    auto entity = acad::Cast<acad::AcadEntity>(ObjectFromId(doc, id));
    ElementRecord record = ElementRecord::Read(entity);
    RequireNode(record);
    return {std::move(entity), std::move(record)};
}

double Level(const ElementRecord& node) {
    return vb::Round(node.Number(node_entry::kSumpLevel), kLevelDecimals);
}

// The identifiers of the nodes at the far ends of the node's pipes, one per pipe: the end
// node of each pipe that starts here, then the start node of each pipe that ends here.
std::vector<std::string> FarNodeIds(acad::AcadDocument& doc, const ElementRecord& node) {
    struct Side {
        int32_t pipes;  // node entry listing the pipes
        int32_t far;    // pipe entry naming the node at the other end
        const char* name;
    };
    constexpr Side kSides[] = {{node_entry::kStartPipeIds, pipe_entry::kEndNodeId, "end"},
                               {node_entry::kEndPipeIds, pipe_entry::kStartNodeId, "start"}};
    std::vector<std::string> ids;
    for (const Side& side : kSides) {
        for (const std::string& pipeId : refs::LeadingKeys(node.Text(side.pipes))) {
            ElementRecord pipe = ElementRecord::Read(ObjectFromId(doc, pipeId));
            RequireElementType(pipe, {element_type::kGravityPipe, element_type::kPressurePipe}, "a pipe");
            std::string far = refs::ReferenceKey(pipe.Text(side.far));
            if (far.empty()) Raise(ErrorCode::TypeMismatch, "pipe " + pipeId + " names no " + side.name + " node");
            ids.push_back(std::move(far));
        }
    }
    return ids;
}

bool Listed(const std::vector<ShpNode>& nodes, const std::string& id) {
    return std::any_of(nodes.begin(), nodes.end(), [&](const ShpNode& n) { return n.OID == id; });
}

void Append(std::vector<ShpNode>& nodes, std::string id, std::shared_ptr<acad::AcadEntity> entity) {
    ShpNode node;
    node.OID = std::move(id);
    node.Entity = std::move(entity);
    nodes.push_back(std::move(node));
}

// The run's first entries: every start node found before any marker changes, each once.
// A node is listed by its identifier as the drawing writes it, so that the caller's
// spelling of a number cannot make one node two entries.
std::vector<ShpNode> StartNodes(acad::AcadDocument& doc, const std::vector<std::string>& ids) {
    std::vector<ShpNode> nodes;
    for (const std::string& id : ids) {
        Node node = RequiredNode(doc, id);
        std::string oid = IdText(*node.entity);
        if (!Listed(nodes, oid)) Append(nodes, std::move(oid), std::move(node.entity));
    }
    return nodes;
}

int16_t LowHighCode(double level, double lowest, double highest) {
    if (lowest != kNoLowest && level <= lowest) return kLowPoint;
    if (highest != kNoHighest && level >= highest) return kHighPoint;
    return kNoLowHigh;
}

}  // namespace

void AddLowHighLayers(LayersToWrite& layers, acad::AcadDocument& doc, std::string_view network,
                      const std::vector<ElementRecord>& nodes) {
    layers.ActiveLayer().Layer(LowHighLayerName(network));
    for (const ElementRecord& node : nodes) {
        layers.Object(node.Object());
        if (node_entry::kLowHighId < node.Count())
            layers.Object(ObjectFromIdIfAlive(doc, refs::ReferenceKey(node.Text(node_entry::kLowHighId))));
    }
}

void LowHigh::BuildLowHighPointsAfterImporting(acad::AcadDocument& AcadActiveDocument,
                                               const std::vector<std::string>& ArNodesLowHighOID,
                                               const std::string& NetworkName) {
    vb::Count16(ArNodesLowHighOID.size());  // the host's list
    BuildLowHighPoints(AcadActiveDocument, ArNodesLowHighOID, NetworkName);
}

void LowHigh::BuildLowHighPoints(acad::AcadDocument& AcadActiveDocument,
                                 const std::vector<std::string>& ArNodesLowHighOID, const std::string& NetworkName) {
    if (ArNodesLowHighOID.empty() || ArNodesLowHighOID[0].empty()) return;
    auto first = ObjectFromId(AcadActiveDocument, ArNodesLowHighOID[0]);
    if (general_->GetElementType(*first) == element_type::kGravityNode) return;

    std::vector<ShpNode> nodes = StartNodes(AcadActiveDocument, ArNodesLowHighOID);
    // Met before the first marker goes: stopped at a lock part way, the build would have
    // taken out some nodes' markers and not drawn others'.
    std::vector<ElementRecord> records;
    for (const ShpNode& node : nodes) records.push_back(ElementRecord::Read(node.Entity));
    LayersToWrite layers(AcadActiveDocument);
    AddLowHighLayers(layers, AcadActiveDocument, NetworkName, records);
    layers.Require();
    general_->CreateStandardBlock(AcadActiveDocument, "LowHighPoint");
    general_->CreateStandardLayer(AcadActiveDocument, NetworkName, "LowHighPoint");
    auto markers = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kLowHighPointsSet));

    try {
        // A pass visits the entries it finds at its start; those it appends wait for the next.
        for (bool unclassified = true; unclassified;) {
            unclassified = false;
            const std::size_t count = nodes.size();
            for (std::size_t i = 0; i < count; ++i) {
                if (nodes[static_cast<std::size_t>(i)].LowHighChecked) continue;
                unclassified = true;
                ClassifyLowHighNode(AcadActiveDocument, nodes, i, NetworkName, *markers);
                nodes[static_cast<std::size_t>(i)].LowHighChecked = true;
            }
        }
    } catch (const com::Error&) {
        // The markers made before the failure stay; they show or hide as their network says.
        try {
            ApplyLowHighSettings(AcadActiveDocument, *markers);
        } catch (const com::Error&) {
        }
        throw;
    }
    ApplyLowHighSettings(AcadActiveDocument, *markers);
}

void LowHigh::ClassifyLowHighNode(acad::AcadDocument& AcadActiveDocument, std::vector<ShpNode>& nodes,
                                  std::size_t index, const std::string& NetworkName, acad::AcadSelectionSet& markers) {
    std::shared_ptr<acad::AcadEntity> entity = nodes[static_cast<std::size_t>(index)].Entity;
    ElementRecord record = ElementRecord::Read(entity);
    RequireNode(record);
    const double level = Level(record);

    double lowest = kNoLowest, highest = kNoHighest;
    std::vector<std::pair<std::string, std::shared_ptr<acad::AcadEntity>>> neighbours;
    for (const std::string& id : FarNodeIds(AcadActiveDocument, record)) {
        Node far = RequiredNode(AcadActiveDocument, id);
        const double l = Level(far.record);
        lowest = std::min(lowest, l);
        highest = std::max(highest, l);
        // Listed as the drawing writes it, as the start nodes are: a pipe may name its node
        // in another spelling of the same number ("042", "+42").
        neighbours.emplace_back(IdText(*far.entity), far.entity);
    }

    const int16_t code = LowHighCode(level, lowest, highest);
    std::string markerId = DrawLowHighPoint(AcadActiveDocument, *entity, code, NetworkName);
    if (code != kNoLowHigh) {
        markers.AddItems({acad::Cast<acad::AcadEntity>(ObjectFromId(AcadActiveDocument, markerId))});
        return;
    }
    // Neither low nor high: the classification spreads to the neighbours not yet listed.
    for (auto& [id, far] : neighbours)
        if (!Listed(nodes, id)) Append(nodes, std::move(id), std::move(far));
}

std::vector<std::string> LowHigh::GetInitialNodesOIDArrayForLowHigh(acad::AcadDocument& AcadActiveDocument,
                                                                    acad::AcadSelectionSet& SetNodes) {
    std::vector<std::string> ids;
    std::unordered_set<std::string> listed;
    auto add = [&](std::string id) {
        if (!listed.insert(id).second) return;
        ids.push_back(std::move(id));
    };
    const int32_t count = SetNodes.Count();
    for (int32_t i = 0; i < count; ++i) {
        auto node = SetNodes.Item(i);
        ElementRecord record = ElementRecord::Read(node);
        RequireNode(record);
        add(IdText(*node));
        for (std::string& far : FarNodeIds(AcadActiveDocument, record)) add(std::move(far));
    }
    // Nothing to start from is one empty element, which the build passes over.
    if (ids.empty()) ids.emplace_back();
    return ids;
}

std::string LowHigh::DrawLowHighPoint(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& NodeEntity,
                                      const int16_t& LowHighCode, const std::string& NetworkName) {
    // Everything the marker needs is checked before the old one goes.
    if (LowHighCode != kNoLowHigh && LowHighCode != kLowPoint && LowHighCode != kHighPoint)
        Raise(ErrorCode::InvalidProcedureCall, "low/high code " + std::to_string(LowHighCode));
    auto node = SharedEntity(NodeEntity);
    ElementRecord record = ElementRecord::Read(node);
    RequireNode(record);

    const bool marked = LowHighCode != kNoLowHigh;
    std::shared_ptr<acad::AcadBlockReference> nodeBlock;
    std::string nodeLabel, blockName, layerName;
    if (marked) {
        nodeBlock = acad::Cast<acad::AcadBlockReference>(node);
        nodeLabel = general_->EntityLabelFromCombined(record.Get(node_entry::kCombinedLabel));
        blockName = std::string(LowHighCode == kLowPoint ? kLowPointBlock : kHighPointBlock);
        if (!general_->CheckBlockExists(AcadActiveDocument, blockName))
            Raise(ErrorCode::UndefinedBlock, "the marker block " + blockName + " is not defined");
        layerName = LowHighLayerName(NetworkName);
        // Made on the active layer and moved to its own: a marker stopped on either could
        // not be taken out again.
        RequireUnlockedActiveLayer(AcadActiveDocument);
        RequireUnlockedLayer(AcadActiveDocument, layerName);
    }
    RequireUnlockedLayer(AcadActiveDocument, node->Layer());

    // A reference whose object is gone counts as a marker already deleted; one that names
    // anything but a marker is never deleted.
    std::shared_ptr<acad::AcadEntity> old;
    if (std::string reference = record.Text(node_entry::kLowHighId); !reference.empty()) {
        if (auto object = ObjectFromIdIfAlive(AcadActiveDocument, refs::ReferenceKey(reference))) {
            RequireElementType(ElementRecord::Read(object), {element_type::kLowHighPoint}, "a low/high marker");
            old = acad::Cast<acad::AcadEntity>(object);
            RequireUnlockedLayer(AcadActiveDocument, old->Layer());
        }
    }
    if (old) old->Delete();
    record.Set(node_entry::kLowHighLabel, Variant(""));
    record.Set(node_entry::kLowHighId, Variant(""));

    std::shared_ptr<acad::AcadBlockReference> marker;
    std::string markerId;
    try {
        if (marked) {
            marker = AcadActiveDocument.ModelSpace()->InsertBlock(nodeBlock->InsertionPoint(), blockName, 1, 1, 1, 0);
            marker->SetLayer(layerName);
            markerId = IdText(*marker);
            ElementRecord::Create(marker, LowHighRecordCodes(), NewLowHighValues(NetworkName, nodeLabel, IdText(*node)))
                .Write();
            record.Set(node_entry::kLowHighLabel, Variant(refs::Reference(LowHighMarkerLabel(nodeLabel))));
            record.Set(node_entry::kLowHighId, Variant(refs::Reference(markerId)));
        }
        record.Write();
    } catch (const com::Error&) {
        // The node never names a marker that is not there, nor leaves one behind unnamed.
        UndoAndRethrow({[&] {
            if (marker) marker->Delete();
        }});
    }
    return markerId;
}

}  // namespace fluvanet
