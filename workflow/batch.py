"""One batch of a study's variants, as the workflow's batch rule runs it:

    python3 batch.py STUDY.toml FIRST LAST OUT THERMOCRACK RECORD

runs variants FIRST to LAST one after another, each in OUT/variants/NNNN (description.toml,
values.json, job/ with prepare.log and run.log, summary.json). A variant whose folder already holds
its results for its present values stands. A variant that fails is named with its log, and the rest
of the batch still runs; then the batch fails. RECORD (JSON: the variants run and those that stood)
is written only when every variant has its results, with the processor time of the variants' own
work (s) for bench/run-study. A script of its own, not a rule's Python block:
Snakemake starts a whole new engine for each job that runs Python."""

import json
import os
import sys

import study as st

if __name__ == "__main__":
    if len(sys.argv) != 7:
        sys.exit("usage: batch.py STUDY.toml FIRST LAST OUT THERMOCRACK RECORD")
    path, first, last, out, thermocrack, record = sys.argv[1:]
    try:
        study = st.Study(path)
        ran, stood, failed, seconds = st.run_batch(study, range(int(first), int(last) + 1), out, thermocrack,
                                          say=lambda line: print(line, file=sys.stderr, flush=True))
    except st.StudyError as e:
        sys.exit(f"batch of variants {first} to {last}: {e}")
    if failed:
        sys.exit(f"batch of variants {first} to {last}: {len(failed)} of {int(last) - int(first) + 1} failed "
                 f"({', '.join(name for name, _ in failed)}); the others have their results")
    os.makedirs(os.path.dirname(record) or ".", exist_ok=True)
    with open(record, "w", encoding="utf-8") as f:
        json.dump({"ran": ran, "stood": stood, "processor_s": round(seconds, 3)}, f)
        f.write("\n")
