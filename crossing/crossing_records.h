#pragma once
// The crossing annotation and its leader line. The annotation is a reference of one of the
// three crossing table blocks, placed 20 drawing units up and right of the crossing point
// (turned about it by the coordinate system's angle), on "Crossing Point Annotation Text";
// the leader runs from the crossing point to the annotation's insertion point on "Crossing
// Point Annotation Lines". The annotation names both pipes and its leader, the leader names
// the annotation, and both pipes list the annotation in pipe entries 20 and 21.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"
#include "core/reference_lists.h"
#include "platform/acad_document.h"

namespace fluvanet {

namespace crossing_entry {
inline constexpr int32_t kApplication = 0;    // 1001 "Fluvamap"
inline constexpr int32_t kCombinedLabel = 1;  // "CPA;;" & annotation label
inline constexpr int32_t kElementType = 2;    // "CrossingPointAnnotation"
inline constexpr int32_t kPipe1Net = 3;
inline constexpr int32_t kPipe2Net = 4;
inline constexpr int32_t kPipe1Label = 5;  // single label reference
inline constexpr int32_t kPipe2Label = 6;
inline constexpr int32_t kPipe1Rise = 7;  // 1040, drawing units
inline constexpr int32_t kPipe2Rise = 8;  // 1040
inline constexpr int32_t kPipe1Size = 9;
inline constexpr int32_t kPipe2Size = 10;
inline constexpr int32_t kClearance = 11;  // 1040, not rounded
inline constexpr int32_t kPipe1Id = 12;    // single ID reference
inline constexpr int32_t kPipe2Id = 13;
inline constexpr int32_t kLineLabel = 14;  // single label reference to the leader line
inline constexpr int32_t kLineId = 15;     // single ID reference to the leader line
inline constexpr int32_t kPoint = 16;      // Easting & ";" & Northing
inline constexpr int32_t kCount = 17;
}  // namespace crossing_entry

namespace crossing_line_entry {
inline constexpr int32_t kApplication = 0;      // 1001 "Fluvamap"
inline constexpr int32_t kCombinedLabel = 1;    // "CPL;;" & leader line label
inline constexpr int32_t kElementType = 2;      // "CrossingPointLine"
inline constexpr int32_t kAnnotationLabel = 3;  // single label reference
inline constexpr int32_t kAnnotationId = 4;     // single ID reference
inline constexpr int32_t kCount = 5;
}  // namespace crossing_line_entry

// For texts of up to 10, up to 19 and more characters.
inline constexpr std::array<std::string_view, 3> kCrossingBlocks = {
    "Fluvamap_CrossingAnno_S1", "Fluvamap_CrossingAnno_S2", "Fluvamap_CrossingAnno_S3"};
inline constexpr std::string_view kCrossingTextLayer = "Crossing Point Annotation Text";
inline constexpr std::string_view kCrossingLineLayer = "Crossing Point Annotation Lines";
inline constexpr std::string_view kAnnotationKind = "CPA";
inline constexpr std::string_view kLineKind = "CPL";
// The annotation stands this far up and right of the crossing point, in drawing units.
inline constexpr double kAnnotationOffset = 20;
inline constexpr int16_t kAnnotationTextCount = 5;

// Selection sets: every annotation (GetExistingCrossingPointsSet), the ones just drawn,
// the ones an edit updated, and the pipes the search selects.
inline constexpr std::string_view kExistingAnnotationsSet = "SetCrossPointAnno";
inline constexpr std::string_view kDrawnAnnotationsSet = "SetCrossingPoints";
inline constexpr std::string_view kUpdatedAnnotationsSet = "SetCrossingAnno";
inline constexpr std::string_view kAllPipesSet = "TotalSelectionSet";
inline constexpr std::string_view kNetworkSetPrefix = "CrossingNetworkSet";

// 1001, 1000 at 1-6, 1040 at 7 and 8, 1000 at 9 and 10, 1040 at 11, 1000 at 12-16.
inline const std::vector<int16_t>& CrossingAnnotationCodes() {
    static const std::vector<int16_t> codes{1001, 1000, 1000, 1000, 1000, 1000, 1000, 1040, 1040,
                                            1000, 1000, 1040, 1000, 1000, 1000, 1000, 1000};
    return codes;
}
// 1001, then four texts.
inline const std::vector<int16_t>& CrossingLineCodes() {
    static const std::vector<int16_t> codes{1001, 1000, 1000, 1000, 1000};
    return codes;
}

// Pipe 1 first, whichever pipe lies higher: N1 & L1 & N2 & L2 & "Annotation" / "Line".
inline std::string CrossingLabel(std::string_view net1, std::string_view label1, std::string_view net2,
                                 std::string_view label2) {
    return std::string(net1) + std::string(label1) + std::string(net2) + std::string(label2);
}
inline std::string AnnotationLabel(const std::string& crossingLabel) { return crossingLabel + "Annotation"; }
inline std::string LineLabel(const std::string& crossingLabel) { return crossingLabel + "Line"; }
// Kind, an empty network, the label.
inline std::string CrossingCombinedLabel(std::string_view kind, std::string_view label) {
    return std::string(kind) + ";;" + std::string(label);
}

// A pipe's invert at a ratio of its length from its start (vertex 0).
inline double InvertAt(double startInvert, double endInvert, double ratio) {
    return startInvert + (endInvert - startInvert) * ratio;
}

// The clearance between the pipes, floored at 0: measured to the lower pipe's top from the
// upper one, which is pipe 1 only when its invert is strictly higher. Not a number gives 0.
inline double CrossingClearance(double invert1, double invert2, double rise1, double rise2) {
    double c = invert1 > invert2 ? invert1 - invert2 - rise2 : invert2 - invert1 - rise1;
    return c >= 0 ? c : 0;
}

// The annotation's five texts, in attribute order: the upper pipe's network and size, its
// invert, the lower pipe's, the clearance.
struct CrossingSide {
    std::string network;
    std::string size;
    double invert = 0;
};
std::array<std::string, kAnnotationTextCount> CrossingTexts(const CrossingSide& pipe1, const CrossingSide& pipe2,
                                                            double clearance);
// The block for the texts, by the longer of the two size lines.
std::string_view CrossingBlockFor(const std::array<std::string, kAnnotationTextCount>& texts);

// [16]: each coordinate in the general text form of a double.
std::string CrossingPointText(double easting, double northing);

// ---- the objects an annotation ties together, each checked before it is written ----

// The record of the pipe an identifier names; anything but a pipe with the crossing lists
// raises, and so does an identifier that names no object.
ElementRecord OpenCrossingPipe(acad::AcadDocument& doc, std::string_view pipeId);
// An annotation's record, all 17 entries of it.
ElementRecord ReadCrossingAnnotation(const std::shared_ptr<acad::AcadObject>& annotation);
// The annotation's leader line; nullptr when [15] names no object, which counts as a
// leader already gone. Anything but a leader line raises.
std::shared_ptr<acad::AcadLine> LiveLeaderLine(acad::AcadDocument& doc, const ElementRecord& annotation);
// (x, y) of [16]; a text without ";" raises.
struct CrossingPlace {
    double x = 0;
    double y = 0;
};
CrossingPlace CrossingPlanPoint(const ElementRecord& annotation);
// The five attribute references the texts go into, in block order.
std::vector<std::shared_ptr<acad::AcadAttributeReference>> AnnotationAttributes(acad::AcadBlockReference& annotation);

// ---- A pipe's crossing lists (crossing/crossing_upkeep.cpp) ----
// The pipe's [20] and [21] without the annotation, taken out at its own place; the record
// is not written.
void ForgetCrossing(ElementRecord& pipe, const std::string& annotationLabel, const std::string& annotationId);

}  // namespace fluvanet
