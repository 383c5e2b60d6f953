#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/form.h"
#include "framework/window_procedure.h"
#include "masterdata/group_save.h"
#include "masterdata/resources.h"
#include "masterdata/save_result.h"
#include "store/session.h"

class QHBoxLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace masterdata::ui {

class TagTable;

/// A push button named for tests and key handling that never takes Enter from the window.
QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QString& tip = {});

/// Gives the window's button `name` a new caption and tip (null keeps the present one)
/// and marks it translated already.
void retitle(QWidget& w, const char* name, const char* caption, const char* tip);

/// A list with its buttons in a column beside it.
QHBoxLayout* listWithButtons(QWidget* list, std::initializer_list<QPushButton*> buttons);

/// Shows a form's working list of names, keeping the highlighted name where it stays.
void showNames(QListWidget& list, const NameList& names);

/// A multiple-selection window: its tag lists above Tag all, Clear all, OK, Cancel and
/// Help. Tag all and Clear all act on the list in view; OK hands the tags over through
/// TAKECOMPLETED.
class SelectionWindow : public framework::WindowProcedure {
  public:
    SelectionWindow(store::Store& db, const char* name, QWidget* parent);

  protected:
    /// Places `content` above the buttons and sizes the window; the derived window calls it
    /// once its lists are made, so that the buttons follow them in the tab order.
    void lay(QWidget* content, int width, int height);
    /// The tag list in view.
    virtual TagTable* current() const = 0;
    /// The rows chosen in the list in view (TagTable::chosenRows). When there are none
    /// the user is told so and the focus goes back to the list.
    std::vector<int> chosenOrSay();
};

/// A form that keeps its record as it was read: every save starts again from the kept
/// record with the controls' values over it, so that a failed try leaves nothing behind.
class KeptRecordForm : public framework::FormProcedure {
  public:
    using FormProcedure::FormProcedure;

  protected:
    /// Keeps the record in the buffer, where it was read and the name it was read under.
    void keepRecord(std::string original);
    /// Puts the kept record back into the buffer with the controls' values over it.
    void restoreRecord();
    /// Whether the buffer differs from the kept record.
    bool recordChanged();
    /// Keeps the buffer as the save left it and tells the user how the save ended: true when
    /// saved; a cancelled save closes the form; `stay` runs when the form stays open.
    bool saveEnded(const SaveResult& r, const std::function<void()>& stay);
    /// A form closed by a cancelled save closes without a question.
    bool TAKECLOSEEVENT() override;
    /// Lays the form out as a "General" and a "Notes" tab above the status text and the
    /// buttons; `notesLabel`, unless empty, stands above the notes.
    void layGeneralAndNotes(QWidget* general, QWidget* notes, const QString& notesLabel);
    /// Tab moves through `controls` in the order given.
    void tabChain(std::initializer_list<QWidget*> controls);

    std::string original_;
    store::RecordPosition position_;
    bool closing_ = false;

  private:
    std::vector<std::byte> record_;
};

/// A kept-record form with a working list of names beside the record.
class NameListForm : public KeptRecordForm {
  public:
    using KeptRecordForm::KeptRecordForm;

  protected:
    /// The stored names, as the working list and as loaded.
    void loadNames(const std::vector<std::string>& names);
    /// Shows the working list in the list control.
    void showList();
    /// Takes the highlighted name off the working list.
    void removeHighlighted();
    /// Closing with the working list changed asks whether to save it first.
    bool TAKECLOSEEVENT() override;

    QListWidget* names_ = nullptr;  // the list control, made by the form's BUILD
    NameList list_, loaded_;
};

/// A group's form: the group's name and its working list of members, added through a
/// multiple-selection window and removed one by one, saved with the group in one go.
class GroupForm : public NameListForm {
  public:
    /// `nameField` is the group name's field; without the right `admin` the group is
    /// only shown.
    GroupForm(store::Store& db, store::Tbl table, const char* name, store::Field nameField,
              store::Right admin, QWidget* parent);

  protected:
    /// The form's own texts, translated.
    struct Captions {
        QString nameTip, insertTip, deleteTip, nameLabel, membersLabel;
    };
    virtual Captions captions() = 0;
    /// The members stored for the group `name`.
    virtual std::vector<std::string> storedMembers(const std::string& name) = 0;
    /// Lets the user choose members to add: the chosen ones, none when cancelled.
    virtual std::vector<std::string> chooseMembers() = 0;
    /// Saves the group record in the buffer and its members.
    virtual SaveResult save(const GroupEdit& edit) = 0;

    void BUILD() override;
    bool INIT() override;
    bool TAKECOMPLETED() override;

  private:
    store::Field nameField_;
    store::Right admin_;
    QLineEdit* name_ = nullptr;
    QPushButton *insert_ = nullptr, *delete_ = nullptr;
};

/// How a window is opened from the window list: modally, the caller waiting for its answer.
template <class W>
int modal(store::Store& db, QWidget* parent, int /*request*/) {
    W w(db, parent);
    return w.CALL();
}

/// How a list is opened from the window list: as a modal look-up when asked to select,
/// otherwise on its own, the caller going on at once (it deletes itself when closed).
template <class W>
int browse(store::Store& db, QWidget* parent, int request) {
    if (request == store::SelectRecord) {
        W w(db, parent, true);
        return w.CALL();
    }
    (new W(db, parent, false))->START();
    return int(store::RequestCompleted);
}

}  // namespace masterdata::ui
