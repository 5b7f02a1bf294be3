// The records of a drawn profile and the references it leaves on its style and its pipes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "editing/pipe_node_records.h"
#include "profile/profile.h"
#include "profile/profile_records.h"
#include "tests/support/error_code.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"

namespace {

using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using testing::ElementsAre;
using testing::IsEmpty;
using namespace testing_support;
namespace pe = fluvanet::pipe_entry;

std::string Ref(const std::string& key) { return ";RelatedTo" + key; }

struct ProfileRecordsTest : ::testing::Test {
    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    NetworkBuilder net{*doc, "Main"};
    TestChain chain = net.AddChain({{0, 0}, {10, 0}, {20, 0}});
    std::string style = AddProfileStyle(*doc, "Road");
    fluvanet::Profile profile;

    std::shared_ptr<acad::AcadBlockReference> Block(const std::string& name) {
        doc->Blocks()->Add({0, 0, 0}, name)->AddLine({0, 0, 0}, {50, 20, 0});
        return doc->ModelSpace()->InsertBlock({0, 0, 0}, name, 1, 1, 1, 0);
    }
    void Build(const std::string& styleName, const std::vector<std::string>& pipes, acad::AcadBlockReference& block,
               const std::shared_ptr<acad::AcadBlockReference>& plan = nullptr) {
        Variant at(SafeArray::FromDoubles({0.1 + 0.2, -3, 0}));
        profile.BuildProfileBlockXData(*doc, "L-1", "Main", "Gravity", styleName, pipes, at, false, "", true, 12.5,
                                       false, false, block, plan);
    }
    std::string Style(int32_t entry) { return RecordText(doc->ObjectIdToObject(std::stoi(style)), entry); }
};

TEST_F(ProfileRecordsTest, AProfileWithoutPlanHoldsSixteenEntriesAndNoPlanReferences) {
    auto block = Block("Fluvamap_Profile_Main_L-1");
    std::vector<std::string> pipes = ProfilePipeLists(chain.pipes, {"0", "1"});
    // The host's lists keep 16-bit indices.
    std::vector<std::string> many(3);
    for (int i = 0; i < 16384; ++i)
        for (std::size_t k = 0; k < 3; ++k) many[k] += pipes[k];
    EXPECT_EQ(ErrorOf([&] { Build("Road", many, *block); }), ErrorCode::Overflow);
    EXPECT_FALSE(fluvanet::ElementRecord::Read(block).Exists());
    Build("Road", pipes, *block);
    fluvanet::ElementRecord r = fluvanet::ElementRecord::Read(block);
    EXPECT_EQ(r.Codes(), fluvanet::ProfileRecordCodes());
    EXPECT_EQ(r.Codes()[15], 1070);
    EXPECT_THAT(r.Values(), ElementsAre("Fluvamap", "Profile;Main;L-1", "Profile", "Gravity", pipes[0], pipes[1],
                                        ";0;1", Ref("Road"), Ref(style), "", "", "1;12.5", "0;", "0.3;-3", "0;0",
                                        Variant(int16_t{0})));
    EXPECT_THAT(NetworkFindings(*doc), IsEmpty());
}

TEST_F(ProfileRecordsTest, APlanAnnotationAndItsProfileNameEachOther) {
    TestProfileOptions withPlan;
    withPlan.withPlan = true;
    TestProfile drawn = AddTestProfile(*doc, net, "L-1", "Road", chain.pipes, withPlan);
    fluvanet::ElementRecord r = drawn.Record();
    EXPECT_EQ(r.Text(9), Ref("L-1PlanAnno"));
    EXPECT_EQ(r.Text(10), Ref(fluvanet::IdText(*drawn.plan)));
    EXPECT_EQ(r.Text(11) + "|" + r.Text(14), "1;0|1;0");
    fluvanet::ElementRecord plan = fluvanet::ElementRecord::Read(drawn.plan);
    EXPECT_EQ(plan.Codes(), std::vector<int16_t>({1001, 1000, 1000, 1000, 1000}));
    EXPECT_THAT(plan.Values(), ElementsAre("Fluvamap", "ProfilePlanAnno;Main;L-1PlanAnno", "ProfilePlanAnno",
                                           Ref("L-1"), Ref(drawn.Id())));
    EXPECT_THAT(NetworkFindings(*doc), IsEmpty());
}

TEST_F(ProfileRecordsTest, EveryProfileAddsOneItemToEachParallelList) {
    NetworkBuilder storm(*doc, "Storm");
    TestChain other = storm.AddChain({{0, 50}, {10, 50}});
    TestProfile first = AddTestProfile(*doc, net, "L-1", "Road", chain.pipes);
    TestProfile second = AddTestProfile(*doc, storm, "L-2", "Road", other.pipes);
    TestProfile third = AddTestProfile(*doc, net, "L-3", "Road", {chain.pipes[1]});
    EXPECT_EQ(Style(3), Ref("L-1") + Ref("L-2") + Ref("L-3"));
    EXPECT_EQ(Style(4), Ref(first.Id()) + Ref(second.Id()) + Ref(third.Id()));
    EXPECT_EQ(Style(20), ";Main;Storm;Main");
    EXPECT_EQ(RecordText(chain.pipes[1].polyline, pe::kProfileLabels), Ref("L-1") + Ref("L-3"));
    EXPECT_EQ(RecordText(chain.pipes[1].polyline, pe::kProfileIds), Ref(first.Id()) + Ref(third.Id()));
    EXPECT_THAT(NetworkFindings(*doc), IsEmpty());
    auto late = std::make_shared<fluvanet::Profile>();
    EXPECT_EQ(vb::CallByName(late, "GetProfileStyleOID", com::CallType::Method, Variant(doc), "Road"), Variant(style));
}

TEST_F(ProfileRecordsTest, AnUnknownStyleOrABadPipeWritesNothing) {
    auto block = Block("Fluvamap_Profile_Main_L-1");
    std::vector<std::string> good = ProfilePipeLists(chain.pipes);
    std::vector<std::string> stale = good, node = good, uneven = good;
    auto gone = doc->ModelSpace()->AddPoint({0, 0, 0});
    gone->Delete();
    stale[1] = Ref(chain.pipes[0].Id()) + Ref(std::to_string(gone->ObjectID()));
    node[1] = Ref(chain.pipes[0].Id()) + Ref(chain.nodes[0].Id());
    uneven[2] = ";0";
    std::string missing;
    try {
        Build("Roads", good, *block);
    } catch (const com::Error& e) {
        missing = e.Description();
    }
    EXPECT_THAT(missing, testing::HasSubstr("\"Roads\""));
    EXPECT_EQ(ErrorOf([&] { Build("Road", stale, *block); }), ErrorCode::ObjectNotFound);
    EXPECT_EQ(ErrorOf([&] { Build("Road", node, *block); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { Build("Road", uneven, *block); }), ErrorCode::InvalidProcedureCall);
    EXPECT_FALSE(fluvanet::ElementRecord::Read(block).Exists());
    EXPECT_EQ(Style(3) + Style(4) + Style(20), "");
    EXPECT_EQ(RecordText(chain.pipes[0].polyline, pe::kProfileIds), "");
    EXPECT_THAT(NetworkFindings(*doc), IsEmpty());
}

}  // namespace
