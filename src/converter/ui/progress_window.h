#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <memory>

#include "converter/table_job.h"

class QLabel;

namespace converter::ui {

/// "Converting File": the running count of records read and the table being read. It
/// cannot be closed while its stage runs.
class ProgressWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    void show(const QString& source, long long count);
    QString countText() const;
    QString sourceText() const;

  public slots:
    void reject() override {}  // Escape does not stop a stage

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* count_;
    QLabel* source_;
};

/// Shows each stage in a progress window of its own, under a busy cursor, and lets the
/// window system run between records so that the windows keep being drawn.
class ProgressShower : public ConvertObserver {
  public:
    explicit ProgressShower(QWidget* parent) : parent_(parent) {}
    ~ProgressShower() override;

    void stageStarted(char stage) override;
    void recordRead(const std::string& source, long long count) override;
    void stageFinished(char stage) override;

    /// The progress window of the running stage, or nullptr between stages.
    ProgressWindow* window() const { return window_.get(); }

  private:
    QWidget* parent_;
    std::unique_ptr<ProgressWindow> window_;
    QElapsedTimer sinceShown_;
};

}  // namespace converter::ui
