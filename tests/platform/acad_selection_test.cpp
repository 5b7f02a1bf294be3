// Selection sets as the library's selections use them: select-all with filters, the
// order of members, duplicates, erased members, deleted sets and on-screen picks.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/acad_document.h"
#include "platform/acad_symbols.h"
#include "platform/civil.h"
#include "platform/ui_log.h"
#include "platform/vb_text.h"
#include "tests/support/error_code.h"
#include "tests/support/xdata.h"

namespace {

using acad::AcadEntity;
using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using testing_support::ErrorOf;

using testing_support::Codes;
using testing_support::Values;

void Tag(const std::shared_ptr<acad::AcadObject>& o, std::vector<Variant> texts) {
    testing_support::SetTextRecord(*o, texts);
}

class AcadSelection : public ::testing::Test {
protected:
    void SetUp() override {
        doc = acad::NewDrawing();
        auto def = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Node");
        def->AddCircle({0, 0, 0}, 0.5);
        Tag(def->AddPoint({0, 0, 0}), {"Node;Main;N-9"});  // inside a definition: never selected
        auto ms = doc->ModelSpace();
        pipe1 = ms->AddLightWeightPolyline({0, 0, 10, 0});
        Tag(pipe1, {"Pipe;Main;P-1", "GravityPipe"});
        node1 = ms->InsertBlock({0, 0, 0}, "Fluvamap_Node", 1, 1, 1, 0);
        Tag(node1, {"Node;Main;N-1", "GravityNode"});
        pipe2 = ms->AddLightWeightPolyline({0, 5, 10, 5});
        Tag(pipe2, {"Pipe;Main2;P-1", "PressurePipe"});
        plain = ms->AddLine({0, 0, 0}, {1, 1, 0});
        point = ms->AddPoint({0, 0, 0});
        Tag(point, {"MaterialLibraryPoint"});
        point->SetVisible(false);
    }
    std::vector<std::shared_ptr<AcadEntity>> SelectAll(std::vector<int16_t> codes, std::vector<Variant> values) {
        auto set = doc->SelectionSets()->Add("S" + std::to_string(++count));
        set->Select(5, {}, {}, Codes(codes), Values(values));
        return set->Members();
    }
    std::shared_ptr<acad::AcadDocument> doc;
    std::shared_ptr<AcadEntity> pipe1, node1, pipe2, plain, point;
    int count = 0;
};

TEST_F(AcadSelection, SelectAllMatchesFiltersInCreationOrder) {
    using V = std::vector<std::shared_ptr<AcadEntity>>;
    EXPECT_EQ(SelectAll({1001}, {"Fluvamap"}), (V{pipe1, node1, pipe2, point}));
    EXPECT_EQ(SelectAll({1001, 1000}, {"Fluvamap", "Pipe;Main;*"}), (V{pipe1}));
    EXPECT_EQ(SelectAll({1001, 1000}, {"Fluvamap", "Pipe;Main;P-1"}), (V{pipe1}));
    EXPECT_EQ(SelectAll({1001, 0, 2}, {"Fluvamap", "INSERT", "Fluvamap_Node"}), (V{node1}));
    EXPECT_EQ(SelectAll({1001, 0, -4, 1000, 1000, -4}, {"Fluvamap", "LWPOLYLINE", "<OR", "GravityPipe", "PressurePipe", "OR>"}),
              (V{pipe1, pipe2}));
    EXPECT_EQ(SelectAll({-4, 0, 0, -4}, {"<or", "LWPOLYLINE", "LINE", "or>"}), (V{pipe1, pipe2, plain}));
    // Hidden entities and entities on locked or frozen layers are selected all the same.
    auto layer = doc->Layers()->Add("Hidden");
    plain->SetLayer("Hidden");
    layer->SetLock(true);
    layer->SetFreeze(true);
    layer->SetLayerOn(false);
    EXPECT_EQ(SelectAll({0}, {"line"}), (V{plain}));
    // No filter selects everything; erased entities are gone.
    pipe2->Delete();
    auto set = doc->SelectionSets()->Add("All");
    set->Select(5);
    EXPECT_EQ(set->Count(), 4);
    EXPECT_EQ(ErrorOf([&] { set->Select(1); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { SelectAll({1001, 1000}, {"Fluvamap"}); }), ErrorCode::InvalidInput);
}

TEST_F(AcadSelection, SetsAreNamedOnceAndStaleReferencesRaise) {
    auto sets = doc->SelectionSets();
    auto a = sets->Add("NetworkSet");
    EXPECT_EQ(ErrorOf([&] { sets->Add("networkset"); }), ErrorCode::DuplicateName);
    EXPECT_EQ(sets->Item("NETWORKSET"), a);
    EXPECT_EQ(sets->Item(0), a);
    a->AddItems({pipe1, node1, pipe1});
    a->AddItems({pipe1});
    EXPECT_EQ(a->Count(), 2) << "an object enters a set once";
    // Re-creating the set by name leaves an earlier holder with a dead set.
    a->Delete();
    auto b = sets->Add("NetworkSet");
    EXPECT_EQ(b->Count(), 0);
    EXPECT_EQ(ErrorOf([&] { a->Count(); }), ErrorCode::ObjectErased);
    EXPECT_EQ(ErrorOf([&] { a->AddItems({pipe1}); }), ErrorCode::ObjectErased);
    EXPECT_EQ(ErrorOf([&] { sets->Item("Missing"); }), ErrorCode::KeyNotFound);
    EXPECT_FALSE(pipe1->Erased()) << "deleting a set keeps its entities";

    // Sets made, found and deleted give what a walk over the names in order gives.
    sets->Clear();
    const std::vector<std::string> pieces = {"a", "A", "\xC3\xA9", "\xC3\x89", "\xC3\xBF", "\xC5\xB8", "\xC4\xB1",
                                             "I", "\xC3", "\xE2\x82", "z"};
    std::vector<std::string> walk;  // the names in creation order
    auto walked = [&](const std::string& name) {
        return std::find_if(walk.begin(), walk.end(),
                            [&](const std::string& n) { return acad::SameSymbolName(n, name); });
    };
    std::mt19937 random(26);
    for (int step = 0; step < 3000; ++step) {
        std::string name;
        for (std::size_t k = random() % 3 + 1; k > 0; --k) name += pieces[random() % pieces.size()];
        auto it = walked(name);
        if (random() % 3 == 0 && it != walk.end()) {
            sets->Item(Variant(name))->Delete();
            walk.erase(it);
        } else if (it != walk.end()) {
            EXPECT_EQ(sets->Item(Variant(name))->Name(), *it);
            EXPECT_EQ(ErrorOf([&] { sets->Add(name); }), ErrorCode::DuplicateName);
        } else {
            EXPECT_EQ(ErrorOf([&] { sets->Item(Variant(name)); }), ErrorCode::KeyNotFound);
            sets->Add(name);
            walk.push_back(name);
        }
        if (step % 97 == 0) {
            ASSERT_EQ(sets->Count(), static_cast<int32_t>(walk.size()));
            for (std::size_t i = 0; i < walk.size(); ++i) EXPECT_EQ(sets->Item(Variant(int32_t(i)))->Name(), walk[i]);
        }
    }
}

TEST_F(AcadSelection, ErasedMembersStayAndRaiseWhenTouched) {
    auto set = doc->SelectionSets()->Add("TempSet");
    set->AddItems({pipe1, pipe2});
    pipe1->Delete();
    EXPECT_EQ(set->Count(), 2);
    EXPECT_EQ(set->Item(0), pipe1);
    EXPECT_EQ(ErrorOf([&] { set->Item(0)->Layer(); }), ErrorCode::ObjectErased);
    EXPECT_EQ(ErrorOf([&] { set->AddItems({pipe1}); }), ErrorCode::ObjectErased);
    set->RemoveItems({pipe1, plain});
    EXPECT_EQ(set->Members(), std::vector<std::shared_ptr<AcadEntity>>{pipe2});
    EXPECT_EQ(ErrorOf([&] { set->Item(1); }), ErrorCode::InvalidInput);
    auto other = acad::NewDrawing();
    EXPECT_EQ(ErrorOf([&] { set->AddItems({other->ModelSpace()->AddPoint({0, 0, 0})}); }), ErrorCode::InvalidInput);
}

TEST_F(AcadSelection, EraseRemovesEveryMemberAndStopsAtALockedOne) {
    auto set = doc->SelectionSets()->Add("SetProfiles");
    set->AddItems({pipe1, node1});
    int32_t nodeId = node1->ObjectID();
    set->Erase();
    EXPECT_EQ(set->Count(), 0);
    EXPECT_TRUE(pipe1->Erased() && node1->Erased());
    EXPECT_EQ(ErrorOf([&] { doc->ObjectIdToObject(nodeId); }), ErrorCode::ObjectNotFound);
    doc->Layers()->Add("Locked")->SetLock(true);
    plain->SetLayer("Locked");
    set->AddItems({pipe2, plain});
    EXPECT_EQ(ErrorOf([&] { set->Erase(); }), ErrorCode::OnLockedLayer);
    EXPECT_FALSE(plain->Erased());
}

TEST_F(AcadSelection, OnScreenSelectionKeepsMatchingPicksInPickOrder) {
    host::Ui().Clear();
    auto utility = doc->Utility();
    utility->QueueSelection({pipe2, plain, pipe1, pipe2});
    utility->QueueCancel();
    auto set = doc->SelectionSets()->Add("SetPipesToReverse");
    utility->Prompt("Select Pipes to Reverse:");
    set->SelectOnScreen(Codes({1001, 0}), Values({"Fluvamap", "LWPOLYLINE"}));
    EXPECT_EQ(set->Members(), (std::vector<std::shared_ptr<AcadEntity>>{pipe2, pipe1}));
    EXPECT_EQ(ErrorOf([&] { set->SelectOnScreen(); }), ErrorCode::UserCancel);
    EXPECT_EQ(ErrorOf([&] { set->SelectOnScreen(); }), ErrorCode::UserCancel) << "a finished script cancels";
    ASSERT_EQ(host::Ui().Events().size(), 1u);
    EXPECT_EQ(host::Ui().Events()[0].text, "Select Pipes to Reverse:");
}

TEST(AcadUtility, ScriptedUserAnswersInOrderAndRecordsWhatItWasShown) {
    auto doc = acad::NewDrawing();
    host::Ui().Clear();
    auto pipe = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 10, 0});
    auto u = doc->Utility();
    u->QueueEmptyPick();
    u->QueuePick(pipe, {4, 0, 0});
    u->QueuePoint({5, 0, 0});
    u->QueueCancel();

    std::shared_ptr<AcadEntity> picked;
    acad::Point3 at{};
    doc->SendCommand(vb::Chr(27));
    EXPECT_EQ(ErrorOf([&] { u->GetEntity(picked, at, "Select pipe to split:"); }), ErrorCode::UserCancel);
    u->GetEntity(picked, at, "Select pipe to split:");
    EXPECT_EQ(picked, pipe);
    EXPECT_EQ(at, (acad::Point3{4, 0, 0}));
    EXPECT_EQ(ErrorOf([&] { u->GetEntity(picked, at, "again"); }), ErrorCode::InvalidInput) << "the script held a point";
    EXPECT_EQ(u->GetPoint({}, "Pick split point:"), (acad::Point3{5, 0, 0}));
    EXPECT_EQ(ErrorOf([&] { u->GetPoint({}, "Pick split point:"); }), ErrorCode::UserCancel);
    EXPECT_EQ(ErrorOf([&] { u->GetPoint(); }), ErrorCode::UserCancel);

    const auto& events = host::Ui().Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].kind, host::UiEvent::Kind::Command);
    EXPECT_EQ(events[0].text, "\x1b");
    EXPECT_EQ(events[1].text, "Select pipe to split:");
    EXPECT_EQ(events[2].text, "Select pipe to split:");

    // Late-bound GetEntity fills both output variables.
    u->QueuePick(pipe, {1, 0, 0});
    Variant object, point;
    vb::CallByName(u, "GetEntity", com::CallType::Method, object, point, "Select pipe to split:");
    EXPECT_EQ(object.Object(), pipe);
    EXPECT_EQ(point.Array().ToDoubles(), (std::vector<double>{1, 0, 0}));
}

TEST(AcadDocument, SystemVariablesAndApplicationInterfaces) {
    auto doc = acad::NewDrawing();
    EXPECT_EQ(doc->GetVariable("UCSXDIR").Array().ToDoubles(), (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(doc->GetVariable("ucsydir").Array().ToDoubles(), (std::vector<double>{0, 1, 0}));
    doc->SetVariable("UCSXDIR", Variant(SafeArray::FromDoubles({-1, 0, 0})));
    EXPECT_EQ(doc->GetVariable("UCSXDIR").Array().ToDoubles(), (std::vector<double>{-1, 0, 0}));
    EXPECT_EQ(ErrorOf([&] { doc->GetVariable("CLAYER"); }), ErrorCode::InvalidInput);

    auto app = doc->Application();
    EXPECT_EQ(app->Version(), "17.1s (LMS Tech)");
    app->SetVersion("16.2");
    EXPECT_EQ(vb::CallByName(doc, "Application", com::CallType::Get).ObjectAs<acad::AcadApplication>()->Version(), "16.2");
    EXPECT_EQ(ErrorOf([&] { app->GetInterfaceObject(""); }), ErrorCode::InterfaceNotFound);
    EXPECT_EQ(ErrorOf([&] { app->GetInterfaceObject("AeccXUiLand.AeccApplication.3.0"); }), ErrorCode::InterfaceNotFound);
    // The terrain application is reached only once registered, and then late-bound.
    auto civilApp = std::make_shared<civil::AeccApplication>();
    civilApp->ActiveDocument()->Surfaces()->Add("Ground")->AddTriangle({0, 0, 10}, {10, 0, 10}, {0, 10, 20});
    app->RegisterInterfaceObject("AeccXUiLand.AeccApplication.3.0", civilApp);
    com::ObjectPtr aecc = app->GetInterfaceObject("AeccXUiLand.AeccApplication.3.0");
    Variant aeccDoc = vb::CallByName(aecc, "ActiveDocument", com::CallType::Get);
    Variant ground = vb::CallByName(aeccDoc.Object(), "Surfaces", com::CallType::Get, "Ground");
    EXPECT_EQ(vb::CallByName(ground.Object(), "FindElevationAtXY", com::CallType::Method, 0.0, 5.0), Variant(15.0));
    app->UnregisterInterfaceObject("AeccXUiLand.AeccApplication.3.0");
    EXPECT_EQ(ErrorOf([&] { app->GetInterfaceObject("AeccXUiLand.AeccApplication.3.0"); }), ErrorCode::InterfaceNotFound);
    EXPECT_EQ(app->ActiveDocument(), doc);
}

}  // namespace
