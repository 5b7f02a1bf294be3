// Layers, colours and what their states forbid.

#include <gtest/gtest.h>

#include "platform/acad_document.h"
#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using testing_support::ErrorOf;

TEST(AcadLayers, TableOrderLookupAndAddFollowSymbolRules) {
    auto doc = acad::NewDrawing();
    auto layers = doc->Layers();
    ASSERT_EQ(layers->Count(), 1);
    EXPECT_EQ(layers->Item(0)->Name(), "0");
    auto a = layers->Add("Main - Network");
    auto b = layers->Add("Crossing Point Annotation Lines");
    EXPECT_EQ(layers->Add("MAIN - NETWORK"), a) << "an existing name, in any case, is returned";
    EXPECT_EQ(layers->Item(1), a);
    EXPECT_EQ(layers->Item(2), b);
    EXPECT_EQ(layers->Item("main - network"), a);
    EXPECT_EQ(ErrorOf([&] { layers->Item("Storm - Network"); }), ErrorCode::KeyNotFound);
    EXPECT_EQ(ErrorOf([&] { layers->Item(3); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { layers->Add(""); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { layers->Add("a*b"); }), ErrorCode::InvalidInput);
    EXPECT_EQ(layers->Add("Main - Low&High Points")->Name(), "Main - Low&High Points");
    auto c = layers->Add("Kanäle - Network");
    EXPECT_EQ(layers->Item("KANÄLE - NETWORK"), c) << "letters beyond ASCII in any case too";
    EXPECT_EQ(ErrorOf([&] { layers->Item("Kanäle - Networ"); }), ErrorCode::KeyNotFound);
    EXPECT_EQ(ErrorOf([&] { layers->Item("Main - Networ"); }), ErrorCode::KeyNotFound);
}

TEST(AcadLayers, ActiveLayerCannotBeFrozenAndFrozenLayerCannotBeActive) {
    auto doc = acad::NewDrawing();
    auto text = doc->Layers()->Add("Crossing Point Annotation Text");
    EXPECT_EQ(ErrorOf([&] { doc->Layers()->Item("0")->SetFreeze(true); }), ErrorCode::CannotFreezeCurrentLayer);
    text->SetFreeze(true);
    EXPECT_EQ(ErrorOf([&] { doc->SetActiveLayer(text); }), ErrorCode::LayerFrozen);
    text->SetFreeze(false);
    text->SetLock(true);
    doc->SetActiveLayer(text);  // a locked layer may be active and takes new entities
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
    EXPECT_EQ(line->Layer(), "Crossing Point Annotation Text");
    EXPECT_EQ(ErrorOf([&] { line->Move({0, 0, 0}, {1, 1, 0}); }), ErrorCode::OnLockedLayer);
    EXPECT_EQ(ErrorOf([&] { line->Delete(); }), ErrorCode::OnLockedLayer);
    EXPECT_EQ(ErrorOf([&] { line->SetLayer("0"); }), ErrorCode::OnLockedLayer);
    text->SetLock(false);
    line->SetLayer("0");
    EXPECT_EQ(ErrorOf([&] { line->SetLayer("Missing"); }), ErrorCode::MissingLayer);
}

TEST(AcadLayers, DeletionIsRefusedForProtectedActiveAndUsedLayers) {
    auto doc = acad::NewDrawing();
    auto layers = doc->Layers();
    auto used = layers->Add("Used");
    auto inBlock = layers->Add("InBlock");
    auto free = layers->Add("Free");
    doc->ModelSpace()->AddPoint({0, 0, 0})->SetLayer("Used");
    auto def = doc->Blocks()->Add({0, 0, 0}, "Sym");
    def->AddCircle({0, 0, 0}, 1)->SetLayer("InBlock");

    EXPECT_EQ(ErrorOf([&] { layers->Item("0")->Delete(); }), ErrorCode::CannotDelete);
    EXPECT_EQ(ErrorOf([&] { used->Delete(); }), ErrorCode::CannotDelete);
    EXPECT_EQ(ErrorOf([&] { inBlock->Delete(); }), ErrorCode::CannotDelete);
    doc->SetActiveLayer(free);
    EXPECT_EQ(ErrorOf([&] { free->Delete(); }), ErrorCode::CannotDelete);
    doc->SetActiveLayer(layers->Item("0"));
    int32_t id = free->ObjectID();
    free->Delete();
    EXPECT_EQ(ErrorOf([&] { layers->Item("Free"); }), ErrorCode::KeyNotFound);
    EXPECT_EQ(ErrorOf([&] { doc->ObjectIdToObject(id); }), ErrorCode::ObjectNotFound);
    EXPECT_EQ(ErrorOf([&] { doc->SetActiveLayer(free); }), ErrorCode::ObjectErased);

    // Erased entities no longer hold their layer.
    doc->ModelSpace()->Item(0)->Delete();
    used->Delete();
}

TEST(AcadLayers, ColoursAreIndexObjects) {
    auto doc = acad::NewDrawing();
    auto layer = doc->Layers()->Add("Storm - Network");
    auto color = com::FromVariant<std::shared_ptr<acad::AcadAcCmColor>>(
        doc->Application()->GetInterfaceObject("AutoCAD.AcCmColor.17"));
    ASSERT_TRUE(color);
    color->SetColorIndex(6);
    layer->SetTrueColor(color);
    EXPECT_EQ(layer->TrueColor()->ColorIndex(), 6);
    color->SetColorIndex(256);
    EXPECT_EQ(ErrorOf([&] { layer->SetTrueColor(color); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { color->SetColorIndex(257); }), ErrorCode::InvalidInput);
    auto circle = doc->ModelSpace()->AddCircle({0, 0, 0}, 2);
    EXPECT_EQ(circle->TrueColor()->ColorIndex(), 256) << "new entities are ByLayer";
    color->SetColorIndex(1);
    circle->SetTrueColor(color);
    EXPECT_EQ(circle->TrueColor()->ColorIndex(), 1);
    // Late-bound, as callers that only hold an object do.
    vb::CallByName(color, "ColorIndex", com::CallType::Let, 3);
    EXPECT_EQ(vb::CallByName(color, "ColorIndex", com::CallType::Get), com::Variant(int32_t{3}));
}

}  // namespace
