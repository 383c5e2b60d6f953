#pragma once

#include <QString>
#include <string>
#include <vector>

#include "framework/form.h"
#include "framework/window_procedure.h"
#include "masterdata/group_save.h"
#include "masterdata/resources.h"
#include "masterdata/save_result.h"

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
};

/// A group's form: the group's name and its working list of members, added through a
/// multiple-selection window and removed one by one, saved with the group in one go.
class GroupForm : public framework::FormProcedure {
  public:
    /// `nameField` is the group name's field (1-based); below `adminLevel` the group is
    /// only shown.
    GroupForm(store::Store& db, store::Tbl table, const char* name, int nameField, int adminLevel,
              QWidget* parent);

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
    bool TAKECLOSEEVENT() override;

  private:
    int nameField_, adminLevel_;
    QLineEdit* name_ = nullptr;
    QListWidget* members_ = nullptr;
    QPushButton *insert_ = nullptr, *delete_ = nullptr;
    NameList list_, loaded_;
    std::string original_;
    store::RecordPosition position_;
    std::vector<std::byte> record_;
    bool closing_ = false;
};

}  // namespace masterdata::ui
