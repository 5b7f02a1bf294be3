// A profile about to be erased: its style point, the pipes that stay and its plan
// annotation forget it; what is queued or erased already is left alone; a refusal changes
// nothing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/general.h"
#include "editing/pipe_node_records.h"
#include "events/events.h"
#include "platform/host_driver.h"
#include "tests/support/error_code.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing::IsEmpty;
using namespace testing_support;
namespace pe = fluvanet::pipe_entry;

std::string Ref(const std::string& key) { return ";RelatedTo" + key; }

struct ProfileErase : testing::Test {
    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    NetworkBuilder net{*doc, "Main"};
    TestChain chain = net.AddChain({{0, 0}, {10, 0}, {20, 0}, {30, 0}});
    std::string style = AddProfileStyle(*doc, "Road");
    // The profile erased stands between two others in the style's lists.
    TestProfile first = AddTestProfile(*doc, net, "L-0", "Road", {P(1)});
    TestProfile target = AddTestProfile(*doc, net, "L-1", "Road", {P(1), P(2), P(3)}, WithPlan());
    TestProfile last = AddTestProfile(*doc, net, "L-2", "Road", {P(2)});
    std::shared_ptr<fluvanet::Events> events = std::make_shared<fluvanet::Events>();

    const TestPipe& P(int i) const { return chain.pipes[static_cast<std::size_t>(i - 1)]; }
    std::shared_ptr<acad::AcadObject> StylePoint() { return fluvanet::ObjectFromId(*doc, style); }
    std::string StyleLists() {
        return RecordText(StylePoint(), 3) + "|" + RecordText(StylePoint(), 4) + "|" + RecordText(StylePoint(), 20);
    }
    static std::string Profiles(const TestPipe& p) {
        return RecordText(p.polyline, pe::kProfileLabels) + "|" + RecordText(p.polyline, pe::kProfileIds);
    }
    // Everything the handler may write, and whether the plan annotation is still there.
    std::vector<std::string> State() {
        return {StyleLists(), Profiles(P(1)), Profiles(P(2)), Profiles(P(3)), target.plan->Erased() ? "gone" : "there"};
    }
    void Erase(const TestProfile& p, std::string erased = "", std::string queued = "") {
        events->ProfileWillBeErased(*doc, *p.block, erased, queued);
    }
    void Sound() {
        std::vector<std::string> findings = NetworkFindings(*doc);
        EXPECT_THAT(findings, IsEmpty()) << testing::PrintToString(findings);
    }
};

TEST_F(ProfileErase, TheStyleThePipesAndThePlanForgetTheProfile) {
    std::string erased, queued;
    events->ProfileWillBeErased(*doc, *target.block, erased, queued);
    // The same position goes from all three lists; the others keep their order.
    EXPECT_EQ(RecordText(StylePoint(), 3), Ref("L-0") + Ref("L-2"));
    EXPECT_EQ(RecordText(StylePoint(), 4), Ref(first.Id()) + Ref(last.Id()));
    EXPECT_EQ(RecordText(StylePoint(), 20), ";Main;Main");
    EXPECT_EQ(Profiles(P(1)), Ref("L-0") + "|" + Ref(first.Id()));
    EXPECT_EQ(Profiles(P(2)), Ref("L-2") + "|" + Ref(last.Id()));
    EXPECT_EQ(Profiles(P(3)), "|");
    // The plan annotation is gone at once and not queued; the profile is the host's to erase.
    EXPECT_TRUE(target.plan->Erased());
    EXPECT_FALSE(target.block->Erased());
    EXPECT_EQ(erased + queued, "");
    target.block->Delete();
    Sound();
}

TEST_F(ProfileErase, PipesAndAPlanInEitherListAreLeftToTheirOwnErasure) {
    const std::string p1 = Profiles(P(1)), p3 = Profiles(P(3));
    const std::string planId = fluvanet::IdText(*target.plan);
    Erase(target, P(1).Id() + ";", P(3).Id() + ";" + planId + ";");
    EXPECT_EQ(Profiles(P(1)), p1);
    EXPECT_EQ(Profiles(P(3)), p3);
    EXPECT_EQ(Profiles(P(2)), Ref("L-2") + "|" + Ref(last.Id()));
    EXPECT_FALSE(target.plan->Erased());
    EXPECT_EQ(RecordText(StylePoint(), 4), Ref(first.Id()) + Ref(last.Id()));
}

TEST_F(ProfileErase, AProfileAlreadyQueuedChangesNothing) {
    const std::vector<std::string> before = State();
    Variant erased(""), queued(P(2).Id() + ";" + target.Id() + ";");
    vb::CallByName(events, "ProfileWillBeErased", com::CallType::Method, doc, target.block, erased, queued);
    EXPECT_EQ(State(), before);
    EXPECT_EQ(vb::CStr(queued), P(2).Id() + ";" + target.Id() + ";");
    Sound();
}

TEST_F(ProfileErase, AStyleThatIsGoneStillLetsPipesAndPlanBeCleaned) {
    std::string old = AddProfileStyle(*doc, "Old");
    TestProfile orphan = AddTestProfile(*doc, net, "L-3", "Old", {P(2), P(3)}, WithPlan());
    acad::Cast<acad::AcadEntity>(fluvanet::ObjectFromId(*doc, old))->Delete();
    SetRecordEntry(doc->ModelSpace(), 10, Variant(style + ";"));
    const std::string styleLists = StyleLists();
    Erase(orphan);
    EXPECT_EQ(StyleLists(), styleLists);
    EXPECT_EQ(Profiles(P(3)), Ref("L-1") + "|" + Ref(target.Id()));
    EXPECT_TRUE(orphan.plan->Erased());
    orphan.block->Delete();
    Sound();
}

TEST_F(ProfileErase, ARefusalComesBeforeAnythingIsWritten) {
    const std::vector<std::string> before = State();
    // Not a profile.
    std::string none;
    EXPECT_EQ(ErrorOf([&] { events->ProfileWillBeErased(*doc, *target.plan, none, none); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { events->ProfileWillBeErased(*doc, *chain.nodes[0].block, none, none); }),
              ErrorCode::TypeMismatch);

    // A style reference naming a pipe.
    const std::string styleId = RecordText(target.block, 8);
    SetRecordEntry(target.block, 8, Variant(Ref(P(3).Id())));
    EXPECT_EQ(ErrorOf([&] { Erase(target); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(State(), before);
    SetRecordEntry(target.block, 8, Variant(styleId));

    // A node among the pipes, behind pipes that would be written first.
    const std::string pipes = RecordText(target.block, 5);
    SetRecordEntry(target.block, 5, Variant(Ref(P(1).Id()) + Ref(P(2).Id()) + Ref(chain.nodes[3].Id())));
    EXPECT_EQ(ErrorOf([&] { Erase(target); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(State(), before);
    SetRecordEntry(target.block, 5, Variant(pipes));

    // Style lists that are not parallel cannot say which position is the profile's.
    SetRecordEntry(StylePoint(), 20, Variant(";Main;Main"));
    EXPECT_EQ(ErrorOf([&] { Erase(target); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(Profiles(P(3)), Ref("L-1") + "|" + Ref(target.Id()));
    EXPECT_FALSE(target.plan->Erased());
    SetRecordEntry(StylePoint(), 20, Variant(";Main;Main;Main"));
    EXPECT_EQ(State(), before);
    Sound();
}

TEST_F(ProfileErase, APipeThatIsGoneIsPassedOver) {
    // Erased behind the profile's back, with events off.
    TestPipe gone = net.AddPipe(chain.nodes[3], net.AddNode(40, 0));
    TestProfile p = AddTestProfile(*doc, net, "L-3", "Road", {P(3), gone});
    gone.polyline->Delete();
    Erase(p);
    EXPECT_EQ(Profiles(P(3)), Ref("L-1") + "|" + Ref(target.Id()));
    EXPECT_EQ(RecordText(StylePoint(), 4), Ref(first.Id()) + Ref(target.Id()) + Ref(last.Id()));
}

TEST_F(ProfileErase, APlanAnnotationThatCannotGoOrIsNoneStaysAndTheProfileIsCleaned) {
    // Deleting it fails on its locked layer.
    doc->Layers()->Add("Locked");
    target.plan->SetLayer("Locked");
    doc->Layers()->Item(Variant("Locked"))->SetLock(true);
    Erase(target);
    EXPECT_FALSE(target.plan->Erased());
    EXPECT_EQ(Profiles(P(3)), "|");

    // The reference names a node.
    SetRecordEntry(last.block, 10, Variant(Ref(chain.nodes[0].Id())));
    Erase(last);
    EXPECT_FALSE(chain.nodes[0].block->Erased());
    EXPECT_EQ(Profiles(P(2)), "|");
    EXPECT_EQ(RecordText(StylePoint(), 4), Ref(first.Id()));
}

TEST_F(ProfileErase, ErasedThroughTheHostTheProfileLeavesNothingBehind) {
    auto general = std::make_shared<fluvanet::General>();
    host::EventDriver host(doc, general, events);
    host::EventDriver::EraseLists lists = host.Erase({target.block});
    EXPECT_TRUE(target.block->Erased());
    EXPECT_TRUE(target.plan->Erased());
    EXPECT_EQ(lists.erased, target.Id() + ";");
    EXPECT_EQ(lists.toBeErased, "");
    EXPECT_EQ(RecordText(StylePoint(), 3), Ref("L-0") + Ref("L-2"));
    Sound();
}

}  // namespace
