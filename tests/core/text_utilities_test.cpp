// Settings files, delimited values, names, sorting of labels, slope texts, pipe lists and
// the host's grid.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "core/general.h"
#include "platform/host_grid.h"
#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using com::Variant;
using fluvanet::ShpPipe;
using testing_support::ErrorOf;
using Texts = std::vector<std::string>;
using Rows = std::vector<std::vector<Variant>>;

// The section after "[Types]" of a file holding `text`.
Variant ReadSection(const std::string& text) {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("fluvanet-settings-" + std::to_string(std::random_device{}()) + ".txt"))
                                        .string();
    std::ofstream(path, std::ios::binary) << text;
    Variant section = fluvanet::General().ReadTextDataFromString(path, "[Types]");
    std::filesystem::remove(path);
    return section;
}
Texts Section(const std::string& text) { return ReadSection(text).Array().ToStrings(); }

TEST(TextUtilities, SettingsFileSectionRunsFromTheStartLineToABlankLine) {
    EXPECT_EQ(Section("[Types]\n\nPVC\n"), Texts{""});
    EXPECT_EQ(Section("x\n[Types] of pipes\r\n  PVC   200  \n;comment\nPE\t 100\n\nlater\n"),
              (Texts{"PVC 200", "PE\t 100", ""}));
    EXPECT_EQ(Section("PVC\n[types]\nPE\n"), Texts{""});
    EXPECT_EQ(Section("[Types]\nPVC\n[Types]\nPE\n   \nPP\n"), (Texts{"PVC", "[Types]", "PE", ""}));

    EXPECT_TRUE(fluvanet::General().ReadTextDataFromString("/no/such/file", "[Types]").IsEmpty());
    // More lines than a 16-bit count holds is a failure, and a failure gives Empty.
    std::string many = "[Types]\n";
    for (int i = 0; i < 32767; ++i) many += "x\n";
    EXPECT_EQ(ReadSection(many).Array().UBound(1), 32767);
    EXPECT_TRUE(ReadSection(many + "x\n").IsEmpty());
}

TEST(TextUtilities, DelimitersQuotesSpacesAndNames) {
    fluvanet::General g;
    EXPECT_EQ(g.GetDelimiter("a\tb,c"), "tab");
    EXPECT_EQ(g.GetDelimiter(""), "tab");
    EXPECT_EQ(g.GetDelimiter("a,b;c"), "comma");
    EXPECT_EQ(g.GetDelimiter("ab"), "space");
    EXPECT_EQ(g.SplitTextByDelimiterName("\"PVC\",,\"200\"", "comma"), (Texts{"PVC", "", "200"}));
    EXPECT_EQ(g.SplitTextByDelimiterName("\"PVC\"", "comma"), Texts{"\"PVC\""});
    EXPECT_EQ(ErrorOf([&] { g.SplitTextByDelimiterName("a,b", "Comma"); }), ErrorCode::InvalidProcedureCall);

    EXPECT_EQ(g.CleanExtraSpaces("  PVC   200 \t x  "), "PVC 200 \t x");
    std::string quote = "\"";
    EXPECT_EQ(g.CleanCote(quote), "");
    EXPECT_EQ(quote, "");
    std::string number = "\"1,234.5\"";
    EXPECT_EQ(g.CleanNumericString(number), 1234.5);
    EXPECT_EQ(number, "1234.5");

    EXPECT_TRUE(g.CheckTextForBannedCharacters("Main/1", 1));
    EXPECT_FALSE(g.CheckTextForBannedCharacters("Main/1", 0));
    EXPECT_TRUE(g.CheckTextForBannedCharacters("a;b", 0));
    EXPECT_FALSE(g.CheckTextForBannedCharacters("a;b", 2));
}

TEST(TextUtilities, SortingByCodesAndByTheNumbersInLabels) {
    fluvanet::General g;
    const Texts input{"b", "B", "10", "9"};
    EXPECT_EQ(g.BubbleSort(input), (Texts{"10", "9", "B", "b"}));
    EXPECT_EQ(input[0], "b");
    EXPECT_EQ(ErrorOf([&] { g.BubbleSort({}); }), ErrorCode::SubscriptOutOfRange);

    EXPECT_EQ(g.NumericSort({"MH-10", "MH-2", "MH-10000", "MH-9999"}), (Texts{"MH-2", "MH-10", "MH-9999", "MH-10000"}));
    // The first label with a delimiter decides ("-" here); "Z" and "A" alone count as 0.
    EXPECT_EQ(g.NumericSort({"17", "Z-1", "A.2-9", "A.10-1"}), (Texts{"Z-1", "17", "A.10-1", "A.2-9"}));
    EXPECT_EQ(g.NumericSort({"17", "A.2-9", "A.10-1", "Z-1"}), (Texts{"A.2-9", "A.10-1", "17", "Z-1"}));
    // Equal keys go by the label's text; a label holding ";" comes back whole.
    EXPECT_EQ(g.NumericSort({"ac", "ab", "b;1", "a;2"}), (Texts{"ab", "ac", "a;2", "b;1"}));
    EXPECT_EQ(ErrorOf([&] { g.NumericSort({}); }), ErrorCode::SubscriptOutOfRange);
}

TEST(TextUtilities, SlopeTexts) {
    fluvanet::General g;
    struct Case {
        double slope;
        const char *precision, *decimals, *format, *text;
    };
    for (const Case& c : std::vector<Case>{{0.0000005, "0", "0", "2", "0"},
                                           {0.004, "0", "0", "2", "1/250"},
                                           {1.0 / 123, "1", "0", "2", "1/125"},
                                           {1.0 / 123, "2", "0", "2", "1/123"},
                                           {-0.004, "x", "0", "2", "1/-250"},
                                           {0.3, "0", "0", "2", "1/3"},  // steep: never "1/0"
                                           {2.5, "1", "0", "2", "2.5"},
                                           {-3, "0", "0", "2", "-3"},
                                           {0.01234, "3", "0", "0", "0.012"},
                                           {0.01234, "3", "0", "abc", "0.012"},
                                           {0.01234, "1", "0", "1", "1.2%"},
                                           {0.01234, "2", "2", "1", "0.0123"}})
        EXPECT_EQ(g.BuildSlopeString(c.slope, c.precision, c.decimals, c.format), Variant(c.text))
            << c.slope << " " << c.precision << " " << c.format;
    EXPECT_TRUE(g.BuildSlopeString(0.01, "2", "0", "3").IsEmpty());
    EXPECT_EQ(ErrorOf([&] { g.BuildSlopeString(0.01, "x", "0", "0"); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { g.BuildSlopeString(0.01, "", "0", "1"); }), ErrorCode::TypeMismatch);
}

TEST(TextUtilities, LeastInvertLargestRiseAndTheGrid) {
    fluvanet::General g;
    std::vector<ShpPipe> pipes(4);
    pipes[0].StartInvert = 101;
    pipes[1].StartInvert = 50;
    pipes[1].EndInvert = 99.5;
    pipes[2].StartInvert = 100.5;
    pipes[2].Rise = 0.6;
    pipes[3].StartInvert = 2e6;
    pipes[3].EndInvert = 3e6;
    pipes[3].Rise = -1;
    EXPECT_EQ(g.GetLeastInvert("", "", pipes), 0);
    EXPECT_EQ(g.GetLeastInvert("3;", "3;", pipes), 1000000);
    EXPECT_EQ(g.GetLeastInvert("0;2;", "1;", pipes), 99.5);
    EXPECT_EQ(g.GetLeastInvert("2.5;", "", pipes), 100.5);  // halves to even
    EXPECT_EQ(ErrorOf([&] { g.GetLeastInvert("", "4;", pipes); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(g.GetMaxRise("3;", pipes), 0);
    EXPECT_EQ(g.GetMaxRise("0;2;3;", pipes), 0.6);

    // The indices are the subscripts of the host's array, whatever its lower bound.
    auto late = std::make_shared<fluvanet::General>();
    com::SafeArray oneToThree = com::SafeArray::Records<ShpPipe>(0);
    oneToThree.ReDim({com::ArrayBound{1, 3}});
    for (int32_t i = 1; i <= 3; ++i) oneToThree.RecordAt<ShpPipe>(i) = pipes[static_cast<std::size_t>(i - 1)];
    auto call = [&](const char* name, auto... lists) {
        return vb::CallByName(late, name, com::CallType::Method, Variant(lists)..., Variant(oneToThree));
    };
    EXPECT_EQ(call("GetLeastInvert", "1;", ""), Variant(101.0));
    EXPECT_EQ(call("GetLeastInvert", "", "2;"), Variant(99.5));
    EXPECT_EQ(call("GetMaxRise", "3;"), Variant(0.6));
    for (const char* outside : {"0;", "4;"}) {
        EXPECT_EQ(ErrorOf([&] { call("GetLeastInvert", outside, ""); }), ErrorCode::SubscriptOutOfRange) << outside;
        EXPECT_EQ(ErrorOf([&] { call("GetMaxRise", outside); }), ErrorCode::SubscriptOutOfRange) << outside;
    }

    auto grid = std::make_shared<host::Grid>(Texts{"Name", "Span"},
                                             Rows{{Variant("PVC"), Variant(200.5)}, {Variant("PE"), Variant(110)}});
    grid->DataSet()->Next();  // reading starts at the first record wherever the grid stands
    com::SafeArray want = com::SafeArray::Matrix(com::VarType::String, 2, 2);
    const Texts cells{"PVC", "200.5", "PE", "110"};
    for (int k = 0; k < 4; ++k) want.Put(k / 2, k % 2, Variant(cells[static_cast<std::size_t>(k)]));
    EXPECT_EQ(g.GetDataFromGrid(Variant(grid)), Variant(want));
    auto withNull = std::make_shared<host::Grid>(Texts{"Name"}, Rows{{Variant(com::Null)}});
    EXPECT_EQ(ErrorOf([&] { g.GetDataFromGrid(Variant(withNull)); }), ErrorCode::InvalidUseOfNull);
    auto empty = std::make_shared<host::Grid>(Texts{"Name"}, Rows{});
    EXPECT_EQ(ErrorOf([&] { g.GetDataFromGrid(Variant(empty)); }), ErrorCode::SubscriptOutOfRange);
}

TEST(TextUtilities, LateBoundArgumentsAreUpdatedInPlace) {
    auto g = std::make_shared<fluvanet::General>();
    for (const char* name : {"ReadTextDataFromString", "GetDelimiter", "SplitTextByDelimiterName", "CleanExtraSpaces",
                             "CleanCote", "CheckTextForBannedCharacters", "BubbleSort", "GetLeastInvert", "GetMaxRise",
                             "CleanNumericString", "GetDataFromGrid", "BuildSlopeString", "NumericSort"})
        EXPECT_TRUE(g->Supports(name)) << name;
    Variant text("\"1,5\"");
    EXPECT_EQ(vb::CallByName(g, "CleanNumericString", com::CallType::Method, text), Variant(15.0));
    EXPECT_EQ(text, Variant("15"));
}

}  // namespace
