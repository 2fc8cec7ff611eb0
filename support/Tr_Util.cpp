#include "support/Tr_Util.h"

#include "support/IntText.h"
#include "support/Platform.h"

namespace {

const std::string kDefaultSection = "Param";

// The steps every helper shares around its own read or write: the store is made on first use,
// an empty section means "Param", and a call with release set ends the run.
template <typename Access>
auto WithStore(IniStoreRef& store, bool write, const std::string& filePath,
               const std::string& section, bool release, bool recreate, Access access) {
    auto result =
        access(OpenIniStore(store, filePath), section.empty() ? kDefaultSection : section);
    if (release) {
        if (write) {
            store->Flush();
        }
        store.reset();
        if (recreate) {
            OpenIniStore(store, filePath);
        }
    }
    return result;
}

std::int32_t ReadInteger(const IniStore& store, const std::string& section, const std::string& key,
                         std::int32_t fallback) {
    const auto text = store.Read(section, key);
    if (!text) {
        return fallback;
    }
    return ParseInt32(*text).value_or(fallback);
}

} // namespace

IniStore& OpenIniStore(IniStoreRef& store, const std::string& filePath) {
    if (!store) {
        store = std::make_unique<IniStore>(filePath);
    }
    return *store;
}

bool IniBool(bool value, IniStoreRef& store, bool write, const std::string& filePath,
             const std::string& section, const std::string& key, bool release, bool recreate) {
    return WithStore(store, write, filePath, section, release, recreate,
                     [&](IniStore& ini, const std::string& sect) {
                         if (write) {
                             ini.Write(sect, key, value ? "1" : "0");
                             return value;
                         }
                         return ReadInteger(ini, sect, key, value ? 1 : 0) != 0;
                     });
}

std::int32_t IniInteger(std::int32_t value, IniStoreRef& store, bool write,
                        const std::string& filePath, const std::string& section,
                        const std::string& key, bool release, bool recreate) {
    return WithStore(store, write, filePath, section, release, recreate,
                     [&](IniStore& ini, const std::string& sect) {
                         if (write) {
                             ini.Write(sect, key, std::to_string(value));
                             return value;
                         }
                         return ReadInteger(ini, sect, key, value);
                     });
}

std::string IniString(const std::string& value, IniStoreRef& store, bool write,
                      const std::string& filePath, const std::string& section,
                      const std::string& key, bool release, bool recreate) {
    return WithStore(store, write, filePath, section, release, recreate,
                     [&](IniStore& ini, const std::string& sect) {
                         if (write) {
                             ini.Write(sect, key, value);
                             return value;
                         }
                         return ini.Read(sect, key).value_or(value);
                     });
}

std::uint32_t TickCount() {
    return platform::TickMilliseconds();
}

std::uint32_t TickDiff(std::uint32_t start) {
    return TickDiffBetween(start, TickCount());
}

std::uint32_t TickDiffBetween(std::uint32_t start, std::uint32_t now) {
    return (now - start) & 0x7FFFFFFFu;
}
