#pragma once
// Heat of hydration: the section's temperature history from the cement's heat, the placing
// temperature, the weather and the formwork, written as the job's temperature file.
//
//   rho c dT/dt = div(k grad T) + q,   q = rho c dT_ad/dt,   T_ad(t) = K (1 - exp(-alpha (t - t0)^beta))
//   -k dT/dn = h (T - T_amb(t)) on convective edges; T = T_fix(t) on fixed edges; insulated elsewhere.
//
// Lengths of the mesh in mm, ages in days, temperatures in C; the computation itself runs in m and s.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tc::heat {

// A function of the concrete age t (days): a constant, a table linear between its points and
// constant beyond them, or mean + amplitude cos(2 pi (t - peak)).
struct AgeCurve {
    enum class Form { Constant, Table, Daily };
    Form form = Form::Constant;
    double value = 0.0;
    std::vector<double> ages;    // Table
    std::vector<double> values;  // Table
    double mean = 0.0, amplitude = 0.0, peak = 0.0;  // Daily
    double At(double t) const;
};

// A heat transfer coefficient (W/(m2 K)) that holds from each listed age on; before the first
// listed age the edges are insulated. A constant is one step from age 0.
struct StepCurve {
    std::vector<double> from;
    std::vector<double> values;
    double At(double t) const;
    // Index of the step that holds at t (-1 before the first).
    std::int32_t Phase(double t) const;
};

// T_ad(t) = K (1 - exp(-alpha (t - t0)^beta)) for t > t0, else 0 (C; t in days).
struct AdiabaticRise {
    double K = 0.0, alpha = 0.0, beta = 1.0, t0 = 0.0;
    double At(double t) const;
};

// alpha(t_e) = alpha_u exp(-(tau / t_e)^beta), t_e the equivalent age in hours; the heat released
// per m3 of concrete is Hu * cementitious * alpha.
struct HydrationParameters {
    double Hu = 0.0;            // J per kg of cementitious material
    double cementitious = 0.0;  // kg/m3
    double alphaU = 0.0;        // ultimate degree of hydration
    double tau = 0.0;           // h
    double beta = 0.0;
    double Degree(double equivalentHours) const;
};

// A cement's composition by mass (shares of 1) and its Blaine fineness (m2/kg).
struct CementComposition {
    double C3S = 0.0, C2S = 0.0, C3A = 0.0, C4AF = 0.0, SO3 = 0.0, freeCaO = 0.0, MgO = 0.0, blaine = 0.0;
};

// A mix by its contents per m3 of concrete (kg/m3); fly ash with the CaO share of its mass.
struct MixDesign {
    double cement = 0.0;
    std::string cementType;        // a named preset, or empty when the composition is given
    CementComposition composition;
    double flyAsh = 0.0, flyAshCaO = 0.0, slag = 0.0, silicaFume = 0.0, water = 0.0;
    double Cementitious() const { return cement + flyAsh + slag + silicaFume; }
};

// Where a material's heat of hydration comes from: an adiabatic curve on the concrete age (with an
// activation energy, on the equivalent age, the curve's own clock converted along the test's
// temperature history), the exponential degree of hydration given, or the same derived from the mix.
// On the equivalent age t_e = sum exp((E/R)(1/T_r - 1/T)) dt (T in kelvin).
struct HeatRelease {
    enum class Form { AdiabaticRise, Hydration, Mix };
    Form form = Form::AdiabaticRise;
    AdiabaticRise rise;
    HydrationParameters hydration;    // given, or derived from the mix
    MixDesign mix;
    bool equivalentAge = false;       // released on the equivalent age
    double activationEnergy = 0.0;    // J/mol
    double referenceTemperature = 20.0;    // C
    double testPlacingTemperature = 20.0;  // C: the adiabatic test's start
};

struct Material {
    double conductivity = 0.0;   // W/(m K)
    double density = 0.0;        // kg/m3
    double specificHeat = 0.0;   // J/(kg K)
    double initialTemperature = 0.0;  // C at age 0
    bool heat = true;            // releases heat of hydration
    HeatRelease release;
};

// Which boundary edges an entry takes: a side of the bounding box, or the line x = value / y = value,
// optionally only within [low, high] of the other coordinate.
struct EdgeSelector {
    enum class Kind { Top, Bottom, Left, Right, LineX, LineY };
    Kind kind = Kind::Top;
    double value = 0.0;
    bool ranged = false;
    double low = 0.0, high = 0.0;
};

// A stage of what covers a face, from its age on: layers of total resistance sum t / k over the face,
// or a bare face (resistance 0); the outer surface's absorptivity and emissivity.
struct CoverStage {
    double from = 0.0;          // days
    double resistance = 0.0;    // m2 K/W
    double absorptivity = 0.0;  // of the sun's short-wave radiation
    double emissivity = 0.0;    // long-wave
};

// A face exposed to the weather through its cover (instead of a given h): convection from the wind,
// h_c = a + b v; long-wave exchange with the sky (share sky of its view) and with surroundings at the
// air's temperature (the rest); the share sun of the global horizontal radiation on it.
struct Cover {
    bool given = false;
    std::string exposure;  // of the wind correlation: "windward" or "leeward"
    std::vector<CoverStage> stages;
    double windA = 0.0, windB = 0.0;  // W/(m2 K), W s/(m3 K)
    double sun = 0.0, sky = 1.0;
};

struct BoundaryEntry {
    EdgeSelector where;
    Cover cover;          // when given, h holds the stages' ages (its values unused)
    bool fixed = false;
    StepCurve h;          // convection
    bool ownAmbient = false;
    AgeCurve ambient;     // convection: this group's surrounding temperature
    AgeCurve temperature; // fixed
    std::int32_t line = 0;  // of the entry in heat.toml, for messages
};

struct Region {
    std::vector<std::pair<std::int32_t, std::int32_t>> elements;  // inclusive ranges, numbers from 1
    Material material;
    double cast = 0.0;              // age of the young concrete (days) at which it is placed; absent before
    std::int32_t line = 0;          // of the entry
    std::int32_t elementsLine = 0;  // of its elements key
};

// A cooling pipe along the member, crossing the section at (x, y) (mm): water of the inlet's
// temperature flows through it from operating[0] to operating[1] (days); outside that span the
// pipe takes no heat. Without a length the water keeps the inlet temperature at the section.
struct PipeEntry {
    double x = 0.0, y = 0.0;        // mm, the pipe's centre
    double diameter = 0.0;          // mm, outside
    double wallThickness = 0.0;     // mm
    double wallConductivity = 0.0;  // W/(m K)
    std::string wallMaterial;       // a named material of data/pipe-walls.toml, or empty
    double flow = 0.0;              // l/min
    AgeCurve inlet;                 // C
    double from = 0.0, to = 1e300;  // days, the operating span
    double length = 0.0;            // m, 0: not given
    std::int32_t line = 0;          // of the entry, for messages
};

// The clear-sky and cloud constants of the sky's temperature (see SkyTemperature).
struct SkyModel {
    double swinbank = 0.0, cloud = 0.0;
};

// [site]: the placing's clock time (minutes since 1970-01-01 00:00, local time) and the weather file.
struct Site {
    bool given = false;
    std::int64_t placing = 0;
    std::string weather;  // as given, relative to heat.toml's folder
    std::string weatherFile;                    // the weather file as read
    std::int64_t weatherFirst = 0, weatherLast = 0;  // its first and last record
};

struct HeatSettings {
    std::string file;       // heat.toml as named in messages
    std::string mesh;       // empty: the job's mesh
    std::int32_t meshLine = 0;
    Material concrete;
    AgeCurve ambient;
    AgeCurve wind;          // m/s
    AgeCurve solar;         // W/m2, global horizontal
    AgeCurve cloud;         // cover of the sky, 0 clear to 1 overcast
    SkyModel sky;
    Site site;
    std::vector<BoundaryEntry> boundaries;
    std::vector<Region> regions;
    std::vector<PipeEntry> pipes;
    std::vector<double> outputAges;
    std::int32_t outputLine = 0;
};

// A mesh of four-node elements: coordinates in mm, corners counter-clockwise, numbered from 0 here.
struct HeatMesh {
    std::string file;
    std::vector<double> x, y;
    std::vector<std::array<std::int32_t, 4>> elements;
    std::int32_t NX() const { return static_cast<std::int32_t>(x.size()); }
    std::int32_t NELX() const { return static_cast<std::int32_t>(elements.size()); }
};

// An edge of one element only: its two nodes in the element's order.
struct BoundaryEdge {
    std::int32_t a = 0, b = 0;
};

// The boundary terms per edge group, resolved on the mesh: each edge once, with its entry.
struct BoundaryGroups {
    std::vector<BoundaryEdge> edges;
    std::vector<std::int32_t> entry;  // per edge: index into HeatSettings::boundaries
    std::vector<double> length;       // per edge: its length in m
};

// Every element's material, after the regions are applied.
struct ElementMaterials {
    std::vector<const Material*> of;  // per element
};

// Heat totals over a run, per metre of section length (J/m).
struct HeatBalance {
    double released = 0.0;  // heat of hydration
    double lost = 0.0;      // through convective edges, plus what fixed edges and pipes take out
    double entered = 0.0;   // what the parts cast after the start brought in, C T at their placing temperature
};

// How the internal time steps are chosen: each interval between output ages (split also where a
// heat transfer coefficient changes) is cut into equal steps of at most maxStep days; the first
// day of a heat release uses at most firstDayStep (the heat comes fastest there). After every
// change of step size or coefficient, eulerSteps backward Euler steps come before Crank-Nicolson.
struct StepOptions {
    double maxStep = 1.0 / 48.0;
    double firstDayStep = 1.0 / 192.0;
    std::int32_t eulerSteps = 2;
    std::function<void(double age)> progress;  // when given, called with the age after every step
};

// Reads and checks heat.toml (path as named in messages); throws RunError naming file, line and key.
HeatSettings ReadHeatSettings(const std::string& path);
// The same from text (for tests); name stands for the file in messages.
HeatSettings ParseHeatSettings(const std::string& text, const std::string& name);

// Reads a mesh file (.dat layout) through the record layer; throws RunError naming the record.
HeatMesh ReadHeatMesh(const std::string& path);

// Element materials: the concrete, or the region that lists the element. Refuses element numbers
// outside the mesh and an element listed by two regions.
ElementMaterials AssignMaterials(const HeatSettings& settings, const HeatMesh& mesh);

// The mesh's boundary edges taken by the [[boundary]] entries (a later entry wins an edge).
// Refuses an entry that takes no edge.
BoundaryGroups SelectBoundaryEdges(const HeatSettings& settings, const HeatMesh& mesh);

// Initial node temperatures: the placing temperature at every node of a heat-releasing element,
// else the initial temperature of a region holding the node (the later element wins).
std::vector<double> InitialTemperatures(const HeatMesh& mesh, const ElementMaterials& materials);

// The young concrete's hydration at an output age: its hottest node's temperature (C), equivalent
// age (days) and degree of hydration (for an adiabatic curve, the share of its final rise), and the
// degree of hydration over its nodes weighted by their capacity.
struct HydrationRecord {
    double age = 0.0, hottest = 0.0, hottestEquivalentAge = 0.0, hottestDegree = 0.0, meanDegree = 0.0;
};

// Runs the heat analysis and hands every output age's node temperatures to block (in output order);
// history, when given, gets one record per output age. Returns the heat balance of the whole run.
HeatBalance RunHeatAnalysis(const HeatSettings& settings, const HeatMesh& mesh,
                            const std::function<void(double age, const std::vector<double>& T)>& block,
                            const StepOptions& options = {}, std::vector<HydrationRecord>* history = nullptr);

// For every node of the job's mesh, the node of the heat mesh at the same X, Y (within 0.001 mm).
// Refuses a job node with no match, naming it.
std::vector<std::int32_t> MatchMeshNodes(const HeatMesh& job, const HeatMesh& heat);

// The mark that a temperature file written here carries in the unused columns of its first record.
inline constexpr char TemperatureMark[] = "thermocrack heat";
// Whether the file at path exists and lacks the mark (made by someone else).
bool IsForeignTemperatureFile(const std::string& path);

// Writes the temperature file for nx nodes and nelx elements: beside path first, renamed over it
// when complete. produce(write) calls write(age, nodeTemperatures) once per block, in order.
void WriteTemperatureFile(const std::string& path, std::int32_t nx, std::int32_t nelx, std::int32_t blocks,
                          const std::function<void(const std::function<void(double, const std::vector<double>&)>&)>&
                              produce);

// What WriteJobTemperatures wrote: the blocks, their first and last age, and the hottest job node.
struct JobTemperatures {
    std::int32_t blocks = 0;
    double firstAge = 0.0, lastAge = 0.0, hottest = 0.0, hottestAge = 0.0;
};
// Reads folder/heat.toml and the meshes of job jobName and checks them whole; then beforeWrite runs
// (it may refuse), the heat analysis writes NAME.tmp and NAME-hydration.csv (per output age the young
// concrete's hottest node, its equivalent age and degree of hydration, the mean degree of hydration
// and the adiabatic test's temperature), and a hydration or mix source's parameters are printed.
JobTemperatures WriteJobTemperatures(const std::string& folder, const std::string& jobName,
                                     const std::function<void()>& beforeWrite = {});

// thermocrack heat JOB_FOLDER [--force]: argv[0] is "heat". Returns the exit status.
int HeatMain(int argc, char** argv);

// A subcommand's frame, shared by heat and prepare: --help (askedHelp) prints usage and help; a
// non-empty problem with the arguments is printed as "thermocrack NAME: problem", the usage and a
// pointer to --help; then work runs, a RunError or other failure printed as "error: ...". Returns the
// exit status (0, or 2 after a problem or failure).
int RunCommand(const char* name, const char* usage, const char* help, bool askedHelp, const std::string& problem,
               const std::function<void()>& work);

}  // namespace tc::heat
