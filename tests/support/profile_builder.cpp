#include "tests/support/profile_builder.h"

#include "core/reference_lists.h"
#include "profile/profile.h"

namespace testing_support {

using com::Variant;

std::vector<std::string> ProfileStyleValues(const std::string& name, const std::map<int, std::string>& overrides) {
    std::vector<std::string> v(21);
    v[0] = "Fluvamap";
    v[1] = ";;" + name;
    v[2] = "ProfileStylePoint";
    v[5] = "Standard;2.5;3.5;5";
    v[6] = "0;500";
    v[7] = "1;1;1;10";
    v[8] = "1;1;0;1";
    v[9] = "1;1;50";
    v[10] = "1;Size;1;1";
    v[11] = "2;Slope;1;1;2;0;0";
    v[12] = "3;Length;1;2;0";
    v[13] = "4;Material;1;1";
    for (int k = 14; k <= 17; ++k) v[static_cast<std::size_t>(k)] = std::to_string(k - 9) + ";Band;2;0";
    v[18] = "9;Stations;2;0;0;20;0";
    v[19] = "999;Coordinates;2;0;1;0";
    for (const auto& [entry, value] : overrides) v.at(static_cast<std::size_t>(entry)) = value;
    return v;
}

Variant ProfileStyleCodes() {
    std::vector<int16_t> codes(21, 1000);
    codes[0] = 1001;
    return Variant(com::SafeArray::FromInt16s(codes));
}

std::string AddProfileStyle(acad::AcadDocument& doc, const std::string& name,
                            const std::map<int, std::string>& overrides) {
    return fluvanet::Profile().CreateProfileStyle(
        doc, Variant(com::SafeArray::FromStrings(ProfileStyleValues(name, overrides))), ProfileStyleCodes());
}

std::vector<std::string> ProfilePipeLists(const std::vector<TestPipe>& pipes, const std::vector<std::string>& directions) {
    std::vector<std::string> lists(3);
    for (std::size_t i = 0; i < pipes.size(); ++i) {
        lists[0] += fluvanet::refs::Reference(pipes[i].label);
        lists[1] += fluvanet::refs::Reference(pipes[i].Id());
        lists[2] += ";" + (i < directions.size() ? directions[i] : std::string("0"));
    }
    return lists;
}

std::string TestProfile::Id() const { return fluvanet::IdText(*block); }
fluvanet::ElementRecord TestProfile::Record() const { return fluvanet::ElementRecord::Read(block); }

TestProfile AddTestProfile(acad::AcadDocument& doc, const NetworkBuilder& net, const std::string& name,
                           const std::string& style, const std::vector<TestPipe>& pipes,
                           const TestProfileOptions& options) {
    std::string blockName = "Fluvamap_Profile_" + net.Name() + "_" + name;
    auto definition = doc.Blocks()->Add({0, 0, 0}, blockName);
    definition->AddLightWeightPolyline({0, 0, options.width, 0, options.width, options.height, 0, options.height})
        ->SetClosed(true);
    TestProfile profile{doc.ModelSpace()->InsertBlock(options.at, blockName, 1, 1, 1, 0), nullptr, name};
    if (options.withPlan) {
        std::string planName = "Fluvamap_PlanAnno_" + net.Name() + "_" + name;
        doc.Blocks()->Add({0, 0, 0}, planName)->AddLine({0, 0, 0}, {10, 0, 0});
        profile.plan = doc.ModelSpace()->InsertBlock({0, 0, 0}, planName, 1, 1, 1, 0);
    }
    fluvanet::Profile library;
    Variant at(com::SafeArray::FromDoubles({options.at[0], options.at[1], options.at[2]}));
    library.BuildProfileBlockXData(doc, name, net.Name(), net.Type(), style, ProfilePipeLists(pipes, options.directions),
                                   at, false, "", true, 0, options.withPlan, false, *profile.block, profile.plan);
    if (profile.plan) library.BuildProfilePlanAnnoBlockXData(name, net.Name(), *profile.block, *profile.plan);
    return profile;
}

}  // namespace testing_support
