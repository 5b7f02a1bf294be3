// The process-wide record of what the user would have seen.

#include <gtest/gtest.h>

#include "platform/ui_log.h"

namespace {

using host::UiEvent;

TEST(UiLog, RecordsMessageBoxesInOrderAmongOtherEvents) {
    host::Ui().Clear();
    host::Ui().Record(UiEvent{UiEvent::Kind::Command, "_REGEN ", 0, ""});
    EXPECT_EQ(vb::MsgBox("Pipe not found", vb::vbCritical, "Fluvanet"), vb::vbOK);
    host::Ui().Record(UiEvent{UiEvent::Kind::Prompt, "Select a node:", 0, ""});
    EXPECT_EQ(vb::MsgBox("Done"), vb::vbOK);

    ASSERT_EQ(host::Ui().Events().size(), 4u);
    EXPECT_EQ(host::Ui().Events()[0].kind, UiEvent::Kind::Command);
    EXPECT_EQ(host::Ui().MessageBoxes(),
              (std::vector<UiEvent>{{UiEvent::Kind::MessageBox, "Pipe not found", vb::vbCritical, "Fluvanet"},
                                    {UiEvent::Kind::MessageBox, "Done", vb::vbOKOnly, ""}}));
    EXPECT_EQ(host::Ui().Prompts(), std::vector<std::string>{"Select a node:"});

    host::Ui().Clear();
    EXPECT_TRUE(host::Ui().Events().empty());
    EXPECT_TRUE(host::Ui().MessageBoxes().empty());
}

}  // namespace
