// Out-of-date profiles: the flag and its stamp, flags from crossings, and the direction list
// and pipe references kept right when pipes are reversed, merged or leave a profile.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "editing/pipe_node_records.h"
#include "profile/profile.h"
#include "tests/support/error_code.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"

namespace {

using com::ErrorCode;
using com::Variant;
using fluvanet::CrossPoint;
using testing::IsEmpty;
using namespace testing_support;
namespace pe = fluvanet::pipe_entry;

std::string Ref(const std::string& key) { return ";RelatedTo" + key; }

struct ProfileFlagsTest : ::testing::Test {
    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    NetworkBuilder net{*doc, "Main"};
    TestChain chain = net.AddChain({{0, 0}, {10, 0}, {20, 0}, {30, 0}});
    std::string style = AddProfileStyle(*doc, "Road");
    TestProfile drawn = AddTestProfile(*doc, net, "L-1", "Road", {chain.pipes[0], chain.pipes[1]});
    fluvanet::Profile profile;

    const TestPipe& P(int i) const { return chain.pipes[static_cast<std::size_t>(i - 1)]; }
    int16_t Flag(const TestProfile& p) { return p.Record().Get(15).Int(); }
    std::vector<std::shared_ptr<acad::AcadText>> Stamps(const TestProfile& p) {
        std::vector<std::shared_ptr<acad::AcadText>> stamps;
        for (const auto& e : doc->Blocks()->Item(Variant(p.block->Name()))->Entities())
            if (auto text = std::dynamic_pointer_cast<acad::AcadText>(e)) stamps.push_back(text);
        return stamps;
    }
    std::string Directions() { return drawn.Record().Text(6); }
    std::string StaleId() {
        auto point = doc->ModelSpace()->AddPoint({0, 0, 0});
        point->Delete();
        return std::to_string(point->ObjectID());
    }
};

TEST_F(ProfileFlagsTest, AFlaggedProfileCarriesOneStampAndIsNotWrittenAgain) {
    doc->Layers()->Add("Profile - Stamp")->SetTrueColor(std::make_shared<acad::AcadAcCmColor>(5));
    int32_t entities = doc->ModelSpace()->Count();
    profile.FlagProfileForUpdate(*doc, drawn.Id());
    EXPECT_EQ(drawn.Record().Code(15), 1070);
    EXPECT_EQ(Flag(drawn), 1);
    EXPECT_EQ(doc->ModelSpace()->Count(), entities);
    EXPECT_EQ(doc->Layers()->Item(Variant("Profile - Stamp"))->TrueColor()->ColorIndex(), 1);
    auto stamps = Stamps(drawn);
    ASSERT_EQ(stamps.size(), 1u);
    EXPECT_EQ(stamps[0]->TextString(), "NeedsUpdate");
    EXPECT_EQ(stamps[0]->Layer(), "Profile - Stamp");
    EXPECT_EQ(stamps[0]->Alignment(), 10);
    EXPECT_DOUBLE_EQ(stamps[0]->TextAlignmentPoint()[0], 50);
    EXPECT_DOUBLE_EQ(stamps[0]->TextAlignmentPoint()[1], 40.0 / 3);
    EXPECT_DOUBLE_EQ(stamps[0]->Height(), 10);
    EXPECT_EQ(stamps[0]->Rotation(), 3.141592654 / 9);
    EXPECT_THAT(NetworkFindings(*doc), IsEmpty());

    // A write to a block on a locked layer would fail.
    doc->Layers()->Add("Locked");
    drawn.block->SetLayer("Locked");
    doc->Layers()->Item(Variant("Locked"))->SetLock(true);
    profile.FlagProfileForUpdate(*doc, drawn.Id());
    EXPECT_EQ(Stamps(drawn).size(), 1u);
}

TEST_F(ProfileFlagsTest, AProfileThatCannotBeMeasuredOrIsNoProfileStaysAsItWas) {
    TestProfile empty = AddTestProfile(*doc, net, "L-2", "Road", {P(3)});
    auto definition = doc->Blocks()->Item(Variant(empty.block->Name()));
    definition->Item(0)->Delete();
    int32_t entities = doc->ModelSpace()->Count();
    EXPECT_EQ(ErrorOf([&] { profile.FlagProfileForUpdate(*doc, empty.Id()); }), ErrorCode::InvalidInput);
    EXPECT_EQ(Flag(empty), 0);
    EXPECT_EQ(doc->ModelSpace()->Count(), entities);
    // Nor one whose measuring reference would start on a locked active layer.
    doc->SetActiveLayer(doc->Layers()->Add("Work"));
    doc->Layers()->Item(Variant("Work"))->SetLock(true);
    EXPECT_EQ(ErrorOf([&] { profile.FlagProfileForUpdate(*doc, drawn.Id()); }), ErrorCode::OnLockedLayer);
    EXPECT_EQ(Flag(drawn), 0);
    EXPECT_EQ(doc->ModelSpace()->Count(), entities);
    doc->Layers()->Item(Variant("Work"))->SetLock(false);
    EXPECT_EQ(ErrorOf([&] { profile.FlagProfileForUpdate(*doc, P(1).Id()); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { profile.ReversePipeDirectionInProfile(*doc, P(1).Id(), style); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(Flag(drawn), 0);
}

TEST_F(ProfileFlagsTest, CrossingsFlagTheProfilesOfTheirPipesOnceEach) {
    // No crossing: an empty list, the one empty record, an array never sized.
    profile.FlagProfilesRelatedToCrossingPoints(*doc, {});
    profile.FlagProfilesRelatedToCrossingPoints(*doc, {CrossPoint{}});
    auto late = std::make_shared<fluvanet::Profile>();
    vb::CallByName(late, "FlagProfilesRelatedToCrossingPoints", com::CallType::Method, Variant(doc),
                   Variant(com::SafeArray::UnsizedRecords<CrossPoint>()));
    EXPECT_EQ(Flag(drawn), 0);

    // Every pipe is checked before the first profile is flagged.
    CrossPoint node, both;
    node.Pipe1OID = P(1).Id();
    node.Pipe2OID = chain.nodes[0].Id();
    EXPECT_EQ(ErrorOf([&] { profile.FlagProfilesRelatedToCrossingPoints(*doc, {node}); }), ErrorCode::TypeMismatch);
    node.Pipe2OID = StaleId();
    EXPECT_EQ(ErrorOf([&] { profile.FlagProfilesRelatedToCrossingPoints(*doc, {node}); }), ErrorCode::ObjectNotFound);
    EXPECT_EQ(Flag(drawn), 0);

    both.Pipe1OID = P(1).Id();
    both.Pipe2OID = Ref(P(2).Id());
    // The host's list keeps 16-bit indices.
    std::vector<CrossPoint> many(32767, both);
    many.push_back(node);
    EXPECT_EQ(ErrorOf([&] { profile.FlagProfilesRelatedToCrossingPoints(*doc, many); }), ErrorCode::Overflow);
    profile.FlagProfilesRelatedToCrossingPoints(*doc, {both});
    EXPECT_EQ(Flag(drawn), 1);
    EXPECT_EQ(Stamps(drawn).size(), 1u);
    EXPECT_THAT(NetworkFindings(*doc), IsEmpty());
}

TEST_F(ProfileFlagsTest, ReversingTurnsOnlyTheReversedPipesDirection) {
    profile.ReversePipeDirectionInProfile(*doc, P(3).Id(), drawn.Id());
    EXPECT_EQ(Directions(), ";0;0");
    profile.ReversePipeDirectionInProfile(*doc, P(2).Id(), drawn.Id());
    EXPECT_EQ(Directions(), ";0;1");
    profile.ReversePipeDirectionInProfile(*doc, P(2).Id(), drawn.Id());
    EXPECT_EQ(Directions(), ";0;0");
    SetRecordEntry(drawn.block, 6, Variant(";x;0"));
    profile.ReversePipeDirectionInProfile(*doc, P(1).Id(), drawn.Id());
    EXPECT_EQ(Directions(), ";0;0");
    EXPECT_EQ(Flag(drawn), 0);
    SetRecordEntry(drawn.block, 6, Variant(";0"));
    EXPECT_EQ(ErrorOf([&] { profile.ReversePipeDirectionInProfile(*doc, P(1).Id(), drawn.Id()); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(Directions(), ";0");
}

TEST_F(ProfileFlagsTest, AMergedPipeRunningAgainstTheOldOneTakesTheOppositeDirection) {
    // The old pipe P-1 runs from (0, 0) to (10, 0).
    auto merged = [&](std::vector<double> vertices, const std::string& direction) {
        auto pipe = doc->ModelSpace()->AddLightWeightPolyline(vertices);
        return profile.GetMergedPipeDirectionInProfile(*doc, *pipe, P(1).Id(), direction);
    };
    EXPECT_EQ(merged({0, 1, 20, 0}, "1"), "1");    // start by the old start
    EXPECT_EQ(merged({-9, 0, 10, 0.5}, "1"), "1");  // end by the old end
    EXPECT_EQ(merged({10, 1, -20, 0}, "0"), "1");  // start by the old end
    EXPECT_EQ(merged({30, 0, 0, 0.5}, "1"), "0");  // end by the old start
    EXPECT_EQ(merged({20, 0, 0, 3}, "x"), "0");
    EXPECT_EQ(merged({5, 0, 20, 0}, "0"), "0");  // d1 and d3 tie: the same way
}

TEST_F(ProfileFlagsTest, APipeLeavingAProfileLosesExactlyItsReferences) {
    TestProfile eleven = AddTestProfile(*doc, net, "L-11", "Road", {P(1)});
    std::string erased = P(1).Id() + ";";
    profile.DeleteProfileReferenceFromPipe(*doc, "L-1", drawn.Id(), P(1).Id(), erased, "");
    profile.DeleteProfileReferenceFromPipe(*doc, "L-1", drawn.Id(), P(1).Id(), "", "7;" + erased);
    EXPECT_EQ(RecordText(P(1).polyline, pe::kProfileLabels), Ref("L-1") + Ref("L-11"));

    profile.DeleteProfileReferenceFromPipe(*doc, "L-1", drawn.Id(), P(1).Id(), "", "");
    EXPECT_EQ(RecordText(P(1).polyline, pe::kProfileLabels), Ref("L-11"));
    EXPECT_EQ(RecordText(P(1).polyline, pe::kProfileIds), Ref(eleven.Id()));
    // The profile still lists the pipe until the erase cascade rewrites it.
    EXPECT_THAT(NetworkFindings(*doc), testing::ElementsAre(testing::HasSubstr("does not name the profile back")));

    profile.DeleteProfileReferenceFromPipe(*doc, "L-1", drawn.Id(), StaleId(), "", "");
    EXPECT_EQ(ErrorOf([&] { profile.DeleteProfileReferenceFromPipe(*doc, "L-1", drawn.Id(), chain.nodes[0].Id(), "", ""); }),
              ErrorCode::TypeMismatch);
}

}  // namespace
