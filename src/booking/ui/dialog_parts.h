#pragma once

#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QString>
#include <string>
#include <vector>

#include "store/fixed_string.h"

class QDialog;
class QDialogButtonBox;
class QWidget;

namespace framework {
class TimeEntry;
}

namespace booking {
struct Refusal;
}

namespace booking::ui {

/// A time chosen from a list of times or typed: an editable drop list whose entry reads
/// times strictly (framework::TimeEntry). A time picked from the list keeps its stored
/// value exactly.
class TimeCombo : public QComboBox {
    Q_OBJECT
  public:
    TimeCombo(const std::vector<store::LONG>& times, QWidget* parent = nullptr);

    framework::TimeEntry* entry() const { return entry_; }
    /// The stored time; 0 for none.
    store::LONG stored() const;
    void setStored(store::LONG value);

  private:
    framework::TimeEntry* entry_ = nullptr;
};

/// Tells the user that the window refuses its input: a beep, the message (when the
/// refusal has one) under the window's caption, and the focus back on `field`.
void refuse(QWidget* window, const Refusal& refusal, QWidget* field);
/// A beep, the message under the window's caption, and the focus on `field`.
void refuse(QWidget* window, const QString& message, QWidget* field);

/// OK (the default button: Enter), Cancel (Escape) and Help for a dialog; Help opens the
/// help at `topic`. OK is connected to nothing: the dialog checks its input first.
QDialogButtonBox* okCancelHelp(QDialog* dialog, const std::string& topic);

/// One answer to "which occurrences" of a repeated booking: its scope value, caption, tip
/// (its "%1" the booking word) and object name.
struct ScopeChoice {
    int scope;
    const char* caption;
    const char* tip;
    const char* name;
};

/// The radio buttons of the choices, one under the other in `layout`, in one group whose
/// ids are the scopes; the first is checked.
QButtonGroup* scopeButtons(QDialog* dialog, QBoxLayout* layout,
                           const std::vector<ScopeChoice>& choices, const std::string& bookingWord);

}  // namespace booking::ui
