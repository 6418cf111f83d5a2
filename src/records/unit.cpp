// Unit: one open file, read record by record or written through a buffer.
#include "records/unit.hpp"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "records/number_style.hpp"
#include "records/replace_file.hpp"
#include "records/run_error.hpp"

namespace tc {
namespace {

// Output leaves in whole chunks at offsets that are multiples of the chunk, so that the host's
// page cache takes each as one large group of pages, as it does for a file copy; the buffer
// holds a chunk and room for the record that passes its end.
constexpr std::size_t WriteChunk = std::size_t{64} << 10;
constexpr std::size_t BufferSize = WriteChunk + (std::size_t{8} << 10);

// The few calls on the host's files, in one place.
#ifdef _WIN32
int OsOpen(const char* name, int flags) { return _open(name, flags | _O_BINARY, _S_IREAD | _S_IWRITE); }
long long OsRead(int fd, char* data, std::size_t n) { return _read(fd, data, static_cast<unsigned>(n)); }
long long OsWrite(int fd, const char* data, std::size_t n) { return _write(fd, data, static_cast<unsigned>(n)); }
int OsClose(int fd) { return _close(fd); }
std::int64_t OsSize(int fd) {
    struct _stat64 st;
    return _fstat64(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}
bool OsCutAt(int fd, std::int64_t offset) { return _chsize_s(fd, offset) == 0 && _lseeki64(fd, offset, SEEK_SET) >= 0; }
bool OsSeek(int fd, std::int64_t offset) { return _lseeki64(fd, offset, SEEK_SET) >= 0; }
bool IsRegularFile(int fd) {
    struct _stat64 st;
    return _fstat64(fd, &st) == 0 && (st.st_mode & _S_IFREG) != 0;
}
constexpr int ReadWrite = _O_RDWR;
constexpr int ReadOnly = _O_RDONLY;
constexpr int WriteOnly = _O_WRONLY;
constexpr int Create = _O_CREAT;
#else
int OsOpen(const char* name, int flags) { return ::open(name, flags | O_CLOEXEC, 0666); }
long long OsRead(int fd, char* data, std::size_t n) { return ::read(fd, data, n); }
long long OsWrite(int fd, const char* data, std::size_t n) { return ::write(fd, data, n); }
int OsClose(int fd) { return ::close(fd); }
std::int64_t OsSize(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}
bool OsCutAt(int fd, std::int64_t offset) {
    return ::ftruncate(fd, static_cast<off_t>(offset)) == 0 && ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) >= 0;
}
bool OsSeek(int fd, std::int64_t offset) { return ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) >= 0; }
bool IsRegularFile(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}
constexpr int ReadWrite = O_RDWR;
constexpr int ReadOnly = O_RDONLY;
constexpr int WriteOnly = O_WRONLY;
constexpr int Create = O_CREAT;
#endif

enum class PathKind { Missing, Folder, Other };

PathKind Inspect(const std::string& name) {
    struct stat st;
    if (::stat(name.c_str(), &st) != 0) return PathKind::Missing;
    return (st.st_mode & S_IFMT) == S_IFDIR ? PathKind::Folder : PathKind::Other;
}

}  // namespace

Unit::Unit() = default;

Unit::~Unit() {
    if (fd_ < 0) return;
    try {
        Flush();
    } catch (...) {
        // The table flushes before its units go; a unit destroyed on its own loses nothing more.
    }
    Release();
}

std::string Unit::Place(std::string_view operation) const { return ErrorHead(number_, name_, operation); }

std::string Unit::Place(std::string_view operation, std::int64_t record) const {
    return ErrorHead(number_, name_, operation, record);
}

void Unit::Open(std::int32_t number, std::string name, OpenStatus status) {
    number_ = number;
    name_ = std::move(name);
    // The host would end the name at a NUL byte and open another file (the outputs of a job named
    // "x.inp" NUL would overwrite its input deck): refused, the byte shown escaped.
    if (name_.find('\0') != std::string::npos) {
        std::string shown;
        for (const char c : name_) {
            if (c == '\0') {
                shown += "\\x00";
            } else {
                shown += c;
            }
        }
        name_ = shown;
        throw RunError(Place("open") + ": the file name holds a NUL byte");
    }
    const PathKind kind = Inspect(name_);
    if (kind == PathKind::Missing && status == OpenStatus::Old) throw RunError(Place("open") + ": file not found");
    if (kind == PathKind::Folder) throw RunError(Place("open") + ": this is a folder, not a file");
    int fd = -1;
    writable_ = true;
    if (status == OpenStatus::Replace) {
        std::string temporary = ReplacementName(name_);
        fd = records_detail::CreateNewFile(temporary);
        if (fd < 0) {
            const int error = errno;
            throw RunError(Place("open") + ": cannot create its new file " + temporary + ": " + std::strerror(error));
        }
        temporary_ = std::move(temporary);
    } else if (kind == PathKind::Missing) {
        fd = OsOpen(name_.c_str(), ReadWrite | Create);
    } else {
        // An existing file is opened for reading and writing when allowed, else for reading only
        // (input files may be read-only); nothing is cut before the first write.
        fd = OsOpen(name_.c_str(), ReadWrite);
        if (fd < 0) {
            fd = OsOpen(name_.c_str(), ReadOnly);
            writable_ = false;
        }
    }
    if (fd < 0) {
        const int error = errno;
        throw RunError(Place("open") + ": " + std::strerror(error));
    }
    fd_ = fd;
    writing_ = false;
    records_ = 0;
    begin_ = end_ = 0;
    fileOffset_ = 0;
    eof_ = false;
    if (!buffer_) {
        buffer_ = std::make_unique<char[]>(BufferSize);
        bufferSize_ = BufferSize;
    }
}

void Unit::Release() noexcept {
    if (fd_ >= 0) OsClose(fd_);
    fd_ = -1;
    writing_ = false;
    begin_ = end_ = 0;
    // A new file that was not put in place goes: the named file stays as it was.
    if (!temporary_.empty()) records_detail::RemoveFileQuietly(temporary_);
    temporary_.clear();
}

void Unit::PutInPlace() {
    if (fd_ < 0) return;
    if (temporary_.empty()) {
        Close();
        return;
    }
    // A file that cannot take its last records still takes its place, as far as it was written,
    // so that the outputs of a run are replaced together; the failure is reported after.
    std::string failure;
    try {
        Flush();
    } catch (const RunError& e) {
        failure = e.what();
    }
    if (OsClose(fd_) != 0 && failure.empty()) {
        const int error = errno;
        failure = Place("close") + ": " + std::strerror(error);
    }
    fd_ = -1;
    writing_ = false;
    begin_ = end_ = 0;
    if (!records_detail::PutFileInPlace(temporary_, name_)) {
        const int error = errno;
        failure = Place("close") + ": its new file " + temporary_ + " cannot take its place: " + std::strerror(error);
        records_detail::RemoveFileQuietly(temporary_);
    }
    temporary_.clear();
    if (!failure.empty()) throw RunError(failure);
}

void Unit::Close() {
    if (fd_ < 0) return;
    try {
        Flush();
    } catch (...) {
        Release();
        throw;
    }
    Release();
}

// ---- Input ----

bool Unit::Fill() {
    if (eof_ || writing_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == bufferSize_) {
        // A record longer than the buffer: grow it, up to the longest record accepted.
        if (bufferSize_ > MaxRecordLength) {
            throw RunError(Place("read", records_ + 1) + ": record longer than " + std::to_string(MaxRecordLength) +
                           " characters");
        }
        const std::size_t size = bufferSize_ * 2;
        auto grown = std::make_unique<char[]>(size);
        std::memcpy(grown.get(), buffer_.get(), end_);
        buffer_ = std::move(grown);
        bufferSize_ = size;
    }
    for (;;) {
        const long long got = OsRead(fd_, buffer_.get() + end_, bufferSize_ - end_);
        if (got > 0) {
            end_ += static_cast<std::size_t>(got);
            fileOffset_ += got;
            return true;
        }
        if (got == 0) {
            eof_ = true;
            return false;
        }
        if (errno != EINTR) {
            const int error = errno;
            throw RunError(Place("read", records_ + 1) + ": " + std::strerror(error));
        }
    }
}

bool Unit::AtEnd() {
    if (fd_ < 0 || writing_) return true;
    if (begin_ < end_) return false;
    return !Fill();
}

std::string_view Unit::NextRecord(std::string_view layoutForMessages) {
    std::size_t scanned = begin_;
    for (;;) {
        const char* data = buffer_.get();
        if (!writing_ && fd_ >= 0) {
            const void* lf = std::memchr(data + scanned, '\n', end_ - scanned);
            std::size_t length = 0;
            bool found = false;
            if (lf != nullptr) {
                length = static_cast<std::size_t>(static_cast<const char*>(lf) - (data + begin_));
                found = true;
            } else if (eof_ && begin_ < end_) {
                length = end_ - begin_;  // a last line without its line end is still a record
                found = true;
            }
            if (found) {
                if (length > MaxRecordLength) {
                    throw RunError(Place("read", records_ + 1) + ": record longer than " +
                                   std::to_string(MaxRecordLength) + " characters");
                }
                std::string_view record(data + begin_, length);
                begin_ += lf != nullptr ? length + 1 : length;
                if (!record.empty() && record.back() == '\r') record.remove_suffix(1);
                ++records_;
                return record;
            }
            const std::size_t pending = end_ - begin_;
            const bool more = Fill();
            scanned = begin_ + pending;
            if (more || begin_ < end_) continue;  // at the end of the file the last line closes
        }
        throw RunError(Place("read", records_ + 1) + ": end of file (layout " + std::string(layoutForMessages) + ")");
    }
}

// ---- Output ----

void Unit::StartWriting() {
    if (fd_ < 0) throw RunError(Place("write", records_ + 1) + ": the unit is not open");
    // The first write cuts the file where the reading stopped (its beginning when nothing was read).
    const std::int64_t cutAt = fileOffset_ - static_cast<std::int64_t>(end_ - begin_);
    if (!writable_) {
        const int fd = OsOpen(name_.c_str(), WriteOnly);
        if (fd < 0) {
            const int error = errno;
            throw RunError(Place("write", records_ + 1) + ": " + std::strerror(error));
        }
        OsClose(fd_);
        fd_ = fd;
        writable_ = true;
    }
    // A file that already ends there is not cut: cutting an empty file changes nothing, and some
    // file systems then push every byte written to disk when the file is closed.
    bool placed = true;
    if (IsRegularFile(fd_)) placed = OsSize(fd_) == cutAt ? OsSeek(fd_, cutAt) : OsCutAt(fd_, cutAt);
    if (!placed) {
        const int error = errno;
        throw RunError(Place("write", records_ + 1) + ": " + std::strerror(error));
    }
    writing_ = true;
    begin_ = end_ = 0;
    fileOffset_ = cutAt;
}

void Unit::WriteOut(const char* data, std::size_t length, std::size_t kept) {
    fileOffset_ += static_cast<std::int64_t>(length);
    while (length > 0) {
        const long long put = OsWrite(fd_, data, length);
        if (put < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            // The record that failed is the first not wholly written: every record whose line end
            // lies at or after data is counted in records_ but did not reach the file.
            const auto* from = reinterpret_cast<const unsigned char*>(data);
            std::int64_t unwritten = 0;
            for (std::size_t i = 0; i < length + kept; ++i) unwritten += from[i] == '\n' ? 1 : 0;
            throw RunError(Place("write", records_ - unwritten + 1) + ": " + std::strerror(error));
        }
        data += put;
        length -= static_cast<std::size_t>(put);
    }
}

void Unit::Flush() {
    if (!writing_ || end_ == 0 || fd_ < 0) return;
    const std::size_t length = end_;
    end_ = 0;  // what could not be written is dropped, so a failing file reports once
    WriteOut(buffer_.get(), length, 0);
}

void Unit::MakeRoom(std::size_t n) {
    if (writing_ && fd_ >= 0 && end_ >= WriteChunk) {
        // The whole chunks go; the bytes past the last chunk's end move to the front.
        const auto offset = static_cast<std::size_t>(fileOffset_) % WriteChunk;
        const std::size_t whole = (offset + end_) / WriteChunk * WriteChunk - offset;
        const std::size_t rest = end_ - whole;
        end_ = 0;  // as in Flush
        WriteOut(buffer_.get(), whole, rest);
        std::memmove(buffer_.get(), buffer_.get() + whole, rest);
        end_ = rest;
        if (bufferSize_ - end_ >= n) return;
    }
    Flush();
    if (n > bufferSize_) {
        buffer_ = std::make_unique<char[]>(n);
        bufferSize_ = n;
    }
}

void Unit::EndOutputRecord() {
    char* p = Reserve(records_detail::LineEnd.size());
    std::memcpy(p, records_detail::LineEnd.data(), records_detail::LineEnd.size());
    Commit(records_detail::LineEnd.size());
    ++records_;
}

char* Unit::BeginRecord(std::size_t capacity) {
    BeginWriting();
    return Reserve(capacity + records_detail::LineEnd.size());
}

void Unit::EndRecord(std::size_t length) {
    Commit(length);
    EndOutputRecord();
}

bool FileExists(std::string_view name) {
    // A name with a NUL byte would be cut short by the host and name another file.
    return name.find('\0') == std::string_view::npos && Inspect(std::string(name)) == PathKind::Other;
}

}  // namespace tc
