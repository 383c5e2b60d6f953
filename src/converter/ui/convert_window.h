#pragma once

#include <QDialog>

#include "converter/converter.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;

namespace converter::ui {

/// "Convert Previous Versions to 3.21": the folder of the data, the release it was
/// written by, and Convert. The window closes when a conversion has run (whether or not
/// it completed); when the folder or the release was not right it stays for a correction.
class ConvertWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ConvertWindow(QWidget* parent = nullptr);

    void setFolder(const QString& folder);
    QString folder() const;
    /// The release of the option chosen.
    Release release() const;
    void setRelease(Release r);
    /// What the last conversion came to (NothingDone before any).
    Outcome outcome() const { return outcome_; }
    bool converting() const { return converting_; }

  public slots:
    void BROWSE();
    void CONVERT();
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLineEdit* path_;
    QPushButton* browse_;
    QButtonGroup* version_;
    QPushButton* convert_;
    QPushButton* cancel_;
    Outcome outcome_ = Outcome::NothingDone;
    bool converting_ = false;
};

}  // namespace converter::ui
