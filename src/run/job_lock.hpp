#pragma once
// One run per job folder: an exclusive lock on the file thermocrack.lock in the job folder, taken
// before any output is created and given up when the run ends. The lock belongs to the process, so
// a run that is killed gives it up too; its lock file is removed by the next run's end.

#include <string>

namespace tc {

inline constexpr char JobLockFileName[] = "thermocrack.lock";

class JobLock {
public:
    JobLock() = default;
    ~JobLock() { Release(); }
    JobLock(const JobLock&) = delete;
    JobLock& operator=(const JobLock&) = delete;

    // Takes the lock of the job folder (a host folder name ending in its separator, or empty for
    // the current folder). Throws RunError naming the folder, and the process that holds the lock
    // where the host tells it, when another run has it; nothing in the folder is changed then.
    void Take(const std::string& folder);
    // Removes the lock file and gives up the lock; nothing when not held.
    void Release() noexcept;
    bool held() const { return held_; }
    // The lock file's name, while held (for the stop signals' handler to remove).
    const std::string& name() const { return name_; }

private:
    std::string name_;
    bool held_ = false;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace tc
