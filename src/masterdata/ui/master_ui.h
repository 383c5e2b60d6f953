#pragma once

#include <QString>
#include <QTableWidget>
#include <string>
#include <vector>

#include "masterdata/save_result.h"

namespace store {
class Store;
}

namespace masterdata::ui {

/// The organisation's word for a resource, singular or plural, as the system
/// preferences hold it; the system's own word when it is left blank.
QString resourceWord(store::Store& db, bool plural);

/// One of a window's own texts: translated, then "%1" replaced by word, lower-cased when
/// the word stands inside a sentence ("All %1" -> "All resources").
QString text(const char* source, const QString& word = {}, bool lower = false);

/// Marks a widget whose texts text() has already translated and merged, so that the
/// window's translation pass leaves it alone; with children, every widget inside it too.
void translatedAlready(QWidget& w, bool children = false);

/// What a form does after telling the user how its save ended.
enum class AfterSave { Completed, Cancelled, Stay };

/// Tells the user how a save ended (nothing for a successful one): the changed-by-another-
/// station number, the cancelled transaction step titled "Information Safeguard", the stop
/// box for an unexpected failure, or the refusal of a check under `caption`.
AfterSave reportSave(store::Store& db, const SaveResult& r, const QString& caption);

/// Closing a form whose working list of names changed (while its record did not): asks
/// whether to save (message 35). 1 save, 0 close without saving, -1 stay open.
int askToSaveList(store::Store& db);

/// A list whose rows can be tagged one by one, all at once or none; each row keeps a key.
class TagTable : public QTableWidget {
    Q_OBJECT
  public:
    explicit TagTable(const QStringList& headings, QWidget* parent = nullptr);
    void addRow(const QStringList& cells, const QString& key);
    void clearRows();
    void tagAll(bool tagged);
    void setTagged(int row, bool tagged);
    bool tagged(int row) const;
    QString key(int row) const;
    /// The rows the user chose: the tagged ones in list order or, when none is tagged, the
    /// highlighted one; none when nothing is tagged or highlighted.
    std::vector<int> chosenRows() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace masterdata::ui
