// thermocrack heat JOB_FOLDER [--force]: reads JOB_FOLDER/heat.toml and the job's mesh (or the mesh
// heat.toml names), runs the heat analysis and writes the job's temperature file NAME.tmp. Every
// input is checked before the file is touched; a temperature file without this program's mark is
// replaced only with --force.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "heat/heat.hpp"
#include "records/records.hpp"

namespace tc::heat {

namespace {

constexpr char UsageText[] = "usage: thermocrack heat JOB_FOLDER [--force]\n";

constexpr char HelpText[] = R"(
Works out the section's temperature history from the heat of hydration and writes it as the
job's temperature file, which the cracking run (thermocrack JOB_FOLDER) then reads.

Reads
  JOB_FOLDER/heat.toml   concrete, surroundings, boundary edges, regions, cooling pipes and
                         output ages
                         (lengths in mm, ages in days, temperatures in C; see README)
  JOB_FOLDER/title.dat   the job name NAME
  JOB_FOLDER/NAME.dat    the job's mesh; the heat analysis runs on it, or on the mesh that
                         heat.toml names (mesh = "..."), whose nodes must include the job's
  the weather file       named by heat.toml's [site] weather (relative to heat.toml): CSV
                         records time,temperature,wind,solar[,cloud] (see README)

Writes
  JOB_FOLDER/NAME.tmp    one block per output age: the temperature of every node of the job's
                         mesh. It is written beside the old file and renamed over it when
                         complete. A NAME.tmp that this command did not write is kept unless
                         --force is given.
  JOB_FOLDER/NAME-hydration.csv
                         per output age: the young concrete's hottest node (C), its equivalent
                         age (days at the reference temperature) and degree of hydration, the
                         mean degree of hydration, and what an adiabatic test from the placing
                         temperature would show (C)

A heat source given as hydration parameters or as a mix prints its parameters and the adiabatic
rise they imply at 1, 3, 7 and 28 days, so that a wrong input shows at once; each cooling pipe
prints its Reynolds number, film coefficient and resistance per metre.

Options
  --force    replace a NAME.tmp that another program wrote
  --help     show this text and exit

Exit status
  0  the temperature file is written
  2  an error: a message names the file, the line and the key (or the record) at fault;
     nothing is written
)";

struct Arguments {
    bool help = false;
    bool force = false;
    std::string folder;
    std::string problem;
};

Arguments ParseArguments(int argc, char** argv) {
    Arguments a;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (!optionsEnd && arg == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && (arg == "--help" || arg == "-h")) {
            a.help = true;
        } else if (!optionsEnd && arg == "--force") {
            a.force = true;
        } else if (!optionsEnd && arg.size() > 1 && arg.front() == '-') {
            a.problem = "unknown option '" + std::string(arg) + "'";
        } else if (!a.folder.empty()) {
            a.problem = "more than one job folder ('" + a.folder + "', '" + std::string(arg) + "')";
        } else {
            a.folder = std::string(arg);
        }
    }
    if (!a.help && a.problem.empty() && a.folder.empty()) a.problem = "no job folder given";
    return a;
}

std::string ReadJobName(const std::string& folder) {
    UnitTable units;
    Unit& title = units.Open(31, folder + "title.dat", OpenStatus::Old);
    Text<80> name;
    ReadFree(title, name);
    return std::string(name.Trimmed());
}

void Run(const Arguments& a) {
    std::string folder = a.folder;
    if (folder.back() != '/') folder += '/';
    const std::string jobName = ReadJobName(folder);
    const std::string tmp = folder + jobName + ".tmp";
    const JobTemperatures done = WriteJobTemperatures(folder, jobName, [&] {
        if (!a.force && IsForeignTemperatureFile(tmp)) {
            throw RunError(tmp + " was not written by thermocrack heat (its first record lacks the mark \"" +
                           std::string(TemperatureMark) + "\" in columns 11-26); give --force to replace it");
        }
    });
    std::printf("thermocrack heat: wrote %s: %d blocks from age %g to %g days; hottest node %.1f C at %g days\n",
                tmp.c_str(), done.blocks, done.firstAge, done.lastAge, done.hottest, done.hottestAge);
}

}  // namespace

int HeatMain(int argc, char** argv) {
    const Arguments a = ParseArguments(argc, argv);
    return RunCommand("heat", UsageText, HelpText, a.help, a.problem, [&a] {
        std::error_code error;
        if (!std::filesystem::is_directory(a.folder, error)) {
            throw RunError("job folder \"" + a.folder + "\" does not exist or is not a folder");
        }
        Run(a);
    });
}

}  // namespace tc::heat
