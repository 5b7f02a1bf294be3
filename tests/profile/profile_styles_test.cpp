// Profile styles: style points kept in the drawing, their look-up by name, deleting them, and
// settings read from a style file.

#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/project_record.h"
#include "profile/profile.h"
#include "tests/support/error_code.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"

namespace {

using com::ErrorCode;
using com::SafeArray;
using com::Variant;
using testing::IsEmpty;
using namespace testing_support;
namespace pr = fluvanet::project_entry;

struct ProfileStylesTest : ::testing::Test {
    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    fluvanet::Profile profile;

    std::string Styles() { return fluvanet::ProjectRecord::Read(*doc).Text(pr::kProfileStyles); }
    void SetStyles(const std::string& list) { SetRecordEntry(doc->ModelSpace(), pr::kProfileStyles, Variant(list)); }
    int32_t Entities() { return doc->ModelSpace()->Count(); }
    std::string Create(std::vector<std::string> values) {
        return profile.CreateProfileStyle(*doc, Variant(SafeArray::FromStrings(values)), ProfileStyleCodes());
    }
    std::shared_ptr<acad::AcadObject> Object(const std::string& id) { return doc->ObjectIdToObject(std::stoi(id)); }
};

TEST_F(ProfileStylesTest, CreatingTwiceGivesTwoInvisiblePointsWhoseProfileListsStartEmpty) {
    std::vector<std::string> values = ProfileStyleValues("Road");
    values[3] = ";RelatedToL-1";  // copied from a style that has drawn a profile
    values[4] = ";RelatedTo123";
    values[20] = ";Main";
    doc->SetActiveLayer(doc->Layers()->Add("Work"));
    std::string first = Create(values);
    std::string second = Create(values);
    EXPECT_EQ(Styles(), first + ";" + second + ";");
    for (const std::string& id : {first, second}) {
        auto point = acad::Cast<acad::AcadPoint>(Object(id));
        EXPECT_FALSE(point->Visible());
        EXPECT_EQ(point->Layer(), "0");
        EXPECT_EQ(RecordText(point, 3) + RecordText(point, 4) + RecordText(point, 20), "");
        EXPECT_EQ(RecordText(point, 11), values[11]);
    }
    EXPECT_THAT(NetworkFindings(*doc), IsEmpty());
    EXPECT_EQ(vb::CallByName(std::make_shared<fluvanet::Profile>(), "GetProfileStyleXdataTypeArray",
                             com::CallType::Method),
              ProfileStyleCodes());
}

TEST_F(ProfileStylesTest, ABadStyleRecordAddsNothing) {
    auto rejected = [&](std::vector<std::string> values, Variant codes = ProfileStyleCodes()) {
        int32_t before = Entities();
        auto error = ErrorOf([&] { profile.CreateProfileStyle(*doc, Variant(SafeArray::FromStrings(values)), codes); });
        EXPECT_EQ(Entities(), before);
        EXPECT_EQ(Styles(), "");
        return error;
    };
    std::vector<std::string> good = ProfileStyleValues("Road");
    std::vector<std::string> short20(good.begin(), good.end() - 1), type = good, name = good, app = good;
    type[2] = "ViewStylePoint";
    name[1] = ";;Ro;ad";
    app[0] = "Other";
    for (const auto& values : {short20, type, name, app}) EXPECT_EQ(rejected(values), ErrorCode::InvalidProcedureCall);
    std::vector<int16_t> codes(21, 1000);
    codes[0] = 1001;
    codes[15] = 1070;
    EXPECT_EQ(rejected(good, Variant(SafeArray::FromInt16s(codes))), ErrorCode::InvalidProcedureCall);
    // A project record that stops before the profile-style list.
    fluvanet::ElementRecord project = fluvanet::ElementRecord::Read(doc->ModelSpace());
    std::vector<int16_t> tenCodes(project.Codes().begin(), project.Codes().begin() + 10);
    std::vector<Variant> tenValues(project.Values().begin(), project.Values().begin() + 10);
    doc->ModelSpace()->SetXData(Variant(SafeArray::FromInt16s(tenCodes)), Variant(SafeArray::FromVariants(tenValues)));
    int32_t before = Entities();
    EXPECT_EQ(ErrorOf([&] { Create(good); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(Entities(), before);
}

TEST_F(ProfileStylesTest, LockedLayersAreLockedAgainAfterSuccessAndAfterAFailure) {
    doc->Layers()->Item(Variant("0"))->SetLock(true);
    doc->Layers()->Add("Other")->SetLock(true);
    std::string id = Create(ProfileStyleValues("Road"));
    EXPECT_TRUE(doc->Layers()->Item(Variant("0"))->Lock());
    profile.DeleteProfileStyle(*doc, id);
    EXPECT_TRUE(doc->Layers()->Item(Variant("Other"))->Lock());

    // The record is refused by the platform once the point exists.
    doc->SetStrictXDataLimits(true);
    std::vector<std::string> values = ProfileStyleValues("Road");
    values[12] = std::string(300, 'x');
    int32_t before = Entities();
    EXPECT_EQ(ErrorOf([&] { Create(values); }), ErrorCode::InvalidInput);
    EXPECT_EQ(Entities(), before);
    EXPECT_EQ(Styles(), "");
    EXPECT_TRUE(doc->Layers()->Item(Variant("0"))->Lock());
    EXPECT_TRUE(doc->Layers()->Item(Variant("Other"))->Lock());
}

TEST_F(ProfileStylesTest, LookUpsTakeTheFirstExactNameAndPassOverWhatIsNoStyle) {
    EXPECT_TRUE(profile.GetProfileStyleSettings(*doc, "Road").IsEmpty());
    EXPECT_EQ(profile.GetProfileStyleOID(*doc, "Road"), "");
    std::string lower = Create(ProfileStyleValues("road"));
    std::string first = Create(ProfileStyleValues("Road"));
    std::string twin = Create(ProfileStyleValues("Road"));
    EXPECT_EQ(profile.GetProfileStyleOID(*doc, "road"), lower);
    EXPECT_EQ(profile.GetProfileStyleOID(*doc, "Road"), first);
    EXPECT_EQ(profile.GetProfileStyleOID(*doc, "ROAD"), "");

    // A style erased behind the list's back and a library point listed before the wanted one.
    auto gone = acad::Cast<acad::AcadEntity>(Object(first));
    gone->Delete();
    std::string library = fluvanet::ProjectRecord::Read(*doc).Text(pr::kMaterialLibrary);
    SetStyles(library + ";" + first + ";" + Styles());
    EXPECT_EQ(profile.GetProfileStyleOID(*doc, "Road"), twin);
    Variant settings = profile.GetProfileStyleSettings(*doc, "Road");
    EXPECT_EQ(settings.Array().ToStrings(), ProfileStyleValues("Road"));

    SetStyles("x1;" + Styles());
    EXPECT_EQ(ErrorOf([&] { profile.GetProfileStyleSettings(*doc, "Road"); }), ErrorCode::TypeMismatch);
}

TEST_F(ProfileStylesTest, DeletingRemovesExactlyItsItemAndRefusesStylesInUseAndOtherObjects) {
    std::string a = Create(ProfileStyleValues("A"));
    std::string b = Create(ProfileStyleValues("B"));
    std::string c = Create(ProfileStyleValues("C"));
    profile.DeleteProfileStyle(*doc, b);
    EXPECT_EQ(Styles(), a + ";" + c + ";");
    EXPECT_EQ(ErrorOf([&] { Object(b); }), ErrorCode::ObjectNotFound);
    EXPECT_THAT(NetworkFindings(*doc), IsEmpty());

    NetworkBuilder net(*doc, "Main");
    TestChain chain = net.AddChain({{0, 0}, {10, 0}});
    TestProfile drawn = AddTestProfile(*doc, net, "L-1", "A", chain.pipes);
    std::string before = Styles();
    for (const std::string& id : {a, chain.pipes[0].Id(), std::string("12x"), std::string()})
        EXPECT_TRUE(ErrorOf([&] { profile.DeleteProfileStyle(*doc, id); }).has_value()) << id;
    try {
        profile.DeleteProfileStyle(*doc, a);
    } catch (const com::Error& e) {
        EXPECT_THAT(e.Description(), testing::HasSubstr("\"A\""));
    }
    EXPECT_EQ(Styles(), before);
    EXPECT_EQ(ErrorOf([&] { profile.DeleteProfileStyle(*doc, chain.pipes[0].Id()); }), ErrorCode::TypeMismatch);

    // Once its profile is gone the style may go; an identifier naming nothing only leaves the list.
    drawn.block->Delete();
    profile.DeleteProfileStyle(*doc, a);
    SetStyles("4123;123;" + Styles());
    profile.DeleteProfileStyle(*doc, "123");
    EXPECT_EQ(Styles(), "4123;" + c + ";");
}

// Style files are single-byte text; each value stands between two characters that are dropped.
struct ProfileStyleImportTest : ProfileStylesTest {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("profile_style_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                  "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
    ~ProfileStyleImportTest() override { std::filesystem::remove(path); }

    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        for (const std::string& v : ProfileStyleValues("R\xE9seau")) lines.push_back("\"" + v + "\"");
        lines[0] = "\"Anything\"";
        lines[2] = "\"Else\"";
        lines[3] = "\";RelatedToL-9\"";
        lines[4] = "\";RelatedTo77\"";
        lines[20] = "\";Main\"";
        return lines;
    }
    Variant Import(const std::vector<std::string>& lines) {
        std::ofstream file(path, std::ios::binary);
        for (const std::string& line : lines) file << line << "\r\n";
        file.close();
        return profile.ImportArProfileSettings(path.string());
    }
};

TEST_F(ProfileStyleImportTest, AValidFileGivesTheRecordWhateverItsIgnoredLinesHold) {
    std::vector<std::string> lines = Lines();
    lines[1] = "\xAB;;R\xE9seau\xBB";  // enclosed by characters of their own
    lines.push_back("\"line 22 is never read\"");
    std::vector<std::string> expected = ProfileStyleValues("R\xC3\xA9seau");
    EXPECT_EQ(Import(lines).Array().ToStrings(), expected);
    lines[20] = "x";  // a one-character line holds no value and reading goes on
    lines.pop_back();
    EXPECT_EQ(Import(lines).Array().ToStrings(), expected);
    EXPECT_EQ(ErrorOf([&] { profile.ImportArProfileSettings((path.parent_path() / "missing-style.txt").string()); }),
              ErrorCode::FileNotFound);
}

TEST_F(ProfileStyleImportTest, WrongItemCountsAnEmptyLineAndOneCharacterLinesAreRefused) {
    std::vector<std::string> sixItems = Lines(), emptyLine = Lines(), oneCharacter = Lines();
    sixItems[11] = "\"2;Slope;1;1;2;0\"";
    emptyLine[9] = "";
    oneCharacter[5] = "\"";
    for (const auto& lines : {sixItems, emptyLine, oneCharacter}) EXPECT_TRUE(Import(lines).IsEmpty());
}

TEST_F(ProfileStylesTest, OnlyAnArrayUpToTwentyPassesValidation) {
    Variant style(SafeArray::FromStrings(ProfileStyleValues("Road")));
    EXPECT_EQ(profile.ValidateProfileStyleSettings(style), style);
    Variant empty21(SafeArray::FromStrings(std::vector<std::string>(21)));
    for (const Variant& other : {Variant(SafeArray::FromStrings(std::vector<std::string>(43, "1"))), Variant(SafeArray()),
                                 Variant("Road"), Variant(SafeArray::Matrix(com::VarType::String, 21, 2))})
        EXPECT_EQ(profile.ValidateProfileStyleSettings(other), empty21);
}

}  // namespace
