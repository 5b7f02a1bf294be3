// Which pressure networks show their markers, and collecting and deleting a network's markers.

#include "tests/crossing/low_high_drawing.h"

namespace {

using namespace low_high_testing;
using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using testing::ElementsAre;
using Entities = std::vector<std::shared_ptr<acad::AcadEntity>>;

// Two pressure networks "Net" and "Two" with one low point each, and a gravity network.
class LowHighSettings : public LowHighDrawing {
protected:
    void SetUp() override {
        NetworkBuilder sewer(*doc, "Sewer", "Gravity");
        NetworkBuilder second(*doc, "Two", "Pressure");
        one = Chain(net, {10, 9, 11}).nodes[1];
        two = Chain(second, {10, 9, 11}, 30).nodes[1];
        Build({one.Id()});
        Build({two.Id()}, "Two");
    }
    void Store(const std::string& shown) {
        SetRecordEntry(doc->ModelSpace(), fluvanet::project_entry::kLowHighSettings, Variant(shown));
    }
    std::string Stored() { return RecordText(doc->ModelSpace(), fluvanet::project_entry::kLowHighSettings); }
    // The table as "name=flag" per row.
    std::vector<std::string> Rows() {
        SafeArray a = lowHigh.GetLowHighSettings(*doc).Array();
        std::vector<std::string> rows;
        for (int32_t i = 0; i <= a.UBound(1); ++i) rows.push_back(vb::CStr(a.Get(i, 0)) + "=" + vb::CStr(a.Get(i, 1)));
        return rows;
    }
    void Set(const std::vector<std::string>& cells) {
        SafeArray a = SafeArray::Matrix(com::VarType::String, static_cast<int32_t>(cells.size() / 2), 2);
        for (std::size_t k = 0; k < cells.size(); ++k) a.Put(static_cast<int32_t>(k / 2), k % 2, Variant(cells[k]));
        lowHigh.SetLowHighSettings(*doc, Variant(std::move(a)));
    }
    std::vector<bool> Shown() {
        lowHigh.ApplyLowHighSettings(*doc, *lowHigh.GetExistingLowHighPointsSet(*doc, ""));
        return {Marker(one)->Visible(), Marker(two)->Visible()};
    }
    TestNode one, two;
};

TEST_F(LowHighSettings, OnlyNamesFollowedBySeparatorShow) {
    EXPECT_THAT(Rows(), ElementsAre("Net=1", "Two=1"));
    Store("Net;");
    EXPECT_THAT(Rows(), ElementsAre("Net=1", "Two=0"));
    EXPECT_THAT(Shown(), ElementsAre(true, false));
    Store("Two");
    EXPECT_THAT(Shown(), ElementsAre(false, false));
    Store("Sewer;Gone;Two;");  // names of no pressure network match no row
    EXPECT_THAT(Rows(), ElementsAre("Net=0", "Two=1"));
}

TEST_F(LowHighSettings, StoringTheTable) {
    Set({"Net", "0", "Two", "1"});
    EXPECT_EQ(Stored(), "Two;");
    Set({"Net", "0", "Two", "True", "A;B", "0"});
    EXPECT_EQ(Stored(), "");
    EXPECT_EQ(ErrorOf([&] { Set({"Net", "1", "A;B", "1"}); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(Stored(), "");
}

TEST_F(LowHighSettings, WithoutPressureNetworksEveryMarkerHides) {
    for (std::string name : {"Net", "Two"}) fluvanet::General().DeleteNetworkDefintion(*doc, name);
    EXPECT_EQ(lowHigh.GetLowHighSettings(*doc).Array().UBound(1), -1);
    EXPECT_THAT(Shown(), ElementsAre(false, false));
}

TEST_F(LowHighSettings, CollectingAndDeletingANetworksMarkers) {
    Store("");
    EXPECT_THAT(Shown(), ElementsAre(false, false));
    EXPECT_EQ(lowHigh.GetExistingLowHighPointsSet(*doc, "")->Count(), 2);  // hidden ones too
    EXPECT_EQ(lowHigh.GetExistingLowHighPointsSet(*doc, "Two")->Members(), (Entities{Marker(two)}));
    EXPECT_EQ(lowHigh.GetExistingLowHighPointsSet(*doc, "Sewer")->Count(), 0);
    lowHigh.DeleteNetworkLowHighPoints(*doc, "");
    EXPECT_EQ(lowHigh.GetExistingLowHighPointsSet(*doc, "")->Count(), 2);
    lowHigh.DeleteNetworkLowHighPoints(*doc, "Two");
    EXPECT_EQ(lowHigh.GetExistingLowHighPointsSet(*doc, "")->Members(), (Entities{Marker(one)}));
}

TEST_F(LowHighSettings, ApplyingTouchesMarkersOnly) {
    auto set = doc->SelectionSets()->Add("Mixed");
    set->AddItems({Marker(one), one.block});
    Store("");
    EXPECT_EQ(ErrorOf([&] { lowHigh.ApplyLowHighSettings(*doc, *set); }), ErrorCode::TypeMismatch);
    EXPECT_TRUE(Marker(one)->Visible() && one.block->Visible());
}

}  // namespace
