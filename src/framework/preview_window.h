#pragma once

#include <QDialog>
#include <memory>

#include "reports/document.h"

class QAction;
class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;

namespace framework {

class IniFile;
class PreviewPageView;

/// The print preview: one page of a report document at a time, with page navigation,
/// zoom, printing, saving as PDF and closing.
///
/// Keys: Page Up / Page Down for the previous / next page, Home / End (also with Ctrl)
/// for the first / last page, Ctrl + and Ctrl - (or Ctrl and the mouse wheel) to zoom,
/// Ctrl+P to print, Ctrl+S to save as PDF, Escape to close. The page number box takes a
/// typed page. The toolbar's actions carry object names ("firstPage", "previousPage",
/// "nextPage", "lastPage", "zoomIn", "zoomOut", "fitPage", "fitWidth", "print",
/// "saveAsPdf", "saveAsCsv", "close") so that scripts and tests can find them.
class PreviewWindow : public QDialog {
    Q_OBJECT

  public:
    /// The configuration file section that keeps the window's placement.
    static constexpr const char* kSection = "_PreviewWindow_";

    enum class ZoomMode { FitPage, FitWidth, Percent };
    static constexpr int kMinPercent = 50, kMaxPercent = 400;

    /// A preview of doc. ini is the configuration file whose section "_PreviewWindow_"
    /// holds the window's placement: restored here, saved when the window closes. It is
    /// not owned and must outlive the window; nullptr keeps no placement.
    PreviewWindow(reports::Document doc, IniFile* ini, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    /// Shows doc in a modal preview and returns when the user has closed it; what a
    /// report does at its end.
    static void run(reports::Document doc, IniFile* ini, QWidget* parent = nullptr);

    const reports::Document& document() const { return doc_; }

    /// The page shown, from 1; 0 for a document without pages.
    int currentPage() const { return page_; }
    /// Shows page (from 1), kept within the document's pages.
    void setCurrentPage(int page);

    ZoomMode zoomMode() const { return mode_; }
    /// The zoom in percent of the paper's real size, worked out for the fit modes too.
    int zoomPercent() const;
    void setZoomMode(ZoomMode mode);
    /// A fixed zoom, kept within 50 and 400 percent.
    void setZoomPercent(int percent);
    /// The next step up or down of 50, 75, 100, 125, 150, 200, 300 and 400 percent.
    void zoomIn();
    void zoomOut();

    /// Asks for a file name and writes the document to it as PDF. False when the user
    /// cancelled or the file could not be written (the user has then been told why).
    bool saveAsPdf();
    /// Asks for a file name and writes the document's table as CSV; only a document with
    /// a table offers it. False as saveAsPdf.
    bool saveAsCsv();
    /// The print dialog, then the chosen pages on the chosen printer.
    void print();

  signals:
    void pageChanged(int page);

  protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAction* makeAction(const char* name, const QString& text, const QString& tip,
                        const QList<QKeySequence>& keys);
    void showPercentInZoomBox();
    void updateView();
    double scale() const;  // of the paper's real size, 1.0 = 100 percent

    reports::Document doc_;
    IniFile* ini_;
    int page_ = 0;
    ZoomMode mode_ = ZoomMode::FitPage;
    int percent_ = 100;

    QScrollArea* scroll_ = nullptr;
    PreviewPageView* view_ = nullptr;
    QSpinBox* pageBox_ = nullptr;
    QLabel* pageCountLabel_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QAction *first_ = nullptr, *previous_ = nullptr, *next_ = nullptr, *last_ = nullptr;
    QAction *zoomIn_ = nullptr, *zoomOut_ = nullptr, *print_ = nullptr, *pdf_ = nullptr,
            *csv_ = nullptr;
};

/// Asks for a file name (suggested from title) and writes csv to it. False when the user
/// cancelled or the file could not be written (the user has then been told why).
bool saveCsvFile(const std::string& title, const std::string& csv);

}  // namespace framework
