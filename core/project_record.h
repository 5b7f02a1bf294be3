#pragma once
// The project record: the model-space block's "Fluvamap" record. Read fresh by every
// operation; written back whole with the group codes as the host created them, so the
// number of entries never changes. The library never creates it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/element_records.h"

namespace fluvanet {

namespace project_entry {
inline constexpr int32_t kApplication = 0;
inline constexpr int32_t kViewStyles = 1;        // trailing: active style, visibility, style point ids
inline constexpr int32_t kEventsFlag = 2;        // 1070
inline constexpr int32_t kNetworkNames = 3;      // trailing
inline constexpr int32_t kNetworkTypes = 4;      // trailing, parallel to 3
inline constexpr int32_t kMaterialLibrary = 5;   // identifier of the material library point
inline constexpr int32_t kSizeLibrary = 6;       // identifier of the section-size library point
inline constexpr int32_t kModelUnits = 7;        // "Metric" or another value ("US")
inline constexpr int32_t kCrossingSettings = 8;  // pair list: minimum clearance, then network pairs
inline constexpr int32_t kLowHighSettings = 9;   // trailing: pressure networks whose markers show
inline constexpr int32_t kProfileStyles = 10;    // trailing: profile style point ids
inline constexpr int32_t kProjectVersion = 11;
}  // namespace project_entry

class ProjectRecord {
public:
    // A drawing without a record raises Type mismatch.
    static ProjectRecord Read(acad::AcadDocument& doc);
    static std::optional<ProjectRecord> ReadIfPresent(acad::AcadDocument& doc);

    // A missing entry raises Subscript out of range.
    const com::Variant& Get(int32_t entry) const { return record_.Get(entry); }
    std::string Text(int32_t entry) const { return record_.Text(entry); }
    void Set(int32_t entry, com::Variant value) { record_.Set(entry, std::move(value)); }
    void Write() { record_.Write(); }
    int32_t Count() const noexcept { return record_.Count(); }

private:
    explicit ProjectRecord(ElementRecord record) : record_(std::move(record)) {}
    ElementRecord record_;
};

// The items of entry 1.
namespace view_style_item {
inline constexpr int32_t kActiveStyle = 0;
inline constexpr int32_t kVisibility = 1;  // one character per network, "1" visible
inline constexpr int32_t kFirstPoint = 2;  // then one view-style point identifier each
}  // namespace view_style_item

// Entry 1 as items; the host writes at least the active view style and the visibility
// string, and fewer raise Subscript out of range.
std::vector<std::string> ViewStyleItems(const ProjectRecord& record);

}  // namespace fluvanet
