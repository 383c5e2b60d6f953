#include "store/scripted_questions.h"

namespace store {

ScriptedQuestions::ScriptedQuestions() : previous_(setQuestions(this)) {}

ScriptedQuestions::~ScriptedQuestions() {
    setQuestions(previous_);
}

std::vector<std::string> ScriptedQuestions::texts() const {
    std::vector<std::string> out;
    out.reserve(asked.size());
    for (const Asked& a : asked) out.push_back(a.text);
    return out;
}

Button ScriptedQuestions::message(const std::string& caption, const std::string& text, Icon icon,
                                  unsigned buttons, Button defaultButton) {
    Button answer = defaultButton;
    if (!buttons_.empty()) {
        answer = buttons_.front();
        buttons_.pop_front();
    }
    asked.push_back({caption, text, icon, buttons, defaultButton, answer, false, false});
    return answer;
}

bool ScriptedQuestions::stop(const std::string& text) {
    bool end = false;
    if (!stops_.empty()) {
        end = stops_.front();
        stops_.pop_front();
    }
    asked.push_back({"", text, Icon::Stop, 0, BUTTON_OK, BUTTON_OK, true, end});
    return end;
}

std::string ScriptedQuestions::chooseFile(FileKind, const std::string& caption,
                                          const std::string& start, const std::string&) {
    std::string path;
    if (!files_.empty()) {
        path = std::move(files_.front());
        files_.pop_front();
    }
    asked.push_back({caption, start, Icon::None, 0, BUTTON_OK, BUTTON_OK, false, false});
    return path;
}

int ScriptedQuestions::conflict(const ConflictQuestion& q) {
    int answer = CancelEraseAccepted;
    if (!conflicts_.empty()) {
        answer = conflicts_.front();
        conflicts_.pop_front();
    }
    conflicts.push_back(q);
    asked.push_back({"conflict", q.text, Icon::Exclamation, 0, BUTTON_OK, BUTTON_OK, false, false});
    return answer;
}

}  // namespace store
