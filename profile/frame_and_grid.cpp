#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/finite_reals.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/reference_lists.h"
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

struct LayerColor {
    std::string_view name;
    int32_t color;
};
constexpr LayerColor kProfileLayers[] = {
    {pl::kLabel, 4}, {pl::kData, 2},    {pl::kDimension, 1}, {pl::kFrame, 4},     {pl::kGround, 3},
    {pl::kPipe, 6},  {pl::kManhole, 4}, {pl::kGrid, 9},      {pl::kPlanTitle, 4}, {pl::kPlanStations, 3},
};

// An automatic datum lies this far below the lowest sump, at least.
constexpr double kMetricDatumMargin = 2;
constexpr double kImperialDatumMargin = 6;
constexpr double kNoSump = 1000000000;
constexpr double kNoGround = -1000000000;

// The plot area reaches 10 label heights before the part's first station and after its last.
constexpr double kMarginHeights = 10;

constexpr int32_t kFirstBand = 10;
constexpr int32_t kLastBand = 19;
constexpr int32_t kBandLabel = 1;

// Grid settings items.
constexpr int32_t kDrawLines = 0;
constexpr int32_t kLevelLabelsLeft = 1;
constexpr int32_t kLevelLabelsRight = 2;
constexpr int32_t kLevelSpacing = 3;
constexpr int32_t kStationLabels = 1;
constexpr int32_t kStationSpacing = 2;

constexpr std::string_view kDecimalsPatterns[] = {"0", "0.0", "0.00", "0.000", "0.0000", "0.00000"};
constexpr std::string_view kStationPrefixes[] = {"0+", "0+0", "0+00", "0+000", "0+0000"};

// How many lines a whole part `n` (towards minus infinity) gives: none below 1; more than
// 32,767, or a count that is no number, raise Overflow before the first line is drawn.
int16_t LineCount(double n) {
    constexpr double kBeyond16Bits = 32768;
    if (std::isnan(n)) Raise(ErrorCode::Overflow, "the grid has no line count");
    if (n < 1) return 0;
    return vb::Count16(static_cast<std::size_t>(std::min(n, kBeyond16Bits)));
}

}  // namespace

void Profile::CreateProfileLayers(acad::AcadDocument& AcadActiveDocument) {
    auto layers = AcadActiveDocument.Layers();
    for (const LayerColor& l : kProfileLayers)
        layers->Add(std::string(l.name))->SetTrueColor(std::make_shared<acad::AcadAcCmColor>(l.color));
}

double Profile::GetDatumElevation(const bool& DatumAuto, const double& CustomDatumValue,
                                  const std::string& SumpLevelsString, const std::string& ModelUnits) {
    if (!DatumAuto) return CustomDatumValue;
    double lowest = kNoSump;
    for (const std::string& item : refs::LeadingItems(SumpLevelsString)) lowest = std::min(lowest, vb::Val(item));
    return std::floor(lowest - (ModelUnits == "Metric" ? kMetricDatumMargin : kImperialDatumMargin));
}

double Profile::GetBandLabelsPartLength(acad::AcadDocument& AcadActiveDocument, const Variant& ArProfileStyleSettings) {
    const ProfileTextSettings text = StyleTextSettings(ArProfileStyleSettings);
    const double h = vb::CDbl(Variant(text.labelsHeight));
    double widest = 0;
    for (int32_t band = kFirstBand; band <= kLastBand; ++band) {
        if (StyleSettingsItem(ArProfileStyleSettings, band, style_settings::kBandPosition) == style_settings::kBandOff)
            continue;
        widest = std::max(widest, GetTextLengthOnDrawing(AcadActiveDocument,
                                                         StyleSettingsItem(ArProfileStyleSettings, band, kBandLabel),
                                                         text.style, h));
    }
    return 2 * h + widest;
}

double Profile::GetTextLengthOnDrawing(acad::AcadDocument& AcadActiveDocument, const std::string& MyString,
                                       const std::string& MyTextStyle, const double& MyTextHeight) {
    auto style = ProfileTextStyle(AcadActiveDocument, MyTextStyle);
    // The probe lands on the active layer; a locked one would refuse its style and its delete.
    std::optional<OpenedLayersGuard> unlocked;
    if (auto active = AcadActiveDocument.ActiveLayer(); active && active->Lock())
        unlocked.emplace(*general_, AcadActiveDocument, ";" + active->Name());
    auto probe = AcadActiveDocument.ModelSpace()->AddText(MyString, {0, 0, 0}, MyTextHeight);
    TemporaryEntityGuard deleted(probe);
    probe->SetStyleName(style->Name());
    acad::Point3 low{}, high{};
    probe->GetBoundingBox(low, high);
    deleted.Restore();
    if (unlocked) unlocked->Restore();
    return std::abs(high[0] - low[0]);
}

std::vector<double> Profile::DrawPlotAreaFrame(acad::AcadBlock& BlockDef, const std::vector<double>& RefPoint,
                                               const std::vector<std::string>& ArPartDataStrings,
                                               const Variant& ArProfileStyleSettings, const double& DatumElevation,
                                               const double& VerticalExaggeration) {
    const ProfilePoint ref = ReadProfilePoint(RefPoint);
    RequireFinite("the datum", DatumElevation);
    RequireExaggeration(VerticalExaggeration);
    double lengths = 0;
    for (const std::string& item : refs::LeadingItems(PartsEntry(ArPartDataStrings, parts_entry::kLengths)))
        lengths += vb::Val(item);
    const double h = vb::Val(StyleTextSettings(ArProfileStyleSettings).labelsHeight);
    const double length = 2 * kMarginHeights * h + lengths;
    double highest = kNoGround;
    const std::vector<std::string> ground = GroupedItems(PartsEntry(ArPartDataStrings, parts_entry::kGroundLine), 2);
    for (std::size_t k = 1; k < ground.size(); k += 2) highest = std::max(highest, vb::Val(ground[k]));
    const double height = (1.5 * h + general_->RoundUp(highest - DatumElevation)) * VerticalExaggeration;

    const double left = ref.x - kMarginHeights * h;
    auto frame = BlockDef.AddLightWeightPolyline(
        {left, ref.y, left, ref.y + height, left + length, ref.y + height, left + length, ref.y});
    frame->SetClosed(true);
    frame->SetLayer(std::string(pl::kFrame));
    return {length, height};
}

void Profile::DrawProfileGrid(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                              const std::vector<double>& RefPoint, const std::string& HorizontalGridSettingsString,
                              const std::string& VerticalGridSettingsString, const std::string& StationsSettingsString,
                              const std::string& TextSettingsString, const double& PlotAreaLength,
                              const double& PlotAreaHeight, const double& VerticalExaggeration,
                              const double& DatumElevation, const double& PartStartStation) {
    // Everything is read and every count taken before a layer is opened or a line drawn.
    const ProfilePoint ref = ReadProfilePoint(RefPoint);
    RequireFinite("a size, the datum or the start station of the grid",
                  {PlotAreaLength, PlotAreaHeight, DatumElevation, PartStartStation});
    const double v = VerticalExaggeration;
    RequireExaggeration(v);
    const double h = vb::Val(ReadTextSettings(TextSettingsString).labelsHeight);
    const std::string& levels = HorizontalGridSettingsString;
    const std::string& stations = VerticalGridSettingsString;
    const bool levelLines = ListItem(levels, kDrawLines) == "1";
    const bool labelsLeft = ListItem(levels, kLevelLabelsLeft) == "1";
    const bool labelsRight = ListItem(levels, kLevelLabelsRight) == "1";
    const double levelSpacing = vb::Val(ListItem(levels, kLevelSpacing));
    const bool stationLines = ListItem(stations, kDrawLines) == "1";
    const bool stationLabels = ListItem(stations, kStationLabels) == "1";
    const double stationSpacing = vb::Val(ListItem(stations, kStationSpacing));
    if (levelSpacing == 0) Raise(ErrorCode::DivisionByZero, "the level spacing of the grid is 0");
    if (stationSpacing == 0) Raise(ErrorCode::DivisionByZero, "the station spacing of the grid is 0");

    const int16_t levelCount = LineCount(std::floor((PlotAreaHeight - 1.5 * h * v) / (v * levelSpacing)));
    // A start on a multiple of the spacing is itself the first grid station.
    const double toNext = DistanceToNextMultiple(PartStartStation, stationSpacing);
    const double offset = toNext == stationSpacing ? 0 : toNext;
    const double firstStation = PartStartStation + offset;
    const int16_t stationCount =
        LineCount(std::floor((PlotAreaLength - 2 * kMarginHeights * h - offset) / stationSpacing) + 1);
    std::string pattern;
    if (stationLabels) {
        StationFormatIndexes indexes = ReadStationFormatIndexes(StationsSettingsString);
        // Whole-numbered station lines need no decimals.
        if (vb::Round(stationSpacing, 0) == stationSpacing) indexes.precision = indexes.decimals = "0";
        pattern = GetStationFormatString(indexes.precision, indexes.decimals, indexes.format);
    }

    OpenedLayersGuard opened(*general_, AcadActiveDocument,
                             refs::LeadingList({std::string(pl::kGrid), std::string(pl::kLabel), std::string(pl::kFrame)}));
    const double xL = ref.x - kMarginHeights * h;
    const double xR = xL + PlotAreaLength;
    const double top = ref.y + PlotAreaHeight;
    auto levelY = [&](int32_t i) { return ref.y + i * levelSpacing * v; };
    auto levelText = [&](int32_t i) { return vb::Format(vb::Round(DatumElevation + i * levelSpacing, 3), "0.0##"); };
    auto stationX = [&](int32_t j) { return ref.x + offset + j * stationSpacing; };

    if (levelLines) {
        ActivateLayer(AcadActiveDocument, pl::kGrid);
        for (int32_t i = 1; i <= levelCount; ++i) AddProfileLine(BlockDef, xL, levelY(i), xR, levelY(i));
    }
    // Labels left and right of the frame, each with its tick on the frame's edge.
    auto levelLabels = [&](double textX, int32_t alignment, double tickX, double edgeX) {
        ActivateLayer(AcadActiveDocument, pl::kLabel);
        for (int32_t i = 1; i <= levelCount; ++i) AddProfileText(BlockDef, levelText(i), textX, levelY(i), h, alignment);
        ActivateLayer(AcadActiveDocument, pl::kFrame);
        for (int32_t i = 1; i <= levelCount; ++i) AddProfileLine(BlockDef, tickX, levelY(i), edgeX, levelY(i));
    };
    if (labelsLeft) levelLabels(xL - 1.5 * h, kAlignMiddleRight, xL - h, xL);
    if (labelsRight) levelLabels(xR + 1.5 * h, kAlignMiddleLeft, xR + h, xR);
    if (stationLines) {
        ActivateLayer(AcadActiveDocument, pl::kGrid);
        for (int32_t j = 0; j < stationCount; ++j) AddProfileLine(BlockDef, stationX(j), top, stationX(j), ref.y);
    }
    if (stationLabels) {
        ActivateLayer(AcadActiveDocument, pl::kLabel);
        for (int32_t j = 0; j < stationCount; ++j)
            AddProfileText(BlockDef, vb::Format(firstStation + j * stationSpacing, pattern), stationX(j),
                           top + 1.5 * h, h, kAlignCenter);
        ActivateLayer(AcadActiveDocument, pl::kFrame);
        for (int32_t j = 0; j < stationCount; ++j) AddProfileLine(BlockDef, stationX(j), top + h, stationX(j), top);
    }
    opened.Restore();
}

std::string Profile::GetStationFormatString(const std::string& PrecisionIndex, const std::string& DecimalsIndex,
                                            const std::string& FormatIndex) {
    const int16_t n = vb::CInt(vb::Val(PrecisionIndex) + vb::Val(DecimalsIndex));
    std::string pattern;
    const double f = vb::Val(FormatIndex);
    for (std::size_t k = 0; k < std::size(kStationPrefixes); ++k)
        if (f == static_cast<double>(k)) pattern = kStationPrefixes[k];
    if (n >= 0 && static_cast<std::size_t>(n) < std::size(kDecimalsPatterns))
        pattern += kDecimalsPatterns[static_cast<std::size_t>(n)];
    return pattern;
}

}  // namespace fluvanet
