#pragma once
// View styles for tests: the host's standard settings with entries replaced, and a style
// point made active without the library.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/new_project.h"
#include "platform/acad_document.h"

namespace testing_support {

// The host's "Standard" settings, renamed when `name` is given, with entries replaced.
std::vector<std::string> ViewStyleSettings(const std::map<int, std::string>& overrides = {},
                                           const std::string& name = "Standard");
com::Variant SettingsVariant(const std::vector<std::string>& settings);

// An invisible point at (0, 0, 0) on "0" carrying the settings (1001 then 42 texts), listed in
// project entry 1, whose style becomes the active one.
std::shared_ptr<acad::AcadPoint> AddActiveViewStyle(acad::AcadDocument& doc, const std::vector<std::string>& settings);

}  // namespace testing_support
