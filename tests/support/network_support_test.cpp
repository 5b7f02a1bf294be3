// The test network builder and the invariant checker: the builder's networks are sound and
// linked as the records say; the checker finds nothing on them and each of its rules fires
// on a drawing broken for it.

#include <cmath>
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/project_record.h"
#include "editing/pipe_node_records.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/view_style.h"
#include "tests/support/xdata.h"

namespace {

using com::Variant;
using testing::IsEmpty;
using namespace testing_support;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;
namespace pr = fluvanet::project_entry;

std::string Ref(const std::string& key) { return ";RelatedTo" + key; }

// Two networks: gravity "Main" N-1 -P-1-> N-2 -P-2-> N-3, and pressure "Water" with one
// bent pipe.
struct Drawing {
    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    NetworkBuilder main{*doc, "Main"};
    TestChain chain = main.AddChain({{0, 0}, {10, 0}, {20, 5}});
    NetworkBuilder water{*doc, "Water", "Pressure"};
    TestNode w1 = water.AddNode(0, 20);
    TestNode w2 = water.AddNode(10, 20);
    TestPipe wp = water.AddPipe(w1, w2, {{5, 25}});

    const TestNode& N(int i) const { return chain.nodes[static_cast<std::size_t>(i - 1)]; }
    const TestPipe& P(int i) const { return chain.pipes[static_cast<std::size_t>(i - 1)]; }
    std::shared_ptr<acad::AcadBlock> Project() const { return doc->ModelSpace(); }
    std::string ProjectId() const { return std::to_string(Project()->ObjectID()); }
    // The identifier of an object that no longer exists.
    std::string StaleId() const {
        auto point = doc->ModelSpace()->AddPoint({0, 0, 0});
        point->Delete();
        return std::to_string(point->ObjectID());
    }
};

void SetCode(const std::shared_ptr<acad::AcadObject>& object, int32_t entry, int16_t code) {
    fluvanet::ElementRecord r = fluvanet::ElementRecord::Read(object);
    std::vector<int16_t> codes = r.Codes();
    codes[static_cast<std::size_t>(entry)] = code;
    object->SetXData(Codes(codes), r.ValuesVariant());
}

void DropLastEntry(const std::shared_ptr<acad::AcadObject>& object) {
    fluvanet::ElementRecord r = fluvanet::ElementRecord::Read(object);
    std::vector<int16_t> codes = r.Codes();
    std::vector<Variant> values = r.Values();
    codes.pop_back();
    values.pop_back();
    object->SetXData(Codes(codes), Values(values));
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& l : lines) all += "\n  " + l;
    return all;
}

// A broken drawing and the finding it must give: a line of that object holding `fragment`.
struct Expected {
    std::string id;
    std::string fragment;
};
struct Breakage {
    std::string name;
    std::function<Expected(Drawing&)> apply;
};

std::shared_ptr<acad::AcadObject> Obj(const TestNode& n) { return n.block; }
std::shared_ptr<acad::AcadObject> Obj(const TestPipe& p) { return p.polyline; }
template <class T>
void Set(const T& element, int32_t entry, const std::string& value) {
    SetRecordEntry(Obj(element), entry, Variant(value));
}
template <class T>
Expected At(const T& element, std::string fragment) {
    return {element.Id(), std::move(fragment)};
}

void ExpectEachFires(const std::vector<Breakage>& breakages) {
    for (const Breakage& b : breakages) {
        SCOPED_TRACE(b.name);
        Drawing d;
        ASSERT_THAT(NetworkFindings(*d.doc), IsEmpty());
        Expected expected = b.apply(d);
        std::vector<std::string> findings = NetworkFindings(*d.doc);
        bool found = false;
        for (const std::string& line : findings)
            found = found || (line.starts_with(expected.id + " ") && line.find(expected.fragment) != std::string::npos);
        EXPECT_TRUE(found) << "no finding of " << expected.id << " with \"" << expected.fragment << "\" in"
                           << Joined(findings);
    }
}

TEST(NetworkBuilder, LinksPipesAndNodesBothWaysAsTheRecordsSay) {
    Drawing d;
    EXPECT_THAT(NetworkFindings(*d.doc), IsEmpty());
    const TestNode& n2 = d.N(2);
    EXPECT_EQ(n2.label, "N-2");
    EXPECT_EQ(n2.block->Name(), "Fluvamap_Node");
    EXPECT_EQ(n2.block->Layer(), "Main - Network");
    EXPECT_EQ(n2.block->InsertionPoint(), (acad::Point3{10, 0, 0}));
    EXPECT_EQ(n2.block->XScaleFactor(), 1);
    EXPECT_EQ(n2.block->Rotation(), 0);
    EXPECT_EQ(n2.Record().Text(ne::kCombinedLabel), "Node;Main;N-2");
    EXPECT_EQ(n2.Record().Text(ne::kStartPipeLabels), Ref("P-2"));
    EXPECT_EQ(n2.Record().Text(ne::kStartPipeIds), Ref(d.P(2).Id()));
    EXPECT_EQ(n2.Record().Text(ne::kEndPipeLabels), Ref("P-1"));
    EXPECT_EQ(n2.Record().Text(ne::kEndPipeIds), Ref(d.P(1).Id()));
    EXPECT_EQ(n2.Record().Codes(), fluvanet::NodeRecordCodes());

    const TestPipe& p2 = d.P(2);
    EXPECT_EQ(p2.label, "P-2");
    EXPECT_EQ(p2.polyline->Layer(), "Main - Network");
    EXPECT_EQ(p2.polyline->Coordinates(), (std::vector<double>{10, 0, 20, 5}));
    EXPECT_EQ(p2.Record().Text(pe::kStartNodeLabel), Ref("N-2"));
    EXPECT_EQ(p2.Record().Text(pe::kEndNodeLabel), Ref("N-3"));
    EXPECT_EQ(p2.Record().Text(pe::kStartNodeId), Ref(n2.Id()));
    EXPECT_EQ(p2.Record().Text(pe::kEndNodeId), Ref(d.N(3).Id()));
    EXPECT_EQ(p2.Record().Codes(), fluvanet::PipeRecordCodes());

    EXPECT_EQ(d.wp.polyline->Coordinates(), (std::vector<double>{0, 20, 5, 25, 10, 20}));
    EXPECT_EQ(d.wp.Record().Text(pe::kElementType), "PressurePipe");
    EXPECT_EQ(d.w1.Record().Number(ne::kMatchingCode), 1);

    // A branch onto N-2 and a pipe that starts and ends at one node: both lists grow in order.
    TestNode side = d.main.AddNode(10, 8);
    TestPipe branch = d.main.AddPipe(side, n2);
    TestPipe loop = d.main.AddPipe(side, side, {{12, 12}, {8, 12}});
    EXPECT_EQ(branch.label, "P-3");
    EXPECT_EQ(n2.Record().Text(ne::kEndPipeLabels), Ref("P-1") + Ref("P-3"));
    EXPECT_EQ(side.Record().Text(ne::kStartPipeIds), Ref(branch.Id()) + Ref(loop.Id()));
    EXPECT_EQ(side.Record().Text(ne::kEndPipeIds), Ref(loop.Id()));
    EXPECT_THAT(NetworkFindings(*d.doc), IsEmpty());
}

TEST(NetworkBuilder, DefinesNetworksAsADefinitionLeavesThemAndKeepsDefinedOnes) {
    auto doc = NewProjectDrawing({.modelUnits = "US"});
    NetworkBuilder a(*doc, "A");
    NetworkBuilder b(*doc, "B", "Pressure");
    NetworkBuilder c(*doc, "C");
    NetworkBuilder again(*doc, "B", "Pressure");
    auto project = fluvanet::ProjectRecord::Read(*doc);
    EXPECT_EQ(project.Text(pr::kNetworkNames), "A;B;C;");
    EXPECT_EQ(project.Text(pr::kNetworkTypes), "Gravity;Pressure;Gravity;");
    EXPECT_EQ(project.Text(pr::kViewStyles), "Standard;111;");
    EXPECT_EQ(project.Text(pr::kCrossingSettings), "0.5;B;A;C;A;C;B");
    EXPECT_EQ(project.Text(pr::kLowHighSettings), "B;");
    EXPECT_EQ(ErrorOf([&] { NetworkBuilder(*doc, "A", "Pressure"); }), com::ErrorCode::InvalidProcedureCall);

    // Sizes follow the drawing's units; labels skip those the network already uses.
    TestNode first = a.AddNode(0, 0, "N-1");
    TestNode second = a.AddNode(5, 0);
    TestNode other = c.AddNode(0, 5);
    EXPECT_EQ(second.label, "N-2");
    EXPECT_EQ(other.label, "N-1");
    EXPECT_EQ(a.AddPipe(first, second).Record().Number(pe::kSpan), 8);
    EXPECT_THAT(NetworkFindings(*doc), IsEmpty());
}

TEST(NetworkBuilder, SettersChangeValuesAndKeepCodesAndAnExistingNodeBlockStays) {
    auto doc = NewProjectDrawing();
    auto definition = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Node");
    definition->AddCircle({0, 0, 0}, 0.6);
    NetworkBuilder net(*doc, "Main");
    TestChain chain = net.AddChain({{0, 0}, {30, 0}});
    chain.pipes[0].SetInverts(101.25, 100.5).SetSize("SectionShape_Box", 1000, 600, 2).SetMaterial("Concrete");
    chain.nodes[0].SetGround(104).SetSump(101);
    auto pipe = chain.pipes[0].Record();
    EXPECT_EQ(pipe.Number(pe::kStartInvert), 101.25);
    EXPECT_EQ(pipe.Number(pe::kEndInvert), 100.5);
    EXPECT_EQ(pipe.Text(pe::kSectionShape), "SectionShape_Box");
    EXPECT_EQ(pipe.Number(pe::kSpan), 1000);
    EXPECT_EQ(pipe.Number(pe::kRise), 600);
    EXPECT_EQ(pipe.Get(pe::kCells), Variant(int16_t{2}));
    EXPECT_EQ(pipe.Text(pe::kMaterial), "Concrete");
    EXPECT_EQ(pipe.Codes(), fluvanet::PipeRecordCodes());
    auto node = chain.nodes[0].Record();
    EXPECT_EQ(node.Number(ne::kGroundLevel), 104);
    EXPECT_EQ(node.Number(ne::kSumpLevel), 101);
    EXPECT_EQ(node.Codes(), fluvanet::NodeRecordCodes());
    EXPECT_EQ(doc->Blocks()->Item(Variant("Fluvamap_Node"))->Count(), 1);
    EXPECT_THAT(NetworkFindings(*doc), IsEmpty());
}

TEST(NetworkFindings, PassOverOtherRecordsAndToleranceBelowFiveDecimals) {
    Drawing d;
    // Element types without rules, objects without records and paper space entities.
    auto label = d.doc->ModelSpace()->AddText("P-1", {0, 0, 0}, 1);
    SetTextRecord(*label, {";Main;P-1Annotation", "LaterRecord", "junk"});
    SetTextRecord(*d.doc->PaperSpace()->AddPoint({0, 0, 0}), {"x", "SomethingLater"});
    d.doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    SetRecordEntry(d.P(1).polyline, pe::kLabelBlockLabel, Variant(Ref("P-1Annotation")));
    SetRecordEntry(d.P(1).polyline, pe::kLabelBlockId, Variant(Ref(std::to_string(label->ObjectID()))));
    d.P(1).polyline->SetCoordinate(0, {0.000004, -0.000004});
    // A network whose name differs in case only shares the layer, as the table spells it.
    NetworkBuilder(*d.doc, "MAIN").AddChain({{40, 0}, {50, 0}});
    EXPECT_THAT(NetworkFindings(*d.doc), IsEmpty());

    d.P(1).polyline->SetCoordinate(0, {0.00001, 0});
    EXPECT_THAT(NetworkFindings(*d.doc), testing::SizeIs(1));
}

TEST(NetworkFindings, ProjectRulesFire) {
    auto project = [](Drawing& d, int32_t entry, const std::string& value, std::string fragment) {
        SetRecordEntry(d.Project(), entry, Variant(value));
        return Expected{d.ProjectId(), std::move(fragment)};
    };
    ExpectEachFires({
        {"no record", [](Drawing& d) {
             d.Project()->SetXData(Codes({1001}), Values({"Fluvamap"}));
             return Expected{d.ProjectId(), "[record] is missing"};
         }},
        {"short", [](Drawing& d) { DropLastEntry(d.Project()); return Expected{d.ProjectId(), "[record] holds 11"}; }},
        {"code", [](Drawing& d) {
             SetCode(d.Project(), pr::kEventsFlag, 1000);
             return Expected{d.ProjectId(), "[2] has code 1000"};
         }},
        {"types count", [&](Drawing& d) { return project(d, pr::kNetworkTypes, "Gravity;", "[4] holds 1 types"); }},
        {"type word", [&](Drawing& d) { return project(d, pr::kNetworkTypes, "Gravity;Sewer;", "[4] \"Sewer\""); }},
        {"names twice", [&](Drawing& d) { return project(d, pr::kNetworkNames, "Main;Main;", "[3] \"Main\" is"); }},
        {"lost item", [&](Drawing& d) { return project(d, pr::kNetworkNames, "Main;Water", "does not end with"); }},
        {"visibility", [&](Drawing& d) { return project(d, pr::kViewStyles, "Standard;1;", "[1] visibility"); }},
        {"no visibility", [&](Drawing& d) { return project(d, pr::kViewStyles, "Standard;", "[1] has no"); }},
        {"pair undefined",
         [&](Drawing& d) { return project(d, pr::kCrossingSettings, "0.5;Water;Gone", "[8] pair names \"Gone\""); }},
        {"pair unpaired",
         [&](Drawing& d) { return project(d, pr::kCrossingSettings, "0.5;Water;Main;Water", "[8] \"Water\" has no"); }},
        {"low/high gravity",
         [&](Drawing& d) { return project(d, pr::kLowHighSettings, "Water;Main;", "[9] \"Main\" is a"); }},
        {"low/high undefined",
         [&](Drawing& d) { return project(d, pr::kLowHighSettings, "Gone;", "[9] \"Gone\" is not"); }},
        {"material point", [&](Drawing& d) { return project(d, pr::kMaterialLibrary, d.StaleId(), "[5]"); }},
        {"size point", [&](Drawing& d) { return project(d, pr::kSizeLibrary, "12abc", "[6] \"12abc\" is not an"); }},
        {"profile styles", [&](Drawing& d) { return project(d, pr::kProfileStyles, d.StaleId() + ";", "[10]"); }},
        {"view style points",
         [&](Drawing& d) { return project(d, pr::kViewStyles, "Standard;11;" + d.StaleId() + ";", "[1]"); }},
    });
}

TEST(NetworkFindings, RecordShapeAndLabelRulesFire) {
    ExpectEachFires({
        {"pipe short", [](Drawing& d) { DropLastEntry(d.P(1).polyline); return At(d.P(1), "[record] holds 23"); }},
        {"pipe code", [](Drawing& d) {
             SetCode(d.P(1).polyline, pe::kCells, 1040);
             return At(d.P(1), "[8] has code 1040");
         }},
        {"node code", [](Drawing& d) {
             SetCode(d.w1.block, ne::kMatchingCode, 1000);
             return At(d.w1, "[4] has code 1000");
         }},
        {"pipe on a line", [](Drawing& d) {
             auto line = d.doc->ModelSpace()->AddLine({0, 0, 0}, {10, 0, 0});
             line->SetLayer("Main - Network");
             line->SetXData(d.P(1).Record().CodesVariant(), d.P(1).Record().ValuesVariant());
             return Expected{std::to_string(line->ObjectID()), "[record] sits on a LINE"};
         }},
        {"node on another block", [](Drawing& d) {
             d.doc->Blocks()->Add({0, 0, 0}, "Other");
             auto block = d.doc->ModelSpace()->InsertBlock({50, 0, 0}, "Other", 1, 1, 1, 0);
             block->SetLayer("Main - Network");
             fluvanet::NewNodeRecord(block, "Main", "Gravity", "N-9").Write();
             return Expected{std::to_string(block->ObjectID()), "[record] sits on a INSERT Other"};
         }},
        {"layer", [](Drawing& d) { d.N(3).block->SetLayer("0"); return At(d.N(3), "[record] lies on layer \"0\""); }},
        {"items", [](Drawing& d) {
             Set(d.P(2), 1, "Pipe;Main;P-2;x");
             return At(d.P(2), "[1] \"Pipe;Main;P-2;x\" has 4 items");
         }},
        {"kind", [](Drawing& d) { Set(d.P(2), 1, "Node;Main;P-2"); return At(d.P(2), "[1] kind \"Node\""); }},
        {"network", [](Drawing& d) {
             Set(d.N(1), 1, "Node;Gone;N-1");
             return At(d.N(1), "[1] network \"Gone\" is not defined");
         }},
        {"type of network", [](Drawing& d) {
             Set(d.wp, 2, "GravityPipe");
             return At(d.wp, "[2] network \"Water\" is a \"Pressure\"");
         }},
        {"label twice", [](Drawing& d) {
             Set(d.N(3), 1, "Node;Main;N-1");
             return At(d.N(1), "[1] label is used by 2");
         }},
        {"invert NaN", [](Drawing& d) {
             SetRecordEntry(d.P(1).polyline, pe::kEndInvert, Variant(std::nan("")));
             return At(d.P(1), "[10] level");
         }},
        {"ground infinite", [](Drawing& d) {
             SetRecordEntry(d.N(2).block, ne::kGroundLevel, Variant(-HUGE_VAL));
             return At(d.N(2), "[9] level");
         }},
        {"sump infinite", [](Drawing& d) {
             SetRecordEntry(d.w1.block, ne::kSumpLevel, Variant(HUGE_VAL));
             return At(d.w1, "[10] level");
         }},
    });
}

TEST(NetworkFindings, LinkRulesFire) {
    ExpectEachFires({
        {"start node erased", [](Drawing& d) { d.N(1).block->Delete(); return At(d.P(1), "[14] start node"); }},
        {"no end node", [](Drawing& d) {
             Set(d.P(2), pe::kEndNodeId, "");
             return At(d.P(2), "[15] names no end node");
         }},
        {"end names a pipe", [](Drawing& d) {
             Set(d.P(1), pe::kEndNodeId, Ref(d.P(2).Id()));
             return At(d.P(1), "[15] end node " + d.P(2).Id() + " is a \"GravityPipe\"");
         }},
        {"node of another network", [](Drawing& d) {
             Set(d.P(1), pe::kStartNodeId, Ref(d.w1.Id()));
             return At(d.P(1), "[14] start node " + d.w1.Id() + " belongs to network \"Water\"");
         }},
        {"label reference", [](Drawing& d) {
             Set(d.P(1), pe::kStartNodeLabel, Ref("N-9"));
             return At(d.P(1), "[12] says \"N-9\"");
         }},
        {"not listed", [](Drawing& d) {
             Set(d.N(1), ne::kStartPipeLabels, "");
             Set(d.N(1), ne::kStartPipeIds, "");
             return At(d.P(1), "[14] is listed 0 times");
         }},
        {"listed twice", [](Drawing& d) {
             Set(d.N(3), ne::kEndPipeLabels, Ref("P-2") + Ref("P-2"));
             Set(d.N(3), ne::kEndPipeIds, Ref(d.P(2).Id()) + Ref(d.P(2).Id()));
             return At(d.P(2), "[15] is listed 2 times in [8]");
         }},
        {"label at the position", [](Drawing& d) {
             Set(d.N(2), ne::kStartPipeLabels, Ref("P-9"));
             return At(d.P(2), "but not its label in [5]");
         }},
        {"vertex", [](Drawing& d) {
             d.wp.polyline->SetCoordinate(2, {10, 20.0001});
             return At(d.wp, "[15] last vertex (10, 20.0001)");
         }},
        {"node lists differ", [](Drawing& d) {
             Set(d.N(2), ne::kEndPipeLabels, Ref("P-1") + Ref("P-7"));
             return At(d.N(2), "[8] holds 1 pipes, [6] 2");
         }},
        {"node lists an erased pipe", [](Drawing& d) { d.P(1).polyline->Delete(); return At(d.N(2), "[8] \""); }},
        {"node lists a node", [](Drawing& d) {
             Set(d.N(3), ne::kStartPipeLabels, Ref("N-1"));
             Set(d.N(3), ne::kStartPipeIds, Ref(d.N(1).Id()));
             return At(d.N(3), "[7] " + d.N(1).Id() + " is a \"GravityNode\"");
         }},
        {"node lists a pipe of another node", [](Drawing& d) {
             Set(d.N(3), ne::kStartPipeLabels, Ref("P-1"));
             Set(d.N(3), ne::kStartPipeIds, Ref(d.P(1).Id()));
             return At(d.N(3), "[7] pipe \"P-1\" names");
         }},
    });
}

TEST(NetworkFindings, ReferenceRulesFire) {
    ExpectEachFires({
        {"label block half", [](Drawing& d) {
             Set(d.P(1), pe::kLabelBlockLabel, Ref("P-1Annotation"));
             return At(d.P(1), "[18] is empty while [16] is set");
         }},
        {"arrow half", [](Drawing& d) {
             Set(d.P(1), pe::kArrowId, Ref(d.N(1).Id()));
             return At(d.P(1), "[17] is empty while [19] is set");
         }},
        {"node label block half", [](Drawing& d) {
             Set(d.N(1), ne::kLabelBlockId, Ref(d.P(1).Id()));
             return At(d.N(1), "[11] is empty while [12] is set");
         }},
        {"low/high half", [](Drawing& d) {
             Set(d.w1, ne::kLowHighLabel, Ref("N-1LowHigh"));
             return At(d.w1, "[14] is empty while [13] is set");
         }},
        {"stale label block", [](Drawing& d) {
             Set(d.P(2), pe::kLabelBlockLabel, Ref("P-2Annotation"));
             Set(d.P(2), pe::kLabelBlockId, Ref(d.StaleId()));
             return At(d.P(2), "[18]");
         }},
        {"arrow not an id", [](Drawing& d) {
             Set(d.P(2), pe::kArrowLabel, Ref("P-2Arrow"));
             Set(d.P(2), pe::kArrowId, Ref("+12"));
             return At(d.P(2), "[19] \"+12\" is not an identifier");
         }},
        {"stale node label block", [](Drawing& d) {
             Set(d.N(2), ne::kLabelBlockLabel, Ref("N-2Annotation"));
             Set(d.N(2), ne::kLabelBlockId, Ref(d.StaleId()));
             return At(d.N(2), "[12]");
         }},
        {"stale marker", [](Drawing& d) {
             Set(d.w2, ne::kLowHighLabel, Ref("N-2LowHigh"));
             Set(d.w2, ne::kLowHighId, Ref(d.StaleId()));
             return At(d.w2, "[14]");
         }},
        {"crossing lists", [](Drawing& d) {
             Set(d.P(1), pe::kCrossingLabels, Ref("C1") + Ref("C2"));
             Set(d.P(1), pe::kCrossingIds, Ref(d.N(1).Id()));
             return At(d.P(1), "[21] holds 1 items, [20] 2");
         }},
        {"stale crossing", [](Drawing& d) {
             Set(d.P(1), pe::kCrossingLabels, Ref("C1"));
             Set(d.P(1), pe::kCrossingIds, Ref(d.StaleId()));
             return At(d.P(1), "[21]");
         }},
        {"profile lists", [](Drawing& d) {
             Set(d.wp, pe::kProfileIds, Ref(d.w1.Id()));
             return At(d.wp, "[23] holds 1 items, [22] 0");
         }},
        {"stale profile", [](Drawing& d) {
             Set(d.wp, pe::kProfileLabels, Ref("Long"));
             Set(d.wp, pe::kProfileIds, Ref(d.StaleId()));
             return At(d.wp, "[23]");
         }},
        {"single form", [](Drawing& d) {
             Set(d.P(1), pe::kStartNodeLabel, "RelatedToN-1");
             return At(d.P(1), "[12] \"RelatedToN-1\" is not a reference");
         }},
        {"list form", [](Drawing& d) {
             Set(d.N(2), ne::kStartPipeLabels, "RelatedToP-2");
             return At(d.N(2), "[5] \"RelatedToP-2\" is not a reference list");
         }},
    });
}

TEST(NetworkFindings, ViewStylePointRulesFire) {
    using Point = std::shared_ptr<acad::AcadPoint>;
    // A style point, listed and active as the host leaves it, then broken.
    auto style = [](std::function<void(Drawing&, const Point&)> brk, std::string fragment) {
        return [brk, fragment](Drawing& d) {
            Point p = AddActiveViewStyle(*d.doc, ViewStyleSettings());
            EXPECT_THAT(NetworkFindings(*d.doc), IsEmpty());
            brk(d, p);
            return Expected{std::to_string(p->ObjectID()), fragment};
        };
    };
    auto list = [](Drawing& d, const std::string& text) { SetRecordEntry(d.Project(), pr::kViewStyles, Variant(text)); };
    ExpectEachFires({
        {"short", style([](Drawing&, const Point& p) { DropLastEntry(p); }, "[record] holds 42")},
        {"code", style([](Drawing&, const Point& p) { SetCode(p, 4, 1040); }, "[4] has code 1040")},
        {"name", style([](Drawing&, const Point& p) { SetRecordEntry(p, 1, Variant("x;A")); }, "[1] \"x;A\"")},
        {"shown", style([](Drawing&, const Point& p) { p->SetVisible(true); }, "is visible")},
        {"moved", style([](Drawing&, const Point& p) { p->SetCoordinates({1, 0, 0}); }, "(0, 0, 0)")},
        {"layer", style([](Drawing&, const Point& p) { p->SetLayer("Main - Network"); }, "lies on layer")},
        {"orphan", style([&](Drawing& d, const Point&) { list(d, "Standard;11;"); }, "listed 0 times")},
        {"twice", style([&](Drawing& d, const Point& p) { list(d, "Standard;11;" + std::to_string(p->ObjectID()) + ";" +
                                                                  std::to_string(p->ObjectID()) + ";"); },
                        "listed 2 times")},
    });
}

}  // namespace

namespace {

// The library point that project entry `entry` names.
std::shared_ptr<acad::AcadObject> LibraryPoint(Drawing& d, int32_t entry) {
    return d.doc->ObjectIdToObject(std::stoi(RecordText(d.Project(), entry)));
}

Expected Library(Drawing& d, int32_t point, int32_t entry, const std::string& value, std::string fragment) {
    auto object = LibraryPoint(d, point);
    SetRecordEntry(object, entry, Variant(value));
    return {std::to_string(object->ObjectID()), std::move(fragment)};
}

TEST(NetworkFindings, LibraryRulesFire) {
    ExpectEachFires({
        {"counts", [](Drawing& d) { return Library(d, pr::kMaterialLibrary, 4, "0;0;", "[4] holds 2 counts, [3] 1"); }},
        {"count word", [](Drawing& d) { return Library(d, pr::kMaterialLibrary, 4, "PVC;", "[4] \"PVC\" is not a"); }},
        {"twice", [](Drawing& d) { return Library(d, pr::kSizeLibrary, 7, "8;8;", "[7] \"8\" is listed more"); }},
        {"box", [](Drawing& d) { return Library(d, pr::kSizeLibrary, 9, "4 X 2;", "[9] \"4 X 2\" holds no \"x\""); }},
        {"lost", [](Drawing& d) { return Library(d, pr::kSizeLibrary, 6, "0", "[6] \"0\" does not end with"); }},
        {"label", [](Drawing& d) { return Library(d, pr::kSizeLibrary, 1, "Pipe;Main;", "[1] \"Pipe;Main;\" is"); }},
        {"code", [](Drawing& d) {
             auto point = LibraryPoint(d, pr::kSizeLibrary);
             SetRecordEntry(point, 10, Variant("0"));
             SetCode(point, 10, 1070);
             return Expected{std::to_string(point->ObjectID()), "[10] has code 1070"};
         }},
        {"not a point", [](Drawing& d) {
             auto line = d.doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
             auto point = LibraryPoint(d, pr::kMaterialLibrary);
             line->SetXData(fluvanet::ElementRecord::Read(point).CodesVariant(),
                            fluvanet::ElementRecord::Read(point).ValuesVariant());
             return Expected{std::to_string(line->ObjectID()), "[record] sits on a LINE, not a point"};
         }},
    });
}

}  // namespace
