/* A small stack machine and its bytecode interpreter, running a program
   that sums the lengths of the Collatz sequences of 1 to N and keeps a
   16-bit multiplicative hash of the lengths. */
#include "workload.h"

enum {
  PUSH, /* next word: a constant */
  LOAD, /* next word: variable number */
  STORE,
  ADD,
  SUB,
  MUL,
  SHR1,
  AND1,
  DUP,
  DROP,
  LT,
  JMP, /* next word: target */
  JZ,  /* pops; next word: target */
  JNZ,
  HALT,
};

static s32 run(const s16* code, s32* vars, u32* executed) {
  s32 stack[32];
  int sp = 0;
  u32 pc = 0, count = 0;
  for (;;) {
    ++count;
    s16 op = code[pc++];
    switch (op) {
      case PUSH:
        stack[sp++] = code[pc++];
        break;
      case LOAD:
        stack[sp++] = vars[code[pc++]];
        break;
      case STORE:
        vars[code[pc++]] = stack[--sp];
        break;
      case ADD:
        --sp;
        stack[sp - 1] = (s32)((u32)stack[sp - 1] + (u32)stack[sp]);
        break;
      case SUB:
        --sp;
        stack[sp - 1] = (s32)((u32)stack[sp - 1] - (u32)stack[sp]);
        break;
      case MUL:
        --sp;
        stack[sp - 1] = (s32)(s16)stack[sp - 1] * (s16)stack[sp];
        break;
      case SHR1:
        stack[sp - 1] = (s32)((u32)stack[sp - 1] >> 1);
        break;
      case AND1:
        stack[sp - 1] &= 1;
        break;
      case DUP:
        stack[sp] = stack[sp - 1];
        ++sp;
        break;
      case DROP:
        --sp;
        break;
      case LT:
        --sp;
        stack[sp - 1] = stack[sp - 1] < stack[sp];
        break;
      case JMP:
        pc = (u32)code[pc];
        break;
      case JZ:
        pc = stack[--sp] == 0 ? (u32)code[pc] : pc + 1;
        break;
      case JNZ:
        pc = stack[--sp] != 0 ? (u32)code[pc] : pc + 1;
        break;
      default:
        *executed += count;
        return sp ? stack[sp - 1] : 0;
    }
  }
}

/* Variables: 0 n, 1 limit, 2 x, 3 length, 4 total, 5 hash. */
/* clang-format off */
static const s16 program[] = {
    /* 0: n = 1 */
    PUSH, 1, STORE, 0,
    /* 4: while n < limit */
    LOAD, 0, LOAD, 1, LT, JZ, 84,
    /* 11: x = n; length = 0 */
    LOAD, 0, STORE, 2, PUSH, 0, STORE, 3,
    /* 19: while x != 1 */
    LOAD, 2, PUSH, 1, SUB, JZ, 58,
    /* 26: length += 1 */
    LOAD, 3, PUSH, 1, ADD, STORE, 3,
    /* 33: if x is odd: x = 3x + 1 */
    LOAD, 2, AND1, JZ, 51,
    LOAD, 2, DUP, DUP, ADD, ADD, PUSH, 1, ADD, STORE, 2, JMP, 19,
    /* 51: else x = x / 2 */
    LOAD, 2, SHR1, STORE, 2, JMP, 19,
    /* 58: total += length; hash = hash * 31 + length (16-bit multiply) */
    LOAD, 4, LOAD, 3, ADD, STORE, 4,
    LOAD, 5, PUSH, 31, MUL, LOAD, 3, ADD, STORE, 5,
    /* 75: n += 1 */
    LOAD, 0, PUSH, 1, ADD, STORE, 0, JMP, 4,
    /* 84: the result is the total */
    LOAD, 4, HALT,
};
/* clang-format on */

int main(int argc, char** argv) {
  u32 limit = workload_scale(argc, argv, 3000);
  s32 vars[6] = {0, (s32)limit, 0, 0, 0, 0};
  u32 executed = 0;
  s32 total = run(program, vars, &executed);
  report_dec("sum of collatz lengths", total);
  report("length hash", (u32)vars[5]);
  report_dec("bytecodes executed", (s32)executed);
  return 0;
}
