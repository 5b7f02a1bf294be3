#pragma once
// What the host program does when it starts a project in a drawing: the project record
// on the model-space block (the library only reads and rewrites it) and the two library
// points it names, with their records.

#include <memory>
#include <string>
#include <vector>

#include "platform/acad_document.h"

namespace host {

struct ProjectOptions {
    std::string modelUnits = "Metric";
    int16_t eventsFlag = 1;
    std::string projectVersion = "2.05";
    std::string minimumClearance = "0.5";
    // The libraries' first entries, each with the count 0. A box size is width "x" height.
    std::vector<std::string> materials{"PVC"};
    std::vector<std::string> circularSizesMetric{"200"};  // millimetres
    std::vector<std::string> boxSizesMetric{"1000x600"};
    std::vector<std::string> circularSizesUS{"8"};  // inches
    std::vector<std::string> boxSizesUS{"4x2"};     // drawing units, as box pipes store them
};

namespace detail {

// Library lists: every item followed by ";".
inline std::string ListOf(const std::vector<std::string>& items) {
    std::string list;
    for (const std::string& item : items) list += item + ";";
    return list;
}

inline std::string ZeroCounts(const std::vector<std::string>& items) {
    return ListOf(std::vector<std::string>(items.size(), "0"));
}

// A settings point: invisible, entry 0 the application, every further entry a text.
inline std::shared_ptr<acad::AcadPoint> AddSettingsPoint(acad::AcadDocument& doc, std::vector<com::Variant> texts) {
    auto point = doc.ModelSpace()->AddPoint({0, 0, 0});
    point->SetVisible(false);
    std::vector<int16_t> codes(texts.size() + 1, 1000);
    codes[0] = 1001;
    texts.insert(texts.begin(), com::Variant("Fluvamap"));
    point->SetXData(com::Variant(com::SafeArray::FromInt16s(codes)), com::Variant(com::SafeArray::FromVariants(texts)));
    return point;
}

}  // namespace detail

inline void CreateProjectRecord(acad::AcadDocument& doc, const ProjectOptions& options = {}) {
    auto ms = doc.ModelSpace();
    auto material = detail::AddSettingsPoint(
        doc, {";;MaterialLibrary", "MaterialLibraryPoint", detail::ListOf(options.materials),
              detail::ZeroCounts(options.materials)});
    auto sizes = detail::AddSettingsPoint(
        doc, {";;SectionSizeLibrary", "SectionSizeLibraryPoint", detail::ListOf(options.circularSizesMetric),
              detail::ZeroCounts(options.circularSizesMetric), detail::ListOf(options.boxSizesMetric),
              detail::ZeroCounts(options.boxSizesMetric), detail::ListOf(options.circularSizesUS),
              detail::ZeroCounts(options.circularSizesUS), detail::ListOf(options.boxSizesUS),
              detail::ZeroCounts(options.boxSizesUS)});
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

// The settings of the view style "Standard" the host offers a new project: labels of every
// element, and length, size, slope and direction arrow of gravity pipes; nothing else.
inline std::vector<std::string> StandardViewStyleSettings() {
    std::vector<std::string> s(43);
    s[0] = "Fluvamap";
    s[1] = ";;Standard";
    s[2] = "ViewStylePoint";
    s[3] = "Standard";
    s[4] = "2.5";
    for (int k = 5; k <= 40; ++k) s[static_cast<std::size_t>(k)] = "0;;;2;0";  // values: flag;prefix;suffix;precision;decimals
    for (int k : {5, 7, 9, 19, 21, 23, 33, 37}) s[static_cast<std::size_t>(k)] = "0;;";  // flag;prefix;suffix
    for (int k : {8, 22}) s[static_cast<std::size_t>(k)] = "0;;;2;0;0";               // slopes
    for (int k : {18, 32}) s[static_cast<std::size_t>(k)] = "0";                       // arrows
    for (int k : {41, 42}) s[static_cast<std::size_t>(k)] = "0;2;0";                   // coordinates
    for (int k : {5, 19, 33, 37}) s[static_cast<std::size_t>(k)] = "1;;";
    s[6] = "1;L=;m;2;0";
    s[7] = "1;;";
    s[8] = "1;S=;%;2;0;1";
    s[18] = "1";
    return s;
}

}  // namespace host
