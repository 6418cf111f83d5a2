#pragma once
// Units: small integers that name the open files of a run.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tc {

enum class OpenStatus { Old, Unknown };

inline constexpr std::int32_t MaxUnit = 99;

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

    // Record-level access used by the statement engines.
    // Next input record without its line end (LF or CR LF); throws RunError at the end of the file.
    std::string_view NextRecord(std::string_view layoutForMessages);
    // Room for one output record of up to capacity characters; EndRecord(n) commits n of them
    // followed by CR LF.
    char* BeginRecord(std::size_t capacity);
    void EndRecord(std::size_t length);

private:
    friend class UnitTable;
    void Open(std::int32_t number, std::string name, OpenStatus status);
    void Close();

    std::int32_t number_ = 0;
    std::string name_;
    int fd_ = -1;
    bool writing_ = false;  // the first write cuts the file
    std::int64_t records_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t bufferSize_ = 0;
    std::size_t begin_ = 0, end_ = 0;  // input: unread bytes; output: begin_ unused, end_ = filled
    bool eof_ = false;
};

// The units of a run, 0 to MaxUnit, owned by the run driver.
class UnitTable {
public:
    UnitTable();
    ~UnitTable();
    // Binds unit to the file. Old: the file must exist (RunError otherwise). Unknown: created when
    // missing; an existing file keeps its contents until the first write on the unit cuts it.
    Unit& Open(std::int32_t unit, std::string_view name, OpenStatus status);
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
