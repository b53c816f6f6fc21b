// Real files for the Win32 tests, in folders under the test's working directory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "crash/common/byte_view.h"

namespace roadsum::testing {

// An empty folder zip_scratch\<name>, with whatever an earlier run left there removed.
std::wstring scratch_dir(const std::wstring& name);

void write_wide_file(const std::wstring& path, ByteView bytes);
std::vector<std::uint8_t> read_wide_file(const std::wstring& path);
bool file_exists(const std::wstring& path);
std::uint64_t file_size(const std::wstring& path);

// Sets the last-write time to the given clock time of this machine's time zone.
void set_local_write_time(const std::wstring& path, const SYSTEMTIME& local);

}  // namespace roadsum::testing
