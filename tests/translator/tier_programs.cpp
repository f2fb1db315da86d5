// Guest programs that exercise every translated form, in blocks of several
// instructions, each compared between the tier and the interpreter. Words
// assembled with m68k-linux-gnu-as -m68000 from the source in the comments;
// each program ends with move.l d0,$ffff84 (the recorder).
#include "tier_test_support.h"

namespace tiertest {

const std::vector<Program>& tier_programs() {
  static const std::vector<Program> programs = {
      {"RegisterArithmetic",
       //   moveq #-7,d0
       //   move.l #0x7fffffff,d1
       //   add.l d0,d1
       //   scs d2
       //   svs d3
       //   addq.l #8,d1
       //   svs d4
       //   sub.w #0x8000,d1
       //   smi d5
       //   add.b d1,d0
       //   sne d6
       //   cmp.l d0,d1
       //   sgt d7
       //   and.w #0x0ff0,d0
       //   or.b #0x81,d0
       //   eor.l d1,d0
       //   neg.w d0
       //   scc d2
       //   not.b d1
       //   ext.w d1
       //   ext.l d1
       //   swap d0
       //   tst.l d0
       //   spl d3
       //   clr.b d4
       //   subq.w #1,d4
       //   sle d5
       //   cmpa.w #-2,a0
       //   shi d6
       //   adda.w d0,a0
       //   suba.l d1,a1
       //   cmp.b #0x80,d0
       //   sls d7
       //   move.l d0,d7
       //   move.l d0,0xffff84
       {0x70f9, 0x223c, 0x7fff, 0xffff, 0xd280, 0x55c2, 0x59c3, 0x5081, 0x59c4, 0x0441, 0x8000,
        0x5bc5, 0xd001, 0x56c6, 0xb280, 0x5ec7, 0x0240, 0x0ff0, 0x0000, 0x0081, 0xb380, 0x4440,
        0x54c2, 0x4601, 0x4881, 0x48c1, 0x4840, 0x4a80, 0x5ac3, 0x4204, 0x5344, 0x5fc5, 0xb0fc,
        0xfffe, 0x52c6, 0xd0c0, 0x93c1, 0x0c00, 0x0080, 0x53c7, 0x2e00, 0x23c0, 0x00ff, 0xff84}},
      {"AddressingModes",
       //   lea 0x3000,a0
       //   lea 0x3100,a1
       //   move.l #0x11223344,(a0)
       //   move.w (a0),d0
       //   move.b 1(a0),d1
       //   move.l (a0)+,(a1)+
       //   move.w d0,-(a1)
       //   move.l d1,8(a1)
       //   moveq #4,d2
       //   move.l -4(a0,d2.w),12(a1)
       //   move.l #-4,d3
       //   move.b 0(a0,d3.l),16(a1)
       //   move.w 0x3000,0x3120
       //   move.l 0x3100,d4
       //   lea table(pc),a2
       //   move.w 2(a2),d5
       //   move.l table(pc,d2.w),d6
       //   move.b #0x5a,(a1)
       //   add.l #0x10000,(a0)
       //   sub.b d1,(a0)+
       //   or.w d0,(a1)+
       //   and.l (a1),d6
       //   eor.w d6,-(a1)
       //   not.l (a0)
       //   neg.b 3(a0)
       //   clr.w (a0)+
       //   tst.b -(a0)
       //   addq.w #3,(a0)
       //   subq.l #2,4(a0)
       //   cmpi.l #0x1234,(a0)
       //   seq (a1)
       //   pea 20(a0)
       //   move.l (a7)+,d7
       //   movea.w (a0),a3
       //   movea.l (a0)+,a4
       //   bra.s done
       //   table: .long 0xcafef00d, 0x8badbeef
       //   done:
       //   move.l d0,0xffff84
       {0x41f8, 0x3000, 0x43f8, 0x3100, 0x20bc, 0x1122, 0x3344, 0x3010, 0x1228, 0x0001,
        0x22d8, 0x3300, 0x2341, 0x0008, 0x7404, 0x2370, 0x20fc, 0x000c, 0x76fc, 0x1370,
        0x3800, 0x0010, 0x31f8, 0x3000, 0x3120, 0x2838, 0x3100, 0x45fa, 0x0040, 0x3a2a,
        0x0002, 0x2c3b, 0x2038, 0x12bc, 0x005a, 0x0690, 0x0001, 0x0000, 0x9318, 0x8159,
        0xcc91, 0xbd61, 0x4690, 0x4428, 0x0003, 0x4258, 0x4a20, 0x5650, 0x55a8, 0x0004,
        0x0c90, 0x0000, 0x1234, 0x57d1, 0x4868, 0x0014, 0x2e1f, 0x3650, 0x2858, 0x6008,
        0xcafe, 0xf00d, 0x8bad, 0xbeef, 0x23c0, 0x00ff, 0xff84}},
      {"SameRegisterOperands",
       //   lea 0x3000,a0
       //   move.l #0x01020304,(a0)
       //   move.l #0x05060708,4(a0)
       //   move.l #0x090a0b0c,8(a0)
       //   move.l (a0)+,(a0)+
       //   move.l a0,-(a0)
       //   lea 0x3000,a1
       //   adda.l (a1)+,a1
       //   lea 0x3200,a7
       //   move.b #0x77,-(a7)
       //   move.b (a7)+,d0
       //   move.l a7,d1
       //   lea 0x3000,a2
       //   cmp.l (a2)+,d0
       //   move.w (a2)+,d0
       //   add.w -(a2),d0
       //   move.l d0,-(a2)
       //   lea 0x3010,a3
       //   move.l a3,(a3)+
       //   move.l -(a3),a3
       //   move.l d0,0xffff84
       {0x41f8, 0x3000, 0x20bc, 0x0102, 0x0304, 0x217c, 0x0506, 0x0708, 0x0004, 0x217c,
        0x090a, 0x0b0c, 0x0008, 0x20d8, 0x2108, 0x43f8, 0x3000, 0xd3d9, 0x4ff8, 0x3200,
        0x1f3c, 0x0077, 0x101f, 0x220f, 0x45f8, 0x3000, 0xb09a, 0x301a, 0xd062, 0x2500,
        0x47f8, 0x3010, 0x26cb, 0x2663, 0x23c0, 0x00ff, 0xff84}},
      {"BranchesAndCalls",
       //   moveq #9,d0
       //   moveq #0,d1
       //   loop: add.l d0,d1
       //   dbra d0,loop
       //   moveq #0,d2
       //   moveq #15,d3
       //   cond: cmp.l d3,d1
       //   bhi.s 1f
       //   addq.l #1,d2
       //   1: bls.s 2f
       //   addq.l #2,d2
       //   2: bge.s 3f
       //   addq.l #4,d2
       //   3: blt.s 4f
       //   addq.l #8,d2
       //   4: subq.l #3,d1
       //   dbeq d3,cond
       //   lea 0x3300,a7
       //   bsr.s sub1
       //   lea sub1(pc),a0
       //   jsr (a0)
       //   moveq #2,d5
       //   add.w d5,d5
       //   jmp jt(pc,d5.w)
       //   jt: bra.s j0
       //   bra.s j1
       //   bra.s j2
       //   j0: moveq #10,d6
       //   bra.s out
       //   j1: moveq #11,d6
       //   bra.s out
       //   j2: moveq #12,d6
       //   bra.s out
       //   sub1: addq.l #1,d4
       //   rts
       //   out:
       //   move.l d0,0xffff84
       {0x7009, 0x7200, 0xd280, 0x51c8, 0xfffc, 0x7400, 0x760f, 0xb283, 0x6202, 0x5282, 0x6302,
        0x5482, 0x6c02, 0x5882, 0x6d02, 0x5082, 0x5781, 0x57cb, 0xffea, 0x4ff8, 0x3300, 0x6120,
        0x41fa, 0x001e, 0x4e90, 0x7a02, 0xda45, 0x4efb, 0x5002, 0x6004, 0x6006, 0x6008, 0x7c0a,
        0x600c, 0x7c0b, 0x6008, 0x7c0c, 0x6004, 0x5284, 0x4e75, 0x23c0, 0x00ff, 0xff84}},
      {"Shifts",
       //   move.l #0x80000001,d0
       //   move.l d0,d1
       //   lsl.l #1,d1
       //   scs d7
       //   move.l d0,d2
       //   lsr.l #8,d2
       //   move.l d0,d3
       //   asr.l #3,d3
       //   move.w #0x4001,d4
       //   asl.w #1,d4
       //   svs d5
       //   move.b #0xc3,d5
       //   asl.b #8,d5
       //   move.b #0x81,d6
       //   lsr.b #8,d6
       //   move.w #0x8001,d6
       //   asr.w #5,d6
       //   lsl.b #4,d6
       //   moveq #32,d1
       //   move.l d0,d2
       //   lsr.l d1,d2
       //   moveq #33,d1
       //   move.l d0,d3
       //   lsl.l d1,d3
       //   moveq #0,d1
       //   move.l d0,d4
       //   asr.l d1,d4
       //   moveq #63,d1
       //   move.l d0,d5
       //   asr.l d1,d5
       //   moveq #31,d1
       //   lsl.l d1,d0
       //   move.l d0,0xffff84
       {0x203c, 0x8000, 0x0001, 0x2200, 0xe389, 0x55c7, 0x2400, 0xe08a, 0x2600, 0xe683, 0x383c,
        0x4001, 0xe344, 0x59c5, 0x1a3c, 0x00c3, 0xe105, 0x1c3c, 0x0081, 0xe00e, 0x3c3c, 0x8001,
        0xea46, 0xe90e, 0x7220, 0x2400, 0xe2aa, 0x7221, 0x2600, 0xe3ab, 0x7200, 0x2800, 0xe2a4,
        0x723f, 0x2a00, 0xe2a5, 0x721f, 0xe3a8, 0x23c0, 0x00ff, 0xff84}},
      {"CallOutsInsideBlocks",
       //   move.l #100000,d0
       //   move.w #7,d1
       //   divu d1,d0
       //   mulu d1,d1
       //   exg d0,d1
       //   movem.l d0-d1,0x3400
       //   movem.l 0x3400,d2-d3
       //   move #0x1f,ccr
       //   addx.l d2,d3
       //   move sr,d4
       //   muls #-3,d4
       //   move.w #0,d5
       //   divu d5,d0
       //   addq.l #1,d0
       //   move.l d0,0xffff84
       {0x203c, 0x0001, 0x86a0, 0x323c, 0x0007, 0x80c1, 0xc2c1, 0xc141, 0x48f8,
        0x0003, 0x3400, 0x4cf8, 0x000c, 0x3400, 0x44fc, 0x001f, 0xd782, 0x40c4,
        0xc9fc, 0xfffd, 0x3a3c, 0x0000, 0x80c5, 0x5280, 0x23c0, 0x00ff, 0xff84}},
      {"IoAccessHandsOver",
       //   moveq #5,d0
       //   addq.l #1,d0
       //   lea 0xff8000,a0
       //   tst.b (a0)
       //   move.l #0x12345678,d1
       //   tst.l d1
       //   add.l d0,d1
       //   move.l d0,0xffff84
       {0x7005, 0x5280, 0x41f9, 0x00ff, 0x8000, 0x4a10, 0x223c, 0x1234, 0x5678, 0x4a81, 0xd280,
        0x23c0, 0x00ff, 0xff84}},
      {"SelfModifyingNextInstruction",
       //   lea next(pc),a0
       //   moveq #0,d0
       //   move.w #0x7063,(a0)
       //   next: moveq #1,d0
       //   lea next2(pc),a1
       //   move.l #0x72424e71,d2
       //   movem.l d2,(a1)
       //   next2: moveq #0,d1
       //   nop
       //   move.l d0,0xffff84
       {0x41fa, 0x0008, 0x7000, 0x30bc, 0x7063, 0x7001, 0x43fa, 0x000c, 0x243c, 0x7242, 0x4e71,
        0x48d1, 0x0004, 0x7200, 0x4e71, 0x23c0, 0x00ff, 0xff84}},
      {"MovemRotatesMultiplies",
       //   lea 0x3400,a0
       //   lea 0x3500,a7
       //   moveq #-3,d0
       //   move.l #0x12345678,d1
       //   movem.l d0-d1/a0/a7,-(a7)
       //   movem.w d0-d1,-(a0)
       //   movem.l (a7)+,d2-d3/a4-a5
       //   movem.w (a0)+,d4/a1
       //   movem.l d1/a0,8(a0)
       //   movem.w 8(a0),d5-d6
       //   movem.l (a0),a0-a1
       //   lea 0x3600,a2
       //   movem.l d0-d7/a0-a6,(a2)
       //   movem.l 16(a2),d0/d2
       //   move.l #0x80000001,d3
       //   rol.l #1,d3
       //   scs d4
       //   ror.w #4,d3
       //   rol.b #8,d3
       //   ror.l #8,d3
       //   move.w #0xfffd,d5
       //   muls d5,d5
       //   move.w #0xfffd,d6
       //   mulu d6,d6
       //   mulu #0,d6
       //   seq d7
       //   muls (a2),d0
       //   move.l d0,0xffff84
       {0x41f8, 0x3400, 0x4ff8, 0x3500, 0x70fd, 0x223c, 0x1234, 0x5678, 0x48e7, 0xc081, 0x48a0,
        0xc000, 0x4cdf, 0x300c, 0x4c98, 0x0210, 0x48e8, 0x0102, 0x0008, 0x4ca8, 0x0060, 0x0008,
        0x4cd0, 0x0300, 0x45f8, 0x3600, 0x48d2, 0x7fff, 0x4cea, 0x0005, 0x0010, 0x263c, 0x8000,
        0x0001, 0xe39b, 0x55c4, 0xe85b, 0xe11b, 0xe09b, 0x3a3c, 0xfffd, 0xcbc5, 0x3c3c, 0xfffd,
        0xccc6, 0xccfc, 0x0000, 0x57c7, 0xc1d2, 0x23c0, 0x00ff, 0xff84}},
      {"DividesAndFrames",
       // Quotients that fit, overflows (N and Z kept), DIVS of 0x80000000
       // by -1, a zero divisor after (a0)+ (the handler adds 1 to d7), LINK
       // and UNLK on A6 and on A7 itself.
       //   move.l #100000,d0
       //   move.w #7,d1
       //   divu d1,d0
       //   smi d2
       //   seq d3
       //   move.l #0x12345678,d4
       //   moveq #-1,d5
       //   divu #2,d4
       //   smi d5
       //   svs d6
       //   move.l #-100000,d0
       //   divs #-7,d0
       //   spl d2
       //   move.l #0x80000000,d1
       //   divs #-1,d1
       //   svs d3
       //   moveq #-7,d2
       //   divs #2,d2
       //   lea 0x3000,a0
       //   move.w #3,(a0)
       //   move.w #0,2(a0)
       //   moveq #10,d3
       //   divu (a0)+,d3
       //   divu (a0)+,d3
       //   moveq #0,d4
       //   divs #1,d4
       //   seq d5
       //   link a6,#-16
       //   move.l a6,-(a7)
       //   link a7,#-4
       //   unlk a7
       //   move.l (a7)+,d6
       //   unlk a6
       //   lea 0x3100,a5
       //   move.l #0xdeadbeef,(a5)
       //   move.l a5,a4
       //   unlk a4
       //   move.l d0,0xffff84
       {0x203c, 0x0001, 0x86a0, 0x323c, 0x0007, 0x80c1, 0x5bc2, 0x57c3, 0x283c, 0x1234, 0x5678,
        0x7aff, 0x88fc, 0x0002, 0x5bc5, 0x59c6, 0x203c, 0xfffe, 0x7960, 0x81fc, 0xfff9, 0x5ac2,
        0x223c, 0x8000, 0x0000, 0x83fc, 0xffff, 0x59c3, 0x74f9, 0x85fc, 0x0002, 0x41f8, 0x3000,
        0x30bc, 0x0003, 0x317c, 0x0000, 0x0002, 0x760a, 0x86d8, 0x86d8, 0x7800, 0x89fc, 0x0001,
        0x57c5, 0x4e56, 0xfff0, 0x2f0e, 0x4e57, 0xfffc, 0x4e5f, 0x2c1f, 0x4e5e, 0x4bf8, 0x3100,
        0x2abc, 0xdead, 0xbeef, 0x284d, 0x4e5c, 0x23c0, 0x00ff, 0xff84}},
      {"BitsCompareMemoryCountShifts",
       // Bit numbers mod 32 on Dn and mod 8 on memory, from Dn and
       // immediates; CMPM with one register on both sides and on A7 (steps
       // of 2); byte and word shifts by counts of 0, the width and past it.
       //   move.l #0x80000001,d0
       //   btst #31,d0
       //   seq d1
       //   moveq #33,d2
       //   btst d2,d0
       //   seq d3
       //   bchg #0,d0
       //   bset d2,d0
       //   bclr #31,d0
       //   lea 0x3000,a0
       //   move.b #0x5a,(a0)
       //   bset #7,(a0)
       //   sne d4
       //   bclr d2,(a0)+
       //   bchg #10,-(a0)
       //   btst #3,4(a0)
       //   moveq #4,d5
       //   btst d5,#0x10
       //   seq d6
       //   btst d5,0(a0,d5.w)
       //   lea 0x3010,a1
       //   lea 0x3020,a2
       //   move.l #0x01020304,(a1)
       //   move.l #0x01020305,(a2)
       //   cmpm.b (a1)+,(a2)+
       //   seq d7
       //   cmpm.w (a1)+,(a2)+
       //   scs d1
       //   cmpm.b (a1)+,(a1)+
       //   shi d3
       //   lea 0x3200,a7
       //   cmpm.b (a7)+,(a7)+
       //   move.l #0x12348001,d0
       //   moveq #1,d1
       //   lsl.w d1,d0
       //   scs d2
       //   moveq #17,d1
       //   lsr.w d1,d0
       //   move.l #0x1234c001,d3
       //   moveq #20,d1
       //   asr.w d1,d3
       //   scs d4
       //   moveq #0,d1
       //   lsr.b d1,d3
       //   smi d5
       //   moveq #8,d1
       //   lsl.b d1,d3
       //   scs d6
       //   moveq #63,d1
       //   asr.b d1,d3
       //   moveq #16,d1
       //   lsl.w d1,d3
       //   move.l d0,0xffff84
       {0x203c, 0x8000, 0x0001, 0x0800, 0x001f, 0x57c1, 0x7421, 0x0500, 0x57c3, 0x0840,
        0x0000, 0x05c0, 0x0880, 0x001f, 0x41f8, 0x3000, 0x10bc, 0x005a, 0x08d0, 0x0007,
        0x56c4, 0x0598, 0x0860, 0x000a, 0x0828, 0x0003, 0x0004, 0x7a04, 0x0b3c, 0x0010,
        0x57c6, 0x0b30, 0x5000, 0x43f8, 0x3010, 0x45f8, 0x3020, 0x22bc, 0x0102, 0x0304,
        0x24bc, 0x0102, 0x0305, 0xb509, 0x57c7, 0xb549, 0x55c1, 0xb309, 0x52c3, 0x4ff8,
        0x3200, 0xbf0f, 0x203c, 0x1234, 0x8001, 0x7201, 0xe368, 0x55c2, 0x7211, 0xe268,
        0x263c, 0x1234, 0xc001, 0x7214, 0xe263, 0x55c4, 0x7200, 0xe22b, 0x5bc5, 0x7208,
        0xe32b, 0x55c6, 0x723f, 0xe223, 0x7210, 0xe36b, 0x23c0, 0x00ff, 0xff84}},
      {"ExtendedArithmetic",
       // ADDX, SUBX and NEGX with X in and out, Z kept set by a zero result
       // and cleared by any other, chains over 64-bit numbers in memory,
       // -(a7) on both sides (steps of 2).
       //   moveq #0,d0
       //   moveq #0,d1
       //   moveq #0,d2
       //   move #0x04,ccr
       //   addx.l d0,d1
       //   seq d3
       //   move #0x14,ccr
       //   addx.w d0,d2
       //   seq d4
       //   moveq #-1,d0
       //   moveq #-1,d5
       //   move #0x10,ccr
       //   addx.l d0,d5
       //   scs d6
       //   svs d7
       //   move.b #0x7f,d1
       //   addx.b d0,d1
       //   svs d3
       //   lea 0x3000,a0
       //   move.l #0x00000001,(a0)+
       //   move.l #0xffffffff,(a0)+
       //   move.l #0x00000000,(a0)+
       //   move.l #0x00000001,(a0)+
       //   lea 0x3008,a0
       //   lea 0x3010,a1
       //   move #0x04,ccr
       //   addx.l -(a0),-(a1)
       //   addx.l -(a0),-(a1)
       //   seq d4
       //   lea 0x3008,a0
       //   lea 0x3010,a1
       //   move #0x04,ccr
       //   subx.l -(a0),-(a1)
       //   subx.l -(a0),-(a1)
       //   sne d5
       //   smi d6
       //   lea 0x3100,a7
       //   move.w #0x8001,-(a7)
       //   move #0x10,ccr
       //   addx.b -(a7),-(a7)
       //   subx.w d1,d2
       //   move.l #0x12345678,d3
       //   moveq #0,d4
       //   neg.l d3
       //   negx.l d4
       //   scs d5
       //   negx.b d4
       //   lea 0x3000,a2
       //   negx.w (a2)+
       //   negx.l 4(a2)
       //   move #0x04,ccr
       //   moveq #0,d6
       //   negx.l d6
       //   seq d7
       //   move.l d0,0xffff84
       {0x7000, 0x7200, 0x7400, 0x44fc, 0x0004, 0xd380, 0x57c3, 0x44fc, 0x0014, 0xd540, 0x57c4,
        0x70ff, 0x7aff, 0x44fc, 0x0010, 0xdb80, 0x55c6, 0x59c7, 0x123c, 0x007f, 0xd300, 0x59c3,
        0x41f8, 0x3000, 0x20fc, 0x0000, 0x0001, 0x20fc, 0xffff, 0xffff, 0x20fc, 0x0000, 0x0000,
        0x20fc, 0x0000, 0x0001, 0x41f8, 0x3008, 0x43f8, 0x3010, 0x44fc, 0x0004, 0xd388, 0xd388,
        0x57c4, 0x41f8, 0x3008, 0x43f8, 0x3010, 0x44fc, 0x0004, 0x9388, 0x9388, 0x56c5, 0x5bc6,
        0x4ff8, 0x3100, 0x3f3c, 0x8001, 0x44fc, 0x0010, 0xdf0f, 0x9541, 0x263c, 0x1234, 0x5678,
        0x7800, 0x4483, 0x4084, 0x55c5, 0x4004, 0x45f8, 0x3000, 0x405a, 0x40aa, 0x0004, 0x44fc,
        0x0004, 0x7c00, 0x4086, 0x57c7, 0x23c0, 0x00ff, 0xff84}},
      {"ConditionCodeWrites",
       // EORI, ORI and ANDI to CCR toggling, setting and clearing each flag
       // (Z, whose store is 0 when set, among them), MOVE to CCR from memory
       // and of a word whose upper bits are set, X read back by ADDX.
       //   move #0x1f,ccr
       //   eori #0x15,ccr
       //   smi d0
       //   seq d1
       //   svs d2
       //   scs d3
       //   ori #0x04,ccr
       //   seq d4
       //   andi #0x1b,ccr
       //   sne d5
       //   lea 0x3000,a0
       //   move.w #0x0012,(a0)
       //   move (a0),ccr
       //   svs d6
       //   moveq #0,d7
       //   addx.l d7,d7
       //   eori #0x10,ccr
       //   addx.l d7,d7
       //   move #0xffe0,ccr
       //   scc d3
       //   move.l d0,0xffff84
       {0x44fc, 0x001f, 0x0a3c, 0x0015, 0x5bc0, 0x57c1, 0x59c2, 0x55c3, 0x003c, 0x0004, 0x57c4,
        0x023c, 0x001b, 0x56c5, 0x41f8, 0x3000, 0x30bc, 0x0012, 0x44d0, 0x59c6, 0x7e00, 0xdf87,
        0x0a3c, 0x0010, 0xdf87, 0x44fc, 0xffe0, 0x54c3, 0x23c0, 0x00ff, 0xff84}},
  };
  return programs;
}

}  // namespace tiertest
