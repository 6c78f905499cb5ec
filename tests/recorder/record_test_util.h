#pragma once
// Helpers shared by the recorder tests: sample pairs, byte images built with
// explicit offsets (independent of the code under test), scratch directories.

#include "recorder/record.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ostrel::test {

inline RecordPair MakePair(int i, bool withSub = true) {
    RecordPair p;
    p.hasSub = withSub ? 1 : 0;
    StoreField(p.main.valueText, std::to_string(i % 1000) + ".5");
    StoreField(p.main.exponentText, "-3");
    p.main.function = 0x6;
    StoreField(p.main.timeText, " 12:00:" + std::to_string(10 + i % 50) + ".0");
    StoreField(p.main.dataText, std::to_string(i % 1000) + ".5");
    StoreField(p.main.unitText, "m");
    StoreField(p.main.functionText, "V");
    StoreField(p.main.modeText, "DC");
    p.main.value = static_cast<float>(i) * 0.5f;
    if (withSub) {
        StoreField(p.sub.valueText, "50.00");
        StoreField(p.sub.exponentText, "0");
        p.sub.function = 0x400;
        StoreField(p.sub.timeText, " 12:00:00.0");
        StoreField(p.sub.dataText, "50.00");
        StoreField(p.sub.functionText, "Hz");
        p.sub.value = 50.0f;
    }
    return p;
}

// A 76- or 84-byte record image written field by field at its offsets.
inline std::vector<std::uint8_t> RecordBytes(std::size_t size, const char* value,
                                             std::uint32_t code, float v, const char* mode = "") {
    std::vector<std::uint8_t> b(size, 0);
    std::strncpy(reinterpret_cast<char*>(&b[0]), value, 8);
    std::strncpy(reinterpret_cast<char*>(&b[8]), "0", 4);
    for (int i = 0; i < 4; ++i)
        b[12 + i] = static_cast<std::uint8_t>(code >> (8 * i));
    std::strncpy(reinterpret_cast<char*>(&b[16]), " 10:20:30.4", 16);
    std::strncpy(reinterpret_cast<char*>(&b[32]), value, 16);
    std::strncpy(reinterpret_cast<char*>(&b[48]), "k", 8);
    std::strncpy(reinterpret_cast<char*>(&b[56]), "W", 16);
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    for (int i = 0; i < 4; ++i)
        b[72 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    if (size == 84)
        std::strncpy(reinterpret_cast<char*>(&b[76]), mode, 8);
    return b;
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A fresh directory under the system's temporary directory, removed at the end.
class ScratchDir {
  public:
    ScratchDir() {
        char tmpl[] = "/tmp/ostrel-recorder-XXXXXX";
        m_path = ::mkdtemp(tmpl);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

} // namespace ostrel::test
