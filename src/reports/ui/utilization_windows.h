#pragma once

#include <functional>
#include <string>

#include "booking/words.h"
#include "framework/window_procedure.h"
#include "reports/utilization.h"
#include "reports/utilization_report.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace framework {
class DateEntry;
}

namespace reports::ui {

/// RESUTIL and GROUPUTIL: how much of the working time of one resource, or of every
/// resource of a group, was booked over a period, with the figures in a summary box and,
/// for a group, a row per resource.
class UtilizationWindow : public framework::WindowProcedure {
    Q_OBJECT
  public:
    UtilizationWindow(store::Store& db, bool group, QWidget* parent = nullptr);

    /// The question the controls state.
    UtilizationQuestion question();
    /// "Calculate": the figures for the controls' question; false (the user told why)
    /// when they cannot be computed.
    bool calculate();

    // The controls, for tests that drive the window as a user does.
    QLineEdit* entry() const { return entry_; }
    framework::DateEntry* startEntry() const { return start_; }
    framework::DateEntry* endEntry() const { return end_; }
    QCheckBox* weekendsBox() const { return weekends_; }
    QCheckBox* specialsBox() const { return specials_; }
    QCheckBox* actualBox() const { return actual_; }
    QPushButton* calculateButton() const { return calculate_; }
    QPushButton* printButton() const { return print_; }
    QTreeWidget* detail() const { return detail_; }
    QPushButton* csvButton() const { return csv_; }
    /// The document Print previews for the figures last calculated.
    reports::Document document();
    /// The CSV "Save as CSV" writes for the figures last calculated.
    std::string csv();
    /// The summary field shown under its label ("Work hours used:").
    QString summary(const QString& label) const;

  protected:
    bool INIT() override;
    void TAKEACCEPTED(QObject* control) override;
    void TAKEEVENT() override;

  private:
    void build();
    void CONTROLPROP();
    void acceptEntry(bool lookUp);
    void show(const ResourceUtilization& r);
    void show(const GroupUtilization& g);

    bool group_;
    booking::Words words_;
    QCheckBox *actual_ = nullptr, *weekends_ = nullptr, *specials_ = nullptr;
    QLineEdit* entry_ = nullptr;
    QPushButton* lookup_ = nullptr;
    framework::DateEntry *start_ = nullptr, *end_ = nullptr;
    QPushButton *calculate_ = nullptr, *print_ = nullptr, *csv_ = nullptr, *close_ = nullptr,
                *help_ = nullptr;
    QWidget* chart_ = nullptr;
    UtilizationHeading heading();
    // The figures last calculated, and the question they answer.
    UtilizationQuestion asked_;
    ResourceUtilization resource_;
    GroupUtilization group_figures_;
    bool calculated_ = false;
    std::vector<std::pair<QString, QLabel*>> summary_;
    QTreeWidget* detail_ = nullptr;
};

/// Defines the two windows, and the print-outs other windows call, in the program's window
/// registry.
void registerWindows();

}  // namespace reports::ui
