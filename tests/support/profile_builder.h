#pragma once
// Profile styles and drawn profiles for tests. A profile here is a block whose drawing is
// one rectangle from (0, 0), inserted into model space, its records written by the library
// as drawing a profile writes them.
//
//   auto style = AddProfileStyle(*doc, "Road");
//   TestProfile p = AddTestProfile(*doc, net, "L-1", "Road", {chain.pipes[0], chain.pipes[1]});
//   EXPECT_THAT(NetworkFindings(*doc), IsEmpty());

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/element_records.h"
#include "tests/support/network_builder.h"

namespace testing_support {

// The 21 values of a style record under `name` whose settings entries have the item counts
// their readers expect; [3], [4] and [20] empty. Entries of `overrides` replace those
// (an entry number outside 0 to 20 throws std::out_of_range):
//   ProfileStyleValues("Road", {{6, "1;100"}, {18, "9;Stations;2;0;0;20;1"}})
std::vector<std::string> ProfileStyleValues(const std::string& name, const std::map<int, std::string>& overrides = {});
com::Variant ProfileStyleCodes();  // 1001, then twenty 1000

// A style made by the library; the identifier of its point.
std::string AddProfileStyle(acad::AcadDocument& doc, const std::string& name,
                            const std::map<int, std::string>& overrides = {});

// The three lists of ordered profile pipes: label references, ID references, and ";0"
// (or the given directions) per pipe.
std::vector<std::string> ProfilePipeLists(const std::vector<TestPipe>& pipes, const std::vector<std::string>& directions = {});

struct TestProfile {
    std::shared_ptr<acad::AcadBlockReference> block;
    std::shared_ptr<acad::AcadBlockReference> plan;  // nullptr without a plan annotation
    std::string name;

    std::string Id() const;
    fluvanet::ElementRecord Record() const;  // read now
};

struct TestProfileOptions {
    double width = 100;
    double height = 40;
    acad::Point3 at{500, 500, 0};
    bool withPlan = false;
    std::vector<std::string> directions;  // ";0" each when empty
};

// The defaults with a plan annotation.
inline TestProfileOptions WithPlan() {
    TestProfileOptions options;
    options.withPlan = true;
    return options;
}

TestProfile AddTestProfile(acad::AcadDocument& doc, const NetworkBuilder& net, const std::string& name,
                           const std::string& style, const std::vector<TestPipe>& pipes,
                           const TestProfileOptions& options = {});

}  // namespace testing_support
