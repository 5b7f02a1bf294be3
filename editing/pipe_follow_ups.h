#pragma once
// What follows a change of a pipe's record, in the order an edit passes it on: the pipe's
// label, its crossings, the profiles through it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/block_look.h"
#include "core/element_records.h"
#include "platform/acad_document.h"

namespace fluvanet {

class Crossing;
class General;
class Profile;
struct LabelContext;
class ViewStyle;

// FlagProfileForUpdate for each profile the pipe's [23] names.
void FlagPipeProfiles(Profile& profile, acad::AcadDocument& doc, const ElementRecord& pipe);

// The pipe's label texts refreshed in place, its crossings computed again, its profiles
// flagged.
void PassOnPipeChange(ViewStyle& viewStyle, Crossing& crossing, Profile& profile, acad::AcadDocument& doc,
                      const std::string& pipeId);
// The same with the label settings read once by the caller.
void PassOnPipeChange(ViewStyle& viewStyle, General& general, Crossing& crossing, Profile& profile,
                      acad::AcadDocument& doc, const std::string& pipeId, const LabelContext& context);

// What an edit of levels may write, as it was before the first write: the records of the
// pipes and nodes added and of what their follow-ups write (label blocks with the texts they
// show and where they stand, arrows, low/high markers, each pipe's crossing annotations with
// their leaders and other pipes, its profiles) and of the library points. Undo() gives the
// steps that put back what differs, for UndoAndRethrow. A profile keeps a flag set since:
// its stamp stays.
class WrittenByFollowUps {
public:
    explicit WrittenByFollowUps(acad::AcadDocument& doc) : doc_(doc) {}
    void AddPipe(const ElementRecord& pipe);
    void AddNode(const ElementRecord& node);
    void AddLibraries();
    // Refuses, before the first write, a locked layer that flagging the profiles kept would
    // write: the stamp of one not yet flagged starts on the active layer.
    void RequireProfilesFlaggable() const;
    std::vector<std::function<void()>> Undo() const;

private:
    struct Kept {
        ElementRecord record;
        std::optional<BlockLook> look;  // of a block reference
        bool visible = true;
        int32_t keptEntry = -1;  // left as it is at the undo
    };
    // The object a reference or identifier names; an empty one or one gone is passed over.
    void Add(std::string_view id, int32_t keptEntry = -1);
    void Keep(const std::shared_ptr<acad::AcadObject>& object, int32_t keptEntry);

    acad::AcadDocument& doc_;
    std::vector<Kept> kept_;
    std::set<const acad::AcadObject*> seen_;
};

}  // namespace fluvanet
