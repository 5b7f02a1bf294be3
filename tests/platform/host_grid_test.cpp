// The host's grid data set as the library walks it: every record and field, Null values
// kept as stored, and reading with no current record.

#include <gtest/gtest.h>

#include "platform/host_grid.h"
#include "tests/support/error_code.h"

namespace {

using com::CallType;
using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

std::shared_ptr<host::Grid> MakeGrid() {
    return std::make_shared<host::Grid>(std::vector<std::string>{"Code", "Diameter", "Note"},
                                        std::vector<std::vector<Variant>>{
                                            {Variant("P1"), Variant(0.3), Variant(com::Null)},
                                            {Variant("P2"), Variant(int32_t{400}), Variant("new")},
                                        });
}

TEST(HostGrid, WalksAllRecordsAndFieldsLateBound) {
    auto ds = vb::CallByName(MakeGrid(), "DataSet", CallType::Get).Object();
    int32_t records = vb::CLng(vb::CallByName(ds, "RecordCount", CallType::Get));
    int32_t fields = vb::CLng(vb::CallByName(ds, "FieldCount", CallType::Get));
    ASSERT_EQ(records, 2);
    ASSERT_EQ(fields, 3);

    std::vector<Variant> seen;
    vb::CallByName(ds, "First", CallType::Method);
    for (int32_t i = 0; i < records; ++i) {
        for (int32_t j = 0; j < fields; ++j) {
            Variant name = vb::CallByName(ds, "FieldName", CallType::Get, j);
            seen.push_back(vb::CallByName(ds, "FieldValue", CallType::Get, name));
        }
        vb::CallByName(ds, "Next", CallType::Method);
    }
    EXPECT_EQ(seen, (std::vector<Variant>{Variant("P1"), Variant(0.3), Variant(com::Null), Variant("P2"),
                                          Variant(int32_t{400}), Variant("new")}));
    EXPECT_EQ(ErrorOf([&] { vb::CStr(seen[2]); }), ErrorCode::InvalidUseOfNull);
}

TEST(HostGrid, RaisesForBadFieldsAndNoCurrentRecord) {
    auto ds = MakeGrid()->DataSet();
    EXPECT_EQ(ds->FieldValue("diameter"), Variant(0.3));
    EXPECT_EQ(ErrorOf([&] { ds->FieldName(3); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { ds->FieldValue("Length"); }), ErrorCode::KeyNotFound);

    for (int i = 0; i < 3; ++i) ds->Next();  // moving past the end is harmless
    EXPECT_EQ(ErrorOf([&] { ds->FieldValue("Code"); }), ErrorCode::InvalidInput);
    ds->First();
    EXPECT_EQ(ds->FieldValue("Code"), Variant("P1"));
}

}  // namespace
