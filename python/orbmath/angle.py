"""Angles over NumPy arrays.

Binary angles count a full turn in 65536 (16-bit) or 256 (8-bit) steps, counter-clockwise;
counts are integer arrays of any integer dtype, wrapped modulo one turn. The trigonometry
reads the library's tables; a scalar in gives a NumPy scalar out.
"""

from ._core import angle as _angle

sin16 = _angle.sin16
cos16 = _angle.cos16
sin16f = _angle.sin16f
cos16f = _angle.cos16f
sin16_fixed = _angle.sin16_fixed
cos16_fixed = _angle.cos16_fixed
sin8 = _angle.sin8
cos8 = _angle.cos8
sin8f = _angle.sin8f
cos8f = _angle.cos8f
sin8_fixed = _angle.sin8_fixed
cos8_fixed = _angle.cos8_fixed
sin_bin8 = _angle.sin_bin8
cos_bin8 = _angle.cos_bin8
sin_bin = _angle.sin_bin
cos_bin = _angle.cos_bin
atan_bin8 = _angle.atan_bin8
degree_norm = _angle.degree_norm
degree_signed_norm = _angle.degree_signed_norm
radian_norm = _angle.radian_norm
radian_signed_norm = _angle.radian_signed_norm
radian_isclose = _angle.radian_isclose
angle16_from_degrees = _angle.angle16_from_degrees
angle16_from_radians = _angle.angle16_from_radians
angle8_from_degrees = _angle.angle8_from_degrees
angle8_from_radians = _angle.angle8_from_radians
angle8_from_angle16 = _angle.angle8_from_angle16
degrees_from_angle16 = _angle.degrees_from_angle16
radians_from_angle16 = _angle.radians_from_angle16
degrees_from_angle8 = _angle.degrees_from_angle8
radians_from_angle8 = _angle.radians_from_angle8
degrees_from_radians = _angle.degrees_from_radians
radians_from_degrees = _angle.radians_from_degrees
acos_safe = _angle.acos_safe
asin_safe = _angle.asin_safe

__all__ = [name for name in dir(_angle) if not name.startswith("_")]
