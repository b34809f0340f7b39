// The x64 stack probe __chkstk for the Microsoft-ABI cross build. The compiler calls it in the
// prologue of every function whose frame exceeds one page, with the frame size in RAX, before it
// lowers RSP. Windows commits a thread's stack one page at a time through a guard page just below the
// committed part, so the pages of a large frame must be touched in order from the top down; a touch
// that skips past the guard page is an access violation. Windows' kernel32 does not export the probe
// (Wine's does), so each image links this copy, as images of the Microsoft toolchain link its own.
//
// Contract: RAX holds the size; every page from the caller's stack pointer down to RSP - RAX is touched,
// top first; RSP and every register except R10, R11 and the flags are left as they were. The probe
// changes RSP nowhere, so it is a leaf that needs no unwind data.

__asm__(
    ".text\n"
    ".globl __chkstk\n"
    ".def __chkstk; .scl 2; .type 32; .endef\n"
    ".p2align 4\n"
    "__chkstk:\n"
    // R10: the lowest address the frame will use (the caller's RSP, above our return address, less
    // the size), clamped at 0 when the size exceeds the stack pointer.
    "  lea 8(%rsp), %r10\n"
    "  xor %r11d, %r11d\n"
    "  sub %rax, %r10\n"
    "  cmovb %r11, %r10\n"
    // R11: the start of the page the caller's stack pointer lies in, already touched.
    "  lea 8(%rsp), %r11\n"
    "  and $-4096, %r11\n"
    // Walk down one page at a time until the page holding the frame's lowest address is touched.
    "1:\n"
    "  cmp %r10, %r11\n"
    "  jbe 2f\n"
    "  sub $4096, %r11\n"
    "  testb $0, (%r11)\n"
    "  jmp 1b\n"
    "2:\n"
    "  ret\n");
