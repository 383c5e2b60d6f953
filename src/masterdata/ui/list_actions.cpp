#include "masterdata/ui/list_actions.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include "framework/browse.h"

namespace masterdata::ui {

namespace {

QPushButton* usable(framework::BrowseProcedure& browse, const char* name) {
    auto* b = browse.findChild<QPushButton*>(name);
    return b && b->isVisibleTo(&browse) && b->isEnabled() ? b : nullptr;
}

/// Routes the list's keys to the browse's buttons.
class ListKeys : public QObject {
  public:
    explicit ListKeys(framework::BrowseProcedure& browse) : QObject(&browse), browse_(browse) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        const char* name = nullptr;
        switch (key->key()) {
            case Qt::Key_Insert:
                name = "Insert";
                break;
            case Qt::Key_Delete:
                name = "Delete";
                break;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                name = browse_.selectMode() ? "Select" : "Change";
                break;
            default:
                return false;
        }
        if (QPushButton* b = usable(browse_, name)) b->click();
        return true;  // a key the list may not act on does nothing
    }

  private:
    framework::BrowseProcedure& browse_;
};

}  // namespace

void addListActions(framework::BrowseProcedure& browse) {
    QTableView* list = browse.list();
    list->installEventFilter(new ListKeys(browse));
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QWidget::customContextMenuRequested, &browse,
                     [&browse, list](QPoint at) {
                         QMenu menu(&browse);
                         menu.setObjectName("ListMenu");
                         for (const char* name : {"Select", "Insert", "Change", "Delete"}) {
                             QPushButton* b = usable(browse, name);
                             if (!b) continue;
                             QAction* action = menu.addAction(b->text());
                             action->setObjectName(name);
                             QObject::connect(action, &QAction::triggered, b, &QPushButton::click);
                         }
                         if (!menu.actions().isEmpty())
                             menu.exec(list->viewport()->mapToGlobal(at));
                     });
}

}  // namespace masterdata::ui
