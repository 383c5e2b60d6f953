#pragma once

#include <functional>
#include <optional>
#include <string>

#include "booking/words.h"
#include "framework/window_procedure.h"
#include "reports/scan_sheets.h"
#include "scan/scans.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace framework {
class DateEntry;
}

namespace scan::ui {

class ScanView;

/// One scan window: a resource's week (SCANSINGLE) or month (SCANMONTH), a group's day
/// (SCANGROUP), week (SCANGROUPWEEK) or month (SCANGROUPMONTH), when a group is free
/// (SCANFREE), how much of a pooled resource is taken (SCANPOOLED). The entry names the
/// resource or group, the date entry the period; every redraw reads the store afresh and
/// paints the core's layout. A click on a booking box opens the booking form on that
/// occurrence, and a completed change redraws.
class ScanWindow : public framework::WindowProcedure {
    Q_OBJECT
  public:
    ScanWindow(store::Store& db, ScanKind kind, QWidget* parent = nullptr);
    ~ScanWindow() override;

    ScanKind kind() const { return kind_; }
    /// The resource or group shown ("" when none).
    const std::string& shown() const { return name_; }
    store::Date reference() const { return reference_; }
    /// Shows another resource or group and date, as if the user had typed them.
    void show(const std::string& name, store::Date reference);
    /// The forced redraw: reads the store and paints anew.
    void redraw();
    /// Opens the booking of a box, as a click on it does.
    void openBox(int id);

    // The controls, for tests that drive the window as a user does.
    QLineEdit* nameEntry() const { return entry_; }
    framework::DateEntry* dateEntry() const { return date_; }
    QPushButton* insertButton() const { return insert_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* exportButton() const { return export_; }
    /// The scan sheet Print starts for this scan and the user's week; none for the scans
    /// that print nothing.
    std::optional<reports::ScanReport> printedReport();
    QPushButton* backButton() const { return back_; }
    QPushButton* forwardButton() const { return forward_; }
    QPushButton* lookupButton() const { return lookup_; }
    ScanView* view() const { return view_; }

    /// Opens the booking form with a request; returns its response. The booking form
    /// unless a test puts another in its place.
    static std::function<int(store::Store&, QWidget*, int)>& bookingForm();

  protected:
    bool INIT() override;
    void TAKEACCEPTED(QObject* control) override;
    void TAKEEVENT() override;

  private:
    bool group() const;
    /// Whether the scan's bookings can be saved as a calendar file (not the free-time and
    /// pooled scans, which show no single bookings of their own).
    bool exportable() const;
    void build();
    /// The entry accepted: a name on file is shown, another opens the look-up.
    void acceptName();
    void lookUp();
    /// For the pooled scan: whether the resource shown has more than one unit; tells the
    /// user when it has not.
    bool pooled();
    void dateAccepted(store::Date date);
    /// Runs the booking form and redraws when it completed.
    void runBookingForm(int request);
    /// Sizes the window for the scan at the user's settings, within the screen.
    void defaultSize();

    ScanKind kind_;
    booking::Words words_;
    ScanPrefs prefs_;
    std::string name_;
    store::Date reference_;
    QLineEdit* entry_ = nullptr;
    QPushButton* lookup_ = nullptr;
    framework::DateEntry* date_ = nullptr;
    QPushButton* cal_ = nullptr;
    QPushButton *back_ = nullptr, *forward_ = nullptr;
    QPushButton *insert_ = nullptr, *browse_ = nullptr, *print_ = nullptr, *export_ = nullptr;
    QPushButton *close_ = nullptr, *help_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    ScanView* view_ = nullptr;
    bool drawing_ = false;
    bool ownChange_ = false;
};

/// The procedure names of the five scans, with the kind each shows.
struct ScanProcedure {
    const char* name;
    ScanKind kind;
    bool started;  // true: a window of its own beside the frame; false: called (modal)
};
const std::vector<ScanProcedure>& scanProcedures();

/// Runs a scan as the frame's menu runs it.
void runScan(store::Store& db, ScanKind kind, QWidget* parent);

/// Defines the scans, the find-free-time window and the bookings browses in the program's
/// window registry.
void registerWindows();

}  // namespace scan::ui
