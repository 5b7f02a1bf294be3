#include "editing/pipe_follow_ups.h"

#include "annotation/label_context.h"
#include "annotation/view_style.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "editing/pipe_node_records.h"
#include "profile/profile.h"
#include "profile/profile_records.h"

namespace fluvanet {

void FlagPipeProfiles(Profile& profile, acad::AcadDocument& doc, const ElementRecord& pipe) {
    for (const std::string& id : refs::LeadingKeys(pipe.Text(pipe_entry::kProfileIds)))
        profile.FlagProfileForUpdate(doc, id);
}

void PassOnPipeChange(ViewStyle& viewStyle, Crossing& crossing, Profile& profile, acad::AcadDocument& doc,
                      const std::string& pipeId) {
    viewStyle.UpdateAnnotationsAfterEditing(doc, refs::TrailingAppend("", pipeId), false);
    crossing.UpdateCrossingsAfterEditing(doc, pipeId);
    FlagPipeProfiles(profile, doc, OpenPipeRecord(doc, pipeId));
}

void PassOnPipeChange(ViewStyle& viewStyle, General& general, Crossing& crossing, Profile& profile,
                      acad::AcadDocument& doc, const std::string& pipeId, const LabelContext& context) {
    labels::UpdateAfterEditing(viewStyle, general, doc, refs::TrailingAppend("", pipeId), false, context);
    crossing.UpdateCrossingsAfterEditing(doc, pipeId);
    FlagPipeProfiles(profile, doc, OpenPipeRecord(doc, pipeId));
}

}  // namespace fluvanet
