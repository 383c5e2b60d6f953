#include "framework/preview_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>

#include "framework/ini_file.h"
#include "framework/program.h"
#include "framework/report_renderer.h"
#include "framework/window_placement.h"
#include "store/questions.h"

namespace framework {

namespace {

constexpr std::array kSteps = {50, 75, 100, 125, 150, 200, 300, 400};
constexpr int kGap = 16;  // grey space around the page, in pixels

// A file name made of the report's title, without characters file systems refuse.
QString suggestedFileName(const std::string& title, const QString& suffix) {
    QString name = QString::fromStdString(title).trimmed();
    for (QChar& c : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(c)) c = '_';
    return (name.isEmpty() ? QStringLiteral("Report") : name) + "." + suffix;
}

/// Asks for the name of a file to save a report in, adds the suffix when the user left it
/// out (asking again before replacing that file), and writes it with write. False when
/// the user cancelled or the file could not be written (the user has then been told why).
bool saveReportFile(const QString& caption, const std::string& title, const QString& suffix,
                    const QString& filter,
                    const std::function<bool(const std::string& path, std::string* error)>& write) {
    std::string path = store::questions().chooseFile(
        store::UserQuestions::FileKind::Save, caption.toStdString(),
        suggestedFileName(title, suffix).toStdString(), filter.toStdString());
    if (path.empty()) return false;
    QString file = QString::fromStdString(path);
    if (QFileInfo(file).suffix().compare(suffix, Qt::CaseInsensitive) != 0) {
        // The dialog asked about replacing the name as typed, not this one.
        file += "." + suffix;
        if (QFileInfo::exists(file) &&
            store::questions().message(
                caption.toStdString(),
                PreviewWindow::tr("The file \"%1\" already exists. Do you want to replace it?")
                    .arg(file)
                    .toStdString(),
                store::Icon::Question, store::BUTTON_YES | store::BUTTON_NO,
                store::BUTTON_NO) != store::BUTTON_YES)
            return false;
    }
    std::string error;
    bool ok;
    {
        BusyCursor busy;
        ok = write(file.toStdString(), &error);
    }
    if (!ok)
        store::questions().message(caption.toStdString(), error, store::Icon::Exclamation,
                                   store::BUTTON_OK, store::BUTTON_OK);
    return ok;
}

}  // namespace

/// The paper of one page on a grey ground, drawn by the report renderer.
class PreviewPageView : public QWidget {
  public:
    PreviewPageView(const reports::Document& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void showPage(int index, double scale) {
        index_ = index;
        scale_ = scale;
        setFixedSize(pageSize() + QSize(2 * kGap, 2 * kGap));
        update();
    }

    QSize pageSize() const {
        return QSize(int(std::lround(doc_.setup.width() / 1000.0 * logicalDpiX() * scale_)),
                     int(std::lround(doc_.setup.height() / 1000.0 * logicalDpiY() * scale_)));
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Mid));
        if (index_ < 0) return;
        const QRect paper(QPoint(kGap, kGap), pageSize());
        p.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 90));
        p.fillRect(paper, Qt::white);
        p.save();
        p.translate(paper.topLeft());
        p.setClipRect(QRect(QPoint(0, 0), paper.size()));
        ReportRenderer::paintPage(p, doc_, index_, logicalDpiX() * scale_, logicalDpiY() * scale_);
        p.restore();
        p.setPen(QColor(80, 80, 80));
        p.drawRect(paper.adjusted(0, 0, -1, -1));
    }

  private:
    const reports::Document& doc_;
    int index_ = -1;
    double scale_ = 1.0;
};

PreviewWindow::PreviewWindow(reports::Document doc, IniFile* ini, QWidget* parent)
    : QDialog(parent), doc_(std::move(doc)), ini_(ini) {
    setWindowTitle(doc_.title.empty()
                       ? tr("Print Preview")
                       : tr("Print Preview - %1").arg(QString::fromStdString(doc_.title)));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(true);

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QStyle* st = style();

    first_ = makeAction("firstPage", tr("First"), tr("First page"),
                        {QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_Home)});
    first_->setIcon(st->standardIcon(QStyle::SP_MediaSkipBackward));
    previous_ = makeAction("previousPage", tr("Previous"), tr("Previous page"),
                           {QKeySequence(Qt::Key_PageUp)});
    previous_->setIcon(st->standardIcon(QStyle::SP_ArrowLeft));
    next_ = makeAction("nextPage", tr("Next"), tr("Next page"), {QKeySequence(Qt::Key_PageDown)});
    next_->setIcon(st->standardIcon(QStyle::SP_ArrowRight));
    last_ = makeAction("lastPage", tr("Last"), tr("Last page"),
                       {QKeySequence(Qt::Key_End), QKeySequence(Qt::CTRL | Qt::Key_End)});
    last_->setIcon(st->standardIcon(QStyle::SP_MediaSkipForward));

    pageBox_ = new QSpinBox(this);
    pageBox_->setObjectName("pageNumber");
    pageBox_->setToolTip(tr("Page to show"));
    pageBox_->setAccessibleName(tr("Page"));
    pageBox_->setKeyboardTracking(false);  // "12" must not show page 1 on its way
    pageBox_->setRange(doc_.pageCount() > 0 ? 1 : 0, std::max(doc_.pageCount(), 0));
    pageCountLabel_ = new QLabel(tr(" of %1 ").arg(doc_.pageCount()), this);

    zoomOut_ = makeAction("zoomOut", tr("Zoom out"), tr("Show the page smaller"),
                          {QKeySequence::ZoomOut, QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    zoomIn_ = makeAction("zoomIn", tr("Zoom in"), tr("Show the page larger"),
                         {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Plus),
                          QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction* fitPage = makeAction("fitPage", tr("Whole page"), tr("Fit the whole page"), {});
    QAction* fitWidth = makeAction("fitWidth", tr("Page width"), tr("Fit the page's width"), {});
    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName("zoom");
    zoomBox_->setToolTip(tr("Zoom"));
    zoomBox_->setAccessibleName(tr("Zoom"));
    zoomBox_->addItem(tr("Whole page"), -1);
    zoomBox_->addItem(tr("Page width"), -2);
    for (int step : kSteps) zoomBox_->addItem(QStringLiteral("%1%").arg(step), step);

    print_ = makeAction("print", tr("Print..."), tr("Print the report"), {QKeySequence::Print});
    pdf_ = makeAction("saveAsPdf", tr("Save as PDF..."), tr("Save the report as a PDF file"),
                      {QKeySequence(Qt::CTRL | Qt::Key_S)});
    csv_ = makeAction("saveAsCsv", tr("Save as CSV..."),
                      tr("Save the report's rows as a file a spreadsheet opens"), {});
    QAction* close = makeAction("close", tr("Close"), tr("Close the preview (Esc)"), {});

    bar->addAction(first_);
    bar->addAction(previous_);
    bar->addWidget(pageBox_);
    bar->addWidget(pageCountLabel_);
    bar->addAction(next_);
    bar->addAction(last_);
    bar->addSeparator();
    bar->addAction(zoomOut_);
    bar->addWidget(zoomBox_);
    bar->addAction(zoomIn_);
    bar->addSeparator();
    bar->addAction(print_);
    bar->addAction(pdf_);
    bar->addAction(csv_);
    bar->addAction(close);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName("pages");
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Mid);
    scroll_->setFocusPolicy(Qt::StrongFocus);
    view_ = new PreviewPageView(doc_, scroll_);
    scroll_->setWidget(view_);
    scroll_->installEventFilter(this);
    scroll_->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(scroll_, 1);

    connect(first_, &QAction::triggered, this, [this] { setCurrentPage(1); });
    connect(previous_, &QAction::triggered, this, [this] { setCurrentPage(page_ - 1); });
    connect(next_, &QAction::triggered, this, [this] { setCurrentPage(page_ + 1); });
    connect(last_, &QAction::triggered, this, [this] { setCurrentPage(doc_.pageCount()); });
    connect(pageBox_, &QSpinBox::valueChanged, this, [this](int p) { setCurrentPage(p); });
    connect(zoomIn_, &QAction::triggered, this, &PreviewWindow::zoomIn);
    connect(zoomOut_, &QAction::triggered, this, &PreviewWindow::zoomOut);
    connect(fitPage, &QAction::triggered, this, [this] { setZoomMode(ZoomMode::FitPage); });
    connect(fitWidth, &QAction::triggered, this, [this] { setZoomMode(ZoomMode::FitWidth); });
    connect(zoomBox_, &QComboBox::activated, this, [this](int index) {
        const int v = zoomBox_->itemData(index).toInt();
        if (v == -1)
            setZoomMode(ZoomMode::FitPage);
        else if (v == -2)
            setZoomMode(ZoomMode::FitWidth);
        else
            setZoomPercent(v);
        scroll_->setFocus();
    });
    connect(print_, &QAction::triggered, this, &PreviewWindow::print);
    connect(pdf_, &QAction::triggered, this, &PreviewWindow::saveAsPdf);
    connect(csv_, &QAction::triggered, this, &PreviewWindow::saveAsCsv);
    connect(close, &QAction::triggered, this, &QDialog::reject);
    // The page buttons show their arrows only (their names are in the tips), so that the
    // toolbar fits a window of the page's width.
    for (QAction* a : {first_, previous_, next_, last_})
        if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a)))
            b->setToolButtonStyle(Qt::ToolButtonIconOnly);

    // First opening: a window tall enough for most of a page, unless the configuration
    // file remembers better.
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1024, 768);
    const int h = screen.height() * 85 / 100;
    const int w = std::min(
        screen.width() * 9 / 10,
        std::max({640, h * doc_.setup.width() / std::max(1, doc_.setup.height()) + 2 * kGap + 40,
                  bar->sizeHint().width() + 24}));
    resize(w, h);
    if (ini_) restoreWindow(*this, *ini_, kSection);

    page_ = doc_.pageCount() > 0 ? 1 : 0;
    updateView();
    scroll_->setFocus();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::run(reports::Document doc, IniFile* ini, QWidget* parent) {
    PreviewWindow window(std::move(doc), ini, parent);
    window.exec();
}

QAction* PreviewWindow::makeAction(const char* name, const QString& text, const QString& tip,
                                   const QList<QKeySequence>& keys) {
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    a->setToolTip(
        keys.isEmpty() ? tip : tip + " (" + keys.first().toString(QKeySequence::NativeText) + ")");
    a->setShortcuts(keys);
    QWidget::addAction(a);  // keys work wherever the focus is in the window
    return a;
}

void PreviewWindow::setCurrentPage(int page) {
    if (doc_.pageCount() == 0) return;
    page = std::clamp(page, 1, doc_.pageCount());
    if (page == page_) {
        updateView();  // puts a wrongly typed number back
        return;
    }
    page_ = page;
    updateView();
    scroll_->verticalScrollBar()->setValue(0);
    emit pageChanged(page_);
}

double PreviewWindow::scale() const {
    if (mode_ == ZoomMode::Percent) return percent_ / 100.0;
    // Worked out from the scroll area's own size, not its viewport's, so that scroll
    // bars coming and going never change the result.
    const int frame = 2 * scroll_->frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const double pageW = doc_.setup.width() / 1000.0 * view_->logicalDpiX();
    const double pageH = doc_.setup.height() / 1000.0 * view_->logicalDpiY();
    const double availW = scroll_->width() - frame - 2 * kGap;
    const double availH = scroll_->height() - frame - 2 * kGap;
    double s = mode_ == ZoomMode::FitWidth ? (availW - bar) / pageW
                                           : std::min(availW / pageW, availH / pageH);
    return std::clamp(s, 0.05, kMaxPercent / 100.0);
}

int PreviewWindow::zoomPercent() const {
    return int(std::lround(scale() * 100));
}

void PreviewWindow::setZoomMode(ZoomMode mode) {
    mode_ = mode;
    updateView();
}

void PreviewWindow::setZoomPercent(int percent) {
    percent_ = std::clamp(percent, kMinPercent, kMaxPercent);
    mode_ = ZoomMode::Percent;
    updateView();
}

void PreviewWindow::zoomIn() {
    const int now = zoomPercent();
    for (int step : kSteps)
        if (step > now) return setZoomPercent(step);
    setZoomPercent(kMaxPercent);
}

void PreviewWindow::zoomOut() {
    const int now = zoomPercent();
    for (auto it = kSteps.rbegin(); it != kSteps.rend(); ++it)
        if (*it < now) return setZoomPercent(*it);
    setZoomPercent(kMinPercent);
}

void PreviewWindow::showPercentInZoomBox() {
    int want = mode_ == ZoomMode::FitPage ? -1 : mode_ == ZoomMode::FitWidth ? -2 : percent_;
    int index = zoomBox_->findData(want);
    if (index < 0) {
        // A zoom set from outside the steps gets an entry of its own, in order.
        index = 2;
        while (index < zoomBox_->count() && zoomBox_->itemData(index).toInt() < want) ++index;
        zoomBox_->insertItem(index, QStringLiteral("%1%").arg(want), want);
    }
    zoomBox_->setCurrentIndex(index);
}

void PreviewWindow::updateView() {
    const int count = doc_.pageCount();
    view_->showPage(page_ - 1, scale());
    {
        const QSignalBlocker block(pageBox_);
        pageBox_->setValue(page_);
    }
    showPercentInZoomBox();
    first_->setEnabled(page_ > 1);
    previous_->setEnabled(page_ > 1);
    next_->setEnabled(page_ < count);
    last_->setEnabled(page_ < count);
    const int now = zoomPercent();
    zoomIn_->setEnabled(now < kMaxPercent);
    zoomOut_->setEnabled(now > kMinPercent);
    print_->setEnabled(count > 0);
    pdf_->setEnabled(count > 0);
    // Only a list has rows to save.
    csv_->setVisible(!doc_.table.empty());
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_ && event->type() == QEvent::Resize && mode_ != ZoomMode::Percent) {
        updateView();
    } else if (watched == scroll_->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int dy = wheel->angleDelta().y();
            if (dy > 0)
                zoomIn();
            else if (dy < 0)
                zoomOut();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PreviewWindow::done(int result) {
    if (ini_) saveWindow(*this, *ini_, kSection);
    QDialog::done(result);
}

bool PreviewWindow::saveAsPdf() {
    if (doc_.pageCount() == 0) return false;
    return saveReportFile(tr("Save as PDF"), doc_.title, QStringLiteral("pdf"),
                          tr("PDF files (*.pdf)"),
                          [this](const std::string& path, std::string* error) {
                              return writePdf(doc_, path, error);
                          });
}

bool PreviewWindow::saveAsCsv() {
    if (doc_.table.empty()) return false;
    return saveCsvFile(doc_.title, reports::csvText(doc_.table));
}

bool saveCsvFile(const std::string& title, const std::string& csv) {
    return saveReportFile(PreviewWindow::tr("Save as CSV"), title, QStringLiteral("csv"),
                          PreviewWindow::tr("CSV files (*.csv)"),
                          [&csv](const std::string& path, std::string* error) {
                              std::ofstream out(path, std::ios::binary | std::ios::trunc);
                              out << csv;
                              out.close();
                              if (out) return true;
                              std::remove(path.c_str());
                              if (error)
                                  *error = PreviewWindow::tr("%1 could not be written.")
                                               .arg(QString::fromStdString(path))
                                               .toStdString();
                              return false;
                          });
}

void PreviewWindow::print() {
    if (doc_.pageCount() == 0) return;
    QPrinter& printer = programPrinter();
    printer.setDocName(QString::fromStdString(doc_.title));
    printer.setPrintRange(QPrinter::AllPages);
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    dialog.setMinMax(1, doc_.pageCount());
    if (dialog.exec() != QDialog::Accepted) return;
    std::string error;
    bool ok;
    {
        BusyCursor busy;
        ok = printDocument(printer, doc_, page_, &error);
    }
    // The next report starts with all its pages again.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    if (!ok)
        store::questions().message(tr("Print").toStdString(), error, store::Icon::Exclamation,
                                   store::BUTTON_OK, store::BUTTON_OK);
}

}  // namespace framework
