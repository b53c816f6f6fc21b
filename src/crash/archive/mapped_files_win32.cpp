// Deflating and inflating whole files through mapped views, one view of each file at a time.
#include <windows.h>

#include <algorithm>

#include "crash/archive/deflate.h"
#include "crash/archive/zip_win32.h"
#include "crash/common/scoped_handle_win32.h"

namespace roadsum {
namespace {

DWORD high_part(std::uint64_t v) { return static_cast<DWORD>(v >> 32); }
DWORD low_part(std::uint64_t v) { return static_cast<DWORD>(v); }

// Views must start at multiples of the allocation granularity.
std::uint32_t view_size(std::uint32_t requested) {
    SYSTEM_INFO si{};
    GetSystemInfo(&si);
    const std::uint32_t unit = si.dwAllocationGranularity ? si.dwAllocationGranularity : 65536;
    const std::uint32_t units = std::max<std::uint32_t>(1, requested / unit + (requested % unit != 0));
    return std::min<std::uint32_t>(units, 0x7FFFFFFFu / unit) * unit;
}

class MappedInput {
public:
    MappedInput(const std::wstring& path, std::uint32_t view_bytes) : view_bytes_(view_bytes) {
        // Not shared for writing: the file cannot change under the views, nor be our own output.
        file_.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        if (!file_.valid() || !GetFileSizeEx(file_.get(), &size)) return;
        size_ = static_cast<std::uint64_t>(size.QuadPart);
        // An empty file cannot be mapped, and needs no view.
        if (size_ > 0) mapping_.reset(CreateFileMappingW(file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        ok_ = size_ == 0 || mapping_.valid();
    }

    bool ok() const { return ok_; }
    bool at_end() const { return offset_ >= size_; }

    // Maps the next part of the file in place of the previous one.
    bool next(ByteView& bytes) {
        const std::uint64_t length = std::min<std::uint64_t>(view_bytes_, size_ - offset_);
        view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ, high_part(offset_), low_part(offset_),
                                  static_cast<SIZE_T>(length)));
        if (!view_.valid()) return false;
        bytes = {static_cast<const std::uint8_t*>(view_.get()), static_cast<std::size_t>(length)};
        offset_ += length;
        return true;
    }

private:
    std::uint32_t view_bytes_;
    ScopedFile file_;
    ScopedMapping mapping_;
    ScopedView view_;
    std::uint64_t size_ = 0;
    std::uint64_t offset_ = 0;
    bool ok_ = false;
};

// The output grows one view at a time (each mapping extends the file to the end of its view)
// and is cut to the written length at the end. Deleted unless completed.
class MappedOutput {
public:
    MappedOutput(const std::wstring& path, std::uint32_t view_bytes) : path_(path), view_bytes_(view_bytes) {
        file_.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    ~MappedOutput() {
        if (!file_.valid()) return;
        view_.reset();
        mapping_.reset();
        file_.reset();
        DeleteFileW(path_.c_str());
    }

    MappedOutput(const MappedOutput&) = delete;
    MappedOutput& operator=(const MappedOutput&) = delete;

    bool ok() const { return file_.valid(); }

    bool next(MutableByteView& bytes) {
        view_.reset();
        const std::uint64_t end = offset_ + view_bytes_;
        mapping_.reset(CreateFileMappingW(file_.get(), nullptr, PAGE_READWRITE, high_part(end), low_part(end), nullptr));
        if (!mapping_.valid()) return false;
        view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, high_part(offset_), low_part(offset_), view_bytes_));
        if (!view_.valid()) return false;
        bytes = {static_cast<std::uint8_t*>(view_.get()), view_bytes_};
        offset_ = end;
        return true;
    }

    bool finish(std::uint64_t length) {
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(length);
        const bool cut = view_.reset() && mapping_.reset() && SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN) &&
                         SetEndOfFile(file_.get());
        const bool closed = file_.reset();
        if (cut && closed) return true;
        DeleteFileW(path_.c_str());
        return false;
    }

private:
    std::wstring path_;
    std::uint32_t view_bytes_;
    ScopedFile file_;
    ScopedMapping mapping_;
    ScopedView view_;
    std::uint64_t offset_ = 0;
};

// Runs a stream over the files, mapping the next view of either side whenever one runs out.
template <class Step>
std::int64_t pump(const std::wstring& source, const std::wstring& destination, std::uint32_t view_bytes, Step step) {
    const std::uint32_t view = view_size(view_bytes);
    MappedInput in(source, view);
    if (!in.ok()) return -1;
    MappedOutput out(destination, view);
    if (!out.ok()) return -1;
    ByteView input;
    MutableByteView output;
    std::uint64_t total = 0;
    for (;;) {
        if (input.empty() && !in.at_end() && !in.next(input)) return -1;
        if (output.empty() && !out.next(output)) return -1;
        const std::size_t space = output.size();
        const StreamStatus status = step(input, output, in.at_end());
        total += space - output.size();
        if (status == StreamStatus::done) return out.finish(total) ? static_cast<std::int64_t>(total) : -1;
        if (status == StreamStatus::error) return -1;
        // Stalled with output space and no input left to map: the stream ends early.
        if (status == StreamStatus::stalled && !output.empty() && (!input.empty() || in.at_end())) return -1;
    }
}

}  // namespace

std::int64_t compress_file(const std::wstring& source, const std::wstring& destination, std::uint32_t view_bytes) {
    RawDeflater deflater;
    return pump(source, destination, view_bytes,
                [&](ByteView& in, MutableByteView& out, bool last) { return deflater.step(in, out, last); });
}

std::int64_t uncompress_file(const std::wstring& source, const std::wstring& destination, std::uint32_t view_bytes) {
    RawInflater inflater;
    return pump(source, destination, view_bytes,
                [&](ByteView& in, MutableByteView& out, bool) { return inflater.step(in, out); });
}

}  // namespace roadsum
