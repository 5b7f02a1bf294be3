// Identifiers rebuilt after a reopen gave every object a new one, on drawings made by the
// conversion with crossings, markers, labels, arrows and profiles: keys that coincide across
// networks and element types, references to what is gone, and the layers' locks.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <tuple>

#include "core/general.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "crossing/crossing.h"
#include "crossing/crossing_records.h"
#include "crossing/low_high.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "events/update_oids.h"
#include "platform/dispatch.h"
#include "platform/vb_text.h"
#include "profile/profile_records.h"
#include "tests/support/error_code.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"
#include "tests/support/view_style.h"
#include "tests/support/xdata.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing::IsEmpty;
using namespace testing_support;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;
namespace ce = fluvanet::crossing_entry;
namespace pf = fluvanet::profile_entry;

std::string Ref(const std::string& key) { return fluvanet::refs::Reference(key); }

class RebuildIds : public testing::Test {
protected:
    // S: 1P-1 from (0,0) to (20,0). S1: P-1, P-7, P-3 along y 10, its first node also
    // "P-7". T (pressure): P-1 up x 10 across both, P-2 on to (30,20), with markers. The
    // crossings' labels coincide: "S" & "1P-1" and "S1" & "P-1" spell the same. Profiles
    // L-1 (S1, all three, with plan), L-2 (T, P-1, with plan), L-3 (T, P-2) of one style.
    void Build() {
        // Met first: a record of no known type that carries a pipe's key.
        stray = doc->ModelSpace()->AddPoint({0, 0, 0});
        SetTextRecord(*stray, {"Pipe;S1;P-1", "Whatever"});
        AddActiveViewStyle(*doc, ViewStyleSettings());
        s = Convert("S", "Gravity", {{0, 0, 20, 0}});
        PipeData(s[0], "1P-1");
        s1 = Convert("S1", "Gravity", {{0, 10, 20, 10}, {20, 10, 40, 10}, {40, 10, 60, 10}});
        PipeData(s1[1], "P-7");
        editing.UpdateNodeData(*doc, End(s1[0], pe::kStartNodeId), "P-7", 0, 0, "No Matching", *LowHighSet());
        t = Convert("T", "Pressure", {{10, -10, 10, 20}, {10, 20, 30, 20}});
        std::vector<std::string> nodes{End(t[0], pe::kStartNodeId), End(t[0], pe::kEndNodeId), End(t[1], pe::kEndNodeId)};
        const double sumps[] = {100, 102, 99};
        for (std::size_t i = 0; i < nodes.size(); ++i) SetRecordEntry(Object(nodes[i]), ne::kSumpLevel, Variant(sumps[i]));
        fluvanet::LowHigh().BuildLowHighPointsAfterImporting(*doc, nodes, "T");
        // Two styles of one name, the later listed first: it takes the profiles, and the one
        // met first has none.
        const std::string unused = AddProfileStyle(*doc, "Road"), used = AddProfileStyle(*doc, "Road");
        SetRecordEntry(doc->ModelSpace(), 10, Variant(used + ";" + unused + ";"));
        TestProfileOptions directions = WithPlan();
        directions.directions = {"0", "1", "0"};
        l1 = AddTestProfile(*doc, NetworkBuilder(*doc, "S1"), "L-1", "Road", s1, directions);
        l2 = AddTestProfile(*doc, NetworkBuilder(*doc, "T", "Pressure"), "L-2", "Road", {t[0]}, WithPlan());
        l3 = AddTestProfile(*doc, NetworkBuilder(*doc, "T", "Pressure"), "L-3", "Road", {t[1]});
        ASSERT_EQ(fluvanet::Crossing().GetExistingCrossingPointsSet(*doc, "")->Count(), 2);
        Sound();
    }

    std::vector<TestPipe> Convert(const std::string& net, const std::string& type,
                                  const std::vector<std::vector<double>>& polylines) {
        general.CreateNetworkDefintion(*doc, net, type);
        auto set = general.InitializeSelectionSet(*doc, "Picked");
        std::vector<TestPipe> pipes;
        for (const auto& xy : polylines) {
            pipes.push_back({doc->ModelSpace()->AddLightWeightPolyline(xy), ""});
            set->AddItems({pipes.back().polyline});
        }
        editing.CreateElementsInNetwork(*doc, *set, false, net, type);
        for (TestPipe& p : pipes) p.label = vb::Split(RecordText(p.polyline, pe::kCombinedLabel), ";").at(2);
        return pipes;
    }
    void PipeData(TestPipe& pipe, const std::string& label) {
        com::SafeArray circular = library.GetSizesArray(*doc, "Circular"), box = library.GetSizesArray(*doc, "Box"),
                       materials = library.GetMaterialsArray(*doc);
        editing.UpdatePipeData(*doc, pipe.Id(), label, 0, 0, "PVC", "Circular - 200", 1, circular, box, materials,
                               *LowHighSet());
        pipe.label = label;
    }
    std::shared_ptr<acad::AcadSelectionSet> LowHighSet() {
        return general.InitializeSelectionSet(*doc, "SetNodesForLowHigh");
    }

    std::shared_ptr<acad::AcadObject> Object(const std::string& id) { return fluvanet::ObjectFromId(*doc, id); }
    static std::string Id(const std::shared_ptr<acad::AcadEntity>& entity) { return fluvanet::IdText(*entity); }
    // The entries' texts joined by "|".
    static std::string Texts(const std::shared_ptr<acad::AcadObject>& object, std::initializer_list<int32_t> entries) {
        std::string out;
        for (int32_t entry : entries) out += (entry == *entries.begin() ? "" : "|") + RecordText(object, entry);
        return out;
    }
    // The identifier a single reference of the object names now.
    static std::string End(const TestPipe& pipe, int32_t entry) {
        return fluvanet::refs::ReferenceKey(RecordText(pipe.polyline, entry));
    }
    std::shared_ptr<acad::AcadObject> Named(const std::shared_ptr<acad::AcadObject>& owner, int32_t entry) {
        return Object(fluvanet::refs::ReferenceKey(RecordText(owner, entry)));
    }
    // The crossing annotation of a network's pipe.
    std::shared_ptr<acad::AcadEntity> AnnotationOf(const std::string& net) {
        for (const auto& a : fluvanet::Crossing().GetExistingCrossingPointsSet(*doc, net)->Members()) return a;
        return nullptr;
    }
    // Every record of the drawing, the project's first.
    std::vector<std::vector<std::string>> Records() {
        std::vector<std::vector<std::string>> all{fluvanet::ElementRecord::Read(doc->ModelSpace()).ValuesVariant().Array().ToStrings()};
        for (const auto& e : doc->Database()->SpaceEntities())
            if (!e->Erased() && fluvanet::ElementRecord::Read(e).Exists())
                all.push_back(fluvanet::ElementRecord::Read(e).ValuesVariant().Array().ToStrings());
        return all;
    }
    bool Locked(const std::string& layer) { return doc->Layers()->Item(Variant(layer))->Lock(); }
    void Lock(const std::string& layer) { doc->Layers()->Item(Variant(layer))->SetLock(true); }
    void Sound() {
        std::vector<std::string> findings = NetworkFindings(*doc);
        EXPECT_THAT(findings, IsEmpty()) << testing::PrintToString(findings);
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    fluvanet::General general;
    fluvanet::Library library;
    fluvanet::Editing editing;
    std::shared_ptr<fluvanet::UpdateOIDs> rebuild = std::make_shared<fluvanet::UpdateOIDs>();
    std::shared_ptr<acad::AcadPoint> stray;
    std::vector<TestPipe> s, s1, t;
    TestProfile l1, l2, l3;
};

TEST_F(RebuildIds, EveryReferenceNamesTheNewIdentifiersAndASecondCallWritesTheSame) {
    Build();
    // 26 networks in all.
    for (int i = 0; i < 23; ++i)
        Convert("N" + std::to_string(i), i % 2 ? "Pressure" : "Gravity", {{100, 10.0 * i, 105, 10.0 * i + 5}});
    Lock("S - Network");
    Lock("T - Annotation");
    const std::vector<std::string> strayRecord = fluvanet::ElementRecord::Read(stray).ValuesVariant().Array().ToStrings();
    doc->ReopenWithNewIds();
    ASSERT_THAT(NetworkFindings(*doc), testing::Not(IsEmpty()));

    rebuild->UpdateObjectIDs(*doc);
    // Colliding keys, equal labels across networks, no limit to the networks, the settings
    // points in the project record.
    Sound();
    const std::vector<std::string> styles = vb::Split(RecordText(doc->ModelSpace(), 1), ";");
    EXPECT_EQ(styles.at(0) + ";" + styles.at(1), "Standard;" + std::string(26, '1'));
    EXPECT_EQ(fluvanet::ElementRecord::Read(stray).ValuesVariant().Array().ToStrings(), strayRecord);
    EXPECT_TRUE(Locked("S - Network"));
    EXPECT_TRUE(Locked("T - Annotation"));
    EXPECT_FALSE(Locked("S1 - Network"));

    const auto once = Records();
    vb::CallByName(rebuild, "UpdateObjectIDs", com::CallType::Method, doc);
    EXPECT_EQ(Records(), once);
}

TEST_F(RebuildIds, AKeyThatNamesNothingIsClearedOrLeavesItsPlaceInEveryParallelList) {
    Build();
    auto tLow = Named(t[0].polyline, pe::kStartNodeId);
    auto tLast = Named(t[1].polyline, pe::kEndNodeId);
    auto middle = Named(s1[1].polyline, pe::kEndNodeId);
    auto leader = Named(AnnotationOf("S"), ce::kLineId);
    const std::string annotationLabel = RecordText(leader, 3);
    for (const std::shared_ptr<acad::AcadObject>& gone :
         {Named(s1[0].polyline, pe::kLabelBlockId), Named(s1[0].polyline, pe::kArrowId), Named(tLast, ne::kLabelBlockId),
          Named(tLow, ne::kLowHighId), Named(l1.block, pf::kPlanAnnoId), Named(s[0].polyline, pe::kStartNodeId),
          Object(l2.Id()), Object(s1[1].Id()), Object(Id(AnnotationOf("S"))), Object(Id(AnnotationOf("S1")))})
        acad::Cast<acad::AcadEntity>(gone)->Delete();
    doc->ReopenWithNewIds();
    rebuild->UpdateObjectIDs(*doc);

    // Label block, arrow, marker and plan annotation go from both sides; lists that name
    // nothing more are empty.
    for (auto [object, label, id] : std::vector<std::tuple<std::shared_ptr<acad::AcadObject>, int32_t, int32_t>>{
             {s1[0].polyline, pe::kLabelBlockLabel, pe::kLabelBlockId},
             {s1[0].polyline, pe::kArrowLabel, pe::kArrowId},
             {tLast, ne::kLabelBlockLabel, ne::kLabelBlockId},
             {tLow, ne::kLowHighLabel, ne::kLowHighId},
             {l1.block, pf::kPlanAnnoLabel, pf::kPlanAnnoId},
             {l2.plan, 3, 4},
             {s[0].polyline, pe::kCrossingLabels, pe::kCrossingIds},
             {t[0].polyline, pe::kCrossingLabels, pe::kCrossingIds},
             {t[0].polyline, pe::kProfileLabels, pe::kProfileIds},
             {middle, ne::kEndPipeLabels, ne::kEndPipeIds}})
        EXPECT_EQ(Texts(object, {label, id}), "|") << RecordText(object, 1) << " [" << label << "]";
    // Other single references keep their label.
    EXPECT_EQ(Texts(s[0].polyline, {pe::kStartNodeLabel, pe::kStartNodeId}), Ref("N-1") + "|");
    EXPECT_EQ(Texts(leader, {3, 4}), annotationLabel + "|");
    // The keys found stay, and so does what stands beside them.
    EXPECT_EQ(Texts(l1.block, {pf::kPipeLabels, pf::kPipeIds, pf::kPipeDirections}),
              Ref("P-1") + Ref("P-3") + "|" + Ref(s1[0].Id()) + Ref(s1[2].Id()) + "|;0;0");
    EXPECT_EQ(Texts(middle, {ne::kStartPipeLabels, ne::kStartPipeIds}), Ref("P-3") + "|" + Ref(s1[2].Id()));
    EXPECT_EQ(Texts(Named(l1.block, pf::kStyleId), {3, 4, 20}),
              Ref("L-1") + Ref("L-3") + "|" + Ref(l1.Id()) + Ref(l3.Id()) + "|;S1;T");
}

// Annotations of one pipe pair at one point, as a merge leaves them where its old pipes met
// on the other pipe: their leaders are alike, and each annotation keeps one that names it
// back, also when a leader no longer starts at the crossing point.
TEST_F(RebuildIds, AnnotationsAlikeAtOnePointKeepALeaderEachThatNamesThemBack) {
    AddActiveViewStyle(*doc, ViewStyleSettings());
    s = Convert("S", "Gravity", {{0, 0, 20, 0}});
    t = Convert("T", "Pressure", {{10, -10, 10, 10}});
    fluvanet::Crossing crossing;
    auto picked = general.InitializeSelectionSet(*doc, "Picked");
    picked->AddItems({t[0].polyline});
    std::vector<fluvanet::CrossPoint> again = crossing.GetCrossingPointsArrayForSetOfPipes(*doc, *picked);
    ASSERT_EQ(again.size(), 1u);
    again.push_back(again[0]);
    crossing.DrawCrossingPoints(*doc, again);
    std::set<std::string> labels;
    for (const auto& a : crossing.GetExistingCrossingPointsSet(*doc, "")->Members()) labels.insert(RecordText(a, 1));
    ASSERT_EQ(labels, std::set<std::string>{"CPA;;TP-1SP-1Annotation"});
    ASSERT_EQ(crossing.GetExistingCrossingPointsSet(*doc, "")->Count(), 3);
    Sound();

    for (bool leaderMoved : {false, true}) {
        if (leaderMoved) acad::Cast<acad::AcadLine>(Named(AnnotationOf("S"), ce::kLineId))->SetStartPoint({12, 3, 0});
        doc->ReopenWithNewIds();
        rebuild->UpdateObjectIDs(*doc);
        Sound();
        const auto once = Records();
        rebuild->UpdateObjectIDs(*doc);
        EXPECT_EQ(Records(), once) << "leader moved: " << leaderMoved;
    }
}

TEST_F(RebuildIds, AFailureLocksTheLayersAgainAndWritesNothing) {
    Build();
    Lock("S1 - Network");
    doc->ReopenWithNewIds();
    // Met last, and short of the entries its references live in.
    SetTextRecord(*doc->ModelSpace()->AddPoint({0, 0, 0}), {"CPA;;Broken", "CrossingPointAnnotation"});
    const auto before = Records();
    EXPECT_EQ(ErrorOf([&] { rebuild->UpdateObjectIDs(*doc); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_TRUE(Locked("S1 - Network"));
    EXPECT_FALSE(Locked("S - Network"));
    EXPECT_EQ(Records(), before);
}

}  // namespace
