#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/element_records.h"
#include "core/finite_reals.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "crossing/low_high.h"
#include "annotation/label_context.h"
#include "annotation/view_style.h"
#include "editing/editing.h"
#include "editing/label_numbers.h"
#include "editing/pipe_follow_ups.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

constexpr std::string_view kEntitiesSet = "SetEntitiesToConvert";
constexpr std::string_view kExistingNodesSet = "SetExistingNodes";
constexpr std::string_view kLowHighSet = "SetNodesForLowHigh";
constexpr std::string_view kSelectPrompt = "Select Entities to Convert:";
constexpr int16_t kNodesOnly = 2;

std::string NetworkLayer(const std::string& network) { return network + " - Network"; }

// Nodes match a pipe end when x and y agree after rounding to 5 decimals.
struct PointKey {
    double x, y;
    bool operator==(const PointKey&) const = default;
};

PointKey KeyOf(double x, double y) {
    // One key for 0 and -0, which compare equal but hash apart.
    auto rounded = [](double v) {
        double r = vb::Round(v, 5);
        return r == 0 ? 0.0 : r;
    };
    return {rounded(x), rounded(y)};
}

struct PointKeyHash {
    std::size_t operator()(const PointKey& k) const noexcept {
        std::size_t h = std::hash<double>{}(k.x);
        return h ^ (std::hash<double>{}(k.y) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
    }
};

PointKey InsertionKey(const std::shared_ptr<acad::AcadEntity>& node) {
    acad::Point3 p = acad::Cast<acad::AcadBlockReference>(node)->InsertionPoint();
    return KeyOf(p[0], p[1]);
}

struct EndNodes {
    std::shared_ptr<acad::AcadBlockReference> start, end;
};

// The scan over the existing nodes in set order: a node at the start point is the start
// node, else a node at the end point the end node; a later match replaces an earlier one,
// and the scan stops once both are found.
EndNodes ScanEndNodes(acad::AcadSelectionSet& nodes, const PointKey& start, const PointKey& end) {
    EndNodes found;
    const int32_t count = nodes.Count();
    for (int32_t i = 0; i < count && !(found.start && found.end); ++i) {
        auto node = nodes.Item(i);
        PointKey at = InsertionKey(node);
        if (at == start)
            found.start = acad::Cast<acad::AcadBlockReference>(node);
        else if (at == end)
            found.end = acad::Cast<acad::AcadBlockReference>(node);
    }
    return found;
}

// The existing nodes by position, each key's nodes in set order: what the scan finds,
// without the scan.
class NodePositions {
public:
    void Add(const std::shared_ptr<acad::AcadEntity>& node) {
        PointKey key = InsertionKey(node);
        auto position = static_cast<int32_t>(nodes_.size());
        nodes_.push_back(acad::Cast<acad::AcadBlockReference>(node));
        if (!std::isnan(key.x) && !std::isnan(key.y)) positions_[key].push_back(position);
    }

    EndNodes Find(const PointKey& start, const PointKey& end) const {
        const std::vector<int32_t>& s = At(start);
        // A node at the start point is never tried against the end point.
        if (start == end) return {s.empty() ? nullptr : nodes_[Index(s.back())], nullptr};
        const std::vector<int32_t>& e = At(end);
        if (s.empty() || e.empty())
            return {s.empty() ? nullptr : nodes_[Index(s.back())], e.empty() ? nullptr : nodes_[Index(e.back())]};
        // The scan stops at the first node of the side found later; the other side holds
        // its last node before that one.
        if (s.front() < e.front()) return {nodes_[Index(LastBefore(s, e.front()))], nodes_[Index(e.front())]};
        return {nodes_[Index(s.front())], nodes_[Index(LastBefore(e, s.front()))]};
    }

private:
    static std::size_t Index(int32_t position) { return static_cast<std::size_t>(position); }
    static int32_t LastBefore(const std::vector<int32_t>& positions, int32_t limit) {
        return *(std::lower_bound(positions.begin(), positions.end(), limit) - 1);
    }
    const std::vector<int32_t>& At(const PointKey& key) const {
        static const std::vector<int32_t> none;
        auto it = positions_.find(key);
        return it == positions_.end() ? none : it->second;
    }

    std::vector<std::shared_ptr<acad::AcadBlockReference>> nodes_;
    std::unordered_map<PointKey, std::vector<int32_t>, PointKeyHash> positions_;
};

// The label numbers of one network and type as the drawing holds them now.
LabelNumbers NumbersInDrawing(Editing& editing, acad::AcadDocument& doc, const std::string& network,
                              const std::string& elementType) {
    return LabelNumbers(
        editing.GetExistingLabelsArray(doc, network, elementType, Variant(SafeArray::FromStrings({""}))), network,
        elementType);
}

std::string NodeLabelOf(General& general, const ElementRecord& node) {
    return general.EntityLabelFromCombined(node.Get(node_entry::kCombinedLabel));
}

// The pipe appended to a node's labels and identifiers of one side.
void ListPipeAtNode(const std::shared_ptr<acad::AcadBlockReference>& node, int32_t labelsEntry, int32_t idsEntry,
                    const std::string& pipeLabel, const std::string& pipeId) {
    ElementRecord record = ElementRecord::Read(node);
    record.Set(labelsEntry, Variant(refs::AppendReference(record.Text(labelsEntry), pipeLabel)));
    record.Set(idsEntry, Variant(refs::AppendReference(record.Text(idsEntry), pipeId)));
    record.Write();
}

// The pipe taken out of a node's side again.
void UnlistPipeAtNode(const std::shared_ptr<acad::AcadBlockReference>& node, int32_t labelsEntry, int32_t idsEntry,
                      const std::string& pipeId) {
    ElementRecord record = ElementRecord::Read(node);
    UnlistPipeFromNode(record, labelsEntry, idsEntry, pipeId);
    record.Write();
}

// The pipes the nodes list, once each, as they are before the new pipe joins them.
std::vector<ElementRecord> PipesAtNodes(acad::AcadDocument& doc, const EndNodes& ends) {
    std::vector<ElementRecord> pipes;
    for (const auto& node : {ends.start, ends.end}) {
        if (!node) continue;
        for (ElementRecord& pipe : PipesAtNode(doc, ElementRecord::Read(node))) {
            auto same = [&](const ElementRecord& p) { return p.Object() == pipe.Object(); };
            if (std::none_of(pipes.begin(), pipes.end(), same)) pipes.push_back(std::move(pipe));
        }
    }
    return pipes;
}

// The object a reference names, deleted when it is alive and of the expected type.
void DeleteReferenced(acad::AcadDocument& doc, const std::string& reference, std::string_view elementType) {
    if (reference.empty()) return;
    auto entity = std::dynamic_pointer_cast<acad::AcadEntity>(ObjectFromIdIfAlive(doc, refs::ReferenceKey(reference)));
    if (entity && ElementRecord::Read(entity).ElementType() == elementType) entity->Delete();
}

// A node this conversion made, with its label block, out of the drawing and the sets.
void DeleteNewNode(acad::AcadDocument& doc, const std::shared_ptr<acad::AcadBlockReference>& node,
                   std::initializer_list<acad::AcadSelectionSet*> sets) {
    for (acad::AcadSelectionSet* set : sets) {
        try {
            set->RemoveItems({node});
        } catch (const com::Error&) {
        }
    }
    if (node->Erased()) return;
    try {
        ElementRecord record = ElementRecord::Read(node);
        if (record.Exists() && record.Count() > node_entry::kLabelBlockId)
            DeleteReferenced(doc, record.Text(node_entry::kLabelBlockId), element_type::kAnnotation);
    } catch (const com::Error&) {
    }
    try {
        node->Delete();
    } catch (const com::Error&) {
    }
}

// Events off while the library takes out its own objects, so that no erase handler acts on
// them; a flag that cannot be switched does not stop the clean-up.
void EventsOffIfPossible(std::optional<EventsOffGuard>& guard, General& general, acad::AcadDocument& doc) {
    try {
        guard.emplace(general, doc);
    } catch (const com::Error&) {
    }
}

// The usage counts of the pipes made, applied in one change per library.
class UsageBatch {
public:
    void Add(const ElementRecord& pipe) {
        Count(materials_, {pipe.Text(pipe_entry::kMaterial), ""});
        Count(sizes_, {vb::CStr(pipe.Number(pipe_entry::kSpan)), SectionShapeWord(pipe.Text(pipe_entry::kSectionShape))});
    }

    void Apply(Library& library, acad::AcadDocument& doc) const {
        if (materials_.empty()) return;
        SafeArray materialChange = SafeArray::Matrix(com::VarType::String, Rows(materials_), 2);
        for (std::size_t i = 0; i < materials_.size(); ++i) {
            materialChange.Put(Row(i), 0, Variant(materials_[i].key.text));
            materialChange.Put(Row(i), 1, Variant(vb::CStr(materials_[i].pipes)));
        }
        SafeArray sizeChange = SafeArray::Matrix(com::VarType::String, Rows(sizes_), 3);
        for (std::size_t i = 0; i < sizes_.size(); ++i) {
            sizeChange.Put(Row(i), 0, Variant(sizes_[i].key.text));
            sizeChange.Put(Row(i), 1, Variant(sizes_[i].key.shape));
            sizeChange.Put(Row(i), 2, Variant(vb::CStr(sizes_[i].pipes)));
        }
        SafeArray materials = library.GetMaterialsArray(doc);
        library.UpdateMaterialUsage(doc, materials, materialChange);
        SafeArray circular = library.GetSizesArray(doc, "Circular");
        SafeArray box = library.GetSizesArray(doc, "Box");
        library.UpdateSizeUsage(doc, circular, box, sizeChange);
    }

private:
    struct Key {
        std::string text, shape;
        bool operator==(const Key&) const = default;
    };
    struct Tally {
        Key key;
        int32_t pipes = 0;
    };
    static void Count(std::vector<Tally>& tallies, const Key& key) {
        auto it = std::find_if(tallies.begin(), tallies.end(), [&](const Tally& t) { return t.key == key; });
        if (it == tallies.end()) it = tallies.insert(tallies.end(), Tally{key, 0});
        ++it->pipes;
    }
    static int32_t Rows(const std::vector<Tally>& tallies) { return static_cast<int32_t>(tallies.size()); }
    static int32_t Row(std::size_t i) { return static_cast<int32_t>(i); }

    std::vector<Tally> materials_, sizes_;
};

}  // namespace

// One conversion's view of the existing nodes and the label numbers taken, built once and
// kept up to date as nodes and pipes are made, and the label settings, which it cannot change.
struct ConversionIndex {
    NodePositions nodes;
    LabelNumbers nodeLabels;
    LabelNumbers pipeLabels;
    LabelContext labels;
};

// ---- Picking the entities -------------------------------------------------------------

std::shared_ptr<acad::AcadSelectionSet> Editing::GetEntitiesToConvert(acad::AcadDocument& AcadActiveDocument) {
    std::shared_ptr<acad::AcadSelectionSet> set;
    try {
        set = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kEntitiesSet));
        AcadActiveDocument.SendCommand(vb::Chr(27));
        AcadActiveDocument.Utility()->Prompt(std::string(kSelectPrompt));
        set->SelectOnScreen(Variant(SafeArray::FromInt16s({-4, 0, 0, -4})),
                            Variant(SafeArray::FromVariants(
                                {Variant("<or"), Variant("LWPOLYLINE"), Variant("LINE"), Variant("or>")})));

        // Entities that already carry a record belong to the library, whatever they are.
        int32_t count = set->Count();
        for (int32_t i = 0; i < count;) {
            auto entity = set->Item(i);
            if (!ElementRecord::Read(entity).Exists()) {
                ++i;
                continue;
            }
            set->RemoveItems({entity});
            --count;
        }

        // Each line becomes a polyline between its ends, in plan, at the end of the set.
        for (int32_t i = 0; i < count;) {
            auto line = std::dynamic_pointer_cast<acad::AcadLine>(set->Item(i));
            if (!line) {
                ++i;
                continue;
            }
            acad::Point3 from = line->StartPoint(), to = line->EndPoint();
            set->RemoveItems({line});
            --count;
            // Passed over before its copy goes in, as a selection passes over what lies on a
            // locked layer: on a locked active layer the copy could not go again.
            if (AcadActiveDocument.Layers()->Item(Variant(line->Layer()))->Lock()) continue;
            auto polyline = AcadActiveDocument.ModelSpace()->AddLightWeightPolyline({from[0], from[1], to[0], to[1]});
            try {
                line->Delete();
            } catch (const com::Error&) {
                // A line that cannot go keeps no copy beside it, nor its place in the set.
                try {
                    polyline->Delete();
                } catch (const com::Error&) {
                }
                throw;
            }
            set->AddItems({polyline});
        }
    } catch (const com::Error&) {
    }
    return set;
}

// ---- Converting -----------------------------------------------------------------------

void Editing::CreateElementsInNetwork(acad::AcadDocument& AcadActiveDocument,
                                      acad::AcadSelectionSet& SetEntitiesToConvert, const bool& IsExistingNetwork,
                                      const std::string& NetworkName, const std::string& NetworkType) {
    const int32_t count = SetEntitiesToConvert.Count();
    if (count == 0) Raise(ErrorCode::InvalidProcedureCall, "the set holds no entity to convert");
    {
        SafeArray definitions = general_->GetNetworkDefinitions(AcadActiveDocument).Array();
        bool defined = false;
        std::string storedType;
        const int32_t rows = definitions.UBound(1) + 1;
        for (int32_t i = 0; i < rows && !defined; ++i) {
            if (NetworkName.empty() || vb::CStr(definitions.Get(i, 0)) != NetworkName) continue;
            defined = true;
            storedType = vb::CStr(definitions.Get(i, 1));
        }
        if (!defined) Raise(ErrorCode::InvalidProcedureCall, "the network \"" + NetworkName + "\" is not defined");
        if (storedType != NetworkType)
            Raise(ErrorCode::InvalidProcedureCall, "the network " + NetworkName + " is defined as \"" + storedType +
                                                       "\", not \"" + NetworkType + "\"");
    }

    UnlockedLayersGuard unlocked(*general_, AcadActiveDocument);
    std::shared_ptr<acad::AcadSelectionSet> existingNodes =
        IsExistingNetwork ? general_->GetNetworkSet(AcadActiveDocument, NetworkName, kNodesOnly)
                          : general_->InitializeSelectionSet(AcadActiveDocument, std::string(kExistingNodesSet));
    for (const char* layerType : {"Network", "Annotation", "Arrow"})
        general_->CreateStandardLayer(AcadActiveDocument, NetworkName, layerType);
    Variant settings = viewStyle_->GetActiveViewStyleSettingsArray(AcadActiveDocument);
    Variant format = viewStyle_->GetAnnotationFormatArray(settings);
    viewStyle_->DefineAttributeBlocks(AcadActiveDocument, format);
    std::shared_ptr<acad::AcadSelectionSet> lowHigh =
        general_->InitializeSelectionSet(AcadActiveDocument, std::string(kLowHighSet));

    ConversionIndex index{
        {},
        NumbersInDrawing(*this, AcadActiveDocument, NetworkName, NetworkType + "Node"),
        NumbersInDrawing(*this, AcadActiveDocument, NetworkName, NetworkType + "Pipe"),
        {format, general_->GetModelUnits(AcadActiveDocument), general_->GetCorrectionAngleForCS(AcadActiveDocument)},
    };
    const int32_t nodeCount = existingNodes->Count();
    for (int32_t i = 0; i < nodeCount; ++i) index.nodes.Add(existingNodes->Item(i));

    UsageBatch usage;
    try {
        for (int32_t i = 0; i < count; ++i) {
            auto entity = SetEntitiesToConvert.Item(i);
            ConvertPolyline(AcadActiveDocument, *entity, *existingNodes, NetworkName, NetworkType, *lowHigh, &index);
            usage.Add(ElementRecord::Read(entity));
        }
    } catch (...) {
        // The pipes made before the failure stay, and so are counted.
        try {
            usage.Apply(*library_, AcadActiveDocument);
        } catch (const com::Error&) {
        }
        throw;
    }
    usage.Apply(*library_, AcadActiveDocument);

    crossing_->BuildCrossingPointsAfterImporting(AcadActiveDocument, SetEntitiesToConvert, index.labels.units);
    std::vector<std::string> lowHighNodes = lowHigh_->GetInitialNodesOIDArrayForLowHigh(AcadActiveDocument, *lowHigh);
    lowHigh_->BuildLowHighPoints(AcadActiveDocument, lowHighNodes, NetworkName);
    unlocked.Restore();
}

void Editing::ConvertPlIntoPipe(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& PipeEntity,
                                acad::AcadSelectionSet& SetExistingNodes, const std::string& NetworkName,
                                const std::string& NetworkType, acad::AcadSelectionSet& SetNodesForLowHigh) {
    ConvertPolyline(AcadActiveDocument, PipeEntity, SetExistingNodes, NetworkName, NetworkType, SetNodesForLowHigh,
                    nullptr);
    UsageBatch usage;
    usage.Add(ElementRecord::Read(std::static_pointer_cast<acad::AcadEntity>(PipeEntity.shared_from_this())));
    usage.Apply(*library_, AcadActiveDocument);
}

std::shared_ptr<acad::AcadBlockReference> Editing::CreateNewNode(acad::AcadDocument& AcadActiveDocument,
                                                                 const double& InsPntX, const double& InsPntY,
                                                                 const std::string& NetworkName,
                                                                 const std::string& NetworkType,
                                                                 acad::AcadSelectionSet& SetExistingNodes) {
    RequireFinite("the node's x", InsPntX);
    RequireFinite("the node's y", InsPntY);
    return InsertNode(AcadActiveDocument, InsPntX, InsPntY, NetworkName, NetworkType, SetExistingNodes, nullptr);
}

void Editing::ConvertPolyline(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& PipeEntity,
                              acad::AcadSelectionSet& SetExistingNodes, const std::string& NetworkName,
                              const std::string& NetworkType, acad::AcadSelectionSet& SetNodesForLowHigh,
                              ConversionIndex* index) {
    // Everything is checked before the first object goes in.
    auto pipe = std::dynamic_pointer_cast<acad::AcadLWPolyline>(
        std::static_pointer_cast<acad::AcadEntity>(PipeEntity.shared_from_this()));
    if (!pipe) Raise(ErrorCode::TypeMismatch, "a pipe is made of a lightweight polyline, not " + PipeEntity.ObjectName());
    // A second record would cut the entity off from the elements its first one links it to.
    if (ElementRecord::Read(pipe).Exists())
        Raise(ErrorCode::InvalidProcedureCall, "the polyline already carries a " + std::string(kAppName) + " record");
    // Its label would sit at half its length, along its direction.
    if (pipe->Length() == 0) Raise(ErrorCode::DivisionByZero, "the polyline has no length in plan");
    const std::vector<double> xy = pipe->Coordinates();
    const PointKey startAt = KeyOf(xy[0], xy[1]);
    const PointKey endAt = KeyOf(xy[xy.size() - 2], xy[xy.size() - 1]);

    EndNodes ends = index ? index->nodes.Find(startAt, endAt) : ScanEndNodes(SetExistingNodes, startAt, endAt);
    for (const auto& node : {ends.start, ends.end})
        if (node) RequireNodeRecord(ElementRecord::Read(node));
    // Matching rewrites the pipes already at the nodes; a failure after it puts them back.
    const std::vector<ElementRecord> pipesAtEnds = PipesAtNodes(AcadActiveDocument, ends);
    RequireUnlockedLayer(AcadActiveDocument, pipe->Layer());
    for (const auto& node : {ends.start, ends.end})
        if (node) RequireUnlockedLayer(AcadActiveDocument, node->Layer());
    for (const ElementRecord& other : pipesAtEnds)
        RequireUnlockedLayer(AcadActiveDocument, acad::Cast<acad::AcadEntity>(other.Object())->Layer());
    const int32_t newNodes = (ends.start ? 0 : 1) + (ends.end ? 0 : 1);
    const std::string nodeType = NetworkType + "Node";
    const std::string pipeType = NetworkType + "Pipe";
    // New nodes take no pipe number, so the pipe numbers read now still hold when the
    // pipe's label is drawn.
    std::optional<LabelNumbers> pipeNumbers;
    if (index) {
        index->nodeLabels.RequireFree(newNodes);
        index->pipeLabels.RequireFree(1);
    } else {
        if (newNodes > 0) NumbersInDrawing(*this, AcadActiveDocument, NetworkName, nodeType).RequireFree(newNodes);
        pipeNumbers.emplace(NumbersInDrawing(*this, AcadActiveDocument, NetworkName, pipeType));
        pipeNumbers->RequireFree(1);
    }
    const std::string units = index ? index->labels.units : general_->GetModelUnits(AcadActiveDocument);
    const std::string layer = pipe->Layer();
    const std::string pipeId = IdText(*pipe);

    std::vector<std::shared_ptr<acad::AcadBlockReference>> madeNodes;
    bool recordWritten = false, listedAtStart = false, listedAtEnd = false;
    try {
        if (!ends.start) {
            ends.start = InsertNode(AcadActiveDocument, xy[0], xy[1], NetworkName, NetworkType, SetExistingNodes, index);
            madeNodes.push_back(ends.start);
        }
        if (!ends.end) {
            ends.end = InsertNode(AcadActiveDocument, xy[xy.size() - 2], xy[xy.size() - 1], NetworkName, NetworkType,
                                  SetExistingNodes, index);
            madeNodes.push_back(ends.end);
        }
        const std::string startLabel = NodeLabelOf(*general_, ElementRecord::Read(ends.start));
        const std::string endLabel = NodeLabelOf(*general_, ElementRecord::Read(ends.end));
        const std::string label =
            index ? index->pipeLabels.Allocate() : pipeNumbers->Next();

        NewPipeRecord(pipe, NetworkName, NetworkType, label, units,
                      {startLabel, IdText(*ends.start), endLabel, IdText(*ends.end)})
            .Write();
        recordWritten = true;
        pipe->SetLayer(NetworkLayer(NetworkName));
        ListPipeAtNode(ends.start, node_entry::kStartPipeLabels, node_entry::kStartPipeIds, label, pipeId);
        listedAtStart = true;
        ListPipeAtNode(ends.end, node_entry::kEndPipeLabels, node_entry::kEndPipeIds, label, pipeId);
        listedAtEnd = true;
        SetNodesForLowHigh.AddItems({ends.start, ends.end});

        for (const auto& node : {ends.start, ends.end}) {
            ElementRecord record = ElementRecord::Read(node);
            MatchPipesAtNode(AcadActiveDocument, *node, NodeLabelOf(*general_, record),
                             record.Text(node_entry::kStartPipeIds), record.Text(node_entry::kEndPipeIds),
                             record.Number(node_entry::kSumpLevel), vb::CInt(record.Get(node_entry::kMatchingCode)),
                             index ? &index->labels : nullptr);
        }
        InsertLabels(AcadActiveDocument, *pipe, index);
    } catch (...) {
        // What this call made goes again; nodes found in the set keep everything but this
        // pipe, and the pipes at them what matching changed. The entity is left as drawn.
        std::optional<EventsOffGuard> eventsOff;
        EventsOffIfPossible(eventsOff, *general_, AcadActiveDocument);
        auto isMade = [&](const std::shared_ptr<acad::AcadBlockReference>& node) {
            return std::find(madeNodes.begin(), madeNodes.end(), node) != madeNodes.end();
        };
        auto unlist = [&](const std::shared_ptr<acad::AcadBlockReference>& node, bool listed, int32_t labels,
                          int32_t ids) {
            if (listed && !isMade(node)) UnlistPipeAtNode(node, labels, ids, pipeId);
        };
        std::vector<std::function<void()>> undo;
        if (recordWritten) {
            undo.push_back([&] {
                ElementRecord record = ElementRecord::Read(pipe);
                if (record.Exists() && record.Count() > pipe_entry::kArrowId) {
                    DeleteReferenced(AcadActiveDocument, record.Text(pipe_entry::kLabelBlockId),
                                     element_type::kAnnotation);
                    DeleteReferenced(AcadActiveDocument, record.Text(pipe_entry::kArrowId), element_type::kArrow);
                }
            });
            // A record of the application entry alone removes the record.
            undo.push_back([&] {
                pipe->SetXData(Variant(SafeArray::FromInt16s({1001})), Variant(SafeArray::FromVariants({Variant(kAppName)})));
            });
            undo.push_back([&] {
                if (pipe->Layer() != layer) pipe->SetLayer(layer);
            });
        }
        undo.push_back([&] { unlist(ends.start, listedAtStart, node_entry::kStartPipeLabels, node_entry::kStartPipeIds); });
        undo.push_back([&] { unlist(ends.end, listedAtEnd, node_entry::kEndPipeLabels, node_entry::kEndPipeIds); });
        for (const ElementRecord& before : pipesAtEnds) {
            undo.push_back([&] {
                if (!PutBackMatchedEntries(before)) return;
                const std::string id = IdText(*before.Object());
                if (index)
                    PassOnPipeChange(*viewStyle_, *general_, *crossing_, *profile_, AcadActiveDocument, id,
                                     index->labels);
                else
                    PassOnPipeChange(*viewStyle_, *crossing_, *profile_, AcadActiveDocument, id);
            });
        }
        undo.push_back([&] {
            for (const auto& node : madeNodes)
                DeleteNewNode(AcadActiveDocument, node, {&SetExistingNodes, &SetNodesForLowHigh});
        });
        UndoAndRethrow(undo);
    }
}

std::shared_ptr<acad::AcadBlockReference> Editing::InsertNode(acad::AcadDocument& AcadActiveDocument, double x,
                                                              double y, const std::string& NetworkName,
                                                              const std::string& NetworkType,
                                                              acad::AcadSelectionSet& SetExistingNodes,
                                                              ConversionIndex* index) {
    const std::string label = index ? index->nodeLabels.Allocate()
                                    : GetNextLabel(AcadActiveDocument, NetworkName, NetworkType + "Node");
    general_->CreateStandardBlock(AcadActiveDocument, "Node");
    auto node = AcadActiveDocument.ModelSpace()->InsertBlock({x, y, 0}, std::string(kNodeBlockName), 1, 1, 1, 0);
    try {
        NewNodeRecord(node, NetworkName, NetworkType, label).Write();
        node->SetLayer(NetworkLayer(NetworkName));
        InsertLabels(AcadActiveDocument, *node, index);
        SetExistingNodes.AddItems({node});
    } catch (...) {
        std::optional<EventsOffGuard> eventsOff;
        EventsOffIfPossible(eventsOff, *general_, AcadActiveDocument);
        DeleteNewNode(AcadActiveDocument, node, {&SetExistingNodes});
        throw;
    }
    if (index) index->nodes.Add(node);
    return node;
}

void Editing::InsertLabels(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& Entity,
                           const ConversionIndex* index) {
    if (index)
        labels::InsertForNewEntity(*viewStyle_, *general_, AcadActiveDocument, Entity, index->labels);
    else
        viewStyle_->InsertAnnotationsForNewEntity(AcadActiveDocument, Entity,
                                                  general_->GetCorrectionAngleForCS(AcadActiveDocument));
}

}  // namespace fluvanet
