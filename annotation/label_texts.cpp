#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "annotation/format_table.h"
#include "annotation/label_context.h"
#include "annotation/view_style.h"
#include "core/element_records.h"
#include "core/general.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/acad_entities.h"
#include "platform/vb_convert.h"

namespace fluvanet {

using com::CallType;
using com::Variant;

namespace {

// The items of a pipe label, as offsets from its label row.
namespace pipe_item {
constexpr int32_t kLabel = 0;
constexpr int32_t kLength = 1;
constexpr int32_t kSize = 2;
constexpr int32_t kSlope = 3;
constexpr int32_t kMaterial = 4;
constexpr int32_t kStartInvert = 5;
constexpr int32_t kEndInvert = 6;
constexpr int32_t kStartGround = 7;
constexpr int32_t kEndGround = 8;
constexpr int32_t kStartCover = 9;
constexpr int32_t kEndCover = 10;
constexpr int32_t kStartDepth = 11;
constexpr int32_t kEndDepth = 12;
constexpr int32_t kCount = 13;
}  // namespace pipe_item

// The items of a node label; the coordinates have a row of their own.
namespace node_item {
constexpr int32_t kLabel = 0;
constexpr int32_t kGround = 1;
constexpr int32_t kSump = 2;
constexpr int32_t kDepth = 3;
constexpr int32_t kCount = 4;
}  // namespace node_item

// Columns of a label row.
constexpr int32_t kPrefix = 1;
constexpr int32_t kSuffix = 2;
constexpr int32_t kPrecision = 3;
constexpr int32_t kPattern = 4;
constexpr int32_t kSlopeDecimals = 4;
constexpr int32_t kSlopeFormat = 5;
// Columns of a coordinate row.
constexpr int32_t kCoordinatePrecision = 1;
constexpr int32_t kCoordinatePattern = 2;

constexpr int32_t kNoRow = -1;

// The four label block kinds, in the order of the line counts.
struct LabelKind {
    std::string_view elementType;
    int32_t labelRow;
    int32_t items;
    int32_t coordinateRow;
};
constexpr LabelKind kKinds[] = {
    {element_type::kGravityPipe, format_row::kGravityPipeLabel, pipe_item::kCount, kNoRow},
    {element_type::kPressurePipe, format_row::kPressurePipeLabel, pipe_item::kCount, kNoRow},
    {element_type::kGravityNode, format_row::kGravityNodeLabel, node_item::kCount, format_row::kGravityNodeCoordinates},
    {element_type::kPressureNode, format_row::kPressureNodeLabel, node_item::kCount,
     format_row::kPressureNodeCoordinates},
};

std::string TextLine(const AnnoFormatTable& t, int32_t row, const std::string& text) {
    return t.Cell(row, kPrefix) + text + t.Cell(row, kSuffix);
}

std::string Number(double value, const std::string& precision, const std::string& pattern) {
    return vb::Format(vb::Round(value, vb::CInt(vb::Val(precision))), pattern);
}

std::string ValueLine(const AnnoFormatTable& t, int32_t row, double value) {
    return TextLine(t, row, Number(value, t.Cell(row, kPrecision), t.Cell(row, kPattern)));
}

Variant Property(acad::AcadEntity& entity, std::string_view name) {
    return vb::CallByName(entity.shared_from_this(), name, CallType::Get);
}

std::vector<std::string> PipeLines(General& general, acad::AcadDocument& doc, acad::AcadEntity& entity,
                                   const ElementRecord& r, const std::string& units, const Variant& arAnnoFormat,
                                   int32_t b) {
    double rise = RiseInLevelUnits(units, r.Text(pipe_entry::kSectionShape), r.Number(pipe_entry::kRise));
    // Both ends are read whatever is shown: a pipe with a broken end fails every label.
    double groundStart = general.GetGroundLevelAtNode(doc, refs::ReferenceKey(r.Text(pipe_entry::kStartNodeId)));
    double groundEnd = general.GetGroundLevelAtNode(doc, refs::ReferenceKey(r.Text(pipe_entry::kEndNodeId)));
    double invertStart = r.Number(pipe_entry::kStartInvert);
    double invertEnd = r.Number(pipe_entry::kEndInvert);

    AnnoFormatTable t(arAnnoFormat);
    auto length = [&] {
        // A polyline's own member; any other entity late-bound, as whatever answers to it.
        if (auto* polyline = dynamic_cast<acad::AcadLWPolyline*>(&entity)) return polyline->Length();
        return vb::CDbl(Property(entity, "Length"));
    };
    std::vector<std::string> lines;
    for (int32_t item = 0; item < pipe_item::kCount; ++item) {
        int32_t row = b + item;
        if (!t.LineShown(row)) continue;
        switch (item) {
        case pipe_item::kLabel:
            lines.push_back(TextLine(t, row, general.EntityLabelFromCombined(r.Get(pipe_entry::kCombinedLabel))));
            break;
        case pipe_item::kLength: lines.push_back(ValueLine(t, row, length())); break;
        case pipe_item::kSize:
            lines.push_back(TextLine(t, row, SectionSizeString(r)));
            break;
        case pipe_item::kSlope: {
            // A pipe of no length in plan has no slope; its line stays, so that the lines
            // still meet the block's attributes.
            const double planLength = length();
            if (planLength == 0) {
                lines.emplace_back();
                break;
            }
            // Whichever end is lower, the slope is positive.
            double slope = std::fabs(invertStart - invertEnd) / planLength;
            Variant text = general.BuildSlopeString(slope, t.Cell(row, kPrecision), t.Cell(row, kSlopeDecimals),
                                                    t.Cell(row, kSlopeFormat));
            lines.push_back(TextLine(t, row, vb::CStr(text)));
            break;
        }
        case pipe_item::kMaterial: lines.push_back(TextLine(t, row, r.Text(pipe_entry::kMaterial))); break;
        case pipe_item::kStartInvert: lines.push_back(ValueLine(t, row, invertStart)); break;
        case pipe_item::kEndInvert: lines.push_back(ValueLine(t, row, invertEnd)); break;
        case pipe_item::kStartGround: lines.push_back(ValueLine(t, row, groundStart)); break;
        case pipe_item::kEndGround: lines.push_back(ValueLine(t, row, groundEnd)); break;
        case pipe_item::kStartCover: lines.push_back(ValueLine(t, row, (groundStart - invertStart) - rise)); break;
        case pipe_item::kEndCover: lines.push_back(ValueLine(t, row, (groundEnd - invertEnd) - rise)); break;
        case pipe_item::kStartDepth: lines.push_back(ValueLine(t, row, groundStart - invertStart)); break;
        case pipe_item::kEndDepth: lines.push_back(ValueLine(t, row, groundEnd - invertEnd)); break;
        }
    }
    return lines;
}

std::vector<std::string> NodeLines(General& general, acad::AcadEntity& entity, const ElementRecord& r,
                                   const Variant& arAnnoFormat, const LabelKind& kind) {
    double ground = r.Number(node_entry::kGroundLevel);
    double sump = r.Number(node_entry::kSumpLevel);
    AnnoFormatTable t(arAnnoFormat);
    std::vector<std::string> lines;
    for (int32_t item = 0; item < node_item::kCount; ++item) {
        int32_t row = kind.labelRow + item;
        if (!t.LineShown(row)) continue;
        switch (item) {
        case node_item::kLabel:
            lines.push_back(TextLine(t, row, general.EntityLabelFromCombined(r.Get(node_entry::kCombinedLabel))));
            break;
        case node_item::kGround: lines.push_back(ValueLine(t, row, ground)); break;
        case node_item::kSump: lines.push_back(ValueLine(t, row, sump)); break;
        case node_item::kDepth: lines.push_back(ValueLine(t, row, ground - sump)); break;
        }
    }
    int32_t c = kind.coordinateRow;
    if (t.LineShown(c)) {
        // No prefix or suffix of the style here, only the axis.
        Variant point = Property(entity, "InsertionPoint");
        const std::string precision = t.Cell(c, kCoordinatePrecision);
        const std::string pattern = t.Cell(c, kCoordinatePattern);
        lines.push_back("E " + Number(vb::CDbl(point.Array().Get(0)), precision, pattern));
        lines.push_back("N " + Number(vb::CDbl(point.Array().Get(1)), precision, pattern));
    }
    return lines;
}

}  // namespace

std::vector<int16_t> ViewStyle::GetNumberOfAnnotationStrings(const Variant& ArAnnotationFormat) {
    AnnoFormatTable t(ArAnnotationFormat);
    std::vector<int16_t> counts;
    for (const LabelKind& kind : kKinds) {
        int16_t count = 0;
        // A negative flag counts no line rather than taking away those of other items.
        for (int32_t row = kind.labelRow; row < kind.labelRow + kind.items; ++row)
            count = vb::CInt(count + std::max(0.0, t.FlagValue(row)));
        if (kind.coordinateRow != kNoRow && t.FlagValue(kind.coordinateRow) == 1) count = vb::CInt(count + 2.0);
        counts.push_back(count);
    }
    return counts;
}

Variant ViewStyle::GetAnnotationStrings(acad::AcadDocument& AcadActiveDocument, acad::AcadEntity& Entity,
                                        const Variant& ArAnnoFormat) {
    ElementRecord record =
        ElementRecord::Read(std::static_pointer_cast<acad::AcadObject>(Entity.shared_from_this()));
    std::string units = general_->GetModelUnits(AcadActiveDocument);
    return labels::AnnotationStrings(*general_, AcadActiveDocument, Entity, record, ArAnnoFormat, units);
}

namespace labels {

Variant AnnotationStrings(General& general, acad::AcadDocument& doc, acad::AcadEntity& entity,
                          const ElementRecord& record, const Variant& table, const std::string& units) {
    // Without a record there is no element type to test: that fails.
    std::string type = record.Text(pipe_entry::kElementType);
    const LabelKind* kind = nullptr;
    for (const LabelKind& k : kKinds)
        if (type == k.elementType) kind = &k;
    if (kind == nullptr) return Variant();

    std::vector<std::string> lines = element_type::IsPipe(type)
                                         ? PipeLines(general, doc, entity, record, units, table, kind->labelRow)
                                         : NodeLines(general, entity, record, table, *kind);
    if (lines.empty()) return Variant();
    return Variant(com::SafeArray::FromStrings(lines));
}

}  // namespace labels

}  // namespace fluvanet
