#pragma once

#include <string>

#include "framework/browse.h"
#include "framework/form.h"
#include "masterdata/client_maintenance.h"
#include "masterdata/special_days.h"

class QLineEdit;

namespace framework {
class DateEntry;
class TimeEntry;
}  // namespace framework

namespace masterdata::ui {

/// Defines the duration and routine-name lists of the system ("SysPref") and of the
/// logged-in user, the special-day form and the special-days file import.
void defineListWindows(store::Store& db);

/// A list of the lengths filed under one owner, shown as hh:mm. Lengths are only added
/// and deleted, never changed.
class DurationBrowse : public framework::BrowseProcedure {
    Q_OBJECT
  public:
    DurationBrowse(store::Store& db, const std::string& name, std::string owner,
                   std::string formName, QWidget* parent = nullptr);

  protected:
    /// The locator takes a length as typed ("0:30").
    void LOCATE(const QString& text) override;
};

/// Adds one length to an owner's list.
class DurationForm : public framework::FormProcedure {
    Q_OBJECT
  public:
    DurationForm(store::Store& db, const std::string& name, std::string owner,
                 QWidget* parent = nullptr);
    framework::TimeEntry* duration() const { return duration_; }

  protected:
    bool INIT() override;
    void BUILD() override;
    void PRIMEFIELDS() override;
    bool VALIDATE() override;

  private:
    std::string owner_;
    framework::TimeEntry* duration_ = nullptr;
};

/// A list of the booking names filed under one owner; in select mode "Select" leaves the
/// highlighted name in the ROUTINEA buffer.
class RoutineBrowse : public framework::BrowseProcedure {
    Q_OBJECT
  public:
    RoutineBrowse(store::Store& db, const std::string& name, std::string owner,
                  std::string formName, bool select, QWidget* parent = nullptr);
};

/// Adds or changes one name of an owner's list.
class RoutineForm : public framework::FormProcedure {
    Q_OBJECT
  public:
    RoutineForm(store::Store& db, const std::string& name, std::string owner,
                QWidget* parent = nullptr);
    QLineEdit* nameEntry() const { return name_; }

  protected:
    bool INIT() override;
    void BUILD() override;
    void PRIMEFIELDS() override;
    bool VALIDATE() override;

  private:
    std::string owner_;
    SystemWords words_;
    QLineEdit* name_ = nullptr;
};

/// UPDATESPECIAL: one period of special days, its dates with "Cal" buttons; a period
/// that ends before it starts is refused.
class SpecialForm : public framework::FormProcedure {
    Q_OBJECT
  public:
    explicit SpecialForm(store::Store& db, QWidget* parent = nullptr);
    framework::DateEntry* start() const { return start_; }
    framework::DateEntry* end() const { return end_; }

  protected:
    void BUILD() override;
    bool VALIDATE() override;

  private:
    QLineEdit* description_ = nullptr;
    framework::DateEntry* start_ = nullptr;
    framework::DateEntry* end_ = nullptr;
};

/// FIVEYEAR: picks a special-days file and adds its periods to the special days.
class FiveYearWindow : public framework::WindowProcedure {
    Q_OBJECT
  public:
    explicit FiveYearWindow(store::Store& db, QWidget* parent = nullptr);
    QLineEdit* path() const { return path_; }

  protected:
    bool INIT() override;
    bool TAKECOMPLETED() override;

  private:
    void lookUp();
    QLineEdit* path_ = nullptr;
};

/// Adds the periods of the file to the special days under the busy cursor and tells the
/// user how it went; a file that cannot be used adds nothing.
SpecialImport TRANSFERFILE(store::Store& db, const std::string& path);

}  // namespace masterdata::ui
