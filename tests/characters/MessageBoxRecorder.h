#pragma once
// A message-box double for the duration of a test: records every box and answers with its
// default button.

#include <string>
#include <vector>

#include "platform/MessageBox.h"

namespace vlz {

struct RecordedMessageBox {
    std::string Text;
    std::string Caption;
    unsigned Flags;
    MessageBoxOwner Owner;
};

class MessageBoxRecorder : public MessageBoxHook {
  public:
    MessageBoxRecorder() : previous_(InstallMessageBoxHook(this)) {}
    ~MessageBoxRecorder() override { InstallMessageBoxHook(previous_); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    int Show(std::string_view text, std::string_view caption, unsigned flags,
             MessageBoxOwner owner) override {
        Boxes.push_back({std::string(text), std::string(caption), flags, owner});
        return DefaultAnswer(flags);
    }

    std::vector<RecordedMessageBox> Boxes;

  private:
    MessageBoxHook* previous_;
};

}  // namespace vlz
