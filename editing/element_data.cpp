#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "annotation/label_names.h"
#include "annotation/view_style.h"
#include "core/element_records.h"
#include "core/finite_reals.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "crossing/low_high_records.h"
#include "editing/editing.h"
#include "editing/invert_matching.h"
#include "editing/pipe_follow_ups.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

// The host's dialogs give texts that go into combined labels and ";"-separated lists.
void RequireListText(std::string_view what, const std::string& text, bool required) {
    if (required && text.empty()) Raise(ErrorCode::InvalidProcedureCall, std::string(what) + " is empty");
    if (vb::InStr(text, ";") > 0)
        Raise(ErrorCode::InvalidProcedureCall, std::string(what) + " \"" + text + "\" holds \";\"");
}

// The code a matching word of the node dialog sets; none for any other word.
std::optional<int16_t> MatchingCodeOf(const std::string& word) {
    if (word == "No Matching") return kNoMatching;
    if (word == "Match Centerlines") return kMatchCenterlines;
    if (word == "Match Soffits") return kMatchSoffits;
    if (word == "Match Inverts") return kMatchInverts;
    return std::nullopt;
}

// ---- sections -----------------------------------------------------------------------

constexpr std::string_view kCircularWord = "Circular";
constexpr std::string_view kBoxWord = "Box";
// The host's size texts: "Circular - 300", "Box - 1200 x 800".
constexpr int32_t kCircularPrefix = 11;
constexpr int32_t kBoxPrefix = 6;

struct Section {
    std::string_view shape;  // pipe entry 3
    std::string_view word;   // the libraries' shape word
    double span, rise;
    std::string size;  // as the size library stores it
};

Section SectionOf(const std::string& text) {
    if (vb::Left(text, 3) != kBoxWord) {
        if (vb::Len(text) < kCircularPrefix)
            Raise(ErrorCode::InvalidProcedureCall, "size text \"" + text + "\" is shorter than its prefix");
        double diameter = FiniteNumberOfText("the size", vb::Mid(text, kCircularPrefix + 1));
        return {kCircularShape, kCircularWord, diameter, diameter, vb::CStr(diameter)};
    }
    std::vector<std::string> sides =
        vb::Len(text) < kBoxPrefix ? std::vector<std::string>{} : vb::Split(vb::Mid(text, kBoxPrefix + 1), "x");
    if (sides.size() < 2)
        Raise(ErrorCode::InvalidProcedureCall, "box size text \"" + text + "\" holds no width \"x\" height");
    double width = FiniteNumberOfText("the width", sides[0]), height = FiniteNumberOfText("the height", sides[1]);
    return {kBoxShape, kBoxWord, width, height, vb::CStr(width) + "x" + vb::CStr(height)};
}

// ---- a new label --------------------------------------------------------------------

// Label blocks, arrows and low/high markers alike: the combined label in entry 1, the
// owner's label reference in entry 3.
constexpr int32_t kOwnedCombinedLabel = 1;
constexpr int32_t kOwnerLabel = 3;

// An object an element owns, and the element's references to it.
struct Link {
    int32_t labelEntry, idEntry;
    std::string_view type;
    std::string (*key)(std::string_view ownerLabel);
};

constexpr Link kPipeLinks[] = {
    {pipe_entry::kLabelBlockLabel, pipe_entry::kLabelBlockId, element_type::kAnnotation, labels::LabelKey},
    {pipe_entry::kArrowLabel, pipe_entry::kArrowId, element_type::kArrow, labels::ArrowKey}};
constexpr Link kNodeLinks[] = {
    {node_entry::kLabelBlockLabel, node_entry::kLabelBlockId, element_type::kAnnotation, labels::LabelKey},
    {node_entry::kLowHighLabel, node_entry::kLowHighId, element_type::kLowHighPoint, LowHighMarkerLabel}};

// What names an element by its label follows a new one: the element's own references to
// what it owns, those objects' records, and the profiles that list a pipe. Read and checked
// before anything is written; an owned object already gone is passed over.
class Relabel {
public:
    Relabel(acad::AcadDocument& doc, ElementRecord& element, const std::string& network, const std::string& label) {
        const bool pipe = element_type::IsPipe(element.ElementType());
        for (const Link& link : pipe ? std::span<const Link>(kPipeLinks) : std::span<const Link>(kNodeLinks)) {
            if (!element.Text(link.labelEntry).empty())
                element.Set(link.labelEntry, refs::Reference(link.key(label)));
            auto object = ObjectFromIdIfAlive(doc, refs::ReferenceKey(element.Text(link.idEntry)));
            if (!object) continue;
            ElementRecord owned = ElementRecord::Read(object);
            RequireElementType(owned, {link.type}, link.type);
            // The kind word stays; network and key are the owner's.
            std::vector<std::string> pieces = vb::Split(owned.Text(kOwnedCombinedLabel), ";");
            owned.Set(kOwnedCombinedLabel, (pieces.empty() ? "" : pieces[0]) + ";" + network + ";" + link.key(label));
            owned.Set(kOwnerLabel, refs::Reference(label));
            records_.push_back(std::move(owned));
        }
        if (!pipe) return;
        const std::string id = IdText(*element.Object());
        for (const std::string& profileId : refs::LeadingKeys(element.Text(pipe_entry::kProfileIds))) {
            ElementRecord profile = OpenProfileBlock(doc, profileId).record;
            std::vector<std::string> labels = refs::LeadingItems(profile.Text(profile_entry::kPipeLabels));
            std::vector<std::string> ids = refs::LeadingKeys(profile.Text(profile_entry::kPipeIds));
            for (std::size_t k = 0; k < ids.size() && k < labels.size(); ++k)
                if (ids[k] == id) labels[k] = refs::ReferenceItem(label);
            profile.Set(profile_entry::kPipeLabels, refs::LeadingList(labels));
            records_.push_back(std::move(profile));
        }
    }
    void Write() {
        for (ElementRecord& record : records_) record.Write();
    }

private:
    std::vector<ElementRecord> records_;
};

}  // namespace

void Editing::UpdateNodeData(acad::AcadDocument& AcadActiveDocument, const std::string& NodeOID,
                             const std::string& Label, const double& GroundLevel, const double& SumpLevel,
                             const std::string& PipesMatching, acad::AcadSelectionSet& SetNodesForLowHigh) {
    RequireListText("node label", Label, true);
    RequireFinite("the ground level", GroundLevel);
    RequireFinite("the sump level", SumpLevel);
    ElementRecord node = OpenNodeRecord(AcadActiveDocument, NodeOID);
    auto entity = acad::Cast<acad::AcadEntity>(node.Object());
    WrittenByFollowUps written(AcadActiveDocument);
    written.AddNode(node);
    for (const ElementRecord& pipe : PipesAtNode(AcadActiveDocument, node)) written.AddPipe(pipe);
    const Variant& combined = node.Get(node_entry::kCombinedLabel);
    const std::string network = general_->EntityNetworkFromCombined(combined);
    std::optional<Relabel> relabel;
    if (general_->EntityLabelFromCombined(combined) != Label)
        relabel.emplace(AcadActiveDocument, node, network, Label);

    node.Set(node_entry::kCombinedLabel, NodeCombinedLabel(network, Label));
    node.Set(node_entry::kGroundLevel, GroundLevel);
    node.Set(node_entry::kSumpLevel, SumpLevel);
    if (std::optional<int16_t> code = MatchingCodeOf(PipesMatching)) {
        node.Set(node_entry::kMatchingCode, Variant(*code));
        if (*code == kNoMatching) {
            std::optional<double> lowest = LowestConnectedInvert(*this, AcadActiveDocument, node);
            if (lowest && SumpLevel > *lowest) node.Set(node_entry::kSumpLevel, *lowest);
        }
    }
    written.RequireProfilesFlaggable();
    try {
        node.Write();
        if (relabel) relabel->Write();
        MatchPipesAtNode(AcadActiveDocument, *entity, Label, node.Text(node_entry::kStartPipeIds),
                         node.Text(node_entry::kEndPipeIds), SumpLevel,
                         vb::CInt(node.Number(node_entry::kMatchingCode)), nullptr);
        viewStyle_->UpdateAnnotationsAfterEditing(AcadActiveDocument, refs::TrailingAppend("", NodeOID), false);
    } catch (...) {
        UndoThroughLocksAndRethrow(*general_, AcadActiveDocument, written.Undo());
    }
    if (node.ElementType() == element_type::kPressureNode) SetNodesForLowHigh.AddItems({entity});
}

void Editing::UpdatePipeData(acad::AcadDocument& AcadActiveDocument, const std::string& PipeOID,
                             const std::string& Label, const double& StartInvert, const double& EndInvert,
                             const std::string& Material, const std::string& SectionSizeShape,
                             const int16_t& NumberOfCells, SafeArray& ArCircularSizes, SafeArray& ArBoxSizes,
                             SafeArray& ArMaterials, acad::AcadSelectionSet& SetNodesForLowHigh) {
    RequireListText("pipe label", Label, true);
    RequireListText("material", Material, false);
    RequireFinite("the start invert", StartInvert);
    RequireFinite("the end invert", EndInvert);
    ElementRecord pipe = OpenPipeRecord(AcadActiveDocument, PipeOID);
    const std::string pipeId = IdText(*pipe.Object());
    const Section section = SectionOf(SectionSizeShape);
    // Both end nodes and every pipe at them are what they should be before anything is written.
    const std::string nodeIds[] = {refs::ReferenceKey(pipe.Text(pipe_entry::kStartNodeId)),
                                   refs::ReferenceKey(pipe.Text(pipe_entry::kEndNodeId))};
    std::vector<std::shared_ptr<acad::AcadEntity>> nodes;
    WrittenByFollowUps written(AcadActiveDocument);
    written.AddPipe(pipe);
    written.AddLibraries();
    for (const std::string& id : nodeIds) {
        ElementRecord node = OpenNodeRecord(AcadActiveDocument, id);
        written.AddNode(node);
        for (const ElementRecord& atNode : PipesAtNode(AcadActiveDocument, node)) written.AddPipe(atNode);
        nodes.push_back(acad::Cast<acad::AcadEntity>(node.Object()));
    }
    const Variant& combined = pipe.Get(pipe_entry::kCombinedLabel);
    const std::string network = general_->EntityNetworkFromCombined(combined);
    std::optional<Relabel> relabel;
    if (general_->EntityLabelFromCombined(combined) != Label)
        relabel.emplace(AcadActiveDocument, pipe, network, Label);

    const std::string oldWord = SectionShapeWord(pipe.Text(pipe_entry::kSectionShape));
    std::string oldSize = vb::CStr(pipe.Number(pipe_entry::kSpan));
    if (oldWord != kCircularWord) oldSize += "x" + vb::CStr(pipe.Number(pipe_entry::kRise));
    pipe.Set(pipe_entry::kCombinedLabel, PipeCombinedLabel(network, Label));
    pipe.Set(pipe_entry::kSectionShape, Variant(section.shape));
    pipe.Set(pipe_entry::kSpan, section.span);
    pipe.Set(pipe_entry::kRise, section.rise);
    const double rise = RiseInLevelUnits(general_->GetModelUnits(AcadActiveDocument), section.shape, section.rise);
    const std::string oldMaterial = pipe.Text(pipe_entry::kMaterial);
    pipe.Set(pipe_entry::kCells, Variant(NumberOfCells));
    pipe.Set(pipe_entry::kStartInvert, StartInvert);
    pipe.Set(pipe_entry::kEndInvert, EndInvert);
    pipe.Set(pipe_entry::kMaterial, Material);

    // The caller's tables go back with the drawing.
    const SafeArray circularBefore = ArCircularSizes, boxBefore = ArBoxSizes, materialsBefore = ArMaterials;
    written.RequireProfilesFlaggable();
    try {
        // Applied whatever changed: an unchanged size takes -1 and +1.
        library_->UpdateSizeUsage(AcadActiveDocument, ArCircularSizes, ArBoxSizes,
                                  LibraryChangeTable({{oldSize, oldWord, "-1"},
                                                      {section.size, std::string(section.word), "1"}}));
        library_->UpdateMaterialUsage(AcadActiveDocument, ArMaterials,
                                      LibraryChangeTable({{oldMaterial, "-1"}, {Material, "1"}}));
        pipe.Write();
        if (relabel) relabel->Write();
        MatchNodeToPipeEnd(AcadActiveDocument, nodeIds[0], Label, pipeId, StartInvert, rise);
        MatchNodeToPipeEnd(AcadActiveDocument, nodeIds[1], Label, pipeId, EndInvert, rise);
        PassOnPipeChange(*viewStyle_, *crossing_, *profile_, AcadActiveDocument, pipeId);
    } catch (...) {
        std::vector<std::function<void()>> undo = written.Undo();
        undo.push_back([&] {
            ArCircularSizes = circularBefore;
            ArBoxSizes = boxBefore;
            ArMaterials = materialsBefore;
        });
        UndoThroughLocksAndRethrow(*general_, AcadActiveDocument, undo);
    }
    if (pipe.ElementType() == element_type::kPressurePipe) SetNodesForLowHigh.AddItems(nodes);
}

}  // namespace fluvanet
