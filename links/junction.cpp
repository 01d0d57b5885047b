#include "links/junction.h"

#include <cstdint>

#include "links/mount_point.h"
#include "support/conversion.h"
#include "support/text.h"

namespace tolvik {
namespace {

// The full path of `path` as Windows resolves it against the current
// directory and drive; empty when it cannot be had. An answer below the
// buffer's size is the length written. Any other answer is the size needed:
// Windows may size a path before shortening its . and .. parts, and the
// current directory may change between two calls, so it is asked again, a
// few times at most.
WideText FullPath(Platform& platform, const WideText& path) {
    WideText buffer;
    std::uint32_t size = 0;
    for (int call = 0; call < 4 && !path.empty(); ++call) {
        const std::uint32_t answer = platform.GetFullPathNameW(path.c_str(), size, buffer.data());
        if (answer == 0) break;
        if (answer < size) return WideText::Of(WideText::View(buffer.c_str(), answer));
        size = answer;
        buffer = WideText::OfLength(size);
    }
    return WideText();
}

// A target as typed (data, C:data, ..\data) would be stored as it stands and
// never lead anywhere, so the junction leads to the source's full path. A
// verbatim source (\\?\C:\data.) or one in the NT form (\??\C:\data) is
// examined by Windows exactly as written: made full, it would lose a trailing
// dot or space, or gain a drive, and lead elsewhere.
WideText TargetOf(Platform& platform, const WideText& src) {
    if (IsVerbatim(src.view())) return JunctionTarget(src.view());
    const WideText full = FullPath(platform, src);
    return full.empty() ? WideText() : JunctionTarget(full.view());
}

// The directory this call made: removed again when it goes out of scope,
// unless kept.
class CreatedDirectory {
  public:
    CreatedDirectory(Platform& platform, const WideText& path)
        : platform_(platform),
          path_(path),
          made_(platform.CreateDirectoryW(path.c_str(), nullptr)) {}
    CreatedDirectory(const CreatedDirectory&) = delete;
    CreatedDirectory& operator=(const CreatedDirectory&) = delete;
    ~CreatedDirectory() {
        // Whether the removal worked changes nothing for the caller.
        if (made_ && !kept_) platform_.RemoveDirectoryW(path_.c_str());
    }
    bool made() const { return made_; }
    void Keep() { kept_ = true; }

  private:
    Platform& platform_;
    const WideText& path_;
    const bool made_;
    bool kept_ = false;
};

class OpenedHandle {
  public:
    OpenedHandle(Platform& platform, Handle handle) : platform_(platform), handle_(handle) {}
    OpenedHandle(const OpenedHandle&) = delete;
    OpenedHandle& operator=(const OpenedHandle&) = delete;
    ~OpenedHandle() {
        if (valid()) platform_.CloseHandle(handle_);
    }
    bool valid() const { return handle_ != kInvalidHandleValue; }
    Handle get() const { return handle_; }

  private:
    Platform& platform_;
    Handle handle_;
};

bool MakeJunctionAt(Platform& platform, const WideText& target, const WideText& link) {
    // A path that could not be converted is not the one typed, and an empty
    // one was not typed at all: nothing is asked of the volume in its name.
    if (target.empty() || link.empty()) return false;

    // Declared first so that it goes last: the handle is always closed before
    // the directory is removed.
    CreatedDirectory directory(platform, link);
    if (!directory.made()) return false;

    OpenedHandle handle(
        platform,
        platform.CreateFileW(link.c_str(), kGenericWrite, kFileShareRead | kFileShareWrite, nullptr,
                             kOpenExisting, kFileFlagOpenReparsePoint | kFileFlagBackupSemantics,
                             nullptr));
    if (!handle.valid()) return false;

    MountPointRequest request;
    if (!BuildMountPointRequest(target.view(), request)) return false;

    std::uint32_t bytesReturned = 0;
    const bool made = platform.DeviceIoControl(handle.get(), kFsctlSetReparsePoint, request.bytes,
                                               request.length, nullptr, 0, &bytesReturned, nullptr);
    if (made) directory.Keep();
    return made;
}

}  // namespace

bool MakeJunction(Platform& platform, std::string_view src, std::string_view dst) {
    // Two statements, so that Windows is asked in one order: the source's
    // conversion and full path, then the link's conversion.
    const WideText target = TargetOf(platform, ToWide(platform, src));
    return MakeJunctionAt(platform, target, ToWide(platform, dst));
}

bool MakeJunction(Platform& platform, const WideText& src, const WideText& dst) {
    return MakeJunctionAt(platform, TargetOf(platform, src), dst);
}

}  // namespace tolvik
