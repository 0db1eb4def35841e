#pragma once
// A message-box double for widget tests: records every box and answers with scripted buttons
// (the default button once the script runs out).

#include <deque>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

namespace vlz::testing {

struct RecordedBox {
    std::string Text;
    std::string Caption;
    unsigned Flags = 0;
};

class ScriptedMessageBoxes : public MessageBoxHook {
  public:
    ScriptedMessageBoxes() : FPrevious(InstallMessageBoxHook(this)) {}
    ~ScriptedMessageBoxes() override { InstallMessageBoxHook(FPrevious); }

    int Show(std::string_view text, std::string_view caption, unsigned flags,
             MessageBoxOwner /*owner*/) override {
        Boxes.push_back({std::string(text), std::string(caption), flags});
        if (Answers.empty()) {
            return DefaultAnswer(flags);
        }
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }

    std::vector<RecordedBox> Boxes;
    std::deque<int> Answers;

  private:
    MessageBoxHook* FPrevious;
};

}  // namespace vlz::testing
