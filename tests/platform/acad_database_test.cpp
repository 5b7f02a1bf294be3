// Identifiers, lookups, erasure and extended data of the drawing stand-in.

#include <gtest/gtest.h>

#include <set>

#include "platform/acad_document.h"
#include "tests/support/error_code.h"
#include "tests/support/xdata.h"

namespace {

using acad::Point3;
using com::ErrorCode;
using com::SafeArray;
using com::VarType;
using com::Variant;
using testing_support::ErrorOf;

using testing_support::Codes;
using testing_support::Values;

TEST(AcadDatabase, IdentifiersAreAwkwardUniqueAndNeverReused) {
    auto doc = acad::NewDrawing();
    auto ms = doc->ModelSpace();
    std::set<int32_t> ids;
    bool negative = false, above16 = false, tenDigits = false, shortOne = false;
    for (int i = 0; i < 200; ++i) {
        auto line = ms->AddLine({0, 0, 0}, {1, 1, 0});
        int32_t id = line->ObjectID();
        EXPECT_NE(id, 0);
        EXPECT_TRUE(ids.insert(id).second) << id;
        negative |= id < 0;
        above16 |= id > 32767;
        std::size_t digits = std::to_string(id < 0 ? -(int64_t)id : id).size();
        tenDigits |= digits == 10;
        shortOne |= digits <= 6;
        if (i % 3 == 0) line->Delete();
    }
    EXPECT_TRUE(negative && above16 && tenDigits && shortOne);
    // Two drawings opened the same way number their objects the same way.
    EXPECT_EQ(acad::NewDrawing()->ModelSpace()->ObjectID(), acad::NewDrawing()->ModelSpace()->ObjectID());
}

TEST(AcadDatabase, LookupFailsForUnknownZeroAndErasedIdentifiers) {
    auto doc = acad::NewDrawing();
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {3, 4, 0});
    int32_t id = line->ObjectID();
    EXPECT_EQ(doc->ObjectIdToObject(id), line);
    EXPECT_EQ(doc->Database()->ObjectIdToObject(id), line);
    EXPECT_EQ(ErrorOf([&] { doc->ObjectIdToObject(0); }), ErrorCode::ObjectNotFound);
    EXPECT_EQ(ErrorOf([&] { doc->ObjectIdToObject(id + 1); }), ErrorCode::ObjectNotFound);

    line->Delete();
    EXPECT_EQ(ErrorOf([&] { doc->ObjectIdToObject(id); }), ErrorCode::ObjectNotFound);
    // A held reference stays valid: its identifier reads, everything else raises.
    EXPECT_TRUE(line->Erased());
    EXPECT_EQ(line->ObjectID(), id);
    EXPECT_EQ(ErrorOf([&] { line->Length(); }), ErrorCode::ObjectErased);
    EXPECT_EQ(ErrorOf([&] { line->Delete(); }), ErrorCode::ObjectErased);
    Variant t, v;
    EXPECT_EQ(ErrorOf([&] { line->GetXData("Fluvamap", t, v); }), ErrorCode::ObjectErased);

    // Late-bound lookups convert the identifier first, as callers do with CLng.
    auto other = doc->ModelSpace()->AddPoint({1, 2, 0});
    EXPECT_EQ(vb::CallByName(doc, "ObjectIdToObject", com::CallType::Method, std::to_string(other->ObjectID())).Object(),
              other);
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(doc, "ObjectIdToObject", com::CallType::Method, "12x"); }),
              ErrorCode::TypeMismatch);
}

TEST(AcadDatabase, ReopeningRenumbersLiveObjectsAndKeepsTheirData) {
    auto doc = acad::NewDrawing();
    auto ms = doc->ModelSpace();
    auto keep = ms->AddPoint({1, 1, 0});
    auto gone = ms->AddPoint({2, 2, 0});
    keep->SetXData(Codes({1001, 1000}), Values({"Fluvamap", ";RelatedTo" + std::to_string(gone->ObjectID())}));
    int32_t oldKeep = keep->ObjectID(), oldGone = gone->ObjectID();
    gone->Delete();
    auto set = doc->SelectionSets()->Add("Held");

    doc->ReopenWithNewIds();
    EXPECT_NE(keep->ObjectID(), oldKeep);
    EXPECT_EQ(doc->ObjectIdToObject(keep->ObjectID()), keep);
    EXPECT_EQ(ErrorOf([&] { doc->ObjectIdToObject(oldKeep); }), ErrorCode::ObjectNotFound);
    EXPECT_EQ(ErrorOf([&] { doc->ObjectIdToObject(oldGone); }), ErrorCode::ObjectNotFound);
    EXPECT_EQ(keep->XDataTexts("Fluvamap").at(0), ";RelatedTo" + std::to_string(oldGone));
    EXPECT_EQ(doc->SelectionSets()->Count(), 0);
    EXPECT_EQ(ErrorOf([&] { set->Count(); }), ErrorCode::ObjectErased);
}

TEST(AcadXData, KeepsCodesAndStoresEachValueAsItsCodesType) {
    auto doc = acad::NewDrawing();
    auto ms = doc->ModelSpace();
    Variant types, values;
    ms->GetXData("Fluvamap", types, values);
    EXPECT_TRUE(types.IsEmpty());
    EXPECT_TRUE(values.IsEmpty());

    ms->SetXData(Codes({1001, 1000, 1070, 1040, 1000, 1071}),
                 Values({"Fluvamap", 12.5, "7", "1.25", Variant(), "-34"}));
    ms->GetXData("FLUVAMAP", types, values);  // application names ignore case
    ASSERT_TRUE(types.IsArray());
    EXPECT_EQ(types.Array().ElementType(), VarType::Integer);
    EXPECT_EQ(types.Array().ToInt16s(), (std::vector<int16_t>{1001, 1000, 1070, 1040, 1000, 1071}));
    const SafeArray& v = values.Array();
    EXPECT_EQ(v.UBound(), 5);
    EXPECT_EQ(v.Get(0), Variant("Fluvamap"));
    EXPECT_EQ(v.Get(1), Variant("12.5"));
    EXPECT_EQ(v.Get(2), Variant(int16_t{7}));
    EXPECT_EQ(v.Get(3), Variant(1.25));
    EXPECT_EQ(v.Get(4), Variant(""));
    EXPECT_EQ(v.Get(5), Variant(int32_t{-34}));
    EXPECT_EQ(ms->XDataTexts("Fluvamap"), (std::vector<std::string>{"12.5", ""}));

    // Late-bound reading fills the caller's variables by reference.
    Variant lt, lv;
    vb::CallByName(ms, "GetXData", com::CallType::Method, "Fluvamap", lt, lv);
    EXPECT_EQ(lv, values);
}

TEST(AcadXData, RejectsBadRecordsAndConvertsStrictly) {
    auto doc = acad::NewDrawing();
    auto p = doc->ModelSpace()->AddPoint({0, 0, 0});
    EXPECT_EQ(ErrorOf([&] { p->SetXData(Codes({1001, 1070}), Values({"Fluvamap", 40000})); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([&] { p->SetXData(Codes({1001, 1040}), Values({"Fluvamap", "abc"})); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { p->SetXData(Codes({1000, 1000}), Values({"a", "b"})); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { p->SetXData(Codes({1001, 1000}), Values({"Fluvamap"})); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { p->SetXData(Codes({1001, 62}), Values({"Fluvamap", 1})); }), ErrorCode::InvalidInput);
    EXPECT_EQ(ErrorOf([&] { p->SetXData(Variant(), Variant()); }), ErrorCode::InvalidInput);
    Variant t, v;
    p->GetXData("Fluvamap", t, v);
    EXPECT_TRUE(v.IsEmpty()) << "a failed write leaves nothing behind";
}

TEST(AcadXData, ReplacesWholeRecordsPerApplicationAndRemovesWithTheNameAlone) {
    auto doc = acad::NewDrawing();
    auto p = doc->ModelSpace()->AddPoint({0, 0, 0});
    p->SetXData(Codes({1001, 1000, 1000}), Values({"Fluvamap", "a", "b"}));
    p->SetXData(Codes({1001, 1000}), Values({"Other", "x"}));
    p->SetXData(Codes({1001, 1000}), Values({"Fluvamap", "c"}));
    EXPECT_EQ(p->XDataTexts("Fluvamap"), std::vector<std::string>{"c"});
    EXPECT_EQ(p->XDataApplications(), (std::vector<std::string>{"Fluvamap", "Other"}));
    p->SetXData(Codes({1001}), Values({"Fluvamap"}));
    Variant t, v;
    p->GetXData("Fluvamap", t, v);
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(p->XDataApplications(), std::vector<std::string>{"Other"});
}

TEST(AcadXData, PlatformLimitsOnlyWhenStrict) {
    auto doc = acad::NewDrawing();
    auto p = doc->ModelSpace()->AddPoint({0, 0, 0});
    std::string longText(300, 'x');
    p->SetXData(Codes({1001, 1000}), Values({"Fluvamap", longText}));
    doc->SetStrictXDataLimits(true);
    EXPECT_EQ(ErrorOf([&] { p->SetXData(Codes({1001, 1000}), Values({"Fluvamap", longText})); }),
              ErrorCode::InvalidInput);
    std::vector<int16_t> codes{1001};
    std::vector<Variant> values{"Fluvamap"};
    for (int i = 0; i < 80; ++i) {
        codes.push_back(1000);
        values.push_back(std::string(250, 'y'));
    }
    EXPECT_EQ(ErrorOf([&] { p->SetXData(Codes(codes), Values(values)); }), ErrorCode::InvalidInput);
}

TEST(AcadXData, WritingOnALockedLayerFailsUnlessLocksAreOff) {
    auto doc = acad::NewDrawing();
    auto layer = doc->Layers()->Add("Main - Network");
    auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
    line->SetLayer("main - network");
    EXPECT_EQ(line->Layer(), "Main - Network");
    layer->SetLock(true);
    EXPECT_EQ(ErrorOf([&] { line->SetXData(Codes({1001, 1000}), Values({"Fluvamap", "x"})); }),
              ErrorCode::OnLockedLayer);
    Variant t, v;
    line->GetXData("Fluvamap", t, v);  // reading is fine
    doc->SetEnforceLayerLocks(false);
    line->SetXData(Codes({1001, 1000}), Values({"Fluvamap", "x"}));
    // The model-space block is not on a layer.
    doc->SetEnforceLayerLocks(true);
    doc->ModelSpace()->SetXData(Codes({1001, 1000}), Values({"Fluvamap", "project"}));
}

}  // namespace
