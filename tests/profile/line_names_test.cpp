// Line names read back from manhole labels, and a network's pipes grouped into lines by
// the names of their start nodes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "profile/profile.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"

namespace {

using com::Variant;
using namespace testing_support;

TEST(LineNames, TheDelimiterIsTheFirstOfItsOrderThatTheLabelHolds) {
    fluvanet::Profile profile;
    EXPECT_EQ(profile.GetManholeLabelDelimiter("MH.1-2"), ".");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("MH-1.2"), ".");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("B/3-7"), "-");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("B/3"), "/");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("A_B"), "_");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("-"), "-");
    EXPECT_EQ(profile.GetManholeLabelDelimiter("AB"), "");
    EXPECT_EQ(profile.GetManholeLabelDelimiter(""), "");
    auto late = std::make_shared<fluvanet::Profile>();
    EXPECT_EQ(vb::CallByName(late, "GetManholeLabelDelimiter", com::CallType::Method, "N_1"), com::Variant("_"));
}

struct NameCase {
    std::string label;
    std::string name;
    std::string labelAfter;  // the argument as the call leaves it
};

TEST(LineNames, ThePrefixIsStrippedAndTheNameIsWhatPrecedesTheLastDelimiter) {
    const std::vector<NameCase> cases{
        {"MH-A.12", "A", "A.12"},
        {"A.12B", "AB", "A.12B"},     // a capital after the number is appended
        {"A.12b", "A", "A.12b"},      // a small letter is not
        {"mh/B-3-7", "B-3", "B-3-7"},  // the last delimiter counts
        {"MHC17", "C", "C17"},
        {"17", "Main", "17"},
        {".5", "", ".5"},
        {"MH", "Main", ""},
        {"M_H-7", "", "-7"},  // "M_H-" is no prefix, "M_H" is
        {"m.h-B.2", "B", "B.2"},
        {"M-H_X", "X", "X"},
        {"A-B.1", "A-B", "A-B.1"},  // "." is the delimiter although "-" comes first
        {"Mh", "Main", ""},
        {"M", "M", "M"},
        {"", "Main", ""},
        {"ÄÖ.12É", "ÄÖÉ", "ÄÖ.12É"},  // characters, not bytes
        {"Ä.1é", "Ä", "Ä.1é"},
        {"MHü3", "ü", "ü3"},
    };
    fluvanet::Profile profile;
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::string label = c.label;
        EXPECT_EQ(profile.GetManholeLineName(label), c.name);
        EXPECT_EQ(label, c.labelAfter);
    }
    auto late = std::make_shared<fluvanet::Profile>();
    Variant label("MH-A.12");
    EXPECT_EQ(vb::CallByName(late, "GetManholeLineName", com::CallType::Method, label), Variant("A"));
    EXPECT_EQ(label, Variant("A.12")) << "written back into the caller's variable";
}

struct LineTable {
    std::vector<std::string> names;
    std::vector<std::string> pipes;
};

LineTable Lines(const Variant& table) {
    std::vector<Variant> parts = table.Array().ToVariants();
    EXPECT_EQ(parts.size(), 2u);
    return {parts.at(0).Array().ToStrings(), parts.at(1).Array().ToStrings()};
}

std::string Ids(const std::vector<TestPipe>& pipes) {
    std::string ids;
    for (const TestPipe& p : pipes) ids += ";" + p.Id();
    return ids;
}

TEST(LineNames, PipesGroupIntoLinesByTheirStartNodeAndOnlyOpenChainsAreOffered) {
    auto doc = NewProjectDrawing();
    NetworkBuilder net(*doc, "S.1");
    TestNode a1 = net.AddNode(0, 0, "MH-A.1"), a2 = net.AddNode(10, 0, "MH-A.2"), a3 = net.AddNode(20, 0, "A.3");
    TestNode end = net.AddNode(30, 0, "MH-9");
    TestNode s1 = net.AddNode(0, 10, "a.1"), s2 = net.AddNode(10, 10, "a.2");
    TestNode c1 = net.AddNode(0, 20, "C.1"), c2 = net.AddNode(10, 20, "C.2"), c3 = net.AddNode(20, 20, "C.3");
    TestNode c4 = net.AddNode(10, 30, "C.4");
    TestNode m = net.AddNode(0, 40, "17");

    TestPipe pa2 = net.AddPipe(a2, a3);
    net.AddPipe(c1, c2);
    TestPipe pa1 = net.AddPipe(a1, a2);
    TestPipe ps = net.AddPipe(s1, s2);
    net.AddPipe(c2, c3);
    TestPipe pa3 = net.AddPipe(a3, end);
    net.AddPipe(c2, c4);  // line C branches at C.2
    TestPipe pm = net.AddPipe(m, a1);

    // A network whose name the other's matches as a pattern brings nothing in.
    NetworkBuilder dash(*doc, "S-1");
    dash.AddPipe(dash.AddNode(0, 60, "A.7"), dash.AddNode(10, 60, "A.8"));

    LineTable lines = Lines(fluvanet::Profile().GetGravityLineNames(*doc, "S.1"));
    EXPECT_EQ(lines.names, (std::vector<std::string>{"A", "a", "Main"}));
    EXPECT_EQ(lines.pipes, (std::vector<std::string>{Ids({pa2, pa1, pa3}), Ids({ps}), Ids({pm})}));
}

TEST(LineNames, ANetworkWithoutLinesGivesOneEmptyItemEach) {
    auto doc = NewProjectDrawing();
    NetworkBuilder net(*doc, "Main");
    auto late = std::make_shared<fluvanet::Profile>();
    Variant none = vb::CallByName(late, "GetGravityLineNames", com::CallType::Method, Variant(doc), "Main");
    LineTable lines = Lines(none);
    EXPECT_EQ(lines.names, (std::vector<std::string>{""}));
    EXPECT_EQ(lines.pipes, (std::vector<std::string>{""}));

    // Two pipes of one line with a gap between them: no line.
    net.AddPipe(net.AddNode(0, 0, "D.1"), net.AddNode(10, 0, "X.1"));
    net.AddPipe(net.AddNode(20, 0, "D.2"), net.AddNode(30, 0, "X.2"));
    lines = Lines(fluvanet::Profile().GetGravityLineNames(*doc, "Main"));
    EXPECT_EQ(lines.names, (std::vector<std::string>{""}));
    EXPECT_EQ(lines.pipes, (std::vector<std::string>{""}));
}

}  // namespace
