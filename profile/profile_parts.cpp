#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/plan_arcs.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/parts_data.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::ObjectPtr;
using com::Raise;
using com::SafeArray;
using com::Variant;
namespace ss = style_settings;

namespace {

// Title positions in plan: every 300 metres, or 1000 feet; a single part shorter than
// the threshold (the same number in both units) gets one, at its middle.
constexpr double kMetricTitleStep = 300;
constexpr double kImperialTitleStep = 1000;
constexpr double kOneTitleBelow = 600;

// What the record builder reads of the style, all of it before any pipe is opened.
struct PartSettings {
    std::string split;
    bool stationData = false;        // pipe data and regular stations at every interval
    int16_t coordAtStations = 0;
    int16_t coordAtNodes = 0;
    int16_t coordAtVertices = 0;
    double interval = 0;             // read and checked only where a station loop runs
};

PartSettings ReadPartSettings(const Variant& settings) {
    PartSettings s;
    s.split = StyleSettingsEntry(settings, ss::kSplit);
    bool stationsOn = StyleSettingsItem(settings, ss::kStationsBand, ss::kBandPosition) != ss::kBandOff;
    std::string values = StyleSettingsItem(settings, ss::kStationsBand, ss::kValuesAtStations);
    double coordAtStations = vb::Val(StyleSettingsItem(settings, ss::kCoordinatesBand, ss::kCoordAtStations));
    s.coordAtNodes = vb::CInt(vb::Val(StyleSettingsItem(settings, ss::kCoordinatesBand, ss::kCoordAtNodes)));
    s.coordAtVertices = vb::CInt(vb::Val(StyleSettingsItem(settings, ss::kCoordinatesBand, ss::kCoordAtVertices)));
    s.stationData = stationsOn && values == "1";
    s.coordAtStations = stationsOn && values != "0" && coordAtStations != 0 ? 1 : 0;
    if (s.stationData || s.coordAtStations == 1) {
        s.interval = vb::Val(StyleSettingsItem(settings, ss::kStationsBand, ss::kStationInterval));
        RequireStationInterval(s.interval);
    }
    return s;
}

// Pipe i of a part (from 1) as the record builder needs it.
struct PartPipe {
    ElementRecord record;
    std::shared_ptr<acad::AcadLWPolyline> polyline;
    bool against = false;
    double length = 0;
    double startInvert = 0, endInvert = 0;
    std::string startInvertText, endInvertText;
    std::string startNode, endNode;  // identifiers in profile direction
};

PartPipe OpenPartPipe(acad::AcadDocument& doc, const std::string& id, const std::string& direction) {
    ElementRecord record = OpenPipeRecord(doc, id);
    auto polyline = acad::Cast<acad::AcadLWPolyline>(record.Object());
    const bool against = RunsAgainst(direction);
    const int32_t start = against ? pipe_entry::kEndInvert : pipe_entry::kStartInvert;
    const int32_t end = against ? pipe_entry::kStartInvert : pipe_entry::kEndInvert;
    const int32_t startNode = against ? pipe_entry::kEndNodeId : pipe_entry::kStartNodeId;
    const int32_t endNode = against ? pipe_entry::kStartNodeId : pipe_entry::kEndNodeId;
    return PartPipe{record,
                    polyline,
                    against,
                    RoundedLength(*polyline),
                    record.Number(start),
                    record.Number(end),
                    record.Text(start),
                    record.Text(end),
                    refs::ReferenceKey(record.Text(startNode)),
                    refs::ReferenceKey(record.Text(endNode))};
}

// The number `fromEnd` items before a list's last: the levels just appended.
double LastNumber(const std::string& list, int32_t fromEnd) {
    int32_t count = vb::Count16(vb::Split(list, ";").size());
    return vb::Val(ListItem(list, count - 1 - fromEnd));
}

}  // namespace

std::vector<std::string> Profile::GetSplitPipesOIDArray(acad::AcadDocument& AcadActiveDocument,
                                                        const std::string& SplittingCriteria,
                                                        const std::string& ProfilePipesOIDs) {
    std::vector<std::string> parts(1);
    std::vector<std::string> keys = refs::LeadingKeys(ProfilePipesOIDs);
    if (vb::Val(ListItem(SplittingCriteria, ss::kSplitFlag)) == 0) {
        for (const std::string& key : keys) AppendItem(parts[0], key);
        return parts;
    }
    const double maximum = vb::Val(ListItem(SplittingCriteria, ss::kMaxPartLength));
    double running = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        ElementRecord pipe = OpenPipeRecord(AcadActiveDocument, keys[i]);
        const double length = RoundedLength(*acad::Cast<acad::AcadLWPolyline>(pipe.Object()));
        const std::string id = IdText(*pipe.Object());
        // Equal to the maximum still fits; a pipe longer than it stands alone.
        if (running + length > maximum) {
            if (i > 0) parts.emplace_back();
            parts.back() = ";" + id;
            running = length;
        } else {
            AppendItem(parts.back(), id);
            running += length;
        }
    }
    return parts;
}

std::vector<std::string> Profile::GetSplitPipesDirectionArray(const std::string& ProfilePipesDirections,
                                                              const std::vector<std::string>& ArSplitPipesOID) {
    vb::Count16(ArSplitPipesOID.size());  // the host's lists
    std::vector<std::string> directions;
    int32_t k = 1;
    for (const std::string& part : ArSplitPipesOID) {
        std::string list;
        const std::size_t pipes = vb::Count16(refs::LeadingItems(part).size());
        for (std::size_t i = 0; i < pipes; ++i) AppendItem(list, ListItem(ProfilePipesDirections, k++));
        directions.push_back(list);
    }
    return directions;
}

Variant Profile::GetProfilePartsDataArrays(acad::AcadDocument& AcadActiveDocument, const ObjectPtr& AeccDoc,
                                           const std::string& /*ProfileNetwork*/,
                                           const Variant& ArProfileStyleSettings,
                                           const std::vector<std::string>& ArProfilePipes,
                                           const bool& DrawGroundFromSurface, const std::string& GroundSurfaceName) {
    namespace pe = parts_entry;
    if (ArProfilePipes.size() < 3)
        Raise(ErrorCode::SubscriptOutOfRange, "the profile pipes are three lists: labels, identifiers, directions");
    const PartSettings settings = ReadPartSettings(ArProfileStyleSettings);
    const std::vector<std::string> partPipes =
        GetSplitPipesOIDArray(AcadActiveDocument, settings.split, ArProfilePipes[1]);
    const std::vector<std::string> partDirections = GetSplitPipesDirectionArray(ArProfilePipes[2], partPipes);
    const std::string units = general_->GetModelUnits(AcadActiveDocument);
    const int16_t partCount = vb::Count16(partPipes.size());

    std::vector<Variant> records;
    double s0 = 0;
    for (int16_t p = 0; p < partCount; ++p) {
        std::array<std::string, pe::kCount> r;
        r[pe::kPipeIds] = partPipes[static_cast<std::size_t>(p)];
        r[pe::kDirections] = partDirections[static_cast<std::size_t>(p)];
        const std::string neighbours = GetConnectedOtherPartsPipes(p, partPipes);
        const std::vector<std::string> ids = refs::LeadingItems(r[pe::kPipeIds]);
        const std::vector<std::string> dirs = refs::LeadingItems(r[pe::kDirections]);
        const int16_t n = vb::Count16(ids.size());

        double e = 0;
        for (int16_t i = 1; i <= n; ++i) {
            const std::string& id = ids[static_cast<std::size_t>(i - 1)];
            const PartPipe pipe = OpenPartPipe(AcadActiveDocument, id, dirs[static_cast<std::size_t>(i - 1)]);
            const double start = e;
            e += pipe.length;
            const int16_t direction = pipe.against ? 1 : 0;

            AppendItem(r[pe::kLengths], pipe.length);
            AppendItem(r[pe::kInverts], pipe.startInvertText);
            AppendItem(r[pe::kInverts], pipe.endInvertText);
            r[pe::kSections] += SectionItems(pipe.record);
            AppendItem(r[pe::kSlopes], plan::PerPlanLength(std::abs(pipe.record.Number(pipe_entry::kStartInvert) -
                                                                    pipe.record.Number(pipe_entry::kEndInvert)),
                                                           pipe.length));
            AppendItem(r[pe::kMaterials], pipe.record.Text(pipe_entry::kMaterial));

            auto node = [&](const std::string& nodeId, const std::string& excluded, double station) {
                std::vector<std::string> data = GetNodeDataForProfile(AcadActiveDocument, AeccDoc, nodeId,
                                                                      DrawGroundFromSurface, GroundSurfaceName, excluded);
                AppendItem(r[pe::kNodeLabels], data[0]);
                AppendItem(r[pe::kNodeGrounds], data[1]);
                AppendItem(r[pe::kNodeSumps], data[2]);
                if (!data[3].empty()) r[pe::kConnectedPipes] += IncludedDistanceInConnectedPipesString(data[3], station);
            };
            if (i == 1) {
                node(pipe.startNode, neighbours + ";" + id, 0);
                r[pe::kStations] = ";0;" + vb::CStr(s0);
            }
            std::string excluded = neighbours + ";" + id;
            if (i < n) excluded += ";" + ids[static_cast<std::size_t>(i)];
            node(pipe.endNode, excluded, e);
            AppendItem(r[pe::kStations], e);
            AppendItem(r[pe::kStations], s0 + e);

            const double groundStart = LastNumber(r[pe::kNodeGrounds], 1);
            const double groundEnd = LastNumber(r[pe::kNodeGrounds], 0);
            const double rise = RiseInLevelUnits(units, pipe.record.Text(pipe_entry::kSectionShape),
                                                 pipe.record.Number(pipe_entry::kRise));
            const double depthStart = groundStart - pipe.startInvert, depthEnd = groundEnd - pipe.endInvert;
            AppendItem(r[pe::kDepths], depthStart);
            AppendItem(r[pe::kDepths], depthEnd);
            AppendItem(r[pe::kCovers], depthStart - rise);
            AppendItem(r[pe::kCovers], depthEnd - rise);

            r[pe::kGroundLine] += GetGroundLineStringForProfile(AeccDoc, *pipe.polyline, DrawGroundFromSurface,
                                                                GroundSurfaceName, groundStart, groundEnd, start,
                                                                units, direction);
            r[pe::kCrossings] += GetCrossingStringForProfile(AcadActiveDocument, pipe.record.Text(pipe_entry::kCrossingIds),
                                                             *pipe.polyline, start, direction);
            r[pe::kCoordinates] += GetCoordinatesStringForProfile(*pipe.polyline, start, s0 + start, i, direction,
                                                                  settings.coordAtStations, settings.coordAtNodes,
                                                                  settings.coordAtVertices, settings.interval);
            if (settings.stationData) {
                std::vector<std::string> atStations = GetPipeDataAtStationsArray(
                    AeccDoc, *pipe.polyline, start, s0 + start, direction, settings.interval, groundStart, groundEnd,
                    pipe.startInvert, pipe.endInvert, DrawGroundFromSurface, GroundSurfaceName, rise);
                for (std::size_t k = 0; k < atStations.size(); ++k) r[pe::kStationInverts + k] += atStations[k];
            }
        }

        // Regular stations follow the node pairs, unsorted.
        if (settings.stationData)
            for (double x : RegularStations(DistanceToNextMultiple(s0, settings.interval), settings.interval, e)) {
                AppendItem(r[pe::kStations], x);
                AppendItem(r[pe::kStations], s0 + x);
            }
        if (e >= kOneTitleBelow || partCount > 1) {
            const double step = units == "Metric" ? kMetricTitleStep : kImperialTitleStep;
            for (double x = DistanceToNextMultiple(s0, step); x <= e; x += step) AppendItem(r[pe::kTitlePositions], x);
        } else {
            AppendItem(r[pe::kTitlePositions], e / 2);
        }

        records.emplace_back(SafeArray::FromStrings({r.begin(), r.end()}));
        s0 += e;
    }
    return Variant(SafeArray::FromVariants(records));
}

}  // namespace fluvanet
