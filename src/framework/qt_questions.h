#pragma once

#include "store/questions.h"

namespace framework {

/// The window-system implementation of the user questions: message boxes with their icons
/// and buttons, the stop box, and the file dialogs.
class QtQuestions final : public store::UserQuestions {
  public:
    store::Button message(const std::string& caption, const std::string& text, store::Icon icon,
                          unsigned buttons, store::Button defaultButton) override;
    bool stop(const std::string& text) override;
    std::string chooseFile(FileKind kind, const std::string& caption, const std::string& start,
                           const std::string& filter) override;
};

}  // namespace framework
