#pragma once
// View styles for tests: the host's standard settings with entries replaced, a style point
// made active without the library, and the host's view-style dialog.

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/new_project.h"
#include "platform/acad_document.h"
#include "platform/host_form.h"

namespace testing_support {

// The host's "Standard" settings, renamed when `name` is given, with entries replaced.
std::vector<std::string> ViewStyleSettings(const std::map<int, std::string>& overrides = {},
                                           const std::string& name = "Standard");
com::Variant SettingsVariant(const std::vector<std::string>& settings);

// An invisible point at (0, 0, 0) on "0" carrying the settings (1001 then 42 texts), listed in
// project entry 1, whose style becomes the active one.
std::shared_ptr<acad::AcadPoint> AddActiveViewStyle(acad::AcadDocument& doc, const std::vector<std::string>& settings);

// The dialog's check boxes of settings entries 5 to 42, in entry order.
extern const std::array<const char*, 38> kViewStyleCheckBoxes;

// The host's view-style dialog with its 43 controls: cmb_StyleName showing `shownStyle`,
// cmb_TextStyle offering `textStyles`, txt_TextHeight, the 38 check boxes, cmd_DeleteStyle
// and cmd_RenameStyle (both enabled, every box cleared).
std::shared_ptr<host::Form> ViewStyleDialog(const std::vector<std::string>& textStyles = {"Standard", "Romans"},
                                            const std::string& shownStyle = "Standard");

}  // namespace testing_support
