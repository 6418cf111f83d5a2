// Time stepping of the heat analysis from age 0 to the last output age, B = K + H:
//   backward Euler   (C / dt + B) T1 = C / dt T0 + Q / dt + f(t1)
//   Crank-Nicolson   (C / dt + B / 2) T1 = (C / dt - B / 2) T0 + Q / dt + (f(t0) + f(t1)) / 2
//   Q_i = sum over sources C_i (R(t_e1,i) - R(t_e0,i)),   R the source's released rise (C)
// On the concrete age (an adiabatic curve without activation energy) t_e = t and R = T_ad. On the
// equivalent age every node carries its own t_e, advanced along the step's
// temperature by the trapezoidal rule: t_e1 = t_e0 + dt (f(T0) + f(T1)) / 2. T1 is
// found by iterating the step: the end temperatures are first predicted from the last step's
// change, the heat they imply released, the system solved, and again with the solution until the
// heat released would change by less than 1e-5 C of a node's rise (to first order: the step's rise
// times (E/R)/T^2 times half the end temperature's move); the factorised system is the same in
// every pass, so a pass costs one back substitution, and the prediction leaves one pass in most steps.
// Every run of equal steps (after age 0, a change of step size or of a heat transfer coefficient)
// starts with backward Euler steps, which damp the sudden changes that Crank-Nicolson would
// carry on as an oscillation; the second-order Crank-Nicolson steps follow. The heat of a step is
// the exact rise of the adiabatic curve over it, so an insulated section follows that curve at any
// step size, and the heat stored, released and lost balance exactly with either scheme. Nodes of
// fixed edges take their temperature and are eliminated from the system. The symmetric systems
// are factorised only when the step size or a heat transfer coefficient changes; the steps
// between output ages are equal, so a run with equally spaced output ages factorises a handful of
// times. Parts cast at other ages (cast_ages.cpp): the run starts at the earliest cast and holds,
// between casts, the system of the elements in place, each source releasing on its own clock
// t - cast; the output ages stay on the young concrete's clock.
// Covered faces (see assemble_faces.cpp) exchange heat with the weather through coefficients that
// follow the wind and the face's temperature: each step takes them from its start (the radiation
// linearised about the temperatures there) and refactorises when some edge's coefficient has moved by
// more than FaceTolerance since the last factorisation; between, the factorised coefficients stay.

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include <Eigen/SparseCholesky>

#include "heat/cast_ages.hpp"
#include "heat/faces.hpp"
#include "heat/heat_release.hpp"
#include "heat/heat_system.hpp"
#include "heat/pipe_terms.hpp"
#include "records/run_error.hpp"

namespace tc::heat {

namespace {

// The age at which a source's release starts: an adiabatic curve's t0 on its own clock (the
// structure's equivalent age runs near it), else at placing.
double Start(const HeatSource& s) {
    const HeatRelease& r = s.material->release;
    return r.form == HeatRelease::Form::AdiabaticRise ? r.rise.t0 : 0.0;
}

// A source released on the equivalent age: every node's t_e, its released rise and its rate.
struct EquivalentAgeState {
    const HeatSource* source = nullptr;
    EquivalentAgeRelease law;
    std::vector<Eigen::Index> nodes;           // the nodes with a share of the source's capacity
    std::vector<double> te, rise, rate;        // per entry of nodes, at the step's start
    std::vector<double> teEnd, riseEnd, rateEnd;  // at the step's end, as the current pass has them
};

// Ages closer than this (days, about 0.1 ms) are one stop: an output age a rounding error after
// a change of coefficient is written with the temperatures of that change, not lost.
constexpr double SameAge = 1e-9;

// The ages at which the stepping must stop: every output age, the ages where a heat transfer
// coefficient changes, the start of each heat release and a day later (the end of the short
// steps), and every cast.
std::vector<double> StopAges(const HeatSettings& settings, const ConductionSystem& system, double begin) {
    const double last = settings.outputAges.back();
    std::vector<double> stops(settings.outputAges.begin(), settings.outputAges.end());
    for (const BoundaryEntry& b : settings.boundaries) {
        if (!b.fixed) stops.insert(stops.end(), b.h.from.begin(), b.h.from.end());
    }
    for (const PipeEntry& p : settings.pipes) {
        stops.push_back(p.from);
        if (p.to < last) stops.push_back(p.to);
    }
    for (const HeatSource& s : system.sources) {
        const double cast = CastOf(settings, s.material);
        stops.push_back(cast + Start(s));
        stops.push_back(cast + Start(s) + 1.0);
    }
    for (double cast : CastAges(settings)) stops.push_back(cast);
    std::sort(stops.begin(), stops.end());
    std::vector<double> kept;
    for (double t : stops) {
        if (t > begin + SameAge && t <= last && (kept.empty() || t > kept.back() + SameAge)) kept.push_back(t);
    }
    return kept;
}

// The longest step at age t: short during the first day of any heat release.
double LongestStep(const HeatSettings& settings, const ConductionSystem& system, const StepOptions& options, double t) {
    for (const HeatSource& s : system.sources) {
        const double start = CastOf(settings, s.material) + Start(s);
        if (t >= start && t < start + 1.0) return options.firstDayStep;
    }
    return options.maxStep;
}

// A step's passes end when the heat the last pass released would change by less than this, as a
// node's rise (C), with the end temperatures it found.
constexpr double PassTolerance = 1e-5;
constexpr std::int32_t MaxPasses = 50;

// The relative change of a covered edge's coefficient that makes a step refactorise.
constexpr double FaceTolerance = 1e-4;

std::vector<std::int32_t> Phases(const HeatSettings& settings, double t) {
    std::vector<std::int32_t> phase;
    for (const BoundaryEntry& b : settings.boundaries) phase.push_back(b.fixed ? -1 : b.h.Phase(t));
    return phase;
}

}  // namespace

HeatBalance RunHeatAnalysis(const HeatSettings& settings, const HeatMesh& mesh,
                            const std::function<void(double age, const std::vector<double>& T)>& block,
                            const StepOptions& options, std::vector<HydrationRecord>* history) {
    const ElementMaterials materials = AssignMaterials(settings, mesh);
    const ConductionSystem system = AssembleConduction(mesh, materials);
    const std::vector<PipeCoupling> pipes = CouplePipes(settings, mesh, materials);
    const auto n = static_cast<Eigen::Index>(mesh.NX());
    // Parts cast at other ages: the run starts at the earliest cast, on the elements then in place.
    const bool casts = AnyCast(settings);
    const std::vector<double> castAges = CastAges(settings);
    const double begin = casts ? castAges.front() : 0.0;
    PartsInPlace inPlace;
    ConductionSystem placed;
    const ConductionSystem* now = &system;  // the system of the elements in place
    BoundaryGroups groups;
    const auto place = [&](double age) {
        if (!casts) {
            groups = SelectBoundaryEdges(settings, mesh);
            return;
        }
        inPlace = InPlaceAt(settings, mesh, materials, age);
        groups = SelectEdgesInPlace(settings, inPlace.mesh);
        placed = AssembleConduction(inPlace.mesh, inPlace.materials);
        now = &placed;
    };
    place(begin);

    // Fixed nodes (the later entry wins a node) and the numbering of the free ones; a node of no
    // element in place (-2) is out of the system.
    std::vector<std::int32_t> fixedBy(static_cast<std::size_t>(n), -1);
    std::vector<Eigen::Index> freeIndex(static_cast<std::size_t>(n), -1);
    Eigen::Index nFree = 0;
    bool anyFixed = false;
    const auto number = [&] {
        std::fill(fixedBy.begin(), fixedBy.end(), -1);
        if (casts) {
            for (std::size_t i = 0; i < fixedBy.size(); ++i) {
                if (!inPlace.node[i]) fixedBy[i] = -2;
            }
        }
        for (std::size_t e = 0; e < groups.edges.size(); ++e) {
            if (!settings.boundaries[static_cast<std::size_t>(groups.entry[e])].fixed) continue;
            fixedBy[static_cast<std::size_t>(groups.edges[e].a)] = groups.entry[e];
            fixedBy[static_cast<std::size_t>(groups.edges[e].b)] = groups.entry[e];
        }
        nFree = 0;
        for (Eigen::Index i = 0; i < n; ++i) {
            freeIndex[static_cast<std::size_t>(i)] = fixedBy[static_cast<std::size_t>(i)] == -1 ? nFree++ : -1;
        }
        anyFixed = nFree < n;
    };
    number();
    const auto applyFixed = [&](Eigen::VectorXd& T, double t) {
        for (Eigen::Index i = 0; i < n; ++i) {
            const std::int32_t k = fixedBy[static_cast<std::size_t>(i)];
            if (k >= 0) T(i) = settings.boundaries[static_cast<std::size_t>(k)].temperature.At(t);
        }
    };

    std::vector<double> start = InitialTemperatures(mesh, materials);
    if (casts) {
        // The elements in place at the start set their nodes; the others hold their own placing
        // temperature until they are cast.
        const std::vector<double> first = InitialTemperatures(inPlace.mesh, inPlace.materials);
        for (std::size_t i = 0; i < start.size(); ++i) {
            if (inPlace.node[i]) start[i] = first[i];
        }
    }
    Eigen::VectorXd T = Eigen::Map<const Eigen::VectorXd>(start.data(), n);
    applyFixed(T, begin);
    Eigen::VectorXd C(n);
    for (Eigen::Index i = 0; i < n; ++i) C(i) = now->capacity[static_cast<std::size_t>(i)];

    std::vector<double> written(static_cast<std::size_t>(n));
    std::size_t nextOutput = 0;
    const auto emit = [&](double age) {
        while (nextOutput < settings.outputAges.size() && settings.outputAges[nextOutput] <= age + SameAge) {
            for (Eigen::Index i = 0; i < n; ++i) written[static_cast<std::size_t>(i)] = T(i);
            block(settings.outputAges[nextOutput], written);
            ++nextOutput;
        }
    };
    if (begin == 0.0) emit(0.0);

    // The factorised systems of the current step size and coefficients: backward Euler
    // (C / dt + B) and Crank-Nicolson (C / dt + B / 2), B = K + H.
    struct Factorised {
        Eigen::SparseMatrix<double> A, Afp;
        Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> solver;
        bool analysed = false;  // the ordering of the pattern, which holds until a cast changes it
    };
    Factorised euler, trapezoid;
    Eigen::SparseMatrix<double> B;
    const auto factorise = [&](Factorised& F, double share, double dts) {
        F.A = share * B;
        for (Eigen::Index i = 0; i < n; ++i) F.A.coeffRef(i, i) += C(i) / dts;
        std::vector<Eigen::Triplet<double>> ff, fp;
        for (Eigen::Index col = 0; col < F.A.outerSize(); ++col) {
            for (Eigen::SparseMatrix<double>::InnerIterator it(F.A, col); it; ++it) {
                const Eigen::Index r = freeIndex[static_cast<std::size_t>(it.row())];
                const Eigen::Index c = freeIndex[static_cast<std::size_t>(it.col())];
                if (r < 0) continue;
                if (c >= 0) ff.emplace_back(r, c, it.value());
                else fp.emplace_back(r, it.col(), it.value());
            }
        }
        Eigen::SparseMatrix<double> Aff(nFree, nFree);
        Aff.setFromTriplets(ff.begin(), ff.end());
        F.Afp.resize(nFree, n);
        F.Afp.setFromTriplets(fp.begin(), fp.end());
        // B's pattern is K's (a convective edge joins two nodes of one element), so the ordering
        // found once serves every later factorisation.
        if (!F.analysed) F.solver.analyzePattern(Aff);
        F.analysed = true;
        F.solver.factorize(Aff);
        if (F.solver.info() != Eigen::Success) {
            throw RunError(mesh.file + ": the heat analysis's system cannot be solved (is every element's area above 0?)");
        }
    };
    double factorisedStep = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::int32_t> factorisedPhase;
    std::vector<char> factorisedPipes;
    std::int32_t eulerStepsLeft = 0;
    // The covered faces' exchange of the current factorisation (empty without covered faces).
    const bool covered = std::any_of(settings.boundaries.begin(), settings.boundaries.end(),
                                     [](const BoundaryEntry& b) { return b.cover.given; });
    std::vector<FaceExchange> faces;

    // The sources released on the equivalent age, each node's t_e from 0 at placing.
    const double horizon = settings.outputAges.back();
    std::vector<EquivalentAgeState> equivalent;
    for (const HeatSource& source : system.sources) {
        if (!source.material->release.equivalentAge) continue;
        EquivalentAgeState e{&source, EquivalentAgeRelease(*source.material, horizon - CastOf(settings, source.material)),
                             {}, {}, {}, {}, {}, {}, {}};
        for (Eigen::Index i = 0; i < n; ++i) {
            if (source.capacity[static_cast<std::size_t>(i)] > 0.0) e.nodes.push_back(i);
        }
        e.te.assign(e.nodes.size(), 0.0);
        e.rise.assign(e.nodes.size(), e.law.Rise(0.0));
        for (Eigen::Index i : e.nodes) e.rate.push_back(e.law.Rate(T(i)));
        e.teEnd = e.te;
        e.riseEnd = e.rise;
        e.rateEnd = e.rate;
        equivalent.push_back(std::move(e));
    }
    // The young concrete's hydration at every output age, when asked for.
    const HeatSource* concrete = nullptr;
    for (const HeatSource& source : system.sources) {
        if (concrete == nullptr || source.material == &settings.concrete) concrete = &source;
        if (source.material == &settings.concrete) break;
    }
    const auto record = [&](double age) {
        if (history == nullptr || concrete == nullptr) return;
        const EquivalentAgeState* state = nullptr;
        for (const EquivalentAgeState& e : equivalent) {
            if (e.source == concrete) state = &e;
        }
        std::optional<EquivalentAgeRelease> ageLaw;
        if (state == nullptr) ageLaw.emplace(*concrete->material, horizon);
        const EquivalentAgeRelease& law = state != nullptr ? state->law : *ageLaw;
        HydrationRecord r;
        r.age = age;
        r.hottest = -1e300;
        double weighted = 0.0, total = 0.0;
        const double ageDegree = state != nullptr ? 0.0 : law.Degree(age);
        std::size_t k = 0;
        for (Eigen::Index i = 0; i < n; ++i) {
            const double c = concrete->capacity[static_cast<std::size_t>(i)];
            if (!(c > 0.0)) continue;
            const double te = state != nullptr ? state->te[k] : age;
            const double degree = state != nullptr ? law.DegreeOfRise(state->rise[k++]) : ageDegree;
            weighted += c * degree;
            total += c;
            if (T(i) > r.hottest) {
                r.hottest = T(i);
                r.hottestEquivalentAge = te;
                r.hottestDegree = degree;
            }
        }
        r.meanDegree = total > 0.0 ? weighted / total : 0.0;
        history->push_back(r);
    };
    std::size_t recorded = 0;
    const auto emitAll = [&](double age) {
        emit(age);
        for (; recorded < nextOutput; ++recorded) record(settings.outputAges[recorded]);
    };
    if (history != nullptr) {
        history->clear();
        for (; recorded < nextOutput; ++recorded) record(settings.outputAges[recorded]);
    }
    // Whether a source has been cast by age t (it releases only then).
    const auto released = [&](const HeatSource& s, double t) { return CastOf(settings, s.material) <= t + SameAge; };
    std::size_t nextCast = 1;

    HeatBalance balance;
    Eigen::VectorXd rhs(n), rhsBase(n), f0(n), f1(n), bFree(nFree), Tfixed(n), TfreeSolved, T1(n), T1guess(n);
    Eigen::VectorXd lastChange = Eigen::VectorXd::Zero(n), Tmiddle(n);
    double lastDt = 0.0;
    double t = begin;
    // Parts cast at age t: their nodes mix in at their placing temperature, and the system is
    // that of the elements now in place.
    const auto castAt = [&] {
        if (!casts || nextCast >= castAges.size() || castAges[nextCast] > t + SameAge) return;
        std::vector<double> addedC, addedCT;
        PlacedCapacity(settings, mesh, materials, castAges[nextCast - 1], castAges[nextCast], addedC, addedCT);
        for (Eigen::Index i = 0; i < n; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (!(addedC[k] > 0.0)) continue;
            T(i) = (C(i) * T(i) + addedCT[k]) / (C(i) + addedC[k]);
            balance.entered += addedCT[k];
        }
        ++nextCast;
        place(t);
        number();
        for (Eigen::Index i = 0; i < n; ++i) C(i) = now->capacity[static_cast<std::size_t>(i)];
        applyFixed(T, t);
        for (EquivalentAgeState& e : equivalent) {
            if (!released(*e.source, t)) continue;
            for (std::size_t k = 0; k < e.nodes.size(); ++k) {
                if (e.te[k] == 0.0) e.rate[k] = e.law.Rate(T(e.nodes[k]));
            }
        }
        lastChange.setZero();
        factorisedStep = std::numeric_limits<double>::quiet_NaN();
        euler.analysed = trapezoid.analysed = false;
        bFree.resize(nFree);
    };
    for (double stop : StopAges(settings, system, begin)) {
        const double span = stop - t;
        const auto steps = static_cast<std::int64_t>(std::ceil(span / LongestStep(settings, system, options, t) - 1e-9));
        double dt = span / static_cast<double>(std::max<std::int64_t>(steps, 1));
        // Equal output intervals give step sizes that differ in their last bits only: the
        // factorised step size stands for them (the last step of the interval still ends at stop).
        if (std::abs(dt - factorisedStep) <= 1e-9 * dt) dt = factorisedStep;
        const double dts = dt * SecondsPerDay;
        const std::vector<std::int32_t> phase = Phases(settings, t);
        const std::vector<char> pipesOn = PipesOn(pipes, t);
        if (!(dt == factorisedStep) || phase != factorisedPhase || pipesOn != factorisedPipes) {
            if (covered) faces = LineariseFaces(settings, groups, phase, t, T);
            B = now->K + AssembleConvection(settings, mesh, groups, phase);
            if (!pipes.empty()) B += AssemblePipes(pipes, pipesOn, n);
            if (covered) B += AssembleFaces(mesh, groups, faces);
            factorise(euler, 1.0, dts);
            factorise(trapezoid, 0.5, dts);
            factorisedStep = dt;
            factorisedPhase = phase;
            factorisedPipes = pipesOn;
            eulerStepsLeft = options.eulerSteps;
        }
        // The convection terms at the start of the interval, with its coefficients; each step's
        // end values are the next step's start values.
        f0.setZero();
        AddConvectionLoad(settings, groups, phase, t, f0);
        AddPipeLoad(pipes, pipesOn, t, f0);
        double loss0 = ConvectionLoss(settings, groups, phase, t, T) + PipeLoss(pipes, pipesOn, t, T);
        for (std::int64_t s = 0; s < steps; ++s) {
            const double t0 = t;
            const double t1 = s + 1 == steps ? stop : t + dt;
            const double h = t1 - t0;
            if (covered) {
                // The covered faces' coefficients at the step's middle: its time, and the temperatures
                // half-way along the last step's change (second order in the step); the start terms
                // with them.
                Tmiddle = T + 0.5 * lastChange * (lastDt > 0.0 ? h / lastDt : 0.0);
                std::vector<FaceExchange> current = LineariseFaces(settings, groups, phase, t0 + 0.5 * h, Tmiddle);
                if (FacesDiffer(current, faces, FaceTolerance)) {
                    faces.swap(current);
                    B = now->K + AssembleConvection(settings, mesh, groups, phase) + AssembleFaces(mesh, groups, faces);
                    if (!pipes.empty()) B += AssemblePipes(pipes, pipesOn, n);
                    factorise(euler, 1.0, dts);
                    factorise(trapezoid, 0.5, dts);
                }
                f0.setZero();
                AddConvectionLoad(settings, groups, phase, t0, f0);
                AddFaceLoad(settings, groups, faces, t0, f0);
                AddPipeLoad(pipes, pipesOn, t0, f0);
                loss0 = ConvectionLoss(settings, groups, phase, t0, T) + FaceLoss(settings, groups, faces, t0, T) +
                        PipeLoss(pipes, pipesOn, t0, T);
            }
            const bool useEuler = eulerStepsLeft > 0;
            if (useEuler) --eulerStepsLeft;
            const Factorised& F = useEuler ? euler : trapezoid;
            rhs = C.cwiseProduct(T) / dts;
            for (const HeatSource& source : system.sources) {
                if (source.material->release.equivalentAge || !released(source, t0)) continue;
                const AdiabaticRise& curve = source.material->release.rise;
                const double cast = CastOf(settings, source.material);
                const double rise = curve.At(t1 - cast) - curve.At(t0 - cast);
                for (Eigen::Index i = 0; i < n; ++i) {
                    const double q = source.capacity[static_cast<std::size_t>(i)] * rise;
                    rhs(i) += q / dts;
                    balance.released += q;
                }
            }
            f1.setZero();
            AddConvectionLoad(settings, groups, phase, t1, f1);
            AddPipeLoad(pipes, pipesOn, t1, f1);
            if (covered) AddFaceLoad(settings, groups, faces, t1, f1);
            if (useEuler) {
                rhs += f1;
            } else {
                rhs += 0.5 * (f0 + f1) - 0.5 * (B * T);
            }
            Tfixed.setZero();
            applyFixed(Tfixed, t1);
            if (casts) {
                for (Eigen::Index i = 0; i < n; ++i) {
                    if (fixedBy[static_cast<std::size_t>(i)] == -2) Tfixed(i) = T(i);
                }
            }
            const auto solve = [&] {
                for (Eigen::Index i = 0; i < n; ++i) {
                    const Eigen::Index k = freeIndex[static_cast<std::size_t>(i)];
                    if (k >= 0) bFree(k) = rhs(i);
                }
                if (anyFixed) bFree -= F.Afp * Tfixed;
                TfreeSolved = F.solver.solve(bFree);
                for (Eigen::Index i = 0; i < n; ++i) {
                    const Eigen::Index k = freeIndex[static_cast<std::size_t>(i)];
                    T1(i) = k >= 0 ? TfreeSolved(k) : Tfixed(i);
                }
            };
            if (equivalent.empty()) {
                solve();
            } else {
                rhsBase = rhs;
                T1guess = T + lastChange * (lastDt > 0.0 ? h / lastDt : 0.0);
                for (std::int32_t pass = 0;; ++pass) {
                    rhs = rhsBase;
                    for (EquivalentAgeState& e : equivalent) {
                        if (!released(*e.source, t0)) continue;
                        for (std::size_t k = 0; k < e.nodes.size(); ++k) {
                            const Eigen::Index i = e.nodes[k];
                            e.rateEnd[k] = e.law.Rate(T1guess(i));
                            e.teEnd[k] = e.te[k] + h / 2.0 * (e.rate[k] + e.rateEnd[k]);
                            e.riseEnd[k] = e.law.Rise(e.teEnd[k]);
                            rhs(i) += e.source->capacity[static_cast<std::size_t>(i)] * (e.riseEnd[k] - e.rise[k]) / dts;
                        }
                    }
                    solve();
                    // The heat of the pass came from the guessed end temperatures: what the solved
                    // ones would change of it, as a rise of the node (C), to first order.
                    double error = 0.0;
                    for (const EquivalentAgeState& e : equivalent) {
                        if (!released(*e.source, t0)) continue;
                        for (std::size_t k = 0; k < e.nodes.size(); ++k) {
                            const Eigen::Index i = e.nodes[k];
                            const double kelvin = T1(i) + ZeroCelsius;
                            error = std::max(error, std::abs((e.riseEnd[k] - e.rise[k]) * e.law.EoverR() / (kelvin * kelvin) *
                                                             0.5 * (T1(i) - T1guess(i))));
                        }
                    }
                    T1guess = T1;
                    if (error <= PassTolerance || pass + 1 == MaxPasses) break;
                }
                for (EquivalentAgeState& e : equivalent) {
                    if (!released(*e.source, t0)) continue;
                    for (std::size_t k = 0; k < e.nodes.size(); ++k) {
                        const Eigen::Index i = e.nodes[k];
                        balance.released += e.source->capacity[static_cast<std::size_t>(i)] * (e.riseEnd[k] - e.rise[k]);
                    }
                    e.te.swap(e.teEnd);
                    e.rise.swap(e.riseEnd);
                    e.rate.swap(e.rateEnd);
                }
            }
            if (covered || !equivalent.empty()) {
                lastChange = T1 - T;
                lastDt = h;
            }
            double loss1 = ConvectionLoss(settings, groups, phase, t1, T1) + PipeLoss(pipes, pipesOn, t1, T1);
            if (covered) loss1 += FaceLoss(settings, groups, faces, t1, T1);
            balance.lost += (useEuler ? loss1 : 0.5 * (loss0 + loss1)) * dts;
            f0.swap(f1);
            loss0 = loss1;
            if (anyFixed) {
                // What the fixed nodes must take in to hold their temperature (negative: give off).
                const Eigen::VectorXd residual = F.A * T1 - rhs;
                for (Eigen::Index i = 0; i < n; ++i) {
                    if (freeIndex[static_cast<std::size_t>(i)] < 0) balance.lost -= residual(i) * dts;
                }
            }
            T.swap(T1);
            t = t1;
            if (options.progress) options.progress(t);
        }
        castAt();
        emitAll(t);
    }
    return balance;
}

}  // namespace tc::heat
