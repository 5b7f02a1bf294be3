// Copies of pipes and nodes becoming elements of their own, copies of anything else going,
// networks that copies bring along, and free labels.

#include "tests/events/event_drawing.h"
#include "tests/support/erase_watch.h"
#include "tests/support/error_code.h"

#include <optional>

namespace {

using namespace testing_support;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;

class Copies : public EventDrawing {
protected:
    // Copies moved up by dy, as one operation of the host leaves them, and verified.
    Entities CopyOf(const Entities& entities, double dy, bool verify = true) {
        Entities copies;
        std::string ids, changed;
        for (const auto& e : entities) {
            copies.push_back(e->Copy());
            copies.back()->Move({0, 0, 0}, {0, dy, 0});
            ids += Id(copies.back()) + ";";
        }
        if (verify) events->VerifyCopiedElements(*doc, changed, ids);
        return copies;
    }
    Entities WithNodes(const TestPipe& p) {
        return {p.polyline, NodeOf(p, pe::kStartNodeId), NodeOf(p, pe::kEndNodeId)};
    }
    std::string Project(int32_t entry) { return RecordText(doc->ModelSpace(), entry); }
};

TEST_F(Copies, APipeCopiedWithItsNodesIsANewElementOfItsOwn) {
    // Sewer's elements stay; Main's P-4 gains the copy's crossing. Main's P-2 comes first:
    // each network's markers come from its own nodes.
    AddTestProfile(*doc, NetworkBuilder(*doc, "Sewer"), "L-1", "Road", {sewer[2]});
    const Entities source = general->GetNetworkSet(*doc, "Sewer", 0)->Members();
    const std::vector<std::string> before = Records(source);
    Entities picked = WithNodes(main[1]);
    for (const auto& e : WithNodes(sewer[2])) picked.push_back(e);
    const Entities c = host.Copy(picked, {0, 0, 0}, {0, 50, 0}).copies;
    EXPECT_EQ(LabelOf(Linked(c[1], ne::kLowHighId)), "New N-2LowHigh");
    EXPECT_EQ(RecordText(c[3], pe::kCombinedLabel), "Pipe;Sewer;New P-3");
    EXPECT_EQ(RecordText(c[3], pe::kStartNodeLabel) + RecordText(c[3], pe::kStartNodeId),
              fluvanet::refs::Reference("New N-3") + fluvanet::refs::Reference(Id(c[4])));
    EXPECT_EQ(Crossings({acad::Cast<acad::AcadLWPolyline>(c[3]), ""}).size(), 1u);
    EXPECT_EQ(Records(source), before);
    EXPECT_EQ(Usage(), "9/9");
    Sound();

    // The host's changed pipes lose the copies.
    Entities again = CopyOf(WithNodes(sewer[2]), 100, false);
    std::string changed = sewer[0].Id() + ";" + Id(again[0]) + ";" + Id(again[2]) + ";";
    events->VerifyCopiedElements(*doc, changed, Id(again[0]) + ";" + Id(again[1]) + ";" + Id(again[2]) + ";");
    EXPECT_EQ(changed, sewer[0].Id() + ";");
    EXPECT_EQ(LabelOf(again[0]), "New New P-3");
    Sound();
}

TEST_F(Copies, APipeWithoutBothNodesGoesWithTheEventsOff) {
    const Entities source = general->GetNetworkSet(*doc, "Sewer", 0)->Members();
    const std::vector<std::string> before = Records(source);
    // Reported to a host that sees the library's erasures, the copy would pass for its source.
    host.SetReportLibraryDeletions(true);
    const Entities c = host.Copy({sewer[2].polyline, NodeOf(sewer[2], pe::kEndNodeId)}, {0, 0, 0}, {0, 50, 0}).copies;
    host.SetReportLibraryDeletions(false);
    EXPECT_TRUE(c[0]->Erased());
    EXPECT_THAT(host.ReportedDeletions(), testing::IsEmpty());
    EXPECT_TRUE(host.EventsOn());
    EXPECT_EQ(Usage(), "7/7");
    EXPECT_EQ(Records(source), before);
    Sound();
}

TEST_F(Copies, ACopyThatCannotBeLabelledStaysLinkedAndTheOthersAreStillLabelled) {
    // Main's copies come first and cannot take labels on its locked label layer.
    Entities picked = WithNodes(main[1]);
    for (const auto& e : WithNodes(sewer[2])) picked.push_back(e);
    const Entities c = CopyOf(picked, 50, false);
    std::string ids, changed;
    for (const auto& e : c) ids += Id(e) + ";";
    doc->Layers()->Item(com::Variant("Main - Annotation"))->SetLock(true);
    std::optional<com::Error> failure;
    try {
        events->VerifyCopiedElements(*doc, changed, ids);
    } catch (const com::Error& e) {
        failure = e;
    }
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->Code(), com::ErrorCode::OnLockedLayer);
    EXPECT_THAT(failure->Description(), testing::EndsWith("could not be labelled: New P-2, New N-2, New N-3"));
    EXPECT_EQ(LabelOf(c[0]) + "|" + LabelOf(c[1]) + "|" + LabelOf(c[2]), "New P-2|New N-2|New N-3");
    EXPECT_EQ(RecordText(c[0], pe::kLabelBlockId) + RecordText(c[1], ne::kLabelBlockId), "");
    EXPECT_EQ(Linked(c[0], pe::kEndNodeId), c[2]);
    for (const auto& e : {c[3], c[4], c[5]}) EXPECT_TRUE(Linked(e, e == c[3] ? pe::kLabelBlockId : ne::kLabelBlockId));
    // The crossings come after the last copy all the same.
    EXPECT_EQ(Crossings({acad::Cast<acad::AcadLWPolyline>(c[3]), ""}).size(), 1u);
    Sound();
}

TEST_F(Copies, AnythingButPipesAndNodesGoesAndAnUntaggedLineStays) {
    TestProfile profile = AddTestProfile(*doc, NetworkBuilder(*doc, "Sewer"), "L-1", "Road", {sewer[0]}, WithPlan());
    auto annotation = acad::Cast<acad::AcadEntity>(fluvanet::ObjectFromId(*doc, Crossings(sewer[0]).at(0)));
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {5, 5, 0});
    const std::vector<std::string> before = Records(All());
    auto watch = WatchErasures(*doc);
    const Entities picked{Linked(sewer[0].polyline, pe::kLabelBlockId),
                          Linked(sewer[0].polyline, pe::kArrowId),
                          annotation,
                          Linked(annotation, 15),
                          Linked(NodeOf(main[0], pe::kStartNodeId), ne::kLowHighId),
                          profile.block,
                          profile.plan,
                          line};
    const Entities c = host.Copy(picked, {0, 0, 0}, {0, 300, 0}).copies;
    doc->SetEraseObserver(nullptr);
    EXPECT_EQ(watch->flags, std::vector<int16_t>(7, 0));
    EXPECT_TRUE(host.EventsOn());
    EXPECT_FALSE(c.back()->Erased());
    c.back()->Delete();
    EXPECT_EQ(Records(All()), before);
    Sound();
}

TEST_F(Copies, EachCopyTakesAFreeLabelAndTheNodesWhereItsEndsLie) {
    // Two copies of P-3 with its nodes in one operation, interleaved.
    const Entities a = CopyOf(WithNodes(sewer[2]), 50, false), b = CopyOf(WithNodes(sewer[2]), 100, false);
    std::string changed, ids;
    for (const auto& e : {a[0], b[0], a[1], b[1], a[2], b[2]}) ids += Id(e) + ";";
    events->VerifyCopiedElements(*doc, changed, ids);
    EXPECT_EQ(LabelOf(a[0]) + "|" + LabelOf(b[0]) + "|" + LabelOf(b[2]), "New P-3|New New P-3|New New N-4");
    Sound();

    // P-3 and New P-3 together: each against what exists and what the other took.
    const Entities c = CopyOf({sewer[2].polyline, a[0], a[1], a[2], NodeOf(sewer[2], pe::kStartNodeId),
                               NodeOf(sewer[2], pe::kEndNodeId)},
                              140);
    EXPECT_EQ(LabelOf(c[0]) + "|" + LabelOf(c[1]), "New New New P-3|New New New New P-3");
    EXPECT_EQ(Usage(), "11/11");
    Sound();
}

TEST_F(Copies, CopiesOfAnUnknownNetworkBringItAlong) {
    // As pasted from elsewhere: a network the project does not define, without its label
    // and arrow layers.
    TestChain chain = NetworkBuilder(*doc, "Imported", "Pressure").AddChain({{0, 80}, {20, 80}, {40, 80}});
    general->DeleteNetworkDefintion(*doc, "Imported");
    std::string changed;
    events->VerifyCopiedElements(*doc, changed, chain.pipes[0].Id() + ";" + chain.pipes[1].Id() + ";" +
                                                    chain.nodes[0].Id() + ";" + chain.nodes[1].Id() + ";" +
                                                    chain.nodes[2].Id() + ";");
    EXPECT_EQ(Project(3) + Project(4), "Sewer;Main;Imported;Gravity;Pressure;Pressure;");
    EXPECT_EQ(vb::Split(Project(1), ";").at(1), "111");
    EXPECT_THAT(Project(8), testing::EndsWith(";Imported;Sewer;Imported;Main"));
    EXPECT_EQ(Project(9), "Main;");
    EXPECT_FALSE(ErrorOf([&] { doc->Layers()->Item(com::Variant("Imported - Arrow")); }));
    EXPECT_EQ(LabelOf(chain.pipes[1].polyline) + LabelOf(chain.nodes[2].block), "P-2N-3");
    EXPECT_NE(RecordText(chain.nodes[2].block, ne::kLowHighId), "");
    Sound();
}

TEST_F(Copies, LabelBlocksThatCannotShowTheLinesAreRebuiltBeforeTheFirstChange) {
    // The active style now shows a second line on pressure nodes; their label block holds one.
    const Entities c = CopyOf(WithNodes(main[1]), 50, false);
    const std::string ids = Id(c[0]) + ";" + Id(c[1]) + ";" + Id(c[2]) + ";";
    AddActiveViewStyle(*doc, ViewStyleSettings({{3, "Missing"}, {38, "1;;;2;0"}}, "Broken"));
    const std::vector<std::string> before = Records(All()), project = Records(std::vector{doc->ModelSpace()});
    std::string changed;
    // Its text style is not there either: refused with nothing changed.
    EXPECT_EQ(ErrorOf([&] { events->VerifyCopiedElements(*doc, changed, ids); }), com::ErrorCode::KeyNotFound);
    EXPECT_EQ(Records(All()), before);
    EXPECT_EQ(Records(std::vector{doc->ModelSpace()}), project);

    AddActiveViewStyle(*doc, ViewStyleSettings({{38, "1;;;2;0"}}, "Two"));
    events->VerifyCopiedElements(*doc, changed, ids);
    auto label = acad::Cast<acad::AcadBlockReference>(Linked(c[2], ne::kLabelBlockId));
    ASSERT_EQ(label->GetAttributes().size(), 2u);
    EXPECT_EQ(label->GetAttributes()[0]->TextString(), LabelOf(c[2]));
    Sound();
}

TEST_F(Copies, NetworkDefinitionsAndFinalLabels) {
    const std::vector project{doc->ModelSpace()};
    const std::vector<std::string> before = Records(project);
    const int32_t layers = doc->Layers()->Count();
    EXPECT_TRUE(events->CheckAndAddNetworkDefinition(*doc, "Sewer", "Pressure"));
    for (const auto& [name, type] : std::vector<std::pair<std::string, std::string>>{
             {"", "Gravity"}, {"a;b", "Gravity"}, {"a,b", "Pressure"}, {"Storm", "gravity"}})
        EXPECT_EQ(ErrorOf([&] { events->CheckAndAddNetworkDefinition(*doc, name, type); }),
                  com::ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(Records(project), before);
    EXPECT_FALSE(vb::CBool(
        vb::CallByName(events, "CheckAndAddNetworkDefinition", com::CallType::Method, doc, "Storm", "Pressure")));
    EXPECT_EQ(Project(3) + Project(9), "Sewer;Main;Storm;Main;");
    EXPECT_EQ(doc->Layers()->Count(), layers);

    // The last element is a spare; case counts.
    for (const auto& [taken, label] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"P-7", "New P-7", ""}, "New New P-7"}, {{"P-7"}, "P-7"}, {{"p-7", ""}, "P-7"}})
        EXPECT_EQ(vb::CStr(vb::CallByName(events, "GetFinalLabel", com::CallType::Method, "P-7",
                                          com::Variant(com::SafeArray::FromStrings(taken)))),
                  label);
    // The host's list keeps 16-bit indices.
    std::vector<std::string> taken(32767, "P-8");
    taken.front() = "P-7";
    EXPECT_EQ(events->GetFinalLabel("P-7", taken), "New P-7");
    taken.emplace_back();
    EXPECT_EQ(ErrorOf([&] { events->GetFinalLabel("P-7", taken); }), com::ErrorCode::Overflow);
}

}  // namespace
