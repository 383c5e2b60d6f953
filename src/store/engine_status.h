#pragma once

#include <string>

namespace store {

/// Error codes of the record-file engine.
enum EngineError : int {
    NoError = 0,
    FileNotFoundErr = 2,
    AccessDeniedErr = 5,
    RecordNotAvailableErr = 33,
    RecordNotFoundErr = 35,
    FileNotOpenErr = 37,
    DupKeyErr = 40,
    RecordHeldErr = 43,
    KeysMustBeRebuiltErr = 46,
    InvalidRecordDeclarationErr = 47,
    UnableToLogTransactionErr = 48,
    TransactionActiveErr = 56,
    RecordChangedErr = 89,
    FileSystemErr = 90,
};

/// The fixed text of an engine error code ("Creates Duplicate Key" for 40).
const char* engineErrorText(int code);

/// The engine's most recent failure, as the error reporter captures it.
/// For error 90 the file fields carry the operating system's own code and text.
struct EngineStatus {
    int code = 0;
    std::string text;
    int fileCode = 0;
    std::string fileText;
    /// What exactly is wrong, where the engine can say more than its code: for error 47 on
    /// a table whose catalogue entry is today's, the column that differs ("column PASSWORD
    /// is missing"). Empty for a layout of another release.
    std::string detail;

    void clear() { *this = EngineStatus{}; }
    /// The failure as messages show it: for error 90 the system's text and code, else the
    /// engine's ("Creates Duplicate Key (40)").
    std::string message() const {
        return code == FileSystemErr ? fileText + " (" + std::to_string(fileCode) + ")"
                                     : text + " (" + std::to_string(code) + ")";
    }
    void set(int c) {
        code = c;
        text = engineErrorText(c);
        fileCode = 0;
        fileText.clear();
        detail.clear();
    }
    void setFileError(int osCode, std::string osText) {
        code = FileSystemErr;
        text = engineErrorText(FileSystemErr);
        fileCode = osCode;
        fileText = std::move(osText);
        detail.clear();
    }
};

}  // namespace store
