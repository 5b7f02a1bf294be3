#pragma once
// Scope guards for what an operation changes around its work: locked layers unlocked,
// layers opened for writing, the active layer and text style, the events flag. Restore()
// at the normal end puts the state back and lets a failure of its own through; on an
// error path the destructor puts it back and swallows its own failure, so the original
// error propagates. Declare the guards in the order the states must come back in reverse.

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/general.h"
#include "platform/acad_document.h"

namespace fluvanet {

class StateGuard {
public:
    StateGuard(const StateGuard&) = delete;
    StateGuard& operator=(const StateGuard&) = delete;
    ~StateGuard() {
        if (!restore_) return;
        try {
            Restore();
        } catch (...) {
        }
    }
    void Restore() {
        if (!restore_) return;
        auto restore = std::move(restore_);
        restore_ = nullptr;
        restore();
    }

protected:
    StateGuard() = default;
    void Arm(std::function<void()> restore) { restore_ = std::move(restore); }

private:
    std::function<void()> restore_;
};

// RestoreLockedLayers of the list UnlockAllLayers made of the drawing's layers, which may be
// longer than the host's 16-bit indices reach.
void RelockLayers(acad::AcadDocument& doc, const com::Variant& lockedLayers);

// UnlockAllLayers now, RestoreLockedLayers at the end.
class UnlockedLayersGuard : public StateGuard {
public:
    UnlockedLayersGuard(General& general, acad::AcadDocument& doc) {
        locked_ = general.UnlockAllLayers(doc);
        // The state goes into the closure: the base restores after this object's members are gone.
        Arm([&doc, locked = locked_] { RelockLayers(doc, locked); });
    }
    const com::Variant& LockedLayers() const { return locked_; }

private:
    com::Variant locked_;
};

// OpenLayerForWrite now (names in the leading form, ";" & name each), RestoreLayerStatus
// at the end.
class OpenedLayersGuard : public StateGuard {
public:
    OpenedLayersGuard(General& general, acad::AcadDocument& doc, const std::string& layerNamesString) {
        Arm([&general, &doc, status = general.OpenLayerForWrite(doc, layerNamesString)] {
            general.RestoreLayerStatus(doc, status);
        });
    }
};

// The document's active layer as it is now, made active again at the end.
class ActiveLayerGuard : public StateGuard {
public:
    explicit ActiveLayerGuard(acad::AcadDocument& doc) {
        auto layer = doc.ActiveLayer();
        Arm([&doc, layer] {
            if (layer && doc.ActiveLayer() != layer) doc.SetActiveLayer(layer);
        });
    }
};

// The document's active text style as it is now, made active again at the end.
class ActiveTextStyleGuard : public StateGuard {
public:
    explicit ActiveTextStyleGuard(acad::AcadDocument& doc) {
        auto style = doc.ActiveTextStyle();
        Arm([&doc, style] {
            if (style && doc.ActiveTextStyle() != style) doc.SetActiveTextStyle(style);
        });
    }
};

// Events off now, so that the library's own deletions reach no erase handler; the previous
// flag back at the end (a 0 stays 0).
class EventsOffGuard : public StateGuard {
public:
    EventsOffGuard(General& general, acad::AcadDocument& doc) {
        int16_t previous = general.CheckEventsFlag(doc);
        general.TurnEventsOff(doc);
        Arm([&general, &doc, previous] {
            if (previous != 0) general.TurnEventsOn(doc);
        });
    }
};

// Refuses with the platform's locked-layer error while nothing has changed yet: a change
// that a locked layer stops midway could not be undone on that layer either.
inline void RequireUnlockedLayer(acad::AcadDocument& doc, const std::string& layerName) {
    if (doc.Layers()->Item(com::Variant(layerName))->Lock()) com::Raise(com::ErrorCode::OnLockedLayer, layerName);
}
// A new entity is made on the active layer before it goes to its own.
inline void RequireUnlockedActiveLayer(acad::AcadDocument& doc) {
    if (auto active = doc.ActiveLayer(); active && active->Lock())
        com::Raise(com::ErrorCode::OnLockedLayer, active->Name());
}

// The layers an operation will write, gathered before its first write and met there:
// Require() refuses with the platform's locked-layer error naming the first locked one.
// An entity counts with its own layer and, a block reference, its attributes' layers.
class LayersToWrite {
public:
    explicit LayersToWrite(acad::AcadDocument& doc) : doc_(doc) {}
    LayersToWrite& Layer(const std::string& name);
    // A new entity starts on the active layer before it goes to its own.
    LayersToWrite& ActiveLayer();
    LayersToWrite& Entity(const acad::AcadEntity& entity);
    // Anything but a live entity adds nothing.
    LayersToWrite& Object(const std::shared_ptr<acad::AcadObject>& object);
    void Require() const;
    const std::vector<std::string>& Names() const { return names_; }

private:
    acad::AcadDocument& doc_;
    std::vector<std::string> names_;  // in the order met
    std::vector<std::string> keys_;   // the same in capitals: the platform's names ignore case
};

// Inside a catch block: undoes what the failed operation changed, each step tried even
// when an earlier one fails, then rethrows the original error. A step that fails is never
// swallowed: its error goes on in place of the original, which its description names, so
// that a caller cannot take a half-undone change for none.
[[noreturn]] inline void UndoAndRethrow(const std::vector<std::function<void()>>& steps) {
    std::optional<com::Error> undoFailure;
    for (const auto& step : steps) {
        try {
            step();
        } catch (const com::Error& e) {
            if (!undoFailure) undoFailure = e;
        }
    }
    if (!undoFailure) throw;
    std::string original = "an unknown error";
    try {
        throw;
    } catch (const std::exception& e) {
        original = e.what();
    } catch (...) {
    }
    throw com::Error(undoFailure->Number(),
                     undoFailure->Description() + " (undoing what failed with: " + original + ")");
}

// UndoAndRethrow with the drawing's locked layers unlocked meanwhile: the failed call's own
// upkeep may have written through layers that it opened and locked again, and what it wrote
// there must come back all the same.
[[noreturn]] inline void UndoThroughLocksAndRethrow(General& general, acad::AcadDocument& doc,
                                                    const std::vector<std::function<void()>>& steps) {
    std::optional<UnlockedLayersGuard> unlocked;
    try {
        unlocked.emplace(general, doc);
    } catch (const com::Error&) {
        // Then what lies on a locked layer stays as the failure left it, and the undo says so.
    }
    UndoAndRethrow(steps);
}

}  // namespace fluvanet
