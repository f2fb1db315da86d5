#!/usr/bin/env python3
"""Writes the seed corpora under tests/fuzz/corpus/.

    tests/fuzz/make_seeds.py [GUEST_DIR]

GUEST_DIR holds the built end-to-end guests (build/tests/e2e/guests by
default); they become the program seeds, some with parameters. The CPU and
OS-call seeds are made here. Run again after adding guests or calls, and
commit the result.
"""
import os
import random
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def program_seeds(guest_dir):
    params = {
        "args": [["foo", "bar"], ["a b", "c"], ["x", "", "y"]],
        "faults": [[c] for c in "izcvpaftrw"],
        "exitcode": [["3"], ["p0"]],
        "files": [["my file.txt"]],
        "romcheck": [["one", "two words"]],
    }
    for entry in sorted(os.listdir(guest_dir)):
        if not entry.endswith(".tos"):
            continue
        stem = entry[:-4]
        with open(os.path.join(guest_dir, entry), "rb") as f:
            program = f.read()
        write("program", stem, program)
        for i, args in enumerate(params.get(stem, [])):
            write("program", f"{stem}.{i}", program + b"#ARGS#" + "\n".join(args).encode())


def cpu_seed(rng, words, a0=None, sr=0x2700, pc=0x1000, data=b"", later=False):
    regs = [rng.getrandbits(32) for _ in range(16)]
    regs[8] = a0 if a0 is not None else 0x4000 + rng.randrange(0, 0x100) * 2
    regs[15] = 0x8000
    out = struct.pack(">16I", *regs)
    out += struct.pack(">HII", sr, 0x7000, pc)
    out += bytes([0x81 if later else 0x00, len(words) - 1 if len(words) <= 4 else 3])
    code = list(words)[:8] + [0x4E71] * (8 - len(words))
    out += struct.pack(">8H", *code)
    out += data or bytes(rng.getrandbits(8) for _ in range(16))
    return out


def cpu_seeds():
    rng = random.Random(1)
    cases = {
        "move_l_postinc": [0x2018],            # move.l (a0)+,d0
        "move_w_index": [0x3030, 0x1804],      # move.w 4(a0,d1.l),d0
        "movem_save": [0x48E7, 0xFFFE],        # movem.l d0-d7/a0-a6,-(sp)
        "movem_load": [0x4CD8, 0x7FFF],        # movem.l (a0)+,d0-a6
        "add_l": [0xD081],                     # add.l d1,d0
        "addx_predec": [0xD108],               # addx.b -(a0),-(a0)
        "sub_imm": [0x0480, 0x1234, 0x5678],   # subi.l #...,d0
        "divs": [0x81C1],                      # divs.w d1,d0
        "divu_zero": [0x80FC, 0x0000],         # divu.w #0,d0
        "muls": [0xC1C1],                      # muls.w d1,d0
        "abcd": [0xC101],                      # abcd d1,d0
        "sbcd_mem": [0x8109],                  # sbcd -(a1),-(a0)
        "nbcd": [0x4800],                      # nbcd d0
        "asl_reg": [0xE3A0],                   # asl.l d1,d0
        "roxr_mem": [0xE4D0],                  # roxr.w (a0)
        "bchg_dyn": [0x0350],                  # bchg d1,(a0)
        "bset_imm": [0x08C0, 0x001F],          # bset #31,d0
        "cmpm": [0xB109],                      # cmpm.b (a1)+,(a0)+
        "chk": [0x4181],                       # chk.w d1,d0
        "trap1": [0x4E41],                     # trap #1
        "trapv": [0x4E76],                     # trapv
        "rte": [0x4E73],                       # rte
        "rtr": [0x4E77],                       # rtr
        "stop": [0x4E72, 0x2000],              # stop #$2000
        "illegal": [0x4AFC],                   # illegal
        "line_a": [0xA000],
        "line_f": [0xF000],
        "link_unlk": [0x4E56, 0xFFF0, 0x4E5E],  # link a6,#-16; unlk a6
        "move_to_sr": [0x46C0],                # move.w d0,sr
        "move_usp": [0x4E68],                  # move usp,a0
        "movep": [0x0188, 0x0010],             # movep.w d0,16(a0)
        "dbra_loop": [0x51C8, 0xFFFE],         # dbra d0,*
        "bsr_jsr": [0x6100, 0x0004, 0x4E90],   # bsr; jsr (a0)
        "jmp_odd": [0x4EF9, 0x0000, 0x1001],   # jmp $1001
        "tas": [0x4AD0],                       # tas (a0)
        "exg_swap": [0xC141, 0x4840],          # exg d0,d1; swap d0
        "lea_pea": [0x41F0, 0x1800, 0x4850],   # lea 0(a0,d1.l),a0; pea (a0)
        "scc_ext": [0x57C0, 0x4880],           # seq d0; ext.w d0
        "neg_not": [0x4480, 0x4680],           # neg.l d0; not.l d0
        "clr_tst": [0x4290, 0x4A90],           # clr.l (a0); tst.l (a0)
    }
    for name, words in cases.items():
        write("cpu", name, cpu_seed(rng, words))
    # Operands at the top of RAM, in the I/O region and across the wrap.
    write("cpu", "top_of_ram", cpu_seed(rng, [0x2010], a0=0xFF7FFE))
    write("cpu", "io_read", cpu_seed(rng, [0x2010], a0=0xFF8800))
    write("cpu", "io_write", cpu_seed(rng, [0x2080], a0=0xFFFA00))
    write("cpu", "wrap", cpu_seed(rng, [0x2010], a0=0xFFFFFE))
    write("cpu", "odd_word", cpu_seed(rng, [0x3010], a0=0x4001))
    write("cpu", "user_mode", cpu_seed(rng, [0x46C0, 0x4E72, 0x2700], sr=0x0000))
    write("cpu", "trace", cpu_seed(rng, [0x4E71, 0x4E71], sr=0xA700))
    write("cpu", "pc_at_top", cpu_seed(rng, [0x4E71, 0x4E71], pc=0xFF7FFE))
    # A later model's extras, through the same decoder.
    write("cpu", "later_rtd", cpu_seed(rng, [0x4E74, 0x0008], later=True))
    write("cpu", "later_movec", cpu_seed(rng, [0x4E7B, 0x0801], later=True))


DATA_LOW = 0x010000
DATA_TOP = 0xFFFF00


def oscall_input(data, calls):
    out = struct.pack(">H", len(data)) + data
    for selector, block in calls:
        out += bytes([selector, len(block)]) + block
    return out


def gemdos(number, fmt="", *values, top=False):
    return (4 if top else 0, struct.pack(">H" + fmt.lstrip(">"), number, *values))


def oscall_seeds():
    names = b"A.TXT\0SUB\\B.DAT\0\\..\\..\\escape\0C:\\X\\..\\Y\0" + b"payload " * 8
    name_a = DATA_LOW
    name_b = DATA_LOW + 6
    name_up = DATA_LOW + 16
    name_drive = DATA_LOW + 30
    payload = DATA_LOW + 40
    top = DATA_TOP + 40
    seeds = {
        "file_round_trip": [
            gemdos(0x3C, ">IH", name_a, 0),             # Fcreate
            gemdos(0x40, ">HiI", 16, 64, payload),      # Fwrite
            gemdos(0x42, ">iHH", 0, 16, 0),             # Fseek
            gemdos(0x3F, ">HiI", 16, 64, top),          # Fread to the top
            gemdos(0x3E, ">H", 16),                     # Fclose
        ],
        "open_modes": [
            gemdos(0x3C, ">IH", name_a, 0),
            gemdos(0x3E, ">H", 16),
            gemdos(0x3D, ">IH", name_a, 0),
            gemdos(0x3D, ">IH", name_a, 1),
            gemdos(0x3D, ">IH", name_a, 2),
            gemdos(0x3D, ">IH", name_a, 7),
            gemdos(0x40, ">HiI", 17, 8, payload),
            gemdos(0x3F, ">HiI", 18, 8, payload),
        ],
        "escape_names": [
            gemdos(0x3C, ">IH", name_up, 0),
            gemdos(0x3C, ">IH", name_drive, 0),
            gemdos(0x3D, ">IH", name_b, 0),
            gemdos(0x43, ">IHH", name_up, 0, 0),        # Fattrib
        ],
        "name_at_top": [gemdos(0x3C, ">IH", DATA_TOP + 0xF8, 0)],
        "read_across_top": [
            gemdos(0x3C, ">IH", name_a, 0),
            gemdos(0x40, ">HiI", 16, 512, DATA_TOP),    # wraps to 0
            gemdos(0x42, ">iHH", 0, 16, 0),
            gemdos(0x3F, ">HiI", 16, 512, 0xFFFFC0),
        ],
        "negative_counts": [
            gemdos(0x3C, ">IH", name_a, 0),
            gemdos(0x40, ">HiI", 16, -1, payload),
            gemdos(0x3F, ">HiI", 16, -5, payload),
            gemdos(0x42, ">iHH", -100, 16, 2),
            gemdos(0x42, ">iHH", 1 << 30, 16, 1),
        ],
        "console": [
            gemdos(0x09, ">I", payload),                # Cconws
            gemdos(0x09, ">I", DATA_TOP + 0xF0),
            gemdos(0x40, ">HiI", 1, 16, payload),
            gemdos(0x40, ">HiI", 2, 300, 0xFFFF80),
            gemdos(0x3F, ">HiI", 0, 16, payload),
        ],
        "dta_path": [
            gemdos(0x1A, ">I", 0xFFFFF0),               # Fsetdta
            gemdos(0x2F),                               # Fgetdta
            gemdos(0x47, ">IH", 0xFFFFF8, 0),           # Dgetpath at the top
            gemdos(0x47, ">IH", payload, 3),
            gemdos(0x19),                               # Dgetdrv
        ],
        "memory": [
            gemdos(0x48, ">i", -1),                     # Malloc inquiry
            gemdos(0x48, ">i", 0x1000),
            gemdos(0x4A, ">HIi", 0, 0x20000, 0x100),    # Mshrink
            gemdos(0x49, ">I", 0x20000),                # Mfree
            gemdos(0x48, ">i", 0x7FFFFFFF),
        ],
        "fforce": [
            gemdos(0x3C, ">IH", name_a, 0),
            gemdos(0x46, ">HH", 1, 16),
            gemdos(0x40, ">HiI", 1, 8, payload),
            gemdos(0x46, ">HH", 0, 40),
        ],
        "time_super_system": [
            gemdos(0x2A), gemdos(0x2C),
            gemdos(0x20, ">I", 1),                      # Super inquiry
            gemdos(0x20, ">I", 0),
            gemdos(0x154, ">HiI", 0xFFFF, 0, 0),        # Ssystem
        ],
        "params_wrap": [gemdos(0x3F, ">HiI", 16, 8, payload, top=True),
                        gemdos(0x09, ">I", payload, top=True)],
        "unknown_calls": [gemdos(0x07), gemdos(0x4E, ">IH", name_a, 0), gemdos(0xFFFF)],
        "bios_xbios": [
            (1, struct.pack(">HH", 1, 2)),              # Bconstat
            (1, struct.pack(">HH", 2, 2)),              # Bconin
            (1, struct.pack(">HHI", 5, 0x45, 0xFFFFFFFF)),  # Setexc inquiry
            (1, struct.pack(">HHI", 5, 0x2F, 0xFFFFF0)),
            (2, struct.pack(">HI", 0x26, 0x10000)),     # Supexec
            (1, struct.pack(">H", 0x99)),
            (2, struct.pack(">H", 0x99)),
        ],
        "pterm": [gemdos(0x4C, ">H", 3), gemdos(0x09, ">I", payload)],
    }
    for name, calls in seeds.items():
        write("oscall", name, oscall_input(names, calls))


def main():
    guest_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        HERE, "..", "..", "build", "tests", "e2e", "guests")
    program_seeds(guest_dir)
    cpu_seeds()
    oscall_seeds()


if __name__ == "__main__":
    main()
