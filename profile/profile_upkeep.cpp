#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/layer_state.h"
#include "core/select_all.h"
#include "events/events.h"
#include "platform/vb_convert.h"
#include "core/reference_lists.h"
#include "profile/draw_profile.h"
#include "profile/parts_data.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::Variant;

namespace {

constexpr std::string_view kProfilesSet = "SetProfiles";
constexpr std::string_view kProfileBlocks = "Fluvamap_Profile_*";

}  // namespace

std::shared_ptr<acad::AcadSelectionSet> Profile::GetExistingProfileSet(acad::AcadDocument& AcadActiveDocument,
                                                                       const std::string& NetName) {
    auto set = general_->InitializeSelectionSet(AcadActiveDocument, std::string(kProfilesSet));
    SelectAll(*set, {1001, 0, 2}, {Variant(kAppName), Variant("INSERT"), Variant(kProfileBlocks)});
    // Block name and network only: telling profiles from other records is the deleting's.
    if (NetName.empty()) return set;
    const int32_t count = set->Count();

    std::vector<std::shared_ptr<acad::AcadEntity>> others;
    for (int32_t i = 0; i < count; ++i) {
        auto member = set->Item(i);
        ElementRecord record = ElementRecord::Read(member);
        if (general_->EntityNetworkFromCombined(record.Get(profile_entry::kCombinedLabel)) != NetName)
            others.push_back(member);
    }
    if (!others.empty()) set->RemoveItems(others);
    return set;
}

void Profile::DeleteNetworkProfiles(acad::AcadDocument& AcadActiveDocument, const std::string& NetName) {
    // No network is named "": the empty name would reach every network's profiles.
    if (NetName.empty()) return;
    std::vector<std::shared_ptr<acad::AcadEntity>> profiles =
        general_->SelectionSetToArray(*GetExistingProfileSet(AcadActiveDocument, NetName));
    // A block of a profile's name that carries another record is no profile.
    std::erase_if(profiles, [](const auto& member) {
        return ElementRecord::Read(member).ElementType() != element_type::kProfile;
    });
    if (profiles.empty()) return;

    // A host that forwarded these erasures would run the cascade over them again.
    EventsOffGuard eventsOff(*general_, AcadActiveDocument);
    for (const auto& member : profiles) {
        auto block = acad::Cast<acad::AcadBlockReference>(member);
        std::string erased, queued;  // the handler takes the host's lists by reference
        events_->ProfileWillBeErased(AcadActiveDocument, *block, erased, queued);
        // Erased as soon as it is forgotten: a later profile that fails leaves none half gone.
        block->Delete();
    }
    eventsOff.Restore();
}

void Profile::UpdateProfile(acad::AcadDocument& AcadActiveDocument, const std::string& ExistingProfileOID) {
    namespace pe = profile_entry;
    const ProfileBlockRecord old = OpenProfileBlock(AcadActiveDocument, ExistingProfileOID);
    const ElementRecord& record = old.record;
    auto flag = [](const std::string& item) { return vb::Val(item) != 0; };
    const std::string datum = record.Text(pe::kDatum);
    const std::string ground = record.Text(pe::kGround);
    const std::string plan = record.Text(pe::kPlanFlags);
    const acad::Point3 at = old.block->InsertionPoint();
    const ProfileRequest request{
        general_->EntityLabelFromCombined(record.Get(pe::kCombinedLabel)),
        general_->EntityNetworkFromCombined(record.Get(pe::kCombinedLabel)),
        record.Text(pe::kNetworkType),
        refs::ReferenceKey(record.Text(pe::kStyleLabel)),
        {record.Text(pe::kPipeLabels), record.Text(pe::kPipeIds), record.Text(pe::kPipeDirections)},
        Variant(com::SafeArray::FromDoubles({at[0], at[1], at[2]})),
        flag(ListItem(ground, 0)),
        ListItem(ground, 1),
        flag(ListItem(datum, 0)),
        vb::Val(ListItem(datum, 1)),
        flag(ListItem(plan, 0)),
        flag(ListItem(plan, 1)),
    };
    // Checked on the stored values while the old profile still stands: a style or pipe
    // gone since leaves it as it was.
    const PreparedProfile prepared = PrepareProfile(*this, *general_, AcadActiveDocument, request);

    UnlockedLayersGuard unlocked(*general_, AcadActiveDocument);
    {
        EventsOffGuard eventsOff(*general_, AcadActiveDocument);
        std::string erased, queued;
        events_->ProfileWillBeErased(AcadActiveDocument, *old.block, erased, queued);
        old.block->Delete();
        eventsOff.Restore();
    }
    DrawPreparedProfile(*this, *general_, *events_, AcadActiveDocument, prepared);
    unlocked.Restore();
}

}  // namespace fluvanet
