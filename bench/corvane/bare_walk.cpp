// The platform's floor for a folder-size walk: the same listings as
// FolderOrFileSize (FindFirstFileA / FindNextFileA, "\*.*"), nothing else.
// Prints the byte total and the seconds taken.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

double walk(const std::string& path) {
  WIN32_FIND_DATAA entry;
  HANDLE listing = FindFirstFileA((path + "\\*.*").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return 0;
  double total = 0;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      total += entry.nFileSizeHigh * 4294967296.0 + entry.nFileSizeLow;
    else if (std::strcmp(entry.cFileName, ".") && std::strcmp(entry.cFileName, ".."))
      total += walk(path + "\\" + entry.cFileName);
  } while (FindNextFileA(listing, &entry));
  FindClose(listing);
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  double total = walk(argv[1]);
  QueryPerformanceCounter(&end);
  std::printf("bare %.0f %.3f\n", total, double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  return 0;
}
