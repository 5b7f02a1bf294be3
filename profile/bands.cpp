#include <cstdint>
#include <string>
#include <vector>

#include "annotation/view_style.h"
#include "core/finite_reals.h"
#include "core/general.h"
#include "core/reference_lists.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/parts_data.h"
#include "profile/profile.h"
#include "profile/profile_drawing.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;

namespace {

constexpr int16_t kSizeBand = 10;
constexpr int16_t kSlopeBand = 11;
constexpr int16_t kLengthBand = 12;
constexpr int16_t kMaterialBand = 13;
constexpr int16_t kGroundBand = 14;
constexpr int16_t kLastVerticalBand = 17;
constexpr int16_t kStationsBand = 18;
constexpr int16_t kCoordinatesBand = 19;

constexpr int32_t kSectionItems = 4;
constexpr int32_t kCoordinateItems = 3;
constexpr double kOnNodeStation = 999;
// Reading upwards, as written.
constexpr double kUpright = 282.74333886 / 180;
constexpr std::string_view kDiameterCode = "%%c";

void RequireBand(int16_t band, int16_t first, int16_t last, std::string_view kind) {
    if (band < first || band > last)
        Raise(ErrorCode::InvalidProcedureCall, "band " + std::to_string(band) + " is no " + std::string(kind));
}

// A band settings item as a whole 16-bit number, and that number as the text the number
// patterns take.
int16_t WholeItem(const std::string& settings, int32_t item) { return vb::CInt(vb::Val(ListItem(settings, item))); }
std::string WholeItemText(const std::string& settings, int32_t item) {
    return vb::CStr(static_cast<int32_t>(WholeItem(settings, item)));
}

// Band data as items 1..n (items[i - 1] is item i), in whole groups.
struct BandItems {
    BandItems(const std::string& list, int32_t group)
        : items(GroupedItems(list, group)), upper(vb::Count16(items.size())) {}
    const std::string& operator[](int32_t i) const { return items[static_cast<std::size_t>(i - 1)]; }
    std::vector<std::string> items;
    int32_t upper;
};

// A value rounded to the precision and written with the band's pattern.
struct NumberText {
    int16_t precision = 0;
    std::string pattern;
    std::string operator()(const std::string& item) const {
        return vb::Format(vb::Round(vb::Val(item), precision), pattern);
    }
};

// What every band kind shares: its top left at the band reference point, its label in the
// band label column and its bottom line.
struct Band {
    acad::AcadBlock& block;
    std::vector<double>& point;
    ProfilePoint top;
    double h;
    double labelsPart;

    void Label(const std::string& settings, double height) const {
        AddProfileText(block, ListItem(settings, 1), top.x - 10 * h - labelsPart + h, top.y - height / 2 - h / 2, h,
                       kAlignLeft, 0, profile_layer::kLabel);
    }
    // The bottom line, then the point lowered to the next band's top.
    std::vector<double> Close(double height, double partLength, bool lastBand) const {
        const double y = top.y - height;
        AddProfileLine(block, top.x - 10 * h - labelsPart, y, top.x + partLength + 10 * h, y,
                       lastBand ? profile_layer::kFrame : profile_layer::kDimension);
        point[1] = y;
        return point;
    }
    void Upright(const std::string& text, double x, double t) const {
        AddProfileText(block, text, x, top.y - 1.25 * t, t, kAlignMiddleRight, kUpright, profile_layer::kData);
    }
};

}  // namespace

std::vector<double> Profile::DrawHorizontalBand(acad::AcadBlock& BlockDef, std::vector<double>& BandRefPoint,
                                                const std::string& BandSettingsString,
                                                const std::string& LengthDataString, const std::string& BandDataString,
                                                const std::string& /*TextStyle*/, const double& LabelsTextHeight,
                                                const double& DataTextHeight, const double& BandLabelsPartLength,
                                                const int16_t& BandIndex, const int16_t& IsLastBandIndicator) {
    RequireBand(BandIndex, kSizeBand, kMaterialBand, "horizontal band");
    RequireFinite("a text height or the band label column", {LabelsTextHeight, DataTextHeight, BandLabelsPartLength});
    const Band band{BlockDef, BandRefPoint, ReadProfilePoint(BandRefPoint), LabelsTextHeight, BandLabelsPartLength};
    const double t = DataTextHeight;
    const double height = 3 * band.h;
    const std::string& settings = BandSettingsString;
    const int32_t step = BandIndex == kSizeBand ? kSectionItems : 1;
    const BandItems data(BandDataString, step);

    // Every settings item the band reads, before anything is drawn.
    ListItem(settings, 1);
    const bool arrows = WholeItem(settings, 2) == 1;
    const bool merge = BandIndex != kLengthBand && WholeItem(settings, 3) == 1;
    std::string slopePrecision, slopeDecimals, slopeFormat;
    NumberText length;
    if (BandIndex == kSlopeBand) {
        slopePrecision = WholeItemText(settings, 4);
        slopeDecimals = WholeItemText(settings, 5);
        slopeFormat = WholeItemText(settings, 6);
    } else if (BandIndex == kLengthBand) {
        length = {WholeItem(settings, 3),
                  viewStyle_->GetDecimalsString(WholeItemText(settings, 3), WholeItemText(settings, 4))};
    }
    auto groupText = [&](int32_t i) -> std::string {
        switch (BandIndex) {
        case kSizeBand:
            return GetSectionSizeStringForProfile(vb::CInt(Variant(data[i])), vb::CDbl(Variant(data[i + 1])),
                                                  vb::CDbl(Variant(data[i + 2])), vb::CInt(Variant(data[i + 3])));
        case kSlopeBand:
            // An unknown slope format gives Empty: the empty text.
            return vb::CStr(general_->BuildSlopeString(vb::Val(data[i]), slopePrecision, slopeDecimals, slopeFormat));
        case kLengthBand:
            return length(data[i]);
        default:
            return data[i];
        }
    };

    band.Label(settings, height);
    AddBandSeparator(BlockDef, band.top.x, band.top.y, height);
    double runStart = 0, runWidth = 0;
    for (int32_t i = 1; i <= data.upper; i += step) {
        std::string text = groupText(i);
        runWidth += vb::Val(ListItem(LengthDataString, BandIndex == kSizeBand ? (i - 1) / kSectionItems + 1 : i));
        if (merge && data.upper >= i + step && groupText(i + step) == text) continue;

        if (text.starts_with(kDiameterCode)) text = vb::Mid(text, 4);
        const double x1 = band.top.x + runStart, x2 = x1 + runWidth;
        auto written = AddProfileText(BlockDef, text, x1 + runWidth / 2, band.top.y - height / 2 - t / 2, t,
                                      kAlignCenter, 0, profile_layer::kData);
        AddBandSeparator(BlockDef, x2, band.top.y, height);
        if (arrows) AddBandArrow(BlockDef, x1, x2, band.top.y, height, *written);
        runStart += runWidth;
        runWidth = 0;
    }
    return band.Close(height, runStart, IsLastBandIndicator == 0);
}

std::vector<double> Profile::DrawVerticalBand(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                                              std::vector<double>& BandRefPoint, const std::string& BandSettingsString,
                                              const std::string& LengthDataString, const std::string& BandDataString,
                                              const std::string& TextStyle, const double& LabelsTextHeight,
                                              const double& DataTextHeight, const double& BandLabelsPartLength,
                                              const int16_t& BandIndex, const Variant& IsLastBandIndicator) {
    RequireBand(BandIndex, kGroundBand, kLastVerticalBand, "vertical band");
    RequireFinite("a text height or the band label column", {LabelsTextHeight, DataTextHeight, BandLabelsPartLength});
    const Band band{BlockDef, BandRefPoint, ReadProfilePoint(BandRefPoint), LabelsTextHeight, BandLabelsPartLength};
    const double t = DataTextHeight;
    const std::string& settings = BandSettingsString;
    const bool lastBand = vb::CLng(IsLastBandIndicator) == 0;
    const int32_t step = BandIndex == kGroundBand ? 1 : 2;
    const BandItems data(BandDataString, step);
    const int32_t lengthUpper = vb::Count16(refs::LeadingItems(LengthDataString).size());

    ListItem(settings, 1);
    const NumberText number{WholeItem(settings, 2),
                            viewStyle_->GetDecimalsString(WholeItemText(settings, 2), WholeItemText(settings, 3))};
    // An empty list has no last item: Subscript out of range, before anything is drawn.
    const double height =
        2 * t + GetTextLengthOnDrawing(AcadActiveDocument, number(ListItem(BandDataString, data.upper)), TextStyle, t);

    band.Label(settings, height);
    double s = 0;
    for (int32_t i = 1; i <= data.upper; i += step) {
        const std::string a = number(data[i]);
        std::string b, previous = a;
        if (BandIndex != kGroundBand) {
            // Item i is the pipe's start value, i + 1 its end value; a value shared with the
            // next pipe is written once, by that pipe.
            b = number(data[i + 1]);
            if (i >= 2) previous = number(data[i - 1]);
            const std::string next = data.upper < i + 2 ? std::string() : number(data[i + 2]);
            if (next == b) b.clear();
        }
        const int32_t k = (i + step - 1) / step;
        const double l = k <= lengthUpper ? vb::Val(ListItem(LengthDataString, k)) : 0;

        const bool differs = previous != a;
        band.Upright(a, band.top.x + s + (differs ? t : 0), t);
        AddBandTick(BlockDef, band.top.x + s, band.top.y, differs ? height : 0.75 * t);
        if (!b.empty()) {
            if (i + 1 == data.upper) {
                band.Upright(b, band.top.x + s + l, t);
                AddBandTick(BlockDef, band.top.x + s + l, band.top.y, 0.75 * t);
            } else {
                band.Upright(b, band.top.x + s + l - t, t);
            }
        }
        s += l;
    }
    return band.Close(height, s, lastBand);
}

Variant Profile::DrawDistanceDataBand(acad::AcadDocument& AcadActiveDocument, acad::AcadBlock& BlockDef,
                                      std::vector<double>& BandRefPoint, const std::string& BandSettingsString,
                                      const std::string& LengthDataString, const std::string& BandDataString,
                                      const std::string& TextStyle, const double& LabelsTextHeight,
                                      const double& DataTextHeight, const double& BandLabelsPartLength,
                                      const int16_t& BandIndex, const int16_t& DrawBandLabel,
                                      const int16_t& IsLastBandIndicator) {
    RequireBand(BandIndex, kGroundBand, kCoordinatesBand, "band of distances");
    RequireFinite("a text height or the band label column", {LabelsTextHeight, DataTextHeight, BandLabelsPartLength});
    const Band band{BlockDef, BandRefPoint, ReadProfilePoint(BandRefPoint), LabelsTextHeight, BandLabelsPartLength};
    if (BandDataString.empty()) return com::ToVariant(BandRefPoint);

    const double t = DataTextHeight;
    const std::string& settings = BandSettingsString;
    const int32_t step = BandIndex == kCoordinatesBand ? kCoordinateItems : 2;
    const BandItems data(BandDataString, step);
    const std::vector<double> nodes = GetProhibitedDistancesArray(vb::Split(LengthDataString, ";"));

    ListItem(settings, 1);
    NumberText number;
    number.precision = WholeItem(settings, 2);
    bool clearOfNodes = false;
    double height = 0;
    auto last = [&] { return ListItem(BandDataString, data.upper); };
    if (BandIndex == kStationsBand) {
        number.pattern =
            GetStationFormatString(WholeItemText(settings, 2), WholeItemText(settings, 3), WholeItemText(settings, 4));
        height = 2 * t + GetTextLengthOnDrawing(AcadActiveDocument, number(last()), TextStyle, t);
    } else if (BandIndex == kCoordinatesBand) {
        number.pattern = viewStyle_->GetDecimalsString(WholeItemText(settings, 2), "0");
        clearOfNodes = ListItem(settings, 4) == "1";
        auto item = [&](int32_t i) { return number(ListItem(BandDataString, i)); };
        height = 2 * t + GetLongestTextLength(AcadActiveDocument, "E " + item(2), "N " + item(3),
                                              "E " + item(data.upper - 1), "N " + item(data.upper), TextStyle, t);
    } else {
        number.pattern = viewStyle_->GetDecimalsString(WholeItemText(settings, 2), WholeItemText(settings, 3));
        height = 2 * t + GetTextLengthOnDrawing(AcadActiveDocument, number(last()), TextStyle, t);
    }

    for (int32_t i = 1; i <= data.upper; i += step) {
        const double d = vb::Val(data[i]);
        std::string first, second;
        double shift = 0;
        if (BandIndex == kStationsBand) {
            first = number(data[i + 1]);
            shift = GetDataTextShift(d, nodes, t, true, t);
        } else if (BandIndex == kCoordinatesBand) {
            first = "E " + number(data[i + 1]);
            second = "N " + number(data[i + 2]);
            if (clearOfNodes) shift = GetDataTextShift(d, nodes, 3.2 * t, true, t);
        } else {
            first = number(data[i + 1]);
            shift = GetDataTextShift(d, nodes, t, false, t);
        }
        if (shift == kOnNodeStation) continue;

        const double x = band.top.x + d;
        if (second.empty()) {
            band.Upright(first, x + shift, t);
            AddBandTick(BlockDef, x, band.top.y, 0.75 * t);
        } else {
            band.Upright(first, x + (shift > 0 ? 0.8 * t : shift < 0 ? -2.2 * t : -t), t);
            AddBandTick(BlockDef, x, band.top.y, height);
            band.Upright(second, x + (shift > 0 ? 2.2 * t : shift < 0 ? -0.8 * t : t), t);
        }
    }

    if (DrawBandLabel != 1) return Variant();
    if (nodes.empty()) Raise(ErrorCode::SubscriptOutOfRange, "a band of distances needs the part's lengths");
    band.Label(settings, height);
    return com::ToVariant(band.Close(height, nodes.back(), IsLastBandIndicator == 0));
}

void Profile::AddBandArrow(acad::AcadBlock& BlockDef, const double& X1, const double& X2, const double& Y,
                           const double& BandHeight, acad::AcadText& MiddleText) {
    RequireFinite("a place or height of the arrow", {X1, X2, Y, BandHeight});
    const double th = MiddleText.Height();
    acad::Point3 low{}, high{};
    MiddleText.GetBoundingBox(low, high);
    const double w = high[0] - low[0];
    if (3 * th + w > X2 - X1) return;

    const double ym = Y - BandHeight / 2;
    const double middle = (X1 + X2) / 2;
    auto line = AddProfileLine(BlockDef, X1, ym, middle - w / 2 - th, ym, profile_layer::kDimension);
    auto head = BlockDef.AddLightWeightPolyline({X1, ym, X1 + th, ym});
    head->SetWidth(0, 0, th / 2);
    head->SetLayer(std::string(profile_layer::kDimension));
    // The copies keep the layer; their tips point out to X2.
    const acad::Point3 axisFrom{middle, Y - BandHeight, 0}, axisTo{middle, Y - BandHeight / 2, 0};
    line->Mirror(axisFrom, axisTo);
    head->Mirror(axisFrom, axisTo);
}

void Profile::AddBandTick(acad::AcadBlock& BlockDef, const double& X, const double& Y, const double& TickHeight) {
    RequireFinite("a place or height of the tick", {X, Y, TickHeight});
    AddProfileLine(BlockDef, X, Y, X, Y - TickHeight, profile_layer::kDimension);
}

void Profile::AddBandSeparator(acad::AcadBlock& BlockDef, const double& X, const double& Y, const double& BandHeight) {
    AddBandTick(BlockDef, X, Y, BandHeight);
}

}  // namespace fluvanet
