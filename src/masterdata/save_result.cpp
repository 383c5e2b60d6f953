#include "masterdata/save_result.h"

namespace masterdata {

std::string changedMessage(int number) {
    return "Record changed by another workstation or window. " + std::to_string(number);
}

std::string cancelledMessage(const SaveResult& r) {
    return "Transaction cancelled - " + r.errorText + " " + std::to_string(r.number);
}

}  // namespace masterdata
