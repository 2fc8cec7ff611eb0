#include "support/IniRun.h"

#include "support/CodePage.h"

namespace {

const std::string kParam; // an empty section name stands for "Param"

} // namespace

IniRun::IniRun(std::string filePath, bool write) : path_(std::move(filePath)), write_(write) {}

void IniRun::Bool(const std::string& key, bool& value) {
    value = IniBool(value, store_, write_, path_, kParam, key, false, false);
}

void IniRun::Integer(const std::string& key, std::int32_t& value) {
    value = IniInteger(value, store_, write_, path_, kParam, key, false, false);
}

void IniRun::String(const std::string& key, std::string& value) {
    const std::optional<std::string> held = ToCodePage(value);
    const std::string stored =
        IniString(held.value_or(std::string()), store_, write_ && held.has_value(), path_, kParam,
                  key, false, false);
    if (!write_) {
        value = FromCodePage(stored);
    }
}

void IniRun::EmptyKey(const std::string& key) {
    if (write_) {
        IniString(std::string(), store_, true, path_, kParam, key, false, false);
    }
}

std::vector<std::string> IniRun::SectionLines(const std::string& section) {
    return OpenIniStore(store_, path_).SectionLines(section);
}

void IniRun::Finish() {
    if (store_ && write_) {
        store_->Flush();
    }
    store_.reset();
}
