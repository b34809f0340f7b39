// Reads a module's version resource back through the Windows version API, as Windows Explorer does,
// and prints the fixed version numbers and the strings of the US-English block, one per line.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, which it needs.
#include <winver.h>

#include <cstdio>
#include <vector>

namespace {

// A fixed version is four 16-bit numbers in two 32-bit words, most significant first.
void print_version(const char* label, DWORD high, DWORD low) {
  std::printf("%s %u.%u.%u.%u\n", label, static_cast<unsigned>(high >> 16),
              static_cast<unsigned>(high & 0xffff), static_cast<unsigned>(low >> 16),
              static_cast<unsigned>(low & 0xffff));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: read_version MODULE\n");
    return 2;
  }
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(argv[1], &handle);
  std::vector<char> block(size);
  if (size == 0 || !GetFileVersionInfoA(argv[1], 0, size, block.data())) {
    std::printf("no version resource in %s\n", argv[1]);
    return 1;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr) {
    std::printf("no fixed version information\n");
    return 1;
  }
  print_version("file version", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  print_version("product version", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
  for (const char* name :
       {"FileVersion", "ProductVersion", "FileDescription", "ProductName", "OriginalFilename"}) {
    char path[96];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\040904b0\\%s", name);
    char* value = nullptr;
    if (!VerQueryValueA(block.data(), path, reinterpret_cast<void**>(&value), &length) || value == nullptr) {
      std::printf("%s missing\n", name);
      return 1;
    }
    std::printf("%s: %s\n", name, value);
  }
  return 0;
}
