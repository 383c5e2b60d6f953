#pragma once

#include <functional>
#include <vector>

#include "framework/window_procedure.h"

class QLabel;
class QWidget;

namespace store {
class FileManager;
class RelationManager;
}  // namespace store

namespace framework {

/// A form that maintains one record of a table with the standard actions: insert,
/// change and delete by the global request, the status text, the field bindings between
/// controls and record fields, and the questions asked when saving fails or a changed
/// record is closed.
class FormProcedure : public WindowProcedure {
    Q_OBJECT
  public:
    FormProcedure(store::Store& db, store::Tbl table, const std::string& name,
                  QWidget* parent = nullptr);

    /// Binds a control to a field of the form's table: line edits, plain text edits,
    /// check boxes, spin boxes and combo boxes (their text), and date and time entries
    /// on LONG fields (the stored day number or time). Texts are cut to the field.
    void bind(QWidget* control, store::Field field);
    /// Record to controls.
    void DISPLAY();
    /// Controls to record.
    void UPDATEBUFFER();

    int request() const { return request_; }
    /// Shows the record without letting it be changed (view-only users).
    void setReadOnly(bool readOnly);
    bool readOnly() const { return readOnly_; }
    /// After an insert, ask message 3 whether to add another.
    bool askAddAnother = false;
    /// Requests the form refuses (message 20 insert, 38 change, 12 delete).
    bool allowInsert = true, allowChange = true, allowDelete = true;
    /// The status text, "Record will be Added" or "Record will be Changed".
    QLabel* statusLabel() const { return status_; }

    store::FileManager& fm();
    store::RelationManager& rm();

  protected:
    bool INIT() override;
    bool TAKECOMPLETED() override;
    bool TAKECLOSEEVENT() override;
    /// Sets a new record's values beyond the table's initial ones.
    virtual void PRIMEFIELDS() {}
    /// Checks of the form's own before saving; false keeps the form open.
    virtual bool VALIDATE() { return true; }
    /// Builds the form's controls (called by INIT before the record is shown); the form's
    /// layout should place statusLabel() and the OK/Cancel buttons (okCancel()).
    virtual void BUILD() = 0;
    /// A row of OK, Cancel and Help buttons wired to the form's actions.
    QWidget* okCancel();
    /// The first bound control, where the focus goes back to.
    void focusFirst();
    /// False, with the user told and the focus on it, when a bound date or time entry
    /// holds text that is no date or time.
    bool entriesValid();

  private:
    void prime();
    bool changed() const;
    struct Binding {
        QWidget* control;
        store::Field field;
    };

    store::Tbl table_;
    int request_ = 0;
    bool readOnly_ = false;
    std::vector<Binding> bindings_;
    std::vector<std::byte> original_;
    QLabel* status_;
};

}  // namespace framework
