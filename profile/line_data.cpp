#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/plan_arcs.h"
#include "core/reference_lists.h"
#include "crossing/crossing_records.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "profile/parts_data.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::CallType;
using com::ErrorCode;
using com::ObjectPtr;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

constexpr int32_t kLevelDigits = 5;
constexpr int32_t kStationDigits = 7;
constexpr double kMetricGroundStep = 3.0;
constexpr double kImperialGroundStep = 10.0;

struct PlanXY {
    double x = 0;
    double y = 0;
};

Variant StoredCoordinates(const acad::AcadLWPolyline& pipe) {
    return Variant(SafeArray::FromDoubles(pipe.Coordinates()));
}

// The vertices in profile direction: reversed for a pipe against the profile.
Variant ProfileCoordinates(const acad::AcadLWPolyline& pipe, int16_t direction) {
    if (direction == 0) return StoredCoordinates(pipe);
    return Variant(SafeArray::FromDoubles(ReversedVertices(pipe.Coordinates())));
}

// The same vertices with the bulges of their segments, so that stations run along arcs.
plan::Path ProfilePath(const Variant& coordinates, const acad::AcadLWPolyline& pipe, int16_t direction) {
    std::vector<double> bulges = plan::PolylineBulges(pipe);
    return {coordinates.Array().ToDoubles(), direction == 0 ? bulges : plan::ReversedBulges(bulges)};
}

PlanXY PointOf(const Variant& point) {
    const SafeArray& items = point.Array();
    return {vb::CDbl(items.Get(0)), vb::CDbl(items.Get(1))};
}

PlanXY PointAt(const plan::Path& path, double station) {
    plan::Point p = plan::PointAtStation(path, station);
    return {p.x, p.y};
}

Variant PointVariant(PlanXY p) { return Variant(SafeArray::FromDoubles({p.x, p.y})); }

// The vertices as flat x, y values; a list with half a vertex is refused.
std::vector<double> VertexValues(const Variant& coordinates) {
    std::vector<double> xy = coordinates.Array().ToDoubles();
    if (xy.size() < 4 || xy.size() % 2 != 0)
        Raise(ErrorCode::SubscriptOutOfRange, "a pipe's coordinates hold x and y of at least two vertices");
    return xy;
}

// The surface of that name in the terrain document, late-bound: nothing, an unknown name
// or a failing document all raise.
ObjectPtr SurfaceNamed(const ObjectPtr& aeccDoc, const std::string& name) {
    return vb::CallByName(aeccDoc, "Surfaces", CallType::Get, Variant(name)).ObjectAs<com::Dispatch>();
}

double ElevationAt(const ObjectPtr& surface, PlanXY p) {
    return vb::Round(vb::CDbl(vb::CallByName(surface, "FindElevationAtXY", CallType::Method, p.x, p.y)), kLevelDigits);
}

// The first station of a pipe on the interval's grid, from its profile station.
double FirstRegularStation(double startProfileDistance, double interval) {
    RequireStationInterval(interval);
    return vb::Round(DistanceToNextMultiple(startProfileDistance, interval), kStationDigits);
}

}  // namespace

// ---- nodes and the pipes met there ----

std::vector<std::string> Profile::GetNodeDataForProfile(acad::AcadDocument& AcadActiveDocument,
                                                        const ObjectPtr& AeccDoc, const std::string& NodeOID,
                                                        const bool& UseGroundSurface,
                                                        const std::string& GroundSurfaceName,
                                                        const std::string& ExcludedPipeOIDs) {
    std::shared_ptr<acad::AcadObject> object = ObjectFromId(AcadActiveDocument, NodeOID);
    ElementRecord node = ElementRecord::Read(object);
    RequireElementType(node, {element_type::kGravityNode, element_type::kPressureNode}, "a node");
    std::string label = general_->EntityLabelFromCombined(node.Get(node_entry::kCombinedLabel));

    std::string ground = node.Text(node_entry::kGroundLevel);
    if (UseGroundSurface) {
        acad::Point3 at = acad::Cast<acad::AcadBlockReference>(object)->InsertionPoint();
        try {
            ground = vb::CStr(ElevationAt(SurfaceNamed(AeccDoc, GroundSurfaceName), {at[0], at[1]}));
        } catch (const com::Error&) {
            // No surface value here: the node's own ground level stands.
        }
    }

    std::vector<std::string> excluded = refs::LeadingItems(ExcludedPipeOIDs);
    std::string connected;
    for (const std::string& pipeId :
         refs::LeadingKeys(node.Text(node_entry::kStartPipeIds) + node.Text(node_entry::kEndPipeIds)))
        if (std::find(excluded.begin(), excluded.end(), pipeId) == excluded.end())
            connected += GetConnectedPipeDataForProfile(AcadActiveDocument, pipeId, label);
    return {label, ground, node.Text(node_entry::kSumpLevel), connected};
}

std::string Profile::GetConnectedPipeDataForProfile(acad::AcadDocument& AcadActiveDocument,
                                                    const std::string& PipeOID, const std::string& NodeLabel) {
    ElementRecord pipe = OpenPipeRecord(AcadActiveDocument, PipeOID);
    bool startsHere = pipe.Text(pipe_entry::kStartNodeLabel) == refs::Reference(NodeLabel);
    std::string data;
    AppendItem(data, pipe.Text(startsHere ? pipe_entry::kStartInvert : pipe_entry::kEndInvert));
    return data + SectionItems(pipe);
}

std::string Profile::IncludedDistanceInConnectedPipesString(const std::string& OriginalString,
                                                            const double& Distance) {
    std::vector<std::string> items = refs::LeadingItems(OriginalString);
    if (items.size() % kNodePipeItems != 0)
        Raise(ErrorCode::SubscriptOutOfRange, "a connected-pipe list holds five items per pipe, not " +
                                                  std::to_string(items.size()) + " items");
    std::string placed;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i % kNodePipeItems == 0) AppendItem(placed, Distance);
        AppendItem(placed, items[i]);
    }
    return placed;
}

std::string Profile::GetConnectedOtherPartsPipes(const int16_t& PartIndex,
                                                 const com::BoundedArray<std::string>& ArAllPartsPipesOID) {
    vb::Count16(ArAllPartsPipesOID.Items().size());
    if (!ArAllPartsPipesOID.Holds(PartIndex))
        Raise(ErrorCode::SubscriptOutOfRange, "there is no profile part " + std::to_string(PartIndex));
    auto pipes = [&](int64_t part) {
        std::vector<std::string> ids = refs::LeadingItems(ArAllPartsPipesOID.At(part));
        if (ids.empty()) Raise(ErrorCode::SubscriptOutOfRange, "profile part " + std::to_string(part) + " has no pipes");
        return ids;
    };
    std::string neighbours;
    if (PartIndex < ArAllPartsPipesOID.UBound()) AppendItem(neighbours, pipes(PartIndex + 1).front());
    if (PartIndex > ArAllPartsPipesOID.LBound()) AppendItem(neighbours, pipes(PartIndex - 1).back());
    return neighbours;
}

// ---- ground line and crossings ----

std::string Profile::GetGroundLineStringForProfile(const ObjectPtr& AeccDoc, acad::AcadLWPolyline& MyPipe,
                                                   const bool& DrawGroundFromSurface,
                                                   const std::string& GroundSurfaceName, const double& FirstGround,
                                                   const double& SecondGround, const double& StartDistance,
                                                   const std::string& ModelUnits, const int16_t& DirectionIndex) {
    const double length = RoundedLength(MyPipe);
    if (DrawGroundFromSurface) {
        const double step = ModelUnits == "Metric" ? kMetricGroundStep : kImperialGroundStep;
        double quotient = length / step;
        double samples = std::floor(quotient) == quotient ? std::floor(quotient) : std::floor(quotient) + 1;

        // The points first: a broken pipe is no surface failure and is not hidden by one.
        const Variant coordinates = ProfileCoordinates(MyPipe, DirectionIndex);
        const plan::Path path = ProfilePath(coordinates, MyPipe, DirectionIndex);
        std::vector<std::pair<double, PlanXY>> points;
        double distance = 0, station = StartDistance;
        for (double k = 0; k < samples; ++k, distance += step, station += step)
            points.emplace_back(station, PointAt(path, distance));
        std::vector<double> xy = VertexValues(coordinates);
        points.emplace_back(StartDistance + length, PlanXY{xy[xy.size() - 2], xy[xy.size() - 1]});

        try {
            ObjectPtr surface = SurfaceNamed(AeccDoc, GroundSurfaceName);
            std::string line;
            for (const auto& [at, point] : points) {
                AppendItem(line, at);
                AppendItem(line, ElevationAt(surface, point));
            }
            return line;
        } catch (const com::Error&) {
            // One sample off the surface and the pipe shows only its node levels.
        }
    }
    std::string fallback;
    AppendItem(fallback, StartDistance);
    AppendItem(fallback, FirstGround);
    AppendItem(fallback, StartDistance + length);
    AppendItem(fallback, SecondGround);
    return fallback;
}

std::string Profile::GetCrossingStringForProfile(acad::AcadDocument& AcadActiveDocument,
                                                 const std::string& CrossingPointsOIDs,
                                                 acad::AcadLWPolyline& OriginalPipe, const double& StartDistance,
                                                 const int16_t& DirectionIndex) {
    if (CrossingPointsOIDs.empty()) return "";
    const plan::Path stored = plan::PathOf(OriginalPipe);
    const double length = RoundedLength(OriginalPipe);
    const std::string self = refs::Reference(IdText(OriginalPipe));
    std::string crossings;
    for (const std::string& annotationId : refs::LeadingKeys(CrossingPointsOIDs)) {
        ElementRecord annotation = ReadCrossingAnnotation(ObjectFromId(AcadActiveDocument, annotationId));
        CrossingPlace place = CrossingPlanPoint(annotation);
        Variant point = PointVariant({place.x, place.y});
        std::string other = annotation.Text(crossing_entry::kPipe1Id) == self ? annotation.Text(crossing_entry::kPipe2Id)
                                                                                : annotation.Text(crossing_entry::kPipe1Id);
        std::string data = GetCrossingPipeDataForProfile(AcadActiveDocument, refs::ReferenceKey(other), point);
        // Measured on the pipe as stored, so a pipe against the profile counts from its end.
        double s = vb::Round(plan::StationOnPath(stored, {place.x, place.y}), kStationDigits);
        AppendItem(crossings, StartDistance + (DirectionIndex == 0 ? s : length - s));
        crossings += data;
    }
    return SortCrossingPipesString(crossings);
}

std::string Profile::GetCrossingPipeDataForProfile(acad::AcadDocument& AcadActiveDocument, const std::string& PipeOID,
                                                   const Variant& CrossPointCoord) {
    ElementRecord pipe = OpenPipeRecord(AcadActiveDocument, PipeOID);
    auto polyline = acad::Cast<acad::AcadLWPolyline>(pipe.Object());
    const PlanXY at = PointOf(CrossPointCoord);
    double s = plan::StationOnPath(plan::PathOf(*polyline), {at.x, at.y});
    double invert = InvertAt(pipe.Number(pipe_entry::kStartInvert), pipe.Number(pipe_entry::kEndInvert),
                             plan::PerPlanLength(s, polyline->Length()));
    std::string data;
    AppendItem(data, vb::Round(invert, kLevelDigits));
    data += SectionItems(pipe);
    AppendItem(data, general_->EntityNetworkFromCombined(pipe.Get(pipe_entry::kCombinedLabel)));
    return data;
}

std::string Profile::SortCrossingPipesString(const std::string& OriginalString) {
    std::vector<std::string> items = refs::LeadingItems(OriginalString);
    if (items.size() % kCrossingItems != 0)
        Raise(ErrorCode::SubscriptOutOfRange, "a crossing list holds seven items per crossing, not " +
                                                  std::to_string(items.size()) + " items");
    std::vector<std::size_t> groups(items.size() / kCrossingItems);
    std::iota(groups.begin(), groups.end(), std::size_t{0});
    std::vector<double> keys;
    for (std::size_t g : groups) keys.push_back(vb::Val(items[g * kCrossingItems]));
    // Stable: crossings at one station keep the order of the pipe's annotation list.
    std::stable_sort(groups.begin(), groups.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::string sorted;
    for (std::size_t g : groups)
        for (std::size_t i = 0; i < kCrossingItems; ++i) AppendItem(sorted, items[g * kCrossingItems + i]);
    return sorted;
}

// ---- coordinates and pipe data at stations ----

std::string Profile::GetCoordinatesStringForProfile(acad::AcadLWPolyline& MyPipe, const double& StartPartDistance,
                                                    const double& StartProfileDistance,
                                                    const int16_t& PipeIndexOnPart, const int16_t& DirectionIndex,
                                                    const int16_t& ShowCoordAtStations,
                                                    const int16_t& ShowCoordAtNodes,
                                                    const int16_t& ShowCoordAtVertices,
                                                    const double& StationInterval) {
    const Variant coordinates = ProfileCoordinates(MyPipe, DirectionIndex);
    const std::vector<double> xy = VertexValues(coordinates);
    const plan::Path path = ProfilePath(coordinates, MyPipe, DirectionIndex);
    const double length = RoundedLength(MyPipe);
    const PlanXY first{xy[0], xy[1]}, last{xy[xy.size() - 2], xy[xy.size() - 1]};
    auto append = [](std::string& text, double station, PlanXY p) {
        AppendItem(text, station);
        AppendItem(text, p.x);
        AppendItem(text, p.y);
    };

    std::string text;
    if (ShowCoordAtStations == 1) {
        for (double s : RegularStations(FirstRegularStation(StartProfileDistance, StationInterval), StationInterval,
                                        length))
            append(text, s + StartPartDistance, PointAt(path, s));
        if (StartProfileDistance == 0) {
            std::string start;
            append(start, 0, first);
            text = start + text;
        }
    }
    if (ShowCoordAtNodes == 1) {
        if (PipeIndexOnPart == 1) append(text, StartPartDistance, first);
        append(text, StartPartDistance + length, last);
    }
    if (xy.size() > 4 && ShowCoordAtVertices == 1) {
        for (std::size_t i = 2; i + 2 < xy.size(); i += 2) {
            PlanXY vertex{xy[i], xy[i + 1]};
            append(text, plan::StationOnPath(path, {vertex.x, vertex.y}) + StartPartDistance, vertex);
        }
    }
    return text;
}

std::vector<std::string> Profile::GetPipeDataAtStationsArray(
    const ObjectPtr& AeccDoc, acad::AcadLWPolyline& MyPipe, const double& StartPartDistance,
    const double& StartProfileDistance, const int16_t& DirectionIndex, const double& StationInterval,
    const double& FirstGround, const double& SecondGround, const double& FirstInvert, const double& SecondInvert,
    const bool& DrawGroundFromSurface, const std::string& GroundSurfaceName, const double& RiseInElevationUnits) {
    const double firstStation = FirstRegularStation(StartProfileDistance, StationInterval);
    const plan::Path path = ProfilePath(ProfileCoordinates(MyPipe, DirectionIndex), MyPipe, DirectionIndex);
    const double length = RoundedLength(MyPipe);
    std::vector<std::string> data(4);
    auto append = [&](std::size_t list, double station, double value) {
        AppendItem(data[list], station);
        AppendItem(data[list], value);
    };
    for (double s : RegularStations(firstStation, StationInterval, length)) {
        const double station = s + StartPartDistance;
        const double ratio = plan::PerPlanLength(s, length);
        const double invert = vb::Round(InvertAt(FirstInvert, SecondInvert, ratio), kLevelDigits);
        std::optional<double> ground;
        if (DrawGroundFromSurface) {
            PlanXY point = PointAt(path, s);
            try {
                ground = ElevationAt(SurfaceNamed(AeccDoc, GroundSurfaceName), point);
            } catch (const com::Error&) {
                // This station takes the line between the node levels.
            }
        }
        if (!ground) ground = vb::Round(FirstGround + (SecondGround - FirstGround) * ratio, kLevelDigits);
        const double depth = *ground - invert;
        append(0, station, invert);
        append(1, station, *ground);
        append(2, station, depth);
        append(3, station, depth - RiseInElevationUnits);
    }
    return data;
}

}  // namespace fluvanet
