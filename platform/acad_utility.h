#pragma once
// The document's user-interaction utility, answered by a scripted user: tests queue the
// user's picks, points, on-screen selections and cancels in the order the prompts will
// ask for them. Prompts are recorded in the process-wide UI log. A cancel, an empty pick
// or a script that has run out raises UserCancel, so a prompt loop always ends.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/acad_object.h"

namespace acad {

class AcadUtility : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "AcadUtility"; }
    const com::DispatchTable& Table() const override;

    void Prompt(const std::string& message);
    // The picked entity and the point where it was picked.
    void GetEntity(std::shared_ptr<AcadEntity>& object, Point3& pickedPoint, const std::string& prompt = "");
    // The base point is accepted and not used: nothing is drawn here.
    Point3 GetPoint(const com::Variant& point = {}, const std::string& prompt = "");

    // The script.
    void QueuePick(const std::shared_ptr<AcadEntity>& entity, const Point3& pickedPoint = {});
    void QueueEmptyPick();
    void QueuePoint(const Point3& point);
    void QueueSelection(const std::vector<std::shared_ptr<AcadEntity>>& entities);
    void QueueCancel();
    std::size_t PendingActions() const { return script_.size(); }
    void ClearScript() { script_.clear(); }

    // Stand-in plumbing: the next on-screen selection, for AcadSelectionSet::SelectOnScreen.
    std::vector<std::shared_ptr<AcadEntity>> NextSelection();

private:
    enum class Kind { Pick, EmptyPick, Point, Selection, Cancel };
    struct Action {
        Kind kind;
        std::vector<std::shared_ptr<AcadEntity>> entities;
        Point3 point{};
    };
    Action Next(Kind wanted, const char* what);
    std::deque<Action> script_;
};

}  // namespace acad
