#!/usr/bin/env python3
"""Writes a telemetry data file as the recorder would after a year of polls, one a minute.

The values drift the way a tube ages (the electron multiplier voltage climbs, the ion pump
current creeps up), with a daily temperature swing, a warm-up after each restart (which repeats
the header line), a few minor and major faults, two pauses with the station off and one torn
last line.

    bench/trends_make_year.py OUT [--records 525600] [--unit 5] [--interval 60]
"""

import argparse
import math
import random
import time

HEADER = (
    "MJD, Month, Day, Year, Hour, Minute, Second, ID, MODE, ALARM, ALRM1, ALRM2, ALRM3, ALRM4, "
    "ALRM5, STDDEV, CRAM_ERR, CRAB_ERR, CLVL, V_VCXO, ZRAM_ERR, ZRAB_ERR, ZLVL, V_CFLD, I_CFLD, "
    "V_uW, DC_LVL, DAC_GN, NUM_GN, T_CHASIS, V_CS, OSC_STAT, V_EM, I_IP, V_MS, V_ION, NOM_MS, "
    "NOM_ION, NOM_ZRAB, OCXO_TAU, FREQTUNE, AUX_FREQ, POS24V, POS5V, POS15V, NEG15V, VERSION, "
    "CBT_D, CBT_T, OCXO_D, OCXO_T\r\n"
)

# The recorder's pieces, joined.
LINE = (
    "%.6f,"
    "%02d,%02d,%4d,%02d,%02d,%02d,"
    "%d,%3s,%2u,%2x,%2x,%2x,%2x,%2x,"
    "%d,%d,%d,%d,%d,"
    "%d,%d,%d,%d,%.3f,"
    "%d,%d,%.2f,%.3f,%.3f,"
    "%.3f,"
    "%s,"
    "%.3f,%d,%.3f,"
    "%.3f,%.3f,%.3f,%d,%.3f,"
    "%d,%.3f,%.3f,%.3f,%.3f,"
    "%.3f,%c %d,"
    "%d,%d,%d,%d\r\n"
)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--records", type=int, default=525600)
    parser.add_argument("--unit", type=int, default=5)
    parser.add_argument("--interval", type=int, default=60)
    parser.add_argument("--start", type=int, default=1704067200)  # 2024-01-01 00:00 UTC
    args = parser.parse_args()

    rng = random.Random(8)
    n = args.records
    restarts = {n // 3, (2 * n) // 3}
    pauses = {n // 5: 6 * 3600, (4 * n) // 5: 2 * 86400}
    faults = {}
    for _ in range(6):
        at = rng.randrange(n)
        faults[at] = (rng.choice((10, 10, 11)), rng.randrange(5, 120))
    t = args.start
    warm = 90
    fault_left, fault_code = 0, 0
    counters = [104000000, 98000000, 51000000, 47000000]
    with open(args.out, "w", newline="") as out:
        out.write(HEADER)
        for i in range(n):
            if i in pauses:
                t += pauses[i]
            if i in restarts:
                out.write(HEADER)
                warm = 90
            if i in faults:
                fault_code, fault_left = faults[i]
            alarm = 0
            if warm > 0:
                alarm, warm = 1, warm - 1
            elif fault_left > 0:
                alarm, fault_left = fault_code, fault_left - 1
            year_frac = i / max(n - 1, 1)
            day = 2 * math.pi * (t % 86400) / 86400
            local = time.localtime(t)
            v_em = 1450.0 + 180.0 * year_frac + rng.gauss(0, 0.8)
            i_ip = 12 + int(8 * year_frac + rng.random() * 2)
            if alarm == 11:
                v_em += 60.0
            counters = [c + rng.randrange(3) for c in counters]
            out.write(
                LINE
                % (
                    t / 86400.0 + 40587.0,
                    local.tm_mon, local.tm_mday, local.tm_year,
                    local.tm_hour, local.tm_min, local.tm_sec,
                    args.unit, "R+Z", alarm,
                    0x80 if alarm >= 10 else 0, 0, 0x0A if alarm == 11 else 0, 0, 0,
                    int(20 + rng.gauss(0, 4)), rng.randrange(-40, 40), rng.randrange(-40, 40),
                    2100 + rng.randrange(-9, 9), int(2048 + 300 * year_frac + rng.gauss(0, 3)),
                    rng.randrange(-30, 30), rng.randrange(-30, 30), 1800 + rng.randrange(-9, 9),
                    3100 + rng.randrange(-5, 5), 4.125 + rng.gauss(0, 0.002),
                    2500 + rng.randrange(-20, 20), 1200 + rng.randrange(-10, 10), 2.0,
                    0.625 + rng.gauss(0, 0.001), 38.5 + 1.5 * math.sin(day) + rng.gauss(0, 0.05),
                    72.0 + 0.6 * math.sin(day) + rng.gauss(0, 0.02),
                    "Ready" if warm == 0 else "Cold",
                    v_em, i_ip, 1.95 + rng.gauss(0, 0.004),
                    2.45 + rng.gauss(0, 0.004), 1.95, 2.45, 2800, 12.5,
                    rng.randrange(-500, 500), 10.0, 24.1 + rng.gauss(0, 0.01),
                    5.02 + rng.gauss(0, 0.003), 15.05 + rng.gauss(0, 0.005),
                    -15.03 + rng.gauss(0, 0.005), "B", 12,
                    counters[0], counters[1], counters[2], counters[3],
                )
            )
            t += args.interval
        # The recorder was stopped in the middle of a record.
        out.write("%.6f,%02d,%02d,2025," % (t / 86400.0 + 40587.0, 1, 1))


if __name__ == "__main__":
    main()
