/* A call into the 32-bit DLL whose effect on the caller's machine state is
 * measured: a __stdcall function must pop exactly its arguments, keep ebx,
 * esi, edi and ebp, and leave the x87 unit as it found it (empty register
 * stack, same control word). A wrong convention or argument size would
 * otherwise go unseen until the caller's frame is corrupt. One program
 * includes this once. */
#ifndef XQ_CHECKED_CALL_H
#define XQ_CHECKED_CALL_H

#include <stdint.h>
#include <stdio.h>

typedef struct CallEffect {
    uint32_t result;       /* eax after the call */
    int32_t stack_delta;   /* esp after the call minus esp before the pushes */
    int32_t registers_ok;  /* ebx, esi and edi as before */
    uint16_t fpu_status;   /* x87 status word after the call (TOP in bits 11-13) */
    uint16_t fpu_control;  /* x87 control word after the call */
    uint16_t fpu_control_before;
} CallEffect;

/* Pushes args[count - 1] ... args[0], calls fn and records what it left. */
void checked_call(void (*fn)(void), const uint32_t *args, int32_t count, CallEffect *effect) __asm__("xq_checked_call");

__asm__(".text\n"
        ".globl xq_checked_call\n"
        "xq_checked_call:\n"
        "  pushl %ebp\n"
        "  movl %esp, %ebp\n"
        "  pushl %ebx\n"
        "  pushl %esi\n"
        "  pushl %edi\n"
        "  subl $8, %esp\n"               /* -16(%ebp): esp before the pushes; -20: scratch */
        "  movl 20(%ebp), %edx\n"
        "  fnstcw 16(%edx)\n"             /* fpu_control_before */
        "  movl %esp, -16(%ebp)\n"
        "  movl 12(%ebp), %esi\n"
        "  movl 16(%ebp), %ecx\n"
        "1:\n"
        "  testl %ecx, %ecx\n"
        "  jle 2f\n"
        "  decl %ecx\n"
        "  pushl (%esi,%ecx,4)\n"
        "  jmp 1b\n"
        "2:\n"
        "  movl -16(%ebp), %ebx\n"
        "  movl $0x13579bdf, %esi\n"
        "  movl $0x2468ace0, %edi\n"
        "  call *8(%ebp)\n"
        "  movl %eax, -20(%ebp)\n"
        "  movl %esp, %ecx\n"
        "  subl -16(%ebp), %ecx\n"
        "  movl -16(%ebp), %esp\n"
        "  xorl %eax, %eax\n"
        "  cmpl -16(%ebp), %ebx\n"
        "  jne 3f\n"
        "  cmpl $0x13579bdf, %esi\n"
        "  jne 3f\n"
        "  cmpl $0x2468ace0, %edi\n"
        "  jne 3f\n"
        "  incl %eax\n"
        "3:\n"
        "  movl 20(%ebp), %edx\n"
        "  movl %eax, 8(%edx)\n"
        "  movl %ecx, 4(%edx)\n"
        "  movl -20(%ebp), %eax\n"
        "  movl %eax, 0(%edx)\n"
        "  fnstsw 12(%edx)\n"
        "  fnstcw 14(%edx)\n"
        "  addl $8, %esp\n"
        "  popl %edi\n"
        "  popl %esi\n"
        "  popl %ebx\n"
        "  popl %ebp\n"
        "  ret\n");

static int check_failures = 0;

/* Reports a failed check `what` of `name` and counts it. */
static void check(int ok, const char *name, const char *what) {
    if (!ok) {
        fprintf(stderr, "FAILED: %s: %s\n", name, what);
        ++check_failures;
    }
}

/* Checks that the call recorded in `e` left the caller's state intact. */
static void check_effect(const CallEffect *e, const char *name) {
    check(e->stack_delta == 0, name, "the stack pointer moved (wrong convention or argument size)");
    check(e->registers_ok, name, "a callee-saved register changed");
    check((e->fpu_status & 0x3800) == 0, name, "the x87 register stack is not empty");
    check(e->fpu_control == e->fpu_control_before, name, "the x87 control word changed");
}

#endif /* XQ_CHECKED_CALL_H */
