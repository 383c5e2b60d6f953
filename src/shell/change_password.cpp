#include "shell/change_password.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/startup.h"
#include "shell/translator.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace shell {

using namespace store;

std::string passwordProblem(const std::string& first, const std::string& second) {
    if (trimRight(first) != trimRight(second)) return "Entries do not match. Please try again";
    if (trimRight(first).size() < 5) return "Password must be at least 5 characters";
    return {};
}

std::string SETPASSWORD(Store& db, const std::string& userName, const std::string& password) {
    Engine& engine = db.engine();
    Table& users = db.table(Tbl::USERS);
    auto failure = [&] {
        std::string text = engine.status().message();
        if (engine.inTransaction()) engine.rollback();
        users.clearBuffer();
        return text;
    };
    if (db.Access(Tbl::USERS).USEFILE() != Level_Benign) return failure();
    if (engine.begin(2, true) != NoError) return failure();
    db.USE.USERNAME = userName;
    if (engine.get(users, USE::USERNAME_KEY) != NoError) return failure();
    db.USE.PASSWORD = password;
    if (engine.put(users) != NoError) return failure();
    if (engine.commit() != NoError) return failure();
    return {};
}

CHANGEPASSWORD::CHANGEPASSWORD(Store& db, QWidget* parent) : QDialog(parent), db_(db) {
    setWindowTitle(tr("Change User Password"));
    setObjectName("CHANGEPASSWORD");
    first_ = new QLineEdit(this);
    second_ = new QLineEdit(this);
    for (QLineEdit* e : {first_, second_}) {
        e->setMaxLength(10);
        e->setEchoMode(QLineEdit::Password);
    }
    first_->setObjectName("NewPassword");
    second_->setObjectName("NewPassword2");
    auto* form = new QFormLayout;
    form->addRow(tr("New password:"), first_);
    form->addRow(tr("New password 2:"), second_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CHANGEPASSWORD::TAKEACCEPTED);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    first_->setFocus();
    Translate(this);
}

void CHANGEPASSWORD::TAKEACCEPTED() {
    const std::string a = first_->text().toStdString(), b = second_->text().toStdString();
    if (std::string problem = passwordProblem(a, b); !problem.empty()) {
        questions().message(kProductName, problem, Icon::Exclamation, BUTTON_OK, BUTTON_OK);
        first_->setFocus();
        first_->selectAll();
        return;
    }
    const std::string failure = SETPASSWORD(db_, session().GlobalUserName, a);
    if (!failure.empty()) {
        questions().message("Information Safeguard", "Transaction cancelled - " + failure,
                            Icon::Exclamation, BUTTON_OK, BUTTON_OK);
        reject();
        return;
    }
    questions().message(kProductName, "Password Changed", Icon::Information, BUTTON_OK, BUTTON_OK);
    accept();
}

}  // namespace shell
