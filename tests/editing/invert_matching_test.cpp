// The lowest invert connected at a node.

#include <gtest/gtest.h>

#include "core/element_records.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

// A pipe's identifier, its record carrying the two inverts.
std::string AddPipe(acad::AcadDocument& doc, double startInvert, double endInvert) {
    auto pipe = doc.ModelSpace()->AddLightWeightPolyline({0, 0, 10, 0});
    fluvanet::ElementRecord record = fluvanet::NewPipeRecord(pipe, "Net", "Gravity", "P", "Metric", {});
    record.Set(fluvanet::pipe_entry::kStartInvert, startInvert);
    record.Set(fluvanet::pipe_entry::kEndInvert, endInvert);
    record.Write();
    return fluvanet::IdText(*pipe);
}

std::string Ids(const std::vector<std::string>& ids) { return fluvanet::refs::ReferenceList(ids); }

TEST(SumpElevation, LowestInvertOfEachSide) {
    auto doc = acad::NewDrawing();
    fluvanet::Editing editing;
    std::string a = AddPipe(*doc, 5, 1);
    std::string b = AddPipe(*doc, 3, 2);
    std::string c = AddPipe(*doc, 1, 10);

    EXPECT_EQ(editing.GetSumpElevation(*doc, "", ""), 0);
    // Start inverts for pipes starting here, end inverts for pipes ending here.
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({a, b}), ""), 3);
    EXPECT_EQ(editing.GetSumpElevation(*doc, "", Ids({a, b})), 1);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({a}), Ids({c})), 5);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({c}), Ids({b})), 1);

    auto e = std::make_shared<fluvanet::Editing>();
    Variant start(Ids({a, b}));
    EXPECT_EQ(vb::CallByName(e, "GetSumpElevation", com::CallType::Method, doc, start, Variant("")), Variant(3.0));
    EXPECT_EQ(start, Variant(Ids({a, b})));
}

TEST(SumpElevation, MinusNineNineNineIsALevel) {
    auto doc = acad::NewDrawing();
    fluvanet::Editing editing;
    std::string deep = AddPipe(*doc, -999, -999);
    std::string shallow = AddPipe(*doc, 5, 5);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({deep}), ""), -999);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({shallow}), Ids({deep})), -999);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({deep}), Ids({shallow})), -999);
    // The search starts from 1e8, so no level above it is ever found.
    std::string high = AddPipe(*doc, 2e8, 2e8);
    EXPECT_EQ(editing.GetSumpElevation(*doc, Ids({high}), ""), 1e8);
}

TEST(SumpElevation, AKeyNamingNoPipeRaises) {
    auto doc = acad::NewDrawing();
    fluvanet::Editing editing;
    std::string a = AddPipe(*doc, 5, 1);
    auto gone = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 1, 1});
    std::string goneId = fluvanet::IdText(*gone);
    gone->Delete();
    EXPECT_EQ(ErrorOf([&] { editing.GetSumpElevation(*doc, Ids({a, goneId}), ""); }), ErrorCode::ObjectNotFound);
    EXPECT_EQ(ErrorOf([&] { editing.GetSumpElevation(*doc, "", Ids({"x"})); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { editing.GetSumpElevation(*doc, Ids({""}), ""); }), ErrorCode::TypeMismatch);
}

}  // namespace
