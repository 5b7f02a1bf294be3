#include <algorithm>

#include "core/element_records.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"

namespace fluvanet {

double Editing::GetSumpElevation(acad::AcadDocument& AcadActiveDocument, const std::string& PipesAtStartOIDs,
                                 const std::string& PipesAtendOIDs) {
    // A side has pipes when its list names one; an invert of -999 is a level like any other.
    std::vector<std::string> atStart = refs::LeadingKeys(PipesAtStartOIDs);
    std::vector<std::string> atEnd = refs::LeadingKeys(PipesAtendOIDs);
    if (atStart.empty() && atEnd.empty()) return 0;
    auto invert = [&](const std::string& pipeId, int32_t entry) {
        return ElementRecord::Read(ObjectFromId(AcadActiveDocument, pipeId)).Number(entry);
    };
    double lowest = 100000000;
    for (const std::string& id : atStart) lowest = std::min(lowest, invert(id, pipe_entry::kStartInvert));
    for (const std::string& id : atEnd) lowest = std::min(lowest, invert(id, pipe_entry::kEndInvert));
    return lowest;
}

}  // namespace fluvanet
