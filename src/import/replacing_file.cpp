#include "import/replacing_file.h"

#include <cstdio>
#include <unistd.h>

namespace ostrel {

ReplacingFile::~ReplacingFile() { discard(); }

bool ReplacingFile::open(const std::string& path) {
    discard();
    m_path = path;
    m_temp = path + ".~" + std::to_string(::getpid()) + ".part";
    m_file = std::fopen(m_temp.c_str(), "wb");
    m_failed = m_file == nullptr;
    return !m_failed;
}

bool ReplacingFile::write(const void* data, std::size_t size) {
    if (!m_file || m_failed) return false;
    if (size > 0 && std::fwrite(data, 1, size, m_file) != size) m_failed = true;
    return !m_failed;
}

bool ReplacingFile::commit() {
    if (!m_file) return false;
    bool ok = !m_failed && std::fflush(m_file) == 0 && ::fsync(::fileno(m_file)) == 0;
    ok = (std::fclose(m_file) == 0) && ok;
    m_file = nullptr;
    if (ok && std::rename(m_temp.c_str(), m_path.c_str()) == 0) {
        m_temp.clear();
        return true;
    }
    discard();
    return false;
}

void ReplacingFile::discard() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temp.empty()) {
        std::remove(m_temp.c_str());
        m_temp.clear();
    }
}

} // namespace ostrel
