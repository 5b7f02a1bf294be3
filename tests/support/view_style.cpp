#include "tests/support/view_style.h"

#include "platform/vb_text.h"
#include "tests/support/xdata.h"

namespace testing_support {

std::vector<std::string> ViewStyleSettings(const std::map<int, std::string>& overrides, const std::string& name) {
    std::vector<std::string> s = host::StandardViewStyleSettings();
    s[1] = ";;" + name;
    for (const auto& [entry, value] : overrides) s.at(static_cast<std::size_t>(entry)) = value;
    return s;
}

com::Variant SettingsVariant(const std::vector<std::string>& settings) {
    return com::Variant(com::SafeArray::FromStrings(settings));
}

std::shared_ptr<acad::AcadPoint> AddActiveViewStyle(acad::AcadDocument& doc, const std::vector<std::string>& settings) {
    auto point = doc.ModelSpace()->AddPoint({0, 0, 0});
    point->SetLayer("0");
    point->SetVisible(false);
    std::vector<com::Variant> texts(settings.begin() + 1, settings.end());
    SetTextRecord(*point, texts);

    auto ms = doc.ModelSpace();
    com::Variant codes, values;
    ms->GetXData("Fluvamap", codes, values);
    com::SafeArray v = values.Array();
    std::vector<std::string> items = vb::Split(vb::CStr(v.Get(1)), ";");
    std::string name = settings[1].size() > 2 ? settings[1].substr(2) : "";
    std::string list = name + ";";
    for (std::size_t i = 1; i + 1 < items.size(); ++i) list += items[i] + ";";
    if (items.size() < 3) list += ";";  // keep the visibility item
    list += std::to_string(point->ObjectID()) + ";";
    v.Put(1, com::Variant(list));
    ms->SetXData(codes, com::Variant(v));
    return point;
}

}  // namespace testing_support
