#include "profile/profile_records.h"

#include "core/finite_reals.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/parts_data.h"
#include "profile/profile.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;

namespace {

std::vector<int16_t> TextRecordCodes(int32_t count) {
    std::vector<int16_t> codes(static_cast<std::size_t>(count), 1000);
    codes[0] = 1001;
    return codes;
}

// Flags as the absolute value of the Boolean.
std::string FlagText(bool on) { return on ? "1" : "0"; }

std::string ProfileCombinedLabel(std::string_view network, std::string_view name) {
    return "Profile;" + std::string(network) + ";" + std::string(name);
}

}  // namespace

const std::vector<int16_t>& ProfileRecordCodes() {
    static const std::vector<int16_t> codes = [] {
        std::vector<int16_t> c = TextRecordCodes(profile_entry::kCount);
        c[profile_entry::kNeedsUpdate] = 1070;
        return c;
    }();
    return codes;
}

const std::vector<int16_t>& PlanAnnoRecordCodes() {
    static const std::vector<int16_t> codes = TextRecordCodes(plan_anno_entry::kCount);
    return codes;
}

const std::vector<int16_t>& ProfileStyleRecordCodes() {
    static const std::vector<int16_t> codes = TextRecordCodes(style_entry::kCount);
    return codes;
}

std::string StyleSettingsEntry(const Variant& settings, int32_t entry) {
    const com::SafeArray& entries = settings.Array();
    if (entries.Dims() != 1 || entry < entries.LBound(1) || entry > entries.UBound(1))
        Raise(ErrorCode::SubscriptOutOfRange, "the profile style settings have no entry " + std::to_string(entry));
    return vb::CStr(entries.Get(entry));
}

std::string StyleSettingsItem(const Variant& settings, int32_t entry, int32_t item) {
    return ListItem(StyleSettingsEntry(settings, entry), item);
}

std::string StyleCombinedLabel(std::string_view styleName) { return ";;" + std::string(styleName); }

void ForEachProfileStylePoint(acad::AcadDocument& doc, const std::function<bool(ElementRecord&)>& visit) {
    ProjectRecord project = ProjectRecord::Read(doc);
    for (const std::string& item : refs::TrailingItems(project.Text(project_entry::kProfileStyles))) {
        // A style erased behind the list's back, or an item naming something else, is no style.
        std::shared_ptr<acad::AcadObject> object = ObjectFromIdIfAlive(doc, item);
        if (!object) continue;
        ElementRecord record = ElementRecord::Read(object);
        if (record.ElementType() != element_type::kProfileStylePoint) continue;
        if (visit(record)) return;
    }
}

std::optional<ElementRecord> FindProfileStylePoint(acad::AcadDocument& doc, std::string_view styleName) {
    const std::string label = StyleCombinedLabel(styleName);
    std::optional<ElementRecord> found;
    ForEachProfileStylePoint(doc, [&](ElementRecord& record) {
        if (record.Text(style_entry::kCombinedLabel) != label) return false;
        found = std::move(record);
        return true;
    });
    return found;
}

ProfileBlockRecord OpenProfileBlock(acad::AcadDocument& doc, std::string_view profileId) {
    std::shared_ptr<acad::AcadObject> object = ObjectFromId(doc, profileId);
    ElementRecord record = ElementRecord::Read(object);
    RequireElementType(record, {element_type::kProfile}, "a profile block");
    auto block = std::dynamic_pointer_cast<acad::AcadBlockReference>(object);
    if (!block) Raise(ErrorCode::TypeMismatch, "object " + std::string(profileId) + " is not a block reference");
    return {std::move(block), std::move(record)};
}

ElementRecord OpenPipeRecord(acad::AcadDocument& doc, std::string_view pipeId) {
    ElementRecord record = ElementRecord::Read(ObjectFromId(doc, pipeId));
    RequireElementType(record, {element_type::kGravityPipe, element_type::kPressurePipe}, "a pipe");
    if (record.Count() < pipe_entry::kCount)
        Raise(ErrorCode::SubscriptOutOfRange, "pipe " + std::string(pipeId) + " has no profile lists");
    return record;
}

void Profile::BuildProfileBlockXData(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileName,
                                     const std::string& ProfileNetworkName, const std::string& ProfileNetworkType,
                                     const std::string& ProfileStyleName,
                                     const std::vector<std::string>& ArProfilePipes, const Variant& InsPoint,
                                     const bool& DrawGroundFromSurface, const std::string& GroundSurfaceName,
                                     const bool& DatumAuto, const double& CustomDatumValue,
                                     const bool& ShowNameOnPlan, const bool& ShowStationsOnPlan,
                                     acad::AcadBlockReference& ProfileBlock,
                                     const std::shared_ptr<acad::AcadBlockReference>& PlanBlock) {
    // Everything is checked before the first write, so a refusal leaves every record as it was.
    std::optional<ElementRecord> style = FindProfileStylePoint(AcadActiveDocument, ProfileStyleName);
    if (!style) Raise(ErrorCode::InvalidProcedureCall, "there is no profile style \"" + ProfileStyleName + "\"");
    if (style->Count() < style_entry::kCount)
        Raise(ErrorCode::SubscriptOutOfRange, "the profile style \"" + ProfileStyleName + "\" has a short record");
    if (ArProfilePipes.size() != 3)
        Raise(ErrorCode::InvalidProcedureCall, "the profile pipes are three lists: labels, identifiers, directions");
    std::size_t pipeCount = refs::LeadingItems(ArProfilePipes[0]).size();
    vb::Count16(pipeCount);  // the host's lists, of equal length
    std::vector<std::string> pipeIds = refs::LeadingKeys(ArProfilePipes[1]);
    if (pipeIds.size() != pipeCount || refs::LeadingItems(ArProfilePipes[2]).size() != pipeCount)
        Raise(ErrorCode::InvalidProcedureCall, "the three lists of the profile pipes differ in length");
    std::vector<std::shared_ptr<acad::AcadObject>> pipes;
    for (const std::string& id : pipeIds) pipes.push_back(OpenPipeRecord(AcadActiveDocument, id).Object());
    const com::SafeArray& point = InsPoint.Array();
    RequireFinite("the insertion point or custom datum",
                  {vb::CDbl(point.Get(0)), vb::CDbl(point.Get(1)), CustomDatumValue});
    std::string insertion = vb::CStr(vb::CDbl(point.Get(0))) + ";" + vb::CStr(vb::CDbl(point.Get(1)));

    auto block = std::static_pointer_cast<acad::AcadBlockReference>(ProfileBlock.shared_from_this());
    std::string profileId = IdText(ProfileBlock);
    std::string planLabel, planId;
    if (PlanBlock) {
        planLabel = refs::Reference(ProfileName + std::string(kPlanAnnoSuffix));
        planId = refs::Reference(IdText(*PlanBlock));
    }
    std::vector<Variant> values{
        Variant(kAppName),
        Variant(ProfileCombinedLabel(ProfileNetworkName, ProfileName)),
        Variant(element_type::kProfile),
        Variant(ProfileNetworkType),
        Variant(ArProfilePipes[0]),
        Variant(ArProfilePipes[1]),
        Variant(ArProfilePipes[2]),
        Variant(refs::Reference(ProfileStyleName)),
        Variant(refs::Reference(IdText(*style->Object()))),
        Variant(planLabel),
        Variant(planId),
        Variant(FlagText(DatumAuto) + ";" + vb::CStr(CustomDatumValue)),
        Variant(FlagText(DrawGroundFromSurface) + ";" + GroundSurfaceName),
        Variant(insertion),
        Variant(FlagText(ShowNameOnPlan) + ";" + FlagText(ShowStationsOnPlan)),
        Variant(int16_t{0}),
    };
    ElementRecord::Create(block, ProfileRecordCodes(), std::move(values)).Write();

    // Appended without a test for an entry already there: the erase cascade removes the
    // old references before a profile is drawn again.
    style->Set(style_entry::kProfileLabels,
               Variant(refs::AppendReference(style->Text(style_entry::kProfileLabels), ProfileName)));
    style->Set(style_entry::kProfileIds, Variant(refs::AppendReference(style->Text(style_entry::kProfileIds), profileId)));
    style->Set(style_entry::kProfileNetworks,
               Variant(style->Text(style_entry::kProfileNetworks) + ";" + ProfileNetworkName));
    style->Write();

    for (const auto& pipe : pipes) {
        // Read again: a pipe listed twice gets both references.
        ElementRecord record = ElementRecord::Read(pipe);
        record.Set(pipe_entry::kProfileLabels,
                   Variant(refs::AppendReference(record.Text(pipe_entry::kProfileLabels), ProfileName)));
        record.Set(pipe_entry::kProfileIds,
                   Variant(refs::AppendReference(record.Text(pipe_entry::kProfileIds), profileId)));
        record.Write();
    }
}

void Profile::BuildProfilePlanAnnoBlockXData(const std::string& ProfileName, const std::string& ProfileNetworkName,
                                             acad::AcadBlockReference& ProfileBlock,
                                             acad::AcadBlockReference& PlanBlock) {
    auto plan = std::static_pointer_cast<acad::AcadBlockReference>(PlanBlock.shared_from_this());
    std::vector<Variant> values{
        Variant(kAppName),
        Variant(std::string(element_type::kProfilePlanAnno) + ";" + ProfileNetworkName + ";" + ProfileName +
                std::string(kPlanAnnoSuffix)),
        Variant(element_type::kProfilePlanAnno),
        Variant(refs::Reference(ProfileName)),
        Variant(refs::Reference(IdText(ProfileBlock))),
    };
    ElementRecord::Create(plan, PlanAnnoRecordCodes(), std::move(values)).Write();
}

std::string Profile::GetProfileStyleOID(acad::AcadDocument& AcadActiveDocument, const std::string& ProfileStyleName) {
    std::optional<ElementRecord> style = FindProfileStylePoint(AcadActiveDocument, ProfileStyleName);
    return style ? IdText(*style->Object()) : std::string();
}

}  // namespace fluvanet
