// Matches every node of the job's mesh to the node of the heat mesh at the same X and Y, within
// 0.001 mm in each: the heat mesh may be finer or larger (a footing, the ground), but it must hold
// every node of the job's mesh.

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "heat/heat.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

std::vector<std::int32_t> MatchMeshNodes(const HeatMesh& job, const HeatMesh& heat) {
    constexpr double Tolerance = 0.001;  // mm
    std::vector<std::int32_t> byX(static_cast<std::size_t>(heat.NX()));
    std::iota(byX.begin(), byX.end(), 0);
    std::sort(byX.begin(), byX.end(), [&](std::int32_t a, std::int32_t b) {
        return heat.x[static_cast<std::size_t>(a)] < heat.x[static_cast<std::size_t>(b)];
    });
    std::vector<std::int32_t> match(static_cast<std::size_t>(job.NX()), -1);
    for (std::size_t i = 0; i < match.size(); ++i) {
        const double x = job.x[i];
        const double y = job.y[i];
        auto it = std::lower_bound(byX.begin(), byX.end(), x - Tolerance, [&](std::int32_t n, double v) {
            return heat.x[static_cast<std::size_t>(n)] < v;
        });
        for (; it != byX.end() && heat.x[static_cast<std::size_t>(*it)] <= x + Tolerance; ++it) {
            if (std::abs(heat.y[static_cast<std::size_t>(*it)] - y) <= Tolerance) {
                match[i] = *it;
                break;
            }
        }
        if (match[i] < 0) {
            throw RunError(job.file + ": node " + std::to_string(i + 1) + " (X " + std::to_string(x) + ", Y " +
                           std::to_string(y) + " mm) has no node of the heat mesh " + heat.file +
                           " at the same place (within 0.001 mm)");
        }
    }
    return match;
}

}  // namespace tc::heat
