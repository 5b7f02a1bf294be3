#include "editing/pipe_node_records.h"

#include "core/general.h"
#include "core/layer_state.h"
#include "core/reference_lists.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::Variant;

const std::vector<int16_t>& PipeRecordCodes() {
    static const std::vector<int16_t> codes = [] {
        std::vector<int16_t> c(pipe_entry::kCount, 1000);
        c[0] = 1001;
        for (int32_t k : {4, 5, 6, 7, 9, 10}) c[static_cast<std::size_t>(k)] = 1040;
        c[8] = 1070;
        return c;
    }();
    return codes;
}

const std::vector<int16_t>& NodeRecordCodes() {
    static const std::vector<int16_t> codes = [] {
        std::vector<int16_t> c(node_entry::kCount, 1000);
        c[0] = 1001;
        c[3] = c[4] = 1070;
        c[9] = c[10] = 1040;
        return c;
    }();
    return codes;
}

const std::vector<int16_t>& ProjectRecordCodes() {
    static const std::vector<int16_t> codes = [] {
        std::vector<int16_t> c(12, 1000);
        c[0] = 1001;
        c[2] = 1070;
        return c;
    }();
    return codes;
}

std::string PipeCombinedLabel(std::string_view network, std::string_view label) {
    return "Pipe;" + std::string(network) + ";" + std::string(label);
}

std::string NodeCombinedLabel(std::string_view network, std::string_view label) {
    return "Node;" + std::string(network) + ";" + std::string(label);
}

std::vector<Variant> NewPipeValues(std::string_view network, std::string_view networkType, std::string_view label,
                                   std::string_view modelUnits, const PipeEnds& ends) {
    double size = modelUnits == "Metric" ? 200.0 : 8.0;
    std::vector<Variant> v(pipe_entry::kCount, Variant(std::string()));
    v[0] = Variant(kAppName);
    v[pipe_entry::kCombinedLabel] = Variant(PipeCombinedLabel(network, label));
    v[pipe_entry::kElementType] = Variant(std::string(networkType) + "Pipe");
    v[pipe_entry::kSectionShape] = Variant(kCircularShape);
    v[pipe_entry::kSpan] = Variant(size);
    v[pipe_entry::kRise] = Variant(size);
    v[pipe_entry::kFurtherReal1] = Variant(0.0);
    v[pipe_entry::kFurtherReal2] = Variant(0.0);
    v[pipe_entry::kCells] = Variant(int16_t{1});
    v[pipe_entry::kStartInvert] = Variant(0.0);
    v[pipe_entry::kEndInvert] = Variant(0.0);
    v[pipe_entry::kMaterial] = Variant("PVC");
    v[pipe_entry::kStartNodeLabel] = Variant(refs::Reference(ends.startLabel));
    v[pipe_entry::kEndNodeLabel] = Variant(refs::Reference(ends.endLabel));
    v[pipe_entry::kStartNodeId] = Variant(refs::Reference(ends.startId));
    v[pipe_entry::kEndNodeId] = Variant(refs::Reference(ends.endId));
    return v;
}

std::vector<Variant> NewNodeValues(std::string_view network, std::string_view networkType, std::string_view label) {
    std::vector<Variant> v(node_entry::kCount, Variant(std::string()));
    v[0] = Variant(kAppName);
    v[node_entry::kCombinedLabel] = Variant(NodeCombinedLabel(network, label));
    v[node_entry::kElementType] = Variant(std::string(networkType) + "Node");
    v[node_entry::kFurtherInteger] = Variant(int16_t{0});
    v[node_entry::kMatchingCode] = Variant(int16_t{networkType == "Gravity" ? int16_t{0} : int16_t{1}});
    v[node_entry::kGroundLevel] = Variant(0.0);
    v[node_entry::kSumpLevel] = Variant(0.0);
    return v;
}

ElementRecord NewPipeRecord(std::shared_ptr<acad::AcadObject> pipe, std::string_view network,
                            std::string_view networkType, std::string_view label, std::string_view modelUnits,
                            const PipeEnds& ends) {
    return ElementRecord::Create(std::move(pipe), PipeRecordCodes(),
                                 NewPipeValues(network, networkType, label, modelUnits, ends));
}

ElementRecord NewNodeRecord(std::shared_ptr<acad::AcadObject> node, std::string_view network,
                            std::string_view networkType, std::string_view label) {
    return ElementRecord::Create(std::move(node), NodeRecordCodes(), NewNodeValues(network, networkType, label));
}

std::string SectionShapeWord(std::string_view sectionShape) {
    constexpr int32_t kPrefixLength = 13;  // "SectionShape_"
    return vb::Mid(sectionShape, kPrefixLength + 1);
}

LibrarySize PipeLibrarySize(const ElementRecord& pipe) {
    const std::string span = vb::CStr(pipe.Number(pipe_entry::kSpan));
    if (pipe.Text(pipe_entry::kSectionShape) == kCircularShape) return {span, "Circular"};
    return {span + "x" + vb::CStr(pipe.Number(pipe_entry::kRise)), "Box"};
}

double RiseInLevelUnits(std::string_view modelUnits, std::string_view sectionShape, double rise) {
    if (modelUnits == "Metric") return rise / 1000;
    if (sectionShape == kCircularShape) return rise / 12;
    return rise;
}

bool AtNodePoint(double x, double y, const acad::Point3& node) {
    return vb::Round(x, 5) == vb::Round(node[0], 5) && vb::Round(y, 5) == vb::Round(node[1], 5);
}

void RequireNodeRecord(const ElementRecord& node) {
    RequireElementType(node, {element_type::kGravityNode, element_type::kPressureNode}, "a node");
    if (node.Count() < node_entry::kCount)
        com::Raise(com::ErrorCode::SubscriptOutOfRange,
                   "node " + IdText(*node.Object()) + " has " + std::to_string(node.Count()) + " entries");
}

ElementRecord OpenNodeRecord(acad::AcadDocument& doc, std::string_view nodeId) {
    ElementRecord node = ElementRecord::Read(ObjectFromId(doc, nodeId));
    RequireNodeRecord(node);
    return node;
}

std::vector<ElementRecord> PipesAtNode(acad::AcadDocument& doc, const ElementRecord& node) {
    std::vector<ElementRecord> pipes;
    for (int32_t side : {node_entry::kStartPipeIds, node_entry::kEndPipeIds})
        for (const std::string& id : refs::LeadingKeys(node.Text(side))) pipes.push_back(OpenPipeRecord(doc, id));
    return pipes;
}

void UnlistPipeFromNode(ElementRecord& node, int32_t labelsEntry, int32_t idsEntry, std::string_view pipeId) {
    std::vector<std::string> ids = refs::LeadingItems(node.Text(idsEntry));
    std::vector<std::string> labels = refs::LeadingItems(node.Text(labelsEntry));
    std::vector<std::string> keptIds, keptLabels;
    for (std::size_t k = 0; k < ids.size(); ++k)
        if (refs::ItemKey(ids[k]) != pipeId) keptIds.push_back(ids[k]);
    for (std::size_t k = 0; k < labels.size(); ++k)
        if (k >= ids.size() || refs::ItemKey(ids[k]) != pipeId) keptLabels.push_back(labels[k]);
    node.Set(idsEntry, refs::LeadingList(keptIds));
    node.Set(labelsEntry, refs::LeadingList(keptLabels));
}

bool PutBackMatchedEntries(const ElementRecord& before) {
    ElementRecord now = ElementRecord::Read(before.Object());
    bool changed = false;
    for (int32_t entry : {pipe_entry::kStartInvert, pipe_entry::kEndInvert, pipe_entry::kStartNodeLabel,
                          pipe_entry::kEndNodeLabel}) {
        if (now.Get(entry) == before.Get(entry)) continue;
        now.Set(entry, before.Get(entry));
        changed = true;
    }
    if (changed) now.Write();
    return changed;
}

void TakeBackNewElement(General& general, acad::AcadDocument& doc, const std::shared_ptr<acad::AcadObject>& element) {
    const ElementRecord record = ElementRecord::Read(element);
    if (!record.Exists()) return;
    const bool pipe = element_type::IsPipe(record.ElementType());
    EventsOffGuard eventsOff(general, doc);
    for (int32_t entry : pipe ? std::vector<int32_t>{pipe_entry::kLabelBlockId, pipe_entry::kArrowId}
                              : std::vector<int32_t>{node_entry::kLabelBlockId}) {
        if (entry >= record.Count()) continue;
        auto object = ObjectFromIdIfAlive(doc, refs::ReferenceKey(record.Text(entry)));
        if (!object) continue;
        // Only what names the element back is its own.
        if (!NamesBack(ElementRecord::Read(object), {4}, IdText(*element))) continue;
        acad::Cast<acad::AcadEntity>(object)->Delete();
    }
    ElementRecord::Create(element, {1001}, {com::Variant(kAppName)}).Write();
    eventsOff.Restore();
}

}  // namespace fluvanet
