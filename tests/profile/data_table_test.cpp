// The data table under a profile part: which bands, in which order, and the frame, datum
// label and title that close it.

#include <algorithm>
#include <map>

#include "tests/profile/profile_drawing.h"

namespace {

using namespace profile_testing;

const std::string kData = "Profile - Data";
const std::string kLabel = "Profile - Label";
const std::string kDimension = "Profile - Dimension";
const std::string kFrame = "Profile - Frame";

// A label text, left aligned or centred (the title) or right aligned (the datum).
std::string Label(const std::string& text, double x, double y, int alignment = 0) {
    return text + " (" + Number(x) + ", " + Number(y) + ") " + std::to_string(alignment) + " " + kLabel;
}

// Texts 1 high, titles 2; band n is labelled "Bn" and off unless given a position.
std::map<int, std::string> Bands(const std::map<int, std::string>& positions) {
    std::map<int, std::string> settings{{5, "Standard;1;1;2"}};
    for (int band = 10; band <= 19; ++band) {
        static const std::map<int, std::string> items{{10, "0;0"}, {11, "0;0;2;0;0"}, {12, "0;2;0"}, {13, "0;0"},
                                                      {18, "2;0;0;20;0"}, {19, "2;0;0;0"}};
        auto p = positions.find(band);
        auto i = items.find(band);
        settings[band] = (p == positions.end() ? "999" : p->second) + ";B" + std::to_string(band) + ";" +
                         (i == items.end() ? "2;0" : i->second);
    }
    return settings;
}

// Two pipes of 30 and 40.
std::vector<std::string> TwoPipes() {
    std::vector<std::string> r(22);
    r[2] = ";30;40";
    r[3] = ";11;10.5;10.4;10.2";
    r[4] = ";0;200;200;1;0;300;300;1";
    r[5] = ";0.0125;0.0075";
    r[6] = ";PVC;PE";
    r[8] = ";13;13.5;14";
    r[11] = ";2;3;3.1;3.8";
    r[12] = ";1.8;2.8;2.9;3.5";
    r[15] = ";0;0;30;30;70;70";
    r[16] = ";0;1000;2000;70;1070;2000";
    return r;
}

class DataTable : public ProfileDrawing {
protected:
    // Reference point (100, 200), label column 20, datum 9, plot area 90.
    void Draw(const std::map<int, std::string>& settings, const std::vector<std::string>& record = TwoPipes()) {
        block = doc->Blocks()->Add({0, 0, 0}, "Table " + std::to_string(++tables));
        profile.DrawProfileTable(*doc, *block, {100, 200}, record, Settings(settings), 20, 9, 90, "Main", 0, 1);
    }
    // The band labels, top band first: left texts in the label column.
    std::vector<std::string> BandLabels() const {
        std::vector<std::string> labels;
        for (const auto& t : Drawn<acad::AcadText>(kLabel))
            if (t->Alignment() == 0) labels.push_back(t->TextString());
        return labels;
    }
    int tables = 0;
};

TEST_F(DataTable, BandsGoInAscendingPositionsAndATieDropsTheHigherEntry) {
    Draw(Bands({}));
    EXPECT_EQ(block->Count(), 0);
    Draw(Bands({{10, "3"}, {11, "1"}, {12, "2"}}));
    EXPECT_THAT(BandLabels(), ElementsAre("B11", "B12", "B10"));
    Draw(Bands({{12, "2"}, {15, "2"}}));
    EXPECT_THAT(BandLabels(), ElementsAre("B12"));
    EXPECT_EQ(Texts(kData).size(), 2u);
    Draw(Bands({{10, "5"}, {13, "-3"}}));
    EXPECT_THAT(BandLabels(), ElementsAre("B13", "B10"));
}

TEST_F(DataTable, PositionsAreTakenAsWholeNumbersAndEachBandAtMostOnce) {
    // 998.7 rounds to 999 and 1000 is beyond it: both off, as is -999.
    Draw(Bands({{10, "2.4"}, {11, "998.7"}, {12, "-999"}, {13, "1000"}, {14, "7"}}));
    EXPECT_THAT(BandLabels(), ElementsAre("B10", "B14"));
    // 2.2 rounds onto the 2 of the band chosen before it: a tie.
    Draw(Bands({{10, "2.4"}, {11, "2.2"}, {12, "2.6"}}));
    EXPECT_THAT(BandLabels(), ElementsAre("B10", "B12"));
}

TEST_F(DataTable, BandsStackDownwardsAndTheLastClosesTheFrame) {
    std::vector<std::string> record = TwoPipes();
    record[17] = ";15;10.75;30;10.5";
    Draw(Bands({{12, "1"}, {15, "2"}}), record);
    // Length band 3 high from 200, invert band 2t + the width of "10.20" = 7 from 197.
    EXPECT_THAT(Texts(kLabel), ElementsAre(Label("B12", 71, 198), Label("B15", 71, 193),
                                           Label("DATUM  9.00", 88, 200.5, 2), Label("%%uMain", 135, 186, 1)));
    // The value at station 15 stands at the invert band's top; the one on the node is left out.
    std::vector<std::string> data;
    for (const auto& t : Drawn<acad::AcadText>(kData))
        data.push_back(t->TextString() + " " + Number(t->TextAlignmentPoint()[0]) + " " + Number(t->TextAlignmentPoint()[1]));
    EXPECT_THAT(data, ElementsAre("30.00 115 198", "40.00 150 198", "10.75 115 195.75", "11.00 100 195.75",
                                  "10.50 129 195.75", "10.40 131 195.75", "10.20 170 195.75"));
    EXPECT_THAT(Lines(kDimension), testing::Contains(Near({70, 197, 180, 197})));
    EXPECT_THAT(Lines(kFrame), ElementsAre(Near({70, 190, 180, 190}), Near({70, 200, 90, 200}), Near({70, 200, 70, 190}),
                                           Near({90, 200, 90, 190}), Near({180, 200, 180, 190})));
}

TEST_F(DataTable, TheDatumLabelAndTitle) {
    profile.CompleteProfileFrame(*block, {100, 200}, {100, 180}, 20, 101.5, 80, 1, "NoSuchStyle", "Main", 0, 1, 2);
    EXPECT_THAT(Lines(kFrame), ElementsAre(Near({70, 200, 90, 200}), Near({70, 200, 70, 180}), Near({90, 200, 90, 180}),
                                           Near({170, 200, 170, 180})));
    EXPECT_THAT(Texts(), ElementsAre(Label("DATUM  101.50", 88, 200.5, 2), Label("%%uMain", 130, 176, 1)));
    auto texts = Drawn<acad::AcadText>(kLabel);
    EXPECT_EQ(texts[0]->Height(), 1);
    EXPECT_EQ(texts[1]->Height(), 2);

    const std::map<double, std::string> datums{{99.125, "DATUM  99.125"}, {45.0006, "DATUM  45.001"}, {45, "DATUM  45.00"}};
    for (const auto& [level, text] : datums) {
        block = doc->Blocks()->Add({0, 0, 0}, text);
        profile.CompleteProfileFrame(*block, {100, 200}, {100, 180}, 20, level, 80, 1, "", "Main", 1, 2, 2);
        EXPECT_THAT(Texts(), ElementsAre(Label(text, 88, 200.5, 2), Label("%%uMain  (Part 2/2)", 130, 176, 1)));
    }
}

TEST_F(DataTable, MalformedSettingsAndRecordsRaiseBeforeDrawing) {
    auto settings = Bands({{12, "1"}});
    settings[5] = "Standard;1;1";
    EXPECT_EQ(ErrorOf([&] { Draw(settings); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(block->Count(), 0);
    settings = Bands({{12, "1"}});
    settings[13] = "";
    EXPECT_EQ(ErrorOf([&] { Draw(settings); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(block->Count(), 0);
    std::vector<std::string> shortRecord = TwoPipes();
    shortRecord.pop_back();
    EXPECT_EQ(ErrorOf([&] { Draw(Bands({{12, "1"}}), shortRecord); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(block->Count(), 0);
}

TEST_F(DataTable, TextsShiftAwayFromNearbyNodeStations) {
    const std::vector<double> nodes{0, 20, 45};
    auto shift = [&](double d, bool exact) { return profile.GetDataTextShift(d, nodes, 1.5, exact, 1); };
    EXPECT_NEAR(shift(19.5, false), -0.7, 1e-12);
    EXPECT_NEAR(shift(20.4, false), 0.8, 1e-12);
    EXPECT_EQ(shift(20, false), 999);
    EXPECT_EQ(shift(20, true), 0);
    EXPECT_EQ(shift(10, false), 0);
    EXPECT_EQ(profile.GetDataTextShift(20, {}, 1.5, false, 1), 0);
    // The first node station ahead of the text is the last one examined.
    EXPECT_NEAR(profile.GetDataTextShift(0.9, {0, 1, 2}, 1.5, false, 1), -1.1, 1e-12);

    EXPECT_THAT(profile.GetProhibitedDistancesArray({"", "20", "25"}), ElementsAre(0, 20, 45));
    EXPECT_THAT(profile.GetProhibitedDistancesArray({}), IsEmpty());
    EXPECT_EQ(profile.GetLongestTextLength(*doc, "ab", "abcd", "", "abc", "Standard", 2), 8);
}

TEST_F(DataTable, ARecordOfTheLibraryFillsEveryBand) {
    NetworkBuilder net(*doc, "Main");
    auto chain = net.AddChain({{0, 0}, {30, 0}, {70, 0}});
    chain.pipes[0].SetInverts(11, 10.5);
    chain.pipes[1].SetInverts(10.4, 10.2);
    for (const TestNode& node : chain.nodes) node.SetGround(13).SetSump(10);
    Variant style = Settings({{5, "Standard;1;1;2"}, {19, "10;Coordinates;2;0;1;0"}});
    Variant parts =
        profile.GetProfilePartsDataArrays(*doc, nullptr, "Main", style, ProfilePipeLists(chain.pipes), false, "");
    std::vector<std::string> record = parts.Array().ToVariants()[0].Array().ToStrings();

    profile.DrawProfileTable(*doc, *block, {100, 200}, record, style, 20, 8, 90, "Main", 0, 1);
    EXPECT_THAT(BandLabels(), ElementsAre("Size", "Slope", "Length", "Material", "Band", "Band", "Band", "Band",
                                          "Stations", "Coordinates"));
    std::vector<std::string> written;
    for (const auto& t : Drawn<acad::AcadText>(kData)) written.push_back(t->TextString());
    for (const char* text : {"0.02", "30.00", "11.00", "10.20", "2.00", "7+0.00", "E 30.00", "E 70.00"})
        EXPECT_EQ(std::count(written.begin(), written.end(), text), 1) << text;
    EXPECT_EQ(Lines(kFrame).size(), 5u);
}

}  // namespace
