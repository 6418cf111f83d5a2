// The job's files: the job folder from the path file, the job name from the title file, and the
// twelve job files opened on their fixed units.

#include "run/job_files.hpp"

#include <array>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "run/job_input.hpp"
#include "run/run_outputs.hpp"

namespace tc {

namespace {

// The path file's folder text notes at most this many separators and blanks.
constexpr std::int32_t MaxSeparators = 50;
constexpr std::int32_t MaxBlanksBeforeEnd = 49;

[[noreturn]] void RefusePathLine(std::string_view pathFileName, const std::string& why) {
    throw RunError(ErrorHead(unit::Path, pathFileName, "read", 1) + ": " + why + ", so it names no job folder");
}

}  // namespace

std::string DeriveJobFolder(const PathLine& line, std::string_view pathFileName) {
    // A line with no backslash but with a '/' is a host path: the same rules, with '/' as separator.
    char separator = '\\';
    std::int32_t B = 0;
    for (std::int32_t c = 1; c <= PathLineLength; ++c) {
        if (line(c) == '\\') B = c;
    }
    if (B == 0) {
        separator = '/';
        for (std::int32_t c = 1; c <= PathLineLength; ++c) {
            if (line(c) == '/') B = c;
        }
    }
    if (B == 0) RefusePathLine(pathFileName, "the line holds no backslash (and no '/')");

    std::int32_t E = 0;
    for (std::int32_t c = B; c <= PathLineLength; ++c) {
        if (line(c) == ' ') {
            E = c;
            break;
        }
    }
    const std::string what = separator == '\\' ? "backslash" : "'/'";
    if (E == 0) {
        RefusePathLine(pathFileName, "no blank follows the last " + what + " (column " + std::to_string(B) +
                                         ") up to column " + std::to_string(PathLineLength));
    }

    std::int32_t separators = 0;
    std::int32_t blanks = 0;
    for (std::int32_t c = 1; c < E; ++c) {
        if (line(c) == separator) ++separators;
        if (line(c) == ' ') ++blanks;
    }
    if (separators > MaxSeparators) {
        RefusePathLine(pathFileName, "the line holds " + std::to_string(separators) + " path separators (" + what +
                                         "), more than " + std::to_string(MaxSeparators));
    }
    if (blanks > MaxBlanksBeforeEnd) {
        RefusePathLine(pathFileName, "the folder text holds " + std::to_string(blanks) + " blanks, more than " +
                                         std::to_string(MaxBlanksBeforeEnd));
    }

    std::string folder(line.data(), static_cast<std::size_t>(E - 1));
    folder += separator;
    return folder;
}

std::string HostFileName(std::string_view name) {
#ifdef _WIN32
    return std::string(name);
#else
    std::string host;
    if (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) != 0 && name[1] == ':') {
        // The drive's root folder: THERMOCRACK_DRIVE_<LETTER> when set, else the current folder.
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        const std::string variable = std::string("THERMOCRACK_DRIVE_") + letter;
        const char* root = std::getenv(variable.c_str());
        host = (root != nullptr && *root != '\0') ? root : ".";
        while (host.size() > 0 && host.back() == '/') host.pop_back();
        name.remove_prefix(2);
        // "c:name" is relative to the drive's root here: keep a separator between root and name.
        if (name.empty() || (name.front() != '\\' && name.front() != '/')) host += '/';
    }
    host += name;
    for (char& c : host) {
        if (c == '\\') c = '/';
    }
    return host;
#endif
}

namespace {

// Opens the twelve job files; a name is the folder, the job name and the extension joined, turned
// into a host name by HostFileName when mapNames is set. The inputs come first, so that a missing
// input stops the run before anything is created; the outputs then through outputs, which locks the
// folder and checks their places first.
void OpenNamedJobFiles(UnitTable& units, RunOutputs& outputs, std::string_view jobFolder, std::string_view jobName,
                       bool mapNames) {
    while (!jobName.empty() && jobName.back() == ' ') jobName.remove_suffix(1);
    struct JobFile {
        std::int32_t unit;
        const char* extension;
    };
    static constexpr std::array<JobFile, 3> inputs = {{
        {unit::Deck, ".inp"},
        {unit::Mesh, ".dat"},
        {unit::Temperature, ".tmp"},
    }};
    static constexpr std::array<JobFile, 9> results = {{
        {unit::List, ".out"},
        {unit::BarStress, ".hss"},
        {unit::CrackIndex, ".hci"},
        {unit::CrackWidth, ".hwd"},
        {unit::CrackedList, ".hcr"},
        {unit::ZoneDepth, ".hdp"},
        {unit::ConcreteStress, ".hst"},
        {unit::Status, ".sta"},
        {unit::JudgementIndex, ".hcj"},
    }};
    const auto nameOf = [&](const char* extension) {
        std::string name(jobFolder);
        name += jobName;
        name += extension;
        return mapNames ? HostFileName(name) : name;
    };
    for (const JobFile& file : inputs) units.Open(file.unit, nameOf(file.extension), OpenStatus::Old);
    std::vector<OutputFile> files;
    for (const JobFile& file : results) files.push_back({file.unit, nameOf(file.extension)});
    outputs.Open(units, mapNames ? HostFileName(jobFolder) : std::string(jobFolder), files);
}

// The job name: the first free-form value of the title file, without trailing blanks; refused when
// it would name files outside the job folder.
std::string ReadJobName(Unit& title) {
    Text<80> JobName;
    ReadFree(title, JobName);
    std::string name(JobName.Trimmed());
    CheckJobName(title, name);
    return name;
}

}  // namespace

void OpenJobFiles(UnitTable& units, RunOutputs& outputs, std::string_view jobFolder, std::string_view jobName) {
    OpenNamedJobFiles(units, outputs, jobFolder, jobName, true);
}

void OpenJob(UnitTable& units, RunOutputs& outputs, std::string& jobFolder, std::string& jobName) {
    Unit& path = units.Open(unit::Path, HostFileName("c:\\path.dat"), OpenStatus::Old);
    if (path.AtEnd()) {
        throw RunError(path.Place("read", 1) + ": the path file holds no record, so it names no job folder");
    }
    PathLine line;
    Read(path, "(200A1)", Entries(line, 1, PathLineLength));
    jobFolder = DeriveJobFolder(line, path.name());

    Unit& title = units.Open(unit::Title, HostFileName(jobFolder + "title.dat"), OpenStatus::Old);
    jobName = ReadJobName(title);

    OpenJobFiles(units, outputs, jobFolder, jobName);
}

void OpenJobInFolder(UnitTable& units, RunOutputs& outputs, std::string_view hostFolder, std::string& jobName) {
    std::string folder(hostFolder);
    bool separated = !folder.empty() && folder.back() == '/';
#ifdef _WIN32
    separated = separated || (!folder.empty() && folder.back() == '\\');
#endif
    if (!folder.empty() && !separated) folder += '/';
    Unit& title = units.Open(unit::Title, folder + "title.dat", OpenStatus::Old);
    jobName = ReadJobName(title);
    OpenNamedJobFiles(units, outputs, folder, jobName, false);
}

}  // namespace tc
