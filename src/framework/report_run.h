#pragma once

#include <QProgressDialog>
#include <string>

#include "reports/document.h"

class QWidget;

namespace framework {

/// The progress window of a report ("Progress...", "Cancel"). It shows only when the
/// work takes longer than a moment, at the place it had the last time this report ran:
/// the placement is kept in the configuration file under the report's own name.
class ReportProgress {
  public:
    /// section: the report's name in the configuration file ("DayPort", "ByDateRpt").
    /// maximum: the value step() reaches at the end of the work.
    ReportProgress(std::string section, int maximum, QWidget* parent);
    ~ReportProgress();
    ReportProgress(const ReportProgress&) = delete;
    ReportProgress& operator=(const ReportProgress&) = delete;

    /// Moves the bar to value and lets the window handle the Cancel button. False once
    /// the user has cancelled: the report then stops at once and shows nothing.
    bool step(int value);
    bool cancelled() const { return dialog_.wasCanceled(); }

    QProgressDialog& dialog() { return dialog_; }

  private:
    std::string section_;
    QProgressDialog dialog_;
    bool placed_ = false;
};

/// Ends a report: with preview set, shows it in the print preview, from which it prints
/// or saves as PDF; without, prints it straight on the program's printer. A printer
/// that fails is reported to the user.
void finishReport(reports::Document doc, bool preview, QWidget* parent);

}  // namespace framework
