#include "converter/ui/progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>

namespace converter::ui {

namespace {
/// How often the window is brought up to date while records stream past.
constexpr qint64 kRedrawMilliseconds = 40;
}  // namespace

ProgressWindow::ProgressWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Converting File");
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Converting Record #:", this), 0, 0);
    count_ = new QLabel(this);
    count_->setObjectName("COUNT");
    count_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Room for eight digits, so the window does not jump as the count grows.
    count_->setMinimumWidth(QFontMetrics(count_->font()).horizontalAdvance("99999999") + 8);
    grid->addWidget(count_, 0, 1);
    source_ = new QLabel(this);
    source_->setObjectName("SOURCENAME");
    source_->setMinimumWidth(300);
    grid->addWidget(source_, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setVerticalSpacing(10);
    setModal(true);
}

void ProgressWindow::show(const QString& source, long long count) {
    count_->setText(QString::number(count));
    source_->setText(source);
}

QString ProgressWindow::countText() const {
    return count_->text();
}
QString ProgressWindow::sourceText() const {
    return source_->text();
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

// ---------------------------------------------------------------------------------------

ProgressShower::~ProgressShower() {
    if (window_) stageFinished(' ');
}

void ProgressShower::stageStarted(char) {
    window_ = std::make_unique<ProgressWindow>(parent_);
    window_->QDialog::show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    sinceShown_.start();
    QApplication::processEvents();
}

void ProgressShower::recordRead(const std::string& source, long long count) {
    if (!window_) return;
    // A new table (its count starts at 1) shows at once; within a table a few redraws a
    // second are enough, and even the clock is read only every 64th record.
    if (count != 1 && ((count & 63) != 0 || sinceShown_.elapsed() < kRedrawMilliseconds)) return;
    window_->show(QString::fromStdString(source), count);
    sinceShown_.restart();
    QApplication::processEvents();
}

void ProgressShower::stageFinished(char) {
    if (!window_) return;
    window_.reset();
    QApplication::restoreOverrideCursor();
    QApplication::processEvents();
}

}  // namespace converter::ui
