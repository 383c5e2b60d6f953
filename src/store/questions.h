#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace store {

/// One finding of the booking checks put to the user: another booking of a resource
/// (kind 0), a special day (1), a weekend (2) or a pooled resource over its capacity (3).
/// What a finding of the booking checks is about.
enum ConflictKind : int {
    OtherBooking = 0,  // another booking of a single resource collides
    SpecialDay = 1,    // the date lies in a special period
    Weekend = 2,       // the date is a Saturday or Sunday
    PoolExceeded = 3,  // a pooled resource would have more units booked than it has
};

/// What the conflict dialog is asked about one finding of the booking checks.
struct ConflictQuestion {
    std::string text;      // the other booking's name or client, the special day, "weekend"...
    std::string resource;  // the resource being checked (kinds 0 and 3)
    std::int32_t date = 0, start = 0, end = 0;
    std::int32_t periodEnd = 0;  // kind 1: the last day of the special period
    ConflictKind kind = OtherBooking;
    bool loop = false;        // occurrences are checked one after another: skip and stop offered
    bool noConflict = false;  // conflicts may not be accepted (SYP:NOCONFLICT)
    // Kind 0: the other booking, whatever `text` names it by.
    std::string otherName, otherClient;
    std::int32_t otherNumber = 0;
    // Kind 3: the units this occurrence wants, those already booked at the busiest instant
    // of it, and the resource's capacity.
    int unitsWanted = 0, unitsTaken = 0, capacity = 0;
};

/// The answers of the conflict dialog, as the booking checks act on them.
enum ConflictAnswer : int {
    AcceptThis = 0,
    AcceptAll = 1,
    SkipThis = 2,
    StopSaveAccepted = 3,
    CancelEraseAccepted = 4,
};

enum class Icon { None, Information, Question, Exclamation, Stop };

/// Buttons of a message box, combinable as a set.
enum Button : unsigned {
    BUTTON_OK = 1,
    BUTTON_YES = 2,
    BUTTON_NO = 4,
    BUTTON_ABORT = 8,
    BUTTON_RETRY = 16,
    BUTTON_IGNORE = 32,
    BUTTON_CANCEL = 64,
    BUTTON_HELP = 128,
};

/// Every question the program puts to its user goes through this one interface: the
/// program installs the window-system implementation, tests a scripted one.
class UserQuestions {
  public:
    virtual ~UserQuestions() = default;

    /// Shows a message box with the given buttons; returns the button pressed. A box
    /// closed without a choice answers with the Cancel button when offered, else No,
    /// else the default.
    virtual Button message(const std::string& caption, const std::string& text, Icon icon,
                           unsigned buttons, Button defaultButton) = 0;

    /// The stop box for an unexpected failure ("error text + place tag"). Returns true
    /// when the user chooses to end the program, false to go on.
    virtual bool stop(const std::string& text) = 0;

    enum class FileKind { Open, Save, Folder };
    /// A file or folder dialog; returns the chosen path, or "" when the user cancelled.
    /// `filter` lists patterns the way the windows' file dialogs show them
    /// ("Text files (*.txt)"). Without a window system nothing can be chosen.
    virtual std::string chooseFile(FileKind kind, const std::string& caption,
                                   const std::string& start, const std::string& filter) {
        (void)kind, (void)caption, (void)start, (void)filter;
        return {};
    }

    /// The conflict dialog; returns a ConflictAnswer. A dialog closed without a choice
    /// answers CancelEraseAccepted. By default the window installed with
    /// setConflictWindow asks, and without one the answer is CancelEraseAccepted, so that
    /// nothing is ever booked over a conflict unasked.
    virtual int conflict(const ConflictQuestion& q);
};

/// Installs the window that asks conflict questions for implementations that do not
/// answer them themselves.
void setConflictWindow(std::function<int(const ConflictQuestion&)> window);

/// The program-wide instance. Without one installed, every question is answered with
/// its default button (and the stop box with "go on"), so nothing ever blocks.
UserQuestions& questions();
/// Installs q (not owned; nullptr restores the silent default) and returns the previous one.
UserQuestions* setQuestions(UserQuestions* q);

}  // namespace store
