// Ground levels of nodes from a terrain surface reached late-bound, with the events flag and
// the layer locks put back as they were.

#include "platform/civil.h"
#include "tests/editing/level_edits.h"
#include "tests/support/profile_builder.h"

namespace {

using namespace level_testing;

// A surface "Ground" over (0, 0) to (20, 20) on the plane z = 100 + x + 2y, reached by the
// identifier the drawing's application version gives.
class GroundLevels : public LevelEdits {
protected:
    GroundLevels() {
        auto ground = civil->ActiveDocument()->Surfaces()->Add("Ground");
        ground->AddTriangle({0, 0, 100}, {20, 0, 120}, {20, 20, 160});
        ground->AddTriangle({0, 0, 100}, {20, 20, 160}, {0, 20, 140});
        auto app = doc->Application();
        app->RegisterInterfaceObject(general.GetAeccAppString(*app), civil);
        Label(net, chain);
        for (const auto& n : chain.nodes) n.SetGround(50).SetSump(40);
    }
    void Update(const std::vector<std::string>& networks, const std::string& surface = "Ground") {
        editing->UpdateGroundLevelsFromSurface(*doc, networks, surface);
    }
    double Ground(int i) const { return Num(chain.nodes[static_cast<std::size_t>(i)], ne::kGroundLevel); }

    std::shared_ptr<civil::AeccApplication> civil = std::make_shared<civil::AeccApplication>();
    NetworkBuilder net{*doc, "Main"};
    // The last node lies outside the surface.
    TestChain chain = net.AddChain({{2, 3}, {10, 5}, {30, 5}});
};

TEST_F(GroundLevels, NodesTakeTheSurfaceAndOneOutsideKeepsItsGround) {
    AddProfileStyle(*doc, "Road");
    TestProfile profile = AddTestProfile(*doc, net, "L-1", "Road", {chain.pipes[0]});
    Update({"Main"});
    EXPECT_DOUBLE_EQ(Ground(0), 108);
    EXPECT_DOUBLE_EQ(Ground(1), 120);
    EXPECT_EQ(Ground(2), 50);
    EXPECT_EQ(chain.nodes[0].Record().Code(ne::kGroundLevel), 1040);
    // Sumps and inverts stay; the labels show the new ground; the profile is out of date.
    EXPECT_EQ(Num(chain.nodes[0], ne::kSumpLevel), 40);
    EXPECT_EQ(Shown(chain.nodes[1].block), (std::vector<std::string>{"N-2", "120.00", "40.00"}));
    // Labelled before its ground was set, and not touched since.
    EXPECT_EQ(Shown(chain.nodes[2].block)[1], "0.00");
    EXPECT_EQ(profile.Record().Get(15), Variant(int16_t{1}));
    ExpectSound();
}

TEST_F(GroundLevels, EventsAndLocksComeBackAsTheyWere) {
    auto locked = doc->Layers()->Add("Locked");
    locked->SetLock(true);
    Update({"Main"});
    EXPECT_TRUE(locked->Lock());
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);

    general.TurnEventsOff(*doc);
    chain.nodes[0].SetGround(0);
    Update({"Main"});
    EXPECT_DOUBLE_EQ(Ground(0), 108);
    EXPECT_EQ(general.CheckEventsFlag(*doc), 0);
    EXPECT_TRUE(locked->Lock());

    // A network the drawing does not know, late-bound as the host calls it.
    general.TurnEventsOn(*doc);
    Variant names{SafeArray::FromStrings({"Nowhere", "Main"})};
    vb::CallByName(editing, "UpdateGroundLevelsFromSurface", com::CallType::Method, doc, names, Variant("Ground"));
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    ExpectSound();
}

TEST_F(GroundLevels, NoSurfaceOrTerrainApplicationRaisesWithNothingChanged) {
    auto locked = doc->Layers()->Add("Locked");
    locked->SetLock(true);
    const auto before = Records();
    EXPECT_EQ(ErrorOf([&] { Update({"Main"}, "Existing"); }), ErrorCode::KeyNotFound);
    civil->ActiveDocument()->SetSurfacesFail(true);
    EXPECT_EQ(ErrorOf([&] { Update({"Main"}); }), ErrorCode::FileError);
    doc->Application()->UnregisterInterfaceObject(general.GetAeccAppString(*doc->Application()));
    EXPECT_EQ(ErrorOf([&] { Update({"Main"}); }), ErrorCode::InterfaceNotFound);
    EXPECT_EQ(Records(), before);
    EXPECT_TRUE(locked->Lock());
    // An empty first name asks for nothing, so nothing is looked for.
    Update({"", "Main"});
    Update({});
    EXPECT_EQ(Records(), before);
}

TEST_F(GroundLevels, AFailingNodeIsSkippedAndCarriesNothingOver) {
    // A node block whose record is not a node's, between two good ones: passed over.
    SetRecordEntry(chain.nodes[1].block, ne::kElementType, Variant("Annotation"));
    chain.nodes[2].block->SetInsertionPoint({15, 15, 0});
    Update({"Main"});
    EXPECT_DOUBLE_EQ(Ground(0), 108);
    EXPECT_EQ(Ground(1), 50);
    EXPECT_DOUBLE_EQ(Ground(2), 145);
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
}

}  // namespace
