// thermocrack prepare DESCRIPTION.toml [--out JOB_FOLDER] [--force]: reads the description, meshes
// the section, places the bars, writes title.dat, NAME.inp, NAME.dat, heat.toml (and NAME-heat.dat
// when parts are only in the heat analysis) and derived.toml (how each value was taken), then runs
// the heat analysis to write NAME.tmp. All is written first into a folder beside the job folder and
// moved in only when complete, so an error leaves nothing behind.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "prepare/heat_error_in_description.hpp"
#include "prepare/prepare.hpp"
#include "records/run_error.hpp"

namespace tc::prepare {

namespace {

namespace fs = std::filesystem;

constexpr char UsageText[] = "usage: thermocrack prepare DESCRIPTION.toml [--out JOB_FOLDER] [--force]\n";

constexpr char HelpText[] = R"(
Writes a complete job folder from a short description of the section (see README, Preparing a
job): the parts of the section, the element size, the bar layers, the concrete, steel, cracking
and restraint parameters, and the heat analysis's surroundings, boundaries and output ages.

Writes, into JOB_FOLDER (default: the description's name without .toml, beside it)
  title.dat          the job name NAME
  NAME.inp           the input deck
  NAME.dat           the mesh of the young concrete
  NAME-heat.dat      the mesh of every part, when some parts are only in the heat analysis
  heat.toml          the heat analysis's settings
  derived.toml       how each value was taken: given, or derived (method, inputs, source)
  limits.toml        the limits the report checks, when the description has [limits]
  NAME.tmp           the node temperatures, from the heat analysis
Then 'thermocrack JOB_FOLDER' runs the cracking analysis.

Without output ages in the description ([output] left out, or holding only end, fine_step,
coarse_step, settle), they are chosen: hourly while the concrete heats and for a day after each
change of a surface, every 3 hours elsewhere, through the daily extremes of the air (README,
Output ages). thermocrack-converge shows whether a job's steps are fine enough.

Options
  --out JOB_FOLDER   where to write the job
  --force            replace a NAME.tmp that another program wrote
  --help             show this text and exit

Exit status
  0  the job folder is written
  2  an error: a message names the file, the line and the key at fault; nothing is written
)";

struct Arguments {
    bool help = false;
    bool force = false;
    std::string description;
    std::string out;
    std::string problem;
};

Arguments ParseArguments(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--help" || arg == "-h") {
            a.help = true;
        } else if (arg == "--force") {
            a.force = true;
        } else if (arg == "--out") {
            if (i + 1 >= argc) a.problem = "--out needs a folder";
            else a.out = argv[++i];
        } else if (arg.size() > 1 && arg.front() == '-') {
            a.problem = "unknown option '" + std::string(arg) + "'";
        } else if (!a.description.empty()) {
            a.problem = "more than one description ('" + a.description + "', '" + std::string(arg) + "')";
        } else {
            a.description = std::string(arg);
        }
    }
    if (!a.help && a.problem.empty() && a.description.empty()) a.problem = "no description given";
    return a;
}

void WriteText(const fs::path& path, const std::string& text) {
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (f == nullptr) throw RunError(path.string() + ": cannot be written");
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !ok) throw RunError(path.string() + ": cannot be written");
}

void Run(const Arguments& a) {
    const Description d = ReadDescription(a.description);
    const SectionMesh all = MeshSection(d);
    const SectionMesh young = d.heatRefine == 1 ? YoungConcreteMesh(d, all) : JobMesh(d);
    const std::vector<Bar> bars = PlaceBars(d);
    const bool heatOnly = all.mesh.NELX() != young.mesh.NELX();
    const std::string heatMesh = heatOnly ? d.name + "-heat.dat" : "";

    fs::path out = a.out;
    if (out.empty()) out = fs::path(a.description).replace_extension("");
    if (out.filename().empty()) out = out.parent_path();
    const std::string tmpName = d.name + ".tmp";
    if (!a.force && heat::IsForeignTemperatureFile((out / tmpName).string())) {
        throw RunError((out / tmpName).string() + " was not written by thermocrack heat; give --force to replace it");
    }
    std::error_code error;
    if (fs::exists(out, error) && !fs::is_directory(out, error)) throw RunError(out.string() + " is not a folder");

    // Everything goes to a folder beside the job folder first.
    const fs::path partial = out.string() + ".partial";
    fs::remove_all(partial, error);
    fs::create_directories(partial, error);
    if (error) throw RunError(partial.string() + ": cannot be made (" + error.message() + ")");
    try {
        WriteText(partial / "title.dat", d.name + "\n");
        WriteText(partial / (d.name + ".inp"), DeckText(d.deck, bars));
        WriteText(partial / (d.name + ".dat"), MeshText(young.mesh, static_cast<std::int32_t>(bars.size())));
        if (heatOnly) WriteText(partial / heatMesh, MeshText(all.mesh, 0));
        const std::string heatText = HeatSettingsText(d, all, heatMesh);
        WriteText(partial / "heat.toml", heatText);
        WriteText(partial / "derived.toml", DerivedText(d));
        if (d.limits.given) WriteText(partial / "limits.toml", LimitsText(d));
        try {
            heat::WriteJobTemperatures(partial.string() + "/", d.name);
        } catch (const RunError& e) {
            throw RunError(HeatErrorInDescription(e.what(), d, heatText, partial.string() + "/", heatMesh));
        }
        fs::create_directories(out);
        // A limits.toml of an earlier description that had [limits] would outlive it.
        if (!d.limits.given) fs::remove(out / "limits.toml", error);
        for (const fs::directory_entry& e : fs::directory_iterator(partial)) fs::rename(e.path(), out / e.path().filename());
        fs::remove(partial);
    } catch (...) {
        fs::remove_all(partial, error);
        throw;
    }
    std::printf("thermocrack prepare: wrote %s: %d nodes, %d elements, %zu bars", out.string().c_str(), young.mesh.NX(),
                young.mesh.NELX(), bars.size());
    if (heatOnly) std::printf(" (heat mesh %s: %d nodes, %d elements)", heatMesh.c_str(), all.mesh.NX(), all.mesh.NELX());
    std::printf("; temperatures at %zu ages", d.heat.outputAges.size());
    if (d.output.chosen) {
        std::printf(" (chosen: every %g days while the concrete heats and after each change of surface, else every %g)",
                    d.output.step, d.output.coarse);
    }
    std::printf("\n");
}

}  // namespace

int PrepareMain(int argc, char** argv) {
    const Arguments a = ParseArguments(argc, argv);
    return heat::RunCommand("prepare", UsageText, HelpText, a.help, a.problem, [&a] { Run(a); });
}

}  // namespace tc::prepare
