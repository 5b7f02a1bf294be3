// Copies of pipes and nodes becoming elements of their own, copies of anything else going,
// networks that copies bring along, and free labels.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/project_record.h"
#include "crossing/low_high.h"
#include "tests/events/event_drawing.h"
#include "tests/support/erase_watch.h"
#include "tests/support/error_code.h"

namespace {

using namespace testing_support;
using com::ErrorCode;
using com::Variant;
using testing::ElementsAre;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;

std::string Ref(const std::string& key) { return fluvanet::refs::Reference(key); }

class Copies : public EventDrawing {
protected:
    // Copies moved by (dx, dy), as one operation of the host would leave them.
    Entities CopyOf(const Entities& entities, double dx, double dy) {
        Entities copies;
        for (const auto& e : entities) {
            copies.push_back(e->Copy());
            copies.back()->Move({0, 0, 0}, {dx, dy, 0});
        }
        return copies;
    }
    std::string Ids(const Entities& entities) {
        std::string ids;
        for (const auto& e : entities) ids += Id(e) + ";";
        return ids;
    }
    void Verify(const Entities& copies, std::string changed = "") {
        events->VerifyCopiedElements(*doc, changed, Ids(copies));
    }
    std::string Project(int32_t entry) { return RecordText(doc->ModelSpace(), entry); }
    // The pipes and nodes of the source, P-3 with its two nodes.
    Entities P3() { return {sewer[2].polyline, NodeOf(sewer[2], pe::kStartNodeId).block, NodeOf(sewer[2], pe::kEndNodeId).block}; }
};

TEST_F(Copies, APipeCopiedWithItsNodesIsANewElementOfItsOwn) {
    // Sewer's pipes, nodes, labels and arrows; Main's P-4 gains the copy's crossing.
    const Entities source = general->GetNetworkSet(*doc, "Sewer", 0)->Members();
    const std::vector<std::string> before = Records(source);
    // Main's P-2 with its nodes first: each network's markers come from its own nodes.
    Entities picked{main[1].polyline, NodeOf(main[1], pe::kStartNodeId).block, NodeOf(main[1], pe::kEndNodeId).block};
    for (const auto& e : P3()) picked.push_back(e);
    host::EventDriver::CopyResult all = host.Copy(picked, {0, 0, 0}, {0, 50, 0});
    ASSERT_EQ(all.copies.size(), 6u);
    EXPECT_EQ(LabelOf(all.copies[0]), "New P-2");
    EXPECT_EQ(LabelOf(Linked(all.copies[1], ne::kLowHighId)), "New N-2LowHigh");
    const Entities sewerCopies(all.copies.begin() + 3, all.copies.end());
    const host::EventDriver::CopyResult copy{sewerCopies, all.changedPipes};
    const TestPipe pipe{acad::Cast<acad::AcadLWPolyline>(copy.copies[0]), "New P-3"};

    EXPECT_EQ(RecordText(pipe.polyline, pe::kCombinedLabel), "Pipe;Sewer;New P-3");
    EXPECT_EQ(RecordText(pipe.polyline, pe::kStartNodeLabel), Ref("New N-3"));
    EXPECT_EQ(RecordText(pipe.polyline, pe::kStartNodeId), Ref(Id(copy.copies[1])));
    EXPECT_EQ(RecordText(pipe.polyline, pe::kEndNodeId), Ref(Id(copy.copies[2])));
    EXPECT_EQ(RecordText(copy.copies[1], ne::kCombinedLabel), "Node;Sewer;New N-3");
    // Each node lists only the new pipe; the source's other pipe P-2 stays with the source.
    EXPECT_EQ(RecordText(copy.copies[1], ne::kStartPipeLabels) + RecordText(copy.copies[1], ne::kEndPipeLabels),
              Ref("New P-3"));
    EXPECT_EQ(RecordText(copy.copies[2], ne::kEndPipeIds) + RecordText(copy.copies[2], ne::kStartPipeIds),
              Ref(pipe.Id()));
    // Its own label, arrow and crossing with Main; no profile.
    EXPECT_EQ(LabelOf(Linked(pipe.polyline, pe::kLabelBlockId)), "New P-3Annotation");
    EXPECT_EQ(LabelOf(Linked(pipe.polyline, pe::kArrowId)), "New P-3Arrow");
    ASSERT_EQ(Crossings(pipe).size(), 1u);
    EXPECT_NE(Crossings(pipe), Crossings(sewer[2]));
    EXPECT_EQ(RecordText(pipe.polyline, pe::kProfileIds), "");

    EXPECT_EQ(Records(source), before);
    EXPECT_EQ(Usage("PVC", "200"), "9/9");
    EXPECT_EQ(copy.changedPipes, "");
    Sound();

    // Called by the host with changed pipes, it takes the copies out of them.
    const Entities again = CopyOf(P3(), 0, 100);
    std::string changed = sewer[0].Id() + ";" + Id(again[0]) + ";" + Id(again[2]) + ";";
    events->VerifyCopiedElements(*doc, changed, Ids(again));
    EXPECT_EQ(changed, sewer[0].Id() + ";");
    EXPECT_EQ(LabelOf(again[0]), "New New P-3");
    Sound();
}

TEST_F(Copies, APipeWithoutBothNodesGoesWithTheEventsOff) {
    const Entities source = All();
    const std::vector<std::string> before = Records(source);
    // A host that sees the library's own erasures: reported, the copy would be taken for
    // its source.
    host.SetReportLibraryDeletions(true);
    host::EventDriver::CopyResult copy = host.Copy({P3()[0], P3()[2]}, {0, 0, 0}, {0, 50, 0});
    host.SetReportLibraryDeletions(false);

    EXPECT_TRUE(copy.copies[0]->Erased());
    EXPECT_THAT(host.ReportedDeletions(), testing::IsEmpty());
    EXPECT_TRUE(host.EventsOn());
    EXPECT_EQ(RecordText(copy.copies[1], ne::kCombinedLabel), "Node;Sewer;New N-4");
    for (int32_t k = ne::kStartPipeLabels; k <= ne::kEndPipeIds; ++k) EXPECT_EQ(RecordText(copy.copies[1], k), "");
    EXPECT_EQ(Usage("PVC", "200"), "7/7");
    EXPECT_EQ(Records(source), before);
    Sound();
}

TEST_F(Copies, AnythingButPipesAndNodesGoesAndAnUntaggedLineStays) {
    TestProfile profile = AddTestProfile(*doc, NetworkBuilder(*doc, "Sewer"), "L-1", "Road", {sewer[0], sewer[1]},
                                         WithPlan());
    auto marker = Linked(NodeOf(main[0], pe::kStartNodeId).block, ne::kLowHighId);
    auto annotation = acad::Cast<acad::AcadEntity>(fluvanet::ObjectFromId(*doc, Crossings(sewer[0]).at(0)));
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {5, 5, 0});
    const Entities picked{Linked(sewer[0].polyline, pe::kLabelBlockId), Linked(sewer[0].polyline, pe::kArrowId),
                          annotation, Linked(annotation, 15), marker, profile.block, profile.plan, line};
    const Entities source = All();
    const std::vector<std::string> before = Records(source);

    auto watch = WatchErasures(*doc);
    host::EventDriver::CopyResult copy = host.Copy(picked, {0, 0, 0}, {0, 300, 0});
    doc->SetEraseObserver(nullptr);
    for (std::size_t i = 0; i + 1 < copy.copies.size(); ++i) EXPECT_TRUE(copy.copies[i]->Erased()) << i;
    EXPECT_FALSE(copy.copies.back()->Erased());
    EXPECT_FALSE(fluvanet::ElementRecord::Read(copy.copies.back()).Exists());
    EXPECT_EQ(watch->flags, std::vector<int16_t>(picked.size() - 1, 0));
    EXPECT_TRUE(host.EventsOn());
    EXPECT_EQ(Records(source), before);
    Sound();
}

TEST_F(Copies, EachCopyTakesAFreeLabelAndTheNodesAtItsEnds) {
    // Two copies of P-3 and its nodes in one operation, interleaved: the pipes find their
    // nodes by where they lie.
    const Entities a = CopyOf(P3(), 0, 50), b = CopyOf(P3(), 0, 100);
    Verify({a[0], b[0], a[1], b[1], a[2], b[2]});
    EXPECT_EQ(LabelOf(a[0]), "New P-3");
    EXPECT_EQ(LabelOf(b[0]), "New New P-3");
    EXPECT_EQ(LabelOf(b[2]), "New New N-4");
    EXPECT_EQ(RecordText(b[0], pe::kStartNodeId), Ref(Id(b[1])));
    EXPECT_EQ(RecordText(b[0], pe::kEndNodeLabel), Ref("New New N-4"));
    Sound();

    // P-3 and New P-3 copied together: each against what exists and what the other took.
    const Entities c = CopyOf({sewer[2].polyline, a[0], P3()[1], P3()[2], a[1], a[2]}, 0, 140);
    Verify(c);
    EXPECT_EQ(LabelOf(c[0]), "New New New P-3");
    EXPECT_EQ(LabelOf(c[1]), "New New New New P-3");
    EXPECT_EQ(Usage("PVC", "200"), "11/11");
    Sound();
}

TEST_F(Copies, CopiesOfAnUnknownNetworkBringItAlong) {
    // As pasted from another drawing: elements of a network the project does not define,
    // without its label and arrow layers.
    NetworkBuilder imported(*doc, "Imported", "Pressure");
    TestChain chain = imported.AddChain({{0, 80}, {20, 80}, {40, 80}});
    general->DeleteNetworkDefintion(*doc, "Imported");
    const std::string lowHigh = Project(9);
    std::string changed;
    events->VerifyCopiedElements(*doc, changed,
                                 chain.pipes[0].Id() + ";" + chain.pipes[1].Id() + ";" + chain.nodes[0].Id() + ";" +
                                     chain.nodes[1].Id() + ";" + chain.nodes[2].Id() + ";");

    EXPECT_EQ(Project(3), "Sewer;Main;Imported;");
    EXPECT_EQ(Project(4), "Gravity;Pressure;Pressure;");
    EXPECT_EQ(vb::Split(Project(1), ";").at(1), "111");
    EXPECT_THAT(Project(8), testing::EndsWith(";Imported;Sewer;Imported;Main"));
    EXPECT_EQ(Project(9), lowHigh);
    for (const char* layer : {"Imported - Annotation", "Imported - Arrow"})
        EXPECT_FALSE(ErrorOf([&] { doc->Layers()->Item(Variant(layer)); })) << layer;
    // Labels kept; the pressure nodes classified as a network of their own.
    EXPECT_EQ(LabelOf(chain.pipes[1].polyline), "P-2");
    EXPECT_EQ(LabelOf(chain.nodes[2].block), "N-3");
    EXPECT_NE(RecordText(chain.nodes[2].block, ne::kLowHighId), "");
    Sound();
}

TEST_F(Copies, NetworkDefinitionsAndFinalLabels) {
    auto project = [&] { return fluvanet::ElementRecord::Read(doc->ModelSpace()).ValuesVariant().Array().ToStrings(); };
    const auto before = project();
    const int32_t layers = doc->Layers()->Count();
    EXPECT_TRUE(events->CheckAndAddNetworkDefinition(*doc, "Sewer", "Pressure"));
    for (const auto& [name, type] : std::vector<std::pair<std::string, std::string>>{
             {"", "Gravity"}, {"a;b", "Gravity"}, {"a,b", "Pressure"}, {"Storm", "gravity"}})
        EXPECT_EQ(ErrorOf([&] { events->CheckAndAddNetworkDefinition(*doc, name, type); }),
                  ErrorCode::InvalidProcedureCall)
            << name;
    EXPECT_EQ(project(), before);

    Variant added = vb::CallByName(events, "CheckAndAddNetworkDefinition", com::CallType::Method, doc, "Storm", "Pressure");
    EXPECT_FALSE(vb::CBool(added));
    EXPECT_EQ(Project(3), "Sewer;Main;Storm;");
    EXPECT_EQ(Project(4), "Gravity;Pressure;Pressure;");
    EXPECT_THAT(Project(8), testing::EndsWith(";Storm;Sewer;Storm;Main"));
    EXPECT_EQ(Project(9), "Main;");
    EXPECT_EQ(doc->Layers()->Count(), layers);

    // The last element is a spare; case counts.
    for (const auto& [taken, label] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"P-7", "New P-7", ""}, "New New P-7"}, {{"P-7"}, "P-7"}, {{"p-7", ""}, "P-7"}, {{}, "P-7"}})
        EXPECT_EQ(vb::CStr(vb::CallByName(events, "GetFinalLabel", com::CallType::Method, "P-7",
                                          Variant(com::SafeArray::FromStrings(taken)))),
                  label);
}

}  // namespace
