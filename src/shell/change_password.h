#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace store {
class Store;
}

namespace shell {

/// Why a new password is refused, or "" when it may be set.
std::string passwordProblem(const std::string& first, const std::string& second);

/// Writes the logged-in user's new password in a transaction. Returns "" on success, else
/// the engine's text for what failed (nothing is changed then).
std::string SETPASSWORD(store::Store& db, const std::string& userName, const std::string& password);

/// The window in which the logged-in user changes his own password.
class CHANGEPASSWORD : public QDialog {
    Q_OBJECT
  public:
    explicit CHANGEPASSWORD(store::Store& db, QWidget* parent = nullptr);
    QLineEdit* first() const { return first_; }
    QLineEdit* second() const { return second_; }

  private:
    void TAKEACCEPTED();

    store::Store& db_;
    QLineEdit* first_;
    QLineEdit* second_;
};

}  // namespace shell
