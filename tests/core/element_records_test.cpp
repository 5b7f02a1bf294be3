// Reading fields of element records, editing reference strings and converting between
// identifier lists and selection sets.

#include <gtest/gtest.h>

#include "core/element_records.h"
#include "core/general.h"
#include "editing/pipe_node_records.h"
#include "tests/support/error_code.h"
#include "tests/support/xdata.h"

namespace {

using com::ErrorCode;
using com::Variant;
using fluvanet::ElementRecord;
using testing_support::ErrorOf;
using testing_support::SetTextRecord;

std::shared_ptr<acad::AcadLWPolyline> AddPipe(acad::AcadDocument& doc, const std::string& network,
                                              const std::string& networkType, const std::string& label) {
    auto pipe = doc.ModelSpace()->AddLightWeightPolyline({0, 0, 10, 0});
    fluvanet::NewPipeRecord(pipe, network, networkType, label, "Metric", {"N-1", "", "N-2", ""}).Write();
    return pipe;
}

std::shared_ptr<acad::AcadBlockReference> AddNode(acad::AcadDocument& doc, const std::string& label,
                                                  double groundLevel) {
    doc.Blocks()->Add({0, 0, 0}, std::string(fluvanet::kNodeBlockName));
    auto node = doc.ModelSpace()->InsertBlock({5, 5, 0}, std::string(fluvanet::kNodeBlockName), 1, 1, 1, 0);
    ElementRecord record = fluvanet::NewNodeRecord(node, "Net", "Gravity", label);
    record.Set(fluvanet::node_entry::kGroundLevel, groundLevel);
    record.Write();
    return node;
}

// A pipe record's values with the section entries replaced.
Variant SectionValues(const std::string& shape, Variant span, Variant rise, Variant cells) {
    std::vector<Variant> v = fluvanet::NewPipeValues("Net", "Gravity", "P-1", "Metric", {});
    v[fluvanet::pipe_entry::kSectionShape] = Variant(shape);
    v[fluvanet::pipe_entry::kSpan] = std::move(span);
    v[fluvanet::pipe_entry::kRise] = std::move(rise);
    v[fluvanet::pipe_entry::kCells] = std::move(cells);
    return Variant(com::SafeArray::FromVariants(v));
}

TEST(ElementRecords, TypeAndNetworkOfRecordsAndOfObjectsWithout) {
    auto doc = acad::NewDrawing();
    fluvanet::General general;
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    EXPECT_EQ(general.GetElementType(*line), "Nothing");
    EXPECT_EQ(general.GetElementNetwork(*line), "Nothing");

    auto gravity = AddPipe(*doc, "Net", "Gravity", "P-1");
    auto pressure = AddPipe(*doc, "Main", "Pressure", "P-1");
    EXPECT_EQ(general.GetElementType(*gravity), "GravityPipe");
    EXPECT_EQ(general.GetElementType(*pressure), "PressurePipe");
    EXPECT_EQ(general.GetElementNetwork(*pressure), "Main");

    auto crossing = doc->ModelSpace()->AddPoint({0, 0, 0});
    SetTextRecord(*crossing, {"CPA;;P-1", "CrossingPointAnnotation"});
    EXPECT_EQ(general.GetElementNetwork(*crossing), "");
    auto labelBlock = doc->ModelSpace()->AddPoint({0, 0, 0});
    SetTextRecord(*labelBlock, {";Net;P-1Annotation", "Annotation"});
    EXPECT_EQ(general.GetElementNetwork(*labelBlock), "Net");

    // Short records give the default, not an error.
    auto short1 = doc->ModelSpace()->AddPoint({0, 0, 0});
    SetTextRecord(*short1, {"Pipe"});
    EXPECT_EQ(general.GetElementType(*short1), "Nothing");
    EXPECT_EQ(general.GetElementNetwork(*short1), "Nothing");

    // A failing read is not a missing record.
    gravity->Delete();
    EXPECT_EQ(ErrorOf([&] { general.GetElementType(*gravity); }), ErrorCode::ObjectErased);
    EXPECT_EQ(ErrorOf([&] { general.GetElementNetwork(*gravity); }), ErrorCode::ObjectErased);

    auto g = std::make_shared<fluvanet::General>();
    EXPECT_EQ(vb::CallByName(g, "GetElementType", com::CallType::Method, Variant(pressure)), Variant("PressurePipe"));
    EXPECT_EQ(vb::CallByName(g, "GetElementNetwork", com::CallType::Method, Variant(line)), Variant("Nothing"));
}

TEST(ElementRecords, GroundLevelAtNodeRaisesForBadIdentifiers) {
    auto doc = acad::NewDrawing();
    fluvanet::General general;
    auto node = AddNode(*doc, "N-1", 123.456);
    std::string id = fluvanet::IdText(*node);
    EXPECT_DOUBLE_EQ(general.GetGroundLevelAtNode(*doc, id), 123.456);
    auto g = std::make_shared<fluvanet::General>();
    EXPECT_EQ(vb::CallByName(g, "GetGroundLevelAtNode", com::CallType::Method, doc, Variant(id)), Variant(123.456));

    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    EXPECT_EQ(ErrorOf([&] { general.GetGroundLevelAtNode(*doc, fluvanet::IdText(*line)); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { general.GetGroundLevelAtNode(*doc, "abc"); }), ErrorCode::TypeMismatch);
    node->Delete();
    EXPECT_EQ(ErrorOf([&] { general.GetGroundLevelAtNode(*doc, id); }), ErrorCode::ObjectNotFound);
}

TEST(ElementRecords, SectionSizeTextByShapeAndCells) {
    fluvanet::General general;
    const std::string circular = "SectionShape_Circular";
    EXPECT_EQ(general.BuildSectionSizeString(SectionValues(circular, 200.0, 200.0, int16_t{1})), "%%c200");
    EXPECT_EQ(general.BuildSectionSizeString(SectionValues(circular, 250.5, 250.5, int16_t{3})), "3 %%c250.5");
    EXPECT_EQ(general.BuildSectionSizeString(SectionValues(circular, 200.0, 200.0, int16_t{0})), "0 %%c200");
    EXPECT_EQ(general.BuildSectionSizeString(SectionValues("SectionShape_Box", 1000.0, 600.0, int16_t{2})),
              "2 (1000X600)");
    EXPECT_EQ(general.BuildSectionSizeString(SectionValues("SectionShape_Box", 1000.0, 600.0, int16_t{1})),
              "1000X600");
    // Only the exact circular word is circular; numbers stored as text read by their lead.
    EXPECT_EQ(general.BuildSectionSizeString(SectionValues("SectionShape_circular", "300mm", "300", 1.0)), "300X300");
    // Cells to the nearest whole number, halves to even: 1.5 is 2, 2.5 is 2, 0.5 is 0.
    EXPECT_EQ(general.BuildSectionSizeString(SectionValues(circular, 200.0, 200.0, 1.5)), "2 %%c200");
    EXPECT_EQ(general.BuildSectionSizeString(SectionValues(circular, 200.0, 200.0, 2.5)), "2 %%c200");
    EXPECT_EQ(general.BuildSectionSizeString(SectionValues(circular, 200.0, 200.0, 0.5)), "0 %%c200");

    // From a pipe's record as read.
    auto doc = acad::NewDrawing();
    auto pipe = AddPipe(*doc, "Net", "Gravity", "P-1");
    EXPECT_EQ(general.BuildSectionSizeString(ElementRecord::Read(pipe).ValuesVariant()), "%%c200");
    EXPECT_EQ(fluvanet::SectionSizeString(ElementRecord::Read(pipe)), "%%c200");

    std::vector<Variant> shortRecord{"Fluvamap", "Pipe;Net;P-1", "GravityPipe", circular, 200.0, 200.0};
    EXPECT_EQ(ErrorOf([&] { general.BuildSectionSizeString(Variant(com::SafeArray::FromVariants(shortRecord))); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { general.BuildSectionSizeString(Variant()); }), ErrorCode::TypeMismatch);
}

TEST(ElementRecords, ARecordChangesOnlyItselfUntilWritten) {
    using fluvanet::pipe_entry::kMaterial;
    using fluvanet::pipe_entry::kSpan;
    auto doc = acad::NewDrawing();
    auto pipe = AddPipe(*doc, "Net", "Gravity", "P-1");
    ElementRecord first = ElementRecord::Read(pipe), second = ElementRecord::Read(pipe);
    ElementRecord copy = first;
    first.Set(kMaterial, Variant("Steel"));
    EXPECT_EQ(ElementRecord::Read(pipe).Text(kMaterial), "PVC");
    EXPECT_EQ(second.Text(kMaterial), "PVC");
    EXPECT_EQ(copy.Text(kMaterial), "PVC");

    first.Write();
    EXPECT_EQ(ElementRecord::Read(pipe).Text(kMaterial), "Steel");
    EXPECT_EQ(second.Text(kMaterial), "PVC") << "a record read before keeps what it read";
    first.Set(kMaterial, Variant("Clay"));
    EXPECT_EQ(ElementRecord::Read(pipe).Text(kMaterial), "Steel");

    // The drawing stores each value as its code's type; the record keeps what it was given.
    first.Set(kSpan, Variant("300"));
    first.Write();
    EXPECT_EQ(ElementRecord::Read(pipe).Get(kSpan), Variant(300.0));
    EXPECT_EQ(ElementRecord::Read(pipe).Text(kMaterial), "Clay");
    EXPECT_EQ(first.Get(kSpan), Variant("300"));
}

TEST(ElementRecords, NodeTypeFromPipeTypeIsExact) {
    fluvanet::General general;
    EXPECT_EQ(general.GetNodeTypeFromPipeType("GravityPipe"), "GravityNode");
    EXPECT_EQ(general.GetNodeTypeFromPipeType("PressurePipe"), "PressureNode");
    EXPECT_EQ(general.GetNodeTypeFromPipeType("gravitypipe"), "PressureNode");
    EXPECT_EQ(general.GetNodeTypeFromPipeType(""), "PressureNode");
}

TEST(ElementRecords, DeleteReferenceMatchesWholeItemsOnly) {
    fluvanet::General general;
    const Variant list(";RelatedToP-1;RelatedToP-11;RelatedToP-1");
    EXPECT_EQ(general.DeleteReferenceInReferenceString(list, "P-1", 0), ";RelatedToP-11");
    EXPECT_EQ(general.DeleteReferenceInReferenceString(list, "RelatedToP-1", 0), ";RelatedToP-11");
    EXPECT_EQ(general.DeleteReferenceInReferenceString(list, "P-11", 0), ";RelatedToP-1;RelatedToP-1");
    EXPECT_EQ(general.DeleteReferenceInReferenceString(list, "p-1", 0), list.Str());
    EXPECT_EQ(general.DeleteReferenceInReferenceString(Variant(";RelatedTo12"), "12", 0), "");
    // Text before the first ";" is not an item.
    EXPECT_EQ(general.DeleteReferenceInReferenceString(Variant("P-1;RelatedToP-2"), "P-1", 0), ";RelatedToP-2");

    EXPECT_EQ(general.DeleteReferenceInReferenceString(Variant("412;12;"), "12", 1), "412;");
    EXPECT_EQ(general.DeleteReferenceInReferenceString(Variant("12;412;12;"), "12", 1), "412;");
    EXPECT_EQ(general.DeleteReferenceInReferenceString(Variant("412;12;"), "RelatedTo12", 1), "412;12;");
    // A last item without its ";" is not an item of a trailing list.
    EXPECT_EQ(general.DeleteReferenceInReferenceString(Variant("412;12"), "412", 1), "");
    EXPECT_EQ(general.DeleteReferenceInReferenceString(Variant("412;12;"), "12", 2), "");
    EXPECT_EQ(general.DeleteReferenceInReferenceString(Variant(), "12", 0), "");

    std::string huge;
    for (int i = 0; i < 32768; ++i) huge += ";RelatedToP";
    EXPECT_EQ(ErrorOf([&] { general.DeleteReferenceInReferenceString(Variant(huge), "Q", 0); }), ErrorCode::Overflow);

    // Late-bound, the caller's list is not written back.
    auto g = std::make_shared<fluvanet::General>();
    Variant reference(";RelatedToA;RelatedToB");
    EXPECT_EQ(vb::CallByName(g, "DeleteReferenceInReferenceString", com::CallType::Method, reference, Variant("A"),
                             Variant(int16_t{0})),
              Variant(";RelatedToB"));
    EXPECT_EQ(reference, Variant(";RelatedToA;RelatedToB"));
}

TEST(ElementRecords, ReplaceReferenceReplacesEveryWholeItem) {
    fluvanet::General general;
    const Variant list(";RelatedToA;RelatedToB;RelatedToA");
    EXPECT_EQ(general.ReplaceReferenceInReferenceString(list, "RelatedToA", "RelatedToC"),
              ";RelatedToC;RelatedToB;RelatedToC");
    EXPECT_EQ(general.ReplaceReferenceInReferenceString(list, "A", "C"), list.Str());
    EXPECT_EQ(general.ReplaceReferenceInReferenceString(Variant("x;RelatedToA"), "RelatedToZ", "RelatedToC"),
              ";RelatedToA");
    EXPECT_EQ(general.ReplaceReferenceInReferenceString(Variant(""), "RelatedToA", "RelatedToC"), "");
}

TEST(ElementRecords, SelectionSetsToArraysInSetOrder) {
    auto doc = acad::NewDrawing();
    fluvanet::General general;
    auto set = doc->SelectionSets()->Add("Mine");
    EXPECT_TRUE(general.SelectionSetToArray(*set).empty());
    EXPECT_EQ(general.ConvertSelectionSetToOIDArray(*set), std::vector<std::string>{""});

    auto a = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    auto b = doc->ModelSpace()->AddPoint({0, 0, 0});
    set->AddItems({b, a});
    auto items = general.SelectionSetToArray(*set);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0], b);
    EXPECT_EQ(items[1], a);
    EXPECT_EQ(general.ConvertSelectionSetToOIDArray(*set),
              (std::vector<std::string>{fluvanet::IdText(*b), fluvanet::IdText(*a)}));

    // Late-bound, an empty set gives an array without elements.
    auto g = std::make_shared<fluvanet::General>();
    auto empty = doc->SelectionSets()->Add("Empty");
    Variant none = vb::CallByName(g, "SelectionSetToArray", com::CallType::Method, Variant(empty));
    ASSERT_TRUE(none.IsArray());
    EXPECT_EQ(none.Array().UBound(), -1);
}

TEST(ElementRecords, ExcludeIdComparesNumbers) {
    fluvanet::General general;
    EXPECT_EQ(general.ExcludeID(Variant("2"), "1;2;3;"), "1;3;");
    EXPECT_EQ(general.ExcludeID(Variant("7"), "007;8;7;"), "8;");
    EXPECT_EQ(general.ExcludeID(Variant(int32_t{-34}), "-34;12;"), "12;");
    EXPECT_EQ(general.ExcludeID(Variant("5"), "1;2;3;"), "1;2;3;");
    EXPECT_EQ(general.ExcludeID(Variant("1"), "1;2;3"), "2;");  // 3 lacked its ";"
    EXPECT_EQ(general.ExcludeID(Variant("1"), ""), "");
}

TEST(ElementRecords, IdentifierListToTempSetSkipsBadItems) {
    auto doc = acad::NewDrawing();
    fluvanet::General general;
    auto a = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 1, 0});
    auto b = doc->ModelSpace()->AddPoint({0, 0, 0});
    auto gone = doc->ModelSpace()->AddPoint({0, 0, 0});
    std::string goneId = fluvanet::IdText(*gone);
    gone->Delete();

    auto empty = general.ConvertOIDStringToSelectionSet(*doc, "");
    EXPECT_EQ(empty->Name(), "TempSet");
    EXPECT_EQ(empty->Count(), 0);
    EXPECT_EQ(general.ConvertOIDStringToSelectionSet(*doc, "abc;")->Count(), 0);

    // A stale identifier, a text, a layer and the empty piece are passed over; the last
    // identifier counts without its final ";".
    std::string layerId = fluvanet::IdText(*doc->Layers()->Item(Variant("0")));
    std::string list = fluvanet::IdText(*b) + ";" + goneId + ";x1;" + layerId + ";;" + fluvanet::IdText(*a);
    auto set = general.ConvertOIDStringToSelectionSet(*doc, list);
    ASSERT_EQ(set->Count(), 2);
    EXPECT_EQ(set->Item(0), b);
    EXPECT_EQ(set->Item(1), a);
    // The set of that name is made anew: the earlier one is gone.
    EXPECT_EQ(doc->SelectionSets()->Count(), 1);
    EXPECT_EQ(ErrorOf([&] { empty->Count(); }), ErrorCode::ObjectErased);

    auto g = std::make_shared<fluvanet::General>();
    Variant viaTable = vb::CallByName(g, "ConvertOIDStringToSelectionSet", com::CallType::Method, doc,
                                      Variant(fluvanet::IdText(*a) + ";"));
    EXPECT_EQ(viaTable.ObjectAs<acad::AcadSelectionSet>()->Count(), 1);
}

}  // namespace
