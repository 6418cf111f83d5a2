"""Which inputs of a study drive an output: partial rank correlation coefficients (PRCC) with their
confidence intervals.

The inputs and the output are replaced by their ranks (ties share their mean rank), so any monotonic
relation counts, whatever its shape. The PRCC of input j is the correlation of the ranks of input j
and of the output once the linear effect of the other inputs' ranks is taken out of both. From C,
the correlation matrix of the ranks of the k inputs and the output (last), and B = C^-1:

    PRCC_j = -B[j, y] / sqrt(B[j, j] B[y, y])

Iman, R. L. and Conover, W. J. (1980), "Small sample sensitivity analysis techniques for computer
models, with an application to risk assessment", Communications in Statistics - Theory and Methods
9(17), 1749-1842; Marino, S., Hogue, I. B., Ray, C. J. and Kirschner, D. E. (2008), "A methodology
for performing global uncertainty and sensitivity analysis in systems biology", Journal of
Theoretical Biology 254(1), 178-196, section 2.3.

Confidence: the 95 % interval from Fisher's z transform of a partial correlation with p = k - 1
inputs taken out, z = atanh(r) with standard error 1 / sqrt(n - 3 - p), r = tanh(z +- 1.96 se)
(Fisher, R. A. (1924), "The distribution of the partial correlation coefficient", Metron 3,
329-332). An input whose interval holds 0 shows no influence that this many variants can tell.
"""

import math

import numpy as np

Z95 = 1.959964  # the standard normal quantile of 0.975


def ranks(values):
    """Ranks from 1 of values (a list of floats; +inf ranks last), ties sharing their mean rank."""
    order = sorted(range(len(values)), key=lambda i: values[i])
    out = [0.0] * len(values)
    start = 0
    while start < len(order):
        end = start
        while end + 1 < len(order) and values[order[end + 1]] == values[order[start]]:
            end += 1
        for i in order[start:end + 1]:
            out[i] = (start + end) / 2.0 + 1.0
        start = end + 1
    return out


def prcc(inputs, output):
    """{input: (PRCC, low, high)} for the columns of inputs ({name: [values]}) against output
    ([values], same order; NaN is not allowed, +inf is). An input that does not vary gets None;
    so does every input when the output does not vary or there are too few variants."""
    names = list(inputs)
    varied = [n for n in names if len(set(inputs[n])) > 1]
    result = {n: None for n in names}
    n = len(output)
    p = len(varied) - 1
    if not varied or len(set(output)) < 2 or n - 3 - p < 1:
        return result
    columns = [ranks(inputs[name]) for name in varied] + [ranks(output)]
    c = np.corrcoef(np.array(columns))
    try:
        b = np.linalg.inv(c)
    except np.linalg.LinAlgError:
        return result
    y = len(varied)
    half = Z95 / math.sqrt(n - 3 - p)
    for j, name in enumerate(varied):
        denominator = b[j, j] * b[y, y]
        if not denominator > 0.0:
            continue
        r = float(-b[j, y] / math.sqrt(denominator))
        r = max(-1.0, min(1.0, r))
        z = math.atanh(max(-0.999999999, min(0.999999999, r)))
        result[name] = (r, math.tanh(z - half), math.tanh(z + half))
    return result


def ranking(measures):
    """The inputs of {input: (PRCC, low, high) or None} in order of influence: those whose interval
    excludes 0 by |PRCC|, largest first, then the others; as (input, measure, shown)."""
    def key(item):
        name, m = item
        if m is None:
            return (2, 0.0)
        shown = m[1] > 0.0 or m[2] < 0.0
        return (0 if shown else 1, -abs(m[0]))
    out = []
    for name, m in sorted(measures.items(), key=key):
        out.append((name, m, m is not None and (m[1] > 0.0 or m[2] < 0.0)))
    return out
