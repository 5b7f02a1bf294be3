#pragma once
// What a host would see of erasures: the events flag read before each one, as a host reads
// it before forwarding the erasure, and, for a failure midway, an error raised before the
// erasure of the first entity that `failWhen` picks (that entity stays).
//
//   auto watch = WatchErasures(*doc);
//   watch->failWhen = [](const acad::AcadEntity& e) { return host::RecordText(e, 2) == "GravityPipe"; };
//   ...
//   doc->SetEraseObserver(nullptr);

#include <functional>
#include <memory>
#include <vector>

#include "core/general.h"
#include "platform/acad_document.h"
#include "platform/error.h"

namespace testing_support {

class FlagsAtErasure : public acad::EraseObserver {
public:
    explicit FlagsAtErasure(acad::AcadDocument& doc) : doc_(doc) {}
    void Erasing(const acad::AcadEntity& entity, Phase phase) override {
        if (phase != Phase::Before) return;
        flags.push_back(fluvanet::General().CheckEventsFlag(doc_));
        if (failWhen && failWhen(entity)) com::Raise(com::ErrorCode::InvalidInput, "the erasure was refused");
    }
    std::vector<int16_t> flags;
    std::function<bool(const acad::AcadEntity&)> failWhen;

private:
    acad::AcadDocument& doc_;  // the drawing holds the observer
};

inline std::shared_ptr<FlagsAtErasure> WatchErasures(acad::AcadDocument& doc) {
    auto watch = std::make_shared<FlagsAtErasure>(doc);
    doc.SetEraseObserver(watch);
    return watch;
}

}  // namespace testing_support
