// Placeholder until the settings image is written.
#include "support/IniStore.h"
IniStore::IniStore(std::string filePath) : path_(std::move(filePath)) {}
std::optional<std::string> IniStore::Read(const std::string&, const std::string&) const { return std::nullopt; }
void IniStore::Write(const std::string&, const std::string&, const std::string&) {}
std::vector<IniStore::Entry> IniStore::Section(const std::string&) const { return {}; }
void IniStore::Flush() const {}
