#pragma once
// The host program's side of drawing events, for tests. The library never sees the
// platform's events: the host forwards them, while the project's events flag is on, by
// calling the Events class late-bound. This driver plays that host:
//
// Erase: the three identifier lists (erased, to be erased, nodes for the low/high check)
// start empty and are kept for the whole operation. Each selected entity, in order, is
// reported to the handler of its element type (none for other types), then erased, then
// appended to the erased list. Afterwards every identifier of the to-be-erased list that
// still names an object is erased the same way, the list being read to its end as it
// grows; by default these erasures are reported to their handlers too, as the platform
// raises the same event for them (SetReportCascade(false) erases them silently). Last,
// AnalyzeLowHighAfterDeleting receives the collected nodes (not called when none).
//
// Copy: the entities are copied and moved, then VerifyCopiedElements receives the copies.
// Move: the entities are moved, then the follow-ups run: AdjustPipeEnds for moved pipes
// and for the pipes of moved nodes, AdjustLowHighPoint for moved markers and the markers
// of moved nodes, AdjustCrossingLine for moved leader lines and the leaders of moved
// crossing annotations, then RebuildPipeCrossingPoints and FlagChangedPipesProfilesForUpdate
// with the changed pipes.
//
// Entities erased or changed by the library itself are never reported: only what this
// driver does counts as the user's action.

#include <memory>
#include <string>
#include <vector>

#include "platform/acad_document.h"

namespace host {

class EventDriver {
public:
    // `general` answers CheckEventsFlag; `events` receives the handlers' calls.
    EventDriver(std::shared_ptr<acad::AcadDocument> document, com::ObjectPtr general, com::ObjectPtr events);

    void SetReportCascade(bool report) { reportCascade_ = report; }

    struct EraseLists {
        std::string erased;
        std::string toBeErased;
        std::string nodesForLowHigh;
    };
    EraseLists Erase(const std::vector<std::shared_ptr<acad::AcadEntity>>& selection);

    struct CopyResult {
        std::vector<std::shared_ptr<acad::AcadEntity>> copies;
        std::string changedPipes;  // as VerifyCopiedElements left it
    };
    CopyResult Copy(const std::vector<std::shared_ptr<acad::AcadEntity>>& entities, const acad::Point3& from,
                    const acad::Point3& to);

    void Move(const std::vector<std::shared_ptr<acad::AcadEntity>>& entities, const acad::Point3& from,
              const acad::Point3& to);

    bool EventsOn() const;

private:
    void EraseOne(const std::shared_ptr<acad::AcadEntity>& entity, bool report, com::Variant& erased,
                  com::Variant& toBeErased, com::Variant& nodes);

    std::shared_ptr<acad::AcadDocument> doc_;
    com::ObjectPtr general_;
    com::ObjectPtr events_;
    bool reportCascade_ = true;
};

// Entry k of an object's "Fluvamap" record as text, or "" when there is no such entry.
std::string RecordText(const acad::AcadObject& object, int k);
// The keys of a reference entry or list (";RelatedTo" & key, one or more), in order.
std::vector<std::string> ReferenceKeys(const std::string& references);

}  // namespace host
