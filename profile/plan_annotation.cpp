#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "annotation/view_style.h"
#include "core/element_records.h"
#include "core/finite_reals.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/plan_arcs.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "platform/safe_array.h"
#include "platform/vb_convert.h"
#include "profile/parts_data.h"
#include "profile/profile.h"
#include "profile/profile_drawing.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::SafeArray;
using com::Variant;
namespace pl = profile_layer;

namespace {

// Offsets from the line, in text heights, before the text is turned about its point.
constexpr double kStationOffset = 0.75;
constexpr double kNameOffset = 3;
// A segment without length still counts, so that the walk never divides by zero.
constexpr double kZeroSegment = 0.000000001;
constexpr int32_t kWalkDecimals = 5;

void RequireTextHeight(double height, const char* which) {
    if (!(std::isfinite(height) && height > 0))
        Raise(ErrorCode::InvalidProcedureCall, std::string("the ") + which + " text height must be a number above 0");
}

struct Segment {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double Length() const { return std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1)); }
};

// Where a station lies on a plan line, and the segment that gives its direction.
struct PlanSpot {
    double x = 0;
    double y = 0;
    Segment along;
};

// A plan line with the bulge of each segment; a bare vertex list has none and is straight.
class PlanLine {
public:
    explicit PlanLine(const plan::Path& path) : c_(path.coordinates), bulges_(path.bulges) {
        if (c_.size() % 2 != 0 || c_.size() < 4)
            Raise(ErrorCode::InvalidProcedureCall, "a plan line needs x and y of at least two vertices");
        segments_ = static_cast<int32_t>(c_.size() / 2) - 1;
    }

    // The first segment whose rounded length reaches the rounded remainder holds the
    // station, so a shared vertex ends the earlier segment. An arc is walked along itself
    // and its point lies on it, turned as its chord.
    PlanSpot Find(double station) const {
        double run = 0;
        for (int32_t k = 0; k < segments_; ++k) {
            const Segment s = At(k);
            const std::optional<plan::Arc> arc = ArcAt(k);
            double length = arc ? arc->Length() : s.Length();
            if (length == 0) length = kZeroSegment;
            const double r = station - run;
            if (vb::Round(r, kWalkDecimals) <= vb::Round(length, kWalkDecimals)) {
                if (arc) {
                    const plan::Point at = arc->PointAt(r);
                    return {at.x, at.y, Direction(k)};
                }
                return {s.x1 + (s.x2 - s.x1) * r / length, s.y1 + (s.y2 - s.y1) * r / length, Direction(k)};
            }
            run += length;
        }
        // Past the end: the last vertex, turned as the last segment.
        const Segment last = At(static_cast<int32_t>(segments_ - 1));
        return {last.x2, last.y2, Direction(static_cast<int32_t>(segments_ - 1))};
    }

private:
    Segment At(int32_t k) const {
        const std::size_t i = 2 * static_cast<std::size_t>(k);
        return {c_[i], c_[i + 1], c_[i + 2], c_[i + 3]};
    }
    std::optional<plan::Arc> ArcAt(int32_t k) const {
        const auto i = static_cast<std::size_t>(k);
        const double bulge = i < bulges_.size() ? bulges_[i] : 0;
        const Segment s = At(k);
        if (!plan::Arc::IsArc({s.x1, s.y1}, {s.x2, s.y2}, bulge)) return std::nullopt;
        return plan::Arc({s.x1, s.y1}, {s.x2, s.y2}, bulge);
    }
    // A segment without length has no direction of its own: the next one with a length
    // lends it, else the previous one; a line without any length keeps its own.
    Segment Direction(int32_t k) const {
        for (int32_t j = k; j < segments_; ++j)
            if (At(j).Length() != 0) return At(j);
        for (int32_t j = k; j >= 0; --j)
            if (At(j).Length() != 0) return At(j);
        return At(k);
    }

    const std::vector<double>& c_;
    const std::vector<double>& bulges_;
    int32_t segments_ = 0;
};

// The part's pipes in profile order, each reversed with its bulges where it runs against
// the profile; a shared vertex once, the segment leaving it the later pipe's.
plan::Path PartPath(acad::AcadDocument& doc, const std::string& ids, const std::string& directions) {
    plan::Path total;
    const std::vector<std::string> pipes = refs::LeadingItems(ids);
    for (std::size_t i = 0; i < pipes.size(); ++i) {
        const std::string direction = ListItem(directions, static_cast<int32_t>(i + 1));
        const auto pipe = acad::Cast<acad::AcadLWPolyline>(ObjectFromId(doc, pipes[i]));
        std::vector<double> c = pipe->Coordinates();
        std::vector<double> bulges = plan::PolylineBulges(*pipe);
        if (RunsAgainst(direction)) {
            c = ReversedVertices(c);
            bulges = plan::ReversedBulges(bulges);
        }
        // From the second pipe on, its first vertex is the previous pipe's last.
        const bool joined = i != 0 && c.size() >= 2;
        total.coordinates.insert(total.coordinates.end(), c.begin() + (joined ? 2 : 0), c.end());
        auto own = bulges.begin();
        if (joined && !bulges.empty()) {
            if (!total.bulges.empty()) total.bulges.back() = bulges.front();
            ++own;
        }
        total.bulges.insert(total.bulges.end(), own, bulges.end());
    }
    return total;
}

void WriteStationOn(ViewStyle& viewStyle, const plan::Path& path, double station, acad::AcadBlock& block,
                    const std::string& text, double h, double correctionAngle) {
    RequireTextHeight(h, "station");
    RequireFinite("the plan line", path.coordinates);
    RequireFinite("the station or correction angle", {station, correctionAngle});
    const PlanSpot p = PlanLine(path).Find(station);
    const Segment& s = p.along;
    // The unit direction of the segment; one without length points as a zero angle does
    // (a quarter turn), as its text rotation does.
    const double length = s.Length();
    const double ux = length == 0 ? 0 : (s.x2 - s.x1) / length;
    const double uy = length == 0 ? 1 : (s.y2 - s.y1) / length;
    // The horizontal tick turned a quarter turn past the segment's direction; it keeps the
    // active layer.
    AddProfileLine(block, p.x + h / 2 * uy, p.y - h / 2 * ux, p.x - h / 2 * uy, p.y + h / 2 * ux);
    const double rotation = viewStyle.GetTextRotation(s.x1, s.y1, s.x2, s.y2, correctionAngle);
    AddProfileText(block, text, p.x - kStationOffset * h * std::sin(rotation),
                   p.y + kStationOffset * h * std::cos(rotation), h, kAlignCenter, rotation, pl::kPlanStations);
}

void WriteNameOn(ViewStyle& viewStyle, const plan::Path& path, double station, acad::AcadBlock& block,
                 const std::string& name, double h, double correctionAngle) {
    RequireTextHeight(h, "name");
    RequireFinite("the plan line", path.coordinates);
    RequireFinite("the station or correction angle", {station, correctionAngle});
    const PlanSpot p = PlanLine(path).Find(station);
    const Segment& s = p.along;
    const double rotation = viewStyle.GetTextRotation(s.x1, s.y1, s.x2, s.y2, correctionAngle);
    AddProfileText(block, name, p.x - kNameOffset * h * std::sin(rotation), p.y + kNameOffset * h * std::cos(rotation),
                   h, kAlignCenter, rotation, pl::kPlanTitle);
}

void DrawStationsOn(ViewStyle& viewStyle, acad::AcadBlock& block, const std::string& stations, double h,
                    const std::string& pattern, const plan::Path& path, double correctionAngle) {
    const std::vector<std::string> pairs = GroupedItems(stations, 2);
    for (std::size_t k = 0; k < pairs.size(); k += 2)
        WriteStationOn(viewStyle, path, vb::Val(pairs[k]), block, vb::Format(vb::Val(pairs[k + 1]), pattern), h,
                       correctionAngle);
}

void DrawNameOn(ViewStyle& viewStyle, acad::AcadBlock& block, const std::string& titles, double h,
                const plan::Path& path, const std::string& name, double correctionAngle) {
    for (const std::string& item : refs::LeadingItems(titles))
        WriteNameOn(viewStyle, path, vb::Val(item), block, name, h, correctionAngle);
}

// Unlike the grid's labels, plan stations always show the decimals of the settings.
std::string PlanStationPattern(Profile& profile, const std::string& settings) {
    const StationFormatIndexes indexes = ReadStationFormatIndexes(settings);
    return profile.GetStationFormatString(indexes.precision, indexes.decimals, indexes.format);
}

// One part's plan line and lists, read and checked before the block is touched.
struct PlanPart {
    plan::Path line;
    std::string stations;
    std::string titles;
};

}  // namespace

std::shared_ptr<acad::AcadBlockReference> Profile::CreatePlanAnnotationBlockForProfile(
    acad::AcadDocument& AcadActiveDocument, const std::string& ProfileName, const std::string& ProfileNetworkName,
    const Variant& ArProfilePartsDataArrays, const Variant& ArProfileStyleSettings, const bool& ShowNameOnPlan,
    const bool& ShowStationsOnPlan) {
    if (!ShowNameOnPlan && !ShowStationsOnPlan) return nullptr;

    // Everything is read first: a failure here leaves an existing annotation as it was.
    const ProfileTextSettings text = StyleTextSettings(ArProfileStyleSettings);
    const double dataHeight = vb::Val(text.dataHeight);
    const double labelsHeight = vb::Val(text.labelsHeight);
    const std::string stationSettings = StyleSettingsEntry(ArProfileStyleSettings, style_settings::kStationsBand);
    std::string pattern;
    if (ShowStationsOnPlan) {
        RequireTextHeight(dataHeight, "data");
        pattern = PlanStationPattern(*this, stationSettings);
    }
    if (ShowNameOnPlan) RequireTextHeight(labelsHeight, "labels");
    const SafeArray& records = ArProfilePartsDataArrays.Array();
    const int16_t count = vb::Count16(static_cast<std::size_t>(records.Size()));
    std::vector<PlanPart> parts;
    for (int16_t k = 0; k < count; ++k) {
        const std::vector<std::string> record = records.Get(records.LBound() + k).Array().ToStrings();
        PlanPart part;
        part.line = PartPath(AcadActiveDocument, PartsEntry(record, parts_entry::kPipeIds),
                             PartsEntry(record, parts_entry::kDirections));
        part.stations = PartsEntry(record, parts_entry::kStations);
        part.titles = PartsEntry(record, parts_entry::kTitlePositions);
        GroupedItems(part.stations, 2);
        PlanLine check(part.line);
        parts.push_back(std::move(part));
    }
    auto style = ProfileTextStyle(AcadActiveDocument, text.style);
    const double angle = general_->GetCorrectionAngleForCS(AcadActiveDocument);

    ActiveLayerGuard activeLayer(AcadActiveDocument);
    ActiveTextStyleGuard activeStyle(AcadActiveDocument);
    auto block =
        general_->InitializeBlockDefinition(AcadActiveDocument, PlanAnnoBlockName(ProfileNetworkName, ProfileName));
    AcadActiveDocument.SetActiveTextStyle(style);
    for (const PlanPart& part : parts) {
        if (!part.stations.empty() && ShowStationsOnPlan)
            DrawStationsOn(*viewStyle_, *block, part.stations, dataHeight, pattern, part.line, angle);
        if (ShowNameOnPlan) DrawNameOn(*viewStyle_, *block, part.titles, labelsHeight, part.line, ProfileName, angle);
    }
    activeStyle.Restore();
    activeLayer.Restore();
    return AcadActiveDocument.ModelSpace()->InsertBlock({0, 0, 0}, block->Name(), 1, 1, 1, 0);
}

std::vector<double> Profile::GetTotalPipeCoordinates(acad::AcadDocument& AcadActiveDocument,
                                                     const std::string& PipeOIDsString,
                                                     const std::string& PipeDirectionsString) {
    return PartPath(AcadActiveDocument, PipeOIDsString, PipeDirectionsString).coordinates;
}

// A bare vertex list is straight throughout; the annotation's own parts walk their arcs.
void Profile::DrawPlanStations(acad::AcadBlock& BlockDef, const std::string& ProfileStationsString,
                               const std::string& /*TextStyle*/, const double& DataTextHeight,
                               const std::string& StationSettingsString, const std::vector<double>& TotalPlCoord,
                               const double& CorrectionAngleForCS) {
    vb::Count16(TotalPlCoord.size());  // the host's array
    DrawStationsOn(*viewStyle_, BlockDef, ProfileStationsString, DataTextHeight,
                   PlanStationPattern(*this, StationSettingsString), {TotalPlCoord, {}}, CorrectionAngleForCS);
}

void Profile::WritePlanStation(const std::vector<double>& ArCoordinates, const double& Station,
                               acad::AcadBlock& StationsBlock, const std::string& StationString,
                               const double& TextHeight, const double& CorrectionAngleForCS) {
    vb::Count16(ArCoordinates.size());  // the host's array
    WriteStationOn(*viewStyle_, {ArCoordinates, {}}, Station, StationsBlock, StationString, TextHeight,
                   CorrectionAngleForCS);
}

void Profile::DrawPlanPofileName(acad::AcadBlock& BlockDef, const std::string& TitleDistancesString,
                                 const std::string& /*TextStyle*/, const double& LabelsTextHeight,
                                 const std::vector<double>& TotalPlCoord, const std::string& ProfileName,
                                 const double& CorrectionAngleForCS) {
    vb::Count16(TotalPlCoord.size());  // the host's array
    DrawNameOn(*viewStyle_, BlockDef, TitleDistancesString, LabelsTextHeight, {TotalPlCoord, {}}, ProfileName,
               CorrectionAngleForCS);
}

void Profile::WritePlanName(const std::vector<double>& ArCoordinates, const double& Station,
                            acad::AcadBlock& StationsBlock, const std::string& ProfileName, const double& TextHeight,
                            const double& CorrectionAngleForCS) {
    vb::Count16(ArCoordinates.size());  // the host's array
    WriteNameOn(*viewStyle_, {ArCoordinates, {}}, Station, StationsBlock, ProfileName, TextHeight,
                CorrectionAngleForCS);
}

}  // namespace fluvanet
