#include "converter/ui/convert_window.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "converter/ui/progress_window.h"
#include "store/questions.h"

namespace converter::ui {

ConvertWindow::ConvertWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kCaption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);

    auto* notice =
        new QLabel("IMPORTANT! Make a copy of your existing data (*.tps) BEFORE converting.", this);
    QFont bold = notice->font();
    bold.setBold(true);
    notice->setFont(bold);
    layout->addWidget(notice);

    auto* prompt = new QLabel("&Enter the folder with resdata.tps", this);
    layout->addWidget(prompt);
    auto* row = new QHBoxLayout;
    path_ = new QLineEdit(this);
    path_->setObjectName("PATHNAME");
    path_->setMaxLength(144);
    path_->setMinimumWidth(360);
    prompt->setBuddy(path_);
    browse_ = new QPushButton("&Browse", this);
    browse_->setObjectName("BROWSEBUTTON");
    browse_->setAutoDefault(false);
    row->addWidget(path_, 1);
    row->addWidget(browse_);
    layout->addLayout(row);

    auto* group = new QGroupBox("Version to Convert", this);
    group->setObjectName("VERSION");
    auto* options = new QVBoxLayout(group);
    version_ = new QButtonGroup(this);
    for (const ReleaseInfo& r : convertibleReleases()) {
        auto* b = new QRadioButton(r.option, group);
        b->setObjectName(QString("VERSION_") + r.value);
        options->addWidget(b);
        version_->addButton(b, int(r.release));
    }
    version_->buttons().front()->setChecked(true);
    layout->addWidget(group);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    convert_ = new QPushButton("&Convert", this);
    convert_->setObjectName("CONVERT");
    convert_->setDefault(true);
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName("CANCEL");
    cancel_->setAutoDefault(false);
    buttons->addWidget(convert_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    setTabOrder(path_, browse_);
    setTabOrder(browse_, version_->buttons().front());
    setTabOrder(version_->buttons().front(), convert_);
    setTabOrder(convert_, cancel_);
    path_->setFocus();

    connect(browse_, &QPushButton::clicked, this, &ConvertWindow::BROWSE);
    connect(convert_, &QPushButton::clicked, this, &ConvertWindow::CONVERT);
    connect(cancel_, &QPushButton::clicked, this, &ConvertWindow::reject);
}

void ConvertWindow::setFolder(const QString& folder) {
    path_->setText(folder);
}

QString ConvertWindow::folder() const {
    return path_->text();
}

Release ConvertWindow::release() const {
    return Release(version_->checkedId());
}

void ConvertWindow::setRelease(Release r) {
    if (auto* b = version_->button(int(r))) b->setChecked(true);
}

void ConvertWindow::BROWSE() {
    const std::string chosen = store::questions().chooseFile(store::UserQuestions::FileKind::Folder,
                                                             "Select folder with Resdata.tps",
                                                             path_->text().toStdString(), "");
    if (!chosen.empty()) path_->setText(QString::fromStdString(chosen));
    path_->setFocus();
}

void ConvertWindow::CONVERT() {
    if (converting_) return;
    const QString folder = path_->text().trimmed();
    if (folder.isEmpty()) {
        path_->setFocus();
        return;
    }
    converting_ = true;
    setEnabled(false);
    {
        ProgressShower progress(this);
        outcome_ = convertFolder(folder.toStdString(), release(), &progress);
    }
    setEnabled(true);
    converting_ = false;
    if (outcome_ == Outcome::NothingDone) {
        path_->setFocus();
        path_->selectAll();
        return;
    }
    accept();
}

void ConvertWindow::reject() {
    if (!converting_) QDialog::reject();
}

void ConvertWindow::closeEvent(QCloseEvent* event) {
    if (converting_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

}  // namespace converter::ui
