#pragma once
// The parts data record: 22 texts per profile part, each a list of values every one
// preceded by ";" (split at ";", item 0 is empty and the values are items 1..n). Stations
// in it are local, from the part's first node; a profile station is the part's start
// station S0 plus the local one. Numbers are in their general text form (vb::CStr).
//
//   std::string lengths;
//   AppendItem(lengths, 12.5);               // ";12.5"
//   double first = vb::Val(ListItem(lengths, 1));
//
// Directions: "0" with the profile, anything else against it (RunsAgainst).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"

namespace fluvanet {

namespace parts_entry {
inline constexpr int32_t kPipeIds = 0;         // 1 per pipe, profile order
inline constexpr int32_t kDirections = 1;      // 1 per pipe: "0" / "1"
inline constexpr int32_t kLengths = 2;         // 1 per pipe: length rounded to 7 decimals
inline constexpr int32_t kInverts = 3;         // 2 per pipe: start, end in profile direction, as stored
inline constexpr int32_t kSections = 4;        // 4 per pipe: shape flag, span, rise, cells (SectionItems)
inline constexpr int32_t kSlopes = 5;          // 1 per pipe: |start - end| / length, a fraction
inline constexpr int32_t kMaterials = 6;       // 1 per pipe
inline constexpr int32_t kNodeLabels = 7;      // 1 per part node: pipes + 1
inline constexpr int32_t kNodeGrounds = 8;     // 1 per part node
inline constexpr int32_t kNodeSumps = 9;       // 1 per part node
inline constexpr int32_t kConnectedPipes = 10;  // 6 per pipe met at a part node: station, invert, section
inline constexpr int32_t kDepths = 11;         // 2 per pipe: ground - invert at start, end
inline constexpr int32_t kCovers = 12;         // 2 per pipe: depth - rise at start, end
inline constexpr int32_t kGroundLine = 13;     // 2 per ground point: station, level
inline constexpr int32_t kCrossings = 14;      // 7 per crossing: station, invert, section, network
inline constexpr int32_t kStations = 15;       // 2 per station: local, profile; node pairs, then regular
inline constexpr int32_t kCoordinates = 16;    // 3 per point: station, x, y
inline constexpr int32_t kStationInverts = 17;  // 2 per regular station: station, value
inline constexpr int32_t kStationGrounds = 18;
inline constexpr int32_t kStationDepths = 19;
inline constexpr int32_t kStationCovers = 20;
inline constexpr int32_t kTitlePositions = 21;  // 1 per position: where the name is written in plan
inline constexpr int32_t kCount = 22;
}  // namespace parts_entry

// Items per group of the grouped entries, and of a node's connected-pipe list.
inline constexpr int32_t kConnectedPipeItems = 6;
inline constexpr int32_t kNodePipeItems = 5;
inline constexpr int32_t kCrossingItems = 7;

// list & ";" & value; reals in their general text form.
void AppendItem(std::string& list, std::string_view value);
void AppendItem(std::string& list, double value);

// Item k of the text split at ";" (item 0 of a leading list is the empty text before its
// first ";"). A missing item raises Subscript out of range.
std::string ListItem(std::string_view list, int32_t k);

// A pipe's length in the record: its polyline's length rounded to 7 decimals.
double RoundedLength(const acad::AcadLWPolyline& pipe);

// A part direction item: anything but "0" runs against the profile.
inline bool RunsAgainst(std::string_view direction) { return direction != "0"; }

// ";" & shape flag ("0" circular, "1" any other shape) & ";" & span & ";" & rise & ";" &
// cells, as the pipe record stores them.
std::string SectionItems(const ElementRecord& pipe);

// Entry `entry` of a parts data record; a record without it raises Subscript out of range.
const std::string& PartsEntry(const std::vector<std::string>& record, int32_t entry);

// The items 1..n of a grouped list (connected pipes, crossings, pairs of station and
// value), checked to be whole groups of `groupSize`: a broken group raises Subscript out
// of range before any group is used.
std::vector<std::string> GroupedItems(std::string_view list, int32_t groupSize);

// ---- stations at a regular interval ----

// The distance from `start` to the next multiple of `step` after it: a full step when
// start is a multiple. A quotient within 1e-9 of a whole number counts as whole, so a
// start that is a multiple up to floating error gets the full step, not a sliver.
double DistanceToNextMultiple(double start, double step);
// Raises Invalid procedure call unless the interval is a finite number above 0: a station
// loop with any other would never end or never start.
void RequireStationInterval(double interval);
// The stations from `first` on, each the one before plus the interval, up to `length`. More
// than 32,767 of them, or an interval too small to move on, raise Overflow before the first
// is used.
std::vector<double> RegularStations(double first, double interval, double length);

}  // namespace fluvanet
