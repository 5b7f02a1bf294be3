#pragma once
// Scope guards for what an operation changes around its work: locked layers unlocked,
// layers opened for writing, the active layer and text style, the events flag. Restore()
// at the normal end puts the state back and lets a failure of its own through; on an
// error path the destructor puts it back and swallows its own failure, so the original
// error propagates. Declare the guards in the order the states must come back in reverse.

#include <functional>
#include <memory>
#include <string>

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

// UnlockAllLayers now, RestoreLockedLayers at the end.
class UnlockedLayersGuard : public StateGuard {
public:
    UnlockedLayersGuard(General& general, acad::AcadDocument& doc) {
        locked_ = general.UnlockAllLayers(doc);
        // The state goes into the closure: the base restores after this object's members are gone.
        Arm([&general, &doc, locked = locked_] { general.RestoreLockedLayers(doc, locked); });
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

}  // namespace fluvanet
