#pragma once
// What every method that draws into a profile block shares: the profile layers, the text
// settings of a style and the text style they name, the part's reference point, the
// exaggeration check, and texts and lines put into the block in the platform's order.
//
//   ProfileTextSettings text = StyleTextSettings(settings);   // entry 5, four items
//   ProfilePoint ref = ReadProfilePoint(RefPoint);
//   AddProfileText(BlockDef, "0+020", ref.x + 20, ref.y, h, kAlignCenter, 0, profile_layer::kLabel);

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/layer_state.h"
#include "platform/acad_document.h"

namespace fluvanet {

namespace profile_layer {
inline constexpr std::string_view kLabel = "Profile - Label";
inline constexpr std::string_view kData = "Profile - Data";
inline constexpr std::string_view kDimension = "Profile - Dimension";
inline constexpr std::string_view kFrame = "Profile - Frame";
inline constexpr std::string_view kGround = "Profile - Ground";
inline constexpr std::string_view kPipe = "Profile - Pipe";
inline constexpr std::string_view kManhole = "Profile - Manhole";
inline constexpr std::string_view kGrid = "Profile - Grid";
inline constexpr std::string_view kPlanTitle = "Profile - Plan Title";
inline constexpr std::string_view kPlanStations = "Profile - Plan Stations";
}  // namespace profile_layer

// AutoCAD text alignments as profiles use them.
inline constexpr int32_t kAlignLeft = 0;
inline constexpr int32_t kAlignCenter = 1;
inline constexpr int32_t kAlignRight = 2;
inline constexpr int32_t kAlignMiddleLeft = 9;
inline constexpr int32_t kAlignMiddleCenter = 10;
inline constexpr int32_t kAlignMiddleRight = 11;

// The text settings of a profile style (settings entry 5), as texts: each reader converts
// the heights by its own rule.
inline constexpr int32_t kTextSettingsEntry = 5;
struct ProfileTextSettings {
    std::string style;
    std::string dataHeight;
    std::string labelsHeight;
    std::string titleHeight;
};
// Fewer than four items raise Subscript out of range.
ProfileTextSettings ReadTextSettings(std::string_view textSettings);
ProfileTextSettings StyleTextSettings(const com::Variant& styleSettings);  // its entry 5

// The drawing's text style whose name equals `name` exactly (case counts), else the
// document's active style: a style missing from the drawing never fails a profile.
std::shared_ptr<acad::AcadTextStyle> ProfileTextStyle(acad::AcadDocument& doc, std::string_view name);

// x and y of a point passed as an array of reals; fewer than two raise Subscript out of range,
// and one that is no finite number Invalid procedure call.
struct ProfilePoint {
    double x = 0;
    double y = 0;
};
ProfilePoint ReadProfilePoint(const std::vector<double>& point);

// Levels are multiplied by the exaggeration and some sizes divided by it: 0 raises
// Division by zero and anything else that is not a finite number above 0 Invalid
// procedure call, before anything is drawn.
void RequireExaggeration(double exaggeration);

// A text of `height` at (x, y): added, aligned, placed by its alignment point, turned, and
// put on `layer` last (the platform refuses changes on a locked layer). A left text stays
// at its insertion point; an empty layer leaves it on the active layer.
std::shared_ptr<acad::AcadText> AddProfileText(acad::AcadBlock& block, const std::string& text, double x, double y,
                                               double height, int32_t alignment = kAlignLeft, double rotation = 0,
                                               std::string_view layer = {});
std::shared_ptr<acad::AcadLine> AddProfileLine(acad::AcadBlock& block, double x1, double y1, double x2, double y2,
                                               std::string_view layer = {});
std::shared_ptr<acad::AcadLWPolyline> AddProfilePolyline(acad::AcadBlock& block, const std::vector<double>& vertices,
                                                         std::string_view layer = {});

// A probe entity deleted at the end: Restore() at the normal end lets a failing delete
// through; on an error path the original error propagates.
class TemporaryEntityGuard : public StateGuard {
public:
    explicit TemporaryEntityGuard(std::shared_ptr<acad::AcadEntity> entity) {
        Arm([entity = std::move(entity)] { entity->Delete(); });
    }
};

// The three arguments of GetStationFormatString as the stations settings (style entry 18)
// give them: precision and decimals index (items 2 and 3) as 16-bit integers, halves to
// even, the format index (item 4) as a number, each written back as text. A missing item
// raises Subscript out of range.
struct StationFormatIndexes {
    std::string precision;
    std::string decimals;
    std::string format;
};
StationFormatIndexes ReadStationFormatIndexes(std::string_view stationsSettings);

// Makes the layer of that name the document's active layer.
void ActivateLayer(acad::AcadDocument& doc, std::string_view layer);

}  // namespace fluvanet
