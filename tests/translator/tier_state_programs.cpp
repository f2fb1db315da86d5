// Guest programs for the tier's host-register state: registers and flags
// held in host registers, written back at every kind of exit, moved round a
// loop, evicted, and rebuilt for a hand-over to the interpreter. Each is
// compared between the tier and the interpreter like tier_programs.cpp's;
// words assembled with m68k-linux-gnu-as -m68000 from the source in the
// comments.
#include "tier_test_support.h"

namespace tiertest {

const std::vector<Program>& state_programs() {
  static const std::vector<Program> programs = {
      // A loop whose forward branch is a side exit of the trace: the registers
      // and flags written back there, at the loop's exit and before flag readers.
      {"RegistersWrittenBackAtEverySideExit",
       //    moveq #0,d0
       //    moveq #10,d1
       //    moveq #0,d2
       //    moveq #0,d3
       //  loop:
       //    addq.l #3,d2
       //    cmp.l #20,d2
       //    bgt.s big
       //    addq.l #1,d3
       //    subq.l #1,d1
       //    bne.s loop
       //    bra.s done
       //  big:
       //    add.l d2,d0
       //    moveq #0,d2
       //    subq.l #1,d1
       //    bne.s loop
       //  done:
       //    add.l d3,d0
       //    scs d4
       //    smi d5
       //    move.l d0,0xffff84
       {0x7000, 0x720a, 0x7400, 0x7600, 0x5682, 0x0c82, 0x0000, 0x0014,
        0x6e08, 0x5283, 0x5381, 0x66f0, 0x6008, 0xd082, 0x7400, 0x5381,
        0x66e6, 0xd083, 0x55c4, 0x5bc5, 0x23c0, 0x00ff, 0xff84}},
      // Regression: the side exits of a followed DBEQ left without the N Z V C
      // of the SUBQ before it (freed as dead after the DBcc). The flags are read
      // once the loop is left.
      {"FollowedDbccSideExitKeepsFlags",
       //    moveq #5,d3
       //    moveq #30,d1
       //    moveq #0,d2
       //  cond:
       //    cmp.l d3,d1
       //    bhi.s 1f
       //    addq.l #1,d2
       //  1:
       //    subq.l #3,d1
       //    dbeq d3,cond
       //    seq d6
       //    scs d7
       //    smi d4
       //    move.l d0,0xffff84
       {0x7605, 0x721e, 0x7400, 0xb283, 0x6202, 0x5282, 0x5781, 0x57cb, 0xfff6, 0x57c6, 0x55c7,
        0x5bc4, 0x23c0, 0x00ff, 0xff84}},
      // A loop that rotates three registers: the jump back moves their homes in
      // a cycle, broken through the scratch register.
      {"LoopSwapsRegistersInACycle",
       //    moveq #1,d0
       //    moveq #2,d1
       //    moveq #3,d2
       //    move.w #999,d7
       //  loop:
       //    move.l d0,d4
       //    move.l d1,d0
       //    move.l d2,d1
       //    move.l d4,d2
       //    add.l d1,d0
       //    dbra d7,loop
       //    move.l d0,0xffff84
       {0x7001, 0x7202, 0x7403, 0x3e3c, 0x03e7, 0x2800, 0x2001, 0x2202, 0x2404, 0xd081, 0x51cf,
        0xfff4, 0x23c0, 0x00ff, 0xff84}},
      // Fourteen registers in one loop: more than get a home at its head, so
      // the forms evict (X of ADDX and the count-register shift among them).
      {"LoopOfMoreRegistersThanHomes",
       //    moveq #1,d0
       //    moveq #2,d1
       //    moveq #3,d2
       //    moveq #4,d3
       //    moveq #5,d4
       //    moveq #6,d5
       //    moveq #7,d6
       //    lea 0x100,a0
       //    lea 0x200,a1
       //    lea 0x300,a2
       //    lea 0x400,a3
       //    lea 0x500,a4
       //    lea 0x600,a5
       //    move.w #199,d7
       //  loop:
       //    add.l d0,d1
       //    add.l d1,d2
       //    eor.l d2,d3
       //    add.l d3,d4
       //    sub.l d4,d5
       //    add.l d5,d6
       //    adda.l d0,a0
       //    adda.l d1,a1
       //    suba.l d2,a2
       //    adda.l d3,a3
       //    adda.l d4,a4
       //    adda.l d5,a5
       //    move.l a0,d0
       //    add.l a1,d0
       //    add.l a2,d0
       //    add.l a3,d0
       //    addx.l d6,d0
       //    lsl.l d1,d6
       //    dbra d7,loop
       //    move.l d0,0xffff84
       {0x7001, 0x7202, 0x7403, 0x7604, 0x7805, 0x7a06, 0x7c07, 0x41f8, 0x0100, 0x43f8, 0x0200,
        0x45f8, 0x0300, 0x47f8, 0x0400, 0x49f8, 0x0500, 0x4bf8, 0x0600, 0x3e3c, 0x00c7, 0xd280,
        0xd481, 0xb583, 0xd883, 0x9a84, 0xdc85, 0xd1c0, 0xd3c1, 0x95c2, 0xd7c3, 0xd9c4, 0xdbc5,
        0x2008, 0xd089, 0xd08a, 0xd08b, 0xd186, 0xe3ae, 0x51cf, 0xffda, 0x23c0, 0x00ff, 0xff84}},
      // Two reads of the I/O region right after ADD: MOVEA writes no flag, so
      // the hand-over needs all of ADD's; MOVE needs X.
      {"HandOverKeepsTheFlagsItDoesNotWrite",
       //    moveq #-1,d0
       //    add.l d0,d0
       //    lea 0xff8000,a0
       //    movea.l (a0),a1
       //    move.l (a0),d1
       //    move.l d0,0xffff84
       {0x70ff, 0xd080, 0x41f9, 0x00ff, 0x8000, 0x2250, 0x2210, 0x23c0, 0x00ff, 0xff84}},
      // A return through the jump cache with dirty registers and flags.
      {"ComputedExitWritesBack",
       //    lea 0x3300,sp
       //    moveq #7,d0
       //    bsr.s sub
       //    scs d1
       //    add.l d0,d0
       //    move.l d0,0xffff84
       //  sub:
       //    add.l d0,d0
       //    subq.l #8,d0
       //    subq.l #7,d0
       //    rts
       {0x4ff8, 0x3300, 0x7007, 0x610a, 0x55c1, 0xd080, 0x23c0, 0x00ff, 0xff84, 0xd080, 0x5180,
        0x5f80, 0x4e75}},
      // DIVU that fits and one that overflows (N and Z kept from TST), each
      // followed by flag readers.
      {"DividesJoinWithTheirFlags",
       //    move.l #0x12345,d0
       //    move.w #3,d1
       //    divu d1,d0
       //    smi d2
       //    seq d3
       //    svs d4
       //    move.l #0x7fffffff,d5
       //    tst.l d5
       //    divu d1,d5
       //    smi d6
       //    svs d7
       //    move.l d0,0xffff84
       {0x203c, 0x0001, 0x2345, 0x323c, 0x0003, 0x80c1, 0x5bc2, 0x57c3, 0x59c4, 0x2a3c, 0x7fff,
        0xffff, 0x4a85, 0x8ac1, 0x5bc6, 0x59c7, 0x23c0, 0x00ff, 0xff84}},
      // ADDX and NEGX take X and Z from an ADD in the same block, EORI to CCR
      // toggles what they left.
      {"ExtendedArithmeticReadsCachedX",
       //    move.l #0xffffffff,d0
       //    moveq #1,d1
       //    add.l d1,d0
       //    moveq #0,d2
       //    moveq #0,d3
       //    addx.l d3,d2
       //    seq d4
       //    negx.l d3
       //    scs d5
       //    eori #0x1f,ccr
       //    seq d6
       //    scs d7
       //    move.l d0,0xffff84
       {0x70ff, 0x7201, 0xd081, 0x7400, 0x7600, 0xd583, 0x57c4, 0x4083, 0x55c5, 0x0a3c, 0x001f,
        0x57c6, 0x55c7, 0x23c0, 0x00ff, 0xff84}},
      // Regression: a loop headed by a followed BGE went past the head at
      // each jump back without writing back the Z that the BEQ behind it
      // reads, and the BEQ saw the Z of the block's entry.
      {"RotatedHeadLeavesLiveFlagsForTheBody",
       //   moveq #0,d0
       //   move.w #50,d1
       //   bra.s head
       // body:
       //   beq.s skip
       //   addq.l #1,d0
       // skip:
       //   subq.w #1,d1
       // head:
       //   bge.s body
       //   move.l d0,0xffff84
       {0x7000, 0x323c, 0x0032, 0x6006, 0x6702, 0x5280, 0x5341, 0x6cf8, 0x23c0, 0x00ff, 0xff84}},
      // Regression: the same jump past a rotated head dropped the X that
      // ADDX carries from one pass into the next (found by the tier fuzzer).
      {"RotatedHeadCarriesXIntoTheBody",
       //   move #0,ccr
       //   moveq #0,d0
       //   move.l #0x80000000,d1
       //   moveq #0,d3
       //   lea 7,a0
       //   cmpa.w #0,a0
       //   bra.s head
       // top:
       //   addx.l d3,d3
       //   addx.l d1,d0
       //   subq.w #1,a0
       //   cmpa.w #0,a0
       // head:
       //   bne.s top
       //   move.l d3,d7
       //   move.l d0,0xffff84
       {0x44fc, 0x0000, 0x7000, 0x223c, 0x8000, 0x0000, 0x7600, 0x41f8, 0x0007, 0xb0fc, 0x0000,
        0x600a, 0xd783, 0xd181, 0x5348, 0xb0fc, 0x0000, 0x66f4, 0x2e03, 0x23c0, 0x00ff, 0xff84}},
  };
  return programs;
}

}  // namespace tiertest
