#include "crash/process/tda_try_read.h"

#include <windows.h>

#include "crash/process/memory_region_win32.h"

namespace roadsum {

namespace {

using ReadFunction = decltype(&ReadProcessMemory);

}  // namespace

TDATryRead::TDATryRead() : process_(GetCurrentProcess()) {
    // Looked up at run time, as the reporter does for every system routine it may lack.
    if (HMODULE kernel = GetModuleHandleA("kernel32.dll"))
        read_ = reinterpret_cast<void*>(GetProcAddress(kernel, "ReadProcessMemory"));
}

void TDATryRead::StartSnapshot() {
    AddressSpaceSnapshot s;
    s.build(query_memory_region);
    snapshot_ = std::move(s);
}

void TDATryRead::EndSnapshot() { snapshot_.reset(); }

bool TDATryRead::try_read(std::uint32_t address, void* buffer, std::uint32_t count) const {
    if (address == 0 || !read_) return false;
    if (count == 0) return true;
    if (snapshot_) {
        // The whole span, not only its start, must lie in a readable range: some systems' process
        // read (Wine's on the own process) does not fail on reserved or freed pages.
        const AddressSpaceSnapshot::Range* r = snapshot_->find(address);
        if (!r || !r->readable || (r->end != 0 && count > r->end - address)) return false;
    }
    SIZE_T done = 0;
    const auto read = reinterpret_cast<ReadFunction>(read_);
    return read(process_, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address)), buffer, count, &done) &&
           done == count;
}

bool TDATryRead::readable_range(std::uint32_t address, std::uint32_t& begin, std::uint32_t& end) const {
    if (snapshot_) {
        const AddressSpaceSnapshot::Range* r = snapshot_->find(address);
        if (!r || !r->readable) return false;
        begin = r->begin;
        end = r->end;
        return true;
    }
    MemoryRegion region;
    if (!query_memory_region(address, region) || !is_readable_region(region)) return false;
    begin = region.base;
    end = region.base + region.size;
    return true;
}

}  // namespace roadsum
