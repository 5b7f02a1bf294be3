// Block definitions, references and their attributes, entity geometry through the
// object model, and the extents that profile drawing measures.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/acad_document.h"
#include "tests/support/error_code.h"
#include "tests/support/xdata.h"

namespace {

using acad::Point3;
using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

constexpr double kHalfPi = 1.5707963267948966;

void ExpectPoint(const Point3& p, double x, double y) {
    EXPECT_NEAR(p[0], x, 1e-9);
    EXPECT_NEAR(p[1], y, 1e-9);
}

TEST(AcadBlocks, CollectionStartsWithTheSpacesAndAddReturnsExistingNames) {
    auto doc = acad::NewDrawing();
    auto blocks = doc->Blocks();
    ASSERT_EQ(blocks->Count(), 2);
    EXPECT_EQ(blocks->Item(0)->Name(), "*Model_Space");
    EXPECT_EQ(blocks->Item(1)->Name(), "*Paper_Space");
    EXPECT_EQ(blocks->Item(0), doc->ModelSpace());
    auto node = blocks->Add({0, 0, 0}, "Fluvamap_Node");
    EXPECT_EQ(blocks->Add({0, 0, 0}, "FLUVAMAP_NODE"), node);
    EXPECT_EQ(blocks->Item(2), node);
    EXPECT_EQ(blocks->Item("fluvamap_node"), node);
    EXPECT_EQ(ErrorOf([&] { blocks->Item("Fluvamap_LowPoint"); }), ErrorCode::KeyNotFound);
}

TEST(AcadBlocks, EmptyingADefinitionByItemZeroShrinksIt) {
    auto doc = acad::NewDrawing();
    auto arrow = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_DirectionArrow");
    auto outline = arrow->AddLightWeightPolyline({0, 0, 2, 1, 0, 2});
    outline->SetClosed(true);
    auto hatch = arrow->AddHatch(1, "SOLID", true);
    hatch->AppendOuterLoop({outline});
    arrow->AddAttribute(2.5, 0, "Attribute 1", {0, 1, 0}, "", "");
    ASSERT_EQ(arrow->Count(), 3);
    int guard = 0;
    while (arrow->Count() > 0 && ++guard < 10) arrow->Item(0)->Delete();
    EXPECT_EQ(arrow->Count(), 0);
    EXPECT_TRUE(hatch->Erased());
    // A hatch outlives its boundary.
    auto ms = doc->ModelSpace();
    auto ring = ms->AddCircle({5, 5, 0}, 1);
    auto fill = ms->AddHatch(1, "SOLID", true);
    fill->AppendOuterLoop({ring});
    ring->Delete();
    Point3 lo, hi;
    fill->GetBoundingBox(lo, hi);
    ExpectPoint(lo, 4, 4);
    ExpectPoint(hi, 6, 6);
    auto open = ms->AddLightWeightPolyline({0, 0, 1, 1});
    EXPECT_EQ(ErrorOf([&] { fill->AppendOuterLoop({open}); }), ErrorCode::InvalidInput);
}

TEST(AcadBlocks, DeletingADefinitionTakesItsEntitiesAndFreesTheName) {
    auto doc = acad::NewDrawing();
    auto locked = doc->Layers()->Add("Locked");
    auto node = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Node");
    auto circle = node->AddCircle({0, 0, 0}, 0.5);
    circle->SetLayer("Locked");
    locked->SetLock(true);  // a definition goes whole, whatever the layers of its entities
    int32_t circleId = circle->ObjectID();
    int32_t nodeId = node->ObjectID();
    node->Delete();
    EXPECT_TRUE(node->Erased());
    EXPECT_TRUE(circle->Erased());
    EXPECT_EQ(ErrorOf([&] { doc->ObjectIdToObject(circleId); }), ErrorCode::ObjectNotFound);
    EXPECT_EQ(ErrorOf([&] { doc->ObjectIdToObject(nodeId); }), ErrorCode::ObjectNotFound);
    EXPECT_EQ(doc->Blocks()->Count(), 2);
    EXPECT_EQ(ErrorOf([&] { doc->Blocks()->Item("Fluvamap_Node"); }), ErrorCode::KeyNotFound);
    EXPECT_EQ(ErrorOf([&] { node->Count(); }), ErrorCode::ObjectErased);
    EXPECT_EQ(ErrorOf([&] { doc->ModelSpace()->InsertBlock({0, 0, 0}, "Fluvamap_Node", 1, 1, 1, 0); }),
              ErrorCode::UndefinedBlock);
    // The name is free again: a new, empty definition.
    auto again = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Node");
    EXPECT_NE(again, node);
    EXPECT_EQ(again->Count(), 0);
    // Late-bound too.
    vb::CallByName(again, "Delete", com::CallType::Method);
    EXPECT_TRUE(again->Erased());
}

TEST(AcadBlocks, LayoutsAndReferencedDefinitionsCannotBeDeleted) {
    auto doc = acad::NewDrawing();
    EXPECT_EQ(ErrorOf([&] { doc->ModelSpace()->Delete(); }), ErrorCode::CannotDelete);
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(doc->PaperSpace(), "Delete", com::CallType::Method); }),
              ErrorCode::CannotDelete);
    auto node = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Node");
    node->AddCircle({0, 0, 0}, 0.5);
    auto ref = doc->ModelSpace()->InsertBlock({1, 1, 0}, "Fluvamap_Node", 1, 1, 1, 0);
    EXPECT_EQ(ErrorOf([&] { node->Delete(); }), ErrorCode::CannotDelete);
    EXPECT_EQ(node->Count(), 1);
    // A reference inside another definition holds it as well.
    ref->Delete();
    auto outer = doc->Blocks()->Add({0, 0, 0}, "Outer");
    auto nested = outer->InsertBlock({0, 0, 0}, "Fluvamap_Node", 1, 1, 1, 0);
    EXPECT_EQ(ErrorOf([&] { node->Delete(); }), ErrorCode::CannotDelete);
    // Deleting the outer definition erases its reference, and then the inner one goes.
    outer->Delete();
    EXPECT_TRUE(nested->Erased());
    node->Delete();
    EXPECT_TRUE(node->Erased());
    EXPECT_EQ(doc->Blocks()->Count(), 2);
    EXPECT_EQ(ErrorOf([&] { node->Delete(); }), ErrorCode::ObjectErased);
}

TEST(AcadBlocks, InsertCopiesAttributeDefinitionsInOrderAndPlacesThem) {
    auto doc = acad::NewDrawing();
    auto textLayer = doc->Layers()->Add("Crossing Point Annotation Text");
    auto def = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_CrossingAnno_S1");
    def->AddLine({0, 0, 0}, {0, 12, 0});
    doc->SetActiveLayer(textLayer);
    def->AddAttribute(2, 0, "stPipeSize", {1.25, 9, 0}, "", "");
    def->AddAttribute(2, 0, "1st Pipe Invert", {19.75, 9, 0}, "", "inv");
    def->AddAttribute(2, 2, "constant", {0, 0, 0}, "C", "fixed");  // constant: no reference
    doc->SetActiveLayer(doc->Layers()->Item("0"));

    auto ref = doc->ModelSpace()->InsertBlock({100, 200, 0}, "fluvamap_crossinganno_s1", 1, 1, 1, kHalfPi);
    EXPECT_EQ(ref->Name(), "Fluvamap_CrossingAnno_S1");
    EXPECT_EQ(ref->BlockName(), "Fluvamap_CrossingAnno_S1");
    auto attrs = ref->GetAttributes();
    ASSERT_EQ(attrs.size(), 2u);
    EXPECT_EQ(attrs[0]->TextString(), "");
    EXPECT_EQ(attrs[1]->TextString(), "inv");
    ExpectPoint(attrs[0]->InsertionPoint(), 100 - 9, 200 + 1.25);  // turned a quarter about the insertion point
    EXPECT_NEAR(attrs[0]->Rotation(), kHalfPi, 1e-12);
    EXPECT_EQ(attrs[0]->Layer(), "Crossing Point Annotation Text");
    // Late-bound, GetAttributes is an array of objects.
    Variant arr = vb::CallByName(ref, "GetAttributes", com::CallType::Method);
    EXPECT_EQ(arr.Array().UBound(), 1);
    EXPECT_EQ(ErrorOf([&] { doc->ModelSpace()->InsertBlock({0, 0, 0}, "Nope", 1, 1, 1, 0); }),
              ErrorCode::UndefinedBlock);
    EXPECT_EQ(ErrorOf([&] { def->InsertBlock({0, 0, 0}, "Fluvamap_CrossingAnno_S1", 1, 1, 1, 0); }),
              ErrorCode::InvalidInput);
    auto bare = doc->Blocks()->Add({0, 0, 0}, "Bare");
    bare->AddPoint({0, 0, 0});
    EXPECT_TRUE(doc->ModelSpace()->InsertBlock({0, 0, 0}, "Bare", 1, 1, 1, 0)->GetAttributes().empty());
}

TEST(AcadBlocks, MovingTurningHidingAndErasingAReferenceCarriesItsAttributes) {
    auto doc = acad::NewDrawing();
    auto def = doc->Blocks()->Add({0, 0, 0}, "Label");
    def->AddAttribute(1, 0, "Attribute 1", {0, 2, 0}, "Attribute 1", "");
    auto ref = doc->ModelSpace()->InsertBlock({10, 10, 0}, "Label", 1, 1, 1, 0);
    auto attr = ref->GetAttributes().at(0);
    ref->SetInsertionPoint({20, 15, 0});
    ExpectPoint(attr->InsertionPoint(), 20, 17);
    ref->SetRotation(kHalfPi);
    ExpectPoint(attr->InsertionPoint(), 18, 15);
    ref->Move({0, 0, 0}, {1, 1, 0});
    ExpectPoint(attr->InsertionPoint(), 19, 16);
    ref->Rotate({0, 0, 0}, -kHalfPi);
    EXPECT_NEAR(ref->Rotation(), 0, 1e-12);
    ExpectPoint(attr->InsertionPoint(), 16, -19);
    ref->SetVisible(false);
    EXPECT_FALSE(attr->Visible());

    auto copy = std::static_pointer_cast<acad::AcadBlockReference>(ref->Copy());
    EXPECT_NE(copy->ObjectID(), ref->ObjectID());
    auto copiedAttr = copy->GetAttributes().at(0);
    EXPECT_NE(copiedAttr, attr);
    EXPECT_NE(copiedAttr->ObjectID(), attr->ObjectID());

    int32_t attrId = attr->ObjectID();
    ref->Delete();
    EXPECT_TRUE(attr->Erased());
    EXPECT_EQ(ErrorOf([&] { doc->ObjectIdToObject(attrId); }), ErrorCode::ObjectNotFound);
    EXPECT_FALSE(copiedAttr->Erased());
}

TEST(AcadEntities, CopyCarriesExtendedDataWithANewIdentifier) {
    auto doc = acad::NewDrawing();
    auto pipe = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 10, 0, 10, 5});
    testing_support::SetTextRecord(*pipe, {"Pipe;Main;P-1"});
    auto copy = std::static_pointer_cast<acad::AcadLWPolyline>(pipe->Copy());
    copy->Move({0, 0, 0}, {0, 100, 0});
    EXPECT_NE(copy->ObjectID(), pipe->ObjectID());
    EXPECT_EQ(copy->XDataTexts("Fluvamap"), std::vector<std::string>{"Pipe;Main;P-1"});
    EXPECT_EQ(copy->Coordinates(), (std::vector<double>{0, 100, 10, 100, 10, 105}));
    EXPECT_EQ(pipe->Coordinates(), (std::vector<double>{0, 0, 10, 0, 10, 5}));
    auto mirrored = std::static_pointer_cast<acad::AcadLWPolyline>(pipe->Mirror({0, 0, 0}, {0, 1, 0}));
    EXPECT_EQ(mirrored->Coordinates(), (std::vector<double>{0, 0, -10, 0, -10, 5}));
    EXPECT_EQ(doc->ModelSpace()->Count(), 3);
}

TEST(AcadEntities, PolylineVerticesLengthsAndWidths) {
    auto doc = acad::NewDrawing();
    auto pl = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 3, 4, 3, 10});
    EXPECT_DOUBLE_EQ(pl->Length(), 11);
    EXPECT_EQ(pl->Coordinate(1), (std::array<double, 2>{3, 4}));
    pl->SetCoordinate(2, {3, 14});
    EXPECT_DOUBLE_EQ(pl->Length(), 15);
    pl->SetBulge(1, 1.0);  // a half circle of diameter 10
    EXPECT_NEAR(pl->Length(), 5 + 5 * M_PI, 1e-9);
    pl->SetWidth(0, 0, 2);
    double s = -1, e = -1;
    pl->GetWidth(0, s, e);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(e, 2);
    EXPECT_EQ(ErrorOf([&] { pl->Coordinate(3); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { pl->SetCoordinates({1, 2, 3}); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { doc->ModelSpace()->AddLightWeightPolyline({1, 2}); }), ErrorCode::InvalidInput);
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {3, 4, 12});
    EXPECT_DOUBLE_EQ(line->Length(), 13) << "a line's length is measured in space";
    EXPECT_EQ(line->ObjectName(), "AcDbLine");
    EXPECT_EQ(pl->ObjectName(), "AcDbPolyline");
}

TEST(AcadEntities, IntersectWithReportsPointsInTheCallersSegmentOrder) {
    auto doc = acad::NewDrawing();
    auto ms = doc->ModelSpace();
    auto pipe = ms->AddLightWeightPolyline({0, 0, 10, 0, 10, 10});
    auto other = ms->AddLine({0, -5, 0}, {15, 10, 0});  // crosses the first segment at x 5, the second at y 5
    Variant pts = pipe->IntersectWith(other, 0);
    std::vector<double> flat = pts.Array().ToDoubles();
    ASSERT_EQ(flat.size(), 6u);
    EXPECT_NEAR(flat[0], 5, 1e-12);
    EXPECT_NEAR(flat[1], 0, 1e-12);
    EXPECT_NEAR(flat[3], 10, 1e-12);
    EXPECT_NEAR(flat[4], 5, 1e-12);
    auto corner = ms->AddLine({9, -1, 0}, {11, 1, 0});  // meets both segments at their shared vertex
    auto far = ms->AddLine({100, 100, 0}, {101, 101, 0});
    EXPECT_EQ(pipe->IntersectWith(far, 0).Array().UBound(), -1);
    EXPECT_EQ(ErrorOf([&] { pipe->IntersectWith(far, 1); }), ErrorCode::InvalidInput);
    auto circle = ms->AddCircle({0, 0, 0}, 1);
    EXPECT_EQ(ErrorOf([&] { pipe->IntersectWith(circle, 0); }), ErrorCode::NotApplicable);
    std::vector<double> c = pipe->IntersectWith(corner, 0).Array().ToDoubles();
    EXPECT_EQ(c.size(), 3u);
}

TEST(AcadEntities, TextsArePlacedByTheirAlignmentAndMeasured) {
    auto doc = acad::NewDrawing();
    auto ms = doc->ModelSpace();
    auto text = ms->AddText("DATUM", {0, 0, 0}, 2);
    Point3 lo, hi;
    text->GetBoundingBox(lo, hi);
    ExpectPoint(lo, 0, 0);
    ExpectPoint(hi, 10, 2);
    text->SetAlignment(10);  // keeps the text in place
    ExpectPoint(text->InsertionPoint(), 0, 0);
    ExpectPoint(text->TextAlignmentPoint(), 5, 1);
    text->SetTextAlignmentPoint({50, 50, 0});
    text->GetBoundingBox(lo, hi);
    ExpectPoint(lo, 45, 49);
    ExpectPoint(hi, 55, 51);
    doc->TextStyles()->Add("Narrow")->SetWidth(0.5);
    text->SetStyleName("narrow");
    EXPECT_EQ(text->StyleName(), "Narrow");
    text->GetBoundingBox(lo, hi);
    ExpectPoint(lo, 47.5, 49);
    EXPECT_EQ(ErrorOf([&] { text->SetStyleName("Missing"); }), ErrorCode::KeyNotFound);
    EXPECT_EQ(ErrorOf([&] { text->SetAlignment(4); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { ms->AddText("x", {0, 0, 0}, 0); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { doc->Blocks()->Add({0, 0, 0}, "B")->AddAttribute(0, 0, "", {0, 0, 0}, "", ""); }),
              ErrorCode::InvalidInput);
    // New texts take the active text style.
    doc->SetActiveTextStyle(doc->TextStyles()->Item("Narrow"));
    EXPECT_EQ(ms->AddText("y", {0, 0, 0}, 1)->StyleName(), "Narrow");
}

TEST(AcadEntities, BlockReferenceExtentsCoverItsContentAsPlaced) {
    auto doc = acad::NewDrawing();
    auto def = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Profile_Main_P1");
    def->AddLine({0, 0, 0}, {100, 0, 0});
    def->AddLightWeightPolyline({0, 0, 0, 40});
    def->AddEllipse({50, 20, 0}, {10, 0, 0}, 0.5);
    auto ref = doc->ModelSpace()->InsertBlock({1000, 500, 0}, "Fluvamap_Profile_Main_P1", 1, 1, 1, 0);
    Point3 lo, hi;
    ref->GetBoundingBox(lo, hi);
    ExpectPoint(lo, 1000, 500);
    ExpectPoint(hi, 1100, 540);
    ref->SetRotation(kHalfPi);
    ref->GetBoundingBox(lo, hi);
    ExpectPoint(lo, 960, 500);
    ExpectPoint(hi, 1000, 600);
    auto empty = doc->Blocks()->Add({0, 0, 0}, "Empty");
    auto emptyRef = doc->ModelSpace()->InsertBlock({0, 0, 0}, "Empty", 1, 1, 1, 0);
    EXPECT_EQ(ErrorOf([&] { emptyRef->GetBoundingBox(lo, hi); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { def->AddEllipse({0, 0, 0}, {1, 0, 0}, 2); }), ErrorCode::InvalidInput);
}

TEST(AcadEntities, LateBoundMembersFollowTheEntityKind) {
    auto doc = acad::NewDrawing();
    auto ms = doc->ModelSpace();
    doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Node")->AddCircle({0, 0, 0}, 0.5);
    auto node = ms->InsertBlock({3, 4, 0}, "Fluvamap_Node", 1, 1, 1, 0);
    auto pipe = ms->AddLightWeightPolyline({0, 0, 3, 4});
    EXPECT_EQ(vb::CallByName(node, "InsertionPoint", com::CallType::Get).Array().ToDoubles(),
              (std::vector<double>{3, 4, 0}));
    EXPECT_EQ(vb::CallByName(pipe, "Length", com::CallType::Get), Variant(5.0));
    EXPECT_EQ(vb::CallByName(pipe, "Coordinates", com::CallType::Get).Array().ToDoubles(),
              (std::vector<double>{0, 0, 3, 4}));
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(pipe, "InsertionPoint", com::CallType::Get); }), ErrorCode::NotApplicable);
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(node, "Length", com::CallType::Get); }), ErrorCode::NotApplicable);
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(doc->Layers(), "GetXData", com::CallType::Method, "Fluvamap"); }),
              ErrorCode::NotApplicable);
    vb::CallByName(node, "InsertionPoint", com::CallType::Let, Variant(com::SafeArray::FromDoubles({7, 8, 0})));
    ExpectPoint(node->InsertionPoint(), 7, 8);
    EXPECT_EQ(ErrorOf([&] {
                  vb::CallByName(node, "InsertionPoint", com::CallType::Let, Variant(com::SafeArray::FromDoubles({7, 8})));
              }),
              ErrorCode::InvalidInput);
}

}  // namespace
