"""One variant of a study in its folder, as the workflow's variant rule runs it:

    python3 variant.py STUDY.toml INDEX FOLDER THERMOCRACK

writes FOLDER/description.toml and values.json, prepares job/ (prepare.log), runs it (run.log) and
writes summary.json. A script of its own, not a rule's Python block: Snakemake starts a whole new
engine for each job that runs Python, and that costs more than the variant's own work."""

import json
import sys

import study as st

if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit("usage: variant.py STUDY.toml INDEX FOLDER THERMOCRACK")
    path, index, folder, thermocrack = sys.argv[1:]
    try:
        study = st.Study(path)
        st.run_variant(study, study.variants()[int(index)], folder, thermocrack)
    except st.StudyError as e:
        sys.exit(f"variant {index}: {e}")
