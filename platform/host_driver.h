#pragma once
// The host program's side of drawing events, for tests. The library never sees the
// platform's events: the host forwards them, while the project's events flag is on, by
// calling the Events class late-bound. This driver plays that host and keeps the erase
// contract that the handlers rely on:
//
// 1. One user operation has one set of three identifier lists (erased, to be erased, nodes
//    for the low/high check; each item followed by ";"), empty at its start; the same
//    variables go to every handler of the operation.
// 2. The user's entities are reported in selection order: the handler of the entity's
//    element type (none for other types), then the erasure, then the identifier appended to
//    the erased list. A handler thus never finds its own entity in the erased list.
// 3. The handlers append what must go with an entity to the to-be-erased list, and nodes to
//    the low/high list; the driver only ever appends to the erased list.
// 4. The pipe, node, crossing annotation and profile handlers do nothing for an entity
//    already in the to-be-erased list, so reporting a queued entity again is harmless.
// 5. Then the to-be-erased list is walked from its first item, read again as it grows: an
//    identifier that still names an object is reported (while the flag is 1, unless
//    SetReportCascade(false)), erased and appended to the erased list; identifiers that name
//    nothing, and repeats, are passed over. Last, AnalyzeLowHighAfterDeleting receives the
//    low/high list when it is not empty.
// 6. Move: the entities are moved, then the follow-ups run: AdjustPipeEnds for moved pipes
//    and the pipes of moved nodes, AdjustLowHighPoint for moved markers and the markers of
//    moved nodes, AdjustCrossingLine for moved leader lines and the leaders of moved crossing
//    annotations, then RebuildPipeCrossingPoints and FlagChangedPipesProfilesForUpdate with
//    the changed pipes and one set of lists, whose to-be-erased list (the leader lines of
//    replaced annotations) is erased as in 5.
//
// Copy: the entities are copied and moved, then VerifyCopiedElements receives the copies.
//
// Locked layers: the user's Erase, Move and Copy take the selection as a CAD program makes
// it, passing over every entity whose own layer is locked before anything happens (it is
// neither erased, moved nor copied, and reaches no handler). What the user did cannot be
// refused by its upkeep: the driver unlocks the drawing's locked layers before the first
// handler or follow-up and locks them again after the last one and the erasure of the
// to-be-erased list, after a failure as well. The library's own erasures (below) run inside
// library calls that manage their own locks.
//
// The library's own erasures are not reported by default: only what this driver does counts
// as the user's action. SetReportLibraryDeletions(true) reports them as a host would see
// them, through the drawing's erase observer (which the driver then holds): every erasure
// that the driver does not make itself, made while the flag is 1, goes to its handler like a
// user's entity and then to the erased list. Within Command(fn) such erasures share the
// command's lists, and 5 runs when fn returns. One reported outside a command, or while the
// driver is calling Events, is an operation of its own, finished at once: the driver never
// changes lists that a running handler holds.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/acad_document.h"
#include "platform/dispatch.h"

namespace host {

class EventDriver {
public:
    // `general` answers CheckEventsFlag; `events` receives the handlers' calls.
    EventDriver(std::shared_ptr<acad::AcadDocument> document, com::ObjectPtr general, com::ObjectPtr events);
    ~EventDriver();
    EventDriver(const EventDriver&) = delete;
    EventDriver& operator=(const EventDriver&) = delete;

    void SetReportCascade(bool report) { reportCascade_ = report; }

    struct EraseLists {
        std::string erased;
        std::string toBeErased;
        std::string nodesForLowHigh;
    };
    EraseLists Erase(const std::vector<std::shared_ptr<acad::AcadEntity>>& picked);

    struct CopyResult {
        std::vector<std::shared_ptr<acad::AcadEntity>> copies;
        std::string changedPipes;  // as VerifyCopiedElements left it
    };
    CopyResult Copy(const std::vector<std::shared_ptr<acad::AcadEntity>>& picked, const acad::Point3& from,
                    const acad::Point3& to);

    // The lists of the follow-ups, as the erasure of their to-be-erased list left them.
    EraseLists Move(const std::vector<std::shared_ptr<acad::AcadEntity>>& picked, const acad::Point3& from,
                    const acad::Point3& to);

    // ---- driver mode: the library's own erasures reported ----
    // Takes the drawing's erase observer while on; off gives it up (no observer is left).
    void SetReportLibraryDeletions(bool report);
    // One host command around a test's library calls; its lists after 5. A command begun
    // inside another is part of it. A failure ends the command without 5 and is rethrown.
    EraseLists Command(const std::function<void()>& libraryCalls);
    // The identifiers of the library's erasures that reached a handler, in order.
    const std::vector<std::string>& ReportedDeletions() const { return reported_; }

    bool EventsOn() const;

private:
    struct Operation {
        com::Variant erased{""}, toBeErased{""}, nodes{""};
        EraseLists Lists() const;
    };
    class Observer;
    struct Pending {
        int32_t id;
        Operation* operation;
        std::unique_ptr<Operation> own;  // set for an operation of its own
    };

    // The handler of the entity's element type, if it has one; true when one was called.
    bool Report(const std::shared_ptr<acad::AcadEntity>& entity, Operation& operation);
    void EraseOne(const std::shared_ptr<acad::AcadEntity>& entity, bool report, Operation& operation);
    static void AppendErased(Operation& operation, int32_t id);
    // Point 5: the to-be-erased list erased, then the low/high classification.
    void Finish(Operation& operation);
    void LibraryErasing(const acad::AcadEntity& entity, bool before);
    // Every call to Events goes through here, so that the driver knows a handler is running.
    template <class... A>
    com::Variant CallEvents(std::string_view name, A&&... args) {
        struct Running {
            int& calls;
            explicit Running(int& c) : calls(c) { ++calls; }
            ~Running() { --calls; }
        } running(eventsCalls_);
        ++eventsCallsMade_;
        return vb::CallByName(events_, name, com::CallType::Method, doc_, std::forward<A>(args)...);
    }

    std::shared_ptr<acad::AcadDocument> doc_;
    com::ObjectPtr general_;
    com::ObjectPtr events_;
    bool reportCascade_ = true;
    std::shared_ptr<Observer> observer_;
    const acad::AcadEntity* erasingItself_ = nullptr;  // the entity the driver is erasing
    int eventsCalls_ = 0;                              // the driver's calls to Events under way
    uint64_t eventsCallsMade_ = 0;                     // the driver's calls to Events so far
    Operation* command_ = nullptr;
    std::vector<Pending> pending_;  // reported, not yet erased
    std::vector<std::string> reported_;
};

// Entry k of an object's "Fluvamap" record as text, or "" when there is no such entry.
std::string RecordText(const acad::AcadObject& object, int k);
// The keys of a reference entry or list (";RelatedTo" & key, one or more), in order.
std::vector<std::string> ReferenceKeys(const std::string& references);

}  // namespace host
