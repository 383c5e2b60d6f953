#pragma once

#include <QApplication>
#include <functional>
#include <string>

#include "framework/windows.h"

class QWidget;

namespace framework {

class IniFile;

/// What every window of the program shares: the configuration file, the shell's
/// translation and help, which the shell installs at start-up (tests may leave them out),
/// and the windows the subsystems define. Everything here ends with the run: the shell
/// resets the object when it closes, and a test that resets it starts with no windows.
struct Program {
    IniFile* ini = nullptr;
    /// Translates a window's texts in place and merges the organisation's terms.
    std::function<void(QWidget& window)> translateWindow;
    /// Translates one text.
    std::function<std::string(const std::string& text)> translate;
    /// Opens the help at a topic.
    std::function<void(const std::string& topic)> showHelp;
    /// The alert search that the timers of the frame, the scans and the lists run.
    std::function<void()> alertSearch;
    /// Every window of the program by its procedure name.
    WindowRegistry windows;
};

/// Lower case in every script, for a term merged inside a sentence (store::mergeTerms).
std::string lowerAnyScript(const std::string& text);

/// The program-wide instance.
Program& program();

/// Shows the busy cursor for as long as it lives.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

/// The stop box for an unexpected failure: the text and a tag naming the place. True when
/// the user chose to end the program.
bool STOP(const std::string& text);

}  // namespace framework
