#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Every seed is made here by hand: statistics lines, statistics files and game
logs in the formats the program reads, and inputs for the number checks.
Run it again after changing it; it rewrites the seed files it owns.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def crlf(lines):
    return "".join(line + "\r\n" for line in lines)


def block(name, gauntlet=4, weapons=None, given=1530, received=1720, kills=(7, 9, 1, 6), games=2):
    weapons = weapons or {}
    lines = ["console: Stats for: " + name, "console: Gauntlet:   %d" % gauntlet]
    for prefix, key in [("console: Machinegun:   ", "mg"), ("console: Shotgun:   ", "sg"),
                        ("console: Grenade L:   ", "gl"), ("console: Rocket L:   ", "rl"),
                        ("console: Shaft:   ", "lg"), ("console: Railgun:   ", "rg"),
                        ("console: Plasma gun:   ", "pg"), ("console: BFG:   ", "bfg")]:
        hits, shots = weapons.get(key, (0, 0))
        if shots >= 1:
            lines.append(prefix + "%d/%d     %d%%" % (hits, shots, round(hits / shots * 100)))
        elif key == "mg":
            lines.append(prefix + "%d/%d     0%%" % (hits, shots))
        else:
            lines.append(prefix + "0/0     0%")
    lines += ["console: Dmggiven: %d" % given, "console: Dmgrecvd: %d" % received,
              "console: Kills: %d     Deaths: %d     Suicides: %d     Frags: %d" % kills]
    if games is not None:
        lines.append("console: games played: %d" % games)
    lines.append("console:  ")
    return lines


ZED = block("Zed", weapons={"mg": (120, 480), "sg": (1, 8), "rl": (3, 8), "rg": (9, 40)})

# ---------------------------------------------------------------- stats_line
line_seeds = {
    "gauntlet": "console: Gauntlet:   4",
    "gauntlet_21_chars": "console: Gauntlet:   ",
    "gauntlet_20_chars": "console: Gauntlet:  ",
    "machinegun": "console: Machinegun:   12/30     40%",
    "machinegun_one_blank": "console: Machinegun: 12/30     40%",
    "machinegun_no_blank_after_shots": "console: Machinegun:   12/30",
    "shotgun_zero_form": "console: Shotgun:   0/0     0%",
    "grenade_fraction": "console: Grenade L:   2.5/7.5     33%",
    "rocket_negative": "console: Rocket L:   -3/8     -38%",
    "shaft_exponent": "console: Shaft:   1e3/2E+3     50%",
    "railgun_letters": "console: Railgun:   abc/def     0%",
    "plasma_blanks": "console: Plasma gun:   1 2/3 4     35%",
    "bfg_no_slash": "console: BFG:   5",
    "dmggiven": "console: Dmggiven: 1530",
    "dmggiven_bare_prefix": "console: Dmggiven:",
    "dmgrecvd_tab": "console: Dmgrecvd: \t1720",
    "kills": "console: Kills: 7     Deaths: 9     Suicides: 1     Frags: 6",
    "kills_other_words": "console: Kills: 7     Dxxxxx: 9     Sxxxxxxx: 1     Fxxxx: 6",
    "kills_extra_blank": "console: Kills:  7     Deaths: 9     Suicides: 1     Frags: 6",
    "kills_cut_after_deaths": "console: Kills: 7     Deaths: 9",
    "games": "console: games played: 7",
    "games_bare_prefix": "console: games played:",
    "terminator": "console:  ",
    "header": "console: Stats for: Zed",
    "wrong_case": "console: machinegun:   12/30     40%",
    "overflow": "console: Dmggiven: 9999999999",
    "huge_number": "console: Gauntlet:   1e400",
}
for i, (name, line) in enumerate(sorted(line_seeds.items())):
    write("stats_line", name, bytes([i % 5]) + line.encode("latin-1"))
write("stats_line", "slot_outside", b"\xfc" + b"console: Gauntlet:   4")
write("stats_line", "near_maximum", b"\x02" + b"console: Kills: 47     Deaths: 47     Suicides: 47     Frags: 48")

# ---------------------------------------------------------------- stats_file
write("stats_file", "one_block", crlf(ZED))
write("stats_file", "empty", "")
write("stats_file", "three_players", crlf(ZED + block("Ann", games=5) + block("Bob", kills=(0, 3, 2, -2), games=1)))
write("stats_file", "machinegun_hits_without_shots",
      crlf(block("Mo", weapons={"mg": (3, 0)}) + ["console: Stats for: Lu", "console: Shotgun:   2/0     0%",
                                                   "console:  "]))
write("stats_file", "same_name_twice", crlf(block("Ann", games=2) + block("Ann", games=3)))
write("stats_file", "malformed_line_in_the_middle",
      crlf(block("Ann") + ["console: Stats for: Bob", "console: Gauntlet:   1", "console: Shotgun:   5",
                           "console: games played: 1", "console:  "] + block("Cy")))
write("stats_file", "header_without_name", crlf(["console: Stats for:", "console:  "]))
write("stats_file", "empty_name_and_noise", crlf(["noise before", "console: Stats for: ", "console: Gauntlet:   1",
                                                  "console:  ", "console: Stats for", "between"]))
write("stats_file", "last_block_cut_off", crlf(ZED)[:-40])
write("stats_file", "lf_only_and_cr", "\n".join(ZED).replace("Zed", "Z\red") + "\n")
write("stats_file", "block_without_games_line", crlf([l for l in ZED if "games" not in l]))
write("stats_file", "extremes", crlf(block("Max", gauntlet=2147483647, given=-2147483648, received=2147483647,
                                           kills=(2147483647, -2147483648, 0, -1), games=2147483647,
                                           weapons={"mg": (-5, -7), "pg": (2147483647, 1)})))
write("stats_file", "nul_and_high_bytes", crlf(["console: Stats for: \x00A\xff\xe9", "console: Gauntlet:   1\x002",
                                                "console:  "]))

# ---------------------------------------------------------------- log_import
S1 = "--- Fs_startup : Mon Jan 01 10:00:00 2024"
S2 = "--- Fs_startup : Tue Jan 02 10:00:00 2024"
match = ["------- Game Initialization -------", "gamename: krm", "console: Fraglimit hit.", "console: "]
game_ann = block("Ann", games=None)
game_bob = block("Bob", weapons={"pg": (30, 120)}, kills=(3, 4, 0, 3), games=None)
write("log_import", "new_start_two_blocks", b"\x00" + crlf([S2] + match + game_ann + match + game_bob).encode())
write("log_import", "already_imported", b"\x07" + crlf([S2] + match + game_ann).encode())
write("log_import", "no_startup_line", b"\x00" + crlf(match + game_bob).encode())
write("log_import", "marker_later_in_log", b"\x00" + crlf([S2] + game_ann + [S1] + game_bob).encode())
write("log_import", "block_cut_off", b"\x00" + crlf([S2] + game_ann)[:-60].encode())
write("log_import", "header_without_name", b"\x00" + crlf([S2, "console: Stats for:"]).encode())
write("log_import", "empty_name_overflows_games",
      b"\x00" + crlf([S2, "console: Stats for: ", "console:  ", "console: Stats for: ", "console:  "]).encode())
write("log_import", "marker_is_terminator", b"\x02" + crlf([S2] + game_ann + ["console:  "] + game_bob).encode())
write("log_import", "empty", b"\x01")
write("log_import", "cr_only_lines", b"\x00" + b"\r\r\r\n\r\n" + crlf([S2] + game_ann).encode() + b"\r\r\r")
# Byte 0: the marker (low three bits) and the count of its session the
# settings remember (the next three bits: unknown, 0, 1, 2, 3, 10, ...).
write("log_import", "appended_counted_one", bytes([0 + 8 * 2]) + crlf([S1] + game_ann + [S2] + game_ann + game_bob).encode())
write("log_import", "appended_marker_session_grew", bytes([7 + 8 * 2]) + crlf([S1] + game_bob + [S2] + game_ann + match + game_bob).encode())
write("log_import", "marker_twice_outside", bytes([0 + 8 * 1]) + crlf([S1] + game_ann + [S1] + game_bob).encode())
write("log_import", "marker_inside_cut_block", bytes([0 + 8 * 1]) + crlf(["console: Stats for: Cy", S1] + game_bob).encode())
write("log_import", "marker_ends_in_cr", bytes([5]) + b"\r\r\n" + crlf(game_ann).encode() + b"\r\n\r")
write("log_import", "accuracy_too_high",
      b"\x00" + crlf([S2, "console: Stats for: Ann", "console: Shaft:   400/1     40000%", "console:  "]).encode())

# ---------------------------------------------------------------- import_history
# Each byte is a choice: 0 a game start, 1-3 a match, 4-6 an import, 7 a
# close, 8 a kill while idle, 9 chatter (modulo 10), then that step's details.
import random
rng = random.Random(7)
write("import_history", "matches_and_imports", bytes([1, 0, 1, 2, 4, 0, 1, 3, 4, 1, 5, 0, 4, 2]))
write("import_history", "appending_starts", bytes([0, 1, 1, 4, 0, 0, 1, 2, 4, 1, 0, 1, 1, 4, 2]))
write("import_history", "kill_between_renames", bytes([1, 0, 4, 0, 1, 1, 3, 4, 0, 1, 1, 4, 1, 1, 1]))
write("import_history", "close_killed", bytes([1, 2, 4, 1, 1, 1, 7, 0, 3, 1, 0, 4, 1, 7, 1, 0]))
for i in range(4):
    write("import_history", "random_%d" % i, bytes(rng.randrange(256) for _ in range(120)))

# ---------------------------------------------------------------- numbers
for i, text in enumerate(["45%", "100%", "0%", " 1 2 3 ", "-.5", "1.2.3", "1e3", "1e", "\t-\n7", "1e400",
                          "9007199254740993", "0.000000000000000000001e-300", "+", "abc", "2.5e-324",
                          "1" * 400, "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207096330286416692887910946555547851940402630657488671505820681908902000708383676273854845817711531764475730270069855571366959622842914819860834936475292719074168444365510704342711559699508093042880177904174497791.9999"]):
    write("numbers", "read_%02d" % i, bytes([0]) + text.encode())
for i, value in enumerate([3.25, 162.5, -2.3333333333333335, -200.0, 0.5, -0.5, 5e-05, 1e15, 999999999999999.4,
                           999999999999999.6, 0.0001, 0.00009999999999999999, 1 / 3, 1e-320, 1.7976931348623157e308,
                           -0.0, 20.0, 123456789012345.6]):
    write("numbers", "format_%02d" % i, bytes([1]) + struct.pack("<d", value) + struct.pack("<ii", 10, 3))
write("numbers", "format_not_finite", bytes([1]) + struct.pack("<d", float("inf")) + struct.pack("<ii", 1, 20000))


def report(sep, players, picks, captions):
    data = bytes([2, sep])
    for p in players:
        data += struct.pack("<iiiii", *p)
    for pick, name, caps in zip(picks, ["Alpha", "Bravo"], captions):
        data += bytes([pick]) + name.encode() + b"\xff"
        for c in caps:
            data += b"\x00" + c.encode() + b"\xff"
    return data


alpha_bravo = [(31, 18, 5400, 4750, 4), (10, 17, 2000, 2600, 3)]
write("numbers", "report_example", report(1, alpha_bravo, [0, 1],
                                          [["45%", "30%", "0%", "12%", "25%", "50%", "0%", "0%"],
                                           ["60%", "0%", "0%", "35%", "0%", "41%", "0%", "0%"]]))
write("numbers", "report_same_player", report(0, alpha_bravo, [0, 0], [["100%"] * 8, ["100%"] * 8]))
write("numbers", "report_zero_games", report(0, [(1, 0, 0, 0, 0), (1, 0, 0, 0, 20000)], [1, 1],
                                             [["0%"] * 8, ["x"] * 8]))
write("numbers", "report_no_selection", report(0, alpha_bravo, [8, 0], [["0%"] * 8, ["0%"] * 8]))
write("numbers", "report_difference_overflow", report(0, [(2147483647, -1, 0, 0, 1), (0, 0, 0, 0, 1)], [0, 1],
                                                      [["0%"] * 8, ["0%"] * 8]))

# ---------------------------------------------------------------- report
# Player names (one a line), an empty line, then journal sessions.
write("report", "hostile_names",
      b"<script>alert(1)</script>\n\"><img src=x onerror=alert(1)>\n</svg></table>\n=1+2\n"
      b"a;b,c\"d\n\xff\xfe\xcf\xf0\xe8\n\x01\x1b[31m\r\n\n2026-12-01 20:00:00\nraw <b>text</b>\n"
      b"2026-12-01<i>\n")
write("report", "repeated_names", b"same\nsame\n\xc3\n\xc3\x28\n@x\n-1\n+1\n\n")
