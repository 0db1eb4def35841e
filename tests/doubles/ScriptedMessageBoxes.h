#pragma once
// The message-box double: records every box and answers it with a scripted button, or with the
// box's default button once the script runs out.
//
// By default a box is answered at once. A real box is not: it runs an event loop of its own until
// the user answers, and timers, posted events and other boxes go on inside it. A test that cares
// sets WhileOpen to such a loop (support/EventLoop.h has them) and may answer the box from inside
// it, from a timer or any handler, with Answer(). The double itself needs no Qt, so that tests of
// the plain C++ layers use it too.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

namespace vlz::testing {

struct RecordedBox {
    std::string Text;
    std::string Caption;
    unsigned Flags = 0;
    MessageBoxOwner Owner = MessageBoxOwner::Application;
};

class ScriptedMessageBoxes : public MessageBoxHook {
  public:
    ScriptedMessageBoxes() : FPrevious(InstallMessageBoxHook(this)) {}
    ~ScriptedMessageBoxes() override { InstallMessageBoxHook(FPrevious); }
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    int Show(std::string_view text, std::string_view caption, unsigned flags,
             MessageBoxOwner owner) override {
        const RecordedBox box{std::string(text), std::string(caption), flags, owner};
        Boxes.push_back(box);
        // A box takes its scripted answer when it opens, so that boxes opened inside it take the
        // answers after it.
        int answer = DefaultAnswer(flags);
        if (!Answers.empty()) {
            answer = Answers.front();
            Answers.pop_front();
        }
        FOpen.emplace_back();
        if (WhileOpen) {
            WhileOpen(box);
        }
        if (FOpen.back()) {
            answer = *FOpen.back();
        }
        FOpen.pop_back();
        return answer;
    }

    // Answers the innermost open box with this button, as a click on it would. The box closes when
    // its WhileOpen loop sees the answer.
    void Answer(int button) {
        if (!FOpen.empty()) {
            FOpen.back() = button;
        }
    }

    // How many boxes are open now: a box shown while another is open counts twice.
    int OpenBoxes() const { return static_cast<int>(FOpen.size()); }

    // Whether the innermost open box has been given its answer by Answer().
    bool Answered() const { return !FOpen.empty() && FOpen.back().has_value(); }

    // Every box shown, in the order they opened.
    std::vector<RecordedBox> Boxes;
    // The answers of the next boxes, in the order they open; after them, the default button.
    std::deque<int> Answers;
    // Runs while a box is open, before it is answered; unset, the box is answered at once.
    std::function<void(const RecordedBox&)> WhileOpen;

  private:
    std::vector<std::optional<int>> FOpen;  // the open boxes, innermost last, with their answers
    MessageBoxHook* FPrevious;
};

}  // namespace vlz::testing
