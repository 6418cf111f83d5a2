// A job's temperatures from its heat.toml: the job's mesh (or the heat mesh heat.toml names, matched
// to the job's nodes) checked whole before any file is touched, the heat analysis run, NAME.tmp and
// NAME-hydration.csv written, and the parameters of a hydration or mix source printed with the
// adiabatic rise they imply.

#include <chrono>
#include <cstdio>
#include <cmath>
#include <filesystem>
#include <memory>

#include "heat/cast_ages.hpp"
#include "heat/heat.hpp"
#include "heat/heat_release.hpp"
#include "heat/pipe_coupling.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

namespace {

// A name in heat.toml is taken from the job folder unless it is absolute.
std::string InFolder(const std::string& folder, const std::string& name) {
    return std::filesystem::path(name).is_absolute() ? name : folder + name;
}

// The parameters of a hydration or mix source and the adiabatic rise they imply.
void PrintSource(const std::string& what, const Material& m) {
    const HeatRelease& r = m.release;
    if (r.form == HeatRelease::Form::AdiabaticRise) return;
    const HydrationParameters& h = r.hydration;
    std::printf("thermocrack heat: %s: heat of hydration %s: Hu = %.0f J/kg, cementitious %.0f kg/m3, alpha_u = %.3f, "
                "tau = %.2f h, beta = %.3f, E = %.0f J/mol at T_r = %.1f C\n",
                what.c_str(), r.form == HeatRelease::Form::Mix ? "from the mix (Schindler and Folliard 2005)" : "as given",
                h.Hu, h.cementitious, h.alphaU, h.tau, h.beta, r.activationEnergy, r.referenceTemperature);
    const std::vector<double> days = {1.0, 3.0, 7.0, 28.0};
    const std::vector<double> rise = AdiabaticCurve(m, m.initialTemperature, days);
    const EquivalentAgeRelease law(m, 28.0);
    std::printf("thermocrack heat: %s: adiabatic rise from %.1f C: %.1f C at 1 day, %.1f at 3, %.1f at 7, %.1f at 28 "
                "(%.1f C once hydration ends: Hu C alpha_u / (rho c))\n",
                what.c_str(), m.initialTemperature, rise[0], rise[1], rise[2], rise[3], law.FinalRise());
}

// A cooling pipe's water flow, film coefficient and resistances per metre.
void PrintPipe(const PipeCoupling& c) {
    const PipeEntry& p = *c.pipe;
    std::printf("thermocrack heat: pipe of line %d at (%.1f, %.1f) mm: Re = %.0f, Nu = %.1f, film h = %.0f W/(m2 K); "
                "R = %.4f K m/W (film %.4f, wall %.4f, grid %.4f: equivalent radius %.1f mm); G = %.2f W/(m K)%s\n",
                p.line, p.x, p.y, c.film.reynolds, c.film.nusselt, c.film.h, c.resistance, c.filmResistance,
                c.wallResistance, c.gridResistance, c.equivalentRadius, c.conductance,
                p.length > 0.0 ? " with the water warming along its length" : "");
}

// NAME-hydration.csv beside the temperature file: written beside it first, renamed when complete.
void WriteHydrationHistory(const std::string& path, const std::vector<HydrationRecord>& history,
                           const std::vector<double>& adiabatic) {
    const std::string partial = path + ".partial";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (out == nullptr) throw RunError(partial + " cannot be created");
    std::fprintf(out, "age_d,hottest_C,hottest_equivalent_age_d,hottest_degree_of_hydration,mean_degree_of_hydration,"
                      "adiabatic_C\n");
    for (std::size_t k = 0; k < history.size(); ++k) {
        const HydrationRecord& r = history[k];
        std::fprintf(out, "%g,%.3f,%.4f,%.4f,%.4f,%.3f\n", r.age, r.hottest, r.hottestEquivalentAge, r.hottestDegree,
                     r.meanDegree, adiabatic[k]);
    }
    const bool written = std::fflush(out) == 0;
    if (std::fclose(out) != 0 || !written) throw RunError(partial + " cannot be written");
    std::error_code error;
    std::filesystem::rename(partial, path, error);
    if (error) throw RunError(partial + " cannot be renamed to " + path + ": " + error.message());
}

// Early-age heat is spent within weeks; an output age beyond a year is more likely a slip (hours
// for days) than meant, and costs a step every half hour.
constexpr double PlausibleSpan = 365.0;

void WarnOfLongSpan(const HeatSettings& settings) {
    const double last = settings.outputAges.back();
    if (!(last > PlausibleSpan)) return;
    std::fprintf(stderr,
                 "warning: %s, line %d: key \"output.ages\": the last age, %g days, lies beyond a plausible span of "
                 "early-age heat (%g days); the analysis steps at most every %g minutes, about %.0f steps\n",
                 settings.file.c_str(), settings.outputLine, last, PlausibleSpan, StepOptions{}.maxStep * 1440.0,
                 std::ceil(last / StepOptions{}.maxStep));
}

// Progress on the standard error once a run takes more than a few seconds: the age reached, every
// few seconds.
std::function<void(double)> ProgressReport(double last) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point begin = Clock::now();
    auto next = std::make_shared<Clock::time_point>(begin + std::chrono::seconds(3));
    auto shown = std::make_shared<bool>(false);
    auto counter = std::make_shared<std::int64_t>(0);
    return [=](double age) {
        if (++*counter % 64 != 0 && age < last) return;
        const Clock::time_point now = Clock::now();
        if (now < *next && !(age >= last && *shown)) return;
        *next = now + std::chrono::seconds(5);
        *shown = true;
        std::fprintf(stderr, "thermocrack heat: age %.2f of %g days (%.0f %%), %.0f s\n", age, last, 100.0 * age / last,
                     std::chrono::duration<double>(now - begin).count());
        std::fflush(stderr);
    };
}

}  // namespace

JobTemperatures WriteJobTemperatures(const std::string& folder, const std::string& jobName,
                                     const std::function<void()>& beforeWrite) {
    const HeatSettings settings = ReadHeatSettings(folder + "heat.toml");
    const HeatMesh job = ReadHeatMesh(folder + jobName + ".dat");
    const bool ownMesh = !settings.mesh.empty();
    const HeatMesh heat = ownMesh ? ReadHeatMesh(InFolder(folder, settings.mesh)) : HeatMesh{};
    const HeatMesh& mesh = ownMesh ? heat : job;
    std::vector<std::int32_t> match;
    if (ownMesh) {
        match = MatchMeshNodes(job, heat);
    } else {
        match.resize(static_cast<std::size_t>(job.NX()));
        for (std::size_t i = 0; i < match.size(); ++i) match[i] = static_cast<std::int32_t>(i);
    }
    // The checks that need the mesh, before a file is touched.
    const ElementMaterials materials = AssignMaterials(settings, mesh);
    if (AnyCast(settings)) CheckBoundariesOverCasts(settings, mesh, materials);
    else SelectBoundaryEdges(settings, mesh);
    const std::vector<PipeCoupling> pipes = CouplePipes(settings, mesh, materials);
    if (beforeWrite) beforeWrite();

    PrintSource("concrete", settings.concrete);
    for (const Region& region : settings.regions) {
        if (region.material.heat) PrintSource("region of line " + std::to_string(region.line), region.material);
    }
    for (const PipeCoupling& p : pipes) PrintPipe(p);
    WarnOfLongSpan(settings);
    StepOptions options;
    options.progress = ProgressReport(settings.outputAges.back());
    JobTemperatures done;
    done.hottest = -1e300;
    done.blocks = static_cast<std::int32_t>(settings.outputAges.size());
    done.firstAge = settings.outputAges.front();
    done.lastAge = settings.outputAges.back();
    std::vector<HydrationRecord> history;
    WriteTemperatureFile(folder + jobName + ".tmp", job.NX(), job.NELX(), done.blocks, [&](const auto& write) {
        std::vector<double> jobT(match.size());
        RunHeatAnalysis(settings, mesh, [&](double age, const std::vector<double>& T) {
            for (std::size_t i = 0; i < match.size(); ++i) {
                jobT[i] = T[static_cast<std::size_t>(match[i])];
                if (jobT[i] > done.hottest) {
                    done.hottest = jobT[i];
                    done.hottestAge = age;
                }
            }
            write(age, jobT);
        }, options, &history);
    });
    const double placing = settings.concrete.initialTemperature;
    std::vector<double> adiabatic = AdiabaticCurve(settings.concrete, placing, settings.outputAges);
    for (double& r : adiabatic) r += placing;
    WriteHydrationHistory(folder + jobName + "-hydration.csv", history, adiabatic);
    return done;
}

}  // namespace tc::heat
