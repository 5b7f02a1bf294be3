// Deleting a network made by the real conversion, among two others it crosses or not: what
// goes, what stays, the library counts, the layers' locks and the events flag on every exit.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "core/general.h"
#include "core/library.h"
#include "crossing/crossing.h"
#include "crossing/low_high.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "platform/host_driver.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile.h"
#include "tests/support/erase_watch.h"
#include "tests/support/error_code.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"
#include "tests/support/view_style.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing::ElementsAre;
using testing::IsEmpty;
using namespace testing_support;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;

class NetworkDeletion : public testing::Test {
protected:
    // Main crosses Sewer twice, Water crosses Sewer once; Main and Water carry markers; each
    // network has a profile, Main's with a plan annotation.
    NetworkDeletion() {
        AddActiveViewStyle(*doc, ViewStyleSettings());
        sewer = Convert("Sewer", "Gravity", {{0, 0, 20, 0}, {20, 0, 40, 0}, {40, 0, 60, 0}});
        main = Convert("Main", "Pressure", {{10, -10, 10, 10}, {10, 10, 30, 10}, {30, 10, 30, -10}});
        water = Convert("Water", "Pressure", {{50, -10, 50, 10}, {50, 10, 70, 10}});
        Mark("Main", {100, 102, 99, 101});
        Mark("Water", {100, 102, 101});
        AddProfileStyle(*doc, "Road");
        sewerProfile = Profile("Sewer", "Gravity", sewer, false);
        mainProfile = Profile("Main", "Pressure", main, true);
        waterProfile = Profile("Water", "Pressure", water, false);
    }

    std::vector<TestPipe> Convert(const std::string& net, const std::string& type,
                                  const std::vector<std::vector<double>>& polylines) {
        return ConvertPolylines(*doc, net, type, polylines);
    }
    // Sumps in the nodes' drawing order, then the network's markers built.
    void Mark(const std::string& net, const std::vector<double>& sumps) {
        std::vector<std::string> ids;
        auto nodes = general.GetNetworkSet(*doc, net, 2)->Members();
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            SetRecordEntry(nodes[i], ne::kSumpLevel, Variant(sumps.at(i)));
            ids.push_back(fluvanet::IdText(*nodes[i]));
        }
        lowHigh.BuildLowHighPointsAfterImporting(*doc, ids, net);
    }
    TestProfile Profile(const std::string& net, const std::string& type, const std::vector<TestPipe>& pipes,
                        bool withPlan) {
        return AddTestProfile(*doc, NetworkBuilder(*doc, net, type), net + "-L", "Road", pipes,
                              withPlan ? WithPlan() : TestProfileOptions());
    }

    std::vector<std::string> Markers(const std::string& net) {
        std::vector<std::string> ids;
        for (const auto& m : lowHigh.GetExistingLowHighPointsSet(*doc, net)->Members()) ids.push_back(fluvanet::IdText(*m));
        return ids;
    }
    int32_t Crossings(const std::string& net) { return crossing.GetExistingCrossingPointsSet(*doc, net)->Count(); }
    static std::string CrossingRefs(const TestPipe& p) {
        return RecordText(p.polyline, pe::kCrossingLabels) + RecordText(p.polyline, pe::kCrossingIds);
    }
    std::string Count(const com::SafeArray& table, const std::string& name) {
        for (int32_t i = 0; i <= table.UBound(1); ++i)
            if (vb::CStr(table.Get(i, 0)) == name) return vb::CStr(table.Get(i, 1));
        return "none";
    }
    std::string Usage() {
        return Count(library.GetMaterialsArray(*doc), "PVC") + "/" +
               Count(library.GetSizesArray(*doc, "Circular"), "200");
    }
    bool HasLayer(const std::string& name) {
        return !ErrorOf([&] { doc->Layers()->Item(Variant(name)); }).has_value();
    }
    bool Locked(const std::string& name) { return doc->Layers()->Item(Variant(name))->Lock(); }
    void Lock(const std::string& name) { doc->Layers()->Item(Variant(name))->SetLock(true); }
    std::string Project(int32_t entry) { return RecordText(doc->ModelSpace(), entry); }
    std::size_t EntityCount() { return doc->Database()->SpaceEntities().size(); }
    void Sound() {
        std::vector<std::string> findings = NetworkFindings(*doc);
        EXPECT_THAT(findings, IsEmpty()) << testing::PrintToString(findings);
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    std::shared_ptr<fluvanet::General> shared = std::make_shared<fluvanet::General>();
    fluvanet::General& general = *shared;
    fluvanet::Crossing crossing;
    fluvanet::LowHigh lowHigh;
    fluvanet::Library library;
    std::vector<TestPipe> sewer, main, water;
    TestProfile sewerProfile, mainProfile, waterProfile;
};

TEST_F(NetworkDeletion, TheNetworkGoesWithAllThatNamesItAndTheOthersKeepTheirs) {
    ASSERT_EQ(Crossings("Main"), 2);
    ASSERT_EQ(Crossings("Water"), 1);
    ASSERT_FALSE(Markers("Main").empty());
    const std::vector<std::string> waterMarkers = Markers("Water");
    ASSERT_FALSE(waterMarkers.empty());
    ASSERT_EQ(Usage(), "8/8");
    const std::string lastSewerCrossing = CrossingRefs(sewer[2]);
    const std::vector<std::string> waterProfileRecord = waterProfile.Record().ValuesVariant().Array().ToStrings();
    // A locked layer of the network, one of another network and a shared one the
    // network's crossing annotations stand on.
    for (const char* layer : {"Main - Network", "Sewer - Network", "Crossing Point Annotation Text"}) Lock(layer);
    Sound();

    auto watch = WatchErasures(*doc);
    general.DeleteNetwork(*doc, "Main");
    doc->SetEraseObserver(nullptr);

    EXPECT_EQ(general.GetNetworkSet(*doc, "Main", 0)->Count(), 0);
    for (const TestPipe& p : main) EXPECT_TRUE(p.polyline->Erased());
    EXPECT_EQ(Crossings(""), 1);
    EXPECT_EQ(CrossingRefs(sewer[0]) + CrossingRefs(sewer[1]), "");
    EXPECT_EQ(CrossingRefs(sewer[2]), lastSewerCrossing);
    EXPECT_THAT(Markers("Main"), IsEmpty());
    EXPECT_EQ(Markers("Water"), waterMarkers);
    EXPECT_TRUE(mainProfile.block->Erased());
    EXPECT_TRUE(mainProfile.plan->Erased());
    EXPECT_FALSE(sewerProfile.block->Erased());
    EXPECT_EQ(waterProfile.Record().ValuesVariant().Array().ToStrings(), waterProfileRecord);
    EXPECT_EQ(Usage(), "5/5");

    EXPECT_EQ(Project(3), "Sewer;Water;");
    EXPECT_EQ(Project(4), "Gravity;Pressure;");
    EXPECT_EQ(Project(9), "Water;");
    EXPECT_EQ(vb::InStr(Project(8), "Main"), 0);
    for (const char* suffix : {" - Network", " - Annotation", " - Arrow", " - Low&High Points"})
        EXPECT_FALSE(HasLayer(std::string("Main") + suffix)) << suffix;
    EXPECT_TRUE(Locked("Sewer - Network"));
    EXPECT_TRUE(Locked("Crossing Point Annotation Text"));
    EXPECT_FALSE(Locked("Sewer - Annotation"));

    // Not one erasure would have reached the erase handlers, and the flag is back on.
    EXPECT_FALSE(watch->flags.empty());
    EXPECT_THAT(watch->flags, testing::Each(0));
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    Sound();
}

TEST_F(NetworkDeletion, ANetworkWithoutElementsLosesItsDefinitionAndLayers) {
    general.CreateNetworkDefintion(*doc, "Storm", "Gravity");
    general.TurnEventsOff(*doc);
    const std::string visibility = vb::Split(Project(1), ";").at(1);
    const std::size_t entities = EntityCount();
    vb::CallByName(shared, "DeleteNetwork", com::CallType::Method, doc, "Storm");
    EXPECT_EQ(Project(3), "Sewer;Main;Water;");
    EXPECT_EQ(Project(4), "Gravity;Pressure;Pressure;");
    EXPECT_EQ(vb::Split(Project(1), ";").at(1), visibility.substr(0, 3));
    EXPECT_EQ(vb::InStr(Project(8), "Storm"), 0);
    for (const char* suffix : {" - Network", " - Annotation", " - Arrow"})
        EXPECT_FALSE(HasLayer(std::string("Storm") + suffix)) << suffix;
    EXPECT_EQ(EntityCount(), entities);
    // Events that were off stay off.
    EXPECT_EQ(general.CheckEventsFlag(*doc), 0);
    Sound();
}

TEST_F(NetworkDeletion, TheActiveLayerOnTheNetworksLayerStaysWithoutFailing) {
    doc->SetActiveLayer(doc->Layers()->Item(Variant("Water - Network")));
    Lock("Water - Network");
    general.DeleteNetwork(*doc, "Water");
    EXPECT_EQ(doc->ActiveLayer()->Name(), "Water - Network");
    EXPECT_TRUE(Locked("Water - Network"));
    EXPECT_FALSE(HasLayer("Water - Annotation"));
    EXPECT_EQ(Project(3), "Sewer;Main;");
    EXPECT_EQ(Crossings(""), 2);
    Sound();
}

TEST_F(NetworkDeletion, ANameIsNoPatternForItsNeighbours) {
    std::vector<TestPipe> dot = Convert("S.1", "Gravity", {{0, 100, 10, 100}});
    std::vector<TestPipe> dash = Convert("S-1", "Gravity", {{0, 120, 10, 120}});
    const std::size_t entities = EntityCount();
    general.DeleteNetwork(*doc, "S.1");
    EXPECT_TRUE(dot[0].polyline->Erased());
    EXPECT_FALSE(dash[0].polyline->Erased());
    // The pipe, its two nodes, and their labels and arrow are all that went.
    EXPECT_EQ(EntityCount(), entities - 7);
    EXPECT_EQ(general.GetNetworkSet(*doc, "S-1", 0)->Count(), 7);
    EXPECT_TRUE(HasLayer("S-1 - Network"));
    EXPECT_EQ(Project(3), "Sewer;Main;Water;S-1;");
    Sound();
}

TEST_F(NetworkDeletion, AFailureMidwayLocksTheLayersAgainAndPutsTheEventsFlagBack) {
    for (const char* layer : {"Main - Network", "Sewer - Annotation"}) Lock(layer);
    auto watch = WatchErasures(*doc);
    watch->failWhen = [](const acad::AcadEntity& e) { return host::RecordText(e, 2) == "PressurePipe"; };
    EXPECT_EQ(ErrorOf([&] { general.DeleteNetwork(*doc, "Main"); }), ErrorCode::InvalidInput);
    doc->SetEraseObserver(nullptr);
    EXPECT_TRUE(Locked("Main - Network"));
    EXPECT_TRUE(Locked("Sewer - Annotation"));
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    // The steps before the failure stay done; the network is still defined.
    EXPECT_EQ(Crossings("Main"), 0);
    EXPECT_TRUE(mainProfile.block->Erased());
    EXPECT_FALSE(main[0].polyline->Erased());
    EXPECT_EQ(Project(3), "Sewer;Main;Water;");
    // Only the network's own elements still name the annotations and markers that went
    // before it: they were to go with it.
    std::set<std::string> own;
    for (const auto& e : general.GetNetworkSet(*doc, "Main", 0)->Members()) own.insert(fluvanet::IdText(*e));
    for (const std::string& finding : NetworkFindings(*doc)) {
        EXPECT_TRUE(own.count(finding.substr(0, finding.find(' '))) == 1) << finding;
        EXPECT_THAT(finding, testing::AnyOf(testing::HasSubstr("[21]"), testing::HasSubstr("[14]"))) << finding;
    }
}

TEST_F(NetworkDeletion, AnUndefinedNameChangesNothing) {
    general.TurnEventsOff(*doc);
    Lock("Main - Arrow");
    const std::size_t entities = EntityCount();
    const int32_t layers = doc->Layers()->Count();
    const std::vector<std::string> project = fluvanet::ElementRecord::Read(doc->ModelSpace()).ValuesVariant().Array().ToStrings();
    for (const char* name : {"main", "", "Nowhere"})
        EXPECT_EQ(ErrorOf([&] { general.DeleteNetwork(*doc, name); }), ErrorCode::InvalidProcedureCall) << name;
    EXPECT_EQ(EntityCount(), entities);
    EXPECT_EQ(doc->Layers()->Count(), layers);
    EXPECT_TRUE(Locked("Main - Arrow"));
    EXPECT_EQ(fluvanet::ElementRecord::Read(doc->ModelSpace()).ValuesVariant().Array().ToStrings(), project);
    Sound();
}

}  // namespace
