// Checks the stack probe of the Microsoft-ABI build the way Windows grows a thread's stack: below a
// guard page nothing is committed, and each touch of the guard page commits it and moves the guard one
// page down. A function with a 256 KiB frame, touched at its far end, must then run, and afterwards
// every page of its frame must be committed with the guard page right below it. A probe that skips
// a page touches uncommitted memory and the program dies of an access violation.
//
// Wine commits the whole stack at once, so the test sets up Windows' state itself on this thread's
// stack: it decommits a stretch below the current frame and puts a guard page on top of it (Wine and
// Windows both grow a stack through such a guard page, one page per touch).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <cstdio>

// Calls the probe with RAX = size and every other general register and RSP set to a known value;
// returns 0 when all of them (R10 and R11 aside) came back unchanged, else the OR of the differences.
extern "C" std::uint64_t probe_changed_registers(std::uint64_t size);

// clang-format off
#define TARVEL_SET(reg, value) "  movabs $" #value ", %" #reg "\n"
#define TARVEL_DIFF(reg, value) "  movabs $" #value ", %r11\n  xor %r11, %" #reg "\n  or %" #reg ", %rax\n"
#define TARVEL_EACH_REGISTER(apply) \
  apply(rbx, 0x1111111111111111) \
  apply(rcx, 0x2222222222222222) \
  apply(rdx, 0x3333333333333333) \
  apply(rsi, 0x4444444444444444) \
  apply(rdi, 0x5555555555555555) \
  apply(rbp, 0x6666666666666666) \
  apply(r8, 0x7777777777777777) \
  apply(r9, 0x0888888888888888) \
  apply(r12, 0x0999999999999999) \
  apply(r13, 0x0AAAAAAAAAAAAAAA) \
  apply(r14, 0x0BBBBBBBBBBBBBBB) \
  apply(r15, 0x0CCCCCCCCCCCCCCC)
__asm__(
    ".text\n"
    ".def probe_changed_registers; .scl 2; .type 32; .endef\n"
    "probe_changed_registers:\n"
    "  push %rbx\n  push %rbp\n  push %rsi\n  push %rdi\n"
    "  push %r12\n  push %r13\n  push %r14\n  push %r15\n"
    "  movq %rsp, %xmm0\n"         // RSP and the size, kept where the probe may not write
    "  movq %rcx, %xmm1\n"
    "  mov %rcx, %rax\n"
    TARVEL_EACH_REGISTER(TARVEL_SET)
    "  call __chkstk\n"
    "  movq %xmm1, %r11\n  xor %r11, %rax\n"
    "  movq %xmm0, %r11\n  xor %rsp, %r11\n  or %r11, %rax\n"
    TARVEL_EACH_REGISTER(TARVEL_DIFF)
    "  pop %r15\n  pop %r14\n  pop %r13\n  pop %r12\n"
    "  pop %rdi\n  pop %rsi\n  pop %rbp\n  pop %rbx\n"
    "  ret\n");
#undef TARVEL_EACH_REGISTER
#undef TARVEL_SET
#undef TARVEL_DIFF
// clang-format on

namespace {

constexpr std::uintptr_t kPage = 4096;
constexpr std::size_t kFrameBytes = 256 * 1024;
// Room left committed below this frame for the calls made before and after the probed one.
constexpr std::uintptr_t kMargin = 16 * kPage;
constexpr std::uintptr_t kDecommitted = kFrameBytes + 64 * kPage;

// The lowest address of the large frame's buffer, for the check afterwards.
const volatile char* far_end = nullptr;

// A frame far larger than one page, written at its far (lowest) end first.
__declspec(noinline) int large_frame() {
  volatile char buffer[kFrameBytes];
  far_end = buffer;
  buffer[0] = 1;
  buffer[kFrameBytes - 1] = 2;
  return buffer[0] + buffer[kFrameBytes - 1];
}

std::uintptr_t page_of(const volatile void* address) {
  return reinterpret_cast<std::uintptr_t>(address) & ~(kPage - 1);
}

bool committed(std::uintptr_t page, bool& guarded) {
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(reinterpret_cast<void*>(page), &info, sizeof info);
  guarded = (info.Protect & PAGE_GUARD) != 0;
  return info.State == MEM_COMMIT;
}

DWORD WINAPI probe_thread(void* result) {
  volatile char here = 0;
  const std::uintptr_t guard = page_of(&here) - kMargin;
  const std::uintptr_t floor = guard - kDecommitted;
  DWORD old = 0;
  if (!VirtualFree(reinterpret_cast<void*>(floor), kDecommitted, MEM_DECOMMIT) ||
      !VirtualProtect(reinterpret_cast<void*>(guard), kPage, PAGE_READWRITE | PAGE_GUARD, &old)) {
    std::printf("FAIL: could not prepare the stack (error %lu)\n", GetLastError());
    return 1;
  }
  if (large_frame() != 3) return 1;

  // The pages from the old guard page down to the frame's far end are committed, the page below them
  // is the new guard page, and everything below that is still uncommitted.
  std::uintptr_t page = guard;
  bool guarded = false;
  while (page > floor && committed(page, guarded) && !guarded) page -= kPage;
  const std::uintptr_t grown = (guard - page) / kPage;
  const std::uintptr_t expected = (guard - page_of(far_end)) / kPage + 1;
  bool lower_guarded = false;
  const bool below_uncommitted = !committed(page - kPage, lower_guarded);
  *static_cast<std::uintptr_t*>(result) = grown;
  if (!guarded || !below_uncommitted || grown != expected) {
    std::printf(
        "FAIL: the stack grew by %lu pages for a frame reaching %lu pages below the guard page; "
        "new guard page %s, the page below it %s\n",
        static_cast<unsigned long>(grown), static_cast<unsigned long>(expected),
        guarded ? "found" : "missing", below_uncommitted ? "uncommitted" : "committed");
    return 1;
  }
  return 0;
}

// A probe that skips a page faults on uncommitted memory: report it and end the process at once,
// with no debugger in between.
LONG WINAPI report_fault(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  const unsigned long long address =
      record.NumberParameters >= 2 ? static_cast<unsigned long long>(record.ExceptionInformation[1]) : 0;
  std::printf("FAIL: exception 0x%08lX at 0x%llX, a page of the frame was skipped\n", record.ExceptionCode,
              address);
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 1);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int main() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(report_fault);
  std::uintptr_t grown = 0;
  HANDLE thread =
      CreateThread(nullptr, 4 << 20, probe_thread, &grown, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return 1;
  WaitForSingleObject(thread, INFINITE);
  DWORD status = 1;
  GetExitCodeThread(thread, &status);
  CloseHandle(thread);
  if (status != 0) return 1;
  if (const std::uint64_t changed = probe_changed_registers(5 * kPage + 123); changed != 0) {
    std::printf("FAIL: the probe changed a register it must keep (differences 0x%llX)\n",
                static_cast<unsigned long long>(changed));
    return 1;
  }
  std::printf(
      "PASS: a %lu KiB frame grew the stack page by page through its guard page (%lu pages); "
      "the probe kept every register but R10 and R11\n",
      static_cast<unsigned long>(kFrameBytes / 1024), static_cast<unsigned long>(grown));
  return 0;
}
