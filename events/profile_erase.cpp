#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "events/events.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

using com::ErrorCode;
using com::Raise;
using com::Variant;

namespace {

struct StyleLists {
    std::string labels, ids, networks;
};

// The style point's three parallel lists without every position whose identifier item
// names the profile; lists that are not parallel cannot be told apart and are refused.
StyleLists StyleListsWithout(const ElementRecord& style, const std::string& profileId) {
    std::vector<std::string> labels = refs::LeadingItems(style.Text(style_entry::kProfileLabels));
    std::vector<std::string> ids = refs::LeadingItems(style.Text(style_entry::kProfileIds));
    std::vector<std::string> networks = refs::LeadingItems(style.Text(style_entry::kProfileNetworks));
    if (labels.size() != ids.size() || networks.size() != ids.size())
        Raise(ErrorCode::SubscriptOutOfRange, "profile style " + IdText(*style.Object()) + " lists " +
                                                  std::to_string(labels.size()) + " names, " +
                                                  std::to_string(ids.size()) + " profiles and " +
                                                  std::to_string(networks.size()) + " networks");
    const std::string item = refs::ReferenceItem(profileId);
    std::vector<std::string> keptLabels, keptIds, keptNetworks;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] == item) continue;
        keptLabels.push_back(labels[i]);
        keptIds.push_back(ids[i]);
        keptNetworks.push_back(networks[i]);
    }
    return {refs::LeadingList(keptLabels), refs::LeadingList(keptIds), refs::LeadingList(keptNetworks)};
}

}  // namespace

void Events::ProfileWillBeErased(acad::AcadDocument& AcadActiveDocument, acad::AcadBlockReference& ProfileBlock,
                                 std::string& ErasedEntitesObjectID, std::string& EntitiesToBeErasedObjectID) {
    const std::string profileId = IdText(ProfileBlock);
    // Whoever queued it made the others forget it then; nothing is written or queued again.
    if (ListedInGrowingList(*general_, profileId, EntitiesToBeErasedObjectID)) return;
    auto inAList = [&](const std::string& id) {
        return ListedInGrowingList(*general_, id, ErasedEntitesObjectID) ||
               ListedInGrowingList(*general_, id, EntitiesToBeErasedObjectID);
    };

    // Everything that is written below is read and checked first: a refusal changes nothing.
    const ElementRecord profile = OpenProfileBlock(AcadActiveDocument, profileId).record;
    const std::string name = general_->EntityLabelFromCombined(profile.Get(profile_entry::kCombinedLabel));
    const std::string planReference = profile.Text(profile_entry::kPlanAnnoId);

    // A style deleted behind the profile's back has nothing left to forget.
    std::optional<ElementRecord> style;
    std::shared_ptr<acad::AcadObject> stylePoint =
        ObjectFromIdIfAlive(AcadActiveDocument, refs::ReferenceKey(profile.Text(profile_entry::kStyleId)));
    StyleLists kept;
    if (stylePoint) {
        style = ElementRecord::Read(stylePoint);
        RequireElementType(*style, {element_type::kProfileStylePoint}, "a profile style point");
        kept = StyleListsWithout(*style, profileId);
    }

    // A pipe that is gone took its references with it; one that does not name the profile
    // (a copy's, made while no event reached the library) has none to lose.
    std::vector<std::string> pipes;
    for (const std::string& pipe : refs::LeadingKeys(profile.Text(profile_entry::kPipeIds))) {
        if (inAList(pipe)) continue;
        if (!ObjectFromIdIfAlive(AcadActiveDocument, pipe)) continue;
        if (!NamesBack(OpenPipeRecord(AcadActiveDocument, pipe), {pipe_entry::kProfileIds}, profileId)) continue;
        pipes.push_back(pipe);
    }

    if (style) {
        style->Set(style_entry::kProfileLabels, Variant(kept.labels));
        style->Set(style_entry::kProfileIds, Variant(kept.ids));
        style->Set(style_entry::kProfileNetworks, Variant(kept.networks));
        style->Write();
    }
    for (const std::string& pipe : pipes)
        profile_->DeleteProfileReferenceFromPipe(AcadActiveDocument, name, profileId, pipe, ErasedEntitesObjectID,
                                                 EntitiesToBeErasedObjectID);

    if (planReference.empty()) return;
    // The plan annotation goes now, not through the list; one that cannot go stays behind
    // and the profile is erased all the same.
    try {
        const std::string planId = refs::ReferenceKey(planReference);
        std::shared_ptr<acad::AcadObject> plan = ObjectFromId(AcadActiveDocument, planId);
        if (inAList(planId)) return;
        const ElementRecord record = ElementRecord::Read(plan);
        if (record.ElementType() != element_type::kProfilePlanAnno) return;
        if (!NamesBack(record, {plan_anno_entry::kProfileId}, profileId)) return;
        acad::Cast<acad::AcadEntity>(plan)->Delete();
    } catch (const com::Error&) {
    }
}

}  // namespace fluvanet
