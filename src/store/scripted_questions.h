#pragma once

#include <deque>
#include <string>
#include <vector>

#include "store/questions.h"

namespace store {

/// Answers the program's questions from a script and remembers every one asked, for tests
/// and for runs without a window system. Declaring one installs it as the program-wide
/// instance; its end restores the instance that was installed before.
class ScriptedQuestions : public UserQuestions {
  public:
    /// One question as it was put, with the answer it received.
    struct Asked {
        std::string caption;
        std::string text;
        Icon icon = Icon::None;
        unsigned buttons = 0;  // the set of buttons offered
        Button defaultButton = BUTTON_OK;
        Button answer = BUTTON_OK;  // the button "pressed"
        bool stopBox = false;       // asked through stop(); then only text and endChosen count
        bool endChosen = false;     // the stop box's answer: true to end the program
    };

    ScriptedQuestions();
    ~ScriptedQuestions() override;
    ScriptedQuestions(const ScriptedQuestions&) = delete;
    ScriptedQuestions& operator=(const ScriptedQuestions&) = delete;

    /// Queues the button that the next message box will be answered with.
    void answer(Button b) { buttons_.push_back(b); }
    /// Queues the answer of the next stop box: true ends the program, false goes on.
    void answerStop(bool end) { stops_.push_back(end); }
    /// Queues the answer of the next conflict dialog (a ConflictAnswer).
    void answerConflict(int a) { conflicts_.push_back(a); }
    /// Queues the path that the next file or folder dialog returns ("" for Cancel).
    void answerFile(std::string path) { files_.push_back(std::move(path)); }
    /// Scripted answers not yet used; a test that expects every answer to be asked for
    /// checks that this is 0.
    std::size_t pending() const { return buttons_.size() + stops_.size() + conflicts_.size(); }

    /// The text of the last question asked, or "" when none was.
    std::string lastText() const { return asked.empty() ? std::string() : asked.back().text; }
    /// The texts of all questions asked, in order.
    std::vector<std::string> texts() const;
    /// Forgets the questions asked so far (the queued answers stay).
    void clearAsked() { asked.clear(); }

    /// Answers with the next queued button, or the default button when none is queued.
    Button message(const std::string& caption, const std::string& text, Icon icon, unsigned buttons,
                   Button defaultButton) override;
    /// Answers with the next queued stop answer, or "go on" when none is queued.
    bool stop(const std::string& text) override;
    /// Records the dialog as a question (its caption and start path) and answers from
    /// the queue; "" (Cancel) when the queue is empty.
    std::string chooseFile(FileKind kind, const std::string& caption, const std::string& start,
                           const std::string& filter) override;
    /// Records the conflict (its text in `text`, the question in `conflicts`) and answers
    /// from the queue; CancelEraseAccepted when the queue is empty.
    int conflict(const ConflictQuestion& q) override;

    /// Every question asked, oldest first.
    std::vector<Asked> asked;
    /// Every conflict dialog shown, oldest first.
    std::vector<ConflictQuestion> conflicts;

  private:
    std::deque<Button> buttons_;
    std::deque<bool> stops_;
    std::deque<std::string> files_;
    std::deque<int> conflicts_;
    UserQuestions* previous_ = nullptr;
};

}  // namespace store
