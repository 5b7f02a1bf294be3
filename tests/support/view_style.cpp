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

const std::array<const char*, 38> kViewStyleCheckBoxes{
    "chk_LabelPipeGravity",       "chk_LengthPipeGravity",      "chk_SizePipeGravity",
    "chk_SlopePipeGravity",       "chk_MaterialPipeGravity",    "chk_USInvertPipeGravity",
    "chk_DSInvertPipeGravity",    "chk_USGroundPipeGravity",    "chk_DSGroundPipeGravity",
    "chk_USCoverPipeGravity",     "chk_DSCoverPipeGravity",     "chk_USDepthPipeGravity",
    "chk_DSDepthPipeGravity",     "chk_ArrowPipeGravity",       "chk_LabelPipePressure",
    "chk_LengthPipePressure",     "chk_SizePipePressure",       "chk_SlopePipePressure",
    "chk_MaterialPipePressure",   "chk_StartInvertPipePressure", "chk_EndInvertPipePressure",
    "chk_StartGroundPipePressure", "chk_EndGroundPipePressure", "chk_StartCoverPipePressure",
    "chk_EndCoverPipePressure",   "chk_StartDepthPipePressure", "chk_EndDepthPipePressure",
    "chk_ArrowPipePressure",      "chk_LabelNodeGravity",       "chk_GroundNodeGravity",
    "chk_SumpNodeGravity",        "chk_DepthNodeGravity",       "chk_LabelNodePressure",
    "chk_GroundNodePressure",     "chk_SumpNodePressure",       "chk_DepthNodePressure",
    "chk_CoordinatesNodeGravity", "chk_CoordinatesNodePressure"};

std::shared_ptr<host::Form> ViewStyleDialog(const std::vector<std::string>& textStyles, const std::string& shownStyle) {
    auto form = std::make_shared<host::Form>();
    form->AddComboBox("cmb_StyleName", {shownStyle})->SetText(shownStyle);
    form->AddComboBox("cmb_TextStyle", textStyles);
    form->AddTextBox("txt_TextHeight");
    for (const char* name : kViewStyleCheckBoxes) form->AddCheckBox(name);
    form->AddCommandButton("cmd_DeleteStyle");
    form->AddCommandButton("cmd_RenameStyle");
    return form;
}

}  // namespace testing_support
