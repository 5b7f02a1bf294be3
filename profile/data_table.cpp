#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/finite_reals.h"
#include "platform/vb_convert.h"
#include "profile/parts_data.h"
#include "profile/profile.h"
#include "profile/profile_drawing.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::Variant;

namespace {

namespace pe = parts_entry;

constexpr int16_t kFirstBand = 10;
constexpr int16_t kLastHorizontalBand = 13;
constexpr int16_t kLastVerticalBand = 17;
constexpr int16_t kLastBand = 19;
constexpr int16_t kNoBand = 999;
constexpr int16_t kBelowAllBands = -999;
constexpr int32_t kOrderPasses = 11;

// A band's data in the parts data record, and the values at regular stations that are
// written into it first (-1: none).
struct BandSource {
    int32_t data;
    int32_t atStations;
};
constexpr std::array<BandSource, kLastBand - kFirstBand + 1> kBandSources{{
    {pe::kSections, -1},
    {pe::kSlopes, -1},
    {pe::kLengths, -1},
    {pe::kMaterials, -1},
    {pe::kNodeGrounds, pe::kStationGrounds},
    {pe::kInverts, pe::kStationInverts},
    {pe::kCovers, pe::kStationCovers},
    {pe::kDepths, pe::kStationDepths},
    {pe::kStations, -1},
    {pe::kCoordinates, -1},
}};

// The style entries of the bands that are on, top band first; {999} when none is.
std::vector<int16_t> BandOrder(const Variant& settings) {
    std::vector<int16_t> order{kNoBand};
    int16_t last = kBelowAllBands;
    std::size_t count = 0;
    for (int32_t pass = 0; pass < kOrderPasses; ++pass) {
        int16_t best = kNoBand;
        int16_t chosen = kNoBand;
        for (int16_t entry = kFirstBand; entry <= kLastBand; ++entry) {
            const std::string position = StyleSettingsItem(settings, entry, style_settings::kBandPosition);
            if (position == style_settings::kBandOff) continue;
            const double value = vb::Val(position);
            if (!(value < best && value > last)) continue;
            const int16_t whole = vb::CInt(value);
            // A position that rounds onto the one chosen before ties with it: without
            // this a band at 2.4 would come back in every pass.
            if (whole <= last) continue;
            best = whole;
            chosen = entry;
        }
        if (best == kNoBand) continue;
        order.resize(count + 1);
        order[count] = chosen;
        ++count;
        last = best;
    }
    return order;
}

}  // namespace

void Profile::DrawProfileTable(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                               const std::vector<double>& RefPoint, const std::vector<std::string>& ArProfileDataStrings,
                               const Variant& ArProfileStyleSettings, const double& BandLabelsPartLength,
                               const double& DatumElevation, const double& PlotAreaLength,
                               const std::string& ProfileLineName, const int16_t& ProfilePartIndex,
                               const int16_t& CountProfileParts) {
    RequireFinite("a length or the datum of the table", {BandLabelsPartLength, DatumElevation, PlotAreaLength});
    const std::vector<int16_t> order = BandOrder(ArProfileStyleSettings);
    if (order[0] == kNoBand) return;

    const ProfileTextSettings text = StyleTextSettings(ArProfileStyleSettings);
    const std::string& textStyle = text.style;
    const double dataHeight = vb::Val(text.dataHeight);
    const double labelsHeight = vb::Val(text.labelsHeight);
    const double titleHeight = vb::Val(text.titleHeight);
    ReadProfilePoint(RefPoint);
    // A short record fails before the first band is drawn.
    PartsEntry(ArProfileDataStrings, pe::kCount - 1);
    const std::string& lengths = PartsEntry(ArProfileDataStrings, pe::kLengths);

    std::vector<double> bandPoint = RefPoint;
    const int16_t n = static_cast<int16_t>(vb::Count16(order.size()) - 1);
    for (int16_t k = 0; k <= n; ++k) {
        const int16_t band = order[static_cast<std::size_t>(k)];
        const int16_t after = static_cast<int16_t>(n - k);
        const BandSource source = kBandSources[static_cast<std::size_t>(band - kFirstBand)];
        const std::string settings = StyleSettingsEntry(ArProfileStyleSettings, band);
        const std::string& data = PartsEntry(ArProfileDataStrings, source.data);
        if (band <= kLastHorizontalBand) {
            bandPoint = DrawHorizontalBand(BlockDef, bandPoint, settings, lengths, data, textStyle, labelsHeight,
                                           dataHeight, BandLabelsPartLength, band, after);
        } else if (band <= kLastVerticalBand) {
            const std::string& atStations = PartsEntry(ArProfileDataStrings, source.atStations);
            // Written into the vertical band that follows at the same place: no label, and
            // the point stays where it is.
            if (!atStations.empty())
                DrawDistanceDataBand(AcadActiveDocument, BlockDef, bandPoint, settings, lengths, atStations, textStyle,
                                     labelsHeight, dataHeight, BandLabelsPartLength, band, 0, after);
            bandPoint = DrawVerticalBand(AcadActiveDocument, BlockDef, bandPoint, settings, lengths, data, textStyle,
                                         labelsHeight, dataHeight, BandLabelsPartLength, band,
                                         Variant(static_cast<int32_t>(after)));
        } else {
            Variant next = DrawDistanceDataBand(AcadActiveDocument, BlockDef, bandPoint, settings, lengths, data,
                                                textStyle, labelsHeight, dataHeight, BandLabelsPartLength, band, 1,
                                                after);
            bandPoint = com::FromVariant<std::vector<double>>(next);
        }
    }

    CompleteProfileFrame(BlockDef, RefPoint, bandPoint, BandLabelsPartLength, DatumElevation, PlotAreaLength,
                         labelsHeight, textStyle, ProfileLineName, ProfilePartIndex, CountProfileParts, titleHeight);
}

void Profile::CompleteProfileFrame(acad::AcadBlock& BlockDef, const std::vector<double>& ProfileRefPoint,
                                   const std::vector<double>& BandRefPoint, const double& BandLabelsPartLength,
                                   const double& DatumElevation, const double& PlotAreaLength,
                                   const double& LabelsTextHeight, const std::string& /*TextStyle*/,
                                   const std::string& ProfileLineName, const int16_t& ProfilePartIndex,
                                   const int16_t& CountProfileParts, const double& TitleTextHeight) {
    RequireFinite("a length, text height or the datum of the frame",
                  {BandLabelsPartLength, DatumElevation, PlotAreaLength, LabelsTextHeight, TitleTextHeight});
    const ProfilePoint origin = ReadProfilePoint(ProfileRefPoint);
    const double bottom = ReadProfilePoint(BandRefPoint).y;
    const double h = LabelsTextHeight;
    const double plotLeft = origin.x - 10 * h;
    const double columnLeft = plotLeft - BandLabelsPartLength;
    const double plotRight = origin.x + PlotAreaLength - 10 * h;

    AddProfileLine(BlockDef, columnLeft, origin.y, plotLeft, origin.y, profile_layer::kFrame);
    AddProfileLine(BlockDef, columnLeft, origin.y, columnLeft, bottom, profile_layer::kFrame);
    AddProfileLine(BlockDef, plotLeft, origin.y, plotLeft, bottom, profile_layer::kFrame);
    AddProfileLine(BlockDef, plotRight, origin.y, plotRight, bottom, profile_layer::kFrame);

    AddProfileText(BlockDef, "DATUM  " + vb::Format(vb::Round(DatumElevation, 3), "0.00#"), origin.x - 12 * h,
                   origin.y + h / 2, h, kAlignRight, 0, profile_layer::kLabel);

    std::string title = "%%u" + ProfileLineName;
    if (CountProfileParts != 1)
        title += "  (Part " + vb::CStr(static_cast<int32_t>(ProfilePartIndex) + 1) + "/" +
                 vb::CStr(static_cast<int32_t>(CountProfileParts)) + ")";
    AddProfileText(BlockDef, title, plotLeft + PlotAreaLength / 2, bottom - 2 * TitleTextHeight, TitleTextHeight,
                   kAlignCenter, 0, profile_layer::kLabel);
}

double Profile::GetDataTextShift(const double& Distance, const std::vector<double>& ArProhibitedDistance,
                                 const double& BufferDistance, const bool& AllowExactlyNodeDistance,
                                 const double& TextHeight) {
    double shift = 0;
    const int16_t count = vb::Count16(ArProhibitedDistance.size());
    for (int16_t c = 0; c < count; ++c) {
        const double node = ArProhibitedDistance[static_cast<std::size_t>(c)];
        const double d = vb::Round(node - Distance, 7);
        if (std::abs(d) < BufferDistance) {
            const double gap = std::abs(1.2 * TextHeight - std::abs(d));
            if (d > 0) {
                shift = -gap;
            } else if (d < 0) {
                shift = gap;
            } else if (!AllowExactlyNodeDistance) {
                shift = 999;
            }
        }
        if (node > Distance) break;
    }
    return shift;
}

std::vector<double> Profile::GetProhibitedDistancesArray(const std::vector<std::string>& ArLengthData) {
    const int16_t count = vb::Count16(ArLengthData.size());
    std::vector<double> stations(ArLengthData.size());
    double running = 0;
    for (int16_t i = 0; i < count; ++i) {
        running += vb::Val(ArLengthData[static_cast<std::size_t>(i)]);
        stations[static_cast<std::size_t>(i)] = running;
    }
    return stations;
}

double Profile::GetLongestTextLength(acad::AcadDocument& AcadActiveDocument, const std::string& String1,
                                     const std::string& String2, const std::string& String3,
                                     const std::string& String4, const std::string& TextStyle,
                                     const double& TextHeight) {
    double longest = 0;
    for (const std::string* text : {&String1, &String2, &String3, &String4}) {
        const double length = GetTextLengthOnDrawing(AcadActiveDocument, *text, TextStyle, TextHeight);
        if (length > longest) longest = length;
    }
    return longest;
}

}  // namespace fluvanet
