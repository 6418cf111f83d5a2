"""Fitting keys of a description to measured temperatures by least squares (SciPy's least_squares,
trust-region reflective within the bounds), each evaluation one heat analysis.

    minimise  sum_k (T_model(p; sensor_k, age_k) - T_measured_k)^2   over  low <= p <= high

The Jacobian is worked out by finite differences (forward while fitting, central at the fit), its
columns side by side (one heat analysis each). At the fitted values, with m readings, n keys and J the Jacobian:

    s^2 = sum r^2 / (m - n),   C = s^2 (J^T J)^-1,   standard error_i = sqrt(C_ii),
    correlation_ij = C_ij / sqrt(C_ii C_jj)

(the linearised covariance of non-linear least squares; e.g. Bates and Watts, *Nonlinear Regression
Analysis and Its Applications*, Wiley 1988, chapter 2). Two keys whose correlation exceeds 0.99 in size
cannot be told apart by these readings, above 0.95 they are strongly correlated (thresholds chosen for
this tool); a value within 0.1 % of the bound range from a bound sits on it.
"""

import math
from concurrent.futures import ThreadPoolExecutor

import numpy as np

from .sensor_model import minute_of

CORRELATION_LIMIT = 0.95
APART_LIMIT = 0.99
BOUND_FRACTION = 1e-3
# Finite-difference step as a fraction of each value: the .tmp holds 0.001 C, so the step must move
# the temperatures well above that.
DIFFERENCE_STEP = 0.01


class ErrorStats:
    """RMS, largest and mean (bias) of computed - measured per sensor and over all readings, C."""

    def __init__(self, residuals, sensor_of, sensors):
        self.per_sensor = []
        for j, s in enumerate(sensors):
            r = residuals[sensor_of == j]
            self.per_sensor.append(self._stats(s.name, r))
        self.all = self._stats("all", residuals)

    @staticmethod
    def _stats(name, r):
        if len(r) == 0:
            return {"sensor": name, "count": 0, "rms": math.nan, "largest": math.nan, "bias": math.nan}
        k = int(np.argmax(np.abs(r)))
        return {"sensor": name, "count": int(len(r)), "rms": float(np.sqrt(np.mean(r ** 2))),
                "largest": float(r[k]), "bias": float(np.mean(r))}


class Problem:
    """Readings at (sensor, age) and a Model: the residuals of a set of values."""

    def __init__(self, model, readings, ages, workers=2):
        self.model = model
        self.ages = ages
        index = {minute_of(a): k for k, a in enumerate(ages)}
        self.block = np.array([index[minute_of(a)] for a in readings.age])
        self.sensor = np.array(readings.sensor)
        self.measured = np.array(readings.value)
        self.workers = workers
        self.cache = {}

    def temperatures(self, values, slot=0):
        key = tuple(float(v) for v in values)
        if key not in self.cache:
            self.cache[key] = self.model.evaluate(values, self.ages, slot)
        return self.cache[key]

    def residuals(self, values, slot=0):
        T = self.temperatures(values, slot)
        return T[self.block, self.sensor] - self.measured

    def jacobian(self, values, low, high, central=False):
        """Finite differences with steps of 1 % of each value (at least 0.01 % of its bound range), the
        columns side by side: forward while fitting, central (stepping inside the bounds) for the
        standard errors, whose nearly dependent columns need the accuracy."""
        x = np.asarray(values, dtype=float)
        steps = [DIFFERENCE_STEP * max(abs(x[i]), 0.01 * (high[i] - low[i])) for i in range(len(x))]
        r0 = self.residuals(x)
        jobs = []
        for i, h in enumerate(steps):
            if central:
                up, down = min(x[i] + h, high[i]), max(x[i] - h, low[i])
            else:
                up, down = (x[i] + h, x[i]) if x[i] + h <= high[i] else (x[i], x[i] - h)
            jobs.append((i, up, down))

        def moved(i, v, slot):
            y = x.copy()
            y[i] = v
            return r0 if v == x[i] else self.residuals(y, slot=slot)

        def column(job):
            i, up, down = job
            return (moved(i, up, 2 * i + 1) - moved(i, down, 2 * i + 2)) / (up - down)
        with ThreadPoolExecutor(max_workers=self.workers) as pool:
            cols = list(pool.map(column, jobs))
        return np.column_stack(cols)


class Fit:
    """The fitted values with their standard errors, correlations, warnings, and the residuals before
    (at the start values) and after."""


def statistics(J, r, n):
    """Standard errors and the correlation matrix from the Jacobian at the fit (inf when singular)."""
    m = len(r)
    dof = max(m - n, 1)
    s2 = float(r @ r) / dof
    JTJ = J.T @ J
    try:
        if np.linalg.cond(JTJ) > 1e14:
            raise np.linalg.LinAlgError
        C = s2 * np.linalg.inv(JTJ)
        se = np.sqrt(np.abs(np.diag(C)))
        d = np.where(se > 0, se, 1.0)
        R = C / np.outer(d, d)
    except np.linalg.LinAlgError:
        se = np.full(n, math.inf)
        # Indistinguishable: the correlation of the Jacobian's columns says which.
        norms = np.linalg.norm(J, axis=0)
        norms = np.where(norms > 0, norms, 1.0)
        R = (J.T @ J) / np.outer(norms, norms)
    return se, R, math.sqrt(s2)


def calibrate(problem, fit_keys, start, max_evaluations=60, progress=None):
    """Fits the keys from the start values within their bounds; gives a Fit with the values, their
    standard errors, the correlation matrix, the warnings and the errors before and after."""
    from scipy.optimize import least_squares
    low = np.array([k.low for k in fit_keys])
    high = np.array([k.high for k in fit_keys])
    x0 = np.clip(np.asarray(start, dtype=float), low, high)
    before = problem.residuals(x0)
    calls = {"n": 0}

    def fun(x):
        calls["n"] += 1
        r = problem.residuals(x)
        if progress:
            progress(calls["n"], x, float(np.sqrt(np.mean(r ** 2))))
        return r

    result = least_squares(fun, x0, jac=lambda x: problem.jacobian(x, low, high), bounds=(low, high),
                           x_scale=high - low, method="trf", max_nfev=max_evaluations,
                           xtol=1e-6, ftol=1e-8, gtol=1e-8)
    fit = Fit()
    fit.keys = fit_keys
    fit.start = x0
    fit.values = result.x
    fit.converged = result.status > 0
    fit.message = result.message
    fit.iterations = result.nfev
    fit.before = before
    fit.after = problem.residuals(result.x)
    J = problem.jacobian(result.x, low, high, central=True)
    fit.se, fit.correlation, fit.sigma = statistics(J, fit.after, len(fit_keys))
    fit.warnings = []
    if not fit.converged:
        fit.warnings.append(f"The fit did not converge ({result.message.rstrip('.')}) after {result.nfev} "
                            f"evaluations: the values below are the last tried, not a fit.")
    for i in range(len(fit_keys)):
        for j in range(i + 1, len(fit_keys)):
            rho = fit.correlation[i, j]
            if abs(rho) > APART_LIMIT or not (math.isfinite(fit.se[i]) and math.isfinite(fit.se[j])):
                fit.warnings.append(
                    f"{fit_keys[i].key} and {fit_keys[j].key} cannot be told apart by these readings "
                    f"(correlation {rho:+.3f}): fix one of them, or add readings that separate them.")
            elif abs(rho) > CORRELATION_LIMIT:
                fit.warnings.append(
                    f"{fit_keys[i].key} and {fit_keys[j].key} are strongly correlated ({rho:+.3f}): the readings "
                    f"fix mainly a combination of the two, and their standard errors hold only together.")
    span = high - low
    for i, k in enumerate(fit_keys):
        if result.x[i] - low[i] <= BOUND_FRACTION * span[i] or high[i] - result.x[i] <= BOUND_FRACTION * span[i]:
            side = "lower" if result.x[i] - low[i] <= BOUND_FRACTION * span[i] else "upper"
            fit.warnings.append(f"{k.key} = {result.x[i]:.4g} sits on its {side} bound ({k.low:g} to "
                                f"{k.high:g}): the readings want it beyond; widen the bound or question the model.")
    fit.evaluations = problem.model.count
    return fit
