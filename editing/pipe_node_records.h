#pragma once
// The pipe and node records: entry numbers, group codes and the values of a new record.
// A pipe is a lightweight polyline whose first vertex is its start; a node a block
// reference of "Fluvamap_Node". Both lie on the network's " - Network" layer.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"

namespace fluvanet {

class General;

namespace pipe_entry {
inline constexpr int32_t kCombinedLabel = 1;  // "Pipe;" & network & ";" & label
inline constexpr int32_t kElementType = 2;    // "GravityPipe" / "PressurePipe"
inline constexpr int32_t kSectionShape = 3;   // "SectionShape_Circular" / "SectionShape_Box"
inline constexpr int32_t kSpan = 4;           // 1040
inline constexpr int32_t kRise = 5;           // 1040
inline constexpr int32_t kFurtherReal1 = 6;   // 1040, 0, carried along
inline constexpr int32_t kFurtherReal2 = 7;   // 1040, 0, carried along
inline constexpr int32_t kCells = 8;          // 1070
inline constexpr int32_t kStartInvert = 9;    // 1040
inline constexpr int32_t kEndInvert = 10;     // 1040
inline constexpr int32_t kMaterial = 11;
inline constexpr int32_t kStartNodeLabel = 12;  // single label reference
inline constexpr int32_t kEndNodeLabel = 13;
inline constexpr int32_t kStartNodeId = 14;  // single ID reference
inline constexpr int32_t kEndNodeId = 15;
inline constexpr int32_t kLabelBlockLabel = 16;  // key: pipe label & "Annotation"
inline constexpr int32_t kArrowLabel = 17;       // key: pipe label & "Arrow"
inline constexpr int32_t kLabelBlockId = 18;
inline constexpr int32_t kArrowId = 19;
inline constexpr int32_t kCrossingLabels = 20;  // reference list
inline constexpr int32_t kCrossingIds = 21;     // reference list, parallel to 20
inline constexpr int32_t kProfileLabels = 22;   // reference list
inline constexpr int32_t kProfileIds = 23;      // reference list, parallel to 22
inline constexpr int32_t kCount = 24;
}  // namespace pipe_entry

namespace node_entry {
inline constexpr int32_t kCombinedLabel = 1;  // "Node;" & network & ";" & label
inline constexpr int32_t kElementType = 2;    // "GravityNode" / "PressureNode"
inline constexpr int32_t kFurtherInteger = 3;  // 1070, 0, carried along
inline constexpr int32_t kMatchingCode = 4;    // 1070: 0 none, 1 centre lines, 2 soffits, 3 inverts
inline constexpr int32_t kStartPipeLabels = 5;  // reference list: pipes whose start lies here
inline constexpr int32_t kEndPipeLabels = 6;    // reference list: pipes whose end lies here
inline constexpr int32_t kStartPipeIds = 7;     // parallel to 5
inline constexpr int32_t kEndPipeIds = 8;       // parallel to 6
inline constexpr int32_t kGroundLevel = 9;      // 1040
inline constexpr int32_t kSumpLevel = 10;       // 1040
inline constexpr int32_t kLabelBlockLabel = 11;  // key: node label & "Annotation"
inline constexpr int32_t kLabelBlockId = 12;
inline constexpr int32_t kLowHighLabel = 13;  // key: node label & "LowHigh"
inline constexpr int32_t kLowHighId = 14;
inline constexpr int32_t kCount = 15;
}  // namespace node_entry

inline constexpr std::string_view kNodeBlockName = "Fluvamap_Node";
inline constexpr std::string_view kCircularShape = "SectionShape_Circular";
inline constexpr std::string_view kBoxShape = "SectionShape_Box";

// Group codes: pipe 1001 at 0, 1040 at 4-7, 9, 10, 1070 at 8, else 1000; node 1001 at 0,
// 1070 at 3, 4, 1040 at 9, 10, else 1000; project 1001 at 0, 1070 at 2, else 1000 (12).
const std::vector<int16_t>& PipeRecordCodes();
const std::vector<int16_t>& NodeRecordCodes();
const std::vector<int16_t>& ProjectRecordCodes();

std::string PipeCombinedLabel(std::string_view network, std::string_view label);
std::string NodeCombinedLabel(std::string_view network, std::string_view label);

// The ends of a new pipe: label and identifier text of its start and end node.
struct PipeEnds {
    std::string startLabel, startId, endLabel, endId;
};

// The values of a new pipe: circular, span and rise 200 for "Metric" and 8 for any other
// units, one cell, inverts 0, "PVC", the node references, everything else empty or 0.
std::vector<com::Variant> NewPipeValues(std::string_view network, std::string_view networkType, std::string_view label,
                                        std::string_view modelUnits, const PipeEnds& ends);
// The values of a new node: matching code 0 for "Gravity", 1 for any other type.
std::vector<com::Variant> NewNodeValues(std::string_view network, std::string_view networkType,
                                        std::string_view label);
// New records for the objects, with the codes above, not yet written.
ElementRecord NewPipeRecord(std::shared_ptr<acad::AcadObject> pipe, std::string_view network,
                            std::string_view networkType, std::string_view label, std::string_view modelUnits,
                            const PipeEnds& ends);
ElementRecord NewNodeRecord(std::shared_ptr<acad::AcadObject> node, std::string_view network,
                            std::string_view networkType, std::string_view label);

// The libraries' shape word of a pipe's section shape (entry 3): the text after its first 13
// characters, "Circular" or "Box".
std::string SectionShapeWord(std::string_view sectionShape);

// A pipe as the size library counts it: a circular pipe ([3] "SectionShape_Circular") by its
// span under "Circular", any other by span "x" rise under "Box".
struct LibrarySize {
    std::string text, shape;
};
LibrarySize PipeLibrarySize(const ElementRecord& pipe);

// A rise as it enters level computations: / 1000 for "Metric" (both shapes); otherwise
// / 12 for a circular section, and a box's rise as stored.
double RiseInLevelUnits(std::string_view modelUnits, std::string_view sectionShape, double rise);

// A pipe end lies at a node when x and y each agree after rounding to 5 decimals (halves
// to even), however close they are otherwise.
bool AtNodePoint(double x, double y, const acad::Point3& node);

// The record of the node an identifier names, checked to be a node's with its 15 entries;
// an identifier that names no object raises, as does anything but a node.
ElementRecord OpenNodeRecord(acad::AcadDocument& doc, std::string_view nodeId);
// The same check for a node the caller holds.
void RequireNodeRecord(const ElementRecord& node);
// The pipes a node's ID lists name, [7] then [8], each checked to be a pipe's record: what
// an edit at the node reads before it writes anything.
std::vector<ElementRecord> PipesAtNode(acad::AcadDocument& doc, const ElementRecord& node);

// The pipe out of one side of a node's lists, in the record only: every position its
// identifier holds in the ID list goes from both lists, so they stay parallel whatever the
// labels are (labels given by the user may repeat).
void UnlistPipeFromNode(ElementRecord& node, int32_t labelsEntry, int32_t idsEntry, std::string_view pipeId);

// A pipe's inverts and node labels, which matching at a node rewrites, written back as
// `before` holds them; whether any had changed, so that its follow-ups can run again.
bool PutBackMatchedEntries(const ElementRecord& before);
// A new element's label block and arrow, as its record names them, deleted with the events
// off (its record goes too, so no handler is to follow them), then the record itself.
void TakeBackNewElement(General& general, acad::AcadDocument& doc, const std::shared_ptr<acad::AcadObject>& element);

}  // namespace fluvanet
