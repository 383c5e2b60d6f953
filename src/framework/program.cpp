#include "framework/program.h"

#include "store/questions.h"

namespace framework {

Program& program() {
    static Program p;
    return p;
}

bool STOP(const std::string& text) {
    return store::questions().stop(text);
}

std::string lowerAnyScript(const std::string& text) {
    return QString::fromStdString(text).toLower().toStdString();
}

}  // namespace framework
