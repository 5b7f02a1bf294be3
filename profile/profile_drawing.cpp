#include "profile/profile_drawing.h"

#include <cmath>

#include "core/finite_reals.h"
#include "platform/vb_convert.h"
#include "profile/parts_data.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;

ProfileTextSettings ReadTextSettings(std::string_view textSettings) {
    ProfileTextSettings s;
    s.titleHeight = ListItem(textSettings, 3);  // the last item first: a short list fails whole
    s.style = ListItem(textSettings, 0);
    s.dataHeight = ListItem(textSettings, 1);
    s.labelsHeight = ListItem(textSettings, 2);
    return s;
}

ProfileTextSettings StyleTextSettings(const Variant& styleSettings) {
    return ReadTextSettings(StyleSettingsEntry(styleSettings, kTextSettingsEntry));
}

std::shared_ptr<acad::AcadTextStyle> ProfileTextStyle(acad::AcadDocument& doc, std::string_view name) {
    auto styles = doc.TextStyles();
    const int32_t count = styles->Count();
    for (int32_t i = 0; i < count; ++i) {
        auto style = styles->Item(Variant(i));
        if (style->Name() == name) return style;
    }
    return doc.ActiveTextStyle();
}

ProfilePoint ReadProfilePoint(const std::vector<double>& point) {
    if (point.size() < 2) Raise(ErrorCode::SubscriptOutOfRange, "a point needs x and y");
    RequireFinite("a point of the profile", {point[0], point[1]});
    return {point[0], point[1]};
}

void RequireExaggeration(double exaggeration) {
    if (exaggeration == 0) Raise(ErrorCode::DivisionByZero, "the vertical exaggeration is 0");
    if (!(std::isfinite(exaggeration) && exaggeration > 0))
        Raise(ErrorCode::InvalidProcedureCall, "the vertical exaggeration must be a finite number above 0");
}

std::shared_ptr<acad::AcadText> AddProfileText(acad::AcadBlock& block, const std::string& text, double x, double y,
                                               double height, int32_t alignment, double rotation,
                                               std::string_view layer) {
    const acad::Point3 at{x, y, 0};
    auto t = block.AddText(text, at, height);
    if (alignment != kAlignLeft) {
        t->SetAlignment(alignment);
        t->SetTextAlignmentPoint(at);
    }
    if (rotation != 0) t->SetRotation(rotation);
    if (!layer.empty()) t->SetLayer(std::string(layer));
    return t;
}

std::shared_ptr<acad::AcadLine> AddProfileLine(acad::AcadBlock& block, double x1, double y1, double x2, double y2,
                                               std::string_view layer) {
    auto line = block.AddLine({x1, y1, 0}, {x2, y2, 0});
    if (!layer.empty()) line->SetLayer(std::string(layer));
    return line;
}

std::shared_ptr<acad::AcadLWPolyline> AddProfilePolyline(acad::AcadBlock& block, const std::vector<double>& vertices,
                                                         std::string_view layer) {
    auto polyline = block.AddLightWeightPolyline(vertices);
    if (!layer.empty()) polyline->SetLayer(std::string(layer));
    return polyline;
}

StationFormatIndexes ReadStationFormatIndexes(std::string_view stationsSettings) {
    constexpr int32_t kPrecision = 2;
    constexpr int32_t kDecimals = 3;
    constexpr int32_t kFormat = 4;
    auto index = [&](int32_t item) { return vb::CStr(int32_t{vb::CInt(vb::Val(ListItem(stationsSettings, item)))}); };
    StationFormatIndexes s;
    s.format = vb::CStr(vb::Val(ListItem(stationsSettings, kFormat)));  // the last item first: a short list fails whole
    s.precision = index(kPrecision);
    s.decimals = index(kDecimals);
    return s;
}

void ActivateLayer(acad::AcadDocument& doc, std::string_view layer) {
    doc.SetActiveLayer(doc.Layers()->Item(Variant(std::string(layer))));
}

}  // namespace fluvanet
