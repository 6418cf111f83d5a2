// JobLock: the job folder's lock file. On POSIX hosts a record lock (fcntl) on the whole file, which
// tells the holder's process id to a run that finds it taken; on Windows LockFileEx on a byte far
// past the file's end, the holder's process id being written at its start.
#include "run/job_lock.hpp"

#include <cerrno>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "records/run_error.hpp"

namespace tc {
namespace {

[[noreturn]] void RefuseRun(const std::string& folder, const std::string& lockName, const std::string& holder) {
    throw RunError("job folder " + (folder.empty() ? std::string(".") : folder) + ": another run of this job is going on" +
                   (holder.empty() ? std::string() : " (process " + holder + ")") + ", holding " + lockName +
                   "; this run changes nothing");
}

[[noreturn]] void CannotLock(const std::string& folder, const std::string& lockName, const std::string& why) {
    throw RunError("job folder " + (folder.empty() ? std::string(".") : folder) + ": cannot take the lock " + lockName +
                   ": " + why);
}

// The process id written at the start of a lock file, digits only; empty when there is none.
std::string DigitsOf(const char* text, std::size_t length) {
    std::string digits;
    for (std::size_t i = 0; i < length && text[i] >= '0' && text[i] <= '9'; ++i) digits += text[i];
    return digits;
}

}  // namespace

#ifdef _WIN32

void JobLock::Take(const std::string& folder) {
    const std::string name = folder + JobLockFileName;
    // Removed by the host when the last handle goes, so even a killed run leaves none behind.
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_ACCESS_DENIED) RefuseRun(folder, name, "");
        CannotLock(folder, name, "error " + std::to_string(GetLastError()));
    }
    OVERLAPPED at{};
    at.OffsetHigh = 1;  // the byte at 4 GiB: the process id at the start stays readable
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) == 0) {
        char text[32] = {};
        DWORD got = 0;
        ReadFile(handle, text, sizeof text - 1, &got, nullptr);
        CloseHandle(handle);
        RefuseRun(folder, name, DigitsOf(text, got));
    }
    const std::string pid = std::to_string(GetCurrentProcessId()) + "\r\n";
    DWORD put = 0;
    SetEndOfFile(handle);
    WriteFile(handle, pid.data(), static_cast<DWORD>(pid.size()), &put, nullptr);
    handle_ = handle;
    name_ = name;
    held_ = true;
}

void JobLock::Release() noexcept {
    if (!held_) return;
    CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    held_ = false;
}

#else

void JobLock::Take(const std::string& folder) {
    const std::string name = folder + JobLockFileName;
    // A run that ends removes its lock file while holding it: a run that opened the file just
    // before finds it gone once locked, and starts again on the new one.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int error = errno;
            CannotLock(folder, name, std::strerror(error));
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            CannotLock(folder, name, "not a regular file");
        }
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        if (::fcntl(fd, F_SETLK, &whole) != 0) {
            const int error = errno;
            if (error != EACCES && error != EAGAIN) {
                ::close(fd);
                CannotLock(folder, name, std::strerror(error));
            }
            std::string holder;
            struct flock probe {};
            probe.l_type = F_WRLCK;
            probe.l_whence = SEEK_SET;
            if (::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK && probe.l_pid > 0) {
                holder = std::to_string(probe.l_pid);
            } else {
                char text[32];
                const ssize_t got = ::pread(fd, text, sizeof text, 0);
                holder = DigitsOf(text, got > 0 ? static_cast<std::size_t>(got) : 0);
            }
            ::close(fd);
            RefuseRun(folder, name, holder);
        }
        struct stat named {};
        if (::stat(name.c_str(), &named) != 0 || named.st_ino != opened.st_ino || named.st_dev != opened.st_dev) {
            ::close(fd);
            continue;
        }
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
            // The process id is a courtesy to other runs: the lock holds without it.
        }
        fd_ = fd;
        name_ = name;
        held_ = true;
        return;
    }
    CannotLock(folder, name, "it keeps being replaced by other runs");
}

void JobLock::Release() noexcept {
    if (!held_) return;
    ::unlink(name_.c_str());
    ::close(fd_);
    fd_ = -1;
    held_ = false;
}

#endif

}  // namespace tc
