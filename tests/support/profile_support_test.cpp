// The test profiles are sound, and each rule the checker holds for profiles, their plan
// annotations and style points fires on a drawing broken for it.

#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "editing/pipe_node_records.h"
#include "profile/profile.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"
#include "tests/support/xdata.h"

namespace {

using com::Variant;
using testing::IsEmpty;
using namespace testing_support;
namespace pe = fluvanet::pipe_entry;

struct ProfileDrawing {
    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    NetworkBuilder net{*doc, "Main"};
    TestChain chain = net.AddChain({{0, 0}, {10, 0}, {20, 0}});
    std::string styleId = AddProfileStyle(*doc, "Road");
    TestProfile profile = AddTestProfile(*doc, net, "L-1", "Road", {chain.pipes[0]}, WithPlan());

    std::shared_ptr<acad::AcadObject> Style() const { return doc->ObjectIdToObject(std::stoi(styleId)); }
    std::string PlanId() const { return fluvanet::IdText(*profile.plan); }
};

struct Breakage {
    std::string name;
    std::function<std::string(ProfileDrawing&)> apply;  // the id of the object to be reported
    std::string fragment;
};

TEST(ProfileFindings, EachRuleFiresOnADrawingBrokenForIt) {
    const std::vector<Breakage> breakages{
        {"flag code",
         [](ProfileDrawing& d) {
             fluvanet::ElementRecord r = d.profile.Record();
             std::vector<int16_t> codes = r.Codes();
             codes[15] = 1000;
             d.profile.block->SetXData(Codes(codes), r.ValuesVariant());
             return d.profile.Id();
         },
         "[15] has code 1000, 1070 expected"},
        {"direction", [](ProfileDrawing& d) { SetRecordEntry(d.profile.block, 6, Variant(";2")); return d.profile.Id(); },
         "neither 0 nor 1"},
        {"pipe forgets the profile",
         [](ProfileDrawing& d) {
             SetRecordEntry(d.chain.pipes[0].polyline, pe::kProfileLabels, Variant(""));
             SetRecordEntry(d.chain.pipes[0].polyline, pe::kProfileIds, Variant(""));
             return d.profile.Id();
         },
         "does not name the profile back"},
        {"pipe names an unlisting profile",
         [](ProfileDrawing& d) {
             SetRecordEntry(d.chain.pipes[1].polyline, pe::kProfileLabels, Variant(";RelatedToL-1"));
             SetRecordEntry(d.chain.pipes[1].polyline, pe::kProfileIds, Variant(";RelatedTo" + d.profile.Id()));
             return d.profile.Id();
         },
         "does not list pipe \"P-2\""},
        {"style is a pipe",
         [](ProfileDrawing& d) {
             SetRecordEntry(d.profile.block, 8, Variant(";RelatedTo" + d.chain.pipes[0].Id()));
             return d.profile.Id();
         },
         "not a \"ProfileStylePoint\""},
        {"plan names another profile",
         [](ProfileDrawing& d) {
             SetRecordEntry(d.profile.plan, 4, Variant(";RelatedTo" + d.styleId));
             return d.PlanId();
         },
         "not a \"Profile\""},
        {"style networks short", [](ProfileDrawing& d) { SetRecordEntry(d.Style(), 20, Variant("")); return d.styleId; },
         "1 names, 1 profiles, 0 networks"},
        {"style unlisted",
         [](ProfileDrawing& d) {
             SetRecordEntry(d.doc->ModelSpace(), 10, Variant(""));
             return d.styleId;
         },
         "not listed once in project entry 10"},
        {"style visible",
         [](ProfileDrawing& d) {
             acad::Cast<acad::AcadPoint>(d.Style())->SetVisible(true);
             return d.styleId;
         },
         "not an invisible point"},
    };
    for (const Breakage& b : breakages) {
        SCOPED_TRACE(b.name);
        ProfileDrawing d;
        ASSERT_THAT(NetworkFindings(*d.doc), IsEmpty());
        std::string id = b.apply(d);
        EXPECT_THAT(NetworkFindings(*d.doc),
                    testing::Contains(testing::AllOf(testing::StartsWith(id + " "), testing::HasSubstr(b.fragment))));
    }
}

TEST(ProfileStyleValues, OverriddenEntriesReplaceTheirDefaultsOnly) {
    std::vector<std::string> plain = ProfileStyleValues("Road");
    std::vector<std::string> split = ProfileStyleValues("Road", {{6, "1;100"}, {18, "9;Stations;2;0;0;20;1"}});
    EXPECT_EQ(split[6], "1;100");
    EXPECT_EQ(split[18], "9;Stations;2;0;0;20;1");
    split[6] = plain[6];
    split[18] = plain[18];
    EXPECT_EQ(split, plain);
    EXPECT_THROW(ProfileStyleValues("Road", {{21, ""}}), std::out_of_range);

    auto doc = NewProjectDrawing();
    AddProfileStyle(*doc, "Split", {{6, "1;100"}});
    Variant stored = fluvanet::Profile().GetProfileStyleSettings(*doc, "Split");
    EXPECT_EQ(stored.Array().ToStrings(), ProfileStyleValues("Split", {{6, "1;100"}}));
    EXPECT_THAT(NetworkFindings(*doc), IsEmpty());
}

}  // namespace
