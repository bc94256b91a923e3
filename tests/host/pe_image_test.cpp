// Reading a Windows image's imports from its bytes, whole or damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <utility>

#include "pe_bytes.h"
#include "platform/pe_image.h"

namespace trevanil::pe {
namespace {

using test::Bytes;
using test::put;
const std::vector<std::string> kTwo{"KERNEL32.dll", "MSVBVM60.DLL"};

Bytes image(bool plus) { return test::image(plus, kTwo); }

ReadResult read(const Bytes& b) { return readImage(b.data(), b.size()); }

TEST(PeImage, ImagesAreReadOrTheirDamageNamed) {
    for (const bool plus : {false, true}) {
        const ReadResult r = read(image(plus));
        EXPECT_TRUE(r.ok() && r.image.dll && r.image.pe32plus == plus) << int(r.problem);
        EXPECT_EQ(r.image.machine, plus ? kMachineAmd64 : kMachineI386);
        EXPECT_EQ(r.image.imports, kTwo);
    }
    struct Row {
        void (*change)(Bytes&);
        Problem problem;  // none: read whole, with these imports
        std::vector<std::string> imports = {};
    };
    const Row rows[] = {
        {[](Bytes& b) { put(b, 0xC0, 0); }, Problem::none},
        {[](Bytes& b) { put(b, 0xB4, 1); }, Problem::none},                       // one data directory: no import one
        {[](Bytes& b) { put(b, 0x220, 0); }, Problem::none, {"KERNEL32.dll"}},  // the loader stops at a nameless descriptor
        {[](Bytes& b) { b.resize(0x30); }, Problem::noMz},
        {[](Bytes& b) { put(b, 0x3C, 0xFFFFFFF0); }, Problem::noPeSignature},
        {[](Bytes& b) { b[0x41] = 'X'; }, Problem::noPeSignature},
        {[](Bytes& b) { b.resize(0x50); }, Problem::peHeaderCut},
        {[](Bytes& b) { b.resize(0x90); }, Problem::optionalHeaderCut},
        {[](Bytes& b) { put(b, 0x58, 0x107, 2); }, Problem::unknownOptionalHeader},
        {[](Bytes& b) { put(b, 0x46, 0xFFFF, 2); }, Problem::tooManySections},
        {[](Bytes& b) { put(b, 0x46, 40, 2); }, Problem::sectionTableOutside},
        {[](Bytes& b) { put(b, 0xC0, 0x5000); }, Problem::importTableOutside},
        {[](Bytes& b) { put(b, 0xC0, 0x11F0); }, Problem::importTableOutside},  // across the section's end
        {[](Bytes& b) { put(b, 0x20C, 0x9000); }, Problem::importNameUnterminated},
        // The headers end at 0x200: a name that runs to there is cut, whatever follows.
        {[](Bytes& b) { std::fill(&b[0x180], &b[0x200], 'a'); }, Problem::importNameUnterminated},
        // A name that is a path is never a DLL to look for.
        {[](Bytes& b) { b[0x182] = '\\'; }, Problem::importNameNotADll},
        {[](Bytes& b) { b[0x18E] = ':'; }, Problem::importNameNotADll},
        {[](Bytes& b) { b[0x18D] = '/'; }, Problem::importNameNotADll},
        {[](Bytes& b) { b[0x18D] = b[0x18E] = '.'; }, Problem::importNameNotADll},
        {[](Bytes& b) {  // descriptors naming KERNEL32.dll as far as a long section goes
             b.resize(0x20000), put(b, 0x140, 0x1FE00), put(b, 0x148, 0x1FE00);
             for (std::size_t at = 0x200; at < b.size(); at += 4) put(b, at, 0x180);
         },
         Problem::importTableEndless},
    };
    for (const Row& row : rows) {
        Bytes b = image(false);
        row.change(b);
        const ReadResult r = read(b);
        EXPECT_EQ(r.problem, row.problem) << int(row.problem) << ": " << int(r.problem);
        if (r.ok()) {
            EXPECT_EQ(r.image.imports, row.imports);
        }
    }
}

// Every cut and thousands of changed bytes of whole images; under the address
// sanitizer a read outside the bytes fails here.
TEST(PeImage, DamagedBytesGiveAnAnswerAndNoReadOutsideThem) {
    std::vector<Bytes> seeds{image(false), image(true)};
    if (const char* path = std::getenv("TREVANIL_FUZZ_IMAGE")) {  // a built component
        std::ifstream in(path, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        ASSERT_TRUE(read(seeds.back()).ok()) << path;
    }
    const auto check = [](const Bytes& b) {
        const ReadResult r = read(b);
        for (const std::string& name : r.image.imports) EXPECT_LT(name.size(), 260u);
    };
    std::mt19937 random(1234);
    for (Bytes b : seeds) {
        // Each cut in a buffer of its own size, so that the sanitizer sees a read past it.
        for (std::size_t n = 0; n < b.size(); n += 1 + b.size() / 4096) check(Bytes(b.begin(), b.begin() + n));
        for (int round = 0; round < 5000; ++round) {
            const std::size_t at = random() % b.size();
            const std::uint8_t old = std::exchange(b[at], static_cast<std::uint8_t>(random()));
            check(b);
            b[at] = old;
        }
    }
}

}  // namespace
}  // namespace trevanil::pe
