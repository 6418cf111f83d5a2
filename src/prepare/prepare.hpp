#pragma once
// From a short TOML description of a section to a complete job folder: the section meshed into
// four-node elements, the bars placed by layers, the deck's parameters chosen, heat.toml written and
// the heat analysis run. Lengths in mm, ages in days, temperatures in C, stresses in N/mm2.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "heat/heat.hpp"
#include "prepare/derive.hpp"

namespace tc::prepare {

// One part of the section: an axis-aligned rectangle, or a trapezoid with horizontal top and bottom.
struct Part {
    std::string name;
    bool trapezoid = false;
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;  // rectangle; y0, y1 also of the trapezoid
    double bottom0 = 0, bottom1 = 0, top0 = 0, top1 = 0;  // trapezoid: x range of its bottom and top edges
    bool young = true;          // young concrete of the cracking analysis; else only in the heat analysis
    heat::Material material;    // heat-only part: its thermal properties (heat false unless said)
    double cast = 0.0;          // heat-only part: the young concrete's age (days) at which it is cast
    std::int32_t line = 0;
};

// A layer of bars: along a face of the young concrete at a cover, or along the line x = / y =.
struct BarLayer {
    enum class Where { Left, Right, Bottom, Top, LineX, LineY };
    Where where = Where::Left;
    double value = 0.0;       // the line's coordinate
    double cover = 0.0;       // to the bar's centre (surface covers already have the radius added)
    double diameter = 0.0;
    double area = 0.0;        // pi d^2 / 4, or the nominal area given
    double spacing = 0.0;     // 0: count given
    std::int32_t count = 0;
    bool ranged = false;
    double low = 0.0, high = 0.0;
    std::int32_t line = 0;
    std::string key = "bars";  // the description's table, for messages
};

// The deck's parameters (fixed-column input deck records 1 and 3 to 6).
struct DeckParameters {
    std::int32_t listing = 1;  // IECHO
    double strength = 0, a = 0, b = 0, tensileFactor = 0, modulusFactor = 0, expansion = 0;
    double lcb = 0, lcu = 0, lsb = 0, lsu = 0;
    double steelModulus = 0, judge = 0;
    double rn = 0, rm1 = 0, rm2 = 0;
};

// Output ages the program chooses when the description lists none (days): a clock grid of step,
// every grid age while the concrete heats and for settle days after each change of a surface,
// else every coarse days; both grids through the daily extremes of the air.
struct OutputChoice {
    bool chosen = false;
    double end = 28.0;
    double step = 0.0;
    double coarse = 0.0;
    double settle = 0.0;
};

// The defaults of OutputChoice (days); README gives the measurements behind them.
inline constexpr double DefaultFineStep = 1.0 / 24.0;
inline constexpr double DefaultCoarseStep = 0.125;
inline constexpr double DefaultSettle = 1.0;

// The limits the report checks, when the description's [limits] gives them.
struct Limits {
    bool given = false;
    std::optional<double> maxTemperature;  // C
    std::optional<double> maxDifference;   // C
    std::optional<double> allowableWidth;  // mm
    std::string exposure;                  // a class of data/exposure_*.toml
};

// A row of a sourced table of allowable crack widths by exposure class.
struct ExposureClass {
    std::string name;
    double width = 0.0;  // mm
    std::string source;
};

struct Description {
    std::string file;
    std::string name;                 // job name
    std::vector<Part> parts;
    double sizeX = 0, sizeY = 0;      // target element size
    std::int32_t sizeLine = 0;
    std::int32_t heatRefine = 1;      // the heat mesh cuts each element of the job's grid into this many per side
    double growth = 1.0;              // heat-only parts' elements grow by this factor away from the young concrete
    std::vector<BarLayer> bars;
    DeckParameters deck;
    heat::HeatSettings heat;          // concrete, ambient, boundaries and output ages (no mesh, no regions)
    double yieldStrength = 0;         // f_yk of the bars, N/mm2 (given or the table's default)
    std::vector<Derivation> derivations;  // how each group of values was taken, for derived.toml
    std::vector<LayerFacts> layers;   // the face layers, for the steel checks
    OutputChoice output;              // how the output ages were chosen when none are listed
    Limits limits;
};

// A mesh with its elements' parts; nodes numbered row by row from the bottom, elements likewise.
struct SectionMesh {
    heat::HeatMesh mesh;
    std::vector<std::int32_t> part;   // per element
};

struct Bar {
    double x = 0, y = 0, area = 0;
};

// Reads and checks the description; throws RunError naming the file, line and key.
Description ReadDescription(const std::string& path);
Description ParseDescription(const std::string& text, const std::string& name);

// The facts of every face layer of bars (spacing, covers, the depth square to the face).
std::vector<LayerFacts> FaceLayers(const Description& d);
// derived.toml: every derived value with its method, inputs and source, and the given ones as given.
std::string DerivedText(const Description& d);

// The strength development of a named cement: fc(t) = fc28 t / (a + b t).
struct CementPreset {
    const char* name;
    double a, b;
};
const std::vector<CementPreset>& CementPresets();

// Meshes every part (the heat mesh); refuses parts that overlap, touch only at corners or not at all,
// and meshes over the capacity (naming the smallest target size that fits).
SectionMesh MeshSection(const Description& d);
// The young concrete's elements alone, with the same coordinates, renumbered row by row.
SectionMesh YoungConcreteMesh(const Description& d, const SectionMesh& all);
// The job's mesh: the young concrete on the job's grid (the heat mesh may refine it).
SectionMesh JobMesh(const Description& d);
// Node and element counts of the heat mesh and the job mesh for target sizes sx, sy.
std::array<std::int32_t, 4> MeshCounts(const Description& d, double sx, double sy);

// The bars of every layer, ordered row by row; refuses bars outside the young concrete.
std::vector<Bar> PlaceBars(const Description& d);
// The points of one layer along its face or line, in its order (unchecked).
std::vector<Bar> LayerPoints(const Description& d, const BarLayer& b);

// The output ages of a description that lists none (see OutputChoice).
std::vector<double> ChooseOutputAges(const heat::HeatSettings& h, const OutputChoice& c);

// Every exposure class of the data tables (data/exposure_*.toml).
std::vector<ExposureClass> ExposureClasses();

// The files' text.
std::string DeckText(const DeckParameters& p, const std::vector<Bar>& bars);
std::string MeshText(const heat::HeatMesh& mesh, std::int32_t bars);
std::string HeatSettingsText(const Description& d, const SectionMesh& all, const std::string& meshName);
// limits.toml of the job: the limits the description gives, for the report.
std::string LimitsText(const Description& d);

// thermocrack prepare DESCRIPTION.toml [--out JOB_FOLDER] [--force]: argv[0] is "prepare".
int PrepareMain(int argc, char** argv);

inline constexpr std::int32_t MaxNodes = 700;
inline constexpr std::int32_t MaxElements = 700;
inline constexpr std::int32_t MaxBars = 200;
// The heat mesh's counts: the mesh file's header holds NX and NELX in five columns.
inline constexpr std::int32_t MaxHeatNodes = 99999;
inline constexpr std::int32_t MaxHeatElements = 99999;

}  // namespace tc::prepare
