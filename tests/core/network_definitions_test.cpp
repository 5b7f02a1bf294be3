// Defining, listing and deleting networks in the project record, and their layers.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/general.h"
#include "host/new_project.h"
#include "platform/vb_convert.h"
#include "tests/support/error_code.h"
#include "tests/support/network_invariants.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

class NetworkDefinitions : public testing::Test {
protected:
    void SetUp() override { host::CreateProjectRecord(*doc); }
    std::vector<Variant> Record(Variant* codes = nullptr) const {
        Variant c, v;
        doc->ModelSpace()->GetXData("Fluvamap", c, v);
        if (codes) *codes = c;
        return v.Array().ToVariants();
    }
    std::string Entry(int k) const { return vb::CStr(Record()[k]); }
    void SetEntry(int k, const std::string& text) {
        Variant codes;
        std::vector<Variant> values = Record(&codes);
        values[k] = text;
        doc->ModelSpace()->SetXData(codes, Variant(com::SafeArray::FromVariants(values)));
    }
    int Color(const std::string& layer) const { return doc->Layers()->Item(Variant(layer))->TrueColor()->ColorIndex(); }
    std::shared_ptr<acad::AcadDocument> doc = acad::NewDrawing();
    fluvanet::General general;
};

TEST_F(NetworkDefinitions, ANewNetworkPairsWithEveryOlderOneAndGetsItsLayers) {
    general.CreateNetworkDefintion(*doc, "A", "Gravity");
    EXPECT_EQ(Entry(8), "0.5");
    general.CreateNetworkDefintion(*doc, "B", "Pressure");
    general.CreateNetworkDefintion(*doc, "C", "Gravity");
    EXPECT_EQ(Entry(3), "A;B;C;");
    EXPECT_EQ(Entry(4), "Gravity;Pressure;Gravity;");
    EXPECT_EQ(Entry(1), "Standard;111;");
    EXPECT_EQ(Entry(8), "0.5;B;A;C;A;C;B");
    EXPECT_EQ(Entry(9), "B;");
    Variant codes;
    Record(&codes);
    EXPECT_EQ(codes.Array().ToInt16s()[2], 1070);
    EXPECT_EQ(Color("A - Network"), 6);
    EXPECT_EQ(Color("B - Network"), 4);
    EXPECT_EQ(Color("B - Annotation"), 3);
    EXPECT_EQ(Color("B - Arrow"), 4);
    EXPECT_EQ(ErrorOf([&] { doc->Layers()->Item(Variant("A - Low&High Points")); }), ErrorCode::KeyNotFound);
    EXPECT_THAT(testing_support::NetworkFindings(*doc), testing::IsEmpty());
}

TEST_F(NetworkDefinitions, TablesHoldARowPerNetworkOrOneEmptyRow) {
    Variant none = general.GetNetworkDefinitions(*doc);
    EXPECT_EQ(none.Array().UBound(1), 0);
    EXPECT_EQ(none.Array().Get(0, 0), Variant(""));
    EXPECT_EQ(none.Array().Get(0, 1), Variant(""));
    EXPECT_EQ(general.GetNetworkNames(*doc).Array().ToStrings(), std::vector<std::string>{""});

    // Late-bound, as the host calls them.
    auto g = std::make_shared<fluvanet::General>();
    vb::CallByName(g, "CreateNetworkDefintion", com::CallType::Method, doc, "Net2", "Gravity");
    vb::CallByName(g, "CreateNetworkDefintion", com::CallType::Method, doc, "Storm", "Pressure");
    const com::SafeArray table = vb::CallByName(g, "GetNetworkDefinitions", com::CallType::Method, doc).Array();
    EXPECT_EQ(table.UBound(1), 1);
    EXPECT_EQ(table.Get(1, 0), Variant("Storm"));
    EXPECT_EQ(table.Get(1, 1), Variant("Pressure"));
    EXPECT_EQ(general.GetNetworkNames(*doc).Array().ToStrings(), (std::vector<std::string>{"Net2", "Storm"}));
    EXPECT_TRUE(general.CheckNetworkExists(*doc, "Net2"));
    EXPECT_FALSE(general.CheckNetworkExists(*doc, "Net"));
    EXPECT_FALSE(general.CheckNetworkExists(*doc, "storm"));

    SetEntry(4, "Gravity;");
    EXPECT_EQ(ErrorOf([&] { general.GetNetworkDefinitions(*doc); }), ErrorCode::SubscriptOutOfRange);
}

TEST_F(NetworkDefinitions, RefusedDefinitionsChangeNothing) {
    general.CreateNetworkDefintion(*doc, "Main", "Gravity");
    std::vector<Variant> before = Record();
    int layers = doc->Layers()->Count();
    for (std::string name : {"Main", "", "a;b", "a<b", ">", "/", "\\", "\"", ":", "?", "*", "|", "=", ",", "`"})
        EXPECT_EQ(ErrorOf([&] { general.CreateNetworkDefintion(*doc, name, "Pressure"); }),
                  ErrorCode::InvalidProcedureCall)
            << name;
    for (std::string type : {"gravity", "", "Pressure "})
        EXPECT_EQ(ErrorOf([&] { general.CreateNetworkDefintion(*doc, "Storm", type); }),
                  ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(Record(), before);
    EXPECT_EQ(doc->Layers()->Count(), layers);

    // A name differing only in case is a network of its own that shares the layers.
    general.CreateNetworkDefintion(*doc, "main", "Gravity");
    EXPECT_EQ(Entry(3), "Main;main;");
    EXPECT_EQ(doc->Layers()->Count(), layers);
}

TEST_F(NetworkDefinitions, DeletingTheMiddleNetworkRemovesItEverywhere) {
    general.CreateNetworkDefintion(*doc, "A", "Gravity");
    general.CreateNetworkDefintion(*doc, "B", "Pressure");
    general.CreateNetworkDefintion(*doc, "C", "Pressure");
    SetEntry(1, "Standard;101;");
    general.DeleteNetworkDefintion(*doc, "B");
    EXPECT_EQ(Entry(1), "Standard;11;");
    EXPECT_EQ(Entry(3), "A;C;");
    EXPECT_EQ(Entry(4), "Gravity;Pressure;");
    EXPECT_EQ(Entry(8), "0.5;C;A");
    EXPECT_EQ(Entry(9), "C;");
    EXPECT_THAT(testing_support::NetworkFindings(*doc), testing::IsEmpty());
}

TEST_F(NetworkDefinitions, ANameStoredTwiceGoesAtEveryPositionAnUnknownOneChangesNothing) {
    SetEntry(1, "Standard;12;");
    SetEntry(3, "A;B;A;");
    SetEntry(4, "Gravity;Pressure;Gravity;");
    SetEntry(8, "0.5;A;B;B;C;D");
    SetEntry(9, "A;");
    general.DeleteNetworkDefintion(*doc, "A");
    EXPECT_EQ(Entry(1), "Standard;2;");  // the second position lies past the string's end
    EXPECT_EQ(Entry(3), "B;");
    EXPECT_EQ(Entry(4), "Pressure;");
    EXPECT_EQ(Entry(8), "0.5;B;C");
    EXPECT_EQ(Entry(9), "");

    SetEntry(8, "0.5");
    std::vector<Variant> before = Record();
    general.DeleteNetworkDefintion(*doc, "b");
    EXPECT_EQ(Record(), before);
    general.DeleteNetworkDefintion(*doc, "B");
    EXPECT_EQ(Entry(3), "");
    EXPECT_EQ(Entry(8), "0.5");
}

TEST_F(NetworkDefinitions, LayersInUseStayWhenANetworksLayersAreDeleted) {
    general.CreateNetworkDefintion(*doc, "Main", "Gravity");
    general.CreateStandardLayer(*doc, "Main", "LowHighPoint");
    doc->ModelSpace()->AddPoint({0, 0, 0})->SetLayer("Main - Arrow");
    general.DeleteNetworkLayers(*doc, "Main");
    EXPECT_EQ(doc->Layers()->Count(), 2);  // "0" and the arrow layer
    EXPECT_EQ(doc->Layers()->Item(Variant(int32_t{1}))->Name(), "Main - Arrow");
    general.DeleteNetworkLayers(*doc, "Main");
}

TEST_F(NetworkDefinitions, WithoutAProjectRecordEveryMethodFails) {
    auto bare = acad::NewDrawing();
    EXPECT_EQ(ErrorOf([&] { general.GetNetworkNames(*bare); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { general.CheckNetworkExists(*bare, "A"); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { general.CreateNetworkDefintion(*bare, "A", "Gravity"); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { general.DeleteNetworkDefintion(*bare, "A"); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(bare->Layers()->Count(), 1);
}

}  // namespace
