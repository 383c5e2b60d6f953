#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/engine_status.h"
#include "store/level.h"
#include "store/questions.h"

namespace store {

/// The shared error reporter: turns a message id into a message box with the failure at
/// hand filled in, and decides from the message's severity what happens next.
///
/// Every box goes through questions(), with the message's title as caption. The reporter
/// is not thread-safe: the current failure is one set of fields, as the program has one
/// reporter.
class ErrorClass {
  public:
    /// One message of the list.
    struct Entry {
        std::uint16_t id = 0;
        std::uint8_t severity = 0;  // a Level; 4 is taken as user, unknown values as program
        std::string title;
        std::string text;
    };

    /// Longest file name, field description and caller's message text kept.
    static constexpr std::size_t kMaxField = 255;
    /// Longest text a message can grow to with its placeholders filled.
    static constexpr std::size_t kWorkArea = 2000;

    ErrorClass();
    virtual ~ErrorClass();
    ErrorClass(const ErrorClass&) = delete;
    ErrorClass& operator=(const ErrorClass&) = delete;

    /// Starts the list afresh with the built-in messages.
    void INIT();
    /// Appends the entries of a message block (see the built-in block for the layout); an
    /// entry wins over earlier ones with its id. A block that is truncated, carries bytes
    /// beyond its last entry or is missing is rejected whole: nothing is added and the
    /// result is false.
    virtual bool ADDERRORS(const unsigned char* block, std::size_t size);

    /// Sets the file name for "%File": cut to 255 bytes, trailing blanks removed.
    void SETFILE(std::string_view name);
    /// Sets the field description for "%Field", cut to 255 bytes.
    void SETFIELD(std::string_view text);
    /// Copies the engine's current failure into the current-failure fields. Without an
    /// engine status (setEngineStatus) the fields are left as they are.
    void SETERRORS();
    /// Makes the last entry with this id current. Returns false, and leaves no entry
    /// current, when no entry carries the id.
    bool SETID(int id);

    /// SETERRORS, then TAKEERROR.
    Level THROW(int id);
    /// Stores text (cut to 255 bytes) for "%Message", then THROW.
    Level THROWMESSAGE(int id, std::string_view text);
    /// Makes the entry current and acts on its severity: 0 TAKEBENIGN, 1 and 4 TAKEUSER,
    /// 2 TAKEPROGRAM, 3 TAKEFATAL, 5 TAKENOTIFY, any other TAKEOTHER. An id that no entry
    /// carries is a fault of the caller: the user is told which id, with the engine's error,
    /// and the result is Level_Program; the program goes on.
    Level TAKEERROR(int id);
    /// Asks the message as a question with the caller's buttons and the question icon,
    /// whatever its severity; returns the button pressed. For an id that no entry carries
    /// the user is told of the fault and the answer is Cancel if offered, else No, else
    /// the default button: an undefined question never counts as consent.
    Button MESSAGE(int id, unsigned buttons, Button defaultButton);
    /// The current entry's text with its placeholders filled ("" without a current entry).
    std::string SUBSSTRING() const;
    /// Discards the list.
    void KILL();

    /// Severity 0: shows nothing; Level_Benign.
    virtual Level TAKEBENIGN();
    /// Severity 3: shows the text and "  Press OK to end this application" with OK, then
    /// ends the program with exit code 3. Returns Level_Fatal only if endProgram returns.
    virtual Level TAKEFATAL();
    /// Severity 5: shows the text with an exclamation icon and OK; Level_Notify.
    virtual Level TAKENOTIFY();
    /// An unknown severity: as TAKEPROGRAM.
    virtual Level TAKEOTHER();
    /// Severity 2: as TAKEFATAL, but the exit code is 2. Returns Level_Program only if
    /// endProgram returns.
    virtual Level TAKEPROGRAM();
    /// Severities 1 and 4: asks the text with Yes and No, Yes the default; Level_Benign
    /// when Yes is pressed, Level_Cancel otherwise.
    virtual Level TAKEUSER();

    /// The engine whose failures SETERRORS captures; not owned, may be nullptr.
    void setEngineStatus(const EngineStatus* status) { engine_ = status; }

    /// The list, oldest entry first.
    const std::vector<Entry>& entries() const { return entries_; }
    /// The current entry, or nullptr.
    const Entry* currentEntry() const;
    /// The current entry's title ("" without one); the caption of its boxes.
    std::string currentTitle() const;
    /// The text that the current entry would show; the same as SUBSSTRING.
    std::string currentText() const { return SUBSSTRING(); }

    /// Ends the program after a fatal or program failure has been shown: exit code 3 for
    /// fatal, 2 for program severity, so that the end never looks like success. By default
    /// std::exit; a test puts a recorder here. If it is empty, std::exit is called.
    std::function<void(int exitCode)> endProgram;

    // The current failure, as the placeholders show it.
    int errorCode = 0;          // the engine's error code: "%ErrorCode"
    std::string errorText;      // the engine's error text: "%Error"
    int fileErrorCode = 0;      // the file system's code behind engine error 90
    std::string fileErrorText;  // the file system's text behind engine error 90
    std::string fileName;       // "%File"
    std::string fieldText;      // "%Field"
    std::string messageText;    // "%Message"

  private:
    std::string substitute(std::size_t index) const;
    /// One entry's text with its placeholders filled, `previous` standing for "%Previous".
    std::string fill(std::size_t index, const std::string& previous) const;
    std::string errorTextValue() const;
    Level endAfterTelling(Level level);

    std::vector<Entry> entries_;
    std::size_t current_ = kNone;
    const EngineStatus* engine_ = nullptr;

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
};

}  // namespace store
