#include "tools/soak/SoakPlan.h"

#include "sim/Dice.h"
#include "tftp/IdTrivialFTPBase.h"

#include <algorithm>
#include <vector>

namespace {

// The shapes of size a transfer may take; the seed picks one in turn, so that every run of
// 2 * kShapes seeds has each of them in both directions.
enum class Shape {
    Empty,
    OneByte,
    BelowBlock,
    Block,
    AboveBlock,
    BlockMultiple,
    BlockMultiplePlusOne,
    Small,
    Medium,
    Large,
    SeveralMiB,
    PastWrap,
};
const std::vector<Shape> kShapes = {
    Shape::Empty,         Shape::OneByte,
    Shape::BelowBlock,    Shape::Block,
    Shape::AboveBlock,    Shape::Small,
    Shape::BlockMultiple, Shape::Medium,
    Shape::Small,         Shape::BlockMultiplePlusOne,
    Shape::Large,         Shape::Small,
    Shape::SeveralMiB,    Shape::Medium,
    Shape::Small,         Shape::PastWrap,
    Shape::Small,         Shape::Medium,
    Shape::Small,         Shape::Large,
};

// Block numbers pass 65535 at block size 8 after 512 KiB.
constexpr int kWrapBlockSize = 8;
constexpr std::uint64_t kWrapBytes = 65536ull * kWrapBlockSize;
// A serial block costs the client's gap and the simulator's answer, some 15 ms at full speed.
constexpr std::uint64_t kMaxSerialBlocks = 150;
// The largest block a put sends on the serial line. A pseudo-terminal passes on 4095 bytes at a
// time: a packet that does not fit beside what the device has not read yet crosses in parts, and
// a sender scheduled late between two parts leaves a pause in it. The device then takes the first
// part for the short last block and keeps the file cut off there, as a device on a real line
// would; neither side can tell. Packets of 516 bytes (the window's) never split that way.
constexpr int kMaxSerialPutBlock = 512;
constexpr std::uint64_t kMaxSerialPutSize = 128 * 1024;
constexpr std::uint64_t kMaxNetworkBlocks = 20'000;
// Random faults that cost a reply time-out each are kept to about this many a transfer.
constexpr std::uint64_t kFaultBudget = 25;

std::string ShapeName(Shape shape) {
    switch (shape) {
    case Shape::Empty:
        return "0 bytes";
    case Shape::OneByte:
        return "1 byte";
    case Shape::BelowBlock:
        return "511 bytes";
    case Shape::Block:
        return "512 bytes";
    case Shape::AboveBlock:
        return "513 bytes";
    case Shape::BlockMultiple:
        return "block multiple";
    case Shape::BlockMultiplePlusOne:
        return "block multiple + 1";
    case Shape::Small:
        return "small";
    case Shape::Medium:
        return "medium";
    case Shape::Large:
        return "large";
    case Shape::SeveralMiB:
        return "several MiB";
    case Shape::PastWrap:
        return "past block 65535";
    }
    return "?";
}

// The block size to ask for where the shape leaves it open.
int DrawBlockSize(Dice& dice) {
    if (dice.Chance(60)) {
        return TFTP_DEFAULT_BLOCK_SIZE;
    }
    return dice.OneOf<int>({8, 16, 100, 1024, 1428, 4096, 8192, 65464});
}

void DrawSize(SoakPlan& plan, Shape shape, Dice& dice) {
    const std::uint64_t fixed[] = {0, 1, 511, 512, 513};
    switch (shape) {
    case Shape::Empty:
    case Shape::OneByte:
    case Shape::BelowBlock:
    case Shape::Block:
    case Shape::AboveBlock:
        plan.size = fixed[static_cast<int>(shape)];
        return; // the 512-byte boundary needs 512-byte blocks
    case Shape::PastWrap:
        plan.line = Line::Network; // 65536 round trips: the serial line would take minutes
        plan.blockSize = kWrapBlockSize;
        plan.size = kWrapBytes + dice.Between(0, 3 * kWrapBlockSize);
        return;
    default:
        break;
    }
    plan.blockSize = DrawBlockSize(dice);
    const auto block = static_cast<std::uint64_t>(plan.blockSize);
    switch (shape) {
    case Shape::BlockMultiple:
        plan.size = block * dice.Between(1, 64);
        break;
    case Shape::BlockMultiplePlusOne:
        plan.size = block * dice.Between(1, 64) + 1;
        break;
    case Shape::Small:
        plan.size = dice.Between(2, 16 * 1024);
        break;
    case Shape::Medium:
        plan.size = dice.Between(16 * 1024, 256 * 1024);
        break;
    case Shape::Large:
        plan.size = dice.Between(256 * 1024, 1024 * 1024);
        break;
    default: // several MiB
        plan.size = dice.Between(2 * 1024 * 1024, 5 * 1024 * 1024);
        break;
    }
}

// Keeps the number of blocks within what the line carries in seconds; block multiples keep their
// block size, as their point is the empty last block.
void LimitBlocks(SoakPlan& plan, Shape shape) {
    const std::uint64_t limit = plan.line == Line::Serial ? kMaxSerialBlocks : kMaxNetworkBlocks;
    const bool serialPut = plan.line == Line::Serial && plan.direction == Direction::Put;
    const auto block = static_cast<std::uint64_t>(plan.blockSize);
    if (shape == Shape::PastWrap ||
        (plan.size / block <= limit && (!serialPut || plan.blockSize <= kMaxSerialPutBlock))) {
        return;
    }
    const std::uint64_t needed = plan.size / limit + 1;
    plan.blockSize = static_cast<int>(
        std::min<std::uint64_t>(needed, serialPut ? kMaxSerialPutBlock : TFTP_MAX_BLOCK_SIZE));
    if (shape == Shape::BlockMultiple || shape == Shape::BlockMultiplePlusOne) {
        plan.size = plan.size / static_cast<std::uint64_t>(plan.blockSize) *
                        static_cast<std::uint64_t>(plan.blockSize) +
                    (shape == Shape::BlockMultiple ? 0 : 1);
    }
}

// The block size the simulator will use: the one asked for, unless it ignores the option.
std::uint64_t AgreedBlockSize(const SoakPlan& plan) {
    return plan.faults.ignoreOptions ? TFTP_DEFAULT_BLOCK_SIZE
                                     : static_cast<std::uint64_t>(plan.blockSize);
}

// Switches of the simulator that act once per transfer, on a few of the transfers.
void DrawSwitches(SoakPlan& plan, Dice& dice) {
    SimFaults& faults = plan.faults;
    const unsigned kind = dice.Between(0, 99);
    if (kind < 5) {
        faults.ignoreOptions = true;
    } else if (kind < 10) {
        faults.oackExtraOption = dice.Chance(50);
        faults.oackUpperCase = !faults.oackExtraOption || dice.Chance(50);
    } else if (kind < 13) {
        faults.oackBlockSize = dice.OneOf<std::string>({"1024", "7", "65465", "abc", "600"});
    }
    // DATA blocks of the transfer: a put always ends with a short one, perhaps empty.
    const std::uint64_t blocks = plan.size / AgreedBlockSize(plan) + 1;
    if (kind >= 13 && kind < 18) {
        faults.errorCode = static_cast<std::uint16_t>(dice.Between(0, 8));
        faults.errorText = "soak error " + std::to_string(*faults.errorCode);
        // A put's last block must not draw the ERROR: a device that stays silent after the
        // last block is taken to be installing it, so an ERROR lost there would look like
        // success. The protocol cannot tell these apart.
        const std::uint64_t last = plan.direction == Direction::Put ? blocks - 1 : blocks;
        faults.errorAtBlock =
            dice.Between(0, static_cast<std::uint32_t>(std::min<std::uint64_t>(last, 70000)));
    } else if (kind >= 18 && kind < 20) {
        faults.silentAfterBlock =
            dice.Between(0, static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks, 70000)));
    } else if (kind >= 20 && kind < 23 && plan.direction == Direction::Get && blocks > 2) {
        faults.skipBlock =
            dice.Between(2, static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks, 70000)));
    }
}

void DrawRandomFaults(SoakPlan& plan, Dice& dice) {
    if (dice.Chance(25)) {
        return;
    }
    RandomFaults random;
    random.seed = plan.seed;
    const std::uint64_t packets = plan.size / AgreedBlockSize(plan) + 3;
    const std::uint64_t wanted =
        dice.OneOf<std::uint64_t>({5'000, 20'000, 50'000, 100'000, 150'000});
    random.perMillion = static_cast<unsigned>(
        std::max<std::uint64_t>(1, std::min(wanted, kFaultBudget * 1'000'000 / packets)));
    random.maxDelayMs = static_cast<unsigned>(dice.OneOf<std::uint64_t>({50, 150, 400}));
    // A get fails at the first noise it reads, so noise on every transfer would leave few long
    // ones to run to their end (past block 65535, several MiB).
    if (dice.Chance(70)) {
        random.kinds.erase(RandomFault::Noise);
    }
    if (plan.line == Line::Serial) {
        random.kinds.erase(RandomFault::Stray); // a line has no second port
    }
    plan.faults.random = random;
}

} // namespace

SoakPlan PlanFor(unsigned seed) {
    SoakPlan plan;
    plan.seed = seed;
    Dice dice(seed);
    plan.direction = seed % 2 == 0 ? Direction::Get : Direction::Put;
    const Shape shape = kShapes[(seed / 2) % kShapes.size()];
    plan.shape = ShapeName(shape);
    plan.line = dice.Chance(35) ? Line::Serial : Line::Network;
    DrawSize(plan, shape, dice);
    if (plan.direction == Direction::Put && plan.size > kMaxSerialPutSize) {
        plan.line = Line::Network; // in 512-byte blocks the line would take too long
    }
    LimitBlocks(plan, shape);
    plan.timeoutSeconds = dice.Chance(80) ? 1 : 2;
    if (plan.line == Line::Serial) {
        plan.simTimeoutMs = 300; // a serial round trip costs the gaps on both sides
    }
    if (dice.Chance(30)) {
        plan.olderSize = dice.Between(0, 4096);
    }
    plan.missing = plan.direction == Direction::Get && dice.Chance(3);
    plan.viaProgram = seed % 25 == 13 && plan.size <= 1024 * 1024;
    DrawSwitches(plan, dice);
    DrawRandomFaults(plan, dice);
    return plan;
}

std::string DirectionName(Direction direction) {
    return direction == Direction::Get ? "get" : "put";
}

std::string LineName(Line line) {
    return line == Line::Network ? "network" : "serial";
}

std::string SoakPlan::Describe() const {
    std::string text = DirectionName(direction) + " on the " + LineName(line) + " of " +
                       std::to_string(size) + " bytes (" + shape + "), blksize " +
                       std::to_string(blockSize) + ", time-out " + std::to_string(timeoutSeconds) +
                       " s";
    if (olderSize) {
        text += ", an older file of " + std::to_string(*olderSize) + " bytes";
    }
    if (missing) {
        text += ", the device has no such file";
    }
    if (viaProgram) {
        text += ", by quorvel-cli";
    }
    if (faults.Any()) {
        text += "; simulator: " + faults.Describe();
    }
    return text;
}
