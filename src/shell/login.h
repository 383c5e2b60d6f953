#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace store {
class Store;
}

namespace shell {

/// The rules of logging in, apart from the window: the failure counter of one log-in
/// window and what each attempt leads to.
class LoginCheck {
  public:
    enum Outcome {
        UnknownUser,    // "Login Failed"; counts nothing
        Suspended,      // the user is suspended: the log-in has failed
        Admitted,       // GlobalUserName and the access level are set
        WrongPassword,  // "Login Failed"; counted
        NowSuspended,   // too many failures: the user has just been suspended
        StoreFailure,   // the preferences or the user could not be read or written
    };

    explicit LoginCheck(store::Store& db) : db_(db) {}
    Outcome TRY(const std::string& userName, const std::string& password);
    int failures() const { return failures_; }

  private:
    store::Store& db_;
    int failures_ = 0;
};

/// The log-in window: user name, masked password, OK and Cancel.
class LOGIN : public QDialog {
    Q_OBJECT
  public:
    LOGIN(store::Store& db, QWidget* parent = nullptr);
    /// Runs the window; true when a user was admitted.
    bool ASK();

    QLineEdit* userName() const { return user_; }
    QLineEdit* password() const { return password_; }

  private:
    void TAKEACCEPTED();

    LoginCheck check_;
    QLineEdit* user_;
    QLineEdit* password_;
    bool admitted_ = false;
};

}  // namespace shell
