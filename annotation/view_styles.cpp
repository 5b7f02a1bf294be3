#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "annotation/view_style.h"
#include "core/element_records.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"

namespace fluvanet {

using com::CallType;
using com::ErrorCode;
using com::ObjectPtr;
using com::Raise;
using com::SafeArray;
using com::Variant;

namespace {

// A view-style point's record and the settings array that mirrors it.
constexpr int32_t kSettingsCount = 43;
constexpr int32_t kLastSetting = kSettingsCount - 1;
namespace setting {
constexpr int32_t kApplication = 0;
constexpr int32_t kStyleName = 1;  // ";;" & the style name
constexpr int32_t kElementType = 2;
constexpr int32_t kTextStyle = 3;
constexpr int32_t kTextHeight = 4;
constexpr int32_t kFirstFlag = 5;
constexpr int32_t kGravityCoordinates = 41;
constexpr int32_t kPressureCoordinates = 42;
}  // namespace setting

// What a record older than the coordinate settings reads there: not shown.
constexpr std::string_view kNoCoordinates = "0;2;0";
constexpr std::string_view kStandard = "Standard";

// The dialog's check box of each label flag, settings entries 5 to 42 in order.
constexpr std::array<std::string_view, kSettingsCount - setting::kFirstFlag> kFlagCheckBoxes{
    "chk_LabelPipeGravity",        "chk_LengthPipeGravity",       "chk_SizePipeGravity",
    "chk_SlopePipeGravity",        "chk_MaterialPipeGravity",     "chk_USInvertPipeGravity",
    "chk_DSInvertPipeGravity",     "chk_USGroundPipeGravity",     "chk_DSGroundPipeGravity",
    "chk_USCoverPipeGravity",      "chk_DSCoverPipeGravity",      "chk_USDepthPipeGravity",
    "chk_DSDepthPipeGravity",      "chk_ArrowPipeGravity",        "chk_LabelPipePressure",
    "chk_LengthPipePressure",      "chk_SizePipePressure",        "chk_SlopePipePressure",
    "chk_MaterialPipePressure",    "chk_StartInvertPipePressure", "chk_EndInvertPipePressure",
    "chk_StartGroundPipePressure", "chk_EndGroundPipePressure",   "chk_StartCoverPipePressure",
    "chk_EndCoverPipePressure",    "chk_StartDepthPipePressure",  "chk_EndDepthPipePressure",
    "chk_ArrowPipePressure",       "chk_LabelNodeGravity",        "chk_GroundNodeGravity",
    "chk_SumpNodeGravity",         "chk_DepthNodeGravity",        "chk_LabelNodePressure",
    "chk_GroundNodePressure",      "chk_SumpNodePressure",        "chk_DepthNodePressure",
    "chk_CoordinatesNodeGravity",  "chk_CoordinatesNodePressure"};

// Entry 1 without its first two characters; a shorter entry raises Invalid procedure call.
std::string StyleNameOf(const std::string& entry1) { return vb::Right(entry1, vb::Len(entry1) - 2); }

std::string SettingText(const Variant& settings, int32_t entry) { return vb::CStr(settings.Array().Get(entry)); }

// The settings of a new view-style point, checked before anything is drawn: 43 entries
// shaped as the record is, so that no point is made that the readers or a later
// replacement of the styles would refuse.
std::vector<std::string> NewStyleSettings(const Variant& arParameters) {
    const SafeArray& given = arParameters.Array();
    if (given.Dims() != 1 || given.LBound() != 0 || given.UBound() != kLastSetting)
        Raise(ErrorCode::SubscriptOutOfRange, "a view style holds 43 settings, indices 0 to 42");
    std::vector<std::string> s = given.ToStrings();
    auto refuse = [](const std::string& detail) {
        Raise(ErrorCode::InvalidProcedureCall, "view style refused: " + detail);
    };
    if (s[setting::kApplication] != kAppName) refuse("entry 0 is \"" + s[setting::kApplication] + "\", not Fluvamap");
    const std::string& label = s[setting::kStyleName];
    if (vb::Len(label) < 2) refuse("entry 1 \"" + label + "\" holds no style name");
    if (vb::Left(label, 2) != ";;") refuse("entry 1 \"" + label + "\" does not begin with \";;\"");
    refs::RefuseSeparator(StyleNameOf(label), "the view style name");
    if (s[setting::kElementType] != element_type::kViewStylePoint)
        refuse("entry 2 is \"" + s[setting::kElementType] + "\", not ViewStylePoint");
    return s;
}

ObjectPtr Control(const ObjectPtr& form, std::string_view name) {
    return vb::CallByName(form, "Controls", CallType::Get, std::string(name)).ObjectAs<com::Dispatch>();
}

}  // namespace

Variant ViewStyle::GetActiveViewStyleSettingsArray(acad::AcadDocument& AcadActiveDocument) {
    std::vector<std::string> result(kSettingsCount);
    std::vector<std::string> list =
        refs::TrailingItems(ProjectRecord::Read(AcadActiveDocument).Text(project_entry::kViewStyles));
    if (list.empty()) Raise(ErrorCode::SubscriptOutOfRange, "the project record holds no view-style list");
    const std::string& active = list[view_style_item::kActiveStyle];
    for (std::size_t i = view_style_item::kFirstPoint; i < list.size(); ++i) {
        // A stale identifier fails the call: the list must name live points.
        ElementRecord point = ElementRecord::Read(ObjectFromId(AcadActiveDocument, list[i]));
        Variant settings = ValidateViewStyleSettings(point.ValuesVariant());
        if (StyleNameOf(SettingText(settings, setting::kStyleName)) != active) continue;
        for (int32_t k = 0; k < kSettingsCount; ++k) result[static_cast<std::size_t>(k)] = SettingText(settings, k);
        break;
    }
    return Variant(SafeArray::FromStrings(result));
}

Variant ViewStyle::ValidateViewStyleSettings(const Variant& SettingsArray) {
    const SafeArray& given = SettingsArray.Array();
    if (given.Dims() > 1) Raise(ErrorCode::TypeMismatch, "view style settings are a one-dimensional array");
    int32_t upper = given.UBound();
    if (upper == kLastSetting) return SettingsArray;
    if (upper > kLastSetting)
        Raise(ErrorCode::SubscriptOutOfRange, "view style settings run to entry " + std::to_string(upper) + ", not 42");
    SafeArray full = SafeArray::Vector(com::VarType::String, kSettingsCount);
    for (int32_t k = 0; k <= upper; ++k) full.Put(k, given.Get(k));
    full.Put(setting::kGravityCoordinates, Variant(kNoCoordinates));
    full.Put(setting::kPressureCoordinates, Variant(kNoCoordinates));
    return Variant(std::move(full));
}

void ViewStyle::ActivateViewStyle(const std::string& StyleName, const Variant& ArViewStyles,
                                  const ObjectPtr& frm_ViewStyleSettings, const int16_t& CountViewStyles,
                                  Variant& ActiveViewStyleSettings) {
    for (int16_t k = 0; k < CountViewStyles; ++k) {
        const Variant& style = ArViewStyles.Array().Get(k);
        if (StyleNameOf(SettingText(style, setting::kStyleName)) == StyleName) {
            ActiveViewStyleSettings = style;
            break;
        }
    }
    // Without a match the form shows what the caller passed.
    const Variant settings = ActiveViewStyleSettings;
    const ObjectPtr& form = frm_ViewStyleSettings;

    ObjectPtr textStyles = Control(form, "cmb_TextStyle");
    std::string textStyle = SettingText(settings, setting::kTextStyle);
    int32_t offered = vb::CLng(vb::CallByName(textStyles, "ListCount", CallType::Get));
    int16_t count = vb::Count16(static_cast<std::size_t>(std::max(offered, 0)));
    bool found = false;
    for (int16_t i = 0; i < count && !found; ++i) {
        if (vb::CStr(vb::CallByName(textStyles, "List", CallType::Get, int32_t{i})) != textStyle) continue;
        vb::CallByName(textStyles, "ListIndex", CallType::Let, int32_t{i});
        found = true;
    }
    if (!found) vb::CallByName(textStyles, "Text", CallType::Let, std::string(kStandard));

    double height = vb::Val(SettingText(settings, setting::kTextHeight));
    vb::CallByName(Control(form, "txt_TextHeight"), "Text", CallType::Let, vb::Format(height, "0.0##"));

    for (int32_t k = setting::kFirstFlag; k < kSettingsCount; ++k) {
        std::vector<std::string> items = vb::Split(SettingText(settings, k), ";");
        vb::Count16(items.size());
        // The box takes the flag's value: a value it does not know (3) is refused by the box.
        double flag = items.empty() ? 0 : vb::Val(items[0]);
        vb::CallByName(Control(form, kFlagCheckBoxes[static_cast<std::size_t>(k - setting::kFirstFlag)]), "Value",
                       CallType::Let, flag);
    }

    // "Standard" can be neither deleted nor renamed.
    bool editable = vb::CStr(vb::CallByName(Control(form, "cmb_StyleName"), "Text", CallType::Get)) != kStandard;
    vb::CallByName(Control(form, "cmd_DeleteStyle"), "Enabled", CallType::Let, editable);
    vb::CallByName(Control(form, "cmd_RenameStyle"), "Enabled", CallType::Let, editable);
}

void ViewStyle::CreateViewStyle(acad::AcadDocument& AcadActiveDocument, const Variant& ArParameters) {
    std::vector<std::string> settings = NewStyleSettings(ArParameters);
    ProjectRecord record = ProjectRecord::Read(AcadActiveDocument);
    // An identifier appended to a list without its first two items would be read as one of them.
    std::vector<std::string> list = ViewStyleItems(record);

    UnlockedLayersGuard unlocked(*general_, AcadActiveDocument);
    auto point = AcadActiveDocument.ModelSpace()->AddPoint({0, 0, 0});
    try {
        point->SetLayer("0");
        point->SetVisible(false);
        std::vector<int16_t> codes(kSettingsCount, 1000);
        codes[setting::kApplication] = 1001;
        ElementRecord::Create(point, std::move(codes), std::vector<Variant>(settings.begin(), settings.end())).Write();
        // Rebuilt from the items, so that a last identifier without its ";" is not glued to the new one.
        list.push_back(IdText(*point));
        record.Set(project_entry::kViewStyles, Variant(refs::TrailingList(list)));
        record.Write();
    } catch (...) {
        // No point that the list does not name.
        try {
            point->Delete();
        } catch (const com::Error&) {
        }
        throw;
    }
    unlocked.Restore();
}

void ViewStyle::ChangeNetworkVisibility(acad::AcadDocument& AcadActiveDocument, const std::string& NetName,
                                        const int16_t& Action) {
    auto set = general_->GetNetworkSet(AcadActiveDocument, NetName, int16_t{0});
    if (Action != 0 && Action != 1) return;
    // All of the network or none of it: its layers may be locked.
    UnlockedLayersGuard unlocked(*general_, AcadActiveDocument);
    const int32_t count = set->Count();
    for (int32_t i = 0; i < count; ++i) set->Item(i)->SetVisible(Action == 1);
    unlocked.Restore();
}

void ViewStyle::UpdateViewStylePoints(acad::AcadDocument& AcadActiveDocument, const Variant& ArViewStyles,
                                      const int16_t& CountViewStyles) {
    // Everything is checked before the first point goes, so that a refused call leaves the
    // styles as they were.
    if (CountViewStyles < 0)
        Raise(ErrorCode::InvalidProcedureCall, "view style count " + std::to_string(CountViewStyles));
    ProjectRecord record = ProjectRecord::Read(AcadActiveDocument);
    std::vector<std::string> list = ViewStyleItems(record);
    if (CountViewStyles > 0) {
        const SafeArray& styles = ArViewStyles.Array();
        if (styles.UBound() < CountViewStyles - 1)
            Raise(ErrorCode::SubscriptOutOfRange, std::to_string(CountViewStyles) + " view styles announced, " +
                                                      std::to_string(styles.UBound() + 1) + " given");
        for (int16_t k = 0; k < CountViewStyles; ++k) NewStyleSettings(styles.Get(k));
    }
    std::vector<std::shared_ptr<acad::AcadEntity>> points;
    for (std::size_t i = view_style_item::kFirstPoint; i < list.size(); ++i) {
        auto object = ObjectFromIdIfAlive(AcadActiveDocument, list[i]);
        if (!object) continue;  // gone already
        RequireElementType(ElementRecord::Read(object), {element_type::kViewStylePoint}, "a view-style point");
        auto point = std::dynamic_pointer_cast<acad::AcadEntity>(object);
        if (!point) Raise(ErrorCode::TypeMismatch, "view-style point " + list[i] + " is no entity");
        points.push_back(point);
    }

    UnlockedLayersGuard unlocked(*general_, AcadActiveDocument);
    for (const auto& point : points)
        if (!point->Erased()) point->Delete();  // an identifier listed twice
    record.Set(project_entry::kViewStyles,
               Variant(refs::TrailingList({list[view_style_item::kActiveStyle], list[view_style_item::kVisibility]})));
    record.Write();
    for (int16_t k = 0; k < CountViewStyles; ++k) CreateViewStyle(AcadActiveDocument, ArViewStyles.Array().Get(k));
    unlocked.Restore();
}

void ViewStyle::UpdateMoSpaceXdataForViewStyle(acad::AcadDocument& AcadActiveDocument,
                                               const std::string& ActiveViewStyleName,
                                               const std::string& FinalNetworksVisibility) {
    refs::RefuseSeparator(ActiveViewStyleName, "the active view style name");
    refs::RefuseSeparator(FinalNetworksVisibility, "the network visibility string");
    ProjectRecord record = ProjectRecord::Read(AcadActiveDocument);
    std::vector<std::string> list = ViewStyleItems(record);
    list[view_style_item::kActiveStyle] = ActiveViewStyleName;
    list[view_style_item::kVisibility] = FinalNetworksVisibility;
    record.Set(project_entry::kViewStyles, Variant(refs::TrailingList(list)));
    record.Write();
}

}  // namespace fluvanet
