#pragma once
// The host's main job on a drawing with a new project: the standard view style made
// active; a gravity sewer and a pressure main defined, drawn as lines and polylines,
// picked by the user and converted; ground levels from a terrain surface; levels set
// node by node, with one pipe enlarged at a junction whose crowns are matched; the
// main's low and high points. Any failure reaches the caller as the library raised it.

#include <cstdio>
#include <memory>

#include "host/late_bound.h"
#include "host/new_project.h"
#include "platform/acad_document.h"

namespace host {

// The project the job starts from: the libraries also offer the size and the material
// that the job gives one pipe.
ProjectOptions MainJobProjectOptions();

void RunMainJob(const std::shared_ptr<acad::AcadDocument>& doc, const FluvanetClasses& fluvanet);

// What the drawing holds afterwards, read back through the records and the library.
void PrintSummary(const std::shared_ptr<acad::AcadDocument>& doc, const FluvanetClasses& fluvanet, std::FILE* out);

}  // namespace host
