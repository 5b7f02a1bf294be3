// The material and section-size libraries: tables read from the two library points, usage
// changes written back, and the counts of a deleted network's pipes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "core/library.h"
#include "core/project_record.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/xdata.h"

namespace {

using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using testing::ElementsAre;
using testing::IsEmpty;
using namespace testing_support;
namespace pr = fluvanet::project_entry;
using Rows = std::vector<std::vector<std::string>>;

SafeArray Table(const Rows& rows, int32_t columns) {
    SafeArray t = SafeArray::Matrix(com::VarType::String, static_cast<int32_t>(rows.size()), columns);
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = 0; j < rows[i].size(); ++j) t.Put(int32_t(i), int32_t(j), Variant(rows[i][j]));
    return t;
}

Rows RowsOf(const SafeArray& t) {
    Rows rows;
    for (int32_t i = 0; i <= t.UBound(1); ++i) {
        rows.emplace_back();
        for (int32_t j = 0; j <= t.UBound(2); ++j) rows.back().push_back(vb::CStr(t.Get(i, j)));
    }
    return rows;
}

struct Project {
    explicit Project(host::ProjectOptions options = {}) : doc(NewProjectDrawing(options)) {}
    std::shared_ptr<acad::AcadObject> Point(int32_t entry) const {
        return fluvanet::ObjectFromId(*doc, fluvanet::ProjectRecord::Read(*doc).Text(entry));
    }
    std::string Materials(int32_t entry) const { return RecordText(Point(pr::kMaterialLibrary), entry); }
    std::string Sizes(int32_t entry) const { return RecordText(Point(pr::kSizeLibrary), entry); }
    std::vector<Variant> Record(int32_t entry) const { return fluvanet::ElementRecord::Read(Point(entry)).Values(); }
    void SetSizes(int32_t entry, const std::string& list) const {
        SetRecordEntry(Point(pr::kSizeLibrary), entry, Variant(list));
    }
    void ExpectSound() const { EXPECT_THAT(NetworkFindings(*doc), IsEmpty()); }

    std::shared_ptr<acad::AcadDocument> doc;
    std::shared_ptr<fluvanet::Library> library = std::make_shared<fluvanet::Library>();
};

host::ProjectOptions Options(std::vector<std::string> materials, std::string units = "Metric") {
    host::ProjectOptions o;
    o.materials = std::move(materials);
    o.modelUnits = std::move(units);
    return o;
}

TEST(MaterialLibrary, ReadThenUpdateAddsChangesAppendsNewNamesAndKeepsCodes) {
    Project p(Options({"PVC", "Steel"}));
    EXPECT_EQ(p.Materials(1), ";;MaterialLibrary");
    SetRecordEntry(p.Point(pr::kMaterialLibrary), 4, Variant("4;2;"));
    auto codes = fluvanet::ElementRecord::Read(p.Point(pr::kMaterialLibrary)).Codes();
    SafeArray table = p.library->GetMaterialsArray(*p.doc);
    EXPECT_EQ(RowsOf(table), (Rows{{"PVC", "4"}, {"Steel", "2"}}));

    p.library->UpdateMaterialUsage(*p.doc, table,
                                   Table({{"Steel", "-3"}, {"Clay", "1"}, {"PVC", "1"}, {"Clay", "2"}}, 2));
    EXPECT_EQ(p.Materials(3), "PVC;Steel;Clay;");
    EXPECT_EQ(p.Materials(4), "5;-1;3;");  // a count below 0 stays listed; one new name, one entry
    EXPECT_EQ(fluvanet::ElementRecord::Read(p.Point(pr::kMaterialLibrary)).Codes(), codes);
    EXPECT_EQ(RowsOf(table), (Rows{{"PVC", "5"}, {"Steel", "-1"}}));
    p.ExpectSound();

    // Late-bound, the caller's table is updated in place.
    Variant shown(p.library->GetMaterialsArray(*p.doc));
    vb::CallByName(p.library, "UpdateMaterialUsage", com::CallType::Method, p.doc, shown,
                   Variant(Table({{"Steel", "1"}}, 2)));
    EXPECT_EQ(RowsOf(shown.Array()), (Rows{{"PVC", "5"}, {"Steel", "0"}, {"Clay", "3"}}));
    EXPECT_EQ(p.Materials(4), "5;0;3;");
}

TEST(MaterialLibrary, AnEmptyListGivesATableWithoutRowsToWhichTheFirstEntryIsAdded) {
    Project p(Options({}));
    SafeArray table = p.library->GetMaterialsArray(*p.doc);
    EXPECT_EQ(table.UBound(1), -1);
    EXPECT_EQ(table.UBound(2), 1);
    p.library->UpdateMaterialUsage(*p.doc, table, Table({{"PVC", "1"}}, 2));
    EXPECT_EQ(RowsOf(p.library->GetMaterialsArray(*p.doc)), (Rows{{"PVC", "1"}}));
    p.ExpectSound();

    p.SetSizes(3, "");
    p.SetSizes(4, "");
    EXPECT_EQ(p.library->GetSizesArray(*p.doc, "Circular").UBound(1), -1);
}

TEST(SizeLibrary, TablesAreOrderedByAreaAndShowBoxesWithSpaces) {
    host::ProjectOptions o;
    o.boxSizesMetric = {"1000x600", "500x500"};
    o.circularSizesMetric = {"300", "200.0", "200"};
    Project p(o);
    EXPECT_EQ(RowsOf(p.library->GetSizesArray(*p.doc, "Box")),
              (Rows{{"500 x 500", "0", "250000"}, {"1000 x 600", "0", "600000"}}));
    EXPECT_EQ(RowsOf(p.library->GetSizesArray(*p.doc, "Circular")),
              (Rows{{"200.0", "0", "31415.92654"}, {"200", "0", "31415.92654"}, {"300", "0", "70685.834715"}}));
    EXPECT_EQ(ErrorOf([&] { p.library->GetSizesArray(*p.doc, "circular"); }), ErrorCode::InvalidProcedureCall);

    // Only swapped rows get their areas rewritten; the argument stays as it was.
    SafeArray table = Table({{"A", "1", "9.0"}, {"B", "2", "4.0"}, {"C", "3", "4"}, {"D", "4", "10.50"}}, 3);
    SafeArray before = table;
    EXPECT_EQ(RowsOf(p.library->SortSizesArray(table)),
              (Rows{{"B", "2", "4"}, {"C", "3", "4"}, {"A", "1", "9"}, {"D", "4", "10.50"}}));
    EXPECT_EQ(table, before);
    // Bounds past the 32-bit range are no table.
    SafeArray past(com::VarType::String, {com::ArrayBound{std::numeric_limits<int32_t>::max(), 2}, com::ArrayBound{0, 3}});
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(p.library, "SortSizesArray", com::CallType::Method, Variant(past)); }),
              ErrorCode::InvalidInput);
}

TEST(SizeLibrary, UpdatesStoreBoxesWithoutSpacesAndMatchDiametersByNumber) {
    host::ProjectOptions o;
    o.boxSizesMetric = {"1000x600", "500x500"};
    o.circularSizesMetric = {"200.0"};
    Project p(o);
    std::vector<Variant> before = p.Record(pr::kSizeLibrary);
    Variant circular(p.library->GetSizesArray(*p.doc, "Circular"));
    Variant box(p.library->GetSizesArray(*p.doc, "Box"));
    SafeArray change = Table({{"200", "Circular", "2"}, {"500x500", "Box", "1"}, {"300", "Circular", "1"},
                              {"999", "", "5"}, {"2x1", "Rect", "1"}},
                             3);
    vb::CallByName(p.library, "UpdateSizeUsage", com::CallType::Method, p.doc, circular, box, Variant(change));
    EXPECT_EQ(p.Sizes(3), "200.0;300;");
    EXPECT_EQ(p.Sizes(4), "2;1;");
    EXPECT_EQ(p.Sizes(5), "500x500;1000x600;2x1;");
    EXPECT_EQ(p.Sizes(6), "1;0;1;");
    for (int32_t k = 7; k <= 10; ++k) EXPECT_EQ(p.Record(pr::kSizeLibrary)[std::size_t(k)], before[std::size_t(k)]);
    EXPECT_EQ(RowsOf(box.Array())[1], (std::vector<std::string>{"1000x600", "0", "600000"}));
    EXPECT_EQ(RowsOf(circular.Array())[0][1], "2");
    p.ExpectSound();
}

TEST(SizeLibrary, UnitsOtherThanMetricUseTheUsLists) {
    for (std::string units : {"US", "Imperial"}) {
        SCOPED_TRACE(units);
        Project p(Options({"PVC"}, units));
        std::vector<Variant> before = p.Record(pr::kSizeLibrary);
        SafeArray circular = p.library->GetSizesArray(*p.doc, "Circular");
        SafeArray box = p.library->GetSizesArray(*p.doc, "Box");
        EXPECT_EQ(RowsOf(box), (Rows{{"4 x 2", "0", "8"}}));
        p.library->UpdateSizeUsage(*p.doc, circular, box, Table({{"8", "Circular", "1"}, {"6x3", "Box", "1"}}, 3));
        EXPECT_EQ(p.Sizes(7) + p.Sizes(8) + p.Sizes(9) + p.Sizes(10), "8;1;4x2;6x3;0;1;");
        for (int32_t k = 3; k <= 6; ++k) EXPECT_EQ(p.Record(pr::kSizeLibrary)[std::size_t(k)], before[std::size_t(k)]);
        p.ExpectSound();
    }
}

TEST(Libraries, RefusedInputAndWrongPointsRaiseBeforeAnythingIsWritten) {
    Project p;
    std::vector<Variant> materials = p.Record(pr::kMaterialLibrary), sizes = p.Record(pr::kSizeLibrary);
    SafeArray m = p.library->GetMaterialsArray(*p.doc), mBefore = m;
    SafeArray c = p.library->GetSizesArray(*p.doc, "Circular"), b = p.library->GetSizesArray(*p.doc, "Box");
    auto material = [&](const Rows& change) {
        return ErrorOf([&] { p.library->UpdateMaterialUsage(*p.doc, m, Table(change, 2)); });
    };
    auto size = [&](const Rows& change) {
        return ErrorOf([&] { p.library->UpdateSizeUsage(*p.doc, c, b, Table(change, 3)); });
    };
    EXPECT_EQ(material({{"PVC", "1"}, {"Cast;Iron", "1"}}), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(material({{"PVC", "1;2"}}), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(size({{"200", "Circular", "1"}, {"300;", "Circular", "1"}}), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(size({{"200", "Circular", "1"}, {"1000", "Box", "1"}}), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(size({{"1000", "Oval", "1"}}), ErrorCode::InvalidProcedureCall);

    auto project = p.doc->ModelSpace();
    std::string keptMaterials = RecordText(project, pr::kMaterialLibrary);
    std::string keptSizes = RecordText(project, pr::kSizeLibrary);
    auto stale = p.doc->ModelSpace()->AddPoint({0, 0, 0});
    stale->Delete();
    auto bare = p.doc->ModelSpace()->AddPoint({0, 0, 0});
    auto line = p.doc->ModelSpace()->AddLine({0, 0, 0}, {1, 0, 0});
    SetTextRecord(*line, {";;MaterialLibrary", "MaterialLibraryPoint", "PVC;", "0;"});
    for (auto [id, code] : {std::pair{stale->ObjectID(), ErrorCode::ObjectNotFound},
                            {bare->ObjectID(), ErrorCode::TypeMismatch},
                            {line->ObjectID(), ErrorCode::TypeMismatch},
                            {p.Point(pr::kSizeLibrary)->ObjectID(), ErrorCode::TypeMismatch}}) {
        SetRecordEntry(project, pr::kMaterialLibrary, Variant(std::to_string(id)));
        EXPECT_EQ(material({{"PVC", "1"}}), code) << id;
    }
    SetRecordEntry(project, pr::kMaterialLibrary, Variant(keptMaterials));
    SetRecordEntry(project, pr::kSizeLibrary, Variant(keptMaterials));
    EXPECT_EQ(size({{"200", "Circular", "1"}}), ErrorCode::TypeMismatch);
    SetRecordEntry(project, pr::kSizeLibrary, Variant(keptSizes));
    EXPECT_EQ(p.Record(pr::kMaterialLibrary), materials);
    EXPECT_EQ(m, mBefore);

    // What the stored lists must hold: a box "x", a count for every entry.
    Project q;
    q.SetSizes(5, "1000;");
    EXPECT_EQ(ErrorOf([&] { q.library->GetSizesArray(*q.doc, "Box"); }), ErrorCode::SubscriptOutOfRange);
    q.SetSizes(3, "200;300;");
    EXPECT_EQ(ErrorOf([&] { q.library->GetSizesArray(*q.doc, "Circular"); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(p.Record(pr::kSizeLibrary), sizes);
}

TEST(Libraries, DeletingANetworkLowersTheCountsOfItsPipes) {
    Project p(Options({"PVC", "Steel"}));
    p.SetSizes(3, "200;300;");
    p.SetSizes(4, "5;1;");
    p.SetSizes(6, "2;");
    NetworkBuilder net(*p.doc, "Main");
    TestChain chain = net.AddChain({{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}});
    chain.pipes[1].SetSize("SectionShape_Box", 1000, 600);
    chain.pipes[2].SetSize("SectionShape_Box", 1000, 600);
    chain.pipes[3].SetSize("SectionShape_Oval", 200, 100).SetMaterial("Steel");  // tallied as its first pipe's 200
    auto label = p.doc->ModelSpace()->AddText("P-1", {0, 0, 0}, 1);
    SetTextRecord(*label, {";Main;P-1Annotation", "Annotation"});
    auto set = p.doc->SelectionSets()->Add("Net");
    // Forms that any write would mend: a surplus count, a box size in another number form.
    SetRecordEntry(p.Point(pr::kMaterialLibrary), 4, Variant("5;1;9;"));
    p.SetSizes(5, "1000.0x600;");
    std::vector<Variant> materials = p.Record(pr::kMaterialLibrary), sizes = p.Record(pr::kSizeLibrary);

    for (const TestNode& n : chain.nodes) set->AddItems({n.block});
    set->AddItems({label});
    p.library->UpdateMaterialLibraryForDeleteNetwork(*p.doc, *set);
    p.library->UpdateSizeLibraryForDeleteNetwork(*p.doc, *set);
    EXPECT_EQ(p.Record(pr::kMaterialLibrary), materials);
    EXPECT_EQ(p.Record(pr::kSizeLibrary), sizes);

    for (const TestPipe& pipe : chain.pipes) set->AddItems({pipe.polyline});
    vb::CallByName(p.library, "UpdateMaterialLibraryForDeleteNetwork", com::CallType::Method, p.doc, set);
    p.library->UpdateSizeLibraryForDeleteNetwork(*p.doc, *set);
    EXPECT_EQ(p.Materials(4), "2;0;");
    EXPECT_EQ(p.Sizes(3) + p.Sizes(4), "200;300;3;1;");
    EXPECT_EQ(p.Sizes(5) + p.Sizes(6), "1000x600;0;");
    // Only the stand-in label, a text with part of a record, is out of shape.
    EXPECT_THAT(NetworkFindings(*p.doc),
                testing::Each(testing::StartsWith(std::to_string(label->ObjectID()) + " Annotation")));
}

TEST(Libraries, ANewProjectHoldsOneEntryOfEachWithCountZero) {
    Project p;
    EXPECT_THAT(p.Record(pr::kMaterialLibrary),
                ElementsAre("Fluvamap", ";;MaterialLibrary", "MaterialLibraryPoint", "PVC;", "0;"));
    EXPECT_THAT(p.Record(pr::kSizeLibrary),
                ElementsAre("Fluvamap", ";;SectionSizeLibrary", "SectionSizeLibraryPoint", "200;", "0;", "1000x600;",
                            "0;", "8;", "0;", "4x2;", "0;"));
    p.ExpectSound();
}

}  // namespace
