#!/usr/bin/env python3
"""Writes the seed corpora under tests/fuzz/corpus/.

    tests/fuzz/make_seeds.py [--only TARGET ...] [GUEST_DIR]

GUEST_DIR holds the built end-to-end guests (build/tests/e2e/guests by
default); they become the program seeds, some with parameters. The CPU and
OS-call seeds are made here, the tier_lockstep ones from the assembler
source below (m68k-linux-gnu-as, -ld, -objcopy). Run again after adding
guests, calls or programs, and commit the result; --only remakes the named
targets' seeds alone. Inputs with which a fuzzer found a fault are kept
beside the seeds, named after the fault (tier_lockstep/loop_head_bail_*);
this script writes its own names only and leaves them alone.
"""
import argparse
import os
import random
import struct
import subprocess
import tempfile

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



# tier_lockstep: the header of tier_lockstep_fuzzer.cpp, then the stream at
# STREAM: code from offset 0, the exception handler at HANDLER_AT, data at
# DATA_AT that A0, A1, A4-A6 point into (A2 points at the code, A3 at an
# odd address).
STREAM = 0x10000
HANDLER_AT = 0x1F0
DATA_AT = 0x200
STREAM_BYTES = 0x400

TIER_PROGRAMS = {
    # Flags of every ALU form, read back by Scc, and call-outs between them.
    "alu": """
        moveq #-7,d0
        move.l #0x7fffffff,d1
        add.l d0,d1
        scs d2
        addq.l #8,d1
        svs d3
        sub.w #0x8000,d1
        smi d4
        add.b d1,d0
        sne d5
        cmp.l d0,d1
        sgt d6
        and.w #0x0ff0,d0
        or.b #0x81,d0
        eor.l d1,d0
        neg.w d0
        scc d2
        not.b d1
        ext.w d1
        ext.l d1
        swap d0
        tst.l d0
        spl d3
        subq.w #1,d4
        sle d5
        cmpa.w #-2,a0
        shi d6
        adda.w d0,a1
        suba.l d1,a1
        cmp.b #0x80,d0
        sls d7
        addx.l d1,d0
        negx.b d2
        subx.w d3,d4
        mulu d1,d2
        muls #-3,d3
        clr.w -(sp)
        trap #1
    """,
    # Immediate and register counts: 0, within and past the operand size.
    "shifts": """
        move.l #0x80000001,d0
        asl.l #1,d0
        scs d7
        svs d6
        asr.w #3,d0
        lsl.b #8,d0
        lsr.l #7,d0
        rol.w #4,d0
        ror.l #1,d0
        moveq #33,d1
        lsl.l d1,d0
        lsr.w d1,d2
        asr.l d1,d3
        moveq #0,d1
        asl.l d1,d4
        asr.l d1,d5
        roxl.l #1,d0
        asl.b d1,d6
        rol.l d1,d3
        clr.w -(sp)
        trap #1
    """,
    # Every addressing mode, the same register on both sides, byte steps
    # of A7.
    "modes": """
        move.l #0x11223344,(a0)
        move.w (a0),d0
        move.b 1(a0),d1
        move.l (a0)+,(a1)+
        move.w d0,-(a1)
        move.l d1,8(a1)
        moveq #4,d2
        move.l -4(a0,d2.w),12(a1)
        move.l #-4,d3
        move.b 0(a0,d3.l),16(a1)
        move.w 0x10200,0x10220
        move.l 0x10200,d4
        lea table(pc),a2
        move.w 2(a2),d5
        move.l table(pc,d2.w),d6
        move.b (a0)+,(a0)+
        move.b -(a7),d7
        move.b d7,(a7)+
        add.l #0x10000,(a0)
        sub.b d1,(a0)+
        or.w d0,(a1)+
        and.l (a1),d6
        eor.w d6,-(a1)
        not.l (a0)
        neg.b 3(a0)
        clr.w (a0)+
        tst.b -(a0)
        addq.w #3,(a0)
        subq.l #2,4(a0)
        cmp.l (a0)+,d0
        cmpm.w (a0)+,(a1)+
        move.l (a0),(a0)
        move.w (a0)+,(a0)
        move.l -(a0),-(a0)
        move.l a0,(a0)+
        move.l a1,-(a1)
        pea 4(a0)
        lea (a7),a3
        move.l (a7)+,d0
        clr.w -(sp)
        trap #1
    table: .long 0x01020304,0x05060708
    """,
    # Both directions, the base register in the list, words sign-extended.
    "movem": """
        movem.l d0-d7/a0-a6,-(sp)
        movem.l (sp)+,d0-d7/a0-a6
        movem.w (a0)+,d0-d3
        movem.w d0-d3,-(a1)
        movem.l a0-a1,-(a0)
        movem.l (a1)+,a1-a2
        movem.l d1/a0,8(a0)
        movem.w 2(a0),d5/a5
        movem.l (a0),d0-d1
        movem.l d0-d7,0x10280
        movem.w (pc),d2-d4
        movem.l d0/d2,(a2)
        clr.w -(sp)
        trap #1
    """,
    # Loops, calls, computed jumps, every condition.
    "branches": """
        moveq #5,d0
        moveq #0,d1
    loop: addq.l #1,d1
        dbra d0,loop
        moveq #3,d2
    loop2: cmp.w d2,d1
        dbeq d2,loop2
        bsr.s sub
        bsr.w sub
        lea sub(pc),a3
        jsr (a3)
        jsr 0(a3,d0.w)
        cmp.l #6,d1
        beq.s 1f
        bra.s 2f
    1:  moveq #1,d3
    2:  bgt.s 3f
        bhi.w 3f
    3:  tst.w d1
        bmi.s 4f
        blt 4f
        bvs 4f
        bcs 4f
    4:  lea 5f(pc),a4
        jmp (a4)
    5:  moveq #2,d4
        sne d5
        seq (a0)
        st -(a0)
        sf (a0)+
        nop
        dbf d4,5b
        clr.w -(sp)
        trap #1
    sub: addq.w #1,d6
        rts
    """,
    # The next instruction, a loop's own body and a routine rewritten.
    "smc": """
        move.w #0x5287,next
    next: nop
        lea body(pc),a3
        moveq #3,d0
    body: addq.l #1,d1
        addq.w #1,2(a3)
        eor.w #0x0100,(a3)
        dbra d0,body
        move.l #0x4e714e71,(a2)
        movem.l d0-d1,patch
    patch: nop
        nop
        move.w #0x4e75,rt
        bsr.s rt
        clr.w -(sp)
        trap #1
    rt: nop
        rts
    """,
    # Odd addresses, an odd stack, every trapping instruction, the I/O region.
    "faults": """
        move.w d0,1(a0)
        move.l (a3),d1
        addq.l #1,a7
        move.w (a7),d2
        subq.l #1,a7
        divu #0,d0
        chk #-1,d0
        trap #0
        trapv
        illegal
        .word 0xa000
        .word 0xf000
        move.w d0,sr
        move.l 0xff8800,d0
        move.w d1,0xfffa00
        jmp 1(a0)
    """,
    # I/O-region accesses inside blocks, and across the top of memory.
    "io": """
        moveq #1,d0
        move.l d0,d1
        move.b 0xffff8201,d2
        add.l d1,d0
        move.l d0,0xffff8240
        move.w 0xff8a00,d3
        moveq #2,d4
        movem.l d0-d1,0xff8000
        movem.l 0xfffffc,d5-d6
        move.l 0xfffffe,d6
        clr.w -(sp)
        trap #1
    """,
    # OS calls through the ROM's trap stubs.
    "oscall": """
        pea msg(pc)
        move.w #9,-(sp)
        trap #1
        addq.l #6,sp
        move.w #2,-(sp)
        move.w #0x19,-(sp)
        trap #1
        addq.l #4,sp
        move.l #0x10300,-(sp)
        move.w #0x1a,-(sp)
        trap #1
        addq.l #6,sp
        move.w #0,-(sp)
        move.w #1,-(sp)
        trap #13
        moveq #7,d0
        add.l d0,d1
        clr.w -(sp)
        trap #1
    msg: .asciz "hi\\r\\n"
        .even
    """,
    # The status register: privileged in user mode, CCR writes, STOP.
    "status": """
        move.l sp,a3
        move.w #0x2700,sr
        move.l a3,d0
        move.w sr,d1
        move.l usp,a4
        move.w #0x0010,ccr
        addx.l d0,d1
        move.w d1,ccr
        stop #0x2700
    """,
}

TIER_HANDLERS = {
    "count": "addq.l #1,d7\n rte",       # back to after the instruction (most)
    "group0": "addq.l #8,sp\n rte",      # an address error's longer frame
}


def assemble(source, at):
    """The words of `source` assembled for the 68000 and linked at `at`."""
    with tempfile.TemporaryDirectory() as folder:
        src, obj, elf, raw = (os.path.join(folder, n) for n in ("a.s", "a.o", "a.elf", "a.bin"))
        with open(src, "w") as f:
            f.write(source + "\n")
        subprocess.run(["m68k-linux-gnu-as", "-m68000", "--register-prefix-optional", "-o", obj,
                        src], check=True)
        subprocess.run(["m68k-linux-gnu-ld", f"-Ttext=0x{at:x}", "-e", "0", "-o", elf, obj],
                       check=True)
        subprocess.run(["m68k-linux-gnu-objcopy", "-O", "binary", "-j", ".text", elf, raw],
                       check=True)
        with open(raw, "rb") as f:
            return f.read()


def tier_seed(rng, code, handler, sr=0x2700, control=0x00, slice_units=0x40, start=0):
    regs = [rng.getrandbits(32) for _ in range(8)]
    regs += [STREAM + DATA_AT, STREAM + DATA_AT + 0x80, STREAM, STREAM + DATA_AT + 0x101,
             STREAM + DATA_AT + 0x100, STREAM + DATA_AT + 0x180, STREAM + DATA_AT + 0x1C0,
             0x18000]
    out = struct.pack(">16I", *regs)
    out += struct.pack(">HI", sr, 0x17000)
    out += bytes([control, HANDLER_AT // 2, slice_units, start])
    assert len(code) <= HANDLER_AT and len(handler) <= DATA_AT - HANDLER_AT
    stream = bytearray(rng.getrandbits(8) for _ in range(STREAM_BYTES))
    stream[:len(code)] = code
    stream[HANDLER_AT:HANDLER_AT + len(handler)] = handler
    return out + bytes(stream)


def tier_seeds():
    rng = random.Random(2)
    code = {name: assemble(src, STREAM) for name, src in TIER_PROGRAMS.items()}
    handler = {name: assemble(src, STREAM + HANDLER_AT) for name, src in TIER_HANDLERS.items()}
    # Control: bit 0 the 68010; bits 1-2 vectors to the stream's handler;
    # bits 4-5 block limits 32, 1, 3, 8.
    for name, words in code.items():
        write("tier_lockstep", name, tier_seed(rng, words, handler["count"]))
        write("tier_lockstep", name + ".vectors",
              tier_seed(rng, words, handler["count"], control=0x06))
    write("tier_lockstep", "alu.user", tier_seed(rng, code["alu"], handler["count"], sr=0x0000))
    write("tier_lockstep", "status.user",
          tier_seed(rng, code["status"], handler["count"], sr=0x001F, control=0x02))
    write("tier_lockstep", "modes.limit1",
          tier_seed(rng, code["modes"], handler["count"], control=0x10))
    write("tier_lockstep", "movem.limit3",
          tier_seed(rng, code["movem"], handler["count"], control=0x20))
    write("tier_lockstep", "smc.limit8", tier_seed(rng, code["smc"], handler["count"], control=0x30))
    write("tier_lockstep", "branches.68010",
          tier_seed(rng, code["branches"], handler["count"], control=0x01, slice_units=0x04))
    write("tier_lockstep", "faults.group0",
          tier_seed(rng, code["faults"], handler["group0"], control=0x06))
    write("tier_lockstep", "odd_start",
          tier_seed(rng, code["alu"], handler["count"], control=0x02, start=1))
    write("tier_lockstep", "random", tier_seed(rng, b"", handler["count"], control=0x06))


def main():
    parser = argparse.ArgumentParser(description="Writes the fuzz targets' seed corpora.")
    parser.add_argument("--only", action="append",
                        choices=["program", "cpu", "oscall", "tier_lockstep"])
    parser.add_argument("guest_dir", nargs="?",
                        default=os.path.join(HERE, "..", "..", "build", "tests", "e2e", "guests"))
    args = parser.parse_args()
    makers = {
        "program": lambda: program_seeds(args.guest_dir),
        "cpu": cpu_seeds,
        "oscall": oscall_seeds,
        "tier_lockstep": tier_seeds,
    }
    for target, make in makers.items():
        if not args.only or target in args.only:
            make()


if __name__ == "__main__":
    main()
