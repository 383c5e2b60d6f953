#pragma once

#include "framework/browse.h"
#include "framework/form.h"
#include "masterdata/client_maintenance.h"
#include "masterdata/clients.h"

class QLineEdit;
class QPlainTextEdit;

namespace masterdata::ui {

/// Defines BROWSECLIENT and UPDATECLIENT.
void defineClientWindows(store::Store& db);

/// The client form: insert, change or delete one client as the user's rights allow;
/// without the right to change clients it shows the client read-only. Deleting a client
/// deletes its bookings, their resource rows included.
class ClientForm : public framework::FormProcedure {
    Q_OBJECT
  public:
    explicit ClientForm(store::Store& db, QWidget* parent = nullptr);

    const ClientRights& rights() const { return rights_; }
    QLineEdit* name() const { return name_; }

  protected:
    bool INIT() override;
    void BUILD() override;
    bool VALIDATE() override;

  private:
    SystemWords words_;
    ClientRights rights_;
    QLineEdit* name_ = nullptr;
    QPlainTextEdit* address_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
};

/// The list of clients in name order with a locator. In select mode "Select" returns the
/// highlighted client in the CLIENT buffer, and a client added from the list is returned
/// the same way at once.
class ClientBrowse : public framework::BrowseProcedure {
    Q_OBJECT
  public:
    ClientBrowse(store::Store& db, bool select, QWidget* parent = nullptr);

  private:
    void insert();

    SystemWords words_;
    ClientRights rights_;
};

}  // namespace masterdata::ui
