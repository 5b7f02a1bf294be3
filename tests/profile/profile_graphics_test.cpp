// What a profile part shows: node lines and labels, ground line, pipes, manholes, and the
// connected and crossing pipes with their sections, texts and leaders.

#include <cmath>

#include "tests/profile/profile_drawing.h"

namespace {

using namespace profile_testing;

// Datum 90 and exaggeration 10: level z at y = 50 + (z - 90) * 10.
class Graphics : public ProfileDrawing {
protected:
    void Pipes(const std::string& sizes, const std::string& units = "Metric", const std::string& type = "Gravity",
               const std::string& lengths = ";50", const std::string& inverts = ";100;99") {
        profile.DrawPipes(*doc, *block, ref, lengths, inverts, sizes, 90, 10, units, type);
    }
    void Annotate(const std::string& connected, const std::string& crossing, const std::string& shown = "1;1;1;10") {
        std::vector<double> origin{0, 0, 0};
        profile.DrawConnectedAndCrossing(*doc, *block, origin, connected, crossing, Settings({{7, shown}}), 90, 10,
                                         "Metric");
    }
};

TEST_F(Graphics, NodeLinesAndLabelsReadingUpwards) {
    profile.DrawNodeLabels(*doc, *block, ref, ";20;30", ";M1;M2;M3", 60, Settings());
    EXPECT_THAT(Polylines("Profile - Dimension"),
                ElementsAre(Near({100, 50, 100, 110}), Near({120, 50, 120, 110}), Near({150, 50, 150, 110})));
    EXPECT_THAT(Texts(), ElementsAre("M1 (" + Number(100 - 2.5 / 3) + ", 107.5) 2 Profile - Label",
                                     "M2 (" + Number(120 - 2.5 / 3) + ", 107.5) 2 Profile - Label",
                                     "M3 (" + Number(150 - 2.5 / 3) + ", 107.5) 2 Profile - Label"));
    EXPECT_EQ(Drawn<acad::AcadText>()[0]->Rotation(), 1.570796327);
    EXPECT_EQ(Drawn<acad::AcadText>()[0]->Height(), 2.5);

    block->Delete();
    block = doc->Blocks()->Add({0, 0, 0}, "Other");
    profile.DrawNodeLabels(*doc, *block, ref, ";20", ";M1;M2", 60, Settings({{7, "1;1;0;10"}}));
    EXPECT_EQ(Polylines().size(), 2u);
    EXPECT_THAT(Texts(), IsEmpty());
    // A failing label leaves the layers as they were (the active one is never frozen).
    doc->SetActiveLayer(Layer("0"));
    LockAndFreeze("Profile - Dimension");
    Layer("Profile - Label")->SetLock(true);
    EXPECT_EQ(ErrorOf([&] { profile.DrawNodeLabels(*doc, *block, ref, ";20", ";M1;M2", 60,
                                                   Settings({{5, "Standard;1;0;5"}})); }),
              ErrorCode::InvalidInput);
    EXPECT_TRUE(Layer("Profile - Dimension")->Lock() && Layer("Profile - Dimension")->Freeze());
    EXPECT_TRUE(Layer("Profile - Label")->Lock());
}

TEST_F(Graphics, GroundLineThroughItsPoints) {
    profile.DrawGroundLine(*block, ref, ";0;101;20;102.5", 90, 10);
    EXPECT_THAT(Polylines("Profile - Ground"), ElementsAre(Near({100, 160, 120, 175})));
    EXPECT_EQ(ErrorOf([&] { profile.DrawGroundLine(*block, ref, ";0;101;20", 90, 10); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(block->Count(), 1);
}

TEST_F(Graphics, PipesRunBetweenTheManholeWalls) {
    Pipes(";0;300;300;1;1;1000;600;1", "Metric", "Gravity", ";50;20", ";100;99;99;98.8");
    EXPECT_THAT(Polylines("Profile - Pipe"),
                ElementsAre(Near({100.6, 149.88, 149.4, 140.12}), Near({100.6, 152.88, 149.4, 143.12}),
                            Near({150.6, 139.94, 169.4, 138.06}), Near({150.6, 145.94, 169.4, 144.06})));
    EXPECT_EQ(doc->ActiveLayer()->Name(), "Profile - Pipe");
    for (auto& e : std::vector(block->Entities())) e->Delete();

    // Other units: a circular rise in inches, a box rise as stored; no walls out of gravity.
    Pipes(";0;12;12;1", "US");
    Pipes(";1;4;4;1", "US", "Pressure");
    EXPECT_THAT(Polylines(), ElementsAre(Near({102, 149.6, 148, 140.4}), Near({102, 159.6, 148, 150.4}),
                                         Near({100, 150, 150, 140}), Near({100, 190, 150, 180})));
    EXPECT_EQ(ErrorOf([&] { Pipes(";0;12", "US"); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(block->Count(), 4);
    // No length in plan, no slope: between the walls from invert to invert.
    Pipes(";0;300;300;1", "Metric", "Gravity", ";0");
    EXPECT_THAT(Polylines("Profile - Pipe"), testing::IsSupersetOf({Near({100.6, 150, 99.4, 140}),
                                                                    Near({100.6, 153, 99.4, 143})}));
}

TEST_F(Graphics, ManholesFromSumpToGround) {
    LockAndFreeze("Profile - Manhole");
    profile.DrawManholes(*doc, *block, ref, ";50", ";103;102", ";98;97", 90, 10, "Metric");
    profile.DrawManholes(*doc, *block, ref, "", ";103", ";98", 90, 10, "US");
    EXPECT_THAT(Polylines("Profile - Manhole"), ElementsAre(Near({99.4, 130, 99.4, 180, 100.6, 180, 100.6, 130}),
                                                            Near({149.4, 120, 149.4, 170, 150.6, 170, 150.6, 120}),
                                                            Near({98, 130, 98, 180, 102, 180, 102, 130})));
    EXPECT_TRUE(Drawn<acad::AcadLWPolyline>()[1]->Closed());
    EXPECT_TRUE(Layer("Profile - Manhole")->Lock());
}

TEST_F(Graphics, ConnectedAndCrossingPipesWithSectionLeaderAndTexts) {
    Annotate(";10;98.5;0;300;300;1", ";30;97;1;1200;900;2;B");
    EXPECT_THAT(Texts(), ElementsAre(" %%c300 (-3.5, 83.5) 0 Profile - Data", "I.L.= 98.50 (-3.5, 81.5) 0 Profile - Data",
                                     "B 2 (1200X900) (13.5, 68.5) 0 Profile - Data",
                                     "I.L.= 97.00 (13.5, 66.5) 0 Profile - Data"));
    EXPECT_THAT(Polylines("Profile - Dimension"),
                ElementsAre(Near({10, 85, 8, 83, -4, 83}), Near({30, 70, 28, 68, 13, 68})));
    auto circle = Drawn<acad::AcadEllipse>("Profile - Pipe");
    ASSERT_EQ(circle.size(), 1u);
    EXPECT_THAT(Xyz(circle[0]->Center()), Near({10, 86.5, 0}));
    EXPECT_DOUBLE_EQ(circle[0]->RadiusRatio(), 0.1);
    EXPECT_EQ(Polylines("Profile - Pipe").size(), 2u);  // the two box cells

    // The first leader is tested against the all-zero entry at the origin too.
    for (auto& e : std::vector(block->Entities())) e->Delete();
    Annotate(";2;90.2;0;300;300;1", ";5;97;0;300;300;1;B", "0;1;1;10");
    EXPECT_THAT(Polylines("Profile - Dimension"), ElementsAre(Near({2, 2, 4, 0, 16, 0})));

    EXPECT_EQ(ErrorOf([&] { Annotate(";10;98.5;0;300;300;1;7", ""); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { Annotate("", ";30;97;1;1200;900;2"); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(block->Count(), 4);
}

TEST_F(Graphics, SectionsAndTheirSizeTexts) {
    std::vector<double> at{10, 85};
    profile.DrawPipeSectionOnProfile(*block, at, 1, 1.2, 0.9, 2, 10);
    EXPECT_THAT(Polylines("Profile - Pipe"), ElementsAre(Near({8.8, 85, 10, 85, 10, 94, 8.8, 94, 8.8, 85}),
                                                         Near({10, 85, 11.2, 85, 11.2, 94, 10, 94, 10, 85})));
    profile.DrawPipeSectionOnProfile(*block, at, 0, 0.3, 0.3, 2, 2);
    profile.DrawPipeSectionOnProfile(*block, at, 0, 0.3, 0.3, 1, 0.5);
    auto ellipses = Drawn<acad::AcadEllipse>("Profile - Pipe");
    ASSERT_EQ(ellipses.size(), 3u);
    EXPECT_THAT(Xyz(ellipses[0]->Center()), Near({9.85, 85.3, 0}));
    EXPECT_THAT(Xyz(ellipses[1]->Center()), Near({10.15, 85.3, 0}));
    EXPECT_THAT(Xyz(ellipses[1]->MajorAxis()), Near({0, 0.3, 0}));
    EXPECT_DOUBLE_EQ(ellipses[1]->RadiusRatio(), 0.5);
    EXPECT_THAT(Xyz(ellipses[2]->MajorAxis()), Near({0.15, 0, 0}));
    EXPECT_DOUBLE_EQ(ellipses[2]->RadiusRatio(), 0.5);
    EXPECT_EQ(ErrorOf([&] { profile.DrawPipeSectionOnProfile(*block, at, 0, 0.3, 0.3, 1, 0); }),
              ErrorCode::DivisionByZero);

    // One circular cell and several box cells are written in the texts above.
    EXPECT_EQ(profile.GetSectionSizeStringForProfile(1, 1200, 900, 1), "1200X900");
    EXPECT_EQ(profile.GetSectionSizeStringForProfile(0, 0.75, 0.75, 3), "3 %%c0.75");
}

TEST_F(Graphics, LeadersTurnRightThenStepDownAwayFromPlacedOnes) {
    std::vector<double> at{10, 85};
    auto place = [&](const std::vector<double>& placed) {
        return profile.GetProfileCrossingAnnotationLocation(at, placed, 1, 11);
    };
    EXPECT_THAT(place({0, 0, 0, 0}), Near({10, 85, 8, 83, -4, 83}));
    EXPECT_THAT(place({8, 83, -4, 83}), Near({10, 85, 12, 83, 24, 83}));
    EXPECT_THAT(place({8, 83, -4, 83, 12, 83, 24, 83}), Near({10, 85, 12, 79, 24, 79}));
    // Strict comparisons: exactly 4h apart, or an end exactly h/2 beyond the other's reach, is clear.
    EXPECT_THAT(place({8, 87, -4, 87}), Near({10, 85, 8, 83, -4, 83}));
    EXPECT_THAT(place({-4.5, 83, -14.5, 83}), Near({10, 85, 8, 83, -4, 83}));
    EXPECT_THAT(place({-4.4, 83, -14.4, 83}), Near({10, 85, 12, 83, 24, 83}));
    EXPECT_EQ(ErrorOf([&] { place({8, 83, -4}); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { place(std::vector<double>(32768)); }), ErrorCode::Overflow);  // the host's array
    // 20.45 - 0.4 lies a rounding under 0.4 from 20.45: moved there, the leader would
    // conflict again for ever.
    EXPECT_THAT(profile.GetProfileCrossingAnnotationLocation({10, 20.65}, {9.8, 20.45, 8.7, 20.45, 10.2, 20.45, 11.3, 20.45},
                                                             0.1, 1),
                Near({10, 20.65, 10.2, 20.05, 11.3, 20.05}));
}

}  // namespace
