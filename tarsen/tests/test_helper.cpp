// A program for the process and disk tests.
//   tarsen_test_helper sleep <milliseconds> [marker]: sleeps, then writes the
//     marker file (if one is named) and exits.
//   tarsen_test_helper label <root> <file>: writes the volume's label into the file.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "sleep") == 0) {
    Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    if (argc > 3) {
      if (FILE* marker = std::fopen(argv[3], "w")) std::fclose(marker);
    }
    return 0;
  }
  if (argc > 3 && std::strcmp(argv[1], "label") == 0) {
    char label[MAX_PATH] = {};
    if (!GetVolumeInformationA(argv[2], label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0)) return 2;
    FILE* out = std::fopen(argv[3], "w");
    if (!out) return 3;
    std::fputs(label, out);
    std::fclose(out);
    return 0;
  }
  return 1;
}
