"""Shared settings of the Python tests: a reproducible Hypothesis profile (no example database,
no deadline: the machines that run these are shared and their timings noisy)."""

import os

from hypothesis import HealthCheck, settings

settings.register_profile(
    "orbmath",
    max_examples=int(os.environ.get("ORBMATH_HYPOTHESIS_EXAMPLES", "60")),
    deadline=None,
    database=None,
    derandomize=True,
    suppress_health_check=[HealthCheck.too_slow],
)
settings.load_profile("orbmath")
