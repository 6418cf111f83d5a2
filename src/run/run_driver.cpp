#include "run/run_driver.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "heat/heat.hpp"
#include "mesh/mesh.hpp"
#include "prepare/prepare.hpp"
#include "records/records.hpp"
#include "run/check_command.hpp"
#include "run/input_deck.hpp"
#include "run/job_files.hpp"
#include "run/job_input.hpp"
#include "run/mesh_listing.hpp"
#include "run/result_files.hpp"
#include "run/run_outputs.hpp"
#include "run/step_loop.hpp"
#include "run/stop_signals.hpp"

namespace tc {

namespace {

// Every table of a run, allocated once before the run starts.
struct RunTables {
    JobInput job;
    ElementGeometry geometry;
    float YTOP = 0.0f;
    float YBOT = 0.0f;
    StepTables steps;
};

constexpr char StopLine[] = "Stop - Program terminated.\n";

#ifndef THERMOCRACK_VERSION
#define THERMOCRACK_VERSION "unknown"
#endif

constexpr char UsageText[] =
    "usage: thermocrack [JOB_FOLDER]\n"
    "       thermocrack --quiet [JOB_FOLDER]\n"
    "       thermocrack check JOB_FOLDER\n"
    "       thermocrack heat JOB_FOLDER [--force]\n"
    "       thermocrack prepare DESCRIPTION.toml [--out JOB_FOLDER]\n"
    "       thermocrack --help | --version\n";

constexpr char HelpText[] = R"(
Works out early-age thermal cracking of a reinforced-concrete cross-section. From a section meshed
into four-node elements, its reinforcing bars and the node temperature history of a heat analysis,
it computes step by step the concrete's strength and stiffness by age, the thermal stresses with
external restraint, which elements crack, the cracked band, the crack openings at its edges and
the crack width at every bar. It takes no input from the console.

The job
  With JOB_FOLDER, the job is the one in that folder (a host folder name, used as it stands).
  Without it, the job folder is named by the path file c:\path.dat (below).
  The job folder holds title.dat, whose first word is the job name NAME (in apostrophes when
  it holds blanks). All other job files are NAME with an extension, in the job folder.

Reads
  NAME.inp   the input deck: listing extent, start switch, bar count, material values, bars
  NAME.dat   the mesh: nodes and elements
  NAME.tmp   the node temperature history, one block per moment
  w.dat      only when the input deck's start switch Iinit is not 0: the starting section
             state, from the current folder (not the job folder)

Writes (in the job folder)
  NAME.out   the listing: input echo and every step's tables
  NAME.hss   per step: the age and the stress of every bar
  NAME.hci   per step: the age and the crack index ft / stress of every element
  NAME.hwd   per step: the age, the opening u1 and the crack width at every bar
  NAME.hcr   per step: the age and the numbers of the cracked elements
  NAME.hdp   per step: the age and the height of the cracked band
  NAME.hst   per step: the age and the stress of every element
  NAME.sta   the status: how far the cracks reach through the section
  NAME.hcj   per step: the age and the crack index ft / stress of every element as judged,
             before the step's cracks redistribute the stresses

The temperature history
  thermocrack heat JOB_FOLDER works it out from the heat of hydration set in
  JOB_FOLDER/heat.toml and writes NAME.tmp; 'thermocrack heat --help' tells more.
  thermocrack prepare DESCRIPTION.toml writes a whole job folder, temperatures included,
  from a short description; 'thermocrack prepare --help' tells more.

The path file c:\path.dat
  Its first line names the job folder, e.g. c:\jobs\wall1. Anything after the first blank that
  follows the last backslash is ignored. A line with no backslash but with '/' names a host
  folder as it stands (/home/me/jobs/wall1).

Drive mapping (Linux and macOS; on Windows names are used as they stand)
  A name that starts with a drive letter and colon has that prefix replaced by the folder in the
  environment variable THERMOCRACK_DRIVE_<LETTER> (upper case, e.g. THERMOCRACK_DRIVE_C=/mnt/c),
  or by the current folder when that variable is not set, and every backslash becomes '/'.
  So c:\path.dat is ./path.dat by default, and c:\jobs\wall1 names ./jobs/wall1/.

Warnings
  Before a run, the job's input is checked for values that read without error but are surely
  not meant: a number without a decimal point whose implied decimals moved it out of range
  (Es written 200000 reads as 2.0: write 200000.), material values, restraint factors and the
  judge value outside their physical ranges, clockwise, concave or degenerate elements, unused
  or doubled nodes, bars outside the section or closer to a face than their radius, ages that
  do not increase, temperatures outside -30 to 95 C. Each warning goes to the error stream and
  names the file, record, columns and value; a warning never stops the run or changes its files.
  thermocrack check JOB_FOLDER   the warnings alone; exit status 0 with none, 1 with some

Options
  --quiet    no warnings before the run
  --help     show this text and exit
  --version  show the version and exit

Exit status
  0  normal end; the console shows "Stop - Program terminated."
  2  an error: a message on the console names the file, the record and the columns at fault;
     also for a wrong argument, a job folder that does not exist, or another run of the job
  128 + signal  stopped by SIGINT, SIGTERM or SIGHUP: the job's earlier results are kept
  Outputs are written as new files and replace the earlier ones, all together, when the run ends.
)";

// What the command line asks for.
struct CommandLine {
    enum class Action { Run, Check, Help, Version, Wrong };
    Action action = Action::Run;
    bool quiet = false;
    bool hasFolder = false;
    std::string folder;
    std::string problem;
};

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine line;
    bool optionsEnd = false;
    bool help = false;
    bool version = false;
    int first = 1;
    if (argc > 1 && std::string_view(argv[1]) == "check") {
        line.action = CommandLine::Action::Check;
        first = 2;
    }
    for (int i = first; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (!optionsEnd && arg == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && (arg == "--help" || arg == "-h")) {
            help = true;
        } else if (!optionsEnd && arg == "--version") {
            version = true;
        } else if (!optionsEnd && arg == "--quiet") {
            line.quiet = true;
        } else if (!optionsEnd && arg.size() > 1 && arg.front() == '-') {
            line.action = CommandLine::Action::Wrong;
            line.problem = "unknown option '" + std::string(arg) + "'";
            return line;
        } else if (line.hasFolder) {
            line.action = CommandLine::Action::Wrong;
            line.problem = "more than one job folder ('" + line.folder + "', '" + std::string(arg) + "')";
            return line;
        } else {
            line.hasFolder = true;
            line.folder = std::string(arg);
        }
    }
    if (line.action == CommandLine::Action::Check && !line.hasFolder && !help && !version) {
        line.action = CommandLine::Action::Wrong;
        line.problem = "check needs a job folder";
    } else if (help) {
        line.action = CommandLine::Action::Help;
    } else if (version) {
        line.action = CommandLine::Action::Version;
    }
    return line;
}

// A job folder named on the command line must exist before anything is opened in it.
bool CheckJobFolder(const std::string& folder) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (!std::filesystem::exists(status)) {
        std::fprintf(stderr, "error: job folder \"%s\" does not exist\n", folder.c_str());
        return false;
    }
    if (!std::filesystem::is_directory(status)) {
        std::fprintf(stderr, "error: job folder \"%s\" is not a folder\n", folder.c_str());
        return false;
    }
    return true;
}

void Run(UnitTable& units, RunOutputs& outputs, RunTables& r, const CommandLine& line,
         std::unique_ptr<check::TemperatureWatch>& watch) {
    std::string jobFolder;
    std::string jobName;
    if (line.hasFolder) {
        OpenJobInFolder(units, outputs, line.folder, jobName);
    } else {
        OpenJob(units, outputs, jobFolder, jobName);
    }
    if (!line.quiet) {
        WarnAboutJob(units);
        watch = std::make_unique<check::TemperatureWatch>(units[unit::Temperature].name());
    }
    ReadInputDeck(units[unit::Deck], units[unit::Mesh], units[unit::List], r.job);
    const SectionHeights heights =
        ComputeElementGeometry(r.job.nodes.X, r.job.nodes.Y, r.job.elements, r.job.NX, r.job.NELX, r.geometry);
    r.YTOP = heights.YTOP;
    r.YBOT = heights.YBOT;
    if (r.job.IECHO >= 1) WriteElementGeometry(units[unit::List], r.job.NELX, r.geometry);
    RunStepLoop(units, r.job, r.geometry, r.YTOP, r.YBOT, r.steps, watch.get());
    const StepState& last = r.steps.step;
    WriteRunStatus(units[unit::Status], RunStatus(r.YTOP, r.YBOT, last.band.hmax, last.band.hmin, last.CrackedCount));
    for (std::int32_t n = 0; n <= MaxUnit; ++n) {
        if (units.IsOpen(n)) units[n].Flush();
    }
    outputs.PutInPlace(units);
}

// The refusal also goes to the list file when it is open, so the listing says why it stops; then
// the outputs, as far as they were written, take the place of the earlier ones.
void ReportError(UnitTable& units, RunOutputs& outputs, const std::string& message) {
    std::fprintf(stderr, "error: %s\n", message.c_str());
    if (units.IsOpen(unit::List)) {
        try {
            Write(units[unit::List], "(' error: ',A)", std::string_view(message));
        } catch (...) {
        }
    }
    units.FlushAll();
    try {
        outputs.PutInPlace(units);
    } catch (const RunError& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
    }
}

}  // namespace

int RunMain(int argc, char** argv) {
    // "thermocrack heat ..." is the heat analysis, a command of its own.
    if (argc > 1 && std::string_view(argv[1]) == "heat") return heat::HeatMain(argc - 1, argv + 1);
    if (argc > 1 && std::string_view(argv[1]) == "prepare") return prepare::PrepareMain(argc - 1, argv + 1);
    const CommandLine line = ParseCommandLine(argc, argv);
    switch (line.action) {
        case CommandLine::Action::Wrong:
            std::fprintf(stderr, "thermocrack: %s\n%sTry 'thermocrack --help' for more.\n", line.problem.c_str(),
                         UsageText);
            return 2;
        case CommandLine::Action::Help:
            std::fputs(UsageText, stdout);
            std::fputs(HelpText, stdout);
            std::fflush(stdout);
            return 0;
        case CommandLine::Action::Version:
            std::fputs("thermocrack " THERMOCRACK_VERSION "\n", stdout);
            std::fflush(stdout);
            return 0;
        case CommandLine::Action::Check:
            return CheckJobFolder(line.folder) ? RunCheckCommand(line.folder) : 2;
        case CommandLine::Action::Run:
            break;
    }
    if (line.hasFolder && !CheckJobFolder(line.folder)) return 2;

    {
        // Declared in this order, the units go (removing new files not put in place) before the
        // lock, and both before the stop signals are let through again.
        StopSignals stopSignals;
        RunOutputs outputs(&stopSignals);
        UnitTable units;
        std::unique_ptr<check::TemperatureWatch> watch;
        try {
            auto tables = std::make_unique<RunTables>();
            Run(units, outputs, *tables, line, watch);
            WarnAboutTemperatures(watch.get());
        } catch (const RunError& e) {
            WarnAboutTemperatures(watch.get());
            ReportError(units, outputs, e.what());
            return 2;
        } catch (const std::exception& e) {
            NoteUnexpectedFailure();
            WarnAboutTemperatures(watch.get());
            ReportError(units, outputs, std::string("unexpected failure: ") + e.what());
            return 2;
        }
    }
    // The results are in place; a stop line that cannot be written is still an error.
    if (std::fputs(StopLine, stdout) < 0 || std::fflush(stdout) != 0) {
        const int error = errno;
        std::fprintf(stderr, "error: standard output, write of the stop line: %s\n", std::strerror(error));
        return 2;
    }
    return 0;
}

}  // namespace tc
