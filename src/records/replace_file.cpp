// The host's calls for whole-file replacement: an exclusive create, a rename over the old file and
// a removal, each with its Windows form.
#include "records/replace_file.hpp"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace tc::records_detail {

#ifdef _WIN32
int CreateNewFile(const std::string& name) {
    return _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

bool PutFileInPlace(const std::string& from, const std::string& to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) return true;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return false;
}

void RemoveFileQuietly(const std::string& name) noexcept { _unlink(name.c_str()); }
#else
int CreateNewFile(const std::string& name) {
    // O_EXCL fails on any existing name, a dangling link included, so no link is ever followed.
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool PutFileInPlace(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

void RemoveFileQuietly(const std::string& name) noexcept { ::unlink(name.c_str()); }
#endif

}  // namespace tc::records_detail
