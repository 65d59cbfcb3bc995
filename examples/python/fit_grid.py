"""Fit an affine transform to noisy point pairs, map a grid with it, and test the residuals.

A camera sees a calibration target through an unknown affine transform; 200 target points
are measured with uniform noise of +-0.05 pixels. The fit recovers the transform; the
chi-squared test checks that the residuals look like that noise (flat over [-0.05, 0.05]).
Every number printed comes from the library; the noise comes from its reproducible
generator, so the output is the same on every machine.
"""

import numpy as np

import orbmath as om

NOISE = 0.05

truth = om.Affine.from_decomposition(scale=2.5, aspect=0.97, shear=0.02, rotation=0.3, translation=(320.0, 240.0))
u, v = np.meshgrid(np.arange(20.0), np.arange(10.0))
target = np.column_stack([u.ravel(), v.ravel()]) * 10.0  # millimetres on the target

rng = om.Random(seed=2024)
noise = rng.draw(2 * len(target), -NOISE, NOISE).reshape(-1, 2)
measured = truth.map(target) + noise

fit = om.Affine.fit(target, measured)
print(f"fit of {len(target)} noisy pairs: rotation {fit.rotation:.6f}, scale {fit.scale:.6f}, "
      f"aspect {fit.aspect:.6f}, shear {fit.shear:.6f}")
tx, ty = fit.translation
print(f"built from rotation 0.3, scale 2.5, aspect 0.97, shear 0.02; translation ({tx:.4f}, {ty:.4f})")

grid = np.array([[x, y] for y in (0.0, 45.0, 90.0) for x in (0.0, 95.0, 190.0)])
print("target grid corners and centre in pixels:")
for p, q in zip(grid, fit.map(grid)):
    print(f"  ({p[0]:5.1f}, {p[1]:4.1f}) mm -> ({q[0]:9.4f}, {q[1]:9.4f}) px")

residuals = (measured - fit.map(target)).ravel()
stats = om.Statistics(residuals)
print(f"residuals: rms {stats.rms:.5f} px, largest {stats.abs_extreme_and_rms()[0]:.5f} px")

bins = 10
observed, _ = np.histogram(np.clip(residuals, -NOISE, NOISE), bins=bins, range=(-NOISE, NOISE))
result = om.chi_squared_test(observed.astype(float), np.full(bins, len(residuals) / bins))
print(f"chi-squared test of the residuals: p-value {result.p_value:.4f} with {result.dofs} degrees of freedom, "
      f"{'consistent with' if result.passed else 'unlike'} uniform noise at 5%")
