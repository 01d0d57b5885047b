#include "platform/win32_platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winioctl.h>

#include <cstring>

namespace tolvik {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 units are Windows' wide characters");
static_assert(sizeof(CodePageInfo) == sizeof(CPINFO), "CodePageInfo mirrors CPINFO");
static_assert(offsetof(CodePageInfo, LeadByte) == offsetof(CPINFO, LeadByte), "");
static_assert(kInvalidFileAttributes == INVALID_FILE_ATTRIBUTES, "");
static_assert(kFileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY, "");
static_assert(kMaxPath == MAX_PATH, "");
static_assert(kCodePageAnsi == CP_ACP, "");
static_assert(kLocaleDefaultAnsiCodePage == LOCALE_IDEFAULTANSICODEPAGE, "");
static_assert(kGenericWrite == GENERIC_WRITE, "");
static_assert(kFileShareRead == FILE_SHARE_READ && kFileShareWrite == FILE_SHARE_WRITE, "");
static_assert(kOpenExisting == OPEN_EXISTING, "");
static_assert(kFileFlagOpenReparsePoint == FILE_FLAG_OPEN_REPARSE_POINT, "");
static_assert(kFileFlagBackupSemantics == FILE_FLAG_BACKUP_SEMANTICS, "");
static_assert(kFsctlSetReparsePoint == FSCTL_SET_REPARSE_POINT, "");
static_assert(kMbIconError == MB_ICONERROR && kMbIconInformation == MB_ICONINFORMATION, "");
static_assert(kUoiFlags == UOI_FLAGS && kWsfVisible == WSF_VISIBLE, "");
static_assert(sizeof(UserObjectFlags) == sizeof(USEROBJECTFLAGS), "UserObjectFlags mirrors it");
static_assert(offsetof(UserObjectFlags, dwFlags) == offsetof(USEROBJECTFLAGS, dwFlags), "");
static_assert(sizeof(DWORD) == sizeof(std::uint32_t), "");

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
wchar_t* Wide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}

// A function of a loaded DLL, found by name at run time; null when it has none.
template <typename Function>
Function Find(HMODULE module, const char* name) {
    Function function = nullptr;
    FARPROC found = module == nullptr ? nullptr : ::GetProcAddress(module, name);
    if (found != nullptr) std::memcpy(&function, &found, sizeof function);
    return function;
}

// A DLL of the system folder, loaded once a box may be shown and kept until
// the process ends; null when it cannot be had. USER32 is a known DLL and
// comes from the system folder whatever the search order. COMCTL32 comes as
// the manifest's Common Controls 6, from the side-by-side store, and from
// Windows 7 with KB2533623 on the search order is the system folder alone.
HMODULE SystemDll(const char* name) {
    return ::LoadLibraryA(name);
}

// A function of USER32; null where there is no USER32 or no such function.
template <typename Function>
Function FindInUser32(const char* name) {
    return Find<Function>(SystemDll("user32.dll"), name);
}

}  // namespace

const char* Win32Platform::GetCommandLineA() {
    return ::GetCommandLineA();
}

const char16_t* Win32Platform::GetCommandLineW() {
    return reinterpret_cast<const char16_t*>(::GetCommandLineW());
}

std::uint32_t Win32Platform::GetModuleFileNameA(char* buffer, std::uint32_t size) {
    return ::GetModuleFileNameA(nullptr, buffer, size);
}

std::uint32_t Win32Platform::GetModuleFileNameW(char16_t* buffer, std::uint32_t size) {
    return ::GetModuleFileNameW(nullptr, Wide(buffer), size);
}

std::uint32_t Win32Platform::GetThreadLocale() {
    return ::GetThreadLocale();
}

int Win32Platform::GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer,
                                  int size) {
    return ::GetLocaleInfoA(locale, type, buffer, size);
}

std::uint32_t Win32Platform::GetACP() {
    return ::GetACP();
}

bool Win32Platform::GetCPInfo(std::uint32_t codePage, CodePageInfo* info) {
    return ::GetCPInfo(codePage, reinterpret_cast<CPINFO*>(info)) != FALSE;
}

int Win32Platform::MultiByteToWideChar(std::uint32_t codePage, std::uint32_t flags,
                                       const char* text, int length, char16_t* wide, int wideSize) {
    return ::MultiByteToWideChar(codePage, flags, text, length, Wide(wide), wideSize);
}

std::uint32_t Win32Platform::GetCurrentProcessId() {
    return ::GetCurrentProcessId();
}

// Found at run time: Microsoft documents it from Windows Vista on, and a
// Windows without it must still start the program. Without it, no answer.
bool Win32Platform::ProcessIdToSessionId(std::uint32_t processId, std::uint32_t* sessionId) {
    const auto session = Find<BOOL(WINAPI*)(DWORD, DWORD*)>(::GetModuleHandleA("kernel32.dll"),
                                                            "ProcessIdToSessionId");
    return session != nullptr && session(processId, reinterpret_cast<DWORD*>(sessionId)) != FALSE;
}

std::uint32_t Win32Platform::GetVersion() {
    return ::GetVersion();
}

std::uint32_t Win32Platform::GetFullPathNameW(const char16_t* path, std::uint32_t size,
                                              char16_t* buffer) {
    return ::GetFullPathNameW(Wide(path), size, Wide(buffer), nullptr);
}

std::uint32_t Win32Platform::GetFileAttributesA(const char* path) {
    return ::GetFileAttributesA(path);
}

bool Win32Platform::CreateHardLinkA(const char* link, const char* existing,
                                    void* securityAttributes) {
    return ::CreateHardLinkA(link, existing,
                             static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes)) != FALSE;
}

std::uint32_t Win32Platform::GetFileAttributesW(const char16_t* path) {
    return ::GetFileAttributesW(Wide(path));
}

bool Win32Platform::CreateHardLinkW(const char16_t* link, const char16_t* existing,
                                    void* securityAttributes) {
    return ::CreateHardLinkW(Wide(link), Wide(existing),
                             static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes)) != FALSE;
}

bool Win32Platform::CreateDirectoryW(const char16_t* path, void* securityAttributes) {
    return ::CreateDirectoryW(Wide(path), static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes)) !=
           FALSE;
}

Handle Win32Platform::CreateFileW(const char16_t* path, std::uint32_t access, std::uint32_t share,
                                  void* securityAttributes, std::uint32_t disposition,
                                  std::uint32_t flags, Handle templateFile) {
    return ::CreateFileW(Wide(path), access, share,
                         static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes), disposition, flags,
                         templateFile);
}

bool Win32Platform::DeviceIoControl(Handle device, std::uint32_t code, const void* in,
                                    std::uint32_t inSize, void* out, std::uint32_t outSize,
                                    std::uint32_t* bytesReturned, void* overlapped) {
    DWORD returned = 0;
    const BOOL done = ::DeviceIoControl(device, code, const_cast<void*>(in), inSize, out, outSize,
                                        &returned, static_cast<LPOVERLAPPED>(overlapped));
    if (bytesReturned != nullptr) *bytesReturned = returned;
    return done != FALSE;
}

bool Win32Platform::CloseHandle(Handle handle) {
    return ::CloseHandle(handle) != FALSE;
}

bool Win32Platform::RemoveDirectoryW(const char16_t* path) {
    return ::RemoveDirectoryW(Wide(path)) != FALSE;
}

Handle Win32Platform::GetProcessWindowStation() {
    const auto station = FindInUser32<HWINSTA(WINAPI*)()>("GetProcessWindowStation");
    return station == nullptr ? nullptr : station();
}

bool Win32Platform::GetUserObjectInformationW(Handle object, int index, void* info,
                                              std::uint32_t length, std::uint32_t* lengthNeeded) {
    const auto information = FindInUser32<BOOL(WINAPI*)(HANDLE, int, PVOID, DWORD, LPDWORD)>(
        "GetUserObjectInformationW");
    return information != nullptr && information(object, index, info, length,
                                                 reinterpret_cast<LPDWORD>(lengthNeeded)) != FALSE;
}

int Win32Platform::MessageBoxW(void* owner, const char16_t* text, const char16_t* caption,
                               std::uint32_t type) {
    // The manifest asks for Common Controls 6, and Windows XP then shows no
    // box until COMCTL32 is loaded; that version comes in its place.
    SystemDll("comctl32.dll");
    const auto messageBox = FindInUser32<int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT)>("MessageBoxW");
    return messageBox == nullptr
               ? 0
               : messageBox(static_cast<HWND>(owner), Wide(text), Wide(caption), type);
}

void LoadDllsFromSystemFolderOnly() {
    // Found at run time: Windows Vista, and 7 without KB2533623, lack it and
    // keep their own search order.
    const auto setDefault =
        Find<BOOL(WINAPI*)(DWORD)>(::GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace tolvik
