"""Shared code of thermocrack-plot and thermocrack-report: reading a job's files (job_files), the
summary numbers and the cracking probability (summary), the figures (figures) and the report page
(report_page, with its template in templates/)."""
