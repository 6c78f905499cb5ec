#pragma once
// The transport algorithms over a HidBackend: find and open the adapter cable,
// send a command, read fixed-size answers with time-outs. Stateless; each user
// opens its own device.

#include "link/hid_backend.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace ostrel {

inline constexpr std::uint16_t kCableVendorId = 0x0820;
inline constexpr std::uint16_t kCableProductId = 0x0001;

// How many HID interfaces OpenAdapter looks at.
inline constexpr int kAdapterSearchLimit = 20;

// Time-outs of the command exchanges, in milliseconds.
inline constexpr int kCommandWriteTimeoutMs = 500;
inline constexpr int kCommandReportTimeoutMs = 500;

// Size of one input report, report number included.
inline constexpr std::size_t kInputReportSize = 9;

// A read that completes with an error is asked again; after this many error
// completions in a row without a byte the device is taken as failed, so that
// a device that fails every read at once cannot keep a reader spinning.
inline constexpr int kMaxErrorCompletions = 16;

// Interface number index of the present HID interfaces, opened; nullptr when
// there is no such interface or it cannot be opened.
std::unique_ptr<HidDevice> OpenHidInterface(HidBackend& backend, int index,
                                            HidOpenError* error = nullptr);

// The first of the first 20 interfaces whose vendor and product id match.
// When none could be opened and one matching interface failed for lack of
// permission, *permissionDenied is set.
std::unique_ptr<HidDevice> OpenAdapter(HidBackend& backend, std::uint16_t vendorId = kCableVendorId,
                                       std::uint16_t productId = kCableProductId,
                                       bool* permissionDenied = nullptr);

// Output report {0x00, 0x00, c1, c2}, waiting up to 500 ms. Returns the wait result.
std::uint32_t SendCommand(HidDevice& device, std::uint8_t c1, std::uint8_t c2);

// Gather count bytes of 9-byte input reports into buffer (500 ms per report).
std::uint32_t ReadReports(HidDevice& device, std::uint8_t* buffer, std::size_t count);

// 27 bytes into block, then 9 bytes into tail. The first non-zero result, or 0.
std::uint32_t ReadAnswer(HidDevice& device, std::array<std::uint8_t, 27>& block,
                         std::array<std::uint8_t, 9>& tail);

// The first eight bytes of a serial-number string as the HID class driver
// hands it over (UTF-16, little-endian), zero-padded.
std::array<std::uint8_t, 8> SerialNumberBytes(const std::string& utf8);

// "Cable Firmware ver.:01.02" for release number 0x0102.
std::string CableFirmwareLine(std::uint16_t releaseNumber);

// "Cable SN : " and the eight bytes as hexadecimal, last byte first.
std::string CableSerialLine(const std::array<std::uint8_t, 8>& bytes);

} // namespace ostrel
