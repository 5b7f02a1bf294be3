#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/block_names.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using acad::Point3;
using com::Variant;

namespace {

constexpr const char* kNodeBlock = "Fluvamap_Node";
constexpr const char* kCrossingLinesLayer = "Crossing Point Annotation Lines";
constexpr const char* kCrossingTextLayer = "Crossing Point Annotation Text";
constexpr Point3 kOrigin{0, 0, 0};

struct CrossingTable {
    const char* name;
    const char* firstPrompt;  // the one of S1 is stored so in existing drawings
    double divider;           // in block units
    double width;
};

constexpr CrossingTable kCrossingTables[] = {
    {"Fluvamap_CrossingAnno_S1", "stPipeSize", 18.5, 37.5},
    {"Fluvamap_CrossingAnno_S2", "1st Pipe Size", 29.5, 48.5},
    {"Fluvamap_CrossingAnno_S3", "1st Pipe Size", 39.5, 58.5},
};

struct Marker {
    const char* name;
    int32_t colorIndex;
};

constexpr Marker kMarkers[] = {{"Fluvamap_LowPoint", 1}, {"Fluvamap_HighPoint", 3}};

// The blocks one call adds. A failure deletes them all before the error goes on, so that
// no half-drawn standard block stays behind to be taken for a whole one.
class AddedBlocks {
public:
    AddedBlocks(const AddedBlocks&) = delete;
    AddedBlocks& operator=(const AddedBlocks&) = delete;
    explicit AddedBlocks(acad::AcadDocument& doc) : blocks_(doc.Blocks()) {}
    // The new, empty block; nullptr when the platform hands back one whose name differs
    // only in case, which counts as present and is never drawn into.
    std::shared_ptr<acad::AcadBlock> Add(const std::string& name) {
        int32_t before = blocks_->Count();
        auto block = blocks_->Add(kOrigin, name);
        if (blocks_->Count() == before) return nullptr;
        added_.push_back(block);
        return block;
    }
    // The deletions, last added first.
    std::vector<std::function<void()>> Undo() const {
        std::vector<std::function<void()>> steps;
        for (auto it = added_.rbegin(); it != added_.rend(); ++it)
            steps.emplace_back([block = *it] { block->Delete(); });
        return steps;
    }

private:
    std::shared_ptr<acad::AcadBlocks> blocks_;
    std::vector<std::shared_ptr<acad::AcadBlock>> added_;
};

void DrawNode(acad::AcadBlock& block, double d) {
    auto circle = block.AddCircle(kOrigin, 0.5 * d);
    circle->SetLayer("0");
    auto hatch = block.AddHatch(1, "SOLID", true);
    hatch->AppendOuterLoop({circle});
    hatch->SetLayer("0");
}

void DrawMarker(acad::AcadBlock& block, const std::shared_ptr<acad::AcadAcCmColor>& color, double d) {
    for (int r = 1; r <= 4; ++r) {
        auto circle = block.AddCircle(kOrigin, r * d);
        circle->SetTrueColor(color);
        circle->SetLayer("0");
    }
}

// The entities take the active layer as they are added: lines on the lines layer, the
// attribute definitions on the text layer, in the order the annotation fills them.
void DrawCrossingTable(acad::AcadDocument& doc, acad::AcadBlock& block, const CrossingTable& table,
                       const std::shared_ptr<acad::AcadLayer>& lines, const std::shared_ptr<acad::AcadLayer>& text,
                       double d) {
    const double w = table.width * d, c = table.divider * d;
    const double top = 12 * d, upper = 8 * d, lower = 4 * d;
    doc.SetActiveLayer(lines);
    block.AddLine({0, 0, 0}, {0, top, 0});
    block.AddLine({0, top, 0}, {w, top, 0});
    block.AddLine({w, top, 0}, {w, 0, 0});
    block.AddLine({w, 0, 0}, {0, 0, 0});
    block.AddLine({0, upper, 0}, {w, upper, 0});
    block.AddLine({0, lower, 0}, {w, lower, 0});
    block.AddLine({c, top, 0}, {c, lower, 0});

    doc.SetActiveLayer(text);
    const double height = 2 * d, margin = 1.25 * d;
    block.AddAttribute(height, 0, table.firstPrompt, {margin, 9 * d, 0}, "", "");
    block.AddAttribute(height, 0, "1st Pipe Invert", {c + margin, 9 * d, 0}, "", "");
    block.AddAttribute(height, 0, "2nd Pipe Size", {margin, 5 * d, 0}, "", "");
    block.AddAttribute(height, 0, "2nd Pipe Invert", {c + margin, 5 * d, 0}, "", "");
    block.AddAttribute(height, 0, "Clearance", {w / 2 - 10 * d, d, 0}, "", "");
}

}  // namespace

void General::CreateStandardBlock(acad::AcadDocument& AcadActiveDocument, const std::string& ElementType) {
    // The crossing layers' states come back after the active layer, so that a frozen text
    // layer that was made active in between can be frozen again; guards unwind in reverse.
    std::optional<OpenedLayersGuard> opened;
    ActiveLayerGuard active(AcadActiveDocument);
    const double d = GetModelUnits(AcadActiveDocument) == "Metric" ? 1 : 3;
    AddedBlocks added(AcadActiveDocument);

    try {
        if (ElementType == "Node") {
            if (!CheckBlockExists(AcadActiveDocument, kNodeBlock))
                if (auto block = added.Add(kNodeBlock)) DrawNode(*block, d);
        } else if (ElementType == "CrossingPoint") {
            auto lines = CreateStandardLayer(AcadActiveDocument, "", "CrossingPointLine");
            auto text = CreateStandardLayer(AcadActiveDocument, "", "CrossingPointText");
            opened.emplace(*this, AcadActiveDocument,
                           std::string(";") + kCrossingLinesLayer + ";" + kCrossingTextLayer);
            for (const CrossingTable& table : kCrossingTables) {
                if (CheckBlockExists(AcadActiveDocument, table.name)) continue;
                if (auto block = added.Add(table.name))
                    DrawCrossingTable(AcadActiveDocument, *block, table, lines, text, d);
            }
        } else if (ElementType == "LowHighPoint") {
            for (const Marker& marker : kMarkers) {
                if (CheckBlockExists(AcadActiveDocument, marker.name)) continue;
                auto color = std::make_shared<acad::AcadAcCmColor>(marker.colorIndex);
                if (auto block = added.Add(marker.name)) DrawMarker(*block, color, d);
            }
        }
    } catch (...) {
        UndoAndRethrow(added.Undo());
    }
    active.Restore();
    if (opened) opened->Restore();
}

bool General::CheckBlockExists(acad::AcadDocument& AcadActiveDocument, const std::string& BlockName) {
    auto blocks = AcadActiveDocument.Blocks();
    const int32_t count = blocks->Count();
    for (int32_t i = 0; i < count; ++i)
        if (blocks->Item(Variant(i))->Name() == BlockName) return true;
    return false;
}

std::shared_ptr<acad::AcadBlock> FindBlockDefinition(acad::AcadDocument& doc, const std::string& name) {
    auto blocks = doc.Blocks();
    const int32_t count = blocks->Count();
    std::string wanted = vb::UCase(name);
    for (int32_t i = 0; i < count; ++i) {
        auto block = blocks->Item(Variant(i));
        if (vb::UCase(block->Name()) != wanted) continue;
        if (block->IsLayout()) com::Raise(com::ErrorCode::InvalidProcedureCall, block->Name() + " is a layout");
        if (block->Name() != name)
            com::Raise(com::ErrorCode::DuplicateName, "the block " + block->Name() + " differs only in case");
        return block;
    }
    return nullptr;
}

std::shared_ptr<acad::AcadBlock> General::InitializeBlockDefinition(acad::AcadDocument& AcadActiveDocument,
                                                                    const std::string& BlockName) {
    auto block = FindBlockDefinition(AcadActiveDocument, BlockName);
    if (!block) return AcadActiveDocument.Blocks()->Add(kOrigin, BlockName);
    while (block->Count() > 0) block->Item(0)->Delete();
    return block;
}

}  // namespace fluvanet
