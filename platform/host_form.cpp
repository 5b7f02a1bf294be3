#include "platform/host_form.h"

#include "platform/vb_text.h"

namespace host {

using com::ErrorCode;
using com::Raise;

// ---- Controls ------------------------------------------------------------------------

const com::DispatchTable& ComboBox::Table() const {
    static const com::DispatchTable table = com::BuildTable<ComboBox>([](auto& b) {
        b.Get("ListCount", &ComboBox::ListCount)
            .Get("List", &ComboBox::List)
            .Property("ListIndex", &ComboBox::ListIndex, &ComboBox::SetListIndex)
            .Property("Text", &ComboBox::Text, &ComboBox::SetText);
    });
    return table;
}

std::string ComboBox::List(int32_t index) const {
    if (index < 0 || index >= ListCount()) Raise(ErrorCode::InvalidPropertyValue, "List(" + std::to_string(index) + ")");
    return items_[static_cast<std::size_t>(index)];
}

void ComboBox::SetListIndex(int32_t index) {
    if (index < -1 || index >= ListCount()) Raise(ErrorCode::InvalidPropertyValue, "ListIndex " + std::to_string(index));
    index_ = index;
    if (index >= 0) text_ = items_[static_cast<std::size_t>(index)];
}

void ComboBox::SetText(const std::string& text) {
    text_ = text;
    index_ = -1;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == text) {
            index_ = static_cast<int32_t>(i);
            break;
        }
}

const com::DispatchTable& TextBox::Table() const {
    static const com::DispatchTable table =
        com::BuildTable<TextBox>([](auto& b) { b.Property("Text", &TextBox::Text, &TextBox::SetText); });
    return table;
}

const com::DispatchTable& CheckBox::Table() const {
    static const com::DispatchTable table =
        com::BuildTable<CheckBox>([](auto& b) { b.Property("Value", &CheckBox::Value, &CheckBox::SetValue); });
    return table;
}

void CheckBox::SetValue(int16_t value) {
    if (value != kUnchecked && value != kChecked && value != kGrayed)
        Raise(ErrorCode::InvalidPropertyValue, "check box value " + std::to_string(value));
    value_ = value;
}

const com::DispatchTable& CommandButton::Table() const {
    static const com::DispatchTable table = com::BuildTable<CommandButton>(
        [](auto& b) { b.Property("Enabled", &CommandButton::Enabled, &CommandButton::SetEnabled); });
    return table;
}

// ---- Form ----------------------------------------------------------------------------

const com::DispatchTable& Form::Table() const {
    static const com::DispatchTable table = com::BuildTable<Form>([](auto& b) {
        b.Get("Controls", &Form::Controls)
            .Method("AddComboBox", &Form::AddComboBox)
            .Method("AddTextBox", &Form::AddTextBox)
            .Method("AddCheckBox", &Form::AddCheckBox)
            .Method("AddCommandButton", &Form::AddCommandButton);
    });
    return table;
}

std::shared_ptr<Control> Form::Find(const std::string& name) const {
    const std::string key = vb::UCase(name);
    for (const auto& c : controls_)
        if (vb::UCase(c->Name()) == key) return c;
    return nullptr;
}

std::shared_ptr<Control> Form::Controls(const std::string& name) const {
    auto c = Find(name);
    if (!c) Raise(ErrorCode::KeyNotFound, "control " + name);
    return c;
}

template <class T, class... A>
std::shared_ptr<T> Form::Add(const std::string& name, A&&... args) {
    if (Find(name)) Raise(ErrorCode::DuplicateName, "control " + name);
    auto c = std::make_shared<T>(name, std::forward<A>(args)...);
    controls_.push_back(c);
    return c;
}

std::shared_ptr<ComboBox> Form::AddComboBox(const std::string& name, std::vector<std::string> items) {
    return Add<ComboBox>(name, std::move(items));
}
std::shared_ptr<TextBox> Form::AddTextBox(const std::string& name) { return Add<TextBox>(name); }
std::shared_ptr<CheckBox> Form::AddCheckBox(const std::string& name) { return Add<CheckBox>(name); }
std::shared_ptr<CommandButton> Form::AddCommandButton(const std::string& name) { return Add<CommandButton>(name); }

}  // namespace host
