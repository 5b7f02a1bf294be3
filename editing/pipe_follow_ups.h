#pragma once
// What follows a change of a pipe's record, in the order an edit passes it on: the pipe's
// label, its crossings, the profiles through it.

#include <string>

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

}  // namespace fluvanet
