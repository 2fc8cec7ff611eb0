// One-line access to one value of the settings file, in either direction, and the tick timer.
//
// The same call reads a value (the caller passes the control's current value as the default)
// or writes it (the caller passes the value to store), so a settings routine loads and saves its
// whole list of settings with one list of calls and a direction flag. The calls of one run share
// an in-memory image of the file in the caller's store reference: the first call creates it, the
// call with release set flushes it (when writing) and frees it.
#pragma once

#include "support/IniStore.h"

#include <cstdint>
#include <memory>
#include <string>

using IniStoreRef = std::unique_ptr<IniStore>;

// The image of the run: made over filePath, which loads the file, when the reference is empty.
IniStore& OpenIniStore(IniStoreRef& store, const std::string& filePath);

bool IniBool(bool value, IniStoreRef& store, bool write, const std::string& filePath,
             const std::string& section, const std::string& key, bool release, bool recreate);
std::int32_t IniInteger(std::int32_t value, IniStoreRef& store, bool write,
                        const std::string& filePath, const std::string& section,
                        const std::string& key, bool release, bool recreate);
std::string IniString(const std::string& value, IniStoreRef& store, bool write,
                      const std::string& filePath, const std::string& section,
                      const std::string& key, bool release, bool recreate);

// Millisecond tick counter of the system (monotonic, wraps after 2^32 ms); named apart from the
// Win32 call GetTickCount that backs it there.
std::uint32_t TickCount();

// Milliseconds since start on the tick counter, wrap-safe, never negative.
std::uint32_t TickDiff(std::uint32_t start);

// The same measure between two given tick values: (now - start) in unsigned 32-bit arithmetic,
// limited to 31 bits.
std::uint32_t TickDiffBetween(std::uint32_t start, std::uint32_t now);
