// Picking the pipes of a profile: the user's selection and start point, the test that the
// pipes make one open line, their order and directions, and the start at the lowest or
// highest invert.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/general.h"
#include "editing/pipe_node_records.h"
#include "platform/acad_utility.h"
#include "platform/ui_log.h"
#include "profile/profile.h"
#include "tests/support/error_code.h"
#include "tests/support/profile_builder.h"

namespace {

using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using host::UiEvent;
using namespace testing_support;
namespace pe = fluvanet::pipe_entry;

constexpr const char* kNoLine = "The selected pipes don't represent a single continuous line!";

Variant Point(double x, double y) { return Variant(SafeArray::FromDoubles({x, y, 0})); }

struct PipeSelectionTest : ::testing::Test {
    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    NetworkBuilder net{*doc, "Main"};
    TestChain chain = net.AddChain({{0, 0}, {10, 0}, {20, 0}, {30, 0}});
    fluvanet::Profile profile;

    void SetUp() override { host::Ui().Clear(); }
    const TestPipe& P(int i) const { return chain.pipes[static_cast<std::size_t>(i - 1)]; }
    std::shared_ptr<acad::AcadUtility> User() const { return doc->Utility(); }
    void Selects(const std::vector<TestPipe>& pipes) const {
        std::vector<std::shared_ptr<acad::AcadEntity>> picks;
        for (const TestPipe& p : pipes) picks.push_back(p.polyline);
        User()->QueueSelection(picks);
    }
    std::shared_ptr<acad::AcadSelectionSet> Set(const std::vector<TestPipe>& pipes) const {
        auto set = fluvanet::General().InitializeSelectionSet(*doc, "TestPipes");
        for (const TestPipe& p : pipes) set->AddItems({p.polyline});
        return set;
    }
    Variant Select(const std::string& network = "Main") { return profile.SelectPipesForProfile(*doc, network); }
};

Variant Lists(const std::vector<TestPipe>& pipes, const std::vector<std::string>& directions) {
    return Variant(SafeArray::FromStrings(ProfilePipeLists(pipes, directions)));
}

TEST_F(PipeSelectionTest, TheUserSelectsThenPicksAndTheLineRunsFromTheNearerFreeEnd) {
    Selects({P(2), P(3), P(1)});
    User()->QueuePoint({31, 1, 0});
    EXPECT_EQ(Select(), Lists({P(3), P(2), P(1)}, {"1", "1", "1"}));
    EXPECT_EQ(host::Ui().Events(),
              (std::vector<UiEvent>{{UiEvent::Kind::Command, "\x1b", 0, ""},
                                    {UiEvent::Kind::Prompt, "Select profile pipes:", 0, ""},
                                    {UiEvent::Kind::Prompt, "Pick profile start point:", 0, ""}}));
    EXPECT_EQ(doc->SelectionSets()->Item(Variant("SetPipesBySelection"))->Count(), 3);

    Selects({P(2), P(3), P(1)});
    User()->QueuePoint({-1, 0, 0});
    auto late = std::make_shared<fluvanet::Profile>();
    EXPECT_EQ(vb::CallByName(late, "SelectPipesForProfile", com::CallType::Method, Variant(doc), "Main"),
              Lists({P(1), P(2), P(3)}, {"0", "0", "0"}));
}

TEST_F(PipeSelectionTest, OnePipeNeedsNoChainTestAndRunsFromItsNearerEnd) {
    Selects({P(2)});
    User()->QueuePoint({19, 0, 0});
    EXPECT_EQ(Select(), Lists({P(2)}, {"1"}));
    Selects({P(2)});
    User()->QueuePoint({11, 3, 0});
    EXPECT_EQ(Select(), Lists({P(2)}, {"0"}));
    EXPECT_TRUE(host::Ui().MessageBoxes().empty());
}

TEST_F(PipeSelectionTest, ABranchIsRefusedWithTheMessageAndNoPointIsAskedFor) {
    TestPipe side = net.AddPipe(net.AddNode(10, 8), chain.nodes[1]);
    Selects({P(1), P(2), side});
    EXPECT_TRUE(Select().IsEmpty());
    EXPECT_EQ(host::Ui().MessageBoxes(),
              (std::vector<UiEvent>{{UiEvent::Kind::MessageBox, kNoLine, vb::vbCritical, "Fluvamap"}}));
    EXPECT_EQ(host::Ui().Prompts(), (std::vector<std::string>{"Select profile pipes:"}));
}

TEST_F(PipeSelectionTest, AnEmptySelectionGivesEmptyWhileACancelRaises) {
    User()->QueueSelection({});
    EXPECT_TRUE(Select().IsEmpty());
    User()->QueueSelection({doc->ModelSpace()->AddLine({0, 0, 0}, {5, 5, 0})});
    EXPECT_TRUE(Select().IsEmpty()) << "nothing of the network was picked";
    EXPECT_TRUE(host::Ui().MessageBoxes().empty());
    EXPECT_THAT(host::Ui().Prompts(), testing::Not(testing::Contains("Pick profile start point:")));

    User()->QueueCancel();
    EXPECT_EQ(ErrorOf([&] { Select(); }), ErrorCode::UserCancel);
    Selects({P(1)});
    User()->QueueCancel();
    EXPECT_EQ(ErrorOf([&] { Select(); }), ErrorCode::UserCancel) << "the start point pick";
}

TEST_F(PipeSelectionTest, NetworksWhoseNamesMatchAsPatternsOrDifferInCaseNeverPickEachOthersPipes) {
    NetworkBuilder dot(*doc, "S.1");
    NetworkBuilder dash(*doc, "S-1");
    NetworkBuilder lower(*doc, "main");
    TestPipe d = dot.AddChain({{0, 50}, {10, 50}}).pipes[0];
    TestPipe h = dash.AddChain({{10, 50}, {20, 50}}).pipes[0];
    TestPipe l = lower.AddChain({{30, 0}, {40, 0}}).pipes[0];
    // Another network's pipe with a text in its record that looks like a combined label.
    TestPipe odd = NetworkBuilder(*doc, "Other").AddChain({{0, 60}, {10, 60}}).pipes[0];
    SetRecordEntry(odd.polyline, pe::kMaterial, Variant("Pipe;Main;P-9"));

    const std::vector<std::shared_ptr<acad::AcadEntity>> all{d.polyline, h.polyline, l.polyline, odd.polyline,
                                                             P(3).polyline};
    User()->QueueSelection(all);
    User()->QueuePoint({0, 50, 0});
    EXPECT_EQ(Select("S.1"), Lists({d}, {"0"}));
    User()->QueueSelection(all);
    User()->QueuePoint({20, 50, 0});
    EXPECT_EQ(Select("S-1"), Lists({h}, {"1"}));
    User()->QueueSelection(all);
    User()->QueuePoint({40, 0, 0});
    EXPECT_EQ(Select("main"), Lists({l}, {"1"}));
    User()->QueueSelection(all);
    User()->QueuePoint({20, 0, 0});
    EXPECT_EQ(Select("Main"), Lists({P(3)}, {"0"}));
    EXPECT_TRUE(host::Ui().MessageBoxes().empty());
}

TEST_F(PipeSelectionTest, OnlyOneOpenChainPassesTheChainTest) {
    EXPECT_TRUE(profile.CheckProfilePipesConnectivity(*Set({P(2), P(1), P(3)})));
    EXPECT_TRUE(profile.CheckProfilePipesConnectivity(*Set({P(2)})));

    TestChain other = net.AddChain({{0, 20}, {10, 20}, {20, 20}});
    EXPECT_FALSE(profile.CheckProfilePipesConnectivity(*Set({P(1), P(2), other.pipes[0], other.pipes[1]})))
        << "two chains";
    EXPECT_FALSE(profile.CheckProfilePipesConnectivity(*Set({P(1), P(2), other.pipes[0]}))) << "a pipe on its own";

    TestChain ring = net.AddChain({{0, 40}, {10, 40}, {5, 48}});
    TestPipe closing = net.AddPipe(ring.nodes[2], ring.nodes[0]);
    EXPECT_FALSE(profile.CheckProfilePipesConnectivity(*Set({ring.pipes[0], ring.pipes[1], closing})));

    TestPipe side = net.AddPipe(chain.nodes[2], net.AddNode(20, 8));
    EXPECT_TRUE(profile.CheckProfilePipesConnectivity(*Set({P(1), P(2), side}))) << "the side pipe goes on the line";
    EXPECT_FALSE(profile.CheckProfilePipesConnectivity(*Set({P(2), P(3), side}))) << "a branch at an end node";
    EXPECT_FALSE(profile.CheckProfilePipesConnectivity(*Set({P(3), side, P(2)}))) << "a branch at a start node";
}

TEST_F(PipeSelectionTest, PipesAgainstTheLineAreWalkedWithDirectionOne) {
    NetworkBuilder side(*doc, "Side");
    TestNode a = side.AddNode(0, 10), b = side.AddNode(10, 10), c = side.AddNode(20, 10), d = side.AddNode(30, 10);
    TestPipe p1 = side.AddPipe(a, b), p2 = side.AddPipe(c, b), p3 = side.AddPipe(c, d);
    std::vector<std::string> lists = profile.GetSortedPipesArray(*doc, *Set({p3, p1, p2}), Point(-2, 10));
    EXPECT_EQ(lists, ProfilePipeLists({p1, p2, p3}, {"0", "1", "0"}));
    EXPECT_EQ(profile.GetSortedPipesArray(*doc, *Set({p3, p1, p2}), Point(33, 10)),
              ProfilePipeLists({p3, p2, p1}, {"1", "0", "1"}));
}

TEST_F(PipeSelectionTest, APointHalfwayStartsAtTheFreeEndFoundSecond) {
    EXPECT_EQ(profile.GetSortedPipesArray(*doc, *Set({P(1), P(2), P(3)}), Point(15, 5)),
              ProfilePipeLists({P(3), P(2), P(1)}, {"1", "1", "1"}));
    EXPECT_EQ(profile.GetSortedPipesArray(*doc, *Set({P(3), P(2), P(1)}), Point(15, -5)),
              ProfilePipeLists({P(1), P(2), P(3)}, {"0", "0", "0"}));
}

TEST_F(PipeSelectionTest, PipesThatAreNoOpenLineRaiseAndNoPipeIsListedTwice) {
    TestChain ring = net.AddChain({{0, 40}, {10, 40}, {5, 48}});
    TestPipe closing = net.AddPipe(ring.nodes[2], ring.nodes[0]);
    EXPECT_EQ(ErrorOf([&] { profile.GetSortedPipesArray(*doc, *Set({ring.pipes[0], ring.pipes[1], closing}), Point(0, 0)); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { profile.GetSortedPipesArray(*doc, *Set({}), Point(0, 0)); }),
              ErrorCode::InvalidProcedureCall);
    TestChain other = net.AddChain({{0, 20}, {10, 20}, {20, 20}});
    EXPECT_EQ(ErrorOf([&] { profile.GetSortedPipesArray(*doc, *Set({P(1), P(2), other.pipes[0]}), Point(0, 0)); }),
              ErrorCode::InvalidProcedureCall)
        << "the walk breaks off at the gap";

    // A ring hung between two tails at one node: the walk goes round the ring once.
    NetworkBuilder nine(*doc, "Nine");
    TestNode x = nine.AddNode(-10, 0), a = nine.AddNode(0, 0), b = nine.AddNode(10, 0), c = nine.AddNode(5, 8),
             y = nine.AddNode(0, -10);
    TestPipe tail = nine.AddPipe(x, a), ab = nine.AddPipe(a, b), bc = nine.AddPipe(b, c), ca = nine.AddPipe(c, a),
             out = nine.AddPipe(a, y);
    EXPECT_EQ(profile.GetSortedPipesArray(*doc, *Set({tail, ab, bc, ca, out}), Point(-10, 0)),
              ProfilePipeLists({tail, ab, bc, ca, out}, {"0", "0", "0", "0", "0"}));
}

TEST_F(PipeSelectionTest, TheStartIsTheLowestOrHighestInvertEndMetFirst) {
    EXPECT_EQ(profile.GetProfileStartFromDirection(*doc, "", 0), (std::vector<double>{0, 0}));
    EXPECT_EQ(profile.GetProfileStartFromDirection(*doc, "", 1), (std::vector<double>{0, 0}));

    NetworkBuilder side(*doc, "Side");
    TestPipe q1 = side.AddChain({{0, 5}, {10, 5}}).pipes[0];
    TestPipe q2 = side.AddChain({{50, 5}, {60, 5}}).pipes[0];
    q1.SetInverts(99, 100);
    q2.SetInverts(100, 99);
    std::string list = ";" + q1.Id() + ";" + q2.Id();
    std::string reversed = ";" + q2.Id() + ";" + q1.Id();
    EXPECT_EQ(profile.GetProfileStartFromDirection(*doc, list, 0), (std::vector<double>{0, 5}));
    EXPECT_EQ(profile.GetProfileStartFromDirection(*doc, reversed, 0), (std::vector<double>{60, 5}));
    EXPECT_EQ(profile.GetProfileStartFromDirection(*doc, list, 1), (std::vector<double>{10, 5}));
    EXPECT_EQ(profile.GetProfileStartFromDirection(*doc, reversed, 2), (std::vector<double>{50, 5}));

    P(2).SetInverts(50, 50);
    EXPECT_EQ(profile.GetProfileStartFromDirection(*doc, ";" + P(2).Id(), 0), (std::vector<double>{10, 0}))
        << "a pipe's start before its end";
    EXPECT_EQ(profile.GetProfileStartFromDirection(*doc, ";" + P(2).Id(), 1), (std::vector<double>{10, 0}));

    std::string gone = P(1).Id();
    P(1).polyline->Delete();
    EXPECT_EQ(ErrorOf([&] { profile.GetProfileStartFromDirection(*doc, list + ";" + gone, 0); }),
              ErrorCode::ObjectNotFound);
    EXPECT_EQ(ErrorOf([&] { profile.GetProfileStartFromDirection(*doc, ";" + chain.nodes[0].Id(), 0); }),
              ErrorCode::TypeMismatch);
}

}  // namespace
