#include "store/engine_status.h"

namespace store {

const char* engineErrorText(int code) {
    switch (code) {
        case NoError:
            return "";
        case FileNotFoundErr:
            return "File Not Found";
        case AccessDeniedErr:
            return "Access Denied";
        case RecordNotAvailableErr:
            return "Record Not Available";
        case RecordNotFoundErr:
            return "Record Not Found";
        case FileNotOpenErr:
            return "File Not Open";
        case DupKeyErr:
            return "Creates Duplicate Key";
        case RecordHeldErr:
            return "Record Is Already Held";
        case KeysMustBeRebuiltErr:
            return "Keys Must Be Rebuilt";
        case InvalidRecordDeclarationErr:
            return "Invalid Record Declaration";
        case UnableToLogTransactionErr:
            return "Unable To Log Transaction";
        case TransactionActiveErr:
            return "Transaction Already Active";
        case RecordChangedErr:
            return "Record Changed By Another Station";
        case FileSystemErr:
            return "File System Error";
    }
    return "Unknown Error";
}

}  // namespace store
