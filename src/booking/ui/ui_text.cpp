#include "booking/ui/ui_text.h"

#include "framework/program.h"
#include "store/tables.h"

namespace booking::ui {

QString text(const char* source, const std::string& v1, const std::string& v2,
             const std::string& v3) {
    return QString::fromStdString(merge(tr(source), v1, v2, v3));
}

}  // namespace booking::ui
