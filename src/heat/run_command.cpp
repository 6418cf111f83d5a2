// The frame around a subcommand's work (thermocrack heat, thermocrack prepare): --help prints the
// usage and the help; a problem with the arguments prints it with the usage (exit status 2); a
// failure of the work prints "error: ..." (exit status 2); otherwise the status is 0.

#include <cstdio>
#include <exception>

#include "heat/heat.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

int RunCommand(const char* name, const char* usage, const char* help, bool askedHelp, const std::string& problem,
               const std::function<void()>& work) {
    if (askedHelp) {
        std::fputs(usage, stdout);
        std::fputs(help, stdout);
        return 0;
    }
    if (!problem.empty()) {
        std::fprintf(stderr, "thermocrack %s: %s\n%sTry 'thermocrack %s --help' for more.\n", name, problem.c_str(),
                     usage, name);
        return 2;
    }
    try {
        work();
    } catch (const RunError& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: unexpected failure: %s\n", e.what());
        return 2;
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace tc::heat
