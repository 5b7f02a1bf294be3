// The terrain application as the library reaches it late-bound: surfaces by index and by
// name, interpolation in a TIN, and the switch that makes reading the surfaces fail.

#include <gtest/gtest.h>

#include "platform/civil.h"
#include "tests/support/error_code.h"

namespace {

using com::CallType;
using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

// Two triangles over the unit square of side 10, on the plane z = 100 + x + 2y.
std::shared_ptr<civil::AeccApplication> MakeCivil() {
    auto app = std::make_shared<civil::AeccApplication>();
    auto surfaces = app->ActiveDocument()->Surfaces();
    surfaces->Add("Existing");
    auto ground = surfaces->Add("Ground");
    ground->AddTriangle({0, 0, 100}, {10, 0, 110}, {10, 10, 130});
    ground->AddTriangle({0, 0, 100}, {10, 10, 130}, {0, 10, 120});
    return app;
}

TEST(Civil, InterpolatesInsideOnEdgesAndRefusesOutside) {
    auto ground = MakeCivil()->ActiveDocument()->Surfaces("Ground");
    EXPECT_DOUBLE_EQ(ground->FindElevationAtXY(7, 2), 111);
    EXPECT_DOUBLE_EQ(ground->FindElevationAtXY(2.5, 6), 114.5);
    EXPECT_DOUBLE_EQ(ground->FindElevationAtXY(4, 4), 112);    // the shared diagonal
    EXPECT_DOUBLE_EQ(ground->FindElevationAtXY(10, 5), 120);   // outer edge
    EXPECT_DOUBLE_EQ(ground->FindElevationAtXY(0, 10), 120);   // vertex
    EXPECT_EQ(ErrorOf([&] { ground->FindElevationAtXY(10.001, 5); }), ErrorCode::SurfaceOutside);

    auto empty = MakeCivil()->ActiveDocument()->Surfaces("Existing");
    EXPECT_EQ(ErrorOf([&] { empty->FindElevationAtXY(0, 0); }), ErrorCode::SurfaceOutside);
    EXPECT_EQ(ErrorOf([&] { empty->AddTriangle({0, 0, 1}, {5, 5, 2}, {10, 10, 3}); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { empty->FindElevationAtXY(0, 0); }), ErrorCode::SurfaceOutside);
}

TEST(Civil, FindsSurfacesByIndexAndExactName) {
    auto surfaces = MakeCivil()->ActiveDocument()->Surfaces();
    EXPECT_EQ(surfaces->Count(), 2);
    EXPECT_EQ(surfaces->Item(int32_t{0})->Name(), "Existing");
    EXPECT_EQ(surfaces->Item(Variant(int16_t{1}))->Name(), "Ground");
    EXPECT_EQ(surfaces->Item("Ground"), surfaces->Item(1.0));
    EXPECT_EQ(ErrorOf([&] { surfaces->Item("ground"); }), ErrorCode::KeyNotFound);
    EXPECT_EQ(ErrorOf([&] { surfaces->Item(int32_t{2}); }), ErrorCode::KeyNotFound);
}

TEST(Civil, ReachedLateBoundAsVbCodeWritesIt) {
    auto app = MakeCivil();
    Variant doc = vb::CallByName(app, "ActiveDocument", CallType::Get);
    Variant all = vb::CallByName(doc.Object(), "Surfaces", CallType::Get);
    EXPECT_EQ(vb::CallByName(all.Object(), "Count", CallType::Get), Variant(int32_t{2}));

    // AeccDoc.Surfaces(SurfaceName).FindElevationAtXY(x, y)
    Variant ground = vb::CallByName(doc.Object(), "Surfaces", CallType::Get, "Ground");
    EXPECT_EQ(vb::CallByName(ground.Object(), "Name", CallType::Get), Variant("Ground"));
    EXPECT_EQ(vb::CallByName(ground.Object(), "FindElevationAtXY", CallType::Method, 7.0, "2"), Variant(111.0));
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(doc.Object(), "Surfaces", CallType::Get, "Nope"); }), ErrorCode::KeyNotFound);
}

TEST(Civil, SurfacesFailSwitchMakesEveryAccessRaise) {
    auto app = MakeCivil();
    auto doc = app->ActiveDocument();
    auto held = doc->Surfaces();
    doc->SetSurfacesFail(true);
    EXPECT_EQ(ErrorOf([&] { doc->Surfaces(); }), ErrorCode::FileError);
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(doc, "Surfaces", CallType::Get); }), ErrorCode::FileError);
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(doc, "Surfaces", CallType::Get, "Ground"); }), ErrorCode::FileError);
    doc->SetSurfacesFail(false);
    EXPECT_EQ(doc->Surfaces(), held);
    EXPECT_EQ(doc->Surfaces("Ground")->Name(), "Ground");
}

}  // namespace
