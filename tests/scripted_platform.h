// A scripted Windows: canned answers, a log of the calls that can fail, calls
// made to fail by name and occurrence ("the 2nd CreateDirectoryW"), and what a
// run left on the volume. It answers as Windows documents each call, not as
// kindly as Wine does (platform/windows-contracts.md): a failing call
// scribbles on what it was handed, as a half-done call may, sizes may be
// larger than needed, a buffer may hold more than the answer says, and a call
// given what Windows refuses fails. Its UTF-16 text is the ANSI text read in
// the code page, simply: in 932 the bytes 81 5F are the fullwidth backslash,
// and otherwise a byte is the character of its number.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace tolvik::testing {

// The splitting rules written once more, as plainly as possible, hold for the
// command line (fuzz/command_line_fuzzer.cpp).
bool SplitsByTheRules(const std::string& line);

class ScriptedPlatform final : public Platform {
  public:
    std::string commandLine = "tolvik.exe", moduleFileName = "C:\\tools\\tolvik.exe";
    std::uint32_t threadLocale = 0x409, acp = 1252;
    std::map<std::uint32_t, std::string> codePageText = {{0x409, "1252"}, {0x411, "932"}};
    std::map<std::uint32_t, std::array<std::uint8_t, 12>> leadBytes = {
        {932, {0x81, 0x9F, 0xE0, 0xFC}}, {1252, {}}};
    std::uint32_t attributes = 0x20;        // what GetFileAttributesA and W say of every path
    std::u16string fullPath = u"C:\\data";  // what GetFullPathNameW makes of every path
    std::uint32_t sizeSlack = 0;            // a size answer this much larger, as for C:\x\..\data
    int growths = 0;       // size answers after which the current directory changes
    bool cutAsXp = false;  // a path cut at the buffer without terminator, as Windows XP answers
    std::uint32_t session = 1;            // the session the process runs in
    std::uint32_t version = 0x1DB10106u;  // GetVersion's answer: Windows 7 SP1, 6.1.7601
    inline static const Handle kOpened = reinterpret_cast<Handle>(0x10);  // every handle opened
    std::vector<std::string> log;                                         // the calls, by name
    std::vector<unsigned char> request;  // what DeviceIoControl was given
    std::u16string box;                  // the text of the last box

    // The `occurrence`-th call of `name` fails (1: the first).
    void Fail(const std::string& name, int occurrence = 1) {
        failures_.emplace_back(name, occurrence);
    }
    // What the run left on the volume, name by name: "L: hard link to F",
    // "L: directory", "L: junction to \??\C:\data"; empty: nothing.
    std::u16string Volume() const {
        std::u16string made;
        for (const auto& [name, what] : volume_)
            made += (made.empty() ? u"" : u"; ") + name + u": " + what;
        return made;
    }
    // How often these were called.
    std::size_t Calls(std::initializer_list<const char*> names) const {
        std::size_t calls = 0;
        for (const char* name : names)
            calls += static_cast<std::size_t>(calls_.count(name) ? calls_.at(name) : 0);
        return calls;
    }

    const char* GetCommandLineA() override { return commandLine.c_str(); }
    const char16_t* GetCommandLineW() override {
        wideLine_ = Widen(commandLine, acp);
        return wideLine_.c_str();
    }
    std::uint32_t GetThreadLocale() override { return threadLocale; }
    std::uint32_t GetCurrentProcessId() override { return 0x1234; }
    // Any other process is a service's or the system's, in session 0; failing,
    // it leaves 0 too.
    bool ProcessIdToSessionId(std::uint32_t id, std::uint32_t* answer) override {
        const bool fails = Call("ProcessIdToSessionId");
        *answer = id == 0x1234 && !fails ? session : 0;
        return !fails;
    }
    std::uint32_t GetVersion() override { return version; }
    std::uint32_t GetACP() override { return acp; }
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t size) override {
        std::memset(buffer, 'x', size);
        if (Call("GetModuleFileNameA")) return 0;
        const auto length = static_cast<std::uint32_t>(moduleFileName.size());
        std::memcpy(buffer, moduleFileName.c_str(), std::min(length + 1, size));
        // Cut short, it answers the buffer's size, and since Vista its last
        // byte is the terminator; Windows XP leaves the terminator out.
        if (length >= size && !cutAsXp) buffer[size - 1] = '\0';
        return std::min(length, size);
    }
    // The path as Windows holds it is not told: the ANSI one stands.
    std::uint32_t GetModuleFileNameW(char16_t* buffer, std::uint32_t size) override {
        return std::fill(buffer, buffer + size, u'x'), Call("GetModuleFileNameW"), 0;
    }
    int GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer, int size) override {
        std::memset(buffer, '7', static_cast<std::size_t>(size));
        const auto found = codePageText.find(locale);
        if (Call("GetLocaleInfoA") || type != kLocaleDefaultAnsiCodePage ||
            found == codePageText.end() || found->second.size() >= static_cast<std::size_t>(size))
            return 0;  // a buffer too small included
        const std::string& text = found->second;
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<int>(text.size() + 1);  // the terminator counted
    }
    bool GetCPInfo(std::uint32_t codePage, CodePageInfo* info) override {
        std::memset(info, 0x80, sizeof *info);
        const auto found = leadBytes.find(codePage == kCodePageAnsi ? acp : codePage);
        if (Call("GetCPInfo") || found == leadBytes.end()) return false;
        std::memcpy(info->LeadByte, found->second.data(), sizeof info->LeadByte);
        return true;
    }
    // No terminator for a text counted without one; asked with no buffer, the
    // units needed, this much larger; 0 for a buffer too small.
    int MultiByteToWideChar(std::uint32_t codePage, std::uint32_t, const char* text, int length,
                            char16_t* wide, int size) override {
        const std::string ansi(text, static_cast<std::size_t>(length));
        if (size != 0) std::fill(wide, wide + size, u'?');
        // Like a Windows XP without East Asian support, no table for 932 where the
        // system has another code page.
        if (Call("MultiByteToWideChar") || (codePage == kCodePageJapanese && acp != 932)) return 0;
        const std::u16string units = Widen(ansi, codePage == kCodePageAnsi ? acp : codePage);
        if (size == 0) return static_cast<int>(units.size() + sizeSlack);
        if (static_cast<std::size_t>(size) < units.size()) return 0;
        std::copy(units.begin(), units.end(), wide);
        return static_cast<int>(units.size());
    }
    // The size answer counts the terminator, the length written does not.
    std::uint32_t GetFullPathNameW(const char16_t*, std::uint32_t size, char16_t* buffer) override {
        std::fill(buffer, buffer + size, u'?');
        if (Call("GetFullPathNameW")) return 0;
        const auto length = static_cast<std::uint32_t>(fullPath.size());
        if (size > length) {
            std::memcpy(buffer, fullPath.c_str(), (length + 1) * sizeof(char16_t));
            return length;
        }
        if (growths-- > 0) fullPath += u'x';
        return length + 1 + sizeSlack;
    }
    std::uint32_t GetFileAttributesA(const char* path) override {
        const bool fails = Call("GetFileAttributesA") || TooLong(Widen(path, acp), false);
        return fails ? kInvalidFileAttributes : attributes;
    }
    bool CreateHardLinkA(const char* link, const char* existing, void*) override {
        return !Call("CreateHardLinkA") && !TooLong(Widen(link, acp), false) &&
               !TooLong(Widen(existing, acp), false) &&
               Made(Widen(link, acp), u"hard link to " + Widen(existing, acp));
    }
    std::uint32_t GetFileAttributesW(const char16_t* path) override {
        const bool fails = Call("GetFileAttributesW") || TooLong(path, true);
        return fails ? kInvalidFileAttributes : attributes;
    }
    bool CreateHardLinkW(const char16_t* link, const char16_t* existing, void*) override {
        return !Call("CreateHardLinkW") && !TooLong(link, true) && !TooLong(existing, true) &&
               Made(link, u"hard link to " + std::u16string(existing));
    }
    bool CreateDirectoryW(const char16_t* path, void*) override {
        return !Call("CreateDirectoryW") && !TooLong(path, true, 248) && Made(path, u"directory");
    }
    // A directory opens only with backup semantics, its reparse point rather
    // than what it leads to only with FILE_FLAG_OPEN_REPARSE_POINT, and a
    // record is set only through a handle with write access. INVALID_HANDLE_VALUE,
    // not null, on failure.
    Handle CreateFileW(const char16_t* path, std::uint32_t access, std::uint32_t, void*,
                       std::uint32_t disposition, std::uint32_t flags, Handle) override {
        const std::uint32_t both = kFileFlagOpenReparsePoint | kFileFlagBackupSemantics;
        if (Call("CreateFileW") || volume_.count(path) == 0 || disposition != kOpenExisting ||
            (flags & both) != both || (access & kGenericWrite) == 0)
            return kInvalidHandleValue;
        return opened_ = path, kOpened;
    }
    // Without an OVERLAPPED, the count of bytes returned must be asked for; an
    // output size without a buffer fails, as Windows probes a buffer that size.
    bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t inSize,
                         void* out, std::uint32_t outSize, std::uint32_t* returned,
                         void* overlapped) override {
        const auto* bytes = static_cast<const unsigned char*>(in);
        request.assign(bytes, bytes + inSize);
        if (Call("DeviceIoControl") || device != kOpened || code != kFsctlSetReparsePoint ||
            (overlapped == nullptr && returned == nullptr) || (out == nullptr && outSize != 0))
            return false;
        // The substitute name: its offset and length at 8, the names from 16.
        const auto* units = reinterpret_cast<const char16_t*>(bytes);
        return Made(opened_,
                    u"junction to " + std::u16string(units + 8 + units[4] / 2, units[5] / 2));
    }
    bool CloseHandle(Handle handle) override {
        return !Call("CloseHandle") && handle == kOpened && (opened_.clear(), true);
    }
    // A directory still open, without FILE_SHARE_DELETE, stays.
    bool RemoveDirectoryW(const char16_t* path) override {
        return !Call("RemoveDirectoryW") && opened_ != path && volume_.erase(path) == 1;
    }
    Handle GetProcessWindowStation() override {
        return Call("GetProcessWindowStation") ? nullptr : kStation;
    }
    // The station has a display, as WinSta0 has. Failing, it leaves flags
    // without WSF_VISIBLE, and fInherit is never the answer: only dwFlags tells.
    bool GetUserObjectInformationW(Handle object, int index, void* info, std::uint32_t length,
                                   std::uint32_t*) override {
        const bool fails = Call("GetUserObjectInformationW") || index != kUoiFlags ||
                           object != kStation || length < sizeof(UserObjectFlags);
        const UserObjectFlags flags = {0, 0, fails ? 0 : kWsfVisible};
        return std::memcpy(info, &flags, std::min<std::size_t>(length, sizeof flags)), !fails;
    }
    int MessageBoxW(void*, const char16_t* text, const char16_t*, std::uint32_t) override {
        return box = text, Call("MessageBoxW") ? 0 : 1;
    }

  private:
    inline static const Handle kStation = reinterpret_cast<Handle>(0x30);
    std::u16string wideLine_, opened_;
    std::vector<std::pair<std::string, int>> failures_;
    std::map<std::string, int> calls_;
    std::map<std::u16string, std::u16string> volume_;

    bool Made(const std::u16string& name, const std::u16string& what) {
        return volume_[name] = what, true;
    }

    // A path Windows refuses as too long, in UTF-16 units without terminator:
    // MAX_PATH or more for the ANSI calls, \\?\ or not; for the wide ones
    // only without \\?\ (long paths are off), and CreateDirectoryW then from
    // MAX_PATH - 12, room for an 8.3 name.
    bool TooLong(const std::u16string& path, bool wide, std::size_t limit = 260) const {
        return path.size() >= limit && !(wide && path.rfind(u"\\\\?\\", 0) == 0);
    }

    std::u16string Widen(const std::string& ansi, std::uint32_t codePage) const {
        std::u16string wide;
        for (std::size_t at = 0; at < ansi.size(); ++at) {
            const bool pair = codePage == 932 && ansi.compare(at, 2, "\x81\x5F") == 0;
            wide += pair ? u'＼' : char16_t(static_cast<unsigned char>(ansi[at]));
            at += pair;
        }
        return wide;
    }
    // Logs the call; true when it is one that fails.
    bool Call(const char* name) {
        log.push_back(name);
        const std::pair<std::string, int> call(name, ++calls_[name]);
        return std::find(failures_.begin(), failures_.end(), call) != failures_.end();
    }
};

}  // namespace tolvik::testing
