#include "framework/browse.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "framework/ini_file.h"
#include "framework/program.h"
#include "store/record_image.h"
#include "store/session.h"
#include "store/store.h"

namespace framework {

using namespace store;

// --- the model ---------------------------------------------------------------------------

BrowseModel::BrowseModel(FileManager& fm, int key, QObject* parent)
    : QAbstractTableModel(parent), fm_(fm), key_(key) {}

void BrowseModel::setColumns(std::vector<BrowseColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    endResetModel();
}

void BrowseModel::setRange(int components, const std::byte* values) {
    rangeComponents_ = components;
    range_.assign(values, values + fm_.table().recordSize());
}

void BrowseModel::setFilter(std::function<bool(const std::byte*)> filter) {
    filter_ = std::move(filter);
}

void BrowseModel::setKey(int key) {
    key_ = key;
}

bool BrowseModel::inRange(const std::byte* record) const {
    if (rangeComponents_ == 0) return true;
    const TableDecl& d = fm_.decl();
    return compareKey(d, d.keys[key_], record, range_.data(), rangeComponents_) == 0;
}

std::vector<BrowseModel::Row> BrowseModel::read(const Row* from, const std::byte* seek,
                                                int seekComponents, int direction, int n,
                                                bool& reachedEnd) {
    std::vector<Row> out;
    reachedEnd = false;
    if (fm_.USEFILE() != Level_Benign) {
        reachedEnd = true;
        return out;
    }
    Engine& engine = fm_.engine();
    Table& table = fm_.table();
    // The list reads through the table's shared buffer and position; whoever else uses
    // them finds them as they were.
    const auto ticket = fm_.SAVEBUFFER();
    const RecordPosition was = fm_.POSITION();
    if (from) {
        engine.setAt(table, key_, from->record.data(), from->position);
    } else if (seek) {
        std::memcpy(fm_.buffer(), seek, table.recordSize());
        engine.setAtValue(table, key_, seekComponents);
    } else if (rangeComponents_ > 0) {
        std::memcpy(fm_.buffer(), range_.data(), table.recordSize());
        engine.setAtValue(table, key_, rangeComponents_);
    } else {
        engine.set(table, key_);
    }
    while (int(out.size()) < n) {
        const Level l = direction > 0 ? fm_.NEXT() : fm_.PREVIOUS();
        if (l != Level_Benign || !inRange(fm_.buffer())) {
            reachedEnd = true;
            break;
        }
        if (filter_ && !filter_(fm_.buffer())) continue;
        out.push_back({std::vector<std::byte>(fm_.buffer(), fm_.buffer() + table.recordSize()),
                       fm_.POSITION()});
    }
    fm_.RESTOREBUFFER(ticket);
    engine.setPosition(table, was);
    return out;
}

void BrowseModel::reload() {
    beginResetModel();
    bool end = false;
    rows_ = read(nullptr, nullptr, 0, +1, kPage, end);
    atStart_ = true;
    atEnd_ = end;
    endResetModel();
}

void BrowseModel::locate(const std::byte* values, int components) {
    beginResetModel();
    bool end = false;
    rows_ = read(nullptr, values, components, +1, kPage, end);
    atEnd_ = end;
    atStart_ = false;
    if (rows_.empty()) {
        // Past the last record: show the end of the list.
        bool start = false;
        rows_ = read(nullptr, rangeComponents_ ? range_.data() : nullptr, rangeComponents_, -1,
                     kPage, start);
        std::reverse(rows_.begin(), rows_.end());
        atStart_ = start;
        atEnd_ = true;
    }
    endResetModel();
}

void BrowseModel::reloadAt(RecordPosition p) {
    if (!p.valid()) return reload();
    Table& table = fm_.table();
    const auto ticket = fm_.SAVEBUFFER();
    const RecordPosition was = fm_.POSITION();
    const bool found = fm_.USEFILE() == Level_Benign && fm_.engine().reget(table, p) == NoError &&
                       inRange(fm_.buffer()) && (!filter_ || filter_(fm_.buffer()));
    Row here{std::vector<std::byte>(fm_.buffer(), fm_.buffer() + table.recordSize()),
             fm_.POSITION()};
    fm_.RESTOREBUFFER(ticket);
    fm_.engine().setPosition(table, was);
    if (!found) return reload();
    beginResetModel();
    bool end = false;
    rows_ = read(&here, nullptr, 0, +1, kPage - 1, end);
    rows_.insert(rows_.begin(), here);
    atEnd_ = end;
    atStart_ = false;
    endResetModel();
    // A few records before it, so that it does not sit at the very top.
    fetchPrevious(5);
}

int BrowseModel::fetchPrevious(int n) {
    if (atStart_ || rows_.empty()) return 0;
    bool start = false;
    std::vector<Row> before = read(&rows_.front(), nullptr, 0, -1, n, start);
    atStart_ = start;
    if (before.empty()) return 0;
    beginInsertRows({}, 0, int(before.size()) - 1);
    rows_.insert(rows_.begin(), before.rbegin(), before.rend());
    endInsertRows();
    return int(before.size());
}

bool BrowseModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !atEnd_ && !rows_.empty();
}

void BrowseModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    bool end = false;
    std::vector<Row> more = read(&rows_.back(), nullptr, 0, +1, kPage, end);
    atEnd_ = end;
    if (more.empty()) return;
    beginInsertRows({}, int(rows_.size()), int(rows_.size() + more.size()) - 1);
    for (Row& r : more) rows_.push_back(std::move(r));
    endInsertRows();
}

const std::byte* BrowseModel::record(int row) const {
    return row >= 0 && row < int(rows_.size()) ? rows_[row].record.data() : nullptr;
}

RecordPosition BrowseModel::position(int row) const {
    return row >= 0 && row < int(rows_.size()) ? rows_[row].position : RecordPosition{};
}

int BrowseModel::rowOf(RecordPosition p) const {
    for (int i = 0; i < int(rows_.size()); ++i)
        if (rows_[i].position.rowid == p.rowid) return i;
    return -1;
}

int BrowseModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int BrowseModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant BrowseModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return columns_[index.column()].text(rows_[index.row()].record.data());
}

QVariant BrowseModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole || o != Qt::Horizontal || section >= int(columns_.size()))
        return {};
    return columns_[section].heading;
}

// --- the window --------------------------------------------------------------------------

BrowseProcedure::BrowseProcedure(Store& db, Tbl table, int key, const std::string& name,
                                 QWidget* parent)
    : WindowProcedure(db, name, parent),
      table_(table),
      model_(new BrowseModel(db.Access(table), key, this)),
      view_(new QTableView(this)),
      locator_(new QLineEdit(this)) {
    useTables({table});
    view_->setModel(model_);
    view_->setObjectName("List");
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setStretchLastSection(true);
    locator_->setObjectName("Locator");
    insert_ = new QPushButton(tr("&Insert"), this);
    change_ = new QPushButton(tr("&Change"), this);
    delete_ = new QPushButton(tr("&Delete"), this);
    select_btn_ = new QPushButton(tr("&Select"), this);
    close_ = new QPushButton(tr("Close"), this);
    auto* help = new QPushButton(tr("Help"), this);
    insert_->setObjectName("Insert");
    change_->setObjectName("Change");
    delete_->setObjectName("Delete");
    select_btn_->setObjectName("Select");
    close_->setObjectName("Close");
    help->setObjectName("Help");
    select_btn_->hide();

    connect(insert_, &QPushButton::clicked, this, [this] { runForm(InsertRecord); });
    connect(change_, &QPushButton::clicked, this, [this] { runForm(ChangeRecord); });
    connect(delete_, &QPushButton::clicked, this, [this] { runForm(DeleteRecord); });
    connect(select_btn_, &QPushButton::clicked, this, &BrowseProcedure::select);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &WindowProcedure::showHelp);
    connect(view_, &QTableView::doubleClicked, this, [this] {
        if (select_)
            select();
        else if (allowChange_ && form_)
            runForm(ChangeRecord);
    });
    connect(locator_, &QLineEdit::textEdited, this, [this](const QString& t) { LOCATE(t); });
    // Scrolling to the top of what has been read brings the records before it.
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value != view_->verticalScrollBar()->minimum() || model_->atStart()) return;
        const int added = model_->fetchPrevious();
        if (added > 0) view_->scrollTo(model_->index(added, 0), QAbstractItemView::PositionAtTop);
    });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        if (model_->rowCount() > 0) view_->selectRow(0);
        updateButtons();
    });

    layBrowse(*this, tr("&Locate:"), locator_, view_, {select_btn_, insert_, change_, delete_},
              close_, help, [this] { return view_; });
    resize(640, 420);
}

void BrowseProcedure::setColumns(std::vector<BrowseColumn> columns) {
    model_->setColumns(std::move(columns));
    fitColumns(*view_);
}

void BrowseProcedure::fitRows(int rows) {
    const int list = view_->horizontalHeader()->sizeHint().height() +
                     rows * view_->verticalHeader()->defaultSectionSize() + 2 * view_->frameWidth();
    const int others = layout()->sizeHint().height() - view_->sizeHint().height();
    resize(width(), std::max(height(), others + list));
}

void BrowseProcedure::setSelectMode(bool select) {
    select_ = select;
    select_btn_->setVisible(select);
    select_btn_->setDefault(select);
}

void BrowseProcedure::setUpdatesAllowed(bool insert, bool change, bool del) {
    allowInsert_ = insert;
    allowChange_ = change;
    allowDelete_ = del;
    updateButtons();
}

void BrowseProcedure::updateButtons() {
    const bool any = model_->rowCount() > 0;
    insert_->setEnabled(allowInsert_ && form_ != nullptr);
    change_->setEnabled(allowChange_ && form_ != nullptr && any);
    delete_->setEnabled(allowDelete_ && form_ != nullptr && any);
    select_btn_->setEnabled(any);
}

bool BrowseProcedure::INIT() {
    if (!WindowProcedure::INIT()) return false;
    BUILD();
    restoreColumnWidths(*view_, listFormatKey);
    model_->reload();
    locator_->setFocus();
    return true;
}

void BrowseProcedure::KILL() {
    saveColumnWidths(*view_, listFormatKey);
    WindowProcedure::KILL();
}

namespace {

/// Hands Down and Page Down of a locator to its list.
class LocatorKeys : public QObject {
  public:
    LocatorKeys(QLineEdit* locator, std::function<QAbstractItemView*()> list)
        : QObject(locator), list_(std::move(list)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Down && key->key() != Qt::Key_PageDown) ||
            key->modifiers() != Qt::NoModifier)
            return false;
        QAbstractItemView* view = list_();
        if (!view || !view->model() || view->model()->rowCount() == 0) return false;
        view->setFocus(Qt::OtherFocusReason);
        if (!view->currentIndex().isValid()) {
            // Nothing located yet: the first row is the one to start from.
            view->setCurrentIndex(view->model()->index(0, 0));
            return true;
        }
        QKeyEvent again(QEvent::KeyPress, key->key(), key->modifiers());
        QApplication::sendEvent(view, &again);
        return true;
    }

  private:
    std::function<QAbstractItemView*()> list_;
};

}  // namespace

int BrowseModel::columnWidth(int column) const {
    return column >= 0 && column < int(columns_.size()) ? columns_[column].width : 0;
}

void fitColumns(QTableView& view) {
    QHeaderView* header = view.horizontalHeader();
    header->setStretchLastSection(false);
    const auto* browse = qobject_cast<const BrowseModel*>(view.model());
    const int n = view.model() ? view.model()->columnCount() : 0;
    for (int i = 0; i < n; ++i) {
        const int asked = browse ? browse->columnWidth(i) : view.columnWidth(i);
        view.setColumnWidth(i, std::max(asked, headingWidth(*header, i)));
    }
}

int headingWidth(const QHeaderView& header, int column) {
    QStyleOptionHeader option;
    option.initFrom(&header);
    option.section = column;
    option.text = header.model()
                      ? header.model()->headerData(column, header.orientation()).toString()
                      : QString();
    // Room for a sort mark too, as the style draws one on a sorted column.
    option.sortIndicator = QStyleOptionHeader::SortDown;
    option.fontMetrics = header.fontMetrics();
    const QSize text = option.fontMetrics.size(0, option.text);
    return header.style()
        ->sizeFromContents(QStyle::CT_HeaderSection, &option, text, &header)
        .width();
}

int textColumnWidth(const QWidget& list, int chars) {
    return list.fontMetrics().horizontalAdvance(QString(chars, QChar('A'))) + 12;
}

void leadDownIntoList(QLineEdit* locator, std::function<QAbstractItemView*()> list) {
    locator->installEventFilter(new LocatorKeys(locator, std::move(list)));
}

void layBrowse(QDialog& window, const QString& locateText, QLineEdit* locator, QWidget* body,
               const std::vector<QPushButton*>& actions, QPushButton* close, QPushButton* help,
               std::function<QAbstractItemView*()> list) {
    auto* top = new QHBoxLayout;
    auto* locate = new QLabel(locateText, &window);
    locate->setBuddy(locator);
    top->addWidget(locate);
    top->addWidget(locator);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : actions) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(close);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(&window);
    layout->addLayout(top);
    layout->addWidget(body);
    layout->addLayout(buttons);
    QWidget::setTabOrder(locator, body);
    leadDownIntoList(locator, std::move(list));
}

void restoreColumnWidths(QTableView& view, const std::string& key) {
    if (!program().ini || key.empty() || !view.model()) return;
    // Column widths as the user left them: "w1,w2,...".
    const std::string format = program().ini->get("List formats", key, "");
    const QStringList widths = QString::fromStdString(format).split(',');
    if (widths.size() == view.model()->columnCount())
        for (int i = 0; i < widths.size(); ++i)
            if (const int w = widths[i].toInt(); w > 0 && w < 5000) view.setColumnWidth(i, w);
}

void saveColumnWidths(const QTableView& view, const std::string& key) {
    if (!program().ini || key.empty() || !view.model() || view.model()->columnCount() == 0) return;
    QStringList widths;
    for (int i = 0; i < view.model()->columnCount(); ++i)
        widths << QString::number(view.columnWidth(i));
    program().ini->put("List formats", key, widths.join(',').toStdString());
}

void BrowseProcedure::LOCATE(const QString& text) {
    FileManager& fm = db().Access(table_);
    const TableDecl& d = fm.decl();
    const KeyDecl& k = d.keys[model_->key()];
    std::vector<std::byte> seek(d.recordSize);
    clearRecord(d, seek.data());
    // The components the list is limited to stay as they are; the next one is searched.
    const int component = std::min(model_->rangeComponents(), int(k.components.size()) - 1);
    if (model_->rangeValues()) std::memcpy(seek.data(), model_->rangeValues(), d.recordSize);
    const FieldDecl& f = d.fields[k.components[component].field];
    if (f.type == FieldType::STRING)
        setText(f, seek.data(), text.toStdString());
    else
        setNumber(f, seek.data(), text.toLongLong());
    if (text.isEmpty())
        model_->reload();
    else
        model_->locate(seek.data(), component + 1);
}

bool BrowseProcedure::takeHighlighted() {
    const QModelIndex current = view_->currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    if (row < 0 || !model_->record(row)) return false;
    FileManager& fm = db().Access(table_);
    // Read afresh: another station may have changed or deleted it since the list was read.
    if (fm.TRYREGET(model_->position(row)) != Level_Benign) {
        model_->reload();
        return false;
    }
    return true;
}

void BrowseProcedure::select() {
    if (!takeHighlighted()) return;
    session().GlobalResponse = RequestCompleted;
    KILL();
    QDialog::accept();
}

void BrowseProcedure::runForm(int request) {
    if (!form_) return;
    if (request != InsertRecord && !takeHighlighted()) return;
    const int row = view_->currentIndex().row();
    const RecordPosition neighbour = model_->position(row > 0 ? row - 1 : row + 1);
    session().GlobalRequest = request;
    const int response = form_(request);
    // The record the form saved (or, after a delete, its neighbour) stays highlighted.
    const RecordPosition show = request == DeleteRecord && response == RequestCompleted
                                    ? neighbour
                                    : db().Access(table_).POSITION();
    model_->reloadAt(show);
    const int at = model_->rowOf(show);
    if (at >= 0) view_->selectRow(at);
    updateButtons();
}

}  // namespace framework
