#include "tests/support/network_invariants.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "core/project_record.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace testing_support {
namespace {

namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;
namespace pr = fluvanet::project_entry;

constexpr int32_t kWholeRecord = -1;
constexpr std::string_view kRelatedTo = "RelatedTo";

// ---- reading ------------------------------------------------------------------------

// One object's "Fluvamap" record as GetXData gives it.
struct Element {
    std::shared_ptr<acad::AcadObject> object;
    std::string id;
    std::vector<int16_t> codes;
    std::vector<com::Variant> values;
    std::string type;                      // entry 2
    std::vector<std::string> labelPieces;  // entry 1 split at ";"

    bool HasRecord() const { return !values.empty(); }
    int32_t Count() const { return static_cast<int32_t>(values.size()); }
    // A missing entry reads "": its absence is a finding of its own.
    std::string Text(int32_t entry) const {
        if (entry < 0 || entry >= Count()) return "";
        return vb::CStr(values[static_cast<std::size_t>(entry)]);
    }
    std::string Piece(std::size_t i) const { return i < labelPieces.size() ? labelPieces[i] : ""; }
    std::string Kind() const { return Piece(0); }
    std::string Network() const { return Piece(1); }
    std::string Label() const { return Piece(2); }
};

Element ReadElement(const std::shared_ptr<acad::AcadObject>& object) {
    Element e;
    e.object = object;
    e.id = std::to_string(object->ObjectID());
    com::Variant codes, values;
    object->GetXData(std::string(fluvanet::kAppName), codes, values);
    if (codes.IsArray() && values.IsArray()) {
        e.codes = codes.Array().ToInt16s();
        e.values = values.Array().ToVariants();
    }
    e.type = e.Text(2);
    e.labelPieces = vb::Split(e.Text(1), ";");
    vb::Count16(e.labelPieces.size());
    return e;
}

// A trailing list: every item followed by ";".
struct TrailingList {
    std::vector<std::string> items;
    bool lostLast = false;  // a last item without its ";", which every reader drops
};

TrailingList ReadTrailing(const std::string& text) {
    TrailingList list;
    std::vector<std::string> pieces = vb::Split(text, ";");
    if (pieces.empty()) return list;
    list.items.assign(pieces.begin(), pieces.end() - 1);
    list.lostLast = !pieces.back().empty();
    return list;
}

// A single reference ";RelatedTo" & key; an empty text is no reference.
struct SingleReference {
    bool set = false;
    bool wellFormed = true;
    std::string key;
};

SingleReference ReadSingle(const std::string& text) {
    SingleReference r;
    if (text.empty()) return r;
    r.set = true;
    r.wellFormed = vb::Left(text, 10) == ";" + std::string(kRelatedTo);
    r.key = vb::Mid(text, 11);
    return r;
}

// A reference list: ";RelatedTo" & key for each item; the empty text is the empty list.
struct ReferenceList {
    std::vector<std::string> keys;
    bool wellFormed = true;
};

ReferenceList ReadList(const std::string& text) {
    ReferenceList list;
    std::vector<std::string> pieces = vb::Split(text, ";");
    if (pieces.empty()) return list;
    if (!pieces[0].empty()) list.wellFormed = false;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const std::string& item = pieces[i];
        if (vb::Left(item, 9) != kRelatedTo) list.wellFormed = false;
        list.keys.push_back(vb::Mid(item, 10));
    }
    return list;
}

// An identifier as the library writes it: plain decimal digits of a 32-bit value.
std::optional<int32_t> ParseId(const std::string& text) {
    int32_t id = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (ec != std::errc() || end != text.data() + text.size() || std::to_string(id) != text) return std::nullopt;
    return id;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// ---- what every rule sees -----------------------------------------------------------

struct Survey {
    acad::AcadDocument& doc;
    std::vector<std::string> networkNames;  // entry 3
    std::vector<std::string> networkTypes;  // entry 4
    std::vector<Element> elements;          // live entities carrying a record
    std::map<std::tuple<std::string, std::string, std::string>, int> labelUses;  // network, type, label

    // The type of a defined network (its first definition), nullopt for an undefined one.
    std::optional<std::string> NetworkType(const std::string& name) const {
        for (std::size_t i = 0; i < networkNames.size(); ++i)
            if (networkNames[i] == name) return i < networkTypes.size() ? networkTypes[i] : "";
        return std::nullopt;
    }

    // The live object an identifier names, with its record (none when it carries none).
    std::optional<Element> Resolve(const std::string& idText) const {
        std::optional<int32_t> id = ParseId(idText);
        if (!id) return std::nullopt;
        try {
            return ReadElement(doc.ObjectIdToObject(*id));
        } catch (const com::Error&) {
            return std::nullopt;
        }
    }
};

class Findings {
public:
    void Add(const Element& e, int32_t entry, const std::string& what) {
        std::string where = entry == kWholeRecord ? "[record]" : "[" + std::to_string(entry) + "]";
        lines_.push_back(e.id + " " + e.type + " " + Quoted(e.Label()) + " " + where + " " + what);
    }
    std::vector<std::string> Take() { return std::move(lines_); }

private:
    std::vector<std::string> lines_;
};

using Rule = void (*)(const Survey&, const Element&, Findings&);

// ---- shared checks ------------------------------------------------------------------

// The codes of the layout; `moreAllowed` lets a record carry entries beyond it.
void CheckCodes(const Element& e, const std::vector<int16_t>& expected, bool moreAllowed, Findings& f) {
    if (e.codes.size() < expected.size() || (!moreAllowed && e.codes.size() != expected.size())) {
        f.Add(e, kWholeRecord,
              "holds " + std::to_string(e.codes.size()) + " entries, " + (moreAllowed ? "at least " : "") +
                  std::to_string(expected.size()) + " expected");
        return;
    }
    for (std::size_t k = 0; k < expected.size(); ++k)
        if (e.codes[k] != expected[k])
            f.Add(e, static_cast<int32_t>(k),
                  "has code " + std::to_string(e.codes[k]) + ", " + std::to_string(expected[k]) + " expected");
}

void CheckLive(const Survey& s, const Element& e, int32_t entry, const std::string& key, Findings& f) {
    if (!ParseId(key))
        f.Add(e, entry, Quoted(key) + " is not an identifier");
    else if (!s.Resolve(key))
        f.Add(e, entry, key + " names no live object");
}

// The key of a single reference, "" when unset; a text out of the form is reported.
std::string SingleKey(const Element& e, int32_t entry, Findings& f) {
    SingleReference r = ReadSingle(e.Text(entry));
    if (!r.wellFormed) f.Add(e, entry, Quoted(e.Text(entry)) + " is not a reference");
    return r.key;
}

// The keys of a reference list; a text out of the form is reported.
std::vector<std::string> ListKeys(const Element& e, int32_t entry, Findings& f) {
    ReferenceList list = ReadList(e.Text(entry));
    if (!list.wellFormed) f.Add(e, entry, Quoted(e.Text(entry)) + " is not a reference list");
    return list.keys;
}

// A label reference and its ID reference are set together or not at all; the ID names a
// live object.
void CheckReferencePair(const Survey& s, const Element& e, int32_t labelEntry, int32_t idEntry, Findings& f) {
    SingleKey(e, labelEntry, f);
    std::string id = SingleKey(e, idEntry, f);
    bool labelSet = !e.Text(labelEntry).empty();
    bool idSet = !e.Text(idEntry).empty();
    if (labelSet != idSet)
        f.Add(e, labelSet ? idEntry : labelEntry,
              "is empty while [" + std::to_string(labelSet ? labelEntry : idEntry) + "] is set");
    if (idSet) CheckLive(s, e, idEntry, id, f);
}

// Parallel lists: labels and identifiers of the same elements; every identifier live.
void CheckParallelLists(const Survey& s, const Element& e, int32_t labelEntry, int32_t idEntry, Findings& f) {
    std::vector<std::string> labels = ListKeys(e, labelEntry, f);
    std::vector<std::string> ids = ListKeys(e, idEntry, f);
    if (labels.size() != ids.size())
        f.Add(e, idEntry,
              "holds " + std::to_string(ids.size()) + " items, [" + std::to_string(labelEntry) + "] " +
                  std::to_string(labels.size()));
    for (const std::string& id : ids) CheckLive(s, e, idEntry, id, f);
}

// ---- project record -----------------------------------------------------------------

void ProjectCodes(const Survey&, const Element& e, Findings& f) {
    // The host may make more entries than the layout names; those are its own.
    CheckCodes(e, fluvanet::ProjectRecordCodes(), true, f);
}

void ReportLostItem(const Element& e, int32_t entry, const TrailingList& list, Findings& f) {
    if (list.lostLast) f.Add(e, entry, Quoted(e.Text(entry)) + " does not end with \";\"");
}

void ProjectNetworks(const Survey& s, const Element& e, Findings& f) {
    ReportLostItem(e, pr::kNetworkNames, ReadTrailing(e.Text(pr::kNetworkNames)), f);
    ReportLostItem(e, pr::kNetworkTypes, ReadTrailing(e.Text(pr::kNetworkTypes)), f);
    if (s.networkNames.size() != s.networkTypes.size())
        f.Add(e, pr::kNetworkTypes,
              "holds " + std::to_string(s.networkTypes.size()) + " types for " +
                  std::to_string(s.networkNames.size()) + " networks");
    for (const std::string& type : s.networkTypes)
        if (type != "Gravity" && type != "Pressure") f.Add(e, pr::kNetworkTypes, Quoted(type) + " is no network type");
    std::set<std::string> seen, reported;
    for (const std::string& name : s.networkNames)
        if (!seen.insert(name).second && reported.insert(name).second)
            f.Add(e, pr::kNetworkNames, Quoted(name) + " is defined more than once");
}

void ProjectVisibility(const Survey& s, const Element& e, Findings& f) {
    TrailingList styles = ReadTrailing(e.Text(pr::kViewStyles));
    ReportLostItem(e, pr::kViewStyles, styles, f);
    if (styles.items.size() < 2) {
        f.Add(e, pr::kViewStyles, "has no visibility string");
        return;
    }
    int32_t characters = vb::Len(styles.items[1]);
    if (characters != static_cast<int32_t>(s.networkNames.size()))
        f.Add(e, pr::kViewStyles,
              "visibility " + Quoted(styles.items[1]) + " has " + std::to_string(characters) + " characters for " +
                  std::to_string(s.networkNames.size()) + " networks");
}

void ProjectSettings(const Survey& s, const Element& e, Findings& f) {
    // Entry 8: the minimum clearance, then two names per pair.
    std::vector<std::string> pieces = vb::Split(e.Text(pr::kCrossingSettings), ";");
    int16_t count = vb::Count16(pieces.size());
    if (count > 1 && count % 2 == 0) f.Add(e, pr::kCrossingSettings, Quoted(pieces.back()) + " has no partner");
    for (int16_t i = 1; i < count; ++i) {
        const std::string& name = pieces[static_cast<std::size_t>(i)];
        if (!s.NetworkType(name)) f.Add(e, pr::kCrossingSettings, "pair names " + Quoted(name) + ", not defined");
    }
    TrailingList lowHigh = ReadTrailing(e.Text(pr::kLowHighSettings));
    ReportLostItem(e, pr::kLowHighSettings, lowHigh, f);
    for (const std::string& name : lowHigh.items) {
        std::optional<std::string> type = s.NetworkType(name);
        if (!type)
            f.Add(e, pr::kLowHighSettings, Quoted(name) + " is not defined");
        else if (*type != "Pressure")
            f.Add(e, pr::kLowHighSettings, Quoted(name) + " is a " + Quoted(*type) + " network");
    }
}

void ProjectIdentifiers(const Survey& s, const Element& e, Findings& f) {
    CheckLive(s, e, pr::kMaterialLibrary, e.Text(pr::kMaterialLibrary), f);
    CheckLive(s, e, pr::kSizeLibrary, e.Text(pr::kSizeLibrary), f);
    TrailingList profiles = ReadTrailing(e.Text(pr::kProfileStyles));
    ReportLostItem(e, pr::kProfileStyles, profiles, f);
    for (const std::string& id : profiles.items) CheckLive(s, e, pr::kProfileStyles, id, f);
    TrailingList styles = ReadTrailing(e.Text(pr::kViewStyles));
    for (std::size_t i = 2; i < styles.items.size(); ++i) CheckLive(s, e, pr::kViewStyles, styles.items[i], f);
}

// ---- pipes and nodes ----------------------------------------------------------------

// The parts of a network element that pipes and nodes share.
struct ElementKind {
    std::string_view word;  // kind in entry 1 and suffix of entry 2
    const std::vector<int16_t>& codes;
};

ElementKind KindOf(const Element& e) {
    if (fluvanet::element_type::IsPipe(e.type)) return {"Pipe", fluvanet::PipeRecordCodes()};
    return {"Node", fluvanet::NodeRecordCodes()};
}

void RecordShape(const Survey&, const Element& e, Findings& f) {
    ElementKind kind = KindOf(e);
    CheckCodes(e, kind.codes, false, f);
    auto entity = std::dynamic_pointer_cast<acad::AcadEntity>(e.object);
    if (kind.word == "Pipe" && !std::dynamic_pointer_cast<acad::AcadLWPolyline>(e.object))
        f.Add(e, kWholeRecord, "sits on a " + entity->DxfName() + ", not a lightweight polyline");
    if (kind.word == "Node") {
        auto block = std::dynamic_pointer_cast<acad::AcadBlockReference>(e.object);
        if (!block || block->Name() != fluvanet::kNodeBlockName)
            f.Add(e, kWholeRecord, "sits on a " + entity->DxfName() + " " + entity->BlockName() + ", not a node block");
    }
    // Layer names are compared as the layer table does, without regard to case.
    std::string layer = e.Network() + " - Network";
    if (vb::UCase(entity->Layer()) != vb::UCase(layer))
        f.Add(e, kWholeRecord, "lies on layer " + Quoted(entity->Layer()) + ", not " + Quoted(layer));
}

void CombinedLabel(const Survey& s, const Element& e, Findings& f) {
    ElementKind kind = KindOf(e);
    if (e.labelPieces.size() != 3)
        f.Add(e, 1, Quoted(e.Text(1)) + " has " + std::to_string(e.labelPieces.size()) + " items, 3 expected");
    if (e.Kind() != kind.word)
        f.Add(e, 1, "kind " + Quoted(e.Kind()) + ", " + Quoted(std::string(kind.word)) + " expected");
    std::optional<std::string> type = s.NetworkType(e.Network());
    if (!type)
        f.Add(e, 1, "network " + Quoted(e.Network()) + " is not defined");
    else if (e.type != *type + std::string(kind.word))
        f.Add(e, 2, "network " + Quoted(e.Network()) + " is a " + Quoted(*type) + " network");
}

void UniqueLabel(const Survey& s, const Element& e, Findings& f) {
    auto uses = s.labelUses.find({e.Network(), e.type, e.Label()});
    if (uses != s.labelUses.end() && uses->second > 1)
        f.Add(e, 1, "label is used by " + std::to_string(uses->second) + " elements of the network");
}

// One end of a pipe and the entries that describe it on both sides.
struct PipeEnd {
    std::string_view name;
    int32_t labelReference, idReference;  // pipe entries
    int32_t nodeLabels, nodeIds;          // node entries listing the pipe
    bool firstVertex;
};
constexpr PipeEnd kStartEnd{"start", pe::kStartNodeLabel, pe::kStartNodeId, ne::kStartPipeLabels, ne::kStartPipeIds,
                            true};
constexpr PipeEnd kEndEnd{"end", pe::kEndNodeLabel, pe::kEndNodeId, ne::kEndPipeLabels, ne::kEndPipeIds, false};

void CheckPipeEnd(const Survey& s, const Element& pipe, const PipeEnd& end, Findings& f) {
    std::string what = std::string(end.name) + " node";
    std::string labelKey = SingleKey(pipe, end.labelReference, f);
    std::string idKey = SingleKey(pipe, end.idReference, f);
    if (pipe.Text(end.idReference).empty()) {
        f.Add(pipe, end.idReference, "names no " + what);
        return;
    }
    std::optional<Element> node = s.Resolve(idKey);
    if (!node) {
        f.Add(pipe, end.idReference, what + " " + Quoted(idKey) + " is no live object");
        return;
    }
    if (!fluvanet::element_type::IsNode(node->type)) {
        f.Add(pipe, end.idReference, what + " " + idKey + " is a " + Quoted(node->type) + ", not a node");
        return;
    }
    if (node->Network() != pipe.Network())
        f.Add(pipe, end.idReference, what + " " + idKey + " belongs to network " + Quoted(node->Network()));
    if (labelKey != node->Label())
        f.Add(pipe, end.labelReference, "says " + Quoted(labelKey) + ", the " + what + " is " + Quoted(node->Label()));

    std::vector<std::string> ids = ReadList(node->Text(end.nodeIds)).keys;
    std::vector<std::string> labels = ReadList(node->Text(end.nodeLabels)).keys;
    std::vector<std::size_t> positions;
    for (std::size_t k = 0; k < ids.size(); ++k)
        if (ids[k] == pipe.id) positions.push_back(k);
    std::string nodeEntry = "[" + std::to_string(end.nodeIds) + "]";
    if (positions.size() != 1)
        f.Add(pipe, end.idReference,
              "is listed " + std::to_string(positions.size()) + " times in " + nodeEntry + " of its " + what);
    else if (positions[0] >= labels.size() || labels[positions[0]] != pipe.Label())
        f.Add(pipe, end.idReference,
              what + " lists it in " + nodeEntry + " at " + std::to_string(positions[0]) + " but not its label in [" +
                  std::to_string(end.nodeLabels) + "]");

    auto polyline = std::dynamic_pointer_cast<acad::AcadLWPolyline>(pipe.object);
    auto block = std::dynamic_pointer_cast<acad::AcadBlockReference>(node->object);
    if (!polyline || !block) return;
    std::vector<double> v = polyline->Coordinates();
    std::size_t at = end.firstVertex ? 0 : v.size() - 2;
    acad::Point3 p = block->InsertionPoint();
    // Coincidence is equality after rounding both sides to 5 decimals.
    if (vb::Round(v[at], 5) != vb::Round(p[0], 5) || vb::Round(v[at + 1], 5) != vb::Round(p[1], 5))
        f.Add(pipe, end.idReference,
              std::string(end.firstVertex ? "first" : "last") + " vertex (" + vb::CStr(v[at]) + ", " +
                  vb::CStr(v[at + 1]) + ") is not at the " + what + " (" + vb::CStr(p[0]) + ", " +
                  vb::CStr(p[1]) + ")");
}

void PipeEnds(const Survey& s, const Element& e, Findings& f) {
    CheckPipeEnd(s, e, kStartEnd, f);
    CheckPipeEnd(s, e, kEndEnd, f);
}

void PipeReferences(const Survey& s, const Element& e, Findings& f) {
    CheckReferencePair(s, e, pe::kLabelBlockLabel, pe::kLabelBlockId, f);
    CheckReferencePair(s, e, pe::kArrowLabel, pe::kArrowId, f);
    CheckParallelLists(s, e, pe::kCrossingLabels, pe::kCrossingIds, f);
    CheckParallelLists(s, e, pe::kProfileLabels, pe::kProfileIds, f);
}

// Levels are real numbers: a NaN or infinite one poisons every level worked out from it.
void CheckLevels(const Element& e, std::initializer_list<int32_t> entries, Findings& f) {
    for (int32_t entry : entries) {
        if (entry >= e.Count()) continue;
        const com::Variant& value = e.values[static_cast<std::size_t>(entry)];
        const double level = value.Type() == com::VarType::Double ? value.Dbl()
                             : value.IsNumber()                     ? vb::CDbl(value)
                                                                    : vb::Val(vb::CStr(value));
        if (!std::isfinite(level))
            f.Add(e, entry, std::string("level ") + (std::isnan(level) ? "NaN" : "infinite") + " is not a finite number");
    }
}

void PipeLevels(const Survey&, const Element& e, Findings& f) { CheckLevels(e, {pe::kStartInvert, pe::kEndInvert}, f); }
void NodeLevels(const Survey&, const Element& e, Findings& f) { CheckLevels(e, {ne::kGroundLevel, ne::kSumpLevel}, f); }

void NodePipes(const Survey& s, const Element& e, Findings& f) {
    for (const PipeEnd* end : {&kStartEnd, &kEndEnd}) {
        std::vector<std::string> labels = ListKeys(e, end->nodeLabels, f);
        std::vector<std::string> ids = ListKeys(e, end->nodeIds, f);
        if (labels.size() != ids.size())
            f.Add(e, end->nodeIds,
                  "holds " + std::to_string(ids.size()) + " pipes, [" + std::to_string(end->nodeLabels) + "] " +
                      std::to_string(labels.size()));
        for (const std::string& id : ids) {
            std::optional<Element> pipe = s.Resolve(id);
            if (!pipe)
                f.Add(e, end->nodeIds, Quoted(id) + " is no live object");
            else if (!fluvanet::element_type::IsPipe(pipe->type))
                f.Add(e, end->nodeIds, id + " is a " + Quoted(pipe->type) + ", not a pipe");
            else if (ReadSingle(pipe->Text(end->idReference)).key != e.id)
                f.Add(e, end->nodeIds,
                      "pipe " + Quoted(pipe->Label()) + " names " + Quoted(pipe->Text(end->idReference)) + " as its " +
                          std::string(end->name) + " node");
        }
    }
}

void NodeReferences(const Survey& s, const Element& e, Findings& f) {
    CheckReferencePair(s, e, ne::kLabelBlockLabel, ne::kLabelBlockId, f);
    CheckReferencePair(s, e, ne::kLowHighLabel, ne::kLowHighId, f);
}

// ---- low/high markers ---------------------------------------------------------------

// A marker: a reference of a marker block at its node, named by the node's [13] and [14].
void LowHighMarker(const Survey& s, const Element& e, Findings& f) {
    CheckCodes(e, {1001, 1000, 1000, 1000, 1000}, false, f);
    auto block = std::dynamic_pointer_cast<acad::AcadBlockReference>(e.object);
    if (!block || (block->Name() != "Fluvamap_LowPoint" && block->Name() != "Fluvamap_HighPoint")) {
        auto entity = std::dynamic_pointer_cast<acad::AcadEntity>(e.object);
        f.Add(e, kWholeRecord, "sits on a " + entity->DxfName() + " " + entity->BlockName() + ", not a marker block");
    }
    if (e.labelPieces.size() != 3 || e.Kind() != "LowHigh")
        f.Add(e, 1, Quoted(e.Text(1)) + " is not \"LowHigh;\" & network & \";\" & label");
    std::string layer = e.Network() + " - Low&High Points";
    auto entity = std::dynamic_pointer_cast<acad::AcadEntity>(e.object);
    if (vb::UCase(entity->Layer()) != vb::UCase(layer))
        f.Add(e, kWholeRecord, "lies on layer " + Quoted(entity->Layer()) + ", not " + Quoted(layer));

    std::string labelKey = SingleKey(e, 3, f);
    std::string idKey = SingleKey(e, 4, f);
    std::optional<Element> node = s.Resolve(idKey);
    if (!node) {
        f.Add(e, 4, "node " + Quoted(idKey) + " is no live object");
        return;
    }
    if (!fluvanet::element_type::IsNode(node->type)) {
        f.Add(e, 4, idKey + " is a " + Quoted(node->type) + ", not a node");
        return;
    }
    if (labelKey != node->Label())
        f.Add(e, 3, "says " + Quoted(labelKey) + ", the node is " + Quoted(node->Label()));
    if (e.Network() != node->Network())
        f.Add(e, 1, "network " + Quoted(e.Network()) + ", its node's is " + Quoted(node->Network()));
    if (e.Label() != node->Label() + "LowHigh")
        f.Add(e, 1, "label " + Quoted(e.Label()) + " is not the node's label & \"LowHigh\"");
    if (ReadSingle(node->Text(ne::kLowHighId)).key != e.id)
        f.Add(e, 4, "node " + Quoted(node->Label()) + " names " + Quoted(node->Text(ne::kLowHighId)) + " in [14]");
    if (ReadSingle(node->Text(ne::kLowHighLabel)).key != e.Label())
        f.Add(e, 4, "node " + Quoted(node->Label()) + " names " + Quoted(node->Text(ne::kLowHighLabel)) + " in [13]");
    auto nodeBlock = std::dynamic_pointer_cast<acad::AcadBlockReference>(node->object);
    if (!block || !nodeBlock) return;
    acad::Point3 at = block->InsertionPoint(), p = nodeBlock->InsertionPoint();
    if (vb::Round(at[0], 5) != vb::Round(p[0], 5) || vb::Round(at[1], 5) != vb::Round(p[1], 5))
        f.Add(e, kWholeRecord, "stands at (" + vb::CStr(at[0]) + ", " + vb::CStr(at[1]) + "), its node at (" +
                                   vb::CStr(p[0]) + ", " + vb::CStr(p[1]) + ")");
}

// ---- view-style points --------------------------------------------------------------

const std::vector<int16_t>& ViewStylePointCodes() {
    static const std::vector<int16_t> codes = [] {
        std::vector<int16_t> c(43, 1000);
        c[0] = 1001;
        return c;
    }();
    return codes;
}

void ViewStylePointRecord(const Survey&, const Element& e, Findings& f) {
    CheckCodes(e, ViewStylePointCodes(), false, f);
    // ";;" & name: no kind, no network, and a name without ";".
    if (e.labelPieces.size() != 3 || !e.Kind().empty() || !e.Network().empty())
        f.Add(e, 1, Quoted(e.Text(1)) + " is not \";;\" and a style name");
}

void ViewStylePointShape(const Survey&, const Element& e, Findings& f) {
    auto point = std::dynamic_pointer_cast<acad::AcadPoint>(e.object);
    if (!point) {
        f.Add(e, kWholeRecord, "sits on a " + std::dynamic_pointer_cast<acad::AcadEntity>(e.object)->DxfName() +
                                   ", not a point");
        return;
    }
    acad::Point3 p = point->Coordinates();
    if (p[0] != 0 || p[1] != 0 || p[2] != 0) f.Add(e, kWholeRecord, "does not stand at (0, 0, 0)");
    if (point->Layer() != "0") f.Add(e, kWholeRecord, "lies on layer " + Quoted(point->Layer()) + ", not \"0\"");
    if (point->Visible()) f.Add(e, kWholeRecord, "is visible");
}

// Listed once in the project's view-style list, or no style reaches it.
void ViewStylePointListed(const Survey& s, const Element& e, Findings& f) {
    std::vector<std::string> items = ReadTrailing(ReadElement(s.doc.ModelSpace()).Text(pr::kViewStyles)).items;
    std::size_t listed = items.size() > 2 ? std::count(items.begin() + 2, items.end(), e.id) : 0;
    if (listed != 1) f.Add(e, kWholeRecord, "is listed " + std::to_string(listed) + " times in the view-style list");
}

// ---- profiles, their plan annotations and profile styles ----------------------------

// 1001, then texts; `integers` the entries of code 1070.
std::vector<int16_t> TextCodes(std::size_t count, std::initializer_list<std::size_t> integers = {}) {
    std::vector<int16_t> codes(count, 1000);
    codes[0] = 1001;
    for (std::size_t k : integers) codes[k] = 1070;
    return codes;
}

// Items 1 to the last of a list whose every item is preceded by ";".
std::vector<std::string> LeadingPieces(const std::string& text) {
    std::vector<std::string> pieces = vb::Split(text, ";");
    if (!pieces.empty()) pieces.erase(pieces.begin());
    return pieces;
}

void CheckBlockReference(const Element& e, Findings& f) {
    if (!std::dynamic_pointer_cast<acad::AcadBlockReference>(e.object))
        f.Add(e, kWholeRecord,
              "sits on a " + std::dynamic_pointer_cast<acad::AcadEntity>(e.object)->DxfName() +
                  ", not a block reference");
}

void CheckCombined(const Element& e, const std::string& kind, Findings& f) {
    if (e.labelPieces.size() != 3 || e.Kind() != kind)
        f.Add(e, 1, Quoted(e.Text(1)) + " is not " + Quoted(kind) + " with a network and a name");
}

// The live element a single reference names, reported when missing or of another type.
std::optional<Element> Referenced(const Survey& s, const Element& e, int32_t entry, std::string_view type,
                                  Findings& f) {
    std::string key = SingleKey(e, entry, f);
    std::optional<Element> other = s.Resolve(key);
    if (!other)
        f.Add(e, entry, Quoted(key) + " names no live object");
    else if (other->type != type)
        f.Add(e, entry, key + " is a " + Quoted(other->type) + ", not a " + Quoted(std::string(type)));
    else
        return other;
    return std::nullopt;
}

void ProfileShape(const Survey&, const Element& e, Findings& f) {
    CheckCodes(e, TextCodes(16, {15}), false, f);
    CheckBlockReference(e, f);
    CheckCombined(e, "Profile", f);
    std::string flag = e.Text(15);
    if (flag != "0" && flag != "1") f.Add(e, 15, "update flag " + Quoted(flag) + " is neither 0 nor 1");
}

// [4], [5], [6] describe the same pipes; each pipe names the profile back at one position of
// its parallel [22] and [23], and no other pipe names it.
void ProfilePipes(const Survey& s, const Element& e, Findings& f) {
    std::vector<std::string> labels = ListKeys(e, 4, f);
    std::vector<std::string> ids = ListKeys(e, 5, f);
    std::vector<std::string> directions = LeadingPieces(e.Text(6));
    if (ids.size() != labels.size() || directions.size() != labels.size())
        f.Add(e, 5,
              std::to_string(labels.size()) + " labels, " + std::to_string(ids.size()) + " identifiers, " +
                  std::to_string(directions.size()) + " directions");
    for (const std::string& d : directions)
        if (d != "0" && d != "1") f.Add(e, 6, "direction " + Quoted(d) + " is neither 0 nor 1");
    for (std::size_t k = 0; k < ids.size(); ++k) {
        std::optional<Element> pipe = s.Resolve(ids[k]);
        if (!pipe || !fluvanet::element_type::IsPipe(pipe->type)) {
            f.Add(e, 5, Quoted(ids[k]) + " names no live pipe");
            continue;
        }
        if (k < labels.size() && labels[k] != pipe->Label())
            f.Add(e, 4, "says " + Quoted(labels[k]) + ", pipe " + ids[k] + " is " + Quoted(pipe->Label()));
        if (pipe->Network() != e.Network())
            f.Add(e, 5, "pipe " + ids[k] + " belongs to network " + Quoted(pipe->Network()));
        std::vector<std::string> names = ReadList(pipe->Text(pe::kProfileLabels)).keys;
        std::vector<std::string> profiles = ReadList(pipe->Text(pe::kProfileIds)).keys;
        bool named = false;
        for (std::size_t p = 0; p < profiles.size(); ++p)
            named = named || (profiles[p] == e.id && p < names.size() && names[p] == e.Label());
        if (!named) f.Add(e, 5, "pipe " + Quoted(pipe->Label()) + " does not name the profile back in [22], [23]");
    }
    for (const Element& other : s.elements) {
        if (!fluvanet::element_type::IsPipe(other.type)) continue;
        for (const std::string& key : ReadList(other.Text(pe::kProfileIds)).keys)
            if (key == e.id && std::find(ids.begin(), ids.end(), other.id) == ids.end())
                f.Add(e, 5, "does not list pipe " + Quoted(other.Label()) + ", which names it");
    }
}

void ProfileStyleAndPlan(const Survey& s, const Element& e, Findings& f) {
    if (std::optional<Element> style = Referenced(s, e, 8, fluvanet::element_type::kProfileStylePoint, f)) {
        if (style->Label() != SingleKey(e, 7, f))
            f.Add(e, 7, "says style " + Quoted(SingleKey(e, 7, f)) + ", its point is " + Quoted(style->Label()));
        std::vector<std::string> listed = ReadList(style->Text(4)).keys;
        if (std::find(listed.begin(), listed.end(), e.id) == listed.end())
            f.Add(e, 8, "style " + Quoted(style->Label()) + " does not list the profile in [4]");
    }
    bool labelSet = !e.Text(9).empty(), idSet = !e.Text(10).empty();
    if (labelSet != idSet) f.Add(e, labelSet ? 10 : 9, "is empty while the other plan reference is set");
    if (!idSet) return;
    if (SingleKey(e, 9, f) != e.Label() + "PlanAnno") f.Add(e, 9, Quoted(e.Text(9)) + " is not the plan's label");
    if (std::optional<Element> plan = Referenced(s, e, 10, fluvanet::element_type::kProfilePlanAnno, f))
        if (ReadSingle(plan->Text(4)).key != e.id) f.Add(e, 10, "plan annotation " + plan->id + " names another profile");
}

void PlanAnnoRecord(const Survey& s, const Element& e, Findings& f) {
    CheckCodes(e, TextCodes(5), false, f);
    CheckBlockReference(e, f);
    CheckCombined(e, "ProfilePlanAnno", f);
    if (SingleKey(e, 3, f) + "PlanAnno" != e.Label()) f.Add(e, 3, Quoted(e.Text(3)) + " does not match the label");
    if (std::optional<Element> profile = Referenced(s, e, 4, fluvanet::element_type::kProfile, f))
        if (ReadSingle(profile->Text(10)).key != e.id) f.Add(e, 4, "profile " + profile->id + " names another plan");
}

void StylePointShape(const Survey& s, const Element& e, Findings& f) {
    CheckCodes(e, TextCodes(21), false, f);
    auto point = std::dynamic_pointer_cast<acad::AcadPoint>(e.object);
    if (!point || point->Visible() || point->Layer() != "0")
        f.Add(e, kWholeRecord, "is not an invisible point on layer \"0\"");
    if (e.labelPieces.size() != 3 || !e.Kind().empty() || !e.Network().empty())
        f.Add(e, 1, Quoted(e.Text(1)) + " is not \";;\" and a name");
    Element project = ReadElement(s.doc.ModelSpace());
    std::vector<std::string> listed = ReadTrailing(project.Text(pr::kProfileStyles)).items;
    if (std::count(listed.begin(), listed.end(), e.id) != 1)
        f.Add(e, kWholeRecord, "is not listed once in project entry 10");
}

// [3], [4], [20] parallel: item k of each the name, block and network of one live profile
// drawn with this style.
void StylePointProfiles(const Survey& s, const Element& e, Findings& f) {
    std::vector<std::string> names = ListKeys(e, 3, f);
    std::vector<std::string> ids = ListKeys(e, 4, f);
    std::vector<std::string> networks = LeadingPieces(e.Text(20));
    if (ids.size() != names.size() || networks.size() != names.size()) {
        f.Add(e, 20,
              std::to_string(names.size()) + " names, " + std::to_string(ids.size()) + " profiles, " +
                  std::to_string(networks.size()) + " networks");
        return;
    }
    for (std::size_t k = 0; k < ids.size(); ++k) {
        std::optional<Element> profile = s.Resolve(ids[k]);
        if (!profile || profile->type != fluvanet::element_type::kProfile) {
            f.Add(e, 4, Quoted(ids[k]) + " names no live profile");
            continue;
        }
        if (profile->Label() != names[k] || profile->Network() != networks[k])
            f.Add(e, 3, "item " + std::to_string(k) + " says " + Quoted(networks[k] + "/" + names[k]) + ", profile " +
                            ids[k] + " is " + Quoted(profile->Network() + "/" + profile->Label()));
        if (ReadSingle(profile->Text(8)).key != e.id) f.Add(e, 4, "profile " + ids[k] + " names another style");
    }
}

// ---- library points ---------------------------------------------------------------

// The parallel pairs of list entries of a library point (names or sizes, then counts).
struct LibraryList {
    int32_t texts, counts;
    bool box;  // sizes "W" "x" "H"
};
const std::vector<LibraryList> kMaterialLists{{3, 4, false}};
const std::vector<LibraryList> kSizeLists{{3, 4, false}, {5, 6, true}, {7, 8, false}, {9, 10, true}};

const std::vector<LibraryList>& ListsOf(const Element& e) {
    return e.type == fluvanet::element_type::kMaterialLibraryPoint ? kMaterialLists : kSizeLists;
}

void LibraryShape(const Survey&, const Element& e, Findings& f) {
    const std::vector<LibraryList>& lists = ListsOf(e);
    std::vector<int16_t> codes(static_cast<std::size_t>(lists.back().counts + 1), 1000);
    codes[0] = 1001;
    CheckCodes(e, codes, false, f);
    if (!std::dynamic_pointer_cast<acad::AcadPoint>(e.object))
        f.Add(e, kWholeRecord, "sits on a " + std::dynamic_pointer_cast<acad::AcadEntity>(e.object)->DxfName() +
                                   ", not a point");
    if (e.labelPieces.size() != 3 || !e.Kind().empty() || !e.Network().empty())
        f.Add(e, 1, Quoted(e.Text(1)) + " is not a combined label without kind and network");
}

void LibraryEntries(const Survey&, const Element& e, Findings& f) {
    for (const LibraryList& list : ListsOf(e)) {
        TrailingList texts = ReadTrailing(e.Text(list.texts));
        TrailingList counts = ReadTrailing(e.Text(list.counts));
        ReportLostItem(e, list.texts, texts, f);
        ReportLostItem(e, list.counts, counts, f);
        if (texts.items.size() != counts.items.size())
            f.Add(e, list.counts,
                  "holds " + std::to_string(counts.items.size()) + " counts, [" + std::to_string(list.texts) + "] " +
                      std::to_string(texts.items.size()) + " items");
        for (const std::string& count : counts.items)
            if (!vb::IsNumeric(com::Variant(count))) f.Add(e, list.counts, Quoted(count) + " is not a number");
        std::set<std::string> seen;
        for (const std::string& text : texts.items) {
            if (!seen.insert(text).second) f.Add(e, list.texts, Quoted(text) + " is listed more than once");
            if (list.box && vb::InStr(text, "x") == 0) f.Add(e, list.texts, Quoted(text) + " holds no \"x\"");
        }
    }
}

// ---- label blocks and direction arrows -----------------------------------------------

// A label block or arrow names its owner in [3] and [4]; the owner names it back in one
// pair of entries (a node has no arrow).
struct Link {
    std::string_view kind;  // after the owner's label in entry 1, and the element type
    int32_t pipeLabel, pipeId;
    int32_t nodeLabel, nodeId;  // -1: nodes have none
    std::string_view layerSuffix;
};
constexpr Link kLabelBlockLink{"Annotation", pe::kLabelBlockLabel, pe::kLabelBlockId, ne::kLabelBlockLabel,
                               ne::kLabelBlockId, " - Annotation"};
constexpr Link kArrowLink{"Arrow", pe::kArrowLabel, pe::kArrowId, -1, -1, " - Arrow"};

void CheckLink(const Survey& s, const Element& e, const Link& link, Findings& f) {
    CheckCodes(e, {1001, 1000, 1000, 1000, 1000}, false, f);
    if (e.labelPieces.size() != 3 || !e.Kind().empty())
        f.Add(e, 1, Quoted(e.Text(1)) + " is not \";\" & network & \";\" & label");
    auto entity = std::dynamic_pointer_cast<acad::AcadEntity>(e.object);
    std::string layer = e.Network() + std::string(link.layerSuffix);
    if (vb::UCase(entity->Layer()) != vb::UCase(layer))
        f.Add(e, kWholeRecord, "lies on layer " + Quoted(entity->Layer()) + ", not " + Quoted(layer));

    std::string labelKey = SingleKey(e, 3, f);
    std::string idKey = SingleKey(e, 4, f);
    std::optional<Element> owner = s.Resolve(idKey);
    if (!owner) {
        f.Add(e, 4, "owner " + Quoted(idKey) + " is no live object");
        return;
    }
    bool pipe = fluvanet::element_type::IsPipe(owner->type);
    bool node = fluvanet::element_type::IsNode(owner->type) && link.nodeId >= 0;
    if (!pipe && !node) {
        f.Add(e, 4, idKey + " is a " + Quoted(owner->type) + ", not its owner");
        return;
    }
    if (labelKey != owner->Label())
        f.Add(e, 3, "says " + Quoted(labelKey) + ", the owner is " + Quoted(owner->Label()));
    if (e.Label() != owner->Label() + std::string(link.kind))
        f.Add(e, 1, "label " + Quoted(e.Label()) + " is not the owner's label & " + Quoted(std::string(link.kind)));
    if (e.Network() != owner->Network())
        f.Add(e, 1, "network " + Quoted(e.Network()) + ", its owner's is " + Quoted(owner->Network()));
    int32_t backLabel = pipe ? link.pipeLabel : link.nodeLabel;
    int32_t backId = pipe ? link.pipeId : link.nodeId;
    if (ReadSingle(owner->Text(backId)).key != e.id)
        f.Add(e, 4, "owner " + Quoted(owner->Label()) + " names " + Quoted(owner->Text(backId)) + " in [" +
                        std::to_string(backId) + "]");
    if (ReadSingle(owner->Text(backLabel)).key != e.Label())
        f.Add(e, 4, "owner " + Quoted(owner->Label()) + " names " + Quoted(owner->Text(backLabel)) + " in [" +
                        std::to_string(backLabel) + "]");

    auto block = std::dynamic_pointer_cast<acad::AcadBlockReference>(e.object);
    std::string expected = link.nodeId >= 0 ? "Fluvamap_" + owner->type + "Attribute" : "Fluvamap_DirectionArrow";
    if (!block || vb::UCase(block->Name()) != vb::UCase(expected))
        f.Add(e, kWholeRecord, "sits on a " + entity->DxfName() + " " + entity->BlockName() + ", not " + expected);
}

void LabelBlockRecord(const Survey& s, const Element& e, Findings& f) { CheckLink(s, e, kLabelBlockLink, f); }
void ArrowRecord(const Survey& s, const Element& e, Findings& f) { CheckLink(s, e, kArrowLink, f); }

// ---- the tables ---------------------------------------------------------------------

// ---- crossing annotations and their leader lines ------------------------------------

const std::vector<int16_t>& CrossingAnnotationCodes() {
    static const std::vector<int16_t> codes = [] {
        std::vector<int16_t> c = TextCodes(17);
        c[7] = c[8] = c[11] = 1040;
        return c;
    }();
    return codes;
}

void CheckCrossingCombined(const Element& e, const std::string& kind, Findings& f) {
    if (e.labelPieces.size() != 3 || e.Kind() != kind || !e.Network().empty())
        f.Add(e, 1, Quoted(e.Text(1)) + " is not " + Quoted(kind + ";;") + " and a label");
}

// The entity on its layer, compared as the layer table does, without regard to case.
void CheckLayer(const Element& e, const std::string& layer, Findings& f) {
    auto entity = std::dynamic_pointer_cast<acad::AcadEntity>(e.object);
    if (vb::UCase(entity->Layer()) != vb::UCase(layer))
        f.Add(e, kWholeRecord, "lies on layer " + Quoted(entity->Layer()) + ", not " + Quoted(layer));
}

// One pipe of the crossing: a live pipe of the network and label the annotation names,
// listing the annotation once in [21] and, at the same position, its label in [20].
void CheckCrossingPipe(const Survey& s, const Element& e, int32_t netEntry, int32_t labelEntry, int32_t idEntry,
                       Findings& f) {
    std::string key = SingleKey(e, idEntry, f);
    std::optional<Element> pipe = s.Resolve(key);
    if (!pipe || !fluvanet::element_type::IsPipe(pipe->type)) {
        f.Add(e, idEntry, Quoted(key) + " names no live pipe");
        return;
    }
    if (pipe->Network() != e.Text(netEntry) || pipe->Label() != SingleKey(e, labelEntry, f))
        f.Add(e, labelEntry,
              "says " + Quoted(e.Text(netEntry) + "/" + SingleKey(e, labelEntry, f)) + ", pipe " + key + " is " +
                  Quoted(pipe->Network() + "/" + pipe->Label()));
    std::vector<std::string> ids = ReadList(pipe->Text(pe::kCrossingIds)).keys;
    std::vector<std::string> labels = ReadList(pipe->Text(pe::kCrossingLabels)).keys;
    std::vector<std::size_t> positions;
    for (std::size_t k = 0; k < ids.size(); ++k)
        if (ids[k] == e.id) positions.push_back(k);
    if (positions.size() != 1)
        f.Add(e, idEntry, "pipe " + Quoted(pipe->Label()) + " lists it " + std::to_string(positions.size()) + " times");
    else if (positions[0] >= labels.size() || labels[positions[0]] != e.Label())
        f.Add(e, idEntry, "pipe " + Quoted(pipe->Label()) + " lists it without its label at the same place");
}

void CrossingAnnotationRecord(const Survey& s, const Element& e, Findings& f) {
    CheckCodes(e, CrossingAnnotationCodes(), false, f);
    auto block = std::dynamic_pointer_cast<acad::AcadBlockReference>(e.object);
    static const std::set<std::string> kBlocks{"Fluvamap_CrossingAnno_S1", "Fluvamap_CrossingAnno_S2",
                                               "Fluvamap_CrossingAnno_S3"};
    if (!block || kBlocks.count(block->Name()) == 0)
        f.Add(e, kWholeRecord, "is not a reference of a crossing annotation block");
    CheckLayer(e, "Crossing Point Annotation Text", f);
    CheckCrossingCombined(e, "CPA", f);
    std::string pair = e.Text(3) + SingleKey(e, 5, f) + e.Text(4) + SingleKey(e, 6, f);
    if (e.Label() != pair + "Annotation") f.Add(e, 1, "label " + Quoted(e.Label()) + " does not name its pipes");
    if (SingleKey(e, 14, f) != pair + "Line") f.Add(e, 14, Quoted(e.Text(14)) + " is not the leader's label");
    if (vb::Split(e.Text(16), ";").size() != 2) f.Add(e, 16, Quoted(e.Text(16)) + " is not x;y");
    CheckCrossingPipe(s, e, 3, 5, 12, f);
    CheckCrossingPipe(s, e, 4, 6, 13, f);
}

void CrossingAnnotationLeader(const Survey& s, const Element& e, Findings& f) {
    std::optional<Element> leader = Referenced(s, e, 15, fluvanet::element_type::kCrossingPointLine, f);
    if (!leader) return;
    if (ReadSingle(leader->Text(4)).key != e.id) f.Add(e, 15, "leader " + leader->id + " names another annotation");
    auto own = std::dynamic_pointer_cast<acad::AcadEntity>(e.object);
    auto line = std::dynamic_pointer_cast<acad::AcadEntity>(leader->object);
    if (own->Visible() != line->Visible()) f.Add(e, 15, "is shown or hidden apart from its leader");
}

void CrossingLineRecord(const Survey& s, const Element& e, Findings& f) {
    CheckCodes(e, TextCodes(5), false, f);
    if (!std::dynamic_pointer_cast<acad::AcadLine>(e.object))
        f.Add(e, kWholeRecord, "sits on a " + std::dynamic_pointer_cast<acad::AcadEntity>(e.object)->DxfName() +
                                   ", not a line");
    CheckLayer(e, "Crossing Point Annotation Lines", f);
    CheckCrossingCombined(e, "CPL", f);
    std::optional<Element> annotation = Referenced(s, e, 4, fluvanet::element_type::kCrossingPointAnnotation, f);
    if (!annotation) return;
    if (ReadSingle(annotation->Text(15)).key != e.id)
        f.Add(e, 4, "annotation " + annotation->id + " names another leader");
    if (SingleKey(e, 3, f) != annotation->Label()) f.Add(e, 3, "says " + Quoted(e.Text(3)) + ", not its annotation");
}

// ---- the tables ---------------------------------------------------------------------

const std::vector<Rule> kProjectRules{ProjectCodes, ProjectNetworks, ProjectVisibility, ProjectSettings,
                                      ProjectIdentifiers};

const std::vector<Rule> kPipeRules{RecordShape, CombinedLabel, UniqueLabel, PipeEnds, PipeReferences, PipeLevels};
const std::vector<Rule> kNodeRules{RecordShape, CombinedLabel, UniqueLabel, NodePipes, NodeReferences, NodeLevels};
const std::vector<Rule> kLowHighRules{LowHighMarker};
const std::vector<Rule> kViewStylePointRules{ViewStylePointRecord, ViewStylePointShape, ViewStylePointListed};
const std::vector<Rule> kProfileRules{ProfileShape, ProfilePipes, ProfileStyleAndPlan};
const std::vector<Rule> kPlanAnnoRules{PlanAnnoRecord};
const std::vector<Rule> kStylePointRules{StylePointShape, StylePointProfiles};
const std::vector<Rule> kLibraryRules{LibraryShape, LibraryEntries};
const std::vector<Rule> kLabelBlockRules{LabelBlockRecord};
const std::vector<Rule> kArrowRules{ArrowRecord};
const std::vector<Rule> kCrossingAnnotationRules{CrossingAnnotationRecord, CrossingAnnotationLeader};
const std::vector<Rule> kCrossingLineRules{CrossingLineRecord};

// One row per element type (entry 2). A new record type adds its row here.
const std::map<std::string, const std::vector<Rule>*, std::less<>> kRulesByType{
    {std::string(fluvanet::element_type::kGravityPipe), &kPipeRules},
    {std::string(fluvanet::element_type::kPressurePipe), &kPipeRules},
    {std::string(fluvanet::element_type::kGravityNode), &kNodeRules},
    {std::string(fluvanet::element_type::kPressureNode), &kNodeRules},
    {std::string(fluvanet::element_type::kLowHighPoint), &kLowHighRules},
    {std::string(fluvanet::element_type::kViewStylePoint), &kViewStylePointRules},
    {std::string(fluvanet::element_type::kProfile), &kProfileRules},
    {std::string(fluvanet::element_type::kProfilePlanAnno), &kPlanAnnoRules},
    {std::string(fluvanet::element_type::kProfileStylePoint), &kStylePointRules},
    {std::string(fluvanet::element_type::kMaterialLibraryPoint), &kLibraryRules},
    {std::string(fluvanet::element_type::kSectionSizeLibraryPoint), &kLibraryRules},
    {std::string(fluvanet::element_type::kAnnotation), &kLabelBlockRules},
    {std::string(fluvanet::element_type::kArrow), &kArrowRules},
    {std::string(fluvanet::element_type::kCrossingPointAnnotation), &kCrossingAnnotationRules},
    {std::string(fluvanet::element_type::kCrossingPointLine), &kCrossingLineRules},
};

void WalkSpace(const acad::AcadBlock& space, std::vector<Element>& elements) {
    const int32_t count = space.Count();
    for (int32_t i = 0; i < count; ++i) {
        Element e = ReadElement(space.Item(i));
        if (e.HasRecord()) elements.push_back(std::move(e));
    }
}

}  // namespace

std::vector<std::string> NetworkFindings(acad::AcadDocument& doc) {
    Survey s{doc, {}, {}, {}, {}};
    Findings f;

    Element project = ReadElement(doc.ModelSpace());
    project.type = "Project";
    project.labelPieces.clear();
    if (!project.HasRecord()) {
        f.Add(project, kWholeRecord, "is missing");
    } else {
        s.networkNames = ReadTrailing(project.Text(pr::kNetworkNames)).items;
        s.networkTypes = ReadTrailing(project.Text(pr::kNetworkTypes)).items;
    }

    WalkSpace(*doc.ModelSpace(), s.elements);
    WalkSpace(*doc.PaperSpace(), s.elements);
    for (const Element& e : s.elements) ++s.labelUses[{e.Network(), e.type, e.Label()}];

    if (project.HasRecord())
        for (Rule rule : kProjectRules) rule(s, project, f);
    for (const Element& e : s.elements) {
        auto row = kRulesByType.find(e.type);
        if (row == kRulesByType.end()) continue;
        for (Rule rule : *row->second) rule(s, e, f);
    }
    return f.Take();
}

}  // namespace testing_support
