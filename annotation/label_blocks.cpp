#include "annotation/label_blocks.h"

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "annotation/format_table.h"
#include "annotation/label_layout.h"
#include "annotation/label_names.h"
#include "annotation/view_style.h"
#include "core/layer_state.h"
#include "platform/vb_convert.h"

namespace fluvanet {

using acad::Point3;
using com::ErrorCode;
using com::SafeArray;
using com::Variant;

namespace {

constexpr Point3 kOrigin{0, 0, 0};
constexpr int32_t kNormalMode = 0;
constexpr const char* kLayerZero = "0";

enum class Layout { GravityPipe, PressurePipe, Node };

struct LabelBlock {
    std::string_view name;
    Layout layout;
};

// In the order of the line counts.
constexpr LabelBlock kLabelBlocks[] = {
    {labels::kGravityPipeBlock, Layout::GravityPipe},
    {labels::kPressurePipeBlock, Layout::PressurePipe},
    {labels::kGravityNodeBlock, Layout::Node},
    {labels::kPressureNodeBlock, Layout::Node},
};
constexpr int32_t kLabelBlockCount = 4;
constexpr int32_t kArrowIndex = kLabelBlockCount;

std::string_view BlockName(int32_t index) {
    return index == kArrowIndex ? labels::kArrowBlock : kLabelBlocks[index].name;
}

// The y of line k of n, s apart. A pipe's lines leave the line through the base point
// empty for the pipe itself; a node's all stand above it.
double LineY(Layout layout, int16_t n, int16_t k, double s) {
    if (layout == Layout::Node) return (n - k + 1) * s;
    // An odd count puts the extra line above a pressure pipe, below a gravity pipe.
    int16_t above = vb::CInt(layout == Layout::PressurePipe ? n / 2.0 + 0.1 : n / 2.0);
    return k <= above ? (above - k + 1) * s : (above - k) * s;
}

void AddLabelLines(acad::AcadBlock& block, Layout layout, int16_t n, double h) {
    for (int16_t k = 1; k <= n; ++k) {
        std::string tag = labels::AttributeTag(k);
        // The definition takes the active text style; its layer is set after adding.
        auto attribute = block.AddAttribute(h, kNormalMode, tag, {0, LineY(layout, n, k, labels::kLineSpacing * h), 0}, tag, "");
        attribute->SetLayer(kLayerZero);
    }
}

// A filled triangle h wide, pointing along +x, its middle on the base point.
void DrawArrow(acad::AcadBlock& block, double h) {
    auto outline = block.AddLightWeightPolyline({-0.75 * h, -0.5 * h, -0.75 * h, 0.5 * h, 0.75 * h, 0});
    outline->SetClosed(true);
    auto fill = block.AddHatch(1, "SOLID", true);
    fill->AppendOuterLoop({outline});
    outline->SetLayer(kLayerZero);
    fill->SetLayer(kLayerZero);
}

// The definition of that name as the drawing finds it, without regard to case; nullptr
// when there is none.
std::shared_ptr<acad::AcadBlock> BlockIfAny(acad::AcadDocument& doc, std::string_view name) {
    try {
        return doc.Blocks()->Item(Variant(name));
    } catch (const com::Error& e) {
        if (e.Code() == ErrorCode::KeyNotFound) return nullptr;
        throw;
    }
}

// A reference gets one attribute for each attribute definition of its block.
bool HoldsLines(const acad::AcadBlock& block, int16_t lines) {
    int32_t attributes = 0;
    for (int32_t i = 0; i < block.Count() && attributes < lines; ++i)
        if (std::dynamic_pointer_cast<acad::AcadAttribute>(block.Item(i))) ++attributes;
    return attributes >= lines;
}

}  // namespace

void ViewStyle::DefineAttributeBlocks(acad::AcadDocument& AcadActiveDocument, const Variant& ArAnnoFormat) {
    std::vector<int16_t> counts = GetNumberOfAnnotationStrings(ArAnnoFormat);
    AnnoFormatTable table(ArAnnoFormat);
    // Looked up before anything changes: a missing style leaves the drawing as it was.
    auto style = AcadActiveDocument.TextStyles()->Item(Variant(table.Cell(format_row::kTextStyle, 0)));
    ActiveTextStyleGuard previousStyle(AcadActiveDocument);
    AcadActiveDocument.SetActiveTextStyle(style);
    InitializeAttributeBlocks(AcadActiveDocument, Variant(SafeArray::FromInt16s(counts)), ArAnnoFormat);
    previousStyle.Restore();
}

void ViewStyle::InitializeAttributeBlocks(acad::AcadDocument& AcadActiveDocument,
                                          const Variant& ArCountAttributeStrings, const Variant& ArAnnoFormat) {
    // Everything is checked before the first block is emptied.
    const SafeArray& countArray = ArCountAttributeStrings.Array();
    std::vector<int16_t> counts;
    for (int32_t i = 0; i < kLabelBlockCount; ++i) {
        counts.push_back(vb::CInt(countArray.Get(i)));
        if (counts.back() < 0) com::Raise(ErrorCode::InvalidProcedureCall, "a negative count of label lines");
    }
    double h = vb::Val(AnnoFormatTable(ArAnnoFormat).Cell(format_row::kTextHeight, 0));
    if (!(h > 0)) com::Raise(ErrorCode::InvalidProcedureCall, "the text height must be above 0");

    // The platform's names ignore case, and Add would hand back a case variant: such a
    // block is one of ours, emptied and reused like the others.
    std::shared_ptr<acad::AcadBlock> blocks[kArrowIndex + 1];
    auto table = AcadActiveDocument.Blocks();
    const int32_t blockCount = table->Count();
    for (int32_t i = 0; i < blockCount; ++i) {
        auto block = table->Item(Variant(i));
        for (int32_t b = 0; b <= kArrowIndex; ++b)
            if (!blocks[b] && acad::SameSymbolName(block->Name(), BlockName(b))) blocks[b] = block;
    }

    // Entities of a locked layer can be neither erased nor moved to "0": checked first, so
    // that a locked layer fails the call before any block is emptied.
    RequireUnlockedLayer(AcadActiveDocument, AcadActiveDocument.ActiveLayer()->Name());
    for (const auto& block : blocks) {
        if (!block) continue;
        const int32_t entities = block->Count();
        for (int32_t i = 0; i < entities; ++i) RequireUnlockedLayer(AcadActiveDocument, block->Item(i)->Layer());
    }

    // Emptied, not replaced: the ids stay, and existing references keep their attributes.
    for (const auto& block : blocks)
        if (block)
            while (block->Count() > 0) block->Item(0)->Delete();
    for (int32_t b = 0; b <= kArrowIndex; ++b)
        if (!blocks[b]) blocks[b] = table->Add(kOrigin, std::string(BlockName(b)));

    for (int32_t b = 0; b < kLabelBlockCount; ++b)
        AddLabelLines(*blocks[b], kLabelBlocks[b].layout, counts[static_cast<std::size_t>(b)], h);
    // Whatever the arrow flags say: whether a pipe shows an arrow is decided on insertion.
    DrawArrow(*blocks[kArrowIndex], h);
}

namespace labels {

void DefineBlocksUnlessReady(ViewStyle& viewStyle, acad::AcadDocument& doc, const Variant& arAnnoFormat,
                             const std::set<std::string>& elementTypes) {
    const std::vector<int16_t> counts = viewStyle.GetNumberOfAnnotationStrings(arAnnoFormat);
    const AnnoFormatTable table(arAnnoFormat);
    bool ready = true;
    for (const std::string& type : elementTypes) {
        for (int32_t b = 0; b < kLabelBlockCount; ++b) {
            const int16_t lines = counts[static_cast<std::size_t>(b)];
            if (kLabelBlocks[b].name != LabelBlockOf(type) || lines <= 0) continue;
            auto block = BlockIfAny(doc, kLabelBlocks[b].name);
            ready = ready && block && HoldsLines(*block, lines);
        }
        if (ArrowShown(table, type)) ready = ready && BlockIfAny(doc, kArrowBlock);
    }
    if (!ready) viewStyle.DefineAttributeBlocks(doc, arAnnoFormat);
}

}  // namespace labels

}  // namespace fluvanet
