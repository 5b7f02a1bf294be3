#include "platform/ui_log.h"

namespace host {

void UiLog::Record(UiEvent event) { events_.push_back(std::move(event)); }

std::vector<UiEvent> UiLog::MessageBoxes() const {
    std::vector<UiEvent> out;
    for (const UiEvent& e : events_)
        if (e.kind == UiEvent::Kind::MessageBox) out.push_back(e);
    return out;
}

std::vector<std::string> UiLog::Prompts() const {
    std::vector<std::string> out;
    for (const UiEvent& e : events_)
        if (e.kind == UiEvent::Kind::Prompt) out.push_back(e.text);
    return out;
}

UiLog& Ui() {
    static UiLog log;
    return log;
}

}  // namespace host

namespace vb {

int32_t MsgBox(const std::string& prompt, int32_t buttons, const std::string& title) {
    host::Ui().Record(host::UiEvent{host::UiEvent::Kind::MessageBox, prompt, buttons, title});
    return vbOK;
}

}  // namespace vb
