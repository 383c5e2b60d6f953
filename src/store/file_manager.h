#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine.h"
#include "level.h"

namespace store {

class ErrorClass;

/// The access object of one table: opening, reading by key, inserting, changing,
/// priming and validating records, and reporting every failure by message id through
/// the shared error reporter. All users of the table in the process share it and its
/// record buffer.
class FileManager {
  public:
    /// INIT: binds the table; the store's start-up then adds the keys.
    FileManager(Engine& engine, Table& table, ErrorClass& errors);
    virtual ~FileManager();
    FileManager(const FileManager&) = delete;
    FileManager& operator=(const FileManager&) = delete;

    struct KeyEntry {
        int key;
        std::string description;
        bool autoNumber;
    };
    void ADDKEY(int key, std::string description, bool autoNumber = false);

    /// Counts a use of the table for the caller; with lazy opening the real open waits
    /// for the first USEFILE. Fatal failures end the program through the reporter.
    Level OPEN(bool force = false);
    /// Lowers the open count; the table is really closed when it reaches 0.
    void CLOSE();
    /// Makes sure a lazily opened table is really open; message 39 when it was never opened.
    Level USEFILE();

    /// Reads the record whose key value equals the buffer's. FETCH clears the buffer when
    /// there is none, TRYFETCH leaves it; both return Level_Notify without a message.
    Level FETCH(int key);
    Level TRYFETCH(int key);
    /// Positions at the start of a key's order (key -1: the order records were added), or
    /// at the buffer's key value with atBufferValue.
    Level SET(int key, bool atBufferValue = false);
    /// Reads the next/previous record. At the end: Level_Notify, no message, atEnd() true.
    Level NEXT();
    Level PREVIOUS();
    bool atEnd() const { return atEnd_; }

    /// Validates, then adds the buffer; a duplicated key is named in message 13.
    Level INSERT();
    /// Validates, then writes the buffer over the record last read. When another station
    /// changed it meanwhile: message 6 (7 with fullHandling), its values are read into the
    /// buffer, and the result is Level_Notify.
    Level UPDATE(bool fullHandling = false);
    /// UPDATE that records the message id without showing it.
    Level TRYUPDATE();
    /// Deletes the record last read (no relation rules; see RelationManager::DELETE).
    Level DELETERECORD();

    /// Clears the buffer (unless keepBuffer) and sets the table's initial values.
    Level PRIMERECORD(bool keepBuffer = false);
    virtual void PRIMEFIELDS();

    /// Runs the field checks; Level_Benign when every field passes. Field numbers are
    /// 1-based, as messages number them.
    virtual Level VALIDATERECORD();
    Level VALIDATEFIELDS(int low, int high);
    virtual Level VALIDATEFIELD(int field);

    /// A stack of saved copies of the buffer, each with its ticket.
    std::uint16_t SAVEBUFFER();
    void RESTOREBUFFER(std::uint16_t ticket, bool restore = true);
    bool EQUALBUFFER(std::uint16_t ticket) const;

    RecordPosition POSITION() const { return table_.position(); }
    /// Re-reads the record at a remembered position; Level_Notify when it is gone.
    Level TRYREGET(RecordPosition p);

    void SETERROR(int id) { lastError_ = id; }
    int lastError() const { return lastError_; }
    Level THROW();
    Level THROW(int id);
    Level THROWMESSAGE(int id, const std::string& text);

    Engine& engine() { return engine_; }
    Table& table() { return table_; }
    const TableDecl& decl() const { return table_.decl(); }
    ErrorClass& errors() { return errors_; }
    std::byte* buffer() { return table_.buffer(); }
    const std::vector<KeyEntry>& keys() const { return keys_; }
    int openCount() const { return openCount_; }
    bool reallyOpen() const { return reallyOpened_; }
    bool writeAccess() const { return writeAccess_; }

    /// The table's name as messages show it: "RESDATA\!ACTIVITY".
    const std::string name;
    bool CREATE = true;
    int LOCKRECOVER = 10;  // seconds
    bool LAZYOPEN = true;
    bool SKIPHELDRECORDS = false;

  private:
    Level openForReal();
    Level step(int direction);

    Engine& engine_;
    Table& table_;
    ErrorClass& errors_;
    std::vector<KeyEntry> keys_;
    bool writeAccess_ = true;
    int openCount_ = 0;
    bool reallyOpened_ = false;
    bool atEnd_ = false;
    int lastError_ = 0;
    struct Saved {
        std::uint16_t ticket;
        std::vector<std::byte> copy;
    };
    std::vector<Saved> saved_;
    std::uint16_t nextTicket_ = 1;
};

}  // namespace store
