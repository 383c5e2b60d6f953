#pragma once

#include <vector>

#include "booking/alerts.h"
#include "booking/words.h"
#include "framework/window_procedure.h"

class QPushButton;
class QTreeWidget;

namespace booking::ui {

/// ALERTWINDOW: the occurrences that are due, each with its booking, client and primary
/// resource, and the other resources of the one highlighted. "Edit/View" opens it in the
/// booking form. It appears without taking the keyboard from the window the user is
/// typing in.
class AlertWindow : public framework::WindowProcedure {
    Q_OBJECT
  public:
    AlertWindow(store::Store& db, std::vector<booking::DueOccurrence> due,
                QWidget* parent = nullptr);

    QTreeWidget* dueList() const { return due_; }
    QTreeWidget* otherList() const { return others_; }
    QPushButton* editButton() const { return edit_; }

  protected:
    bool INIT() override;
    void TAKEACCEPTED(QObject* control) override;

  private:
    void showOthers();
    void editHighlighted();

    booking::Words words_;
    std::vector<booking::DueOccurrence> list_;
    QTreeWidget* due_ = nullptr;
    QTreeWidget* others_ = nullptr;
    QPushButton *edit_ = nullptr, *close_ = nullptr;
};

/// Starts an alert window on the due occurrences, beside whatever window is active, and
/// shows the alert in the desktop's notification area when there is one.
AlertWindow* ALERTWINDOW(store::Store& db, std::vector<booking::DueOccurrence> due);

/// ALERTSEARCH: the program's search (booking::programAlerts()) at the clock's time; an
/// alert window starts when something new is due.
void ALERTSEARCH(store::Store& db);

}  // namespace booking::ui
