#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/finite_reals.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/plan_arcs.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "profile/parts_data.h"
#include "profile/profile.h"
#include "profile/profile_drawing.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;
namespace pl = profile_layer;

namespace {

// Profile settings (style entry 7).
constexpr int32_t kProfileSettings = 7;
constexpr int32_t kShowCrossing = 0;
constexpr int32_t kShowConnected = 1;
constexpr int32_t kShowNodeLabels = 2;

// Node labels read upwards along their node line.
constexpr double kNodeLabelRotation = 1.570796327;

// Half the width of a manhole, in drawing units.
double ManholeHalfWidth(const std::string& units) { return units == "Metric" ? 0.6 : 2.0; }

// A span or rise of a parts data record in drawing units, by its shape flag (0 circular).
double InDrawingUnits(const std::string& units, int16_t shapeFlag, double value) {
    return RiseInLevelUnits(units, shapeFlag == 0 ? kCircularShape : kBoxShape, value);
}
int16_t ShapeFlag(const std::string& item) { return vb::CInt(vb::Val(item)); }

std::vector<double> Numbers(const std::vector<std::string>& items) {
    std::vector<double> numbers;
    numbers.reserve(items.size());
    for (const std::string& item : items) numbers.push_back(vb::Val(item));
    return numbers;
}

// The local station of each of `count` nodes: the running sum of the pipe lengths, which
// stops advancing where the lengths end (the last node has none).
std::vector<double> NodeStations(const std::string& lengthString, int16_t count) {
    const std::vector<double> lengths = Numbers(refs::LeadingItems(lengthString));
    std::vector<double> stations;
    double d = 0;
    for (int16_t i = 0; i < count; ++i) {
        stations.push_back(d);
        if (static_cast<std::size_t>(i) < lengths.size()) d += lengths[static_cast<std::size_t>(i)];
    }
    return stations;
}

double LevelY(const ProfilePoint& ref, double level, double datum, double exaggeration) {
    return ref.y + (level - datum) * exaggeration;
}

// One connected or crossing pipe of the annotation passes.
struct SectionRecord {
    double station = 0;
    double invert = 0;
    int16_t shape = 0;
    double span = 0;
    double rise = 0;
    int16_t cells = 0;
    std::string network;  // crossing pipes only
};

void ReadSectionRecords(const std::string& list, int32_t size, std::vector<SectionRecord>& records) {
    const std::vector<std::string> items = GroupedItems(list, size);
    for (std::size_t k = 0; k < items.size(); k += static_cast<std::size_t>(size)) {
        SectionRecord r;
        r.station = vb::Val(items[k]);
        r.invert = vb::Val(items[k + 1]);
        r.shape = ShapeFlag(items[k + 2]);
        r.span = vb::Val(items[k + 3]);
        r.rise = vb::Val(items[k + 4]);
        r.cells = vb::CInt(vb::Val(items[k + 5]));
        if (size > kConnectedPipeItems) r.network = items[k + 6];
        records.push_back(std::move(r));
    }
}

}  // namespace

void Profile::DrawNodeLabels(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                             const std::vector<double>& RefPoint, const std::string& LengthString,
                             const std::string& NodeLabelString, const double& FrameHeight,
                             const Variant& ArProfileStyleSettings) {
    const ProfilePoint ref = ReadProfilePoint(RefPoint);
    RequireFinite("the frame height", FrameHeight);
    const std::vector<std::string> labels = refs::LeadingItems(NodeLabelString);
    const std::vector<double> stations = NodeStations(LengthString, vb::Count16(labels.size()));
    const ProfileTextSettings text = StyleTextSettings(ArProfileStyleSettings);
    const bool showLabels = vb::Val(StyleSettingsItem(ArProfileStyleSettings, kProfileSettings, kShowNodeLabels)) != 0;
    const double h = showLabels ? vb::CDbl(Variant(text.labelsHeight)) : 0;

    OpenedLayersGuard opened(*general_, AcadActiveDocument,
                             refs::LeadingList({std::string(pl::kDimension), std::string(pl::kLabel)}));
    ActivateLayer(AcadActiveDocument, pl::kDimension);
    for (double d : stations) AddProfilePolyline(BlockDef, {ref.x + d, ref.y, ref.x + d, ref.y + FrameHeight});
    if (showLabels) {
        ActivateLayer(AcadActiveDocument, pl::kLabel);
        for (std::size_t i = 0; i < labels.size(); ++i)
            AddProfileText(BlockDef, labels[i], ref.x + stations[i] - h / 3, ref.y + FrameHeight - h, h, kAlignRight,
                           kNodeLabelRotation);
    }
    opened.Restore();
}

void Profile::DrawGroundLine(acad::AcadBlock& BlockDef, const std::vector<double>& RefPoint,
                             const std::string& GroundLineString, const double& DatumElevation,
                             const double& VerticalExaggeration) {
    const ProfilePoint ref = ReadProfilePoint(RefPoint);
    RequireFinite("the datum", DatumElevation);
    RequireExaggeration(VerticalExaggeration);
    const std::vector<double> points = Numbers(GroupedItems(GroundLineString, 2));
    std::vector<double> vertices;
    for (std::size_t k = 0; k < points.size(); k += 2) {
        vertices.push_back(ref.x + points[k]);
        vertices.push_back(LevelY(ref, points[k + 1], DatumElevation, VerticalExaggeration));
    }
    AddProfilePolyline(BlockDef, vertices, pl::kGround);
}

void Profile::DrawPipes(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                        const std::vector<double>& RefPoint, const std::string& LengthString,
                        const std::string& InvertString, const std::string& SizeString, const double& DatumElevation,
                        const double& VerticalExaggeration, const std::string& ModelUnits,
                        const std::string& NetworkType) {
    const ProfilePoint ref = ReadProfilePoint(RefPoint);
    RequireFinite("the datum", DatumElevation);
    const double v = VerticalExaggeration;
    RequireExaggeration(v);
    // Gravity pipes stop at the manhole walls; others run from node line to node line.
    const double w = NetworkType == "Gravity" ? ManholeHalfWidth(ModelUnits) : 0;
    struct PipeLines {
        std::vector<double> invert, crown;
    };
    std::vector<PipeLines> pipes;
    const int16_t n = vb::Count16(refs::LeadingItems(LengthString).size());
    double d = 0;
    for (int32_t i = 1; i <= n; ++i) {
        const double rise = InDrawingUnits(ModelUnits, ShapeFlag(ListItem(SizeString, 4 * i - 3)),
                                           vb::Val(ListItem(SizeString, 4 * i - 1)));
        const double a = vb::Val(ListItem(InvertString, 2 * i - 1));
        const double b = vb::Val(ListItem(InvertString, 2 * i));
        const double length = vb::Val(ListItem(LengthString, i));
        const double c = plan::PerPlanLength((b - a) * w, length);
        const double x1 = ref.x + d + w, x2 = ref.x + d + length - w;
        const double y1 = LevelY(ref, a + c, DatumElevation, v), y2 = LevelY(ref, b - c, DatumElevation, v);
        pipes.push_back({{x1, y1, x2, y2}, {x1, y1 + rise * v, x2, y2 + rise * v}});
        d += length;
    }

    OpenedLayersGuard opened(*general_, AcadActiveDocument, refs::LeadingList({std::string(pl::kPipe)}));
    ActivateLayer(AcadActiveDocument, pl::kPipe);
    for (const PipeLines& p : pipes) {
        AddProfilePolyline(BlockDef, p.invert);
        AddProfilePolyline(BlockDef, p.crown);
    }
    opened.Restore();
}

void Profile::DrawManholes(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                           const std::vector<double>& RefPoint, const std::string& LengthString,
                           const std::string& GroundString, const std::string& SumpString,
                           const double& DatumElevation, const double& VerticalExaggeration,
                           const std::string& ModelUnits) {
    const ProfilePoint ref = ReadProfilePoint(RefPoint);
    RequireFinite("the datum", DatumElevation);
    const double v = VerticalExaggeration;
    RequireExaggeration(v);
    const double w = ManholeHalfWidth(ModelUnits);
    const int16_t count = vb::Count16(refs::LeadingItems(SumpString).size());
    const std::vector<double> stations = NodeStations(LengthString, count);
    std::vector<std::vector<double>> outlines;
    for (int32_t i = 1; i <= count; ++i) {
        const double x = ref.x + stations[static_cast<std::size_t>(i - 1)];
        const double sump = LevelY(ref, vb::Val(ListItem(SumpString, i)), DatumElevation, v);
        const double ground = LevelY(ref, vb::Val(ListItem(GroundString, i)), DatumElevation, v);
        outlines.push_back({x - w, sump, x - w, ground, x + w, ground, x + w, sump});
    }

    OpenedLayersGuard opened(*general_, AcadActiveDocument, refs::LeadingList({std::string(pl::kManhole)}));
    ActivateLayer(AcadActiveDocument, pl::kManhole);
    for (const std::vector<double>& outline : outlines) AddProfilePolyline(BlockDef, outline)->SetClosed(true);
    opened.Restore();
}

void Profile::DrawConnectedAndCrossing(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                                       const std::vector<double>& RefPoint, const std::string& ConnectedString,
                                       const std::string& CrossingString, const Variant& ArProfileStyleSettings,
                                       const double& DatumElevation, const double& VerticalExaggeration,
                                       const std::string& ModelUnits) {
    const ProfilePoint ref = ReadProfilePoint(RefPoint);
    RequireFinite("the datum", DatumElevation);
    const double v = VerticalExaggeration;
    RequireExaggeration(v);
    auto shown = [&](int32_t item) {
        return vb::Val(StyleSettingsItem(ArProfileStyleSettings, kProfileSettings, item)) == 1;
    };
    const bool crossingShown = shown(kShowCrossing);
    const bool connectedShown = shown(kShowConnected);
    const ProfileTextSettings text = StyleTextSettings(ArProfileStyleSettings);
    const double h = vb::CDbl(Variant(text.dataHeight));
    // Connected pipes first, then the crossing ones; every record is read before the first is drawn.
    std::vector<SectionRecord> records;
    if (connectedShown && !ConnectedString.empty()) ReadSectionRecords(ConnectedString, kConnectedPipeItems, records);
    if (crossingShown && !CrossingString.empty()) ReadSectionRecords(CrossingString, kCrossingItems, records);

    // The leaders placed so far: x and y of both ends of each horizontal segment. The
    // all-zero entry stands for the first until it is placed.
    std::vector<double> placed(4, 0.0);
    bool firstPlaced = false;
    for (const SectionRecord& r : records) {
        const std::string size = r.network + " " + GetSectionSizeStringForProfile(r.shape, r.span, r.rise, r.cells);
        const std::string invert = "I.L.= " + vb::Format(vb::Round(r.invert, 3), "0.00#");
        const std::vector<double> at{ref.x + r.station, LevelY(ref, r.invert, DatumElevation, v)};
        DrawPipeSectionOnProfile(BlockDef, at, r.shape, InDrawingUnits(ModelUnits, r.shape, r.span),
                                 InDrawingUnits(ModelUnits, r.shape, r.rise), r.cells, v);
        const double sizeWidth = GetTextLengthOnDrawing(AcadActiveDocument, size, text.style, h);
        const double invertWidth = GetTextLengthOnDrawing(AcadActiveDocument, invert, text.style, h);
        const double width = sizeWidth > invertWidth ? sizeWidth : invertWidth;
        const std::vector<double> leader = PlaceCrossingLeader(at, placed, h, width);
        if (!firstPlaced) placed.clear();
        firstPlaced = true;
        placed.insert(placed.end(), leader.begin() + 2, leader.end());
        AddProfilePolyline(BlockDef, leader, pl::kDimension);
        const double x = std::min(leader[2], leader[4]) + h / 2;
        const double y = leader[3] + h / 2;
        AddProfileText(BlockDef, size, x, y, h, kAlignLeft, 0, pl::kData);
        AddProfileText(BlockDef, invert, x, y - 2 * h, h, kAlignLeft, 0, pl::kData);
    }
}

void Profile::DrawPipeSectionOnProfile(acad::AcadBlock& BlockDef, const std::vector<double>& PipeInsPnt,
                                       const int16_t& ShapeIndex, const double& Span, const double& Rise,
                                       const int16_t& NumCells, const double& VerticalExaggeration) {
    const ProfilePoint p = ReadProfilePoint(PipeInsPnt);
    RequireFinite("the span or rise", {Span, Rise});
    const double v = VerticalExaggeration;
    RequireExaggeration(v);
    const double n = NumCells;
    for (int32_t k = 1; k <= NumCells; ++k) {
        if (ShapeIndex != 0) {
            // Cells side by side, centred on the invert point, standing on it.
            const double x1 = p.x - (n / 2) * Span + (k - 1) * Span;
            const double x2 = x1 + Span;
            const double top = p.y + Rise * v;
            AddProfilePolyline(BlockDef, {x1, p.y, x2, p.y, x2, top, x1, top, x1, p.y}, pl::kPipe);
            continue;
        }
        // A circle of diameter R stretched vertically by the exaggeration: the vertical axis
        // is the major one from 1 up, the horizontal one below.
        const acad::Point3 centre{p.x - (Span / 2) * (n - 1) + (k - 1) * Span, p.y + Rise * v / 2, 0};
        auto ellipse = v >= 1 ? BlockDef.AddEllipse(centre, {0, Rise * v / 2, 0}, 1 / v)
                              : BlockDef.AddEllipse(centre, {Rise / 2, 0, 0}, v);
        ellipse->SetLayer(std::string(pl::kPipe));
    }
}

std::string Profile::GetSectionSizeStringForProfile(const int16_t& SectionShapeIndex, const double& Span,
                                                    const double& Rise, const int16_t& NumCells) {
    const std::string span = vb::CStr(Span);
    const std::string section = SectionShapeIndex == 0 ? "%%c" + span : span + "X" + vb::CStr(Rise);
    if (NumCells == 1) return section;
    const std::string cells = vb::CStr(int32_t{NumCells});
    return SectionShapeIndex == 0 ? cells + " " + section : cells + " (" + section + ")";
}

std::vector<double> Profile::GetProfileCrossingAnnotationLocation(const std::vector<double>& NewAnnoInsPnt,
                                                                  const std::vector<double>& ArExistingCoord,
                                                                  const double& TextHeight,
                                                                  const double& StringLength) {
    vb::Count16(ArExistingCoord.size());  // the host's array
    return PlaceCrossingLeader(NewAnnoInsPnt, ArExistingCoord, TextHeight, StringLength);
}

std::vector<double> Profile::PlaceCrossingLeader(const std::vector<double>& NewAnnoInsPnt,
                                                 const std::vector<double>& ArExistingCoord, const double& TextHeight,
                                                 const double& StringLength) {
    const ProfilePoint p0 = ReadProfilePoint(NewAnnoInsPnt);
    if (ArExistingCoord.size() % 4 != 0)
        Raise(ErrorCode::SubscriptOutOfRange, "the placed leaders hold four reals each, not " +
                                                  std::to_string(ArExistingCoord.size()) + " reals");
    const auto count = static_cast<int32_t>(ArExistingCoord.size() / 4);
    const double h = TextHeight;
    double x1 = p0.x - 2 * h, y1 = p0.y - 2 * h;
    double x2 = x1 - StringLength - h, y2 = y1;
    int32_t direction = 1;
    // Every move lowers the segment below a placed one, so the passes end.
    for (bool moved = true; moved;) {
        moved = false;
        for (int32_t j = 0; j < count; ++j) {
            const double ex1 = ArExistingCoord[4 * j], ey1 = ArExistingCoord[4 * j + 1];
            const double ex2 = ArExistingCoord[4 * j + 2];
            const double reach = std::abs(ex1 - ex2) + h;
            const bool overlaps = std::abs(2 * x1 - ex1 - ex2) < reach || std::abs(2 * x2 - ex1 - ex2) < reach;
            if (!(std::abs(y1 - ey1) < 4 * h && overlaps)) continue;
            moved = true;
            if (direction == 1) {
                x1 = 2 * p0.x - x1;
                x2 = 2 * p0.x - x2;
            } else {
                y1 = ey1 - 4 * h;
                // Rounding may leave the difference a hair under 4h: that would conflict
                // with the same leader for ever.
                while (std::abs(y1 - ey1) < 4 * h) y1 = std::nextafter(y1, -std::numeric_limits<double>::infinity());
                y2 = y1;
            }
            direction = -direction;
        }
    }
    return {p0.x, p0.y, x1, y1, x2, y2};
}

}  // namespace fluvanet
