// CheckJobName: a job name is the first part of every job file's name in the job folder, so it may
// hold nothing that leads out of the folder or that the host would not take as part of a name.
#include <cstdio>
#include <string>

#include "run/run_outputs.hpp"

namespace tc {
namespace {

std::string Shown(std::string_view name) {
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace

void CheckJobName(const Unit& title, std::string_view jobName) {
    std::string what;
    for (const char c : jobName) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            what = "a control character";
        } else if (c == '/' || c == '\\') {
            what = std::string("'") + c + "', a folder separator";
        } else if (c == ':') {
            what = "':', a drive prefix";
        }
        if (!what.empty()) break;
    }
    if (what.empty() && jobName.find("..") != std::string_view::npos) what = "\"..\", the folder above";
    if (what.empty()) return;
    throw RunError(title.Place("read", title.records()) + ": the job name \"" + Shown(jobName) + "\" holds " + what +
                   "; the job's files must be named inside the job folder");
}

}  // namespace tc
