// What a process holds, counted from inside: kernel handles, GDI objects,
// busy heap bytes and committed private memory. Where the platform's own
// counters answer nothing (Wine), the counts are taken by probing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace suite_test {

// Kernel handles: the platform's count, or the handle values that name an
// open object.
inline DWORD handle_count() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count) return count;
  for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

// GDI objects: the platform's count, or the live entries of the handle table.
inline DWORD gdi_object_count() {
  DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (count) return count;
  for (ULONG_PTR index = 1; index < 0x10000; ++index)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++count;
  return count;
}

struct HeapFigures {
  uint64_t busy = 0;       // bytes of the blocks in use
  uint64_t committed = 0;  // bytes of memory the heaps hold from the system
};

// Every heap of the process (the C runtime's among them), walked block by
// block.
inline HeapFigures heap_figures() {
  std::vector<HANDLE> heaps(64);
  DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  if (count > heaps.size()) {
    heaps.resize(count);
    count = GetProcessHeaps(count, heaps.data());
  }
  HeapFigures figures;
  for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[i], &entry)) {
      if (entry.wFlags & PROCESS_HEAP_REGION) figures.committed += entry.Region.dwCommittedSize;
      else if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) figures.busy += entry.cbData;
    }
    HeapUnlock(heaps[i]);
  }
  return figures;
}
inline uint64_t heap_busy_bytes() { return heap_figures().busy; }

// Committed private memory of the address space (what the process alone
// pays for), summed region by region.
inline uint64_t private_bytes() {
  uint64_t total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

}  // namespace suite_test
