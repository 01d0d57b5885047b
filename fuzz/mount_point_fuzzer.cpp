// The mount-point record for any wide target: the input, read as
// little-endian UTF-16 units. The target lies in a heap block of exactly its
// size and the record in one of exactly the record's size, so the sanitizer
// stops any read or write outside either.
//
// Every target must be refused (268 units and more) or give a record whose
// length fields agree with each other and with the request length, whose
// name is the target, whose two terminators are zero and whose bytes past
// the request are still zero. The same holds for the target JunctionTarget
// makes of the input taken as a full path.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "check.h"
#include "links/mount_point.h"

namespace {

constexpr std::size_t kLongestTarget = 267;  // UTF-16 units

unsigned Field16(const tolvik::MountPointRequest& request, std::size_t offset) {
    return static_cast<unsigned>(request.bytes[offset] | request.bytes[offset + 1] << 8);
}

void CheckRecord(std::u16string_view target) {
    const auto request = std::make_unique<tolvik::MountPointRequest>();
    const bool built = tolvik::BuildMountPointRequest(target, *request);
    TOLVIK_FUZZ_CHECK(built == (target.size() <= kLongestTarget));
    if (!built) return;

    const std::size_t n = target.size() * 2;
    TOLVIK_FUZZ_CHECK(request->length == n + 20);
    TOLVIK_FUZZ_CHECK(request->length <= sizeof request->bytes);
    TOLVIK_FUZZ_CHECK(Field16(*request, 0) == 0x0003 && Field16(*request, 2) == 0xA000);
    TOLVIK_FUZZ_CHECK(Field16(*request, 4) + 8u == request->length);  // ReparseDataLength
    TOLVIK_FUZZ_CHECK(Field16(*request, 6) == 0);                     // Reserved
    TOLVIK_FUZZ_CHECK(Field16(*request, 8) == 0);                     // SubstituteNameOffset
    TOLVIK_FUZZ_CHECK(Field16(*request, 10) == n);                    // SubstituteNameLength
    TOLVIK_FUZZ_CHECK(Field16(*request, 12) == n + 2);                // PrintNameOffset
    TOLVIK_FUZZ_CHECK(Field16(*request, 14) == 0);                    // PrintNameLength
    // Both names with their terminators lie inside the data that follows the
    // header: what NTFS checks before it takes a record.
    TOLVIK_FUZZ_CHECK(Field16(*request, 8) + Field16(*request, 10) + 2u <=
                      Field16(*request, 4) - 8u);
    TOLVIK_FUZZ_CHECK(Field16(*request, 12) + Field16(*request, 14) + 2u <=
                      Field16(*request, 4) - 8u);
    for (std::size_t i = 0; i < target.size(); ++i) {
        TOLVIK_FUZZ_CHECK(Field16(*request, 16 + 2 * i) == target[i]);
    }
    for (std::size_t i = 16 + n; i < sizeof request->bytes; ++i) {
        TOLVIK_FUZZ_CHECK(request->bytes[i] == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t units = size / 2;
    const std::unique_ptr<char16_t[]> target(new char16_t[units]);
    for (std::size_t i = 0; i < units; ++i) {
        target[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    }
    const std::u16string_view view(target.get(), units);
    CheckRecord(view);

    const tolvik::WideText junctionTarget = tolvik::JunctionTarget(view);
    TOLVIK_FUZZ_CHECK(junctionTarget.view().substr(0, 4) == u"\\??\\");
    TOLVIK_FUZZ_CHECK(junctionTarget.size() >= units);
    CheckRecord(junctionTarget.view());
    return 0;
}
