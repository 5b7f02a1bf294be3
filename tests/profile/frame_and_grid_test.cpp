// Setting up a profile part: layers, datum, band label column, text widths, frame and grid.

#include "tests/profile/profile_drawing.h"

namespace {

using namespace profile_testing;

using Frame = ProfileDrawing;

TEST_F(Frame, LayersGetTheirColourOnEveryDraw) {
    Layer("Profile - Pipe")->SetTrueColor(std::make_shared<acad::AcadAcCmColor>(30));
    Layer("Profile - Pipe")->SetLock(true);
    profile.CreateProfileLayers(*doc);
    EXPECT_EQ(Layer("Profile - Pipe")->TrueColor()->ColorIndex(), 6);
    EXPECT_TRUE(Layer("Profile - Pipe")->Lock());
    std::vector<std::string> layers;
    for (int32_t i = 0; i < doc->Layers()->Count(); ++i) {
        auto layer = doc->Layers()->Item(Variant(i));
        if (layer->Name().rfind("Profile - ", 0) == 0)
            layers.push_back(layer->Name() + " " + std::to_string(layer->TrueColor()->ColorIndex()));
    }
    EXPECT_THAT(layers, ElementsAre("Profile - Label 4", "Profile - Data 2", "Profile - Dimension 1",
                                    "Profile - Frame 4", "Profile - Ground 3", "Profile - Pipe 6",
                                    "Profile - Manhole 4", "Profile - Grid 9", "Profile - Plan Title 4",
                                    "Profile - Plan Stations 3"));
}

TEST_F(Frame, DatumLiesWholeUnitsBelowTheLowestSump) {
    EXPECT_EQ(profile.GetDatumElevation(true, 0, "", "Metric"), 999999998);
    EXPECT_EQ(profile.GetDatumElevation(true, 0, "", "US"), 999999994);
    EXPECT_EQ(profile.GetDatumElevation(true, 0, ";101.37;100.52", "Metric"), 98);
    EXPECT_EQ(profile.GetDatumElevation(true, 0, ";101.37;100.52", "US"), 94);
    EXPECT_EQ(profile.GetDatumElevation(true, 0, ";102.0", "Metric"), 100);
    EXPECT_EQ(profile.GetDatumElevation(false, 45.25, "", "Metric"), 45.25);
}

TEST_F(Frame, TextWidthUsesTheNamedStyleOrElseTheActiveOne) {
    doc->TextStyles()->Add("Wide")->SetWidth(2);
    const int32_t before = doc->ModelSpace()->Count();
    EXPECT_EQ(profile.GetTextLengthOnDrawing(*doc, "ABC", "Standard", 2), 6);
    EXPECT_EQ(profile.GetTextLengthOnDrawing(*doc, "ABC", "Wide", 2), 12);
    doc->SetActiveTextStyle(doc->TextStyles()->Item(Variant("Wide")));
    EXPECT_EQ(profile.GetTextLengthOnDrawing(*doc, "ABC", "Missing", 2), 12);
    EXPECT_EQ(profile.GetTextLengthOnDrawing(*doc, "ABC", "standard", 2), 12);  // names compare exactly
    // A locked active layer is unlocked for the probe and locked again.
    doc->ActiveLayer()->SetLock(true);
    EXPECT_EQ(profile.GetTextLengthOnDrawing(*doc, "ABC", "Standard", 1), 3);
    EXPECT_TRUE(doc->ActiveLayer()->Lock());
    EXPECT_EQ(ErrorOf([&] { profile.GetTextLengthOnDrawing(*doc, "ABC", "Standard", 0); }), ErrorCode::InvalidInput);
    EXPECT_TRUE(doc->ActiveLayer()->Lock());
    EXPECT_EQ(doc->ModelSpace()->Count(), before);
}

TEST_F(Frame, BandLabelColumnMeasuresTheBandsThatAreOn) {
    // The widest labels on, "Material" and "Stations", are 8 heights of 2.5; "Coordinates" is off.
    EXPECT_EQ(profile.GetBandLabelsPartLength(*doc, Settings()), 5 + 20);
    std::map<int, std::string> off;
    for (int band = 10; band <= 19; ++band) off[band] = "999;A much longer label";
    EXPECT_EQ(profile.GetBandLabelsPartLength(*doc, Settings(off)), 5);
    EXPECT_EQ(profile.GetBandLabelsPartLength(*doc, Settings({{5, "Missing;1;2.5;5"}, {19, "10;Coordinates"}})),
              5 + 27.5);
    EXPECT_EQ(ErrorOf([&] { profile.GetBandLabelsPartLength(*doc, Settings({{5, "Standard;1;x;5"}})); }),
              ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { profile.GetBandLabelsPartLength(*doc, Settings({{5, "Standard;1;2.5"}})); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { profile.GetBandLabelsPartLength(*doc, Settings({{12, ""}})); }),
              ErrorCode::SubscriptOutOfRange);
}

TEST_F(Frame, PlotAreaReachesTheRoundedHighestGround) {
    std::vector<std::string> record(22);
    record[2] = ";20;30.5";
    record[13] = ";0;101;20;103;50.5;102";
    auto size = profile.DrawPlotAreaFrame(*block, ref, record, Settings(), 100, 10);
    EXPECT_THAT(size, Near({100.5, (3.75 + 3) * 10}));
    ASSERT_EQ(Drawn<acad::AcadLWPolyline>("Profile - Frame").size(), 1u);
    EXPECT_THAT(Polylines()[0], Near({75, 50, 75, 117.5, 175.5, 117.5, 175.5, 50}));
    EXPECT_TRUE(Drawn<acad::AcadLWPolyline>()[0]->Closed());

    record[13] = ";0;101;50.5;103.2";
    EXPECT_THAT(profile.DrawPlotAreaFrame(*block, ref, record, Settings(), 100, 10), Near({100.5, 77.5}));
    EXPECT_EQ(ErrorOf([&] { profile.DrawPlotAreaFrame(*block, ref, record, Settings(), 100, 0); }),
              ErrorCode::DivisionByZero);
    EXPECT_EQ(ErrorOf([&] { profile.DrawPlotAreaFrame(*block, ref, record, Settings(), 100, -10); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(block->Count(), 2);
    // Through the late-bound table, the record as the parts builder hands it over.
    Variant frame = vb::CallByName(std::make_shared<fluvanet::Profile>(), "DrawPlotAreaFrame", com::CallType::Method, block,
                                   Variant(com::SafeArray::FromDoubles(ref)),
                                   Variant(com::SafeArray::FromStrings(record)), Settings(), 100.0, 10.0);
    EXPECT_THAT(frame.Array().ToDoubles(), Near({100.5, 77.5}));
}

class Grid : public ProfileDrawing {
protected:
    // Labels height 2.5, exaggeration 10, datum 100; the part's length L - 50.
    void Draw(const std::string& levels, const std::string& stations, double start = 0, double length = 150,
              double height = 97.5, const std::string& text = "Standard;1;2.5;5", double v = 10) {
        profile.DrawProfileGrid(*doc, *block, ref, levels, stations, "9;Stations;2;0;2;20;0", text, length, height,
                                v, 100, start);
    }
};

TEST_F(Grid, LevelLinesWithLabelsAndTicksOnBothSides) {
    Draw("1;1;1;1", "0;0;20");
    std::vector<std::vector<double>> lines = Lines("Profile - Grid");
    ASSERT_EQ(lines.size(), 6u);
    for (int i = 1; i <= 6; ++i) EXPECT_THAT(lines[i - 1], Near({75, 50.0 + 10 * i, 225, 50.0 + 10 * i}));
    std::vector<std::string> texts = Texts("Profile - Label");
    ASSERT_EQ(texts.size(), 12u);
    EXPECT_EQ(texts[0], "101.0 (71.25, 60) 11 Profile - Label");
    EXPECT_EQ(texts[6], "101.0 (228.75, 60) 9 Profile - Label");
    EXPECT_EQ(texts[11], "106.0 (228.75, 110) 9 Profile - Label");
    lines = Lines("Profile - Frame");
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_THAT(lines[0], Near({72.5, 60, 75, 60}));
    EXPECT_THAT(lines[6], Near({227.5, 60, 225, 60}));
    EXPECT_EQ(doc->ActiveLayer()->Name(), "Profile - Frame");

    block->Delete();
    block = doc->Blocks()->Add({0, 0, 0}, "Other");
    Draw("1;0;0;2", "0;0;20");
    EXPECT_EQ(Lines().size(), 3u);
    profile.DrawProfileGrid(*doc, *block, ref, "0;1;0;1", "0;0;20", "", "Standard;1;2.5;5", 150, 20, 1, 99.87654, 0);
    EXPECT_EQ(Texts()[0], "100.877 (71.25, 51) 11 Profile - Label");
}

TEST_F(Grid, StationLinesStartAtTheFirstMultipleOfTheSpacing) {
    Draw("0;0;0;1", "1;1;20");
    std::vector<std::vector<double>> lines = Lines("Profile - Grid");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_THAT(lines[0], Near({100, 147.5, 100, 50}));
    EXPECT_THAT(lines[5], Near({200, 147.5, 200, 50}));
    EXPECT_EQ(Texts()[0], "0+000 (100, 151.25) 1 Profile - Label");
    EXPECT_THAT(Lines("Profile - Frame")[0], Near({100, 150, 100, 147.5}));

    auto labels = [&](double start, double length, const std::string& stations) {
        for (const auto& e : std::vector(block->Entities())) e->Delete();
        Draw("0;0;0;1", stations, start, length);
        return Texts();
    };
    EXPECT_THAT(labels(250.5, 150, "1;1;20"), ElementsAre("0+260 (109.5, 151.25) 1 Profile - Label",
                                                          testing::_, testing::_, testing::_,
                                                          "0+340 (189.5, 151.25) 1 Profile - Label"));
    EXPECT_THAT(labels(250.5, 55, "1;1;20"), IsEmpty());
    EXPECT_THAT(labels(250.5, 59.5, "1;1;20"), ElementsAre("0+260 (109.5, 151.25) 1 Profile - Label"));
    // A start that is a multiple up to floating error has its line at the part start.
    EXPECT_EQ(labels(60 + 1e-12, 60, "1;1;20")[0], "0+060 (100, 151.25) 1 Profile - Label");
    EXPECT_THAT(labels(0, 75, "1;1;12.5"), ElementsAre("0+000.00 (100, 151.25) 1 Profile - Label",
                                                       "0+012.50 (112.5, 151.25) 1 Profile - Label",
                                                       "0+025.00 (125, 151.25) 1 Profile - Label"));
}

TEST_F(Grid, BadCountsRaiseBeforeAnythingIsDrawn) {
    LockAndFreeze("Profile - Grid");
    EXPECT_EQ(ErrorOf([&] { Draw("1;1;1;1", "1;1;0"); }), ErrorCode::DivisionByZero);
    EXPECT_EQ(ErrorOf([&] { Draw("1;1;1;0", "1;1;20"); }), ErrorCode::DivisionByZero);
    EXPECT_EQ(ErrorOf([&] { Draw("1;1;1;1", "1;1;20", 0, 150, 97.5, "Standard;1;2.5;5", 0); }),
              ErrorCode::DivisionByZero);
    EXPECT_EQ(ErrorOf([&] { Draw("1;1;1;1", "1;1;20", 0, 150, 97.5, "Standard;1;2.5;5", -1); }),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { Draw("1;1;1;0.0001", "1;1;20"); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([&] { Draw("1;1;1;1", "1;1;0.001"); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([&] { Draw("1;1;1;1", "1;1;20", 0, 150, 97.5, "Standard;1;2.5"); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(block->Count(), 0);
    EXPECT_TRUE(Layer("Profile - Grid")->Lock() && Layer("Profile - Grid")->Freeze());

    // A labels height of 0 fails at the first label, after the level lines.
    EXPECT_EQ(ErrorOf([&] { Draw("1;1;0;1", "0;0;20", 0, 150, 97.5, "Standard;1;0;5"); }), ErrorCode::InvalidInput);
    EXPECT_EQ(Lines("Profile - Grid").size(), 9u);
    EXPECT_TRUE(Layer("Profile - Grid")->Lock() && Layer("Profile - Grid")->Freeze());
}

TEST_F(Grid, StationPatterns) {
    EXPECT_EQ(profile.GetStationFormatString("0", "2", "2"), "0+000.00");
    EXPECT_EQ(profile.GetStationFormatString("1", "1", "0"), "0+0.00");
    EXPECT_EQ(profile.GetStationFormatString("0", "0", "5"), "0");
    EXPECT_EQ(profile.GetStationFormatString("3", "3", "1"), "0+0");
    EXPECT_EQ(vb::Format(1234.5, profile.GetStationFormatString("1.5", "0.5", "1")), "12+34.50");
}

}  // namespace
