// Runs what the program does with its command line (count the arguments, take
// the first two) on command lines of growing length, so that callgrind can
// count the instructions of each: bench/bench.sh shows they grow linearly.
//
//   command_line_cost <bytes>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/arguments.h"

namespace {

class CommandLineOnly final : public tolvik::Platform {
  public:
    explicit CommandLineOnly(std::string line) : line_(std::move(line)) {}
    const char* GetCommandLineA() override { return line_.c_str(); }
    const char16_t* GetCommandLineW() override { return u""; }
    std::uint32_t GetModuleFileNameA(char*, std::uint32_t) override { return 0; }
    std::uint32_t GetModuleFileNameW(char16_t*, std::uint32_t) override { return 0; }
    std::uint32_t GetThreadLocale() override { return 0; }
    int GetLocaleInfoA(std::uint32_t, std::uint32_t, char*, int) override { return 0; }
    std::uint32_t GetACP() override { return 1252; }
    bool GetCPInfo(std::uint32_t, tolvik::CodePageInfo*) override { return false; }
    int MultiByteToWideChar(std::uint32_t, std::uint32_t, const char*, int, char16_t*,
                            int) override {
        return 0;
    }
    std::uint32_t GetFullPathNameW(const char16_t*, std::uint32_t, char16_t*) override { return 0; }
    std::uint32_t GetFileAttributesA(const char*) override {
        return tolvik::kInvalidFileAttributes;
    }
    bool CreateHardLinkA(const char*, const char*, void*) override { return false; }
    std::uint32_t GetFileAttributesW(const char16_t*) override {
        return tolvik::kInvalidFileAttributes;
    }
    bool CreateHardLinkW(const char16_t*, const char16_t*, void*) override { return false; }
    bool CreateDirectoryW(const char16_t*, void*) override { return false; }
    tolvik::Handle CreateFileW(const char16_t*, std::uint32_t, std::uint32_t, void*, std::uint32_t,
                               std::uint32_t, tolvik::Handle) override {
        return tolvik::kInvalidHandleValue;
    }
    bool DeviceIoControl(tolvik::Handle, std::uint32_t, const void*, std::uint32_t, void*,
                         std::uint32_t, std::uint32_t*, void*) override {
        return false;
    }
    bool CloseHandle(tolvik::Handle) override { return false; }
    bool RemoveDirectoryW(const char16_t*) override { return false; }
    std::uint32_t GetCurrentProcessId() override { return 0; }
    bool ProcessIdToSessionId(std::uint32_t, std::uint32_t*) override { return false; }
    std::uint32_t GetVersion() override { return 0; }
    tolvik::Handle GetProcessWindowStation() override { return nullptr; }
    bool GetUserObjectInformationW(tolvik::Handle, int, void*, std::uint32_t,
                                   std::uint32_t*) override {
        return false;
    }
    int MessageBoxW(void*, const char16_t*, const char16_t*, std::uint32_t) override { return 0; }

  private:
    std::string line_;
};

}  // namespace

// Kept out of line under its own name: callgrind counts only what runs in it.
extern "C" __attribute__((noinline)) std::size_t MeasureCommandLine(tolvik::Platform& platform) {
    const std::int32_t count = tolvik::ArgumentCount(platform);
    const tolvik::AnsiText src = tolvik::ArgumentAt(platform, 1);
    const tolvik::AnsiText dst = tolvik::ArgumentAt(platform, 2);
    return static_cast<std::size_t>(count) + src.size() + dst.size();
}

int main(int argc, char** argv) {
    const std::size_t bytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 32768;
    // Paths as a script would pass them: some quoted with blanks, some bare.
    std::string line = "\"C:\\Program Files\\tolvik\\tolvik.exe\"";
    for (int i = 0; line.size() < bytes; ++i) {
        line += i % 2 == 0 ? " \"C:\\My Data\\report " : " D:\\archive\\2026\\file";
        line += std::to_string(i);
        if (i % 2 == 0) line += ".txt\"";
    }
    line.resize(bytes);
    CommandLineOnly platform(line);
    std::printf("%zu\n", MeasureCommandLine(platform));
    return 0;
}
