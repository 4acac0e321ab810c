#!/usr/bin/env python3
"""Hand calculations of the validation manual.

Each function works one example with the published equations of its method, step by step, without
the engine: the numbers here are the "hand" references of docs/validation.md. Chart readings that
a hand calculation needs (FHWA's design charts) are stated where they are used. Standard library
only; `python3 hand_calcs.py` prints every value.
"""
import math

PA_KPA = 100.0  # atmospheric pressure of the CPT-based methods, kPa


def interp(x, xs, ys):
    """Piecewise-linear reading of a tabulated curve, clamped at its ends."""
    if x <= xs[0]:
        return ys[0]
    for i in range(1, len(xs)):
        if x <= xs[i]:
            return ys[i - 1] + (ys[i] - ys[i - 1]) * (x - xs[i - 1]) / (xs[i] - xs[i - 1])
    return ys[-1]


def simpson(f, a, b, n=4000):
    """Composite Simpson rule with n (even) intervals."""
    h = (b - a) / n
    total = f(a) + f(b)
    for i in range(1, n):
        total += (4 if i % 2 else 2) * f(a + i * h)
    return total * h / 3.0


# --------------------------------------------------------------------------------------------
# CAUL Example 6.1: the published alpha = 0.95 (su 40 kPa, L/D 8) on a 0.5 m x 4 m pile chosen here,
# with the source's rule that the top 1.5 diameters of the shaft carry no friction. SI units.
# --------------------------------------------------------------------------------------------
def caul_example_6_1():
    d, length, alpha, su = 0.5, 4.0, 0.95, 40.0
    return {"caul.shaft": alpha * su * math.pi * d * (length - 1.5 * d)}


# --------------------------------------------------------------------------------------------
# The API RP 2GEO axial-capacity tutorial of groundhog: 2.48 m x 50 mm open pipe at 30 m, 1 m
# elements with the values at their mid-points; sand 0 to 10 m (beta 0.37, gamma' 10 kN/m3), clay
# 10 to 40 m (su 150 to 200 kPa, gamma' 8 kN/m3), alpha from su / sigma'v, 9 su at the base.
# These sums reproduce the tutorial's printed results, which confirms the reading of its problem.
# --------------------------------------------------------------------------------------------
def groundhog_tutorial():
    d, di, penetration = 2.48, 2.38, 30

    def su(z):
        return 150.0 + 50.0 * (z - 10.0) / 30.0

    def stress(z):
        return 10.0 * z if z <= 10.0 else 100.0 + 8.0 * (z - 10.0)

    def unit_friction(z):
        if z <= 10.0:
            return 0.37 * stress(z)
        psi = su(z) / stress(z)
        alpha = 0.5 * psi ** -0.5 if psi <= 1.0 else 0.5 * psi ** -0.25
        return min(alpha, 1.0) * su(z)

    friction = sum(unit_friction(i + 0.5) for i in range(penetration))
    base = 9.0 * su(penetration - 0.5)
    outside = friction * math.pi * d
    plugged = base * math.pi / 4.0 * d * d
    return {
        "tutorial.outside_shaft": outside, "tutorial.plugged_base": plugged,
        "tutorial.coring_shaft": friction * math.pi * (d + di),
        "tutorial.coring_base": base * math.pi / 4.0 * (d * d - di * di),
        "tutorial.total": outside + plugged,
    }


# --------------------------------------------------------------------------------------------
# FHWA NHI Student Exercise 2: Nordlund side resistance in the sand, Thurman toe with its limit.
# English units: ft, kips, ksf. The chart readings (delta/phi, C-F, K-delta at the tabulated
# volumes, alpha-t, N'q and the limiting toe resistance) are the values VORTA's digitised charts
# hold: with them this part checks the steps and the arithmetic, not the chart readings.
# --------------------------------------------------------------------------------------------
FHWA_PHI = 35
FHWA_SAND_THICKNESS = 20.0                # 46 ft to the toe at 66 ft below the original grade


# K-delta of a non-tapered pile (omega 0) at the chart volumes 0.1, 1.0 and 10 ft3/ft, by phi
K_DELTA_OMEGA_0 = {25: (0.70, 0.85, 1.00), 30: (0.85, 1.15, 1.45),
                   35: (1.15, 1.75, 2.35), 40: (1.70, 3.00, 4.30)}


def nordlund_readings(volume, phi=FHWA_PHI):
    """delta/phi of a pipe pile, C-F and K-delta (omega 0) read log-linearly and linearly in V,
    for phi between 34 and 38 degrees."""
    ratio = interp(volume, [0.3, 0.4, 0.52, 0.6, 0.8, 1.0],
                   [0.342, 0.410, 0.476, 0.516, 0.593, 0.652])
    # C-F at phi 34 and 38 on the curves delta/phi = 0.2, 0.4, 0.6 and 0.8
    curves = [interp(phi, [34.0, 38.0], pair) for pair in
              ([0.50, 0.42], [0.63, 0.56], [0.77, 0.72], [0.92, 0.90])]
    cf = interp(ratio, [0.2, 0.4, 0.6, 0.8], curves)
    # K-delta between the tabulated volumes 0.1 and 1.0 ft3/ft (omega 0)
    k_01, k_10, _ = K_DELTA_OMEGA_0[phi]
    k_log = k_01 + (k_10 - k_01) * math.log10(volume / 0.1)
    k_lin = k_01 + (k_10 - k_01) * (volume - 0.1) / 0.9
    return ratio, cf, k_log, k_lin


def nordlund_unit_friction(k_delta, cf, ratio, stress, phi=FHWA_PHI):
    return k_delta * cf * stress * math.sin(math.radians(ratio * phi))


def fhwa_exercise_2():
    # The exercise's own pile and stresses: shaft area 3.38 ft2/ft, toe area and displaced volume
    # 0.89, effective stress from the original grade 3.73 ksf at mid-sand and 4.31 ksf at the toe.
    shaft_area, toe_area, volume = 3.38, 0.89, 0.89
    stress_mid, stress_toe = 3.73, 4.31
    ratio, cf, k_log, k_lin = nordlund_readings(volume)
    side = nordlund_unit_friction(k_log, cf, ratio, stress_mid) * shaft_area * FHWA_SAND_THICKNESS

    # The same stresses from the unit weights: 127 pcf above the water at 3 ft, 64.6 pcf
    # submerged clay to 46 ft, 57.6 pcf submerged sand.
    stress_top = (3.0 * 127.0 + 43.0 * (127.0 - 62.4)) / 1000.0
    stress_toe_weights = stress_top + FHWA_SAND_THICKNESS * (120.0 - 62.4) / 1000.0

    # The sand as VORTA states the pile (a 12.75 in pipe: shaft area pi D, volume pi/4 D^2) with
    # the stresses from the unit weights and K-delta read linearly in V, VORTA's reading: an
    # arithmetic check of VORTA's sand rows.
    d = 12.75 / 12.0
    v_ratio, v_cf, _, v_k_lin = nordlund_readings(math.pi / 4.0 * d * d)
    side_vorta = (nordlund_unit_friction(v_k_lin, v_cf, v_ratio,
                                         0.5 * (stress_top + stress_toe_weights))
                  * math.pi * d * FHWA_SAND_THICKNESS)

    # Thurman toe: alpha-t 0.66 beyond L/D 45 and N'q 64 at phi 35; the limit 53.8 tsf governs.
    q_toe = 0.66 * 64.0 * stress_toe
    q_limit = 2.0 * 53.8
    toe = min(q_toe, q_limit) * toe_area
    return {
        "fhwa.ratio": ratio, "fhwa.cf": cf, "fhwa.k_log": k_log, "fhwa.k_lin": k_lin,
        "fhwa.stress_mid_weights": 0.5 * (stress_top + stress_toe_weights),
        "fhwa.stress_toe_weights": stress_toe_weights,
        "fhwa.side_sand": side, "fhwa.side_sand_vorta_reading": side_vorta,
        "fhwa.q_toe": q_toe, "fhwa.q_limit": q_limit, "fhwa.toe": toe,
    }


def k_delta_departure():
    """How much lower K-delta read linearly in V is than read log-linearly, at its worst between
    the chart volumes, for each chart (omega 0); and the 203.2 mm pipe of the departures."""
    values = {}
    for phi, ks in K_DELTA_OMEGA_0.items():
        worst, at = 0.0, 0.0
        for v0, v1, k0, k1 in ((0.1, 1.0, ks[0], ks[1]), (1.0, 10.0, ks[1], ks[2])):
            for i in range(1, 1000):
                v = v0 + (v1 - v0) * i / 1000
                lin = k0 + (k1 - k0) * (v - v0) / (v1 - v0)
                log = k0 + (k1 - k0) * math.log10(v / v0)
                if 1.0 - lin / log > worst:
                    worst, at = 1.0 - lin / log, v
        values[f"kdelta.worst.{phi}"] = worst
        values[f"kdelta.worst_volume.{phi}"] = at
    # 203.2 mm closed pipe (V in ft3/ft as m2 / 0.0929), sand phi 35 at sigma'v 90 kPa
    volume = math.pi / 4.0 * 0.2032 ** 2 / 0.0929
    ratio, cf, k_log, _ = nordlund_readings(volume)
    values["kdelta.small_volume"] = volume
    values["kdelta.small_volume_friction"] = nordlund_unit_friction(k_log, cf, ratio, 90.0)
    return values


# --------------------------------------------------------------------------------------------
# USACE EM 1110-2-2906, soft clay profile of Appendix D, short-term (undrained) capacity of the
# timber pile with its tip at el. -40 ft (50 ft below the ground at el. +10). English units.
# --------------------------------------------------------------------------------------------
def usace_timber_pile():
    butt, tip, length = 12.0, 7.0, 50.0   # in, in, ft
    # layers below the ground: (top, bottom) in ft and cohesion c in ksf
    layers = [(0.0, 10.0, 0.400), (10.0, 25.0, 0.600), (25.0, 30.0, 0.650),
              (30.0, 40.0, 0.800), (40.0, 50.0, 0.900)]

    def alpha(c):
        # adhesion factor against undrained strength as VORTA digitises the manual's chart (the
        # chart itself was not at hand): 1 up to 0.5 ksf, then linearly down to 0.5 at 1.5 ksf
        if c <= 0.5:
            return 1.0
        if c <= 1.5:
            return 1.0 - 0.5 * (c - 0.5)
        return 0.5

    def diameter_at(z):
        return (butt - (butt - tip) * z / length) / 12.0  # ft

    side_tapered = 0.0
    side_butt = 0.0
    for top, bottom, c in layers:
        f = alpha(c) * c
        # the diameter varies linearly, so the mid-depth perimeter gives the layer's shaft area
        side_tapered += f * math.pi * diameter_at(0.5 * (top + bottom)) * (bottom - top)
        side_butt += f * math.pi * (butt / 12.0) * (bottom - top)
    tip_area = math.pi / 4.0 * (tip / 12.0) ** 2
    end = 9.0 * layers[-1][2] * tip_area
    return {
        "usace.side_tapered": side_tapered, "usace.side_butt": side_butt, "usace.tip": end,
        "usace.total_tapered": side_tapered + end, "usace.total_butt": side_butt + end,
        "usace.tip_area": tip_area,
    }


# --------------------------------------------------------------------------------------------
# CPT-based methods: 762 mm x 25.4 mm open steel pipe, 20 m in a dense sand of effective unit
# weight 10 kN/m3 and uniform qc = 15 MPa from the surface, interface friction angle 30 degrees,
# compression, unplugged. SI units: m, kN, kPa.
# --------------------------------------------------------------------------------------------
CPT_D, CPT_DI, CPT_L, CPT_GAMMA, CPT_QC = 0.762, 0.7112, 20.0, 10.0, 15000.0
CPT_DELTA = math.radians(30.0)


def cpt_qc(z):
    return CPT_QC


def cpt_shaft(unit_friction, length=CPT_L):
    """Shaft capacity: unit friction integrated over the outside of the pile."""
    return math.pi * CPT_D * simpson(unit_friction, 0.0, length)


def ngi_05_friction(z, length=CPT_L):
    # NGI-05 in sand: Dr = 0.4 ln(qc / (22 sqrt(sigma' pa))); tau = pa F_sig F_Dr (z/L) F_tip
    # F_load F_mat with F_Dr = 2.1 (Dr - 0.1)^1.7, F_sig = (sigma'/pa)^0.25, open end F_tip 1.0,
    # compression F_load 1.3, steel F_mat 1.0.
    if z <= 0.0:
        return 0.0
    sigma = CPT_GAMMA * z
    dr = 0.4 * math.log(cpt_qc(z) / (22.0 * math.sqrt(sigma * PA_KPA)))
    f_dr = 2.1 * (dr - 0.1) ** 1.7
    f_sig = (sigma / PA_KPA) ** 0.25
    return PA_KPA * f_sig * f_dr * (z / length) * 1.0 * 1.3 * 1.0


def icp_05_friction(z, length=CPT_L):
    # ICP-05 in sand: sigma'rc = 0.029 qc (sigma'v/pa)^0.13 (h/R*)^-0.38 with h/R* >= 8;
    # dilation 2 G dr / R with dr = 0.02 mm and G = qc / (0.0203 + 0.00125 eta - 1.216e-6 eta^2),
    # eta = qc / sqrt(pa sigma'v); tau = (sigma'rc + dsigma'rd) tan(delta_f). The published
    # denominator falls to zero at eta = 1044 and is negative beyond; as VORTA does, it is held at
    # its value at eta = 1000 for larger eta (a departure from the expression as published).
    if z <= 0.0:
        return 0.0
    r, ri = CPT_D / 2.0, CPT_DI / 2.0
    r_star = math.sqrt(r * r - ri * ri)
    sigma = CPT_GAMMA * z
    qc = cpt_qc(z)
    h_ratio = max((length - z) / r_star, 8.0)
    sigma_rc = 0.029 * qc * (sigma / PA_KPA) ** 0.13 * h_ratio ** -0.38
    eta = min(qc / math.sqrt(PA_KPA * sigma), 1000.0)
    g = qc / (0.0203 + 0.00125 * eta - 1.216e-6 * eta * eta)
    d_sigma_rd = 2.0 * g * 0.02e-3 / r
    return (sigma_rc + d_sigma_rd) * math.tan(CPT_DELTA)


def fugro_05_friction(z, length=CPT_L):
    # Fugro-05 in sand, compression: tau = 0.08 qc (sigma'v/pa)^0.05 (h/R*)^-0.90 for h/R* >= 4,
    # and 0.08 qc (sigma'v/pa)^0.05 4^-0.90 (h / 4R*) nearer the tip.
    if z <= 0.0:
        return 0.0
    r, ri = CPT_D / 2.0, CPT_DI / 2.0
    r_star = math.sqrt(r * r - ri * ri)
    sigma = CPT_GAMMA * z
    ratio = (length - z) / r_star
    base = 0.08 * cpt_qc(z) * (sigma / PA_KPA) ** 0.05
    if ratio >= 4.0:
        return base * ratio ** -0.9
    return base * 4.0 ** -0.9 * (ratio / 4.0)


def uwa_05_area_ratio():
    # effective area ratio 1 - FFR (Di/D)^2 with the filling ratio FFR = min(1, (Di / 1.5 m)^0.2)
    ffr = min(1.0, (CPT_DI / 1.5) ** 0.2)
    return 1.0 - ffr * (CPT_DI / CPT_D) ** 2, ffr


def uwa_05_friction(z, length=CPT_L):
    # UWA-05 in sand, compression: sigma'rc = 0.03 qc A_re^0.3 max(h/D, 2)^-0.5; dilation
    # 4 G dr / D with G = 185 qc qc1N^-0.75, qc1N = (qc/pa) / (sigma'v/pa)^0.5, dr = 0.02 mm;
    # tau = (sigma'rc + dsigma'rd) tan(delta_f).
    if z <= 0.0:
        return 0.0
    area_ratio, _ = uwa_05_area_ratio()
    sigma = CPT_GAMMA * z
    qc = cpt_qc(z)
    sigma_rc = 0.03 * qc * area_ratio ** 0.3 * max((length - z) / CPT_D, 2.0) ** -0.5
    qc1n = (qc / PA_KPA) / math.sqrt(sigma / PA_KPA)
    g = 185.0 * qc * qc1n ** -0.75
    d_sigma_rd = 4.0 * g * 0.02e-3 / CPT_D
    return (sigma_rc + d_sigma_rd) * math.tan(CPT_DELTA)


def cpt_sand_open_pipe():
    annulus = math.pi / 4.0 * (CPT_D ** 2 - CPT_DI ** 2)
    # ICP-05 unplugged: qc averaged over 1.5 D above and below the tip, on the steel annulus
    qc_avg = simpson(cpt_qc, CPT_L - 1.5 * CPT_D, CPT_L + 1.5 * CPT_D) / (3.0 * CPT_D)
    area_ratio, ffr = uwa_05_area_ratio()
    z10 = 10.0
    sigma10 = CPT_GAMMA * z10
    values = {
        "cpt.annulus": annulus, "cpt.qc_avg": qc_avg,
        "cpt.r_star": math.sqrt((CPT_D / 2) ** 2 - (CPT_DI / 2) ** 2),
        "cpt.uwa_area_ratio": area_ratio, "cpt.uwa_ffr": ffr,
        "cpt.ngi_dr": 0.4 * math.log(cpt_qc(z10) / (22.0 * math.sqrt(sigma10 * PA_KPA))),
        "cpt.ngi_tau10": ngi_05_friction(z10), "cpt.icp_tau10": icp_05_friction(z10),
        "cpt.fugro_tau10": fugro_05_friction(z10), "cpt.uwa_tau10": uwa_05_friction(z10),
        "cpt.ngi_shaft": cpt_shaft(ngi_05_friction),
        "cpt.icp_shaft": cpt_shaft(icp_05_friction),
        "cpt.icp_shaft_10m": cpt_shaft(lambda z: icp_05_friction(z, 10.0), 10.0),
        "cpt.fugro_shaft": cpt_shaft(fugro_05_friction),
        "cpt.uwa_shaft": cpt_shaft(uwa_05_friction),
        "cpt.icp_base": qc_avg * annulus,
        "cpt.icp_total": cpt_shaft(icp_05_friction) + qc_avg * annulus,
    }
    # near the surface eta passes 1000: ICP-05 at the first rows of the pile
    for z in (0.1, 0.2, 0.3):
        values[f"cpt.icp_eta.{z}"] = CPT_QC / math.sqrt(PA_KPA * CPT_GAMMA * z)
        values[f"cpt.icp_tau.{z}"] = icp_05_friction(z)
    return values


# --------------------------------------------------------------------------------------------
# Load-settlement curve by the t-z method: 610 mm closed steel pipe (steel area 0.035273 m2,
# E = 2.1e8 kPa), 20 m in clay of su 60 kPa and effective unit weight 8 kN/m3. API RP 2A unit
# friction (alpha from su/sigma'v), API clay t-z curve (peak at 0.01 D, residual 0.9) and API
# Q-z curve (9 su on the full tip). SI units: m, kN, kPa.
# --------------------------------------------------------------------------------------------
TZ_D, TZ_L, TZ_SU, TZ_GAMMA, TZ_AE = 0.61, 20.0, 60.0, 8.0, 0.035273 * 2.1e8
TZ_TIP_MOVEMENTS_IN = [0.0001, 0.001, 0.005, 0.01, 0.02, 0.05, 0.08, 0.1, 0.2, 0.5, 0.8, 1.0, 2.0]


def api_clay_unit_friction(z):
    psi = TZ_SU / max(TZ_GAMMA * z, 1e-10)
    alpha = 0.5 * psi ** -0.5 if psi <= 1.0 else 0.5 * psi ** -0.25
    return min(alpha, 1.0) * TZ_SU


def api_tz(z, tmax):
    # API RP 2A t-z curve for clay: z/D 0.0016, 0.0031, 0.0057, 0.008, 0.01, 0.02 at t/tmax 0.30,
    # 0.50, 0.75, 0.90, 1.00 and the residual 0.9 from 0.02 D on
    zs = [0.0, 0.0016, 0.0031, 0.0057, 0.008, 0.01, 0.02]
    ts = [0.0, 0.30, 0.50, 0.75, 0.90, 1.00, 0.90]
    return tmax * interp(abs(z) / TZ_D, zs, ts) * (1 if z >= 0 else -1)


def api_qz(w, qp):
    # API RP 2A Q-z curve: z/D 0.002, 0.013, 0.042, 0.073, 0.10 at Q/Qp 0.25, 0.50, 0.75, 0.90, 1.0
    return qp * interp(w / TZ_D, [0.0, 0.002, 0.013, 0.042, 0.073, 0.10],
                       [0.0, 0.25, 0.50, 0.75, 0.90, 1.00])


def tz_load_settlement(elements=400):
    qp = 9.0 * TZ_SU * math.pi / 4.0 * TZ_D ** 2
    h = TZ_L / elements
    shaft_area = math.pi * TZ_D * h
    tmax = [api_clay_unit_friction((TZ_L - (m + 0.5) * h)) for m in range(elements)]
    curve = []
    for w_in in TZ_TIP_MOVEMENTS_IN:
        w = w_in / 39.37
        q_tip = api_qz(w, qp)
        load, movement = q_tip, w
        # march from the tip to the head; each element's mid-point movement is iterated until
        # the element's load transfer and elastic shortening agree
        for m in range(elements):
            mid = movement
            for _ in range(200):
                transfer = api_tz(mid, tmax[m]) * shaft_area
                new_mid = movement + 0.5 * h * (load + 0.25 * transfer) / TZ_AE
                if abs(new_mid - mid) < 1e-12:
                    break
                mid = new_mid
            transfer = api_tz(mid, tmax[m]) * shaft_area
            movement += h * (load + 0.5 * transfer) / TZ_AE
            load += transfer
        curve.append((load, movement, q_tip, w))
    values = {"tz.qp": qp}
    for i, (top_load, top_move, tip_load, tip_move) in enumerate(curve, start=1):
        values[f"tz.top_load.{i}"] = top_load
        values[f"tz.top_movement.{i}"] = top_move
        values[f"tz.tip_load.{i}"] = tip_load
    values["tz.shaft_capacity"] = math.pi * TZ_D * simpson(api_clay_unit_friction, 0.0, TZ_L)
    return values


def all_values():
    values = {}
    for work in (caul_example_6_1, groundhog_tutorial, fhwa_exercise_2, k_delta_departure,
                 usace_timber_pile, cpt_sand_open_pipe, tz_load_settlement):
        values.update(work())
    return values


if __name__ == "__main__":
    for key, value in all_values().items():
        print(f"{key:28s} {value:14.6g}")
