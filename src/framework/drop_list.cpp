#include "framework/drop_list.h"

#include <QComboBox>
#include <vector>

#include "store/file_manager.h"
#include "store/record_image.h"

namespace framework {

using namespace store;

int fillDropList(QComboBox& list, FileManager& fm, int key, int equalComponents,
                 const std::function<std::string(const std::byte* record)>& text) {
    list.clear();
    if (fm.USEFILE() != Level_Benign) return 0;
    const TableDecl& d = fm.decl();
    const std::vector<std::byte> probe(fm.buffer(), fm.buffer() + d.recordSize);
    const auto ticket = fm.SAVEBUFFER();
    const RecordPosition was = fm.POSITION();
    if (equalComponents > 0)
        fm.engine().setAtValue(fm.table(), key, equalComponents);
    else
        fm.engine().set(fm.table(), key);
    int n = 0;
    while (fm.NEXT() == Level_Benign) {
        if (equalComponents > 0 &&
            compareKey(d, d.keys[key], fm.buffer(), probe.data(), equalComponents) != 0)
            break;
        list.addItem(QString::fromStdString(text(fm.buffer())));
        ++n;
    }
    fm.RESTOREBUFFER(ticket);
    fm.engine().setPosition(fm.table(), was);
    return n;
}

}  // namespace framework
