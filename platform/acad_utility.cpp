#include "platform/acad_utility.h"

#include "platform/ui_log.h"

namespace acad {

using com::ErrorCode;
using com::Raise;

const com::DispatchTable& AcadUtility::Table() const {
    static const com::DispatchTable table = com::BuildTable<AcadUtility>([](auto& b) {
        b.Method("Prompt", &AcadUtility::Prompt)
            .Method("GetEntity", &AcadUtility::GetEntity, 2)
            .Method("GetPoint", &AcadUtility::GetPoint, 0);
    });
    return table;
}

namespace {
void RecordPrompt(const std::string& text) {
    if (!text.empty()) host::Ui().Record(host::UiEvent{host::UiEvent::Kind::Prompt, text, 0, ""});
}
}  // namespace

void AcadUtility::Prompt(const std::string& message) {
    host::Ui().Record(host::UiEvent{host::UiEvent::Kind::Prompt, message, 0, ""});
}

AcadUtility::Action AcadUtility::Next(Kind wanted, const char* what) {
    if (script_.empty()) Raise(ErrorCode::UserCancel, "the scripted user has no more answers");
    Kind kind = script_.front().kind;
    bool fits = kind == wanted || kind == Kind::Cancel || (kind == Kind::EmptyPick && wanted == Kind::Pick);
    // A script that does not fit the prompt is a faulty test: leave it as it is.
    if (!fits) Raise(ErrorCode::InvalidInput, std::string("the scripted user was asked for ") + what);
    Action action = std::move(script_.front());
    script_.pop_front();
    if (kind == Kind::Cancel) Raise(ErrorCode::UserCancel);
    if (kind == Kind::EmptyPick) Raise(ErrorCode::UserCancel, "nothing was picked");
    return action;
}

void AcadUtility::GetEntity(std::shared_ptr<AcadEntity>& object, Point3& pickedPoint, const std::string& prompt) {
    RecordPrompt(prompt);
    Action action = Next(Kind::Pick, "an entity");
    action.entities.front()->CheckAlive();
    object = action.entities.front();
    pickedPoint = action.point;
}

Point3 AcadUtility::GetPoint(const com::Variant& /*point*/, const std::string& prompt) {
    RecordPrompt(prompt);
    return Next(Kind::Point, "a point").point;
}

std::vector<std::shared_ptr<AcadEntity>> AcadUtility::NextSelection() {
    return Next(Kind::Selection, "an on-screen selection").entities;
}

void AcadUtility::QueuePick(const std::shared_ptr<AcadEntity>& entity, const Point3& pickedPoint) {
    if (!entity) Raise(ErrorCode::ObjectRequired);
    script_.push_back(Action{Kind::Pick, {entity}, pickedPoint});
}
void AcadUtility::QueueEmptyPick() { script_.push_back(Action{Kind::EmptyPick, {}, {}}); }
void AcadUtility::QueuePoint(const Point3& point) { script_.push_back(Action{Kind::Point, {}, point}); }
void AcadUtility::QueueSelection(const std::vector<std::shared_ptr<AcadEntity>>& entities) {
    script_.push_back(Action{Kind::Selection, entities, {}});
}
void AcadUtility::QueueCancel() { script_.push_back(Action{Kind::Cancel, {}, {}}); }

}  // namespace acad
