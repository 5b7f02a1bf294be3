#pragma once
// The records of a drawn profile and of a profile style: entry numbers and group codes.
//
//   profile block     "Profile"            16 entries: 1001, then 1000, [15] 1070
//   plan annotation   "ProfilePlanAnno"     5 entries: 1001, then 1000
//   style point       "ProfileStylePoint"  21 entries: 1001, then 1000
//
// A style point's [3], [4] and [20] are parallel: item k of each describes the same profile.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"

namespace fluvanet {

namespace profile_entry {
inline constexpr int32_t kCombinedLabel = 1;   // "Profile;" & network & ";" & profile name
inline constexpr int32_t kElementType = 2;     // "Profile"
inline constexpr int32_t kNetworkType = 3;     // "Gravity" / "Pressure"
inline constexpr int32_t kPipeLabels = 4;      // reference list, profile order
inline constexpr int32_t kPipeIds = 5;         // parallel to 4
inline constexpr int32_t kPipeDirections = 6;  // ";0" with the profile, ";1" against it
inline constexpr int32_t kStyleLabel = 7;      // ";RelatedTo" & style name
inline constexpr int32_t kStyleId = 8;         // ";RelatedTo" & style point id
inline constexpr int32_t kPlanAnnoLabel = 9;   // ";RelatedTo" & name & "PlanAnno", or ""
inline constexpr int32_t kPlanAnnoId = 10;     // or ""
inline constexpr int32_t kDatum = 11;          // automatic flag ";" custom datum
inline constexpr int32_t kGround = 12;         // surface flag ";" surface name
inline constexpr int32_t kInsertionPoint = 13;  // x ";" y
inline constexpr int32_t kPlanFlags = 14;      // name shown ";" stations shown
inline constexpr int32_t kNeedsUpdate = 15;    // 1070: 0 drawn, 1 out of date
inline constexpr int32_t kCount = 16;
}  // namespace profile_entry

namespace plan_anno_entry {
inline constexpr int32_t kCombinedLabel = 1;  // "ProfilePlanAnno;" & network & ";" & name & "PlanAnno"
inline constexpr int32_t kElementType = 2;    // "ProfilePlanAnno"
inline constexpr int32_t kProfileLabel = 3;   // ";RelatedTo" & profile name
inline constexpr int32_t kProfileId = 4;      // ";RelatedTo" & profile block id
inline constexpr int32_t kCount = 5;
}  // namespace plan_anno_entry

namespace style_entry {
inline constexpr int32_t kCombinedLabel = 1;    // ";;" & style name
inline constexpr int32_t kElementType = 2;      // "ProfileStylePoint"
inline constexpr int32_t kProfileLabels = 3;    // ";RelatedTo" & profile name, per profile
inline constexpr int32_t kProfileIds = 4;       // ";RelatedTo" & profile block id, per profile
inline constexpr int32_t kFirstSettings = 5;    // text settings; [5] to [19] are settings strings
inline constexpr int32_t kLastSettings = 19;
inline constexpr int32_t kProfileNetworks = 20;  // ";" & network name, per profile
inline constexpr int32_t kCount = 21;
}  // namespace style_entry

// Settings entries and their items (counted from 0), as the profile parts read them.
namespace style_settings {
inline constexpr int32_t kSplit = 6;
inline constexpr int32_t kSplitFlag = 0;       // numeric value not 0: split into parts
inline constexpr int32_t kMaxPartLength = 1;
inline constexpr int32_t kStationsBand = 18;
inline constexpr int32_t kCoordinatesBand = 19;
inline constexpr int32_t kBandPosition = 0;    // kBandOff: the band is not drawn
inline constexpr int32_t kStationInterval = 5;
inline constexpr int32_t kValuesAtStations = 6;  // "1": pipe data at every station
inline constexpr int32_t kCoordAtStations = 3;
inline constexpr int32_t kCoordAtNodes = 4;
inline constexpr int32_t kCoordAtVertices = 5;
inline constexpr std::string_view kBandOff = "999";
}  // namespace style_settings

// Entry `entry` of a style's settings array (the value array of its record) as text, and
// item `item` of that settings string. A missing entry or item raises Subscript out of
// range; settings that are no array raise Type mismatch.
std::string StyleSettingsEntry(const com::Variant& settings, int32_t entry);
std::string StyleSettingsItem(const com::Variant& settings, int32_t entry, int32_t item);

inline constexpr std::string_view kPlanAnnoSuffix = "PlanAnno";

// "Fluvamap_PlanAnno_" & network & "_" & profile name: the plan annotation's block.
inline std::string PlanAnnoBlockName(std::string_view network, std::string_view profile) {
    return "Fluvamap_PlanAnno_" + std::string(network) + "_" + std::string(profile);
}

const std::vector<int16_t>& ProfileRecordCodes();
const std::vector<int16_t>& PlanAnnoRecordCodes();
const std::vector<int16_t>& ProfileStyleRecordCodes();

// ";;" & name: a style point's combined label.
std::string StyleCombinedLabel(std::string_view styleName);

// The style points of project entry 10 in list order, each record handed to `visit` until
// it returns true. Empty items, items that name no object and objects that are no style
// point are passed over; an item that is not a number raises Type mismatch.
void ForEachProfileStylePoint(acad::AcadDocument& doc, const std::function<bool(ElementRecord&)>& visit);

// The first style point in project entry 10 whose [1] is ";;" & name exactly.
std::optional<ElementRecord> FindProfileStylePoint(acad::AcadDocument& doc, std::string_view styleName);

// The block reference an identifier names, with its record, checked to be a profile block.
struct ProfileBlockRecord {
    std::shared_ptr<acad::AcadBlockReference> block;
    ElementRecord record;
};
ProfileBlockRecord OpenProfileBlock(acad::AcadDocument& doc, std::string_view profileId);

class LayersToWrite;
// What FlagProfileForUpdate writes: nothing once the profile is flagged; else the profile's
// record and its stamp, which starts on the active layer.
void AddLayersToFlag(LayersToWrite& layers, const ProfileBlockRecord& profile);

// The record of the pipe an identifier names, checked to be a pipe's.
ElementRecord OpenPipeRecord(acad::AcadDocument& doc, std::string_view pipeId);

}  // namespace fluvanet
