#include "masterdata/client_maintenance.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "store/error_class.h"
#include "store/questions.h"
#include "store/record_image.h"
#include "store/store.h"

namespace masterdata {

using namespace store;

namespace {

std::string trimmed(std::string_view text) {
    const auto end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

/// Keeps a table's buffer as it was for as long as it lives.
class KeptBuffer {
  public:
    explicit KeptBuffer(FileManager& fm) : fm_(fm), ticket_(fm.SAVEBUFFER()) {}
    ~KeptBuffer() { fm_.RESTOREBUFFER(ticket_); }
    KeptBuffer(const KeptBuffer&) = delete;
    KeptBuffer& operator=(const KeptBuffer&) = delete;

  private:
    FileManager& fm_;
    std::uint16_t ticket_;
};

/// The booking numbers of a client, found along ACT:CLIENT_KEY; false when reading failed.
bool bookingsOf(Store& db, const std::string& client, std::vector<LONG>& out) {
    FileManager& act = db.Access(Tbl::ACTIVITY);
    KeptBuffer kept(act);
    act.table().clearBuffer();
    db.ACT.CLIENT = client;
    Engine& e = db.engine();
    int rc = e.setAtValue(act.table(), ACT::CLIENT_KEY, 1);
    while (rc == NoError && (rc = e.next(act.table())) == NoError) {
        // The key ignores letter case, as the client's own name key does.
        if (compareText(db.ACT.CLIENT.str(), client, true) != 0) break;
        out.push_back(db.ACT.ACTNUMBER);
    }
    return rc == NoError || rc == RecordNotAvailableErr;
}

/// Deletes the resource rows of one booking, found along RAC:ACTIVITY_KEY.
bool deleteResourceRows(Store& db, LONG booking) {
    FileManager& rac = db.Access(Tbl::RESACT);
    KeptBuffer kept(rac);
    Engine& e = db.engine();
    rac.table().clearBuffer();
    db.RAC.ACTNUMBER = booking;
    std::vector<RecordPosition> rows;
    int rc = e.setAtValue(rac.table(), RAC::ACTIVITY_KEY, 1);
    while (rc == NoError && (rc = e.next(rac.table())) == NoError && db.RAC.ACTNUMBER == booking)
        rows.push_back(rac.POSITION());
    if (rc != NoError && rc != RecordNotAvailableErr) return false;
    // Found first and deleted afterwards, so that deleting does not move the walk.
    for (const RecordPosition& at : rows) {
        if (e.reget(rac.table(), at) != NoError || e.erase(rac.table()) != NoError) return false;
    }
    return true;
}

std::string lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string bookingsWarning(Store& db, std::size_t count) {
    const SystemWords w = readSystemWords(db);
    const std::string booking = lower(count == 1 ? w.booking : w.bookings);
    return "This " + lower(w.client) + " has " + std::to_string(count) + " " + booking + ". " +
           (count == 1 ? "It" : "They") + " will be deleted with the " + lower(w.client) +
           ", with " + (count == 1 ? "its" : "their") +
           " dates, notes and resources. Delete them all?";
}

}  // namespace

SystemWords readSystemWords(Store& db) {
    SystemWords s;
    FileManager& syp = db.Access(Tbl::SYSPREF);
    if (syp.OPEN() != Level_Benign) return s;
    {
        KeptBuffer kept(syp);
        if (syp.SET(-1) == Level_Benign && syp.NEXT() == Level_Benign) {
            s.clientGeneral = db.SYP.CLIENTGENERAL == 1;
            if (std::string w = trimmed(db.SYP.LABELS1_1.str()); !w.empty()) s.booking = w;
            if (std::string w = trimmed(db.SYP.LABELS1_2.str()); !w.empty()) s.bookings = w;
            if (std::string w = trimmed(db.SYP.LABELS3_1.str()); !w.empty()) s.client = w;
            if (std::string w = trimmed(db.SYP.LABELS3_2.str()); !w.empty()) s.clients = w;
        }
    }
    syp.CLOSE();
    return s;
}

bool readClient(Store& db, const std::string& name) {
    db.CLI.CLIENT = name;
    if (db.CLI.CLIENT.blank()) return false;
    if (db.engine().get(db.table(Tbl::CLIENT), CLI::CLIENT_KEY) == NoError) return true;
    db.CLI.CLIENT = name;
    return false;
}

Level deleteClient(Store& db, bool ask) {
    FileManager& cli = db.Access(Tbl::CLIENT);
    RelationManager& rm = db.Relate(Tbl::CLIENT);
    if (ask && db.errors().TAKEERROR(9) != Level_Benign) return Level_Cancel;
    if (Level l = rm.OPEN()) return l;
    FileManager& rac = db.Access(Tbl::RESACT);
    // The resource rows are reached from the bookings only by look-up, so they are opened
    // here in case nothing else has them open.
    if (Level l = rac.OPEN()) {
        rm.CLOSE();
        return l;
    }
    struct Closer {
        RelationManager& rm;
        FileManager& rac;
        ~Closer() {
            rac.CLOSE();
            rm.CLOSE();
        }
    } closer{rm, rac};
    if (Level l = cli.USEFILE()) return l;
    if (Level l = db.Access(Tbl::ACTIVITY).USEFILE()) return l;
    if (Level l = rac.USEFILE()) return l;
    if (ask) {
        // The bookings go with the client: the user is told how many before they do.
        std::vector<LONG> bookings;
        if (bookingsOf(db, db.CLI.CLIENT.str(), bookings) && !bookings.empty() &&
            questions().message("Confirm Delete", bookingsWarning(db, bookings.size()),
                                Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_NO) != BUTTON_YES)
            return Level_Cancel;
    }

    Engine& e = db.engine();
    const RecordPosition at = cli.POSITION();
    const std::vector<std::byte> record(cli.buffer(), cli.buffer() + cli.table().recordSize());
    const std::string client = db.CLI.CLIENT.str();
    for (;;) {
        if (e.begin(RelationManager::kTransactionWait) != NoError) {
            cli.THROW(21);
            return Level_Notify;
        }
        std::vector<LONG> bookings;
        bool ok = bookingsOf(db, client, bookings);
        if (!ok) db.Access(Tbl::ACTIVITY).THROW(11);
        for (std::size_t i = 0; ok && i < bookings.size(); ++i) {
            ok = deleteResourceRows(db, bookings[i]);
            if (!ok) rac.THROW(11);
        }
        if (ok) {
            // The client itself, with its bookings by the cascade rule, inside this
            // transaction.
            std::memcpy(cli.buffer(), record.data(), record.size());
            e.setPosition(cli.table(), at);
            ok = rm.DELETE(false) == Level_Benign;
        }
        if (ok && e.commit() == NoError) return Level_Benign;
        if (ok) cli.THROW(11);  // the commit failed
        e.rollback();
        std::memcpy(cli.buffer(), record.data(), record.size());
        e.setPosition(cli.table(), at);
        if (db.errors().TAKEERROR(33) != Level_Benign) return Level_Notify;
    }
}

}  // namespace masterdata
