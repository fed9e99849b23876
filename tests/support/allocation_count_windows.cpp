// The allocation counter on Windows: the plugin module's imports of the C
// runtime's malloc, calloc and realloc are pointed at counting ones, so only
// that module's allocations count.
#include "tests/support/allocation_count.h"

#include <cstddef>
#include <cstring>

namespace {

using MallocProc = void*(__cdecl*)(std::size_t);
using CallocProc = void*(__cdecl*)(std::size_t, std::size_t);
using ReallocProc = void*(__cdecl*)(void*, std::size_t);
MallocProc realMalloc = nullptr;
CallocProc realCalloc = nullptr;
ReallocProc realRealloc = nullptr;

void* __cdecl CountingMalloc(std::size_t size) {
    CountAllocation();
    return realMalloc(size);
}
void* __cdecl CountingCalloc(std::size_t count, std::size_t size) {
    CountAllocation();
    return realCalloc(count, size);
}
void* __cdecl CountingRealloc(void* block, std::size_t size) {
    CountAllocation();
    return realRealloc(block, size);
}

// Points the module's import of `name` (from any DLL) at `replacement`;
// gives the address it held.
void* Redirect(HMODULE module, const char* name, void* replacement) {
    auto* base = reinterpret_cast<unsigned char*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return nullptr;
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0)
                continue;
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
            void* previous = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
            return previous;
        }
    }
    return nullptr;
}

} // namespace

bool CountAllocationsOf(HMODULE plugin) {
    realMalloc = reinterpret_cast<MallocProc>(
        Redirect(plugin, "malloc", reinterpret_cast<void*>(&CountingMalloc)));
    realCalloc = reinterpret_cast<CallocProc>(
        Redirect(plugin, "calloc", reinterpret_cast<void*>(&CountingCalloc)));
    realRealloc = reinterpret_cast<ReallocProc>(
        Redirect(plugin, "realloc", reinterpret_cast<void*>(&CountingRealloc)));
    allocationCounting = realMalloc != nullptr;
    return allocationCounting;
}
