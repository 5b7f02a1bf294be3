#pragma once
// What the host program does when it starts a project in a drawing: the project record
// on the model-space block (the library only reads and rewrites it) and the two library
// points it names.

#include <memory>
#include <string>

#include "platform/acad_document.h"

namespace host {

struct ProjectOptions {
    std::string modelUnits = "Metric";
    int16_t eventsFlag = 1;
    std::string projectVersion = "2.05";
    std::string minimumClearance = "0.5";
};

inline void CreateProjectRecord(acad::AcadDocument& doc, const ProjectOptions& options = {}) {
    auto ms = doc.ModelSpace();
    auto material = ms->AddPoint({0, 0, 0});
    auto sizes = ms->AddPoint({0, 0, 0});
    material->SetVisible(false);
    sizes->SetVisible(false);
    std::vector<int16_t> codes{1001, 1000, 1070, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000};
    std::vector<com::Variant> values{"Fluvamap",
                                     "Standard;;",
                                     options.eventsFlag,
                                     "",
                                     "",
                                     std::to_string(material->ObjectID()),
                                     std::to_string(sizes->ObjectID()),
                                     options.modelUnits,
                                     options.minimumClearance,
                                     "",
                                     "",
                                     options.projectVersion};
    ms->SetXData(com::Variant(com::SafeArray::FromInt16s(codes)), com::Variant(com::SafeArray::FromVariants(values)));
}

}  // namespace host
