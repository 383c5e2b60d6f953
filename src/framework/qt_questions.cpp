#include "framework/qt_questions.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

namespace framework {

namespace {

const std::pair<store::Button, QMessageBox::StandardButton> kButtons[] = {
    {store::BUTTON_OK, QMessageBox::Ok},         {store::BUTTON_YES, QMessageBox::Yes},
    {store::BUTTON_NO, QMessageBox::No},         {store::BUTTON_ABORT, QMessageBox::Abort},
    {store::BUTTON_RETRY, QMessageBox::Retry},   {store::BUTTON_IGNORE, QMessageBox::Ignore},
    {store::BUTTON_CANCEL, QMessageBox::Cancel}, {store::BUTTON_HELP, QMessageBox::Help},
};

QMessageBox::Icon iconOf(store::Icon icon) {
    switch (icon) {
        case store::Icon::Information:
            return QMessageBox::Information;
        case store::Icon::Question:
            return QMessageBox::Question;
        case store::Icon::Exclamation:
            return QMessageBox::Warning;
        case store::Icon::Stop:
            return QMessageBox::Critical;
        case store::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QWidget* parentWindow() {
    return QApplication::activeWindow();
}

}  // namespace

store::Button QtQuestions::message(const std::string& caption, const std::string& text,
                                   store::Icon icon, unsigned buttons,
                                   store::Button defaultButton) {
    QMessageBox box(iconOf(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, parentWindow());
    if (buttons == 0) buttons = store::BUTTON_OK;
    for (auto [ours, theirs] : kButtons) {
        if (!(buttons & ours)) continue;
        QPushButton* b = box.addButton(theirs);
        if (ours == defaultButton) box.setDefaultButton(b);
    }
    // Closing the box without a choice (Escape, the close box) is never a Yes.
    store::Button escape = (buttons & store::BUTTON_CANCEL) ? store::BUTTON_CANCEL
                           : (buttons & store::BUTTON_NO)   ? store::BUTTON_NO
                                                            : defaultButton;
    for (auto [ours, theirs] : kButtons)
        if (ours == escape) box.setEscapeButton(theirs);
    box.exec();
    const auto pressed = box.standardButton(box.clickedButton());
    for (auto [ours, theirs] : kButtons)
        if (theirs == pressed) return ours;
    return escape;
}

bool QtQuestions::stop(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                    QString::fromStdString(text), QMessageBox::NoButton, parentWindow());
    QPushButton* end = box.addButton(QObject::tr("End the program"), QMessageBox::DestructiveRole);
    QPushButton* goOn = box.addButton(QObject::tr("Go on"), QMessageBox::AcceptRole);
    box.setDefaultButton(goOn);
    box.setEscapeButton(goOn);
    box.exec();
    return box.clickedButton() == end;
}

std::string QtQuestions::chooseFile(FileKind kind, const std::string& caption,
                                    const std::string& start, const std::string& filter) {
    const QString c = QString::fromStdString(caption), s = QString::fromStdString(start),
                  f = QString::fromStdString(filter);
    QString path;
    switch (kind) {
        case FileKind::Open:
            path = QFileDialog::getOpenFileName(parentWindow(), c, s, f);
            break;
        case FileKind::Save:
            path = QFileDialog::getSaveFileName(parentWindow(), c, s, f);
            break;
        case FileKind::Folder:
            path = QFileDialog::getExistingDirectory(parentWindow(), c, s);
            break;
    }
    return path.toStdString();
}

}  // namespace framework
