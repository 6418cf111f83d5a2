#include "run/run_driver.hpp"

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "mesh/mesh.hpp"
#include "records/records.hpp"
#include "run/input_deck.hpp"
#include "run/job_files.hpp"
#include "run/job_input.hpp"
#include "run/result_files.hpp"
#include "run/step_loop.hpp"

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

void Run(UnitTable& units, RunTables& r) {
    std::string jobFolder;
    std::string jobName;
    OpenJob(units, jobFolder, jobName);
    ReadInputDeck(units[unit::Deck], units[unit::Mesh], units[unit::List], r.job);
    ComputeElementGeometry(r.job.nodes.X, r.job.nodes.Y, r.job.elements, r.job.NX, r.job.NELX, r.geometry.CX,
                           r.geometry.CY, r.geometry.AREA, r.YTOP, r.YBOT, r.job.IECHO, units[unit::List]);
    RunStepLoop(units, r.job, r.geometry, r.YTOP, r.YBOT, r.steps);
    WriteRunStatus(units[unit::Status],
                   RunStatus(r.YTOP, r.YBOT, r.steps.hmax, r.steps.hmin, r.steps.CrackedCount));
    for (std::int32_t n = 0; n <= MaxUnit; ++n) {
        if (units.IsOpen(n)) units[n].Flush();
    }
}

// The refusal also goes to the list file when it is open, so the listing says why it stops.
void ReportError(UnitTable& units, const std::string& message) {
    std::fprintf(stderr, "error: %s\n", message.c_str());
    if (units.IsOpen(unit::List)) {
        try {
            Write(units[unit::List], "(' error: ',A)", std::string_view(message));
        } catch (...) {
        }
    }
    units.FlushAll();
}

}  // namespace

int RunMain(int /*argc*/, char** /*argv*/) {
    UnitTable units;
    try {
        auto tables = std::make_unique<RunTables>();
        Run(units, *tables);
    } catch (const RunError& e) {
        ReportError(units, e.what());
        return 2;
    } catch (const std::exception& e) {
        ReportError(units, std::string("unexpected failure: ") + e.what());
        return 2;
    }
    std::fputs(StopLine, stdout);
    std::fflush(stdout);
    return 0;
}

}  // namespace tc
