#pragma once
// Units: small integers that name the open files of a run.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "records/number_style.hpp"

namespace tc {

// Old: an existing file. Unknown: created when missing; an existing file keeps its contents until
// the first write cuts it. Replace: an output written as a new file beside the named one
// (ReplacementName), which takes the name only when put in place (UnitTable::PutInPlace); closed
// otherwise, the new file is removed and the named one is left as it was.
enum class OpenStatus { Old, Unknown, Replace };

inline constexpr std::int32_t MaxUnit = 99;

// Longest input record accepted; a longer line is refused rather than buffered without bound.
inline constexpr std::size_t MaxRecordLength = std::size_t{1} << 20;

// One open file, read or written record by record through a buffer.
class Unit {
public:
    Unit();
    ~Unit();
    Unit(const Unit&) = delete;
    Unit& operator=(const Unit&) = delete;

    std::int32_t number() const { return number_; }
    const std::string& name() const { return name_; }
    bool isOpen() const { return fd_ >= 0; }
    // Records read or written so far (the number of the record in progress in messages).
    std::int64_t records() const { return records_; }
    // True when a read would find no further record.
    bool AtEnd();
    // Writes out what is buffered; throws RunError when the file cannot take it.
    void Flush();
    // A Replace unit: flushes, closes and renames the new file over the named one.
    void PutInPlace();

    // Record-level access used by the statement engines.
    // Next input record without its line end (LF or CR LF); throws RunError at the end of the file.
    // The view stays valid until the next call on the unit.
    std::string_view NextRecord(std::string_view layoutForMessages);
    // Room for one output record of up to capacity characters; EndRecord(n) commits n of them
    // followed by CR LF.
    char* BeginRecord(std::size_t capacity);
    void EndRecord(std::size_t length);

    // Output as a stream of fields: BeginWriting once per statement, then Reserve(n) gives room
    // for n characters, Commit(n) keeps them, EndOutputRecord ends the record with CR LF.
    void BeginWriting() {
        if (!writing_) StartWriting();
    }
    char* Reserve(std::size_t n) {
        if (bufferSize_ - end_ < n) MakeRoom(n);
        return buffer_.get() + end_;
    }
    void Commit(std::size_t n) { end_ += n; }
    void EndOutputRecord();
    // Ends a record built whole in room from Reserve: its first n characters, then the line end
    // put after them (the room must hold n + 2).
    void CommitRecord(std::size_t n) {
        std::memcpy(buffer_.get() + end_ + n, records_detail::LineEnd.data(), records_detail::LineEnd.size());
        end_ += n + records_detail::LineEnd.size();
        ++records_;
    }

    // "unit 20 (./jobs/wall1/wall1.dat), read of record 7": the head of an error message about
    // this unit's file (ErrorHead with its number and name).
    std::string Place(std::string_view operation, std::int64_t record) const;
    std::string Place(std::string_view operation) const;

private:
    friend class UnitTable;
    void Open(std::int32_t number, std::string name, OpenStatus status);
    void Close();
    void StartWriting();
    void MakeRoom(std::size_t n);
    bool Fill();  // reads more input; false at the end of the file
    // Writes length bytes from data; kept more bytes of records follow them in the buffer (for
    // naming the record that failed).
    void WriteOut(const char* data, std::size_t length, std::size_t kept);
    void Release() noexcept;

    std::int32_t number_ = 0;
    std::string name_;
    std::string temporary_;  // a Replace unit's new file, until put in place
    int fd_ = -1;
    bool writable_ = false;  // fd_ was opened for writing
    bool writing_ = false;   // the first write cut the file; the unit is now output only
    std::int64_t records_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t bufferSize_ = 0;
    std::size_t begin_ = 0, end_ = 0;  // input: unread bytes; output: begin_ unused, end_ = filled
    std::int64_t fileOffset_ = 0;      // input: bytes taken from the file so far; output: bytes
                                       // of the file before the buffer's first
    bool eof_ = false;
};

// The units of a run, 0 to MaxUnit, owned by the run driver.
class UnitTable {
public:
    UnitTable();
    ~UnitTable();
    UnitTable(const UnitTable&) = delete;
    UnitTable& operator=(const UnitTable&) = delete;
    // Binds unit to the file. Old: the file must exist (RunError otherwise). Unknown: created when
    // missing; an existing file keeps its contents until the first write on the unit cuts it.
    // Replace: written as a new file, see OpenStatus. A unit already open is closed first.
    Unit& Open(std::int32_t unit, std::string_view name, OpenStatus status);
    // Ends a Replace unit's binding by putting its new file in place of the named one; throws
    // RunError when the file cannot take its last records or cannot be renamed (the new file is
    // then removed). Nothing for a unit not open.
    void PutInPlace(std::int32_t unit);
    // The open unit; throws RunError when nothing is bound to it.
    Unit& operator[](std::int32_t unit);
    bool IsOpen(std::int32_t unit) const;
    // Ends the binding; the file keeps what was written.
    void Close(std::int32_t unit);
    // Writes out every buffered record; never throws (used on the way out after an error).
    void FlushAll() noexcept;

private:
    std::unique_ptr<Unit[]> units_;
};

bool FileExists(std::string_view name);

}  // namespace tc
