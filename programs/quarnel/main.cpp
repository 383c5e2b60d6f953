// quarnel: brings a data folder of an earlier release to today's layout.
//
//   quarnel [FOLDER]                     the converter's window, FOLDER filled in
//   quarnel --make-sample RELEASE FOLDER writes a small sample data folder of RELEASE
//                                        (Multi, 3.0, 3.1 or 3.20) to try it on
//   quarnel --to-server FOLDER CONNINFO  copies the folder's store into the empty server
//                                        database CONNINFO names (libpq parameters) and
//                                        makes the folder name that server
//   quarnel --to-folder CONNINFO FOLDER  copies a server's store into a new folder
// The two copies run without a window, check every table and key, and change nothing when
// they fail (exit 1).
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "converter/sample_store.h"
#include "converter/ui/convert_window.h"
#include "framework/qt_questions.h"
#include "store/questions.h"
#include "store/store_move.h"

namespace {

int makeSample(const char* release, const char* folder) {
    for (const converter::ReleaseInfo& r : converter::convertibleReleases()) {
        if (std::strcmp(release, r.value) != 0 && std::strcmp(release, r.name) != 0) continue;
        converter::SampleStore sample(r.release);
        converter::addTrialRecords(sample);
        if (sample.write(folder) != 0) {
            std::fprintf(stderr, "quarnel: %s\n", sample.problem().c_str());
            return 1;
        }
        std::printf("quarnel: a sample data folder of release %s is in %s\n", r.name, folder);
        return 0;
    }
    std::fprintf(stderr, "quarnel: no release %s (Multi, 3.0, 3.1 or 3.20)\n", release);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--make-sample") == 0) {
        if (argc != 4) {
            std::fprintf(stderr, "usage: quarnel --make-sample RELEASE FOLDER\n");
            return 2;
        }
        return makeSample(argv[2], argv[3]);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--to-server") == 0) {
        if (argc != 4) {
            std::fprintf(stderr, "usage: quarnel --to-server FOLDER CONNINFO\n");
            return 2;
        }
        return store::moveStoreToServer(argv[2], argv[3], std::cout, std::cerr);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--to-folder") == 0) {
        if (argc != 4) {
            std::fprintf(stderr, "usage: quarnel --to-folder CONNINFO FOLDER\n");
            return 2;
        }
        return store::moveStoreToFolder(argv[2], argv[3], std::cout, std::cerr);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("quarnel");
    framework::QtQuestions questions;
    store::setQuestions(&questions);

    converter::ui::ConvertWindow window;
    if (argc >= 2) window.setFolder(QString::fromLocal8Bit(argv[1]));
    // The window closes when a conversion has run, or on Cancel; the program with it.
    QObject::connect(&window, &QDialog::finished, &app, &QApplication::quit);
    window.show();
    const int rc = app.exec();
    store::setQuestions(nullptr);
    return window.outcome() == converter::Outcome::Failed ? 1 : rc;
}
