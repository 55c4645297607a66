#pragma once
// The controller's protocol as both ends speak it: frame types, operation codes, status bytes
// and the layout of the program memory its bootloader writes. The tool's commands and the
// simulated controller take them from here so that the two cannot drift apart. Header only:
// nothing to link.

#include <cstddef>
#include <cstdint>

namespace krv::protocol {

// Frame types. A request of type 2 carries an operation code in byte 0; a reply of type 2
// carries a status in byte 0.
inline constexpr uint8_t kReadingsFrame = 1;
inline constexpr uint8_t kCommandFrame = 2;
inline constexpr uint8_t kStatusFrame = 2;
inline constexpr uint8_t kSettingsFrame = 3;
inline constexpr uint8_t kVersionFrame = 8;
inline constexpr uint8_t kMapFrame = 9;
inline constexpr uint8_t kAdjustRegionFrame = 10;
inline constexpr uint8_t kAxesFrame = 11;
inline constexpr uint8_t kEnterBootloaderFrame = 0xF6;
inline constexpr uint8_t kWriteRowFrame = 0xF7;
inline constexpr uint8_t kErasePageFrame = 0xF9;

// Fixed payload lengths of requests: settings (divider, noise delta, noise period word), a
// map region (first row and column, row and column count, direction, step) and a program
// memory address (4 bytes, low first) that starts the erase and write frames.
inline constexpr uint8_t kSettingsLength = 4;
inline constexpr uint8_t kAdjustRegionLength = 6;
inline constexpr uint8_t kAddressLength = 4;

// Operation codes of the command frame.
inline constexpr uint8_t kReadReadings = 0x06;
inline constexpr uint8_t kReadSettings = 0x07;
inline constexpr uint8_t kStartApplication = 0x0A;
inline constexpr uint8_t kReadVersion = 0x0D;
inline constexpr uint8_t kReadMap = 0x0E;
inline constexpr uint8_t kStoreMap = 0x0F;
inline constexpr uint8_t kClearMapTime = 0x10;
inline constexpr uint8_t kReadMapAxes = 0x11;
inline constexpr uint8_t kEndProgramming = 0x60;
inline constexpr uint8_t kQueryBootloader = 0xC4;
inline constexpr uint8_t kIdentify = 0xCC;

// Status bytes.
inline constexpr uint8_t kStatusRefused = 0;
inline constexpr uint8_t kStatusAcknowledged = 4;
inline constexpr uint8_t kStatusBootloader = 5; // the bootloader's answer to identify

// What the served application says to identify, and the state a ready bootloader reports.
inline constexpr uint8_t kServedDeviceType = 17;
inline constexpr uint16_t kReadingsEnabledWord = 0x0055;
inline constexpr uint8_t kBootloaderReady = 0xF7;

// The code that lets the application hand over to the bootloader, sent without its terminator.
inline constexpr char kAccessCode[] = "QK318274";
inline constexpr uint8_t kAccessCodeLength = sizeof(kAccessCode) - 1;

// The correction map: a byte a cell in the map frame; in the axes frame the row breaks as
// words, then the column breaks as bytes, then one spare byte.
inline constexpr int kMapRows = 16;
inline constexpr int kMapColumns = 15;
inline constexpr int kMapCells = kMapRows * kMapColumns;
inline constexpr int kAxesColumnOffset = 2 * kMapRows;
inline constexpr uint8_t kAxesLength = kAxesColumnOffset + kMapColumns + 1;

// Directions of the adjust-region frame.
inline constexpr uint8_t kRaiseRegion = 2;
inline constexpr uint8_t kLowerRegion = 3;

// Program memory in address units (two per 24-bit word): the application area, its erase
// pages and its write rows. A row carries 64 words of 3 bytes.
inline constexpr uint32_t kFirstProgramAddress = 0x1800;
inline constexpr uint32_t kEndProgramAddress = 0xA000;
inline constexpr uint32_t kPageUnits = 0x800;
inline constexpr uint32_t kRowUnits = 0x80;
inline constexpr size_t kRowDataBytes = 192;

} // namespace krv::protocol
