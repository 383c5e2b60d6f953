#pragma once

#include <QLineEdit>

#include "store/datetime.h"

namespace framework {

/// An entry for a date, shown in the workstation's short (or long) date format and blank
/// for no date. Typed text is read strictly: the workstation's format, day, month and year
/// with slashes in that format's order ("d/m/yyyy" or "m/d/yyyy"), or "yyyy-mm-dd"; a
/// two-digit year is taken within 50 years of today's. A day that does not exist
/// (31/02/2027) or text that is no date is refused with a message, and the entry keeps
/// the focus and the text so that the user can correct it.
class DateEntry : public QLineEdit {
    Q_OBJECT
  public:
    enum class Format { Short, Long };
    explicit DateEntry(QWidget* parent = nullptr, Format format = Format::Short);

    /// The date of the text; no date (0) for a blank entry or text that is no date.
    store::Date value() const;
    void setValue(store::Date date);
    /// True when the text is blank or a real date.
    bool isValid() const;
    /// Refuses the text when it is no date: tells the user (once for the same text unless
    /// `always`), puts the focus back and selects the text. True when the text is valid;
    /// a valid text is then shown again in the entry's format.
    bool checkInput(bool always = false);

    /// Reads text the way the entry does; no date for a blank or a refused text.
    static store::Date parse(const QString& text, Format format = Format::Short);

  signals:
    /// Editing ended (Enter or the focus left) with a valid text; no date for a blank.
    void valueAccepted(store::Date date);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    bool finish(bool always);

    Format format_;
    store::Date value_;  // the value last set or accepted
    QString shown_;      // its text, so an untouched entry keeps the exact value
    QString refused_;    // the text last refused, so that it is not refused twice in a row
    bool refusing_ = false;
};

/// An entry for a time of day in the stored form (hundredths of a second + 1, 0 for no
/// time), shown in the workstation's short time format. Typed as "hh:mm", "h:mm",
/// "hhmm", "hmm" or a bare hour, with an AM/PM marker ("9:30 pm", "9pm"), or in the
/// workstation's format; 24:00 is the end of the day. An impossible time (25:00, 10:61) or text
/// that is no time is refused the way a date entry refuses it.
class TimeEntry : public QLineEdit {
    Q_OBJECT
  public:
    explicit TimeEntry(QWidget* parent = nullptr);

    /// The time of the text; no time (0) for a blank entry or text that is no time. An
    /// untouched entry gives back exactly the value it was given, seconds included.
    store::Time value() const;
    void setValue(store::Time time);
    /// The stored form, for LONG fields.
    store::LONG stored() const { return value().value; }
    void setStored(store::LONG stored) { setValue(store::Time(stored)); }
    bool isValid() const;
    bool checkInput(bool always = false);

    static store::Time parse(const QString& text);

  signals:
    void valueAccepted(store::Time time);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    bool finish(bool always);

    store::Time value_;
    QString shown_;
    QString refused_;
    bool refusing_ = false;
};

}  // namespace framework
