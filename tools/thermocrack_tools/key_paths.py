"""Keys of a description by dotted path, as studies and calibrations name them:
"concrete.adiabatic_rise.K", "boundary[1].h[0][1]" (an array entry by its index from 0)."""

import re

_STEP = re.compile(r"([^.\[\]]+)|\[(\d+)\]")


def path_steps(path):
    steps = []
    for part in path.split("."):
        found = _STEP.findall(part)
        if not found or "".join(n or f"[{i}]" for n, i in found) != part:
            raise KeyError(f'"{part}" is not a key or key[n]')
        steps += [n if n else int(i) for n, i in found]
    return steps
