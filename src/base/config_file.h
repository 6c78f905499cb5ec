#pragma once
// The configuration file "QVRDL.ini" in the start-up directory: three
// name=value lines, iPort, fHiLimit and fLowLimit, ended by CR LF.

#include <string>
#include <string_view>

namespace ostrel {

struct Configuration {
    int iPort = 2;            // carried from start to exit unchanged
    double fHiLimit = 300.0;  // comparator upper limit
    double fLowLimit = 100.0; // comparator lower limit

    bool operator==(const Configuration&) const = default;
};

// The file's path: the start-up directory, "/", and the file name of text 7.
std::string ConfigurationPath(const std::string& startupDirectory);

// Reads the configuration from the text of a configuration file. Lines end in
// LF, CR LF or CR. A key's value is the text after the first "=" of the first
// line whose name (the text before that "=") equals the key, ignoring letter
// case. When any of the three values is missing, empty or not a number (see
// ParseInteger/ParseReal: surrounding blanks are allowed, the rest must be the
// whole number), all three take their defaults.
Configuration ParseConfiguration(std::string_view text);

// What stands at a path that is not a regular file ("a named pipe", "a
// folder", …); empty for a regular file, a missing path and a link to a
// regular file.
std::string NonRegularFileKind(const std::string& path);

// Reads the file at path; a missing or unreadable file (or one larger than
// 1 MiB, which cannot be a configuration) gives the defaults. Only a regular
// file is opened: anything else (a named pipe, a folder, a device) gives the
// defaults at once, without waiting for a writer, and its kind goes to
// notRegular (when given; empty otherwise). Never reports an error.
Configuration ReadConfiguration(const std::string& path, std::string* notRegular = nullptr);

// The file's text: "iPort=…\r\nfHiLimit=…\r\nfLowLimit=…\r\n", the reals in
// the general format, or with more digits where that would not read back
// (FormatGeneralReadable): the file always reads back as the same values.
std::string FormatConfiguration(const Configuration& configuration);

// Replaces the file at path by the three lines of FormatConfiguration. The
// text goes to a new file beside it, which is flushed to disk and renamed over
// the old one, so a failed write leaves the previous file as it was. Anything
// but a regular file at path (a named pipe, a device) is left as it is, and
// the write fails. Returns false on any failure, and then fills why (when
// given) with its reason.
bool WriteConfiguration(const std::string& path, const Configuration& configuration,
                        std::string* why = nullptr);

} // namespace ostrel
