#include "editing/pipe_follow_ups.h"

#include "annotation/label_context.h"
#include "annotation/view_style.h"
#include "core/layer_state.h"
#include "core/project_record.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "crossing/crossing_records.h"
#include "editing/pipe_node_records.h"
#include "platform/acad_block.h"
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

void WrittenByFollowUps::Keep(const std::shared_ptr<acad::AcadObject>& object, int32_t keptEntry) {
    if (!seen_.insert(object.get()).second) return;
    Kept kept{ElementRecord::Read(object), std::nullopt, true, keptEntry};
    if (auto entity = std::dynamic_pointer_cast<acad::AcadEntity>(object)) kept.visible = entity->Visible();
    if (auto block = std::dynamic_pointer_cast<acad::AcadBlockReference>(object)) kept.look.emplace(block);
    kept_.push_back(std::move(kept));
}

void WrittenByFollowUps::Add(std::string_view id, int32_t keptEntry) {
    if (auto object = ObjectFromIdIfAlive(doc_, id)) Keep(object, keptEntry);
}

void WrittenByFollowUps::AddPipe(const ElementRecord& pipe) {
    Keep(pipe.Object(), -1);
    Add(refs::ReferenceKey(pipe.Text(pipe_entry::kLabelBlockId)));
    Add(refs::ReferenceKey(pipe.Text(pipe_entry::kArrowId)));
    for (const std::string& id : refs::LeadingKeys(pipe.Text(pipe_entry::kCrossingIds))) {
        auto annotation = ObjectFromIdIfAlive(doc_, id);
        if (!annotation) continue;
        Keep(annotation, -1);
        ElementRecord record = ElementRecord::Read(annotation);
        for (int32_t entry : {crossing_entry::kLineId, crossing_entry::kPipe1Id, crossing_entry::kPipe2Id})
            if (entry < record.Count()) Add(refs::ReferenceKey(record.Text(entry)));
    }
    for (const std::string& id : refs::LeadingKeys(pipe.Text(pipe_entry::kProfileIds)))
        Add(id, profile_entry::kNeedsUpdate);
}

void WrittenByFollowUps::AddNode(const ElementRecord& node) {
    Keep(node.Object(), -1);
    Add(refs::ReferenceKey(node.Text(node_entry::kLabelBlockId)));
    Add(refs::ReferenceKey(node.Text(node_entry::kLowHighId)));
}

void WrittenByFollowUps::AddLibraries() {
    ProjectRecord project = ProjectRecord::Read(doc_);
    Add(project.Text(project_entry::kMaterialLibrary));
    Add(project.Text(project_entry::kSizeLibrary));
}

void WrittenByFollowUps::RequireProfilesFlaggable() const {
    LayersToWrite layers(doc_);
    for (const Kept& kept : kept_)
        if (kept.record.ElementType() == element_type::kProfile)
            AddLayersToFlag(layers, OpenProfileBlock(doc_, IdText(*kept.record.Object())));
    layers.Require();
}

std::vector<std::function<void()>> WrittenByFollowUps::Undo() const {
    std::vector<std::function<void()>> steps;
    for (const Kept& kept : kept_) {
        steps.push_back([&kept] {
            const std::shared_ptr<acad::AcadObject>& object = kept.record.Object();
            ElementRecord before = kept.record;
            ElementRecord now = ElementRecord::Read(object);
            if (kept.keptEntry >= 0 && kept.keptEntry < before.Count() && kept.keptEntry < now.Count())
                before.Set(kept.keptEntry, now.Get(kept.keptEntry));
            if (before.Exists() && (now.Codes() != before.Codes() || now.Values() != before.Values())) before.Write();
            if (kept.look) kept.look->PutBack();
            if (auto entity = std::dynamic_pointer_cast<acad::AcadEntity>(object);
                entity && entity->Visible() != kept.visible)
                entity->SetVisible(kept.visible);
        });
    }
    return steps;
}

}  // namespace fluvanet
