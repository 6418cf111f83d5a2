// CheckOutputPlace: what already has an output's name. A regular file or a link is replaced whole
// when the run ends; anything else, a read-only file, or an input under a second name, is refused.
#include <filesystem>
#include <string>
#include <system_error>

#include "run/run_outputs.hpp"

namespace tc {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void RefuseOutput(const OutputFile& output, const std::string& why) {
    throw RunError(ErrorHead(output.unit, output.name, "open") + ": " + why + "; this run changes nothing");
}

const char* KindName(fs::file_type type) {
    switch (type) {
        case fs::file_type::directory:
            return "a folder";
        case fs::file_type::fifo:
            return "a FIFO (named pipe)";
        case fs::file_type::block:
        case fs::file_type::character:
            return "a device";
        case fs::file_type::socket:
            return "a socket";
        default:
            return "something other than a file";
    }
}

}  // namespace

void CheckOutputPlace(const OutputFile& output, const std::vector<std::string>& inputs) {
    std::error_code error;
    const fs::file_status own = fs::symlink_status(output.name, error);
    if (error || own.type() == fs::file_type::not_found) return;
    if (own.type() != fs::file_type::regular && own.type() != fs::file_type::symlink) {
        RefuseOutput(output, std::string("the name is taken by ") + KindName(own.type()) + ", not a regular file");
    }
    for (const std::string& input : inputs) {
        std::error_code ignored;
        if (fs::equivalent(output.name, input, ignored)) {
            RefuseOutput(output, "this is the same file as the input " + input +
                                     (own.type() == fs::file_type::symlink ? " (through a link)" : " (a second name)"));
        }
    }
    constexpr fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (own.type() == fs::file_type::regular && (own.permissions() & writable) == fs::perms::none) {
        RefuseOutput(output, "the file is read-only (make it writable, or remove it, for the run to replace it)");
    }
}

}  // namespace tc
