#include "sim/SampleLogger.h"

#include "sim/Dice.h"

#include <algorithm>

namespace {

unsigned DaysInMonth(unsigned year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && year % 4 == 0 ? 29 : kDays[month - 1];
}

// A wall clock in the record's fields that only moves forward.
class Clock {
public:
    explicit Clock(Dice& dice)
        : year_(dice.Between(19, 24)), month_(dice.Between(1, 12)), day_(dice.Between(1, 28)),
          secondOfDay_(dice.Between(0, 86399)) {}

    void Advance(unsigned seconds) {
        secondOfDay_ += seconds;
        for (; secondOfDay_ >= 86400; secondOfDay_ -= 86400) {
            if (++day_ <= DaysInMonth(year_, month_))
                continue;
            day_ = 1;
            if (++month_ > 12) {
                month_ = 1;
                ++year_;
            }
        }
    }

    void Stamp(LoggerRecord& record) const {
        record.year = static_cast<std::uint8_t>(year_);
        record.month = static_cast<std::uint8_t>(month_);
        record.day = static_cast<std::uint8_t>(day_);
        record.hour = static_cast<std::uint8_t>(secondOfDay_ / 3600);
        record.minute = static_cast<std::uint8_t>(secondOfDay_ / 60 % 60);
        record.second = static_cast<std::uint8_t>(secondOfDay_ % 60);
    }

private:
    unsigned year_, month_, day_, secondOfDay_;
};

// Events of a radio modem in the field, with parameters in plausible ranges.
LoggerRecord SampleEvent(Dice& dice) {
    LoggerRecord r;
    switch (dice.Between(0, 7)) {
    case 0: // power on: reset cause
        r.code = 1;
        r.par1 = static_cast<std::uint16_t>(dice.Between(0, 3));
        break;
    case 1: // power off: supply voltage in mV
        r.code = 2;
        r.par1 = static_cast<std::uint16_t>(dice.Between(9000, 13800));
        break;
    case 2: // radio link up: channel, field strength
        r.code = 10;
        r.par1 = static_cast<std::uint16_t>(dice.Between(1, 16));
        r.par2 = static_cast<std::uint16_t>(dice.Between(20, 120));
        break;
    case 3: // radio link down: channel, seconds up
        r.code = 11;
        r.par1 = static_cast<std::uint16_t>(dice.Between(1, 16));
        r.par3 = dice.Between(1, 4000000);
        break;
    case 4: // setting changed: parameter number, old value, new value
        r.code = 20;
        r.par1 = static_cast<std::uint16_t>(dice.Between(1, 400));
        r.par2 = dice.Word();
        r.par3 = dice.Word();
        break;
    case 5: // firmware installed: version as bytes
        r.code = 30;
        r.par3 = 0x01000000u | dice.Between(0, 0xFFFF);
        break;
    case 6: // temperature alarm: tenths of a degree
        r.code = 40;
        r.par1 = static_cast<std::uint16_t>(dice.Between(700, 950));
        break;
    default: // watchdog reset: task, program address
        r.code = 61;
        r.par1 = static_cast<std::uint16_t>(dice.Between(1, 12));
        r.par3 = 0x08000000u + dice.Between(0, 0x7FFFF) * 2;
        break;
    }
    return r;
}

std::vector<std::uint16_t> ImageValues(const LoggerImage& image, std::uint32_t first,
                                       std::uint32_t count) {
    std::vector<std::uint16_t> values;
    for (std::uint32_t r = first; r < first + count; ++r)
        values.push_back(IsLoggerRegister(r) ? image.Register(r) : static_cast<std::uint16_t>(r));
    return values;
}

RegisterGroup Group(std::uint32_t start, std::vector<std::uint16_t> values) {
    return RegisterGroup{static_cast<std::uint16_t>(start), std::move(values)};
}

template <typename T> void Shuffle(std::vector<T>& items, Dice& dice) {
    for (std::size_t i = items.size(); i > 1; --i)
        std::swap(items[i - 1], items[dice.Between(0, static_cast<unsigned>(i - 1))]);
}

} // namespace

LoggerImage SampleLoggerImage(unsigned seed) {
    Dice dice(seed);
    Clock clock(dice);
    const unsigned events = dice.Between(300, 699);
    const unsigned firstSlot = dice.Between(300, 499);
    LoggerImage image;
    for (unsigned i = 0; i < events; ++i) {
        LoggerRecord record = SampleEvent(dice);
        clock.Advance(dice.Between(1, 6 * 3600));
        clock.Stamp(record);
        image.SetRecord((firstSlot + i) % kLoggerSlots, record);
    }
    image.SetRegister(65000, 1);            // layout version
    image.SetRegister(65001, kLoggerSlots); // ring size
    image.SetRegister(65002, static_cast<std::uint16_t>(events));
    image.SetRegister(kNewestSlotRegister,
                      static_cast<std::uint16_t>((firstSlot + events - 1) % kLoggerSlots));
    return image;
}

std::vector<RegisterGroup> SampleLoggerGroups(const LoggerImage& image, unsigned seed) {
    Dice dice(seed ^ 0x5EEDu);
    std::vector<RegisterGroup> groups;
    for (std::uint32_t r = kFirstLoggerRegister; r <= kNewestSlotRegister;) {
        const std::uint32_t count = std::min(dice.Between(1, 160), kNewestSlotRegister - r + 1);
        groups.push_back(Group(r, ImageValues(image, r, count)));
        r += count;
    }
    groups.push_back(Group(1000, {0x0102, 0x0304, dice.Word(), dice.Word()})); // device data
    groups.push_back(Group(kFirstLoggerRegister - 4, ImageValues(image, 60996, 12)));
    groups.push_back(Group(kNewestSlotRegister - 3, ImageValues(image, 65000, 9)));
    for (int i = 0; i < 3; ++i)
        groups.push_back(Group(dice.Word(), {}));

    // A stale copy of one chunk, somewhere ahead of the chunk that brings the current values.
    const RegisterGroup chunk = groups[dice.Between(0, kLoggerRegisterCount / 160)];
    Shuffle(groups, dice);
    const auto current = static_cast<unsigned>(
        std::ranges::find_if(groups,
                             [&](const RegisterGroup& g) {
                                 return g.start == chunk.start && g.values == chunk.values;
                             }) -
        groups.begin());
    RegisterGroup stale = chunk;
    for (std::uint16_t& value : stale.values)
        value = static_cast<std::uint16_t>(~value);
    groups.insert(groups.begin() + dice.Between(0, current), std::move(stale));
    return groups;
}

std::string MakeSamplePlogZel(unsigned seed) {
    return EncodeLoggerFile(SampleLoggerGroups(SampleLoggerImage(seed), seed));
}
