// The host's form as the library drives it late-bound: controls by name, combo box lists
// and selection, check box values, and members that belong to another kind of control.

#include <gtest/gtest.h>

#include "platform/host_form.h"
#include "tests/support/error_code.h"

namespace {

using com::CallType;
using com::ErrorCode;
using com::Variant;
using testing_support::ErrorOf;

std::shared_ptr<host::Form> MakeForm() {
    auto form = std::make_shared<host::Form>();
    form->AddComboBox("cboType", {"Sewer", "Drain", "Main"});
    form->AddTextBox("txtDepth");
    form->AddCheckBox("chkLabels");
    form->AddCommandButton("cmdOK");
    return form;
}

com::ObjectPtr Control(const std::shared_ptr<host::Form>& form, const char* name) {
    return vb::CallByName(form, "Controls", CallType::Get, name).Object();
}

TEST(HostForm, ComboBoxListAndSelectionLateBound) {
    auto form = MakeForm();
    auto cbo = Control(form, "cboType");
    EXPECT_EQ(vb::CallByName(cbo, "ListCount", CallType::Get), Variant(int32_t{3}));
    EXPECT_EQ(vb::CallByName(cbo, "List", CallType::Get, int32_t{1}), Variant("Drain"));
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(cbo, "List", CallType::Get, int32_t{3}); }), ErrorCode::InvalidPropertyValue);
    EXPECT_EQ(vb::CallByName(cbo, "ListIndex", CallType::Get), Variant(int32_t{-1}));

    vb::CallByName(cbo, "ListIndex", CallType::Let, int32_t{2});
    EXPECT_EQ(vb::CallByName(cbo, "Text", CallType::Get), Variant("Main"));
    vb::CallByName(cbo, "ListIndex", CallType::Let, int32_t{-1});
    EXPECT_EQ(vb::CallByName(cbo, "Text", CallType::Get), Variant("Main"));
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(cbo, "ListIndex", CallType::Let, int32_t{3}); }),
              ErrorCode::InvalidPropertyValue);

    auto typed = std::dynamic_pointer_cast<host::ComboBox>(cbo);
    ASSERT_TRUE(typed);
    vb::CallByName(cbo, "Text", CallType::Let, "Sewer");
    EXPECT_EQ(typed->ListIndex(), 0);
    typed->SetText("Other");
    EXPECT_EQ(typed->ListIndex(), -1);
    EXPECT_EQ(typed->Text(), "Other");
}

TEST(HostForm, OtherControlsAndTheirValues) {
    auto form = MakeForm();
    auto chk = Control(form, "CHKLABELS");  // names ignore case, as VB's do
    vb::CallByName(chk, "Value", CallType::Let, int32_t{2});
    EXPECT_EQ(vb::CallByName(chk, "Value", CallType::Get), Variant(int16_t{2}));
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(chk, "Value", CallType::Let, int32_t{3}); }), ErrorCode::InvalidPropertyValue);
    EXPECT_EQ(std::dynamic_pointer_cast<host::CheckBox>(chk)->Value(), 2);

    auto txt = Control(form, "txtDepth");
    vb::CallByName(txt, "Text", CallType::Let, "1.20");
    EXPECT_EQ(std::dynamic_pointer_cast<host::TextBox>(txt)->Text(), "1.20");

    auto cmd = Control(form, "cmdOK");
    vb::CallByName(cmd, "Enabled", CallType::Let, false);
    EXPECT_FALSE(std::dynamic_pointer_cast<host::CommandButton>(cmd)->Enabled());
}

TEST(HostForm, UnknownControlsAndMembersOfAnotherKind) {
    auto form = MakeForm();
    EXPECT_EQ(ErrorOf([&] { Control(form, "cboMissing"); }), ErrorCode::KeyNotFound);
    EXPECT_EQ(ErrorOf([&] { form->AddTextBox("CBOTYPE"); }), ErrorCode::DuplicateName);

    EXPECT_EQ(ErrorOf([&] { vb::CallByName(Control(form, "txtDepth"), "ListIndex", CallType::Get); }),
              ErrorCode::NotApplicable);
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(Control(form, "chkLabels"), "Text", CallType::Get); }),
              ErrorCode::NotApplicable);
    EXPECT_EQ(ErrorOf([&] { vb::CallByName(Control(form, "cboType"), "Value", CallType::Let, int32_t{1}); }),
              ErrorCode::NotApplicable);
}

}  // namespace
