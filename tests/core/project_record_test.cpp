// The project-wide facts General reads from the project record, and the record's access rules.

#include <gtest/gtest.h>

#include "core/general.h"
#include "core/project_record.h"
#include "host/new_project.h"
#include "platform/civil.h"
#include "platform/ui_log.h"
#include "platform/vb_text.h"
#include "tests/support/error_code.h"

namespace {

using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

struct ProjectRecordTest : ::testing::Test {
    void SetUp() override { host::Ui().Clear(); }
    std::shared_ptr<acad::AcadDocument> doc = acad::NewDrawing();
    fluvanet::General general;
};

TEST_F(ProjectRecordTest, ModelUnitsAndEventsFlagComeFromTheRecord) {
    host::CreateProjectRecord(*doc, {.modelUnits = "US", .eventsFlag = 1});
    EXPECT_EQ(general.GetModelUnits(*doc), "US");
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    EXPECT_EQ(general.GetFluvamapProgramVersion(), "2.05");
}

TEST_F(ProjectRecordTest, WithoutARecordReadersFailButTheFlagIsOffAndTheVersionPasses) {
    EXPECT_EQ(general.CheckEventsFlag(*doc), 0);
    EXPECT_EQ(ErrorOf([&] { general.GetModelUnits(*doc); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { general.TurnEventsOn(*doc); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { general.TurnEventsOff(*doc); }), ErrorCode::TypeMismatch);

    EXPECT_TRUE(general.VerfiyVersionFluvamapCompatibility(*doc));
    auto boxes = host::Ui().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "This drawing does not contain a Fluvamap project!");
    EXPECT_EQ(boxes[0].flags, vb::vbCritical);
    EXPECT_EQ(boxes[0].title, "Fluvamap");

    // Late-bound, a missing document is an error of the call, not a crash.
    auto g = std::make_shared<fluvanet::General>();
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(g, "CheckEventsFlag", com::CallType::Method, Variant::Nothing()); }),
              ErrorCode::ObjectRequired);
    EXPECT_EQ(vb::CallByName(g, "CheckEventsFlag", com::CallType::Method, doc), Variant(int16_t{0}));
}

TEST_F(ProjectRecordTest, ANewerProjectIsRefusedWithTheThreeLineMessage) {
    for (const char* version : {"2.14", "2.05", "", "1.9"}) {
        auto d = acad::NewDrawing();
        host::CreateProjectRecord(*d, {.projectVersion = version});
        EXPECT_TRUE(general.VerfiyVersionFluvamapCompatibility(*d)) << version;
    }
    EXPECT_TRUE(host::Ui().MessageBoxes().empty());

    for (const char* version : {"2.15", "3"}) {
        auto d = acad::NewDrawing();
        host::CreateProjectRecord(*d, {.projectVersion = version});
        host::Ui().Clear();
        EXPECT_FALSE(general.VerfiyVersionFluvamapCompatibility(*d)) << version;
        auto boxes = host::Ui().MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        auto lines = vb::Split(boxes[0].text, vb::Chr(10));
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0], "This project was created with a Fluvamap version that is newer than the installed one!");
        EXPECT_EQ(lines[1], "Install Fluvamap V" + std::string(version) + "  or newer then re-open the project.");
        EXPECT_EQ(lines[2], "Running this project on the current version of Fluvamap may permanently corrupt it.");
        EXPECT_EQ(boxes[0].flags, vb::vbCritical);
        EXPECT_EQ(boxes[0].title, "Fluvamap");
    }
}

TEST_F(ProjectRecordTest, EventsSwitchRewritesOnlyTheFlagAndKeepsTheCodes) {
    host::CreateProjectRecord(*doc, {.eventsFlag = 1});
    auto before = fluvanet::ElementRecord::Read(doc->ModelSpace());
    general.TurnEventsOff(*doc);
    EXPECT_EQ(general.CheckEventsFlag(*doc), 0);
    general.TurnEventsOn(*doc);
    EXPECT_EQ(general.CheckEventsFlag(*doc), 1);
    auto after = fluvanet::ElementRecord::Read(doc->ModelSpace());
    EXPECT_EQ(after.Codes(), before.Codes());
    EXPECT_EQ(after.Values(), before.Values());
    EXPECT_EQ(after.Get(2).Type(), com::VarType::Integer);
}

TEST_F(ProjectRecordTest, RecordAccessRaisesForMissingEntries) {
    host::CreateProjectRecord(*doc);
    auto record = fluvanet::ProjectRecord::Read(*doc);
    EXPECT_EQ(record.Count(), 12);
    EXPECT_EQ(record.Text(fluvanet::project_entry::kModelUnits), "Metric");
    EXPECT_EQ(ErrorOf([&] { record.Get(12); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { record.Set(-1, Variant("x")); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_FALSE(fluvanet::ProjectRecord::ReadIfPresent(*acad::NewDrawing()));
}

TEST_F(ProjectRecordTest, CivilIdentifierFollowsTheApplicationVersionExactly) {
    auto app = acad::AcadApplication::Create();
    const std::pair<const char*, const char*> cases[] = {
        {"16.1", "AeccXUiLand.AeccApplication.2.0"}, {"16.2", "AeccXUiLand.AeccApplication.3.0"},
        {"17.0", "AeccXUiLand.AeccApplication.4.0"}, {"17.1s (LMS Tech)", "AeccXUiLand.AeccApplication.5.0"},
        {"17.2", "AeccXUiLand.AeccApplication.6.0"}, {"17.3", ""},
        {"18.0", ""},                                {"abc", ""}};
    for (const auto& [version, id] : cases) {
        app->SetVersion(version);
        EXPECT_EQ(general.GetAeccAppString(*app), id) << version;
    }
}

TEST_F(ProjectRecordTest, SurfaceNamesInOrderOrEmptyWithTheMessageAsAsked) {
    host::CreateProjectRecord(*doc);
    auto app = doc->Application();
    std::string id = general.GetAeccAppString(*app);

    // No terrain application: the loading message only when asked for.
    EXPECT_TRUE(general.GetSurfaceNames(*doc, 0).IsEmpty());
    EXPECT_TRUE(host::Ui().MessageBoxes().empty());
    EXPECT_TRUE(general.GetSurfaceNames(*doc, 1).IsEmpty());
    ASSERT_EQ(host::Ui().MessageBoxes().size(), 1u);
    EXPECT_EQ(host::Ui().MessageBoxes()[0].text, "Error loading AutoCAD Civil 3D application!");

    auto civilApp = std::make_shared<civil::AeccApplication>();
    app->RegisterInterfaceObject(id, civilApp);
    host::Ui().Clear();
    EXPECT_TRUE(general.GetSurfaceNames(*doc, 2).IsEmpty());
    EXPECT_TRUE(host::Ui().MessageBoxes().empty());
    EXPECT_TRUE(general.GetSurfaceNames(*doc, 1).IsEmpty());
    ASSERT_EQ(host::Ui().MessageBoxes().size(), 1u);
    EXPECT_EQ(host::Ui().MessageBoxes()[0].text, "No surfaces are defined!");

    civilApp->ActiveDocument()->Surfaces()->Add("Existing");
    civilApp->ActiveDocument()->Surfaces()->Add("Design");
    Variant names = general.GetSurfaceNames(*doc, 1);
    ASSERT_TRUE(names.IsArray());
    EXPECT_EQ(names.Array().ToStrings(), (std::vector<std::string>{"Existing", "Design"}));

    // Once the application is reached, a failure reading the surfaces is the caller's.
    civilApp->ActiveDocument()->SetSurfacesFail(true);
    EXPECT_EQ(ErrorOf([&] { general.GetSurfaceNames(*doc, 1); }), ErrorCode::FileError);
    // So is an application without an active document: no loading message.
    civilApp->SetActiveDocument(nullptr);
    host::Ui().Clear();
    EXPECT_EQ(ErrorOf([&] { general.GetSurfaceNames(*doc, 1); }), ErrorCode::ObjectVariableNotSet);
    EXPECT_TRUE(host::Ui().MessageBoxes().empty());

    // A release without a terrain identifier is the loading error too.
    app->SetVersion("18.0");
    host::Ui().Clear();
    EXPECT_TRUE(general.GetSurfaceNames(*doc, 1).IsEmpty());
    EXPECT_EQ(host::Ui().MessageBoxes().at(0).text, "Error loading AutoCAD Civil 3D application!");
}

TEST_F(ProjectRecordTest, IdentifierMembershipComparesWholePieces) {
    EXPECT_FALSE(general.Check_ID_Exists(Variant("12"), ""));
    EXPECT_TRUE(general.Check_ID_Exists(Variant("12"), "12;"));
    EXPECT_FALSE(general.Check_ID_Exists(Variant("1"), "12;"));
    EXPECT_FALSE(general.Check_ID_Exists(Variant("12"), "412;"));
    EXPECT_TRUE(general.Check_ID_Exists(Variant(int32_t{-34}), "412;-34;"));
    // The empty piece after the final ";" is compared too: an empty identifier is found.
    EXPECT_TRUE(general.Check_ID_Exists(Variant(""), "412;"));
    EXPECT_FALSE(general.Check_ID_Exists(Variant(""), "412"));

    // Long lists asked about again and again, as the erase cascade asks: grown, changed in
    // place and taken in turns, each is answered as it reads now.
    std::string erased, queued;
    for (int i = 0; i < 3000; ++i) erased += std::to_string(1000000000 + i) + ";";
    for (int i = 0; i < 3000; ++i) queued += std::to_string(2000000000 + i) + ";";
    EXPECT_TRUE(general.Check_ID_Exists(Variant("1000000000"), erased));
    EXPECT_TRUE(general.Check_ID_Exists(Variant("1000002999"), erased));
    EXPECT_FALSE(general.Check_ID_Exists(Variant("100000299"), erased));
    EXPECT_TRUE(general.Check_ID_Exists(Variant(""), erased));
    EXPECT_FALSE(general.Check_ID_Exists(Variant("1000000000"), queued));
    erased += "77";
    EXPECT_TRUE(general.Check_ID_Exists(Variant("77"), erased));
    EXPECT_FALSE(general.Check_ID_Exists(Variant(""), erased));
    erased += "8;9;";
    EXPECT_FALSE(general.Check_ID_Exists(Variant("77"), erased));
    EXPECT_TRUE(general.Check_ID_Exists(Variant("778"), erased));
    EXPECT_TRUE(general.Check_ID_Exists(Variant("2000001500"), queued));
    erased.replace(0, 10, "3000000000");
    EXPECT_FALSE(general.Check_ID_Exists(Variant("1000000000"), erased));
    EXPECT_TRUE(general.Check_ID_Exists(Variant("3000000000"), erased));
    EXPECT_TRUE(general.Check_ID_Exists(Variant("1000000001"), erased));

    // A list of one erase operation grows only at its end; the next operation's is new.
    std::string ops = erased;
    EXPECT_TRUE(fluvanet::ListedInGrowingList(general, "3000000000", ops));
    ops += "42;";
    EXPECT_TRUE(fluvanet::ListedInGrowingList(general, "42", ops));
    EXPECT_FALSE(fluvanet::ListedInGrowingList(general, "43", ops));
    EXPECT_FALSE(fluvanet::ListedInGrowingList(general, "42", queued));
    EXPECT_TRUE(fluvanet::ListedInGrowingList(general, "2000002999", queued));
    ops = "7;" + queued;
    EXPECT_TRUE(fluvanet::ListedInGrowingList(general, "7", ops));
    EXPECT_FALSE(fluvanet::ListedInGrowingList(general, "42", ops));
    // The same ends and length with another item in the middle is another list.
    std::string six;
    for (int i = 0; i < 600; ++i) six += std::to_string(4000000000LL + i) + ";";
    EXPECT_TRUE(fluvanet::ListedInGrowingList(general, "4000000300", six));
    six.replace(six.find("4000000300"), 10, "5000000000");
    EXPECT_FALSE(fluvanet::ListedInGrowingList(general, "4000000300", six));
    EXPECT_TRUE(fluvanet::ListedInGrowingList(general, "5000000000", six));
    EXPECT_EQ(fluvanet::ListedInGrowingList(general, std::vector<std::string>{"4000000300", "5000000000", "7"}, six),
              (std::vector<bool>{false, true, false}));

    // The erase lists hold every dependent of what is erased: no 16-bit limit.
    const std::string many(40000, ';');
    EXPECT_FALSE(general.Check_ID_Exists(Variant("1"), many));
    EXPECT_TRUE(general.Check_ID_Exists(Variant("1000000001"), erased + many + "5;"));
    EXPECT_TRUE(general.Check_ID_Exists(Variant("5"), erased + many + "5;"));
}

}  // namespace
