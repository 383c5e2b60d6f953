#include "shell/login.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/window_placement.h"
#include "shell/startup.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace shell {

using namespace store;

namespace {

void tell(const std::string& text) {
    questions().message(kProductName, text, Icon::Exclamation, BUTTON_OK, BUTTON_OK);
}

}  // namespace

LoginCheck::Outcome LoginCheck::TRY(const std::string& userName, const std::string& password) {
    if (!readSysPref(db_)) {
        questions().stop(db_.engine().status().message());
        return StoreFailure;
    }
    FileManager& users = db_.Access(Tbl::USERS);
    if (users.USEFILE() != Level_Benign) return StoreFailure;
    db_.USE.USERNAME = userName;
    if (db_.engine().get(db_.table(Tbl::USERS), USE::USERNAME_KEY) != NoError) {
        db_.table(Tbl::USERS).clearBuffer();
        return UnknownUser;
    }
    if (db_.USE.FAILFLAG == 1) return Suspended;
    if (db_.USE.PASSWORD == trimRight(password)) {
        session().GlobalUserName = db_.USE.USERNAME.str();
        session().accessLevel = db_.USE.ACCESSLEVEL;
        return Admitted;
    }
    ++failures_;
    if (db_.SYP.ACCESSTRIES != 0 && failures_ > db_.SYP.ACCESSTRIES) {
        db_.USE.FAILFLAG = 1;
        if (db_.engine().put(db_.table(Tbl::USERS)) != NoError)
            questions().stop(db_.engine().status().message());
        return NowSuspended;
    }
    return WrongPassword;
}

LOGIN::LOGIN(Store& db, QWidget* parent) : QDialog(parent), check_(db) {
    setWindowTitle(kProductName);
    setObjectName("LOGIN");
    auto* form = new QFormLayout;
    user_ = new QLineEdit(this);
    user_->setMaxLength(15);
    user_->setObjectName("UserName");
    password_ = new QLineEdit(this);
    password_->setMaxLength(10);
    password_->setEchoMode(QLineEdit::Password);
    password_->setObjectName("Password");
    form->addRow(tr("User name:"), user_);
    form->addRow(tr("Password:"), password_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &LOGIN::TAKEACCEPTED);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setTabOrder(user_, password_);
    user_->setFocus();
}

void LOGIN::TAKEACCEPTED() {
    switch (check_.TRY(user_->text().toStdString(), password_->text().toStdString())) {
        case LoginCheck::Admitted:
            admitted_ = true;
            accept();
            return;
        case LoginCheck::Suspended:
            tell("Suspended. Password failures. See your System Administrator");
            reject();
            return;
        case LoginCheck::NowSuspended:
            tell("Too many password failures, See your System Administrator.");
            tell("Login Failed");
            reject();
            return;
        case LoginCheck::StoreFailure:
            return;
        case LoginCheck::UnknownUser:
        case LoginCheck::WrongPassword:
            tell("Login Failed");
            user_->setFocus();
            user_->selectAll();
            return;
    }
}

bool LOGIN::ASK() {
    admitted_ = false;
    // Over the middle of the frame (or of the screen), wherever the frame was put.
    adjustSize();
    framework::centreOver(*this, parentWidget());
    exec();
    return admitted_;
}

}  // namespace shell
