#pragma once
// The host's dialog form, reached by control name. Each kind of control has its own
// late-bound table, so a member of another kind raises 438 as VB does; VB's range checks
// on property values raise Invalid property value (380).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch.h"

namespace host {

class Control : public com::Dispatch {
public:
    explicit Control(std::string name) : name_(std::move(name)) {}
    const std::string& Name() const { return name_; }

private:
    std::string name_;
};

class ComboBox : public Control {
public:
    ComboBox(std::string name, std::vector<std::string> items) : Control(std::move(name)), items_(std::move(items)) {}
    std::string_view TypeName() const override { return "ComboBox"; }
    const com::DispatchTable& Table() const override;

    int32_t ListCount() const { return static_cast<int32_t>(items_.size()); }
    std::string List(int32_t index) const;
    int32_t ListIndex() const { return index_; }
    // -1 clears the selection and keeps the text; an item's index also sets the text.
    void SetListIndex(int32_t index);
    std::string Text() const { return text_; }
    // Selects the item equal to the text, or none.
    void SetText(const std::string& text);

private:
    std::vector<std::string> items_;
    int32_t index_ = -1;
    std::string text_;
};

class TextBox : public Control {
public:
    using Control::Control;
    std::string_view TypeName() const override { return "TextBox"; }
    const com::DispatchTable& Table() const override;

    std::string Text() const { return text_; }
    void SetText(const std::string& text) { text_ = text; }

private:
    std::string text_;
};

class CheckBox : public Control {
public:
    static constexpr int16_t kUnchecked = 0, kChecked = 1, kGrayed = 2;

    using Control::Control;
    std::string_view TypeName() const override { return "CheckBox"; }
    const com::DispatchTable& Table() const override;

    int16_t Value() const { return value_; }
    void SetValue(int16_t value);

private:
    int16_t value_ = kUnchecked;
};

class CommandButton : public Control {
public:
    using Control::Control;
    std::string_view TypeName() const override { return "CommandButton"; }
    const com::DispatchTable& Table() const override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }

private:
    bool enabled_ = true;
};

class Form : public com::Dispatch {
public:
    std::string_view TypeName() const override { return "Form"; }
    const com::DispatchTable& Table() const override;

    // Names compare without regard to case, as VB identifiers do; an unknown name raises
    // KeyNotFound.
    std::shared_ptr<Control> Controls(const std::string& name) const;

    // A name already on the form raises DuplicateName.
    std::shared_ptr<ComboBox> AddComboBox(const std::string& name, std::vector<std::string> items);
    std::shared_ptr<TextBox> AddTextBox(const std::string& name);
    std::shared_ptr<CheckBox> AddCheckBox(const std::string& name);
    std::shared_ptr<CommandButton> AddCommandButton(const std::string& name);

private:
    template <class T, class... A>
    std::shared_ptr<T> Add(const std::string& name, A&&... args);
    std::shared_ptr<Control> Find(const std::string& name) const;

    std::vector<std::shared_ptr<Control>> controls_;
};

}  // namespace host
