#pragma once
// What the user would have seen, in order: commands sent to the command line, prompts
// and message boxes. Nothing is shown and nothing waits for an answer; tests read the log.

#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct UiEvent {
    enum class Kind { Command, Prompt, MessageBox };
    Kind kind;
    std::string text;
    int32_t flags = 0;  // a message box's buttons and icon
    std::string title;
    bool operator==(const UiEvent&) const = default;
};

class UiLog {
public:
    void Record(UiEvent event);
    const std::vector<UiEvent>& Events() const { return events_; }
    std::vector<UiEvent> MessageBoxes() const;
    std::vector<std::string> Prompts() const;
    void Clear() { events_.clear(); }

private:
    std::vector<UiEvent> events_;
};

// One log for the process: the library, the host and the tests all see the same one.
UiLog& Ui();

}  // namespace host

namespace vb {

inline constexpr int32_t vbOKOnly = 0;
inline constexpr int32_t vbCritical = 16;
inline constexpr int32_t vbOK = 1;

// Recorded, never shown: the answer is always OK, so no test can block on it.
int32_t MsgBox(const std::string& prompt, int32_t buttons = vbOKOnly, const std::string& title = "");

}  // namespace vb
