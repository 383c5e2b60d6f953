#pragma once

#include <string>

namespace masterdata {

/// How the save of a maintenance form ended, for the form to tell the user and to decide
/// whether it closes.
struct SaveResult {
    enum Outcome {
        Saved,             // committed; the form closes with "completed"
        ChangedElsewhere,  // another station changed the rows or the record: `number` is 7, 8 or 9
        Cancelled,         // a step of the transaction failed: `number` is the step
        Duplicate,         // the code is taken; message 13 was shown, the form stays open
        Refused,           // a check of the form refused the record (`message`), nothing written
    };
    Outcome outcome = Saved;
    int number = 0;
    std::string errorText;  // the store's error text for Cancelled
    std::string message;    // the text for Refused
    std::string tag;        // for an unexpected failure: the place named in the stop box

    bool saved() const { return outcome == Saved; }
    static SaveResult changed(int n) { return {ChangedElsewhere, n, {}, {}, {}}; }
    static SaveResult cancelled(int step, std::string text) {
        return {Cancelled, step, std::move(text), {}, {}};
    }
};

/// "Record changed by another workstation or window." and its number, as the user sees it.
std::string changedMessage(int number);
/// "Transaction cancelled - %1 %2" for a failed step.
std::string cancelledMessage(const SaveResult& r);
inline constexpr const char* kSafeguardTitle = "Information Safeguard";

}  // namespace masterdata
