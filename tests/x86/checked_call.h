/* A call into the 32-bit DLL whose effect on the caller's machine state is
 * measured: a __stdcall function must pop exactly its arguments, keep ebx,
 * esi, edi and ebp, and leave the x87 unit as it found it (empty register
 * stack, same control word). A wrong convention or argument size would
 * otherwise go unseen until the caller's frame is corrupt. A program includes
 * this once. */
#include <stddef.h>
#include <stdint.h>

typedef struct CallEffect {
    int32_t stack_delta;       /* esp after the call minus esp before the pushes */
    uint32_t ebx, esi, edi;    /* after the call; set before it to the values call_fault expects */
    uint16_t fpu_status;       /* x87 status word after the call (TOP in bits 11-13) */
    uint16_t fpu_control;      /* x87 control word after the call */
    uint16_t fpu_control_before;
} CallEffect;

/* Copies args[0] ... args[count - 1] onto the stack, calls fn and records
 * what it left. */
void checked_call(void (*fn)(void), const uint32_t *args, int32_t count, CallEffect *effect) __asm__("xq_checked_call");

/* Before the arguments are copied esp is ebp - 12 (three saved registers
 * below the frame). The direction flag is clear on entry, as the ABI keeps it. */
__asm__(".text\n"
        ".globl xq_checked_call\n"
        "xq_checked_call:\n"
        "  pushl %ebp\n"
        "  movl %esp, %ebp\n"
        "  pushl %ebx\n"
        "  pushl %esi\n"
        "  pushl %edi\n"
        "  movl 20(%ebp), %edx\n"
        "  fnstcw 20(%edx)\n"
        "  movl 12(%ebp), %esi\n"
        "  movl 16(%ebp), %ecx\n"
        "  leal 0(,%ecx,4), %eax\n"
        "  subl %eax, %esp\n"
        "  movl %esp, %edi\n"
        "  rep movsl\n"
        "  movl $0x13579bdf, %ebx\n"
        "  movl $0x2468ace0, %esi\n"
        "  movl $0x369cf258, %edi\n"
        "  call *8(%ebp)\n"
        "  movl 20(%ebp), %edx\n"
        "  leal 12(%esp), %ecx\n"
        "  subl %ebp, %ecx\n"
        "  movl %ecx, 0(%edx)\n"
        "  movl %ebx, 4(%edx)\n"
        "  movl %esi, 8(%edx)\n"
        "  movl %edi, 12(%edx)\n"
        "  fnstsw 16(%edx)\n"
        "  fnstcw 18(%edx)\n"
        "  leal -12(%ebp), %esp\n"
        "  popl %edi\n"
        "  popl %esi\n"
        "  popl %ebx\n"
        "  popl %ebp\n"
        "  ret\n");

/* Calls fn with args[0] ... args[count - 1]; what it broke in the caller's
 * state, or NULL. */
static const char *call_fault(void (*fn)(void), const uint32_t *args, int32_t count) {
    CallEffect e;
    checked_call(fn, args, count, &e);
    if (e.stack_delta != 0) return "the stack pointer moved (wrong convention or argument size)";
    if (e.ebx != 0x13579bdf || e.esi != 0x2468ace0 || e.edi != 0x369cf258) return "a callee-saved register changed";
    if ((e.fpu_status & 0x3800) != 0) return "the x87 register stack is not empty";
    if (e.fpu_control != e.fpu_control_before) return "the x87 control word changed";
    return NULL;
}
