// The bands of a profile's data table drawn into a block definition and read back. Band
// top at (100, 50); labels and data texts 1 high, so a text is as wide as it has characters;
// a band label column 10 wide.

#include <cmath>
#include <functional>

#include "tests/profile/profile_drawing.h"

namespace {

using namespace profile_testing;

const std::string kData = "Profile - Data";
const std::string kLabel = "Profile - Label";
const std::string kDimension = "Profile - Dimension";
const std::string kFrame = "Profile - Frame";

// A data text below, upright, at (x, 48.75).
std::string Upright(const std::string& text, double x) { return text + " (" + Number(x) + ", 48.75) 11 " + kData; }
// A data text of a horizontal band, centred at (x, 48).
std::string Centred(const std::string& text, double x) { return text + " (" + Number(x) + ", 48) 1 " + kData; }

class Bands : public ProfileDrawing {
protected:
    std::vector<double> Horizontal(const std::string& settings, const std::string& lengths, const std::string& data,
                                   int16_t band, int16_t after = 0) {
        return profile.DrawHorizontalBand(*block, point, settings, lengths, data, "Standard", 1, 1, 10, band, after);
    }
    std::vector<double> Vertical(const std::string& settings, const std::string& lengths, const std::string& data,
                                 int16_t band, int32_t after = 0) {
        return profile.DrawVerticalBand(*doc, *block, point, settings, lengths, data, "Standard", 1, 1, 10, band,
                                        Variant(after));
    }
    Variant Distances(const std::string& settings, const std::string& lengths, const std::string& data, int16_t band,
                      int16_t withLabel = 1) {
        return profile.DrawDistanceDataBand(*doc, *block, point, settings, lengths, data, "Standard", 1, 1, 10, band,
                                            withLabel, 0);
    }
    void Afresh() {
        block = doc->Blocks()->Add({0, 0, 0}, "Band " + std::to_string(++blocks));
        point = {100, 50};
    }
    // Vertical lines down from the band top, x and length each.
    std::vector<std::vector<double>> Ticks() const {
        std::vector<std::vector<double>> ticks;
        for (const auto& l : Lines(kDimension))
            if (l[0] == l[2]) ticks.push_back({l[0], l[1] - l[3]});
        return ticks;
    }

    std::vector<double> point{100, 50};
    int blocks = 0;
};

TEST_F(Bands, SizeBandMergesEqualNeighboursAndDropsTheDiameterCode) {
    auto next = Horizontal("1;Size;0;1", ";10;20;30", ";0;200;200;1;0;200;200;1;0;300;300;1", 10);
    // 3h high: texts half a data height below the band's middle line.
    EXPECT_THAT(Texts(), ElementsAre("Size (81, 48) 0 " + kLabel, Centred("200", 115), Centred("300", 145)));
    EXPECT_EQ(Drawn<acad::AcadText>(kData)[0]->Height(), 1);
    EXPECT_THAT(Lines(kDimension), ElementsAre(Near({100, 50, 100, 47}), Near({130, 50, 130, 47}),
                                               Near({160, 50, 160, 47})));
    EXPECT_THAT(Lines(kFrame), ElementsAre(Near({80, 47, 170, 47})));
    EXPECT_THAT(next, ElementsAre(100, 47));
    EXPECT_THAT(point, ElementsAre(100, 47));

    Afresh();
    Horizontal("1;Size;0;0", ";10;20;30", ";0;200;200;1;0;200;200;1;1;300;200;2", 10, 1);
    EXPECT_THAT(Texts(kData), ElementsAre(Centred("200", 105), Centred("200", 120), Centred("2 (300X200)", 145)));
    EXPECT_THAT(Lines(kDimension).back(), Near({80, 47, 170, 47}));
}

TEST_F(Bands, MergingComparesTheWrittenTextsButNeverMergesLengths) {
    Horizontal("1;Slope;0;1;2;0;1", ";10;20;30", ";0.0125;0.01251;0.02", 11);
    EXPECT_THAT(Texts(kData), ElementsAre(Centred("1.25%", 115), Centred("2.00%", 145)));
    Afresh();
    Horizontal("1;Material;0;1", ";10;20;30", ";PVC;PVC;PE", 13);
    EXPECT_THAT(Texts(kData), ElementsAre(Centred("PVC", 115), Centred("PE", 145)));
    // Item 3 of the length band is its precision, not a merge flag.
    Afresh();
    Horizontal("1;Length;0;1;0", ";10;10;20", ";10;10;20", 12);
    EXPECT_THAT(Texts(kData), ElementsAre(Centred("10.0", 105), Centred("10.0", 115), Centred("20.0", 130)));
}

TEST_F(Bands, AnArrowNeedsThreeTextHeightsAndTheTextsWidth) {
    auto text = block->AddText("AB", {0, 0, 0}, 1);
    profile.AddBandArrow(*block, 10, 14.999, 20, 3, *text);
    EXPECT_EQ(block->Count(), 1);

    profile.AddBandArrow(*block, 10, 15, 20, 3, *text);
    EXPECT_THAT(Lines(kDimension), ElementsAre(Near({10, 18.5, 10.5, 18.5}), Near({15, 18.5, 14.5, 18.5})));
    EXPECT_THAT(Polylines(kDimension), ElementsAre(Near({10, 18.5, 11, 18.5}), Near({15, 18.5, 14, 18.5})));
    for (const auto& head : Drawn<acad::AcadLWPolyline>()) {
        double start = -1, end = -1;
        head->GetWidth(0, start, end);
        EXPECT_EQ(start, 0);
        EXPECT_EQ(end, 0.5);
    }

    // In a band: "200" fits a cell of 6 exactly, "300" not one of 5.5.
    Afresh();
    Horizontal("1;Size;1;0", ";6;5.5", ";0;200;200;1;0;300;300;1", 10, 1);
    EXPECT_THAT(Polylines(), ElementsAre(Near({100, 48.5, 101, 48.5}), Near({106, 48.5, 105, 48.5})));
}

TEST_F(Bands, InvertsAtANodeAreWrittenOnceWhenEqualAndEitherSideWhenNot) {
    // 2t + the width of the last value, 10.20: 7 high.
    auto next = Vertical("2;Invert;2;0", ";30;40", ";11;10.5;10.5;10.2", 15);
    EXPECT_THAT(Texts(kData), ElementsAre(Upright("11.00", 100), Upright("10.50", 130), Upright("10.20", 170)));
    for (const auto& t : Drawn<acad::AcadText>(kData)) EXPECT_DOUBLE_EQ(t->Rotation(), 282.74333886 / 180);
    EXPECT_THAT(Ticks(), ElementsAre(Near({100, 0.75}), Near({130, 0.75}), Near({170, 0.75})));
    EXPECT_THAT(Texts(kLabel), ElementsAre("Invert (81, 46) 0 " + kLabel));
    EXPECT_THAT(Lines(kFrame), ElementsAre(Near({80, 43, 180, 43})));
    EXPECT_THAT(next, ElementsAre(100, 43));

    Afresh();
    Vertical("2;Invert;2;0", ";30;40", ";11;10.5;10.4;10.2", 15, 2);
    EXPECT_THAT(Texts(kData), ElementsAre(Upright("11.00", 100), Upright("10.50", 129), Upright("10.40", 131),
                                          Upright("10.20", 170)));
    EXPECT_THAT(Ticks(), ElementsAre(Near({100, 0.75}), Near({130, 7}), Near({170, 0.75})));
    EXPECT_THAT(Lines(kDimension).back(), Near({80, 43, 180, 43}));
}

TEST_F(Bands, AGroundBandHasOneValuePerNode) {
    Vertical("1;Ground;1;0", ";10;20;30", ";100;101;102;103.25", 14);
    EXPECT_THAT(Texts(kData), ElementsAre(Upright("100.0", 100), Upright("101.0", 110), Upright("102.0", 130),
                                          Upright("103.2", 160)));
    EXPECT_EQ(Ticks().size(), 4u);
    EXPECT_THAT(Lines(kFrame), ElementsAre(Near({80, 43, 170, 43})));
}

TEST_F(Bands, MalformedBandInputRaises) {
    // A vertical band's height comes from its last value.
    EXPECT_EQ(ErrorOf([&] { Vertical("2;Invert;2;0", ";30;40", "", 15); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { Vertical("", ";30;40", ";11;10.5", 15); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { Horizontal("", ";30", ";PVC", 13); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { Distances("", ";30", ";1;2", 18); }), ErrorCode::SubscriptOutOfRange);
    // Broken groups are refused before the first one is drawn.
    EXPECT_EQ(ErrorOf([&] { Horizontal("1;Size;0;0", ";30;40", ";0;200;200;1;0;300", 10); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { Vertical("2;Invert;2;0", ";30;40", ";11;10.5;10.4", 15); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { Distances("1;Coords;2;0;1;0", ";30", ";1;2", 19); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { Horizontal("1;Band;2;0", ";30", ";1", 14); }), ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { Vertical("1;Band;2;0", ";30", ";1", 13); }), ErrorCode::InvalidProcedureCall);
    point = {100};
    EXPECT_EQ(ErrorOf([&] { Horizontal("1;Size;0;0", ";30", "", 10); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(block->Count(), 0);

    // Places and sizes that are no number, given to the drawing helpers of a profile.
    point = {100, 50};
    auto middle = doc->Blocks()->Add({0, 0, 0}, "Scratch")->AddText("PVC", {50, 48, 0}, 1);
    const std::size_t blocksBefore = static_cast<std::size_t>(doc->Blocks()->Count());
    for (double bad : {std::nan(""), HUGE_VAL}) {
        std::vector<double> nowhere{100, bad};
        const std::vector<std::function<void()>> calls{
            [&] { profile.AddBandTick(*block, bad, 10, 2); },
            [&] { profile.AddBandArrow(*block, 0, 100, 50, bad, *middle); },
            [&] { profile.DrawHorizontalBand(*block, nowhere, "1;Material;0;0", "", "", "Standard", 1, 1, 10, 13, 0); },
            [&] { profile.DrawHorizontalBand(*block, point, "1;Material;0;0", "", "", "Standard", bad, 1, 10, 13, 0); },
            [&] { profile.DrawGroundLine(*block, ref, ";0;100;30;101", bad, 10); },
            [&] { profile.DrawPipeSectionOnProfile(*block, {100, 50}, 0, 1, bad, 1, 10); },
            [&] { profile.CompleteProfileFrame(*block, ref, {100, 0}, 10, 95, 100, 1, "Standard", "L", 0, 1, bad); },
            [&] { profile.WritePlanStation({0, 0, 100, 0}, bad, *block, "0+000", 1, 0); },
            [&] { profile.WritePlanName({0, 0, 100, 0}, 50, *block, "P", 1, bad); },
            [&] { profile.DrawPlanStations(*block, ";0;0", "Standard", 1, "9;Stations;0;0;0", {0, bad, 100, 0}, 0); },
            [&] {
                profile.CreateProfileBlock(*doc, "N", "Main", "Gravity", Variant(com::SafeArray::FromDoubles({bad, 0, 0})),
                                           Variant(), Settings(), true, 0);
            },
            [&] {
                profile.CreateProfileBlock(*doc, "N", "Main", "Gravity", Variant(com::SafeArray::FromDoubles({0, 0, 0})),
                                           Variant(), Settings(), false, bad);
            },
        };
        for (std::size_t k = 0; k < calls.size(); ++k) {
            EXPECT_EQ(ErrorOf(calls[k]), ErrorCode::InvalidProcedureCall) << k;
            EXPECT_EQ(block->Count(), 0) << k;
            EXPECT_EQ(static_cast<std::size_t>(doc->Blocks()->Count()), blocksBefore) << k;
        }
    }

    // Without band data a horizontal band is its label and two lines.
    Afresh();
    Horizontal("1;Material;0;0", "", "", 13);
    EXPECT_THAT(Texts(), ElementsAre("Material (81, 48) 0 " + kLabel));
    EXPECT_THAT(Lines(), ElementsAre(Near({100, 50, 100, 47}), Near({80, 47, 110, 47})));
}

TEST_F(Bands, StationsStandClearOfNodesAndOnThem) {
    // Pattern "0+0.00"; nodes at 0, 20 and 30; 2t + the width of "3+0.00": 8 high.
    Variant next = Distances("9;Stations;2;0;0;20;1", ";20;10", ";0;0;19.5;19.5;30;30", 18);
    EXPECT_THAT(Texts(kData), ElementsAre(Upright("0+0.00", 100), Upright("1+9.50", 118.8), Upright("3+0.00", 130)));
    EXPECT_THAT(Ticks(), ElementsAre(Near({100, 0.75}), Near({119.5, 0.75}), Near({130, 0.75})));
    EXPECT_THAT(Texts(kLabel), ElementsAre("Stations (81, 45.5) 0 " + kLabel));
    EXPECT_THAT(Lines(kFrame), ElementsAre(Near({80, 42, 140, 42})));
    EXPECT_THAT(next.Array().ToDoubles(), ElementsAre(100, 42));
    EXPECT_THAT(point, ElementsAre(100, 42));
}

TEST_F(Bands, ValuesAtRegularStationsGoIntoTheNextBandAndSkipNodeStations) {
    Variant next = Distances("2;Invert;2;0", ";20;10", ";10;10.25;20;10.1;20.5;10.3", 15, 0);
    EXPECT_TRUE(next.IsEmpty());
    EXPECT_THAT(point, ElementsAre(100, 50));
    EXPECT_THAT(Texts(), ElementsAre(Upright("10.25", 110), Upright("10.30", 121.2)));
    EXPECT_THAT(Lines(), ElementsAre(Near({110, 50, 110, 49.25}), Near({120.5, 50, 120.5, 49.25})));

    // Without values nothing is drawn and the point comes back as it was.
    next = Distances("2;Invert;2;0", ";20;10", "", 15, 1);
    EXPECT_THAT(next.Array().ToDoubles(), ElementsAre(100, 50));
    EXPECT_EQ(block->Count(), 4);
}

TEST_F(Bands, CoordinatesKeepClearOfNodesOnlyWhenAskedTo) {
    // 2t + the width of "E 1000.12": 11 high.
    Distances("1;Coords;2;0;1;0", ";20;10", ";22;1000.123;2000.456;19;1010;1990", 19);
    EXPECT_THAT(Texts(kData), ElementsAre(Upright("E 1000.12", 122.8), Upright("N 2000.46", 124.2),
                                          Upright("E 1010.00", 116.8), Upright("N 1990.00", 118.2)));
    EXPECT_THAT(Ticks(), ElementsAre(Near({122, 11}), Near({119, 11})));

    Afresh();
    Distances("1;Coords;2;0;0;0", ";20;10", ";22;1000.123;2000.456", 19);
    EXPECT_THAT(Texts(kData), ElementsAre(Upright("E 1000.12", 121), Upright("N 2000.46", 123)));
}

TEST_F(Bands, TicksAndSeparatorsAreTheSameLine) {
    profile.AddBandTick(*block, 5, 10, 2);
    profile.AddBandSeparator(*block, 5, 10, 2);
    EXPECT_THAT(Lines(kDimension), ElementsAre(Near({5, 10, 5, 8}), Near({5, 10, 5, 8})));
}

TEST_F(Bands, LateBoundCallsLowerTheCallersPoint) {
    auto late = std::make_shared<fluvanet::Profile>();
    Variant blockDef(block), document(doc);
    Variant at(com::SafeArray::FromDoubles({100, 50}));
    Variant result = vb::CallByName(late, "DrawHorizontalBand", com::CallType::Method, blockDef, at, "1;Size;0;0",
                                    ";10", ";0;200;200;1", "Standard", 1.0, 1.0, 10.0, int16_t{10}, int16_t{0});
    EXPECT_THAT(at.Array().ToDoubles(), ElementsAre(100, 47));
    EXPECT_THAT(result.Array().ToDoubles(), ElementsAre(100, 47));

    vb::CallByName(late, "DrawVerticalBand", com::CallType::Method, document, blockDef, at, "2;Invert;2;0", ";10",
                   ";11;10.5", "Standard", 1.0, 1.0, 10.0, int16_t{15}, int32_t{0});
    EXPECT_THAT(at.Array().ToDoubles(), ElementsAre(100, 40));

    result = vb::CallByName(late, "DrawDistanceDataBand", com::CallType::Method, document, blockDef, at,
                            "2;Invert;2;0", ";10", ";5;10.75", "Standard", 1.0, 1.0, 10.0, int16_t{15}, int16_t{0},
                            int16_t{0});
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_THAT(at.Array().ToDoubles(), ElementsAre(100, 40));
}

}  // namespace
