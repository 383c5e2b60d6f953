#include "store/questions.h"

#include <atomic>

namespace store {

namespace {

/// Answers every question with its default button, so that a program without a window
/// system (or a test that does not care) never blocks on a question.
class SilentQuestions final : public UserQuestions {
  public:
    Button message(const std::string&, const std::string&, Icon, unsigned,
                   Button defaultButton) override {
        return defaultButton;
    }
    bool stop(const std::string&) override { return false; }
};

SilentQuestions silent;
std::function<int(const ConflictQuestion&)>& conflictWindow() {
    static std::function<int(const ConflictQuestion&)> window;
    return window;
}
// Windows started on their own threads ask through the same instance.
std::atomic<UserQuestions*> installed{nullptr};

}  // namespace

int UserQuestions::conflict(const ConflictQuestion& q) {
    const auto& window = conflictWindow();
    return window ? window(q) : CancelEraseAccepted;
}

void setConflictWindow(std::function<int(const ConflictQuestion&)> window) {
    conflictWindow() = std::move(window);
}

UserQuestions& questions() {
    UserQuestions* q = installed.load();
    return q ? *q : silent;
}

UserQuestions* setQuestions(UserQuestions* q) {
    return installed.exchange(q);
}

}  // namespace store
