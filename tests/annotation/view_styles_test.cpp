// View styles: the active style's settings, completing older records, filling the host's
// dialog, creating and replacing the style points, the list in the project record, and
// hiding a network.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "annotation/view_style.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/view_style.h"
#include "tests/support/xdata.h"

namespace {

using com::CallType;
using com::ErrorCode;
using com::Variant;
using testing::IsEmpty;
using namespace testing_support;
using Strings = std::vector<std::string>;

Strings Texts(const Variant& v) { return v.Array().ToStrings(); }
std::string Id(const std::shared_ptr<acad::AcadObject>& o) { return std::to_string(o->ObjectID()); }

class ViewStyles : public testing::Test {
protected:
    std::string List() { return RecordText(doc->ModelSpace(), 1); }
    void SetList(const std::string& list) { SetRecordEntry(doc->ModelSpace(), 1, Variant(list)); }
    void Create(const std::string& name, const std::map<int, std::string>& overrides = {}) {
        vs.CreateViewStyle(*doc, SettingsVariant(ViewStyleSettings(overrides, name)));
    }
    // The style points in drawing order, with their names.
    std::vector<std::pair<std::string, std::shared_ptr<acad::AcadEntity>>> Points() {
        std::vector<std::pair<std::string, std::shared_ptr<acad::AcadEntity>>> out;
        auto ms = doc->ModelSpace();
        for (int32_t i = 0; i < ms->Count(); ++i)
            if (fluvanet::ElementRecord::Read(ms->Item(i)).ElementType() == "ViewStylePoint")
                out.emplace_back(RecordText(ms->Item(i), 1), ms->Item(i));
        return out;
    }
    void ExpectSound() { EXPECT_THAT(NetworkFindings(*doc), IsEmpty()); }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    fluvanet::ViewStyle vs;
};

TEST_F(ViewStyles, TheActiveStyleIsTheFirstListedPointOfThatExactName) {
    EXPECT_EQ(Texts(vs.GetActiveViewStyleSettingsArray(*doc)), Strings(43));  // no points listed
    AddActiveViewStyle(*doc, ViewStyleSettings({{4, "3"}}, "A"));
    AddActiveViewStyle(*doc, ViewStyleSettings({{4, "4"}}, "A"));
    EXPECT_EQ(Texts(vs.GetActiveViewStyleSettingsArray(*doc)), ViewStyleSettings({{4, "3"}}, "A"));
    vs.UpdateMoSpaceXdataForViewStyle(*doc, "a", "");
    EXPECT_EQ(Texts(vs.GetActiveViewStyleSettingsArray(*doc)), Strings(43));
    ExpectSound();

    // An older record of 41 entries reads with the coordinates not shown.
    auto old = doc->ModelSpace()->AddPoint({0, 0, 0});
    Strings s = ViewStyleSettings({}, "Old");
    SetTextRecord(*old, std::vector<Variant>(s.begin() + 1, s.begin() + 41));
    SetList("Old;;" + Id(old) + ";");
    Strings full = Texts(vs.GetActiveViewStyleSettingsArray(*doc));
    EXPECT_EQ(Strings(full.begin(), full.begin() + 41), Strings(s.begin(), s.begin() + 41));
    EXPECT_EQ(full[41], "0;2;0");
    EXPECT_EQ(full[42], "0;2;0");

    SetRecordEntry(old, 1, Variant(";"));
    EXPECT_EQ(ErrorOf([&] { vs.GetActiveViewStyleSettingsArray(*doc); }), ErrorCode::InvalidProcedureCall);
    old->Delete();
    EXPECT_EQ(ErrorOf([&] { vs.GetActiveViewStyleSettingsArray(*doc); }), ErrorCode::ObjectNotFound);
    SetList("");
    EXPECT_EQ(ErrorOf([&] { vs.GetActiveViewStyleSettingsArray(*doc); }), ErrorCode::SubscriptOutOfRange);
}

TEST_F(ViewStyles, ShortSettingsAreCompletedLongOnesRefused) {
    Strings s38(38, "x");
    Strings done = Texts(vs.ValidateViewStyleSettings(SettingsVariant(s38)));
    ASSERT_EQ(done.size(), 43u);
    EXPECT_EQ(Strings(done.begin(), done.begin() + 38), s38);
    EXPECT_EQ(Strings(done.begin() + 38, done.end()), (Strings{"", "", "", "0;2;0", "0;2;0"}));
    Variant whole = SettingsVariant(Strings(43, "x"));
    EXPECT_EQ(vs.ValidateViewStyleSettings(whole), whole);
    EXPECT_EQ(ErrorOf([&] { vs.ValidateViewStyleSettings(SettingsVariant(Strings(44))); }),
              ErrorCode::SubscriptOutOfRange);
}

TEST_F(ViewStyles, TheActiveNameAndVisibilityAreStoredAndTheIdentifiersKept) {
    DefineNetwork(*doc, "Main", "Gravity");
    DefineNetwork(*doc, "Storm", "Gravity");
    Create("A");
    Create("B");
    auto points = Points();
    std::string ids = Id(points[0].second) + ";" + Id(points[1].second) + ";";
    EXPECT_EQ(List(), "Standard;11;" + ids);
    vs.UpdateMoSpaceXdataForViewStyle(*doc, "B", "10");
    EXPECT_EQ(List(), "B;10;" + ids);
    ExpectSound();

    for (auto [name, visibility] : {std::pair{"B;x", "10"}, {"B", "1;0"}})
        EXPECT_EQ(ErrorOf([&] { vs.UpdateMoSpaceXdataForViewStyle(*doc, name, visibility); }),
                  ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(List(), "B;10;" + ids);

    // A last identifier without its ";" is no item, and goes.
    SetList("A;11;" + ids + "101");
    vs.UpdateMoSpaceXdataForViewStyle(*doc, "B", "10");
    EXPECT_EQ(List(), "B;10;" + ids);
    SetList("A;");
    EXPECT_EQ(ErrorOf([&] { vs.UpdateMoSpaceXdataForViewStyle(*doc, "B", "10"); }), ErrorCode::SubscriptOutOfRange);
}

TEST_F(ViewStyles, ANewStyleIsAnInvisiblePointListedAtTheEnd) {
    SetList("Standard;;101");  // a last item without its ";" is no item, and is not glued to the new one
    Create("A");
    auto first = Points().at(0).second;
    EXPECT_EQ(List(), "Standard;;" + Id(first) + ";");
    // Made on "0" even while the active layer is locked, which stays locked.
    auto locked = doc->Layers()->Add("Locked");
    doc->SetActiveLayer(locked);
    locked->SetLock(true);
    Create("B", {{6, "0;L=;m;3;0"}});
    auto points = Points();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(List(), "Standard;;" + Id(first) + ";" + Id(points[1].second) + ";");
    EXPECT_TRUE(locked->Lock());
    Strings record;
    for (int k = 0; k < 43; ++k) record.push_back(RecordText(points[1].second, k));
    EXPECT_EQ(record, ViewStyleSettings({{6, "0;L=;m;3;0"}}, "B"));
    ExpectSound();  // an invisible point at (0, 0, 0) on "0", as every style point

    // Refused before anything is drawn.
    Strings short42 = ViewStyleSettings({}, "C");
    short42.pop_back();
    EXPECT_EQ(ErrorOf([&] { vs.CreateViewStyle(*doc, SettingsVariant(short42)); }), ErrorCode::SubscriptOutOfRange);
    for (auto [entry, value] :
         std::vector<std::pair<int, std::string>>{{0, "Other"}, {1, ";"}, {1, ";;C;D"}, {1, "x;C"}, {2, "Annotation"}})
        EXPECT_EQ(ErrorOf([&] { Create("C", {{entry, value}}); }), ErrorCode::InvalidProcedureCall) << value;
    SetList("Standard;");
    EXPECT_EQ(ErrorOf([&] { Create("C"); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(Points().size(), 2u);
}

TEST_F(ViewStyles, ReplacingTheStylesChecksEverythingBeforeDeleting) {
    Create("S1");
    Create("S2");
    std::string before = List();
    auto styles = [](std::vector<Strings> list) {
        std::vector<Variant> v;
        for (const auto& s : list) v.push_back(SettingsVariant(s));
        return Variant(com::SafeArray::FromVariants(v));
    };
    auto refused = [&](const Variant& arStyles, int16_t count) {
        auto error = ErrorOf([&] { vs.UpdateViewStylePoints(*doc, arStyles, count); });
        EXPECT_EQ(List(), before);
        EXPECT_EQ(Points().size(), 2u);
        return error;
    };
    Variant xy = styles({ViewStyleSettings({}, "X"), ViewStyleSettings({}, "Y")});
    EXPECT_EQ(refused(styles({ViewStyleSettings({}, "X"), ViewStyleSettings({{1, ";;B;C"}})}), 2),
              ErrorCode::InvalidProcedureCall);
    EXPECT_EQ(refused(xy, 3), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(refused(xy, -1), ErrorCode::InvalidProcedureCall);
    SetList(before + RecordText(doc->ModelSpace(), 5) + ";");  // the material library point
    EXPECT_EQ(ErrorOf([&] { vs.UpdateViewStylePoints(*doc, xy, 2); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(Points().size(), 2u);

    // A point erased already is passed over; the new points stand in the given order.
    SetList(before);
    Points()[0].second->Delete();
    vs.UpdateViewStylePoints(*doc, xy, 2);
    auto points = Points();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].first + points[1].first, ";;X;;Y");
    EXPECT_EQ(List(), "Standard;;" + Id(points[0].second) + ";" + Id(points[1].second) + ";");
    ExpectSound();

    vs.UpdateViewStylePoints(*doc, Variant(), 0);
    EXPECT_EQ(List(), "Standard;;");
    EXPECT_THAT(Points(), IsEmpty());
    ExpectSound();
}

// A form of another class than the stand-in's: only late binding reaches its controls.
class OtherForm : public com::Dispatch {
public:
    explicit OtherForm(std::shared_ptr<host::Form> inner) : inner_(std::move(inner)) {}
    std::string_view TypeName() const override { return "frm_ViewStyleSettings"; }
    const com::DispatchTable& Table() const override { return inner_->Table(); }
    Variant Invoke(std::string_view name, CallType type, com::ArgRefs args) override {
        return inner_->Invoke(name, type, args);
    }

private:
    std::shared_ptr<host::Form> inner_;
};

TEST_F(ViewStyles, TheDialogShowsTheChosenStyle) {
    auto dialog = ViewStyleDialog({"Standard", "Romans"}, "A");
    auto control = [&](const char* name) { return dialog->Controls(name); };
    auto text = [&](const char* name) { return std::dynamic_pointer_cast<host::TextBox>(control(name))->Text(); };
    auto box = [&](int entry) {
        return std::dynamic_pointer_cast<host::CheckBox>(control(kViewStyleCheckBoxes[entry - 5]))->Value();
    };
    auto enabled = [&](const char* name) {
        return std::dynamic_pointer_cast<host::CommandButton>(control(name))->Enabled();
    };
    Strings a = ViewStyleSettings(
        {{3, "Romans"}, {4, "0.12345"}, {5, "0;;"}, {6, "1;L=;m;2;0"}, {7, ""}, {8, "2;;;2;0;0"}, {41, "1;2;0"}}, "A");
    Variant both(com::SafeArray::FromVariants({SettingsVariant(ViewStyleSettings()), SettingsVariant(a)}));
    Variant active;
    Variant late(std::make_shared<OtherForm>(dialog));
    vb::CallByName(std::make_shared<fluvanet::ViewStyle>(), "ActivateViewStyle", CallType::Method, "A", both, late,
                   int16_t{2}, active);
    EXPECT_EQ(Texts(active), a);
    EXPECT_EQ(std::dynamic_pointer_cast<host::ComboBox>(control("cmb_TextStyle"))->ListIndex(), 1);
    EXPECT_EQ(text("txt_TextHeight"), "0.123");
    for (int k = 5; k <= 42; ++k)
        EXPECT_EQ(box(k), (std::map<int, int>{{6, 1}, {8, 2}, {18, 1}, {19, 1}, {33, 1}, {37, 1}, {41, 1}}[k])) << k;
    EXPECT_TRUE(enabled("cmd_DeleteStyle"));
    EXPECT_TRUE(enabled("cmd_RenameStyle"));

    // Without a match the passed settings are shown; a text style not offered shows "Standard".
    for (auto [height, shown] : {std::pair{"2", "2.0"}, {"2.5", "2.5"}, {"abc", "0.0"}}) {
        active = SettingsVariant(ViewStyleSettings({{3, "Gothic"}, {4, height}}, "B"));
        vs.ActivateViewStyle("Missing", both, dialog, 2, active);
        EXPECT_EQ(text("txt_TextHeight"), shown);
    }
    EXPECT_EQ(Texts(active)[1], ";;B");
    EXPECT_EQ(std::dynamic_pointer_cast<host::ComboBox>(control("cmb_TextStyle"))->Text(), "Standard");

    // Only "Standard" itself, as shown in the dialog, can be neither deleted nor renamed.
    for (auto [shown, editable] : {std::pair{"Standard", false}, {"standard", true}}) {
        auto d = ViewStyleDialog({"Standard"}, shown);
        vs.ActivateViewStyle("Standard", both, d, 2, active);
        dialog = d;
        EXPECT_EQ(enabled("cmd_DeleteStyle"), editable) << shown;
        EXPECT_EQ(enabled("cmd_RenameStyle"), editable) << shown;
    }

    // A flag the box does not know stops the filling there.
    dialog = ViewStyleDialog();
    active = SettingsVariant(ViewStyleSettings({{9, "1;;"}, {10, "3;;;2;0"}, {11, "1;;;2;0"}}));
    EXPECT_EQ(ErrorOf([&] { vs.ActivateViewStyle("None", Variant(), dialog, 0, active); }),
              ErrorCode::InvalidPropertyValue);
    EXPECT_EQ(box(9), 1);
    EXPECT_EQ(box(11), 0);
}

TEST_F(ViewStyles, HidingANetworkAndShowingItAgain) {
    NetworkBuilder main(*doc, "Main");
    auto chain = main.AddChain({{0, 0}, {10, 0}, {20, 0}});
    auto other = NetworkBuilder(*doc, "Storm").AddNode(5, 5);
    doc->Layers()->Item(Variant("Main - Network"))->SetLock(true);
    auto visible = [&] {
        std::vector<bool> v;
        for (const auto& n : chain.nodes) v.push_back(n.block->Visible());
        for (const auto& p : chain.pipes) v.push_back(p.polyline->Visible());
        return v;
    };
    vs.ChangeNetworkVisibility(*doc, "Main", 0);
    EXPECT_EQ(visible(), std::vector<bool>(5, false));
    EXPECT_TRUE(other.block->Visible());
    EXPECT_TRUE(doc->Layers()->Item(Variant("Main - Network"))->Lock());
    vs.ChangeNetworkVisibility(*doc, "Main", 2);
    EXPECT_EQ(visible(), std::vector<bool>(5, false));
    vs.ChangeNetworkVisibility(*doc, "Main", 1);
    EXPECT_EQ(visible(), std::vector<bool>(5, true));
    ExpectSound();
}

TEST_F(ViewStyles, EveryMethodIsLateBound) {
    for (const char* name :
         {"GetActiveViewStyleSettingsArray", "ValidateViewStyleSettings", "ActivateViewStyle", "CreateViewStyle",
          "ChangeNetworkVisibility", "UpdateViewStylePoints", "UpdateMoSpaceXdataForViewStyle"})
        EXPECT_TRUE(vs.Supports(name)) << name;
}

}  // namespace
