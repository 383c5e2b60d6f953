#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include "../test_app.h"

#include "../store/store_fixture.h"
#include "framework/ini_file.h"
#include "framework/program.h"
#include "shell/login.h"
#include "store/error_class.h"
#include "store/scripted_questions.h"
#include "store/session.h"
#include "store/store.h"

namespace shell::test {

/// The one application object of the test program, made on first use.
inline QApplication& testApp() {
    return tembrix::test::testApplication();
}

/// Runs `step` on the modal window that the code under test is about to open.
inline void onNextModal(std::function<void(QWidget*)> step) {
    QTimer::singleShot(0, [step] {
        QWidget* w = QApplication::activeModalWidget();
        if (w) step(w);
    });
}

/// Clicks the button of a window by its text.
inline void pressButton(QWidget* window, const QString& text) {
    for (auto* b : window->findChildren<QPushButton*>())
        if (b->text() == text && b->isVisible()) {
            b->click();
            return;
        }
}

/// A data folder with its store, error reporter, configuration file and scripted user.
class ShellTest : public ::testing::Test {
  protected:
    std::filesystem::path dir;
    store::ScriptedQuestions user;
    store::ErrorClass errors;
    std::vector<int> exits;
    std::unique_ptr<store::Store> db;
    std::unique_ptr<framework::IniFile> ini;
    /// The test's own database when its store is kept on the test server.
    std::unique_ptr<store::test::ServerDatabase> server;

    /// Where the test's store lives; a test on both kinds of store says so by its parameter.
    virtual store::test::StoreKind storeKind() const { return store::test::StoreKind::Files; }

    void SetUp() override {
        testApp();
        char tmpl[] = "/tmp/tembrix-shell-XXXXXX";
        dir = ::mkdtemp(tmpl);
        server = std::make_unique<store::test::ServerDatabase>(dir, storeKind());
        server->require();
        errors.INIT();
        errors.endProgram = [this](int code) { exits.push_back(code); };
        reopen();
        store::session() = store::Session{};
    }
    void TearDown() override {
        // The windows a test defined, and the alert search tied to its store, end with it
        // as they end with a run of the program.
        framework::program() = framework::Program{};
        db.reset();
        server.reset();
        std::filesystem::remove_all(dir);
    }
    /// A fresh start of the program on the same folder.
    void reopen() {
        db.reset();
        db = std::make_unique<store::Store>(dir.string(), errors);
        db->DCTINIT();
        ini = std::make_unique<framework::IniFile>((dir / "tembrixm.INI").string());
    }
    long long count(store::Tbl t) {
        db->Access(t).USEFILE();
        return db->engine().records(db->table(t));
    }
    /// Types a user name and password into the log-in window when it opens, and OK.
    static void typeLogin(const std::string& name, const std::string& password) {
        onNextModal([name, password](QWidget* w) {
            auto* login = qobject_cast<LOGIN*>(w);
            if (!login) return;
            login->userName()->setText(QString::fromStdString(name));
            login->password()->setText(QString::fromStdString(password));
            pressButton(login, "OK");
            // A refused log-in leaves the window open: give up then.
            if (login->isVisible()) pressButton(login, "Cancel");
        });
    }
};

/// A start-up test that runs on the folder's files and on a server (instantiated with
/// TEMBRIX_ON_BOTH_STORES).
class ShellOnBothTest : public ShellTest,
                        public ::testing::WithParamInterface<store::test::StoreKind> {
  protected:
    store::test::StoreKind storeKind() const override { return GetParam(); }
};

}  // namespace shell::test
