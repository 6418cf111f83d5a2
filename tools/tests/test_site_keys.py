"""heat.toml's [site] keys as the tools read them: a daily cycle's warmest clock hour after a placing
at 07:30 is the age 7.5 / 24 (worked by hand: 15:00 - 07:30 = 7.5 h)."""
from thermocrack_tools.job_files import read_heat_inputs


def test_peak_hour_is_the_clock_hour_after_placing(tmp_path):
    path = tmp_path / "heat.toml"
    path.write_text("[site]\nplacing = 2026-06-01T07:30:00\n"
                    "[ambient]\ntemperature = { mean = 15.0, amplitude = 5.0, peak_hour = 15.0 }\n"
                    "[[boundary]]\nside = \"top\"\nh = 8.0\nambient = { mean = 10.0, amplitude = 2.0, peak_hour = 7.0 }\n")
    heat = read_heat_inputs(str(path))
    assert heat.ambient(7.5 / 24.0) == 20.0
    assert abs(heat.ambient(7.5 / 24.0 + 0.5) - 10.0) < 1e-12
    own = heat.boundary_ambients[0][1]
    assert abs(own(1.0 - 0.5 / 24.0) - 12.0) < 1e-12  # 07:00 the next morning
